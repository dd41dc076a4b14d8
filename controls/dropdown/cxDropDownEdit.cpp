#include "controls/dropdown/cxDropDownEdit.h"

#include "controls/lookandfeel/dxUxTheme.h"
#include "framework/Exceptions.h"

#include <algorithm>

using namespace qv;

namespace {

TcxPopupAlignHorz PopupAlignHorz(TAlignment AAlignment)
{
    switch (AAlignment) {
    case taCenter: return pahCenter;
    case taRightJustify: return pahRight;
    default: return pahLeft;
    }
}

// The larger of the two system metrics the sizing zones and the system panel use.
int SizingOffset(int ADpi)
{
    return std::max(SystemMetricForDpi(SM_CYHSCROLL, ADpi), SystemMetricForDpi(SM_CYSIZE, ADpi));
}

TcxButtonState CloseButtonStateToButtonState(int AState)
{
    switch (AState) {
    case 2: return cxbsHot;
    case 3: return cxbsPressed;
    default: return cxbsNormal;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Masked edit

TcxCustomMaskEditProperties::TcxCustomMaskEditProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner)
{
    SetValidateOnEnter(true);
}

TcxCustomEdit* TcxCustomMaskEditProperties::CreateEdit(TComponent* AOwner) { return new TcxCustomMaskEdit(AOwner); }

std::unique_ptr<TcxCustomEditProperties> TcxCustomMaskEdit::CreateProperties()
{
    return std::make_unique<TcxCustomMaskEditProperties>(this);
}

// ---------------------------------------------------------------------------
// Drop-down edit properties

TcxCustomDropDownEditProperties::TcxCustomDropDownEditProperties(TPersistent* AOwner)
    : TcxCustomMaskEditProperties(AOwner)
{
    Buttons().Add().SetKind(bkDown);
}

const TBitmap* TcxCustomDropDownEditProperties::ButtonGlyph() const
{
    const int index = DropDownButtonIndex();
    if (index < 0 || index >= Buttons().Count() || !Buttons()[index].HasGlyph())
        return nullptr;
    return &Buttons()[index].Glyph();
}

void TcxCustomDropDownEditProperties::SetButtonGlyph(const TBitmap* Value)
{
    const int index = DropDownButtonIndex();
    if (index < 0 || index >= Buttons().Count())
        return;
    Buttons()[index].SetGlyph(Value && !Value->Empty() ? Value : nullptr);
}

void TcxCustomDropDownEditProperties::SyncButtonKind()
{
    const int index = DropDownButtonIndex();
    if (index < 0 || index >= Buttons().Count())
        return;
    TcxEditButton& button = Buttons()[index];
    if (button.HasGlyph())
        button.SetKind(bkGlyph);
    else if (button.Kind() == bkGlyph)
        button.SetKind(bkDown);
}

void TcxCustomDropDownEditProperties::Changed()
{
    // The kind change reports through the buttons again; that report is this one.
    if (syncingKind_)
        return;
    syncingKind_ = true;
    SyncButtonKind();
    syncingKind_ = false;
    TcxCustomMaskEditProperties::Changed();
}

void TcxCustomDropDownEditProperties::SetPopupAlignment(TAlignment Value)
{
    if (Value == popupAlignment_)
        return;
    popupAlignment_ = Value;
    Changed();
}

void TcxCustomDropDownEditProperties::SetPopupClientEdge(bool Value)
{
    if (Value == popupClientEdge_)
        return;
    popupClientEdge_ = Value;
    Changed();
}

void TcxCustomDropDownEditProperties::SetPopupHeight(int Value)
{
    popupHeight_ = std::max(Value, popupMinHeight_);
}

void TcxCustomDropDownEditProperties::SetPopupMinHeight(int Value)
{
    popupMinHeight_ = std::max(Value, 0);
    SetPopupHeight(popupHeight_);
}

void TcxCustomDropDownEditProperties::SetPopupMinWidth(int Value)
{
    popupMinWidth_ = std::max(Value, 0);
    SetPopupWidth(popupWidth_);
}

void TcxCustomDropDownEditProperties::SetPopupWidth(int Value)
{
    if (Value < 0)
        Value = 0;
    if (Value > 0 && Value < popupMinWidth_)
        Value = popupMinWidth_;
    popupWidth_ = Value;
}

void TcxCustomDropDownEditProperties::SetPopupSizeable(bool Value)
{
    if (Value == popupSizeable_)
        return;
    popupSizeable_ = Value;
    Changed();
}

void TcxCustomDropDownEditProperties::SetPopupSysPanelStyle(bool Value)
{
    if (Value == popupSysPanelStyle_)
        return;
    popupSysPanelStyle_ = Value;
    Changed();
}

TcxCustomEditPopupWindow* TcxCustomDropDownEditProperties::CreatePopupWindow(TcxCustomDropDownEdit* AEdit)
{
    return new TcxCustomEditPopupWindow(AEdit);
}

std::unique_ptr<TcxCustomEditViewData> TcxCustomDropDownEditProperties::CreateViewData(TcxCustomEditStyle* AStyle)
{
    return std::make_unique<TcxCustomDropDownEditViewData>(this, AStyle);
}

TcxCustomEdit* TcxCustomDropDownEditProperties::CreateEdit(TComponent* AOwner) { return new TcxDropDownEdit(AOwner); }

void TcxCustomDropDownEditProperties::DoAssign(const TcxCustomEditProperties& ASource)
{
    TcxCustomMaskEditProperties::DoAssign(ASource);
    auto s = dynamic_cast<const TcxCustomDropDownEditProperties*>(&ASource);
    if (!s)
        return;
    immediateDropDown_ = s->immediateDropDown_;
    immediatePopup_ = s->immediatePopup_;
    SetPopupAlignment(s->popupAlignment_);
    popupAutoSize_ = s->popupAutoSize_;
    SetPopupClientEdge(s->popupClientEdge_);
    // The source's sizes already obey its minimums.
    popupMinHeight_ = s->popupMinHeight_;
    popupMinWidth_ = s->popupMinWidth_;
    popupHeight_ = s->popupHeight_;
    popupWidth_ = s->popupWidth_;
    SetPopupSizeable(s->popupSizeable_);
    SetPopupSysPanelStyle(s->popupSysPanelStyle_);
    OnCloseQuery = s->OnCloseQuery;
    OnCloseUp = s->OnCloseUp;
    OnInitPopup = s->OnInitPopup;
    OnPopup = s->OnPopup;
}

// ---------------------------------------------------------------------------
// View data and look-and-feel

void TcxCustomDropDownEditViewData::Calculate(const RECT& ABounds, POINT P, bool AMouseOver, TShiftState AButtons,
                                              TcxCustomEditViewInfo& AViewInfo)
{
    if (!PopupOpen)
        if (auto edit = dynamic_cast<TcxCustomDropDownEdit*>(Style ? Style->Control() : nullptr))
            PopupOpen = edit->DroppedDown();
    if (PopupOpen && Enabled && !IsDesigning)
        Focused = true;
    TcxCustomTextEditViewData::Calculate(ABounds, P, AMouseOver, AButtons, AViewInfo);
    if (!PopupOpen || !Enabled)
        return;
    auto properties = dynamic_cast<TcxCustomDropDownEditProperties*>(Properties);
    const int index = properties ? properties->DropDownButtonIndex() : 0;
    for (TcxEditButtonViewInfo& button : AViewInfo.ButtonsInfo)
        if (button.ButtonIndex == index)
            button.State = ebsPressed;
}

TcxEditPopupControlLookAndFeel::TcxEditPopupControlLookAndFeel(TcxCustomDropDownEdit* AEdit)
    : TcxLookAndFeel(AEdit), edit_(AEdit)
{
}

void TcxEditPopupControlLookAndFeel::Update(TcxLookAndFeelKind AKind, bool ANativeStyle)
{
    if (Kind() != AKind)
        WriteKind(AKind);
    if (NativeStyle() != ANativeStyle)
        WriteNativeStyle(ANativeStyle);
}

// ---------------------------------------------------------------------------
// The edit

TcxCustomDropDownEdit::TcxCustomDropDownEdit(TComponent* AOwner) : TcxCustomMaskEdit(AOwner)
{
    popupControlsLookAndFeel_ = std::make_unique<TcxEditPopupControlLookAndFeel>(this);
}

TcxCustomDropDownEdit::~TcxCustomDropDownEdit()
{
    *alive_ = false;
    Destroying();
    DestroyPopupWindow();
}

void TcxCustomDropDownEdit::DestroyPopupWindow()
{
    TcxCustomEditPopupWindow* popup = popup_;
    if (!popup)
        return;
    popup->OnClosed = nullptr;
    popup->OnShown = nullptr;
    // The list goes with the lookup data, not with the popup.
    ReleasePopupVisualArea(true);
    popup->DetachEdit();
    popup_ = nullptr;
    delete popup;
}

std::unique_ptr<TcxCustomEditProperties> TcxCustomDropDownEdit::CreateProperties()
{
    return std::make_unique<TcxCustomDropDownEditProperties>(this);
}

TWinControl* TcxCustomDropDownEdit::CreateInnerEdit()
{
    auto inner = new TcxCustomDropDownInnerEdit(this);
    inner->SetColor(clWindow);
    return inner;
}

std::unique_ptr<TcxCustomTextEditLookupData> TcxCustomDropDownEdit::CreateLookupData()
{
    auto data = TcxCustomMaskEdit::CreateLookupData();
    data->OnQueryListShown = [this] { return DroppedDown(); };
    return data;
}

TcxCustomEditPopupWindow& TcxCustomDropDownEdit::PopupWindow()
{
    if (!popup_) {
        popup_ = ActiveProperties().CreatePopupWindow(this);
        popup_->SetAdjustable(false);
        popup_->OnClosed = [this](TObject*, TcxPopupCloseReason AReason) { PopupWindowClosed(AReason); };
        popup_->OnShown = [this](TObject*) { PopupWindowShown(); };
        popup_->Style().LookAndFeel().SetMaster(popupControlsLookAndFeel_.get());
    }
    return *popup_;
}

TcxCustomDropDownEditData& TcxCustomDropDownEdit::EditData()
{
    if (!editData_)
        editData_ = std::make_unique<TcxCustomDropDownEditData>(ActiveProperties());
    return *editData_;
}

bool TcxCustomDropDownEdit::DroppedDown() const { return popup_ && popup_->IsOpen() && popup_->Visible(); }

void TcxCustomDropDownEdit::SetDroppedDown(bool Value)
{
    if (Value == DroppedDown())
        return;
    if (Value)
        DropDown();
    else
        CloseUp(false);
}

bool TcxCustomDropDownEdit::DrawAsFocused() const { return Focused() || DroppedDown(); }

bool TcxCustomDropDownEdit::WantsDialogKey(WORD AKey, TShiftState AShift)
{
    if (DroppedDown() && !(AShift & ssAlt) && (AKey == VK_RETURN || AKey == VK_ESCAPE))
        return true;
    return TcxCustomMaskEdit::WantsDialogKey(AKey, AShift);
}

bool TcxCustomDropDownEdit::CanAcceptPopupChoice()
{
    bool accept = CanModify();
    if (accept && OnEditing)
        OnEditing(this, accept);
    return accept;
}

void TcxCustomDropDownEdit::DropDown()
{
    const auto alive = alive_;
    DoInitPopup();
    if (!*alive || !CanDropDown())
        return;
    SetupPopupWindow();
    if (!*alive || !popup_ || DroppedDown())
        return;
    popup_->HandleNeeded();
    TWinControl* focus = GetPopupFocusedControl();
    HWND focusWnd = focus && focus->Parent() ? focus->Handle() : nullptr;
    PostMessageW(popup_->Handle(), CXM_SHOWPOPUPWINDOW, reinterpret_cast<WPARAM>(focusWnd), 0);
    popupRequested_ = true;
}

void TcxCustomDropDownEdit::CloseUp(bool AAccept)
{
    if (!DroppedDown())
        return;
    const auto alive = alive_;
    TcxCustomDropDownEditProperties& p = ActiveProperties();
    // The choice and its post report their changes once, after both.
    const bool stays = WithChangeEventsLocked([&] {
        if (AAccept && p.UsesLookupData())
            AcceptLookupOnCloseUp();
        if (*alive && AAccept && !p.PostOnPopupClosed() && p.ImmediatePost() && DataBinding().CanModify())
            PostEditValue(true);
    });
    if (stays && popup_)
        popup_->ClosePopup(false);
}

void TcxCustomDropDownEdit::DoInitPopup()
{
    if (ActiveProperties().OnInitPopup)
        ActiveProperties().OnInitPopup(this);
}

void TcxCustomDropDownEdit::DoPopup()
{
    if (ActiveProperties().OnPopup)
        ActiveProperties().OnPopup(this);
}

void TcxCustomDropDownEdit::DoCloseUp()
{
    if (ActiveProperties().OnCloseUp)
        ActiveProperties().OnCloseUp(this);
}

void TcxCustomDropDownEdit::DoCloseQuery(bool& CanClose)
{
    if (ActiveProperties().OnCloseQuery)
        ActiveProperties().OnCloseQuery(this, CanClose);
}

TWinControl* TcxCustomDropDownEdit::GetPopupFocusedControl()
{
    TcxCustomDropDownEditProperties& p = ActiveProperties();
    if (p.PopupCapturesFocus() && p.VisualAreaByLookupData() && HasLookupData() && LookupData().List())
        return LookupData().List();
    return InnerControl() ? InnerControl() : this;
}

SIZE TcxCustomDropDownEdit::GetPopupWindowClientPreferredSize()
{
    if (ActiveProperties().VisualAreaByLookupData() && HasLookupData())
        return LookupData().ListPreferredSize(0, 0);
    return SIZE{0, 0};
}

void TcxCustomDropDownEdit::PositionPopupWindowChildren(const RECT& AClientRect)
{
    if (ActiveProperties().VisualAreaByLookupData() && HasLookupData())
        LookupData().PlaceList(AClientRect);
}

bool TcxCustomDropDownEdit::AdjustPopupClientSize(SIZE& ASize)
{
    if (ActiveProperties().VisualAreaByLookupData() && HasLookupData() && LookupData().List())
        return LookupData().AdjustListSize(ASize);
    return false;
}

void TcxCustomDropDownEdit::CreatePopupVisualArea()
{
    if (ActiveProperties().VisualAreaByLookupData())
        LookupData().CreateList(&PopupWindow());
}

void TcxCustomDropDownEdit::ReleasePopupVisualArea(bool ADestroying)
{
    // The list stays in the popup between openings; it leaves only when the popup goes.
    if (ADestroying && HasLookupData())
        if (TcxCustomEditListBox* list = LookupData().List())
            list->SetParent(nullptr);
}

void TcxCustomDropDownEdit::AcceptLookupOnCloseUp()
{
    TcxCustomTextEditLookupData& lookup = LookupData();
    const int old = lookup.CurrentKey();
    {
        // The choice raises Click below, when it is the user's.
        auto lock = ClickLock();
        lookup.AcceptHighlight();
    }
    if (ModifiedAfterEnter() && lookup.CurrentKey() != old) {
        SetModifiedAfterEnter(true);
        Click();
    }
}

void TcxCustomDropDownEdit::ResetLookupOnClosed()
{
    if (HasLookupData())
        LookupData().ResetHighlight();
}

bool TcxCustomDropDownEdit::IsCloseUpKeyConsumed()
{
    if (!ActiveProperties().UsesLookupData())
        return true;
    return LookupData().ContainsText(GetDisplayText());
}

void TcxCustomDropDownEdit::SetupPopupWindow()
{
    const auto alive = alive_;
    TcxCustomDropDownEditProperties& p = ActiveProperties();
    PopupWindow().SetCaptureFocus(p.PopupCapturesFocus());
    if (!*alive || !popup_)
        return;
    if (!IsDesigning())
        CreatePopupVisualArea();
    if (!*alive || !popup_)
        return;
    TcxCustomEditPopupWindow& popup = *popup_;
    popup.SetOwnerParent(Parent());
    popup.SetOwnerBounds(BoundsRect());
    popup.SetAlignHorz(PopupAlignHorz(p.PopupAlignment()));
    popup.SetClientEdge(p.PopupClientEdge());
    popup.SetMinHeight(p.PopupMinHeight());
    popup.SetMinWidth(p.PopupMinWidth());
    popup.SetPopupAutoSize(p.PopupAutoSize() && !(p.PopupSizeable() && userSized_));
    popup.SetSizeable(p.PopupSizeable());
    popup.SetSysPanelStyle(p.PopupSysPanelShown());
    if (IsInplace() && p.PopupSizeable()) {
        popup.SetPopupWidth(EditData().Width);
        popup.SetPopupHeight(EditData().Height);
    } else {
        popup.SetPopupWidth(p.PopupWidth());
        popup.SetPopupHeight(p.PopupHeight());
    }
    TcxCustomEditViewInfo& vi = ViewInfo();
    popup.SetEditBorderStyle(GetEditPopupBorderStyle(Style().PopupBorderStyle(),
                                                     static_cast<TcxEditBorderStyle>(vi.BorderStyle)));
    popup.SetNativeStyle(vi.NativeStyle);
    popup.SetShadow(vi.Shadow);
    UpdatePopupControlsLookAndFeel();

    const SIZE size = popup.CalculateSize();
    popup.SetBounds(popup.Left(), popup.Top(), size.cx, size.cy);
    const POINT position = popup.CalculatePosition();
    popup.SetBounds(position.x, position.y, size.cx, size.cy);
    popup.Relayout();
    PopupVisualAreaPlaced();
    if (!*alive || !popup_)
        return;

    // A translucent form's popup is as translucent (the system draws layered windows
    // from Windows XP on).
    if (TCustomForm* form = GetParentForm(); form && IsWinXPOrLater()) {
        popup.SetAlphaBlendValue(form->AlphaBlendValue());
        popup.SetAlphaBlend(form->AlphaBlend());
        popup.SetTransparentColorValue(form->TransparentColorValue());
        popup.SetTransparentColor(form->TransparentColor());
    }
}

void TcxCustomDropDownEdit::UpdatePopupControlsLookAndFeel()
{
    if (!popupControlsLookAndFeel_)
        return;
    TcxLookAndFeelKind kind = lfStandard;
    if (IsInplace()) {
        kind = Style().LookAndFeel().Kind();
    } else if (ActiveProperties().Buttons().Count() > 0) {
        switch (Style().ButtonStyle()) {
        case btsFlat:
        case btsSimple:
        case btsHotFlat: kind = lfFlat; break;
        case btsUltraFlat: kind = lfUltraFlat; break;
        default: kind = lfStandard; break;
        }
    }
    popupControlsLookAndFeel_->Update(kind, ViewInfo().NativeStyle);
}

void TcxCustomDropDownEdit::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues)
{
    TcxCustomMaskEdit::LookAndFeelChanged(Sender, AChangedValues);
    if (HandleAllocated() && !IsDestroying())
        UpdatePopupControlsLookAndFeel();
}

void TcxCustomDropDownEdit::PopupWindowShown()
{
    const auto alive = alive_;
    popupRequested_ = false;
    Recalculate();
    if (popup_) {
        popup_->CalculateViewInfo();
        PositionPopupWindowChildren(popup_->ViewInfo().ClientRect);
    }
    // The list has its final size now: its highlight is shown and scrolled into view.
    if (ActiveProperties().UsesLookupData() && HasLookupData())
        LookupData().ShowHighlight();
    DoPopup();
    if (!*alive)
        return;
    // The selection shows as it does with the focus.
    if (TWinControl* inner = InnerControl())
        inner->Invalidate();
}

void TcxCustomDropDownEdit::PopupWindowClosed(TcxPopupCloseReason AReason)
{
    const auto alive = alive_;
    popupRequested_ = false;
    // A press on the edit that took the activation from the popup must not open it
    // again: that press was made before the popup closed. Later presses are free.
    hotAndPopup_ = false;
    deactivated_ = AReason == pcrDeactivated;
    deactivatedAt_ = GetTickCount();
    ReleasePopupVisualArea(false);
    if (!*alive)
        return;
    TcxCustomDropDownEditProperties& p = ActiveProperties();
    if (popupSizeChanged_ && popup_) {
        if (p.PopupSizeable()) {
            if (IsInplace()) {
                EditData().Width = popup_->Width();
                EditData().Height = popup_->Height();
                EditData().SizeChanged = true;
            } else {
                p.SetPopupWidth(popup_->Width());
                p.SetPopupHeight(popup_->Height());
                userSized_ = true;
            }
        }
        popupSizeChanged_ = false;
    }
    if (p.UsesLookupData())
        ResetLookupOnClosed();
    // The drop-down button is no longer drawn pressed; its hot state follows the pointer.
    Recalculate();
    DoCloseUp();
    if (!*alive)
        return;
    WithChangeEventsLocked([&] {
        if (p.PostOnPopupClosed() && p.ImmediatePost() && DataBinding().CanModify() && ValidateEdit(false))
            PostEditValue(false);
    });
}

void TcxCustomDropDownEdit::PopupWindowDestroying(TcxCustomEditPopupWindow* APopup)
{
    if (APopup != popup_)
        return;
    ReleasePopupVisualArea(true);
    popup_ = nullptr;
    popupRequested_ = false;
    hotAndPopup_ = false;
    // The drop-down button is no longer drawn pressed.
    if (!IsDestroying())
        Recalculate();
}

void TcxCustomDropDownEdit::RemoveQueuedShowRequest()
{
    if (popup_ && popup_->HandleAllocated()) {
        MSG msg;
        while (PeekMessageW(&msg, popup_->Handle(), CXM_SHOWPOPUPWINDOW, CXM_SHOWPOPUPWINDOW, PM_REMOVE)) {
        }
    }
    popupRequested_ = false;
}

void TcxCustomDropDownEdit::FocusLeft(HWND AFocus)
{
    // The popup's own showing and hiding moves the focus; so does a focus-taking popup.
    if (TcxCustomPopupWindow::PopupInTransition())
        return;
    if (popup_ && popup_->HandleAllocated() && IsWindowOrChild(popup_->Handle(), AFocus))
        return;
    if (HandleAllocated() && IsWindowOrChild(Handle(), AFocus))
        return;
    RemoveQueuedShowRequest();
    CloseUp(false);
}

void TcxCustomDropDownEdit::DoExit()
{
    const auto alive = alive_;
    TcxCustomMaskEdit::DoExit();
    if (!*alive)
        return;
    RemoveQueuedShowRequest();
    CloseUp(false);
}

// The drop-down's keys: Alt+Up, Alt+Down and F4 open and close the popup; Enter takes
// the popup's choice and Escape drops it while it is open. Everything else is the
// edit's.
void TcxCustomDropDownEdit::HandleEditKey(WORD& Key, TShiftState Shift)
{
    // Only the character of the key that closed the popup is dropped, not a later one.
    closeUpMark_ = false;
    // A new Alt press: its release is the form's again unless an arrow is used with it.
    if (Key == VK_MENU)
        altArrowUsed_ = false;
    const auto alive = alive_;
    const bool alt = (Shift & ssAlt) != 0;
    if ((alt && (Key == VK_UP || Key == VK_DOWN)) || (Key == VK_F4 && !alt)) {
        if (alt)
            altArrowUsed_ = true;
        Key = 0;
        if (DroppedDown())
            CloseUp(true);
        else
            DropDown();
        return;
    }
    if (!alt && (Key == VK_RETURN || Key == VK_ESCAPE) && DroppedDown()) {
        if (Key == VK_RETURN) {
            CloseUp(CanAcceptPopupChoice());
        } else {
            CloseUp(false);
            if (!*alive)
                return;
            // Escape while the mouse is held: the press (on the list or the button) ends
            // here, nothing follows the pointer afterwards.
            HWND capture = GetCapture();
            if (IsWindowOrChild(HandleAllocated() ? Handle() : nullptr, capture)
                || (popup_ && popup_->HandleAllocated() && IsWindowOrChild(popup_->Handle(), capture)))
                ReleaseCapture();
        }
        if (!*alive)
            return;
        if (!DroppedDown() && IsCloseUpKeyConsumed()) {
            // The character the key makes is not typed either.
            closeUpMark_ = true;
            Key = 0;
            return;
        }
    }
    TcxCustomMaskEdit::HandleEditKey(Key, Shift);
}

void TcxCustomDropDownEdit::KeyPress(wchar_t& Key)
{
    const auto alive = alive_;
    TcxCustomDropDownEditProperties& p = ActiveProperties();
    // A printable character opens the popup with ImmediateDropDown.
    if (Key >= L' ') {
        if (p.ImmediateDropDown() && !DroppedDown() && !popupRequested_) {
            Perform(CXM_DROPDOWN);
            if (!*alive)
                return;
        }
        // A focus-taking popup gets the character once it is shown.
        if (p.PopupCapturesFocus() && (DroppedDown() || popupRequested_) && CanDropDown() && popup_
            && GetPopupFocusedControl()) {
            PostMessageW(popup_->Handle(), CXM_POPUPCHAR, Key, 0);
            Key = 0;
            return;
        }
    }
    TcxCustomMaskEdit::KeyPress(Key);
}

bool TcxCustomDropDownEdit::TakePressThatClosed()
{
    const bool closed = deactivated_ && static_cast<LONG>(static_cast<DWORD>(GetMessageTime()) - deactivatedAt_) <= 0;
    deactivated_ = false;
    return closed;
}

int TcxCustomDropDownEdit::ButtonAt(POINT P)
{
    for (const TcxEditButtonViewInfo& b : ViewInfo().ButtonsInfo)
        if (PtInRect(&b.Bounds, P))
            return b.ButtonIndex;
    return -1;
}

void TcxCustomDropDownEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto alive = alive_;
    TcxCustomMaskEdit::MouseDown(Button, Shift, X, Y);
    if (!*alive)
        return;
    UpdatePopupControlsLookAndFeel();
    if (Button != mbLeft || !Enabled())
        return;
    TcxCustomDropDownEditProperties& p = ActiveProperties();
    const int button = ButtonAt(POINT{X, Y});
    const bool pressClosed = TakePressThatClosed();
    if (button >= 0 && button == p.DropDownButtonIndex()) {
        if (!IsDesigning() && CanFocus() && !Focused())
            SetFocus();
        if (!*alive)
            return;
        if (DroppedDown() || hotAndPopup_ || pressClosed) {
            // The press closes what was open (or was open until the press took the activation).
            hotAndPopup_ = false;
            CloseUp(false);
        } else if (!popupRequested_) {
            SetDroppedDown(true);
        }
        return;
    }
    if (button >= 0)
        return;
    if (DroppedDown()) {
        CloseUp(false);
        return;
    }
    if (pressClosed)
        return;
    // A press in the text area focuses the edit (where it paints its text itself, the
    // press reaches this window, which takes no focus of its own).
    if (!IsDesigning() && CanFocus() && !Focused())
        SetFocus();
    if (!*alive)
        return;
    if (p.TextAreaClickOpens() && !hotAndPopup_ && !popupRequested_ && Focused())
        DropDown();
}

