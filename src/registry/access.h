// The registry access operations every other layer uses: open, create, delete, enumerate and
// read values as text in one fixed way for every type. Written once over any RegistryStore.
// Failures are silent by contract: an unreadable key reads as empty, a failed write is skipped.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "registry/files.h"
#include "registry/roots.h"
#include "registry/signals.h"
#include "registry/store.h"

namespace hivewarden::registry {

// Reduced value types as the scan sees them.
inline constexpr std::int32_t kTextType = 1;
inline constexpr std::int32_t kBinaryType = 3;
inline constexpr std::int32_t kNumberType = 4;

// Kinds for SetValue / QueryValue.
inline constexpr std::int32_t kTextKind = 1;
inline constexpr std::int32_t kNumberKind = 4;

struct ValueRecord {
    std::string Name;  // empty = the key's default value
    std::string Data;  // the data as text (ReadValueText)
    std::int32_t Type = 0;
};

// SetValue's one reported failure: number text that does not convert to a 32-bit number.
class NumberConversionError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

class RegistryAccess;

// An open key owned by the caller; closes itself.
class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(RegistryStore* store, StoreHandle handle) : store_(store), handle_(handle) {}
    KeyHandle(KeyHandle&& other) noexcept { *this = std::move(other); }
    KeyHandle& operator=(KeyHandle&& other) noexcept;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() { Close(); }

    void Close();
    StoreHandle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

private:
    RegistryStore* store_ = nullptr;  // not owned
    StoreHandle handle_ = 0;
};

// What ReadValueText gives: the text and the reduced type (0 when the read failed).
struct ValueText {
    std::string Data;
    std::int32_t Type = 0;
};

// Converts raw value bytes to the program's text form (no store involved; public for tests
// and the custom search).
ValueText ConvertValueToText(const RawValue& raw, FileProbes& probes);

class RegistryAccess {
public:
    RegistryAccess(RegistryStore& store, FileProbes& probes, EngineSignals& signals)
        : store_(store), probes_(probes), signals_(signals) {}

    KeyHandle OpenKey(RootKey root, std::string_view path);
    void CloseKey(KeyHandle& key) { key.Close(); }
    void CreateKey(RootKey root, std::string_view path);

    // kind 1: REG_SZ text; any other kind: signed 32-bit number written as REG_DWORD.
    // Throws NumberConversionError when a number's text does not convert.
    void SetValue(RootKey root, std::string_view path, std::string_view name, std::int32_t kind,
                  std::string_view data);
    // kind 1: the text without its terminating zero; other kinds: the 32-bit number as
    // decimal text. Empty text / "0" on any failure.
    std::string QueryValue(RootKey root, std::string_view path, std::string_view name,
                           std::int32_t kind);
    std::int32_t QueryNumber(RootKey root, std::string_view path, std::string_view name);
    void DeleteValue(RootKey root, std::string_view path, std::string_view name);
    // Deletes the key and its whole subtree, deepest keys first.
    void DeleteKey(RootKey root, std::string_view path);

    // Subkey names in store order; empty when the key cannot be opened or once
    // StopRequested is set. Yields once per item.
    std::vector<std::string> EnumSubkeys(RootKey root, std::string_view path);
    std::uint32_t CountSubkeys(RootKey root, std::string_view path);
    // Values in store order with their data as text; yields once per item.
    std::vector<ValueRecord> EnumValues(RootKey root, std::string_view path);
    ValueText ReadValueText(const KeyHandle& key, std::string_view name);

    // Raw access for the backup writer and importer.
    bool ReadRaw(RootKey root, std::string_view path, std::string_view name, RawValue& value);
    bool WriteRaw(RootKey root, std::string_view path, std::string_view name,
                  const RawValue& value);
    bool KeyExists(RootKey root, std::string_view path);

    RegistryStore& Store() { return store_; }
    FileProbes& Probes() { return probes_; }
    EngineSignals& Signals() { return signals_; }

private:
    RegistryStore& store_;
    FileProbes& probes_;
    EngineSignals& signals_;
};

}  // namespace hivewarden::registry
