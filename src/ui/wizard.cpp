// The wizard's step machine: Next and Back driven by WizardStep, Exit and Finish, Advanced
// Options, Help, About and Cancel Scan.
#include <string>
#include <vector>

#include "repair/backup_catalogue.h"
#include "scan/scan_controller.h"
#include "ui/main_window.h"

namespace hivewarden::ui {
namespace {

constexpr Page kAllPages[] = {
    Page::FrameStart,         Page::FrameAdvanced,      Page::FrameRestore,
    Page::FrameOptions,       Page::FrameScan,          Page::FrameFixPrev,
    Page::FrameFixing,        Page::FrameBackUped,      Page::FrameCustomSearching,
    Page::FrameWaitCustomFix, Page::FrameCustomStrings, Page::FrameScanSettings,
};

constexpr Control kStartOptions[] = {Control::optStart0, Control::optStart1, Control::optStart2,
                                     Control::optStart3};

constexpr std::string_view kCancelQuestion = "Are you sure you want to cancel scanning?";

}  // namespace

void MainWindow::HideAllPages() {
    for (const Page page : kAllPages) view_.ShowPage(page, false);
}

void MainWindow::SetMainCaption() { view_.SetWindowCaption(std::string(kProductName)); }

void MainWindow::SelectStartOption(int option) {
    for (int i = 0; i < 4; ++i) view_.SetChecked(kStartOptions[i], i == option);
}

void MainWindow::Next() {
    HideAllPages();
    Enable(Control::cmdBack, true);
    ++WizardStep;
    NextAction();
    EndIfExitRequested();
}

void MainWindow::NextAction() {
    switch (WizardStep) {
        case 0: {
            SetMainCaption();
            int option = -1;
            for (int i = 0; i < 4 && option < 0; ++i) {
                if (view_.Checked(kStartOptions[i])) option = i;
            }
            if (option == 0) {
                view_.ShowPage(Page::FrameScanSettings, true);
                Enable(Control::cmdNext, true);
            } else if (option == 1) {
                view_.ShowPage(Page::FrameRestore, true);
                WizardStep = 5;
                Enable(Control::cmdNext, false);
                FillRestorePage();
            } else if (option == 2) {
                SetDeleteEntryFromList();
                view_.ShowPage(Page::FrameOptions, true);
                WizardStep = 7;
                Enable(Control::cmdNext, true);
                view_.Yield();
                LoadExclusionPage();
            } else if (option == 3) {
                view_.ShowPage(Page::FrameCustomStrings, true);
                WizardStep = 8;
                Enable(Control::cmdNext, HasSearchTexts());
                view_.Yield();
            }
            break;
        }
        case 1:
            view_.ShowPage(Page::FrameScan, true);
            Enable(Control::cmdNext, false);
            Enable(Control::cmdBack, false);
            view_.SetText(Control::cmdNext, std::string(kRepairCaption));
            view_.SetFocus(Control::cmdCancelScan);
            view_.Yield();
            RunScanPage();
            break;
        case 2:
            view_.SetLayout(Layout::Compact);
            view_.ShowPage(Page::FrameFixPrev, true);
            view_.SetText(Control::cmdNext, std::string(kNextCaption));
            view_.Yield();
            PrepareFixPrevPage();
            break;
        case 3:
            // Held from here: the page's first yield already handles clicks.
            BeginRepair();
            view_.ShowPage(Page::FrameFixing, true);
            view_.Yield();
            RunRepairStep();
            break;
        case 4:
        case 12:
            SetMainCaption();
            view_.ShowPage(Page::FrameScan, true);
            view_.Yield();
            ApplyPostRepairState();
            break;
        case 5:
        case 13:
            DirectRepair();
            break;
        case 6:
            SetMainCaption();
            Enable(Control::cmdBack, false);
            view_.ShowPage(Page::FrameBackUped, true);
            Enable(Control::cmdNext, true);
            RestoreCheckedBackups();
            break;
        case 7:
        case 8:
            SetMainCaption();
            if (WizardStep == 8) SaveExclusionPage();
            view_.ShowPage(Page::FrameStart, true);
            Enable(Control::cmdBack, false);
            Enable(Control::cmdNext, true);
            WizardStep = -1;
            break;
        case 9:
            view_.ShowPage(Page::FrameCustomSearching, true);
            Enable(Control::cmdNext, false);
            Enable(Control::cmdBack, true);
            StartCustomSearch();
            break;
        case 10:
            view_.ShowPage(Page::FrameWaitCustomFix, true);
            view_.Yield();
            PrepareCustomRepairPage();
            break;
        case 11:
            RunCustomRepair();
            break;
        default:
            break;
    }
}

// Repair pressed on the results page after a repair: straight to the repair with the default
// backup name, then back to the results. The repair's own completion performs no Next here.
void MainWindow::DirectRepair() {
    BeginRepair();
    view_.ShowPage(Page::FrameFixing, true);
    view_.Yield();
    // No name box is shown here, so the default name must not replace a backup made earlier
    // in the same second.
    std::vector<std::string> backups;
    std::string listError;
    repair::ListBackups(ProgramFolder, backups, listError);
    view_.SetText(Control::txtBackUpName, repair::UnusedBackupName(backups, DefaultBackupName()));
    directRepair_ = true;
    RunRepairStep();
    directRepair_ = false;
    view_.ShowPage(Page::FrameScan, true);
    view_.ShowPage(Page::FrameFixing, false);
    WizardStep = 4;
    if (Results.RowCount() == 0) {
        WizardStep = -1;
        ApplyPostRepairState();
    }
}

void MainWindow::ApplyPostRepairState() {
    view_.SetText(Control::cmdNext, std::string(kRepairCaption));
    view_.SetText(Control::cmdExit, std::string(kFinishCaption));
    Enable(Control::cmdBack, false);
    if (Results.RowCount() == 0) Enable(Control::cmdNext, false);
}

void MainWindow::Back() {
    HideAllPages();
    Enable(Control::cmdBack, false);
    Enable(Control::cmdNext, true);
    view_.SetLayout(Layout::Compact);
    if (WizardStep == -1) {
        SetMainCaption();
        view_.ShowPage(Page::FrameStart, true);
        SelectStartOption(0);
        CancelEngine();
        return;
    }
    switch (WizardStep) {
        case 0:
            SetMainCaption();
            view_.ShowPage(Page::FrameStart, true);
            CancelEngine();
            break;
        case 1:
            view_.ShowPage(Page::FrameScanSettings, true);
            Enable(Control::cmdBack, true);
            view_.SetText(Control::cmdNext, std::string(kNextCaption));
            break;
        case 2:
            view_.ShowPage(Page::FrameScan, true);
            Enable(Control::cmdBack, true);
            break;
        case 3:
            WizardStep = 0;
            view_.SetText(Control::cmdNext, std::string(kNextCaption));
            SetMainCaption();
            view_.ShowPage(Page::FrameStart, true);
            CancelEngine();
            break;
        case 4:
            view_.ShowPage(Page::FrameFixing, true);
            Enable(Control::cmdBack, true);
            break;
        case 5:
            view_.ShowPage(Page::FrameStart, true);
            Enable(Control::cmdBack, false);
            WizardStep = 0;
            SelectStartOption(0);
            break;
        case 7:
        case 8:
            CancelEngine();
            Session().ScanHalted = true;
            view_.ShowPage(Page::FrameAdvanced, true);
            Enable(Control::cmdBack, true);
            WizardStep = -1;
            SelectStartOption(2);
            return;
        case 9:
            SetMainCaption();
            view_.ShowPage(Page::FrameCustomStrings, true);
            CancelEngine();
            Enable(Control::cmdBack, true);
            Session().ScanHalted = true;
            break;
        case 10:
            view_.ShowPage(Page::FrameCustomSearching, true);
            Enable(Control::cmdBack, true);
            break;
        default:
            break;
    }
    --WizardStep;
    if (view_.PageShown(Page::FrameStart)) SelectStartOption(0);
}

void MainWindow::Exit() {
    if (view_.Text(Control::cmdExit) == kExitCaption) {
        CloseRequested();
        if (CloseAccepted) {
            view_.RemoveTrayIcon();
            view_.Terminate();
        }
        return;
    }
    view_.SetText(Control::cmdNext, std::string(kNextCaption));
    view_.SetText(Control::cmdExit, std::string(kExitCaption));
    WizardStep = -1;
    Back();
}

void MainWindow::AdvancedOptions() {
    view_.ShowPage(Page::FrameAdvanced, true);
    view_.ShowPage(Page::FrameStart, false);
    Enable(Control::cmdBack, true);
    WizardStep = -1;
    SelectStartOption(2);
    SetCheckBox(Control::chkMinizeToTray, true);
    Enable(Control::chkMinizeToTray, false);
    SetCheckBox(Control::chkDisableStartup, false);
    Enable(Control::chkDisableStartup, false);
}

void MainWindow::Help() { view_.ShellOpen(std::string(kHelpAddress), ProgramFolder); }

void MainWindow::About() { view_.ShowAbout(); }

void MainWindow::CancelScan() {
    if (view_.ShowMessage(std::string(kCancelQuestion), MessageIcon::Question,
                          MessageButtons::YesNo) != Answer::Yes) {
        return;
    }
    CancelEngine();
    Session().ScanHalted = true;
}

// StopRequested, and both result timers off.
void MainWindow::CancelEngine() {
    scan::CancelEngine(Session());
    view_.StopTimer(Timer::tmrCheckForNew);
    view_.StopTimer(Timer::tmrCheckForNewCustom);
}

}  // namespace hivewarden::ui
