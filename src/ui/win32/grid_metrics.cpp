// Fonts and text measures of the grid control.
#include "ui/win32/grid_metrics.h"

#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// The default GUI font, its size carried from 96 dpi to this screen's.
HFONT CreateTextFont(int dpi) {
    LOGFONTW font{};
    if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) == 0) {
        font.lfHeight = -11;
        lstrcpynW(font.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
    }
    font.lfHeight = MulDiv(font.lfHeight, dpi, 96);
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

GridMetrics::GridMetrics()
    : dpi_(ScreenDpi()),
      textFont_(CreateTextFont(dpi_)),
      boldFont_(CreateBoldFont(dpi_)),
      measureDc_(CreateCompatibleDC(nullptr)) {
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
