// Drawing objects: owning handle types, font, brush, pen, canvas and bitmap.
// Every GDI object and device context the framework creates lives in one of the
// owning types below; they count themselves, so tests can see that nothing leaks.
#pragma once

#include "framework/Types.h"

#include <memory>
#include <vector>

namespace qv {

// Live objects created through the framework's owning types.
struct TGdiCounters {
    static int LiveObjects();   // fonts, brushes, pens, bitmaps, regions
    static int LiveDCs();       // device contexts the framework acquired or created
};

// Owns one GDI object (font, brush, pen, bitmap, region) and deletes it.
class TGdiObject {
public:
    TGdiObject() = default;
    explicit TGdiObject(HGDIOBJ handle);
    ~TGdiObject();
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    TGdiObject(TGdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    TGdiObject& operator=(TGdiObject&& other) noexcept;

    HGDIOBJ Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(HGDIOBJ handle = nullptr);
    // Gives up ownership; the caller deletes the object.
    HGDIOBJ Release();

private:
    HGDIOBJ handle_ = nullptr;
};

// A device context from GetDC, released with ReleaseDC.
class TWindowDC {
public:
    explicit TWindowDC(HWND wnd);
    ~TWindowDC();
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// A memory device context compatible with the screen (or with another DC), deleted with DeleteDC.
class TMemoryDC {
public:
    explicit TMemoryDC(HDC compatibleWith = nullptr);
    ~TMemoryDC();
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// Counting hooks for device contexts obtained outside the two classes above (BeginPaint, owner-draw).
void NoteDCAcquired();
void NoteDCReleased();

class TPersistentGraphic : public TObject {
public:
    TNotifyEvent OnChange;

protected:
    void Changed();
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Horizontal placement of a text.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TFont : public TPersistentGraphic {
public:
    TFont();

    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& value);
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return height_; }
    void SetHeight(int value);
    // Points at 96 pixels per inch, as the form designer shows it.
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    unsigned Style() const { return style_; }
    void SetStyle(unsigned value);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE value);

    void Assign(const TFont& source);
    bool SameAs(const TFont& other) const;

    HFONT Handle();
    bool HandleAllocated() const { return static_cast<bool>(handle_); }

private:
    void ChangedFont();

    std::wstring name_ = L"SimSun";
    int height_ = -12;
    TColor color_ = clWindowText;
    unsigned style_ = 0;
    BYTE charset_ = DEFAULT_CHARSET;
    TGdiObject handle_;
};

enum class TBrushStyle { bsSolid, bsClear };

class TBitmap;

class TBrush : public TPersistentGraphic {
public:
    TBrush();
    ~TBrush() override;

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle value);
    // A pattern brush of a copy of the bitmap; nullptr goes back to a plain brush.
    TBitmap* Bitmap() const { return bitmap_.get(); }
    void SetBitmap(const TBitmap* value);

    void Assign(const TBrush& source);
    HBRUSH Handle();

private:
    void ChangedBrush();

    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::bsSolid;
    std::unique_ptr<TBitmap> bitmap_;
    TGdiObject handle_;
};

enum class TPenStyle { psSolid, psDash, psDot, psClear };

class TPen : public TPersistentGraphic {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    int Width() const { return width_; }
    void SetWidth(int value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle value);
    // Raster operation (R2_COPYPEN, R2_NOT, ...).
    int Mode() const { return mode_; }
    void SetMode(int value);

    void Assign(const TPen& source);
    HPEN Handle();
    bool HandleAllocated() const { return static_cast<bool>(handle_); }

private:
    void ChangedPen();

    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::psSolid;
    int mode_ = R2_COPYPEN;
    TGdiObject handle_;
};

// A drawing surface over a device context. The font, brush and pen are selected
// into the context lazily, just before something is drawn with them.
class TCanvas : public TObject {
public:
    TCanvas();
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The device context; a canvas that has none asks CreateHandle for one.
    HDC Handle();
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return dc_ != nullptr; }

    TFont& Font() { return font_; }
    TBrush& Brush() { return brush_; }
    TPen& Pen() { return pen_; }
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD rop) { copyMode_ = rop; }

    void FillRect(const RECT& r);
    void FrameRect(const RECT& r);
    void Rectangle(const RECT& r);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polygon(const std::vector<POINT>& points);
    void Polyline(const std::vector<POINT>& points);
    COLORREF Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);
    void TextOut(int x, int y, const std::wstring& text);
    void TextRect(const RECT& r, int x, int y, const std::wstring& text);
    SIZE TextExtent(const std::wstring& text);
    int TextWidth(const std::wstring& text) { return TextExtent(text).cx; }
    int TextHeight(const std::wstring& text) { return TextExtent(text).cy; }
    // Copies source's rectangle src into dest with CopyMode.
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& src);
    void Draw(int x, int y, TBitmap& bitmap);
    void StretchDraw(const RECT& dest, TBitmap& bitmap);
    // XOR dotted frame: drawing it twice removes it.
    void DrawFocusRect(const RECT& r);
    RECT ClipRect();

    // Select the lazily created objects now (for callers that draw with the raw handle).
    void RequireFont();
    void RequireBrush();
    void RequirePen();
    void RequireAll();

    TNotifyEvent OnChange;

protected:
    virtual void CreateHandle() {}
    // Undoes every selection, so the context can be released or reused.
    void DeselectAll();

private:
    void InvalidateFont();
    void InvalidateBrush();
    void InvalidatePen();

    HDC dc_ = nullptr;
    TFont font_;
    TBrush brush_;
    TPen pen_;
    DWORD copyMode_ = SRCCOPY;
    bool fontValid_ = false, brushValid_ = false, penValid_ = false;
    HGDIOBJ oldFont_ = nullptr, oldBrush_ = nullptr, oldPen_ = nullptr;
};

// A canvas over the screen's device context.
class TScreenCanvas : public TCanvas {
public:
    ~TScreenCanvas() override;
    // Gives the context back; the next drawing call gets it anew.
    void FreeHandle();

protected:
    void CreateHandle() override;
};

// A 32-bit top-down DIB section with its own canvas. Pixels can be read directly,
// which the pixel tests rely on.
class TBitmap : public TObject {
public:
    TBitmap() = default;
    TBitmap(int width, int height) { SetSize(width, height); }
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    void SetSize(int width, int height);
    void Assign(const TBitmap& source);
    void Clear() { SetSize(0, 0); }

    HBITMAP Handle() const { return static_cast<HBITMAP>(bitmap_.Get()); }
    TCanvas& Canvas();

    // Pixel (x, y) as COLORREF (0x00BBGGRR); the bitmap must not be empty.
    COLORREF PixelAt(int x, int y) const;
    std::uint32_t* Bits() const { return bits_; }

    // Glyph transparency: pixels of this colour are left out by DrawTransparent.
    TColor TransparentColor() const;
    void DrawTransparent(HDC dest, int x, int y) const;

    TNotifyEvent OnChange;

private:
    class BitmapCanvas;
    void ReleaseCanvas();

    int width_ = 0, height_ = 0;
    TGdiObject bitmap_;
    std::uint32_t* bits_ = nullptr;
    std::unique_ptr<TCanvas> canvas_;
    std::unique_ptr<TMemoryDC> dc_;
    HGDIOBJ oldBitmap_ = nullptr;
};

} // namespace qv
