// The file name "-" reads standard input: a registry for --registry (in either encoding, read
// once), the edited findings for repair --from. What standard input cannot do is refused:
// being written back to, or being read twice.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/console/line_ends.h"
#include "support/cli_runner.h"
#include "support/temp_folder.h"
#include "text/unicode.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;

// A machine with one dead application path and one live one, in ANSI text.
const std::string kRegistry =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe]\r\n"
    "@=\"C:\\\\Apps\\\\Old\\\\gone.exe\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\here.exe]\r\n"
    "@=\"C:\\\\Apps\\\\here.exe\"\r\n\r\n";
// The same with a name in another script, as a UTF-16 file with its byte order mark.
const std::string kUnicodeRegistry =
    "\xFF\xFE" + Utf16LeFromUtf8(
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                   "App Paths\\gone.exe]\r\n"
                   "@=\"C:\\\\Apps\\\\\xE7\x8E\x8B\\\\gone.exe\"\r\n\r\n");

class StandardInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(tmp_.HostPath("c/Apps"));
        tmp_.Write("c/Apps/here.exe", "x");
    }
    std::string Drive() const { return "C=" + tmp_.File("c"); }
    // The repaired registry `file` has no finding left and still holds the live path.
    void ExpectOnlyTheDeadPathRepaired(const std::string& file) const {
        const CliResult after = RunCli({"scan", "--json", "--registry", file, "--drive", Drive()});
        ASSERT_EQ(after.Code, 0) << after.Err;
        EXPECT_TRUE(nlohmann::json::parse(after.Out)["findings"].empty());
        const CliResult live = RunCli({"search", "--json", "--registry", file, "here.exe"});
        ASSERT_EQ(live.Code, 0) << live.Err;
        EXPECT_FALSE(nlohmann::json::parse(live.Out)["hits"].empty()) << live.Out;
    }
    TempFolder tmp_;
};

TEST_F(StandardInputTest, ARegistryReadFromStandardInputScansAsTheFileDoes) {
    struct Case {
        const char* Name;
        std::string Input;
    };
    const Case kCases[] = {
        {"ANSI text", kRegistry},
        {"UTF-16 text with its byte order mark", kUnicodeRegistry},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        const std::string file = tmp_.Write("machine.reg", c.Input);
        const CliResult fromFile =
            RunCli({"scan", "--json", "--registry", file, "--drive", Drive()});
        ASSERT_EQ(fromFile.Code, 0) << fromFile.Err;
        const nlohmann::json expected = nlohmann::json::parse(fromFile.Out)["findings"];
        ASSERT_EQ(expected.size(), 1u);
        const CliResult r =
            RunCliWithInput({"scan", "--json", "--registry", "-", "--drive", Drive()}, c.Input);
        ASSERT_EQ(r.Code, 0) << r.Err;
        const nlohmann::json json = nlohmann::json::parse(r.Out);
        EXPECT_EQ(json["findings"], expected);
        EXPECT_EQ(json["sources"]["registryFiles"], nlohmann::json::array({"-"}));
    }
}

TEST_F(StandardInputTest, WhatStandardInputCannotDoIsRefused) {
    const std::string regf = std::string("regf") + std::string(60, '\0');
    struct Case {
        const char* Name;
        std::vector<std::string> Args;
        std::string Input;
        const char* Err;
    };
    const Case kCases[] = {
        {"nothing to write the repair back to",
         {"clean", "--registry", "-", "--drive", Drive()}, kRegistry,
         "cannot be written back there; give --output FILE.reg"},
        {"read twice", {"scan", "--registry", "-", "--registry", "-"}, kRegistry,
         "standard input can be read only once"},
        {"findings and registry both from it",
         {"repair", "--from", "-", "--backup", "b", "--registry", "-", "--output",
          tmp_.File("o.reg")},
         kRegistry,
         "both name standard input"},
        {"a hive piped in", {"scan", "--registry", "-"}, regf,
         "(standard input) is a registry hive, not a .reg file"},
        {"not a registry at all", {"scan", "--registry", "-"}, "hello\n",
         "(standard input)"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        const CliResult r = RunCliWithInput(c.Args, c.Input);
        EXPECT_EQ(r.Code, 1);
        EXPECT_THAT(r.Err, HasSubstr(c.Err));
    }
}

TEST_F(StandardInputTest, CleanReadsStandardInputAndWritesItsOutput) {
    const std::string output = tmp_.File("out.reg");
    const CliResult r = RunCliWithInput(
        {"clean", "--registry", "-", "--drive", Drive(), "--output", output, "--program-folder",
         tmp_.Folder()},
        kRegistry);
    ASSERT_EQ(r.Code, 0) << r.Err;
    ExpectOnlyTheDeadPathRepaired(output);
}

TEST_F(StandardInputTest, RepairReadsItsFindingsFromStandardInput) {
    const std::string file = tmp_.Write("machine.reg", kRegistry);
    const CliResult scan = RunCli({"scan", "--json", "--registry", file, "--drive", Drive()});
    ASSERT_EQ(scan.Code, 0) << scan.Err;
    const std::string output = tmp_.File("out.reg");
    const CliResult r = RunCliWithInput(
        {"repair", "--from", "-", "--backup", "before", "--registry", file, "--drive", Drive(),
         "--output", output, "--program-folder", tmp_.Folder()},
        scan.Out);
    ASSERT_EQ(r.Code, 0) << r.Err;
    ExpectOnlyTheDeadPathRepaired(output);
}

TEST(CrLfLineEnds, GivesEveryLoneLineFeedACarriageReturn) {
    struct Case {
        const char* Name;
        std::vector<std::string> Pieces;
        const char* Expected;
    };
    const Case kCases[] = {
        {"plain lines", {"a\nb\n"}, "a\r\nb\r\n"},
        {"a report's CR LF stays", {"a\r\nb\r\n"}, "a\r\nb\r\n"},
        {"a CR LF split across pieces", {"a\r", "\nb"}, "a\r\nb"},
        {"a lone CR is kept", {"a\rb\n"}, "a\rb\r\n"},
        {"UTF-8 passes", {"\xE7\x8E\x8B\n"}, "\xE7\x8E\x8B\r\n"},
        {"empty lines", {"\n\n"}, "\r\n\r\n"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        cli::CrLfLineEnds lineEnds;
        std::string out;
        for (const std::string& piece : c.Pieces) out += lineEnds.Translate(piece);
        EXPECT_EQ(out, c.Expected);
    }
}

}  // namespace
}  // namespace hivewarden::testing
