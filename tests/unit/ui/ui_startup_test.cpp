// Start-up, the two settings, the auto-run entry, the tray icon and the close rules of the main
// window, through the scripted window and an in-memory registry.
#include <gtest/gtest.h>

#include "support/window_machine.h"

namespace hivewarden::testing {
namespace {

using ui::Control;

constexpr const char* kSettings = "Software\\Kestovar\\Hivewarden";
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string RunEntry(WindowMachine& m) {
    return m.Access.QueryValue(registry::kLocalMachine, kRun, "Kestovar Hivewarden",
                               registry::kTextKind);
}

TEST(UiStartup, LoadShowsTheStartPageWritesTheRunEntryAndCreatesTheSettingsKey) {
    WindowMachine m;
    m.Start();
    EXPECT_TRUE(m.View.CloseCommandRemoved);
    EXPECT_EQ(m.View.OnlyPage(), ui::Page::FrameStart);
    EXPECT_EQ(m.View.CurrentLayout, ui::Layout::Compact);
    EXPECT_EQ(m.Window.WizardStep, -1);
    EXPECT_FALSE(m.View.Enabled(Control::cmdBack));
    EXPECT_EQ(m.View.Text(Control::cmdNext), "Next >");
    EXPECT_EQ(m.View.Text(Control::cmdExit), "Exit");
    EXPECT_TRUE(m.View.HiddenControls.count(Control::cmdSaveCustom));
    EXPECT_TRUE(m.Access.KeyExists(registry::kLocalMachine, kSettings));
    EXPECT_EQ(RunEntry(m), m.Program.Folder().substr(0, m.Program.Folder().size() - 1) +
                               "\\HivewardenGui.exe -X");
    EXPECT_EQ(m.View.StartupPrompts, 0);
    // The first activation starts the start-up timer; without the prompt it scans nothing.
    EXPECT_TRUE(m.Window.ActivatedOnce);
    EXPECT_FALSE(m.View.TimerRunning(ui::Timer::tmrAutoScan));
    EXPECT_EQ(m.Window.Results.RowCount(), 0);
    EXPECT_EQ(m.Session.State.ProgressPercent, 100);
}

TEST(UiStartup, StoredSettingsCheckTheBoxesAndAStoredDisableRemovesTheRunEntryAgain) {
    WindowMachine m;
    m.Access.CreateKey(registry::kLocalMachine, kSettings);
    m.Access.SetValue(registry::kLocalMachine, kSettings, "SS", registry::kNumberKind, "1");
    m.Access.SetValue(registry::kLocalMachine, kSettings, "MT", registry::kNumberKind, "1");
    m.Start();
    EXPECT_TRUE(m.View.Checked(Control::chkDisableStartup));
    EXPECT_TRUE(m.View.Checked(Control::chkMinizeToTray));
    // Written at program entry, deleted by the box's click handler during the load.
    EXPECT_EQ(RunEntry(m), "");
}

TEST(UiStartup, TheSettingsBoxesStoreTheirValues) {
    WindowMachine m;
    m.Start();
    m.View.SetChecked(Control::chkDisableStartup, true);
    m.Window.DisableStartupClicked();
    EXPECT_EQ(m.Access.QueryNumber(registry::kLocalMachine, kSettings, "SS"), 1);
    EXPECT_EQ(RunEntry(m), "");
    m.View.SetChecked(Control::chkDisableStartup, false);
    m.Window.DisableStartupClicked();
    EXPECT_EQ(m.Access.QueryNumber(registry::kLocalMachine, kSettings, "SS"), 0);
    EXPECT_NE(RunEntry(m), "");
    m.View.SetChecked(Control::chkMinizeToTray, true);
    m.Window.MinimizeToTrayClicked();
    EXPECT_EQ(m.Access.QueryNumber(registry::kLocalMachine, kSettings, "MT"), 1);
}

TEST(UiStartup, AdvancedOptionsForceTheTraySettingAndTheAutoRun) {
    WindowMachine m;
    m.Access.CreateKey(registry::kLocalMachine, kSettings);
    m.Access.SetValue(registry::kLocalMachine, kSettings, "SS", registry::kNumberKind, "1");
    m.Start();
    ASSERT_EQ(RunEntry(m), "");
    m.Window.AdvancedOptions();
    EXPECT_TRUE(m.View.Checked(Control::chkMinizeToTray));
    EXPECT_FALSE(m.View.Checked(Control::chkDisableStartup));
    EXPECT_FALSE(m.View.Enabled(Control::chkMinizeToTray));
    EXPECT_FALSE(m.View.Enabled(Control::chkDisableStartup));
    EXPECT_EQ(m.Access.QueryNumber(registry::kLocalMachine, kSettings, "MT"), 1);
    EXPECT_EQ(m.Access.QueryNumber(registry::kLocalMachine, kSettings, "SS"), 0);
    EXPECT_NE(RunEntry(m), "");
}

TEST(UiStartup, TheStartupPromptScansOrWaitsInTheNotificationArea) {
    struct Case {
        const char* name;
        std::string arguments;
        bool scanNow;
        int prompts;
        bool inTray;
        bool scanned;
    };
    const Case cases[] = {
        {"-X and Scan Now", "-X", true, 1, false, true},
        {"-X and No", "-X", false, 1, true, false},
        {"a one-character argument", "X", true, 0, false, false},
        // Characters count, not bytes: one Greek letter is two bytes of UTF-8.
        {"a one-character argument beyond ASCII", "\xCE\xA9", true, 0, false, false},
        {"two characters beyond ASCII", "\xCE\xA9\xCE\xA9", false, 1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowMachine m(c.arguments);
        m.View.ScanNowAnswer = c.scanNow;
        m.Start();
        EXPECT_EQ(m.View.StartupPrompts, c.prompts);
        EXPECT_EQ(m.View.TrayIcon, c.inTray);
        EXPECT_EQ(!m.View.IsVisible, c.inTray);
        EXPECT_EQ(m.Window.ScanAtStart, c.scanned);
        // The start-up scan ran on the results page from the timer's tick.
        EXPECT_EQ(m.Window.WizardStep, c.scanned ? 1 : -1);
        EXPECT_EQ(m.View.Shown(ui::Page::FrameScan), c.scanned);
        EXPECT_EQ(m.View.Text(Control::cmdNext), c.scanned ? "Repair" : "Next >");
    }
}

TEST(UiStartup, TrayIconDoubleClickRestoresAndMinimiseGoesToTheTrayWhenChecked) {
    WindowMachine m("-X");
    m.Start();
    ASSERT_FALSE(m.View.IsVisible);
    m.Window.TrayIconMessage(0x200);  // a plain mouse move does nothing
    EXPECT_FALSE(m.View.IsVisible);
    m.Window.TrayIconMessage(515);
    EXPECT_TRUE(m.View.IsVisible);
    EXPECT_FALSE(m.View.IsMinimized);
    EXPECT_EQ(m.View.Centred, 1);

    // Unchecked: a resize that is not a minimise centres the window.
    m.Window.Resized();
    EXPECT_EQ(m.View.Centred, 2);
    // Checked and minimised: into the tray.
    m.View.SetChecked(Control::chkMinizeToTray, true);
    m.View.TrayIcon = false;
    m.View.IsMinimized = true;
    m.Window.Resized();
    EXPECT_TRUE(m.View.TrayIcon);
    EXPECT_FALSE(m.View.IsVisible);
}

TEST(UiStartup, CloseRequestsAreAlwaysRefusedAndOnlyAcceptedWhenNoScanRuns) {
    WindowMachine m;
    m.Start();
    m.Window.CloseRequested();
    EXPECT_TRUE(m.Window.CloseAccepted);
    EXPECT_TRUE(m.View.Messages.empty());

    m.Window.ScanInProgress = true;
    m.View.MessageAnswers = {ui::Answer::No};
    m.Window.CloseRequested();
    EXPECT_FALSE(m.Window.CloseAccepted);
    EXPECT_FALSE(m.Window.ExitRequested);
    EXPECT_FALSE(m.Session.State.StopRequested);

    // Yes stops the engine and both result timers, whichever search runs.
    m.View.StartTimer(ui::Timer::tmrCheckForNew, 500);
    m.View.StartTimer(ui::Timer::tmrCheckForNewCustom, 500);
    m.View.MessageAnswers = {ui::Answer::Yes};
    m.Window.CloseRequested();
    EXPECT_FALSE(m.View.TimerRunning(ui::Timer::tmrCheckForNew));
    EXPECT_FALSE(m.View.TimerRunning(ui::Timer::tmrCheckForNewCustom));
    EXPECT_FALSE(m.Window.CloseAccepted);
    EXPECT_TRUE(m.Window.ExitRequested);
    EXPECT_TRUE(m.Session.State.StopRequested);
    EXPECT_TRUE(m.Session.ScanHalted);
    // Asked once more while the stop is under way: no second question.
    m.Window.CloseRequested();
    EXPECT_TRUE(m.Window.CloseAccepted);
    EXPECT_EQ(m.View.Messages.size(), 2u);
}

}  // namespace
}  // namespace hivewarden::testing
