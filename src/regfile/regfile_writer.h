// The .reg writer: key and value lines in either form of the format (REGEDIT4 in an ANSI code
// page, or version 5 in UTF-16LE), the choice between the two, hex byte lists, and the export
// of a whole store. Shares its tokens with the reader (regfile_syntax.h); knows only the store
// seam and the durable-file seam, nothing of backups or repairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_page.h"
#include "files/durable_file.h"
#include "regfile/regfile.h"
#include "store/roots.h"
#include "store/store.h"

namespace hivewarden::registry {

inline constexpr std::string_view kRegLineEnd = "\r\n";

// Binary values up to this many bytes are written in the short form: one line, upper-case
// bytes, each followed by a comma ("hex:01,0A,FF,").
inline constexpr std::size_t kShortHexMaxBytes = 255;
// Every other hex list is written as regedit exports it: lower-case bytes separated by
// commas, the line broken after the comma that brings it to column 77 with "\", CR LF and
// two blanks, so that no line is longer than 80 columns. Columns count characters (UTF-16
// units) of the line, as regedit counts them.
inline constexpr std::size_t kHexWrapColumn = 77;
inline constexpr std::string_view kHexContinuation = "\\\r\n  ";

// The form a file is written in. Lines are made as the program's UTF-8 text and encoded once:
// - REGEDIT4: "REGEDIT4", the bytes of an ANSI code page; string data in hex(1)/hex(2)/hex(7)
//   is the code page's bytes too, one or two per character, as regedit on Windows NT reads it;
// - version 5: "Windows Registry Editor Version 5.00", UTF-16LE after the byte order mark
//   FF FE; string data in hex(N) lists is the UTF-16LE bytes exactly as stored.
// Both use CR LF.
struct RegWriteFormat {
    RegFileHeader Header = RegFileHeader::Version5;
    const CodePage* Ansi = nullptr;  // REGEDIT4 only: the code page (not owned)

    static RegWriteFormat Regedit4(const CodePage& codePage) {
        return {RegFileHeader::Regedit4, &codePage};
    }
    static RegWriteFormat Version5() { return {RegFileHeader::Version5, nullptr}; }
    bool IsRegedit4() const { return Header == RegFileHeader::Regedit4; }
};

// True when the code page holds the text exactly: converting it to the code page's bytes and
// back gives the same text.
bool CodePageHoldsExactly(const CodePage& codePage, std::string_view text);

// True when a key line or value line can stand in a REGEDIT4 file of `codePage` so that
// importing it gives back exactly the same name and (as ImportedValue says) the same bytes:
// the names are held by the code page, and string data (types 1, 2, 7) is well-formed UTF-16
// whose characters the code page holds. Data of other types always fits.
bool KeyFitsRegedit4(std::string_view fullKeyPath, const CodePage& codePage);
bool ValueFitsRegedit4(std::string_view name, const RawValue& value, const CodePage& codePage);

// "HKEY_LOCAL_MACHINE\Software\X"; the root's name alone for the empty path. Empty text for
// a root that has no name.
std::string FullKeyPath(RootKey root, std::string_view path);

// "[" + full key path + "]". False, with the reason, when the path cannot stand in a key line:
// its first component is not a root's full name, a component is empty, or a name holds CR, LF
// or NUL (a key line cannot span lines and cannot carry a NUL).
bool FormatSectionLine(std::string_view fullKeyPath, std::string& line, std::string& error);

// True when text can stand between double quotes in a .reg file: no NUL, CR or LF. (A NUL
// makes importers drop the value or the rest of the file; CR and LF end the line.)
bool IsQuotableText(std::string_view text);

// The start of a value line up to and including "=": "@=" for the default value when
// `atForDefault`, otherwise the name in double quotes with "\" and double quote escaped as in
// data, and CR and LF written as \r and \n (the only escapes for them a reader knows). False
// when the name holds a NUL, which no .reg file can carry.
bool FormatValueNamePart(std::string_view name, bool atForDefault, std::string& part,
                         std::string& error);

// "01,0A,FF," (empty text for no bytes).
std::string FormatShortHexList(std::string_view bytes);
// "01,0a,ff" wrapped as described at kHexWrapColumn; `column` is the length of the line
// before the list (name part and type tag) in characters.
std::string FormatWrappedHexList(std::string_view bytes, std::size_t column);
// Upper-case hexadecimal without leading zeros: 0 -> "0", 255 -> "FF", -1 -> "FFFFFFFF".
std::string FormatDwordNumber(std::uint32_t number);
// "hex:" for REG_BINARY, "hex(N):" with N in lower-case hexadecimal for every other type.
std::string HexTypeTag(std::uint32_t type);

// The line (UTF-8 text, to be encoded in `format`) that gives back `value` exactly when
// imported (see ImportedValue for the one exception), with its name part:
// - REG_SZ that is well-formed UTF-16 ending in its one NUL unit, whose text holds no NUL,
//   CR or LF: "name"="text" (@= for the default value);
// - REG_DWORD of exactly 4 bytes: "name"=dword:FF (upper case, no leading zeros);
// - REG_BINARY up to kShortHexMaxBytes: the short form "name"=hex:01,0A,FF,;
// - everything else as a wrapped hex list with its own type: longer binary values as hex:,
//   other strings as hex(1):, expandable strings as hex(2):, multi-strings as hex(7): (in
//   REGEDIT4 the code page's bytes of the text, in version 5 the stored bytes as they are),
//   numbers that are not 4 bytes long as hex(4):, big-endian numbers as hex(5):, every other
//   type as hex(N):.
// String types (1, 2, 7) write the default value as @=, all others as ""=. The result may
// span several lines joined by continuations; it has no final line break. False when the
// name cannot be written (a NUL in it), or when the format is REGEDIT4 and the value does not
// fit it (ValueFitsRegedit4).
bool FormatRawValueLine(std::string_view name, const RawValue& value,
                        const RegWriteFormat& format, std::string& line, std::string& error);

// What importing the line of FormatRawValueLine stores: the value itself, except that
// non-empty string data (types 1, 2, 7) of even length that does not end in a NUL unit gains
// one, because every importer terminates string data. Empty data stays empty.
RawValue ImportedValue(const RawValue& value);

// One line of a .reg file as data: an empty line, a key line or a value line. A file whose
// form depends on all its entries (a backup, an export) is gathered as lines first.
struct RegLine {
    enum class Kind { Empty, Key, Value };
    Kind LineKind = Kind::Empty;
    std::string Name;  // Key: the full key path; Value: the value name ("" = default value)
    RawValue Value;    // Value lines only

