// End-to-end: the real program in a fresh directory, with the stand-in network shell
// and a private simulated machine configuration.
#include "AppDriver.h"

#include "app/ControlIds.h"

#include <gtest/gtest.h>

using namespace qvtest;
using namespace qv::app;

namespace {

const wchar_t kDone[] = L"操作完成。";
const wchar_t kFailed[] = L"操作失败！";

HWND Button(AppDriver& app, int id) { return ChildById(app.Main(), id); }

} // namespace

TEST(FirstStart, ShowsHelpBeforeTheMainWindowThenAnEmptyList)
{
    AppDriver app;
    app.Start();
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    EXPECT_EQ(nullptr, app.FindWindowNow(L"Quorvane")) << "the main window must wait for the help window";

    AppDriver::Click(ChildById(help, idHelpOKBT));
    HWND main = app.Main();
    ASSERT_TRUE(main);
    EXPECT_FALSE(AppDriver::Enabled(ChildById(main, idSwitchBT)));
    EXPECT_FALSE(AppDriver::Enabled(ChildById(main, idModifyNameBT)));
    EXPECT_FALSE(AppDriver::Enabled(ChildById(main, idDelBT)));
    EXPECT_TRUE(AppDriver::Enabled(ChildById(main, idSaveBT)));
    EXPECT_TRUE(AppDriver::Enabled(ChildById(main, idNetCfgBT)));
    EXPECT_TRUE(AppDriver::Enabled(ChildById(main, idHelpBT)));
    EXPECT_TRUE(AppDriver::Enabled(ChildById(main, idCloseBT)));
    EXPECT_EQ(L"", WindowText(ChildById(main, idConfigList)));
    EXPECT_EQ(L"", app.Status());

    AppDriver::Click(ChildById(main, idCloseBT));
    EXPECT_EQ(0, app.WaitExit());
}

