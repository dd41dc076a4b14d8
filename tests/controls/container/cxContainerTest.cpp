// Bordered containers on real windows: what reaches the screen in each state, how
// styles and controllers resolve values, focus and Tab through the inner control,
// and that nothing dangles or leaks.
#include "controls/container/cxContainer.h"
#include "controls/lookandfeel/cxLookAndFeelPainters.h"
#include "support/PngWriter.h"
#include "framework/Forms.h"
#include "framework/FrameworkTestSupport.h"
#include "framework/StdCtrls.h"
#include "support/MessageSequence.h"
#include "support/ScreenCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

using namespace qv;
using qvtest::Hex;
using qvtest::PumpUntil;
using qvtest::SameColor;
using qvtest::TMessageSequence;
using qvtest::TScreenPixels;

namespace {

COLORREF Rgb(TColor c) { return ColorToRGB(c); }

struct ContainerTest : ::testing::Test {
    TForm* form = nullptr;
    TcxContainer* box = nullptr;
    TEdit* inner = nullptr;
    TEdit* before = nullptr;
    TEdit* after = nullptr;

    void SetUp() override
    {
        SetCursorPos(0, 0);
        form = NewForm<TForm>(nullptr);
        form->SetBounds(100, 100, 320, 200);
        form->SetClientSize(300, 160);
        form->SetColor(clBtnFace);
        before = MakeEdit(10, 10);
        box = new TcxContainer(form);
        box->SetBounds(10, 50, 121, 21);
        box->SetParent(form);
        inner = new TEdit(form);
        inner->SetBorderStyle(TBorderStyle::bsNone);
        inner->SetText(L"abc");
        box->SetInnerControl(inner);
        after = MakeEdit(10, 100);
        form->Show();
        before->SetFocus();
        qvtest::Pump();
    }
    void TearDown() override { delete form; }

    TEdit* MakeEdit(int x, int y)
    {
        auto e = new TEdit(form);
        e->SetBounds(x, y, 80, 20);
        e->SetParent(form);
        return e;
    }

    TScreenPixels Shot()
    {
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        return TScreenPixels::OfClient(box->Handle());
    }

    POINT ScreenCenter() const { return box->ClientToScreen(POINT{box->Width() / 2, box->Height() / 2}); }

    void Hover()
    {
        POINT p = ScreenCenter();
        SetCursorPos(p.x, p.y);
        POINT c = inner->ScreenToClient(p);
        PostMessageW(inner->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
        ASSERT_TRUE(PumpUntil([&] { return box->ViewInfo().ContainerState.Contains(csHot); }));
        EXPECT_SCREEN_FRESH();
    }
    void Unhover()
    {
        SetCursorPos(0, 0);
        ASSERT_TRUE(PumpUntil([&] { return !box->ViewInfo().ContainerState.Contains(csHot); }));
        EXPECT_SCREEN_FRESH();
    }

    // The colour of the frame ring drawn one pixel inside the bounds.
    ::testing::AssertionResult FrameIs(const TScreenPixels& shot, TColor color)
    {
        const int w = shot.Width(), h = shot.Height();
        for (RECT side : {Rect(1, 1, w - 1, 2), Rect(1, h - 2, w - 1, h - 1), Rect(1, 1, 2, h - 1),
                          Rect(w - 2, 1, w - 1, h - 1)})
            if (auto r = shot.AllIn(side, Rgb(color)); !r)
                return r;
        return ::testing::AssertionSuccess();
    }
};

} // namespace

TEST_F(ContainerTest, DefaultStyleDrawsAShadowFrameThatHighlightsOnFocusAndHover)
{
    TcxContainerViewInfo& vi = box->ViewInfo();
    EXPECT_EQ(Rect(2, 2, 119, 19), vi.BorderRect) << "2 pixels in on every side";
    EXPECT_EQ(vi.BorderRect, vi.ClientRect);
    EXPECT_EQ(vi.ClientRect, inner->BoundsRect()) << "the inner control fills the client rectangle";

    EXPECT_SCREEN_FRESH();
    TScreenPixels idle = Shot();
    EXPECT_TRUE(FrameIs(idle, clBtnShadow));
    EXPECT_TRUE(idle.AllIn(Rect(0, 0, 121, 1), Rgb(clBtnFace))) << "the outer ring shows the parent";
    EXPECT_TRUE(idle.AllIn(Rect(0, 0, 1, 21), Rgb(clBtnFace)));
    EXPECT_TRUE(SameColor(Rgb(clWindow), idle.At(2, 2))) << "inside the frame";

    box->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return inner->Focused(); })) << "the focus goes on to the inner control";
    EXPECT_TRUE(box->Focused());
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(FrameIs(Shot(), clHighlight)) << "focused";

    after->SetFocus();
    qvtest::Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(FrameIs(Shot(), clBtnShadow)) << "after the focus left";
    Hover();
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(FrameIs(Shot(), clHighlight)) << "hovered";
    Unhover();
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(FrameIs(Shot(), clBtnShadow)) << "after the mouse left";
}

