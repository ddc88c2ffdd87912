// Reading and clicking the results grid from the driver.
#include "e2e/results_grid.h"

#include <cstdlib>
#include <sstream>

#include "e2e/window_tools.h"
#include "ui/win32/control_ids.h"

namespace hivewarden::e2e {
namespace {

constexpr int kMaxScrollSteps = 400;
constexpr DWORD kClickSettleMs = 400;
constexpr int kCellTolerance = 2;

std::vector<std::string> SplitBars(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = text.find('|', start);
        parts.push_back(text.substr(start, bar - start));
        if (bar == std::string::npos) return parts;
        start = bar + 1;
    }
}

}  // namespace

ResultsGrid::ResultsGrid(AppSession& app, ui::Control grid)
    : app_(app),
      grid_(grid),
      chooser_(grid == ui::Control::lstCustomSearching ? ui::Control::cmbCustomRplAction
                                                       : ui::Control::cmbAction),
      gridName_(grid == ui::Control::lstCustomSearching ? "lstCustomSearching" : "lstFound") {}

HWND ResultsGrid::Window() const { return app_.Item(grid_); }

int ResultsGrid::Rows() { return app_.AskNumber("rows " + gridName_, -1); }

std::string ResultsGrid::Cell(int row, int column) {
    return app_.Ask("cell " + gridName_ + " " + std::to_string(row) + " " + std::to_string(column))
        .value_or("?");
}

std::string ResultsGrid::Chooser() {
    return app_
        .Ask(chooser_ == ui::Control::cmbAction ? std::string("chooser")
                                                : std::string("chooser cmbCustomRplAction"))
        .value_or("hidden");
}

RowTexts ResultsGrid::Read(int row) {
    return RowTexts{row,
                    Cell(row, kColumnIcon),
                    Cell(row, kColumnCorrection),
                    Cell(row, kColumnErrorKind),
                    Cell(row, kColumnFixedValue),
                    Cell(row, kColumnBody)};
}

std::optional<CellBox> ResultsGrid::Box(int row, int column) {
    const std::optional<std::string> answer =
        app_.Ask("cellbox " + gridName_ + " " + std::to_string(row) + " " + std::to_string(column));
    if (!answer) return std::nullopt;
    std::istringstream in(*answer);
    CellBox box;
    if (!(in >> box.Left >> box.Top >> box.Width >> box.Height)) return std::nullopt;
    if (box.Width <= 0 || box.Height <= 0) return std::nullopt;
    return box;
}

std::optional<RowTexts> ResultsGrid::Find(const std::function<bool(const RowTexts&)>& match) {
    const int rows = Rows();
    for (int row = 1; row <= rows; ++row) {
        const RowTexts texts = Read(row);
        if (match(texts)) return texts;
    }
    return std::nullopt;
}

// The top of the first row while the grid is scrolled to its top: the header's height.
int ResultsGrid::HeaderBottom() {
    if (headerBottom_ >= 0) return headerBottom_;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(Window(), WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0, SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &result);
    if (const std::optional<CellBox> first = Box(1, kColumnCorrection)) headerBottom_ = first->Top;
    return headerBottom_;
}

bool ResultsGrid::EnsureVisible(int row) {
    const int top = HeaderBottom();
    if (top < 0) return false;
    for (int step = 0; step < kMaxScrollSteps; ++step) {
        const std::optional<CellBox> box = Box(row, kColumnCorrection);
        if (!box) return false;
        RECT client{};
        GetClientRect(Window(), &client);
        const int request = box->Top < top                           ? SB_LINEUP
                            : box->Top + box->Height > client.bottom ? SB_LINEDOWN
                                                                     : -1;
        if (request < 0) return true;
        DWORD_PTR result = 0;
        SendMessageTimeoutW(Window(), WM_VSCROLL, MAKEWPARAM(request, 0), 0, SMTO_ABORTIFHUNG,
                            kMessageTimeoutMs, &result);
    }
    return false;
}

bool ResultsGrid::Click(const CellBox& box) {
    const LPARAM point = MAKELPARAM(box.Left + box.Width / 2, box.Top + box.Height / 2);
    return PostMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, point) &&
           PostMessageW(Window(), WM_LBUTTONUP, 0, point);
}

bool ResultsGrid::OpenChooser(int row) {
    if (!EnsureVisible(row)) return false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::optional<CellBox> box = Box(row, kColumnCorrection);
        if (!box || !Click(*box)) return false;
        if (WaitUntil([&] { return ChooserShown(); }, kClickSettleMs)) return true;
    }
    return WaitUntil([&] { return ChooserShown(); }, kShortWaitMs);
}

std::vector<std::string> ResultsGrid::ChooserItems() {
    const std::vector<std::string> parts = SplitBars(Chooser());
    if (parts.empty() || parts.front() != "shown") return {};
    return std::vector<std::string>(parts.begin() + 1, parts.end());
}

bool ResultsGrid::ChooserShown() { return Chooser().rfind("shown", 0) == 0; }

bool ResultsGrid::ChooseItem(const std::string& action) {
    const std::vector<std::string> items = ChooserItems();
    int index = -1;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == action) index = static_cast<int>(i);
    }
    if (index < 0) return false;
    const HWND combo = app_.Item(chooser_);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &result);
    if (static_cast<int>(result) != index) return false;
    const int id = ui::win32::ControlId(chooser_);
    return PostMessageW(app_.Main(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(combo));
}

bool ResultsGrid::ChooserCoversCell(int row, std::string& detail) {
    const std::optional<CellBox> box = Box(row, kColumnCorrection);
    RECT combo{};
    if (!box || !GetWindowRect(app_.Item(chooser_), &combo)) {
        detail = "no cell box or no drop-down";
        return false;
    }
    POINT cell{box->Left, box->Top};
    ClientToScreen(Window(), &cell);
    std::ostringstream out;
    out << "cell at " << cell.x << "," << cell.y << " width " << box->Width << "; drop-down at "
        << combo.left << "," << combo.top << " width " << combo.right - combo.left;
    detail = out.str();
    return std::abs(combo.left - cell.x) <= kCellTolerance &&
           std::abs(combo.top - cell.y) <= kCellTolerance &&
           std::abs((combo.right - combo.left) - box->Width) <= kCellTolerance;
}

}  // namespace hivewarden::e2e
