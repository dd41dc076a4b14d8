// What a person does with the program, with the keyboard and the mouse: real input
// into the program's message loop, and after every step the screen must equal a full
// repaint and show what the program holds; what 切换 applies must be what the list
// shows.
#include "AppDriver.h"

#include "app/ControlIds.h"
#include "framework/Dpi.h"
#include "support/ScreenCheck.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>

#include <map>

using namespace qvtest;
using namespace qv::app;

namespace {

const wchar_t kDone[] = L"操作完成。";

// A length of the 96-DPI layout at the display's density.
int Px(int at96) { return qv::ScaleDpi(at96, qv::SystemDpi()); }

RECT ScreenRectOf(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

// Where the closed list shows its text: inside the frame, left of the drop-down button.
RECT ListTextArea(HWND list)
{
    RECT r = ScreenRectOf(list);
    // The frame is a line (two lines' width with the ring outside it); the text starts after it.
    const int frame = 2 * qv::LineWidthForDpi(qv::SystemDpi());
    return RECT{r.left + frame, r.top + frame, r.right - Px(20), r.bottom - frame};
}

POINT ListArrow(HWND list)
{
    RECT r = ScreenRectOf(list);
    return POINT{r.right - Px(8), (r.top + r.bottom) / 2};
}

POINT ListText(HWND list)
{
    RECT r = ScreenRectOf(list);
    return POINT{r.left + Px(40), (r.top + r.bottom) / 2};
}

// The list's popup: the program's visible top-level window that is neither the main
// window nor a dialog (it has no caption).
HWND OpenPopup(AppDriver& app)
{
    for (HWND w : app.VisibleWindows())
        if (!(GetWindowLongW(w, GWL_STYLE) & WS_CAPTION))
            return w;
    return nullptr;
}

// The screen shows the list with exactly this text, and the list holds it.
::testing::AssertionResult ListShows(HWND list, const std::wstring& name)
{
    if (WindowText(list) != name)
        return ::testing::AssertionFailure() << "the list holds another text";
    return ShowsText(ListTextArea(list), name, L"SimSun", Px(-12));
}

// Tab to a button of the main window, press Space, and the window it opens.
HWND OpenBy(AppDriver& app, Person& me, HWND main, int button, const wchar_t* caption)
{
    if (!me.TabTo(main, ChildById(main, button)))
        return nullptr;
    me.Key(VK_SPACE);
    return app.WaitWindow(caption);
}

const char kEmptyScript[] = "pushd interface ip\r\npopd\r\n";

} // namespace

// Everything with the keyboard alone: the help window at the first start, three
// configurations saved through the name dialog, one picked with the arrow keys and
// applied, then renamed and deleted.
TEST(PersonKeyboard, SaveSwitchRenameAndDelete)
{
    AppDriver app;
    Person me(app);
    app.Start();
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(me.Front(help));
    EXPECT_TRUE(me.ScreenFresh());
    ASSERT_TRUE(me.TabTo(help, ChildById(help, idHelpOKBT)));
    me.Key(VK_SPACE);
    ASSERT_TRUE(app.WaitWindowGone(L"帮助说明"));

    HWND main = app.Main();
    ASSERT_TRUE(me.Front(main));
    EXPECT_TRUE(me.ScreenFresh());
    HWND list = ChildById(main, idConfigList);
    EXPECT_TRUE(ListShows(list, L""));

    std::map<std::wstring, std::string> saved;
    auto save = [&](const std::wstring& name, const char* address) {
        ASSERT_TRUE(app.ChangeSimulatedAddress(address));
        HWND dialog = OpenBy(app, me, main, idSaveBT, L"设置文件名称");
        ASSERT_TRUE(dialog);
        HWND edit = ChildById(dialog, idNameEdit);
        ASSERT_TRUE(WaitUntil([&] { return FocusIn(dialog, edit); }));
        me.Type(name);
        EXPECT_TRUE(me.ScreenFresh());
        ASSERT_TRUE(me.TabTo(dialog, ChildById(dialog, idOKBT)));
        me.Key(VK_SPACE);
        ASSERT_TRUE(app.WaitWindowGone(L"设置文件名称"));
        ASSERT_TRUE(app.WaitStatus(kDone));
        EXPECT_TRUE(me.ScreenFresh()) << "after saving " << saved.size() + 1;
        saved[name] = app.MachineDump();
        // The rebuilt list shows its first item.
        EXPECT_TRUE(ListShows(list, app.ConfigNames().front()));
    };
    save(L"办公室", "10.1.1.1");
    save(L"学校", "10.2.2.2");
    save(L"家庭", "10.3.3.3");
    ASSERT_TRUE(app.ChangeSimulatedAddress("10.9.9.9"));
    const std::vector<std::wstring> names = app.ConfigNames();
    ASSERT_EQ(3u, names.size());

    // The arrows on the closed list: the screen follows every step.
    ASSERT_TRUE(me.TabTo(main, list));
    EXPECT_TRUE(me.ScreenFresh());
    const std::pair<WORD, int> steps[] = {{VK_DOWN, 1}, {VK_DOWN, 2}, {VK_DOWN, 2}, {VK_UP, 1},   {VK_HOME, 0},
                                          {VK_END, 2},  {VK_PRIOR, 0}, {VK_NEXT, 2}, {VK_UP, 1}};
    for (auto [key, shown] : steps) {
        me.Key(key);
        EXPECT_TRUE(me.ScreenFresh()) << "key " << key;
        EXPECT_TRUE(ListShows(list, names[static_cast<size_t>(shown)])) << "key " << key;
    }

    // 切换 applies what the list shows.
    ASSERT_TRUE(me.TabTo(main, ChildById(main, idSwitchBT), true));
    me.Key(VK_SPACE);
    ASSERT_TRUE(app.WaitStatus(kDone));
    EXPECT_EQ(saved[names[1]], app.MachineDump());
    EXPECT_TRUE(me.ScreenFresh());
    EXPECT_TRUE(ListShows(list, names[1])) << "the selection stays";

    // Rename what the list shows.
    HWND dialog = OpenBy(app, me, main, idModifyNameBT, L"设置文件名称");
    ASSERT_TRUE(dialog);
    HWND edit = ChildById(dialog, idNameEdit);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(dialog, edit); }));
    EXPECT_TRUE(me.ScreenFresh());
    EXPECT_EQ(names[1], WindowText(edit));
    me.Key(VK_HOME);
    me.Key(VK_END, input::modShift);
    me.Type(L"宿舍");
    EXPECT_TRUE(me.ScreenFresh());
    ASSERT_TRUE(me.TabTo(dialog, ChildById(dialog, idOKBT)));
    me.Key(VK_SPACE);
    ASSERT_TRUE(app.WaitStatus(L"修改完成。"));
    EXPECT_TRUE(app.FileExists(L"宿舍.NCF"));
    EXPECT_FALSE(app.FileExists(names[1] + L".NCF"));
    EXPECT_TRUE(me.ScreenFresh());
    EXPECT_TRUE(ListShows(list, app.ConfigNames().front()));

    // Delete what the list shows: the question is answered with Enter (Yes).
    const std::wstring doomed = app.ConfigNames().front();
    HWND question = OpenBy(app, me, main, idDelBT, L"警告");
    ASSERT_TRUE(question);
    EXPECT_TRUE(me.ScreenFresh());
    me.Key(VK_RETURN);
    ASSERT_TRUE(app.WaitStatus(L"配置文件已删除。"));
    EXPECT_FALSE(app.FileExists(doomed + L".NCF"));
    EXPECT_TRUE(me.ScreenFresh());
    ASSERT_EQ(2u, app.ConfigNames().size());
    EXPECT_TRUE(ListShows(list, app.ConfigNames().front())) << "never the deleted name";
}

