// What an edit looks like, read from the screen and from the rectangles a person sees:
// the border each style reserves and draws, the height AutoSize gives (also after a
// style or glyph change), buttons (widths, places, transparency, states), text margins,
// values lent by a style controller, and a memo's lines while it paints them itself.
#include "EditTestSupport.h"

#include "framework/Exceptions.h"

#include <functional>

using namespace qv;
using namespace qvtest;

namespace {

const COLORREF kInk = RGB(0, 0, 0);

struct ViewTest : EditFormTest {
    // A text edit on the form, its style set up before its window exists.
    TcxTextEdit* Make(const std::function<void(TcxTextEdit&)>& setUp = {}, int x = 150, int y = 120, int width = 121)
    {
        auto e = new TcxTextEdit(form);
        if (setUp)
            setUp(*e);
        e->SetBounds(x, y, width, 21);
        e->SetParent(form);
        Pump();
        EXPECT_SCREEN_FRESH();
        return e;
    }
    static TScreenPixels Shot(TcxCustomEdit* e) { return TScreenPixels::OfClient(e->Handle()); }
    static COLORREF Background(TcxCustomEdit* e) { return ColorToRGB(e->ViewInfo().BackgroundColor); }
    // The rows of a window that hold ink, as runs of rows (lines of text).
    static int InkBands(HWND wnd, RECT* inkBox = nullptr)
    {
        TScreenPixels shot = TScreenPixels::OfClient(wnd);
        int bands = 0;
        bool inBand = false;
        for (int y = 0; y < shot.Height(); ++y) {
            bool ink = false;
            for (int x = 0; x < shot.Width() && !ink; ++x)
                ink = shot.At(x, y) == kInk;
            bands += ink && !inBand;
            inBand = ink;
        }
        if (inkBox)
            *inkBox = shot.BoundsOf(kInk);
        return bands;
    }
};

// A glyph of one colour with a white corner (the corner pixel is its transparent colour).
void FillGlyph(TBitmap& glyph, int width, int height, COLORREF color)
{
    glyph.SetSize(width, height);
    GdiFlush();
    for (int i = 0; i < width * height; ++i)
        glyph.Bits()[i] = GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
    glyph.Bits()[(height - 1) * width] = 0xFFFFFF;
}

} // namespace

// ---------------------------------------------------------------------------
// Border and height

TEST_F(ViewTest, EachBorderStyleReservesItsWidthAndAutoSizeAddsItToTheLine)
{
    // Without hot tracking and a transparent border an edit reserves the width of its
    // border style.
    const struct {
        TcxEditBorderStyle style;
        int width;
    } cases[] = {{ebsNone, 0}, {ebsSingle, 1}, {ebsThick, 2}, {ebsFlat, 2}, {ebs3D, 2}, {ebsUltraFlat, 1}};
    const int line = edit->Height() - 2 * 2 - 4;  // the default edit reserves 2 (hot tracking)
    ASSERT_EQ(12, line) << "SimSun's line at -12";
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "border style " << c.style);
        TcxTextEdit* e = Make([&](TcxTextEdit& e) {
            e.Style().SetHotTrack(false);
            e.Style().SetTransparentBorder(false);
            e.Style().SetBorderStyle(c.style);
        });
        EXPECT_SCREEN_FRESH();
        EXPECT_EQ(line + 4 + 2 * c.width, e->Height());
        const RECT content = e->ViewInfo().ContentRect;
        EXPECT_EQ(Rect(c.width, c.width, e->Width() - c.width, e->Height() - c.width), content);
        // On screen: the border's pixels are not the background, the first inside is.
        TScreenPixels shot = Shot(e);
        const int mid = e->Height() / 2;
        if (c.width > 0)
            EXPECT_NE(Hex(Background(e)), Hex(shot.At(c.width - 1, mid))) << "the border is drawn";
        EXPECT_TRUE(SameColor(Background(e), shot.At(c.width, mid))) << "inside the border";
        delete e;
    }
}

