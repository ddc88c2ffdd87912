// The window's answers to a test driver's questions (see automation.h).
#include <sstream>

#include "ui/win32/automation.h"
#include "ui/win32/main_frame.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

constexpr const char* kPageNames[kPageCount] = {
    "FrameStart",   "FrameAdvanced",      "FrameScanSettings",    "FrameScan",
    "FrameFixPrev", "FrameFixing",        "FrameRestore",         "FrameBackUped",
    "FrameOptions", "FrameCustomStrings", "FrameCustomSearching", "FrameWaitCustomFix",
};

std::optional<Control> ListNamed(const std::string& name) {
    if (name == "lsvBackups") return Control::lsvBackups;
    if (name == "lstExcludeMain") return Control::lstExcludeMain;
    if (name == "lstCustomsStrs") return Control::lstCustomsStrs;
    return std::nullopt;
}

}  // namespace

LRESULT MainFrame::OnCopyData(HWND reply, const COPYDATASTRUCT& data) {
    if (data.dwData != kAutomationQuery || reply == nullptr) return FALSE;
    const std::string question(static_cast<const char*>(data.lpData), data.cbData);
    const std::string answer = Answer(question);
    COPYDATASTRUCT response{};
    response.dwData = kAutomationReply;
    response.cbData = static_cast<DWORD>(answer.size());
    response.lpData = const_cast<char*>(answer.data());
    SendMessageW(reply, WM_COPYDATA, reinterpret_cast<WPARAM>(window_),
                 reinterpret_cast<LPARAM>(&response));
    return TRUE;
}

std::string MainFrame::Answer(const std::string& question) {
    std::istringstream words(question);
    std::string verb;
    std::string grid;
    words >> verb;
    if (verb == "step") return std::to_string(logic_.WizardStep);
    if (verb == "scanning") return logic_.ScanInProgress ? "1" : "0";
    if (verb == "repairing") return logic_.RepairRunning ? "1" : "0";
    if (verb == "backup") return logic_.Session().State.BackupPath;
    if (verb == "layout") return LayoutProblems();
    if (verb == "pages") {
        std::string names;
        for (int page = 0; page < kPageCount; ++page) {
            if (!pagesShown_[static_cast<std::size_t>(page)]) continue;
            if (!names.empty()) names += ",";
            names += kPageNames[page];
        }
        return names;
    }
    if (verb == "chooser") {
        std::string which;
        words >> which;
        HWND combo =
            Item(which == "cmbCustomRplAction" ? Control::cmbCustomRplAction : Control::cmbAction);
        if (!IsWindowVisible(combo)) return "hidden";
        std::string text = "shown";
        const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            text += "|" + ComboItemText(combo, static_cast<int>(i));
        }
        return text;
    }
    if (verb == "counter") {
        std::size_t counter = 0;
        if (!(words >> counter) || counter >= scan::kCounterTable.size()) return "?";
        return logic_.Results.Counters.Text(static_cast<scan::Counter>(counter));
    }
    words >> grid;
    if (verb == "list") {
        const std::optional<Control> list = ListNamed(grid);
        if (!list) return "?";
        std::string items;
        for (std::int32_t i = 0; i < ListCount(*list); ++i) {
            if (i > 0) items += "|";
            items += ListText(*list, i);
        }
        return items;
    }
    const bool results = grid == "lstFound";
    if (!results && grid != "lstCustomSearching") return "?";
    const std::int32_t rows = results ? logic_.Results.RowCount() : logic_.CustomHits.RowCount();
    const std::int32_t columns = results ? scan::kColumnCount : custom::kCustomColumnCount;
    if (verb == "rows") return std::to_string(rows);
    std::int32_t row = 0;
    std::int32_t column = 0;
    if (!(words >> row >> column) || row < 1 || row > rows || column < 1 || column > columns) {
        return "?";
    }
    if (verb == "cell") {
        if (results) {
            if (column == scan::kColumnImg) return logic_.Results.Row(row).IconKey;
            return scan::CellText(logic_.Results.Row(row), column);
        }
        if (column == custom::kCustomColumnImg) return logic_.CustomHits.Row(row).ImageKey;
        return custom::CustomCellText(logic_.CustomHits.Row(row), column);
    }
    GridControl* control = Grid(results ? Control::lstFound : Control::lstCustomSearching);
    if (verb == "cellbox" && control != nullptr) {
        RECT cell = control->CellRect(row, column);
        MapWindowPoints(window_, control->Window(), reinterpret_cast<POINT*>(&cell), 2);
        return std::to_string(cell.left) + " " + std::to_string(cell.top) + " " +
               std::to_string(cell.right - cell.left) + " " +
               std::to_string(cell.bottom - cell.top);
    }
    return "?";
}

}  // namespace hivewarden::ui::win32
