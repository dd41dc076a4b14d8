#include "controls/lookandfeel/cxLookAndFeelPainters.h"
#include "controls/lookandfeel/LookAndFeelTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace qv;
using qvtest::Rgb;
using qvtest::TPaintSurface;

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);

TcxLookAndFeelPainterClass Custom() { return TcxCustomLookAndFeelPainter::Instance(); }
TcxLookAndFeelPainterClass Standard() { return TcxStandardLookAndFeelPainter::Instance(); }
TcxLookAndFeelPainterClass Flat() { return TcxFlatLookAndFeelPainter::Instance(); }
TcxLookAndFeelPainterClass UltraFlat() { return TcxUltraFlatLookAndFeelPainter::Instance(); }

const TcxButtonState kStates[] = {cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled};

std::set<std::pair<int, int>> PixelsOf(const TPaintSurface& s, COLORREF color)
{
    std::set<std::pair<int, int>> pixels;
    for (int y = 0; y < s.bitmap.Height(); ++y)
        for (int x = 0; x < s.bitmap.Width(); ++x)
            if (s.At(x, y) == color)
                pixels.insert({x, y});
    return pixels;
}

std::set<std::pair<int, int>> PixelsNotOf(const TPaintSurface& s, const RECT& r, COLORREF color)
{
    std::set<std::pair<int, int>> pixels;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (s.At(x, y) != color)
                pixels.insert({x, y});
    return pixels;
}

} // namespace

TEST(ArrowGeometry, PointsFollowTheSizeRulesInEveryDirection)
{
    POINT p0, p1, p2;
    TcxCustomLookAndFeelPainter::CalculateArrowPoints(Rect(0, 0, 16, 16), p0, p1, p2, adDown, true);
    EXPECT_EQ((POINT{4, 6}), p0);
    EXPECT_EQ((POINT{10, 6}), p1);
    EXPECT_EQ((POINT{7, 9}), p2);

    TcxCustomLookAndFeelPainter::CalculateArrowPoints(Rect(0, 0, 16, 16), p0, p1, p2, adUp, true);
    EXPECT_EQ((POINT{7, 6}), p0);
    EXPECT_EQ((POINT{4, 9}), p1);
    EXPECT_EQ((POINT{10, 9}), p2);

    TcxCustomLookAndFeelPainter::CalculateArrowPoints(Rect(0, 0, 16, 16), p0, p1, p2, adRight, true);
    EXPECT_EQ((POINT{6, 5}), p0) << "the top rounds a half down the rectangle";
    EXPECT_EQ((POINT{9, 8}), p1);
    EXPECT_EQ((POINT{6, 11}), p2);

    // A wide rectangle is made square (centred) only when asked.
    TcxCustomLookAndFeelPainter::CalculateArrowPoints(Rect(0, 0, 26, 16), p0, p1, p2, adLeft, true);
    EXPECT_EQ((POINT{11, 8}), p0);
    EXPECT_EQ((POINT{14, 5}), p1);
    EXPECT_EQ((POINT{14, 11}), p2);
    // Not proportional: the width comes from the whole rectangle, (26 - 1) div 2 = 12,
    // even, so 13; the height 13 div 2 + 1 = 7.
    TcxCustomLookAndFeelPainter::CalculateArrowPoints(Rect(0, 0, 26, 16), p0, p1, p2, adDown, false);
    EXPECT_EQ((POINT{6, 5}), p0);
    EXPECT_EQ((POINT{18, 5}), p1);
    EXPECT_EQ((POINT{12, 11}), p2);
}

TEST(ArrowPainting, DownArrowFillsItsTriangleAndNothingElse)
{
    TPaintSurface s(16, 16, clWhite);
    Standard()->PaintArrow(s.canvas, Rect(0, 0, 16, 16), adDown, clBlack);
    const auto black = PixelsOf(s, RGB(0, 0, 0));
    std::set<std::pair<int, int>> expected;
    for (int row = 0; row < 4; ++row)
        for (int x = 4 + row; x <= 10 - row; ++x)
            expected.insert({x, 6 + row});
    EXPECT_EQ(expected, black);
}

TEST(ArrowPainting, DisabledStateArrowIsTwoTrianglesTheLightOneMovedRightAndDown)
{
    for (TcxLookAndFeelPainterClass painter : {Standard(), Flat(), UltraFlat()}) {
        TPaintSurface s(16, 16, clWhite);
        painter->PaintStateArrow(s.canvas, Rect(0, 0, 16, 16), cxbsDisabled, adDown);
        EXPECT_EQ(Rgb(clBtnShadow), s.At(7, 9)) << "the dark one at its place";
        EXPECT_EQ(Rgb(clBtnShadow), s.At(4, 6));
        EXPECT_EQ(Rgb(clBtnHighlight), s.At(11, 7)) << "the light one sticks out right";
        EXPECT_EQ(Rgb(clBtnHighlight), s.At(8, 10)) << "and below";
        EXPECT_EQ(RGB(255, 255, 255), s.At(4, 7));
        EXPECT_EQ(RGB(255, 255, 255), s.At(7, 11));
    }
    // Pressed: moved by the painter's shift, in its glyph colour.
    TPaintSurface standard(16, 16, clWhite), ultra(16, 16, clWhite);
    Standard()->PaintStateArrow(standard.canvas, Rect(0, 0, 16, 16), cxbsPressed, adDown);
    UltraFlat()->PaintStateArrow(ultra.canvas, Rect(0, 0, 16, 16), cxbsPressed, adDown);
    EXPECT_EQ(Rgb(clBtnText), standard.At(8, 10));
    EXPECT_EQ(RGB(255, 255, 255), standard.At(4, 6));
    EXPECT_EQ(Rgb(clHighlightText), ultra.At(7, 9)) << "not moved";
    EXPECT_EQ(Rgb(clHighlightText), ultra.At(4, 6));
}

