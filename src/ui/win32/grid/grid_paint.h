// Paints one frame of the grid control: the header, then the rows that show in the window,
// found by halving over the row tops. Reads the source and the layout; changes nothing.
#pragma once

#include <windows.h>
#undef Yield
#undef DeleteFile
#include <commctrl.h>

#include <cstdint>

#include "ui/grid_palette.h"
#include "ui/grid_source.h"
#include "ui/win32/grid/grid_layout.h"
#include "ui/win32/grid/grid_metrics.h"

namespace hivewarden::ui::win32 {

// Everything one frame shows. Sizes are in pixels of the window's client area.
struct GridScene {
    const GridSource* Source = nullptr;  // nullptr: header and rows are empty
    HIMAGELIST Images = nullptr;
    const GridMetrics* Metrics = nullptr;
    const GridColumnLayout* Columns = nullptr;
    const GridRowLayout* Rows = nullptr;
    int Width = 0;
    int Height = 0;
    int HeaderHeight = 0;
    int CellLineHeight = 0;  // the line of cells at the top of every row
    int RowTextWidth = 0;    // the width the row text wraps in
    int ScrollX = 0;
    int ScrollY = 0;
    std::int32_t SelectedRow = 0;
    bool Focused = false;
    std::int32_t PressedHeader = 0;  // the column whose header is held down, or 0
};

// Where things lie in the client area for this scene. Rows count from 1 and must be laid out.
RECT CellClientRect(const GridScene& scene, std::int32_t row, std::int32_t column);
RECT RowTextClientRect(const GridScene& scene, std::int32_t row);

// The row text colour of a normal theme: dark blue.
inline constexpr COLORREF kRowTextColour = ui::kNormalRowText;

// The colours for the theme in use: the system's own when high contrast is on.
GridPalette CurrentGridPalette();

void PaintGrid(HDC dc, const GridScene& scene);

}  // namespace hivewarden::ui::win32
