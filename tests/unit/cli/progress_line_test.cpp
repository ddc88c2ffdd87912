// The progress line's text: the phase, a bar and percentage where the share is known (never
// 100 % before the end), the detail, and an estimate of the time left only after a few
// seconds; a repair shown as its backup pass, then its changes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>

#include "cli/console/progress_line.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;
using std::chrono::milliseconds;

TEST(ProgressText, SaysThePhaseTheShareAndTheTimeLeft) {
    struct Case {
        const char* Name;
        std::optional<double> Done;
        milliseconds Elapsed;
        const char* Expected;
    };
    const Case kCases[] = {
        {"no known whole", std::nullopt, milliseconds(9000), "Scanning...  7 findings"},
        {"early: no estimate", 0.25, milliseconds(1000),
         "Scanning [#######.......................] 25%  7 findings"},
        {"after a few seconds: the time left", 0.25, milliseconds(10000),
         "Scanning [#######.......................] 25%, about 30 s left  7 findings"},
        {"minutes", 0.1, milliseconds(20000),
         "Scanning [###...........................] 10%, about 3 min 0 s left  7 findings"},
        {"never 100 % before the end", 1.0, milliseconds(10000),
         "Scanning [#############################.] 99%  7 findings"},
        {"nothing done yet: no estimate", 0.0, milliseconds(10000),
         "Scanning [..............................] 0%  7 findings"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(cli::ProgressText("Scanning", c.Done, "7 findings", c.Elapsed), c.Expected);
    }
}

TEST(ProgressText, TimeLeftReadsAsAPersonSaysIt) {
    EXPECT_EQ(cli::TimeLeftText(std::chrono::seconds(0)), "");
    EXPECT_EQ(cli::TimeLeftText(std::chrono::seconds(59)), "about 59 s left");
    EXPECT_EQ(cli::TimeLeftText(std::chrono::seconds(125)), "about 2 min 5 s left");
    EXPECT_EQ(cli::TimeLeftText(std::chrono::seconds(3 * 3600 + 120)), "about 3 h 2 min left");
}

TEST(ProgressLine, ARepairShowsItsBackupPassThenItsChangesAndIsClearedAtTheEnd) {
    std::ostringstream err;
    {
        cli::ProgressLine line(err, true);
        for (std::int64_t step = 0; step <= 4; ++step) cli::ShowRepairProgress(line, step, 2);
    }
    const std::string text = err.str();
    EXPECT_THAT(text, HasSubstr("Writing the backup ["));
    EXPECT_THAT(text, HasSubstr("0 of 2 entries"));
    EXPECT_THAT(text, HasSubstr("Repairing ["));
    // Within a tenth of a second only the phases themselves are drawn.
    EXPECT_THAT(text, HasSubstr("Repairing [..............................] 0%  0 of 2"));
    EXPECT_LT(text.find("Writing the backup"), text.find("Repairing"));
    // Cleared: the last thing written is a carriage return after blanks.
    EXPECT_EQ(text.back(), '\r');

    std::ostringstream quiet;
    {
        cli::ProgressLine line(quiet, false);
        cli::ShowRepairProgress(line, 1, 2);
    }
    EXPECT_EQ(quiet.str(), "");
}

}  // namespace
}  // namespace hivewarden::testing