void TcxCustomDropDownEdit::CalculateViewInfo(POINT P, bool AIsMouseOver)
{
    TcxCustomMaskEdit::CalculateViewInfo(P, AIsMouseOver);
    const bool onButton = AIsMouseOver && ButtonAt(P) == ActiveProperties().DropDownButtonIndex()
        && ActiveProperties().DropDownButtonIndex() >= 0;
    if (DroppedDown())
        hotAndPopup_ = onButton;
    else if (!onButton)
        hotAndPopup_ = false;
}

bool TcxCustomDropDownEdit::InnerMessage(TMessage& Message, TMessagePhase Phase)
{
    const auto alive = alive_;
    if (Phase == TMessagePhase::mpAfter) {
        const WPARAM wParam = Message.WParam;
        const bool focusLeft = Message.Msg == WM_KILLFOCUS;
        TcxCustomMaskEdit::InnerMessage(Message, Phase);
        if (*alive && focusLeft)
            FocusLeft(reinterpret_cast<HWND>(wParam));
        return false;
    }
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A press in the text area closes an open popup unaccepted.
        if (DroppedDown()) {
            CloseUp(false);
            if (!*alive)
                return true;
        }
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // Alt released after Alt+Up or Alt+Down: the character that Alt and the keypad's
        // arrow key make on release is not typed, and the release does not go on to open
        // the form's menu.
        if (Message.WParam == VK_MENU && !IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_CONTROL) && altArrowUsed_) {
            altArrowUsed_ = false;
            if (TWinControl* inner = InnerControl(); inner && inner->HandleAllocated()) {
                MSG msg;
                while (PeekMessageW(&msg, inner->Handle(), WM_CHAR, WM_CHAR, PM_REMOVE))
                    if (msg.message == WM_QUIT) {
                        // Not ours to take: the loop still has to see it.
                        PostQuitMessage(static_cast<int>(msg.wParam));
                        break;
                    }
                Message.Result = 0;
                return true;
            }
        }
        break;
    case WM_CHAR:
        // Enter or Escape closed the popup: the character the key makes is theirs.
        if ((Message.WParam == kEnterChar || Message.WParam == kEscapeChar) && closeUpMark_) {
            closeUpMark_ = false;
            SelfPaintedTextChanged();
            return true;
        }
        break;
    default:
        break;
    }
    return TcxCustomMaskEdit::InnerMessage(Message, Phase);
}

