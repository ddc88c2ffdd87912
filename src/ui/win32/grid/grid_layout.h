// Geometry of the grid control in content pixels: where each shown column lies across, and
// where each row lies down (cached heights as prefix sums, searched by halving). Knows nothing
// of windows, fonts or drawing; the control measures the heights and hands them in.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/grid_source.h"

namespace hivewarden::ui::win32 {

// Rows are numbered from 1. Tops are offsets from the top of the first row.
class GridRowLayout {
  public:
    std::int32_t Count() const { return static_cast<std::int32_t>(tops_.size()) - 1; }
    void Clear() { tops_.assign(1, 0); }
    void Append(int height) { tops_.push_back(tops_.back() + height); }
    // Drops the rows after `count`.
    void Truncate(std::int32_t count);
    void SetHeight(std::int32_t row, int height);

    int Top(std::int32_t row) const { return tops_[static_cast<std::size_t>(row - 1)]; }
    int Bottom(std::int32_t row) const { return tops_[static_cast<std::size_t>(row)]; }
    int Height(std::int32_t row) const { return Bottom(row) - Top(row); }
    int TotalHeight() const { return tops_.back(); }
    // The row that covers offset y; 0 above the first row or below the last.
    std::int32_t RowAt(int y) const;

  private:
    std::vector<int> tops_ = {0};  // tops_[k]: total height of rows 1 .. k
};

// A column as it lies across the grid; a hidden column has width 0 where it would start.
struct GridColumnPlace {
    int Left = 0;
    int Width = 0;
};

class GridColumnLayout {
  public:
    // `dpi`: the screen's pixels per inch; widths are given at 96.
    void Build(const GridSource* source, int dpi);

    std::int32_t ColumnCount() const { return static_cast<std::int32_t>(places_.size()); }
    // Column numbers count from 1; numbers out of range give an empty place at 0.
    GridColumnPlace Place(std::int32_t column) const;
    bool TakesSpace(std::int32_t column) const { return Place(column).Width > 0; }
    // The shown cell columns from left to right.
    const std::vector<std::int32_t>& ShownColumns() const { return shown_; }
    // The column whose cell covers offset x; 0 when none does.
    std::int32_t ColumnAt(int x) const;
    int TotalWidth() const { return totalWidth_; }
    // Where the row text starts across; 0 when the grid has no row text.
    int RowTextLeft() const { return rowTextLeft_; }
    bool HasRowText() const { return rowTextColumn_ != 0; }
    std::int32_t RowTextColumn() const { return rowTextColumn_; }

  private:
    std::vector<GridColumnPlace> places_;
    std::vector<std::int32_t> shown_;
    int totalWidth_ = 0;
    int rowTextLeft_ = 0;
    std::int32_t rowTextColumn_ = 0;
};

}  // namespace hivewarden::ui::win32
