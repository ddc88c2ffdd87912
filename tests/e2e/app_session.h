// One run of the program under test as a scenario sees it: the process, its main window, its
// controls by id, the automation questions, and check lines that take a screenshot of the
// screen at a scenario's first failure.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "e2e/automation_client.h"
#include "e2e/driver_support.h"
#include "e2e/e2e_headers.h"
#include "scan/results/summary_counters.h"
#include "ui/view.h"

namespace hivewarden::e2e {

// What every scenario shares.
struct DriverContext {
    std::string AppPath;  // C:\...\HivewardenGui.exe
    Checks& Results;
    Screenshots& Shots;
    AutomationClient& Automation;
};

inline constexpr DWORD kShortWaitMs = 5000;
inline constexpr DWORD kLongWaitMs = 30000;

class AppSession {
  public:
    AppSession(DriverContext& context, std::string scenario)
        : context_(context), scenario_(std::move(scenario)) {}

    // Starts the program and waits until it is idle (its first window or dialog is up).
    bool Launch(const std::string& arguments);
    // Finds the main window of this process (its class) and waits until it answers questions.
    bool WaitMainWindow(DWORD timeoutMs = kLongWaitMs);
    HWND Main() const { return main_; }
    AppProcess& Process() { return process_; }
    DriverContext& Context() { return context_; }

    HWND Item(ui::Control control) const;
    HWND CounterLabel(scan::Counter counter) const;
    std::string Text(ui::Control control) const;
    bool Enabled(ui::Control control) const;
    bool Checked(ui::Control control) const;
    void Post(ui::Control control) const;  // BM_CLICK, posted
    void Send(ui::Control control) const;  // BM_CLICK, sent
    std::string Caption() const;

    std::optional<std::string> Ask(const std::string& question);
    // A numeric answer; `fallback` when there is none.
    int AskNumber(const std::string& question, int fallback = -999);
    int Step() { return AskNumber("step"); }
    bool Scanning() { return AskNumber("scanning", 0) == 1; }
    std::string Pages() { return Ask("pages").value_or("?"); }
    bool WaitPages(const std::string& pages, DWORD timeoutMs = kShortWaitMs);

    // A check line; the scenario's first failure also saves a screenshot.
    bool Check(bool passed, const std::string& what, const std::string& detail = {});
    // A check of state that a handler sets after it yields once (pages and step change before
    // the rest of the handler runs): passes when `condition` holds within `timeoutMs`.
    bool CheckSoon(const std::function<bool()>& condition, const std::string& what,
                   const std::function<std::string()>& detail = {}, DWORD timeoutMs = kShortWaitMs);
    void Note(const std::string& text) { context_.Results.Note(text); }
    void Shot(const std::string& name);

    // Presses Exit (captioned "Exit") and waits for the process to end.
    bool ExitProgram(DWORD timeoutMs = kShortWaitMs * 2);

  private:
    DriverContext& context_;
    std::string scenario_;
    AppProcess process_;
    HWND main_ = nullptr;
    bool failureShot_ = false;
};

}  // namespace hivewarden::e2e
