#include "controls/buttons/cxButtons.h"

#include "controls/lookandfeel/dxUxTheme.h"
#include "framework/Forms.h"

#include <algorithm>

using namespace qv;

namespace {

const TcxButtonState kAllStates[] = {cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled};

// The image of a state inside a glyph bitmap of NumGlyphs images side by side.
int ImageIndexOf(TcxButtonState AState, int ANumGlyphs)
{
    int index = 0;
    switch (AState) {
    case cxbsDisabled: index = 1; break;
    case cxbsPressed: index = 2; break;
    case cxbsHot: index = 3; break;
    default: index = 0; break;
    }
    return index < ANumGlyphs ? index : 0;
}

} // namespace

// ---------------------------------------------------------------------------

TcxButtonColors::TcxButtonColors(TcxCustomButton* AButton) : button_(AButton)
{
    colors_.fill(clDefault);
}

void TcxButtonColors::Changed()
{
    if (button_)
        button_->Invalidate();
}

void TcxButtonColors::SetColor(TcxButtonState AState, TColor Value)
{
    if (Value == clNone || Value == clDefault) {
        colors_[AState] = clDefault;
        assigned_.Exclude(AState);
        Changed();
        return;
    }
    if (Value == colors_[AState])
        return;
    colors_[AState] = Value;
    assigned_.Include(AState);
    Changed();
}

void TcxButtonColors::SetAssignedColors(TcxButtonAssignedColors Value)
{
    // The set follows from the colours at run time; only a designer edits it directly.
    if (!button_ || !button_->IsDesigning() || Value == assigned_)
        return;
    for (TcxButtonState s : kAllStates) {
        if (!Value.Contains(s))
            colors_[s] = clDefault;
        else if (colors_[s] == clDefault)
            Value.Exclude(s);
    }
    assigned_ = Value;
    Changed();
}

void TcxButtonColors::Assign(const TPersistent* Source)
{
    if (auto other = dynamic_cast<const TcxButtonColors*>(Source)) {
        colors_ = other->colors_;
        assigned_ = other->assigned_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------

TcxButtonGlyph::TcxButtonGlyph()
{
    glyph_.OnChange = [this](TObject*) { Invalidate(); };
}

void TcxButtonGlyph::Invalidate()
{
    for (auto& image : images_)
        image.reset();
    if (OnChange)
        OnChange(this);
}

void TcxButtonGlyph::SetGlyph(const TBitmap& Value)
{
    // How many images the bitmap holds is NumGlyphs's to say, not its shape's.
    glyph_.Assign(Value);
    Invalidate();
}

void TcxButtonGlyph::SetNumGlyphs(int Value)
{
    if (Value <= 0 || Value == numGlyphs_)
        return;
    numGlyphs_ = std::min(Value, 4);
    Invalidate();
}

SIZE TcxButtonGlyph::ImageSize() const
{
    if (glyph_.Empty())
        return SIZE{0, 0};
    return SIZE{glyph_.Width() / numGlyphs_, glyph_.Height()};
}

TBitmap* TcxButtonGlyph::PrepareImage(TcxButtonState AState)
{
    if (glyph_.Empty())
        return nullptr;
    auto& image = images_[AState];
    if (image)
        return image.get();
    SIZE size = ImageSize();
    image = std::make_unique<TBitmap>(size.cx, size.cy);
    COLORREF transparent = glyph_.TransparentColor();
    int index = ImageIndexOf(AState, numGlyphs_);
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            image->Bits()[y * size.cx + x] = glyph_.Bits()[y * glyph_.Width() + index * size.cx + x];
    if (AState == cxbsDisabled && numGlyphs_ < 2) {
        // No disabled image of its own: an embossed outline of the normal one, light
        // copy one pixel right and down under the shadow.
        auto toDib = [](COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); };
        std::uint32_t background = toDib(transparent);
        std::uint32_t light = toDib(ColorToRGB(clBtnHighlight));
        std::uint32_t shadow = toDib(ColorToRGB(clBtnShadow));
        std::vector<bool> ink(static_cast<size_t>(size.cx) * size.cy);
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x) {
                std::uint32_t p = image->Bits()[y * size.cx + x] & 0x00FFFFFF;
                // Dark pixels carry the shape; light ones vanish as they would on a grey face.
                int lum = ((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11;
                ink[y * size.cx + x] = p != (background & 0x00FFFFFF) && lum < 192 * 100;
            }
        for (int i = 0; i < size.cx * size.cy; ++i)
            image->Bits()[i] = background;
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x)
                if (ink[y * size.cx + x] && x + 1 < size.cx && y + 1 < size.cy)
                    image->Bits()[(y + 1) * size.cx + x + 1] = light;
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x)
                if (ink[y * size.cx + x])
                    image->Bits()[y * size.cx + x] = shadow;
    }
    return image.get();
}

