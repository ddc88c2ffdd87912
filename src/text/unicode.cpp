// UTF-8 <-> UTF-16 conversions with lone surrogates carried through.
#include "text/unicode.h"

namespace hivewarden {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char16_t UnitAt(std::string_view bytes, std::size_t index) {
    const auto low = static_cast<unsigned char>(bytes[2 * index]);
    const auto high = static_cast<unsigned char>(bytes[2 * index + 1]);
    return static_cast<char16_t>(low | (high << 8));
}

void AppendUnit(char16_t unit, std::u16string& out) { out += unit; }

void AppendUnitLe(char16_t unit, std::string& out) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

template <typename Append>
void ForEachUnit(std::string_view text, Append append) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char32_t c = NextCodePoint(text, pos);
        if (c >= 0x10000) {
            append(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            append(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            append(static_cast<char16_t>(c));
        }
    }
}

template <typename UnitSource>
std::string Utf8FromUnits(std::size_t count, UnitSource unitAt) {
    std::string out;
    out.reserve(count + count / 2);
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t unit = unitAt(i);
        if (unit < 0x80) {
            out += static_cast<char>(unit);
            continue;
        }
        if (IsHighSurrogate(unit) && i + 1 < count && IsLowSurrogate(unitAt(i + 1))) {
            const char32_t low = unitAt(++i);
            AppendUtf8(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00),
                       out);
        } else {
            AppendUtf8(unit, out);
        }
    }
    return out;
}

}  // namespace

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int more = 0;
    char32_t c = 0;
    char32_t least = 0;  // the smallest code point that needs this many bytes
    if (lead >= 0xF0 && lead < 0xF5) {
        more = 3, c = lead & 0x07, least = 0x10000;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        more = 2, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        more = 1, c = lead & 0x1F, least = 0x80;
    } else {
        ++pos;
        return kReplacement;
    }
    if (text.size() - pos - 1 < static_cast<std::size_t>(more)) {
        ++pos;
        return kReplacement;
    }
    for (int k = 1; k <= more; ++k) {
        const auto next = static_cast<unsigned char>(text[pos + k]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF) {
        ++pos;
        return kReplacement;
    }
    pos += 1 + more;
    return c;
}

std::string Utf8FromUtf16(std::u16string_view units) {
    return Utf8FromUnits(units.size(), [&](std::size_t i) { return units[i]; });
}

std::u16string Utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    ForEachUnit(text, [&](char16_t unit) { AppendUnit(unit, out); });
    return out;
}

std::string Utf8FromUtf16Le(std::string_view bytes) {
    // Most registry text is ASCII: copy it straight, and convert only from the first other unit.
    const std::size_t count = bytes.size() / 2;
    std::string out(count, '\0');
    std::size_t i = 0;
    for (; i < count; ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        if (low >= 0x80 || bytes[2 * i + 1] != '\0') break;
        out[i] = static_cast<char>(low);
    }
    if (i == count) return out;
    out.resize(i);
    const std::string_view rest = bytes.substr(2 * i, 2 * (count - i));
    out += Utf8FromUnits(count - i, [&](std::size_t k) { return UnitAt(rest, k); });
    return out;
}

std::string Utf16LeFromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    std::size_t ascii = 0;  // the ASCII start needs no decoding
    while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80) {
        out += text[ascii++];
        out += '\0';
    }
    text.remove_prefix(ascii);
    ForEachUnit(text, [&](char16_t unit) { AppendUnitLe(unit, out); });
    return out;
}

bool IsWellFormedUtf16Le(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return false;
    const std::size_t count = bytes.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t unit = UnitAt(bytes, i);
        if (IsHighSurrogate(unit)) {
            if (i + 1 >= count || !IsLowSurrogate(UnitAt(bytes, i + 1))) return false;
            ++i;
        } else if (IsLowSurrogate(unit)) {
            return false;
        }
    }
    return true;
}

bool IsStrictUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const char32_t c = NextCodePoint(text, pos);
        if (IsHighSurrogate(c) || IsLowSurrogate(c)) return false;
        if (c == kReplacement && pos - start != 3) return false;
    }
    return true;
}

}  // namespace hivewarden
