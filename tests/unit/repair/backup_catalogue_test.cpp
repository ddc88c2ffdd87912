// The backup catalogue: proposed names, the check of a typed name, the duplicate warning, the
// folder's list of backups and its order, look-up and removal; and the restore: the program's
// own importer applying a backup (hex(N) forms and deletions included) and the hand-over of
// chosen backups in the order given.
#include "repair/backup_catalogue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "store/memory_store.h"
#include "files/shell_open.h"
#include "repair/backup_restore.h"
#include "support/local_time.h"
#include "support/raw_values.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(BackupCatalogue, ProposedNamesAreDateAndTimeWithoutLeadingZeros) {
    struct Case {
        const char* Name;
        std::tm Now;
        const char* Scan;
        const char* Custom;
    };
    const Case kCases[] = {
        {"evening", LocalTime(4, 12, 2026, 21, 5, 3), "4-12-2026-21-5-3", "4-12-2026-21-5"},
        {"midnight of new year", LocalTime(1, 1, 2000, 0, 0, 0), "1-1-2000-0-0-0", "1-1-2000-0-0"},
        {"last second of a year", LocalTime(31, 12, 1999, 23, 59, 59), "31-12-1999-23-59-59",
         "31-12-1999-23-59"},
        {"two-digit fields", LocalTime(10, 10, 2010, 10, 10, 10), "10-10-2010-10-10-10",
         "10-10-2010-10-10"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(repair::ProposedBackupName(c.Now), c.Scan);
        EXPECT_EQ(repair::ProposedCustomBackupName(c.Now), c.Custom);
    }
}

TEST(BackupCatalogue, ValidNamesPass) {
    const std::string kNames[] = {
        "first",
        "4-12-2026-21-5-3",
        "before the update",
        "Caf\xC3\xA9",
        "\xE6\x9D\x8E\xE6\x98\x8E",              // CJK
        "\xCE\xA9mega \xF0\x9F\x98\x80",         // Greek and an emoji
        "\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9",  // Arabic
        "COM\xC2\xB9x",  // a superscript digit makes a device only right after COM
        // 251 CJK characters are 753 bytes but fit a file name of 255 characters.
        [] {
            std::string name;
            for (int i = 0; i < 251; ++i) name += "\xE5\x90\x8D";
            return name;
        }(),
        "a.b",
        "console",  // CON only as a whole name or before a dot
        "COM0",     // COM1-COM9 only
        "COM10",
        "LPT",
        " leading blank",
        std::string(repair::kMaxBackupFileName - 4, 'x'),
    };
    for (const std::string& name : kNames) {
        SCOPED_TRACE(name);
        EXPECT_EQ(repair::ValidateBackupName(name), std::nullopt);
    }
}

