// The help window's memo in the running program: with a font of other metrics than
// SimSun's a scroll bar lets every line be read. Texts of the library's
// edits are answered to other programs (screen readers ask for the length first).
#include "AppDriver.h"

#include "app/ControlIds.h"
#include "support/MessageSequence.h"
#include "support/ScreenCheck.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>

using namespace qvtest;
using namespace qv::app;

namespace {

DWORD ProcessOf(HWND wnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    return pid;
}

// Every key sent so far has been handled once the window answers a sent message.
void Settle(HWND top)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(top, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}


// The top of a line of a memo window, in its client coordinates.
int LineTop(HWND memo, int line)
{
    const LRESULT index = SendMessageW(memo, EM_LINEINDEX, line, 0);
    return static_cast<int>(static_cast<short>(HIWORD(SendMessageW(memo, EM_POSFROMCHAR, index, 0))));
}

// For the life of the scope the programs started get another font for SimSun (Wine's
// font replacement, read when a program starts); the old one is put back afterwards.
class TSimSunReplacement {
public:
    explicit TSimSunReplacement(const std::wstring& face)
    {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr)
            != ERROR_SUCCESS)
            return;
        wchar_t old[256] = {};
        DWORD size = sizeof(old), type = 0;
        hadOld_ = RegQueryValueExW(key_, L"SimSun", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        old_ = old;
        ok_ = Write(face);
    }
    ~TSimSunReplacement()
    {
        if (!key_)
            return;
        if (hadOld_)
            Write(old_);
        else
            RegDeleteValueW(key_, L"SimSun");
        RegCloseKey(key_);
    }
    TSimSunReplacement(const TSimSunReplacement&) = delete;
    TSimSunReplacement& operator=(const TSimSunReplacement&) = delete;
    bool Ok() const { return ok_; }

private:
    bool Write(const std::wstring& face)
    {
        return RegSetValueExW(key_, L"SimSun", 0, REG_SZ, reinterpret_cast<const BYTE*>(face.c_str()),
                              static_cast<DWORD>((face.size() + 1) * sizeof(wchar_t)))
            == ERROR_SUCCESS;
    }
    static constexpr const wchar_t* kKey = L"Software\\Wine\\Fonts\\Replacements";
    HKEY key_ = nullptr;
    bool hadOld_ = false;
    bool ok_ = false;
    std::wstring old_;
};

// The line height of a face at the windows' height (-12), or 0 when it is not installed.
int LineHeightOf(const std::wstring& face)
{
    const qv::TWindowDC screen(nullptr);
    const qv::TGdiObject font(
        CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0, face.c_str()));
    HDC dc = screen.Get();
    HGDIOBJ old = SelectObject(dc, font.Get());
    wchar_t used[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, used);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    return face == used ? tm.tmHeight : 0;
}

const wchar_t kOtherFace[] = L"WenQuanYi Zen Hei";

} // namespace