void TcxCustomDropDownEdit::PropertiesChanged(TcxCustomEditProperties* Sender)
{
    TcxCustomMaskEdit::PropertiesChanged(Sender);
    if (IsDestroying())
        return;
    TcxCustomDropDownEditProperties& p = ActiveProperties();
    if (!p.PopupSizeable()) {
        popupSizeChanged_ = false;
        userSized_ = false;
        if (editData_)
            editData_->SizeChanged = false;
    }
    if (DroppedDown())
        SetupPopupWindow();
}

void TcxCustomDropDownEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TcxCustomMaskEdit::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == popup_)
        popup_ = nullptr;
}

void TcxCustomDropDownEdit::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CXM_DROPDOWN:
        DropDown();
        Message.Result = 0;
        return;
    case WM_KILLFOCUS: {
        const auto alive = alive_;
        const HWND focus = reinterpret_cast<HWND>(Message.WParam);
        TcxCustomMaskEdit::WndProc(Message);
        if (*alive)
            FocusLeft(focus);
        return;
    }
    default:
        break;
    }
    TcxCustomMaskEdit::WndProc(Message);
}

// ---------------------------------------------------------------------------
// Popup window view info

void TcxCustomEditPopupWindowViewInfo::Assign(const TcxContainerViewInfo& ASource)
{
    TcxContainerViewInfo::Assign(ASource);
    if (auto s = dynamic_cast<const TcxCustomEditPopupWindowViewInfo*>(&ASource)) {
        EditBorderStyle = s->EditBorderStyle;
        ClientEdge = s->ClientEdge;
        Sizeable = s->Sizeable;
        SysPanelStyle = s->SysPanelStyle;
        SysPanelHeight = s->SysPanelHeight;
        SizeGripCorner = s->SizeGripCorner;
        SizingOffset = s->SizingOffset;
        SysPanelRect = s->SysPanelRect;
        SizeGripRect = s->SizeGripRect;
        CloseButtonRect = s->CloseButtonRect;
        CloseButtonState = s->CloseButtonState;
        Painter = s->Painter;
    }
}

