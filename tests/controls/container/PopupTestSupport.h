// What the popup tests share: rectangles on the screen, and a watchdog that closes
// whatever popup is still open after a while, so that a popup that never closes
// fails its test instead of holding the message loop for ever.
#pragma once

#include "controls/container/cxContainer.h"

#include <vector>

namespace qvtest {

inline RECT WindowRect(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

inline RECT ScreenRect(qv::TControl* c)
{
    POINT p = c->ClientToScreen(POINT{0, 0});
    return qv::Bounds(p.x, p.y, c->Width(), c->Height());
}

class TPopupWatchdog {
public:
    void Start()
    {
        Fired() = false;
        timer_ = SetTimer(nullptr, 0, 5000, Fire);
    }
    // Stops the watchdog; true when it had to close a popup.
    bool Stop()
    {
        KillTimer(nullptr, timer_);
        return Fired();
    }

private:
    static bool& Fired()
    {
        static bool fired = false;
        return fired;
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD)
    {
        Fired() = true;
        for (TcxCustomPopupWindow* popup : std::vector(TcxCustomPopupWindow::OpenPopups()))
            popup->ClosePopup();
    }

    UINT_PTR timer_ = 0;
};

} // namespace qvtest
