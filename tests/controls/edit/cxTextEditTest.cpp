// The text edit and the memo on real windows: text set from code, echo and case,
// Tab, Enter, the read-only memo and its clipboard, scroll bars and Ctrl+A.
#include "EditTestSupport.h"
#include "support/PngWriter.h"

using namespace qv;
using namespace qvtest;

namespace {

const std::set<std::string> kEdit{"edit"};

std::wstring Clipboard() { return ClipboardText(); }
void SetClipboard(const std::wstring& text) { SetClipboardText(text); }

} // namespace

TEST_F(EditFormTest, InnerWindowIsABorderlessEditWithNarrowMarginsInTheContent)
{
    HWND inner = Inner();
    EXPECT_FALSE(GetWindowLongW(inner, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongW(inner, GWL_STYLE) & ES_AUTOHSCROLL);
    EXPECT_FALSE(GetWindowLongW(inner, GWL_STYLE) & WS_TABSTOP);
    edit->SetWidth(160);
    EXPECT_SCREEN_FRESH();
    const LRESULT margins = SendMessageW(inner, EM_GETMARGINS, 0, 0);
    EXPECT_EQ(0, LOWORD(margins)) << "left, after a resize";
    EXPECT_EQ(1, HIWORD(margins)) << "right";
    const RECT c = edit->ViewInfo().ContentRect;
    EXPECT_EQ(c.left + 1, edit->InnerControl()->Left());
    EXPECT_EQ(c.top + 1, edit->InnerControl()->Top());
    EXPECT_EQ(c.right, edit->InnerControl()->BoundsRect().right);
    EXPECT_EQ(20, edit->Height()) << "the height follows the font: a 12-pixel line, margins and border";
}

TEST_F(EditFormTest, TextSetFromCodeShowsItAndBecomesTheValueWithoutAUserChange)
{
    edit->SetText(L"办公室");
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(seq.MatchesFor(kEdit, {{"edit", "OnChange"}, {"edit", "OnEditValueChanged"}}, "Text set"));
    EXPECT_EQ(TcxEditValue(L"办公室"), edit->EditValue());
    EXPECT_FALSE(edit->UserModified());
    wchar_t shown[32] = {};
    GetWindowTextW(Inner(), shown, 32);
    EXPECT_STREQ(L"办公室", shown);
    // The window's own text answers, cut to the buffer.
    wchar_t small[3] = {};
    EXPECT_EQ(2, SendMessageW(edit->Handle(), WM_GETTEXT, 3, reinterpret_cast<LPARAM>(small)));
    EXPECT_STREQ(L"办公", small);
    EXPECT_EQ(3, SendMessageW(edit->Handle(), WM_GETTEXTLENGTH, 0, 0));
    seq.Clear();
    edit->SetText(L"办公室");
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(seq.MatchesFor(kEdit, {}, "the same text again"));

    edit->Properties().SetCharCase(ecUpperCase);
    EXPECT_SCREEN_FRESH();
    edit->SetText(L"home");
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"HOME", edit->Text());
    EXPECT_EQ(TcxEditValue(L"HOME"), edit->EditValue());
}

TEST_F(EditFormTest, PasswordEchoShowsStarsButTextIsTheRealText)
{
    auto plain = new TcxTextEdit(form);
    plain->SetBounds(150, 50, 121, 21);
    plain->SetParent(form);
    EXPECT_SCREEN_FRESH();
    plain->SetText(L"*****");
    EXPECT_SCREEN_FRESH();
    edit->Properties().SetEchoMode(eemPassword);
    EXPECT_SCREEN_FRESH();
    edit->SetText(L"s3cr!");
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"s3cr!", edit->Text());
    EXPECT_EQ(L'*', SendMessageW(Inner(), EM_GETPASSWORDCHAR, 0, 0));
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const COLORREF ink = ColorToRGB(clWindowText);
    auto inked = [ink](HWND wnd) { return !IsRectEmptyR(TScreenPixels::OfClient(wnd).BoundsOf(ink)); };
    ASSERT_TRUE(PumpUntil([&] { return inked(edit->Handle()) && inked(plain->Handle()); }, 3000))
        << "both texts reached the screen";
    TScreenPixels a = TScreenPixels::OfClient(edit->Handle()), b = TScreenPixels::OfClient(plain->Handle());
    int differing = 0;
    for (int y = 3; y < 18; ++y)
        for (int x = 3; x < 118; ++x)
            differing += a.At(x, y) != b.At(x, y);
    EXPECT_EQ(0, differing) << "the screen shows one star per character";
    if (differing) {
        TBitmap both(121, 42);
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 121; ++x) {
                both.Bits()[y * 121 + x] = GetRValue(a.At(x, y)) << 16 | GetGValue(a.At(x, y)) << 8 | GetBValue(a.At(x, y));
                both.Bits()[(y + 21) * 121 + x] = GetRValue(b.At(x, y)) << 16 | GetGValue(b.At(x, y)) << 8 | GetBValue(b.At(x, y));
            }
        qvtest::WritePng(both, L"password_echo.png");
    }
}

