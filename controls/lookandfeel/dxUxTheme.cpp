#include "controls/lookandfeel/dxUxTheme.h"

#include "framework/Dpi.h"
#include "framework/Handles.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <cwctype>

namespace {

const char* const kEntryPoints[] = {
    "CloseThemeData", "DrawThemeBackground", "DrawThemeEdge", "DrawThemeIcon", "DrawThemeParentBackground",
    "DrawThemeText", "EnableThemeDialogTexture", "GetCurrentThemeName", "GetThemeAppProperties",
    "GetThemeBackgroundContentRect", "GetThemeBackgroundRegion", "GetThemeBackgroundExtent", "GetThemeBool",
    "GetThemeColor", "GetThemeDocumentationProperty", "GetThemeEnumValue", "GetThemeFilename", "GetThemeFont",
    "GetThemeInt", "GetThemeIntList", "GetThemeMargins", "GetThemeMetric", "GetThemePartSize", "GetThemePosition",
    "GetThemePropertyOrigin", "GetThemeRect", "GetThemeString", "GetThemeSysBool", "GetThemeSysColor",
    "GetThemeSysColorBrush", "GetThemeSysFont", "GetThemeSysInt", "GetThemeSysSize", "GetThemeSysString",
    "GetThemeTextExtent", "GetThemeTextMetrics", "GetWindowTheme", "HitTestThemeBackground", "IsAppThemed",
    "IsThemeActive", "IsThemePartDefined", "IsThemeBackgroundPartiallyTransparent", "IsThemeDialogTextureEnabled",
    "OpenThemeData", "SetThemeAppProperties", "SetWindowTheme",
};
constexpr int kEntryPointCount = sizeof(kEntryPoints) / sizeof(kEntryPoints[0]);

enum EntryIndex {
    epCloseThemeData = 0, epDrawThemeBackground = 1, epDrawThemeEdge = 2, epDrawThemeParentBackground = 4,
    epDrawThemeText = 5, epGetThemeBackgroundContentRect = 9, epGetThemeBackgroundRegion = 10, epGetThemeColor = 13,
    epGetThemePartSize = 22, epIsThemeActive = 39, epIsThemeBackgroundPartiallyTransparent = 41, epOpenThemeData = 43,
};

const wchar_t* const kDefaultClassNames[dxThemeClassCount] = {
    L"Button", L"Clock", L"ComboBox", L"Edit", L"ExplorerBar", L"Header", L"ListView", L"Menu",
    L"Page", L"Progress", L"Rebar", L"ScrollBar", L"Spin", L"StartPanel", L"Status", L"Tab",
    L"TaskBand", L"TaskBar", L"ToolBar", L"ToolTip", L"TrackBar", L"TrayNotify", L"TreeView", L"Window",
};

struct Binding {
    bool initialized = false;
    bool xpOrLater = false;
    HMODULE module = nullptr;
    FARPROC entries[kEntryPointCount] = {};
    bool themesActive = false;
    TdxThemeData themes[dxThemeClassCount];
    std::function<void(HMODULE)> freeLibrary;
    // Windows 10 draws themes for another density than the system's with themes opened
    // for it; they are kept by class and density.
    std::function<FARPROC(HMODULE, const char*)> resolve;
    bool openForDpiLooked = false;
    FARPROC openForDpi = nullptr;
    std::map<std::pair<int, int>, HTHEME> dpiThemes;
};

// Constructed on first use: other units' start-up may reach the binding first.
Binding& TheBinding()
{
    static Binding binding;
    return binding;
}
#define g_binding TheBinding()

template <class F>
F Entry(EntryIndex index)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(g_binding.entries[index]));
}

std::wstring Upper(std::wstring s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return s;
}

} // namespace

TdxUxThemeLoader TdxUxThemeLoader::System()
{
    TdxUxThemeLoader loader;
    loader.GetVersion = [](DWORD& major, DWORD& minor) {
        // GetVersionEx answers what the manifest allows; the library only needs to know XP or later.
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExW(&info))
            return false;
#pragma GCC diagnostic pop
        major = info.dwMajorVersion;
        minor = info.dwMinorVersion;
        return true;
    };
    loader.Load = [](const wchar_t* name) { return qv::LoadSystemLibrary(name); };
    loader.Resolve = [](HMODULE module, const char* name) { return ::GetProcAddress(module, name); };
    loader.Free = [](HMODULE module) { ::FreeLibrary(module); };
    return loader;
}

void InitializeUxTheme()
{
    if (!g_binding.initialized)
        InitializeUxTheme(TdxUxThemeLoader::System());
}

