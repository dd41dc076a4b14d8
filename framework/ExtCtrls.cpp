#include "framework/ExtCtrls.h"

namespace qv {

void Frame3D(HDC dc, RECT& r, TColor topLeft, TColor bottomRight, int width)
{
    TGdiObject light(CreateSolidBrush(ColorToRGB(topLeft)));
    TGdiObject dark(CreateSolidBrush(ColorToRGB(bottomRight)));
    auto fill = [dc](int l, int t, int rgt, int b, const TGdiObject& brush) {
        RECT s{l, t, rgt, b};
        ::FillRect(dc, &s, static_cast<HBRUSH>(brush.Get()));
    };
    --r.bottom;
    --r.right;
    for (int i = 0; i < width; ++i) {
        fill(r.left, r.top, r.right, r.top + 1, light);        // top
        fill(r.left, r.top, r.left + 1, r.bottom, light);      // left
        fill(r.right, r.top, r.right + 1, r.bottom + 1, dark); // right
        fill(r.left, r.bottom, r.right, r.bottom + 1, dark);   // bottom
        r = Inflated(r, -1, -1);
    }
    ++r.bottom;
    ++r.right;
}

TPanel::TPanel(TComponent* owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 41);
    SetControlStyle(ControlStyle() | csOpaque);
}

void TPanel::CreateParams(TCreateParams& p)
{
    TCustomControl::CreateParams(p);
    p.WinClassName = L"QvPanel";
    p.Style |= WS_CLIPCHILDREN;
    p.ExStyle |= WS_EX_CONTROLPARENT;
}

void TPanel::SetBevelInner(TBevelCut value)
{
    bevelInner_ = value;
    Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut value)
{
    bevelOuter_ = value;
    Invalidate();
}

void TPanel::SetBevelWidth(int value)
{
    bevelWidth_ = value;
    Invalidate();
}

void TPanel::Paint()
{
    TCanvas& c = Canvas();
    RECT r = ClientRect();
    HDC dc = c.Handle();
    auto ring = [&](TBevelCut cut) {
        if (cut == TBevelCut::bvNone)
            return;
        TColor tl = cut == TBevelCut::bvLowered ? clBtnShadow : clBtnHighlight;
        TColor br = cut == TBevelCut::bvLowered ? clBtnHighlight : clBtnShadow;
        Frame3D(dc, r, tl, br, bevelWidth_);
    };
    ring(bevelOuter_);
    ring(bevelInner_);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    std::wstring caption = Text();
    if (!caption.empty()) {
        c.Brush().SetStyle(TBrushStyle::bsClear);
        c.RequireFont();
        c.RequireBrush();
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

} // namespace qv
