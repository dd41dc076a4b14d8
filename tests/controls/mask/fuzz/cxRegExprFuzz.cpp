// libFuzzer target for the regular-expression masks.
//
// Input: one flags byte (bit 0: case-insensitive, bit 1: also FilterText),
// the expression, a 0x00 byte, then the typed keys. Bytes are code units;
// 0xFF followed by two bytes is the code unit hi*256+lo. Among the keys, 0x08
// steps back and 0x7F resets.
//
// Besides crashes, leaks and hangs it checks what must hold for any
// expression: a refused character changes nothing, StepBack restores the
// previous answer, the tree printed back compiles to the same automaton.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "controls/mask/cxRegExpr.h"

namespace {

TcxString Decode(const uint8_t* data, size_t size, size_t& pos, bool stopAtZero)
{
    TcxString result;
    while (pos < size) {
        const uint8_t b = data[pos++];
        if (b == 0 && stopAtZero)
            break;
        if (b == 0xFF && pos + 1 < size) {
            result += static_cast<TcxChar>(data[pos] << 8 | data[pos + 1]);
            pos += 2;
        } else {
            result += static_cast<TcxChar>(b);
        }
    }
    return result;
}

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool Compiles(TcxRegExpr& expr, const TcxString& source)
{
    try {
        expr.Compile(source);
        return true;
    } catch (const EcxRegExprError& e) {
        Require(e.Errors().Count() > 0);
        for (int i = 0; i < e.Errors().Count(); ++i)
            Require(!e.Errors()[i].Text().empty());
        Require(e.what()[0] != 0);
        Require(!expr.Compiled());
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool caseInsensitive = data[0] & 1;
    const bool filter = data[0] & 2;
    size_t pos = 1;
    const TcxString source = Decode(data, size, pos, true);
    const TcxString keys = Decode(data, size, pos, false);

    TcxRegExpr expr;
    expr.SetCaseInsensitive(caseInsensitive);
    if (!Compiles(expr, source)) {
        try {
            expr.Advance('a');
            Require(false);
        } catch (const EcxRegExprError&) {
        }
        return 0;
    }

    // A second automaton from the printed tree, fed the same keys.
    TcxRegExpr reprinted;
    reprinted.SetCaseInsensitive(caseInsensitive);
    const TcxString printed = expr.Print();
    // An empty group ("a{0}") or a star on a group that can be empty ("(a?){2,}")
    // has no printed form of its own; such a print is allowed not to compile.
    const bool twin = Compiles(reprinted, printed);

    std::vector<bool> answers{expr.MatchComplete()};
    for (TcxChar key : keys) {
        if (key == 0x08) {
            expr.StepBack();
            if (twin)
                reprinted.StepBack();
            if (answers.size() > 1)
                answers.pop_back();
            Require(expr.MatchComplete() == answers.back());
            Require(expr.AtStart() == (answers.size() == 1));
            continue;
        }
        if (key == 0x7F) {
            expr.Reset();
            if (twin)
                reprinted.Reset();
            answers.resize(1);
            Require(expr.AtStart() && expr.MatchComplete() == answers[0]);
            continue;
        }
        const bool wasAtStart = expr.AtStart();
        const bool accepted = expr.Advance(key);
        if (twin)
            Require(reprinted.Advance(key) == accepted);
        if (accepted) {
            Require(!expr.AtStart());
            answers.push_back(expr.MatchComplete());
        } else {
            Require(expr.AtStart() == wasAtStart);
            Require(expr.MatchComplete() == answers.back());
        }
        if (twin)
            Require(reprinted.MatchComplete() == expr.MatchComplete());
    }

    if (filter) {
        expr.Reset();
        const TcxString kept = expr.FilterText(keys);
        Require(kept.size() <= keys.size());
        // What was kept is accepted whole when fed again.
        expr.Reset();
        for (TcxChar c : kept)
            Require(expr.Advance(c));
    }
    return 0;
}