// A command that fails rebuilds the list too; it must show its first item.
TEST(PersonKeyboard, FailedSaveLeavesTheListShowingItsFirstItem)
{
    AppDriver app;
    Person me(app);
    app.SetEnv(L"QUORVANE_NETSH_FAIL", L"1");
    HWND main = app.StartWith({{L"办公室", kEmptyScript}, {L"学校", kEmptyScript}});
    ASSERT_TRUE(me.Front(main));
    HWND list = ChildById(main, idConfigList);
    ASSERT_TRUE(me.TabTo(main, list));
    me.Key(VK_DOWN);
    EXPECT_TRUE(ListShows(list, app.ConfigNames()[1]));
    HWND dialog = OpenBy(app, me, main, idSaveBT, L"设置文件名称");
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(dialog, ChildById(dialog, idNameEdit)); }));
    me.Type(L"家庭");
    ASSERT_TRUE(me.TabTo(dialog, ChildById(dialog, idOKBT)));
    me.Key(VK_SPACE);
    ASSERT_TRUE(app.WaitWindowGone(L"设置文件名称"));
    ASSERT_TRUE(WaitUntil([&] { return app.Status() != L"正在执行操作……" && !app.Status().empty(); }, 20000));
    EXPECT_TRUE(me.ScreenFresh());
    EXPECT_TRUE(ListShows(list, app.ConfigNames().front()));
}

