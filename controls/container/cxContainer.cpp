#include "controls/container/cxContainer.h"

#include "controls/lookandfeel/cxLookAndFeelPainters.h"
#include "controls/lookandfeel/dxUxTheme.h"
#include "framework/Forms.h"
#include "framework/Handles.h"

#include <algorithm>
#include <array>

using namespace qv;

namespace {

TcxSides ToSides(TcxBorders AEdges)
{
    TcxSides sides = 0;
    if (AEdges.Contains(bLeft))
        sides |= sdLeft;
    if (AEdges.Contains(bTop))
        sides |= sdTop;
    if (AEdges.Contains(bRight))
        sides |= sdRight;
    if (AEdges.Contains(bBottom))
        sides |= sdBottom;
    return sides;
}

} // namespace

int GetContainerBorderWidth(TcxContainerBorderStyle ABorderStyle)
{
    switch (ABorderStyle) {
    case cbsNone: return 0;
    case cbsSingle: return 1;
    case cbsThick: return 2;
    case cbsFlat: return 2;
    case cbs3D: return 2;
    case cbsUltraFlat: return 1;
    }
    return 0;
}

TcxContainerBorderStyle GetDrawnBorderStyle(TcxContainerBorderStyle AStyleBorderStyle, TcxContainerHotState AHotState)
{
    static constexpr std::array<std::array<TcxContainerBorderStyle, 3>, 6> table{{
        {cbsNone, cbsNone, cbsFlat},
        {cbsSingle, cbsSingle, cbsThick},
        {cbsThick, cbsThick, cbsThick},
        {cbsFlat, cbsFlat, cbs3D},
        {cbs3D, cbs3D, cbs3D},
        {cbsSingle, cbsSingle, cbsSingle},
    }};
    return table[AStyleBorderStyle][AHotState];
}

// ---------------------------------------------------------------------------
// TcxContainerStyle

TcxContainerStyle::TcxContainerStyle(TPersistent* AOwner, bool AIsDependent, TcxContainerStyle* AParentStyle)
    : owner_(AOwner), isDependent_(AIsDependent), parentStyle_(AParentStyle), update_([this] { Report(); })
{
    if (!isDependent_ || !parentStyle_) {
        font_ = std::make_unique<TFont>();
        font_->OnChange = [this](TObject*) { FontChanged(); };
    }
    lookAndFeel_ = std::make_unique<TcxLookAndFeel>(this);
    lookAndFeel_->OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues) { Changed(); };
}

TcxContainerStyle::~TcxContainerStyle()
{
    isDestroying_ = true;
    if (styleController_)
        styleController_->RemoveListener(this);
    styleController_ = nullptr;
    lookAndFeel_->OnChanged = nullptr;
}

TControl* TcxContainerStyle::Control() const { return dynamic_cast<TControl*>(owner_); }

TcxContainerStyle* TcxContainerStyle::ControllerStyle() const
{
    return styleController_ ? &styleController_->Style() : nullptr;
}

void TcxContainerStyle::SetAssignedValues(TcxContainerStyleValues Value)
{
    if (Value == assignedValues_)
        return;
    bool fontDropped = assignedValues_.Contains(csvFont) && !Value.Contains(csvFont);
    BeginUpdate();
    assignedValues_ = Value;
    if (fontDropped)
        FollowControllerFont();
    Changed();
    EndUpdate();
}

bool TcxContainerStyle::IsValueStored(int AValue) const
{
    if (!assignedValues_.Contains(AValue))
        return false;
    auto owner = dynamic_cast<const IcxContainerStyleOwner*>(owner_);
    return !owner || !owner->GetStyleValuesSuppliedElsewhere(this).Contains(AValue);
}

void TcxContainerStyle::SetValueAssigned(int AValue) { assignedValues_.Include(AValue); }

TColor TcxContainerStyle::BorderColor() const
{
    if (isDependent_)
        return clDefault;
    if (assignedValues_.Contains(csvBorderColor))
        return borderColor_;
    if (TcxContainerStyle* s = ControllerStyle())
        return s->BorderColor();
    return clWindowFrame;
}

void TcxContainerStyle::SetBorderColor(TColor Value)
{
    borderColor_ = Value;
    SetValueAssigned(csvBorderColor);
    Changed();
}

TcxContainerBorderStyle TcxContainerStyle::DefaultBorderStyle() const
{
    switch (lookAndFeel_->Kind()) {
    case lfFlat: return cbsFlat;
    case lfStandard: return cbs3D;
    case lfUltraFlat: return cbsUltraFlat;
    }
    return cbsUltraFlat;
}

TcxContainerBorderStyle TcxContainerStyle::BorderStyle() const
{
    if (assignedValues_.Contains(csvBorderStyle))
        return borderStyle_;
    if (!isDependent_)
        if (TcxContainerStyle* s = ControllerStyle())
            return s->BorderStyle();
    return DefaultBorderStyle();
}

void TcxContainerStyle::SetBorderStyle(TcxContainerBorderStyle Value)
{
    borderStyle_ = Value;
    SetValueAssigned(csvBorderStyle);
    Changed();
}

TColor TcxContainerStyle::DefaultColor() const { return clWindow; }

TColor TcxContainerStyle::Color() const
{
    if (TControl* control = Control(); control && control->ParentColor() && control->Parent())
        return control->Parent()->Color();
    if (isDependent_)
        return color_;
    if (assignedValues_.Contains(csvColor))
        return color_;
    if (TcxContainerStyle* s = ControllerStyle())
        return s->Color();
    return DefaultColor();
}

void TcxContainerStyle::SetColor(TColor Value)
{
    color_ = Value;
    SetValueAssigned(csvColor);
    if (TControl* control = Control())
        control->SetParentColor(false);
    Changed();
}

TcxBorders TcxContainerStyle::Edges() const
{
    if (isDependent_)
        return {};
    if (assignedValues_.Contains(csvEdges))
        return edges_;
    if (TcxContainerStyle* s = ControllerStyle())
        return s->Edges();
    return cxBordersAll;
}

void TcxContainerStyle::SetEdges(TcxBorders Value)
{
    edges_ = Value;
    SetValueAssigned(csvEdges);
    Changed();
}

TFont& TcxContainerStyle::Font() const { return font_ ? *font_ : parentStyle_->Font(); }

void TcxContainerStyle::SetFont(const TFont& Value) { Font().Assign(Value); }

void TcxContainerStyle::FontChanged()
{
    if (!copyingFont_)
        SetValueAssigned(csvFont);
    Changed();
}

void TcxContainerStyle::FollowControllerFont()
{
    TcxContainerStyle* s = ControllerStyle();
    if (!font_ || !s || assignedValues_.Contains(csvFont) || font_->SameAs(s->Font()))
        return;
    copyingFont_ = true;
    font_->Assign(s->Font());
    copyingFont_ = false;
}

void TcxContainerStyle::OwnerFontChanged(const TFont& AFont, bool AOwn)
{
    if (!font_)
        return;
    // The owner took its parent's font (it was told to follow the parent again): the
    // style follows it too, and no font of its own is assigned any more.
    if (!AOwn && assignedValues_.Contains(csvFont)) {
        assignedValues_.Exclude(csvFont);
        if (font_->SameAs(AFont))
            Changed();
    }
    if (font_->SameAs(AFont))
        return;
    copyingFont_ = !AOwn;
    font_->Assign(AFont);
    copyingFont_ = false;
}

bool TcxContainerStyle::HotTrack() const
{
    if (assignedValues_.Contains(csvHotTrack))
        return hotTrack_;
    if (!isDependent_)
        if (TcxContainerStyle* s = ControllerStyle())
            return s->HotTrack();
    return true;
}

void TcxContainerStyle::SetHotTrack(bool Value)
{
    hotTrack_ = Value;
    SetValueAssigned(csvHotTrack);
    Changed();
}

