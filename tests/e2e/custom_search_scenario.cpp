// The custom search: search texts entered with Enter (a blank one is refused, one is deleted
// again), a page-wide replace text, the search over the whole registry and its hits, the
// actions chosen per hit (the chooser, Ignore All, "Replace by" with its question), the custom
// report, the custom repair page with a named backup, and the registry afterwards.
#include <vector>

#include "e2e/common_dialogs.h"
#include "e2e/file_tools.h"
#include "e2e/list_view.h"
#include "e2e/program_settings.h"
#include "e2e/registry_tools.h"
#include "e2e/report_steps.h"
#include "e2e/scan_steps.h"
#include "e2e/scenarios.h"
#include "e2e/scope_exit.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr char kRootKey[] = "Software\\HwE2E";
constexpr char kValuesKey[] = "Software\\HwE2E\\Custom";
constexpr char kNeedleKey[] = "Software\\HwE2E\\Deeper\\hwneedle-key";
constexpr char kBulkKey[] = "Software\\HwE2E\\Zbulk";
constexpr int kBulkValues = 20000;
// How long the search must be seen running before its hits (polled every 500 ms) and its
// animation (100 ms) must show.
constexpr ULONGLONG kHitPollingSpanMs = 1200;
constexpr ULONGLONG kAnimationSpanMs = 500;
constexpr char kNeedle[] = "hwneedle";
constexpr char kSecondText[] = "hwsecond";
constexpr char kReplaceText[] = "replaced-by-e2e";
constexpr char kTypedText[] = "typed-by-e2e";
constexpr char kBackupName[] = "e2e-custom";
constexpr char kReportName[] = "custom.txt";
constexpr int kInputEditId = 100;  // the text box of the program's input question

constexpr int kColumnImg = 1;
constexpr int kColumnAction = 2;
constexpr int kColumnString = 3;
constexpr int kColumnIndex = 4;
constexpr int kColumnFixed = 5;
constexpr int kColumnBody = 6;

constexpr DWORD kSearchTimeoutMs = 90000;
constexpr DWORD kRepairTimeoutMs = 30000;
constexpr int kSeededHits = 4;
constexpr DWORD kKeySettleMs = 200;

const char* const kTitle = "Kestovar Hivewarden";

struct HitRow {
    int Row = 0;
    std::string Img;
    std::string Action;
    std::string String;
    std::string Index;
    std::string Fixed;
    std::string Body;
};

HitRow ReadRow(ResultsGrid& grid, int row) {
    return {row,
            grid.Cell(row, kColumnImg),
            grid.Cell(row, kColumnAction),
            grid.Cell(row, kColumnString),
            grid.Cell(row, kColumnIndex),
            grid.Cell(row, kColumnFixed),
            grid.Cell(row, kColumnBody)};
}

std::optional<HitRow> FindByBody(ResultsGrid& grid, const std::string& body) {
    const int rows = grid.Rows();
    for (int row = 1; row <= rows; ++row) {
        if (grid.Cell(row, kColumnBody) == body) return ReadRow(grid, row);
    }
    return std::nullopt;
}

std::string Hkcu(const std::string& path) { return "HKEY_CURRENT_USER\\" + path; }

// Values that hold nothing to find, searched after the hits: the search runs on for a while
// after it has found them.
bool SeedBulk() {
    for (int i = 0; i < kBulkValues; ++i) {
        if (!WriteText(HKEY_CURRENT_USER, kBulkKey, "v" + std::to_string(i), "nothing here")) {
            return false;
        }
    }
    return true;
}

bool Seed() {
    DeleteTree(HKEY_CURRENT_USER, kRootKey);
    return SeedBulk() && WriteExpandText(HKEY_CURRENT_USER, kValuesKey, "One", "hwneedle-1") &&
           WriteText(HKEY_CURRENT_USER, kValuesKey, "Two", "hwneedle-2") &&
           WriteText(HKEY_CURRENT_USER, kValuesKey, "Three", "hwneedle-3") &&
           WriteText(HKEY_CURRENT_USER, kNeedleKey, "Plain", "nothing to find");
}

// Types `text` into the search-text box and presses Enter there (posted: the keys reach the
// box in order, after anything posted before).
void EnterText(AppSession& app, const std::string& text) {
    const HWND box = app.Item(Control::txtCustomStr);
    SetWindowTextTo(box, text);
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);
}

