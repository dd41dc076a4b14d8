#include "framework/Graphics.h"

#include <algorithm>
#include <cstring>

namespace qv {

namespace {
int g_liveObjects = 0;
int g_liveDCs = 0;
} // namespace

int TGdiCounters::LiveObjects() { return g_liveObjects; }
int TGdiCounters::LiveDCs() { return g_liveDCs; }
void NoteDCAcquired() { ++g_liveDCs; }
void NoteDCReleased() { --g_liveDCs; }

COLORREF ColorToRGB(TColor color)
{
    if ((color & 0xFF000000) == clSystemColor)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0x00FFFFFF;
}

// ---------------------------------------------------------------------------

TGdiObject::TGdiObject(HGDIOBJ handle) : handle_(handle)
{
    if (handle_)
        ++g_liveObjects;
}

TGdiObject::~TGdiObject() { Reset(); }

TGdiObject& TGdiObject::operator=(TGdiObject&& other) noexcept
{
    if (this != &other) {
        Reset();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

void TGdiObject::Reset(HGDIOBJ handle)
{
    if (handle_) {
        DeleteObject(handle_);
        --g_liveObjects;
    }
    handle_ = handle;
    if (handle_)
        ++g_liveObjects;
}

HGDIOBJ TGdiObject::Release()
{
    HGDIOBJ h = handle_;
    if (h)
        --g_liveObjects;
    handle_ = nullptr;
    return h;
}

TWindowDC::TWindowDC(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd))
{
    if (dc_)
        ++g_liveDCs;
}

TWindowDC::~TWindowDC()
{
    if (dc_) {
        ReleaseDC(wnd_, dc_);
        --g_liveDCs;
    }
}

TMemoryDC::TMemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith))
{
    if (dc_)
        ++g_liveDCs;
}

TMemoryDC::~TMemoryDC()
{
    if (dc_) {
        DeleteDC(dc_);
        --g_liveDCs;
    }
}

void TPersistentGraphic::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------------------

TFont::TFont() = default;

void TFont::ChangedFont()
{
    // The canvas that has the old handle selected lets go of it (in Changed) before it is deleted.
    TGdiObject old = std::move(handle_);
    Changed();
}

void TFont::SetName(const std::wstring& value)
{
    if (value != name_) {
        name_ = value;
        ChangedFont();
    }
}

void TFont::SetHeight(int value)
{
    if (value != height_) {
        height_ = value;
        ChangedFont();
    }
}

int TFont::Size() const { return -MulDiv(height_, 72, 96); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, 96, 72)); }

void TFont::SetColor(TColor value)
{
    // The colour is not part of the font handle.
    if (value != color_) {
        color_ = value;
        Changed();
    }
}

void TFont::SetStyle(unsigned value)
{
    if (value != style_) {
        style_ = value;
        ChangedFont();
    }
}

void TFont::SetCharset(BYTE value)
{
    if (value != charset_) {
        charset_ = value;
        ChangedFont();
    }
}

bool TFont::SameAs(const TFont& o) const
{
    return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_
        && charset_ == o.charset_;
}

void TFont::Assign(const TFont& source)
{
    if (SameAs(source))
        return;
    bool handleChanges = name_ != source.name_ || height_ != source.height_ || style_ != source.style_
        || charset_ != source.charset_;
    name_ = source.name_;
    height_ = source.height_;
    color_ = source.color_;
    style_ = source.style_;
    charset_ = source.charset_;
    TGdiObject old;
    if (handleChanges)
        old = std::move(handle_);
    Changed();
}

HFONT TFont::Handle()
{
    if (!handle_) {
        LOGFONTW lf{};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
        lf.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
        lf.lfCharSet = charset_;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH;
        wcsncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
        handle_.Reset(CreateFontIndirectW(&lf));
    }
    return static_cast<HFONT>(handle_.Get());
}

// ---------------------------------------------------------------------------

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::ChangedBrush()
{
    TGdiObject old = std::move(handle_);
    Changed();
}

void TBrush::SetColor(TColor value)
{
    if (value != color_ || style_ == TBrushStyle::bsClear) {
        color_ = value;
        if (style_ == TBrushStyle::bsClear)
            style_ = TBrushStyle::bsSolid;
        ChangedBrush();
    }
}

