// A Windows installation mounted as a folder, as the command line sees it: the real hives laid
// out as Windows lays them out (names in other cases than Windows spells them), a small drive
// with some of the files their values name. The scan finds what is missing and nothing that
// exists, a repair and the restore of its backup give back every key and value byte for byte,
// and the hives that must not be written are refused with nothing written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "store/hive/hive_store.h"
#include "support/cli_runner.h"
#include "support/hive_fixtures.h"
#include "support/raw_values.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kAppPaths = "Microsoft\\Windows\\CurrentVersion\\App Paths\\";

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << "x";
}

void SetValue(registry::RegistryStore& hive, const std::string& key, const std::string& name,
              const registry::RawValue& value) {
    const registry::StoreHandle handle = hive.Create(0, key);
    ASSERT_NE(handle, 0u) << key;
    ASSERT_TRUE(hive.Write(handle, name, value));
    hive.Close(handle);
}

class WindowsRootTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The host spells the folders in its own case; Windows finds them all the same.
        config_ = root_ / "WINDOWS" / "system32" / "Config";
        ASSERT_TRUE(MakeEmptyHive(config_ / "software"));
        ASSERT_TRUE(UnpackHive("SYSTEM", config_ / "SYSTEM"));
        ntuser_ = root_ / "Users" / "anna" / "ntuser.dat";
        ASSERT_TRUE(UnpackHive("NTUSER.DAT", ntuser_));
        std::string error;
        auto software = registry::OpenHiveFile((config_ / "software").string(), error);
        ASSERT_TRUE(software) << error;
        SetValue(*software, "Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
                 SzValue("C:\\WINDOWS"));
        SetValue(*software, "Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir (x86)",
                 SzValue("C:\\Program Files (x86)"));
        const std::string profiles = "Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
        SetValue(*software, profiles, "ProfilesDirectory", ExpandSzValue("%SystemDrive%\\Users"));
        SetValue(*software, profiles + "\\S-1-5-21-1-2-3-1001", "ProfileImagePath",
                 ExpandSzValue("C:\\Users\\anna"));
        SetValue(*software, profiles + "\\S-1-5-18", "ProfileImagePath",
                 ExpandSzValue("%systemroot%\\system32\\config\\systemprofile"));
        const struct {
            const char* Key;
            registry::RawValue Value;
        } kEntries[] = {
            {"app.exe", SzValue("C:\\Program Files\\App\\app.exe")},
            {"gone.exe", SzValue("C:\\Program Files\\Gone\\gone.exe")},
            {"tool.exe", ExpandSzValue("%ProgramFiles(x86)%\\Tool\\tool.exe")},
            {"oldtool.exe", ExpandSzValue("%ProgramFiles(x86)%\\OldTool\\old.exe")},
            {"notepad.exe", ExpandSzValue("%windir%\\notepad.exe")},
        };
        for (const auto& entry : kEntries) {
            SetValue(*software, std::string(kAppPaths) + entry.Key, "", entry.Value);
        }
        ASSERT_TRUE(software->Commit(error)) << error;
        // Drive C: some of the files the values name, spelt in other cases.
        Touch(root_ / "program files" / "APP" / "App.exe");
        Touch(root_ / "Program Files (x86)" / "tool" / "TOOL.EXE");
        Touch(root_ / "WINDOWS" / "NOTEPAD.EXE");
    }

    std::vector<std::string> Base() const {
        return {"--windows-root", root_.string(), "--program-folder", program_.Folder()};
    }
    CliResult Run(std::vector<std::string> args) const {
        const bool path = args.front() == "path";
        for (const std::string& arg : Base()) args.push_back(arg);
        if (path) args.resize(args.size() - 2);  // no program folder
        return RunCli(args);
    }
    std::map<fs::path, std::pair<std::string, fs::file_time_type>> Snapshot() const {
        std::map<fs::path, std::pair<std::string, fs::file_time_type>> files;
        for (const auto& entry : fs::recursive_directory_iterator(root_)) {
            if (entry.is_regular_file()) {
                files[entry.path()] = {FileBytes(entry.path()), entry.last_write_time()};
            }
        }
        return files;
    }

    TempFolder tmp_;
    TempFolder program_;
    fs::path root_ = tmp_.HostPath("win");
    fs::path config_;
    fs::path ntuser_;
};

