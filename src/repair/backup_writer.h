// The backup file's contents: the whole-key and value blocks, the collection of a key tree
// for a key about to be deleted, and the file that receives them. Line and hex formatting is
// the .reg writer's (registry/regfile_writer.h); nothing here changes the registry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "registry/access.h"
#include "registry/durable_file.h"
#include "registry/roots.h"
#include "registry/store.h"

namespace hivewarden::repair {

// One collected key of a whole-key block.
struct ExportedKey {
    std::string KeyName;   // the last component of the key's path
    std::string FullPath;  // root name, "\", path below the root
    // The key's values in listing order, as the access layer reports them. A value that
    // could not be read has Type 0 and empty Data.
    std::vector<registry::ValueRecord> Values;
    // The same values as the store holds them (type and bytes), one per entry of Values;
    // meaningful where Values[i].Type is not 0. The block is written from these, so that a
    // restore gives every value back byte for byte.
    std::vector<registry::RawValue> RawValues;
};

using KeyTree = std::vector<ExportedKey>;

// Data escaping of a quoted string: "\" becomes "\\", a double quote becomes "\"".
std::string EscapeRegText(std::string_view text);

// One value line from a value's text form (name, data text, reduced type 1 text, 3 binary,
// 4 number), used when the value itself can no longer be read:
// - 1: @="data" for the default value, else "name"="data", data escaped; text that cannot
//   stand between quotes (CR, LF, NUL) goes out as hex(1): with its bytes and a final 00;
// - 3: "name"=hex: and the byte list: the text's last three characters removed, every
//   space made a comma ("01 0A FF 00 " gives 01,0A,FF,);
// - 4: "name"=dword: and the signed decimal number in upper-case hex, two's complement;
// - anything else, and a name that holds a NUL: empty text (the caller writes an empty
//   line).
// Names are escaped like data (a name with a double quote or a backslash would otherwise
// make the line unreadable); CR and LF in a name are written \r and \n.
std::string FormatValueLine(std::string_view name, std::string_view data, std::int32_t type);

// Appends `path` (when includeSelf; a trailing "\" is dropped) and every key below it, depth
// first in pre-order, subkeys in listing order, each with its values. Stops early when
// StopRequested is set. Keys nest at most registry::kMaxRegKeyDepth levels below `path`.
void CollectKeyTree(KeyTree& tree, std::string_view path, registry::RootKey root, bool includeSelf,
                    registry::RegistryAccess& access);

// A whole-key block for a collected tree: for each key an empty line, its key line and one
// line per value (an unreadable value gives an empty line); then one empty line. False, with
// the reason, when a key or value name cannot be written to a .reg file.
bool FormatWholeKeyBlock(const KeyTree& tree, std::string& block, std::string& error);

// A value block: the key line for `fullKeyPath`, `valueLine` (empty: an empty line) and, with
// `closingEmptyLine`, an empty line.
bool FormatValueBlock(std::string_view fullKeyPath, std::string_view valueLine,
                      bool closingEmptyLine, std::string& block, std::string& error);

// The backup file while it is written: text goes to the durable file in large pieces, every
// line ends in CR LF, and the first failure sticks (later writes are dropped). Nothing
// replaces the file at the path until Close succeeds.
class BackupFile {
public:
    explicit BackupFile(registry::DurableFile& file) : file_(file) {}
    ~BackupFile() { Abandon(); }
    BackupFile(const BackupFile&) = delete;
    BackupFile& operator=(const BackupFile&) = delete;

    // Starts the file with "REGEDIT4" and an empty line.
    registry::FileStatus Open(const std::string& path);
    void WriteLine(std::string_view line);
    // Text that already ends its lines (a block).
    void WriteText(std::string_view text);
    // Flushes, commits (flush to disk, close, rename into place); abandons on failure.
    registry::FileStatus Close();
    void Abandon();
    const registry::FileStatus& Status() const { return status_; }

private:
    void Flush();

    registry::DurableFile& file_;
    registry::FileStatus status_;
    std::string buffer_;
    bool open_ = false;
};

}  // namespace hivewarden::repair
