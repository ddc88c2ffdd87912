// The program's one text representation is UTF-8 in std::string. These are the conversions to
// and from UTF-16, the form Windows keeps names and string data in. Pure functions; no
// platform code.
//
// Registry and file names may hold lone surrogates (Windows does not check its UTF-16). Such a
// unit is carried through UTF-8 in the generalized form (the three-byte sequence of its code
// point, as WTF-8 does), so a name read from the store is found again when it is written back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hivewarden {

// UTF-16 units to UTF-8. Surrogate pairs become one four-byte character; a lone surrogate
// becomes its three-byte form.
std::string Utf8FromUtf16(std::u16string_view units);
// UTF-8 to UTF-16 units. Three-byte surrogate forms become their unit again; bytes that are not
// UTF-8 each become U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);

// UTF-16LE bytes (as the registry stores string data) to UTF-8. An odd final byte is not text
// and is left out; embedded NULs are kept as NUL characters.
std::string Utf8FromUtf16Le(std::string_view bytes);
// UTF-8 to UTF-16LE bytes, without a terminator.
std::string Utf16LeFromUtf8(std::string_view text);

// True when `bytes` is whole UTF-16LE text: an even number of bytes and no lone surrogate, so
// that converting it to UTF-8 and back gives the same bytes.
bool IsWellFormedUtf16Le(std::string_view bytes);
// True when `text` is strict UTF-8 (no surrogate forms, no overlong forms).
bool IsStrictUtf8(std::string_view text);

// Appends the UTF-8 form of one code point (surrogates in their three-byte form).
void AppendUtf8(char32_t codePoint, std::string& out);
// Decodes the character at text[pos] and advances pos past it; bytes that are not UTF-8 give
// U+FFFD and advance by one byte. Surrogate forms decode to their surrogate code point.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

}  // namespace hivewarden
