// The reports of both grids, saved and read back.
#include "e2e/report_steps.h"

#include "e2e/common_dialogs.h"
#include "e2e/file_tools.h"
#include "e2e/results_grid.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

// The text of the first line that differs, for a failed comparison.
std::string FirstDifference(const std::string& expected, const std::string& got) {
    std::size_t line = 1;
    std::size_t start = 0;
    for (;;) {
        const std::size_t endExpected = expected.find("\r\n", start);
        const std::size_t endGot = got.find("\r\n", start);
        const std::string a = expected.substr(start, endExpected - start);
        const std::string b = got.substr(start, endGot - start);
        if (a != b || endExpected != endGot) {
            return "line " + std::to_string(line) + ": expected \"" + a + "\", got \"" + b + "\"";
        }
        if (endExpected == std::string::npos) return "same text";
        start = endExpected + 2;
        ++line;
    }
}

}  // namespace

ReportKind ResultsReport() {
    return {Control::cmdSaveResults, Control::lstFound, "Action;Error;Fixed Value;Index;;Location",
            7, "results report"};
}

ReportKind CustomReport() {
    return {Control::cmdSaveCustom, Control::lstCustomSearching,
            "Action;String;Index;Fixed Value;Location", 6, "custom report"};
}

bool SaveReportAs(AppSession& app, const ReportKind& kind, const std::string& path, bool replaces,
                  const std::string& dialogShot, const std::string& questionShot) {
    const std::string label = kind.Label;
    if (!app.Check(app.Enabled(kind.Button) && IsWindowVisible(app.Item(kind.Button)),
                   label + ": Save is shown and enabled")) {
        return false;
    }
    app.Post(kind.Button);
    const HWND dialog = WaitForOwnedDialog(app, app.Main(), kDialogWaitMs, [](HWND window) {
        return GetDlgItem(window, kFileNameBox);
    });
    if (!app.Check(dialog != nullptr, label + ": Save opens the save-file dialog")) return false;
    app.Note(label + ": the dialog is titled \"" + WindowText(dialog) + "\"");
    app.Check(TypeFileName(dialog, path), label + ": " + path + " is typed as the file name");
    if (!dialogShot.empty()) app.Shot(dialogShot);
    PostClick(GetDlgItem(dialog, IDOK));
    if (replaces) {
        const HWND question = WaitForOwnedDialog(app, dialog, kDialogWaitMs, [](HWND window) {
            return GetDlgItem(window, IDYES) != nullptr;
        });
        if (!app.Check(question != nullptr,
                       label + ": saving over the existing file asks first (Yes/No)")) {
            return false;
        }
        app.Note(label + ": the system asks \"" + DialogText(question) + "\"");
        if (!questionShot.empty()) app.Shot(questionShot);
        PostClick(GetDlgItem(question, IDYES));
    }
    return app.Check(WaitClosed(dialog, kDialogWaitMs), label + ": the dialog closes");
}

void CheckReportFile(AppSession& app, const ReportKind& kind, const std::string& path) {
    const std::string label = kind.Label;
    ResultsGrid grid(app, kind.Grid);
    const int rows = grid.Rows();
    std::string expected = kind.Header + "\r\n";
    for (int row = 1; row <= rows; ++row) {
        for (int column = 2; column <= kind.LastColumn; ++column) {
            if (column > 2) expected += ";";
            expected += grid.Cell(row, column);
        }
        expected += "\r\n";
    }
    // The file is complete once the click's handler has returned; poll in case it has not.
    std::optional<std::string> bytes;
    WaitUntil([&] { return (bytes = ReadWholeFile(path)) == expected; }, kShortWaitMs, 50);
    if (!app.Check(bytes.has_value(), label + ": " + path + " is written")) return;
    app.Check(bytes->rfind(kind.Header + "\r\n", 0) == 0,
              label + ": the file starts with the header \"" + kind.Header + "\"");
    app.Check(*bytes == expected,
              label + ": one CR LF line per grid row (" + std::to_string(rows) +
                  "), the cells of columns 2 to " + std::to_string(kind.LastColumn) +
                  " joined by \";\"",
              FirstDifference(expected, *bytes));
}

}  // namespace hivewarden::e2e
