// Conversion between the program's ANSI code page (Windows-1252) and UTF-8, for the places
// where text meets a UTF-8 world: host file names, JSON, a Linux terminal. Pure; no platform
// code.
#pragma once

#include <string>
#include <string_view>

namespace hivewarden {

// Windows-1252 to UTF-8. The five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) become the control characters of the same number, as Windows converts them.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to Windows-1252; a character the code page cannot hold becomes "?", as the Windows
// "A" functions report such names. Text that is not valid UTF-8 is taken to be ANSI already
// and returned unchanged.
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace hivewarden
