// A list of same-sized images drawn with one colour left out (their background).
#pragma once

#include "framework/Graphics.h"

#include <memory>
#include <vector>

namespace qv {

class TImageList : public TObject {
public:
    TImageList(int width, int height) : width_(width), height_(height) {}
    TImageList(const TImageList&) = delete;
    TImageList& operator=(const TImageList&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return static_cast<int>(images_.size()); }

    // Adds a copy of the image (cut or padded to the list's size); pixels of
    // transparentColor are not drawn. Returns the index of the new image.
    int AddMasked(const TBitmap& image, TColor transparentColor);
    void Clear() { images_.clear(); }

    // Draws image index with its top-left corner at (x, y); an index out of range draws nothing.
    void Draw(TCanvas& canvas, int x, int y, int index);
    // The stored image (the list's size, transparent pixels in the transparent colour).
    const TBitmap& Image(int index) const { return *images_.at(index).bitmap; }

private:
    struct Entry {
        std::unique_ptr<TBitmap> bitmap;
        COLORREF transparent;
    };
    int width_, height_;
    std::vector<Entry> images_;
};

} // namespace qv