namespace {

// The colours of a button's frame rings, outermost first, and of its face.
struct ButtonLook {
    TcxLookAndFeelPainterClass painter;
    TcxButtonState state;
    std::vector<std::pair<TColor, TColor>> rings;  // left/top, right/bottom
    COLORREF face;
};

std::vector<ButtonLook> ExpectedButtonLooks()
{
    const COLORREF face = Rgb(clBtnFace);
    std::vector<ButtonLook> looks;
    for (TcxButtonState s : {cxbsNormal, cxbsHot, cxbsDisabled})
        looks.push_back({Standard(), s, {{clBtnHighlight, cl3DDkShadow}, {cl3DLight, clBtnShadow}}, face});
    looks.push_back({Standard(), cxbsDefault,
                     {{clBlack, clBlack}, {clBtnHighlight, cl3DDkShadow}, {cl3DLight, clBtnShadow}}, face});
    looks.push_back({Standard(), cxbsPressed, {{clBlack, clBlack}, {clBtnShadow, clBtnShadow}}, face});
    for (TcxButtonState s : {cxbsNormal, cxbsHot, cxbsDisabled})
        looks.push_back({Flat(), s, {{clBtnHighlight, clBtnShadow}}, face});
    looks.push_back({Flat(), cxbsDefault, {{clBlack, clBlack}, {clBtnHighlight, clBtnShadow}}, face});
    looks.push_back({Flat(), cxbsPressed, {{clBtnShadow, clBtnHighlight}}, face});
    looks.push_back({UltraFlat(), cxbsDefault, {{clWindowFrame, clWindowFrame}, {clWindowFrame, clWindowFrame}}, face});
    looks.push_back({UltraFlat(), cxbsNormal, {{clBtnText, clBtnText}}, face});
    looks.push_back({UltraFlat(), cxbsHot, {{clHighlight, clHighlight}}, HotLightColor()});
    looks.push_back({UltraFlat(), cxbsPressed, {{clHighlight, clHighlight}}, PressedLightColor()});
    looks.push_back({UltraFlat(), cxbsDisabled, {{clHighlight, clHighlight}}, face});
    for (TcxButtonState s : kStates)
        looks.push_back({Custom(), s, {}, face});
    return looks;
}

} // namespace

TEST(ButtonPainting, FrameAndFaceColoursForEveryPainterAndState)
{
    for (const ButtonLook& look : ExpectedButtonLooks()) {
        SCOPED_TRACE(testing::Message() << "style " << look.painter->PainterStyle() << " state " << look.state);
        TPaintSurface s(40, 20);
        look.painter->PaintButton(s.canvas, Rect(0, 0, 40, 20), L"", look.state);
        const int rings = static_cast<int>(look.rings.size());
        EXPECT_EQ(rings, look.painter->ButtonBorderWidth(look.state));
        for (int i = 0; i < rings; ++i) {
            EXPECT_EQ(Rgb(look.rings[i].first), s.At(i, 10)) << "left of ring " << i;
            EXPECT_EQ(Rgb(look.rings[i].first), s.At(20, i)) << "top of ring " << i;
            EXPECT_EQ(Rgb(look.rings[i].second), s.At(39 - i, 10)) << "right of ring " << i;
            EXPECT_EQ(Rgb(look.rings[i].second), s.At(20, 19 - i)) << "bottom of ring " << i;
        }
        EXPECT_TRUE(s.AllIn(Rect(rings, rings, 40 - rings, 20 - rings), look.face)) << "face";
        // An explicit colour replaces the painter's face colour; the frame stays.
        TPaintSurface coloured(40, 20);
        look.painter->PaintButton(coloured.canvas, Rect(0, 0, 40, 20), L"", look.state, true, clLime);
        EXPECT_TRUE(coloured.AllIn(Rect(rings, rings, 40 - rings, 20 - rings), RGB(0, 255, 0)));
        // Without the frame the face fills everything.
        TPaintSurface frameless(40, 20);
        look.painter->PaintButton(frameless.canvas, Rect(0, 0, 40, 20), L"", look.state, false);
        EXPECT_TRUE(frameless.AllIn(Rect(0, 0, 40, 20), look.face));
        EXPECT_EQ(TBrushStyle::bsSolid, s.canvas.Brush().Style());
    }
}

namespace {

// Where the system's own DrawText puts the caption of a button face.
std::unique_ptr<TPaintSurface> ReferenceCaption(const TFont& font, const RECT& face, const RECT& textRect,
                                                const std::wstring& text)
{
    auto surface = std::make_unique<TPaintSurface>(75, 25);
    TPaintSurface& s = *surface;
    s.canvas.FillRect(face, clBtnFace);
    s.canvas.Font().Assign(font);
    s.canvas.Font().SetColor(clBtnText);
    s.canvas.Canvas()->RequireFont();
    HDC dc = s.canvas.Handle();
    SetBkMode(dc, TRANSPARENT);
    RECT r = textRect;
    // A text that fits is not clipped; one that does not is cut at the rectangle.
    SIZE size;
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (size.cx < Width(r) && size.cy < Height(r))
        flags |= DT_NOCLIP;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
    return surface;
}

bool SameInside(const TPaintSurface& a, const TPaintSurface& b, const RECT& r)
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (a.At(x, y) != b.At(x, y))
                return false;
    return true;
}

} // namespace

