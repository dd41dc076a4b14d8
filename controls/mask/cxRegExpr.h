// Regular-expression masks: an expression is compiled into a nondeterministic
// automaton that is then fed the typed characters one at a time. Every step can
// be taken back, and no step ever backtracks: the cost of one character is
// bounded by the number of states.
//
// The unit uses no window and no drawing; apart from the locale's separators
// (cxGetLocaleSeparators) it needs nothing but the standard library, so it also
// builds natively for the sanitizer and fuzzer runs.
#pragma once

#include <cstddef>
#include <exception>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Text is UTF-16 code units everywhere; wchar_t is 32-bit outside Windows.
#ifdef _WIN32
using TcxChar = wchar_t;
#define cxT(s) L##s
#else
using TcxChar = char16_t;
#define cxT(s) u##s
#endif
using TcxString = std::basic_string<TcxChar>;

// The characters a mask's '/' and ':' stand for, from the user's locale.
struct TcxLocaleSeparators {
    TcxChar Date;
    TcxChar Time;
};
TcxLocaleSeparators cxGetLocaleSeparators();

// Simple one-to-one case mapping of a code unit (Latin, Greek, Cyrillic,
// full-width Latin); characters without case are returned unchanged.
TcxChar cxLowerCase(TcxChar c);
TcxChar cxUpperCase(TcxChar c);

// UTF-16 to UTF-8, for what() and logs.
std::string cxToUtf8(const TcxString& text);

// ---------------------------------------------------------------------------
// Errors

class TcxRegExprError {
public:
    TcxRegExprError(int line, int column, TcxString message)
        : Line(line), Column(column), Message(std::move(message)) {}

    // "Line N, Char C: message"; the column only when positive, the message
    // alone without a line.
    TcxString Text() const;

    int Line;
    int Column;
    TcxString Message;
};

class TcxRegExprErrors {
public:
    void Add(int line, int column, TcxString message);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    const TcxRegExprError& operator[](int index) const { return items_[index]; }
    // Orders the errors by their place in the text (those without a line first).
    void SortByPosition();
    // One error per line.
    TcxString Text() const;

private:
    std::vector<TcxRegExprError> items_;
};

class EcxRegExprError : public std::exception {
public:
    explicit EcxRegExprError(TcxRegExprErrors errors);

    const TcxRegExprErrors& Errors() const noexcept { return errors_; }
    const TcxString& Message() const noexcept { return message_; }
    // UTF-8 form of Message.
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    TcxRegExprErrors errors_;
    TcxString message_;
    std::string narrow_;
};

// ---------------------------------------------------------------------------
// Lexemes

enum TcxLexemKind {
    lkSymbol = 0,         // literal character (Text holds it)
    lkOperator = 1,       // ( ) * + ? | and, inside a class, [ ] ^ -
    lkParameter = 2,      // repetition count: Text is "n", "n," or "n,m"
    lkAll = 3,            // .
    lkIdLetter = 4,       // \w
    lkNotIdLetter = 5,    // \W
    lkDigit = 6,          // \d
    lkNotDigit = 7,       // \D
    lkSpace = 8,          // \s
    lkNotSpace = 9,       // \S
    lkReference = 10,     // \1 ... \9 (Text holds the digit)
    lkDateSeparator = 11, // /
    lkTimeSeparator = 12, // :
};

struct TcxLexem {
    int Line;
    int Column;
    TcxLexemKind Kind;
    TcxString Text;
};
using TcxLexems = std::vector<TcxLexem>;

// ---------------------------------------------------------------------------
// Character items: each decides whether one character matches.

class TcxRegExprCharItem {
public:
    virtual ~TcxRegExprCharItem() = default;
    virtual bool Check(TcxChar c, bool caseInsensitive) const = 0;
    virtual std::unique_ptr<TcxRegExprCharItem> Clone() const = 0;
    virtual TcxString Print() const = 0;
};

