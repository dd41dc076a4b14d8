// The drop-down edit's popup: its width and height against the settings and the
// list, where it goes against the edit with each alignment and which corner its grip
// takes, sizing it with the mouse (zones, whole rows, a sizing cut short), the rows
// after a font change, the drop-down button after the popup lost the activation,
// Escape while the mouse is held, and the look handed to the popup's controls.
#include "controls/dropdown/DropDownTestSupport.h"
#include "framework/ExtCtrls.h"

#include <gtest/gtest.h>

using namespace qvtest::dropdown;
namespace input = qvtest::input;
using qvtest::ScreenRect;
using qvtest::TScreenPixels;
using qvtest::WindowRect;

namespace {

// The pointer moved as a hand moves it (an absolute move through the input queue).
void SendMove(POINT p)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    in.mi.dx = static_cast<LONG>((static_cast<long long>(p.x - GetSystemMetrics(SM_XVIRTUALSCREEN)) * 65535) / (w - 1));
    in.mi.dy = static_cast<LONG>((static_cast<long long>(p.y - GetSystemMetrics(SM_YVIRTUALSCREEN)) * 65535) / (h - 1));
    SendInput(1, &in, sizeof(INPUT));
}

struct PopupTest : ComboBoxTest {
    void SetUp() override
    {
        ComboBoxTest::SetUp();
        ASSERT_TRUE(input::BringToFront(form->Handle()));
    }
    // A press, moves in steps (each handled before the next), a release.
    void DragBy(POINT from, int dx, int dy, const std::function<bool()>& started)
    {
        SendMove(from);
        Pump();
        input::Press(from);
        ASSERT_TRUE(PumpUntil(started, 2000)) << "the press started the sizing";
        for (int i = 1; i <= 4; ++i) {
            SendMove(POINT{from.x + dx * i / 4, from.y + dy * i / 4});
            PumpUntil([] { return false; }, 30);
        }
        input::Release(POINT{from.x + dx, from.y + dy});
        Pump();
    }
    void OpenList(TcxCustomDropDownEdit* e)
    {
        e->DropDown();
        ASSERT_TRUE(PumpUntil([&] { return e->DroppedDown(); }));
        EXPECT_SCREEN_FRESH();
    }
};

} // namespace

TEST_F(PopupTest, MouseSizingOfAListSnapsToWholeRowsAndLeavesRoomForTheHorizontalBar)
{
    TcxComboBox* combo = MakeCombo(lsFixedList, Numbered(20));
    combo->Properties().SetItemHeight(16);
    combo->Properties().SetDropDownSizeable(true);
    Focus(combo);
    OpenList(combo);
    TcxCustomTextEditLookupData& lookup = combo->LookupData();
    ASSERT_EQ(8 * 16, List(combo).Height());
    const int vbar = GetSystemMetrics(SM_CXVSCROLL), hbar = GetSystemMetrics(SM_CYHSCROLL);
    const int wide = List(combo).HorizontalExtent();
    auto adjusted = [&](int cx, int cy) {
        SIZE s{cx, cy};
        EXPECT_TRUE(lookup.AdjustListSize(s));
        return std::pair<int, int>{s.cx, s.cy};
    };
    // Shrinking snaps up to the first boundary at or above; growing down to the last at or below.
    EXPECT_EQ((std::pair{200, 96}), adjusted(200, 96)) << "on a boundary it stays";
    EXPECT_EQ((std::pair{200, 96}), adjusted(200, 95));
    EXPECT_EQ((std::pair{200, 96}), adjusted(200, 81));
    EXPECT_EQ((std::pair{200, 16}), adjusted(200, 3));
    EXPECT_EQ((std::pair{200, 144}), adjusted(200, 159)) << "growing";
    EXPECT_EQ((std::pair{200, 160}), adjusted(200, 160));
    EXPECT_EQ((std::pair{200, 320}), adjusted(200, 600)) << "no further than the last row";
    // Narrower than the widest item: the horizontal bar's height comes on top of the rows.
    EXPECT_EQ((std::pair{wide - 1, 96 + hbar}), adjusted(wide - 1, 96 + hbar));
    EXPECT_EQ((std::pair{wide - 1, 96 + hbar}), adjusted(wide - 1, 95 + hbar));
    EXPECT_EQ((std::pair{wide + vbar - 1, 96 + hbar}), adjusted(wide + vbar - 1, 96 + hbar))
        << "rows remain below: the vertical bar takes its width";
    EXPECT_EQ((std::pair{wide + vbar, 96}), adjusted(wide + vbar, 96)) << "wide enough beside the vertical bar";
    EXPECT_EQ((std::pair{2 * vbar, 96 + hbar}), adjusted(3, 96 + hbar)) << "room for both bars' ends";

    // Sized with the mouse from the grip: the list shows whole rows.
    TcxCustomEditPopupWindow& popup = combo->PopupWindow();
    const RECT grip = popup.ViewInfo().SizeGripRect;
    ASSERT_FALSE(IsRectEmptyR(grip));
    DragBy(input::At(popup.Handle(), grip.left + 3, grip.top + 3), 0, -37, [&] { return popup.IsSizing(); });
    EXPECT_FALSE(popup.IsSizing());
    EXPECT_EQ(0, List(combo).Height() % 16) << List(combo).Height();
    EXPECT_EQ(6 * 16, List(combo).Height()) << "shrunk by 37: up to six whole rows";
    EXPECT_SCREEN_FRESH();
    combo->CloseUp(false);
    EXPECT_SCREEN_FRESH();
}

