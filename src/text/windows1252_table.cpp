// The Windows-1252 table: bytes 0x80-0x9F are the code page's own row; every other byte is its
// own code point.
#include "text/windows1252_table.h"

#include <array>
#include <cstddef>

namespace hivewarden {
namespace {

// Code points of bytes 0x80-0x9F; all other bytes are their own code point.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

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

}  // namespace hivewarden
