// `hivewarden search`: the registry-wide text search. Finds every key name, value name and
// value data below HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE that contains one of the texts,
// prints the hits as the custom-search grid shows them, and on request deletes them or
// replaces their data through the custom repair, after a backup.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <ctime>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/console/console_search_front_end.h"
#include "cli/json/json_text.h"
#include "cli/output_checks.h"
#include "cli/console/platform_system.h"
#include "cli/repair_output.h"
#include "cli/report_output.h"
#include "cli/scan_runner.h"
#include "cli/json/search_json.h"
#include "cli/source_options.h"
#include "custom/custom_repair_page.h"
#include "custom/custom_report.h"
#include "custom/custom_search.h"
#include "repair/repair_executor.h"

namespace hivewarden::cli {
namespace {

constexpr std::size_t kActionWidth = 13;

struct SearchCommandOptions {
    machine::MachineSource Source;
    std::vector<std::string> Texts;
    std::string Report;
    bool Json = false;
    // The custom repair: every hit deleted, or every value hit's data replaced.
    bool Delete = false;
    std::string Replace;
    bool ReplaceGiven = false;
    std::string BackupName;  // default: the proposed day-month-year-hour-minute
    bool BackupGiven = false;
    std::string ProgramFolder;
    bool DryRun = false;
    std::string SaveRegistry;  // the repaired registry as a .reg file
    bool NoProgress = false;

    bool Repairs() const { return Delete || ReplaceGiven; }
};

void PrintGrid(const custom::CustomGrid& grid, const std::string& caption, std::ostream& out) {
    const std::string indent(kActionWidth, ' ');
    for (const custom::CustomRow& row : grid.Rows) {
        std::string action = row.Action;
        action.resize(std::max(action.size() + 1, kActionWidth), ' ');
        out << action << Printable(row.String) << "\n" << indent << Printable(row.Body) << "\n";
        if (!row.Fixed.empty()) out << indent << "Fixed: " << Printable(row.Fixed) << "\n";
    }
    if (!grid.Rows.empty()) out << "\n";
    out << caption << "\n";
}

bool WriteReport(const custom::CustomGrid& grid, const std::string& target,
                 const CommandContext& context, std::string& error) {
    return WriteReportTo(
        target, context.Out, context.OutIsTerminal,
        [&grid](std::ostream& stream) { return custom::WriteCustomReport(grid, stream); }, error);
}

// The texts as given; a blank text is refused, as the search-text page refuses it.
bool ReadTerms(const SearchCommandOptions& options, custom::SearchTerms& terms,
               std::string& error) {
    for (const std::string& text : options.Texts) {
        if (text.find_first_not_of(' ') == std::string::npos) {
            error = "a search text must not be empty or blank";
            return false;
        }
        terms.push_back(text);
    }
    return true;
}

// The backup name as the file will carry it: the one given, else the proposed one.
std::string BackupNameFor(const SearchCommandOptions& options, const std::string& proposed) {
    return options.BackupGiven ? options.BackupName : proposed;
}

// The rows' actions for the repair: --delete deletes every hit; --replace keeps the rows as
// they start ("Replace" with the replace text) for value hits and ignores key hits.
void ChooseRepairActions(const SearchCommandOptions& options, custom::CustomGrid& grid) {
    for (std::int32_t row = 1; row <= grid.RowCount(); ++row) {
        if (options.Delete) {
            grid.ChooseAction(row, custom::kActionDelete, "", nullptr);
        } else if (grid.Row(row).ImageKey == custom::kImageKey) {
            grid.ChooseAction(row, custom::kActionIgnore, "", nullptr);
        }
    }
}

std::string ChangeText(const repair::RepairPreviewItem& item, const engine::CustomHitList& hits) {
    switch (item.Change) {
        case repair::ChangeKind::DeleteKey:
            return "delete (" + std::to_string(item.KeysRemoved) + " keys, " +
                   std::to_string(item.ValuesRemoved) + " values)";
        case repair::ChangeKind::DeleteValue:
            return "delete";
        case repair::ChangeKind::SetValue:
            return "replace by \"" + Printable(hits[item.Index].ReplaceText) + "\"";
        default:
            return "nothing";
    }
}

nlohmann::ordered_json NotesToJson(const std::vector<repair::RepairNote>& notes) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const repair::RepairNote& note : notes) {
        list.push_back({{"Index", note.Index},
                        {"What", note.What},
                        {"Reason", note.Reason}});
    }
    return list;
}

