// End-to-end runs of `hivewarden scan` over examples/sample-machine, through the command-line
// dispatcher: the default listing and report byte for byte against the files in expected/, the
// driver rows per option mask, and the JSON fields of every finding.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "support/cli_runner.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::UnorderedElementsAreArray;

fs::path SampleMachine() {
    return fs::path(HW_TEST_DATA "/../../examples/sample-machine").lexically_normal();
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << file;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The README's scan command: both roots, drive C:, the Windows directory, one --env per line
// of machine.env and the sample's program folder; no category option, so the default boxes.
std::vector<std::string> SampleScanArguments() {
    const fs::path machine = SampleMachine();
    std::vector<std::string> args = {"scan",
                                     "--registry",
                                     (machine / "registry" / "HKLM.reg").string(),
                                     "--registry",
                                     (machine / "registry" / "HKCU.reg").string(),
                                     "--drive",
                                     "C=" + (machine / "drive_c").string(),
                                     "--windows-dir",
                                     "C:\\Windows"};
    std::istringstream env(ReadBytes(machine / "machine.env"));
    std::string line;
    while (std::getline(env, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        args.push_back("--env=" + line);
    }
    args.push_back("--program-folder");
    args.push_back((machine / "program").string());
    return args;
}

CliResult RunSampleScan(const std::vector<std::string>& extra) {
    std::vector<std::string> args = SampleScanArguments();
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
}

TEST(SampleMachineTest, DefaultScanPrintsTheExpectedListing) {
    const CliResult result = RunSampleScan({});
    ASSERT_EQ(result.Code, cli::kExitOk) << result.Err;
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Out, ReadBytes(SampleMachine() / "expected" / "scan-default.txt"));
}

TEST(SampleMachineTest, DefaultScanWritesTheExpectedReport) {
    const CliResult result = RunSampleScan({"--report", "-"});
    ASSERT_EQ(result.Code, cli::kExitOk) << result.Err;
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Out, ReadBytes(SampleMachine() / "expected" / "report-default.txt"));
}

// Listing rows: the description line (after the 13-column action) and the key line below it;
// the "New value: " line of a Change Value row is skipped.
struct ListedRow {
    std::string Description;
    std::string Key;
    bool operator==(const ListedRow&) const = default;
};

void PrintTo(const ListedRow& row, std::ostream* os) {
    *os << "{" << row.Description << " | " << row.Key << "}";
}

std::vector<ListedRow> ListedRows(const std::string& listing) {
    std::vector<ListedRow> rows;
    std::istringstream in(listing);
    std::string first;
    std::string second;
    const std::string newValue = std::string(13, ' ') + "New value: ";
    while (std::getline(in, first) && !first.empty()) {
        if (first.rfind(newValue, 0) == 0) continue;
        if (!std::getline(in, second)) break;
        rows.push_back({first.substr(13), second.substr(13)});
    }
    return rows;
}

struct DriverCase {
    const char* Name;
    const char* Options;
    std::vector<std::string> Targets;  // of the "Possible Driver Entry" rows
    bool OnlyDrivers;                  // no other row is listed
};

