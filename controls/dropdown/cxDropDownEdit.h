// The drop-down edit: a single-line text edit with a drop-down button at its right
// edge and a popup window shown under (or over) it. The popup holds a visual area:
// the item list of a list edit, or any control the application names (the popup
// edit). This unit keeps the popup's open/close life, its size and place against the
// edit and the screen, the keys and mouse presses that open and close it, the
// popup's frame (border, client edge, shadow, system panel with size grip and close
// button) and sizing it with the mouse.
#pragma once

#include "controls/container/cxContainer.h"
#include "controls/edit/cxTextEdit.h"
#include "framework/Forms.h"

#include <memory>

class TcxCustomDropDownEdit;
class TcxCustomEditPopupWindow;

// Messages of the drop-down edit (the popup's show and close requests are the
// popup base's CXM_SHOWPOPUPWINDOW and CXM_CLOSEPOPUPWINDOW).
// To the edit: open the popup now.
inline constexpr UINT CXM_DROPDOWN = WM_APP + 103;
// To the popup: wParam is a character sent on as WM_CHAR to the window with the focus.
inline constexpr UINT CXM_POPUPCHAR = WM_APP + 107;
// To the edit: bring the edit and its lookup data in step again (list edits).
inline constexpr UINT CXM_LOOKUPSYNC = WM_APP + 108;

// ---------------------------------------------------------------------------
// The masked edit: with an empty mask (the only kind this system uses) it passes
// keys, characters, mouse and value changes through to the text edit unchanged.

class TcxCustomMaskEditProperties : public TcxCustomTextEditProperties {
public:
    // Enter validates in a masked edit and everything built on it.
    explicit TcxCustomMaskEditProperties(qv::TPersistent* AOwner);

    bool IsInstance(const TcxCustomEditProperties& AProperties) const override
    {
        return dynamic_cast<const TcxCustomMaskEditProperties*>(&AProperties);
    }
    TcxCustomEdit* CreateEdit(qv::TComponent* AOwner) override;
};

class TcxCustomMaskEdit : public TcxCustomTextEdit {
public:
    using TcxCustomTextEdit::TcxCustomTextEdit;

protected:
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override;
};

// ---------------------------------------------------------------------------
// Properties

using TcxPopupCloseQueryEvent = std::function<void(qv::TObject* Sender, bool& CanClose)>;

class TcxCustomDropDownEditProperties : public TcxCustomMaskEditProperties {
public:
    // Adds the one drop-down button (bkDown, index 0).
    explicit TcxCustomDropDownEditProperties(qv::TPersistent* AOwner);

    // The drop-down button's glyph; a non-empty glyph turns the button into a glyph
    // button, an empty one back into the arrow. nullptr clears it.
    const qv::TBitmap* ButtonGlyph() const;
    void SetButtonGlyph(const qv::TBitmap* Value);
    bool ImmediateDropDown() const { return immediateDropDown_; }
    void SetImmediateDropDown(bool Value) { immediateDropDown_ = Value; }
    bool ImmediatePopup() const { return immediatePopup_; }
    void SetImmediatePopup(bool Value) { immediatePopup_ = Value; }
    qv::TAlignment PopupAlignment() const { return popupAlignment_; }
    void SetPopupAlignment(qv::TAlignment Value);
    bool PopupAutoSize() const { return popupAutoSize_; }
    void SetPopupAutoSize(bool Value) { popupAutoSize_ = Value; }
    bool PopupClientEdge() const { return popupClientEdge_; }
    void SetPopupClientEdge(bool Value);
    // Not below PopupMinHeight.
    int PopupHeight() const { return popupHeight_; }
    void SetPopupHeight(int Value);
    // Negative values are 0; PopupHeight is set again through its setter.
    int PopupMinHeight() const { return popupMinHeight_; }
    void SetPopupMinHeight(int Value);
    int PopupMinWidth() const { return popupMinWidth_; }
    void SetPopupMinWidth(int Value);
    bool PopupSizeable() const { return popupSizeable_; }
    void SetPopupSizeable(bool Value);
    bool PopupSysPanelStyle() const { return popupSysPanelStyle_; }
    void SetPopupSysPanelStyle(bool Value);
    // 0: the edit's width. Negative is 0; a positive value below PopupMinWidth is PopupMinWidth.
    int PopupWidth() const { return popupWidth_; }
    void SetPopupWidth(int Value);

