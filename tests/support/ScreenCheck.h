// What a person sees must be what the windows would draw now.
//
// After a step of a test (a key, a click, a call that changes a control), the events
// are handled, the screen under every visible top-level window of the process is
// read, each window and all its children are repainted from scratch (RedrawWindow
// with RDW_INVALIDATE, RDW_ERASE, RDW_FRAME, RDW_ALLCHILDREN and RDW_UPDATENOW) and
// the screen is read again. Any difference is paint that went stale: a change that
// did not invalidate what shows it. The blinking caret is left out of both reads.
//
//     PressKey(VK_DOWN);
//     EXPECT_SCREEN_FRESH();
//
// For another process (the program driven by the end-to-end tests) nothing can be
// pumped: the check waits until the screen has settled instead.
//
// On a failure both reads are written as PNG files into the working folder and the
// message names them, with the first differing pixel and the box of all of them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvtest {

// The screen in r (screen coordinates), 0x00BBGGRR per pixel, row by row.
struct TScreenShot {
    RECT bounds{};
    std::vector<COLORREF> pixels;

    static TScreenShot Read(const RECT& r);
    // Reads until two reads agree (at most timeoutMs), so that what was painted has
    // reached the screen.
    static TScreenShot Settled(const RECT& r, int timeoutMs = 1500);
    int Width() const { return bounds.right - bounds.left; }
    int Height() const { return bounds.bottom - bounds.top; }
    // Screen coordinates; CLR_INVALID outside.
    COLORREF At(int x, int y) const;
    bool WritePng(const std::wstring& path) const;
};

// Whether the screen shows exactly this text (dark ink on a light background) inside
// region (screen coordinates) and no other ink there: the text is drawn as the test
// draws it in the font, and its ink pattern is looked for at every offset.
::testing::AssertionResult ShowsText(const RECT& region, const std::wstring& text, const wchar_t* fontName = L"SimSun",
                                     int fontHeight = -12);

// One window (and its children); processId 0 pumps this thread's messages first.
::testing::AssertionResult ScreenMatchesRepaint(HWND top);
// Every visible top-level window of the process (0: this one).
::testing::AssertionResult ScreenMatchesRepaintOfProcess(DWORD processId = 0);

} // namespace qvtest

// After every step of a window test: the screen equals a full repaint.
#define EXPECT_SCREEN_FRESH() EXPECT_TRUE(::qvtest::ScreenMatchesRepaintOfProcess())
#define EXPECT_SCREEN_FRESH_OF(processId) EXPECT_TRUE(::qvtest::ScreenMatchesRepaintOfProcess(processId))
