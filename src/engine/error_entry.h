// One finding of the registry scan and the growable one-based array of them. Plain data; the
// scan appends, the results page marks, the repair reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/roots.h"

namespace hivewarden::engine {

// Kinds of thing a value's data names.
inline constexpr std::int32_t kNotAPath = 0;
inline constexpr std::int32_t kFolderPath = 1;
inline constexpr std::int32_t kFilePath = 2;
inline constexpr std::int32_t kDriveRoot = 3;
inline constexpr std::int32_t kNetworkPath = 4;

inline constexpr std::int32_t kValueEntry = 1;
inline constexpr std::int32_t kKeyEntry = 2;

struct ErrorEntry {
    std::int32_t PathKind = 0;
    std::int32_t EntryKind = 0;
    std::string ItemName;
    std::string ItemData;
    std::string KeyPath;     // root name + "\" + path below the root
    std::string TargetPath;
    bool DeleteMark = false;
    std::int32_t ValueType = 0;
    registry::RootKey RootKey = 0;
    bool IsShell32 = false;
    std::string FixedValue;
    std::int32_t Index = 0;  // own position in ScanResults, from 1
    std::string TrojanName;
    bool IsTrojan = false;
    bool IsLockedTrojan = false;
    bool IsAppPath = false;
    bool IsSound = false;
    bool IsDriver = false;
    bool IsSharedDll = false;
    bool IsUninstall = false;
    bool IsHelp = false;
    bool IsEmptyKey = false;
    bool IsFont = false;
    bool IsAutoRun = false;
    bool IsComServer = false;
    // What the scan read, so that a repair can tell whether the registry still holds it: the
    // value the finding was made from (for a COM class, the server value below the class key)
    // with its type and data bytes exactly as stored. HasScannedValue is false where nothing
    // was recorded (an empty key, a value that could not be read again).
    bool HasScannedValue = false;
    std::string ScannedValueKey;  // root name + "\" + path of the key holding the value
    std::string ScannedValueName;
    std::uint32_t ScannedType = 0;
    std::string ScannedBytes;
    // The scan found the thing the data names missing (not set for drivers kept for a look,
    // trojans found by name, empty keys).
    bool TargetWasMissing = false;
    // TargetPath lies on a drive that is not there (an unplugged disk, a network drive that
    // does not answer, a letter nothing is mapped to): not known to be missing, so it is
    // reported on its own and not repaired by default.
    bool IsAbsentDrive = false;
    // The data Windows ships for this value, which its repair restores (a trojan lock
    // record's clean value, references already replaced where the value does not expand
    // them); empty when none is known.
    std::string CleanValue;

    bool operator==(const ErrorEntry&) const = default;
};

// A growable array whose element 0 exists and holds nothing; items occupy 1 ... N and are
// never reordered.
template <typename T>
class OneBasedArray {
public:
    OneBasedArray() : items_(1) {}

    // N: the number of items (the upper bound).
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size() - 1); }
    bool Empty() const { return items_.size() == 1; }
    void Reset() { items_.assign(1, T{}); }
    // Grows by one and returns the new last element, whose position is Count().
    T& Grow() { return items_.emplace_back(); }
    T& operator[](std::int32_t index) { return items_.at(static_cast<std::size_t>(index)); }
    const T& operator[](std::int32_t index) const {
        return items_.at(static_cast<std::size_t>(index));
    }
    // Items 1 ... N, for range-for.
    auto begin() { return items_.begin() + 1; }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin() + 1; }
    auto end() const { return items_.end(); }

private:
    std::vector<T> items_;
};

using ScanResultList = OneBasedArray<ErrorEntry>;

}  // namespace hivewarden::engine
