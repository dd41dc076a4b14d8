#include "controls/edit/cxTextEdit.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <cwchar>

using namespace qv;

namespace {

// The clipboard is open for the scope's life.
class TClipboardScope {
public:
    explicit TClipboardScope(HWND AOwner) : open_(OpenClipboard(AOwner) != 0) {}
    ~TClipboardScope()
    {
        if (open_)
            CloseClipboard();
    }
    TClipboardScope(const TClipboardScope&) = delete;
    TClipboardScope& operator=(const TClipboardScope&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

// Global memory handed to the clipboard, or freed if it never gets there.
class TGlobalText {
public:
    explicit TGlobalText(const std::wstring& AText)
        : memory_(GlobalAlloc(GMEM_MOVEABLE, (AText.size() + 1) * sizeof(wchar_t)))
    {
        if (!memory_)
            return;
        if (auto p = static_cast<wchar_t*>(GlobalLock(memory_))) {
            std::wmemcpy(p, AText.c_str(), AText.size() + 1);
            GlobalUnlock(memory_);
        }
    }
    ~TGlobalText()
    {
        if (memory_)
            GlobalFree(memory_);
    }
    TGlobalText(const TGlobalText&) = delete;
    TGlobalText& operator=(const TGlobalText&) = delete;
    HGLOBAL Get() const { return memory_; }
    // The clipboard owns the memory from now on.
    HGLOBAL Release()
    {
        HGLOBAL m = memory_;
        memory_ = nullptr;
        return m;
    }

private:
    HGLOBAL memory_;
};

} // namespace

bool cxPutTextOnClipboard(HWND AOwner, const std::wstring& AText, TcxSetClipboardData ASetData)
{
    TClipboardScope clipboard(AOwner);
    if (!clipboard.IsOpen())
        return false;
    EmptyClipboard();
    TGlobalText memory(AText);
    // The clipboard owns the memory only once it has taken it; refused, it is freed here.
    if (!ASetData(CF_UNICODETEXT, memory.Get()))
        return false;
    memory.Release();
    return true;
}

namespace {

bool PutTextOnClipboard(HWND AOwner, const std::wstring& AText) { return cxPutTextOnClipboard(AOwner, AText); }

bool GetTextFromClipboard(HWND AOwner, std::wstring& AText)
{
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) && !IsClipboardFormatAvailable(CF_TEXT))
        return false;
    TClipboardScope clipboard(AOwner);
    if (!clipboard.IsOpen())
        return false;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data)
        return false;
    auto p = static_cast<const wchar_t*>(GlobalLock(data));
    if (!p)
        return false;
    AText = p;
    GlobalUnlock(data);
    return true;
}

std::wstring Upper(std::wstring s)
{
    CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && Upper(a) == Upper(b);
}

} // namespace

// ---------------------------------------------------------------------------
// Properties

void TcxTextEditPropertiesValues::Reset()
{
    TcxCustomEditPropertiesValues::Reset();
    DisplayFormat = MaxLength = MaxValue = MinValue = false;
}

void TcxTextEditPropertiesValues::Assign(const TPersistent* Source)
{
    TcxCustomEditPropertiesValues::Assign(Source);
    if (auto s = dynamic_cast<const TcxTextEditPropertiesValues*>(Source)) {
        DisplayFormat = s->DisplayFormat;
        MaxLength = s->MaxLength;
        MaxValue = s->MaxValue;
        MinValue = s->MinValue;
    }
}

TcxCustomTextEditProperties::TcxCustomTextEditProperties(TPersistent* AOwner) : TcxCustomEditProperties(AOwner)
{
    lookupItems_.OnChange = [this](TObject*) {
        // Re-sorting reports once, as the change that needed it.
        if (sortingItems_)
            return;
        if (lookupItemsSorted_)
            SortLookupItems();
        Changed();
    };
}

std::unique_ptr<TcxCustomEditPropertiesValues> TcxCustomTextEditProperties::CreateAssignedValues()
{
    return std::make_unique<TcxTextEditPropertiesValues>(this);
}

TcxTextEditPropertiesValues& TcxCustomTextEditProperties::TextValues() const
{
    const_cast<TcxCustomTextEditProperties*>(this)->EnsureAssignedValues();
    return static_cast<TcxTextEditPropertiesValues&>(*assignedValues_);
}

void TcxCustomTextEditProperties::SetCharCase(TEditCharCase Value)
{
    if (Value == charCase_)
        return;
    charCase_ = Value;
    Changed();
}

void TcxCustomTextEditProperties::SetEchoMode(TcxEditEchoMode Value)
{
    if (Value == echoMode_)
        return;
    echoMode_ = Value;
    Changed();
}

void TcxCustomTextEditProperties::SetHideSelection(bool Value)
{
    if (Value == hideSelection_)
        return;
    hideSelection_ = Value;
    Changed();
}

int TcxCustomTextEditProperties::MaxLength() const
{
    if (TextValues().MaxLength)
        return maxLength_;
    return DefaultValuesProvider() ? DefaultValuesProvider()->DefaultMaxLength() : 0;
}

void TcxCustomTextEditProperties::SetMaxLength(int Value)
{
    Value = std::max(Value, 0);
    if (TextValues().MaxLength && Value == maxLength_)
        return;
    TextValues().MaxLength = true;
    maxLength_ = Value;
    Changed();
}

void TcxCustomTextEditProperties::SetOEMConvert(bool Value)
{
    if (Value == oemConvert_)
        return;
    oemConvert_ = Value;
    Changed();
}

void TcxCustomTextEditProperties::SortLookupItems()
{
    auto less = [](const std::wstring& a, const std::wstring& b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
    };
    if (std::is_sorted(lookupItems_.Items().begin(), lookupItems_.Items().end(), less))
        return;
    std::vector<std::wstring> items = lookupItems_.Items();
    std::stable_sort(items.begin(), items.end(), less);
    // Assigning the sorted items does not sort them again.
    TScopedValue<bool> sorting(sortingItems_, true);
    lookupItems_.Assign(items);
}

void TcxCustomTextEditProperties::SetLookupItemsSorted(bool Value)
{
    if (Value == lookupItemsSorted_)
        return;
    lookupItemsSorted_ = Value;
    if (Value)
        SortLookupItems();
    Changed();
}

void TcxCustomTextEditProperties::SetValidChars(const std::bitset<256>& Value)
{
    if (Value == validChars_)
        return;
    validChars_ = Value;
    Changed();
}

void TcxCustomTextEditProperties::SetMinValue(double Value)
{
    minValue_ = Value;
    TextValues().MinValue = true;
    Changed();
}

void TcxCustomTextEditProperties::SetMaxValue(double Value)
{
    maxValue_ = Value;
    TextValues().MaxValue = true;
    Changed();
}

bool TcxCustomTextEditProperties::IsValidChar(wchar_t AChar) const
{
    return TcxCustomEditProperties::IsValidChar(AChar) || (AChar < 256 && validChars_[AChar]);
}

std::wstring TcxCustomTextEditProperties::DefaultErrorText(int AKind) const
{
    if (AKind == 1)
        return L"Value out of bounds";
    return TcxCustomEditProperties::DefaultErrorText(AKind);
}

void TcxCustomTextEditProperties::DoValidate(TcxEditValue& ADisplayValue, std::wstring& AErrorText, bool& AError,
                                             TcxCustomEdit*)
{
    // The range check of a numeric edit: only when a bound is assigned.
    const TcxTextEditPropertiesValues& values = TextValues();
    if (!values.MinValue && !values.MaxValue)
        return;
    const std::wstring text = ADisplayValue.ToString();
    wchar_t* end = nullptr;
    const double v = std::wcstod(text.c_str(), &end);
    if (text.empty() || (end && *end))
        return;
    if ((values.MinValue && v < minValue_) || (values.MaxValue && v > maxValue_)) {
        AError = true;
        AErrorText = DefaultErrorText(1);
    }
}

