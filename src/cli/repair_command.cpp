// `hivewarden repair`: applies the actions chosen in an edited `scan --json` file: each
// finding marked "Delete" or "Change Value" is written to a backup, then deleted or changed.
// On a registry loaded from .reg files the result is written back to a .reg file.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/json/findings_json.h"
#include "cli/console/platform_system.h"
#include "cli/console/progress_line.h"
#include "cli/output_checks.h"
#include "cli/repair_output.h"
#include "cli/scan_record.h"
#include "cli/scan_runner.h"
#include "cli/source_options.h"
#include "engine/scan_state.h"
#include "store/access.h"
#include "files/host_path.h"
#include "repair/backup_catalogue.h"
#include "repair/repair_executor.h"
#include "scan/scanned_value.h"
#include "scan/shortcuts/shortcut_removal.h"

namespace hivewarden::cli {
namespace {

struct RepairCommandOptions {
    std::string From;
    std::string BackupName;
    machine::MachineSource Source;
    std::string ProgramFolder;
    std::string Output;
    bool DryRun = false;
    bool DeleteShortcuts = false;
    bool NoProgress = false;
};

// The edited findings of `path`; "-" reads them from `standardInput`.
bool ReadFindingsFile(const std::string& path, std::istream& standardInput,
                      EditedFindings& findings, std::string& error) {
    std::ifstream file;
    if (path != "-") {
        file.open(registry::ToHostPath(path), std::ios::binary);
        if (!file) {
            error = "cannot open " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    std::istream& in = path == "-" ? standardInput : file;
    const std::string text(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) {
        error = "cannot read " + (path == "-" ? std::string("standard input") : path);
        return false;
    }
    if (!ReadEditedFindings(text, findings, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

// True when a finding marked for repair was reported for a missing path (not an empty key or
// a trojan lock, which the file system has no say in).
bool MarksPathFindings(const engine::ScanResultList& entries) {
    for (const engine::ErrorEntry& entry : entries) {
        const bool marked = entry.DeleteMark || !entry.FixedValue.empty();
        if (marked && !entry.IsEmptyKey && !entry.IsLockedTrojan) return true;
    }
    return false;
}

int RunRepairCommand(const RepairCommandOptions& options, CommandContext& context) {
    auto fail = [&context](const std::string& message, int code) {
        context.Err << "hivewarden repair: " << message << "\n";
        return code;
    };
    std::string error;
    std::string target;
    const std::string folder = ProgramFolderOf(options.ProgramFolder);
    if (!CheckBackupName(folder, options.BackupName, error) ||
        !machine::CheckWriteBackOptions(options.Source, options.Output, error)) {
        return fail(error, kExitUsage);
    }
    if (options.From == "-" && std::ranges::count(options.Source.RegistryFiles, "-") > 0) {
        return fail("--from - and --registry - both name standard input, which can be read only "
                    "once; give one of them as a file",
                    kExitUsage);
    }
    EditedFindings findings;
    if (!ReadFindingsFile(options.From, context.In, findings, error)) {
        return fail(error, kExitUsage);
    }
    // Everything the repair writes is checked first; a dry run is refused where it would be.
    const std::unique_ptr<machine::Machine> opened =
        machine::OpenMachine(options.Source, OpenOptionsFor(context, "repair"), error);
    if (!opened || !CheckRepairOutputs(*opened, options.Output, folder,
                                       MarksPathFindings(findings.Entries), target, error)) {
        return fail(error, kExitUsage);
    }
    if (const std::string summary = machine::RegistryLoadSummary(opened->Load());
        !summary.empty()) {
        context.Out << summary << "\n";
    }
    if (const std::string differ = SourcesDiffer(findings.RecordedSources, options.Source);
        !differ.empty()) {
        context.Err << "hivewarden repair: warning: " << differ << "\n";
    }
    registry::RegistryStore& store = opened->Store();
    registry::FileProbes& probes = opened->Probes();

    if (findings.ToRepair == 0) {
        context.Out << "No errors to fix!\n";
        return kExitOk;
    }
    if (!CheckBackupNameFree(folder, options.BackupName, error)) return fail(error, kExitUsage);

    engine::ScanState state;
    state.ScanResults = std::move(findings.Entries);
    registry::RegistryAccess access(store, probes, state);
    const std::string backupPath = repair::BackupFilePath(folder, options.BackupName);
    context.Out << "Kestovar Hivewarden will repair " << findings.ToRepair << " errors.\n";
    if (options.DryRun) {
        PrintRepairPreview(repair::PreviewScanRepair(state, access), state.ScanResults, backupPath,
                           context.Out);
        PrintShortcutPreview(findings.Shortcuts, options.DeleteShortcuts, context.Out);
        return kExitOk;
    }

    repair::SetBackupPath(state, backupPath);
    // Ctrl+C while the backup is written stops the repair before any change.
    InstallInterruptHandler();
    ProgressLine progress(context.Err, StandardErrorIsTerminal() && !options.NoProgress);
    state.YieldHook = [&state, &progress] {
        if (InterruptRequested()) state.StopRequested = true;
        ShowRepairProgress(progress, state.RepairStep, state.RepairMarked);
    };
    // Each entry found missing is asked again, of the file system as it is now.
    scan::PathContext paths{probes, probes.WindowsDirectory(), nullptr, probes.FontFolders()};
    repair::RepairOptions repairOptions;
    repairOptions.TargetStillMissing = scan::TargetRecheck(paths);
    const repair::RepairResult result = repair::RunRepair(state, access, {}, repairOptions);
    state.YieldHook = nullptr;
    progress.End();
    if (!result.Ok()) {
        return fail(result.Error->Message, InterruptRequested() ? kExitStopped : kExitFailed);
    }
    PrintRepairResult(result, backupPath, context.Out);
    // Stopped by Ctrl+C: no shortcut file is deleted either.
    const scan::ShortcutRemoval removal =
        result.Stopped ? scan::ShortcutRemoval{}
                       : scan::RemoveMarkedShortcuts(
                             findings.Shortcuts, AnswerShortcutQuestion(options.DeleteShortcuts),
                             probes);
    const bool shortcutsOk = PrintShortcutRemoval(removal, findings.Shortcuts, context.Out);
    if (!WriteBackAndSay(*opened, target, context.Out, error, &progress)) {
        return fail("the repaired registry could not be written: " + error, kExitFailed);
    }
    return RepairExitCode(result, shortcutsOk);
}

}  // namespace

void AddRepairCommand(CLI::App& app, CommandContext& context) {
    auto options = std::make_shared<RepairCommandOptions>();
    CLI::App* cmd = app.add_subcommand(
        "repair",
        "Apply the actions chosen in the findings of `hivewarden scan --json` (Ignore, Delete, "
        "Change Value with the new value in FixedValue), after a backup");
    cmd->add_option("--from", options->From,
                    "The edited output of hivewarden scan --json (- reads standard input)")
        ->required();
    cmd->add_option("--backup", options->BackupName,
                    "Name of the backup file written before the repair, without \".reg\"")
        ->required();
    AddRegistryOptions(*cmd, options->Source);
    AddMachineOptions(*cmd, options->Source);
    cmd->add_option("--program-folder", options->ProgramFolder,
                    "Folder that receives the backup (default: the folder of this program)");
    cmd->add_option("--output", options->Output,
                    "Write the repaired registry to FILE.reg (default, with one --registry: "
                    "back into that file)");
    cmd->add_flag("--dry-run", options->DryRun,
                  "Show what the repair would do; write no backup and change nothing");
    cmd->add_flag("--delete-shortcuts", options->DeleteShortcuts,
                  "Also delete the shortcut files whose action is Delete (they cannot be "
                  "backed up)");
    AddProgressOptions(*cmd, options->NoProgress);
    cmd->callback([options, &context] { context.ExitCode = RunRepairCommand(*options, context); });
}

}  // namespace hivewarden::cli
