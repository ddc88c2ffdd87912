// Start-up, the two settings under HKEY_LOCAL_MACHINE, the auto-run entry, the tray icon and
// the close rules. Registry writes report nothing: without write access the previous state
// stays and a missing setting reads as 0.
#include <filesystem>

#include "scan/scan_controller.h"
#include "scan/utf8_positions.h"
#include "ui/main_window.h"

namespace hivewarden::ui {
namespace {

constexpr std::string_view kSettingStartup = "SS";
constexpr std::string_view kSettingTray = "MT";
constexpr std::int32_t kDoubleClickMessage = 515;  // WM_LBUTTONDBLCLK
constexpr std::int32_t kAutoScanDelayMs = 10;

constexpr std::string_view kExitQuestion =
    "Kestovar Hivewarden is still searching your system registry. Are you sure you want to "
    "stop it and exit?";

}  // namespace

MainWindow::MainWindow(View& view, WindowServices services, ProgramInfo program)
    : view_(view), services_(std::move(services)), program_(std::move(program)) {
    ProgramFolder = program_.Folder;
    if (ProgramFolder.empty() || (ProgramFolder.back() != '\\' && ProgramFolder.back() != '/')) {
        ProgramFolder += static_cast<char>(std::filesystem::path::preferred_separator);
    }
    Session().ProgramFolder = ProgramFolder;
    // The engines yield after every item; the window lets its message loop run then.
    Session().State.YieldHook = [this] { view_.Yield(); };
}

// The folder as the system reports it, a backslash, the base name, ".exe -X"; from a drive's
// root folder this holds two backslashes, as the system's folder text already ends in one.
std::string MainWindow::AutoRunCommand() const {
    return program_.Folder + "\\" + program_.BaseName + ".exe -X";
}

void MainWindow::WriteAutoRunEntry() {
    Session().Access.SetValue(registry::kLocalMachine, kRunKey, kProductName, registry::kTextKind,
                              AutoRunCommand());
}

void MainWindow::WriteSetting(std::string_view name, bool value) {
    Session().Access.SetValue(registry::kLocalMachine, kSettingsKey, name, registry::kNumberKind,
                              value ? "1" : "0");
}

bool MainWindow::ReadSetting(std::string_view name) {
    return Session().Access.QueryNumber(registry::kLocalMachine, kSettingsKey, name) != 0;
}

void MainWindow::ProgramEntry() {
    scan::InitScanEngine(Session());
    WriteAutoRunEntry();
}

// Assigning a check box's value runs its click handler when the value changes.
void MainWindow::SetCheckBox(Control box, bool checked) {
    if (view_.Checked(box) == checked) return;
    view_.SetChecked(box, checked);
    if (box == Control::chkDisableStartup) DisableStartupClicked();
    if (box == Control::chkMinizeToTray) MinimizeToTrayClicked();
}

void MainWindow::Load() {
    view_.DisableCloseCommand();
    ActivatedOnce = false;
    view_.SetVisible(Control::cmdSaveCustom, false);
    HideAllPages();
    view_.ShowPage(Page::FrameStart, true);
    view_.SetLayout(Layout::Compact);
    WizardStep = 0;
    WizardStep = -1;
    Enable(Control::cmdBack, false);
    view_.SetText(Control::cmdNext, std::string(kNextCaption));
    view_.SetText(Control::cmdExit, std::string(kExitCaption));
    Session().Shortcuts.Reset();
    view_.StopTimer(Timer::tmrAutoScan);
    Session().Access.CreateKey(registry::kLocalMachine, kSettingsKey);
    SetCheckBox(Control::chkDisableStartup, ReadSetting(kSettingStartup));
    SetCheckBox(Control::chkMinizeToTray, ReadSetting(kSettingTray));
    // Arguments of two or more characters (the auto-run entry passes "-X").
    if (scan::CharCount(program_.Arguments) >= 2) {
        if (view_.StartupPrompt()) {
            ScanAtStart = true;
        } else {
            view_.Minimize();
            view_.AddTrayIcon();
        }
    }
}

void MainWindow::Activated() {
    if (ActivatedOnce) return;
    ActivatedOnce = true;
    view_.StartTimer(Timer::tmrAutoScan, kAutoScanDelayMs);
}

void MainWindow::DisableStartupClicked() {
    const bool checked = view_.Checked(Control::chkDisableStartup);
    WriteSetting(kSettingStartup, checked);
    if (checked) {
        Session().Access.DeleteValue(registry::kLocalMachine, kRunKey, kProductName);
    } else {
        WriteAutoRunEntry();
    }
}

void MainWindow::MinimizeToTrayClicked() {
    WriteSetting(kSettingTray, view_.Checked(Control::chkMinizeToTray));
}

void MainWindow::Resized() {
    const bool toTray = view_.Checked(Control::chkMinizeToTray);
    if (toTray && view_.Minimized()) {
        // A second add fails while the icon is still there; that is ignored.
        view_.AddTrayIcon();
    } else if (!toTray && !view_.Minimized()) {
        view_.CenterOnScreen();
    }
}

void MainWindow::TrayIconMessage(std::int32_t mouseMessage) {
    if (view_.Visible() || mouseMessage != kDoubleClickMessage) return;
    view_.RestoreFromTray();
}

void MainWindow::CloseRequested() {
    CloseAccepted = false;
    if (ScanInProgress && !ExitRequested) {
        if (view_.ShowMessage(std::string(kExitQuestion), MessageIcon::Question,
                              MessageButtons::YesNo) == Answer::Yes) {
            // Both result timers stop with the engine, whichever search runs.
            CancelEngine();
            Session().ScanHalted = true;
            ExitRequested = true;
        }
        return;
    }
    CloseAccepted = true;
}

void MainWindow::EndIfExitRequested() {
    if (!ExitRequested) return;
    view_.RemoveTrayIcon();
    view_.Terminate();
}

}  // namespace hivewarden::ui
