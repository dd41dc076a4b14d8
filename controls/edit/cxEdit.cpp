#include "controls/edit/cxEdit.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>

using namespace qv;

namespace {

const wchar_t kInvalidInputText[] = L"Invalid input value. Use escape key to abandon changes";

// The character a key gives with the keys held now (Ctrl+Enter a line feed).
wchar_t CharOfKey(WORD AKey)
{
    if (AKey == VK_RETURN)
        return IsKeyDown(VK_CONTROL) ? kLineFeedChar : kEnterChar;
    BYTE state[256] = {};
    if (!GetKeyboardState(state))
        return 0;
    wchar_t chars[4] = {};
    // Flag 4: the keyboard's dead-key state is left as it is.
    const int n = ToUnicode(AKey, MapVirtualKeyW(AKey, MAPVK_VK_TO_VSC), state, chars, 4, 4);
    return n == 1 ? chars[0] : 0;
}

} // namespace

// ---------------------------------------------------------------------------
// Edit value

std::wstring TcxEditValue::ToString() const
{
    switch (Type()) {
    case evtNull:
        return L"";
    case evtString:
        return std::get<std::wstring>(value_);
    case evtInteger:
        return std::to_wstring(std::get<long long>(value_));
    case evtFloat: {
        wchar_t buf[64];
        for (int precision = 1; precision <= 17; ++precision) {
            std::swprintf(buf, 64, L"%.*g", precision, std::get<double>(value_));
            if (std::wcstod(buf, nullptr) == std::get<double>(value_))
                break;
        }
        return buf;
    }
    case evtDate: {
        // Days since 30 December 1899 to a system time, formatted as the user's locale does.
        double v = std::get<TcxDateTime>(value_).Value;
        const long long unixDays = static_cast<long long>(std::floor(v)) - 25569;
        const double dayPart = v - std::floor(v);
        long long units = (unixDays * 86400LL + static_cast<long long>(std::llround(dayPart * 86400.0)))
                * 10000000LL
            + 116444736000000000LL;
        FILETIME ft{static_cast<DWORD>(units & 0xFFFFFFFF), static_cast<DWORD>(units >> 32)};
        SYSTEMTIME st{};
        if (!FileTimeToSystemTime(&ft, &st))
            return L"";
        wchar_t date[128] = {}, time[128] = {};
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128);
        std::wstring result = date;
        if (dayPart != 0) {
            GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 128);
            result += L" ";
            result += time;
        }
        return result;
    }
    }
    return L"";
}

TShortCut ShortCutOf(WORD AKey, TShiftState AShift)
{
    TShortCut s = static_cast<TShortCut>(AKey & 0xFF);
    if (AShift & ssShift)
        s |= scShift;
    if (AShift & ssCtrl)
        s |= scCtrl;
    if (AShift & ssAlt)
        s |= scAlt;
    return s;
}

// ---------------------------------------------------------------------------
// Edit style

TcxCustomEditStyle* TcxCustomEditStyle::ControllerEditStyle() const
{
    return dynamic_cast<TcxCustomEditStyle*>(TcxContainerStyle::StyleController()
                                                 ? &TcxContainerStyle::StyleController()->Style()
                                                 : nullptr);
}

TcxEditButtonStyle TcxCustomEditStyle::ButtonStyle() const
{
    if (IsValueAssigned(svButtonStyle))
        return buttonStyle_;
    if (TcxCustomEditStyle* s = ControllerEditStyle())
        return s->ButtonStyle();
    return btsDefault;
}

void TcxCustomEditStyle::SetButtonStyle(TcxEditButtonStyle Value)
{
    if (IsValueAssigned(svButtonStyle) && buttonStyle_ == Value)
        return;
    buttonStyle_ = Value;
    SetAssignedValues(AssignedValues() + TcxContainerStyleValues{svButtonStyle});
    Changed();
}

TcxEditButtonTransparency TcxCustomEditStyle::ButtonTransparency() const
{
    if (IsValueAssigned(svButtonTransparency))
        return buttonTransparency_;
    if (TcxCustomEditStyle* s = ControllerEditStyle())
        return s->ButtonTransparency();
    return ebtNone;
}

void TcxCustomEditStyle::SetButtonTransparency(TcxEditButtonTransparency Value)
{
    if (IsValueAssigned(svButtonTransparency) && buttonTransparency_ == Value)
        return;
    buttonTransparency_ = Value;
    SetAssignedValues(AssignedValues() + TcxContainerStyleValues{svButtonTransparency});
    Changed();
}

TcxEditPopupBorderStyle TcxCustomEditStyle::PopupBorderStyle() const
{
    if (IsValueAssigned(svPopupBorderStyle))
        return popupBorderStyle_;
    if (TcxCustomEditStyle* s = ControllerEditStyle())
        return s->PopupBorderStyle();
    return epbsDefault;
}

void TcxCustomEditStyle::SetPopupBorderStyle(TcxEditPopupBorderStyle Value)
{
    if (IsValueAssigned(svPopupBorderStyle) && popupBorderStyle_ == Value)
        return;
    popupBorderStyle_ = Value;
    SetAssignedValues(AssignedValues() + TcxContainerStyleValues{svPopupBorderStyle});
    Changed();
}

TcxEditStyleController* TcxCustomEditStyle::StyleController() const
{
    return static_cast<TcxEditStyleController*>(TcxContainerStyle::StyleController());
}

void TcxCustomEditStyle::SetStyleController(TcxEditStyleController* Value)
{
    TcxContainerStyle::SetStyleController(Value);
}

std::wstring TcxCustomEditStyle::GetAssignedValueName(int AIndex) const
{
    switch (AIndex) {
    case svButtonStyle: return L"ButtonStyle";
    case svButtonTransparency: return L"ButtonTransparency";
    case svPopupBorderStyle: return L"PopupBorderStyle";
    default: return TcxContainerStyle::GetAssignedValueName(AIndex);
    }
}

void TcxCustomEditStyle::DoAssign(const TcxContainerStyle& ASource)
{
    if (auto s = dynamic_cast<const TcxCustomEditStyle*>(&ASource)) {
        buttonStyle_ = s->buttonStyle_;
        buttonTransparency_ = s->buttonTransparency_;
        popupBorderStyle_ = s->popupBorderStyle_;
    }
}

std::unique_ptr<TcxContainerStyle> TcxEditStyleController::CreateStyle()
{
    return std::make_unique<TcxEditStyle>(this);
}

// ---------------------------------------------------------------------------
// Edit buttons

TcxEditButton::TcxEditButton(TcxEditButtons* ACollection) : collection_(ACollection) {}

int TcxEditButton::Index() const { return collection_->IndexOf(this); }

void TcxEditButton::Changed()
{
    if (collection_)
        collection_->Changed();
}

void TcxEditButton::SetDefault(bool Value)
{
    if (Value == default_)
        return;
    collection_->BeginUpdate();
    if (Value)
        for (int i = 0; i < collection_->Count(); ++i)
            (*collection_)[i].default_ = false;
    default_ = Value;
    collection_->Changed();
    collection_->EndUpdate();
}

void TcxEditButton::MakeGlyph()
{
    if (glyph_)
        return;
    glyph_ = std::make_unique<TBitmap>();
    glyph_->OnChange = [this](TObject*) { Changed(); };
}

TBitmap& TcxEditButton::Glyph()
{
    MakeGlyph();
    return *glyph_;
}

void TcxEditButton::SetGlyph(const TBitmap* Value)
{
    if (!Value) {
        if (!glyph_)
            return;
        glyph_.reset();
        Changed();
        return;
    }
    // The bitmap reports its own change.
    Glyph().Assign(*Value);
}

void TcxEditButton::SetKind(TcxEditButtonKind Value)
{
    if (Value == kind_)
        return;
    kind_ = Value;
    Changed();
}

void TcxEditButton::SetLeftAlignment(bool Value)
{
    if (Value == leftAlignment_)
        return;
    leftAlignment_ = Value;
    Changed();
}

void TcxEditButton::SetVisible(bool Value)
{
    if (Value == visible_)
        return;
    visible_ = Value;
    Changed();
}

void TcxEditButton::SetWidth(int Value)
{
    // What a negative width means to the layout is not settled: once negative it stays.
    if (width_ < 0 || Value == width_)
        return;
    width_ = Value;
    Changed();
}

void TcxEditButton::SetContentColor(TColor Value)
{
    if (Value == contentColor_)
        return;
    contentColor_ = Value;
    Changed();
}

void TcxEditButton::Assign(const TPersistent* Source)
{
    auto s = dynamic_cast<const TcxEditButton*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    collection_->BeginUpdate();
    default_ = s->default_;
    if (s->glyph_)
        Glyph().Assign(*s->glyph_);  // reported inside the bracket
    else
        glyph_.reset();
    kind_ = s->kind_;
    leftAlignment_ = s->leftAlignment_;
    contentColor_ = s->contentColor_;
    visible_ = s->visible_;
    width_ = s->width_;
    collection_->Changed();
    collection_->EndUpdate();
}

TcxEditButtons::TcxEditButtons(TPersistent* AOwner)
    : owner_(AOwner), update_([this] {
          if (OnChanged)
              OnChanged();
      })
{
}

TcxEditButtons::~TcxEditButtons() { OnChanged = nullptr; }

