// The strict .reg reader: bytes to UTF-8 text, then to a list of operations, line by line.
// The whole file is checked before anything is returned. No registry access and no I/O here
// (regfile_apply.cpp does both).
#include "registry/regfile.h"

#include <optional>
#include <utility>

#include "registry/regfile_syntax.h"
#include "registry/unicode.h"

namespace hivewarden::registry {
namespace {

constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Splits text into lines at CR LF, LF or a lone CR. A final line break ends the last line
// without starting an empty one.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        std::size_t end = pos_;
        while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
        line = text_.substr(pos_, end - pos_);
        pos_ = end;
        if (pos_ < text_.size()) {
            const bool crLf =
                text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n';
            pos_ += crLf ? 2 : 1;
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// The number of the line that holds the end of the text (where a dangling byte would sit).
std::size_t LastLineNumber(std::string_view text) {
    std::size_t count = 0;
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line)) ++count;
    const bool endsWithBreak = !text.empty() && (text.back() == '\n' || text.back() == '\r');
    return endsWithBreak || count == 0 ? count + 1 : count;
}

std::string LittleEndianBytes(std::uint32_t number) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return bytes;
}

bool IsStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

class Parser {
public:
    Parser(std::string_view sourceName, const RegFileLimits& limits, const CodePage& codePage)
        : limits_(limits), codePage_(codePage) {
        file_.Source = std::string(sourceName);
    }

    RegFileParse Run(std::string_view bytes) {
        if (Parse(bytes)) return {RegFileStatus{}, std::move(file_)};
        RegFile empty;
        empty.Source = std::move(file_.Source);
        return {RegFileStatus::Failure(std::move(error_)), std::move(empty)};
    }

private:
    struct KeyRef {
        RootKey Root = 0;
        std::string Path;
    };

    bool Parse(std::string_view bytes) {
        if (bytes.size() > limits_.MaxFileBytes) {
            error_ = file_.Source + ": file is larger than " +
                     std::to_string(limits_.MaxFileBytes) + " bytes";
            return false;
        }
        std::string text;
        if (!Decode(bytes, text)) return false;
        LineCursor lines(text);
        std::string_view line;
        lineNumber_ = 1;
        if (!lines.Next(line)) return Fail(MissingHeader());
        if (!CheckNul(line) || !ParseHeader(line)) return false;
        while (lines.Next(line)) {
            ++lineNumber_;
            if (!CheckNul(line)) return false;
            if (!(pending_ ? ContinueHex(line) : ParseLine(line))) return false;
        }
        // A continuation backslash on the last line is allowed: the value ends there.
        return !pending_ || FinishHex();
    }