class TcxRegExprSymbol : public TcxRegExprCharItem {
public:
    explicit TcxRegExprSymbol(TcxChar symbol) : symbol_(symbol) {}
    TcxChar Symbol() const { return symbol_; }
    bool Check(TcxChar c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprCharItem> Clone() const override;
    TcxString Print() const override;

private:
    TcxChar symbol_;
};

// Base of the predefined classes \d \w \s and their negations.
class TcxRegExprClassItem : public TcxRegExprCharItem {
public:
    explicit TcxRegExprClassItem(bool negative) : negative_(negative) {}
    bool Negative() const { return negative_; }
    bool Check(TcxChar c, bool caseInsensitive) const override;

protected:
    virtual bool Contains(TcxChar c) const = 0;

private:
    bool negative_;
};

class TcxRegExprDigit : public TcxRegExprClassItem {
public:
    using TcxRegExprClassItem::TcxRegExprClassItem;
    std::unique_ptr<TcxRegExprCharItem> Clone() const override;
    TcxString Print() const override;

protected:
    bool Contains(TcxChar c) const override;
};

class TcxRegExprIdLetter : public TcxRegExprClassItem {
public:
    using TcxRegExprClassItem::TcxRegExprClassItem;
    std::unique_ptr<TcxRegExprCharItem> Clone() const override;
    TcxString Print() const override;

protected:
    bool Contains(TcxChar c) const override;
};

class TcxRegExprSpace : public TcxRegExprClassItem {
public:
    using TcxRegExprClassItem::TcxRegExprClassItem;
    std::unique_ptr<TcxRegExprCharItem> Clone() const override;
    TcxString Print() const override;

protected:
    bool Contains(TcxChar c) const override;
};

class TcxRegExprAll : public TcxRegExprCharItem {
public:
    bool Check(TcxChar, bool) const override { return true; }
    std::unique_ptr<TcxRegExprCharItem> Clone() const override;
    TcxString Print() const override;
};

class TcxRegExprDateSeparator : public TcxRegExprCharItem {
public:
    explicit TcxRegExprDateSeparator(TcxChar separator) : separator_(separator) {}
    bool Check(TcxChar c, bool) const override { return c == separator_; }
    std::unique_ptr<TcxRegExprCharItem> Clone() const override;
    TcxString Print() const override;

private:
    TcxChar separator_;
};

class TcxRegExprTimeSeparator : public TcxRegExprCharItem {
public:
    explicit TcxRegExprTimeSeparator(TcxChar separator) : separator_(separator) {}
    bool Check(TcxChar c, bool) const override { return c == separator_; }
    std::unique_ptr<TcxRegExprCharItem> Clone() const override;
    TcxString Print() const override;

private:
    TcxChar separator_;
};

class TcxRegExprSubrange : public TcxRegExprCharItem {
public:
    TcxRegExprSubrange(TcxChar first, TcxChar last) : first_(first), last_(last) {}
    bool Check(TcxChar c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprCharItem> Clone() const override;
    TcxString Print() const override;

private:
    bool InRange(TcxChar c) const { return c >= first_ && c <= last_; }
    TcxChar first_;
    TcxChar last_;
};

// A list of items; a character matches when any of them matches.
class TcxRegExprEnumeration : public TcxRegExprCharItem {
public:
    void Add(std::unique_ptr<TcxRegExprCharItem> item) { items_.push_back(std::move(item)); }
    int Count() const { return static_cast<int>(items_.size()); }
    bool Check(TcxChar c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprCharItem> Clone() const override;
    TcxString Print() const override;

protected:
    void CopyItemsTo(TcxRegExprEnumeration& target) const;
    TcxString PrintItems() const;

private:
    std::vector<std::unique_ptr<TcxRegExprCharItem>> items_;
};

// A bracket class as written by the user, possibly negated.
class TcxRegExprUserEnumeration : public TcxRegExprEnumeration {
public:
    explicit TcxRegExprUserEnumeration(bool negative) : negative_(negative) {}
    bool Negative() const { return negative_; }
    bool Check(TcxChar c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprCharItem> Clone() const override;
    TcxString Print() const override;

private:
    bool negative_;
};

// ---------------------------------------------------------------------------
// Quantifiers (stateless; items refer to the one instance of each class)

class TcxRegExprQuantifier {
public:
    virtual ~TcxRegExprQuantifier() = default;
    virtual bool CanBeMissing() const = 0;
    virtual bool CanRepeat() const = 0;
    virtual TcxString Print() const = 0;
};

class TcxRegExprSimpleQuantifier : public TcxRegExprQuantifier {
public:
    static const TcxRegExprQuantifier& Instance();
    bool CanBeMissing() const override { return false; }
    bool CanRepeat() const override { return false; }
    TcxString Print() const override { return {}; }
};

class TcxRegExprQuestionQuantifier : public TcxRegExprQuantifier {
public:
    static const TcxRegExprQuantifier& Instance();
    bool CanBeMissing() const override { return true; }
    bool CanRepeat() const override { return false; }
    TcxString Print() const override { return cxT("?"); }
};

class TcxRegExprStarQuantifier : public TcxRegExprQuantifier {
public:
    static const TcxRegExprQuantifier& Instance();
    bool CanBeMissing() const override { return true; }
    bool CanRepeat() const override { return true; }
    TcxString Print() const override { return cxT("*"); }
};

class TcxRegExprPlusQuantifier : public TcxRegExprQuantifier {
public:
    static const TcxRegExprQuantifier& Instance();
    bool CanBeMissing() const override { return false; }
    bool CanRepeat() const override { return true; }
    TcxString Print() const override { return cxT("+"); }
};

// ---------------------------------------------------------------------------
// Parse tree

class TcxRegExprParserAlts;

class TcxRegExprParserItem {
public:
    virtual ~TcxRegExprParserItem() = default;

