// The string escapes of Wine's registry files (system.reg, user.reg, userdef.reg): key paths,
// value names, string data and key classes are ASCII text with C-style escapes, "\x" escapes
// for everything above 127, and raw UTF-8 accepted on reading. Pure functions, no I/O.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hivewarden::registry {

// An ASCII hex digit, and its value, as the files' escapes and hex lists read them.
bool IsWineHexDigit(char c);
unsigned WineHexValue(char c);

// Reads an escaped string from text[pos] up to the first unescaped `end` character and leaves
// `pos` just past it. Escapes: \a \b \e \f \n \r \t \v, \x with 1-4 hex digits, 1-3 octal
// digits (\0 is NUL); any other "\c" is "c". Bytes of 0x80 and above are read as UTF-8 and
// invalid sequences are dropped, as Wine's server reads them. False when `end` never comes.
bool ParseWineString(std::string_view text, std::size_t& pos, char end, std::u16string& units);

// Appends `units` escaped as Wine's server writes them: only ASCII comes out; "\" and the two
// `special` characters ("[]" in key paths, "\"\"" in names and strings) get a backslash.
void AppendWineString(std::u16string_view units, std::string_view special, std::string& out);

}  // namespace hivewarden::registry