TEST_F(PopupTest, ASizeableListShowsASizeGrip)
{
    TcxComboBox* combo = MakeCombo(lsFixedList, Numbered(20));
    combo->Properties().SetDropDownSizeable(true);
    Focus(combo);
    OpenList(combo);
    TcxCustomEditPopupWindow& popup = combo->PopupWindow();
    const TcxCustomEditPopupWindowViewInfo& vi = popup.ViewInfo();
    EXPECT_TRUE(popup.SysPanelStyle()) << "a sizeable list has the system panel";
    ASSERT_FALSE(IsRectEmptyR(vi.SizeGripRect));
    EXPECT_EQ(3, popup.SizeGripCorner());
    EXPECT_EQ(vi.SysPanelRect.top, List(combo).BoundsRect().bottom) << "the list ends where the panel begins";
    const TScreenPixels shot = TScreenPixels::OfClient(popup.Handle());
    const RECT& g = vi.SizeGripRect;
    int dots = 0;
    for (int y = g.top; y < g.bottom; ++y)
        for (int x = g.left; x < g.right; ++x)
            dots += qvtest::SameColor(ColorToRGB(clBtnHighlight), shot.At(x, y));
    EXPECT_GT(dots, 6) << "the grip's dots are on the screen";
    EXPECT_TRUE(qvtest::SameColor(ColorToRGB(clBtnFace), shot.At(vi.SysPanelRect.left + qv::Width(vi.SysPanelRect) / 2,
                                                                  vi.SysPanelRect.top + 3)));
    combo->CloseUp(false);
}

TEST_F(PopupTest, ASizeablePopupWithoutASystemPanelSizesFromTheBandsOverItsControl)
{
    auto panel = new TPanel(form);
    panel->SetBounds(150, 100, 150, 90);
    panel->SetParent(form);
    panel->SetVisible(false);
    TcxPopupEdit* edit = MakeEdit<TcxPopupEdit>(10, 50);
    edit->Properties().SetPopupControl(panel);
    ASSERT_TRUE(edit->Properties().PopupSizeable());
    ASSERT_FALSE(edit->Properties().PopupSysPanelStyle());
    edit->PopupWindow().SetModalLoop(false);
    Focus(edit);
    OpenList(edit);
    TcxCustomEditPopupWindow& popup = edit->PopupWindow();
    const RECT before = WindowRect(popup.Handle());
    const int band = std::max(GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYSIZE));
    // Inside the panel, a few pixels in from the bottom-right corner.
    const POINT inBand = input::At(popup.Handle(), popup.ClientWidth() - band / 2, popup.ClientHeight() - band / 2);
    ASSERT_EQ(panel->Handle(), WindowFromPoint(inBand)) << "the point lies over the popup's control";
    DragBy(inBand, 30, 20, [&] { return popup.IsSizing(); });
    EXPECT_EQ(Rect(before.left, before.top, before.right + 30, before.bottom + 20), WindowRect(popup.Handle()));
    EXPECT_EQ(popup.ViewInfo().ClientRect, panel->BoundsRect()) << "the control fills the larger popup";
    EXPECT_SCREEN_FRESH();
    // Away from the bands a press is the control's own.
    input::Click(input::At(popup.Handle(), band + 5, band + 5));
    Pump();
    EXPECT_FALSE(popup.IsSizing());
    EXPECT_TRUE(edit->DroppedDown());
    edit->CloseUp(false);
    EXPECT_SCREEN_FRESH();
}

