// The command line's answers at its edges: help as a command, the version's short flag, an
// unknown command (the list, and the closest), a misspelled option, a hive or a Wine registry
// file given as a .reg file, an environment file, and the empty text explained.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/suggest.h"
#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(CommandLineAnswers, WrongInputGetsAnAnswerThatHelps) {
    TempFolder tmp;
    const std::string hive = tmp.Write("SOFTWARE", std::string("regf") + std::string(60, '\0'));
    const std::string wine =
        tmp.Write("system.reg", "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n");
    struct Case {
        const char* Name;
        std::vector<std::string> Args;
        int Code;
        const char* Out;  // a part of standard output ("" : nothing printed there)
        const char* Err;  // a part of standard error
    };
    const Case kCases[] = {
        {"help as a command", {"help"}, 0, "Subcommands:", ""},
        {"help for a command", {"help", "clean"}, 0, "Usage: hivewarden clean", ""},
        {"the Windows way of asking", {"/?"}, 0, "Subcommands:", ""},
        {"progress can be turned off", {"help", "search"}, 0, "-q,--quiet,--no-progress", ""},
        {"the version's short flag", {"-V"}, 0, "Kestovar Hivewarden ", ""},
        {"nothing at all", {}, 1, "", "Subcommands:"},
        {"an unknown command", {"frobnicate"}, 1, "",
         "unknown command 'frobnicate'\nThe commands are: path, scan, search, repair, clean, "
         "backups"},
        {"a misspelled command", {"scna"}, 1, "", "(did you mean 'scan'?)"},
        {"help for an unknown command", {"help", "claen"}, 1, "", "(did you mean 'clean'?)"},
        {"a misspelled option", {"scan", "--registy", "x.reg"}, 1, "",
         "did you mean '--registry'?"},
        {"a hive given as a .reg file", {"scan", "--registry", hive}, 1, "",
         "is a registry hive, not a .reg file: mount it with --hive"},
        {"a Wine registry file given as a .reg file", {"scan", "--registry", wine}, 1, "",
         "is a Wine registry file, not a .reg file: give the prefix that holds it with "
         "--wine-prefix"},
        {"an environment file that cannot be read",
         {"path", "--env-file", tmp.File("none.env"), "x"}, 1, "", "--env-file"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        const CliResult r = RunCli(c.Args);
        EXPECT_EQ(r.Code, c.Code) << r.Err;
        if (*c.Out) {
            EXPECT_THAT(r.Out, HasSubstr(c.Out));
        } else {
            EXPECT_EQ(r.Out, "");
        }
        EXPECT_THAT(r.Err, HasSubstr(c.Err));
    }
}

TEST(CommandLineAnswers, AnEnvironmentFileSetsVariablesThatEnvOverrides) {
    TempFolder tmp;
    const std::string file =
        tmp.Write("machine.env", "# the machine\r\nAPPDIR=C:\\Apps\r\n\r\nTOOL=C:\\Old\r\n");
    const CliResult r =
        RunCli({"path", "--drive", "C=" + tmp.Folder(), "--env-file", file, "--env",
                "TOOL=C:\\New", "--env"});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("APPDIR=C:\\Apps\n"));
    EXPECT_THAT(r.Out, HasSubstr("TOOL=C:\\New\n"));
    EXPECT_THAT(r.Out, Not(HasSubstr("C:\\Old")));

    tmp.Write("bad.env", "GOOD=1\nno equals sign\n");
    const CliResult bad = RunCli({"path", "--env-file", tmp.File("bad.env"), "x"});
    EXPECT_EQ(bad.Code, 1);
    EXPECT_THAT(bad.Err, HasSubstr("line 2"));
}

TEST(CommandLineAnswers, TheEmptyTextIsExplainedToo) {
    TempFolder tmp;
    // The empty text names the fonts folder itself, as the scan reads it.
    std::filesystem::create_directories(tmp.HostPath("Windows/Fonts"));
    const CliResult r = RunCli({"path", "--drive", "C=" + tmp.Folder(), "--json", ""});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("\"path\":\"\""));
    EXPECT_THAT(r.Out, HasSubstr("\"missing\":false"));
}

TEST(ClosestName, SlipsAreCaughtAndStrangersAreNot) {
    const std::vector<std::string> names = {"scan", "search", "clean", "--registry", "--drive"};
    struct Case {
        const char* Given;
        const char* Expected;
    };
    const Case kCases[] = {
        {"scna", "scan"},       {"SCAN", "scan"},     {"serch", "search"},
        {"--registy", "--registry"}, {"--drvie", "--drive"}, {"cl", "clean"},
        {"xyzzy", ""},          {"s", ""},            {"", ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Given);
        EXPECT_EQ(cli::ClosestName(c.Given, names), c.Expected);
    }
}

}  // namespace
}  // namespace hivewarden::testing
