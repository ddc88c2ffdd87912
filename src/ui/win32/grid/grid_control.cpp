// The grid control's window: its class, its message dispatch, its public operations and the
// layout it keeps up to date. Mouse, keys and scrolling are in grid_input.cpp.
#include "ui/win32/grid/grid_control.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "ui/win32/dpi.h"
#include "ui/win32/accessibility/grid_accessible.h"

namespace hivewarden::ui::win32 {

LRESULT CALLBACK GridWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        std::unique_ptr<GridControl> created(new (std::nothrow) GridControl(window));
        if (created == nullptr) return FALSE;
        // Drawn at its monitor's DPI from the start.
        if (const int dpi = WindowDpi(window); dpi != created->metrics_.Dpi()) {
            created->metrics_.SetDpi(dpi);
        }
        SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(created.release()));
    }
    auto* control = reinterpret_cast<GridControl*>(GetWindowLongPtrW(window, 0));
    if (control == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, 0, 0);
        delete control;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return control->Handle(message, wParam, lParam);
}

bool RegisterGridControl(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    if (GetClassInfoExW(instance, kGridClassName, &windowClass)) return true;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = GridWindowProc;
    windowClass.cbWndExtra = sizeof(GridControl*);
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kGridClassName;
    // No background brush: every pixel is painted from the off-screen frame.
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

GridControl* CreateGridControl(HWND parent, int id, const RECT& bounds) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL;
    HWND window =
        CreateWindowExW(WS_EX_CLIENTEDGE, kGridClassName, L"", style, bounds.left, bounds.top,
                        bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    return window != nullptr ? GridControl::FromWindow(window) : nullptr;
}

GridControl* GridControl::FromWindow(HWND window) {
    wchar_t name[32] = {};
    if (window == nullptr || GetClassNameW(window, name, 32) == 0) return nullptr;
    if (lstrcmpiW(name, kGridClassName) != 0) return nullptr;
    return reinterpret_cast<GridControl*>(GetWindowLongPtrW(window, 0));
}

LRESULT GridControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
        case WM_CREATE:
            UpdateScrollBars();
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painted with the frame
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_VSCROLL:
            OnScroll(SB_VERT, LOWORD(wParam));
            return 0;
        case WM_HSCROLL:
            OnScroll(SB_HORZ, LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            OnWheel(GET_WHEEL_DELTA_WPARAM(wParam), (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0);
            return 0;
        case WM_MOUSEHWHEEL:
            // Tilting right scrolls right; an upward turn of the wheel scrolls left.
            OnWheel(-GET_WHEEL_DELTA_WPARAM(wParam), true);
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wParam);
            return 0;
        case WM_GETDLGCODE:
            return DialogCode(reinterpret_cast<const MSG*>(lParam));
        case WM_LBUTTONDOWN:
            OnButtonDown(point);
            return 0;
        case WM_LBUTTONUP:
            OnButtonUp(point);
            return 0;
        case WM_CAPTURECHANGED:
            if (pressedHeader_ != 0) {
                pressedHeader_ = 0;
                InvalidateRect(window_, nullptr, FALSE);
            }
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (selectedRow_ != 0) InvalidateRect(window_, nullptr, FALSE);
            if (message == WM_SETFOCUS) AnnounceGridSelection(window_, selectedRow_);
            return 0;
        case WM_GETOBJECT:
            if (const LRESULT object = GridAccessibleObject(window_, wParam, lParam)) {
                return object;
            }
            return DefWindowProcW(window_, message, wParam, lParam);
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void GridControl::SetSource(const GridSource* source) {
    EndEdit();
    source_ = source;
    selectedRow_ = 0;
    scrollX_ = scrollY_ = 0;
    refitAll_ = true;
    Refresh();
}

void GridControl::SetImageList(HIMAGELIST images) {
    images_ = images;
    refitAll_ = true;
    Refresh();
}

void GridControl::SetStandardRowHeight(int pixels) {
    standardRowHeight_ = std::max(0, pixels);
    refitAll_ = true;
    Refresh();
}

void GridControl::SuspendRedraw() { ++suspendCount_; }

void GridControl::ResumeRedraw() {
    if (suspendCount_ == 0) return;
    if (--suspendCount_ == 0) Refresh();
}

void GridControl::RowsAppended() { Refresh(); }

void GridControl::RowsReset() {
    refitAll_ = true;
    const std::int32_t count = source_ != nullptr ? source_->RowCount() : 0;
    if (selectedRow_ > count) selectedRow_ = 0;
    Refresh();
    AnnounceGridRowsChanged(window_);
}

void GridControl::RowChanged(int row) {
    BringLayoutUpToDate();
    if (row >= 1 && row <= rows_.Count()) rows_.SetHeight(row, MeasureRow(row));
    Refresh();
}

int GridControl::RowCount() {
    BringLayoutUpToDate();
    return rows_.Count();
}

RECT GridControl::CellRect(int row, int column) {
    BringLayoutUpToDate();
    if (row < 1 || row > rows_.Count() || column < 1 || column > columns_.ColumnCount()) {
        return RECT{0, 0, 0, 0};
    }
    RECT cell = CellClientRect(Scene(), row, column);
    MapWindowPoints(window_, GetParent(window_), reinterpret_cast<POINT*>(&cell), 2);
    return cell;
}

void GridControl::SelectRow(int row) {
    const std::int32_t count = source_ != nullptr ? source_->RowCount() : 0;
    if (row < 1 || row > count) row = 0;
    if (row == selectedRow_) return;
    EndEdit();  // the edit belongs to the selected row
    selectedRow_ = row;
    if (suspendCount_ == 0) InvalidateRect(window_, nullptr, FALSE);
    AnnounceGridSelection(window_, selectedRow_);
}

void GridControl::EnsureVisible(int row) {
    BringLayoutUpToDate();
    if (row < 1 || row > rows_.Count()) return;
    const int top = rows_.Top(row);
    const int bottom = rows_.Bottom(row);
    const int view = RowsViewHeight();
    int y = scrollY_;
    if (top < y || bottom - top >= view) {
        y = top;
    } else if (bottom > y + view) {
        y = bottom - view;
    }
    ScrollTo(scrollX_, y);
}

void GridControl::EndEdit() {
    if (editRow_ == 0) return;
    const std::int32_t row = editRow_;
    editRow_ = 0;  // first, so that a handler that ends the edit again raises nothing
    Notify(kGridEditCancelled, row, 0);
}

void GridControl::RequestEdit(std::int32_t row, std::int32_t column) {
    editRow_ = row;
    Notify(kGridEditRequested, row, column);
}

void GridControl::Notify(UINT code, int row, int column) {
    GridNotify notify{};
    notify.hdr.hwndFrom = window_;
    notify.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window_));
    notify.hdr.code = code;
    notify.Row = row;
    notify.Column = column;
    SendMessageW(GetParent(window_), WM_NOTIFY, notify.hdr.idFrom,
                 reinterpret_cast<LPARAM>(&notify));
}

