#include "controls/lookandfeel/cxLookAndFeelPainters.h"

#include "controls/lookandfeel/dxUxTheme.h"

#include <algorithm>
#include <climits>

using namespace qv;

namespace {

RECT Shrunk(const RECT& r, int n) { return Inflated(r, -n, -n); }
// Inside n lines of a frame drawn on the canvas (a line is wider on a dense display).
RECT InsetLines(const TcxCanvas& c, const RECT& r, int n) { return Shrunk(r, n * c.LineWidth()); }

// The pixels the points cover (a box one pixel wider and higher than their span),
// moved by (0..dx, 0..dy).
RECT PointsBox(std::initializer_list<POINT> points, int dx = 0, int dy = 0)
{
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (POINT p : points) {
        box.left = std::min<LONG>(box.left, p.x);
        box.top = std::min<LONG>(box.top, p.y);
        box.right = std::max<LONG>(box.right, p.x + 1 + dx);
        box.bottom = std::max<LONG>(box.bottom, p.y + 1 + dy);
    }
    return box;
}

// A filled triangle with its outline, both in one colour.
void DrawTriangle(TcxCanvas& c, POINT p0, POINT p1, POINT p2, TColor color)
{
    c.SetBrushColor(color);
    c.Pen().SetStyle(TPenStyle::psSolid);
    c.Pen().SetWidth(1);
    c.Pen().SetColor(color);
    c.Polygon({p0, p1, p2});
}

void DrawLine(TcxCanvas& c, int x0, int y0, int x1, int y1, TColor color)
{
    c.Pen().SetStyle(TPenStyle::psSolid);
    c.Pen().SetWidth(1);
    c.Pen().SetColor(color);
    c.MoveTo(x0, y0);
    c.LineTo(x1, y1);
}

// A plus (collapsed) or minus (expanded) sign centred in r, its strokes a pixel or
// two short of r's edges.
void DrawExpandSign(TcxCanvas& c, const RECT& r, bool expanded, TColor color)
{
    if (IsRectEmptyR(r))
        return;
    const int cx = (r.left + r.right - 1) / 2, cy = (r.top + r.bottom - 1) / 2;
    const int half = std::max(0, (std::min(Width(r), Height(r)) - 3) / 2);
    c.FillRect(Rect(cx - half, cy, cx + half + 1, cy + 1), color);
    if (!expanded)
        c.FillRect(Rect(cx, cy - half, cx + 1, cy + half + 1), color);
}

// The header sort triangle as an outline: the edges facing up and left in the
// dark colour, the others in the light one (with both the same, a flat outline).
void DrawSortMark(TcxCanvas& c, const RECT& r, bool ascending, TColor light, TColor dark)
{
    const int w = Width(r), h = Height(r);
    if (w <= 0 || h <= 0)
        return;
    const int left = r.left, right = r.right - 1, top = r.top, bottom = r.bottom - 1;
    const int mid = (left + right) / 2;
    if (ascending) {
        DrawLine(c, mid, top, left, bottom, dark);
        DrawLine(c, left, bottom, right + 1, bottom, light);
        DrawLine(c, mid, top, right, bottom, light);
        c.SetPixelColor(right, bottom, light);
    } else {
        DrawLine(c, left, top, right + 1, top, dark);
        DrawLine(c, left, top, mid, bottom, dark);
        DrawLine(c, right, top, mid, bottom, light);
        c.SetPixelColor(mid, bottom, light);
    }
}

// The rectangle of the given size centred in r.
RECT Centered(const RECT& r, int w, int h)
{
    const int x = (r.left + r.right - w) / 2, y = (r.top + r.bottom - h) / 2;
    return Bounds(x, y, w, h);
}

// A pixel of a frame's corner, when it lies in R.
void SetPixelIn(TcxCanvas& c, const RECT& R, int x, int y, TColor color)
{
    if (x >= R.left && x < R.right && y >= R.top && y < R.bottom)
        c.SetPixelColor(x, y, color);
}

// Draws the bitmap leaving out its bottom-left pixel's colour (the background of
// the unit's pictures). Blits from the bitmap's own canvas: the bitmap stays
// selected there and cannot be selected into a second context.
void DrawTransparentBitmap(TcxCanvas& c, TBitmap& bitmap, int x, int y)
{
    if (bitmap.Empty())
        return;
    const COLORREF key = bitmap.PixelAt(0, bitmap.Height() - 1);
    GdiTransparentBlt(c.Handle(), x, y, bitmap.Width(), bitmap.Height(), bitmap.Canvas().Handle(), 0, 0,
                   bitmap.Width(), bitmap.Height(), key);
}

void PaintText(TcxCanvas& c, const RECT& r, const std::wstring& text, TFont* font, TColor color,
              TcxTextFlags flags)
{
    if (text.empty())
        return;
    if (font)
        c.Font().Assign(*font);
    c.Font().SetColor(color);
    c.Brush().SetStyle(TBrushStyle::bsClear);
    c.DrawCaption(text, r, flags);
    c.Brush().SetStyle(TBrushStyle::bsSolid);
}

TcxTextFlags CellTextFlags(TAlignment horz, TcxAlignmentVert vert, bool multiLine, bool endEllipsis)
{
    TcxTextFlags flags = cxAlignmentsToTextFlags(horz, vert);
    flags |= multiLine ? tfWordBreak : tfSingleLine;
    if (endEllipsis)
        flags |= tfShowEndEllipsis;
    return flags;
}

} // namespace

// ===========================================================================
// TcxCustomLookAndFeelPainter

const TcxCustomLookAndFeelPainter* TcxCustomLookAndFeelPainter::Instance()
{
    static const TcxCustomLookAndFeelPainter instance;
    return &instance;
}

void TcxCustomLookAndFeelPainter::CalculateArrowPoints(RECT R, POINT& P0, POINT& P1, POINT& P2,
                                                       TcxArrowDirection AArrowDirection, bool AProportional)
{
    if (AProportional) {
        const int d = Width(R) - Height(R);
        if (d > 0)
            R = Inflated(R, -(d / 2), 0);
        else if (d < 0)
            R = Inflated(R, 0, d / 2);
    }
    int w, h;
    if (AArrowDirection == adUp || AArrowDirection == adDown) {
        w = (R.right - R.left - 1) / 2;
        if (w % 2 == 0)
            ++w;
        h = w / 2 + 1;
    } else {
        h = (R.bottom - R.top - 1) / 2;
        if (h % 2 == 0)
            ++h;
        w = h / 2 + 1;
    }
    // MulDiv rounds a half away from zero, as the arrows have always been placed.
    const int y0 = MulDiv(R.top + R.bottom - h, 1, 2);
    const int x0 = (R.left + R.right - w) / 2;
    const int xc = (R.left + R.right - 1) / 2;
    const int yc = (R.top + R.bottom) / 2;
    switch (AArrowDirection) {
    case adUp:
        P0 = {xc, y0};
        P1 = {x0, y0 + h - 1};
        P2 = {x0 + w - 1, y0 + h - 1};
        break;
    case adDown:
        P0 = {x0, y0};
        P1 = {x0 + w - 1, y0};
        P2 = {xc, y0 + h - 1};
        break;
    case adLeft:
        P0 = {x0, yc};
        P1 = {x0 + w - 1, y0};
        P2 = {x0 + w - 1, y0 + h - 1};
        break;
    case adRight:
        P0 = {x0, y0};
        P1 = {x0 + w - 1, yc};
        P2 = {x0, y0 + h - 1};
        break;
    }
}

void TcxCustomLookAndFeelPainter::PaintFilterArrow(TcxCanvas& ACanvas, const RECT& R, TColor AColor) const
{
    const int side = std::min({Width(R), Height(R), 11});
    if (side <= 0)
        return;
    POINT p0, p1, p2;
    CalculateArrowPoints(Centered(R, side, side), p0, p1, p2, adDown, true);
    DrawTriangle(ACanvas, p0, p1, p2, AColor);
}

void TcxCustomLookAndFeelPainter::PaintCellContent(TcxCanvas& ACanvas, const RECT& R,
                                                   const TcxDrawBackgroundEvent& ADrawBackground, TColor ABkColor,
                                                   TColor ATextColor, TFont* AFont, const std::wstring& AText,
                                                   TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                                   bool AMultiLine, bool AShowEndEllipsis,
                                                   const RECT& ATextAreaBounds) const
{
    if (!ADrawBackground || !ADrawBackground(ACanvas, R))
        ACanvas.FillRect(R, ABkColor);
    PaintText(ACanvas, ATextAreaBounds, AText, AFont, ATextColor,
             CellTextFlags(AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis));
}

RECT TcxCustomLookAndFeelPainter::CellContentBounds(const RECT& R) const
{
    return Shrunk(R, FooterCellBorderSize());
}

RECT TcxCustomLookAndFeelPainter::CellTextBounds(const RECT& R) const { return Shrunk(CellContentBounds(R), 2); }

TcxPainterStyle TcxCustomLookAndFeelPainter::PainterStyle() const { return psStandard; }

TColor TcxCustomLookAndFeelPainter::DefaultContentEvenColor() const { return 0x00F0FBFF; }
TColor TcxCustomLookAndFeelPainter::DefaultContentEvenTextColor() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultContentOddColor() const { return 0x00F0FBFF; }
TColor TcxCustomLookAndFeelPainter::DefaultContentOddTextColor() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultGridLineColor() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultContentTextColor() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultHyperlinkTextColor() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultPreviewTextColor() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultDragArrowColor() const { return clLime; }
TColor TcxCustomLookAndFeelPainter::DefaultContentColor() const { return clWindow; }
TColor TcxCustomLookAndFeelPainter::DefaultDropMarkColor() const { return clLime; }
TColor TcxCustomLookAndFeelPainter::DefaultEditorTextColor() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultEditorBackgroundColor() const { return clWindow; }
TColor TcxCustomLookAndFeelPainter::DefaultFilterBoxTextColor() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultFilterBoxColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultFooterColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultSelectionColor() const { return clHighlight; }
TColor TcxCustomLookAndFeelPainter::DefaultSelectionTextColor() const { return clHighlightText; }
TColor TcxCustomLookAndFeelPainter::DefaultFooterLineColor() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultHeaderHighlightColor() const { return clBtnHighlight; }
TColor TcxCustomLookAndFeelPainter::DefaultFooterTextColor() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultGroupColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultGroupTextColor() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultGroupByBoxColor() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultHeaderColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultHeaderTextColor() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultHeaderShadowColor() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultIndicatorColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultBandHeaderColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultBandHeaderTextColor() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultTreeLineColor() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultTabColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultTabsBackgroundColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultTabTextColor() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultSizeGripAreaColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultErrorMarkColor() const { return clRed; }
TColor TcxCustomLookAndFeelPainter::DefaultFilterActiveColor() const { return clBlue; }
TColor TcxCustomLookAndFeelPainter::DefaultGroupByBoxLineColor() const { return DefaultGroupByBoxColor(); }
TColor TcxCustomLookAndFeelPainter::DefaultInactiveSelectionColor() const { return clHighlight; }
TColor TcxCustomLookAndFeelPainter::DefaultInactiveSelectionTextColor() const { return clHighlightText; }
TColor TcxCustomLookAndFeelPainter::DefaultSeparatorColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultScrollBarColor() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultButtonTextColor() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultButtonColor() const { return clBtnFace; }

