// The window around a repair, through the scripted window: no button that could start a
// second scan, repair or search can be pressed during the repair's yields (first repair,
// direct repair, custom repair, and a repair whose backup fails), the buttons come back as the
// wizard left them, changes that did not take are told and keep their rows, a repair where
// everything took says nothing, and the shortcut question warns.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/window_machine.h"

namespace hivewarden::testing {
namespace {

using ui::Control;
using ui::Page;

constexpr const char* kAppPaths =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kAppPathsBelowRoot =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr Control kWizardButtons[] = {Control::cmdNext, Control::cmdBack, Control::cmdExit};

// A press as the user makes it: a disabled button cannot be pressed.
bool Press(WindowMachine& m, Control button) {
    if (!m.View.Enabled(button)) return false;
    if (button == Control::cmdNext) m.Window.Next();
    if (button == Control::cmdBack) m.Window.Back();
    if (button == Control::cmdExit) m.Window.Exit();
    return true;
}

// Presses every wizard button at every yield of a repair; counts those yields and the presses
// that went through.
struct ImpatientUser {
    int RepairYields = 0;
    int Presses = 0;

    void Watch(WindowMachine& m) {
        auto tick = m.View.OnYield;
        m.View.OnYield = [this, &m, tick] {
            tick();
            if (!m.Window.RepairRunning) return;
            ++RepairYields;
            for (const Control button : kWizardButtons) Presses += Press(m, button) ? 1 : 0;
        };
    }
};

void SeedAppPaths(WindowMachine& m, std::initializer_list<const char*> programs) {
    for (const char* program : programs) {
        m.Text(std::string(kAppPaths) + "\\" + program, "", std::string("C:\\Gone\\") + program);
    }
}

void ScanAppPaths(WindowMachine& m) {
    m.Start();
    m.Window.Next();
    m.CheckOnly({Control::chkAppPaths});
    m.Window.Next();
}

std::int32_t RowOf(const WindowMachine& m, const std::string& program) {
    for (std::int32_t r = 1; r <= m.Window.Results.RowCount(); ++r) {
        if (m.Window.Results.Row(r).Body.ends_with("\\" + program)) return r;
    }
    return 0;
}

TEST(UiRepair, NoWizardButtonCanBePressedDuringTheRepairsYields) {
    struct Case {
        const char* Name;
        // From the results page after the scan up to the press that starts the repair.
        std::function<void(WindowMachine&)> StartRepair;
        std::int32_t StepAfter;
        bool BackEnabledAfter;
    };
    const Case cases[] = {
        {"first repair from the repair page",
         [](WindowMachine& m) {
             m.Window.Next();  // the repair preview
             m.Window.Next();
         },
         4, false},
        {"direct repair from the results page",
         [](WindowMachine& m) {
             m.Window.Results.Row(1).Correction = "Ignore";
             m.Window.Results.Row(2).Correction = "Ignore";
             m.Window.Next();
             m.Window.Next();  // the first repair, with two rows left
             m.Window.Results.Row(1).Correction = "Delete";
             m.Window.Next();
         },
         4, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        WindowMachine m;
        SeedAppPaths(m, {"one.exe", "two.exe", "three.exe"});
        ScanAppPaths(m);
        ASSERT_EQ(m.Window.Results.RowCount(), 3);
        ImpatientUser user;
        user.Watch(m);
        c.StartRepair(m);

        EXPECT_GT(user.RepairYields, 3);
        EXPECT_EQ(user.Presses, 0);
        EXPECT_FALSE(m.Window.RepairRunning);
        EXPECT_EQ(m.Window.WizardStep, c.StepAfter);
        EXPECT_EQ(m.View.OnlyPage(), Page::FrameScan);
        // The buttons as the wizard left them: Repair while rows are left, Finish, and Back
        // as the step sets it.
        EXPECT_EQ(m.View.Enabled(Control::cmdNext), m.Window.Results.RowCount() > 0);
        EXPECT_TRUE(m.View.Enabled(Control::cmdExit));
        EXPECT_EQ(m.View.Text(Control::cmdExit), "Finish");
        EXPECT_EQ(m.View.Enabled(Control::cmdBack), c.BackEnabledAfter);
    }
}

TEST(UiRepair, ARepairWhoseBackupFailsGivesEveryButtonBack) {
    WindowMachine m;
    SeedAppPaths(m, {"one.exe", "two.exe"});
    ScanAppPaths(m);
    m.Window.Next();
    ImpatientUser user;
    user.Watch(m);
    // The program folder is gone: the backup cannot be created, so nothing is changed.
    std::filesystem::remove_all(m.Program.HostPath(""));
    m.Window.Next();

    EXPECT_EQ(user.Presses, 0);
    EXPECT_FALSE(m.Window.RepairRunning);
    ASSERT_EQ(m.View.Messages.size(), 1u);
    EXPECT_EQ(m.View.Messages[0].Icon, ui::MessageIcon::Critical);
    EXPECT_EQ(m.Window.Results.RowCount(), 2);
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
    EXPECT_TRUE(m.View.Enabled(Control::cmdExit));
    registry::RawValue value;
    EXPECT_TRUE(m.Access.ReadRaw(registry::kLocalMachine,
                                 std::string(kAppPathsBelowRoot) + "one.exe", "", value));
}

TEST(UiRepair, AChangeThatDidNotTakeIsToldWithWhyAndKeepsItsRow) {
    WindowMachine m;
    SeedAppPaths(m, {"gone.exe", "moved.exe", "other.exe"});
    ScanAppPaths(m);
    const std::int32_t moved = RowOf(m, "moved.exe");
    ASSERT_NE(moved, 0);
    m.Window.Results.Row(moved).Correction = "Change Value";
    m.Window.Results.Row(moved).FixedValue = "C:\\New\\moved.exe";
    m.Window.Results.Row(RowOf(m, "other.exe")).Correction = "Ignore";
    // Another program removes the key before the repair reaches it: the change cannot be made.
    m.Window.Next();
    m.Access.DeleteKey(registry::kLocalMachine, std::string(kAppPathsBelowRoot) + "moved.exe");
    m.Window.Next();

    ASSERT_EQ(m.View.ListMessages.size(), 1u);
    const ShownListMessage& told = m.View.ListMessages[0];
    EXPECT_EQ(told.Icon, ui::MessageIcon::Exclamation);
    EXPECT_EQ(told.Text,
              "1 of the 2 registry changes could not be made.\n"
              "Its row stays in the list with its action.\n\n"
              "Why:\n"
              "- the key does not exist or cannot be opened");
    ASSERT_EQ(told.Lines.size(), 1u);
    EXPECT_EQ(told.Lines[0], "default value of " + std::string(kAppPaths) +
                                 "\\moved.exe - the key does not exist or cannot be opened");
    // The failed row is back with its action and new value; the repaired one is gone; Repair
    // is offered again.
    EXPECT_EQ(m.Window.WizardStep, 4);
    ASSERT_EQ(m.Window.Results.RowCount(), 2);
    const std::int32_t back = RowOf(m, "moved.exe");
    ASSERT_NE(back, 0);
    EXPECT_EQ(m.Window.Results.Row(back).Correction, "Change Value");
    EXPECT_EQ(m.Window.Results.Row(back).FixedValue, "C:\\New\\moved.exe");
    EXPECT_EQ(RowOf(m, "gone.exe"), 0);
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
    EXPECT_TRUE(m.View.Messages.empty());
}

TEST(UiRepair, ARepairWhereEverythingTookSaysNothing) {
    WindowMachine m;
    SeedAppPaths(m, {"gone.exe", "old.exe"});
    ScanAppPaths(m);
    m.Window.Next();
    m.Window.Next();
    ASSERT_EQ(m.Window.WizardStep, 4);
    ASSERT_TRUE(m.Window.LastRepair.has_value());
    EXPECT_EQ(m.Window.LastRepair->Changed, 2);
    EXPECT_TRUE(m.View.ListMessages.empty());
    EXPECT_TRUE(m.View.Messages.empty());
    EXPECT_EQ(m.Window.Results.RowCount(), 0);
}

TEST(UiRepair, TheShortcutQuestionWarnsAndAFileThatStaysKeepsItsRow) {
    WindowMachine m;
    ScanAppPaths(m);
    ASSERT_EQ(m.Window.Results.RowCount(), 0);
    for (const char* link : {"C:\\Links\\Old", "C:\\Links\\Locked"}) {
        scan::ShortcutEntry& entry = m.Session.Shortcuts.Grow();
        entry = {link, "C:\\Gone\\app.exe", m.Session.Shortcuts.Count(), false};
        m.Window.Results.AddShortcutRow(entry.LinkPath, entry.LinkTarget, entry.LinkIndex);
        m.Window.Results.Row(m.Window.Results.RowCount()).Correction = "Delete";
    }
    m.File("C:\\Links\\Old.lnk");  // the other file cannot be deleted (it is not there)
    m.Window.Next();
    m.View.MessageAnswers = {ui::Answer::Yes};
    m.Window.Next();

    ASSERT_EQ(m.View.Messages.size(), 1u);
    EXPECT_EQ(m.View.Messages[0].Text,
              "Would you like to remove all selected shortcuts? (This action cannot be backuped)");
    EXPECT_EQ(m.View.Messages[0].Icon, ui::MessageIcon::Exclamation);
    EXPECT_EQ(m.View.Messages[0].Buttons, ui::MessageButtons::YesNo);
    EXPECT_FALSE(m.Probes.FileExists("C:\\Links\\Old.lnk"));
    ASSERT_EQ(m.Window.Results.RowCount(), 1);
    EXPECT_EQ(m.Window.Results.Row(1).Body, "C:\\Links\\Locked");
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
    ASSERT_EQ(m.View.ListMessages.size(), 1u);
    EXPECT_EQ(m.View.ListMessages[0].Lines,
              (std::vector<std::string>{
                  "C:\\Links\\Locked.lnk - the shortcut file could not be deleted"}));
}

TEST(UiRepair, ACustomReplaceThatDidNotTakeIsToldAndTheHitsStay) {
    WindowMachine m;
    m.Text("HKEY_CURRENT_USER\\Software\\Vendor\\Tool", "Helper", "C:\\Apps\\oldsuite\\a.exe");
    m.Text("HKEY_CURRENT_USER\\Software\\Vendor\\Kept", "Helper", "C:\\Apps\\oldsuite\\b.exe");
    m.Start();
    m.Window.AdvancedOptions();
    m.View.SetChecked(Control::optStart2, false);
    m.View.SetChecked(Control::optStart3, true);
    m.Window.Next();
    m.View.SetText(Control::txtCustomStr, "oldsuite");
    m.Window.CustomTextEntered();
    m.View.SetText(Control::txtTextReplace, "C:\\New\\x.exe");
    m.Window.Next();
    ASSERT_EQ(m.Window.CustomHits.RowCount(), 2);
    m.Window.Next();  // the custom repair page
    ImpatientUser user;
    user.Watch(m);
    m.Access.DeleteKey(registry::kCurrentUser, "Software\\Vendor\\Tool");
    m.Window.Next();

    EXPECT_GT(user.RepairYields, 0);
    EXPECT_EQ(user.Presses, 0);
    EXPECT_EQ(m.Window.WizardStep, 12);
    EXPECT_EQ(m.Window.CustomHits.RowCount(), 2);
    EXPECT_EQ(m.Access.QueryValue(registry::kCurrentUser, "Software\\Vendor\\Kept", "Helper",
                                  registry::kTextKind),
              "C:\\New\\x.exe");
    ASSERT_EQ(m.View.ListMessages.size(), 1u);
    EXPECT_EQ(m.View.ListMessages[0].Lines,
              (std::vector<std::string>{
                  "value \"Helper\" of HKEY_CURRENT_USER\\Software\\Vendor\\Tool - the key does "
                  "not exist or cannot be opened"}));
}

}  // namespace
}  // namespace hivewarden::testing
