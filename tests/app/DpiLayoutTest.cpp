// The windows at the display's density: each is its 96-DPI layout scaled, with
// nothing cut. These run at 96 DPI with the other tests and again at 120, 144 and
// 192 DPI (tests/CMakeLists.txt).
#include "AppDriver.h"

#include "app/ControlIds.h"
#include "framework/Dpi.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "support/ScreenCheck.h"

#include <gtest/gtest.h>

#include <string>

using namespace qvtest;
using namespace qv::app;

namespace {

// A picture of the window as the screen shows it, to be looked at (dpi-<dpi>-<name>.png
// in the working folder).
void Picture(HWND wnd, int dpi, const char* name)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    const std::string file = "dpi-" + std::to_string(dpi) + "-" + name + ".png";
    TScreenShot::Settled(r).WritePng(std::wstring(file.begin(), file.end()));
}

SIZE ClientSize(HWND wnd)
{
    RECT r{};
    GetClientRect(wnd, &r);
    return SIZE{r.right, r.bottom};
}

SIZE WindowSize(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// Within a pixel of the 96-DPI length scaled.
::testing::AssertionResult Scaled(int at96, int actual, int dpi)
{
    const int expected = qv::ScaleDpi(at96, dpi);
    if (std::abs(expected - actual) <= 1)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " instead of " << expected << " (" << at96 << " at " << dpi
                                         << " DPI)";
}

LRESULT Ask(HWND wnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(wnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

// The dark ink of a window on the screen lies inside it with a margin, and is as wide
// as the text needs: nothing of the caption is cut.
::testing::AssertionResult CaptionFits(HWND button, const std::wstring& caption, int fontHeight)
{
    RECT r{};
    GetWindowRect(button, &r);
    const TScreenShot shot = TScreenShot::Settled(r);
    RECT ink{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    // Inside the frame and the focus frame (which are dark too).
    const int frame = 4 * qv::LineWidthForDpi(qv::SystemDpi());
    for (int y = r.top + frame; y < r.bottom - frame; ++y)
        for (int x = r.left + frame; x < r.right - frame; ++x) {
            const COLORREF c = shot.At(x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 0x60 || c == RGB(255, 0, 0)) {
                ink.left = std::min<LONG>(ink.left, x);
                ink.right = std::max<LONG>(ink.right, x + 1);
                ink.top = std::min<LONG>(ink.top, y);
                ink.bottom = std::max<LONG>(ink.bottom, y + 1);
            }
        }
    qv::TBitmap probe(1, 1);
    probe.Canvas().Font().SetName(L"SimSun");
    probe.Canvas().Font().SetHeight(fontHeight);
    const SIZE need = probe.Canvas().TextExtent(caption);
    if (ink.right <= ink.left)
        return ::testing::AssertionFailure() << "no caption on the screen";
    const int width = ink.right - ink.left;
    // The first and last glyphs have some blank at their outer sides.
    if (width + qv::ScaleDpi(4, qv::SystemDpi()) < need.cx || width > need.cx + 2)
        return ::testing::AssertionFailure() << "the caption's ink is " << width << " wide, the text needs " << need.cx;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(DpiLayout, TheProgramDeclaresPerMonitorAwareness)
{
    const std::wstring exe = AppDriver::BuildDir() + L"app\\Quorvane.exe";
    const qv::TModule module(LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module);
    const auto m = static_cast<HMODULE>(module.Get());
    HRSRC res = FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_TRUE(res);
    const auto data = static_cast<const char*>(LockResource(LoadResource(m, res)));
    const std::string manifest(data, SizeofResource(m, res));
    EXPECT_NE(std::string::npos, manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"));
    EXPECT_NE(std::string::npos, manifest.find(">true/pm</dpiAware>"));
}

TEST(DpiLayout, EveryWindowIsItsLayoutScaledWithNothingCut)
{
    AppDriver app;
    HWND main = app.StartWith({{L"办公室", "pushd interface ip\r\npopd\r\n"}, {L"家庭", "pushd interface ip\r\npopd\r\n"}});
    ASSERT_TRUE(main);
    // The display's density, as the program sees it.
    const int dpi = qv::SystemDpi();
    SCOPED_TRACE(std::to_string(dpi) + " DPI");

    // The main window.
    EXPECT_TRUE(Scaled(440, ClientSize(main).cx, dpi));
    EXPECT_TRUE(Scaled(134, ClientSize(main).cy, dpi));
    HWND list = ChildById(main, idConfigList);
    EXPECT_TRUE(Scaled(347, WindowSize(list).cx, dpi));
    // AutoSize: a line of the scaled font, the text margins and the frame.
    EXPECT_GE(WindowSize(list).cy, qv::ScaleDpi(12, dpi) + 6);
    EXPECT_TRUE(Scaled(65, WindowSize(ChildById(main, idSwitchBT)).cx, dpi));
    EXPECT_TRUE(Scaled(41, WindowSize(ChildById(main, idSwitchBT)).cy, dpi));
    EXPECT_TRUE(Scaled(23, WindowSize(ChildById(main, idStatusBar)).cy, dpi));
    EXPECT_TRUE(CaptionFits(ChildById(main, idSwitchBT), L"切换", qv::ScaleDpi(-16, dpi)));
    const std::pair<int, const wchar_t*> buttons[] = {{idNetCfgBT, L"修改设置"}, {idSaveBT, L"保存设置"},
                                                      {idModifyNameBT, L"修改名称"}, {idDelBT, L"删除设置"},
                                                      {idHelpBT, L"帮助说明"}, {idCloseBT, L"关闭"}};
    for (auto [id, caption] : buttons) {
        EXPECT_TRUE(Scaled(65, WindowSize(ChildById(main, id)).cx, dpi));
        EXPECT_TRUE(Scaled(25, WindowSize(ChildById(main, id)).cy, dpi));
        EXPECT_TRUE(CaptionFits(ChildById(main, id), caption, qv::ScaleDpi(-12, dpi)));
    }
    // The list shows its first item in the window's font, whole.
    RECT lr{};
    GetWindowRect(list, &lr);
    const int frame = 2 * qv::LineWidthForDpi(dpi);
    EXPECT_TRUE(ShowsText(RECT{lr.left + frame, lr.top + frame, lr.right - qv::ScaleDpi(20, dpi), lr.bottom - frame},
                          app.ConfigNames().front(), L"SimSun", qv::ScaleDpi(-12, dpi)));
    EXPECT_TRUE(ScreenMatchesRepaintOfProcess(app.ProcessId()));
    Picture(main, dpi, "main");

    // The list opened with its arrow: rows of the scaled font.
    {
        Person me(app);
        ASSERT_TRUE(me.Front(main));
        me.Click(POINT{lr.right - qv::ScaleDpi(8, dpi), (lr.top + lr.bottom) / 2});
        HWND popup = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            for (HWND w : app.VisibleWindows())
                if (!(GetWindowLongW(w, GWL_STYLE) & WS_CAPTION))
                    popup = w;
            return popup != nullptr;
        }));
        HWND rows = GetWindow(popup, GW_CHILD);
        ASSERT_TRUE(rows);
        EXPECT_GE(static_cast<int>(Ask(rows, LB_GETITEMHEIGHT)), qv::ScaleDpi(12, dpi)) << "a row holds a line";
        EXPECT_GE(WindowSize(popup).cy, 2 * qv::ScaleDpi(12, dpi)) << "both rows show";
        EXPECT_TRUE(ScreenMatchesRepaintOfProcess(app.ProcessId()));
        RECT both{};
        GetWindowRect(main, &both);
        RECT pr{};
        GetWindowRect(popup, &pr);
        UnionRect(&both, &both, &pr);
        const std::string file = "dpi-" + std::to_string(dpi) + "-list.png";
        TScreenShot::Settled(both).WritePng(std::wstring(file.begin(), file.end()));
        me.Key(VK_ESCAPE);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(popup); }));
    }

    // The name dialog: centred, 135 pixels (scaled) below the middle of the screen.
    AppDriver::Click(ChildById(main, idModifyNameBT));
    HWND dialog = app.WaitWindow(L"设置文件名称");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Scaled(258, ClientSize(dialog).cx, dpi));
    EXPECT_TRUE(Scaled(78, ClientSize(dialog).cy, dpi));
    RECT dr{};
    GetWindowRect(dialog, &dr);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ((screenH - (dr.bottom - dr.top)) / 2 + qv::ScaleDpi(135, dpi), dr.top);
    EXPECT_TRUE(Scaled(241, WindowSize(ChildById(dialog, idNameEdit)).cx, dpi));
    EXPECT_TRUE(CaptionFits(ChildById(dialog, idOKBT), L"确定", qv::ScaleDpi(-12, dpi)));
    EXPECT_TRUE(CaptionFits(ChildById(dialog, idCanceBT), L"取消", qv::ScaleDpi(-12, dpi)));
    // The name (shown selected) has the room of a whole line.
    EXPECT_TRUE(WaitUntil([&] { return WindowText(ChildById(dialog, idNameEdit)) == app.ConfigNames().front(); }));
    EXPECT_GE(ClientSize(GetWindow(ChildById(dialog, idNameEdit), GW_CHILD)).cy, qv::ScaleDpi(12, dpi));
    EXPECT_TRUE(ScreenMatchesRepaintOfProcess(app.ProcessId()));
    Picture(dialog, dpi, "dialog");
    AppDriver::Click(ChildById(dialog, idCanceBT));
    ASSERT_TRUE(app.WaitWindowGone(L"设置文件名称"));

    // The help window: every line whole, without scrolling.
    AppDriver::Click(ChildById(main, idHelpBT));
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    EXPECT_TRUE(Scaled(454, ClientSize(help).cx, dpi));
    EXPECT_TRUE(Scaled(295, ClientSize(help).cy, dpi));
    HWND memo = ChildById(help, idHelpMemo);
    EXPECT_TRUE(Scaled(250, WindowSize(memo).cy, dpi));
    HWND inner = GetWindow(memo, GW_CHILD);
    ASSERT_TRUE(inner);
    // Every line can be read: whole where it fits, wrapped where the font's rounded
    // advances make it wider than the memo (125 %), and a vertical scroll bar reaches
    // whatever is below the memo's height.
    const SIZE client = ClientSize(inner);
    const int lineHeight = qv::ScaleDpi(12, dpi);
    const auto lines = static_cast<int>(Ask(inner, EM_GETLINECOUNT));
    EXPECT_GE(lines, 20);
    const bool scrolls = (GetWindowLongW(inner, GWL_STYLE) & WS_VSCROLL) != 0;
    for (int line = 0; line < lines; ++line) {
        const auto first = static_cast<int>(Ask(inner, EM_LINEINDEX, static_cast<WPARAM>(line)));
        const auto length = static_cast<int>(Ask(inner, EM_LINELENGTH, static_cast<WPARAM>(first)));
        const LRESULT start = Ask(inner, EM_POSFROMCHAR, static_cast<WPARAM>(first));
        if (!scrolls)
            EXPECT_LE(static_cast<short>(HIWORD(start)) + lineHeight, client.cy) << "line " << line + 1 << " is cut below";
        if (length > 0) {
            const LRESULT last = Ask(inner, EM_POSFROMCHAR, static_cast<WPARAM>(first + length - 1));
            EXPECT_LE(static_cast<short>(LOWORD(last)) + lineHeight, client.cx) << "line " << line + 1 << " is cut on the right";
        }
    }
    if (lines == 20)
        EXPECT_FALSE(scrolls) << "a scroll bar only when the text does not fit";
    EXPECT_TRUE(CaptionFits(ChildById(help, idHelpOKBT), L"确定", qv::ScaleDpi(-12, dpi)));
    EXPECT_TRUE(ScreenMatchesRepaintOfProcess(app.ProcessId()));
    Picture(help, dpi, "help");
    AppDriver::Click(ChildById(help, idHelpOKBT));
    ASSERT_TRUE(app.WaitWindowGone(L"帮助说明"));
}
