// The custom-search report: the custom grid as semicolon-separated text, rows in the grid's
// current order. Writes to a stream; choosing and opening the file is the caller's business.
#pragma once

#include <ostream>
#include <string_view>

#include "custom/custom_grid.h"

namespace hivewarden::custom {

inline constexpr std::string_view kCustomReportHeader = "Action;String;Index;Fixed Value;Location";

// The header, then one line per row with the texts of columns 2 ... 6 joined by ";", nothing
// quoted or escaped; every line ends with CR LF. Returns whether the stream took it all.
bool WriteCustomReport(const CustomGrid& grid, std::ostream& out);

}  // namespace hivewarden::custom
