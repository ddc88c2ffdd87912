// What the command line refuses before it writes anything, and the second look it takes
// before each change: a machine whose system drive is not seen, outputs that cannot be
// written, a dry run where the repair would be refused; a findings file whose entries changed
// since the scan, or that an older version wrote.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "machine/live.h"
#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using Json = nlohmann::json;

constexpr const char* kAppPaths =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// Three application paths whose files are gone, one whose file is there; drive C: and the
// program folder in a temporary folder.
class SafeRepairTest : public ::testing::Test {
  protected:
    SafeRepairTest() {
        registry_ = tmp_.Write("r.reg", std::string("REGEDIT4\r\n\r\n") + "[" + kAppPaths +
                                            "\\gone.exe]\r\n@=\"C:\\\\Gone\\\\gone.exe\"\r\n\r\n[" +
                                            kAppPaths +
                                            "\\lost.exe]\r\n@=\"C:\\\\Lost\\\\lost.exe\"\r\n\r\n[" +
                                            kAppPaths +
                                            "\\old.exe]\r\n@=\"C:\\\\Old\\\\old.exe\"\r\n\r\n[" +
                                            kAppPaths +
                                            "\\there.exe]\r\n@=\"C:\\\\There\\\\there.exe\"\r\n\r\n");
        fs::create_directories(tmp_.HostPath("c/There"));
        tmp_.Write("c/There/there.exe", "MZ");
        fs::create_directories(tmp_.HostPath("c/Windows"));
        fs::create_directories(tmp_.HostPath("program"));
        program_ = tmp_.File("program") + std::string(1, fs::path::preferred_separator);
        original_ = tmp_.Read("r.reg");
    }

    std::vector<std::string> Drive() const { return {"--drive", "C=" + tmp_.File("c")}; }

    CliResult Run(std::vector<std::string> args, const std::vector<std::string>& more,
                  const std::string& program = {}) const {
        args.insert(args.end(), {"--registry", registry_, "--program-folder",
                                 program.empty() ? program_ : program, "--app-paths",
                                 "--no-shortcuts"});
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args);
    }

    // The findings of `scan --json` with every action set to Delete.
    std::string DeleteEverything() const {
        const CliResult scan = Run({"scan", "--json"}, Drive());
        EXPECT_EQ(scan.Code, 0) << scan.Err;
        Json json = Json::parse(scan.Out);
        for (Json& finding : json["findings"]) finding["Action"] = "Delete";
        return tmp_.Write("findings.json", json.dump(2));
    }

    std::size_t FilesIn(const std::string& folder) const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(tmp_.HostPath(folder)),
                                                      fs::directory_iterator()));
    }

    TempFolder tmp_;
    std::string registry_;
    std::string program_;
    std::string original_;
};

