// Writing the results report.
#include "scan/results_report.h"

namespace hivewarden::scan {

bool WriteResultsReport(const ResultGrid& grid, std::ostream& out) {
    out << kResultsReportHeader << "\r\n";
    for (const ResultRow& row : grid.Rows) {
        for (std::int32_t column = kColumnCorrection; column <= kColumnBody; ++column) {
            if (column != kColumnCorrection) out << ';';
            out << CellText(row, column);
        }
        out << "\r\n";
    }
    return static_cast<bool>(out);
}

}  // namespace hivewarden::scan