TEST(HelpMemo, TextThatDoesNotFitGetsAScrollBarAndEveryLineCanBeRead)
{
    const int otherLine = LineHeightOf(kOtherFace);
    if (otherLine == 0)
        GTEST_SKIP() << "no font with other metrics is installed";
    ASSERT_GT(otherLine, 12) << "its lines are taller than SimSun's";
    TSimSunReplacement replacement(kOtherFace);
    ASSERT_TRUE(replacement.Ok());

    AppDriver app;
    app.Start();
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    const DWORD pid = ProcessOf(help);
    HWND memo = ChildById(help, idHelpMemo);
    ASSERT_TRUE(WaitUntil([&] { return IsChild(memo, FocusOf(help)); }));
    HWND inner = GetWindow(memo, GW_CHILD);
    ASSERT_TRUE(inner);
    ASSERT_EQ(otherLine, LineTop(inner, 1) - LineTop(inner, 0)) << "the program uses the other font";

    // The window and its layout stay; the memo shows a vertical scroll bar.
    RECT memoRect, client;
    GetWindowRect(memo, &memoRect);
    GetClientRect(help, &client);
    EXPECT_EQ(250, memoRect.bottom - memoRect.top);
    EXPECT_EQ(client.right, memoRect.right - memoRect.left);
    EXPECT_TRUE(GetWindowLongW(inner, GWL_STYLE) & WS_VSCROLL);
    EXPECT_FALSE(GetWindowLongW(inner, GWL_STYLE) & WS_HSCROLL);
    EXPECT_TRUE(GetWindowLongW(inner, GWL_STYLE) & ES_READONLY) << "still read-only";
    EXPECT_EQ(std::wstring(L"帮助说明"), WindowText(help));
    EXPECT_SCREEN_FRESH_OF(pid);

    // Scrolled to the end with the keyboard, the last line is within the window.
    ASSERT_TRUE(input::BringToFront(help));
    input::Key(VK_END, input::modCtrl);
    Settle(help);
    EXPECT_SCREEN_FRESH_OF(pid);
    const int lines = static_cast<int>(SendMessageW(inner, EM_GETLINECOUNT, 0, 0));
    EXPECT_GE(lines, 20);
    GetClientRect(inner, &client);
    const int lastTop = LineTop(inner, lines - 1);
    EXPECT_GE(lastTop, 0) << "the last line is not above the window";
    EXPECT_LE(lastTop + otherLine, client.bottom) << "nor cut off below";
    EXPECT_GT(SendMessageW(inner, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the memo scrolled";
    // No line is wider than the window: long lines wrap, so their ends can be read.
    const LRESULT lastChar = SendMessageW(inner, WM_GETTEXTLENGTH, 0, 0) - 1;
    EXPECT_LE(static_cast<short>(LOWORD(SendMessageW(inner, EM_POSFROMCHAR, lastChar, 0))), client.right);
    input::Key(VK_HOME, input::modCtrl);
    Settle(help);
    EXPECT_SCREEN_FRESH_OF(pid);
    EXPECT_EQ(0, SendMessageW(inner, EM_GETFIRSTVISIBLELINE, 0, 0));

    AppDriver::Click(ChildById(help, idHelpOKBT));
    EXPECT_TRUE(app.WaitWindowGone(L"帮助说明"));
}

TEST(HelpMemo, WithSimSunsMetricsTheMemoHasNoScrollBar)
{
    ASSERT_EQ(12, LineHeightOf(L"SimSun"));
    AppDriver app;
    app.Start();
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    HWND memo = ChildById(help, idHelpMemo);
    ASSERT_TRUE(WaitUntil([&] { return IsChild(memo, FocusOf(help)); }));
    HWND inner = GetWindow(memo, GW_CHILD);
    EXPECT_FALSE(GetWindowLongW(inner, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL));
    EXPECT_EQ(20, SendMessageW(inner, EM_GETLINECOUNT, 0, 0));
    EXPECT_SCREEN_FRESH_OF(ProcessOf(help));
    AppDriver::Click(ChildById(help, idHelpOKBT));
    EXPECT_TRUE(app.WaitWindowGone(L"帮助说明"));
}

TEST(LibraryEdits, TextLengthIsAnsweredToOtherProgramsAsTheTextIs)
{
    AppDriver app;
    HWND main = app.StartWith({{L"办公室", "x"}});
    ASSERT_TRUE(main);
    AppDriver::Click(ChildById(main, idModifyNameBT));
    HWND dialog = app.WaitWindow(L"设置文件名称");
    ASSERT_TRUE(dialog);
    HWND edit = ChildById(dialog, idNameEdit);
    ASSERT_TRUE(WaitUntil([&] { return IsChild(edit, FocusOf(dialog)); }));
    wchar_t buffer[64] = {};
    const LRESULT copied = SendMessageW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer));
    EXPECT_STREQ(L"办公室", buffer);
    EXPECT_EQ(copied, SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0)) << "the length first, as a screen reader asks";
    EXPECT_EQ(copied, GetWindowTextLengthW(edit));
    char narrow[64] = {};
    const LRESULT narrowCopied = SendMessageA(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(narrow));
    EXPECT_GT(narrowCopied, 0);
    EXPECT_GE(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), narrowCopied) << "enough room for the narrow text";
    AppDriver::Click(ChildById(dialog, idCanceBT));
    ASSERT_TRUE(app.WaitWindowGone(L"设置文件名称"));

    AppDriver::Click(ChildById(main, idHelpBT));
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    HWND memo = ChildById(help, idHelpMemo);
    std::wstring text(4096, L'\0');
    const LRESULT memoCopied = SendMessageW(memo, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text.data()));
    EXPECT_GT(memoCopied, 400);
    EXPECT_EQ(memoCopied, SendMessageW(memo, WM_GETTEXTLENGTH, 0, 0));
    AppDriver::Click(ChildById(help, idHelpOKBT));
    EXPECT_TRUE(app.WaitWindowGone(L"帮助说明"));
}