bool EnterSearchTexts(AppSession& app) {
    app.Post(Control::CmdAdvanced);
    if (!app.Check(app.WaitPages("FrameAdvanced"), "custom: Advanced Options shows its page")) {
        return false;
    }
    app.Send(Control::optStart3);
    app.Check(app.Checked(Control::optStart3) && !app.Checked(Control::optStart2),
              "custom: \"Scan my registry for custom values\" is selected");
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameCustomStrings") && app.Step() == 8,
                   "custom: Next shows the search-text page (step 8)",
                   "pages \"" + app.Pages() + "\", step " + std::to_string(app.Step()))) {
        return false;
    }
    app.CheckSoon([&] { return !app.Enabled(Control::cmdNext); },
                  "custom: Next is disabled without a search text");
    ListView texts(app, Control::lstCustomsStrs);
    // A blank text first: the needle typed after it must be the list's only text.
    EnterText(app, "   ");
    Sleep(kKeySettleMs);
    app.Check(!app.Enabled(Control::cmdNext), "custom: Enter on a blank text leaves Next disabled");
    EnterText(app, kNeedle);
    WaitUntil([&] { return !texts.Items().empty(); }, kShortWaitMs);
    app.Check(
        texts.Items() == std::vector<std::string>{kNeedle},
        std::string("custom: Enter adds \"") + kNeedle + "\" to the list, the blank text was not",
        "list \"" + JoinList(texts.Items()) + "\"");
    app.Check(app.Text(Control::txtCustomStr).empty(), "custom: the box is emptied");
    app.Check(app.Enabled(Control::cmdNext), "custom: a listed text enables Next");
    EnterText(app, kSecondText);
    app.Check(WaitUntil([&] { return texts.Items().size() == 2; }, kShortWaitMs) &&
                  texts.Items() == std::vector<std::string>{kNeedle, kSecondText},
              "custom: a second text is added after the first", JoinList(texts.Items()));
    texts.ClickItem(1);
    app.Check(WaitUntil([&] { return texts.Selected() == 1; }, kShortWaitMs),
              "custom: a click selects the second text");
    app.Send(Control::cmdCustomDelete);
    app.Check(texts.Items() == std::vector<std::string>{kNeedle},
              "custom: \"Delete it\" removes the selected text", JoinList(texts.Items()));
    app.Check(SetWindowTextTo(app.Item(Control::txtTextReplace), kReplaceText),
              std::string("custom: the replace text \"") + kReplaceText + "\" is typed");
    app.Shot("22-custom-strings");
    return true;
}

bool SearchEnded(AppSession& app) {
    return app.Enabled(Control::cmdNext) && !app.Enabled(Control::cmdCustomCancel) &&
           !app.Scanning();
}

