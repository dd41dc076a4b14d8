// Services shared by the library's controls: tracking the mouse leaving a control,
// and showing a context menu of either kind the controls accept.
#pragma once

#include "controls/lookandfeel/cxGraphics.h"
#include "controls/lookandfeel/cxLookAndFeels.h"
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"

#include <memory>
#include <vector>

// Told once when the mouse has left the rectangle it was tracked over.
class IcxMouseTrackingCaller {
public:
    virtual void MouseLeave() = 0;

protected:
    ~IcxMouseTrackingCaller() = default;
};

// Watches the cursor every 10 ms; once it is outside bounds (screen coordinates) or
// over another window than control's, the caller's MouseLeave runs and tracking ends.
// A caller is tracked at most once: beginning again replaces its rectangle.
void BeginMouseTracking(qv::TWinControl* control, const RECT& bounds, IcxMouseTrackingCaller* caller);
void EndMouseTracking(IcxMouseTrackingCaller* caller);
bool IsMouseTracking(IcxMouseTrackingCaller* caller);

// A popup menu of the library's own kind: any component that can show itself at a point.
class IcxPopupMenu {
public:
    virtual void Popup(int x, int y) = 0;

protected:
    ~IcxPopupMenu() = default;
};

// Whether a component can serve as a control's context menu.
bool IsPopupMenu(qv::TComponent* component);

// Shows popupMenu at (x, y) in screen coordinates; true when a menu was shown. A
// framework popup menu is shown only when its AutoPopup is set.
bool ShowPopupMenu(qv::TComponent* popupMenu, int x, int y);


// The library's windowed-control base: it paints on a library canvas, owns a
// look-and-feel (which may take a master) and repaints when it changes, and turns
// focus, mouse-enter/leave and system colour or settings changes into overridable
// notifications.
class TcxControl : public qv::TCustomControl {
public:
    explicit TcxControl(qv::TComponent* AOwner);
    ~TcxControl() override;

    TcxLookAndFeel& LookAndFeel() { return *lookAndFeel_; }
    void SetLookAndFeel(const TcxLookAndFeel& Value) { lookAndFeel_->Assign(&Value); }
    // The library canvas over the control's canvas (bound while painting).
    TcxCanvas& cxCanvas() { return *cxCanvas_; }

    void WndProc(qv::TMessage& Message) override;

protected:
    void Paint() override;
    // Library drawing; the canvas is bound to the paint's device context.
    virtual void DoPaint(TcxCanvas& ACanvas);
    // The look-and-feel (or its master chain) changed: repaint by default.
    virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
    // The control's window gained or lost the focus.
    virtual void FocusChanged() {}
    // The mouse entered or left AControl (this control or one of its children).
    virtual void MouseEnter(qv::TControl* AControl);
    virtual void MouseLeave(qv::TControl* AControl);
    // The system colours or the system's settings changed.
    virtual void SysColorChanged() { Invalidate(); }
    virtual void SettingChanged() {}

private:
    std::unique_ptr<TcxLookAndFeel> lookAndFeel_;
    std::unique_ptr<TcxCanvas> cxCanvas_;
};


// ---------------------------------------------------------------------------
// Popup windows

enum TcxPopupAlignHorz { pahLeft, pahCenter, pahRight };
enum TcxPopupAlignVert { pavTop, pavCenter, pavBottom };
// Vertical: above or below the owner rectangle; horizontal: to its left or right.
enum TcxPopupDirection { pdHorizontal, pdVertical };
enum TcxPopupBorderStyle { pbsNone, pbsSingle, pbs3D, pbsDouble3D };

// The multi-monitor calls of the user-interface library, looked up when first
// needed; either may be missing on a system without them.
struct TcxMonitorFunctions {
    HMONITOR(WINAPI* MonitorFromPoint)(POINT, DWORD) = nullptr;
    BOOL(WINAPI* GetMonitorInfo)(HMONITOR, LPMONITORINFO) = nullptr;
};
const TcxMonitorFunctions& GetMonitorFunctions();
// Puts other calls in their place (tests stand in for monitors so); returns the previous ones.
TcxMonitorFunctions SetMonitorFunctions(const TcxMonitorFunctions& AValue);
// The work area of the monitor nearest to P; the desktop's when the calls are
// missing or fail.
RECT GetMonitorWorkArea(POINT P);
// The monitors or their work areas changed (display or settings change).
void InvalidateMonitorCache();

