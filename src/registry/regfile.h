// The .reg codec: a parsed file as a list of registry operations, the strict reader of
// REGEDIT4 and version 5 (UTF-16LE) text, and applying a parsed file to a store. Token-level
// helpers shared with the writer live in regfile_syntax.h. Depends only on the store seam.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "registry/code_page.h"
#include "registry/roots.h"
#include "registry/store.h"

namespace hivewarden::registry {

class RegistryAccess;

// Windows' own limits: a key name component is at most 255 characters, keys nest at most
// 512 levels, a value name is at most 16383 characters (characters are UTF-16 units, as
// Windows counts them).
inline constexpr std::size_t kMaxRegKeyNameLength = 255;
inline constexpr std::size_t kMaxRegKeyDepth = 512;
inline constexpr std::size_t kMaxRegValueNameLength = 16383;

// Limits on what a file may make the reader hold, so that a hostile or broken file cannot
// exhaust memory. Backups this program writes are far below them.
// - a whole .reg file: 16 MiB (a complete Windows 98 registry export is a few MiB);
// - one value's data: 1 MiB (Windows advises against values above 2 KiB; a bigger blob in a
//   .reg file is garbage);
// - the parsed result: 128 MiB, counted as the operations' own size plus their key paths,
//   names and data. Every value line repeats its key's path, so a deep key followed by many
//   short lines could otherwise multiply the file's size many times over.
inline constexpr std::size_t kMaxRegFileBytes = 16u << 20;
inline constexpr std::size_t kMaxRegValueBytes = 1u << 20;
inline constexpr std::size_t kMaxRegParsedBytes = 128u << 20;

// The limits in force for one read; tests and the fuzzer may lower them.
struct RegFileLimits {
    std::size_t MaxFileBytes = kMaxRegFileBytes;
    std::size_t MaxValueBytes = kMaxRegValueBytes;
    std::size_t MaxParsedBytes = kMaxRegParsedBytes;
};

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

// Reads a whole .reg file from memory. Strict: anything regedit would reject, skip or
// silently change is an error, and then no operation is returned at all.
// - The first line is exactly "REGEDIT4" or "Windows Registry Editor Version 5.00" (leading
//   blanks allowed, nothing after it). Either header may stand in either encoding.
// - The byte order mark alone chooses the encoding: FF FE means UTF-16LE (lone surrogates are
//   kept), anything else is ANSI text in `codePage`. Key and value names become the program's
//   UTF-8 text; nothing is turned into '?'.
// - Quoted strings become REG_SZ data as Windows stores it: UTF-16LE plus a NUL unit.
// - hex(1)/hex(2)/hex(7) data: in an ANSI file the bytes are code-page text and become
//   UTF-16LE, as regedit on Windows NT converts them; in a UTF-16 file they are kept exactly,
//   odd byte counts and lone surrogates included. Non-empty data of even length that does not
//   end in a NUL unit gains one (never a second one for REG_MULTI_SZ); empty data stays empty.
//   The bytes of every other type are never converted.
// - Lines may end in CR LF, LF or CR. Blank lines and lines starting with ';' or '#' are
//   comments; after data only a ';' comment may follow. Any other line is an error (regedit
//   ignores it, which hides mistakes such as a hex list continued without a backslash).
// - Root names are the full names of the root table, in any case.
RegFileParse ParseRegFile(std::string_view bytes, std::string_view sourceName,
                          const RegFileLimits& limits = {},
                          const CodePage& codePage = Windows1252());

// Reads and parses a file from disk; errors name the path as given.
RegFileParse ReadRegFile(const std::string& path, const RegFileLimits& limits = {},
                         const CodePage& codePage = Windows1252());

// Applies the operations in order: keys are created, [-key] deletes the whole subtree, values
// are written with their exact type and bytes, deleting something missing is no failure.
// A failing operation does not stop the rest; the status names the first failure
// ("x.reg:7: cannot create key HKEY_LOCAL_MACHINE\A") and how many more there were.
RegFileStatus ApplyRegFile(const RegFile& file, RegistryAccess& access);
RegFileStatus ApplyRegFile(const RegFile& file, RegistryStore& store);

// Reads, parses and applies a file. Nothing is applied unless the whole file parsed.
RegFileStatus LoadRegFile(const std::string& path, RegistryStore& store,
                          const RegFileLimits& limits = {},
                          const CodePage& codePage = Windows1252());

}  // namespace hivewarden::registry