void TcxCustomTextEditProperties::DoAssign(const TcxCustomEditProperties& ASource)
{
    auto s = dynamic_cast<const TcxCustomTextEditProperties*>(&ASource);
    if (!s)
        return;
    SetCharCase(s->charCase_);
    SetEchoMode(s->echoMode_);
    SetHideSelection(s->hideSelection_);
    if (s->TextValues().MaxLength)
        SetMaxLength(s->maxLength_);
    else
        TextValues().MaxLength = false;
    SetValidChars(s->validChars_);
    TextValues().DisplayFormat = s->TextValues().DisplayFormat;
    TextValues().MinValue = s->TextValues().MinValue;
    TextValues().MaxValue = s->TextValues().MaxValue;
    minValue_ = s->minValue_;
    maxValue_ = s->maxValue_;
    SetOEMConvert(s->oemConvert_);
    // The list is copied unsorted, then takes the source's sorting.
    lookupItemsSorted_ = false;
    lookupItems_.Assign(&s->lookupItems_);
    SetLookupItemsSorted(s->lookupItemsSorted_);
    OnNewLookupDisplayText = s->OnNewLookupDisplayText;
}

std::unique_ptr<TcxCustomEditViewData> TcxCustomTextEditProperties::CreateViewData(TcxCustomEditStyle* AStyle)
{
    return std::make_unique<TcxCustomTextEditViewData>(this, AStyle);
}

std::unique_ptr<TcxCustomEditViewInfo> TcxCustomTextEditProperties::CreateViewInfo()
{
    return std::make_unique<TcxCustomTextEditViewInfo>();
}

TcxCustomEdit* TcxCustomTextEditProperties::CreateEdit(TComponent* AOwner) { return new TcxTextEdit(AOwner); }

bool TcxCustomTextEditProperties::HasLookupItem(const std::wstring& AText) const
{
    for (const std::wstring& item : lookupItems_.Items())
        if (SameTextIgnoringCase(item, AText))
            return true;
    return false;
}

void TcxCustomTextEditProperties::SetImmediateUpdateText(bool Value)
{
    if (Value == immediateUpdateText_)
        return;
    immediateUpdateText_ = Value;
    Changed();
}

bool TcxCustomTextEditViewData::IsListStyle() const
{
    auto p = dynamic_cast<TcxCustomTextEditProperties*>(Properties);
    return p && (p->EditingStyle() == esFixedList || p->EditingStyle() == esNoEdit);
}

// ---------------------------------------------------------------------------
// View info

void TcxCustomTextEditViewInfo::Assign(const TcxContainerViewInfo& ASource)
{
    TcxCustomEditViewInfo::Assign(ASource);
    if (auto s = dynamic_cast<const TcxCustomTextEditViewInfo*>(&ASource)) {
        Text = s->Text;
        DrawText = s->DrawText;
        SelStart = s->SelStart;
        SelLength = s->SelLength;
        Alignment = s->Alignment;
        VertAlignment = s->VertAlignment;
    }
}

bool TcxCustomTextEditViewInfo::IsEqual(const TcxContainerViewInfo& AOther) const
{
    auto o = dynamic_cast<const TcxCustomTextEditViewInfo*>(&AOther);
    return o && TcxCustomEditViewInfo::IsEqual(AOther) && DrawText == o->DrawText
        && (!DrawText || (Text == o->Text && SelStart == o->SelStart && SelLength == o->SelLength));
}

void TcxCustomTextEditViewInfo::PaintContent(TcxCanvas& ACanvas)
{
    if (!DrawText || Text.empty() || IsRectEmptyR(TextRect))
        return;
    if (Font)
        ACanvas.Font().Assign(*Font);
    ACanvas.Font().SetColor(ContainerState.Contains(csDisabled) ? clGrayText : TextColor);
    // A solid brush would make the canvas write the text on an opaque background of its colour.
    ACanvas.Brush().SetStyle(TBrushStyle::bsClear);
    const TcxAlignmentVert vert = VertAlignment == taTopJustify ? vaTop
        : VertAlignment == taBottomJustify                  ? vaBottom
                                                            : vaCenter;
    ACanvas.DrawCaption(Text, TextRect, cxAlignmentsToTextFlags(Alignment, vert) | tfSingleLine);
    PaintSelection(ACanvas, vert);
}

void TcxCustomTextEditViewInfo::PaintSelection(TcxCanvas& ACanvas, TcxAlignmentVert AVert)
{
    const int length = static_cast<int>(Text.size());
    const int start = std::clamp(SelStart, 0, length);
    const int count = std::clamp(SelLength, 0, length - start);
    if (count == 0 || ContainerState.Contains(csDisabled))
        return;
    // Where the single line starts, as the caption placed it.
    const int whole = ACanvas.TextWidth(Text);
    const int room = TextRect.right - TextRect.left;
    int x = TextRect.left;
    if (Alignment == taRightJustify)
        x = TextRect.right - whole;
    else if (Alignment == taCenter)
        x = TextRect.left + (room - whole) / 2;
    const int lineHeight = ACanvas.TextHeight(L"Wg");
    int y = TextRect.top;
    if (AVert == vaBottom)
        y = TextRect.bottom - lineHeight;
    else if (AVert == vaCenter)
        y = TextRect.top + (TextRect.bottom - TextRect.top - lineHeight) / 2;
    const std::wstring selected = Text.substr(static_cast<size_t>(start), static_cast<size_t>(count));
    RECT r{x + ACanvas.TextWidth(Text.substr(0, static_cast<size_t>(start))), y, 0, y + lineHeight};
    r.right = r.left + ACanvas.TextWidth(selected);
    IntersectRect(&r, &r, &TextRect);
    if (IsRectEmptyR(r))
        return;
    ACanvas.FillRect(r, clHighlight);
    ACanvas.Font().SetColor(clHighlightText);
    ACanvas.DrawCaption(selected, RECT{r.left, TextRect.top, TextRect.right, TextRect.bottom},
                        cxAlignmentsToTextFlags(taLeftJustify, AVert) | tfSingleLine);
}

// ---------------------------------------------------------------------------
// Inner edit

template <class TBase>
TcxInnerTextEditBase<TBase>::TcxInnerTextEditBase(TComponent* AOwner) : TBase(AOwner)
{
    this->SetTabStop(false);
    this->SetControlStyle(this->ControlStyle() | csDoubleClicks);
    this->SetParentFont(false);
    this->SetBorderStyle(TBorderStyle::bsNone);
    this->SetAlignment(taLeftJustify);
}

template <class TBase>
void TcxInnerTextEditBase<TBase>::CreateParams(TCreateParams& Params)
{
    TBase::CreateParams(Params);
    Params.Style &= ~static_cast<DWORD>(WS_BORDER | WS_CAPTION | WS_THICKFRAME);
    Params.Style |= ES_AUTOHSCROLL;
    Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
}

template <class TBase>
void TcxInnerTextEditBase<TBase>::CreateHandle()
{
    TBase::CreateHandle();
    SetMargins();
}

template <class TBase>
void TcxInnerTextEditBase<TBase>::SetMargins()
{
    if (this->HandleAllocated())
        SendMessageW(this->Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(0, 1));
}

template <class TBase>
void TcxInnerTextEditBase<TBase>::WndProc(TMessage& Message)
{
    TBase::WndProc(Message);
    // The window puts its margins back when it is resized.
    if (Message.Msg == WM_SIZE)
        SetMargins();
}

template class TcxInnerTextEditBase<TCustomEdit>;
template class TcxInnerTextEditBase<TMemo>;

// ---------------------------------------------------------------------------
// Text edit

TcxCustomTextEdit::TcxCustomTextEdit(TComponent* AOwner) : TcxCustomEdit(AOwner)
{
    SetParentColor(false);
    SetBounds(Left(), Top(), 121, 21);
}

std::unique_ptr<TcxCustomEditProperties> TcxCustomTextEdit::CreateProperties()
{
    return std::make_unique<TcxTextEditProperties>(this);
}