void TcxButtonGlyph::CalcLayout(TCanvas& ACanvas, const RECT& R, POINT AOffset, const std::wstring& ACaption,
                                TButtonLayout ALayout, int AMargin, int ASpacing, UINT ABiDiFlags, POINT& AGlyphPos,
                                RECT& ATextBounds)
{
    SIZE client{R.right - R.left, R.bottom - R.top};
    SIZE glyphSize = ImageSize();
    RECT text{0, 0, client.cx, 0};
    if (!ACaption.empty()) {
        ACanvas.RequireFont();
        DrawTextW(ACanvas.Handle(), ACaption.c_str(), static_cast<int>(ACaption.size()), &text,
                  DT_CALCRECT | ABiDiFlags);
    } else {
        text = RECT{0, 0, 0, 0};
    }
    SIZE textSize{text.right - text.left, text.bottom - text.top};
    bool horizontal = ALayout == blGlyphLeft || ALayout == blGlyphRight;

    POINT glyphPos{0, 0}, textPos{0, 0};
    if (horizontal) {
        glyphPos.y = (client.cy - glyphSize.cy + 1) / 2;
        textPos.y = (client.cy - textSize.cy + 1) / 2;
    } else {
        glyphPos.x = (client.cx - glyphSize.cx + 1) / 2;
        textPos.x = (client.cx - textSize.cx + 1) / 2;
    }
    // Without a caption or without a glyph there is nothing to space apart.
    if (textSize.cx == 0 || glyphSize.cx == 0)
        ASpacing = 0;
    int margin = AMargin, spacing = ASpacing;
    if (margin == -1) {
        if (spacing == -1) {
            int total = horizontal ? glyphSize.cx + textSize.cx : glyphSize.cy + textSize.cy;
            margin = ((horizontal ? client.cx : client.cy) - total) / 3;
            spacing = margin;
        } else {
            int total = horizontal ? glyphSize.cx + spacing + textSize.cx : glyphSize.cy + spacing + textSize.cy;
            margin = ((horizontal ? client.cx : client.cy) - total + 1) / 2;
        }
    } else if (spacing == -1) {
        int rest = horizontal ? client.cx - (margin + glyphSize.cx) : client.cy - (margin + glyphSize.cy);
        spacing = (rest - (horizontal ? textSize.cx : textSize.cy)) / 2;
    }
    switch (ALayout) {
    case blGlyphLeft:
        glyphPos.x = margin;
        textPos.x = glyphPos.x + glyphSize.cx + spacing;
        break;
    case blGlyphRight:
        glyphPos.x = client.cx - margin - glyphSize.cx;
        textPos.x = glyphPos.x - spacing - textSize.cx;
        break;
    case blGlyphTop:
        glyphPos.y = margin;
        textPos.y = glyphPos.y + glyphSize.cy + spacing;
        break;
    case blGlyphBottom:
        glyphPos.y = client.cy - margin - glyphSize.cy;
        textPos.y = glyphPos.y - spacing - textSize.cy;
        break;
    }
    AGlyphPos = POINT{glyphPos.x + R.left + AOffset.x, glyphPos.y + R.top + AOffset.y};
    ATextBounds = Bounds(textPos.x + R.left + AOffset.x, textPos.y + R.top + AOffset.y, textSize.cx, textSize.cy);
}