void TcxCustomLookAndFeelPainter::PaintArrow(TcxCanvas& ACanvas, const RECT& R, TcxArrowDirection AArrowDirection,
                                             TColor AColor) const
{
    POINT p0, p1, p2;
    CalculateArrowPoints(R, p0, p1, p2, AArrowDirection, true);
    TcxClipScope clip(ACanvas, R, !cxRectContains(R, PointsBox({p0, p1, p2})));
    DrawTriangle(ACanvas, p0, p1, p2, AColor);
}

void TcxCustomLookAndFeelPainter::PaintScrollArrow(TcxCanvas& ACanvas, const RECT& R, bool ADrawFace,
                                                   TcxArrowDirection AArrowDirection, TcxButtonState AState) const
{
    if (ADrawFace)
        PaintArrowButtonFace(ACanvas, R, AState);
    else
        ACanvas.FillRect(R, ButtonFaceColor(AState));
    POINT p0, p1, p2;
    CalculateArrowPoints(R, p0, p1, p2, AArrowDirection, false);
    TcxClipScope clip(ACanvas, R, !cxRectContains(R, PointsBox({p0, p1, p2})));
    DrawTriangle(ACanvas, p0, p1, p2, ButtonGlyphColor(AState));
}

void TcxCustomLookAndFeelPainter::PaintArrowButtonFace(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const
{
    ACanvas.FillRect(R, ButtonFaceColor(AState));
    PaintButtonBorder(ACanvas, R, AState);
}

void TcxCustomLookAndFeelPainter::PaintStateArrow(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                                  TcxArrowDirection AArrowDirection) const
{
    RECT r = R;
    if (AState == cxbsPressed)
        r = Offsetted(r, ButtonPressedShift(), ButtonPressedShift());
    POINT p0, p1, p2;
    CalculateArrowPoints(r, p0, p1, p2, AArrowDirection, true);
    const int light = AState == cxbsDisabled ? 1 : 0;
    TcxClipScope clip(ACanvas, R, !cxRectContains(R, PointsBox({p0, p1, p2}, light, light)));
    if (AState == cxbsDisabled) {
        auto moved = [](POINT p) { return POINT{p.x + 1, p.y + 1}; };
        DrawTriangle(ACanvas, moved(p0), moved(p1), moved(p2), clBtnHighlight);
        DrawTriangle(ACanvas, p0, p1, p2, clBtnShadow);
    } else
        DrawTriangle(ACanvas, p0, p1, p2, ButtonGlyphColor(AState));
}

int TcxCustomLookAndFeelPainter::ContentBorderWidth() const { return 0; }

void TcxCustomLookAndFeelPainter::PaintBorder(TcxCanvas&, const RECT&) const {}

int TcxCustomLookAndFeelPainter::ButtonBorderWidth(TcxButtonState) const { return 0; }

TColor TcxCustomLookAndFeelPainter::ButtonFaceColor(TcxButtonState) const { return clBtnFace; }

RECT TcxCustomLookAndFeelPainter::ButtonFocusBounds(TcxCanvas& ACanvas, const RECT& R) const
{
    const RECT r = InsetLines(ACanvas, R, 4);
    return IsRectEmptyR(r) ? R : r;
}

RECT TcxCustomLookAndFeelPainter::ButtonGroupBorderWidths(int, int) const
{
    const int w = ButtonBorderWidth(cxbsNormal);
    return Rect(w, w, w, w);
}

int TcxCustomLookAndFeelPainter::ButtonCaptionOffset() const { return 0; }

int TcxCustomLookAndFeelPainter::ButtonPressedShift() const { return 0; }

TColor TcxCustomLookAndFeelPainter::ButtonGlyphColor(TcxButtonState AState) const
{
    return AState == cxbsDisabled ? clBtnShadow : clBtnText;
}

TcxButtonState TcxCustomLookAndFeelPainter::ButtonGlyphDrawState(TcxButtonState AState) const { return AState; }

void TcxCustomLookAndFeelPainter::PaintButton(TcxCanvas& ACanvas, const RECT& R, const std::wstring& ACaption,
                                              TcxButtonState AState, bool ADrawBorder, TColor AColor,
                                              TColor ATextColor) const
{
    RECT r = R;
    if (ADrawBorder) {
        PaintButtonBorder(ACanvas, r, AState);
        r = InsetLines(ACanvas, r, ButtonBorderWidth(AState));
    }
    ACanvas.FillRect(r, AColor == clDefault ? ButtonFaceColor(AState) : AColor);
    ACanvas.Font().SetColor(ATextColor == clDefault ? ButtonGlyphColor(AState) : ATextColor);
    ACanvas.Brush().SetStyle(TBrushStyle::bsClear);
    // The caption sits on an even height; a low one gains a row at the top.
    if (Height(r) % 2 != 0)
        --r.bottom;
    if (Height(r) < 18)
        --r.top;
    if (AState == cxbsPressed)
        r = Offsetted(r, ButtonPressedShift(), ButtonPressedShift());
    if (!ACaption.empty() && !IsRectEmptyR(r)) {
        // The row gained at the top, or the pressed shift, may reach past R.
        TcxClipScope clip(ACanvas, R, !cxRectContains(R, Inflated(r, 1, 1)));
        ACanvas.DrawCaption(ACaption, r, cxButtonCaptionFlags, AState != cxbsDisabled);
    }
    ACanvas.Brush().SetStyle(TBrushStyle::bsSolid);
}

void TcxCustomLookAndFeelPainter::PaintEditButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState, int,
                                                  int, TColor) const
{
    PaintButton(ACanvas, R, L"", AState, true, clDefault, clDefault);
}

void TcxCustomLookAndFeelPainter::PaintButtonBorder(TcxCanvas&, const RECT&, TcxButtonState) const {}

void TcxCustomLookAndFeelPainter::PaintEditButtonsFrame(TcxCanvas&, const RECT&, bool, bool) const {}

void TcxCustomLookAndFeelPainter::PaintExpandButton(TcxCanvas&, const RECT&, TColor, bool) const {}

bool TcxCustomLookAndFeelPainter::ExpandButtonOwnsBackground() const { return true; }

void TcxCustomLookAndFeelPainter::PaintGroupExpandButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                                         bool AExpanded) const
{
    PaintButton(ACanvas, R, L"", AState, true, clDefault, clDefault);
    // Two chevrons, pointing up when expanded (the group can be closed), down
    // otherwise: four short strokes, two pixels thick.
    const TColor color = ButtonGlyphColor(AState);
    const int cx = (R.left + R.right - 1) / 2, cy = (R.top + R.bottom - 1) / 2;
    const int step = AExpanded ? 1 : -1;
    TcxClipScope clip(ACanvas, R, !cxRectContains(R, Rect(cx - 3, cy - 4, cx + 4, cy + 5)));
    for (int tipY : {cy - 4 * step, cy})
        for (int i = 0; i <= 3; ++i)
            for (int t = 0; t <= 1; ++t) {
                ACanvas.SetPixelColor(cx - i, tipY + step * (i + t), color);
                ACanvas.SetPixelColor(cx + i, tipY + step * (i + t), color);
            }
}

void TcxCustomLookAndFeelPainter::PaintSmallExpandButton(TcxCanvas& ACanvas, const RECT& R, TColor AColor,
                                                         TColor ABorderColor, bool AExpanded) const
{
    ACanvas.FrameSides(R, ABorderColor);
    const RECT inner = InsetLines(ACanvas, R, 1);
    if (AColor != clDefault)
        ACanvas.FillRect(inner, AColor);
    DrawExpandSign(ACanvas, inner, AExpanded, clBtnText);
}

int TcxCustomLookAndFeelPainter::ExpandButtonSize() const { return 0; }

int TcxCustomLookAndFeelPainter::GroupExpandButtonSize() const { return 15; }

bool TcxCustomLookAndFeelPainter::HotTracksButtons() const { return false; }

bool TcxCustomLookAndFeelPainter::IsPointInGroupExpandButton(const RECT& R, POINT P) const
{
    return PtInRect(&R, P) != FALSE;
}

int TcxCustomLookAndFeelPainter::SmallExpandButtonSize() const { return 9; }

int TcxCustomLookAndFeelPainter::CheckBorderWidth() const { return 2; }

TColor TcxCustomLookAndFeelPainter::CheckFaceColor(TcxButtonState AState) const
{
    return AState == cxbsPressed || AState == cxbsDisabled ? clBtnFace : clWindow;
}

void TcxCustomLookAndFeelPainter::PaintCheckMark(TcxCanvas& ACanvas, const RECT& R, TColor AColor, bool AChecked,
                                                 TcxButtonState AState) const
{
    ACanvas.FillRect(R, CheckFaceColor(AState));
    if (!AChecked)
        return;
    // A tick seven pixels wide, three strokes one pixel apart.
    const int x = R.left + (Width(R) - 7) / 2, y = R.top + (Height(R) - 7) / 2;
    TcxClipScope clip(ACanvas, R, !cxRectContains(R, Bounds(x, y, 7, 7)));
    for (int i = 0; i < 3; ++i) {
        DrawLine(ACanvas, x, y + 2 + i, x + 2, y + 4 + i, AColor);
        DrawLine(ACanvas, x + 2, y + 4 + i, x + 7, y - 1 + i, AColor);
    }
}

