// A scripted window for the main window's logic: it keeps every page, text, enabled and checked
// state, answers dialogs from queues the test fills, records messages and timers, and lets a
// test tick timers or react on every Yield. Terminate throws Terminated, as the process would
// end there.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ui/view.h"

namespace hivewarden::testing {

struct Terminated {};

struct ShownMessage {
    std::string Text;
    ui::MessageIcon Icon;
    ui::MessageButtons Buttons;
};

struct ShownListMessage {
    std::string Text;
    std::vector<std::string> Lines;
    ui::MessageIcon Icon;
};

class FakeView final : public ui::View {
  public:
    using Control = ui::Control;
    using Page = ui::Page;

    FakeView() : CheckedControls(std::begin(ui::kCheckedAtStart), std::end(ui::kCheckedAtStart)) {}

    // --- state the logic sets ---
    std::set<Page> ShownPages;
    ui::Layout CurrentLayout = ui::Layout::Compact;
    std::string Caption;
    std::map<Control, std::string> Texts;
    std::set<Control> DisabledControls;
    std::set<Control> HiddenControls;
    std::set<Control> CheckedControls;
    std::optional<Control> Focused;
    std::map<Control, std::int32_t> Progress;
    std::map<scan::Counter, std::string> Counters;
    std::map<ui::Timer, std::int32_t> RunningTimers;  // timer -> interval
    std::vector<ShownMessage> Messages;
    std::vector<ShownListMessage> ListMessages;
    bool CloseCommandRemoved = false;
    bool TrayIcon = false;
    bool IsMinimized = false;
    bool IsVisible = true;
    int Centred = 0;
    int AboutShown = 0;
    std::vector<std::string> Opened;  // ShellOpen targets
    int Yields = 0;
    int GridResets = 0;
    int GridAppends = 0;
    // The action drop-downs (one at a time is enough for the tests).
    std::optional<Control> ChooserControl;
    bool ChooserShown = false;
    std::vector<std::string> ChooserItems;
    std::string ChooserText;
    ui::CellBox ChooserBox;

    // --- answers the test scripts ---
    std::deque<ui::Answer> MessageAnswers;  // for Yes/No questions
    std::deque<std::optional<std::string>> InputAnswers;
    std::deque<std::string> FolderAnswers;
    std::deque<std::optional<std::string>> FileAnswers;
    std::deque<std::optional<std::string>> SaveAnswers;
    // List controls: items, the selected item, checked items.
    std::map<Control, std::vector<std::string>> Lists;
    std::map<Control, std::int32_t> ListSelected;
    std::map<Control, std::set<std::int32_t>> ListCheckedItems;
    std::vector<std::int32_t> AnimationFrames;
    bool ScanNowAnswer = false;
    int StartupPrompts = 0;
    std::int32_t SelectedRow = 0;
    std::optional<std::string> ChooserChoice;
    std::function<void()> OnYield;  // runs on every Yield (e.g. ticking timers)

    bool Enabled(Control c) const override { return !DisabledControls.count(c); }
    bool Checked(Control c) const override { return CheckedControls.count(c) > 0; }
    std::string Text(Control c) const override {
        const auto found = Texts.find(c);
        return found == Texts.end() ? std::string() : found->second;
    }
    bool Shown(Page p) const { return ShownPages.count(p) > 0; }
    // The one page shown, or nothing when none or several are.
    std::optional<Page> OnlyPage() const {
        if (ShownPages.size() != 1) return std::nullopt;
        return *ShownPages.begin();
    }
    bool TimerRunning(ui::Timer t) const { return RunningTimers.count(t) > 0; }

    void ShowPage(Page page, bool shown) override {
        if (shown) {
            ShownPages.insert(page);
        } else {
            ShownPages.erase(page);
        }
    }
    bool PageShown(Page page) const override { return Shown(page); }
    void SetLayout(ui::Layout layout) override { CurrentLayout = layout; }
    void SetWindowCaption(const std::string& text) override { Caption = text; }
    void SetText(Control c, const std::string& text) override { Texts[c] = text; }
    void SetEnabled(Control c, bool enabled) override {
        if (enabled) {
            DisabledControls.erase(c);
        } else {
            DisabledControls.insert(c);
        }
    }
    void SetVisible(Control c, bool visible) override {
        if (visible) {
            HiddenControls.erase(c);
        } else {
            HiddenControls.insert(c);
        }
    }
    void SetChecked(Control c, bool checked) override {
        if (checked) {
            CheckedControls.insert(c);
        } else {
            CheckedControls.erase(c);
        }
    }
    void SetFocus(Control c) override { Focused = c; }
    void SetProgress(Control c, std::int32_t percent) override { Progress[c] = percent; }
    void SetCounterText(scan::Counter counter, const std::string& text) override {
        Counters[counter] = text;
    }

