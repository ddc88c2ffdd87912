// `hivewarden --version`: the build's one version number, the same the window's about box shows.
#include <gtest/gtest.h>

#include "support/cli_runner.h"
#include "ui/about_info.h"

namespace hivewarden::testing {
namespace {

TEST(CliVersion, PrintsTheVersionTheAboutBoxShows) {
    const CliResult result = RunCli({"--version"});
    EXPECT_EQ(result.Code, 0);
    EXPECT_EQ(result.Err, "");
    const std::string about = ui::VersionText(ui::kVersionMajor, ui::kVersionMinor);
    ASSERT_EQ(about.rfind("Version : ", 0), 0u);
    EXPECT_EQ(result.Out, "Kestovar Hivewarden " + about.substr(10) + "\n");
}

}  // namespace
}  // namespace hivewarden::testing
