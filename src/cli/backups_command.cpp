// `hivewarden backups`: the backups of the program folder, as the restore page shows them:
// `list` prints them, `restore` applies chosen ones in the order given, `remove` deletes one.
// A restore uses the program's own strict importer, each backup all or nothing: into a
// registry loaded from files, which is then written back (nothing is written unless every
// backup applied), or on Windows into the live registry.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/repair_output.h"
#include "cli/scan_runner.h"
#include "cli/source_options.h"
#include "machine/live.h"
#include "repair/backup_catalogue.h"
#include "repair/backup_restore.h"

namespace hivewarden::cli {
namespace {

struct BackupsCommandOptions {
    std::string ProgramFolder;
    std::vector<std::string> Names;  // restore: several; remove: one
    std::string Name;
    machine::MachineSource Source;  // the registry restored into
    std::string Output;
    bool AllowDeletions = false;  // restore: apply deletion lines the guard allows
};

int Fail(CommandContext& context, const std::string& message, int code) {
    context.Err << "hivewarden backups: " << message << "\n";
    return code;
}

// The folder's backups; false (after the message) when the folder cannot be listed.
bool List(const std::string& folder, std::vector<std::string>& backups, CommandContext& context) {
    std::string error;
    if (repair::ListBackups(folder, backups, error)) return true;
    Fail(context, error, kExitUsage);
    return false;
}

// The listed backup of each name, in the order given; false (after the message) for a name
// that names none.
bool Resolve(const std::vector<std::string>& names, const std::vector<std::string>& backups,
             const std::string& folder, std::vector<std::string>& files, CommandContext& context) {
    for (const std::string& name : names) {
        const std::optional<std::string> file = repair::FindBackup(backups, name);
        if (!file) {
            Fail(context, "no backup \"" + name + "\" in " + folder, kExitUsage);
            return false;
        }
        files.push_back(*file);
    }
    return true;
}

int RunList(const BackupsCommandOptions& options, CommandContext& context) {
    const std::string folder = ProgramFolderOf(options.ProgramFolder);
    std::vector<std::string> backups;
    if (!List(folder, backups, context)) return kExitUsage;
    for (const std::string& backup : backups) context.Out << backup << "\n";
    return kExitOk;
}

int RunRemove(const BackupsCommandOptions& options, CommandContext& context) {
    const std::string folder = ProgramFolderOf(options.ProgramFolder);
    std::vector<std::string> backups;
    std::vector<std::string> files;
    if (!List(folder, backups, context) ||
        !Resolve({options.Name}, backups, folder, files, context)) {
        return kExitUsage;
    }
    const registry::FileStatus removed = repair::RemoveBackup(folder, files.front());
    if (!removed) return Fail(context, removed.Message, kExitFailed);
    context.Out << "Removed " << folder << files.front() << "\n";
    return kExitOk;
}

// Every file checked before any is restored: each deletion line is listed (on stdout when it
// will be applied, else with the refusal); false when one file fails its check.
bool CheckFiles(const std::string& folder, const std::vector<std::string>& files,
                bool allowDeletions, CommandContext& context) {
    std::unique_ptr<CodePage> own;
    const CodePage& codePage = repair::BackupReadCodePage(own);
    bool ok = true;
    for (const std::string& file : files) {
        const repair::RestoreCheck check =
            repair::CheckRestore(folder + file, codePage, allowDeletions);
        for (const repair::RestoreDeletion& deletion : check.Deletions) {
            const std::string line =
                folder + file + ":" + std::to_string(deletion.Line) + ": " + Printable(deletion.What);
            if (!deletion.Refusal.empty()) {
                context.Err << "hivewarden backups: refused: " << line << " ("
                            << deletion.Refusal << ")\n";
            } else if (check.Status) {
                context.Out << "Deletes: " << line << "\n";
            } else {
                context.Err << "hivewarden backups: deletion line: " << line << "\n";
            }
        }
        if (!check.Status) {
            context.Err << "hivewarden backups: " << check.Status.Message << "\n";
            ok = false;
        }
    }
    return ok;
}

// Every backup through the program's importer, each whole or not at all. Into the registry of
// the --registry files (or a prefix, or hives): the registry is then written back, and nothing
// is written unless every backup was applied. Into the live registry: each backup that applied
// stays applied, and the ones that did not are named.
int Restore(const BackupsCommandOptions& options, const std::string& folder,
            const std::vector<std::string>& files, CommandContext& context) {
    std::string error;
    std::string target;
    const std::unique_ptr<machine::Machine> opened =
        machine::OpenMachine(options.Source, OpenOptionsFor(context, "backups"), error);
    if (!opened || !opened->WriteBackTarget(options.Output, target, error) ||
        !opened->CheckInPlaceWriteBack(target, "--output", error)) {
        return Fail(context, error, kExitUsage);
    }
    repair::StoreImporter importer(opened->Store(), nullptr, options.AllowDeletions);
    std::size_t restored = 0;
    for (const repair::RestoreOutcome& outcome : repair::RestoreBackups(folder, files, importer)) {
        if (outcome.Status) {
            context.Out << "Restored " << outcome.Path << "\n";
            ++restored;
        } else {
            context.Err << "hivewarden backups: " << outcome.Status.Message << "\n";
        }
    }
    if (restored < files.size()) {
        if (!machine::HasRegistryFiles(options.Source)) {
            return Fail(context,
                        std::to_string(restored) + " of " + std::to_string(files.size()) +
                            " backups restored into the live registry; the others changed "
                            "nothing",
                        kExitFailed);
        }
        return Fail(context, "nothing was written", kExitFailed);
    }
    if (!WriteBackAndSay(*opened, target, context.Out, error)) {
        return Fail(context, error, kExitFailed);
    }
    return kExitOk;
}

int RunRestore(const BackupsCommandOptions& options, CommandContext& context) {
    std::string error;
    if (!machine::CheckWriteBackOptions(options.Source, options.Output, error)) {
        return Fail(context, error, kExitUsage);
    }
    if (!machine::HasRegistryFiles(options.Source) && !machine::HasLiveRegistry()) {
        return Fail(context, "no registry to restore into: give one or more --registry FILE.reg",
                    kExitUsage);
    }
    const std::string folder = ProgramFolderOf(options.ProgramFolder);
    std::vector<std::string> backups;
    std::vector<std::string> files;
    if (!List(folder, backups, context) ||
        !Resolve(options.Names, backups, folder, files, context)) {
        return kExitUsage;
    }
    if (!CheckFiles(folder, files, options.AllowDeletions, context)) {
        return Fail(context, "nothing was restored", kExitUsage);
    }
    return Restore(options, folder, files, context);
}

}  // namespace

void AddBackupsCommand(CLI::App& app, CommandContext& context) {
    auto options = std::make_shared<BackupsCommandOptions>();
    CLI::App* cmd = app.add_subcommand(
        "backups", "List, restore or remove the backups (.reg files) of the program folder");
    cmd->require_subcommand(1);
    cmd->add_option("--program-folder", options->ProgramFolder,
                    "Folder that holds the backups (default: the folder of this program)");

    CLI::App* list = cmd->add_subcommand("list", "Print the backups' file names, sorted by name");
    list->fallthrough();
    list->callback([options, &context] { context.ExitCode = RunList(*options, context); });

    CLI::App* restore = cmd->add_subcommand(
        "restore",
        "Restore backups in the order given, each whole or not at all: into the registry of the "
        "--registry files, or on Windows into the live registry");
    restore->fallthrough();
    restore->add_option("NAME", options->Names, "Backup names, with or without \".reg\"")
        ->required();
    AddRegistryOptions(*restore, options->Source);
    // One file per --registry, so that names after it stay backup names.
    restore->get_option("--registry")->allow_extra_args(false);
    restore->add_option("--output", options->Output,
                        "Write the restored registry to FILE.reg (default, with one "
                        "--registry: back into that file)");
    restore->add_flag("--allow-deletions", options->AllowDeletions,
                      "Apply the deletion lines ([-key], \"name\"=-) of the files, which the "
                      "program's own backups never hold; keys the repair never deletes stay "
                      "refused");
    restore->callback([options, &context] { context.ExitCode = RunRestore(*options, context); });

    CLI::App* remove = cmd->add_subcommand("remove", "Delete one backup file");
    remove->fallthrough();
    remove->add_option("NAME", options->Name, "Backup name, with or without \".reg\"")->required();
    remove->callback([options, &context] { context.ExitCode = RunRemove(*options, context); });
}

}  // namespace hivewarden::cli
