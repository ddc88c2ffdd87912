// A registry store's whole contents as plain data, for tests that compare a tree before and
// after: every key by its exact path and spelling, every value by name with type and bytes.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "registry/roots.h"
#include "registry/store.h"

namespace hivewarden::testing {

struct KeySnapshot {
    // Value name -> type and bytes. Sorted by name: a restore may give values back in another
    // order than they were created in.
    std::map<std::string, registry::RawValue> Values;

    bool operator==(const KeySnapshot&) const = default;
};

// Full key path ("HKEY_CURRENT_USER\Software\A") -> contents, for every key of every root.
using RegistrySnapshot = std::map<std::string, KeySnapshot>;

inline void SnapshotKey(registry::RegistryStore& store, registry::RootKey root,
                        const std::string& path, const std::string& fullPath,
                        RegistrySnapshot& snapshot) {
    const registry::StoreHandle key = store.Open(root, path);
    if (key == 0) return;
    KeySnapshot& entry = snapshot[fullPath];
    std::string name;
    for (std::uint32_t i = 0; store.ValueName(key, i, name); ++i) {
        registry::RawValue value;
        if (store.Read(key, name, value)) entry.Values[name] = value;
    }
    std::vector<std::string> children;
    for (std::uint32_t i = 0; store.SubkeyName(key, i, name); ++i) children.push_back(name);
    store.Close(key);
    for (const std::string& child : children) {
        SnapshotKey(store, root, path.empty() ? child : path + "\\" + child,
                    fullPath + "\\" + child, snapshot);
    }
}

inline RegistrySnapshot Snapshot(registry::RegistryStore& store) {
    RegistrySnapshot snapshot;
    for (const registry::RootInfo& root : registry::kRootTable) {
        SnapshotKey(store, root.Handle, "", std::string(root.Name), snapshot);
    }
    return snapshot;
}

}  // namespace hivewarden::testing
