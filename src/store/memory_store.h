// The portable in-memory registry store: the backend of every native test, of the sample
// machine and of the command line on Linux. Subkeys enumerate in case-insensitive name
// order, values in insertion order (as Windows NT does). Held lean for registries of millions
// of values: names are kept once in a name table, value data in large shared blocks (up to
// eight bytes inside the value itself), keys in one list addressed by number.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/memory_store_arena.h"
#include "store/memory_store_names.h"
#include "store/store.h"

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
    bool ValueAt(StoreHandle key, std::uint32_t index, std::string& name,
                 std::optional<RawValue>& value) override;
    bool Read(StoreHandle key, std::string_view name, RawValue& value) override;
    bool Write(StoreHandle key, std::string_view name, const RawValue& value) override;
    bool DeleteValue(StoreHandle key, std::string_view name) override;
    bool DeleteLeafKey(RootKey root, std::string_view path) override;

    // Test hooks: keys that refuse to open (access denied) and the number of open handles.
    void DenyAccess(RootKey root, std::string_view path);
    std::size_t OpenHandleCount() const { return handles_.size(); }

private:
    using NodeIndex = std::uint32_t;
    static constexpr NodeIndex kNoNode = 0xFFFFFFFFu;

    // One value: its name, type and data. Data of at most eight bytes lives in Payload itself,
    // longer data in the data arena (Payload: block << 32 | offset).
    struct ValueSlot {
        NamePool::Id Name = 0;
        NamePool::Id Fold = 0;  // the name's fold number, compared when looking a name up
        std::uint32_t Type = 0;
        std::uint32_t Size = 0;
        std::uint64_t Payload = 0;
    };
    static constexpr std::size_t kInlineBytes = sizeof(std::uint64_t);
    struct Node {
        NamePool::Id Name = 0;
        // Counts up each time the key is deleted, so handles to it know it is gone.
        std::uint32_t Generation = 0;
        bool Denied = false;
        std::vector<NodeIndex> Children;  // sorted case-insensitively
        std::vector<ValueSlot> Values;    // insertion order
    };
    struct HandleTarget {
        NodeIndex Node = kNoNode;
        std::uint32_t Generation = 0;
    };
    // The keys the last path walk passed, so that the next walk starts at the deepest key the
    // two paths share (a file being loaded names neighbouring keys line after line).
    struct WalkStep {
        HandleTarget Target;
        std::size_t End = 0;      // where this key's name ends in Path
        bool NoneDenied = false;  // no key from the root down to this one refuses access
    };
    struct LastWalk {
        RootKey Root = 0;
        std::string Path;
        std::vector<WalkStep> Steps;  // Steps[0]: the root
    };

    NodeIndex RootNode(RootKey root) const;
    // Walks root\path; with `create`, missing keys are made and a key that refuses access on
    // the way or at the end ends the walk. kNoNode when the walk fails.
    NodeIndex Walk(RootKey root, std::string_view path, bool create);
    NodeIndex NewNode(std::string_view name);
    // The position of the child named `name` (case-insensitively) or where it would go.
    std::vector<NodeIndex>::iterator ChildPosition(Node& node, std::string_view name);
    bool IsChildNamed(const Node& node, std::vector<NodeIndex>::iterator it,
                      std::string_view name) const;
    ValueSlot* FindValue(Node& node, std::string_view name);
    std::string_view DataOf(const ValueSlot& slot) const;
    void StoreData(ValueSlot& slot, std::string_view bytes);
    void DropData(const ValueSlot& slot) { garbage_ += slot.Size > kInlineBytes ? slot.Size : 0; }
    // Copies the live data to fresh blocks once most of the arena is data that was replaced
    // or deleted.
    void CompactIfWasteful();
    StoreHandle NewHandle(NodeIndex node);
    Node* Lookup(StoreHandle key);

    NamePool names_;
    ByteArena data_;
    std::size_t garbage_ = 0;  // arena bytes no value refers to any more
    std::deque<Node> nodes_;
    std::vector<NodeIndex> freeNodes_;
    std::vector<std::pair<RootKey, NodeIndex>> roots_;
    std::unordered_map<StoreHandle, HandleTarget> handles_;
    StoreHandle nextHandle_ = 1;
    LastWalk last_;
};

}  // namespace hivewarden::registry
