// UTF-16LE <-> Windows-1252. The code page is fixed at 1252: the program's strings are ANSI
// byte strings of that code page on every host.
#include "registry/utf16_ansi.h"

#include <array>
#include <cstdint>

namespace hivewarden {
namespace {

// Code points of bytes 0x80-0x9F; all other bytes are their own code point.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char16_t UnitAt(std::string_view bytes, std::size_t index) {
    const auto low = static_cast<unsigned char>(bytes[2 * index]);
    const auto high = static_cast<unsigned char>(bytes[2 * index + 1]);
    return static_cast<char16_t>(low | (high << 8));
}

}  // namespace

char UnicodeToAnsi(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<char>(codePoint);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint) return static_cast<char>(0x80 + i);
    }
    return '?';
}

char32_t AnsiToUnicode(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    if (b >= 0x80 && b <= 0x9F) return kHighControls[b - 0x80];
    return b;
}

std::string Utf16LeToAnsi(std::string_view utf16le) {
    const std::size_t units = utf16le.size() / 2;
    std::string ansi;
    ansi.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t unit = UnitAt(utf16le, i);
        if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(UnitAt(utf16le, i + 1))) {
            ++i;  // a character outside the Basic Multilingual Plane: never in code page 1252
            ansi += '?';
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            ansi += '?';
        } else {
            ansi += UnicodeToAnsi(unit);
        }
    }
    return ansi;
}

std::string AnsiToUtf16Le(std::string_view ansi) {
    std::string utf16;
    utf16.reserve(ansi.size() * 2);
    for (char c : ansi) {
        const char32_t codePoint = AnsiToUnicode(c);
        utf16 += static_cast<char>(codePoint & 0xFF);
        utf16 += static_cast<char>((codePoint >> 8) & 0xFF);
    }
    return utf16;
}

}  // namespace hivewarden
