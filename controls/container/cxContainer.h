// Bordered containers: a windowed control that hosts one inner control and draws a
// border, an optional shadow and a background around it. What the border looks like
// comes from a style whose values are assigned on the style itself, taken from a
// shared style controller, or defaults of the look-and-feel kind; a view info holds
// the geometry and colours worked out from the style and the control's state.
#pragma once

#include "controls/container/cxControls.h"
#include "controls/lookandfeel/cxGraphics.h"
#include "controls/lookandfeel/cxLookAndFeels.h"
#include "controls/lookandfeel/dxUxTheme.h"
#include "framework/Sets.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TcxContainerBorderStyle { cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsUltraFlat };

enum TcxBorder { bLeft, bTop, bRight, bBottom };
using TcxBorders = qv::TSet<TcxBorder, std::uint8_t>;
inline constexpr TcxBorders cxBordersAll{bLeft, bTop, bRight, bBottom};

// Which values a style assigns itself: bit numbers 0..31.
using TcxContainerStyleValues = qv::TSet<int, std::uint32_t>;
enum : int {
    csvBorderColor,
    csvBorderStyle,
    csvColor,
    csvEdges,
    csvFont,
    csvHotTrack,
    csvShadow,
    csvTransparentBorder,
};
inline constexpr int cxContainerStyleValueCount = 8;

// The state a view info is worked out for (a set: focused 1, disabled 2, hot 4, normal 8).
enum TcxContainerStateItem { csFocused, csDisabled, csHot, csNormal };
using TcxContainerState = qv::TSet<TcxContainerStateItem, std::uint8_t>;

// 0: the style does not hot-track; 1: it does, the control is idle; 2: focused or hot.
enum TcxContainerHotState { chsNoHotTrack, chsNormal, chsSelected };

// The border width each drawn border style takes on one side.
int GetContainerBorderWidth(TcxContainerBorderStyle ABorderStyle);
// The border drawn for a style's border style in a hot state.
TcxContainerBorderStyle GetDrawnBorderStyle(TcxContainerBorderStyle AStyleBorderStyle, TcxContainerHotState AHotState);

class TcxContainerStyle;
class TcxStyleController;

// The object a style belongs to: the style reports its changes to it, and asks which
// of its values the owner takes from elsewhere (those are not written to form files).
class IcxContainerStyleOwner {
public:
    virtual void StyleChanged(TcxContainerStyle* Sender) = 0;
    virtual TcxContainerStyleValues GetStyleValuesSuppliedElsewhere(const TcxContainerStyle*) const { return {}; }

protected:
    ~IcxContainerStyleOwner() = default;
};

class TcxContainerStyle : public qv::TPersistent {
public:
    // AOwner: the control or controller the style belongs to (may be nullptr). A
    // dependent style (one kept for a single state of a control) shares AParentStyle's font.
    explicit TcxContainerStyle(qv::TPersistent* AOwner, bool AIsDependent = false,
                               TcxContainerStyle* AParentStyle = nullptr);
    ~TcxContainerStyle() override;
    TcxContainerStyle(const TcxContainerStyle&) = delete;
    TcxContainerStyle& operator=(const TcxContainerStyle&) = delete;

    // Copies the controller, the look-and-feel, every value, the font and
    // AssignedValues of another container style, reporting one change.
    void Assign(const qv::TPersistent* Source) override;
    qv::TPersistent* GetOwner() const override { return owner_; }

    TcxContainerStyleValues AssignedValues() const { return assignedValues_; }
    // Dropped bits fall back to the controller or the default.
    void SetAssignedValues(TcxContainerStyleValues Value);
    bool IsValueAssigned(int AValue) const { return assignedValues_.Contains(AValue); }
    // Whether the value is written to a form file.
    bool IsValueStored(int AValue) const;

    qv::TColor BorderColor() const;
    void SetBorderColor(qv::TColor Value);
    TcxContainerBorderStyle BorderStyle() const;
    void SetBorderStyle(TcxContainerBorderStyle Value);
    qv::TColor Color() const;
    void SetColor(qv::TColor Value);
    TcxBorders Edges() const;
    void SetEdges(TcxBorders Value);
    // A dependent style answers its main style's font. Changing it assigns it.
    qv::TFont& Font() const;
    void SetFont(const qv::TFont& Value);
    bool HotTrack() const;
    void SetHotTrack(bool Value);
    bool Shadow() const;
    void SetShadow(bool Value);
    bool TransparentBorder() const;
    void SetTransparentBorder(bool Value);
    TcxLookAndFeel& LookAndFeel() const { return *lookAndFeel_; }
    void SetLookAndFeel(const TcxLookAndFeel& Value) { lookAndFeel_->Assign(&Value); }

