// Popup menus: a component holding items, shown with the system's menu.
#pragma once

#include "framework/Classes.h"
#include "framework/Graphics.h"

#include <memory>
#include <vector>

namespace qv {

class TMenuItem;
using TMenuMeasureItemEvent = std::function<void(TObject* sender, TCanvas& canvas, int& width, int& height)>;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& value) { caption_ = value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { visible_ = value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }

    // The size an owner-drawn item asks for, measured on canvas.
    virtual void MeasureItem(TCanvas& canvas, int& width, int& height);
    virtual void Click();

    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;

private:
    std::wstring caption_;
    bool visible_ = true;
    bool enabled_ = true;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // The items, in order; they belong to the menu.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(index); }
    TMenuItem* Add(const std::wstring& caption, TNotifyEvent onClick = nullptr);
    void Clear();

    // Shown by a control's context-menu request (right click, menu key).
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool value) { autoPopup_ = value; }
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool value) { ownerDraw_ = value; }

    // Shows the menu with its top-left corner at (x, y) in screen coordinates and
    // returns when it closes; a chosen item is clicked after that.
    virtual void Popup(int x, int y);
    // Where the menu was last shown.
    POINT PopupPoint() const { return popupPoint_; }
    // The menu on screen now, or nullptr.
    static TPopupMenu* Active();

    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::vector<TMenuItem*> items_;
    bool autoPopup_ = true;
    bool ownerDraw_ = false;
    POINT popupPoint_{0, 0};
};

} // namespace qv
