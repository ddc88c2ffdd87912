// Escaping and unescaping of the strings in Wine's registry files.
#include "store/wine/wine_string.h"

#include <cstdio>

namespace hivewarden::registry {
namespace {

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

// The unit a C escape letter stands for; 0 when the letter is none.
char16_t ControlEscape(char c) {
    switch (c) {
        case 'a':
            return 7;
        case 'b':
            return 8;
        case 't':
            return 9;
        case 'n':
            return 10;
        case 'v':
            return 11;
        case 'f':
            return 12;
        case 'r':
            return 13;
        case 'e':
            return 27;
        default:
            return 0;
    }
}

// The letter Wine writes for a control unit below 32; 0 when it writes octal instead.
char ControlLetter(char16_t unit) {
    switch (unit) {
        case 7:
            return 'a';
        case 8:
            return 'b';
        case 9:
            return 't';
        case 10:
            return 'n';
        case 11:
            return 'v';
        case 12:
            return 'f';
        case 13:
            return 'r';
        case 27:
            return 'e';
        default:
            return 0;
    }
}

// One UTF-8 sequence starting with the byte at text[pos] (>= 0x80), read leniently: an invalid
// sequence yields nothing and consumes the bytes read so far.
void ReadUtf8(std::string_view text, std::size_t& pos, std::u16string& units) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    int following = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        following = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        following = 2;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        following = 3;
        value = lead & 0x07;
    } else {
        return;
    }
    static constexpr char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
    const int length = following;
    for (; following > 0; --following) {
        if (pos >= text.size()) return;
        const auto next = static_cast<unsigned char>(text[pos]);
        if ((next ^ 0x80) >= 0x40) return;
        value = (value << 6) | (next ^ 0x80);
        ++pos;
    }
    if (value < kMinimum[length] || value > 0x10FFFF) return;
    if (value <= 0xFFFF) {
        units.push_back(static_cast<char16_t>(value));
    } else {
        value -= 0x10000;
        units.push_back(static_cast<char16_t>(0xD800 | (value >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 | (value & 0x3FF)));
    }
}

}  // namespace

bool IsWineHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned WineHexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

bool ParseWineString(std::string_view text, std::size_t& pos, char end, std::u16string& units) {
    while (pos < text.size() && text[pos] != end) {
        if (text[pos] == '\\') {
            ++pos;
            if (pos >= text.size()) break;
            const char c = text[pos];
            if (const char16_t control = ControlEscape(c); control != 0) {
                units.push_back(control);
                ++pos;
                continue;
            }
            if (c == 'x') {
                ++pos;
                if (pos >= text.size() || !IsWineHexDigit(text[pos])) {
                    units.push_back(u'x');
                    continue;
                }
                unsigned value = 0;
                for (int digits = 0; digits < 4 && pos < text.size() && IsWineHexDigit(text[pos]);
                     ++digits) {
                    value = value * 16 + WineHexValue(text[pos++]);
                }
                units.push_back(static_cast<char16_t>(value));
                continue;
            }
            if (IsOctalDigit(c)) {
                unsigned value = 0;
                for (int digits = 0; digits < 3 && pos < text.size() && IsOctalDigit(text[pos]);
                     ++digits) {
                    value = value * 8 + static_cast<unsigned>(text[pos++] - '0');
                }
                units.push_back(static_cast<char16_t>(value));
                continue;
            }
            // Any other escaped character stands for itself.
        }
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            units.push_back(static_cast<char16_t>(text[pos++]));
        } else {
            ReadUtf8(text, pos, units);
        }
    }
    if (pos >= text.size()) return false;
    ++pos;
    return true;
}

void AppendWineString(std::u16string_view units, std::string_view special, std::string& out) {
    char buffer[16];
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        const bool hasNext = i + 1 < units.size();
        const char16_t next = hasNext ? units[i + 1] : 0;
        if (unit > 127) {
            // Four digits when a hex digit follows, so that it is not read as part of the escape.
            const bool padded = hasNext && next < 128 && IsWineHexDigit(static_cast<char>(next));
            std::snprintf(buffer, sizeof buffer, padded ? "\\x%04x" : "\\x%x",
                          static_cast<unsigned>(unit));
            out += buffer;
            continue;
        }
        if (unit < 32) {
            if (const char letter = ControlLetter(unit); letter != 0) {
                out += '\\';
                out += letter;
                continue;
            }
            const bool padded = hasNext && next >= u'0' && next <= u'7';
            std::snprintf(buffer, sizeof buffer, padded ? "\\%03o" : "\\%o",
                          static_cast<unsigned>(unit));
            out += buffer;
            continue;
        }
        const char c = static_cast<char>(unit);
        if (c == '\\' || special.find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
}

}  // namespace hivewarden::registry
