// Helpers for the look-and-feel tests: a memory bitmap with a library canvas over
// it, pixel queries, and a listener that records what it is told.
#pragma once

#include "controls/lookandfeel/cxGraphics.h"
#include "controls/lookandfeel/cxLookAndFeels.h"

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace qvtest {

// The RGB a colour has now (system colours looked up).
inline COLORREF Rgb(qv::TColor color) { return qv::ColorToRGB(color); }

// A colour as #RRGGBB, as failures print it.
inline std::string Hex(COLORREF c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// The colours of the pixels of r that are not the background, and the smallest
// rectangle holding them (empty when there are none): where a caption's ink went.
struct TInk {
    RECT bounds{0, 0, 0, 0};
    std::set<COLORREF> colors;
    int pixels = 0;

    std::string Describe() const
    {
        std::string text = "ink (";
        text += std::to_string(bounds.left);
        text += ", ";
        text += std::to_string(bounds.top);
        text += ")-(";
        text += std::to_string(bounds.right);
        text += ", ";
        text += std::to_string(bounds.bottom);
        text += ") in";
        for (COLORREF c : colors) {
            text += ' ';
            text += Hex(c);
        }
        return text;
    }
};

inline TInk InkOf(const qv::TBitmap& b, const RECT& r, COLORREF background)
{
    TInk ink;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = b.PixelAt(x, y);
            if (c == background)
                continue;
            const RECT pixel{x, y, x + 1, y + 1};
            if (ink.pixels++ == 0)
                ink.bounds = pixel;
            else
                UnionRect(&ink.bounds, &ink.bounds, &pixel);
            ink.colors.insert(c);
        }
    return ink;
}

// A 32-bit bitmap filled with one colour, with a library canvas over it.
struct TPaintSurface {
    TPaintSurface(int width, int height, qv::TColor background = qv::clFuchsia)
        : bitmap(width, height), canvas(&bitmap.Canvas())
    {
        Clear(background);
    }

    void Clear(qv::TColor background)
    {
        canvas.FillRect(qv::Rect(0, 0, bitmap.Width(), bitmap.Height()), background);
    }
    COLORREF At(int x, int y) const { return bitmap.PixelAt(x, y); }
    // Every pixel of r has the colour.
    bool AllIn(const RECT& r, COLORREF color) const
    {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (At(x, y) != color)
                    return false;
        return true;
    }
    int Count(COLORREF color) const
    {
        int n = 0;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                n += At(x, y) == color;
        return n;
    }
    bool SameAs(const TPaintSurface& other) const
    {
        if (other.bitmap.Width() != bitmap.Width() || other.bitmap.Height() != bitmap.Height())
            return false;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                if (At(x, y) != other.At(x, y))
                    return false;
        return true;
    }

    qv::TBitmap bitmap;
    TcxCanvas canvas;
};

// A listener that keeps every call it receives.
class TRecordingListener : public qv::TObject, public ILookAndFeelListener {
public:
    struct Call {
        TcxLookAndFeel* sender;
        TcxLookAndFeelValues values;
    };

    qv::TObject* GetListenerObject() override { return this; }
    void MasterChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override
    {
        changed.push_back({Sender, AChangedValues});
        if (onChanged)
            onChanged(Sender);
    }
    void MasterDestroying(TcxLookAndFeel* Sender) override { destroying.push_back(Sender); }

    std::vector<Call> changed;
    std::vector<TcxLookAndFeel*> destroying;
    std::function<void(TcxLookAndFeel*)> onChanged;
};

template <class T>
bool ListHas(const std::vector<T*>& list, const T* item)
{
    for (T* p : list)
        if (p == item)
            return true;
    return false;
}

// Whether the look-and-feel's listener list holds this listener face.
inline bool Listens(const TcxLookAndFeel* master, ILookAndFeelListener* listener)
{
    return master && ListHas<ILookAndFeelListener>(master->Listeners(), listener);
}

} // namespace qvtest