    // What the edit asks of its properties.
    virtual int DropDownButtonIndex() const { return 0; }
    // A press in the text area opens the popup (a fixed list).
    virtual bool TextAreaClickOpens() const { return false; }
    // The popup is an activated window that takes the keyboard focus.
    virtual bool PopupCapturesFocus() const { return false; }
    // The visual area is the lookup data's list (else the edit supplies it).
    virtual bool VisualAreaByLookupData() const { return true; }
    // The popup chooses among the lookup items.
    virtual bool UsesLookupData() const { return false; }
    // The value is posted when the popup has closed rather than when it is accepted.
    virtual bool PostOnPopupClosed() const { return false; }
    // The popup shows its system panel (size grip and close button).
    virtual bool PopupSysPanelShown() const { return PopupSysPanelStyle(); }
    // The popup window class.
    virtual TcxCustomEditPopupWindow* CreatePopupWindow(TcxCustomDropDownEdit* AEdit);

    // Keeps the drop-down button's kind in step with the glyph, then reports.
    void Changed() override;
    bool IsInstance(const TcxCustomEditProperties& AProperties) const override
    {
        return dynamic_cast<const TcxCustomDropDownEditProperties*>(&AProperties);
    }
    std::unique_ptr<TcxCustomEditViewData> CreateViewData(TcxCustomEditStyle* AStyle) override;
    TcxCustomEdit* CreateEdit(qv::TComponent* AOwner) override;

    TcxPopupCloseQueryEvent OnCloseQuery;
    qv::TNotifyEvent OnCloseUp;
    qv::TNotifyEvent OnInitPopup;
    qv::TNotifyEvent OnPopup;

protected:
    void DoAssign(const TcxCustomEditProperties& ASource) override;

private:
    void SyncButtonKind();

    bool immediateDropDown_ = true;
    bool immediatePopup_ = false;
    qv::TAlignment popupAlignment_ = qv::taLeftJustify;
    bool popupAutoSize_ = true;
    bool popupClientEdge_ = false;
    int popupHeight_ = 0;
    int popupMinHeight_ = 0;
    int popupMinWidth_ = 0;
    bool popupSizeable_ = false;
    bool popupSysPanelStyle_ = false;
    int popupWidth_ = 0;
    bool syncingKind_ = false;
};

// ---------------------------------------------------------------------------
// View data, edit data, look-and-feel

// Draws the drop-down button pressed, and the edit focused, while the popup is open.
class TcxCustomDropDownEditViewData : public TcxCustomTextEditViewData {
public:
    using TcxCustomTextEditViewData::TcxCustomTextEditViewData;
    // Set from the edit the style belongs to when not given.
    bool PopupOpen = false;

    void Calculate(const RECT& ABounds, POINT P, bool AMouseOver, qv::TShiftState AButtons,
                   TcxCustomEditViewInfo& AViewInfo) override;
};

// The popup size one edit remembers when it is used in place inside a host control.
class TcxCustomDropDownEditData : public qv::TObject {
public:
    explicit TcxCustomDropDownEditData(const TcxCustomDropDownEditProperties& AProperties)
        : Width(AProperties.PopupWidth()), Height(AProperties.PopupHeight())
    {
    }
    bool SizeChanged = false;
    int Width;
    int Height;
};

// The look-and-feel handed to what the popup shows; it follows the edit's look.
class TcxEditPopupControlLookAndFeel : public TcxLookAndFeel {
public:
    explicit TcxEditPopupControlLookAndFeel(TcxCustomDropDownEdit* AEdit);
    TcxCustomDropDownEdit* Edit() const { return edit_; }
    // Writes the values that differ; nothing is reported when both stay.
    void Update(TcxLookAndFeelKind AKind, bool ANativeStyle);

private:
    TcxCustomDropDownEdit* edit_;
};

// ---------------------------------------------------------------------------
// The edit

// The inner windows of the drop-down edit and the combo box are the text edit's:
// what their messages mean there is the edit's (its InnerMessage).
class TcxCustomDropDownInnerEdit : public TcxCustomInnerTextEdit {
public:
    using TcxCustomInnerTextEdit::TcxCustomInnerTextEdit;
};

