// Small text helpers shared by every layer: ANSI upper case and case-insensitive comparison
// as the program's comparisons need them. Pure functions; no platform code.
#pragma once

#include <string>
#include <string_view>

namespace hivewarden {

// Upper case of one byte of the ANSI code page (Windows-1252): ASCII letters, and the
// accented letters 0xE0-0xFE except 0xF7 (division sign); 0xFF (y diaeresis) maps to 0x9F,
// 0x9A/0x9C/0x9E map to 0x8A/0x8C/0x8E as the code page's own upper-case table does.
char AnsiUpper(char c);
std::string ToUpper(std::string_view text);

// Case-insensitive equality and ordering under AnsiUpper.
bool EqualsNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);
bool ContainsNoCase(std::string_view haystack, std::string_view needle);

struct LessNoCase {
    bool operator()(std::string_view a, std::string_view b) const {
        return CompareNoCase(a, b) < 0;
    }
};

}  // namespace hivewarden
