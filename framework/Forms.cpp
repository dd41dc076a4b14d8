#include "framework/Forms.h"

#include "framework/Exceptions.h"
#include "framework/Handles.h"
#include "framework/StdCtrls.h"

#include <commctrl.h>

#include <algorithm>

namespace qv {

TApplication* Application = new TApplication();
TScreen* Screen = new TScreen();

namespace detail {

void HandleException()
{
    std::exception_ptr error = std::current_exception();
    if (Application)
        Application->HandleException(error);
}

HCURSOR CursorOverride()
{
    return Screen ? Screen->CursorHandle() : nullptr;
}

} // namespace detail

namespace {

// Every windowed descendant of a control, depth first in tab order.
void CollectTabOrder(TWinControl* parent, std::vector<TWinControl*>& out)
{
    for (TWinControl* c : parent->TabList()) {
        out.push_back(c);
        CollectTabOrder(c, out);
    }
}

void Broadcast(TWinControl* parent, UINT msg, WPARAM wParam, LPARAM lParam)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Control(i);
        c->Perform(msg, wParam, lParam);
        if (auto w = dynamic_cast<TWinControl*>(c))
            Broadcast(w, msg, wParam, lParam);
    }
}

} // namespace

// ---------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner)
{
    TControl::SetVisible(false);
    SetColor(clBtnFace);
}

TCustomForm::~TCustomForm()
{
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            detail::HandleException();
        }
    }
}