TcxEditButton& TcxEditButtons::Add()
{
    items_.push_back(std::make_unique<TcxEditButton>(this));
    // At design time the first button of an empty collection is the default one.
    auto component = dynamic_cast<TComponent*>(owner_ ? owner_->GetOwner() : nullptr);
    if (items_.size() == 1 && component && component->IsDesigning() && !component->IsLoading())
        items_.back()->default_ = true;
    Changed();
    return *items_.back();
}

void TcxEditButtons::Delete(int AIndex)
{
    if (AIndex < 0 || AIndex >= Count())
        throw Exception(L"List index out of bounds (" + std::to_wstring(AIndex) + L")");
    items_.erase(items_.begin() + AIndex);
    Changed();
}

void TcxEditButtons::Clear()
{
    if (items_.empty())
        return;
    items_.clear();
    Changed();
}

int TcxEditButtons::VisibleCount() const
{
    return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const auto& b) { return b->Visible(); }));
}

int TcxEditButtons::IndexOf(const TcxEditButton* AButton) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == AButton)
            return static_cast<int>(i);
    return -1;
}

void TcxEditButtons::Changed() { update_.Changed(); }

void TcxEditButtons::Assign(const TPersistent* Source)
{
    auto s = dynamic_cast<const TcxEditButtons*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    items_.clear();
    for (const auto& b : s->items_) {
        items_.push_back(std::make_unique<TcxEditButton>(this));
        items_.back()->Assign(b.get());
    }
    Changed();
    EndUpdate();
}

// ---------------------------------------------------------------------------
// Alignment and assigned values

TcxEditAlignment::TcxEditAlignment(TcxCustomEditProperties* AOwner) : owner_(AOwner) {}

void TcxEditAlignment::Changed()
{
    if (OnChanged)
        OnChanged();
}

void TcxEditAlignment::SetHorz(TAlignment Value)
{
    isHorzAssigned_ = true;
    if (Value == horz_)
        return;
    horz_ = Value;
    Changed();
}

void TcxEditAlignment::SetVert(TcxEditVertAlignment Value)
{
    if (Value == vert_)
        return;
    vert_ = Value;
    Changed();
}

void TcxEditAlignment::Reset()
{
    isHorzAssigned_ = false;
    Changed();
}

void TcxEditAlignment::Assign(const TPersistent* Source)
{
    auto s = dynamic_cast<const TcxEditAlignment*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    vert_ = s->vert_;
    horz_ = s->horz_;
    isHorzAssigned_ = s->isHorzAssigned_;
    Changed();
}

void TcxCustomEditPropertiesValues::Assign(const TPersistent* Source)
{
    auto s = dynamic_cast<const TcxCustomEditPropertiesValues*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    ReadOnly = s->ReadOnly;
}

// ---------------------------------------------------------------------------
// Default values provider and data binding

TcxCustomEditDefaultValuesProvider::~TcxCustomEditDefaultValuesProvider()
{
    TcxCustomEditProperties::ProviderDestroyed(this);
}

TcxEditDataBinding::TcxEditDataBinding(TcxCustomEdit* AEdit)
    : edit_(AEdit), provider_(std::make_unique<TcxCustomEditDefaultValuesProvider>())
{
}

TcxEditDataBinding::~TcxEditDataBinding() = default;

bool TcxEditDataBinding::IsInEditMode() const { return edit_->UserModified(); }

void TcxEditDataBinding::UpdateDisplayValue() { edit_->RefreshDisplay(); }

// ---------------------------------------------------------------------------
// Properties

namespace {
std::vector<TcxCustomEditProperties*>& PropertiesList()
{
    static std::vector<TcxCustomEditProperties*> list;
    return list;
}
} // namespace

const std::vector<TcxCustomEditProperties*>& TcxCustomEditProperties::Instances() { return PropertiesList(); }

TcxCustomEditProperties::TcxCustomEditProperties(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner)
{
    buttons_ = std::make_unique<TcxEditButtons>(this);
    buttons_->OnChanged = [this] { ButtonsChanged(); };
    alignment_ = std::make_unique<TcxEditAlignment>(this);
    alignment_->OnChanged = [this] { Changed(); };
    PropertiesList().push_back(this);
}

TcxCustomEditProperties::~TcxCustomEditProperties()
{
    auto& list = PropertiesList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    buttons_->OnChanged = nullptr;
    alignment_->OnChanged = nullptr;
    OnPropertiesChanged = nullptr;
}

void TcxCustomEditProperties::ProviderDestroyed(TcxCustomEditDefaultValuesProvider* AProvider)
{
    for (TcxCustomEditProperties* p : PropertiesList())
        if (p->provider_ == AProvider)
            p->provider_ = nullptr;
}

void TcxCustomEditProperties::EnsureAssignedValues()
{
    if (!assignedValues_)
        assignedValues_ = CreateAssignedValues();
}

std::unique_ptr<TcxCustomEditPropertiesValues> TcxCustomEditProperties::CreateAssignedValues()
{
    return std::make_unique<TcxCustomEditPropertiesValues>(this);
}

void TcxCustomEditProperties::SetAutoSelect(bool Value)
{
    if (Value == autoSelect_)
        return;
    autoSelect_ = Value;
    Changed();
}

void TcxCustomEditProperties::SetBeepOnError(bool Value)
{
    if (Value == beepOnError_)
        return;
    beepOnError_ = Value;
    Changed();
}

void TcxCustomEditProperties::SetClearShortCut(TShortCut Value)
{
    if (Value == clearShortCut_)
        return;
    clearShortCut_ = Value;
    Changed();
}

void TcxCustomEditProperties::SetClickShortCut(TShortCut Value)
{
    if (Value == clickShortCut_)
        return;
    clickShortCut_ = Value;
    Changed();
}

void TcxCustomEditProperties::SetImmediatePost(bool Value)
{
    if (Value == immediatePost_)
        return;
    immediatePost_ = Value;
    Changed();
}

void TcxCustomEditProperties::SetUseLeftAlignmentOnEditing(bool Value)
{
    if (Value == useLeftAlignmentOnEditing_)
        return;
    useLeftAlignmentOnEditing_ = Value;
    Changed();
}

void TcxCustomEditProperties::SetValidateOnEnter(bool Value)
{
    if (Value == validateOnEnter_)
        return;
    validateOnEnter_ = Value;
    Changed();
}

const TcxEditAlignment& TcxCustomEditProperties::Alignment() const
{
    if (!scratchAlignment_)
        scratchAlignment_ = std::make_unique<TcxEditAlignment>(const_cast<TcxCustomEditProperties*>(this));
    scratchAlignment_->Assign(alignment_.get());
    if (!alignment_->IsHorzAssigned()) {
        scratchAlignment_->SetHorz(GetDefaultHorzAlignment());
        scratchAlignment_->Reset();
    }
    return *scratchAlignment_;
}

void TcxCustomEditProperties::SetAlignment(const TcxEditAlignment& Value) { SetAlignmentValue(Value); }

void TcxCustomEditProperties::SetAlignmentValue(const TcxEditAlignment& Value)
{
    alignment_->Assign(&Value);
    Changed();
}

void TcxCustomEditProperties::AlignmentReset()
{
    // The default alignment is read again; one report for it.
    BeginUpdate();
    if (!alignment_->IsHorzAssigned())
        alignment_->Reset();
    EndUpdate(false);
    Changed();
}

TAlignment TcxCustomEditProperties::GetDefaultHorzAlignment() const
{
    if (provider_)
        return provider_->DefaultAlignment();
    return alignment_->Horz();
}

bool TcxCustomEditProperties::ReadOnly() const
{
    const_cast<TcxCustomEditProperties*>(this)->EnsureAssignedValues();
    if (assignedValues_->ReadOnly)
        return readOnly_;
    if (provider_)
        return provider_->IsReadOnly();
    return false;
}

void TcxCustomEditProperties::SetReadOnly(bool Value)
{
    EnsureAssignedValues();
    if (assignedValues_->ReadOnly && readOnly_ == Value)
        return;
    assignedValues_->ReadOnly = true;
    readOnly_ = Value;
    Changed();
}

bool TcxCustomEditProperties::CanModify() const
{
    const_cast<TcxCustomEditProperties*>(this)->EnsureAssignedValues();
    if (assignedValues_->ReadOnly && !readOnly_)
        return true;
    if (!ReadOnly() && provider_)
        return provider_->CanModify();
    return !ReadOnly();
}

bool TcxCustomEditProperties::IsValidChar(wchar_t AChar) const { return !provider_ || provider_->IsValidChar(AChar); }

void TcxCustomEditProperties::ButtonsChanged() { Changed(); }

void TcxCustomEditProperties::EndUpdate(bool ANotify)
{
    if (updateCount_ > 0) {
        --updateCount_;
        if (updateCount_ == 0 && ANotify)
            Changed();
    }
}

void TcxCustomEditProperties::Changed()
{
    if (changedLocked_ || updateCount_ > 0)
        return;
    if (auto owner = dynamic_cast<TComponent*>(Owner()); owner && owner->IsDestroying())
        return;
    if (OnPropertiesChanged)
        OnPropertiesChanged(this);
}

std::wstring TcxCustomEditProperties::DefaultErrorText(int) const { return kInvalidInputText; }

std::unique_ptr<TcxCustomEditViewData> TcxCustomEditProperties::CreateViewData(TcxCustomEditStyle* AStyle)
{
    return std::make_unique<TcxCustomEditViewData>(this, AStyle);
}

