// Lines of a .reg file to operations. Strict mode: the first bad line is the file's error.
// Lenient mode follows regedit's import, which drops what it cannot read and goes on. What
// regedit does in each case (from Wine's import tests, which also pass on Windows, and from
// Wine's regedit where the tests say nothing), and what the lenient reader does:
// - Header: a missing or wrong first line, a UTF-8 byte order mark or UTF-16 without one:
//   regedit imports nothing. The whole file is refused in both modes.
// - A line whose first non-blank character is not '[', '@', '"', ';' or '#' (plain text,
//   "HKEY_...\x = y", bytes of a hex list continued without a backslash): ignored by regedit.
//   Skipped with a note.
// - Key lines. "[ HKEY..." (blank after '[') and a line without a closing ']': ignored, and
//   the values that follow still go into the key opened before (Wine). Skipped; the open key
//   stays open. An unknown root ("[HKEY_CURRENT_USERS\..]", "[HKCU\..]"), "[]", an empty
//   component in the middle ("A\\B"), a name over 255 characters or deeper than 512 levels:
//   the key cannot be created, so the open key is closed and the following values are
//   dropped. Skipped; value lines up to the next key line are skipped too, each with a note.
//   Trailing backslashes are dropped (Windows opens "K\\" as "K"). Text after the last ']' is
//   ignored by regedit ("[..\K] x" creates K): applied, with a "changed" note.
// - Deletions. "[-..]" closes the open key: value lines after it are dropped until the next
//   key line (Windows-verified). "[- HKEY.." and "[-]" delete nothing and close the key.
//   Deleting a root key or a key under an unknown root makes Wine's regedit stop the whole
//   import; the lenient reader skips that line only (the note says so), and the key is closed.
// - Value lines before the first key line: no key is open, regedit drops them. Skipped.
// - Value names and quoted strings: a missing closing quote (strings never continue on the
//   next line), text after the closing quote other than a ';' comment, and the escape "\0":
//   the line is dropped (Windows-verified). Skipped. Any other unknown escape ("C:\Windows"):
//   regedit warns and drops the backslash ("C:Windows"). Applied that way, with a "changed"
//   note.
// - Data: a missing '=', nothing after it, an unknown tag ("DWORD:", "str:", a bare word), a
//   bad dword (empty, "0x10", nine digits, "1234 5678"), a bad hex(N) type and "=-" followed by
//   anything but a ';' comment: the line is dropped (Windows-verified). Skipped.
// - Hex lists: a bad byte, a blank before a comma, or a backslash that does not follow a comma
//   or is followed by anything but a ';' comment: the value is dropped and the rest of that
//   line ignored (Windows-verified). Skipped; the next line is read as a new line. After a
//   continuation backslash, blank and ';' lines are passed over; the first other line must
//   start with a hex digit, else regedit drops the value AND that line, even when it is a key
//   or value line ("Wine24a", "Wine25c"). Skipped, one note at that line naming the value's
//   line. A final backslash at the end of the file ends the value there.
// - A NUL character in a line: skipped (a pending hex value with it).
// - UTF-16 text with an odd byte count: the half character at the end is ignored, with a note.
// Each note names the line where the problem shows; the note of a dropped multi-line value
// names the line the value starts on.
#include "regfile/regfile_parser.h"

#include <utility>

#include "regfile/regfile_syntax.h"
#include "text/unicode.h"

namespace hivewarden::registry {
namespace {

std::string LittleEndianBytes(std::uint32_t number) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return bytes;
}

bool IsStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

std::string MissingHeader() {
    return "missing header: the first line must be \"" + std::string(kRegedit4Header) + "\" or \"" +
           std::string(kVersion5Header) + "\"";
}

// Empty when only blanks and a ';' comment follow `pos`, else what is wrong.
std::string TrailingText(std::string_view line, std::size_t pos, std::string_view where) {
    pos = SkipBlanks(line, pos);
    if (pos == line.size() || line[pos] == ';') return {};
    return "unexpected text " + std::string(where) + ": " + QuoteSnippet(line.substr(pos)) +
           " (a comment starts with ';')";
}

std::string EscapeNote(const std::string& escape) {
    return "unknown escape " + QuoteSnippet(escape) + " read as " + QuoteSnippet(escape.substr(1)) +
           ", as regedit reads it (write \\\\ for a backslash)";
}

}  // namespace

