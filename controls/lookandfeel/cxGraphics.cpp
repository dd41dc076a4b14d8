#include "controls/lookandfeel/cxGraphics.h"

#include <algorithm>

using namespace qv;

UINT cxFlagsToDTFlags(TcxTextFlags AFlags)
{
    UINT result = DT_NOPREFIX;
    if (AFlags & tfAlignRight)
        result |= DT_RIGHT;
    if (AFlags & tfAlignHCenter)
        result |= DT_CENTER;
    if (AFlags & tfAlignBottom)
        result |= DT_BOTTOM;
    if (AFlags & tfAlignVCenter)
        result |= DT_VCENTER;
    if (AFlags & tfSingleLine)
        result |= DT_SINGLELINE;
    if (AFlags & tfDontClip)
        result |= DT_NOCLIP;
    if (AFlags & tfExpandTabs)
        result |= DT_EXPANDTABS;
    if (AFlags & tfShowPrefix)
        result &= ~static_cast<UINT>(DT_NOPREFIX);
    if (AFlags & tfWordBreak)
        result |= DT_WORDBREAK | DT_EDITCONTROL;
    if (AFlags & tfShowEndEllipsis)
        result |= DT_END_ELLIPSIS;
    if (AFlags & tfCalcRect)
        result |= DT_CALCRECT;
    if (AFlags & tfShowPathEllipsis)
        result |= DT_PATH_ELLIPSIS;
    return result;
}

TcxTextFlags cxAlignmentsToTextFlags(TAlignment AHorz, TcxAlignmentVert AVert)
{
    TcxTextFlags result = 0;
    switch (AHorz) {
    case taLeftJustify: result |= tfAlignLeft; break;
    case taRightJustify: result |= tfAlignRight; break;
    case taCenter: result |= tfAlignHCenter; break;
    }
    switch (AVert) {
    case vaTop: result |= tfAlignTop; break;
    case vaBottom: result |= tfAlignBottom; break;
    case vaCenter: result |= tfAlignVCenter; break;
    }
    return result;
}

int cxRegionCombineMode(TcxRegionOperation AOperation)
{
    switch (AOperation) {
    case roCopy: return RGN_COPY;
    case roAdd: return RGN_OR;
    case roSubtract: return RGN_DIFF;
    case roIntersect: return RGN_AND;
    }
    return RGN_COPY;
}

// ---------------------------------------------------------------------------

TcxRegion::TcxRegion() : TcxRegion(0, 0, 0, 0) {}

TcxRegion::TcxRegion(HRGN ARegion) : handle_(ARegion) {}

TcxRegion::TcxRegion(const RECT& R) : handle_(CreateRectRgnIndirect(&R)) {}

TcxRegion::TcxRegion(int ALeft, int ATop, int ARight, int ABottom)
    : handle_(CreateRectRgn(ALeft, ATop, ARight, ABottom))
{
}

bool TcxRegion::IsEmpty() const
{
    RECT r;
    return GetRgnBox(Handle(), &r) == NULLREGION;
}

RECT TcxRegion::BoundsRect() const
{
    RECT r{0, 0, 0, 0};
    GetRgnBox(Handle(), &r);
    return r;
}

bool TcxRegion::IsEqual(const TcxRegion& ARegion) const { return EqualRgn(Handle(), ARegion.Handle()) != FALSE; }

bool TcxRegion::PtInRegion(int X, int Y) const { return ::PtInRegion(Handle(), X, Y) != FALSE; }

void TcxRegion::CombineRegion(const TcxRegion& ARegion, TcxRegionOperation AOperation)
{
    if (AOperation == roCopy)
        CombineRgn(Handle(), ARegion.Handle(), nullptr, RGN_COPY);
    else
        CombineRgn(Handle(), Handle(), ARegion.Handle(), cxRegionCombineMode(AOperation));
}

void TcxRegion::CombineRegion(std::unique_ptr<TcxRegion> ARegion, TcxRegionOperation AOperation)
{
    if (ARegion)
        CombineRegion(*ARegion, AOperation);
}

void TcxRegion::OffsetRegion(int DX, int DY) { OffsetRgn(Handle(), DX, DY); }

// ---------------------------------------------------------------------------

namespace {

// Division rounding toward minus infinity: the tile grid continues left of and above the origin.
int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

} // namespace

void TcxCanvas::SetBrushColor(TColor Value)
{
    // A clear brush fills nothing, so it is made solid even when the colour matches.
    if (Brush().Color() != Value || Brush().Style() != TBrushStyle::bsSolid)
        Brush().SetColor(Value);
}

