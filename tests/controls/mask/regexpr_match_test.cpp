#include <gtest/gtest.h>

#include "RegExprTest.h"

namespace {

TcxRegExpr& Compiled(TcxRegExpr& expr, const std::string& source)
{
    expr.Compile(Text(source));
    return expr;
}

// Which of the strings the expression matches whole.
std::string Verdicts(const std::string& source, std::initializer_list<const char*> inputs)
{
    TcxRegExpr expr;
    Compiled(expr, source);
    std::string result;
    for (const char* input : inputs)
        result += FullMatch(expr, input) ? '1' : '0';
    return result;
}

} // namespace

TEST(RegExprMatch, CountedDigitsAcceptTwoToFour)
{
    TcxRegExpr expr;
    Compiled(expr, "\\d{2,4}");
    EXPECT_TRUE(expr.Advance('1'));
    EXPECT_FALSE(expr.MatchComplete());
    EXPECT_TRUE(expr.Advance('2'));
    EXPECT_TRUE(expr.MatchComplete());
    EXPECT_TRUE(expr.Advance('3'));
    EXPECT_TRUE(expr.MatchComplete());
    EXPECT_TRUE(expr.Advance('4'));
    EXPECT_TRUE(expr.MatchComplete());
    EXPECT_FALSE(expr.Advance('5'));
    EXPECT_FALSE(expr.Advance('x'));
    EXPECT_TRUE(expr.MatchComplete());
}

TEST(RegExprMatch, QuantifiersAlternativesAndGroups)
{
    EXPECT_EQ("0110", Verdicts("ab?c", {"a", "ac", "abc", "abbc"}));
    EXPECT_EQ("1110", Verdicts("ab*", {"a", "ab", "abbb", "b"}));
    EXPECT_EQ("0111", Verdicts("ab+", {"a", "ab", "abbb", "abbbb"}));
    EXPECT_EQ("11100", Verdicts("cat|dog|(b|c)ow", {"cat", "bow", "cow", "dow", "catdog"}));
    EXPECT_EQ("10101", Verdicts("(ab|c)*", {"", "a", "abcab", "aba", "cc"}));
    EXPECT_EQ("0101", Verdicts("a{2}b{1,}", {"ab", "aab", "aa", "aabbb"}));
    EXPECT_EQ("100", Verdicts("x(ab){0}y", {"xy", "xaby", "x"}));
    // A quantifier on a quantified item quantifies a group around it.
    EXPECT_EQ("111", Verdicts("a+?", {"", "a", "aaa"}));
    EXPECT_EQ("1101", Verdicts("(ab)??c", {"c", "abc", "ababc", "abc"}));
    EXPECT_EQ("0101", Verdicts("a{2}{3}", {"aa", "aaaaaa", "aaaaaaa", "aaaaaa"}));
    EXPECT_EQ("0110", Verdicts("a{2,}", {"a", "aa", "aaaaa", ""}));
    // Whitespace between tokens means nothing; quoted it is a character.
    EXPECT_EQ("10", Verdicts("a b\r\n c", {"abc", "a b c"}));
    EXPECT_EQ("01", Verdicts("a' 'b", {"ab", "a b"}));
    EXPECT_EQ("1", Verdicts("'it''s (*)'", {"it's (*)"}));
}

TEST(RegExprMatch, CountsAreCopiesInAGroup)
{
    TcxRegExpr expr;
    // n copies, then the optional copies nested one inside the other.
    EXPECT_EQ("(aa(aa?)?)", Utf8(Compiled(expr, "a{2,4}").Print()));
    EXPECT_EQ("(aaa*)", Utf8(Compiled(expr, "a{2,}").Print()));
    EXPECT_EQ("((ab)(ab))", Utf8(Compiled(expr, "(ab){2}").Print()));
    EXPECT_EQ("(a+)*", Utf8(Compiled(expr, "a+*").Print()));
    EXPECT_EQ("((a?)?)?", Utf8(Compiled(expr, "a???").Print()));
    EXPECT_EQ("()", Utf8(Compiled(expr, "a{0}").Print()));
    EXPECT_TRUE(FullMatch(expr, ""));
    EXPECT_FALSE(FullMatch(expr, "a"));
    // A count on a quantified item counts the item with its quantifier.
    EXPECT_EQ("((a+)?)", Utf8(Compiled(expr, "a+{0,1}").Print()));
    EXPECT_EQ("1110", Verdicts("a+{0,1}", {"", "a", "aa", "b"}));
    EXPECT_EQ("1011", Verdicts("(ab)+{0,1}", {"", "aba", "abab", "ab"}));
    EXPECT_EQ("0101", Verdicts("a+{2}", {"a", "aa", "b", "aaaaa"}));
    EXPECT_EQ("0110", Verdicts("(ab)+{2,}", {"ab", "abab", "ababab", "aba"}));
}