    const TcxRegExprQuantifier& Quantifier() const { return *quantifier_; }
    void SetQuantifier(const TcxRegExprQuantifier& quantifier) { quantifier_ = &quantifier; }
    bool HasQuantifier() const { return quantifier_ != &TcxRegExprSimpleQuantifier::Instance(); }
    bool CanBeMissing() const { return quantifier_->CanBeMissing(); }
    bool CanRepeat() const { return quantifier_->CanRepeat(); }
    // Whether the item can match nothing while present (a block whose content can).
    virtual bool CanBeEmpty() const = 0;
    virtual std::unique_ptr<TcxRegExprParserItem> Clone() const = 0;
    virtual TcxString Print() const = 0;
    // Items inside, the item itself included (character items and groups),
    // and nesting depth (1 for a character item).
    virtual int Size() const = 0;
    virtual int Depth() const = 0;

protected:
    TcxString PrintQuantifier() const { return quantifier_->Print(); }

private:
    const TcxRegExprQuantifier* quantifier_ = &TcxRegExprSimpleQuantifier::Instance();
};

class TcxRegExprParserSimpleItem : public TcxRegExprParserItem {
public:
    explicit TcxRegExprParserSimpleItem(std::unique_ptr<TcxRegExprCharItem> item) : item_(std::move(item)) {}
    const TcxRegExprCharItem& Item() const { return *item_; }
    bool CanBeEmpty() const override { return false; }
    std::unique_ptr<TcxRegExprParserItem> Clone() const override;
    TcxString Print() const override;
    int Size() const override { return 1; }
    int Depth() const override { return 1; }

private:
    std::unique_ptr<TcxRegExprCharItem> item_;
};

class TcxRegExprParserAlt {
public:
    void Add(std::unique_ptr<TcxRegExprParserItem> item) { items_.push_back(std::move(item)); }
    int Count() const { return static_cast<int>(items_.size()); }
    const TcxRegExprParserItem& operator[](int index) const { return *items_[index]; }
    bool CanBeEmpty() const;
    std::unique_ptr<TcxRegExprParserAlt> Clone() const;
    TcxString Print() const;
    int Size() const;
    int Depth() const;

private:
    std::vector<std::unique_ptr<TcxRegExprParserItem>> items_;
};

class TcxRegExprParserAlts {
public:
    void Add(std::unique_ptr<TcxRegExprParserAlt> alt) { alts_.push_back(std::move(alt)); }
    int Count() const { return static_cast<int>(alts_.size()); }
    const TcxRegExprParserAlt& operator[](int index) const { return *alts_[index]; }
    bool CanBeEmpty() const;
    std::unique_ptr<TcxRegExprParserAlts> Clone() const;
    TcxString Print() const;
    int Size() const;
    int Depth() const;

private:
    std::vector<std::unique_ptr<TcxRegExprParserAlt>> alts_;
};

// A group. Its content never changes once built, so the list of numbered
// blocks can share it for references.
class TcxRegExprParserBlockItem : public TcxRegExprParserItem {
public:
    explicit TcxRegExprParserBlockItem(std::shared_ptr<const TcxRegExprParserAlts> alts);
    const TcxRegExprParserAlts& Alts() const { return *alts_; }
    const std::shared_ptr<const TcxRegExprParserAlts>& SharedAlts() const { return alts_; }
    bool CanBeEmpty() const override { return canBeEmpty_; }
    std::unique_ptr<TcxRegExprParserItem> Clone() const override;
    TcxString Print() const override;
    int Size() const override { return size_; }
    int Depth() const override { return depth_; }

private:
    std::shared_ptr<const TcxRegExprParserAlts> alts_;
    bool canBeEmpty_;
    int size_;
    int depth_;
};

// ---------------------------------------------------------------------------
// Automaton

class TcxRegExprState {
public:
    virtual ~TcxRegExprState() = default;
    bool IsSimple() const { return simple_; }

protected:
    explicit TcxRegExprState(bool simple) : simple_(simple) {}

private:
    bool simple_;
};

// Consumes one character matching its item, then goes on to Next.
class TcxRegExprSimpleState final : public TcxRegExprState {
public:
    TcxRegExprSimpleState(const TcxRegExprCharItem& item, int next)
        : TcxRegExprState(true), Item(&item), Next(next) {}
    const TcxRegExprCharItem* Item;
    int Next;
};

// A group boundary or quantifier link: passes on to every link without
// consuming; the final state has no links.
class TcxRegExprBlockState final : public TcxRegExprState {
public:
    TcxRegExprBlockState() : TcxRegExprState(false) {}
    std::vector<int> Links;
    bool Final = false;
};

// Every state of one automaton, by index.
class TcxRegExprStates {
public:
    int Add(std::unique_ptr<TcxRegExprState> state);
    int Count() const { return static_cast<int>(states_.size()); }
    TcxRegExprState& operator[](int index) const { return *states_[index]; }

private:
    std::vector<std::unique_ptr<TcxRegExprState>> states_;
};

class TcxRegExprAutomat {
public:
    // The tree must outlive the automaton (states refer to its character items).
    explicit TcxRegExprAutomat(const TcxRegExprParserAlts& root);

