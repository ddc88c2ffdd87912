// The default-action hand-over where the system has none for .reg files: it always fails.
// Not built on Windows (win32_shell_open.cpp is).
#include "files/shell_open.h"

namespace hivewarden::registry {

bool HasShellOpen() { return false; }

FileStatus ShellOpen(const std::string& path, void* /*ownerWindow*/) {
    return FileStatus::Failure("cannot open " + path +
                               ": this system has no default action for registry files");
}

}  // namespace hivewarden::registry
