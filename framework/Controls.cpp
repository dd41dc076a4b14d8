#include "framework/Controls.h"

#include "framework/Dpi.h"

#include "framework/Exceptions.h"
#include "framework/Forms.h"

#include <algorithm>
#include <unordered_map>
#include <map>

namespace qv {

namespace {

// The control of each window the framework made, for the window procedure: every
// message asks for it, and a window property costs a trip to the window server.
std::unordered_map<HWND, TWinControl*>& ControlsByHandle()
{
    static std::unordered_map<HWND, TWinControl*> controls;
    return controls;
}

thread_local TWinControl* t_creating = nullptr;

// Native procedures of the system classes the framework's classes are built on.
std::map<std::wstring, WNDPROC>& SuperclassProcs()
{
    static std::map<std::wstring, WNDPROC> procs;
    return procs;
}

int g_nextAutoId = 0x4000;

} // namespace

LRESULT CALLBACK FrameworkWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

bool IsKeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

bool IsWindowOrChild(HWND parent, HWND wnd)
{
    return parent && wnd && (wnd == parent || IsChild(parent, wnd));
}

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData)
{
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (keyData & (1 << 29)) s |= ssAlt;
    return s;
}

// ---------------------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner)
{
    SetWindowProc(nullptr);
    font_.OnChange = [this](TObject*) {
        if (!syncingFont_)
            parentFont_ = false;
        Perform(CM_FONTCHANGED);
    };
}

TControl::~TControl()
{
    if (parent_)
        parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent == this)
        throw Exception(L"A control cannot have itself as its parent");
    // A child window that goes from one parent window to another keeps its window.
    auto win = dynamic_cast<TWinControl*>(this);
    struct MoveScope {
        TWinControl* win;
        ~MoveScope()
        {
            if (win)
                win->movingWindow_ = false;
        }
    } move{win && win->CanMoveWindowTo(parent) ? win : nullptr};
    if (move.win)
        move.win->movingWindow_ = true;
    if (parent_)
        parent_->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged();
}

int TControl::CurrentDpi() const
{
    const TCustomForm* form = GetParentForm();
    return form ? form->Dpi() : kDesignDpi;
}

void TControl::ChangeScale(int toDpi, int fromDpi)
{
    if (toDpi == fromDpi)
        return;
    SetBounds(RescaleDpi(left_, toDpi, fromDpi), RescaleDpi(top_, toDpi, fromDpi), RescaleDpi(width_, toDpi, fromDpi),
              RescaleDpi(height_, toDpi, fromDpi));
    if (!parentFont_)
        font_.SetHeight(RescaleDpi(font_.Height(), toDpi, fromDpi));
}

POINT TControl::ClientToScreen(POINT p) const
{
    POINT origin{left_, top_};
    if (auto w = dynamic_cast<const TWinControl*>(this); w && w->HandleAllocated()) {
        origin = {0, 0};
        ::ClientToScreen(const_cast<TWinControl*>(w)->Handle(), &origin);
    } else if (parent_) {
        origin = parent_->ClientToScreen(origin);
    }
    return POINT{p.x + origin.x, p.y + origin.y};
}

POINT TControl::ScreenToClient(POINT p) const
{
    POINT origin = ClientToScreen(POINT{0, 0});
    return POINT{p.x - origin.x, p.y - origin.y};
}

void TControl::SetVisible(bool value)
{
    if (value == visible_)
        return;
    visible_ = value;
    VisibleChanged();
    Perform(CM_VISIBLECHANGED, value ? 1 : 0);
}

void TControl::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetName(const std::wstring& name)
{
    bool follow = (controlStyle_ & csSetCaption) && Text() == Name();
    TComponent::SetName(name);
    if (follow)
        SetText(name);
}

HCURSOR CursorHandleOf(TCursor cursor)
{
    switch (cursor) {
    case crArrow: return LoadCursorW(nullptr, IDC_ARROW);
    case crIBeam: return LoadCursorW(nullptr, IDC_IBEAM);
    case crHourGlass: return LoadCursorW(nullptr, IDC_WAIT);
    default: return nullptr;
    }
}

void TControl::SetCursor(TCursor value)
{
    if (value == cursor_)
        return;
    cursor_ = value;
    CursorChanged();
}

void TControl::SetDragMode(TDragMode value)
{
    if (value == dragMode_)
        return;
    dragMode_ = value;
    DragModeChanged();
}

