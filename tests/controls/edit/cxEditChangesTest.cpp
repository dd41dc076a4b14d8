// What a person may change and what not: read-only edits and memos, an OnEditing that
// refuses, the clipboard (cut, copy, paste with line breaks and a length limit), the
// letter case, the range of a value, and texts read back by other programs.
#include "EditTestSupport.h"

#include "framework/Exceptions.h"

using namespace qv;
using namespace qvtest;

namespace {

struct ChangeTest : EditFormTest {
    TcxMemo* memo = nullptr;
    int editingAsked = 0;
    bool allowEditing = true;

    void SetUp() override
    {
        EditFormTest::SetUp();
        memo = new TcxMemo(form);
        memo->SetBounds(150, 10, 140, 89);
        memo->SetParent(form);
        memo->Lines().Assign(std::vector<std::wstring>{L"第一行", L"second", L"third"});
        EXPECT_SCREEN_FRESH();
    }
    HWND InnerMemo() { return memo->InnerControl()->Handle(); }
    void FocusMemo()
    {
        memo->SetFocus();
        Pump();
        ASSERT_EQ(InnerMemo(), GetFocus());
        EXPECT_SCREEN_FRESH();
    }
    void AskBeforeEditing(TcxCustomEdit* e)
    {
        e->OnEditing = [this](TObject*, bool& can) {
            ++editingAsked;
            can = allowEditing;
        };
    }
};

const std::wstring kMemoText = L"第一行\r\nsecond\r\nthird";

} // namespace

// ---------------------------------------------------------------------------
// Read-only and refused edits

TEST(EditProperties, AssignedValuesOfAFreshObjectCanBeRead)
{
    TcxCustomEditProperties base(nullptr);
    EXPECT_FALSE(base.IsReadOnlyStored());
    EXPECT_FALSE(base.AssignedValues().ReadOnly);
    TcxTextEditProperties text(nullptr);
    EXPECT_FALSE(text.AssignedValues().ReadOnly);
    EXPECT_FALSE(text.IsReadOnlyStored());
    text.SetReadOnly(true);
    EXPECT_TRUE(text.IsReadOnlyStored());
}

TEST_F(ChangeTest, AnEditWithoutTextTakesKeysWithoutFailing)
{
    auto plain = new TcxCustomEdit(form);
    plain->SetBounds(150, 120, 121, 21);
    plain->SetParent(form);
    EXPECT_SCREEN_FRESH();
    plain->SetFocus();
    Pump();
    ASSERT_EQ(plain->Handle(), GetFocus());
    TypeText(L"a");
    PressKey(VK_DELETE);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(plain->Handle(), GetFocus());
    PressKey(VK_TAB);
    EXPECT_NE(plain->Handle(), GetFocus()) << "Tab moves on";
}

TEST_F(ChangeTest, ReadOnlyMemoThatWantsTabsInsertsNoTab)
{
    memo->Properties().SetWantTabs(true);
    EXPECT_SCREEN_FRESH();
    memo->Properties().SetReadOnly(true);
    EXPECT_SCREEN_FRESH();
    FocusMemo();
    PressKey(VK_END, ssCtrl);
    PressKey(VK_TAB);
    PressKey(VK_TAB, ssShift);
    EXPECT_EQ(kMemoText, memo->Text()) << "no tab character";
    EXPECT_EQ(InnerMemo(), GetFocus()) << "a memo that wants tabs keeps Tab";
    EXPECT_FALSE(memo->UserModified());
}

