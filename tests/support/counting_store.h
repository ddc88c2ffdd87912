// A store for tests of how often the registry is asked: forwards to another store, counts the
// calls that are each one round trip to the registry server under Wine, and counts the opens
// of every key. Keys named in Unlistable report their counts but fail every index, as some of
// Wine's keys do.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/roots.h"
#include "store/store.h"
#include "text/text.h"

namespace hivewarden::testing {

class CountingStore final : public registry::RegistryStore {
  public:
    explicit CountingStore(registry::RegistryStore& inner) : inner_(inner) {}

    struct Calls {
        int Opens = 0;
        int Closes = 0;
        int Counts = 0;
        int SubkeyNames = 0;
        int Values = 0;  // ValueName, ValueAt and Read
    };
    Calls Made;
    // Opens per key, by full path ("HKEY_CURRENT_USER\Software"), compared without case.
    std::map<std::string, int, LessNoCase> OpensOf;
    // Full paths of keys whose subkeys and values cannot be listed.
    std::set<std::string, LessNoCase> Unlistable;

    registry::StoreHandle Open(registry::RootKey root, std::string_view path) override {
        ++Made.Opens;
        const std::string full = FullPath(root, path);
        ++OpensOf[full];
        return Remember(inner_.Open(root, path), full);
    }
    registry::StoreHandle Create(registry::RootKey root, std::string_view path) override {
        return Remember(inner_.Create(root, path), FullPath(root, path));
    }
    void Close(registry::StoreHandle key) override {
        ++Made.Closes;
        paths_.erase(key);
        inner_.Close(key);
    }
    bool SubkeyName(registry::StoreHandle key, std::uint32_t index, std::string& name) override {
        ++Made.SubkeyNames;
        return Listable(key) && inner_.SubkeyName(key, index, name);
    }
    bool ValueName(registry::StoreHandle key, std::uint32_t index, std::string& name) override {
        ++Made.Values;
        return Listable(key) && inner_.ValueName(key, index, name);
    }
    bool ValueAt(registry::StoreHandle key, std::uint32_t index, std::string& name,
                 std::optional<registry::RawValue>& value) override {
        ++Made.Values;
        return Listable(key) && inner_.ValueAt(key, index, name, value);
    }
    bool LongestValueName(registry::StoreHandle key, std::uint32_t& length) override {
        ++Made.Counts;
        return inner_.LongestValueName(key, length);
    }
    bool QueryKeyCounts(registry::StoreHandle key, registry::KeyCounts& counts) override {
        ++Made.Counts;
        return inner_.QueryKeyCounts(key, counts);
    }
    bool Read(registry::StoreHandle key, std::string_view name,
              registry::RawValue& value) override {
        ++Made.Values;
        return inner_.Read(key, name, value);
    }
    bool Write(registry::StoreHandle key, std::string_view name,
               const registry::RawValue& value) override {
        return inner_.Write(key, name, value);
    }
    bool DeleteValue(registry::StoreHandle key, std::string_view name) override {
        return inner_.DeleteValue(key, name);
    }
    bool DeleteLeafKey(registry::RootKey root, std::string_view path) override {
        return inner_.DeleteLeafKey(root, path);
    }

  private:
    static std::string FullPath(registry::RootKey root, std::string_view path) {
        std::string full = registry::RootName(root);
        if (!path.empty()) full += "\\" + std::string(path);
        return full;
    }
    registry::StoreHandle Remember(registry::StoreHandle key, const std::string& full) {
        if (key != 0) paths_[key] = full;
        return key;
    }
    bool Listable(registry::StoreHandle key) const {
        const auto it = paths_.find(key);
        return it == paths_.end() || Unlistable.count(it->second) == 0;
    }

    registry::RegistryStore& inner_;
    std::unordered_map<registry::StoreHandle, std::string> paths_;
};

}  // namespace hivewarden::testing