void GridControl::Paint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (dc != nullptr && width > 0 && height > 0) {
        // While redrawing is suspended the last frame is shown again as it was.
        HDC frame = suspendCount_ > 0 ? frame_.Frame(width, height) : nullptr;
        if (frame == nullptr) {
            if (suspendCount_ == 0) BringLayoutUpToDate();
            frame = frame_.Prepare(dc, width, height);
            PaintGrid(frame != nullptr ? frame : dc, Scene());
        }
        if (frame != nullptr) {
            const RECT& area = paint.rcPaint;
            BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, frame,
                   area.left, area.top, SRCCOPY);
        }
    }
    EndPaint(window_, &paint);
}

void GridControl::OnSize() { Refresh(); }

RECT GridControl::RowClientRect(int row) {
    BringLayoutUpToDate();
    if (row < 1 || row > rows_.Count()) return RECT{0, 0, 0, 0};
    const int top = HeaderHeight() + rows_.Top(row) - scrollY_;
    return RECT{0, top, ClientWidth(), top + rows_.Height(row)};
}

int GridControl::RowAtClientPoint(POINT point) {
    BringLayoutUpToDate();
    if (point.y < HeaderHeight()) return 0;
    return rows_.RowAt(point.y - HeaderHeight() + scrollY_);
}