TEST_F(ChangeTest, RefusedEditingChangesNothingInAMemoByAnyKey)
{
    memo->Properties().SetWantTabs(true);
    EXPECT_SCREEN_FRESH();
    AskBeforeEditing(memo);
    allowEditing = false;
    FocusMemo();
    PressKey(VK_END, ssCtrl);
    TypeText(L"x");
    PressKey(VK_BACK);
    PressKey(VK_RETURN);
    PressKey(VK_RETURN, ssCtrl);
    PressKey(VK_TAB);
    PressKey(VK_HOME, ssCtrl);
    PressKey(VK_DELETE);
    SetClipboardText(L"pasted");
    PressKey('V', ssCtrl);
    PressKey(VK_INSERT, ssShift);
    PressKey('A', ssCtrl);
    PressKey('X', ssCtrl);
    PressKey(VK_DELETE, ssShift);
    EXPECT_EQ(kMemoText, memo->Text()) << "characters, Backspace, Enter, Tab, Delete, paste and cut";
    EXPECT_FALSE(memo->UserModified());
    EXPECT_GT(editingAsked, 0);
    EXPECT_TRUE(errors.empty());

    // Granted, the same keys work.
    allowEditing = true;
    PressKey(VK_END, ssCtrl);
    PressKey(VK_BACK);
    PressKey(VK_RETURN);
    PressKey(VK_TAB);
    TypeText(L"y");
    EXPECT_EQ(L"第一行\r\nsecond\r\nthir\r\n\ty", memo->Text());
}

TEST_F(ChangeTest, CharactersFromAnInputMethodFollowTheSameRules)
{
    // An input method hands over composed characters as WM_IME_CHAR.
    memo->Properties().SetReadOnly(true);
    FocusMemo();
    SendMessageW(InnerMemo(), WM_IME_CHAR, L'字', 1);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(kMemoText, memo->Text()) << "a read-only memo";

    AskBeforeEditing(edit);
    allowEditing = false;
    FocusEdit();
    SendMessageW(Inner(), WM_IME_CHAR, L'字', 1);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"", edit->Text()) << "a refused edit";
    EXPECT_GT(editingAsked, 0);

    allowEditing = true;
    wchar_t seen = 0;
    edit->OnKeyPress = [&](TObject*, wchar_t& c) { seen = c; };
    SendMessageW(Inner(), WM_IME_CHAR, L'字', 1);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"字", edit->Text()) << "granted, it is typed";
    EXPECT_EQ(L'字', seen) << "as a key press of the edit";
    EXPECT_TRUE(edit->UserModified());
}

TEST_F(ChangeTest, RefusedEditingKeepsAnEarlierChangeFromUndo)
{
    AskBeforeEditing(edit);
    FocusEdit();
    TypeText(L"kept");
    PressKey(VK_TAB);
    ASSERT_TRUE(after->Focused());
    allowEditing = false;
    PressKey(VK_TAB, ssShift);
    ASSERT_EQ(Inner(), GetFocus());
    PressKey('Z', ssCtrl);
    EXPECT_EQ(L"kept", edit->Text()) << "Ctrl+Z is a change too";
    PressKey(VK_BACK, ssAlt);
    EXPECT_EQ(L"kept", edit->Text()) << "so is Alt+Backspace";
    SendMessageW(Inner(), WM_UNDO, 0, 0);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"kept", edit->Text()) << "and the window menu's undo";
    PressKey(VK_BACK);
    EXPECT_EQ(L"kept", edit->Text()) << "and Backspace";
    EXPECT_EQ(TcxEditValue(L"kept"), edit->EditValue());
    EXPECT_FALSE(edit->UserModified());
}

TEST_F(ChangeTest, ReadOnlyEditRefusesTheClipboardThroughItsOwnOperations)
{
    edit->SetText(L"abcdef");
    EXPECT_SCREEN_FRESH();
    edit->Properties().SetReadOnly(true);
    EXPECT_SCREEN_FRESH();
    FocusEdit();
    edit->SetSelStart(1);
    EXPECT_SCREEN_FRESH();
    edit->SetSelLength(2);
    EXPECT_SCREEN_FRESH();
    SetClipboardText(L"old");
    edit->CutToClipboard();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"bc", ClipboardText()) << "a cut of a read-only edit copies";
    EXPECT_EQ(L"abcdef", edit->Text());
    edit->PasteFromClipboard();
    EXPECT_SCREEN_FRESH();
    edit->ClearSelection();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"abcdef", edit->Text()) << "paste and clear do nothing";
    EXPECT_TRUE(edit->EditValue() == TcxEditValue(L"abcdef"));

    edit->Properties().SetReadOnly(false);
    EXPECT_SCREEN_FRESH();
    edit->SetSelStart(0);
    EXPECT_SCREEN_FRESH();
    edit->SetSelLength(1);
    EXPECT_SCREEN_FRESH();
    edit->CutToClipboard();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"bcdef", edit->Text()) << "writable again, a cut cuts";
}

