// Small text helpers shared by every layer: ANSI upper case and case-insensitive comparison
// as the program's comparisons need them. Pure functions; no platform code.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace hivewarden {

namespace detail {
constexpr std::array<unsigned char, 256> MakeAnsiUpperTable() {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) table[i] = static_cast<unsigned char>(i);
    for (int i = 'a'; i <= 'z'; ++i) table[i] = static_cast<unsigned char>(i - 32);
    for (int i = 0xE0; i <= 0xFE; ++i) {
        if (i != 0xF7) table[i] = static_cast<unsigned char>(i - 32);
    }
    table[0x9A] = 0x8A;  // s caron
    table[0x9C] = 0x8C;  // oe
    table[0x9E] = 0x8E;  // z caron
    table[0xFF] = 0x9F;  // y diaeresis
    return table;
}
// Inline: every case-insensitive comparison of a scan goes through it, once per character.
inline constexpr std::array<unsigned char, 256> kAnsiUpper = MakeAnsiUpperTable();
}  // namespace detail

// Upper case of one byte of the ANSI code page (Windows-1252): ASCII letters, and the
// accented letters 0xE0-0xFE except 0xF7 (division sign); 0xFF (y diaeresis) maps to 0x9F,
// 0x9A/0x9C/0x9E map to 0x8A/0x8C/0x8E as the code page's own upper-case table does.
inline char AnsiUpper(char c) {
    return static_cast<char>(detail::kAnsiUpper[static_cast<unsigned char>(c)]);
}
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
