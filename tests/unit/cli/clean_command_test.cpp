// `hivewarden clean`, `repair --from` and `backups` through the command-line dispatcher, on a
// copy of the sample machine's registry and program folder: a clean repairs what the grid
// would delete and writes the result to a .reg file; a second scan finds only what was left
// at Ignore; restoring the backup brings every finding back. Edited scan JSON drives repair,
// dry runs change nothing, and bad names, bad input and failing backups stop before anything
// is written. A registry of names in many scripts goes through clean, search and restore
// without losing a byte, and REGEDIT4 files of other code pages are read with --codepage.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/app.h"
#include "files/host_path.h"
#include "store/memory_store.h"
#include "regfile/regfile.h"
#include "repair/backup_catalogue.h"
#include "support/cli_runner.h"
#include "support/lnk_builder.h"
#include "support/raw_values.h"
#include "support/registry_snapshot.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using Json = nlohmann::json;

fs::path SampleMachine() {
    return fs::path(HW_TEST_DATA "/../../examples/sample-machine").lexically_normal();
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// A finding as the comparisons see it.
using FindingKey = std::tuple<std::string, std::string, std::string>;

std::vector<FindingKey> Keys(const Json& findings) {
    std::vector<FindingKey> keys;
    for (const Json& finding : findings) {
        keys.emplace_back(finding.at("KeyPath"), finding.at("ItemName"), finding.at("ItemData"));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

Json FindingsWithAction(const Json& findings, const std::string& action) {
    Json chosen = Json::array();
    for (const Json& finding : findings) {
        if (finding.at("Action") == action) chosen.push_back(finding);
    }
    return chosen;
}

std::size_t CountOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The sample machine's registry and program folder copied to a temporary folder; drive C: is
// the sample's own (read only: nothing here deletes shortcut files there).
class CleanCommandTest : public ::testing::Test {
  protected:
    CleanCommandTest() {
        const fs::path machine = SampleMachine();
        hklm_ = tmp_.File("HKLM.reg");
        hkcu_ = tmp_.File("HKCU.reg");
        fs::copy_file(machine / "registry" / "HKLM.reg", hklm_);
        fs::copy_file(machine / "registry" / "HKCU.reg", hkcu_);
        fs::create_directory(tmp_.File("program"));
        for (const char* file : {"Ignore.ini", "TrojanDef.ini", "TrojanLock.ini"}) {
            fs::copy_file(machine / "program" / file, fs::path(tmp_.File("program")) / file);
        }
        program_ = (fs::path(tmp_.File("program")) / "").string();
        original_ = ReadBytes(hklm_) + ReadBytes(hkcu_);
    }

    std::vector<std::string> Registry() const { return {"--registry", hklm_, "--registry", hkcu_}; }

    // The README's machine: drive C:, the Windows directory, machine.env, the program folder.
    std::vector<std::string> Machine() const {
        const fs::path machine = SampleMachine();
        std::vector<std::string> args = {"--drive", "C=" + (machine / "drive_c").string(),
                                         "--windows-dir", "C:\\Windows"};
        std::istringstream env(ReadBytes(machine / "machine.env"));
        std::string line;
        while (std::getline(env, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line.front() == '#') continue;
            args.push_back("--env=" + line);
        }
        args.push_back("--program-folder");
        args.push_back(program_);
        return args;
    }

    CliResult Run(const std::string& command, std::vector<std::string> registry,
                  const std::vector<std::string>& tail) const {
        std::vector<std::string> args = {command};
        args.insert(args.end(), registry.begin(), registry.end());
        const std::vector<std::string> machine = Machine();
        args.insert(args.end(), machine.begin(), machine.end());
        args.insert(args.end(), tail.begin(), tail.end());
        return RunCli(args);
    }

    Json Scan(std::vector<std::string> registry) const {
        const CliResult r = Run("scan", std::move(registry), {"--json"});
        EXPECT_EQ(r.Code, cli::kExitOk) << r.Err;
        return Json::parse(r.Out);
    }

    std::vector<std::string> Backups() const {
        std::vector<std::string> names;
        std::string error;
        EXPECT_TRUE(repair::ListBackups(program_, names, error)) << error;
        return names;
    }

    // The registry files are what they were when copied.
    bool RegistryUnchanged() const { return ReadBytes(hklm_) + ReadBytes(hkcu_) == original_; }

    // The edited scan JSON as a file.
    std::string WriteFindings(const Json& scan) const {
        const std::string path = tmp_.File("edited.json");
        WriteBytes(path, scan.dump(2));
        return path;
    }

    static Json& Finding(Json& scan, const std::string& itemName) {
        for (Json& finding : scan.at("findings")) {
            if (finding.at("ItemName") == itemName) return finding;
        }
        ADD_FAILURE() << "no finding " << itemName;
        return scan;
    }

    static std::size_t Position(const Json& scan, const std::string& itemName) {
        const Json& findings = scan.at("findings");
        for (std::size_t i = 0; i < findings.size(); ++i) {
            if (findings[i].at("ItemName") == itemName) return i + 1;
        }
        return 0;
    }

    TempFolder tmp_;
    std::string hklm_;
    std::string hkcu_;
    std::string program_;
    std::string original_;
};

TEST_F(CleanCommandTest, CleanRepairsAndRestoringItsBackupBringsEveryFindingBack) {
    const Json first = Scan(Registry());
    const Json& findings = first.at("findings");
    const Json ignored = FindingsWithAction(findings, "Ignore");
    // The sample leaves three excluded rows, four start-up rows and two rows on drives it does
    // not have at Ignore, and gives Winlogon's Userinit the data Windows ships.
    ASSERT_EQ(ignored.size(), 9u);
    const std::size_t toDelete = FindingsWithAction(findings, "Delete").size();
    const std::size_t toChange = FindingsWithAction(findings, "Change Value").size();
    ASSERT_EQ(toChange, 1u);
    ASSERT_EQ(toDelete + toChange + ignored.size(), findings.size());

    const std::string repaired = tmp_.File("repaired.reg");
    const CliResult clean = Run("clean", Registry(), {"--backup", "first", "--output", repaired});
    ASSERT_EQ(clean.Code, cli::kExitOk) << clean.Err;
    EXPECT_THAT(clean.Out, HasSubstr("Kestovar Hivewarden will repair " +
                                     std::to_string(toDelete + toChange) + " errors.\n"));
    EXPECT_THAT(clean.Out, HasSubstr("Backup: " + program_ + "first.reg\n"));
    EXPECT_THAT(clean.Out, HasSubstr(" 0 skipped, 0 failed\n"));
    EXPECT_THAT(clean.Out, HasSubstr("Registry written to " + repaired + "\n"));
    EXPECT_EQ(Backups(), std::vector<std::string>{"first.reg"});
    EXPECT_TRUE(RegistryUnchanged());

    // A second scan finds exactly what was left at Ignore, and the shortcuts, never deleted.
    const Json second = Scan({"--registry", repaired});
    EXPECT_EQ(second.at("findings").size(), ignored.size());
    EXPECT_EQ(Keys(second.at("findings")), Keys(ignored));
    EXPECT_EQ(FindingsWithAction(second.at("findings"), "Ignore").size(), ignored.size());
    EXPECT_EQ(second.at("shortcuts").size(), first.at("shortcuts").size());

    const std::string restored = tmp_.File("restored.reg");
    const CliResult restore = RunCli({"backups", "--program-folder", program_, "restore", "first",
                                      "--registry", repaired, "--output", restored});
    ASSERT_EQ(restore.Code, cli::kExitOk) << restore.Err;
    EXPECT_EQ(restore.Out,
              "Restored " + program_ + "first.reg\nRegistry written to " + restored + "\n");

    const Json third = Scan({"--registry", restored});
    EXPECT_EQ(Keys(third.at("findings")), Keys(findings));
    EXPECT_EQ(third.at("counters"), first.at("counters"));

    // Key for key and byte for byte the registry of before.
    registry::MemoryStore before;
    registry::MemoryStore after;
    ASSERT_TRUE(registry::LoadRegFile(hklm_, before));
    ASSERT_TRUE(registry::LoadRegFile(hkcu_, before));
    ASSERT_TRUE(registry::LoadRegFile(restored, after));
    EXPECT_TRUE(Snapshot(before) == Snapshot(after));
}

TEST_F(CleanCommandTest, DryRunListsTheRepairAndChangesNothing) {
    const Json scan = Scan(Registry());
    const std::size_t toDelete = FindingsWithAction(scan.at("findings"), "Delete").size();
    const std::string output = tmp_.File("out.reg");
    const CliResult r =
        Run("clean", Registry(), {"--dry-run", "--backup", "dry", "--output", output});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("Dry run: the backup would be " + program_ +
                                 "dry.reg; nothing was changed.\n"));
    // One line per finding to delete: the values, and the class keys with their subkey.
    EXPECT_EQ(CountOf(r.Out, ": delete ("), toDelete);
    EXPECT_THAT(r.Out, HasSubstr("key HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Kestrel Labs\\Launcher\\"
                                 "Extensions\\CLSID\\"
                                 "{88F87616-444C-8508-BC53-CF096EC66A9F}: delete (2 keys, "));
    EXPECT_THAT(r.Out, HasSubstr("; 0 left alone\n"));
    EXPECT_THAT(Backups(), IsEmpty());
    EXPECT_FALSE(fs::exists(output));
    EXPECT_TRUE(RegistryUnchanged());
}

TEST_F(CleanCommandTest, RepairAppliesTheActionsOfEditedScanJson) {
    Json scan = Scan(Registry());
    Json& change = Finding(scan, "File5");
    ASSERT_EQ(change.at("Action"), "Delete");
    ASSERT_EQ(change.at("CanChange"), 1);
    const std::string oldData = change.at("ItemData");
    change["Action"] = "Change Value";
    change["FixedValue"] = "C:\\Neu\\Caf\xC3\xA9.doc";  // UTF-8 in the JSON
    // A new value left in rows whose action is not Change Value changes nothing: the ignored
    // row keeps its data, the deleted one is deleted (a row on a drive the machine does not
    // have starts at Ignore; the user chose Delete for it).
    Json& ignored = Finding(scan, "DownloadDir");
    ASSERT_EQ(ignored.at("Action"), "Ignore");
    ignored["Action"] = "ignore";
    ignored["FixedValue"] = "D:\\Elsewhere";
    Json& deleted = Finding(scan, "SourcePath");
    ASSERT_EQ(deleted.at("Action"), "Ignore");
    deleted["Action"] = "Delete";
    deleted["FixedValue"] = "F:\\";
    const std::size_t toRepair = scan.at("findings").size() -
                                 FindingsWithAction(scan.at("findings"), "Ignore").size() -
                                 FindingsWithAction(scan.at("findings"), "ignore").size();

    const std::string output = tmp_.File("out.reg");
    const CliResult r =
        Run("repair", Registry(),
            {"--from", WriteFindings(scan), "--backup", "edited", "--output", output});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("Kestovar Hivewarden will repair " + std::to_string(toRepair) +
                                 " errors.\nBackup: " + program_ + "edited.reg\n"));
    EXPECT_TRUE(RegistryUnchanged());

    registry::MemoryStore store;
    ASSERT_TRUE(registry::LoadRegFile(output, store));
    auto value = [&store](registry::RootKey root, const std::string& path,
                          const std::string& name) -> std::optional<registry::RawValue> {
        const registry::StoreHandle key = store.Open(root, path);
        registry::RawValue raw;
        const bool read = key != 0 && store.Read(key, name, raw);
        if (key != 0) store.Close(key);
        return read ? std::optional(raw) : std::nullopt;
    };
    EXPECT_EQ(value(registry::kCurrentUser, "Software\\Inkwell Software\\Inkwell\\Recent File List",
                    "File5"),
              SzValue("C:\\Neu\\Caf\xC3\xA9.doc"));
    EXPECT_EQ(value(registry::kCurrentUser, "Software\\Orbit Software\\Orbit Net\\Settings",
                    "DownloadDir"),
              SzValue("D:\\Downloads"));
    EXPECT_EQ(value(registry::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup",
                    "SourcePath"),
              std::nullopt);

    // The backup holds the old data of the changed value and nothing of the ignored one.
    // The sample's HKCU holds names beyond code page 1252, so its backup is a version 5 file.
    const std::string bytes = ReadBytes(program_ + "edited.reg");
    const std::string backup =
        bytes.rfind("\xFF\xFE", 0) == 0 ? Utf8FromUtf16Le(bytes.substr(2)) : bytes;
    std::string escaped;
    for (char c : oldData) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_THAT(backup, HasSubstr("\"File5\"=\"" + escaped + "\"\r\n"));
    EXPECT_THAT(backup, Not(HasSubstr("DownloadDir")));
}

TEST_F(CleanCommandTest, RepairRefusesBrokenFindingsBeforeWritingAnything) {
    const Json scan = Scan(Registry());
    const std::string file5 = std::to_string(Position(scan, "File5"));
    const std::string h1 = std::to_string(Position(scan, "{88F87616-444C-8508-BC53-CF096EC66A9F}"));
    const std::string workspace = std::to_string(Position(scan, "Workspace"));
    struct Case {
        const char* Name;
        std::function<std::string(Json)> Edit;  // the file's text
        std::string Message;
    };
    const Case kCases[] = {
        {"not JSON", [](Json) { return std::string("{\"findings\": ["); }, "not valid JSON"},
        {"no findings list", [](Json) { return std::string("{\"caption\": \"x\"}"); },
         "no \"findings\" list"},
        {"missing field",
         [](Json j) {
             Finding(j, "File5").erase("KeyPath");
             return j.dump();
         },
         "finding " + file5 + ": \"KeyPath\" is missing"},
        {"missing action",
         [](Json j) {
             Finding(j, "File5").erase("Action");
             return j.dump();
         },
         "finding " + file5 + ": \"Action\" is missing"},
        {"wrong type",
         [](Json j) {
             Finding(j, "File5")["EntryKind"] = "one";
             return j.dump();
         },
         "finding " + file5 + ": \"EntryKind\" is not a whole number"},
        {"unknown action",
         [](Json j) {
             Finding(j, "File5")["Action"] = "Remove";
             return j.dump();
         },
         "finding " + file5 + ": unknown \"Action\" \"Remove\""},
        {"change without a new value",
         [](Json j) {
             Finding(j, "File5")["Action"] = "Change Value";
             return j.dump();
         },
         "finding " + file5 + ": \"Change Value\" needs the new value in \"FixedValue\""},
        {"change on a key",
         [](Json j) {
             Json& key = Finding(j, "{88F87616-444C-8508-BC53-CF096EC66A9F}");
             key["Action"] = "Change Value";
             key["FixedValue"] = "C:\\x.dll";
             return j.dump();
         },
         "finding " + h1 + ": \"Change Value\" has no meaning for a key finding"},
        {"change on a locked row",
         [](Json j) {
             Json& excluded = Finding(j, "Workspace");
             excluded["Action"] = "Change Value";
             excluded["FixedValue"] = "C:\\Projects";
             return j.dump();
         },
         "finding " + workspace + ": \"Change Value\" is not offered for this finding"},
        {"root of another key",
         [](Json j) {
             Finding(j, "File5")["RootKey"] = 0x80000002u;
             return j.dump();
         },
         "finding " + file5 + ": \"RootKey\" is not the root that \"KeyPath\" names"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        const std::string path = tmp_.File("edited.json");
        WriteBytes(path, c.Edit(scan));
        const std::string output = tmp_.File("out.reg");
        const CliResult r =
            Run("repair", Registry(), {"--from", path, "--backup", "edited", "--output", output});
        EXPECT_EQ(r.Code, cli::kExitUsage);
        EXPECT_THAT(r.Err, HasSubstr(path + ": " + c.Message));
        EXPECT_EQ(r.Out, "");
        EXPECT_THAT(Backups(), IsEmpty());
        EXPECT_FALSE(fs::exists(output));
        // A case that failed leaves nothing behind for the next one.
        fs::remove(output);
        fs::remove(program_ + "edited.reg");
    }
    EXPECT_TRUE(RegistryUnchanged());
}

TEST_F(CleanCommandTest, GuardedKeysAreListedAndLeftAlone) {
    Json scan = Scan(Registry());
    Json& key = Finding(scan, "{88F87616-444C-8508-BC53-CF096EC66A9F}");
    ASSERT_EQ(key.at("EntryKind"), 2);
    const std::string clsid = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Classes\\CLSID";
    key["KeyPath"] = clsid;
    const std::string from = WriteFindings(scan);
    const std::string output = tmp_.File("out.reg");

    const CliResult dry = Run("repair", Registry(),
                              {"--from", from, "--backup", "guard", "--output", output, "--dry-run"});
    ASSERT_EQ(dry.Code, cli::kExitOk) << dry.Err;
    EXPECT_THAT(dry.Out, HasSubstr("  key " + clsid + ": left alone ("));
    EXPECT_THAT(dry.Out, HasSubstr("; 1 left alone\n"));
    EXPECT_THAT(Backups(), IsEmpty());

    const CliResult r =
        Run("repair", Registry(), {"--from", from, "--backup", "guard", "--output", output});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("Skipped: key " + clsid + ": "));
    EXPECT_THAT(r.Out, HasSubstr(" 1 skipped, 0 failed\n"));
    registry::MemoryStore store;
    ASSERT_TRUE(registry::LoadRegFile(output, store));
    const registry::StoreHandle handle =
        store.Open(registry::kLocalMachine, "SOFTWARE\\Wow6432Node\\Classes\\CLSID");
    EXPECT_NE(handle, 0u);
    if (handle != 0) store.Close(handle);
}

TEST_F(CleanCommandTest, BadBackupNamesStopBeforeAnythingIsWritten) {
    const std::string from = WriteFindings(Scan(Registry()));
    const std::string output = tmp_.File("out.reg");
    const char* kNames[] = {"..\\outside", "../outside", "sub/name", "CON",
                            "com1.txt",    "name.",      "a*b",      ""};
    for (const char* name : kNames) {
        for (const char* command : {"clean", "repair"}) {
            SCOPED_TRACE(std::string(command) + " --backup \"" + name + "\"");
            std::vector<std::string> tail = {"--backup", name, "--output", output};
            if (std::string(command) == "repair") {
                tail.insert(tail.end(), {"--from", from});
            }
            const CliResult r = Run(command, Registry(), tail);
            EXPECT_EQ(r.Code, cli::kExitUsage);
            EXPECT_THAT(r.Err, HasSubstr("invalid backup name"));
            EXPECT_EQ(r.Out, "");  // refused before the scan
            EXPECT_FALSE(fs::exists(output));
        }
    }
    EXPECT_THAT(Backups(), IsEmpty());
    EXPECT_FALSE(fs::exists(tmp_.File("outside.reg")));
    EXPECT_TRUE(RegistryUnchanged());
}

TEST_F(CleanCommandTest, AnExistingBackupNameInAnyCaseIsRefused) {
    WriteBytes(program_ + "First.REG", "old backup");
    const std::string output = tmp_.File("out.reg");
    const CliResult r = Run("clean", Registry(), {"--backup", "first", "--output", output});
    EXPECT_EQ(r.Code, cli::kExitUsage);
    EXPECT_THAT(r.Err, HasSubstr("The entered name already exist. Please select another (" +
                                 program_ + "First.REG)"));
    EXPECT_EQ(r.Out, "");  // refused before the scan
    EXPECT_EQ(ReadBytes(program_ + "First.REG"), "old backup");
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(CleanCommandTest, ABackupFolderThatCannotBeWrittenIsRefusedBeforeAnythingIsWritten) {
    const std::string from = WriteFindings(Scan(Registry()));
    const std::string output = tmp_.File("out.reg");
    const std::string missing =
        tmp_.File("missing") + std::string(1, fs::path::preferred_separator);
    std::vector<std::string> args = {
        "repair", "--from", from, "--backup", "b", "--output", output, "--program-folder", missing};
    const std::vector<std::string> registry = Registry();
    args.insert(args.end(), registry.begin(), registry.end());
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.Code, cli::kExitUsage);
    EXPECT_THAT(r.Err, HasSubstr("cannot write the backup to " + missing));
    EXPECT_EQ(r.Out, "");
    EXPECT_FALSE(fs::exists(output));
    EXPECT_TRUE(RegistryUnchanged());
}

TEST_F(CleanCommandTest, BackupsAreListedRemovedAndLookedUpByName) {
    for (const char* name : {"b.reg", "A.REG", "c.reg"})
        WriteBytes(program_ + name, "REGEDIT4\r\n");
    const CliResult list = RunCli({"backups", "list", "--program-folder", program_});
    ASSERT_EQ(list.Code, cli::kExitOk) << list.Err;
    EXPECT_EQ(list.Out, "A.REG\nb.reg\nc.reg\n");

    const CliResult remove = RunCli({"backups", "--program-folder", program_, "remove", "B"});
    ASSERT_EQ(remove.Code, cli::kExitOk) << remove.Err;
    EXPECT_EQ(remove.Out, "Removed " + program_ + "b.reg\n");
    EXPECT_EQ(Backups(), (std::vector<std::string>{"A.REG", "c.reg"}));

    struct Case {
        const char* Name;
        std::vector<std::string> Args;
        std::string Message;
    };
    const Case kCases[] = {
        {"remove unknown", {"remove", "b"}, "no backup \"b\" in " + program_},
        {"restore unknown",
         {"restore", "c", "nothing", "--registry", hkcu_},
         "no backup \"nothing\" in " + program_},
        {"restore into several files",
         {"restore", "c", "--registry", hklm_, "--registry", hkcu_},
         "several --registry files were loaded; give --output FILE.reg"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> args = {"backups", "--program-folder", program_};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.Code, cli::kExitUsage);
        EXPECT_THAT(r.Err, HasSubstr(c.Message));
    }
    EXPECT_EQ(Backups(), (std::vector<std::string>{"A.REG", "c.reg"}));
    EXPECT_TRUE(RegistryUnchanged());
}

// A machine of its own, whose drive C: may be changed: one stale value, one file that
// exists, and one shortcut whose target is gone.
class SmallMachineTest : public ::testing::Test {
  protected:
    SmallMachineTest() {
        fs::create_directories(fs::path(tmp_.File("c")) / "Desktop");
        fs::create_directory(tmp_.File("program"));
        program_ = (fs::path(tmp_.File("program")) / "").string();
        WriteBytes(fs::path(tmp_.File("c")) / "present.txt", "here");
        LnkSpec link;
        link.Info = LnkLinkInfo{};
        link.Info->LocalBase = "C:\\Gone\\app.exe";
        shortcut_ = (fs::path(tmp_.File("c")) / "Desktop" / "Gone.lnk").string();
        WriteBytes(shortcut_, BuildLnk(link));
        registry_ = tmp_.Write("one.reg",
                               "REGEDIT4\r\n\r\n"
                               "[HKEY_CURRENT_USER\\Software\\Vendor\\App]\r\n"
                               "\"Tool\"=\"C:\\\\Gone\\\\tool.exe\"\r\n"
                               "\"Here\"=\"C:\\\\present.txt\"\r\n\r\n");
        other_ = tmp_.Write("two.reg",
                            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Vendor]\r\n"
                            "\"Name\"=\"Vendor\"\r\n\r\n");
    }

    CliResult Clean(std::vector<std::string> tail) const {
        std::vector<std::string> args = {"clean",   "--registry",          registry_,
                                         "--drive", "C=" + tmp_.File("c"), "--program-folder",
                                         program_};
        args.insert(args.end(), tail.begin(), tail.end());
        return RunCli(args);
    }

    TempFolder tmp_;
    std::string program_;
    std::string shortcut_;
    std::string registry_;
    std::string other_;
};

