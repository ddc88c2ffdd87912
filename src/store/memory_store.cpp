// In-memory registry tree with handle table. Keys live in one list and are addressed by
// number; a deleted key's number is reused, and its generation tells handles opened before the
// deletion that their key is gone (they answer every call as a vanished key would).
#include "store/memory_store.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "text/text.h"
#include "text/unicode.h"

namespace hivewarden::registry {
namespace {

// Arena data smaller than this is never worth copying around.
constexpr std::size_t kCompactionFloor = 16u << 20;

}  // namespace

MemoryStore::MemoryStore() {
    for (const RootInfo& info : kRootTable) roots_.emplace_back(info.Handle, NewNode(info.Name));
}

MemoryStore::~MemoryStore() = default;

MemoryStore::NodeIndex MemoryStore::NewNode(std::string_view name) {
    NodeIndex index;
    if (!freeNodes_.empty()) {
        index = freeNodes_.back();
        freeNodes_.pop_back();
    } else {
        index = static_cast<NodeIndex>(nodes_.size());
        nodes_.emplace_back();
    }
    Node& node = nodes_[index];
    node.Name = names_.Intern(name);
    node.Denied = false;
    return index;
}

MemoryStore::NodeIndex MemoryStore::RootNode(RootKey root) const {
    for (const auto& [handle, node] : roots_) {
        if (handle == root) return node;
    }
    return kNoNode;
}

std::vector<MemoryStore::NodeIndex>::iterator MemoryStore::ChildPosition(Node& node,
                                                                         std::string_view name) {
    // Exports list keys in order, so a new key mostly goes after all its siblings.
    if (!node.Children.empty() &&
        CompareNoCase(names_.Text(nodes_[node.Children.back()].Name), name) < 0) {
        return node.Children.end();
    }
    return std::lower_bound(node.Children.begin(), node.Children.end(), name,
                            [this](NodeIndex child, std::string_view n) {
                                return CompareNoCase(names_.Text(nodes_[child].Name), n) < 0;
                            });
}

bool MemoryStore::IsChildNamed(const Node& node, std::vector<NodeIndex>::iterator it,
                               std::string_view name) const {
    return it != node.Children.end() && EqualsNoCase(names_.Text(nodes_[*it].Name), name);
}

MemoryStore::NodeIndex MemoryStore::Walk(RootKey root, std::string_view path, bool create) {
    std::vector<WalkStep>& steps = last_.Steps;
    if (last_.Root != root || steps.empty()) {
        const NodeIndex rootNode = RootNode(root);
        if (rootNode == kNoNode) return kNoNode;
        last_.Root = root;
        last_.Path.clear();
        steps.assign(1, WalkStep{{rootNode, nodes_[rootNode].Generation}, 0,
                                 !nodes_[rootNode].Denied});
    }
    // The deepest key of the last walk that this path also passes. Its ancestors are live
    // when it is (only keys without subkeys are ever deleted), and keys never move.
    const std::string& lastPath = last_.Path;
    const std::size_t common =
        std::mismatch(path.begin(), path.begin() + std::min(path.size(), lastPath.size()),
                      lastPath.begin()).first - path.begin();
    std::size_t level = steps.size() - 1;
    while (level > 0) {
        const WalkStep& step = steps[level];
        if (step.End <= common && (step.End == path.size() || path[step.End] == '\\') &&
            nodes_[step.Target.Node].Generation == step.Target.Generation) {
            break;
        }
        --level;
    }
    steps.resize(level + 1);
    last_.Path.resize(steps.back().End);

    NodeIndex index = steps.back().Target.Node;
    bool noneDenied = steps.back().NoneDenied;
    const std::size_t start = steps.back().End;
    std::string_view rest = path.substr(std::min(path.size(), start + (level > 0 ? 1 : 0)));
    bool more = path.size() > start;
    if (create && !noneDenied) return kNoNode;
    while (more) {
        const std::size_t slash = rest.find('\\');
        const std::string_view part = rest.substr(0, slash);
        more = slash != std::string_view::npos;
        // An empty name (a doubled or trailing "\\") never names a key, as on Windows.
        if (part.empty()) return kNoNode;
        auto it = ChildPosition(nodes_[index], part);
        if (IsChildNamed(nodes_[index], it, part)) {
            index = *it;
        } else {
            if (!create) return kNoNode;
            const auto offset = it - nodes_[index].Children.begin();
            const NodeIndex child = NewNode(part);  // may grow the key list: find the parent anew
            std::vector<NodeIndex>& children = nodes_[index].Children;
            children.insert(children.begin() + offset, child);
            index = child;
        }
        noneDenied = noneDenied && !nodes_[index].Denied;
        const std::size_t end = static_cast<std::size_t>(part.data() - path.data()) + part.size();
        last_.Path.assign(path.substr(0, end));
        steps.push_back(WalkStep{{index, nodes_[index].Generation}, end, noneDenied});
        if (more) rest.remove_prefix(slash + 1);
        if (create && !noneDenied) return kNoNode;
    }
    return index;
}

StoreHandle MemoryStore::NewHandle(NodeIndex node) {
    const StoreHandle handle = nextHandle_++;
    handles_.emplace(handle, HandleTarget{node, nodes_[node].Generation});
    return handle;
}

MemoryStore::Node* MemoryStore::Lookup(StoreHandle key) {
    const auto it = handles_.find(key);
    if (it == handles_.end()) return nullptr;
    Node& node = nodes_[it->second.Node];
    return node.Generation == it->second.Generation ? &node : nullptr;
}

StoreHandle MemoryStore::Open(RootKey root, std::string_view path) {
    const NodeIndex node = Walk(root, path, false);
    if (node == kNoNode || nodes_[node].Denied) return 0;
    return NewHandle(node);
}

StoreHandle MemoryStore::Create(RootKey root, std::string_view path) {
    const NodeIndex node = Walk(root, path, true);
    return node == kNoNode ? 0 : NewHandle(node);
}

void MemoryStore::Close(StoreHandle key) { handles_.erase(key); }

bool MemoryStore::SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) {
    const Node* node = Lookup(key);
    if (!node || index >= node->Children.size()) return false;
    name = names_.Text(nodes_[node->Children[index]].Name);
    return true;
}

