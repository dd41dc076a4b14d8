// The single-line text edit. Its inner control is a borderless system edit placed in
// the content rectangle: the inner edit does the typing, caret and selection; the
// outer edit owns the value, the border, the painting and what keys mean.
#pragma once

#include "controls/edit/cxEdit.h"
#include "framework/StdCtrls.h"

#include <bitset>

enum TcxEditEchoMode { eemNormal, eemPassword };

// How text is handed to the clipboard (the system's SetClipboardData unless a test
// stands in for it).
using TcxSetClipboardData = HANDLE(WINAPI*)(UINT AFormat, HANDLE AData);
// Puts the text on the clipboard; memory the clipboard does not take is freed.
bool cxPutTextOnClipboard(HWND AOwner, const std::wstring& AText, TcxSetClipboardData ASetData = SetClipboardData);
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
    // Some lookup item equals the text, ignoring case.
    bool HasLookupItem(const std::wstring& AText) const;
    void SetLookupItemsSorted(bool Value);
    // Characters accepted besides the provider's (a 256-bit set).
    const std::bitset<256>& ValidChars() const { return validChars_; }
    void SetValidChars(const std::bitset<256>& Value);
    // The bounds a numeric edit checks (unassigned: no check).
    void SetMinValue(double Value);
    void SetMaxValue(double Value);
    virtual TcxEditEditingStyle EditingStyle() const { return esEdit; }
    // Moving through the items while the list is open changes the text at once.
    bool ImmediateUpdateText() const { return immediateUpdateText_; }
    void SetImmediateUpdateText(bool Value);
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
    // Keeps the items in order while LookupItemsSorted is set (items added later too).
    void SortLookupItems();

    qv::TStrings lookupItems_;
    bool lookupItemsSorted_ = false;
    bool sortingItems_ = false;
    std::bitset<256> validChars_;
    double minValue_ = 0, maxValue_ = 0;
    bool immediateUpdateText_ = false;
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
    // The part of Text drawn selected: the search selection of a fixed list (the
    // typed part stays plain, the rest of the found item is selected).
    int SelStart = 0, SelLength = 0;
    qv::TAlignment Alignment = qv::taLeftJustify;
    TcxEditVertAlignment VertAlignment = taTopJustify;

    void Assign(const TcxContainerViewInfo& ASource) override;
    bool IsEqual(const TcxContainerViewInfo& AOther) const override;

protected:
    void PaintContent(TcxCanvas& ACanvas) override;
    void PaintSelection(TcxCanvas& ACanvas, TcxAlignmentVert AVert);
};

class TcxCustomTextEdit;

// What a text edit needs of its inner window besides the common part.
class IcxInnerTextEdit : public IcxCustomInnerEdit {
public:
    virtual qv::TCustomEdit* GetEditControl() = 0;

protected:
    ~IcxInnerTextEdit() = default;
};

// The inner window of a text edit: a borderless system edit (or multi-line edit)
// without margins of its own. What its keys, clipboard requests and focus mean is
// decided by the outer edit, its message host (TcxCustomTextEdit::InnerMessage).
template <class TBase>
class TcxInnerTextEditBase : public TBase, public IcxInnerTextEdit {
public:
    explicit TcxInnerTextEditBase(qv::TComponent* AOwner);

    // IcxCustomInnerEdit
    qv::TWinControl* GetControl() override { return this; }
    TcxCustomEdit* GetContainer() override { return container_; }
    void SetContainer(TcxCustomEdit* AContainer) override { container_ = AContainer; }
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
    // The window's margins: none on the left, a pixel on the right (the outer edit
    // places the text).
    void SetMargins();

    TcxCustomEdit* container_ = nullptr;
};

class TcxCustomInnerTextEdit : public TcxInnerTextEditBase<qv::TCustomEdit> {
public:
    using TcxInnerTextEditBase<qv::TCustomEdit>::TcxInnerTextEditBase;
};

// ---------------------------------------------------------------------------
// Item lookup: the items behind a text edit, the current one, the incremental search
// and the list window that shows them.

enum TcxEditLookupDataGoDirection { egdBegin, egdEnd, egdNext, egdPrev, egdPageUp, egdPageDown };

class TcxCustomTextEditLookupData;

// The list window of a lookup: owner-drawn rows that hold no strings (each row asks
// the lookup data for its text when drawn), hot tracking, selection on release.
class TcxCustomEditListBox : public qv::TCustomListBox {
public:
    TcxCustomEditListBox(qv::TComponent* AOwner, TcxCustomTextEditLookupData* ALookupData);

    // Ignore the next mouse move (the highlight was set by the keyboard or the list
    // has just opened under a resting pointer).
    void LockMouseMove() { mouseMoveLocked_ = true; }
    bool MouseMoveLocked() const { return mouseMoveLocked_; }
    int RowHeight(int AIndex);
    // The look of the list (the edit hands it the look of its popup's controls).
    TcxLookAndFeel& LookAndFeel() { return *lookAndFeel_; }