void TBrush::SetStyle(TBrushStyle value)
{
    if (value != style_) {
        style_ = value;
        ChangedBrush();
    }
}

void TBrush::SetBitmap(const TBitmap* value)
{
    if (value && !value->Empty()) {
        bitmap_ = std::make_unique<TBitmap>();
        bitmap_->Assign(*value);
    } else {
        if (!bitmap_)
            return;
        bitmap_.reset();
    }
    ChangedBrush();
}

void TBrush::Assign(const TBrush& source)
{
    color_ = source.color_;
    style_ = source.style_;
    bitmap_.reset();
    if (source.bitmap_) {
        bitmap_ = std::make_unique<TBitmap>();
        bitmap_->Assign(*source.bitmap_);
    }
    ChangedBrush();
}

HBRUSH TBrush::Handle()
{
    if (!handle_) {
        if (bitmap_)
            handle_.Reset(CreatePatternBrush(bitmap_->Handle()));
        else if (style_ == TBrushStyle::bsClear)
            return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        else
            handle_.Reset(CreateSolidBrush(ColorToRGB(color_)));
    }
    return static_cast<HBRUSH>(handle_.Get());
}

// ---------------------------------------------------------------------------

void TPen::ChangedPen()
{
    TGdiObject old = std::move(handle_);
    Changed();
}

void TPen::SetColor(TColor value)
{
    if (value != color_) {
        color_ = value;
        ChangedPen();
    }
}

void TPen::SetWidth(int value)
{
    if (value != width_) {
        width_ = value;
        ChangedPen();
    }
}

void TPen::SetStyle(TPenStyle value)
{
    if (value != style_) {
        style_ = value;
        ChangedPen();
    }
}

void TPen::SetMode(int value)
{
    if (value != mode_) {
        mode_ = value;
        Changed();
    }
}

void TPen::Assign(const TPen& source)
{
    color_ = source.color_;
    width_ = source.width_;
    style_ = source.style_;
    mode_ = source.mode_;
    ChangedPen();
}

HPEN TPen::Handle()
{
    if (!handle_) {
        int style = PS_SOLID;
        switch (style_) {
        case TPenStyle::psSolid: style = PS_SOLID; break;
        case TPenStyle::psDash: style = PS_DASH; break;
        case TPenStyle::psDot: style = PS_DOT; break;
        case TPenStyle::psClear: style = PS_NULL; break;
        }
        handle_.Reset(CreatePen(style, width_, ColorToRGB(color_)));
    }
    return static_cast<HPEN>(handle_.Get());
}

// ---------------------------------------------------------------------------

TCanvas::TCanvas()
{
    font_.OnChange = [this](TObject*) { InvalidateFont(); };
    brush_.OnChange = [this](TObject*) { InvalidateBrush(); };
    pen_.OnChange = [this](TObject*) { InvalidatePen(); };
}

TCanvas::~TCanvas() { DeselectAll(); }

HDC TCanvas::Handle()
{
    if (!dc_)
        CreateHandle();
    return dc_;
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == dc_)
        return;
    DeselectAll();
    dc_ = dc;
}

void TCanvas::DeselectAll()
{
    if (dc_) {
        if (oldFont_)
            SelectObject(dc_, oldFont_);
        if (oldBrush_)
            SelectObject(dc_, oldBrush_);
        if (oldPen_)
            SelectObject(dc_, oldPen_);
    }
    oldFont_ = oldBrush_ = oldPen_ = nullptr;
    fontValid_ = brushValid_ = penValid_ = false;
}

void TCanvas::InvalidateFont()
{
    // A colour change keeps the handle (RequireFont sets the colour every time);
    // a handle about to be deleted is taken out of the context first.
    if (!font_.HandleAllocated()) {
        if (dc_ && oldFont_) {
            SelectObject(dc_, oldFont_);
            oldFont_ = nullptr;
        }
        fontValid_ = false;
    }
    if (OnChange)
        OnChange(this);
}

void TCanvas::InvalidateBrush()
{
    if (dc_ && oldBrush_) {
        SelectObject(dc_, oldBrush_);
        oldBrush_ = nullptr;
    }
    brushValid_ = false;
}

void TCanvas::InvalidatePen()
{
    if (!pen_.HandleAllocated()) {
        if (dc_ && oldPen_) {
            SelectObject(dc_, oldPen_);
            oldPen_ = nullptr;
        }
        penValid_ = false;
    }
}