std::unique_ptr<TcxCustomEditViewInfo> TcxCustomEditProperties::CreateViewInfo()
{
    return std::make_unique<TcxCustomEditViewInfo>();
}

TcxCustomEdit* TcxCustomEditProperties::CreateEdit(TComponent* AOwner) { return new TcxCustomEdit(AOwner); }

void TcxCustomEditProperties::DoValidate(TcxEditValue&, std::wstring&, bool&, TcxCustomEdit*) {}

void TcxCustomEditProperties::ValidateDisplayValue(TcxEditValue& ADisplayValue, std::wstring& AErrorText,
                                                   bool& AError, TcxCustomEdit* AEdit)
{
    if (!CanValidate())
        return;
    AError = false;
    DoValidate(ADisplayValue, AErrorText, AError, AEdit);
    if (AErrorText.empty())
        AErrorText = DefaultErrorText(0);
    RunOnValidate(ADisplayValue, AErrorText, AError, AEdit);
}

void TcxCustomEditProperties::RunOnValidate(TcxEditValue& ADisplayValue, std::wstring& AErrorText, bool& AError,
                                            TcxCustomEdit* AEdit)
{
    // Error comes in as the range check left it (a value out of bounds is an error
    // unless the handler accepts it).
    if (!OnValidate)
        return;
    const TcxEditValue before = ADisplayValue;
    OnValidate(AEdit, ADisplayValue, AErrorText, AError);
    // A handler that reports an error without changing the value gets the text on screen.
    if (AError && ADisplayValue.ToString() == before.ToString() && AEdit)
        ADisplayValue = TcxEditValue(AEdit->GetDisplayText());
}

void TcxCustomEditProperties::DoAssign(const TcxCustomEditProperties&) {}

void TcxCustomEditProperties::Assign(const TPersistent* Source)
{
    auto s = dynamic_cast<const TcxCustomEditProperties*>(Source);
    if (!s) {
        TcxInterfacedPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    try {
        AssignValues(*s);
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    // The one notification of the copy, outside any destructor: what it starts may raise.
    EndUpdate(true);
}

void TcxCustomEditProperties::AssignValues(const TcxCustomEditProperties& AProperties)
{
    const TcxCustomEditProperties* s = &AProperties;
    SetAutoSelect(s->autoSelect_);
    buttons_->Assign(s->buttons_.get());
    SetBeepOnError(s->beepOnError_);
    SetClearShortCut(s->clearShortCut_);
    SetClickShortCut(s->clickShortCut_);
    SetUseLeftAlignmentOnEditing(s->useLeftAlignmentOnEditing_);
    provider_ = s->provider_;
    SetAlignment(s->Alignment());
    EnsureAssignedValues();
    assignedValues_->ReadOnly = false;
    // A source nobody has asked about yet has no assigned values either.
    const_cast<TcxCustomEditProperties*>(s)->EnsureAssignedValues();
    if (const_cast<TcxCustomEditProperties*>(s)->IsReadOnlyStored())
        SetReadOnly(s->readOnly_);
    SetImmediatePost(s->immediatePost_);
    SetValidateOnEnter(s->validateOnEnter_);
    OnEditButtonClick = s->OnEditButtonClick;
    OnChange = s->OnChange;
    OnEditValueChanged = s->OnEditValueChanged;
    OnValidate = s->OnValidate;
    DoAssign(*s);
}

// ---------------------------------------------------------------------------
// Repository

TcxEditRepositoryItem::TcxEditRepositoryItem(TComponent* AOwner) : TComponent(AOwner) {}

TcxEditRepositoryItem::~TcxEditRepositoryItem()
{
    Destroying();
    // Listeners hear, last first, that the item goes; then the properties go.
    while (!listeners_.empty()) {
        IcxEditRepositoryItemListener* l = listeners_.back();
        listeners_.pop_back();
        l->ItemRemoved(this);
    }
    if (auto repo = dynamic_cast<TcxEditRepository*>(repository_))
        repo->Remove(this);
    properties_.reset();
}

TcxCustomEditProperties& TcxEditRepositoryItem::Properties()
{
    if (!properties_) {
        properties_ = CreateProperties();
        properties_->OnPropertiesChanged = [this](TcxCustomEditProperties*) {
            auto listeners = listeners_;
            for (IcxEditRepositoryItemListener* l : listeners)
                if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end())
                    l->PropertiesChanged(this);
        };
    }
    return *properties_;
}

std::unique_ptr<TcxCustomEditProperties> TcxEditRepositoryItem::CreateProperties()
{
    return std::make_unique<TcxCustomEditProperties>(this);
}

void TcxEditRepositoryItem::SetParentComponent(TComponent* AParent)
{
    if (IsLoading())
        return;
    if (auto old = dynamic_cast<TcxEditRepository*>(repository_))
        old->Remove(this);
    if (auto repo = dynamic_cast<TcxEditRepository*>(AParent))
        repo->Add(this);
}

void TcxEditRepositoryItem::AddListener(IcxEditRepositoryItemListener* AListener)
{
    if (std::find(listeners_.begin(), listeners_.end(), AListener) == listeners_.end())
        listeners_.push_back(AListener);
}

void TcxEditRepositoryItem::RemoveListener(IcxEditRepositoryItemListener* AListener)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), AListener), listeners_.end());
}

TcxEditRepository::~TcxEditRepository()
{
    Destroying();
    while (!items_.empty())
        delete items_.back();  // removes itself
}

void TcxEditRepository::Add(TcxEditRepositoryItem* AItem)
{
    if (!AItem || std::find(items_.begin(), items_.end(), AItem) != items_.end())
        return;
    items_.push_back(AItem);
    AItem->repository_ = this;
    AItem->FreeNotification(this);
}

void TcxEditRepository::Remove(TcxEditRepositoryItem* AItem)
{
    auto it = std::find(items_.begin(), items_.end(), AItem);
    if (it == items_.end())
        return;
    items_.erase(it);
    AItem->repository_ = nullptr;
    AItem->RemoveFreeNotification(this);
}

void TcxEditRepository::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove)
        items_.erase(std::remove(items_.begin(), items_.end(), AComponent), items_.end());
}

// ---------------------------------------------------------------------------
// View data and view info

TcxEditBorderStyle GetEditDrawnBorderStyle(TcxEditBorderStyle AStyle, TcxContainerHotState AHotState)
{
    return static_cast<TcxEditBorderStyle>(
        GetDrawnBorderStyle(static_cast<TcxContainerBorderStyle>(AStyle), AHotState == chsSelected ? chsSelected : chsNormal));
}

TcxEditPopupBorderStyle GetEditPopupBorderStyle(TcxEditPopupBorderStyle AAssigned, TcxEditBorderStyle ADrawn)
{
    if (AAssigned != epbsDefault)
        return AAssigned;
    switch (ADrawn) {
    case ebsNone: return epbsFlat;
    case ebsFlat: return epbsFlat;
    default: return epbsSingle;
    }
}

TcxButtonState EditButtonStateToButtonState(TcxEditButtonViewState AState)
{
    switch (AState) {
    case ebsDisabled: return cxbsDisabled;
    case ebsPressed: return cxbsPressed;
    case ebsSelected: return cxbsHot;
    default: return cxbsNormal;
    }
}

TcxLookAndFeelPainterClass GetEditButtonPainter(TcxEditButtonStyle AStyle, TcxEditButtonViewState AState)
{
    switch (AStyle) {
    case bts3D:
        return TcxStandardLookAndFeelPainter::Instance();
    case btsFlat:
    case btsSimple:
        return TcxFlatLookAndFeelPainter::Instance();
    case btsHotFlat:
        // Flat at rest, raised while the mouse is over it or it is pressed.
        if (AState == ebsSelected || AState == ebsPressed)
            return TcxStandardLookAndFeelPainter::Instance();
        return TcxFlatLookAndFeelPainter::Instance();
    default:
        return TcxUltraFlatLookAndFeelPainter::Instance();
    }
}

TcxCustomEditViewData::TcxCustomEditViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle)
    : Properties(AProperties), Style(AStyle)
{
    BorderStyle = AStyle->BorderStyle();
    ButtonVisibleCount = AProperties->Buttons().VisibleCount();
    const TcxEditAlignment& a = AProperties->Alignment();
    HorzAlignment = a.Horz();
    VertAlignment = a.Vert();
    // Edits are drawn through the system theme only where the binding can draw them.
    NativeStyle = AStyle->LookAndFeel().NativeStyle() && AreVisualStylesAvailable({totEdit});
}

TcxEditButtonStyle TcxCustomEditViewData::ResolveButtonStyle() const
{
    TcxEditButtonStyle s = Style->ButtonStyle();
    if (s != btsDefault)
        return s;
    // btsDefault follows the look-and-feel: flat buttons for lfFlat, raised 3-D
    // buttons for lfStandard, ultra-flat ones for lfUltraFlat (the program's look).
    switch (Style->LookAndFeel().Kind()) {
    case lfFlat: return btsFlat;
    case lfStandard: return bts3D;
    case lfUltraFlat: return btsUltraFlat;
    }
    return btsUltraFlat;
}

