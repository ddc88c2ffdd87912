// The restore page, the exclusion list page, the custom search pages and the two reports,
// through the scripted window: real backups, Ignore.ini, a real search, repair and restore on
// the in-memory registry, and the reports' bytes.
#include <gtest/gtest.h>

#include <filesystem>

#include "regfile/regfile.h"
#include "support/window_machine.h"

namespace hivewarden::testing {
namespace {

using ui::Control;
using ui::Page;

constexpr const char* kVendor = "HKEY_CURRENT_USER\\Software\\Vendor\\Tool";

void OpenAdvancedOption(WindowMachine& m, Control option) {
    m.Window.AdvancedOptions();
    m.View.SetChecked(Control::optStart2, option == Control::optStart2);
    m.View.SetChecked(Control::optStart3, option == Control::optStart3);
    m.Window.Next();
}

TEST(UiRestorePage, ListsBackupsRestoresTheCheckedOnesInOrderAndRemovesTheHighlightedOne) {
    WindowMachine m;
    m.Text(kVendor, "Path", "now");
    m.Program.Write("b.reg",
                    "REGEDIT4\r\n\r\n[" + std::string(kVendor) + "]\r\n\"Path\"=\"b\"\r\n");
    m.Program.Write("A.REG",
                    "REGEDIT4\r\n\r\n[" + std::string(kVendor) + "]\r\n\"Path\"=\"a\"\r\n");
    m.Program.Write("c.reg", "REGEDIT4\r\n");
    m.Program.Write("notes.txt", "not a backup");
    m.Start();
    m.View.SetChecked(Control::optStart0, false);
    m.View.SetChecked(Control::optStart1, true);
    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 5);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameRestore);
    EXPECT_FALSE(m.View.Enabled(Control::cmdNext));
    EXPECT_TRUE(m.View.Enabled(Control::cmdBack));
    EXPECT_EQ(m.View.Lists[Control::lsvBackups],
              (std::vector<std::string>{"A.REG", "b.reg", "c.reg"}));

    // Checking enables Next; the checked files are handed over in list order.
    m.View.ListCheckedItems[Control::lsvBackups] = {0, 1};
    m.Window.BackupCheckChanged();
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 6);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameBackUped);
    EXPECT_FALSE(m.View.Enabled(Control::cmdBack));
    ASSERT_EQ(m.Window.LastRestore.size(), 2u);
    EXPECT_EQ(m.Window.LastRestore[0].Path, m.Program.File("A.REG"));
    EXPECT_EQ(m.Window.LastRestore[1].Path, m.Program.File("b.reg"));
    // b.reg came last, so its value stands.
    EXPECT_EQ(m.Access.QueryValue(registry::kCurrentUser, "Software\\Vendor\\Tool", "Path",
                                  registry::kTextKind),
              "b");
    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, -1);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameStart);

    // Remove: the highlighted item, checked or not; nothing when none is highlighted.
    m.View.SetChecked(Control::optStart1, true);
    m.View.SetChecked(Control::optStart0, false);
    m.Window.Next();
    m.Window.RemoveBackupClicked();
    EXPECT_EQ(m.View.ListCount(Control::lsvBackups), 3);
    m.View.ListSelected[Control::lsvBackups] = 2;
    m.Window.RemoveBackupClicked();
    EXPECT_EQ(m.View.Lists[Control::lsvBackups], (std::vector<std::string>{"A.REG", "b.reg"}));
    EXPECT_FALSE(std::filesystem::exists(m.Program.File("c.reg")));
    EXPECT_TRUE(m.View.Messages.empty());
}