RECT TcxButtonGlyph::Draw(TCanvas& ACanvas, const RECT& R, POINT AOffset, const std::wstring& ACaption,
                          TButtonLayout ALayout, int AMargin, int ASpacing, TcxButtonState AState, UINT ABiDiFlags)
{
    POINT glyphPos;
    RECT textBounds;
    CalcLayout(ACanvas, R, AOffset, ACaption, ALayout, AMargin, ASpacing, ABiDiFlags, glyphPos, textBounds);
    if (TBitmap* image = PrepareImage(AState))
        image->DrawTransparent(ACanvas.Handle(), glyphPos.x, glyphPos.y);
    if (ACaption.empty())
        return textBounds;
    HDC dc = ACanvas.Handle();
    ACanvas.Brush().SetStyle(TBrushStyle::bsClear);
    ACanvas.RequireFont();
    ACanvas.RequireBrush();
    UINT flags = DT_CENTER | DT_VCENTER | ABiDiFlags;
    if (AState == cxbsDisabled) {
        // Embossed: a light copy one pixel right and down, then the text in its place.
        COLORREF text = GetTextColor(dc);
        RECT light = Offsetted(textBounds, 1, 1);
        SetTextColor(dc, ColorToRGB(clBtnHighlight));
        DrawTextW(dc, ACaption.c_str(), static_cast<int>(ACaption.size()), &light, flags);
        SetTextColor(dc, text);
    }
    RECT r = textBounds;
    DrawTextW(dc, ACaption.c_str(), static_cast<int>(ACaption.size()), &r, flags);
    return textBounds;
}

// ---------------------------------------------------------------------------

TcxCustomButton::TcxCustomButton(TComponent* AOwner)
    : TButton(AOwner), glyph_(std::make_unique<TcxButtonGlyph>())
{
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
    colors_ = std::make_unique<TcxButtonColors>(this);
    controlCanvas_ = std::make_unique<TControlCanvas>();
    controlCanvas_->SetControl(this);
    canvas_ = std::make_unique<TcxCanvas>(controlCanvas_.get());
    useSystemPaint_ = true;
    lookAndFeel_ = std::make_unique<TcxLookAndFeel>(this);
    lookAndFeel_->OnChanged = [this](TcxLookAndFeel* s, TcxLookAndFeelValues v) { LookAndFeelChanged(s, v); };
    kind_ = cxbkStandard;
    layout_ = blGlyphLeft;
    spacing_ = 4;
    margin_ = -1;
    SetControlStyle(ControlStyle() | csOpaque | csReflector);
}

TcxCustomButton::~TcxCustomButton()
{
    EndMouseTracking(this);
    lookAndFeel_.reset();
    colors_.reset();
    // The native window goes with the framework button; the canvases after it.
}

void TcxCustomButton::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues)
{
    // Who draws the button is decided by its window style.
    RecreateWnd();
}

TcxLookAndFeelPainterClass TcxCustomButton::GetPainterClass()
{
    // With visual styles for buttons the themed painter draws, also for a standard
    // button that would have been the system's own.
    if ((lookAndFeel_->NativeStyle() || (useSystemPaint_ && lookAndFeel_->Kind() == lfStandard))
        && AreVisualStylesAvailable({totButton}))
        return TcxWinXPLookAndFeelPainter::Instance();
    switch (lookAndFeel_->Kind()) {
    case lfFlat: return TcxFlatLookAndFeelPainter::Instance();
    case lfUltraFlat: return TcxUltraFlatLookAndFeelPainter::Instance();
    default: return lookAndFeel_->GetPainter();
    }
}

bool TcxCustomButton::IsSystemPaint()
{
    return kind_ == cxbkStandard && useSystemPaint_ && glyph_->IsEmpty()
        && ((lookAndFeel_->NativeStyle() && AreVisualStylesAvailable()) || lookAndFeel_->Kind() == lfStandard);
}

bool TcxCustomButton::IsHotTrackable()
{
    return !IsSystemPaint() && GetPainterClass()->HotTracksButtons() && Enabled();
}