    // Consumes c from the current set; false (and no change) when nothing can.
    bool Next(TcxChar c, bool caseInsensitive);
    void Prev();
    void Reset();
    bool AtStart() const { return steps_.size() == 1; }
    bool AtFinal() const { return steps_.back().Final; }
    int StateCount() const { return states_.Count(); }
    // Simple states active now.
    int ActiveCount() const;
    // Sets of states met so far and kept with their transitions (at most MaxCachedSets).
    int CachedSetCount() const { return static_cast<int>(sets_.size()); }

    static constexpr int MaxCachedSets = 2048;
    static constexpr size_t MaxOtherTransitions = 1 << 16;

private:
    // A set of active simple states (sorted), whether the end is reachable from
    // it, and where each character leads from it, once that has been worked out.
    struct TSet {
        std::vector<int> States;
        bool Final = false;
        // Per case mode: the next set for a character below 128, Unknown, or Refused.
        std::vector<int> Ascii[2];
        std::unordered_map<unsigned, int> Other;
    };
    static constexpr int Unknown = -1;
    static constexpr int Refused = -2;
    // One step of the input: a cached set, or (when the cache is full) a set kept
    // in overflow_[Begin, End).
    struct TStep {
        int Set;
        size_t Begin, End;
        bool Final;
    };

    int BuildAlts(const TcxRegExprParserAlts& alts, int next);
    int BuildAlt(const TcxRegExprParserAlt& alt, int next);
    int BuildItem(const TcxRegExprParserItem& item, int next);
    int BuildBody(const TcxRegExprParserItem& item, int next);
    int AddBlockState();
    TcxRegExprBlockState& Block(int index) const { return static_cast<TcxRegExprBlockState&>(states_[index]); }
    // Adds the simple states reachable from state without consuming to
    // overflow_; notes whether the end is reachable.
    void Close(int state);
    void NewGeneration();
    // The cached set holding overflow_[begin, end), made when there is room; -1 when full.
    int Intern(size_t begin, bool final);
    int CachedTransition(const TSet& set, TcxChar c, bool caseInsensitive) const;
    void CacheTransition(int set, TcxChar c, bool caseInsensitive, int target);
    void PushSet(size_t begin, bool final);

    TcxRegExprStates states_;
    int start_ = -1;
    int startSet_ = -1;
    std::vector<TSet> sets_;
    std::unordered_map<std::string, int> setIndex_;
    std::vector<TStep> steps_;
    std::vector<int> overflow_;
    size_t otherTransitions_ = 0;
    // Scratch for building the next set.
    std::vector<unsigned> mark_;
    unsigned generation_ = 0;
    std::vector<int> stack_;
    bool reachedFinal_ = false;
};

// ---------------------------------------------------------------------------

class TcxRegExpr {
public:
    TcxRegExpr();
    ~TcxRegExpr();
    TcxRegExpr(const TcxRegExpr&) = delete;
    TcxRegExpr& operator=(const TcxRegExpr&) = delete;

