// The restore page (the program folder's backups, their check boxes, Remove Selected Backup,
// the hand-over of the checked files) and the exclusion list page (Ignore.ini, Add File,
// Add Folder, Delete Entry).
#include <filesystem>
#include <system_error>

#include "files/host_path.h"
#include "repair/backup_catalogue.h"
#include "repair/backup_restore.h"
#include "scan/exclusion_list.h"
#include "ui/main_window.h"

namespace hivewarden::ui {
namespace {

constexpr std::string_view kIgnoreFile = "Ignore.ini";
constexpr std::string_view kFolderPickerTitle = "Select the folder or drive";
constexpr std::string_view kAnyFileFilter = "*.*";

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(registry::ToHostPath(path), ignored);
}

}  // namespace

void MainWindow::SetBackupImporter(repair::BackupImporter* importer) { importer_ = importer; }

void MainWindow::FillRestorePage() {
    Enable(Control::cmdBack, true);
    view_.ListClear(Control::lsvBackups);
    std::vector<std::string> backups;
    std::string error;
    // A folder that cannot be listed shows no backups.
    if (!repair::ListBackups(ProgramFolder, backups, error)) return;
    for (const std::string& name : backups) view_.ListAdd(Control::lsvBackups, name);
}

void MainWindow::BackupCheckChanged() {
    bool anyChecked = false;
    for (std::int32_t i = 0; i < view_.ListCount(Control::lsvBackups) && !anyChecked; ++i) {
        anyChecked = view_.ListChecked(Control::lsvBackups, i);
    }
    Enable(Control::cmdNext, anyChecked);
}

void MainWindow::RestoreCheckedBackups() {
    if (importer_ == nullptr) return;
    std::vector<std::string> chosen;
    for (std::int32_t i = 0; i < view_.ListCount(Control::lsvBackups); ++i) {
        if (view_.ListChecked(Control::lsvBackups, i)) {
            chosen.push_back(view_.ListText(Control::lsvBackups, i));
        }
    }
    // The system's import reports by itself; a failed hand-over is not reported here.
    LastRestore = repair::RestoreBackups(ProgramFolder, chosen, *importer_);
}

void MainWindow::RemoveBackupClicked() {
    if (view_.ListCount(Control::lsvBackups) == 0) return;
    const std::optional<std::int32_t> selected = view_.ListSelection(Control::lsvBackups);
    if (!selected) return;
    const registry::FileStatus removed =
        repair::RemoveBackup(ProgramFolder, view_.ListText(Control::lsvBackups, *selected));
    // A file that is gone already leaves the list too; one the system keeps stays listed.
    if (removed || !FileExists(ProgramFolder + view_.ListText(Control::lsvBackups, *selected))) {
        view_.ListRemove(Control::lsvBackups, *selected);
    } else {
        view_.ShowMessage(removed.Message, MessageIcon::Exclamation, MessageButtons::Ok);
    }
    BackupCheckChanged();
}

void MainWindow::SetDeleteEntryFromList() {
    if (view_.ListCount(Control::lstExcludeMain) == 0) {
        Enable(Control::cmdDeleteEntry, false);
    } else if (view_.ListSelection(Control::lstExcludeMain)) {
        Enable(Control::cmdDeleteEntry, true);
    }
}

void MainWindow::LoadExclusionPage() {
    view_.ListClear(Control::lstExcludeMain);
    const scan::ExclusionList list =
        scan::LoadExclusionList(ProgramFolder + std::string(kIgnoreFile), *Session().AnsiCodePage);
    for (const std::string& entry : list) view_.ListAdd(Control::lstExcludeMain, entry);
}

void MainWindow::SaveExclusionPage() {
    scan::ExclusionList list;
    for (std::int32_t i = 0; i < view_.ListCount(Control::lstExcludeMain); ++i) {
        list.Grow() = view_.ListText(Control::lstExcludeMain, i);
    }
    // A failed save reports nothing; the file may be left partly written.
    scan::SaveExclusionList(ProgramFolder + std::string(kIgnoreFile), list,
                            *Session().AnsiCodePage);
}

void MainWindow::AddFileClicked() {
    const std::optional<std::string> file =
        view_.OpenFileDialog(std::string(), std::string(kAnyFileFilter));
    if (!file) return;
    view_.ListAdd(Control::lstExcludeMain, *file);
    Enable(Control::cmdDeleteEntry, true);
}

void MainWindow::AddFolderClicked() {
    const std::string folder = view_.BrowseForFolder(std::string(kFolderPickerTitle));
    if (folder.empty()) return;
    view_.ListAdd(Control::lstExcludeMain, folder);
    Enable(Control::cmdDeleteEntry, true);
}

void MainWindow::DeleteEntryClicked() {
    if (view_.ListCount(Control::lstExcludeMain) == 0) {
        Enable(Control::cmdDeleteEntry, false);
        return;
    }
    if (const std::optional<std::int32_t> selected = view_.ListSelection(Control::lstExcludeMain)) {
        view_.ListRemove(Control::lstExcludeMain, *selected);
    }
}

void MainWindow::ExclusionListClicked() { SetDeleteEntryFromList(); }

}  // namespace hivewarden::ui
