// The automaton against std::regex (ECMAScript, whole-string match) on
// generated expressions: no spaces, quotes, '/' or ':' (they mean other things
// in a mask), no empty alternatives, no '*' or '+' on items that can be empty,
// no references (a mask's reference copies the group's expression), ASCII only.
// A quantifier or count stacked on a quantified item quantifies the item with
// its quantifier; std::regex is given that as a group ("a+{0,1}" is
// "(?:a+){0,1}"), since to it "a+?" is a lazy "a+".
#include <gtest/gtest.h>

// GCC 12 warns inside <regex> itself.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <cctype>
#include <cstdio>
#include <functional>
#include <random>
#include <regex>
#include <set>

#include "RegExprTest.h"

namespace {

// std::regex backtracks: nested quantifiers on a long input that fails take
// exponential time (and deep inputs exhaust its stack), so inputs stay short.
constexpr size_t MaxSample = 10;

using Sampler = std::function<void(std::string&)>;
using Predicate = std::function<bool(char)>;

struct Node {
    std::string Text;    // the mask
    std::string Oracle;  // the same language for std::regex
    bool Nullable;
    Sampler Sample;
    int Loops = 0;  // repetitions nested in one another, at most
};

bool IsWord(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

class Generator {
public:
    // Stacked: quantifiers stacked on quantified items, groups one level deep.
    Generator(unsigned seed, bool caseInsensitive, bool stacked = false)
        : rng_(seed), caseInsensitive_(caseInsensitive), stacked_(stacked)
    {
        alphabet_ = caseInsensitive ? "abcxABCX019_- \t.*(" : "abcx019_- \t.*(";
        if (stacked)
            alphabet_ += '\v';
    }

    Node Expression() { return Alternatives(0); }

    // Characters worth trying: the base set and every literal of the expression.
    std::string Alphabet(const std::string& expression) const
    {
        std::string result = alphabet_;
        for (char c : expression)
            if (result.find(c) == std::string::npos && c != '\\' && c != '[' && c != ']')
                result += c;
        return result;
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Pick(100) < percent; }
    char AnyOf(const std::string& set) { return set[Pick(static_cast<int>(set.size()))]; }

    // A character of the alphabet for which the predicate holds (or any one,
    // which then only makes a negative case).
    char Satisfying(const Predicate& predicate)
    {
        for (int i = 0; i < 20; ++i) {
            const char c = AnyOf(alphabet_);
            if (predicate(c))
                return c;
        }
        return AnyOf(alphabet_);
    }

private:
    Node Alternatives(int depth)
    {
        const int count = 1 + Pick(depth == 0 ? 3 : 3);
        std::vector<Node> alts;
        for (int i = 0; i < count; ++i)
            alts.push_back(Sequence(depth));
        Node node{"", "", false, nullptr};
        for (size_t i = 0; i < alts.size(); ++i) {
            node.Text += (i ? "|" : "") + alts[i].Text;
            node.Oracle += (i ? "|" : "") + alts[i].Oracle;
            node.Nullable = node.Nullable || alts[i].Nullable;
            node.Loops = std::max(node.Loops, alts[i].Loops);
        }
        node.Sample = [this, alts](std::string& out) { alts[Pick(static_cast<int>(alts.size()))].Sample(out); };
        return node;
    }

    Node Sequence(int depth)
    {
        const int count = 1 + Pick(3);
        std::vector<Node> items;
        for (int i = 0; i < count; ++i)
            items.push_back(Quantified(depth));
        Node node{"", "", true, nullptr};
        for (const Node& item : items) {
            node.Text += item.Text;
            node.Oracle += item.Oracle;
            node.Nullable = node.Nullable && item.Nullable;
            node.Loops = std::max(node.Loops, item.Loops);
        }
        node.Sample = [items](std::string& out) {
            for (const Node& item : items)
                item.Sample(out);
        };
        return node;
    }

    Node Quantified(int depth)
    {
        Node atom = Atom(depth);
        if (!Chance(40))
            return atom;
        Node once = Quantify(atom, Pick(6), false);
        // Stacked only on items without a repetition inside: std::regex backtracks
        // for ages over repetitions nested a few levels deep.
        const bool repeatsInside = atom.Text.find_first_of("*+") != std::string::npos ||
            atom.Text.find(",}") != std::string::npos;
        if (!stacked_ || repeatsInside || !Chance(40))
            return once;
        // A second one: a count only where the first cannot leave the item out,
        // and no repetition of a repetition.
        const char last = once.Text.back();
        const bool unbounded = last == '*' || last == '+' || once.Text.ends_with(",}");
        std::vector<int> kinds = {0};
        if (!unbounded)
            kinds.insert(kinds.end(), {1, 2, 4});
        if (last != '?' && last != '*')
            kinds.insert(kinds.end(), {3, 5});
        return Quantify(once, kinds[Pick(static_cast<int>(kinds.size()))], true);
    }

    // The item with one more quantifier: ?, *, +, {n}, {n,}, {n,m} by kind. A
    // quantified item is wrapped in a group for the oracle.
    Node Quantify(const Node& atom, int kind, bool stacked)
    {
        int low = 0, high = 0;
        std::string suffix;
        switch (kind) {
        case 0: suffix = "?"; low = 0; high = 1; break;
        case 1: suffix = "*"; low = 0; high = 3; break;
        case 2: suffix = "+"; low = 1; high = 3; break;
        case 3: low = high = Pick(4); suffix = "{" + std::to_string(low) + "}"; break;
        case 4: low = Pick(3); high = low + 2; suffix = "{" + std::to_string(low) + ",}"; break;
        default:
            low = Pick(3);
            high = low + Pick(3);
            suffix = "{" + std::to_string(low) + "," + std::to_string(high) + "}";
            break;
        }
        // Repeating what can match nothing is refused by the mask or read
        // differently by the two; a repetition of something that repeats inside
        // makes std::regex backtrack for minutes on a ten-character input (the
        // mask's own tests cover nested repetitions).
        const bool repeats = kind == 1 || kind == 2 || kind == 4;
        if (repeats && (atom.Nullable || (stacked_ && atom.Loops >= 1)))
            suffix = "?", low = 0, high = 1;
        Node node;
        node.Text = atom.Text + suffix;
        node.Oracle = (stacked ? "(?:" + atom.Oracle + ")" : atom.Oracle) + suffix;
        node.Nullable = atom.Nullable || low == 0;
        node.Loops = atom.Loops + (suffix == "*" || suffix == "+" || suffix.ends_with(",}") ? 1 : 0);
        Sampler inner = atom.Sample;
        node.Sample = [this, inner, low, high](std::string& out) {
            const int times = low + Pick(high - low + 1);
            for (int i = 0; i < times && out.size() < MaxSample; ++i)
                inner(out);
        };
        return node;
    }

    Node Literal(char c, const std::string& text)
    {
        return {text, text, false, [c](std::string& out) { out += c; }};
    }

    Node Atom(int depth)
    {
        const int kind = Pick(depth < (stacked_ ? 1 : 3) ? 9 : 7);
        switch (kind) {
        case 0:
        case 1: {
            const char c = AnyOf(caseInsensitive_ ? "abcxABCX019_-,;=!#%&<>@~" : "abcx019_-,;=!#%&<>@~");
            return Literal(c, std::string(1, c));
        }
        case 2: {
            const char c = AnyOf(".*+?()[]{}|\\^$");
            return Literal(c, std::string("\\") + c);
        }
        case 3: {
            const int which = Pick(6);
            static const char* names[] = {"\\d", "\\D", "\\w", "\\W", "\\s", "\\S"};
            static const Predicate tests[] = {IsDigit, IsWord, IsSpace};
            const Predicate base = tests[which / 2];
            const Predicate predicate = which % 2 ? Predicate([base](char c) { return !base(c); }) : base;
            return {names[which], names[which], false,
                    [this, predicate](std::string& out) { out += Satisfying(predicate); }};
        }
        case 4:
            return {".", ".", false, [this](std::string& out) { out += AnyOf(alphabet_); }};
        case 5: {
            if (Chance(50))
                return Literal('\t', "\\t");
            // A group ends the hexadecimal number, which ECMAScript reads as two digits.
            const char c = AnyOf("abcx019_");
            char hex[8];
            std::snprintf(hex, sizeof hex, Chance(50) ? "%02x" : "%02X", c);
            return Literal(c, std::string("(\\x") + hex + ")");
        }
        case 6:
            return Class();
        default: {
            Node inner = Alternatives(depth + 1);
            return {"(" + inner.Text + ")", "(" + inner.Oracle + ")", inner.Nullable, inner.Sample, inner.Loops};
        }
        }
    }

    Node Class()
    {
        const bool negative = Chance(30);
        std::string text = negative ? "[^" : "[";
        std::vector<Predicate> members;
        const int count = 1 + Pick(3);
        for (int i = 0; i < count; ++i) {
            switch (Pick(4)) {
            case 0: {
                static const std::string ranges[] = {"a-c", "x-z", "0-5", "A-C", "b-x", "1-9"};
                const std::string& range = ranges[Pick(6)];
                text += range;
                const char first = range[0], last = range[2];
                members.push_back([first, last](char c) { return c >= first && c <= last; });
                break;
            }
            case 1: {
                static const char* names[] = {"\\d", "\\w", "\\s", "\\D"};
                const int which = Pick(4);
                text += names[which];
                static const Predicate tests[] = {IsDigit, IsWord, IsSpace,
                                                  [](char c) { return !IsDigit(c); }};
                members.push_back(tests[which]);
                break;
            }
            case 2: {
                const char c = AnyOf("]\\^-");
                text += std::string("\\") + c;
                members.push_back([c](char x) { return x == c; });
                break;
            }
            default: {
                const char c = AnyOf("abcxA_.*+?()|{}$,;");
                text += c;
                members.push_back([c](char x) { return x == c; });
                break;
            }
            }
        }
        if (Chance(15)) {
            text += "-";
            members.push_back([](char c) { return c == '-'; });
        }
        text += "]";
        const bool icase = caseInsensitive_;
        Predicate inClass = [members, negative, icase](char c) {
            auto any = [&](char x) {
                for (const Predicate& member : members)
                    if (member(x))
                        return true;
                return false;
            };
            bool found = any(c);
            if (icase && !found && std::isalpha(static_cast<unsigned char>(c)))
                found = any(static_cast<char>(std::tolower(c))) || any(static_cast<char>(std::toupper(c)));
            return found != negative;
        };
        return {text, text, false, [this, inClass](std::string& out) { out += Satisfying(inClass); }};
    }

    std::mt19937 rng_;
    bool caseInsensitive_;
    bool stacked_;
    std::string alphabet_;
};

struct Checker {
    TcxRegExpr Mask;
    std::regex Regex;
    std::string Source;
    std::string Oracle;
    int Failures = 0;

    void Fail(const std::string& what, const std::string& input)
    {
        if (++Failures <= 10)
            ADD_FAILURE() << what << "\n  expression: " << Source << "\n  std::regex: " << Oracle
                          << "\n  input: \"" << input << "\"";
    }

    // The three rules: a refusal means no match; a match is fed through and
    // complete; fed through, complete exactly when std::regex matches. Then
    // every prefix again, stepping back from the end.
    void Check(const std::string& input)
    {
        const bool expected = std::regex_match(input, Regex);
        const int refused = Feed(Mask, Text(input));
        if (refused >= 0) {
            if (expected)
                Fail("refused character " + std::to_string(refused) + " of a matching input", input);
            return;
        }
        if (Mask.MatchComplete() != expected) {
            Fail(expected ? "not complete" : "complete without a match", input);
            return;
        }
        for (size_t length = input.size(); length-- > 0;) {
            Mask.StepBack();
            const std::string prefix = input.substr(0, length);
            if (Mask.MatchComplete() != std::regex_match(prefix, Regex)) {
                Fail("after stepping back, MatchComplete differs", prefix);
                return;
            }
        }
        if (!Mask.AtStart())
            Fail("not at the start after stepping back over every character", input);
    }
};

void RunDifferential(unsigned seed, int expressions, bool caseInsensitive, bool stackedQuantifiers = false)
{
    Generator generator(seed, caseInsensitive, stackedQuantifiers);
    Checker checker;
    checker.Mask.SetCaseInsensitive(caseInsensitive);
    int inputs = 0;
    int stacked = 0;
    for (int e = 0; e < expressions && checker.Failures < 10; ++e) {
        const Node node = generator.Expression();
        checker.Source = node.Text;
        checker.Oracle = node.Oracle;
        const std::string errors = CompileErrors(checker.Mask, Text(node.Text));
        if (!errors.empty()) {
            checker.Fail("does not compile: " + errors, "");
            continue;
        }
        auto flags = std::regex::ECMAScript;
        if (caseInsensitive)
            flags |= std::regex::icase;
        checker.Regex = std::regex(node.Oracle, flags);
        stacked += node.Text != node.Oracle;

        std::set<std::string> cases;
        for (int i = 0; i < 12; ++i) {
            std::string sample;
            node.Sample(sample);
            if (sample.size() > MaxSample + 4)
                continue;
            cases.insert(sample);
            if (sample.empty())
                continue;
            const std::string alphabet = generator.Alphabet(node.Text);
            const size_t at = generator.Pick(static_cast<int>(sample.size()));
            cases.insert(sample.substr(0, at) + sample.substr(at + 1));
            cases.insert(sample.substr(0, at) + generator.AnyOf(alphabet) + sample.substr(at));
            std::string replaced = sample;
            replaced[at] = generator.AnyOf(alphabet);
            cases.insert(replaced);
        }
        const std::string alphabet = generator.Alphabet(node.Text);
        for (int i = 0; i < 12; ++i) {
            std::string random;
            for (int n = generator.Pick(6); n > 0; --n)
                random += generator.AnyOf(alphabet);
            cases.insert(random);
        }
        for (const std::string& input : cases)
            checker.Check(input);
        inputs += static_cast<int>(cases.size());
    }
    EXPECT_EQ(0, checker.Failures);
    EXPECT_GT(inputs, expressions * 10);
    if (stackedQuantifiers) {
        EXPECT_GT(stacked, expressions / 4) << "expressions with stacked quantifiers";
    }
}

} // namespace

TEST(RegExprDifferential, AgreesWithStdRegex)
{
    RunDifferential(20240611u, 2000, false);
}

TEST(RegExprDifferential, AgreesWithStdRegexIgnoringCase)
{
    RunDifferential(977u, 600, true);
}

TEST(RegExprDifferential, AgreesWithStdRegexOnStackedQuantifiers)
{
    RunDifferential(4711u, 1500, false, true);
    RunDifferential(1203u, 400, true, true);
}

TEST(RegExprDifferential, GeneratedExpressionsMatchTheirOwnSamples)
{
    // Guards the generator: most samples must be matches, or the comparison
    // above would only ever see refusals.
    Generator generator(5u, false);
    int matched = 0;
    const int total = 300;
    for (int i = 0; i < total; ++i) {
        const Node node = generator.Expression();
        std::string sample;
        node.Sample(sample);
        if (std::regex_match(sample, std::regex(node.Oracle)))
            ++matched;
    }
    EXPECT_GT(matched, total * 8 / 10);
}
