// Display scale. Every window is laid out at 96 pixels per inch; a window shown on a
// display of another density has its lengths and font heights scaled by dpi / 96.
// The rounding rule lives here only, so a layout scaled from 96 and back lands where
// it started and the 96-DPI windows are exactly as laid out.
//
// The system's per-window and per-monitor calls are looked up at run time: Windows 7
// has none of them and answers with the system density.
#pragma once

#include <windows.h>

namespace qv {

inline constexpr int kDesignDpi = 96;

// value (a length at fromDpi) at dpi: rounded to the nearest pixel, halves away from zero.
int ScaleDpi(int value, int dpi, int fromDpi = kDesignDpi);
// A length shown at fromDpi, shown at toDpi: by way of its 96-DPI length, so that a
// layout moved between densities lands exactly where it is laid out for each.
int RescaleDpi(int value, int toDpi, int fromDpi);
// A line of one pixel at 96 DPI: one pixel up to 150 %, whole pixels above.
int LineWidthForDpi(int dpi);

// The density of the system (the primary display's, for a process without per-monitor
// awareness).
int SystemDpi();
// The density the window is shown at.
int DpiForWindow(HWND wnd);
// The density of the monitor nearest to a point on the screen.
int DpiForPoint(POINT screen);
// A system metric (SM_CXVSCROLL, ...) at a density.
int SystemMetricForDpi(int index, int dpi);

// Whether the process draws at the display's density itself (the manifest declares
// it; for a program that has no manifest, such as a test, it can be asked for).
bool ProcessIsDpiAware();
void MakeProcessDpiAware();

} // namespace qv