// ---------------------------------------------------------------------------
// The read-only memo of a help window: keys a person tries there

TEST_F(ChangeTest, EscapeInAReadOnlyMemoKeepsItsWindowsAndText)
{
    memo->Properties().SetReadOnly(true);
    EXPECT_SCREEN_FRESH();
    const HWND inner = InnerMemo();
    const HWND outer = memo->Handle();
    FocusMemo();
    PressKey(VK_ESCAPE);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(IsWindow(inner)) << "the text window is still there";
    EXPECT_TRUE(IsWindow(outer));
    EXPECT_TRUE(IsWindowVisible(inner));
    EXPECT_EQ(kMemoText, memo->Text());
    EXPECT_EQ(inner, GetFocus());
    // And it still shows the text: ink in the memo's client area.
    EXPECT_FALSE(IsRectEmptyR(TScreenPixels::OfClient(inner).BoundsOf(ColorToRGB(clWindowText))));
}

TEST_F(ChangeTest, EscapeInAMemoReachesTheFormsCancelButtonUnlessItRestoresAChange)
{
    auto cancel = new TButton(form);
    cancel->SetBounds(200, 120, 75, 25);
    cancel->SetCancel(true);
    cancel->SetParent(form);
    int cancelled = 0;
    cancel->OnClick = [&](TObject*) { ++cancelled; };
    const HWND inner = InnerMemo();
    FocusMemo();
    PressKey(VK_ESCAPE);
    EXPECT_EQ(1, cancelled) << "an unchanged memo leaves Escape to the form";
    EXPECT_TRUE(IsWindow(inner));
    TypeText(L"q");
    PressKey(VK_ESCAPE);
    EXPECT_EQ(1, cancelled) << "Escape that restores the value stays in the memo";
    EXPECT_EQ(kMemoText, memo->Text());
    EXPECT_TRUE(IsWindow(inner));
}

TEST_F(ChangeTest, CtrlXInAReadOnlyMemoCopies)
{
    memo->Properties().SetReadOnly(true);
    EXPECT_SCREEN_FRESH();
    FocusMemo();
    SetClipboardText(L"before");
    PressKey('A', ssCtrl);
    PressKey('X', ssCtrl);
    EXPECT_EQ(kMemoText, ClipboardText()) << "cut on a read-only memo copies";
    EXPECT_EQ(kMemoText, memo->Text());
    SetClipboardText(L"before");
    PressKey(VK_DELETE, ssShift);
    EXPECT_EQ(kMemoText, ClipboardText()) << "so does Shift+Delete";
    EXPECT_EQ(kMemoText, memo->Text());
}

// ---------------------------------------------------------------------------
// Paste

TEST_F(ChangeTest, PasteIntoASingleLineEditTakesTheTextUpToTheFirstLineBreak)
{
    FocusEdit();
    SetClipboardText(L"家庭\r\n");
    PressKey('V', ssCtrl);
    EXPECT_EQ(L"家庭", edit->Text()) << "the line break and what follows stay out";
    SetClipboardText(L"第二\n第三行");
    PressKey(VK_INSERT, ssShift);
    EXPECT_EQ(L"家庭第二", edit->Text());
    EXPECT_EQ(4, edit->SelStart()) << "the caret after the pasted part";
    SetClipboardText(L"\r\nnothing");
    PressKey('V', ssCtrl);
    EXPECT_EQ(L"家庭第二", edit->Text()) << "a text that starts with a line break adds nothing";
    PressKey(VK_TAB);
    EXPECT_EQ(TcxEditValue(L"家庭第二"), edit->EditValue());
}