void InitializeUxTheme(const TdxUxThemeLoader& ALoader)
{
    FinalizeUxTheme();
    g_binding.initialized = true;
    qv::InitCommonControlClasses(ICC_WIN95_CLASSES);
    DWORD major = 0, minor = 0;
    g_binding.xpOrLater = ALoader.GetVersion(major, minor) && (major > 5 || (major == 5 && minor > 0));
    if (!g_binding.xpOrLater)
        return;
    g_binding.module = ALoader.Load(L"UxTheme.dll");
    if (!g_binding.module)
        return;
    g_binding.freeLibrary = ALoader.Free;
    for (int i = 0; i < kEntryPointCount; ++i)
        g_binding.entries[i] = ALoader.Resolve(g_binding.module, kEntryPoints[i]);
    // Looked up when first needed: only a display of another density needs it.
    g_binding.resolve = ALoader.Resolve;
    // A library without the functions the painters call counts as missing.
    for (EntryIndex needed : {epOpenThemeData, epCloseThemeData, epIsThemeActive, epDrawThemeBackground})
        if (!g_binding.entries[needed]) {
            FinalizeUxTheme();
            g_binding.initialized = true;
            return;
        }
}

void FinalizeUxTheme()
{
    if (g_binding.module) {
        for (TdxThemeData& theme : g_binding.themes)
            if (theme.Handle)
                Entry<HRESULT(WINAPI*)(HTHEME)>(epCloseThemeData)(theme.Handle);
        CloseDpiThemes();
        if (g_binding.freeLibrary)
            g_binding.freeLibrary(g_binding.module);
    }
    g_binding = Binding{};
}

bool IsWinXPOrLater() { return g_binding.xpOrLater; }
bool IsUxThemeLoaded() { return g_binding.module != nullptr; }

const char* const* dxUxThemeEntryPointNames(int& ACount)
{
    ACount = kEntryPointCount;
    return kEntryPoints;
}

bool ThemesActive() { return g_binding.themesActive; }
void SetThemesActive(bool Value) { g_binding.themesActive = Value; }

bool AreVisualStylesAvailable(std::initializer_list<TdxThemeClassKind> AClasses)
{
    if (!ThemesActive() || !IsUxThemeLoaded())
        return false;
    for (TdxThemeClassKind kind : AClasses)
        if (!OpenTheme(kind))
            return false;
    return true;
}

const wchar_t* dxDefaultThemeClassName(TdxThemeClassKind AKind) { return kDefaultClassNames[AKind]; }

const TdxThemeData& ThemeData(TdxThemeClassKind AKind) { return g_binding.themes[AKind]; }

HTHEME OpenTheme(TdxThemeClassKind AKind, const wchar_t* AClassName)
{
    if (!AreVisualStylesAvailable())
        return nullptr;
    TdxThemeData& theme = g_binding.themes[AKind];
    if (theme.Handle) {
        if (!AClassName || Upper(AClassName) == Upper(theme.ClassName))
            return theme.Handle;
        CloseTheme(AKind);
    }
    std::wstring name = AClassName ? AClassName : !theme.ClassName.empty() ? theme.ClassName : kDefaultClassNames[AKind];
    theme.Handle = Entry<HTHEME(WINAPI*)(HWND, LPCWSTR)>(epOpenThemeData)(nullptr, name.c_str());
    theme.ClassName = theme.Handle ? name : std::wstring();
    return theme.Handle;
}

HTHEME OpenThemeForDpi(TdxThemeClassKind AKind, int ADpi)
{
    if (ADpi <= 0 || ADpi == qv::SystemDpi() || !AreVisualStylesAvailable())
        return OpenTheme(AKind);
    if (!g_binding.openForDpiLooked) {
        g_binding.openForDpiLooked = true;
        if (g_binding.resolve)
            g_binding.openForDpi = g_binding.resolve(g_binding.module, "OpenThemeDataForDpi");
    }
    if (!g_binding.openForDpi)
        return OpenTheme(AKind);
    const auto key = std::make_pair(static_cast<int>(AKind), ADpi);
    if (auto found = g_binding.dpiThemes.find(key); found != g_binding.dpiThemes.end())
        return found->second;
    const TdxThemeData& theme = g_binding.themes[AKind];
    const std::wstring name = !theme.ClassName.empty() ? theme.ClassName : kDefaultClassNames[AKind];
    using TOpenForDpi = HTHEME(WINAPI*)(HWND, LPCWSTR, UINT);
    HTHEME handle = reinterpret_cast<TOpenForDpi>(reinterpret_cast<void*>(g_binding.openForDpi))(
        nullptr, name.c_str(), static_cast<UINT>(ADpi));
    if (!handle)
        return OpenTheme(AKind);
    g_binding.dpiThemes[key] = handle;
    return handle;
}

