// The exclusion list file and the matching of findings against it.
#include "scan/exclusion_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/code_page.h"
#include "text/unicode.h"
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
    EXPECT_EQ(Entries(LoadExclusionList(path, Windows1252())),
              (std::vector<std::string>{"C:\\Temp\\", "", "d:\\tools\\x.exe", "C:\\Temp\\"}));
}

TEST(ExclusionListFile, LastLineWithoutLineEndIsAnEntry) {
    TempFolder folder;
    EXPECT_EQ(Entries(LoadExclusionList(folder.Write("Ignore.ini", "a\r\nb"), Windows1252())),
              (std::vector<std::string>{"a", "b"}));
}

TEST(ExclusionListFile, MissingFileGivesAnEmptyList) {
    TempFolder folder;
    const ExclusionList list = LoadExclusionList(folder.File("Ignore.ini"), Windows1252());
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list[0], "");
}

TEST(ExclusionListFile, SaveWritesEachEntryWithCrLfAndNothingElse) {
    TempFolder folder;
    const std::string path = folder.File("Ignore.ini");
    EXPECT_FALSE(
        SaveExclusionList(path, ListOf({"C:\\A\\", "C:\\A\\", "", "d:\\x.dll"}), Windows1252()));
    EXPECT_EQ(folder.Read("Ignore.ini"), "C:\\A\\\r\nC:\\A\\\r\n\r\nd:\\x.dll\r\n");
}

TEST(ExclusionListFile, SavingAnEmptyListTruncatesTheFile) {
    TempFolder folder;
    const std::string path = folder.Write("Ignore.ini", "old entry\r\n");
    EXPECT_FALSE(SaveExclusionList(path, ExclusionList{}, Windows1252()));
    EXPECT_EQ(folder.Read("Ignore.ini"), "");
}

TEST(ExclusionListFile, SaveThenLoadGivesTheSameEntries) {
    TempFolder folder;
    const std::string path = folder.File("Ignore.ini");
    const ExclusionList list = ListOf({"C:\\Program Files\\", "", "\\\\server\\share", "x;y"});
    ASSERT_FALSE(SaveExclusionList(path, list, Windows1252()));
    EXPECT_EQ(Entries(LoadExclusionList(path, Windows1252())), Entries(list));
}

// Entries the ANSI code page holds are written in it, as they always were; any other list
// is written as UTF-8 after a byte order mark, so no name turns into "?".
TEST(ExclusionListFile, SaveUsesTheCodePageWhenItHoldsEveryEntry) {
    const std::string jurgen = "C:\\J\xC3\xBCrgen";                   // Jürgen
    const std::string liMing = "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E";  // 李明
    struct Case {
        const char* name;
        std::vector<std::string> entries;
        std::string bytes;
    } cases[] = {
        {"ANSI", {jurgen, "d:\\x"}, "C:\\J\xFCrgen\r\nd:\\x\r\n"},
        {"UTF-8 with its mark",
         {jurgen, liMing},
         "\xEF\xBB\xBF" + jurgen + "\r\n" + liMing + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.File("Ignore.ini");
        ExclusionList list;
        for (const std::string& e : c.entries) list.Grow() = e;
        ASSERT_FALSE(SaveExclusionList(path, list, Windows1252()));
        EXPECT_EQ(folder.Read("Ignore.ini"), c.bytes);
        EXPECT_EQ(Entries(LoadExclusionList(path, Windows1252())), c.entries);
    }
}

TEST(ExclusionListFile, LoadReadsAnsiUtf8AndUtf16) {
    const std::vector<std::string> entries = {"C:\\J\xC3\xBCrgen", "C:\\\xCE\xA9mega",
                                              "C:\\\xF0\x9F\x98\x80"};  // Jürgen, Ωmega, 😀
    const std::string text = entries[0] + "\r\n" + entries[1] + "\r\n" + entries[2] + "\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> entries;
    } cases[] = {
        {"ANSI", "C:\\J\xFCrgen\r\n", {entries[0]}},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + text, entries},
        {"UTF-16LE with its mark", "\xFF\xFE" + Utf16LeFromUtf8(text), entries},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        EXPECT_EQ(Entries(LoadExclusionList(folder.Write("Ignore.ini", c.bytes), Windows1252())),
                  c.entries);
    }
}

TEST(ExclusionListFile, SaveFailureNamesTheFile) {
    TempFolder folder;
    const std::string path = folder.File("no such folder/Ignore.ini");
    const auto error = SaveExclusionList(path, ListOf({"C:\\A"}), Windows1252());
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
         {"c:\\donn\xC3\xA9"
          "es"},
         Finding(engine::kValueEntry,
                 "C:\\DONN\xC3\x89"
                 "ES\\a.txt"),
         true},
        {"Greek letters compare in upper case",
         {"C:\\Apps\\\xCF\x89mega"},                                       // ωmega
         Finding(engine::kValueEntry, "C:\\APPS\\\xCE\xA9MEGA\\APP.EXE"),  // ΩMEGA
         true},
        {"Cyrillic letters compare in upper case",
         // документы
         {"\xD0\xB4\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD1\x8B"},
         Finding(
             engine::kValueEntry,
             "C:\\\xD0\x94\xD0\x9E\xD0\x9A\xD0\xA3\xD0\x9C\xD0\x95\xD0\x9D\xD0\xA2\xD0\xAB\\a.doc"),
         true},
        {"Chinese entry",
         {"C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E"},  // 李明
         Finding(engine::kValueEntry, "c:\\apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe"),
         true},
        {"another Chinese name is not excluded",
         {"C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E"},                           // 李明
         Finding(engine::kValueEntry, "C:\\Apps\\\xE7\x8E\x8B\\app.exe"),  // 王
         false},
        {"a look-alike is another letter",
         {"C:\\Apps\\\xCE\xA9mega"},
         Finding(engine::kValueEntry, "C:\\Apps\\Omega\\app.exe"),
         false},
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
