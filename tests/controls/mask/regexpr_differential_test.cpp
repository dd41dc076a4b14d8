// The automaton against std::regex (ECMAScript, whole-string match) on
// generated expressions that both read the same way: no spaces, quotes, '/' or
// ':' (they mean other things in a mask), no empty alternatives, no '*' or '+'
// on items that can be empty, no double quantifiers, no references (a mask's
// reference copies the group's expression), ASCII only.
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
    std::string Text;
    bool Nullable;
    Sampler Sample;
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
    return c == ' ' || c == '\t';
}

class Generator {
public:
    Generator(unsigned seed, bool caseInsensitive) : rng_(seed), caseInsensitive_(caseInsensitive)
    {
        alphabet_ = caseInsensitive ? "abcxABCX019_- \t.*(" : "abcx019_- \t.*(";
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
        Node node{"", false, nullptr};
        for (size_t i = 0; i < alts.size(); ++i) {
            node.Text += (i ? "|" : "") + alts[i].Text;
            node.Nullable = node.Nullable || alts[i].Nullable;
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
        Node node{"", true, nullptr};
        for (const Node& item : items) {
            node.Text += item.Text;
            node.Nullable = node.Nullable && item.Nullable;
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
        const int kind = Pick(6);
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
        // Repeating what can match nothing is read differently by the two.
        if (atom.Nullable && (kind == 1 || kind == 2 || kind == 4))
            suffix = "?", low = 0, high = 1;
        Node node;
        node.Text = atom.Text + suffix;
        node.Nullable = atom.Nullable || low == 0;
        Sampler inner = atom.Sample;
        node.Sample = [this, inner, low, high](std::string& out) {
            const int times = low + Pick(high - low + 1);
            for (int i = 0; i < times && out.size() < MaxSample; ++i)
                inner(out);
        };
        return node;
    }

    Node Literal(char c, std::string text)
    {
        return {std::move(text), false, [c](std::string& out) { out += c; }};
    }

    Node Atom(int depth)
    {
        const int kind = Pick(depth < 3 ? 9 : 7);
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
            return {names[which], false, [this, predicate](std::string& out) { out += Satisfying(predicate); }};
        }
        case 4:
            return {".", false, [this](std::string& out) { out += AnyOf(alphabet_); }};
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
            return {"(" + inner.Text + ")", inner.Nullable, inner.Sample};
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
        return {text, false, [this, inClass](std::string& out) { out += Satisfying(inClass); }};
    }

    std::mt19937 rng_;
    bool caseInsensitive_;
    std::string alphabet_;
};

struct Checker {
    TcxRegExpr Mask;
    std::regex Regex;
    std::string Source;
    int Failures = 0;

    void Fail(const std::string& what, const std::string& input)
    {
        if (++Failures <= 10)
            ADD_FAILURE() << what << "\n  expression: " << Source << "\n  input: \"" << input << "\"";
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

void RunDifferential(unsigned seed, int expressions, bool caseInsensitive)
{
    Generator generator(seed, caseInsensitive);
    Checker checker;
    checker.Mask.SetCaseInsensitive(caseInsensitive);
    int inputs = 0;
    for (int e = 0; e < expressions && checker.Failures < 10; ++e) {
        const Node node = generator.Expression();
        checker.Source = node.Text;
        const std::string errors = CompileErrors(checker.Mask, Text(node.Text));
        if (!errors.empty()) {
            checker.Fail("does not compile: " + errors, "");
            continue;
        }
        auto flags = std::regex::ECMAScript;
        if (caseInsensitive)
            flags |= std::regex::icase;
        checker.Regex = std::regex(node.Text, flags);

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
        if (std::regex_match(sample, std::regex(node.Text)))
            ++matched;
    }
    EXPECT_GT(matched, total * 8 / 10);
}