bool TcxContainerStyle::Shadow() const
{
    if (isDependent_)
        return false;
    if (assignedValues_.Contains(csvShadow))
        return shadow_;
    if (TcxContainerStyle* s = ControllerStyle())
        return s->Shadow();
    return false;
}

void TcxContainerStyle::SetShadow(bool Value)
{
    shadow_ = Value;
    SetValueAssigned(csvShadow);
    Changed();
}

bool TcxContainerStyle::TransparentBorder() const
{
    if (isDependent_)
        return true;
    if (assignedValues_.Contains(csvTransparentBorder))
        return transparentBorder_;
    if (TcxContainerStyle* s = ControllerStyle())
        return s->TransparentBorder();
    return true;
}

void TcxContainerStyle::SetTransparentBorder(bool Value)
{
    transparentBorder_ = Value;
    SetValueAssigned(csvTransparentBorder);
    Changed();
}

bool TcxContainerStyle::WouldCycle(const TcxStyleController* AController) const
{
    // The whole chain is walked, not only its first links: any loop would send every
    // value lookup round it for ever. (The chain itself holds no loop: each link was
    // checked like this one when it was made.)
    for (const TcxStyleController* c = AController; c;) {
        const TcxContainerStyle& s = const_cast<TcxStyleController*>(c)->Style();
        if (&s == this)
            return true;
        c = s.StyleController();
    }
    return false;
}

void TcxContainerStyle::SetStyleController(TcxStyleController* Value)
{
    if (Value == styleController_ || (Value && WouldCycle(Value)))
        return;
    if (styleController_)
        styleController_->RemoveListener(this);
    styleController_ = Value;
    if (Value) {
        Value->AddListener(this);
        lookAndFeel_->SetMaster(&Value->Style().LookAndFeel());
    } else {
        lookAndFeel_->SetMaster(nullptr);
    }
    FollowControllerFont();
    Changed();
}

void TcxContainerStyle::ControllerChanged()
{
    FollowControllerFont();
    Changed();
}

void TcxContainerStyle::ControllerFreed(TcxStyleController* AController)
{
    if (styleController_ != AController)
        return;
    styleController_ = nullptr;
    lookAndFeel_->SetMaster(nullptr);
    Changed();
}

std::wstring TcxContainerStyle::GetAssignedValueName(int AIndex) const
{
    static const wchar_t* const names[cxContainerStyleValueCount] = {
        L"BorderColor", L"BorderStyle", L"Color", L"Edges", L"Font", L"HotTrack", L"Shadow", L"TransparentBorder",
    };
    return AIndex >= 0 && AIndex < cxContainerStyleValueCount ? names[AIndex] : L"";
}

void TcxContainerStyle::BeginUpdate() { update_.Begin(); }

void TcxContainerStyle::EndUpdate() { update_.End(); }

void TcxContainerStyle::Changed() { update_.Changed(); }

void TcxContainerStyle::Report()
{
    if (isDestroying_)
        return;
    if (auto owner = dynamic_cast<IcxContainerStyleOwner*>(owner_))
        owner->StyleChanged(this);
}

void TcxContainerStyle::RestoreDefaults()
{
    BeginUpdate();
    struct End {
        TcxContainerStyle* s;
        ~End() { s->EndUpdate(); }
    } end{this};
    if (TControl* control = Control()) {
        control->SetParentColor(false);
        control->SetParentFont(true);
    }
    lookAndFeel_->Reset();
    SetAssignedValues({});
}

void TcxContainerStyle::DoAssign(const TcxContainerStyle&) {}

void TcxContainerStyle::Assign(const TPersistent* Source)
{
    auto source = dynamic_cast<const TcxContainerStyle*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    BeginUpdate();
    struct End {
        TcxContainerStyle* s;
        ~End() { s->EndUpdate(); }
    } end{this};
    SetStyleController(source->styleController_);
    lookAndFeel_->Assign(source->lookAndFeel_.get());
    borderColor_ = source->borderColor_;
    borderStyle_ = source->borderStyle_;
    color_ = source->color_;
    edges_ = source->edges_;
    hotTrack_ = source->hotTrack_;
    shadow_ = source->shadow_;
    transparentBorder_ = source->transparentBorder_;
    // A dependent style keeps sharing its main style's font; a main style copies the
    // font the source shows (a dependent source's is its main style's).
    if (font_) {
        copyingFont_ = true;
        font_->Assign(source->Font());
        copyingFont_ = false;
    }
    assignedValues_ = source->assignedValues_;
    DoAssign(*source);
    Changed();
}

// ---------------------------------------------------------------------------
// TcxStyleController

TcxStyleController::TcxStyleController(TComponent* AOwner) : TComponent(AOwner) {}

TcxStyleController::~TcxStyleController()
{
    isDestroying_ = true;
    Destroying();
    auto listeners = listeners_;
    listeners_.clear();
    for (TcxContainerStyle* s : listeners)
        s->ControllerFreed(this);
}

TcxContainerStyle& TcxStyleController::Style()
{
    if (!style_)
        style_ = CreateStyle();
    return *style_;
}

std::unique_ptr<TcxContainerStyle> TcxStyleController::CreateStyle()
{
    return std::make_unique<TcxContainerStyle>(this);
}

void TcxStyleController::AddListener(TcxContainerStyle* AStyle)
{
    if (AStyle && std::find(listeners_.begin(), listeners_.end(), AStyle) == listeners_.end())
        listeners_.push_back(AStyle);
}

void TcxStyleController::RemoveListener(TcxContainerStyle* AStyle)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), AStyle), listeners_.end());
}

void TcxStyleController::Loaded()
{
    TComponent::Loaded();
    Changed();
}

void TcxStyleController::StyleChanged(TcxContainerStyle*) { Changed(); }

void TcxStyleController::Changed()
{
    if (isDestroying_)
        return;
    if (OnStyleChanged)
        OnStyleChanged(this, &Style());
    // A listener may leave (or be destroyed) while the others are told.
    auto listeners = listeners_;
    for (TcxContainerStyle* s : listeners)
        if (std::find(listeners_.begin(), listeners_.end(), s) != listeners_.end())
            s->ControllerChanged();
}

// ---------------------------------------------------------------------------
// TcxContainerViewInfo

void TcxContainerViewInfo::Assign(const TcxContainerViewInfo& ASource)
{
    Bounds = ASource.Bounds;
    BorderRect = ASource.BorderRect;
    ClientRect = ASource.ClientRect;
    BorderColor = ASource.BorderColor;
    BorderStyle = ASource.BorderStyle;
    BorderWidth = ASource.BorderWidth;
    LineWidth = ASource.LineWidth;
    Edges = ASource.Edges;
    Shadow = ASource.Shadow;
    NativeStyle = ASource.NativeStyle;
    ThemedObjectType = ASource.ThemedObjectType;
    NativePart = ASource.NativePart;
    NativeState = ASource.NativeState;
    BackgroundColor = ASource.BackgroundColor;
    ContainerState = ASource.ContainerState;
    HotState = ASource.HotState;
}

bool TcxContainerViewInfo::IsEqual(const TcxContainerViewInfo& O) const
{
    return Bounds == O.Bounds && BorderRect == O.BorderRect && ClientRect == O.ClientRect
        && BorderColor == O.BorderColor && BorderStyle == O.BorderStyle && BorderWidth == O.BorderWidth
        && LineWidth == O.LineWidth && Edges == O.Edges && Shadow == O.Shadow && NativeStyle == O.NativeStyle
        && ThemedObjectType == O.ThemedObjectType && NativePart == O.NativePart && NativeState == O.NativeState
        && BackgroundColor == O.BackgroundColor && ContainerState == O.ContainerState && HotState == O.HotState;
}