TEST(RegExprMatch, ReferencesCopyAnEarlierGroup)
{
    // A copy of the group's expression, not of the text it matched.
    EXPECT_EQ("1100", Verdicts("(a|b)-\\1", {"a-b", "b-b", "a-", "a-c"}));
    // Groups are numbered by their opening parentheses, nested ones included.
    EXPECT_EQ("10", Verdicts("((x)y)\\2\\1", {"xyxxy", "xyxyx"}));
    // The group's own quantifier is not part of the copy.
    EXPECT_EQ("110", Verdicts("(ab)?\\1", {"ab", "abab", "ababab"}));
    EXPECT_EQ("101", Verdicts("(a)\\1*", {"a", "", "aaaa"}));
    EXPECT_EQ("1010", Verdicts("(\\d)\\1+", {"12", "1", "123", ""}));
}

TEST(RegExprMatch, ClassesRangesAndNegation)
{
    EXPECT_EQ("11110", Verdicts("[a-c_\\d]", {"a", "c", "_", "7", "d"}));
    EXPECT_EQ("00011", Verdicts("[^a-c\\d]", {"a", "b", "5", "d", "-"}));
    // A dash at either end, after a range or beside a class escape is a character.
    EXPECT_EQ("110", Verdicts("[a-]", {"a", "-", "b"}));
    EXPECT_EQ("110", Verdicts("[-a]", {"a", "-", "b"}));
    EXPECT_EQ("1101", Verdicts("[a-c-e]", {"b", "-", "d", "e"}));
    EXPECT_EQ("1110", Verdicts("[\\d-z]", {"5", "-", "z", "y"}));
    EXPECT_EQ("110", Verdicts("['-'x]", {"-", "x", "'"}));
    // Escapes and quotes inside; ^ not first is a character; spaces need quotes.
    EXPECT_EQ("11110", Verdicts("[\\x41-\\x43\\]a^]", {"B", "]", "a", "^", "D"}));
    EXPECT_EQ("110", Verdicts("[a ' ']", {"a", " ", "b"}));
    EXPECT_EQ("11", Verdicts("[(*)]+", {"(*)", "*"}));
}

TEST(RegExprMatch, EscapesAndPredefinedClasses)
{
    TcxRegExpr expr;
    Compiled(expr, "\\a\\e\\f\\n\\r\\t");
    EXPECT_TRUE(FullMatch(expr, TcxString{7, 27, 12, 10, 13, 9}));
    // Every hexadecimal digit that follows belongs to the number.
    Compiled(expr, "\\x4E2D\\x41B\\x41\\x0041\\x00041");
    EXPECT_TRUE(FullMatch(expr, TcxString{0x4E2D, 0x41B, 0x41, 0x41, 0x41}));
    Compiled(expr, "\\x20'1'");
    EXPECT_TRUE(FullMatch(expr, " 1"));
    // Printed back so that no following digit joins a code, and read back the same.
    Compiled(expr, "\\x06\\x01'1'[a\\x20]");
    EXPECT_EQ("[\\x0006][\\x0001]1[a\\x0020]", Utf8(expr.Print()));
    Compiled(expr, Utf8(expr.Print()));
    EXPECT_TRUE(FullMatch(expr, TcxString{6, 1, '1', ' '}));
    // A vertical tab is a space too.
    EXPECT_EQ("1110", Verdicts("\\s", {"\v", "\f", " ", "x"}));
    EXPECT_EQ("001", Verdicts("\\S", {"\v", "\r", "x"}));
    // Anything else after the backslash is that character, \0 included.
    EXPECT_EQ("10", Verdicts("\\0\\.\\*\\'\\/\\:\\b", {"0.*'/:b", "0x*'/:b"}));
    Compiled(expr, "\\w+");
    EXPECT_TRUE(FullMatch(expr, cxT("aZ_09中文")));
    EXPECT_FALSE(FullMatch(expr, cxT("a-b")));
    Compiled(expr, "\\W\\s\\S\\D\\d");
    EXPECT_TRUE(FullMatch(expr, cxT("-\u3000x.5")));
    EXPECT_FALSE(FullMatch(expr, cxT("a\u3000x.5")));
    EXPECT_FALSE(FullMatch(expr, cxT("- x55")));
    // '.' takes every character.
    Compiled(expr, ".+");
    EXPECT_TRUE(FullMatch(expr, TcxString{'\n', 0, 0xD800, 0xFFFF}));
}

