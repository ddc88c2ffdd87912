// The scan page: the window's half of a scan (layout, counters, the scan settings turned into
// a request, the final caption), the timers, and the completion handler Done.
#include "scan/scan_controller.h"
#include "scan/scan_options.h"
#include "ui/main_window.h"

namespace hivewarden::ui {
namespace {

constexpr std::int32_t kResultsTimerMs = 500;
constexpr std::int32_t kProgressTimerMs = 100;

struct CategoryBox {
    Control Box;
    std::int32_t Weight;
};
constexpr CategoryBox kCategoryBoxes[] = {
    {Control::chkAll, scan::ScanAll},
    {Control::chkDll, scan::ScanSharedDlls},
    {Control::chkHelp, scan::ScanHelp},
    {Control::chkVirus, scan::ScanTrojans},
    {Control::chkAppPaths, scan::ScanAppPaths},
    {Control::chkDrivers, scan::ScanDrivers},
    {Control::chkSounds, scan::ScanSounds},
    {Control::chkUninstall, scan::ScanUninstall},
    {Control::chkEmptyRegFolders, scan::ScanEmptyKeys},
    {Control::chkAutoRun, scan::ScanAutoRun},
    {Control::chkFonts, scan::ScanFonts},
};

}  // namespace

void MainWindow::RunScanPage() {
    view_.SetLayout(Layout::Expanded);
    Enable(Control::cmdCancelScan, true);
    Enable(Control::cmdBack, false);
    Enable(Control::cmdSaveResults, false);
    SetMainCaption();
    view_.StartTimer(Timer::tmrPrg, kProgressTimerMs);
    ScanInProgress = true;
    ExitRequested = false;

    scan::ScanRequest request;
    for (const CategoryBox& category : kCategoryBoxes) {
        if (view_.Checked(category.Box)) request.Options |= category.Weight;
    }
    request.EmptyKeys = view_.Checked(Control::chkEmptyRegFolders);
    request.Shortcuts = view_.Checked(Control::chkLinks);
    if (services_.BeforeScan) services_.BeforeScan();
    scan::StartScan(Session(), *this, request);
    ScanInProgress = false;
}

void MainWindow::ResetResults() {
    view_.GridSuspendRedraw(Control::lstFound);
    Results.RemoveAllRows();
    view_.HideActionChooser(Control::cmbAction);
    view_.GridRowsReset(Control::lstFound);
    view_.GridResumeRedraw(Control::lstFound);
    Results.Counters.Reset();
    ShowCounters();
}

void MainWindow::ShowCounters() {
    for (const scan::CounterInfo& counter : scan::kCounterTable) {
        view_.SetCounterText(counter.Id, Results.Counters.Text(counter.Id));
    }
}

void MainWindow::SetResultsTimer(bool on) {
    SwitchTimer(Timer::tmrCheckForNew, on, kResultsTimerMs);
}

void MainWindow::SwitchTimer(Timer timer, bool on, std::int32_t intervalMs) {
    if (on) {
        view_.StartTimer(timer, intervalMs);
    } else {
        view_.StopTimer(timer);
    }
}

void MainWindow::ResultsTimerTick() {
    const std::int32_t before = Results.RowCount();
    view_.GridSuspendRedraw(Control::lstFound);
    const bool finished = scan::CheckForNewTick(Session().State, Results, Session().Exclusions);
    if (Results.RowCount() != before) {
        view_.GridRowsAppended(Control::lstFound);
        ShowCounters();
    }
    view_.GridResumeRedraw(Control::lstFound);
    if (finished) view_.StopTimer(Timer::tmrCheckForNew);
}

void MainWindow::ShortcutScanStarting() { ScanInProgress = true; }

void MainWindow::ShortcutFound(const scan::ShortcutEntry& entry) {
    Results.AddShortcutRow(entry.LinkPath, entry.LinkTarget, entry.LinkIndex);
    view_.GridRowsAppended(Control::lstFound);
    ShowCounters();
}

void MainWindow::ScanFinished() {
    view_.SetWindowCaption(std::string(kProductName) + " - " +
                           Results.Counters.Text(scan::Counter::TotalProblems) + " errors found");
    HeaderClicked(scan::kColumnImg);
    Enable(Control::cmdNext, true);
    if (view_.Visible() && !view_.Minimized()) view_.SetFocus(Control::cmdNext);
    Enable(Control::cmdCancelScan, false);
    view_.StopTimer(Timer::tmrPrg);
    Enable(Control::cmdSaveResults, true);
}

void MainWindow::ShowMessage(const std::string& text) {
    view_.ShowMessage(text, MessageIcon::None, MessageButtons::Ok);
}

void MainWindow::OnTimer(Timer timer) {
    switch (timer) {
        case Timer::tmrAutoScan:
            view_.StopTimer(Timer::tmrAutoScan);
            if (!ScanAtStart) return;
            HideAllPages();
            view_.ShowPage(Page::FrameScan, true);
            Enable(Control::cmdNext, false);
            Enable(Control::cmdBack, false);
            view_.SetText(Control::cmdNext, std::string(kRepairCaption));
            view_.Yield();
            WizardStep = 1;
            RunScanPage();
            EndIfExitRequested();
            return;
        case Timer::tmrCheckForNew:
            ResultsTimerTick();
            return;
        case Timer::tmrPrg:
            view_.SetProgress(Control::ScanProgress, Session().State.ProgressPercent);
            return;
        case Timer::tmrCheckForNewCustom:
            CustomPollingTick();
            return;
        case Timer::tmrPgr:
            view_.SetProgress(Control::pgrCustomPrg, Session().State.ProgressPercent);
            return;
        case Timer::tmrCustomAnim:
            CustomAnimationTick();
            return;
    }
}

void MainWindow::Done(bool /*canceled*/, int task) {
    if (task == 1) {
        view_.SetProgress(Control::ScanProgress, 100);
        Enable(Control::cmdBack, true);
        Enable(Control::cmdSaveResults, true);
        view_.SetWindowCaption(std::string(kProductName) + " - " +
                               std::to_string(Session().State.ScanResults.Count()) +
                               " errors found - Now searching for Shortcuts");
    } else if (task == 2) {
        view_.SetProgress(Control::pgrFixing, 100);
        Enable(Control::cmdNext, true);
        if (!directRepair_) Next();
    } else if (task == 3) {
        view_.SetProgress(Control::pgrCustomPrg, 100);
        Enable(Control::cmdNext, true);
        Enable(Control::cmdBack, true);
        // The custom report's Save button: shown and enabled once there are hits to save.
        view_.SetVisible(Control::cmdSaveCustom, true);
        Enable(Control::cmdSaveCustom, true);
        Enable(Control::cmdCustomCancel, false);
        view_.StopTimer(Timer::tmrCustomAnim);
        view_.SetVisible(Control::picCustomAnim, false);
        view_.SetWindowCaption(std::string(kProductName) + " - " +
                               std::to_string(Session().State.CustomHits.Count()) +
                               " strings found");
    }
    ScanInProgress = false;
}

}  // namespace hivewarden::ui
