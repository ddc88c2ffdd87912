// The trojan tables read from TrojanDef.ini and TrojanLock.ini, the name lookup for value
// data and the lock-location check. Reads files and the registry; knows nothing of windows,
// the walker or the results grid.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/error_entry.h"
#include "engine/scan_state.h"
#include "store/access.h"
#include "text/code_page.h"
#include "store/roots.h"

namespace hivewarden::scan {

// One TrojanDef.ini line: Pattern;Name.
struct TrojanName {
    std::string Name;
    std::string Pattern;
    // Pattern in upper case, computed once by MakeTrojanName so the lookup does not redo it
    // for every value of the registry.
    std::string UpperPattern;

    bool operator==(const TrojanName&) const = default;
};

// One TrojanLock.ini line: Name;RootCode;KeyPath;ValueName;Marker, and optionally
// ;CleanValue. Fields after the sixth are ignored.
struct TrojanLock {
    std::string Name;
    registry::RootKey RootKey = 0;  // 0: a root code other than 1, 2, 3 (never readable)
    std::string KeyPath;            // below the root
    std::string ValueName;          // empty: the key's default value
    std::string Marker;
    // The data Windows ships for the value, as written in the file ("%SystemRoot%\..." may
    // stand for the machine's own folders); empty: none is known, the repair deletes.
    std::string CleanValue;

    bool operator==(const TrojanLock&) const = default;
};

using TrojanNames = engine::OneBasedArray<TrojanName>;
using TrojanLocks = engine::OneBasedArray<TrojanLock>;

TrojanName MakeTrojanName(std::string pattern, std::string name);

// Root code of TrojanLock.ini: 1 HKEY_CLASSES_ROOT, 2 HKEY_CURRENT_USER, 3 HKEY_LOCAL_MACHINE,
// anything else 0.
registry::RootKey RootForCode(std::int32_t code);

// The name of the first definition (file order) whose pattern occurs in the data, compared in
// upper case; empty when none does. Empty data never matches; an empty pattern matches any
// other data.
std::string TrojanNameFor(const TrojanNames& names, std::string_view data);

// Error numbers of a definition file that stops loading.
inline constexpr std::int32_t kDefinitionSubscriptError = 9;  // fewer fields than a record has
inline constexpr std::int32_t kDefinitionTypeError = 13;      // a root code that is no number
inline constexpr std::int32_t kDefinitionAccessError = 75;    // the file cannot be read

// Why a definition file stopped loading. Message is the text of the message box: the title
// line ("Error in VirusNameFilePath" / "Error in VirusLocFilePath"), "Error Number: " n and
// "Description: " text, on three lines.
struct DefinitionError {
    std::int32_t Number = 0;
    std::string Description;  // names the file and the line
    std::string Message;
};

// Both loaders empty the list, then append one record per line that contains ";", in file
// order. The files are read as text in the ANSI code page, or UTF-8 / UTF-16LE after a byte
// order mark. A missing file leaves the list empty and is no error. Any other failure stops at
// the failing line: the records before it stay, that line's record is not kept.
std::optional<DefinitionError> LoadTrojanNames(const std::string& path, TrojanNames& names,
                                               const CodePage& codePage);
std::optional<DefinitionError> LoadTrojanLocks(const std::string& path, TrojanLocks& locks,
                                               const CodePage& codePage);

// Reads the value of every lock record (in list order, yielding once per record, through the
// whole list whatever StopRequested says) and appends a finding for each whose data contains
// the record's marker, compared in upper case. Empty data never contains anything. A record's
// clean value becomes the finding's CleanValue: as written when the value is expandable text
// (REG_EXPAND_SZ, which Windows expands when it reads it), otherwise with its %NAME%
// references replaced through the access layer's probes (the scanned machine's environment),
// since nothing would expand them later.
void CheckTrojanLocks(const TrojanLocks& locks, registry::RegistryAccess& access,
                      engine::ScanState& state);

// The two tables as the scan keeps them.
struct TrojanTables {
    TrojanNames Names;
    TrojanLocks Locks;

    std::string TrojanNameFor(std::string_view data) const {
        return scan::TrojanNameFor(Names, data);
    }
    // Loads programFolder + "TrojanDef.ini" and + "TrojanLock.ini" (the folder ends with its
    // separator); returns the errors of both, in that order.
    std::vector<DefinitionError> Load(const std::string& programFolder, const CodePage& codePage);
};

}  // namespace hivewarden::scan
