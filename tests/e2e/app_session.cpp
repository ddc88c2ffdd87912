// A scenario's view of one run of the program.
#include "e2e/app_session.h"

#include <cstdlib>

#include "e2e/utf8_text.h"
#include "e2e/window_tools.h"
#include "ui/win32/automation.h"
#include "ui/win32/control_ids.h"

namespace hivewarden::e2e {
namespace {

constexpr DWORD kInputIdleMs = 15000;

}  // namespace

bool AppSession::Launch(const std::string& arguments) {
    std::string error;
    if (!process_.Start(context_.AppPath, arguments, error)) {
        return Check(false, scenario_ + ": the program starts", error);
    }
    // Under Wine this returns once the program's first message loop waits for input.
    WaitForInputIdle(process_.Handle(), kInputIdleMs);
    return true;
}

bool AppSession::WaitMainWindow(DWORD timeoutMs) {
    const std::string mainClass = Utf8(ui::win32::kMainWindowClass);
    main_ = WaitForTopLevel(
        process_.Pid(), [&](HWND window) { return ClassOf(window) == mainClass; }, timeoutMs);
    if (main_ == nullptr) return false;
    // FindWindow can see the window while its creation still runs; wait until it answers.
    return WaitUntil([&] { return Ask("step").has_value(); }, timeoutMs);
}

HWND AppSession::Item(ui::Control control) const {
    return GetDlgItem(main_, ui::win32::ControlId(control));
}

HWND AppSession::CounterLabel(scan::Counter counter) const {
    return GetDlgItem(main_, ui::win32::CounterId(counter));
}

std::string AppSession::Text(ui::Control control) const { return WindowText(Item(control)); }

bool AppSession::Enabled(ui::Control control) const {
    const HWND item = Item(control);
    return item != nullptr && IsWindowEnabled(item);
}

bool AppSession::Checked(ui::Control control) const { return IsChecked(Item(control)); }

void AppSession::Post(ui::Control control) const { PostClick(Item(control)); }

void AppSession::Send(ui::Control control) const { SendClick(Item(control)); }

std::string AppSession::Caption() const { return WindowText(main_); }

std::optional<std::string> AppSession::Ask(const std::string& question) {
    return context_.Automation.Ask(main_, question);
}

int AppSession::AskNumber(const std::string& question, int fallback) {
    const std::optional<std::string> answer = Ask(question);
    if (!answer || answer->empty()) return fallback;
    char* end = nullptr;
    const long value = std::strtol(answer->c_str(), &end, 10);
    return *end == '\0' ? static_cast<int>(value) : fallback;
}

bool AppSession::WaitPages(const std::string& pages, DWORD timeoutMs) {
    return WaitUntil([&] { return Pages() == pages; }, timeoutMs);
}

bool AppSession::Check(bool passed, const std::string& what, const std::string& detail) {
    context_.Results.Check(passed, what, detail);
    if (!passed && !failureShot_) {
        failureShot_ = true;
        context_.Shots.Take("failure-" + scenario_);
    }
    return passed;
}

bool AppSession::CheckSoon(const std::function<bool()>& condition, const std::string& what,
                           const std::function<std::string()>& detail, DWORD timeoutMs) {
    const bool passed = WaitUntil(condition, timeoutMs);
    return Check(passed, what, passed || !detail ? std::string() : detail());
}

void AppSession::Shot(const std::string& name) {
    // Dialogs run on the window's thread: an answer means its message loop runs again.
    Ask("step");
    if (!context_.Shots.Take(name)) Note("screenshot " + name + " was not taken in time");
}

bool AppSession::ExitProgram(DWORD timeoutMs) {
    Post(ui::Control::cmdExit);
    return process_.WaitExit(timeoutMs);
}

}  // namespace hivewarden::e2e
