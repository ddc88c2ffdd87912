// The custom repair page's engine half: the number of rows to repair with its caption, the
// proposed backup name, and the custom repair that turns the rows into marks, names the
// backup file and hands over to the repair executor. No dialogs here.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "custom/custom_grid.h"
#include "engine/scan_state.h"
#include "store/access.h"
#include "repair/repair_executor.h"

namespace hivewarden::custom {

// What the page shows when it is entered.
struct CustomRepairPreview {
    std::int32_t Count = 0;  // rows whose action is not "Ignore"
    std::string Caption;     // "Kestovar Hivewarden will repair N errors."; empty for 0
    std::string BackupName;  // the proposed backup name; empty for 0
};

// Day, month, four-digit year, hour (0-23) and minute of `now`, without leading zeros,
// joined by "-": 4-12-2026-21-5.
std::string ProposedCustomBackupName(const std::tm& now);

// The page's set-up. With a count of 0 there is nothing to repair and the window moves on.
CustomRepairPreview PrepareCustomRepairPage(const CustomGrid& grid, const std::tm& now);

// Steps before the custom repair runs: the rows' actions become marks on CustomHits
// (MarkCustomHits) and BackupPath becomes programFolder + backupName + ".reg".
void StartCustomRepair(const CustomGrid& grid, engine::ScanState& state,
                       std::string_view programFolder, std::string_view backupName);

struct CustomRepairContext {
    engine::ScanState& State;
    registry::RegistryAccess& Access;
    std::string ProgramFolder;  // with a trailing separator
    std::string BackupName;     // the backup-name box's text
    repair::DoneHook Done;
    repair::RepairOptions Options;
};

// The custom repair: StartCustomRepair, then the repair executor's RunCustomRepair, which
// backs up every marked hit before it deletes or replaces anything and ends with Done (task
// 2). A "Replace" row whose replace text is empty and a key row left at "Replace" change
// nothing.
repair::RepairResult RunCustomRepairStep(const CustomGrid& grid, CustomRepairContext& context);

}  // namespace hivewarden::custom
