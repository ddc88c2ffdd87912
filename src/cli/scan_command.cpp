// `hivewarden scan`: scans a registry (given as .reg files, or the live one on Windows) for
// entries whose files are gone, and prints them as the results grid shows them.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/json/json_text.h"
#include "cli/output_checks.h"
#include "cli/report_output.h"
#include "cli/json/scan_json.h"
#include "cli/scan_record.h"
#include "cli/scan_runner.h"
#include "scan/results/results_report.h"

namespace hivewarden::cli {
namespace {

struct ScanCommandOptions {
    ScanOptions Scan;
    std::string Report;
    bool Json = false;
};

bool WriteReport(const scan::ResultGrid& grid, const std::string& target,
                 const CommandContext& context, std::string& error) {
    return WriteReportTo(
        target, context.Out, context.OutIsTerminal,
        [&grid](std::ostream& stream) { return scan::WriteResultsReport(grid, stream); }, error);
}

int RunScanCommand(const ScanCommandOptions& options, CommandContext& context) {
    if (options.Json && options.Report == "-") {
        context.Err << "hivewarden scan: --json and --report - both want standard output\n";
        return kExitUsage;
    }
    std::string error;
    CommandScan scan;
    if (!CheckOutputFile(options.Report, "--report", error) ||
        !scan.Open(options.Scan, "scan", context, error)) {
        context.Err << "hivewarden scan: " << error << "\n";
        return kExitUsage;
    }
    scan.Run(options.Scan, "scan", context.Err);
    const machine::RegistryLoad& load = scan.Machine().Load();

    const scan::ResultGrid& grid = scan.Grid();
    const std::string caption = ScanCaption(grid);
    if (options.Json) {
        nlohmann::ordered_json json = ScanToJson(scan.Session(), grid, caption, scan.Canceled());
        RecordScan(json, options.Scan.Source);
        if (const std::string warning = scan.Machine().NoDriveWarning(); !warning.empty()) {
            json["warnings"] = nlohmann::ordered_json::array({warning});
        }
        json["registrySkippedLines"] = load.SkippedLines();
        json["registryChangedLines"] = load.ChangedLines();
        context.Out << JsonText(json, 2) << "\n";
    } else if (options.Report != "-") {
        PrintScanGrid(grid, caption, context.Out);
        if (const std::string summary = machine::RegistryLoadSummary(load); !summary.empty()) {
            context.Out << summary << "\n";
        }
    }
    if (!options.Report.empty() && !WriteReport(grid, options.Report, context, error)) {
        context.Err << "hivewarden scan: " << error << "\n";
        return kExitFailed;
    }
    if (scan.Interrupted()) {
        context.Err << "hivewarden scan: stopped by Ctrl+C; the findings so far are shown\n";
        return kExitStopped;
    }
    return kExitOk;
}

}  // namespace

void AddScanCommand(CLI::App& app, CommandContext& context) {
    auto options = std::make_shared<ScanCommandOptions>();
    CLI::App* cmd = app.add_subcommand(
        "scan", "Scan the registry for entries whose files, folders or drives are gone");
    AddScanOptions(*cmd, options->Scan,
                   "Folder holding Ignore.ini, TrojanDef.ini and TrojanLock.ini "
                   "(default: the folder of this program)");
    cmd->add_option("--report", options->Report,
                    "Write the semicolon report of the results to FILE (- for standard output)");
    cmd->add_flag("--json", options->Json, "Print every finding, shortcut and counter as JSON");
    cmd->callback([options, &context] { context.ExitCode = RunScanCommand(*options, context); });
}

}  // namespace hivewarden::cli
