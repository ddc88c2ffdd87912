// The command line on the live registry and file system with names in other scripts: folders
// named in CJK, Greek and with an umlaut hold programs that exist, values point at them and at
// programs that are gone, a key and a value are named in CJK. The scan (run in-process, as
// hivewarden.exe runs it) reports exactly the missing ones with their exact text; a search and
// replace writes a backup that the program's restore and, separately, the registry editor
// import back byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "support/cli_runner.h"
#include "support/raw_values.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;

const std::string kCjkFolder = "\xE6\x9D\x8E\xE6\x98\x8E";      // 李明
const std::string kGreekFolder = "\xCE\xA9mega";                // Ωmega
const std::string kUmlautFolder = "J\xC3\xBCrgen";              // Jürgen
const std::string kMissingFolder = "\xE7\x8E\x8B";              // 王
const std::string kCjkKey = "Sub\xE6\x9D\x8E";                  // Sub李
const std::string kCjkValue = "\xE5\x90\x8D\xE5\x89\x8D";       // 名前
const std::string kBackupName = "\xE5\xA4\x87\xE4\xBB\xBD";     // 备份

// One value of the planted tree: where, its name, its text.
struct Planted {
    std::string Key;  // below the throwaway key ("" for the key itself)
    std::string Name;
    std::string Text;
    bool Missing;  // the path it names is gone
};

// A finding as the comparison needs it: key, value name, data, extracted path.
using Finding = std::tuple<std::string, std::string, std::string, std::string>;

class UnicodeLiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(apps_.Path.empty());
        ASSERT_FALSE(key_.Path.empty());
        program_ = apps_.Path + "\\\xE7\xA8\x8B\xE5\xBA\x8F";  // 程序
        ASSERT_TRUE(MakeFolders(program_));
        for (const std::string& folder : {kCjkFolder, kGreekFolder, kUmlautFolder}) {
            ASSERT_TRUE(MakeFolders(apps_.Path + "\\" + folder));
            ASSERT_TRUE(MakeFile(apps_.Path + "\\" + folder + "\\app.exe", "MZ"));
        }
        const std::string root = apps_.Path + "\\";
        planted_ = {
            {"", "cjk", root + kCjkFolder + "\\app.exe", false},
            {"", "greek", root + kGreekFolder + "\\app.exe", false},
            {"", "umlaut", root + kUmlautFolder + "\\app.exe", false},
            {"", kCjkValue, root + kGreekFolder + "\\" + kCjkValue + ".exe", true},
            {"", "wang", root + kMissingFolder + "\\app.exe", true},
            {kCjkKey, "gone", "\"" + root + kUmlautFolder + "\\gone.exe\" /quiet", true},
        };
        for (const Planted& p : planted_) {
            ASSERT_EQ(SetValueW(HKEY_CURRENT_USER, KeyOf(p), p.Name, REG_SZ, SzBytes(p.Text)),
                      ERROR_SUCCESS)
                << p.Name;
        }
    }

    std::string KeyOf(const Planted& p) const {
        return p.Key.empty() ? key_.Path : key_.Path + "\\" + p.Key;
    }

    // Every planted value's type and bytes as RegQueryValueExW gives them.
    std::map<std::string, std::pair<DWORD, std::string>> ReadPlanted() const {
        std::map<std::string, std::pair<DWORD, std::string>> values;
        for (const Planted& p : planted_) {
            DWORD type = REG_NONE;
            std::string bytes;
            if (QueryValueW(HKEY_CURRENT_USER, KeyOf(p), p.Name, type, bytes)) {
                values[KeyOf(p) + "\\" + p.Name] = {type, bytes};
            }
        }
        return values;
    }

    // search ROOT --replace C:\New --backup NAME: every planted value replaced, after a backup.
    std::string ReplaceAll(const std::string& backupName) {
        const CliResult r = RunCli({"search", apps_.Path, "--replace", "C:\\New", "--backup",
                                    backupName, "--program-folder", program_});
        EXPECT_EQ(r.Code, cli::kExitOk) << r.Err;
        EXPECT_THAT(r.Out, HasSubstr("Repaired: 6 changed, 0 already gone, 0 skipped, 0 failed"))
            << r.Out;
        for (const auto& [name, value] : ReadPlanted()) {
            EXPECT_EQ(value.second, SzBytes("C:\\New")) << name;
        }
        return program_ + "\\" + backupName + ".reg";
    }

    // Waits until the planted values read as `expected` (an import runs on its own).
    bool WaitForValues(const std::map<std::string, std::pair<DWORD, std::string>>& expected) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (ReadPlanted() != expected) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return true;
    }

    ThrowawayFolder apps_{"HivewardenApps-"};
    ThrowawayKey key_{"HivewardenUnicode-"};
    std::string program_;
    std::vector<Planted> planted_;
};

