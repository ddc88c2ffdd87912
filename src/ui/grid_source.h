// What a grid control paints: the columns and the cells of one result grid, read by row and
// column (both counted from 1). The grid models (results, custom hits) answer it; the Win32
// grid control only paints it and turns mouse and keys into the grid's events.
#pragma once

#include <cstdint>
#include <string>

namespace hivewarden::ui {

// How a column's cells are drawn. Every row of a column is drawn alike.
enum class CellFormat {
    Plain,         // one line, clipped at the cell's edge
    IconOnly,      // the cell's icon, no text
    BoldEllipsis,  // Tahoma 8 points bold, one line, an ellipsis where it is cut
};

struct GridColumnSpec {
    std::string Key;
    std::string Header;
    bool Shown = true;
    std::int32_t Width = 100;  // pixels at 96 dpi
    bool SortByIcon = false;   // sorted by icon index rather than text
    CellFormat Format = CellFormat::Plain;
};

class GridSource {
  public:
    virtual ~GridSource() = default;

    virtual std::int32_t ColumnCount() const = 0;
    virtual const GridColumnSpec& Column(std::int32_t column) const = 0;
    // The row-text column: its text is drawn on lines of its own beneath the row's cells,
    // dark blue, wrapped at word boundaries, starting at the left edge of RowTextStart().
    // 0 when the grid has none.
    virtual std::int32_t RowTextColumn() const = 0;
    virtual std::int32_t RowTextStart() const = 0;

    virtual std::int32_t RowCount() const = 0;
    virtual std::string CellText(std::int32_t row, std::int32_t column) const = 0;
    // Index into the attached image list; -1 for no icon.
    virtual std::int32_t CellIcon(std::int32_t row, std::int32_t column) const = 0;
};

}  // namespace hivewarden::ui