TEST(ButtonPainting, StandardButtonCaptionRectangleLosesItsLastRowOrGainsOneAtTheTop)
{
    const std::wstring caption = L"&Hello";
    const RECT face = Rect(2, 2, 73, 23);
    // Find a font size for which the two possible rectangles give different pixels
    // (by placement, or by clipping a text taller than the face).
    TFont font;
    font.SetName(L"Tahoma");
    bool found = false;
    for (int h = -9; h >= -40 && !found; --h) {
        font.SetHeight(h);
        found = !SameInside(*ReferenceCaption(font, face, Rect(2, 2, 73, 22), caption),
                            *ReferenceCaption(font, face, Rect(2, 2, 73, 23), caption), face);
    }
    ASSERT_TRUE(found) << "no font size tells the rectangles apart";

    TPaintSurface s(75, 25);
    s.canvas.Font().Assign(font);
    Standard()->PaintButton(s.canvas, Rect(0, 0, 75, 25), caption, cxbsNormal);
    EXPECT_TRUE(SameInside(s, *ReferenceCaption(font, face, Rect(2, 2, 73, 22), caption), face))
        << "face (2,2)-(73,23), caption in (2,2)-(73,22) with '&' underlining";
    EXPECT_EQ(clBtnText, s.canvas.Font().Color()) << "the caption colour stays on the canvas";

    // Below 18 pixels the rectangle gains a row at the top: 75 x 19 gives a face of
    // 15 rows, 14 after the odd row, then (2,1)-(73,16).
    bool lowFound = false;
    const RECT lowFace = Rect(2, 2, 73, 17);
    for (int h = -9; h >= -14 && !lowFound; --h) {
        font.SetHeight(h);
        lowFound = !SameInside(*ReferenceCaption(font, lowFace, Rect(2, 1, 73, 16), caption),
                               *ReferenceCaption(font, lowFace, Rect(2, 2, 73, 16), caption), lowFace);
    }
    ASSERT_TRUE(lowFound);
    TPaintSurface low(75, 25);
    low.canvas.Font().Assign(font);
    Standard()->PaintButton(low.canvas, Rect(0, 0, 75, 19), caption, cxbsNormal);
    EXPECT_TRUE(SameInside(low, *ReferenceCaption(font, lowFace, Rect(2, 1, 73, 16), caption), lowFace));

    // Pressed: the caption moves by the painter's shift.
    font.SetHeight(-11);
    TPaintSurface pressed(75, 25);
    pressed.canvas.Font().Assign(font);
    Standard()->PaintButton(pressed.canvas, Rect(0, 0, 75, 25), caption, cxbsPressed);
    EXPECT_TRUE(SameInside(pressed, *ReferenceCaption(font, face, Rect(3, 3, 74, 23), caption), face));
}

TEST(ButtonPainting, DisabledCaptionIsEmbossedAndExplicitTextColourWins)
{
    TPaintSurface s(75, 25);
    s.canvas.Font().SetName(L"Tahoma");
    s.canvas.Font().SetHeight(-11);
    Standard()->PaintButton(s.canvas, Rect(0, 0, 75, 25), L"Hello", cxbsDisabled);
    const RECT inside = Rect(2, 2, 73, 23);
    EXPECT_FALSE(PixelsOf(s, Rgb(clBtnShadow)).empty());
    EXPECT_FALSE(PixelsNotOf(s, inside, Rgb(clBtnFace)).empty());
    int highlights = 0;
    for (auto [x, y] : PixelsNotOf(s, inside, Rgb(clBtnFace)))
        highlights += s.At(x, y) == Rgb(clBtnHighlight);
    EXPECT_GT(highlights, 0) << "the light copy";

    TPaintSurface red(75, 25);
    red.canvas.Font().SetName(L"Tahoma");
    UltraFlat()->PaintButton(red.canvas, Rect(0, 0, 75, 25), L"Hello", cxbsNormal, true, clDefault, clRed);
    EXPECT_FALSE(PixelsOf(red, RGB(255, 0, 0)).empty());
}

TEST(ButtonPainting, UltraFlatPressedCaptionStaysInPlaceWhileItsColourChanges)
{
    auto paint = [](TcxButtonState state) {
        auto s = std::make_unique<TPaintSurface>(75, 25);
        s->canvas.Font().SetName(L"Tahoma");
        s->canvas.Font().SetHeight(-11);
        UltraFlat()->PaintButton(s->canvas, Rect(0, 0, 75, 25), L"Hello", state);
        return s;
    };
    auto normal = paint(cxbsNormal), pressed = paint(cxbsPressed);
    const RECT inside = Rect(1, 1, 74, 24);
    const auto normalText = PixelsNotOf(*normal, inside, Rgb(clBtnFace));
    const auto pressedText = PixelsNotOf(*pressed, inside, PressedLightColor());
    ASSERT_FALSE(normalText.empty());
    EXPECT_EQ(normalText, pressedText) << "no pressed shift";
    for (auto [x, y] : pressedText)
        ASSERT_EQ(Rgb(clHighlightText), pressed->At(x, y));
    for (auto [x, y] : normalText)
        ASSERT_EQ(Rgb(clBtnText), normal->At(x, y));
    EXPECT_EQ(0, UltraFlat()->ButtonPressedShift());
    EXPECT_EQ(2, UltraFlat()->ButtonCaptionOffset());
    EXPECT_EQ(cxbsNormal, UltraFlat()->ButtonGlyphDrawState(cxbsPressed));
    EXPECT_EQ(cxbsPressed, Standard()->ButtonGlyphDrawState(cxbsPressed));
}

TEST(ButtonPainting, UltraFlatHotAndPressedFacesAreBlendsOfTheSystemColours)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE), high = GetSysColor(COLOR_HIGHLIGHT),
                   window = GetSysColor(COLOR_WINDOW);
    ASSERT_NE(0u, face);
    ASSERT_NE(0xFFFFFFu, face) << "the test prefix holds the classic scheme";
    EXPECT_EQ(HotLightColor(), UltraFlat()->ButtonFaceColor(cxbsHot));
    EXPECT_EQ(PressedLightColor(), UltraFlat()->ButtonFaceColor(cxbsPressed));
    EXPECT_NE(face, HotLightColor()) << "a blend, not the face";
    EXPECT_NE(face, PressedLightColor());
    EXPECT_EQ(cxGetLightColor(face, high, window, -2, 30, 72), HotLightColor());
    // A white face (other scheme) gives the highlight colour itself.
    EXPECT_EQ(high, cxGetLightColor(RGB(255, 255, 255), high, window, -2, 30, 72));
    for (TcxButtonState s : {cxbsDefault, cxbsNormal, cxbsDisabled})
        EXPECT_EQ(clBtnFace, UltraFlat()->ButtonFaceColor(s));
    for (TcxButtonState s : kStates)
        EXPECT_EQ(clBtnFace, Standard()->ButtonFaceColor(s));
}