class TcxCustomDropDownEdit : public TcxCustomMaskEdit {
public:
    explicit TcxCustomDropDownEdit(qv::TComponent* AOwner);
    ~TcxCustomDropDownEdit() override;

    TcxCustomDropDownEditProperties& Properties()
    {
        return static_cast<TcxCustomDropDownEditProperties&>(TcxCustomEdit::Properties());
    }
    TcxCustomDropDownEditProperties& ActiveProperties()
    {
        return static_cast<TcxCustomDropDownEditProperties&>(TcxCustomEdit::ActiveProperties());
    }

    // True while the popup is shown. Writing True opens it, False closes it unaccepted.
    bool DroppedDown() const;
    void SetDroppedDown(bool Value);
    // Asks for the popup: it shows from the message loop (DroppedDown reads False until then).
    virtual void DropDown();
    // Closes the popup; with AAccept what was chosen in it becomes the value.
    void CloseUp(bool AAccept);
    // Whether there is anything to show (the plain drop-down edit has nothing).
    virtual bool CanDropDown() { return false; }
    // The popup window, made on first use (once per edit) from the properties' class.
    TcxCustomEditPopupWindow& PopupWindow();
    bool HasPopupWindow() const { return popup_ != nullptr; }
    // A show request is queued and not yet handled.
    bool PopupRequested() const { return popupRequested_; }
    // The control focused when the popup opens: the inner edit, or with a focus-taking
    // popup the windowed visual area.
    virtual qv::TWinControl* GetPopupFocusedControl();
    // The size the visual area would like (client size of the popup).
    virtual SIZE GetPopupWindowClientPreferredSize();
    // Places the visual area into the popup's client rectangle.
    virtual void PositionPopupWindowChildren(const RECT& AClientRect);
    // A size asked for by mouse sizing (client size of the popup) fitted to the visual
    // area; false when the visual area has no rule of its own.
    virtual bool AdjustPopupClientSize(SIZE& ASize);

    TcxEditPopupControlLookAndFeel& PopupControlsLookAndFeel() { return *popupControlsLookAndFeel_; }
    TcxCustomDropDownEditData& EditData();
    // The edit is used in place inside a host control (never in this system).
    virtual bool IsInplace() const { return false; }
    // The user resized the popup since its size was last stored.
    bool PopupSizeChanged() const { return popupSizeChanged_; }
    void SetPopupSizeChanged(bool Value) { popupSizeChanged_ = Value; }
    // The popup is open and the pointer is on the drop-down button (a press there closes).
    bool HotAndPopup() const { return hotAndPopup_; }

    // Drawn focused while the popup is open, so that focus-dependent drawing stays.
    bool DrawAsFocused() const override;
    // No hint while the popup is open.
    bool CanShowHint() const { return !DroppedDown(); }
    bool WantsDialogKey(WORD AKey, qv::TShiftState AShift) override;
    // Whether Enter takes the popup's choice: the edit may be modified and OnEditing allows it.
    bool CanAcceptPopupChoice();

    // The popup window's hooks.
    virtual void DoCloseQuery(bool& CanClose);
    virtual void PopupWindowClosed(TcxPopupCloseReason AReason);
    virtual void PopupWindowShown();
    // The popup window is being destroyed (by the edit or by anybody else).
    void PopupWindowDestroying(TcxCustomEditPopupWindow* APopup);
    // The user resized the popup: its stored size wins over the automatic one.
    bool PopupUserSized() const { return userSized_; }

    void WndProc(qv::TMessage& Message) override;

protected:
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override;
    qv::TWinControl* CreateInnerEdit() override;
    // The lookup data's list is shown while the edit is dropped down.
    std::unique_ptr<TcxCustomTextEditLookupData> CreateLookupData() override;

    // Sets the popup up for showing (also while open, when the properties change).
    virtual void SetupPopupWindow();
    // Puts the visual area into the popup, and takes it out again.
    virtual void CreatePopupVisualArea();
    virtual void ReleasePopupVisualArea(bool ADestroying);
    // After the rest of the set-up (the popup edit aligns its control then).
    virtual void PopupVisualAreaPlaced() {}
    // The lookup-data paths of closing: the list's highlight becomes the current item;
    // the highlight goes back to the current item; a key that closed the popup is
    // used up (the text is one of the items).
    virtual void AcceptLookupOnCloseUp();
    virtual void ResetLookupOnClosed();
    virtual bool IsCloseUpKeyConsumed();
    virtual void DoInitPopup();
    virtual void DoPopup();
    virtual void DoCloseUp();
    // Looks for the popup's controls, from the edit's look.
    void UpdatePopupControlsLookAndFeel();