TEST(UiOptionsPage, EntriesAreAddedRemovedAndSavedOnlyByNext) {
    WindowMachine m;
    m.Program.Write("Ignore.ini", "C:\\Old\r\n\r\nD:\\\r\n");
    m.Start();
    OpenAdvancedOption(m, Control::optStart2);
    ASSERT_EQ(m.View.OnlyPage(), Page::FrameOptions);
    // Every line, the empty one too, is an entry.
    EXPECT_EQ(m.View.Lists[Control::lstExcludeMain],
              (std::vector<std::string>{"C:\\Old", "", "D:\\"}));

    m.View.FileAnswers = {std::string("C:\\Tools\\tool.exe")};
    m.Window.AddFileClicked();
    EXPECT_EQ(m.View.LastDialogTitle, "");
    EXPECT_EQ(m.View.LastFilter, "*.*");
    m.View.FolderAnswers = {"E:\\Data", "E:\\Data", ""};
    m.Window.AddFolderClicked();
    m.Window.AddFolderClicked();  // the same folder twice gives two entries
    m.Window.AddFolderClicked();  // cancelled: no change
    EXPECT_EQ(m.View.LastDialogTitle, "Select the folder or drive");
    EXPECT_TRUE(m.View.Enabled(Control::cmdDeleteEntry));
    m.View.ListSelected[Control::lstExcludeMain] = 1;
    m.Window.DeleteEntryClicked();
    EXPECT_EQ(m.View.ListCount(Control::lstExcludeMain), 5);

    m.Window.Next();
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameStart);
    EXPECT_EQ(m.Program.Read("Ignore.ini"),
              "C:\\Old\r\nD:\\\r\nC:\\Tools\\tool.exe\r\nE:\\Data\r\nE:\\Data\r\n");

    // Back discards: the file stays as it was.
    m.Window.Next();
    m.View.FolderAnswers = {"F:\\"};
    m.Window.AddFolderClicked();
    m.Window.Back();
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameAdvanced);
    EXPECT_EQ(m.Program.Read("Ignore.ini"),
              "C:\\Old\r\nD:\\\r\nC:\\Tools\\tool.exe\r\nE:\\Data\r\nE:\\Data\r\n");
}

// Entries in other scripts are shown and saved exactly: the file is UTF-8 with its mark once
// an entry does not fit the ANSI code page, and reads back the same.
TEST(UiOptionsPage, EntriesOfEveryScriptAreKeptExactly) {
    const std::string liMing = "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E";  // 李明
    WindowMachine m;
    m.Program.Write("Ignore.ini",
                    "\xEF\xBB\xBF"
                    "C:\\J\xC3\xBCrgen\r\n");  // Jürgen, UTF-8
    m.Start();
    OpenAdvancedOption(m, Control::optStart2);
    EXPECT_EQ(m.View.Lists[Control::lstExcludeMain],
              (std::vector<std::string>{"C:\\J\xC3\xBCrgen"}));
    m.View.FolderAnswers = {liMing};
    m.Window.AddFolderClicked();
    m.Window.Next();
    EXPECT_EQ(m.Program.Read("Ignore.ini"),
              "\xEF\xBB\xBF"
              "C:\\J\xC3\xBCrgen\r\n" +
                  liMing + "\r\n");

    // Without the Chinese entry the list fits the code page again and is written in it.
    m.Window.Next();
    EXPECT_EQ(m.View.Lists[Control::lstExcludeMain],
              (std::vector<std::string>{"C:\\J\xC3\xBCrgen", liMing}));
    m.View.ListSelected[Control::lstExcludeMain] = 1;
    m.Window.DeleteEntryClicked();
    m.Window.Next();
    EXPECT_EQ(m.Program.Read("Ignore.ini"), "C:\\J\xFCrgen\r\n");
}

