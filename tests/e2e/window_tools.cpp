// Window lookups and control access across processes.
#include "e2e/window_tools.h"

#include <vector>

#include "e2e/driver_support.h"
#include "e2e/utf8_text.h"

namespace hivewarden::e2e {
namespace {

struct TopLevelSearch {
    DWORD Pid;
    const std::function<bool(HWND)>* Match;
    HWND Found;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TopLevelSearch*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->Pid && (*search->Match)(window)) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

}  // namespace

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length)) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied)) {
        return {};
    }
    text.resize(static_cast<std::size_t>(copied));
    return Utf8(text);
}

bool SetWindowTextTo(HWND window, const std::string& text) {
    const std::wstring wide = Wide(text);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                               SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result) != 0 &&
           result != 0;
}

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return Utf8(name);
}

HWND FindTopLevel(DWORD pid, const std::function<bool(HWND)>& match) {
    TopLevelSearch search{pid, &match, nullptr};
    EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND WaitForTopLevel(DWORD pid, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevel(pid, match)) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForDialog(DWORD pid, const std::string& title, const std::string& text, DWORD timeoutMs) {
    return WaitForTopLevel(
        pid,
        [&](HWND window) {
            return IsWindowVisible(window) && ClassOf(window) == "#32770" &&
                   WindowText(window) == title &&
                   (text.empty() || DialogText(window).find(text) != std::string::npos);
        },
        timeoutMs);
}

std::string DialogText(HWND dialog) {
    std::vector<HWND> children;
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
    std::string joined;
    for (const HWND child : children) {
        if (ClassOf(child) != "Static") continue;
        if (!joined.empty()) joined += "|";
        joined += WindowText(child);
    }
    return joined;
}

bool WaitClosed(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

void PostClick(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void SendClick(HWND button) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result);
}

bool IsChecked(HWND button) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &state);
    return state == BST_CHECKED;
}

}  // namespace hivewarden::e2e
