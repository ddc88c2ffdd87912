// The custom search pages: the search texts, the search with its hit grid, polling, progress
// and animation, the action chooser, Ignore All / Replace All, Cancel, and the custom repair
// page with its backup-name box.
#include "custom/custom_repair_page.h"
#include "custom/custom_search.h"
#include "text/text.h"
#include "repair/backup_catalogue.h"
#include "ui/main_window.h"

namespace hivewarden::ui {
namespace {

constexpr std::int32_t kPollingTimerMs = 500;
constexpr std::int32_t kCustomProgressMs = 100;
constexpr std::int32_t kAnimationMs = 100;
constexpr std::int32_t kAnimationFrames = 22;

bool Blank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

void MainWindow::CustomTextEntered() {
    const std::string text = view_.Text(Control::txtCustomStr);
    if (Blank(text)) return;
    view_.ListAdd(Control::lstCustomsStrs, text);
    view_.SetText(Control::txtCustomStr, "");
    view_.SetFocus(Control::txtCustomStr);
    if (view_.ListCount(Control::lstCustomsStrs) > 0) Enable(Control::cmdNext, true);
}

void MainWindow::CustomChangeClicked() {
    if (const std::optional<std::int32_t> selected = view_.ListSelection(Control::lstCustomsStrs)) {
        view_.ListSetText(Control::lstCustomsStrs, *selected, view_.Text(Control::txtCustomStr));
    }
}

void MainWindow::CustomDeleteClicked() {
    if (const std::optional<std::int32_t> selected = view_.ListSelection(Control::lstCustomsStrs)) {
        view_.ListRemove(Control::lstCustomsStrs, *selected);
        if (view_.ListCount(Control::lstCustomsStrs) == 0) {
            Enable(Control::cmdNext, false);
        }
    }
}

bool MainWindow::HasSearchTexts() const { return view_.ListCount(Control::lstCustomsStrs) > 0; }

void MainWindow::StartCustomSearch() {
    view_.GridSuspendRedraw(Control::lstCustomSearching);
    CustomHits.RemoveAllRows();
    view_.HideActionChooser(Control::cmbCustomRplAction);
    view_.GridRowsReset(Control::lstCustomSearching);
    view_.GridResumeRedraw(Control::lstCustomSearching);
    view_.Yield();
    view_.SetVisible(Control::picCustomAnim, false);
    custom::SearchTerms terms;
    for (std::int32_t i = 0; i < view_.ListCount(Control::lstCustomsStrs); ++i) {
        terms.push_back(view_.ListText(Control::lstCustomsStrs, i));
    }
    animationFrame_ = 0;
    view_.StartTimer(Timer::tmrCustomAnim, kAnimationMs);
    view_.StartTimer(Timer::tmrPgr, kCustomProgressMs);
    Enable(Control::cmdBack, false);
    Enable(Control::cmdNext, false);
    Enable(Control::cmdCustomCancel, true);
    // The report is offered once the search has ended.
    view_.SetVisible(Control::cmdSaveCustom, false);
    ScanInProgress = true;
    custom::CustomSearch search(Session().State, Session().Access);
    custom::RunCustomSearch(search, *this, terms);
    view_.StopTimer(Timer::tmrPgr);
    // The hits found after the last poll.
    CustomPollingTick();
}

void MainWindow::SetPollingTimer(bool on) {
    SwitchTimer(Timer::tmrCheckForNewCustom, on, kPollingTimerMs);
}

void MainWindow::CustomPollingTick() {
    const std::int32_t before = CustomHits.RowCount();
    view_.GridSuspendRedraw(Control::lstCustomSearching);
    const bool finished = custom::CheckForNewCustomTick(Session().State, CustomHits,
                                                        view_.Text(Control::txtTextReplace));
    if (CustomHits.RowCount() != before) view_.GridRowsAppended(Control::lstCustomSearching);
    view_.GridResumeRedraw(Control::lstCustomSearching);
    if (finished) view_.StopTimer(Timer::tmrCheckForNewCustom);
}

void MainWindow::CustomAnimationTick() {
    animationFrame_ = animationFrame_ % kAnimationFrames + 1;
    view_.SetVisible(Control::picCustomAnim, true);
    view_.ShowAnimationFrame(animationFrame_);
}

void MainWindow::CustomCancelClicked() {
    CancelEngine();
    Enable(Control::cmdCustomCancel, false);
    Enable(Control::cmdBack, true);
}

void MainWindow::CustomIgnoreAllClicked() {
    view_.HideActionChooser(Control::cmbCustomRplAction);
    CustomHits.IgnoreAll();
    view_.GridRowsReset(Control::lstCustomSearching);
}

void MainWindow::CustomReplaceAllClicked() {
    view_.HideActionChooser(Control::cmbCustomRplAction);
    CustomHits.ReplaceAll(view_.Text(Control::txtTextReplace));
    view_.GridRowsReset(Control::lstCustomSearching);
}

void MainWindow::CustomEditRequested(std::int32_t row, std::int32_t column) {
    if (column != custom::kCustomColumnAction || row < 1 || row > CustomHits.RowCount()) return;
    std::vector<std::string> items;
    for (const std::string_view action : custom::OfferedCustomActions(CustomHits.Row(row))) {
        items.emplace_back(action);
    }
    view_.ShowActionChooser(
        Control::cmbCustomRplAction, items, CustomHits.Row(row).Action,
        view_.GridCellBox(Control::lstCustomSearching, row, custom::kCustomColumnAction));
}

void MainWindow::CustomEditCancelled() { view_.HideActionChooser(Control::cmbCustomRplAction); }

void MainWindow::CustomChooserLostFocus() { view_.GridEndEdit(Control::lstCustomSearching); }

void MainWindow::CustomActionChosen() {
    const std::optional<std::string> choice =
        view_.ActionChooserSelection(Control::cmbCustomRplAction);
    if (!choice) return;
    const std::int32_t row = view_.GridSelectedRow(Control::lstCustomSearching);
    CustomHits.ChooseAction(row, *choice, view_.Text(Control::txtTextReplace), [this] {
        return view_.InputBox(std::string(custom::kReplaceByPrompt), std::string())
            .value_or(std::string());
    });
    view_.HideActionChooser(Control::cmbCustomRplAction);
    view_.GridRowChanged(Control::lstCustomSearching, row);
}

void MainWindow::PrepareCustomRepairPage() {
    const custom::CustomRepairPreview preview =
        custom::PrepareCustomRepairPage(CustomHits, services_.Now());
    if (preview.Count > 0) {
        view_.SetText(Control::lblCustomErrorsFix, preview.Caption);
        view_.SetText(Control::txtCustomBackUpName, preview.BackupName);
        CustomBackupNameChanged();
        view_.SetFocus(Control::txtCustomBackUpName);
        return;
    }
    WizardStep = 3;
    Next();
}

void MainWindow::RunCustomRepair() {
    BeginRepair();
    custom::CustomRepairContext context{
        Session().State,
        Session().Access,
        ProgramFolder,
        view_.Text(Control::txtCustomBackUpName),
        [this](bool canceled, std::int32_t task) { Done(canceled, task); },
        {}};
    repair::RepairResult result = custom::RunCustomRepairStep(CustomHits, context);
    // The hits stay in their grid with their actions, changed or not.
    ReportRepairOutcome(result);
    LastRepair = std::move(result);
    EndRepair();
}

void MainWindow::CustomBackupNameChanged() {
    EnableNextForBackupName(Control::txtCustomBackUpName);
}

void MainWindow::CustomBackupNameLostFocus() { CheckBackupName(Control::txtCustomBackUpName); }

}  // namespace hivewarden::ui
