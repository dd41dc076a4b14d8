#include "framework/ImgList.h"

#include <algorithm>

namespace qv {

int TImageList::AddMasked(const TBitmap& image, TColor transparentColor)
{
    const COLORREF key = ColorToRGB(transparentColor);
    auto copy = std::make_unique<TBitmap>(width_, height_);
    TCanvas& c = copy->Canvas();
    c.Brush().SetColor(key);
    c.FillRect(Rect(0, 0, width_, height_));
    if (!image.Empty()) {
        GdiFlush();
        const int w = std::min(width_, image.Width()), h = std::min(height_, image.Height());
        for (int y = 0; y < h; ++y)
            std::copy_n(image.Bits() + static_cast<size_t>(y) * image.Width(), w,
                        copy->Bits() + static_cast<size_t>(y) * width_);
    }
    images_.push_back({std::move(copy), key});
    return Count() - 1;
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index)
{
    if (index < 0 || index >= Count())
        return;
    Entry& e = images_[index];
    HDC dc = canvas.Handle();
    HDC src = e.bitmap->Canvas().Handle();
    if (dc && src)
        GdiTransparentBlt(dc, x, y, width_, height_, src, 0, 0, width_, height_, e.transparent);
}

} // namespace qv
