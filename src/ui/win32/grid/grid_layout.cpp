// Row and column geometry of the grid control.
#include "ui/win32/grid/grid_layout.h"

#include <algorithm>

namespace hivewarden::ui::win32 {

void GridRowLayout::Truncate(std::int32_t count) {
    if (count < 0) count = 0;
    if (count < Count()) tops_.resize(static_cast<std::size_t>(count) + 1);
}

void GridRowLayout::SetHeight(std::int32_t row, int height) {
    const int change = height - Height(row);
    if (change == 0) return;
    for (auto k = static_cast<std::size_t>(row); k < tops_.size(); ++k) tops_[k] += change;
}

std::int32_t GridRowLayout::RowAt(int y) const {
    if (y < 0 || y >= TotalHeight()) return 0;
    // The first top beyond y is the bottom of the row that covers y.
    const auto above = std::upper_bound(tops_.begin(), tops_.end(), y);
    return static_cast<std::int32_t>(above - tops_.begin());
}

void GridColumnLayout::Build(const GridSource* source, int dpi) {
    places_.clear();
    shown_.clear();
    totalWidth_ = 0;
    rowTextLeft_ = 0;
    rowTextColumn_ = 0;
    if (source == nullptr) return;

    const std::int32_t count = source->ColumnCount();
    const std::int32_t textColumn = source->RowTextColumn();
    int x = 0;
    for (std::int32_t column = 1; column <= count; ++column) {
        const GridColumnSpec& info = source->Column(column);
        GridColumnPlace place{x, 0};
        // The row-text column is drawn beneath the cells, so it takes no room across.
        if (info.Shown && column != textColumn) {
            place.Width = std::max(0, (info.Width * dpi + 48) / 96);
            shown_.push_back(column);
        }
        places_.push_back(place);
        x += place.Width;
    }
    totalWidth_ = x;
    if (textColumn >= 1 && textColumn <= count && source->Column(textColumn).Shown) {
        rowTextColumn_ = textColumn;
        rowTextLeft_ = Place(source->RowTextStart()).Left;
    }
}

GridColumnPlace GridColumnLayout::Place(std::int32_t column) const {
    if (column < 1 || column > ColumnCount()) return {};
    return places_[static_cast<std::size_t>(column - 1)];
}

std::int32_t GridColumnLayout::ColumnAt(int x) const {
    for (const std::int32_t column : shown_) {
        const GridColumnPlace place = Place(column);
        if (x >= place.Left && x < place.Left + place.Width) return column;
    }
    return 0;
}

}  // namespace hivewarden::ui::win32
