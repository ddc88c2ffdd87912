// Pixels per inch of a window, and the system measures at a given DPI, on every Windows the
// program runs on: the per-monitor functions of Windows 10 are looked up at run time, and
// older systems get the system DPI and the plain measures.
#pragma once

#include "ui/win32/win32_headers.h"

namespace hivewarden::ui::win32 {

inline constexpr int kDefaultDpi = 96;
// Sent when the window moves to a monitor of another DPI (Windows 8.1 and later; the headers
// declare it only for builds that require those versions).
inline constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED

// The DPI the window is drawn at (its monitor's with per-monitor awareness); the system's
// DPI without a window or on older systems.
int WindowDpi(HWND window);
// GetSystemMetrics at `dpi`.
int SystemMetricForDpi(int index, int dpi);
// AdjustWindowRectEx at `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD extendedStyle, int dpi);

}  // namespace hivewarden::ui::win32
