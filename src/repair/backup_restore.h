// The restore of backups: each chosen backup file is handed, by its full path and in list
// order, to an importer. Two importers: the program's own, which applies a .reg file to a
// registry store, and the system's default action for the file (on Windows the registry
// editor's import, which asks and reports by itself). No dialogs here.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_page.h"
#include "files/durable_file.h"
#include "store/store.h"

namespace hivewarden::repair {

// One deletion line of a file to restore.
struct RestoreDeletion {
    std::size_t Line = 0;
    std::string What;     // "[-HKEY_LOCAL_MACHINE\Software]", "\"x\"=- in [HKEY_...\Run]"
    std::string Refusal;  // why the deletion guard forbids it; empty: allowed when asked for
};

// A file checked before anything of it is restored.
struct RestoreCheck {
    registry::FileStatus Status;  // failed: nothing of the file may be applied; says why
    std::vector<RestoreDeletion> Deletions;
};

// Reads `path` strictly (a REGEDIT4 file in `codePage`) and lists its deletion lines ([-key]
// and "name"=-), which the program's own backups never hold. The check fails when the file
// does not read, when a key deletion is one the repair's deletion guard forbids (a root, a
// branch that holds the entries of many programs or of the system), and, unless
// `allowDeletions`, when the file holds any deletion line at all.
RestoreCheck CheckRestore(const std::string& path, const CodePage& codePage, bool allowDeletions);

class BackupImporter {
  public:
    virtual ~BackupImporter() = default;
    // Hands one backup file over by its full path. A failure means the file was not imported
    // (or, for the system's import, not even handed over); the message names the file.
    virtual registry::FileStatus Import(const std::string& path) = 0;
};

// The program's own importer: reads the file with the strict .reg reader and applies it to
// the store in file order: keys are created, [-key] lines delete whole subtrees, values are
// written with their exact type and bytes (hex(2), hex(7) and every other hex(N) form
// included), "name"=- deletes a value. Nothing of a file is applied unless all of it parses
// and passes CheckRestore (deletion lines only with `allowDeletions`), and a change the store
// refuses (access denied on the live registry) undoes the file's earlier changes
// (all_or_nothing_import.h): each file applies whole or not at all.
// A REGEDIT4 file is read in the code page backups are written in (SystemBackupCodePage),
// or in `codePage` when one is given; a version 5 file as UTF-16LE.
class StoreImporter final : public BackupImporter {
  public:
    explicit StoreImporter(registry::RegistryStore& store, const CodePage* codePage = nullptr,
                           bool allowDeletions = false);
    ~StoreImporter() override;
    registry::FileStatus Import(const std::string& path) override;

  private:
    registry::RegistryStore& store_;
    std::unique_ptr<CodePage> own_;  // the system's, when no code page was given
    const CodePage* codePage_;       // not owned
    bool allowDeletions_;
};

// The code page REGEDIT4 backups are read in: the system's ANSI code page (kept in `own`), or
// Windows-1252 where the system cannot convert it.
const CodePage& BackupReadCodePage(std::unique_ptr<CodePage>& own);

// The system's default action for the file: no verb, no parameters, no working folder, the
// normal window state; `ownerWindow` (a window handle, or null) owns what it shows. Does not
// wait and reads no result of the import itself. Where the system has no such action
// (registry::HasShellOpen() is false) every hand-over fails.
class ShellImporter final : public BackupImporter {
  public:
    explicit ShellImporter(void* ownerWindow = nullptr) : ownerWindow_(ownerWindow) {}
    registry::FileStatus Import(const std::string& path) override;

  private:
    void* ownerWindow_;  // not owned
};

struct RestoreOutcome {
    std::string Path;  // the full path handed over
    registry::FileStatus Status;
};

// Hands `programFolder` (with its trailing separator) + each file name to the importer, in
// the order given; a failed hand-over does not stop the next one.
std::vector<RestoreOutcome> RestoreBackups(std::string_view programFolder,
                                           const std::vector<std::string>& fileNames,
                                           BackupImporter& importer);

}  // namespace hivewarden::repair
