// The grid control in a real (hidden) window: where rows and cells lie (row text pushes the
// next row down, hidden columns take no room), redraw suspension, hit testing among 30,000
// rows, and the notifications that clicks, keys and EndEdit send to the parent. Texts outside
// any ANSI code page (Chinese, Greek, Arabic, emoji) are measured and painted as their UTF-16.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/win32/grid/grid_control.h"
#include "ui/win32/grid/grid_layout.h"
#include "ui/win32/grid/grid_metrics.h"
#include "ui/win32/grid/grid_paint.h"
#include "ui/win32/grid/grid_text_heights.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

using ui::CellFormat;
using ui::GridColumnSpec;
using ui::win32::GridColumnLayout;
using ui::win32::GridControl;
using ui::win32::GridMetrics;
using ui::win32::GridNotify;
using ui::win32::GridRowLayout;
using ui::win32::GridScene;
using ui::win32::kGridEditCancelled;
using ui::win32::kGridEditRequested;
using ui::win32::kGridHeaderClicked;

// Columns: icon, action, a hidden one, a bold description where the row text starts, and the
// row text itself.
constexpr std::int32_t kImg = 1;
constexpr std::int32_t kAction = 2;
constexpr std::int32_t kHidden = 3;
constexpr std::int32_t kKind = 4;
constexpr std::int32_t kBody = 5;
constexpr int kGridId = 4711;
constexpr int kStandardHeight = 24;

class FakeGridSource final : public ui::GridSource {
  public:
    FakeGridSource() {
        columns_ = {
            {"Img", "Type", true, 40, true, CellFormat::IconOnly},
            {"Action", "Action", true, 80, false, CellFormat::Plain},
            {"Hidden", "Hidden", false, 50, false, CellFormat::Plain},
            {"Kind", "Kind", true, 300, false, CellFormat::BoldEllipsis},
            {"Body", "Body", true, 100, false, CellFormat::Plain},
        };
    }

    void AddRow(const std::string& action, const std::string& kind, const std::string& body) {
        rows_.push_back({"", action, "hidden", kind, body});
        bodyReads_.push_back(0);
    }
    void Clear() {
        rows_.clear();
        bodyReads_.clear();
    }
    // How often each row's text was read since the last call.
    std::vector<int> TakeBodyReads() {
        std::vector<int> reads = bodyReads_;
        bodyReads_.assign(bodyReads_.size(), 0);
        return reads;
    }

    std::int32_t ColumnCount() const override { return static_cast<std::int32_t>(columns_.size()); }
    const GridColumnSpec& Column(std::int32_t column) const override {
        return columns_.at(static_cast<std::size_t>(column - 1));
    }
    std::int32_t RowTextColumn() const override { return kBody; }
    std::int32_t RowTextStart() const override { return kKind; }
    std::int32_t RowCount() const override { return static_cast<std::int32_t>(rows_.size()); }
    std::string CellText(std::int32_t row, std::int32_t column) const override {
        if (column == kBody) ++bodyReads_.at(static_cast<std::size_t>(row - 1));
        return rows_.at(static_cast<std::size_t>(row - 1)).at(static_cast<std::size_t>(column - 1));
    }
    std::int32_t CellIcon(std::int32_t, std::int32_t column) const override {
        return column == kImg ? 0 : -1;
    }

  private:
    std::vector<GridColumnSpec> columns_;
    std::vector<std::vector<std::string>> rows_;
    mutable std::vector<int> bodyReads_;
};

