// What the command line leaves alone and what it gives back, on a small machine with a trap
// for each: a path on a drive that is not there is reported as "Drive not present" and kept
// by `clean` unless --include-absent-drives; Winlogon's Userinit and Shell and a system COM
// server hijacked as the shipped TrojanLock.ini describes get the data Windows ships back,
// with their types, and the backup holds what they held.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/app.h"
#include "regfile/regfile.h"
#include "store/memory_store.h"
#include "support/cli_runner.h"
#include "support/raw_values.h"
#include "support/registry_snapshot.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using Json = nlohmann::json;
using registry::RawValue;

constexpr const char* kVendor = "HKEY_CURRENT_USER\\Software\\Vendor";
constexpr const char* kWinlogon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kWebCheck =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{E6FB5E20-DE35-11CF-9C87-00AA005127ED}"
    "\\InprocServer32";

const RawValue kInfectedUserinit =
    SzValue("C:\\Windows\\system32\\userinit.exe,C:\\Windows\\system32\\sdra64.exe,");
const RawValue kInfectedShell = SzValue("explorer.exe load.exe -dontrunold");
const std::string kShimgapi = "%SystemRoot%\\System32\\shimgapi.dll";
const RawValue kInfectedWebCheck = ExpandSzValue(kShimgapi);

// The hex(2) line of expandable text in a REGEDIT4 file: the text's ANSI bytes and a zero.
std::string ExpandHexLine(const std::string& text) {
    static const char* const kDigits = "0123456789abcdef";
    std::string line = "hex(2):";
    for (const char c : text + std::string(1, '\0')) {
        const auto byte = static_cast<unsigned char>(c);
        line += kDigits[byte >> 4];
        line += kDigits[byte & 15];
        line += ',';
    }
    line.pop_back();
    return line;
}

// Drive C: holds C:\Apps\app.exe and userinit.exe; E: is mapped to nothing. The program
// folder holds the shipped definition files.
class SafeDefaultsTest : public ::testing::Test {
  protected:
    SafeDefaultsTest() {
        const fs::path c = tmp_.HostPath("c");
        fs::create_directories(c / "Apps");
        fs::create_directories(c / "Windows" / "system32");
        std::ofstream(c / "Apps" / "app.exe") << "MZ";
        std::ofstream(c / "Windows" / "system32" / "userinit.exe") << "MZ";
        fs::create_directory(tmp_.HostPath("program"));
        for (const char* file : {"TrojanDef.ini", "TrojanLock.ini"}) {
            fs::copy_file(fs::path(HW_TEST_DATA "/../../data") / file,
                          tmp_.HostPath("program") / file);
        }
        program_ = (fs::path(tmp_.File("program")) / "").string();
        registry_ = tmp_.Write("machine.reg",
                               "REGEDIT4\r\n\r\n"
                               "[HKEY_CURRENT_USER\\Software\\Vendor]\r\n"
                               "\"Game\"=\"E:\\\\Games\\\\x.exe\"\r\n"
                               "\"Tool\"=\"C:\\\\Gone\\\\y.exe\"\r\n"
                               "\"Here\"=\"C:\\\\Apps\\\\app.exe\"\r\n\r\n"
                               "[" +
                                   std::string(kWinlogon) +
                                   "]\r\n"
                                   "\"Userinit\"=\"C:\\\\Windows\\\\system32\\\\userinit.exe,"
                                   "C:\\\\Windows\\\\system32\\\\sdra64.exe,\"\r\n"
                                   "\"Shell\"=\"explorer.exe load.exe -dontrunold\"\r\n\r\n"
                                   "[" +
                                   std::string(kWebCheck) +
                                   "]\r\n"
                                   "@=" +
                                   ExpandHexLine(kShimgapi) +
                                   "\r\n"
                                   "\"ThreadingModel\"=\"Apartment\"\r\n\r\n");
    }

    CliResult Run(const std::string& command, const std::vector<std::string>& tail) const {
        std::vector<std::string> args = {command,
                                         "--registry",
                                         registry_,
                                         "--drive",
                                         "C=" + tmp_.File("c"),
                                         "--windows-dir",
                                         "C:\\Windows",
                                         "--program-folder",
                                         program_,
                                         "--options",
                                         "9",
                                         "--no-shortcuts"};
        args.insert(args.end(), tail.begin(), tail.end());
        return RunCli(args);
    }

