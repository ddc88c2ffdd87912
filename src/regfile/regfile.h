// The .reg codec's reader: REGEDIT4 and version 5 (UTF-16LE) text read as it streams by,
// strictly (all or nothing) or as regedit imports it (lines regedit skips are skipped, with a
// note each), handed out as registry operations or applied to a store. Token-level helpers
// shared with the writer live in regfile_syntax.h. Depends only on the store seam.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_page.h"
#include "store/roots.h"
#include "store/store.h"

namespace hivewarden::registry {

class RegistryAccess;

// Windows' own limits: a key name component is at most 255 characters, keys nest at most
// 512 levels, a value name is at most 16383 characters (characters are UTF-16 units, as
// Windows counts them).
inline constexpr std::size_t kMaxRegKeyNameLength = 255;
inline constexpr std::size_t kMaxRegKeyDepth = 512;
inline constexpr std::size_t kMaxRegValueNameLength = 16383;

enum class RegFileHeader { Regedit4, Version5 };
// Chosen by the byte order mark alone: FF FE means UTF-16LE, anything else ANSI.
enum class RegFileEncoding { Ansi, Utf16 };

enum class RegOperationKind {
    CreateKey,    // [ROOT\path]: create the key (and any missing keys above it)
    DeleteKey,    // [-ROOT\path]: delete the key with its whole subtree
    SetValue,     // "name"=data or @=data: write Value exactly
    DeleteValue,  // "name"=- or @=-
};

// One operation of a .reg file, in file order. Value operations repeat the key they belong to.
struct RegOperation {
    RegOperationKind Kind = RegOperationKind::CreateKey;
    RootKey Root = 0;
    std::string Path;      // below the root; "" is the root itself (never for DeleteKey)
    std::string Name;      // value operations: the value name, "" = the default value
    RawValue Value;        // SetValue: type and bytes exactly as they will be stored
    std::size_t Line = 0;  // 1-based line where the key or value line starts

    bool operator==(const RegOperation&) const = default;
};

struct RegFile {
    std::string Source;  // the name errors are reported under ("sample.reg")
    RegFileHeader Header = RegFileHeader::Regedit4;
    RegFileEncoding Encoding = RegFileEncoding::Ansi;
    std::vector<RegOperation> Operations;
};

// The outcome of reading or applying: Ok, or a message "sample.reg:12: bad hex byte \"zz\""
// (file, 1-based line, what is wrong; file-level problems have no line).
struct RegFileStatus {
    bool Ok = true;
    std::string Message;

    explicit operator bool() const { return Ok; }
    static RegFileStatus Failure(std::string message) { return {false, std::move(message)}; }
};

struct RegFileParse {
    RegFileStatus Status;
    RegFile File;  // empty unless Status is Ok
};

// How a file is taken.
// - Strict: anything regedit would reject, skip or silently change is an error, and then
//   nothing of the file is handed out or applied. For the files this program writes (backups,
//   write-backs), where any such line means the file is not what was written.
// - Lenient: as regedit imports. A missing or bad header (or byte order mark) still refuses
//   the whole file; every other line regedit would skip is skipped with a note, the rest is
//   applied. For registries the user gives. The cases are listed in regfile.cpp.
enum class RegImportMode { Strict, Lenient };

// A line the lenient reader did not take as written: skipped (nothing of it is applied), or
// changed (applied as regedit reads it, which differs from what it says, such as an unknown
// escape "\C" read as "C"). Message: "sample.reg:12: skipped: unknown root key "HKCU"".
struct RegFileNote {
    enum class Kind { Skipped, Changed };
    Kind What = Kind::Skipped;
    std::size_t Line = 0;
    std::string Message;
};

using RegOperationSink = std::function<void(RegOperation&& op)>;
using RegNoteSink = std::function<void(const RegFileNote& note)>;

// The one .reg reader. The bytes of a file are fed in pieces of any size; each operation is
// handed to `onOperation` as soon as its line (or last continuation line) is read, so the
// reader holds one line and one value at a time, never the file.
// - The byte order mark alone chooses the encoding: FF FE means UTF-16LE (lone surrogates are
//   kept), anything else is ANSI text in `codePage`. Key and value names become the program's
//   UTF-8 text; nothing is turned into '?'.
// - The first line is exactly "REGEDIT4" or "Windows Registry Editor Version 5.00" (leading
//   blanks allowed, nothing after it). Either header may stand in either encoding.
// - Quoted strings become REG_SZ data as Windows stores it: UTF-16LE plus a NUL unit.
// - hex(1)/hex(2)/hex(7) data: in an ANSI file the bytes are code-page text and become
//   UTF-16LE, as regedit on Windows NT converts them; in a UTF-16 file they are kept exactly,
//   odd byte counts and lone surrogates included. Non-empty data of even length that does not
//   end in a NUL unit gains one (never a second one for REG_MULTI_SZ); empty data stays empty.
//   The bytes of every other type are never converted.
// - Lines may end in CR LF, LF or CR. Blank lines and lines starting with ';' or '#' are
//   comments; after data only a ';' comment may follow.
// - Root names are the full names of the root table, in any case.
// In strict mode a bad line is an error ("sample.reg:12: bad hex byte "zz""); operations
// handed out before it stay handed out, so a caller that must apply nothing of a bad file
// reads it twice (LoadRegFile does).
class RegFileReader {
  public:
    RegFileReader(std::string_view sourceName, RegImportMode mode, const CodePage& codePage,
                  RegOperationSink onOperation, RegNoteSink onNote = {});
    ~RegFileReader();
    RegFileReader(const RegFileReader&) = delete;
    RegFileReader& operator=(const RegFileReader&) = delete;