namespace {

// The theme's content margins of a part: how far its content lies inside its bounds.
bool ThemeMargins(TdxThemeClassKind AClass, int APart, RECT& AMargins)
{
    HTHEME theme = OpenTheme(AClass);
    if (!theme)
        return false;
    const RECT bounds = Rect(0, 0, 100, 100);
    RECT content{};
    if (dxGetThemeBackgroundContentRect(theme, nullptr, APart, 1, bounds, content) != S_OK)
        return false;
    AMargins = Rect(content.left, content.top, 100 - content.right, 100 - content.bottom);
    return true;
}

} // namespace

RECT TcxCustomEditViewData::GetBorderExtent() const
{
    RECT border;
    if (NativeStyle) {
        // The theme's content margins of the edit part.
        border = RECT{2, 2, 2, 2};
        ThemeMargins(totEdit, dxtpEditText, border);
    } else {
        const int w = (Style->TransparentBorder() || Style->HotTrack()
                           ? 2
                           : GetContainerBorderWidth(static_cast<TcxContainerBorderStyle>(BorderStyle)))
            * Line();
        border = RECT{w, w, w, w};
    }
    // An edge the style leaves out reserves nothing (the shadow stays).
    const TcxBorders edges = Style->Edges();
    if (!edges.Contains(bLeft))
        border.left = 0;
    if (!edges.Contains(bTop))
        border.top = 0;
    if (!edges.Contains(bRight))
        border.right = 0;
    if (!edges.Contains(bBottom))
        border.bottom = 0;
    if (Style->Shadow() && !NativeStyle) {
        border.right += 3 * Line();
        border.bottom += 3 * Line();
    }
    return border;
}

RECT TcxCustomEditViewData::GetTextMargins() const
{
    RECT m{1, 1, HorzAlignment == taRightJustify ? 2 : 1, 3};
    if (IsListStyle()) {
        ++m.left;
        if (VertAlignment != taTopJustify) {
            ++m.top;
            --m.bottom;
        }
    }
    // Margins of lines: wider on a dense display.
    const int line = Line();
    return RECT{m.left * line, m.top * line, m.right * line, m.bottom * line};
}

int TcxCustomEditViewData::GetTextLineHeight() const
{
    TScreenCanvas screen;
    screen.Font().Assign(Style->Font());
    HGDIOBJ old = SelectObject(screen.Handle(), screen.Font().Handle());
    TEXTMETRICW tm{};
    GetTextMetricsW(screen.Handle(), &tm);
    SelectObject(screen.Handle(), old);
    return tm.tmHeight;
}

SIZE TcxCustomEditViewData::GetEditSize(int AWidth)
{
    const RECT border = GetBorderExtent(), margins = GetTextMargins();
    int content = GetTextLineHeight() + margins.top + margins.bottom;
    // A glyph button whose glyph and margins are taller than the text makes the edit grow.
    const int vertical = ButtonContentMargins().cy;
    for (int i = 0; i < Properties->Buttons().Count(); ++i) {
        TcxEditButton& b = Properties->Buttons()[i];
        if (b.Visible() && b.Kind() == bkGlyph && b.HasGlyph())
            content = std::max(content, b.Glyph().Height() + vertical);
    }
    return SIZE{AWidth, std::min<int>(MaxHeight, content + border.top + border.bottom)};
}

SIZE TcxCustomEditViewData::ButtonContentMargins() const
{
    // btsDefault (resolved), bts3D, btsFlat, btsSimple, btsHotFlat, btsUltraFlat.
    static constexpr int minimums[] = {2, 4, 3, 3, 2, 2};
    const int minimum = minimums[ResolveButtonStyle()];
    SIZE margins{minimum, minimum};
    if (NativeStyle) {
        RECT m{};
        if (ThemeMargins(totComboBox, dxtpComboDropDown, m))
            margins = SIZE{m.left + m.right, m.top + m.bottom};
    }
    return margins;
}

bool TcxCustomEditViewData::ButtonsHidden(const TcxEditState& AState) const
{
    switch (Style->ButtonTransparency()) {
    case ebtHideInactive:
        return !AState.Contains(csFocused);
    case ebtHideUnselected:
        return !AState.Contains(csFocused) && !AState.Contains(csHot);
    default:
        return false;
    }
}

void TcxCustomEditViewData::Calculate(const RECT& ABounds, POINT P, bool AMouseOver, TShiftState AButtons,
                                      TcxCustomEditViewInfo& vi)
{
    vi.Bounds = ABounds;
    vi.NativeStyle = NativeStyle;
    vi.ThemedObjectType = NativeStyle ? totEdit : 0;
    vi.NativePart = NativeStyle ? dxtpEditText : 0;
    vi.Shadow = Style->Shadow() && !NativeStyle;
    vi.Edges = Style->Edges();
    vi.EditBorderStyle = BorderStyle;
    vi.Font = &Style->Font();
    vi.TextColor = Style->Font().Color();
    vi.Painter = Style->LookAndFeel().GetPainter();

    // State: hot while the mouse is inside and no button is down, unless the edit holds the capture.
    if (!Enabled)
        vi.ContainerState = {csDisabled};
    else if (Focused && !IsDesigning)
        vi.ContainerState = {csFocused};
    else
        vi.ContainerState = {csNormal};
    const bool buttonsDown = (AButtons & (ssLeft | ssRight | ssMiddle)) != 0;
    if (Enabled && !IsDesigning && AMouseOver && PtInRect(&ABounds, P) && (!buttonsDown || MouseCaptured))
        vi.ContainerState.Include(csHot);
    const bool active = vi.ContainerState.Contains(csFocused) || vi.ContainerState.Contains(csHot);
    vi.HotState = !Style->HotTrack() ? chsNoHotTrack : active ? chsSelected : chsNormal;
    // The edit-text part's states: normal 1, hot 2, disabled 4, focused 5.
    vi.NativeState = !NativeStyle                                  ? 0
        : vi.ContainerState.Contains(csDisabled)                   ? 4
        : vi.ContainerState.Contains(csFocused)                    ? 5
        : vi.ContainerState.Contains(csHot)                        ? 2
                                                                   : 1;

    const TcxEditBorderStyle drawn = GetEditDrawnBorderStyle(BorderStyle, vi.HotState);
    vi.BorderStyle = static_cast<TcxContainerBorderStyle>(drawn);
    vi.LineWidth = Line();
    vi.BorderWidth = GetContainerBorderWidth(vi.BorderStyle) * vi.LineWidth;
    if (BorderStyle == ebsUltraFlat) {
        bool highlighted = vi.ContainerState.Contains(csFocused)
            || (vi.ContainerState.Contains(csHot) && Style->HotTrack()) || (IsDesigning && Enabled);
        vi.BorderColor = highlighted ? clHighlight : clBtnShadow;
    } else {
        vi.BorderColor = Style->BorderColor();
    }
    vi.BackgroundColor = Enabled ? Style->Color() : clBtnFace;
    if (NativeStyle && !Enabled)
        cxGetThemeColor(totEdit, dxtpEditText, vi.NativeState, dxtpFillColor, vi.BackgroundColor);

    if (IsRectEmptyR(ABounds)) {
        vi.BorderRect = vi.ClientRect = vi.ContentRect = vi.TextRect = RECT{ABounds.left, ABounds.top, ABounds.left,
                                                                              ABounds.top};
        vi.ButtonsInfo.clear();
        return;
    }
    const RECT extent = GetBorderExtent();
    vi.BorderRect = Rect(ABounds.left + extent.left, ABounds.top + extent.top, ABounds.right - extent.right,
                         ABounds.bottom - extent.bottom);
    if (IsRectEmptyR(vi.BorderRect))
        vi.BorderRect = Rect(vi.BorderRect.left, vi.BorderRect.top, vi.BorderRect.left, vi.BorderRect.top);
    vi.ContentRect = vi.BorderRect;
    CalculateButtons(vi, P, AMouseOver, AButtons);
    vi.ClientRect = vi.ContentRect;
    vi.TextMargins = GetTextMargins();
    vi.TextRect = Rect(vi.ContentRect.left + vi.TextMargins.left, vi.ContentRect.top + vi.TextMargins.top,
                       vi.ContentRect.right - vi.TextMargins.right, vi.ContentRect.bottom - vi.TextMargins.bottom);
}

