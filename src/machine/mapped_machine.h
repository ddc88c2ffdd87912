// The options that say which machine a command looks at (drive letters mapped to folders,
// the Windows directory, the user, the environment, or a mounted Windows installation) and the
// file probes built from them. Shared by every command that asks about files; glue only, the
// probes themselves live in registry/.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/standard_environment.h"
#include "cli/standard_environment.h"
#include "files/files.h"

namespace CLI {
class App;
}

namespace hivewarden::cli {

struct MachineOptions {
    std::vector<std::string> Drives;  // "C=FOLDER", checked when parsed
    std::string WindowsDir;           // empty: C:\\Windows, or the installation's own
    // "NAME=VALUE", checked when parsed; an empty entry (`path --env` alone) asks to see them.
    std::vector<std::string> Environment;
    // --wine-prefix (registered with the registry options): the prefix's drives, Windows
    // folder and environment, under --drive and --env.
    std::string WinePrefix;
    std::string User;  // --user; empty: User, or a mounted installation's only user
    // --windows-root (registered with the registry options too): a mounted Windows
    // installation, drive C: with the folders and environment its hives record.
    std::string WindowsRoot;
};

// Registers --drive, --windows-dir, --env, --user and --windows-root on a command. Malformed
// values fail the parse with a message naming the option.
void AddMachineOptions(CLI::App& command, MachineOptions& options);

// The mapped machine the options describe: its drives, its Windows directory, and its
// environment in the order it is made: StandardEnvironment of the machine's layout (the
// Windows directory and --user), or a mounted installation's own folders and Environment keys,
// or a Wine prefix's; then --env. A later entry of a name wins.
struct MappedMachine {
    std::vector<std::pair<char, std::string>> Drives;  // upper-case letter, UTF-8 host folder
    std::string WindowsDir;
    std::vector<EnvironmentVariable> Environment;
};
bool DescribeMachine(const MachineOptions& options, MappedMachine& machine, std::string& error);

// The probes of the machine. Without --drive, --windows-root or --wine-prefix on a build with
// live probes (Windows): the real file system. Otherwise the mapped machine of
// DescribeMachine. Null with `error` set when the options contradict each other or the
// installation cannot be read.
std::unique_ptr<registry::FileProbes> MakeProbes(const MachineOptions& options, std::string& error);

// A warning worth showing before the work starts, or empty text: with no drive mapped and no
// live file system, every local path reads as missing.
std::string MachineWarning(const MachineOptions& options);

}  // namespace hivewarden::cli
