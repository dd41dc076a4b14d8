// Popup windows on real windows: where they open against an editor and the work
// area, the open list, the local message loop and its keys, the ways they close,
// the focus going back to the owner, and owners or popups destroyed while open.
#include "controls/container/PopupTestSupport.h"
#include "support/PngWriter.h"
#include "framework/Forms.h"
#include "framework/FrameworkTestSupport.h"
#include "framework/StdCtrls.h"
#include "support/MessageSequence.h"
#include "support/ScreenCheck.h"

#include <gtest/gtest.h>


using namespace qv;
using qvtest::PumpUntil;
using qvtest::SameColor;
using qvtest::TMessageSequence;
using qvtest::TScreenPixels;
using qvtest::ScreenRect;
using qvtest::WindowRect;

namespace {

struct PopupTest : ::testing::Test {
    qvtest::TPopupWatchdog watchdog;
    TForm* form = nullptr;
    TcxContainer* editor = nullptr;
    TEdit* inner = nullptr;
    RECT work{};

    void SetUp() override
    {
        watchdog.Start();
        SetCursorPos(0, 0);
        work = GetMonitorWorkArea(POINT{0, 0});
        form = NewForm<TForm>(nullptr);
        form->SetBounds(100, 100, 320, 200);
        editor = new TcxContainer(form);
        editor->SetBounds(10, 20, 150, 21);
        editor->SetParent(form);
        inner = new TEdit(form);
        inner->SetBorderStyle(TBorderStyle::bsNone);
        editor->SetInnerControl(inner);
        form->Show();
        editor->SetFocus();
        qvtest::Pump();
    }
    void TearDown() override
    {
        EXPECT_FALSE(watchdog.Stop()) << "a popup stayed open until the watchdog closed it";
        delete form;
        qvtest::Pump();
        EXPECT_TRUE(TcxCustomPopupWindow::OpenPopups().empty());
    }

    // A popup of the editor, placed below it, with an edit of 200 x 100 inside.
    TcxCustomPopupWindow* MakePopup(TEdit** AList = nullptr, TControl* AOwner = nullptr)
    {
        auto popup = new TcxCustomPopupWindow(AOwner ? AOwner : editor);
        popup->SetOwnerParent(AOwner ? AOwner->Parent() : form);
        popup->SetOwnerBounds(AOwner ? AOwner->BoundsRect() : editor->BoundsRect());
        auto list = new TEdit(popup);
        list->SetBorderStyle(TBorderStyle::bsNone);
        list->SetBounds(0, 0, 200, 100);
        list->SetTabStop(true);
        list->SetParent(popup);
        if (AList)
            *AList = list;
        return popup;
    }
};

} // namespace

TEST_F(PopupTest, OpensBelowTheEditorAboveItAtTheBottomAndShiftsLeftAtTheRightEdge)
{
    TcxCustomPopupWindow* popup = MakePopup();
    popup->SetCaptureFocus(false);
    auto openWithFormAt = [&](int x, int y) {
        popup->ClosePopup();
        form->SetBounds(x, y, 320, 200);
        popup->Popup(inner);
        return WindowRect(popup->Handle());
    };
    RECT r = openWithFormAt(100, 100);
    RECT e = ScreenRect(editor);
    EXPECT_EQ(Bounds(e.left, e.bottom, 202, 102), r) << "below, left-aligned, the edit and a 1-pixel frame";

    r = openWithFormAt(100, work.bottom - 70);
    e = ScreenRect(editor);
    EXPECT_EQ(Bounds(e.left, e.top - 102, 202, 102), r) << "no room below: above";

    r = openWithFormAt(work.right - 120, 100);
    e = ScreenRect(editor);
    EXPECT_EQ(Bounds(work.right - 202, e.bottom, 202, 102), r) << "shifted left to the work area's edge";
    EXPECT_TRUE(IsWindowVisible(popup->Handle()));
}