void TCustomForm::AfterConstruction()
{
    if (created_)
        return;
    created_ = true;
    if (OnCreate)
        OnCreate(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value)
{
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(unsigned value)
{
    if (value == borderIcons_)
        return;
    borderIcons_ = value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle value)
{
    if (value == formStyle_)
        return;
    formStyle_ = value;
    if (HandleAllocated())
        SetWindowPos(Handle(), value == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.WinClassName = L"QvForm";
    p.ClassStyle = CS_DBLCLKS;
    p.Style = WS_CLIPCHILDREN;
    p.ExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
    switch (borderStyle_) {
    case TFormBorderStyle::bsNone:
        p.Style |= WS_POPUP;
        break;
    case TFormBorderStyle::bsSingle:
        p.Style |= WS_CAPTION;
        break;
    case TFormBorderStyle::bsSizeable:
        p.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case TFormBorderStyle::bsDialog:
        p.Style |= WS_CAPTION;
        p.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    if (borderStyle_ != TFormBorderStyle::bsNone && (borderIcons_ & biSystemMenu)) {
        p.Style |= WS_SYSMENU;
        if (borderStyle_ != TFormBorderStyle::bsDialog) {
            if (borderIcons_ & biMinimize)
                p.Style |= WS_MINIMIZEBOX;
            if (borderIcons_ & biMaximize)
                p.Style |= WS_MAXIMIZEBOX;
        }
    }
    if (!Enabled())
        p.Style |= WS_DISABLED;
    if (formStyle_ == TFormStyle::fsStayOnTop)
        p.ExStyle |= WS_EX_TOPMOST;
    // A secondary form stays above the main form and has no taskbar button of its own.
    p.WndParent = nullptr;
    if (Application && Application->MainForm() && Application->MainForm() != this
        && Application->MainForm()->HandleAllocated())
        p.WndParent = Application->MainForm()->Handle();
    if (clientWidth_ > 0 || clientHeight_ > 0) {
        RECT r = Rect(0, 0, clientWidth_, clientHeight_);
        AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
        p.Width = r.right - r.left;
        p.Height = r.bottom - r.top;
    }
}

void TCustomForm::CreateHandle()
{
    // The window is there, its controls not yet: laid out for the display it is on.
    if (scaled_)
        ScaleForDpi(DpiForWindow(Handle()));
    else
        dpi_ = DpiForWindow(Handle());
    ApplyClientSize();
    ApplyLayered();
}

void TCustomForm::ScaleForDpi(int dpi)
{
    if (dpi <= 0 || dpi == dpi_)
        return;
    ChangeScale(dpi, dpi_);
}

void TCustomForm::ChangeScale(int toDpi, int fromDpi)
{
    if (toDpi == fromDpi)
        return;
    dpi_ = toDpi;
    // The frame is the system's; the client area and everything in it scale.
    clientWidth_ = RescaleDpi(clientWidth_, toDpi, fromDpi);
    clientHeight_ = RescaleDpi(clientHeight_, toDpi, fromDpi);
    Font().SetHeight(RescaleDpi(Font().Height(), toDpi, fromDpi));
    for (int i = 0; i < ControlCount(); ++i)
        Control(i)->ChangeScale(toDpi, fromDpi);
    ApplyClientSize();
}

void TCustomForm::SetAlphaBlend(bool value)
{
    if (value == alphaBlend_)
        return;
    alphaBlend_ = value;
    ApplyLayered();
}

void TCustomForm::SetAlphaBlendValue(BYTE value)
{
    if (value == alphaBlendValue_)
        return;
    alphaBlendValue_ = value;
    ApplyLayered();
}

void TCustomForm::SetTransparentColor(bool value)
{
    if (value == transparentColor_)
        return;
    transparentColor_ = value;
    ApplyLayered();
}

void TCustomForm::SetTransparentColorValue(TColor value)
{
    if (value == transparentColorValue_)
        return;
    transparentColorValue_ = value;
    ApplyLayered();
}

void TCustomForm::ApplyLayered()
{
    if (!HandleAllocated())
        return;
    HWND wnd = Handle();
    LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    if (alphaBlend_ || transparentColor_) {
        if (!(ex & WS_EX_LAYERED))
            SetWindowLongPtrW(wnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        SetLayeredWindowAttributes(wnd, ColorToRGB(transparentColorValue_), alphaBlendValue_,
                                   (alphaBlend_ ? LWA_ALPHA : 0) | (transparentColor_ ? LWA_COLORKEY : 0));
    } else if (ex & WS_EX_LAYERED) {
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        RedrawWindow(wnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

void TCustomForm::SetClientSize(int width, int height)
{
    clientWidth_ = width;
    clientHeight_ = height;
    if (HandleAllocated()) {
        ApplyClientSize();
        return;
    }
    TCreateParams p;
    // Without a window the frame is computed from the style the window will get.
    TCustomForm::CreateParams(p);
    TControl::SetBounds(Left(), Top(), p.Width, p.Height);
}

void TCustomForm::ApplyClientSize()
{
    if (!HandleAllocated() || (clientWidth_ <= 0 && clientHeight_ <= 0))
        return;
    RECT wr, cr;
    GetWindowRect(Handle(), &wr);
    GetClientRect(Handle(), &cr);
    int w = clientWidth_ + (wr.right - wr.left) - cr.right;
    int h = clientHeight_ + (wr.bottom - wr.top) - cr.bottom;
    SetBounds(Left(), Top(), w, h);
}

RECT TCustomForm::ClientRect() const
{
    if (HandleAllocated())
        return TWinControl::ClientRect();
    return Rect(0, 0, clientWidth_, clientHeight_);
}

void TCustomForm::CenterOnScreen()
{
    SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
}

void TCustomForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TCustomForm::SetVisible(bool value)
{
    if (value == Visible())
        return;
    TControl::SetVisible(value);
    ShowWindowNow(value);
}

void TCustomForm::ShowWindowNow(bool show)
{
    if (show) {
        HandleNeeded();
        DoShow();
        if (position_ == TPosition::poScreenCenter)
            CenterOnScreen();
        ShowWindow(Handle(), SW_SHOWNORMAL);
        SetForegroundWindow(Handle());
        if (activeControl_ && activeControl_->CanFocus()) {
            FocusControl(activeControl_);
        } else {
            std::vector<TWinControl*> order;
            CollectTabOrder(this, order);
            for (TWinControl* c : order) {
                if (c->TabStop() && c->CanFocus()) {
                    FocusControl(c);
                    break;
                }
            }
        }
    } else {
        DoHide();
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
    }
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    activeControl_ = control;
    if (control && Visible() && HandleAllocated() && control->CanFocus())
        FocusControl(control);
}

void TCustomForm::FocusControl(TWinControl* control)
{
    if (!control || !control->CanFocus())
        return;
    activeControl_ = control;
    ::SetFocus(control->Handle());
}

bool TCustomForm::SelectNext(TWinControl* current, bool forward, bool checkTabStop)
{
    std::vector<TWinControl*> order;
    CollectTabOrder(this, order);
    if (order.empty())
        return false;
    auto related = [current](TWinControl* c) {
        if (!current)
            return false;
        for (TControl* p = c; p; p = p->Parent())
            if (p == current)
                return true;
        for (TControl* p = current; p; p = p->Parent())
            if (p == c)
                return true;
        return false;
    };
    auto n = static_cast<int>(order.size());
    auto it = std::find(order.begin(), order.end(), current);
    int start = it == order.end() ? (forward ? n - 1 : 0) : static_cast<int>(it - order.begin());
    for (int step = 1; step <= n; ++step) {
        int i = ((forward ? start + step : start - step) % n + n) % n;
        TWinControl* c = order[static_cast<size_t>(i)];
        if (related(c) || (checkTabStop && !c->TabStop()) || !c->CanFocus())
            continue;
        FocusControl(c);
        return true;
    }
    return false;
}

void TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (control == focusedControl_)
        return;
    auto contains = [](TControl* outer, TControl* inner) {
        for (TControl* c = inner; c; c = c->Parent())
            if (c == outer)
                return true;
        return false;
    };
    TWinControl* previous = focusedControl_;
    activeControl_ = control;
    if (previous)
        previous->RemoveFreeNotification(this);
    // Controls the focus leaves are told innermost first. One that refuses by
    // raising stays the focused control, so the exits already done are not repeated.
    while (focusedControl_ && focusedControl_ != this && !contains(focusedControl_, control)) {
        TWinControl* leaving = focusedControl_;
        focusedControl_ = leaving->Parent();
        try {
            leaving->Perform(CM_EXIT);
        } catch (...) {
            // Unless the refusing control already moved the focus somewhere (back into itself).
            if (focusedControl_ == leaving->Parent())
                focusedControl_ = leaving;
            if (focusedControl_)
                focusedControl_->FreeNotification(this);
            throw;
        }
    }
    TWinControl* common = focusedControl_;
    focusedControl_ = control;
    if (control)
        control->FreeNotification(this);
    Broadcast(this, CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
    // Controls it enters are told outermost first.
    std::vector<TWinControl*> entering;
    for (TWinControl* c = control; c && c != this && c != common; c = c->Parent())
        entering.push_back(c);
    for (auto it = entering.rbegin(); it != entering.rend(); ++it) {
        if (focusedControl_ != control)
            break;
        (*it)->Perform(CM_ENTER);
    }
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove) {
        if (component == activeControl_)
            activeControl_ = nullptr;
        if (component == focusedControl_)
            focusedControl_ = nullptr;
    }
}

TButton* TCustomForm::FindButton(bool (TButton::*flag)() const) const
{
    std::vector<TWinControl*> order;
    CollectTabOrder(const_cast<TCustomForm*>(this), order);
    for (TWinControl* c : order)
        if (auto b = dynamic_cast<TButton*>(c); b && (b->*flag)())
            return b;
    return nullptr;
}

TButton* TCustomForm::DefaultButton() const
{
    if (auto b = dynamic_cast<TButton*>(focusedControl_))
        return b;
    return FindButton(&TButton::Default);
}

TButton* TCustomForm::CancelButton() const { return FindButton(&TButton::Cancel); }

bool TCustomForm::DoKeyDown(WORD& key, TShiftState shift)
{
    KeyDown(key, shift);
    return key == 0;
}

bool TCustomForm::DoKeyPress(wchar_t& key)
{
    KeyPress(key);
    return key == 0;
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

TCloseAction TCustomForm::AskCloseAction()
{
    if (!CloseQuery())
        return TCloseAction::caNone;
    TCloseAction action = TCloseAction::caHide;
    if (OnClose)
        OnClose(this, action);
    return action;
}

void TCustomForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    TCloseAction action = AskCloseAction();
    if (action == TCloseAction::caNone)
        return;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else if (action == TCloseAction::caHide)
        Hide();
}

int TCustomForm::ShowModal()
{
    if (Visible() || modal_)
        throw Exception(L"Cannot make a visible window modal");
    if (GetCapture())
        SendMessageW(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    HWND activeBefore = GetActiveWindow();
    HandleNeeded();

    // Every other window of the application waits while the form is up.
    struct Disabler {
        HWND self;
        std::vector<HWND> windows;
    } disabler{Handle(), {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND wnd, LPARAM lp) -> BOOL {
            auto d = reinterpret_cast<Disabler*>(lp);
            if (wnd != d->self && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
                EnableWindow(wnd, FALSE);
                d->windows.push_back(wnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabler));
    auto restore = [&] {
        for (HWND wnd : disabler.windows)
            if (IsWindow(wnd))
                EnableWindow(wnd, TRUE);
        if (activeBefore && IsWindow(activeBefore))
            SetActiveWindow(activeBefore);
    };

    modal_ = true;
    modalResult_ = mrNone;
    try {
        Show();
        do {
            Application->HandleMessage();
            if (Application->Terminated()) {
                modalResult_ = mrCancel;
            } else if (modalResult_ != mrNone && AskCloseAction() == TCloseAction::caNone) {
                // A button or Close asked to end; the form refused.
                modalResult_ = mrNone;
            }
        } while (modalResult_ == mrNone);
    } catch (...) {
        modal_ = false;
        // Enable the other windows before this one disappears, so activation has somewhere to go.
        restore();
        Hide();
        throw;
    }
    // The form counts as hidden, and still as modal, while the other windows come back
    // and the focus leaves it: a control that loses the focus now can tell that its
    // dialog is closing and with which result.
    TControl::SetVisible(false);
    restore();
    ShowWindowNow(false);
    modal_ = false;
    return modalResult_;
}

void TCustomForm::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_CLOSE:
        Close();
        m.Result = 0;
        return;
    case WM_ACTIVATE:
        if (LOWORD(m.WParam) != WA_INACTIVE && !HIWORD(m.WParam)) {
            if (OnActivate)
                OnActivate(this);
            if (activeControl_ && activeControl_->CanFocus())
                ::SetFocus(activeControl_->Handle());
            else
                TWinControl::WndProc(m);
            m.Result = 0;
            return;
        }
        break;
    case WM_COMMAND:
        // The dialog manager's Enter and Escape (IsDialogMessage) arrive as IDOK / IDCANCEL.
        if (m.LParam == 0 && HIWORD(m.WParam) == 0 && (LOWORD(m.WParam) == IDOK || LOWORD(m.WParam) == IDCANCEL)) {
            TButton* b = LOWORD(m.WParam) == IDOK ? DefaultButton() : CancelButton();
            if (b && b->Enabled() && b->Visible())
                b->Click();
            m.Result = 0;
            return;
        }
        break;
    case WM_SYSCOLORCHANGE:
        Broadcast(this, CM_SYSCOLORCHANGE, 0, 0);
        break;
    case WM_DPICHANGED: {
        // Moved to a display of another density: the layout is scaled to it and the
        // window takes the place the system suggests.
        const int dpi = HIWORD(m.WParam);
        if (scaled_)
            ScaleForDpi(dpi);
        else
            dpi_ = dpi;
        if (const auto suggested = reinterpret_cast<const RECT*>(m.LParam))
            SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        ApplyClientSize();
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        m.Result = 0;
        return;
    }
    default:
        break;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------

TApplication::TApplication() : TComponent(nullptr)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    if (auto slash = name.find_last_of(L"\\/"); slash != std::wstring::npos)
        name = name.substr(slash + 1);
    if (auto dot = name.rfind(L'.'); dot != std::wstring::npos)
        name = name.substr(0, dot);
    title_ = name;
}

TApplication::~TApplication() = default;

void TApplication::Initialize()
{
    InitCommonControlClasses(ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES);
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) {
        if (component == mainForm_)
            mainForm_ = nullptr;
        if (component == mouseControl_)
            mouseControl_ = nullptr;
    }
}

void TApplication::Run()
{
    if (mainForm_)
        mainForm_->Show();
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
}

void TApplication::Terminate()
{
    if (!terminated_) {
        terminated_ = true;
        PostQuitMessage(0);
    }
}

bool TApplication::IsDialogKey(MSG& msg)
{
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    HWND active = GetActiveWindow();
    auto form = dynamic_cast<TCustomForm*>(TWinControl::FindControl(active));
    if (!form)
        return false;
    return IsDialogMessageW(active, &msg) != 0;
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    if (!IsDialogKey(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (!ProcessMessage(msg)) {
        TrackMouse();
        WaitMessage();
    }
}

// The control under the mouse gets CM_MOUSEENTER, the one it left CM_MOUSELEAVE.
void TApplication::TrackMouse()
{
    POINT p;
    TControl* now = nullptr;
    if (GetCursorPos(&p)) {
        HWND wnd = WindowFromPoint(p);
        DWORD pid = 0;
        if (wnd && GetWindowThreadProcessId(wnd, &pid) == GetCurrentThreadId()) {
            for (HWND w = wnd; w && !now; w = GetParent(w))
                now = TWinControl::FindControl(w);
        }
    }
    if (now == mouseControl_)
        return;
    TControl* old = mouseControl_;
    if (old)
        old->RemoveFreeNotification(this);
    mouseControl_ = now;
    if (now)
        now->FreeNotification(this);
    if (old)
        old->Perform(CM_MOUSELEAVE);
    if (now && mouseControl_ == now)
        now->Perform(CM_MOUSEENTER);
}

std::wstring TApplication::MessageOf(const std::exception_ptr& error)
{
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        std::string s = e.what();
        int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
        std::wstring w(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), w.data(), n);
        return w;
    } catch (...) {
    }
    return L"Unknown error";
}

void TApplication::HandleException(const std::exception_ptr& error)
{
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (...) {
    }
    if (OnException) {
        OnException(this, error);
        return;
    }
    ShowException(MessageOf(error));
}

void TApplication::ShowException(const std::wstring& message)
{
    std::wstring text = message;
    if (!text.empty() && text.back() > L'.')
        text += L'.';
    ShowMessageBox(text, title_, MB_OK | MB_ICONSTOP);
}

HWND TApplication::ActiveWindowHandle() const
{
    HWND active = GetActiveWindow();
    if (active && IsWindowVisible(active))
        return active;
    if (mainForm_ && mainForm_->HandleAllocated() && mainForm_->Visible())
        return mainForm_->Handle();
    return nullptr;
}

int TApplication::ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags)
{
    return MessageBoxW(ActiveWindowHandle(), text.c_str(), caption.c_str(), flags);
}

// ---------------------------------------------------------------------------

TScreen::TScreen() : TComponent(nullptr) {}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

RECT TScreen::WorkAreaRect() const
{
    RECT r{0, 0, Width(), Height()};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

HCURSOR TScreen::CursorHandle() const { return CursorHandleOf(cursor_); }

void TScreen::SetCursor(TCursor value)
{
    if (value == cursor_)
        return;
    cursor_ = value;
    if (value != crDefault) {
        ::SetCursor(CursorHandle());
        return;
    }
    // Let the window under the mouse choose its cursor again.
    POINT p;
    if (GetCursorPos(&p)) {
        HWND wnd = WindowFromPoint(p);
        if (wnd && GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId()) {
            LRESULT hit = SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
            SendMessageW(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(hit, WM_MOUSEMOVE));
            return;
        }
    }
    ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

TCustomForm* TScreen::ActiveForm() const
{
    return dynamic_cast<TCustomForm*>(TWinControl::FindControl(GetActiveWindow()));
}

} // namespace qv
