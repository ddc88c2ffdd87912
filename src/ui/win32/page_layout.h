// The main window's controls as data: class, caption, style, place and the page each belongs
// to, in creation order (which is also the tab order). Coordinates are client pixels at 96 dpi.
#pragma once

#include <optional>
#include <span>

#include "ui/view.h"
#include "ui/win32/win32_headers.h"

namespace hivewarden::ui::win32 {

enum class FontKind { Label, Bold, Title, Small, Counter };

// Where a control lives besides a page: always shown, or only in the expanded layout.
enum class Placement { OnPage, Always, SummaryBox, ButtonRow, Separator };

struct ControlSpec {
    int Id;
    const wchar_t* Class;
    const char* Text;  // UTF-8
    DWORD Style;
    int X, Y, Width, Height;
    Placement Where;
    Page OnPage;  // for Placement::OnPage
    FontKind Font;
};

std::span<const ControlSpec> MainWindowControls();

// The accessible name of a control that has no caption of its own (edit boxes, lists, grids,
// progress bars, drop-downs, pictures): its own name where it has one, else the text of the
// nearest label before it on its page. nullptr for labels and buttons (their caption is their
// name) and for ids not in the table.
const char* AccessibleNameFor(int id);

// The client width, and the two layouts' heights (the window's outer height) and the tops of
// the separator line and the button row.
inline constexpr int kClientWidth = 600;
struct LayoutMetrics {
    int WindowHeight;
    int SeparatorTop;
    int ButtonTop;
};
inline constexpr LayoutMetrics kCompactLayout{400, 330, 340};
inline constexpr LayoutMetrics kExpandedLayout{512, 440, 450};

}  // namespace hivewarden::ui::win32