TEST_F(PopupTest, WhereNeitherSideHasRoomThePopupStillLiesInsideTheWorkArea)
{
    // A popup larger than the room on either side of the owner, at each screen edge:
    // it overlaps the owner instead of reaching out of the work area.
    TcxPopupWindow popup(nullptr);
    popup.SetAdjustable(false);
    const int w = Width(work) - 300, h = Height(work) - 300;
    popup.SetBounds(0, 0, w, h);
    struct Row {
        const char* edge;
        TcxPopupDirection direction;
        TcxPopupAlignHorz horz;
        TcxPopupAlignVert vert;
        RECT owner;
        POINT expected;
    };
    const LONG l = work.left, t = work.top, r = work.right, b = work.bottom;
    const Row rows[] = {
        {"bottom", pdVertical, pahLeft, pavBottom, Rect(l + 100, t + 400, l + 250, t + 420), {l + 100, b - h}},
        {"top", pdVertical, pahLeft, pavTop, Rect(l + 100, b - 420, l + 250, b - 400), {l + 100, t}},
        {"right", pdHorizontal, pahRight, pavTop, Rect(l + 400, t + 50, l + 420, t + 70), {r - w, t + 50}},
        {"left", pdHorizontal, pahLeft, pavTop, Rect(r - 420, t + 50, r - 400, t + 70), {l, t + 50}},
    };
    for (const Row& row : rows) {
        popup.SetDirection(row.direction);
        popup.SetAlignHorz(row.horz);
        popup.SetAlignVert(row.vert);
        popup.SetOwnerBounds(row.owner);
        POINT p = popup.CalculatePosition();
        EXPECT_EQ(row.expected, p) << row.edge << " edge: " << p.x << "," << p.y;
    }
}

namespace {

// Two monitors side by side; the right one is smaller and sits higher.
const RECT kLeftWork = Rect(0, 0, 1280, 1000), kRightWork = Rect(1280, -200, 2304, 540);
std::vector<POINT> g_asked;

HMONITOR WINAPI FakeMonitorFromPoint(POINT p, DWORD flags)
{
    if (flags == MONITOR_DEFAULTTONEAREST)
        g_asked.push_back(p);
    return reinterpret_cast<HMONITOR>(p.x < 1280 ? 1 : 2);
}

BOOL WINAPI FakeGetMonitorInfo(HMONITOR monitor, LPMONITORINFO info)
{
    info->rcWork = monitor == reinterpret_cast<HMONITOR>(1) ? kLeftWork : kRightWork;
    info->rcMonitor = info->rcWork;
    return TRUE;
}

} // namespace

