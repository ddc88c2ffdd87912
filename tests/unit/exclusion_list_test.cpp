// The exclusion list file and the matching of findings against it.
#include "scan/exclusion_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using namespace scan;
using engine::ErrorEntry;

std::vector<std::string> Entries(const ExclusionList& list) { return {list.begin(), list.end()}; }

ExclusionList ListOf(std::initializer_list<std::string> entries) {
    ExclusionList list;
    for (const std::string& e : entries) list.Grow() = e;
    return list;
}

TEST(ExclusionListFile, EveryLineIsAnEntryAlsoAnEmptyOne) {
    TempFolder folder;
    const std::string path =
        folder.Write("Ignore.ini", "C:\\Temp\\\r\n\r\nd:\\tools\\x.exe\nC:\\Temp\\\r\n");
    EXPECT_EQ(Entries(LoadExclusionList(path)),
              (std::vector<std::string>{"C:\\Temp\\", "", "d:\\tools\\x.exe", "C:\\Temp\\"}));
}

TEST(ExclusionListFile, LastLineWithoutLineEndIsAnEntry) {
    TempFolder folder;
    EXPECT_EQ(Entries(LoadExclusionList(folder.Write("Ignore.ini", "a\r\nb"))),
              (std::vector<std::string>{"a", "b"}));
}

TEST(ExclusionListFile, MissingFileGivesAnEmptyList) {
    TempFolder folder;
    const ExclusionList list = LoadExclusionList(folder.File("Ignore.ini"));
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list[0], "");
}

TEST(ExclusionListFile, SaveWritesEachEntryWithCrLfAndNothingElse) {
    TempFolder folder;
    const std::string path = folder.File("Ignore.ini");
    EXPECT_FALSE(SaveExclusionList(path, ListOf({"C:\\A\\", "C:\\A\\", "", "d:\\x.dll"})));
    EXPECT_EQ(folder.Read("Ignore.ini"), "C:\\A\\\r\nC:\\A\\\r\n\r\nd:\\x.dll\r\n");
}

TEST(ExclusionListFile, SavingAnEmptyListTruncatesTheFile) {
    TempFolder folder;
    const std::string path = folder.Write("Ignore.ini", "old entry\r\n");
    EXPECT_FALSE(SaveExclusionList(path, ExclusionList{}));
    EXPECT_EQ(folder.Read("Ignore.ini"), "");
}

TEST(ExclusionListFile, SaveThenLoadGivesTheSameEntries) {
    TempFolder folder;
    const std::string path = folder.File("Ignore.ini");
    const ExclusionList list = ListOf({"C:\\Program Files\\", "", "\\\\server\\share", "x;y"});
    ASSERT_FALSE(SaveExclusionList(path, list));
    EXPECT_EQ(Entries(LoadExclusionList(path)), Entries(list));
}

TEST(ExclusionListFile, SaveFailureNamesTheFile) {
    TempFolder folder;
    const std::string path = folder.File("no such folder/Ignore.ini");
    const auto error = SaveExclusionList(path, ListOf({"C:\\A"}));
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(path), std::string::npos);
}

ErrorEntry Finding(std::int32_t kind, std::string targetPath) {
    ErrorEntry e;
    e.EntryKind = kind;
    e.TargetPath = std::move(targetPath);
    e.KeyPath = "HKEY_LOCAL_MACHINE\\Software\\C:\\TEMP";
    return e;
}

TEST(ExclusionMatching, ValueFindingsContainingAnEntryInUpperCase) {
    struct Case {
        const char* name;
        std::vector<std::string> entries;
        ErrorEntry finding;
        bool excluded;
    } cases[] = {
        {"entry compared in upper case",
         {"c:\\windows"},
         Finding(engine::kValueEntry, "C:\\WINDOWS\\SYSTEM32\\X.DLL"),
         true},
        {"no path boundary",
         {"C:\\TEMP"},
         Finding(engine::kValueEntry, "C:\\TEMPLATES\\a.dll"),
         true},
        {"anywhere inside the path",
         {"system32"},
         Finding(engine::kValueEntry, "C:\\Windows\\System32\\x.dll"),
         true},
        {"no entry contained",
         {"D:\\", "C:\\Other"},
         Finding(engine::kValueEntry, "C:\\Windows\\x.dll"),
         false},
        {"second entry matches",
         {"D:\\", "x.dll"},
         Finding(engine::kValueEntry, "C:\\Windows\\X.DLL"),
         true},
        {"empty entry excludes every value",
         {"D:\\", ""},
         Finding(engine::kValueEntry, "C:\\anything.exe"),
         true},
        {"key finding is never excluded",
         {"C:\\TEMP", ""},
         Finding(engine::kKeyEntry, "C:\\TEMP"),
         false},
        {"empty list excludes nothing", {}, Finding(engine::kValueEntry, "C:\\x"), false},
        {"accented letters compare in upper case",
         {"c:\\donn\xE9"
          "es"},
         Finding(engine::kValueEntry,
                 "C:\\DONN\xC9"
                 "ES\\a.txt"),
         true},
        {"no wildcards", {"C:\\*.tmp"}, Finding(engine::kValueEntry, "C:\\a.tmp"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExclusionList list;
        for (const std::string& e : c.entries) list.Grow() = e;
        EXPECT_EQ(IsExcluded(c.finding, list), c.excluded);
        EXPECT_EQ(ExclusionMatcher(list).Excludes(c.finding), c.excluded);
    }
}

}  // namespace
}  // namespace hivewarden::testing
