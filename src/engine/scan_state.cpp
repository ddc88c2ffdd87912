// Reset, append and hand-over of the shared scan state.
#include "engine/scan_state.h"

#include <utility>

namespace hivewarden::engine {

void ScanState::ResetForScan() {
    ScanResults.Reset();
    ShownCount = 0;
    ProgressPercent = 0;
    KeysVisited = 0;
    StopRequested = false;
}

ErrorEntry& ScanState::AppendFinding(ErrorEntry entry) {
    ErrorEntry& stored = ScanResults.Grow();
    stored = std::move(entry);
    stored.Index = ScanResults.Count();
    return stored;
}

HandOver ScanState::TakeNewFindings() {
    HandOver handOver;
    const std::int32_t count = ScanResults.Count();
    for (std::int32_t i = ShownCount + 1; i <= count; ++i) {
        handOver.NewEntries.push_back(ScanResults[i]);
    }
    handOver.StopTimer = !handOver.NewEntries.empty() && ProgressPercent == 100;
    ShownCount = count;
    return handOver;
}

}  // namespace hivewarden::engine
