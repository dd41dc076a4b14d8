#include "framework/Dpi.h"

#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace qv {

namespace {

// The user-interface library's newer entry points, found once.
struct TDpiCalls {
    UINT(WINAPI* GetDpiForWindow)(HWND) = nullptr;
    UINT(WINAPI* GetDpiForSystem)() = nullptr;
    int(WINAPI* GetSystemMetricsForDpi)(int, UINT) = nullptr;
    BOOL(WINAPI* SetProcessDpiAwarenessContext)(DPI_AWARENESS_CONTEXT) = nullptr;
    DPI_AWARENESS_CONTEXT(WINAPI* GetThreadDpiAwarenessContext)() = nullptr;
    DPI_AWARENESS(WINAPI* GetAwarenessFromDpiAwarenessContext)(DPI_AWARENESS_CONTEXT) = nullptr;
    BOOL(WINAPI* SetProcessDPIAware)() = nullptr;
    BOOL(WINAPI* IsProcessDPIAware)() = nullptr;
    // shcore (Windows 8.1 and later)
    HRESULT(WINAPI* GetDpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;

    TDpiCalls()
    {
        if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
            Find(user, "GetDpiForWindow", GetDpiForWindow);
            Find(user, "GetDpiForSystem", GetDpiForSystem);
            Find(user, "GetSystemMetricsForDpi", GetSystemMetricsForDpi);
            Find(user, "SetProcessDpiAwarenessContext", SetProcessDpiAwarenessContext);
            Find(user, "GetThreadDpiAwarenessContext", GetThreadDpiAwarenessContext);
            Find(user, "GetAwarenessFromDpiAwarenessContext", GetAwarenessFromDpiAwarenessContext);
            Find(user, "SetProcessDPIAware", SetProcessDPIAware);
            Find(user, "IsProcessDPIAware", IsProcessDPIAware);
        }
        if (shcore_)
            Find(static_cast<HMODULE>(shcore_.Get()), "GetDpiForMonitor", GetDpiForMonitor);
    }

    template <class F>
    static void Find(HMODULE module, const char* name, F& fn)
    {
        fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

private:
    TModule shcore_{LoadSystemLibrary(L"shcore.dll")};
};

const TDpiCalls& Calls()
{
    static const TDpiCalls calls;
    return calls;
}

int ScreenDensity()
{
    TScreenCanvas screen;
    const int dpi = screen.Handle() ? GetDeviceCaps(screen.Handle(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDesignDpi;
}

} // namespace

int ScaleDpi(int value, int dpi, int fromDpi)
{
    if (dpi == fromDpi || fromDpi <= 0)
        return value;
    return MulDiv(value, dpi, fromDpi);
}

int RescaleDpi(int value, int toDpi, int fromDpi)
{
    if (toDpi == fromDpi)
        return value;
    return ScaleDpi(ScaleDpi(value, kDesignDpi, fromDpi), toDpi);
}

int LineWidthForDpi(int dpi) { return dpi <= kDesignDpi * 3 / 2 ? 1 : (dpi + kDesignDpi / 2) / kDesignDpi; }

int SystemDpi()
{
    if (Calls().GetDpiForSystem)
        return static_cast<int>(Calls().GetDpiForSystem());
    return ScreenDensity();
}

int DpiForWindow(HWND wnd)
{
    if (wnd && Calls().GetDpiForWindow)
        if (const UINT dpi = Calls().GetDpiForWindow(wnd))
            return static_cast<int>(dpi);
    return SystemDpi();
}

int DpiForPoint(POINT screen)
{
    if (Calls().GetDpiForMonitor)
        if (HMONITOR monitor = MonitorFromPoint(screen, MONITOR_DEFAULTTONEAREST)) {
            UINT x = 0, y = 0;
            // MDT_EFFECTIVE_DPI
            if (SUCCEEDED(Calls().GetDpiForMonitor(monitor, 0, &x, &y)) && y > 0)
                return static_cast<int>(y);
        }
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi)
{
    if (Calls().GetSystemMetricsForDpi)
        return Calls().GetSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    // The system's metrics are those of its own density.
    return ScaleDpi(GetSystemMetrics(index), dpi, SystemDpi());
}

bool ProcessIsDpiAware()
{
    if (Calls().GetThreadDpiAwarenessContext && Calls().GetAwarenessFromDpiAwarenessContext)
        return Calls().GetAwarenessFromDpiAwarenessContext(Calls().GetThreadDpiAwarenessContext())
            != DPI_AWARENESS_UNAWARE;
    if (Calls().IsProcessDPIAware)
        return Calls().IsProcessDPIAware() != FALSE;
    return false;
}

void MakeProcessDpiAware()
{
    if (ProcessIsDpiAware())
        return;
    if (Calls().SetProcessDpiAwarenessContext
        && (Calls().SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)
            || Calls().SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)))
        return;
    if (Calls().SetProcessDPIAware)
        Calls().SetProcessDPIAware();
}

} // namespace qv
