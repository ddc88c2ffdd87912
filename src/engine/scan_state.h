// The shared scan state: one object owned by the application and passed by reference to the
// engines and the window. Holds the findings and the few variables both sides read and write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/custom_hit.h"
#include "engine/error_entry.h"
#include "store/signals.h"

namespace hivewarden::engine {

inline constexpr std::int32_t kModeScan = 1;
inline constexpr std::int32_t kModeRepair = 2;
inline constexpr std::int32_t kModeCustomSearch = 3;

// What one tick of the results timer hands to the grid.
struct HandOver {
    std::vector<ErrorEntry> NewEntries;  // entries ShownCount+1 ... N, in order
    bool StopTimer = false;              // entries were handed over and the scan has ended
};

// StopRequested and the yield hook come from EngineSignals, so the access layer can test and
// call them without knowing the rest of this object.
struct ScanState : registry::EngineSignals {
    ScanResultList ScanResults;
    CustomHitList CustomHits;
    std::int32_t ProgressPercent = 100;
    std::int32_t ShownCount = 0;
    std::int32_t ActiveScanOptions = 0;
    bool CheckEmptyKeys = false;
    std::string WindowsDir;  // with a trailing "\"
    std::int32_t TopKeyCountCU = 0;
    std::int32_t TopKeyCountLM = 0;
    std::int32_t ProgressBaseCU = 0;
    std::int32_t ProgressBaseLM = 0;
    // Keys the scan has read so far (every key of every branch walked).
    std::uint64_t KeysVisited = 0;
    // A repair's steps so far, of 2 x RepairMarked: one per marked entry backed up, then one
    // per marked entry applied.
    std::int64_t RepairStep = 0;
    std::int32_t RepairMarked = 0;
    std::int32_t EngineMode = 0;
    // Full path of the backup file the next repair writes.
    std::string BackupPath;

    // Start of a scan: no entries, nothing shown, progress 0, not stopped.
    void ResetForScan();
    // Appends a finding, setting its Index to its position; returns the stored entry.
    ErrorEntry& AppendFinding(ErrorEntry entry);
    // One tick of the results timer: the entries not yet shown; ShownCount becomes N.
    HandOver TakeNewFindings();
};

}  // namespace hivewarden::engine
