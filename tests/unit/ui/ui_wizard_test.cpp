// The wizard's step machine through the scripted window: the scan-and-repair path with a real
// scan and repair on a small machine, Finish, the "No errors to fix!" path, the direct repair,
// the options and custom pages' steps, Back at every resting step, and Cancel.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/window_machine.h"

namespace hivewarden::testing {
namespace {

using ui::Control;
using ui::Page;

constexpr const char* kAppPaths =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Two stale application paths and one stale start-up entry (which starts as "Ignore").
void SeedStaleEntries(WindowMachine& m) {
    m.Text(std::string(kAppPaths) + "\\gone.exe", "", "C:\\Gone\\gone.exe");
    m.Text(std::string(kAppPaths) + "\\old.exe", "", "C:\\Old\\old.exe");
    m.Text(kRun, "Updater", "C:\\Updater\\upd.exe /quiet");
    m.File("C:\\Present\\here.exe");
    m.Text(std::string(kAppPaths) + "\\here.exe", "", "C:\\Present\\here.exe");
}

// Start page -> scan settings -> the scan (App Paths and start-up entries only).
void ScanToResults(WindowMachine& m) {
    m.Start();
    m.Window.Next();
    ASSERT_EQ(m.View.OnlyPage(), Page::FrameScanSettings);
    m.CheckOnly({Control::chkAppPaths, Control::chkAutoRun});
    m.Window.Next();
}

TEST(UiWizard, ScanRepairAndFinishWalkTheWholePath) {
    WindowMachine m;
    SeedStaleEntries(m);
    ScanToResults(m);

    // The scan ran on the results page and left it finished.
    EXPECT_EQ(m.Window.WizardStep, 1);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameScan);
    EXPECT_EQ(m.View.CurrentLayout, ui::Layout::Expanded);
    ASSERT_EQ(m.Window.Results.RowCount(), 3);
    EXPECT_EQ(m.View.Caption, "Kestovar Hivewarden - 3 errors found");
    EXPECT_EQ(m.View.Counters[scan::Counter::TotalProblems], "3");
    EXPECT_EQ(m.View.Counters[scan::Counter::Startup], "1");
    EXPECT_EQ(m.View.Text(Control::cmdNext), "Repair");
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
    EXPECT_TRUE(m.View.Enabled(Control::cmdBack));
    EXPECT_FALSE(m.View.Enabled(Control::cmdCancelScan));
    EXPECT_TRUE(m.View.Enabled(Control::cmdSaveResults));
    EXPECT_FALSE(m.View.TimerRunning(ui::Timer::tmrCheckForNew));
    EXPECT_FALSE(m.View.TimerRunning(ui::Timer::tmrPrg));
    EXPECT_FALSE(m.Window.ScanInProgress);
    // Rows arrived through the results timer while the scan yielded.
    EXPECT_GT(m.View.GridAppends, 0);

    // Repair: the preview counts the rows not ignored and proposes the default name.
    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 2);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameFixPrev);
    EXPECT_EQ(m.View.CurrentLayout, ui::Layout::Compact);
    EXPECT_EQ(m.View.Text(Control::lblErrorsFix), "Kestovar Hivewarden will repair 2 errors.");
    EXPECT_EQ(m.View.Text(Control::txtBackUpName), "4-12-2026-21-5-9");
    EXPECT_EQ(m.View.Focused, Control::txtBackUpName);
    EXPECT_EQ(m.View.Text(Control::cmdNext), "Next >");

    // Next: the repair runs, and its completion moves on to the results page.
    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 4);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameScan);
    EXPECT_EQ(m.View.Text(Control::cmdNext), "Repair");
    EXPECT_EQ(m.View.Text(Control::cmdExit), "Finish");
    EXPECT_FALSE(m.View.Enabled(Control::cmdBack));
    EXPECT_EQ(m.View.Progress[Control::pgrFixing], 100);
    ASSERT_TRUE(m.Window.LastRepair.has_value());
    EXPECT_EQ(m.Window.LastRepair->Changed, 2);
    const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    registry::RawValue value;
    EXPECT_FALSE(m.Access.ReadRaw(registry::kLocalMachine, appPaths + "gone.exe", "", value));
    EXPECT_FALSE(m.Access.ReadRaw(registry::kLocalMachine, appPaths + "old.exe", "", value));
    EXPECT_TRUE(m.Access.ReadRaw(registry::kLocalMachine, appPaths + "here.exe", "", value));
    EXPECT_TRUE(std::filesystem::exists(m.Program.File("4-12-2026-21-5-9.reg")));
    // Only the ignored start-up row is left.
    ASSERT_EQ(m.Window.Results.RowCount(), 1);
    EXPECT_EQ(m.Window.Results.Row(1).Correction, "Ignore");

    // Finish: back to the start page, captions restored; the program goes on.
    m.Window.Exit();
    EXPECT_EQ(m.Window.WizardStep, -1);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameStart);
    EXPECT_EQ(m.View.Text(Control::cmdNext), "Next >");
    EXPECT_EQ(m.View.Text(Control::cmdExit), "Exit");
    EXPECT_TRUE(m.View.Checked(Control::optStart0));
}