void TcxCanvas::FillRect(const RECT& R, TBitmap* ABitmap)
{
    // The system fills an inverted rectangle as if it were the right way round.
    if (IsRectEmptyR(R))
        return;
    if (!ABitmap || ABitmap->Empty()) {
        canvas_->FillRect(R);
        return;
    }
    // Only the tiles that can show: a huge rectangle would take for ever otherwise.
    RECT visible = R;
    RECT clip;
    if (GetClipBox(Handle(), &clip) == NULLREGION || !IntersectRect(&visible, &R, &clip))
        return;
    const int w = ABitmap->Width(), h = ABitmap->Height();
    const int firstCol = FloorDiv(visible.left, w), lastCol = FloorDiv(visible.right - 1, w);
    const int firstRow = FloorDiv(visible.top, h), lastRow = FloorDiv(visible.bottom - 1, h);
    for (int row = firstRow; row <= lastRow; ++row)
        for (int col = firstCol; col <= lastCol; ++col) {
            RECT tile = Bounds(col * w, row * h, w, h), dest;
            if (!IntersectRect(&dest, &tile, &R))
                continue;
            CopyRectFrom(dest, ABitmap->Canvas(), Offsetted(dest, -col * w, -row * h));
        }
}

void TcxCanvas::FillRect(const RECT& R, TColor AColor)
{
    SetBrushColor(AColor);
    if (!IsRectEmptyR(R))
        canvas_->FillRect(R);
}

namespace {

// The strip of width w along one side, inside R.
RECT SideStrip(const RECT& R, TcxSides side, int w)
{
    RECT s = R;
    switch (side) {
    case sdLeft: s.right = std::min(R.right, R.left + w); break;
    case sdTop: s.bottom = std::min(R.bottom, R.top + w); break;
    case sdRight: s.left = std::max(R.left, R.right - w); break;
    case sdBottom: s.top = std::max(R.top, R.bottom - w); break;
    }
    return s;
}

} // namespace

void TcxCanvas::SetDpi(int Value)
{
    dpi_ = Value > 0 ? Value : qv::kDesignDpi;
    lineWidth_ = qv::LineWidthForDpi(dpi_);
}

void TcxCanvas::FrameSides(const RECT& R, TColor AColor, TcxSides ASides, int ABorderWidth)
{
    ABorderWidth *= lineWidth_;
    if (AColor != clDefault)
        SetBrushColor(AColor);
    if (IsRectEmptyR(R))
        return;
    for (TcxSides side : {sdLeft, sdRight, sdTop, sdBottom})
        if (ASides & side)
            FillRect(SideStrip(R, side, ABorderWidth));
}

void TcxCanvas::DrawTwoColorFrame(const RECT& R, TColor ALeftTopColor, TColor ARightBottomColor, TcxSides ASides,
                                  int ABorderWidth)
{
    ABorderWidth *= lineWidth_;
    if (IsRectEmptyR(R))
        return;
    for (TcxSides side : {sdLeft, sdTop, sdRight, sdBottom})
        if (ASides & side) {
            SetBrushColor(side == sdLeft || side == sdTop ? ALeftTopColor : ARightBottomColor);
            FillRect(SideStrip(R, side, ABorderWidth));
        }
}

void TcxCanvas::Draw3DEdge(const RECT& R, bool ASunken, bool AOuter, TcxSides ASides)
{
    TColor leftTop, rightBottom;
    if (ASunken) {
        leftTop = AOuter ? clBtnShadow : cl3DDkShadow;
        rightBottom = AOuter ? clBtnHighlight : cl3DLight;
    } else {
        leftTop = AOuter ? cl3DLight : clBtnHighlight;
        rightBottom = AOuter ? cl3DDkShadow : clBtnShadow;
    }
    DrawTwoColorFrame(R, leftTop, rightBottom, ASides, 1);
}

void TcxCanvas::DrawFocusFrame(const RECT& R)
{
    // The dotted frame XORs with the text and background colours.
    SetBrushColor(clWhite);
    Font().SetColor(clBlack);
    canvas_->RequireFont();
    // One dotted ring per pixel of a line.
    for (int i = 0; i < lineWidth_; ++i)
        canvas_->DrawFocusRect(Rect(R.left + i, R.top + i, R.right - i, R.bottom - i));
}

void TcxCanvas::InvertArea(const RECT& R)
{
    canvas_->SetCopyMode(DSTINVERT);
    canvas_->CopyRect(R, *canvas_, R);
    canvas_->SetCopyMode(SRCCOPY);
}