TEST_F(ViewTest, HotTrackingAndShadowReserveMoreAndTheHotBorderIsThicker)
{
    TcxTextEdit* e = Make([](TcxTextEdit& e) {
        e.Style().SetBorderStyle(ebsSingle);
        e.Style().SetTransparentBorder(false);
        e.Style().SetHotTrack(true);
    });
    EXPECT_EQ(Rect(2, 2, e->Width() - 2, e->Height() - 2), e->ViewInfo().ContentRect)
        << "hot tracking reserves 2 whatever the border";
    const RECT content = e->ViewInfo().ContentRect;
    const int mid = e->Height() / 2;
    const COLORREF parent = ColorToRGB(form->Color());
    EXPECT_EQ(ebsSingle, static_cast<TcxEditBorderStyle>(e->ViewInfo().BorderStyle));
    EXPECT_TRUE(SameColor(parent, Shot(e).At(0, mid))) << "a single line at rest, the form around it";
    EXPECT_NE(Hex(Background(e)), Hex(Shot(e).At(1, mid)));
    e->SetFocus();
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(ebsThick, static_cast<TcxEditBorderStyle>(e->ViewInfo().BorderStyle)) << "focused: thick";
    EXPECT_NE(Hex(parent), Hex(Shot(e).At(0, mid))) << "two pixels of border on screen";
    EXPECT_NE(Hex(Background(e)), Hex(Shot(e).At(1, mid)));
    EXPECT_EQ(content, e->ViewInfo().ContentRect) << "the content does not move";

    TcxTextEdit* shadowed = Make(
        [](TcxTextEdit& e) {
            e.Style().SetHotTrack(false);
            e.Style().SetTransparentBorder(false);
            e.Style().SetBorderStyle(ebsSingle);
            e.Style().SetShadow(true);
        },
        10, 130);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(Rect(1, 1, shadowed->Width() - 4, shadowed->Height() - 4), shadowed->ViewInfo().ContentRect);
    EXPECT_EQ(12 + 4 + 2 + 3, shadowed->Height()) << "the shadow's 3 pixels below";
    const COLORREF shade = ColorToRGB(clBtnShadow);
    EXPECT_TRUE(SameColor(shade, Shot(shadowed).At(shadowed->Width() - 2, shadowed->Height() / 2)));
    EXPECT_TRUE(SameColor(shade, Shot(shadowed).At(shadowed->Width() / 2, shadowed->Height() - 2)));
}

TEST_F(ViewTest, EdgesLeftOutReserveNothingAlsoWhenDrawnByTheTheme)
{
    for (bool native : {false, true}) {
        SCOPED_TRACE(native ? "themed" : "classic");
        auto setUp = [native](TcxTextEdit& e) {
            e.Style().LookAndFeel().WriteNativeStyle(native);
            e.Style().SetHotTrack(false);
            e.Style().SetTransparentBorder(false);
            e.Style().SetBorderStyle(ebsSingle);
        };
        TcxTextEdit* all = Make(setUp, 150, 120);
        TcxTextEdit* some = Make(
            [&](TcxTextEdit& e) {
                setUp(e);
                e.Style().SetEdges({bRight, bBottom});
            },
            10, 130);
        EXPECT_SCREEN_FRESH();
        ASSERT_EQ(native, all->ViewInfo().NativeStyle) << "the test system has visual styles";
        const RECT a = all->ViewInfo().ContentRect, s = some->ViewInfo().ContentRect;
        EXPECT_GT(a.left, 0);
        EXPECT_EQ(0, s.left) << "no left edge";
        EXPECT_EQ(0, s.top) << "no top edge";
        EXPECT_EQ(all->Width() - a.right, some->Width() - s.right) << "the right edge stays";
        EXPECT_EQ(all->Height() - a.top, some->Height()) << "AutoSize leaves out the top edge";
        delete all;
        delete some;
    }
}