void TControl::SetParentFont(bool value)
{
    if (value == parentFont_)
        return;
    parentFont_ = value;
    if (value)
        TakeParentFont();
}

void TControl::TakeParentFont()
{
    if (!parent_)
        return;
    syncingFont_ = true;
    font_.Assign(parent_->Font());
    syncingFont_ = false;
}

void TControl::SetColor(TColor value)
{
    parentColor_ = false;
    if (value == color_)
        return;
    color_ = value;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value)
{
    if (value == parentColor_)
        return;
    parentColor_ = value;
    if (value)
        TakeParentColor();
}

void TControl::TakeParentColor()
{
    if (!parent_ || parent_->Color() == color_)
        return;
    color_ = parent_->Color();
    Perform(CM_COLORCHANGED);
}

std::wstring TControl::Text() const { return text_; }

void TControl::SetText(const std::wstring& value)
{
    if (value == text_)
        return;
    text_ = value;
    Perform(CM_TEXTCHANGED);
}

void TControl::SetAlign(TAlign value)
{
    if (value == align_)
        return;
    align_ = value;
    if (parent_)
        parent_->Realign();
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    Dispatch(m);
    return m.Result;
}

void TControl::SetWindowProc(TWndMethod value)
{
    if (value)
        windowProc_ = std::move(value);
    else
        windowProc_ = [this](TMessage& m) { HostedWndProc(m); };
}

void TControl::HostedWndProc(TMessage& m)
{
    // Kept: the control's handling may destroy the control (not its host).
    IMessageHost* host = messageHost_;
    if (host && host->InnerMessage(m, TMessagePhase::mpBefore))
        return;
    WndProc(m);
    if (host)
        host->InnerMessage(m, TMessagePhase::mpAfter);
}

void TControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_ENABLEDCHANGED:
        EnabledChanged();
        break;
    case CM_FONTCHANGED:
        FontChanged();
        break;
    case CM_COLORCHANGED:
        ColorChanged();
        break;
    case CM_TEXTCHANGED:
        TextChanged();
        break;
    case CM_PARENTFONTCHANGED:
        if (parentFont_)
            TakeParentFont();
        break;
    case CM_PARENTCOLORCHANGED:
        if (parentColor_)
            TakeParentColor();
        break;
    default:
        break;
    }
    DefaultHandler(m);
}

void TControl::DefaultHandler(TMessage&) {}

TCustomForm* TControl::GetParentForm() const
{
    const TControl* c = this;
    while (c->parent_)
        c = c->parent_;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::DoContextPopup(POINT mousePos, bool& handled)
{
    if (OnContextPopup)
        OnContextPopup(this, mousePos, handled);
}

void TControl::FontChanged() { Invalidate(); }
void TControl::ColorChanged() { Invalidate(); }
void TControl::EnabledChanged() { Invalidate(); }

// ---------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    Destroying();
    // Children go with their parent, as their windows do.
    while (!controls_.empty()) {
        TControl* child = controls_.back();
        delete child;  // removes itself from controls_
    }
    if (handle_) {
        HWND wnd = handle_;
        Detach();
        DestroyWindow(wnd);
    }
}

TWinControl* TWinControl::FindControl(HWND wnd)
{
    if (!wnd)
        return nullptr;
    const auto& controls = ControlsByHandle();
    const auto it = controls.find(wnd);
    return it != controls.end() && it->second->handle_ == wnd ? it->second : nullptr;
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded()
{
    if (handle_)
        return;
    if (Parent())
        Parent()->HandleNeeded();
    if (!handle_)
        CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& p)
{
    p.Caption = text_;
    p.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Visible())
        p.Style |= WS_VISIBLE;
    if (!Enabled())
        p.Style |= WS_DISABLED;
    if (tabStop_)
        p.Style |= WS_TABSTOP;
    p.X = left_;
    p.Y = top_;
    p.Width = width_;
    p.Height = height_;
    p.WndParent = Parent() ? Parent()->Handle() : nullptr;
    p.WinClassName = L"QvWinControl";
}