TEST_F(ContainerTest, DisabledContainerFillsWithButtonFace)
{
    box->SetEnabled(false);
    qvtest::Pump();
    EXPECT_TRUE(box->ViewInfo().ContainerState == TcxContainerState{csDisabled});
    EXPECT_EQ(clBtnFace, box->ViewInfo().BackgroundColor);
    EXPECT_FALSE(inner->Enabled()) << "the inner control follows";
    EXPECT_SCREEN_FRESH();
    TScreenPixels shot = Shot();
    EXPECT_TRUE(SameColor(Rgb(clBtnFace), shot.At(2, 2)));
    EXPECT_TRUE(FrameIs(shot, clBtnShadow));
}

TEST_F(ContainerTest, BorderStyleTableAndExtentsFollowHotStateAndShadow)
{
    TcxContainerStyle& style = box->Style();
    TcxContainerViewInfo& vi = box->ViewInfo();
    struct Row {
        TcxContainerBorderStyle style;
        TcxContainerBorderStyle idle, active;
    };
    const Row rows[] = {{cbsNone, cbsNone, cbsFlat},     {cbsSingle, cbsSingle, cbsThick}, {cbsThick, cbsThick, cbsThick},
                        {cbsFlat, cbsFlat, cbs3D},       {cbs3D, cbs3D, cbs3D},            {cbsUltraFlat, cbsSingle, cbsSingle}};
    for (const Row& row : rows) {
        style.SetBorderStyle(row.style);
        before->SetFocus();
        qvtest::Pump();
        EXPECT_EQ(row.idle, vi.BorderStyle) << "style " << row.style;
        EXPECT_EQ(chsNormal, vi.HotState);
        box->SetFocus();
        qvtest::Pump();
        EXPECT_EQ(row.active, vi.BorderStyle) << "style " << row.style << " focused";
        EXPECT_EQ(chsSelected, vi.HotState);
        EXPECT_EQ(Rect(2, 2, 119, 19), vi.BorderRect) << "hot tracking keeps the inner control still";
    }

    // Hot tracking alone keeps the 2 pixels; without it nor a transparent border the
    // extents are the border width.
    style.SetTransparentBorder(false);
    EXPECT_EQ(Rect(2, 2, 119, 19), vi.BorderRect);
    style.SetHotTrack(false);
    for (const Row& row : rows) {
        style.SetBorderStyle(row.style);
        EXPECT_EQ(chsNoHotTrack, vi.HotState);
        EXPECT_EQ(row.idle, vi.BorderStyle) << "focused, but not hot-tracking";
        int w = GetContainerBorderWidth(row.idle);
        EXPECT_EQ(Rect(w, w, 121 - w, 21 - w), vi.BorderRect) << "style " << row.style;
    }

    style.SetBorderStyle(cbsSingle);
    style.SetBorderColor(clRed);
    style.SetShadow(true);
    EXPECT_EQ(Rect(1, 1, 117, 17), vi.BorderRect) << "3 more pixels right and below";
    before->SetFocus();
    qvtest::Pump();
    EXPECT_SCREEN_FRESH();
    TScreenPixels shot = Shot();
    // Frame 0..117 x 0..17; shadow bands below (from left + 3) and right (from top + 3).
    EXPECT_TRUE(shot.AllIn(Rect(0, 0, 118, 1), Rgb(clRed)));
    EXPECT_TRUE(shot.AllIn(Rect(3, 18, 118, 21), Rgb(clBtnShadow))) << "band below";
    EXPECT_TRUE(shot.AllIn(Rect(118, 3, 121, 21), Rgb(clBtnShadow))) << "band right";
    EXPECT_TRUE(shot.AllIn(Rect(0, 18, 3, 21), Rgb(clBtnFace))) << "the corner left of the band shows the parent";
    EXPECT_TRUE(shot.AllIn(Rect(118, 0, 121, 3), Rgb(clBtnFace)));
}