TEST_F(SmallMachineTest, ShortcutFilesAreDeletedOnlyWhenTold) {
    const CliResult kept = Clean({"--delete-all", "--backup", "all"});
    ASSERT_EQ(kept.Code, cli::kExitOk) << kept.Err;
    EXPECT_THAT(kept.Out, HasSubstr("Kestovar Hivewarden will repair 2 errors.\n"));
    EXPECT_THAT(kept.Out, HasSubstr("Kept 1 shortcut file marked Delete"));
    EXPECT_TRUE(fs::exists(shortcut_));

    // The message names the host file too.
    const std::string host = fs::canonical(shortcut_).string();
    const CliResult removed = Clean({"--delete-all", "--delete-shortcuts", "--backup", "again"});
    ASSERT_EQ(removed.Code, cli::kExitOk) << removed.Err;
    EXPECT_THAT(removed.Out, HasSubstr("Deleted shortcut: C:\\Desktop\\Gone.lnk (" + host + ")\n"));
    EXPECT_FALSE(fs::exists(shortcut_));
    // Shortcut files are never in the backup.
    EXPECT_THAT(ReadBytes(program_ + "again.reg"), Not(HasSubstr("Gone")));
}

TEST_F(SmallMachineTest, RepairDeletesShortcutFilesMarkedDeleteOnlyWhenTold) {
    const CliResult scan = RunCli({"scan", "--registry", registry_, "--drive",
                                   "C=" + tmp_.File("c"), "--program-folder", program_, "--json"});
    ASSERT_EQ(scan.Code, cli::kExitOk) << scan.Err;
    Json edited = Json::parse(scan.Out);
    ASSERT_EQ(edited.at("shortcuts").size(), 1u);
    edited["shortcuts"][0]["Action"] = "Delete";
    const std::string from = tmp_.File("edited.json");
    WriteBytes(from, edited.dump());
    auto repair = [&](const std::string& backup, std::vector<std::string> tail) {
        std::vector<std::string> args = {"repair",
                                         "--from",
                                         from,
                                         "--backup",
                                         backup,
                                         "--registry",
                                         registry_,
                                         "--drive",
                                         "C=" + tmp_.File("c"),
                                         "--output",
                                         tmp_.File("x.reg"),
                                         "--program-folder",
                                         program_};
        args.insert(args.end(), tail.begin(), tail.end());
        return RunCli(args);
    };

    const CliResult kept = repair("first", {});
    ASSERT_EQ(kept.Code, cli::kExitOk) << kept.Err;
    EXPECT_THAT(kept.Out, HasSubstr("Kept 1 shortcut file marked Delete"));
    EXPECT_TRUE(fs::exists(shortcut_));

    const CliResult dry = repair("dry", {"--dry-run", "--delete-shortcuts"});
    ASSERT_EQ(dry.Code, cli::kExitOk) << dry.Err;
    EXPECT_THAT(dry.Out, HasSubstr("  shortcut C:\\Desktop\\Gone.lnk: delete (not backed up)\n"));
    EXPECT_TRUE(fs::exists(shortcut_));

    const std::string host = fs::canonical(shortcut_).string();
    const CliResult removed = repair("second", {"--delete-shortcuts"});
    ASSERT_EQ(removed.Code, cli::kExitOk) << removed.Err;
    EXPECT_THAT(removed.Out, HasSubstr("Deleted shortcut: C:\\Desktop\\Gone.lnk (" + host + ")\n"));
    EXPECT_FALSE(fs::exists(shortcut_));
}