// The list with the mouse: opened with its arrow and with a click on its text, a row
// picked, closed by a press outside and by moving the window.
TEST(PersonMouse, OpenPickPressOutsideAndDrag)
{
    AppDriver app;
    Person me(app);
    std::map<std::wstring, std::string> dumps;
    for (auto [name, address] : {std::pair{L"A1", "10.1.1.1"}, {L"B2", "10.2.2.2"}, {L"C3", "10.3.3.3"}}) {
        ASSERT_TRUE(app.ChangeSimulatedAddress(address));
        dumps[name] = app.MachineDump();
        app.WriteFile(std::wstring(name) + L".NCF", dumps[name]);
    }
    ASSERT_TRUE(app.ChangeSimulatedAddress("10.9.9.9"));
    app.Start();
    HWND main = app.Main();
    ASSERT_TRUE(me.Front(main));
    HWND list = ChildById(main, idConfigList);
    const std::vector<std::wstring> names = app.ConfigNames();
    ASSERT_EQ(3u, names.size());
    EXPECT_TRUE(ListShows(list, names[0]));

    // The arrow opens the list; the current item is highlighted.
    me.Click(ListArrow(list));
    ASSERT_TRUE(WaitUntil([&] { return OpenPopup(app) != nullptr; }, 5000));
    EXPECT_TRUE(me.ScreenFresh()) << "list open";
    HWND popup = OpenPopup(app);
    HWND rows = GetWindow(popup, GW_CHILD);
    ASSERT_TRUE(rows);
    DWORD_PTR rowHeight = 0;
    SendMessageTimeoutW(rows, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &rowHeight);
    ASSERT_GT(rowHeight, 0u);
    DWORD_PTR highlighted = 99;
    SendMessageTimeoutW(rows, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &highlighted);
    EXPECT_EQ(0u, highlighted);

    // A click on the second row takes it.
    const RECT rowsRect = ScreenRectOf(rows);
    const RECT popupRect = ScreenRectOf(popup);
    const TScreenShot open = TScreenShot::Read(popupRect);
    me.Click(POINT{rowsRect.left + Px(20), rowsRect.top + static_cast<int>(rowHeight) * 3 / 2});
    ASSERT_TRUE(WaitUntil([&] { return OpenPopup(app) == nullptr; }, 5000));
    // The display uncovers what lay under the list when it gets round to it: the
    // screen is read once the list's picture has left it.
    WaitUntil([&] { return TScreenShot::Read(popupRect).pixels != open.pixels; }, 2000);
    EXPECT_TRUE(me.ScreenFresh()) << "row picked";
    EXPECT_TRUE(ListShows(list, names[1]));

    // With the focus elsewhere, a click on the text focuses the list and opens it.
    ASSERT_TRUE(me.TabTo(main, ChildById(main, idSwitchBT)));
    me.Click(ListText(list));
    EXPECT_TRUE(WaitUntil([&] { return OpenPopup(app) != nullptr; }, 5000)) << "a click on the text opens the list";
    EXPECT_TRUE(FocusIn(main, list));
    EXPECT_TRUE(me.ScreenFresh());

    // A press on the status bar closes it and keeps the choice.
    me.Click(input::Center(ChildById(main, idStatusBar)));
    EXPECT_TRUE(WaitUntil([&] { return OpenPopup(app) == nullptr; }, 5000)) << "a press outside closes the list";
    EXPECT_TRUE(me.ScreenFresh());
    EXPECT_TRUE(ListShows(list, names[1]));

    // Dragging the window by its title bar closes the list; nothing stays behind.
    me.Click(ListArrow(list));
    ASSERT_TRUE(WaitUntil([&] { return OpenPopup(app) != nullptr; }, 5000));
    const RECT before = ScreenRectOf(main);
    me.Drag(POINT{before.left + Px(120), before.top + Px(8)}, POINT{before.left + Px(180), before.top + Px(48)});
    EXPECT_TRUE(WaitUntil([&] { return ScreenRectOf(main).left != before.left; }, 5000)) << "the window moved";
    EXPECT_TRUE(WaitUntil([&] { return OpenPopup(app) == nullptr; }, 5000)) << "moving the window closes the list";
    EXPECT_TRUE(me.ScreenFresh());
    EXPECT_TRUE(ListShows(list, names[1]));

    // The keyboard in the open list: Alt+Down opens, Down moves the highlight, Enter takes it.
    ASSERT_TRUE(me.TabTo(main, list));
    me.Key(VK_DOWN, input::modAlt);
    ASSERT_TRUE(WaitUntil([&] { return OpenPopup(app) != nullptr; }, 5000));
    me.Key(VK_DOWN);
    EXPECT_TRUE(me.ScreenFresh());
    EXPECT_TRUE(ListShows(list, names[1])) << "only the highlight moves while the list is open";
    me.Key(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return OpenPopup(app) == nullptr; }, 5000));
    EXPECT_TRUE(me.ScreenFresh());
    EXPECT_TRUE(ListShows(list, names[2]));

    // 切换 with the mouse applies it.
    me.Click(input::Center(ChildById(main, idSwitchBT)));
    ASSERT_TRUE(app.WaitStatus(kDone));
    EXPECT_EQ(dumps[names[2]], app.MachineDump());
    EXPECT_TRUE(me.ScreenFresh());
}

