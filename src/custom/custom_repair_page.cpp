// The custom repair page's count, caption, proposed name and marks.
#include "custom/custom_repair_page.h"

#include "repair/backup_catalogue.h"

namespace hivewarden::custom {

std::string ProposedCustomBackupName(const std::tm& now) {
    return repair::ProposedCustomBackupName(now);
}

CustomRepairPreview PrepareCustomRepairPage(const CustomGrid& grid, const std::tm& now) {
    CustomRepairPreview preview;
    preview.Count = grid.CountRowsToRepair();
    if (preview.Count > 0) {
        preview.Caption =
            "Kestovar Hivewarden will repair " + std::to_string(preview.Count) + " errors.";
        preview.BackupName = ProposedCustomBackupName(now);
    }
    return preview;
}

void StartCustomRepair(const CustomGrid& grid, engine::ScanState& state,
                       std::string_view programFolder, std::string_view backupName) {
    MarkCustomHits(grid, state.CustomHits);
    repair::SetBackupPath(state, std::string(programFolder) + std::string(backupName) + ".reg");
}

repair::RepairResult RunCustomRepairStep(const CustomGrid& grid, CustomRepairContext& context) {
    StartCustomRepair(grid, context.State, context.ProgramFolder, context.BackupName);
    return repair::RunCustomRepair(context.State, context.Access, context.Done, context.Options);
}

}  // namespace hivewarden::custom
