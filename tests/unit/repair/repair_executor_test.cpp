// The repair executors: backup contents per entry kind, the apply pass, the guard against
// deleting too much, the change-to-text fallback, failing changes, the progress rule, Done,
// the custom-hit executor, the preview, and backups of names and data in any script.
#include "repair/repair_executor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "text/code_page.h"
#include "regfile/regfile.h"
#include "repair/backup_restore.h"
#include "repair/deletion_guard.h"
#include "support/registry_snapshot.h"
#include "support/repair_machine.h"

namespace hivewarden::testing {
namespace {

using namespace std::string_literals;
using registry::RawValue;
using repair::RepairResult;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr const char* kApp = "HKEY_LOCAL_MACHINE\\Software\\Vendor\\App";

class RepairExecutor : public ::testing::Test {
protected:
    RepairResult Repair() {
        RepairResult result = repair::RepairScanResults(m.State, m.Access, m.BackupPath());
        EXPECT_TRUE(result.Ok()) << result.Error->Message;
        return result;
    }
    RepairResult RepairCustom() {
        RepairResult result = repair::RepairCustomHits(m.State, m.Access, m.BackupPath());
        EXPECT_TRUE(result.Ok()) << result.Error->Message;
        return result;
    }
    std::string Backup() { return m.Folder.Read("backup.reg"); }

