// Routing of paths to mounted stores, and the keys on the way to mount points.
#include "store/mounted/mounted_store.h"

#include <algorithm>

#include "store/key_path.h"
#include "text/text.h"

namespace hivewarden::registry {

struct MountedStore::MountPoint {
    RootKey Root = 0;
    std::vector<std::string> Parts;
    std::unique_ptr<RegistryStore> Store;
};

struct MountedStore::OpenedKey {
    const MountPoint* Mount = nullptr;  // null on the way to mount points
    StoreHandle Inner = 0;
    RootKey Root = 0;
    std::vector<std::string> Parts;
    bool HasWaysOn = false;            // mount points lie below: subkeys are merged
    std::vector<std::string> Subkeys;  // the merged names, when HasWaysOn
};

namespace {

// Whether `prefix` is the start of `parts`, compared without regard to case.
template <typename A, typename B>
bool StartsWithParts(const std::vector<A>& parts, const std::vector<B>& prefix) {
    if (prefix.size() > parts.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!EqualsNoCase(parts[i], prefix[i])) return false;
    }
    return true;
}

void InsertName(std::vector<std::string>& names, std::string_view name) {
    const auto it = std::lower_bound(names.begin(), names.end(), name, LessNoCase{});
    if (it != names.end() && EqualsNoCase(*it, name)) {
        *it = std::string(name);  // the mount point's spelling wins
    } else {
        names.insert(it, std::string(name));
    }
}

}  // namespace

MountedStore::MountedStore() = default;
MountedStore::~MountedStore() = default;

bool MountedStore::Mount(RootKey root, std::string_view path,
                         std::unique_ptr<RegistryStore> store) {
    const std::vector<std::string_view> parts = KeyPathComponents(path);
    for (const auto& mount : mounts_) {
        if (mount->Root == root && mount->Parts.size() == parts.size() &&
            StartsWithParts(mount->Parts, parts)) {
            return false;
        }
    }
    auto mount = std::make_unique<MountPoint>();
    mount->Root = root;
    mount->Parts.assign(parts.begin(), parts.end());
    mount->Store = std::move(store);
    mounts_.push_back(std::move(mount));
    return true;
}

const MountedStore::MountPoint* MountedStore::Owner(RootKey root,
                                                    const std::vector<std::string_view>& parts,
                                                    std::string& rest) const {
    const MountPoint* best = nullptr;
    for (const auto& mount : mounts_) {
        if (mount->Root != root || !StartsWithParts(parts, mount->Parts)) continue;
        if (best == nullptr || mount->Parts.size() > best->Parts.size()) best = mount.get();
    }
    rest.clear();
    if (best == nullptr) return nullptr;
    for (std::size_t i = best->Parts.size(); i < parts.size(); ++i) {
        if (i > best->Parts.size()) rest += '\\';
        rest += parts[i];
    }
    return best;
}

std::vector<std::string> MountedStore::WaysOn(RootKey root,
                                              const std::vector<std::string_view>& parts) const {
    std::vector<std::string> names;
    for (const auto& mount : mounts_) {
        if (mount->Root != root || mount->Parts.size() <= parts.size() ||
            !StartsWithParts(mount->Parts, parts)) {
            continue;
        }
        InsertName(names, mount->Parts[parts.size()]);
    }
    return names;
}

StoreHandle MountedStore::OpenOrCreate(RootKey root, std::string_view path, bool create) {
    const std::vector<std::string_view> parts = KeyPathComponents(path);
    if (std::any_of(parts.begin(), parts.end(), [](std::string_view p) { return p.empty(); })) {
        return 0;
    }
    auto key = std::make_unique<OpenedKey>();
    key->Root = root;
    key->Parts.assign(parts.begin(), parts.end());
    key->HasWaysOn = !WaysOn(root, parts).empty();
    std::string rest;
    key->Mount = Owner(root, parts, rest);
    if (key->Mount != nullptr) {
        RegistryStore& store = *key->Mount->Store;
        key->Inner = create ? store.Create(root, rest) : store.Open(root, rest);
        if (key->Inner == 0) key->Mount = nullptr;
    }
    // A key no store holds exists when it is a root or on the way to a mount point.
    if (key->Mount == nullptr && !key->HasWaysOn && !parts.empty()) return 0;
    const StoreHandle handle = nextHandle_++;
    handles_.emplace(handle, std::move(key));
    return handle;
}

StoreHandle MountedStore::Open(RootKey root, std::string_view path) {
    return OpenOrCreate(root, path, false);
}

StoreHandle MountedStore::Create(RootKey root, std::string_view path) {
    return OpenOrCreate(root, path, true);
}

