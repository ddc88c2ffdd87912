// Child-window ids of the main window: every named control, the summary counters and the
// fixed labels. Every control is a direct child of the main window, so GetDlgItem finds it
// by id; the end-to-end driver uses the same ids. No <windows.h> here.
#pragma once

#include "scan/results/summary_counters.h"
#include "ui/view.h"

namespace hivewarden::ui::win32 {

// A named control's id.
constexpr int ControlId(Control control) { return 1000 + static_cast<int>(control); }
// A summary counter's label.
constexpr int CounterId(scan::Counter counter) { return 1200 + static_cast<int>(counter); }
// Labels, pictures and frames without a name of their own start here.
inline constexpr int kFirstPlainId = 1400;

}  // namespace hivewarden::ui::win32