TEST_F(PopupTest, TheWorkAreaIsThatOfTheMonitorNearestToThePlacedCorner)
{
    TcxMonitorFunctions real = SetMonitorFunctions({FakeMonitorFromPoint, FakeGetMonitorInfo});
    struct Restore {
        TcxMonitorFunctions f;
        ~Restore() { SetMonitorFunctions(f); }
    } restore{real};
    TcxPopupWindow popup(nullptr);
    popup.SetBounds(0, 0, 300, 100);
    auto place = [&](RECT owner) {
        g_asked.clear();
        popup.SetOwnerBounds(owner);
        return popup.CalculatePosition();
    };
    EXPECT_EQ((POINT{2000, 400}), place(Rect(2000, 500, 2100, 520))) << "the right monitor's bottom is 540: above";
    EXPECT_EQ(pavBottom, popup.AlignVert()) << "the flip works on a copy of the setting";
    ASSERT_EQ(1u, g_asked.size());
    EXPECT_EQ((POINT{2000, 520}), g_asked[0]) << "asked for the corner below the owner";
    EXPECT_EQ((POINT{2004, 400}), place(Rect(2200, 500, 2300, 520))) << "kept inside the right monitor's right edge";
    EXPECT_EQ((POINT{100, 850}), place(Rect(100, 950, 200, 970))) << "the left monitor's work area ends at 1000";

    SetMonitorFunctions({});
    RECT desktop{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
    EXPECT_EQ(desktop.right - 300, place(Rect(2000, 100, 2100, 120)).x) << "without the calls: the desktop";
    EXPECT_TRUE(g_asked.empty());
}

TEST_F(PopupTest, ShowRequestOpensOnceAndEscapeClosesWithTheFocusBackInTheOwner)
{
    TEdit* list = nullptr;
    TcxCustomPopupWindow* popup = MakePopup(&list);
    TMessageSequence seq;
    seq.Watch(form, "form", {WM_NCACTIVATE});
    seq.Watch(popup, "popup", {WM_SHOWWINDOW});
    seq.Watch(inner, "inner", {WM_SETFOCUS, WM_KILLFOCUS});
    seq.Watch(list, "list", {WM_SETFOCUS, WM_KILLFOCUS});
    int openInShown = 0;
    // Whether the popup is the one in transition (its own activation and focus changes).
    auto marked = [&](const char* name) {
        return std::string(name) + (TcxCustomPopupWindow::PopupInTransition() == popup ? " (marked)" : "");
    };
    popup->OnShowing = [&](TObject*) { seq.Event("popup", marked("OnShowing")); };
    popup->OnHide = [&](TObject*) { seq.Event("popup", marked("OnHide")); };
    popup->OnShown = [&](TObject*) {
        seq.Event("popup", "OnShown");
        if (openInShown++)
            return;
        EXPECT_EQ(1u, TcxCustomPopupWindow::OpenPopups().size());
        PostMessageW(popup->Handle(), CXM_SHOWPOPUPWINDOW, reinterpret_cast<WPARAM>(list->Handle()), 0);
        PostMessageW(list->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    };
    TcxPopupCloseReason reason = pcrClosed;
    popup->OnClosing = [&](TObject*, TcxPopupCloseReason) { seq.Event("popup", "OnClosing"); };
    popup->OnClosed = [&](TObject*, TcxPopupCloseReason r) {
        seq.Event("popup", marked("OnClosed"));
        reason = r;
    };
    PostMessageW(popup->Handle(), CXM_SHOWPOPUPWINDOW, reinterpret_cast<WPARAM>(list->Handle()), 0);
    ASSERT_TRUE(PumpUntil([&] { return seq.Recorded().size() > 3 && !popup->IsOpen(); }));
    EXPECT_SCREEN_FRESH();

    EXPECT_EQ(pcrCancel, reason);
    EXPECT_TRUE(inner->Focused());
    const unsigned w = qvtest::seqWParam;
    EXPECT_TRUE(seq.Matches({{"popup", "OnShowing (marked)"},
                             {"popup", WM_SHOWWINDOW, w, TRUE},
                             {"form", WM_NCACTIVATE, w, FALSE},
                             {"form", WM_NCACTIVATE, w, TRUE},  // the owner form keeps its active title bar
                             {"inner", WM_KILLFOCUS},
                             {"list", WM_SETFOCUS},
                             {"popup", "OnShown"},
                             // the second show request changed nothing; Escape:
                             {"popup", "OnClosing"},
                             {"popup", WM_SHOWWINDOW, w, FALSE},
                             {"form", WM_NCACTIVATE, w, TRUE},
                             {"list", WM_KILLFOCUS},
                             {"inner", WM_SETFOCUS},
                             {"popup", "OnHide (marked)"},
                             {"popup", "OnClosed"}},
                            "show request twice, then Escape"));
}

TEST_F(PopupTest, RefusedCloseQueryKeepsThePopupOpenAndResetsTheModalResult)
{
    auto other = new TEdit(form);  // the form's focused control while the popup opens
    other->SetBounds(10, 60, 100, 20);
    other->SetParent(form);
    other->SetFocus();
    TcxCustomPopupWindow* popup = MakePopup();
    TMessageSequence seq;
    seq.Watch(inner, "inner", {WM_SETFOCUS, CM_EXIT});
    popup->OnShown = [&](TObject*) {
        SetCapture(popup->Handle());
        popup->SetModalResult(mrOk);
    };
    popup->OnCloseQuery = [&](TObject*, bool& canClose) {
        canClose = false;
        seq.Event("popup", "query refused");
        PostMessageW(popup->Handle(), CXM_CLOSEPOPUPWINDOW, 0, 0);
    };
    popup->OnClosing = [&](TObject*, TcxPopupCloseReason r) {
        seq.Event("popup", IsWindowVisible(popup->Handle()) && r == pcrOwner ? "closing by owner" : "closing");
        seq.Event("popup", "modal result " + std::to_string(popup->ModalResult()));
    };
    popup->Popup();
    EXPECT_SCREEN_FRESH();
    EXPECT_FALSE(popup->IsOpen());
    EXPECT_EQ(nullptr, GetCapture());
    // The focus comes back to the owner, not to the control the form had focused;
    // the close request neither asks nor makes the inner edit leave: its window
    // only hears of the focus again.
    EXPECT_TRUE(seq.Matches({{"popup", "query refused"},
                             {"popup", "closing by owner"},
                             {"popup", "modal result 0"},
                             {"inner", WM_SETFOCUS},
                             {"inner", WM_SETFOCUS}},
                            "modal result refused, then the owner's close request"));
}

TEST_F(PopupTest, AltAltEnterAndAltSpaceNeverReachTheSystemMenu)
{
    TEdit* list = nullptr;
    TcxCustomPopupWindow* popup = MakePopup(&list);
    TMessageSequence seq;
    const std::set<UINT> keys{WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR, WM_SYSCOMMAND};
    seq.Watch(form, "form", keys);
    seq.Watch(popup, "popup", keys);
    seq.Watch(list, "list", keys);
    const LPARAM down = 0x20000001, up = static_cast<LPARAM>(0xE0000001);
    popup->OnShown = [&](TObject*) {
        for (WORD key : {WORD(0), WORD(VK_RETURN), WORD(VK_SPACE)}) {
            PostMessageW(list->Handle(), WM_SYSKEYDOWN, VK_MENU, down);
            if (key) {
                PostMessageW(list->Handle(), WM_SYSKEYDOWN, key, down);
                PostMessageW(list->Handle(), WM_SYSKEYUP, key, up);
            }
            PostMessageW(list->Handle(), WM_SYSKEYUP, VK_MENU, up);
        }
        PostMessageW(popup->Handle(), CXM_CLOSEPOPUPWINDOW, 0, 0);
    };
    PostMessageW(popup->Handle(), CXM_SHOWPOPUPWINDOW, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !seq.Recorded().empty() && !popup->IsOpen(); }));
    EXPECT_SCREEN_FRESH();
    const unsigned w = qvtest::seqWParam;
    EXPECT_TRUE(seq.Matches({{"list", WM_SYSKEYUP, w, VK_MENU},
                             {"list", WM_SYSKEYUP, w, VK_RETURN},
                             {"list", WM_SYSKEYUP, w, VK_MENU},
                             {"list", WM_SYSKEYUP, w, VK_SPACE},
                             {"list", WM_SYSKEYUP, w, VK_MENU}},
                            "only the releases arrive; no system character, no system command"));
}

