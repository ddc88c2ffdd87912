// --hive ROOT\PATH=FILE, --windows-root DIR and --user NAME on the commands that read a
// registry: the registry of an offline Windows machine made of its hive files, and the checks
// made before such a registry is written back. Glue over registry/hive_store and
// registry/mounted_store.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "store/store.h"

namespace CLI {
class App;
}

namespace hivewarden::cli {

struct HiveOptions {
    std::vector<std::string> Mounts;  // "ROOT\PATH=FILE", checked when parsed
    std::string WindowsRoot;          // --windows-root DIR
    std::string User;                 // --user NAME
};

// Registers --hive, --windows-root and --user.
void AddHiveOptions(CLI::App& command, HiveOptions& options);

// True when the registry is made of hive files.
bool UsesHives(const HiveOptions& options);

// The hives mounted where the options say, as one registry. `warnings` gets what the user
// should know before the work starts (a hive read only, and why). Null, with the reason, when
// a hive cannot be read, the installation or its user cannot be found, or this build reads
// no hives.
std::unique_ptr<registry::RegistryStore> OpenHiveRegistry(const HiveOptions& options,
                                                          std::vector<std::string>& warnings,
                                                          std::string& error);

// Checked before a command that changes the registry starts: every hive it would write can
// be written (not dirty, damaged or locked). `target` names the hives for the messages. False,
// with the reason naming the file, otherwise; also for --output, since hives are changed in
// place.
bool HiveWriteBackTarget(const HiveOptions& options, const std::string& output,
                         std::string& target, std::string& error);

}  // namespace hivewarden::cli