TEST_F(ViewTest, AutoSizeFollowsStyleChangesOfAShownEdit)
{
    // From a single border without hot tracking (one line, its margins, 1 pixel each side)
    // the height is the line, 4 of margins and what the border reserves.
    const struct {
        const char* what;
        std::function<void(TcxCustomEditStyle&)> change;
        int height;
    } cases[] = {
        {"font", [](TcxCustomEditStyle& s) { s.Font().SetHeight(-20); }, 20 + 4 + 2},
        {"border style", [](TcxCustomEditStyle& s) { s.SetBorderStyle(ebs3D); }, 12 + 4 + 4},
        {"shadow", [](TcxCustomEditStyle& s) { s.SetShadow(true); }, 12 + 4 + 2 + 3},
        {"hot tracking", [](TcxCustomEditStyle& s) { s.SetHotTrack(true); }, 12 + 4 + 4},
        {"transparent border", [](TcxCustomEditStyle& s) { s.SetTransparentBorder(true); }, 12 + 4 + 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TcxTextEdit* shown = Make();
        shown->Style().SetHotTrack(false);
        shown->Style().SetTransparentBorder(false);
        shown->Style().SetBorderStyle(ebsSingle);
        Pump();
        EXPECT_SCREEN_FRESH();
        ASSERT_EQ(12 + 4 + 2, shown->Height());
        shown->SetText(L"Wg汉字");
        c.change(shown->Style());
        Pump();
        EXPECT_SCREEN_FRESH();
        EXPECT_EQ(c.height, shown->Height()) << "the shown edit took the height of its new style";
        const RECT content = shown->ViewInfo().ContentRect;
        const RECT inner = shown->InnerControl()->BoundsRect();
        EXPECT_LE(inner.bottom, content.bottom) << "the text window stays inside the border";
        EXPECT_EQ(c.height - (shown->Height() - (content.bottom - content.top)) - 1, inner.bottom - inner.top)
            << "and fills the content below its top pixel";
        delete shown;
    }
}

TEST_F(ViewTest, ANewStyleColourFillsTheWholeEditTextWindowIncluded)
{
    TcxTextEdit* e = Make();
    e->SetText(L"颜色");
    e->Style().SetColor(clYellow);
    Pump();
    EXPECT_SCREEN_FRESH();
    const RECT c = e->ViewInfo().ContentRect;
    TScreenPixels shot = Shot(e);
    EXPECT_TRUE(SameColor(RGB(255, 255, 0), shot.At(c.left, c.top)));
    const RECT inner = e->InnerControl()->BoundsRect();
    EXPECT_TRUE(SameColor(RGB(255, 255, 0), shot.At(inner.right - 2, inner.top + 1))) << "behind the text too";
    e->SetEnabled(false);
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(SameColor(ColorToRGB(clBtnFace), Shot(e).At(inner.right - 2, inner.top + 1))) << "disabled";
}

TEST_F(ViewTest, ShowingAHiddenEditGivesItTheHeightOfItsFont)
{
    TcxTextEdit* e = Make([](TcxTextEdit& e) { e.SetVisible(false); });
    e->Font().SetHeight(-24);
    EXPECT_SCREEN_FRESH();
    e->SetVisible(true);
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(24 + 4 + 4, e->Height());
}

// ---------------------------------------------------------------------------
// Buttons

TEST_F(ViewTest, ButtonWidthsFollowTheirWidthTheirGlyphOrTheScrollArrow)
{
    TcxTextEdit* e = Make([](TcxTextEdit& e) {
        e.Style().SetButtonStyle(bts3D);
        TcxEditButtons& b = e.Properties().Buttons();
        b.Add().SetKind(bkDown);                        // automatic: the scroll arrow's width
        b.Add().SetWidth(30);                           // its own width
        b.Add().SetWidth(1);                            // not below the style's minimum
        TcxEditButton& glyph = b.Add();                 // the glyph and the margins
        glyph.SetKind(bkGlyph);
        FillGlyph(glyph.Glyph(), 10, 8, RGB(255, 0, 0));
        TcxEditButton& left = b.Add();
        left.SetKind(bkEllipsis);
        left.SetLeftAlignment(true);
        left.SetWidth(16);
    });
    e->SetWidth(200);
    Pump();
    EXPECT_SCREEN_FRESH();
    const TcxCustomEditViewInfo& vi = e->ViewInfo();
    ASSERT_EQ(5u, vi.ButtonsInfo.size());
    auto width = [&](int i) { return vi.ButtonsInfo[i].Bounds.right - vi.ButtonsInfo[i].Bounds.left; };
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), width(0));
    EXPECT_EQ(30, width(1));
    EXPECT_EQ(4, width(2)) << "a 3-D button is at least 4 wide";
    EXPECT_EQ(10 + 4, width(3));
    EXPECT_EQ(16, width(4));
    // Right-aligned buttons from the right edge leftwards in order; the left one at the left.
    const RECT border = vi.BorderRect;
    EXPECT_EQ(border.right, vi.ButtonsInfo[0].Bounds.right);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(vi.ButtonsInfo[i - 1].Bounds.left, vi.ButtonsInfo[i].Bounds.right);
    EXPECT_EQ(border.left, vi.ButtonsInfo[4].Bounds.left);
    EXPECT_EQ(Rect(vi.ButtonsInfo[4].Bounds.right, border.top, vi.ButtonsInfo[3].Bounds.left, border.bottom),
              vi.ContentRect)
        << "the text lies between the two groups";
    EXPECT_EQ(vi.ContentRect.left + 1, e->InnerControl()->Left());
    EXPECT_EQ(4, vi.FirstLeftButton);
    EXPECT_EQ(4, vi.LastLeftButton);
    EXPECT_EQ(0, vi.FirstRightButton);
    EXPECT_EQ(3, vi.LastRightButton);
    for (const auto& b : vi.ButtonsInfo)
        EXPECT_EQ(vi.ContentRect.bottom - vi.ContentRect.top, b.Bounds.bottom - b.Bounds.top) << "full height";

    // On screen: the glyph inside its button, the dots inside theirs.
    TScreenPixels shot = Shot(e);
    const RECT red = shot.BoundsOf(RGB(255, 0, 0));
    EXPECT_EQ(10, red.right - red.left);
    EXPECT_EQ(8, red.bottom - red.top);
    RECT inside;
    EXPECT_TRUE(IntersectRect(&inside, &red, &vi.ButtonsInfo[3].Bounds) && inside == red);
    const RECT& dotsButton = vi.ButtonsInfo[4].Bounds;
    int dots = 0;
    for (int x = dotsButton.left; x < dotsButton.right; ++x)
        dots += shot.At(x, (dotsButton.top + dotsButton.bottom) / 2) == ColorToRGB(clBtnText);
    EXPECT_GE(dots, 3) << "the ellipsis is drawn in the left button";

    // A button is never wider than what is left of the content.
    e->SetWidth(40);
    Pump();
    EXPECT_SCREEN_FRESH();
    int total = 0;
    for (const auto& b : e->ViewInfo().ButtonsInfo) {
        total += b.Bounds.right - b.Bounds.left;
        EXPECT_GE(b.Bounds.left, e->ViewInfo().BorderRect.left);
        EXPECT_LE(b.Bounds.right, e->ViewInfo().BorderRect.right);
    }
    EXPECT_LE(total, e->ViewInfo().BorderRect.right - e->ViewInfo().BorderRect.left);
    EXPECT_GE(e->ViewInfo().ContentRect.right, e->ViewInfo().ContentRect.left);
}

