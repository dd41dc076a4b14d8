// The library's drawing helpers: a canvas wrapper with the compound operations the
// painters repeat, an owned region, the library's text flags and the colour blends
// of the ultra-flat style. Colours are TColor everywhere (system colours included);
// they become real RGB only inside the framework canvas.
#pragma once

#include "framework/Dpi.h"
#include "framework/Graphics.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Sides of a rectangle, one bit each.
using TcxSides = unsigned;
enum : TcxSides { sdLeft = 1, sdTop = 2, sdRight = 4, sdBottom = 8, sdAll = 15 };

// The library's text output flags; exactly one horizontal and one vertical
// alignment bit is meant to be set.
using TcxTextFlags = std::uint16_t;
enum : TcxTextFlags {
    tfAlignLeft = 0x0001,
    tfAlignRight = 0x0002,
    tfAlignHCenter = 0x0004,
    tfAlignTop = 0x0008,
    tfAlignBottom = 0x0010,
    tfAlignVCenter = 0x0020,
    tfSingleLine = 0x0040,
    tfDontClip = 0x0080,
    tfExpandTabs = 0x0100,
    tfShowPrefix = 0x0200,
    tfWordBreak = 0x0400,
    tfShowEndEllipsis = 0x0800,
    tfCalcRect = 0x1000,
    tfShowPathEllipsis = 0x2000,
};

// A button caption: centred both ways, one line, "&" underlines the next character.
inline constexpr TcxTextFlags cxButtonCaptionFlags = tfAlignHCenter | tfAlignVCenter | tfSingleLine | tfShowPrefix;

// The system's DrawText flags for the library's text flags.
UINT cxFlagsToDTFlags(TcxTextFlags AFlags);

enum TcxAlignmentVert { vaTop, vaBottom, vaCenter };

// Text flags of a horizontal and a vertical alignment.
TcxTextFlags cxAlignmentsToTextFlags(qv::TAlignment AHorz, TcxAlignmentVert AVert);

enum TcxRegionOperation { roCopy, roAdd, roSubtract, roIntersect };

// The region combine mode (RGN_COPY, RGN_OR, RGN_DIFF, RGN_AND) of an operation.
int cxRegionCombineMode(TcxRegionOperation AOperation);

// Owns one region handle.
class TcxRegion : public qv::TObject {
public:
    // The empty rectangle (0, 0, 0, 0).
    TcxRegion();
    // Takes over the handle.
    explicit TcxRegion(HRGN ARegion);
    explicit TcxRegion(const RECT& R);
    TcxRegion(int ALeft, int ATop, int ARight, int ABottom);
    TcxRegion(const TcxRegion&) = delete;
    TcxRegion& operator=(const TcxRegion&) = delete;

    HRGN Handle() const { return static_cast<HRGN>(handle_.Get()); }
    bool IsEmpty() const;
    // The smallest rectangle holding the region.
    RECT BoundsRect() const;
    bool IsEqual(const TcxRegion& ARegion) const;
    bool PtInRegion(int X, int Y) const;

    // roCopy: this region becomes a copy of the other; otherwise the other one is
    // combined into this one.
    void CombineRegion(const TcxRegion& ARegion, TcxRegionOperation AOperation);
    // The same; the other region is freed afterwards.
    void CombineRegion(std::unique_ptr<TcxRegion> ARegion, TcxRegionOperation AOperation);
    void OffsetRegion(int DX, int DY);

private:
    qv::TGdiObject handle_;
};

// A thin layer over a framework canvas (not owned): its font, brush, pen and device
// context are the wrapped canvas's own, and it keeps no state of its own.
class TcxCanvas : public qv::TObject {
public:
    explicit TcxCanvas(qv::TCanvas* ACanvas) : canvas_(ACanvas) {}
    TcxCanvas(const TcxCanvas&) = delete;
    TcxCanvas& operator=(const TcxCanvas&) = delete;

    qv::TCanvas* Canvas() const { return canvas_; }
    void SetCanvas(qv::TCanvas* Value) { canvas_ = Value; }
    // The display density drawn for, and the width of a line there: frames, edges
    // and the focus frame of one line are this many pixels wide.
    int Dpi() const { return dpi_; }
    void SetDpi(int Value);
    int LineWidth() const { return lineWidth_; }
    HDC Handle() const { return canvas_->Handle(); }
    qv::TBrush& Brush() const { return canvas_->Brush(); }
    qv::TFont& Font() const { return canvas_->Font(); }
    qv::TPen& Pen() const { return canvas_->Pen(); }

    // Changes the brush only when needed, so that the brush is not recreated.
    void SetBrushColor(qv::TColor Value);
    // Fills with the current brush; with a non-empty bitmap the bitmap is tiled
    // on the grid of its size in canvas coordinates, over the part of R that the
    // clipping lets through. An empty or inverted rectangle fills nothing.
    void FillRect(const RECT& R, qv::TBitmap* ABitmap = nullptr);
    // Brush := AColor, then a plain fill.
    void FillRect(const RECT& R, qv::TColor AColor);
    // Strips of AWidth lines inside R on the chosen sides (left, right, top, bottom);
    // clDefault keeps the current brush colour.
    void FrameSides(const RECT& R, qv::TColor AColor, TcxSides ASides = sdAll, int ABorderWidth = 1);
    // Left and top strips in ALeftTopColor, right and bottom strips in ARightBottomColor.
    void DrawTwoColorFrame(const RECT& R, qv::TColor ALeftTopColor, qv::TColor ARightBottomColor,
                           TcxSides ASides = sdAll, int ABorderWidth = 1);
    // One ring of a 3-D edge in system colours.
    void Draw3DEdge(const RECT& R, bool ASunken, bool AOuter, TcxSides ASides = sdAll);
    // The dotted XOR focus frame; drawing it twice removes it.
    void DrawFocusFrame(const RECT& R);
    void InvertArea(const RECT& R);

