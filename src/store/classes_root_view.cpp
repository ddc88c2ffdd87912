// The HKEY_CLASSES_ROOT view: handles of its own over the inner store's handles, the merged
// subkey listing and the placement of writes.
#include "store/classes_root_view.h"

#include <algorithm>
#include <utility>

#include "text/text.h"

namespace hivewarden::registry {

std::string ClassesCopyPath(std::string_view path) {
    std::string copy(kClassesPath);
    if (!path.empty()) {
        copy += '\\';
        copy += path;
    }
    return copy;
}

ClassesRootView::ClassesRootView(std::unique_ptr<RegistryStore> inner) : inner_(std::move(inner)) {}

ClassesRootView::~ClassesRootView() {
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (keys_[i].InUse) Close(static_cast<StoreHandle>(i + 1));
    }
}

ClassesRootView::OpenKey* ClassesRootView::Find(StoreHandle key) {
    if (key == 0 || key > keys_.size()) return nullptr;
    OpenKey& open = keys_[key - 1];
    return open.InUse ? &open : nullptr;
}

StoreHandle ClassesRootView::Keep(OpenKey key) {
    key.InUse = true;
    if (free_.empty()) {
        keys_.push_back(std::move(key));
        return static_cast<StoreHandle>(keys_.size());
    }
    const std::size_t slot = free_.back();
    free_.pop_back();
    keys_[slot] = std::move(key);
    return static_cast<StoreHandle>(slot + 1);
}

StoreHandle ClassesRootView::Open(RootKey root, std::string_view path) {
    OpenKey key;
    if (root != kClassesRoot) {
        key.Inner = inner_->Open(root, path);
        return key.Inner ? Keep(std::move(key)) : 0;
    }
    const std::string copy = ClassesCopyPath(path);
    key.Classes = true;
    key.User = inner_->Open(kCurrentUser, copy);
    key.Machine = inner_->Open(kLocalMachine, copy);
    // The root itself always opens, as a root of any store does.
    if (key.User == 0 && key.Machine == 0 && !path.empty()) return 0;
    return Keep(std::move(key));
}

StoreHandle ClassesRootView::Create(RootKey root, std::string_view path) {
    if (root != kClassesRoot) {
        OpenKey key;
        key.Inner = inner_->Create(root, path);
        return key.Inner ? Keep(std::move(key)) : 0;
    }
    const std::string copy = ClassesCopyPath(path);
    OpenKey key;
    key.Classes = true;
    key.User = inner_->Open(kCurrentUser, copy);
    // A key HKCU does not hold is created (or found) under HKLM.
    key.Machine = key.User ? inner_->Open(kLocalMachine, copy) : inner_->Create(kLocalMachine, copy);
    if (key.User == 0 && key.Machine == 0) return 0;
    return Keep(std::move(key));
}

void ClassesRootView::Close(StoreHandle handle) {
    OpenKey* key = Find(handle);
    if (!key) return;
    for (StoreHandle inner : {key->Inner, key->User, key->Machine}) {
        if (inner) inner_->Close(inner);
    }
    *key = OpenKey{};
    free_.push_back(handle - 1);
}

bool ClassesRootView::Merge(OpenKey& key) {
    KeyCounts counts;
    const StoreHandle shown = Shown(key);
    // The copy the view shows is the key: once it is gone, so is the key of this handle.
    if (shown && !inner_->QueryKeyCounts(shown, counts)) return false;
    key.Subkeys.clear();
    std::string name;
    for (StoreHandle copy : {key.User, key.Machine}) {
        if (copy == 0) continue;
        for (std::uint32_t i = 0; inner_->SubkeyName(copy, i, name); ++i) {
            key.Subkeys.push_back(name);
        }
    }
    // HKCU's names come first, so a name both copies hold keeps HKCU's spelling.
    std::stable_sort(key.Subkeys.begin(), key.Subkeys.end(), LessNoCase());
    key.Subkeys.erase(std::unique(key.Subkeys.begin(), key.Subkeys.end(),
                                  [](const std::string& a, const std::string& b) {
                                      return EqualsNoCase(a, b);
                                  }),
                      key.Subkeys.end());
    key.Merged = true;
    return true;
}

bool ClassesRootView::SubkeyName(StoreHandle handle, std::uint32_t index, std::string& name) {
    OpenKey* key = Find(handle);
    if (!key) return false;
    if (!key->Classes) return inner_->SubkeyName(key->Inner, index, name);
    // A listing that starts again sees the keys as they are now.
    if ((index == 0 || !key->Merged) && !Merge(*key)) return false;
    if (index >= key->Subkeys.size()) return false;
    name = key->Subkeys[index];
    return true;
}

bool ClassesRootView::ValueName(StoreHandle handle, std::uint32_t index, std::string& name) {
    OpenKey* key = Find(handle);
    if (!key) return false;
    const StoreHandle target = key->Classes ? Shown(*key) : key->Inner;
    return target && inner_->ValueName(target, index, name);
}

bool ClassesRootView::LongestValueName(StoreHandle handle, std::uint32_t& length) {
    OpenKey* key = Find(handle);
    if (!key) return false;
    const StoreHandle target = key->Classes ? Shown(*key) : key->Inner;
    if (target) return inner_->LongestValueName(target, length);
    length = 0;  // the root of the view with neither copy present
    return true;
}

bool ClassesRootView::QueryKeyCounts(StoreHandle handle, KeyCounts& counts) {
    OpenKey* key = Find(handle);
    if (!key) return false;
    if (!key->Classes) return inner_->QueryKeyCounts(key->Inner, counts);
    KeyCounts own;
    const StoreHandle shown = Shown(*key);
    if (shown && !inner_->QueryKeyCounts(shown, own)) return false;
    if (!Merge(*key)) return false;
    counts.Subkeys = static_cast<std::uint32_t>(key->Subkeys.size());
    counts.Values = own.Values;
    return true;
}

bool ClassesRootView::ValueAt(StoreHandle handle, std::uint32_t index, std::string& name,
                              std::optional<RawValue>& value) {
    OpenKey* key = Find(handle);
    if (!key) return false;
    const StoreHandle target = key->Classes ? Shown(*key) : key->Inner;
    return target && inner_->ValueAt(target, index, name, value);
}

bool ClassesRootView::Read(StoreHandle handle, std::string_view name, RawValue& value) {
    OpenKey* key = Find(handle);
    if (!key) return false;
    const StoreHandle target = key->Classes ? Shown(*key) : key->Inner;
    return target && inner_->Read(target, name, value);
}

bool ClassesRootView::Write(StoreHandle handle, std::string_view name, const RawValue& value) {
    OpenKey* key = Find(handle);
    if (!key) return false;
    const StoreHandle target = key->Classes ? Shown(*key) : key->Inner;
    return target && inner_->Write(target, name, value);
}

bool ClassesRootView::DeleteValue(StoreHandle handle, std::string_view name) {
    OpenKey* key = Find(handle);
    if (!key) return false;
    const StoreHandle target = key->Classes ? Shown(*key) : key->Inner;
    return target && inner_->DeleteValue(target, name);
}

bool ClassesRootView::DeleteLeafKey(RootKey root, std::string_view path) {
    if (root != kClassesRoot) return inner_->DeleteLeafKey(root, path);
    if (path.empty()) return false;
    const std::string copy = ClassesCopyPath(path);
    const StoreHandle user = inner_->Open(kCurrentUser, copy);
    if (user == 0) return inner_->DeleteLeafKey(kLocalMachine, copy);
    inner_->Close(user);
    return inner_->DeleteLeafKey(kCurrentUser, copy);
}

}  // namespace hivewarden::registry