TEST_F(ViewTest, HotFlatButtonsNextToTheTextReachOnePixelTowardIt)
{
    TcxTextEdit* e = Make([](TcxTextEdit& e) {
        e.Style().SetButtonStyle(btsHotFlat);
        TcxEditButtons& b = e.Properties().Buttons();
        b.Add().SetWidth(15);
        b.Add().SetWidth(15);
        TcxEditButton& left = b.Add();
        left.SetWidth(15);
        left.SetLeftAlignment(true);
    });
    const TcxCustomEditViewInfo& vi = e->ViewInfo();
    ASSERT_EQ(3u, vi.ButtonsInfo.size());
    EXPECT_EQ(15, vi.ButtonsInfo[0].Bounds.right - vi.ButtonsInfo[0].Bounds.left) << "the outer one keeps its width";
    EXPECT_EQ(16, vi.ButtonsInfo[1].Bounds.right - vi.ButtonsInfo[1].Bounds.left) << "next to the text";
    EXPECT_EQ(vi.ContentRect.right - 1, vi.ButtonsInfo[1].Bounds.left);
    EXPECT_EQ(vi.ContentRect.left + 1, vi.ButtonsInfo[2].Bounds.right);
    EXPECT_SCREEN_FRESH();
}

TEST_F(ViewTest, AGlyphChangedLaterResizesItsButtonAndTheEdit)
{
    TcxTextEdit* e = Make([](TcxTextEdit& e) { e.Properties().Buttons().Add().SetKind(bkGlyph); });
    const int before = e->Height();
    TcxEditButton& button = e->Properties().Buttons()[0];
    FillGlyph(button.Glyph(), 16, 30, RGB(0, 0, 255));
    Pump();
    EXPECT_SCREEN_FRESH();
    TcxTextEdit* fresh = Make(
        [](TcxTextEdit& e) {
            TcxEditButton& b = e.Properties().Buttons().Add();
            b.SetKind(bkGlyph);
            FillGlyph(b.Glyph(), 16, 30, RGB(0, 0, 255));
        },
        10, 130);
    EXPECT_GT(e->Height(), before) << "the edit grew for the glyph";
    EXPECT_EQ(fresh->Height(), e->Height());
    const RECT b = e->ViewInfo().ButtonsInfo.at(0).Bounds;
    EXPECT_EQ(16 + 2, b.right - b.left) << "the glyph and the ultra-flat margins";
    const RECT blue = Shot(e).BoundsOf(RGB(0, 0, 255));
    EXPECT_EQ(16, blue.right - blue.left) << "the whole glyph is seen";
    EXPECT_EQ(30, blue.bottom - blue.top);

    // A smaller glyph through Assign: back to the height of the text.
    TBitmap small;
    FillGlyph(small, 8, 8, RGB(0, 0, 255));
    button.SetGlyph(&small);
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(before, e->Height());
    EXPECT_EQ(8 + 2, e->ViewInfo().ButtonsInfo.at(0).Bounds.right - e->ViewInfo().ButtonsInfo.at(0).Bounds.left);
}

