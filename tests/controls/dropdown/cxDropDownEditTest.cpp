// Drop-down edits on real windows: the keys and presses that open and close the
// popup and the order of the events around it, the popup edit's focus-taking popup
// and its control, sizing the popup with the mouse and the size kept, the property
// rules, and edits or popups destroyed while open.
#include "controls/dropdown/DropDownTestSupport.h"
#include "support/PngWriter.h"
#include "framework/ExtCtrls.h"

#include <gtest/gtest.h>

#include <set>

using namespace qv;
using qvtest::PressKey;
using qvtest::Pump;
using qvtest::PumpUntil;
using qvtest::SameColor;
using qvtest::TMessageSequence;
using qvtest::TScreenPixels;
using qvtest::ScreenRect;
using qvtest::WindowRect;

using namespace qvtest::dropdown;

TEST_F(DropDownTest, PropertyDefaultsSetterRulesAndAssign)
{
    TcxCustomDropDownEditProperties plain(nullptr);
    TcxPopupEditProperties popup(nullptr);
    struct Row {
        const char* name;
        int plain, popup, got1, got2;
    };
    const Row rows[] = {
        {"ValidateOnEnter", 1, 1, plain.ValidateOnEnter(), popup.ValidateOnEnter()},
        {"ImmediateDropDown", 1, 1, plain.ImmediateDropDown(), popup.ImmediateDropDown()},
        {"ImmediatePopup", 0, 1, plain.ImmediatePopup(), popup.ImmediatePopup()},
        {"PopupAutoSize", 1, 1, plain.PopupAutoSize(), popup.PopupAutoSize()},
        {"PopupSizeable", 0, 1, plain.PopupSizeable(), popup.PopupSizeable()},
        {"PopupWidth", 0, 250, plain.PopupWidth(), popup.PopupWidth()},
        {"PopupHeight", 0, 200, plain.PopupHeight(), popup.PopupHeight()},
        {"PopupMinWidth", 0, 100, plain.PopupMinWidth(), popup.PopupMinWidth()},
        {"PopupMinHeight", 0, 100, plain.PopupMinHeight(), popup.PopupMinHeight()},
        {"captures focus", 0, 1, plain.PopupCapturesFocus(), popup.PopupCapturesFocus()},
        {"area by lookup data", 1, 0, plain.VisualAreaByLookupData(), popup.VisualAreaByLookupData()},
        {"uses lookup data", 0, 0, plain.UsesLookupData(), popup.UsesLookupData()},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.plain, r.got1) << r.name;
        EXPECT_EQ(r.popup, r.got2) << r.name;
    }
    ASSERT_EQ(1, plain.Buttons().Count());
    EXPECT_EQ(bkDown, plain.Buttons()[0].Kind());

    int changes = 0;
    plain.OnPropertiesChanged = [&](TcxCustomEditProperties*) { ++changes; };
    plain.SetPopupWidth(-5);
    EXPECT_EQ(0, plain.PopupWidth());
    plain.SetPopupMinWidth(100);
    plain.SetPopupWidth(10);
    EXPECT_EQ(100, plain.PopupWidth()) << "below the minimum";
    plain.SetPopupWidth(0);
    EXPECT_EQ(0, plain.PopupWidth()) << "0 is the edit's width and stays";
    plain.SetPopupMinHeight(-3);
    EXPECT_EQ(0, plain.PopupMinHeight());
    plain.SetPopupMinHeight(50);
    EXPECT_EQ(50, plain.PopupHeight()) << "the height is set again through its setter";
    EXPECT_EQ(0, changes) << "sizes change silently";
    plain.SetPopupAlignment(taRightJustify);
    plain.SetPopupSysPanelStyle(true);
    EXPECT_EQ(2, changes);

    TBitmap glyph(8, 8);
    plain.SetButtonGlyph(&glyph);
    EXPECT_EQ(bkGlyph, plain.Buttons()[0].Kind());
    plain.SetButtonGlyph(nullptr);
    EXPECT_EQ(bkDown, plain.Buttons()[0].Kind());
    EXPECT_EQ(nullptr, plain.ButtonGlyph());

    bool closeUp = false;
    plain.OnCloseUp = [&](TObject*) { closeUp = true; };
    TcxCustomDropDownEditProperties copy(nullptr);
    copy.Assign(&plain);
    EXPECT_EQ(100, copy.PopupMinWidth());
    EXPECT_EQ(50, copy.PopupHeight());
    EXPECT_EQ(taRightJustify, copy.PopupAlignment());
    EXPECT_TRUE(copy.PopupSysPanelStyle());
    ASSERT_TRUE(copy.OnCloseUp);
    copy.OnCloseUp(nullptr);
    EXPECT_TRUE(closeUp);
}

