// Helpers shared by the mask tests.
#pragma once

#include <string>

#include "controls/mask/cxRegExpr.h"

// ASCII text as the program's characters.
inline TcxString Text(const std::string& ascii)
{
    return TcxString(ascii.begin(), ascii.end());
}

inline std::string Utf8(const TcxString& text)
{
    return cxToUtf8(text);
}

// The message of a failed compilation (UTF-8, one error per line); empty
// when the expression compiled.
inline std::string CompileErrors(TcxRegExpr& expr, const TcxString& source)
{
    try {
        expr.Compile(source);
    } catch (const EcxRegExprError& e) {
        return e.what();
    }
    return {};
}

inline std::string CompileErrors(const std::string& source)
{
    TcxRegExpr expr;
    return CompileErrors(expr, Text(source));
}

// Feeds text from the start: -1 when every character was accepted, else the
// index of the first refused one.
inline int Feed(TcxRegExpr& expr, const TcxString& text)
{
    expr.Reset();
    for (size_t i = 0; i < text.size(); ++i)
        if (!expr.Advance(text[i]))
            return static_cast<int>(i);
    return -1;
}

inline bool FullMatch(TcxRegExpr& expr, const TcxString& text)
{
    return Feed(expr, text) < 0 && expr.MatchComplete();
}

inline bool FullMatch(TcxRegExpr& expr, const std::string& ascii)
{
    return FullMatch(expr, Text(ascii));
}
