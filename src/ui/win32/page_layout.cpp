// The main window's control table: every page's controls with their captions, the summary
// box, the separator line and the bottom button row.
#include "ui/win32/page_layout.h"

#include <array>

#include "ui/win32/control_ids.h"
#include "ui/win32/grid/grid_control.h"

namespace hivewarden::ui::win32 {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kRadioFirst = kChild | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON;
constexpr DWORD kRadio = kChild | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kPicture = kChild | SS_BITMAP | SS_REALSIZEIMAGE;
constexpr DWORD kList = kChild | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS;

constexpr int Id(Control control) { return ControlId(control); }
constexpr int Plain(int n) { return kFirstPlainId + n; }

constexpr const char* kInstruction =
    "To fix registry entries, please click the 'Correction' box next to the entry. You can "
    "choose the type of correction from the drop down menu. Choose 'Ignore' if you do not want "
    "to fix or change the value of an entry. Once done, click 'Repair' to fix all selected "
    "entries.";
constexpr const char* kFixPrevText =
    "Kestovar Hivewarden will fix the selected errors. For security purposes, Hivewarden will "
    "generate a backup of your current registry. You will be able to undo all the changes made "
    "to the registry using the \"Restore a backup\" option.";

constexpr const char* kCustomFixText =
    "Kestovar Hivewarden will now fix the selected errors. For security the program will "
    "generate a backup file and you will be able to recover all changes by selecting Restore "
    "at the main screen.";

using enum Page;
using enum FontKind;
using enum Placement;

// The scan settings page's twelve boxes, top to bottom.
constexpr int kBoxTop = 66;
constexpr int kBoxStep = 20;
constexpr int Box(int n) { return kBoxTop + n * kBoxStep; }

constexpr auto kControls = std::to_array<ControlSpec>({
    // FrameStart
    {Plain(0), L"STATIC", "", kPicture, 12, 20, 150, 250, OnPage, FrameStart, Label},
    {Plain(1), L"STATIC", "Welcome to Kestovar Hivewarden", kLabel, 180, 22, 410, 26, OnPage,
     FrameStart, Title},
    {Plain(2), L"STATIC", "Use this program to optimize your Windows registry", kLabel, 180, 52,
     410, 18, OnPage, FrameStart, Label},
    {Id(Control::optStart0), L"BUTTON", "Scan my registry for errors", kRadioFirst, 190, 98, 390,
     20, OnPage, FrameStart, Bold},
    {Plain(3), L"STATIC",
     "Scan your registry for file, drive and folder paths that are invalid and other errors.",
     kLabel, 210, 120, 370, 32, OnPage, FrameStart, Label},
    {Id(Control::optStart1), L"BUTTON", "Restore a backup", kRadio, 190, 164, 390, 20, OnPage,
     FrameStart, Bold},
    {Plain(4), L"STATIC", "Restore a backup you made from a previous scan", kLabel, 210, 186, 370,
     18, OnPage, FrameStart, Label},
    {Id(Control::CmdAdvanced), L"BUTTON", "Advanced Options", kButton | WS_GROUP, 190, 246, 150, 25,
     OnPage, FrameStart, Label},
    // FrameAdvanced
    {Plain(5), L"STATIC", "", kPicture, 12, 20, 150, 250, OnPage, FrameAdvanced, Label},
    {Plain(6), L"STATIC", "Advanced Options", kLabel, 180, 22, 410, 26, OnPage, FrameAdvanced,
     Title},
    {Id(Control::optStart2), L"BUTTON", "Set program options", kRadioFirst, 190, 70, 390, 20,
     OnPage, FrameAdvanced, Bold},
    {Plain(7), L"STATIC",
     "Set the files, drives and folders that Kestovar Hivewarden should ignore when scanning",
     kLabel, 210, 92, 370, 32, OnPage, FrameAdvanced, Label},
    {Id(Control::optStart3), L"BUTTON", "Scan my registry for custom values", kRadio, 190, 136, 390,
     20, OnPage, FrameAdvanced, Bold},
    {Plain(8), L"STATIC", "Scan your registry for a specific string or value", kLabel, 210, 158,
     370, 18, OnPage, FrameAdvanced, Label},
    {Id(Control::chkDisableStartup), L"BUTTON", "Disable Auto-Run on startup", kCheck | WS_GROUP,
     190, 220, 390, 20, OnPage, FrameAdvanced, Label},
    {Id(Control::chkMinizeToTray), L"BUTTON", "Minimize to System Tray", kCheck, 190, 244, 390, 20,
     OnPage, FrameAdvanced, Label},
    // FrameScanSettings
    {Plain(9), L"STATIC", "Welcome to Kestovar Hivewarden", kLabel, 20, 10, 560, 26, OnPage,
     FrameScanSettings, Title},
    {Plain(10), L"STATIC", "Please select the error categories you would like to scan for", kLabel,
     20, 40, 560, 18, OnPage, FrameScanSettings, Label},
    {Id(Control::chkAll), L"BUTTON", "Search the entire registry for invalid paths",
     kCheck | WS_GROUP, 40, Box(0), 520, 19, OnPage, FrameScanSettings, Label},
    {Id(Control::chkLinks), L"BUTTON", "Search for invalid shortcuts", kCheck, 40, Box(1), 520, 19,
     OnPage, FrameScanSettings, Label},
    {Id(Control::chkDll), L"BUTTON", "Search for invalid shared DLL file entries", kCheck, 40,
     Box(2), 520, 19, OnPage, FrameScanSettings, Label},
    {Id(Control::chkHelp), L"BUTTON", "Search for invalid help file entries", kCheck, 40, Box(3),
     520, 19, OnPage, FrameScanSettings, Label},
    {Id(Control::chkFonts), L"BUTTON", "Search for invalid fonts entries", kCheck, 40, Box(4), 520,
     19, OnPage, FrameScanSettings, Label},
    {Id(Control::chkSounds), L"BUTTON", "Search for invalid sounds", kCheck, 40, Box(5), 520, 19,
     OnPage, FrameScanSettings, Label},
    {Id(Control::chkAppPaths), L"BUTTON", "Search for invalid application paths", kCheck, 40,
     Box(6), 520, 19, OnPage, FrameScanSettings, Label},
    {Id(Control::chkUninstall), L"BUTTON", "Search for invalid uninstall paths", kCheck, 40, Box(7),
     520, 19, OnPage, FrameScanSettings, Label},
    {Id(Control::chkVirus), L"BUTTON", "Search for registry trojans", kCheck, 40, Box(8), 520, 19,
     OnPage, FrameScanSettings, Label},
    {Id(Control::chkAutoRun), L"BUTTON", "Search for invalid autonrun programs", kCheck, 40, Box(9),
     520, 19, OnPage, FrameScanSettings, Label},
    {Id(Control::chkDrivers), L"BUTTON", "Search for invalid drivers (advanced)", kCheck, 40,
     Box(10), 520, 19, OnPage, FrameScanSettings, Label},
    {Id(Control::chkEmptyRegFolders), L"BUTTON", "Search for empty registry folders (advanced)",
     kCheck, 40, Box(11), 520, 19, OnPage, FrameScanSettings, Label},
    // FrameScan
    {Plain(11), L"STATIC", "Scan Progress", kLabel, 10, 10, 100, 16, OnPage, FrameScan, Bold},
    {Id(Control::ScanProgress), PROGRESS_CLASSW, "", kChild | PBS_SMOOTH, 115, 9, 475, 16, OnPage,
     FrameScan, Label},
    {Plain(12), L"STATIC", "Found Items", kLabel, 10, 32, 200, 16, OnPage, FrameScan, Bold},
    {Id(Control::lstFound), kGridClassName, "", kChild | WS_TABSTOP, 10, 50, 580, 198, OnPage,
     FrameScan, Label},
    {Id(Control::cmdCancelScan), L"BUTTON", "Cancel Scan", kButton, 10, 253, 100, 24, OnPage,
     FrameScan, Label},
    {Id(Control::cmdSelect), L"BUTTON", "Delete All", kButton, 116, 253, 90, 24, OnPage, FrameScan,
     Label},
    {Id(Control::cmdDeselect), L"BUTTON", "Ignore All", kButton, 212, 253, 90, 24, OnPage,
     FrameScan, Label},
    {Id(Control::cmdSaveResults), L"BUTTON", "Save", kButton, 500, 253, 90, 24, OnPage, FrameScan,
     Label},
    {Plain(13), L"STATIC", kInstruction, kLabel, 10, 282, 572, 44, OnPage, FrameScan, Small},
    // FrameFixPrev
    {Id(Control::lblErrorsFix), L"STATIC", "Kestovar Hivewarden will repair XXX errors found.",
     kLabel, 20, 22, 560, 24, OnPage, FrameFixPrev, Title},
    {Plain(14), L"STATIC", kFixPrevText, kLabel, 20, 62, 548, 64, OnPage, FrameFixPrev, Label},
    {Plain(15), L"STATIC", "Enter a name for the backup:", kLabel, 20, 148, 560, 18, OnPage,
     FrameFixPrev, Bold},
    {Id(Control::txtBackUpName), L"EDIT", "", kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 20,
     170, 320, 22, OnPage, FrameFixPrev, Label},
    {Plain(16), L"STATIC", "Hit \"Next\" to save and repair registry.", kLabel, 20, 214, 560, 18,
     OnPage, FrameFixPrev, Label},
    // FrameFixing
    {Plain(17), L"STATIC", "Reparing...", kLabel, 20, 22, 560, 26, OnPage, FrameFixing, Title},
    {Plain(18), L"STATIC",
     "Please wait while Kestovar Hivewarden is fixing all of the selected errors", kLabel, 20, 62,
     560, 18, OnPage, FrameFixing, Label},
    {Id(Control::pgrFixing), PROGRESS_CLASSW, "", kChild | PBS_SMOOTH, 20, 96, 560, 18, OnPage,
     FrameFixing, Label},
    // FrameRestore
    {Plain(19), L"STATIC", "Restore Backups", kLabel, 20, 16, 560, 26, OnPage, FrameRestore, Title},
    {Id(Control::lsvBackups), WC_LISTVIEWW, "", kList | LVS_SINGLESEL, 20, 50, 560, 214, OnPage,
     FrameRestore, Label},
    {Id(Control::cmdRemoveBck), L"BUTTON", "Remove Selected Backup", kButton, 20, 272, 190, 25,
     OnPage, FrameRestore, Label},
    // FrameBackUped
    {Plain(20), L"STATIC", "Congratulations! Your system has been restored", kLabel, 20, 22, 560,
     26, OnPage, FrameBackUped, Title},
    // FrameOptions
    {Plain(21), L"STATIC", "Ignore these files, folders and drives when searching for matches",
     kLabel, 20, 16, 560, 20, OnPage, FrameOptions, Bold},
    {Id(Control::lstExcludeMain), WC_LISTVIEWW, "", kList | LVS_SINGLESEL, 20, 44, 440, 270, OnPage,
     FrameOptions, Label},
    {Id(Control::cmdAddFile), L"BUTTON", "Add File", kButton, 470, 44, 110, 25, OnPage,
     FrameOptions, Label},
    {Id(Control::cmdAddFolder), L"BUTTON", "Add Folder", kButton, 470, 76, 110, 25, OnPage,
     FrameOptions, Label},
    {Id(Control::cmdDeleteEntry), L"BUTTON", "Delete Entry", kButton, 470, 108, 110, 25, OnPage,
     FrameOptions, Label},
    // FrameCustomStrings
    {Plain(22), L"STATIC", "Enter the text to search for", kLabel, 20, 14, 440, 18, OnPage,
     FrameCustomStrings, Bold},
    {Id(Control::txtCustomStr), L"EDIT", "", kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 20,
     34, 440, 22, OnPage, FrameCustomStrings, Label},
    {Id(Control::lstCustomsStrs), WC_LISTVIEWW, "", kList | LVS_SINGLESEL | LVS_NOCOLUMNHEADER, 20,
     62, 440, 172, OnPage, FrameCustomStrings, Label},
    {Id(Control::cmdCustomChange), L"BUTTON", "Change It", kButton, 470, 62, 110, 25, OnPage,
     FrameCustomStrings, Label},
    {Id(Control::cmdCustomDelete), L"BUTTON", "Delete it", kButton, 470, 94, 110, 25, OnPage,
     FrameCustomStrings, Label},
    {Plain(23), L"STATIC", "Enter the text you would like to replace with, all of them (optional)",
     kLabel, 20, 246, 560, 18, OnPage, FrameCustomStrings, Bold},
    {Id(Control::txtTextReplace), L"EDIT", "", kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 20,
     266, 560, 22, OnPage, FrameCustomStrings, Label},
    // FrameCustomSearching
    {Plain(24), L"STATIC", "Scan Progress", kLabel, 10, 12, 100, 16, OnPage, FrameCustomSearching,
     Bold},
    {Id(Control::pgrCustomPrg), PROGRESS_CLASSW, "", kChild | PBS_SMOOTH, 115, 11, 425, 16, OnPage,
     FrameCustomSearching, Label},
    {Id(Control::picCustomAnim), L"STATIC", "", kChild | SS_OWNERDRAW, 556, 2, 32, 32, OnPage,
     FrameCustomSearching, Label},
    {Plain(25), L"STATIC", "Strings Found", kLabel, 10, 32, 200, 16, OnPage, FrameCustomSearching,
     Bold},
    {Id(Control::lstCustomSearching), kGridClassName, "", kChild | WS_TABSTOP, 10, 50, 580, 198,
     OnPage, FrameCustomSearching, Label},
    {Id(Control::cmdCustomSelect), L"BUTTON", "Ignore All", kButton, 10, 253, 90, 24, OnPage,
     FrameCustomSearching, Label},
    {Id(Control::cmdCustomDeselect), L"BUTTON", "Replace All", kButton, 106, 253, 90, 24, OnPage,
     FrameCustomSearching, Label},
    {Id(Control::cmdCustomCancel), L"BUTTON", "Cancel Scan", kButton, 202, 253, 100, 24, OnPage,
     FrameCustomSearching, Label},
    {Id(Control::cmdSaveCustom), L"BUTTON", "Save", kButton, 500, 253, 90, 24, OnPage,
     FrameCustomSearching, Label},
    // FrameWaitCustomFix
    {Id(Control::lblCustomErrorsFix), L"STATIC", "", kLabel, 20, 22, 560, 24, OnPage,
     FrameWaitCustomFix, Title},
    {Plain(26), L"STATIC", kCustomFixText, kLabel, 20, 62, 548, 48, OnPage, FrameWaitCustomFix,
     Label},
    {Plain(27), L"STATIC", "Enter a name for the backup:", kLabel, 20, 128, 560, 18, OnPage,
     FrameWaitCustomFix, Bold},
    {Id(Control::txtCustomBackUpName), L"EDIT", "",
     kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 20, 150, 320, 22, OnPage, FrameWaitCustomFix,
     Label},
    {Id(Control::lblWaitWarning), L"STATIC",
     "Please wait, while Kestovar Hivewarden is fixing your system", kLabel, 20, 196, 560, 18,
     OnPage, FrameWaitCustomFix, Label},
    // The custom search's action drop-down.
    {Id(Control::cmbCustomRplAction), L"COMBOBOX", "",
     kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0, 110, 120, Always,
     FrameCustomSearching, Label},
    // The action drop-down, laid over a Correction cell when it opens.
    {Id(Control::cmbAction), L"COMBOBOX", "", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
     0, 0, 110, 120, Always, FrameScan, Label},
    // The summary box, shown in the expanded layout only.
    {Plain(30), L"BUTTON", "Summary", kChild | BS_GROUPBOX, 8, 330, 584, 104, SummaryBox, FrameScan,
     Bold},
    // The separator line and the bottom button row.
    {Plain(40), L"STATIC", "", kChild | WS_VISIBLE | SS_ETCHEDHORZ, 8, 0, 584, 2, Separator,
     FrameStart, Label},
    {Id(Control::cmdAbout), L"BUTTON", "About", kButton | WS_VISIBLE | WS_GROUP, 10, 0, 80, 25,
     ButtonRow, FrameStart, Label},
    {Id(Control::cmdBack), L"BUTTON", "< Back", kButton | WS_VISIBLE, 250, 0, 80, 25, ButtonRow,
     FrameStart, Label},
    {Id(Control::cmdNext), L"BUTTON", "Next >", kButton | WS_VISIBLE | BS_DEFPUSHBUTTON, 335, 0, 80,
     25, ButtonRow, FrameStart, Label},
    {Id(Control::cmdExit), L"BUTTON", "Exit", kButton | WS_VISIBLE, 420, 0, 80, 25, ButtonRow,
     FrameStart, Label},
    {Id(Control::cmdHelp), L"BUTTON", "Help", kButton | WS_VISIBLE, 510, 0, 80, 25, ButtonRow,
     FrameStart, Label},
});

// Names of controls that no label before them describes.
struct NamedControl {
    int Id;
    const char* Name;
};
constexpr NamedControl kOwnNames[] = {
    {Plain(0), "Kestovar Hivewarden"},
    {Plain(5), "Kestovar Hivewarden"},
    {Id(Control::pgrFixing), "Repair progress"},
    {Id(Control::lstCustomsStrs), "Texts to search for"},
    {Id(Control::picCustomAnim), "Searching"},
    {Id(Control::cmbAction), "Correction"},
    {Id(Control::cmbCustomRplAction), "Action"},
};

bool HasCaption(const ControlSpec& spec) {
    const bool labelOrButton =
        lstrcmpiW(spec.Class, L"STATIC") == 0 || lstrcmpiW(spec.Class, L"BUTTON") == 0;
    const DWORD kind = spec.Style & SS_TYPEMASK;
    const bool picture =
        lstrcmpiW(spec.Class, L"STATIC") == 0 && (kind == SS_BITMAP || kind == SS_OWNERDRAW);
    return labelOrButton && !picture;
}

}  // namespace

std::span<const ControlSpec> MainWindowControls() { return kControls; }

const char* AccessibleNameFor(int id) {
    for (const NamedControl& named : kOwnNames) {
        if (named.Id == id) return named.Name;
    }
    const ControlSpec* label = nullptr;
    for (const ControlSpec& spec : kControls) {
        if (spec.Id == id) {
            if (HasCaption(spec)) return nullptr;
            const bool samePage = label != nullptr && label->Where == OnPage &&
                                  spec.Where == OnPage && label->OnPage == spec.OnPage;
            return samePage ? label->Text : nullptr;
        }
        const bool isLabel = lstrcmpiW(spec.Class, L"STATIC") == 0 && HasCaption(spec) &&
                             spec.Text != nullptr && spec.Text[0] != '\0';
        if (isLabel) label = &spec;
    }
    return nullptr;
}

}  // namespace hivewarden::ui::win32