TEST(FirstStart, MainWindowHasTheDesignedClientSizeAndCaption)
{
    AppDriver app;
    HWND main = app.StartPastHelp();
    ASSERT_TRUE(main);
    RECT r;
    GetClientRect(main, &r);
    EXPECT_EQ(440, r.right);
    EXPECT_EQ(134, r.bottom);
    EXPECT_FALSE(GetWindowLongW(main, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    HWND sw = ChildById(main, idSwitchBT);
    EXPECT_EQ(L"切换", WindowText(sw));
    GetWindowRect(sw, &r);
    EXPECT_EQ(65, r.right - r.left);
    EXPECT_EQ(41, r.bottom - r.top);
}

TEST(Save, FirstConfigurationEnablesCommandsAndSelectsTheFirstItem)
{
    AppDriver app;
    HWND main = app.StartPastHelp();
    ASSERT_TRUE(main);
    app.SaveAs(L"办公室");
    ASSERT_TRUE(app.WaitStatus(kDone));

    EXPECT_TRUE(app.FileExists(L"办公室.NCF"));
    EXPECT_NE(std::string::npos, app.ReadFile(L"办公室.NCF").find("add address name="));
    EXPECT_FALSE(app.FileExists(L"RunIt.BAT"));
    EXPECT_TRUE(AppDriver::Enabled(ChildById(main, idSwitchBT)));
    EXPECT_TRUE(AppDriver::Enabled(ChildById(main, idModifyNameBT)));
    EXPECT_TRUE(AppDriver::Enabled(ChildById(main, idDelBT)));
    EXPECT_EQ(L"办公室", WindowText(ChildById(main, idConfigList)));

    // A second one: the list's first item is selected, whichever was saved last.
    app.SaveAs(L"家庭 2");
    ASSERT_TRUE(WaitUntil([&] { return app.ConfigNames().size() == 2; }));
    ASSERT_TRUE(app.WaitStatus(kDone));
    EXPECT_EQ(app.ConfigNames().front(), WindowText(ChildById(main, idConfigList)));
}

TEST(Switch, AppliesTheSavedConfigurationToTheMachine)
{
    AppDriver app;
    ASSERT_TRUE(app.StartPastHelp());
    app.SaveAs(L"A");
    ASSERT_TRUE(app.WaitStatus(kDone));
    const std::string saved = app.ReadFile(L"A.NCF");

    ASSERT_TRUE(app.ChangeSimulatedAddress("10.9.8.7"));
    ASSERT_NE(saved, app.RunNetSH(L"-c interface dump"));

    AppDriver::Click(Button(app, idSwitchBT));
    ASSERT_TRUE(WaitUntil([&] { return app.Status() == kDone && !app.FileExists(L"RunIt.BAT"); }));
    EXPECT_EQ(saved, app.RunNetSH(L"-c interface dump"));
    EXPECT_EQ(L"A", WindowText(ChildById(app.Main(), idConfigList))) << "the selection stays";
}

TEST(Switch, FailingNetworkShellReportsFailure)
{
    AppDriver app;
    app.SetEnv(L"QUORVANE_NETSH_FAIL", L"1");
    ASSERT_TRUE(app.StartWith({{L"A", "pushd interface ip\r\npopd\r\n"}}));
    AppDriver::Click(Button(app, idSwitchBT));
    EXPECT_TRUE(app.WaitStatus(kFailed));
    EXPECT_FALSE(app.FileExists(L"RunIt.BAT"));
}

TEST(Save, FailingNetworkShellSavesNothing)
{
    AppDriver app;
    app.SetEnv(L"QUORVANE_NETSH_FAIL", L"2");
    ASSERT_TRUE(app.StartPastHelp());
    app.SaveAs(L"A");
    EXPECT_TRUE(app.WaitStatus(kFailed));
    EXPECT_FALSE(app.FileExists(L"A.NCF"));
    EXPECT_TRUE(app.ConfigNames().empty());
    EXPECT_FALSE(AppDriver::Enabled(Button(app, idSwitchBT)));
}

TEST(Save, RefusedNameWritesNothing)
{
    AppDriver app;
    ASSERT_TRUE(app.StartPastHelp());
    app.SaveAs(L"a|b");
    EXPECT_TRUE(app.WaitStatus(L"配置名称无效！"));
    EXPECT_TRUE(app.ConfigNames().empty());
    EXPECT_FALSE(app.FileExists(L"RunIt.BAT"));
}

TEST(Save, CancelDoesNothing)
{
    AppDriver app;
    ASSERT_TRUE(app.StartWith({{L"A", "x"}}));
    AppDriver::Click(Button(app, idSaveBT));
    app.AnswerName(L"", false);
    AppDriver::Click(Button(app, idModifyNameBT));
    app.AnswerName(L"", false);
    // Nothing happened: same file, no status.
    EXPECT_EQ(std::vector<std::wstring>{L"A"}, app.ConfigNames());
    EXPECT_EQ("x", app.ReadFile(L"A.NCF"));
    EXPECT_EQ(L"", app.Status());
}

TEST(Save, ClosingTheNameDialogAfterAnEarlierOkSavesNothing)
{
    AppDriver app;
    ASSERT_TRUE(app.StartPastHelp());
    app.SaveAs(L"A");
    ASSERT_TRUE(app.WaitStatus(kDone));

    AppDriver::Click(Button(app, idSaveBT));
    HWND dialog = app.WaitWindow(L"设置文件名称");
    ASSERT_TRUE(dialog);
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
    ASSERT_TRUE(app.WaitWindowGone(L"设置文件名称"));
    // Had the dialog answered "OK" with the empty text, ".NCF" would now exist.
    HWND main = app.Main();
    EXPECT_TRUE(WaitUntil([&] { return AppDriver::Enabled(main); }));
    EXPECT_FALSE(app.FileExists(L".NCF"));
    EXPECT_EQ(std::vector<std::wstring>{L"A"}, app.ConfigNames());
}

TEST(NameDialog, OpensWithTheCurrentName135PixelsBelowTheScreenCentre)
{
    AppDriver app;
    HWND main = app.StartWith({{L"老地方", "x"}});
    ASSERT_TRUE(main);
    // Move the main window away: the dialog's place must not depend on it.
    SetWindowPos(main, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    AppDriver::Click(ChildById(main, idModifyNameBT));
    HWND dialog = app.WaitWindow(L"设置文件名称");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(L"老地方", WindowText(ChildById(dialog, idNameEdit)));
    RECT r, c;
    GetWindowRect(dialog, &r);
    GetClientRect(dialog, &c);
    EXPECT_EQ(258, c.right);
    EXPECT_EQ(78, c.bottom);
    int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - w) / 2, r.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - h) / 2 + 135, r.top);
    EXPECT_FALSE(GetWindowLongW(dialog, GWL_STYLE) & WS_SYSMENU);
    AppDriver::Click(ChildById(dialog, idCanceBT));
    EXPECT_TRUE(app.WaitWindowGone(L"设置文件名称"));
}