bool TcxCustomEditPopupWindowViewInfo::IsEqual(const TcxContainerViewInfo& AOther) const
{
    auto o = dynamic_cast<const TcxCustomEditPopupWindowViewInfo*>(&AOther);
    return o && TcxContainerViewInfo::IsEqual(AOther) && EditBorderStyle == o->EditBorderStyle
        && ClientEdge == o->ClientEdge && Sizeable == o->Sizeable && SysPanelStyle == o->SysPanelStyle
        && SysPanelHeight == o->SysPanelHeight && SizeGripCorner == o->SizeGripCorner
        && SizingOffset == o->SizingOffset && SysPanelRect == o->SysPanelRect && SizeGripRect == o->SizeGripRect
        && CloseButtonRect == o->CloseButtonRect && CloseButtonState == o->CloseButtonState && Painter == o->Painter;
}

void TcxCustomEditPopupWindowViewInfo::Paint(TcxCanvas& ACanvas)
{
    if (IsRectEmptyR(Bounds))
        return;
    PaintBorder(ACanvas);
    if (SysPanelHeight > 0)
        PaintSysPanel(ACanvas);
    ACanvas.FillRect(ClientRect, BackgroundColor);
}

void TcxCustomEditPopupWindowViewInfo::PaintBorder(TcxCanvas& ACanvas)
{
    RECT r = BorderRect;
    const int line = LineWidth;
    if (EditBorderStyle == epbsFrame3D) {
        ACanvas.Draw3DEdge(r, false, true);
        ACanvas.Draw3DEdge(Inflated(r, -line, -line), false, false);
    } else {
        ACanvas.FrameSides(r, BorderColor, sdAll, BorderWidth / line);
    }
    r = Inflated(r, -BorderWidth, -BorderWidth);
    if (ClientEdge) {
        ACanvas.Draw3DEdge(r, true, true);
        ACanvas.Draw3DEdge(Inflated(r, -line, -line), true, false);
    }
    if (Shadow) {
        // Below and to the right, starting its own width in; the corners outside are
        // cut off the window by its region.
        const int w = Bounds.right, h = Bounds.bottom, s = ShadowSize();
        ACanvas.FillRect(Rect(w - s, Bounds.top + s, w, h), clBtnShadow);
        ACanvas.FillRect(Rect(Bounds.left + s, h - s, w, h), clBtnShadow);
    }
}

void TcxCustomEditPopupWindowViewInfo::PaintSysPanel(TcxCanvas& ACanvas)
{
    const RECT& panel = SysPanelRect;
    ACanvas.FillRect(panel, clBtnFace);
    ACanvas.FrameSides(panel, clBtnShadow, GripAtTop() ? sdBottom : sdTop);
    if (!IsRectEmptyR(SizeGripRect)) {
        // Dots in a triangle pointing into the grip's corner.
        const RECT& g = SizeGripRect;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; i + j < 3; ++j) {
                const int x = GripAtLeft() ? g.left + 2 + 4 * i : g.right - 5 - 4 * i;
                const int y = GripAtTop() ? g.top + 2 + 4 * j : g.bottom - 5 - 4 * j;
                ACanvas.FillRect(Rect(x + 1, y + 1, x + 3, y + 3), clBtnShadow);
                ACanvas.FillRect(Rect(x, y, x + 2, y + 2), clBtnHighlight);
            }
    }
    if (!IsRectEmptyR(CloseButtonRect)) {
        const RECT& b = CloseButtonRect;
        const TcxButtonState state = CloseButtonStateToButtonState(CloseButtonState);
        if (Painter)
            Painter->PaintButton(ACanvas, b, L"", state);
        else
            ACanvas.Draw3DEdge(b, state == cxbsPressed, true);
        // The cross, two pixels thick, shifted with a pressed face.
        const int shift = state == cxbsPressed ? 1 : 0;
        const int size = std::min(qv::Width(b), qv::Height(b)) - 8;
        const int x0 = b.left + (qv::Width(b) - size) / 2 + shift, y0 = b.top + (qv::Height(b) - size) / 2 + shift;
        for (int i = 0; i < size; ++i) {
            ACanvas.FillRect(Rect(x0 + i, y0 + i, x0 + i + 2, y0 + i + 1), clBtnText);
            ACanvas.FillRect(Rect(x0 + size - 1 - i, y0 + i, x0 + size + 1 - i, y0 + i + 1), clBtnText);
        }
    }
}

// ---------------------------------------------------------------------------
// Popup window

TcxCustomEditPopupWindow::TcxCustomEditPopupWindow(TcxCustomDropDownEdit* AEdit)
    : TcxCustomPopupWindow(AEdit), edit_(AEdit)
{
    SetAdjustable(false);
}

TcxCustomEditPopupWindow::~TcxCustomEditPopupWindow()
{
    *living_ = false;
    if (sizing_)
        EndSizing(false);
    if (edit_)
        edit_->PopupWindowDestroying(this);
    edit_ = nullptr;
}

std::unique_ptr<TcxContainerViewInfo> TcxCustomEditPopupWindow::CreateViewInfo()
{
    return std::make_unique<TcxCustomEditPopupWindowViewInfo>();
}

int TcxCustomEditPopupWindow::FrameWidth() const
{
    return (!nativeStyle_ && editBorderStyle_ == epbsFrame3D ? 2 : 1) * Line();
}

int TcxCustomEditPopupWindow::Line() const { return LineWidthForDpi(CurrentDpi()); }

int TcxCustomEditPopupWindow::PanelHeight() const { return sysPanelStyle_ ? SizingOffset(CurrentDpi()) : 0; }

RECT TcxCustomEditPopupWindow::BorderExtents() const
{
    const int w = FrameWidth() + (clientEdge_ ? 2 * Line() : 0);
    const int shadow = shadow_ ? 3 * Line() : 0;
    RECT r{w, w, w + shadow, w + shadow};
    if (sizeGripCorner_ < 2)
        r.top += PanelHeight();
    else
        r.bottom += PanelHeight();
    return r;
}

SIZE TcxCustomEditPopupWindow::MinimalSize() const
{
    const RECT b = BorderExtents();
    SIZE m{b.left + b.right, b.top + b.bottom};
    if (sizeable_ && sysPanelStyle_)
        m.cx += 2 * PanelHeight() + 10;
    return m;
}

SIZE TcxCustomEditPopupWindow::CalculateSize()
{
    const RECT b = BorderExtents();
    const SIZE m = MinimalSize();
    const SIZE preferred = edit_ && autoSize_ ? edit_->GetPopupWindowClientPreferredSize() : SIZE{0, 0};
    int w, h;
    if (autoSize_)
        w = preferred.cx + b.left + b.right;
    else
        w = popupWidth_ > 0 ? popupWidth_ : qv::Width(OwnerBounds());
    if (sizeable_ && minWidth_ > 0)
        w = std::max(w, minWidth_);
    if (autoSize_) {
        h = preferred.cy + b.top + b.bottom;
    } else {
        h = popupHeight_;
        if (h <= 0)
            h = std::max<int>(minHeight_, m.cy);
    }
    if (sizeable_ && minHeight_ > 0)
        h = std::max(h, minHeight_);
    return SIZE{std::max<LONG>(w, m.cx), std::max<LONG>(h, m.cy)};
}

