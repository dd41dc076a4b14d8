#include "framework/Menus.h"

#include "framework/Controls.h"

#include <algorithm>

namespace qv {

namespace {

TPopupMenu* g_active = nullptr;

} // namespace

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height)
{
    if (OnMeasureItem)
        OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::Click()
{
    if (OnClick)
        OnClick(this);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner) {}

TPopupMenu::~TPopupMenu()
{
    if (g_active == this)
        g_active = nullptr;
}

TMenuItem* TPopupMenu::Add(const std::wstring& caption, TNotifyEvent onClick)
{
    auto item = new TMenuItem(this);
    item->SetCaption(caption);
    item->OnClick = std::move(onClick);
    items_.push_back(item);
    return item;
}

void TPopupMenu::Clear()
{
    auto items = items_;
    for (TMenuItem* item : items)
        delete item;
    items_.clear();
}

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove)
        items_.erase(std::remove(items_.begin(), items_.end(), component), items_.end());
}

TPopupMenu* TPopupMenu::Active() { return g_active; }

void TPopupMenu::Popup(int x, int y)
{
    popupPoint_ = POINT{x, y};
    if (OnPopup)
        OnPopup(this);

    HMENU menu = CreatePopupMenu();
    std::vector<TMenuItem*> shown;
    for (TMenuItem* item : items_) {
        if (!item->Visible())
            continue;
        shown.push_back(item);
        UINT flags = MF_STRING | (item->Enabled() ? MF_ENABLED : MF_GRAYED);
        AppendMenuW(menu, flags, shown.size(), item->Caption().c_str());
    }
    // The menu needs a window of this thread to report to.
    HWND owner = AllocateHWnd([](HWND wnd, TMessage& m) { m.Result = DefWindowProcW(wnd, m.Msg, m.WParam, m.LParam); });
    SetForegroundWindow(owner);
    TPopupMenu* previous = g_active;
    g_active = this;
    UINT chosen = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_NONOTIFY,
                                 x, y, 0, owner, nullptr);
    g_active = previous;
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    DeallocateHWnd(owner);
    if (chosen > 0 && chosen <= shown.size())
        shown[chosen - 1]->Click();
}

} // namespace qv
