// Loading the trojan definition files, the name lookup and the lock-location check.
#include "scan/trojan_definitions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "store/access.h"
#include "support/raw_values.h"
#include "text/code_page.h"
#include "text/text.h"
#include "store/memory_store.h"
#include "text/unicode.h"
#include "support/fake_probes.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using namespace scan;
using engine::ErrorEntry;

std::vector<std::pair<std::string, std::string>> PatternsAndNames(const TrojanNames& names) {
    std::vector<std::pair<std::string, std::string>> result;
    for (const TrojanName& n : names) result.emplace_back(n.Pattern, n.Name);
    return result;
}

TEST(TrojanNames, LoadsPatternAndNameOfEveryLineWithASemicolon) {
    TempFolder folder;
    const std::string path = folder.Write("TrojanDef.ini",
                                          "comment line without separator\r\n"
                                          "evil.exe;Evil\r\n"
                                          " spaced ; Kept As Is \n"
                                          "dropper.dll;Dropper;ignored;fields\n"
                                          "\r\n"
                                          ";Anything");
    TrojanNames names;
    EXPECT_FALSE(LoadTrojanNames(path, names, Windows1252()));
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(PatternsAndNames(names), (std::vector<P>{{"evil.exe", "Evil"},
                                                       {" spaced ", " Kept As Is "},
                                                       {"dropper.dll", "Dropper"},
                                                       {"", "Anything"}}));
    EXPECT_EQ(names[0], TrojanName{});  // element 0 holds nothing
}

TEST(TrojanNames, MissingFileEmptiesTheListSilently) {
    TempFolder folder;
    TrojanNames names;
    names.Grow() = MakeTrojanName("old", "Old");
    EXPECT_FALSE(LoadTrojanNames(folder.File("TrojanDef.ini"), names, Windows1252()));
    EXPECT_TRUE(names.Empty());
}

TEST(TrojanNames, UnreadableFileGivesTheNameFileMessage) {
    TempFolder folder;
    const std::string path = folder.File("TrojanDef.ini");
    std::filesystem::create_directory(path);  // a folder where the file should be
    TrojanNames names;
    names.Grow() = MakeTrojanName("old", "Old");
    const auto error = LoadTrojanNames(path, names, Windows1252());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number, kDefinitionAccessError);
    EXPECT_NE(error->Description.find(path + ", line 1"), std::string::npos);
    EXPECT_EQ(error->Message,
              "Error in VirusNameFilePath\nError Number: 75\nDescription: " + error->Description);
    EXPECT_TRUE(names.Empty());
}

TEST(TrojanNames, FirstMatchingPatternInFileOrderGivesTheName) {
    TrojanNames names;
    names.Grow() = MakeTrojanName("svchost32", "Fake Host");
    names.Grow() = MakeTrojanName("EVIL", "Evil Upper");
    names.Grow() = MakeTrojanName("evil.exe", "Evil Lower");
    struct Case {
        const char* name;
        std::string data;
        std::string expected;
    } cases[] = {
        {"no pattern occurs", "C:\\Windows\\notepad.exe", ""},
        {"two patterns occur: the first line wins", "C:\\x\\evil.exe", "Evil Upper"},
        {"compared in upper case", "c:\\SvcHost32.exe", "Fake Host"},
        {"empty data never matches", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TrojanNameFor(names, c.data), c.expected);
    }
}

TEST(TrojanNames, EmptyPatternMatchesEveryNonEmptyData) {
    TrojanTables tables;
    tables.Names.Grow() = MakeTrojanName("", "Anything");
    EXPECT_EQ(tables.TrojanNameFor("x"), "Anything");
    EXPECT_EQ(tables.TrojanNameFor(""), "");
}

