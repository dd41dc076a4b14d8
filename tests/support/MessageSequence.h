// Message and event sequences of real windows, checked against expected tables.
//
// A sequence records, in order, the messages that reach the watched controls (each
// under a name of the test's choosing, only the messages the test asked for) and
// the events the test's handlers report. A table of expected entries is compared
// with what was recorded; entries may be optional. On a mismatch both sequences are
// printed by name:
//
//     TMessageSequence seq;
//     seq.Watch(edit, "edit", {WM_SETFOCUS, WM_KILLFOCUS});
//     edit->OnChange = [&](TObject*) { seq.Event("edit", "OnChange"); };
//     ...
//     EXPECT_TRUE(seq.Matches({{"edit", WM_SETFOCUS}, {"edit", "OnChange"}}, "typing"));
//     // typing: at 1 expected edit OnChange, got edit WM_KILLFOCUS
#pragma once

#include "framework/Controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qvtest {

// What an expected entry checks besides source and message.
enum TSeqFlag : unsigned {
    seqWParam = 1,    // wParam must match
    seqLParam = 2,    // lParam must match
    seqOptional = 4,  // may be missing
};

struct TSeqEntry {
    std::string source;
    UINT msg = 0;          // 0 for an event
    std::string event;     // the event's name, or a marker's text
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    unsigned flags = 0;

    TSeqEntry(std::string src, UINT m, unsigned f = 0, WPARAM w = 0, LPARAM l = 0)
        : source(std::move(src)), msg(m), wParam(w), lParam(l), flags(f)
    {
    }
    TSeqEntry(std::string src, const char* ev, unsigned f = 0) : source(std::move(src)), event(ev), flags(f) {}

    std::string ToString() const;
};

// A message's name (WM_..., CM_..., or its number in hex).
std::string MessageName(UINT msg);

class TMessageSequence {
public:
    TMessageSequence();
    ~TMessageSequence();
    TMessageSequence(const TMessageSequence&) = delete;
    TMessageSequence& operator=(const TMessageSequence&) = delete;

    // Records the listed messages of control under name (through its WindowProc, so
    // messages sent with Perform count too). The hook stays harmless after the
    // sequence or the control is gone.
    void Watch(qv::TControl* control, const std::string& name, std::set<UINT> messages);
    // The same for a window the framework did not make.
    void WatchWindow(HWND wnd, const std::string& name, std::set<UINT> messages);
    void Event(const std::string& source, const std::string& event);
    // A phase separator that tables can expect.
    void Mark(const std::string& text) { Event("--", text); }
    void Clear() { recorded_.clear(); }

    const std::vector<TSeqEntry>& Recorded() const { return recorded_; }
    // Every recorded entry in order, one per line.
    std::string Dump() const;
    // Recorded must equal expected, optional entries aside.
    ::testing::AssertionResult Matches(const std::vector<TSeqEntry>& expected, const std::string& context) const;
    // Only the entries of these sources are compared.
    ::testing::AssertionResult MatchesFor(const std::set<std::string>& sources, const std::vector<TSeqEntry>& expected,
                                          const std::string& context) const;

private:
    void Record(const std::string& name, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    struct Native;
    std::vector<TSeqEntry> recorded_;
    std::shared_ptr<TMessageSequence*> self_;
    std::vector<std::unique_ptr<Native>> natives_;
};

// A colour as #RRGGBB.
std::string Hex(COLORREF color);
// Compares two colours and prints both as #RRGGBB.
::testing::AssertionResult SameColor(COLORREF expected, COLORREF actual);

// A copy of part of the screen (what a person sees), read back pixel by pixel.
class TScreenPixels {
public:
    // r in screen coordinates.
    explicit TScreenPixels(const RECT& r);
    // The client area of a window.
    static TScreenPixels OfClient(HWND wnd);
    // Relative to the captured rectangle.
    COLORREF At(int x, int y) const;
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Every pixel of r (relative) has the colour; on failure the first other one is named.
    ::testing::AssertionResult AllIn(const RECT& r, COLORREF color) const;
    // The bounding box of the pixels of this colour (empty when there are none).
    RECT BoundsOf(COLORREF color) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<COLORREF> pixels_;
};

} // namespace qvtest
