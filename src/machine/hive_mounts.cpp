// The hive options and the mounted registry they describe.
#include "cli/hive_options.h"

#include <CLI/CLI.hpp>
#include <optional>

#include "cli/windows_root.h"
#include "store/hive/hive_store.h"
#include "store/mounted/mounted_store.h"
#include "store/roots.h"

namespace hivewarden::cli {
namespace {

constexpr const char* kNoHivesHere =
    "--hive and --windows-root are not available on Windows; export the registry with "
    "regedit (File > Export) and give the file with --registry";

struct ParsedMount {
    HiveMount Mount;
    std::string Error;
};

ParsedMount ParseMount(const std::string& text) {
    ParsedMount parsed;
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) {
        parsed.Error = "'" + text + "' is not ROOT\\PATH=FILE (as in HKLM\\SOFTWARE=/mnt/SOFTWARE)";
        return parsed;
    }
    const std::optional<registry::RootAndPath> key =
        registry::SplitKeyPath(text.substr(0, equals), true);
    if (!key) {
        parsed.Error = "'" + text.substr(0, equals) +
                       "' does not start with a root key (HKLM, HKCU, ...)";
        return parsed;
    }
    parsed.Mount = {key->Root, key->Path, text.substr(equals + 1)};
    return parsed;
}

std::string CheckMount(const std::string& text) { return ParseMount(text).Error; }

// Every hive the options name, in mounting order.
bool CollectMounts(const HiveOptions& options, std::vector<HiveMount>& mounts,
                   std::vector<std::string>& warnings, std::string& error) {
    if (!registry::HiveFilesSupported()) {
        error = kNoHivesHere;
        return false;
    }
    if (!options.WindowsRoot.empty()) {
        Installation installation;
        if (!FindInstallation(options.WindowsRoot, options.User, installation, error)) {
            return false;
        }
        mounts = installation.Hives;
        warnings.insert(warnings.end(), installation.Warnings.begin(),
                        installation.Warnings.end());
    }
    for (const std::string& text : options.Mounts) {
        ParsedMount parsed = ParseMount(text);
        if (!parsed.Error.empty()) {
            error = parsed.Error;
            return false;
        }
        mounts.push_back(std::move(parsed.Mount));
    }
    return true;
}

std::string KeyName(const HiveMount& mount) {
    return registry::RootName(mount.Root) + (mount.Path.empty() ? "" : "\\" + mount.Path);
}

}  // namespace

void AddHiveOptions(CLI::App& command, HiveOptions& options) {
    command
        .add_option("--hive", options.Mounts,
                    "Mount a registry hive file at a key (repeatable): "
                    "HKLM\\SOFTWARE=FILE, HKCU=NTUSER.DAT")
        ->type_name("ROOT\\PATH=FILE")
        ->allow_extra_args(false)
        ->check(CLI::Validator(CheckMount, ""));
    AddWindowsRootOptions(command, options.WindowsRoot, options.User);
}

bool UsesHives(const HiveOptions& options) {
    return !options.Mounts.empty() || !options.WindowsRoot.empty();
}

std::unique_ptr<registry::RegistryStore> OpenHiveRegistry(const HiveOptions& options,
                                                          std::vector<std::string>& warnings,
                                                          std::string& error) {
    std::vector<HiveMount> mounts;
    if (!CollectMounts(options, mounts, warnings, error)) return nullptr;
    auto store = std::make_unique<registry::MountedStore>();
    for (const HiveMount& mount : mounts) {
        std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(mount.File, error);
        if (!hive) return nullptr;
        if (!hive->ReadOnlyReason().empty()) {
            warnings.push_back(hive->ReadOnlyReason() + "; " + KeyName(mount) +
                               " is read only");
        }
        if (!store->Mount(mount.Root, mount.Path, std::move(hive))) {
            error = KeyName(mount) + " is mounted twice";
            return nullptr;
        }
    }
    return store;
}

bool HiveWriteBackTarget(const HiveOptions& options, const std::string& output,
                         std::string& target, std::string& error) {
    if (!output.empty()) {
        error = "--output goes with --registry: hive files are changed in place";
        return false;
    }
    std::vector<HiveMount> mounts;
    std::vector<std::string> warnings;
    if (!CollectMounts(options, mounts, warnings, error)) return false;
    target.clear();
    for (const HiveMount& mount : mounts) {
        std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(mount.File, error);
        if (!hive || !hive->CheckWritable(error)) {
            error = "refused to change the registry: " + error;
            return false;
        }
        target += (target.empty() ? "" : ", ") + mount.File;
    }
    return true;
}

}  // namespace hivewarden::cli