void TcxCustomLookAndFeelPainter::PaintCheckBorder(TcxCanvas&, const RECT&, TcxButtonState) const {}

void TcxCustomLookAndFeelPainter::PaintCheckBox(TcxCanvas& ACanvas, const RECT& R, bool AChecked,
                                                TcxButtonState AState) const
{
    PaintCheckBorder(ACanvas, R, AState);
    PaintCheckMark(ACanvas, InsetLines(ACanvas, R, CheckBorderWidth()), AState == cxbsDisabled ? clGrayText : clBtnText, AChecked,
                   AState);
}

void TcxCustomLookAndFeelPainter::PaintRadioButton(TcxCanvas& ACanvas, POINT APosition, bool AChecked,
                                                   TcxButtonState AState) const
{
    cxRadioButtonImages().Draw(ACanvas, APosition, PainterStyle(), AChecked, AState);
}

void TcxCustomLookAndFeelPainter::PaintHeader(TcxCanvas& ACanvas, const RECT& ABounds, const RECT& ATextAreaBounds,
                                              TcxNeighbors ANeighbors, TcxSides ABorders, TcxButtonState AState,
                                              TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                              bool AMultiLine, bool AShowEndEllipsis, const std::wstring& AText,
                                              TFont* AFont, TColor ATextColor, TColor ABkColor) const
{
    PaintHeaderBackground(ACanvas, HeaderContentBounds(ABounds, ABorders), ABkColor);
    PaintHeaderBorder(ACanvas, ABounds, ANeighbors, ABorders);
    PaintHeaderText(ACanvas, ATextAreaBounds, AText, AFont, ATextColor, AAlignmentHorz, AAlignmentVert, AMultiLine,
                    AShowEndEllipsis);
    if (AState == cxbsPressed)
        PaintHeaderPressed(ACanvas, ABounds);
}

void TcxCustomLookAndFeelPainter::PaintHeaderPressed(TcxCanvas& ACanvas, const RECT& ABounds) const
{
    ACanvas.FrameSides(ABounds, clBtnShadow);
}

void TcxCustomLookAndFeelPainter::PaintHeaderBorder(TcxCanvas& ACanvas, const RECT& R, TcxNeighbors,
                                                    TcxSides ABorders) const
{
    ACanvas.FrameSides(R, clBtnShadow, ABorders);
}

void TcxCustomLookAndFeelPainter::PaintSortingMark(TcxCanvas& ACanvas, const RECT& R, bool AAscendingSorting) const
{
    PaintArrow(ACanvas, R, AAscendingSorting ? adUp : adDown, clBtnShadow);
}

TcxSides TcxCustomLookAndFeelPainter::HeaderBorders(TcxNeighbors) const { return sdAll; }

int TcxCustomLookAndFeelPainter::HeaderBorderSize() const { return 1; }

RECT TcxCustomLookAndFeelPainter::HeaderContentBounds(const RECT& ABounds, TcxSides ABorders) const
{
    RECT r = ABounds;
    const int w = HeaderBorderSize();
    if (ABorders & sdLeft)
        r.left += w;
    if (ABorders & sdTop)
        r.top += w;
    if (ABorders & sdRight)
        r.right -= w;
    if (ABorders & sdBottom)
        r.bottom -= w;
    return r;
}

bool TcxCustomLookAndFeelPainter::HeaderDrawCellsFirst() const { return true; }

int TcxCustomLookAndFeelPainter::HeaderHeight(int AFontHeight) const
{
    return 2 * HeaderBorderSize() + AFontHeight + 4;
}

int TcxCustomLookAndFeelPainter::HeaderWidth(TcxCanvas& ACanvas, TcxSides ABorders, const std::wstring& AText,
                                             TFont* AFont) const
{
    if (AFont)
        ACanvas.Font().Assign(*AFont);
    int width = ACanvas.TextWidth(AText) + 4;
    if (ABorders & sdLeft)
        width += HeaderBorderSize();
    if (ABorders & sdRight)
        width += HeaderBorderSize();
    return width;
}

bool TcxCustomLookAndFeelPainter::IsHeaderHotTrack() const { return false; }

POINT TcxCustomLookAndFeelPainter::SortingMarkSize() const { return {8, 7}; }

POINT TcxCustomLookAndFeelPainter::SortingMarkAreaSize() const
{
    const POINT mark = SortingMarkSize();
    return {mark.x + 8, mark.y + 4};
}

void TcxCustomLookAndFeelPainter::PaintHeaderBackground(TcxCanvas& ACanvas, const RECT& R, TColor AColor) const
{
    ACanvas.FillRect(R, AColor == clDefault ? DefaultHeaderColor() : AColor);
}

void TcxCustomLookAndFeelPainter::PaintHeaderText(TcxCanvas& ACanvas, const RECT& R, const std::wstring& AText,
                                                  TFont* AFont, TColor ATextColor, TAlignment AAlignmentHorz,
                                                  TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                  bool AShowEndEllipsis) const
{
    PaintText(ACanvas, R, AText, AFont, ATextColor == clDefault ? DefaultHeaderTextColor() : ATextColor,
             CellTextFlags(AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis));
}

RECT TcxCustomLookAndFeelPainter::SortingMarkBounds(const RECT& AHeaderBounds) const
{
    const POINT mark = SortingMarkSize();
    const int x = AHeaderBounds.right - 4 - HeaderBorderSize() - mark.x;
    const int y = (AHeaderBounds.top + AHeaderBounds.bottom - mark.y) / 2;
    return Bounds(x, y, mark.x, mark.y);
}

int TcxCustomLookAndFeelPainter::FilterCloseButtonSize() const { return 13; }
int TcxCustomLookAndFeelPainter::FooterBorderSize() const { return 0; }
int TcxCustomLookAndFeelPainter::FooterCellBorderSize() const { return 0; }
int TcxCustomLookAndFeelPainter::FooterCellOffset() const { return 0; }
TColor TcxCustomLookAndFeelPainter::FooterSeparatorColor() const { return clBtnShadow; }
int TcxCustomLookAndFeelPainter::FooterSeparatorSize() const { return 1; }
TcxSides TcxCustomLookAndFeelPainter::FooterBorders() const { return sdAll; }

void TcxCustomLookAndFeelPainter::PaintFooterBorder(TcxCanvas&, const RECT&) const {}

void TcxCustomLookAndFeelPainter::PaintFooterCellBorder(TcxCanvas&, const RECT&) const {}

void TcxCustomLookAndFeelPainter::PaintFooterSeparator(TcxCanvas& ACanvas, const RECT& R) const
{
    ACanvas.FillRect(R, FooterSeparatorColor());
}

void TcxCustomLookAndFeelPainter::PaintFilterCloseButton(TcxCanvas& ACanvas, const RECT& R,
                                                         TcxButtonState AState) const
{
    PaintButton(ACanvas, R, L"", AState, true, clDefault, clDefault);
    // A cross, two pixels thick, in the glyph colour.
    const RECT r = Centered(R, 6, 6);
    const TColor color = ButtonGlyphColor(AState);
    TcxClipScope clip(ACanvas, R, !cxRectContains(R, Inflated(r, 1, 1)));
    for (int i = 0; i < 2; ++i) {
        DrawLine(ACanvas, r.left + i, r.top, r.right + i, r.bottom, color);
        DrawLine(ACanvas, r.right - 1 + i, r.top, r.left - 1 + i, r.bottom, color);
    }
}

POINT TcxCustomLookAndFeelPainter::FilterDropDownButtonSize() const { return {15, 0}; }

void TcxCustomLookAndFeelPainter::PaintFilterDropDownButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                                            bool AIsFilterActive) const
{
    ACanvas.FillRect(R, ButtonFaceColor(AState));
    PaintFilterArrow(ACanvas, R, FilterDropDownButtonArrowColor(AIsFilterActive));
}

TColor TcxCustomLookAndFeelPainter::FilterDropDownButtonArrowColor(bool AIsFilterActive) const
{
    return AIsFilterActive ? DefaultFilterActiveColor() : clBtnText;
}

void TcxCustomLookAndFeelPainter::PaintFooterCell(TcxCanvas& ACanvas, const RECT& R, TAlignment AAlignmentHorz,
                                                  TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                  const std::wstring& AText, TFont* AFont, TColor ATextColor,
                                                  TColor ABkColor) const
{
    PaintFooterCellBorder(ACanvas, R);
    ACanvas.FillRect(FooterCellContentBounds(R), ABkColor == clDefault ? DefaultFooterColor() : ABkColor);
    PaintText(ACanvas, FooterCellTextBounds(R), AText, AFont,
             ATextColor == clDefault ? DefaultFooterTextColor() : ATextColor,
             CellTextFlags(AAlignmentHorz, AAlignmentVert, AMultiLine, false));
}

RECT TcxCustomLookAndFeelPainter::FooterCellContentBounds(const RECT& R) const
{
    return Shrunk(R, FooterCellBorderSize());
}

RECT TcxCustomLookAndFeelPainter::FooterCellTextBounds(const RECT& R) const
{
    return Shrunk(FooterCellContentBounds(R), 2);
}

POINT TcxCustomLookAndFeelPainter::IndicatorImageSize() const { return {16, 14}; }
POINT TcxCustomLookAndFeelPainter::FilterActivateButtonSize() const { return {16, 14}; }
POINT TcxCustomLookAndFeelPainter::FilterCloseButtonGlyphSize() const { return {13, 13}; }
POINT TcxCustomLookAndFeelPainter::FilterCustomizeButtonSize() const { return {16, 14}; }
POINT TcxCustomLookAndFeelPainter::NavigatorButtonGlyphSize() const { return {16, 14}; }

void TcxCustomLookAndFeelPainter::PaintSizeGripButton(TcxCanvas& ACanvas, const RECT& ABounds,
                                                      TcxButtonState AState) const
{
    PaintButtonBorder(ACanvas, ABounds, AState);
    const RECT r = InsetLines(ACanvas, ABounds, ButtonBorderWidth(cxbsNormal));
    ACanvas.FillRect(r, ButtonFaceColor(AState));
    PaintSizeGripGlyph(ACanvas, r, AState);
}

