// Panels.
#pragma once

#include "framework/Controls.h"

namespace qv {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// A container drawn with an outer and an inner bevel ring.
class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;

private:
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    int bevelWidth_ = 1;
};

// Draws width rings of a 3-D frame on rect and moves rect inside them.
void Frame3D(HDC dc, RECT& rect, TColor topLeft, TColor bottomRight, int width);

} // namespace qv