    // Picks the encoding by the byte order mark and gives the text as UTF-8.
    bool Decode(std::string_view bytes, std::string& text) {
        lineNumber_ = 1;
        if (bytes.starts_with(kUtf16LeBom)) {
            file_.Encoding = RegFileEncoding::Utf16;
            const std::string_view body = bytes.substr(kUtf16LeBom.size());
            text = Utf8FromUtf16Le(body);
            if (body.size() % 2 != 0) {
                lineNumber_ = LastLineNumber(text);
                return Fail("UTF-16 text ends in the middle of a character (odd byte count)");
            }
            return true;
        }
        if (bytes.starts_with(kUtf16BeBom)) {
            return Fail("big-endian UTF-16 is not supported (use UTF-16LE with BOM FF FE)");
        }
        if (bytes.starts_with(kUtf8Bom)) {
            return Fail("bad header: UTF-8 byte order mark (save the file as ANSI or UTF-16LE)");
        }
        if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') {
            return Fail("bad header: UTF-16 text without byte order mark FF FE");
        }
        text = codePage_.ToUtf8(bytes);
        return true;
    }

    static std::string MissingHeader() {
        return "missing header: the first line must be \"" + std::string(kRegedit4Header) +
               "\" or \"" + std::string(kVersion5Header) + "\"";
    }

    bool ParseHeader(std::string_view line) {
        const std::string_view header = line.substr(SkipBlanks(line, 0));
        if (header == kRegedit4Header) {
            file_.Header = RegFileHeader::Regedit4;
        } else if (header == kVersion5Header) {
            file_.Header = RegFileHeader::Version5;
        } else if (header.empty()) {
            return Fail(MissingHeader());
        } else {
            return Fail("bad header " + QuoteSnippet(header) + " (expected \"" +
                        std::string(kRegedit4Header) + "\" or \"" + std::string(kVersion5Header) +
                        "\")");
        }
        return true;
    }

    bool CheckNul(std::string_view line) {
        if (line.find('\0') == std::string_view::npos) return true;
        return Fail("NUL character in the text");
    }

    bool ParseLine(std::string_view line) {
        const std::size_t pos = SkipBlanks(line, 0);
        if (pos == line.size()) return true;
        switch (line[pos]) {
            case '[':
                return ParseKeyLine(line, pos + 1);
            case '@':
            case '"':
                return ParseValueLine(line, pos);
            case ';':
            case '#':
                return true;
            default:
                return Fail("unrecognised line " + QuoteSnippet(line.substr(pos)) +
                            " (comment lines start with ';' or '#')");
        }
    }

    bool ParseKeyLine(std::string_view line, std::size_t pos) {
        const bool deletion = pos < line.size() && line[pos] == '-';
        if (deletion) ++pos;
        if (pos < line.size() && IsBlank(line[pos])) {
            return Fail(std::string("blank after \"") + (deletion ? "[-" : "[") +
                        "\" (regedit ignores such a key line)");
        }
        // The name runs to the last ']' of the line, so a name may itself contain ']'.
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos || close < pos) {
            return Fail("key line has no closing ']'");
        }
        if (close == pos) return Fail("empty key name");
        if (!ExpectLineEnd(line, close + 1, "after ']'")) return false;
        KeyRef key;
        if (!ResolveKey(line.substr(pos, close - pos), key)) return false;
        if (deletion) {
            if (key.Path.empty()) {
                return Fail("cannot delete a root key " + QuoteSnippet(RootName(key.Root)));
            }
            key_.reset();
            afterDeletion_ = true;
            return Add(
                {RegOperationKind::DeleteKey, key.Root, std::move(key.Path), {}, {}, lineNumber_});
        }
        key_ = key;
        afterDeletion_ = false;
        return Add(
            {RegOperationKind::CreateKey, key.Root, std::move(key.Path), {}, {}, lineNumber_});
    }

    // "ROOT\a\b" to root and path. One trailing backslash is dropped, as the registry does.
    bool ResolveKey(std::string_view name, KeyRef& key) {
        if (!name.empty() && name.back() == '\\') name.remove_suffix(1);
        const std::size_t slash = name.find('\\');
        const std::string_view rootName = name.substr(0, slash);
        const std::optional<RootKey> root = RootFromName(rootName);
        if (!root) {
            return Fail("unknown root key " + QuoteSnippet(rootName) +
                        " (use a full name such as HKEY_LOCAL_MACHINE)");
        }
        key.Root = *root;
        if (slash == std::string_view::npos) return true;
        const std::string_view path = name.substr(slash + 1);
        std::size_t depth = 0;
        for (std::size_t start = 0; start <= path.size(); ++depth) {
            std::size_t end = path.find('\\', start);
            if (end == std::string_view::npos) end = path.size();
            if (end == start) return Fail("empty key name component in " + QuoteSnippet(name));
            if (end - start > kMaxRegKeyNameLength &&
                Utf16UnitCount(path.substr(start, end - start)) > kMaxRegKeyNameLength) {
                return Fail("key name longer than " + std::to_string(kMaxRegKeyNameLength) +
                            " characters: " + QuoteSnippet(path.substr(start, end - start)));
            }
            if (depth >= kMaxRegKeyDepth) {
                return Fail("key nested deeper than " + std::to_string(kMaxRegKeyDepth) +
                            " levels");
            }
            start = end + 1;
        }
        key.Path = std::string(path);
        return true;
    }

    bool ParseValueLine(std::string_view line, std::size_t pos) {
        if (!key_) {
            return Fail(afterDeletion_ ? "value line after a key deletion: no key is open"
                                       : "value line before any key line");
        }
        std::string name;
        if (line[pos] == '@') {
            ++pos;
        } else {
            ++pos;
            std::string error;
            if (!UnescapeRegString(line, pos, name, error)) return Fail("value name: " + error);
            if (name.size() > kMaxRegValueNameLength &&
                Utf16UnitCount(name) > kMaxRegValueNameLength) {
                return Fail("value name longer than " + std::to_string(kMaxRegValueNameLength) +
                            " characters");
            }
        }
        pos = SkipBlanks(line, pos);
        if (pos == line.size() || line[pos] != '=') {
            return Fail("expected '=' after the value name, found " +
                        QuoteSnippet(line.substr(pos)));
        }
        return ParseData(std::move(name), line, SkipBlanks(line, pos + 1));
    }

    bool ParseData(std::string name, std::string_view line, std::size_t pos) {
        const std::string_view data = line.substr(pos);
        if (data.empty()) return Fail("missing value data after '='");
        if (data[0] == '-') {
            if (!ExpectLineEnd(line, pos + 1, "after '-'")) return false;
            return AddValue(RegOperationKind::DeleteValue, std::move(name), {});
        }
        if (data[0] == '"') return ParseStringData(std::move(name), line, pos + 1);
        if (data.starts_with(kDwordTag)) {
            std::uint32_t number = 0;
            std::string error;
            if (!ParseDword(data.substr(kDwordTag.size()), number, error)) return Fail(error);
            return AddValue(RegOperationKind::SetValue, std::move(name),
                            {kRegDword, LittleEndianBytes(number)});
        }
        if (data.starts_with(kHexTag)) {
            return StartHex(std::move(name), kRegBinary, data.substr(kHexTag.size()));
        }
        if (data.starts_with(kHexTypeTag)) {
            std::size_t typePos = pos + kHexTypeTag.size();
            std::uint32_t type = 0;
            std::string error;
            if (!ParseHexType(line, typePos, type, error)) return Fail(error);
            return StartHex(std::move(name), type, line.substr(typePos));
        }
        return Fail("unknown data type " + QuoteSnippet(data) +
                    " (expected \"...\", dword:, hex: or hex(N):)");
    }

    bool ParseStringData(std::string name, std::string_view line, std::size_t pos) {
        std::string text;
        std::string error;
        if (!UnescapeRegString(line, pos, text, error)) return Fail(error);
        if (!ExpectLineEnd(line, pos, "after the closing quote")) return false;
        // Stored as Windows stores REG_SZ: UTF-16LE with its terminating NUL unit.
        std::string bytes = Utf16LeOf(text);
        bytes.append(2, '\0');
        if (!CheckValueSize(bytes)) return false;
        return AddValue(RegOperationKind::SetValue, std::move(name), {kRegSz, std::move(bytes)});
    }

    bool CheckValueSize(const std::string& bytes) {
        if (bytes.size() <= limits_.MaxValueBytes) return true;
        return Fail("value data longer than " + std::to_string(limits_.MaxValueBytes) + " bytes");
    }

    bool StartHex(std::string name, std::uint32_t type, std::string_view list) {
        pending_.emplace();
        pending_->Kind = RegOperationKind::SetValue;
        pending_->Root = key_->Root;
        pending_->Path = key_->Path;
        pending_->Name = std::move(name);
        pending_->Value.Type = type;
        pending_->Line = lineNumber_;
        return ParseHexPart(list);
    }

    // A line after a continuation backslash: blank and ';' lines are skipped, anything else
    // must carry more hex bytes.
    bool ContinueHex(std::string_view line) {
        const std::size_t pos = SkipBlanks(line, 0);
        if (pos == line.size() || line[pos] == ';') return true;
        if (!IsHexDigit(line[pos])) {
            return Fail("expected hex bytes continuing the value of line " +
                        std::to_string(pending_->Line) + ", found " +
                        QuoteSnippet(line.substr(pos)));
        }
        return ParseHexPart(line.substr(pos));
    }

    bool ParseHexPart(std::string_view list) {
        bool continued = false;
        std::string error;
        if (!ParseHexList(list, pending_->Value.Bytes, limits_.MaxValueBytes, continued, error)) {
            return Fail(error);
        }
        return continued || FinishHex();
    }

    bool FinishHex() {
        RegOperation op = std::move(*pending_);
        pending_.reset();
        std::string& bytes = op.Value.Bytes;
        if (IsStringType(op.Value.Type)) {
            // An ANSI file's string bytes are code-page text, stored as UTF-16LE the way
            // regedit on Windows NT converts them; a UTF-16 file's bytes are stored as they are.
            if (file_.Encoding == RegFileEncoding::Ansi && !bytes.empty()) {
                bytes = Utf16LeOf(codePage_.ToUtf8(bytes));
            }
            TerminateStringData(bytes);
            if (!CheckValueSize(bytes)) return false;
        }
        return Add(std::move(op));
    }

    bool ExpectLineEnd(std::string_view line, std::size_t pos, std::string_view where) {
        pos = SkipBlanks(line, pos);
        if (pos == line.size() || line[pos] == ';') return true;
        return Fail("unexpected text " + std::string(where) + ": " +
                    QuoteSnippet(line.substr(pos)) + " (a comment starts with ';')");
    }

    bool AddValue(RegOperationKind kind, std::string name, RawValue value) {
        return Add({kind, key_->Root, key_->Path, std::move(name), std::move(value), lineNumber_});
    }

    bool Add(RegOperation op) {
        used_ += sizeof(RegOperation) + op.Path.size() + op.Name.size() + op.Value.Bytes.size();
        if (used_ > limits_.MaxParsedBytes) {
            return Fail("the file's keys and values need more than " +
                        std::to_string(limits_.MaxParsedBytes) + " bytes");
        }
        file_.Operations.push_back(std::move(op));
        return true;
    }

    bool Fail(std::string what) {
        error_ = file_.Source + ":" + std::to_string(lineNumber_) + ": " + std::move(what);
        return false;
    }

    const RegFileLimits& limits_;
    const CodePage& codePage_;
    RegFile file_;
    std::size_t lineNumber_ = 0;
    std::optional<KeyRef> key_;            // the key that value lines go to
    bool afterDeletion_ = false;           // the last key line was a [-key]
    std::optional<RegOperation> pending_;  // a hex value waiting for continuation lines
    std::size_t used_ = 0;                 // bytes of the parsed result so far
    std::string error_;
};

}  // namespace

RegFileParse ParseRegFile(std::string_view bytes, std::string_view sourceName,
                          const RegFileLimits& limits, const CodePage& codePage) {
    return Parser(sourceName, limits, codePage).Run(bytes);
}

}  // namespace hivewarden::registry
