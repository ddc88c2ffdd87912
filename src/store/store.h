// The registry store seam: keys and raw values (type and bytes), nothing more. The access
// operations (access.h) are written once on top of it. Backends: memory_store (portable) and
// win32_store (advapi32 wide calls, Windows builds only). Value bytes are never converted
// here; names are UTF-8 (converted to UTF-16 by a backend that needs it).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/roots.h"

namespace hivewarden::registry {

// Registry value types as Windows numbers them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegLink = 6;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// One value as the store holds it: the bytes exactly as Windows stores them. String types
// (1, 2, 7) are UTF-16LE with their terminating NUL unit as RegQueryValueExW returns them;
// odd lengths and missing terminators are kept as they are. Nothing converts them on the
// way through a store; text views are the access layer's business.
struct RawValue {
    std::uint32_t Type = kRegNone;
    std::string Bytes;

    bool operator==(const RawValue&) const = default;
};

// An open key of a store. 0 is "no key". Handles are owned by whoever opened them.
using StoreHandle = std::uintptr_t;

// How many subkeys and values a key holds, as the store reports them in one question.
struct KeyCounts {
    std::uint32_t Subkeys = 0;
    std::uint32_t Values = 0;

    bool operator==(const KeyCounts&) const = default;
};

// Contract for every backend:
// - Key and value names are the program's UTF-8 text; a backend converts them at its edge.
// - Key names compare case-insensitively (text.h); a key keeps the spelling it was created
//   with.
// - Subkeys enumerate in case-insensitive name order; values in the store's own order
//   (the memory store: insertion order, as Windows NT; Wine: alphabetical).
// - "Not found" and "access denied" are answers (0 handle, false), never exceptions.
// - Enumeration by index stops at the first failing index; callers must not loop until a
//   specific "no more items" status (Wine answers some keys with other errors forever).
// - A key deleted while a handle to it is open answers every later call through that handle
//   as a missing key would (false), also QueryKeyCounts.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;

    // Opens root\path ("" = the root itself). 0 when it does not exist or cannot be opened.
    virtual StoreHandle Open(RootKey root, std::string_view path) = 0;
    // Opens root\path, creating missing keys on the way. 0 on failure.
    virtual StoreHandle Create(RootKey root, std::string_view path) = 0;
    virtual void Close(StoreHandle key) = 0;

    // The name of subkey number `index` (0-based); false past the end or on any failure.
    virtual bool SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) = 0;
    // The name of value number `index` (0-based); false past the end or on any failure.
    virtual bool ValueName(StoreHandle key, std::uint32_t index, std::string& name) = 0;
    // The length in characters of the longest value name; false on failure.
    virtual bool LongestValueName(StoreHandle key, std::uint32_t& length) = 0;
    // The numbers of subkeys and values the key holds now; false on failure, also when the key
    // was deleted after it was opened. Enumerating up to these counts lists every item unless
    // the key changes in between; an enumeration may still fail earlier (Wine answers some
    // keys with errors at every index while reporting counts).
    virtual bool QueryKeyCounts(StoreHandle key, KeyCounts& counts) = 0;
    // Value number `index` with its data: exactly ValueName followed by Read of that name.
    // False as ValueName; otherwise `value` is empty when the value cannot be read. A backend
    // whose calls are expensive may answer both in one step.
    virtual bool ValueAt(StoreHandle key, std::uint32_t index, std::string& name,
                         std::optional<RawValue>& value) {
        if (!ValueName(key, index, name)) return false;
        RawValue raw;
        value.reset();
        if (Read(key, name, raw)) value = std::move(raw);
        return true;
    }

    // Reads a value; false when it does not exist or cannot be read.
    virtual bool Read(StoreHandle key, std::string_view name, RawValue& value) = 0;
    // Writes (creates or replaces) a value; false on failure.
    virtual bool Write(StoreHandle key, std::string_view name, const RawValue& value) = 0;
    virtual bool DeleteValue(StoreHandle key, std::string_view name) = 0;

    // Deletes root\path when it has no subkeys (Windows NT refuses keys with subkeys).
    // False when it does not exist, has subkeys, is a root, or cannot be deleted.
    virtual bool DeleteLeafKey(RootKey root, std::string_view path) = 0;

    // The system's reason why the last write or deletion through this store did not take
    // ("Access is denied"), read right after that call answered false; empty when the
    // backend cannot tell.
    virtual std::string LastFailureReason() const { return {}; }

    // True when the root holds nothing of its own but shows keys stored under other roots
    // (HKEY_CLASSES_ROOT of a ClassesRootView): a walk of the whole store skips it, so that
    // no key is seen twice.
    virtual bool IsViewRoot(RootKey root) const {
        (void)root;
        return false;
    }

    // Makes the changes made so far lasting, for a backend that stages them (a hive or a
    // registry file on disk is rewritten here, never half-written). False, with the reason
    // naming the file, when nothing could be committed. Backends that write through (the live
    // registry) or hold nothing on disk (memory) have nothing to do.
    virtual bool Commit(std::string& error) {
        (void)error;
        return true;
    }
};

}  // namespace hivewarden::registry
