// Console front end of the scan.
#include "cli/console/console_front_end.h"

#include <ostream>

#include "cli/console/platform_system.h"
#include "scan/scan_controller.h"

namespace hivewarden::cli {
namespace {

// The clock is read once every this many yields: a yield comes after every registry item,
// and reading the clock each time would cost more than the walk itself on a fast store.
constexpr std::uint32_t kYieldsPerClockRead = 64;
constexpr auto kTimerInterval = std::chrono::milliseconds(500);
constexpr auto kDrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

}  // namespace

ConsoleScanFrontEnd::ConsoleScanFrontEnd(scan::ScanSession& session, scan::ResultGrid& grid,
                                         std::ostream& err, bool showProgress)
    : session_(session), grid_(grid), err_(err), showProgress_(showProgress) {}

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
    if (showProgress_ && now - lastDraw_ >= kDrawInterval) {
        lastDraw_ = now;
        DrawProgress();
    }
}

void ConsoleScanFrontEnd::DrawProgress() {
    const std::int32_t percent = session_.State.ProgressPercent;
    std::string line = "\rScanning ";
    if (percent >= 100) {
        line += "shortcuts...                       ";
    } else {
        const int filled = percent * kBarWidth / 100;
        line += '[';
        line.append(static_cast<std::size_t>(filled), '#');
        line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
        line += "] ";
        line += std::to_string(percent);
        line += '%';
    }
    line += "  ";
    line += std::to_string(session_.State.ScanResults.Count());
    line += " findings ";
    err_ << line << std::flush;
    progressShown_ = true;
}

void ConsoleScanFrontEnd::EndProgress() {
    if (!progressShown_) return;
    err_ << "\r" << std::string(kBarWidth + 40, ' ') << "\r" << std::flush;
    progressShown_ = false;
}

}  // namespace hivewarden::cli