TWinControl* TcxCustomTextEdit::CreateInnerEdit()
{
    auto inner = new TcxCustomInnerTextEdit(this);
    inner->SetColor(clWindow);
    return inner;
}

bool TcxCustomTextEdit::CanEditValue()
{
    IcxCustomInnerEdit* inner = InnerEdit();
    return !inner || !inner->GetReadOnly();
}

bool TcxCustomTextEdit::IsEditValueChangingKey(WORD AKey, TShiftState AShift)
{
    // Delete, and Insert with Shift (paste), change the text; so do Ctrl+X and Ctrl+V.
    if (AKey == VK_DELETE || (AKey == VK_INSERT && (AShift & ssShift)))
        return true;
    if ((AShift & ssCtrl) && (AKey == 'X' || AKey == 'V' || AKey == 'Z'))
        return true;
    // Alt+Backspace is the window's undo.
    if ((AShift & ssAlt) && AKey == VK_BACK)
        return true;
    return false;
}

bool TcxCustomTextEdit::IsValueChangingChar(wchar_t AChar)
{
    // Besides printable characters: Backspace, the window's own Ctrl+V, Ctrl+X and
    // Ctrl+Z (paste, cut, undo), and a tab where it is typed.
    switch (AChar) {
    case kBackspaceChar:
    case kPasteChar:
    case kCutChar:
    case kUndoChar:
        return true;
    case kTabChar:
        return ActiveProperties().WantTabs();
    default:
        return TcxCustomEdit::IsValueChangingChar(AChar);
    }
}

bool TcxCustomTextEdit::CanUserChangeText() { return DataBinding().IsInEditMode() || RequestEditing(); }