TEST_F(PopupTest, DropDownWidthAndTheHeightOfTheHorizontalBarFromTheFirstOpening)
{
    TcxComboBox* combo =
        MakeCombo(lsFixedList, {L"a rather long first item", L"b", L"c"});
    combo->Properties().SetDropDownAutoWidth(false);
    combo->Properties().SetDropDownWidth(60);
    Focus(combo);
    OpenList(combo);
    TcxCustomEditPopupWindow& popup = combo->PopupWindow();
    TcxCustomEditListBox& list = List(combo);
    const int row = list.ItemHeight(0);
    EXPECT_EQ(60, popup.Width()) << "DropDownWidth, not the edit's width";
    EXPECT_EQ(3 * row + GetSystemMetrics(SM_CYHSCROLL), list.Height()) << "three rows and the horizontal bar";
    EXPECT_GT(list.HorizontalExtent(), list.Width()) << "the first opening already scrolls sideways";
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof(bar);
    ASSERT_TRUE(GetScrollBarInfo(list.Handle(), OBJID_HSCROLL, &bar));
    EXPECT_FALSE(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE) << "the horizontal bar shows";
    EXPECT_SCREEN_FRESH();
    combo->CloseUp(false);

    // DropDownWidth 0: the edit's width.
    combo->Properties().SetDropDownWidth(0);
    OpenList(combo);
    EXPECT_EQ(combo->Width(), popup.Width());
    combo->CloseUp(false);
}

TEST_F(PopupTest, RightAndCentreAlignedPopupsAndTheCornersOfTheirGrips)
{
    const RECT work = GetMonitorWorkArea(POINT{0, 0});
    TAreaEdit* edit = MakeEdit<TAreaEdit>(100, 50);
    TcxCustomDropDownEditProperties& p = edit->Properties();
    p.SetPopupSizeable(true);
    p.SetPopupSysPanelStyle(true);
    Focus(edit);
    TcxCustomEditPopupWindow& popup = edit->PopupWindow();
    auto open = [&] {
        OpenList(edit);
        const RECT r = WindowRect(popup.Handle());
        edit->CloseUp(false);
        return r;
    };
    // Right-aligned: ends at the edit's right; the grip goes left, towards the free side.
    p.SetPopupAlignment(taRightJustify);
    RECT e = ScreenRect(edit);
    RECT r = open();
    EXPECT_EQ(e.right, r.right);
    EXPECT_EQ(e.bottom, r.top);
    EXPECT_EQ(2, popup.SizeGripCorner()) << "bottom-left";
    // Pushed right by the work area's left edge: it extends right, the grip too.
    form->SetBounds(work.left - 90, 100, 320, 240);
    e = ScreenRect(edit);
    r = open();
    EXPECT_EQ(work.left, r.left);
    EXPECT_NE(e.right, r.right);
    EXPECT_EQ(3, popup.SizeGripCorner()) << "bottom-right";

    // Centred: on the edit's middle; the grip takes the side with more room, and the
    // left one when the room is equal.
    p.SetPopupAlignment(taCenter);
    form->SetBounds(200, 100, 320, 240);
    e = ScreenRect(edit);
    r = open();
    EXPECT_EQ((e.left + e.right - qv::Width(r)) / 2, r.left);
    EXPECT_EQ(3, popup.SizeGripCorner()) << "more room on the right";
    form->SetBounds(work.right - 250, 100, 320, 240);
    open();
    EXPECT_EQ(2, popup.SizeGripCorner()) << "more room on the left";
    if ((work.left + work.right - edit->Width()) % 2)
        edit->SetWidth(edit->Width() + 1);
    e = ScreenRect(edit);
    const int target = (work.left + work.right - edit->Width()) / 2;
    form->SetBounds(form->Left() + target - e.left, 100, 320, 240);
    e = ScreenRect(edit);
    ASSERT_EQ(work.right - e.right, e.left - work.left) << "the same room on both sides";
    open();
    EXPECT_EQ(2, popup.SizeGripCorner()) << "equal room: left";
    EXPECT_SCREEN_FRESH();
}

