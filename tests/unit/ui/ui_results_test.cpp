// The results page's per-row editing through the scripted window: which rows open the action
// drop-down and what it offers, "Change Value" through the folder picker or the open-file
// dialog with and without editing, cancelled dialogs, Delete after Change Value, the bulk
// actions, sorting, and the backup-name box's checks.
#include <gtest/gtest.h>

#include "support/window_machine.h"

namespace hivewarden::testing {
namespace {

using ui::Control;

constexpr const char* kAppPaths =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kUninstall =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Results: an application-path row (a folder-or-file path, CanChange 2), an uninstall row (a
// file, CanChange 1) and an excluded row (CanChange 3), in that order after the sort.
class ResultsPage : public ::testing::Test {
  protected:
    void SetUp() override {
        m.Text(std::string(kAppPaths) + "\\gone.exe", "Path", "C:\\GoneFolder");
        m.Text(std::string(kUninstall) + "\\Old", "UninstallString", "C:\\Old\\uninst.exe");
        m.Text(std::string(kUninstall) + "\\Kept", "UninstallString", "C:\\Kept\\uninst.exe");
        m.Program.Write("Ignore.ini", "C:\\KEPT\r\n");
        m.Start();
        m.Window.Next();
        m.CheckOnly({Control::chkAppPaths, Control::chkUninstall});
        m.Window.Next();
        ASSERT_EQ(m.Window.Results.RowCount(), 3);
    }

    // The grid row whose Body (key path) ends with `tail`.
    std::int32_t RowOf(const std::string& tail) {
        for (std::int32_t r = 1; r <= m.Window.Results.RowCount(); ++r) {
            const std::string& body = m.Window.Results.Row(r).Body;
            if (body.size() >= tail.size() &&
                body.compare(body.size() - tail.size(), tail.size(), tail) == 0) {
                return r;
            }
        }
        ADD_FAILURE() << "no row for " << tail;
        return 1;
    }

    // Clicks the Correction cell of `row` and picks `choice` in the drop-down.
    void Choose(std::int32_t row, const std::string& choice) {
        m.View.SelectedRow = row;
        m.Window.EditRequested(row, scan::kColumnCorrection);
        m.View.ChooserChoice = choice;
        m.Window.ActionChosen();
    }

    const engine::ErrorEntry& EntryOf(std::int32_t row) {
        return m.Session.State.ScanResults[m.Window.Results.Row(row).Index];
    }

    WindowMachine m;
};

TEST_F(ResultsPage, TheDropDownOffersWhatTheRowAllowsOverItsCorrectionCell) {
    const std::int32_t app = RowOf("gone.exe");
    m.Window.EditRequested(app, scan::kColumnCorrection);
    ASSERT_TRUE(m.View.ChooserShown);
    EXPECT_EQ(m.View.ChooserItems, (std::vector<std::string>{"Ignore", "Delete", "Change Value"}));
    EXPECT_EQ(m.View.ChooserText, "Delete");
    EXPECT_EQ(m.View.ChooserBox.Left, scan::kColumnCorrection * 100);
    EXPECT_EQ(m.View.ChooserBox.Top, app * 20);

    // Another column, or an excluded row, opens nothing.
    m.Window.EditCancelled();
    EXPECT_FALSE(m.View.ChooserShown);
    m.Window.EditRequested(app, scan::kColumnErrorKind);
    EXPECT_FALSE(m.View.ChooserShown);
    const std::int32_t excluded = RowOf("Kept");
    EXPECT_EQ(m.Window.Results.Row(excluded).CanChange, scan::kCanChangeLocked);
    m.Window.EditRequested(excluded, scan::kColumnCorrection);
    EXPECT_FALSE(m.View.ChooserShown);

    // Losing the focus ends the grid's edit.
    m.Window.ActionChooserLostFocus();
    EXPECT_TRUE(m.View.EditEnded);
}

TEST_F(ResultsPage, ChangeValueOfAFolderUsesThePickerAndMayEditThePath) {
    const std::int32_t app = RowOf("gone.exe");
    m.View.FolderAnswers = {"D:\\Tools"};
    m.View.MessageAnswers = {ui::Answer::Yes};
    m.View.InputAnswers = {std::string("D:\\Tools\\New")};
    Choose(app, "Change Value");
    EXPECT_EQ(m.View.LastDialogTitle, "Select the new folder or drive");
    EXPECT_EQ(m.View.Messages.back().Text, "Would you like to edit the selected path?");
    EXPECT_EQ(m.View.LastInputPrompt, "Please, edit the current path");
    EXPECT_EQ(m.View.LastInputInitial, "D:\\Tools");
    EXPECT_EQ(m.Window.Results.Row(app).Correction, "Change Value");
    EXPECT_EQ(m.Window.Results.Row(app).FixedValue, "D:\\Tools\\New");
    EXPECT_EQ(EntryOf(app).FixedValue, "D:\\Tools\\New");
    EXPECT_FALSE(m.View.ChooserShown);

    // Delete afterwards empties the Fixed Value cell.
    Choose(app, "Delete");
    EXPECT_EQ(m.Window.Results.Row(app).Correction, "Delete");
    EXPECT_EQ(m.Window.Results.Row(app).FixedValue, "");
}

TEST_F(ResultsPage, ChangeValueOfAFileUsesTheOpenFileDialog) {
    const std::int32_t uninstall = RowOf("Old");
    m.View.FileAnswers = {std::string("C:\\Windows\\notepad.exe")};
    m.View.MessageAnswers = {ui::Answer::No};
    Choose(uninstall, "Change Value");
    EXPECT_EQ(m.View.LastDialogTitle, "Please, select the new file path");
    EXPECT_EQ(m.View.LastFilter, "All Files (*.*)|*.*");
    EXPECT_EQ(m.Window.Results.Row(uninstall).FixedValue, "C:\\Windows\\notepad.exe");
    EXPECT_EQ(m.Window.Results.Row(uninstall).Correction, "Change Value");
}

TEST_F(ResultsPage, ACancelledOrEmptiedChoiceLeavesTheRowAndTheDropDownAsTheyWere) {
    struct Case {
        const char* name;
        std::function<void(FakeView&)> script;
    };
    const Case cases[] = {
        {"open-file dialog cancelled", [](FakeView& v) { v.FileAnswers = {std::nullopt}; }},
        {"edited text emptied",
         [](FakeView& v) {
             v.FileAnswers = {std::string("C:\\x.exe")};
             v.MessageAnswers = {ui::Answer::Yes};
             v.InputAnswers = {std::string()};
         }},
        {"text input cancelled",
         [](FakeView& v) {
             v.FileAnswers = {std::string("C:\\x.exe")};
             v.MessageAnswers = {ui::Answer::Yes};
             v.InputAnswers = {std::nullopt};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int32_t uninstall = RowOf("Old");
        c.script(m.View);
        Choose(uninstall, "Change Value");
        EXPECT_EQ(m.Window.Results.Row(uninstall).Correction, "Delete");
        EXPECT_EQ(m.Window.Results.Row(uninstall).FixedValue, "");
        EXPECT_EQ(EntryOf(uninstall).FixedValue, "");
        EXPECT_TRUE(m.View.ChooserShown);
    }
}

TEST_F(ResultsPage, BulkActionsIncludeExcludedRowsAndClearFixedValues) {
    const std::int32_t uninstall = RowOf("Old");
    m.View.FileAnswers = {std::string("C:\\Windows\\notepad.exe")};
    m.View.MessageAnswers = {ui::Answer::No};
    Choose(uninstall, "Change Value");
    m.Window.DeleteAllClicked();
    for (std::int32_t r = 1; r <= 3; ++r) {
        EXPECT_EQ(m.Window.Results.Row(r).Correction, "Delete");
        EXPECT_EQ(m.Window.Results.Row(r).FixedValue, "");
    }
    m.Window.IgnoreAllClicked();
    for (std::int32_t r = 1; r <= 3; ++r) EXPECT_EQ(m.Window.Results.Row(r).Correction, "Ignore");
    // Nothing left to repair: the preview says so and keeps Next disabled.
    m.Window.Next();
    EXPECT_EQ(m.View.Messages.back().Text, "No errors to fix!");
    EXPECT_FALSE(m.View.Enabled(Control::cmdNext));
}

TEST_F(ResultsPage, HeaderClicksSortAscendingThenDescending) {
    const int resets = m.View.GridResets;
    m.Window.HeaderClicked(scan::kColumnErrorKind);
    const std::string first = m.Window.Results.Row(1).ErrorKind;
    m.Window.HeaderClicked(scan::kColumnErrorKind);
    EXPECT_EQ(m.Window.Results.Row(3).ErrorKind, first);
    EXPECT_GT(m.View.GridResets, resets);
}

TEST_F(ResultsPage, TheBackupNameBoxRefusesUnusableAndExistingNames) {
    m.Window.Next();
    ASSERT_EQ(m.Window.WizardStep, 2);
    EXPECT_TRUE(m.View.Enabled(Control::cmdNext));
    struct Case {
        const char* name;
        const char* text;
        bool nextEnabled;
        const char* message;  // shown when the box loses the focus; null for none
    };
    m.Program.Write("Taken.REG", "REGEDIT4\r\n");
    const Case cases[] = {
        {"empty", "", false, nullptr},
        {"plain", "before cleaning", true, nullptr},
        {"existing, in another case", "taken", true,
         "The entered name already exist. Please select another"},
        {"a folder separator", "..\\elsewhere", false, ""},
        {"a device name", "CON", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m.View.Messages.clear();
        m.View.Focused.reset();
        m.View.SetText(Control::txtBackUpName, c.text);
        m.Window.BackupNameChanged();
        EXPECT_EQ(m.View.Enabled(Control::cmdNext), c.nextEnabled);
        m.Window.BackupNameLostFocus();
        if (c.message == nullptr) {
            EXPECT_TRUE(m.View.Messages.empty());
            continue;
        }
        ASSERT_EQ(m.View.Messages.size(), 1u);
        if (*c.message) {
            EXPECT_EQ(m.View.Messages[0].Text, c.message);
        }
        EXPECT_FALSE(m.View.Messages[0].Text.empty());
        EXPECT_EQ(m.View.Messages[0].Icon, ui::MessageIcon::Exclamation);
        EXPECT_EQ(m.View.Focused, Control::txtBackUpName);
    }
}

}  // namespace
}  // namespace hivewarden::testing
