// UTF-16LE to Windows-1252, refusing characters the code page cannot hold.
#include "scan/ansi_from_utf16.h"

#include <cstdint>

namespace hivewarden::scan {
namespace {

// The characters of bytes 0x80-0x9F in Windows-1252; 0 marks the five unassigned bytes.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98-9F
};

std::optional<char> AnsiByte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == c) return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> AnsiFromUtf16(std::string_view utf16le) {
    if (utf16le.size() % 2 != 0) return std::nullopt;
    std::string ansi;
    ansi.reserve(utf16le.size() / 2);
    for (std::size_t i = 0; i < utf16le.size(); i += 2) {
        const auto c = static_cast<char16_t>(static_cast<unsigned char>(utf16le[i]) |
                                             static_cast<unsigned char>(utf16le[i + 1]) << 8);
        const std::optional<char> b = AnsiByte(c);
        if (!b) return std::nullopt;
        ansi += *b;
    }
    return ansi;
}

}  // namespace hivewarden::scan