std::wstring TcxCustomTextEdit::ApplyCharCase(const std::wstring& AText) const
{
    std::wstring text = AText;
    TEditCharCase c = const_cast<TcxCustomTextEdit*>(this)->ActiveProperties().CharCase();
    if (c == ecUpperCase)
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    else if (c == ecLowerCase)
        CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring TcxCustomTextEdit::GetDisplayText()
{
    IcxCustomInnerEdit* inner = InnerEdit();
    return inner ? inner->GetEditValue().ToString() : std::wstring();
}

std::wstring TcxCustomTextEdit::Text() const { return const_cast<TcxCustomTextEdit*>(this)->GetDisplayText(); }

void TcxCustomTextEdit::SetText(const std::wstring& Value)
{
    if (HandleAllocated())
        SendMessageW(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
    else
        SetDisplayText(Value);
}

void TcxCustomTextEdit::SetEditValue(const TcxEditValue& Value) { TcxCustomEdit::SetEditValue(Value); }

void TcxCustomTextEdit::RefreshDisplay()
{
    IcxCustomInnerEdit* inner = InnerEdit();
    if (!inner)
        return;
    const TcxEditValue& value = EditValue();
    std::wstring text = ActiveProperties().PrepareDisplayValue(value).ToString();
    {
        // Showing the value is no change of the user's.
        TModifiedFlagsKept kept(*this);
        TScopedValue<bool> showing(displaySync_, true);
        // The window shows the text in its letter case: that is no difference.
        if (inner->GetEditValue().ToString() != ApplyCharCase(text))
            inner->SetEditValue(TcxEditValue(text));
    }
    Recalculate();
}

bool TcxCustomTextEdit::SetDisplayText(const std::wstring& AText)
{
    EnsureCreated();
    const std::wstring text = ApplyCharCase(AText);
    if (!ActiveProperties().IsDisplayTextValid(text))
        return false;
    if (userChanging_ && !RequestEditing())
        return false;
    DisplayValueToEditValue(TcxEditValue(text));
    return true;
}

void TcxCustomTextEdit::DisplayValueToEditValue(const TcxEditValue& ADisplayValue)
{
    IcxCustomInnerEdit* inner = InnerEdit();
    const std::wstring text = ADisplayValue.ToString();
    if (inner && inner->GetEditValue().ToString() != text) {
        TScopedValue<bool> syncing(syncingValue_, true);
        inner->SetEditValue(TcxEditValue(text));
    }
    // The text becomes the value; OnEditValueChanged (not OnChange) tells of a difference.
    SetEditValue(TcxEditValue(text));
    SetModifiedAfterEnter(false);
}

void TcxCustomTextEdit::InnerEditChanged()
{
    if (IsInitializing() || IsDestroying())
        return;
    if (applyingProperties_) {
        // The window took a new setting (a letter case, a window made again): the
        // value has not changed.
        Recalculate();
        return;
    }
    WithChangeEventsLocked([this] {
        if (!displaySync_ && !syncingValue_) {
            // The user is at the edit (it has the focus, or its popup is open): the
            // text changed is theirs.
            if (DrawAsFocused()) {
                SetUserModified(true);
            } else if (!UserModified()) {
                // Text put into the inner window by code (a memo's lines) is the value.
                TScopedValue<bool> syncing(syncingValue_, true);
                SetEditValue(TcxEditValue(GetDisplayText()));
            }
        }
        DoChange();
        // The current item follows the text: always while the list is shown, and in the
        // fixed styles also while it is not.
        if (lookupData_ || ActiveProperties().LookupItems().Count() > 0) {
            const TcxEditEditingStyle style = ActiveProperties().EditingStyle();
            if ((lookupData_ && lookupData_->IsListShown()) || style == esEditList || style == esFixedList || style == esNoEdit)
                LookupData().FollowText();
        }
        Recalculate();
    });
}

void TcxCustomTextEdit::SelectAll()
{
    if (IcxInnerTextEdit* inner = InnerTextEdit())
        inner->GetEditControl()->SelectAll();
    SelfPaintedTextChanged();
}

int TcxCustomTextEdit::SelStart() { return InnerTextEdit()->GetEditControl()->SelStart(); }

int TcxCustomTextEdit::SelLength() { return InnerTextEdit()->GetEditControl()->SelLength(); }

std::wstring TcxCustomTextEdit::SelText() { return InnerTextEdit()->GetEditControl()->SelText(); }

void TcxCustomTextEdit::SetSelStart(int Value)
{
    if (ActiveProperties().EditingStyle() != esNoEdit)
        InnerTextEdit()->GetEditControl()->SetSelStart(Value);
    SelfPaintedTextChanged();
}

void TcxCustomTextEdit::SetSelLength(int Value)
{
    if (ActiveProperties().EditingStyle() != esNoEdit)
        InnerTextEdit()->GetEditControl()->SetSelLength(Value);
    SelfPaintedTextChanged();
}

void TcxCustomTextEdit::SetSelText(const std::wstring& Value)
{
    if (ActiveProperties().EditingStyle() == esNoEdit)
        return;
    TCustomEdit* e = InnerTextEdit()->GetEditControl();
    const std::wstring text = GetDisplayText();
    const int start = e->SelStart();
    const int length = e->SelLength();
    SetDisplayText(text.substr(0, static_cast<size_t>(start)) + Value + text.substr(static_cast<size_t>(start + length)));
    e->SetSelStart(start + static_cast<int>(Value.size()));
}

void TcxCustomTextEdit::CopyToClipboard()
{
    TcxEditEditingStyle style = ActiveProperties().EditingStyle();
    if (style == esFixedList || style == esNoEdit)
        SelectAll();
    const std::wstring sel = SelText();
    if (!sel.empty())
        PutTextOnClipboard(Handle(), sel);
}

void TcxCustomTextEdit::CutToClipboard()
{
    // A read-only edit is cut from by copying.
    if (ActiveProperties().ReadOnly()) {
        CopyToClipboard();
        return;
    }
    TcxEditEditingStyle style = ActiveProperties().EditingStyle();
    if (userChanging_ && style == esNoEdit)
        return;
    if (style == esFixedList || style == esNoEdit)
        SelectAll();
    TCustomEdit* e = InnerTextEdit()->GetEditControl();
    const int start = e->SelStart(), length = e->SelLength();
    if (length == 0)
        return;
    const std::wstring text = GetDisplayText();
    PutTextOnClipboard(Handle(), text.substr(static_cast<size_t>(start), static_cast<size_t>(length)));
    if (SetDisplayText(text.substr(0, static_cast<size_t>(start)) + text.substr(static_cast<size_t>(start + length))))
        e->SetSelStart(start);
}

std::wstring TcxCustomTextEdit::PreparePastedText(const std::wstring& AText, int AKeptLength)
{
    // One line: the text up to its first line break, as the system's single-line edit takes it.
    std::wstring text = AText.substr(0, AText.find_first_of(L"\r\n"));
    return FitMaxLength(text, AKeptLength);
}

std::wstring TcxCustomTextEdit::FitMaxLength(const std::wstring& AText, int AKeptLength)
{
    const int limit = ActiveProperties().MaxLength();
    if (limit <= 0)
        return AText;
    const int room = std::max(0, limit - AKeptLength);
    return AText.substr(0, static_cast<size_t>(room));
}

void TcxCustomTextEdit::PasteFromClipboard()
{
    if (ActiveProperties().ReadOnly())
        return;
    std::wstring pasted;
    if (!GetTextFromClipboard(Handle(), pasted))
        return;
    TCustomEdit* e = InnerTextEdit()->GetEditControl();
    const int start = e->SelStart(), length = e->SelLength();
    const std::wstring text = GetDisplayText();
    pasted = PreparePastedText(pasted, static_cast<int>(text.size()) - length);
    if (pasted.empty() && length == 0)
        return;
    if (SetDisplayText(text.substr(0, static_cast<size_t>(start)) + pasted
                       + text.substr(static_cast<size_t>(start + length))))
        e->SetSelStart(start + static_cast<int>(pasted.size()));
}

void TcxCustomTextEdit::ClearSelection()
{
    if (ActiveProperties().ReadOnly())
        return;
    TCustomEdit* e = InnerTextEdit()->GetEditControl();
    const int start = e->SelStart(), length = e->SelLength();
    if (length == 0)
        return;
    const std::wstring text = GetDisplayText();
    if (SetDisplayText(text.substr(0, static_cast<size_t>(start)) + text.substr(static_cast<size_t>(start + length))))
        e->SetSelStart(start);
}

bool TcxCustomTextEdit::InnerKeyDown(WORD& Key, TShiftState Shift) { return DoKeyDown(Key, Shift); }

void TcxCustomTextEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    const bool enter = Key == VK_RETURN;
    if (enter)
        lookupFound_ = lookupData_ && lookupData_->ContainsText(GetDisplayText());
    TcxCustomEdit::KeyDown(Key, Shift);
    if (Key != 0)
        LookupKeyDown(Key, Shift);
    if (enter && LookupFoundOnEnter())
        SelectAll();
}

void TcxCustomTextEdit::KeyPress(wchar_t& Key)
{
    TcxCustomEdit::KeyPress(Key);
    if (Key != 0)
        LookupKeyPress(Key);
}

void TcxCustomTextEdit::PropertiesChanged(TcxCustomEditProperties* Sender)
{
    IcxInnerTextEdit* inner = InnerTextEdit();
    if (inner && !IsInitializing()) {
        TcxCustomTextEditProperties& p = ActiveProperties();
        TCustomEdit* e = inner->GetEditControl();
        // The window's text events of these settings are not the user's typing.
        TScopedValue<bool> applying(applyingProperties_, true);
        e->SetAlignment(p.Alignment().Horz());
        e->SetAutoSelect(p.AutoSelect());
        e->SetCharCase(p.CharCase());
        e->SetPasswordChar(p.EchoMode() == eemPassword ? L'*' : 0);
        e->SetHideSelection(p.HideSelection());
        e->SetMaxLength(p.MaxLength());
        e->SetOEMConvert(p.OEMConvert());
        e->SetReadOnly(p.ReadOnly());
        // What the user typed and has not had validated stays on screen.
        if (!IsPosting() && !UserModified())
            RefreshDisplay();
    }
    if (lookupData_)
        lookupData_->ItemsChanged();
    TcxCustomEdit::PropertiesChanged(Sender);
}

bool TcxCustomTextEdit::IsInnerEditVisible()
{
    TcxCustomTextEditProperties& p = ActiveProperties();
    if (p.EditingStyle() == esFixedList || p.EditingStyle() == esNoEdit)
        return false;
    if (p.Alignment().Horz() == taLeftJustify)
        return true;
    return p.UseLeftAlignmentOnEditing() && DrawAsFocused();
}

void TcxCustomTextEdit::CalculateViewInfo(POINT P, bool AIsMouseOver)
{
    TcxCustomEdit::CalculateViewInfo(P, AIsMouseOver);
    TcxCustomTextEditViewInfo& vi = ViewInfo();
    const bool visible = IsInnerEditVisible();
    vi.DrawText = !visible;
    vi.Text = visible ? std::wstring() : GetDisplayText();
    if (ActiveProperties().EchoMode() == eemPassword)
        vi.Text.assign(vi.Text.size(), L'*');
    vi.SelStart = vi.SelLength = 0;
    // The search selection of a list is shown while the edit has the focus.
    if (!visible && findSelection_ && DrawAsFocused())
        if (IcxInnerTextEdit* inner = InnerTextEdit(); inner && inner->GetEditControl()->HandleAllocated()) {
            vi.SelStart = inner->GetEditControl()->SelStart();
            vi.SelLength = inner->GetEditControl()->SelLength();
        }
    vi.Alignment = ActiveProperties().Alignment().Horz();
    vi.VertAlignment = ActiveProperties().Alignment().Vert();
    if (TWinControl* inner = InnerControl(); inner && inner->Visible() != visible)
        inner->SetVisible(visible);
}

void TcxCustomTextEdit::SelfPaintedTextChanged()
{
    if (HandleAllocated() && !IsInnerEditVisible())
        Recalculate();
}

void TcxCustomTextEdit::ViewInfoChanged(const TcxContainerViewInfo& APrevious)
{
    TcxCustomEdit::ViewInfoChanged(APrevious);
    // The text the edit paints itself (a fixed list, an unfocused aligned edit) is
    // part of the view: a new text or selection repaints the text area.
    auto prev = dynamic_cast<const TcxCustomTextEditViewInfo*>(&APrevious);
    const TcxCustomTextEditViewInfo& vi = ViewInfo();
    if (!prev || prev->DrawText != vi.DrawText
        || (vi.DrawText && (prev->Text != vi.Text || prev->SelStart != vi.SelStart || prev->SelLength != vi.SelLength)))
        InvalidateRect(vi.ContentRect);
}

void TcxCustomTextEdit::FocusChanged()
{
    TcxCustomEdit::FocusChanged();
    // The alignment rule may show or hide the inner window now.
    if (TWinControl* inner = InnerControl(); inner && inner->Visible() != IsInnerEditVisible())
        Recalculate();
}

void TcxCustomTextEdit::PlaceInnerEdit()
{
    TWinControl* inner = InnerControl();
    if (!inner || placing_)
        return;
    TScopedValue<bool> placing(placing_, true);
    TcxCustomTextEditViewInfo& vi = ViewInfo();
    const RECT c = vi.ContentRect;
    auto data = ActiveProperties().CreateViewData(&Style());
    data->Dpi = CurrentDpi();
    const RECT border = data->GetBorderExtent();
    const int h = data->GetEditSize(Width()).cy - border.top - border.bottom;
    int top = c.top + 1;
    switch (ActiveProperties().Alignment().Vert()) {
    case taBottomJustify:
        top = c.bottom - h + 1;
        break;
    case taVCenter:
        top = c.top + (c.bottom - c.top - h) / 2 + 1;
        break;
    default:
        break;
    }
    // Kept inside the content rectangle: a line and its margins are one pixel taller
    // than what the top offset leaves, and the window would cover the bottom border.
    const int bottom = std::min(top + std::max(0, h), static_cast<int>(c.bottom));
    const RECT r = Bounds(c.left + 1, top, std::max(0, static_cast<int>(c.right - c.left - 1)), std::max(0, bottom - top));
    if (!(inner->BoundsRect() == r))
        inner->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    inner->SetColor(vi.BackgroundColor);
    inner->Font().Assign(Style().Font());
}

void TcxCustomTextEdit::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETTEXTLENGTH:
        Message.Result = static_cast<LRESULT>(GetDisplayText().size());
        return;
    case WM_GETTEXT: {
        const std::wstring text = GetDisplayText();
        auto size = static_cast<size_t>(Message.WParam);
        auto buffer = reinterpret_cast<wchar_t*>(Message.LParam);
        if (size < 1 || !buffer) {
            Message.Result = 0;
            return;
        }
        const size_t n = std::min(text.size(), size - 1);
        std::wmemcpy(buffer, text.c_str(), n);
        buffer[n] = 0;
        Message.Result = static_cast<LRESULT>(n);
        return;
    }
    case WM_SETTEXT: {
        if (settingText_)
            break;
        auto text = reinterpret_cast<const wchar_t*>(Message.LParam);
        const bool accepted = SetDisplayText(text ? text : L"");
        if (accepted) {
            // The window's own caption follows, without coming back here.
            TScopedValue<bool> settingText(settingText_, true);
            DefaultHandler(Message);
        }
        Message.Result = accepted ? 1 : 0;
        return;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // A list whose inner window is hidden takes the keys on its own window.
        TcxCustomEdit::WndProc(Message);
        SelfPaintedTextChanged();
        return;
    default:
        break;
    }
    TcxCustomEdit::WndProc(Message);
}