TEST_F(ViewTest, GlyphMarginsFollowTheButtonStyle)
{
    auto make = [&](TcxEditButtonStyle style, int y) {
        return Make(
            [style](TcxTextEdit& e) {
                e.Style().SetButtonStyle(style);
                TcxEditButton& b = e.Properties().Buttons().Add();
                b.SetKind(bkGlyph);
                FillGlyph(b.Glyph(), 10, 30, RGB(0, 128, 0));
            },
            150, y);
    };
    TcxTextEdit* ultraFlat = make(btsUltraFlat, 10);
    TcxTextEdit* raised = make(bts3D, 80);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(30 + 2 + 4, ultraFlat->Height()) << "the glyph, 2 of ultra-flat margins, the border";
    EXPECT_EQ(30 + 4 + 4, raised->Height()) << "a 3-D button's margins are 4";
    for (TcxTextEdit* e : {ultraFlat, raised}) {
        const RECT green = Shot(e).BoundsOf(RGB(0, 128, 0));
        EXPECT_EQ(30, green.bottom - green.top) << "no row of the glyph is cut";
    }
}

TEST_F(ViewTest, ButtonTransparencyHidesOrClearsTheButtons)
{
    auto make = [&](TcxEditButtonTransparency t, int y) {
        return Make(
            [t](TcxTextEdit& e) {
                e.Style().SetButtonTransparency(t);
                e.Style().SetButtonStyle(bts3D);
                e.Properties().Buttons().Add().SetKind(bkEllipsis);
            },
            150, y);
    };
    TcxTextEdit* hideInactive = make(ebtHideInactive, 10);
    TcxTextEdit* hideUnselected = make(ebtHideUnselected, 40);
    TcxTextEdit* always = make(ebtAlways, 70);
    TcxTextEdit* inactive = make(ebtInactive, 100);
    TcxTextEdit* none = make(ebtNone, 130);
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(hideInactive->ViewInfo().ButtonsInfo.empty()) << "not focused: hidden";
    EXPECT_TRUE(hideUnselected->ViewInfo().ButtonsInfo.empty()) << "neither focused nor hot: hidden";
    EXPECT_EQ(hideInactive->ViewInfo().BorderRect, hideInactive->ViewInfo().ContentRect) << "and takes no room";
    EXPECT_TRUE(always->ViewInfo().ButtonsInfo.at(0).Transparent);
    EXPECT_TRUE(inactive->ViewInfo().ButtonsInfo.at(0).Transparent);
    EXPECT_FALSE(none->ViewInfo().ButtonsInfo.at(0).Transparent);

    // A transparent button shows the edit's background where an opaque one has its face.
    auto faceAt = [&](TcxTextEdit* e) {
        const RECT b = e->ViewInfo().ButtonsInfo.at(0).Bounds;
        return Shot(e).At(b.left + 2, b.top + 2);
    };
    EXPECT_TRUE(SameColor(Background(always), faceAt(always)));
    EXPECT_TRUE(SameColor(Background(inactive), faceAt(inactive)));
    EXPECT_TRUE(SameColor(ColorToRGB(clBtnFace), faceAt(none)));

    hideInactive->SetFocus();
    Pump();
    EXPECT_SCREEN_FRESH();
    ASSERT_EQ(1u, hideInactive->ViewInfo().ButtonsInfo.size()) << "focused: shown";
    inactive->SetFocus();
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_FALSE(inactive->ViewInfo().ButtonsInfo.at(0).Transparent) << "active: drawn normally";
    EXPECT_TRUE(SameColor(ColorToRGB(clBtnFace), faceAt(inactive)));
    EXPECT_TRUE(hideInactive->ViewInfo().ButtonsInfo.empty()) << "left again: hidden";

    // The mouse over an edit makes it hot: ebtHideUnselected shows the button.
    const POINT over = hideUnselected->ClientToScreen(POINT{10, 5});
    SetCursorPos(over.x, over.y);
    hideUnselected->ShortRefreshContainer(true);
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(1u, hideUnselected->ViewInfo().ButtonsInfo.size());
    SetCursorPos(0, 0);
}