TEST(ButtonMetrics, FocusBoundsAndGroupBorderWidths)
{
    TPaintSurface s(4, 4);
    EXPECT_EQ(Rect(0, 0, 6, 6), Standard()->ButtonFocusBounds(s.canvas, Rect(0, 0, 6, 6))) << "too small to shrink";
    EXPECT_EQ(Rect(4, 4, 16, 16), Standard()->ButtonFocusBounds(s.canvas, Rect(0, 0, 20, 20)));
    EXPECT_EQ(Rect(3, 3, 17, 17), UltraFlat()->ButtonFocusBounds(s.canvas, Rect(0, 0, 20, 20)));
    EXPECT_EQ(Rect(0, 0, 6, 6), UltraFlat()->ButtonFocusBounds(s.canvas, Rect(0, 0, 6, 6)));

    EXPECT_EQ(Rect(2, 2, 1, 2), UltraFlat()->ButtonGroupBorderWidths(1, 0));
    EXPECT_EQ(Rect(2, 2, 1, 2), UltraFlat()->ButtonGroupBorderWidths(3, 0));
    EXPECT_EQ(Rect(1, 2, 1, 2), UltraFlat()->ButtonGroupBorderWidths(3, 1));
    EXPECT_EQ(Rect(1, 2, 2, 2), UltraFlat()->ButtonGroupBorderWidths(3, 2));
    EXPECT_EQ(Rect(2, 2, 2, 2), Standard()->ButtonGroupBorderWidths(2, 1));
    EXPECT_EQ(Rect(1, 1, 1, 1), Flat()->ButtonGroupBorderWidths(1, 0));

}

TEST(Borders, ContentBordersOfEachPainter)
{
    struct Row {
        TcxLookAndFeelPainterClass painter;
        int width;
        std::vector<std::pair<TColor, TColor>> rings;
    } rows[] = {
        {Standard(), 2, {{clBtnShadow, clBtnHighlight}, {cl3DDkShadow, cl3DLight}}},
        {Flat(), 1, {{clBtnShadow, clBtnHighlight}}},
        {UltraFlat(), 1, {{clBtnShadow, clBtnShadow}}},
        {Custom(), 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "style " << row.painter->PainterStyle());
        EXPECT_EQ(row.width, row.painter->ContentBorderWidth());
        TPaintSurface s(20, 12);
        row.painter->PaintBorder(s.canvas, Rect(0, 0, 20, 12));
        for (int i = 0; i < static_cast<int>(row.rings.size()); ++i) {
            EXPECT_EQ(Rgb(row.rings[i].first), s.At(i, 6));
            EXPECT_EQ(Rgb(row.rings[i].second), s.At(19 - i, 6));
            EXPECT_EQ(Rgb(row.rings[i].second), s.At(10, 11 - i));
        }
        EXPECT_TRUE(s.AllIn(Rect(row.width, row.width, 20 - row.width, 12 - row.width), kMagenta));
    }
}

TEST(EditButtons, UltraFlatEditButtonBlendsInWhenNormalAndIsSeparatedWhenHot)
{
    // A middle button of three, normal: the edit's colour around the face.
    TPaintSurface normal(20, 20);
    UltraFlat()->PaintEditButton(normal.canvas, Rect(0, 0, 20, 20), cxbsNormal, 3, 1, clWindow);
    EXPECT_EQ(kMagenta, normal.At(5, 0)) << "the top row is left to the edit's frame";
    EXPECT_EQ(Rgb(clWindow), normal.At(0, 5));
    EXPECT_EQ(Rgb(clWindow), normal.At(19, 5));
    EXPECT_EQ(Rgb(clWindow), normal.At(5, 1));
    EXPECT_TRUE(normal.AllIn(Rect(1, 2, 19, 18), Rgb(clBtnFace)));

    TPaintSurface hot(20, 20);
    UltraFlat()->PaintEditButton(hot.canvas, Rect(0, 0, 20, 20), cxbsHot, 3, 1, clWindow);
    EXPECT_EQ(Rgb(clHighlight), hot.At(0, 5));
    EXPECT_EQ(Rgb(clHighlight), hot.At(19, 5));
    EXPECT_TRUE(hot.AllIn(Rect(1, 1, 19, 19), HotLightColor()));

    // The last of a row gives up its right column; clDefault is the edit's default colour.
    TPaintSurface last(20, 20);
    UltraFlat()->PaintEditButton(last.canvas, Rect(0, 0, 20, 20), cxbsDisabled, 2, 1, clDefault);
    EXPECT_EQ(kMagenta, last.At(19, 5));
    EXPECT_EQ(Rgb(clWindow), last.At(18, 5));

    TPaintSurface frame(10, 10);
    UltraFlat()->PaintEditButtonsFrame(frame.canvas, Rect(0, 0, 10, 10), false, true);
    EXPECT_EQ(Rgb(clHighlight), frame.At(0, 5));
    UltraFlat()->PaintEditButtonsFrame(frame.canvas, Rect(0, 0, 10, 10), true, true);
    EXPECT_EQ(Rgb(clBtnText), frame.At(0, 5));
    UltraFlat()->PaintEditButtonsFrame(frame.canvas, Rect(0, 0, 10, 10), false, false);
    EXPECT_EQ(Rgb(clBtnShadow), frame.At(9, 5));

    // Other painters draw an ordinary button.
    TPaintSurface standard(20, 20), button(20, 20);
    Standard()->PaintEditButton(standard.canvas, Rect(0, 0, 20, 20), cxbsHot, 3, 1, clWindow);
    Standard()->PaintButton(button.canvas, Rect(0, 0, 20, 20), L"", cxbsHot);
    EXPECT_TRUE(standard.SameAs(button));
}