// ---------------------------------------------------------------------------
// The inner window's messages. Derived edits add theirs in front (the drop-down
// edit: the press that closes its popup, the Alt release, the character of a key
// that closed it; the combo box: the wheel and the double click) and pass the rest
// on to here.

bool TcxCustomTextEdit::InnerMessage(TMessage& Message, TMessagePhase Phase)
{
    if (Phase == TMessagePhase::mpAfter) {
        if (Message.Msg == WM_GETDLGCODE)
            Message.Result = InnerDialogCode(Message.Result, reinterpret_cast<const MSG*>(Message.LParam));
        return TcxCustomEdit::InnerMessage(Message, Phase);
    }
    TWinControl* inner = InnerControl();
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        // The edit's key events first (the form's key preview, KeyDown and the lookup).
        WORD key = static_cast<WORD>(Message.WParam);
        // Tab is the dialog's or the edit's, never the window's; nor Escape: a
        // multi-line window answers it by closing its parent (the edit).
        if (!DoKeyDown(key, KeyDataToShiftState(Message.LParam)) && key != 0 && key != VK_TAB && key != VK_ESCAPE) {
            Message.WParam = key;
            // The window's own handling, without the framework's key events a second time.
            inner->DefaultHandler(Message);
        }
        break;
    }
    case WM_CHAR: {
        wchar_t ch = static_cast<wchar_t>(Message.WParam);
        // An unwanted tab is not typed; BeepOnEnter off drops the Enter character (the
        // window would beep).
        if ((ch == kTabChar && !ActiveProperties().WantTabs()) || (ch == kEnterChar && !BeepOnEnter()))
            break;
        bool used;
        {
            // A character typed is a change of the user's.
            auto byUser = UserChange();
            used = DoKeyPress(ch) || ch == 0;
        }
        if (used)
            break;
        if (ch == kTabChar) {
            // A wanted tab is typed here: some edit windows drop it when a dialog
            // manager is about.
            SendMessageW(inner->Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
            break;
        }
        Message.WParam = ch;
        inner->DefaultHandler(Message);
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = static_cast<WORD>(Message.WParam);
        if (key == VK_TAB && !ActiveProperties().WantTabs())
            break;
        KeyUp(key, KeyDataToShiftState(Message.LParam));
        if (key != 0) {
            Message.WParam = key;
            inner->DefaultHandler(Message);
        }
        break;
    }
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
        // The window's own menu and keys: the edit's clipboard operations decide.
        Message.Result = SendMessageW(Handle(), Message.Msg, 0, 0);
        return true;
    case WM_UNDO:
    case EM_UNDO:
        // The window's undo (its menu, Ctrl+Z) changes the text like typing does.
        if (!CanUserChangeText()) {
            Message.Result = 0;
            return true;
        }
        return TcxCustomEdit::InnerMessage(Message, Phase);
    default:
        return TcxCustomEdit::InnerMessage(Message, Phase);
    }
    // A key: it may have changed the text or the selection an edit paints itself.
    SelfPaintedTextChanged();
    return true;
}

LRESULT TcxCustomTextEdit::InnerDialogCode(LRESULT ADefault, const MSG* AMessage)
{
    LRESULT code = ADefault | DLGC_WANTCHARS;
    // Ctrl+Tab always moves on; a plain Tab is the edit's (WantTabs decides what it does).
    if (!IsKeyDown(VK_CONTROL))
        code |= DLGC_WANTTAB;
    // Enter and Escape go to the dialog unless the edit gives them a meaning now:
    // Enter validates when asked to, Escape restores a changed value.
    if (AMessage && (AMessage->message == WM_KEYDOWN || AMessage->message == WM_SYSKEYDOWN)) {
        const WORD key = static_cast<WORD>(AMessage->wParam);
        if (WantsDialogKey(key, KeyDataToShiftState(AMessage->lParam)))
            code |= DLGC_WANTMESSAGE;
        else if (key == VK_ESCAPE)
            // A multi-line window asks for every key; Escape that restores nothing is
            // the form's (its Cancel button).
            code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
    }
    return code;
}

// ---------------------------------------------------------------------------
// The text edit's item paths: its lookup data, the item index, the keys and
// characters that move through the items

std::unique_ptr<TcxCustomTextEditLookupData> TcxCustomTextEdit::CreateLookupData()
{
    return std::make_unique<TcxCustomTextEditLookupData>(this);
}

TcxCustomTextEditLookupData& TcxCustomTextEdit::LookupData()
{
    if (!lookupData_) {
        lookupData_ = CreateLookupData();
        lookupData_->OnSelectItem = [this] { return LookupSelectItem(); };
    }
    return *lookupData_;
}

bool TcxCustomTextEdit::CanNavigateItems() { return !IsDesigning(); }

bool TcxCustomTextEdit::LookupSelectItem()
{
    const std::wstring text = lookupData_->ItemText(lookupData_->CurrentKey());
    if (EditValue() == TcxEditValue(text) && GetDisplayText() == text)
        return true;
    if (EditValue() != TcxEditValue(text) && !programChoice_) {
        // Only an edit that may be modified takes another value from the list.
        if (ActiveProperties().ReadOnly())
            return false;
        bool can = true;
        if (OnEditing)
            OnEditing(this, can);
        if (!can)
            return false;
    }
    WithChangeEventsLocked([&] {
        DisplayValueToEditValue(TcxEditValue(text));
        SetModifiedAfterEnter(true);
    });
    return true;
}

void TcxCustomTextEdit::SetItemIndex(int Value)
{
    TcxCustomTextEditLookupData& lookup = LookupData();
    if (Value < -1 || Value >= lookup.Count())
        return;
    const int old = lookup.CurrentKey();
    {
        // Click is raised below, once, for the program's choice; the program may choose
        // an item the user may not (a read-only edit shows it).
        auto lock = ClickLock();
        TScopedValue<bool> byProgram(programChoice_, true);
        lookup.SetCurrentItem(Value);
    }
    if (lookup.CurrentKey() != old) {
        SetModifiedAfterEnter(false);
        if (clickLock_ == 0)
            Click();
    }
}

