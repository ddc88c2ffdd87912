// The scan as the `scan` and `clean` commands run it: the options they share (registry,
// machine, program folder, categories, shortcuts), one scan over the registry and machine
// those options name with the console front end, and the listing of its results. Glue only.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/console/console_front_end.h"
#include "cli/console/progress_line.h"
#include "engine/scan_state.h"
#include "machine/machine.h"
#include "store/access.h"
#include "scan/probe_cache.h"
#include "scan/results/result_rows.h"
#include "scan/scan_controller.h"
#include "scan/scan_session.h"

namespace CLI {
class App;
}

namespace hivewarden::cli {

struct ScanOptions {
    machine::MachineSource Source;  // the registry and the file system scanned
    std::string ProgramFolder;
    std::int32_t Flags = 0;  // category flags given
    std::int32_t Mask = -1;  // --options; -1 when not given
    bool Shortcuts = false;
    bool NoShortcuts = false;
    bool NoProgress = false;  // no progress line, also on a terminal
};

// Registers --registry, the machine options, --program-folder (with `programFolderHelp`), the
// category flags, --options, --shortcuts, --no-shortcuts and --no-progress.
void AddScanOptions(CLI::App& command, ScanOptions& options, const std::string& programFolderHelp);
// Registers -q,--quiet and --no-progress, both setting `noProgress`.
void AddProgressOptions(CLI::App& command, bool& noProgress);

// What the scan-settings page would start: the boxes given, or the default boxes.
scan::ScanRequest MakeScanRequest(const ScanOptions& options);

// `folder` with a trailing separator; the folder of the program file when `folder` is empty.
std::string ProgramFolderOf(std::string folder);

// "Kestovar Hivewarden - N errors found".
std::string ScanCaption(const scan::ResultGrid& grid);

// The results grid after a scan (action, description, key, and the new value of a Change Value
// row), the counters and the caption.
void PrintScanGrid(const scan::ResultGrid& grid, const std::string& caption, std::ostream& out);

// One scan and everything it works with; the objects stay valid for a repair afterwards.
class CommandScan {
  public:
    CommandScan() = default;
    CommandScan(const CommandScan&) = delete;
    CommandScan& operator=(const CommandScan&) = delete;

    // Opens the machine: its registry and its probes. False with `error` when the input cannot
    // be used (an unreadable .reg file, contradicting machine options). Warnings met while
    // reading (skipped .reg lines, read-only hives) go to the context's error stream under the
    // name of `command`.
    bool Open(const ScanOptions& options, std::string_view command, const CommandContext& context,
              std::string& error);
    // Scans as the scan-settings page asks: a progress line on a terminal, Ctrl+C as Cancel,
    // warnings to `err` under the name of `command`.
    void Run(const ScanOptions& options, std::string_view command, std::ostream& err);

    machine::Machine& Machine() { return *machine_; }
    registry::RegistryStore& Store() { return machine_->Store(); }
    registry::RegistryAccess& Access() { return *access_; }
    engine::ScanState& State() { return state_; }
    scan::ScanSession& Session() { return *session_; }
    scan::ResultGrid& Grid() { return grid_; }
    const std::string& ProgramFolder() const { return programFolder_; }
    // The command's progress line (nothing is drawn unless standard error is a terminal and
    // progress was not turned off); valid after Open.
    ProgressLine& Progress() { return *progress_; }
    bool Canceled() const { return frontEnd_ && frontEnd_->Canceled(); }
    bool Interrupted() const { return frontEnd_ && frontEnd_->Interrupted(); }

  private:
    std::unique_ptr<machine::Machine> machine_;
    std::unique_ptr<scan::CachingProbes> cached_;
    engine::ScanState state_;
    std::unique_ptr<registry::RegistryAccess> access_;
    std::unique_ptr<scan::PathContext> paths_;
    std::unique_ptr<scan::PathContext> recheckPaths_;  // uncached: a repair's second look
    std::unique_ptr<scan::ScanSession> session_;
    scan::ResultGrid grid_;
    std::unique_ptr<ProgressLine> progress_;
    std::unique_ptr<ConsoleScanFrontEnd> frontEnd_;
    std::string programFolder_;
};

}  // namespace hivewarden::cli