TEST_F(SmallMachineTest, TheSingleRegistryFileIsWrittenBackAndSeveralNeedAnOutput) {
    const CliResult several = Clean({"--registry", other_, "--backup", "b"});
    EXPECT_EQ(several.Code, cli::kExitUsage);
    EXPECT_THAT(several.Err, HasSubstr("several --registry files were loaded"));
    EXPECT_EQ(several.Out, "");

    const std::string before = ReadBytes(registry_);
    const CliResult r = Clean({"--backup", "b"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("Registry written to " + registry_ + "\n"));
    const std::string after = ReadBytes(registry_);
    EXPECT_THAT(after, Not(HasSubstr("\"Tool\"")));
    EXPECT_THAT(after, HasSubstr("\"Here\"=\"C:\\\\present.txt\""));
    EXPECT_THAT(ReadBytes(program_ + "b.reg"), HasSubstr("\"Tool\"=\"C:\\\\Gone\\\\tool.exe\""));

    // Restoring into the same single file without --output writes it back there.
    const CliResult restore = RunCli(
        {"backups", "restore", "b.reg", "--registry", registry_, "--program-folder", program_});
    ASSERT_EQ(restore.Code, cli::kExitOk) << restore.Err;
    registry::MemoryStore original;
    registry::MemoryStore restored;
    ASSERT_TRUE(registry::ParseRegFile(before, "before").Status);
    ASSERT_TRUE(registry::ApplyRegFile(registry::ParseRegFile(before, "before").File, original));
    ASSERT_TRUE(registry::LoadRegFile(registry_, restored));
    EXPECT_TRUE(Snapshot(original) == Snapshot(restored));
}

TEST_F(SmallMachineTest, ARestoreThatWouldDeleteABranchIsRefusedWhole) {
    const std::string before = ReadBytes(registry_);
    WriteBytes(program_ + "wipe.reg",
               "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vendor\\App]\r\n\"New\"=\"1\"\r\n\r\n"
               "[-HKEY_LOCAL_MACHINE\\Software]\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Vendor\\App\\X]\r\n");
    for (const bool allow : {false, true}) {
        std::vector<std::string> args = {"backups", "restore", "wipe", "--registry", registry_,
                                         "--program-folder", program_};
        if (allow) args.push_back("--allow-deletions");
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.Code, cli::kExitUsage);
        EXPECT_THAT(r.Err, HasSubstr("refused: " + program_ +
                                     "wipe.reg:6: [-HKEY_LOCAL_MACHINE\\Software] (a "));
        EXPECT_THAT(r.Err, HasSubstr("wipe.reg:8: [-HKEY_CURRENT_USER\\Software\\Vendor\\App\\X]"));
        EXPECT_THAT(r.Err, HasSubstr("nothing was restored"));
        EXPECT_EQ(ReadBytes(registry_), before);
    }
}

