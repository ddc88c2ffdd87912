// Case-insensitive comparison over UTF-8 by the registry's per-unit upper case. ASCII takes a
// fast path; other characters are decoded one at a time.
#include "registry/text.h"

#include <cstdint>

#include "registry/unicode.h"

namespace hivewarden {
namespace {

#include "registry/upcase_table.inc"

// A code point's position in UTF-16 order: characters above U+FFFF sort with their high
// surrogate, between U+D7FF and U+E000.
std::uint32_t Utf16Order(char32_t c) {
    if (c < 0xD800) return c;
    if (c >= 0x10000) return 0xD800 + ((c - 0x10000) >> 10) * 0x400 + ((c - 0x10000) & 0x3FF);
    if (c < 0xE000) return c;  // a lone surrogate: its own unit
    return c + 0x100000;       // U+E000..U+FFFF after every surrogate pair
}

bool IsAscii(unsigned char c) { return c < 0x80; }

}  // namespace

char16_t UpcaseUnit(char16_t unit) {
    const unsigned page = kUpcasePageIndex[unit >> 8];
    return page == 0 ? unit : kUpcasePages[page][unit & 0xFF];
}

char32_t UpcaseCodePoint(char32_t c) {
    return c > 0xFFFF ? c : UpcaseUnit(static_cast<char16_t>(c));
}

void ToUpperInto(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (IsAscii(byte)) {
            out += AsciiUpper(static_cast<char>(byte));
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const char32_t c = NextCodePoint(text, pos);
        const char32_t upper = UpcaseCodePoint(c);
        if (upper == c) {
            out.append(text.substr(start, pos - start));  // also keeps bytes that are not UTF-8
        } else {
            AppendUtf8(upper, out);
        }
    }
}

std::string ToUpper(std::string_view text) {
    std::string out;
    ToUpperInto(text, out);
    return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (IsAscii(ca) && IsAscii(cb)) {
            const auto ua = static_cast<unsigned char>(AsciiUpper(static_cast<char>(ca)));
            const auto ub = static_cast<unsigned char>(AsciiUpper(static_cast<char>(cb)));
            if (ua != ub) return ua < ub ? -1 : 1;
            ++i, ++j;
            continue;
        }
        const std::uint32_t ua = Utf16Order(UpcaseCodePoint(NextCodePoint(a, i)));
        const std::uint32_t ub = Utf16Order(UpcaseCodePoint(NextCodePoint(b, j)));
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    if (i == a.size() && j == b.size()) return 0;
    return i == a.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    // Upper-casing never changes the length of ASCII, so different lengths of pure ASCII
    // cannot be equal; everything else goes the full way.
    if (a.size() == b.size()) {
        std::size_t k = 0;
        for (; k < a.size(); ++k) {
            const auto ca = static_cast<unsigned char>(a[k]);
            const auto cb = static_cast<unsigned char>(b[k]);
            if (!IsAscii(ca) || !IsAscii(cb)) break;
            if (AsciiUpper(static_cast<char>(ca)) != AsciiUpper(static_cast<char>(cb))) {
                return false;
            }
        }
        if (k == a.size()) return true;
        return CompareNoCase(a.substr(k), b.substr(k)) == 0;
    }
    return CompareNoCase(a, b) == 0;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return true;
    return ToUpper(haystack).find(ToUpper(needle)) != std::string::npos;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    const std::string upperText = ToUpper(text);
    const std::string upperPrefix = ToUpper(prefix);
    return upperText.compare(0, upperPrefix.size(), upperPrefix) == 0 &&
           upperText.size() >= upperPrefix.size();
}

}  // namespace hivewarden