    // Raises EcxRegExprError with every error found; the expression is then
    // not compiled. A null source is "not assigned".
    void Compile(const TcxString& source);
    void Compile(const TcxChar* source);

    bool Advance(TcxChar c);
    void StepBack();
    bool AtStart() const;
    bool MatchComplete() const;
    // Feeds text from the current state and returns the characters accepted.
    TcxString FilterText(const TcxString& text);
    // Back to the start, as before the first character.
    void Reset();

    bool CaseInsensitive() const { return caseInsensitive_; }
    void SetCaseInsensitive(bool value) { caseInsensitive_ = value; }
    bool Compiled() const { return compiled_; }

    // The lexemes and the parse tree of the last compilation (for diagnostics).
    const TcxLexems& Lexems() const { return lexems_; }
    TcxString Print() const;
    int StateCount() const;
    int ActiveStateCount() const;
    // Sets of states kept with their transitions (a cache, bounded).
    int CachedSetCount() const;

    // Limits that keep a small expression from growing without bound through
    // counts and references: items of the tree (groups included) and depth.
    static constexpr int MaxItems = 50000;
    static constexpr int MaxDepth = 1000;

private:
    enum class TBlockStatus { Open, Closed, Failed };
    struct TBlock {
        TBlockStatus Status = TBlockStatus::Open;
        std::shared_ptr<const TcxRegExprParserAlts> Alts;
    };

    void Clear();
    void CheckCompiled() const;
    void AddError(int line, int column, const TcxString& message);
    void AddError(const TcxLexem& lexem, const TcxString& message) { AddError(lexem.Line, lexem.Column, message); }

    // Lexer
    bool AtEnd() const { return readIndex_ >= source_.size(); }
    TcxChar PeekChar() const { return source_[readIndex_]; }
    TcxChar ReadChar();
    void SkipSpaces();
    void Lex();
    void LexQuoted(TcxLexems& target);
    void LexClass(int line, int column);
    void LexCount(int line, int column);
    bool LexEscape(int line, int column, bool inClass, TcxLexems& target);

    // Parser
    bool AtLexemEnd() const { return lexemIndex_ >= lexems_.size(); }
    const TcxLexem* PeekLexem() const { return AtLexemEnd() ? nullptr : &lexems_[lexemIndex_]; }
    bool PeekOperator(TcxChar op) const;
    bool PeekQuantifier() const;
    void Parse();
    std::unique_ptr<TcxRegExprParserAlts> ParseAlts(int depth, bool& consumed);
    std::unique_ptr<TcxRegExprParserAlt> ParseAlt(int depth);
    std::unique_ptr<TcxRegExprParserItem> ParseItem(int depth);
    std::unique_ptr<TcxRegExprParserItem> ParseBlock(const TcxLexem& open, int depth);
    std::unique_ptr<TcxRegExprParserItem> ParseClass(const TcxLexem& open);
    std::unique_ptr<TcxRegExprParserItem> ParseReference(const TcxLexem& lexem);
    std::unique_ptr<TcxRegExprCharItem> MakeCharItem(const TcxLexem& lexem) const;
    void ParseQuantifiers(std::unique_ptr<TcxRegExprParserItem>& item);
    void ApplyCount(std::unique_ptr<TcxRegExprParserItem>& item, const TcxLexem& lexem);
    bool Reserve(const TcxLexem& lexem, long long items, int depth);

    TcxString source_;
    TcxRegExprErrors errors_;
    TcxLexems lexems_;
    std::vector<TBlock> blocks_;
    std::unique_ptr<TcxRegExprParserAlts> root_;
    std::unique_ptr<TcxRegExprAutomat> automat_;
    size_t readIndex_ = 0;
    size_t lexemIndex_ = 0;
    int line_ = 1;
    int column_ = 0;
    long long itemCount_ = 0;
    int parseDepth_ = 0; // groups around the item being parsed
    bool tooComplex_ = false;
    TcxLocaleSeparators separators_{};
    bool firstExpression_ = true;
    bool compiled_ = false;
    bool caseInsensitive_ = false;
};
