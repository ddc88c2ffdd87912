// Key and value lines of both .reg forms, hex lists, the choice of form and the encoding of a
// file. Every line written here reads back through ParseRegFile to the same keys and values.
#include "regfile/regfile_writer.h"

#include <iterator>
#include <utility>

#include "regfile/regfile_syntax.h"
#include "text/unicode.h"

namespace hivewarden::registry {
namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kLowerDigits[] = "0123456789abcdef";

bool IsStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

void AppendByte(std::string& text, unsigned char byte, const char* digits) {
    text += digits[byte >> 4];
    text += digits[byte & 0x0F];
}

bool HasLineBreakOrNul(std::string_view text) {
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\0') return true;
    }
    return false;
}

bool EndsInNulUnit(std::string_view bytes) {
    const std::size_t size = bytes.size();
    return size >= 2 && size % 2 == 0 && bytes[size - 2] == '\0' && bytes[size - 1] == '\0';
}

// The text of REG_SZ data that can stand between quotes: well-formed UTF-16 ending in one NUL
// unit, with no NUL, CR or LF before it. Importing the quoted text gives the same bytes back.
bool QuotableStringText(std::string_view bytes, std::string& text) {
    if (!EndsInNulUnit(bytes) || !IsWellFormedUtf16Le(bytes)) return false;
    text = Utf8FromUtf16Le(bytes.substr(0, bytes.size() - 2));
    return IsQuotableText(text);
}

// The bytes of string data as a REGEDIT4 file of `codePage` holds them.
std::string AnsiStringBytes(std::string_view utf16, const CodePage& codePage) {
    std::string bytes;
    codePage.FromUtf8(Utf8FromUtf16Le(utf16), bytes);
    return bytes;
}

}  // namespace

bool CodePageHoldsExactly(const CodePage& codePage, std::string_view text) {
    // Every ANSI code page of Windows holds ASCII as it is.
    if (IsAscii(text)) return true;
    std::string bytes;
    return codePage.FromUtf8(text, bytes) && codePage.ToUtf8(bytes) == text;
}

bool KeyFitsRegedit4(std::string_view fullKeyPath, const CodePage& codePage) {
    return CodePageHoldsExactly(codePage, fullKeyPath);
}

bool ValueFitsRegedit4(std::string_view name, const RawValue& value, const CodePage& codePage) {
    if (!CodePageHoldsExactly(codePage, name)) return false;
    if (!IsStringType(value.Type)) return true;
    return IsWellFormedUtf16Le(value.Bytes) &&
           CodePageHoldsExactly(codePage, Utf8FromUtf16Le(value.Bytes));
}

std::string FullKeyPath(RootKey root, std::string_view path) {
    std::string full = RootName(root);
    if (full.empty()) return full;
    if (!path.empty()) {
        full += '\\';
        full += path;
    }
    return full;
}

bool FormatSectionLine(std::string_view fullKeyPath, std::string& line, std::string& error) {
    const std::size_t slash = fullKeyPath.find('\\');
    const std::string_view rootName = fullKeyPath.substr(0, slash);
    if (!RootFromName(rootName)) {
        error = "key " + QuoteSnippet(fullKeyPath) + " does not start with a root key's name";
        return false;
    }
    if (slash != std::string_view::npos) {
        const std::string_view path = fullKeyPath.substr(slash + 1);
        if (path.empty() || path.front() == '\\' || path.back() == '\\' ||
            path.find("\\\\") != std::string_view::npos) {
            error = "key " + QuoteSnippet(fullKeyPath) + " has an empty name component";
            return false;
        }
        if (HasLineBreakOrNul(path)) {
            error = "key " + QuoteSnippet(fullKeyPath) +
                    " has a line break or NUL character in its name";
            return false;
        }
    }
    line = "[" + std::string(fullKeyPath) + "]";
    return true;
}

bool IsQuotableText(std::string_view text) { return !HasLineBreakOrNul(text); }

bool FormatValueNamePart(std::string_view name, bool atForDefault, std::string& part,
                         std::string& error) {
    if (name.empty() && atForDefault) {
        part = "@=";
        return true;
    }
    if (name.find('\0') != std::string_view::npos) {
        error = "value name " + QuoteSnippet(name) + " holds a NUL character";
        return false;
    }
    part = "\"";
    for (char c : EscapeRegString(name)) {
        if (c == '\r') {
            part += "\\r";
        } else if (c == '\n') {
            part += "\\n";
        } else {
            part += c;
        }
    }
    part += "\"=";
    return true;
}

std::string FormatShortHexList(std::string_view bytes) {
    std::string list;
    list.reserve(bytes.size() * 3);
    for (char c : bytes) {
        AppendByte(list, static_cast<unsigned char>(c), kUpperDigits);
        list += ',';
    }
    return list;
}

std::string FormatWrappedHexList(std::string_view bytes, std::size_t column) {
    std::string list;
    list.reserve(bytes.size() * 3 + bytes.size() / 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        AppendByte(list, static_cast<unsigned char>(bytes[i]), kLowerDigits);
        if (i + 1 == bytes.size()) break;
        list += ',';
        column += 3;
        if (column >= kHexWrapColumn) {
            list += kHexContinuation;
            column = 2;
        }
    }
    return list;
}

