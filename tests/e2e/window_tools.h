// Finding the program's top-level windows and dialogs and handling their controls from
// another process: texts, states and clicks through window messages only. Texts are UTF-8,
// sent and read as UTF-16 (the wide messages).
#pragma once

#include <functional>
#include <string>

#include "e2e/e2e_headers.h"

namespace hivewarden::e2e {

inline constexpr DWORD kMessageTimeoutMs = 3000;

std::string WindowText(HWND window);
bool SetWindowTextTo(HWND window, const std::string& text);
std::string ClassOf(HWND window);

// The first top-level window of process `pid` that `match` accepts; nullptr when none does.
HWND FindTopLevel(DWORD pid, const std::function<bool(HWND)>& match);
HWND WaitForTopLevel(DWORD pid, const std::function<bool(HWND)>& match, DWORD timeoutMs);
// A visible dialog ("#32770") of process `pid` titled `title` whose text contains `text`
// (any text when empty).
HWND WaitForDialog(DWORD pid, const std::string& title, const std::string& text, DWORD timeoutMs);
// The texts of a dialog's static controls (a message box's text among them), joined by "|".
std::string DialogText(HWND dialog);
bool WaitClosed(HWND window, DWORD timeoutMs);

// BM_CLICK: posted for buttons whose handler runs long or opens a modal box.
void PostClick(HWND button);
void SendClick(HWND button);
bool IsChecked(HWND button);

}  // namespace hivewarden::e2e
