// The single-line text edit. Its inner control is a borderless system edit placed in
// the content rectangle: the inner edit does the typing, caret and selection; the
// outer edit owns the value, the border, the painting and what keys mean.
#pragma once

#include "controls/edit/cxEdit.h"
#include "framework/StdCtrls.h"

#include <bitset>

enum TcxEditEchoMode { eemNormal, eemPassword };
// How a text edit with lookup items may be typed in (the list styles are the combo box's).
enum TcxEditEditingStyle { esEdit, esEditList, esFixedList, esNoEdit };

using TcxNewLookupDisplayTextEvent = std::function<void(qv::TObject* Sender, const std::wstring& AText)>;

// ReadOnly plus the display format, MaxLength and the bounds of a numeric edit.
class TcxTextEditPropertiesValues : public TcxCustomEditPropertiesValues {
public:
    using TcxCustomEditPropertiesValues::TcxCustomEditPropertiesValues;
    bool DisplayFormat = false;
    bool MaxLength = false;
    bool MaxValue = false;
    bool MinValue = false;
    void Reset() override;
    void Assign(const qv::TPersistent* Source) override;
};

class TcxCustomTextEditProperties : public TcxCustomEditProperties {
public:
    explicit TcxCustomTextEditProperties(qv::TPersistent* AOwner);

    qv::TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(qv::TEditCharCase Value);
    TcxEditEchoMode EchoMode() const { return echoMode_; }
    void SetEchoMode(TcxEditEchoMode Value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool Value);
    // Negative values are stored as 0 (no limit).
    int MaxLength() const;
    void SetMaxLength(int Value);
    bool IsMaxLengthStored() const { return TextValues().MaxLength; }
    bool OEMConvert() const { return oemConvert_; }
    void SetOEMConvert(bool Value);
    qv::TStrings& LookupItems() { return lookupItems_; }
    void SetLookupItems(const qv::TStrings& Value) { lookupItems_.Assign(&Value); }
    bool LookupItemsSorted() const { return lookupItemsSorted_; }
    void SetLookupItemsSorted(bool Value);
    // Characters accepted besides the provider's (a 256-bit set).
    const std::bitset<256>& ValidChars() const { return validChars_; }
    void SetValidChars(const std::bitset<256>& Value);
    // The bounds a numeric edit checks (unassigned: no check).
    void SetMinValue(double Value);
    void SetMaxValue(double Value);
    virtual TcxEditEditingStyle EditingStyle() const { return esEdit; }
    TcxTextEditPropertiesValues& TextValues() const;

    bool IsInstance(const TcxCustomEditProperties& AProperties) const override
    {
        return dynamic_cast<const TcxCustomTextEditProperties*>(&AProperties);
    }
    bool IsValidChar(wchar_t AChar) const override;
    bool CanValidate() const override { return true; }
    bool CompareValues() const override { return true; }
    bool SuppressChangeOnSetValue() const override { return true; }
    bool CanResetValue() const override { return EditingStyle() != esFixedList; }
    std::wstring DefaultErrorText(int AKind) const override;
    std::unique_ptr<TcxCustomEditPropertiesValues> CreateAssignedValues() override;
    std::unique_ptr<TcxCustomEditViewData> CreateViewData(TcxCustomEditStyle* AStyle) override;
    std::unique_ptr<TcxCustomEditViewInfo> CreateViewInfo() override;
    TcxCustomEdit* CreateEdit(qv::TComponent* AOwner) override;
    // Whether the text may be shown (the list styles require an item).
    virtual bool IsDisplayTextValid(const std::wstring&) const { return true; }

    TcxNewLookupDisplayTextEvent OnNewLookupDisplayText;

protected:
    void DoValidate(TcxEditValue& ADisplayValue, std::wstring& AErrorText, bool& AError,
                    TcxCustomEdit* AEdit) override;
    void DoAssign(const TcxCustomEditProperties& ASource) override;

private:
    qv::TEditCharCase charCase_ = qv::ecNormal;
    TcxEditEchoMode echoMode_ = eemNormal;
    bool hideSelection_ = true;
    int maxLength_ = 0;
    bool oemConvert_ = false;
    qv::TStrings lookupItems_;
    bool lookupItemsSorted_ = false;
    std::bitset<256> validChars_;
    double minValue_ = 0, maxValue_ = 0;
};

class TcxTextEditProperties : public TcxCustomTextEditProperties {
public:
    using TcxCustomTextEditProperties::TcxCustomTextEditProperties;
};

// Text margins grow in the list styles.
class TcxCustomTextEditViewData : public TcxCustomEditViewData {
public:
    using TcxCustomEditViewData::TcxCustomEditViewData;
    bool IsListStyle() const override;
};

// Paints the text itself while the inner window is hidden.
class TcxCustomTextEditViewInfo : public TcxCustomEditViewInfo {
public:
    std::wstring Text;
    bool DrawText = false;
    qv::TAlignment Alignment = qv::taLeftJustify;
    TcxEditVertAlignment VertAlignment = taTopJustify;

    void Assign(const TcxContainerViewInfo& ASource) override;
    bool IsEqual(const TcxContainerViewInfo& AOther) const override;

protected:
    void PaintContent(TcxCanvas& ACanvas) override;
};

class TcxCustomTextEdit;

// What a text edit needs of its inner window besides the common part.
class IcxInnerTextEdit : public IcxCustomInnerEdit {
public:
    virtual qv::TCustomEdit* GetEditControl() = 0;

protected:
    ~IcxInnerTextEdit() = default;
};

