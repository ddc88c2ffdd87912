// Case-insensitive comparison of the program's UTF-8 text, the way Windows compares registry
// and file names: each UTF-16 unit is upper-cased on its own by its simple upper-case mapping
// (characters outside the Basic Multilingual Plane are compared as they are). Every
// case-insensitive comparison of the program goes through here. Pure; no platform code.
#pragma once

#include <string>
#include <string_view>

namespace hivewarden {

// The upper case of one UTF-16 unit as the registry and NTFS use it.
char16_t UpcaseUnit(char16_t unit);
// The upper case of one code point (code points above U+FFFF are their own upper case).
char32_t UpcaseCodePoint(char32_t codePoint);

// ASCII letters only: for drive letters and format tokens.
inline char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The text with every character upper-cased. The result may differ in length from the input
// (some upper-case letters take fewer or more UTF-8 bytes), so positions do not carry over.
std::string ToUpper(std::string_view text);
// ToUpper written into `out` (reusing its storage).
void ToUpperInto(std::string_view text, std::string& out);

// Case-insensitive equality and ordering. The ordering is that of the upper-cased UTF-16
// units, as the registry sorts subkeys.
bool EqualsNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);
bool ContainsNoCase(std::string_view haystack, std::string_view needle);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

struct LessNoCase {
    bool operator()(std::string_view a, std::string_view b) const {
        return CompareNoCase(a, b) < 0;
    }
};

}  // namespace hivewarden