void TcxCustomTextEdit::LookupKeyChanged(int AOldKey, bool AFound)
{
    if (!lookupData_ || lookupData_->CurrentKey() == AOldKey)
        return;
    if (clickLock_ == 0)
        Click();
    if (AFound && ActiveProperties().ImmediatePost()) {
        const bool search = findSelection_;
        PostEditValue(true);
        findSelection_ = search;
    }
}

bool TcxCustomTextEdit::LookupFoundOnEnter() { return lookupFound_; }

// The navigation keys of an edit with items. Up, Down, PgUp and PgDn (Ctrl: the first
// and last item) move through the items; Home and End too in the fixed styles, where
// the text is never edited, while in the free styles they move the caret. Left and
// Right end the search; Delete changes no text in the list styles.
bool TcxCustomTextEdit::LookupKeyDown(WORD& Key, TShiftState Shift)
{
    // Nothing to move through, or not now (designing).
    if (ActiveProperties().LookupItems().Count() == 0 || !CanNavigateItems())
        return false;
    TcxCustomTextEditLookupData& lookup = LookupData();
    const TcxEditEditingStyle style = ActiveProperties().EditingStyle();
    const bool fixedList = style == esFixedList || style == esNoEdit;
    TcxEditLookupDataGoDirection direction;
    switch (Key) {
    case VK_UP:
        direction = egdPrev;
        break;
    case VK_DOWN:
        direction = egdNext;
        break;
    case VK_PRIOR:
        direction = (Shift & ssCtrl) ? egdBegin : egdPageUp;
        break;
    case VK_NEXT:
        direction = (Shift & ssCtrl) ? egdEnd : egdPageDown;
        break;
    case VK_HOME:
    case VK_END:
        if (!fixedList) {
            // The caret leaves the search's selection behind.
            if (Key == VK_END && SelLength() == 0)
                findSelection_ = false;
            return false;
        }
        direction = Key == VK_HOME ? egdBegin : egdEnd;
        break;
    case VK_LEFT:
    case VK_RIGHT:
        findSelection_ = false;
        if (fixedList) {
            // The search's selection goes with it, on the screen and in the search.
            SetSelLength(0);
            if (OnInternalKey)
                OnInternalKey(this, Key, Shift);
            Key = 0;
            return true;
        }
        // A selection collapses to the side the arrow points to, as in the system's edit.
        if (!(Shift & ssShift) && SelLength() > 0) {
            const int start = SelStart(), end = start + SelLength();
            SetSelLength(0);
            SetSelStart(Key == VK_LEFT ? start : end);
            Key = 0;
            return true;
        }
        return false;
    case VK_DELETE:
        findSelection_ = false;
        if (fixedList)
            SetSelLength(0);
        if (fixedList || style == esEditList) {
            if (OnInternalKey)
                OnInternalKey(this, Key, Shift);
            Key = 0;
            return true;
        }
        return false;
    default:
        return false;
    }
    const int old = lookup.CurrentKey();
    lookup.StepItem(direction, false);
    LookupKeyChanged(old);
    // A step that changed the text selects it whole in a fixed list (the next
    // character starts a new search); over the open list only the highlight moved.
    if (!lookup.IsListShown() || ActiveProperties().ImmediateUpdateText())
        findSelection_ = fixedList;
    Key = 0;
    return true;
}

// The incremental search. A character extends what was typed and the first item that
// begins with it is shown, its untyped rest selected. In a fixed list the text is only
// ever an item (a character that finds none is dropped); in the edit-list style a
// character that finds none is dropped too, in the free style it is typed. Backspace
// takes a typed character back.
bool TcxCustomTextEdit::LookupKeyPress(wchar_t& Key)
{
    if (ActiveProperties().LookupItems().Count() == 0 || !CanNavigateItems())
        return false;
    TcxCustomTextEditLookupData& lookup = LookupData();
    const TcxEditEditingStyle style = ActiveProperties().EditingStyle();
    const bool fixedList = style == esFixedList || style == esNoEdit;
    const std::wstring text = GetDisplayText();
    const int selStart = SelStart(), selLength = SelLength();
    const int old = lookup.CurrentKey();
    // Shows a found item: the typed part plain, the rest selected; the change is the user's.
    auto show = [&](const std::wstring& typed, const std::wstring& tail) {
        WithChangeEventsLocked([&] {
            auto byUser = UserChange();
            SetDisplayText(typed + tail);
        });
        SetSelStart(static_cast<int>(typed.size()));
        SetSelLength(static_cast<int>(tail.size()));
        findSelection_ = true;
    };
    if (Key == kBackspaceChar) {
        if (fixedList) {
            if (findSelection_) {
                std::wstring s = text.substr(0, static_cast<size_t>(selStart));
                if (!s.empty())
                    s.pop_back();
                std::wstring tail;
                if (s.empty()) {
                    // Nothing typed is left: the search ends and the item stays, with
                    // nothing selected, so that the next character begins a new search.
                    findSelection_ = false;
                    SetSelLength(0);
                } else if (lookup.FindPrefix(s, tail, false)) {
                    show(s, tail);
                }
            }
            Key = 0;
            LookupKeyChanged(old);
            return true;
        }
        if (style == esEditList && !findSelection_ && !text.empty()) {
            // The first Backspace selects the rest and starts the search.
            SetSelLength(static_cast<int>(text.size()) - selStart);
            findSelection_ = true;
        }
        if (!findSelection_)
            return false;
        std::wstring s = text.substr(0, static_cast<size_t>(SelStart()));
        if (!s.empty())
            s.pop_back();
        std::wstring tail;
        if (s.empty()) {
            // An empty search finds nothing: no item is current, and the value is emptied.
            lookup.FindPrefix(s, tail, false);
            findSelection_ = false;
            SetDisplayText(L"");
        } else if (lookup.FindPrefix(s, tail, false)) {
            show(s, tail);
        }
        Key = 0;
        LookupKeyChanged(old);
        return true;
    }
    // Control characters are not searched for.
    if (Key < L' ')
        return false;
    // The free style searches only where typing appends to the text or replaces the
    // selection; the list styles always do.
    const bool search = style != esEdit || (selLength == 0 && selStart == static_cast<int>(text.size()))
        || findSelection_ || selLength > 0;
    if (!search)
        return false;
    // What is searched for: the typed part with the character, in place of the selection.
    std::wstring s;
    if (selLength > 0)
        s = text.substr(0, static_cast<size_t>(selStart)) + Key;
    else if (!fixedList)
        s = text.substr(0, static_cast<size_t>(selStart)) + Key + text.substr(static_cast<size_t>(selStart));
    else
        s = findSelection_ ? text + Key : std::wstring(1, Key);
    std::wstring tail;
    bool found = lookup.FindPrefix(s, tail, false);
    // Without a selection, a fixed list whose search continued the whole item starts
    // again from the character alone (with the tail selected, the character only
    // continues what was typed).
    if (!found && fixedList && findSelection_ && selLength == 0 && s.size() > 1) {
        s = std::wstring(1, Key);
        found = lookup.FindPrefix(s, tail, false);
    }
    if (found) {
        show(s, tail);
        Key = 0;
        LookupKeyChanged(old, true);
        return true;
    }
    // Not found: the free style types the character, the list styles drop it.
    if (style == esEdit) {
        findSelection_ = false;
        LookupKeyChanged(old, false);
        return false;
    }
    if (style == esEditList && !text.empty())
        findSelection_ = true;
    Key = 0;
    LookupKeyChanged(old, false);
    return true;
}

void TcxCustomTextEdit::DoExit()
{
    findSelection_ = false;
    TcxCustomEdit::DoExit();
}

// ---------------------------------------------------------------------------
// Item lookup: the list window and the lookup data behind a text edit with items

