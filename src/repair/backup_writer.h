// The backup file's contents: the whole-key and value blocks, the collection of a key tree
// for a key about to be deleted, and the file that receives them in the form every entry fits
// (REGEDIT4 in the system's ANSI code page, else version 5). Line formatting is the .reg
// writer's (registry/regfile_writer.h); nothing here changes the registry.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "store/access.h"
#include "text/code_page.h"
#include "files/durable_file.h"
#include "regfile/regfile_writer.h"
#include "store/roots.h"
#include "store/store.h"

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

// The value a value's text form stands for (data text and reduced type: 1 text, 3 binary,
// 4 number), used when the value itself can no longer be read:
// - 1: REG_SZ of the text (UTF-16LE with its NUL unit; a multi-string's inner NULs stay);
// - 3: REG_BINARY of the hex pairs without the final extra pair ("01 0A FF 00 " gives the
//   three bytes 01 0A FF);
// - 4: REG_DWORD of the signed (or unsigned) decimal number;
// - anything else, and text that does not have its type's form: nothing.
std::optional<registry::RawValue> ValueFromTextForm(std::string_view data, std::int32_t type);

// Appends `path` (when includeSelf; a trailing "\" is dropped) and every key below it, depth
// first in pre-order, subkeys in listing order, each with its values. Stops early when
// StopRequested is set. Keys nest at most registry::kMaxRegKeyDepth levels below `path`.
void CollectKeyTree(KeyTree& tree, std::string_view path, registry::RootKey root, bool includeSelf,
                    registry::RegistryAccess& access);

// Appends the whole-key block of a collected tree: for each key an empty line, its key line
// and one line per value (an unreadable value gives an empty line); then one empty line.
// False, with the reason, when a key or value name cannot be written to a .reg file; nothing
// is appended then.
bool AddWholeKeyBlock(const KeyTree& tree, registry::RegLines& lines, std::string& error);

// Appends a value block: the key line for `fullKeyPath`, the value's line (an empty line when
// there is no value) and, with `closingEmptyLine`, an empty line. False, with the reason, when
// the key or the value's name cannot be written; nothing is appended then.
bool AddValueBlock(std::string_view fullKeyPath, std::string_view name,
                   const std::optional<registry::RawValue>& value, bool closingEmptyLine,
                   registry::RegLines& lines, std::string& error);

// The keys whose whole subtree a backup already holds: the keys of its whole-key blocks.
class WrittenKeys {
  public:
    void Add(registry::RootKey root, std::string_view path);
    // True when root\path is such a key or lies below one (names compare case-insensitively).
    bool Covers(registry::RootKey root, std::string_view path) const;
    // True when root\path is exactly such a key.
    bool Holds(registry::RootKey root, std::string_view path) const;
    bool Empty() const { return keys_.empty(); }

  private:
    std::unordered_set<std::string> keys_;  // root number, ":", path in upper case
};

// CollectKeyTree that leaves out the subtree of every key `skip` holds: a backup that
// already holds a subtree does not collect it again.
void CollectKeyTree(KeyTree& tree, std::string_view path, registry::RootKey root, bool includeSelf,
                    registry::RegistryAccess& access, const WrittenKeys& skip);

// The backup file while it is gathered and written. Open creates the file (nothing replaces
// an existing backup of the name until Close succeeds); blocks are gathered; Close chooses
// the form, writes the header, an empty line and every block to the durable file in large
// pieces with CR LF line ends, and commits. The first failure sticks.
// Within one file a key's subtree is written at most once: a whole-key block for a key inside
// an earlier one is left out, and one for a key above earlier ones leaves their subtrees out
// (importing the file gives the same registry). Value blocks of the same key that follow one
// another share one key line.
class BackupFile {
  public:
    // `ansi` is the code page a REGEDIT4 backup is written in (not owned); null: every backup
    // is written as version 5.
    BackupFile(registry::DurableFile& file, const CodePage* ansi) : file_(file), ansi_(ansi) {}
    ~BackupFile() { Abandon(); }
    BackupFile(const BackupFile&) = delete;
    BackupFile& operator=(const BackupFile&) = delete;

    // Close gives the file the name `path` only when no file has it (no other run's backup is
    // ever replaced). With `nextFreeName`, a name taken meanwhile makes Close take the first
    // free one of path's name with "-2", "-3", ... before ".reg"; without, Close fails then.
    registry::FileStatus Open(const std::string& path, bool nextFreeName = false);
    void Add(registry::RegLines&& block);
    void AddEmptyLine();
    // The whole-key block of root\path, collected now; nothing when an earlier block holds the
    // key already. False, with the reason, when a name cannot be written (nothing is added).
    bool AddWholeKey(registry::RootKey root, std::string_view path,
                     registry::RegistryAccess& access, std::string& error);
    // A value block (see AddValueBlock); right after a value block of the same key only the
    // value's line is added, and the key's group ends with an empty line when its last value
    // asks for one.
    bool AddValue(std::string_view fullKeyPath, std::string_view name,
                  const std::optional<registry::RawValue>& value, bool closingEmptyLine,
                  std::string& error);
    // True when root\path lies inside a whole-key block added earlier: every value it holds
    // now is in the file already.
    bool Covers(registry::RootKey root, std::string_view path) const {
        return written_.Covers(root, path);
    }
    // Writes, flushes to disk, closes and renames into place; abandons on failure.
    registry::FileStatus Close();
    void Abandon();
    const registry::FileStatus& Status() const { return status_; }
    // The file Close wrote (see Open).
    const std::string& Path() const { return path_; }
    // The form Close wrote the file in.
    const registry::RegWriteFormat& Format() const { return format_; }

  private:
    registry::DurableFile& file_;
    const CodePage* ansi_;  // not owned; may be null
    registry::FileStatus status_;
    // Commits the written file under path_ or, with nextFreeName_, the next free name.
    registry::FileStatus CommitUnderFreeName();
    // Ends the value group of the last value block.
    void EndValueGroup();
    // Forgets every gathered line, key and group.
    void Reset();

    registry::RegLines lines_;
    registry::RegWriteFormat format_;
    bool open_ = false;
    std::string path_;
    bool nextFreeName_ = false;
    WrittenKeys written_;
    std::string groupKey_;       // the key of the value block added last; empty: none
    bool groupEmptyLine_ = false;  // that group ends with an empty line
};

// The code page of REGEDIT4 backups on this system: the system's ANSI code page. Null when
// the system cannot convert it (then backups are written as version 5).
std::unique_ptr<CodePage> SystemBackupCodePage();

}  // namespace hivewarden::repair
