// The options that describe the machine a command looks at, registered on a command and
// filling one machine::MachineSource: --registry, --codepage, --wine-prefix, --wine-data,
// --hive, --windows-root and --user for its registry; --drive, --windows-dir and --env for its
// file system. Malformed values fail the parse with a message naming the option. Glue only: the
// machine is opened by machine/machine.h.
#pragma once

#include <iosfwd>
#include <string_view>

#include "cli/commands.h"
#include "machine/machine.h"
#include "machine/machine_source.h"

namespace CLI {
class App;
}

namespace hivewarden::cli {

// --registry, --codepage, --wine-prefix, --wine-data, --hive, --windows-root and --user.
void AddRegistryOptions(CLI::App& command, machine::MachineSource& source);

// --drive, --windows-dir, --env, and --windows-root and --user where the command does not
// have them yet.
void AddMachineOptions(CLI::App& command, machine::MachineSource& source);

// Opening options for `command`: its warnings go to the context's error stream as lines
// "hivewarden COMMAND: warning", and the registry file "-" is the context's standard input.
// `registry` false: the command looks at the file system only.
machine::OpenOptions OpenOptionsFor(const CommandContext& context, std::string_view command,
                                    bool registry = true);

}  // namespace hivewarden::cli