void TcxCustomButton::SetDropDownMenu(TPopupMenu* Value)
{
    if (Value == dropDownMenu_)
        return;
    if (dropDownMenu_ && dropDownMenu_ != popupMenu_)
        RemoveFreeNotification(dropDownMenu_);
    dropDownMenu_ = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TcxCustomButton::SetGlyph(const TBitmap& Value)
{
    glyph_->SetGlyph(Value);
    if (!Value.Empty())
        SetUseSystemPaint(false);
    Invalidate();
}

void TcxCustomButton::SetKind(TcxButtonKind Value)
{
    if (Value == kind_)
        return;
    kind_ = Value;
    RecreateWnd();
}

void TcxCustomButton::SetLayout(TButtonLayout Value)
{
    if (Value == layout_)
        return;
    layout_ = Value;
    Invalidate();
}

void TcxCustomButton::SetMargin(int Value)
{
    if (Value == margin_ || Value < -1)
        return;
    margin_ = Value;
    Invalidate();
}

void TcxCustomButton::SetNumGlyphs(TNumGlyphs Value)
{
    if (Value > 4)
        Value = 4;
    if (Value == glyph_->NumGlyphs())
        return;
    glyph_->SetNumGlyphs(Value);
    Invalidate();
}

void TcxCustomButton::SetPopupMenu(TComponent* Value)
{
    if (Value && !IsPopupMenu(Value))
        Value = nullptr;
    if (Value == popupMenu_)
        return;
    if (popupMenu_ && popupMenu_ != dropDownMenu_)
        RemoveFreeNotification(popupMenu_);
    popupMenu_ = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TcxCustomButton::SetSpacing(int Value)
{
    if (Value == spacing_)
        return;
    spacing_ = Value;
    Invalidate();
}

void TcxCustomButton::SetUseSystemPaint(bool Value)
{
    if (Value == useSystemPaint_)
        return;
    useSystemPaint_ = Value;
    RecreateWnd();
}

void TcxCustomButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TButton::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    // The same component may be both.
    if (AComponent == dropDownMenu_)
        dropDownMenu_ = nullptr;
    if (AComponent == popupMenu_)
        popupMenu_ = nullptr;
}

void TcxCustomButton::CreateParams(TCreateParams& Params)
{
    TButton::CreateParams(Params);
    if (!IsSystemPaint()) {
        Params.Style &= ~static_cast<DWORD>(0x0F);
        Params.Style |= BS_OWNERDRAW;
    }
}

void TcxCustomButton::CreateHandle()
{
    TButton::CreateHandle();
    glyph_->PrepareImage(Enabled() ? cxbsNormal : cxbsDisabled);
}

void TcxCustomButton::SetButtonStyle(bool ADefault)
{
    if (IsSystemPaint()) {
        TButton::SetButtonStyle(ADefault);
        return;
    }
    if (ADefault != isDefault_) {
        isDefault_ = ADefault;
        Invalidate();
        Update();
    }
}

void TcxCustomButton::Click()
{
    if (kind_ == cxbkDropDown && !menuDropped_) {
        if (!ignoreNextClick_)
            PostDropDownRequest();
        ignoreNextClick_ = false;
        return;
    }
    if (kind_ != cxbkStandard && ignoreNextClick_) {
        ignoreNextClick_ = false;
        return;
    }
    TButton::Click();
}

void TcxCustomButton::KeyDown(WORD& Key, TShiftState Shift)
{
    TButton::KeyDown(Key, Shift);
    if (kind_ == cxbkDropDownButton && !menuDropped_ && (Key == VK_UP || Key == VK_DOWN)
        && (Shift & (ssAlt | ssShift))) {
        PostDropDownRequest();
        Key = 0;
    }
}

void TcxCustomButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TButton::MouseMove(Shift, X, Y);
    // Catches an entry the application's mouse tracking did not report.
    if (!hot_ && IsHotTrackable()) {
        RECT client = ClientRect();
        POINT p{X, Y};
        if (PtInRect(&client, p) && !GetCapture())
            Perform(CM_MOUSEENTER);
    }
}

void TcxCustomButton::DoContextPopup(POINT MousePos, bool& Handled)
{
    TButton::DoContextPopup(MousePos, Handled);
    if (Handled)
        return;
    POINT p = (MousePos.x == -1 && MousePos.y == -1) ? POINT{0, 0} : MousePos;
    p = ClientToScreen(p);
    Handled = ShowPopupMenu(popupMenu_, p.x, p.y);
}

bool TcxCustomButton::CursorIsOverMe()
{
    POINT p;
    return HandleAllocated() && GetCursorPos(&p) && WindowFromPoint(p) == Handle();
}

void TcxCustomButton::DoMouseEnter()
{
    if (IsDesigning() || hot_ || !IsHotTrackable() || GetCapture())
        return;
    RECT bounds = Rect(0, 0, Width(), Height());
    MapWindowPoints(Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&bounds), 2);
    BeginMouseTracking(this, bounds, this);
    hot_ = true;
    Invalidate();
    Update();
}

void TcxCustomButton::DoMouseLeave()
{
    if (IsDesigning())
        return;
    EndMouseTracking(this);
    if (hot_ && IsHotTrackable()) {
        hot_ = false;
        Invalidate();
    }
}

void TcxCustomButton::MouseLeave()
{
    if (HandleAllocated())
        SendMessageW(Handle(), CM_MOUSELEAVE, 0, 0);
    else
        Perform(CM_MOUSELEAVE);
}

RECT TcxCustomButton::ArrowRect() const
{
    RECT r = ClientRect();
    return Rect(r.right - cxDropDownButtonWidth, r.top, r.right, r.bottom);
}