    // nullptr stands for the class's default controller (none). A controller that
    // would lead back to this style is refused.
    TcxStyleController* StyleController() const { return styleController_; }
    void SetStyleController(TcxStyleController* Value);

    // The names of the assigned bits, in bit order; descendants add theirs after these.
    virtual int GetAssignedValuesCount() const { return cxContainerStyleValueCount; }
    virtual std::wstring GetAssignedValueName(int AIndex) const;

    // Changes between the two are reported once, at the end.
    void BeginUpdate();
    void EndUpdate();
    // Within one bracket: the owning control gets ParentColor false and ParentFont
    // true, the look-and-feel forgets its values and no value stays assigned.
    void RestoreDefaults();

    bool IsDependent() const { return isDependent_; }
    bool IsDestroying() const { return isDestroying_; }
    // The control the style belongs to, when its owner is one.
    qv::TControl* Control() const;
    TcxContainerStyle* ParentStyle() const { return parentStyle_; }

    // The controller's style changed (or the controller went away): pick up its font
    // while the font is not assigned, and report the change.
    void ControllerChanged();
    // The controller is being destroyed and forgets this style.
    void ControllerFreed(TcxStyleController* AController);
    // The owning control's font is now AFont (it follows its parent unless AOwn).
    void OwnerFontChanged(const qv::TFont& AFont, bool AOwn);

protected:
    // Reports a change now, or at the end of the update bracket.
    virtual void Changed();
    // The style of the controller, or nullptr.
    TcxContainerStyle* ControllerStyle() const;
    // The defaults when neither this style nor a controller assigns the value.
    virtual TcxContainerBorderStyle DefaultBorderStyle() const;
    virtual qv::TColor DefaultColor() const;
    // Descendants copy their own values inside Assign's bracket.
    virtual void DoAssign(const TcxContainerStyle& ASource);

private:
    void SetValueAssigned(int AValue);
    // Tells the owner, unless the style is going away.
    void Report();
    void FontChanged();
    // Takes the controller's font without assigning it.
    void FollowControllerFont();
    bool WouldCycle(const TcxStyleController* AController) const;

    qv::TPersistent* owner_;
    bool isDependent_;
    TcxContainerStyle* parentStyle_;
    TcxContainerStyleValues assignedValues_;
    qv::TColor borderColor_ = qv::clWindowFrame;
    TcxContainerBorderStyle borderStyle_ = cbsUltraFlat;
    qv::TColor color_ = qv::clWindow;
    TcxBorders edges_ = cxBordersAll;
    std::unique_ptr<qv::TFont> font_;
    bool hotTrack_ = true;
    bool shadow_ = false;
    bool transparentBorder_ = true;
    std::unique_ptr<TcxLookAndFeel> lookAndFeel_;
    TcxStyleController* styleController_ = nullptr;
    TcxUpdateBracket update_;
    bool isDestroying_ = false;
    // A font copied from elsewhere (controller, control) does not count as assigned.
    bool copyingFont_ = false;
};

using TcxStyleChangedEvent = std::function<void(qv::TObject* Sender, TcxContainerStyle* AStyle)>;

// A component that lends its style's values to every style that names it.
class TcxStyleController : public qv::TComponent, public IcxContainerStyleOwner {
public:
    explicit TcxStyleController(qv::TComponent* AOwner);
    ~TcxStyleController() override;

    // Made on first use from CreateStyle.
    TcxContainerStyle& Style();
    void SetStyle(const TcxContainerStyle& Value) { Style().Assign(&Value); }
    bool IsDestroying() const { return isDestroying_; }
    // The styles that name this controller, in the order they came.
    const std::vector<TcxContainerStyle*>& Listeners() const { return listeners_; }

    void AddListener(TcxContainerStyle* AStyle);
    void RemoveListener(TcxContainerStyle* AStyle);

    void Loaded() override;

    // IcxContainerStyleOwner
    void StyleChanged(TcxContainerStyle* Sender) override;

    TcxStyleChangedEvent OnStyleChanged;

protected:
    // The class of the controller's style.
    virtual std::unique_ptr<TcxContainerStyle> CreateStyle();
    // Calls OnStyleChanged, then tells every listed style.
    virtual void Changed();

private:
    std::unique_ptr<TcxContainerStyle> style_;
    std::vector<TcxContainerStyle*> listeners_;
    bool isDestroying_ = false;
};

