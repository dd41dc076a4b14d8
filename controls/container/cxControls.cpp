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

void TcxControl::Paint()
{
    cxCanvas_->SetDpi(CurrentDpi());
    DoPaint(*cxCanvas_);
}

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

// ---------------------------------------------------------------------------
// Monitors

namespace {

TcxMonitorFunctions& MonitorFunctions()
{
    static TcxMonitorFunctions functions = [] {
        TcxMonitorFunctions f;
        if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
            f.MonitorFromPoint = reinterpret_cast<decltype(f.MonitorFromPoint)>(
                reinterpret_cast<void (*)()>(GetProcAddress(user, "MonitorFromPoint")));
            f.GetMonitorInfo = reinterpret_cast<decltype(f.GetMonitorInfo)>(
                reinterpret_cast<void (*)()>(GetProcAddress(user, "GetMonitorInfoW")));
        }
        return f;
    }();
    return functions;
}

} // namespace

const TcxMonitorFunctions& GetMonitorFunctions() { return MonitorFunctions(); }

TcxMonitorFunctions SetMonitorFunctions(const TcxMonitorFunctions& AValue)
{
    TcxMonitorFunctions previous = MonitorFunctions();
    MonitorFunctions() = AValue;
    InvalidateMonitorCache();
    return previous;
}

namespace {

// The last monitor asked about: monitors do not overlap, so a point inside its
// bounds has it as the nearest one. (Asking the system costs a round trip to the
// display each time, several of them per opening of a popup.)
struct TMonitorCache {
    bool valid = false;
    RECT bounds{};
    RECT work{};
};

TMonitorCache& MonitorCache()
{
    static TMonitorCache cache;
    return cache;
}

} // namespace

void InvalidateMonitorCache() { MonitorCache().valid = false; }

