#include "controls/mask/cxRegExpr.h"

#include <algorithm>
#include <climits>

#ifdef _WIN32
#include <windows.h>
#endif

// ---------------------------------------------------------------------------
// Locale, case and character classes

TcxLocaleSeparators cxGetLocaleSeparators()
{
    TcxLocaleSeparators result{cxT('/'), cxT(':')};
#ifdef _WIN32
    // Some locales use more than one character ("/ "); the mask takes the first.
    wchar_t buffer[8];
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, buffer, 8) > 1)
        result.Date = buffer[0];
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer, 8) > 1)
        result.Time = buffer[0];
#endif
    return result;
}

TcxChar cxLowerCase(TcxChar c)
{
    const unsigned u = c;
    unsigned r = u;
    if (u < 0x80) {
        if (u >= 'A' && u <= 'Z')
            r = u + 0x20;
    } else if (u >= 0xC0 && u <= 0xDE && u != 0xD7) {
        r = u + 0x20;
    } else if ((u >= 0x100 && u <= 0x137 && u != 0x130) || (u >= 0x14A && u <= 0x177)) {
        r = u | 1; // pairs start at an even code
    } else if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) {
        r = (u & 1) ? u + 1 : u; // pairs start at an odd code
    } else if (u == 0x178) {
        r = 0xFF;
    } else if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) {
        r = u + 0x20;
    } else if (u >= 0x400 && u <= 0x40F) {
        r = u + 0x50;
    } else if (u >= 0x410 && u <= 0x42F) {
        r = u + 0x20;
    } else if (u >= 0xFF21 && u <= 0xFF3A) {
        r = u + 0x20;
    }
    return static_cast<TcxChar>(r);
}

TcxChar cxUpperCase(TcxChar c)
{
    const unsigned u = c;
    unsigned r = u;
    if (u < 0x80) {
        if (u >= 'a' && u <= 'z')
            r = u - 0x20;
    } else if (u >= 0xE0 && u <= 0xFE && u != 0xF7) {
        r = u - 0x20;
    } else if (u == 0xFF) {
        r = 0x178;
    } else if ((u >= 0x101 && u <= 0x137 && u != 0x131) || (u >= 0x14B && u <= 0x177)) {
        r = u & ~1u;
    } else if ((u >= 0x13A && u <= 0x148) || (u >= 0x17A && u <= 0x17E)) {
        r = (u & 1) ? u : u - 1;
    } else if (u == 0x3C2) {
        r = 0x3A3; // final sigma
    } else if (u >= 0x3B1 && u <= 0x3CB) {
        r = u - 0x20;
    } else if (u >= 0x430 && u <= 0x44F) {
        r = u - 0x20;
    } else if (u >= 0x450 && u <= 0x45F) {
        r = u - 0x50;
    } else if (u >= 0xFF41 && u <= 0xFF5A) {
        r = u - 0x20;
    }
    return static_cast<TcxChar>(r);
}