TEST(Rename, ToTheSameTextDoesNothing)
{
    AppDriver app;
    ASSERT_TRUE(app.StartWith({{L"A", "x"}}));
    AppDriver::Click(Button(app, idModifyNameBT));
    app.AnswerName(L"A");
    EXPECT_TRUE(WaitUntil([&] { return AppDriver::Enabled(app.Main()); }));
    EXPECT_EQ(std::vector<std::wstring>{L"A"}, app.ConfigNames());
    EXPECT_EQ(L"", app.Status());
}

TEST(Rename, MovesTheFileAndReportsItAlsoWhenOnlyTheLetterCaseChanges)
{
    AppDriver app;
    ASSERT_TRUE(app.StartWith({{L"A", "x"}}));
    for (const std::wstring name : {L"新 abc", L"新 ABC"}) {
        AppDriver::Click(Button(app, idModifyNameBT));
        app.AnswerName(name);
        EXPECT_TRUE(WaitUntil([&] { return WindowText(ChildById(app.Main(), idConfigList)) == name; }));
        EXPECT_EQ(L"修改完成。", app.Status());
        EXPECT_EQ(std::vector<std::wstring>{name}, app.ConfigNames());
        EXPECT_EQ("x", app.ReadFile(name + L".NCF"));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"NetSH.exe", L"Quorvane.exe", L"新 ABC.NCF"}), Entries(app.Dir()))
        << "no temporary name is left behind";
}

TEST(Rename, OntoAnExistingNameFailsAndKeepsBothFiles)
{
    AppDriver app;
    ASSERT_TRUE(app.StartWith({{L"A", "a"}, {L"B", "b"}}));
    std::wstring selected = WindowText(ChildById(app.Main(), idConfigList));
    std::wstring other = selected == L"A" ? L"B" : L"A";
    AppDriver::Click(Button(app, idModifyNameBT));
    app.AnswerName(other);
    EXPECT_TRUE(app.WaitStatus(L"修改配置文件名出错，无法修改！"));
    EXPECT_EQ("a", app.ReadFile(L"A.NCF"));
    EXPECT_EQ("b", app.ReadFile(L"B.NCF"));
}

TEST(Rename, RefusedNameKeepsTheFile)
{
    AppDriver app;
    ASSERT_TRUE(app.StartWith({{L"A", "a"}}));
    AppDriver::Click(Button(app, idModifyNameBT));
    app.AnswerName(L"..\\A");
    EXPECT_TRUE(app.WaitStatus(L"配置名称无效！"));
    EXPECT_EQ(std::vector<std::wstring>{L"A"}, app.ConfigNames());
}

TEST(Delete, AnsweredNoChangesNothing)
{
    AppDriver app;
    ASSERT_TRUE(app.StartWith({{L"A", "a"}}));
    AppDriver::Click(Button(app, idDelBT));
    HWND box = app.WaitWindow(L"警告");
    ASSERT_TRUE(box);
    EXPECT_EQ(L"确认删除配置文件 A.NCF ？   ", WindowText(GetDlgItem(box, 0xFFFF)));
    AppDriver::Click(GetDlgItem(box, IDNO));
    ASSERT_TRUE(app.WaitWindowGone(L"警告"));
    EXPECT_EQ("a", app.ReadFile(L"A.NCF"));
    EXPECT_EQ(L"", app.Status());
}