TEST_F(PopupTest, AShadowedPopupAboveTheEditCoversTheEditsTopEdge)
{
    const RECT work = GetMonitorWorkArea(POINT{0, 0});
    form->SetBounds(100, work.bottom - 110, 320, 100);
    TAreaEdit* edit = MakeEdit<TAreaEdit>(10, 40);
    edit->Style().SetShadow(true);
    Focus(edit);
    OpenList(edit);
    TcxCustomEditPopupWindow& popup = edit->PopupWindow();
    const RECT e = ScreenRect(edit), r = WindowRect(popup.Handle());
    EXPECT_EQ(e.top + 3, r.bottom) << "moved 3 pixels down: the shadow lies on the edit's top edge";
    EXPECT_EQ(0, popup.SizeGripCorner() / 2) << "a grip at the top";
    edit->CloseUp(false);
    // Below the edit nothing moves.
    form->SetBounds(100, 100, 320, 100);
    OpenList(edit);
    EXPECT_EQ(ScreenRect(edit).bottom, WindowRect(popup.Handle()).top);
    edit->CloseUp(false);
    EXPECT_SCREEN_FRESH();
}

TEST_F(PopupTest, RowsFollowAFontChangeBetweenOpenings)
{
    TcxComboBox* combo = MakeCombo(lsFixedList, Numbered(20));
    Focus(combo);
    OpenList(combo);
    const int small = List(combo).ItemHeight(0);
    combo->CloseUp(false);
    combo->Style().Font().SetHeight(-24);
    OpenList(combo);
    TcxCustomEditListBox& list = List(combo);
    const int large = list.ItemHeight(0);
    EXPECT_GT(large, small + 6) << "the rows are measured in the new font";
    EXPECT_EQ(8 * large, list.Height()) << "the popup's height and the rows drawn agree";
    EXPECT_EQ(list.ItemRect(7).bottom, list.ClientHeight()) << "the eighth row ends at the list's bottom";
    combo->CloseUp(false);
    combo->Style().Font().SetHeight(-12);
    OpenList(combo);
    EXPECT_EQ(small, list.ItemHeight(0)) << "and back";
    EXPECT_EQ(8 * small, list.Height());
    combo->CloseUp(false);
}

TEST_F(PopupTest, ThePressOnTheButtonAfterAFocusTakingPopupLostTheActivationOpensIt)
{
    auto panel = new TPanel(form);
    panel->SetBounds(150, 100, 120, 60);
    panel->SetParent(form);
    panel->SetVisible(false);
    TcxPopupEdit* edit = MakeEdit<TcxPopupEdit>(10, 50);
    edit->Properties().SetPopupControl(panel);
    edit->PopupWindow().SetModalLoop(false);
    Focus(edit);
    const RECT b = edit->ViewInfo().ButtonsInfo.at(0).Bounds;
    const POINT onButton = input::At(edit->Handle(), (b.left + b.right) / 2, (b.top + b.bottom) / 2);
    input::Click(onButton);
    ASSERT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }));
    SendMove(POINT{onButton.x + 1, onButton.y});
    ASSERT_TRUE(PumpUntil([&] { return edit->HotAndPopup(); }, 2000)) << "the pointer rests on the button";
    EXPECT_SCREEN_FRESH();

    // Another window takes the activation while the pointer rests there.
    TForm* other = NewForm<TForm>(nullptr);
    other->SetBounds(500, 400, 200, 120);
    other->Show();
    ASSERT_TRUE(input::BringToFront(other->Handle()));
    ASSERT_TRUE(PumpUntil([&] { return !edit->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();

    input::Click(onButton);
    EXPECT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }, 2000)) << "the next press opens the popup";
    EXPECT_SCREEN_FRESH();
    // A press on the button of the open popup still only closes it.
    seq.Clear();
    input::Click(onButton);
    Pump();
    EXPECT_TRUE(PumpUntil([&] { return !edit->DroppedDown(); }, 2000)) << seq.Dump() << (GetActiveWindow() == edit->PopupWindow().Handle());
    Pump();
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_FALSE(edit->PopupRequested());
    delete other;
    Pump();
}