TEST_F(DropDownTest, KeysOpenTheListAndEnterOrEscapeCloseItInEventOrder)
{
    TListEdit* edit = MakeList(10, 50);
    edit->SetItemIndex(1);
    auto cancel = new TButton(form);
    cancel->SetBounds(200, 10, 60, 24);
    cancel->SetParent(form);
    cancel->SetCancel(true);
    cancel->OnClick = [&](TObject*) { seq.Event("form", "cancel button"); };
    seq.Watch(&edit->PopupWindow(), "popup", {WM_SHOWWINDOW});
    Focus(edit);
    seq.Clear();

    edit->DropDown();
    EXPECT_FALSE(edit->DroppedDown()) << "the popup shows from the message loop";
    ASSERT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(edit->InnerControl()->Handle(), GetFocus()) << "the list leaves the focus in the edit";
    EXPECT_EQ(ebsPressed, edit->ViewInfo().ButtonsInfo.at(0).State);
    EXPECT_TRUE(edit->Focused());
    EXPECT_FALSE(edit->CanShowHint());
    PressKey(VK_DOWN);
    EXPECT_EQ(L"beta", edit->Text()) << "moving in the open list changes only the highlight";
    PressKey(VK_RETURN);
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(L"gamma", edit->Text());
    EXPECT_EQ(ebsNormal, edit->ViewInfo().ButtonsInfo.at(0).State);
    const unsigned w = qvtest::seqWParam;
    EXPECT_TRUE(seq.Matches({{"edit", "OnInitPopup"},
                             {"popup", WM_SHOWWINDOW, w, TRUE},
                             {"edit", "OnPopup"},
                             {"edit", "OnClick"},
                             {"edit", "OnChange"},
                             {"edit", "OnEditValueChanged"},
                             {"popup", WM_SHOWWINDOW, w, FALSE},
                             {"edit", "OnCloseUp"}},
                            "opened, Down, Enter"));

    seq.Clear();
    PressKey(VK_DOWN, ssAlt);
    ASSERT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    PressKey(VK_UP);
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(L"gamma", edit->Text()) << "Escape takes nothing";
    EXPECT_TRUE(seq.Matches({{"edit", "OnInitPopup"},
                             {"popup", WM_SHOWWINDOW, w, TRUE},
                             {"edit", "OnPopup"},
                             {"popup", WM_SHOWWINDOW, w, FALSE},
                             {"edit", "OnCloseUp"}},
                            "Alt+Down, Up, Escape: the text is an item, so the form's cancel button hears nothing"));

    // Typing opens the list at once; the character goes on to the search in the edit.
    seq.Clear();
    edit->SelectAll();
    qvtest::TypeText(L"a");
    EXPECT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"alpha", edit->Text());
    // Leaving the edit closes the list unaccepted.
    before->SetFocus();
    Pump();
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(1, Count(seq, "OnInitPopup")) << seq.Dump();
    EXPECT_EQ(1, Count(seq, "OnPopup"));
    EXPECT_EQ(1, Count(seq, "OnCloseUp"));
}

TEST_F(DropDownTest, CtrlF4TogglesAltF4ClosesTheFormAndAQueuedOpeningDiesWithTheFocus)
{
    TListEdit* edit = MakeList(10, 50);
    Focus(edit);
    PressKey(VK_F4, ssCtrl);
    ASSERT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    PressKey(VK_F4, ssCtrl | ssShift);
    EXPECT_FALSE(edit->DroppedDown());

    bool closeAsked = false;
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        closeAsked = true;
        canClose = false;
    };
    seq.Clear();
    PressKey(VK_F4, ssAlt);
    Pump();
    EXPECT_TRUE(closeAsked) << "Alt+F4 reaches the form";
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_TRUE(seq.Recorded().empty()) << seq.Dump();

    // Asked for, and the focus leaves before the request is handled: nothing shows.
    edit->DropDown();
    EXPECT_TRUE(edit->PopupRequested());
    before->SetFocus();
    Pump();
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_FALSE(IsWindowVisible(edit->PopupWindow().Handle()));
}

TEST_F(DropDownTest, AltReleasedAfterAltArrowDropsTheQueuedCharacterOnly)
{
    TListEdit* edit = MakeList(10, 50);
    Focus(edit);
    HWND inner = edit->InnerControl()->Handle();
    const LPARAM alt = 1 << 29;
    auto releaseAltWithCharacter = [&](wchar_t c) {
        // The keypad character Alt makes arrives queued behind its release.
        PostMessageW(inner, WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0000001) | alt);
        PostMessageW(inner, WM_CHAR, c, 1);
        Pump();
    };
    PostMessageW(inner, WM_SYSKEYDOWN, VK_MENU, 1 | alt);
    PostMessageW(inner, WM_SYSKEYDOWN, VK_DOWN, 1 | alt);
    Pump();
    ASSERT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    releaseAltWithCharacter(L'\x02');
    EXPECT_EQ(L"", edit->Text());
    edit->CloseUp(false);
    EXPECT_SCREEN_FRESH();

    // Alt with keypad digits (a character typed by its code) types it.
    PostMessageW(inner, WM_SYSKEYDOWN, VK_MENU, 1 | alt);
    PostMessageW(inner, WM_SYSKEYDOWN, VK_NUMPAD1, 1 | alt);
    PostMessageW(inner, WM_SYSKEYUP, VK_NUMPAD1, static_cast<LPARAM>(0xC0000001) | alt);
    Pump();
    releaseAltWithCharacter(L'z');
    EXPECT_EQ(L"z", edit->Text());
}

