// Token-level pieces of the .reg text format, shared by the reader and the writer: header
// lines, quoted-string escapes, dword numbers, hex(N) type tags, hex byte lists and the
// terminator rule of string data. Pure functions over the program's UTF-8 text; they know
// nothing of lines, files or the registry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace hivewarden::registry {

// The two accepted first lines. Either one may appear in either encoding; the encoding is
// chosen by the byte order mark alone.
inline constexpr std::string_view kRegedit4Header = "REGEDIT4";
inline constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";

// Data tags. They are case-sensitive: "DWORD:" and "HEX:" are not data tags.
inline constexpr std::string_view kDwordTag = "dword:";
inline constexpr std::string_view kHexTag = "hex:";
inline constexpr std::string_view kHexTypeTag = "hex(";

// Space and tab: the only blanks the format knows.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsHexDigit(char c);
std::size_t SkipBlanks(std::string_view text, std::size_t pos);

// A snippet of input for error messages: in double quotes, control bytes shown as \xNN, cut
// after a few dozen bytes (never inside a character).
std::string QuoteSnippet(std::string_view text);

// The number of UTF-16 units of UTF-8 text: how Windows counts the characters of a name, and
// how regedit counts the columns of a line it wraps.
std::size_t Utf16UnitCount(std::string_view text);

// UTF-8 text as UTF-16LE bytes (Utf16LeFromUtf8, with a quick path for ASCII text, which is
// most of what .reg files hold).
std::string Utf16LeOf(std::string_view text);

// String data (UTF-16LE) as every importer stores it: non-empty data of even length that does
// not end in a NUL unit gains one. Empty data and odd byte counts stay as they are. A
// REG_MULTI_SZ never gains its second NUL this way.
void TerminateStringData(std::string& bytes);

// Writer side of quoted strings: "\" becomes "\\" and a double quote becomes "\"". Nothing
// else is escaped (control characters stay raw, as Windows regedit writes them).
std::string EscapeRegString(std::string_view text);

// Reader side. `pos` is just after an opening double quote; on success `text` holds the
// unescaped characters and `pos` is just after the closing quote. Accepted escapes: \\ and \"
// (what Windows writes) and \n, \r (what Wine writes). \0 is always an error (it would cut
// the value; regedit rejects the line). Any other escape: regedit drops the backslash
// ("C:\Windows" imports as "C:Windows"), which silently changes the data, so it is an error
// unless `unknownEscape` is given; then the escape is read as regedit reads it and the first
// one is stored there (as "\W"). The closing quote must be on the same line.
bool UnescapeRegString(std::string_view line, std::size_t& pos, std::string& text,
                       std::string& error, std::string* unknownEscape = nullptr);

// The number after "dword:": optional blanks, 1 to 8 hex digits in any case, then optional
// blanks and an optional ';' comment. "0x10", "1234 5678" and 9 digits are errors.
bool ParseDword(std::string_view data, std::uint32_t& value, std::string& error);

// The type number of "hex(N):", with `pos` just after "hex(": hex digits up to 0xffffffff,
// then "):". On success `pos` is just after the colon. "hex(0x2)" and "hex()" are errors.
bool ParseHexType(std::string_view line, std::size_t& pos, std::uint32_t& type, std::string& error);

// One line's part of a hex byte list ("01,a,ff,"), appending to `bytes`:
// - a byte is 1 or 2 hex digits; blanks may follow a comma but not precede one;
// - a comma after the last byte is allowed;
// - the list may end with blanks and a ';' comment;
// - a backslash continues the list on the next line (then `continued` is set). It must come
//   at the start or after a comma, and only blanks and a ';' comment may follow it.
bool ParseHexList(std::string_view text, std::string& bytes, bool& continued, std::string& error);

}  // namespace hivewarden::registry