TEST_F(WindowsRootTest, TheScanFindsWhatIsMissingAndNothingThatExists) {
    const CliResult scan = Run({"scan", "--app-paths", "--json"});
    ASSERT_EQ(scan.Code, 0) << scan.Err;
    const nlohmann::json json = nlohmann::json::parse(scan.Out);
    std::vector<std::string> found;
    for (const auto& finding : json["findings"]) found.push_back(finding.dump());
    const std::string all = ::testing::PrintToString(found);
    EXPECT_EQ(found.size(), 2u) << all;
    EXPECT_THAT(all, HasSubstr("gone.exe"));
    EXPECT_THAT(all, HasSubstr("oldtool.exe"));
    for (const char* present : {"\\\\app.exe", "\\\\tool.exe", "notepad.exe"}) {
        EXPECT_THAT(all, Not(HasSubstr(present))) << present;
    }
}

TEST_F(WindowsRootTest, TheEnvironmentComesFromTheHives) {
    const CliResult env = Run({"path", "--env"});
    ASSERT_EQ(env.Code, 0) << env.Err;
    for (const char* line : {"SystemRoot=C:\\WINDOWS\n", "ProgramFiles=C:\\Program Files\n",
                             "ProgramFiles(x86)=C:\\Program Files (x86)\n",
                             "USERPROFILE=C:\\Users\\anna\n", "USERNAME=anna\n",
                             "APPDATA=C:\\Users\\anna\\AppData\\Roaming\n"}) {
        EXPECT_THAT(env.Out, HasSubstr(line));
    }
}

TEST_F(WindowsRootTest, RepairThenRestoreGivesBackEveryKeyAndValue) {
    const HiveContents software = ReadHiveContents(config_ / "software");
    const HiveContents user = ReadHiveContents(ntuser_);
    const CliResult clean = Run({"clean", "--app-paths", "--backup", "proof"});
    ASSERT_EQ(clean.Code, 0) << clean.Err << clean.Out;
    // Only the hive that changed is named as written.
    EXPECT_THAT(clean.Out, HasSubstr("Registry written to " + (config_ / "software").string() +
                                     "\n"))
        << clean.Out;
    // The invalid paths' values are gone, the valid ones kept, nothing else touched.
    HiveContents repaired = ReadHiveContents(config_ / "software");
    EXPECT_TRUE(repaired[std::string(kAppPaths) + "gone.exe"].Values.empty());
    EXPECT_TRUE(repaired[std::string(kAppPaths) + "oldtool.exe"].Values.empty());
    HiveContents expected = software;
    expected[std::string(kAppPaths) + "gone.exe"].Values.clear();
    expected[std::string(kAppPaths) + "oldtool.exe"].Values.clear();
    EXPECT_TRUE(repaired == expected);
    EXPECT_TRUE(ReadHiveContents(ntuser_) == user);

    const CliResult restore = Run({"backups", "restore", "proof"});
    ASSERT_EQ(restore.Code, 0) << restore.Err << restore.Out;
    EXPECT_TRUE(ReadHiveContents(config_ / "software") == software);
    EXPECT_TRUE(ReadHiveContents(ntuser_) == user);
}