// The forwarding every inner window of a text edit does: keys go to the outer edit
// first, clipboard requests are the outer edit's, focus is reported.
template <class TBase>
class TcxInnerTextEditBase : public TBase, public IcxInnerTextEdit {
public:
    explicit TcxInnerTextEditBase(qv::TComponent* AOwner);

    // IcxCustomInnerEdit
    qv::TWinControl* GetControl() override { return this; }
    TcxCustomEdit* GetContainer() override;
    void SetContainer(TcxCustomEdit* AContainer) override;
    TcxEditValue GetEditValue() override { return TcxEditValue(this->Text()); }
    void SetEditValue(const TcxEditValue& Value) override { this->SetText(Value.ToString()); }
    bool GetReadOnly() override { return this->ReadOnly(); }
    void SetReadOnly(bool Value) override { TBase::SetReadOnly(Value); }
    void SetOnChange(qv::TNotifyEvent AEvent) override { this->OnChange = std::move(AEvent); }
    void SelectAll() override { TBase::SelectAll(); }
    qv::TCustomEdit* GetEditControl() override { return this; }

    void WndProc(qv::TMessage& Message) override;

protected:
    void CreateParams(qv::TCreateParams& Params) override;
    void CreateHandle() override;
    // The answer to WM_GETDLGCODE: what the window wants besides its own answer.
    virtual LRESULT DialogCode(LRESULT ADefault, const MSG* AMessage);
    void SetMargins();

    TcxCustomTextEdit* container_ = nullptr;
};

class TcxCustomInnerTextEdit : public TcxInnerTextEditBase<qv::TCustomEdit> {
public:
    using TcxInnerTextEditBase<qv::TCustomEdit>::TcxInnerTextEditBase;
};

class TcxCustomTextEdit : public TcxCustomEdit {
public:
    explicit TcxCustomTextEdit(qv::TComponent* AOwner);

    TcxCustomTextEditProperties& Properties()
    {
        return static_cast<TcxCustomTextEditProperties&>(TcxCustomEdit::Properties());
    }
    TcxCustomTextEditProperties& ActiveProperties()
    {
        return static_cast<TcxCustomTextEditProperties&>(TcxCustomEdit::ActiveProperties());
    }
    TcxCustomTextEditViewInfo& ViewInfo()
    {
        return static_cast<TcxCustomTextEditViewInfo&>(TcxCustomEdit::ViewInfo());
    }
    IcxInnerTextEdit* InnerTextEdit() { return dynamic_cast<IcxInnerTextEdit*>(InnerEdit()); }

    bool BeepOnEnter() const { return beepOnEnter_; }
    void SetBeepOnEnter(bool Value) { beepOnEnter_ = Value; }

    std::wstring Text() const override;
    void SetText(const std::wstring& Value) override;
    int SelStart();
    void SetSelStart(int Value);
    int SelLength();
    void SetSelLength(int Value);
    std::wstring SelText();
    void SetSelText(const std::wstring& Value);

    void SetEditValue(const TcxEditValue& Value) override;
    std::wstring GetDisplayText() override;
    void RefreshDisplay() override;
    void SelectAll() override;
    // Shows the text (after CharCase) and makes it the EditValue when the properties
    // accept it and, for a change of the user's, editing is granted. True when taken.
    bool SetDisplayText(const std::wstring& AText);

    void CopyToClipboard() override;
    void CutToClipboard() override;
    void PasteFromClipboard() override;
    void ClearSelection() override;

    // The keys of the inner window come here first; true when the key was used up.
    bool InnerKeyDown(WORD& Key, qv::TShiftState Shift);
    bool InnerKeyPress(wchar_t& Key);
    void InnerKeyUp(WORD& Key, qv::TShiftState Shift);
    // The inner window's text changed.
    void InnerEditChanged();
    // The Enter and Escape characters that follow a drop-down's closing are dropped.
    bool CloseUpMark() const { return closeUpMark_; }
    void SetCloseUpMark(bool Value) { closeUpMark_ = Value; }
    // Whether the inner window is shown now (algorithm of the alignment rule).
    bool IsInnerEditVisible();

    void WndProc(qv::TMessage& Message) override;

protected:
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override;
    qv::TWinControl* CreateInnerEdit() override;
    bool CanEditValue() override;
    bool IsEditValueChangingKey(WORD AKey, qv::TShiftState AShift) override;
    bool HasText() const override { return true; }
    void DisplayValueToEditValue(const TcxEditValue& ADisplayValue) override;
    void SetDisplayValue(const TcxEditValue& ADisplayValue) override { SetDisplayText(ADisplayValue.ToString()); }
    void PropertiesChanged(TcxCustomEditProperties* Sender) override;
    void PlaceInnerEdit() override;
    void KeyDown(WORD& Key, qv::TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void CalculateViewInfo(POINT P, bool AIsMouseOver) override;
    void FocusChanged() override;
    // Lookup of the list styles (the combo box's); none in a plain text edit.
    virtual bool LookupFoundOnEnter() { return false; }

    bool displaySync_ = false;
    // The inner window is being given a text that is becoming the value.
    bool syncingValue_ = false;

private:
    std::wstring ApplyCharCase(const std::wstring& AText) const;

    bool beepOnEnter_ = true;
    bool placing_ = false;
    bool settingText_ = false;
    bool closeUpMark_ = false;
};

class TcxTextEdit : public TcxCustomTextEdit {
public:
    using TcxCustomTextEdit::TcxCustomTextEdit;
};