RECT TcxContainerViewInfo::GetOuterRect() const
{
    RECT outer = BorderRect;
    outer.left -= BorderWidth;
    outer.top -= BorderWidth;
    outer.right += BorderWidth + ShadowSize();
    outer.bottom += BorderWidth + ShadowSize();
    return outer;
}

void TcxContainerViewInfo::Paint(TcxCanvas& ACanvas)
{
    if (IsRectEmptyR(Bounds))
        return;
    RECT clip{};
    if (GetClipBox(ACanvas.Handle(), &clip) == NULLREGION)
        return;
    RECT visible{};
    if (!IntersectRect(&visible, &clip, &Bounds))
        return;
    // Clipping costs a region round trip on every paint; it is needed only when the
    // border would reach beyond the bounds (bounds smaller than the border).
    // The shadow's bands are cut out of the clipping while the border is drawn.
    TcxClipScope scope(ACanvas, Bounds,
                       Shadow || !cxRectContains(Bounds, GetOuterRect()) || IsRectEmptyR(BorderRect));
    if (NativeStyle)
        PaintThemed(ACanvas);
    else
        PaintClassic(ACanvas);
}

void TcxContainerViewInfo::PaintClassic(TcxCanvas& ACanvas)
{
    RECT outer = BorderRect;
    outer.left -= BorderWidth;
    outer.top -= BorderWidth;
    if (Edges.Contains(bRight))
        outer.right += BorderWidth;
    if (Edges.Contains(bBottom))
        outer.bottom += BorderWidth;
    if (Shadow) {
        const int s = ShadowSize();
        RECT below = Rect(outer.left + s, outer.bottom, outer.right, outer.bottom + s);
        RECT right = Rect(outer.right, outer.top + s, outer.right + s, outer.bottom + s);
        ACanvas.FillRect(below, clBtnShadow);
        ACanvas.FillRect(right, clBtnShadow);
        ACanvas.ExcludeClip(below);
        ACanvas.ExcludeClip(right);
    }
    if (!Edges.Contains(bRight))
        outer.right += BorderWidth;
    if (!Edges.Contains(bBottom))
        outer.bottom += BorderWidth;
    DrawBorder(ACanvas, outer);
    if (!IsRectEmptyR(BorderRect))
        ACanvas.FillRect(BorderRect, BackgroundColor);
}

void TcxContainerViewInfo::DrawBorder(TcxCanvas& ACanvas, const RECT& R)
{
    switch (BorderStyle) {
    // Widths in lines: the canvas draws a line as wide as the density wants.
    case cbsSingle:
    case cbsThick:
        ACanvas.FrameSides(R, BorderColor, sdAll, GetContainerBorderWidth(BorderStyle));
        break;
    case cbsFlat:
        ACanvas.Draw3DEdge(R, true, true, ToSides(Edges));
        ACanvas.FrameSides(Inflated(R, -LineWidth, -LineWidth), clBtnFace, sdAll, 1);
        break;
    case cbs3D:
        ACanvas.Draw3DEdge(R, true, true, ToSides(Edges));
        ACanvas.DrawTwoColorFrame(Inflated(R, -LineWidth, -LineWidth), cl3DDkShadow, cl3DLight, ToSides(Edges), 1);
        break;
    default:
        break;
    }
}

RECT TcxContainerViewInfo::GetThemedContentRect(const RECT& ABounds) const
{
    RECT content = BorderRect;
    if (HTHEME theme = OpenTheme(static_cast<TdxThemeClassKind>(ThemedObjectType)))
        if (dxGetThemeBackgroundContentRect(theme, nullptr, NativePart, NativeState, ABounds, content) != S_OK)
            content = BorderRect;
    return content;
}

TColor TcxContainerViewInfo::GetThemedBorderColor() const
{
    // The border colour of the combo-box class serves every themed container.
    TColor color = BorderColor;
    if (!cxGetThemeColor(totComboBox, 1, 1, dxtpBorderColor, color))
        color = BorderColor;
    return color;
}

void TcxContainerViewInfo::PaintThemed(TcxCanvas& ACanvas)
{
    RECT content = GetThemedContentRect(Bounds);
    ACanvas.FillRect(content, BackgroundColor);
    // The ring between the bounds and the content.
    const TColor ring = GetThemedBorderColor();
    ACanvas.FillRect(Rect(Bounds.left, Bounds.top, Bounds.right, content.top), ring);
    ACanvas.FillRect(Rect(Bounds.left, content.bottom, Bounds.right, Bounds.bottom), ring);
    ACanvas.FillRect(Rect(Bounds.left, content.top, content.left, content.bottom), ring);
    ACanvas.FillRect(Rect(content.right, content.top, Bounds.right, content.bottom), ring);
}

// ---------------------------------------------------------------------------
// TcxContainer

TcxContainer::TcxContainer(TComponent* AOwner) : TcxControl(AOwner)
{
    SetControlStyle(ControlStyle() | csCaptureMouse | csSetCaption | csOpaque);
    SetTabStop(true);
    SetColor(clWindow);
    SetParentColor(false);
}

TcxContainer::~TcxContainer()
{
    EndMouseTracking(this);
    ReleaseInnerControl();
    Destroying();
    // The style goes before the control's look-and-feel that follows it.
    LookAndFeel().SetMaster(nullptr);
    style_.reset();
}

TcxContainerStyle& TcxContainer::Style()
{
    if (!style_) {
        style_ = CreateStyle();
        LookAndFeel().SetMaster(&style_->LookAndFeel());
        style_->OwnerFontChanged(Font(), !ParentFont());
    }
    return *style_;
}

void TcxContainer::SetParent(TWinControl* AParent)
{
    if (AParent)
        Style();
    TcxControl::SetParent(AParent);
}

std::unique_ptr<TcxContainerStyle> TcxContainer::CreateStyle() { return std::make_unique<TcxContainerStyle>(this); }

TcxContainerViewInfo& TcxContainer::ViewInfo()
{
    if (!viewInfo_) {
        viewInfo_ = CreateViewInfo();
        previous_ = CreateViewInfo();
        CalculateViewInfo(POINT{-1, -1}, false);
    }
    return *viewInfo_;
}

std::unique_ptr<TcxContainerViewInfo> TcxContainer::CreateViewInfo() { return std::make_unique<TcxContainerViewInfo>(); }

bool TcxContainer::CanDrawThemed() const
{
    // Only where the theme class of the container's object opens.
    return AreVisualStylesAvailable({static_cast<TdxThemeClassKind>(GetThemedObjectType())});
}

int TcxContainer::GetNativeState() const
{
    // The edit-text part's states: normal 1, hot 2, disabled 4, focused 5.
    if (!Enabled())
        return 4;
    if (DrawAsFocused())
        return 5;
    return viewInfo_ && viewInfo_->ContainerState.Contains(csHot) ? 2 : 1;
}

bool TcxContainer::IsInHotArea(POINT P) const
{
    RECT r = Rect(0, 0, Width(), Height());
    return PtInRect(&r, P) != 0;
}

