// The owner-drawn grid control of the result pages (window class "HivewardenGrid"). It paints
// a GridSource (header, cells, each row's text beneath its cells) and reports header clicks and
// edit requests to its parent as WM_NOTIFY; the models own rows, sorting and edits.
#pragma once

#include <windows.h>
#undef Yield
#undef DeleteFile
#include <commctrl.h>

#include <cstdint>

#include "ui/grid_source.h"
#include "ui/win32/grid/grid_gdi.h"
#include "ui/win32/grid/grid_layout.h"
#include "ui/win32/grid/grid_metrics.h"
#include "ui/win32/grid/grid_paint.h"
#include "ui/win32/grid/grid_text_heights.h"

namespace hivewarden::ui::win32 {

inline constexpr wchar_t kGridClassName[] = L"HivewardenGrid";

// WM_NOTIFY codes of the grid; lParam points at a GridNotify.
inline constexpr UINT kGridHeaderClicked = 0x4801;  // Column: the header's column; Row 0
inline constexpr UINT kGridEditRequested = 0x4802;  // Row and Column of the cell to edit
inline constexpr UINT kGridEditCancelled = 0x4803;  // Row: the row whose edit ended

struct GridNotify {
    NMHDR hdr;
    int Row;
    int Column;
};

class GridControl {
  public:
    // The control of a window of the grid's class; nullptr for any other window.
    static GridControl* FromWindow(HWND window);

    HWND Window() const { return window_; }

    // The rows to show; not owned, and it must outlive its use here. nullptr empties the grid.
    void SetSource(const GridSource* source);
    // Icons of the cells; not owned.
    void SetImageList(HIMAGELIST images);
    // Every row's line of cells is at least this high (pixels), so that a drop-down of this
    // height laid over a cell covers it exactly.
    void SetStandardRowHeight(int pixels);

    // Nested; while suspended, changes neither show nor move the scroll bars. The last resume
    // shows them all at once.
    void SuspendRedraw();
    void ResumeRedraw();
    // New rows at the end of the source: only they are measured.
    void RowsAppended();
    // Rows removed, sorted or changed, or columns changed: everything is measured again.
    void RowsReset();
    // One row's texts changed: its height is fitted again.
    void RowChanged(int row);

    // Number of rows laid out (the source's count once no change is pending).
    int RowCount();
    // A cell in the parent's client coordinates: the line of cells for a cell column, the lines
    // beneath the cells for the row-text column; zero width for a hidden column. Empty for a
    // row or column that does not exist.
    RECT CellRect(int row, int column);
    int SelectedRow() const { return selectedRow_; }
    // Selects a row (0: none) without scrolling; ends an edit in progress.
    void SelectRow(int row);
    // Scrolls the least that shows the row's whole height (its top when it is taller than
    // the window).
    void EnsureVisible(int row);
    bool EditInProgress() const { return editRow_ != 0; }
    // Ends an edit in progress and raises kGridEditCancelled once; nothing when none is.
    void EndEdit();

    // Offset of the content shown at the top left of the rows area, in pixels.
    int ScrollX() const { return scrollX_; }
    int ScrollY() const { return scrollY_; }

    // For the accessible object (grid_accessible.cpp) and the DPI handling.
    const GridSource* Source() const { return source_; }
    // A row's whole height (cells and row text) across the client area; empty for no row.
    RECT RowClientRect(int row);
    // The row under a point of the client area; 0 over the header or below the last row.
    int RowAtClientPoint(POINT point);
    // Asks the parent to edit a cell, as a click on it does.
    void EditCell(int row, int column) { RequestEdit(row, column); }
    // Fonts, measures and row heights again at another DPI.
    void DpiChanged(int dpi);

  private:
    friend LRESULT CALLBACK GridWindowProc(HWND, UINT, WPARAM, LPARAM);
    explicit GridControl(HWND window) : window_(window) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void OnSize();
    void OnScroll(int bar, int request);
    void OnWheel(int delta, bool across);
    void OnKeyDown(WPARAM key);
    void OnButtonDown(POINT point);
    void OnButtonUp(POINT point);
    UINT DialogCode(const MSG* message) const;

    // Layout: pending work is done before any query and on the last resume.
    void BringLayoutUpToDate();
    void MeasureRowsFrom(std::int32_t firstNew);
    int MeasureRow(std::int32_t row);
    int CellLineHeight() const;
    int HeaderHeight() const;
    int RowTextWidth() const;
    int ClientWidth() const;
    int RowsViewHeight() const;
    GridScene Scene() const;
    void Refresh();  // scroll bars and a repaint, unless suspended
    void UpdateScrollBars();
    void ScrollTo(int x, int y);
    void ClampScroll();

    void MoveSelection(std::int32_t row);
    std::int32_t PageTarget(std::int32_t from, int direction) const;
    void RequestEdit(std::int32_t row, std::int32_t column);
    void Notify(UINT code, int row, int column);

    HWND window_;
    const GridSource* source_ = nullptr;
    HIMAGELIST images_ = nullptr;
    GridMetrics metrics_;
    GridTextHeights textHeights_{metrics_};
    GridColumnLayout columns_;
    GridRowLayout rows_;
    BackBuffer frame_;
    int standardRowHeight_ = 0;
    int measuredTextWidth_ = -1;  // the row-text width the heights were measured at
    bool refitAll_ = true;
    int suspendCount_ = 0;
    bool updatingScrollBars_ = false;
    bool scrollBarsAgain_ = false;
    int scrollX_ = 0;
    int scrollY_ = 0;
    int wheelRestY_ = 0;  // wheel turns too small to scroll yet
    int wheelRestX_ = 0;
    std::int32_t selectedRow_ = 0;
    std::int32_t editRow_ = 0;
    std::int32_t pressedHeader_ = 0;
};

// Registers the window class once per process; true when it is registered.
bool RegisterGridControl(HINSTANCE instance);
// A grid control at `bounds` (parent client coordinates) with control id `id`; nullptr when
// the window cannot be created. The control lives as long as its window.
GridControl* CreateGridControl(HWND parent, int id, const RECT& bounds);

}  // namespace hivewarden::ui::win32