void TcxCustomEditViewData::CalculateButtons(TcxCustomEditViewInfo& vi, POINT P, bool AMouseOver, TShiftState AButtons)
{
    vi.ButtonsInfo.clear();
    vi.FirstLeftButton = vi.LastLeftButton = vi.FirstRightButton = vi.LastRightButton = -1;
    vi.HotButton = -1;
    vi.PressedButton = PressedButton;
    if (ButtonsHidden(vi.ContainerState))
        return;
    const TcxEditButtonTransparency transparency = Style->ButtonTransparency();
    const bool active = vi.ContainerState.Contains(csFocused) || vi.ContainerState.Contains(csHot);
    const bool transparent = transparency == ebtAlways || (transparency == ebtInactive && !active);
    const TcxEditButtonStyle style = ResolveButtonStyle();
    const int minimum = ButtonContentMargins().cx;
    TcxEditButtons& buttons = Properties->Buttons();
    const int visible = buttons.VisibleCount();
    const bool leftDown = (AButtons & ssLeft) != 0;
    const bool anyDown = (AButtons & (ssLeft | ssRight | ssMiddle)) != 0;
    for (int i = 0; i < buttons.Count(); ++i) {
        TcxEditButton& b = buttons[i];
        if (!b.Visible())
            continue;
        TcxEditButtonViewInfo info;
        info.ButtonIndex = i;
        info.Kind = b.Kind();
        info.Default = b.Default();
        info.Glyph = b.HasGlyph() ? &b.Glyph() : nullptr;
        info.LeftAlignment = b.LeftAlignment();
        info.Width = b.Width();
        info.Style = style;
        info.Transparent = transparent;
        info.NativeStyle = NativeStyle;
        info.IsComboLook = visible == 1 && b.Kind() == bkDown;
        info.ContentColor = b.ContentColor();
        int width;
        if (b.Width() > 0)
            width = std::max(b.Width(), minimum);
        else if (b.Kind() == bkGlyph && info.Glyph)
            width = info.Glyph->Width() + minimum;
        else
            width = SystemMetricForDpi(SM_CYHSCROLL, Dpi);
        RECT& c = vi.ContentRect;
        width = std::max(0, std::min(width, static_cast<int>(c.right - c.left)));
        if (b.LeftAlignment()) {
            info.Bounds = Rect(c.left, c.top, c.left + width, c.bottom);
            c.left += width;
        } else {
            info.Bounds = Rect(c.right - width, c.top, c.right, c.bottom);
            c.right -= width;
        }
        info.VisibleBounds = info.Bounds;
        const bool over = AMouseOver && PtInRect(&info.Bounds, P);
        if (!Enabled)
            info.State = ebsDisabled;
        else if (PressedButton == i && leftDown && over)
            info.State = ebsPressed;
        else if (over && !anyDown)
            info.State = ebsSelected;
        else
            info.State = ebsNormal;
        if (over && !anyDown)
            vi.HotButton = i;
        vi.ButtonsInfo.push_back(info);
    }
    // The first and last of each side; the last ones are next to the text.
    for (int i = 0; i < static_cast<int>(vi.ButtonsInfo.size()); ++i) {
        int& first = vi.ButtonsInfo[i].LeftAlignment ? vi.FirstLeftButton : vi.FirstRightButton;
        int& last = vi.ButtonsInfo[i].LeftAlignment ? vi.LastLeftButton : vi.LastRightButton;
        if (first < 0)
            first = i;
        last = i;
    }
    // A hot-flat button next to the text reaches one pixel toward it.
    if (style == btsHotFlat) {
        if (vi.LastLeftButton >= 0)
            ++vi.ButtonsInfo[vi.LastLeftButton].Bounds.right;
        if (vi.LastRightButton >= 0)
            --vi.ButtonsInfo[vi.LastRightButton].Bounds.left;
    }
}

void TcxCustomEditViewInfo::Assign(const TcxContainerViewInfo& ASource)
{
    TcxContainerViewInfo::Assign(ASource);
    if (auto s = dynamic_cast<const TcxCustomEditViewInfo*>(&ASource)) {
        EditBorderStyle = s->EditBorderStyle;
        ButtonsInfo = s->ButtonsInfo;
        FirstLeftButton = s->FirstLeftButton;
        LastLeftButton = s->LastLeftButton;
        FirstRightButton = s->FirstRightButton;
        LastRightButton = s->LastRightButton;
        PressedButton = s->PressedButton;
        HotButton = s->HotButton;
        ContentRect = s->ContentRect;
        TextRect = s->TextRect;
        TextMargins = s->TextMargins;
        Painter = s->Painter;
        Font = s->Font;
        TextColor = s->TextColor;
    }
}

bool TcxCustomEditViewInfo::IsEqual(const TcxContainerViewInfo& AOther) const
{
    auto o = dynamic_cast<const TcxCustomEditViewInfo*>(&AOther);
    if (!o || !TcxContainerViewInfo::IsEqual(AOther))
        return false;
    if (ButtonsInfo.size() != o->ButtonsInfo.size() || !(ContentRect == o->ContentRect) || Painter != o->Painter
        || TextColor != o->TextColor || HotButton != o->HotButton || PressedButton != o->PressedButton)
        return false;
    for (size_t i = 0; i < ButtonsInfo.size(); ++i)
        if (!ButtonsInfo[i].SameLook(o->ButtonsInfo[i]))
            return false;
    return true;
}

void TcxCustomEditViewInfo::PaintBackground(TcxCanvas& ACanvas)
{
    if (IsRectEmptyR(BorderRect))
        return;
    const bool excludeButtons = !ButtonsInfo.empty() && !ButtonsInfo.front().Transparent;
    if (!excludeButtons) {
        ACanvas.FillRect(BorderRect, BackgroundColor);
        return;
    }
    // Only the parts beside the buttons: no face is painted twice.
    ACanvas.FillRect(ContentRect, BackgroundColor);
    RECT left = Rect(BorderRect.left, BorderRect.top, ContentRect.left, BorderRect.bottom);
    RECT right = Rect(ContentRect.right, BorderRect.top, BorderRect.right, BorderRect.bottom);
    for (RECT side : {left, right}) {
        for (const auto& b : ButtonsInfo)
            if (b.Bounds.left <= side.left && b.Bounds.right >= side.right)
                side = Rect(side.left, side.top, side.left, side.top);
        if (!IsRectEmptyR(side)) {
            // Between buttons of different heights or when a button is narrower than the gap.
            ACanvas.FillRect(side, BackgroundColor);
        }
    }
}

void TcxCustomEditViewInfo::PaintClassic(TcxCanvas& ACanvas)
{
    RECT outer = BorderRect;
    outer.left -= BorderWidth;
    outer.top -= BorderWidth;
    outer.right += BorderWidth;
    outer.bottom += BorderWidth;
    if (Shadow) {
        const int s = ShadowSize();
        RECT below = Rect(outer.left + s, outer.bottom, outer.right, outer.bottom + s);
        RECT right = Rect(outer.right, outer.top + s, outer.right + s, outer.bottom + s);
        ACanvas.FillRect(below, clBtnShadow);
        ACanvas.FillRect(right, clBtnShadow);
    }
    DrawBorder(ACanvas, outer);
    PaintBackground(ACanvas);
    PaintButtons(ACanvas);
    PaintContent(ACanvas);
}

void TcxCustomEditViewInfo::PaintThemed(TcxCanvas& ACanvas)
{
    TcxContainerViewInfo::PaintThemed(ACanvas);
    PaintButtons(ACanvas);
    PaintContent(ACanvas);
}

void TcxCustomEditViewInfo::PaintButtons(TcxCanvas& ACanvas)
{
    int visibleIndex = 0;
    for (const auto& b : ButtonsInfo) {
        if (!IsRectEmptyR(b.Bounds))
            PaintButton(ACanvas, b, visibleIndex);
        ++visibleIndex;
    }
}

void TcxCustomEditViewInfo::PaintButton(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& AButton, int AVisibleIndex)
{
    if (AButton.NativeStyle && AButton.IsComboLook) {
        // The drop-down button of the theme's combo box: normal 1, hot 2, pressed 3, disabled 4.
        static constexpr int states[] = {4, 1, 3, 2};
        if (HTHEME theme = OpenTheme(totComboBox);
            theme && dxDrawThemeBackground(theme, ACanvas.Handle(), dxtpComboDropDown, states[AButton.State],
                                           AButton.Bounds) == S_OK)
            return;
    }
    TcxLookAndFeelPainterClass painter = GetEditButtonPainter(AButton.Style, AButton.State);
    if (AButton.NativeStyle)
        painter = TcxWinXPLookAndFeelPainter::Instance();
    const TcxButtonState state = EditButtonStateToButtonState(AButton.State);
    const RECT& r = AButton.Bounds;
    // A button reaching beyond the border rectangle is clipped to it.
    TcxClipScope scope(ACanvas, BorderRect, !cxRectContains(BorderRect, r));
    if (!AButton.Transparent)
        painter->PaintEditButton(ACanvas, r, state, static_cast<int>(ButtonsInfo.size()), AVisibleIndex,
                                 BackgroundColor);
    const TColor ink = AButton.State == ebsDisabled ? painter->ButtonGlyphColor(cxbsDisabled) : AButton.ContentColor;
    const int shift = AButton.State == ebsPressed ? painter->ButtonPressedShift() : 0;
    RECT content = Offsetted(r, shift, shift);
    switch (AButton.Kind) {
    case bkDown:
        painter->PaintArrow(ACanvas, content, adDown, ink);
        break;
    case bkEllipsis: {
        // Three dots of 2 x 2 pixels with 2 pixels between them, centred.
        const int cx = (content.left + content.right) / 2, cy = (content.top + content.bottom) / 2;
        for (int dx : {-5, -1, 3})
            ACanvas.FillRect(Rect(cx + dx, cy, cx + dx + 2, cy + 2), ink);
        break;
    }
    case bkGlyph:
        if (AButton.Glyph) {
            auto glyph = const_cast<TBitmap*>(AButton.Glyph);
            ACanvas.DrawGraphic((content.left + content.right - glyph->Width()) / 2,
                                (content.top + content.bottom - glyph->Height()) / 2, *glyph);
        }
        break;
    }
}

// ---------------------------------------------------------------------------
// The edit control