void GridControl::DpiChanged(int dpi) {
    if (dpi == metrics_.Dpi()) return;
    metrics_.SetDpi(dpi);
    textHeights_.Clear();  // measured in the old fonts
    refitAll_ = true;
    Refresh();
}

void GridControl::BringLayoutUpToDate() {
    if (refitAll_) columns_.Build(source_, metrics_.Dpi());
    const int textWidth = columns_.HasRowText() ? RowTextWidth() : 0;
    const bool refitAll = refitAll_ || textWidth != measuredTextWidth_;
    if (refitAll) {
        refitAll_ = false;
        measuredTextWidth_ = textWidth;
        rows_.Clear();
        textHeights_.BeginGeneration();
    }
    const std::int32_t count = source_ != nullptr ? source_->RowCount() : 0;
    if (count < rows_.Count()) rows_.Truncate(count);
    if (count > rows_.Count()) MeasureRowsFrom(rows_.Count() + 1);
    if (refitAll) textHeights_.EndGeneration();
}

void GridControl::MeasureRowsFrom(std::int32_t firstNew) {
    const std::int32_t count = source_->RowCount();
    for (std::int32_t row = firstNew; row <= count; ++row) rows_.Append(MeasureRow(row));
}

int GridControl::MeasureRow(std::int32_t row) {
    const int cells = CellLineHeight();
    if (!columns_.HasRowText()) return cells;
    const std::string text = source_->CellText(row, columns_.RowTextColumn());
    if (text.empty()) return cells;
    return cells + textHeights_.Height(text, measuredTextWidth_) + metrics_.Scale(kRowTextGap);
}

int GridControl::CellLineHeight() const {
    const int padding = metrics_.Scale(kCellPadding);
    int height = std::max(metrics_.TextLineHeight(), metrics_.BoldLineHeight()) + padding;
    int iconWidth = 0;
    int iconHeight = 0;
    if (images_ != nullptr && ImageList_GetIconSize(images_, &iconWidth, &iconHeight)) {
        height = std::max(height, iconHeight + padding);
    }
    return std::max(height, standardRowHeight_);
}

int GridControl::HeaderHeight() const {
    return metrics_.TextLineHeight() + 2 * metrics_.Scale(kCellPadding);
}

int GridControl::RowTextWidth() const {
    // The row text wraps at the right edge of the window (with no sideways scroll), not at
    // the edge of its very wide column, so that it reads without scrolling.
    const int padding = metrics_.Scale(kCellPadding);
    return std::max(metrics_.Scale(80), ClientWidth() - columns_.RowTextLeft() - 2 * padding);
}

int GridControl::ClientWidth() const {
    RECT client{};
    GetClientRect(window_, &client);
    return static_cast<int>(client.right);
}

int GridControl::RowsViewHeight() const {
    RECT client{};
    GetClientRect(window_, &client);
    return std::max(0, static_cast<int>(client.bottom) - HeaderHeight());
}

GridScene GridControl::Scene() const {
    RECT client{};
    GetClientRect(window_, &client);
    GridScene scene;
    scene.Source = source_;
    scene.Images = images_;
    scene.Metrics = &metrics_;
    scene.Columns = &columns_;
    scene.Rows = &rows_;
    scene.Width = client.right;
    scene.Height = client.bottom;
    scene.HeaderHeight = HeaderHeight();
    scene.CellLineHeight = CellLineHeight();
    scene.RowTextWidth = measuredTextWidth_;
    scene.ScrollX = scrollX_;
    scene.ScrollY = scrollY_;
    scene.SelectedRow = selectedRow_;
    scene.Focused = GetFocus() == window_;
    scene.PressedHeader = pressedHeader_;
    return scene;
}

void GridControl::Refresh() {
    if (suspendCount_ > 0) return;
    BringLayoutUpToDate();
    UpdateScrollBars();
    InvalidateRect(window_, nullptr, FALSE);
}

}  // namespace hivewarden::ui::win32
