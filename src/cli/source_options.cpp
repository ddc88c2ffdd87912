// The machine-source options and their checks.
#include "cli/source_options.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <system_error>

#include "files/host_path.h"
#include "files/windows_path.h"
#include "machine/hive_mounts.h"
#include "machine/live.h"
#include "machine/mapped_machine.h"

namespace hivewarden::cli {
namespace {

std::string CheckMount(const std::string& text) {
    machine::HiveMount mount;
    std::string error;
    machine::ParseHiveMount(text, mount, error);
    return error;
}

std::string CheckDrive(const std::string& value) {
    const std::optional<machine::Assignment> split = machine::SplitAssignment(value);
    if (!split) return "'" + value + "' is not LETTER=FOLDER (as in C=/srv/drive_c)";
    if (machine::DriveLetter(split->Name) == 0) {
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
    if (!value.empty() && !machine::SplitAssignment(value)) {
        return "'" + value + "' is not NAME=VALUE";
    }
    return {};
}

std::string CheckWindowsDir(const std::string& value) {
    if (registry::IsUncPath(value) || !registry::ParseLocalPath(value)) {
        return "'" + value + "' is not a full Windows path (as in C:\\Windows)";
    }
    return {};
}

// The variables of an environment file, appended to `variables`. False, with the reason, when
// it cannot be read or a line is not NAME=VALUE.
bool ReadEnvironmentFile(const std::string& file, std::vector<std::string>& variables,
                         std::string& error) {
    std::ifstream in(registry::ToHostPath(file), std::ios::binary);
    if (!in) {
        error = "--env-file " + file + ": cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
        if (line.find_first_not_of(" \t") == std::string::npos || line.front() == '#') continue;
        if (const std::string problem = CheckEnvironment(line); !problem.empty()) {
            error = "--env-file " + file + " line " + std::to_string(number) + ": " + problem;
            return false;
        }
        variables.push_back(line);
    }
    return true;
}

// --windows-root and --user, once per command.
// The help group of an option this build cannot use: none, so that --help does not list it;
// given anyway, opening the machine says why it cannot be used.
std::string GroupIf(bool supported) { return supported ? "Options" : ""; }

void AddWindowsRootOptions(CLI::App& command, machine::MachineSource& source) {
    if (command.get_option_no_throw("--windows-root") != nullptr) return;
    const std::string group = GroupIf(machine::HiveFilesSupported());
    command
        .add_option("--windows-root", source.WindowsRoot,
                    "A mounted Windows installation: its hives are the registry, DIR is drive "
                    "C:, and its folders and environment come from its hives")
        ->type_name("DIR")
        ->group(group);
    command
        .add_option("--user", source.User,
                    "The user whose profile is meant (default: User; with --windows-root the "
                    "only user profile there is)")
        ->type_name("NAME")
        ->group(group);
}

}  // namespace

void AddRegistryOptions(CLI::App& command, machine::MachineSource& source) {
    command.add_option("--registry", source.RegistryFiles,
                       "A .reg file to load into an in-memory registry (repeatable; - reads "
                       "standard input); without it the live registry is used on Windows");
    command.add_option("--codepage", source.AnsiCodePage,
                       "The ANSI code page of REGEDIT4 --registry files (default 1252); a "
                       "write-back uses it too, or version 5 when it cannot hold every entry");
    command.add_option("--wine-prefix", source.WinePrefix,
                       "A Wine prefix whose registry (system.reg, user.reg, userdef.reg) is "
                       "the registry, and whose drives and environment are the machine's; "
                       "changes are written back while no wineserver serves it")
        ->type_name("DIR")
        ->excludes("--registry")
        ->group(GroupIf(machine::WinePrefixesSupported()));
    command
        .add_option("--wine-data", source.WineDataDir,
                    "Wine's own data folder, the one holding wine.inf and fonts/, where Wine "
                    "finds the fonts it ships (default: found from the Wine installation: "
                    "WINEDATADIR, WINELOADER, wine64 or wine on PATH, /usr/share/wine)")
        ->type_name("DIR")
        ->needs("--wine-prefix")
        ->check(CLI::ExistingDirectory);
    command
        .add_option("--hive", source.HiveMounts,
                    "Mount a registry hive file at a key (repeatable): "
                    "HKLM\\SOFTWARE=FILE, HKCU=NTUSER.DAT")
        ->type_name("ROOT\\PATH=FILE")
        ->allow_extra_args(false)
        ->check(CLI::Validator(CheckMount, ""))
        ->group(GroupIf(machine::HiveFilesSupported()));
    AddWindowsRootOptions(command, source);
}

void AddMachineOptions(CLI::App& command, machine::MachineSource& source) {
    CLI::Option* drive =
        command.add_option("--drive", source.Drives, "Map a drive letter to a folder: C=FOLDER")
            ->type_name("LETTER=FOLDER")
            ->allow_extra_args(false)  // one mapping per --drive: the text may follow it
            ->check(CLI::Validator(CheckDrive, ""));
    CLI::Option* windowsDir = command
                                  .add_option("--windows-dir", source.WindowsDir,
                                              "The Windows directory of the mapped machine")
                                  ->type_name("PATH")
                                  ->default_str("C:\\Windows")
                                  ->check(CLI::Validator(CheckWindowsDir, ""));
    CLI::Option* environment =
        command
            .add_option("--env", source.Environment,
                        "Set an environment variable of the mapped machine: NAME=VALUE")
            ->type_name("NAME=VALUE")
            ->allow_extra_args(false)
            ->check(CLI::Validator(CheckEnvironment, ""));
    // Added after --env, so that its callback runs after --env's values are stored: the
    // file's variables go first and a --env given on the command line wins.
    command
        .add_option_function<std::vector<std::string>>(
            "--env-file",
            [&source](const std::vector<std::string>& files) {
                std::vector<std::string> read;
                for (const std::string& file : files) {
                    std::string error;
                    if (!ReadEnvironmentFile(file, read, error)) throw CLI::ValidationError(error);
                }
                source.Environment.insert(source.Environment.begin(), read.begin(), read.end());
            },
            "Read environment variables of the mapped machine from FILE: one NAME=VALUE a line; "
            "blank lines and lines starting with # are skipped (--env wins)")
        ->type_name("FILE")
        ->allow_extra_args(false);
    AddWindowsRootOptions(command, source);
    if (machine::HasLiveProbes()) {
        // The live machine has its own Windows directory and environment.
        windowsDir->needs(drive);
        environment->needs(drive);
    }
}

machine::OpenOptions OpenOptionsFor(const CommandContext& context, std::string_view command,
                                    bool registry) {
    machine::OpenOptions options;
    options.Registry = registry;
    options.StandardInput = &context.In;
    options.Warn = [&err = context.Err, name = std::string(command)](const std::string& warning) {
        err << "hivewarden " << name << ": " << warning << "\n";
    };
    return options;
}

}  // namespace hivewarden::cli
