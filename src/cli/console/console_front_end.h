// The command line as the scan's front end: findings go into the same results-grid model the
// window uses, messages become warning lines, progress is drawn on a terminal, and Ctrl+C
// acts as Cancel. Glue only.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "cli/console/progress_line.h"
#include "scan/results/result_rows.h"
#include "scan/scan_session.h"

namespace hivewarden::cli {

class ConsoleScanFrontEnd final : public scan::ScanFrontEnd {
public:
    // `expectedKeys`: the keys the scan will read (scan/key_count.h), 0 when unknown.
    ConsoleScanFrontEnd(scan::ScanSession& session, scan::ResultGrid& grid, std::ostream& err,
                        ProgressLine& progress, std::uint64_t expectedKeys);

    void SetResultsTimer(bool on) override { timerOn_ = on; }
    void ResultsTimerTick() override;
    void Done(bool canceled, int task) override;
    void ShowMessage(const std::string& text) override;
    void ResetResults() override;
    void ShortcutFound(const scan::ShortcutEntry& entry) override;
    void ScanFinished() override;

    // The engine's yield hook: Ctrl+C, the results timer and the progress line, by time.
    void OnYield();
    // Clears the progress line before other output.
    void EndProgress();

    bool Canceled() const { return canceled_; }
    bool Interrupted() const { return interrupted_; }

private:
    void DrawProgress();

    scan::ScanSession& session_;
    scan::ResultGrid& grid_;
    std::ostream& err_;
    ProgressLine& progress_;
    std::uint64_t expectedKeys_;
    bool timerOn_ = false;
    bool canceled_ = false;
    bool interrupted_ = false;
    bool shortcutsPhase_ = false;
    std::uint32_t yields_ = 0;
    std::chrono::steady_clock::time_point lastTick_;
};

}  // namespace hivewarden::cli
