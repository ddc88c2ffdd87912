// Text between the program and the terminal. The program holds paths in the ANSI code page
// (Windows-1252); a Linux terminal speaks UTF-8, while on Windows the arguments already arrive
// in the ANSI code page and output is left as it is. JSON is UTF-8 everywhere.
#pragma once

#include <string>
#include <string_view>

namespace hivewarden::cli {

// An argument as the program reads it (UTF-8 that is not valid stays as given).
std::string FromTerminal(std::string_view argument);
// Program text as the terminal shows it.
std::string ToTerminal(std::string_view ansi);

}  // namespace hivewarden::cli