// What the custom repair did or would do, for the listing and for JSON.
struct RepairOutcome {
    bool Ran = false;
    std::string Refusal;  // why the repair did not start: its backup name is taken
    custom::CustomRepairPreview Preview;
    std::string BackupPath;
    std::vector<repair::RepairPreviewItem> DryRunItems;
    repair::RepairResult Result;
};

RepairOutcome RepairHits(const SearchCommandOptions& options, custom::CustomGrid& grid,
                         engine::ScanState& state, registry::RegistryAccess& access) {
    RepairOutcome outcome;
    ChooseRepairActions(options, grid);
    outcome.Preview = custom::PrepareCustomRepairPage(grid, LocalNow());
    if (outcome.Preview.Count == 0) return outcome;
    const std::string folder = ProgramFolderOf(options.ProgramFolder);
    // An existing backup is never overwritten: a given name that is taken is refused, a
    // proposed one (made twice within one minute) takes the next free name, now and again when
    // the backup is written.
    const std::string name = options.BackupGiven
                                 ? options.BackupName
                                 : FreeBackupName(folder, outcome.Preview.BackupName);
    if (!CheckBackupNameFree(folder, name, outcome.Refusal)) return outcome;
    outcome.Ran = true;
    custom::CustomRepairContext repairContext{
        state, access, folder, name, [](bool, std::int32_t) {}, {}};
    repairContext.Options.NextFreeBackupName = !options.BackupGiven;
    if (options.DryRun) {
        custom::StartCustomRepair(grid, state, repairContext.ProgramFolder,
                                  repairContext.BackupName);
        outcome.DryRunItems = repair::PreviewCustomRepair(state, access);
    } else {
        outcome.Result = custom::RunCustomRepairStep(grid, repairContext);
    }
    outcome.BackupPath =
        outcome.Result.BackupPath.empty() ? state.BackupPath : outcome.Result.BackupPath;
    return outcome;
}

void PrintRepair(const RepairOutcome& outcome, bool dryRun, const engine::CustomHitList& hits,
                 std::ostream& out) {
    if (!outcome.Refusal.empty()) return;
    if (!outcome.Ran) {
        out << "Nothing to repair.\n";
        return;
    }
    out << outcome.Preview.Caption << "\n";
    if (dryRun) {
        out << "Dry run: the backup would be " << outcome.BackupPath
            << "; nothing was changed.\n";
        for (const repair::RepairPreviewItem& item : outcome.DryRunItems) {
            out << "  " << Printable(item.What) << ": "
                << (item.SkipReason.empty() ? ChangeText(item, hits)
                                            : "left alone (" + Printable(item.SkipReason) + ")")
                << "\n";
        }
        return;
    }
    if (outcome.Result.Ok()) PrintRepairResult(outcome.Result, outcome.BackupPath, out);
}

nlohmann::ordered_json RepairToJson(const RepairOutcome& outcome, bool dryRun) {
    nlohmann::ordered_json j;
    j["count"] = outcome.Preview.Count;
    j["dryRun"] = dryRun;
    j["backup"] = outcome.BackupPath;
    if (!outcome.Refusal.empty()) j["error"] = outcome.Refusal;
    if (!outcome.Ran) return j;
    if (dryRun) {
        j["plan"] = nlohmann::ordered_json::array();
        for (const repair::RepairPreviewItem& item : outcome.DryRunItems) {
            j["plan"].push_back({{"Index", item.Index},
                                 {"What", item.What},
                                 {"KeysRemoved", item.KeysRemoved},
                                 {"ValuesRemoved", item.ValuesRemoved},
                                 {"SkipReason", item.SkipReason}});
        }
        return j;
    }
    const repair::RepairResult& result = outcome.Result;
    j["error"] = result.Ok() ? "" : result.Error->Message;
    j["marked"] = result.Marked;
    j["changed"] = result.Changed;
    j["unchanged"] = result.Unchanged;
    j["skipped"] = NotesToJson(result.Skipped);
    j["failed"] = NotesToJson(result.Failed);
    j["storedAsText"] = NotesToJson(result.StoredAsText);
    return j;
}

