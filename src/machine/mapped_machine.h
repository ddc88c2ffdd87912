// A machine whose file system the program answers for itself: drive letters mapped to host
// folders, its Windows directory and its environment, made from a machine's source (a default
// Windows layout, a mounted installation, a Wine prefix), then the user's own drives and
// variables on top.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/files.h"
#include "files/mapped_files.h"
#include "machine/machine_source.h"
#include "machine/standard_environment.h"
#include "machine/windows_root.h"

namespace hivewarden::machine {

// The mapped machine: its drives, its Windows directory, and its environment in the order it
// is made. A later entry of a name wins.
struct MappedMachine {
    std::vector<std::pair<char, std::string>> Drives;  // upper-case letter, UTF-8 host folder
    std::string WindowsDir;
    std::vector<EnvironmentVariable> Environment;
    // Host folders (UTF-8) the font loader looks in after the Windows directory's Fonts folder
    // (Wine's own fonts folder), reached through the drives.
    std::vector<std::string> HostFontFolders;
};

// "NAME=VALUE" at its first "="; nothing when there is no "=" or no name.
struct Assignment {
    std::string_view Name;
    std::string_view Value;
};
std::optional<Assignment> SplitAssignment(std::string_view text);

// "C" or "C:" -> 'C'; 0 for anything else.
char DriveLetter(std::string_view text);

// A machine laid out as Windows installs itself, with the source's Windows directory and user.
MappedMachine DefaultMachine(const MachineSource& source);
// A Wine prefix's machine (its drives, Windows folder and environment, and the fonts folder
// of Wine's data folder `wineDataDir` when that is not empty); what the prefix does not set is
// as on a default installation.
MappedMachine PrefixMachine(const registry::MappedFilesConfig& prefix,
                            const std::string& wineDataDir);
// A mounted installation's machine: the folder as the drive of its Windows directory (the
// source's, when given), the environment as a session has it: the system's variables, the
// logon's, the user's.
MappedMachine InstallationMachine(const MachineSource& source,
                                  const InstallationEnvironment& found);

// The source's drives and variables on top of `machine`: a drive given replaces the one made,
// a variable given comes last. False, with the reason, for a malformed or twice-mapped drive
// or a malformed variable. An empty variable entry (a request to show them) is passed over.
bool AddGivenDrivesAndVariables(const MachineSource& source, MappedMachine& machine,
                                std::string& error);

// The file probes that answer for the mapped machine. A host font folder that no drive
// reaches is left out (the mapped probes answer only for paths on drives).
std::unique_ptr<registry::FileProbes> MakeMappedProbes(const MappedMachine& machine);

}  // namespace hivewarden::machine