TEST(UiWizard, NothingToRepairKeepsTheUserOnThePreviewUntilBack) {
    WindowMachine m;
    ScanToResults(m);
    ASSERT_EQ(m.Window.Results.RowCount(), 0);
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));  // Repair is offered even so

    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 3);
    ASSERT_EQ(m.View.Messages.size(), 1u);
    EXPECT_EQ(m.View.Messages[0].Text, "No errors to fix!");
    EXPECT_EQ(m.View.Messages[0].Icon, ui::MessageIcon::Information);
    EXPECT_FALSE(m.View.Enabled(Control::cmdNext));

    m.Window.Back();
    EXPECT_EQ(m.Window.WizardStep, -1);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameStart);
    EXPECT_TRUE(m.View.Checked(Control::optStart0));
    EXPECT_EQ(m.View.Text(Control::cmdNext), "Next >");
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
}

TEST(UiWizard, DirectRepairFromTheResultsPageStaysThereOrEndsWhenNoRowIsLeft) {
    WindowMachine m;
    SeedStaleEntries(m);
    ScanToResults(m);
    m.Window.Results.IgnoreAll();
    m.Window.Results.Row(1).Correction = "Delete";  // one row to repair first
    m.Window.Next();
    m.Window.Next();
    ASSERT_EQ(m.Window.WizardStep, 4);
    ASSERT_EQ(m.Window.Results.RowCount(), 2);

    // Repair again with one of the two rows: straight to the repair, back on the results.
    // The clock still shows the first repair's second, so the direct repair's backup gets a
    // name of its own instead of replacing the first backup.
    const std::string firstBackup = m.Program.File("4-12-2026-21-5-9.reg");
    ASSERT_TRUE(std::filesystem::exists(firstBackup));
    const std::uintmax_t firstSize = std::filesystem::file_size(firstBackup);
    m.Window.Results.Row(1).Correction = "Delete";
    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 4);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameScan);
    EXPECT_EQ(m.View.Text(Control::txtBackUpName), "4-12-2026-21-5-9-2");
    EXPECT_TRUE(std::filesystem::exists(m.Program.File("4-12-2026-21-5-9-2.reg")));
    EXPECT_EQ(std::filesystem::file_size(firstBackup), firstSize);
    EXPECT_EQ(m.Window.Results.RowCount(), 1);
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));

    // The last row: the grid is empty afterwards, so only Finish or Exit lead on.
    m.Window.Results.Row(1).Correction = "Delete";
    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, -1);
    EXPECT_EQ(m.Window.Results.RowCount(), 0);
    EXPECT_FALSE(m.View.Enabled(Control::cmdNext));
    EXPECT_EQ(m.View.Text(Control::cmdExit), "Finish");
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameScan);
}

TEST(UiWizard, OptionsPageLeadsBackToTheStartPageOrTheAdvancedPage) {
    WindowMachine m;
    m.Start();
    m.Window.AdvancedOptions();
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameAdvanced);
    EXPECT_TRUE(m.View.Checked(Control::optStart2));
    EXPECT_FALSE(m.View.Checked(Control::optStart0));

    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 7);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameOptions);
    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, -1);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameStart);
    EXPECT_FALSE(m.View.Enabled(Control::cmdBack));
    // Option 2 stays selected though its page is hidden: Next opens the options again.
    EXPECT_TRUE(m.View.Checked(Control::optStart2));
    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 7);

    m.Window.Back();
    EXPECT_EQ(m.Window.WizardStep, -1);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameAdvanced);
    EXPECT_TRUE(m.View.Enabled(Control::cmdBack));
    EXPECT_TRUE(m.Session.ScanHalted);
    m.Window.Back();
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameStart);
    EXPECT_TRUE(m.View.Checked(Control::optStart0));
}

