// Writing a semicolon report to a file or to standard output, with every write, the flush and
// the close checked. Shared by the commands that save a grid's report. The report's text is
// UTF-8; a file (and standard output that is not a terminal) gets it as the window's Save
// writes it: in the system's ANSI code page when that holds every character, otherwise as
// UTF-8 after a byte order mark.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace hivewarden::cli {

// `target` "-" writes to `out` (the text itself when `outIsTerminal`); anything else creates or
// empties that file. `writeReport` puts the report's UTF-8 text on the stream it is given.
// False with `error` naming the file and the system's reason when the report could not be
// written.
bool WriteReportTo(const std::string& target, std::ostream& out, bool outIsTerminal,
                   const std::function<bool(std::ostream&)>& writeReport, std::string& error);

// The bytes of a report file for its UTF-8 text (text_file.h with the system's ANSI code page).
std::string ReportFileBytes(const std::string& text);

}  // namespace hivewarden::cli