TEST_F(DropDownTest, MouseOnTheButtonTogglesAndAPressInTheTextCloses)
{
    TListEdit* edit = MakeList(10, 50);
    Focus(edit);
    const RECT button = edit->ViewInfo().ButtonsInfo.at(0).Bounds;
    const POINT onButton{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    auto click = [&](HWND wnd, POINT p) {
        PostMouse(wnd, WM_LBUTTONDOWN, p);
        PostMouse(wnd, WM_LBUTTONUP, p);
        EXPECT_SCREEN_FRESH();
    };
    click(edit->Handle(), onButton);
    ASSERT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    click(edit->Handle(), onButton);
    EXPECT_FALSE(edit->DroppedDown()) << "a press on the button of an open popup closes it";
    Pump();
    EXPECT_FALSE(edit->DroppedDown());
    click(edit->Handle(), onButton);
    ASSERT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    click(edit->InnerControl()->Handle(), POINT{5, 5});
    EXPECT_FALSE(edit->DroppedDown());
}

TEST_F(DropDownTest, PopupEditShowsItsControlTakesTheFocusAndGivesTheControlBack)
{
    auto panel = new TPanel(form);
    panel->SetBounds(150, 100, 140, 90);
    panel->SetParent(form);
    auto list = new TEdit(form);
    list->SetBounds(5, 5, 160, 70);
    list->SetParent(panel);
    list->SetVisible(false);
    TcxPopupEdit* edit = MakeEdit<TcxPopupEdit>(10, 50);
    edit->Properties().SetPopupControl(list);
    edit->Properties().SetPopupSizeable(false);
    edit->Properties().OnCloseUp = [&](TObject*) {
        seq.Event("edit", std::string("OnCloseUp, list in ") + (list->Parent() == panel ? "panel" : "popup"));
        edit->SetText(list->Text());
    };
    TcxCustomEditPopupWindow& popup = edit->PopupWindow();
    seq.Watch(&popup, "popup", {WM_SHOWWINDOW});
    std::vector<WORD> keys{VK_RETURN};
    edit->Properties().OnPopup = [&](TObject*) {
        seq.Event("edit", "OnPopup");
        EXPECT_EQ(list->Handle(), GetFocus());
        EXPECT_EQ(&popup, list->Parent());
        EXPECT_EQ(popup.ViewInfo().ClientRect, list->BoundsRect()) << "the control fills the frame";
        EXPECT_EQ((std::pair{2 + 160, 2 + 70}), SizeOf(popup)) << "auto size around the control";
        list->SetText(L"chosen");
        PostMessageW(list->Handle(), WM_KEYDOWN, keys.back(), 1);
        PostMessageW(list->Handle(), WM_KEYUP, keys.back(), static_cast<LPARAM>(0xC0000001));
        keys.pop_back();
    };
    Focus(edit);
    seq.Clear();
    PressKey(VK_F4);  // the popup's local message loop runs until Enter closes it
    ASSERT_TRUE(PumpUntil([&] { return Count(seq, "OnEditValueChanged") > 0; }));
    EXPECT_EQ(L"chosen", edit->Text());
    EXPECT_EQ(panel, list->Parent());
    EXPECT_EQ(Rect(5, 5, 165, 75), list->BoundsRect());
    EXPECT_FALSE(list->Visible());
    EXPECT_EQ(edit->InnerControl()->Handle(), GetFocus());
    const unsigned w = qvtest::seqWParam;
    EXPECT_TRUE(seq.Matches({{"edit", "OnInitPopup"},
                             {"popup", WM_SHOWWINDOW, w, TRUE},
                             {"edit", "OnPopup"},
                             {"popup", WM_SHOWWINDOW, w, FALSE},
                             {"edit", "OnCloseUp, list in panel"},
                             {"edit", "OnChange"},
                             {"edit", "OnEditValueChanged", qvtest::seqOptional}},
                            "F4, Enter in the popup's control"));

    // F4 in the popup closes it too; typing into the edit opens it and the
    // character arrives in the control.
    seq.Clear();
    edit->SelectAll();
    edit->Properties().OnPopup = [&](TObject*) {
        seq.Event("edit", "OnPopup");
        PostMessageW(list->Handle(), WM_KEYDOWN, VK_F4, 1);
    };
    list->SetText(L"");
    qvtest::TypeText(L"q");
    ASSERT_TRUE(PumpUntil([&] { return !edit->DroppedDown() && !seq.Recorded().empty(); }));
    EXPECT_EQ(L"q", edit->Text()) << "the character was typed into the control, which the edit then took";
}

TEST_F(DropDownTest, CircularPopupControlIsRefusedAndAFreedControlIsForgotten)
{
    auto panel = new TPanel(form);
    panel->SetBounds(5, 40, 200, 60);
    panel->SetParent(form);
    auto edit = new TcxPopupEdit(form);
    edit->SetBounds(10, 10, 121, 21);
    edit->SetParent(panel);
    for (TControl* control : std::vector<TControl*>{form, panel, edit}) {
        edit->Properties().SetPopupControl(control);
        try {
            edit->DropDown();
            ADD_FAILURE() << "not refused";
        } catch (const qv::Exception& e) {
            EXPECT_EQ(std::wstring(L"Circular referencing is not allowed"), e.Message());
        }
        Pump();
        EXPECT_FALSE(edit->DroppedDown());
    }
    edit->Properties().SetPopupControl(panel);
    Focus(edit);
    PressKey(VK_F4);
    ASSERT_EQ(1u, errors.size()) << "the key's refusal reaches the application's handler";
    EXPECT_EQ(L"Circular referencing is not allowed", errors[0]);
    EXPECT_FALSE(edit->DroppedDown());

    auto other = new TEdit(form);
    edit->Properties().SetPopupControl(other);
    delete other;
    EXPECT_EQ(nullptr, edit->Properties().PopupControl());
    EXPECT_FALSE(edit->CanDropDown());
}

TEST_F(DropDownTest, WidthFollowsTheEditOrTheSettingsAboveTheMinimums)
{
    TAreaEdit* edit = MakeEdit<TAreaEdit>(10, 50);
    TcxCustomDropDownEditProperties& p = edit->Properties();
    Focus(edit);
    auto openSize = [&] {
        Open(edit);
        auto s = SizeOf(edit->PopupWindow());
        edit->CloseUp(false);
        EXPECT_SCREEN_FRESH();
        return s;
    };
    EXPECT_EQ((std::pair{152, 92}), openSize()) << "auto size: the area and a 1-pixel frame";
    p.SetPopupAutoSize(false);
    EXPECT_EQ((std::pair{edit->Width(), 2}), openSize()) << "PopupWidth 0: as wide as the edit; the frame's height";
    p.SetPopupSizeable(true);
    p.SetPopupMinWidth(100);
    p.SetPopupWidth(10);
    p.SetPopupHeight(40);
    EXPECT_EQ((std::pair{100, 40}), openSize());
    p.SetPopupSysPanelStyle(true);
    const int panel = std::max(GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYSIZE));
    EXPECT_EQ((std::pair{std::max(100, 2 + 2 * panel + 10), 40}), openSize()) << "room for the grip and the close button";

    // A translucent form has a translucent popup.
    form->SetAlphaBlendValue(200);
    form->SetAlphaBlend(true);
    Open(edit);
    EXPECT_TRUE(edit->PopupWindow().AlphaBlend());
    EXPECT_EQ(200, edit->PopupWindow().AlphaBlendValue());
    edit->CloseUp(false);
    EXPECT_SCREEN_FRESH();
}

