// What a screen reader says for one row of a result grid: a name made of the row's own cells
// (its action, its description, any other shown value, and the key or file it is about).
// Portable; the Win32 accessible object of the grid control reads it.
#pragma once

#include <cstdint>
#include <string>

#include "ui/grid_source.h"

namespace hivewarden::ui {

// The shown text cells in column order, then the row text, joined by ", ". The first text
// column (the action) and the description column stand as they are; any other cell is named
// by its header ("Fixed Value: C:\New"). Icon-only and hidden columns and empty cells are left
// out. A row that does not exist has the empty name.
//   "Delete, File not found - C:\Old\tool.exe, HKEY_LOCAL_MACHINE\Software\Old"
std::string GridRowAccessibleName(const GridSource& source, std::int32_t row);

}  // namespace hivewarden::ui