    RepairMachine m;
};

TEST_F(RepairExecutor, NoMarkedEntryWritesTheHeaderAndChangesNothing) {
    m.Text(kApp, "v", "C:\\gone.exe");
    m.ValueFinding(kApp, "v", false);
    const RegistrySnapshot before = Snapshot(m.Store);
    std::vector<std::pair<bool, int>> done;
    repair::SetBackupPath(m.State, m.BackupPath());
    const RepairResult result = repair::RunRepair(m.State, m.Access, [&](bool canceled, int task) {
        done.push_back({canceled, task});
    });
    EXPECT_TRUE(result.Ok());
    EXPECT_EQ(result.Marked, 0);
    EXPECT_EQ(Backup(), "REGEDIT4\r\n\r\n");
    EXPECT_EQ(Snapshot(m.Store), before);
    EXPECT_EQ(m.State.ProgressPercent, 0);
    EXPECT_THAT(done, ElementsAre(std::pair<bool, int>{false, 2}));
    EXPECT_EQ(m.State.EngineMode, engine::kModeRepair);
}

TEST_F(RepairExecutor, DeletesAValueAfterBackingItUp) {
    m.Text(kApp, "Path", "C:\\A \"B\"").Text(kApp, "Keep", "x");
    m.ValueFinding(kApp, "Path", true);
    const RepairResult result = Repair();
    EXPECT_EQ(Backup(),
              "REGEDIT4\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\r\n"
              "\"Path\"=\"C:\\\\A \\\"B\\\"\"\r\n"
              "\r\n");
    EXPECT_FALSE(m.HasValue(kApp, "Path"));
    EXPECT_TRUE(m.HasValue(kApp, "Keep"));
    EXPECT_EQ(result.Changed, 1);
    EXPECT_TRUE(result.Failed.empty());
}

TEST_F(RepairExecutor, DeletesAKeyWithItsWholeSubtree) {
    const std::string key = std::string(kApp) + "\\Server";
    m.Text(key, "", "C:\\gone.dll")
        .Raw(key + "\\A", "bin", 3, "\x01\x02"s)
        .Number(key + "\\A\\A1\\Deep", "n", 7)
        .Key(key + "\\B");
    m.KeyFinding(key);
    const RepairResult result = Repair();
    EXPECT_EQ(Backup(),
              "REGEDIT4\r\n\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App\\Server]\r\n@=\"C:\\\\gone.dll\"\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App\\Server\\A]\r\n\"bin\"=hex:01,02,\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App\\Server\\A\\A1]\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App\\Server\\A\\A1\\Deep]\r\n"
              "\"n\"=dword:7\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App\\Server\\B]\r\n"
              "\r\n");
    EXPECT_FALSE(m.HasKey(key));
    EXPECT_TRUE(m.HasKey(kApp));
    EXPECT_EQ(result.Changed, 1);
}

TEST_F(RepairExecutor, ChangesATextValueAndBacksUpTheOldText) {
    m.Text(kApp, "Exe", "C:\\Old\\app.exe");
    m.ValueFinding(kApp, "Exe", false, "C:\\New\\app.exe");
    const RepairResult result = Repair();
    EXPECT_THAT(Backup(), HasSubstr("\"Exe\"=\"C:\\\\Old\\\\app.exe\"\r\n"));
    RawValue value;
    ASSERT_TRUE(m.HasValue(kApp, "Exe", &value));
    EXPECT_EQ(value, SzValue("C:\\New\\app.exe"));
    EXPECT_EQ(result.Changed, 1);
}

// A changed value keeps the kind of text it is: an expandable path stays expandable (Windows
// expands it when it reads it), a plain one stays plain; other types become plain text. The
// backup holds the old value with its own type.
TEST(RepairExecutorTypes, AChangedTextValueKeepsItsType) {
    struct Case {
        const char* name;
        RawValue before;
        std::string newData;
        RawValue after;
        std::string backupLine;
    };
    const Case cases[] = {
        {"plain text", SzValue("explorer.exe load.exe -dontrunold"), "explorer.exe",
         SzValue("explorer.exe"), "\"V\"=\"explorer.exe load.exe -dontrunold\""},
        {"expandable text", ExpandSzValue("%SystemRoot%\\System32\\shimgapi.dll"),
         "%SystemRoot%\\System32\\webcheck.dll",
         ExpandSzValue("%SystemRoot%\\System32\\webcheck.dll"), "\"V\"=hex(2):25,53,79,73"},
        {"binary", RawValue{registry::kRegBinary, "\x01\x02"s}, "C:\\New\\app.exe",
         SzValue("C:\\New\\app.exe"), "\"V\"=hex:01,02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RepairMachine m;
        m.Raw(kApp, "V", c.before.Type, c.before.Bytes);
        engine::ErrorEntry& entry = m.ValueFinding(kApp, "V", false, c.newData);
        entry.ValueType = registry::kTextType;  // as a lock finding carries it, whatever the type
        const RepairResult result = repair::RepairScanResults(m.State, m.Access, m.BackupPath());
        ASSERT_TRUE(result.Ok()) << result.Error->Message;
        EXPECT_EQ(result.Changed, 1);
        EXPECT_TRUE(result.Failed.empty());
        RawValue value;
        ASSERT_TRUE(m.HasValue(kApp, "V", &value));
        EXPECT_EQ(value, c.after);
        EXPECT_THAT(m.Folder.Read("backup.reg"), HasSubstr(c.backupLine));
    }
}

TEST_F(RepairExecutor, AChangeWinsOverADeletion) {
    m.Text(kApp, "Exe", "C:\\Old\\app.exe");
    m.ValueFinding(kApp, "Exe", true, "C:\\New\\app.exe");
    Repair();
    EXPECT_TRUE(m.HasValue(kApp, "Exe"));
}

TEST_F(RepairExecutor, ANumberValueTakesANumberOrElseText) {
    m.Number(kApp, "Count", 5).Number(kApp, "Where", 9);
    m.ValueFinding(kApp, "Count", false, "-2");
    m.ValueFinding(kApp, "Where", false, "C:\\New\\app.exe");
    const RepairResult result = Repair();
    RawValue value;
    ASSERT_TRUE(m.HasValue(kApp, "Count", &value));
    EXPECT_EQ(value, (RawValue{4, "\xFE\xFF\xFF\xFF"s}));
    ASSERT_TRUE(m.HasValue(kApp, "Where", &value));
    EXPECT_EQ(value, SzValue("C:\\New\\app.exe"));
    EXPECT_EQ(result.Changed, 2);
    ASSERT_EQ(result.StoredAsText.size(), 1u);
    EXPECT_EQ(result.StoredAsText[0].Index, 2);
    EXPECT_THAT(result.StoredAsText[0].What, HasSubstr("\"Where\""));
    EXPECT_THAT(Backup(), HasSubstr("\"Count\"=dword:5\r\n"));
    EXPECT_THAT(Backup(), HasSubstr("\"Where\"=dword:9\r\n"));
}

TEST_F(RepairExecutor, BacksUpValuesExactlyWhateverTheirType) {
    m.Raw(kApp, "Env", 2, SzBytes("%SystemRoot%\\x.dll"))
        .Raw(kApp, "Multi", 7, MultiSzValue({"C:\\a.exe", "C:\\b.exe"}).Bytes)
        .Raw(kApp, "Big", 3, std::string(300, '\x11'))
        .Raw(kApp, "Odd", 4, "\x01\x02"s);
    m.Probes.SetEnv("SystemRoot", "C:\\Windows");
    for (const char* name : {"Env", "Multi", "Big", "Odd"}) m.ValueFinding(kApp, name, true);
    const RegistrySnapshot before = Snapshot(m.Store);
    Repair();
    const std::string backup = Backup();
    EXPECT_THAT(backup, HasSubstr("\"Env\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,78,2e,"
                                  "64,6c,6c,00\r\n"));
    EXPECT_THAT(backup, HasSubstr("\"Multi\"=hex(7):43,3a,5c,61,2e,65,78,65,00,43,3a,5c,62,2e,"
                                  "65,78,65,00,00\r\n"));
    EXPECT_THAT(backup, HasSubstr("\"Odd\"=hex(4):01,02\r\n"));
    const registry::RegFileStatus restored = registry::LoadRegFile(m.BackupPath(), m.Store.Inner);
    ASSERT_TRUE(restored) << restored.Message;
    EXPECT_EQ(Snapshot(m.Store), before);
}

// The case of a user whose program folders have names outside the ANSI code page: the backup
// keeps every name and byte (version 5), and restoring it gives back exactly what was there.
TEST_F(RepairExecutor, ValuesOutsideTheCodePageAreBackedUpExactlyInVersion5) {
    const std::string key = "HKEY_CURRENT_USER\\Software\\UniTest\\Sub\xE6\x9D\x8E";
    m.Text(key, "cjk", "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe")
        .Text(key, "\xE5\x90\x8D\xE5\x89\x8D", "C:\\Apps\\\xE7\x8E\x8B\\app.exe")
        .Text(key, "greek", "C:\\Apps\\\xCE\xA9mega\\app.exe")
        .Raw(key, "odd", 7, "A\0B"s)
        .Raw(key, "lone", 1, "\0\xD8\0\0"s);
    m.ValueHit(key, "cjk", false, "C:\\New\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe");
    m.ValueHit(key, "\xE5\x90\x8D\xE5\x89\x8D", true);
    m.ValueHit(key, "greek", false, "C:\\New\\app.exe");
    m.ValueHit(key, "odd", true);
    m.ValueHit(key, "lone", true);
    const RegistrySnapshot before = Snapshot(m.Store);
    const RepairResult result = RepairCustom();
    EXPECT_EQ(result.Changed, 5);
    RawValue value;
    ASSERT_TRUE(m.HasValue(key, "cjk", &value));
    EXPECT_EQ(value, SzValue("C:\\New\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe"));

    const std::string backup = Backup();
    ASSERT_TRUE(backup.starts_with("\xFF\xFE"));
    EXPECT_EQ(backup.find("?"), std::string::npos);
    EXPECT_NE(backup.find(Utf16("\"cjk\"=\"C:\\\\Apps\\\\\xE6\x9D\x8E\xE6\x98\x8E\\\\app.exe\"")),
              std::string::npos);
    EXPECT_NE(backup.find(Utf16("\"odd\"=hex(7):41,00,42\r\n")), std::string::npos);
    repair::StoreImporter importer(m.Store);
    ASSERT_TRUE(importer.Import(m.BackupPath()));
    const RegistrySnapshot after = Snapshot(m.Store);
    EXPECT_TRUE(after == before) << DescribeDifference(after, before);
}

TEST_F(RepairExecutor, ABackupStaysRegedit4InACodePageThatHoldsItsNames) {
    const std::string key = "HKEY_CURRENT_USER\\Software\\\xD0\x9F\xD1\x80\xD0\xB8";
    m.Text(key, "\xD0\xB2", "\xD0\x9F");
    m.ValueFinding(key, "\xD0\xB2", true);
    std::string error;
    const std::unique_ptr<CodePage> cyrillic = OpenCodePage(1251, error);
    ASSERT_TRUE(cyrillic) << error;
    repair::RepairOptions options;
    options.BackupCodePage = cyrillic.get();
    const RegistrySnapshot before = Snapshot(m.Store);
    const RepairResult result =
        repair::RepairScanResults(m.State, m.Access, m.BackupPath(), options);
    ASSERT_TRUE(result.Ok()) << result.Error->Message;
    EXPECT_EQ(result.Changed, 1);
    EXPECT_EQ(Backup(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\\xCF\xF0\xE8]\r\n"
                        "\"\xE2\"=\"\xCF\"\r\n\r\n");
    repair::StoreImporter importer(m.Store, cyrillic.get());
    ASSERT_TRUE(importer.Import(m.BackupPath()));
    EXPECT_EQ(Snapshot(m.Store), before);
}

TEST_F(RepairExecutor, AValueGoneSinceTheScanIsBackedUpAsTheScanReadIt) {
    m.Text(kApp, "Was", "C:\\x.exe");
    m.ValueFinding(kApp, "Was", true);
    m.Access.DeleteValue(registry::kLocalMachine, "Software\\Vendor\\App", "Was");
    const RepairResult result = Repair();
    EXPECT_THAT(Backup(), HasSubstr("[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\r\n"
                                    "\"Was\"=\"C:\\\\x.exe\"\r\n\r\n"));
    EXPECT_EQ(result.Unchanged, 1);
    EXPECT_EQ(result.Changed, 0);
}

TEST_F(RepairExecutor, NeverDeletesProtectedKeys) {
    const char* protectedKeys[] = {
        "HKEY_LOCAL_MACHINE\\Software",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft",
        "HKEY_CURRENT_USER\\Software\\SomeVendor",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
        "HKEY_LOCAL_MACHINE\\Software\\Classes\\clsid",
        "HKEY_USERS\\S-1-5-21\\Software\\Classes",
        "HKEY_USERS\\S-1-5-21\\Software\\Microsoft",
    };
    const std::string removable = std::string(kApp) + "\\Removable";
    m.Key(removable);
    for (const char* key : protectedKeys) {
        m.Text(std::string(key) + "\\Child", "v", "1");
        m.KeyFinding(key);
    }
    m.KeyFinding(removable);
    const std::size_t count = std::size(protectedKeys);
    const RepairResult result = Repair();
    ASSERT_EQ(result.Skipped.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(protectedKeys[i]);
        EXPECT_TRUE(m.HasKey(protectedKeys[i]));
        EXPECT_TRUE(m.HasValue(std::string(protectedKeys[i]) + "\\Child", "v"));
        EXPECT_EQ(result.Skipped[i].Index, static_cast<std::int32_t>(i + 1));
        EXPECT_THAT(result.Skipped[i].Reason, HasSubstr("never deleted"));
        EXPECT_THAT(Backup(), ::testing::Not(HasSubstr(std::string("[") + protectedKeys[i] + "]")));
    }
    EXPECT_FALSE(m.HasKey(removable));
    EXPECT_EQ(result.Changed, 1);
}

TEST(RepairGuard, ProtectionReasons) {
    struct Case {
        const char* name;
        registry::RootKey root;
        const char* path;
        bool protectedKey;
    };
    const Case cases[] = {
        {"a root", registry::kCurrentUser, "", true},
        {"one level", registry::kLocalMachine, "Software", true},
        {"one level with trailing backslash", registry::kLocalMachine, "Software\\", true},
        {"two levels", registry::kLocalMachine, "Software\\Microsoft", true},
        {"three levels, ordinary", registry::kLocalMachine, "Software\\Vendor\\App", false},
        {"container by last component", registry::kCurrentUser, "A\\B\\C\\Uninstall", true},
        {"container in another case", registry::kCurrentUser, "A\\B\\C\\APP PATHS", true},
        {"below a container", registry::kCurrentUser, "A\\B\\Uninstall\\Product", false},
        {"two-component ending", registry::kLocalMachine, "Software\\Microsoft\\Windows\\Help",
         true},
        {"second component only", registry::kLocalMachine, "Software\\Vendor\\Help", false},
        {"a class id below CLSID", registry::kLocalMachine, "Software\\Classes\\CLSID\\{0000-1111}",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(repair::IsProtectedKey(c.root, c.path), c.protectedKey);
    }
}

TEST_F(RepairExecutor, AFailingChangeIsListedAndTheNextEntryGoesOn) {
    const std::string locked = std::string(kApp) + "\\Locked";
    m.Text(kApp, "Stuck", "a").Text(kApp, "Gone", "b").Text(kApp, "Frozen", "c");
    m.Key(locked + "\\Child");
    m.Store.RefuseDeleteValue.insert("Stuck");
    m.Store.RefuseWrite.insert("Frozen");
    m.Store.RefuseDeleteKey.insert("Child");
    m.ValueFinding(kApp, "Stuck", true);
    m.KeyFinding(locked);
    m.ValueFinding(kApp, "Frozen", false, "C:\\new.exe");
    m.ValueFinding(std::string(kApp) + "\\Missing", "v", false, "C:\\new.exe");
    m.ValueFinding(kApp, "Gone", true);
    const RepairResult result = Repair();
    std::vector<std::int32_t> failed;
    for (const auto& note : result.Failed) failed.push_back(note.Index);
    EXPECT_THAT(failed, ElementsAre(1, 2, 3, 4));
    EXPECT_THAT(result.Failed[0].Reason, HasSubstr("could not be deleted"));
    EXPECT_THAT(result.Failed[1].What, HasSubstr("key " + locked));
    EXPECT_THAT(result.Failed[2].Reason, HasSubstr("could not be written"));
    EXPECT_THAT(result.Failed[3].Reason, HasSubstr("does not exist"));
    EXPECT_FALSE(m.HasValue(kApp, "Gone"));
    EXPECT_EQ(result.Changed, 1);
    EXPECT_TRUE(m.HasValue(kApp, "Stuck"));
    EXPECT_TRUE(m.HasKey(locked + "\\Child"));
}

TEST_F(RepairExecutor, EntriesThatCannotBeBackedUpAreSkipped) {
    const std::string bad = std::string(kApp) + "\\Line\nBreak";
    m.Key(bad);
    m.Text(kApp, "ok", "1");
    m.KeyFinding(bad);
    m.ValueFinding(kApp, "ok", true);
    const RepairResult result = Repair();
    ASSERT_EQ(result.Skipped.size(), 1u);
    EXPECT_EQ(result.Skipped[0].Index, 1);
    EXPECT_THAT(result.Skipped[0].Reason, HasSubstr("cannot be backed up"));
    EXPECT_TRUE(m.HasKey(bad));
    EXPECT_FALSE(m.HasValue(kApp, "ok"));
}

TEST(RepairProgress, RoundsHalvesToEvenAndStopsAt100) {
    struct Case {
        std::int64_t step;
        std::int32_t marked;
        std::int32_t percent;
    };
    const Case cases[] = {
        {1, 4, 12},  {3, 4, 38},   {5, 4, 62}, {1, 3, 17}, {2, 3, 33},  {1, 1, 50},
        {2, 1, 100}, {10, 1, 100}, {0, 5, 0},  {7, 0, 0},  {1, 200, 0}, {3, 200, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.step) + " of 2*" + std::to_string(c.marked));
        EXPECT_EQ(repair::RepairProgress(c.step, c.marked), c.percent);
    }
}

TEST_F(RepairExecutor, ProgressRunsThroughBothPassesWithinBounds) {
    for (int i = 0; i < 10; ++i) m.Text(kApp, "v" + std::to_string(i), "x");
    for (int i = 0; i < 10; ++i) m.ValueFinding(kApp, "v" + std::to_string(i), i == 6);
    std::vector<std::int32_t> seen;
    m.State.YieldHook = [&] { seen.push_back(m.State.ProgressPercent); };
    m.State.ProgressPercent = 0;
    Repair();
    // Backup entries 1-10, then apply entries 1-10 (C = 1): i*100/2 and (1+i)*100/2.
    EXPECT_THAT(seen, ElementsAre(50, 100, 100, 100, 100, 100, 100, 100, 100, 100,  //
                                  100, 100, 100, 100, 100, 100, 100, 100, 100, 100));

    RepairMachine three;
    for (int i = 0; i < 4; ++i) three.Text(kApp, "v" + std::to_string(i), "x");
    for (int i = 0; i < 4; ++i) three.ValueFinding(kApp, "v" + std::to_string(i), i != 2);
    std::vector<std::int32_t> steps;
    three.State.YieldHook = [&] { steps.push_back(three.State.ProgressPercent); };
    ASSERT_TRUE(repair::RepairScanResults(three.State, three.Access, three.BackupPath()).Ok());
    EXPECT_THAT(steps, ElementsAre(17, 33, 50, 67, 67, 83, 100, 100));
}

TEST_F(RepairExecutor, DoneComesOnceWithTask2AfterEveryChange) {
    m.Text(kApp, "v", "x");
    m.ValueFinding(kApp, "v", true);
    repair::SetBackupPath(m.State, m.BackupPath());
    int calls = 0;
    m.State.StopRequested = true;  // left over from a cancelled scan
    repair::RunRepair(m.State, m.Access, [&](bool canceled, int task) {
        ++calls;
        EXPECT_FALSE(canceled);
        EXPECT_EQ(task, 2);
        EXPECT_FALSE(m.HasValue(kApp, "v"));
        EXPECT_TRUE(m.Folder.Read("backup.reg").starts_with("REGEDIT4\r\n"));
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(m.State.BackupPath, m.BackupPath());
}

// ---- custom hits ---------------------------------------------------------------------------

TEST_F(RepairExecutor, CustomHitsAreDeletedReplacedOrSkipped) {
    const std::string keyHit = std::string(kApp) + "\\Hit";
    const std::string replaceOnly = std::string(kApp) + "\\ReplaceOnly";
    m.Text(kApp, "del", "abc").Number(kApp, "num", 3).Text(keyHit, "x", "1");
    m.Text(replaceOnly, "y", "2");
    m.ValueHit(kApp, "del", true);
    m.ValueHit(kApp, "num", false, "abc");
    m.KeyHit(keyHit, true);
    m.KeyHit(replaceOnly, false, "abc");
    repair::SetBackupPath(m.State, m.BackupPath());
    std::vector<int> tasks;
    const RepairResult result =
        repair::RunCustomRepair(m.State, m.Access, [&](bool, int task) { tasks.push_back(task); });
    ASSERT_TRUE(result.Ok());
    EXPECT_THAT(tasks, ElementsAre(2));
    EXPECT_FALSE(m.HasValue(kApp, "del"));
    RawValue value;
    ASSERT_TRUE(m.HasValue(kApp, "num", &value));
    EXPECT_EQ(value, SzValue("abc"));
    EXPECT_FALSE(m.HasKey(keyHit));
    EXPECT_TRUE(m.HasValue(replaceOnly, "y"));
    ASSERT_EQ(result.Skipped.size(), 1u);
    EXPECT_EQ(result.Skipped[0].Index, 4);
    EXPECT_EQ(result.Marked, 4);
    // A replaced value's block has no closing empty line; the number is backed up as a number.
    EXPECT_EQ(Backup(),
              "REGEDIT4\r\n\r\n"
              // Values of one key in a row share its key line.
              "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\r\n\"del\"=\"abc\"\r\n"
              "\"num\"=dword:3\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App\\Hit]\r\n\"x\"=\"1\"\r\n"
              "\r\n");
}

TEST_F(RepairExecutor, CustomDefaultValueAndNamesWithBackslashes) {
    m.Text(kApp, "", "default").Text(kApp, "a\\b", "slash");
    m.ValueHit(kApp, "", true);
    m.ValueHit(kApp, "a\\b", false, "new");
    const RepairResult result = RepairCustom();
    EXPECT_EQ(result.Changed, 2);
    EXPECT_FALSE(m.HasValue(kApp, ""));
    RawValue value;
    ASSERT_TRUE(m.HasValue(kApp, "a\\b", &value));
    EXPECT_EQ(value, SzValue("new"));
    EXPECT_THAT(Backup(), HasSubstr("[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\r\n"
                                    "@=\"default\"\r\n\"a\\\\b\"=\"slash\"\r\n"));
}

// ---- preview -------------------------------------------------------------------------------

TEST_F(RepairExecutor, PreviewCountsWhatEachDeletionRemoves) {
    const std::string tree = std::string(kApp) + "\\Tree";
    m.Text(tree, "a", "1").Text(tree, "b", "2").Text(tree + "\\S", "c", "3").Key(tree + "\\T");
    m.Text(kApp, "v", "x");
    m.KeyFinding(tree);
    m.ValueFinding(kApp, "v", true);
    m.ValueFinding(kApp, "v", false, "C:\\y");
    m.KeyFinding("HKEY_LOCAL_MACHINE\\Software\\Vendor");
    m.ValueFinding(kApp, "unmarked", false);
    const RegistrySnapshot before = Snapshot(m.Store);
    const auto items = repair::PreviewScanRepair(m.State, m.Access);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].Change, repair::ChangeKind::DeleteKey);
    EXPECT_EQ(items[0].KeysRemoved, 3);
    EXPECT_EQ(items[0].ValuesRemoved, 3);
    EXPECT_EQ(items[1].Change, repair::ChangeKind::DeleteValue);
    EXPECT_EQ(items[1].ValuesRemoved, 1);
    EXPECT_EQ(items[2].Change, repair::ChangeKind::SetValue);
    EXPECT_EQ(items[2].KeysRemoved + items[2].ValuesRemoved, 0);
    EXPECT_THAT(items[3].SkipReason, HasSubstr("never deleted"));
    EXPECT_EQ(items[3].KeysRemoved, 0);
    EXPECT_EQ(Snapshot(m.Store), before);
    EXPECT_FALSE(std::filesystem::exists(m.BackupPath()));
}

}  // namespace
}  // namespace hivewarden::testing