TEST(TrojanNames, LettersOfEveryScriptCompareInUpperCase) {
    TrojanNames names;
    names.Grow() = MakeTrojanName("d\xC3\xA9j\xC3\xA0", "Accent");  // "déjà"
    names.Grow() =
        MakeTrojanName("\xD0\xB2\xD0\xB8\xD1\x80\xD1\x83\xD1\x81", "Cyrillic");  // "вирус"
    names.Grow() = MakeTrojanName("\xE7\x97\x85\xE6\xAF\x92", "Chinese");        // "病毒"
    struct Case {
        const char* name;
        std::string data;
        std::string expected;
    } cases[] = {
        {"accented capitals", "C:\\D\xC3\x89J\xC3\x80.exe", "Accent"},  // "DÉJÀ"
        {"Cyrillic capitals", "C:\\\xD0\x92\xD0\x98\xD0\xA0\xD0\xA3\xD0\xA1.exe",
         "Cyrillic"},  // "ВИРУС"
        {"Chinese has no case", "C:\\\xE7\x97\x85\xE6\xAF\x92\\x.exe", "Chinese"},
        {"a look-alike is another letter", "C:\\DEJA.exe", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TrojanNameFor(names, c.data), c.expected);
    }
}

// The definition files ship as ANSI text; a file saved as UTF-8 or UTF-16 with a byte order
// mark reads the same, and its names keep every script.
TEST(TrojanNames, DefinitionFilesReadInEveryEncoding) {
    const std::string text = "evil.exe;Evil\r\n\xE7\x97\x85\xE6\xAF\x92.exe;Chinese\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::string chinesePattern;
    } cases[] = {
        {"ANSI: bytes of the code page", "evil.exe;Evil\r\n\xE9t\xE9.exe;Chinese\r\n",
         "\xC3\xA9t\xC3\xA9.exe"},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + text, "\xE7\x97\x85\xE6\xAF\x92.exe"},
        {"UTF-16LE with its mark", "\xFF\xFE" + Utf16LeFromUtf8(text),
         "\xE7\x97\x85\xE6\xAF\x92.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        TrojanNames names;
        EXPECT_FALSE(LoadTrojanNames(folder.Write("TrojanDef.ini", c.bytes), names, Windows1252()));
        using P = std::pair<std::string, std::string>;
        EXPECT_EQ(PatternsAndNames(names),
                  (std::vector<P>{{"evil.exe", "Evil"}, {c.chinesePattern, "Chinese"}}));
    }
}

TEST(TrojanLocks, LoadsFieldsAndMapsRootCodes) {
    TempFolder folder;
    const std::string path = folder.Write("TrojanLock.ini",
                                          "Classes;1;CLSID\\{X};;marker1\r\n"
                                          "User;2;Software\\A;Run;m2;clean2\r\n"
                                          "Machine; 3 ;Software\\Example;Val;m3\n"
                                          "Plus;+3;K;V;m\n"
                                          "Four;4;K;V;m\n"
                                          "Zero;0;K;V;m\n"
                                          "Negative;-1;K;V;m\n"
                                          "no separator here\n"
                                          "Seven;3;K;V;m;%SystemRoot%\\a.exe,;seventh\n"
                                          "EmptySixth;3;K;V;m;\n");
    TrojanLocks locks;
    EXPECT_FALSE(LoadTrojanLocks(path, locks, Windows1252()));
    ASSERT_EQ(locks.Count(), 9);
    EXPECT_EQ(locks[1],
              (TrojanLock{"Classes", registry::kClassesRoot, "CLSID\\{X}", "", "marker1", ""}));
    EXPECT_EQ(locks[2], (TrojanLock{"User", registry::kCurrentUser, "Software\\A", "Run", "m2",
                                    "clean2"}));
    EXPECT_EQ(locks[3],
              (TrojanLock{"Machine", registry::kLocalMachine, "Software\\Example", "Val", "m3",
                          ""}));
    EXPECT_EQ(locks[4].RootKey, registry::kLocalMachine);
    for (std::int32_t i = 5; i <= 7; ++i) {
        SCOPED_TRACE(locks[i].Name);
        EXPECT_EQ(locks[i].RootKey, 0u);
    }
    // The sixth field is the clean value, kept as written; fields after it are ignored.
    EXPECT_EQ(locks[8], (TrojanLock{"Seven", registry::kLocalMachine, "K", "V", "m",
                                    "%SystemRoot%\\a.exe,"}));
    EXPECT_EQ(locks[9].CleanValue, "");
    EXPECT_EQ(locks[9].Marker, "m");
}