void TcxCanvas::DrawCaption(const std::wstring& AText, RECT R, TcxTextFlags AFlags, bool AEnabled)
{
    if (AText.empty() || (IsRectEmptyR(R) && !(AFlags & tfDontClip)))
        return;
    const bool useDrawText =
        !(AFlags & tfSingleLine) || (AFlags & (tfShowPrefix | tfShowEndEllipsis | tfShowPathEllipsis));
    const SIZE size = TextExtent(AText);
    const bool fits = size.cx < Width(R) && size.cy < Height(R);
    if (fits)
        AFlags |= tfDontClip;
    // The system's own clipping of text lets a glyph's pixel through with some fonts:
    // a text that does not fit is clipped here as well.
    TcxClipScope clip(*this, R, !fits && !(AFlags & tfDontClip));
    canvas_->RequireFont();
    canvas_->RequireBrush();
    if (AEnabled) {
        OutputText(AText, R, AFlags, AEnabled, useDrawText, size);
        return;
    }
    // The two emboss colours and the clear background go straight to the context:
    // changing the font's colour would have the canvas select the font again, which
    // costs more than the text. The canvas's font and brush stay as the caller left them.
    HDC dc = Handle();
    const COLORREF textColor = GetTextColor(dc);
    const int bkMode = GetBkMode(dc);
    SetBkMode(dc, TRANSPARENT);
    ++R.left;
    ++R.top;
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    OutputText(AText, R, AFlags, AEnabled, useDrawText, size);
    R = Offsetted(R, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
    OutputText(AText, R, AFlags, AEnabled, useDrawText, size);
    SetTextColor(dc, textColor);
    SetBkMode(dc, bkMode);
}

void TcxCanvas::OutputText(const std::wstring& AText, RECT R, TcxTextFlags AFlags, bool AEnabled, bool AUseDrawText,
                           SIZE ATextSize)
{
    HDC dc = Handle();
    const int disabledShift = AEnabled ? 0 : 1;
    if (AUseDrawText) {
        // DrawText places only single lines vertically; a block of lines is placed here.
        if (!(AFlags & tfSingleLine) && (AFlags & (tfAlignBottom | tfAlignVCenter))) {
            RECT block = R;
            block.right -= disabledShift;
            TextBlock(AText, block, AFlags);
            if (AFlags & tfAlignBottom)
                R.top = R.bottom + (block.top - block.bottom) - disabledShift;
            else
                R.top = (R.top + R.bottom + block.top - block.bottom) / 2;
        }
        DrawTextW(dc, AText.c_str(), static_cast<int>(AText.size()), &R, cxFlagsToDTFlags(AFlags));
        return;
    }
    int x = R.left, y = R.top;
    if (ATextSize.cx < Width(R)) {
        if (AFlags & tfAlignRight)
            x = R.right - ATextSize.cx - disabledShift;
        else if (AFlags & tfAlignHCenter)
            x = (R.left + R.right - ATextSize.cx) / 2;
    }
    if (ATextSize.cy < Height(R)) {
        if (AFlags & tfAlignBottom)
            y = R.bottom - ATextSize.cy - disabledShift;
        else if (AFlags & tfAlignVCenter)
            y = (R.top + R.bottom - ATextSize.cy) / 2;
    }
    ExtTextOutW(dc, x, y, (AFlags & tfDontClip) ? 0 : ETO_CLIPPED, &R, AText.c_str(),
                static_cast<UINT>(AText.size()), nullptr);
}

void TcxCanvas::CalculateTextRect(const std::wstring& AText, RECT& R, TcxTextFlags AFlags)
{
    canvas_->RequireFont();
    TextBlock(AText, R, AFlags);
}

void TcxCanvas::TextBlock(const std::wstring& AText, RECT& R, TcxTextFlags AFlags)
{
    const int width = Width(R), height = Height(R);
    UINT flags = (cxFlagsToDTFlags(AFlags) & ~static_cast<UINT>(DT_VCENTER)) | DT_CALCRECT;
    DrawTextW(Handle(), AText.c_str(), static_cast<int>(AText.size()), &R, flags);
    const int dx = width - Width(R), dy = height - Height(R);
    if (AFlags & tfAlignHCenter)
        R = Offsetted(R, dx / 2, 0);
    else if (AFlags & tfAlignRight)
        R = Offsetted(R, dx, 0);
    if (AFlags & tfAlignVCenter)
        R = Offsetted(R, 0, dy / 2);
    else if (AFlags & tfAlignBottom)
        R = Offsetted(R, 0, dy);
}

SIZE TcxCanvas::TextExtent(const std::wstring& AText) { return canvas_->TextExtent(AText); }

void TcxCanvas::ExcludeClip(const RECT& R) { ExcludeClipRect(Handle(), R.left, R.top, R.right, R.bottom); }

void TcxCanvas::IntersectClip(const RECT& R) { IntersectClipRect(Handle(), R.left, R.top, R.right, R.bottom); }

std::unique_ptr<TcxRegion> TcxCanvas::GetClipRegion()
{
    auto result = std::make_unique<TcxRegion>();
    if (GetClipRgn(Handle(), result->Handle()) != 1)
        SetRectRgn(result->Handle(), 0, 0, cxMaxRegionSize, cxMaxRegionSize);
    return result;
}

void TcxCanvas::SetClipRegion(const TcxRegion& ARegion, TcxRegionOperation AOperation)
{
    if (AOperation == roCopy) {
        SelectClipRgn(Handle(), ARegion.Handle());
        return;
    }
    // The clipping region is in device coordinates, the given one in logical ones.
    const POINT origin = GetWindowOrigin();
    TcxRegion region;
    region.CombineRegion(ARegion, roCopy);
    region.OffsetRegion(-origin.x, -origin.y);
    std::unique_ptr<TcxRegion> clip = GetClipRegion();
    clip->CombineRegion(region, AOperation);
    SelectClipRgn(Handle(), clip->Handle());
}

void TcxCanvas::SetClipRegion(std::unique_ptr<TcxRegion> ARegion, TcxRegionOperation AOperation)
{
    if (ARegion)
        SetClipRegion(*ARegion, AOperation);
}

POINT TcxCanvas::GetWindowOrigin()
{
    POINT p{0, 0};
    GetWindowOrgEx(Handle(), &p);
    return p;
}

// ---------------------------------------------------------------------------

TcxClipScope::TcxClipScope(TcxCanvas& ACanvas, const RECT& R, bool AActive)
{
    if (!AActive)
        return;
    dc_ = ACanvas.Handle();
    saved_ = std::make_unique<TcxRegion>();
    hadClip_ = GetClipRgn(dc_, saved_->Handle()) == 1;
    // An inverted rectangle would be taken the right way round: it lets nothing through.
    const RECT r = IsRectEmptyR(R) ? Rect(R.left, R.top, R.left, R.top) : R;
    IntersectClipRect(dc_, r.left, r.top, r.right, r.bottom);
}

TcxClipScope::~TcxClipScope()
{
    if (dc_)
        SelectClipRgn(dc_, hadClip_ ? saved_->Handle() : nullptr);
}

bool cxRectContains(const RECT& AOuter, const RECT& AInner)
{
    return IsRectEmptyR(AInner)
        || (AInner.left >= AOuter.left && AInner.top >= AOuter.top && AInner.right <= AOuter.right
            && AInner.bottom <= AOuter.bottom);
}

// ---------------------------------------------------------------------------

TcxScreenCanvas::TcxScreenCanvas() : TcxCanvas(nullptr), screen_(std::make_unique<TScreenCanvas>())
{
    SetCanvas(screen_.get());
}

TcxScreenCanvas::~TcxScreenCanvas() = default;

// ---------------------------------------------------------------------------

TColor GetLightColor(std::int8_t AFacePercent, std::int8_t AHighlightPercent, std::int8_t AWindowPercent)
{
    return cxGetLightColor(ColorToRGB(clBtnFace), ColorToRGB(clHighlight), ColorToRGB(clWindow), AFacePercent,
                           AHighlightPercent, AWindowPercent);
}

TColor cxGetLightColor(COLORREF face, COLORREF highlight, COLORREF window, std::int8_t AFacePercent,
                       std::int8_t AHighlightPercent, std::int8_t AWindowPercent)
{
    if (face == 0 || face == 0x00FFFFFF)
        return highlight;
    auto channel = [&](int shift) {
        int v = MulDiv((face >> shift) & 0xFF, AFacePercent, 100)
            + MulDiv((highlight >> shift) & 0xFF, AHighlightPercent, 100)
            + MulDiv((window >> shift) & 0xFF, AWindowPercent, 100);
        return static_cast<TColor>(std::clamp(v, 0, 255)) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

namespace {

// Getting the screen's context costs more than painting a button, and the answer
// depends only on the colour (the screen's depth aside), so the last few are kept.
TColor NearestScreenColor(TColor color)
{
    struct Entry {
        TColor in = clNone, out = clNone;
    };
    static Entry recent[4];
    static int next = 0;
    for (const Entry& e : recent)
        if (e.in == color)
            return e.out;
    TWindowDC screen(nullptr);
    const TColor nearest = GetNearestColor(screen.Get(), color);
    recent[next] = {color, nearest};
    next = (next + 1) % 4;
    return nearest;
}

} // namespace

TColor HotLightColor() { return NearestScreenColor(GetLightColor(-2, 30, 72)); }

TColor PressedLightColor() { return NearestScreenColor(GetLightColor(14, 44, 40)); }
