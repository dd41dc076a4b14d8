// The library's push button: a native button that either lets the system draw it or
// draws itself through the painter of its look-and-feel, with per-state colours, a
// glyph laid out against the caption, hot tracking and two drop-down kinds.
#pragma once

#include "controls/container/cxControls.h"
#include "controls/lookandfeel/cxGraphics.h"
#include "controls/lookandfeel/cxLookAndFeelPainters.h"
#include "controls/lookandfeel/cxLookAndFeels.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

#include <array>
#include <memory>

enum TcxButtonKind { cxbkStandard, cxbkDropDown, cxbkDropDownButton };

// A set of button states, one bit per TcxButtonState.
using TcxButtonAssignedColors = qv::TSet<TcxButtonState, std::uint8_t>;

// Posted by the button to itself: open the drop-down menu, and the menu has closed.
inline constexpr UINT CM_DROPDOWNPOPUPMENU = WM_APP + 300;
inline constexpr UINT CM_CLOSEUPPOPUPMENU = WM_APP + 301;

// The width of a cxbkDropDownButton's arrow part, at its right edge.
inline constexpr int cxDropDownButtonWidth = 15;

class TcxCustomButton;

// The background colour of each state; clDefault leaves it to the painter.
class TcxButtonColors : public qv::TPersistent {
public:
    explicit TcxButtonColors(TcxCustomButton* AButton);

    TcxButtonAssignedColors AssignedColors() const { return assigned_; }
    // Acts only while the form is being designed.
    void SetAssignedColors(TcxButtonAssignedColors Value);

    qv::TColor Color(TcxButtonState AState) const { return colors_[AState]; }
    // clNone and clDefault both mean "the painter's colour": stored as clDefault and unassigned.
    void SetColor(TcxButtonState AState, qv::TColor Value);

    qv::TColor Default() const { return Color(cxbsDefault); }
    qv::TColor Normal() const { return Color(cxbsNormal); }
    qv::TColor Hot() const { return Color(cxbsHot); }
    qv::TColor Pressed() const { return Color(cxbsPressed); }
    qv::TColor Disabled() const { return Color(cxbsDisabled); }
    void SetDefault(qv::TColor Value) { SetColor(cxbsDefault, Value); }
    void SetNormal(qv::TColor Value) { SetColor(cxbsNormal, Value); }
    void SetHot(qv::TColor Value) { SetColor(cxbsHot, Value); }
    void SetPressed(qv::TColor Value) { SetColor(cxbsPressed, Value); }
    void SetDisabled(qv::TColor Value) { SetColor(cxbsDisabled, Value); }

    // A colour is written to a form file only when it is assigned.
    bool IsColorStored(TcxButtonState AState) const { return assigned_.Contains(AState); }

    void Assign(const qv::TPersistent* Source) override;

private:
    void Changed();

    TcxCustomButton* button_;
    TcxButtonAssignedColors assigned_;
    std::array<qv::TColor, 5> colors_;
};

// The glyph bitmap of a button, its state images, and the layout of glyph and caption.
class TcxButtonGlyph : public qv::TObject {
public:
    TcxButtonGlyph();

    qv::TBitmap& Glyph() { return glyph_; }
    // Takes a copy of the bitmap.
    void SetGlyph(const qv::TBitmap& Value);
    bool IsEmpty() const { return glyph_.Empty(); }
    int NumGlyphs() const { return numGlyphs_; }
    // 0 is ignored.
    void SetNumGlyphs(int Value);
    // The image of a state, built on first use (a disabled image is made when the bitmap has none).
    qv::TBitmap* PrepareImage(TcxButtonState AState);
    SIZE ImageSize() const;

    // Places glyph and caption in R shifted by AOffset and draws both on ACanvas.
    // Returns the rectangle the caption took.
    RECT Draw(qv::TCanvas& ACanvas, const RECT& R, POINT AOffset, const std::wstring& ACaption,
              qv::TButtonLayout ALayout, int AMargin, int ASpacing, TcxButtonState AState, UINT ABiDiFlags);
    // Where glyph and caption go in R (exposed for layout tests).
    void CalcLayout(qv::TCanvas& ACanvas, const RECT& R, POINT AOffset, const std::wstring& ACaption,
                    qv::TButtonLayout ALayout, int AMargin, int ASpacing, UINT ABiDiFlags, POINT& AGlyphPos,
                    RECT& ATextBounds);

    qv::TNotifyEvent OnChange;

private:
    void Invalidate();

    qv::TBitmap glyph_;
    int numGlyphs_ = 1;
    std::array<std::unique_ptr<qv::TBitmap>, 5> images_;
};

using TcxButtonGetDrawParamsEvent =
    std::function<void(TcxCustomButton* Sender, TcxButtonState AState, qv::TColor& AColor, qv::TFont& AFont)>;

