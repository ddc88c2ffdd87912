// The portable in-memory registry store: the backend of every native test, of the sample
// machine and of the command line on Linux. Subkeys enumerate in case-insensitive name
// order, values in insertion order (as Windows NT does).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "registry/store.h"

namespace hivewarden::registry {

class MemoryStore final : public RegistryStore {
public:
    MemoryStore();
    ~MemoryStore() override;
    MemoryStore(const MemoryStore&) = delete;
    MemoryStore& operator=(const MemoryStore&) = delete;

    StoreHandle Open(RootKey root, std::string_view path) override;
    StoreHandle Create(RootKey root, std::string_view path) override;
    void Close(StoreHandle key) override;
    bool SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) override;
    bool ValueName(StoreHandle key, std::uint32_t index, std::string& name) override;
    bool LongestValueName(StoreHandle key, std::uint32_t& length) override;
    bool QueryKeyCounts(StoreHandle key, KeyCounts& counts) override;
    bool Read(StoreHandle key, std::string_view name, RawValue& value) override;
    bool Write(StoreHandle key, std::string_view name, const RawValue& value) override;
    bool DeleteValue(StoreHandle key, std::string_view name) override;
    bool DeleteLeafKey(RootKey root, std::string_view path) override;

    // Test hooks: keys that refuse to open (access denied) and the number of open handles.
    void DenyAccess(RootKey root, std::string_view path);
    std::size_t OpenHandleCount() const { return handles_.size(); }

    struct Node;

private:
    std::shared_ptr<Node> Find(RootKey root, std::string_view path) const;
    StoreHandle NewHandle(std::shared_ptr<Node> node);
    Node* Lookup(StoreHandle key) const;

    std::map<RootKey, std::shared_ptr<Node>> roots_;
    std::unordered_map<StoreHandle, std::shared_ptr<Node>> handles_;
    StoreHandle nextHandle_ = 1;
};

}  // namespace hivewarden::registry