// J1 is missing, J2 exists, J3 is a bare name: an existing driver needs the drivers box, a
// bare name needs the drivers box alone.
TEST(SampleMachineTest, DriverRowsFollowTheDriversBox) {
    const std::string j1 = "C:\\WINDOWS\\system32\\drivers\\dskguard.sys";
    const std::string j2 = "C:\\WINDOWS\\system32\\drivers\\kvflt.sys";
    const std::string j3 = "dskguard.vxd";
    const DriverCase kCases[] = {
        {"drivers alone", "32", {j1, j2, j3}, true},
        {"default boxes", "1759", {j1}, false},
        {"default boxes and drivers", "1791", {j1, j2}, false},
        {"every box", "2047", {j1, j2}, false},
    };
    const std::string prefix = "Possible Driver Entry - ";
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestrel Labs\\DiskGuard\\Drivers";
    for (const DriverCase& c : kCases) {
        SCOPED_TRACE(c.Name);
        const CliResult result = RunSampleScan({"--options", c.Options});
        ASSERT_EQ(result.Code, cli::kExitOk) << result.Err;
        std::vector<ListedRow> drivers;
        const std::vector<ListedRow> rows = ListedRows(result.Out);
        for (const ListedRow& row : rows) {
            if (row.Description.rfind(prefix, 0) == 0) drivers.push_back(row);
        }
        std::vector<ListedRow> expected;
        for (const std::string& target : c.Targets) expected.push_back({prefix + target, key});
        EXPECT_THAT(drivers, UnorderedElementsAreArray(expected));
        if (c.OnlyDrivers) {
            EXPECT_EQ(rows.size(), drivers.size());
        }
        const std::string counter =
            "\n  Device Drivers        " + std::to_string(c.Targets.size()) + "\n";
        EXPECT_NE(result.Out.find(counter), std::string::npos) << result.Out;
    }
}

TEST(SampleMachineTest, JsonCarriesEveryFieldOfEveryFinding) {
    const CliResult result = RunSampleScan({"--json"});
    ASSERT_EQ(result.Code, cli::kExitOk) << result.Err;
    const nlohmann::json scan = nlohmann::json::parse(result.Out);

    enum class Kind { Number, Text, Flag };
    const std::pair<const char*, Kind> kFields[] = {
        {"PathKind", Kind::Number},  {"EntryKind", Kind::Number}, {"ItemName", Kind::Text},
        {"ItemData", Kind::Text},    {"KeyPath", Kind::Text},     {"TargetPath", Kind::Text},
        {"DeleteMark", Kind::Flag},  {"ValueType", Kind::Number}, {"RootKey", Kind::Number},
        {"IsShell32", Kind::Flag},   {"FixedValue", Kind::Text},  {"Index", Kind::Number},
        {"TrojanName", Kind::Text},  {"IsTrojan", Kind::Flag},    {"IsLockedTrojan", Kind::Flag},
        {"IsAppPath", Kind::Flag},   {"IsSound", Kind::Flag},     {"IsDriver", Kind::Flag},
        {"IsSharedDll", Kind::Flag}, {"IsUninstall", Kind::Flag}, {"IsHelp", Kind::Flag},
        {"IsEmptyKey", Kind::Flag},  {"IsFont", Kind::Flag},      {"IsAutoRun", Kind::Flag},
        {"IsComServer", Kind::Flag}, {"IsAbsentDrive", Kind::Flag}, {"CleanValue", Kind::Text},
    };
    ASSERT_EQ(std::size(kFields), 27u);

    const nlohmann::json& findings = scan.at("findings");
    ASSERT_TRUE(findings.is_array());
    // 38 walker findings and the 2 lock-location findings of the README's summary.
    EXPECT_EQ(findings.size(), 40u);
    int position = 0;
    for (const nlohmann::json& finding : findings) {
        ++position;
        SCOPED_TRACE("finding " + std::to_string(position));
        for (const auto& [name, kind] : kFields) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(finding.contains(name));
            const nlohmann::json& field = finding.at(name);
            const bool typed = kind == Kind::Number ? field.is_number_integer()
                               : kind == Kind::Text ? field.is_string()
                                                    : field.is_boolean();
            EXPECT_TRUE(typed) << field;
        }
        EXPECT_EQ(finding.at("Index"), position);
        EXPECT_FALSE(finding.at("KeyPath").get<std::string>().empty());
    }

    const nlohmann::json& shortcuts = scan.at("shortcuts");
    ASSERT_TRUE(shortcuts.is_array());
    std::vector<std::string> targets;
    for (const nlohmann::json& shortcut : shortcuts) {
        targets.push_back(shortcut.at("LinkTarget").get<std::string>());
    }
    EXPECT_THAT(targets, UnorderedElementsAreArray(std::vector<std::string>{
                             "C:\\Program Files\\Gone Player\\player.exe",
                             "C:\\Program Files\\Gone Player\\readme.txt",
                             "C:\\Program Files\\PhotoMagic\\pmagic.exe",
                             "C:\\Program Files\\\xCE\xA9mega\\omega.exe"}));
    EXPECT_EQ(scan.at("caption"), "Kestovar Hivewarden - 37 errors found");
}