    // A row was released on: it is to be taken.
    std::function<void(int AIndex)> OnItemAccepted;

    void WndProc(qv::TMessage& Message) override;

protected:
    void CreateParams(qv::TCreateParams& Params) override;
    void DrawItem(int AIndex, const RECT& ARect, qv::TOwnerDrawState AState, HDC DC) override;
    void MeasureItem(int AIndex, int& AHeight) override;
    void MouseMove(qv::TShiftState Shift, int X, int Y) override;
    void MouseUp(qv::TMouseButton Button, qv::TShiftState Shift, int X, int Y) override;
    // The row's own drawing; the default fills it and writes its text.
    virtual void DoDrawItem(TcxCanvas& ACanvas, int AIndex, const RECT& ARect, qv::TOwnerDrawState AState);
    virtual void DoMeasureItem(int AIndex, int& AHeight);

    TcxCustomTextEditLookupData* lookupData_;

private:
    bool mouseMoveLocked_ = false;
    std::unique_ptr<qv::TControlCanvas> drawCanvas_;
    std::unique_ptr<TcxLookAndFeel> lookAndFeel_;
};

// Behind a text edit with items: the current item (the edit's item index), the list
// highlight, the incremental search, relative moves, and the list window.
class TcxCustomTextEditLookupData : public qv::TObject {
public:
    explicit TcxCustomTextEditLookupData(TcxCustomTextEdit* AOwner);
    ~TcxCustomTextEditLookupData() override;

    TcxCustomTextEdit* Owner() const { return owner_; }
    int Count() const;
    std::wstring ItemText(int AKey) const;
    bool HasNoItems() const { return Count() == 0; }
    // Some item equals the text, ignoring case.
    bool ContainsText(const std::wstring& AText) const;
    // Never outside -1 .. count-1: a key the items no longer reach reads as -1.
    int CurrentKey() const { return InRange(currentKey_); }
    int ListItemIndex() const { return InRange(listItemIndex_); }
    // The items changed: a key they no longer reach becomes -1.
    void ItemsChanged();
    TcxCustomEditListBox* List() const { return list_; }

    // Makes AKey (in -1 .. count-1) the current item and the highlight; tells the owner
    // to take the item's text when the key changed or the text is not the item's.
    void SetCurrentItem(int AKey);
    // Takes the list's highlight as the current item (the text is rewritten from it).
    void AcceptHighlight();
    void ResetHighlight();
    // Shows the highlight in the list window and scrolls it into view (the window may
    // not have existed, or had its size, when the highlight was set).
    void ShowHighlight()
    {
        Normalize();
        SetHighlight(listItemIndex_);
    }
    // Incremental search from the first item (or after the highlight with ANext):
    // on a match AText takes the item's letter case, ATail the rest of the item.
    bool FindPrefix(std::wstring& AText, std::wstring& ATail, bool ANext, bool AFromFollowText = false);
    // The owner's text changed: the current item follows it.
    void FollowText();
    // Moves relative to the highlight (or the current item).
    void StepItem(TcxEditLookupDataGoDirection ADirection, bool ACircular);

    // The list window, made on first use inside AParent (the popup).
    TcxCustomEditListBox& CreateList(qv::TWinControl* AParent);
    void PlaceList(const RECT& R);
    void SyncItemCount();
    bool PointInList(POINT AScreenPoint) const;
    // The list's preferred size: rows up to DropDownRows, the widest item plus 4.
    virtual SIZE ListPreferredSize(int AMaxHeight, int AWidthLimit);
    // Snaps a size asked for by mouse sizing to whole rows.
    virtual bool AdjustListSize(SIZE& ASize);
    virtual int DropDownRows() const { return 8; }
    // Whether the list window is on the screen now: a drop-down edit answers
    // OnQueryListShown; a plain text edit never shows it. While it is, keys move the
    // highlight only.
    bool IsListShown() const { return OnQueryListShown && OnQueryListShown(); }
    // The height of a row of the list (the text height of "Wg", measured once per list font).
    virtual int RowHeight(int AIndex);

    // The owner is told of a change of the current item, and asked to take the current
    // item's text (false: it may not, and the item stays what it was).
    std::function<void()> OnCurrentKeyChanged;
    std::function<bool()> OnSelectItem;
    // The edit that shows the list says whether it is shown.
    std::function<bool()> OnQueryListShown;

protected:
    virtual TcxCustomEditListBox* CreateListBox(qv::TComponent* AOwner);
    // The list has its colour, font and parent; its rows are not counted yet.
    virtual void ListPrepared(TcxCustomEditListBox&) {}
    TcxEditEditingStyle Style() const;
    int TextRowHeight();

private:
    void SetHighlight(int AIndex);
    int InRange(int AKey) const { return AKey >= 0 && AKey < Count() ? AKey : -1; }
    // Out-of-range keys are -1 again.
    void Normalize();