    bool operator==(const RegLine&) const = default;
};

// Lines in file order. A key or value line is taken only when it can be written at all (see
// FormatSectionLine and FormatValueNamePart); otherwise nothing is added and the reason given.
class RegLines {
  public:
    void AddEmpty();
    bool AddKey(std::string_view fullKeyPath, std::string& error);
    bool AddValue(std::string_view name, RawValue value, std::string& error);
    void Append(RegLines&& other);
    void Clear() { lines_.clear(); }

    const std::vector<RegLine>& Lines() const { return lines_; }
    bool Empty() const { return lines_.empty(); }

  private:
    std::vector<RegLine> lines_;
};

// The form a file of these lines takes: REGEDIT4 in `codePage` when every key and value line
// fits it exactly, otherwise version 5.
RegWriteFormat ChooseFormat(const RegLines& lines, const CodePage& codePage);

// The text of one line without its line break (UTF-8; empty for an empty line). The line must
// fit the format (ChooseFormat made sure of it).
std::string FormatRegLine(const RegLine& line, const RegWriteFormat& format);

// The text of all lines, each followed by CR LF (UTF-8, to be encoded).
std::string FormatRegLines(const RegLines& lines, const RegWriteFormat& format);

// The file's bytes for UTF-8 text in the format: the code page's bytes, or UTF-16LE.
std::string EncodeRegText(std::string_view text, const RegWriteFormat& format);
// The first bytes of a file in the format: the byte order mark of version 5, the header line
// and its line break.
std::string RegFileStart(const RegWriteFormat& format);

// The whole store as a .reg file's bytes: the header, then for each root of the root table
// and each key below it in depth-first order (subkeys in store order) an empty line, the key
// line and its value lines in store order; a root's own key line only when it holds values; a
// final empty line. REGEDIT4 in `codePage` when every entry fits it, otherwise version 5.
// The text is read back before it is handed out: false, with the reason, when a key or value
// name cannot be written, or when two keys or two values of the store would become one in the
// file (the message names both).
bool ExportStoreText(RegistryStore& store, std::string& bytes, std::string& error,
                     const CodePage& codePage = Windows1252());

// ExportStoreText written to `path` through the durable-file seam; nothing is written when
// the export fails. The message names the path and the reason.
FileStatus ExportStoreToFile(RegistryStore& store, const std::string& path, DurableFile& file,
                             const CodePage& codePage = Windows1252());

}  // namespace hivewarden::registry