void TWinControl::CreateWnd()
{
    TCreateParams p;
    CreateParams(p);
    if ((p.Style & WS_CHILD) && !p.WndParent)
        throw Exception(L"Control '" + Name() + L"' has no parent window");

    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(inst, p.WinClassName.c_str(), &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        WNDPROC sysProc = DefWindowProcW;
        if (!p.SysClassName.empty()) {
            WNDCLASSEXW sys{};
            sys.cbSize = sizeof(sys);
            if (!GetClassInfoExW(nullptr, p.SysClassName.c_str(), &sys))
                throw Exception(L"Unknown window class " + p.SysClassName);
            wc = sys;
            wc.cbSize = sizeof(wc);
            wc.style &= ~p.ClassStyleRemoved;
            sysProc = sys.lpfnWndProc;
        } else {
            wc.style = p.ClassStyle;
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = p.Background;
        }
        wc.hInstance = inst;
        wc.lpfnWndProc = FrameworkWndProc;
        wc.lpszClassName = p.WinClassName.c_str();
        wc.hIconSm = nullptr;
        if (!RegisterClassExW(&wc))
            throw Exception(L"Cannot register window class " + p.WinClassName);
        SuperclassProcs()[p.WinClassName] = sysProc;
    }
    defWndProc_ = SuperclassProcs()[p.WinClassName];
    if (!defWndProc_)
        defWndProc_ = DefWindowProcW;

    if ((p.Style & WS_CHILD) && controlId_ == 0)
        controlId_ = g_nextAutoId++;

    TWinControl* previous = t_creating;
    t_creating = this;
    try {
        CreateWindowHandle(p);
    } catch (...) {
        t_creating = previous;
        throw;
    }
    t_creating = previous;
    if (!handle_)
        throw Exception(L"Error creating window (" + std::to_wstring(GetLastError()) + L")");

    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    CreateHandle();
    for (TControl* c : controls_)
        if (auto w = dynamic_cast<TWinControl*>(c))
            w->HandleNeeded();
    UpdateTabOrderZ();
    Realign();
}

void TWinControl::CreateWindowHandle(const TCreateParams& p)
{
    HMENU menu = (p.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId_)) : nullptr;
    HWND wnd = CreateWindowExW(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width,
                               p.Height, p.WndParent, menu, GetModuleHandleW(nullptr), nullptr);
    if (wnd && !handle_)
        Attach(wnd);
}

void TWinControl::CreateHandle() {}

void TWinControl::DestroyWnd()
{
    if (!handle_)
        return;
    text_ = Text();
    for (TControl* c : controls_)
        if (auto w = dynamic_cast<TWinControl*>(c))
            w->DestroyWnd();
    HWND wnd = handle_;
    DestroyWindow(wnd);
    if (handle_ == wnd)
        Detach();
}

void TWinControl::RecreateWnd()
{
    if (!handle_ || recreating_)
        return;
    recreating_ = true;
    bool hadFocus = Focused();
    DestroyWnd();
    try {
        HandleNeeded();
    } catch (...) {
        recreating_ = false;
        throw;
    }
    recreating_ = false;
    if (hadFocus && handle_)
        ::SetFocus(handle_);
}

void TWinControl::Attach(HWND wnd)
{
    handle_ = wnd;
    ControlsByHandle()[wnd] = this;
}

void TWinControl::Detach()
{
    if (handle_) {
        ControlsByHandle().erase(handle_);
        if (defWndProc_ && defWndProc_ != DefWindowProcW) {
            // Messages that still arrive (WM_NCDESTROY) go to the native procedure directly.
            SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defWndProc_));
        }
    }
    handle_ = nullptr;
}

bool TWinControl::CanMoveWindowTo(const TWinControl* parent) const
{
    if (!handle_ || recreating_ || IsDestroying() || !parent || !parent->handle_ || parent->IsDestroying())
        return false;
    const TWinControl* old = Parent();
    if (!old || !old->handle_ || old->IsDestroying() || ::GetParent(handle_) != old->handle_
        || !(GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD))
        return false;
    // A window that holds the focus is made anew, as before: the focus does not travel with it.
    HWND focus = GetFocus();
    return !focus || (focus != handle_ && !IsChild(handle_, focus));
}

void TWinControl::InsertControl(TControl* control)
{
    if (!control || std::find(controls_.begin(), controls_.end(), control) != controls_.end())
        return;
    controls_.push_back(control);
    control->parent_ = this;
    auto win = dynamic_cast<TWinControl*>(control);
    if (win)
        tabList_.push_back(win);
    if (control->parentFont_)
        control->TakeParentFont();
    if (control->parentColor_)
        control->TakeParentColor();
    if (win && handle_) {
        if (win->movingWindow_ && win->handle_)
            ::SetParent(win->handle_, handle_);
        win->HandleNeeded();
        UpdateTabOrderZ();
    }
    Realign();
}