TEST_F(DropDownTest, SizingBelowMovesTheBottomEdgeAndTheSizeIsKept)
{
    TAreaEdit* edit = MakeEdit<TAreaEdit>(10, 50);
    TcxCustomDropDownEditProperties& p = edit->Properties();
    p.SetPopupSizeable(true);
    p.SetPopupSysPanelStyle(true);
    p.SetPopupMinWidth(80);
    p.SetPopupMinHeight(60);
    Focus(edit);
    Open(edit);
    TcxCustomEditPopupWindow& popup = edit->PopupWindow();
    HWND wnd = popup.Handle();
    const RECT before = WindowRect(wnd);
    EXPECT_EQ(ScreenRect(edit).bottom, before.top) << "below the edit";
    EXPECT_EQ(3, popup.SizeGripCorner());
    const RECT grip = popup.ViewInfo().SizeGripRect;
    ASSERT_FALSE(IsRectEmptyR(grip));
    EXPECT_EQ((unsigned)(pszRight | pszBottom), popup.SizingHitTest(POINT{grip.left + 2, grip.top + 2}));
    EXPECT_EQ(0u, popup.SizingHitTest(POINT{popup.ViewInfo().CloseButtonRect.left + 1,
                                            popup.ViewInfo().CloseButtonRect.top + 1}));

    const POINT start{grip.left + 2, grip.top + 2};
    PostMouse(wnd, WM_LBUTTONDOWN, start);
    ASSERT_TRUE(popup.IsSizing());
    PostMouse(wnd, WM_MOUSEMOVE, POINT{start.x + 40, start.y + 30});
    EXPECT_EQ(before, WindowRect(wnd)) << "a frame follows the pointer; the window stays";
    EXPECT_TRUE(edit->PopupSizeChanged());
    PostMouse(wnd, WM_MOUSEMOVE, POINT{start.x + 40, start.y - 500});
    PostMouse(wnd, WM_MOUSEMOVE, POINT{start.x + 40, start.y + 30});
    PostMouse(wnd, WM_LBUTTONUP, POINT{start.x + 40, start.y + 30});
    EXPECT_SCREEN_FRESH();
    const RECT after = WindowRect(wnd);
    EXPECT_EQ(Rect(before.left, before.top, before.right + 40, before.bottom + 30), after);
    edit->CloseUp(false);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(qv::Width(after), p.PopupWidth());
    EXPECT_EQ(qv::Height(after), p.PopupHeight());
    Open(edit);
    EXPECT_EQ(after, WindowRect(wnd)) << "the next opening has the size the user chose";

    // Shrinking stops at the minimums.
    PostMouse(wnd, WM_LBUTTONDOWN, POINT{grip.left + 42, grip.top + 32});
    PostMouse(wnd, WM_MOUSEMOVE, POINT{-300, -300});
    PostMouse(wnd, WM_LBUTTONUP, POINT{-300, -300});
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(80, qv::Width(WindowRect(wnd)));
    EXPECT_EQ(60, qv::Height(WindowRect(wnd)));
    edit->CloseUp(false);
    EXPECT_SCREEN_FRESH();
}