void TcxCustomLookAndFeelPainter::PaintSizeGripGlyph(TcxCanvas& ACanvas, const RECT& R, TcxButtonState) const
{
    // A diagonal cross, embossed: the light copy one pixel right and down.
    const int side = std::min(Width(R), Height(R)) - 5;
    if (side <= 0)
        return;
    const RECT r = Centered(R, side, side);
    for (auto [offset, color] : {std::pair{1, clBtnHighlight}, std::pair{0, clBtnShadow}}) {
        DrawLine(ACanvas, r.left + offset, r.top + offset, r.right + offset, r.bottom + offset, color);
        DrawLine(ACanvas, r.right - 1 + offset, r.top + offset, r.left - 1 + offset, r.bottom + offset, color);
    }
}

void TcxCustomLookAndFeelPainter::PaintAutoHideButton(TcxCanvas& ACanvas, const RECT& R, bool APinned,
                                                      TcxButtonState AState) const
{
    PaintButtonBorder(ACanvas, R, AState);
    ACanvas.FillRect(InsetLines(ACanvas, R, ButtonBorderWidth(cxbsNormal)), ButtonFaceColor(AState));
    TBitmap& glyph = cxAutoHideBitmap(APinned);
    RECT g = Centered(R, glyph.Width(), glyph.Height());
    if (AState == cxbsPressed)
        g = Offsetted(g, 1, 1);
    TcxClipScope clip(ACanvas, R, !cxRectContains(R, g));
    DrawTransparentBitmap(ACanvas, glyph, g.left, g.top);
}

void TcxCustomLookAndFeelPainter::PaintTab(TcxCanvas&, const RECT&, TcxButtonState) const {}

void TcxCustomLookAndFeelPainter::PaintTabBorder(TcxCanvas&, const RECT&, TcxSides) const {}

void TcxCustomLookAndFeelPainter::PaintTabsRoot(TcxCanvas&, const RECT&, TcxSides) const {}

int TcxCustomLookAndFeelPainter::TabBorderSize() const { return 0; }

int TcxCustomLookAndFeelPainter::TabContentOffset() const { return 0; }

void TcxCustomLookAndFeelPainter::PaintIndicatorHeader(TcxCanvas& ACanvas, const RECT& R, TcxNeighbors ANeighbors,
                                                       TcxSides ABorders) const
{
    PaintHeader(ACanvas, R, R, ANeighbors, ABorders, cxbsNormal, taLeftJustify, vaCenter, false, false, L"",
                nullptr, clDefault, DefaultIndicatorColor());
}

void TcxCustomLookAndFeelPainter::PaintIndicatorItem(TcxCanvas& ACanvas, const RECT& R, TcxIndicatorKind AKind,
                                                     TColor ABkColor) const
{
    const TcxSides borders = HeaderBorders(nTop | nBottom);
    PaintHeader(ACanvas, R, R, nTop | nBottom, borders, cxbsNormal, taLeftJustify, vaCenter, false, false, L"",
                nullptr, clDefault, ABkColor == clDefault ? DefaultIndicatorColor() : ABkColor);
    PaintIndicatorImage(ACanvas, HeaderContentBounds(R, borders), AKind);
}

void TcxCustomLookAndFeelPainter::PaintIndicatorImage(TcxCanvas& ACanvas, const RECT& R, TcxIndicatorKind AKind) const
{
    if (AKind == ikNone)
        return;
    TImageList& images = cxIndicatorImages();
    const RECT r = Centered(R, images.Width(), images.Height());
    TcxClipScope clip(ACanvas, R, !cxRectContains(R, r));
    images.Draw(*ACanvas.Canvas(), r.left, r.top, static_cast<int>(AKind) - 1);
}

bool TcxCustomLookAndFeelPainter::IndicatorDrawItemsFirst() const { return true; }

void TcxCustomLookAndFeelPainter::PaintScrollBarPart(TcxCanvas&, bool, const RECT&, TcxScrollBarPart,
                                                     TcxButtonState) const
{
}

void TcxCustomLookAndFeelPainter::PaintHeaderWithSortMark(
    TcxCanvas& ACanvas, const RECT& ABounds, const RECT& ATextAreaBounds, TcxNeighbors ANeighbors, TcxSides ABorders,
    TcxButtonState AState, TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert, bool AMultiLine,
    bool AShowEndEllipsis, const std::wstring& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
    bool AAscendingSorting) const
{
    TcxFlatLookAndFeelPainter::Instance()->PaintHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders,
                                                       AState, AAlignmentHorz, AAlignmentVert, AMultiLine,
                                                       AShowEndEllipsis, AText, AFont, ATextColor, ABkColor);
    const RECT mark = SortingMarkBounds(ABounds);
    TcxClipScope clip(ACanvas, ABounds, !cxRectContains(ABounds, mark));
    PaintArrow(ACanvas, mark, AAscendingSorting ? adUp : adDown, clWindowText);
}

void TcxCustomLookAndFeelPainter::PaintBorderCopy(TcxCanvas& ACanvas, RECT R) const { PaintBorder(ACanvas, R); }

void TcxCustomLookAndFeelPainter::PaintFlatScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, const RECT& R,
                                                         TcxScrollBarPart APart, TcxButtonState AState) const
{
    if (IsRectEmptyR(R) || (APart == sbpThumb && AState == cxbsDisabled))
        return;
    if (AState == cxbsHot)
        AState = cxbsNormal;
    switch (APart) {
    case sbpLineUp:
    case sbpLineDown:
    case sbpThumb: {
        PaintButton(ACanvas, R, L"", AState, true, clDefault, clDefault);
        if (APart == sbpThumb)
            break;
        const RECT r = InsetLines(ACanvas, R, ButtonBorderWidth(cxbsNormal));
        const TcxArrowDirection direction = AHorizontal ? (APart == sbpLineUp ? adLeft : adRight)
                                                        : (APart == sbpLineUp ? adUp : adDown);
        PaintStateArrow(ACanvas, r, AState, direction);
        break;
    }
    case sbpPageUp:
    case sbpPageDown:
        ACanvas.Brush().SetBitmap(&cxScrollBarPagePattern(AState == cxbsPressed));
        ACanvas.FillRect(R);
        ACanvas.Brush().SetBitmap(nullptr);
        break;
    default:
        break;
    }
}

// ===========================================================================
// TcxStandardLookAndFeelPainter

const TcxStandardLookAndFeelPainter* TcxStandardLookAndFeelPainter::Instance()
{
    static const TcxStandardLookAndFeelPainter instance;
    return &instance;
}

TcxPainterStyle TcxStandardLookAndFeelPainter::PainterStyle() const { return psStandard; }

int TcxStandardLookAndFeelPainter::ContentBorderWidth() const { return 2; }

void TcxStandardLookAndFeelPainter::PaintBorder(TcxCanvas& ACanvas, const RECT& R) const
{
    ACanvas.DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight);
    ACanvas.DrawTwoColorFrame(InsetLines(ACanvas, R, 1), cl3DDkShadow, cl3DLight);
}

int TcxStandardLookAndFeelPainter::ButtonBorderWidth(TcxButtonState AState) const
{
    return AState == cxbsDefault ? 3 : 2;
}

int TcxStandardLookAndFeelPainter::ButtonCaptionOffset() const { return 1; }

int TcxStandardLookAndFeelPainter::ButtonPressedShift() const { return 1; }

void TcxStandardLookAndFeelPainter::PaintButtonBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const
{
    switch (AState) {
    case cxbsPressed:
        ACanvas.FrameSides(R, clBlack);
        ACanvas.FrameSides(InsetLines(ACanvas, R, 1), clBtnShadow);
        break;
    case cxbsDefault:
        ACanvas.FrameSides(R, clBlack);
        ACanvas.DrawTwoColorFrame(InsetLines(ACanvas, R, 1), clBtnHighlight, cl3DDkShadow);
        ACanvas.DrawTwoColorFrame(InsetLines(ACanvas, R, 2), cl3DLight, clBtnShadow);
        break;
    default:
        ACanvas.DrawTwoColorFrame(R, clBtnHighlight, cl3DDkShadow);
        ACanvas.DrawTwoColorFrame(InsetLines(ACanvas, R, 1), cl3DLight, clBtnShadow);
        break;
    }
}

bool TcxStandardLookAndFeelPainter::HotTracksButtons() const { return false; }

int TcxStandardLookAndFeelPainter::ExpandButtonSize() const { return 12; }

void TcxStandardLookAndFeelPainter::PaintExpandButton(TcxCanvas& ACanvas, const RECT& R, TColor AColor,
                                                      bool AExpanded) const
{
    ACanvas.Draw3DEdge(R, false, false, sdLeft | sdTop);
    ACanvas.Draw3DEdge(R, false, true, sdRight | sdBottom);
    ACanvas.Draw3DEdge(InsetLines(ACanvas, R, 1), false, false, sdAll);
    const RECT inner = InsetLines(ACanvas, R, 2);
    ACanvas.FillRect(inner, AColor == clDefault ? clBtnFace : AColor);
    DrawExpandSign(ACanvas, inner, AExpanded, clBtnText);
    ACanvas.ExcludeClip(R);
}

void TcxStandardLookAndFeelPainter::PaintGroupExpandButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                                           bool AExpanded) const
{
    TcxFlatLookAndFeelPainter::Instance()->PaintGroupExpandButton(ACanvas, R, AState, AExpanded);
}

void TcxStandardLookAndFeelPainter::PaintCheckBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState) const
{
    ACanvas.Draw3DEdge(R, true, false);
    ACanvas.Draw3DEdge(InsetLines(ACanvas, R, 1), true, true);
}

void TcxStandardLookAndFeelPainter::PaintHeaderBorder(TcxCanvas& ACanvas, const RECT& R, TcxNeighbors ANeighbors,
                                                      TcxSides ABorders) const
{
    ACanvas.Draw3DEdge(R, false, false, ABorders);
    // Neighbouring headers share their corners.
    if (ANeighbors & nLeft) {
        SetPixelIn(ACanvas, R, R.left, R.top + 1, clBtnFace);
        SetPixelIn(ACanvas, R, R.left, R.bottom - 2, clBtnFace);
    }
    if (ANeighbors & nRight) {
        SetPixelIn(ACanvas, R, R.right - 1, R.top, clBtnHighlight);
        SetPixelIn(ACanvas, R, R.right - 1, R.top + 1, clBtnFace);
        SetPixelIn(ACanvas, R, R.right - 1, R.bottom - 2, clBtnFace);
    }
}