LRESULT CALLBACK RecordingParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        auto* log =
            reinterpret_cast<std::vector<GridNotify>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (log != nullptr && header->idFrom == static_cast<UINT_PTR>(kGridId)) {
            log->push_back(*reinterpret_cast<const GridNotify*>(lParam));
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int TextLineHeight() {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return metrics.tmHeight;
}

// The width of a text on one line in `font` (the default GUI font when none is given).
int TextWidth(std::wstring_view text, HFONT font = nullptr) {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous =
        SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return size.cx;
}

// The width the bytes of `text` take when a call reads them as ANSI characters: how a UTF-8
// text showed before the window drew it through the wide calls.
int AnsiBytesWidth(const std::string& text, HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return size.cx;
}

// The height DrawTextW gives `text` wrapped within `width` in `font`.
int WrappedHeight(std::wstring_view text, int width, HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, font);
    RECT bounds{0, 0, width, 0};
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &bounds,
              ui::win32::kRowTextFormat | DT_CALCRECT);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return bounds.bottom - bounds.top;
}

std::wstring AsciiWide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Texts that no Western code page holds, each as UTF-8 (what the models give the grid) and as
// the UTF-16 it must be drawn as, written out independently of the program's conversion.
struct UnicodeText {
    const char* Name;
    std::string Utf8;
    std::wstring Utf16;
};
const UnicodeText kChineseFolder{"Chinese folder", "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe",
                                 L"C:\\Apps\\\x674E\x660E\\app.exe"};
const UnicodeText kUnicodeTexts[] = {
    kChineseFolder,
    {"Greek folder", "C:\\Apps\\\xCE\xA9mega\\app.exe", L"C:\\Apps\\\x03A9mega\\app.exe"},
    {"German folder", "C:\\Apps\\J\xC3\xBCrgen\\app.exe", L"C:\\Apps\\J\x00FCrgen\\app.exe"},
    {"Arabic file", "C:\\Test\\\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9.txt",
     L"C:\\Test\\\x062A\x062C\x0631\x0628\x0629.txt"},
    {"emoji, a surrogate pair", "C:\\Sync\\\xF0\x9F\x98\x80\\a.txt",
     L"C:\\Sync\\\xD83D\xDE00\\a.txt"},
};

// `count` copies of a text joined by spaces, so that it wraps.
template <typename Text>
Text Repeated(const Text& text, int count) {
    Text joined;
    for (int i = 0; i < count; ++i) {
        if (i > 0) joined += ' ';
        joined += text;
    }
    return joined;
}