namespace {

bool SameIgnoringCase(TcxChar a, TcxChar b)
{
    return a == b || cxLowerCase(a) == cxLowerCase(b) || cxUpperCase(a) == cxUpperCase(b);
}

bool IsLexSpace(TcxChar c)
{
    return c == 9 || c == 10 || c == 12 || c == 13 || c == 32;
}

bool IsDecimal(TcxChar c)
{
    return c >= '0' && c <= '9';
}

int HexValue(TcxChar c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

TcxString Format(const TcxChar* pattern, const TcxString& argument)
{
    TcxString result(pattern);
    const size_t at = result.find(cxT("%s"));
    if (at != TcxString::npos)
        result.replace(at, 2, argument);
    return result;
}

TcxString OneChar(TcxChar c)
{
    return TcxString(1, c);
}

TcxString NumberText(long long value)
{
    // std::to_wstring would not give char16_t text.
    std::string digits = std::to_string(value);
    return TcxString(digits.begin(), digits.end());
}

// The messages of the unit.
const TcxChar* const sNotAssigned = cxT("The source stream is not assigned");
const TcxChar* const sEmptyStream = cxT("The source stream is empty");
const TcxChar* const sMissing = cxT("Missing '%s'");
const TcxChar* const sUnnecessary = cxT("Unnecessary '%s'");
const TcxChar* const sIllegal = cxT("Illegal '%s'");
const TcxChar* const sHexExpected = cxT("Hexadecimal number expected");
const TcxChar* const sHexExpectedFound = cxT("Hexadecimal number expected but '%s' found");
const TcxChar* const sHexTooBig = cxT("The hexadecimal number '%s' is too big for a character (FFFF at most)");
const TcxChar* const sSpaceAfterEscape = cxT("The space character is not allowed after '\\'");
const TcxChar* const sStarNotApplicable = cxT("The '*' quantifier cannot be applied here");
const TcxChar* const sPlusNotApplicable = cxT("The '+' quantifier cannot be applied here");
const TcxChar* const sCountNotApplicable = cxT("The parameter quantifier cannot be applied here");
const TcxChar* const sIncorrectCount = cxT("Incorrect parameter quantifier");
const TcxChar* const sIllegalInteger = cxT("Illegal integer value");
const TcxChar* const sIllegalQuantifier = cxT("Illegal quantifier '%s'");
const TcxChar* const sEmptyAlternative = cxT("The alternative should not be empty");
const TcxChar* const sEmptyBlock = cxT("The block should not be empty");
const TcxChar* const sEmptyEnumeration = cxT("Can't create empty enumeration");
const TcxChar* const sBadSubrange = cxT("The starting character of the subrange must be less than the finishing one");
const TcxChar* const sBigReference = cxT("Too big reference number");
const TcxChar* const sNotCompiled = cxT("Regular expression is not compiled");
const TcxChar* const sTooComplex = cxT("The expression is too complex");

// A character printed so that the printed tree reads back as the same expression.
TcxString PrintSymbol(TcxChar c, bool inClass)
{
    static const TcxString specials = cxT("()*+?|.[]{}\\'/:^-");
    if (c == '\t')
        return cxT("\\t");
    if (c == '\n')
        return cxT("\\n");
    if (c == '\r')
        return cxT("\\r");
    if (c == ' ' || c < 0x20) {
        static const char hex[] = "0123456789ABCDEF";
        TcxString s = cxT("\\x00");
        s += static_cast<TcxChar>(hex[(c >> 4) & 15]);
        s += static_cast<TcxChar>(hex[c & 15]);
        // A hexadecimal code takes every digit that follows: outside a class it
        // gets a class of its own, inside one it is printed last (see PrintItems).
        if (inClass)
            return s;
        TcxString own(1, '[');
        own += s;
        own += ']';
        return own;
    }
    if (specials.find(c) != TcxString::npos && (inClass || (c != '^' && c != '-')))
        return TcxString(1, '\\') + c;
    return OneChar(c);
}

} // namespace

std::string cxToUtf8(const TcxString& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long u = static_cast<unsigned short>(text[i]);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size()) {
            const unsigned long low = static_cast<unsigned short>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            u = 0xFFFD; // a lone surrogate
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else if (u < 0x10000) {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (u >> 18));
            out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Errors

TcxString TcxRegExprError::Text() const
{
    if (Line <= 0)
        return Message;
    TcxString result = cxT("Line ") + NumberText(Line);
    if (Column > 0)
        result += cxT(", Char ") + NumberText(Column);
    return result + cxT(": ") + Message;
}

void TcxRegExprErrors::Add(int line, int column, TcxString message)
{
    items_.emplace_back(line, column, std::move(message));
}

void TcxRegExprErrors::SortByPosition()
{
    std::stable_sort(items_.begin(), items_.end(), [](const TcxRegExprError& a, const TcxRegExprError& b) {
        return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
    });
}

TcxString TcxRegExprErrors::Text() const
{
    TcxString result;
    for (const TcxRegExprError& error : items_) {
        if (!result.empty())
            result += cxT("\n");
        result += error.Text();
    }
    return result;
}

EcxRegExprError::EcxRegExprError(TcxRegExprErrors errors)
    : errors_(std::move(errors)), message_(errors_.Text()), narrow_(cxToUtf8(message_))
{
}

// ---------------------------------------------------------------------------
// Character items

bool TcxRegExprSymbol::Check(TcxChar c, bool caseInsensitive) const
{
    return c == symbol_ || (caseInsensitive && SameIgnoringCase(c, symbol_));
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExprSymbol::Clone() const
{
    return std::make_unique<TcxRegExprSymbol>(symbol_);
}

TcxString TcxRegExprSymbol::Print() const
{
    return PrintSymbol(symbol_, false);
}

bool TcxRegExprClassItem::Check(TcxChar c, bool) const
{
    return Contains(c) != negative_;
}

bool TcxRegExprDigit::Contains(TcxChar c) const
{
    return IsDecimal(c);
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExprDigit::Clone() const
{
    return std::make_unique<TcxRegExprDigit>(Negative());
}

TcxString TcxRegExprDigit::Print() const
{
    return Negative() ? cxT("\\D") : cxT("\\d");
}

bool TcxRegExprIdLetter::Contains(TcxChar c) const
{
    const unsigned u = c;
    if (u < 0x80)
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || IsDecimal(c) || u == '_';
    // Letters of the scripts the program meets: Latin, Greek, Cyrillic, CJK,
    // kana, Hangul and the full-width forms.
    return u == 0xAA || u == 0xB5 || u == 0xBA || (u >= 0xC0 && u <= 0x24F && u != 0xD7 && u != 0xF7) ||
           (u >= 0x386 && u <= 0x3FF && u != 0x387) || (u >= 0x400 && u <= 0x481) ||
           (u >= 0x48A && u <= 0x52F) || (u >= 0x3041 && u <= 0x30FF && u != 0x30FB) ||
           (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7A3) ||
           (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF10 && u <= 0xFF19) || (u >= 0xFF21 && u <= 0xFF3A) ||
           (u >= 0xFF41 && u <= 0xFF5A) || (u >= 0xFF66 && u <= 0xFF9F);
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExprIdLetter::Clone() const
{
    return std::make_unique<TcxRegExprIdLetter>(Negative());
}

TcxString TcxRegExprIdLetter::Print() const
{
    return Negative() ? cxT("\\W") : cxT("\\w");
}

bool TcxRegExprSpace::Contains(TcxChar c) const
{
    const unsigned u = c;
    return (u >= 9 && u <= 13) || u == 0x20 || u == 0xA0 || u == 0x1680 || (u >= 0x2000 && u <= 0x200A) ||
           u == 0x2028 || u == 0x2029 || u == 0x202F || u == 0x205F || u == 0x3000 || u == 0xFEFF;
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExprSpace::Clone() const
{
    return std::make_unique<TcxRegExprSpace>(Negative());
}

TcxString TcxRegExprSpace::Print() const
{
    return Negative() ? cxT("\\S") : cxT("\\s");
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExprAll::Clone() const
{
    return std::make_unique<TcxRegExprAll>();
}

TcxString TcxRegExprAll::Print() const
{
    return cxT(".");
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExprDateSeparator::Clone() const
{
    return std::make_unique<TcxRegExprDateSeparator>(separator_);
}

TcxString TcxRegExprDateSeparator::Print() const
{
    return cxT("/");
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExprTimeSeparator::Clone() const
{
    return std::make_unique<TcxRegExprTimeSeparator>(separator_);
}

TcxString TcxRegExprTimeSeparator::Print() const
{
    return cxT(":");
}

bool TcxRegExprSubrange::Check(TcxChar c, bool caseInsensitive) const
{
    return InRange(c) || (caseInsensitive && (InRange(cxLowerCase(c)) || InRange(cxUpperCase(c))));
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExprSubrange::Clone() const
{
    return std::make_unique<TcxRegExprSubrange>(first_, last_);
}

TcxString TcxRegExprSubrange::Print() const
{
    return PrintSymbol(first_, true) + cxT("-") + PrintSymbol(last_, true);
}

bool TcxRegExprEnumeration::Check(TcxChar c, bool caseInsensitive) const
{
    for (const auto& item : items_)
        if (item->Check(c, caseInsensitive))
            return true;
    return false;
}

void TcxRegExprEnumeration::CopyItemsTo(TcxRegExprEnumeration& target) const
{
    for (const auto& item : items_)
        target.Add(item->Clone());
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExprEnumeration::Clone() const
{
    auto copy = std::make_unique<TcxRegExprEnumeration>();
    CopyItemsTo(*copy);
    return copy;
}

TcxString TcxRegExprEnumeration::PrintItems() const
{
    // A member ending in a hexadecimal code goes after the others (their order
    // means nothing), so that no digit of the next member is read into the code;
    // such members begin with '\', so one after another is safe too.
    TcxString result, last;
    for (const auto& item : items_) {
        auto* symbol = dynamic_cast<const TcxRegExprSymbol*>(item.get());
        const TcxString text = symbol ? PrintSymbol(symbol->Symbol(), true) : item->Print();
        const bool endsInCode = text.size() >= 6 && text[text.size() - 6] == '\\' && text[text.size() - 5] == 'x';
        (endsInCode ? last : result) += text;
    }
    return result + last;
}

TcxString TcxRegExprEnumeration::Print() const
{
    return cxT("[") + PrintItems() + cxT("]");
}

bool TcxRegExprUserEnumeration::Check(TcxChar c, bool caseInsensitive) const
{
    return TcxRegExprEnumeration::Check(c, caseInsensitive) != negative_;
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExprUserEnumeration::Clone() const
{
    auto copy = std::make_unique<TcxRegExprUserEnumeration>(negative_);
    CopyItemsTo(*copy);
    return copy;
}

TcxString TcxRegExprUserEnumeration::Print() const
{
    return (negative_ ? cxT("[^") : cxT("[")) + PrintItems() + cxT("]");
}

// ---------------------------------------------------------------------------
// Quantifiers

const TcxRegExprQuantifier& TcxRegExprSimpleQuantifier::Instance()
{
    static const TcxRegExprSimpleQuantifier instance;
    return instance;
}

const TcxRegExprQuantifier& TcxRegExprQuestionQuantifier::Instance()
{
    static const TcxRegExprQuestionQuantifier instance;
    return instance;
}

const TcxRegExprQuantifier& TcxRegExprStarQuantifier::Instance()
{
    static const TcxRegExprStarQuantifier instance;
    return instance;
}

const TcxRegExprQuantifier& TcxRegExprPlusQuantifier::Instance()
{
    static const TcxRegExprPlusQuantifier instance;
    return instance;
}

// ---------------------------------------------------------------------------
// Parse tree

std::unique_ptr<TcxRegExprParserItem> TcxRegExprParserSimpleItem::Clone() const
{
    auto copy = std::make_unique<TcxRegExprParserSimpleItem>(item_->Clone());
    copy->SetQuantifier(Quantifier());
    return copy;
}

TcxString TcxRegExprParserSimpleItem::Print() const
{
    return item_->Print() + PrintQuantifier();
}

bool TcxRegExprParserAlt::CanBeEmpty() const
{
    for (const auto& item : items_)
        if (!item->CanBeMissing() && !item->CanBeEmpty())
            return false;
    return true;
}

std::unique_ptr<TcxRegExprParserAlt> TcxRegExprParserAlt::Clone() const
{
    auto copy = std::make_unique<TcxRegExprParserAlt>();
    for (const auto& item : items_)
        copy->Add(item->Clone());
    return copy;
}

TcxString TcxRegExprParserAlt::Print() const
{
    TcxString result;
    for (const auto& item : items_)
        result += item->Print();
    return result;
}

int TcxRegExprParserAlt::Size() const
{
    int size = 0;
    for (const auto& item : items_)
        size += item->Size();
    return size;
}

int TcxRegExprParserAlt::Depth() const
{
    int depth = 0;
    for (const auto& item : items_)
        depth = std::max(depth, item->Depth());
    return depth;
}

bool TcxRegExprParserAlts::CanBeEmpty() const
{
    for (const auto& alt : alts_)
        if (alt->CanBeEmpty())
            return true;
    return false;
}

std::unique_ptr<TcxRegExprParserAlts> TcxRegExprParserAlts::Clone() const
{
    auto copy = std::make_unique<TcxRegExprParserAlts>();
    for (const auto& alt : alts_)
        copy->Add(alt->Clone());
    return copy;
}

TcxString TcxRegExprParserAlts::Print() const
{
    TcxString result;
    for (size_t i = 0; i < alts_.size(); ++i) {
        if (i > 0)
            result += cxT("|");
        result += alts_[i]->Print();
    }
    return result;
}

int TcxRegExprParserAlts::Size() const
{
    int size = 0;
    for (const auto& alt : alts_)
        size += alt->Size();
    return size;
}

int TcxRegExprParserAlts::Depth() const
{
    int depth = 0;
    for (const auto& alt : alts_)
        depth = std::max(depth, alt->Depth());
    return depth;
}

TcxRegExprParserBlockItem::TcxRegExprParserBlockItem(std::shared_ptr<const TcxRegExprParserAlts> alts)
    : alts_(std::move(alts)), canBeEmpty_(alts_->CanBeEmpty()), size_(alts_->Size() + 1), depth_(alts_->Depth() + 1)
{
}

std::unique_ptr<TcxRegExprParserItem> TcxRegExprParserBlockItem::Clone() const
{
    auto copy = std::make_unique<TcxRegExprParserBlockItem>(alts_->Clone());
    copy->SetQuantifier(Quantifier());
    return copy;
}

TcxString TcxRegExprParserBlockItem::Print() const
{
    return cxT("(") + alts_->Print() + cxT(")") + PrintQuantifier();
}

// ---------------------------------------------------------------------------
// Automaton

int TcxRegExprStates::Add(std::unique_ptr<TcxRegExprState> state)
{
    states_.push_back(std::move(state));
    return static_cast<int>(states_.size()) - 1;
}

TcxRegExprAutomat::TcxRegExprAutomat(const TcxRegExprParserAlts& root)
{
    const int final = AddBlockState();
    Block(final).Final = true;
    start_ = BuildAlts(root, final);
    mark_.assign(states_.Count(), 0);
    Reset();
}

int TcxRegExprAutomat::AddBlockState()
{
    return states_.Add(std::make_unique<TcxRegExprBlockState>());
}

// The automaton is built backwards: each part is given the state that follows
// it and returns its own entry, so no link ever has to be patched.
int TcxRegExprAutomat::BuildAlts(const TcxRegExprParserAlts& alts, int next)
{
    if (alts.Count() == 1)
        return BuildAlt(alts[0], next);
    const int end = AddBlockState();
    Block(end).Links.push_back(next);
    const int begin = AddBlockState();
    for (int i = 0; i < alts.Count(); ++i) {
        const int entry = BuildAlt(alts[i], end);
        Block(begin).Links.push_back(entry);
    }
    return begin;
}

int TcxRegExprAutomat::BuildAlt(const TcxRegExprParserAlt& alt, int next)
{
    for (int i = alt.Count() - 1; i >= 0; --i)
        next = BuildItem(alt[i], next);
    return next;
}

int TcxRegExprAutomat::BuildItem(const TcxRegExprParserItem& item, int next)
{
    if (!item.CanBeMissing() && !item.CanRepeat())
        return BuildBody(item, next);
    if (!item.CanRepeat()) {
        const int skip = AddBlockState();
        const int body = BuildBody(item, next);
        Block(skip).Links = {body, next};
        return skip;
    }
    // The loop state comes after the body; star enters at the loop, plus at the body.
    const int loop = AddBlockState();
    const int body = BuildBody(item, loop);
    Block(loop).Links = {body, next};
    return item.CanBeMissing() ? loop : body;
}

int TcxRegExprAutomat::BuildBody(const TcxRegExprParserItem& item, int next)
{
    if (auto* simple = dynamic_cast<const TcxRegExprParserSimpleItem*>(&item))
        return states_.Add(std::make_unique<TcxRegExprSimpleState>(simple->Item(), next));
    const auto& block = static_cast<const TcxRegExprParserBlockItem&>(item);
    const int end = AddBlockState();
    Block(end).Links.push_back(next);
    const int begin = AddBlockState();
    Block(begin).Links.push_back(BuildAlts(block.Alts(), end));
    return begin;
}

void TcxRegExprAutomat::Close(int state)
{
    stack_.push_back(state);
    while (!stack_.empty()) {
        const int s = stack_.back();
        stack_.pop_back();
        if (mark_[s] == generation_)
            continue;
        mark_[s] = generation_;
        const TcxRegExprState& st = states_[s];
        if (st.IsSimple()) {
            overflow_.push_back(s);
            continue;
        }
        const auto& block = static_cast<const TcxRegExprBlockState&>(st);
        if (block.Final)
            reachedFinal_ = true;
        for (auto it = block.Links.rbegin(); it != block.Links.rend(); ++it)
            if (mark_[*it] != generation_)
                stack_.push_back(*it);
    }
}

void TcxRegExprAutomat::NewGeneration()
{
    if (++generation_ == 0) {
        std::fill(mark_.begin(), mark_.end(), 0u);
        generation_ = 1;
    }
    reachedFinal_ = false;
}

// The sets the input has led to are kept with the transitions found between them:
// a lazily built deterministic automaton. Once MaxCachedSets sets exist, new
// sets are worked out step by step as before and not kept.
int TcxRegExprAutomat::Intern(size_t begin, bool final)
{
    std::sort(overflow_.begin() + static_cast<std::ptrdiff_t>(begin), overflow_.end());
    std::string key(reinterpret_cast<const char*>(overflow_.data() + begin), (overflow_.size() - begin) * sizeof(int));
    key += final ? '\1' : '\0';
    const auto found = setIndex_.find(key);
    if (found != setIndex_.end())
        return found->second;
    if (static_cast<int>(sets_.size()) >= MaxCachedSets)
        return -1;
    TSet set;
    set.States.assign(overflow_.begin() + static_cast<std::ptrdiff_t>(begin), overflow_.end());
    set.Final = final;
    sets_.push_back(std::move(set));
    const int index = static_cast<int>(sets_.size()) - 1;
    setIndex_.emplace(std::move(key), index);
    return index;
}

int TcxRegExprAutomat::CachedTransition(const TSet& set, TcxChar c, bool caseInsensitive) const
{
    const unsigned u = static_cast<unsigned>(c);
    if (u < 128) {
        const std::vector<int>& table = set.Ascii[caseInsensitive ? 1 : 0];
        return table.empty() ? Unknown : table[u];
    }
    const auto found = set.Other.find(u << 1 | (caseInsensitive ? 1u : 0u));
    return found == set.Other.end() ? Unknown : found->second;
}

void TcxRegExprAutomat::CacheTransition(int set, TcxChar c, bool caseInsensitive, int target)
{
    const unsigned u = static_cast<unsigned>(c);
    if (u < 128) {
        std::vector<int>& table = sets_[set].Ascii[caseInsensitive ? 1 : 0];
        if (table.empty())
            table.assign(128, Unknown);
        table[u] = target;
    } else if (otherTransitions_ < MaxOtherTransitions) {
        // Characters beyond ASCII are many: their transitions are kept up to a bound.
        if (sets_[set].Other.emplace(u << 1 | (caseInsensitive ? 1u : 0u), target).second)
            ++otherTransitions_;
    }
}

// The set just built at overflow_[begin, end) becomes the next step: a cached
// set when there is room (it then leaves overflow_), else it stays there.
void TcxRegExprAutomat::PushSet(size_t begin, bool final)
{
    const int set = Intern(begin, final);
    if (set >= 0) {
        overflow_.resize(begin);
        steps_.push_back({set, 0, 0, final});
    } else {
        steps_.push_back({-1, begin, overflow_.size(), final});
    }
}

void TcxRegExprAutomat::Reset()
{
    steps_.clear();
    overflow_.clear();
    // The start set is the same every time: once cached, it is taken as it is.
    if (startSet_ >= 0) {
        steps_.push_back({startSet_, 0, 0, sets_[startSet_].Final});
        return;
    }
    NewGeneration();
    Close(start_);
    PushSet(0, reachedFinal_);
    startSet_ = steps_.back().Set;
}

bool TcxRegExprAutomat::Next(TcxChar c, bool caseInsensitive)
{
    const TStep current = steps_.back();
    if (current.Set >= 0) {
        const int known = CachedTransition(sets_[current.Set], c, caseInsensitive);
        if (known == Refused)
            return false;
        if (known >= 0) {
            steps_.push_back({known, 0, 0, sets_[known].Final});
            return true;
        }
    }
    NewGeneration();
    const size_t begin = overflow_.size();
    // The current set by index: the new one is appended to the same array,
    // which may move it.
    const size_t count = current.Set >= 0 ? sets_[current.Set].States.size() : current.End - current.Begin;
    for (size_t i = 0; i < count; ++i) {
        const int index = current.Set >= 0 ? sets_[current.Set].States[i] : overflow_[current.Begin + i];
        const auto& state = static_cast<const TcxRegExprSimpleState&>(states_[index]);
        if (state.Item->Check(c, caseInsensitive))
            Close(state.Next);
    }
    if (overflow_.size() == begin && !reachedFinal_) {
        if (current.Set >= 0)
            CacheTransition(current.Set, c, caseInsensitive, Refused);
        return false;
    }
    PushSet(begin, reachedFinal_);
    if (current.Set >= 0 && steps_.back().Set >= 0)
        CacheTransition(current.Set, c, caseInsensitive, steps_.back().Set);
    return true;
}

void TcxRegExprAutomat::Prev()
{
    if (steps_.size() <= 1)
        return;
    if (steps_.back().Set < 0)
        overflow_.resize(steps_.back().Begin);
    steps_.pop_back();
}

int TcxRegExprAutomat::ActiveCount() const
{
    const TStep& step = steps_.back();
    return static_cast<int>(step.Set >= 0 ? sets_[step.Set].States.size() : step.End - step.Begin);
}

// ---------------------------------------------------------------------------
// TcxRegExpr

TcxRegExpr::TcxRegExpr() = default;
TcxRegExpr::~TcxRegExpr() = default;

void TcxRegExpr::Clear()
{
    errors_.Clear();
    lexems_.clear();
    blocks_.clear();
    automat_.reset();
    root_.reset();
    source_.clear();
    readIndex_ = 0;
    lexemIndex_ = 0;
    line_ = 1;
    column_ = 0;
    itemCount_ = 0;
    parseDepth_ = 0;
    tooComplex_ = false;
    compiled_ = false;
}

void TcxRegExpr::AddError(int line, int column, const TcxString& message)
{
    // One place can end several empty alternatives ("(|)"): say it once.
    if (errors_.Count() > 0) {
        const TcxRegExprError& last = errors_[errors_.Count() - 1];
        if (last.Line == line && last.Column == column && last.Message == message)
            return;
    }
    errors_.Add(line, column, message);
}

void TcxRegExpr::Compile(const TcxChar* source)
{
    if (source) {
        Compile(TcxString(source));
        return;
    }
    if (!firstExpression_)
        Clear();
    firstExpression_ = false;
    errors_.Add(0, 0, sNotAssigned);
    throw EcxRegExprError(errors_);
}

void TcxRegExpr::Compile(const TcxString& source)
{
    if (!firstExpression_)
        Clear();
    firstExpression_ = false;
    source_ = source;
    separators_ = cxGetLocaleSeparators();
    if (std::all_of(source_.begin(), source_.end(), IsLexSpace)) {
        errors_.Add(0, 0, sEmptyStream);
        throw EcxRegExprError(errors_);
    }
    Lex();
    Parse();
    if (errors_.Count() > 0) {
        errors_.SortByPosition();
        root_.reset();
        throw EcxRegExprError(errors_);
    }
    automat_ = std::make_unique<TcxRegExprAutomat>(*root_);
    compiled_ = true;
}

// --- Lexer ---

TcxChar TcxRegExpr::ReadChar()
{
    const TcxChar c = source_[readIndex_++];
    if (c == '\r') {
        ++line_;
        column_ = 0;
    } else if (c == '\n') {
        // A line feed alone also ends a line; after a carriage return it
        // only belongs to the same line break.
        if (readIndex_ < 2 || source_[readIndex_ - 2] != '\r')
            ++line_;
        column_ = 0;
    } else {
        ++column_;
    }
    return c;
}

void TcxRegExpr::SkipSpaces()
{
    while (!AtEnd() && IsLexSpace(PeekChar()))
        ReadChar();
}

void TcxRegExpr::Lex()
{
    int balance = 0;
    for (;;) {
        SkipSpaces();
        if (AtEnd())
            break;
        const TcxChar c = ReadChar();
        const int line = line_;
        const int column = column_;
        switch (c) {
        case '(':
            ++balance;
            lexems_.push_back({line, column, lkOperator, OneChar(c)});
            break;
        case ')':
            // Dropped here, so the parser does not trip over it again.
            if (balance == 0) {
                AddError(line, column, Format(sUnnecessary, cxT(")")));
            } else {
                --balance;
                lexems_.push_back({line, column, lkOperator, OneChar(c)});
            }
            break;
        case '*':
        case '+':
        case '?':
        case '|':
            lexems_.push_back({line, column, lkOperator, OneChar(c)});
            break;
        case '.':
            lexems_.push_back({line, column, lkAll, OneChar(c)});
            break;
        case '/':
            lexems_.push_back({line, column, lkDateSeparator, OneChar(c)});
            break;
        case ':':
            lexems_.push_back({line, column, lkTimeSeparator, OneChar(c)});
            break;
        case '\'':
            LexQuoted(lexems_);
            break;
        case '[':
            LexClass(line, column);
            break;
        case '{':
            LexCount(line, column);
            break;
        case '\\':
            LexEscape(line, column, false, lexems_);
            break;
        default:
            lexems_.push_back({line, column, lkSymbol, OneChar(c)});
            break;
        }
    }
    if (balance > 0)
        AddError(line_, column_ + 1, Format(sMissing, cxT(")")));
}

void TcxRegExpr::LexQuoted(TcxLexems& target)
{
    for (;;) {
        if (AtEnd()) {
            AddError(line_, column_ + 1, Format(sMissing, cxT("'")));
            return;
        }
        const TcxChar c = ReadChar();
        if (c == '\'') {
            if (AtEnd() || PeekChar() != '\'')
                return;
            ReadChar();
        }
        target.push_back({line_, column_, lkSymbol, OneChar(c)});
    }
}

bool TcxRegExpr::LexEscape(int line, int column, bool inClass, TcxLexems& target)
{
    if (AtEnd()) {
        AddError(line, column, Format(sIllegal, cxT("\\")));
        return false;
    }
    if (IsLexSpace(PeekChar())) {
        AddError(line, column + 1, sSpaceAfterEscape);
        ReadChar();
        return false;
    }
    const TcxChar c = ReadChar();
    TcxLexemKind kind = lkSymbol;
    TcxString text = OneChar(c);
    switch (c) {
    case 'd': kind = lkDigit; break;
    case 'D': kind = lkNotDigit; break;
    case 'w': kind = lkIdLetter; break;
    case 'W': kind = lkNotIdLetter; break;
    case 's': kind = lkSpace; break;
    case 'S': kind = lkNotSpace; break;
    case 'a': text = OneChar(7); break;
    case 'e': text = OneChar(27); break;
    case 'f': text = OneChar(12); break;
    case 'n': text = OneChar(10); break;
    case 'r': text = OneChar(13); break;
    case 't': text = OneChar(9); break;
    case 'x': {
        if (AtEnd()) {
            AddError(line_, column_ + 1, sHexExpected);
            return false;
        }
        if (HexValue(PeekChar()) < 0) {
            AddError(line_, column_ + 1, Format(sHexExpectedFound, OneChar(PeekChar())));
            return false;
        }
        // Every digit that follows belongs to the number.
        const int digitLine = line_;
        const int digitColumn = column_ + 1;
        TcxString digits;
        unsigned long value = 0;
        while (!AtEnd() && HexValue(PeekChar()) >= 0) {
            digits += PeekChar();
            value = std::min(value * 16 + HexValue(ReadChar()), 0x10000UL);
        }
        if (value > 0xFFFF) {
            AddError(digitLine, digitColumn, Format(sHexTooBig, digits));
            return false;
        }
        text = OneChar(static_cast<TcxChar>(value));
        break;
    }
    default:
        if (c >= '1' && c <= '9') {
            // A group copy means nothing inside a class.
            if (inClass) {
                AddError(line, column, Format(sIllegal, TcxString(1, '\\') + c));
                return false;
            }
            kind = lkReference;
        }
        break;
    }
    target.push_back({line, column, kind, text});
    return true;
}

void TcxRegExpr::LexClass(int line, int column)
{
    TcxLexems members;
    // Which members are an unquoted, unescaped '-': only those can be ranges.
    std::vector<bool> dashes;
    members.push_back({line, column, lkOperator, cxT("[")});
    dashes.push_back(false);
    if (!AtEnd() && PeekChar() == '^') {
        ReadChar();
        members.push_back({line_, column_, lkOperator, cxT("^")});
        dashes.push_back(false);
    }
    for (;;) {
        SkipSpaces();
        if (AtEnd()) {
            // The class is dropped whole; the missing bracket says it all.
            AddError(line_, column_ + 1, Format(sMissing, cxT("]")));
            return;
        }
        const TcxChar c = ReadChar();
        if (c == ']') {
            members.push_back({line_, column_, lkOperator, cxT("]")});
            dashes.push_back(false);
            break;
        }
        switch (c) {
        case '\'':
            LexQuoted(members);
            break;
        case '\\':
            LexEscape(line_, column_, true, members);
            break;
        case '/':
            members.push_back({line_, column_, lkDateSeparator, OneChar(c)});
            break;
        case ':':
            members.push_back({line_, column_, lkTimeSeparator, OneChar(c)});
            break;
        default:
            members.push_back({line_, column_, lkSymbol, OneChar(c)});
            break;
        }
        dashes.resize(members.size(), false);
        if (c == '-')
            dashes.back() = true;
    }
    // A dash between two single characters is a range; elsewhere (first,
    // last, next to a class escape or another range) it is a literal.
    std::vector<bool> inRange(members.size(), false);
    for (size_t i = 1; i + 1 < members.size(); ++i) {
        if (!dashes[i] || members[i - 1].Kind != lkSymbol || inRange[i - 1] || members[i + 1].Kind != lkSymbol)
            continue;
        members[i].Kind = lkOperator;
        inRange[i - 1] = inRange[i + 1] = true;
    }
    lexems_.insert(lexems_.end(), members.begin(), members.end());
}

void TcxRegExpr::LexCount(int line, int column)
{
    TcxString text;
    bool comma = false;
    bool illegal = false;
    for (;;) {
        SkipSpaces();
        if (AtEnd()) {
            AddError(line_, column_ + 1, Format(sMissing, cxT("}")));
            return;
        }
        const TcxChar c = ReadChar();
        if (c == '}')
            break;
        if (IsDecimal(c) || (c == ',' && !comma)) {
            comma = comma || c == ',';
            text += c;
        } else if (!illegal) {
            // Once per count: what follows a stray character is noise.
            AddError(line_, column_, Format(sIllegal, OneChar(c)));
            illegal = true;
        }
    }
    if (!illegal)
        lexems_.push_back({line, column, lkParameter, text});
}

// --- Parser ---

bool TcxRegExpr::PeekOperator(TcxChar op) const
{
    const TcxLexem* lexem = PeekLexem();
    return lexem && lexem->Kind == lkOperator && lexem->Text[0] == op;
}

bool TcxRegExpr::PeekQuantifier() const
{
    return PeekOperator('*') || PeekOperator('+') || PeekOperator('?') ||
           (PeekLexem() && PeekLexem()->Kind == lkParameter);
}

bool TcxRegExpr::Reserve(const TcxLexem& lexem, long long items, int depth)
{
    if (itemCount_ + items > MaxItems || parseDepth_ + depth > MaxDepth) {
        if (!tooComplex_)
            AddError(lexem, sTooComplex);
        tooComplex_ = true;
        return false;
    }
    itemCount_ += items;
    return true;
}

void TcxRegExpr::Parse()
{
    bool consumed = false;
    root_ = ParseAlts(0, consumed);
    if (root_->Count() == 1 && (*root_)[0].Count() == 0 && errors_.Count() == 0)
        AddError(0, 0, sEmptyAlternative); // only empty quotes
}

std::unique_ptr<TcxRegExprParserAlts> TcxRegExpr::ParseAlts(int depth, bool& consumed)
{
    auto alts = std::make_unique<TcxRegExprParserAlts>();
    const size_t first = lexemIndex_;
    const TcxLexem* previousBar = nullptr;
    for (;;) {
        const size_t start = lexemIndex_;
        auto alt = ParseAlt(depth);
        const bool empty = alt->Count() == 0 && lexemIndex_ == start;
        alts->Add(std::move(alt));
        const TcxLexem* bar = PeekOperator('|') ? PeekLexem() : nullptr;
        // An alternative that produced nothing because of its own errors is
        // not reported again as empty.
        if (empty && (bar || previousBar)) {
            const TcxLexem& at = bar ? *bar : *previousBar;
            AddError(at, sEmptyAlternative);
        }
        if (!bar)
            break;
        ++lexemIndex_;
        previousBar = bar;
    }
    consumed = lexemIndex_ > first;
    return alts;
}

std::unique_ptr<TcxRegExprParserAlt> TcxRegExpr::ParseAlt(int depth)
{
    auto alt = std::make_unique<TcxRegExprParserAlt>();
    while (!AtLexemEnd() && !PeekOperator('|') && !PeekOperator(')')) {
        parseDepth_ = depth;
        auto item = ParseItem(depth);
        if (!item) {
            // Quantifiers of an item that failed would only repeat the error.
            while (PeekQuantifier())
                ++lexemIndex_;
            continue;
        }
        parseDepth_ = depth;
        ParseQuantifiers(item);
        alt->Add(std::move(item));
    }
    return alt;
}

std::unique_ptr<TcxRegExprCharItem> TcxRegExpr::MakeCharItem(const TcxLexem& lexem) const
{
    switch (lexem.Kind) {
    case lkSymbol: return std::make_unique<TcxRegExprSymbol>(lexem.Text[0]);
    case lkAll: return std::make_unique<TcxRegExprAll>();
    case lkIdLetter: return std::make_unique<TcxRegExprIdLetter>(false);
    case lkNotIdLetter: return std::make_unique<TcxRegExprIdLetter>(true);
    case lkDigit: return std::make_unique<TcxRegExprDigit>(false);
    case lkNotDigit: return std::make_unique<TcxRegExprDigit>(true);
    case lkSpace: return std::make_unique<TcxRegExprSpace>(false);
    case lkNotSpace: return std::make_unique<TcxRegExprSpace>(true);
    case lkDateSeparator: return std::make_unique<TcxRegExprDateSeparator>(separators_.Date);
    case lkTimeSeparator: return std::make_unique<TcxRegExprTimeSeparator>(separators_.Time);
    default: return nullptr;
    }
}

std::unique_ptr<TcxRegExprParserItem> TcxRegExpr::ParseItem(int depth)
{
    const TcxLexem& lexem = lexems_[lexemIndex_++];
    switch (lexem.Kind) {
    case lkReference:
        return ParseReference(lexem);
    case lkParameter:
        AddError(lexem, Format(sIllegalQuantifier, cxT("{") + lexem.Text + cxT("}")));
        return nullptr;
    case lkOperator:
        switch (lexem.Text[0]) {
        case '(':
            return ParseBlock(lexem, depth);
        case '[':
            return ParseClass(lexem);
        case '*':
        case '+':
        case '?':
            AddError(lexem, Format(sIllegalQuantifier, lexem.Text));
            return nullptr;
        default:
            AddError(lexem, Format(sIllegal, lexem.Text));
            return nullptr;
        }
    default:
        if (!Reserve(lexem, 1, 1))
            return nullptr;
        return std::make_unique<TcxRegExprParserSimpleItem>(MakeCharItem(lexem));
    }
}

std::unique_ptr<TcxRegExprParserItem> TcxRegExpr::ParseBlock(const TcxLexem& open, int depth)
{
    if (depth + 1 >= MaxDepth) {
        Reserve(open, 0, MaxDepth);
        // Skip the group without descending into it.
        for (int balance = 1; !AtLexemEnd() && balance > 0; ++lexemIndex_) {
            if (PeekOperator('('))
                ++balance;
            else if (PeekOperator(')'))
                --balance;
        }
        return nullptr;
    }
    const size_t number = blocks_.size();
    blocks_.emplace_back();
    bool consumed = false;
    std::shared_ptr<const TcxRegExprParserAlts> alts = ParseAlts(depth + 1, consumed);
    if (PeekOperator(')'))
        ++lexemIndex_; // else the text ended and the lexer has said so
    if (alts->Count() == 1 && (*alts)[0].Count() == 0) {
        if (!consumed)
            AddError(open, sEmptyBlock);
        blocks_[number].Status = TBlockStatus::Failed;
        return nullptr;
    }
    if (!Reserve(open, 1, 0)) {
        blocks_[number].Status = TBlockStatus::Failed;
        return nullptr;
    }
    blocks_[number].Status = TBlockStatus::Closed;
    blocks_[number].Alts = alts;
    return std::make_unique<TcxRegExprParserBlockItem>(std::move(alts));
}

std::unique_ptr<TcxRegExprParserItem> TcxRegExpr::ParseClass(const TcxLexem& open)
{
    bool negative = false;
    if (PeekOperator('^')) {
        negative = true;
        ++lexemIndex_;
    }
    auto enumeration = std::make_unique<TcxRegExprUserEnumeration>(negative);
    bool failed = false;
    while (!AtLexemEnd() && !PeekOperator(']')) {
        const TcxLexem& lexem = lexems_[lexemIndex_++];
        if (lexem.Kind == lkSymbol && PeekOperator('-')) {
            const TcxLexem& dash = lexems_[lexemIndex_++];
            const TcxLexem& last = lexems_[lexemIndex_++];
            if (lexem.Text[0] >= last.Text[0]) {
                AddError(dash, sBadSubrange);
                failed = true;
            } else {
                enumeration->Add(std::make_unique<TcxRegExprSubrange>(lexem.Text[0], last.Text[0]));
            }
            continue;
        }
        enumeration->Add(MakeCharItem(lexem));
    }
    ++lexemIndex_; // the lexer emits a class only with its closing bracket
    if (failed)
        return nullptr;
    if (enumeration->Count() == 0) {
        AddError(open, sEmptyEnumeration);
        return nullptr;
    }
    if (!Reserve(open, 1, 1))
        return nullptr;
    return std::make_unique<TcxRegExprParserSimpleItem>(std::move(enumeration));
}

std::unique_ptr<TcxRegExprParserItem> TcxRegExpr::ParseReference(const TcxLexem& lexem)
{
    const size_t number = static_cast<size_t>(lexem.Text[0] - '0');
    // Only a closed group can be copied; one still open would contain itself.
    if (number > blocks_.size() || blocks_[number - 1].Status == TBlockStatus::Open) {
        AddError(lexem, sBigReference);
        return nullptr;
    }
    const TBlock& block = blocks_[number - 1];
    if (block.Status == TBlockStatus::Failed)
        return nullptr;
    if (!Reserve(lexem, block.Alts->Size() + 1, block.Alts->Depth() + 1))
        return nullptr;
    return std::make_unique<TcxRegExprParserBlockItem>(block.Alts->Clone());
}

void TcxRegExpr::ParseQuantifiers(std::unique_ptr<TcxRegExprParserItem>& item)
{
    while (PeekQuantifier()) {
        const TcxLexem& lexem = lexems_[lexemIndex_++];
        if (lexem.Kind == lkParameter) {
            ApplyCount(item, lexem);
            continue;
        }
        const TcxChar op = lexem.Text[0];
        const TcxRegExprQuantifier& quantifier = op == '?' ? TcxRegExprQuestionQuantifier::Instance()
                                                 : op == '*' ? TcxRegExprStarQuantifier::Instance()
                                                             : TcxRegExprPlusQuantifier::Instance();
        // A quantified item gets a group of its own to carry the new quantifier;
        // that group can be empty exactly when the item can be missing.
        const bool wrap = item->HasQuantifier();
        const bool canBeEmpty = item->CanBeEmpty() || (wrap && item->CanBeMissing());
        if (op != '?' && canBeEmpty) {
            AddError(lexem, op == '*' ? sStarNotApplicable : sPlusNotApplicable);
            continue;
        }
        if (wrap) {
            if (!Reserve(lexem, 1, item->Depth() + 1))
                continue;
            auto alt = std::make_unique<TcxRegExprParserAlt>();
            alt->Add(std::move(item));
            auto alts = std::make_shared<TcxRegExprParserAlts>();
            alts->Add(std::move(alt));
            item = std::make_unique<TcxRegExprParserBlockItem>(std::move(alts));
        }
        item->SetQuantifier(quantifier);
    }
}

void TcxRegExpr::ApplyCount(std::unique_ptr<TcxRegExprParserItem>& item, const TcxLexem& lexem)
{
    const TcxString& text = lexem.Text;
    const size_t comma = text.find(',');
    const TcxString low = text.substr(0, comma);
    const TcxString high = comma == TcxString::npos ? TcxString() : text.substr(comma + 1);
    if (low.empty()) {
        AddError(lexem, sIncorrectCount);
        return;
    }
    auto toInt = [](const TcxString& digits, long long& value) {
        value = 0;
        for (TcxChar c : digits) {
            value = value * 10 + (c - '0');
            if (value > INT_MAX)
                return false;
        }
        return true;
    };
    long long n = 0;
    long long m = 0;
    if (!toInt(low, n) || !toInt(high, m)) {
        AddError(lexem, sIllegalInteger);
        return;
    }
    const bool unbounded = comma != TcxString::npos && high.empty();
    if (comma == TcxString::npos)
        m = n;
    if (!unbounded && m < n) {
        AddError(lexem, sIncorrectCount);
        return;
    }
    if (item->CanBeMissing()) {
        AddError(lexem, sCountNotApplicable);
        return;
    }
    // A quantified item ("a+") is counted whole: the copies are of a group around
    // it, so that the optional copy's '?' does not replace its own quantifier.
    if (item->HasQuantifier()) {
        if (!Reserve(lexem, 1, item->Depth() + 1))
            return;
        auto inner = std::make_unique<TcxRegExprParserAlt>();
        inner->Add(std::move(item));
        auto innerAlts = std::make_shared<TcxRegExprParserAlts>();
        innerAlts->Add(std::move(inner));
        item = std::make_unique<TcxRegExprParserBlockItem>(std::move(innerAlts));
    }
    const long long optional = unbounded ? 0 : m - n;
    const long long copies = n + (unbounded ? 1 : optional);
    // The copies, a group per optional copy (nested one in the other) and the
    // group around them all; an empty group counts too, or "(a{0}){1000}"
    // nested a few times would grow without bound.
    const long long items = item->Size() * std::max(0LL, copies - 1) + optional + 1;
    if (!Reserve(lexem, items, item->Depth() + static_cast<int>(std::min<long long>(optional, MaxDepth)) + 1))
        return;

    // Every copy is a clone of the item; the item itself is then dropped (a
    // numbered group keeps its content through the shared list of blocks).
    std::unique_ptr<TcxRegExprParserItem> pattern = std::move(item);
    auto alt = std::make_unique<TcxRegExprParserAlt>();
    auto copy = [&pattern]() { return pattern->Clone(); };
    for (long long i = 0; i < n; ++i)
        alt->Add(copy());
    if (unbounded) {
        auto star = copy();
        star->SetQuantifier(TcxRegExprStarQuantifier::Instance());
        alt->Add(std::move(star));
    } else if (optional > 0) {
        // Built from the innermost copy outwards: (a(a(a)?)?)?
        std::unique_ptr<TcxRegExprParserItem> chain = pattern->Clone();
        chain->SetQuantifier(TcxRegExprQuestionQuantifier::Instance());
        for (long long i = 1; i < optional; ++i) {
            auto link = std::make_unique<TcxRegExprParserAlt>();
            link->Add(pattern->Clone());
            link->Add(std::move(chain));
            auto linkAlts = std::make_shared<TcxRegExprParserAlts>();
            linkAlts->Add(std::move(link));
            chain = std::make_unique<TcxRegExprParserBlockItem>(std::move(linkAlts));
            chain->SetQuantifier(TcxRegExprQuestionQuantifier::Instance());
        }
        alt->Add(std::move(chain));
    }
    auto alts = std::make_shared<TcxRegExprParserAlts>();
    alts->Add(std::move(alt));
    item = std::make_unique<TcxRegExprParserBlockItem>(std::move(alts));
}

// --- Use ---

void TcxRegExpr::CheckCompiled() const
{
    if (!compiled_) {
        TcxRegExprErrors errors;
        errors.Add(0, 0, sNotCompiled);
        throw EcxRegExprError(errors);
    }
}

bool TcxRegExpr::Advance(TcxChar c)
{
    CheckCompiled();
    return automat_->Next(c, caseInsensitive_);
}

void TcxRegExpr::StepBack()
{
    CheckCompiled();
    automat_->Prev();
}

bool TcxRegExpr::AtStart() const
{
    CheckCompiled();
    return automat_->AtStart();
}

bool TcxRegExpr::MatchComplete() const
{
    CheckCompiled();
    return automat_->AtFinal();
}

TcxString TcxRegExpr::FilterText(const TcxString& text)
{
    CheckCompiled();
    TcxString result;
    for (TcxChar c : text)
        if (automat_->Next(c, caseInsensitive_))
            result += c;
    return result;
}

void TcxRegExpr::Reset()
{
    CheckCompiled();
    automat_->Reset();
}

TcxString TcxRegExpr::Print() const
{
    CheckCompiled();
    return root_->Print();
}

int TcxRegExpr::StateCount() const
{
    CheckCompiled();
    return automat_->StateCount();
}

int TcxRegExpr::ActiveStateCount() const
{
    CheckCompiled();
    return automat_->ActiveCount();
}

int TcxRegExpr::CachedSetCount() const
{
    CheckCompiled();
    return automat_->CachedSetCount();
}
