// The main window's logic on a small machine: an in-memory registry and file system, the scan
// session over them, a temporary program folder, a fixed clock and the scripted window.
#pragma once

#include <ctime>
#include <string>

#include "scan/scan_session.h"
#include "support/fake_machine.h"
#include "support/fake_view.h"
#include "support/local_time.h"
#include "support/temp_folder.h"
#include "ui/main_window.h"

namespace hivewarden::testing {

// 4 December 2026, 21:05:09.
inline std::tm FixedNow() { return LocalTime(4, 12, 2026, 21, 5, 9); }

class WindowMachine : public FakeMachine {
  public:
    explicit WindowMachine(std::string arguments = {})
        : Window(View, ui::WindowServices{Session, FixedNow},
                 ui::ProgramInfo{Program.Folder().substr(0, Program.Folder().size() - 1),
                                 "HivewardenGui", std::move(arguments)}) {
        Session.ProgramFolder = Program.Folder();
        // Every Windows machine has the Run key; the settings key is the program's own.
        Key("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
        // The program file exists, so its own auto-run entry is no finding.
        File(Program.Folder().substr(0, Program.Folder().size() - 1) + "\\HivewardenGui.exe");
        // Without the system's import, restores go through the program's own importer.
        Window.SetBackupImporter(&Importer);
        // The window's Yield lets timers tick, as the message loop would.
        View.OnYield = [this] {
            for (const ui::Timer timer :
                 {ui::Timer::tmrCheckForNew, ui::Timer::tmrCheckForNewCustom,
                  ui::Timer::tmrCustomAnim}) {
                if (View.TimerRunning(timer)) Window.OnTimer(timer);
            }
        };
    }

    // Program entry and the window's load, then the first activation (Activated starts the
    // start-up timer; its tick runs here too).
    void Start() {
        Window.ProgramEntry();
        Window.Load();
        Window.Activated();
        if (View.TimerRunning(ui::Timer::tmrAutoScan)) Window.OnTimer(ui::Timer::tmrAutoScan);
    }

    // The scan settings page with only the given boxes checked.
    void CheckOnly(std::initializer_list<ui::Control> boxes) {
        for (int c = static_cast<int>(ui::Control::chkAll);
             c <= static_cast<int>(ui::Control::chkEmptyRegFolders); ++c) {
            View.SetChecked(static_cast<ui::Control>(c), false);
        }
        for (const ui::Control box : boxes) View.SetChecked(box, true);
    }

    TempFolder Program;
    repair::StoreImporter Importer{Store};
    scan::ScanSession Session{State, Access, Paths};
    FakeView View;
    ui::MainWindow Window;
};

}  // namespace hivewarden::testing