// Every shipped record of a value Windows needs names the data Windows ships, which holds
// none of the record's markers; only the SubSeven "load" value may simply go.
TEST(TrojanLocks, ShippedRecordsOfValuesWindowsNeedCarryTheirCleanValue) {
    TrojanLocks locks;
    ASSERT_FALSE(LoadTrojanLocks(HW_TEST_DATA "/../../data/TrojanLock.ini", locks, Windows1252()));
    ASSERT_GT(locks.Count(), 0);
    const std::map<std::string, std::string> needed = {
        {"Shell", "explorer.exe"},
        {"Userinit", "%SystemRoot%\\system32\\userinit.exe,"},
        {"", "%SystemRoot%\\System32\\webcheck.dll"},
    };
    for (const TrojanLock& lock : locks) {
        SCOPED_TRACE(lock.Name + " " + lock.ValueName);
        const auto it = needed.find(lock.ValueName);
        if (it == needed.end()) {
            EXPECT_EQ(lock.ValueName, "load");
            EXPECT_EQ(lock.CleanValue, "");
            continue;
        }
        EXPECT_EQ(lock.CleanValue, it->second);
        EXPECT_FALSE(ContainsNoCase(lock.CleanValue, lock.Marker));
    }
}

TEST(TrojanLocks, BadLineStopsLoadingAndKeepsTheLinesBefore) {
    struct Case {
        const char* name;
        std::string badLine;
        std::int32_t number;
        std::string descriptionPart;
    } cases[] = {
        {"fewer than five fields", "Short;3;Software\\X;Val", kDefinitionSubscriptError,
         "4 fields"},
        {"root code not a number", "Word;three;Software\\X;Val;m", kDefinitionTypeError,
         "\"three\""},
        {"empty root code", "Empty;;Software\\X;Val;m", kDefinitionTypeError, "\"\""},
        {"root code with a fraction", "Frac;1.5;Software\\X;Val;m", kDefinitionTypeError,
         "\"1.5\""},
        {"root code out of range", "Big;99999999999;Software\\X;Val;m", kDefinitionTypeError,
         "\"99999999999\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path =
            folder.Write("TrojanLock.ini", "First;3;Software\\A;V;m\r\nignored line\r\n" +
                                               c.badLine + "\r\nAfter;3;K;V;m\r\n");
        TrojanLocks locks;
        const auto error = LoadTrojanLocks(path, locks, Windows1252());
        ASSERT_TRUE(error);
        EXPECT_EQ(error->Number, c.number);
        EXPECT_NE(error->Description.find(path + ", line 3: "), std::string::npos);
        EXPECT_NE(error->Description.find(c.descriptionPart), std::string::npos);
        EXPECT_EQ(error->Message,
                  "Error in VirusLocFilePath\nError Number: " + std::to_string(c.number) +
                      "\nDescription: " + error->Description);
        // The definition before the bad line stays; the bad line's record is not kept.
        ASSERT_EQ(locks.Count(), 1);
        EXPECT_EQ(locks[1].Name, "First");
    }
}

TEST(TrojanTables, LoadReadsBothFilesFromTheProgramFolder) {
    TempFolder folder;
    folder.Write("TrojanDef.ini", "evil;Evil\r\n");
    folder.Write("TrojanLock.ini", "Lock;3;Software\\X;V;m\r\nBad;x;K;V;m\r\n");
    TrojanTables tables;
    const std::vector<DefinitionError> errors = tables.Load(folder.Folder(), Windows1252());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Message.rfind("Error in VirusLocFilePath\n", 0), 0u);
    EXPECT_EQ(tables.Names.Count(), 1);
    EXPECT_EQ(tables.Locks.Count(), 1);
}