namespace {

// The height and widths of texts in a font, measured on the screen.
class TTextMeasure {
public:
    explicit TTextMeasure(const TFont& AFont)
    {
        canvas_.Font().Assign(AFont);
        old_ = SelectObject(canvas_.Handle(), canvas_.Font().Handle());
    }
    ~TTextMeasure() { SelectObject(canvas_.Handle(), old_); }
    TTextMeasure(const TTextMeasure&) = delete;
    TTextMeasure& operator=(const TTextMeasure&) = delete;
    SIZE Extent(const std::wstring& AText)
    {
        SIZE size{};
        GetTextExtentPoint32W(canvas_.Handle(), AText.c_str(), static_cast<int>(AText.size()), &size);
        return size;
    }

private:
    TScreenCanvas canvas_;
    HGDIOBJ old_;
};

} // namespace

TcxCustomEditListBox::TcxCustomEditListBox(TComponent* AOwner, TcxCustomTextEditLookupData* ALookupData)
    : TCustomListBox(AOwner), lookupData_(ALookupData), lookAndFeel_(std::make_unique<TcxLookAndFeel>(this))
{
    SetTabStop(false);
    SetParentFont(false);
    lookAndFeel_->OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues) { Invalidate(); };
}

void TcxCustomEditListBox::CreateParams(TCreateParams& Params)
{
    TCustomListBox::CreateParams(Params);
    Params.WinClassName = L"TcxEditListBox";
    Params.Style &= ~static_cast<DWORD>(WS_TABSTOP | WS_BORDER);
    Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
}

int TcxCustomEditListBox::RowHeight(int AIndex)
{
    int height = lookupData_ ? lookupData_->RowHeight(AIndex) : 16;
    DoMeasureItem(AIndex, height);
    return height;
}

void TcxCustomEditListBox::MeasureItem(int AIndex, int& AHeight) { AHeight = RowHeight(AIndex); }

void TcxCustomEditListBox::DoMeasureItem(int, int&) {}

void TcxCustomEditListBox::DrawItem(int AIndex, const RECT& ARect, TOwnerDrawState AState, HDC DC)
{
    if (!drawCanvas_)
        drawCanvas_ = std::make_unique<TControlCanvas>();
    drawCanvas_->SetControl(this);
    drawCanvas_->BindDC(DC);
    TBlockEnd release{[this] { drawCanvas_->FreeHandle(); }};
    TcxCanvas canvas(drawCanvas_.get());
    canvas.Font().Assign(Font());
    const bool selected = (AState & ODS_SELECTED) != 0;
    canvas.Brush().SetColor(selected ? clHighlight : Color());
    canvas.Font().SetColor(selected ? clHighlightText : Font().Color());
    DoDrawItem(canvas, AIndex, ARect, AState);
}

void TcxCustomEditListBox::DoDrawItem(TcxCanvas& ACanvas, int AIndex, const RECT& ARect, TOwnerDrawState)
{
    ACanvas.Canvas()->FillRect(ARect);
    if (!lookupData_)
        return;
    RECT r = ARect;
    r.left += 2;
    SetBkMode(ACanvas.Handle(), TRANSPARENT);
    ACanvas.DrawCaption(lookupData_->ItemText(AIndex), r, tfAlignLeft | tfAlignVCenter | tfSingleLine);
}

void TcxCustomEditListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomListBox::MouseMove(Shift, X, Y);
    if (HandleAllocated() && GetCapture() == Handle())
        return;
    if (mouseMoveLocked_) {
        mouseMoveLocked_ = false;
        return;
    }
    const int row = ItemAtPos(POINT{X, Y});
    if (row >= 0 && row != ItemIndex()) {
        SetItemIndex(row);
        if (OnSelectionChange)
            OnSelectionChange(this);
    }
}

void TcxCustomEditListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomListBox::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture();
    const int row = ItemAtPos(POINT{X, Y});
    if (row < 0)
        return;
    SetItemIndex(row);
    if (OnSelectionChange)
        OnSelectionChange(this);
    if (OnItemAccepted)
        OnItemAccepted(row);
}

void TcxCustomEditListBox::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_MOUSEWHEEL: {
        UINT lines = 3;
        if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
            lines = 3;
        // "One screen at a time" (WHEEL_PAGESCROLL) pages by the rows shown; no more
        // steps than there are rows are ever taken.
        const int shown = std::max(1, ClientHeight() / std::max(1, ItemHeight(TopIndex())));
        const int steps = lines == WHEEL_PAGESCROLL ? shown : static_cast<int>(std::min<UINT>(lines, std::max(0, Count())));
        const bool up = static_cast<short>(HIWORD(Message.WParam)) > 0;
        for (int i = 0; i < steps; ++i)
            SendMessageW(Handle(), WM_VSCROLL, up ? SB_LINEUP : SB_LINEDOWN, 0);
        Message.Result = 0;
        return;
    }
    case WM_SHOWWINDOW:
        TCustomListBox::WndProc(Message);
        if (Message.WParam) {
            // Painted as focused while the keyboard focus stays in the edit.
            TMessage focus{WM_SETFOCUS, 0, 0, 0};
            DefaultHandler(focus);
        }
        return;
    default:
        break;
    }
    TCustomListBox::WndProc(Message);
}

TcxCustomTextEditLookupData::TcxCustomTextEditLookupData(TcxCustomTextEdit* AOwner) : owner_(AOwner) {}

TcxCustomTextEditLookupData::~TcxCustomTextEditLookupData() { delete list_; }

TcxCustomEditListBox* TcxCustomTextEditLookupData::CreateListBox(TComponent* AOwner)
{
    return new TcxCustomEditListBox(AOwner, this);
}

TcxEditEditingStyle TcxCustomTextEditLookupData::Style() const { return owner_->ActiveProperties().EditingStyle(); }

int TcxCustomTextEditLookupData::Count() const { return owner_->ActiveProperties().LookupItems().Count(); }

std::wstring TcxCustomTextEditLookupData::ItemText(int AKey) const
{
    if (AKey < 0 || AKey >= Count())
        return L"";
    return owner_->ActiveProperties().LookupItems()[AKey];
}

bool TcxCustomTextEditLookupData::ContainsText(const std::wstring& AText) const
{
    return owner_->ActiveProperties().HasLookupItem(AText);
}

void TcxCustomTextEditLookupData::SetHighlight(int AIndex)
{
    listItemIndex_ = AIndex;
    if (!list_ || !list_->HandleAllocated() || list_->Count() == 0)
        return;
    if (AIndex < 0) {
        // Through row 0, so that the list scrolls to the top.
        list_->SetItemIndex(0);
        list_->SetItemIndex(-1);
    } else {
        list_->SetItemIndex(AIndex);
    }
}

void TcxCustomTextEditLookupData::Normalize()
{
    currentKey_ = InRange(currentKey_);
    listItemIndex_ = InRange(listItemIndex_);
}

void TcxCustomTextEditLookupData::ItemsChanged()
{
    const int highlight = listItemIndex_;
    Normalize();
    if (listItemIndex_ != highlight)
        SetHighlight(listItemIndex_);
}

void TcxCustomTextEditLookupData::SetCurrentItem(int AKey)
{
    Normalize();
    if (AKey < -1 || AKey >= Count())
        return;
    const int old = currentKey_;
    const bool changed = AKey != old;
    currentKey_ = AKey;
    SetHighlight(AKey);
    bool taken = true;
    {
        TScopedValue<bool> selecting(selecting_, true);
        if (changed || (AKey >= 0 && owner_->GetDisplayText() != ItemText(AKey)))
            if (OnSelectItem)
                taken = OnSelectItem();
    }
    if (!taken) {
        // The edit may not take the item: the text and the current item stay together.
        currentKey_ = old;
        SetHighlight(old);
        return;
    }
    if (changed && OnCurrentKeyChanged)
        OnCurrentKeyChanged();
}

void TcxCustomTextEditLookupData::AcceptHighlight()
{
    Normalize();
    if (listItemIndex_ == -1)
        return;
    const int old = currentKey_;
    SetCurrentItem(listItemIndex_);
    if (currentKey_ == old && OnSelectItem) {
        TScopedValue<bool> selecting(selecting_, true);
        OnSelectItem();
    }
}

