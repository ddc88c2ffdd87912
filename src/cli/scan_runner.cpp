// The shared scan options, one console scan, and its listing.
#include "cli/scan_runner.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/console/platform_system.h"
#include "cli/source_options.h"
#include "files/host_path.h"
#include "scan/key_count.h"
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

// "312 KB", "212 MB".
std::string SizeText(std::uintmax_t bytes) {
    constexpr std::uintmax_t kKilo = 1024;
    if (bytes < kKilo * kKilo) return std::to_string((bytes + kKilo - 1) / kKilo) + " KB";
    return std::to_string((bytes + kKilo * kKilo / 2) / (kKilo * kKilo)) + " MB";
}

// The name of the phase that reads the source's registry files, with their size where the
// files are known beforehand.
std::string ReadingPhase(const machine::MachineSource& source) {
    std::vector<std::string> files;
    for (const std::string& file : source.RegistryFiles) {
        if (file != "-") files.push_back(file);
    }
    for (const std::string& mount : source.HiveMounts) {
        if (const std::size_t equals = mount.find('='); equals != std::string::npos) {
            files.push_back(mount.substr(equals + 1));
        }
    }
    if (!source.WinePrefix.empty()) {
        for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
            files.push_back(source.WinePrefix + "/" + name);
        }
    }
    std::uintmax_t bytes = 0;
    for (const std::string& file : files) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(registry::ToHostPath(file), error);
        if (!error) bytes += size;
    }
    if (bytes == 0) return "Reading the registry";
    return "Reading " + SizeText(bytes) + " of registry files";
}

// The action column is this wide; a longer action keeps one blank after it.
constexpr std::size_t kActionWidth = 13;

}  // namespace

void AddScanOptions(CLI::App& command, ScanOptions& options, const std::string& programFolderHelp) {
    AddRegistryOptions(command, options.Source);
    AddMachineOptions(command, options.Source);
    command.add_option("--program-folder", options.ProgramFolder, programFolderHelp);
    for (const CategoryFlag& flag : kCategoryFlags) {
        const std::int32_t bit = flag.Bit;
        std::int32_t* flags = &options.Flags;
        command.add_flag_callback(
            flag.Flag, [flags, bit] { *flags |= bit; }, flag.Caption);
    }
    command
        .add_option("--options", options.Mask,
                    "All eleven category bits at once (1 entire registry, 2 shared DLLs, 4 help, "
                    "8 trojans, 16 application paths, 32 drivers, 64 sounds, 128 uninstall, "
                    "256 empty keys, 512 start-up programs, 1024 fonts)")
        ->check(CLI::Range(0, 2047));
    command.add_flag("--shortcuts", options.Shortcuts, "Search for invalid shortcuts on drive C:");
    command.add_flag("--no-shortcuts", options.NoShortcuts, "Do not search for invalid shortcuts");
    AddProgressOptions(command, options.NoProgress);
}

void AddProgressOptions(CLI::App& command, bool& noProgress) {
    command.add_flag("-q,--quiet,--no-progress", noProgress,
                     "Draw no progress line on a terminal (results and warnings are still "
                     "printed)");
}

scan::ScanRequest MakeScanRequest(const ScanOptions& o) {
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

std::string ProgramFolderOf(std::string folder) {
    if (folder.empty()) folder = ExecutableFolder();
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') {
        folder += static_cast<char>(std::filesystem::path::preferred_separator);
    }
    return folder;
}

std::string ScanCaption(const scan::ResultGrid& grid) {
    return "Kestovar Hivewarden - " + grid.Counters.Text(scan::Counter::TotalProblems) +
           " errors found";
}

void PrintScanGrid(const scan::ResultGrid& grid, const std::string& caption, std::ostream& out) {
    for (const scan::ResultRow& row : grid.Rows) {
        const std::size_t pad =
            row.Correction.size() < kActionWidth ? kActionWidth - row.Correction.size() : 1;
        out << row.Correction << std::string(pad, ' ') << row.ErrorKind << "\n"
            << std::string(kActionWidth, ' ') << row.Body << "\n";
        if (!row.FixedValue.empty()) {
            out << std::string(kActionWidth, ' ') << "New value: " << row.FixedValue << "\n";
        }
    }
    if (!grid.Rows.empty()) out << "\n";
    for (const scan::CounterInfo& info : scan::kCounterTable) {
        std::string label(info.Caption);
        label.resize(22, ' ');
        out << "  " << label << grid.Counters.Text(info.Id) << "\n";
    }
    out << "\n" << caption << "\n";
}

bool CommandScan::Open(const ScanOptions& options, std::string_view command,
                       const CommandContext& context, std::string& error) {
    progress_ = std::make_unique<ProgressLine>(context.Err,
                                               StandardErrorIsTerminal() && !options.NoProgress);
    if (machine::HasRegistryFiles(options.Source)) progress_->Phase(ReadingPhase(options.Source));
    machine::OpenOptions open = OpenOptionsFor(context, command);
    // Warnings met while reading clear the progress line first.
    open.Warn = [&progress = *progress_, warn = std::move(open.Warn)](const std::string& text) {
        progress.End();
        warn(text);
    };
    machine_ = machine::OpenMachine(options.Source, open, error);
    progress_->End();
    if (!machine_) return false;
    programFolder_ = ProgramFolderOf(options.ProgramFolder);
    cached_ = std::make_unique<scan::CachingProbes>(machine_->Probes());
    access_ = std::make_unique<registry::RegistryAccess>(machine_->Store(), *cached_, state_);
    paths_ = std::make_unique<scan::PathContext>(
        scan::PathContext{*cached_, cached_->WindowsDirectory(), &state_, cached_->FontFolders()});
    session_ = std::make_unique<scan::ScanSession>(state_, *access_, *paths_);
    recheckPaths_ = std::make_unique<scan::PathContext>(
        scan::PathContext{machine_->Probes(), paths_->WindowsDir, nullptr, paths_->FontFolders});
    session_->RecheckPaths = recheckPaths_.get();
    session_->ProgramFolder = programFolder_;
    scan::InitScanEngine(*session_);
    return true;
}

void CommandScan::Run(const ScanOptions& options, std::string_view command, std::ostream& err) {
    if (const std::string warning = machine_->NoDriveWarning(); !warning.empty()) {
        err << "hivewarden " << command << ": " << warning << "\n";
    }
    std::uint64_t expectedKeys = 0;
    if (progress_->Shown()) {
        progress_->Phase("Counting the keys to scan");
        // Keys are cheap to count in a registry read from files; the live one is estimated.
        expectedKeys = scan::KeysToScan(
            *access_, MakeScanRequest(options).Options,
            machine::HasRegistryFiles(options.Source) ? scan::KeyCountMode::Exact
                                                      : scan::KeyCountMode::Estimate);
        progress_->Phase("Scanning", expectedKeys > 0 ? std::optional<double>(0.0) : std::nullopt);
    }
    frontEnd_ = std::make_unique<ConsoleScanFrontEnd>(*session_, grid_, err, *progress_,
                                                      expectedKeys);
    ConsoleScanFrontEnd* frontEnd = frontEnd_.get();
    state_.YieldHook = [frontEnd] { frontEnd->OnYield(); };
    InstallInterruptHandler();
    scan::StartScan(*session_, *frontEnd_, MakeScanRequest(options));
    frontEnd_->EndProgress();
    state_.YieldHook = nullptr;
}

}  // namespace hivewarden::cli