TEST_F(ViewTest, ADisabledEditDrawsItsButtonsDisabled)
{
    TcxTextEdit* e = Make([](TcxTextEdit& e) { e.Properties().Buttons().Add().SetKind(bkEllipsis); });
    const RECT b = e->ViewInfo().ButtonsInfo.at(0).Bounds;
    auto dotsIn = [&](COLORREF color) {
        TScreenPixels shot = Shot(e);
        int n = 0;
        for (int x = b.left; x < b.right; ++x)
            n += shot.At(x, (b.top + b.bottom) / 2) == color;
        return n;
    };
    EXPECT_GE(dotsIn(ColorToRGB(clBtnText)), 3);
    e->SetEnabled(false);
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(ebsDisabled, e->ViewInfo().ButtonsInfo.at(0).State);
    EXPECT_EQ(0, dotsIn(ColorToRGB(clBtnText))) << "no longer in the text colour";
    EXPECT_TRUE(SameColor(ColorToRGB(clBtnFace), Shot(e).At(e->ViewInfo().ContentRect.left + 2, e->Height() / 2)))
        << "a disabled edit's background";
}

// ---------------------------------------------------------------------------
// Style controller

TEST_F(ViewTest, ButtonValuesComeFromTheStyleControllerUnlessAssigned)
{
    TcxEditStyleController controller(nullptr);
    controller.Style().SetButtonStyle(bts3D);
    EXPECT_SCREEN_FRESH();
    controller.Style().SetButtonTransparency(ebtHideInactive);
    EXPECT_SCREEN_FRESH();
    TcxTextEdit* e = Make([&](TcxTextEdit& e) {
        e.Properties().Buttons().Add().SetKind(bkEllipsis);
        e.Style().SetStyleController(&controller);
    });
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(bts3D, e->Style().ButtonStyle());
    EXPECT_TRUE(e->ViewInfo().ButtonsInfo.empty()) << "the controller's transparency hides the button";
    e->Style().SetButtonTransparency(ebtNone);
    Pump();
    EXPECT_SCREEN_FRESH();
    ASSERT_EQ(1u, e->ViewInfo().ButtonsInfo.size()) << "the edit's own value wins";
    EXPECT_EQ(bts3D, e->ViewInfo().ButtonsInfo[0].Style) << "the controller's button style";
    controller.Style().SetButtonStyle(btsFlat);
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(btsFlat, e->ViewInfo().ButtonsInfo[0].Style) << "a change of the controller reaches the edit";
    e->Style().SetStyleController(nullptr);
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(btsDefault, e->Style().ButtonStyle());
}

// ---------------------------------------------------------------------------
// Text margins and text painted by the edit

TEST_F(ViewTest, AlignedTextIsPaintedInsideItsMarginsAndMovesToTheLeftWhileTyping)
{
    TcxTextEdit* right = Make([](TcxTextEdit& e) { e.Properties().AssignedAlignment().SetHorz(taRightJustify); });
    TcxTextEdit* centred = Make([](TcxTextEdit& e) { e.Properties().AssignedAlignment().SetHorz(taCenter); }, 10, 130);
    right->SetText(L"右对齐");
    EXPECT_SCREEN_FRESH();
    centred->SetText(L"居中");
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_FALSE(right->InnerControl()->Visible()) << "not focused: the edit paints its text";
    const RECT c = right->ViewInfo().ContentRect;
    EXPECT_EQ(Rect(c.left + 1, c.top + 1, c.right - 2, c.bottom - 3), right->ViewInfo().TextRect);
    RECT ink = Shot(right).BoundsOf(kInk);
    EXPECT_LE(ink.right, c.right - 2) << "inside the right margin";
    EXPECT_GE(ink.right, c.right - 4) << "and against it";
    RECT centredInk = Shot(centred).BoundsOf(kInk);
    const RECT cc = centred->ViewInfo().ContentRect;
    EXPECT_NEAR((cc.left + cc.right) / 2, (centredInk.left + centredInk.right) / 2, 2);

    right->SetFocus();
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(right->InnerControl()->Visible()) << "focused: the text window shows it";
    PressKey(VK_END);
    TypeText(L"x");
    EXPECT_EQ(L"右对齐x", right->Text());
    PressKey(VK_TAB);
    EXPECT_FALSE(right->InnerControl()->Visible());
}

