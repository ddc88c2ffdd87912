// Stores mounted at registry paths and seen as one registry: hive files at HKLM\SOFTWARE,
// HKLM\SYSTEM, HKCU and HKCU\Software\Classes. Portable; knows nothing of what it mounts.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/store.h"

namespace hivewarden::registry {

// A path is answered by the store mounted at the deepest mount point that holds it
// (HKCU\Software\Classes before HKCU), asked with the rest of the path and the mount's root.
// The keys on the way to a mount point that no store holds (HKLM itself) exist, hold no
// values and list only the way on; a mount point shows among its parent's subkeys in place of
// a key of the same name. Roots with nothing mounted are empty, and nothing can be created
// outside the mounted stores. Mount points themselves cannot be deleted.
class MountedStore final : public RegistryStore {
public:
    MountedStore();
    ~MountedStore() override;
    MountedStore(const MountedStore&) = delete;
    MountedStore& operator=(const MountedStore&) = delete;

    // Mounts `store` with its root key at root\path. False when that point is taken already.
    bool Mount(RootKey root, std::string_view path, std::unique_ptr<RegistryStore> store);

    StoreHandle Open(RootKey root, std::string_view path) override;
    StoreHandle Create(RootKey root, std::string_view path) override;
    void Close(StoreHandle key) override;
    bool SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) override;
    bool ValueName(StoreHandle key, std::uint32_t index, std::string& name) override;
    bool ValueAt(StoreHandle key, std::uint32_t index, std::string& name,
                 std::optional<RawValue>& value) override;
    bool LongestValueName(StoreHandle key, std::uint32_t& length) override;
    bool QueryKeyCounts(StoreHandle key, KeyCounts& counts) override;
    bool Read(StoreHandle key, std::string_view name, RawValue& value) override;
    bool Write(StoreHandle key, std::string_view name, const RawValue& value) override;
    bool DeleteValue(StoreHandle key, std::string_view name) override;
    bool DeleteLeafKey(RootKey root, std::string_view path) override;
    // Commits every mounted store in the order mounted; stops at the first that fails.
    bool Commit(std::string& error) override;

private:
    struct MountPoint;
    struct OpenedKey;

    // The mount that answers for the path and the rest of the path below it; null for none.
    const MountPoint* Owner(RootKey root, const std::vector<std::string_view>& parts,
                            std::string& rest) const;
    // The names of the keys on the way to mount points directly below the path, in order.
    std::vector<std::string> WaysOn(RootKey root, const std::vector<std::string_view>& parts) const;
    StoreHandle OpenOrCreate(RootKey root, std::string_view path, bool create);
    OpenedKey* Lookup(StoreHandle key);
    // The merged subkey names of a key with mount points below it.
    bool Merge(OpenedKey& key);

    std::vector<std::unique_ptr<MountPoint>> mounts_;
    std::unordered_map<StoreHandle, std::unique_ptr<OpenedKey>> handles_;
    StoreHandle nextHandle_ = 1;
};

}  // namespace hivewarden::registry
