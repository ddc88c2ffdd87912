// The read-back check of a written backup: the file is read with the program's own .reg
// reader and must restore every key and value the apply pass is about to change, exactly as
// the registry holds them now. Reads the registry through the store; changes nothing.
#pragma once

#include <string>
#include <vector>

#include "store/access.h"
#include "text/code_page.h"
#include "repair/repair_plan.h"

namespace hivewarden::repair {

// True when the file at `path` parses and, for every marked action that will change
// something (no SkipReason), holds: for a key deletion every key of the live subtree and
// every value in it; for a value deletion or change the live value (a value that does not
// exist needs nothing). Values compare by type and bytes as the import would store them.
// Otherwise false, with `error` naming the file and the first key or value that is missing
// or different.
// A REGEDIT4 file is read in `codePage`, the code page it was written in.
bool CheckBackup(const std::string& path, const std::vector<RepairAction>& actions,
                 registry::RegistryAccess& access, const CodePage& codePage, std::string& error);

}  // namespace hivewarden::repair