TEST(ScrollBars, DisabledThumbDrawsNothingAndHotLooksNormal)
{
    for (TcxLookAndFeelPainterClass painter : {Standard(), Flat(), UltraFlat()}) {
        SCOPED_TRACE(testing::Message() << "style " << painter->PainterStyle());
        TPaintSurface thumb(17, 40);
        painter->PaintScrollBarPart(thumb.canvas, false, Rect(0, 0, 17, 40), sbpThumb, cxbsDisabled);
        EXPECT_EQ(17 * 40, thumb.Count(kMagenta));

        for (bool horizontal : {false, true})
            for (TcxScrollBarPart part : {sbpLineUp, sbpLineDown, sbpThumb, sbpPageUp, sbpPageDown}) {
                TPaintSurface hot(17, 17), normal(17, 17);
                painter->PaintScrollBarPart(hot.canvas, horizontal, Rect(0, 0, 17, 17), part, cxbsHot);
                painter->PaintScrollBarPart(normal.canvas, horizontal, Rect(0, 0, 17, 17), part, cxbsNormal);
                EXPECT_TRUE(hot.SameAs(normal)) << "part " << part << " horizontal " << horizontal;
                EXPECT_LT(normal.Count(kMagenta), 17 * 17) << "part " << part << " draws";
            }
        TPaintSurface none(17, 17), empty(17, 17);
        painter->PaintScrollBarPart(none.canvas, false, Rect(0, 0, 17, 17), sbpNone, cxbsNormal);
        painter->PaintScrollBarPart(empty.canvas, false, Rect(5, 5, 5, 17), sbpPageUp, cxbsNormal);
        EXPECT_EQ(17 * 17, none.Count(kMagenta));
        EXPECT_EQ(17 * 17, empty.Count(kMagenta));
    }
}

TEST(ScrollBars, PagePatternsSitOnTheCanvasGrid)
{
    TPaintSurface s(20, 20);
    Standard()->PaintScrollBarPart(s.canvas, false, Rect(3, 3, 13, 13), sbpPageDown, cxbsNormal);
    for (int y = 3; y < 13; ++y)
        for (int x = 3; x < 13; ++x)
            ASSERT_EQ(Rgb((x + y) % 2 ? clBtnHighlight : clBtnFace), s.At(x, y)) << x << "," << y;
    EXPECT_EQ(kMagenta, s.At(2, 3));
    EXPECT_EQ(nullptr, s.canvas.Brush().Bitmap()) << "the brush is plain again";

    TPaintSurface pressed(8, 8);
    Flat()->PaintScrollBarPart(pressed.canvas, true, Rect(0, 0, 8, 8), sbpPageUp, cxbsPressed);
    EXPECT_EQ(Rgb(cl3DDkShadow), pressed.At(1, 0));
    EXPECT_EQ(RGB(0, 0, 0), pressed.At(1, 1));
}

TEST(ScrollBars, StandardThumbAndArrowFrames)
{
    TPaintSurface thumb(17, 30);
    Standard()->PaintScrollBarPart(thumb.canvas, false, Rect(0, 0, 17, 30), sbpThumb, cxbsNormal);
    EXPECT_EQ(Rgb(clBtnFace), thumb.At(0, 10));
    EXPECT_EQ(Rgb(cl3DDkShadow), thumb.At(16, 10));
    EXPECT_EQ(Rgb(clBtnHighlight), thumb.At(1, 10));
    EXPECT_EQ(Rgb(clBtnShadow), thumb.At(15, 10));
    EXPECT_TRUE(thumb.AllIn(Rect(2, 2, 15, 28), Rgb(clBtnFace)));

    TPaintSurface arrow(17, 17), pressed(17, 17), disabled(17, 17);
    Standard()->PaintScrollBarPart(arrow.canvas, false, Rect(0, 0, 17, 17), sbpLineDown, cxbsNormal);
    Standard()->PaintScrollBarPart(pressed.canvas, false, Rect(0, 0, 17, 17), sbpLineDown, cxbsPressed);
    Standard()->PaintScrollBarPart(disabled.canvas, false, Rect(0, 0, 17, 17), sbpLineDown, cxbsDisabled);
    EXPECT_EQ(Rgb(cl3DDkShadow), arrow.At(16, 8));
    EXPECT_GT(arrow.Count(Rgb(clBtnText)), 3) << "the system drew the arrow";
    EXPECT_EQ(Rgb(clBtnShadow), pressed.At(0, 8)) << "a pressed arrow's flat frame";
    EXPECT_EQ(Rgb(clBtnShadow), pressed.At(16, 8));
    EXPECT_EQ(Rgb(clBtnFace), pressed.At(1, 8));
    EXPECT_EQ(0, disabled.Count(Rgb(clBtnText))) << "greyed";

    // The flat rule: a button with the state arrow inside.
    TPaintSurface flat(17, 17);
    Flat()->PaintScrollBarPart(flat.canvas, true, Rect(0, 0, 17, 17), sbpLineUp, cxbsNormal);
    TPaintSurface expected(17, 17);
    Flat()->PaintButton(expected.canvas, Rect(0, 0, 17, 17), L"", cxbsNormal);
    Flat()->PaintStateArrow(expected.canvas, Rect(1, 1, 16, 16), cxbsNormal, adLeft);
    EXPECT_TRUE(flat.SameAs(expected));
}

