// Scrolling of the grid control by pixels: the scroll bars' ranges and requests, and the wheel.
// Any move of the content ends an edit in progress, since the editor would be left behind.
#include <algorithm>
#include <climits>

#include "ui/win32/grid/grid_control.h"

namespace hivewarden::ui::win32 {

void GridControl::UpdateScrollBars() {
    // Showing or hiding the horizontal bar resizes the client area, which comes back here.
    if (updatingScrollBars_) {
        scrollBarsAgain_ = true;
        return;
    }
    updatingScrollBars_ = true;
    for (int pass = 0; pass < 3; ++pass) {
        scrollBarsAgain_ = false;
        ClampScroll();

        SCROLLINFO across{};
        across.cbSize = sizeof across;
        across.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        across.nMax = std::max(0, columns_.TotalWidth() - 1);
        across.nPage = static_cast<UINT>(ClientWidth());
        across.nPos = scrollX_;
        SetScrollInfo(window_, SB_HORZ, &across, TRUE);

        // The vertical bar always shows (disabled when all rows fit), so the width that the
        // row text wraps in does not depend on the number of rows.
        SCROLLINFO down{};
        down.cbSize = sizeof down;
        down.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        down.nMax = std::max(0, rows_.TotalHeight() - 1);
        down.nPage = static_cast<UINT>(RowsViewHeight());
        down.nPos = scrollY_;
        SetScrollInfo(window_, SB_VERT, &down, TRUE);
        if (!scrollBarsAgain_) break;
    }
    updatingScrollBars_ = false;
}

void GridControl::ClampScroll() {
    const int maxX = std::max(0, columns_.TotalWidth() - ClientWidth());
    const int maxY = std::max(0, rows_.TotalHeight() - RowsViewHeight());
    const int x = std::clamp(scrollX_, 0, maxX);
    const int y = std::clamp(scrollY_, 0, maxY);
    if (x == scrollX_ && y == scrollY_) return;
    scrollX_ = x;
    scrollY_ = y;
    EndEdit();
}

void GridControl::ScrollTo(int x, int y) {
    BringLayoutUpToDate();
    const int maxX = std::max(0, columns_.TotalWidth() - ClientWidth());
    const int maxY = std::max(0, rows_.TotalHeight() - RowsViewHeight());
    x = std::clamp(x, 0, maxX);
    y = std::clamp(y, 0, maxY);
    if (x == scrollX_ && y == scrollY_) return;
    EndEdit();
    scrollX_ = x;
    scrollY_ = y;
    if (suspendCount_ > 0) return;
    SetScrollPos(window_, SB_HORZ, scrollX_, TRUE);
    SetScrollPos(window_, SB_VERT, scrollY_, TRUE);
    InvalidateRect(window_, nullptr, FALSE);
}

void GridControl::OnScroll(int bar, int request) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window_, bar, &info);
    const bool down = bar == SB_VERT;
    const int line = down ? CellLineHeight() : metrics_.Scale(20);
    const int view = down ? RowsViewHeight() : ClientWidth();
    const int page = std::max(line, view - line);
    int position = down ? scrollY_ : scrollX_;
    switch (request) {
        case SB_LINEUP:
            position -= line;
            break;
        case SB_LINEDOWN:
            position += line;
            break;
        case SB_PAGEUP:
            position -= page;
            break;
        case SB_PAGEDOWN:
            position += page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            position = info.nTrackPos;  // 32 bits, unlike the message's 16-bit position
            break;
        case SB_TOP:
            position = 0;
            break;
        case SB_BOTTOM:
            position = INT_MAX / 2;
            break;
        default:
            return;
    }
    if (down) {
        ScrollTo(scrollX_, position);
    } else {
        ScrollTo(position, scrollY_);
    }
    UpdateWindow(window_);
}

void GridControl::OnWheel(int delta, bool across) {
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int view = across ? ClientWidth() : RowsViewHeight();
    const int line = across ? metrics_.Scale(20) : CellLineHeight();
    // Pixels per notch of the wheel; WHEEL_PAGESCROLL asks for a page per notch.
    const int notch = lines == WHEEL_PAGESCROLL ? std::max(line, view - line)
                                                : std::max(1, static_cast<int>(lines) * line);
    // Fine wheels send parts of a notch; their rest is kept for the next turn.
    int& rest = across ? wheelRestX_ : wheelRestY_;
    rest += delta * notch;
    const int pixels = rest / WHEEL_DELTA;
    rest -= pixels * WHEEL_DELTA;
    if (pixels == 0) return;
    if (across) {
        ScrollTo(scrollX_ - pixels, scrollY_);
    } else {
        ScrollTo(scrollX_, scrollY_ - pixels);
    }
    UpdateWindow(window_);
}

}  // namespace hivewarden::ui::win32