SIZE TcxCustomEditPopupWindow::CheckSize(SIZE ASize)
{
    const SIZE m = MinimalSize();
    ASize.cx = std::max(ASize.cx, m.cx);
    ASize.cy = std::max(ASize.cy, m.cy);
    if (minWidth_ > 0)
        ASize.cx = std::max<LONG>(ASize.cx, minWidth_);
    if (minHeight_ > 0)
        ASize.cy = std::max<LONG>(ASize.cy, minHeight_);
    if (edit_) {
        const RECT b = BorderExtents();
        SIZE client{ASize.cx - b.left - b.right, ASize.cy - b.top - b.bottom};
        if (edit_->AdjustPopupClientSize(client))
            ASize = SIZE{std::max<LONG>(client.cx + b.left + b.right, m.cx),
                         std::max<LONG>(client.cy + b.top + b.bottom, m.cy)};
    }
    return ASize;
}

POINT TcxCustomEditPopupWindow::CalculatePosition()
{
    POINT p = TcxCustomPopupWindow::CalculatePosition();
    const RECT owner = OwnerScreenBounds();
    const RECT work = GetMonitorWorkArea(p);
    const bool above = p.y < owner.top;
    bool right = true;
    switch (AlignHorz()) {
    case pahLeft: right = p.x == owner.left; break;
    case pahRight: right = p.x + Width() != owner.right; break;
    case pahCenter: right = work.right - owner.right > owner.left - work.left; break;
    }
    sizeGripCorner_ = (above ? 0 : 2) + (right ? 1 : 0);
    // The shadow of a popup above the edit covers the edit's top edge.
    if (shadow_ && above)
        p.y += 3 * Line();
    return p;
}

int TcxCustomEditPopupWindow::GetBorderWidth(int ASide) const
{
    const RECT b = BorderExtents();
    switch (ASide) {
    case 0: return b.left;
    case 1: return b.top;
    case 2: return b.right;
    default: return b.bottom;
    }
}

void TcxCustomEditPopupWindow::CalculateViewInfo()
{
    TcxCustomEditPopupWindowViewInfo& vi = ViewInfo();
    TcxContainerStyle& style = Style();
    const int w = Width(), h = Height(), shadow = shadow_ ? 3 * Line() : 0;
    const int panel = PanelHeight();
    vi.Bounds = Rect(0, 0, w, h);
    vi.LineWidth = Line();
    vi.Shadow = shadow_;
    vi.NativeStyle = nativeStyle_;
    vi.ThemedObjectType = 0;
    vi.NativePart = 0;
    vi.NativeState = 0;
    vi.ContainerState = Enabled() ? TcxContainerState{csNormal} : TcxContainerState{csDisabled};
    vi.HotState = chsNoHotTrack;
    vi.BorderStyle = cbsNone;
    vi.EditBorderStyle = nativeStyle_ || editBorderStyle_ == epbsDefault ? epbsSingle : editBorderStyle_;
    vi.BorderWidth = FrameWidth();
    vi.BorderColor = vi.EditBorderStyle == epbsFlat ? clBtnShadow : clWindowFrame;
    vi.BackgroundColor = Enabled() ? style.Color() : clBtnFace;
    vi.ClientEdge = clientEdge_;
    vi.Sizeable = sizeable_;
    vi.SysPanelStyle = sysPanelStyle_;
    vi.SysPanelHeight = panel;
    vi.SizeGripCorner = sizeGripCorner_;
    vi.SizingOffset = SizingOffset(CurrentDpi());
    vi.Painter = style.LookAndFeel().GetPainter();
    vi.BorderRect = Rect(0, 0, std::max(0, w - shadow), std::max(0, h - shadow));
    RECT inner = Inflated(vi.BorderRect, -vi.BorderWidth, -vi.BorderWidth);
    if (clientEdge_)
        inner = Inflated(inner, -2 * vi.LineWidth, -2 * vi.LineWidth);
    RECT client = inner;
    vi.SysPanelRect = vi.SizeGripRect = vi.CloseButtonRect = RECT{};
    if (panel > 0) {
        if (vi.GripAtTop()) {
            vi.SysPanelRect = Rect(inner.left, inner.top, inner.right, inner.top + panel);
            client.top += panel;
        } else {
            vi.SysPanelRect = Rect(inner.left, inner.bottom - panel, inner.right, inner.bottom);
            client.bottom -= panel;
        }
        const RECT& sp = vi.SysPanelRect;
        if (sizeable_)
            vi.SizeGripRect = vi.GripAtLeft() ? Rect(sp.left, sp.top, sp.left + panel, sp.bottom)
                                              : Rect(sp.right - panel, sp.top, sp.right, sp.bottom);
        // The close button at the other end of the panel, square, two pixels in.
        const int size = panel - 4;
        const int top = sp.top + (qv::Height(sp) - size) / 2;
        vi.CloseButtonRect = vi.GripAtLeft() ? Rect(sp.right - 2 - size, top, sp.right - 2, top + size)
                                             : Rect(sp.left + 2, top, sp.left + 2 + size, top + size);
    }
    if (IsRectEmptyR(client))
        client = Rect(client.left, client.top, std::max(client.left, client.right), std::max(client.top, client.bottom));
    vi.ClientRect = client;
}

void TcxCustomEditPopupWindow::Relayout()
{
    CalculateViewInfo();
    if (edit_)
        edit_->PositionPopupWindowChildren(ViewInfo().ClientRect);
    Realign();
    UpdateWindowRegion();
    // The controls inside are repainted too: one that does not repaint itself when it
    // grows would keep its old edges.
    if (HandleAllocated())
        RedrawWindow(Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | (IsWindowVisible(Handle()) ? RDW_UPDATENOW : 0));
}

void TcxCustomEditPopupWindow::UpdateWindowRegion()
{
    const int w = Width(), h = Height();
    const int s = 3 * Line();
    SetShadowCorners(shadow_, Rect(w - s, 0, w, s), Rect(0, h - s, s, h));
}

bool TcxCustomEditPopupWindow::CloseQuery()
{
    bool canClose = TcxCustomPopupWindow::CloseQuery();
    if (canClose && edit_)
        edit_->DoCloseQuery(canClose);
    return canClose;
}

void TcxCustomEditPopupWindow::KeyDown(WORD& Key, TShiftState Shift)
{
    // Keys in a focus-taking popup: the keys that toggle it close it, accepting.
    if (edit_ && IsOpen()) {
        const bool alt = (Shift & ssAlt) != 0;
        if ((alt && (Key == VK_UP || Key == VK_DOWN)) || (Key == VK_F4 && !alt)) {
            Key = 0;
            edit_->CloseUp(true);
            return;
        }
    }
    TcxCustomPopupWindow::KeyDown(Key, Shift);
}

unsigned TcxCustomEditPopupWindow::SizingHitTest(POINT P)
{
    if (!sizeable_)
        return 0;
    TcxCustomEditPopupWindowViewInfo& vi = ViewInfo();
    if (PtInRect(&vi.CloseButtonRect, P))
        return 0;
    const unsigned horz = vi.GripAtLeft() ? pszLeft : pszRight;
    const unsigned vert = vi.GripAtTop() ? pszTop : pszBottom;
    if (PtInRect(&vi.SizeGripRect, P))
        return horz | vert;
    const RECT& b = vi.BorderRect;
    if (!PtInRect(&b, P))
        return 0;
    const int offset = vi.SizingOffset;
    unsigned sides = 0;
    if (vi.GripAtLeft() ? P.x < b.left + offset : P.x >= b.right - offset)
        sides |= horz;
    // With a system panel only its grip sizes vertically.
    if (vi.SysPanelHeight == 0 && (vi.GripAtTop() ? P.y < b.top + offset : P.y >= b.bottom - offset))
        sides |= vert;
    return sides;
}