// A 32-bit top-down bitmap to paint into and read back pixel by pixel.
class Canvas {
  public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<const std::uint32_t*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
        const RECT all{0, 0, width, height};
        FillRect(dc_, &all, GetSysColorBrush(COLOR_WINDOW));
        SetBkMode(dc_, TRANSPARENT);
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool Ready() const { return bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    // The pixels inside `box`, row by row.
    std::vector<std::uint32_t> Pixels(const RECT& box) const {
        GdiFlush();
        std::vector<std::uint32_t> pixels;
        for (int y = std::max(0, int{box.top}); y < std::min(height_, int{box.bottom}); ++y) {
            for (int x = std::max(0, int{box.left}); x < std::min(width_, int{box.right}); ++x) {
                pixels.push_back(bits_[y * width_ + x]);
            }
        }
        return pixels;
    }
    // Draws `text` as the grid would in `font` and `colour` within `bounds`.
    void Draw(std::wstring_view text, HFONT font, COLORREF colour, RECT bounds, UINT format) {
        const HGDIOBJ previous = SelectObject(dc_, font);
        SetTextColor(dc_, colour);
        DrawTextW(dc_, text.data(), static_cast<int>(text.size()), &bounds, format);
        SelectObject(dc_, previous);
    }

  private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    const std::uint32_t* bits_ = nullptr;
};

// How many pixels differ from the background: the ink of the text drawn there.
int InkPixels(const std::vector<std::uint32_t>& pixels, const std::vector<std::uint32_t>& blank) {
    int ink = 0;
    for (std::size_t i = 0; i < pixels.size() && i < blank.size(); ++i) {
        ink += pixels[i] != blank[i] ? 1 : 0;
    }
    return ink;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

std::string Words(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += (i == 0 ? "" : " ") + std::string("Software");
    return text;
}

int Height(const RECT& box) { return box.bottom - box.top; }
int Width(const RECT& box) { return box.right - box.left; }

class Win32GridControl : public ::testing::Test {
  protected:
    void SetUp() override {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        ASSERT_TRUE(ui::win32::RegisterGridControl(instance));
        WNDCLASSW parentClass{};
        parentClass.lpfnWndProc = RecordingParentProc;
        parentClass.hInstance = instance;
        parentClass.lpszClassName = L"HivewardenGridTestParent";
        RegisterClassW(&parentClass);  // fails harmlessly when an earlier test registered it
        // Hidden: nothing here needs painting, and a hidden window closes at once without a
        // window manager.
        parent_ = CreateWindowExW(0, parentClass.lpszClassName, L"Grid test", WS_OVERLAPPEDWINDOW,
                                  0, 0, 700, 500, nullptr, nullptr, instance, nullptr);
        if (parent_ == nullptr) GTEST_SKIP() << "no window can be created here (no display)";
        SetWindowLongPtrW(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&events_));
        grid_ = ui::win32::CreateGridControl(parent_, kGridId, RECT{10, 10, 610, 410});
        ASSERT_NE(grid_, nullptr);
        grid_->SetStandardRowHeight(kStandardHeight);
        grid_->SetSource(&source_);
    }
    void TearDown() override {
        if (parent_ != nullptr) DestroyWindow(parent_);
    }

    // Fills the source with `count` rows; every row whose number is a multiple of `textEvery`
    // gets `body` as its row text.
    void FillRows(int count, const std::string& body = "", int textEvery = 1) {
        source_.Clear();
        for (int row = 1; row <= count; ++row) {
            source_.AddRow("Delete", "Kind of row " + std::to_string(row),
                           row % textEvery == 0 ? body : "");
        }
        grid_->RowsReset();
        source_.TakeBodyReads();
    }

    // A point of the parent's client area in the grid's client coordinates.
    POINT InGrid(int x, int y) const {
        POINT point{x, y};
        MapWindowPoints(parent_, grid_->Window(), &point, 1);
        return point;
    }
    void Click(POINT gridPoint) {
        const LPARAM where = MAKELPARAM(gridPoint.x, gridPoint.y);
        SendMessageW(grid_->Window(), WM_LBUTTONDOWN, MK_LBUTTON, where);
        SendMessageW(grid_->Window(), WM_LBUTTONUP, 0, where);
    }
    void ClickCell(int row, int column) {
        const RECT cell = grid_->CellRect(row, column);
        Click(InGrid((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
    }
    void Key(WPARAM key) { SendMessageW(grid_->Window(), WM_KEYDOWN, key, 0); }

    // The grid's client area in the parent's coordinates.
    RECT ClientInParent() const {
        RECT client{};
        GetClientRect(grid_->Window(), &client);
        MapWindowPoints(grid_->Window(), parent_, reinterpret_cast<POINT*>(&client), 2);
        return client;
    }
    void ExpectInsideClientArea(const RECT& cell) const {
        const RECT client = ClientInParent();
        EXPECT_GE(cell.left, client.left);
        EXPECT_GE(cell.top, client.top);
        EXPECT_LE(cell.left + Width(cell), client.right);
        EXPECT_LE(cell.bottom, client.bottom);
    }
    // The height the vertical scroll bar covers: the rows' total height.
    int VerticalRange() const {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE;
        GetScrollInfo(grid_->Window(), SB_VERT, &info);
        return info.nMax + 1;
    }
    int Count(UINT code) const {
        int count = 0;
        for (const GridNotify& event : events_) count += event.hdr.code == code ? 1 : 0;
        return count;
    }

    FakeGridSource source_;
    HWND parent_ = nullptr;
    GridControl* grid_ = nullptr;
    std::vector<GridNotify> events_;
};

TEST(GridRowLayout, FindsTheRowAtEveryOffset) {
    GridRowLayout rows;
    for (const int height : {22, 50, 22, 1}) rows.Append(height);
    struct Case {
        const char* name;
        int y;
        std::int32_t row;
    };
    const Case cases[] = {
        {"above the first row", -1, 0},    {"top of the first row", 0, 1},
        {"last pixel of row 1", 21, 1},    {"top of row 2", 22, 2},
        {"last pixel of row 2", 71, 2},    {"top of row 3", 72, 3},
        {"the one-pixel last row", 94, 4}, {"below the last row", 95, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rows.RowAt(c.y), c.row);
    }

    rows.SetHeight(2, 30);
    EXPECT_EQ(rows.Top(3), 52);
    EXPECT_EQ(rows.TotalHeight(), 75);
    EXPECT_EQ(rows.RowAt(51), 2);
    EXPECT_EQ(rows.RowAt(52), 3);
    rows.Truncate(2);
    EXPECT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.TotalHeight(), 52);
}

TEST(GridColumnLayout, HiddenAndRowTextColumnsTakeNoRoomAndWidthsFollowTheDpi) {
    const FakeGridSource source;
    GridColumnLayout columns;
    columns.Build(&source, 144);  // widths are given at 96 dpi: half as much again
    EXPECT_EQ(columns.Place(kImg).Left, 0);
    EXPECT_EQ(columns.Place(kImg).Width, 60);
    EXPECT_EQ(columns.Place(kAction).Left, 60);
    EXPECT_EQ(columns.Place(kAction).Width, 120);
    EXPECT_EQ(columns.Place(kHidden).Width, 0);
    EXPECT_EQ(columns.Place(kKind).Left, 180);
    EXPECT_EQ(columns.Place(kBody).Width, 0);
    EXPECT_EQ(columns.TotalWidth(), 180 + 450);
    EXPECT_EQ(columns.RowTextLeft(), 180);
    EXPECT_EQ(columns.ColumnAt(179), kAction);
    EXPECT_EQ(columns.ColumnAt(180), kKind);
    EXPECT_EQ(columns.ColumnAt(630), 0);
    EXPECT_EQ(columns.ShownColumns(), (std::vector<std::int32_t>{kImg, kAction, kKind}));
}

TEST(GridTextHeights, AgreeWithDrawTextAtEveryWidth) {
    const ui::win32::GridMetrics metrics;
    ui::win32::GridTextHeights heights(metrics);
    const std::string path = "HKEY_LOCAL_MACHINE\\Software\\Sample Vendor\\Sample Tool";
    const std::string words = Words(40);
    const std::string lines = "first line\r\nsecond line";
    struct Case {
        const char* name;
        const std::string& text;
        int width;
    };
    const Case cases[] = {
        {"one line, wide", path, 1000},       {"one line, narrow", path, 120},
        {"many words, wide", words, 3000},    {"many words, medium", words, 400},
        {"many words, narrow", words, 90},    {"many words, medium again", words, 400},
        {"line breaks, wide", lines, 1000},   {"line breaks, narrow", lines, 40},
        {"one line, wide again", path, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(heights.Height(c.text, c.width), metrics.WrappedHeight(c.text, c.width));
    }
    EXPECT_EQ(heights.Height(path, 1000), metrics.TextLineHeight());
    EXPECT_GT(heights.Height(words, 90), 10 * metrics.TextLineHeight());
    EXPECT_EQ(heights.Height(lines, 1000), 2 * metrics.TextLineHeight());
    EXPECT_EQ(heights.Height("", 100), 0);
}

TEST(GridMetrics, MeasuresUtf8TextsAsTheirUtf16) {
    const GridMetrics metrics;
    const HFONT font = metrics.TextFont();
    for (const UnicodeText& c : kUnicodeTexts) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(metrics.SingleLineWidth(c.Utf8), TextWidth(c.Utf16, font));
        EXPECT_NE(metrics.SingleLineWidth(c.Utf8), AnsiBytesWidth(c.Utf8, font))
            << "measured as the bytes of its UTF-8";
        const std::wstring many = Repeated(c.Utf16, 12);
        const int narrow = TextWidth(c.Utf16, font) * 2;
        EXPECT_EQ(metrics.WrappedHeight(Repeated(c.Utf8, 12), narrow),
                  WrappedHeight(many, narrow, font));
        EXPECT_GE(WrappedHeight(many, narrow, font), 4 * metrics.TextLineHeight());
    }
}

TEST(GridPaint, PaintsChineseCellAndRowTextsAsDrawTextWDrawsThem) {
    const GridMetrics metrics;
    FakeGridSource source;
    // Short enough that no ellipsis cuts it.
    const std::string kind = "Missing - " + kChineseFolder.Utf8;
    const std::wstring wideKind = L"Missing - " + kChineseFolder.Utf16;
    source.AddRow("Delete", kind, kChineseFolder.Utf8);
    GridColumnLayout columns;
    columns.Build(&source, metrics.Dpi());
    GridRowLayout rows;
    const int cellLine = metrics.Scale(kStandardHeight);
    rows.Append(cellLine + 2 * metrics.TextLineHeight());
    GridScene scene;
    scene.Source = &source;
    scene.Metrics = &metrics;
    scene.Columns = &columns;
    scene.Rows = &rows;
    scene.Width = metrics.Scale(700);
    scene.Height = metrics.Scale(120);
    scene.HeaderHeight = metrics.TextLineHeight() + 2 * metrics.Scale(ui::win32::kCellPadding);
    scene.CellLineHeight = cellLine;
    scene.RowTextWidth = metrics.Scale(400);
    Canvas painted(scene.Width, scene.Height);
    ASSERT_TRUE(painted.Ready());
    ui::win32::PaintGrid(painted.Dc(), scene);

    // The bold description cell, inside its padding (the grid line is at its right edge).
    const int padding = metrics.Scale(ui::win32::kCellPadding);
    RECT cell = ui::win32::CellClientRect(scene, 1, kKind);
    cell = RECT{cell.left + padding, cell.top, cell.right - padding, cell.bottom};
    // The row text, above the row's bottom grid line.
    RECT text = ui::win32::RowTextClientRect(scene, 1);
    text.bottom -= 1;
    struct Case {
        const char* name;
        RECT box;
        std::wstring expected;
        std::wstring asQuestionMarks;
        HFONT font;
        COLORREF colour;
        UINT format;
    };
    const Case cases[] = {
        {"bold description cell", cell, wideKind, L"Missing - C:\\Apps\\??\\app.exe",
         metrics.BoldFont(), GetSysColor(COLOR_WINDOWTEXT), ui::win32::kEllipsisCellFormat},
        {"row text", text, kChineseFolder.Utf16, L"C:\\Apps\\??\\app.exe", metrics.TextFont(),
         ui::win32::kRowTextColour, ui::win32::kRowTextFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas expected(scene.Width, scene.Height);
        Canvas questionMarks(scene.Width, scene.Height);
        const Canvas blank(scene.Width, scene.Height);
        expected.Draw(c.expected, c.font, c.colour, c.box, c.format);
        questionMarks.Draw(c.asQuestionMarks, c.font, c.colour, c.box, c.format);
        const std::vector<std::uint32_t> got = painted.Pixels(c.box);
        EXPECT_GT(InkPixels(got, blank.Pixels(c.box)), 0) << "the text is painted";
        EXPECT_TRUE(got == expected.Pixels(c.box)) << "pixel for pixel as DrawTextW paints it";
        EXPECT_FALSE(got == questionMarks.Pixels(c.box)) << "not the ANSI question marks";
    }
}

TEST_F(Win32GridControl, RowTextLinesPushTheNextRowDown) {
    const int lineHeight = TextLineHeight();
    const std::string longText = Words(120);
    // The text wraps within the window, so it needs at least this many lines.
    const int longLines = TextWidth(AsciiWide(longText)) / Width(ClientInParent());
    ASSERT_GE(longLines, 3);
    struct Case {
        const char* name;
        std::string body;
        int minLines;
        int maxLines;
    };
    const Case cases[] = {
        {"no row text", "", 0, 0},
        {"one short line", "HKEY_CURRENT_USER\\Software\\Sample", 1, 1},
        {"three lines by line breaks", "first\r\nsecond\r\nthird", 3, 3},
        {"a long text wrapped at words", longText, longLines, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        source_.Clear();
        source_.AddRow("Delete", "first", c.body);
        source_.AddRow("Ignore", "second", "");
        grid_->RowsReset();

        const RECT firstCells = grid_->CellRect(1, kAction);
        const RECT firstText = grid_->CellRect(1, kBody);
        const RECT secondCells = grid_->CellRect(2, kAction);
        EXPECT_EQ(Height(firstCells), kStandardHeight);
        EXPECT_EQ(firstText.top, firstCells.bottom);
        EXPECT_GE(secondCells.top, firstText.bottom);
        EXPECT_GE(Height(firstText), c.minLines * lineHeight);
        EXPECT_LT(Height(firstText), (c.maxLines + 1) * lineHeight);
        EXPECT_EQ(secondCells.top - firstCells.top, kStandardHeight + Height(firstText));
        // The row text starts at the left edge of the column chosen for it.
        const RECT kind = grid_->CellRect(1, kKind);
        EXPECT_GE(firstText.left, kind.left);
        EXPECT_LT(firstText.left, kind.left + 10);
    }
}

TEST_F(Win32GridControl, AChineseRowTextIsMeasuredAsItsUtf16) {
    const GridMetrics metrics;  // built as the control builds its own
    source_.Clear();
    source_.AddRow("Delete", kChineseFolder.Utf8, Repeated(kChineseFolder.Utf8, 20));
    source_.AddRow("Ignore", "second", "");
    grid_->RowsReset();
    const RECT text = grid_->CellRect(1, kBody);
    const int wrapped =
        WrappedHeight(Repeated(kChineseFolder.Utf16, 20), Width(text), metrics.TextFont());
    EXPECT_GE(wrapped, 2 * metrics.TextLineHeight()) << "the text wraps";
    EXPECT_EQ(Height(text), wrapped + metrics.Scale(ui::win32::kRowTextGap));
    EXPECT_EQ(grid_->CellRect(2, kAction).top, text.bottom);
}

TEST_F(Win32GridControl, HiddenColumnsTakeNoWidth) {
    FillRows(3);
    const int dpi = ScreenDpi();
    const RECT img = grid_->CellRect(2, kImg);
    const RECT action = grid_->CellRect(2, kAction);
    const RECT hidden = grid_->CellRect(2, kHidden);
    const RECT kind = grid_->CellRect(2, kKind);
    EXPECT_EQ(Width(img), (40 * dpi + 48) / 96);
    EXPECT_EQ(action.left, img.right);
    EXPECT_EQ(Width(hidden), 0);
    EXPECT_EQ(kind.left, action.right);
    EXPECT_EQ(Width(kind), (300 * dpi + 48) / 96);
    EXPECT_EQ(grid_->CellRect(4, kAction).right, 0) << "row 4 does not exist";
    EXPECT_EQ(grid_->CellRect(2, 6).right, 0) << "column 6 does not exist";
}

TEST_F(Win32GridControl, RowsAddedWhileSuspendedAppearOnTheLastResume) {
    FillRows(0);
    EXPECT_EQ(VerticalRange(), 1);
    grid_->SuspendRedraw();
    grid_->SuspendRedraw();
    for (int row = 1; row <= 50; ++row) source_.AddRow("Delete", "kind", "");
    grid_->RowsAppended();
    EXPECT_EQ(VerticalRange(), 1);
    grid_->ResumeRedraw();
    EXPECT_EQ(VerticalRange(), 1) << "one suspension is still open";
    grid_->ResumeRedraw();
    EXPECT_EQ(VerticalRange(), 50 * kStandardHeight);

    // Appending measures only the new rows.
    source_.TakeBodyReads();
    for (int row = 51; row <= 60; ++row) source_.AddRow("Delete", "kind", "line one\r\nline two");
    grid_->RowsAppended();
    const std::vector<int> reads = source_.TakeBodyReads();
    for (int row = 1; row <= 60; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(reads[static_cast<std::size_t>(row - 1)], row <= 50 ? 0 : 1);
    }
    const int contentTop = grid_->CellRect(1, kAction).top;
    EXPECT_EQ(VerticalRange(), grid_->CellRect(60, kBody).bottom - contentTop);
    EXPECT_EQ(grid_->RowCount(), 60);
}

TEST_F(Win32GridControl, AClickSelectsARowAndAClickOnACellOfTheSelectedRowRequestsAnEdit) {
    FillRows(5, "HKEY_LOCAL_MACHINE\\Software\\Sample");
    ClickCell(3, kAction);
    EXPECT_EQ(grid_->SelectedRow(), 3);
    EXPECT_TRUE(events_.empty()) << "the first click only selects";

    struct Case {
        const char* name;
        std::int32_t column;
    };
    const Case cases[] = {
        {"action cell", kAction}, {"bold description cell", kKind}, {"icon cell", kImg}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events_.clear();
        ClickCell(3, c.column);
        // A click on another cell of the row first ends the edit that the previous click
        // asked for.
        ASSERT_FALSE(events_.empty());
        const GridNotify& request = events_.back();
        EXPECT_EQ(request.hdr.code, kGridEditRequested);
        EXPECT_EQ(request.hdr.hwndFrom, grid_->Window());
        EXPECT_EQ(request.Row, 3);
        EXPECT_EQ(request.Column, c.column);
        EXPECT_EQ(Count(kGridEditRequested), 1);
    }

    // The row text beneath the cells is no cell to edit.
    grid_->EndEdit();
    events_.clear();
    const RECT text = grid_->CellRect(3, kBody);
    Click(InGrid(text.left + 5, (text.top + text.bottom) / 2));
    EXPECT_EQ(Count(kGridEditRequested), 0);
    EXPECT_EQ(grid_->SelectedRow(), 3);
}

TEST_F(Win32GridControl, KeysRequestAnEditOfTheSecondColumnOfTheSelectedRow) {
    FillRows(5);
    Key(VK_F2);
    EXPECT_TRUE(events_.empty()) << "no row is selected";
    grid_->SelectRow(4);
    for (const WPARAM key : {VK_F2, VK_RETURN, VK_SPACE}) {
        SCOPED_TRACE(key);
        events_.clear();
        Key(key);
        ASSERT_EQ(Count(kGridEditRequested), 1);
        EXPECT_EQ(events_.back().Row, 4);
        EXPECT_EQ(events_.back().Column, kAction);
        grid_->EndEdit();
    }
}

TEST_F(Win32GridControl, AHeaderClickReportsItsColumn) {
    FillRows(5);
    const int headerY = 3;  // grid client coordinates: the header is at the top
    struct Case {
        const char* name;
        std::int32_t column;
    };
    // Column 4 comes after a hidden column: it must still be reported as 4.
    for (const Case& c : {Case{"icon column", kImg}, Case{"after a hidden column", kKind}}) {
        SCOPED_TRACE(c.name);
        events_.clear();
        const RECT cell = grid_->CellRect(1, c.column);
        Click(POINT{InGrid(cell.left + 5, 0).x, headerY});
        ASSERT_EQ(events_.size(), 1u);
        EXPECT_EQ(events_[0].hdr.code, kGridHeaderClicked);
        EXPECT_EQ(events_[0].Column, c.column);
        EXPECT_EQ(grid_->SelectedRow(), 0) << "a header click selects no row";
    }

    // Pressed on one header and released on another: no click.
    events_.clear();
    const POINT down{InGrid(grid_->CellRect(1, kImg).left + 5, 0).x, headerY};
    const POINT up{InGrid(grid_->CellRect(1, kKind).left + 5, 0).x, headerY};
    SendMessageW(grid_->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    SendMessageW(grid_->Window(), WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
    EXPECT_TRUE(events_.empty());
}

TEST_F(Win32GridControl, AnEditEndsOnceWhateverEndsIt) {
    struct Case {
        const char* name;
        std::function<void()> end;
        bool scrolls;
    };
    const Case cases[] = {
        {"EndEdit", [this] { grid_->EndEdit(); }, false},
        {"Escape", [this] { Key(VK_ESCAPE); }, false},
        {"wheel scroll",
         [this] { SendMessageW(grid_->Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0); },
         true},
        {"click on another row", [this] { ClickCell(5, kAction); }, false},
        {"moving the selection", [this] { Key(VK_DOWN); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FillRows(60);
        grid_->EnsureVisible(1);
        grid_->SelectRow(2);
        Key(VK_F2);
        ASSERT_TRUE(grid_->EditInProgress());
        events_.clear();
        c.end();
        EXPECT_FALSE(grid_->EditInProgress());
        ASSERT_EQ(Count(kGridEditCancelled), 1);
        EXPECT_EQ(events_[0].hdr.code, kGridEditCancelled);
        EXPECT_EQ(events_[0].Row, 2);
        EXPECT_EQ(grid_->ScrollY() > 0, c.scrolls);
        grid_->EndEdit();
        grid_->EndEdit();
        EXPECT_EQ(Count(kGridEditCancelled), 1) << "ending again raises nothing";
    }
}

TEST_F(Win32GridControl, TheSelectedRowIsScrolledIntoViewAmongThirtyThousandRows) {
    FillRows(30000, "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\r\nInprocServer32", 3);
    ASSERT_EQ(grid_->RowCount(), 30000);
    grid_->SelectRow(25000);
    grid_->EnsureVisible(25000);
    EXPECT_EQ(grid_->SelectedRow(), 25000);
    ExpectInsideClientArea(grid_->CellRect(25000, kAction));
    ExpectInsideClientArea(grid_->CellRect(25000, kBody));
    // Rows before it with two lines of text (every third) push it down.
    EXPECT_EQ(grid_->CellRect(25000, kAction).top - grid_->CellRect(24999, kAction).top,
              Height(grid_->CellRect(24999, kAction)) + Height(grid_->CellRect(24999, kBody)));

    // The click lands on the cell that CellRect names: hit testing agrees with the layout.
    ClickCell(25000, kAction);
    ASSERT_EQ(Count(kGridEditRequested), 1);
    EXPECT_EQ(events_.back().Row, 25000);
    EXPECT_EQ(events_.back().Column, kAction);

    struct Step {
        const char* name;
        WPARAM key;
        std::int32_t row;  // 0: anywhere after the previous row
    };
    const Step steps[] = {{"End", VK_END, 30000},
                          {"Home", VK_HOME, 1},
                          {"Page Down", VK_NEXT, 0},
                          {"Down", VK_DOWN, 0}};
    std::int32_t previous = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        Key(step.key);
        const std::int32_t row = grid_->SelectedRow();
        if (step.row != 0) {
            EXPECT_EQ(row, step.row);
        } else {
            EXPECT_GT(row, previous);
        }
        ExpectInsideClientArea(grid_->CellRect(row, kAction));
        previous = row;
    }
    EXPECT_GT(previous, 10) << "Page Down moves by a window's height of rows";
}

}  // namespace
}  // namespace hivewarden::testing