TEST_F(ChangeTest, PasteRespectsMaxLength)
{
    edit->Properties().SetMaxLength(6);
    EXPECT_SCREEN_FRESH();
    FocusEdit();
    TypeText(L"ab");
    SetClipboardText(L"123456789");
    PressKey('V', ssCtrl);
    EXPECT_EQ(L"ab1234", edit->Text()) << "as much as fits";
    PressKey(VK_HOME);
    PressKey(VK_RIGHT, ssShift);
    PressKey(VK_RIGHT, ssShift);
    PressKey('V', ssCtrl);
    EXPECT_EQ(L"121234", edit->Text()) << "the selection it replaces makes room";

    memo->Properties().SetMaxLength(static_cast<int>(kMemoText.size()) + 3);
    EXPECT_SCREEN_FRESH();
    FocusMemo();
    PressKey(VK_END, ssCtrl);
    SetClipboardText(L"\r\nfourth");
    PressKey('V', ssCtrl);
    EXPECT_EQ(kMemoText + L"\r\nf", memo->Text()) << "a memo keeps line breaks, within its limit";
}

// ---------------------------------------------------------------------------
// Letter case and range

TEST_F(ChangeTest, ChangingCharCaseShowsTheCaseButKeepsTheValueAsTyped)
{
    edit->SetText(L"Office");
    EXPECT_SCREEN_FRESH();
    seq.Clear();
    edit->Properties().SetCharCase(ecUpperCase);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"OFFICE", edit->Text()) << "shown in upper case";
    EXPECT_EQ(TcxEditValue(L"Office"), edit->EditValue()) << "the value keeps its letters";
    EXPECT_TRUE(seq.MatchesFor({"edit"}, {}, "a case change is not a change of the value"));
    FocusEdit();
    PressKey(VK_TAB);
    EXPECT_TRUE(after->Focused());
    EXPECT_TRUE(seq.MatchesFor({"edit"}, {{"edit", "OnEnter"}, {"edit", "OnExit"}}, "entered and left unchanged"));
    EXPECT_EQ(TcxEditValue(L"Office"), edit->EditValue());
    edit->Properties().SetCharCase(ecNormal);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"Office", edit->Text()) << "back to the letters as typed";
}

TEST_F(ChangeTest, ValueOutOfItsBoundsIsRefusedWithTheRangeMessage)
{
    TcxTextEditProperties& p = static_cast<TcxTextEditProperties&>(edit->Properties());
    p.SetMinValue(1);
    p.SetMaxValue(100);
    FocusEdit();
    TypeText(L"150");
    PressKey(VK_TAB);
    EXPECT_EQ(std::vector<std::wstring>{L"Value out of bounds"}, errors);
    EXPECT_EQ(Inner(), GetFocus());
    EXPECT_EQ(L"150", edit->Text());
    EXPECT_TRUE(edit->EditValue().IsNull());
    TypeText(L"99");  // replaces the selected text
    PressKey(VK_TAB);
    EXPECT_TRUE(after->Focused());
    EXPECT_EQ(TcxEditValue(L"99"), edit->EditValue());
    EXPECT_EQ(1u, errors.size());

    // A handler has the last word: it sees the range error and may accept the value.
    bool sawError = false;
    p.OnValidate = [&](TObject*, TcxEditValue&, std::wstring& text, bool& error) {
        sawError = error && text == L"Value out of bounds";
        error = false;
    };
    PressKey(VK_TAB, ssShift);
    TypeText(L"0");
    PressKey(VK_TAB);
    EXPECT_TRUE(sawError);
    EXPECT_TRUE(after->Focused());
    EXPECT_EQ(TcxEditValue(L"0"), edit->EditValue());
}