class TcxCustomButton : public qv::TButton, public IcxMouseTrackingCaller {
public:
    explicit TcxCustomButton(qv::TComponent* AOwner);
    ~TcxCustomButton() override;

    TcxButtonColors& Colors() { return *colors_; }
    void SetColors(const TcxButtonColors& Value) { colors_->Assign(&Value); }
    qv::TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(qv::TPopupMenu* Value);
    qv::TBitmap& Glyph() { return glyph_->Glyph(); }
    void SetGlyph(const qv::TBitmap& Value);
    TcxButtonKind Kind() const { return kind_; }
    void SetKind(TcxButtonKind Value);
    qv::TButtonLayout Layout() const { return layout_; }
    void SetLayout(qv::TButtonLayout Value);
    TcxLookAndFeel& LookAndFeel() { return *lookAndFeel_; }
    void SetLookAndFeel(const TcxLookAndFeel& Value) { lookAndFeel_->Assign(&Value); }
    int Margin() const { return margin_; }
    // Values below -1 (and the current one) are ignored.
    void SetMargin(int Value);
    qv::TNumGlyphs NumGlyphs() const { return glyph_->NumGlyphs(); }
    // Values above 4 become 4.
    void SetNumGlyphs(qv::TNumGlyphs Value);
    // A TPopupMenu or a component with the library's popup-menu interface; anything else is nil.
    qv::TComponent* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(qv::TComponent* Value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int Value);
    bool UseSystemPaint() const { return useSystemPaint_; }
    void SetUseSystemPaint(bool Value);

    TcxButtonGetDrawParamsEvent OnGetDrawParams;

    // The painter every drawing call goes to.
    virtual TcxLookAndFeelPainterClass GetPainterClass();
    // Whether the system draws the button (an ordinary native push button).
    virtual bool IsSystemPaint();
    // Owner-drawn, hot tracking painter, enabled.
    bool IsHotTrackable();

    bool IsHot() const { return hot_; }
    bool IsMenuDropped() const { return menuDropped_; }
    bool IsDefaultActive() const { return isDefault_; }
    // The state the last paint drew.
    TcxButtonState LastPaintState() const { return lastState_; }
    // The canvas the painters draw on; bound to a device context only while painting.
    const qv::TControlCanvas& ControlCanvas() const { return *controlCanvas_; }

    void Click() override;
    void WndProc(qv::TMessage& Message) override;

    // IcxMouseTrackingCaller
    void MouseLeave() override;

protected:
    void CreateParams(qv::TCreateParams& Params) override;
    void CreateHandle() override;
    void SetButtonStyle(bool ADefault) override;
    void Notification(qv::TComponent* AComponent, qv::TOperation Operation) override;
    void KeyDown(WORD& Key, qv::TShiftState Shift) override;
    void MouseMove(qv::TShiftState Shift, int X, int Y) override;
    void DoContextPopup(POINT MousePos, bool& Handled) override;
    // Shows the finished picture: one copy of the off-screen buffer onto the
    // owner-draw context, over ABounds.
    virtual void DrawBuffer(HDC ADC, const RECT& ABounds, qv::TCanvas& ABuffer);

private:
    void Paint(const DRAWITEMSTRUCT& ADrawItem);
    void PostDropDownRequest();
    void DropDownPopupMenu();
    void CloseUpPopupMenu();
    void DoMouseEnter();
    void DoMouseLeave();
    bool CursorIsOverMe();
    void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
    int EstimatedMenuHeight();
    RECT ArrowRect() const;

    std::unique_ptr<TcxCanvas> canvas_;
    std::unique_ptr<TcxButtonColors> colors_;
    std::unique_ptr<qv::TControlCanvas> controlCanvas_;
    bool dropDownRequest_ = false;
    // A request message is on its way; the click that follows a press must not post another.
    bool requestPosted_ = false;
    qv::TPopupMenu* dropDownMenu_ = nullptr;
    bool isDefault_ = false;
    bool ignoreNextClick_ = false;
    TcxButtonKind kind_ = cxbkStandard;
    std::unique_ptr<TcxLookAndFeel> lookAndFeel_;
    bool useSystemPaint_ = true;
    std::unique_ptr<TcxButtonGlyph> glyph_;
    qv::TButtonLayout layout_ = qv::blGlyphLeft;
    int margin_ = -1;
    bool menuDropped_ = false;
    bool hot_ = false;
    int spacing_ = 4;
    TcxButtonState lastState_ = cxbsNormal;
    // The button is drawn here first, so that a repaint never shows half a picture.
    qv::TBitmap buffer_;
    // Expires when the button is destroyed: code that runs after a menu's handlers
    // checks it before touching the button again.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// The button as forms use it; all behaviour is the custom button's.
class TcxButton : public TcxCustomButton {
public:
    using TcxCustomButton::TcxCustomButton;
};