class TcxContainer;

// The geometry and colours of a container, worked out afresh from its style and state.
class TcxContainerViewInfo : public qv::TObject {
public:
    RECT Bounds{};
    // Inside the border.
    RECT BorderRect{};
    RECT ClientRect{};
    qv::TColor BorderColor = qv::clBtnShadow;
    // The border style drawn.
    TcxContainerBorderStyle BorderStyle = cbsNone;
    // Pixels, for the display density the control is drawn at (LineWidth per line).
    int BorderWidth = 0;
    int LineWidth = 1;
    TcxBorders Edges = cxBordersAll;
    bool Shadow = false;
    bool NativeStyle = false;
    int ThemedObjectType = 0;
    int NativePart = 0;
    int NativeState = 0;
    qv::TColor BackgroundColor = qv::clWindow;
    TcxContainerState ContainerState{csNormal};
    TcxContainerHotState HotState = chsNoHotTrack;

    // Paints border, shadow and background; nothing for an empty bounds rectangle or
    // when the canvas's clipping misses it, and nothing outside the bounds.
    virtual void Paint(TcxCanvas& ACanvas);
    // Copies and compares every field (descendants include their own).
    virtual void Assign(const TcxContainerViewInfo& ASource);
    virtual bool IsEqual(const TcxContainerViewInfo& AOther) const;
    // The shadow's bands right and below: three lines wide.
    int ShadowSize() const { return Shadow ? 3 * LineWidth : 0; }
    // The border rectangle grown by the border and the shadow.
    RECT GetOuterRect() const;

protected:
    virtual void PaintClassic(TcxCanvas& ACanvas);
    virtual void PaintThemed(TcxCanvas& ACanvas);
    // The themed content rectangle of the part inside ABounds, and the themed border
    // colour; answered by the visual-styles binding where it draws the container.
    virtual RECT GetThemedContentRect(const RECT& ABounds) const;
    virtual qv::TColor GetThemedBorderColor() const;
    // Draws the border of the drawn style into R.
    virtual void DrawBorder(TcxCanvas& ACanvas, const RECT& R);
};

// A bordered control hosting one inner control.
class TcxContainer : public TcxControl, public IcxMouseTrackingCaller, public IcxContainerStyleOwner,
                    private qv::IMessageHost {
public:
    explicit TcxContainer(qv::TComponent* AOwner);
    ~TcxContainer() override;

    // Made on first use from CreateStyle; the control's look-and-feel follows the style's.
    TcxContainerStyle& Style();
    void SetStyle(const TcxContainerStyle& Value) { Style().Assign(&Value); }
    // Made on first use from CreateViewInfo; recomputed by CalculateViewInfo.
    TcxContainerViewInfo& ViewInfo();

    qv::TWinControl* InnerControl() const { return innerControl_; }
    // Hosts AControl (owned by whoever created it): the container becomes its parent,
    // watches its focus and mouse messages, and places it in the client rectangle.
    void SetInnerControl(qv::TWinControl* AControl);

    // Placing the container makes its style (its constructor is done by then).
    void SetParent(qv::TWinControl* AParent) override;

    // The container counts as focused when its window or the inner control has the focus.
    // The container or its inner control has the focus.
    bool Focused() const override;
    // Whether the container is drawn in its focused state: it has the focus (a drop-down
    // edit also while its popup is open).
    virtual bool DrawAsFocused() const { return Focused(); }
    // The container's own window has the focus (not its inner control): it hands the
    // focus on as it gets it.
    bool HasOwnWindowFocus() const { return TcxControl::Focused(); }
    void SetFocus() override;

    // Recalculates the view info from the mouse position now and repaints what changed.
    void ShortRefreshContainer(bool AIsMouseEvent);
    // The same after a change of a setting; nothing before the view info is first used.
    void Recalculate();
    // Works the view info out for the mouse at P (client coordinates).
    virtual void CalculateViewInfo(POINT P, bool AIsMouseOver);

    void WndProc(qv::TMessage& Message) override;

    // IcxMouseTrackingCaller
    void MouseLeave() override;
    // IcxContainerStyleOwner
    void StyleChanged(TcxContainerStyle* Sender) override;

protected:
    virtual std::unique_ptr<TcxContainerStyle> CreateStyle();
    virtual std::unique_ptr<TcxContainerViewInfo> CreateViewInfo();
    // Whether the container draws through the system theme, and with which object.
    virtual bool CanDrawThemed() const;
    // The theme class (a TdxThemeClassKind) and part state of the container's object.
    virtual int GetThemedObjectType() const { return totEdit; }
    virtual int GetNativeState() const;
    // The part of the control that counts for hot tracking (client coordinates).
    virtual bool IsInHotArea(POINT P) const;
    // Whether the container handles Tab itself (the form does not move the focus).
    virtual bool IsInternalControlTab() const { return false; }
    // Places the inner control into the view info's client rectangle.
    virtual void AdjustInnerControl();
    // The view info changed: repaint what needs it (all by default).
    virtual void ViewInfoChanged(const TcxContainerViewInfo& APrevious);
    // Every message of the inner control passes here (the container is its message
    // host), once before the inner control's own handling (mpBefore: true when it is
    // handled here, and the inner control does not see it) and once after it (mpAfter).
    // This is the one place where the edits built on the container give the inner
    // window's keys, clicks and focus their meaning; each override handles its own
    // messages and passes the rest on to its base.
    bool InnerMessage(qv::TMessage& Message, qv::TMessagePhase Phase) override;

    void CreateParams(qv::TCreateParams& Params) override;
    void CreateHandle() override;
    void AdjustClientRect(RECT& R) override;
    void BoundsChanged() override;

public:
    // The container scales itself; its inner control is placed by it, not scaled.
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    // The inner control takes the container's cursor and drag mode.
    void CursorChanged() override;
    void DragModeChanged() override;
    void FocusChanged() override;
    void KeyDown(WORD& Key, qv::TShiftState Shift) override;
    void MouseMove(qv::TShiftState Shift, int X, int Y) override;
    void DoContextPopup(POINT MousePos, bool& Handled) override;
    void DoPaint(TcxCanvas& ACanvas) override;
    void Notification(qv::TComponent* AComponent, qv::TOperation Operation) override;

private:
    void ReleaseInnerControl();
    void BeginHotTracking();

    std::unique_ptr<TcxContainerStyle> style_;
    std::unique_ptr<TcxContainerViewInfo> viewInfo_;
    std::unique_ptr<TcxContainerViewInfo> previous_;
    std::unique_ptr<qv::TBitmap> buffer_;
    qv::TWinControl* innerControl_ = nullptr;
    bool calculating_ = false;
    bool syncingFont_ = false;
};