TEST_F(DropDownTest, SizingAboveMovesTheTopEdgeAndTheCloseButtonAsks)
{
    const RECT work = GetMonitorWorkArea(POINT{0, 0});
    form->SetBounds(100, work.bottom - 110, 320, 100);
    TAreaEdit* edit = MakeEdit<TAreaEdit>(10, 40);
    TcxCustomDropDownEditProperties& p = edit->Properties();
    p.SetPopupSizeable(true);
    p.SetPopupSysPanelStyle(true);
    Focus(edit);
    Open(edit);
    TcxCustomEditPopupWindow& popup = edit->PopupWindow();
    HWND wnd = popup.Handle();
    const RECT before = WindowRect(wnd);
    EXPECT_EQ(ScreenRect(edit).top, before.bottom) << "no room below: above the edit";
    EXPECT_EQ(1, popup.SizeGripCorner()) << "grip at the top right";
    const RECT grip = popup.ViewInfo().SizeGripRect;
    EXPECT_EQ(popup.ViewInfo().BorderRect.top + 1, grip.top) << "the system panel is at the top";
    const POINT start{grip.left + 2, grip.top + 2};
    PostMouse(wnd, WM_LBUTTONDOWN, start);
    PostMouse(wnd, WM_MOUSEMOVE, POINT{start.x + 20, start.y - 25});
    PostMouse(wnd, WM_LBUTTONUP, POINT{start.x + 20, start.y - 25});
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(Rect(before.left, before.top - 25, before.right + 20, before.bottom), WindowRect(wnd));
    const int height = qv::Height(WindowRect(wnd));

    // The close button: a refused query keeps the popup; an allowed one closes it.
    bool allow = false;
    int asked = 0;
    p.OnCloseQuery = [&](TObject* sender, bool& canClose) {
        EXPECT_EQ(edit, sender);
        ++asked;
        canClose = allow;
    };
    const RECT close = popup.ViewInfo().CloseButtonRect;
    const POINT onClose{close.left + 2, close.top + 2};
    PostMouse(wnd, WM_LBUTTONDOWN, onClose);
    EXPECT_EQ(3, popup.ViewInfo().CloseButtonState);
    PostMouse(wnd, WM_LBUTTONUP, onClose);
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(edit->DroppedDown());
    EXPECT_EQ(2, popup.ViewInfo().CloseButtonState) << "still open: the button is hot";
    allow = true;
    PostMouse(wnd, WM_LBUTTONDOWN, onClose);
    PostMouse(wnd, WM_LBUTTONUP, onClose);
    EXPECT_SCREEN_FRESH();
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(2, asked);
    EXPECT_EQ(height, p.PopupHeight());
}

TEST_F(DropDownTest, DestroyingTheEditOrThePopupWhileOpenLeavesNothingBehind)
{
    // The edit deleted by its own OnPopup handler.
    TListEdit* edit = MakeList(10, 50);
    Focus(edit);
    edit->Properties().OnPopup = [&](TObject*) { delete edit; };
    PressKey(VK_F4);
    Pump();
    EXPECT_TRUE(TcxCustomPopupWindow::OpenPopups().empty());

    // A popup edit deleted while its focus-taking popup is open: its control goes back.
    auto list = new TEdit(form);
    list->SetBounds(150, 100, 100, 60);
    list->SetParent(form);
    auto popupEdit = MakeEdit<TcxPopupEdit>(10, 80);
    popupEdit->Properties().SetPopupControl(list);
    popupEdit->Properties().OnPopup = [&](TObject*) { delete popupEdit; };
    Focus(popupEdit);
    PressKey(VK_F4);
    Pump();
    EXPECT_TRUE(TcxCustomPopupWindow::OpenPopups().empty());
    EXPECT_EQ(form, list->Parent()) << "the control outlives the popup";

    // The popup deleted from OnCloseUp, and one deleted while open.
    edit = MakeList(10, 110);
    Focus(edit);
    edit->Properties().OnCloseUp = [&](TObject*) { delete &edit->PopupWindow(); };
    Open(edit);
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(edit->HasPopupWindow());
    Open(edit);
    delete &edit->PopupWindow();
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_TRUE(TcxCustomPopupWindow::OpenPopups().empty());
    edit->Properties().OnCloseUp = nullptr;
    Open(edit);
    EXPECT_NE(nullptr, edit->LookupData().List()) << "a new popup, a list again";
    edit->CloseUp(false);
    EXPECT_SCREEN_FRESH();
}

TEST_F(DropDownTest, ScreenshotOfAPopupEditOpenUnderAnEdit)
{
    // Written for a person to look at: the form with a popup edit and its popup
    // open below, with a client edge, the system panel and a shadow.
    auto memo = new TMemo(form);
    memo->SetBounds(0, 0, 180, 80);
    memo->SetParent(form);
    memo->SetVisible(false);
    memo->SetText(L"popup control");
    TcxPopupEdit* edit = MakeEdit<TcxPopupEdit>(10, 50);
    edit->SetText(L"text");
    edit->Style().SetShadow(true);
    TcxCustomPopupEditProperties& p = edit->Properties();
    p.SetPopupControl(memo);
    p.SetPopupSysPanelStyle(true);
    p.SetPopupClientEdge(true);
    // The test's own loop waits for the screen instead of the popup's local one.
    TcxCustomEditPopupWindow& popup = edit->PopupWindow();
    popup.SetModalLoop(false);
    Focus(edit);
    PressKey(VK_F4);
    ASSERT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    // What the screen shows, read until it has settled (a loaded machine paints late).
    std::vector<std::string> wrong;
    auto look = [&] {
        wrong.clear();
        TScreenPixels frame = TScreenPixels::OfClient(popup.Handle());
        const int w = frame.Width(), h = frame.Height();
        if (!frame.AllIn(Rect(0, 0, w - 3, 1), ColorToRGB(clWindowFrame)))
            wrong.push_back("the single frame");
        if (!frame.AllIn(Rect(w - 3, 3, w, h), ColorToRGB(clBtnShadow)))
            wrong.push_back("the shadow on the right");
        if (!SameColor(ColorToRGB(clBtnShadow), frame.At(1, 1)))
            wrong.push_back("the sunken client edge");
        const RECT panel = popup.ViewInfo().SysPanelRect;
        if (!SameColor(ColorToRGB(clBtnFace), frame.At(panel.left + qv::Width(panel) / 2, panel.top + 4)))
            wrong.push_back("the system panel");
        const RECT close = popup.ViewInfo().CloseButtonRect;
        if (!SameColor(ColorToRGB(clBtnText), frame.At((close.left + close.right) / 2, (close.top + close.bottom) / 2)))
            wrong.push_back("the close button's cross");
        // The drop-down button is drawn pressed while the popup is open.
        const RECT b = edit->ViewInfo().ButtonsInfo.at(0).Bounds;
        if (!SameColor(ColorToRGB(PressedLightColor()), TScreenPixels::OfClient(edit->Handle()).At(b.left + 3, b.top + 3)))
            wrong.push_back("the pressed drop-down button");
        return wrong.empty();
    };
    const bool settled = PumpUntil(look, 3000);
    const RECT f = WindowRect(form->Handle()), pw = WindowRect(popup.Handle());
    TScreenPixels shot(Rect(f.left, f.top, std::max(f.right, pw.right) + 5, pw.bottom + 5));
    TBitmap sheet(shot.Width(), shot.Height());
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            sheet.Bits()[y * shot.Width() + x] = GetRValue(shot.At(x, y)) << 16 | GetGValue(shot.At(x, y)) << 8
                | GetBValue(shot.At(x, y));
    EXPECT_TRUE(qvtest::WritePng(sheet, L"dropdown_popup_open.png"));
    for (const std::string& what : wrong)
        ADD_FAILURE() << what << " is not on the screen (see dropdown_popup_open.png)";
    EXPECT_TRUE(settled);
    edit->CloseUp(false);
    EXPECT_SCREEN_FRESH();
    EXPECT_FALSE(edit->DroppedDown());
}