TEST(RegExprMatch, SeparatorsComeFromTheLocale)
{
    const TcxLocaleSeparators separators = cxGetLocaleSeparators();
    TcxRegExpr expr;
    Compiled(expr, "\\d\\d/\\d\\d:\\d\\d");
    EXPECT_TRUE(FullMatch(expr, TcxString{'1', '2', separators.Date, '3', '4', separators.Time, '5', '6'}));
    Compiled(expr, "[/:]");
    EXPECT_TRUE(FullMatch(expr, TcxString(1, separators.Date)));
    EXPECT_TRUE(FullMatch(expr, TcxString(1, separators.Time)));
    if (separators.Date != '-') {
        EXPECT_FALSE(FullMatch(expr, "-"));
    }
}

TEST(RegExprMatch, CaseInsensitive)
{
    TcxRegExpr expr;
    Compiled(expr, "abc");
    EXPECT_FALSE(FullMatch(expr, "ABC"));
    expr.SetCaseInsensitive(true);
    EXPECT_TRUE(FullMatch(expr, "ABC"));
    EXPECT_TRUE(FullMatch(expr, "aBc"));
    Compiled(expr, "[a-c]+[^x]\\d");
    EXPECT_TRUE(FullMatch(expr, "AbCy1"));
    EXPECT_FALSE(FullMatch(expr, "abX1"));
    EXPECT_FALSE(FullMatch(expr, "abyz"));
    // Beyond ASCII: Latin-1, Latin Extended-A, Greek (both sigmas), Cyrillic, full-width.
    expr.Compile(cxT("éłσжａ"));
    EXPECT_TRUE(FullMatch(expr, cxT("ÉŁΣЖＡ")));
    EXPECT_TRUE(FullMatch(expr, cxT("éŁςжＡ")));
    expr.SetCaseInsensitive(false);
    EXPECT_FALSE(FullMatch(expr, cxT("ÉŁΣЖＡ")));
}

TEST(RegExprMatch, CaseMappingIsOneToOne)
{
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        const TcxChar c = static_cast<TcxChar>(u);
        const TcxChar lower = cxLowerCase(c);
        const TcxChar upper = cxUpperCase(c);
        if (lower != c) {
            ASSERT_EQ(c, cxUpperCase(lower)) << std::hex << u;
        }
        if (upper != c && u != 0x3C2) { // final sigma has the common capital
            ASSERT_EQ(c, cxLowerCase(upper)) << std::hex << u;
        }
    }
}

TEST(RegExprMatch, StepBackAndStart)
{
    TcxRegExpr expr;
    Compiled(expr, "ab|ac");
    EXPECT_TRUE(expr.AtStart());
    expr.StepBack(); // nothing to take back
    EXPECT_TRUE(expr.AtStart());
    EXPECT_TRUE(expr.Advance('a'));
    EXPECT_FALSE(expr.AtStart());
    EXPECT_TRUE(expr.Advance('b'));
    EXPECT_TRUE(expr.MatchComplete());
    // A refused character changes nothing.
    EXPECT_FALSE(expr.Advance('c'));
    EXPECT_TRUE(expr.MatchComplete());
    expr.StepBack();
    EXPECT_FALSE(expr.MatchComplete());
    EXPECT_FALSE(expr.AtStart());
    EXPECT_TRUE(expr.Advance('c'));
    EXPECT_TRUE(expr.MatchComplete());
    expr.StepBack();
    expr.StepBack();
    EXPECT_TRUE(expr.AtStart());
    EXPECT_FALSE(expr.Advance('b'));
    EXPECT_TRUE(expr.AtStart());
}

TEST(RegExprMatch, FilterTextKeepsTheAcceptedCharacters)
{
    TcxRegExpr expr;
    Compiled(expr, "\\d{3}-\\d{4}");
    EXPECT_EQ("555-1234", Utf8(expr.FilterText(Text("5a5 5-12x345678"))));
    EXPECT_TRUE(expr.MatchComplete());
    // It goes on from where the automaton stands.
    expr.Reset();
    EXPECT_EQ("12", Utf8(expr.FilterText(Text("12"))));
    EXPECT_EQ("3-", Utf8(expr.FilterText(Text("3x-"))));
    EXPECT_FALSE(expr.MatchComplete());
    expr.StepBack();
    expr.StepBack();
    EXPECT_EQ("3-9", Utf8(expr.FilterText(Text("3-9"))));
}

TEST(RegExprMatch, RecompilingReplacesTheExpression)
{
    TcxRegExpr expr;
    Compiled(expr, "(a)");
    EXPECT_TRUE(expr.Advance('a'));
    // The groups of the previous expression are gone.
    EXPECT_EQ("Line 1, Char 2: Too big reference number", CompileErrors(expr, Text("b\\1?")));
    Compiled(expr, "b(c)\\1");
    EXPECT_TRUE(expr.AtStart());
    EXPECT_FALSE(expr.Advance('a'));
    EXPECT_TRUE(FullMatch(expr, "bcc"));
}

