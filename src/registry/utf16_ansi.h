// Conversion between UTF-16LE and the program's ANSI code page (Windows-1252), for text that
// arrives as UTF-16 (version 5 .reg files, Unicode strings inside files). UTF-8 is
// code_page.h's business. Pure functions; no platform code and no registry knowledge.
#pragma once

#include <string>
#include <string_view>

namespace hivewarden {

// The byte that code page 1252 uses for a Unicode code point, or '?' when it has none.
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to and from
// the control characters of the same number, as Windows' own table does, so every byte
// survives a round trip. No best-fit guessing: U+0100 is '?', not 'A'.
char UnicodeToAnsi(char32_t codePoint);
char32_t AnsiToUnicode(char byte);

// UTF-16LE bytes to ANSI bytes, one byte per character. A surrogate pair is one character
// (always '?'); a lone surrogate is '?'. An odd final byte is ignored: callers that must
// reject it check the size first.
std::string Utf16LeToAnsi(std::string_view utf16le);

// ANSI bytes to UTF-16LE bytes (two per character), without a byte order mark.
std::string AnsiToUtf16Le(std::string_view ansi);

}  // namespace hivewarden
