#include "controls/container/cxControls.h"

#include <algorithm>
#include <vector>

namespace {

struct Tracked {
    qv::TWinControl* control;
    RECT bounds;
    IcxMouseTrackingCaller* caller;
};

class MouseTracker {
public:
    static MouseTracker& Instance()
    {
        static MouseTracker tracker;
        return tracker;
    }

    void Begin(qv::TWinControl* control, const RECT& bounds, IcxMouseTrackingCaller* caller)
    {
        for (auto& t : tracked_)
            if (t.caller == caller) {
                t.control = control;
                t.bounds = bounds;
                return;
            }
        tracked_.push_back(Tracked{control, bounds, caller});
        if (!wnd_) {
            wnd_ = qv::AllocateHWnd([this](HWND wnd, qv::TMessage& m) {
                if (m.Msg == WM_TIMER)
                    Check();
                else
                    m.Result = DefWindowProcW(wnd, m.Msg, m.WParam, m.LParam);
            });
            SetTimer(wnd_, 1, 10, nullptr);
        }
    }

    void End(IcxMouseTrackingCaller* caller)
    {
        tracked_.erase(std::remove_if(tracked_.begin(), tracked_.end(),
                                      [caller](const Tracked& t) { return t.caller == caller; }),
                       tracked_.end());
        if (tracked_.empty() && wnd_) {
            KillTimer(wnd_, 1);
            qv::DeallocateHWnd(wnd_);
            wnd_ = nullptr;
        }
    }

    bool Has(IcxMouseTrackingCaller* caller) const
    {
        return std::any_of(tracked_.begin(), tracked_.end(), [caller](const Tracked& t) { return t.caller == caller; });
    }

private:
    // Callers run after the list is settled: a callback may begin or end tracking itself.
    void Check()
    {
        POINT p;
        if (!GetCursorPos(&p))
            return;
        HWND under = WindowFromPoint(p);
        std::vector<IcxMouseTrackingCaller*> left;
        for (const auto& t : tracked_) {
            bool inside = PtInRect(&t.bounds, p) != 0;
            bool overControl = t.control && t.control->HandleAllocated()
                && (under == t.control->Handle() || IsChild(t.control->Handle(), under));
            if (!inside || !overControl)
                left.push_back(t.caller);
        }
        for (IcxMouseTrackingCaller* caller : left) {
            if (!Has(caller))
                continue;
            End(caller);
            caller->MouseLeave();
        }
    }

    std::vector<Tracked> tracked_;
    HWND wnd_ = nullptr;
};

} // namespace

void BeginMouseTracking(qv::TWinControl* control, const RECT& bounds, IcxMouseTrackingCaller* caller)
{
    if (caller)
        MouseTracker::Instance().Begin(control, bounds, caller);
}

void EndMouseTracking(IcxMouseTrackingCaller* caller) { MouseTracker::Instance().End(caller); }

bool IsMouseTracking(IcxMouseTrackingCaller* caller) { return MouseTracker::Instance().Has(caller); }

bool IsPopupMenu(qv::TComponent* component)
{
    return dynamic_cast<qv::TPopupMenu*>(component) || dynamic_cast<IcxPopupMenu*>(component);
}

bool ShowPopupMenu(qv::TComponent* popupMenu, int x, int y)
{
    if (auto menu = dynamic_cast<qv::TPopupMenu*>(popupMenu)) {
        if (!menu->AutoPopup())
            return false;
        menu->Popup(x, y);
        return true;
    }
    if (auto menu = dynamic_cast<IcxPopupMenu*>(popupMenu)) {
        menu->Popup(x, y);
        return true;
    }
    return false;
}


// ---------------------------------------------------------------------------

TcxControl::TcxControl(qv::TComponent* AOwner) : qv::TCustomControl(AOwner)
{
    lookAndFeel_ = std::make_unique<TcxLookAndFeel>(this);
    lookAndFeel_->OnChanged = [this](TcxLookAndFeel* ASender, TcxLookAndFeelValues AValues) {
        LookAndFeelChanged(ASender, AValues);
    };
    cxCanvas_ = std::make_unique<TcxCanvas>(&Canvas());
}

TcxControl::~TcxControl()
{
    lookAndFeel_->OnChanged = nullptr;
}

void TcxControl::Paint() { DoPaint(*cxCanvas_); }

void TcxControl::DoPaint(TcxCanvas&) {}

void TcxControl::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) { Invalidate(); }

void TcxControl::MouseEnter(qv::TControl*) {}

void TcxControl::MouseLeave(qv::TControl*) {}

void TcxControl::WndProc(qv::TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        qv::TCustomControl::WndProc(Message);
        FocusChanged();
        return;
    case qv::CM_MOUSEENTER:
        MouseEnter(Message.LParam ? reinterpret_cast<qv::TControl*>(Message.LParam) : this);
        break;
    case qv::CM_MOUSELEAVE:
        MouseLeave(Message.LParam ? reinterpret_cast<qv::TControl*>(Message.LParam) : this);
        break;
    case qv::CM_SYSCOLORCHANGE:
        SysColorChanged();
        break;
    case WM_SETTINGCHANGE:
        qv::TCustomControl::WndProc(Message);
        SettingChanged();
        return;
    default:
        break;
    }
    qv::TCustomControl::WndProc(Message);
}