TEST_F(ContainerTest, NoBorderWithHotTrackShowsAFlatBorderOnlyWhileHotOrFocused)
{
    box->Style().SetBorderStyle(cbsNone);
    EXPECT_SCREEN_FRESH();
    TScreenPixels idle = Shot();
    EXPECT_TRUE(idle.AllIn(Rect(0, 0, 121, 2), Rgb(clBtnFace))) << "no border, the ring shows the parent";
    Hover();
    EXPECT_SCREEN_FRESH();
    TScreenPixels hot = Shot();
    // The flat border: a sunken outer edge, shadow on the left and top.
    EXPECT_TRUE(SameColor(Rgb(clBtnShadow), hot.At(5, 0)));
    EXPECT_TRUE(SameColor(Rgb(clBtnHighlight), hot.At(5, 20)));
    EXPECT_TRUE(SameColor(Rgb(clBtnFace), hot.At(5, 1))) << "the inner face-coloured frame";
    Unhover();
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(Shot().AllIn(Rect(0, 0, 121, 2), Rgb(clBtnFace)));
}

TEST_F(ContainerTest, ContextMenuRequestOutsideTheClientRectangleIsConsumed)
{
    int asked = 0;
    box->OnContextPopup = [&](TObject*, POINT, bool&) { ++asked; };
    POINT border = box->ClientToScreen(POINT{0, 0});
    EXPECT_EQ(1, SendMessageW(box->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(box->Handle()),
                              MAKELPARAM(border.x, border.y)));
    EXPECT_EQ(0, asked);
    SendMessageW(box->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(box->Handle()), MAKELPARAM(-1, -1));
    EXPECT_EQ(1, asked) << "from the keyboard the request goes on";
}

TEST_F(ContainerTest, FocusAndTabGoThroughTheInnerControl)
{
    TMessageSequence seq;
    for (auto [c, name] : {std::pair<TControl*, const char*>{before, "before"}, {box, "box"}, {inner, "inner"},
                           {after, "after"}})
        seq.Watch(c, name, {WM_SETFOCUS, WM_KILLFOCUS, CM_ENTER, CM_EXIT});
    auto key = [&](WORD vk, bool shift = false) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
        PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
        qvtest::Pump();
        state[VK_SHIFT] = 0;
        SetKeyboardState(state);
    };

    key(VK_TAB);
    ASSERT_TRUE(inner->Focused()) << "Tab from the control before lands in the inner control";
    key(VK_TAB);
    ASSERT_TRUE(after->Focused());
    key(VK_TAB, true);
    ASSERT_TRUE(inner->Focused()) << "Shift+Tab comes back to the inner control";
    key(VK_TAB, true);
    ASSERT_TRUE(before->Focused()) << "and leaves past the container";

    // The window that takes the focus tells the form, which then tells the controls
    // that the focus left (innermost first) and those it entered (outermost first).
    EXPECT_TRUE(seq.Matches({{"before", WM_KILLFOCUS}, {"inner", WM_SETFOCUS}, {"before", CM_EXIT},
                             {"box", CM_ENTER}, {"inner", CM_ENTER},
                             {"inner", WM_KILLFOCUS}, {"after", WM_SETFOCUS}, {"inner", CM_EXIT}, {"box", CM_EXIT},
                             {"after", CM_ENTER},
                             {"after", WM_KILLFOCUS}, {"inner", WM_SETFOCUS}, {"after", CM_EXIT}, {"box", CM_ENTER},
                             {"inner", CM_ENTER},
                             {"inner", WM_KILLFOCUS}, {"before", WM_SETFOCUS}, {"inner", CM_EXIT}, {"box", CM_EXIT},
                             {"before", CM_ENTER}},
                            "Tab, Tab, Shift+Tab, Shift+Tab"));

    // Focusing the container itself hands the focus on; it enters once.
    seq.Clear();
    box->SetFocus();
    qvtest::Pump();
    EXPECT_TRUE(inner->Focused());
    EXPECT_TRUE(seq.Matches({{"before", WM_KILLFOCUS}, {"box", WM_SETFOCUS}, {"before", CM_EXIT}, {"box", CM_ENTER},
                             {"box", WM_KILLFOCUS}, {"inner", WM_SETFOCUS}, {"inner", CM_ENTER}},
                            "SetFocus on the container"));
}

