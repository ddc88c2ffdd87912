// Loading of the two trojan definition files, the name lookup and the lock-location check.
#include "scan/trojan_definitions.h"

#include <charconv>
#include <utility>

#include "text/text.h"
#include "scan/scanned_value.h"
#include "scan/text_lines.h"

namespace hivewarden::scan {
namespace {

constexpr std::string_view kNamesTitle = "Error in VirusNameFilePath";
constexpr std::string_view kLocksTitle = "Error in VirusLocFilePath";
constexpr std::size_t kLockFieldCount = 5;
constexpr std::size_t kCleanValueField = 5;  // the optional sixth field

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t semicolon = line.find(';', start);
        fields.push_back(line.substr(start, semicolon - start));
        if (semicolon == std::string_view::npos) return fields;
        start = semicolon + 1;
    }
}

DefinitionError MakeError(std::string_view title, std::int32_t number, std::string description) {
    DefinitionError error;
    error.Number = number;
    error.Description = std::move(description);
    error.Message = std::string(title) + "\nError Number: " + std::to_string(number) +
                    "\nDescription: " + error.Description;
    return error;
}

std::string Where(const std::string& path, std::size_t lineNumber) {
    return path + ", line " + std::to_string(lineNumber) + ": ";
}

constexpr std::string_view kStopped = "; loading stopped, this line's definition is not kept";

// A whole number with optional surrounding blanks and sign; nothing else.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int32_t number = 0;
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || code != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

// Reads the file; on a failure other than "missing" returns the error for the title.
std::optional<DefinitionError> ReadDefinitionLines(const std::string& path, std::string_view title,
                                                   const CodePage& codePage,
                                                   std::vector<std::string>& lines) {
    TextLines read = ReadTextLines(path, codePage);
    if (read.Status == ReadStatus::Failed) {
        return MakeError(title, kDefinitionAccessError,
                         Where(path, 1) + "the file cannot be read (" + read.ErrorText + ")");
    }
    lines = std::move(read.Lines);
    return std::nullopt;
}

// The clean value as the repair should write it into the value found (see CheckTrojanLocks).
std::string CleanValueFor(const TrojanLock& lock, registry::RegistryAccess& access) {
    if (lock.CleanValue.empty()) return {};
    registry::RawValue raw;
    if (access.ReadRaw(lock.RootKey, lock.KeyPath, lock.ValueName, raw) &&
        raw.Type == registry::kRegExpandSz) {
        return lock.CleanValue;
    }
    return access.Probes().ExpandEnvironment(lock.CleanValue);
}

}  // namespace

TrojanName MakeTrojanName(std::string pattern, std::string name) {
    TrojanName record;
    record.UpperPattern = ToUpper(pattern);
    record.Pattern = std::move(pattern);
    record.Name = std::move(name);
    return record;
}

registry::RootKey RootForCode(std::int32_t code) {
    switch (code) {
        case 1:
            return registry::kClassesRoot;
        case 2:
            return registry::kCurrentUser;
        case 3:
            return registry::kLocalMachine;
        default:
            return 0;
    }
}

std::string TrojanNameFor(const TrojanNames& names, std::string_view data) {
    if (data.empty()) return {};
    const std::string upperData = ToUpper(data);
    for (const TrojanName& record : names) {
        if (upperData.find(record.UpperPattern) != std::string::npos) return record.Name;
    }
    return {};
}

std::optional<DefinitionError> LoadTrojanNames(const std::string& path, TrojanNames& names,
                                               const CodePage& codePage) {
    names.Reset();
    std::vector<std::string> lines;
    if (auto error = ReadDefinitionLines(path, kNamesTitle, codePage, lines)) return error;
    for (const std::string& line : lines) {
        if (line.find(';') == std::string::npos) continue;
        const std::vector<std::string_view> fields = SplitFields(line);
        names.Grow() = MakeTrojanName(std::string(fields[0]), std::string(fields[1]));
    }
    return std::nullopt;
}

std::optional<DefinitionError> LoadTrojanLocks(const std::string& path, TrojanLocks& locks,
                                               const CodePage& codePage) {
    locks.Reset();
    std::vector<std::string> lines;
    if (auto error = ReadDefinitionLines(path, kLocksTitle, codePage, lines)) return error;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(';') == std::string::npos) continue;
        const std::vector<std::string_view> fields = SplitFields(lines[i]);
        if (fields.size() < kLockFieldCount) {
            return MakeError(kLocksTitle, kDefinitionSubscriptError,
                             Where(path, i + 1) + std::to_string(fields.size()) +
                                 " fields where a lock definition needs 5" + std::string(kStopped));
        }
        const std::optional<std::int32_t> code = ParseWholeNumber(fields[1]);
        if (!code) {
            return MakeError(kLocksTitle, kDefinitionTypeError,
                             Where(path, i + 1) + "the root code \"" + std::string(fields[1]) +
                                 "\" is not a whole number" + std::string(kStopped));
        }
        TrojanLock& lock = locks.Grow();
        lock.Name = std::string(fields[0]);
        lock.RootKey = RootForCode(*code);
        lock.KeyPath = std::string(fields[2]);
        lock.ValueName = std::string(fields[3]);
        lock.Marker = std::string(fields[4]);
        if (fields.size() > kCleanValueField) {
            lock.CleanValue = std::string(fields[kCleanValueField]);
        }
    }
    return std::nullopt;
}

void CheckTrojanLocks(const TrojanLocks& locks, registry::RegistryAccess& access,
                      engine::ScanState& state) {
    for (const TrojanLock& lock : locks) {
        state.Yield();
        const std::string data =
            access.QueryValue(lock.RootKey, lock.KeyPath, lock.ValueName, registry::kTextKind);
        if (data.empty() || !ContainsNoCase(data, lock.Marker)) continue;
        engine::ErrorEntry entry;
        entry.EntryKind = engine::kValueEntry;
        entry.ItemName = lock.ValueName;
        entry.ItemData = lock.Marker;
        entry.KeyPath = registry::RootName(lock.RootKey) + "\\" + lock.KeyPath;
        entry.RootKey = lock.RootKey;
        entry.TargetPath = lock.Marker;
        entry.ValueType = registry::kTextType;
        entry.PathKind = engine::kNotAPath;
        entry.TrojanName = lock.Name;
        entry.IsTrojan = true;
        entry.IsLockedTrojan = true;
        entry.CleanValue = CleanValueFor(lock, access);
        registry::KeyReader key = access.ReadKey(lock.RootKey, lock.KeyPath);
        RecordScannedValue(entry, key, lock.RootKey, lock.KeyPath, lock.ValueName);
        state.AppendFinding(std::move(entry));
    }
}

std::vector<DefinitionError> TrojanTables::Load(const std::string& programFolder,
                                                const CodePage& codePage) {
    std::vector<DefinitionError> errors;
    if (auto error = LoadTrojanNames(programFolder + "TrojanDef.ini", Names, codePage)) {
        errors.push_back(std::move(*error));
    }
    if (auto error = LoadTrojanLocks(programFolder + "TrojanLock.ini", Locks, codePage)) {
        errors.push_back(std::move(*error));
    }
    return errors;
}

}  // namespace hivewarden::scan