void TCanvas::RequireFont()
{
    HDC dc = Handle();
    if (!dc)
        return;
    if (!fontValid_) {
        HGDIOBJ old = SelectObject(dc, font_.Handle());
        if (!oldFont_)
            oldFont_ = old;
        fontValid_ = true;
    }
    SetTextColor(dc, ColorToRGB(font_.Color()));
}

void TCanvas::RequireBrush()
{
    HDC dc = Handle();
    if (!dc)
        return;
    if (!brushValid_) {
        HGDIOBJ old = SelectObject(dc, brush_.Handle());
        if (!oldBrush_)
            oldBrush_ = old;
        brushValid_ = true;
    }
    SetBkColor(dc, ColorToRGB(brush_.Color()));
    SetBkMode(dc, brush_.Style() == TBrushStyle::bsSolid ? OPAQUE : TRANSPARENT);
}

void TCanvas::RequirePen()
{
    HDC dc = Handle();
    if (!dc)
        return;
    if (!penValid_) {
        HGDIOBJ old = SelectObject(dc, pen_.Handle());
        if (!oldPen_)
            oldPen_ = old;
        penValid_ = true;
    }
    SetROP2(dc, pen_.Mode());
}

void TCanvas::RequireAll()
{
    RequireFont();
    RequireBrush();
    RequirePen();
}