// A name pasted with a line break after it is taken up to the break.
TEST(PersonKeyboard, PastedNameEndsAtItsLineBreak)
{
    AppDriver app;
    Person me(app);
    HWND main = app.StartWith({{L"办公室", kEmptyScript}});
    ASSERT_TRUE(me.Front(main));
    HWND dialog = OpenBy(app, me, main, idSaveBT, L"设置文件名称");
    ASSERT_TRUE(dialog);
    HWND edit = ChildById(dialog, idNameEdit);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(dialog, edit); }));
    ASSERT_TRUE(input::SetClipboardText(L"家庭\r\n第二行"));
    me.Key('V', input::modCtrl);
    EXPECT_TRUE(me.ScreenFresh());
    EXPECT_EQ(L"家庭", WindowText(edit));
    RECT r = ScreenRectOf(edit);
    const int frame = 2 * qv::LineWidthForDpi(qv::SystemDpi());
    EXPECT_TRUE(ShowsText(RECT{r.left + frame, r.top + frame, r.right - frame, r.bottom - frame}, L"家庭", L"SimSun", Px(-12)));
    ASSERT_TRUE(me.TabTo(dialog, ChildById(dialog, idOKBT)));
    me.Key(VK_SPACE);
    ASSERT_TRUE(app.WaitStatus(kDone));
    EXPECT_TRUE(app.FileExists(L"家庭.NCF"));
    EXPECT_TRUE(me.ScreenFresh());
}

// Every key a person may press in the help window leaves its text where it is.
TEST(PersonKeyboard, EveryKeyInTheHelpWindowKeepsItsText)
{
    AppDriver app;
    Person me(app);
    HWND main = app.StartWith({{L"办公室", kEmptyScript}});
    ASSERT_TRUE(me.Front(main));
    HWND help = OpenBy(app, me, main, idHelpBT, L"帮助说明");
    ASSERT_TRUE(me.Front(help));
    HWND memo = ChildById(help, idHelpMemo);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(help, memo); }));
    const std::wstring text = WindowText(memo);
    ASSERT_FALSE(text.empty());
    EXPECT_TRUE(me.ScreenFresh());
    const TScreenShot start = TScreenShot::Settled(ScreenRectOf(memo));

    const std::pair<WORD, unsigned> keys[] = {
        {VK_ESCAPE, 0},         {'X', input::modCtrl}, {VK_DELETE, 0}, {VK_BACK, 0},     {'A', 0},
        {VK_RETURN, 0},         {'V', input::modCtrl}, {VK_SPACE, 0},  {VK_DOWN, 0},     {VK_NEXT, 0},
        {VK_END, input::modCtrl}, {VK_HOME, input::modCtrl}, {VK_UP, 0}, {'A', input::modCtrl},
        {VK_ESCAPE, 0},         {'X', input::modCtrl}, {VK_DELETE, 0}, {'Z', input::modCtrl},
    };
    ASSERT_TRUE(input::SetClipboardText(L"粘贴"));
    for (auto [key, modifiers] : keys) {
        me.Key(key, modifiers);
        EXPECT_TRUE(me.ScreenFresh()) << "key " << key;
        EXPECT_TRUE(IsWindowVisible(help)) << "key " << key;
        HWND inner = GetWindow(memo, GW_CHILD);
        ASSERT_TRUE(inner && IsWindowVisible(inner)) << "the memo's window is there after key " << key;
        ASSERT_TRUE(text == WindowText(memo)) << "the text changed with key " << key;
        ASSERT_TRUE(FocusIn(help, memo)) << "key " << key;
    }
    // Ctrl+X with everything selected copied the text.
    std::wstring copied = input::ClipboardText();
    EXPECT_EQ(text, copied);
    // Back at the top the memo shows what it showed at the start (the caret aside).
    me.Key(VK_HOME, input::modCtrl);
    const TScreenShot end = TScreenShot::Settled(ScreenRectOf(memo));
    ASSERT_EQ(start.pixels.size(), end.pixels.size());
    size_t differing = 0;
    for (size_t i = 0; i < start.pixels.size(); ++i)
        differing += start.pixels[i] != end.pixels[i];
    EXPECT_LE(differing, static_cast<size_t>(2 * Px(16))) << "the lines are shown as at the start";

    ASSERT_TRUE(me.TabTo(help, ChildById(help, idHelpOKBT)));
    me.Key(VK_SPACE);
    EXPECT_TRUE(app.WaitWindowGone(L"帮助说明"));
    EXPECT_TRUE(me.ScreenFresh());
}