void TcxContainer::CalculateViewInfo(POINT P, bool AIsMouseOver)
{
    TcxContainerStyle& style = Style();
    TcxContainerViewInfo& vi = ViewInfo();
    const bool designing = IsDesigning();
    const bool enabled = Enabled();

    vi.Bounds = Rect(0, 0, Width(), Height());
    vi.NativeStyle = style.LookAndFeel().NativeStyle() && CanDrawThemed();
    vi.ThemedObjectType = vi.NativeStyle ? GetThemedObjectType() : 0;
    vi.Shadow = style.Shadow();

    if (!enabled)
        vi.ContainerState = {csDisabled};
    else if (designing || !DrawAsFocused())
        vi.ContainerState = {csNormal};
    else
        vi.ContainerState = {csFocused};
    if (enabled && !designing && AIsMouseOver && IsInHotArea(P))
        vi.ContainerState.Include(csHot);

    const bool active = vi.ContainerState.Contains(csFocused) || vi.ContainerState.Contains(csHot);
    if (!style.HotTrack())
        vi.HotState = chsNoHotTrack;
    else
        vi.HotState = active ? chsSelected : chsNormal;

    const TcxContainerBorderStyle styleBorder = style.BorderStyle();
    vi.BorderStyle = GetDrawnBorderStyle(styleBorder, vi.HotState);
    vi.LineWidth = LineWidthForDpi(CurrentDpi());
    vi.BorderWidth = GetContainerBorderWidth(vi.BorderStyle) * vi.LineWidth;
    const int extent = style.TransparentBorder() || style.HotTrack() ? 2 * vi.LineWidth : vi.BorderWidth;
    const int shadow = vi.ShadowSize();
    vi.BorderRect = Rect(vi.Bounds.left + extent, vi.Bounds.top + extent, vi.Bounds.right - extent - shadow,
                         vi.Bounds.bottom - extent - shadow);
    vi.Edges = style.Edges();
    vi.ClientRect = vi.BorderRect;
    vi.NativeState = vi.NativeStyle ? GetNativeState() : 0;

    if (styleBorder == cbsUltraFlat) {
        bool highlighted = vi.ContainerState.Contains(csFocused)
            || (vi.ContainerState.Contains(csHot) && style.HotTrack()) || (designing && enabled);
        vi.BorderColor = highlighted ? clHighlight : clBtnShadow;
    } else {
        vi.BorderColor = style.BorderColor();
    }

    if (vi.NativeStyle) {
        vi.NativePart = dxtpEditText;
        vi.BackgroundColor = Color();
        if (!enabled && !cxGetThemeColor(vi.ThemedObjectType, vi.NativePart, vi.NativeState, dxtpFillColor,
                                         vi.BackgroundColor))
            vi.BackgroundColor = clBtnFace;
    }
    else
        vi.BackgroundColor = enabled ? style.Color() : clBtnFace;
}

void TcxContainer::ShortRefreshContainer(bool)
{
    if (calculating_)
        return;
    calculating_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{calculating_};

    POINT p{-1, -1};
    bool over = false;
    if (HandleAllocated() && GetCursorPos(&p)) {
        over = IsWindowOrChild(Handle(), WindowFromPoint(p));
        p = ScreenToClient(p);
    }
    ViewInfo();
    previous_->Assign(*viewInfo_);
    CalculateViewInfo(p, over);
    if (!viewInfo_->IsEqual(*previous_)) {
        if (!(viewInfo_->ClientRect == previous_->ClientRect))
            AdjustInnerControl();
        ViewInfoChanged(*previous_);
    }
    if (viewInfo_->ContainerState.Contains(csHot))
        BeginHotTracking();
}

void TcxContainer::Recalculate()
{
    // Nothing is worked out while the control is being constructed: a descendant's
    // style and view info classes are not known until its constructor has run. The
    // first use of the view info calculates it.
    if (!viewInfo_ && !HandleAllocated())
        return;
    if (HandleAllocated())
        ShortRefreshContainer(false);
    else
        CalculateViewInfo(POINT{-1, -1}, false);
}

void TcxContainer::BeginHotTracking()
{
    if (!HandleAllocated())
        return;
    RECT r;
    GetWindowRect(Handle(), &r);
    BeginMouseTracking(this, r, this);
}

void TcxContainer::MouseLeave() { ShortRefreshContainer(true); }

void TcxContainer::ViewInfoChanged(const TcxContainerViewInfo&) { Invalidate(); }

void TcxContainer::ChangeScale(int toDpi, int fromDpi)
{
    if (toDpi == fromDpi)
        return;
    TControl::ChangeScale(toDpi, fromDpi);
    // Controls of other kinds in it scale as children do; the inner control is laid out
    // again for the new density, whatever scaling its bounds alone would give.
    for (int i = 0; i < ControlCount(); ++i)
        if (Control(i) != innerControl_)
            Control(i)->ChangeScale(toDpi, fromDpi);
    Recalculate();
    if (viewInfo_)
        AdjustInnerControl();
    Invalidate();
}

void TcxContainer::AdjustInnerControl()
{
    if (!innerControl_)
        return;
    RECT r = ViewInfo().ClientRect;
    innerControl_->SetBounds(r.left, r.top, std::max(0L, r.right - r.left), std::max(0L, r.bottom - r.top));
    innerControl_->SetColor(ViewInfo().BackgroundColor);
}

void TcxContainer::AdjustClientRect(RECT& R)
{
    if (!HandleAllocated() && viewInfo_)
        CalculateViewInfo(POINT{-1, -1}, false);
    R = ViewInfo().ClientRect;
}

void TcxContainer::SetInnerControl(TWinControl* AControl)
{
    if (AControl == innerControl_)
        return;
    ReleaseInnerControl();
    innerControl_ = AControl;
    if (!AControl)
        return;
    AControl->FreeNotification(this);
    AControl->SetParentFont(true);
    AControl->SetCursor(Cursor());
    AControl->SetDragMode(DragMode());
    AControl->SetParent(this);
    AControl->SetMessageHost(this);
    Recalculate();
    if (viewInfo_)
        AdjustInnerControl();
}

void TcxContainer::ReleaseInnerControl()
{
    if (!innerControl_)
        return;
    innerControl_->SetMessageHost(nullptr);
    innerControl_->RemoveFreeNotification(this);
}

bool TcxContainer::InnerMessage(TMessage& Message, TMessagePhase Phase)
{
    if (Phase != TMessagePhase::mpAfter)
        return false;
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FocusChanged();
        break;
    case WM_MOUSEMOVE:
        // The pointer over the inner window is over the container: hot tracking.
        ShortRefreshContainer(true);
        break;
    default:
        break;
    }
    return false;
}

void TcxContainer::Notification(TComponent* AComponent, TOperation Operation)
{
    TcxControl::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == innerControl_) {
        innerControl_ = nullptr;
    }
}

bool TcxContainer::Focused() const
{
    if (IsDesigning() || !HandleAllocated())
        return false;
    HWND focus = GetFocus();
    if (!focus)
        return false;
    return HasOwnWindowFocus() || (innerControl_ && innerControl_->HandleAllocated() && focus == innerControl_->Handle());
}

void TcxContainer::SetFocus()
{
    if (IsDesigning() || Focused())
        return;
    TcxControl::SetFocus();
    // The container's own window handed the focus on as it arrived (WM_SETFOCUS);
    // a window that could not take it leaves it here.
    if (HasOwnWindowFocus() && innerControl_ && innerControl_->CanFocus())
        innerControl_->SetFocus();
}

void TcxContainer::StyleChanged(TcxContainerStyle*)
{
    if (IsDestroying() || !style_)
        return;
    // A font assigned on the style is the control's own: the parent's font no longer
    // replaces it.
    const bool ownFont = style_->IsValueAssigned(csvFont);
    if (!Font().SameAs(style_->Font())) {
        syncingFont_ = true;
        TControl::syncingFont_ = !ownFont;
        Font().Assign(style_->Font());
        TControl::syncingFont_ = false;
        syncingFont_ = false;
    }
    Recalculate();
    if (viewInfo_)
        AdjustInnerControl();
    Invalidate();
}

void TcxContainer::CreateParams(TCreateParams& Params)
{
    TcxControl::CreateParams(Params);
    Params.WinClassName = L"TcxContainer";
    Params.ClassStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    Params.Style |= WS_CLIPCHILDREN;
    // An inner control that is a tab stop stands in for the container: the dialog
    // manager looks inside. Otherwise the container is the tab stop and hands the
    // focus on when it gets it.
    if (innerControl_ && innerControl_->TabStop())
        Params.ExStyle |= WS_EX_CONTROLPARENT;
}

