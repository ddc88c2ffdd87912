// A scan front end for tests: records what the scan told it.
#pragma once

#include <string>
#include <vector>

#include "scan/scan_session.h"

namespace hivewarden::testing {

class RecordingFrontEnd : public scan::ScanFrontEnd {
public:
    void SetResultsTimer(bool on) override { TimerOn = on; }
    void ResultsTimerTick() override { ++Ticks; }
    void Done(bool canceled, int task) override {
        DoneCalls.push_back({canceled, task});
    }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    void ResetResults() override { ++Resets; }
    void ShortcutFound(const scan::ShortcutEntry& entry) override {
        Shortcuts.push_back(entry.LinkPath);
    }
    void ScanFinished() override { ++Finished; }

    struct DoneCall {
        bool Canceled;
        int Task;
    };
    bool TimerOn = false;
    int Ticks = 0;
    int Resets = 0;
    int Finished = 0;
    std::vector<DoneCall> DoneCalls;
    std::vector<std::string> Messages;
    std::vector<std::string> Shortcuts;
};

}  // namespace hivewarden::testing
