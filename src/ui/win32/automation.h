// The questions a test driver may ask the running window, and their answers, carried by
// WM_COPYDATA: the driver sends {kAutomationQuery, text} with its reply window in wParam; the
// window answers, before that SendMessage returns, with {kAutomationReply, text} sent to the
// reply window. Texts are UTF-8 without a terminating zero, in both directions, so a cell's
// Chinese or emoji text arrives exactly as the grid shows it.
//
//   "step"                   WizardStep
//   "scanning"               1 while ScanInProgress, else 0
//   "repairing"              1 while a repair holds the wizard's buttons, else 0
//   "pages"                  the shown pages' names, separated by ","
//   "rows G"                 the number of rows of grid G (lstFound or lstCustomSearching)
//   "cell G R C"             the text of row R, column C (both from 1); column 1 gives the
//                            row's icon or image key
//   "cellbox G R C"          "left top width height" of the cell in the grid's client area
//   "chooser [C]"            "shown|item1|item2..." or "hidden" for cmbAction, or for the
//                            chooser C (cmbCustomRplAction)
//   "list L"                 the items of list L (lsvBackups, lstExcludeMain,
//                            lstCustomsStrs) joined by "|"
//   "counter N"              the text of summary counter N (scan::Counter order, from 0)
//   "backup"                 the path of the last repair's backup file, or empty
//   "layout"                 "ok N controls", or the shown controls that are clipped, lie
//                            outside the client area or overlap
//
// An unknown question gets the answer "?".
#pragma once

namespace hivewarden::ui::win32 {

inline constexpr unsigned long kAutomationQuery = 0x48574151;  // "HWAQ"
inline constexpr unsigned long kAutomationReply = 0x48574152;  // "HWAR"

// The main window's class name, for FindWindow.
inline constexpr const wchar_t* kMainWindowClass = L"KestovarHivewardenMain";

}  // namespace hivewarden::ui::win32