TEST_F(UnicodeLiveTest, TheScanReportsExactlyTheMissingPathsWithTheirExactText) {
    const CliResult r = RunCli({"scan", "--entire-registry", "--no-shortcuts", "--json",
                                "--program-folder", program_});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    const nlohmann::json json = nlohmann::json::parse(r.Out);
    const std::string keyPrefix = "HKEY_CURRENT_USER\\" + key_.Path;
    std::set<Finding> found;
    for (const nlohmann::json& finding : json.at("findings")) {
        const std::string keyPath = finding.at("KeyPath");
        const std::string data = finding.at("ItemData");
        // Nothing anywhere names the programs that exist.
        EXPECT_EQ(data.find(apps_.Path + "\\" + kCjkFolder), std::string::npos) << data;
        if (keyPath.rfind(keyPrefix, 0) != 0) continue;
        found.insert({keyPath, finding.at("ItemName").get<std::string>(), data,
                      finding.at("TargetPath").get<std::string>()});
        EXPECT_EQ(finding.at("Description"), "File not found - " +
                                                 finding.at("TargetPath").get<std::string>());
    }
    const std::string root = apps_.Path + "\\";
    const std::set<Finding> expected = {
        {keyPrefix, kCjkValue, root + kGreekFolder + "\\" + kCjkValue + ".exe",
         root + kGreekFolder + "\\" + kCjkValue + ".exe"},
        {keyPrefix, "wang", root + kMissingFolder + "\\app.exe",
         root + kMissingFolder + "\\app.exe"},
        {keyPrefix + "\\" + kCjkKey, "gone", "\"" + root + kUmlautFolder + "\\gone.exe\" /quiet",
         root + kUmlautFolder + "\\gone.exe"},
    };
    EXPECT_EQ(found, expected);
}

TEST_F(UnicodeLiveTest, ABackupOfAReplaceRestoresEveryValueByteForByte) {
    const auto before = ReadPlanted();
    ASSERT_EQ(before.size(), planted_.size());

    // The program's own restore hands the backup to the system's import, which on Windows asks
    // the user first; Wine imports at once.
    if (RunningUnderWine()) {
        RegFileAssociation association;
        const std::string backup = ReplaceAll(kBackupName);
        // Names no ANSI code page holds: the backup is a version 5 file.
        EXPECT_EQ(FileBytes(backup).rfind("\xFF\xFE", 0), 0u);
        const CliResult list = RunCli({"backups", "--program-folder", program_, "list"});
        EXPECT_THAT(list.Out, HasSubstr(kBackupName + ".reg\n"));
        const CliResult restore =
            RunCli({"backups", "--program-folder", program_, "restore", kBackupName});
        ASSERT_EQ(restore.Code, cli::kExitOk) << restore.Err;
        EXPECT_TRUE(WaitForValues(before));
        EXPECT_EQ(ReadPlanted(), before);
    }

    // The registry editor's own import of such a backup.
    const std::string backup = ReplaceAll(kBackupName + "-regedit");
    DWORD error = 0;
    const int exitCode = RunRegeditImport(backup, error);
    if (exitCode == -1 && error == kErrorElevationRequired) {
        GTEST_SKIP() << "the registry editor needs elevation here";
    }
    ASSERT_EQ(exitCode, 0) << "regedit could not import " << backup << " (error " << error << ")";
    EXPECT_EQ(ReadPlanted(), before);
}

}  // namespace
}  // namespace hivewarden::testing