TEST_F(PopupTest, ASizingCutShortByALostCaptureIsNoResize)
{
    TcxComboBox* combo = MakeCombo(lsFixedList, Numbered(3));
    combo->Properties().SetDropDownSizeable(true);
    Focus(combo);
    OpenList(combo);
    TcxCustomEditPopupWindow& popup = combo->PopupWindow();
    const RECT grip = popup.ViewInfo().SizeGripRect;
    const int row = List(combo).ItemHeight(0);
    PostMouse(popup.Handle(), WM_LBUTTONDOWN, POINT{grip.left + 2, grip.top + 2});
    ASSERT_TRUE(popup.IsSizing());
    PostMouse(popup.Handle(), WM_MOUSEMOVE, POINT{grip.left + 40, grip.top + 50});
    EXPECT_TRUE(combo->PopupSizeChanged());
    SetCapture(before->Handle());  // another window takes the mouse
    Pump();
    EXPECT_FALSE(popup.IsSizing());
    EXPECT_FALSE(combo->PopupSizeChanged()) << "nothing was resized";
    ReleaseCapture();
    EXPECT_SCREEN_FRESH();
    combo->CloseUp(false);
    EXPECT_EQ(0, combo->Properties().PopupHeight());
    EXPECT_FALSE(combo->PopupUserSized());

    // The popup still fits its content: three rows more, three rows higher.
    combo->Items().Assign(Numbered(6));
    OpenList(combo);
    EXPECT_EQ(6 * row, List(combo).Height());
    combo->CloseUp(false);
}

TEST_F(PopupTest, EscapeWhileTheMouseIsHeldClosesTheListAndFreesTheMouse)
{
    TcxComboBox* combo = MakeCombo(lsFixedList);
    combo->SetItemIndex(1);
    Focus(combo);
    input::Press(input::At(combo->Handle(), 20, combo->Height() / 2));
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    ASSERT_EQ(combo->Handle(), GetCapture()) << "the press holds the mouse";
    input::Key(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(L"office2", combo->Text());
    EXPECT_EQ(1, combo->ItemIndex());
    EXPECT_SCREEN_FRESH();
    input::Release(input::At(combo->Handle(), 20, combo->Height() / 2));
    Pump();
    EXPECT_FALSE(combo->DroppedDown()) << "the release opens nothing";
    EXPECT_SCREEN_FRESH();
}

TEST_F(PopupTest, ThePopupsControlsGetTheLookOfTheEditsButtons)
{
    TcxComboBox* combo = MakeCombo(lsFixedList);
    Focus(combo);
    OpenList(combo);
    combo->CloseUp(false);
    TcxCustomEditListBox& list = List(combo);
    EXPECT_EQ(&combo->PopupControlsLookAndFeel(), list.LookAndFeel().Master());
    EXPECT_EQ(lfStandard, list.LookAndFeel().Kind()) << "the default button style";
    combo->Style().SetButtonStyle(btsUltraFlat);
    OpenList(combo);
    EXPECT_EQ(lfUltraFlat, list.LookAndFeel().Kind()) << "an opening brings it up to date";
    EXPECT_EQ(lfUltraFlat, combo->PopupWindow().Style().LookAndFeel().Kind());
    combo->CloseUp(false);
    combo->Style().SetButtonStyle(btsFlat);
    // A press with any button brings it up to date.
    PostMouse(combo->Handle(), WM_RBUTTONDOWN, POINT{5, 5});
    PostMouse(combo->Handle(), WM_RBUTTONUP, POINT{5, 5});
    EXPECT_EQ(lfFlat, list.LookAndFeel().Kind());
    EXPECT_SCREEN_FRESH();
}

TEST_F(PopupTest, ATranslucentFormsPopupIsTranslucentWhereTheSystemDrawsIt)
{
    TAreaEdit* edit = MakeEdit<TAreaEdit>(10, 50);
    Focus(edit);
    form->SetAlphaBlendValue(200);
    form->SetAlphaBlend(true);
    // A system before Windows XP draws no layered windows: nothing is copied.
    TdxUxThemeLoader old = TdxUxThemeLoader::System();
    old.GetVersion = [](DWORD& major, DWORD& minor) {
        major = 5;
        minor = 0;
        return true;
    };
    InitializeUxTheme(old);
    struct Restore {
        ~Restore() { InitializeUxTheme(TdxUxThemeLoader::System()); }
    } restore;
    OpenList(edit);
    EXPECT_FALSE(edit->PopupWindow().AlphaBlend());
    edit->CloseUp(false);
    InitializeUxTheme(TdxUxThemeLoader::System());
    OpenList(edit);
    EXPECT_TRUE(edit->PopupWindow().AlphaBlend());
    EXPECT_EQ(200, edit->PopupWindow().AlphaBlendValue());
    edit->CloseUp(false);
    form->SetAlphaBlend(false);
    Pump();
}