void TcxStandardLookAndFeelPainter::PaintSortingMark(TcxCanvas& ACanvas, const RECT& R, bool AAscendingSorting) const
{
    DrawSortMark(ACanvas, R, AAscendingSorting, clBtnHighlight, clBtnShadow);
}

int TcxStandardLookAndFeelPainter::HeaderBorderSize() const { return 1; }

POINT TcxStandardLookAndFeelPainter::SortingMarkSize() const { return {8, 7}; }

int TcxStandardLookAndFeelPainter::FooterBorderSize() const { return 1; }

int TcxStandardLookAndFeelPainter::FooterCellBorderSize() const { return 1; }

int TcxStandardLookAndFeelPainter::FooterCellOffset() const { return 1; }

void TcxStandardLookAndFeelPainter::PaintFooterBorder(TcxCanvas& ACanvas, const RECT& R) const
{
    ACanvas.Draw3DEdge(R, false, false);
}

void TcxStandardLookAndFeelPainter::PaintFooterCellBorder(TcxCanvas& ACanvas, const RECT& R) const
{
    ACanvas.Draw3DEdge(R, true, true);
}

void TcxStandardLookAndFeelPainter::PaintFilterDropDownButton(TcxCanvas& ACanvas, const RECT& R,
                                                              TcxButtonState AState, bool AIsFilterActive) const
{
    if (AState == cxbsPressed)
        ACanvas.Draw3DEdge(R, true, true);
    else
        ACanvas.Draw3DEdge(R, false, false);
    const RECT inner = InsetLines(ACanvas, R, 1);
    ACanvas.FillRect(inner, clBtnFace);
    PaintFilterArrow(ACanvas, inner, FilterDropDownButtonArrowColor(AIsFilterActive));
}

void TcxStandardLookAndFeelPainter::PaintSizeGripGlyph(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const
{
    RECT r = R;
    --r.right;
    --r.bottom;
    if (AState == cxbsPressed)
        r = Offsetted(r, 1, 1);
    TcxCustomLookAndFeelPainter::PaintSizeGripGlyph(ACanvas, r, AState);
}

void TcxStandardLookAndFeelPainter::PaintTabBorder(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const
{
    ACanvas.Draw3DEdge(R, false, false, ABorders);
}

void TcxStandardLookAndFeelPainter::PaintTabsRoot(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const
{
    ACanvas.Draw3DEdge(R, false, false, ABorders);
}

int TcxStandardLookAndFeelPainter::TabBorderSize() const { return 1; }

void TcxStandardLookAndFeelPainter::PaintScrollBarButtonFrame(TcxCanvas& ACanvas, const RECT& R,
                                                              bool APressedArrow) const
{
    if (APressedArrow) {
        ACanvas.DrawTwoColorFrame(R, clBtnShadow, clBtnShadow);
        ACanvas.DrawTwoColorFrame(InsetLines(ACanvas, R, 1), clBtnFace, clBtnFace);
    } else {
        ACanvas.DrawTwoColorFrame(R, clBtnFace, cl3DDkShadow);
        ACanvas.DrawTwoColorFrame(InsetLines(ACanvas, R, 1), clBtnHighlight, clBtnShadow);
    }
}

void TcxStandardLookAndFeelPainter::PaintScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, const RECT& R,
                                                       TcxScrollBarPart APart, TcxButtonState AState) const
{
    if (IsRectEmptyR(R) || (APart == sbpThumb && AState == cxbsDisabled))
        return;
    if (AState == cxbsHot)
        AState = cxbsNormal;
    switch (APart) {
    case sbpPageUp:
    case sbpPageDown:
        ACanvas.Brush().SetBitmap(&cxScrollBarPagePattern(AState == cxbsPressed));
        ACanvas.FillRect(R);
        ACanvas.Brush().SetBitmap(nullptr);
        break;
    case sbpThumb:
        PaintScrollBarButtonFrame(ACanvas, R, false);
        ACanvas.FillRect(InsetLines(ACanvas, R, ButtonBorderWidth(cxbsNormal)), clBtnFace);
        break;
    case sbpLineUp:
    case sbpLineDown: {
        const bool pressed = AState == cxbsPressed;
        RECT r = pressed ? Offsetted(R, 1, 1) : R;
        UINT kind = AHorizontal ? (APart == sbpLineUp ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT)
                                : (APart == sbpLineUp ? DFCS_SCROLLUP : DFCS_SCROLLDOWN);
        if (AState == cxbsDisabled)
            kind |= DFCS_INACTIVE;
        if (pressed)
            kind |= DFCS_FLAT;
        {
            // The system's arrow fills its whole rectangle, which a pressed one has moved.
            TcxClipScope clip(ACanvas, R);
            DrawFrameControl(ACanvas.Handle(), &r, DFC_SCROLL, kind);
        }
        PaintScrollBarButtonFrame(ACanvas, R, pressed);
        break;
    }
    default:
        break;
    }
}

// ===========================================================================
// TcxFlatLookAndFeelPainter

const TcxFlatLookAndFeelPainter* TcxFlatLookAndFeelPainter::Instance()
{
    static const TcxFlatLookAndFeelPainter instance;
    return &instance;
}

TcxPainterStyle TcxFlatLookAndFeelPainter::PainterStyle() const { return psFlat; }

int TcxFlatLookAndFeelPainter::ContentBorderWidth() const { return 1; }

void TcxFlatLookAndFeelPainter::PaintBorder(TcxCanvas& ACanvas, const RECT& R) const
{
    ACanvas.Draw3DEdge(R, true, true);
}

int TcxFlatLookAndFeelPainter::ButtonBorderWidth(TcxButtonState AState) const
{
    return AState == cxbsDefault ? 2 : 1;
}

int TcxFlatLookAndFeelPainter::ButtonCaptionOffset() const { return 1; }

int TcxFlatLookAndFeelPainter::ButtonPressedShift() const { return 1; }

void TcxFlatLookAndFeelPainter::PaintButtonBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const
{
    switch (AState) {
    case cxbsPressed:
        ACanvas.DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight);
        break;
    case cxbsDefault:
        ACanvas.FrameSides(R, clBlack);
        ACanvas.DrawTwoColorFrame(InsetLines(ACanvas, R, 1), clBtnHighlight, clBtnShadow);
        break;
    default:
        ACanvas.DrawTwoColorFrame(R, clBtnHighlight, clBtnShadow);
        break;
    }
}

bool TcxFlatLookAndFeelPainter::HotTracksButtons() const { return false; }

int TcxFlatLookAndFeelPainter::ExpandButtonSize() const { return 11; }

void TcxFlatLookAndFeelPainter::PaintExpandButton(TcxCanvas& ACanvas, const RECT& R, TColor AColor,
                                                  bool AExpanded) const
{
    PaintButton(ACanvas, R, L"", cxbsNormal, true, AColor, clDefault);
    DrawExpandSign(ACanvas, InsetLines(ACanvas, R, 1), AExpanded, clBtnText);
    ACanvas.ExcludeClip(R);
}

void TcxFlatLookAndFeelPainter::PaintCheckBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const
{
    ACanvas.Draw3DEdge(R, true, true);
    ACanvas.FrameSides(InsetLines(ACanvas, R, 1), CheckFaceColor(AState));
}

void TcxFlatLookAndFeelPainter::PaintHeaderBorder(TcxCanvas& ACanvas, const RECT& R, TcxNeighbors ANeighbors,
                                                  TcxSides ABorders) const
{
    TcxStandardLookAndFeelPainter::Instance()->PaintHeaderBorder(ACanvas, R, ANeighbors, ABorders);
}

void TcxFlatLookAndFeelPainter::PaintSortingMark(TcxCanvas& ACanvas, const RECT& R, bool AAscendingSorting) const
{
    TcxStandardLookAndFeelPainter::Instance()->PaintSortingMark(ACanvas, R, AAscendingSorting);
}

int TcxFlatLookAndFeelPainter::HeaderBorderSize() const
{
    return TcxStandardLookAndFeelPainter::Instance()->HeaderBorderSize();
}

POINT TcxFlatLookAndFeelPainter::SortingMarkSize() const
{
    return TcxStandardLookAndFeelPainter::Instance()->SortingMarkSize();
}

int TcxFlatLookAndFeelPainter::FooterBorderSize() const
{
    return TcxStandardLookAndFeelPainter::Instance()->FooterBorderSize();
}

int TcxFlatLookAndFeelPainter::FooterCellBorderSize() const
{
    return TcxStandardLookAndFeelPainter::Instance()->FooterCellBorderSize();
}

int TcxFlatLookAndFeelPainter::FooterCellOffset() const
{
    return TcxStandardLookAndFeelPainter::Instance()->FooterCellOffset();
}

void TcxFlatLookAndFeelPainter::PaintFooterBorder(TcxCanvas& ACanvas, const RECT& R) const
{
    TcxStandardLookAndFeelPainter::Instance()->PaintFooterBorder(ACanvas, R);
}

void TcxFlatLookAndFeelPainter::PaintFooterCellBorder(TcxCanvas& ACanvas, const RECT& R) const
{
    TcxStandardLookAndFeelPainter::Instance()->PaintFooterCellBorder(ACanvas, R);
}

void TcxFlatLookAndFeelPainter::PaintFilterDropDownButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                                          bool AIsFilterActive) const
{
    TcxStandardLookAndFeelPainter::Instance()->PaintFilterDropDownButton(ACanvas, R, AState, AIsFilterActive);
}

void TcxFlatLookAndFeelPainter::PaintTabsRoot(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const
{
    ACanvas.Draw3DEdge(R, false, false, ABorders);
}

int TcxFlatLookAndFeelPainter::TabBorderSize() const { return 1; }

void TcxFlatLookAndFeelPainter::PaintScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, const RECT& R,
                                                   TcxScrollBarPart APart, TcxButtonState AState) const
{
    PaintFlatScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
}

// ===========================================================================
// TcxUltraFlatLookAndFeelPainter

const TcxUltraFlatLookAndFeelPainter* TcxUltraFlatLookAndFeelPainter::Instance()
{
    static const TcxUltraFlatLookAndFeelPainter instance;
    return &instance;
}

