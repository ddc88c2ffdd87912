// Windows-1252 <-> UTF-8, over the code page table of utf16_ansi.
#include "registry/code_page.h"

#include <optional>
#include <vector>

#include "registry/utf16_ansi.h"

namespace hivewarden {
namespace {

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {  // every character of the code page lies in the basic plane
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text) {
    std::vector<char32_t> chars;
    chars.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int more = 0;  // continuation bytes
        char32_t c = lead;
        char32_t least = 0;  // the smallest code point that needs this many bytes
        if (lead >= 0xF0 && lead < 0xF8) {
            more = 3;
            c = lead & 0x07;
            least = 0x10000;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            more = 2;
            c = lead & 0x0F;
            least = 0x800;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            more = 1;
            c = lead & 0x1F;
            least = 0x80;
        } else if (lead >= 0x80) {
            return std::nullopt;
        }
        if (text.size() - i - 1 < static_cast<std::size_t>(more)) return std::nullopt;
        for (int k = 1; k <= more; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
        chars.push_back(c);
        i += 1 + more;
    }
    return chars;
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
    if (IsAscii(ansi)) return std::string(ansi);
    std::string out;
    out.reserve(ansi.size() * 2);
    for (char b : ansi) AppendUtf8(AnsiToUnicode(b), out);
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    const std::optional<std::vector<char32_t>> chars = DecodeUtf8(utf8);
    if (!chars) return std::string(utf8);
    std::string out;
    out.reserve(chars->size());
    for (char32_t c : *chars) out += UnicodeToAnsi(c);
    return out;
}

}  // namespace hivewarden
