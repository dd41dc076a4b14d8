// Binding to the system's visual-styles library, loaded at run time (the program
// also runs where it is missing or the system is too old), and the cache of open
// theme handles, one per theme class.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

using HTHEME = HANDLE;

// The theme classes the library opens, with their default class names.
enum TdxThemeClassKind {
    totButton, totClock, totComboBox, totEdit, totExplorerBar, totHeader, totListView, totMenu, totPage,
    totProgress, totRebar, totScrollBar, totSpin, totStartPanel, totStatus, totTab, totTaskBand, totTaskBar,
    totToolBar, totToolTip, totTrackBar, totTrayNotify, totTreeView, totWindow
};
inline constexpr int dxThemeClassCount = 24;

struct TdxThemeData {
    HTHEME Handle = nullptr;
    std::wstring ClassName;
};

// What the binding needs of the system; tests put their own in its place.
struct TdxUxThemeLoader {
    std::function<bool(DWORD& AMajor, DWORD& AMinor)> GetVersion;
    std::function<HMODULE(const wchar_t* AName)> Load;
    std::function<FARPROC(HMODULE AModule, const char* AName)> Resolve;
    std::function<void(HMODULE AModule)> Free;

    static TdxUxThemeLoader System();
};

// Loads the library (Windows XP or later only) and resolves every entry point; the
// common controls are initialised in every case. Called at start-up; calling it
// again with a loader first shuts the binding down (tests).
void InitializeUxTheme();
void InitializeUxTheme(const TdxUxThemeLoader& ALoader);
void FinalizeUxTheme();

bool IsWinXPOrLater();
bool IsUxThemeLoaded();
// The entry point names, in the order they are resolved.
const char* const* dxUxThemeEntryPointNames(int& ACount);

// Whether the system reports a theme active (at start-up and after each theme change).
bool ThemesActive();
void SetThemesActive(bool Value);

// Themes active and the library loaded; with classes, each of them must open too.
bool AreVisualStylesAvailable(std::initializer_list<TdxThemeClassKind> AClasses = {});

// The cached handle of the class, opened on first use; 0 when it cannot be opened.
// A different class name closes the entry first.
HTHEME OpenTheme(TdxThemeClassKind AKind, const wchar_t* AClassName = nullptr);
// The class's theme with its parts for a display density: at the system's density (or
// where the system cannot open themes for another) the one above, else one of its own.
HTHEME OpenThemeForDpi(TdxThemeClassKind AKind, int ADpi);
// Closes the themes opened for other densities (a theme change, the end).
void CloseDpiThemes();
// 1 when visual styles are unavailable, 0 for an entry without handle, else the system's answer.
HRESULT CloseTheme(TdxThemeClassKind AKind);
// Closes every open handle; the class names stay, so the same classes open again.
void CloseAllThemes();
const TdxThemeData& ThemeData(TdxThemeClassKind AKind);
const wchar_t* dxDefaultThemeClassName(TdxThemeClassKind AKind);

// The system's theme functions (only to be called with a handle from OpenTheme).
HRESULT dxDrawThemeBackground(HTHEME ATheme, HDC DC, int APart, int AState, const RECT& R,
                              const RECT* AClip = nullptr);
HRESULT dxDrawThemeText(HTHEME ATheme, HDC DC, int APart, int AState, const std::wstring& AText, DWORD AFlags,
                        const RECT& R);
HRESULT dxDrawThemeEdge(HTHEME ATheme, HDC DC, int APart, int AState, const RECT& R, UINT AEdge, UINT AFlags,
                        RECT* AContent = nullptr);
HRESULT dxDrawThemeParentBackground(HWND AWnd, HDC DC, const RECT* R);
HRESULT dxGetThemeBackgroundContentRect(HTHEME ATheme, HDC DC, int APart, int AState, const RECT& ABounds,
                                        RECT& AContent);
HRESULT dxGetThemeBackgroundRegion(HTHEME ATheme, HDC DC, int APart, int AState, const RECT& R, HRGN& ARegion);
HRESULT dxGetThemeColor(HTHEME ATheme, int APart, int AState, int AProperty, COLORREF& AColor);
HRESULT dxGetThemePartSize(HTHEME ATheme, HDC DC, int APart, int AState, const RECT* R, int ASizeKind, SIZE& ASize);
bool dxIsThemeBackgroundPartiallyTransparent(HTHEME ATheme, int APart, int AState);
bool dxIsThemeActive();
