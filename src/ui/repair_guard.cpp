// What the window does around every repair: the wizard's buttons are held disabled from the
// press that starts it until the repair step has returned, so that no second scan, repair or
// search can start inside it; afterwards the changes that did not take are told, with why.
#include <algorithm>
#include <utility>

#include "ui/main_window.h"

namespace hivewarden::ui {
namespace {

// The buttons whose handlers could start another scan, repair or search (Finish leads back to
// the start page, Back to the pages before). Escape and Enter press them only when enabled.
constexpr Control kHeldButtons[] = {Control::cmdNext, Control::cmdBack, Control::cmdExit};

std::string Counted(std::size_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Each distinct reason once, with how many entries it stopped, in order of first appearance.
std::vector<std::string> ReasonSummary(const std::vector<std::string>& reasons) {
    std::vector<std::pair<std::string, int>> counted;
    for (const std::string& reason : reasons) {
        const auto found = std::find_if(counted.begin(), counted.end(),
                                        [&reason](const auto& c) { return c.first == reason; });
        if (found == counted.end()) {
            counted.emplace_back(reason, 1);
        } else {
            ++found->second;
        }
    }
    std::vector<std::string> lines;
    for (const auto& [reason, count] : counted) {
        lines.push_back("- " + reason + (count > 1 ? " (" + std::to_string(count) + ")" : ""));
    }
    return lines;
}

}  // namespace

void MainWindow::Enable(Control control, bool enabled) {
    if (RepairRunning) {
        for (HeldState& held : heldStates_) {
            if (held.Button == control) {
                held.Enabled = enabled;
                return;
            }
        }
    }
    view_.SetEnabled(control, enabled);
}

void MainWindow::BeginRepair() {
    if (RepairRunning) return;
    heldStates_.clear();
    for (const Control button : kHeldButtons) {
        heldStates_.push_back({button, view_.Enabled(button)});
        view_.SetEnabled(button, false);
    }
    RepairRunning = true;
}

void MainWindow::EndRepair() {
    if (!RepairRunning) return;
    RepairRunning = false;
    for (const HeldState& held : heldStates_) view_.SetEnabled(held.Button, held.Enabled);
    heldStates_.clear();
}

void MainWindow::ReportRepairOutcome(const repair::RepairResult& result,
                                     const std::vector<std::string>& shortcutsNotDeleted) {
    if (result.Error) {
        view_.ShowMessage(
            "The backup could not be written, so nothing was changed.\n\n" + result.Error->Message,
            MessageIcon::Critical, MessageButtons::Ok);
        return;
    }
    if (result.Failed.empty() && result.Skipped.empty() && shortcutsNotDeleted.empty()) return;

    std::vector<std::string> lines;
    std::vector<std::string> reasons;
    for (const repair::RepairNote& note : result.Failed) {
        lines.push_back(note.What + " - " + note.Reason);
        reasons.push_back(note.Reason);
    }
    for (const std::string& link : shortcutsNotDeleted) {
        const std::string reason = "the shortcut file could not be deleted";
        lines.push_back(link + " - " + reason);
        reasons.push_back(reason);
    }
    for (const repair::RepairNote& note : result.Skipped) {
        lines.push_back(note.What + " - left alone: " + note.Reason);
        reasons.push_back("left alone: " + note.Reason);
    }

    std::string text;
    if (!result.Failed.empty()) {
        const auto marked = static_cast<std::size_t>(result.Marked);
        text += std::to_string(result.Failed.size()) + " of the " +
                Counted(marked, "registry change", "registry changes") + " could not be made.\n";
    }
    if (!shortcutsNotDeleted.empty()) {
        text += Counted(shortcutsNotDeleted.size(), "shortcut file", "shortcut files") +
                " could not be deleted.\n";
    }
    if (!result.Skipped.empty()) {
        text += Counted(result.Skipped.size(), "entry was", "entries were") +
                " left alone on purpose.\n";
    }
    text += lines.size() == 1 ? "Its row stays in the list with its action.\n\nWhy:\n"
                              : "Their rows stay in the list with their actions.\n\nWhy:\n";
    for (const std::string& line : ReasonSummary(reasons)) text += line + "\n";
    text.pop_back();
    view_.ShowListMessage(text, lines, MessageIcon::Exclamation);
}

}  // namespace hivewarden::ui