TEST_F(SafeRepairTest, WhatCannotBeDoneSafelyIsRefusedBeforeAnythingIsWritten) {
    const std::string out = tmp_.File("out.reg");
    const std::string missing = tmp_.File("missing") + std::string(1, fs::path::preferred_separator);
    struct Case {
        const char* Name;
        std::vector<std::string> Args;
        std::vector<std::string> More;
        const char* Message;
        std::string Program = {};
        bool NoLiveFiles = false;  // only where no live file system stands in for the drive
    };
    const std::string drive = "C=" + tmp_.File("c");
    const Case kCases[] = {
        {"clean without the system drive", {"clean", "--output", out}, {},
         "the system drive C: is not mapped to a folder", {}, true},
        {"a dry run where the clean is refused", {"clean", "--output", out, "--dry-run"}, {},
         "the system drive C: is not mapped to a folder", {}, true},
        {"an output in a missing folder",
         {"clean", "--output", tmp_.File("nowhere/out.reg")}, {"--drive", drive},
         "cannot be written"},
        {"an output that is a folder", {"clean", "--output", tmp_.File("c")}, {"--drive", drive},
         "it is a folder"},
        {"a backup folder that is missing", {"clean", "--output", out}, {"--drive", drive},
         "cannot write the backup to", missing},
        {"a report in a missing folder", {"scan", "--report", tmp_.File("nowhere/r.txt")},
         {"--drive", drive}, "--report"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        if (c.NoLiveFiles && machine::HasLiveProbes()) continue;
        const CliResult r = Run(c.Args, c.More, c.Program);
        EXPECT_EQ(r.Code, 1);
        EXPECT_THAT(r.Err, HasSubstr(c.Message));
        EXPECT_EQ(r.Out, "");  // refused before the scan
        EXPECT_EQ(tmp_.Read("r.reg"), original_);
        EXPECT_FALSE(fs::exists(tmp_.HostPath("out.reg")));
        EXPECT_EQ(FilesIn("program"), 0u);  // no backup
    }
}

TEST_F(SafeRepairTest, RepairFromFindingsNeedsTheSystemDriveToo) {
    if (machine::HasLiveProbes()) GTEST_SKIP() << "the live file system stands in for drive C:";
    const std::string findings = DeleteEverything();
    const CliResult r = RunCli({"repair", "--from", findings, "--backup", "b", "--registry",
                                registry_, "--output", tmp_.File("out.reg"), "--program-folder",
                                program_});
    EXPECT_EQ(r.Code, 1);
    EXPECT_THAT(r.Err, HasSubstr("the system drive C: is not mapped"));
    EXPECT_EQ(FilesIn("program"), 0u);
    EXPECT_FALSE(fs::exists(tmp_.HostPath("out.reg")));
}

TEST_F(SafeRepairTest, AScanWithoutTheSystemDriveSaysSoInItsJson) {
    if (machine::HasLiveProbes()) GTEST_SKIP() << "the live file system stands in for drive C:";
    const CliResult r = Run({"scan", "--json"}, {});
    ASSERT_EQ(r.Code, 0) << r.Err;
    const Json json = Json::parse(r.Out);
    ASSERT_TRUE(json.contains("warnings"));
    EXPECT_THAT(json["warnings"][0].get<std::string>(), HasSubstr("system drive C:"));
    EXPECT_EQ(json["sources"]["drives"], Json::array());
    EXPECT_EQ(json["format"], 2);
    EXPECT_EQ(json["program"], "Kestovar Hivewarden");
}

TEST_F(SafeRepairTest, FindingsThatChangedSinceTheScanAreLeftAloneAndTheOthersRepaired) {
    const std::string findings = DeleteEverything();
    // Meanwhile gone.exe's entry was pointed at a file that exists, and lost.exe came back;
    // old.exe is still missing and goes.
    std::string changed = original_;
    changed.replace(changed.find("C:\\\\Gone\\\\gone.exe"), 18, "C:\\\\There\\\\there.exe");
    tmp_.Write("r.reg", changed);
    const std::string out = tmp_.File("out.reg");
    std::vector<std::string> args = {"repair", "--from", findings, "--backup", "b", "--registry",
                                     registry_, "--output", out, "--program-folder", program_};
    args.insert(args.end(), {"--drive", "C=" + tmp_.File("c")});
    fs::create_directories(tmp_.HostPath("c/Lost"));
    tmp_.Write("c/Lost/lost.exe", "MZ");
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.Code, 2) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("Failed: default value of " + std::string(kAppPaths) +
                                 "\\gone.exe: changed since the scan"));
    EXPECT_THAT(r.Out, HasSubstr("Failed: default value of " + std::string(kAppPaths) +
                                 "\\lost.exe: changed since the scan"));
    const std::string written = tmp_.Read("out.reg");
    EXPECT_THAT(written, HasSubstr("C:\\\\There\\\\there.exe"));
    EXPECT_THAT(written, HasSubstr("C:\\\\Lost\\\\lost.exe"));
    EXPECT_THAT(written, Not(HasSubstr("C:\\\\Old\\\\old.exe")));
    EXPECT_THAT(r.Out, HasSubstr("Repaired: 1 changed, 0 already gone, 0 skipped, 2 failed"));
    EXPECT_THAT(r.Out, HasSubstr("Registry written to " + out));
}

TEST_F(SafeRepairTest, AFindingsFileOfAnOlderVersionIsRefused) {
    Json json = Json::parse(tmp_.Read(DeleteEverything().substr(tmp_.Folder().size())));
    json.erase("format");
    const std::string findings = tmp_.Write("old.json", json.dump());
    const CliResult r = RunCli({"repair", "--from", findings, "--backup", "b", "--registry",
                                registry_, "--output", tmp_.File("out.reg"), "--drive",
                                "C=" + tmp_.File("c"), "--program-folder", program_});
    EXPECT_EQ(r.Code, 1);
    EXPECT_THAT(r.Err, HasSubstr("scan again"));
    EXPECT_EQ(FilesIn("program"), 0u);
}

TEST_F(SafeRepairTest, RepairWarnsWhenTheFindingsCameFromOtherSources) {
    const std::string findings = DeleteEverything();
    const CliResult same = RunCli({"repair", "--from", findings, "--backup", "a", "--registry",
                                   registry_, "--output", tmp_.File("a.reg"), "--drive",
                                   "C=" + tmp_.File("c"), "--program-folder", program_,
                                   "--dry-run"});
    EXPECT_THAT(same.Err, Not(HasSubstr("other sources")));
    fs::create_directories(tmp_.HostPath("d"));
    const CliResult other = RunCli({"repair", "--from", findings, "--backup", "b", "--registry",
                                    registry_, "--output", tmp_.File("b.reg"), "--drive",
                                    "C=" + tmp_.File("c"), "--drive", "D=" + tmp_.File("d"),
                                    "--program-folder", program_, "--dry-run"});
    EXPECT_THAT(other.Err, HasSubstr("the findings were made from other sources"));
}

}  // namespace
}  // namespace hivewarden::testing