void TWinControl::RemoveControl(TControl* control)
{
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end())
        return;
    if (auto win = dynamic_cast<TWinControl*>(control)) {
        if (win->handle_ && !IsDestroying() && !win->movingWindow_)
            win->DestroyWnd();
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), win), tabList_.end());
    }
    controls_.erase(it);
    control->parent_ = nullptr;
    if (!IsDestroying())
        Realign();
}

int TWinControl::TabOrder() const
{
    if (!Parent())
        return -1;
    const auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value)
{
    TWinControl* p = Parent();
    if (!p)
        return;
    auto& list = p->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    value = std::clamp(value, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + value, this);
    p->UpdateTabOrderZ();
}

void TWinControl::SetTabStop(bool value)
{
    if (value == tabStop_)
        return;
    tabStop_ = value;
    if (handle_) {
        LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
        style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrW(handle_, GWL_STYLE, style);
    }
}

// The dialog manager walks siblings in Z order; keep that order the tab order.
void TWinControl::UpdateTabOrderZ()
{
    if (!handle_)
        return;
    HWND after = HWND_TOP;
    for (TWinControl* c : tabList_) {
        if (!c->handle_)
            continue;
        // Windows already in place stay untouched (no position change, no messages).
        const HWND next = after == HWND_TOP ? GetWindow(handle_, GW_CHILD) : GetWindow(after, GW_HWNDNEXT);
        if (next != c->handle_)
            SetWindowPos(c->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        after = c->handle_;
    }
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

void TWinControl::SetFocus()
{
    if (TCustomForm* form = GetParentForm(); form && form != this)
        form->FocusControl(this);
    else
        ::SetFocus(Handle());
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    bool changed = left != left_ || top != top_ || width != width_ || height != height_;
    TControl::SetBounds(left, top, width, height);
    if (changed && handle_ && !settingBounds_) {
        settingBounds_ = true;
        SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
        settingBounds_ = false;
    }
}

void TWinControl::ChangeScale(int toDpi, int fromDpi)
{
    if (toDpi == fromDpi)
        return;
    TControl::ChangeScale(toDpi, fromDpi);
    for (TControl* c : std::vector<TControl*>(controls_))
        c->ChangeScale(toDpi, fromDpi);
}

void TWinControl::BoundsChanged()
{
    if (Parent() && Align() != TAlign::alNone)
        Parent()->Realign();
}

RECT TWinControl::ClientRect() const
{
    if (handle_) {
        RECT r;
        GetClientRect(handle_, &r);
        return r;
    }
    return TControl::ClientRect();
}

void TWinControl::UpdateBoundsFromWindow()
{
    if (!handle_ || settingBounds_)
        return;
    RECT r;
    GetWindowRect(handle_, &r);
    if (HWND parent = GetParent(handle_); parent && (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    settingBounds_ = true;
    TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    settingBounds_ = false;
}

void TWinControl::SetVisible(bool value)
{
    if (value == Visible())
        return;
    TControl::SetVisible(value);
    if (handle_)
        ShowWindow(handle_, value ? SW_SHOWNA : SW_HIDE);
    if (Parent() && Align() != TAlign::alNone)
        Parent()->Realign();
}

void TWinControl::EnabledChanged()
{
    if (handle_ && (IsWindowEnabled(handle_) != 0) != Enabled())
        EnableWindow(handle_, Enabled());
    TControl::EnabledChanged();
}

std::wstring TWinControl::Text() const
{
    if (!handle_)
        return text_;
    int len = GetWindowTextLengthW(handle_);
    std::wstring s(static_cast<size_t>(len) + 1, L'\0');
    int got = GetWindowTextW(handle_, s.data(), len + 1);
    s.resize(static_cast<size_t>(std::max(got, 0)));
    return s;
}

void TWinControl::SetText(const std::wstring& value)
{
    if (handle_) {
        if (Text() == value)
            return;
        text_ = value;
        SetWindowTextW(handle_, value.c_str());
        Perform(CM_TEXTCHANGED);
        return;
    }
    TControl::SetText(value);
}

void TWinControl::Invalidate()
{
    if (handle_)
        InvalidateRect(handle_, nullptr, !(ControlStyle() & csOpaque));
}

void TWinControl::Update()
{
    if (handle_)
        UpdateWindow(handle_);
}

void TWinControl::FontChanged()
{
    if (handle_)
        SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    NotifyControls(CM_PARENTFONTCHANGED);
    TControl::FontChanged();
}

void TWinControl::ColorChanged()
{
    NotifyControls(CM_PARENTCOLORCHANGED);
    TControl::ColorChanged();
}

HBRUSH TWinControl::BackgroundBrush()
{
    if (background_.Color() != Color())
        background_.SetColor(Color());
    return background_.Handle();
}

void TWinControl::NotifyControls(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto copy = controls_;
    for (TControl* c : copy)
        c->Perform(msg, wParam, lParam);
}

void TWinControl::Realign()
{
    if (controls_.empty())
        return;
    RECT r = ClientRect();
    AdjustClientRect(r);
    AlignControls(r);
}

void TWinControl::AlignControls(RECT& r)
{
    auto place = [&](TAlign which) {
        for (TControl* c : controls_) {
            if (c->Align() != which || !c->Visible())
                continue;
            switch (which) {
            case TAlign::alTop:
                c->SetBounds(r.left, r.top, r.right - r.left, c->Height());
                r.top += c->Height();
                break;
            case TAlign::alBottom:
                c->SetBounds(r.left, r.bottom - c->Height(), r.right - r.left, c->Height());
                r.bottom -= c->Height();
                break;
            case TAlign::alLeft:
                c->SetBounds(r.left, r.top, c->Width(), r.bottom - r.top);
                r.left += c->Width();
                break;
            case TAlign::alRight:
                c->SetBounds(r.right - c->Width(), r.top, c->Width(), r.bottom - r.top);
                r.right -= c->Width();
                break;
            case TAlign::alClient:
                c->SetBounds(r.left, r.top, std::max(0L, r.right - r.left), std::max(0L, r.bottom - r.top));
                break;
            default:
                break;
            }
        }
    };
    place(TAlign::alTop);
    place(TAlign::alBottom);
    place(TAlign::alLeft);
    place(TAlign::alRight);
    place(TAlign::alClient);
}

void TWinControl::PaintWindow(HDC) {}

bool TWinControl::ReflectToChild(TMessage& m)
{
    HWND child = nullptr;
    switch (m.Msg) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(m.LParam);
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom;
        break;
    case WM_DRAWITEM: {
        auto dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
        if (dis->CtlType != ODT_MENU)
            child = dis->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        auto mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
        if (mis->CtlType != ODT_MENU && handle_)
            child = GetDlgItem(handle_, static_cast<int>(mis->CtlID));
        break;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
        child = reinterpret_cast<HWND>(m.LParam);
        break;
    default:
        return false;
    }
    TWinControl* c = FindControl(child);
    if (!c || c == this)
        return false;
    m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return true;
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift)
{
    if (TCustomForm* form = GetParentForm(); form && form != this && form->KeyPreview()
        && form->DoKeyDown(key, shift))
        return true;
    KeyDown(key, shift);
    return key == 0;
}

bool TWinControl::DoKeyPress(wchar_t& key)
{
    if (TCustomForm* form = GetParentForm(); form && form != this && form->KeyPreview() && form->DoKeyPress(key))
        return true;
    KeyPress(key);
    return key == 0;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::KeyPress(wchar_t& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TWinControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
        if (ReflectToChild(m))
            return;
        break;
    case WM_ERASEBKGND:
        if (!defaultEraseBackground_) {
            RECT r;
            GetClientRect(handle_, &r);
            ::FillRect(reinterpret_cast<HDC>(m.WParam), &r, BackgroundBrush());
            m.Result = 1;
            return;
        }
        break;
    case WM_SIZE:
        Realign();
        break;
    case WM_WINDOWPOSCHANGED:
        // Every move and resize ends here (WM_MOVE and WM_SIZE come from the default handling).
        DefaultHandler(m);
        UpdateBoundsFromWindow();
        return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
        // A native edit paints in the control's colours (a read-only or disabled one
        // asks with the static message).
        SetTextColor(reinterpret_cast<HDC>(m.WParam), ColorToRGB(Font().Color()));
        SetBkColor(reinterpret_cast<HDC>(m.WParam), ColorToRGB(Color()));
        m.Result = reinterpret_cast<LRESULT>(BackgroundBrush());
        return;
    case WM_SETCURSOR:
        if (HCURSOR c = detail::CursorOverride(); c && LOWORD(m.LParam) == HTCLIENT) {
            ::SetCursor(c);
            m.Result = 1;
            return;
        }
        // The control's own cursor over its own window (a child shows its own).
        if (HCURSOR c = CursorHandleOf(Cursor());
            c && LOWORD(m.LParam) == HTCLIENT && reinterpret_cast<HWND>(m.WParam) == handle_) {
            ::SetCursor(c);
            m.Result = 1;
            return;
        }
        break;
    case WM_GETFONT:
        // Windows of the framework's own classes have no native procedure that keeps a font.
        if (defWndProc_ == DefWindowProcW) {
            m.Result = reinterpret_cast<LRESULT>(Font().Handle());
            return;
        }
        break;
    case WM_SETFOCUS:
        if (TCustomForm* form = GetParentForm(); form && form != this)
            form->SetFocusedControl(this);
        break;
    case CM_ENTER:
        DoEnter();
        return;
    case CM_EXIT:
        DoExit();
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(m.WParam);
        if (DoKeyDown(key, KeyDataToShiftState(m.LParam)))
            return;
        m.WParam = key;
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = static_cast<WORD>(m.WParam);
        KeyUp(key, KeyDataToShiftState(m.LParam));
        if (key == 0)
            return;
        break;
    }
    case WM_CHAR: {
        wchar_t ch = static_cast<wchar_t>(m.WParam);
        if (DoKeyPress(ch))
            return;
        m.WParam = ch;
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        TMouseButton b = m.Msg == WM_RBUTTONDOWN ? mbRight : m.Msg == WM_MBUTTONDOWN ? mbMiddle : mbLeft;
        TShiftState s = KeysToShiftState(m.WParam) | (m.Msg == WM_LBUTTONDBLCLK ? unsigned(ssDouble) : 0u);
        DefaultHandler(m);
        if (b == mbLeft && (ControlStyle() & csCaptureMouse) && handle_ && GetCapture() != handle_)
            SetCapture(handle_);
        MouseDown(b, s, static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam)));
        return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        TMouseButton b = m.Msg == WM_RBUTTONUP ? mbRight : m.Msg == WM_MBUTTONUP ? mbMiddle : mbLeft;
        DefaultHandler(m);
        if (b == mbLeft && (ControlStyle() & csCaptureMouse) && handle_ && GetCapture() == handle_)
            ReleaseCapture();
        MouseUp(b, KeysToShiftState(m.WParam), static_cast<short>(LOWORD(m.LParam)),
                static_cast<short>(HIWORD(m.LParam)));
        return;
    }
    case WM_MOUSEMOVE:
        DefaultHandler(m);
        MouseMove(KeysToShiftState(m.WParam), static_cast<short>(LOWORD(m.LParam)),
                  static_cast<short>(HIWORD(m.LParam)));
        return;
    case WM_CONTEXTMENU: {
        POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        if (reinterpret_cast<HWND>(m.WParam) != handle_)
            break;
        if (!(p.x == -1 && p.y == -1))
            p = ScreenToClient(p);
        bool handled = false;
        DoContextPopup(p, handled);
        if (handled) {
            m.Result = 1;
            return;
        }
        break;
    }
    default:
        break;
    }
    TControl::WndProc(m);
}

void TWinControl::DefaultHandler(TMessage& m)
{
    if (!handle_)
        return;
    // Framework notifications and reflected messages mean nothing to the native procedure.
    if (m.Msg >= CM_BASE && m.Msg < CN_BASE + 0x400)
        return;
    m.Result = CallWindowProcW(defWndProc_, handle_, m.Msg, m.WParam, m.LParam);
}

LRESULT CALLBACK FrameworkWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWinControl* control = TWinControl::FindControl(wnd);
    if (!control && t_creating && !t_creating->handle_) {
        control = t_creating;
        control->Attach(wnd);
    }
    if (!control) {
        wchar_t cls[256] = {};
        GetClassNameW(wnd, cls, 255);
        auto it = SuperclassProcs().find(cls);
        WNDPROC proc = it != SuperclassProcs().end() && it->second ? it->second : DefWindowProcW;
        return CallWindowProcW(proc, wnd, msg, wParam, lParam);
    }
    TMessage m{msg, wParam, lParam, 0};
    try {
        control->Dispatch(m);
    } catch (...) {
        detail::HandleException();
        m.Result = 0;
    }
    if (msg == WM_NCDESTROY && control->handle_ == wnd)
        control->Detach();
    return m.Result;
}

