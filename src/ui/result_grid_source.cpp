// Columns and cells of the two result grids for the grid control.
#include "ui/result_grid_source.h"

namespace hivewarden::ui {
namespace {

constexpr std::int32_t kDefaultWidth = 90;
constexpr std::int32_t kIconColumnWidth = 62;

template <typename Infos>
std::vector<GridColumnSpec> MakeColumns(const Infos& infos, std::int32_t gridWidth,
                                        std::int32_t wideColumn) {
    std::vector<GridColumnSpec> columns;
    std::int32_t position = 1;
    for (const auto& info : infos) {
        GridColumnSpec spec;
        spec.Key = std::string(info.Key);
        spec.Header = std::string(info.Header);
        spec.Shown = info.Shown;
        spec.Width = position == 1 ? kIconColumnWidth : kDefaultWidth;
        if (position == 1) {
            spec.SortByIcon = true;
            spec.Format = CellFormat::IconOnly;
        }
        if (position == wideColumn) spec.Width = 2 * gridWidth;
        columns.push_back(std::move(spec));
        ++position;
    }
    return columns;
}

const GridColumnSpec& ColumnAt(const std::vector<GridColumnSpec>& columns, std::int32_t column) {
    return columns.at(static_cast<std::size_t>(column - 1));
}

}  // namespace

ResultGridSource::ResultGridSource(const scan::ResultGrid& grid, std::int32_t gridWidth)
    : grid_(grid), columns_(MakeColumns(scan::kGridColumns, gridWidth, scan::kColumnErrorKind)) {
    columns_[scan::kColumnErrorKind - 1].Format = CellFormat::BoldEllipsis;
}

std::int32_t ResultGridSource::ColumnCount() const {
    return static_cast<std::int32_t>(columns_.size());
}

const GridColumnSpec& ResultGridSource::Column(std::int32_t column) const {
    return ColumnAt(columns_, column);
}

std::string ResultGridSource::CellText(std::int32_t row, std::int32_t column) const {
    return scan::CellText(grid_.Row(row), column);
}

std::int32_t ResultGridSource::CellIcon(std::int32_t row, std::int32_t column) const {
    if (column != scan::kColumnImg) return -1;
    return scan::IconIndex(grid_.Row(row).IconKey);
}

CustomGridSource::CustomGridSource(const custom::CustomGrid& grid, std::int32_t gridWidth)
    : grid_(grid),
      columns_(MakeColumns(custom::kCustomColumns, gridWidth, custom::kCustomColumnString)) {
    // Tahoma 8 points bold, as the results grid's Error Kind column.
    columns_[custom::kCustomColumnString - 1].Format = CellFormat::BoldEllipsis;
}

std::int32_t CustomGridSource::ColumnCount() const {
    return static_cast<std::int32_t>(columns_.size());
}

const GridColumnSpec& CustomGridSource::Column(std::int32_t column) const {
    return ColumnAt(columns_, column);
}

std::string CustomGridSource::CellText(std::int32_t row, std::int32_t column) const {
    return custom::CustomCellText(grid_.Row(row), column);
}

std::int32_t CustomGridSource::CellIcon(std::int32_t row, std::int32_t column) const {
    if (column != custom::kCustomColumnImg) return -1;
    return grid_.Row(row).ImageKey == custom::kImageKey ? 0 : 1;
}

}  // namespace hivewarden::ui
