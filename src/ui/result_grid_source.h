// The two result grids as the grid control paints them: lstFound over the results model and
// lstCustomSearching over the custom-hit model, with their columns, widths and cell formats.
// Reads the models only; sorting and edits stay with the models.
#pragma once

#include <cstdint>
#include <vector>

#include "custom/custom_grid.h"
#include "scan/results/result_rows.h"
#include "ui/grid_source.h"

namespace hivewarden::ui {

class ResultGridSource final : public GridSource {
  public:
    // `gridWidth`: the grid's own width in pixels; the Error Kind column is twice as wide.
    ResultGridSource(const scan::ResultGrid& grid, std::int32_t gridWidth);

    std::int32_t ColumnCount() const override;
    const GridColumnSpec& Column(std::int32_t column) const override;
    std::int32_t RowTextColumn() const override { return scan::kColumnBody; }
    std::int32_t RowTextStart() const override { return scan::kColumnErrorKind; }
    std::int32_t RowCount() const override { return grid_.RowCount(); }
    std::string CellText(std::int32_t row, std::int32_t column) const override;
    std::int32_t CellIcon(std::int32_t row, std::int32_t column) const override;

  private:
    const scan::ResultGrid& grid_;
    std::vector<GridColumnSpec> columns_;
};

class CustomGridSource final : public GridSource {
  public:
    CustomGridSource(const custom::CustomGrid& grid, std::int32_t gridWidth);

    std::int32_t ColumnCount() const override;
    const GridColumnSpec& Column(std::int32_t column) const override;
    std::int32_t RowTextColumn() const override { return custom::kCustomColumnBody; }
    std::int32_t RowTextStart() const override { return custom::kCustomColumnString; }
    std::int32_t RowCount() const override { return grid_.RowCount(); }
    std::string CellText(std::int32_t row, std::int32_t column) const override;
    // 0 for "Key", 1 for "Value" (the order of the grid's image list).
    std::int32_t CellIcon(std::int32_t row, std::int32_t column) const override;

  private:
    const custom::CustomGrid& grid_;
    std::vector<GridColumnSpec> columns_;
};

}  // namespace hivewarden::ui