// ---------------------------------------------------------------------------
// Texts read by other programs (screen readers ask for the length first)

TEST_F(ChangeTest, TextLengthAgreesWithTheTextForEveryEdit)
{
    auto password = new TcxTextEdit(form);
    password->SetBounds(10, 130, 121, 21);
    password->SetParent(form);
    password->Properties().SetEchoMode(eemPassword);
    password->SetText(L"秘密s3");
    edit->SetText(L"办公室");
    EXPECT_SCREEN_FRESH();
    edit->Properties().SetCharCase(ecUpperCase);
    EXPECT_SCREEN_FRESH();
    FocusEdit();
    PressKey(VK_END);
    TypeText(L"ab");
    for (HWND wnd : {edit->Handle(), memo->Handle(), password->Handle()}) {
        wchar_t buffer[256] = {};
        const LRESULT copied = SendMessageW(wnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer));
        EXPECT_EQ(copied, SendMessageW(wnd, WM_GETTEXTLENGTH, 0, 0)) << buffer;
        EXPECT_EQ(copied, GetWindowTextLengthW(wnd));
        EXPECT_GT(copied, 0);
        char narrow[256] = {};
        const LRESULT narrowCopied = SendMessageA(wnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(narrow));
        EXPECT_LE(narrowCopied, SendMessageA(wnd, WM_GETTEXTLENGTH, 0, 0)) << "the narrow length is room enough";
    }
    EXPECT_EQ(static_cast<LRESULT>(kMemoText.size()), SendMessageW(memo->Handle(), WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(5, SendMessageW(edit->Handle(), WM_GETTEXTLENGTH, 0, 0));
}

// ---------------------------------------------------------------------------
// Buttons, the clipboard's memory, Ctrl+Enter

TEST(EditButtons, DeletingAButtonThatIsNotThereSaysSoAndKeepsTheRest)
{
    TcxTextEditProperties p(nullptr);
    p.Buttons().Add().SetKind(bkEllipsis);
    p.Buttons().Add();
    EXPECT_THROW(p.Buttons().Delete(2), Exception);
    EXPECT_THROW(p.Buttons().Delete(-1), Exception);
    ASSERT_EQ(2, p.Buttons().Count());
    p.Buttons().Delete(0);
    ASSERT_EQ(1, p.Buttons().Count());
    EXPECT_EQ(bkDown, p.Buttons()[0].Kind());
}

namespace {
HANDLE g_offered = nullptr;
HANDLE WINAPI RefusingSetClipboardData(UINT, HANDLE AData)
{
    g_offered = AData;
    return nullptr;
}
} // namespace

TEST(EditClipboard, MemoryTheClipboardRefusedIsFreed)
{
    g_offered = nullptr;
    EXPECT_FALSE(cxPutTextOnClipboard(nullptr, L"refused", RefusingSetClipboardData));
    ASSERT_NE(nullptr, g_offered);
    // Freed: the handle no longer names a block.
    const SIZE_T left = GlobalSize(g_offered);
    EXPECT_EQ(0u, left);
    if (left)
        GlobalFree(g_offered);
    EXPECT_TRUE(cxPutTextOnClipboard(nullptr, L"taken"));
    EXPECT_EQ(L"taken", ClipboardText());
}

TEST_F(ChangeTest, CtrlEnterTakesOnlyItsOwnCharacter)
{
    int clicks = 0;
    edit->Properties().Buttons().Add().SetDefault(true);
    EXPECT_SCREEN_FRESH();
    edit->Properties().OnEditButtonClick = [&](TObject*, int) { ++clicks; };
    FocusEdit();
    // Another window of the program has a character waiting behind the key.
    TShiftScope ctrl(ssCtrl);
    PostMessageW(Inner(), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(after->Handle(), WM_CHAR, L'z', 1);
    PostMessageW(Inner(), WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001));
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(L"z", after->Text()) << "the other window's character arrived";
    EXPECT_EQ(L"", edit->Text()) << "and the key's own produced nothing";
}
