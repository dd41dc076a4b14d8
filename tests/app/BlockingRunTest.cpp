// While the network shell runs, the program is blocked for input but not for painting:
// what it shows is read from the screen itself (the desktop's device context), since
// the program's own window keeps the text even when the screen never shows it.
#include "AppDriver.h"

#include "app/ControlIds.h"
#include "framework/Graphics.h"
#include "support/MessageSequence.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qvtest;
using namespace qv::app;

namespace {

const wchar_t kDone[] = L"操作完成。";

// Counts the pixels on the screen in r (screen coordinates) that pass.
template <class Test>
int CountOnScreen(const RECT& r, Test test)
{
    const TScreenPixels shot(r);
    int n = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            n += test(shot.At(x, y));
    return n;
}

// Pixels of text (near black) on the screen in r.
int TextPixels(const RECT& r)
{
    return CountOnScreen(r, [](COLORREF c) { return GetRValue(c) < 0x60 && GetGValue(c) < 0x60 && GetBValue(c) < 0x60; });
}

int PixelsOf(const RECT& r, COLORREF colour)
{
    return CountOnScreen(r, [&](COLORREF c) { return c == colour; });
}

// Status panel 0 on the screen, inside its border.
RECT StatusPanel(HWND main)
{
    RECT r;
    GetWindowRect(ChildById(main, idStatusBar), &r);
    return RECT{r.left + 3, r.top + 3, r.left + 247, r.bottom - 3};
}

// A click of the mouse in the middle of the control, as the user makes it.
void MouseClick(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

// A window of the test's own that covers r until it is destroyed.
class Cover {
public:
    explicit Cover(const RECT& r)
    {
        static const qv::TGdiObject brush(CreateSolidBrush(kColour));
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(brush.Get());
        wc.lpszClassName = L"QvTestCover";
        RegisterClassW(&wc);  // fails harmlessly when it is registered already
        wnd_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"QvTestCover", L"",
                               WS_POPUP | WS_VISIBLE, r.left - 10, r.top - 10, r.right - r.left + 20,
                               r.bottom - r.top + 20, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~Cover() { DestroyWindow(wnd_); }
    static void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }

    static constexpr COLORREF kColour = RGB(255, 0, 255);

private:
    HWND wnd_;
};

int LineCount(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(RunningCommand, ShowsItsStatusAndRepaintsWhileTheNetworkShellRuns)
{
    AppDriver app;
    app.SetEnv(L"QUORVANE_NETSH_DELAY", L"8000");
    HWND main = app.StartWith({{L"A", "pushd interface ip\r\npopd\r\n"}});
    ASSERT_TRUE(main);
    const RECT panel = StatusPanel(main);
    // Until the window is on the screen, the black of the screen's background is there.
    ASSERT_TRUE(WaitUntil([&] { return TextPixels(panel) == 0; })) << "no empty status panel on the screen";

    const DWORD start = GetTickCount();
    AppDriver::Click(ChildById(main, idSwitchBT));
    EXPECT_TRUE(WaitUntil([&] { return TextPixels(panel) > 30; }, 3000)) << "the status never reached the screen";

    // Covered and uncovered again while the run goes on: the window repaints,
    // also where the system asks it to (as Windows does when it is uncovered).
    {
        Cover cover(panel);
        EXPECT_TRUE(WaitUntil([&] {
            Cover::Pump();
            return PixelsOf(panel, Cover::kColour) > 100;
        }, 2000));
    }
    EXPECT_TRUE(WaitUntil([&] { return PixelsOf(panel, Cover::kColour) == 0 && TextPixels(panel) > 30; }, 2000))
        << "the uncovered window was not repainted";
    HWND status = ChildById(main, idStatusBar);
    InvalidateRect(status, nullptr, TRUE);
    EXPECT_TRUE(WaitUntil([&] { return !GetUpdateRect(status, nullptr, FALSE) && TextPixels(panel) > 30; }, 2000))
        << "the invalidated status bar was not repainted";
    EXPECT_LT(GetTickCount() - start, 7000u) << "too slow to tell: the network shell may have ended";

    EXPECT_TRUE(app.WaitStatus(kDone));
}

TEST(RunningCommand, ClicksMadeMeanwhileAreDiscarded)
{
    AppDriver app;
    app.SetEnv(L"QUORVANE_NETSH_DELAY", L"3000");
    app.SetEnv(L"QUORVANE_NETSH_LOG", app.Dir() + L"runs.txt");
    HWND main = app.StartWith({{L"A", "pushd interface ip\r\npopd\r\n"}});
    ASSERT_TRUE(main);
    HWND switchButton = ChildById(main, idSwitchBT);

    MouseClick(switchButton);
    ASSERT_TRUE(WaitUntil([&] { return LineCount(app.ReadFile(L"runs.txt")) == 1; })) << "the click ran nothing";
    MouseClick(switchButton);
    MouseClick(switchButton);
    ASSERT_TRUE(app.WaitStatus(kDone));

    // A click after the run is taken, and only after everything that came before it.
    MouseClick(ChildById(main, idHelpBT));
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    AppDriver::Click(ChildById(help, idHelpOKBT));
    EXPECT_EQ(1, LineCount(app.ReadFile(L"runs.txt"))) << "clicks made during the run were replayed";
}