bool RunSearch(AppSession& app, ResultsGrid& grid) {
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameCustomSearching") && app.Step() == 9,
                   "search: Next shows the search page (step 9)",
                   "pages \"" + app.Pages() + "\"")) {
        return false;
    }
    // The window is held while its state is read, in case the search is already ending.
    bool runningState = false;
    bool saveOffered = false;
    bool animationWhileRunning = false;
    bool rowsWhileRunning = false;
    ULONGLONG firstSeen = 0;
    ULONGLONG lastSeen = 0;
    bool shotRunning = false;
    const ULONGLONG start = GetTickCount64();
    const bool ended = WaitUntil(
        [&] {
            // Rows before the state: the last hits are handed over only after the search has
            // left ScanInProgress.
            const int rows = grid.Rows();
            app.Context().Automation.AskAndHold(
                app.Main(), "scanning", [&](const std::string& answer) {
                    if (answer != "1") return;
                    lastSeen = GetTickCount64();
                    if (firstSeen == 0) {
                        firstSeen = lastSeen;
                        runningState = !app.Enabled(Control::cmdNext) &&
                                       !app.Enabled(Control::cmdBack) &&
                                       app.Enabled(Control::cmdCustomCancel);
                        saveOffered = IsWindowVisible(app.Item(Control::cmdSaveCustom)) &&
                                      app.Enabled(Control::cmdSaveCustom);
                    }
                    animationWhileRunning =
                        animationWhileRunning || IsWindowVisible(app.Item(Control::picCustomAnim));
                    if (!rowsWhileRunning && rows >= kSeededHits) rowsWhileRunning = true;
                });
            if (rowsWhileRunning && !shotRunning) {
                shotRunning = true;
                app.Shot("23-custom-search-running");
            }
            return SearchEnded(app);
        },
        kSearchTimeoutMs, 50);
    const ULONGLONG seenFor = lastSeen - firstSeen;
    app.Note("the search took about " + std::to_string(GetTickCount64() - start) +
             " ms; seen running for " + std::to_string(seenFor) + " ms");
    if (app.Check(firstSeen != 0, "search: the search is seen running")) {
        app.Check(runningState,
                  "search: while it runs, Next and Back are disabled and Cancel Scan enabled");
        // The report's Save is offered once the search has ended, not on a half-done list.
        app.Check(!saveOffered, "search: while it runs, Save is not offered",
                  "Save is shown and enabled");
        // Both need the search to run on for a while: the hits are found at its start.
        if (rowsWhileRunning || seenFor >= kHitPollingSpanMs) {
            app.Check(rowsWhileRunning,
                      "search: the hits show in the grid while the search still runs (hit "
                      "polling every 500 ms)",
                      "none in " + std::to_string(seenFor) + " ms");
        } else {
            app.Note("the search ended too soon to tell whether its hits show while it runs");
        }
        if (animationWhileRunning || seenFor >= kAnimationSpanMs) {
            app.Check(animationWhileRunning, "search: the animation shows while the search runs",
                      "not in " + std::to_string(seenFor) + " ms");
        } else {
            app.Note("the search ended too soon to tell whether its animation runs");
        }
    }
    if (!app.Check(ended, "search: the search ends (Next enabled, Cancel disabled)")) return false;
    const int rows = grid.Rows();
    const std::string caption =
        std::string(kTitle) + " - " + std::to_string(rows) + " strings found";
    app.CheckSoon([&] { return app.Caption() == caption; }, "search: caption \"" + caption + "\"",
                  [&] { return "got \"" + app.Caption() + "\""; });
    app.Check(rows == kSeededHits, "search: the four seeded hits are the only rows",
              std::to_string(rows) + " rows");
    app.Check(app.Enabled(Control::cmdBack), "search: Back is enabled again");
    DWORD_PTR position = 0;
    SendMessageTimeoutW(app.Item(Control::pgrCustomPrg), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &position);
    app.Check(position == 100, "search: the progress bar shows 100", std::to_string(position));
    app.Shot("24-custom-search-done");
    return true;
}

struct Hits {
    HitRow One, Two, Three, Key;
};

bool CheckHits(AppSession& app, ResultsGrid& grid, Hits& hits) {
    const std::string valueRows[] = {"One", "Two", "Three"};
    HitRow* targets[] = {&hits.One, &hits.Two, &hits.Three};
    for (int i = 0; i < 3; ++i) {
        const std::string body = Hkcu(kValuesKey) + "\\" + valueRows[i];
        const std::optional<HitRow> row = FindByBody(grid, body);
        if (!app.Check(row.has_value(), "hits: the value " + valueRows[i] + " is a row")) {
            return false;
        }
        *targets[i] = *row;
        const std::string string =
            std::string("String Found (") + kNeedle + ") - hwneedle-" + std::to_string(i + 1);
        app.Check(row->String == string, "hits: " + valueRows[i] + " reads \"" + string + "\"",
                  "got \"" + row->String + "\"");
        app.Check(
            row->Img == "Value" && row->Action == "Replace" && row->Fixed == kReplaceText,
            "hits: " + valueRows[i] + " has the Value image, \"Replace\" and the replace text",
            row->Img + ", " + row->Action + ", " + row->Fixed);
    }
    const std::optional<HitRow> key = FindByBody(grid, Hkcu(kNeedleKey));
    if (!app.Check(key.has_value(), "hits: the key hwneedle-key is a row")) return false;
    hits.Key = *key;
    app.Check(key->String == std::string("String Found (") + kNeedle + ")" && key->Img == "Key",
              "hits: the key row reads \"String Found (hwneedle)\" with the Key image",
              key->String + ", " + key->Img);
    bool indexes = true;
    for (int row = 1; row <= grid.Rows(); ++row) {
        indexes = indexes && grid.Cell(row, kColumnIndex) == std::to_string(row);
    }
    app.Check(indexes, "hits: each row's Index is its hit's position");
    return true;
}

