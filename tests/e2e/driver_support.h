// The driver's basic tools: check lines, screenshot requests to the script that runs it,
// polling with a deadline, and the program's process. Knows nothing of the window's controls.
#pragma once

#include <functional>
#include <string>

#include "e2e/e2e_headers.h"

namespace hivewarden::e2e {

// Prints one line per check, "ok - what" or "not ok - what (detail)", and counts failures.
class Checks {
  public:
    bool Check(bool passed, const std::string& what, const std::string& detail = {});
    // A comment line ("# text") that is not a check.
    void Note(const std::string& text);
    int Count() const { return count_; }
    int Failures() const { return failures_; }

  private:
    int count_ = 0;
    int failures_ = 0;
};

// The script that runs the driver takes the screenshots: the driver drops NAME.req into the
// exchange folder and waits for NAME.done, which the script writes once NAME.png is saved.
// Without an exchange folder no screenshot is taken.
class Screenshots {
  public:
    explicit Screenshots(std::string exchangeFolder) : folder_(std::move(exchangeFolder)) {}
    bool Enabled() const { return !folder_.empty(); }
    // Waits a moment for pending paints first; false when the script did not answer in time.
    bool Take(const std::string& name);

  private:
    std::string folder_;
};

// Polls `condition` until it holds or `timeoutMs` has passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 25);

// The program under test, started by the driver. Ends the process on destruction if it still
// runs, so a failed scenario leaves nothing behind.
class AppProcess {
  public:
    AppProcess() = default;
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;
    ~AppProcess();

    // Starts `path` with `arguments` in the program's own folder; false when it cannot start.
    bool Start(const std::string& path, const std::string& arguments, std::string& error);
    bool Running() const;
    // True when the process ended within `timeoutMs`.
    bool WaitExit(DWORD timeoutMs) const;
    DWORD ExitCode() const;
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }
    void Kill();

  private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// The folder part of a Windows path, without the trailing backslash.
std::string FolderOf(const std::string& path);
bool EqualsNoCase(const std::string& a, const std::string& b);
bool ContainsNoCase(const std::string& text, const std::string& part);
bool EndsWithNoCase(const std::string& text, const std::string& suffix);

}  // namespace hivewarden::e2e
