// The main window's logic: the wizard's step machine (Next, Back, Exit, Advanced Options),
// the scan page and its results grid, the completion handler Done, the repair preview and the
// repair step, start-up, the two settings, the tray icon and the close rules. It drives a View
// and never touches a platform API; the registry goes through the access layer.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "custom/custom_grid.h"
#include "custom/custom_search.h"
#include "store/access.h"
#include "repair/backup_restore.h"
#include "repair/repair_executor.h"
#include "scan/results/result_rows.h"
#include "scan/scan_session.h"
#include "ui/view.h"

namespace hivewarden::ui {

// The program's own texts.
inline constexpr std::string_view kProductName = "Kestovar Hivewarden";
inline constexpr std::string_view kSettingsKey = "Software\\Kestovar\\Hivewarden";
inline constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view kHelpAddress = "https://www.kestovar.com/hivewarden/help";
inline constexpr std::string_view kNextCaption = "Next >";
inline constexpr std::string_view kRepairCaption = "Repair";
inline constexpr std::string_view kExitCaption = "Exit";
inline constexpr std::string_view kFinishCaption = "Finish";

// Where the program lives and how it was started.
struct ProgramInfo {
    std::string Folder;     // the program's folder as the system reports it
    std::string BaseName;   // the program file's name without ".exe"
    std::string Arguments;  // the command-line arguments as one text
};

// Everything the window's logic works with besides the view.
struct WindowServices {
    scan::ScanSession& Session;             // state, registry, probes, exclusions, shortcuts
    std::function<std::tm()> Now;           // local time, for the default backup names
    std::function<void()> BeforeScan = {};  // e.g. forget cached file-system answers
};

class MainWindow final : public scan::ScanFrontEnd, public custom::SearchFrontEnd {
  public:
    MainWindow(View& view, WindowServices services, ProgramInfo program);

    // --- Start-up, settings and tray ---
    // Program entry after the single-instance check: the engine's start and the Run entry.
    void ProgramEntry();
    // The window's load, in its order (the start-up prompt included).
    void Load();
    void Activated();
    void DisableStartupClicked();
    void MinimizeToTrayClicked();
    void Resized();
    // The notification-area icon's mouse message (515 is the left double-click).
    void TrayIconMessage(std::int32_t mouseMessage);
    // The window is asked to close (Exit, or the system); the close is always refused here.
    void CloseRequested();

    // --- Wizard ---
    void Next();
    void Back();
    void Exit();
    void AdvancedOptions();
    void Help();
    void About();
    void CancelScan();

    // --- Timers ---
    void OnTimer(Timer timer);

    // --- Results grid ---
    void HeaderClicked(std::int32_t column);
    void EditRequested(std::int32_t row, std::int32_t column);
    void EditCancelled();
    void ActionChosen();
    void ActionChooserLostFocus();
    void DeleteAllClicked();
    void IgnoreAllClicked();
    void PrepareFixPrevPage();

    // --- The backup-name box ---
    void BackupNameChanged();
    void BackupNameLostFocus();

    // --- Restore page ---
    // The system's import (or the program's own) that checked backups are handed to.
    void SetBackupImporter(repair::BackupImporter* importer);
    void BackupCheckChanged();
    void RemoveBackupClicked();

    // --- Exclusion list page ---
    void AddFileClicked();
    void AddFolderClicked();
    void DeleteEntryClicked();
    void ExclusionListClicked();

    // --- Custom search pages ---
    void CustomTextEntered();  // Enter released in txtCustomStr
    void CustomChangeClicked();
    void CustomDeleteClicked();
    void CustomCancelClicked();
    void CustomIgnoreAllClicked();
    void CustomReplaceAllClicked();
    void CustomEditRequested(std::int32_t row, std::int32_t column);
    void CustomEditCancelled();
    void CustomActionChosen();
    void CustomChooserLostFocus();
    void CustomBackupNameChanged();
    void CustomBackupNameLostFocus();