TEST(UiWizard, BackFromEachRestingStep) {
    struct Case {
        const char* name;
        std::int32_t step;
        Page page;
        std::int32_t stepAfter;
        bool backEnabled;
    };
    const Case cases[] = {
        {"scan settings", 0, Page::FrameStart, -1, false},
        {"results", 1, Page::FrameScanSettings, 0, true},
        {"repair preview", 2, Page::FrameScan, 1, true},
        {"nothing to repair", 3, Page::FrameStart, -1, false},
        {"after a direct repair", 4, Page::FrameFixing, 3, true},
        {"restore page", 5, Page::FrameStart, -1, false},
        {"custom search", 9, Page::FrameCustomStrings, 8, true},
        {"custom repair preview", 10, Page::FrameCustomSearching, 9, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowMachine m;
        m.Start();
        m.Window.WizardStep = c.step;
        m.Window.Back();
        EXPECT_EQ(m.View.OnlyPage(), c.page);
        EXPECT_EQ(m.Window.WizardStep, c.stepAfter);
        EXPECT_EQ(m.View.Enabled(Control::cmdBack), c.backEnabled);
        EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
        EXPECT_EQ(m.View.CurrentLayout, ui::Layout::Compact);
    }
}

TEST(UiWizard, CancelScanAsksAndStopsTheScanKeepingWhatWasFound) {
    WindowMachine m;
    SeedStaleEntries(m);
    m.Start();
    m.Window.Next();
    m.CheckOnly({Control::chkAppPaths, Control::chkAutoRun, Control::chkLinks});
    // Cancel is pressed while the scan yields; the first answer is No, the second Yes.
    int presses = 0;
    auto tick = m.View.OnYield;
    m.View.OnYield = [&] {
        tick();
        if (m.Window.ScanInProgress && presses < 2) {
            ++presses;
            m.Window.CancelScan();
        }
    };
    m.View.MessageAnswers = {ui::Answer::No, ui::Answer::Yes};
    m.Window.Next();
    EXPECT_EQ(presses, 2);
    ASSERT_EQ(m.View.Messages.size(), 2u);
    EXPECT_EQ(m.View.Messages[0].Text, "Are you sure you want to cancel scanning?");
    EXPECT_TRUE(m.Session.ScanHalted);
    // The scan ended as usual: the page is finished and Repair is offered.
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
    EXPECT_FALSE(m.View.Enabled(Control::cmdCancelScan));
    EXPECT_FALSE(m.Window.ScanInProgress);
    EXPECT_LT(m.Window.Results.RowCount(), 3);
}

TEST(UiWizard, ExitDuringAScanEndsTheProgramWhenTheScanHasStopped) {
    WindowMachine m;
    SeedStaleEntries(m);
    m.Start();
    m.Window.Next();
    m.CheckOnly({Control::chkAppPaths});
    bool asked = false;
    auto tick = m.View.OnYield;
    m.View.OnYield = [&] {
        tick();
        if (m.Window.ScanInProgress && !asked) {
            asked = true;
            m.View.MessageAnswers = {ui::Answer::Yes};
            m.Window.Exit();  // the close is refused; the scan is told to stop
            EXPECT_TRUE(m.Window.ExitRequested);
            EXPECT_FALSE(m.Window.CloseAccepted);
        }
    };
    EXPECT_THROW(m.Window.Next(), Terminated);
    EXPECT_TRUE(asked);
    EXPECT_EQ(m.View.Messages.back().Text,
              "Kestovar Hivewarden is still searching your system registry. Are you sure you "
              "want to stop it and exit?");
    EXPECT_FALSE(m.View.TrayIcon);
}

TEST(UiWizard, ExitWhenIdleEndsTheProgram) {
    WindowMachine m;
    m.Start();
    m.View.TrayIcon = true;
    EXPECT_THROW(m.Window.Exit(), Terminated);
    EXPECT_TRUE(m.Window.CloseAccepted);
    EXPECT_FALSE(m.View.TrayIcon);
}

}  // namespace
}  // namespace hivewarden::testing
