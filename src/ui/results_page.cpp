// The results page's handlers: sorting, the per-row action drop-down and its change-value
// dialogs, Delete All / Ignore All, the repair preview, the backup-name box and the repair
// step that runs from the repair page.
#include <stdexcept>

#include "text/text.h"
#include "repair/backup_catalogue.h"
#include "repair/repair_step.h"
#include "scan/scanned_value.h"
#include "ui/main_window.h"

namespace hivewarden::ui {
namespace {

constexpr std::string_view kFolderTitle = "Select the new folder or drive";
constexpr std::string_view kFileTitle = "Please, select the new file path";
constexpr std::string_view kFileFilter = "All Files (*.*)|*.*";
constexpr std::string_view kEditQuestion = "Would you like to edit the selected path?";
constexpr std::string_view kEditPrompt = "Please, edit the current path";
constexpr std::string_view kCleanValuePrompt =
    "The data Windows ships for this value; edit it if this machine needs other data";
constexpr std::string_view kChangeFailed = "An error was happend while change the value";
constexpr std::string_view kNothingToFix = "No errors to fix!";
constexpr std::int32_t kFilePathKind = 2;

}  // namespace

void MainWindow::HeaderClicked(std::int32_t column) {
    view_.HideActionChooser(Control::cmbAction);
    Results.SortByColumn(column);
    view_.GridRowsReset(Control::lstFound);
}

void MainWindow::EditRequested(std::int32_t row, std::int32_t column) {
    if (column != scan::kColumnCorrection || row < 1 || row > Results.RowCount()) return;
    const scan::ResultRow& target = Results.Row(row);
    if (target.CanChange == scan::kCanChangeLocked) return;
    std::vector<std::string> items;
    for (const std::string_view action : scan::OfferedActions(target.CanChange)) {
        items.emplace_back(action);
    }
    view_.ShowActionChooser(Control::cmbAction, items, target.Correction,
                            view_.GridCellBox(Control::lstFound, row, scan::kColumnCorrection));
}

void MainWindow::EditCancelled() { view_.HideActionChooser(Control::cmbAction); }

void MainWindow::ActionChooserLostFocus() { view_.GridEndEdit(Control::lstFound); }

void MainWindow::ActionChosen() {
    const std::optional<std::string> choice = view_.ActionChooserSelection(Control::cmbAction);
    if (!choice) return;
    const std::int32_t row = view_.GridSelectedRow(Control::lstFound);
    if (row < 1 || row > Results.RowCount()) return;
    const std::string upper = ToUpper(*choice);
    if (upper == ToUpper(scan::kActionDelete)) {
        Results.Row(row).FixedValue.clear();
    } else if (upper == ToUpper(scan::kActionChangeValue)) {
        std::optional<std::string> path;
        try {
            path = AskForNewValue(Session().State.ScanResults[Results.Row(row).Index]);
        } catch (const std::exception&) {
            view_.HideActionChooser(Control::cmbAction);
            view_.ShowMessage(std::string(kChangeFailed), MessageIcon::Critical,
                              MessageButtons::Ok);
            return;
        }
        // No path: the row keeps its action and the drop-down stays.
        if (!path) return;
        Session().State.ScanResults[Results.Row(row).Index].FixedValue = *path;
        Results.Row(row).FixedValue = *path;
    }
    Results.Row(row).Correction = *choice;
    view_.HideActionChooser(Control::cmbAction);
    view_.GridRowChanged(Control::lstFound, row);
}

// The folder picker or the open-file dialog by the entry's kind of path, then the offer to edit
// the chosen path. An entry whose clean data is known offers that data for editing instead.
// Nothing when a dialog is cancelled or the edited text is empty.
std::optional<std::string> MainWindow::AskForNewValue(const engine::ErrorEntry& entry) {
    if (!entry.CleanValue.empty()) {
        const std::optional<std::string> edited =
            view_.InputBox(std::string(kCleanValuePrompt), entry.CleanValue);
        if (!edited || edited->empty()) return std::nullopt;
        return edited;
    }
    std::string chosen;
    if (entry.PathKind != kFilePathKind) {
        chosen = view_.BrowseForFolder(std::string(kFolderTitle));
        if (chosen.empty()) return std::nullopt;
    } else {
        const std::optional<std::string> file =
            view_.OpenFileDialog(std::string(kFileTitle), std::string(kFileFilter));
        if (!file) return std::nullopt;
        chosen = *file;
    }
    if (view_.ShowMessage(std::string(kEditQuestion), MessageIcon::Question,
                          MessageButtons::YesNo) == Answer::Yes) {
        const std::optional<std::string> edited = view_.InputBox(std::string(kEditPrompt), chosen);
        if (!edited || edited->empty()) return std::nullopt;
        chosen = *edited;
    }
    return chosen;
}

void MainWindow::DeleteAllClicked() {
    view_.HideActionChooser(Control::cmbAction);
    Results.DeleteAll();
    view_.GridRowsReset(Control::lstFound);
}

void MainWindow::IgnoreAllClicked() {
    view_.HideActionChooser(Control::cmbAction);
    Results.IgnoreAll();
    view_.GridRowsReset(Control::lstFound);
}

std::string MainWindow::DefaultBackupName() const {
    return repair::ProposedBackupName(services_.Now());
}

void MainWindow::PrepareFixPrevPage() {
    const std::int32_t count = Results.CountRowsToRepair();
    if (count > 0) {
        view_.SetText(Control::lblErrorsFix, std::string(kProductName) + " will repair " +
                                                 std::to_string(count) + " errors.");
        view_.SetText(Control::txtBackUpName, DefaultBackupName());
        BackupNameChanged();
        view_.SetFocus(Control::txtBackUpName);
        return;
    }
    WizardStep = 3;
    view_.ShowMessage(std::string(kNothingToFix), MessageIcon::Information, MessageButtons::Ok);
    Enable(Control::cmdNext, false);
}

// Next only for a name that can be a backup file's name; the lost-focus check says why not.
void MainWindow::BackupNameChanged() { EnableNextForBackupName(Control::txtBackUpName); }

void MainWindow::EnableNextForBackupName(Control box) {
    const std::string name = view_.Text(box);
    Enable(Control::cmdNext, !name.empty() && !repair::ValidateBackupName(name).has_value());
}

void MainWindow::BackupNameLostFocus() { CheckBackupName(Control::txtBackUpName); }

// A name that cannot be a backup file's name is refused with the reason; an existing backup's
// name is warned about once per file of that name. The focus goes back into the box.
void MainWindow::CheckBackupName(Control box) {
    const std::string name = view_.Text(box);
    if (name.empty()) return;
    if (const std::optional<std::string> refusal = repair::ValidateBackupName(name)) {
        view_.ShowMessage(*refusal, MessageIcon::Exclamation, MessageButtons::Ok);
        view_.SetFocus(box);
        return;
    }
    std::vector<std::string> backups;
    std::string error;
    if (!repair::ListBackups(ProgramFolder, backups, error)) return;
    for (std::size_t i = repair::SameNamedBackups(backups, name).size(); i > 0; --i) {
        view_.ShowMessage(std::string(repair::kBackupNameExists), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        view_.SetFocus(box);
    }
}

void MainWindow::RunRepairStep() {
    BeginRepair();
    // Whatever happens below, the wizard's buttons get their states back at the end.
    struct EndOnReturn {
        MainWindow& Window;
        ~EndOnReturn() { Window.EndRepair(); }
    } endOnReturn{*this};
    view_.SetProgress(Control::pgrFixing, 0);
    repair::RepairStepContext context{
        Session().State,
        Session().Access,
        Results,
        Session().Shortcuts,
        ProgramFolder,
        view_.Text(Control::txtBackUpName),
        [this](bool canceled, std::int32_t task) { Done(canceled, task); },
        // Shortcut files cannot be backed up: a warning, not a plain question.
        [this](std::string_view question) {
            return view_.ShowMessage(std::string(question), MessageIcon::Exclamation,
                                     MessageButtons::YesNo) == Answer::Yes;
        },
        {}};
    context.Options.TargetStillMissing =
        scan::TargetRecheck(Session().RecheckPaths ? *Session().RecheckPaths : Session().Paths);
    view_.GridSuspendRedraw(Control::lstFound);
    repair::RepairStepResult result = repair::RunRepairStep(context);
    view_.GridRowsReset(Control::lstFound);
    view_.GridResumeRedraw(Control::lstFound);
    std::vector<std::string> linksNotDeleted;
    for (const std::int32_t index : result.Shortcuts.Failed) {
        linksNotDeleted.push_back(Session().Shortcuts[index].LinkPath + ".lnk");
    }
    ReportRepairOutcome(result.Repair, linksNotDeleted);
    LastRepair = std::move(result.Repair);
    // Shortcut rows that came back after the wizard moved on can be repaired again.
    if (WizardStep == 4 && Results.RowCount() > 0) Enable(Control::cmdNext, true);
}

}  // namespace hivewarden::ui