    void HandleEditKey(WORD& Key, qv::TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void MouseDown(qv::TMouseButton Button, qv::TShiftState Shift, int X, int Y) override;
    void DoExit() override;
    void PropertiesChanged(TcxCustomEditProperties* Sender) override;
    void CalculateViewInfo(POINT P, bool AIsMouseOver) override;
    // Before the text edit's meaning of the inner window's messages: a press there
    // closes the open popup, the Alt release after Alt+Up/Down and the character of a
    // key that closed the popup are dropped; a focus leaving the edit closes the popup.
    bool InnerMessage(qv::TMessage& Message, qv::TMessagePhase Phase) override;
    void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
    void Notification(qv::TComponent* AComponent, qv::TOperation Operation) override;

    // The index of the button at P (client coordinates), or -1.
    int ButtonAt(POINT P);
    // Whether the press being handled was made before the popup lost the activation
    // and closed (the press that took the activation); asked once per press.
    bool TakePressThatClosed();

    // Cleared by the destructor: code that called out learns whether the edit still exists.

private:
    void DestroyPopupWindow();
    // The focus went to AFocus (a window outside the edit): close unless it is in the popup.
    void FocusLeft(HWND AFocus);
    void RemoveQueuedShowRequest();

    TcxCustomEditPopupWindow* popup_ = nullptr;
    std::unique_ptr<TcxEditPopupControlLookAndFeel> popupControlsLookAndFeel_;
    std::unique_ptr<TcxCustomDropDownEditData> editData_;
    bool popupRequested_ = false;
    bool popupSizeChanged_ = false;
    // A size the user gave the popup wins over its automatic size from then on.
    bool userSized_ = false;
    bool hotAndPopup_ = false;
    // The popup last closed because another window took the activation, at this tick.
    bool deactivated_ = false;
    DWORD deactivatedAt_ = 0;
    // Alt+Up or Alt+Down opened or closed the popup since Alt went down: the release
    // of Alt is used up (see InnerMessage).
    bool altArrowUsed_ = false;
    // Enter or Escape closed the popup: the character the key makes next is not typed.
    bool closeUpMark_ = false;
};

class TcxDropDownEdit : public TcxCustomDropDownEdit {
public:
    using TcxCustomDropDownEdit::TcxCustomDropDownEdit;
};

// ---------------------------------------------------------------------------
// The popup window

// The geometry of the popup's frame, worked out from its size and settings.
class TcxCustomEditPopupWindowViewInfo : public TcxContainerViewInfo {
public:
    TcxEditPopupBorderStyle EditBorderStyle = epbsSingle;
    bool ClientEdge = false;
    bool Sizeable = false;
    bool SysPanelStyle = false;
    int SysPanelHeight = 0;
    // 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
    int SizeGripCorner = 3;
    int SizingOffset = 0;
    RECT SysPanelRect{};
    RECT SizeGripRect{};
    RECT CloseButtonRect{};
    // 1 normal, 2 hot, 3 pressed.
    int CloseButtonState = 1;
    TcxLookAndFeelPainterClass Painter = nullptr;

    void Paint(TcxCanvas& ACanvas) override;
    void Assign(const TcxContainerViewInfo& ASource) override;
    bool IsEqual(const TcxContainerViewInfo& AOther) const override;
    bool GripAtTop() const { return SizeGripCorner < 2; }
    bool GripAtLeft() const { return SizeGripCorner % 2 == 0; }

protected:
    virtual void PaintBorder(TcxCanvas& ACanvas);
    virtual void PaintSysPanel(TcxCanvas& ACanvas);
};

// Sides a mouse sizing moves.
enum : unsigned { pszLeft = 1, pszTop = 2, pszRight = 4, pszBottom = 8 };

class TcxCustomEditPopupWindow : public TcxCustomPopupWindow {
public:
    explicit TcxCustomEditPopupWindow(TcxCustomDropDownEdit* AEdit);
    ~TcxCustomEditPopupWindow() override;