TEST(BackupCatalogue, NamesThatCannotNameABackupFileAreRefused) {
    struct Case {
        const char* Name;
        std::string Text;
        const char* Reason;  // part of the message
    };
    const Case kCases[] = {
        {"empty", "", "empty"},
        {"backslash", "..\\evil", "\"\\\", which would put the backup outside the program folder"},
        {"slash", "sub/name", "\"/\", which would put the backup outside the program folder"},
        {"drive colon", "C:name", "\":\", which would put the backup outside"},
        {"parent alone", "..", "\"..\", which would put the backup outside"},
        {"parent inside", "a..b", "\"..\""},
        {"less than", "a<b", "\"<\", which file names cannot hold"},
        {"greater than", "a>b", "\">\""},
        {"double quote", "a\"b", "\"\"\""},
        {"pipe", "a|b", "\"|\""},
        {"question mark", "what?", "\"?\""},
        {"star", "*", "\"*\""},
        {"tab", "a\tb", "control character"},
        {"line feed", "a\nb", "control character"},
        {"trailing dot", "name.", "ends in a dot or a space"},
        {"trailing space", "name ", "ends in a dot or a space"},
        {"console device", "CON", "\"CON\" is the name of a device"},
        {"device in lower case", "nul", "\"nul\" is the name of a device"},
        {"device with extension", "con.txt", "\"con\" is the name of a device"},
        {"device before blank and dot", "aux .old", "\"aux\" is the name of a device"},
        {"printer", "PRN", "device"},
        {"first serial port", "COM1", "device"},
        {"last parallel port", "lpt9.log", "device"},
        {"superscript port", "COM\xC2\xB9", "device"},
        {"superscript port with extension", "lpt\xC2\xB3.txt", "device"},
        {"bytes that are not UTF-8", "Caf\xE9", "not UTF-8"},
        {"too many characters", [] {
             std::string name;
             for (int i = 0; i < 126; ++i) name += "\xF0\x9F\x98\x80";  // two units each
             return name;
         }(), "longer than 251"},
        {"too long", std::string(repair::kMaxBackupFileName - 3, 'x'), "longer than 251"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        const std::optional<std::string> problem = repair::ValidateBackupName(c.Text);
        ASSERT_TRUE(problem.has_value());
        EXPECT_THAT(*problem, HasSubstr(c.Reason));
    }
}

TEST(BackupCatalogue, BackupFileIsProgramFolderNameAndExtension) {
    EXPECT_EQ(repair::BackupFilePath("C:\\Program Files\\Hivewarden\\", "4-12-2026-21-5-3"),
              "C:\\Program Files\\Hivewarden\\4-12-2026-21-5-3.reg");
    EXPECT_EQ(repair::BackupFilePath("/opt/hw/", "first"), "/opt/hw/first.reg");
}

TEST(BackupCatalogue, ListHoldsTheRegFilesSortedByNameWithoutRegardToCase) {
    TempFolder folder;
    for (const char* name :
         {"b.reg", "A.reg", "C.REG", "a1.reg", "notes.txt", "x.reg.tmp-Ab12Cd", "reg"}) {
        folder.Write(name, "REGEDIT4\r\n\r\n");
    }
    fs::create_directory(folder.File("folder.reg"));  // a folder is no backup

    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(repair::ListBackups(folder.Folder(), names, error)) << error;
    // Byte order would put C.REG before a1.reg.
    EXPECT_THAT(names, ElementsAre("A.reg", "a1.reg", "b.reg", "C.REG"));
}

TEST(BackupCatalogue, NamesThatDifferOnlyInCaseAreListedInByteOrder) {
    TempFolder folder;
    folder.Write("b.reg", "");
    folder.Write("a.reg", "");
    folder.Write("A.reg", "");  // a second file only where the file system tells case apart
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(repair::ListBackups(folder.Folder(), names, error)) << error;
    if (names.size() == 3) {
        EXPECT_THAT(names, ElementsAre("A.reg", "a.reg", "b.reg"));
    } else {
        EXPECT_THAT(names, ElementsAre("a.reg", "b.reg"));
    }
}

TEST(BackupCatalogue, EmptyAndMissingFolders) {
    TempFolder folder;
    std::vector<std::string> names = {"left over"};
    std::string error;
    ASSERT_TRUE(repair::ListBackups(folder.Folder(), names, error)) << error;
    EXPECT_THAT(names, IsEmpty());

    const std::string missing = folder.File("missing") + "/";
    EXPECT_FALSE(repair::ListBackups(missing, names, error));
    EXPECT_THAT(error, HasSubstr(missing));
}

TEST(BackupCatalogue, AnUnusedNameNeverReplacesABackupOfAnyCase) {
    const std::vector<std::string> backups = {"1-1-2026-1-1-1.REG", "1-1-2026-1-1-1-2.reg",
                                              "other.reg"};
    EXPECT_EQ(repair::UnusedBackupName(backups, "fresh"), "fresh");
    EXPECT_EQ(repair::UnusedBackupName(backups, "1-1-2026-1-1-1"), "1-1-2026-1-1-1-3");
    EXPECT_EQ(repair::UnusedBackupName(backups, "OTHER"), "OTHER-2");
    EXPECT_EQ(repair::UnusedBackupName({}, "x"), "x");
}

TEST(BackupCatalogue, ANameThatAnExistingBackupHasInAnyCaseIsReported) {
    EXPECT_EQ(repair::kBackupNameExists, "The entered name already exist. Please select another");
    const std::vector<std::string> backups = {"1-1-2026-1-1-1.REG", "first.reg", "other.reg"};
    EXPECT_THAT(repair::SameNamedBackups(backups, "1-1-2026-1-1-1"),
                ElementsAre("1-1-2026-1-1-1.REG"));
    EXPECT_THAT(repair::SameNamedBackups(backups, "FIRST"), ElementsAre("first.reg"));
    EXPECT_THAT(repair::SameNamedBackups(backups, "1-1-2026-1-1"), IsEmpty());
    EXPECT_THAT(repair::SameNamedBackups(backups, "first.reg"), IsEmpty());
    // Two files of the same name in different case (a case-sensitive file system): one
    // warning each.
    EXPECT_THAT(repair::SameNamedBackups({"x.reg", "X.REG"}, "x"), ElementsAre("x.reg", "X.REG"));
}

TEST(BackupCatalogue, FindBackupTakesNamesWithOrWithoutTheExtension) {
    const std::vector<std::string> backups = {"First.reg", "second.REG", "twin.reg", "TWIN.reg"};
    struct Case {
        const char* Name;
        const char* Given;
        std::optional<std::string> Found;
    };
    const Case kCases[] = {
        {"exact with extension", "First.reg", "First.reg"},
        {"exact without extension", "First", "First.reg"},
        {"other case", "first", "First.reg"},
        {"extension in other case", "second.reg", "second.REG"},
        {"exact one of two in different case", "TWIN", "TWIN.reg"},
        {"ambiguous", "Twin", std::nullopt},
        {"missing", "third", std::nullopt},
        {"part of a name", "Firs", std::nullopt},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(repair::FindBackup(backups, c.Given), c.Found);
    }
}

// Backups named in any script are listed, found as typed (in any case the registry's rule
// folds) and removed.
TEST(BackupCatalogue, NamesInOtherScriptsAreListedFoundAndRemovedAsTyped) {
    const std::string accented = "n\xC3\xA9";                 // né
    const std::string cjk = "\xE5\xA4\x87\xE4\xBB\xBD";        // 备份
    const std::string greek = "\xCE\xB1\xCF\x80\xCF\x8C";      // από
    const std::string greekUpper = "\xCE\x91\xCE\xA0\xCE\x8C";  // ΑΠΌ
    TempFolder folder;
    for (const std::string& name : {accented, cjk, greek}) {
        ASSERT_EQ(repair::ValidateBackupName(name), std::nullopt) << name;
        folder.Write(repair::BackupFilePath("", name), "REGEDIT4\r\n\r\n");
    }
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(repair::ListBackups(folder.Folder(), names, error)) << error;
    EXPECT_THAT(names, ::testing::UnorderedElementsAre(accented + ".reg", cjk + ".reg",
                                                       greek + ".reg"));
    EXPECT_EQ(repair::FindBackup(names, accented), accented + ".reg");
    EXPECT_EQ(repair::FindBackup(names, "N\xC3\x89"), accented + ".reg");  // NÉ
    EXPECT_EQ(repair::FindBackup(names, cjk + ".REG"), cjk + ".reg");
    EXPECT_EQ(repair::FindBackup(names, greekUpper), greek + ".reg");
    EXPECT_THAT(repair::SameNamedBackups(names, greekUpper), ElementsAre(greek + ".reg"));
    ASSERT_TRUE(repair::RemoveBackup(folder.Folder(), *repair::FindBackup(names, cjk)));
    EXPECT_FALSE(fs::exists(folder.HostPath(cjk + ".reg")));
    EXPECT_TRUE(fs::exists(folder.HostPath(greek + ".reg")));
}

TEST(BackupCatalogue, RemoveDeletesTheFileAndNothingElse) {
    TempFolder folder;
    folder.Write("keep.reg", "k");
    folder.Write("drop.reg", "d");
    ASSERT_TRUE(repair::RemoveBackup(folder.Folder(), "drop.reg"));
    EXPECT_FALSE(fs::exists(folder.File("drop.reg")));
    EXPECT_EQ(folder.Read("keep.reg"), "k");
}

TEST(BackupCatalogue, RemoveReportsWhatItCouldNotDo) {
    TempFolder folder;
    fs::create_directory(folder.File("sub.reg"));
    folder.Write("outside.reg", "o");
    struct Case {
        const char* Name;
        const char* File;
        const char* Reason;
    };
    const Case kCases[] = {
        {"gone", "gone.reg", "does not exist"},
        {"a folder", "sub.reg", "it is a folder"},
        {"another folder", "sub.reg/../outside.reg", "not a file of the program folder"},
        {"parent", "..", "not a file of the program folder"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        const registry::FileStatus status = repair::RemoveBackup(folder.Folder(), c.File);
        EXPECT_FALSE(status);
        EXPECT_THAT(status.Message, HasSubstr(folder.Folder() + c.File));
        EXPECT_THAT(status.Message, HasSubstr(c.Reason));
    }
    EXPECT_TRUE(fs::is_directory(folder.File("sub.reg")));
    EXPECT_EQ(folder.Read("outside.reg"), "o");
}

// Reads a value; nothing when the key or the value is missing.
std::optional<registry::RawValue> ValueOf(registry::RegistryStore& store, registry::RootKey root,
                                          const std::string& path, const std::string& name) {
    const registry::StoreHandle key = store.Open(root, path);
    if (key == 0) return std::nullopt;
    registry::RawValue value;
    const bool read = store.Read(key, name, value);
    store.Close(key);
    if (!read) return std::nullopt;
    return value;
}

bool KeyExists(registry::RegistryStore& store, registry::RootKey root, const std::string& path) {
    const registry::StoreHandle key = store.Open(root, path);
    if (key == 0) return false;
    store.Close(key);
    return true;
}

void Put(registry::RegistryStore& store, const std::string& path, const std::string& name,
         std::uint32_t type, const std::string& bytes) {
    const registry::StoreHandle key = store.Create(registry::kCurrentUser, path);
    ASSERT_NE(key, 0u);
    ASSERT_TRUE(store.Write(key, name, {type, bytes}));
    store.Close(key);
}

TEST(BackupRestore, OwnImporterAppliesEveryValueFormAndTheDeletions) {
    registry::MemoryStore store;
    Put(store, "Software\\App", "Path", registry::kRegSz, SzBytes("C:\\New"));
    Put(store, "Software\\App", "Gone", registry::kRegSz, SzBytes("x"));
    Put(store, "Software\\App", "Kept", registry::kRegSz, SzBytes("y"));
    Put(store, "Software\\Old\\Sub", "v", registry::kRegDword, std::string("\1\0\0\0", 4));

    TempFolder folder;
    folder.Write("first.reg",
                 "REGEDIT4\r\n\r\n"
                 "[HKEY_CURRENT_USER\\Software\\App]\r\n"
                 "\"Path\"=\"C:\\\\Old\\\\app.exe\"\r\n"
                 "\"Expand\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,61,00\r\n"
                 "\"Multi\"=hex(7):61,00,62,63,00,00\r\n"
                 "\"Count\"=dword:0000002a\r\n"
                 "\"Blob\"=hex:01,0A,FF,\r\n"
                 "@=\"default\"\r\n"
                 "\"Gone\"=-\r\n"
                 "\r\n"
                 "[-HKEY_CURRENT_USER\\Software\\Old\\Sub]\r\n"
                 "\r\n"
                 "[HKEY_CURRENT_USER\\Software\\App\\Created]\r\n"
                 "\r\n");
    // Deletion lines apply only when asked for (--allow-deletions).
    repair::StoreImporter importer(store, nullptr, true);
    const registry::FileStatus status = importer.Import(folder.File("first.reg"));
    ASSERT_TRUE(status) << status.Message;

    const std::string app = "Software\\App";
    const registry::RootKey cu = registry::kCurrentUser;
    using registry::RawValue;
    EXPECT_EQ(ValueOf(store, cu, app, "Path"), SzValue("C:\\Old\\app.exe"));
    EXPECT_EQ(ValueOf(store, cu, app, "Expand"), ExpandSzValue("%SystemRoot%\\a"));
    EXPECT_EQ(ValueOf(store, cu, app, "Multi"), MultiSzValue({"a", "bc"}));
    EXPECT_EQ(ValueOf(store, cu, app, "Count"),
              (RawValue{registry::kRegDword, std::string("\x2A\0\0\0", 4)}));
    EXPECT_EQ(ValueOf(store, cu, app, "Blob"),
              (RawValue{registry::kRegBinary, std::string("\x01\x0A\xFF", 3)}));
    EXPECT_EQ(ValueOf(store, cu, app, ""), SzValue("default"));
    EXPECT_EQ(ValueOf(store, cu, app, "Gone"), std::nullopt);
    EXPECT_EQ(ValueOf(store, cu, app, "Kept"), SzValue("y"));
    EXPECT_TRUE(KeyExists(store, cu, "Software\\Old"));
    EXPECT_FALSE(KeyExists(store, cu, "Software\\Old\\Sub"));
    EXPECT_TRUE(KeyExists(store, cu, "Software\\App\\Created"));
}

TEST(BackupRestore, OwnImporterAppliesNothingOfAFileThatDoesNotParse) {
    registry::MemoryStore store;
    Put(store, "Software\\App", "Path", registry::kRegSz, SzBytes("C:\\New"));
    TempFolder folder;
    folder.Write("broken.reg",
                 "REGEDIT4\r\n\r\n"
                 "[HKEY_CURRENT_USER\\Software\\App]\r\n"
                 "\"Path\"=\"C:\\\\Old\"\r\n"
                 "\"Bad\"=hex:zz\r\n");
    repair::StoreImporter importer(store);
    const registry::FileStatus status = importer.Import(folder.File("broken.reg"));
    EXPECT_FALSE(status);
    EXPECT_THAT(status.Message, HasSubstr(folder.File("broken.reg") + ":5"));
    EXPECT_EQ(ValueOf(store, registry::kCurrentUser, "Software\\App", "Path"),
              SzValue("C:\\New"));

    const registry::FileStatus missing = importer.Import(folder.File("missing.reg"));
    EXPECT_FALSE(missing);
    EXPECT_THAT(missing.Message, HasSubstr(folder.File("missing.reg")));
}

// Backups of the version 5 form are restored by the program's own importer, every byte of
// names and data included.
TEST(BackupRestore, OwnImporterReadsVersion5Backups) {
    registry::MemoryStore store;
    TempFolder folder;
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\UniTest\\Sub\xE6\x9D\x8E]\r\n"
        "\"\xE5\x90\x8D\xE5\x89\x8D\"=\"C:\\\\Apps\\\\\xE7\x8E\x8B\\\\app.exe\"\r\n"
        "\"odd\"=hex(7):41,00,42\r\n"
        "\r\n";
    folder.Write("wide.reg", "\xFF\xFE" + Utf16(text));
    repair::StoreImporter importer(store);
    const registry::FileStatus status = importer.Import(folder.File("wide.reg"));
    ASSERT_TRUE(status) << status.Message;
    const std::string key = "Software\\UniTest\\Sub\xE6\x9D\x8E";
    EXPECT_EQ(ValueOf(store, registry::kCurrentUser, key, "\xE5\x90\x8D\xE5\x89\x8D"),
              SzValue("C:\\Apps\\\xE7\x8E\x8B\\app.exe"));
    EXPECT_EQ(ValueOf(store, registry::kCurrentUser, key, "odd"),
              (registry::RawValue{registry::kRegMultiSz, std::string("A\0B", 3)}));
}

// Records what it is handed; fails for the paths it is told to.
class RecordingImporter final : public repair::BackupImporter {
  public:
    explicit RecordingImporter(std::string failing) : failing_(std::move(failing)) {}
    registry::FileStatus Import(const std::string& path) override {
        Paths.push_back(path);
        if (path == failing_) return registry::FileStatus::Failure("refused " + path);
        return {};
    }
    std::vector<std::string> Paths;

  private:
    std::string failing_;
};

TEST(BackupRestore, BackupsAreHandedOverByFullPathInTheOrderGiven) {
    RecordingImporter importer("/hw/b.reg");
    const std::vector<repair::RestoreOutcome> outcomes =
        repair::RestoreBackups("/hw/", {"c.reg", "b.reg", "a.reg"}, importer);
    // A failed hand-over does not stop the next one.
    EXPECT_THAT(importer.Paths, ElementsAre("/hw/c.reg", "/hw/b.reg", "/hw/a.reg"));
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_TRUE(outcomes[0].Status);
    EXPECT_FALSE(outcomes[1].Status);
    EXPECT_EQ(outcomes[1].Status.Message, "refused /hw/b.reg");
    EXPECT_EQ(outcomes[1].Path, "/hw/b.reg");
    EXPECT_TRUE(outcomes[2].Status);
}

TEST(BackupRestore, LaterBackupsWinWhenTheyHoldTheSameValue) {
    registry::MemoryStore store;
    TempFolder folder;
    const std::string head = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\App]\r\n";
    folder.Write("early.reg", head + "\"Path\"=\"early\"\r\n\r\n");
    folder.Write("late.reg", head + "\"Path\"=\"late\"\r\n\r\n");
    repair::StoreImporter importer(store);
    for (const auto& [order, expected] :
         {std::pair{std::vector<std::string>{"early.reg", "late.reg"}, "late"},
          std::pair{std::vector<std::string>{"late.reg", "early.reg"}, "early"}}) {
        SCOPED_TRACE(expected);
        for (const repair::RestoreOutcome& outcome :
             repair::RestoreBackups(folder.Folder(), order, importer)) {
            EXPECT_TRUE(outcome.Status) << outcome.Status.Message;
        }
        EXPECT_EQ(ValueOf(store, registry::kCurrentUser, "Software\\App", "Path"),
                  SzValue(expected));
    }
}

TEST(BackupRestore, WithoutADefaultActionTheSystemHandOverFails) {
    if (registry::HasShellOpen()) GTEST_SKIP() << "this system has a default action";
    TempFolder folder;
    const std::string path = folder.Write("first.reg", "REGEDIT4\r\n\r\n");
    repair::ShellImporter importer;
    const registry::FileStatus status = importer.Import(path);
    EXPECT_FALSE(status);
    EXPECT_THAT(status.Message, HasSubstr(path));
}

}  // namespace
}  // namespace hivewarden::testing