RECT GetMonitorWorkArea(POINT P)
{
    TMonitorCache& cache = MonitorCache();
    if (cache.valid && PtInRect(&cache.bounds, P))
        return cache.work;
    const TcxMonitorFunctions& f = MonitorFunctions();
    if (f.MonitorFromPoint && f.GetMonitorInfo)
        if (HMONITOR monitor = f.MonitorFromPoint(P, MONITOR_DEFAULTTONEAREST)) {
            MONITORINFO info{};
            info.cbSize = sizeof(info);
            if (f.GetMonitorInfo(monitor, &info)) {
                cache = TMonitorCache{true, info.rcMonitor, info.rcWork};
                return info.rcWork;
            }
        }
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

// ---------------------------------------------------------------------------
// TcxPopupWindow

TcxPopupWindow::TcxPopupWindow(qv::TComponent* AOwner) : qv::TForm(AOwner)
{
    SetBorderStyle(qv::TFormBorderStyle::bsNone);
    SetFormStyle(qv::TFormStyle::fsStayOnTop);
    // A popup is sized around what it shows, which is laid out for the display already.
    SetScaled(false);
    canvas_ = std::make_unique<qv::TControlCanvas>();
    canvas_->SetControl(this);
    cxCanvas_ = std::make_unique<TcxCanvas>(canvas_.get());
}

TcxPopupWindow::~TcxPopupWindow()
{
    canvas_->FreeHandle();
}

void TcxPopupWindow::SetOwnerParent(qv::TControl* Value)
{
    if (Value == ownerParent_)
        return;
    if (ownerParent_)
        ownerParent_->RemoveFreeNotification(this);
    ownerParent_ = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TcxPopupWindow::SetFrameColor(qv::TColor Value)
{
    if (Value == frameColor_)
        return;
    frameColor_ = Value;
    Invalidate();
}

void TcxPopupWindow::SetPopupBorderStyle(TcxPopupBorderStyle Value)
{
    if (Value == popupBorderStyle_)
        return;
    popupBorderStyle_ = Value;
    Invalidate();
}

void TcxPopupWindow::Notification(qv::TComponent* AComponent, qv::TOperation Operation)
{
    qv::TForm::Notification(AComponent, Operation);
    if (Operation == qv::TOperation::opRemove && AComponent == ownerParent_)
        ownerParent_ = nullptr;
}

void TcxPopupWindow::CreateParams(qv::TCreateParams& Params)
{
    qv::TForm::CreateParams(Params);
    Params.ExStyle &= ~static_cast<DWORD>(WS_EX_WINDOWEDGE);
}

RECT TcxPopupWindow::OwnerScreenBounds() const
{
    if (!ownerParent_)
        return ownerBounds_;
    POINT topLeft = ownerParent_->ClientToScreen(POINT{ownerBounds_.left, ownerBounds_.top});
    return qv::Bounds(topLeft.x, topLeft.y, qv::Width(ownerBounds_), qv::Height(ownerBounds_));
}

POINT TcxPopupWindow::CalculatePosition()
{
    const RECT owner = OwnerScreenBounds();
    const int w = Width(), h = Height();
    TcxPopupAlignHorz horz = alignHorz_;
    TcxPopupAlignVert vert = alignVert_;
    POINT p{0, 0};
    if (horz == pahCenter)
        p.x = (owner.left + owner.right - w) / 2;
    if (vert == pavCenter)
        p.y = (owner.top + owner.bottom - h) / 2;
    auto place = [&] {
        if (direction_ == pdVertical) {
            if (horz == pahLeft)
                p.x = owner.left;
            else if (horz == pahRight)
                p.x = owner.right - w;
            if (vert == pavTop)
                p.y = owner.top - h;
            else if (vert == pavBottom)
                p.y = owner.bottom;
        } else {
            if (horz == pahLeft)
                p.x = owner.left - w;
            else if (horz == pahRight)
                p.x = owner.right;
            if (vert == pavTop)
                p.y = owner.top;
            else if (vert == pavBottom)
                p.y = owner.bottom - h;
        }
    };
    place();

    const RECT work = GetMonitorWorkArea(p);
    if (direction_ == pdVertical) {
        const bool moreRoomAbove = work.bottom - owner.bottom < owner.top - work.top;
        if (vert == pavBottom && p.y + h > work.bottom && moreRoomAbove)
            vert = pavTop;
        else if (vert == pavTop && p.y < work.top && !moreRoomAbove)
            vert = pavBottom;
    } else {
        const bool moreRoomLeft = work.right - owner.right < owner.left - work.left;
        if (horz == pahRight && p.x + w > work.right && moreRoomLeft)
            horz = pahLeft;
        else if (horz == pahLeft && p.x < work.left && !moreRoomLeft)
            horz = pahRight;
    }
    place();

    // Both axes, the side the popup opened to included: where neither side has room
    // it overlaps the owner rather than leaving the work area. The top-left corner
    // always stays inside.
    auto clamp = [](LONG& pos, int size, LONG low, LONG high) {
        if (pos + size > high)
            pos = high - size;
        if (pos < low)
            pos = low;
    };
    clamp(p.x, w, work.left, work.right);
    clamp(p.y, h, work.top, work.bottom);
    return p;
}

int TcxPopupWindow::GetBorderWidth(int) const
{
    const int line = qv::LineWidthForDpi(CurrentDpi());
    switch (popupBorderStyle_) {
    case pbsSingle:
    case pbs3D:
        return line;
    case pbsDouble3D:
        return 2 * line;
    default:
        return 0;
    }
}

int TcxPopupWindow::GetBorderSpace(int ASide) const { return GetBorderWidth(ASide) + borderSpace_; }

void TcxPopupWindow::AdjustSize()
{
    const POINT shift{GetBorderSpace(0), GetBorderSpace(1)};
    std::vector<TPlacedChild> placed;
    bool found = false;
    LONG right = 0, bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        qv::TControl* child = Control(i);
        // Aligned children take their bounds from the popup's size, not the other way round.
        if (child->Align() != qv::TAlign::alNone)
            continue;
        RECT r = child->BoundsRect();
        // A child moved here before, and by nobody since, goes back where it was first.
        for (const TPlacedChild& p : placed_)
            if (p.Control == child && p.Bounds == r) {
                r = qv::Offsetted(r, -p.Shift.x, -p.Shift.y);
                break;
            }
        right = found ? std::max(right, r.right) : r.right;
        bottom = found ? std::max(bottom, r.bottom) : r.bottom;
        found = true;
        child->SetBounds(r.left + shift.x, r.top + shift.y, qv::Width(r), qv::Height(r));
        placed.push_back(TPlacedChild{child, child->BoundsRect(), shift});
    }
    placed_ = std::move(placed);
    if (found)
        SetBounds(Left(), Top(), shift.x + right + GetBorderSpace(2), shift.y + bottom + GetBorderSpace(3));
}

void TcxPopupWindow::InitPopupFont()
{
    if (ownerParent_)
        Font().Assign(ownerParent_->Font());
}

void TcxPopupWindow::DrawFrame()
{
    RECT r = ClientRect();
    cxCanvas_->SetDpi(CurrentDpi());
    switch (popupBorderStyle_) {
    case pbsSingle:
        cxCanvas_->FrameSides(r, frameColor_);
        break;
    case pbs3D:
        cxCanvas_->Draw3DEdge(r, false, false);
        break;
    case pbsDouble3D:
        cxCanvas_->Draw3DEdge(r, false, true);
        cxCanvas_->Draw3DEdge(qv::Inflated(r, -cxCanvas_->LineWidth(), -cxCanvas_->LineWidth()), false, false);
        break;
    default:
        break;
    }
}

void TcxPopupWindow::ClosePopup() { Hide(); }

void TcxPopupWindow::Popup()
{
    InitPopupFont();
    if (adjustable_)
        AdjustSize();
    POINT p = CalculatePosition();
    SetBounds(p.x, p.y, Width(), Height());
    Show();
}

void TcxPopupWindow::WndProc(qv::TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CREATE:
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
        // Monitors may have come, gone or moved their work areas since they were last asked about.
        InvalidateMonitorCache();
        break;
    case WM_PAINT: {
        // The canvas lets go of the context, and the paint ends, however drawing ends.
        struct PaintScope {
            HWND wnd;
            qv::TControlCanvas& canvas;
            PAINTSTRUCT ps{};
            HDC dc;
            PaintScope(HWND w, qv::TControlCanvas& c) : wnd(w), canvas(c), dc(BeginPaint(w, &ps))
            {
                qv::NoteDCAcquired();
                canvas.BindDC(dc);
            }
            ~PaintScope()
            {
                canvas.FreeHandle();
                qv::NoteDCReleased();
                EndPaint(wnd, &ps);
            }
        } scope(Handle(), *canvas_);
        PaintWindow(scope.dc);
        DrawFrame();
        Message.Result = 0;
        return;
    }
    case WM_ACTIVATE:
        // The window the popup took the activation from keeps its active title bar.
        if (LOWORD(Message.WParam) != WA_INACTIVE) {
            HWND previous = reinterpret_cast<HWND>(Message.LParam);
            if (previous && previous != Handle()) {
                prevActiveWindow_ = previous;
                SendMessageW(previous, WM_NCACTIVATE, TRUE, 0);
            }
        }
        break;
    case WM_SIZE:
        // The frame follows the edges.
        Invalidate();
        break;
    case WM_ACTIVATEAPP:
        if (!Message.WParam) {
            if (prevActiveWindow_ && IsWindow(prevActiveWindow_))
                SendMessageW(prevActiveWindow_, WM_NCACTIVATE, FALSE, 0);
            ClosePopup();
        }
        break;
    default:
        break;
    }
    qv::TForm::WndProc(Message);
}
