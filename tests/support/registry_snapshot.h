// A registry store's whole contents as plain data, for tests that compare a tree before and
// after: every key by its exact path and spelling, every value by name with type and bytes.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "store/roots.h"
#include "store/store.h"

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

// One key and everything below it; empty when the key does not exist.
inline RegistrySnapshot SnapshotTree(registry::RegistryStore& store, registry::RootKey root,
                                     const std::string& path) {
    RegistrySnapshot snapshot;
    SnapshotKey(store, root, path, registry::RootName(root) + "\\" + path, snapshot);
    return snapshot;
}

// Bytes as C-style text with \xNN for anything unprintable, for failure messages.
inline std::string Printable(const std::string& bytes) {
    std::string text;
    for (const unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            text += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        }
    }
    return text;
}

// The first keys and values in which two snapshots differ, one per line (at most `limit`
// lines); empty when they are equal.
inline std::string DescribeDifference(const RegistrySnapshot& actual,
                                      const RegistrySnapshot& expected, int limit = 10) {
    std::string report;
    auto note = [&](const std::string& line) {
        if (limit-- > 0) report += line + "\n";
    };
    for (const auto& [key, contents] : expected) {
        const auto found = actual.find(key);
        if (found == actual.end()) {
            note("missing key " + Printable(key));
            continue;
        }
        for (const auto& [name, value] : contents.Values) {
            const auto other = found->second.Values.find(name);
            if (other == found->second.Values.end()) {
                note("missing value " + Printable(key) + " : " + Printable(name));
            } else if (!(other->second == value)) {
                note("value " + Printable(key) + " : " + Printable(name) + " is type " +
                     std::to_string(other->second.Type) + " [" + Printable(other->second.Bytes) +
                     "], expected type " + std::to_string(value.Type) + " [" +
                     Printable(value.Bytes) + "]");
            }
        }
        for (const auto& [name, value] : found->second.Values) {
            if (!contents.Values.count(name)) {
                note("extra value " + Printable(key) + " : " + Printable(name));
            }
        }
    }
    for (const auto& [key, contents] : actual) {
        if (!expected.count(key)) note("extra key " + Printable(key));
    }
    return report;
}

}  // namespace hivewarden::testing
