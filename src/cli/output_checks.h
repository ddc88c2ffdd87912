// Outputs checked before the work starts: an unwritable report, registry file or backup folder
// is found before a long scan and before anything is changed, not after. The checks leave
// nothing behind.
#pragma once

#include <string>
#include <string_view>

#include "machine/machine.h"

namespace hivewarden::cli {

// True when a file can be written at `path` (its folder takes new files and an existing file
// there may be replaced); "-" (standard output) and empty text always can. False, with the
// reason naming `option` and the path.
bool CheckOutputFile(const std::string& path, std::string_view option, std::string& error);

// True when `folder` takes new files (`what` says what for: "the backup").
bool CheckOutputFolder(const std::string& folder, std::string_view what, std::string& error);

// Everything a repair of scan findings will write, checked before the scan or the backup:
// where the registry goes back (`target`, see Machine::WriteBackTarget) and that it may be
// written now, the registry file, the backup folder, and, when `pathFindings`, that the
// machine's system drive is seen at all. A dry run is checked the same way, so that it is
// refused where the repair would be. False, with the reason.
bool CheckRepairOutputs(machine::Machine& machine, const std::string& output,
                        const std::string& programFolder, bool pathFindings, std::string& target,
                        std::string& error);

}  // namespace hivewarden::cli