int TcxCustomButton::EstimatedMenuHeight()
{
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    int border = 2;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        border = ncm.iBorderWidth;
    int height = 2 * border;
    TScreenCanvas screen;
    if (dropDownMenu_->OwnerDraw()) {
        TFont menuFont;
        menuFont.SetName(ncm.lfMenuFont.lfFaceName);
        menuFont.SetHeight(ncm.lfMenuFont.lfHeight);
        screen.Font().Assign(menuFont);
    }
    for (int i = 0; i < dropDownMenu_->Count(); ++i) {
        TMenuItem* item = dropDownMenu_->Items(i);
        if (dropDownMenu_->OwnerDraw() && item->Visible()) {
            int w = 0, h = GetSystemMetrics(SM_CYMENU);
            item->MeasureItem(screen, w, h);
            height += h;
        } else {
            height += GetSystemMetrics(SM_CYMENU);
        }
    }
    return height;
}

void TcxCustomButton::PostDropDownRequest()
{
    dropDownRequest_ = true;
    if (requestPosted_)
        return;
    requestPosted_ = true;
    PostMessageW(Handle(), CM_DROPDOWNPOPUPMENU, 0, 0);
}

void TcxCustomButton::DropDownPopupMenu()
{
    requestPosted_ = false;
    if (kind_ == cxbkStandard || !dropDownMenu_) {
        dropDownRequest_ = false;
        return;
    }
    menuDropped_ = true;
    Repaint();
    POINT p = ClientToScreen(POINT{0, Height()});
    int estimated = EstimatedMenuHeight();
    // Near the bottom of the screen the menu opens upwards.
    if (GetSystemMetrics(SM_CYSCREEN) < estimated + p.y)
        p.y -= estimated + Height() + 2;
    // The chosen item's handler runs inside Popup and may free this button.
    const std::weak_ptr<int> alive = alive_;
    dropDownMenu_->Popup(p.x, p.y);
    if (alive.expired())
        return;
    if (HandleAllocated())
        PostMessageW(Handle(), CM_CLOSEUPPOPUPMENU, 0, 0);
}

void TcxCustomButton::CloseUpPopupMenu()
{
    hot_ = IsHotTrackable() && CursorIsOverMe();
    menuDropped_ = false;
    Repaint();
    dropDownRequest_ = false;
}

void TcxCustomButton::DrawBuffer(HDC ADC, const RECT& ABounds, TCanvas& ABuffer)
{
    BitBlt(ADC, ABounds.left, ABounds.top, ABounds.right - ABounds.left, ABounds.bottom - ABounds.top,
           ABuffer.Handle(), 0, 0, SRCCOPY);
}

void TcxCustomButton::Paint(const DRAWITEMSTRUCT& ADrawItem)
{
    const RECT bounds = ClientRect();
    if (IsRectEmptyR(bounds))
        return;
    // Everything is drawn off-screen, then shown with one copy: hot tracking and
    // pressing repaint without flicker.
    buffer_.SetSize(bounds.right - bounds.left, bounds.bottom - bounds.top);
    controlCanvas_->BindDC(buffer_.Canvas().Handle());
    canvas_->SetDpi(CurrentDpi());
    // The canvas lets go of the context however the paint ends (a handler may throw).
    struct Unbind {
        TControlCanvas* canvas;
        ~Unbind() { canvas->FreeHandle(); }
    } unbind{controlCanvas_.get()};
    // Pressed and focused looks are worked out afresh for every paint.
    bool pressed = !dropDownRequest_ && (ADrawItem.itemState & ODS_SELECTED) != 0;
    TCustomForm* form = GetParentForm();
    bool focusedLook = (ADrawItem.itemState & ODS_FOCUS) != 0
        || (form && form->IsDesigning() && Default());

    RECT r = ClientRect();
    RECT arrow{};
    TcxLookAndFeelPainterClass painter = GetPainterClass();
    // A themed button with rounded corners shows its parent's background there.
    if (painter->PainterStyle() == psNative)
        if (HTHEME theme = OpenTheme(totButton); theme && dxIsThemeBackgroundPartiallyTransparent(theme, 1, 1))
            dxDrawThemeParentBackground(Handle(), controlCanvas_->Handle(), &r);
    if (kind_ == cxbkDropDown) {
        pressed = menuDropped_;
    } else if (kind_ == cxbkDropDownButton) {
        // The two parts overlap by 2 pixels.
        arrow = ArrowRect();
        r.right = arrow.left + 2;
    }

    TcxButtonState state;
    if (!Enabled())
        state = cxbsDisabled;
    else if (pressed || menuDropped_)
        state = cxbsPressed;
    else if (hot_)
        state = cxbsHot;
    else if (focusedLook || isDefault_)
        state = cxbsDefault;
    else
        state = cxbsNormal;
    lastState_ = state;

    controlCanvas_->Font().Assign(Font());
    TColor background = colors_->Color(state);
    controlCanvas_->Font().SetColor(painter->ButtonGlyphColor(state));
    if (OnGetDrawParams)
        OnGetDrawParams(this, state, background, controlCanvas_->Font());

    TColor textColor = controlCanvas_->Font().Color();
    painter->PaintButton(*canvas_, r, L"", state, true, background, textColor);

    POINT offset{0, 0};
    if (state == cxbsPressed && painter->ButtonPressedShift() != 0)
        offset = POINT{painter->ButtonPressedShift(), painter->ButtonPressedShift()};
    glyph_->Draw(*controlCanvas_, r, offset, Text(), layout_, margin_, spacing_, state, 0);

    if (kind_ == cxbkDropDownButton) {
        painter->PaintButton(*canvas_, arrow, L"", state, true, background, textColor);
        painter->PaintStateArrow(*canvas_, arrow, state, adDown);
    }

    if (Focused() && !menuDropped_) {
        RECT focus = painter->ButtonFocusBounds(*canvas_, r);
        canvas_->DrawFocusFrame(focus);
    }
    DrawBuffer(ADrawItem.hDC, bounds, buffer_.Canvas());
}

void TcxCustomButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_DRAWITEM:
        Paint(*reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam));
        Message.Result = 1;
        return;
    case CN_MEASUREITEM: {
        auto mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
        mis->itemWidth = static_cast<UINT>(Width());
        mis->itemHeight = static_cast<UINT>(Height());
        Message.Result = 1;
        return;
    }
    case WM_ERASEBKGND:
        if (!IsSystemPaint()) {
            Message.Result = 1;
            return;
        }
        break;
    case WM_LBUTTONDOWN:
        if (kind_ == cxbkDropDownButton) {
            int x = LOWORD(Message.LParam);
            int y = HIWORD(Message.LParam);
            RECT arrow = ArrowRect();
            if (x >= arrow.left && x < arrow.right && y >= arrow.top && y < arrow.bottom)
                PostDropDownRequest();
        } else if (kind_ == cxbkDropDown && !menuDropped_ && !ignoreNextClick_) {
            PostDropDownRequest();
        }
        if (menuDropped_) {
            // The press that closes the menu must not open it again or click.
            ignoreNextClick_ = true;
            menuDropped_ = false;
            Repaint();
        }
        break;
    case WM_LBUTTONUP:
        dropDownRequest_ = false;
        TButton::WndProc(Message);
        // A click, if the release made one, has used the flag by now; a press
        // dragged off the button made none, and the flag must not outlive it.
        ignoreNextClick_ = false;
        return;
    case WM_LBUTTONDBLCLK:
        // An owner-drawn native button only reports a double click; make it a second press.
        Perform(WM_LBUTTONDOWN, Message.WParam, Message.LParam);
        return;
    case WM_GETDLGCODE:
        TButton::WndProc(Message);
        if (kind_ == cxbkDropDownButton && (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0))
            Message.Result |= DLGC_WANTARROWS;
        return;
    case WM_CAPTURECHANGED:
        TButton::WndProc(Message);
        if (!IsDesigning())
            hot_ = IsHotTrackable() && CursorIsOverMe();
        return;
    case CM_MOUSEENTER:
        TButton::WndProc(Message);
        DoMouseEnter();
        return;
    case CM_MOUSELEAVE:
        TButton::WndProc(Message);
        DoMouseLeave();
        return;
    case CM_ENABLEDCHANGED:
        TButton::WndProc(Message);
        if (!Enabled())
            hot_ = false;
        Invalidate();
        return;
    case CM_FONTCHANGED:
        TButton::WndProc(Message);
        Invalidate();
        return;
    case CM_DROPDOWNPOPUPMENU:
        DropDownPopupMenu();
        return;
    case CM_CLOSEUPPOPUPMENU:
        CloseUpPopupMenu();
        return;
    default:
        break;
    }
    TButton::WndProc(Message);
}