TEST(UiOptionsPage, DeleteEntryFollowsTheListAndAnEmptyListSavesAnEmptyFile) {
    WindowMachine m;
    m.Program.Write("Ignore.ini", "C:\\One\r\n");
    m.Start();
    OpenAdvancedOption(m, Control::optStart2);
    m.View.ListSelected[Control::lstExcludeMain] = 0;
    m.Window.ExclusionListClicked();
    EXPECT_TRUE(m.View.Enabled(Control::cmdDeleteEntry));
    m.Window.DeleteEntryClicked();
    EXPECT_EQ(m.View.ListCount(Control::lstExcludeMain), 0);
    EXPECT_TRUE(m.View.Enabled(Control::cmdDeleteEntry));  // the next press disables it
    m.Window.DeleteEntryClicked();
    EXPECT_FALSE(m.View.Enabled(Control::cmdDeleteEntry));
    m.Window.Next();
    EXPECT_EQ(m.Program.Read("Ignore.ini"), "");
    EXPECT_TRUE(std::filesystem::exists(m.Program.File("Ignore.ini")));
}

class CustomPages : public ::testing::Test {
  protected:
    void SetUp() override {
        m.Text(kVendor, "Helper", "C:\\Apps\\oldsuite\\helper.exe");
        m.Text(kVendor, "Other", "nothing here");
        m.Key("HKEY_LOCAL_MACHINE\\Software\\Vendor\\OldSuite");
        m.Start();
        OpenAdvancedOption(m, Control::optStart3);
        ASSERT_EQ(m.Window.WizardStep, 8);
        EXPECT_FALSE(m.View.Enabled(Control::cmdNext));
    }

    void Enter(const std::string& text) {
        m.View.SetText(Control::txtCustomStr, text);
        m.Window.CustomTextEntered();
    }

    WindowMachine m;
};

TEST_F(CustomPages, SearchTextsAreEnteredChangedAndDeleted) {
    Enter("   ");
    EXPECT_EQ(m.View.ListCount(Control::lstCustomsStrs), 0);
    EXPECT_FALSE(m.View.Enabled(Control::cmdNext));
    Enter(" oldsuite ");
    EXPECT_EQ(m.View.Lists[Control::lstCustomsStrs], (std::vector<std::string>{" oldsuite "}));
    EXPECT_EQ(m.View.Text(Control::txtCustomStr), "");
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
    m.View.ListSelected[Control::lstCustomsStrs] = 0;
    m.View.SetText(Control::txtCustomStr, "suite");
    m.Window.CustomChangeClicked();
    EXPECT_EQ(m.View.Lists[Control::lstCustomsStrs], (std::vector<std::string>{"suite"}));
    m.View.ListSelected[Control::lstCustomsStrs] = 0;
    m.Window.CustomDeleteClicked();
    EXPECT_EQ(m.View.ListCount(Control::lstCustomsStrs), 0);
    EXPECT_FALSE(m.View.Enabled(Control::cmdNext));
}

