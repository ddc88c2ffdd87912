// The registry store over the live Windows registry (advapi32's wide functions). Names cross
// this edge as UTF-8 on the program's side and UTF-16 on the system's; value bytes cross it
// untouched. Windows builds only; <windows.h> stays inside the .cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/store.h"

namespace hivewarden::registry {

// Access and views:
// - Open and Create ask for read and write access (KEY_READ | KEY_WRITE) and fall back to read
//   access alone when write access is denied, so that a read-only key still enumerates and
//   reads; writes through such a handle then fail, silently, as the contract wants.
// - A 32-bit build on 64-bit Windows opens, creates and deletes keys in the 64-bit view of the
//   registry (KEY_WOW64_64KEY), so it sees the same registry as the system's own tools.
// - A StoreHandle is the HKEY itself. Handles of root keys (the empty path) are predefined
//   handles and are never closed.
// Values: Read gives the bytes RegQueryValueExW gives (string types as UTF-16LE, odd lengths
// and missing terminators as stored); Write stores exactly the bytes given, also where the
// system would add a terminator to a string written without one.
class Win32Store final : public RegistryStore {
  public:
    Win32Store();
    ~Win32Store() override = default;
    Win32Store(const Win32Store&) = delete;
    Win32Store& operator=(const Win32Store&) = delete;

    StoreHandle Open(RootKey root, std::string_view path) override;
    StoreHandle Create(RootKey root, std::string_view path) override;
    void Close(StoreHandle key) override;
    bool SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) override;
    bool ValueName(StoreHandle key, std::uint32_t index, std::string& name) override;
    bool LongestValueName(StoreHandle key, std::uint32_t& length) override;
    // One RegQueryInfoKeyW call.
    bool QueryKeyCounts(StoreHandle key, KeyCounts& counts) override;
    // One RegEnumValueW call for name and data where both fit the first buffers; a larger
    // value is enumerated and read as ValueName + Read.
    bool ValueAt(StoreHandle key, std::uint32_t index, std::string& name,
                 std::optional<RawValue>& value) override;
    bool Read(StoreHandle key, std::string_view name, RawValue& value) override;
    bool Write(StoreHandle key, std::string_view name, const RawValue& value) override;
    bool DeleteValue(StoreHandle key, std::string_view name) override;
    bool DeleteLeafKey(RootKey root, std::string_view path) override;
    // The system's text for the status of the last Write, DeleteValue or DeleteLeafKey;
    // empty when it succeeded.
    std::string LastFailureReason() const override;

    // The view flag added to every open, create and delete: KEY_WOW64_64KEY on a system with
    // a 64-bit registry view, 0 on a 32-bit system. Public for tests.
    std::uint32_t ViewFlag() const { return viewFlag_; }

  private:
    std::uint32_t viewFlag_ = 0;
    // The status of the last write or deletion (a LONG error code).
    long lastStatus_ = 0;
    // advapi32!RegDeleteKeyExW where the system has it (Windows Vista and 64-bit XP);
    // otherwise RegDeleteKeyW, which on such systems knows only one view anyway.
    void (*deleteKeyEx_)() = nullptr;
};

}  // namespace hivewarden::registry
