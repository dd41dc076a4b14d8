// Theme changes: a hidden window receives the system's WM_THEMECHANGED, closes the
// cached theme handles, reads whether a theme is active, and tells every
// notificator in the order they were made.
#pragma once

#include "framework/Types.h"

#include <functional>
#include <vector>

class TdxThemeChangedNotificator : public qv::TObject {
public:
    // Registered only while the visual-styles library is loaded.
    TdxThemeChangedNotificator();
    ~TdxThemeChangedNotificator() override;
    TdxThemeChangedNotificator(const TdxThemeChangedNotificator&) = delete;
    TdxThemeChangedNotificator& operator=(const TdxThemeChangedNotificator&) = delete;

    std::function<void()> OnThemeChanged;
};

// Owns the hidden window that receives WM_THEMECHANGED.
class TdxThemeChangedEventReceiver : public qv::TObject {
public:
    TdxThemeChangedEventReceiver();
    ~TdxThemeChangedEventReceiver() override;
    TdxThemeChangedEventReceiver(const TdxThemeChangedEventReceiver&) = delete;
    TdxThemeChangedEventReceiver& operator=(const TdxThemeChangedEventReceiver&) = delete;

    HWND WindowHandle() const { return wnd_; }

private:
    void WndProc(HWND AWnd, qv::TMessage& Message);
    HWND wnd_ = nullptr;
};

// The receiver, or nullptr when the library is not loaded.
TdxThemeChangedEventReceiver* dxThemeChangedEventReceiver();
const std::vector<TdxThemeChangedNotificator*>& dxThemeChangedNotificators();

// Start-up (ThemesActive from the system, the receiver) and shut-down of the unit;
// they run before main and at exit, and tests call them again after replacing the binding.
void InitializeThemeManager();
void FinalizeThemeManager();
