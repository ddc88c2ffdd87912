// Backup-name checks, writing a registry back, and the listings of a repair.
#include "cli/repair_output.h"

#include <memory>
#include <ostream>

#include "cli/app.h"
#include "repair/backup_catalogue.h"

namespace hivewarden::cli {
namespace {

// A name as it can be quoted in a message: control characters shown as "?".
std::string QuotedName(std::string_view name) {
    std::string shown(name);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    }
    return "\"" + shown + "\"";
}

std::string Plural(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string PlannedChange(const repair::RepairPreviewItem& item,
                          const engine::ScanResultList& entries) {
    switch (item.Change) {
        case repair::ChangeKind::DeleteKey:
            if (item.KeysRemoved == 0) return "delete (already gone)";
            return "delete (" + Plural(item.KeysRemoved, "key", "keys") + ", " +
                   Plural(item.ValuesRemoved, "value", "values") + ")";
        case repair::ChangeKind::DeleteValue:
            return item.ValuesRemoved == 0 ? "delete (already gone)" : "delete (1 value)";
        case repair::ChangeKind::SetValue:
            return "change to \"" + Printable(entries[item.Index].FixedValue) + "\"";
        case repair::ChangeKind::None:
            break;
    }
    return "nothing";
}

void PrintNotes(const char* heading, const std::vector<repair::RepairNote>& notes,
                std::ostream& out) {
    for (const repair::RepairNote& note : notes) {
        out << heading << Printable(note.What) << ": " << Printable(note.Reason) << "\n";
    }
}

std::string LinkFile(const scan::ShortcutEntry& entry) {
    return entry.LinkPath + ".lnk";
}

// The shortcut file and, where drives are host folders, the host file it was.
std::string LinkFileOnHost(const scan::ShortcutRemoval& removal,
                           const scan::ShortcutResults& shortcuts, std::int32_t index) {
    const auto host = removal.HostPaths.find(index);
    const std::string file = LinkFile(shortcuts[index]);
    return host == removal.HostPaths.end() ? file : file + " (" + host->second + ")";
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string shown(text);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = ' ';
    }
    return shown;
}

bool CheckBackupName(const std::string& programFolder, std::string_view name,
                     std::string& error) {
    std::optional<std::string> problem = repair::ValidateBackupName(name);
    if (!problem) problem = repair::CheckBackupPathLength(programFolder, name);
    if (!problem) return true;
    error = "invalid backup name " + QuotedName(name) + ": " + *problem;
    return false;
}

bool CheckBackupNameFree(const std::string& programFolder, std::string_view name,
                         std::string& error) {
    std::vector<std::string> backups;
    std::string listError;
    if (!repair::ListBackups(programFolder, backups, listError)) return true;
    const std::vector<std::string> same = repair::SameNamedBackups(backups, name);
    if (same.empty()) return true;
    error = std::string(repair::kBackupNameExists) + " (" + programFolder + same.front() + ")";
    return false;
}

std::string FreeBackupName(const std::string& programFolder, std::string_view proposed) {
    std::vector<std::string> backups;
    std::string listError;
    if (!repair::ListBackups(programFolder, backups, listError)) return std::string(proposed);
    return repair::UnusedBackupName(backups, proposed);
}

void PrintRepairPreview(const std::vector<repair::RepairPreviewItem>& items,
                        const engine::ScanResultList& entries, const std::string& backupPath,
                        std::ostream& out) {
    out << "Dry run: the backup would be " << backupPath << "; nothing was changed.\n";
    std::int64_t keys = 0;
    std::int64_t values = 0;
    std::int64_t changes = 0;
    std::int64_t guarded = 0;
    for (const repair::RepairPreviewItem& item : items) {
        const bool skipped = !item.SkipReason.empty();
        out << "  " << Printable(item.What) << ": "
            << (skipped ? "left alone (" + Printable(item.SkipReason) + ")"
                        : PlannedChange(item, entries))
            << "\n";
        if (skipped) {
            ++guarded;
            continue;
        }
        keys += item.KeysRemoved;
        values += item.ValuesRemoved;
        changes += item.Change == repair::ChangeKind::SetValue ? 1 : 0;
    }
    out << "Would remove " << Plural(keys, "key", "keys") << " and "
        << Plural(values, "value", "values") << ", change " << Plural(changes, "value", "values")
        << "; " << guarded << " left alone\n";
}

void PrintRepairResult(const repair::RepairResult& result, const std::string& backupPath,
                       std::ostream& out) {
    // The backup may have taken the next free name when another run took the one proposed.
    const std::string& written = result.BackupPath.empty() ? backupPath : result.BackupPath;
    out << "Backup: " << written << "\n";
    PrintNotes("Skipped: ", result.Skipped, out);
    PrintNotes("Failed: ", result.Failed, out);
    PrintNotes("Stored as text: ", result.StoredAsText, out);
    out << "Repaired: " << result.Changed << " changed, " << result.Unchanged << " already gone, "
        << result.Skipped.size() << " skipped, " << result.Failed.size() << " failed\n";
    if (result.Stopped) {
        out << "Stopped by Ctrl+C: " << Plural(static_cast<std::int64_t>(result.NotApplied.size()), "entry was",
                                        "entries were")
            << " not repaired; the backup " << written << " restores the "
            << Plural(result.Changed, "change", "changes") << " made\n";
    }
}

bool WriteBackAndSay(machine::Machine& machine, const std::string& target, std::ostream& out,
                     std::string& error, ProgressLine* progress) {
    if (target.empty()) return true;
    const std::string files = machine.FilesToWrite(target);
    if (progress != nullptr) progress->Phase("Writing the registry to " + target);
    const bool written = machine.WriteBack(target, error);
    if (progress != nullptr) progress->End();
    if (!written) return false;
    if (files.empty()) {
        out << "Registry files unchanged: " << target << "\n";
    } else {
        out << "Registry written to " << files << "\n";
    }
    return true;
}

int RepairExitCode(const repair::RepairResult& result, bool shortcutsOk) {
    if (result.Stopped) return kExitStopped;
    return result.Failed.empty() && shortcutsOk ? kExitOk : kExitFailed;
}

scan::ConfirmRemoval AnswerShortcutQuestion(bool deleteShortcuts) {
    return [deleteShortcuts](std::string_view) { return deleteShortcuts; };
}

bool PrintShortcutRemoval(const scan::ShortcutRemoval& removal,
                          const scan::ShortcutResults& shortcuts, std::ostream& out) {
    if (removal.Marked == 0) return true;
    if (!removal.Confirmed) {
        out << "Kept " << Plural(removal.Marked, "shortcut file", "shortcut files")
            << " marked Delete: shortcut files cannot be backed up; give --delete-shortcuts "
               "to delete them\n";
        return true;
    }
    for (std::int32_t index : removal.Deleted) {
        out << "Deleted shortcut: " << LinkFileOnHost(removal, shortcuts, index) << "\n";
    }
    for (std::int32_t index : removal.Failed) {
        out << "Failed: shortcut " << LinkFileOnHost(removal, shortcuts, index)
            << " could not be deleted\n";
    }
    return removal.Failed.empty();
}

void PrintShortcutPreview(const scan::ShortcutResults& shortcuts, bool deleteShortcuts,
                          std::ostream& out) {
    for (const scan::ShortcutEntry& entry : shortcuts) {
        if (!entry.RemoveMark) continue;
        out << "  shortcut " << LinkFile(entry) << ": "
            << (deleteShortcuts ? "delete (not backed up)" : "kept (no --delete-shortcuts)")
            << "\n";
    }
}

}  // namespace hivewarden::cli