TEST_F(PopupTest, ActivationElsewhereClosesTheNewerPopupsUpToTheOneActivated)
{
    TEdit* list = nullptr;
    TcxCustomPopupWindow* outer = MakePopup(&list);
    outer->SetModalLoop(false);
    TcxCustomPopupWindow* nested = MakePopup(nullptr, list);  // owned by the edit inside the first
    nested->SetModalLoop(false);
    TMessageSequence seq;
    outer->OnClosed = [&](TObject*, TcxPopupCloseReason) { seq.Event("outer", "OnClosed"); };
    nested->OnClosed = [&](TObject*, TcxPopupCloseReason) { seq.Event("nested", "OnClosed"); };
    auto open = [&](TcxCustomPopupWindow* p) {
        p->Popup();
        ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == p->Handle(); }));
    };
    open(outer);
    open(nested);
    EXPECT_EQ(outer->Handle(), GetWindow(nested->Handle(), GW_OWNER)) << "owned by its owner's form";
    ASSERT_EQ((std::vector<TcxCustomPopupWindow*>{outer, nested}), TcxCustomPopupWindow::OpenPopups());

    seq.Mark("outer activated");
    SetActiveWindow(outer->Handle());
    qvtest::Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(outer->IsOpen());

    open(nested);
    SendMessageW(nested->Handle(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_TRUE(nested->IsOpen()) << "leaving the application alone closes nothing";
    seq.Mark("form activated");
    SetActiveWindow(form->Handle());
    qvtest::Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(TcxCustomPopupWindow::OpenPopups().empty());
    EXPECT_TRUE(inner->Focused());
    EXPECT_TRUE(seq.Matches({{"--", "outer activated"}, {"nested", "OnClosed"}, {"--", "form activated"},
                             {"nested", "OnClosed"}, {"outer", "OnClosed"}},
                            "newest first, up to the window activated"));

    // A popup its owner closes takes no other popup with it.
    TcxCustomPopupWindow* floating = MakePopup();
    floating->SetCaptureFocus(false);
    floating->Popup(inner);
    EXPECT_SCREEN_FRESH();
    open(outer);
    SendMessageW(outer->Handle(), CXM_CLOSEPOPUPWINDOW, 0, 0);
    EXPECT_EQ((std::vector<TcxCustomPopupWindow*>{floating}), TcxCustomPopupWindow::OpenPopups());
    floating->ClosePopup();
    EXPECT_SCREEN_FRESH();
}

TEST_F(PopupTest, PlainPopupKeepsTheTitleBarActiveAndClosesWithTheApplication)
{
    TcxPopupWindow popup(nullptr);
    popup.SetBounds(0, 0, 50, 50);
    TMessageSequence seq;
    seq.Watch(form, "form", {WM_NCACTIVATE});
    popup.SetOwnerParent(form);
    popup.SetOwnerBounds(editor->BoundsRect());
    popup.Popup();
    EXPECT_SCREEN_FRESH();
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == popup.Handle(); }));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(form->Handle(), popup.PrevActiveWindow());
    EXPECT_TRUE(GetWindowLongPtrW(popup.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    SendMessageW(popup.Handle(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(IsWindowVisible(popup.Handle()));
    const unsigned w = qvtest::seqWParam;
    EXPECT_TRUE(seq.Matches({{"form", WM_NCACTIVATE, w, FALSE}, {"form", WM_NCACTIVATE, w, TRUE},
                             {"form", WM_NCACTIVATE, w, FALSE}, {"form", WM_NCACTIVATE, w | qvtest::seqOptional, TRUE}},
                            "activated, then the application deactivated"));
}

TEST_F(PopupTest, ModeChangesRecreateTheWindowAndReopenAnOpenPopup)
{
    TEdit* list = nullptr;
    TcxCustomPopupWindow* popup = MakePopup(&list);
    popup->SetModalLoop(false);
    popup->Popup();
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(list->Focused()) << "no control named: the first tab stop inside";
    HWND wnd = popup->Handle();
    EXPECT_EQ(WS_POPUP, GetWindowLongPtrW(wnd, GWL_STYLE) & (WS_POPUP | WS_CHILD));
    EXPECT_EQ(form->Handle(), GetWindow(wnd, GW_OWNER));
    EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    form->SetFormStyle(TFormStyle::fsStayOnTop);
    popup->SetTopmostLikeParent(true);
    EXPECT_TRUE(GetWindowLongPtrW(popup->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "the form is topmost now";

    TMessageSequence seq;
    popup->OnClosed = [&](TObject*, TcxPopupCloseReason) { seq.Event("popup", "OnClosed"); };
    popup->OnShown = [&](TObject*) { seq.Event("popup", "OnShown"); };
    const TWndMethod previous = popup->WindowProc();
    popup->SetWindowProc([&](TMessage& m) {
        if (m.Msg == WM_CREATE)
            seq.Event("popup", popup->IsOpen() ? "made while listed" : "made unlisted");
        previous(m);
    });
    popup->SetCaptureFocus(false);
    popup->SetWindowProc(previous);
    EXPECT_TRUE(seq.Matches({{"popup", "OnClosed"}, {"popup", "made while listed"}, {"popup", "OnShown"}},
                            "closed, made again, shown again"));
    wnd = popup->Handle();
    EXPECT_EQ(DWORD(WS_CHILD), GetWindowLongPtrW(wnd, GWL_STYLE) & (WS_POPUP | WS_CHILD));
    EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetDesktopWindow(), GetAncestor(wnd, GA_PARENT)) << "set loose from the owner";
    EXPECT_TRUE(IsWindowVisible(wnd));
    EXPECT_EQ(form->Handle(), GetActiveWindow()) << "a floating popup is never activated";
    EXPECT_TRUE(popup->IsOpen());
    popup->ClosePopup();
    EXPECT_SCREEN_FRESH();

    // The keys an editor leaves to its open popup: paging, Home, End, arrows and F4.
    for (WORD key : {VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_F4})
        EXPECT_TRUE(popup->IsPopupKey(key)) << key;
    for (WORD key : {VK_SPACE, VK_SELECT, VK_RETURN, VK_ESCAPE, VK_TAB, VK_F3, VK_F5})
        EXPECT_FALSE(popup->IsPopupKey(key)) << key;
}

TEST_F(PopupTest, DestroyingThePopupOrItsOwnerWhileOpenLeavesNothingBehind)
{
    // The popup deletes itself from its shown hook.
    TcxCustomPopupWindow* popup = MakePopup();
    HWND wnd = popup->Handle();
    popup->OnShown = [&](TObject*) { delete popup; };
    popup->Popup();
    EXPECT_SCREEN_FRESH();
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_TRUE(TcxCustomPopupWindow::OpenPopups().empty());

    // A closing hook destroys the owner, and with it the popup.
    popup = MakePopup();
    int closed = 0;
    popup->OnClosing = [&](TObject*, TcxPopupCloseReason) { delete editor; };
    popup->OnClosed = [&](TObject*, TcxPopupCloseReason) { ++closed; };
    popup->OnShown = [&](TObject*) { PostMessageW(popup->Handle(), WM_KEYDOWN, VK_ESCAPE, 1); };
    popup->Popup();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(0, closed);
    EXPECT_TRUE(TcxCustomPopupWindow::OpenPopups().empty());

    // The owner goes while a popup it does not own is open: the popup just disappears.
    auto owner = new TEdit(form);
    owner->SetBounds(10, 60, 100, 20);
    owner->SetParent(form);
    std::unique_ptr<TcxCustomPopupWindow> loose(MakePopup(nullptr, owner));
    owner->RemoveComponent(loose.get());
    loose->OnClosed = [&](TObject*, TcxPopupCloseReason) { ++closed; };
    loose->OnShown = [&](TObject*) { delete owner; };
    loose->Popup();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(0, closed) << "its hooks belong to the owner";
    EXPECT_FALSE(IsWindowVisible(loose->Handle()));
    EXPECT_EQ(nullptr, loose->OwnerControl());
}

TEST_F(PopupTest, SizeWrapsTheChildrenOnceInsideTheFrame)
{
    TcxPopupWindow plain(nullptr);
    auto child = new TEdit(&plain);
    child->SetBounds(0, 0, 50, 20);
    child->SetParent(&plain);
    plain.SetPopupBorderStyle(pbsSingle);
    plain.SetBorderSpace(2);
    for (int time = 1; time <= 2; ++time) {
        plain.Popup();
        EXPECT_EQ(Rect(3, 3, 53, 23), child->BoundsRect()) << "opening " << time;
        EXPECT_EQ(56, plain.Width()) << "opening " << time;
        EXPECT_EQ(26, plain.Height());
        plain.ClosePopup();
    }
    TcxCustomPopupWindow* popup = MakePopup();
    popup->Style().SetShadow(true);
    popup->SetModalLoop(false);
    popup->Popup();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(Rect(0, 0, 205, 105), Rect(0, 0, popup->Width(), popup->Height())) << "1-pixel frame, 3-pixel shadow";
    EXPECT_EQ(Rect(1, 1, 201, 101), popup->ViewInfo().ClientRect);
    popup->ClosePopup();
    EXPECT_SCREEN_FRESH();
}

TEST_F(PopupTest, FramesOfTheFourBorderStyles)
{
    TcxPopupWindow popup(nullptr);
    popup.SetAdjustable(false);
    popup.SetBounds(0, 0, 40, 30);
    popup.SetFrameColor(clRed);
    popup.SetOwnerBounds(Rect(200, 200, 240, 220));
    auto shot = [&](TcxPopupBorderStyle style) {
        popup.SetPopupBorderStyle(style);
        popup.Popup();
        qvtest::Pump();
        RedrawWindow(popup.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return TScreenPixels::OfClient(popup.Handle());
    };
    auto rgb = [](TColor c) { return ColorToRGB(c); };
    TScreenPixels none = shot(pbsNone);
    EXPECT_TRUE(none.AllIn(Rect(0, 0, 40, 30), rgb(clBtnFace)));
    TScreenPixels single = shot(pbsSingle);
    EXPECT_TRUE(single.AllIn(Rect(0, 0, 40, 1), rgb(clRed)));
    EXPECT_TRUE(single.AllIn(Rect(39, 0, 40, 30), rgb(clRed)));
    EXPECT_TRUE(SameColor(rgb(clBtnFace), single.At(1, 1)));
    TScreenPixels edge = shot(pbs3D);
    EXPECT_TRUE(SameColor(rgb(clBtnHighlight), edge.At(0, 0)));
    EXPECT_TRUE(SameColor(rgb(clBtnShadow), edge.At(39, 29)));
    EXPECT_TRUE(SameColor(rgb(clBtnFace), edge.At(1, 1)));
    TScreenPixels twice = shot(pbsDouble3D);
    EXPECT_TRUE(SameColor(rgb(cl3DDkShadow), twice.At(39, 29)));
    EXPECT_TRUE(SameColor(rgb(clBtnHighlight), twice.At(1, 1)));
    EXPECT_TRUE(SameColor(rgb(clBtnShadow), twice.At(38, 28)));
}

TEST_F(PopupTest, ScreenshotOfAPopupUnderAnEditor)
{
    // Written for a person to look at: the form with the editor and its popup open below.
    TEdit* list = nullptr;
    TcxCustomPopupWindow* popup = MakePopup(&list);
    list->SetText(L"popup contents");
    popup->SetModalLoop(false);
    popup->Popup(list);
    EXPECT_SCREEN_FRESH();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(popup->Handle()); }));
    EXPECT_SCREEN_FRESH();
    qvtest::Pump();
    EXPECT_SCREEN_FRESH();
    const RECT all = Rect(WindowRect(form->Handle()).left, WindowRect(form->Handle()).top,
                          WindowRect(form->Handle()).right, WindowRect(popup->Handle()).bottom + 10);
    TScreenPixels shot(all);
    TBitmap sheet(shot.Width(), shot.Height());
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            sheet.Bits()[y * shot.Width() + x] = GetRValue(shot.At(x, y)) << 16 | GetGValue(shot.At(x, y)) << 8
                | GetBValue(shot.At(x, y));
    EXPECT_TRUE(qvtest::WritePng(sheet, L"popup_open.png"));
    // The popup's ultra-flat frame, and the edit inside it.
    TScreenPixels frame = TScreenPixels::OfClient(popup->Handle());
    EXPECT_TRUE(frame.AllIn(Rect(0, 0, frame.Width(), 1), ColorToRGB(clBtnShadow)));
    EXPECT_TRUE(SameColor(ColorToRGB(clWindow), frame.At(frame.Width() - 3, frame.Height() - 3)));
    popup->ClosePopup();
    EXPECT_SCREEN_FRESH();
}

TEST_F(PopupTest, CentredPopupsAndTheHorizontalFlips)
{
    TcxPopupWindow popup(nullptr);
    popup.SetAdjustable(false);
    popup.SetBounds(0, 0, 100, 60);
    struct Row {
        const char* what;
        TcxPopupDirection direction;
        TcxPopupAlignHorz horz;
        TcxPopupAlignVert vert;
        RECT owner;
        POINT expected;
    };
    const LONG l = work.left, t = work.top, r = work.right, b = work.bottom;
    const Row rows[] = {
        {"centred below", pdVertical, pahCenter, pavBottom, Rect(l + 300, t + 200, l + 340, t + 220), {l + 270, t + 220}},
        {"centred below, kept inside on the left", pdVertical, pahCenter, pavBottom, Rect(l + 10, t + 200, l + 30, t + 220),
         {l, t + 220}},
        {"beside, centred vertically", pdHorizontal, pahRight, pavCenter, Rect(l + 300, t + 200, l + 340, t + 220),
         {l + 340, t + 180}},
        {"beside, centred, kept inside at the top", pdHorizontal, pahRight, pavCenter, Rect(l + 300, t + 5, l + 340, t + 25),
         {l + 340, t}},
        {"right of the owner", pdHorizontal, pahRight, pavTop, Rect(l + 300, t + 200, l + 340, t + 220), {l + 340, t + 200}},
        {"no room on the right: to the left", pdHorizontal, pahRight, pavTop, Rect(r - 60, t + 200, r - 20, t + 220),
         {r - 160, t + 200}},
        {"left of the owner", pdHorizontal, pahLeft, pavBottom, Rect(l + 300, t + 200, l + 340, t + 220), {l + 200, t + 160}},
        {"no room on the left: to the right", pdHorizontal, pahLeft, pavBottom, Rect(l + 20, t + 200, l + 60, t + 220),
         {l + 60, t + 160}},
        {"neither side has more room: stays, kept inside", pdHorizontal, pahRight, pavTop,
         Rect(l + (r - l) / 2 - 20, t + 200, l + (r - l) / 2 + 20, t + 220), {l + (r - l) / 2 + 20, t + 200}},
        {"centred above the bottom", pdVertical, pahCenter, pavBottom, Rect(l + 300, b - 30, l + 340, b - 10),
         {l + 270, b - 90}},
    };
    for (const Row& row : rows) {
        popup.SetDirection(row.direction);
        popup.SetAlignHorz(row.horz);
        popup.SetAlignVert(row.vert);
        popup.SetOwnerBounds(row.owner);
        const POINT p = popup.CalculatePosition();
        EXPECT_EQ(row.expected, p) << row.what << ": " << p.x << "," << p.y;
        EXPECT_EQ(row.horz, popup.AlignHorz()) << "the flip works on a copy";
    }
}

TEST_F(PopupTest, AShadowedPopupCutsItsCornersOffAndShowsWhatLiesBelowThem)
{
    TcxCustomPopupWindow* popup = MakePopup();
    popup->Style().SetShadow(true);
    popup->SetCaptureFocus(false);
    popup->Popup(inner);
    EXPECT_SCREEN_FRESH();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(popup->Handle()); }));
    EXPECT_SCREEN_FRESH();
    // The form below changes its colour: the cut corners show the new one.
    form->SetColor(clRed);
    qvtest::Pump();
    EXPECT_SCREEN_FRESH();
    const RECT w = WindowRect(popup->Handle());
    auto corner = [&](int x, int y) {
        return TScreenPixels(Rect(x, y, x + 1, y + 1)).At(0, 0);
    };
    EXPECT_TRUE(PumpUntil([&] {
        return SameColor(RGB(255, 0, 0), corner(w.right - 2, w.top + 1)) && SameColor(RGB(255, 0, 0), corner(w.left + 1, w.bottom - 2));
    }, 2000)) << "top right " << qvtest::Hex(corner(w.right - 2, w.top + 1)) << ", bottom left "
              << qvtest::Hex(corner(w.left + 1, w.bottom - 2));
    EXPECT_TRUE(SameColor(ColorToRGB(clBtnShadow), corner(w.right - 2, w.top + 4))) << "the shadow";
    popup->ClosePopup();
    EXPECT_SCREEN_FRESH();

    // The shadow switched on while the popup is open.
    popup->Style().SetShadow(false);
    popup->Popup(inner);
    EXPECT_SCREEN_FRESH();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(popup->Handle()); }));
    EXPECT_SCREEN_FRESH();
    popup->Style().SetShadow(true);
    form->SetColor(clLime);
    qvtest::Pump();
    EXPECT_SCREEN_FRESH();
    const RECT v = WindowRect(popup->Handle());
    EXPECT_TRUE(PumpUntil([&] {
        return SameColor(RGB(0, 255, 0), corner(v.right - 2, v.top + 1)) && SameColor(RGB(0, 255, 0), corner(v.left + 1, v.bottom - 2));
    }, 2000)) << "top right " << qvtest::Hex(corner(v.right - 2, v.top + 1));
    popup->ClosePopup();
    EXPECT_SCREEN_FRESH();
}