// ---------------------------------------------------------------------------
// The combo box

TEST_F(ComboBoxTest, PropertyDefaultsRowsRuleStylesAndAssign)
{
    TcxComboBox* combo = MakeCombo(lsEditList);
    TcxCustomComboBoxProperties& p = combo->Properties();
    EXPECT_EQ(8, p.DropDownRows());
    EXPECT_TRUE(p.DropDownAutoWidth());
    EXPECT_FALSE(p.DropDownSizeable());
    EXPECT_TRUE(p.ValidateOnEnter()) << "inherited from the masked edit";
    EXPECT_EQ(esEdit, p.EditingStyle());
    p.SetDropDownRows(5);
    p.SetDropDownRows(0);
    p.SetDropDownRows(-1);
    EXPECT_EQ(5, p.DropDownRows()) << "0 and -1 keep the previous value";
    p.SetDropDownWidth(-7);
    EXPECT_EQ(0, p.PopupWidth());
    p.SetDropDownListStyle(lsEditFixedList);
    EXPECT_EQ(esEditList, p.EditingStyle());
    p.SetDropDownListStyle(lsFixedList);
    EXPECT_EQ(esFixedList, p.EditingStyle());
    EXPECT_TRUE(p.TextAreaClickOpens());
    p.SetItemHeight(19);
    p.SetRevertable(true);

    p.SetSorted(true);
    EXPECT_EQ(L"Home", p.Items()[0]);
    p.Items().Add(L"Attic");
    EXPECT_EQ(L"Attic", p.Items()[0]) << "an item added to a sorted list takes its place";
    EXPECT_EQ(L"office2", p.Items()[3]);
    p.SetSorted(false);
    p.Items().Delete(0);

    TcxComboBoxProperties copy(nullptr);
    copy.Assign(&p);
    EXPECT_EQ(lsFixedList, copy.DropDownListStyle());
    EXPECT_EQ(5, copy.DropDownRows());
    EXPECT_EQ(19, copy.ItemHeight());
    EXPECT_TRUE(copy.Revertable());
    EXPECT_EQ(3, copy.Items().Count());

    // A fixed-list text that is no item fails validation; an empty one passes.
    TcxEditValue value(std::wstring(L"nothing"));
    std::wstring error;
    bool invalid = false;
    p.ValidateDisplayValue(value, error, invalid, combo);
    EXPECT_TRUE(invalid);
    value = TcxEditValue(std::wstring(L"HOME"));
    p.ValidateDisplayValue(value, error, invalid, combo);
    EXPECT_FALSE(invalid) << "an item, ignoring case";
}

TEST_F(ComboBoxTest, TypingSearchesTheItemsInEachStyle)
{
    TcxComboBox* combo = MakeCombo(lsFixedList);
    Focus(combo);
    seq.Clear();
    qvtest::TypeText(L"o");
    EXPECT_TRUE(PumpUntil([&] { return combo->DroppedDown(); })) << "typing opens the list at once";
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"Office", combo->Text());
    EXPECT_EQ(L"ffice", combo->SelText());
    EXPECT_EQ(0, List(combo).ItemIndex()) << "the list highlights the item found";
    qvtest::TypeText(L"f");
    EXPECT_EQ(L"Office", combo->Text()) << "the typed part keeps the item's case";
    EXPECT_EQ(L"fice", combo->SelText());
    qvtest::TypeText(L"x");
    EXPECT_EQ(L"Office", combo->Text()) << "a character that leads to no item is refused";
    EXPECT_EQ(0, combo->ItemIndex());
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(1, Count(seq, "OnClick")) << seq.Dump();
    combo->SetText(L"");
    qvtest::TypeText(L"HO");
    EXPECT_EQ(L"Home", combo->Text());
    EXPECT_EQ(2, combo->SelStart()) << "Ho typed, in the item's case";
    PressKey(VK_ESCAPE);

    TcxComboBox* free = MakeCombo(lsEditList);
    free->SetTop(100);
    Focus(free);
    qvtest::TypeText(L"x");
    EXPECT_EQ(L"x", free->Text());
    EXPECT_EQ(-1, free->ItemIndex());
    PressKey(VK_ESCAPE);
}