TEST_F(CustomPages, SearchReplaceAndDeleteWithABackupThatRestores) {
    Enter("oldsuite");
    m.View.SetText(Control::txtTextReplace, "C:\\New\\helper.exe");
    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 9);
    EXPECT_EQ(m.View.Caption, "Kestovar Hivewarden - 2 strings found");
    ASSERT_EQ(m.Window.CustomHits.RowCount(), 2);
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
    EXPECT_TRUE(m.View.Enabled(Control::cmdBack));
    EXPECT_FALSE(m.View.Enabled(Control::cmdCustomCancel));
    EXPECT_FALSE(m.View.TimerRunning(ui::Timer::tmrCustomAnim));
    EXPECT_EQ(m.View.Progress[Control::pgrCustomPrg], 100);
    EXPECT_FALSE(m.View.AnimationFrames.empty());
    EXPECT_FALSE(m.View.HiddenControls.count(Control::cmdSaveCustom));

    // The value row keeps "Replace"; the key row (a key offers only Ignore and Delete) is
    // set to Delete through the chooser.
    std::int32_t keyRow = 0;
    for (std::int32_t r = 1; r <= 2; ++r) {
        if (m.Window.CustomHits.Row(r).ImageKey == "Key") keyRow = r;
    }
    ASSERT_NE(keyRow, 0);
    m.View.SelectedRow = keyRow;
    m.Window.CustomEditRequested(keyRow, custom::kCustomColumnAction);
    EXPECT_EQ(m.View.ChooserControl, Control::cmbCustomRplAction);
    EXPECT_EQ(m.View.ChooserItems, (std::vector<std::string>{"Ignore", "Delete"}));
    m.View.ChooserChoice = "Delete";
    m.Window.CustomActionChosen();
    EXPECT_EQ(m.Window.CustomHits.Row(keyRow).Action, "Delete");

    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 10);
    EXPECT_EQ(m.View.Text(Control::lblCustomErrorsFix),
              "Kestovar Hivewarden will repair 2 errors.");
    EXPECT_EQ(m.View.Text(Control::txtCustomBackUpName), "4-12-2026-21-5");
    m.Window.Next();
    // The repair's completion moves on to the results page.
    EXPECT_EQ(m.Window.WizardStep, 12);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameScan);
    EXPECT_EQ(m.Access.QueryValue(registry::kCurrentUser, "Software\\Vendor\\Tool", "Helper",
                                  registry::kTextKind),
              "C:\\New\\helper.exe");
    EXPECT_FALSE(m.Access.KeyExists(registry::kLocalMachine, "Software\\Vendor\\OldSuite"));

    const registry::RegFileStatus restored =
        registry::LoadRegFile(m.Program.File("4-12-2026-21-5.reg"), m.Store);
    ASSERT_TRUE(restored) << restored.Message;
    EXPECT_EQ(m.Access.QueryValue(registry::kCurrentUser, "Software\\Vendor\\Tool", "Helper",
                                  registry::kTextKind),
              "C:\\Apps\\oldsuite\\helper.exe");
    EXPECT_TRUE(m.Access.KeyExists(registry::kLocalMachine, "Software\\Vendor\\OldSuite"));
}

TEST_F(CustomPages, ReplaceByWithAnEmptyAnswerIgnoresAndNothingToRepairShowsTheResults) {
    Enter("helper");
    m.Window.Next();
    ASSERT_EQ(m.Window.CustomHits.RowCount(), 1);
    m.View.SelectedRow = 1;
    m.Window.CustomEditRequested(1, custom::kCustomColumnAction);
    EXPECT_EQ(m.View.ChooserItems,
              (std::vector<std::string>{"Ignore", "Delete", "Replace", "Replace by"}));
    m.View.ChooserChoice = "Replace by";
    m.View.InputAnswers = {std::string()};
    m.Window.CustomActionChosen();
    EXPECT_EQ(m.View.LastInputPrompt, "Enter the replace text for this item");
    EXPECT_EQ(m.Window.CustomHits.Row(1).Action, "Ignore");
    EXPECT_EQ(m.Window.CustomHits.Row(1).Fixed, "");

    m.Window.Next();
    EXPECT_EQ(m.Window.WizardStep, 4);
    EXPECT_EQ(m.View.OnlyPage(), Page::FrameScan);
    EXPECT_EQ(m.Access.QueryValue(registry::kCurrentUser, "Software\\Vendor\\Tool", "Helper",
                                  registry::kTextKind),
              "C:\\Apps\\oldsuite\\helper.exe");
}

TEST_F(CustomPages, CancelDuringTheSearchKeepsTheHitsSoFarAndEnablesBack) {
    Enter("o");
    bool cancelled = false;
    auto tick = m.View.OnYield;
    m.View.OnYield = [&] {
        tick();
        if (!cancelled && m.Window.ScanInProgress) {
            // No report of a half-finished search.
            EXPECT_TRUE(m.View.HiddenControls.count(Control::cmdSaveCustom));
            cancelled = true;
            m.Window.CustomCancelClicked();
            EXPECT_FALSE(m.View.Enabled(Control::cmdCustomCancel));
            EXPECT_TRUE(m.View.Enabled(Control::cmdBack));
        }
    };
    m.Window.Next();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(m.Session.State.StopRequested);
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
}