void PostDeferredErrorMessage(HWND AWnd, const std::wstring& AText)
{
    const std::uint32_t length = static_cast<std::uint32_t>(AText.size());
    auto block = static_cast<std::uint8_t*>(std::malloc(sizeof length + length * sizeof(wchar_t)));
    if (!block)
        return;
    std::memcpy(block, &length, sizeof length);
    std::memcpy(block + sizeof length, AText.data(), length * sizeof(wchar_t));
    if (!PostMessageW(AWnd, CM_DEFERREDERRORMESSAGE, 0, reinterpret_cast<LPARAM>(block)))
        std::free(block);
}

TcxCustomEdit::TcxCustomEdit(TComponent* AOwner) : TcxContainer(AOwner)
{
    SetControlStyle(ControlStyle() | csCaptureMouse | csSetCaption);
    SetTabStop(true);
}

TcxCustomEdit::~TcxCustomEdit()
{
    *alive_ = false;
    Destroying();
    if (repositoryItem_)
        repositoryItem_->RemoveListener(this);
    if (properties_)
        properties_->OnPropertiesChanged = nullptr;
    if (repositoryItem_)
        repositoryItem_->Properties().SetDefaultValuesProvider(nullptr);
}

void TcxCustomEdit::EnsureCreated()
{
    if (created_ || initializing_)
        return;
    TScopedValue<bool> initializing(initializing_, true);
    properties_ = CreateProperties();
    if (TWinControl* inner = CreateInnerEdit()) {
        innerEdit_ = dynamic_cast<IcxCustomInnerEdit*>(inner);
        if (innerEdit_) {
            innerEdit_->SetContainer(this);
            innerEdit_->SetOnChange([this](TObject*) { InnerEditChanged(); });
        }
        SetInnerControl(inner);
    }
    dataBinding_ = std::make_unique<TcxEditDataBinding>(this);
    properties_->OnPropertiesChanged = [this](TcxCustomEditProperties* p) { PropertiesChanged(p); };
    created_ = true;
    initializing_ = false;
    ActiveProperties().SetDefaultValuesProvider(dataBinding_->DefaultValuesProvider());
    PropertiesChanged(&ActiveProperties());
    dataBinding_->UpdateDisplayValue();
}

TcxCustomEditProperties& TcxCustomEdit::Properties()
{
    EnsureCreated();
    return *properties_;
}

TcxCustomEditProperties& TcxCustomEdit::ActiveProperties()
{
    EnsureCreated();
    if (repositoryItem_ && !(ComponentState() & (csReading | csWriting)))
        return repositoryItem_->Properties();
    return *properties_;
}

IcxCustomInnerEdit* TcxCustomEdit::InnerEdit()
{
    EnsureCreated();
    return innerEdit_;
}

TcxEditDataBinding& TcxCustomEdit::DataBinding()
{
    EnsureCreated();
    return *dataBinding_;
}

std::unique_ptr<TcxCustomEditProperties> TcxCustomEdit::CreateProperties()
{
    return std::make_unique<TcxCustomEditProperties>(this);
}

std::unique_ptr<TcxContainerStyle> TcxCustomEdit::CreateStyle() { return std::make_unique<TcxEditStyle>(this); }

std::unique_ptr<TcxContainerViewInfo> TcxCustomEdit::CreateViewInfo() { return ActiveProperties().CreateViewInfo(); }

const TcxEditValue& TcxCustomEdit::EditValue()
{
    EnsureCreated();
    return editValue_;
}

void TcxCustomEdit::SetUserModified(bool Value)
{
    userModified_ = Value;
    if (Value) {
        modifiedSinceEnter_ = true;
        validated_ = false;
    }
}

void TcxCustomEdit::SetModifiedAfterEnter(bool Value)
{
    modifiedSinceEnter_ = Value;
    if (!Value)
        userModified_ = false;
}

void TcxCustomEdit::SaveModified() { modifiedStack_.emplace_back(modifiedSinceEnter_, userModified_); }

void TcxCustomEdit::RestoreModified()
{
    if (modifiedStack_.empty())
        return;
    auto [m, u] = modifiedStack_.back();
    modifiedStack_.pop_back();
    modifiedSinceEnter_ = m;
    userModified_ = u;
}

void TcxCustomEdit::LockChangeEvents(bool ALock, bool ANotify)
{
    if (ALock) {
        if (changeLock_ == 0)
            changePending_ = valueChangedPending_ = false;
        ++changeLock_;
        return;
    }
    if (changeLock_ == 0)
        return;
    if (--changeLock_ > 0 || !ANotify || IsDestroying() || IsLoading())
        return;
    TcxCustomEditProperties& p = ActiveProperties();
    if (changePending_ && p.OnChange) {
        changePending_ = false;
        p.OnChange(this);
    }
    if (valueChangedPending_ && p.OnEditValueChanged) {
        valueChangedPending_ = false;
        p.OnEditValueChanged(this);
    }
}

void TcxCustomEdit::DoChange()
{
    if (IsDestroying() || IsLoading())
        return;
    TcxCustomEditProperties& p = ActiveProperties();
    if (p.OnChange) {
        if (changeLock_ > 0)
            changePending_ = true;
        else
            p.OnChange(this);
    }
    if (!p.SuppressChangeOnSetValue() && !p.CompareValues())
        DoEditValueChanged();
}

void TcxCustomEdit::DoEditValueChanged()
{
    if (IsDestroying() || IsLoading())
        return;
    TcxCustomEditProperties& p = ActiveProperties();
    if (!p.OnEditValueChanged)
        return;
    if (changeLock_ > 0)
        valueChangedPending_ = true;
    else
        p.OnEditValueChanged(this);
}

void TcxCustomEdit::SetEditValue(const TcxEditValue& Value)
{
    EnsureCreated();
    if (userChanging_ && !RequestEditing())
        return;
    TcxCustomEditProperties& p = ActiveProperties();
    const bool changed = p.CompareValues() && editValue_ != Value;
    editValue_ = Value;
    RefreshDisplay();
    if (userChanging_)
        SetUserModified(true);
    else
        SetModifiedAfterEnter(false);
    if (changed) {
        DoEditValueChanged();
        if (!p.SuppressChangeOnSetValue())
            DoChange();
    }
}

void TcxCustomEdit::ApplyUserValue(const TcxEditValue& Value, bool ALockClick)
{
    if (editingLock_ > 0)
        return;
    if (userChanging_ && !RequestEditing())
        return;
    if (!ALockClick) {
        SetEditValue(Value);
        return;
    }
    auto lock = ClickLock();
    SetEditValue(Value);
}

bool TcxCustomEdit::RequestEditing()
{
    if (!CanEditValue())
        return false;
    if (DataBinding().IsInEditMode())
        return true;
    // OnEditing may set values: they are not asked about again.
    TScopedCount asking(editingLock_);
    bool can = CanModify();
    if (can && OnEditing)
        OnEditing(this, can);
    if (can)
        can = dataBinding_->SetEditMode();
    return can;
}

bool TcxCustomEdit::CanModify()
{
    TcxCustomEditProperties& p = ActiveProperties();
    if (p.IsReadOnlyStored())
        return !p.ReadOnly();
    return DataBinding().CanModify() && (!p.DefaultValuesProvider() || p.DefaultValuesProvider()->CanModify());
}

std::wstring TcxCustomEdit::GetDisplayText() { return L""; }

void TcxCustomEdit::SelectAll()
{
    if (IcxCustomInnerEdit* inner = InnerEdit())
        inner->SelectAll();
}

void TcxCustomEdit::DisplayValueToEditValue(const TcxEditValue&) {}

bool TcxCustomEdit::ValidateEdit(bool ARaiseException)
{
    EnsureCreated();
    if (!userModified_ || validated_)
        return true;
    TcxCustomEditProperties& p = ActiveProperties();
    TcxEditValue displayValue(GetDisplayText());
    bool error = false;
    std::wstring errorText;
    if (p.CanValidate()) {
        try {
            p.ValidateDisplayValue(displayValue, errorText, error, this);
        } catch (...) {
            // A value the handler could not check is not taken: the edit keeps the
            // focus as for an invalid value, and the handler's error is what is shown.
            if (ARaiseException)
                HandleValidationError(L"");
            throw;
        }
    }
    if (!error) {
        if (!userChanging_ || RequestEditing()) {
            {
                TModifiedFlagsKept kept(*this);
                DisplayValueToEditValue(displayValue);
            }
            if (!Focused())
                userModified_ = false;
            validated_ = true;
        }
        return true;
    }
    auto showChanged = [&] {
        if (displayValue.ToString() != GetDisplayText()) {
            SetDisplayValue(displayValue);
            if (Visible())
                SelectAll();
            Recalculate();
        }
    };
    if (ARaiseException) {
        try {
            HandleValidationError(errorText);
        } catch (...) {
            showChanged();
            throw;
        }
        Application->ProcessMessages();
    }
    showChanged();
    return false;
}

void TcxCustomEdit::HandleValidationError(const std::wstring& AErrorText)
{
    if (!Focused() && Visible() && CanFocus()) {
        // The focus comes back without the enter and exit steps.
        TScopedValue<bool> refocusing(errorFocus_, true);
        if (TWinControl* inner = InnerControl(); inner && inner->CanFocus())
            ::SetFocus(inner->Handle());
        else
            ::SetFocus(Handle());
    }
    if (Visible())
        SelectAll();
    if (ActiveProperties().BeepOnError())
        Beep();
    if (!AErrorText.empty())
        throw Exception(AErrorText);
}

