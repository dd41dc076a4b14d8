// Controls and windowed controls. Every window the framework creates goes through
// one static window procedure, which finds the control of the handle and calls its
// virtual WndProc; the base WndProc ends in DefaultHandler (the native procedure).
#pragma once

#include "framework/Classes.h"
#include "framework/Graphics.h"

#include <memory>
#include <vector>

namespace qv {

class TWinControl;
class TCustomForm;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Key and mouse-button modifiers of an event.
enum TShiftStateFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = unsigned;
TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyDataToShiftState(LPARAM keyData);

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, wchar_t& key)>;
using TContextPopupEvent = std::function<void(TObject* sender, POINT mousePos, bool& handled)>;
// What receives a control's messages (see TControl::WindowProc).
using TWndMethod = std::function<void(TMessage& message)>;

// Whether a key or mouse button is held down now (as of the message being handled).
bool IsKeyDown(int key);
// wnd is the window parent or one of its descendants (false for no window).
bool IsWindowOrChild(HWND parent, HWND wnd);

// A control may have a host: the object that sees each of its messages just before
// and just after the control's own handling (a bordered container and the window
// inside it). The host says in the first phase whether it has handled the message
// itself; the control's handling and the second phase are then skipped.
enum class TMessagePhase { mpBefore, mpAfter };
class IMessageHost {
public:
    // A message of the control inside the host. mpBefore: true when the message is
    // handled here. The after phase runs after the control's own handling, which may
    // have destroyed the control.
    virtual bool InnerMessage(TMessage& message, TMessagePhase phase) = 0;

protected:
    ~IMessageHost() = default;
};

enum TControlStyleFlag : unsigned {
    csOpaque = 1,          // paints its whole client area itself
    csReflector = 2,       // receives notifications reflected from its parent
    csClickEvents = 4,
    csDoubleClicks = 8,
    csCaptureMouse = 16,   // holds the mouse capture while the left button is down
    csSetCaption = 32,     // the control's name becomes its text when it is named
};

// The pointer shapes a control or the whole application may show; crDefault leaves
// the choice to the window's class (or, for the screen, to each window).
enum TCursor : int { crDefault = 0, crArrow = -2, crIBeam = -4, crHourGlass = -11 };
// The system's cursor of a shape (nullptr for crDefault).
HCURSOR CursorHandleOf(TCursor cursor);

// Whether a press on the control starts dragging it by itself.
enum class TDragMode { dmManual, dmAutomatic };

class TControl : public TComponent {
    friend class TWinControl;

public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    // With csSetCaption, a text that was the old name follows the new one.
    void SetName(const std::wstring& name) override;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    RECT BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    virtual void SetBounds(int left, int top, int width, int height);
    virtual RECT ClientRect() const { return Rect(0, 0, width_, height_); }
    int ClientWidth() const { return qv::Width(ClientRect()); }
    int ClientHeight() const { return qv::Height(ClientRect()); }
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool value);

    TFont& Font() { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TColor Color() const { return color_; }
    // Setting a colour of the control's own ends ParentColor.
    void SetColor(TColor value);
    // The control shows its parent's colour, and follows it.
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);

    // The window text: a button's caption, an edit's contents, a form's title.
    virtual std::wstring Text() const;
    virtual void SetText(const std::wstring& value);
    std::wstring Caption() const { return Text(); }
    void SetCaption(const std::wstring& value) { SetText(value); }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);

    // The pointer shown over the control's window (crDefault: its class's).
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode value);

    unsigned ControlStyle() const { return controlStyle_; }
    void SetControlStyle(unsigned value) { controlStyle_ = value; }

    // Popup menu shown on a context-menu request (a TPopupMenu component).
    TComponent* PopupMenuComponent() const { return popupMenu_; }

    virtual void Invalidate() {}
    virtual void Update() {}
    void Repaint() { Invalidate(); Update(); }

    // Sends a message straight to this control's WindowProc (no window needed).
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Every message of the control goes to its WindowProc, which is HostedWndProc
    // unless another object (a test recording messages) put itself in between; such
    // a method passes the message on to the method it replaced. An empty method
    // restores HostedWndProc.
    const TWndMethod& WindowProc() const { return windowProc_; }
    void SetWindowProc(TWndMethod value);
    void Dispatch(TMessage& message) { windowProc_(message); }
    // The host (see IMessageHost) sees the messages around WndProc; nullptr for none.
    IMessageHost* MessageHost() const { return messageHost_; }
    void SetMessageHost(IMessageHost* host) { messageHost_ = host; }
    // The host's first phase, WndProc, the host's second phase.
    void HostedWndProc(TMessage& message);
    virtual void WndProc(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    // The form this control sits on, or nullptr.
    TCustomForm* GetParentForm() const;
    // The display density the control is laid out for: its form's (96, as laid out,
    // until the form is shown on a denser display).
    int CurrentDpi() const;
    // The lengths laid out at fromDpi become those of toDpi: the bounds and a font of the
    // control's own (a parent's font reaches the children by itself); children follow.
    virtual void ChangeScale(int toDpi, int fromDpi);

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TContextPopupEvent OnContextPopup;

    virtual void Click();

protected:
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // A context menu was asked for at mousePos (client coordinates, (-1, -1) from the keyboard).
    virtual void DoContextPopup(POINT mousePos, bool& handled);
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void EnabledChanged();
    virtual void TextChanged() {}
    virtual void VisibleChanged() {}
    virtual void CursorChanged() {}
    virtual void DragModeChanged() {}
    virtual void BoundsChanged() {}

    // Copies the parent's font without this counting as a font of the control's own.
    void TakeParentFont();
    // The same for the colour.
    void TakeParentColor();

    bool syncingFont_ = false;
    TComponent* popupMenu_ = nullptr;

    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::wstring text_;

private:
    TWinControl* parent_ = nullptr;
    TWndMethod windowProc_;
    IMessageHost* messageHost_ = nullptr;
    bool visible_ = true;
    bool enabled_ = true;
    TFont font_;
    bool parentFont_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    TAlign align_ = TAlign::alNone;
    TCursor cursor_ = crDefault;
    TDragMode dragMode_ = TDragMode::dmManual;
    unsigned controlStyle_ = csClickEvents | csDoubleClicks;
};