void CloseDpiThemes()
{
    if (!g_binding.entries[epCloseThemeData])
        return;
    for (auto& [key, handle] : g_binding.dpiThemes)
        Entry<HRESULT(WINAPI*)(HTHEME)>(epCloseThemeData)(handle);
    g_binding.dpiThemes.clear();
}

HRESULT CloseTheme(TdxThemeClassKind AKind)
{
    if (!AreVisualStylesAvailable())
        return 1;
    TdxThemeData& theme = g_binding.themes[AKind];
    if (!theme.Handle)
        return 0;
    const HRESULT result = Entry<HRESULT(WINAPI*)(HTHEME)>(epCloseThemeData)(theme.Handle);
    theme.Handle = nullptr;
    theme.ClassName.clear();
    return result;
}

void CloseAllThemes()
{
    if (!IsUxThemeLoaded())
        return;
    CloseDpiThemes();
    for (TdxThemeData& theme : g_binding.themes)
        if (theme.Handle) {
            Entry<HRESULT(WINAPI*)(HTHEME)>(epCloseThemeData)(theme.Handle);
            theme.Handle = nullptr;
        }
}

HRESULT dxDrawThemeBackground(HTHEME ATheme, HDC DC, int APart, int AState, const RECT& R, const RECT* AClip)
{
    return Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*)>(epDrawThemeBackground)(
        ATheme, DC, APart, AState, &R, AClip);
}

HRESULT dxDrawThemeText(HTHEME ATheme, HDC DC, int APart, int AState, const std::wstring& AText, DWORD AFlags,
                        const RECT& R)
{
    auto f = Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*)>(epDrawThemeText);
    return f ? f(ATheme, DC, APart, AState, AText.c_str(), -1, AFlags, 0, &R) : E_NOTIMPL;
}

HRESULT dxDrawThemeEdge(HTHEME ATheme, HDC DC, int APart, int AState, const RECT& R, UINT AEdge, UINT AFlags,
                        RECT* AContent)
{
    auto f = Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*)>(epDrawThemeEdge);
    return f ? f(ATheme, DC, APart, AState, &R, AEdge, AFlags, AContent) : E_NOTIMPL;
}

HRESULT dxDrawThemeParentBackground(HWND AWnd, HDC DC, const RECT* R)
{
    auto f = Entry<HRESULT(WINAPI*)(HWND, HDC, const RECT*)>(epDrawThemeParentBackground);
    return f ? f(AWnd, DC, R) : E_NOTIMPL;
}

HRESULT dxGetThemeBackgroundContentRect(HTHEME ATheme, HDC DC, int APart, int AState, const RECT& ABounds,
                                        RECT& AContent)
{
    auto f = Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, RECT*)>(epGetThemeBackgroundContentRect);
    return f ? f(ATheme, DC, APart, AState, &ABounds, &AContent) : E_NOTIMPL;
}

HRESULT dxGetThemeBackgroundRegion(HTHEME ATheme, HDC DC, int APart, int AState, const RECT& R, HRGN& ARegion)
{
    auto f = Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, HRGN*)>(epGetThemeBackgroundRegion);
    return f ? f(ATheme, DC, APart, AState, &R, &ARegion) : E_NOTIMPL;
}

HRESULT dxGetThemeColor(HTHEME ATheme, int APart, int AState, int AProperty, COLORREF& AColor)
{
    auto f = Entry<HRESULT(WINAPI*)(HTHEME, int, int, int, COLORREF*)>(epGetThemeColor);
    return f ? f(ATheme, APart, AState, AProperty, &AColor) : E_NOTIMPL;
}

HRESULT dxGetThemePartSize(HTHEME ATheme, HDC DC, int APart, int AState, const RECT* R, int ASizeKind, SIZE& ASize)
{
    auto f = Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, int, SIZE*)>(epGetThemePartSize);
    return f ? f(ATheme, DC, APart, AState, R, ASizeKind, &ASize) : E_NOTIMPL;
}

bool dxIsThemeBackgroundPartiallyTransparent(HTHEME ATheme, int APart, int AState)
{
    auto f = Entry<BOOL(WINAPI*)(HTHEME, int, int)>(epIsThemeBackgroundPartiallyTransparent);
    return f && f(ATheme, APart, AState);
}

bool dxIsThemeActive() { return IsUxThemeLoaded() && Entry<BOOL(WINAPI*)()>(epIsThemeActive)() != 0; }

namespace {

struct UxThemeUnit {
    UxThemeUnit() { InitializeUxTheme(); }
    ~UxThemeUnit() { FinalizeUxTheme(); }
} g_unit;

} // namespace