    // nullptr once the edit has let go of the popup.
    TcxCustomDropDownEdit* Edit() const { return edit_; }
    void DetachEdit() { edit_ = nullptr; }
    TcxCustomEditPopupWindowViewInfo& ViewInfo()
    {
        return static_cast<TcxCustomEditPopupWindowViewInfo&>(TcxCustomPopupWindow::ViewInfo());
    }

    // Settings copied from the edit each time the popup is set up.
    bool PopupAutoSize() const { return autoSize_; }
    void SetPopupAutoSize(bool Value) { autoSize_ = Value; }
    bool ClientEdge() const { return clientEdge_; }
    void SetClientEdge(bool Value) { clientEdge_ = Value; }
    int MinHeight() const { return minHeight_; }
    void SetMinHeight(int Value) { minHeight_ = Value; }
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int Value) { minWidth_ = Value; }
    bool Sizeable() const { return sizeable_; }
    void SetSizeable(bool Value) { sizeable_ = Value; }
    bool SysPanelStyle() const { return sysPanelStyle_; }
    void SetSysPanelStyle(bool Value) { sysPanelStyle_ = Value; }
    // The size to use when not auto-sized (0: the edit's width; the minimal height).
    int PopupWidth() const { return popupWidth_; }
    void SetPopupWidth(int Value) { popupWidth_ = Value; }
    int PopupHeight() const { return popupHeight_; }
    void SetPopupHeight(int Value) { popupHeight_ = Value; }
    TcxEditPopupBorderStyle EditBorderStyle() const { return editBorderStyle_; }
    void SetEditBorderStyle(TcxEditPopupBorderStyle Value) { editBorderStyle_ = Value; }
    bool NativeStyle() const { return nativeStyle_; }
    void SetNativeStyle(bool Value) { nativeStyle_ = Value; }
    bool Shadow() const { return shadow_; }
    void SetShadow(bool Value) { shadow_ = Value; }
    // The corner the size grip sits in (worked out with the position).
    int SizeGripCorner() const { return sizeGripCorner_; }

    // The border extents of each side: frame, client edge, shadow, system panel.
    virtual RECT BorderExtents() const;
    // Pixels of a line at the popup's display density.
    int Line() const;
    // The smallest size the frame allows.
    virtual SIZE MinimalSize() const;
    // The size for the visual area's preferred size and the settings.
    virtual SIZE CalculateSize();
    // A size asked for by mouse sizing, made acceptable.
    virtual SIZE CheckSize(SIZE ASize);
    POINT CalculatePosition() override;
    int GetBorderWidth(int ASide) const override;
    void CalculateViewInfo() override;
    // Lays the popup out again: view info, visual area, region, repaint.
    void Relayout();
    // Cuts the shadow's corners off the window.
    void UpdateWindowRegion() override;
    // The sides a press at P (client coordinates) would move.
    unsigned SizingHitTest(POINT P);
    bool IsSizing() const { return sizing_; }
    // The sizing zones reach over the popup's controls (not over their scroll bars).
    bool TakesChildPress(HWND AChild, POINT AClient, UINT AMsg) override;

    void WndProc(qv::TMessage& Message) override;

protected:
    std::unique_ptr<TcxContainerViewInfo> CreateViewInfo() override;
    bool CloseQuery() override;
    void KeyDown(WORD& Key, qv::TShiftState Shift) override;
    void MouseDown(qv::TMouseButton Button, qv::TShiftState Shift, int X, int Y) override;
    void MouseMove(qv::TShiftState Shift, int X, int Y) override;
    void MouseUp(qv::TMouseButton Button, qv::TShiftState Shift, int X, int Y) override;

private:
    int FrameWidth() const;
    int PanelHeight() const;
    RECT EditScreenRect() const;
    void DrawTrackFrame(const RECT& R);
    void TrackTo(POINT AScreen);
    void EndSizing(bool AApply);
    void SetCloseButtonState(int AState);