TEST(UiCustomAnimation, TheAnimationRunsThroughItsTwentyTwoFramesAndStartsAgain) {
    WindowMachine m;
    m.Start();
    for (int tick = 0; tick < 23; ++tick) m.Window.OnTimer(ui::Timer::tmrCustomAnim);
    ASSERT_EQ(m.View.AnimationFrames.size(), 23u);
    for (int i = 0; i < 22; ++i) EXPECT_EQ(m.View.AnimationFrames[i], i + 1);
    EXPECT_EQ(m.View.AnimationFrames[22], 1);
    EXPECT_FALSE(m.View.HiddenControls.count(Control::picCustomAnim));
}

TEST(UiReports, SaveWritesTheGridAsItStandsAndReportsFailures) {
    WindowMachine m;
    m.Text("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\g.exe", "",
           "C:\\Gone;x\\g.exe");
    m.Start();
    m.Window.Next();
    m.CheckOnly({Control::chkAppPaths});
    m.Window.Next();
    ASSERT_EQ(m.Window.Results.RowCount(), 1);

    m.View.SaveAnswers = {std::nullopt};
    m.Window.SaveResultsClicked();  // cancelled: nothing written, nothing shown
    EXPECT_TRUE(m.View.Messages.empty());

    m.View.SaveAnswers = {m.Program.File("report.txt")};
    m.Window.SaveResultsClicked();
    EXPECT_EQ(m.View.LastFilter, "Text file (*.txt)|*.txt");
    const std::string row = m.Window.Results.Row(1).ErrorKind;
    EXPECT_EQ(m.Program.Read("report.txt"),
              "Action;Error;Fixed Value;Index;;Location\r\nDelete;" + row + ";;1;2;" +
                  "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App "
                  "Paths\\g.exe\r\n");

    m.View.SaveAnswers = {m.Program.File("no-such-folder/report.txt")};
    m.Window.SaveResultsClicked();
    ASSERT_EQ(m.View.Messages.size(), 1u);
    EXPECT_EQ(
        m.View.Messages[0].Text.rfind("There was an error while saving results. Err number: ", 0),
        0u);
    EXPECT_EQ(m.View.Messages[0].Icon, ui::MessageIcon::Critical);

    m.View.SaveAnswers = {m.Program.File("custom.txt")};
    m.Window.SaveCustomClicked();
    EXPECT_EQ(m.Program.Read("custom.txt"), "Action;String;Index;Fixed Value;Location\r\n");
}

// A report whose text the ANSI code page holds is saved in it; one with a path it cannot
// hold is saved as UTF-8 after a byte order mark, with the path exactly as found.
TEST(UiReports, SavedReportsFitTheCodePageOrAreUtf8) {
    const std::string appPaths =
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\g.exe";
    struct Case {
        const char* name;
        std::string target;  // UTF-8
        std::string fileTarget;
        std::string mark;
    } cases[] = {
        {"ANSI", "C:\\J\xC3\xBCrgen\\g.exe", "C:\\J\xFCrgen\\g.exe", ""},
        {"UTF-8", "C:\\\xE7\x8E\x8B\\g.exe", "C:\\\xE7\x8E\x8B\\g.exe", "\xEF\xBB\xBF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowMachine m;
        m.Text(appPaths, "", c.target);
        m.Start();
        m.Window.Next();
        m.CheckOnly({Control::chkAppPaths});
        m.Window.Next();
        ASSERT_EQ(m.Window.Results.RowCount(), 1);
        m.View.SaveAnswers = {m.Program.File("report.txt")};
        m.Window.SaveResultsClicked();
        EXPECT_EQ(m.Program.Read("report.txt"),
                  c.mark +
                      "Action;Error;Fixed Value;Index;;Location\r\nDelete;"
                      "Invalid Application Path - " +
                      c.fileTarget + ";;1;2;" + appPaths + "\r\n");
        EXPECT_TRUE(m.View.Messages.empty());
    }
}

}  // namespace
}  // namespace hivewarden::testing
