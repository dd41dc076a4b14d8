#include "support/MessageSequence.h"

#include "framework/Graphics.h"

#include <commctrl.h>

#include <algorithm>

#include <cstdio>
#include <map>
#include <sstream>

namespace qvtest {

namespace {

const std::map<UINT, const char*>& Names()
{
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"}, {WM_SIZE, "WM_SIZE"},
        {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_ENABLE, "WM_ENABLE"}, {WM_SETTEXT, "WM_SETTEXT"}, {WM_GETTEXT, "WM_GETTEXT"},
        {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"}, {WM_PAINT, "WM_PAINT"}, {WM_CLOSE, "WM_CLOSE"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
        {WM_SETCURSOR, "WM_SETCURSOR"}, {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"}, {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
        {WM_DRAWITEM, "WM_DRAWITEM"}, {WM_MEASUREITEM, "WM_MEASUREITEM"}, {WM_SETFONT, "WM_SETFONT"},
        {WM_GETFONT, "WM_GETFONT"}, {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"}, {WM_NOTIFY, "WM_NOTIFY"}, {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
        {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"}, {WM_NCHITTEST, "WM_NCHITTEST"},
        {WM_NCPAINT, "WM_NCPAINT"}, {WM_NCACTIVATE, "WM_NCACTIVATE"}, {WM_GETDLGCODE, "WM_GETDLGCODE"},
        {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"}, {WM_CHAR, "WM_CHAR"}, {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
        {WM_SYSKEYUP, "WM_SYSKEYUP"}, {WM_SYSCHAR, "WM_SYSCHAR"}, {WM_COMMAND, "WM_COMMAND"},
        {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_TIMER, "WM_TIMER"}, {WM_INITMENUPOPUP, "WM_INITMENUPOPUP"},
        {WM_CTLCOLOREDIT, "WM_CTLCOLOREDIT"}, {WM_CTLCOLORLISTBOX, "WM_CTLCOLORLISTBOX"},
        {WM_CTLCOLORSTATIC, "WM_CTLCOLORSTATIC"}, {WM_MOUSEMOVE, "WM_MOUSEMOVE"}, {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"}, {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"}, {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
        {WM_RBUTTONUP, "WM_RBUTTONUP"}, {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"}, {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
        {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_CUT, "WM_CUT"}, {WM_COPY, "WM_COPY"}, {WM_PASTE, "WM_PASTE"},
        {WM_CLEAR, "WM_CLEAR"}, {WM_UNDO, "WM_UNDO"}, {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
        {WM_PRINTCLIENT, "WM_PRINTCLIENT"}, {WM_THEMECHANGED, "WM_THEMECHANGED"}, {WM_APP + 105, "WM_APP+105"},
        {qv::CM_ACTIVATE, "CM_ACTIVATE"}, {qv::CM_DEACTIVATE, "CM_DEACTIVATE"}, {qv::CM_ENTER, "CM_ENTER"},
        {qv::CM_EXIT, "CM_EXIT"}, {qv::CM_DIALOGKEY, "CM_DIALOGKEY"}, {qv::CM_FOCUSCHANGED, "CM_FOCUSCHANGED"},
        {qv::CM_PARENTFONTCHANGED, "CM_PARENTFONTCHANGED"}, {qv::CM_PARENTCOLORCHANGED, "CM_PARENTCOLORCHANGED"},
        {qv::CM_ENABLEDCHANGED, "CM_ENABLEDCHANGED"}, {qv::CM_COLORCHANGED, "CM_COLORCHANGED"},
        {qv::CM_FONTCHANGED, "CM_FONTCHANGED"}, {qv::CM_TEXTCHANGED, "CM_TEXTCHANGED"},
        {qv::CM_MOUSEENTER, "CM_MOUSEENTER"}, {qv::CM_MOUSELEAVE, "CM_MOUSELEAVE"},
        {qv::CM_SYSCOLORCHANGE, "CM_SYSCOLORCHANGE"}, {qv::CN_COMMAND, "CN_COMMAND"}, {qv::CN_KEYDOWN, "CN_KEYDOWN"},
        {qv::CN_CTLCOLOREDIT, "CN_CTLCOLOREDIT"}, {EM_SETSEL, "EM_SETSEL"}, {EM_REPLACESEL, "EM_REPLACESEL"},
        {EM_SETMARGINS, "EM_SETMARGINS"}, {EM_SETREADONLY, "EM_SETREADONLY"}, {EM_LIMITTEXT, "EM_LIMITTEXT"},
        {EM_SETPASSWORDCHAR, "EM_SETPASSWORDCHAR"},
    };
    return names;
}

bool Same(const TSeqEntry& e, const TSeqEntry& got)
{
    if (e.source != got.source || e.msg != got.msg || e.event != got.event)
        return false;
    if ((e.flags & seqWParam) && e.wParam != got.wParam)
        return false;
    if ((e.flags & seqLParam) && e.lParam != got.lParam)
        return false;
    return true;
}

std::string Join(const std::vector<TSeqEntry>& entries)
{
    std::ostringstream out;
    for (size_t i = 0; i < entries.size(); ++i)
        out << "    " << i << ": " << entries[i].ToString() << (entries[i].flags & seqOptional ? " (optional)" : "")
            << "\n";
    if (entries.empty())
        out << "    (nothing)\n";
    return out.str();
}

} // namespace

std::string MessageName(UINT msg)
{
    auto it = Names().find(msg);
    if (it != Names().end())
        return it->second;
    char buf[32];
    std::snprintf(buf, sizeof buf, "msg 0x%04X", msg);
    return buf;
}

std::string TSeqEntry::ToString() const
{
    std::ostringstream out;
    out << source << " ";
    if (msg) {
        out << MessageName(msg);
        if (flags & (seqWParam | seqLParam))
            out << "(" << wParam << ", " << lParam << ")";
    } else {
        out << event;
    }
    return out.str();
}

struct TMessageSequence::Native {
    HWND wnd;
    std::string name;
    std::set<UINT> messages;
    TMessageSequence* owner;
};

TMessageSequence::TMessageSequence() : self_(std::make_shared<TMessageSequence*>(this)) {}

TMessageSequence::~TMessageSequence()
{
    *self_ = nullptr;
    for (auto& n : natives_)
        if (IsWindow(n->wnd))
            RemoveWindowSubclass(n->wnd, SubclassProc, reinterpret_cast<UINT_PTR>(n.get()));
}

void TMessageSequence::Watch(qv::TControl* control, const std::string& name, std::set<UINT> messages)
{
    qv::TWndMethod next = control->WindowProc();
    std::shared_ptr<TMessageSequence*> self = self_;
    control->SetWindowProc([self, next, name, messages = std::move(messages)](qv::TMessage& m) {
        if (*self && messages.count(m.Msg))
            (*self)->Record(name, m.Msg, m.WParam, m.LParam);
        next(m);
    });
}

void TMessageSequence::WatchWindow(HWND wnd, const std::string& name, std::set<UINT> messages)
{
    natives_.push_back(std::make_unique<Native>(Native{wnd, name, std::move(messages), this}));
    SetWindowSubclass(wnd, SubclassProc, reinterpret_cast<UINT_PTR>(natives_.back().get()), 0);
}

LRESULT CALLBACK TMessageSequence::SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                                DWORD_PTR)
{
    auto n = reinterpret_cast<Native*>(id);
    if (n->messages.count(msg))
        n->owner->Record(n->name, msg, wParam, lParam);
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(wnd, SubclassProc, id);
    return DefSubclassProc(wnd, msg, wParam, lParam);
}

void TMessageSequence::Record(const std::string& name, UINT msg, WPARAM wParam, LPARAM lParam)
{
    recorded_.emplace_back(name, msg, 0, wParam, lParam);
}

void TMessageSequence::Event(const std::string& source, const std::string& event)
{
    recorded_.emplace_back(source, event.c_str());
}

std::string TMessageSequence::Dump() const { return Join(recorded_); }

::testing::AssertionResult TMessageSequence::Matches(const std::vector<TSeqEntry>& expected,
                                                     const std::string& context) const
{
    return MatchesFor({}, expected, context);
}

::testing::AssertionResult TMessageSequence::MatchesFor(const std::set<std::string>& sources,
                                                        const std::vector<TSeqEntry>& expected,
                                                        const std::string& context) const
{
    std::vector<TSeqEntry> got;
    for (const TSeqEntry& e : recorded_)
        if (sources.empty() || sources.count(e.source) || e.source == "--")
            got.push_back(e);
    size_t g = 0;
    for (size_t x = 0; x < expected.size(); ++x) {
        const TSeqEntry& want = expected[x];
        if (g < got.size() && Same(want, got[g])) {
            ++g;
            continue;
        }
        if (want.flags & seqOptional)
            continue;
        std::ostringstream out;
        out << context << ": at " << g << " expected " << want.ToString() << ", got "
            << (g < got.size() ? got[g].ToString() : std::string("the end")) << "\n  expected:\n"
            << Join(expected) << "  got:\n" << Join(got);
        return ::testing::AssertionFailure() << out.str();
    }
    if (g < got.size()) {
        std::ostringstream out;
        out << context << ": at " << g << " expected the end, got " << got[g].ToString() << "\n  expected:\n"
            << Join(expected) << "  got:\n" << Join(got);
        return ::testing::AssertionFailure() << out.str();
    }
    return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------

std::string Hex(COLORREF color)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    return buf;
}

::testing::AssertionResult SameColor(COLORREF expected, COLORREF actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << Hex(expected) << ", got " << Hex(actual);
}

TScreenPixels::TScreenPixels(const RECT& r) : width_(r.right - r.left), height_(r.bottom - r.top)
{
    if (width_ <= 0 || height_ <= 0) {
        width_ = height_ = 0;
        return;
    }
    qv::TBitmap copy(width_, height_);
    qv::TScreenCanvas screen;
    BitBlt(copy.Canvas().Handle(), 0, 0, width_, height_, screen.Handle(), r.left, r.top, SRCCOPY);
    GdiFlush();
    pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = copy.PixelAt(x, y);
}

TScreenPixels TScreenPixels::OfClient(HWND wnd)
{
    RECT r;
    GetClientRect(wnd, &r);
    MapWindowPoints(wnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    // What was painted reaches the screen a little later under some window systems:
    // read until two reads agree (for at most a second).
    GdiFlush();
    TScreenPixels last(r);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 1000) {
        Sleep(15);
        TScreenPixels next(r);
        if (next.pixels_ == last.pixels_)
            return next;
        last = std::move(next);
    }
    return last;
}

COLORREF TScreenPixels::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return CLR_INVALID;
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

::testing::AssertionResult TScreenPixels::AllIn(const RECT& r, COLORREF color) const
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (At(x, y) != color)
                return ::testing::AssertionFailure()
                    << "at (" << x << ", " << y << ") expected " << Hex(color) << ", got " << Hex(At(x, y));
    return ::testing::AssertionSuccess();
}

RECT TScreenPixels::BoundsOf(COLORREF color) const
{
    RECT b{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (At(x, y) == color) {
                b.left = std::min<LONG>(b.left, x);
                b.top = std::min<LONG>(b.top, y);
                b.right = std::max<LONG>(b.right, x + 1);
                b.bottom = std::max<LONG>(b.bottom, y + 1);
            }
    if (b.right <= b.left)
        return RECT{0, 0, 0, 0};
    return b;
}

} // namespace qvtest