TcxPainterStyle TcxUltraFlatLookAndFeelPainter::PainterStyle() const { return psUltraFlat; }

TColor TcxUltraFlatLookAndFeelPainter::DefaultHyperlinkTextColor() const { return 0x00800000; }

int TcxUltraFlatLookAndFeelPainter::ContentBorderWidth() const { return 1; }

void TcxUltraFlatLookAndFeelPainter::PaintBorder(TcxCanvas& ACanvas, const RECT& R) const
{
    ACanvas.FrameSides(R, clBtnShadow, sdAll, 1);
}

int TcxUltraFlatLookAndFeelPainter::ButtonBorderWidth(TcxButtonState AState) const
{
    return AState == cxbsDefault ? 2 : 1;
}

TColor TcxUltraFlatLookAndFeelPainter::ButtonFaceColor(TcxButtonState AState) const
{
    switch (AState) {
    case cxbsHot: return HotLightColor();
    case cxbsPressed: return PressedLightColor();
    default: return clBtnFace;
    }
}

RECT TcxUltraFlatLookAndFeelPainter::ButtonFocusBounds(TcxCanvas& ACanvas, const RECT& R) const
{
    const RECT r = InsetLines(ACanvas, R, 3);
    return IsRectEmptyR(r) ? R : r;
}

RECT TcxUltraFlatLookAndFeelPainter::ButtonGroupBorderWidths(int AButtonCount, int AButtonIndex) const
{
    RECT widths = Rect(1, 2, 1, 2);
    if (AButtonIndex == 0)
        widths.left = 2;
    else if (AButtonIndex == AButtonCount - 1)
        widths.right = 2;
    return widths;
}

int TcxUltraFlatLookAndFeelPainter::ButtonCaptionOffset() const { return 2; }

int TcxUltraFlatLookAndFeelPainter::ButtonPressedShift() const { return 0; }

TColor TcxUltraFlatLookAndFeelPainter::ButtonGlyphColor(TcxButtonState AState) const
{
    switch (AState) {
    case cxbsPressed: return clHighlightText;
    case cxbsDisabled: return clBtnShadow;
    default: return clBtnText;
    }
}

TcxButtonState TcxUltraFlatLookAndFeelPainter::ButtonGlyphDrawState(TcxButtonState) const { return cxbsNormal; }

