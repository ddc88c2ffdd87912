// Names of grid rows for screen readers.
#include "ui/grid_accessible_name.h"

namespace hivewarden::ui {

std::string GridRowAccessibleName(const GridSource& source, std::int32_t row) {
    if (row < 1 || row > source.RowCount()) return {};
    const std::int32_t rowTextColumn = source.RowTextColumn();
    std::string name;
    const auto append = [&name](const std::string& part) {
        if (part.empty()) return;
        if (!name.empty()) name += ", ";
        name += part;
    };
    bool firstText = true;
    for (std::int32_t column = 1; column <= source.ColumnCount(); ++column) {
        const GridColumnSpec& spec = source.Column(column);
        if (!spec.Shown || spec.Format == CellFormat::IconOnly || column == rowTextColumn) {
            continue;
        }
        const bool plain = firstText || column == source.RowTextStart();
        firstText = false;
        const std::string text = source.CellText(row, column);
        if (text.empty()) continue;
        append(plain || spec.Header.empty() ? text : spec.Header + ": " + text);
    }
    if (rowTextColumn != 0) append(source.CellText(row, rowTextColumn));
    return name;
}

}  // namespace hivewarden::ui