class LockCheck : public ::testing::Test {
  protected:
    void SetText(registry::RootKey root, const std::string& key, const std::string& name,
                 const std::string& data) {
        access_.CreateKey(root, key);
        access_.SetValue(root, key, name, registry::kTextKind, data);
    }
    TrojanLock& AddLock(std::string name, std::int32_t code, std::string key, std::string value,
                        std::string marker) {
        TrojanLock& lock = locks_.Grow();
        lock = TrojanLock{std::move(name),  RootForCode(code), std::move(key),
                          std::move(value), std::move(marker),  ""};
        return lock;
    }

    registry::MemoryStore store_;
    FakeProbes probes_;
    engine::ScanState state_;
    registry::RegistryAccess access_{store_, probes_, state_};
    TrojanLocks locks_;
};

// A lock location under a key and value named in another script is read by those names, and
// its marker is found in any letter case.
TEST_F(LockCheck, UnicodeKeyValueAndMarker) {
    const std::string key = "Software\\\xE6\xB5\x8B\xE8\xAF\x95";                        // "测试"
    const std::string value = "\xE5\x90\x8D\xE5\x89\x8D";                                // "名前"
    SetText(registry::kCurrentUser, key, value, "C:\\x\\\xD0\x92\xD0\x98\xD0\xA0.exe");  // ВИР
    AddLock("Cyrillic Lock", 2, key, value, "\xD0\xB2\xD0\xB8\xD1\x80");                 // вир
    CheckTrojanLocks(locks_, access_, state_);
    ASSERT_EQ(state_.ScanResults.Count(), 1);
    EXPECT_EQ(state_.ScanResults[1].KeyPath, "HKEY_CURRENT_USER\\" + key);
    EXPECT_EQ(state_.ScanResults[1].ItemName, value);
    EXPECT_EQ(state_.ScanResults[1].TargetPath, "\xD0\xB2\xD0\xB8\xD1\x80");
}

TEST_F(LockCheck, FindingCarriesTheFullKeyPathAndTheMarker) {
    SetText(registry::kLocalMachine, "Software\\Example", "Loader", "c:\\x\\EVIL.exe -quiet");
    AddLock("Evil Lock", 3, "Software\\Example", "Loader", "evil.EXE");
    CheckTrojanLocks(locks_, access_, state_);
    ASSERT_EQ(state_.ScanResults.Count(), 1);
    ErrorEntry expected;
    expected.EntryKind = engine::kValueEntry;
    expected.ItemName = "Loader";
    expected.ItemData = "evil.EXE";
    expected.KeyPath = "HKEY_LOCAL_MACHINE\\Software\\Example";
    expected.RootKey = registry::kLocalMachine;
    expected.TargetPath = "evil.EXE";
    expected.ValueType = registry::kTextType;
    expected.PathKind = engine::kNotAPath;
    expected.Index = 1;
    expected.TrojanName = "Evil Lock";
    expected.IsTrojan = true;
    expected.IsLockedTrojan = true;
    // The value as stored, for the repair's second look.
    expected.HasScannedValue = true;
    expected.ScannedValueKey = "HKEY_LOCAL_MACHINE\\Software\\Example";
    expected.ScannedValueName = "Loader";
    expected.ScannedType = registry::kRegSz;
    registry::RawValue stored;
    ASSERT_TRUE(access_.ReadRaw(registry::kLocalMachine, "Software\\Example", "Loader", stored));
    expected.ScannedBytes = stored.Bytes;
    EXPECT_EQ(state_.ScanResults[1], expected);
}