bool ChooseCustom(AppSession& app, ResultsGrid& grid, const HitRow& row, const std::string& action,
                  const std::vector<std::string>& offered, const std::string& shot = {}) {
    const std::string label = "actions: the " + row.Body.substr(row.Body.rfind('\\') + 1) + " row";
    if (!app.Check(grid.OpenChooser(row.Row), label + ": its Action cell opens the chooser")) {
        return false;
    }
    const std::vector<std::string> items = grid.ChooserItems();
    app.Check(items == offered, label + ": the chooser offers " + JoinList(offered),
              "got " + JoinList(items));
    std::string detail;
    app.Check(grid.ChooserCoversCell(row.Row, detail), label + ": the chooser lies over the cell",
              detail);
    if (!shot.empty()) {
        const HWND combo = app.Item(Control::cmbCustomRplAction);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, TRUE, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                            &result);
        app.Shot(shot);
        SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, FALSE, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                            &result);
    }
    return app.Check(grid.ChooseItem(action), label + ": \"" + action + "\" is chosen");
}

bool SetActions(AppSession& app, ResultsGrid& grid, const Hits& hits) {
    app.Send(Control::cmdCustomSelect);
    bool ignored = true;
    for (int row = 1; row <= grid.Rows(); ++row) {
        ignored = ignored && grid.Cell(row, kColumnAction) == "Ignore" &&
                  grid.Cell(row, kColumnFixed).empty();
    }
    app.Check(ignored, "actions: Ignore All sets every row to \"Ignore\" with no Fixed text");
    const std::vector<std::string> valueActions = {"Ignore", "Delete", "Replace", "Replace by"};
    if (!ChooseCustom(app, grid, hits.Key, "Delete", {"Ignore", "Delete"}, "25-custom-chooser") ||
        !app.Check(WaitUntil([&] { return grid.Cell(hits.Key.Row, kColumnAction) == "Delete"; },
                             kShortWaitMs),
                   "actions: the key row reads \"Delete\"")) {
        return false;
    }
    if (!ChooseCustom(app, grid, hits.One, "Replace", valueActions) ||
        !app.Check(WaitUntil(
                       [&] {
                           return grid.Cell(hits.One.Row, kColumnAction) == "Replace" &&
                                  grid.Cell(hits.One.Row, kColumnFixed) == kReplaceText;
                       },
                       kShortWaitMs),
                   "actions: One reads \"Replace\" with the page's replace text")) {
        return false;
    }
    if (!ChooseCustom(app, grid, hits.Three, "Replace by", valueActions)) return false;
    const HWND question = WaitForDialog(app.Process().Pid(), kTitle,
                                        "Enter the replace text for this item", kDialogWaitMs);
    if (!app.Check(question != nullptr,
                   "actions: \"Replace by\" asks \"Enter the replace text for this item\"")) {
        return false;
    }
    app.Check(SetWindowTextTo(GetDlgItem(question, kInputEditId), kTypedText),
              "actions: the row's own replace text is typed");
    app.Shot("26-replace-by-question");
    PostClick(GetDlgItem(question, IDOK));
    app.Check(
        WaitUntil(
            [&] {
                return grid.Cell(hits.Three.Row, kColumnAction) == "Replace by" &&
                       grid.Cell(hits.Three.Row, kColumnFixed) == kTypedText;
            },
            kShortWaitMs),
        "actions: Three reads \"Replace by\" with the typed text",
        grid.Cell(hits.Three.Row, kColumnAction) + ", " + grid.Cell(hits.Three.Row, kColumnFixed));
    app.Check(grid.Cell(hits.Two.Row, kColumnAction) == "Ignore", "actions: Two stays \"Ignore\"");
    return true;
}

