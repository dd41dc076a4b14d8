#include <gtest/gtest.h>

#include <algorithm>

#include "RegExprTest.h"

namespace {

struct ErrorCase {
    const char* Source;
    const char* Expected;
};

} // namespace

TEST(RegExprErrors, EveryMessageCarriesItsLineAndColumn)
{
    const ErrorCase cases[] = {
        {"(ab", "Line 1, Char 4: Missing ')'"},
        {"ab)", "Line 1, Char 3: Unnecessary ')'"},
        {"a'bc", "Line 1, Char 5: Missing '''"},
        {"x[ab", "Line 1, Char 5: Missing ']'"},
        {"a{2", "Line 1, Char 4: Missing '}'"},
        {"a{2x}", "Line 1, Char 4: Illegal 'x'"},
        {"a{2'3}", "Line 1, Char 4: Illegal '''"},
        {"a{1,2,3}", "Line 1, Char 6: Illegal ','"},
        {"a\\", "Line 1, Char 2: Illegal '\\'"},
        {"[a\\1]", "Line 1, Char 3: Illegal '\\1'"},
        {"a\\x", "Line 1, Char 4: Hexadecimal number expected"},
        {"a\\xg", "Line 1, Char 4: Hexadecimal number expected but 'g' found"},
        {"a\\x10000g", "Line 1, Char 4: The hexadecimal number '10000' is too big for a character (FFFF at most)"},
        {"\\x000000000000000041", ""},
        {"a\\ b", "Line 1, Char 3: The space character is not allowed after '\\'"},
        {"a(b?)*", "Line 1, Char 6: The '*' quantifier cannot be applied here"},
        {"a?+", "Line 1, Char 3: The '+' quantifier cannot be applied here"},
        {"ab*{2}", "Line 1, Char 4: The parameter quantifier cannot be applied here"},
        {"a{3,2}", "Line 1, Char 2: Incorrect parameter quantifier"},
        {"a{,2}", "Line 1, Char 2: Incorrect parameter quantifier"},
        {"a{}", "Line 1, Char 2: Incorrect parameter quantifier"},
        {"a{99999999999}", "Line 1, Char 2: Illegal integer value"},
        {"*a", "Line 1, Char 1: Illegal quantifier '*'"},
        {"(a|?)", "Line 1, Char 4: Illegal quantifier '?'"},
        {"{2,3}a", "Line 1, Char 1: Illegal quantifier '{2,3}'"},
        {"a||b", "Line 1, Char 3: The alternative should not be empty"},
        {"a|", "Line 1, Char 2: The alternative should not be empty"},
        {"(|b)", "Line 1, Char 2: The alternative should not be empty"},
        {"(|)", "Line 1, Char 2: The alternative should not be empty"},
        {"\t\t)", "Line 1, Char 3: Unnecessary ')'"},
        {"a()", "Line 1, Char 2: The block should not be empty"},
        {"x[]", "Line 1, Char 2: Can't create empty enumeration"},
        {"[^]", "Line 1, Char 1: Can't create empty enumeration"},
        {"[z-a]", "Line 1, Char 3: The starting character of the subrange must be less than the finishing one"},
        {"[a-a]", "Line 1, Char 3: The starting character of the subrange must be less than the finishing one"},
        {"(a)\\2", "Line 1, Char 4: Too big reference number"},
        {"(a\\1)", "Line 1, Char 3: Too big reference number"},
        {"\\1", "Line 1, Char 1: Too big reference number"},
        {"''", "The alternative should not be empty"},
        {"  \r\n\t ", "The source stream is empty"},
        {"", "The source stream is empty"},
        {"((a{100}){100}){100}", "Line 1, Char 16: The expression is too complex"},
    };
    for (const ErrorCase& c : cases)
        EXPECT_EQ(c.Expected, CompileErrors(c.Source)) << "expression: " << c.Source;
}

TEST(RegExprErrors, LinesAndColumnsFollowLineBreaks)
{
    // A carriage return starts a line; the line feed after it belongs to it.
    EXPECT_EQ("Line 2, Char 3: Missing ')'", CompileErrors("ab\r\n(c"));
    EXPECT_EQ("Line 3, Char 1: The alternative should not be empty", CompileErrors("a\r\n  b\r\n|"));
    // A carriage return alone, a line feed alone and a line feed before a carriage
    // return each end a line too.
    EXPECT_EQ("Line 2, Char 3: Missing ')'", CompileErrors("ab\r(c"));
    EXPECT_EQ("Line 3, Char 1: Unnecessary ')'", CompileErrors("a\n\r)"));
    EXPECT_EQ("Line 4, Char 2: Unnecessary ')'", CompileErrors("a\n\n\r\n )"));
    // A line feed alone is a line break too.
    EXPECT_EQ("Line 2, Char 4: The starting character of the subrange must be less than the finishing one",
              CompileErrors("a\n [z-a]"));
    EXPECT_EQ("Line 1, Char 3: Missing '''", CompileErrors("a'"));
    // A missing closer is placed one past the last character read.
    EXPECT_EQ("Line 2, Char 1: Missing ')'", CompileErrors("(a\r\n"));
    // Inside quotes spaces and line breaks count like any character.
    EXPECT_EQ("Line 2, Char 5: Unnecessary ')'", CompileErrors("'a\r\nb' c)"));
}

