// Plain native controls: push button, single-line edit, memo and drop-down-list combo box.
#pragma once

#include "framework/Controls.h"

namespace qv {

// Where a button's glyph sits against its caption.
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// How many images a glyph bitmap holds side by side (1..4): normal, disabled, pressed, down.
using TNumGlyphs = int;

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);

    // The button Enter presses when no other button has the focus.
    bool Default() const { return default_; }
    void SetDefault(bool value);
    // The button Escape presses.
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    // Closes a modal form with this result when clicked.
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }

    void Click() override;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    // Tells the button whether it is the form's active default button now.
    virtual void SetButtonStyle(bool isDefault);

private:
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    int modalResult_ = 0;
};

// Whether an edit draws the sunken client edge.
enum class TBorderStyle { bsNone, bsSingle };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The system's edit window: one line, or many (TMemo).
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);

    // Entering by keyboard selects the whole text (one-line edits).
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    bool OEMConvert() const { return oemConvert_; }
    void SetOEMConvert(bool value);
    // 0: the text shows as typed.
    wchar_t PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(wchar_t value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

    void SelectAll();
    int SelStart();
    void SetSelStart(int value);
    int SelLength();
    void SetSelLength(int value);
    std::wstring SelText();
    // Replaces the selection (as typing would, so it can be undone).
    void SetSelText(const std::wstring& value);

    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    void DoEnter() override;
    // The text changed in the window.
    virtual void Change();

private:
    bool autoSelect_ = true;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    TEditCharCase charCase_ = ecNormal;
    bool hideSelection_ = true;
    int maxLength_ = 0;
    bool oemConvert_ = false;
    wchar_t passwordChar_ = 0;
    bool readOnly_ = false;
    TAlignment alignment_ = taLeftJustify;
};

class TEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
};

class TMemo : public TCustomEdit {
public:
    explicit TMemo(TComponent* owner);

    TStrings& Lines() { return lines_; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    // Enter breaks the line (else it goes to the form).
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool value);
    // Tab is typed (else it moves the focus).
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool value) { wantTabs_ = value; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    void Change() override;

private:
    void LinesChanged();

    TStrings lines_;
    bool updating_ = false;
    TScrollStyle scrollBars_ = ssNone;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    bool wordWrap_ = true;
};

// The state a list row is drawn in (the system's owner-draw state bits).
using TOwnerDrawState = UINT;

// A list of rows that the control draws itself (variable heights). The rows hold no
// strings: whoever fills the list knows each row's text and draws it.
class TCustomListBox : public TWinControl {
public:
    explicit TCustomListBox(TComponent* owner);

    int Count() const { return count_; }
    // Adds or removes rows at the end until there are count.
    void SetCount(int count);
    // The highlighted row, -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    int TopIndex() const;
    void SetTopIndex(int index);
    RECT ItemRect(int index) const;
    // The row at a client point, or -1.
    int ItemAtPos(POINT p) const;
    int ItemHeight(int index) const;
    int HorizontalExtent() const;
    void SetHorizontalExtent(int width);
    // Rows of their own heights (each measured when added), or all of the height of
    // row 0: then the rows are counted, not added, so that a list of thousands is
    // made at once. Takes effect when the window is made next (RecreateWnd).
    bool VariableHeights() const { return variableHeights_; }
    void SetVariableHeights(bool value) { variableHeights_ = value; }

    // The highlighted row changed by the user (click or keys in the list).
    TNotifyEvent OnSelectionChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    virtual void DrawItem(int index, const RECT& rect, TOwnerDrawState state, HDC dc);
    virtual void MeasureItem(int index, int& height);

private:
    int count_ = 0;
    bool variableHeights_ = true;
};

// A combo box whose text is always one of its items (a drop-down list).
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);

    TStrings& Items() { return items_; }
    int ItemIndex() const;
    void SetItemIndex(int index);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int value) { dropDownCount_ = value; }

    std::wstring Text() const override;
    void SetBounds(int left, int top, int width, int height) override;
    // Selects the item with this text, or nothing when there is none.
    void SetText(const std::wstring& value) override;

    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;

private:
    void ItemsChanged();

    TStrings items_;
    int itemIndex_ = -1;
    int dropDownCount_ = 8;
};

} // namespace qv
