// Fonts and text measures of the grid control.
#include "ui/win32/grid/grid_metrics.h"

#include "ui/win32/dpi.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

// The default GUI font's face at 8 points on this DPI. Its size is not taken from the stock
// font, which some systems already made for the system DPI.
HFONT CreateTextFont(int dpi) {
    LOGFONTW font{};
    if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) == 0) {
        lstrcpynW(font.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
    }
    font.lfHeight = -MulDiv(8, dpi, 72);
    font.lfWidth = 0;
    return CreateFontIndirectW(&font);
}

HFONT CreateBoldFont(int dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(8, dpi, 72);  // 8 points
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

int LineHeight(HDC dc, HFONT font) {
    const SelectedObject selected(dc, font);
    TEXTMETRICW metrics{};
    return GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 13;
}

}  // namespace

int DrawUtf8Text(HDC dc, std::string_view text, RECT& bounds, UINT format) {
    const std::wstring wide = Wide(text);
    return DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &bounds, format);
}

GridMetrics::GridMetrics() : measureDc_(CreateCompatibleDC(nullptr)) { SetDpi(WindowDpi(nullptr)); }

void GridMetrics::SetDpi(int dpi) {
    dpi_ = dpi > 0 ? dpi : kDefaultDpi;
    // The measuring DC lets go of the old font before it is deleted.
    if (measureDc_ != nullptr) SelectObject(measureDc_.get(), GetStockObject(DEFAULT_GUI_FONT));
    textFont_.reset(CreateTextFont(dpi_));
    boldFont_.reset(CreateBoldFont(dpi_));
    if (measureDc_ == nullptr) return;
    textLineHeight_ = LineHeight(measureDc_.get(), TextFont());
    boldLineHeight_ = LineHeight(measureDc_.get(), BoldFont());
    // Measuring always uses the text font: keep it selected in the measuring DC.
    SelectObject(measureDc_.get(), TextFont());
}

int GridMetrics::WrappedHeight(const std::string& text, int width) const {
    if (text.empty() || measureDc_ == nullptr) return 0;
    RECT bounds{0, 0, width, 0};
    DrawUtf8Text(measureDc_.get(), text, bounds, kRowTextFormat | DT_CALCRECT);
    return bounds.bottom - bounds.top;
}

int GridMetrics::SingleLineWidth(const std::string& text) const {
    if (measureDc_ == nullptr) return 0;
    const std::wstring wide = Wide(text);
    SIZE size{};
    if (!GetTextExtentPoint32W(measureDc_.get(), wide.data(), static_cast<int>(wide.size()),
                               &size)) {
        return 0;
    }
    return size.cx;
}

}  // namespace hivewarden::ui::win32