// The clean value is what the repair will write: as written for expandable text, which Windows
// expands itself; with the machine's own folders in it for any other value.
TEST_F(LockCheck, CleanValueIsExpandedUnlessTheValueExpandsItself) {
    struct Case {
        const char* name;
        registry::RawValue infected;
        std::string clean;
        std::string systemRoot;
        std::string expected;
    };
    const Case cases[] = {
        {"plain text", SzValue("C:\\Windows\\system32\\userinit.exe,C:\\x\\sdra64.exe,"),
         "%SystemRoot%\\system32\\userinit.exe,", "C:\\Windows",
         "C:\\Windows\\system32\\userinit.exe,"},
        {"plain text, Windows elsewhere", SzValue("sdra64.exe"),
         "%SystemRoot%\\system32\\userinit.exe,", "D:\\WINNT",
         "D:\\WINNT\\system32\\userinit.exe,"},
        {"expandable text", ExpandSzValue("%SystemRoot%\\sdra64.exe"),
         "%SystemRoot%\\System32\\webcheck.dll", "C:\\Windows",
         "%SystemRoot%\\System32\\webcheck.dll"},
        {"no references", SzValue("explorer.exe sdra64.exe"), "explorer.exe", "C:\\Windows",
         "explorer.exe"},
        {"no clean value", SzValue("sdra64.exe"), "", "C:\\Windows", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry::MemoryStore store;
        FakeProbes probes;
        probes.SetEnv("SystemRoot", c.systemRoot);
        engine::ScanState state;
        registry::RegistryAccess access(store, probes, state);
        access.CreateKey(registry::kLocalMachine, "Software\\Winlogon");
        access.WriteRaw(registry::kLocalMachine, "Software\\Winlogon", "Userinit", c.infected);
        TrojanLocks locks;
        locks.Grow() = TrojanLock{"Zbot", registry::kLocalMachine, "Software\\Winlogon",
                                  "Userinit", "sdra64.exe", c.clean};
        CheckTrojanLocks(locks, access, state);
        ASSERT_EQ(state.ScanResults.Count(), 1);
        EXPECT_EQ(state.ScanResults[1].CleanValue, c.expected);
        EXPECT_EQ(state.ScanResults[1].ItemData, "sdra64.exe");
    }
}

TEST_F(LockCheck, OnlyRecordsWhoseValueHoldsTheMarkerAreReported) {
    SetText(registry::kCurrentUser, "Software\\A", "", "has MARK inside");
    SetText(registry::kClassesRoot, "CLSID\\{X}", "Server", "clean.dll");
    SetText(registry::kLocalMachine, "Software\\B", "V", "mark");
    AddLock("Default value", 2, "Software\\A", "", "mark");
    AddLock("Clean", 1, "CLSID\\{X}", "Server", "mark");
    AddLock("Missing value", 3, "Software\\B", "Other", "mark");
    AddLock("Missing key", 3, "Software\\None", "V", "mark");
    AddLock("No root", 4, "Software\\B", "V", "mark");
    AddLock("No root, empty marker", 4, "Software\\B", "V", "");
    AddLock("Missing value, empty marker", 3, "Software\\B", "Other", "");
    AddLock("Empty marker", 3, "Software\\B", "V", "");
    CheckTrojanLocks(locks_, access_, state_);
    std::vector<std::string> found;
    for (const ErrorEntry& e : state_.ScanResults) found.push_back(e.TrojanName);
    EXPECT_EQ(found, (std::vector<std::string>{"Default value", "Empty marker"}));
    EXPECT_EQ(state_.ScanResults[1].KeyPath, "HKEY_CURRENT_USER\\Software\\A");
    EXPECT_EQ(state_.ScanResults[2].Index, 2);
}

TEST_F(LockCheck, YieldsPerRecordAndRunsThroughAStoppedScan) {
    SetText(registry::kLocalMachine, "Software\\B", "V", "mark");
    AddLock("One", 3, "Software\\B", "V", "mark");
    AddLock("Two", 3, "Software\\B", "V", "MARK");
    AddLock("Three", 3, "Software\\B", "V", "nothing");
    state_.AppendFinding(ErrorEntry{});  // a finding of the walk before the check
    state_.StopRequested = true;
    int yields = 0;
    state_.YieldHook = [&] { ++yields; };
    CheckTrojanLocks(locks_, access_, state_);
    EXPECT_EQ(yields, 3);
    ASSERT_EQ(state_.ScanResults.Count(), 3);
    EXPECT_EQ(state_.ScanResults[2].TrojanName, "One");
    EXPECT_EQ(state_.ScanResults[3].TrojanName, "Two");
    EXPECT_EQ(state_.ScanResults[3].Index, 3);
}

}  // namespace
}  // namespace hivewarden::testing