TEST(Delete, OfTheLastConfigurationShowsTheHelpWindow)
{
    AppDriver app;
    ASSERT_TRUE(app.StartWith({{L"A", "a"}}));
    AppDriver::Click(Button(app, idDelBT));
    HWND box = app.WaitWindow(L"警告");
    ASSERT_TRUE(box);
    AppDriver::Click(GetDlgItem(box, IDYES));
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    EXPECT_FALSE(app.FileExists(L"A.NCF"));
    EXPECT_EQ(L"", app.Status()) << "the status is set after the help window closes";
    AppDriver::Click(ChildById(help, idHelpOKBT));
    EXPECT_TRUE(app.WaitStatus(L"配置文件已删除。"));
    EXPECT_FALSE(AppDriver::Enabled(Button(app, idSwitchBT)));
    EXPECT_FALSE(AppDriver::Enabled(Button(app, idDelBT)));
}

TEST(Switch, ReadOnlyScriptLeftBehindIsReplacedAndRemoved)
{
    AppDriver app;
    // Copied from a read-only medium, say; had it run, ran.txt would exist.
    app.WriteFile(L"RunIt.BAT", "echo stale > ran.txt\r\n");
    ASSERT_TRUE(SetFileAttributesW((app.Dir() + L"RunIt.BAT").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(app.StartWith({{L"A", "pushd interface ip\r\npopd\r\n"}}));
    AppDriver::Click(Button(app, idSwitchBT));
    EXPECT_TRUE(app.WaitStatus(kDone));
    EXPECT_FALSE(app.FileExists(L"RunIt.BAT"));
    EXPECT_FALSE(app.FileExists(L"ran.txt"));
}

TEST(Errors, ScriptFileThatCannotBeCreatedShowsTheErrorAndTheWindowStaysUsable)
{
    AppDriver app;
    // A directory in the script file's place: the file cannot be created.
    CreateDirectoryW((app.Dir() + L"RunIt.BAT").c_str(), nullptr);
    HWND main = app.StartWith({{L"A", "a"}});
    ASSERT_TRUE(main);
    AppDriver::Click(Button(app, idSwitchBT));
    // The message box shares the main window's caption.
    HWND message = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND w : app.VisibleWindows())
            if (w != main && WindowText(w) == L"Quorvane")
                message = w;
        return message != nullptr;
    }));
    std::wstring text = WindowText(GetDlgItem(message, 0xFFFF));
    EXPECT_TRUE(text.find(L"File access denied") == 0 || text.find(L"I/O error") == 0)
        << std::string(text.begin(), text.end());
    AppDriver::Click(GetDlgItem(message, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return app.VisibleWindows().size() == 1; }));
    EXPECT_NE(kDone, app.Status());

    // Still usable: the help window opens and closes.
    AppDriver::Click(Button(app, idHelpBT));
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    AppDriver::Click(ChildById(help, idHelpOKBT));
    EXPECT_TRUE(app.WaitWindowGone(L"帮助说明"));
    EXPECT_TRUE(app.Running());
}

TEST(NetworkPanel, StartsWithoutBlockingAndRemovesAStaleScript)
{
    AppDriver app;
    app.WriteFile(L"RunIt.BAT", "echo stale\r\n");
    ASSERT_TRUE(app.StartWith({{L"A", "a"}}));
    AppDriver::Click(Button(app, idNetCfgBT));
    EXPECT_TRUE(WaitUntil([&] { return !app.FileExists(L"RunIt.BAT"); }));
    // The window answers at once: the help window opens.
    AppDriver::Click(Button(app, idHelpBT));
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    AppDriver::Click(ChildById(help, idHelpOKBT));
    EXPECT_TRUE(app.WaitWindowGone(L"帮助说明"));
}