// ---------------------------------------------------------------------------
// The popup of an editor

// Posted to a popup by its editor.
// Close without asking; the owner control's focused window hears WM_SETFOCUS again.
inline constexpr UINT CXM_CLOSEPOPUPWINDOW = WM_APP + 101;
// Show; wParam is the window of the control to focus (or 0).
inline constexpr UINT CXM_SHOWPOPUPWINDOW = WM_APP + 102;

// Why a popup closed: a plain call (or a modal result), the owner's close request,
// another window taking the activation or a press outside (or the owner's window
// moving), or Escape.
enum TcxPopupCloseReason { pcrClosed, pcrOwner, pcrDeactivated, pcrCancel };

using TcxPopupCloseEvent = std::function<void(qv::TObject* Sender, TcxPopupCloseReason AReason)>;

// A popup that belongs to a control: it is listed while open (in opening order,
// process-wide), either takes the focus and runs a local message loop or floats
// without taking the activation, closes when the activation goes to a window
// outside the chain of open popups or on Escape, and gives the focus back to its
// owner. Its frame and background come from a container style and view info.
class TcxCustomPopupWindow : public TcxPopupWindow, public IcxContainerStyleOwner {
public:
    // The owner control also owns the popup (it goes when the control goes).
    explicit TcxCustomPopupWindow(qv::TControl* AOwnerControl);
    ~TcxCustomPopupWindow() override;

    qv::TControl* OwnerControl() const { return ownerControl_; }
    // Made on first use from CreateStyle; its changes reach the popup.
    TcxContainerStyle& Style();
    // Made on first use from CreateViewInfo.
    TcxContainerViewInfo& ViewInfo();
    // True: an owned, activatable window that takes the focus; false: a tool
    // window that never takes the activation and leaves the focus in the owner.
    bool CaptureFocus() const { return captureFocus_; }
    void SetCaptureFocus(bool Value);
    // With CaptureFocus, topmost when the owner's form is topmost or there is none.
    bool TopmostLikeParent() const { return topmostLikeParent_; }
    void SetTopmostLikeParent(bool Value);
    // Popup does not return while a focus-taking popup is open.
    bool ModalLoop() const { return modalLoop_; }
    void SetModalLoop(bool Value) { modalLoop_ = Value; }
    // The control focused when the popup opened.
    qv::TWinControl* PopupFocusControl() const { return focusControl_; }
    // Set while the owner closes the popup (CXM_CLOSEPOPUPWINDOW).
    bool ClosingByOwner() const { return closingByOwner_; }
    bool IsOpen() const;