TEST(OtherElements, ExpandCheckAndRadioButtons)
{
    // Expand buttons: frame, face, sign; the button is then excluded from clipping.
    TPaintSurface ultra(20, 20);
    UltraFlat()->PaintExpandButton(ultra.canvas, Rect(0, 0, 11, 11), clDefault, false);
    EXPECT_EQ(Rgb(clBtnShadow), ultra.At(0, 5));
    EXPECT_EQ(Rgb(clBtnText), ultra.At(5, 5)) << "the sign's centre";
    EXPECT_EQ(Rgb(clBtnText), ultra.At(5, 3)) << "plus: collapsed";
    EXPECT_EQ(Rgb(clBtnFace), ultra.At(2, 2));
    ultra.canvas.FillRect(Rect(0, 0, 20, 20), clLime);
    EXPECT_EQ(Rgb(clBtnShadow), ultra.At(0, 5)) << "clipped out";
    EXPECT_EQ(RGB(0, 255, 0), ultra.At(15, 15));

    TPaintSurface minus(11, 11);
    Standard()->PaintExpandButton(minus.canvas, Rect(0, 0, 11, 11), clDefault, true);
    EXPECT_EQ(Rgb(clBtnText), minus.At(5, 5));
    EXPECT_EQ(Rgb(clBtnFace), minus.At(5, 3)) << "minus: expanded";
    EXPECT_EQ(Rgb(cl3DDkShadow), minus.At(10, 5));
    EXPECT_EQ(12, Standard()->ExpandButtonSize());
    EXPECT_EQ(11, Flat()->ExpandButtonSize());
    EXPECT_EQ(11, UltraFlat()->ExpandButtonSize());

    // Check boxes: border, face by state, tick in the text colour.
    TPaintSurface check(13, 13);
    UltraFlat()->PaintCheckBox(check.canvas, Rect(0, 0, 13, 13), true, cxbsNormal);
    EXPECT_EQ(Rgb(clBtnText), check.At(0, 6));
    EXPECT_EQ(Rgb(clWindow), check.At(1, 6));
    EXPECT_GT(check.Count(Rgb(clBtnText)), 48 + 10) << "frame and tick";
    TPaintSurface disabledCheck(13, 13);
    Standard()->PaintCheckBox(disabledCheck.canvas, Rect(0, 0, 13, 13), true, cxbsDisabled);
    EXPECT_EQ(Rgb(clBtnFace), disabledCheck.At(3, 3));
    EXPECT_GT(disabledCheck.Count(Rgb(clGrayText)), 10);

    // Radio buttons come from the image cache, drawn transparently.
    TPaintSurface radio(14, 14);
    Standard()->PaintRadioButton(radio.canvas, POINT{1, 1}, false, cxbsNormal);
    EXPECT_EQ(kMagenta, radio.At(1, 1)) << "outside the circle";
    EXPECT_EQ(Rgb(clBtnShadow), radio.At(1, 6));
    EXPECT_EQ(Rgb(clWindow), radio.At(7, 7));
    TPaintSurface checked(14, 14);
    UltraFlat()->PaintRadioButton(checked.canvas, POINT{1, 1}, true, cxbsNormal);
    EXPECT_EQ(Rgb(clBtnText), checked.At(1, 6));
    EXPECT_EQ(Rgb(clBtnText), checked.At(7, 7)) << "the dot";
}

