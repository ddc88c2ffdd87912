// What the main window's logic asks of a window: pages, controls by their names, texts,
// enabled and checked states, message and input boxes, file and folder dialogs, timers, the
// results grids' redraws and the action drop-down, the window's own state and the tray icon.
// The Win32 window implements it with real controls; tests implement it with a scripted fake.
// No Win32 types here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scan/results/summary_counters.h"

namespace hivewarden::ui {

// The wizard's pages (borderless panels at the top left of the client area).
enum class Page {
    FrameStart,
    FrameAdvanced,
    FrameScanSettings,
    FrameScan,
    FrameFixPrev,
    FrameFixing,
    FrameRestore,
    FrameBackUped,
    FrameOptions,
    FrameCustomStrings,
    FrameCustomSearching,
    FrameWaitCustomFix,
};
inline constexpr int kPageCount = 12;

// Controls the logic addresses by name.
enum class Control {
    // The bottom button row.
    cmdAbout,
    cmdBack,
    cmdNext,
    cmdExit,
    cmdHelp,
    // The start and advanced pages.
    CmdAdvanced,
    optStart0,
    optStart1,
    optStart2,
    optStart3,
    chkDisableStartup,
    chkMinizeToTray,
    // The scan settings page, top to bottom.
    chkAll,
    chkLinks,
    chkDll,
    chkHelp,
    chkFonts,
    chkSounds,
    chkAppPaths,
    chkUninstall,
    chkVirus,
    chkAutoRun,
    chkDrivers,
    chkEmptyRegFolders,
    // The scan and results page.
    ScanProgress,
    lstFound,
    cmbAction,
    cmdCancelScan,
    cmdSelect,
    cmdDeselect,
    cmdSaveResults,
    // The repair preview and repair pages.
    lblErrorsFix,
    txtBackUpName,
    pgrFixing,
    // The restore page.
    lsvBackups,
    cmdRemoveBck,
    // The exclusion list page.
    lstExcludeMain,
    cmdAddFile,
    cmdAddFolder,
    cmdDeleteEntry,
    // The custom search pages.
    txtCustomStr,
    lstCustomsStrs,
    cmdCustomChange,
    cmdCustomDelete,
    txtTextReplace,
    lstCustomSearching,
    cmbCustomRplAction,
    cmdCustomSelect,
    cmdCustomDeselect,
    cmdCustomCancel,
    cmdSaveCustom,  // hidden when the window loads
    pgrCustomPrg,
    picCustomAnim,
    lblCustomErrorsFix,
    txtCustomBackUpName,
    lblWaitWarning,
};

// The controls checked when the window opens: option 0 of the start page and every scan
// category box except the two "(advanced)" ones.
inline constexpr Control kCheckedAtStart[] = {
    Control::optStart0,    Control::chkAll,   Control::chkLinks,   Control::chkDll,
    Control::chkHelp,      Control::chkFonts, Control::chkSounds,  Control::chkAppPaths,
    Control::chkUninstall, Control::chkVirus, Control::chkAutoRun,
};

enum class Layout { Compact, Expanded };

enum class Timer {
    tmrAutoScan,           // the start-up scan, 10 ms after the first activation
    tmrCheckForNew,        // results hand-over, 500 ms
    tmrPrg,                // the scan progress bar, 100 ms
    tmrCheckForNewCustom,  // custom hits hand-over, 500 ms
    tmrPgr,                // the custom search's progress bar, 100 ms
    tmrCustomAnim,         // the custom search's animation, 100 ms
};

enum class MessageIcon { None, Information, Question, Exclamation, Critical };
enum class MessageButtons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// A cell's rectangle in the window's client coordinates.
struct CellBox {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
};

class View {
  public:
    virtual ~View() = default;

    // Pages, layout and captions.
    virtual void ShowPage(Page page, bool shown) = 0;
    virtual bool PageShown(Page page) const = 0;
    virtual void SetLayout(Layout layout) = 0;
    virtual void SetWindowCaption(const std::string& text) = 0;

    // Controls.
    virtual void SetText(Control control, const std::string& text) = 0;
    virtual std::string Text(Control control) const = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;
    virtual bool Enabled(Control control) const = 0;
    virtual void SetVisible(Control control, bool visible) = 0;
    // Check boxes and options. Setting a value never runs a click handler: the logic does that
    // itself where a change of value must run one.
    virtual void SetChecked(Control control, bool checked) = 0;
    virtual bool Checked(Control control) const = 0;
    virtual void SetFocus(Control control) = 0;
    virtual void SetProgress(Control control, std::int32_t percent) = 0;
    // A summary counter's caption.
    virtual void SetCounterText(scan::Counter counter, const std::string& text) = 0;