void TcxContainer::CreateHandle()
{
    TcxControl::CreateHandle();
    ShortRefreshContainer(false);
    AdjustInnerControl();
}

void TcxContainer::BoundsChanged()
{
    TcxControl::BoundsChanged();
    Recalculate();
    if (viewInfo_)
        AdjustInnerControl();
}

void TcxContainer::FontChanged()
{
    TcxControl::FontChanged();
    if (style_ && !syncingFont_)
        style_->OwnerFontChanged(Font(), !ParentFont());
    Recalculate();
}

void TcxContainer::ColorChanged()
{
    TcxControl::ColorChanged();
    Recalculate();
    if (viewInfo_)
        AdjustInnerControl();
}

void TcxContainer::EnabledChanged()
{
    TcxControl::EnabledChanged();
    if (innerControl_)
        innerControl_->SetEnabled(Enabled());
    Recalculate();
    if (viewInfo_)
        AdjustInnerControl();
    Invalidate();
}

void TcxContainer::CursorChanged()
{
    TcxControl::CursorChanged();
    if (innerControl_)
        innerControl_->SetCursor(Cursor());
}

void TcxContainer::DragModeChanged()
{
    TcxControl::DragModeChanged();
    if (innerControl_)
        innerControl_->SetDragMode(DragMode());
}

void TcxContainer::FocusChanged()
{
    TcxControl::FocusChanged();
    Recalculate();
}

void TcxContainer::KeyDown(WORD& Key, TShiftState Shift)
{
    TcxControl::KeyDown(Key, Shift);
    if (Key != VK_TAB || (Shift & (ssCtrl | ssAlt)) || IsInternalControlTab())
        return;
    Key = 0;
    if (TCustomForm* form = GetParentForm())
        form->SelectNext(this, !(Shift & ssShift), true);
    if (HasOwnWindowFocus() && innerControl_ && innerControl_->CanFocus())
        innerControl_->SetFocus();
}

void TcxContainer::MouseMove(TShiftState Shift, int X, int Y)
{
    TcxControl::MouseMove(Shift, X, Y);
    ShortRefreshContainer(true);
}

void TcxContainer::DoContextPopup(POINT MousePos, bool& Handled)
{
    bool fromKeyboard = MousePos.x == -1 && MousePos.y == -1;
    if (!fromKeyboard && !PtInRect(&ViewInfo().ClientRect, MousePos)) {
        Handled = true;
        return;
    }
    TcxControl::DoContextPopup(MousePos, Handled);
}

void TcxContainer::DoPaint(TcxCanvas& ACanvas)
{
    TcxContainerViewInfo& vi = ViewInfo();
    const int w = Width(), h = Height();
    if (w <= 0 || h <= 0)
        return;
    // Drawn off screen and copied in one blit: no flicker while hot tracking, and
    // one transfer to the screen instead of one per rectangle.
    if (!buffer_)
        buffer_ = std::make_unique<TBitmap>();
    if (buffer_->Width() != w || buffer_->Height() != h)
        buffer_->SetSize(w, h);
    TcxCanvas canvas(&buffer_->Canvas());
    canvas.SetDpi(ACanvas.Dpi());
    // The transparent ring outside the border shows the parent.
    canvas.FillRect(Rect(0, 0, w, h), Parent() ? Parent()->Color() : Color());
    vi.Paint(canvas);
    ACanvas.CopyRectFrom(Rect(0, 0, w, h), buffer_->Canvas(), Rect(0, 0, w, h));
}

void TcxContainer::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        // Paint covers every pixel.
        Message.Result = 1;
        return;
    case WM_SETFOCUS:
        TcxControl::WndProc(Message);
        if (!IsDesigning() && innerControl_ && innerControl_->CanFocus() && HasOwnWindowFocus())
            innerControl_->SetFocus();
        return;
    case WM_GETDLGCODE:
        TcxControl::WndProc(Message);
        Message.Result |= DLGC_WANTTAB;
        return;
    case CM_FOCUSCHANGED:
        TcxControl::WndProc(Message);
        Recalculate();
        return;
    case CM_PARENTCOLORCHANGED:
        TcxControl::WndProc(Message);
        if (ParentColor() || style_)
            StyleChanged(style_.get());
        return;
    default:
        break;
    }
    TcxControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TcxCustomPopupWindow

namespace {

std::vector<TcxCustomPopupWindow*>& OpenPopupList()
{
    static std::vector<TcxCustomPopupWindow*> list;
    return list;
}

bool IsListed(const TcxCustomPopupWindow* APopup)
{
    const auto& list = OpenPopupList();
    return std::find(list.begin(), list.end(), APopup) != list.end();
}

// While popups are open, two hooks on the thread's messages watch what closes them
// without a focus change: a press on any window outside the popups and their owner
// (a status bar, a panel, the title bar), and the owner's window moving or hiding
// (the activation going elsewhere takes the focus, which closes them already). A
// popup that takes the focus is left to its activation rule, except for the move.
class TcxPopupInputWatch {
public:
    static void Start()
    {
        if (!messages_)
            messages_ = TThreadHook(WH_GETMESSAGE, MessageHook);
        if (!calls_)
            calls_ = TThreadHook(WH_CALLWNDPROC, CallHook);
    }
    // The hooks go with the last open popup, but never from inside one of them.
    static void StopWhenIdle()
    {
        if (depth_ == 0 && OpenPopupList().empty()) {
            messages_.Reset();
            calls_.Reset();
        }
    }
    static bool Watching() { return static_cast<bool>(messages_); }

private:
    static bool IsPress(UINT AMsg)
    {
        switch (AMsg) {
        case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_XBUTTONDOWN: case WM_XBUTTONDBLCLK:
        case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK:
        case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK: case WM_NCXBUTTONDOWN: case WM_NCXBUTTONDBLCLK:
            return true;
        default:
            return false;
        }
    }
    static HWND OwnerWindow(const TcxCustomPopupWindow* APopup)
    {
        auto owner = dynamic_cast<TWinControl*>(APopup->OwnerControl());
        if (!owner && APopup->OwnerControl())
            owner = APopup->OwnerControl()->Parent();
        return owner && owner->HandleAllocated() ? owner->Handle() : nullptr;
    }
    static bool IsPopupWindow(HWND AWnd)
    {
        for (TcxCustomPopupWindow* popup : OpenPopupList())
            if (popup->HandleAllocated() && IsWindowOrChild(popup->Handle(), AWnd))
                return true;
        return false;
    }
    template <class F>
    static void Guarded(F&& AAction)
    {
        ++depth_;
        try {
            AAction();
        } catch (...) {
            // Nothing may leave a hook: the error goes where every handler's goes.
            if (Application)
                Application->HandleException(std::current_exception());
        }
        --depth_;
    }