// ---------------------------------------------------------------------------
// Memo painting its lines

TEST_F(ViewTest, AlignedMemoShowsEachLineOnItsOwnRowWhileNotFocused)
{
    for (TAlignment alignment : {taRightJustify, taCenter}) {
        SCOPED_TRACE(alignment == taRightJustify ? "right" : "centre");
        auto memo = new TcxMemo(form);
        memo->SetBounds(150, 10, 140, 89);
        memo->Properties().SetMemoAlignment(alignment);
        memo->SetParent(form);
        memo->Lines().Assign(std::vector<std::wstring>{L"第一行", L"second", L"third line"});
        Pump();
        EXPECT_SCREEN_FRESH();
        RECT ink{};
        EXPECT_EQ(3, InkBands(memo->Handle(), &ink)) << "three lines on three rows";
        const RECT c = memo->ViewInfo().ContentRect;
        if (alignment == taRightJustify)
            EXPECT_GE(ink.right, c.right - 4) << "against the right";
        else
            EXPECT_GT(ink.left, c.left + 10) << "away from the left";

        memo->SetFocus();
        Pump();
        EXPECT_SCREEN_FRESH();
        EXPECT_EQ(3, InkBands(memo->InnerControl()->Handle()));
        PressKey(VK_TAB);
        EXPECT_EQ(3, InkBands(memo->Handle()));
        delete memo;
        Pump();
    }
}

TEST_F(ViewTest, AlignedMemoWrapsLongLinesAsItsWindowDoes)
{
    auto memo = new TcxMemo(form);
    memo->SetBounds(150, 10, 100, 89);
    memo->Properties().SetMemoAlignment(taRightJustify);
    EXPECT_SCREEN_FRESH();
    memo->SetParent(form);
    EXPECT_SCREEN_FRESH();
    memo->Lines().Assign(std::vector<std::wstring>{L"one two three four five six"});
    Pump();
    EXPECT_SCREEN_FRESH();
    const int unfocused = InkBands(memo->Handle());
    memo->SetFocus();
    Pump();
    const int focused = InkBands(memo->InnerControl()->Handle());
    EXPECT_GT(focused, 1) << "the window wraps the line";
    EXPECT_EQ(focused, unfocused) << "painted by the memo, the line wraps the same";
}

// ---------------------------------------------------------------------------
// Deviations of the shared machinery

namespace {

struct TBeepingEdit : TcxTextEdit {
    using TcxTextEdit::TcxTextEdit;
    int beeps = 0;

protected:
    void Beep() override { ++beeps; }
};

} // namespace

TEST_F(ViewTest, BeepOnErrorBeepsBeforeTheMessageOnlyWhenSet)
{
    auto e = new TBeepingEdit(form);
    e->SetBounds(150, 120, 121, 21);
    e->SetParent(form);
    EXPECT_SCREEN_FRESH();
    e->Properties().OnValidate = [](TObject*, TcxEditValue&, std::wstring& text, bool& error) {
        error = true;
        text = L"不行";
    };
    int beepsAtMessage = -1;
    Application->OnException = [&](TObject*, const std::exception_ptr& x) {
        errors.push_back(TApplication::MessageOf(x));
        beepsAtMessage = e->beeps;
    };
    e->SetFocus();
    Pump();
    TypeText(L"a");
    PressKey(VK_TAB);
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(0, e->beeps) << "BeepOnError is off by default";
    e->Properties().SetBeepOnError(true);
    EXPECT_SCREEN_FRESH();
    PressKey(VK_TAB);
    ASSERT_EQ(2u, errors.size());
    EXPECT_EQ(1, e->beeps);
    EXPECT_EQ(1, beepsAtMessage) << "the beep comes before the message";
}

TEST_F(ViewTest, ClearShortCutEmptiesAnEditThatMayBeChanged)
{
    edit->Properties().SetClearShortCut(scCtrl | VK_DELETE);
    EXPECT_SCREEN_FRESH();
    edit->SetText(L"清除我");
    EXPECT_SCREEN_FRESH();
    FocusEdit();
    PressKey(VK_END);
    seq.Clear();
    PressKey(VK_DELETE, ssCtrl);
    EXPECT_EQ(L"", edit->Text());
    EXPECT_TRUE(edit->EditValue().IsNull());
    const RECT ink = TScreenPixels::OfClient(Inner()).BoundsOf(kInk);
    EXPECT_LE(ink.right - ink.left, 2) << "nothing left on screen but the caret";
    EXPECT_TRUE(seq.MatchesFor({"edit"}, {{"edit", "OnChange"}, {"edit", "OnEditValueChanged"}}, "cleared"));

    edit->SetText(L"只读");
    EXPECT_SCREEN_FRESH();
    edit->Properties().SetReadOnly(true);
    EXPECT_SCREEN_FRESH();
    PressKey(VK_DELETE, ssCtrl);
    EXPECT_EQ(L"只读", edit->Text()) << "a read-only edit keeps its text";
}