TEST_F(SmallMachineTest, NothingToFixWritesNoBackup) {
    const CliResult r = Clean({"--options", "1024", "--no-shortcuts"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("No errors to fix!\n"));
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(repair::ListBackups(program_, names, error)) << error;
    EXPECT_THAT(names, IsEmpty());
}

// A registry of names in many scripts (the version 5 fixture of the .reg reader tests: CJK,
// Greek, Arabic and emoji in keys, value names and data, the keys Software\UniTest\测试 and
// \测验 that an ANSI conversion would make one, odd byte counts, an unterminated and an empty
// string, lone surrogates) over a drive C: whose folders have such names too.
class MultiScriptMachineTest : public ::testing::Test {
  protected:
    MultiScriptMachineTest() {
        registry_ = tmp_.File("machine.reg");
        fs::copy_file(HW_TEST_DATA "/regfile/multiscript_v5.reg", registry_);
        original_ = ReadBytes(registry_);
        const fs::path c = tmp_.HostPath("c");
        for (const char* folder : {"Apps/\xE6\x9D\x8E\xE6\x98\x8E", "Apps/\xCE\xA9mega",
                                   "Apps/\xF0\x9F\x98\x80"}) {
            const fs::path host = c / registry::ToHostPath(folder);
            fs::create_directories(host);
            WriteBytes(host / "app.exe", "MZ");
        }
        fs::create_directories(c / "Users/x/Desktop/test");
        // %APPDATA%\Jürgen\李 of the default user, which exists.
        fs::create_directories(
            c / registry::ToHostPath("Users/User/AppData/Roaming/J\xC3\xBCrgen/\xE6\x9D\x8E"));
        WriteBytes(c / registry::ToHostPath(
                           "Users/x/Desktop/test/\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9.txt"),
                   "t");
        fs::create_directory(tmp_.File("program"));
        program_ = (fs::path(tmp_.File("program")) / "").string();
    }

    RegistrySnapshot Original() const {
        registry::MemoryStore store;
        EXPECT_TRUE(registry::ApplyRegFile(registry::ParseRegFile(original_, "original").File,
                                           store));
        return Snapshot(store);
    }

    static RegistrySnapshot Load(const std::string& path) {
        registry::MemoryStore store;
        const registry::RegFileStatus status = registry::LoadRegFile(path, store);
        EXPECT_TRUE(status) << status.Message;
        return Snapshot(store);
    }

    TempFolder tmp_;
    std::string registry_;
    std::string original_;
    std::string program_;
};

constexpr const char* kUniTest = "HKEY_CURRENT_USER\\Software\\UniTest";
constexpr const char* kBackupName = "\xE5\xA4\x87\xE4\xBB\xBD";  // 备份

TEST_F(MultiScriptMachineTest, CleanDeletesOnlyWhatIsMissingAndNeverMergesTwoKeys) {
    const CliResult r = RunCli({"clean", "--registry", registry_, "--drive", "C=" + tmp_.File("c"),
                                "--program-folder", program_, "--options", "1", "--no-shortcuts",
                                "--backup", kBackupName});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("Kestovar Hivewarden will repair 1 errors.\n"));
    EXPECT_THAT(r.Out, HasSubstr("Registry written to " + registry_ + "\n"));
    // Written back as version 5: both keys are there, only the missing path is gone.
    ASSERT_TRUE(ReadBytes(registry_).starts_with("\xFF\xFE"));
    const RegistrySnapshot after = Load(registry_);
    RegistrySnapshot expected = Original();
    expected[std::string(kUniTest) + "\\Sub\xE6\x9D\x8E"].Values.erase("missing");
    EXPECT_TRUE(after == expected) << DescribeDifference(after, expected);
    EXPECT_EQ(after.count(std::string(kUniTest) + "\\\xE6\xB5\x8B\xE8\xAF\x95"), 1u);
    EXPECT_EQ(after.count(std::string(kUniTest) + "\\\xE6\xB5\x8B\xE9\xAA\x8C"), 1u);

    // The backup, named in CJK, is found as typed and restores the file byte for byte.
    ASSERT_TRUE(fs::exists(registry::ToHostPath(program_ + kBackupName + ".reg")));
    const CliResult restore = RunCli({"backups", "--program-folder", program_, "restore",
                                      kBackupName, "--registry", registry_});
    ASSERT_EQ(restore.Code, cli::kExitOk) << restore.Err;
    EXPECT_EQ(ReadBytes(registry_), original_);
}

