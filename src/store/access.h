// The registry access operations every other layer uses: open, create, delete, enumerate and
// read values as text in one fixed way for every type. Written once over any RegistryStore.
// Failures are silent by contract: an unreadable key reads as empty, a failed write is skipped.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "files/files.h"
#include "store/roots.h"
#include "store/signals.h"
#include "store/store.h"

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
class KeyReader;

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

    // A key's values and subkey names read through one open handle (see KeyReader).
    KeyReader ReadKey(RootKey root, std::string_view path);
    // KeyReader's listings of a key opened for that one listing.
    std::vector<std::string> EnumSubkeys(RootKey root, std::string_view path);
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

// One key read through one handle. The key is opened at its first listing, not before, and
// stays open until the reader goes, so its values and then its subkey names come from the same
// handle; the store's counts, asked once when the key opens, end each listing without a
// further call. Both listings are in store order, yield once per item, and end at the count,
// at the first index the store cannot answer (whatever the count said), and as soon as
// StopRequested is set. A key that cannot be opened lists nothing; a key deleted after it was
// opened lists nothing more.
class KeyReader {
  public:
    KeyReader(RegistryAccess& access, RootKey root, std::string_view path)
        : access_(&access), root_(root), path_(path) {}

    // Values with their data as text. Nothing when the key's counts cannot be read.
    std::vector<ValueRecord> Values();
    // Subkey names.
    std::vector<std::string> Subkeys();
    // True when the key exists and the store reports neither values nor subkeys in it: asked
    // afresh, without yielding, since the key may have been deleted or filled after it was
    // opened. False when it cannot be opened, no longer exists, or reports items, also items
    // it cannot list.
    bool IsEmpty();
    // One value's type and bytes through the reader's handle (opened now if need be). False
    // when the key or the value cannot be read.
    bool ReadRaw(std::string_view name, RawValue& value);

  private:
    bool Open();

    RegistryAccess* access_;  // not owned
    RootKey root_;
    std::string path_;
    KeyHandle key_;
    bool tried_ = false;    // the open was attempted
    bool counted_ = false;  // counts_ holds the store's answer
    KeyCounts counts_;
};

}  // namespace hivewarden::registry