TEST_F(ViewTest, KeysTheEditRefusesGoToTheHostsKeyNotification)
{
    std::vector<WORD> handed;
    edit->OnInternalKey = [&](TObject*, WORD& key, TShiftState) { handed.push_back(key); };
    edit->SetText(L"abc");
    EXPECT_SCREEN_FRESH();
    edit->Properties().SetReadOnly(true);
    EXPECT_SCREEN_FRESH();
    FocusEdit();
    PressKey(VK_DELETE);
    EXPECT_EQ(std::vector<WORD>{VK_DELETE}, handed) << "a refused key";
    EXPECT_EQ(L"abc", edit->Text());

    // A host that takes Tab keeps the focus.
    handed.clear();
    edit->OnInternalKey = [&](TObject*, WORD& key, TShiftState) {
        handed.push_back(key);
        if (key == VK_TAB)
            key = 0;
    };
    PressKey(VK_TAB);
    EXPECT_EQ(std::vector<WORD>{VK_TAB}, handed);
    EXPECT_EQ(Inner(), GetFocus());

    // An edit without text hands on the moving keys.
    auto plain = new TcxCustomEdit(form);
    plain->SetBounds(150, 120, 121, 21);
    plain->SetParent(form);
    EXPECT_SCREEN_FRESH();
    std::vector<WORD> moved;
    plain->OnInternalKey = [&](TObject*, WORD& key, TShiftState) { moved.push_back(key); };
    plain->SetFocus();
    Pump();
    for (WORD k : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT})
        PressKey(k);
    EXPECT_EQ((std::vector<WORD>{VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT}), moved);
}

TEST(EditProperties, AlignmentResetReportsOnce)
{
    TcxTextEditProperties p(nullptr);
    int changes = 0;
    p.OnPropertiesChanged = [&](TcxCustomEditProperties*) { ++changes; };
    p.AlignmentReset();
    EXPECT_EQ(1, changes);
    p.AssignedAlignment().SetHorz(taRightJustify);
    changes = 0;
    p.AlignmentReset();
    EXPECT_EQ(1, changes);
    EXPECT_EQ(taRightJustify, p.Alignment().Horz()) << "an assigned alignment stays";
}

namespace {

struct TListProperties : TcxTextEditProperties {
    using TcxTextEditProperties::TcxTextEditProperties;
    TcxEditEditingStyle EditingStyle() const override { return esEditList; }
};

struct TListEdit : TcxTextEdit {
    using TcxTextEdit::TcxTextEdit;

protected:
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override
    {
        return std::make_unique<TListProperties>(this);
    }
};

} // namespace

TEST_F(ViewTest, TheClickLockHoldsBackClickButNotAButtonsEvent)
{
    auto list = new TListEdit(form);
    list->SetBounds(150, 120, 121, 21);
    list->SetParent(form);
    EXPECT_SCREEN_FRESH();
    list->Properties().LookupItems().Assign(std::vector<std::wstring>{L"办公室", L"家庭"});
    EXPECT_SCREEN_FRESH();
    list->Properties().Buttons().Add().SetDefault(true);
    EXPECT_SCREEN_FRESH();
    int clicks = 0, buttonClicks = 0;
    list->OnClick = [&](TObject*) { ++clicks; };
    list->Properties().OnEditButtonClick = [&](TObject*, int) { ++buttonClicks; };
    list->Properties().OnEditValueChanged = [&](TObject* sender) {
        static_cast<TcxCustomEdit*>(sender)->ClickDefaultButton();
    };
    list->ApplyUserValue(TcxEditValue(L"家庭"), true);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(1, list->ItemIndex());
    EXPECT_EQ(0, clicks) << "the item changed under the click lock: no Click";
    EXPECT_EQ(1, buttonClicks) << "the button's event is not the lock's business";
    list->ApplyUserValue(TcxEditValue(L"办公室"));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(0, list->ItemIndex());
    EXPECT_EQ(1, clicks) << "without the lock the item change clicks";
    EXPECT_SCREEN_FRESH();
}