// Everything the search and its repair will write, checked before the search: the report,
// the saved registry, the backup folder, and that the registry may be changed at all. A dry
// run is refused where the repair would be.
bool CheckSearchOutputs(const SearchCommandOptions& options, machine::Machine& opened,
                        std::string& error) {
    if (!CheckOutputFile(options.Report, "--report", error) ||
        !CheckOutputFile(options.SaveRegistry, "--save-registry", error)) {
        return false;
    }
    if (!options.Repairs()) return true;
    if (!options.Source.RegistryFiles.empty() && options.SaveRegistry.empty()) {
        error = "--delete and --replace change only the registry loaded from the --registry "
                "files; give --save-registry FILE.reg to keep the result";
        return false;
    }
    if (const std::string refusal = opened.WriteRefusal(); !refusal.empty()) {
        error = refusal;
        return false;
    }
    return CheckOutputFolder(ProgramFolderOf(options.ProgramFolder), "the backup", error);
}

int RunSearchCommand(const SearchCommandOptions& options, CommandContext& context) {
    if (options.Json && options.Report == "-") {
        context.Err << "hivewarden search: --json and --report - both want standard output\n";
        return kExitUsage;
    }
    if (!options.Repairs() &&
        (options.DryRun || options.BackupGiven || !options.ProgramFolder.empty())) {
        context.Err << "hivewarden search: --backup, --program-folder and --dry-run go with "
                       "--delete or --replace\n";
        return kExitUsage;
    }
    if (!options.SaveRegistry.empty() &&
        (!options.Repairs() || options.Source.RegistryFiles.empty())) {
        context.Err << "hivewarden search: --save-registry goes with --registry and --delete or "
                       "--replace\n";
        return kExitUsage;
    }
    std::string error;
    custom::SearchTerms terms;
    // A name given on the command line is checked before the search, which may take long.
    const std::string givenBackup = BackupNameFor(options, "");
    if (!ReadTerms(options, terms, error) ||
        (options.BackupGiven &&
         (!CheckBackupName(ProgramFolderOf(options.ProgramFolder), givenBackup, error) ||
          !CheckBackupNameFree(ProgramFolderOf(options.ProgramFolder), givenBackup, error)))) {
        context.Err << "hivewarden search: " << error << "\n";
        return kExitUsage;
    }
    const std::unique_ptr<machine::Machine> opened =
        machine::OpenMachine(options.Source, OpenOptionsFor(context, "search"), error);
    if (!opened ||
        !opened->CheckInPlaceWriteBack(options.SaveRegistry, "another --save-registry", error) ||
        !CheckSearchOutputs(options, *opened, error)) {
        context.Err << "hivewarden search: " << error << "\n";
        return kExitUsage;
    }
    const machine::RegistryLoad& load = opened->Load();

    engine::ScanState state;
    registry::RegistryAccess access(opened->Store(), opened->Probes(), state);
    custom::CustomSearch search(state, access);
    custom::CustomGrid grid;
    const std::string replaceText = options.ReplaceGiven ? options.Replace : "";
    ConsoleSearchFrontEnd frontEnd(search, grid, replaceText, context.Err,
                                   StandardErrorIsTerminal() && !options.NoProgress);
    state.YieldHook = [&frontEnd] { frontEnd.OnYield(); };
    InstallInterruptHandler();

    custom::RunCustomSearch(search, frontEnd, terms);
    frontEnd.PollNow();
    frontEnd.EndProgress();
    state.YieldHook = nullptr;

    // A stopped search repairs nothing: the hits found so far are only shown.
    RepairOutcome repairOutcome;
    const bool repairs = options.Repairs() && !frontEnd.Interrupted();
    if (repairs) {
        // Ctrl+C while the backup is written stops the repair before any change; after it,
        // between two changes.
        state.YieldHook = [&state] {
            if (InterruptRequested()) state.StopRequested = true;
        };
        repairOutcome = RepairHits(options, grid, state, access);
        state.YieldHook = nullptr;
    }

    const std::string caption =
        "Kestovar Hivewarden - " + std::to_string(state.CustomHits.Count()) + " strings found";
    if (options.Json) {
        nlohmann::ordered_json json =
            SearchToJson(state.CustomHits, grid, caption, frontEnd.Canceled());
        if (repairs) json["repair"] = RepairToJson(repairOutcome, options.DryRun);
        json["registrySkippedLines"] = load.SkippedLines();
        json["registryChangedLines"] = load.ChangedLines();
        context.Out << JsonText(json, 2) << "\n";
    } else if (options.Report != "-") {
        PrintGrid(grid, caption, context.Out);
        if (repairs) PrintRepair(repairOutcome, options.DryRun, state.CustomHits, context.Out);
        if (const std::string summary = machine::RegistryLoadSummary(load); !summary.empty()) {
            context.Out << summary << "\n";
        }
    }
    if (!options.Report.empty() && !WriteReport(grid, options.Report, context, error)) {
        context.Err << "hivewarden search: " << error << "\n";
        return kExitFailed;
    }
    if (!repairOutcome.Refusal.empty()) {
        context.Err << "hivewarden search: " << repairOutcome.Refusal << "\n";
        return kExitUsage;
    }
    if (repairs && repairOutcome.Ran && !options.DryRun && !repairOutcome.Result.Ok()) {
        context.Err << "hivewarden search: " << repairOutcome.Result.Error->Message << "\n";
        return kExitFailed;
    }
    if (repairs && !options.DryRun && !options.SaveRegistry.empty() &&
        !opened->WriteBack(options.SaveRegistry, error)) {
        context.Err << "hivewarden search: " << error << "\n";
        return kExitFailed;
    }
    // Wine prefix: the repaired registry goes back into the prefix's files.
    if (repairs && !options.DryRun &&
        (!options.Source.WinePrefix.empty() || machine::UsesHives(options.Source)) &&
        !opened->WriteBack(options.Source.WinePrefix, error)) {
        context.Err << "hivewarden search: the repaired registry could not be written: " << error
                    << "\n";
        return kExitFailed;
    }
    if (frontEnd.Interrupted()) {
        context.Err << "hivewarden search: stopped by Ctrl+C; the hits so far are shown\n";
        return kExitStopped;
    }
    // A change that did not take, or Ctrl+C between two changes, is not success.
    if (repairs && repairOutcome.Ran && !options.DryRun) {
        return RepairExitCode(repairOutcome.Result, true);
    }
    return kExitOk;
}

}  // namespace

