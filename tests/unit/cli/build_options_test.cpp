// A build lists in --help only the machine sources it can open, and refuses the others with a
// reason: the Windows build reads neither Wine prefixes nor hive files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "machine/live.h"
#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(BuildOptions, HelpListsOnlyTheSourcesThisBuildOpensAndTheOthersAreRefused) {
    struct Source {
        const char* Option;
        bool Supported;
        const char* Refusal;
    };
    const Source kSources[] = {
        {"--wine-prefix", machine::WinePrefixesSupported(), "not supported by the Windows build"},
        {"--hive", machine::HiveFilesSupported(), "not available on Windows"},
        {"--windows-root", machine::HiveFilesSupported(), "not available on Windows"},
    };
    TempFolder tmp;
    const CliResult help = RunCli({"scan", "--help"});
    for (const Source& source : kSources) {
        SCOPED_TRACE(source.Option);
        if (source.Supported) {
            EXPECT_THAT(help.Out, HasSubstr(std::string("  ") + source.Option + " "));
            continue;
        }
        EXPECT_THAT(help.Out, Not(HasSubstr(source.Option)));
        const std::string value = std::string(source.Option) == "--hive"
                                      ? "HKLM\\SOFTWARE=" + tmp.File("SOFTWARE")
                                      : tmp.Folder();
        const CliResult r = RunCli({"scan", source.Option, value});
        EXPECT_EQ(r.Code, 1);
        EXPECT_THAT(r.Err, HasSubstr(source.Refusal));
        EXPECT_EQ(r.Out, "");
    }
}

}  // namespace
}  // namespace hivewarden::testing