    // A press: a sizing zone over a popup's child is the popup's own; outside every
    // popup and the owner, the newer popups that float close.
    static void Pressed(MSG& AMsg)
    {
        const std::vector<TcxCustomPopupWindow*> open = OpenPopupList();
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            TcxCustomPopupWindow* popup = *it;
            if (!popup->HandleAllocated() || AMsg.hwnd == popup->Handle() || !IsChild(popup->Handle(), AMsg.hwnd))
                continue;
            POINT p = AMsg.pt;
            ::ScreenToClient(popup->Handle(), &p);
            if (popup->TakesChildPress(AMsg.hwnd, p, AMsg.message)) {
                AMsg.hwnd = popup->Handle();
                AMsg.lParam = MAKELPARAM(p.x, p.y);
            }
            break;
        }
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            TcxCustomPopupWindow* popup = *it;
            if (!IsListed(popup))
                continue;
            if (popup->HandleAllocated() && IsWindowOrChild(popup->Handle(), AMsg.hwnd))
                return;
            if (popup->CaptureFocus())
                return;
            if (HWND owner = OwnerWindow(popup); owner && IsWindowOrChild(owner, AMsg.hwnd))
                return;
            popup->ClosePopup(false, pcrDeactivated);
        }
    }
    // A message sent to AWnd that may move or hide a popup's owner.
    static void Sent(HWND AWnd, UINT AMsg, LPARAM lParam)
    {
        if (IsPopupWindow(AWnd))
            return;
        const std::vector<TcxCustomPopupWindow*> open = OpenPopupList();
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            TcxCustomPopupWindow* popup = *it;
            if (!IsListed(popup))
                continue;
            bool close = false;
            if (HWND owner = OwnerWindow(popup); owner && (AWnd == owner || IsChild(AWnd, owner))) {
                if (AMsg == WM_MOVING || AMsg == WM_ENTERSIZEMOVE)
                    close = true;
                else if (AMsg == WM_WINDOWPOSCHANGED)
                    close = (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW)
                        || popup->OwnerMoved();
            }
            if (close)
                popup->ClosePopup(false, pcrDeactivated);
        }
    }

    static LRESULT CALLBACK MessageHook(int ACode, WPARAM wParam, LPARAM lParam)
    {
        if (ACode == HC_ACTION && wParam == PM_REMOVE && !TcxCustomPopupWindow::PopupInTransition()) {
            auto msg = reinterpret_cast<MSG*>(lParam);
            if (msg && msg->hwnd && IsPress(msg->message))
                Guarded([msg] { Pressed(*msg); });
            StopWhenIdle();
        }
        return CallNextHookEx(nullptr, ACode, wParam, lParam);
    }
    static LRESULT CALLBACK CallHook(int ACode, WPARAM wParam, LPARAM lParam)
    {
        if (ACode == HC_ACTION && !TcxCustomPopupWindow::PopupInTransition()) {
            auto call = reinterpret_cast<const CWPSTRUCT*>(lParam);
            switch (call ? call->message : 0) {
            case WM_MOVING:
            case WM_ENTERSIZEMOVE:
            case WM_WINDOWPOSCHANGED: {
                const CWPSTRUCT c = *call;
                Guarded([c] { Sent(c.hwnd, c.message, c.lParam); });
                StopWhenIdle();
                break;
            }
            default:
                break;
            }
        }
        return CallNextHookEx(nullptr, ACode, wParam, lParam);
    }

    static inline TThreadHook messages_;
    static inline TThreadHook calls_;
    static inline int depth_ = 0;
};

void Unlist(TcxCustomPopupWindow* APopup)
{
    auto& list = OpenPopupList();
    list.erase(std::remove(list.begin(), list.end(), APopup), list.end());
    TcxPopupInputWatch::StopWhenIdle();
}

// The popup being shown or hidden; the token expires with the popup.
struct TcxTransition {
    TcxCustomPopupWindow* Popup = nullptr;
    std::weak_ptr<bool> Alive;
    bool Holds() const
    {
        auto alive = Alive.lock();
        return alive && *alive;
    }
};
TcxTransition g_transition;

// Names the popup as the one in transition for the scope; an enclosing mark comes
// back after it, unless its popup was destroyed meanwhile.
class TcxTransitionMark {
public:
    TcxTransitionMark(TcxCustomPopupWindow* APopup, const std::shared_ptr<bool>& AAlive) : previous_(g_transition)
    {
        g_transition = TcxTransition{APopup, AAlive};
    }
    ~TcxTransitionMark() { g_transition = previous_.Holds() ? previous_ : TcxTransition{}; }
    TcxTransitionMark(const TcxTransitionMark&) = delete;
    TcxTransitionMark& operator=(const TcxTransitionMark&) = delete;

private:
    TcxTransition previous_;
};