TEST(RegExprMatch, LexemesKeepTheirKindsAndPlaces)
{
    TcxRegExpr expr;
    EXPECT_FALSE(CompileErrors(expr, Text("a.\r\n 'b c'{2,3}\\w[^x-z]\\1?/:")).empty());
    // (\1 refers to nothing: the compilation fails, the lexemes stay.)
    const TcxLexems& lexems = expr.Lexems();
    ASSERT_EQ(17u, lexems.size());
    struct Expected {
        int Line, Column;
        TcxLexemKind Kind;
        const char* Text;
    };
    const Expected expected[] = {
        {1, 1, lkSymbol, "a"},    {1, 2, lkAll, "."},        {2, 3, lkSymbol, "b"},
        {2, 4, lkSymbol, " "},    {2, 5, lkSymbol, "c"},     {2, 7, lkParameter, "2,3"},
        {2, 12, lkIdLetter, "w"}, {2, 14, lkOperator, "["},  {2, 15, lkOperator, "^"},
        {2, 16, lkSymbol, "x"},   {2, 17, lkOperator, "-"},  {2, 18, lkSymbol, "z"},
        {2, 19, lkOperator, "]"}, {2, 20, lkReference, "1"}, {2, 22, lkOperator, "?"},
        {2, 23, lkDateSeparator, "/"}, {2, 24, lkTimeSeparator, ":"},
    };
    for (size_t i = 0; i < lexems.size(); ++i) {
        EXPECT_EQ(expected[i].Line, lexems[i].Line) << i;
        EXPECT_EQ(expected[i].Column, lexems[i].Column) << i;
        EXPECT_EQ(expected[i].Kind, lexems[i].Kind) << i;
        EXPECT_EQ(expected[i].Text, Utf8(lexems[i].Text)) << i;
    }
}

TEST(RegExprMatch, LargeExpressionsStayWithinBounds)
{
    TcxRegExpr expr;
    // A long chain of nested optional copies: deep, but within the limits.
    Compiled(expr, ".{0,900}");
    EXPECT_EQ(-1, Feed(expr, TcxString(900, 'x')));
    EXPECT_TRUE(expr.MatchComplete());
    EXPECT_FALSE(expr.Advance('x'));
    // Deeply nested groups.
    Compiled(expr, std::string(400, '(') + "a" + std::string(400, ')') + "+");
    EXPECT_TRUE(FullMatch(expr, "aaa"));
    // Beyond the limits: an error, not an exhausted stack or memory.
    EXPECT_EQ("Line 1, Char 1000: The expression is too complex",
              CompileErrors(std::string(1200, '(') + "a" + std::string(1200, ')')));
    EXPECT_EQ("Line 1, Char 2: The expression is too complex", CompileErrors(".{0,5000}"));
    EXPECT_EQ("Line 1, Char 6: The expression is too complex", CompileErrors("(a)\\1{100000}"));
}

TEST(RegExprMatch, EachStepVisitsOnlyTheActiveStates)
{
    TcxRegExpr expr;
    // A classic backtracking trap: (a|a)* followed by b, fed many a's.
    Compiled(expr, "(a|aa)*(a|b)*c");
    const int states = expr.StateCount();
    for (int i = 0; i < 5000; ++i) {
        ASSERT_TRUE(expr.Advance('a'));
        ASSERT_LE(expr.ActiveStateCount(), states);
    }
    EXPECT_FALSE(expr.MatchComplete());
    EXPECT_TRUE(expr.Advance('c'));
    EXPECT_TRUE(expr.MatchComplete());
}

TEST(RegExprMatch, RememberedTransitionsFollowTheCaseModeAndTheCacheStaysBounded)
{
    TcxRegExpr expr;
    Compiled(expr, "ab+");
    EXPECT_FALSE(FullMatch(expr, "AB")) << "refusal remembered for the case-sensitive mode";
    expr.SetCaseInsensitive(true);
    EXPECT_TRUE(FullMatch(expr, "ABbB"));
    expr.SetCaseInsensitive(false);
    EXPECT_FALSE(FullMatch(expr, "Ab"));
    EXPECT_TRUE(FullMatch(expr, "abbb"));

    // More sets than the cache keeps: every one of 3000 positions is its own set.
    Compiled(expr, "[ab]{3000}");
    const TcxString input = Text(std::string(3000, 'a'));
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(-1, Feed(expr, input));
        EXPECT_TRUE(expr.MatchComplete());
        EXPECT_FALSE(expr.Advance('a'));
        for (int i = 0; i < 1500; ++i)
            expr.StepBack();
        EXPECT_FALSE(expr.MatchComplete());
        EXPECT_EQ(1500, expr.ActiveStateCount() * 1500) << "one state per position";
        EXPECT_EQ(-1, Feed(expr, input)) << "round " << round;
    }
    EXPECT_EQ(TcxRegExprAutomat::MaxCachedSets, expr.CachedSetCount());
}