bool TcxCustomEditPopupWindow::TakesChildPress(HWND AChild, POINT AClient, UINT AMsg)
{
    if ((AMsg != WM_LBUTTONDOWN && AMsg != WM_LBUTTONDBLCLK) || !sizeable_ || !IsOpen() || !SizingHitTest(AClient))
        return false;
    // A control's own scroll bar in the zone keeps working.
    const POINT screen = ClientToScreen(AClient);
    return SendMessageW(AChild, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTCLIENT;
}

RECT TcxCustomEditPopupWindow::EditScreenRect() const { return OwnerScreenBounds(); }

void TcxCustomEditPopupWindow::DrawTrackFrame(const RECT& R)
{
    RECT frame = R;
    if (shadow_) {
        frame.right -= 3 * Line();
        frame.bottom -= 3 * Line();
    }
    TScreenCanvas screen;
    HDC dc = screen.Handle();
    const int rings = std::max(2, FrameWidth());
    for (int i = 0; i < rings; ++i) {
        const RECT r = Inflated(frame, -i, -i);
        DrawFocusRect(dc, &r);
    }
}

void TcxCustomEditPopupWindow::TrackTo(POINT AScreen)
{
    RECT r = trackRect_;
    if (sizingSides_ & pszRight)
        r.right = AScreen.x + grabOffset_.x;
    if (sizingSides_ & pszLeft)
        r.left = AScreen.x - grabOffset_.x;
    if (sizingSides_ & pszBottom)
        r.bottom = AScreen.y + grabOffset_.y;
    if (sizingSides_ & pszTop)
        r.top = AScreen.y - grabOffset_.y;
    const SIZE size = CheckSize(SIZE{qv::Width(r), qv::Height(r)});
    if (sizingSides_ & pszLeft)
        r.left = r.right - size.cx;
    else
        r.right = r.left + size.cx;
    if (sizingSides_ & pszTop)
        r.top = r.bottom - size.cy;
    else
        r.bottom = r.top + size.cy;
    // At least one pixel next to the edit, and inside the work area.
    const RECT e = EditScreenRect();
    if ((sizingSides_ & pszRight) && r.right < e.left + 1)
        r.right = e.left + 1;
    if ((sizingSides_ & pszLeft) && r.left > e.right - 1)
        r.left = e.right - 1;
    const RECT work = GetMonitorWorkArea(POINT{r.left, r.top});
    if (sizingSides_ & pszRight)
        r.right = std::min(r.right, work.right);
    if (sizingSides_ & pszLeft)
        r.left = std::max(r.left, work.left);
    if (sizingSides_ & pszBottom)
        r.bottom = std::min(r.bottom, work.bottom);
    if (sizingSides_ & pszTop)
        r.top = std::max(r.top, work.top);
    if (!(r == trackRect_)) {
        if (frameShown_)
            DrawTrackFrame(trackRect_);
        trackRect_ = r;
        DrawTrackFrame(trackRect_);
        frameShown_ = true;
    }
    RECT bounds{};
    GetWindowRect(Handle(), &bounds);
    if (!(r == bounds) && edit_)
        edit_->SetPopupSizeChanged(true);
}

void TcxCustomEditPopupWindow::EndSizing(bool AApply)
{
    if (!sizing_)
        return;
    sizing_ = false;
    if (frameShown_)
        DrawTrackFrame(trackRect_);
    frameShown_ = false;
    if (HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture();
    if (!AApply) {
        // Cut short: the window kept its size, so the user resized nothing.
        if (edit_)
            edit_->SetPopupSizeChanged(sizeChangedBefore_);
        return;
    }
    RECT bounds{};
    GetWindowRect(Handle(), &bounds);
    if (!(bounds == trackRect_))
        SetBounds(trackRect_.left, trackRect_.top, qv::Width(trackRect_), qv::Height(trackRect_));
    Relayout();
}

void TcxCustomEditPopupWindow::SetCloseButtonState(int AState)
{
    TcxCustomEditPopupWindowViewInfo& vi = ViewInfo();
    if (vi.CloseButtonState == AState)
        return;
    vi.CloseButtonState = AState;
    if (HandleAllocated() && !IsRectEmptyR(vi.CloseButtonRect))
        ::InvalidateRect(Handle(), &vi.CloseButtonRect, FALSE);
}

void TcxCustomEditPopupWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TcxCustomPopupWindow::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !IsOpen())
        return;
    const POINT p{X, Y};
    TcxCustomEditPopupWindowViewInfo& vi = ViewInfo();
    if (PtInRect(&vi.CloseButtonRect, p)) {
        pressingClose_ = true;
        SetCapture(Handle());
        SetCloseButtonState(3);
        return;
    }
    const unsigned sides = SizingHitTest(p);
    if (!sides)
        return;
    sizing_ = true;
    sizeChangedBefore_ = edit_ && edit_->PopupSizeChanged();
    sizingSides_ = sides;
    SetCapture(Handle());
    GetWindowRect(Handle(), &trackRect_);
    const POINT s = ClientToScreen(p);
    grabOffset_.x = (sides & pszLeft) ? s.x - trackRect_.left : trackRect_.right - s.x;
    grabOffset_.y = (sides & pszTop) ? s.y - trackRect_.top : trackRect_.bottom - s.y;
    DrawTrackFrame(trackRect_);
    frameShown_ = true;
}

void TcxCustomEditPopupWindow::MouseMove(TShiftState Shift, int X, int Y)
{
    TcxCustomPopupWindow::MouseMove(Shift, X, Y);
    const POINT p{X, Y};
    if (sizing_) {
        TrackTo(ClientToScreen(p));
        return;
    }
    TcxCustomEditPopupWindowViewInfo& vi = ViewInfo();
    if (!IsRectEmptyR(vi.CloseButtonRect)) {
        const bool over = PtInRect(&vi.CloseButtonRect, p) != 0;
        SetCloseButtonState(over ? (pressingClose_ ? 3 : 2) : 1);
    }
}

void TcxCustomEditPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TcxCustomPopupWindow::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (sizing_) {
        EndSizing(true);
        return;
    }
    if (!pressingClose_)
        return;
    pressingClose_ = false;
    if (GetCapture() == Handle())
        ReleaseCapture();
    const POINT p{X, Y};
    const bool over = PtInRect(&ViewInfo().CloseButtonRect, p) != 0;
    SetCloseButtonState(1);
    if (!over)
        return;
    const auto living = living_;
    if (CloseQuery() && *living && edit_)
        edit_->CloseUp(false);
    if (*living && IsOpen() && Visible())
        SetCloseButtonState(2);
}

void TcxCustomEditPopupWindow::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SETCURSOR:
        // Over the popup, or over a control of its where a press would size it.
        if (sizeable_ && LOWORD(Message.LParam) == HTCLIENT
            && (reinterpret_cast<HWND>(Message.WParam) == Handle() || IsChild(Handle(), reinterpret_cast<HWND>(Message.WParam)))) {
            POINT p{};
            GetCursorPos(&p);
            const unsigned sides = sizing_ ? sizingSides_ : SizingHitTest(ScreenToClient(p));
            LPCWSTR cursor = nullptr;
            const bool horz = sides & (pszLeft | pszRight), vert = sides & (pszTop | pszBottom);
            if (horz && vert)
                cursor = (sides == (pszLeft | pszTop) || sides == (pszRight | pszBottom)) ? IDC_SIZENWSE : IDC_SIZENESW;
            else if (horz)
                cursor = IDC_SIZEWE;
            else if (vert)
                cursor = IDC_SIZENS;
            if (cursor) {
                ::SetCursor(LoadCursorW(nullptr, cursor));
                Message.Result = TRUE;
                return;
            }
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the sizing ends where the window is.
        if (sizing_ && reinterpret_cast<HWND>(Message.LParam) != Handle())
            EndSizing(false);
        if (pressingClose_ && reinterpret_cast<HWND>(Message.LParam) != Handle()) {
            pressingClose_ = false;
            SetCloseButtonState(1);
        }
        break;
    case CM_MOUSELEAVE:
        if (!pressingClose_)
            SetCloseButtonState(1);
        break;
    case WM_COMMAND:
        // Enter as the dialog manager passes it on: the choice is taken.
        if (Message.LParam == 0 && HIWORD(Message.WParam) == 0 && LOWORD(Message.WParam) == IDOK && IsOpen() && edit_
            && !DefaultButton()) {
            edit_->CloseUp(edit_->CanAcceptPopupChoice());
            Message.Result = 0;
            return;
        }
        break;
    case CXM_POPUPCHAR:
        if (HWND focus = GetFocus())
            SendMessageW(focus, WM_CHAR, Message.WParam, 0);
        Message.Result = 0;
        return;
    default:
        break;
    }
    TcxCustomPopupWindow::WndProc(Message);
}

// ---------------------------------------------------------------------------
// Popup edit

class TcxCustomPopupEditProperties::TWatch : public TComponent {
public:
    explicit TWatch(TcxCustomPopupEditProperties* AProperties) : TComponent(nullptr), properties_(AProperties) {}

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == TOperation::opRemove && AComponent == properties_->popupControl_)
            properties_->popupControl_ = nullptr;
    }

private:
    TcxCustomPopupEditProperties* properties_;
};

TcxCustomPopupEditProperties::TcxCustomPopupEditProperties(TPersistent* AOwner)
    : TcxCustomDropDownEditProperties(AOwner), watch_(std::make_unique<TWatch>(this))
{
    SetImmediatePopup(true);
    SetPopupMinHeight(100);
    SetPopupMinWidth(100);
    SetPopupHeight(200);
    SetPopupWidth(250);
    SetPopupSizeable(true);
}

TcxCustomPopupEditProperties::~TcxCustomPopupEditProperties()
{
    if (popupControl_)
        popupControl_->RemoveFreeNotification(watch_.get());
}

void TcxCustomPopupEditProperties::SetPopupControl(TControl* Value)
{
    if (Value == popupControl_)
        return;
    if (popupControl_)
        popupControl_->RemoveFreeNotification(watch_.get());
    popupControl_ = Value;
    if (Value)
        Value->FreeNotification(watch_.get());
}

TcxCustomEditPopupWindow* TcxCustomPopupEditProperties::CreatePopupWindow(TcxCustomDropDownEdit* AEdit)
{
    return new TcxPopupEditPopupWindow(AEdit);
}

TcxCustomEdit* TcxCustomPopupEditProperties::CreateEdit(TComponent* AOwner) { return new TcxPopupEdit(AOwner); }

void TcxCustomPopupEditProperties::DoAssign(const TcxCustomEditProperties& ASource)
{
    TcxCustomDropDownEditProperties::DoAssign(ASource);
    if (auto s = dynamic_cast<const TcxCustomPopupEditProperties*>(&ASource))
        SetPopupControl(s->popupControl_);
}

std::unique_ptr<TcxContainerViewInfo> TcxPopupEditPopupWindow::CreateViewInfo()
{
    return std::make_unique<TcxPopupEditPopupWindowViewInfo>();
}

TcxCustomPopupEdit::~TcxCustomPopupEdit()
{
    *alive_ = false;
    ReleasePopupVisualArea(true);
}

std::unique_ptr<TcxCustomEditProperties> TcxCustomPopupEdit::CreateProperties()
{
    return std::make_unique<TcxPopupEditProperties>(this);
}

void TcxCustomPopupEdit::DropDown()
{
    // The control must not hold the edit (nor be the popup that would hold it).
    if (TControl* control = ActiveProperties().PopupControl()) {
        bool circular = control == this || (HasPopupWindow() && control == &PopupWindow());
        for (TControl* parent = Parent(); parent && !circular; parent = parent->Parent())
            circular = parent == control;
        if (circular)
            throw Exception(L"Circular referencing is not allowed");
    }
    TcxCustomDropDownEdit::DropDown();
}