    // Text with the library's flags; a disabled text is embossed (a light copy one
    // pixel right and down under the shadow-coloured one). The font colour is kept.
    // Unless tfDontClip is given, nothing is drawn into an empty rectangle.
    void DrawCaption(const std::wstring& AText, RECT R, TcxTextFlags AFlags, bool AEnabled = true);
    // R becomes the block the text needs, placed in R's old size by the alignment flags.
    void CalculateTextRect(const std::wstring& AText, RECT& R, TcxTextFlags AFlags);
    SIZE TextExtent(const std::wstring& AText);
    int TextWidth(const std::wstring& AText) { return TextExtent(AText).cx; }
    int TextHeight(const std::wstring& AText) { return TextExtent(AText).cy; }

    void MoveTo(int X, int Y) { canvas_->MoveTo(X, Y); }
    void LineTo(int X, int Y) { canvas_->LineTo(X, Y); }
    void Polygon(const std::vector<POINT>& APoints) { canvas_->Polygon(APoints); }
    void Polyline(const std::vector<POINT>& APoints) { canvas_->Polyline(APoints); }
    void SetPixelColor(int X, int Y, qv::TColor AColor) { canvas_->SetPixel(X, Y, AColor); }
    COLORREF PixelColor(int X, int Y) { return canvas_->Pixel(X, Y); }
    void CopyRectFrom(const RECT& ADest, qv::TCanvas& ASource, const RECT& ASourceRect)
    {
        canvas_->CopyRect(ADest, ASource, ASourceRect);
    }
    void DrawGraphic(int X, int Y, qv::TBitmap& AGraphic) { canvas_->Draw(X, Y, AGraphic); }

    void ExcludeClip(const RECT& R);
    void IntersectClip(const RECT& R);
    // A copy of the clipping region (the caller owns it); without clipping, a
    // rectangle large enough for any drawing.
    std::unique_ptr<TcxRegion> GetClipRegion();
    // roCopy selects the region; the other operations combine it (in logical
    // coordinates) with the current clipping. The given region is left unchanged.
    void SetClipRegion(const TcxRegion& ARegion, TcxRegionOperation AOperation);
    // The same; the region is freed afterwards.
    void SetClipRegion(std::unique_ptr<TcxRegion> ARegion, TcxRegionOperation AOperation);
    POINT GetWindowOrigin();

private:
    void OutputText(const std::wstring& AText, RECT R, TcxTextFlags AFlags, bool AEnabled, bool AUseDrawText,
                    SIZE ATextSize);
    // CalculateTextRect on a context whose font is selected already.
    void TextBlock(const std::wstring& AText, RECT& R, TcxTextFlags AFlags);

    qv::TCanvas* canvas_;
    int dpi_ = qv::kDesignDpi;
    int lineWidth_ = 1;
};

// Narrows the canvas's clipping to a rectangle for the lifetime of the scope (when
// active), and then puts the clipping back as it was. Only the clipping is saved:
// the objects the canvas selects meanwhile stay selected.
class TcxClipScope {
public:
    TcxClipScope(TcxCanvas& ACanvas, const RECT& R, bool AActive = true);
    ~TcxClipScope();
    TcxClipScope(const TcxClipScope&) = delete;
    TcxClipScope& operator=(const TcxClipScope&) = delete;

private:
    HDC dc_ = nullptr;
    std::unique_ptr<TcxRegion> saved_;
    bool hadClip_ = false;
};

// Whether AInner lies wholly inside AOuter (an empty AInner always does).
bool cxRectContains(const RECT& AOuter, const RECT& AInner);

// A library canvas over the screen's device context; it owns that framework canvas.
class TcxScreenCanvas : public TcxCanvas {
public:
    TcxScreenCanvas();
    ~TcxScreenCanvas() override;

private:
    std::unique_ptr<qv::TScreenCanvas> screen_;
};

// The side of the clipping rectangle GetClipRegion reports when nothing clips.
inline constexpr int cxMaxRegionSize = 107374182;

// Per channel: clBtnFace, clHighlight and clWindow weighted by the percentages
// (which may be negative), clamped to 0..255. A black or white button face gives
// clHighlight unchanged.
qv::TColor GetLightColor(std::int8_t AFacePercent, std::int8_t AHighlightPercent, std::int8_t AWindowPercent);
// The same blend of the given RGB colours.
qv::TColor cxGetLightColor(COLORREF AFace, COLORREF AHighlight, COLORREF AWindow, std::int8_t AFacePercent,
                           std::int8_t AHighlightPercent, std::int8_t AWindowPercent);
// The ultra-flat hot and pressed faces, as the screen can show them.
qv::TColor HotLightColor();
qv::TColor PressedLightColor();