    static RegistrySnapshot Load(const std::string& path) {
        registry::MemoryStore store;
        const registry::RegFileStatus status = registry::LoadRegFile(path, store);
        EXPECT_TRUE(status) << status.Message;
        return Snapshot(store);
    }

    // The value as a registry file holds it; type 0 when it is not there.
    static RawValue ValueIn(const RegistrySnapshot& snapshot, const std::string& key,
                            const std::string& name) {
        const auto k = snapshot.find(key);
        if (k == snapshot.end()) return {};
        const auto v = k->second.Values.find(name);
        return v == k->second.Values.end() ? RawValue{} : v->second;
    }

    static const Json* Finding(const Json& scan, const std::string& key, const std::string& name) {
        for (const Json& finding : scan.at("findings")) {
            if (finding.at("KeyPath") == key && finding.at("ItemName") == name) return &finding;
        }
        return nullptr;
    }

    TempFolder tmp_;
    std::string program_;
    std::string registry_;
};

const std::string kUserinit = "C:\\Windows\\system32\\userinit.exe,";
const std::string kWebCheckDll = "%SystemRoot%\\System32\\webcheck.dll";
const std::string kClassesWebCheck =
    "HKEY_CLASSES_ROOT\\CLSID\\{E6FB5E20-DE35-11CF-9C87-00AA005127ED}\\InprocServer32";

