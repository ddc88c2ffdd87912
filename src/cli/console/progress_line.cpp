// Drawing the progress line.
#include "cli/console/progress_line.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace hivewarden::cli {
namespace {

constexpr int kBarWidth = 30;
constexpr auto kDrawInterval = std::chrono::milliseconds(100);

}  // namespace

std::string TimeLeftText(std::chrono::seconds left) {
    const long long seconds = left.count();
    if (seconds < 1) return {};
    if (seconds < 60) return "about " + std::to_string(seconds) + " s left";
    const long long minutes = seconds / 60;
    if (minutes < 60) {
        return "about " + std::to_string(minutes) + " min " + std::to_string(seconds % 60) +
               " s left";
    }
    return "about " + std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) +
           " min left";
}

std::string ProgressText(const std::string& phase, std::optional<double> done,
                         const std::string& detail, std::chrono::milliseconds elapsed) {
    std::string line = phase;
    if (done) {
        const double share = std::clamp(*done, 0.0, 1.0);
        // Never 100 % before the phase really ends.
        const int percent = std::min(99, static_cast<int>(std::floor(share * 100.0)));
        const int filled = percent * kBarWidth / 100;
        line += " [";
        line.append(static_cast<std::size_t>(filled), '#');
        line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
        line += "] " + std::to_string(percent) + "%";
        if (elapsed >= kEstimateAfter && share > 0.0) {
            const auto left = std::chrono::duration_cast<std::chrono::seconds>(
                elapsed * ((1.0 - share) / share));
            if (const std::string text = TimeLeftText(left); !text.empty()) line += ", " + text;
        }
    } else {
        line += "...";
    }
    if (!detail.empty()) line += "  " + detail;
    return line;
}

void ProgressLine::Phase(const std::string& name, std::optional<double> done,
                         const std::string& detail) {
    phase_ = name;
    phaseStart_ = std::chrono::steady_clock::now();
    Update(done, detail, true);
}

void ProgressLine::Show(const std::string& name, std::optional<double> done,
                        const std::string& detail) {
    if (name != phase_) {
        Phase(name, done, detail);
    } else {
        Update(done, detail);
    }
}

void ShowRepairProgress(ProgressLine& line, std::int64_t step, std::int32_t marked) {
    if (marked <= 0) return;
    const auto whole = static_cast<double>(marked);
    if (step < marked) {
        line.Show("Writing the backup", static_cast<double>(step) / whole,
                  std::to_string(step) + " of " + std::to_string(marked) + " entries");
        return;
    }
    const std::int64_t applied = step - marked;
    line.Show("Repairing", static_cast<double>(applied) / whole,
              std::to_string(applied) + " of " + std::to_string(marked));
}

void ProgressLine::Update(std::optional<double> done, const std::string& detail, bool now) {
    if (!shown_) return;
    const auto at = std::chrono::steady_clock::now();
    if (!now && at - lastDraw_ < kDrawInterval) return;
    lastDraw_ = at;
    Draw(ProgressText(phase_, done, detail,
                      std::chrono::duration_cast<std::chrono::milliseconds>(at - phaseStart_)));
}

void ProgressLine::Draw(const std::string& text) {
    std::string line = "\r" + text;
    // Spaces over what a longer line before left behind.
    if (text.size() < drawnWidth_) line.append(drawnWidth_ - text.size(), ' ');
    drawnWidth_ = std::max(drawnWidth_, text.size());
    err_ << line << std::flush;
}

void ProgressLine::End() {
    if (!shown_ || drawnWidth_ == 0) return;
    err_ << "\r" << std::string(drawnWidth_, ' ') << "\r" << std::flush;
    drawnWidth_ = 0;
}

}  // namespace hivewarden::cli