    TcxCustomTextEdit* owner_;
    int currentKey_ = -1;
    int listItemIndex_ = -1;
    TcxCustomEditListBox* list_ = nullptr;
    bool selecting_ = false;
    int textRowHeight_ = 0;
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

    // Cut copies, paste and clear do nothing while ReadOnly.
    void CopyToClipboard() override;
    void CutToClipboard() override;
    void PasteFromClipboard() override;
    void ClearSelection() override;
    // A change of the user's may be made now (the edit is in edit mode or editing is granted).
    bool CanUserChangeText();

    // The key events of the inner window's keys (see InnerMessage); true when the key
    // was used up.
    bool InnerKeyDown(WORD& Key, qv::TShiftState Shift);
    // Recalculates the view when the edit paints its text itself, so that a changed
    // text or selection is repainted at once.
    void SelfPaintedTextChanged();
    // Whether the inner window is shown now (algorithm of the alignment rule).
    bool IsInnerEditVisible();

    // The item lookup (made on first use when the properties have items, or by a list edit).
    TcxCustomTextEditLookupData& LookupData();
    bool HasLookupData() const { return lookupData_ != nullptr; }
    // The current item, -1 for none.
    int ItemIndex() { return lookupData_ ? lookupData_->CurrentKey() : -1; }
    // Values outside -1 .. count-1 are ignored; a change raises OnClick.
    void SetItemIndex(int Value);
    // The incremental search is under way (its selection shows the item's tail).
    bool FindSelection() const { return findSelection_; }
    void SetFindSelection(bool Value) { findSelection_ = Value; }
    // Whether keys may move through the items (not while designing).
    virtual bool CanNavigateItems();
    // After a key, character or wheel step: a changed current item raises OnClick.
    void LookupKeyChanged(int AOldKey, bool AFound = true);

    void WndProc(qv::TMessage& Message) override;

protected:
    // The inner window's keys, characters and clipboard requests are the outer edit's
    // first; the window's own handling follows for what is left of them.
    bool InnerMessage(qv::TMessage& Message, qv::TMessagePhase Phase) override;
    // The answer to the inner window's WM_GETDLGCODE, from the window's own answer.
    LRESULT InnerDialogCode(LRESULT ADefault, const MSG* AMessage);
    void InnerEditChanged() override;
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override;
    qv::TWinControl* CreateInnerEdit() override;
    bool CanEditValue() override;
    bool IsEditValueChangingKey(WORD AKey, qv::TShiftState AShift) override;
    bool IsValueChangingChar(wchar_t AChar) override;
    // What of a pasted text goes in, with AKeptLength characters staying around it.
    virtual std::wstring PreparePastedText(const std::wstring& AText, int AKeptLength);
    // As much of the text as MaxLength leaves room for.
    std::wstring FitMaxLength(const std::wstring& AText, int AKeptLength);
    bool HasText() const override { return true; }
    void DisplayValueToEditValue(const TcxEditValue& ADisplayValue) override;
    void SetDisplayValue(const TcxEditValue& ADisplayValue) override { SetDisplayText(ADisplayValue.ToString()); }
    void PropertiesChanged(TcxCustomEditProperties* Sender) override;
    void PlaceInnerEdit() override;
    void KeyDown(WORD& Key, qv::TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void CalculateViewInfo(POINT P, bool AIsMouseOver) override;
    void ViewInfoChanged(const TcxContainerViewInfo& APrevious) override;
    void FocusChanged() override;
    // Enter found an item in the lookup: the whole text is selected after it.
    virtual bool LookupFoundOnEnter();
    virtual std::unique_ptr<TcxCustomTextEditLookupData> CreateLookupData();
    // The item's text becomes the value, when the edit may be modified or the program
    // chose the item; false when it may not.
    virtual bool LookupSelectItem();
    // Keys and characters of the lookup; true when used up.
    bool LookupKeyDown(WORD& Key, qv::TShiftState Shift);
    bool LookupKeyPress(wchar_t& Key);
    void DoExit() override;

    bool displaySync_ = false;
    // The inner window is being given a text that is becoming the value.
    bool syncingValue_ = false;

private:
    std::wstring ApplyCharCase(const std::wstring& AText) const;

    std::unique_ptr<TcxCustomTextEditLookupData> lookupData_;
    // The item is being chosen by the program (ItemIndex), not by the user.
    bool programChoice_ = false;
    bool findSelection_ = false;
    bool lookupFound_ = false;
    bool beepOnEnter_ = true;
    bool placing_ = false;
    bool settingText_ = false;
    bool applyingProperties_ = false;
};

class TcxTextEdit : public TcxCustomTextEdit {
public:
    using TcxCustomTextEdit::TcxCustomTextEdit;
};
