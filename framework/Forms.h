// Forms, the application object and the screen object.
#pragma once

#include "framework/Controls.h"
#include "framework/Dpi.h"

#include <exception>

namespace qv {

class TButton;

enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
enum class TPosition { poDesigned, poScreenCenter };
enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Runs OnCreate; called once the form's constructor has finished (see NewForm).
    virtual void AfterConstruction();

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    unsigned BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(unsigned value);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition value) { position_ = value; }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle value);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }
    // A translucent window (AlphaBlendValue 0..255) and one whose pixels of
    // TransparentColorValue let what is below show through.
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool value);
    BYTE AlphaBlendValue() const { return alphaBlendValue_; }
    void SetAlphaBlendValue(BYTE value);
    bool TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(bool value);
    TColor TransparentColorValue() const { return transparentColorValue_; }
    void SetTransparentColorValue(TColor value);

    // The density the form's layout is scaled to; 96 (as laid out) until its window is
    // shown on a denser display.
    int Dpi() const { return dpi_; }
    // Whether the form scales its layout to its display's density (on by default; a
    // popup that sizes itself around what it shows leaves it off and only notes it).
    bool Scaled() const { return scaled_; }
    void SetScaled(bool value) { scaled_ = value; }
    // Scales the layout (client size, controls, fonts) from the current density to dpi.
    void ScaleForDpi(int dpi);
    void ChangeScale(int toDpi, int fromDpi) override;

    // The client area's size; the window grows by its frame.
    void SetClientSize(int width, int height);
    void SetClientWidth(int width) { SetClientSize(width, clientHeight_); }
    void SetClientHeight(int height) { SetClientSize(clientWidth_, height); }
    RECT ClientRect() const override;

    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    bool Modal() const { return modal_; }
    int ShowModal();
    void Close();

    void SetVisible(bool value) override;

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // Moves the focus to control, as the user would by clicking it.
    void FocusControl(TWinControl* control);
    // Focuses the control after current in tab order (before it when not forward),
    // wrapping around; current's own parents and children are passed over, so a
    // control hosted inside another stands in for its host. With checkTabStop only
    // tab stops count. False when no other control can take the focus.
    bool SelectNext(TWinControl* current, bool forward, bool checkTabStop);
    // Tells the buttons (CM_FOCUSCHANGED) where the focus went.
    void SetFocusedControl(TWinControl* control);
    // The buttons Enter and Escape act on.
    TButton* DefaultButton() const;
    TButton* CancelButton() const;

    bool DoKeyDown(WORD& key, TShiftState shift) override;
    bool DoKeyPress(wchar_t& key) override;

    void WndProc(TMessage& message) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDestroy;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    virtual void DoShow();
    virtual void DoHide();
    virtual bool CloseQuery();
    // What closing does now: caNone when CloseQuery or OnClose refuse.
    TCloseAction AskCloseAction();
    void Notification(TComponent* component, TOperation operation) override;
    // Shows (activating the form and focusing its active control) or hides the window.
    virtual void ShowWindowNow(bool show);

private:
    void ApplyClientSize();
    void ApplyLayered();
    // The first button in tab order that has the flag set.
    TButton* FindButton(bool (TButton::*flag)() const) const;
    void CenterOnScreen();

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TPosition position_ = TPosition::poDesigned;
    TFormStyle formStyle_ = TFormStyle::fsNormal;
    bool keyPreview_ = false;
    bool alphaBlend_ = false;
    BYTE alphaBlendValue_ = 255;
    bool transparentColor_ = false;
    TColor transparentColorValue_ = clBlack;
    int clientWidth_ = 0, clientHeight_ = 0;
    int dpi_ = kDesignDpi;
    bool scaled_ = true;
    int modalResult_ = mrNone;
    bool modal_ = false;
    bool created_ = false;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};

// Constructs a form and finishes its creation (OnCreate), as the framework does for every form.
template <class T, class... Args>
T* NewForm(Args&&... args)
{
    T* form = new T(std::forward<Args>(args)...);
    try {
        form->AfterConstruction();
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}

using TExceptionEvent = std::function<void(TObject* sender, const std::exception_ptr& error)>;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize();
    // Creates a form owned by the application; the first one becomes the main form.
    template <class T>
    T* CreateForm()
    {
        T* form = NewForm<T>(this);
        if (!mainForm_)
            mainForm_ = form;
        return form;
    }
    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* form) { mainForm_ = form; }

    // Shows the main form and dispatches messages until Terminate.
    void Run();
    // Dispatches every waiting message, then returns.
    void ProcessMessages();
    // Dispatches one message, waiting for one when none is there.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The default exception handler: shows the error's message and goes on.
    void HandleException(const std::exception_ptr& error);
    void ShowException(const std::wstring& message);
    static std::wstring MessageOf(const std::exception_ptr& error);

    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& title) { title_ = title; }

    // The visible, enabled form that is active now (the owner of message boxes).
    HWND ActiveWindowHandle() const;

    // Runs a message box owned by the active window.
    int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);

    TExceptionEvent OnException;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool ProcessMessage(MSG& msg);
    bool IsDialogKey(MSG& msg);
    void TrackMouse();

    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    std::wstring title_;
    TControl* mouseControl_ = nullptr;
};


class TScreen : public TComponent {
public:
    TScreen();

    int Width() const;
    int Height() const;
    RECT WorkAreaRect() const;

    TCursor Cursor() const { return cursor_; }
    // The cursor every window of the application shows; takes effect at once.
    void SetCursor(TCursor value);
    HCURSOR CursorHandle() const;

    TCustomForm* ActiveForm() const;

private:
    TCursor cursor_ = crDefault;
};

extern TApplication* Application;
extern TScreen* Screen;

namespace detail {
// Called by the window procedures for an exception that escaped a handler.
void HandleException();
// The application-wide cursor, or nullptr when the windows choose their own.
HCURSOR CursorOverride();
} // namespace detail

} // namespace qv