    TcxCustomDropDownEdit* edit_;
    bool autoSize_ = true;
    bool clientEdge_ = false;
    int minHeight_ = 0;
    int minWidth_ = 0;
    bool sizeable_ = false;
    bool sysPanelStyle_ = false;
    int popupWidth_ = 0;
    int popupHeight_ = 0;
    TcxEditPopupBorderStyle editBorderStyle_ = epbsSingle;
    bool nativeStyle_ = false;
    bool shadow_ = false;
    int sizeGripCorner_ = 3;
    // Mouse sizing: the sides that move, the pointer's distance from them, the frame.
    bool sizing_ = false;
    // Whether the popup counted as resized before this sizing began.
    bool sizeChangedBefore_ = false;
    unsigned sizingSides_ = 0;
    POINT grabOffset_{};
    RECT trackRect_{};
    bool frameShown_ = false;
    bool pressingClose_ = false;
    // Cleared by the destructor (a hook may destroy the popup).
    std::shared_ptr<bool> living_ = std::make_shared<bool>(true);
};

// ---------------------------------------------------------------------------
// The popup edit: shows a control the application names.

class TcxCustomPopupEditProperties : public TcxCustomDropDownEditProperties {
public:
    explicit TcxCustomPopupEditProperties(qv::TPersistent* AOwner);
    ~TcxCustomPopupEditProperties() override;

    // Cleared when the control is destroyed.
    qv::TControl* PopupControl() const { return popupControl_; }
    void SetPopupControl(qv::TControl* Value);

    bool PopupCapturesFocus() const override { return true; }
    bool VisualAreaByLookupData() const override { return false; }
    TcxCustomEditPopupWindow* CreatePopupWindow(TcxCustomDropDownEdit* AEdit) override;
    bool IsInstance(const TcxCustomEditProperties& AProperties) const override
    {
        return dynamic_cast<const TcxCustomPopupEditProperties*>(&AProperties);
    }
    TcxCustomEdit* CreateEdit(qv::TComponent* AOwner) override;

protected:
    void DoAssign(const TcxCustomEditProperties& ASource) override;

private:
    class TWatch;
    qv::TControl* popupControl_ = nullptr;
    std::unique_ptr<TWatch> watch_;
};

class TcxPopupEditProperties : public TcxCustomPopupEditProperties {
public:
    using TcxCustomPopupEditProperties::TcxCustomPopupEditProperties;
};

class TcxCustomPopupEdit : public TcxCustomDropDownEdit {
public:
    using TcxCustomDropDownEdit::TcxCustomDropDownEdit;
    ~TcxCustomPopupEdit() override;

    TcxCustomPopupEditProperties& Properties()
    {
        return static_cast<TcxCustomPopupEditProperties&>(TcxCustomEdit::Properties());
    }
    TcxCustomPopupEditProperties& ActiveProperties()
    {
        return static_cast<TcxCustomPopupEditProperties&>(TcxCustomEdit::ActiveProperties());
    }

    // Refuses a PopupControl that is the edit, holds it, or is the popup itself.
    void DropDown() override;
    bool CanDropDown() override { return ActiveProperties().PopupControl() != nullptr; }
    qv::TWinControl* GetPopupFocusedControl() override;
    SIZE GetPopupWindowClientPreferredSize() override;
    void PositionPopupWindowChildren(const RECT& AClientRect) override;

protected:
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override;
    void CreatePopupVisualArea() override;
    void ReleasePopupVisualArea(bool ADestroying) override;
    void PopupVisualAreaPlaced() override;
    void Notification(qv::TComponent* AComponent, qv::TOperation Operation) override;

private:
    // The control while it is in the popup, and what it had before.
    qv::TControl* shown_ = nullptr;
    qv::TWinControl* savedParent_ = nullptr;
    qv::TAlign savedAlign_ = qv::TAlign::alNone;
    RECT savedBounds_{};
    bool savedVisible_ = true;
    bool savedFormBorder_ = false;
    qv::TFormBorderStyle savedBorderStyle_ = qv::TFormBorderStyle::bsNone;
};

class TcxPopupEdit : public TcxCustomPopupEdit {
public:
    using TcxCustomPopupEdit::TcxCustomPopupEdit;
};

class TcxPopupEditPopupWindowViewInfo : public TcxCustomEditPopupWindowViewInfo {};