bool MemoryStore::ValueName(StoreHandle key, std::uint32_t index, std::string& name) {
    const Node* node = Lookup(key);
    if (!node || index >= node->Values.size()) return false;
    name = names_.Text(node->Values[index].Name);
    return true;
}

bool MemoryStore::LongestValueName(StoreHandle key, std::uint32_t& length) {
    const Node* node = Lookup(key);
    if (!node) return false;
    // In characters (UTF-16 units), as Windows counts them.
    length = 0;
    for (const ValueSlot& slot : node->Values) {
        const std::size_t units = Utf16FromUtf8(names_.Text(slot.Name)).size();
        length = std::max<std::uint32_t>(length, static_cast<std::uint32_t>(units));
    }
    return true;
}

bool MemoryStore::QueryKeyCounts(StoreHandle key, KeyCounts& counts) {
    const Node* node = Lookup(key);
    if (!node) return false;
    counts.Subkeys = static_cast<std::uint32_t>(node->Children.size());
    counts.Values = static_cast<std::uint32_t>(node->Values.size());
    return true;
}

std::string_view MemoryStore::DataOf(const ValueSlot& slot) const {
    if (slot.Size <= kInlineBytes) {
        return {reinterpret_cast<const char*>(&slot.Payload), slot.Size};
    }
    const ByteArena::Ref ref{static_cast<std::uint32_t>(slot.Payload >> 32),
                             static_cast<std::uint32_t>(slot.Payload)};
    return {data_.At(ref), slot.Size};
}

void MemoryStore::StoreData(ValueSlot& slot, std::string_view bytes) {
    slot.Size = static_cast<std::uint32_t>(bytes.size());
    slot.Payload = 0;
    if (bytes.size() <= kInlineBytes) {
        std::memcpy(&slot.Payload, bytes.data(), bytes.size());
        return;
    }
    const ByteArena::Ref ref = data_.Append(bytes);
    slot.Payload = (std::uint64_t{ref.Block} << 32) | ref.Offset;
}

