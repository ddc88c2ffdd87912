// The driver's half of the window's question/answer protocol (WM_COPYDATA both ways): asks a
// question and returns the answer the window sent back before the question's SendMessage
// returned. One message-only reply window per client.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "e2e/e2e_headers.h"

namespace hivewarden::e2e {

class AutomationClient {
  public:
    AutomationClient();
    ~AutomationClient();
    AutomationClient(const AutomationClient&) = delete;
    AutomationClient& operator=(const AutomationClient&) = delete;

    bool Ready() const { return reply_ != nullptr; }
    // nullopt when the window did not answer (gone, hung, or no protocol).
    std::optional<std::string> Ask(HWND main, const std::string& question);
    // Asks, and runs `whileHeld` with the answer while the window still waits for its reply to
    // be taken: the window's thread stands still meanwhile (mid-scan, for example), and what
    // `whileHeld` posts to it is handled before anything else it would do next.
    std::optional<std::string> AskAndHold(HWND main, const std::string& question,
                                          const std::function<void(const std::string&)>& whileHeld);

  private:
    static LRESULT CALLBACK ReplyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND reply_ = nullptr;
    std::function<void(const std::string&)> whileHeld_;
    std::string answer_;
    bool answered_ = false;
};

}  // namespace hivewarden::e2e
