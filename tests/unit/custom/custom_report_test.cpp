// The custom-search report: golden bytes for the header, the fields of columns 2 ... 6, CR LF
// line ends, nothing escaped, and the grid's current order.
#include "custom/custom_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "custom/custom_grid.h"
#include "text/code_page.h"
#include "text/text_file.h"

namespace hivewarden::testing {
namespace {

using custom::CustomGrid;
using custom::CustomRow;

std::string Report(const CustomGrid& grid) {
    std::ostringstream out;
    EXPECT_TRUE(custom::WriteCustomReport(grid, out));
    return out.str();
}

TEST(CustomReport, EmptyGridGivesTheHeaderOnly) {
    EXPECT_EQ(Report(CustomGrid{}), "Action;String;Index;Fixed Value;Location\r\n");
}

TEST(CustomReport, RowsAreWrittenExactlyInTheGridsOrder) {
    CustomGrid grid;
    grid.Rows = {
        {"Value", "Replace", "String Found (run) - C:\\a;b.exe", 2, "C:\\new.exe",
         "HKEY_CURRENT_USER\\Software\\Run\\tool"},
        {"Key", "Delete", "String Found (Run)", 1, "", "HKEY_CURRENT_USER\\Software\\Run"},
        {"Value", "Ignore", "String Found (x) - ", 3, "", "HKEY_LOCAL_MACHINE\\K\\"},
        {"Value", "Replace by", "String Found (\"q\") - a\tb", 10, "semi;colon",
         "HKEY_LOCAL_MACHINE\\Q\\v"},
    };

    EXPECT_EQ(Report(grid),
              "Action;String;Index;Fixed Value;Location\r\n"
              "Replace;String Found (run) - C:\\a;b.exe;2;C:\\new.exe;"
              "HKEY_CURRENT_USER\\Software\\Run\\tool\r\n"
              "Delete;String Found (Run);1;;HKEY_CURRENT_USER\\Software\\Run\r\n"
              "Ignore;String Found (x) - ;3;;HKEY_LOCAL_MACHINE\\K\\\r\n"
              "Replace by;String Found (\"q\") - a\tb;10;semi;colon;HKEY_LOCAL_MACHINE\\Q\\v\r\n");
}

TEST(CustomReport, ReportFollowsTheActionsChosenSoFar) {
    const engine::CustomHit hit{engine::kValueEntry,
                                registry::kCurrentUser,
                                "HKEY_CURRENT_USER\\A\\v",
                                1,
                                "a",
                                "abc",
                                "v",
                                "",
                                false};
    CustomGrid grid;
    grid.AddHitsToGrid({&hit, 1}, "");
    grid.ChooseAction(1, "Replace by", "", [] { return std::string("xyz"); });

    EXPECT_EQ(Report(grid),
              "Action;String;Index;Fixed Value;Location\r\n"
              "Replace by;String Found (a) - abc;1;xyz;HKEY_CURRENT_USER\\A\\v\r\n");
}

TEST(CustomReport, TextKeepsEveryScriptAndTheFileFitsTheCodePageWhenItCan) {
    const std::string header = "Action;String;Index;Fixed Value;Location\r\n";
    CustomGrid grid;
    grid.Rows = {{"Value", "Replace", "String Found (\xC3\xA9t\xC3\xA9) - \xC3\xA9t\xC3\xA9", 1, "",
                  "HKEY_CURRENT_USER\\Software\\v"}};  // "été"
    const std::string ansiText = header +
                                 "Replace;String Found (\xC3\xA9t\xC3\xA9) - \xC3\xA9t\xC3\xA9;1;;"
                                 "HKEY_CURRENT_USER\\Software\\v\r\n";
    EXPECT_EQ(custom::CustomReportText(grid), ansiText);
    EXPECT_EQ(Report(grid), ansiText);
    EXPECT_EQ(
        EncodeTextFile(custom::CustomReportText(grid), Windows1252()),
        header +
            "Replace;String Found (\xE9t\xE9) - \xE9t\xE9;1;;HKEY_CURRENT_USER\\Software\\v\r\n");

    grid.Rows.push_back({"Key", "Delete", "String Found (\xE6\xB5\x8B)", 2, "",
                         "HKEY_LOCAL_MACHINE\\Software\\\xE6\xB5\x8B\xE8\xAF\x95"});  // 测, 测试
    const std::string text = ansiText +
                             "Delete;String Found (\xE6\xB5\x8B);2;;"
                             "HKEY_LOCAL_MACHINE\\Software\\\xE6\xB5\x8B\xE8\xAF\x95\r\n";
    EXPECT_EQ(custom::CustomReportText(grid), text);
    EXPECT_EQ(EncodeTextFile(custom::CustomReportText(grid), Windows1252()), "\xEF\xBB\xBF" + text);
}

TEST(CustomReport, AFailingStreamIsReported) {
    CustomGrid grid;
    grid.Rows.push_back(CustomRow{"Value", "Replace", "s", 1, "", "b"});
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_FALSE(custom::WriteCustomReport(grid, out));
}

}  // namespace
}  // namespace hivewarden::testing