    // Dialogs; every one is modal and owned by the window.
    virtual Answer ShowMessage(const std::string& text, MessageIcon icon,
                               MessageButtons buttons) = 0;
    // A message with a list beneath it (one line per item, scrolled when long) and an OK
    // button, e.g. the changes a repair could not make.
    virtual void ShowListMessage(const std::string& text, const std::vector<std::string>& lines,
                                 MessageIcon icon) = 0;
    // A text input with the standard title; nullopt when cancelled.
    virtual std::optional<std::string> InputBox(const std::string& prompt,
                                                const std::string& initial) = 0;
    // The folder picker; empty when cancelled or the choice has no file-system path.
    virtual std::string BrowseForFolder(const std::string& title) = 0;
    // The open-file dialog; nullopt when cancelled. An empty title leaves the system's own.
    virtual std::optional<std::string> OpenFileDialog(const std::string& title,
                                                      const std::string& filter) = 0;
    // The save-file dialog, asking before it overwrites; nullopt when cancelled.
    virtual std::optional<std::string> SaveFileDialog(const std::string& filter) = 0;
    // The start-up prompt ("Information"): true for "&Scan Now".
    virtual bool StartupPrompt() = 0;
    virtual void ShowAbout() = 0;
    // The shell's "Open" of a web address or file; failures are ignored.
    virtual void ShellOpen(const std::string& target, const std::string& folder) = 0;

    // Timers tick through the logic's OnTimer.
    virtual void StartTimer(Timer timer, std::int32_t intervalMs) = 0;
    virtual void StopTimer(Timer timer) = 0;
    // Lets the message loop run once (paints, clicks, timer ticks) before the work goes on.
    virtual void Yield() = 0;

    // The results grids: the models changed; the grid repaints.
    virtual void GridSuspendRedraw(Control grid) = 0;
    virtual void GridResumeRedraw(Control grid) = 0;
    virtual void GridRowsAppended(Control grid) = 0;
    virtual void GridRowsReset(Control grid) = 0;
    virtual void GridRowChanged(Control grid, std::int32_t row) = 0;
    virtual CellBox GridCellBox(Control grid, std::int32_t row, std::int32_t column) const = 0;
    virtual std::int32_t GridSelectedRow(Control grid) const = 0;
    virtual void GridEndEdit(Control grid) = 0;

    // An action drop-down (cmbAction, cmbCustomRplAction) laid over a grid cell.
    virtual void ShowActionChooser(Control chooser, const std::vector<std::string>& items,
                                   const std::string& text, const CellBox& box) = 0;
    virtual void HideActionChooser(Control chooser) = 0;
    // The chosen item's text; nullopt when no item is selected.
    virtual std::optional<std::string> ActionChooserSelection(Control chooser) const = 0;

    // List controls (lsvBackups, lstExcludeMain, lstCustomsStrs); items counted from 0.
    virtual void ListClear(Control list) = 0;
    virtual void ListAdd(Control list, const std::string& text) = 0;
    virtual std::int32_t ListCount(Control list) const = 0;
    virtual std::string ListText(Control list, std::int32_t index) const = 0;
    virtual void ListSetText(Control list, std::int32_t index, const std::string& text) = 0;
    virtual void ListRemove(Control list, std::int32_t index) = 0;
    // The list's current item when it is selected.
    virtual std::optional<std::int32_t> ListSelection(Control list) const = 0;
    // An item's check box (lsvBackups).
    virtual bool ListChecked(Control list, std::int32_t index) const = 0;

    // One frame (from 1) of the custom search's animation into picCustomAnim.
    virtual void ShowAnimationFrame(std::int32_t frame) = 0;

    // The window itself.
    virtual bool Minimized() const = 0;
    virtual bool Visible() const = 0;
    virtual void Minimize() = 0;
    virtual void Hide() = 0;
    // Normal state, shown, centred, in the foreground (the tray icon's double-click).
    virtual void RestoreFromTray() = 0;
    // Centres the window on the screen.
    virtual void CenterOnScreen() = 0;
    // Removes the system menu's Close command (DisableX).
    virtual void DisableCloseCommand() = 0;
    // AddTrayIcon: the shell's "add" of the notification-area icon (a failure is ignored),
    // then the window is minimised unless it is already, then hidden.
    virtual void AddTrayIcon() = 0;
    virtual void RemoveTrayIcon() = 0;
    // Ends the process at once.
    virtual void Terminate() = 0;
};

}  // namespace hivewarden::ui
