// The registry of a Wine prefix from its files: system.reg as HKEY_LOCAL_MACHINE, user.reg as
// HKEY_CURRENT_USER (and HKEY_USERS\<its SID>), userdef.reg as HKEY_USERS\.Default; HKCR is
// HKLM\Software\Classes as in Wine. Links ("#link" keys) are followed as Wine follows them.
// Changes are staged in memory; Commit rewrites only the files that changed, keeping every
// unchanged key's lines as they were. Portable: files through the host-path and durable-file
// seams, the check that no wineserver runs is handed in.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/store.h"
#include "store/wine/wine_registry_file.h"

namespace hivewarden::registry {

struct WinePrefixStoreOptions {
    // Asked right before anything is written: the reason the prefix must not be written now
    // (a wineserver serves it), or empty text.
    std::function<std::string()> WriteRefusal;
    // The FILETIME a changed key is stamped with; the system clock when empty.
    std::function<std::uint64_t()> Now;
};

class WinePrefixStore final : public RegistryStore {
  public:
    // Loads DIR/system.reg, DIR/user.reg and DIR/userdef.reg (the last may be missing). Null,
    // with the reason naming the file, when one cannot be read or is no Wine registry file.
    static std::unique_ptr<WinePrefixStore> Load(const std::string& prefixDir,
                                                 WinePrefixStoreOptions options,
                                                 std::string& error);
    ~WinePrefixStore() override;

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
    // Writes every changed file (temporary file, flush, rename); unchanged files are not
    // touched. Refused, with nothing written, when WriteRefusal answers.
    bool Commit(std::string& error) override;

    // The user's SID, from user.reg's "All keys relative to" line.
    const std::string& UserSid() const { return userSid_; }
    // True when something changed since loading or the last Commit.
    bool HasChanges() const;
    // What loading skipped, each naming its file and line.
    const std::vector<std::string>& Warnings() const { return warnings_; }

    struct Node;
    struct Hive;

  private:
    explicit WinePrefixStore(WinePrefixStoreOptions options);

    Node* Start(RootKey root, std::vector<std::string>& path, bool& ok);
    Node* Walk(RootKey root, std::string_view path, bool create);
    Node* Follow(Node* node, int depth);
    Node* Lookup(StoreHandle key) const;
    StoreHandle NewHandle(Node* node);
    std::string Serialize(Hive& hive, std::uint64_t now);

    WinePrefixStoreOptions options_;
    std::array<std::unique_ptr<Hive>, 3> hives_;  // system, user, userdef
    std::shared_ptr<Node> users_;                 // HKEY_USERS: the user's and .Default
    std::string userSid_;
    std::vector<std::string> warnings_;
    std::unordered_map<StoreHandle, std::shared_ptr<Node>> handles_;
    StoreHandle nextHandle_ = 1;
};

}  // namespace hivewarden::registry
