// The options that say which machine a command looks at (drive letters mapped to folders,
// the Windows directory, the environment) and the file probes built from them. Shared by
// every command that asks about files; glue only, the probes themselves live in registry/.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "registry/files.h"

namespace CLI {
class App;
}

namespace hivewarden::cli {

struct MachineOptions {
    std::vector<std::string> Drives;  // "C=FOLDER", checked when parsed
    std::string WindowsDir = "C:\\Windows";
    std::vector<std::string> Environment;  // "NAME=VALUE", checked when parsed
};

// Registers --drive, --windows-dir and --env on a command. Malformed values fail the parse
// with a message naming the option.
void AddMachineOptions(CLI::App& command, MachineOptions& options);

// The probes of the machine. Without --drive on a build with live probes (Windows): the real
// file system. Otherwise the mapped drives, with the standard variables (SystemRoot, windir,
// SystemDrive, ProgramFiles, CommonProgramFiles) derived from the Windows directory and
// overridden by --env. Null with `error` set when the options contradict each other.
std::unique_ptr<registry::FileProbes> MakeProbes(const MachineOptions& options, std::string& error);

// A warning worth showing before the work starts, or empty text: with no drive mapped and no
// live file system, every local path reads as missing.
std::string MachineWarning(const MachineOptions& options);

}  // namespace hivewarden::cli
