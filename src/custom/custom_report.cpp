// Writing the custom-search report.
#include "custom/custom_report.h"

namespace hivewarden::custom {

bool WriteCustomReport(const CustomGrid& grid, std::ostream& out) {
    out << kCustomReportHeader << "\r\n";
    for (const CustomRow& row : grid.Rows) {
        for (std::int32_t column = kCustomColumnAction; column <= kCustomColumnBody; ++column) {
            if (column != kCustomColumnAction) out << ';';
            out << CustomCellText(row, column);
        }
        out << "\r\n";
    }
    return static_cast<bool>(out);
}

}  // namespace hivewarden::custom