// ---------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

TCustomControl::~TCustomControl()
{
    if (canvas_)
        canvas_->FreeHandle();
}

TCanvas& TCustomControl::Canvas()
{
    if (!canvas_) {
        canvas_ = std::make_unique<TControlCanvas>();
        canvas_->SetControl(this);
    }
    return *canvas_;
}

void TCustomControl::PaintWindow(HDC dc)
{
    Canvas();
    canvas_->BindDC(dc);
    // The canvas lets go of the context however Paint ends.
    struct Unbind {
        TControlCanvas* canvas;
        ~Unbind() { canvas->FreeHandle(); }
    } unbind{canvas_.get()};
    canvas_->Font().Assign(Font());
    canvas_->Brush().SetColor(Color());
    Paint();
}

void TCustomControl::WndProc(TMessage& m)
{
    if (m.Msg == WM_PAINT) {
        if (m.WParam) {
            PaintWindow(reinterpret_cast<HDC>(m.WParam));
            return;
        }
        // BeginPaint's context is counted and given back however the paint ends.
        struct PaintScope {
            HWND wnd;
            PAINTSTRUCT ps;
            HDC dc;
            explicit PaintScope(HWND w) : wnd(w), ps{}, dc(BeginPaint(w, &ps)) { NoteDCAcquired(); }
            ~PaintScope()
            {
                NoteDCReleased();
                EndPaint(wnd, &ps);
            }
        } scope(Handle());
        PaintWindow(scope.dc);
        m.Result = 0;
        return;
    }
    if (m.Msg == WM_PRINTCLIENT) {
        PaintWindow(reinterpret_cast<HDC>(m.WParam));
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TWinControl* control)
{
    if (control == control_)
        return;
    FreeHandle();
    control_ = control;
}

void TControlCanvas::CreateHandle()
{
    if (!control_ || !control_->HandleAllocated())
        return;
    HDC dc = GetDC(control_->Handle());
    if (!dc)
        return;
    NoteDCAcquired();
    ownDC_ = dc;
    SetHandle(dc);
}

void TControlCanvas::BindDC(HDC dc)
{
    FreeHandle();
    SetHandle(dc);
}

void TControlCanvas::FreeHandle()
{
    HDC dc = HandleAllocated() ? Handle() : nullptr;
    SetHandle(nullptr);
    if (ownDC_ && dc == ownDC_) {
        ReleaseDC(control_ ? control_->Handle() : nullptr, ownDC_);
        NoteDCReleased();
    }
    ownDC_ = nullptr;
}

// ---------------------------------------------------------------------------

namespace {

LRESULT CALLBACK UtilWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto method = reinterpret_cast<std::function<void(HWND, TMessage&)>*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (!method)
        return DefWindowProcW(wnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    try {
        (*method)(wnd, m);
    } catch (...) {
        detail::HandleException();
    }
    return m.Result;
}

const wchar_t kUtilClass[] = L"QvUtilWindow";

} // namespace

HWND AllocateHWnd(std::function<void(TMessage&)> method)
{
    return AllocateHWnd([method = std::move(method)](HWND, TMessage& m) { method(m); });
}

HWND AllocateHWnd(std::function<void(HWND, TMessage&)> method)
{
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(inst, kUtilClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = UtilWindowProc;
        wc.hInstance = inst;
        wc.lpszClassName = kUtilClass;
        RegisterClassExW(&wc);
    }
    // A hidden top-level window, not a message-only one: those miss broadcasts
    // such as WM_SYSCOLORCHANGE.
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, kUtilClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst,
                               nullptr);
    if (!wnd)
        throw Exception(L"Cannot create a hidden window (" + std::to_wstring(GetLastError()) + L")");
    SetWindowLongPtrW(wnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(new std::function<void(HWND, TMessage&)>(std::move(method))));
    return wnd;
}

void DeallocateHWnd(HWND wnd)
{
    if (!wnd)
        return;
    auto method = reinterpret_cast<std::function<void(HWND, TMessage&)>*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    DestroyWindow(wnd);
    delete method;
}

} // namespace qv
