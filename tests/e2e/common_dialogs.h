// The system's dialogs as the program opens them (save-file, open-file, folder picker, the
// overwrite question) and how the driver fills them in and confirms them, as a user would.
#pragma once

#include <functional>
#include <string>

#include "e2e/app_session.h"

namespace hivewarden::e2e {

inline constexpr int kFileNameBox = 1148;  // the file dialogs' file name box
inline constexpr DWORD kDialogWaitMs = 15000;

// A visible dialog ("#32770") of the program owned by `owner` that `match` accepts (any when
// empty); nullptr when none appears in time.
HWND WaitForOwnedDialog(AppSession& app, HWND owner, DWORD timeoutMs = kDialogWaitMs,
                        const std::function<bool(HWND)>& match = {});
// Types `path` into a file dialog's name box; false when the box took no text.
bool TypeFileName(HWND dialog, const std::string& path);
// Selects `folder` in the folder picker (BFFM_SETSELECTION with the path in the program's
// memory); false when the picker refused it.
bool SelectFolder(AppSession& app, HWND picker, const std::string& folder);

}  // namespace hivewarden::e2e
