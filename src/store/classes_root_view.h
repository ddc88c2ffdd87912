// HKEY_CLASSES_ROOT as Windows (2000 and later) shows it, for a store that has no such root of
// its own (the in-memory registry, hive files, Wine prefixes): a store over another store in
// which HKCR\X is HKCU\Software\Classes\X over HKLM\Software\Classes\X. Every other root passes
// through unchanged. The live Win32 store needs no view: the system merges by itself.
//
// The rules, after Microsoft's "HKEY_CLASSES_ROOT Key" and "Merged View of HKEY_CLASSES_ROOT":
// - Subkeys: a key of the view lists the subkeys of both copies (HKCU's and HKLM's) merged in
//   case-insensitive name order, each name once; where both hold a name, HKCU's spelling is
//   shown. Subkeys merge at every depth, as the system merges CLSID\{...} and shellex lists.
// - Values: a key that exists under HKCU\Software\Classes is that key: its values are the HKCU
//   copy's alone, and the HKLM copy's values are hidden ("the merged view does not include the
//   HKEY_LOCAL_MACHINE contents of duplicate subkeys"; a per-user key with an empty default
//   value hides the machine's association, as users of Windows know it). Otherwise the HKLM
//   copy's values are shown. Values of the two copies are never mixed.
// - Writing: a key created through the view that exists nowhere yet is created under
//   HKLM\Software\Classes ("if you write keys to a key under HKEY_CLASSES_ROOT, the system
//   stores the information under HKEY_LOCAL_MACHINE\Software\Classes"). Values are written to,
//   and deleted from, the copy the view shows: HKCU's when the key exists there, else HKLM's
//   ("if you write values to a key under HKEY_CLASSES_ROOT, and the key already exists under
//   HKEY_CURRENT_USER\Software\Classes, the system will store the information there").
// - Deleting a key through the view deletes the copy it shows, under the store's own rule (no
//   subkeys of its own); an HKLM copy under an HKCU one then shows through, as after the
//   removal of a per-user override on Windows.
// Nothing is stored under HKEY_CLASSES_ROOT itself, so no key is ever held twice. A walk of
// the whole store skips the root (IsViewRoot), since its keys are walked under HKLM and HKCU.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/store.h"

namespace hivewarden::registry {

// Where the two copies of HKEY_CLASSES_ROOT's keys live, below their roots.
inline constexpr std::string_view kClassesPath = "Software\\Classes";

class ClassesRootView final : public RegistryStore {
  public:
    // `inner` is the store that holds the keys; whatever it holds under HKEY_CLASSES_ROOT
    // itself is never seen.
    explicit ClassesRootView(std::unique_ptr<RegistryStore> inner);
    ~ClassesRootView() override;
    ClassesRootView(const ClassesRootView&) = delete;
    ClassesRootView& operator=(const ClassesRootView&) = delete;

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
    std::string LastFailureReason() const override { return inner_->LastFailureReason(); }
    bool Commit(std::string& error) override { return inner_->Commit(error); }
    bool IsViewRoot(RootKey root) const override { return root == kClassesRoot; }

    // The store below, which holds every key.
    RegistryStore& Inner() { return *inner_; }

  private:
    // One open key: a key of a passed-through root, or a key of the view with the handles of
    // its HKCU and HKLM copies (either may be 0).
    struct OpenKey {
        bool InUse = false;
        bool Classes = false;
        StoreHandle Inner = 0;  // passed-through roots
        StoreHandle User = 0;
        StoreHandle Machine = 0;
        // The merged subkey names, made when a listing starts at index 0 or counts are asked.
        std::vector<std::string> Subkeys;
        bool Merged = false;
    };

    OpenKey* Find(StoreHandle key);
    StoreHandle Keep(OpenKey key);
    // The copy whose values the view shows: HKCU's when there is one, else HKLM's (0: none).
    static StoreHandle Shown(const OpenKey& key) { return key.User ? key.User : key.Machine; }
    bool Merge(OpenKey& key);

    std::unique_ptr<RegistryStore> inner_;
    std::vector<OpenKey> keys_;         // handle h is keys_[h - 1]
    std::vector<std::size_t> free_;     // unused positions of keys_
};

// HKCU\Software\Classes\<path> (or HKLM's): the path below the root of a view key's copy.
std::string ClassesCopyPath(std::string_view path);

}  // namespace hivewarden::registry
