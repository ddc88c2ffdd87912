// Console front end of the custom search.
#include "cli/console/console_search_front_end.h"

#include <ostream>
#include <utility>

#include "cli/console/platform_system.h"

namespace hivewarden::cli {
namespace {

// The clock is read once every this many yields: the search yields several times per value,
// and reading the clock each time would cost more than the match itself.
constexpr std::uint32_t kYieldsPerClockRead = 256;
constexpr auto kTimerInterval = std::chrono::milliseconds(500);
constexpr auto kDrawInterval = std::chrono::milliseconds(100);
constexpr std::size_t kLineWidth = 60;

}  // namespace

ConsoleSearchFrontEnd::ConsoleSearchFrontEnd(custom::CustomSearch& search, custom::CustomGrid& grid,
                                             std::string replaceText, std::ostream& err,
                                             bool showProgress)
    : search_(search),
      grid_(grid),
      replaceText_(std::move(replaceText)),
      err_(err),
      showProgress_(showProgress) {}

void ConsoleSearchFrontEnd::Done(bool canceled, int /*task*/) { canceled_ = canceled_ || canceled; }

void ConsoleSearchFrontEnd::OnYield() {
    if (++yields_ % kYieldsPerClockRead != 0) return;
    if (InterruptRequested() && !interrupted_) {
        interrupted_ = true;
        custom::CancelCustomSearch(search_);
        timerOn_ = false;
    }
    const auto now = std::chrono::steady_clock::now();
    if (timerOn_ && now - lastTick_ >= kTimerInterval) {
        lastTick_ = now;
        PollNow();
    }
    if (showProgress_ && now - lastDraw_ >= kDrawInterval) {
        lastDraw_ = now;
        DrawProgress();
    }
}

void ConsoleSearchFrontEnd::PollNow() {
    if (custom::CheckForNewCustomTick(search_.State, grid_, replaceText_)) timerOn_ = false;
}

void ConsoleSearchFrontEnd::DrawProgress() {
    std::string line = "\rSearching...  " + std::to_string(search_.KeysSearched) + " keys  " +
                       std::to_string(search_.State.CustomHits.Count()) + " strings found";
    if (line.size() < kLineWidth) line.append(kLineWidth - line.size(), ' ');
    err_ << line << std::flush;
    progressShown_ = true;
}

void ConsoleSearchFrontEnd::EndProgress() {
    if (!progressShown_) return;
    err_ << "\r" << std::string(kLineWidth, ' ') << "\r" << std::flush;
    progressShown_ = false;
}

}  // namespace hivewarden::cli
