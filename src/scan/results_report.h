// The results report: the results grid as semicolon-separated text, rows in the grid's current
// order. Writes to a stream; choosing and opening the file is the caller's business.
#pragma once

#include <ostream>

#include "scan/result_rows.h"

namespace hivewarden::scan {

inline constexpr std::string_view kResultsReportHeader = "Action;Error;Fixed Value;Index;;Location";

// The header, then one line per row with the texts of columns 2 ... 7 joined by ";", nothing
// quoted or escaped; every line ends with CR LF. Returns whether the stream took it all.
bool WriteResultsReport(const ResultGrid& grid, std::ostream& out);

}  // namespace hivewarden::scan