    // --- Reports ---
    void SaveResultsClicked();
    void SaveCustomClicked();

    // --- scan::ScanFrontEnd ---
    void SetResultsTimer(bool on) override;
    void ResultsTimerTick() override;
    void Done(bool canceled, int task) override;
    void ShowMessage(const std::string& text) override;
    void ResetResults() override;
    void ShortcutScanStarting() override;
    void ShortcutFound(const scan::ShortcutEntry& entry) override;
    void ScanFinished() override;

    // --- custom::SearchFrontEnd (Done is shared) ---
    void SetPollingTimer(bool on) override;

    // State, read by the window and by tests.
    std::int32_t WizardStep = -1;
    bool ScanInProgress = false;
    bool ExitRequested = false;
    bool CloseAccepted = false;
    bool ScanAtStart = false;
    bool ActivatedOnce = false;
    // True from the press that starts a repair until the repair step has returned: Next, Back
    // and Exit stay disabled meanwhile, whatever the wizard asks of them.
    bool RepairRunning = false;
    std::string ProgramFolder;

    scan::ResultGrid Results;       // lstFound
    custom::CustomGrid CustomHits;  // lstCustomSearching
    // The last restore's hand-overs, in list order.
    std::vector<repair::RestoreOutcome> LastRestore;
    // The last repair's outcome (for the window's own reporting); empty before the first.
    std::optional<repair::RepairResult> LastRepair;

    scan::ScanSession& Session() { return services_.Session; }

  private:
    void SwitchTimer(Timer timer, bool on, std::int32_t intervalMs);
    // Enables or disables a control; while a repair runs, the wizard's buttons only take note
    // and get their last state when it ends.
    void Enable(Control control, bool enabled);
    void BeginRepair();
    void EndRepair();
    // Next's and Back's parts.
    void CancelEngine();
    void HideAllPages();
    void SetMainCaption();
    void SelectStartOption(int option);
    void NextAction();
    void BackAction();
    void ApplyPostRepairState();
    void RunScanPage();
    void RunRepairStep();
    void DirectRepair();
    void EndIfExitRequested();
    // Start-up pieces.
    std::string AutoRunCommand() const;
    void WriteAutoRunEntry();
    void SetCheckBox(Control box, bool checked);
    void WriteSetting(std::string_view name, bool value);
    bool ReadSetting(std::string_view name);
    // Results pieces.
    void ShowCounters();
    std::string DefaultBackupName() const;
    std::optional<std::string> AskForNewValue(const engine::ErrorEntry& entry);
    void ChangeValue(std::int32_t row);
    void CheckBackupName(Control box);
    void EnableNextForBackupName(Control box);
    // Tells why a repair changed nothing, or which of its changes did not take and why.
    void ReportRepairOutcome(const repair::RepairResult& result,
                             const std::vector<std::string>& shortcutsNotDeleted = {});
    // Restore, options and custom pages.
    void FillRestorePage();
    void RestoreCheckedBackups();
    void SetDeleteEntryFromList();
    void LoadExclusionPage();
    void SaveExclusionPage();
    bool HasSearchTexts() const;
    void StartCustomSearch();
    void CustomPollingTick();
    void CustomAnimationTick();
    void PrepareCustomRepairPage();
    void RunCustomRepair();
    // Asks for a file and writes the report's text to it.
    void SaveReport(const std::string& text);

    View& view_;
    WindowServices services_;
    // Set while the results page's direct repair runs: its completion performs no Next.
    bool directRepair_ = false;
    // The states the wizard's buttons get when the running repair ends.
    struct HeldState {
        Control Button;
        bool Enabled;
    };
    std::vector<HeldState> heldStates_;
    repair::BackupImporter* importer_ = nullptr;  // not owned
    std::int32_t animationFrame_ = 0;
    ProgramInfo program_;
};

}  // namespace hivewarden::ui
