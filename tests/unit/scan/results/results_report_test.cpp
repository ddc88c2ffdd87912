// The results report: exact bytes of the semicolon-separated text.
#include "scan/results/results_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "text/code_page.h"
#include "text/text_file.h"

namespace hivewarden::testing {
namespace {

using namespace scan;
using engine::ErrorEntry;

ErrorEntry MissingFile(std::string target, std::string key, std::int32_t index) {
    ErrorEntry e;
    e.EntryKind = engine::kValueEntry;
    e.PathKind = engine::kFilePath;
    e.TargetPath = std::move(target);
    e.KeyPath = std::move(key);
    e.Index = index;
    return e;
}

std::string Report(const ResultGrid& grid) {
    std::ostringstream out;
    EXPECT_TRUE(WriteResultsReport(grid, out));
    return out.str();
}

TEST(ResultsReport, EmptyGridGivesTheHeaderOnly) {
    EXPECT_EQ(Report(ResultGrid{}), "Action;Error;Fixed Value;Index;;Location\r\n");
}

TEST(ResultsReport, WritesColumnsTwoToSevenOfEveryRow) {
    ResultGrid grid;
    ErrorEntry folder = MissingFile("C:\\Gone\\", "HKEY_CURRENT_USER\\Software\\Gone", 18);
    folder.PathKind = engine::kFolderPath;
    grid.AddFindingsToGrid(
        std::vector<ErrorEntry>{
            MissingFile("C:\\Old\\tool.exe", "HKEY_LOCAL_MACHINE\\Software\\Old", 17), folder,
            MissingFile("C:\\a;b\\x.dll", "HKEY_LOCAL_MACHINE\\Software\\Semi;colon", 19)},
        ExclusionList{});
    grid.Row(2).Correction = "Change Value";
    grid.Row(2).FixedValue = "D:\\New";
    grid.AddShortcutRow("C:\\Docs\\Old tool", "C:\\Old\\tool.exe", 1);
    EXPECT_EQ(
        Report(grid),
        "Action;Error;Fixed Value;Index;;Location\r\n"
        "Delete;File not found - C:\\Old\\tool.exe;;17;1;HKEY_LOCAL_MACHINE\\Software\\Old\r\n"
        "Change Value;Folder or Drive not found - C:\\Gone\\;D:\\New;18;2;"
        "HKEY_CURRENT_USER\\Software\\Gone\r\n"
        "Delete;File not found - C:\\a;b\\x.dll;;19;1;"
        "HKEY_LOCAL_MACHINE\\Software\\Semi;colon\r\n"
        "Ignore;Invalid Shortcut Path - C:\\Old\\tool.exe;;1;0;C:\\Docs\\Old tool\r\n");
}

TEST(ResultsReport, FollowsTheGridsCurrentOrder) {
    ResultGrid grid;
    grid.AddFindingsToGrid(
        std::vector<ErrorEntry>{MissingFile("C:\\b.exe", "HKEY_CURRENT_USER\\B", 1),
                                MissingFile("C:\\a.exe", "HKEY_CURRENT_USER\\A", 2)},
        ExclusionList{});
    grid.SortByColumn(kColumnBody);
    EXPECT_EQ(Report(grid),
              "Action;Error;Fixed Value;Index;;Location\r\n"
              "Delete;File not found - C:\\a.exe;;2;1;HKEY_CURRENT_USER\\A\r\n"
              "Delete;File not found - C:\\b.exe;;1;1;HKEY_CURRENT_USER\\B\r\n");
}

// Paths in any script are written exactly; the text is UTF-8, and the report file holds it in
// the ANSI code page when that holds every character, else as UTF-8 after a byte order mark.
TEST(ResultsReport, TextKeepsEveryScriptAndTheFileFitsTheCodePageWhenItCan) {
    const std::string header = "Action;Error;Fixed Value;Index;;Location\r\n";
    ResultGrid ansi;
    ansi.AddFindingsToGrid(std::vector<ErrorEntry>{MissingFile("C:\\J\xC3\xBCrgen\\app.exe",
                                                               "HKEY_CURRENT_USER\\J", 1)},
                           ExclusionList{});
    const std::string ansiText = header +
                                 "Delete;File not found - C:\\J\xC3\xBCrgen\\app.exe;;1;1;"
                                 "HKEY_CURRENT_USER\\J\r\n";
    EXPECT_EQ(ResultsReportText(ansi), ansiText);
    EXPECT_EQ(Report(ansi), ansiText);
    EXPECT_EQ(
        EncodeTextFile(ResultsReportText(ansi), Windows1252()),
        header + "Delete;File not found - C:\\J\xFCrgen\\app.exe;;1;1;HKEY_CURRENT_USER\\J\r\n");

    ResultGrid cjk;
    cjk.AddFindingsToGrid(std::vector<ErrorEntry>{MissingFile(
                              "C:\\Apps\\\xE7\x8E\x8B\\app.exe",                    // 王
                              "HKEY_CURRENT_USER\\Software\\Sub\xE6\x9D\x8E", 1)},  // Sub李
                          ExclusionList{});
    const std::string cjkText = header +
                                "Delete;File not found - C:\\Apps\\\xE7\x8E\x8B\\app.exe;;1;1;"
                                "HKEY_CURRENT_USER\\Software\\Sub\xE6\x9D\x8E\r\n";
    EXPECT_EQ(ResultsReportText(cjk), cjkText);
    EXPECT_EQ(EncodeTextFile(ResultsReportText(cjk), Windows1252()), "\xEF\xBB\xBF" + cjkText);
}

TEST(ResultsReport, ReportsAStreamThatFailed) {
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_FALSE(WriteResultsReport(ResultGrid{}, out));
}

}  // namespace
}  // namespace hivewarden::testing