void TcxCustomEdit::PostEditValue(bool AValidate)
{
    if (AValidate) {
        auto byProgram = UserChange(false);
        if (!ValidateEdit(true))
            return;
    }
    TScopedValue<bool> posting(posting_, true);
    try {
        DataBinding().StoreValue(editValue_);
    } catch (...) {
        HandleValidationError(L"");
        throw;
    }
}

void TcxCustomEdit::ResetEditValue()
{
    TcxCustomEditProperties& p = ActiveProperties();
    if (!userModified_ || !p.CanReset())
        return;
    WithChangeEventsLocked([&] {
        userModified_ = false;
        SetEditValue(prevEditValue_);
        modifiedSinceEnter_ = true;
        SelectAll();
        if (p.ImmediatePost())
            PostEditValue(false);
    });
}

void TcxCustomEdit::DoEnter()
{
    if (errorFocus_)
        return;
    {
        TModifiedFlagsKept kept(*this);
        TcxContainer::DoEnter();
        DataBinding().UpdateDisplayValue();
        if (ActiveProperties().CanReset())
            prevEditValue_ = editValue_;
        RefreshDisplay();
    }
    userModified_ = false;
    Recalculate();
}

void TcxCustomEdit::DoExit()
{
    if (IsDestroying() || errorFocus_)
        return;
    auto byProgram = UserChange(false);
    SaveModified();
    bool restored = false;
    TBlockEnd restoreFlags{[this, &restored] {
        if (!restored)
            RestoreModified();
    }};
    if (userModified_) {
        bool valid = false;
        LockChangeEvents(true);
        try {
            valid = ValidateEdit(true);
            if (valid)
                PostEditValue(false);
        } catch (...) {
            // An invalid value, a raising validation handler or a failed post: the
            // exception refuses the focus change (the held-back events fire first).
            LockChangeEvents(false);
            throw;
        }
        try {
            LockChangeEvents(false);
        } catch (...) {
            // A change handler raised, but the value was taken: the exit goes on, so the
            // error is shown here instead of refusing the focus change.
            Application->HandleException(std::current_exception());
        }
        // Refused without a message: HandleValidationError has put the focus back, and
        // the focus change is cancelled without a word.
        if (!valid)
            throw EAbort();
    }
    DataBinding().UpdateDisplayValue();
    Recalculate();
    RestoreModified();
    restored = true;
    TcxContainer::DoExit();
    userModified_ = false;
    modifiedSinceEnter_ = false;
}

void TcxCustomEdit::FocusChanged()
{
    TcxContainer::FocusChanged();
    const bool now = Focused() && GetActiveWindow() != nullptr;
    if (now != focusState_) {
        focusState_ = now;
        CheckModalClose();
    }
}

void TcxCustomEdit::CheckModalClose()
{
    // A dialog closed with a result other than Cancel takes the edit's value silently.
    TCustomForm* form = GetParentForm();
    if (form && form->Modal() && !form->Visible() && form->ModalResult() != mrNone && form->ModalResult() != mrCancel)
        ValidateEdit(false);
}

bool TcxCustomEdit::IsEditValueChangingKey(WORD, TShiftState) { return false; }

bool TcxCustomEdit::IsCutKey(WORD AKey, TShiftState AShift)
{
    const bool ctrl = (AShift & ssCtrl) != 0, shift = (AShift & ssShift) != 0, alt = (AShift & ssAlt) != 0;
    return !alt && ((AKey == 'X' && ctrl && !shift) || (AKey == VK_DELETE && shift && !ctrl));
}

void TcxCustomEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    escapeHandled_ = false;
    TcxCustomEditProperties& p = ActiveProperties();
    const bool clickKey = p.Buttons().VisibleCount() > 0 && ShortCutOf(Key, Shift) == p.ClickShortCut();
    if (!clickKey)
        TWinControl::KeyDown(Key, Shift);  // OnKeyDown; the container's Tab rule is the edit's own here
    if (Key != 0)
        HandleEditKey(Key, Shift);
}

void TcxCustomEdit::HandleEditKey(WORD& Key, TShiftState Shift)
{
    TcxCustomEditProperties& p = ActiveProperties();
    const TShortCut shortCut = ShortCutOf(Key, Shift);
    // The clear shortcut empties the value, as the user's change.
    if (Key != 0 && p.ClearShortCut() != 0 && shortCut == p.ClearShortCut()) {
        auto byUser = UserChange();
        ApplyUserValue(TcxEditValue::Null());
        Key = 0;
    }
    if (Key != 0 && p.Buttons().VisibleCount() > 0 && shortCut == p.ClickShortCut()) {
        // The character the key produces must not reach the edit; it waits in the
        // queue of the window that has the key (the inner one, or the edit's own).
        // Characters of other windows stay where they are.
        HWND target = HandleAllocated() ? Handle() : nullptr;
        if (TWinControl* inner = InnerControl(); inner && inner->HandleAllocated() && GetFocus() == inner->Handle())
            target = inner->Handle();
        MSG msg;
        if (target && PeekMessageW(&msg, target, WM_CHAR, WM_CHAR, PM_NOREMOVE) && msg.wParam == CharOfKey(Key)
            && PeekMessageW(&msg, target, WM_CHAR, WM_CHAR, PM_REMOVE) && msg.message == WM_QUIT)
            PostQuitMessage(static_cast<int>(msg.wParam));
        ClickDefaultButton();
        Key = 0;
    }
    if (Key == 0)
        return;
    // A key that would change the value needs editing granted (OnEditing, ReadOnly).
    if (!DataBinding().IsInEditMode() && IsEditValueChangingKey(Key, Shift) && !RequestEditing()) {
        // A cut on a read-only edit copies.
        if (IsCutKey(Key, Shift) && ActiveProperties().ReadOnly())
            CopyToClipboard();
        if (OnInternalKey)
            OnInternalKey(this, Key, Shift);
        Key = 0;
        return;
    }
    switch (Key) {
    case VK_TAB:
        // Without WantTabs, Tab moves on from the edit (the inner window stands in for
        // it in the tab order); the focus never stays on the container's own window.
        if (Focused() && !(Shift & (ssAlt | ssCtrl)) && !p.WantTabs()) {
            if (OnInternalKey) {
                OnInternalKey(this, Key, Shift);
                if (Key == 0)
                    return;
            }
            Key = 0;
            if (!KeepFocusOnTab()) {
                if (TCustomForm* form = GetParentForm())
                    form->SelectNext(InnerControl() ? InnerControl() : this, !(Shift & ssShift), true);
                if (HasOwnWindowFocus() && InnerControl() && InnerControl()->CanFocus())
                    InnerControl()->SetFocus();
            }
        }
        return;
    case VK_RETURN:
        // Enter validates and posts, reporting the changes once, after both.
        if (p.ValidateOnEnter()) {
            Key = 0;
            WithChangeEventsLocked([this] {
                if (ValidateEdit(true) && DataBinding().IsInEditMode())
                    PostEditValue(false);
            });
        }
        return;
    case VK_ESCAPE:
        if (userModified_) {
            // Marked first: the character is swallowed even when a change handler raises.
            escapeHandled_ = true;
            Key = 0;
            ResetEditValue();
        }
        return;
    default:
        break;
    }
    // Without a text, the page, home, end and arrow keys are the edit's and go no further.
    if (!HasText() && Key >= VK_PRIOR && Key <= VK_DOWN) {
        if (OnInternalKey)
            OnInternalKey(this, Key, Shift);
        Key = 0;
    }
}

void TcxCustomEdit::KeyPress(wchar_t& Key)
{
    if (Key == kEscapeChar && escapeHandled_) {
        escapeHandled_ = false;
        Key = 0;
        return;
    }
    TWinControl::KeyPress(Key);
    if (Key != 0)
        HandleEditChar(Key);
}

void TcxCustomEdit::HandleEditChar(wchar_t& Key)
{
    if (Key >= 32 && !ActiveProperties().IsValidChar(Key)) {
        Key = 0;
        return;
    }
    if (!DataBinding().IsInEditMode() && IsValueChangingChar(Key) && !RequestEditing())
        Key = 0;
}

void TcxCustomEdit::KeyUp(WORD& Key, TShiftState Shift) { TWinControl::KeyUp(Key, Shift); }

bool TcxCustomEdit::WantsDialogKey(WORD AKey, TShiftState AShift)
{
    TcxCustomEditProperties& p = ActiveProperties();
    const TShortCut shortCut = ShortCutOf(AKey, AShift);
    if (p.Buttons().VisibleCount() > 0 && shortCut == p.ClickShortCut())
        return true;
    if (p.ClearShortCut() != 0 && shortCut == p.ClearShortCut())
        return true;
    if (AKey == VK_RETURN && p.ValidateOnEnter())
        return true;
    return AKey == VK_ESCAPE && userModified_;
}

void TcxCustomEdit::ClickDefaultButton()
{
    TcxEditButtons& buttons = ActiveProperties().Buttons();
    for (int i = 0; i < buttons.Count(); ++i)
        if (buttons[i].Visible() && buttons[i].Default()) {
            FireButtonClick(i);
            return;
        }
}

void TcxCustomEdit::FireButtonClick(int AButtonIndex)
{
    // The click lock holds back Click, not a button's own event.
    if (ActiveProperties().OnEditButtonClick)
        ActiveProperties().OnEditButtonClick(this, AButtonIndex);
}