    // The open popups, oldest first.
    static const std::vector<TcxCustomPopupWindow*>& OpenPopups();
    // The popup being shown or hidden right now, or nullptr: the activation and
    // focus changes it causes are its own.
    static TcxCustomPopupWindow* PopupInTransition();

    virtual void DoClosed(TcxPopupCloseReason AReason);
    virtual void DoClosing(TcxPopupCloseReason AReason);
    virtual void DoShown();
    // The keys an editor leaves to its open popup.
    virtual bool IsPopupKey(WORD AKey) const;
    virtual bool ErasesBackground() const { return false; }
    // Closes without asking.
    void ClosePopup() override;
    // Nothing when not open; AWithQuery: the form's close query may refuse.
    virtual void ClosePopup(bool AWithQuery, TcxPopupCloseReason AReason = pcrClosed);
    void Popup() override;
    // Opens, focusing AFocusedControl (with CaptureFocus: when it can take the focus
    // and is a tab stop; else the first tab stop inside, else the popup).
    virtual void Popup(qv::TWinControl* AFocusedControl);

    // Works the frame and client rectangle out from the style and the size.
    virtual void CalculateViewInfo();
    // Cuts the two corners that a shadow leaves outside the frame off the window, so
    // that they show what lies below rather than stale screen.
    virtual void UpdateWindowRegion();
    // A press (AMsg) on AChild, one of the popup's windows, at AClient (the popup's
    // client coordinates) that the popup takes itself, as on its own window.
    virtual bool TakesChildPress(HWND /*AChild*/, POINT /*AClient*/, UINT /*AMsg*/) { return false; }
    // The owner's place on the screen changed since the popup opened.
    bool OwnerMoved() const;

    void WndProc(qv::TMessage& Message) override;
    // IcxContainerStyleOwner
    void StyleChanged(TcxContainerStyle* Sender) override;

    TcxPopupCloseEvent OnClosing;
    TcxPopupCloseEvent OnClosed;
    qv::TNotifyEvent OnShowing;
    qv::TNotifyEvent OnShown;

protected:
    virtual std::unique_ptr<TcxContainerStyle> CreateStyle();
    virtual std::unique_ptr<TcxContainerViewInfo> CreateViewInfo();

    // The base frame plus the style's frame and shadow.
    int GetBorderWidth(int ASide) const override;
    // The popup keeps its own font.
    void InitPopupFont() override {}
    void CreateParams(qv::TCreateParams& Params) override;
    void CreateWnd() override;
    void CreateHandle() override;
    void AdjustClientRect(RECT& R) override;
    void PaintWindow(HDC DC) override;
    void KeyDown(WORD& Key, qv::TShiftState Shift) override;
    void ShowWindowNow(bool AShow) override;
    void Notification(qv::TComponent* AComponent, qv::TOperation Operation) override;
    // Cuts the two rectangles (window coordinates) off the window, or gives it all back.
    void SetShadowCorners(bool ACut, const RECT& ATopRight, const RECT& ABottomLeft);

private:
    qv::TCustomForm* OwnerParentForm() const;
    bool IsParentTopmost() const;
    // The width of the style's frame as the popup draws it.
    int StyleFrameWidth() const;
    void SetPopupFocusControl(qv::TWinControl* AControl);
    // Another window (AActive) took the activation.
    void Deactivated(HWND AActive);
    void CloseByEscape();
    void CloseRequested();
    void RunModalLoop(const std::shared_ptr<bool>& AAlive);
    void ReturnFocusToOwner();
    void ReleaseHeldCapture();
    void RecreatePopup();
    // The owner control's rectangle on the screen.
    RECT OwnerPlace() const;

    qv::TControl* ownerControl_;
    RECT ownerPlace_{};
    std::unique_ptr<TcxContainerStyle> style_;
    std::unique_ptr<TcxContainerViewInfo> viewInfo_;
    bool captureFocus_ = true;
    bool topmostLikeParent_ = false;
    bool modalLoop_ = true;
    qv::TWinControl* focusControl_ = nullptr;
    bool closingByOwner_ = false;
    bool regionSet_ = false;
    // Cleared by the destructor: code that called out (hooks, handlers, the
    // message loop) learns whether the popup still exists.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