std::string FormatDwordNumber(std::uint32_t number) {
    std::string digits;
    do {
        digits.insert(digits.begin(), kUpperDigits[number & 0x0F]);
        number >>= 4;
    } while (number != 0);
    return digits;
}

std::string HexTypeTag(std::uint32_t type) {
    if (type == kRegBinary) return std::string(kHexTag);
    std::string digits;
    do {
        digits.insert(digits.begin(), kLowerDigits[type & 0x0F]);
        type >>= 4;
    } while (type != 0);
    return std::string(kHexTypeTag) + digits + "):";
}

bool FormatRawValueLine(std::string_view name, const RawValue& value,
                        const RegWriteFormat& format, std::string& line, std::string& error) {
    std::string part;
    if (!FormatValueNamePart(name, IsStringType(value.Type), part, error)) return false;
    if (format.IsRegedit4() && !ValueFitsRegedit4(name, value, *format.Ansi)) {
        error = "value " + QuoteSnippet(name) +
                " cannot be written to a REGEDIT4 file in code page " +
                std::to_string(format.Ansi->Number());
        return false;
    }
    const std::string_view bytes = value.Bytes;
    std::string text;
    if (value.Type == kRegSz && QuotableStringText(bytes, text)) {
        line = part + "\"" + EscapeRegString(text) + "\"";
        return true;
    }
    if (value.Type == kRegDword && bytes.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(bytes[i]);
        line = part + std::string(kDwordTag) + FormatDwordNumber(number);
        return true;
    }
    if (value.Type == kRegBinary && bytes.size() <= kShortHexMaxBytes) {
        line = part + std::string(kHexTag) + FormatShortHexList(bytes);
        return true;
    }
    const std::string tag = HexTypeTag(value.Type);
    const std::size_t column = Utf16UnitCount(part) + tag.size();
    line = part + tag;
    if (IsStringType(value.Type) && format.IsRegedit4()) {
        line += FormatWrappedHexList(AnsiStringBytes(bytes, *format.Ansi), column);
    } else {
        line += FormatWrappedHexList(bytes, column);
    }
    return true;
}

RawValue ImportedValue(const RawValue& value) {
    RawValue imported = value;
    if (IsStringType(value.Type)) TerminateStringData(imported.Bytes);
    return imported;
}

void RegLines::AddEmpty() { lines_.push_back({}); }

bool RegLines::AddKey(std::string_view fullKeyPath, std::string& error) {
    std::string line;
    if (!FormatSectionLine(fullKeyPath, line, error)) return false;
    lines_.push_back({RegLine::Kind::Key, std::string(fullKeyPath), {}});
    return true;
}

bool RegLines::AddValue(std::string_view name, RawValue value, std::string& error) {
    std::string part;
    if (!FormatValueNamePart(name, false, part, error)) return false;
    lines_.push_back({RegLine::Kind::Value, std::string(name), std::move(value)});
    return true;
}

void RegLines::Append(RegLines&& other) {
    if (lines_.empty()) {
        lines_ = std::move(other.lines_);
    } else {
        lines_.insert(lines_.end(), std::make_move_iterator(other.lines_.begin()),
                      std::make_move_iterator(other.lines_.end()));
    }
    other.lines_.clear();
}

RegWriteFormat ChooseFormat(const RegLines& lines, const CodePage& codePage) {
    for (const RegLine& line : lines.Lines()) {
        const bool fits = line.LineKind == RegLine::Kind::Key
                              ? KeyFitsRegedit4(line.Name, codePage)
                              : line.LineKind != RegLine::Kind::Value ||
                                    ValueFitsRegedit4(line.Name, line.Value, codePage);
        if (!fits) return RegWriteFormat::Version5();
    }
    return RegWriteFormat::Regedit4(codePage);
}

std::string FormatRegLine(const RegLine& line, const RegWriteFormat& format) {
    std::string text;
    std::string error;
    switch (line.LineKind) {
        case RegLine::Kind::Empty:
            break;
        case RegLine::Kind::Key:
            FormatSectionLine(line.Name, text, error);
            break;
        case RegLine::Kind::Value:
            FormatRawValueLine(line.Name, line.Value, format, text, error);
            break;
    }
    return text;
}

std::string FormatRegLines(const RegLines& lines, const RegWriteFormat& format) {
    std::string text;
    for (const RegLine& line : lines.Lines()) {
        text += FormatRegLine(line, format);
        text += kRegLineEnd;
    }
    return text;
}

std::string EncodeRegText(std::string_view text, const RegWriteFormat& format) {
    if (!format.IsRegedit4()) return Utf16LeFromUtf8(text);
    std::string bytes;
    format.Ansi->FromUtf8(text, bytes);
    return bytes;
}

std::string RegFileStart(const RegWriteFormat& format) {
    const std::string_view header = format.IsRegedit4() ? kRegedit4Header : kVersion5Header;
    std::string start = format.IsRegedit4() ? std::string() : std::string("\xFF\xFE");
    return start + EncodeRegText(std::string(header) + std::string(kRegLineEnd), format);
}

}  // namespace hivewarden::registry
