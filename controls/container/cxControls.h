// Services shared by the library's controls: tracking the mouse leaving a control,
// and showing a context menu of either kind the controls accept.
#pragma once

#include "framework/Controls.h"
#include "framework/Menus.h"

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