TWinControl* TcxCustomPopupEdit::GetPopupFocusedControl()
{
    if (auto control = dynamic_cast<TWinControl*>(ActiveProperties().PopupControl()))
        return control;
    return TcxCustomDropDownEdit::GetPopupFocusedControl();
}

SIZE TcxCustomPopupEdit::GetPopupWindowClientPreferredSize()
{
    TControl* control = shown_ ? shown_ : ActiveProperties().PopupControl();
    return control ? SIZE{control->Width(), control->Height()} : SIZE{0, 0};
}

void TcxCustomPopupEdit::PositionPopupWindowChildren(const RECT& AClientRect)
{
    if (shown_)
        shown_->SetBounds(AClientRect.left, AClientRect.top, qv::Width(AClientRect), qv::Height(AClientRect));
}

void TcxCustomPopupEdit::CreatePopupVisualArea()
{
    TControl* control = ActiveProperties().PopupControl();
    TcxCustomEditPopupWindow& popup = PopupWindow();
    if (shown_ && shown_ != control)
        ReleasePopupVisualArea(false);
    if (!control || shown_ == control)
        return;
    savedParent_ = control->Parent();
    savedAlign_ = control->Align();
    savedBounds_ = control->BoundsRect();
    savedVisible_ = control->Visible();
    savedFormBorder_ = false;
    if (auto form = dynamic_cast<TCustomForm*>(control)) {
        savedFormBorder_ = true;
        savedBorderStyle_ = form->BorderStyle();
        form->SetBorderStyle(TFormBorderStyle::bsNone);
    }
    shown_ = control;
    control->FreeNotification(this);
    if (savedParent_)
        savedParent_->FreeNotification(this);
    // Hidden while it moves, so that it never shows half-way.
    control->SetVisible(false);
    control->SetParent(&popup);
    control->SetVisible(true);
}

void TcxCustomPopupEdit::PopupVisualAreaPlaced()
{
    if (shown_ && shown_->Align() != TAlign::alClient) {
        shown_->SetAlign(TAlign::alClient);
        if (HasPopupWindow())
            PopupWindow().Realign();
    }
}

void TcxCustomPopupEdit::ReleasePopupVisualArea(bool ADestroying)
{
    TControl* control = shown_;
    if (!control) {
        TcxCustomDropDownEdit::ReleasePopupVisualArea(ADestroying);
        return;
    }
    shown_ = nullptr;
    control->SetVisible(false);
    control->SetAlign(savedAlign_);
    control->SetParent(savedParent_);
    control->SetBounds(savedBounds_.left, savedBounds_.top, qv::Width(savedBounds_), qv::Height(savedBounds_));
    if (savedFormBorder_)
        if (auto form = dynamic_cast<TCustomForm*>(control))
            form->SetBorderStyle(savedBorderStyle_);
    control->SetVisible(savedVisible_);
    savedParent_ = nullptr;
    TcxCustomDropDownEdit::ReleasePopupVisualArea(ADestroying);
}

void TcxCustomPopupEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TcxCustomDropDownEdit::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    if (AComponent == shown_)
        shown_ = nullptr;
    if (AComponent == savedParent_)
        savedParent_ = nullptr;
}

// ---------------------------------------------------------------------------
// Combo box

TcxCustomComboBoxProperties::TcxCustomComboBoxProperties(TPersistent* AOwner)
    : TcxCustomDropDownEditProperties(AOwner)
{
}

void TcxCustomComboBoxProperties::SetDropDownListStyle(TcxEditDropDownListStyle Value)
{
    if (Value == dropDownListStyle_)
        return;
    dropDownListStyle_ = Value;
    Changed();
}

void TcxCustomComboBoxProperties::SetDropDownRows(int Value)
{
    if (Value < 1 || Value == dropDownRows_)
        return;
    dropDownRows_ = Value;
    Changed();
}

void TcxCustomComboBoxProperties::SetItemHeight(int Value)
{
    if (Value == itemHeight_)
        return;
    itemHeight_ = Value;
    Changed();
}

TcxEditEditingStyle TcxCustomComboBoxProperties::EditingStyle() const
{
    switch (dropDownListStyle_) {
    case lsEditFixedList: return esEditList;
    case lsFixedList: return esFixedList;
    default: return esEdit;
    }
}

TcxCustomEditPopupWindow* TcxCustomComboBoxProperties::CreatePopupWindow(TcxCustomDropDownEdit* AEdit)
{
    return new TcxComboBoxPopupWindow(AEdit);
}

void TcxCustomComboBoxProperties::ValidateDisplayValue(TcxEditValue& ADisplayValue, std::wstring& AErrorText,
                                                       bool& AError, TcxCustomEdit* AEdit)
{
    TcxCustomDropDownEditProperties::ValidateDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
    if (AError || dropDownListStyle_ == lsEditList)
        return;
    const std::wstring text = ADisplayValue.ToString();
    if (text.empty() || HasLookupItem(text))
        return;
    AError = true;
    if (AErrorText.empty())
        AErrorText = DefaultErrorText(0);
}

std::unique_ptr<TcxCustomEditViewData> TcxCustomComboBoxProperties::CreateViewData(TcxCustomEditStyle* AStyle)
{
    return std::make_unique<TcxCustomComboBoxViewData>(this, AStyle);
}

TcxCustomEdit* TcxCustomComboBoxProperties::CreateEdit(TComponent* AOwner) { return new TcxComboBox(AOwner); }

void TcxCustomComboBoxProperties::DoAssign(const TcxCustomEditProperties& ASource)
{
    TcxCustomDropDownEditProperties::DoAssign(ASource);
    auto s = dynamic_cast<const TcxCustomComboBoxProperties*>(&ASource);
    if (!s)
        return;
    SetDropDownListStyle(s->dropDownListStyle_);
    SetDropDownRows(s->dropDownRows_);
    SetItemHeight(s->itemHeight_);
    revertable_ = s->revertable_;
    OnDrawItem = s->OnDrawItem;
    OnMeasureItem = s->OnMeasureItem;
}

void TcxCustomComboBoxViewData::Calculate(const RECT& ABounds, POINT P, bool AMouseOver, TShiftState AButtons,
                                          TcxCustomEditViewInfo& AViewInfo)
{
    TcxCustomDropDownEditViewData::Calculate(ABounds, P, AMouseOver, AButtons, AViewInfo);
    // The drop-down button keeps the combo box's look beside other buttons too.
    auto properties = dynamic_cast<TcxCustomComboBoxProperties*>(Properties);
    const int index = properties ? properties->DropDownButtonIndex() : 0;
    for (TcxEditButtonViewInfo& button : AViewInfo.ButtonsInfo)
        if (button.ButtonIndex == index && button.Kind == bkDown)
            button.IsComboLook = true;
}

// The list

TcxComboBoxListBox::TcxComboBoxListBox(TComponent* AOwner, TcxCustomTextEditLookupData* ALookupData,
                                       TcxCustomComboBox* ACombo)
    : TcxCustomEditListBox(AOwner, ALookupData), combo_(ACombo)
{
    SetVariableHeights(false);
}

void TcxComboBoxListBox::CreateParams(TCreateParams& Params)
{
    TcxCustomEditListBox::CreateParams(Params);
    // Shown when the widest item is wider than the list.
    Params.Style |= WS_HSCROLL;
}

void TcxComboBoxListBox::CheckMeasuring()
{
    TcxCustomComboBoxProperties& p = combo_->ActiveProperties();
    const bool assigned = static_cast<bool>(p.OnMeasureItem);
    const bool recreate = firstSetup_ ? assigned
                                      : assigned || assigned != measureAssigned_ || p.ItemHeight() != itemHeight_;
    firstSetup_ = false;
    measureAssigned_ = assigned;
    itemHeight_ = p.ItemHeight();
    // Rows of one height are counted rather than added one by one (a list of thousands
    // opens at once); only a measuring event gives rows their own heights. The system
    // measures a row once, when it is made: so the window is made anew.
    SetVariableHeights(assigned);
    if (recreate && HandleAllocated())
        RecreateWnd();
    // Rows of one height were measured when the window was made: a font changed since
    // gives them their new height.
    if (!assigned && HandleAllocated()) {
        const int height = std::max(1, RowHeight(0));
        if (ItemHeight(0) != height) {
            SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, height);
            Invalidate();
        }
    }
}

void TcxComboBoxListBox::DoDrawItem(TcxCanvas& ACanvas, int AIndex, const RECT& ARect, TOwnerDrawState AState)
{
    TcxCustomComboBoxProperties& p = combo_->ActiveProperties();
    if (p.OnDrawItem)
        p.OnDrawItem(combo_, &ACanvas, AIndex, ARect, AState);
    else
        TcxCustomEditListBox::DoDrawItem(ACanvas, AIndex, ARect, AState);
}

void TcxComboBoxListBox::DoMeasureItem(int AIndex, int& AHeight)
{
    TcxCustomComboBoxProperties& p = combo_->ActiveProperties();
    if (AIndex < 0 || !p.OnMeasureItem)
        return;
    TScreenCanvas screen;
    screen.Font().Assign(Font());
    TcxCanvas canvas(&screen);
    p.OnMeasureItem(combo_, AIndex, &canvas, AHeight);
}