TEST_F(ComboBoxTest, ListShowsUpToDropDownRowsAndGrowsByTheScrollBar)
{
    // A narrow edit, so that the list's own width shows.
    TcxComboBox* combo = MakeCombo(lsFixedList, Numbered(3), 20);
    Focus(combo);
    combo->DropDown();
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    TcxCustomEditListBox& list = List(combo);
    const int row = list.ItemHeight(0);
    EXPECT_GT(row, 0);
    EXPECT_EQ(3 * row, list.Height());
    const int narrow = list.Width();
    EXPECT_GT(narrow, 20) << "as wide as the widest item, not the edit";
    EXPECT_FALSE(GetWindowLongW(list.Handle(), GWL_STYLE) & WS_VSCROLL) << "three rows need no scroll bar";
    combo->CloseUp(false);
    EXPECT_SCREEN_FRESH();

    combo->Items().Assign(Numbered(20));
    combo->DropDown();
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(8 * row, list.Height());
    EXPECT_EQ(narrow + GetSystemMetrics(SM_CXVSCROLL), list.Width()) << "one scroll bar wider";
    EXPECT_EQ(20, list.Count());
    combo->CloseUp(false);
    EXPECT_SCREEN_FRESH();

    // A fixed row height, then a measuring event: the rows are measured anew.
    combo->Properties().SetItemHeight(19);
    combo->DropDown();
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(19, list.ItemHeight(5));
    EXPECT_EQ(8 * 19, list.Height());
    combo->CloseUp(false);
    EXPECT_SCREEN_FRESH();
    combo->Properties().OnMeasureItem = [](TcxCustomComboBox*, int index, TcxCanvas*, int& height) {
        if (index == 1)
            height = 30;
    };
    combo->DropDown();
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(30, list.ItemHeight(1));
    EXPECT_EQ(7 * 19 + 30, list.Height());
    combo->CloseUp(false);
    EXPECT_SCREEN_FRESH();

    // Owner drawing: the event draws the rows it is asked for, on the list's canvas.
    std::set<int> drawn;
    combo->Properties().OnDrawItem = [&](TcxCustomComboBox* c, TcxCanvas* canvas, int index, const RECT& r,
                                         TOwnerDrawState) {
        EXPECT_EQ(combo, c);
        canvas->Canvas()->FillRect(r);
        drawn.insert(index);
    };
    combo->DropDown();
    ASSERT_TRUE(PumpUntil([&] { return drawn.size() >= 8; })) << drawn.size() << " rows drawn";
    EXPECT_EQ(0, *drawn.begin());
    combo->CloseUp(false);
    EXPECT_SCREEN_FRESH();
}

TEST_F(ComboBoxTest, OpenListMovesOnlyTheHighlightUntilEnter)
{
    TcxComboBox* combo = MakeCombo(lsFixedList);
    combo->SetItemIndex(0);
    Focus(combo);
    seq.Watch(&combo->PopupWindow(), "popup", {WM_SHOWWINDOW});
    seq.Clear();
    PressKey(VK_DOWN, ssAlt);
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    PressKey(VK_DOWN);
    EXPECT_EQ(L"Office", combo->Text());
    EXPECT_EQ(0, combo->ItemIndex());
    EXPECT_EQ(1, List(combo).ItemIndex());
    PressKey(VK_ESCAPE);
    EXPECT_EQ(L"Office", combo->Text()) << "Escape leaves text and index";
    EXPECT_EQ(0, combo->ItemIndex());
    EXPECT_EQ(0, List(combo).ItemIndex()) << "the highlight is back on the current item";

    PressKey(VK_F4);
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    seq.Clear();
    PressKey(VK_RETURN);
    EXPECT_EQ(L"Home", combo->Text()) << "Enter takes the highlight";
    EXPECT_EQ(2, combo->ItemIndex());
    const unsigned w = qvtest::seqWParam;
    EXPECT_TRUE(seq.Matches({{"edit", "OnClick"},
                             {"edit", "OnChange"},
                             {"edit", "OnEditValueChanged"},
                             {"popup", WM_SHOWWINDOW, w, FALSE},
                             {"edit", "OnCloseUp"}},
                            "Down, Down, Enter"));
    Pump();
    EXPECT_TRUE(combo->FindSelection()) << "the resynchronisation after closing restarts the search";

    // Closed: no wrap at the end; a double click with Revertable wraps.
    PressKey(VK_DOWN);
    EXPECT_EQ(2, combo->ItemIndex());
    combo->Properties().SetRevertable(true);
    PostMouse(combo->Handle(), WM_LBUTTONDBLCLK, POINT{5, 5});
    PostMouse(combo->Handle(), WM_LBUTTONUP, POINT{5, 5});
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(0, combo->ItemIndex()) << seq.Dump();
    EXPECT_EQ(L"Office", combo->Text());
    if (combo->DroppedDown() || combo->PopupRequested()) {
        combo->CloseUp(false);
        EXPECT_SCREEN_FRESH();
        Pump();
    }
}

