// Mouse and keys of the grid control: selecting rows, header clicks, and the requests to edit a
// cell of the selected row. The parent does the editing; the grid only reports.
#include <algorithm>

#include "ui/win32/grid/grid_control.h"

namespace hivewarden::ui::win32 {
namespace {

// The keys ask to edit this column of the selected row (the action column of both grids).
constexpr std::int32_t kKeyboardEditColumn = 2;

}  // namespace

UINT GridControl::DialogCode(const MSG* message) const {
    UINT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (message != nullptr && message->message == WM_KEYDOWN &&
        (message->wParam == VK_RETURN || (message->wParam == VK_ESCAPE && editRow_ != 0))) {
        code |= DLGC_WANTMESSAGE;
    }
    return code;
}

void GridControl::OnKeyDown(WPARAM key) {
    BringLayoutUpToDate();
    const std::int32_t count = rows_.Count();
    const std::int32_t current = selectedRow_;
    switch (key) {
        case VK_UP:
            if (count > 0) MoveSelection(current > 1 ? current - 1 : 1);
            break;
        case VK_DOWN:
            if (count > 0) MoveSelection(std::min(current + 1, count));
            break;
        case VK_PRIOR:
            if (count > 0) MoveSelection(PageTarget(current, -1));
            break;
        case VK_NEXT:
            if (count > 0) MoveSelection(PageTarget(current, +1));
            break;
        case VK_HOME:
            if (count > 0) MoveSelection(1);
            break;
        case VK_END:
            if (count > 0) MoveSelection(count);
            break;
        case VK_LEFT:
            ScrollTo(scrollX_ - metrics_.Scale(20), scrollY_);
            break;
        case VK_RIGHT:
            ScrollTo(scrollX_ + metrics_.Scale(20), scrollY_);
            break;
        case VK_F2:
        case VK_RETURN:
        case VK_SPACE:
            if (current != 0 && columns_.ColumnCount() >= kKeyboardEditColumn) {
                RequestEdit(current, kKeyboardEditColumn);
            }
            break;
        case VK_ESCAPE:
            EndEdit();
            break;
        default:
            break;
    }
}

void GridControl::MoveSelection(std::int32_t row) {
    SelectRow(row);
    EnsureVisible(row);
    UpdateWindow(window_);
}

// The row a page away from `from` (or from the first row in view when none is selected).
std::int32_t GridControl::PageTarget(std::int32_t from, int direction) const {
    const std::int32_t count = rows_.Count();
    if (from < 1) from = std::max<std::int32_t>(1, rows_.RowAt(scrollY_));
    const int view = RowsViewHeight();
    const int y = std::clamp(rows_.Top(from) + direction * view, 0, rows_.TotalHeight() - 1);
    std::int32_t target = rows_.RowAt(y);
    if (target == from) target += direction;  // a row taller than the window: move by one
    return std::clamp<std::int32_t>(target, 1, count);
}

void GridControl::OnButtonDown(POINT point) {
    SetFocus(window_);
    EndEdit();  // a click anywhere in the grid ends an edit in progress
    BringLayoutUpToDate();
    if (point.y < HeaderHeight()) {
        pressedHeader_ = columns_.ColumnAt(point.x + scrollX_);
        if (pressedHeader_ != 0) {
            SetCapture(window_);
            InvalidateRect(window_, nullptr, FALSE);
        }
        return;
    }
    const int y = point.y - HeaderHeight() + scrollY_;
    const std::int32_t row = rows_.RowAt(y);
    if (row == 0) return;
    if (row != selectedRow_) {
        SelectRow(row);
        return;
    }
    // Beneath the line of cells lies the row text, which is not a cell to edit.
    const bool onCells = y - rows_.Top(row) < CellLineHeight();
    const std::int32_t column = onCells ? columns_.ColumnAt(point.x + scrollX_) : 0;
    if (column != 0) RequestEdit(row, column);
}

void GridControl::OnButtonUp(POINT point) {
    if (pressedHeader_ == 0) return;
    const std::int32_t pressed = pressedHeader_;
    pressedHeader_ = 0;  // first: releasing the capture reports WM_CAPTURECHANGED
    ReleaseCapture();
    InvalidateRect(window_, nullptr, FALSE);
    const bool onHeader = point.y >= 0 && point.y < HeaderHeight();
    if (onHeader && columns_.ColumnAt(point.x + scrollX_) == pressed) {
        Notify(kGridHeaderClicked, 0, pressed);
    }
}

}  // namespace hivewarden::ui::win32