RegLineParser::RegLineParser(std::string_view sourceName, RegImportMode mode,
                             const CodePage& codePage, RegOperationSink onOperation,
                             RegNoteSink onNote)
    : source_(sourceName),
      mode_(mode),
      codePage_(codePage),
      onOperation_(std::move(onOperation)),
      onNote_(std::move(onNote)) {}

bool RegLineParser::Header(std::string_view line) {
    lineNumber_ = 1;
    if (line.find('\0') != std::string_view::npos) return Fail("NUL character in the text");
    const std::string_view header = line.substr(SkipBlanks(line, 0));
    if (header == kRegedit4Header) {
        header_ = RegFileHeader::Regedit4;
    } else if (header == kVersion5Header) {
        header_ = RegFileHeader::Version5;
    } else if (header.empty()) {
        return Fail(MissingHeader());
    } else {
        return Fail("bad header " + QuoteSnippet(header) + " (expected \"" +
                    std::string(kRegedit4Header) + "\" or \"" + std::string(kVersion5Header) +
                    "\")");
    }
    return true;
}

bool RegLineParser::Line(std::string_view line) {
    ++lineNumber_;
    if (line.find('\0') != std::string_view::npos) {
        if (pending_) return DropHexValue("NUL character in the text");
        return Skip("NUL character in the text");
    }
    return pending_ ? ContinueHex(line) : ParseLine(line);
}

bool RegLineParser::DanglingByte(std::size_t line) {
    lineNumber_ = line;
    const std::string what = "UTF-16 text ends in the middle of a character (odd byte count)";
    if (mode_ == RegImportMode::Strict) return Fail(what);
    Note(RegFileNote::Kind::Skipped, line, what + "; the last byte is ignored");
    return true;
}

bool RegLineParser::Finish() {
    // A continuation backslash on the last line is allowed: the value ends there.
    return !pending_ || FinishHex();
}

bool RegLineParser::ParseLine(std::string_view line) {
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
            return Skip("unrecognised line " + QuoteSnippet(line.substr(pos)) +
                        " (comment lines start with ';' or '#')");
    }
}

bool RegLineParser::ParseKeyLine(std::string_view line, std::size_t pos) {
    if (pos < line.size() && IsBlank(line[pos])) {
        return Skip("blank after \"[\" (regedit ignores such a key line)");
    }
    // The name runs to the last ']' of the line, so a name may itself contain ']'.
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close < pos) {
        return Skip("key line has no closing ']'");
    }
    const bool deletion = pos < close && line[pos] == '-';
    if (deletion) {
        ++pos;
        if (pos < close && IsBlank(line[pos])) {
            return Skip("blank after \"[-\" (regedit ignores such a key line)", Recovery::CloseKey);
        }
    }
    if (close == pos) return Skip("empty key name", Recovery::CloseKey);
    if (std::string trailing = TrailingText(line, close + 1, "after ']'"); !trailing.empty()) {
        if (mode_ == RegImportMode::Strict) return Fail(std::move(trailing));
        Note(RegFileNote::Kind::Changed, lineNumber_, trailing + ", ignored as regedit does");
    }
    KeyRef key;
    if (std::string problem = ResolveKey(line.substr(pos, close - pos), key); !problem.empty()) {
        return Skip(std::move(problem), Recovery::CloseKey);
    }
    if (deletion) {
        if (key.Path.empty()) {
            return Skip("cannot delete a root key " + QuoteSnippet(RootName(key.Root)),
                        Recovery::CloseKey);
        }
        key_.reset();
        keyState_ = KeyState::Deleted;
        return Add(
            {RegOperationKind::DeleteKey, key.Root, std::move(key.Path), {}, {}, lineNumber_});
    }
    key_ = key;
    keyState_ = KeyState::Open;
    return Add({RegOperationKind::CreateKey, key.Root, std::move(key.Path), {}, {}, lineNumber_});
}

