// The custom-search report: the custom grid as semicolon-separated text, rows in the grid's
// current order. Gives the UTF-8 text; choosing, encoding (EncodeTextFile) and writing the
// file is the caller's business.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "custom/custom_grid.h"

namespace hivewarden::custom {

inline constexpr std::string_view kCustomReportHeader = "Action;String;Index;Fixed Value;Location";

// The header, then one line per row with the texts of columns 2 ... 6 joined by ";", nothing
// quoted or escaped; every line ends with CR LF. UTF-8: a file gets EncodeTextFile of it (the
// ANSI code page when it holds every character, else UTF-8 after a byte order mark).
std::string CustomReportText(const CustomGrid& grid);

// CustomReportText written to a stream as it is (UTF-8). Returns whether the stream took it.
bool WriteCustomReport(const CustomGrid& grid, std::ostream& out);

}  // namespace hivewarden::custom