// Whether the control and its parents up to AStop are visible and enabled.
bool CanTakeFocus(const TWinControl* AControl, const TControl* AStop)
{
    for (const TControl* c = AControl; c && c != AStop; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

TWinControl* FirstTabStop(TWinControl* AParent, const TControl* AStop)
{
    for (TWinControl* c : AParent->TabList()) {
        if (c->TabStop() && CanTakeFocus(c, AStop))
            return c;
        if (TWinControl* inner = FirstTabStop(c, AStop))
            return inner;
    }
    return nullptr;
}

} // namespace

TcxCustomPopupWindow::TcxCustomPopupWindow(TControl* AOwnerControl)
    : TcxPopupWindow(AOwnerControl), ownerControl_(AOwnerControl)
{
    SetFormStyle(TFormStyle::fsNormal);
    SetKeyPreview(true);
    if (ownerControl_)
        ownerControl_->FreeNotification(this);
}

TcxCustomPopupWindow::~TcxCustomPopupWindow()
{
    *alive_ = false;
    Unlist(this);
    if (g_transition.Popup == this)
        g_transition = TcxTransition{};
    ReleaseHeldCapture();
    Destroying();
}

const std::vector<TcxCustomPopupWindow*>& TcxCustomPopupWindow::OpenPopups() { return OpenPopupList(); }

TcxCustomPopupWindow* TcxCustomPopupWindow::PopupInTransition()
{
    return g_transition.Holds() ? g_transition.Popup : nullptr;
}

bool TcxCustomPopupWindow::IsOpen() const { return IsListed(this); }

TcxContainerStyle& TcxCustomPopupWindow::Style()
{
    if (!style_)
        style_ = CreateStyle();
    return *style_;
}

std::unique_ptr<TcxContainerStyle> TcxCustomPopupWindow::CreateStyle()
{
    return std::make_unique<TcxContainerStyle>(this);
}

TcxContainerViewInfo& TcxCustomPopupWindow::ViewInfo()
{
    if (!viewInfo_)
        viewInfo_ = CreateViewInfo();
    return *viewInfo_;
}

std::unique_ptr<TcxContainerViewInfo> TcxCustomPopupWindow::CreateViewInfo()
{
    return std::make_unique<TcxContainerViewInfo>();
}

void TcxCustomPopupWindow::StyleChanged(TcxContainerStyle*)
{
    if (IsDestroying())
        return;
    CalculateViewInfo();
    Realign();
    UpdateWindowRegion();
    Invalidate();
}

int TcxCustomPopupWindow::StyleFrameWidth() const
{
    TcxContainerStyle& style = const_cast<TcxCustomPopupWindow*>(this)->Style();
    return GetContainerBorderWidth(GetDrawnBorderStyle(style.BorderStyle(), style.HotTrack() ? chsNormal : chsNoHotTrack))
        * LineWidthForDpi(CurrentDpi());
}

int TcxCustomPopupWindow::GetBorderWidth(int ASide) const
{
    const bool shadow = ASide >= 2 && const_cast<TcxCustomPopupWindow*>(this)->Style().Shadow();
    return TcxPopupWindow::GetBorderWidth(ASide) + StyleFrameWidth() + (shadow ? 3 * LineWidthForDpi(CurrentDpi()) : 0);
}

void TcxCustomPopupWindow::CalculateViewInfo()
{
    TcxContainerStyle& style = Style();
    TcxContainerViewInfo& vi = ViewInfo();
    // The window has no frame of its own: its client area is its bounds.
    vi.Bounds = Rect(TcxPopupWindow::GetBorderWidth(0), TcxPopupWindow::GetBorderWidth(1),
                     Width() - TcxPopupWindow::GetBorderWidth(2), Height() - TcxPopupWindow::GetBorderWidth(3));
    vi.NativeStyle = false;
    vi.ThemedObjectType = 0;
    vi.NativePart = 0;
    vi.NativeState = 0;
    vi.Shadow = style.Shadow();
    vi.ContainerState = Enabled() ? TcxContainerState{csNormal} : TcxContainerState{csDisabled};
    vi.HotState = style.HotTrack() ? chsNormal : chsNoHotTrack;
    vi.BorderStyle = GetDrawnBorderStyle(style.BorderStyle(), vi.HotState);
    vi.LineWidth = LineWidthForDpi(CurrentDpi());
    vi.BorderWidth = GetContainerBorderWidth(vi.BorderStyle) * vi.LineWidth;
    vi.Edges = style.Edges();
    const int w = vi.BorderWidth, shadow = vi.ShadowSize();
    vi.BorderRect = Rect(vi.Bounds.left + w, vi.Bounds.top + w, vi.Bounds.right - w - shadow,
                         vi.Bounds.bottom - w - shadow);
    vi.ClientRect = vi.BorderRect;
    vi.BorderColor = style.BorderStyle() == cbsUltraFlat ? clBtnShadow : style.BorderColor();
    vi.BackgroundColor = Enabled() ? style.Color() : clBtnFace;
}

void TcxCustomPopupWindow::UpdateWindowRegion()
{
    CalculateViewInfo();
    const TcxContainerViewInfo& vi = ViewInfo();
    const RECT outer = vi.GetOuterRect();
    const int s = vi.ShadowSize();
    SetShadowCorners(vi.Shadow, Rect(outer.right - s, outer.top, outer.right, outer.top + s),
                     Rect(outer.left, outer.bottom - s, outer.left + s, outer.bottom));
}

void TcxCustomPopupWindow::SetShadowCorners(bool ACut, const RECT& ATopRight, const RECT& ABottomLeft)
{
    if (!HandleAllocated())
        return;
    if (!ACut) {
        if (regionSet_)
            SetWindowRgn(Handle(), nullptr, TRUE);
        regionSet_ = false;
        return;
    }
    TGdiObject region(CreateRectRgn(0, 0, Width(), Height()));
    for (const RECT& r : {ATopRight, ABottomLeft}) {
        TGdiObject corner(CreateRectRgn(r.left, r.top, r.right, r.bottom));
        CombineRgn(static_cast<HRGN>(region.Get()), static_cast<HRGN>(region.Get()), static_cast<HRGN>(corner.Get()),
                   RGN_DIFF);
    }
    // The window owns the region once it has it.
    if (SetWindowRgn(Handle(), static_cast<HRGN>(region.Get()), TRUE)) {
        region.Release();
        regionSet_ = true;
    }
}

void TcxCustomPopupWindow::AdjustClientRect(RECT& R)
{
    CalculateViewInfo();
    R = ViewInfo().ClientRect;
}

void TcxCustomPopupWindow::PaintWindow(HDC)
{
    CalculateViewInfo();
    ViewInfo().Paint(cxCanvas());
}

TCustomForm* TcxCustomPopupWindow::OwnerParentForm() const
{
    return ownerControl_ ? ownerControl_->GetParentForm() : nullptr;
}

bool TcxCustomPopupWindow::IsParentTopmost() const
{
    TCustomForm* form = OwnerParentForm();
    if (!form)
        return true;
    return form->FormStyle() == TFormStyle::fsStayOnTop
        || (form->HandleAllocated() && (GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST));
}

void TcxCustomPopupWindow::CreateParams(TCreateParams& Params)
{
    TcxPopupWindow::CreateParams(Params);
    TCustomForm* parentForm = OwnerParentForm();
    if (captureFocus_) {
        if (parentForm && parentForm != this)
            Params.WndParent = parentForm->Handle();
        Params.Style = (Params.Style & ~static_cast<DWORD>(WS_CHILD)) | WS_POPUP;
        if (topmostLikeParent_ && IsParentTopmost())
            Params.ExStyle |= WS_EX_TOPMOST;
    } else {
        // Made as a child, then set loose (CreateHandle): a child window is never
        // activated, so the focus stays in the owner.
        Params.Style = WS_CHILD | (Params.Style & WS_DISABLED);
        Params.ExStyle |= WS_EX_TOOLWINDOW;
        if (!Params.WndParent) {
            auto owner = dynamic_cast<TWinControl*>(ownerControl_);
            if (!owner && ownerControl_)
                owner = ownerControl_->Parent();
            Params.WndParent = owner ? owner->Handle() : GetDesktopWindow();
        }
    }
    Params.Style |= WS_CLIPCHILDREN;
}

void TcxCustomPopupWindow::CreateWnd()
{
    // Code that runs while the window is made sees the popup as open.
    const bool listed = IsOpen();
    if (!listed)
        OpenPopupList().push_back(this);
    struct Restore {
        TcxCustomPopupWindow* popup;
        bool listed;
        ~Restore()
        {
            if (!listed)
                Unlist(popup);
        }
    } restore{this, listed};
    TcxPopupWindow::CreateWnd();
}

void TcxCustomPopupWindow::CreateHandle()
{
    TcxPopupWindow::CreateHandle();
    if (!captureFocus_)
        ::SetParent(Handle(), nullptr);
}

void TcxCustomPopupWindow::ShowWindowNow(bool AShow)
{
    if (!AShow || captureFocus_) {
        TcxPopupWindow::ShowWindowNow(AShow);
        return;
    }
    HandleNeeded();
    DoShow();
    // Shown without the activation and put on top in one step: what showing the
    // window does, with the place in the Z order in the same move.
    SendMessageW(Handle(), WM_SHOWWINDOW, TRUE, 0);
    SetWindowPos(Handle(), IsParentTopmost() ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void TcxCustomPopupWindow::SetCaptureFocus(bool Value)
{
    if (Value == captureFocus_)
        return;
    captureFocus_ = Value;
    RecreatePopup();
}

void TcxCustomPopupWindow::SetTopmostLikeParent(bool Value)
{
    if (Value == topmostLikeParent_)
        return;
    topmostLikeParent_ = Value;
    RecreatePopup();
}

void TcxCustomPopupWindow::RecreatePopup()
{
    if (!HandleAllocated())
        return;
    if (!IsOpen()) {
        RecreateWnd();
        return;
    }
    const auto alive = alive_;
    TWinControl* focus = focusControl_;
    ClosePopup(false);
    if (!*alive)
        return;
    RecreateWnd();
    Popup(focus);
}

void TcxCustomPopupWindow::SetPopupFocusControl(TWinControl* AControl)
{
    if (AControl == focusControl_)
        return;
    if (focusControl_ && focusControl_ != this)
        focusControl_->RemoveFreeNotification(this);
    focusControl_ = AControl;
    if (AControl && AControl != this)
        AControl->FreeNotification(this);
}

void TcxCustomPopupWindow::Notification(TComponent* AComponent, TOperation Operation)
{
    TcxPopupWindow::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    if (AComponent == focusControl_)
        focusControl_ = nullptr;
    if (AComponent == ownerControl_) {
        ownerControl_ = nullptr;
        // The hooks belong to the owner, which is half gone: the popup just disappears.
        if (IsOpen()) {
            Unlist(this);
            if (HandleAllocated())
                ShowWindow(Handle(), SW_HIDE);
            TControl::SetVisible(false);
            ReleaseHeldCapture();
        }
    }
}

bool TcxCustomPopupWindow::IsPopupKey(WORD AKey) const
{
    return (AKey >= VK_PRIOR && AKey <= VK_DOWN) || AKey == VK_F4;
}

void TcxCustomPopupWindow::DoClosing(TcxPopupCloseReason AReason)
{
    if (OnClosing)
        OnClosing(this, AReason);
}

void TcxCustomPopupWindow::DoClosed(TcxPopupCloseReason AReason)
{
    if (OnClosed)
        OnClosed(this, AReason);
}

void TcxCustomPopupWindow::DoShown()
{
    if (OnShown)
        OnShown(this);
}

void TcxCustomPopupWindow::ClosePopup() { ClosePopup(false); }

void TcxCustomPopupWindow::ClosePopup(bool AWithQuery, TcxPopupCloseReason AReason)
{
    if (!IsOpen())
        return;
    const auto alive = alive_;
    if (AWithQuery) {
        const bool canClose = CloseQuery();
        if (!*alive)
            return;
        if (!canClose) {
            SetModalResult(mrNone);
            return;
        }
        if (!IsOpen())
            return;
    }
    Unlist(this);
    DoClosing(AReason);
    if (!*alive)
        return;
    {
        TcxTransitionMark mark(this, alive_);
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
        if (!*alive)
            return;
        Hide();
        if (!*alive)
            return;
        ReturnFocusToOwner();
        if (!*alive)
            return;
    }
    DoClosed(AReason);
    if (*alive)
        ReleaseHeldCapture();
}

void TcxCustomPopupWindow::ReturnFocusToOwner()
{
    auto owner = dynamic_cast<TWinControl*>(ownerControl_);
    if (!owner || IsDesigning() || owner->IsDesigning())
        return;
    TCustomForm* form = owner->GetParentForm();
    HWND focus = GetFocus();
    if (!form || !form->HandleAllocated() || !focus || (focus != form->Handle() && !IsChild(form->Handle(), focus)))
        return;
    if (owner->CanFocus() && !owner->Focused())
        owner->SetFocus();
}

void TcxCustomPopupWindow::ReleaseHeldCapture()
{
    HWND capture = GetCapture();
    if (capture && HandleAllocated() && (capture == Handle() || IsChild(Handle(), capture)))
        ReleaseCapture();
}

void TcxCustomPopupWindow::Popup() { Popup(nullptr); }

void TcxCustomPopupWindow::Popup(TWinControl* AFocusedControl)
{
    if (IsOpen())
        return;
    const auto alive = alive_;
    InitPopupFont();
    if (Adjustable())
        AdjustSize();
    const POINT p = CalculatePosition();
    SetBounds(p.x, p.y, Width(), Height());
    ownerPlace_ = OwnerPlace();
    {
        TcxTransitionMark mark(this, alive_);
        OpenPopupList().push_back(this);
        TcxPopupInputWatch::Start();
        TWinControl* focus = AFocusedControl;
        if (captureFocus_) {
            if (!focus || !focus->TabStop() || !CanTakeFocus(focus, this))
                focus = FirstTabStop(this, this);
            if (!focus)
                focus = this;
        }
        SetPopupFocusControl(focus);
        if (OnShowing)
            OnShowing(this);
        if (!*alive || !IsOpen())
            return;
        if (captureFocus_) {
            // The form focuses its active control as it is shown and activated.
            if (focus != this && focus->GetParentForm() == this)
                SetActiveControl(focus);
            Show();
            if (!*alive || !IsOpen())
                return;
            if (focus == this)
                ::SetFocus(Handle());
            else if (!focus->Focused())
                focus->SetFocus();
        } else {
            Show();
            if (!*alive || !IsOpen())
                return;
            if (focus && focus->CanFocus() && !focus->Focused())
                focus->SetFocus();
        }
    }
    if (!*alive)
        return;
    SetModalResult(mrNone);
    DoShown();
    if (*alive && captureFocus_ && modalLoop_)
        RunModalLoop(alive);
}

RECT TcxCustomPopupWindow::OwnerPlace() const
{
    if (!ownerControl_)
        return RECT{};
    const POINT p = ownerControl_->ClientToScreen(POINT{0, 0});
    return Bounds(p.x, p.y, ownerControl_->Width(), ownerControl_->Height());
}

bool TcxCustomPopupWindow::OwnerMoved() const { return IsOpen() && !(OwnerPlace() == ownerPlace_); }

void TcxCustomPopupWindow::RunModalLoop(const std::shared_ptr<bool>& AAlive)
{
    while (*AAlive && Visible() && IsOpen() && Application && !Application->Terminated()) {
        // Alt, Alt+Enter and Alt+Space would open the system menu of the form below.
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message == WM_SYSKEYDOWN
            && (msg.wParam == VK_RETURN || msg.wParam == VK_MENU || msg.wParam == VK_SPACE)
            && PeekMessageW(&msg, msg.hwnd, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE))
            continue;  // the message after it is looked at too before it is handled: keys come in bursts
        if (ModalResult() != mrNone) {
            ClosePopup(true);
            if (!*AAlive || !IsOpen())
                return;
        }
        Application->HandleMessage();
    }
}

void TcxCustomPopupWindow::Deactivated(HWND AActive)
{
    if (closingByOwner_)
        return;
    const auto alive = alive_;
    // Newest first, up to the popup that took the activation (the focus moved into
    // an open popup: that one and the older ones stay).
    const std::vector<TcxCustomPopupWindow*> open = OpenPopupList();
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        TcxCustomPopupWindow* popup = *it;
        if (!IsListed(popup))
            continue;
        if (popup->HandleAllocated() && popup->Handle() == AActive)
            return;
        if (popup->HandleAllocated() && IsWindowEnabled(popup->Handle()))
            popup->ClosePopup(false, pcrDeactivated);
        if (!*alive)
            return;
    }
    ClosePopup(false, pcrDeactivated);
}

void TcxCustomPopupWindow::CloseByEscape()
{
    ReleaseHeldCapture();
    ClosePopup(false, pcrCancel);
}

void TcxCustomPopupWindow::KeyDown(WORD& Key, TShiftState Shift)
{
    TcxPopupWindow::KeyDown(Key, Shift);
    if (Key == VK_ESCAPE && IsOpen() && !CancelButton()) {
        Key = 0;
        CloseByEscape();
    }
}

void TcxCustomPopupWindow::CloseRequested()
{
    const auto alive = alive_;
    closingByOwner_ = true;
    try {
        ClosePopup(false, pcrOwner);
    } catch (...) {
        if (*alive)
            closingByOwner_ = false;
        throw;
    }
    if (!*alive)
        return;
    closingByOwner_ = false;
    // The owner's focused window hears of the focus again, so that it shows it; a
    // window without the focus is not told it has it.
    auto owner = dynamic_cast<TWinControl*>(ownerControl_);
    HWND focus = GetFocus();
    if (owner && owner->HandleAllocated() && focus && (focus == owner->Handle() || IsChild(owner->Handle(), focus)))
        SendMessageW(focus, WM_SETFOCUS, 0, 0);
}

void TcxCustomPopupWindow::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        if (!ErasesBackground()) {
            Message.Result = 1;
            return;
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(Message.WParam) == WA_INACTIVE) {
            const auto alive = alive_;
            TcxPopupWindow::WndProc(Message);
            if (*alive)
                Deactivated(reinterpret_cast<HWND>(Message.LParam));
            return;
        }
        break;
    case WM_ACTIVATEAPP:
        // Form deactivation closes this popup; the application's would close it too early.
        TForm::WndProc(Message);
        return;
    case WM_COMMAND:
        // Escape as the dialog manager passes it on, unless a cancel button takes it.
        if (Message.LParam == 0 && HIWORD(Message.WParam) == 0 && LOWORD(Message.WParam) == IDCANCEL && IsOpen()
            && !CancelButton()) {
            CloseByEscape();
            Message.Result = 0;
            return;
        }
        break;
    case WM_SIZE: {
        const auto alive = alive_;
        TcxPopupWindow::WndProc(Message);
        if (*alive)
            UpdateWindowRegion();
        return;
    }
    case CXM_CLOSEPOPUPWINDOW:
        CloseRequested();
        return;
    case CXM_SHOWPOPUPWINDOW:
        Popup(FindControl(reinterpret_cast<HWND>(Message.WParam)));
        return;
    default:
        break;
    }
    TcxPopupWindow::WndProc(Message);
}
