// Console front end of the scan.
#include "cli/console/console_front_end.h"

#include <algorithm>
#include <optional>
#include <ostream>

#include "cli/console/platform_system.h"
#include "scan/scan_controller.h"

namespace hivewarden::cli {
namespace {

// The clock is read once every this many yields: a yield comes after every registry item,
// and reading the clock each time would cost more than the walk itself on a fast store.
constexpr std::uint32_t kYieldsPerClockRead = 64;
constexpr auto kTimerInterval = std::chrono::milliseconds(500);
// A count of keys known beforehand may be an estimate (the live registry): once the scan has
// read more, the whole is taken as this much more than what was read.
constexpr double kBeyondEstimate = 1.02;

std::string FindingsText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " finding" : " findings");
}

}  // namespace

ConsoleScanFrontEnd::ConsoleScanFrontEnd(scan::ScanSession& session, scan::ResultGrid& grid,
                                         std::ostream& err, ProgressLine& progress,
                                         std::uint64_t expectedKeys)
    : session_(session), grid_(grid), err_(err), progress_(progress),
      expectedKeys_(expectedKeys) {}

void ConsoleScanFrontEnd::ResultsTimerTick() {
    if (scan::CheckForNewTick(session_.State, grid_, session_.Exclusions)) timerOn_ = false;
}

void ConsoleScanFrontEnd::Done(bool canceled, int /*task*/) { canceled_ = canceled_ || canceled; }

void ConsoleScanFrontEnd::ShowMessage(const std::string& text) {
    EndProgress();
    std::string line = text;
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    err_ << "hivewarden: warning: " << line << "\n";
}

void ConsoleScanFrontEnd::ResetResults() {
    grid_.RemoveAllRows();
    grid_.Counters.Reset();
}

void ConsoleScanFrontEnd::ShortcutFound(const scan::ShortcutEntry& entry) {
    grid_.AddShortcutRow(entry.LinkPath, entry.LinkTarget, entry.LinkIndex);
}

void ConsoleScanFrontEnd::ScanFinished() {
    EndProgress();
    grid_.SortByColumn(scan::kColumnImg);
}

void ConsoleScanFrontEnd::OnYield() {
    if (++yields_ % kYieldsPerClockRead != 0) return;
    if (InterruptRequested() && !interrupted_) {
        interrupted_ = true;
        scan::CancelScan(session_);
    }
    const auto now = std::chrono::steady_clock::now();
    if (timerOn_ && now - lastTick_ >= kTimerInterval) {
        lastTick_ = now;
        ResultsTimerTick();
    }
    if (progress_.Shown()) DrawProgress();
}

void ConsoleScanFrontEnd::DrawProgress() {
    const engine::ScanState& state = session_.State;
    const std::string detail = FindingsText(state.ScanResults.Count());
    // The registry is done; the shortcut scan (if any) has no known whole.
    if (state.ProgressPercent >= 100) {
        if (!shortcutsPhase_) {
            shortcutsPhase_ = true;
            progress_.Phase("Scanning shortcuts", std::nullopt, detail);
        }
        progress_.Update(std::nullopt, detail);
        return;
    }
    std::optional<double> done;
    if (expectedKeys_ > 0) {
        const double visited = static_cast<double>(state.KeysVisited);
        const double whole = std::max(static_cast<double>(expectedKeys_), visited * kBeyondEstimate);
        done = visited / whole;
    }
    progress_.Update(done, detail);
}

void ConsoleScanFrontEnd::EndProgress() { progress_.End(); }

}  // namespace hivewarden::cli