void TcxUltraFlatLookAndFeelPainter::PaintEditButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                                     int AButtonCount, int AButtonIndex, TColor AColor) const
{
    RECT r = R;
    ++r.top;
    --r.bottom;
    if (AButtonIndex == 0)
        ++r.left;
    if (AButtonIndex == AButtonCount - 1)
        --r.right;
    if (AState == cxbsNormal || AState == cxbsDisabled) {
        // The edit's background around the button, so that it blends in.
        ACanvas.FrameSides(r, AColor == clDefault ? clWindow : AColor, sdAll, 1);
        r = InsetLines(ACanvas, r, 1);
    } else {
        // A highlight line separates it from its neighbours.
        ACanvas.SetBrushColor(UltraFlatHighlightColor());
        if (AButtonIndex > 0) {
            ACanvas.FillRect(Rect(r.left, r.top, std::min(r.left + 1, r.right), r.bottom));
            ++r.left;
        }
        if (AButtonIndex < AButtonCount - 1) {
            ACanvas.FillRect(Rect(std::max(r.right - 1, r.left), r.top, r.right, r.bottom));
            --r.right;
        }
    }
    ACanvas.FillRect(r, ButtonFaceColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::PaintButtonBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const
{
    switch (AState) {
    case cxbsDefault:
        ACanvas.FrameSides(R, clWindowFrame, sdAll, 1);
        ACanvas.FrameSides(InsetLines(ACanvas, R, 1), clWindowFrame, sdAll, 1);
        break;
    case cxbsNormal:
        ACanvas.FrameSides(R, clBtnText, sdAll, 1);
        break;
    default:
        ACanvas.FrameSides(R, clHighlight, sdAll, 1);
        break;
    }
}

void TcxUltraFlatLookAndFeelPainter::PaintEditButtonsFrame(TcxCanvas& ACanvas, const RECT& R, bool ADark,
                                                           bool AHighlight) const
{
    ACanvas.FrameSides(R, ADark ? clBtnText : AHighlight ? UltraFlatHighlightColor() : clBtnShadow, sdAll, 1);
}

void TcxUltraFlatLookAndFeelPainter::PaintExpandButton(TcxCanvas& ACanvas, const RECT& R, TColor AColor,
                                                       bool AExpanded) const
{
    ACanvas.FrameSides(R, clBtnShadow);
    const RECT inner = InsetLines(ACanvas, R, 1);
    ACanvas.FillRect(inner, AColor == clDefault ? clBtnFace : AColor);
    DrawExpandSign(ACanvas, inner, AExpanded, clBtnText);
    ACanvas.ExcludeClip(R);
}

int TcxUltraFlatLookAndFeelPainter::ExpandButtonSize() const { return 11; }

bool TcxUltraFlatLookAndFeelPainter::HotTracksButtons() const { return true; }

void TcxUltraFlatLookAndFeelPainter::PaintCheckBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const
{
    ACanvas.FrameSides(R, clBtnText);
    ACanvas.FrameSides(InsetLines(ACanvas, R, 1), CheckFaceColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::PaintHeaderBorder(TcxCanvas& ACanvas, const RECT& R, TcxNeighbors,
                                                       TcxSides ABorders) const
{
    ACanvas.FrameSides(R, clBtnText, (ABorders & (sdLeft | sdTop)) | sdRight | sdBottom);
}

void TcxUltraFlatLookAndFeelPainter::PaintSortingMark(TcxCanvas& ACanvas, const RECT& R, bool AAscendingSorting) const
{
    DrawSortMark(ACanvas, R, AAscendingSorting, clBtnShadow, clBtnShadow);
}

TcxSides TcxUltraFlatLookAndFeelPainter::HeaderBorders(TcxNeighbors ANeighbors) const
{
    TcxSides borders = TcxCustomLookAndFeelPainter::HeaderBorders(ANeighbors);
    if (ANeighbors & nLeft)
        borders &= ~static_cast<TcxSides>(sdLeft);
    if (ANeighbors & nTop)
        borders &= ~static_cast<TcxSides>(sdTop);
    return borders;
}

POINT TcxUltraFlatLookAndFeelPainter::SortingMarkSize() const { return {7, 8}; }

int TcxUltraFlatLookAndFeelPainter::FilterCloseButtonSize() const { return 12; }

int TcxUltraFlatLookAndFeelPainter::FooterBorderSize() const { return 1; }

int TcxUltraFlatLookAndFeelPainter::FooterCellBorderSize() const { return 1; }

int TcxUltraFlatLookAndFeelPainter::FooterCellOffset() const { return 2; }

void TcxUltraFlatLookAndFeelPainter::PaintFooterBorder(TcxCanvas& ACanvas, const RECT& R) const
{
    ACanvas.FrameSides(R, clBtnShadow, sdRight | sdBottom);
}

void TcxUltraFlatLookAndFeelPainter::PaintFooterCellBorder(TcxCanvas& ACanvas, const RECT& R) const
{
    ACanvas.FrameSides(R, clBtnShadow);
}

void TcxUltraFlatLookAndFeelPainter::PaintFilterDropDownButton(TcxCanvas& ACanvas, const RECT& R,
                                                               TcxButtonState AState, bool AIsFilterActive) const
{
    ACanvas.FrameSides(R, UltraFlatFrameColor(AState));
    const RECT inner = InsetLines(ACanvas, R, 1);
    ACanvas.FillRect(inner, ButtonFaceColor(AState));
    PaintFilterArrow(ACanvas, inner,
                     AState == cxbsPressed ? ButtonGlyphColor(AState) : FilterDropDownButtonArrowColor(AIsFilterActive));
}

POINT TcxUltraFlatLookAndFeelPainter::FilterCloseButtonGlyphSize() const
{
    const POINT base = TcxCustomLookAndFeelPainter::FilterCloseButtonGlyphSize();
    return {base.x - 1, base.y - 1};
}

void TcxUltraFlatLookAndFeelPainter::PaintTabBorder(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const
{
    ACanvas.FrameSides(R, UltraFlatShadowColor(), ABorders);
}

void TcxUltraFlatLookAndFeelPainter::PaintTabsRoot(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const
{
    ACanvas.FrameSides(R, UltraFlatShadowColor(), ABorders);
}

void TcxUltraFlatLookAndFeelPainter::PaintScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, const RECT& R,
                                                        TcxScrollBarPart APart, TcxButtonState AState) const
{
    PaintFlatScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
}

TColor TcxUltraFlatLookAndFeelPainter::UltraFlatFrameColor(TcxButtonState AState) const
{
    return AState == cxbsNormal ? clBtnShadow : clHighlight;
}

TColor TcxUltraFlatLookAndFeelPainter::UltraFlatShadowColor() const { return clBtnShadow; }

TColor TcxUltraFlatLookAndFeelPainter::UltraFlatTextColor() const { return clBtnText; }

TColor TcxUltraFlatLookAndFeelPainter::UltraFlatHighlightColor() const { return clHighlight; }

// ===========================================================================
// TcxWinXPLookAndFeelPainter

int cxButtonThemeState(TcxButtonState AState)
{
    switch (AState) {
    case cxbsDefault: return 5;
    case cxbsNormal: return 1;
    case cxbsHot: return 2;
    case cxbsPressed: return 3;
    case cxbsDisabled: return 4;
    }
    return 1;
}

const TcxWinXPLookAndFeelPainter* TcxWinXPLookAndFeelPainter::Instance()
{
    static const TcxWinXPLookAndFeelPainter instance;
    return &instance;
}

TcxPainterStyle TcxWinXPLookAndFeelPainter::PainterStyle() const { return psNative; }

TColor TcxWinXPLookAndFeelPainter::DefaultHyperlinkTextColor() const { return 0x00800000; }

void TcxWinXPLookAndFeelPainter::PaintScrollArrow(TcxCanvas& ACanvas, const RECT& R, bool ADrawFace,
                                                  TcxArrowDirection AArrowDirection, TcxButtonState AState) const
{
    HTHEME theme = OpenThemeForDpi(totScrollBar, ACanvas.Dpi());
    if (!theme) {
        TcxStandardLookAndFeelPainter::PaintScrollArrow(ACanvas, R, ADrawFace, AArrowDirection, AState);
        return;
    }
    // Four states per direction: normal (and default), hot, pressed, disabled.
    int offset = 0;
    switch (AState) {
    case cxbsHot: offset = 1; break;
    case cxbsPressed: offset = 2; break;
    case cxbsDisabled: offset = 3; break;
    default: break;
    }
    dxDrawThemeBackground(theme, ACanvas.Handle(), dxtpScrollArrow, static_cast<int>(AArrowDirection) * 4 + 1 + offset,
                          R);
}

void TcxWinXPLookAndFeelPainter::PaintArrowButtonFace(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const
{
    if (HTHEME theme = OpenThemeForDpi(totButton, ACanvas.Dpi()))
        dxDrawThemeBackground(theme, ACanvas.Handle(), dxtpPushButton, cxButtonThemeState(AState), R);
    else
        TcxStandardLookAndFeelPainter::PaintArrowButtonFace(ACanvas, R, AState);
}

int TcxWinXPLookAndFeelPainter::ContentBorderWidth() const { return OpenTheme(totListView) ? 1 : 2; }

void TcxWinXPLookAndFeelPainter::PaintBorder(TcxCanvas& ACanvas, const RECT& R) const
{
    HTHEME theme = OpenThemeForDpi(totListView, ACanvas.Dpi());
    if (!theme) {
        TcxStandardLookAndFeelPainter::PaintBorder(ACanvas, R);
        return;
    }
    // Only the outer one-pixel ring of the list view's frame.
    const HDC dc = ACanvas.Handle();
    const int saved = SaveDC(dc);
    const RECT inner = Inflated(R, -1, -1);
    ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    dxDrawThemeBackground(theme, dc, dxtpListDetail, 0, R);
    RestoreDC(dc, saved);
}

int TcxWinXPLookAndFeelPainter::ButtonBorderWidth(TcxButtonState AState) const
{
    HTHEME theme = OpenTheme(totButton);
    RECT content;
    if (!theme
        || FAILED(dxGetThemeBackgroundContentRect(theme, nullptr, dxtpPushButton, cxButtonThemeState(AState),
                                                  Rect(0, 0, 100, 100), content)))
        return TcxStandardLookAndFeelPainter::ButtonBorderWidth(cxbsNormal);
    return content.left;
}

bool cxGetThemeColor(int AThemeClass, int APart, int AState, int AProperty, TColor& AColor)
{
    HTHEME theme = OpenTheme(static_cast<TdxThemeClassKind>(AThemeClass));
    COLORREF color;
    if (!theme || FAILED(dxGetThemeColor(theme, APart, AState, AProperty, color)))
        return false;
    AColor = color;
    return true;
}

TColor TcxWinXPLookAndFeelPainter::ButtonFaceColor(TcxButtonState AState) const
{
    // The theme seldom has a colour for this property: the face colour then stands in.
    TColor color;
    if (cxGetThemeColor(totButton, dxtpPushButton, cxButtonThemeState(AState), dxtpButtonFace, color))
        return color;
    return TcxStandardLookAndFeelPainter::ButtonFaceColor(AState);
}

RECT TcxWinXPLookAndFeelPainter::ButtonFocusBounds(TcxCanvas& ACanvas, const RECT& R) const
{
    HTHEME theme = OpenThemeForDpi(totButton, ACanvas.Dpi());
    RECT content;
    if (!theme || FAILED(dxGetThemeBackgroundContentRect(theme, ACanvas.Handle(), dxtpPushButton, 1, R, content)))
        return TcxStandardLookAndFeelPainter::ButtonFocusBounds(ACanvas, R);
    return content;
}

RECT TcxWinXPLookAndFeelPainter::ButtonGroupBorderWidths(int AButtonCount, int AButtonIndex) const
{
    HTHEME theme = OpenTheme(totButton);
    RECT content;
    if (!theme)
        return TcxStandardLookAndFeelPainter::ButtonGroupBorderWidths(AButtonCount, AButtonIndex);
    {
        TWindowDC screen(nullptr);
        if (FAILED(dxGetThemeBackgroundContentRect(theme, screen.Get(), dxtpPushButton, 1, Rect(0, 0, 100, 100),
                                                   content)))
            return TcxStandardLookAndFeelPainter::ButtonGroupBorderWidths(AButtonCount, AButtonIndex);
    }
    RECT widths = Rect(content.left, content.top, 100 - content.right, 100 - content.bottom);
    if (dxIsThemeBackgroundPartiallyTransparent(theme, dxtpPushButton, 1))
        widths = Rect(widths.left + 1, widths.top + 1, widths.right + 1, widths.bottom + 1);
    return widths;
}

int TcxWinXPLookAndFeelPainter::ButtonCaptionOffset() const { return 2; }

int TcxWinXPLookAndFeelPainter::ButtonPressedShift() const { return 0; }

TColor TcxWinXPLookAndFeelPainter::ButtonGlyphColor(TcxButtonState AState) const
{
    TColor color;
    if (cxGetThemeColor(totButton, dxtpPushButton, cxButtonThemeState(AState), dxtpTextColor, color))
        return color;
    return TcxStandardLookAndFeelPainter::ButtonGlyphColor(AState);
}

void TcxWinXPLookAndFeelPainter::PaintButton(TcxCanvas& ACanvas, const RECT& R, const std::wstring& ACaption,
                                             TcxButtonState AState, bool ADrawBorder, TColor AColor,
                                             TColor ATextColor) const
{
    HTHEME theme = OpenThemeForDpi(totButton, ACanvas.Dpi());
    if (!theme) {
        TcxStandardLookAndFeelPainter::PaintButton(ACanvas, R, ACaption, AState, ADrawBorder, AColor, ATextColor);
        return;
    }
    // The theme draws face and frame; the colours and the frame flag are the theme's to decide.
    if (IsRectEmptyR(R))
        return;
    const HDC dc = ACanvas.Handle();
    const int state = cxButtonThemeState(AState);
    dxDrawThemeBackground(theme, dc, dxtpPushButton, state, R, &R);
    if (!ACaption.empty()) {
        ACanvas.Canvas()->RequireFont();
        TcxClipScope clip(ACanvas, R);
        dxDrawThemeText(theme, dc, dxtpPushButton, state, ACaption, DT_CENTER | DT_VCENTER | DT_SINGLELINE, R);
    }
}

bool TcxWinXPLookAndFeelPainter::HotTracksButtons() const { return true; }

namespace {

// The width of a theme part, 0 when the class does not open or has no such part.
int ThemePartWidth(TdxThemeClassKind AClass, int APart, int AState)
{
    HTHEME theme = OpenTheme(AClass);
    SIZE size{};
    if (!theme || dxGetThemePartSize(theme, nullptr, APart, AState, nullptr, dxtsTrue, size) != S_OK)
        return 0;
    return size.cx;
}

// A part drawn by its class's theme; false when the theme could not draw it.
bool DrawThemePart(TcxCanvas& ACanvas, TdxThemeClassKind AClass, int APart, int AState, const RECT& R)
{
    HTHEME theme = OpenThemeForDpi(AClass, ACanvas.Dpi());
    return theme && dxDrawThemeBackground(theme, ACanvas.Handle(), APart, AState, R) == S_OK;
}

// The explorer bar's expand buttons: normal 1, hot 2, pressed 3.
int GroupExpandThemeState(TcxButtonState AState)
{
    switch (AState) {
    case cxbsHot: return 2;
    case cxbsPressed: return 3;
    default: return 1;
    }
}

// The check box part's states: unchecked normal, hot, pressed, disabled (1-4), then
// the same checked (5-8); the default state draws as normal.
int CheckBoxThemeState(bool AChecked, TcxButtonState AState)
{
    int state = 1;
    switch (AState) {
    case cxbsHot: state = 2; break;
    case cxbsPressed: state = 3; break;
    case cxbsDisabled: state = 4; break;
    default: break;
    }
    return AChecked ? state + 4 : state;
}

} // namespace

void TcxWinXPLookAndFeelPainter::PaintExpandButton(TcxCanvas& ACanvas, const RECT& R, TColor AColor,
                                                   bool AExpanded) const
{
    if (!DrawThemePart(ACanvas, totTreeView, dxtpTreeGlyph, AExpanded ? 2 : 1, R))
        TcxStandardLookAndFeelPainter::PaintExpandButton(ACanvas, R, AColor, AExpanded);
}

int TcxWinXPLookAndFeelPainter::ExpandButtonSize() const
{
    const int width = ThemePartWidth(totTreeView, dxtpTreeGlyph, 1);
    return width > 0 ? width : TcxStandardLookAndFeelPainter::ExpandButtonSize();
}

void TcxWinXPLookAndFeelPainter::PaintGroupExpandButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                                        bool AExpanded) const
{
    // An expanded group shows the button that collapses it.
    if (!DrawThemePart(ACanvas, totExplorerBar, AExpanded ? dxtpGroupCollapse : dxtpGroupExpand,
                       GroupExpandThemeState(AState), R))
        TcxStandardLookAndFeelPainter::PaintGroupExpandButton(ACanvas, R, AState, AExpanded);
}

int TcxWinXPLookAndFeelPainter::GroupExpandButtonSize() const
{
    const int width = ThemePartWidth(totExplorerBar, dxtpGroupExpand, 1);
    return width > 0 ? width : TcxStandardLookAndFeelPainter::GroupExpandButtonSize();
}

bool TcxWinXPLookAndFeelPainter::IsPointInGroupExpandButton(const RECT& R, POINT P) const
{
    HTHEME theme = OpenTheme(totExplorerBar);
    HRGN region = nullptr;
    if (!theme || dxGetThemeBackgroundRegion(theme, nullptr, dxtpGroupExpand, 1, R, region) != S_OK || !region)
        return TcxStandardLookAndFeelPainter::IsPointInGroupExpandButton(R, P);
    // The part's shape: a round button is not hit at the corners of its rectangle.
    const TGdiObject owned(region);
    return PtInRegion(region, P.x, P.y) != FALSE;
}

void TcxWinXPLookAndFeelPainter::PaintCheckBox(TcxCanvas& ACanvas, const RECT& R, bool AChecked,
                                               TcxButtonState AState) const
{
    if (!DrawThemePart(ACanvas, totButton, dxtpCheckBox, CheckBoxThemeState(AChecked, AState), R))
        TcxStandardLookAndFeelPainter::PaintCheckBox(ACanvas, R, AChecked, AState);
}

void TcxWinXPLookAndFeelPainter::PaintThemedText(TcxCanvas& ACanvas, const RECT& R, const std::wstring& AText,
                                                 TcxTextFlags AFlags, int AThemeClass, int APart, int AState) const
{
    if (AText.empty() || IsRectEmptyR(R))
        return;
    HTHEME theme = OpenThemeForDpi(static_cast<TdxThemeClassKind>(AThemeClass), ACanvas.Dpi());
    if (!theme) {
        ACanvas.Brush().SetStyle(TBrushStyle::bsClear);
        ACanvas.DrawCaption(AText, R, AFlags);
        ACanvas.Brush().SetStyle(TBrushStyle::bsSolid);
        return;
    }
    ACanvas.Canvas()->RequireFont();
    const UINT kept = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM | DT_SINGLELINE | DT_WORDBREAK | DT_EDITCONTROL
        | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_NOCLIP | DT_EXPANDTABS;
    dxDrawThemeText(theme, ACanvas.Handle(), APart, AState, AText, 0x2800 | (cxFlagsToDTFlags(AFlags) & kept), R);
}

// ===========================================================================
// Shared images. The unit's pictures are of its own drawing, made here in code:
// the scroll-bar page patterns, the grid's row-indicator glyphs (arrow, edit,
// insert, multi-dot, multi-arrow), the auto-hide button's pinned and unpinned
// pins, and the radio buttons of each painter style.

namespace {

const COLORREF kTransparent = RGB(255, 0, 255);

struct SharedImages {
    TBitmap pagePatterns[2]{TBitmap(8, 8), TBitmap(8, 8)};
    bool patternsValid = false;
    TImageList indicators{16, 14};
    TBitmap autoHide[2]{TBitmap(16, 16), TBitmap(16, 16)};
    TcxRadioButtonImageList radioButtons;
    TSystemPaletteChangedNotifier notifier;

    SharedImages();
};

SharedImages* g_images = nullptr;

SharedImages& Images()
{
    if (!g_images)
        InitializeLookAndFeelPainters();
    return *g_images;
}

void DrawPagePattern(TBitmap& b, bool pressed)
{
    const COLORREF odd = ColorToRGB(pressed ? cl3DDkShadow : clBtnHighlight);
    const COLORREF even = pressed ? RGB(0, 0, 0) : ColorToRGB(clBtnFace);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            b.Canvas().SetPixel(x, y, (x + y) % 2 ? odd : even);
}

// One glyph of the grid's row indicator, black on the transparent colour.
void DrawIndicatorGlyph(TBitmap& b, TcxIndicatorKind kind)
{
    b.SetSize(16, 14);
    TcxCanvas c(&b.Canvas());
    c.FillRect(Rect(0, 0, 16, 14), kTransparent);
    const TColor ink = clBlack;
    switch (kind) {
    case ikArrow:
        DrawTriangle(c, {6, 3}, {10, 7}, {6, 11}, ink);
        break;
    case ikEdit:  // an I-beam
        c.FillRect(Rect(8, 3, 9, 11), ink);
        c.FillRect(Rect(6, 2, 8, 3), ink);
        c.FillRect(Rect(9, 2, 11, 3), ink);
        c.FillRect(Rect(6, 11, 8, 12), ink);
        c.FillRect(Rect(9, 11, 11, 12), ink);
        break;
    case ikInsert:  // an asterisk
        c.FillRect(Rect(8, 3, 9, 12), ink);
        c.FillRect(Rect(4, 7, 13, 8), ink);
        DrawLine(c, 5, 4, 12, 11, ink);
        DrawLine(c, 11, 4, 4, 11, ink);
        break;
    case ikMultiDot:
        c.FillRect(Rect(7, 5, 10, 10), ink);
        c.FillRect(Rect(6, 6, 11, 9), ink);
        break;
    case ikMultiArrow:
        DrawTriangle(c, {3, 3}, {7, 7}, {3, 11}, ink);
        c.FillRect(Rect(10, 6, 13, 9), ink);
        c.FillRect(Rect(11, 5, 12, 10), ink);
        break;
    case ikNone:
        break;
    }
}

// The auto-hide pin: standing (pinned) or lying with its point to the left.
void DrawPin(TBitmap& b, bool pinned)
{
    TBitmap standing(16, 16);
    TcxCanvas c(&standing.Canvas());
    c.FillRect(Rect(0, 0, 16, 16), kTransparent);
    c.FillRect(Rect(5, 1, 11, 8), clWhite);
    c.FillRect(Rect(9, 2, 10, 8), clBtnShadow);
    c.FrameSides(Rect(5, 1, 11, 8), clBlack);
    c.FillRect(Rect(3, 8, 13, 9), clBlack);
    c.FillRect(Rect(8, 9, 9, 15), clBlack);
    TcxCanvas out(&b.Canvas());
    if (pinned) {
        out.CopyRectFrom(Rect(0, 0, 16, 16), standing.Canvas(), Rect(0, 0, 16, 16));
        return;
    }
    // Turned a quarter clockwise: the head to the right, the point to the left.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            b.Canvas().SetPixel(x, y, standing.PixelAt(y, 15 - x));
}

SharedImages::SharedImages() : notifier()
{
    for (TcxIndicatorKind kind : {ikArrow, ikEdit, ikInsert, ikMultiDot, ikMultiArrow}) {
        TBitmap glyph;
        DrawIndicatorGlyph(glyph, kind);
        indicators.AddMasked(glyph, kTransparent);
    }
    DrawPin(autoHide[0], false);
    DrawPin(autoHide[1], true);
}

// The radio-button ring colours of a painter style.
struct RadioColors {
    TColor outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
};

RadioColors RadioColorsOf(TcxPainterStyle style, TcxButtonState state, TColor face)
{
    switch (style) {
    case psFlat:
        return {clBtnShadow, clBtnHighlight, face, face};
    case psUltraFlat: {
        const TColor ring = state == cxbsDisabled                       ? clBtnShadow
            : state == cxbsHot || state == cxbsPressed ? clHighlight
                                                       : clBtnText;
        return {ring, ring, face, face};
    }
    default:
        return {clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight};
    }
}

} // namespace

TBitmap& cxScrollBarPagePattern(bool APressed)
{
    SharedImages& images = Images();
    if (!images.patternsValid) {
        DrawPagePattern(images.pagePatterns[0], false);
        DrawPagePattern(images.pagePatterns[1], true);
        images.patternsValid = true;
    }
    return images.pagePatterns[APressed ? 1 : 0];
}

TImageList& cxIndicatorImages() { return Images().indicators; }

TBitmap& cxAutoHideBitmap(bool APinned) { return Images().autoHide[APinned ? 1 : 0]; }

TcxRadioButtonImageList& cxRadioButtonImages() { return Images().radioButtons; }

void TSystemPaletteChangedNotifier::NotifyColorsChanged()
{
    TcxSystemPaletteChangedNotifier::NotifyColorsChanged();
    if (g_images) {
        g_images->radioButtons.Reset();
        // The page patterns hold colours too; they are redrawn with the new ones.
        g_images->patternsValid = false;
    }
}

TBitmap& TcxRadioButtonImageList::Image(TcxPainterStyle AStyle, bool AChecked, TcxButtonState AState)
{
    if (AStyle == psNative)
        AStyle = psStandard;
    auto& slot = images_[{static_cast<int>(AStyle), AChecked, static_cast<int>(AState)}];
    if (slot)
        return *slot;
    slot = std::make_unique<TBitmap>(Size, Size);
    TBitmap& b = *slot;
    TcxLookAndFeelPainterClass painter = TcxStandardLookAndFeelPainter::Instance();
    if (AStyle == psFlat)
        painter = TcxFlatLookAndFeelPainter::Instance();
    else if (AStyle == psUltraFlat)
        painter = TcxUltraFlatLookAndFeelPainter::Instance();
    const TColor face = painter->CheckFaceColor(AState);
    const RadioColors ring = RadioColorsOf(AStyle, AState, face);
    const TColor dot = AState == cxbsDisabled ? clBtnShadow : clBtnText;
    // The circle's pixels: outer ring, inner ring, face; the dot covers the middle
    // four rows of the face. The diagonal from bottom-left to top-right divides the
    // shaded half of each ring from the lit one.
    static const char* const kCircle[Size] = {
        "....oooo....", "..ooiiiioo..", ".oiiffffiio.", ".oiffffffio.", "oiffffffffio", "oiffffffffio",
        "oiffffffffio", "oiffffffffio", ".oiffffffio.", ".oiiffffiio.", "..ooiiiioo..", "....oooo....",
    };
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const bool topLeft = x + y < Size - 1;
            const bool inDot = AChecked && y >= 4 && y <= 7 && x >= 4 && x <= 7 && !((y == 4 || y == 7) && (x == 4 || x == 7));
            TColor color = kTransparent;
            switch (kCircle[y][x]) {
            case 'o': color = topLeft ? ring.outerTopLeft : ring.outerBottomRight; break;
            case 'i': color = topLeft ? ring.innerTopLeft : ring.innerBottomRight; break;
            case 'f': color = inDot ? dot : face; break;
            default: break;
            }
            b.Canvas().SetPixel(x, y, color);
        }
    return b;
}

void TcxRadioButtonImageList::Draw(TcxCanvas& ACanvas, POINT APosition, TcxPainterStyle AStyle, bool AChecked,
                                   TcxButtonState AState)
{
    DrawTransparentBitmap(ACanvas, Image(AStyle, AChecked, AState), APosition.x, APosition.y);
}

void InitializeLookAndFeelPainters()
{
    if (!g_images)
        g_images = new SharedImages();
}

void FinalizeLookAndFeelPainters()
{
    delete g_images;
    g_images = nullptr;
}

namespace {

struct LookAndFeelPaintersUnit {
    LookAndFeelPaintersUnit() { InitializeLookAndFeelPainters(); }
    ~LookAndFeelPaintersUnit() { FinalizeLookAndFeelPainters(); }
} g_unit;

} // namespace
