// The grid control as screen readers see it (MSAA IAccessible, handed out through
// WM_GETOBJECT): a list whose children are the rows, each named from its cells, with the
// selected row selected (and focused while the grid has the focus); a row's default action
// opens its action drop-down. Also the names that the window gives its other controls.
#pragma once

#include "ui/win32/win32_headers.h"

namespace hivewarden::ui::win32 {

// The answer to WM_GETOBJECT sent to a grid control: its accessible object for OBJID_CLIENT;
// 0 for any other object, which leaves it to the system.
LRESULT GridAccessibleObject(HWND grid, WPARAM wParam, LPARAM objectId);

// Tells screen readers that the grid's selected row changed (row 0: none) and, when the grid
// has the focus, that the focus moved with it.
void AnnounceGridSelection(HWND grid, int row);
// Tells screen readers that the grid's rows were replaced, sorted or removed.
void AnnounceGridRowsChanged(HWND grid);

// Gives a control the accessible name `name` (UTF-8; it must outlive the control, as a string
// literal does): the grid reads it for itself, and every other control answers WM_GETOBJECT
// with the system's own object for it under this name.
void SetAccessibleName(HWND control, const char* name);
// The name given with SetAccessibleName, or nullptr.
const char* AccessibleNameOf(HWND control);

}  // namespace hivewarden::ui::win32
