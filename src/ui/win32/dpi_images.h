// The window's bitmaps at the window's DPI: a picture or a strip of equal square images
// loaded from the resources at 96 dpi and scaled, each image on its own, smoothly (pictures,
// icons with alpha) or pixel for pixel (images whose transparent colour must stay exact).
#pragma once

#include "ui/win32/win32_headers.h"

namespace hivewarden::ui::win32 {

enum class Scaling { Smooth, Nearest };

// A 32-bit DIB section of the resource bitmap, each of its `frames` side-by-side images
// scaled from 96 dpi to `dpi`; nullptr when it cannot be loaded. `keepAlpha` false makes every
// pixel opaque (24-bit sources have no alpha). The caller deletes it.
HBITMAP LoadBitmapForDpi(HINSTANCE instance, int resource, int dpi, int frames, Scaling scaling,
                         bool keepAlpha);

}  // namespace hivewarden::ui::win32
