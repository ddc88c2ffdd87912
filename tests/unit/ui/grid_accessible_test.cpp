// What the grids tell screen readers and how they colour themselves: a row's accessible name
// from its cells (both grids' real columns), and the palette on normal and high-contrast
// themes.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

#include "scan/results/result_rows.h"
#include "ui/grid_accessible_name.h"
#include "ui/grid_palette.h"
#include "ui/result_grid_source.h"

namespace hivewarden::ui {
namespace {

// A grid of the given columns whose cells are set one by one.
class TableSource final : public GridSource {
  public:
    TableSource(std::vector<GridColumnSpec> columns, std::int32_t rowText, std::int32_t rowStart,
                std::int32_t rows)
        : columns_(std::move(columns)), rowText_(rowText), rowStart_(rowStart), rows_(rows) {}
    void Set(std::int32_t row, std::int32_t column, std::string text) {
        cells_[{row, column}] = std::move(text);
    }
    std::int32_t ColumnCount() const override { return static_cast<std::int32_t>(columns_.size()); }
    const GridColumnSpec& Column(std::int32_t column) const override {
        return columns_.at(static_cast<std::size_t>(column - 1));
    }
    std::int32_t RowTextColumn() const override { return rowText_; }
    std::int32_t RowTextStart() const override { return rowStart_; }
    std::int32_t RowCount() const override { return rows_; }
    std::string CellText(std::int32_t row, std::int32_t column) const override {
        const auto found = cells_.find({row, column});
        return found == cells_.end() ? std::string() : found->second;
    }
    std::int32_t CellIcon(std::int32_t, std::int32_t) const override { return -1; }