void TcxCustomTextEditLookupData::ResetHighlight()
{
    Normalize();
    SetHighlight(currentKey_);
}

bool TcxCustomTextEditLookupData::FindPrefix(std::wstring& AText, std::wstring& ATail, bool ANext, bool AFromFollowText)
{
    Normalize();
    const int count = Count();
    if (count == 0)
        return false;
    const TStrings& items = owner_->ActiveProperties().LookupItems();
    if (!AText.empty()) {
        const std::wstring wanted = Upper(AText);
        for (int i = ANext ? listItemIndex_ + 1 : 0; i < count; ++i) {
            const std::wstring& item = items[i];
            if (item.size() < AText.size() || Upper(item.substr(0, AText.size())) != wanted)
                continue;
            AText = item.substr(0, AText.size());
            ATail = item.substr(AText.size());
            currentKey_ = i;
            SetHighlight(i);
            return true;
        }
    }
    bool clear = false;
    switch (Style()) {
    case esEdit:
        clear = true;
        break;
    case esFixedList:
    case esNoEdit:
        clear = AFromFollowText;
        break;
    case esEditList:
        clear = AFromFollowText || (AText.empty() && items.IndexOf(L"") < 0);
        break;
    }
    if (clear) {
        currentKey_ = -1;
        SetHighlight(-1);
    }
    return false;
}

void TcxCustomTextEditLookupData::FollowText()
{
    if (selecting_)
        return;
    Normalize();
    const std::wstring text = owner_->GetDisplayText();
    if (currentKey_ >= 0 && SameTextIgnoringCase(ItemText(currentKey_), text))
        return;
    const int old = currentKey_;
    std::wstring search = text, tail;
    FindPrefix(search, tail, false, true);
    if (currentKey_ != old) {
        if (OnCurrentKeyChanged)
            OnCurrentKeyChanged();
        owner_->LookupKeyChanged(old);
    }
}

void TcxCustomTextEditLookupData::StepItem(TcxEditLookupDataGoDirection ADirection, bool ACircular)
{
    const int n = Count();
    if (n == 0)
        return;
    Normalize();
    const int i = listItemIndex_ != -1 ? listItemIndex_ : currentKey_;
    const int rows = DropDownRows();
    int target = i;
    switch (ADirection) {
    case egdBegin:
        target = 0;
        break;
    case egdEnd:
        target = n - 1;
        break;
    case egdNext:
        target = i + 1 >= n ? (ACircular ? 0 : i) : i + 1;
        break;
    case egdPrev:
        target = i - 1 < 0 ? (ACircular ? n - 1 : i) : i - 1;
        break;
    case egdPageUp:
        if (i == -1)
            target = ACircular ? n - 1 : -1;
        else if (i == 0 && ACircular)
            target = n - 1;
        else
            target = std::max(0, i - rows + 1);
        break;
    case egdPageDown:
        if (i == -1) {
            target = std::min(rows - 1, n - 1);
        } else {
            target = i + rows - 1;
            if (target >= n)
                target = ACircular && i == n - 1 ? 0 : n - 1;
        }
        break;
    }
    if (IsListShown() && !owner_->ActiveProperties().ImmediateUpdateText()) {
        SetHighlight(target);
        if (list_)
            list_->LockMouseMove();
    } else {
        SetCurrentItem(target);
    }
}

int TcxCustomTextEditLookupData::TextRowHeight()
{
    // A list of thousands of rows asks for every row's height: the font is measured once.
    if (textRowHeight_ <= 0) {
        TTextMeasure measure(list_ ? list_->Font() : owner_->Style().Font());
        textRowHeight_ = measure.Extent(L"Wg").cy;
    }
    return textRowHeight_;
}

int TcxCustomTextEditLookupData::RowHeight(int) { return TextRowHeight(); }

TcxCustomEditListBox& TcxCustomTextEditLookupData::CreateList(TWinControl* AParent)
{
    if (!list_) {
        list_ = CreateListBox(nullptr);
        list_->OnSelectionChange = [this](TObject*) { listItemIndex_ = list_->ItemIndex(); };
    }
    list_->SetColor(owner_->Style().Color());
    list_->Font().Assign(owner_->Style().Font());
    textRowHeight_ = 0;
    if (list_->Parent() != AParent)
        list_->SetParent(AParent);
    // The window is made now, so that its rows, extent and highlight are set on the
    // first opening as on every later one.
    if (AParent)
        list_->HandleNeeded();
    ListPrepared(*list_);
    SyncItemCount();
    Normalize();
    SetHighlight(currentKey_);
    FollowText();
    return *list_;
}

void TcxCustomTextEditLookupData::PlaceList(const RECT& R)
{
    if (list_)
        list_->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
}

void TcxCustomTextEditLookupData::SyncItemCount()
{
    if (list_ && list_->Count() != Count())
        list_->SetCount(Count());
}

bool TcxCustomTextEditLookupData::PointInList(POINT AScreenPoint) const
{
    if (!list_ || !list_->HandleAllocated())
        return false;
    RECT r;
    GetWindowRect(list_->Handle(), &r);
    return PtInRect(&r, AScreenPoint) != 0;
}

SIZE TcxCustomTextEditLookupData::ListPreferredSize(int, int AWidthLimit)
{
    const int n = Count();
    const int rows = std::min(n, DropDownRows());
    SIZE size{0, 0};
    for (int i = 0; i < rows; ++i)
        size.cy += list_ ? list_->RowHeight(i) : RowHeight(i);
    TTextMeasure measure(list_ ? list_->Font() : owner_->Style().Font());
    for (const std::wstring& item : owner_->ActiveProperties().LookupItems().Items())
        size.cx = std::max<LONG>(size.cx, measure.Extent(item).cx);
    size.cx += 4;
    // Only a new extent is set: setting one makes the list work its scroll bars out again.
    if (list_ && list_->HorizontalExtent() != size.cx) {
        list_->SetHorizontalExtent(0);
        list_->SetHorizontalExtent(size.cx);
    }
    if (n > DropDownRows())
        size.cx += GetSystemMetrics(SM_CXVSCROLL);
    if (AWidthLimit > 0 && AWidthLimit < size.cx)
        size.cy += GetSystemMetrics(SM_CYHSCROLL);
    return size;
}

bool TcxCustomTextEditLookupData::AdjustListSize(SIZE& ASize)
{
    const int n = Count();
    const bool growing = ASize.cy >= (list_ ? list_->Height() : 0);
    const int vbar = GetSystemMetrics(SM_CXVSCROLL), hbar = GetSystemMetrics(SM_CYHSCROLL);
    auto rowHeight = [this](int i) { return list_ ? list_->RowHeight(i) : RowHeight(i); };
    // Rows below the requested height need the vertical bar; a width that leaves less
    // than the widest item beside it needs the horizontal one, whose height then comes
    // on top of the rows.
    int all = 0;
    for (int i = 0; i < n && all <= ASize.cy; ++i)
        all += rowHeight(i);
    const bool rowsBelowRequest = all > ASize.cy;
    const int extent = list_ ? list_->HorizontalExtent() : 0;
    const bool horizontal = extent > 0 && ASize.cx - (rowsBelowRequest ? vbar : 0) < extent;
    // The row boundaries from the top; growing snaps down to the last one at or below
    // the request, shrinking up to the first one at or above it.
    int height = horizontal ? hbar : 0, rows = 0;
    while (rows < n && height + rowHeight(rows) <= ASize.cy)
        height += rowHeight(rows++);
    if (height < ASize.cy && rows < n && !growing)
        height += rowHeight(rows++);
    const int minWidth = (rows < n ? vbar : 0) + (horizontal ? vbar : 0);
    ASize.cx = std::max<LONG>(ASize.cx, minWidth);
    ASize.cy = height;
    return true;
}