TEST_F(ComboBoxTest, MouseWheelAndAnEmptyList)
{
    TcxComboBox* combo = MakeCombo(lsFixedList, Numbered(20));
    Focus(combo);
    combo->DropDown();
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    TcxCustomEditListBox& list = List(combo);
    // Hot tracking: the move that follows opening under the pointer is not taken.
    const RECT third = list.ItemRect(2);
    list.LockMouseMove();
    PostMouse(list.Handle(), WM_MOUSEMOVE, POINT{5, third.top + 2});
    EXPECT_EQ(-1, list.ItemIndex()) << "the first move is ignored";
    PostMouse(list.Handle(), WM_MOUSEMOVE, POINT{5, third.top + 3});
    EXPECT_EQ(2, list.ItemIndex());
    EXPECT_SCREEN_FRESH();
    // The wheel over the open list scrolls it by the system's lines.
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    SendMessageW(combo->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(static_cast<int>(lines), list.TopIndex());
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(-1, combo->ItemIndex()) << "scrolling chooses nothing";
    // A release on a row takes it and closes the list.
    const RECT row = list.ItemRect(list.TopIndex() + 1);
    PostMouse(list.Handle(), WM_LBUTTONDOWN, POINT{5, row.top + 2});
    EXPECT_EQ(combo->Handle(), GetFocus()) << "pressing in the list leaves the focus in the edit";
    PostMouse(list.Handle(), WM_LBUTTONUP, POINT{5, row.top + 2});
    EXPECT_SCREEN_FRESH();
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(static_cast<int>(lines) + 1, combo->ItemIndex());

    // The wheel on the closed combo box steps like the arrows, without wrap.
    SendMessageW(combo->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(static_cast<int>(lines), combo->ItemIndex());
    EXPECT_SCREEN_FRESH();

    // No items: the button opens nothing, the keys move nothing.
    combo->SetText(L"");
    combo->Items().Clear();
    const RECT button = combo->ViewInfo().ButtonsInfo.at(0).Bounds;
    PostMouse(combo->Handle(), WM_LBUTTONDOWN, POINT{button.left + 2, button.top + 2});
    PostMouse(combo->Handle(), WM_LBUTTONUP, POINT{button.left + 2, button.top + 2});
    EXPECT_SCREEN_FRESH();
    PressKey(VK_DOWN);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_FALSE(combo->PopupRequested());
    EXPECT_EQ(-1, combo->ItemIndex());
}

TEST_F(ComboBoxTest, PressOnTheTextAndDragIntoTheListSelects)
{
    TcxComboBox* combo = MakeCombo(lsFixedList);
    Focus(combo);
    PostMouse(combo->Handle(), WM_LBUTTONDOWN, POINT{5, 5});
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); })) << "a press on a fixed list's text opens it";
    EXPECT_SCREEN_FRESH();
    ASSERT_EQ(combo->Handle(), GetCapture());
    TcxCustomEditListBox& list = List(combo);
    const RECT row = list.ItemRect(1);
    POINT p{5, row.top + 2};
    ::ClientToScreen(list.Handle(), &p);
    ::ScreenToClient(combo->Handle(), &p);
    PostMouse(combo->Handle(), WM_MOUSEMOVE, p);
    EXPECT_EQ(list.Handle(), GetCapture()) << "the list takes the drag over";
    PostMouse(list.Handle(), WM_LBUTTONUP, POINT{5, row.top + 2});
    EXPECT_SCREEN_FRESH();
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(L"office2", combo->Text());
}

TEST_F(ComboBoxTest, MainWindowSequenceOnAFixedList)
{
    TcxComboBox* combo = MakeCombo(lsFixedList);
    combo->SetItemIndex(1);
    seq.Clear();
    combo->SetText(L"");
    EXPECT_EQ(-1, combo->ItemIndex());
    combo->Items().BeginUpdate();
    combo->Items().Clear();
    for (const wchar_t* name : {L"办公室", L"家里", L"Gateway jpg"})
        combo->Items().Add(name);
    combo->Items().EndUpdate();
    combo->SetItemIndex(0);
    EXPECT_EQ(L"办公室", combo->Text());
    EXPECT_SCREEN_FRESH();
    // The change events of a text set from code wait for its end; an item's text is
    // written before the item change is told.
    EXPECT_TRUE(seq.Matches({{"edit", "OnClick"},
                             {"edit", "OnChange"},
                             {"edit", "OnEditValueChanged"},
                             {"edit", "OnChange"},
                             {"edit", "OnEditValueChanged"},
                             {"edit", "OnClick"}},
                            "cleared, refilled, first item"));
    combo->SetText(L"zzz");
    EXPECT_EQ(-1, combo->ItemIndex()) << "a text that is no item's prefix";
    EXPECT_SCREEN_FRESH();

    // The fixed list paints its text itself: dark glyphs on the window colour, descenders whole.
    combo->SetItemIndex(2);
    EXPECT_SCREEN_FRESH();
    const RECT text = combo->ViewInfo().TextRect;
    RECT glyphs{};
    int background = 0;
    auto look = [&] {
        const TScreenPixels shown = TScreenPixels::OfClient(combo->Handle());
        glyphs = RECT{text.right, text.bottom, text.left, text.top};
        background = 0;
        for (int y = text.top; y < text.bottom; ++y)
            for (int x = text.left; x < text.right; ++x) {
                const COLORREF c = shown.At(x, y);
                background += c == ColorToRGB(clWindow);
                if (c == RGB(0, 0, 0))
                    glyphs = RECT{std::min<LONG>(glyphs.left, x), std::min<LONG>(glyphs.top, y),
                                  std::max<LONG>(glyphs.right, x + 1), std::max<LONG>(glyphs.bottom, y + 1)};
            }
        return !IsRectEmptyR(glyphs);
    };
    ASSERT_TRUE(PumpUntil(look, 3000)) << "the text reached the screen";
    EXPECT_GT(background, Width(text) * Height(text) / 2) << "the text is not written on a block of ink";
    EXPECT_LE(glyphs.bottom, text.bottom) << "the descenders of j, p and g stay inside";
    EXPECT_GE(Height(glyphs), 9) << "from the capital's top to the descenders";
}