MemoryStore::ValueSlot* MemoryStore::FindValue(Node& node, std::string_view name) {
    if (node.Values.empty()) return nullptr;
    const NamePool::Id fold = names_.FindFold(name);
    if (fold == NamePool::kNoName) return nullptr;
    for (ValueSlot& slot : node.Values) {
        if (slot.Fold == fold) return &slot;
    }
    return nullptr;
}

bool MemoryStore::ValueAt(StoreHandle key, std::uint32_t index, std::string& name,
                          std::optional<RawValue>& value) {
    const Node* node = Lookup(key);
    if (!node || index >= node->Values.size()) return false;
    const ValueSlot& slot = node->Values[index];
    name = names_.Text(slot.Name);
    if (!value) value.emplace();
    value->Type = slot.Type;
    value->Bytes = DataOf(slot);
    return true;
}

bool MemoryStore::Read(StoreHandle key, std::string_view name, RawValue& value) {
    Node* node = Lookup(key);
    if (!node) return false;
    const ValueSlot* slot = FindValue(*node, name);
    if (!slot) return false;
    value.Type = slot->Type;
    value.Bytes = DataOf(*slot);
    return true;
}

bool MemoryStore::Write(StoreHandle key, std::string_view name, const RawValue& value) {
    Node* node = Lookup(key);
    if (!node || value.Bytes.size() > std::numeric_limits<std::uint32_t>::max()) return false;
    ValueSlot* slot = FindValue(*node, name);
    if (slot) {
        DropData(*slot);
    } else {
        const NamePool::Id id = names_.Intern(name);
        node->Values.push_back({id, names_.FoldOf(id), 0, 0, 0});
        slot = &node->Values.back();
    }
    slot->Type = value.Type;
    StoreData(*slot, value.Bytes);
    CompactIfWasteful();
    return true;
}

bool MemoryStore::DeleteValue(StoreHandle key, std::string_view name) {
    Node* node = Lookup(key);
    if (!node) return false;
    ValueSlot* slot = FindValue(*node, name);
    if (!slot) return false;
    DropData(*slot);
    node->Values.erase(node->Values.begin() + (slot - node->Values.data()));
    CompactIfWasteful();
    return true;
}

bool MemoryStore::DeleteLeafKey(RootKey root, std::string_view path) {
    if (path.empty()) return false;
    const std::size_t slash = path.rfind('\\');
    const std::string_view parentPath =
        slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
    const std::string_view name =
        slash == std::string_view::npos ? path : path.substr(slash + 1);
    const NodeIndex parent = Walk(root, parentPath, false);
    if (parent == kNoNode || name.empty()) return false;
    auto it = ChildPosition(nodes_[parent], name);
    if (!IsChildNamed(nodes_[parent], it, name)) return false;
    const NodeIndex index = *it;
    Node& node = nodes_[index];
    if (!node.Children.empty() || node.Denied) return false;
    nodes_[parent].Children.erase(it);
    for (const ValueSlot& slot : node.Values) DropData(slot);
    ++node.Generation;
    node.Values = {};
    node.Children = {};
    freeNodes_.push_back(index);
    CompactIfWasteful();
    return true;
}

void MemoryStore::DenyAccess(RootKey root, std::string_view path) {
    const NodeIndex node = Walk(root, path, false);
    if (node != kNoNode) nodes_[node].Denied = true;
    last_.Steps.clear();  // the keys below it may now be refused
}

void MemoryStore::CompactIfWasteful() {
    if (garbage_ < kCompactionFloor || garbage_ < data_.Capacity() / 2) return;
    ByteArena fresh;
    for (Node& node : nodes_) {
        for (ValueSlot& slot : node.Values) {
            if (slot.Size <= kInlineBytes) continue;
            const ByteArena::Ref ref = fresh.Append(DataOf(slot));
            slot.Payload = (std::uint64_t{ref.Block} << 32) | ref.Offset;
        }
    }
    data_ = std::move(fresh);
    garbage_ = 0;
}

}  // namespace hivewarden::registry
