// Painting of the grid control's header, cells and row text.
#include "ui/win32/grid/grid_paint.h"

#include <algorithm>
#include <string>

namespace hivewarden::ui::win32 {
namespace {

struct Brushes {
    explicit Brushes(const GridPalette& palette, bool focused)
        : GridLine(CreateSolidBrush(palette.Line)),
          Selected(CreateSolidBrush(palette.Fill(true, focused))),
          Background(CreateSolidBrush(palette.Background)),
          HeaderFace(CreateSolidBrush(palette.HeaderFace)) {}
    OwnedBrush GridLine;
    OwnedBrush Selected;
    OwnedBrush Background;
    OwnedBrush HeaderFace;
};

bool HighContrastOn() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

int RowClientTop(const GridScene& scene, std::int32_t row) {
    return scene.HeaderHeight + scene.Rows->Top(row) - scene.ScrollY;
}

void FillBox(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
    const RECT box{left, top, right, bottom};
    FillRect(dc, &box, brush);
}

void DrawIcon(HDC dc, const GridScene& scene, std::int32_t icon, int x, int y) {
    ImageList_Draw(scene.Images, icon, dc, x, y, ILD_TRANSPARENT);
}

SIZE IconSize(const GridScene& scene) {
    int width = 0;
    int height = 0;
    if (scene.Images == nullptr || !ImageList_GetIconSize(scene.Images, &width, &height)) {
        return {0, 0};
    }
    return {width, height};
}

void PaintCell(HDC dc, const GridScene& scene, std::int32_t row, std::int32_t column, RECT cell) {
    const GridColumnSpec& info = scene.Source->Column(column);
    const std::int32_t icon = scene.Images != nullptr ? scene.Source->CellIcon(row, column) : -1;
    const SIZE iconSize = IconSize(scene);
    const int iconTop = cell.top + (scene.CellLineHeight - iconSize.cy) / 2;
    if (info.Format == CellFormat::IconOnly) {
        if (icon >= 0) {
            const int cellWidth = cell.right - cell.left;
            DrawIcon(dc, scene, icon, cell.left + (cellWidth - iconSize.cx) / 2, iconTop);
        }
        return;
    }

    const int padding = scene.Metrics->Scale(kCellPadding);
    RECT text{cell.left + padding, cell.top, cell.right - padding, cell.bottom};
    if (icon >= 0) {
        DrawIcon(dc, scene, icon, text.left, iconTop);
        text.left += iconSize.cx + padding;
    }
    const std::string value = scene.Source->CellText(row, column);
    if (value.empty() || text.right <= text.left) return;
    const bool bold = info.Format == CellFormat::BoldEllipsis;
    const SelectedObject font(dc, bold ? scene.Metrics->BoldFont() : scene.Metrics->TextFont());
    DrawUtf8Text(dc, value, text, bold ? kEllipsisCellFormat : kPlainCellFormat);
}

void PaintRowText(HDC dc, const GridScene& scene, const GridPalette& palette, std::int32_t row) {
    const std::string text = scene.Source->CellText(row, scene.Columns->RowTextColumn());
    if (text.empty()) return;
    RECT bounds = RowTextClientRect(scene, row);
    const SelectedObject font(dc, scene.Metrics->TextFont());
    SetTextColor(dc, palette.KeyText(row == scene.SelectedRow, scene.Focused));
    DrawUtf8Text(dc, text, bounds, kRowTextFormat);
}

void PaintRow(HDC dc, const GridScene& scene, const GridPalette& palette, const Brushes& brushes,
              std::int32_t row) {
    const int top = RowClientTop(scene, row);
    const int bottom = top + scene.Rows->Height(row);
    const int cellsBottom = top + scene.CellLineHeight;
    const bool selected = row == scene.SelectedRow;
    if (selected) FillBox(dc, 0, top, scene.Width, bottom, brushes.Selected.get());

    SetTextColor(dc, palette.CellText(selected, scene.Focused));
    for (const std::int32_t column : scene.Columns->ShownColumns()) {
        const GridColumnPlace place = scene.Columns->Place(column);
        const int left = place.Left - scene.ScrollX;
        const int right = left + place.Width;
        if (right <= 0) continue;
        if (left >= scene.Width) break;
        PaintCell(dc, scene, row, column, RECT{left, top, right, cellsBottom});
        FillBox(dc, right - 1, top, right, cellsBottom, brushes.GridLine.get());
    }
    if (scene.Columns->HasRowText()) PaintRowText(dc, scene, palette, row);
    FillBox(dc, 0, bottom - 1, scene.Width, bottom, brushes.GridLine.get());
}

void PaintHeader(HDC dc, const GridScene& scene, const GridPalette& palette,
                 const Brushes& brushes) {
    FillBox(dc, 0, 0, scene.Width, scene.HeaderHeight, brushes.HeaderFace.get());
    const SelectedObject font(dc, scene.Metrics->TextFont());
    SetTextColor(dc, palette.HeaderText);
    const int padding = scene.Metrics->Scale(kCellPadding);
    int end = -scene.ScrollX;
    for (const std::int32_t column : scene.Columns->ShownColumns()) {
        const GridColumnPlace place = scene.Columns->Place(column);
        RECT box{place.Left - scene.ScrollX, 0, place.Left - scene.ScrollX + place.Width,
                 scene.HeaderHeight};
        end = box.right;
        if (box.right <= 0) continue;
        if (box.left >= scene.Width) break;
        const bool pressed = column == scene.PressedHeader;
        DrawEdge(dc, &box, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        const std::string& header = scene.Source->Column(column).Header;
        RECT text{box.left + padding + (pressed ? 1 : 0), box.top + (pressed ? 1 : 0),
                  box.right - padding, box.bottom};
        DrawUtf8Text(dc, header, text, kEllipsisCellFormat);
    }
    if (end < scene.Width) {
        RECT rest{std::max(end, 0), 0, scene.Width, scene.HeaderHeight};
        DrawEdge(dc, &rest, BDR_RAISEDINNER, BF_RECT);
    }
}

}  // namespace

RECT CellClientRect(const GridScene& scene, std::int32_t row, std::int32_t column) {
    if (column == scene.Columns->RowTextColumn() && column != 0) {
        return RowTextClientRect(scene, row);
    }
    const GridColumnPlace place = scene.Columns->Place(column);
    const int top = RowClientTop(scene, row);
    const int left = place.Left - scene.ScrollX;
    return RECT{left, top, left + place.Width, top + scene.CellLineHeight};
}

RECT RowTextClientRect(const GridScene& scene, std::int32_t row) {
    const int top = RowClientTop(scene, row);
    const int left =
        scene.Columns->RowTextLeft() + scene.Metrics->Scale(kCellPadding) - scene.ScrollX;
    return RECT{left, top + scene.CellLineHeight, left + scene.RowTextWidth,
                top + scene.Rows->Height(row)};
}

GridPalette CurrentGridPalette() {
    SystemColours system;
    system.Window = GetSysColor(COLOR_WINDOW);
    system.WindowText = GetSysColor(COLOR_WINDOWTEXT);
    system.Highlight = GetSysColor(COLOR_HIGHLIGHT);
    system.HighlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    system.GrayText = GetSysColor(COLOR_GRAYTEXT);
    system.Face = GetSysColor(COLOR_3DFACE);
    system.FaceText = GetSysColor(COLOR_BTNTEXT);
    return ChooseGridPalette(HighContrastOn(), system);
}

void PaintGrid(HDC dc, const GridScene& scene) {
    // Asked at every paint: a theme change shows at the next repaint.
    const GridPalette palette = CurrentGridPalette();
    const Brushes brushes(palette, scene.Focused);
    const RECT all{0, 0, scene.Width, scene.Height};
    FillRect(dc, &all, brushes.Background.get());
    SetBkMode(dc, TRANSPARENT);
    if (scene.Source == nullptr) return;

    // Only the rows that show are painted; rows the source no longer has are skipped.
    const std::int32_t last = std::min(scene.Rows->Count(), scene.Source->RowCount());
    for (std::int32_t row = scene.Rows->RowAt(scene.ScrollY); row >= 1 && row <= last; ++row) {
        if (RowClientTop(scene, row) >= scene.Height) break;
        PaintRow(dc, scene, palette, brushes, row);
    }
    PaintHeader(dc, scene, palette, brushes);
}

}  // namespace hivewarden::ui::win32
