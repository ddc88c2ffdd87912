// The question/answer protocol over WM_COPYDATA, driver side. The payloads are UTF-8 bytes;
// the reply window is a wide window like the program's.
#include "e2e/automation_client.h"

#include <utility>

#include "ui/win32/automation.h"

namespace hivewarden::e2e {
namespace {

constexpr wchar_t kReplyClass[] = L"HivewardenE2eReply";
constexpr DWORD kAskTimeoutMs = 5000;

}  // namespace

AutomationClient::AutomationClient() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ReplyProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kReplyClass;
    RegisterClassW(&windowClass);  // fails harmlessly when registered already
    reply_ = CreateWindowExW(0, kReplyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
    if (reply_ != nullptr) {
        SetWindowLongPtrW(reply_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

AutomationClient::~AutomationClient() {
    if (reply_ != nullptr) DestroyWindow(reply_);
}

std::optional<std::string> AutomationClient::Ask(HWND main, const std::string& question) {
    if (reply_ == nullptr || main == nullptr) return std::nullopt;
    answered_ = false;
    answer_.clear();
    COPYDATASTRUCT data{};
    data.dwData = ui::win32::kAutomationQuery;
    data.cbData = static_cast<DWORD>(question.size());
    data.lpData = const_cast<char*>(question.data());
    DWORD_PTR result = 0;
    // The answer arrives as a message sent to reply_, delivered while this call waits.
    SendMessageTimeoutW(main, WM_COPYDATA, reinterpret_cast<WPARAM>(reply_),
                        reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kAskTimeoutMs, &result);
    if (!answered_) return std::nullopt;
    return answer_;
}

std::optional<std::string> AutomationClient::AskAndHold(
    HWND main, const std::string& question,
    const std::function<void(const std::string&)>& whileHeld) {
    whileHeld_ = whileHeld;
    std::optional<std::string> answer = Ask(main, question);
    whileHeld_ = nullptr;
    return answer;
}

LRESULT CALLBACK AutomationClient::ReplyProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* self = reinterpret_cast<AutomationClient*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (self != nullptr && data != nullptr && data->dwData == ui::win32::kAutomationReply) {
            if (data->cbData > 0 && data->lpData != nullptr) {
                self->answer_.assign(static_cast<const char*>(data->lpData), data->cbData);
            }
            self->answered_ = true;
            // Once only: a question asked from inside `whileHeld` must not hold again.
            if (const auto whileHeld = std::exchange(self->whileHeld_, nullptr)) {
                whileHeld(self->answer_);
            }
            return TRUE;
        }
        return FALSE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace hivewarden::e2e
