// The terminal's code page: UTF-8 on Linux, the ANSI code page itself on Windows.
#include "cli/terminal_text.h"

#include "registry/code_page.h"

namespace hivewarden::cli {

#ifdef _WIN32
std::string FromTerminal(std::string_view argument) { return std::string(argument); }
std::string ToTerminal(std::string_view ansi) { return std::string(ansi); }
#else
std::string FromTerminal(std::string_view argument) { return Utf8ToAnsi(argument); }
std::string ToTerminal(std::string_view ansi) { return AnsiToUtf8(ansi); }
#endif

}  // namespace hivewarden::cli