// "ROOT\a\b" to root and path; empty when it worked, else what is wrong. One trailing
// backslash is dropped, as the registry does (leniently, all of them, as Windows does).
std::string RegLineParser::ResolveKey(std::string_view name, KeyRef& key) const {
    if (!name.empty() && name.back() == '\\') name.remove_suffix(1);
    if (mode_ == RegImportMode::Lenient) {
        while (!name.empty() && name.back() == '\\') name.remove_suffix(1);
    }
    const std::size_t slash = name.find('\\');
    const std::string_view rootName = name.substr(0, slash);
    const std::optional<RootKey> root = RootFromName(rootName);
    if (!root) {
        return "unknown root key " + QuoteSnippet(rootName) +
               " (use a full name such as HKEY_LOCAL_MACHINE)";
    }
    key.Root = *root;
    if (slash == std::string_view::npos) return {};
    const std::string_view path = name.substr(slash + 1);
    std::size_t depth = 0;
    for (std::size_t start = 0; start <= path.size(); ++depth) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end == start) return "empty key name component in " + QuoteSnippet(name);
        if (end - start > kMaxRegKeyNameLength &&
            Utf16UnitCount(path.substr(start, end - start)) > kMaxRegKeyNameLength) {
            return "key name longer than " + std::to_string(kMaxRegKeyNameLength) +
                   " characters: " + QuoteSnippet(path.substr(start, end - start));
        }
        if (depth >= kMaxRegKeyDepth) {
            return "key nested deeper than " + std::to_string(kMaxRegKeyDepth) + " levels";
        }
        start = end + 1;
    }
    key.Path = std::string(path);
    return {};
}

bool RegLineParser::ParseValueLine(std::string_view line, std::size_t pos) {
    if (!key_) {
        switch (keyState_) {
            case KeyState::Deleted:
                return Skip("value line after a key deletion: no key is open");
            case KeyState::Skipped:
                return Skip("value line after a skipped key line: no key is open");
            default:
                return Skip("value line before any key line");
        }
    }
    std::string name;
    if (line[pos] == '@') {
        ++pos;
    } else {
        ++pos;
        std::string error;
        if (!UnescapeRegString(line, pos, name, error, EscapesAllowed())) {
            return Skip("value name: " + error);
        }
        if (name.size() > kMaxRegValueNameLength && Utf16UnitCount(name) > kMaxRegValueNameLength) {
            return Skip("value name longer than " + std::to_string(kMaxRegValueNameLength) +
                        " characters");
        }
        if (!escape_.empty()) Note(RegFileNote::Kind::Changed, lineNumber_, EscapeNote(escape_));
    }
    pos = SkipBlanks(line, pos);
    if (pos == line.size() || line[pos] != '=') {
        return Skip("expected '=' after the value name, found " + QuoteSnippet(line.substr(pos)));
    }
    return ParseData(std::move(name), line, SkipBlanks(line, pos + 1));
}

bool RegLineParser::ParseData(std::string name, std::string_view line, std::size_t pos) {
    const std::string_view data = line.substr(pos);
    if (data.empty()) return Skip("missing value data after '='");
    if (data[0] == '-') {
        if (std::string trailing = TrailingText(line, pos + 1, "after '-'"); !trailing.empty()) {
            return Skip(std::move(trailing));
        }
        return AddValue(RegOperationKind::DeleteValue, std::move(name), {});
    }
    if (data[0] == '"') return ParseStringData(std::move(name), line, pos + 1);
    std::string error;
    if (data.starts_with(kDwordTag)) {
        std::uint32_t number = 0;
        if (!ParseDword(data.substr(kDwordTag.size()), number, error)) return Skip(error);
        return AddValue(RegOperationKind::SetValue, std::move(name),
                        {kRegDword, LittleEndianBytes(number)});
    }
    if (data.starts_with(kHexTag)) {
        return StartHex(std::move(name), kRegBinary, data.substr(kHexTag.size()));
    }
    if (data.starts_with(kHexTypeTag)) {
        std::size_t typePos = pos + kHexTypeTag.size();
        std::uint32_t type = 0;
        if (!ParseHexType(line, typePos, type, error)) return Skip(error);
        return StartHex(std::move(name), type, line.substr(typePos));
    }
    return Skip("unknown data type " + QuoteSnippet(data) +
                " (expected \"...\", dword:, hex: or hex(N):)");
}

bool RegLineParser::ParseStringData(std::string name, std::string_view line, std::size_t pos) {
    std::string text;
    std::string error;
    if (!UnescapeRegString(line, pos, text, error, EscapesAllowed())) return Skip(error);
    if (std::string trailing = TrailingText(line, pos, "after the closing quote");
        !trailing.empty()) {
        return Skip(std::move(trailing));
    }
    if (!escape_.empty()) Note(RegFileNote::Kind::Changed, lineNumber_, EscapeNote(escape_));
    // Stored as Windows stores REG_SZ: UTF-16LE with its terminating NUL unit.
    std::string bytes = Utf16LeOf(text);
    bytes.append(2, '\0');
    return AddValue(RegOperationKind::SetValue, std::move(name), {kRegSz, std::move(bytes)});
}