TEST_F(WindowsRootTest, SeveralUsersAreListedAndOneMustBeChosen) {
    Touch(root_ / "Users" / "bob" / "NTUSER.DAT");
    std::string error;
    auto software = registry::OpenHiveFile((config_ / "software").string(), error);
    ASSERT_TRUE(software) << error;
    SetValue(*software, "Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-1-2-3-1002",
             "ProfileImagePath", ExpandSzValue("C:\\Users\\bob"));
    ASSERT_TRUE(software->Commit(error)) << error;
    const CliResult scan = Run({"scan", "--app-paths"});
    EXPECT_EQ(scan.Code, 1);
    EXPECT_THAT(scan.Err, HasSubstr("choose one with --user NAME: anna, bob"));
    const CliResult chosen = Run({"path", "--env", "--user", "ANNA"});
    EXPECT_EQ(chosen.Code, 0) << chosen.Err;
    EXPECT_THAT(chosen.Out, HasSubstr("USERPROFILE=C:\\Users\\anna\n"));
    const CliResult unknown = Run({"scan", "--user", "carol"});
    EXPECT_EQ(unknown.Code, 1);
    EXPECT_THAT(unknown.Err, HasSubstr("no user profile named carol"));
}

// Each hive that must not be written makes the repair refuse before anything is written: no
// backup, no hive touched; the scan still reads it, with a warning.
TEST_F(WindowsRootTest, UnsafeHivesAreRefusedWithNothingWritten) {
    struct Case {
        const char* Name;
        const char* Fixture;  // replaces the user's hive
        const char* Reason;
    };
    const Case kCases[] = {
        {"dirty", "transactions_NTUSER.DAT", "567 and 566"},
        {"damaged", "corrupted_system_hive", "is damaged"},
    };
    for (const Case& c : kCases) {
        ASSERT_TRUE(UnpackHive(c.Fixture, ntuser_));
        const auto before = Snapshot();
        const CliResult clean = Run({"clean", "--app-paths", "--backup", c.Name});
        EXPECT_EQ(clean.Code, 1) << c.Name;
        EXPECT_THAT(clean.Err, HasSubstr("refused to change the registry")) << c.Name;
        EXPECT_THAT(clean.Err, HasSubstr(ntuser_.string())) << c.Name;
        EXPECT_THAT(clean.Err, HasSubstr(c.Reason)) << c.Name;
        EXPECT_TRUE(Snapshot() == before) << c.Name;
        EXPECT_TRUE(fs::is_empty(program_.Folder())) << c.Name;
        const CliResult scan = Run({"scan", "--app-paths"});
        EXPECT_EQ(scan.Code, 0) << c.Name << scan.Err;
        EXPECT_THAT(scan.Err, HasSubstr("warning: ")) << c.Name;
        EXPECT_THAT(scan.Err, HasSubstr("HKEY_CURRENT_USER is read only")) << c.Name;
    }
}

TEST_F(WindowsRootTest, HiveOptionsNeedAnInstallationAndWellFormedMounts) {
    const CliResult none = RunCli({"scan", "--windows-root", tmp_.Folder()});
    EXPECT_EQ(none.Code, 1);
    EXPECT_THAT(none.Err, HasSubstr("holds no Windows installation"));
    const CliResult badMount = RunCli({"scan", "--hive", "HKXX\\A=/x"});
    EXPECT_EQ(badMount.Code, 1);
    EXPECT_THAT(badMount.Err, HasSubstr("does not start with a root key"));
    const CliResult output = Run({"clean", "--output", tmp_.File("x.reg")});
    EXPECT_EQ(output.Code, 1);
    EXPECT_THAT(output.Err, HasSubstr("hive files are changed in place"));
    // --hive mounts one file where it is told.
    const CliResult mounted =
        RunCli({"search", "tcpip.sys", "--hive", "HKLM\\SYSTEM=" + (config_ / "SYSTEM").string()});
    EXPECT_EQ(mounted.Code, 0) << mounted.Err;
    EXPECT_THAT(mounted.Out,
                HasSubstr("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\services\\Tcpip"));
}

}  // namespace
}  // namespace hivewarden::testing
