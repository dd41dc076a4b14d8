// Services shared by the library's controls: tracking the mouse leaving a control,
// and showing a context menu of either kind the controls accept.
#pragma once

#include "controls/lookandfeel/cxGraphics.h"
#include "controls/lookandfeel/cxLookAndFeels.h"
#include "framework/Controls.h"
#include "framework/Menus.h"

#include <memory>

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