void AddSearchCommand(CLI::App& app, CommandContext& context) {
    auto options = std::make_shared<SearchCommandOptions>();
    CLI::App* cmd = app.add_subcommand(
        "search",
        "Find every key name, value name and value data below HKEY_CURRENT_USER and "
        "HKEY_LOCAL_MACHINE that contains one of the texts (case-insensitive)");
    AddRegistryOptions(*cmd, options->Source);
    AddMachineOptions(*cmd, options->Source);
    // Repeatable options take one value per occurrence here, so that the texts after them
    // stay texts: "--registry a.reg run" searches a.reg for "run".
    for (const char* name : {"--registry", "--drive", "--env"}) {
        if (CLI::Option* option = cmd->get_option_no_throw(name)) option->allow_extra_args(false);
    }
    cmd->add_option("TEXT", options->Texts,
                    "Texts to search for, in order; a hit names the first listed text it "
                    "contains")
        ->required();
    cmd->add_option("--report", options->Report,
                    "Write the semicolon report of the hits to FILE (- for standard output)");
    cmd->add_flag("--json", options->Json, "Print every hit as JSON");
    CLI::Option* remove =
        cmd->add_flag("--delete", options->Delete,
                      "Delete every hit (keys with everything below them, values) after a backup");
    CLI::Option* replace =
        cmd->add_option("--replace", options->Replace,
                        "Replace the whole data of every value hit by TEXT, stored as a text "
                        "value, after a backup; key hits are left alone")
            ->excludes(remove);
    replace->each([options](const std::string&) { options->ReplaceGiven = true; });
    cmd->add_option("--backup", options->BackupName,
                    "Name of the backup file written before the repair, without \".reg\" "
                    "(default: day-month-year-hour-minute)")
        ->each([options](const std::string&) { options->BackupGiven = true; });
    cmd->add_option("--program-folder", options->ProgramFolder,
                    "Folder that receives the backup (default: the folder of this program)");
    cmd->add_option("--save-registry", options->SaveRegistry,
                    "After the repair, write the registry loaded with --registry, as it now "
                    "stands, to FILE.reg");
    cmd->add_flag("--dry-run", options->DryRun,
                  "Show what the repair would do; write no backup and change nothing");
    AddProgressOptions(*cmd, options->NoProgress);
    cmd->callback([options, &context] { context.ExitCode = RunSearchCommand(*options, context); });
}

}  // namespace hivewarden::cli