void TcxComboBoxListBox::WndProc(TMessage& Message)
{
    TcxCustomEditListBox::WndProc(Message);
    // With both scroll bars, a resize while open leaves the corner between them stale.
    if (Message.Msg == WM_SIZE && combo_->DroppedDown() && HandleAllocated()) {
        const LONG style = GetWindowLongW(Handle(), GWL_STYLE);
        if ((style & WS_VSCROLL) && (style & WS_HSCROLL))
            SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                         SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The lookup data

TcxComboBoxLookupData::TcxComboBoxLookupData(TcxCustomComboBox* AOwner)
    : TcxCustomTextEditLookupData(AOwner), combo_(AOwner)
{
}

int TcxComboBoxLookupData::DropDownRows() const { return combo_->ActiveProperties().DropDownRows(); }

int TcxComboBoxLookupData::RowHeight(int)
{
    const int fixed = combo_->ActiveProperties().ItemHeight();
    return fixed >= 1 ? fixed : TextRowHeight();
}

TcxCustomEditListBox* TcxComboBoxLookupData::CreateListBox(TComponent* AOwner)
{
    return new TcxComboBoxListBox(AOwner, this, combo_);
}

void TcxComboBoxLookupData::ListPrepared(TcxCustomEditListBox& AList)
{
    static_cast<TcxComboBoxListBox&>(AList).CheckMeasuring();
}

// The popup

SIZE TcxComboBoxPopupWindow::CalculateSize()
{
    auto combo = dynamic_cast<TcxCustomComboBox*>(Edit());
    if (!combo)
        return TcxCustomEditPopupWindow::CalculateSize();
    TcxCustomComboBoxProperties& p = combo->ActiveProperties();
    const RECT b = BorderExtents();
    const int bh = b.left + b.right, bv = b.top + b.bottom;
    const SIZE m = MinimalSize();
    const int editWidth = combo->Width();
    const bool resized = Sizeable() && combo->PopupUserSized();

    int widthLimit = 0;
    if (!p.DropDownSizeable() && !p.DropDownAutoWidth())
        widthLimit = (p.DropDownWidth() > 0 ? p.DropDownWidth() : editWidth) - bh;
    // The larger of the spaces above and below the edit (it does not limit the rows).
    int maxHeight = 0;
    if (combo->HandleAllocated()) {
        RECT r;
        GetWindowRect(combo->Handle(), &r);
        const RECT work = GetMonitorWorkArea(POINT{r.left, r.top});
        maxHeight = std::max(r.top - work.top - (Shadow() ? 3 * LineWidthForDpi(CurrentDpi()) : 0), work.bottom - r.bottom) - bv;
    }
    const SIZE preferred = combo->LookupData().ListPreferredSize(maxHeight, widthLimit);

    int w;
    if (resized)
        w = PopupWidth();
    else if (p.DropDownAutoWidth())
        w = std::max<int>(preferred.cx + bh, editWidth);
    else
        w = p.DropDownWidth() > 0 ? p.DropDownWidth() : editWidth;
    if (Sizeable() && MinWidth() > 0)
        w = std::max(w, MinWidth());
    int h;
    if (resized)
        h = PopupHeight();
    else if (p.PopupHeight() != 0 && (p.DropDownSizeable() || !p.DropDownAutoWidth()))
        h = p.PopupHeight();
    else
        h = preferred.cy + bv;
    if (Sizeable() && MinHeight() > 0)
        h = std::max(h, MinHeight());
    return SIZE{std::max<LONG>(w, m.cx), std::max<LONG>(h, m.cy)};
}

// The edit

std::unique_ptr<TcxCustomEditProperties> TcxCustomComboBox::CreateProperties()
{
    return std::make_unique<TcxComboBoxProperties>(this);
}

TWinControl* TcxCustomComboBox::CreateInnerEdit()
{
    auto inner = new TcxCustomComboBoxInnerEdit(this);
    inner->SetColor(clWindow);
    return inner;
}

std::unique_ptr<TcxCustomTextEditLookupData> TcxCustomComboBox::CreateLookupData()
{
    auto data = std::make_unique<TcxComboBoxLookupData>(this);
    data->OnQueryListShown = [this] { return DroppedDown(); };
    return data;
}

void TcxCustomComboBox::CreatePopupVisualArea()
{
    TcxCustomDropDownEdit::CreatePopupVisualArea();
    if (TcxCustomEditListBox* list = LookupData().List()) {
        // A row released on is taken and the list closes.
        list->OnItemAccepted = [this](int) { CloseUp(true); };
        list->LookAndFeel().SetMaster(&PopupControlsLookAndFeel());
    }
}

void TcxCustomComboBox::PopupWindowShown()
{
    TcxCustomDropDownEdit::PopupWindowShown();
    if (!HasLookupData())
        return;
    // Opened under a resting pointer: the highlight stays on the current item.
    POINT cursor;
    if (TcxCustomEditListBox* list = LookupData().List(); list && GetCursorPos(&cursor)
        && LookupData().PointInList(cursor))
        list->LockMouseMove();
}

void TcxCustomComboBox::HandleEditKey(WORD& Key, TShiftState Shift)
{
    const bool closing = (Key == VK_RETURN || Key == VK_ESCAPE) && !(Shift & ssAlt) && DroppedDown();
    const auto alive = alive_;
    TcxCustomDropDownEdit::HandleEditKey(Key, Shift);
    if (closing && *alive && !DroppedDown() && HandleAllocated())
        PostMessageW(Handle(), CXM_LOOKUPSYNC, 0, 0);
}

void TcxCustomComboBox::SyncLookup()
{
    if (!HasLookupData())
        return;
    if (DroppedDown())
        LookupData().FollowText();
    switch (ActiveProperties().DropDownListStyle()) {
    case lsFixedList:
        SetFindSelection(true);
        break;
    case lsEditList: {
        const std::wstring text = GetDisplayText();
        SetFindSelection(SelLength() == 0 && SelStart() == static_cast<int>(text.size())
                         && LookupData().ContainsText(text));
        break;
    }
    default:
        break;
    }
}

void TcxCustomComboBox::StepOnDoubleClick()
{
    if (!ActiveProperties().Revertable() || DroppedDown() || !CanNavigateItems())
        return;
    TcxCustomTextEditLookupData& lookup = LookupData();
    const int old = lookup.CurrentKey();
    const auto alive = alive_;
    WithChangeEventsLocked([&] {
        lookup.StepItem(egdNext, true);
        if (*alive)
            LookupKeyChanged(old);
    });
}

void TcxCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto alive = alive_;
    const bool revert = Button == mbLeft && (Shift & ssDouble) && ActiveProperties().Revertable();
    const bool onButton = ButtonAt(POINT{X, Y}) >= 0;
    if (revert && !onButton && !DroppedDown() && !PopupRequested()) {
        // A double click on the closed text steps; it does not open a fixed list.
        TcxCustomMaskEdit::MouseDown(Button, Shift, X, Y);
        if (*alive)
            StepOnDoubleClick();
        return;
    }
    TcxCustomDropDownEdit::MouseDown(Button, Shift, X, Y);
    // The first click opened the list, the second one closed it: the step follows.
    if (*alive && revert && !onButton && !DroppedDown() && !PopupRequested())
        StepOnDoubleClick();
}

void TcxCustomComboBox::MouseMove(TShiftState Shift, int X, int Y)
{
    TcxCustomDropDownEdit::MouseMove(Shift, X, Y);
    // Pressed on the edit and dragged into the open list: the list takes the drag over.
    if (!DroppedDown() || !HasLookupData() || !HandleAllocated() || GetCapture() != Handle())
        return;
    TcxCustomEditListBox* list = LookupData().List();
    POINT p{X, Y};
    ::ClientToScreen(Handle(), &p);
    if (!list || !LookupData().PointInList(p))
        return;
    ::ScreenToClient(list->Handle(), &p);
    ReleaseCapture();
    SendMessageW(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
}

void TcxCustomComboBox::MouseWheel(TMessage& Message)
{
    Message.Result = 0;
    if (ActiveProperties().Items().Count() == 0 || !CanNavigateItems())
        return;
    if (DroppedDown()) {
        if (TcxCustomEditListBox* list = LookupData().List(); list && list->HandleAllocated())
            SendMessageW(list->Handle(), WM_MOUSEWHEEL, Message.WParam, Message.LParam);
        return;
    }
    if (!CanModify())
        return;
    TcxCustomTextEditLookupData& lookup = LookupData();
    const int old = lookup.CurrentKey();
    lookup.StepItem(static_cast<short>(HIWORD(Message.WParam)) > 0 ? egdPrev : egdNext, false);
    LookupKeyChanged(old);
}

bool TcxCustomComboBox::InnerMessage(TMessage& Message, TMessagePhase Phase)
{
    if (Phase == TMessagePhase::mpBefore) {
        if (Message.Msg == WM_MOUSEWHEEL) {
            MouseWheel(Message);
            return true;
        }
        // A double click on the closed list's text steps to the next item once the
        // window has had it.
        if (Message.Msg == WM_LBUTTONDBLCLK)
            stepOnDoubleClick_ = !DroppedDown();
        return TcxCustomDropDownEdit::InnerMessage(Message, Phase);
    }
    // The window keeps the capture of its press after the button is up: the pointer
    // must reach the list and the other windows again.
    if (Message.Msg == WM_LBUTTONUP)
        if (TWinControl* inner = InnerControl(); inner && inner->HandleAllocated() && GetCapture() == inner->Handle())
            ReleaseCapture();
    const bool step = Message.Msg == WM_LBUTTONDBLCLK && stepOnDoubleClick_;
    stepOnDoubleClick_ = false;
    const auto alive = alive_;
    TcxCustomDropDownEdit::InnerMessage(Message, Phase);
    if (step && *alive)
        StepOnDoubleClick();
    return false;
}

void TcxCustomComboBox::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CXM_LOOKUPSYNC:
        SyncLookup();
        Message.Result = 0;
        return;
    case WM_MOUSEWHEEL:
        MouseWheel(Message);
        return;
    default:
        break;
    }
    TcxCustomDropDownEdit::WndProc(Message);
}