class TcxPopupEditPopupWindow : public TcxCustomEditPopupWindow {
public:
    using TcxCustomEditPopupWindow::TcxCustomEditPopupWindow;

protected:
    std::unique_ptr<TcxContainerViewInfo> CreateViewInfo() override;
};

// ---------------------------------------------------------------------------
// The combo box: a drop-down edit whose popup lists its items and whose text is tied
// to them (the current item follows the text; incremental search while typing).

// How free the text is (each style maps to an editing style of the text edit).
enum TcxEditDropDownListStyle { lsEditFixedList, lsEditList, lsFixedList };

class TcxCustomComboBox;

using TcxEditDrawItemEvent = std::function<void(TcxCustomComboBox* AControl, TcxCanvas* ACanvas, int AIndex,
                                                const RECT& ARect, qv::TOwnerDrawState AState)>;
using TcxComboBoxMeasureItemEvent =
    std::function<void(TcxCustomComboBox* AControl, int AIndex, TcxCanvas* ACanvas, int& AHeight)>;

class TcxCustomComboBoxProperties : public TcxCustomDropDownEditProperties {
public:
    explicit TcxCustomComboBoxProperties(qv::TPersistent* AOwner);

    // The items are the text edit's lookup items; assigning copies.
    qv::TStrings& Items() { return LookupItems(); }
    void SetItems(const qv::TStrings& Value) { SetLookupItems(Value); }
    bool Sorted() const { return LookupItemsSorted(); }
    void SetSorted(bool Value) { SetLookupItemsSorted(Value); }
    TcxEditDropDownListStyle DropDownListStyle() const { return dropDownListStyle_; }
    void SetDropDownListStyle(TcxEditDropDownListStyle Value);
    // Rows shown before the list scrolls; values below 1 are ignored.
    int DropDownRows() const { return dropDownRows_; }
    void SetDropDownRows(int Value);
    bool DropDownAutoWidth() const { return PopupAutoSize(); }
    void SetDropDownAutoWidth(bool Value) { SetPopupAutoSize(Value); }
    bool DropDownSizeable() const { return PopupSizeable(); }
    void SetDropDownSizeable(bool Value) { SetPopupSizeable(Value); }
    int DropDownWidth() const { return PopupWidth(); }
    void SetDropDownWidth(int Value) { SetPopupWidth(Value); }
    // A fixed row height; 0 or less: the font's row height.
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int Value);
    // A double click on the closed combo box steps to the next item, wrapping.
    bool Revertable() const { return revertable_; }
    void SetRevertable(bool Value) { revertable_ = Value; }

    TcxEditEditingStyle EditingStyle() const override;
    bool TextAreaClickOpens() const override { return dropDownListStyle_ == lsFixedList; }
    bool UsesLookupData() const override { return true; }
    // A sizeable list shows a size grip.
    bool PopupSysPanelShown() const override { return PopupSysPanelStyle() || DropDownSizeable(); }
    TcxCustomEditPopupWindow* CreatePopupWindow(TcxCustomDropDownEdit* AEdit) override;
    // In the two fixed styles a non-empty text must be one of the items (ignoring case).
    void ValidateDisplayValue(TcxEditValue& ADisplayValue, std::wstring& AErrorText, bool& AError,
                              TcxCustomEdit* AEdit) override;
    bool IsInstance(const TcxCustomEditProperties& AProperties) const override
    {
        return dynamic_cast<const TcxCustomComboBoxProperties*>(&AProperties);
    }
    std::unique_ptr<TcxCustomEditViewData> CreateViewData(TcxCustomEditStyle* AStyle) override;
    TcxCustomEdit* CreateEdit(qv::TComponent* AOwner) override;

    TcxEditDrawItemEvent OnDrawItem;
    TcxComboBoxMeasureItemEvent OnMeasureItem;

protected:
    void DoAssign(const TcxCustomEditProperties& ASource) override;

private:
    TcxEditDropDownListStyle dropDownListStyle_ = lsEditList;
    int dropDownRows_ = 8;
    int itemHeight_ = 0;
    bool revertable_ = false;
};

class TcxComboBoxProperties : public TcxCustomComboBoxProperties {
public:
    using TcxCustomComboBoxProperties::TcxCustomComboBoxProperties;
};

