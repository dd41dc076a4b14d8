// The multi-line text edit: a text edit whose inner window is a borderless system memo.
#pragma once

#include "controls/edit/cxTextEdit.h"

class TcxCustomMemoProperties : public TcxCustomTextEditProperties {
public:
    explicit TcxCustomMemoProperties(qv::TPersistent* AOwner);

    qv::TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(qv::TScrollStyle Value);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool Value);
    bool WantTabs() const override { return wantTabs_; }
    void SetWantTabs(bool Value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);
    // The memo's alignment is horizontal only; the text starts at the top.
    qv::TAlignment MemoAlignment() const { return Alignment().Horz(); }
    void SetMemoAlignment(qv::TAlignment Value);

    bool IsInstance(const TcxCustomEditProperties& AProperties) const override
    {
        return dynamic_cast<const TcxCustomMemoProperties*>(&AProperties);
    }
    TcxCustomEdit* CreateEdit(qv::TComponent* AOwner) override;
    std::unique_ptr<TcxCustomEditViewInfo> CreateViewInfo() override;

protected:
    void DoAssign(const TcxCustomEditProperties& ASource) override;

private:
    qv::TScrollStyle scrollBars_ = qv::ssNone;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    bool wordWrap_ = true;
};

class TcxMemoProperties : public TcxCustomMemoProperties {
public:
    using TcxCustomMemoProperties::TcxCustomMemoProperties;
};

// A memo paints its lines itself while its inner window is hidden (right- or
// centre-aligned and not focused): line by line, wrapped where the memo wraps.
class TcxCustomMemoViewInfo : public TcxCustomTextEditViewInfo {
public:
    bool WordWrap = true;

    void Assign(const TcxContainerViewInfo& ASource) override;
    bool IsEqual(const TcxContainerViewInfo& AOther) const override;

protected:
    void PaintContent(TcxCanvas& ACanvas) override;
};

class TcxCustomInnerMemo : public TcxInnerTextEditBase<qv::TMemo> {
public:
    explicit TcxCustomInnerMemo(qv::TComponent* AOwner);

protected:
    void CreateParams(qv::TCreateParams& Params) override;
};

class TcxCustomMemo : public TcxCustomTextEdit {
public:
    explicit TcxCustomMemo(qv::TComponent* AOwner);

    TcxCustomMemoProperties& Properties()
    {
        return static_cast<TcxCustomMemoProperties&>(TcxCustomEdit::Properties());
    }
    TcxCustomMemoProperties& ActiveProperties()
    {
        return static_cast<TcxCustomMemoProperties&>(TcxCustomEdit::ActiveProperties());
    }
    TcxCustomInnerMemo* InnerMemo();
    // The inner memo's lines; assigning them sets the text.
    qv::TStrings& Lines();

protected:
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override;
    qv::TWinControl* CreateInnerEdit() override;
    void CreateParams(qv::TCreateParams& Params) override;
    void PropertiesChanged(TcxCustomEditProperties* Sender) override;
    void PlaceInnerEdit() override;
    void CalculateViewInfo(POINT P, bool AIsMouseOver) override;
    void KeyDown(WORD& Key, qv::TShiftState Shift) override;
    bool IsEditValueChangingKey(WORD AKey, qv::TShiftState AShift) override;
    bool IsValueChangingChar(wchar_t AChar) override;
    // A memo takes pasted lines whole.
    std::wstring PreparePastedText(const std::wstring& AText, int AKeptLength) override;

private:
    bool placing_ = false;
};

class TcxMemo : public TcxCustomMemo {
public:
    using TcxCustomMemo::TcxCustomMemo;
};

// Whether a memo window repaints all of itself when its width changes: only a
// word-wrapping memo without a horizontal scroll bar needs it.
bool MemoNeedsHorizontalRedraw(qv::TScrollStyle AScrollBars, bool AWordWrap);
