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

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    void SelectAll();

    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
};

class TMemo : public TWinControl {
public:
    explicit TMemo(TComponent* owner);

    TStrings& Lines() { return lines_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;

private:
    void LinesChanged();

    TStrings lines_;
    bool readOnly_ = false;
    bool updating_ = false;
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