TEST(RegExprErrors, OneCompilationReportsEveryError)
{
    TcxRegExpr expr;
    try {
        expr.Compile(Text("(a||b)[z-a]\\ c{,}\r\nx{2y}(d"));
        FAIL() << "compiled";
    } catch (const EcxRegExprError& e) {
        const TcxRegExprErrors& errors = e.Errors();
        ASSERT_EQ(6, errors.Count());
        EXPECT_EQ("Line 1, Char 4: The alternative should not be empty", Utf8(errors[0].Text()));
        EXPECT_EQ("Line 1, Char 9: The starting character of the subrange must be less than the finishing one",
                  Utf8(errors[1].Text()));
        EXPECT_EQ("Line 1, Char 13: The space character is not allowed after '\\'", Utf8(errors[2].Text()));
        EXPECT_EQ("Line 1, Char 15: Incorrect parameter quantifier", Utf8(errors[3].Text()));
        EXPECT_EQ("Line 2, Char 4: Illegal 'y'", Utf8(errors[4].Text()));
        EXPECT_EQ("Line 2, Char 8: Missing ')'", Utf8(errors[5].Text()));
        EXPECT_EQ(2, errors[4].Line);
        EXPECT_EQ(4, errors[4].Column);
        EXPECT_EQ(errors.Text(), e.Message());
        EXPECT_EQ(6u, std::count(e.Message().begin(), e.Message().end(), '\n') + 1u);
    }
    EXPECT_FALSE(expr.Compiled());
}

TEST(RegExprErrors, ErrorsFollowingFromAnEarlierOneAreNotRepeated)
{
    // The quantifiers of a refused item, and the alternative or group it
    // leaves empty, are not reported again.
    EXPECT_EQ("Line 1, Char 1: Illegal quantifier '*'", CompileErrors("*+?|a"));
    EXPECT_EQ("Line 1, Char 2: Can't create empty enumeration", CompileErrors("([])*"));
    // An unclosed class or count is dropped whole.
    EXPECT_EQ("Line 1, Char 7: Missing ']'", CompileErrors("a[(b|*"));
    EXPECT_EQ("Line 1, Char 4: Illegal '('\nLine 1, Char 8: Missing '}'", CompileErrors("a{2(b)*"));
}

TEST(RegExprErrors, ErrorTextWithoutColumnOrLine)
{
    EXPECT_EQ("Line 3: gone", Utf8(TcxRegExprError(3, 0, Text("gone")).Text()));
    EXPECT_EQ("gone", Utf8(TcxRegExprError(0, 7, Text("gone")).Text()));
    EXPECT_EQ("Line 1, Char 2: gone", Utf8(TcxRegExprError(1, 2, Text("gone")).Text()));
}

TEST(RegExprErrors, NullSourceIsNotAssigned)
{
    TcxRegExpr expr;
    try {
        expr.Compile(static_cast<const TcxChar*>(nullptr));
        FAIL() << "compiled";
    } catch (const EcxRegExprError& e) {
        EXPECT_STREQ("The source stream is not assigned", e.what());
        EXPECT_EQ(0, e.Errors()[0].Line);
    }
}

TEST(RegExprErrors, EveryOperationNeedsACompiledExpression)
{
    TcxRegExpr expr;
    auto expectNotCompiled = [](auto operation) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const EcxRegExprError& e) {
            EXPECT_STREQ("Regular expression is not compiled", e.what());
        }
    };
    expectNotCompiled([&] { expr.Advance('a'); });
    expectNotCompiled([&] { expr.StepBack(); });
    expectNotCompiled([&] { expr.AtStart(); });
    expectNotCompiled([&] { expr.MatchComplete(); });
    expectNotCompiled([&] { expr.FilterText(Text("a")); });
    expectNotCompiled([&] { expr.Reset(); });

    // A failed compilation drops the expression compiled before.
    expr.Compile(Text("a"));
    EXPECT_TRUE(expr.Advance('a'));
    EXPECT_FALSE(CompileErrors(expr, Text("(a")).empty());
    expectNotCompiled([&] { expr.Advance('a'); });
    // And the next good one works again.
    expr.Compile(Text("b"));
    EXPECT_TRUE(FullMatch(expr, "b"));
}

TEST(RegExprErrors, MessagesReachWhatAsUtf8)
{
    TcxRegExpr expr;
    EXPECT_EQ("Line 1, Char 3: Illegal '中'", CompileErrors(expr, cxT("a{中}")));
}
