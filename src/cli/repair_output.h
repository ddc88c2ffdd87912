// What the commands that change a registry (repair, clean, search) share: the checks of a
// backup name before anything is written, and the listing of a repair's plan and outcome.
// Glue only; where the registry is written back is the machine's (machine/machine.h).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "engine/error_entry.h"
#include "store/store.h"
#include "cli/console/progress_line.h"
#include "machine/machine.h"
#include "repair/repair_executor.h"
#include "scan/shortcuts/shortcut_removal.h"
#include "scan/shortcuts/shortcut_scan.h"

namespace hivewarden::cli {

// The text of an error entry or note as the terminal shows it: control characters (the
// zeros between the strings of a multi-string, line breaks) become blanks.
std::string Printable(std::string_view text);

// False, with a message, when `name` cannot name a backup file in `programFolder` ("invalid
// backup name ...": the name itself, or its length on this host).
bool CheckBackupName(const std::string& programFolder, std::string_view name,
                     std::string& error);

// The proposed name of a backup, or the first free one of it with "-2", "-3", ... when the
// folder holds a backup of that name already.
std::string FreeBackupName(const std::string& programFolder, std::string_view proposed);

// False, with the program's own warning and the file it names, when the folder already holds
// a backup of that name (compared without regard to case). A folder that cannot be listed
// holds none: writing the backup then fails with the system's reason.
bool CheckBackupNameFree(const std::string& programFolder, std::string_view name,
                         std::string& error);

// A dry run: the backup that would be written, what each marked entry would change (keys and
// values a deletion removes, the new value of a change) and the guarded entries left alone.
void PrintRepairPreview(const std::vector<repair::RepairPreviewItem>& items,
                        const engine::ScanResultList& entries, const std::string& backupPath,
                        std::ostream& out);

// The outcome of a repair whose backup was written: the backup's path, what was skipped,
// what failed, the values stored as text, and the totals.
void PrintRepairResult(const repair::RepairResult& result, const std::string& backupPath,
                       std::ostream& out);

// Writes the changed registry back to `target` (nothing for the live registry: empty target)
// and says which files were written; hive files that were not changed are not named. False,
// with the reason, when it cannot be written. `progress`, when given, shows the writing as a
// phase and is cleared before anything is said.
bool WriteBackAndSay(machine::Machine& machine, const std::string& target, std::ostream& out,
                     std::string& error, ProgressLine* progress = nullptr);

// The exit code of a repair whose backup was written: stopped by Ctrl+C, a change or a
// shortcut that did not take, or all done.
int RepairExitCode(const repair::RepairResult& result, bool shortcutsOk);

// The question the window asks before it deletes the shortcut files marked Delete, answered
// Yes only when the user gave --delete-shortcuts: files are never deleted unasked.
scan::ConfirmRemoval AnswerShortcutQuestion(bool deleteShortcuts);

// What the removal of the marked shortcut files did: the files deleted, those that could not
// be, or that they were kept. True unless a deletion failed.
bool PrintShortcutRemoval(const scan::ShortcutRemoval& removal,
                          const scan::ShortcutResults& shortcuts, std::ostream& out);

// The shortcut files marked Delete, for a dry run.
void PrintShortcutPreview(const scan::ShortcutResults& shortcuts, bool deleteShortcuts,
                          std::ostream& out);

}  // namespace hivewarden::cli
