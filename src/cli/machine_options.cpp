// --drive, --windows-dir and --env, and the file probes they describe.
#include "cli/machine_options.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

#include "cli/platform_probes.h"
#include "registry/host_path.h"
#include "registry/mapped_files.h"
#include "registry/windows_path.h"

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
    if (!SplitAssignment(value)) return "'" + value + "' is not NAME=VALUE";
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
                                  ->capture_default_str()
                                  ->check(CLI::Validator(CheckWindowsDir, ""));
    CLI::Option* environment =
        command
            .add_option("--env", options.Environment,
                        "Set an environment variable of the mapped machine: NAME=VALUE")
            ->type_name("NAME=VALUE")
            ->allow_extra_args(false)
            ->check(CLI::Validator(CheckEnvironment, ""));
    if (HasLiveProbes()) {
        // The live machine has its own Windows directory and environment.
        windowsDir->needs(drive);
        environment->needs(drive);
    }
}

std::unique_ptr<registry::FileProbes> MakeProbes(const MachineOptions& options,
                                                 std::string& error) {
    if (options.Drives.empty() && HasLiveProbes()) return MakeLiveProbes();

    registry::MappedFilesConfig config;
    for (const std::string& mapping : options.Drives) {
        const std::optional<Split> split = SplitAssignment(mapping);
        const char letter = split ? DriveLetter(split->Name) : 0;
        if (letter == 0) {
            error = "'" + mapping + "' is not LETTER=FOLDER";
            return nullptr;
        }
        if (!config.Drives.emplace(letter, registry::ToHostPath(split->Value)).second) {
            error = std::string("drive ") + letter + ": is mapped twice";
            return nullptr;
        }
    }
    config.WindowsDir = options.WindowsDir;
    for (const std::string& assignment : options.Environment) {
        const std::optional<Split> split = SplitAssignment(assignment);
        if (!split) {
            error = "'" + assignment + "' is not NAME=VALUE";
            return nullptr;
        }
        config.Environment[std::string(split->Name)] = std::string(split->Value);
    }
    registry::AddStandardEnvironment(config);
    return std::make_unique<registry::MappedFiles>(std::move(config));
}

std::string MachineWarning(const MachineOptions& options) {
    if (!options.Drives.empty() || HasLiveProbes()) return {};
    return "no drive is mapped (--drive C=FOLDER), so every local path reads as missing";
}

}  // namespace hivewarden::cli
