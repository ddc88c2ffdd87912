// Writing the custom-search report.
#include "custom/custom_report.h"

namespace hivewarden::custom {

std::string CustomReportText(const CustomGrid& grid) {
    std::string text(kCustomReportHeader);
    text += "\r\n";
    for (const CustomRow& row : grid.Rows) {
        for (std::int32_t column = kCustomColumnAction; column <= kCustomColumnBody; ++column) {
            if (column != kCustomColumnAction) text += ';';
            text += CustomCellText(row, column);
        }
        text += "\r\n";
    }
    return text;
}

bool WriteCustomReport(const CustomGrid& grid, std::ostream& out) {
    const std::string text = CustomReportText(grid);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

}  // namespace hivewarden::custom
