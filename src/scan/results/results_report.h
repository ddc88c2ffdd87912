// The results report: the results grid as semicolon-separated text, rows in the grid's current
// order. Gives the UTF-8 text; choosing, encoding (EncodeTextFile) and writing the file is the
// caller's business.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "scan/results/result_rows.h"

namespace hivewarden::scan {

inline constexpr std::string_view kResultsReportHeader = "Action;Error;Fixed Value;Index;;Location";

// The header, then one line per row with the texts of columns 2 ... 7 joined by ";", nothing
// quoted or escaped; every line ends with CR LF. UTF-8: a file gets EncodeTextFile of it (the
// ANSI code page when it holds every character, else UTF-8 after a byte order mark).
std::string ResultsReportText(const ResultGrid& grid);

// ResultsReportText written to a stream as it is (UTF-8). Returns whether the stream took it.
bool WriteResultsReport(const ResultGrid& grid, std::ostream& out);

}  // namespace hivewarden::scan