// The three texts of a finding that name it.
struct NamedFinding {
    std::string KeyPath;
    std::string ItemName;
    std::string TargetPath;
    bool operator==(const NamedFinding&) const = default;
};

void PrintTo(const NamedFinding& f, std::ostream* os) {
    *os << "{" << f.KeyPath << " | " << f.ItemName << " | " << f.TargetPath << "}";
}

// The entries whose names are outside code page 1252 (HKCU.reg is a version 5 file): the
// missing ones are reported with their exact text, in the JSON as in the listing; the
// existing ones (a second user's documents, a program with a Cyrillic name, a Chinese tool)
// are not reported at all.
TEST(SampleMachineTest, NamesOfEveryScriptAreReportedExactlyOrNotAtAll) {
    const std::string omega = "C:\\Program Files\\\xCE\xA9mega";                        // Ωmega
    const std::string liMing = "C:\\Documents and Settings\\\xE6\x9D\x8E\xE6\x98\x8E";  // 李明
    const std::string pinyin = "\xE6\x8B\xBC\xE9\x9F\xB3\xE8\xBE\x93\xE5\x85\xA5";  // 拼音输入
    const std::string uninstall =
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    // In walk order: subkeys in the order of their upper-cased UTF-16 units.
    const std::vector<NamedFinding> expected = {
        {uninstall + "\xCE\xA9mega", "UninstallString", omega + "\\unins000.exe"},
        {uninstall + "\xCE\xA9mega", "DisplayIcon", omega + "\\omega.exe"},
        {"HKEY_CURRENT_USER\\Software\\\xCE\xA9mega Software\\\xCE\xA9mega", "InstallDir", omega},
        {"HKEY_CURRENT_USER\\Software\\" + pinyin + "\\\xE8\xAE\xBE\xE7\xBD\xAE",  // 设置
         "\xE8\xAF\x8D\xE5\xBA\x93\xE6\x96\x87\xE4\xBB\xB6",                       // 词库文件
         liMing + "\\Application Data\\" + pinyin +
             "\\\xE7\x94\xA8\xE6\x88\xB7\xE8\xAF\x8D\xE5\xBA\x93.dat"},
    };
    const CliResult result = RunSampleScan({"--json"});
    ASSERT_EQ(result.Code, cli::kExitOk) << result.Err;
    const nlohmann::json scan = nlohmann::json::parse(result.Out);
    std::vector<NamedFinding> beyondAnsi;
    for (const nlohmann::json& finding : scan.at("findings")) {
        const NamedFinding e{finding.at("KeyPath").get<std::string>(),
                             finding.at("ItemName").get<std::string>(),
                             finding.at("TargetPath").get<std::string>()};
        const std::string all = e.KeyPath + e.ItemName + e.TargetPath;
        if (std::any_of(all.begin(), all.end(), [](char c) { return c & 0x80; })) {
            beyondAnsi.push_back(e);
        }
    }
    EXPECT_EQ(beyondAnsi, expected);

    const CliResult listing = RunSampleScan({});
    const std::string foto = "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE";  // Фото
    const std::string camera = "\xF0\x9F\x93\xB7";                   // 📷
    for (const std::string& existing :
         {foto, liMing + "\\My Documents", pinyin + "\\pinyin.exe", camera}) {
        SCOPED_TRACE(existing);
        EXPECT_EQ(listing.Out.find(existing), std::string::npos);
    }
    EXPECT_NE(listing.Out.find("File not found - " + expected[3].TargetPath + "\n"),
              std::string::npos);
}

}  // namespace
}  // namespace hivewarden::testing
