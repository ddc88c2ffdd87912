// The Windows-1252 table behind the built-in code page (code_page.h): one byte per character.
// Pure; no platform code.
#pragma once

namespace hivewarden {

// The byte that code page 1252 uses for a Unicode code point, or '?' when it has none.
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to and from
// the control characters of the same number, as Windows' own table does, so every byte
// survives a round trip. No best-fit guessing: U+0100 is '?', not 'A'.
char UnicodeToAnsi(char32_t codePoint);
char32_t AnsiToUnicode(char byte);

}  // namespace hivewarden