TEST_F(ContainerTest, TabOnTheContainersOwnWindowSelectsTheNextControl)
{
    inner->SetEnabled(false);  // the focus cannot move on, so the container's window keeps it
    SetFocus(box->Handle());
    qvtest::Pump();
    ASSERT_EQ(box->Handle(), GetFocus());
    EXPECT_TRUE(SendMessageW(box->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
    SendMessageW(box->Handle(), WM_KEYDOWN, VK_TAB, 1);
    EXPECT_TRUE(after->Focused());
}

TEST_F(ContainerTest, ViewInfoIsRecomputedNeverPatched)
{
    // Every order of toggling enabled, focus and hover ends in the view info that a
    // fresh calculation of the final state gives.
    std::vector<int> steps{0, 1, 2};
    do {
        for (int mask = 0; mask < 8; ++mask) {
            box->SetEnabled(true);
            before->SetFocus();
            Unhover();
            for (int step : steps) {
                bool on = mask & (1 << step);
                if (step == 0)
                    box->SetEnabled(!on);
                else if (step == 1 && on && box->Enabled())
                    box->SetFocus();
                else if (step == 2 && on && box->Enabled())
                    Hover();
                qvtest::Pump();
            }
            TcxContainerViewInfo kept;
            kept.Assign(box->ViewInfo());
            POINT p;
            GetCursorPos(&p);
            bool over = WindowFromPoint(p) == inner->Handle() || WindowFromPoint(p) == box->Handle();
            box->CalculateViewInfo(box->ScreenToClient(p), over);
            EXPECT_TRUE(kept.IsEqual(box->ViewInfo())) << "order " << steps[0] << steps[1] << steps[2] << " mask "
                                                       << mask;
        }
    } while (std::next_permutation(steps.begin(), steps.end()));
}

TEST_F(ContainerTest, HoverAndFocusCyclesLeakNoHandles)
{
    Hover();
    Unhover();
    box->SetFocus();
    before->SetFocus();
    EXPECT_SCREEN_FRESH();
    Shot();
    const int objects = TGdiCounters::LiveObjects(), dcs = TGdiCounters::LiveDCs();
    for (int i = 0; i < 1000; ++i) {
        box->Perform(CM_MOUSEENTER);
        box->ShortRefreshContainer(true);
        box->Perform(i % 2 ? CM_MOUSELEAVE : CM_FOCUSCHANGED);
        if (i % 2)
            box->SetFocus();
        else
            before->SetFocus();
        box->Repaint();
    }
    Hover();
    Unhover();
    qvtest::Pump();
    EXPECT_EQ(objects, TGdiCounters::LiveObjects());
    EXPECT_EQ(dcs, TGdiCounters::LiveDCs());
}

TEST_F(ContainerTest, NothingIsPaintedForEmptyBoundsNorOutsideThem)
{
    TBitmap bmp(60, 40);
    TcxCanvas canvas(&bmp.Canvas());
    canvas.FillRect(Rect(0, 0, 60, 40), clFuchsia);
    TcxContainerViewInfo vi;
    vi.BorderStyle = cbs3D;
    vi.BorderWidth = 2;
    vi.Shadow = true;
    for (RECT bounds : {Rect(20, 20, 20, 30), Rect(30, 20, 10, 10)}) {
        vi.Bounds = bounds;
        vi.BorderRect = Inflated(bounds, -2, -2);
        vi.Paint(canvas);
    }
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(Rgb(clFuchsia), bmp.PixelAt(x, y)) << "at " << x << "," << y;

    // A 3 x 3 container with a 3-D border and a shadow wider than itself stays in its bounds.
    vi.Bounds = Rect(10, 10, 13, 13);
    vi.BorderRect = Rect(12, 12, 10, 10);
    vi.Paint(canvas);
    int inside = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            bool in = x >= 10 && x < 13 && y >= 10 && y < 13;
            if (!in) {
                ASSERT_EQ(Rgb(clFuchsia), bmp.PixelAt(x, y)) << "outside at " << x << "," << y;
            }
            inside += in && bmp.PixelAt(x, y) != Rgb(clFuchsia);
        }
    EXPECT_GT(inside, 0);
}

// ---------------------------------------------------------------------------
// Styles and controllers (no window needed)

namespace {

struct TRecordingOwner : TPersistent, IcxContainerStyleOwner {
    int changes = 0;
    void StyleChanged(TcxContainerStyle*) override { ++changes; }
};

} // namespace

TEST(ContainerStyle, ValuesComeFromTheStyleThenTheControllerChainThenTheDefaults)
{
    TRecordingOwner owner;
    TcxContainerStyle style(&owner);
    TcxStyleController a(nullptr), b(nullptr);
    EXPECT_EQ(clWindowFrame, style.BorderColor());
    EXPECT_EQ(cbsUltraFlat, style.BorderStyle());
    EXPECT_EQ(clWindow, style.Color());
    EXPECT_TRUE(style.Edges() == cxBordersAll);
    EXPECT_TRUE(style.HotTrack());
    EXPECT_FALSE(style.Shadow());
    EXPECT_TRUE(style.TransparentBorder());

    style.SetStyleController(&a);
    a.Style().SetStyleController(&b);
    b.Style().SetBorderColor(clRed);
    b.Style().SetShadow(true);
    b.Style().Font().SetHeight(-20);
    EXPECT_EQ(clRed, style.BorderColor()) << "B's value reaches A's listed styles";
    EXPECT_TRUE(style.Shadow());
    EXPECT_EQ(-20, style.Font().Height()) << "an unassigned font follows the controller";
    EXPECT_FALSE(style.IsValueAssigned(csvFont));

    a.Style().SetBorderColor(clBlue);
    EXPECT_EQ(clBlue, style.BorderColor()) << "A's own value shadows B's";
    style.SetShadow(false);
    EXPECT_FALSE(style.Shadow()) << "the style's own value shadows both";
    EXPECT_TRUE(a.Style().Shadow());

    style.SetAssignedValues({});
    EXPECT_TRUE(style.Shadow()) << "a dropped value falls back to the chain";

    b.Style().LookAndFeel().WriteKind(lfStandard);
    EXPECT_EQ(cbs3D, style.BorderStyle()) << "the default follows the look-and-feel down the chain";
    b.Style().LookAndFeel().WriteKind(lfFlat);
    EXPECT_EQ(cbsFlat, style.BorderStyle());
}

TEST(ContainerStyle, ControllersThatWouldMakeACycleAreRefused)
{
    TcxStyleController a(nullptr), b(nullptr), c(nullptr);
    a.Style().SetStyleController(&a);
    EXPECT_EQ(nullptr, a.Style().StyleController()) << "its own controller";
    a.Style().SetStyleController(&b);
    b.Style().SetStyleController(&a);
    EXPECT_EQ(nullptr, b.Style().StyleController()) << "the controller's controller is this one";
    b.Style().SetStyleController(&c);
    c.Style().SetStyleController(&a);
    EXPECT_EQ(nullptr, c.Style().StyleController()) << "a longer loop";
    EXPECT_EQ(clWindowFrame, a.Style().BorderColor()) << "lookups still end";
}

TEST(ContainerStyle, UpdateBracketReportsOnceAndAssignCopiesInOneReport)
{
    TRecordingOwner owner;
    TcxContainerStyle style(&owner);
    style.BeginUpdate();
    style.SetBorderColor(clRed);
    style.SetShadow(true);
    style.SetEdges({bLeft});
    EXPECT_EQ(0, owner.changes);
    style.EndUpdate();
    EXPECT_EQ(1, owner.changes);

    TRecordingOwner other;
    TcxContainerStyle copy(&other);
    copy.Assign(&style);
    EXPECT_EQ(1, other.changes);
    EXPECT_EQ(clRed, copy.BorderColor());
    EXPECT_TRUE(copy.Edges() == TcxBorders{bLeft});
    EXPECT_TRUE(copy.AssignedValues() == style.AssignedValues());

    owner.changes = 0;
    style.RestoreDefaults();
    EXPECT_EQ(1, owner.changes);
    EXPECT_TRUE(style.AssignedValues().Empty());
    EXPECT_EQ(clWindowFrame, style.BorderColor());
    EXPECT_EQ(L"TransparentBorder", style.GetAssignedValueName(7));
    EXPECT_EQ(8, style.GetAssignedValuesCount());
}

TEST(ContainerStyle, ControllerTellsItsStylesAndEveryDestructionOrderLeavesNoReference)
{
    // Controller, two styles: destroyed in every order; the survivors must never
    // reach a freed object (the sanitizer-free check: values still resolve, lists shrink).
    std::vector<int> order{0, 1, 2};
    do {
        auto controller = std::make_unique<TcxStyleController>(nullptr);
        TRecordingOwner o1, o2;
        auto s1 = std::make_unique<TcxContainerStyle>(&o1);
        auto s2 = std::make_unique<TcxContainerStyle>(&o2);
        s1->SetStyleController(controller.get());
        s2->SetStyleController(controller.get());
        std::vector<TcxContainerStyle*> told;
        controller->OnStyleChanged = [&](TObject*, TcxContainerStyle* s) { told.push_back(s); };
        o1.changes = o2.changes = 0;
        controller->Style().SetBorderColor(clRed);
        EXPECT_EQ(1u, told.size());
        EXPECT_EQ(1, o1.changes);
        EXPECT_EQ(1, o2.changes);
        for (int which : order) {
            if (which == 0)
                controller.reset();
            else if (which == 1)
                s1.reset();
            else
                s2.reset();
            if (controller) {
                EXPECT_EQ(static_cast<size_t>(!!s1 + !!s2), controller->Listeners().size());
                controller->Style().SetShadow(true);
            }
            for (auto* s : {s1.get(), s2.get()})
                if (s) {
                    EXPECT_EQ(controller ? clRed : clWindowFrame, s->BorderColor());
                    EXPECT_EQ(controller.get(), s->StyleController());
                }
        }
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(ContainerStyle, DependentStyleAnswersItsFixedValuesAndSharesTheFont)
{
    TRecordingOwner owner;
    TcxContainerStyle main(&owner);
    TcxContainerStyle hot(&owner, true, &main);
    main.SetBorderColor(clRed);
    main.SetShadow(true);
    hot.SetShadow(true);
    EXPECT_EQ(clDefault, hot.BorderColor());
    EXPECT_TRUE(hot.Edges().Empty());
    EXPECT_FALSE(hot.Shadow());
    EXPECT_TRUE(hot.TransparentBorder());
    EXPECT_EQ(&main.Font(), &hot.Font());
    hot.SetBorderStyle(cbsThick);
    EXPECT_EQ(cbsThick, hot.BorderStyle());
}

TEST(ContainerStyle, ParentColorOfTheOwningControlWins)
{
    TForm* form = NewForm<TForm>(nullptr);
    form->SetColor(clYellow);
    auto box = new TcxContainer(form);
    box->SetParent(form);
    EXPECT_FALSE(box->ParentColor());
    EXPECT_EQ(clWindow, box->Color());
    EXPECT_EQ(clWindow, box->Style().Color());
    box->SetParentColor(true);
    EXPECT_EQ(clYellow, box->Style().Color());
    form->SetColor(clLime);
    EXPECT_EQ(clLime, box->Style().Color());
    EXPECT_EQ(clLime, box->ViewInfo().BackgroundColor);
    box->Style().SetColor(clRed);
    EXPECT_FALSE(box->ParentColor()) << "a colour of the style's own ends ParentColor";
    EXPECT_EQ(clRed, box->Style().Color());
    delete form;
}

TEST(ContainerStyle, ContainerLookAndFeelFollowsItsStyleAndANewControllersStyle)
{
    TForm* form = NewForm<TForm>(nullptr);
    auto box = new TcxContainer(form);
    box->SetParent(form);
    TcxStyleController controller(nullptr);
    EXPECT_EQ(&box->Style().LookAndFeel(), box->LookAndFeel().Master());
    box->Style().SetStyleController(&controller);
    EXPECT_EQ(&controller.Style().LookAndFeel(), box->Style().LookAndFeel().Master());
    controller.Style().LookAndFeel().WriteKind(lfStandard);
    EXPECT_EQ(lfStandard, box->LookAndFeel().Kind());
    EXPECT_EQ(cbs3D, box->ViewInfo().BorderStyle) << "the controller's change reached the view info";
    delete form;
}

TEST_F(ContainerTest, ScreenshotOfTheStates)
{
    // Written for a person to look at: idle, hovered, focused, disabled, one above the other.
    TBitmap sheet(125, 4 * 25);
    TcxCanvas canvas(&sheet.Canvas());
    canvas.FillRect(Rect(0, 0, 125, 100), clWhite);
    auto take = [&](int row) {
        EXPECT_SCREEN_FRESH();
        TScreenPixels s = Shot();
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
                sheet.Bits()[(row * 25 + y + 2) * 125 + x + 2] = GetRValue(s.At(x, y)) << 16
                    | GetGValue(s.At(x, y)) << 8 | GetBValue(s.At(x, y));
    };
    take(0);
    Hover();
    take(1);
    Unhover();
    box->SetFocus();
    qvtest::Pump();
    take(2);
    before->SetFocus();
    box->SetEnabled(false);
    qvtest::Pump();
    take(3);
    EXPECT_TRUE(qvtest::WritePng(sheet, L"container_states.png"));
}

TEST_F(ContainerTest, NativeStyleDrawsThroughTheSystemTheme)
{
    box->Style().LookAndFeel().WriteNativeStyle(true);
    ASSERT_TRUE(AreVisualStylesAvailable({totEdit})) << "the test prefix names a theme";
    TcxContainerViewInfo& vi = box->ViewInfo();
    EXPECT_TRUE(vi.NativeStyle);
    EXPECT_EQ(totEdit, vi.ThemedObjectType);
    TColor ring = clNone;
    ASSERT_TRUE(cxGetThemeColor(totComboBox, 1, 1, 3801, ring));
    EXPECT_SCREEN_FRESH();
    TScreenPixels shot = Shot();
    EXPECT_TRUE(SameColor(Rgb(ring), shot.At(0, 0))) << "the ring outside the theme's content is its border colour";
    EXPECT_TRUE(SameColor(Rgb(clWindow), shot.At(60, 3)));

    box->SetEnabled(false);
    TColor fill = clNone;
    if (cxGetThemeColor(totEdit, 1, 4, 3802, fill)) {
        EXPECT_EQ(fill, box->ViewInfo().BackgroundColor) << "a disabled themed container takes the theme's fill";
    }
    box->Style().LookAndFeel().WriteNativeStyle(false);
    EXPECT_FALSE(box->ViewInfo().NativeStyle);
}

TEST_F(ContainerTest, AFontAssignedOnTheStyleWinsOverTheParentsFont)
{
    form->Font().SetName(L"SimSun");
    form->Font().SetHeight(-12);
    // Assigned before the container has a parent.
    auto box2 = new TcxContainer(form);
    box2->Style().Font().SetHeight(-20);
    auto inner2 = new TEdit(form);
    inner2->SetBorderStyle(TBorderStyle::bsNone);
    inner2->SetText(L"Wg");
    box2->SetInnerControl(inner2);
    box2->SetBounds(150, 10, 121, 30);
    box2->SetParent(form);
    qvtest::Pump();
    EXPECT_TRUE(box2->Style().IsValueAssigned(csvFont));
    EXPECT_EQ(-20, box2->Style().Font().Height()) << "the parent's font does not overwrite it";
    EXPECT_EQ(-20, box2->Font().Height()) << "the control shows the style's font";
    EXPECT_EQ(-20, inner2->Font().Height());
    EXPECT_SCREEN_FRESH();

    // The parent's font changes: the assigned font stays, an unassigned one follows.
    form->Font().SetHeight(-16);
    qvtest::Pump();
    EXPECT_EQ(-20, box2->Style().Font().Height());
    EXPECT_EQ(-20, box2->Font().Height());
    EXPECT_EQ(-20, inner2->Font().Height());
    EXPECT_FALSE(box->Style().IsValueAssigned(csvFont));
    EXPECT_EQ(-16, box->Style().Font().Height());
    EXPECT_EQ(-16, inner->Font().Height());
    EXPECT_SCREEN_FRESH();

    // Dropping the assignment gives the control its parent's font back.
    box2->Style().SetAssignedValues({});
    box2->SetParentFont(true);
    qvtest::Pump();
    EXPECT_EQ(-16, box2->Font().Height());
    EXPECT_EQ(-16, box2->Style().Font().Height());
    EXPECT_SCREEN_FRESH();

    // So does telling the control to follow its parent again: the style's font is
    // then no longer its own.
    box2->Style().Font().SetHeight(-20);
    EXPECT_FALSE(box2->ParentFont());
    box2->SetParentFont(true);
    qvtest::Pump();
    EXPECT_EQ(-16, box2->Font().Height());
    EXPECT_EQ(-16, box2->Style().Font().Height());
    EXPECT_FALSE(box2->Style().IsValueAssigned(csvFont));
    EXPECT_SCREEN_FRESH();
}

TEST(ContainerStyle, AssignFromADependentStyleCopiesTheFontItShows)
{
    TRecordingOwner owner, other;
    TcxContainerStyle main(&owner);
    main.Font().SetHeight(-22);
    main.Font().SetName(L"SimSun");
    TcxContainerStyle hot(&owner, true, &main);
    TcxContainerStyle copy(&other);
    copy.Assign(&hot);
    EXPECT_EQ(-22, copy.Font().Height());
    EXPECT_EQ(L"SimSun", copy.Font().Name());
    EXPECT_NE(&main.Font(), &copy.Font()) << "a main style owns its copy";
}

TEST_F(ContainerTest, TheInnerControlTakesTheContainersCursorAndDragMode)
{
    box->SetCursor(crHourGlass);
    box->SetDragMode(TDragMode::dmAutomatic);
    EXPECT_EQ(crHourGlass, inner->Cursor());
    EXPECT_EQ(TDragMode::dmAutomatic, inner->DragMode());
    // The pointer moved over the inner control shows it.
    const POINT p = ScreenCenter();
    auto moveOver = [&](int dx) {
        SetCursorPos(p.x + dx, p.y);
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_MOVE;
        in.mi.dx = 1;
        SendInput(1, &in, sizeof(INPUT));
    };
    moveOver(-20);
    EXPECT_TRUE(PumpUntil([] { return GetCursor() == LoadCursorW(nullptr, IDC_WAIT); }, 2000));
    // A control hosted later takes them too; a cursor of crDefault is the class's again.
    auto other = new TEdit(form);
    inner->SetVisible(false);
    box->SetInnerControl(other);
    EXPECT_EQ(crHourGlass, other->Cursor());
    EXPECT_EQ(TDragMode::dmAutomatic, other->DragMode());
    box->SetCursor(crDefault);
    EXPECT_EQ(crDefault, other->Cursor());
    moveOver(-10);
    EXPECT_TRUE(PumpUntil([] { return GetCursor() == LoadCursorW(nullptr, IDC_IBEAM); }, 2000)) << "the edit's own";
    EXPECT_SCREEN_FRESH();
}
