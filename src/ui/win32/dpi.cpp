// DPI queries through the per-monitor functions where the system has them.
#include "ui/win32/dpi.h"

#include "files/win32_system.h"

namespace hivewarden::ui::win32 {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Function>
Function User32Function(const char* name) {
    return registry::win32::SystemFunction<Function>("user32.dll", name);
}

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

int WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (window != nullptr && getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto forDpi =
        User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (forDpi != nullptr) return forDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD extendedStyle, int dpi) {
    static const auto forDpi =
        User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    if (forDpi != nullptr && forDpi(&rect, style, FALSE, extendedStyle, static_cast<UINT>(dpi))) {
        return;
    }
    AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
}

}  // namespace hivewarden::ui::win32