TEST_F(EditFormTest, TabAndShiftTabMoveTheFocusAndInsertNothing)
{
    FocusEdit();
    TypeText(L"ab");
    PressKey(VK_TAB, ssShift);
    EXPECT_TRUE(before->Focused());
    PressKey(VK_TAB);
    EXPECT_EQ(Inner(), GetFocus()) << "Tab from the edit before comes into the text edit";
    EXPECT_EQ(L"ab", edit->Text());
    PressKey(VK_TAB, ssCtrl);
    EXPECT_EQ(L"ab", edit->Text()) << "Ctrl+Tab is left to the form";
}

TEST_F(EditFormTest, EnterReachesTheWindowOnlyWithBeepOnEnter)
{
    int enters = 0;
    edit->OnKeyPress = [&](TObject*, wchar_t& c) { enters += c == 13; };
    auto ok = new TButton(form);
    ok->SetBounds(200, 10, 75, 25);
    ok->SetDefault(true);
    ok->SetParent(form);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    FocusEdit();
    PressKey(VK_RETURN);
    EXPECT_EQ(1, clicks) << "the dialog's default button";
    // The character itself: kept with BeepOnEnter, dropped silently without.
    SendMessageW(Inner(), WM_CHAR, 13, 1);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(1, enters);
    edit->SetBeepOnEnter(false);
    EXPECT_SCREEN_FRESH();
    SendMessageW(Inner(), WM_CHAR, 13, 1);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(1, enters);
}

TEST_F(EditFormTest, ClipboardRequestsFollowReadOnly)
{
    edit->SetText(L"abcdef");
    EXPECT_SCREEN_FRESH();
    FocusEdit();
    edit->SetSelStart(1);
    EXPECT_SCREEN_FRESH();
    edit->SetSelLength(2);
    EXPECT_SCREEN_FRESH();
    SendMessageW(Inner(), WM_CUT, 0, 0);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"bc", Clipboard());
    EXPECT_EQ(L"adef", edit->Text());
    EXPECT_EQ(TcxEditValue(L"adef"), edit->EditValue()) << "the rest is the value at once";
    SetClipboard(L"XY");
    SendMessageW(Inner(), WM_PASTE, 0, 0);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"aXYdef", edit->Text());

    edit->Properties().SetReadOnly(true);
    EXPECT_SCREEN_FRESH();
    edit->SetSelStart(0);
    EXPECT_SCREEN_FRESH();
    edit->SetSelLength(3);
    EXPECT_SCREEN_FRESH();
    SendMessageW(Inner(), WM_CUT, 0, 0);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"aXY", Clipboard()) << "a read-only cut copies";
    EXPECT_EQ(L"aXYdef", edit->Text());
    SetClipboard(L"Q");
    SendMessageW(Inner(), WM_PASTE, 0, 0);
    EXPECT_SCREEN_FRESH();
    SendMessageW(Inner(), WM_CLEAR, 0, 0);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"aXYdef", edit->Text());
}

// ---------------------------------------------------------------------------
// Memo

namespace {

struct MemoTest : EditFormTest {
    TcxMemo* memo = nullptr;
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
};

} // namespace

TEST_F(MemoTest, ReadOnlyMemoSelectsAndCopiesButIgnoresChanges)
{
    memo->Properties().SetReadOnly(true);
    EXPECT_SCREEN_FRESH();
    memo->SetFocus();
    Pump();
    EXPECT_SCREEN_FRESH();
    ASSERT_EQ(InnerMemo(), GetFocus());
    const std::wstring text = memo->Text();
    EXPECT_EQ(L"第一行\r\nsecond\r\nthird", text);
    TypeText(L"x");
    PressKey(VK_DELETE);
    PressKey(VK_RETURN);
    SetClipboard(L"pasted");
    PressKey('V', ssCtrl);
    SendMessageW(InnerMemo(), WM_PASTE, 0, 0);
    EXPECT_SCREEN_FRESH();
    PressKey('A', ssCtrl);
    EXPECT_EQ(static_cast<int>(text.size()), memo->SelLength()) << "Ctrl+A selects all";
    PressKey('C', ssCtrl);
    EXPECT_EQ(text, Clipboard()) << "copying works";
    SendMessageW(InnerMemo(), WM_CUT, 0, 0);
    EXPECT_SCREEN_FRESH();
    PressKey('X', ssCtrl);
    EXPECT_EQ(text, memo->Text()) << "typing, Delete, Enter, paste and cut changed nothing";
    EXPECT_FALSE(memo->UserModified());
}

