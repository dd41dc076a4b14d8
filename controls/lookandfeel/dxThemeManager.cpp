#include "controls/lookandfeel/dxThemeManager.h"

#include "controls/lookandfeel/dxUxTheme.h"
#include "framework/Controls.h"

#include <algorithm>
#include <memory>

using namespace qv;

namespace {

struct Manager {
    std::unique_ptr<TdxThemeChangedEventReceiver> receiver;
    std::vector<TdxThemeChangedNotificator*> notificators;
};

Manager& TheManager()
{
    static Manager manager;
    return manager;
}

bool Registered(TdxThemeChangedNotificator* n)
{
    const auto& list = TheManager().notificators;
    return std::find(list.begin(), list.end(), n) != list.end();
}

} // namespace

TdxThemeChangedNotificator::TdxThemeChangedNotificator()
{
    if (IsUxThemeLoaded())
        TheManager().notificators.push_back(this);
}

TdxThemeChangedNotificator::~TdxThemeChangedNotificator()
{
    auto& list = TheManager().notificators;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

TdxThemeChangedEventReceiver::TdxThemeChangedEventReceiver()
{
    wnd_ = AllocateHWnd([this](HWND wnd, TMessage& m) { WndProc(wnd, m); });
}

TdxThemeChangedEventReceiver::~TdxThemeChangedEventReceiver()
{
    SetThemesActive(false);
    DeallocateHWnd(wnd_);
}

void TdxThemeChangedEventReceiver::WndProc(HWND AWnd, TMessage& Message)
{
    if (Message.Msg != WM_THEMECHANGED) {
        Message.Result = DefWindowProcW(AWnd, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    // An exception here reaches the application's handler (the hidden window's procedure sends it there).
    CloseAllThemes();
    SetThemesActive(dxIsThemeActive());
    Message.Result = 0;
    // Notificators may come and go while they are told: those still registered are told once.
    const std::vector<TdxThemeChangedNotificator*> snapshot = TheManager().notificators;
    for (TdxThemeChangedNotificator* n : snapshot)
        if (Registered(n) && n->OnThemeChanged)
            n->OnThemeChanged();
}

TdxThemeChangedEventReceiver* dxThemeChangedEventReceiver() { return TheManager().receiver.get(); }

const std::vector<TdxThemeChangedNotificator*>& dxThemeChangedNotificators() { return TheManager().notificators; }

void InitializeThemeManager()
{
    InitializeUxTheme();
    if (!IsUxThemeLoaded() || TheManager().receiver)
        return;
    SetThemesActive(dxIsThemeActive());
    TheManager().receiver = std::make_unique<TdxThemeChangedEventReceiver>();
}

void FinalizeThemeManager()
{
    TheManager().receiver.reset();
    CloseAllThemes();
    TheManager().notificators.clear();
}

namespace {

struct ThemeManagerUnit {
    ThemeManagerUnit() { InitializeThemeManager(); }
    ~ThemeManagerUnit() { FinalizeThemeManager(); }
} g_unit;

} // namespace