// Draws the drop-down button as the combo box's own.
class TcxCustomComboBoxViewData : public TcxCustomDropDownEditViewData {
public:
    using TcxCustomDropDownEditViewData::TcxCustomDropDownEditViewData;
    void Calculate(const RECT& ABounds, POINT P, bool AMouseOver, qv::TShiftState AButtons,
                   TcxCustomEditViewInfo& AViewInfo) override;
};

// The list of a combo box: owner drawing and measuring by the properties' events,
// re-created when the way rows are measured changes.
class TcxComboBoxListBox : public TcxCustomEditListBox {
public:
    TcxComboBoxListBox(qv::TComponent* AOwner, TcxCustomTextEditLookupData* ALookupData, TcxCustomComboBox* ACombo);
    // Before each opening: re-creates the window when the rows must be measured again.
    void CheckMeasuring();

protected:
    void CreateParams(qv::TCreateParams& Params) override;
    void DoDrawItem(TcxCanvas& ACanvas, int AIndex, const RECT& ARect, qv::TOwnerDrawState AState) override;
    void DoMeasureItem(int AIndex, int& AHeight) override;
    void WndProc(qv::TMessage& Message) override;

private:
    TcxCustomComboBox* combo_;
    bool firstSetup_ = true;
    bool measureAssigned_ = false;
    int itemHeight_ = 0;
};

class TcxComboBoxLookupData : public TcxCustomTextEditLookupData {
public:
    explicit TcxComboBoxLookupData(TcxCustomComboBox* AOwner);
    int DropDownRows() const override;
    int RowHeight(int AIndex) override;

protected:
    TcxCustomEditListBox* CreateListBox(qv::TComponent* AOwner) override;
    void ListPrepared(TcxCustomEditListBox& AList) override;

private:
    TcxCustomComboBox* combo_;
};

// Clears its clicked state on left-button release.
class TcxCustomComboBoxInnerEdit : public TcxCustomDropDownInnerEdit {
public:
    using TcxCustomDropDownInnerEdit::TcxCustomDropDownInnerEdit;
};

class TcxComboBoxPopupWindow : public TcxCustomEditPopupWindow {
public:
    using TcxCustomEditPopupWindow::TcxCustomEditPopupWindow;
    // As wide as the widest item (never narrower than the edit), up to DropDownRows rows.
    SIZE CalculateSize() override;
};

class TcxCustomComboBox : public TcxCustomDropDownEdit {
public:
    using TcxCustomDropDownEdit::TcxCustomDropDownEdit;

    TcxCustomComboBoxProperties& Properties()
    {
        return static_cast<TcxCustomComboBoxProperties&>(TcxCustomEdit::Properties());
    }
    TcxCustomComboBoxProperties& ActiveProperties()
    {
        return static_cast<TcxCustomComboBoxProperties&>(TcxCustomEdit::ActiveProperties());
    }
    qv::TStrings& Items() { return Properties().Items(); }

    bool CanDropDown() override { return ActiveProperties().Items().Count() > 0; }
    void PopupWindowShown() override;
    void WndProc(qv::TMessage& Message) override;

protected:
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override;
    qv::TWinControl* CreateInnerEdit() override;
    std::unique_ptr<TcxCustomTextEditLookupData> CreateLookupData() override;
    void CreatePopupVisualArea() override;
    void HandleEditKey(WORD& Key, qv::TShiftState Shift) override;
    void MouseDown(qv::TMouseButton Button, qv::TShiftState Shift, int X, int Y) override;
    void MouseMove(qv::TShiftState Shift, int X, int Y) override;
    // The wheel over the inner window, its double click (Revertable steps) and the
    // capture it keeps after a press.
    bool InnerMessage(qv::TMessage& Message, qv::TMessagePhase Phase) override;

private:
    // A double click with Revertable: the next item, wrapping.
    void StepOnDoubleClick();
    // The wheel: over the open list it scrolls the list, on the closed edit it steps.
    void MouseWheel(qv::TMessage& Message);
    // After Enter or Escape closed the list: the current item and the search state follow the text.
    void SyncLookup();

    // A double click reached the closed list's inner window (see InnerMessage).
    bool stepOnDoubleClick_ = false;
};

class TcxComboBox : public TcxCustomComboBox {
public:
    using TcxCustomComboBox::TcxCustomComboBox;
};
