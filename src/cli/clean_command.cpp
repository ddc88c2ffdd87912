// `hivewarden clean`: scans as `scan` does, then repairs what the results grid would repair
// with its default actions (or deletes everything with --delete-all), after a backup, as the
// results page's Repair does. On a registry loaded from .reg files the result is written back
// to a .reg file.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/console/platform_system.h"
#include "cli/output_checks.h"
#include "cli/repair_output.h"
#include "cli/scan_runner.h"
#include "repair/backup_catalogue.h"
#include "repair/repair_executor.h"
#include "repair/repair_step.h"
#include "scan/scanned_value.h"

namespace hivewarden::cli {
namespace {

struct CleanCommandOptions {
    ScanOptions Scan;
    bool DeleteAll = false;
    bool DryRun = false;
    std::string BackupName;  // default: the proposed day-month-year-hour-minute-second
    bool BackupGiven = false;
    std::string Output;
    bool DeleteShortcuts = false;
    bool IncludeAbsentDrives = false;
};

// Findings on a drive that is not there are not known to be gone: they stay at Ignore, also
// with --delete-all, unless --include-absent-drives asks to delete them.
void SetAbsentDriveActions(scan::ResultGrid& grid, const engine::ScanResultList& entries,
                           bool include) {
    for (scan::ResultRow& row : grid.Rows) {
        if (row.IsShortcut || row.Index < 1 || row.Index > entries.Count()) continue;
        if (!entries[row.Index].IsAbsentDrive) continue;
        row.Correction = std::string(include ? scan::kActionDelete : scan::kActionIgnore);
        row.FixedValue.clear();
    }
}

void PreviewRepair(CommandScan& scan, const std::string& backupPath, bool deleteShortcuts,
                   std::ostream& out) {
    engine::ScanState& state = scan.State();
    scan::ShortcutResults& shortcuts = scan.Session().Shortcuts;
    const repair::GridMarks marks = repair::CopyGridActions(scan.Grid(), state, shortcuts);
    PrintRepairPreview(repair::PreviewScanRepair(state, scan.Access()), state.ScanResults,
                       backupPath, out);
    PrintShortcutPreview(shortcuts, deleteShortcuts, out);
    repair::UndoGridActions(marks, scan.Grid(), state, shortcuts);
}

int RunCleanCommand(const CleanCommandOptions& options, CommandContext& context) {
    auto fail = [&context](const std::string& message, int code) {
        context.Err << "hivewarden clean: " << message << "\n";
        return code;
    };
    std::string error;
    std::string target;
    // A name given on the command line, and everything the repair will write, are checked
    // before the scan, which may take long; a dry run is refused where the repair would be.
    const std::string programFolder = ProgramFolderOf(options.Scan.ProgramFolder);
    if ((options.BackupGiven && (!CheckBackupName(programFolder, options.BackupName, error) ||
                                 !CheckBackupNameFree(programFolder, options.BackupName, error))) ||
        !machine::CheckWriteBackOptions(options.Scan.Source, options.Output, error)) {
        return fail(error, kExitUsage);
    }
    CommandScan scan;
    if (!scan.Open(options.Scan, "clean", context, error) ||
        !CheckRepairOutputs(scan.Machine(), options.Output, programFolder,
                            scan::NeedsFiles(MakeScanRequest(options.Scan)), target, error)) {
        return fail(error, kExitUsage);
    }
    const machine::RegistryLoad& load = scan.Machine().Load();
    scan.Run(options.Scan, "clean", context.Err);
    scan::ResultGrid& grid = scan.Grid();
    PrintScanGrid(grid, ScanCaption(grid), context.Out);
    if (const std::string summary = machine::RegistryLoadSummary(load); !summary.empty()) {
        context.Out << summary << "\n";
    }
    if (scan.Interrupted()) {
        return fail("stopped by Ctrl+C; the findings so far are shown, nothing was repaired",
                    kExitStopped);
    }

    if (options.DeleteAll) grid.DeleteAll();
    SetAbsentDriveActions(grid, scan.State().ScanResults, options.IncludeAbsentDrives);
    const std::int32_t count = grid.CountRowsToRepair();
    if (count == 0) {
        context.Out << "No errors to fix!\n";
        return kExitOk;
    }
    // A proposed name takes the next free one, now and again when the backup is written: a
    // run started in the same second never shares it.
    const std::string name =
        options.BackupGiven ? options.BackupName
                            : FreeBackupName(scan.ProgramFolder(), repair::ProposedBackupName(LocalNow()));
    if (!CheckBackupNameFree(scan.ProgramFolder(), name, error)) return fail(error, kExitUsage);
    const std::string backupPath = repair::BackupFilePath(scan.ProgramFolder(), name);
    context.Out << "Kestovar Hivewarden will repair " << count << " errors.\n";
    if (options.DryRun) {
        PreviewRepair(scan, backupPath, options.DeleteShortcuts, context.Out);
        return kExitOk;
    }

    engine::ScanState& state = scan.State();
    repair::RepairStepContext step{state,
                                   scan.Access(),
                                   grid,
                                   scan.Session().Shortcuts,
                                   scan.ProgramFolder(),
                                   name,
                                   {},
                                   AnswerShortcutQuestion(options.DeleteShortcuts),
                                   {}};
    step.Options.NextFreeBackupName = !options.BackupGiven;
    step.Options.TargetStillMissing = scan::TargetRecheck(*scan.Session().RecheckPaths);
    // Ctrl+C while the backup is written stops the repair before any change.
    InstallInterruptHandler();
    ProgressLine& progress = scan.Progress();
    state.YieldHook = [&state, &progress] {
        if (InterruptRequested()) state.StopRequested = true;
        ShowRepairProgress(progress, state.RepairStep, state.RepairMarked);
    };
    const repair::RepairStepResult result = repair::RunRepairStep(step);
    state.YieldHook = nullptr;
    progress.End();
    if (!result.Repair.Ok()) {
        return fail(result.Repair.Error->Message,
                    InterruptRequested() ? kExitStopped : kExitFailed);
    }
    PrintRepairResult(result.Repair, backupPath, context.Out);
    const bool shortcutsOk =
        PrintShortcutRemoval(result.Shortcuts, scan.Session().Shortcuts, context.Out);
    // Stopped between two changes: what was changed is written back, so that the file and the
    // message agree; the backup undoes it.
    if (!WriteBackAndSay(scan.Machine(), target, context.Out, error, &progress)) {
        return fail("the repaired registry could not be written: " + error, kExitFailed);
    }
    return RepairExitCode(result.Repair, shortcutsOk);
}

}  // namespace

void AddCleanCommand(CLI::App& app, CommandContext& context) {
    auto options = std::make_shared<CleanCommandOptions>();
    CLI::App* cmd = app.add_subcommand(
        "clean",
        "Scan as `scan` does, then repair every finding as its default action says (Delete, "
        "or Change Value to the data Windows ships; all deleted with --delete-all), after a "
        "backup");
    AddScanOptions(*cmd, options->Scan,
                   "Folder holding Ignore.ini, TrojanDef.ini and TrojanLock.ini, which receives "
                   "the backup (default: the folder of this program)");
    cmd->add_flag("--delete-all", options->DeleteAll,
                  "Delete every finding and shortcut, the ignored ones too (Delete All)");
    cmd->add_flag("--dry-run", options->DryRun,
                  "Show what the repair would do; write no backup and change nothing");
    cmd->add_option("--backup", options->BackupName,
                    "Name of the backup file written before the repair, without \".reg\" "
                    "(default: day-month-year-hour-minute-second)")
        ->each([options](const std::string&) { options->BackupGiven = true; });
    cmd->add_option("--output", options->Output,
                    "Write the repaired registry to FILE.reg (default, with one --registry: "
                    "back into that file)");
    cmd->add_flag("--include-absent-drives", options->IncludeAbsentDrives,
                  "Also delete findings on drives that are not present (unplugged, not "
                  "answering, nothing mapped), which are left alone otherwise");
    cmd->add_flag("--delete-shortcuts", options->DeleteShortcuts,
                  "Also delete the shortcut files whose action is Delete (they cannot be "
                  "backed up)");
    cmd->callback([options, &context] { context.ExitCode = RunCleanCommand(*options, context); });
}

}  // namespace hivewarden::cli