TEST_F(MultiScriptMachineTest, SearchDeleteSaveAndRestoreGiveBackEveryByte) {
    const std::string saved = tmp_.File("saved.reg");
    const CliResult search = RunCli({"search", "--registry", registry_, "--program-folder",
                                     program_, "--delete", "--backup", kBackupName,
                                     "--save-registry", saved, "\\Apps\\"});
    ASSERT_EQ(search.Code, cli::kExitOk) << search.Err;
    EXPECT_EQ(ReadBytes(registry_), original_);  // --save-registry writes elsewhere
    ASSERT_TRUE(ReadBytes(saved).starts_with("\xFF\xFE"));
    const RegistrySnapshot deleted = Load(saved);
    EXPECT_EQ(deleted.at(kUniTest).Values.count("\xE5\x90\x8D\xE5\x89\x8D"), 0u);  // 名前
    EXPECT_EQ(deleted.at(kUniTest).Values.count("odd multi"), 1u);

    const std::string restored = tmp_.File("restored.reg");
    const CliResult restore =
        RunCli({"backups", "--program-folder", program_, "restore", kBackupName, "--registry",
                saved, "--output", restored});
    ASSERT_EQ(restore.Code, cli::kExitOk) << restore.Err;
    const RegistrySnapshot after = Load(restored);
    const RegistrySnapshot before = Original();
    EXPECT_TRUE(after == before) << DescribeDifference(after, before);
}

