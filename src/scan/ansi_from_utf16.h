// Conversion of UTF-16LE text, as binary files store it, to the program's ANSI code page
// (Windows-1252). Pure; no platform code.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hivewarden::scan {

// The text in Windows-1252, or nothing when a character has no place in that code page (the
// text would then name a different file) or the byte count is odd.
std::optional<std::string> AnsiFromUtf16(std::string_view utf16le);

}  // namespace hivewarden::scan