// A borderless stay-on-top form that sizes itself around its children, places
// itself against an owner rectangle on a preferred side, goes to the other side
// when there is no room, and keeps inside the work area of its monitor.
class TcxPopupWindow : public qv::TForm {
public:
    explicit TcxPopupWindow(qv::TComponent* AOwner);
    ~TcxPopupWindow() override;

    // Size the window around its children before showing.
    bool Adjustable() const { return adjustable_; }
    void SetAdjustable(bool Value) { adjustable_ = Value; }
    TcxPopupAlignHorz AlignHorz() const { return alignHorz_; }
    void SetAlignHorz(TcxPopupAlignHorz Value) { alignHorz_ = Value; }
    TcxPopupAlignVert AlignVert() const { return alignVert_; }
    void SetAlignVert(TcxPopupAlignVert Value) { alignVert_ = Value; }
    TcxPopupDirection Direction() const { return direction_; }
    void SetDirection(TcxPopupDirection Value) { direction_ = Value; }
    // The rectangle to place against, in the client coordinates of OwnerParent
    // (of the screen without one).
    const RECT& OwnerBounds() const { return ownerBounds_; }
    void SetOwnerBounds(const RECT& Value) { ownerBounds_ = Value; }
    // Its font becomes the popup's.
    qv::TControl* OwnerParent() const { return ownerParent_; }
    void SetOwnerParent(qv::TControl* Value);
    qv::TColor FrameColor() const { return frameColor_; }
    void SetFrameColor(qv::TColor Value);
    // The frame drawn inside the window (the form itself has no border).
    TcxPopupBorderStyle PopupBorderStyle() const { return popupBorderStyle_; }
    void SetPopupBorderStyle(TcxPopupBorderStyle Value);
    // Extra pixels between the frame and the children on every side.
    int BorderSpace() const { return borderSpace_; }
    void SetBorderSpace(int Value) { borderSpace_ = Value; }
    // The window that was active when the popup was activated.
    HWND PrevActiveWindow() const { return prevActiveWindow_; }
    // Draws on the window (outside a paint too).
    TcxCanvas& cxCanvas() { return *cxCanvas_; }

    // The top-left corner in screen coordinates for the current size.
    virtual POINT CalculatePosition();
    // Sizes the window around its children and moves them inside the border space.
    virtual void AdjustSize();
    // Side 0 left, 1 top, 2 right, 3 bottom.
    virtual int GetBorderSpace(int ASide) const;
    virtual int GetBorderWidth(int ASide) const;
    // Takes the owner parent's font.
    virtual void InitPopupFont();
    virtual void DrawFrame();
    virtual void ClosePopup();
    virtual void Popup();

    void WndProc(qv::TMessage& Message) override;

protected:
    void CreateParams(qv::TCreateParams& Params) override;
    void Notification(qv::TComponent* AComponent, qv::TOperation Operation) override;
    // Paints the client area of a WM_PAINT; the frame is drawn after it.
    void PaintWindow(HDC) override {}
    // The owner rectangle on the screen.
    RECT OwnerScreenBounds() const;

private:
    // Where AdjustSize put a child, so that opening again does not move it twice.
    struct TPlacedChild {
        qv::TControl* Control;
        RECT Bounds;
        POINT Shift;
    };

    bool adjustable_ = true;
    TcxPopupAlignHorz alignHorz_ = pahLeft;
    TcxPopupAlignVert alignVert_ = pavBottom;
    TcxPopupDirection direction_ = pdVertical;
    RECT ownerBounds_{};
    qv::TControl* ownerParent_ = nullptr;
    qv::TColor frameColor_ = qv::clWindowText;
    TcxPopupBorderStyle popupBorderStyle_ = pbsNone;
    int borderSpace_ = 0;
    HWND prevActiveWindow_ = nullptr;
    std::unique_ptr<qv::TControlCanvas> canvas_;
    std::unique_ptr<TcxCanvas> cxCanvas_;
    std::vector<TPlacedChild> placed_;
};