// REGEDIT4 files of another code page: --codepage reads their names and data exactly; an
// unknown code page is refused.
TEST_F(MultiScriptMachineTest, CodepageReadsRegedit4FilesOfThatCodePage) {
    // HKEY_CURRENT_USER\Software\Привет, "Путь"="C:\Нет\app.exe" in code page 1251.
    const std::string cyrillic =
        tmp_.Write("cp1251.reg",
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\\xCF\xF0\xE8\xE2\xE5\xF2]\r\n"
                   "\"\xCF\xF3\xF2\xFC\"=\"C:\\\\\xCD\xE5\xF2\\\\app.exe\"\r\n\r\n");
    const CliResult r = RunCli({"search", "--registry", cyrillic, "--codepage", "1251", "--json",
                                "\xD0\x9D\xD0\xB5\xD1\x82"});  // Нет
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("C:\\\\\xD0\x9D\xD0\xB5\xD1\x82\\\\app.exe"));
    EXPECT_THAT(r.Out, HasSubstr("\xD0\x9F\xD1\x83\xD1\x82\xD1\x8C"));  // Путь

    const CliResult unknown =
        RunCli({"search", "--registry", cyrillic, "--codepage", "99999", "x"});
    EXPECT_EQ(unknown.Code, cli::kExitUsage);
    EXPECT_THAT(unknown.Err, HasSubstr("--codepage 99999: unknown code page 99999"));
}

}  // namespace
}  // namespace hivewarden::testing
