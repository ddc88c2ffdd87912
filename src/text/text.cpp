// Case-insensitive comparison over UTF-8 by the registry's per-unit upper case. ASCII takes a
// fast path; other characters are decoded one at a time.
#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "text/unicode.h"

namespace hivewarden {
namespace {

#include "text/upcase_table.inc"

// The UTF-16 units of UTF-8 text, one at a time, upper-cased: characters above U+FFFF give
// their two surrogates, so text compares unit by unit exactly as the registry compares it
// (a lone surrogate never equals half of a pair).
class UpperUnits {
  public:
    explicit UpperUnits(std::string_view text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size() && pending_ == 0; }
    char16_t Next() {
        if (pending_ != 0) return std::exchange(pending_, char16_t{0});
        const char32_t c = NextCodePoint(text_, pos_);
        if (c < 0x10000) return UpcaseUnit(static_cast<char16_t>(c));
        pending_ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        return static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    char16_t pending_ = 0;  // the low surrogate still to give
};

bool IsAscii(unsigned char c) { return c < 0x80; }

bool IsAsciiText(std::string_view text) {
    for (char c : text) {
        if (!IsAscii(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

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
    // ASCII prefix first: most names are plain ASCII throughout.
    std::size_t k = 0;
    const std::size_t common = std::min(a.size(), b.size());
    for (; k < common; ++k) {
        const auto ca = static_cast<unsigned char>(a[k]);
        const auto cb = static_cast<unsigned char>(b[k]);
        if (!IsAscii(ca) || !IsAscii(cb)) break;
        const auto ua = static_cast<unsigned char>(AsciiUpper(static_cast<char>(ca)));
        const auto ub = static_cast<unsigned char>(AsciiUpper(static_cast<char>(cb)));
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    UpperUnits left(a.substr(k));
    UpperUnits right(b.substr(k));
    while (!left.AtEnd() && !right.AtEnd()) {
        const char16_t ua = left.Next();
        const char16_t ub = right.Next();
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    if (left.AtEnd() && right.AtEnd()) return 0;
    return left.AtEnd() ? -1 : 1;
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
    // Plain ASCII on both sides (nearly every call of a scan) needs no copies. Other text may
    // hold letters whose upper case is ASCII (dotless i is I), so it takes the full way.
    if (IsAsciiText(haystack) && IsAsciiText(needle)) {
        const auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                                    [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
        return it != haystack.end();
    }
    return ToUpper(haystack).find(ToUpper(needle)) != std::string::npos;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    const std::string upperText = ToUpper(text);
    const std::string upperPrefix = ToUpper(prefix);
    return upperText.compare(0, upperPrefix.size(), upperPrefix) == 0 &&
           upperText.size() >= upperPrefix.size();
}

}  // namespace hivewarden
