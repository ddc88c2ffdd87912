// The Wine prefix store: three layout-keeping registry files behind the store seam.
#include "store/wine/wine_prefix_store.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <set>
#include <utility>

#include "files/durable_file.h"
#include "files/host_path.h"
#include "store/key_path.h"
#include "text/text.h"
#include "text/unicode.h"

namespace hivewarden::registry {

struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return CompareNoCase(a, b) < 0;
    }
};

struct WinePrefixStore::Node : std::enable_shared_from_this<Node> {
    std::string Name;
    Node* Parent = nullptr;
    Hive* Owner = nullptr;  // null for the HKEY_USERS node, which no file holds
    std::map<std::string, std::shared_ptr<Node>, NameLess> Children;
    // Children in order without the links, rebuilt after a change: a link is not listed, so
    // no walk reaches a key under a second name or runs round a cycle of links.
    std::vector<Node*> Order;
    bool OrderValid = false;
    std::vector<WineValue> Values;
    WineKeyInfo Info;
    bool HasBlock = false;  // the file has a block for it
    bool Dirty = false;     // its values changed: its block is written anew
    bool Deleted = false;
};

struct WinePrefixStore::Hive {
    std::string Path;
    std::string Original;  // the file's bytes as read (empty for a missing file)
    WineRegistryFile File;
    std::shared_ptr<Node> Root;
    std::vector<std::shared_ptr<Node>> BlockNodes;  // the node of each of File.Keys
    bool Changed = false;
};

