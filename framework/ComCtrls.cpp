#include "framework/ComCtrls.h"
#include "framework/Dpi.h"

#include <commctrl.h>

namespace qv {

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 0, 19);
    defaultEraseBackground_ = true;
}

void TStatusBar::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.WinClassName = L"QvStatusBar";
    p.SysClassName = STATUSCLASSNAMEW;
    p.Caption.clear();
    // The framework places the bar itself (it is aligned like any other control).
    p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
}

void TStatusBar::CreateHandle() { ApplyPanels(); }

void TStatusBar::SetPanelWidths(const std::vector<int>& widths)
{
    widths_ = widths;
    texts_.assign(widths.size(), std::wstring());
    ApplyPanels();
}

void TStatusBar::ChangeScale(int toDpi, int fromDpi)
{
    TWinControl::ChangeScale(toDpi, fromDpi);
    for (int& w : widths_)
        w = RescaleDpi(w, toDpi, fromDpi);
    ApplyPanels();
}

void TStatusBar::ApplyPanels()
{
    if (!HandleAllocated())
        return;
    std::vector<int> edges;
    int x = 0;
    for (int w : widths_) {
        x += w;
        edges.push_back(x);
    }
    if (edges.empty()) {
        SendMessageW(Handle(), SB_SIMPLE, TRUE, 0);
        return;
    }
    SendMessageW(Handle(), SB_SIMPLE, FALSE, 0);
    SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < texts_.size(); ++i)
        SendMessageW(Handle(), SB_SETTEXTW, i, reinterpret_cast<LPARAM>(texts_[i].c_str()));
}

void TStatusBar::SetPanelText(int index, const std::wstring& text)
{
    texts_.at(index) = text;
    if (!HandleAllocated())
        return;
    SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
    UpdateWindow(Handle());
}

} // namespace qv
