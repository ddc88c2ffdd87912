// Writing a semicolon report to a file or to standard output, with every write, the flush and
// the close checked. Shared by the commands that save a grid's report.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace hivewarden::cli {

// `target` "-" writes to `out`; anything else creates or empties that file. False with
// `error` naming the file and the system's reason when the report could not be written.
bool WriteReportTo(const std::string& target, std::ostream& out,
                   const std::function<bool(std::ostream&)>& writeReport, std::string& error);

}  // namespace hivewarden::cli
