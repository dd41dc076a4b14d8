#include "framework/StdCtrls.h"

#include "framework/Forms.h"

#include <algorithm>

namespace qv {

TButton::TButton(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
    SetControlStyle(ControlStyle() | csReflector);
    defaultEraseBackground_ = true;
}

void TButton::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.WinClassName = L"QvButton";
    p.SysClassName = L"BUTTON";
    p.Style |= (active_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::SetDefault(bool value)
{
    if (value == default_)
        return;
    default_ = value;
    if (HandleAllocated()) {
        TCustomForm* form = GetParentForm();
        // With no button focused the default button is the active one.
        bool focusedButton = form && dynamic_cast<TButton*>(form->ActiveControl()) && form->ActiveControl()->Focused();
        if (!focusedButton)
            Perform(CM_FOCUSCHANGED, 0, 0);
    }
}

void TButton::SetButtonStyle(bool isDefault)
{
    if (!HandleAllocated())
        return;
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE) & 0x0F;
    if (style != BS_PUSHBUTTON && style != BS_DEFPUSHBUTTON)
        return;
    SendMessageW(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click()
{
    if (modalResult_ != 0)
        if (TCustomForm* form = GetParentForm())
            form->SetModalResult(modalResult_);
    TWinControl::Click();
}

void TButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CN_COMMAND:
        if (HIWORD(m.WParam) == BN_CLICKED)
            Click();
        return;
    case CM_FOCUSCHANGED: {
        // A focused button is the active one; with the focus elsewhere, the default button is.
        auto focused = reinterpret_cast<TWinControl*>(m.LParam);
        bool active = dynamic_cast<TButton*>(focused) ? focused == this : default_;
        if (active != active_) {
            active_ = active;
            SetButtonStyle(active);
        }
        break;
    }
    default:
        break;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
    defaultEraseBackground_ = true;
}

void TCustomEdit::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.WinClassName = L"QvEdit";
    p.SysClassName = L"EDIT";
    static const DWORD alignments[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    static const DWORD cases[] = {0, ES_UPPERCASE, ES_LOWERCASE};
    p.Style |= ES_AUTOHSCROLL | alignments[alignment_] | cases[charCase_] | (readOnly_ ? ES_READONLY : 0)
        | (hideSelection_ ? 0 : ES_NOHIDESEL) | (oemConvert_ ? ES_OEMCONVERT : 0);
    if (borderStyle_ == TBorderStyle::bsSingle)
        p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateHandle()
{
    TWinControl::CreateHandle();
    SendMessageW(Handle(), EM_LIMITTEXT, maxLength_, 0);
    if (passwordChar_)
        SendMessageW(Handle(), EM_SETPASSWORDCHAR, passwordChar_, 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle value)
{
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase value)
{
    if (value == charCase_)
        return;
    charCase_ = value;
    RecreateWnd();
    // The window applies the case to what is typed; the text already there follows too.
    if (HandleAllocated() && value != ecNormal) {
        std::wstring text = Text();
        if (value == ecUpperCase)
            CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
        else
            CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
        SetText(text);
    }
}

void TCustomEdit::SetHideSelection(bool value)
{
    if (value == hideSelection_)
        return;
    hideSelection_ = value;
    RecreateWnd();
}

void TCustomEdit::SetMaxLength(int value)
{
    maxLength_ = value;
    if (HandleAllocated())
        SendMessageW(Handle(), EM_LIMITTEXT, value, 0);
}

void TCustomEdit::SetOEMConvert(bool value)
{
    if (value == oemConvert_)
        return;
    oemConvert_ = value;
    RecreateWnd();
}

void TCustomEdit::SetPasswordChar(wchar_t value)
{
    if (value == passwordChar_)
        return;
    passwordChar_ = value;
    if (HandleAllocated()) {
        SendMessageW(Handle(), EM_SETPASSWORDCHAR, value, 0);
        Invalidate();
    }
}

void TCustomEdit::SetReadOnly(bool value)
{
    readOnly_ = value;
    if (HandleAllocated())
        SendMessageW(Handle(), EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetAlignment(TAlignment value)
{
    if (value == alignment_)
        return;
    alignment_ = value;
    RecreateWnd();
}

void TCustomEdit::SelectAll()
{
    if (HandleAllocated())
        SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

int TCustomEdit::SelStart()
{
    DWORD start = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int value) { SendMessageW(Handle(), EM_SETSEL, value, value); }

int TCustomEdit::SelLength()
{
    DWORD start = 0, end = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int value)
{
    int start = SelStart();
    SendMessageW(Handle(), EM_SETSEL, start, start + value);
}

std::wstring TCustomEdit::SelText()
{
    const int start = SelStart(), length = SelLength();
    return Text().substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

void TCustomEdit::SetSelText(const std::wstring& value)
{
    SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(value.c_str()));
}

void TCustomEdit::DoEnter()
{
    // Tabbing in selects all; a click places the caret.
    if (autoSelect_ && !(GetKeyState(VK_LBUTTON) & 0x8000) && HandleAllocated()
        && !(GetWindowLongPtrW(Handle(), GWL_STYLE) & ES_MULTILINE))
        SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::WndProc(TMessage& m)
{
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == EN_CHANGE)
            Change();
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, 185, 89);
    lines_.OnChange = [this](TObject*) { LinesChanged(); };
}

void TMemo::CreateParams(TCreateParams& p)
{
    TCustomEdit::CreateParams(p);
    p.WinClassName = L"QvMemo";
    p.Caption.clear();
    p.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    p.Style |= ES_MULTILINE | ES_AUTOVSCROLL | (wantReturns_ ? ES_WANTRETURN : 0) | (wordWrap_ ? 0 : ES_AUTOHSCROLL);
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth)
        p.Style |= WS_HSCROLL;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
        p.Style |= WS_VSCROLL;
}

void TMemo::CreateHandle()
{
    TCustomEdit::CreateHandle();
    LinesChanged();
}

void TMemo::SetScrollBars(TScrollStyle value)
{
    if (value == scrollBars_)
        return;
    scrollBars_ = value;
    RecreateWnd();
}

void TMemo::SetWantReturns(bool value)
{
    if (value == wantReturns_)
        return;
    wantReturns_ = value;
    RecreateWnd();
}

void TMemo::SetWordWrap(bool value)
{
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    RecreateWnd();
}

void TMemo::LinesChanged()
{
    if (!HandleAllocated() || updating_)
        return;
    std::wstring text = lines_.Text();
    // The last line needs no line end of its own in the window.
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    if (TWinControl::Text() == text)
        return;
    SetWindowTextW(Handle(), text.c_str());
    // A multi-line window does not report text set from outside (no EN_CHANGE).
    TCustomEdit::Change();
}

void TMemo::Change()
{
    updating_ = true;
    lines_.SetText(Text());
    updating_ = false;
    TCustomEdit::Change();
}

void TMemo::WndProc(TMessage& m)
{
    if (m.Msg == CM_TEXTCHANGED && HandleAllocated() && !updating_) {
        // Text set through the control: the lines follow and the change is reported.
        Change();
        return;
    }
    if (m.Msg == WM_GETDLGCODE) {
        TCustomEdit::WndProc(m);
        if (wantTabs_)
            m.Result |= DLGC_WANTTAB;
        else
            m.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
        if (!wantReturns_)
            m.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
        return;
    }
    TCustomEdit::WndProc(m);
}

// ---------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
    defaultEraseBackground_ = true;
}

void TCustomListBox::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.WinClassName = L"QvListBox";
    p.SysClassName = L"LISTBOX";
    p.Caption.clear();
    p.Style |= (variableHeights_ ? LBS_OWNERDRAWVARIABLE : LBS_OWNERDRAWFIXED | LBS_NODATA) | LBS_NOTIFY
        | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
}

void TCustomListBox::CreateHandle()
{
    TWinControl::CreateHandle();
    if (!variableHeights_) {
        int height = 16;
        MeasureItem(0, height);
        SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, std::max(height, 1));
    }
    const int count = count_;
    count_ = 0;
    SetCount(count);
}

void TCustomListBox::SetCount(int count)
{
    count = std::max(count, 0);
    if (!HandleAllocated()) {
        count_ = count;
        return;
    }
    HWND wnd = Handle();
    SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    if (!variableHeights_) {
        SendMessageW(wnd, LB_SETCOUNT, static_cast<WPARAM>(count), 0);
    } else if (count == 0) {
        SendMessageW(wnd, LB_RESETCONTENT, 0, 0);
    } else if (count > count_) {
        SendMessageW(wnd, LB_INITSTORAGE, static_cast<WPARAM>(count - count_), 0);
        for (int i = count_; i < count; ++i)
            SendMessageW(wnd, LB_ADDSTRING, 0, 0);
    } else {
        for (int i = count_; i > count; --i)
            SendMessageW(wnd, LB_DELETESTRING, static_cast<WPARAM>(i - 1), 0);
    }
    count_ = count;
    SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    Invalidate();
}

int TCustomListBox::ItemIndex() const
{
    if (!HandleAllocated())
        return -1;
    return static_cast<int>(SendMessageW(const_cast<TCustomListBox*>(this)->Handle(), LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int index)
{
    if (HandleAllocated())
        SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TCustomListBox::TopIndex() const
{
    return HandleAllocated()
        ? static_cast<int>(SendMessageW(const_cast<TCustomListBox*>(this)->Handle(), LB_GETTOPINDEX, 0, 0))
        : 0;
}

void TCustomListBox::SetTopIndex(int index)
{
    if (HandleAllocated())
        SendMessageW(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

RECT TCustomListBox::ItemRect(int index) const
{
    RECT r{};
    if (HandleAllocated())
        SendMessageW(const_cast<TCustomListBox*>(this)->Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&r));
    return r;
}

int TCustomListBox::ItemAtPos(POINT p) const
{
    if (!HandleAllocated() || count_ == 0)
        return -1;
    const LRESULT hit = SendMessageW(const_cast<TCustomListBox*>(this)->Handle(), LB_ITEMFROMPOINT, 0,
                                     MAKELPARAM(p.x, p.y));
    if (HIWORD(hit))
        return -1;  // outside every row
    return LOWORD(hit);
}

int TCustomListBox::ItemHeight(int index) const
{
    return HandleAllocated() ? static_cast<int>(SendMessageW(const_cast<TCustomListBox*>(this)->Handle(),
                                                             LB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0))
                             : 0;
}

int TCustomListBox::HorizontalExtent() const
{
    return HandleAllocated() ? static_cast<int>(SendMessageW(const_cast<TCustomListBox*>(this)->Handle(),
                                                             LB_GETHORIZONTALEXTENT, 0, 0))
                             : 0;
}

void TCustomListBox::SetHorizontalExtent(int width)
{
    if (HandleAllocated())
        SendMessageW(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(width), 0);
}

void TCustomListBox::DrawItem(int, const RECT& rect, TOwnerDrawState, HDC dc)
{
    ::FillRect(dc, &rect, BackgroundBrush());
}

void TCustomListBox::MeasureItem(int, int&) {}

void TCustomListBox::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CN_DRAWITEM: {
        auto dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
        if (static_cast<int>(dis->itemID) >= 0)
            DrawItem(static_cast<int>(dis->itemID), dis->rcItem, dis->itemState, dis->hDC);
        else
            ::FillRect(dis->hDC, &dis->rcItem, BackgroundBrush());
        m.Result = TRUE;
        return;
    }
    case CN_MEASUREITEM: {
        auto mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
        int height = static_cast<int>(mis->itemHeight);
        MeasureItem(static_cast<int>(mis->itemID), height);
        mis->itemHeight = static_cast<UINT>(std::max(height, 1));
        m.Result = TRUE;
        return;
    }
    case CN_COMMAND:
        if (HIWORD(m.WParam) == LBN_SELCHANGE && OnSelectionChange)
            OnSelectionChange(this);
        return;
    default:
        break;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 145, 21);
    defaultEraseBackground_ = true;
    items_.OnChange = [this](TObject*) { ItemsChanged(); };
}

void TComboBox::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.WinClassName = L"QvComboBox";
    p.SysClassName = L"COMBOBOX";
    p.Caption.clear();
    p.Style |= CBS_DROPDOWNLIST | WS_VSCROLL;
    // The window's height includes the dropped-down list.
    p.Height = Height() + std::max(dropDownCount_, 1) * 16 + 2;
}

void TComboBox::CreateHandle()
{
    // The closed box keeps the designed height: the selection field is the rest after its frame.
    SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(Height() - 6, 1));
    ItemsChanged();
}

void TComboBox::SetBounds(int left, int top, int width, int height)
{
    TControl::SetBounds(left, top, width, height);
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, left, top, width, height + std::max(dropDownCount_, 1) * 16 + 2,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void TComboBox::ItemsChanged()
{
    if (itemIndex_ >= items_.Count())
        itemIndex_ = -1;
    if (!HandleAllocated())
        return;
    HWND wnd = Handle();
    SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(wnd, CB_RESETCONTENT, 0, 0);
    size_t chars = 0;
    for (const auto& s : items_.Items())
        chars += s.size() + 1;
    // One allocation for the whole list instead of one per item.
    SendMessageW(wnd, CB_INITSTORAGE, items_.Count(), static_cast<LPARAM>(chars * sizeof(wchar_t)));
    for (const auto& s : items_.Items())
        SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(wnd, nullptr, TRUE);
}

int TComboBox::ItemIndex() const
{
    if (HandleAllocated())
        return static_cast<int>(SendMessageW(const_cast<TComboBox*>(this)->Handle(), CB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TComboBox::SetItemIndex(int index)
{
    if (index < -1 || index >= items_.Count())
        index = -1;
    itemIndex_ = index;
    if (HandleAllocated())
        SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring TComboBox::Text() const
{
    int i = ItemIndex();
    return i >= 0 && i < items_.Count() ? items_[i] : std::wstring();
}

void TComboBox::SetText(const std::wstring& value)
{
    int index = -1;
    for (int i = 0; i < items_.Count(); ++i)
        if (items_[i] == value) {
            index = i;
            break;
        }
    SetItemIndex(index);
}

void TComboBox::WndProc(TMessage& m)
{
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == CBN_SELCHANGE) {
            itemIndex_ = ItemIndex();
            if (OnChange)
                OnChange(this);
        }
        return;
    }
    if (m.Msg == WM_WINDOWPOSCHANGED) {
        // The native combo box reports its closed height; keep the designed one.
        int h = Height();
        TWinControl::WndProc(m);
        TControl::SetBounds(Left(), Top(), Width(), h);
        return;
    }
    TWinControl::WndProc(m);
}

} // namespace qv