void MountedStore::Close(StoreHandle key) {
    const auto it = handles_.find(key);
    if (it == handles_.end()) return;
    if (it->second->Mount != nullptr) it->second->Mount->Store->Close(it->second->Inner);
    handles_.erase(it);
}

MountedStore::OpenedKey* MountedStore::Lookup(StoreHandle key) {
    const auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : it->second.get();
}

bool MountedStore::Merge(OpenedKey& key) {
    std::vector<std::string_view> parts(key.Parts.begin(), key.Parts.end());
    key.Subkeys = WaysOn(key.Root, parts);
    if (key.Mount == nullptr) return true;
    RegistryStore& store = *key.Mount->Store;
    KeyCounts counts;
    if (!store.QueryKeyCounts(key.Inner, counts)) return false;
    std::string name;
    for (std::uint32_t i = 0; store.SubkeyName(key.Inner, i, name); ++i) {
        const auto it = std::lower_bound(key.Subkeys.begin(), key.Subkeys.end(), name,
                                         LessNoCase{});
        if (it == key.Subkeys.end() || !EqualsNoCase(*it, name)) key.Subkeys.insert(it, name);
    }
    return true;
}

bool MountedStore::SubkeyName(StoreHandle handle, std::uint32_t index, std::string& name) {
    OpenedKey* key = Lookup(handle);
    if (key == nullptr) return false;
    if (!key->HasWaysOn) {
        return key->Mount != nullptr && key->Mount->Store->SubkeyName(key->Inner, index, name);
    }
    if ((index == 0 || key->Subkeys.empty()) && !Merge(*key)) return false;
    if (index >= key->Subkeys.size()) return false;
    name = key->Subkeys[index];
    return true;
}

bool MountedStore::ValueName(StoreHandle handle, std::uint32_t index, std::string& name) {
    OpenedKey* key = Lookup(handle);
    if (key == nullptr || key->Mount == nullptr) return false;
    return key->Mount->Store->ValueName(key->Inner, index, name);
}

bool MountedStore::ValueAt(StoreHandle handle, std::uint32_t index, std::string& name,
                           std::optional<RawValue>& value) {
    OpenedKey* key = Lookup(handle);
    if (key == nullptr || key->Mount == nullptr) return false;
    return key->Mount->Store->ValueAt(key->Inner, index, name, value);
}

bool MountedStore::LongestValueName(StoreHandle handle, std::uint32_t& length) {
    OpenedKey* key = Lookup(handle);
    if (key == nullptr) return false;
    if (key->Mount == nullptr) {
        length = 0;
        return true;
    }
    return key->Mount->Store->LongestValueName(key->Inner, length);
}

bool MountedStore::QueryKeyCounts(StoreHandle handle, KeyCounts& counts) {
    OpenedKey* key = Lookup(handle);
    if (key == nullptr) return false;
    counts = {};
    if (key->Mount != nullptr && !key->Mount->Store->QueryKeyCounts(key->Inner, counts)) {
        return false;
    }
    if (key->HasWaysOn) {
        if (!Merge(*key)) return false;
        counts.Subkeys = static_cast<std::uint32_t>(key->Subkeys.size());
    }
    return true;
}

bool MountedStore::Read(StoreHandle handle, std::string_view name, RawValue& value) {
    OpenedKey* key = Lookup(handle);
    if (key == nullptr || key->Mount == nullptr) return false;
    return key->Mount->Store->Read(key->Inner, name, value);
}

bool MountedStore::Write(StoreHandle handle, std::string_view name, const RawValue& value) {
    OpenedKey* key = Lookup(handle);
    if (key == nullptr || key->Mount == nullptr) return false;
    return key->Mount->Store->Write(key->Inner, name, value);
}

bool MountedStore::DeleteValue(StoreHandle handle, std::string_view name) {
    OpenedKey* key = Lookup(handle);
    if (key == nullptr || key->Mount == nullptr) return false;
    return key->Mount->Store->DeleteValue(key->Inner, name);
}

bool MountedStore::DeleteLeafKey(RootKey root, std::string_view path) {
    const std::vector<std::string_view> parts = KeyPathComponents(path);
    if (parts.empty() || !WaysOn(root, parts).empty()) return false;
    std::string rest;
    const MountPoint* mount = Owner(root, parts, rest);
    if (mount == nullptr || rest.empty()) return false;
    return mount->Store->DeleteLeafKey(root, rest);
}

bool MountedStore::Commit(std::string& error) {
    for (const auto& mount : mounts_) {
        if (!mount->Store->Commit(error)) return false;
    }
    return true;
}

}  // namespace hivewarden::registry
