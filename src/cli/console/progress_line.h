// The one progress line of the command line, on a terminal only: the phase by name ("Reading
// 212 MB of registry files", "Scanning", "Writing the backup", "Repairing", "Writing the
// registry"), a bar and a percentage where the share done is known, a detail ("1,204
// findings", "120 of 300"), and after a few seconds an estimate of the time left. Drawn on
// standard error, redrawn at most ten times a second, cleared before other output.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace hivewarden::cli {

// The line's text for `phase` with `done` (0..1, none when unknown) after `elapsed` in the
// phase; no estimate before kEstimateAfter or when nothing is done yet.
std::string ProgressText(const std::string& phase, std::optional<double> done,
                         const std::string& detail, std::chrono::milliseconds elapsed);

// "about 2 min 5 s left" and its kin, or "" for a moment too short to say.
std::string TimeLeftText(std::chrono::seconds left);

inline constexpr std::chrono::seconds kEstimateAfter{3};

class ProgressLine;

// A repair's progress as its two passes: "Writing the backup" while the marked entries are
// backed up (steps 1..marked), then "Repairing M of N" while they are applied.
void ShowRepairProgress(ProgressLine& line, std::int64_t step, std::int32_t marked);

class ProgressLine {
  public:
    // `shown` false: every call does nothing (not a terminal, or --quiet).
    ProgressLine(std::ostream& err, bool shown) : err_(err), shown_(shown) {}
    ~ProgressLine() { End(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    bool Shown() const { return shown_; }
    // A new phase, drawn at once.
    void Phase(const std::string& name, std::optional<double> done = std::nullopt,
               const std::string& detail = {});
    // `name` as the phase: a new phase when it differs from the current one, else its progress.
    void Show(const std::string& name, std::optional<double> done = std::nullopt,
              const std::string& detail = {});
    // The phase's progress; drawn when the last drawing is old enough (or `now`).
    void Update(std::optional<double> done, const std::string& detail = {}, bool now = false);
    // Clears the line (before other output, and at the end).
    void End();

  private:
    void Draw(const std::string& text);

    std::ostream& err_;
    bool shown_;
    std::string phase_;
    std::chrono::steady_clock::time_point phaseStart_;
    std::chrono::steady_clock::time_point lastDraw_;
    std::size_t drawnWidth_ = 0;
};

}  // namespace hivewarden::cli