  private:
    std::vector<GridColumnSpec> columns_;
    std::int32_t rowText_;
    std::int32_t rowStart_;
    std::int32_t rows_;
    std::map<std::pair<std::int32_t, std::int32_t>, std::string> cells_;
};

GridColumnSpec Spec(const char* header, bool shown = true, CellFormat format = CellFormat::Plain) {
    GridColumnSpec spec;
    spec.Header = header;
    spec.Shown = shown;
    spec.Format = format;
    return spec;
}

// The results grid's shape: icon, action, description, fixed value, two hidden columns, key.
TableSource ResultsShape() {
    return TableSource(
        {Spec("File Type", true, CellFormat::IconOnly), Spec("Correction"),
         Spec("Error Information", true, CellFormat::BoldEllipsis), Spec("Fixed Value"),
         Spec("Index", false), Spec("CanChange", false), Spec("Body")},
        7, 3, 2);
}

TEST(GridRowAccessibleName, ActionDescriptionAndKeyInThatOrder) {
    TableSource grid = ResultsShape();
    grid.Set(1, 1, "reg");
    grid.Set(1, 2, "Delete");
    grid.Set(1, 3, "File not found - C:\\Old\\tool.exe");
    grid.Set(1, 5, "17");
    grid.Set(1, 6, "1");
    grid.Set(1, 7, "HKEY_LOCAL_MACHINE\\Software\\Old");
    EXPECT_EQ(GridRowAccessibleName(grid, 1),
              "Delete, File not found - C:\\Old\\tool.exe, HKEY_LOCAL_MACHINE\\Software\\Old");
}

TEST(GridRowAccessibleName, OtherShownValuesAreNamedByTheirHeader) {
    TableSource grid = ResultsShape();
    grid.Set(2, 2, "Change Value");
    grid.Set(2, 3, "Path not found - C:\\Gone");
    grid.Set(2, 4, "C:\\New \xE6\x9D\x8E");  // kept byte for byte
    grid.Set(2, 7, "HKEY_CURRENT_USER\\Software\\App");
    EXPECT_EQ(GridRowAccessibleName(grid, 2),
              "Change Value, Path not found - C:\\Gone, Fixed Value: C:\\New \xE6\x9D\x8E, "
              "HKEY_CURRENT_USER\\Software\\App");
}

TEST(GridRowAccessibleName, RowsOutsideTheGridHaveNoName) {
    TableSource grid = ResultsShape();
    grid.Set(1, 2, "Delete");
    EXPECT_EQ(GridRowAccessibleName(grid, 1), "Delete");
    EXPECT_EQ(GridRowAccessibleName(grid, 0), "");
    EXPECT_EQ(GridRowAccessibleName(grid, 3), "");
}

TEST(GridRowAccessibleName, TheRealResultsGridSourceNamesARow) {
    scan::ResultGrid results;
    scan::ResultRow row;
    row.IconKey = "reg";
    row.Correction = "Ignore";
    row.ErrorKind = "Invalid application path - C:\\GoneFolder";
    row.Index = 4;
    row.CanChange = 2;
    row.Body = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe";
    results.Rows.push_back(row);
    const ResultGridSource source(results, 580);
    EXPECT_EQ(GridRowAccessibleName(source, 1),
              "Ignore, Invalid application path - C:\\GoneFolder, HKEY_LOCAL_MACHINE\\Software\\"
              "Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe");
}

constexpr SystemColours kBlackTheme{
    Rgb(0, 0, 0),   Rgb(255, 255, 255), Rgb(0, 255, 255), Rgb(0, 0, 0),
    Rgb(0, 255, 0), Rgb(10, 10, 10),    Rgb(255, 255, 0),
};
constexpr SystemColours kClassicTheme{
    Rgb(255, 255, 255), Rgb(0, 0, 0),       Rgb(0, 120, 215), Rgb(255, 255, 255),
    Rgb(109, 109, 109), Rgb(240, 240, 240), Rgb(0, 0, 0),
};

TEST(GridPalette, HighContrastUsesOnlyTheSystemColours) {
    const GridPalette p = ChooseGridPalette(true, kBlackTheme);
    EXPECT_EQ(p.Background, kBlackTheme.Window);
    EXPECT_EQ(p.Text, kBlackTheme.WindowText);
    EXPECT_EQ(p.RowText, kBlackTheme.WindowText);  // no dark blue on black
    EXPECT_EQ(p.Fill(true, true), kBlackTheme.Highlight);
    EXPECT_EQ(p.CellText(true, true), kBlackTheme.HighlightText);
    EXPECT_EQ(p.KeyText(true, true), kBlackTheme.HighlightText);
    EXPECT_EQ(p.Fill(true, false), kBlackTheme.Face);
    EXPECT_EQ(p.KeyText(true, false), kBlackTheme.FaceText);
    EXPECT_EQ(p.Line, kBlackTheme.GrayText);
    EXPECT_EQ(p.HeaderFace, kBlackTheme.Face);
    EXPECT_EQ(p.HeaderText, kBlackTheme.FaceText);
}

TEST(GridPalette, NormalThemeKeepsTheDarkBlueKeyAndSoftSelection) {
    const GridPalette p = ChooseGridPalette(false, kClassicTheme);
    EXPECT_EQ(p.Background, kClassicTheme.Window);
    EXPECT_EQ(p.Text, kClassicTheme.WindowText);
    EXPECT_EQ(p.KeyText(false, true), kNormalRowText);
    EXPECT_EQ(p.KeyText(true, true), kNormalRowText);
    EXPECT_EQ(p.Fill(true, true), kNormalSelectedFill);
    EXPECT_EQ(p.Fill(true, false), kNormalInactiveSelectedFill);
    EXPECT_EQ(p.Fill(false, true), kClassicTheme.Window);
    EXPECT_EQ(p.Line, kNormalLine);
}

TEST(GridPalette, EveryColourOfAHighContrastPaletteComesFromTheTheme) {
    // A theme of seven distinct colours: whatever the palette paints must be one of them.
    const GridPalette p = ChooseGridPalette(true, kClassicTheme);
    const Colour theme[] = {kClassicTheme.Window,    kClassicTheme.WindowText,
                            kClassicTheme.Highlight, kClassicTheme.HighlightText,
                            kClassicTheme.GrayText,  kClassicTheme.Face,
                            kClassicTheme.FaceText};
    for (const Colour used :
         {p.Background, p.Text, p.RowText, p.SelectedFill, p.SelectedText, p.InactiveSelectedFill,
          p.InactiveSelectedText, p.Line, p.HeaderFace, p.HeaderText}) {
        EXPECT_NE(std::find(std::begin(theme), std::end(theme), used), std::end(theme))
            << std::hex << used;
    }
}

}  // namespace
}  // namespace hivewarden::ui
