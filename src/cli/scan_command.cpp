// `hivewarden scan`: scans a registry (given as .reg files, or the live one on Windows) for
// entries whose files are gone, and prints them as the results grid shows them.
#include <CLI/CLI.hpp>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/console_front_end.h"
#include "cli/machine_options.h"
#include "cli/platform_system.h"
#include "cli/registry_options.h"
#include "cli/report_output.h"
#include "cli/scan_json.h"
#include "cli/terminal_text.h"
#include "scan/probe_cache.h"
#include "scan/results_report.h"
#include "scan/scan_controller.h"
#include "scan/scan_options.h"

namespace hivewarden::cli {
namespace {

// The scan-settings page's boxes as flags, in the order of the page.
struct CategoryFlag {
    const char* Flag;
    std::int32_t Bit;
    const char* Caption;
};

constexpr CategoryFlag kCategoryFlags[] = {
    {"--entire-registry", scan::ScanAll, "Search the entire registry for invalid paths"},
    {"--shared-dlls", scan::ScanSharedDlls, "Search for invalid shared DLL file entries"},
    {"--help-files", scan::ScanHelp, "Search for invalid help file entries"},
    {"--trojans", scan::ScanTrojans, "Search for registry trojans"},
    {"--app-paths", scan::ScanAppPaths, "Search for invalid application paths"},
    {"--drivers", scan::ScanDrivers, "Search for invalid drivers (advanced)"},
    {"--sounds", scan::ScanSounds, "Search for invalid sounds"},
    {"--uninstall", scan::ScanUninstall, "Search for invalid uninstall paths"},
    {"--empty-keys", scan::ScanEmptyKeys, "Search for empty registry folders (advanced)"},
    {"--autorun", scan::ScanAutoRun, "Search for invalid autorun programs"},
    {"--fonts", scan::ScanFonts, "Search for invalid fonts entries"},
};

// The boxes checked when the page opens: all but the two advanced ones, shortcuts included.
constexpr std::int32_t kDefaultOptions = 2047 & ~(scan::ScanDrivers | scan::ScanEmptyKeys);

struct ScanCommandOptions {
    RegistryOptions Registry;
    MachineOptions Machine;
    std::string ProgramFolder;
    std::int32_t Flags = 0;
    std::int32_t Mask = -1;  // --options; -1 when not given
    bool Shortcuts = false;
    bool NoShortcuts = false;
    std::string Report;
    bool Json = false;
};

scan::ScanRequest MakeRequest(const ScanCommandOptions& o) {
    scan::ScanRequest request;
    const bool categoryGiven = o.Flags != 0 || o.Mask >= 0 || o.Shortcuts;
    if (!categoryGiven) {
        request.Options = kDefaultOptions;
        request.Shortcuts = !o.NoShortcuts;
    } else {
        request.Options = o.Flags | (o.Mask >= 0 ? o.Mask : 0);
        request.Shortcuts = o.Shortcuts && !o.NoShortcuts;
    }
    request.EmptyKeys = (request.Options & scan::ScanEmptyKeys) != 0;
    return request;
}

std::string WithTrailingSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') {
#ifdef _WIN32
        folder += '\\';
#else
        folder += '/';
#endif
    }
    return folder;
}

void PrintGrid(const scan::ResultGrid& grid, const std::string& caption, std::ostream& out) {
    for (const scan::ResultRow& row : grid.Rows) {
        out << row.Correction << std::string(row.Correction.size() < 13 ? 13 - row.Correction.size() : 1, ' ')
            << ToTerminal(row.ErrorKind) << "\n"
            << std::string(13, ' ') << ToTerminal(row.Body) << "\n";
    }
    if (!grid.Rows.empty()) out << "\n";
    for (const scan::CounterInfo& info : scan::kCounterTable) {
        std::string label(info.Caption);
        label.resize(22, ' ');
        out << "  " << label << grid.Counters.Text(info.Id) << "\n";
    }
    out << "\n" << caption << "\n";
}