// What a windowed control asks CreateWindowEx for.
struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    // The framework's own class name; SysClassName is the native class it is built on (if any).
    std::wstring WinClassName;
    std::wstring SysClassName;
    UINT ClassStyle = CS_DBLCLKS;
    // Class styles taken away from a system class the framework's class is built on.
    UINT ClassStyleRemoved = 0;
    HBRUSH Background = nullptr;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    // Destroys and creates the window again (a style that only creation can set changed).
    void RecreateWnd();

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Control(int index) const { return controls_[index]; }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    int TabOrder() const;
    void SetTabOrder(int value);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    // The windowed children in tab order.
    const std::vector<TWinControl*>& TabList() const { return tabList_; }

    // A stable child-window identifier (GWLP_ID); 0 lets the framework choose.
    int ControlId() const { return controlId_; }
    void SetControlId(int id) { controlId_ = id; }

    bool CanFocus() const;
    virtual void SetFocus();
    virtual bool Focused() const;

    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() const override;
    void SetVisible(bool value) override;
    std::wstring Text() const override;
    void SetText(const std::wstring& value) override;

    void Invalidate() override;
    void Update() override;

    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    // Lays the aligned children out inside the client area.
    void Realign();

    // The control of a window created by the framework, or nullptr.
    static TWinControl* FindControl(HWND wnd);

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void DestroyWnd();
    // Called once the window exists (children not yet created).
    virtual void CreateHandle();
    virtual void AlignControls(RECT& rect);
    // The part of the client area that aligned children share (all of it by default).
    virtual void AdjustClientRect(RECT&) {}
    virtual void PaintWindow(HDC dc);
    // Key handling, true when the key was consumed.
    virtual bool DoKeyDown(WORD& key, TShiftState shift);
    virtual bool DoKeyPress(wchar_t& key);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(wchar_t& key);
    // The focus came into this control (or a control inside it) from outside, or left it.
    virtual void DoEnter();
    virtual void DoExit();
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void BoundsChanged() override;

public:
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    // Sends the notification to every child control.
    void NotifyControls(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Background brush for WM_ERASEBKGND and reflected colour requests.
    HBRUSH BackgroundBrush();
    bool defaultEraseBackground_ = false;

private:
    friend class TControl;
    friend LRESULT CALLBACK FrameworkWndProc(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND wnd);
    void Detach();
    void UpdateTabOrderZ();
    bool ReflectToChild(TMessage& message);
    void UpdateBoundsFromWindow();
    // Whether the window can go to parent's window as it is (SetParent), rather than
    // being destroyed and made again there.
    bool CanMoveWindowTo(const TWinControl* parent) const;

    HWND handle_ = nullptr;
    WNDPROC defWndProc_ = nullptr;
    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    int controlId_ = 0;
    bool recreating_ = false;
    // Set while SetParent moves the window to the new parent's window.
    bool movingWindow_ = false;
    bool settingBounds_ = false;
    TBrush background_;
};

// A windowed control that draws itself on a canvas in Paint.
class TControlCanvas;

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;

    TCanvas& Canvas();

    void WndProc(TMessage& message) override;

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

// A canvas bound to a control: the window's device context, or one given for a paint.
class TControlCanvas : public TCanvas {
public:
    TControlCanvas() = default;
    ~TControlCanvas() override;
    TWinControl* Control() const { return control_; }
    void SetControl(TWinControl* control);
    // Gives back a context obtained with GetDC; one set from outside is just forgotten.
    void FreeHandle();
    // Draw on dc (a paint or owner-draw context) until FreeHandle.
    void BindDC(HDC dc);

protected:
    void CreateHandle() override;

private:
    TWinControl* control_ = nullptr;
    HDC ownDC_ = nullptr;
};

// A hidden window whose messages go to a callback (timers, broadcast system messages).
// The callback sets the result; it calls DefWindowProcW itself where the default is wanted.
HWND AllocateHWnd(std::function<void(TMessage&)> method);
// The same, for a callback that needs the window (to call DefWindowProcW with it).
HWND AllocateHWnd(std::function<void(HWND, TMessage&)> method);
void DeallocateHWnd(HWND wnd);

} // namespace qv