TEST(SharedImages, ColourChangeRedrawsTheCachesBeforeTheControlsHearOfIt)
{
    TPaintSurface radio(14, 14);
    Flat()->PaintRadioButton(radio.canvas, POINT{0, 0}, true, cxbsHot);
    EXPECT_GT(cxRadioButtonImages().CachedCount(), 0);

    TcxSystemPaletteChangedListener* listener = TcxSystemPaletteChangedListener::Instance();
    ASSERT_NE(nullptr, listener);
    ASSERT_FALSE(listener->PrimaryNotifiers().empty());
    TcxLookAndFeel lf(nullptr);
    int cachedWhenTold = -1;
    lf.OnChanged = [&](TcxLookAndFeel*, TcxLookAndFeelValues) {
        cachedWhenTold = cxRadioButtonImages().CachedCount();
    };
    SendMessageW(listener->WindowHandle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(0, cachedWhenTold) << "the cache was emptied first";

    TPaintSurface again(14, 14);
    Flat()->PaintRadioButton(again.canvas, POINT{0, 0}, true, cxbsHot);
    EXPECT_TRUE(again.SameAs(radio));
    EXPECT_EQ(Rgb(clBtnHighlight), cxScrollBarPagePattern(false).PixelAt(1, 0));
    EXPECT_EQ(RGB(0, 0, 0), cxScrollBarPagePattern(true).PixelAt(0, 0));
    EXPECT_EQ(5, cxIndicatorImages().Count());
    EXPECT_EQ(16, cxAutoHideBitmap(true).Width());

    // A new highlight colour reaches the page pattern (desktop-wide; put back at the end).
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), changed = RGB(0x20, 0x40, 0x60);
    struct Restore {
        COLORREF color;
        ~Restore()
        {
            const INT element = COLOR_BTNHIGHLIGHT;
            SetSysColors(1, &element, &color);
        }
    } restore{highlight};
    const INT element = COLOR_BTNHIGHLIGHT;
    SetSysColors(1, &element, &changed);
    SendMessageW(listener->WindowHandle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(qvtest::Hex(changed), qvtest::Hex(cxScrollBarPagePattern(false).PixelAt(1, 0)));
}

TEST(GridElements, OverriddenColoursSizesAndBorders)
{
    // Slot 42 answers what slot 28 answers, also where 28 is overridden.
    EXPECT_EQ(Custom()->DefaultGroupByBoxColor(), Custom()->DefaultGroupByBoxLineColor());
    EXPECT_EQ(0x00800000u, UltraFlat()->DefaultHyperlinkTextColor());
    EXPECT_EQ(clWindowText, Standard()->DefaultHyperlinkTextColor());
    EXPECT_EQ((POINT{12, 12}), UltraFlat()->FilterCloseButtonGlyphSize());
    EXPECT_EQ(2 * 1 + 13 + 4, Standard()->HeaderHeight(13));
    EXPECT_EQ(Rect(2, 2, 8, 8), UltraFlat()->CellContentBounds(Rect(1, 1, 9, 9)));
    EXPECT_EQ(Rect(1, 1, 9, 9), Custom()->CellContentBounds(Rect(1, 1, 9, 9)));
    EXPECT_EQ(static_cast<TcxSides>(sdRight | sdBottom), UltraFlat()->HeaderBorders(nLeft | nTop));
    EXPECT_EQ(static_cast<TcxSides>(sdAll), Standard()->HeaderBorders(nLeft | nTop));

    // The row indicator's glyphs leave their background out.
    TPaintSurface s(20, 20, clLime);
    Standard()->PaintIndicatorImage(s.canvas, Rect(0, 0, 20, 20), ikArrow);
    EXPECT_GT(s.Count(RGB(0, 0, 0)), 10);
    EXPECT_EQ(20 * 20, s.Count(RGB(0, 0, 0)) + s.Count(RGB(0, 255, 0)));
    TPaintSurface none(20, 20, clLime);
    Standard()->PaintIndicatorImage(none.canvas, Rect(0, 0, 20, 20), ikNone);
    EXPECT_EQ(20 * 20, none.Count(RGB(0, 255, 0)));
}

TEST(Painters, LookAndFeelYieldsThePainterOfItsKind)
{
    TcxLookAndFeel lf(nullptr);
    EXPECT_EQ(UltraFlat(), lf.GetPainter()) << "a new look-and-feel draws ultra-flat";
    lf.WriteKind(lfFlat);
    EXPECT_EQ(Flat(), lf.GetPainter());
    lf.WriteKind(lfStandard);
    EXPECT_EQ(Standard(), lf.GetPainter());
    // The test system has visual styles: the native style draws through them.
    lf.WriteNativeStyle(true);
    EXPECT_TRUE(lf.NativeStyle());
    EXPECT_EQ(TcxWinXPLookAndFeelPainter::Instance(), lf.GetPainter());
    lf.WriteNativeStyle(false);
    lf.WriteKind(lfUltraFlat);
    EXPECT_EQ(UltraFlat(), lf.GetPainter());
    EXPECT_EQ(Standard(), TcxStandardLookAndFeelPainter::Instance()) << "one shared instance";
}

TEST(Painters, PaintingLeavesNoObjectsBehind)
{
    TPaintSurface s(80, 30);
    s.canvas.Font().SetName(L"Tahoma");
    auto paintAll = [&] {
        for (TcxLookAndFeelPainterClass p : {Standard(), Flat(), UltraFlat()})
            for (TcxButtonState state : kStates) {
                p->PaintButton(s.canvas, Rect(0, 0, 75, 25), L"&Save", state);
                p->PaintStateArrow(s.canvas, Rect(0, 0, 16, 16), state, adDown);
                p->PaintEditButton(s.canvas, Rect(0, 0, 17, 20), state, 2, 0, clWindow);
                p->PaintScrollBarPart(s.canvas, false, Rect(0, 0, 17, 17), sbpLineUp, state);
                p->PaintScrollBarPart(s.canvas, false, Rect(0, 0, 17, 17), sbpPageUp, state);
                p->PaintCheckBox(s.canvas, Rect(0, 0, 13, 13), true, state);
                p->PaintRadioButton(s.canvas, POINT{0, 0}, true, state);
                p->PaintAutoHideButton(s.canvas, Rect(0, 0, 20, 20), true, state);
                p->PaintIndicatorItem(s.canvas, Rect(0, 0, 20, 20), ikEdit, clDefault);
            }
    };
    paintAll();
    const int objects = TGdiCounters::LiveObjects(), dcs = TGdiCounters::LiveDCs();
    for (int i = 0; i < 5; ++i)
        paintAll();
    EXPECT_EQ(objects, TGdiCounters::LiveObjects());
    EXPECT_EQ(dcs, TGdiCounters::LiveDCs());
}

namespace {

using PaintCall = std::function<void(TcxLookAndFeelPainterClass, TcxCanvas&, const RECT&, TcxButtonState)>;

// Every operation that is given a rectangle to draw in, by slot.
std::vector<std::pair<const char*, PaintCall>> RectangleOperations()
{
    TFont* font = nullptr;
    return {
        {"0 PaintFilterArrow", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintFilterArrow(c, r, clBlack); }},
        {"1 PaintCellContent", [font](auto p, TcxCanvas& c, const RECT& r, auto) {
             p->PaintCellContent(c, r, nullptr, clWindow, clBlack, font, L"Wide text", taLeftJustify, vaCenter,
                                 true, true, r);
         }},
        {"49 PaintArrow", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintArrow(c, r, adRight, clBlack); }},
        {"50 PaintScrollArrow", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             p->PaintScrollArrow(c, r, true, adDown, s);
             p->PaintScrollArrow(c, r, false, adLeft, s);
         }},
        {"51 PaintArrowButtonFace", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) { p->PaintArrowButtonFace(c, r, s); }},
        {"52 PaintStateArrow", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             for (TcxArrowDirection d : {adUp, adDown, adLeft, adRight})
                 p->PaintStateArrow(c, r, s, d);
         }},
        {"54 PaintBorder", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintBorder(c, r); }},
        {"63 PaintButton", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             p->PaintButton(c, r, L"&Save", s);
             p->PaintButton(c, r, L"&Save", s, false);
         }},
        {"64 PaintEditButton", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             for (int index = 0; index < 3; ++index)
                 p->PaintEditButton(c, r, s, 3, index, clWindow);
         }},
        {"65 PaintButtonBorder", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) { p->PaintButtonBorder(c, r, s); }},
        {"66 PaintEditButtonsFrame", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             p->PaintEditButtonsFrame(c, r, s == cxbsPressed, s == cxbsHot);
         }},
        {"67 PaintExpandButton", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             p->PaintExpandButton(c, r, clDefault, s == cxbsPressed);
         }},
        {"69 PaintGroupExpandButton", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             p->PaintGroupExpandButton(c, r, s, true);
             p->PaintGroupExpandButton(c, r, s, false);
         }},
        {"70 PaintSmallExpandButton", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             p->PaintSmallExpandButton(c, r, clWindow, clBtnShadow, s == cxbsPressed);
         }},
        {"78 PaintCheckMark", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) { p->PaintCheckMark(c, r, clBlack, true, s); }},
        {"79 PaintCheckBorder", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) { p->PaintCheckBorder(c, r, s); }},
        {"80 PaintCheckBox", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) { p->PaintCheckBox(c, r, true, s); }},
        {"82 PaintHeader", [font](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             p->PaintHeader(c, r, r, nLeft | nRight, sdAll, s, taCenter, vaCenter, false, true, L"Header", font,
                            clDefault, clDefault);
         }},
        {"83 PaintHeaderPressed", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintHeaderPressed(c, r); }},
        {"84 PaintHeaderBorder", [](auto p, TcxCanvas& c, const RECT& r, auto) {
             p->PaintHeaderBorder(c, r, nLeft | nRight, sdAll);
         }},
        {"85 PaintSortingMark", [](auto p, TcxCanvas& c, const RECT& r, auto) {
             p->PaintSortingMark(c, r, true);
             p->PaintSortingMark(c, r, false);
         }},
        {"95 PaintHeaderBackground", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintHeaderBackground(c, r, clDefault); }},
        {"96 PaintHeaderText", [font](auto p, TcxCanvas& c, const RECT& r, auto) {
             p->PaintHeaderText(c, r, L"Header", font, clDefault, taRightJustify, vaBottom, false, false);
         }},
        {"105 PaintFooterBorder", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintFooterBorder(c, r); }},
        {"106 PaintFooterCellBorder", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintFooterCellBorder(c, r); }},
        {"107 PaintFooterSeparator", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintFooterSeparator(c, r); }},
        {"108 PaintFilterCloseButton", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) { p->PaintFilterCloseButton(c, r, s); }},
        {"110 PaintFilterDropDownButton", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             p->PaintFilterDropDownButton(c, r, s, true);
         }},
        {"112 PaintFooterCell", [font](auto p, TcxCanvas& c, const RECT& r, auto) {
             p->PaintFooterCell(c, r, taLeftJustify, vaTop, true, L"Sum", font, clDefault, clDefault);
         }},
        {"120 PaintSizeGripButton", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) { p->PaintSizeGripButton(c, r, s); }},
        {"121 PaintSizeGripGlyph", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) { p->PaintSizeGripGlyph(c, r, s); }},
        {"122 PaintAutoHideButton", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             p->PaintAutoHideButton(c, r, s == cxbsPressed, s);
         }},
        {"123 PaintTab", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) { p->PaintTab(c, r, s); }},
        {"124 PaintTabBorder", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintTabBorder(c, r, sdAll); }},
        {"125 PaintTabsRoot", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintTabsRoot(c, r, sdAll); }},
        {"128 PaintIndicatorHeader", [](auto p, TcxCanvas& c, const RECT& r, auto) {
             p->PaintIndicatorHeader(c, r, nTop, sdAll);
         }},
        {"129 PaintIndicatorItem", [](auto p, TcxCanvas& c, const RECT& r, auto) {
             p->PaintIndicatorItem(c, r, ikMultiArrow, clDefault);
         }},
        {"130 PaintIndicatorImage", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintIndicatorImage(c, r, ikInsert); }},
        {"132 PaintScrollBarPart", [](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             for (bool horizontal : {false, true})
                 for (TcxScrollBarPart part : {sbpLineUp, sbpLineDown, sbpThumb, sbpPageUp, sbpPageDown})
                     p->PaintScrollBarPart(c, horizontal, r, part, s);
         }},
        {"133 PaintHeaderWithSortMark", [font](auto p, TcxCanvas& c, const RECT& r, TcxButtonState s) {
             p->PaintHeaderWithSortMark(c, r, r, nRight, sdAll, s, taLeftJustify, vaTop, false, false, L"Name",
                                        font, clDefault, clDefault, true);
         }},
        {"134 PaintBorderCopy", [](auto p, TcxCanvas& c, const RECT& r, auto) { p->PaintBorderCopy(c, r); }},
    };
}

} // namespace

