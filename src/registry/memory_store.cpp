// In-memory registry tree with handle table. Deleted keys stay alive while a handle refers to
// them but answer every call as a vanished key would.
#include "registry/memory_store.h"

#include <algorithm>

#include "registry/text.h"
#include "registry/unicode.h"

namespace hivewarden::registry {

struct MemoryStore::Node {
    std::string Name;
    std::vector<std::shared_ptr<Node>> Children;  // sorted case-insensitively
    std::vector<std::pair<std::string, RawValue>> Values;  // insertion order
    bool Deleted = false;
    bool Denied = false;

    auto ChildPosition(std::string_view name) {
        return std::lower_bound(Children.begin(), Children.end(), name,
                                [](const std::shared_ptr<Node>& child, std::string_view n) {
                                    return CompareNoCase(child->Name, n) < 0;
                                });
    }
    std::shared_ptr<Node> Child(std::string_view name) {
        auto it = ChildPosition(name);
        if (it != Children.end() && EqualsNoCase((*it)->Name, name)) return *it;
        return nullptr;
    }
    auto ValuePosition(std::string_view name) {
        return std::find_if(Values.begin(), Values.end(),
                            [&](const auto& v) { return EqualsNoCase(v.first, name); });
    }
};

namespace {

// Splits "A\B\C" into components; empty components (doubled "\") are kept so that such a
// path never names an existing key, as on Windows.
std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    if (path.empty()) return parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = path.find('\\', start);
        parts.push_back(path.substr(start, slash - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return parts;
}

void MarkDeleted(MemoryStore::Node& node) {
    node.Deleted = true;
    for (auto& child : node.Children) MarkDeleted(*child);
}

}  // namespace

MemoryStore::MemoryStore() {
    for (const RootInfo& info : kRootTable) {
        auto node = std::make_shared<Node>();
        node->Name = std::string(info.Name);
        roots_[info.Handle] = node;
    }
}

MemoryStore::~MemoryStore() = default;

std::shared_ptr<MemoryStore::Node> MemoryStore::Find(RootKey root, std::string_view path) const {
    auto rootIt = roots_.find(root);
    if (rootIt == roots_.end()) return nullptr;
    std::shared_ptr<Node> node = rootIt->second;
    for (std::string_view part : Components(path)) {
        if (part.empty()) return nullptr;
        node = node->Child(part);
        if (!node) return nullptr;
    }
    return node;
}

StoreHandle MemoryStore::NewHandle(std::shared_ptr<Node> node) {
    const StoreHandle handle = nextHandle_++;
    handles_.emplace(handle, std::move(node));
    return handle;
}

MemoryStore::Node* MemoryStore::Lookup(StoreHandle key) const {
    auto it = handles_.find(key);
    if (it == handles_.end() || it->second->Deleted) return nullptr;
    return it->second.get();
}

StoreHandle MemoryStore::Open(RootKey root, std::string_view path) {
    std::shared_ptr<Node> node = Find(root, path);
    if (!node || node->Denied) return 0;
    return NewHandle(std::move(node));
}

StoreHandle MemoryStore::Create(RootKey root, std::string_view path) {
    auto rootIt = roots_.find(root);
    if (rootIt == roots_.end()) return 0;
    std::shared_ptr<Node> node = rootIt->second;
    for (std::string_view part : Components(path)) {
        if (part.empty() || node->Denied) return 0;
        auto it = node->ChildPosition(part);
        if (it != node->Children.end() && EqualsNoCase((*it)->Name, part)) {
            node = *it;
            continue;
        }
        auto child = std::make_shared<Node>();
        child->Name = std::string(part);
        node = *node->Children.insert(it, std::move(child));
    }
    if (node->Denied) return 0;
    return NewHandle(std::move(node));
}

void MemoryStore::Close(StoreHandle key) { handles_.erase(key); }

bool MemoryStore::SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) {
    Node* node = Lookup(key);
    if (!node || index >= node->Children.size()) return false;
    name = node->Children[index]->Name;
    return true;
}

bool MemoryStore::ValueName(StoreHandle key, std::uint32_t index, std::string& name) {
    Node* node = Lookup(key);
    if (!node || index >= node->Values.size()) return false;
    name = node->Values[index].first;
    return true;
}

bool MemoryStore::LongestValueName(StoreHandle key, std::uint32_t& length) {
    Node* node = Lookup(key);
    if (!node) return false;
    // In characters (UTF-16 units), as Windows counts them.
    length = 0;
    for (const auto& value : node->Values) {
        const std::size_t units = Utf16FromUtf8(value.first).size();
        length = std::max<std::uint32_t>(length, static_cast<std::uint32_t>(units));
    }
    return true;
}

bool MemoryStore::QueryKeyCounts(StoreHandle key, KeyCounts& counts) {
    Node* node = Lookup(key);
    if (!node) return false;
    counts.Subkeys = static_cast<std::uint32_t>(node->Children.size());
    counts.Values = static_cast<std::uint32_t>(node->Values.size());
    return true;
}

bool MemoryStore::Read(StoreHandle key, std::string_view name, RawValue& value) {
    Node* node = Lookup(key);
    if (!node) return false;
    auto it = node->ValuePosition(name);
    if (it == node->Values.end()) return false;
    value = it->second;
    return true;
}

bool MemoryStore::Write(StoreHandle key, std::string_view name, const RawValue& value) {
    Node* node = Lookup(key);
    if (!node) return false;
    auto it = node->ValuePosition(name);
    if (it != node->Values.end()) {
        it->second = value;
    } else {
        node->Values.emplace_back(std::string(name), value);
    }
    return true;
}

bool MemoryStore::DeleteValue(StoreHandle key, std::string_view name) {
    Node* node = Lookup(key);
    if (!node) return false;
    auto it = node->ValuePosition(name);
    if (it == node->Values.end()) return false;
    node->Values.erase(it);
    return true;
}

bool MemoryStore::DeleteLeafKey(RootKey root, std::string_view path) {
    if (path.empty()) return false;
    const std::size_t slash = path.rfind('\\');
    const std::string_view parentPath =
        slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
    const std::string_view name =
        slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::shared_ptr<Node> parent = Find(root, parentPath);
    if (!parent || name.empty()) return false;
    auto it = parent->ChildPosition(name);
    if (it == parent->Children.end() || !EqualsNoCase((*it)->Name, name)) return false;
    if (!(*it)->Children.empty() || (*it)->Denied) return false;
    MarkDeleted(**it);
    parent->Children.erase(it);
    return true;
}

void MemoryStore::DenyAccess(RootKey root, std::string_view path) {
    if (std::shared_ptr<Node> node = Find(root, path)) node->Denied = true;
}

}  // namespace hivewarden::registry