bool RegLineParser::StartHex(std::string name, std::uint32_t type, std::string_view list) {
    pending_.emplace();
    pending_->Kind = RegOperationKind::SetValue;
    pending_->Root = key_->Root;
    pending_->Path = key_->Path;
    pending_->Name = std::move(name);
    pending_->Value.Type = type;
    pending_->Line = lineNumber_;
    return ParseHexPart(list);
}

// A line after a continuation backslash: blank and ';' lines are passed over, anything else
// must carry more hex bytes.
bool RegLineParser::ContinueHex(std::string_view line) {
    const std::size_t pos = SkipBlanks(line, 0);
    if (pos == line.size() || line[pos] == ';') return true;
    if (!IsHexDigit(line[pos])) {
        const std::string what = "expected hex bytes continuing the value of line " +
                                 std::to_string(pending_->Line) + ", found " +
                                 QuoteSnippet(line.substr(pos));
        if (mode_ == RegImportMode::Strict) return Fail(what);
        pending_.reset();
        Note(RegFileNote::Kind::Skipped, lineNumber_,
             what + " (regedit leaves out that value and this line)");
        return true;
    }
    return ParseHexPart(line.substr(pos));
}

bool RegLineParser::ParseHexPart(std::string_view list) {
    bool continued = false;
    std::string error;
    if (!ParseHexList(list, pending_->Value.Bytes, continued, error)) return DropHexValue(error);
    return continued || FinishHex();
}

// The hex value being read cannot be read: strict, the file's error; lenient, regedit drops
// the value and ignores the rest of the line.
bool RegLineParser::DropHexValue(const std::string& what) {
    if (mode_ == RegImportMode::Strict) return Fail(what);
    const std::size_t start = pending_->Line;
    pending_.reset();
    Note(RegFileNote::Kind::Skipped, lineNumber_,
         start == lineNumber_
             ? what
             : what + " (the value of line " + std::to_string(start) + " is left out)");
    return true;
}

bool RegLineParser::FinishHex() {
    RegOperation op = std::move(*pending_);
    pending_.reset();
    std::string& bytes = op.Value.Bytes;
    if (IsStringType(op.Value.Type)) {
        // An ANSI file's string bytes are code-page text, stored as UTF-16LE the way
        // regedit on Windows NT converts them; a UTF-16 file's bytes are stored as they are.
        if (encoding_ == RegFileEncoding::Ansi && !bytes.empty()) {
            bytes = Utf16LeOf(codePage_.ToUtf8(bytes));
        }
        TerminateStringData(bytes);
    }
    return Add(std::move(op));
}

bool RegLineParser::AddValue(RegOperationKind kind, std::string name, RawValue value) {
    return Add({kind, key_->Root, key_->Path, std::move(name), std::move(value), lineNumber_});
}

bool RegLineParser::Add(RegOperation op) {
    onOperation_(std::move(op));
    return true;
}

// Where unknown escapes go: nowhere in strict mode (they are errors).
std::string* RegLineParser::EscapesAllowed() {
    escape_.clear();
    return mode_ == RegImportMode::Lenient ? &escape_ : nullptr;
}

// A line that cannot be taken: strict, the file's error; lenient, the line is skipped with a
// note and reading goes on as regedit does.
bool RegLineParser::Skip(std::string what, Recovery recovery) {
    if (mode_ == RegImportMode::Strict) return Fail(std::move(what));
    if (recovery == Recovery::CloseKey) {
        key_.reset();
        keyState_ = KeyState::Skipped;
    }
    Note(RegFileNote::Kind::Skipped, lineNumber_, what);
    return true;
}

void RegLineParser::Note(RegFileNote::Kind kind, std::size_t line, const std::string& what) {
    if (!onNote_) return;
    const char* label = kind == RegFileNote::Kind::Skipped ? ": skipped: " : ": changed: ";
    onNote_({kind, line, source_ + ":" + std::to_string(line) + label + what});
}

bool RegLineParser::Fail(std::string what) {
    error_ = source_ + ":" + std::to_string(lineNumber_) + ": " + std::move(what);
    return false;
}

}  // namespace hivewarden::registry