void TCanvas::FillRect(const RECT& r)
{
    RequireBrush();
    if (HDC dc = Handle())
        ::FillRect(dc, &r, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& r)
{
    RequireBrush();
    if (HDC dc = Handle())
        ::FrameRect(dc, &r, brush_.Handle());
}

void TCanvas::Rectangle(const RECT& r)
{
    RequireBrush();
    RequirePen();
    if (HDC dc = Handle())
        ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void TCanvas::MoveTo(int x, int y)
{
    if (HDC dc = Handle())
        MoveToEx(dc, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    RequirePen();
    if (HDC dc = Handle())
        ::LineTo(dc, x, y);
}

void TCanvas::Polygon(const std::vector<POINT>& points)
{
    RequireBrush();
    RequirePen();
    if (HDC dc = Handle(); dc && !points.empty())
        ::Polygon(dc, points.data(), static_cast<int>(points.size()));
}

void TCanvas::Polyline(const std::vector<POINT>& points)
{
    RequirePen();
    if (HDC dc = Handle(); dc && !points.empty())
        ::Polyline(dc, points.data(), static_cast<int>(points.size()));
}

COLORREF TCanvas::Pixel(int x, int y)
{
    HDC dc = Handle();
    return dc ? GetPixel(dc, x, y) : CLR_INVALID;
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    if (HDC dc = Handle())
        ::SetPixel(dc, x, y, ColorToRGB(color));
}

void TCanvas::TextOut(int x, int y, const std::wstring& text)
{
    RequireFont();
    RequireBrush();
    if (HDC dc = Handle())
        ExtTextOutW(dc, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::wstring& text)
{
    RequireFont();
    RequireBrush();
    UINT options = ETO_CLIPPED;
    if (brush_.Style() == TBrushStyle::bsSolid)
        options |= ETO_OPAQUE;
    if (HDC dc = Handle())
        ExtTextOutW(dc, x, y, options, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

SIZE TCanvas::TextExtent(const std::wstring& text)
{
    SIZE size{0, 0};
    RequireFont();
    if (HDC dc = Handle(); dc && !text.empty())
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& src)
{
    RequireBrush();
    HDC dc = Handle();
    HDC sdc = source.Handle();
    if (!dc || !sdc)
        return;
    if (Width(dest) == Width(src) && Height(dest) == Height(src))
        BitBlt(dc, dest.left, dest.top, Width(dest), Height(dest), sdc, src.left, src.top, copyMode_);
    else
        StretchBlt(dc, dest.left, dest.top, Width(dest), Height(dest), sdc, src.left, src.top, Width(src),
                   Height(src), copyMode_);
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap)
{
    if (bitmap.Empty())
        return;
    CopyRect(Bounds(x, y, bitmap.Width(), bitmap.Height()), bitmap.Canvas(),
             Rect(0, 0, bitmap.Width(), bitmap.Height()));
}

void TCanvas::StretchDraw(const RECT& dest, TBitmap& bitmap)
{
    if (bitmap.Empty())
        return;
    CopyRect(dest, bitmap.Canvas(), Rect(0, 0, bitmap.Width(), bitmap.Height()));
}

void TCanvas::DrawFocusRect(const RECT& r)
{
    RequireFont();
    RequireBrush();
    if (HDC dc = Handle())
        ::DrawFocusRect(dc, &r);
}

RECT TCanvas::ClipRect()
{
    RECT r{0, 0, 0, 0};
    if (HDC dc = Handle())
        GetClipBox(dc, &r);
    return r;
}

// ---------------------------------------------------------------------------

TScreenCanvas::~TScreenCanvas() { FreeHandle(); }

void TScreenCanvas::CreateHandle()
{
    HDC dc = GetDC(nullptr);
    if (dc)
        NoteDCAcquired();
    SetHandle(dc);
}

void TScreenCanvas::FreeHandle()
{
    if (HandleAllocated()) {
        HDC dc = Handle();
        SetHandle(nullptr);
        ReleaseDC(nullptr, dc);
        NoteDCReleased();
    }
}

// ---------------------------------------------------------------------------

class TBitmap::BitmapCanvas : public TCanvas {
public:
    explicit BitmapCanvas(TBitmap& owner) : owner_(owner) {}
    ~BitmapCanvas() override { SetHandle(nullptr); }
    void Release() { SetHandle(nullptr); }

protected:
    void CreateHandle() override
    {
        if (owner_.Empty())
            return;
        if (!owner_.dc_)
            owner_.dc_ = std::make_unique<TMemoryDC>();
        owner_.oldBitmap_ = SelectObject(owner_.dc_->Get(), owner_.bitmap_.Get());
        SetHandle(owner_.dc_->Get());
    }

private:
    TBitmap& owner_;
};

TBitmap::~TBitmap() { ReleaseCanvas(); canvas_.reset(); }

void TBitmap::ReleaseCanvas()
{
    if (canvas_)
        static_cast<BitmapCanvas*>(canvas_.get())->Release();
    if (dc_ && oldBitmap_) {
        SelectObject(dc_->Get(), oldBitmap_);
        oldBitmap_ = nullptr;
    }
    dc_.reset();
}

TCanvas& TBitmap::Canvas()
{
    if (!canvas_)
        canvas_ = std::make_unique<BitmapCanvas>(*this);
    return *canvas_;
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_ && (bitmap_ || width == 0 || height == 0))
        return;
    ReleaseCanvas();
    bitmap_.Reset();
    bits_ = nullptr;
    width_ = width;
    height_ = height;
    if (width_ > 0 && height_ > 0) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width_;
        bi.bmiHeader.biHeight = -height_;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<std::uint32_t*>(bits);
        if (bits_)
            std::memset(bits_, 0xFF, static_cast<size_t>(width_) * height_ * 4);
    }
    if (OnChange)
        OnChange(this);
}

void TBitmap::Assign(const TBitmap& source)
{
    if (&source == this)
        return;
    SetSize(source.width_, source.height_);
    if (!Empty() && source.bits_ && bits_) {
        GdiFlush();
        std::memcpy(bits_, source.bits_, static_cast<size_t>(width_) * height_ * 4);
    }
    if (OnChange)
        OnChange(this);
}

COLORREF TBitmap::PixelAt(int x, int y) const
{
    GdiFlush();
    std::uint32_t v = bits_[static_cast<size_t>(y) * width_ + x];
    // DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

TColor TBitmap::TransparentColor() const
{
    if (Empty())
        return clNone;
    return PixelAt(0, height_ - 1);
}

void TBitmap::DrawTransparent(HDC dest, int x, int y) const
{
    if (Empty())
        return;
    // A bitmap can be selected into one context only: use its canvas's when it has one.
    if (dc_ && oldBitmap_) {
        GdiTransparentBlt(dest, x, y, width_, height_, dc_->Get(), 0, 0, width_, height_, TransparentColor());
        return;
    }
    TMemoryDC src;
    HGDIOBJ old = SelectObject(src.Get(), bitmap_.Get());
    GdiTransparentBlt(dest, x, y, width_, height_, src.Get(), 0, 0, width_, height_, TransparentColor());
    SelectObject(src.Get(), old);
}

} // namespace qv