    // False once the file has failed; Status() then says why.
    bool Feed(std::string_view bytes);
    // The end of the file. False when the file failed.
    bool Finish();
    const RegFileStatus& Status() const;
    RegFileHeader Header() const;
    RegFileEncoding Encoding() const;

  private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// Reads a whole .reg file from memory, strictly, into a list of operations (none unless the
// whole file is good).
RegFileParse ParseRegFile(std::string_view bytes, std::string_view sourceName,
                          const CodePage& codePage = Windows1252());

// Reads and parses a file from disk, strictly; errors name the path as given. The file is
// read in pieces, but the operations are all held: for big files prefer LoadRegFile.
RegFileParse ReadRegFile(const std::string& path, const CodePage& codePage = Windows1252());

// Applies one operation through the access operations (so a store's refusals are seen):
// empty text when it took, else what went wrong ("cannot write value "x" of HKEY_...").
std::string ApplyRegOperation(const RegOperation& op, RegistryAccess& access);

// Applies the operations in order: keys are created, [-key] deletes the whole subtree, values
// are written with their exact type and bytes, deleting something missing is no failure.
// A failing operation does not stop the rest; the status names the first failure
// ("x.reg:7: cannot create key HKEY_LOCAL_MACHINE\A") and how many more there were.
RegFileStatus ApplyRegFile(const RegFile& file, RegistryAccess& access);
RegFileStatus ApplyRegFile(const RegFile& file, RegistryStore& store);

// Reads a file from disk as it streams by and hands each operation to `onOperation`, without
// applying anything; the status is the reading's.
RegFileStatus StreamRegFile(const std::string& path, const CodePage& codePage, RegImportMode mode,
                            const RegOperationSink& onOperation);

// Reads a file from disk and applies it as it streams by; memory follows the registry, not
// the file. Strict: nothing is applied unless the whole file reads (a first pass checks it, a
// second applies it). Lenient: each skipped or changed line goes to `onNote` and the rest is
// applied; only a bad header or an unreadable file fails.
RegFileStatus LoadRegFile(const std::string& path, RegistryStore& store,
                          const CodePage& codePage = Windows1252(),
                          RegImportMode mode = RegImportMode::Strict,
                          const RegNoteSink& onNote = {});

// The lenient load of a .reg text that can be read only once (standard input), as it streams
// by: the bytes `start` the caller has already taken from it, then the rest of `rest`;
// `sourceName` names it in messages. A stream cannot be read twice, so there is no strict
// form: a caller that must apply all or nothing parses it into memory (ParseRegFile).
RegFileStatus LoadRegStream(std::string_view start, std::istream& rest, std::string_view sourceName,
                            RegistryStore& store, const CodePage& codePage,
                            const RegNoteSink& onNote = {});

}  // namespace hivewarden::registry
