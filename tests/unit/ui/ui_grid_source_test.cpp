// The two result grids' columns as the grid control paints them: the description column of
// each (Error Kind of the results, String of the custom hits) is the one bold column, cut with
// an ellipsis, twice the grid's own width; the icon column shows icons only.
#include <gtest/gtest.h>

#include "ui/result_grid_source.h"

namespace hivewarden::testing {
namespace {

using ui::CellFormat;

TEST(ResultGridSources, EachGridHasOneBoldDescriptionColumnTwiceItsWidth) {
    const scan::ResultGrid results;
    const custom::CustomGrid hits;
    const ui::ResultGridSource resultsSource(results, 300);
    const ui::CustomGridSource customSource(hits, 300);
    struct Case {
        const char* Name;
        const ui::GridSource& Source;
        std::int32_t Description;
    };
    const Case cases[] = {
        {"results", resultsSource, scan::kColumnErrorKind},
        {"custom hits", customSource, custom::kCustomColumnString},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (std::int32_t column = 1; column <= c.Source.ColumnCount(); ++column) {
            SCOPED_TRACE(column);
            const CellFormat expected = column == 1               ? CellFormat::IconOnly
                                        : column == c.Description ? CellFormat::BoldEllipsis
                                                                  : CellFormat::Plain;
            EXPECT_EQ(c.Source.Column(column).Format, expected);
        }
        EXPECT_EQ(c.Source.Column(c.Description).Width, 600);
        EXPECT_EQ(c.Source.RowTextStart(), c.Description);
    }
}

}  // namespace
}  // namespace hivewarden::testing
