// The name dialog's edit and the help window's memo are the library's: what the
// screen shows of them and what their keys do in the running program.
#include "AppDriver.h"
#include "app/ControlIds.h"
#include "framework/Types.h"
#include "support/MessageSequence.h"

#include <gtest/gtest.h>

using namespace qvtest;
using namespace qv::app;

namespace {

void Key(HWND top, WORD vk)
{
    HWND focus = FocusOf(top);
    PostMessageW(focus, WM_KEYDOWN, vk, 1);
    PostMessageW(focus, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001));
}

// The frame ring one pixel inside the control is entirely this colour.
::testing::AssertionResult FrameIs(HWND control, COLORREF color)
{
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    TScreenPixels shot = TScreenPixels::OfClient(control);
    const int w = shot.Width(), h = shot.Height();
    for (RECT side : {RECT{1, 1, w - 1, 2}, RECT{1, h - 2, w - 1, h - 1}, RECT{1, 1, 2, h - 1}, RECT{w - 2, 1, w - 1, h - 1}})
        if (auto r = shot.AllIn(side, color); !r)
            return r;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(NameDialog, EditShowsTheLibraryFrameAndEnterOrEscapeDoNotClose)
{
    AppDriver app;
    HWND main = app.StartWith({{L"办公室", "x"}});
    ASSERT_TRUE(main);
    AppDriver::Click(ChildById(main, idModifyNameBT));
    HWND dialog = app.WaitWindow(L"设置文件名称");
    ASSERT_TRUE(dialog);
    HWND edit = ChildById(dialog, idNameEdit);
    RECT r;
    GetWindowRect(edit, &r);
    EXPECT_EQ(241, r.right - r.left);
    EXPECT_EQ(20, r.bottom - r.top);
    ASSERT_TRUE(WaitUntil([&] { return IsChild(edit, FocusOf(dialog)); })) << "the edit has the focus";
    EXPECT_TRUE(WaitUntil([&] { return FrameIs(edit, GetSysColor(COLOR_HIGHLIGHT)); }, 3000))
        << FrameIs(edit, GetSysColor(COLOR_HIGHLIGHT)).message();

    Key(dialog, VK_RETURN);
    Key(dialog, VK_ESCAPE);
    Key(dialog, VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(dialog) == ChildById(dialog, idOKBT); }));
    EXPECT_TRUE(FrameIs(edit, GetSysColor(COLOR_BTNSHADOW))) << "after Tab moved the focus";
    EXPECT_TRUE(IsWindowVisible(dialog)) << "Enter and Escape did not close the dialog";
    EXPECT_EQ(L"办公室", WindowText(edit));
    AppDriver::Click(ChildById(dialog, idCanceBT));
    EXPECT_TRUE(app.WaitWindowGone(L"设置文件名称"));
}

TEST(HelpWindow, MemoIsReadOnlyAndEscapeDoesNotClose)
{
    AppDriver app;
    app.Start();
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    HWND memo = ChildById(help, idHelpMemo);
    RECT r, c;
    GetWindowRect(memo, &r);
    GetClientRect(help, &c);
    EXPECT_EQ(c.right, r.right - r.left) << "full width";
    EXPECT_EQ(250, r.bottom - r.top);
    HWND inner = GetWindow(memo, GW_CHILD);
    EXPECT_TRUE(GetWindowLongW(inner, GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(GetWindowLongW(inner, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) << "the layout has no scroll bar";
    const std::wstring text = WindowText(memo);
    ASSERT_TRUE(WaitUntil([&] { return IsChild(memo, FocusOf(help)); }));
    Key(help, 'X');
    Key(help, VK_DELETE);
    Key(help, VK_ESCAPE);
    Key(help, VK_RETURN);
    // Everything posted so far has been handled once the window answers a sent message.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(help, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    EXPECT_TRUE(IsWindowVisible(help)) << "Escape did nothing";
    EXPECT_EQ(text, WindowText(memo));
    AppDriver::Click(ChildById(help, idHelpOKBT));
    EXPECT_TRUE(app.WaitWindowGone(L"帮助说明"));
}