namespace {

using Node = WinePrefixStore::Node;
using Hive = WinePrefixStore::Hive;

constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ull;
constexpr int kMaxLinkDepth = 16;
constexpr std::string_view kLinkValue = "SymbolicLinkValue";
constexpr const char* kFileNames[3] = {"system.reg", "user.reg", "userdef.reg"};
constexpr const char* kRelativeRoots[3] = {
    "REGISTRY\\Machine", "REGISTRY\\User\\S-1-5-21-0-0-0-1000", "REGISTRY\\User\\.Default"};

bool ReadHostFile(const std::string& path, std::string& bytes, bool& missing) {
    missing = false;
    std::FILE* file = OpenHostFile(path, "rb");
    if (!file) {
        missing = errno == ENOENT;
        return false;
    }
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

std::shared_ptr<Node> NewNode(std::string name, Node* parent, Hive* owner) {
    auto node = std::make_shared<Node>();
    node->Name = std::move(name);
    node->Parent = parent;
    node->Owner = owner;
    return node;
}

Node* Child(Node* node, const std::string& name, bool create) {
    const auto found = node->Children.find(name);
    if (found != node->Children.end()) return found->second.get();
    if (!create || !node->Owner) return nullptr;
    std::shared_ptr<Node> child = NewNode(name, node, node->Owner);
    Node* raw = child.get();
    node->Children.emplace(name, std::move(child));
    node->OrderValid = false;
    node->Owner->Changed = true;
    return raw;
}

const WineValue* FindValue(const Node& node, std::string_view name) {
    for (const WineValue& value : node.Values) {
        if (EqualsNoCase(value.Name, name)) return &value;
    }
    return nullptr;
}

// The path of a node below its file's root, as components.
std::vector<std::string> PathOf(const Node* node) {
    std::vector<std::string> parts;
    for (; node && node->Owner && node != node->Owner->Root.get(); node = node->Parent) {
        parts.push_back(node->Name);
    }
    std::reverse(parts.begin(), parts.end());
    return parts;
}

// Wine's order of key blocks: a key before its subkeys, siblings by name without case.
bool PathLess(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int order = CompareNoCase(a[i], b[i]);
        if (order != 0) return order < 0;
    }
    return a.size() < b.size();
}

// Wine writes a key that has values, no subkeys, a class or is a link; a key with subkeys
// only lives through them.
bool NeedsBlock(const Node& node) {
    return !node.Values.empty() || node.Children.empty() || node.Info.Class || node.Info.IsLink;
}

void CollectNew(Node* node, std::vector<Node*>& fresh) {
    if (!node->HasBlock && NeedsBlock(*node)) fresh.push_back(node);
    for (auto& [name, child] : node->Children) CollectNew(child.get(), fresh);
}

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::uint64_t SystemNow() {
    const auto since1970 = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    return kUnixEpochTicks + static_cast<std::uint64_t>(since1970.count()) * 10;
}

// The head of a file Wine would write for a branch that had no file yet.
std::string NewHead(int hive, const std::string& arch) {
    std::string head = std::string(kWineRegistryHeader) + "\n;; All keys relative to ";
    for (const char c : std::string_view(kRelativeRoots[hive])) {
        head += c;
        if (c == '\\') head += '\\';
    }
    head += "\n\n";
    if (!arch.empty()) head += arch + "\n";
    return head;
}

std::string ArchLine(const std::string& head) {
    const std::size_t at = head.find("\n#arch=");
    if (at == std::string::npos) return {};
    const std::size_t end = head.find('\n', at + 1);
    std::string line = head.substr(at + 1, end == std::string::npos ? end : end - at - 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

WinePrefixStore::WinePrefixStore(WinePrefixStoreOptions options) : options_(std::move(options)) {}
WinePrefixStore::~WinePrefixStore() = default;

std::unique_ptr<WinePrefixStore> WinePrefixStore::Load(const std::string& prefixDir,
                                                       WinePrefixStoreOptions options,
                                                       std::string& error) {
    std::unique_ptr<WinePrefixStore> store(new WinePrefixStore(std::move(options)));
    std::string folder = prefixDir;
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    for (int i = 0; i < 3; ++i) {
        auto hive = std::make_unique<Hive>();
        hive->Path = folder + kFileNames[i];
        hive->Root = NewNode({}, nullptr, hive.get());
        bool missing = false;
        if (!ReadHostFile(hive->Path, hive->Original, missing)) {
            if (!(missing && i == 2)) {
                error = "cannot read " + hive->Path +
                        (missing ? ": no such file (is " + prefixDir + " a Wine prefix?)"
                                 : std::string(": read error"));
                return nullptr;
            }
            hive->File.Head = NewHead(i, ArchLine(store->hives_[0]->File.Head));
        } else if (!ParseWineRegistryFile(hive->Original, hive->File, error)) {
            error = hive->Path + ":" + error.substr(std::string_view("line ").size());
            return nullptr;
        }
        for (const std::string& warning : hive->File.Warnings) {
            store->warnings_.push_back(hive->Path + ":" + warning.substr(std::string_view("line ").size()));
        }
        for (WineKeyBlock& block : hive->File.Keys) {
            Node* node = hive->Root.get();
            for (const std::string& part : block.Path) node = Child(node, part, true);
            // A key given twice keeps the values of both, the later ones winning.
            for (WineValue& value : block.Values) {
                auto same = std::find_if(
                    node->Values.begin(), node->Values.end(),
                    [&](const WineValue& v) { return EqualsNoCase(v.Name, value.Name); });
                if (same != node->Values.end()) {
                    same->Data = value.Data;
                } else {
                    node->Values.push_back(value);
                }
            }
            if (block.Info.Class) node->Info.Class = block.Info.Class;
            node->Info.IsLink = node->Info.IsLink || block.Info.IsLink;
            node->HasBlock = true;
            hive->BlockNodes.push_back(node->shared_from_this());
        }
        hive->Changed = false;
        store->hives_[i] = std::move(hive);
    }
    std::string relative = store->hives_[1]->File.RelativeTo;
    const std::size_t slash = relative.rfind('\\');
    store->userSid_ =
        slash == std::string::npos ? "S-1-5-21-0-0-0-1000" : relative.substr(slash + 1);
    store->users_ = NewNode({}, nullptr, nullptr);
    store->users_->Children.emplace(".Default", store->hives_[2]->Root);
    store->users_->Children.emplace(store->userSid_, store->hives_[1]->Root);
    store->hives_[1]->Root->Name = store->userSid_;
    store->hives_[2]->Root->Name = ".Default";
    return store;
}

bool WinePrefixStore::HasChanges() const {
    return std::any_of(hives_.begin(), hives_.end(), [](const auto& h) { return h->Changed; });
}

// Where a root starts, and the components of its fixed path below that start.
WinePrefixStore::Node* WinePrefixStore::Start(RootKey root, std::vector<std::string>& path,
                                              bool& ok) {
    ok = true;
    switch (root) {
        case kLocalMachine:
            return hives_[0]->Root.get();
        case kCurrentUser:
            return hives_[1]->Root.get();
        case kUsers:
            return users_.get();
        case kClassesRoot:
            path = {"Software", "Classes"};
            return hives_[0]->Root.get();
        case kCurrentConfig:
            path = {"System", "CurrentControlSet", "Hardware Profiles", "Current"};
            return hives_[0]->Root.get();
        default:
            ok = false;
            return nullptr;
    }
}

// The key a link leads to (the node itself when it is no link); null for a link that leads
// nowhere.
WinePrefixStore::Node* WinePrefixStore::Follow(Node* node, int depth) {
    if (!node || !node->Info.IsLink) return node;
    if (depth > kMaxLinkDepth) return nullptr;
    const WineValue* link = FindValue(*node, kLinkValue);
    if (!link || link->Data.Type != kRegLink) return nullptr;
    const std::string target = Utf8FromUtf16Le(link->Data.Bytes);
    const std::vector<std::string_view> components = NonEmptyPathComponents(target);
    const std::vector<std::string> parts(components.begin(), components.end());
    if (parts.size() < 2 || !EqualsNoCase(parts[0], "Registry")) return nullptr;
    Node* at = nullptr;
    std::size_t next = 2;
    if (EqualsNoCase(parts[1], "Machine")) {
        at = hives_[0]->Root.get();
    } else if (EqualsNoCase(parts[1], "User") && parts.size() >= 3) {
        at = Child(users_.get(), parts[2], false);
        next = 3;
    }
    for (; at && next < parts.size(); ++next) at = Follow(Child(at, parts[next], false), depth + 1);
    return Follow(at, depth + 1);
}

WinePrefixStore::Node* WinePrefixStore::Walk(RootKey root, std::string_view path, bool create) {
    std::vector<std::string> parts;
    bool ok = false;
    Node* node = Start(root, parts, ok);
    if (!ok) return nullptr;
    for (std::string_view part : NonEmptyPathComponents(path)) parts.emplace_back(part);
    for (const std::string& part : parts) {
        node = Follow(Child(node, part, create), 0);
        if (!node) return nullptr;
    }
    return node;
}

StoreHandle WinePrefixStore::NewHandle(Node* node) {
    if (!node) return 0;
    const StoreHandle handle = nextHandle_++;
    handles_.emplace(handle, node->shared_from_this());
    return handle;
}

WinePrefixStore::Node* WinePrefixStore::Lookup(StoreHandle key) const {
    const auto found = handles_.find(key);
    if (found == handles_.end() || found->second->Deleted) return nullptr;
    return found->second.get();
}

StoreHandle WinePrefixStore::Open(RootKey root, std::string_view path) {
    return NewHandle(Walk(root, path, false));
}

StoreHandle WinePrefixStore::Create(RootKey root, std::string_view path) {
    return NewHandle(Walk(root, path, true));
}

void WinePrefixStore::Close(StoreHandle key) { handles_.erase(key); }

bool WinePrefixStore::SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) {
    Node* node = Lookup(key);
    if (!node) return false;
    if (!node->OrderValid) {
        node->Order.clear();
        for (auto& [childName, child] : node->Children) {
            if (!child->Info.IsLink) node->Order.push_back(child.get());
        }
        node->OrderValid = true;
    }
    if (index >= node->Order.size()) return false;
    name = node->Order[index]->Name;
    return true;
}

bool WinePrefixStore::ValueName(StoreHandle key, std::uint32_t index, std::string& name) {
    Node* node = Lookup(key);
    if (!node || index >= node->Values.size()) return false;
    name = node->Values[index].Name;
    return true;
}

bool WinePrefixStore::LongestValueName(StoreHandle key, std::uint32_t& length) {
    Node* node = Lookup(key);
    if (!node) return false;
    length = 0;
    for (const WineValue& value : node->Values) {
        length = std::max(length, static_cast<std::uint32_t>(Utf16FromUtf8(value.Name).size()));
    }
    return true;
}

bool WinePrefixStore::QueryKeyCounts(StoreHandle key, KeyCounts& counts) {
    Node* node = Lookup(key);
    if (!node) return false;
    counts.Subkeys = static_cast<std::uint32_t>(node->Children.size());
    counts.Values = static_cast<std::uint32_t>(node->Values.size());
    return true;
}

bool WinePrefixStore::Read(StoreHandle key, std::string_view name, RawValue& value) {
    Node* node = Lookup(key);
    const WineValue* found = node ? FindValue(*node, name) : nullptr;
    if (!found) return false;
    value = found->Data;
    return true;
}

bool WinePrefixStore::Write(StoreHandle key, std::string_view name, const RawValue& value) {
    Node* node = Lookup(key);
    if (!node || !node->Owner) return false;
    for (WineValue& existing : node->Values) {
        if (!EqualsNoCase(existing.Name, name)) continue;
        if (existing.Data == value) return true;
        existing.Data = value;
        node->Dirty = node->Owner->Changed = true;
        return true;
    }
    // Wine keeps a key's values sorted by name.
    const auto at = std::find_if(node->Values.begin(), node->Values.end(), [&](const WineValue& v) {
        return CompareNoCase(name, v.Name) < 0;
    });
    node->Values.insert(at, WineValue{std::string(name), value});
    node->Dirty = node->Owner->Changed = true;
    return true;
}

bool WinePrefixStore::DeleteValue(StoreHandle key, std::string_view name) {
    Node* node = Lookup(key);
    if (!node || !node->Owner) return false;
    const auto found = std::find_if(node->Values.begin(), node->Values.end(),
                                    [&](const WineValue& v) { return EqualsNoCase(v.Name, name); });
    if (found == node->Values.end()) return false;
    node->Values.erase(found);
    node->Dirty = node->Owner->Changed = true;
    return true;
}

bool WinePrefixStore::DeleteLeafKey(RootKey root, std::string_view path) {
    // The key itself: a link as the last component is deleted, never the key it leads to.
    const std::vector<std::string_view> parts = NonEmptyPathComponents(path);
    if (parts.empty()) return false;
    std::string parentPath;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        if (i > 0) parentPath += '\\';
        parentPath += parts[i];
    }
    Node* holder = Walk(root, parentPath, false);
    Node* node = holder ? Child(holder, std::string(parts.back()), false) : nullptr;
    if (!node || !node->Owner || !node->Parent || !node->Children.empty()) return false;
    Node* parent = node->Parent;
    std::shared_ptr<Node> keep = node->shared_from_this();
    parent->Children.erase(node->Name);
    parent->OrderValid = false;
    node->Deleted = true;
    node->Owner->Changed = true;
    return true;
}

std::string WinePrefixStore::Serialize(Hive& hive, std::uint64_t now) {
    std::vector<Node*> fresh;
    CollectNew(hive.Root.get(), fresh);
    std::string out = hive.File.Head;
    bool needBlank = false;
    std::size_t nextFresh = 0;
    std::vector<WineKeyBlock> blocks;
    std::vector<std::shared_ptr<Node>> blockNodes;
    auto emit = [&](Node* node, std::string text, std::string tail, bool generated) {
        if ((generated || needBlank) && !out.empty()) {
            if (!EndsWith(out, "\n")) out += '\n';
            if (!EndsWith(out, "\n\n")) out += '\n';
        }
        out += text;
        out += tail;
        needBlank = generated && tail.empty();
        WineKeyBlock block;
        block.Path = PathOf(node);
        block.Info = node->Info;
        block.Values = node->Values;
        block.Text = std::move(text);
        block.Tail = std::move(tail);
        blocks.push_back(std::move(block));
        blockNodes.push_back(node->shared_from_this());
    };
    auto generate = [&](Node* node) {
        return FormatWineKeyBlock(PathOf(node), node->Info, node->Values, now);
    };
    std::set<Node*> written;
    for (std::size_t i = 0; i < hive.File.Keys.size(); ++i) {
        Node* node = hive.BlockNodes[i].get();
        WineKeyBlock& block = hive.File.Keys[i];
        if (node->Deleted || written.count(node)) continue;
        const std::vector<std::string> path = PathOf(node);
        while (nextFresh < fresh.size() && PathLess(PathOf(fresh[nextFresh]), path)) {
            emit(fresh[nextFresh], generate(fresh[nextFresh]), {}, true);
            ++nextFresh;
        }
        written.insert(node);
        if (!node->Dirty) {
            emit(node, block.Text, block.Tail, false);
        } else if (NeedsBlock(*node)) {
            emit(node, generate(node), block.Tail, true);
        }
    }
    for (; nextFresh < fresh.size(); ++nextFresh) {
        emit(fresh[nextFresh], generate(fresh[nextFresh]), {}, true);
    }
    // A removed last key leaves the blank line before it; the file ends as it did.
    if (!hive.Original.empty() && !EndsWith(hive.Original, "\n\n")) {
        while (EndsWith(out, "\n\n")) out.pop_back();
    }
    hive.File.Keys = std::move(blocks);
    hive.BlockNodes = std::move(blockNodes);
    return out;
}

bool WinePrefixStore::Commit(std::string& error) {
    if (!HasChanges()) return true;
    if (options_.WriteRefusal) {
        if (std::string refusal = options_.WriteRefusal(); !refusal.empty()) {
            error = std::move(refusal);
            return false;
        }
    }
    const std::uint64_t now = options_.Now ? options_.Now() : SystemNow();
    // Every changed file is written in full beside its original before any is renamed over it.
    struct Pending {
        Hive* Target;
        std::unique_ptr<DurableFile> File;
        std::string Bytes;
        WineRegistryFile Document;
        std::vector<std::shared_ptr<Node>> BlockNodes;
    };
    std::vector<Pending> pending;
    for (auto& hive : hives_) {
        if (!hive->Changed) continue;
        const WineRegistryFile before = hive->File;
        const std::vector<std::shared_ptr<Node>> beforeNodes = hive->BlockNodes;
        Pending item{hive.get(), MakeDurableFile(), Serialize(*hive, now), hive->File,
                     hive->BlockNodes};
        hive->File = before;
        hive->BlockNodes = beforeNodes;
        FileStatus status = item.File->Begin(hive->Path);
        if (status) status = item.File->Write(item.Bytes);
        if (!status) {
            error = status.Message;
            return false;
        }
        pending.push_back(std::move(item));
    }
    for (Pending& item : pending) {
        const FileStatus status = item.File->Commit();
        if (!status) {
            error = status.Message;
            return false;
        }
        Hive& hive = *item.Target;
        hive.Original = std::move(item.Bytes);
        hive.File = std::move(item.Document);
        hive.BlockNodes = std::move(item.BlockNodes);
        hive.Changed = false;
        for (const std::shared_ptr<Node>& node : hive.BlockNodes) {
            node->HasBlock = true;
            node->Dirty = false;
        }
    }
    return true;
}

}  // namespace hivewarden::registry
