// The .reg writer: key and value lines of REGEDIT4 text (ANSI, CR LF), hex byte lists, and the
// export of a whole store. Shares its tokens with the reader (regfile_syntax.h); knows only the
// store seam and the durable-file seam, nothing of backups or repairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "registry/durable_file.h"
#include "registry/roots.h"
#include "registry/store.h"

namespace hivewarden::registry {

inline constexpr std::string_view kRegLineEnd = "\r\n";

// Binary values up to this many bytes are written in the short form: one line, upper-case
// bytes, each followed by a comma ("hex:01,0A,FF,").
inline constexpr std::size_t kShortHexMaxBytes = 255;
// Every other hex list is written as regedit exports it: lower-case bytes separated by
// commas, the line broken after the comma that brings it to column 77 with "\", CR LF and
// two blanks, so that no line is longer than 80 columns.
inline constexpr std::size_t kHexWrapColumn = 77;
inline constexpr std::string_view kHexContinuation = "\\\r\n  ";

// "HKEY_LOCAL_MACHINE\Software\X"; the root's name alone for the empty path. Empty text for
// a root that has no name.
std::string FullKeyPath(RootKey root, std::string_view path);

// "[" + full key path + "]". False, with the reason, when the path cannot stand in a key line:
// its first component is not a root's full name, a component is empty, or a name holds CR, LF
// or NUL (a key line cannot span lines and cannot carry a NUL).
bool FormatSectionLine(std::string_view fullKeyPath, std::string& line, std::string& error);

// True when text can stand between double quotes in a REGEDIT4 file: no NUL, CR or LF. (A NUL
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
// before the list (name part and type tag).
std::string FormatWrappedHexList(std::string_view bytes, std::size_t column);
// Upper-case hexadecimal without leading zeros: 0 -> "0", 255 -> "FF", -1 -> "FFFFFFFF".
std::string FormatDwordNumber(std::uint32_t number);
// "hex:" for REG_BINARY, "hex(N):" with N in lower-case hexadecimal for every other type.
std::string HexTypeTag(std::uint32_t type);

// The line that gives back `value` exactly when imported (see ImportedValue for the one
// exception), with its name part:
// - REG_SZ whose text (the data without its one terminating NUL) is quotable: "name"="text"
//   (@= for the default value);
// - REG_DWORD of exactly 4 bytes: "name"=dword:FF (upper case, no leading zeros);
// - REG_BINARY up to kShortHexMaxBytes: the short form "name"=hex:01,0A,FF,;
// - everything else as a wrapped hex list with its own type: longer binary values as hex:,
//   other strings as hex(1):, expandable strings as hex(2):, multi-strings as hex(7): (their
//   bytes are ANSI, one per character, as REGEDIT4 wants them), numbers that are not 4
//   bytes long as hex(4):, big-endian numbers as hex(5):, every other type as hex(N):.
// String types (1, 2, 7) write the default value as @=, all others as ""=. The result may
// span several lines joined by continuations; it has no final line break. False when the
// name cannot be written (a NUL in it).
bool FormatRawValueLine(std::string_view name, const RawValue& value, std::string& line,
                        std::string& error);

// What importing the line of FormatRawValueLine stores: the value itself, except that string
// data (types 1, 2, 7) that does not end in a NUL gains one, because every importer
// terminates string data.
RawValue ImportedValue(const RawValue& value);

// The whole store as a REGEDIT4 file: the header, then for each root of the root table and
// each key below it in depth-first order (subkeys in store order) an empty line, the key line
// and its value lines in store order; a root's own key line only when it holds values; a
// final empty line. False, with the reason, when a key or value name cannot be written.
bool ExportStoreText(RegistryStore& store, std::string& text, std::string& error);

// ExportStoreText written to `path` through the durable-file seam. The message names the
// path and the reason.
FileStatus ExportStoreToFile(RegistryStore& store, const std::string& path, DurableFile& file);

}  // namespace hivewarden::registry
