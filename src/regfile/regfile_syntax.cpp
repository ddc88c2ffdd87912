// The .reg format's tokens: escapes, numbers, type tags and hex byte lists. Error texts name
// the offending input; the caller adds file and line.
#include "regfile/regfile_syntax.h"

#include <algorithm>

#include "text/unicode.h"

namespace hivewarden::registry {
namespace {

// Error snippets show at most this many bytes of the input.
constexpr std::size_t kMaxSnippetLength = 40;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::size_t SkipHexDigits(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsHexDigit(text[pos])) ++pos;
    return pos;
}

// The text from pos up to the next blank, comma, backslash or comment: one would-be byte.
std::string_view TokenAt(std::string_view text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && !IsBlank(text[end]) && text[end] != ',' && text[end] != '\\' &&
           text[end] != ';') {
        ++end;
    }
    return text.substr(pos, end - pos);
}

bool AtLineEnd(std::string_view text, std::size_t pos) {
    pos = SkipBlanks(text, pos);
    return pos == text.size() || text[pos] == ';';
}

}  // namespace

bool IsHexDigit(char c) { return HexValue(c) >= 0; }

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    return pos;
}

std::string QuoteSnippet(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::size_t shown = std::min(text.size(), kMaxSnippetLength);
    // Back off to the start of a character: a continuation byte is 10xxxxxx.
    while (shown < text.size() && shown > 0 &&
           (static_cast<unsigned char>(text[shown]) & 0xC0) == 0x80) {
        --shown;
    }
    std::string quoted = "\"";
    for (std::size_t i = 0; i < shown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            quoted += "\\x";
            quoted += kDigits[c >> 4];
            quoted += kDigits[c & 0x0F];
        } else {
            quoted += static_cast<char>(c);
        }
    }
    if (text.size() > shown) quoted += "...";
    return quoted + "\"";
}

std::size_t Utf16UnitCount(std::string_view text) {
    std::size_t units = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {  // the common case, without decoding
            ++pos;
            ++units;
            continue;
        }
        units += NextCodePoint(text, pos) >= 0x10000 ? 2 : 1;
    }
    return units;
}

std::string Utf16LeOf(std::string_view text) {
    std::string bytes(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return Utf16LeFromUtf8(text);
        bytes[2 * i] = text[i];
    }
    return bytes;
}

void TerminateStringData(std::string& bytes) {
    const std::size_t size = bytes.size();
    if (size == 0 || size % 2 != 0) return;
    if (bytes[size - 2] == '\0' && bytes[size - 1] == '\0') return;
    bytes.append(2, '\0');
}

std::string EscapeRegString(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

bool UnescapeRegString(std::string_view line, std::size_t& pos, std::string& text,
                       std::string& error, std::string* unknownEscape) {
    text.clear();
    if (unknownEscape != nullptr) unknownEscape->clear();
    for (std::size_t i = pos; i < line.size(); ++i) {
        // Plain characters up to the next quote or backslash go over in one piece.
        std::size_t end = i;
        while (end < line.size() && line[end] != '"' && line[end] != '\\') ++end;
        text.append(line.substr(i, end - i));
        if (end == line.size()) break;
        i = end;
        if (line[i] == '"') {
            pos = i + 1;
            return true;
        }
        if (++i == line.size()) break;  // a backslash does not continue a string
        switch (line[i]) {
            case '\\':
            case '"':
                text += line[i];
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case '0':
                error = "escape \"\\0\" is not allowed (a string cannot hold a NUL character)";
                return false;
            default:
                if (unknownEscape == nullptr) {
                    error = "unknown escape " + QuoteSnippet(line.substr(i - 1, 2)) +
                            " (write \\\\ for a backslash)";
                    return false;
                }
                // As regedit reads it: the backslash goes, the character stays.
                if (unknownEscape->empty()) *unknownEscape = std::string(line.substr(i - 1, 2));
                text += line[i];
                break;
        }
    }
    error = "unterminated string (no closing '\"' on this line)";
    return false;
}

bool ParseDword(std::string_view data, std::uint32_t& value, std::string& error) {
    const std::size_t start = SkipBlanks(data, 0);
    const std::size_t end = SkipHexDigits(data, start);
    const std::string_view shown = data.substr(start, data.find(';', start) - start);
    if (end == start) {
        error = AtLineEnd(data, start) ? "missing dword value" : "bad dword " + QuoteSnippet(shown);
        return false;
    }
    if (!AtLineEnd(data, end)) {
        error = "bad dword " + QuoteSnippet(shown);
        return false;
    }
    if (end - start > 8) {
        error = "dword out of range " + QuoteSnippet(data.substr(start, end - start)) +
                " (at most 8 hex digits)";
        return false;
    }
    value = 0;
    for (std::size_t i = start; i < end; ++i) value = value * 16 + HexValue(data[i]);
    return true;
}

bool ParseHexType(std::string_view line, std::size_t& pos, std::uint32_t& type,
                  std::string& error) {
    const std::size_t end = SkipHexDigits(line, pos);
    const std::string_view shown = line.substr(pos, line.find(':', pos) - pos);
    if (end == pos || end + 1 >= line.size() || line[end] != ')' || line[end + 1] != ':') {
        error = "bad value type " + QuoteSnippet("hex(" + std::string(shown) + ":");
        return false;
    }
    std::uint64_t number = 0;
    for (std::size_t i = pos; i < end; ++i) {
        number = number * 16 + HexValue(line[i]);
        if (number > 0xFFFFFFFFu) {
            error = "value type out of range " + QuoteSnippet(line.substr(pos, end - pos));
            return false;
        }
    }
    type = static_cast<std::uint32_t>(number);
    pos = end + 2;
    return true;
}

bool ParseHexList(std::string_view text, std::string& bytes, bool& continued, std::string& error) {
    continued = false;
    std::size_t pos = SkipBlanks(text, 0);
    bool afterComma = true;  // the start of the list counts as "after a comma"
    while (pos < text.size() && text[pos] != ';') {
        if (text[pos] == '\\') {
            if (!afterComma) {
                error = "line continuation '\\' must follow a comma";
                return false;
            }
            if (!AtLineEnd(text, pos + 1)) {
                error = "unexpected text after line continuation '\\': " +
                        QuoteSnippet(text.substr(SkipBlanks(text, pos + 1)));
                return false;
            }
            continued = true;
            return true;
        }
        if (text[pos] == ',') {
            error = "missing hex byte before ','";
            return false;
        }
        const std::string_view token = TokenAt(text, pos);
        if (token.empty() || token.size() > 2 || !IsHexDigit(token[0]) ||
            (token.size() == 2 && !IsHexDigit(token[1]))) {
            error = "bad hex byte " + QuoteSnippet(token);
            return false;
        }
        int byte = HexValue(token[0]);
        if (token.size() == 2) byte = byte * 16 + HexValue(token[1]);
        bytes += static_cast<char>(byte);
        pos += token.size();
        if (pos < text.size() && text[pos] == ',') {
            pos = SkipBlanks(text, pos + 1);
            afterComma = true;
            continue;
        }
        afterComma = false;
        const std::size_t next = SkipBlanks(text, pos);
        if (next == text.size() || text[next] == ';') return true;
        if (text[next] == ',') {
            error = "blank before ',' in hex bytes";
        } else if (text[next] == '\\') {
            error = "line continuation '\\' must follow a comma";
        } else {
            error = "expected ',' after hex byte, found " + QuoteSnippet(text.substr(next));
        }
        return false;
    }
    return true;
}

}  // namespace hivewarden::registry
