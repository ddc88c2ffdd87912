// Scans of chosen categories, row actions and named repairs.
#include "e2e/scan_steps.h"

#include <algorithm>
#include <vector>

#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr DWORD kScanTimeoutMs = 60000;
constexpr DWORD kRepairTimeoutMs = 60000;
constexpr LONGLONG kTicksPerSecond = 10000000;
constexpr LONGLONG kNameSlackSeconds = 600;

constexpr Control kCategoryBoxes[] = {
    Control::chkAll,   Control::chkLinks,   Control::chkDll,      Control::chkHelp,
    Control::chkFonts, Control::chkSounds,  Control::chkAppPaths, Control::chkUninstall,
    Control::chkVirus, Control::chkAutoRun, Control::chkDrivers,  Control::chkEmptyRegFolders,
};

LONGLONG Ticks(const FILETIME& time) {
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                 time.dwLowDateTime);
}

}  // namespace

bool ScanCategories(AppSession& app, std::initializer_list<Control> categories,
                    const std::string& label) {
    app.Send(Control::optStart0);
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameScanSettings") && app.Step() == 0,
                   label + ": Next shows the scan settings page",
                   "pages \"" + app.Pages() + "\"")) {
        return false;
    }
    // "entire registry" first: the other boxes are then left as they are.
    for (const Control box : kCategoryBoxes) {
        const bool wanted =
            std::find(categories.begin(), categories.end(), box) != categories.end();
        if (app.Checked(box) != wanted) app.Send(box);
    }
    const bool onlyThose =
        std::all_of(std::begin(kCategoryBoxes), std::end(kCategoryBoxes), [&](Control box) {
            return app.Checked(box) ==
                   (std::find(categories.begin(), categories.end(), box) != categories.end());
        });
    app.Check(onlyThose, label + ": only the chosen categories are checked");
    app.Post(Control::cmdNext);
    const bool ended = WaitUntil(
        [&] {
            return app.Step() == 1 && app.Enabled(Control::cmdNext) &&
                   !app.Enabled(Control::cmdCancelScan) && !app.Scanning();
        },
        kScanTimeoutMs, 50);
    return app.Check(ended && app.Pages() == "FrameScan",
                     label + ": the scan ends on the results page",
                     "step " + std::to_string(app.Step()) + ", pages \"" + app.Pages() + "\"");
}

bool ChooseRowAction(AppSession& app, ResultsGrid& grid, int row, const std::string& action,
                     const std::string& label) {
    if (!app.Check(grid.OpenChooser(row), label + ": the row's action cell opens the drop-down") ||
        !app.Check(grid.ChooseItem(action), label + ": \"" + action + "\" is offered and chosen")) {
        return false;
    }
    return app.Check(
        WaitUntil(
            [&] { return grid.Cell(row, kColumnCorrection) == action && !grid.ChooserShown(); },
            kShortWaitMs),
        label + ": the row reads \"" + action + "\" and the drop-down hides",
        "cell \"" + grid.Cell(row, kColumnCorrection) + "\"");
}

bool RepairWithBackup(AppSession& app, const std::string& name, int count,
                      const std::string& label) {
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameFixPrev") && app.Step() == 2,
                   label + ": Repair shows the repair preview", "pages \"" + app.Pages() + "\"")) {
        return false;
    }
    const std::string expected =
        "Kestovar Hivewarden will repair " + std::to_string(count) + " errors.";
    app.CheckSoon([&] { return app.Text(Control::lblErrorsFix) == expected; },
                  label + ": \"" + expected + "\"",
                  [&] { return "got \"" + app.Text(Control::lblErrorsFix) + "\""; });
    app.CheckSoon([&] { return !app.Text(Control::txtBackUpName).empty(); },
                  label + ": a backup name is proposed");
    app.Check(
        SetWindowTextTo(app.Item(Control::txtBackUpName), name) && app.Enabled(Control::cmdNext),
        label + ": the backup name \"" + name + "\" is typed, Next stays enabled");
    app.Post(Control::cmdNext);
    const bool back =
        WaitUntil([&] { return app.Step() == 4 && app.Pages() == "FrameScan"; }, kRepairTimeoutMs);
    if (!app.Check(back, label + ": the repair ends on the results page (step 4)",
                   "step " + std::to_string(app.Step()) + ", pages \"" + app.Pages() + "\"")) {
        return false;
    }
    // The page shows a yield before Exit becomes Finish: pressed in between, it would end the
    // program.
    return app.CheckSoon([&] { return app.Text(Control::cmdExit) == "Finish"; },
                         label + ": Exit reads \"Finish\"",
                         [&] { return "got \"" + app.Text(Control::cmdExit) + "\""; });
}

bool IsFreshDateName(const std::string& name, int parts) {
    std::vector<int> numbers;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dash = name.find('-', start);
        const std::string part = name.substr(start, dash - start);
        const bool digits =
            !part.empty() && part.size() <= 4 &&
            std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!digits || (part.size() > 1 && part[0] == '0')) return false;
        numbers.push_back(std::stoi(part));
        if (dash == std::string::npos) break;
        start = dash + 1;
    }
    if (static_cast<int>(numbers.size()) != parts || parts < 5) return false;
    SYSTEMTIME named{};
    named.wDay = static_cast<WORD>(numbers[0]);
    named.wMonth = static_cast<WORD>(numbers[1]);
    named.wYear = static_cast<WORD>(numbers[2]);
    named.wHour = static_cast<WORD>(numbers[3]);
    named.wMinute = static_cast<WORD>(numbers[4]);
    named.wSecond = parts > 5 ? static_cast<WORD>(numbers[5]) : 0;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME namedTime{};
    FILETIME nowTime{};
    if (!SystemTimeToFileTime(&named, &namedTime) || !SystemTimeToFileTime(&now, &nowTime)) {
        return false;
    }
    const LONGLONG seconds = (Ticks(nowTime) - Ticks(namedTime)) / kTicksPerSecond;
    return seconds >= -5 && seconds <= kNameSlackSeconds;
}

}  // namespace hivewarden::e2e
