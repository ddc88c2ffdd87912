// The command line as the custom search's front end: hits go into the same custom-grid model
// the window uses, progress (keys visited) is drawn on a terminal, and Ctrl+C acts as Cancel.
// Glue only.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "custom/custom_grid.h"
#include "custom/custom_search.h"

namespace hivewarden::cli {

class ConsoleSearchFrontEnd final : public custom::SearchFrontEnd {
  public:
    // `replaceText` plays the page-wide replace text: every row starts with it.
    ConsoleSearchFrontEnd(custom::CustomSearch& search, custom::CustomGrid& grid,
                          std::string replaceText, std::ostream& err, bool showProgress);

    void SetPollingTimer(bool on) override { timerOn_ = on; }
    void Done(bool canceled, int task) override;

    // The engine's yield hook: Ctrl+C, the polling timer and the progress line, by time.
    void OnYield();
    // One more poll after the search, so that the grid holds every hit.
    void PollNow();
    // Clears the progress line before other output.
    void EndProgress();

    bool Canceled() const { return canceled_; }
    bool Interrupted() const { return interrupted_; }

  private:
    void DrawProgress();

    custom::CustomSearch& search_;
    custom::CustomGrid& grid_;
    std::string replaceText_;
    std::ostream& err_;
    bool showProgress_;
    bool timerOn_ = false;
    bool canceled_ = false;
    bool interrupted_ = false;
    bool progressShown_ = false;
    std::uint32_t yields_ = 0;
    std::chrono::steady_clock::time_point lastTick_;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace hivewarden::cli
