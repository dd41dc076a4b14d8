// A form with a text edit between two plain edits, keyboard input posted as a user's
// would arrive, and the edit's events recorded in a message sequence.
#pragma once

#include "controls/edit/cxMemo.h"
#include "controls/edit/cxTextEdit.h"
#include "framework/Forms.h"
#include "framework/FrameworkTestSupport.h"
#include "framework/StdCtrls.h"
#include "support/MessageSequence.h"
#include "support/ScreenCheck.h"

#include <gtest/gtest.h>

// gtest prints values of an edit as what they hold.
inline void PrintTo(const TcxEditValue& value, std::ostream* os)
{
    if (value.IsNull()) {
        *os << "Null";
        return;
    }
    const std::wstring text = value.ToString();
    *os << (value.IsString() ? "text \"" : "value \"");
    for (wchar_t c : text)
        *os << (c < 128 ? static_cast<char>(c) : '?');
    *os << '"';
}

namespace qvtest {

// Holds the shift keys down (in the thread's keyboard state) for its life.
class TShiftScope {
public:
    explicit TShiftScope(qv::TShiftState shift)
    {
        GetKeyboardState(saved_);
        BYTE state[256];
        std::copy(std::begin(saved_), std::end(saved_), std::begin(state));
        state[VK_SHIFT] = (shift & qv::ssShift) ? 0x80 : 0;
        state[VK_CONTROL] = (shift & qv::ssCtrl) ? 0x80 : 0;
        state[VK_MENU] = (shift & qv::ssAlt) ? 0x80 : 0;
        SetKeyboardState(state);
    }
    ~TShiftScope() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256];
};

// A key pressed and released on the focused window, through the message loop (the
// dialog manager and the character translation see it as they would a user's key).
inline void PressKey(WORD vk, qv::TShiftState shift = 0)
{
    TShiftScope scope(shift);
    HWND focus = GetFocus();
    LPARAM alt = (shift & qv::ssAlt) ? (1 << 29) : 0;
    UINT down = (shift & qv::ssAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN;
    UINT up = (shift & qv::ssAlt) ? WM_SYSKEYUP : WM_KEYUP;
    PostMessageW(focus, down, vk, 1 | alt);
    Pump();
    PostMessageW(GetFocus(), up, vk, static_cast<LPARAM>(0xC0000001) | alt);
    Pump();
    EXPECT_SCREEN_FRESH();
}

// Characters typed into the focused window: each one's key goes down and up, and the
// message loop translates it into the character (one without a key arrives as is).
inline void TypeText(const std::wstring& text)
{
    for (wchar_t c : text) {
        SHORT scan = VkKeyScanW(c);
        if (scan == -1) {
            PostMessageW(GetFocus(), WM_CHAR, c, 1);
            Pump();
            continue;
        }
        qv::TShiftState shift = (HIBYTE(scan) & 1) ? qv::TShiftState(qv::ssShift) : 0u;
        TShiftScope scope(shift);
        PostMessageW(GetFocus(), WM_KEYDOWN, LOBYTE(scan), 1);
        Pump();
        PostMessageW(GetFocus(), WM_KEYUP, LOBYTE(scan), static_cast<LPARAM>(0xC0000001));
        Pump();
    }
    EXPECT_SCREEN_FRESH();
}

// The clipboard's text, as a paste would take it.
inline std::wstring ClipboardText()
{
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
            if (auto p = static_cast<const wchar_t*>(GlobalLock(h))) {
                text = p;
                GlobalUnlock(h);
            }
        }
        CloseClipboard();
    }
    return text;
}

// Puts text on the clipboard as another program's copy would.
inline void SetClipboardText(const std::wstring& text)
{
    if (!OpenClipboard(nullptr))
        return;
    EmptyClipboard();
    if (HGLOBAL m = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
        std::wmemcpy(static_cast<wchar_t*>(GlobalLock(m)), text.c_str(), text.size() + 1);
        GlobalUnlock(m);
        if (!SetClipboardData(CF_UNICODETEXT, m))
            GlobalFree(m);
    }
    CloseClipboard();
}

struct EditFormTest : ::testing::Test {
    qv::TForm* form = nullptr;
    qv::TEdit* before = nullptr;
    TcxTextEdit* edit = nullptr;
    qv::TEdit* after = nullptr;
    TMessageSequence seq;
    std::vector<std::wstring> errors;

    void SetUp() override
    {
        SetCursorPos(0, 0);
        qv::Application->OnException = [this](qv::TObject*, const std::exception_ptr& e) {
            errors.push_back(qv::TApplication::MessageOf(e));
            seq.Event("app", "exception");
        };
        form = qv::NewForm<qv::TForm>(nullptr);
        form->SetBounds(100, 100, 320, 200);
        form->SetClientSize(300, 160);
        form->Font().SetName(L"SimSun");
        form->Font().SetHeight(-12);
        before = MakeEdit(10, 10);
        edit = new TcxTextEdit(form);
        edit->SetBounds(10, 50, 121, 21);
        edit->SetParent(form);
        after = MakeEdit(10, 100);
        RecordEvents(edit, "edit");
        form->Show();
        before->SetFocus();
        Pump();
        EXPECT_SCREEN_FRESH();
    }
    void TearDown() override
    {
        delete form;
        qv::Application->OnException = nullptr;
    }

    qv::TEdit* MakeEdit(int x, int y)
    {
        auto e = new qv::TEdit(form);
        e->SetBounds(x, y, 80, 20);
        e->SetParent(form);
        return e;
    }

    void RecordEvents(TcxCustomEdit* e, const std::string& name)
    {
        TcxCustomEditProperties& p = e->Properties();
        p.OnChange = [this, name](qv::TObject*) { seq.Event(name, "OnChange"); };
        p.OnEditValueChanged = [this, name](qv::TObject*) { seq.Event(name, "OnEditValueChanged"); };
        e->OnEnter = [this, name](qv::TObject*) { seq.Event(name, "OnEnter"); };
        e->OnExit = [this, name](qv::TObject*) { seq.Event(name, "OnExit"); };
    }

    HWND Inner() { return edit->InnerControl()->Handle(); }
    void FocusEdit()
    {
        edit->SetFocus();
        Pump();
        ASSERT_EQ(Inner(), GetFocus());
        EXPECT_SCREEN_FRESH();
    }
};

} // namespace qvtest
