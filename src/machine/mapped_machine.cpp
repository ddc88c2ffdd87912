// --drive, --windows-dir, --env, --user and --windows-root, the machine they describe and its
// file probes.
#include "cli/machine_options.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "cli/platform_probes.h"
#include "cli/windows_root.h"
#include "cli/wine_prefix_options.h"
#include "store/hive/hive_store.h"
#include "files/host_path.h"
#include "files/mapped_files.h"
#include "text/text.h"
#include "files/windows_path.h"

namespace hivewarden::cli {
namespace {

struct Split {
    std::string_view Name;
    std::string_view Value;
};

// "NAME=VALUE" at its first "="; nothing when there is no "=" or no name.
std::optional<Split> SplitAssignment(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0) return std::nullopt;
    return Split{text.substr(0, equals), text.substr(equals + 1)};
}

// "C" or "C:" -> 'C'; 0 for anything else.
char DriveLetter(std::string_view text) {
    if (text.size() == 2 && text[1] == ':') text.remove_suffix(1);
    if (text.size() != 1) return 0;
    const char c = text[0];
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return static_cast<char>(c & ~0x20);
    return 0;
}

std::string CheckDrive(const std::string& value) {
    const std::optional<Split> split = SplitAssignment(value);
    if (!split) return "'" + value + "' is not LETTER=FOLDER (as in C=/srv/drive_c)";
    if (DriveLetter(split->Name) == 0) {
        return "'" + std::string(split->Name) + "' is not a drive letter";
    }
    std::error_code ec;
    if (split->Value.empty() ||
        !std::filesystem::is_directory(registry::ToHostPath(split->Value), ec)) {
        return "'" + std::string(split->Value) + "' is not a folder";
    }
    return {};
}

std::string CheckEnvironment(const std::string& value) {
    if (!value.empty() && !SplitAssignment(value)) return "'" + value + "' is not NAME=VALUE";
    return {};
}

std::string CheckWindowsDir(const std::string& value) {
    if (registry::IsUncPath(value) || !registry::ParseLocalPath(value)) {
        return "'" + value + "' is not a full Windows path (as in C:\\Windows)";
    }
    return {};
}

}  // namespace

void AddMachineOptions(CLI::App& command, MachineOptions& options) {
    CLI::Option* drive =
        command.add_option("--drive", options.Drives, "Map a drive letter to a folder: C=FOLDER")
            ->type_name("LETTER=FOLDER")
            ->allow_extra_args(false)  // one mapping per --drive: the text may follow it
            ->check(CLI::Validator(CheckDrive, ""));
    CLI::Option* windowsDir = command
                                  .add_option("--windows-dir", options.WindowsDir,
                                              "The Windows directory of the mapped machine")
                                  ->type_name("PATH")
                                  ->default_str("C:\\Windows")
                                  ->check(CLI::Validator(CheckWindowsDir, ""));
    CLI::Option* environment =
        command
            .add_option("--env", options.Environment,
                        "Set an environment variable of the mapped machine: NAME=VALUE")
            ->type_name("NAME=VALUE")
            ->allow_extra_args(false)
            ->check(CLI::Validator(CheckEnvironment, ""));
    // Wine prefix: --wine-prefix, added with the registry options, describes the machine too.
    if (CLI::Option* prefix = command.get_option_no_throw("--wine-prefix")) {
        prefix->each([&options](const std::string& dir) { options.WinePrefix = dir; });
    }
    // A mounted installation: shared with the hive options when the command has both.
    AddWindowsRootOptions(command, options.WindowsRoot, options.User);
    if (HasLiveProbes()) {
        // The live machine has its own Windows directory and environment.
        windowsDir->needs(drive);
        environment->needs(drive);
    }
}

bool DescribeMachine(const MachineOptions& options, MappedMachine& machine, std::string& error) {
    machine = {};
    if (!options.WinePrefix.empty()) {
        // Wine prefix: its machine first; --drive and --env below override it.
        registry::MappedFilesConfig config;
        if (!WinePrefixMachine(options.WinePrefix, config, error)) return false;
        for (const auto& [letter, folder] : config.Drives) {
            machine.Drives.emplace_back(AsciiUpper(letter), registry::FromHostPath(folder));
        }
        machine.WindowsDir = config.WindowsDir;
        // What the prefix does not set is as on a default installation.
        const auto user = config.Environment.find("USERNAME");
        machine.Environment = StandardEnvironment(
            config.WindowsDir, user != config.Environment.end() ? user->second : "User",
            "DESKTOP");
        machine.Environment.insert(machine.Environment.end(), config.Environment.begin(),
                                   config.Environment.end());
    } else if (!options.WindowsRoot.empty()) {
        if (!registry::HiveFilesSupported()) {
            error = "--windows-root is not available on Windows: this build reads no hive files";
            return false;
        }
        Installation installation;
        InstallationEnvironment found;
        if (!FindInstallation(options.WindowsRoot, options.User, installation, error) ||
            !ReadInstallationEnvironment(installation, found, error)) {
            return false;
        }
        if (!options.WindowsDir.empty()) found.Layout.WindowsDir = options.WindowsDir;
        machine.Drives.emplace_back(AsciiUpper(found.Layout.WindowsDir[0]), options.WindowsRoot);
        machine.WindowsDir = found.Layout.WindowsDir;
        // As a session has it: the system's variables, the logon's, the user's.
        machine.Environment = found.System;
        const std::vector<EnvironmentVariable> standard = StandardEnvironment(found.Layout);
        machine.Environment.insert(machine.Environment.end(), standard.begin(), standard.end());
        machine.Environment.insert(machine.Environment.end(), found.User.begin(),
                                   found.User.end());
    } else {
        MachineLayout layout;
        if (!options.WindowsDir.empty()) layout.WindowsDir = options.WindowsDir;
        if (!options.User.empty()) layout.UserName = options.User;
        machine.WindowsDir = layout.WindowsDir;
        machine.Environment = StandardEnvironment(layout);
    }
    std::set<char> given;
    for (const std::string& mapping : options.Drives) {
        const std::optional<Split> split = SplitAssignment(mapping);
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
    for (const std::string& assignment : options.Environment) {
        if (assignment.empty()) continue;  // `path --env`: a request to show them
        const std::optional<Split> split = SplitAssignment(assignment);
        if (!split) {
            error = "'" + assignment + "' is not NAME=VALUE";
            return false;
        }
        machine.Environment.emplace_back(std::string(split->Name), std::string(split->Value));
    }
    return true;
}

std::unique_ptr<registry::FileProbes> MakeProbes(const MachineOptions& options,
                                                 std::string& error) {
    if (options.Drives.empty() && options.WinePrefix.empty() && options.WindowsRoot.empty() &&
        HasLiveProbes()) {
        return MakeLiveProbes();
    }
    MappedMachine machine;
    if (!DescribeMachine(options, machine, error)) return nullptr;
    registry::MappedFilesConfig config;
    for (const auto& [letter, folder] : machine.Drives) {
        config.Drives[letter] = registry::ToHostPath(folder);
    }
    config.WindowsDir = machine.WindowsDir;
    for (const auto& [name, value] : machine.Environment) config.Environment[name] = value;
    return std::make_unique<registry::MappedFiles>(std::move(config));
}

std::string MachineWarning(const MachineOptions& options) {
    if (!options.Drives.empty() || !options.WinePrefix.empty() || !options.WindowsRoot.empty() ||
        HasLiveProbes()) {
        return {};
    }
    return "no drive is mapped (--drive C=FOLDER), so every local path reads as missing";
}

}  // namespace hivewarden::cli
