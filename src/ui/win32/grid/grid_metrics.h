// The grid control's fonts and text measures, created once per control: the plain text font
// (the default GUI font), the bold Tahoma of ellipsis cells, and one memory DC that measures
// wrapped row text. Sizes are at 96 dpi scaled to the window's DPI. Paints nothing.
#pragma once

#include <string>
#include <string_view>

#include "ui/win32/grid/grid_gdi.h"

namespace hivewarden::ui::win32 {

// DrawTextW of a UTF-8 text: the grid's texts are the models' UTF-8, drawn and measured in
// UTF-16 so that every character shows as written. Returns DrawText's height.
int DrawUtf8Text(HDC dc, std::string_view text, RECT& bounds, UINT format);

class GridMetrics {
  public:
    GridMetrics();
    GridMetrics(const GridMetrics&) = delete;
    GridMetrics& operator=(const GridMetrics&) = delete;

    int Dpi() const { return dpi_; }
    // The fonts and measures again at another DPI (the window moved to another monitor).
    void SetDpi(int dpi);
    // A length given at 96 dpi, on this screen.
    int Scale(int pixelsAt96) const { return MulDiv(pixelsAt96, dpi_, 96); }

    HFONT TextFont() const { return textFont_.get(); }
    HFONT BoldFont() const { return boldFont_.get(); }
    int TextLineHeight() const { return textLineHeight_; }
    int BoldLineHeight() const { return boldLineHeight_; }

    // Height of `text` in the text font, wrapped at word boundaries within `width`.
    int WrappedHeight(const std::string& text, int width) const;
    // Width of `text` in the text font on one line.
    int SingleLineWidth(const std::string& text) const;

  private:
    int dpi_ = 96;
    OwnedFont textFont_;
    OwnedFont boldFont_;
    OwnedMemoryDc measureDc_;
    int textLineHeight_ = 0;
    int boldLineHeight_ = 0;
};

// Spacing at 96 dpi: text inset from a cell's edges, room below a row's text lines.
inline constexpr int kCellPadding = 4;
inline constexpr int kRowTextGap = 3;

// The DrawText formats of the grid's texts.
inline constexpr UINT kRowTextFormat = DT_WORDBREAK | DT_NOCLIP | DT_NOPREFIX;
inline constexpr UINT kPlainCellFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
inline constexpr UINT kEllipsisCellFormat =
    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

}  // namespace hivewarden::ui::win32