bool WriteReport(const scan::ResultGrid& grid, const std::string& target, std::ostream& out,
                 std::string& error) {
    return WriteReportTo(
        target, out, [&grid](std::ostream& stream) { return scan::WriteResultsReport(grid, stream); }, error);
}

int RunScanCommand(const ScanCommandOptions& options, CommandContext& context) {
    if (options.Json && options.Report == "-") {
        context.Err << "hivewarden scan: --json and --report - both want standard output\n";
        return kExitUsage;
    }
    std::string error;
    std::unique_ptr<registry::RegistryStore> store = OpenRegistry(options.Registry, error);
    if (!store) {
        context.Err << "hivewarden scan: " << error << "\n";
        return kExitUsage;
    }
    std::unique_ptr<registry::FileProbes> probes = MakeProbes(options.Machine, error);
    if (!probes) {
        context.Err << "hivewarden scan: " << error << "\n";
        return kExitUsage;
    }
    if (const std::string warning = MachineWarning(options.Machine); !warning.empty()) {
        context.Err << "hivewarden scan: " << warning << "\n";
    }
    std::string programFolder = options.ProgramFolder.empty() ? ExecutableFolder()
                                                              : options.ProgramFolder;
    programFolder = WithTrailingSeparator(programFolder);

    scan::CachingProbes cached(*probes);
    engine::ScanState state;
    registry::RegistryAccess access(*store, cached, state);
    scan::PathContext paths{cached, cached.WindowsDirectory(), &state};
    scan::ScanSession session(state, access, paths);
    session.ProgramFolder = programFolder;
    scan::InitScanEngine(session);

    scan::ResultGrid grid;
    ConsoleScanFrontEnd frontEnd(session, grid, context.Err, StandardErrorIsTerminal());
    state.YieldHook = [&frontEnd] { frontEnd.OnYield(); };
    InstallInterruptHandler();

    scan::StartScan(session, frontEnd, MakeRequest(options));
    frontEnd.EndProgress();

    const std::string caption = "Kestovar Hivewarden - " +
                                grid.Counters.Text(scan::Counter::TotalProblems) + " errors found";
    if (options.Json) {
        context.Out << ScanToJson(session, grid, caption, frontEnd.Canceled()).dump(2) << "\n";
    } else if (options.Report != "-") {
        PrintGrid(grid, caption, context.Out);
    }
    if (!options.Report.empty() && !WriteReport(grid, options.Report, context.Out, error)) {
        context.Err << "hivewarden scan: " << error << "\n";
        return kExitFailed;
    }
    if (frontEnd.Interrupted()) {
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
    AddRegistryOptions(*cmd, options->Registry);
    AddMachineOptions(*cmd, options->Machine);
    cmd->add_option("--program-folder", options->ProgramFolder,
                    "Folder holding Ignore.ini, TrojanDef.ini and TrojanLock.ini "
                    "(default: the folder of this program)");
    for (const CategoryFlag& flag : kCategoryFlags) {
        const std::int32_t bit = flag.Bit;
        cmd->add_flag_callback(flag.Flag, [options, bit] { options->Flags |= bit; }, flag.Caption);
    }
    cmd->add_option("--options", options->Mask,
                    "All eleven category bits at once (1 entire registry, 2 shared DLLs, 4 help, "
                    "8 trojans, 16 application paths, 32 drivers, 64 sounds, 128 uninstall, "
                    "256 empty keys, 512 start-up programs, 1024 fonts)")
        ->check(CLI::Range(0, 2047));
    cmd->add_flag("--shortcuts", options->Shortcuts, "Search for invalid shortcuts on drive C:");
    cmd->add_flag("--no-shortcuts", options->NoShortcuts, "Do not search for invalid shortcuts");
    cmd->add_option("--report", options->Report,
                    "Write the semicolon report of the results to FILE (- for standard output)");
    cmd->add_flag("--json", options->Json, "Print every finding, shortcut and counter as JSON");
    cmd->callback([options, &context] { context.ExitCode = RunScanCommand(*options, context); });
}

}  // namespace hivewarden::cli
