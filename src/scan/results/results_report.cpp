// Writing the results report.
#include "scan/results/results_report.h"

namespace hivewarden::scan {

std::string ResultsReportText(const ResultGrid& grid) {
    std::string text(kResultsReportHeader);
    text += "\r\n";
    for (const ResultRow& row : grid.Rows) {
        for (std::int32_t column = kColumnCorrection; column <= kColumnBody; ++column) {
            if (column != kColumnCorrection) text += ';';
            text += CellText(row, column);
        }
        text += "\r\n";
    }
    return text;
}

bool WriteResultsReport(const ResultGrid& grid, std::ostream& out) {
    const std::string text = ResultsReportText(grid);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

}  // namespace hivewarden::scan