TEST_F(MemoTest, TabMovesTheFocusUnlessWantTabsAndEnterBreaksTheLine)
{
    memo->SetFocus();
    Pump();
    EXPECT_SCREEN_FRESH();
    PressKey(VK_END, ssCtrl);
    PressKey(VK_RETURN);
    TypeText(L"4");
    EXPECT_EQ(L"第一行\r\nsecond\r\nthird\r\n4", memo->Text());
    EXPECT_EQ(4, memo->Lines().Count());
    PressKey(VK_TAB);
    EXPECT_TRUE(before->Focused()) << "Tab moved on (round to the first control)";
    memo->Properties().SetWantTabs(true);
    EXPECT_SCREEN_FRESH();
    memo->SetFocus();
    Pump();
    EXPECT_SCREEN_FRESH();
    PressKey(VK_END, ssCtrl);
    PressKey(VK_TAB);
    EXPECT_EQ(InnerMemo(), GetFocus());
    EXPECT_EQ(L"第一行\r\nsecond\r\nthird\r\n4\t", memo->Text());
}

TEST_F(MemoTest, ScrollBarsChangeRecreatesTheWindowsAndKeepsTheText)
{
    const HWND before = InnerMemo();
    const std::wstring text = memo->Text();
    memo->Properties().SetScrollBars(ssVertical);
    EXPECT_SCREEN_FRESH();
    EXPECT_NE(before, InnerMemo()) << "made again";
    EXPECT_TRUE(GetWindowLongW(InnerMemo(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(text, memo->Text());
    EXPECT_EQ(3, memo->Lines().Count());
    // The class of a word-wrapping memo repaints on width changes, one with a
    // horizontal scroll bar does not; neither repaints on height changes.
    EXPECT_EQ(0u, GetClassLongW(memo->Handle(), GCL_STYLE) & CS_VREDRAW);
    EXPECT_NE(0u, GetClassLongW(memo->Handle(), GCL_STYLE) & CS_HREDRAW);
    memo->Properties().SetScrollBars(ssBoth);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(0u, GetClassLongW(memo->Handle(), GCL_STYLE) & CS_HREDRAW);
    EXPECT_EQ(0u, GetClassLongW(InnerMemo(), GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(text, memo->Text());
}

TEST_F(MemoTest, CtrlAInAnEmptyMemoIsNotConsumed)
{
    memo->Lines().Clear();
    EXPECT_SCREEN_FRESH();
    int ctrlA = 0;
    form->SetKeyPreview(false);
    memo->SetFocus();
    Pump();
    EXPECT_SCREEN_FRESH();
    WORD key = 'A';
    memo->OnKeyDown = [&](TObject*, WORD& k, TShiftState s) { ctrlA += k == 'A' && (s & ssCtrl); };
    TShiftScope ctrl(ssCtrl);
    EXPECT_FALSE(static_cast<TcxCustomTextEdit*>(memo)->InnerKeyDown(key, ssCtrl));
    EXPECT_EQ('A', key) << "left for the window and the form";
    memo->Lines().Add(L"x");
    EXPECT_SCREEN_FRESH();
    key = 'A';
    EXPECT_TRUE(static_cast<TcxCustomTextEdit*>(memo)->InnerKeyDown(key, ssCtrl));
    EXPECT_EQ(2, ctrlA);
}

TEST_F(MemoTest, MemoDefaultsAndPlacing)
{
    TcxMemo fresh(nullptr);
    EXPECT_EQ(185, fresh.Width());
    EXPECT_EQ(89, fresh.Height());
    EXPECT_FALSE(fresh.AutoSize());
    EXPECT_FALSE(fresh.Properties().AutoSelect());
    EXPECT_TRUE(fresh.Properties().WantReturns());
    EXPECT_TRUE(fresh.Properties().WordWrap());
    // The inner memo is the content rectangle shrunk by one pixel.
    const RECT c = memo->ViewInfo().ContentRect;
    EXPECT_EQ(Rect(c.left + 1, c.top + 1, c.right - 1, c.bottom - 1), memo->InnerControl()->BoundsRect());
    TcxTextEdit text(nullptr);
    EXPECT_EQ(121, text.Width());
}