    ui::Answer ShowMessage(const std::string& text, ui::MessageIcon icon,
                           ui::MessageButtons buttons) override {
        Messages.push_back({text, icon, buttons});
        if (buttons == ui::MessageButtons::Ok) return ui::Answer::Ok;
        if (MessageAnswers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return ui::Answer::No;
        }
        const ui::Answer answer = MessageAnswers.front();
        MessageAnswers.pop_front();
        return answer;
    }
    void ShowListMessage(const std::string& text, const std::vector<std::string>& lines,
                         ui::MessageIcon icon) override {
        ListMessages.push_back({text, lines, icon});
    }
    std::optional<std::string> InputBox(const std::string& prompt,
                                        const std::string& initial) override {
        LastInputPrompt = prompt;
        LastInputInitial = initial;
        return Next(InputAnswers, "input box");
    }
    std::string BrowseForFolder(const std::string& title) override {
        LastDialogTitle = title;
        if (FolderAnswers.empty()) {
            ADD_FAILURE() << "unexpected folder picker: " << title;
            return {};
        }
        std::string answer = FolderAnswers.front();
        FolderAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> OpenFileDialog(const std::string& title,
                                              const std::string& filter) override {
        LastDialogTitle = title;
        LastFilter = filter;
        return Next(FileAnswers, "open-file dialog");
    }
    bool StartupPrompt() override {
        ++StartupPrompts;
        return ScanNowAnswer;
    }
    void ShowAbout() override { ++AboutShown; }
    void ShellOpen(const std::string& target, const std::string&) override {
        Opened.push_back(target);
    }

    void StartTimer(ui::Timer timer, std::int32_t intervalMs) override {
        RunningTimers[timer] = intervalMs;
    }
    void StopTimer(ui::Timer timer) override { RunningTimers.erase(timer); }
    void Yield() override {
        ++Yields;
        if (OnYield) OnYield();
    }

    void GridSuspendRedraw(Control) override {}
    void GridResumeRedraw(Control) override {}
    void GridRowsAppended(Control) override { ++GridAppends; }
    void GridRowsReset(Control) override { ++GridResets; }
    void GridRowChanged(Control, std::int32_t) override {}
    ui::CellBox GridCellBox(Control, std::int32_t row, std::int32_t column) const override {
        return {column * 100, row * 20, 90};
    }
    std::int32_t GridSelectedRow(Control) const override { return SelectedRow; }
    void GridEndEdit(Control) override { EditEnded = true; }

    std::optional<std::string> SaveFileDialog(const std::string& filter) override {
        LastFilter = filter;
        return Next(SaveAnswers, "save-file dialog");
    }
    void ShowActionChooser(Control chooser, const std::vector<std::string>& items,
                           const std::string& text, const ui::CellBox& box) override {
        ChooserControl = chooser;
        ChooserShown = true;
        ChooserItems = items;
        ChooserText = text;
        ChooserBox = box;
    }
    void HideActionChooser(Control chooser) override {
        if (ChooserControl == chooser) ChooserShown = false;
    }
    std::optional<std::string> ActionChooserSelection(Control) const override {
        return ChooserChoice;
    }

    void ListClear(Control list) override {
        Lists[list].clear();
        ListSelected.erase(list);
        ListCheckedItems.erase(list);
    }
    void ListAdd(Control list, const std::string& text) override { Lists[list].push_back(text); }
    std::int32_t ListCount(Control list) const override {
        const auto found = Lists.find(list);
        return found == Lists.end() ? 0 : static_cast<std::int32_t>(found->second.size());
    }
    std::string ListText(Control list, std::int32_t index) const override {
        return Lists.at(list).at(static_cast<std::size_t>(index));
    }
    void ListSetText(Control list, std::int32_t index, const std::string& text) override {
        Lists.at(list).at(static_cast<std::size_t>(index)) = text;
    }
    void ListRemove(Control list, std::int32_t index) override {
        auto& items = Lists.at(list);
        items.erase(items.begin() + index);
        ListSelected.erase(list);
    }
    std::optional<std::int32_t> ListSelection(Control list) const override {
        const auto found = ListSelected.find(list);
        if (found == ListSelected.end()) return std::nullopt;
        return found->second;
    }
    bool ListChecked(Control list, std::int32_t index) const override {
        const auto found = ListCheckedItems.find(list);
        return found != ListCheckedItems.end() && found->second.count(index) > 0;
    }
    void ShowAnimationFrame(std::int32_t frame) override { AnimationFrames.push_back(frame); }

    bool Minimized() const override { return IsMinimized; }
    bool Visible() const override { return IsVisible; }
    void Minimize() override { IsMinimized = true; }
    void Hide() override { IsVisible = false; }
    void RestoreFromTray() override {
        IsMinimized = false;
        IsVisible = true;
        ++Centred;
    }
    void CenterOnScreen() override { ++Centred; }
    void DisableCloseCommand() override { CloseCommandRemoved = true; }
    void AddTrayIcon() override {
        TrayIcon = true;
        IsMinimized = true;
        IsVisible = false;
    }
    void RemoveTrayIcon() override { TrayIcon = false; }
    void Terminate() override { throw Terminated{}; }

    std::string LastInputPrompt;
    std::string LastInputInitial;
    std::string LastDialogTitle;
    std::string LastFilter;
    bool EditEnded = false;

  private:
    template <typename T>
    static T Next(std::deque<T>& queue, const char* what) {
        if (queue.empty()) {
            ADD_FAILURE() << "unexpected " << what;
            return T{};
        }
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

}  // namespace hivewarden::testing