// Rectangles smaller than a border or a glyph, down to nothing at all: whatever a
// painter cannot fit is left out, never drawn beside the rectangle.
TEST(Painters, NothingIsDrawnOutsideTheGivenRectangle)
{
    const auto operations = RectangleOperations();
    int failures = 0;
    // One line per operation and painter: the first state and size that strays.
    std::set<std::pair<std::string, int>> reported;
    for (TcxLookAndFeelPainterClass painter : {Custom(), Standard(), Flat(), UltraFlat()})
        for (const auto& [name, paint] : operations)
            for (TcxButtonState state : kStates)
                for (SIZE size : {SIZE{0, 0}, SIZE{1, 1}, SIZE{2, 2}, SIZE{0, 2}, SIZE{2, 1}, SIZE{1, 2}}) {
                    TPaintSurface s(40, 40);
                    s.canvas.Font().SetName(L"Tahoma");
                    const RECT r = Bounds(20, 20, size.cx, size.cy);
                    paint(painter, s.canvas, r, state);
                    int outside = 0;
                    POINT first{};
                    for (int y = 0; y < 40; ++y)
                        for (int x = 0; x < 40; ++x) {
                            const POINT p{x, y};
                            if (!PtInRect(&r, p) && s.At(x, y) != kMagenta && outside++ == 0)
                                first = p;
                        }
                    if (outside > 0 && ++failures && reported.insert({name, painter->PainterStyle()}).second)
                        ADD_FAILURE() << name << ", style " << painter->PainterStyle() << ", state " << state
                                      << ", " << size.cx << " x " << size.cy << ": " << outside
                                      << " pixels outside, the first at (" << first.x << ", " << first.y << ") "
                                      << qvtest::Hex(s.At(first.x, first.y));
                }
    EXPECT_EQ(0, failures);
}