bool RepairPage(AppSession& app) {
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameWaitCustomFix") && app.Step() == 10,
                   "custom repair: Next shows the custom repair page (step 10)",
                   "pages \"" + app.Pages() + "\"")) {
        return false;
    }
    const std::string expected = "Kestovar Hivewarden will repair 3 errors.";
    app.CheckSoon([&] { return app.Text(Control::lblCustomErrorsFix) == expected; },
                  "custom repair: \"" + expected + "\"",
                  [&] { return "got \"" + app.Text(Control::lblCustomErrorsFix) + "\""; });
    app.CheckSoon([&] { return IsFreshDateName(app.Text(Control::txtCustomBackUpName), 5); },
                  "custom repair: the proposed name is the current day-month-year-hour-minute",
                  [&] { return "got \"" + app.Text(Control::txtCustomBackUpName) + "\""; });
    app.Check(app.Enabled(Control::cmdNext), "custom repair: Next is enabled");
    app.Check(SetWindowTextTo(app.Item(Control::txtCustomBackUpName), kBackupName) &&
                  app.Enabled(Control::cmdNext),
              std::string("custom repair: the backup name \"") + kBackupName + "\" is typed");
    app.Shot("27-custom-repair-page");
    app.Post(Control::cmdNext);
    const bool back =
        WaitUntil([&] { return app.Step() == 12 && app.Pages() == "FrameScan"; }, kRepairTimeoutMs);
    if (!app.Check(back, "custom repair: the repair ends on the results page (step 12)",
                   "step " + std::to_string(app.Step()) + ", pages \"" + app.Pages() + "\"")) {
        return false;
    }
    app.CheckSoon([&] { return app.Text(Control::cmdExit) == "Finish"; },
                  "custom repair: Exit reads \"Finish\"");
    return true;
}

void CheckRegistry(AppSession& app, const std::string& folder) {
    const std::optional<std::string> one = ReadText(HKEY_CURRENT_USER, kValuesKey, "One");
    app.Check(one == kReplaceText && ValueType(HKEY_CURRENT_USER, kValuesKey, "One") == REG_SZ,
              std::string("registry: One holds \"") + kReplaceText + "\" as REG_SZ",
              "got \"" + one.value_or("(none)") + "\", type " +
                  std::to_string(ValueType(HKEY_CURRENT_USER, kValuesKey, "One").value_or(0)));
    app.Check(ReadText(HKEY_CURRENT_USER, kValuesKey, "Two") == "hwneedle-2",
              "registry: the ignored Two is unchanged");
    app.Check(ReadText(HKEY_CURRENT_USER, kValuesKey, "Three") == kTypedText,
              std::string("registry: Three holds \"") + kTypedText + "\"");
    app.Check(!KeyExists(HKEY_CURRENT_USER, kNeedleKey), "registry: the key hwneedle-key is gone");
    app.Check(KeyExists(HKEY_CURRENT_USER, "Software\\HwE2E\\Deeper"),
              "registry: its parent key stays");
    const std::string backup = folder + "\\" + kBackupName + ".reg";
    const std::string text = ReadWholeFile(backup).value_or("");
    app.Check(text.rfind("REGEDIT4\r\n", 0) == 0, "backup: " + backup + " is a REGEDIT4 file",
              text.empty() ? "missing or empty" : "starts \"" + text.substr(0, 16) + "\"");
    app.Check(ContainsNoCase(text, "[" + Hkcu(kNeedleKey) + "]\r\n") &&
                  ContainsNoCase(text, "[" + Hkcu(kValuesKey) + "]\r\n"),
              "backup: it holds the deleted key and the changed values' key");
}

}  // namespace

void RunCustomSearch(DriverContext& context) {
    // Later searches and scans need not wade through the bulk.
    const ScopeExit cleanUp([] { DeleteTree(HKEY_CURRENT_USER, kRootKey); });
    AppSession app(context, "custom");
    ResetProgramSettings();
    const std::string folder = FolderOf(context.AppPath);
    RemoveFile(folder + "\\" + kBackupName + ".reg");
    if (!app.Check(Seed(), "custom: values and a key holding the search text are seeded") ||
        !app.Launch("") || !app.Check(app.WaitMainWindow(), "custom: the main window appears") ||
        !EnterSearchTexts(app)) {
        return;
    }
    ResultsGrid grid(app, Control::lstCustomSearching);
    Hits hits;
    if (!RunSearch(app, grid) || !CheckHits(app, grid, hits) || !SetActions(app, grid, hits)) {
        return;
    }
    const std::string report = folder + "\\" + kReportName;
    RemoveFile(report);
    if (SaveReportAs(app, CustomReport(), report, false)) {
        CheckReportFile(app, CustomReport(), report);
    }
    if (!RepairPage(app)) return;
    CheckRegistry(app, folder);
    app.Post(Control::cmdExit);  // Finish
    app.Check(app.WaitPages("FrameStart"), "custom: Finish shows the start page");
    app.Check(app.ExitProgram(), "exit: Exit ends the program");
}

}  // namespace hivewarden::e2e
