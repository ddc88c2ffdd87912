// Hive mounts as the user writes them, and the hive files opened once each.
#include "machine/hive_mounts.h"

#include <optional>

namespace hivewarden::machine {

bool ParseHiveMount(const std::string& text, HiveMount& mount, std::string& error) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) {
        error = "'" + text + "' is not ROOT\\PATH=FILE (as in HKLM\\SOFTWARE=/mnt/SOFTWARE)";
        return false;
    }
    const std::optional<registry::RootAndPath> key =
        registry::SplitKeyPath(text.substr(0, equals), true);
    if (!key) {
        error = "'" + text.substr(0, equals) + "' does not start with a root key (HKLM, HKCU, ...)";
        return false;
    }
    mount = {key->Root, key->Path, text.substr(equals + 1)};
    return true;
}

std::string MountKeyName(const HiveMount& mount) {
    return registry::RootName(mount.Root) + (mount.Path.empty() ? "" : "\\" + mount.Path);
}

registry::HiveStore* HiveFiles::Open(const std::string& file, std::string& error) {
    if (const auto known = opened_.find(file); known != opened_.end()) return known->second.get();
    std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(file, error);
    if (!hive) return nullptr;
    return opened_.emplace(file, std::move(hive)).first->second.get();
}

std::unique_ptr<registry::HiveStore> HiveFiles::Take(const std::string& file) {
    const auto known = opened_.find(file);
    if (known == opened_.end()) return nullptr;
    std::unique_ptr<registry::HiveStore> hive = std::move(known->second);
    opened_.erase(known);
    return hive;
}

}  // namespace hivewarden::machine