TEST_F(SafeDefaultsTest, ScanShowsEachFindingWithItsDefaultAction) {
    struct Case {
        const char* name;
        std::string key;
        std::string value;
        std::string action;
        std::string description;
        std::string fixedValue;
        bool absentDrive;
    };
    const Case cases[] = {
        {"absent drive", kVendor, "Game", "Ignore", "Drive not present - E:\\Games\\x.exe", "",
         true},
        {"missing file", kVendor, "Tool", "Delete", "File not found - C:\\Gone\\y.exe", "", false},
        {"Userinit", kWinlogon, "Userinit", "Change Value", "Warning: Zbot virus - sdra64.exe",
         kUserinit, false},
        {"Shell", kWinlogon, "Shell", "Change Value", "Warning: Nimda virus - load.exe -dontrunold",
         "explorer.exe", false},
        {"COM server, expandable", kClassesWebCheck, "", "Change Value",
         "Warning: MyDoom.A virus - shimgapi.dll", kWebCheckDll, false},
    };
    const CliResult r = Run("scan", {"--json"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    const Json scan = Json::parse(r.Out);
    EXPECT_EQ(scan.at("findings").size(), std::size(cases));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Json* finding = Finding(scan, c.key, c.value);
        ASSERT_NE(finding, nullptr);
        EXPECT_EQ(finding->at("Action"), c.action);
        EXPECT_EQ(finding->at("Description"), c.description);
        EXPECT_EQ(finding->at("FixedValue"), c.fixedValue);
        EXPECT_EQ(finding->at("CleanValue"), c.fixedValue);
        EXPECT_EQ(finding->at("IsAbsentDrive"), c.absentDrive);
    }

    const CliResult plain = Run("scan", {});
    ASSERT_EQ(plain.Code, cli::kExitOk) << plain.Err;
    EXPECT_THAT(plain.Out, HasSubstr("Ignore       Drive not present - E:\\Games\\x.exe\n"));
    EXPECT_THAT(plain.Out, HasSubstr("Change Value Warning: Zbot virus - sdra64.exe\n"
                                     "             " +
                                     std::string(kWinlogon) +
                                     "\n"
                                     "             New value: " +
                                     kUserinit + "\n"));
}

TEST_F(SafeDefaultsTest, CleanKeepsAbsentDrivesAndRestoresWhatWindowsShips) {
    const CliResult r = Run("clean", {"--output", tmp_.File("out.reg"), "--backup", "b1"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("Kestovar Hivewarden will repair 4 errors.\n"));

    const RegistrySnapshot after = Load(tmp_.File("out.reg"));
    EXPECT_EQ(ValueIn(after, kVendor, "Game"), SzValue("E:\\Games\\x.exe"));  // kept
    EXPECT_EQ(ValueIn(after, kVendor, "Here"), SzValue("C:\\Apps\\app.exe"));
    EXPECT_EQ(ValueIn(after, kVendor, "Tool").Type, 0u);  // deleted
    // Exactly the data Windows ships, each with the type it had.
    EXPECT_EQ(ValueIn(after, kWinlogon, "Userinit"), SzValue(kUserinit));
    EXPECT_EQ(ValueIn(after, kWinlogon, "Shell"), SzValue("explorer.exe"));
    EXPECT_EQ(ValueIn(after, kWebCheck, ""), ExpandSzValue(kWebCheckDll));
    EXPECT_EQ(ValueIn(after, kWebCheck, "ThreadingModel"), SzValue("Apartment"));

    // The backup gives back what the repair changed, byte for byte.
    const RegistrySnapshot backup = Load(program_ + "b1.reg");
    EXPECT_EQ(ValueIn(backup, kWinlogon, "Userinit"), kInfectedUserinit);
    EXPECT_EQ(ValueIn(backup, kWinlogon, "Shell"), kInfectedShell);
    EXPECT_EQ(ValueIn(backup, kClassesWebCheck, ""), kInfectedWebCheck);
    EXPECT_EQ(ValueIn(backup, kVendor, "Tool"), SzValue("C:\\Gone\\y.exe"));
    EXPECT_EQ(ValueIn(backup, kVendor, "Game").Type, 0u);  // not touched, not backed up

    // Nothing is left to repair but the absent drive.
    const CliResult again =
        RunCli({"scan", "--registry", tmp_.File("out.reg"), "--drive", "C=" + tmp_.File("c"),
                "--program-folder", program_, "--options", "9", "--no-shortcuts", "--json"});
    ASSERT_EQ(again.Code, cli::kExitOk) << again.Err;
    const Json findings = Json::parse(again.Out).at("findings");
    ASSERT_EQ(findings.size(), 1u) << findings.dump(1);
    EXPECT_EQ(findings[0].at("ItemName"), "Game");
}

TEST_F(SafeDefaultsTest, AbsentDrivesAreDeletedOnlyWhenAskedFor) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
        bool gameKept;
    };
    const Case cases[] = {
        {"default actions", {}, true},
        {"--delete-all", {"--delete-all"}, true},
        {"--include-absent-drives", {"--include-absent-drives"}, false},
        {"both", {"--delete-all", "--include-absent-drives"}, false},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = tmp_.File("out" + std::to_string(++run) + ".reg");
        std::vector<std::string> tail = {"--output", out, "--backup", "b" + std::to_string(run)};
        tail.insert(tail.end(), c.options.begin(), c.options.end());
        const CliResult r = Run("clean", tail);
        ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
        const RegistrySnapshot after = Load(out);
        EXPECT_EQ(ValueIn(after, kVendor, "Game").Type != 0, c.gameKept);
        EXPECT_EQ(ValueIn(after, kVendor, "Tool").Type, 0u);
    }
}

// The scan's JSON applied unedited repairs as `clean` does: the proposed new values travel
// in it.
TEST_F(SafeDefaultsTest, RepairFromTheUneditedScanJsonRestoresTheShippedValues) {
    const CliResult scan = Run("scan", {"--json"});
    ASSERT_EQ(scan.Code, cli::kExitOk) << scan.Err;
    const std::string findings = tmp_.Write("findings.json", scan.Out);
    const CliResult r = RunCli({"repair", "--from", findings, "--registry", registry_, "--drive",
                                "C=" + tmp_.File("c"), "--program-folder", program_, "--output",
                                tmp_.File("out.reg"), "--backup", "b1"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    const RegistrySnapshot after = Load(tmp_.File("out.reg"));
    EXPECT_EQ(ValueIn(after, kWinlogon, "Userinit"), SzValue(kUserinit));
    EXPECT_EQ(ValueIn(after, kWinlogon, "Shell"), SzValue("explorer.exe"));
    EXPECT_EQ(ValueIn(after, kWebCheck, ""), ExpandSzValue(kWebCheckDll));
    EXPECT_EQ(ValueIn(after, kVendor, "Game"), SzValue("E:\\Games\\x.exe"));
}

}  // namespace
}  // namespace hivewarden::testing