void TcxCustomEdit::SetRepositoryItem(TcxEditRepositoryItem* Value)
{
    EnsureCreated();
    if (Value == repositoryItem_)
        return;
    if (Value && !properties_->IsInstance(Value->Properties()))
        throw Exception(L"The repository item is not acceptable");
    if (repositoryItem_) {
        repositoryItem_->RemoveListener(this);
        repositoryItem_->RemoveFreeNotification(this);
    }
    repositoryItem_ = Value;
    if (Value) {
        Value->AddListener(this);
        Value->FreeNotification(this);
        properties_->OnPropertiesChanged = nullptr;
        PropertiesChanged(&Value->Properties());
    } else if (!IsLoading() && !IsDestroying()) {
        properties_->OnPropertiesChanged = [this](TcxCustomEditProperties* p) { PropertiesChanged(p); };
        properties_->SetDefaultValuesProvider(dataBinding_->DefaultValuesProvider());
        PropertiesChanged(properties_.get());
    }
}

void TcxCustomEdit::ItemRemoved(TcxEditRepositoryItem* Sender)
{
    if (Sender == repositoryItem_)
        SetRepositoryItem(nullptr);
}

void TcxCustomEdit::PropertiesChanged(TcxEditRepositoryItem* Sender)
{
    if (Sender == repositoryItem_)
        PropertiesChanged(&Sender->Properties());
}

void TcxCustomEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TcxContainer::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == repositoryItem_ && !IsDestroying()) {
        repositoryItem_ = nullptr;
        if (properties_) {
            properties_->OnPropertiesChanged = [this](TcxCustomEditProperties* p) { PropertiesChanged(p); };
            PropertiesChanged(properties_.get());
        }
    }
}

void TcxCustomEdit::PropertiesChanged(TcxCustomEditProperties*)
{
    if (!created_ || IsDestroying())
        return;
    validated_ = false;
    if (innerEdit_)
        innerEdit_->SetReadOnly(ActiveProperties().ReadOnly());
    AdjustSize();
    Recalculate();
}

void TcxCustomEdit::SetAutoSize(bool Value)
{
    if (Value == autoSize_)
        return;
    autoSize_ = Value;
    if (Value)
        AdjustSize();
}

void TcxCustomEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (autoSize_ && created_ && !initializing_) {
        auto data = ActiveProperties().CreateViewData(&Style());
        data->Dpi = CurrentDpi();
        AHeight = data->GetEditSize(AWidth).cy;
    }
    TcxContainer::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TcxCustomEdit::AdjustSize()
{
    if (!created_ || adjusting_)
        return;
    TScopedValue<bool> adjusting(adjusting_, true);
    if (autoSize_)
        SetBounds(Left(), Top(), Width(), Height());
    Recalculate();
    PlaceInnerEdit();
}

void TcxCustomEdit::StyleChanged(TcxContainerStyle* Sender)
{
    TcxContainer::StyleChanged(Sender);
    if (!IsDestroying())
        AdjustSize();
}

void TcxCustomEdit::VisibleChanged()
{
    TcxContainer::VisibleChanged();
    if (Visible() && !IsDestroying())
        AdjustSize();
}

void TcxCustomEdit::BoundsChanged()
{
    TcxContainer::BoundsChanged();
    if (created_)
        PlaceInnerEdit();
}

void TcxCustomEdit::CreateHandle()
{
    EnsureCreated();
    TcxContainer::CreateHandle();
    AdjustSize();
}

void TcxCustomEdit::CalculateViewInfo(POINT P, bool AIsMouseOver)
{
    EnsureCreated();
    auto data = ActiveProperties().CreateViewData(&Style());
    data->Dpi = CurrentDpi();
    data->Enabled = Enabled();
    data->Focused = Focused();
    data->IsDesigning = IsDesigning();
    data->PressedButton = pressedButton_;
    data->MouseCaptured = HandleAllocated() && GetCapture() == Handle();
    TShiftState buttons = 0;
    if (IsKeyDown(GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON))
        buttons |= ssLeft;
    if (IsKeyDown(GetSystemMetrics(SM_SWAPBUTTON) ? VK_LBUTTON : VK_RBUTTON))
        buttons |= ssRight;
    if (IsKeyDown(VK_MBUTTON))
        buttons |= ssMiddle;
    TcxCustomEditViewInfo& vi = ViewInfo();
    data->Calculate(Rect(0, 0, Width(), Height()), P, AIsMouseOver, buttons, vi);
    // A pressed button released while the mouse is still over it is a click.
    if (pressedButton_ >= 0 && !(buttons & ssLeft)) {
        const int released = pressedButton_;
        pressedButton_ = -1;
        vi.PressedButton = -1;
        if (AIsMouseOver)
            for (const auto& b : vi.ButtonsInfo)
                if (b.ButtonIndex == released && PtInRect(&b.Bounds, P)) {
                    FireButtonClick(released);
                    break;
                }
    }
}

void TcxCustomEdit::InvalidateRect(const RECT& R)
{
    if (HandleAllocated())
        ::InvalidateRect(Handle(), &R, FALSE);
}

void TcxCustomEdit::ViewInfoChanged(const TcxContainerViewInfo& APrevious)
{
    auto prev = dynamic_cast<const TcxCustomEditViewInfo*>(&APrevious);
    TcxCustomEditViewInfo& vi = ViewInfo();
    if (!prev || !(prev->Bounds == vi.Bounds) || !(prev->ContentRect == vi.ContentRect)
        || prev->BackgroundColor != vi.BackgroundColor || prev->Painter != vi.Painter) {
        InvalidateRect(vi.Bounds);
        return;
    }
    if (IsRectEmptyR(vi.Bounds))
        return;
    if (!(prev->ContainerState == vi.ContainerState) || prev->BorderColor != vi.BorderColor
        || prev->BorderStyle != vi.BorderStyle)
        InvalidateRect(vi.Bounds);
    else if (prev->ButtonsInfo.size() != vi.ButtonsInfo.size())
        InvalidateRect(vi.BorderRect);
    else
        for (size_t i = 0; i < vi.ButtonsInfo.size(); ++i) {
            const auto &a = prev->ButtonsInfo[i], &b = vi.ButtonsInfo[i];
            if (a.State != b.State || a.Style != b.Style || a.Kind != b.Kind || a.Transparent != b.Transparent)
                InvalidateRect(b.Bounds);
        }
}

void TcxCustomEdit::AdjustInnerControl() { PlaceInnerEdit(); }

void TcxCustomEdit::PlaceInnerEdit()
{
    TWinControl* inner = InnerControl();
    if (!inner)
        return;
    const RECT c = ViewInfo().ContentRect;
    RECT r = Rect(c.left, c.top, std::max(c.left, c.right), std::max(c.top, c.bottom));
    if (!(inner->BoundsRect() == r))
        inner->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    inner->SetColor(ViewInfo().BackgroundColor);
}

int TcxCustomEdit::ButtonIndexAt(POINT P)
{
    for (const auto& b : ViewInfo().ButtonsInfo)
        if (PtInRect(&b.Bounds, P))
            return b.ButtonIndex;
    return -1;
}

void TcxCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TcxContainer::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled())
        return;
    // A double click over a button is one more press of it.
    const int index = ButtonIndexAt(POINT{X, Y});
    if (index >= 0) {
        pressedButton_ = index;
        ShortRefreshContainer(true);
    }
}

void TcxCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TcxContainer::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && pressedButton_ >= 0)
        ShortRefreshContainer(true);
}

void TcxCustomEdit::WndProc(TMessage& Message)
{
    EnsureCreated();
    switch (Message.Msg) {
    case WM_COPY:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR: {
        auto byUser = UserChange();
        const bool readOnly = ActiveProperties().ReadOnly();
        if (Message.Msg == WM_COPY || (Message.Msg == WM_CUT && readOnly))
            CopyToClipboard();
        else if (Message.Msg == WM_CUT)
            CutToClipboard();
        else if (Message.Msg == WM_PASTE && !readOnly)
            PasteFromClipboard();
        else if (Message.Msg == WM_CLEAR && !readOnly)
            ClearSelection();
        Message.Result = 0;
        return;
    }
    case WM_CLOSE:
        // An edit is a part of its form, not a window to close: a multi-line inner
        // window asks its parent to close on Escape, which would destroy the edit.
        Message.Result = 0;
        return;
    case CM_DEFERREDERRORMESSAGE: {
        auto block = reinterpret_cast<std::uint8_t*>(Message.LParam);
        if (!block)
            return;
        std::uint32_t length = 0;
        std::memcpy(&length, block, sizeof length);
        std::wstring text(reinterpret_cast<const wchar_t*>(block + sizeof length), length);
        std::free(block);
        throw Exception(text);
    }
    case WM_GETDLGCODE: {
        // When the edit's own window has the focus (its inner window hidden or absent),
        // it takes the keys an edit takes.
        TcxContainer::WndProc(Message);
        Message.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
        auto msg = reinterpret_cast<const MSG*>(Message.LParam);
        if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)
            && WantsDialogKey(static_cast<WORD>(msg->wParam), KeyDataToShiftState(msg->lParam)))
            Message.Result |= DLGC_WANTMESSAGE;
        return;
    }
    default:
        break;
    }
    TcxContainer::WndProc(Message);
}
