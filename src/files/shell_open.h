// Opening a file with the system's default action for its type, as the shell does on a
// double click (for a .reg file: the registry editor's import, which asks and reports by
// itself). Backends, chosen by the build: win32_shell_open (ShellExecuteW) and
// posix_shell_open (there is no such action: every call fails).
#pragma once

#include <string>

#include "files/durable_file.h"

namespace hivewarden::registry {

// True when this build can hand files to the system's default action.
bool HasShellOpen();

// Hands `path` (a full path) to the default action of its type: no verb, no parameters, no
// working folder, the normal window state; `ownerWindow` (a window handle, or null) owns any
// window the action shows. Does not wait for the action and knows nothing of its outcome;
// fails only when the hand-over itself fails (no program for the type, the file is missing),
// with a message naming the file and the reason.
FileStatus ShellOpen(const std::string& path, void* ownerWindow);

}  // namespace hivewarden::registry
