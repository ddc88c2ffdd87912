// The mapped machine made from its source, and its file probes.
#include "machine/mapped_machine.h"

#include <set>

#include "files/host_path.h"
#include "machine/wine_install.h"
#include "text/text.h"

namespace hivewarden::machine {

std::optional<Assignment> SplitAssignment(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0) return std::nullopt;
    return Assignment{text.substr(0, equals), text.substr(equals + 1)};
}

char DriveLetter(std::string_view text) {
    if (text.size() == 2 && text[1] == ':') text.remove_suffix(1);
    if (text.size() != 1) return 0;
    const char c = text[0];
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return static_cast<char>(c & ~0x20);
    return 0;
}

MappedMachine DefaultMachine(const MachineSource& source) {
    MachineLayout layout;
    if (!source.WindowsDir.empty()) layout.WindowsDir = source.WindowsDir;
    if (!source.User.empty()) layout.UserName = source.User;
    MappedMachine machine;
    machine.WindowsDir = layout.WindowsDir;
    machine.Environment = StandardEnvironment(layout);
    return machine;
}

MappedMachine PrefixMachine(const registry::MappedFilesConfig& prefix,
                            const std::string& wineDataDir) {
    MappedMachine machine;
    if (!wineDataDir.empty()) {
        machine.HostFontFolders.push_back(
            registry::FromHostPath(registry::ToHostPath(wineDataDir) / "fonts"));
    }
    for (const auto& [letter, folder] : prefix.Drives) {
        machine.Drives.emplace_back(AsciiUpper(letter), registry::FromHostPath(folder));
    }
    machine.WindowsDir = prefix.WindowsDir;
    const auto user = prefix.Environment.find("USERNAME");
    machine.Environment = StandardEnvironment(
        prefix.WindowsDir, user != prefix.Environment.end() ? user->second : "User", "DESKTOP");
    machine.Environment.insert(machine.Environment.end(), prefix.Environment.begin(),
                               prefix.Environment.end());
    return machine;
}

MappedMachine InstallationMachine(const MachineSource& source,
                                  const InstallationEnvironment& found) {
    MachineLayout layout = found.Layout;
    if (!source.WindowsDir.empty()) layout.WindowsDir = source.WindowsDir;
    MappedMachine machine;
    machine.Drives.emplace_back(AsciiUpper(layout.WindowsDir[0]), source.WindowsRoot);
    machine.WindowsDir = layout.WindowsDir;
    machine.Environment = found.System;
    const std::vector<EnvironmentVariable> standard = StandardEnvironment(layout);
    machine.Environment.insert(machine.Environment.end(), standard.begin(), standard.end());
    machine.Environment.insert(machine.Environment.end(), found.User.begin(), found.User.end());
    return machine;
}

bool AddGivenDrivesAndVariables(const MachineSource& source, MappedMachine& machine,
                                std::string& error) {
    std::set<char> given;
    for (const std::string& mapping : source.Drives) {
        const std::optional<Assignment> split = SplitAssignment(mapping);
        const char letter = split ? DriveLetter(split->Name) : 0;
        if (letter == 0) {
            error = "'" + mapping + "' is not LETTER=FOLDER";
            return false;
        }
        if (!given.insert(letter).second) {
            error = std::string("drive ") + letter + ": is mapped twice";
            return false;
        }
        std::erase_if(machine.Drives, [letter](const auto& d) { return d.first == letter; });
        machine.Drives.emplace_back(letter, std::string(split->Value));
    }
    for (const std::string& assignment : source.Environment) {
        if (assignment.empty()) continue;  // `path --env`: a request to show them
        const std::optional<Assignment> split = SplitAssignment(assignment);
        if (!split) {
            error = "'" + assignment + "' is not NAME=VALUE";
            return false;
        }
        machine.Environment.emplace_back(std::string(split->Name), std::string(split->Value));
    }
    return true;
}

std::unique_ptr<registry::FileProbes> MakeMappedProbes(const MappedMachine& machine) {
    registry::MappedFilesConfig config;
    for (const auto& [letter, folder] : machine.Drives) {
        config.Drives[letter] = registry::ToHostPath(folder);
    }
    config.WindowsDir = machine.WindowsDir;
    for (const auto& [name, value] : machine.Environment) config.Environment[name] = value;
    for (const std::string& folder : machine.HostFontFolders) {
        if (std::optional<std::string> path = WindowsPathThroughDrives(folder, machine.Drives)) {
            config.ExtraFontFolders.push_back(std::move(*path));
        }
    }
    return std::make_unique<registry::MappedFiles>(std::move(config));
}

}  // namespace hivewarden::machine
