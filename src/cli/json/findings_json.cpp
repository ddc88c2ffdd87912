// The edited findings JSON back into marked ScanResults and ShortcutResults.
#include "cli/json/findings_json.h"

#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

#include "store/roots.h"
#include "text/text.h"
#include "cli/json/scan_json.h"
#include "scan/results/result_rows.h"

namespace hivewarden::cli {
namespace {

using Json = nlohmann::json;
using engine::ErrorEntry;

struct NumberField {
    const char* Name;
    std::int32_t ErrorEntry::*Member;
};
struct TextField {
    const char* Name;
    std::string ErrorEntry::*Member;
};
struct FlagField {
    const char* Name;
    bool ErrorEntry::*Member;
};

// Every field `scan --json` writes for a finding ("Index" is checked, then set from the
// position; "RootKey" is read on its own, it is unsigned).
constexpr NumberField kNumberFields[] = {
    {"PathKind", &ErrorEntry::PathKind},
    {"EntryKind", &ErrorEntry::EntryKind},
    {"ValueType", &ErrorEntry::ValueType},
    {"Index", &ErrorEntry::Index},
};
constexpr TextField kTextFields[] = {
    {"ItemName", &ErrorEntry::ItemName},     {"ItemData", &ErrorEntry::ItemData},
    {"KeyPath", &ErrorEntry::KeyPath},       {"TargetPath", &ErrorEntry::TargetPath},
    {"FixedValue", &ErrorEntry::FixedValue}, {"TrojanName", &ErrorEntry::TrojanName},
    {"ScannedValueKey", &ErrorEntry::ScannedValueKey},
    {"ScannedValueName", &ErrorEntry::ScannedValueName},
};
constexpr FlagField kFlagFields[] = {
    {"DeleteMark", &ErrorEntry::DeleteMark},   {"IsShell32", &ErrorEntry::IsShell32},
    {"IsTrojan", &ErrorEntry::IsTrojan},       {"IsLockedTrojan", &ErrorEntry::IsLockedTrojan},
    {"IsAppPath", &ErrorEntry::IsAppPath},     {"IsSound", &ErrorEntry::IsSound},
    {"IsDriver", &ErrorEntry::IsDriver},       {"IsSharedDll", &ErrorEntry::IsSharedDll},
    {"IsUninstall", &ErrorEntry::IsUninstall}, {"IsHelp", &ErrorEntry::IsHelp},
    {"IsEmptyKey", &ErrorEntry::IsEmptyKey},   {"IsFont", &ErrorEntry::IsFont},
    {"IsAutoRun", &ErrorEntry::IsAutoRun},     {"IsComServer", &ErrorEntry::IsComServer},
    {"HasScannedValue", &ErrorEntry::HasScannedValue},
    {"TargetWasMissing", &ErrorEntry::TargetWasMissing},
};

// Fields of later versions, read when the file has them: a file written before them stays
// good.
constexpr TextField kOptionalTextFields[] = {{"CleanValue", &ErrorEntry::CleanValue}};
constexpr FlagField kOptionalFlagFields[] = {{"IsAbsentDrive", &ErrorEntry::IsAbsentDrive}};

enum class Action { Ignore, Delete, ChangeValue };

// Reads the fields of one entry; the first problem becomes `error`, prefixed with the entry.
class EntryReader {
  public:
    EntryReader(const Json& object, std::string entry)
        : object_(object), entry_(std::move(entry)) {}

    const std::string& Problem() const { return problem_; }

    const Json* Field(const char* name) {
        if (!problem_.empty()) return nullptr;
        const auto it = object_.find(name);
        if (it == object_.end()) {
            Fail(std::string("\"") + name + "\" is missing");
            return nullptr;
        }
        return &*it;
    }

    std::optional<std::int64_t> Number(const char* name, std::int64_t low, std::int64_t high) {
        const Json* field = Field(name);
        if (field == nullptr) return std::nullopt;
        if (!field->is_number_integer() || field->get<std::int64_t>() < low ||
            field->get<std::int64_t>() > high) {
            Fail(std::string("\"") + name + "\" is not a whole number from " + std::to_string(low) +
                 " to " + std::to_string(high));
            return std::nullopt;
        }
        return field->get<std::int64_t>();
    }

    // The text (UTF-8, as JSON carries it and the program holds it).
    std::optional<std::string> Text(const char* name) {
        const Json* field = Field(name);
        if (field == nullptr) return std::nullopt;
        if (!field->is_string()) {
            Fail(std::string("\"") + name + "\" is not a text");
            return std::nullopt;
        }
        return field->get<std::string>();
    }

    std::optional<bool> Flag(const char* name) {
        const Json* field = Field(name);
        if (field == nullptr) return std::nullopt;
        if (!field->is_boolean()) {
            Fail(std::string("\"") + name + "\" is not true or false");
            return std::nullopt;
        }
        return field->get<bool>();
    }

    // `changeRefused`: why "Change Value" cannot be chosen for this entry (empty: it can).
    std::optional<Action> ReadAction(const std::string& changeRefused) {
        const std::optional<std::string> text = Text("Action");
        if (!text) return std::nullopt;
        const std::string action = ToUpper(*text);
        if (action == ToUpper(scan::kActionIgnore)) return Action::Ignore;
        if (action == ToUpper(scan::kActionDelete)) return Action::Delete;
        if (action != ToUpper(scan::kActionChangeValue)) {
            Fail("unknown \"Action\" \"" + *text + "\" (Ignore, Delete or Change Value)");
        } else if (!changeRefused.empty()) {
            Fail("\"Change Value\" " + changeRefused);
        } else {
            return Action::ChangeValue;
        }
        return std::nullopt;
    }

    void Fail(const std::string& problem) {
        if (problem_.empty()) problem_ = entry_ + ": " + problem;
    }

  private:
    const Json& object_;
    std::string entry_;
    std::string problem_;
};

// Why "Change Value" cannot be chosen for a finding: a key has no value to change, and a row
// whose CanChange code (when the JSON has one) offers no change keeps its value. Empty text
// when it can.
std::string ChangeRefused(const Json& object, const ErrorEntry& entry) {
    if (entry.EntryKind != engine::kValueEntry) return "has no meaning for a key finding";
    const auto it = object.find("CanChange");
    if (it == object.end() || !it->is_number_integer()) return {};
    const std::int64_t code = it->get<std::int64_t>();
    if (code == scan::kCanChangeFile || code == scan::kCanChangeFolder) return {};
    return "is not offered for this finding";
}

bool ReadFinding(const Json& object, std::int32_t position, EditedFindings& findings,
                 std::string& error) {
    EntryReader reader(object, "finding " + std::to_string(position));
    if (!object.is_object()) reader.Fail("not a JSON object");
    ErrorEntry entry;
    constexpr std::int64_t kLow = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kHigh = std::numeric_limits<std::int32_t>::max();
    for (const NumberField& field : kNumberFields) {
        if (auto value = reader.Number(field.Name, kLow, kHigh)) {
            entry.*field.Member = static_cast<std::int32_t>(*value);
        }
    }
    if (auto root = reader.Number("RootKey", 0, std::numeric_limits<std::uint32_t>::max())) {
        entry.RootKey = static_cast<registry::RootKey>(*root);
    }
    for (const TextField& field : kTextFields) {
        if (auto value = reader.Text(field.Name)) entry.*field.Member = std::move(*value);
    }
    for (const FlagField& field : kFlagFields) {
        if (auto value = reader.Flag(field.Name)) entry.*field.Member = *value;
    }
    if (auto type = reader.Number("ScannedType", 0, std::numeric_limits<std::uint32_t>::max())) {
        entry.ScannedType = static_cast<std::uint32_t>(*type);
    }
    if (auto hex = reader.Text("ScannedData")) {
        if (auto bytes = BytesFromHex(*hex)) {
            entry.ScannedBytes = std::move(*bytes);
        } else {
            reader.Fail("\"ScannedData\" is not hex digits, two per byte");
        }
    }
    for (const TextField& field : kOptionalTextFields) {
        if (!object.is_object() || !object.contains(field.Name)) continue;
        if (auto value = reader.Text(field.Name)) entry.*field.Member = std::move(*value);
    }
    for (const FlagField& field : kOptionalFlagFields) {
        if (!object.is_object() || !object.contains(field.Name)) continue;
        if (auto value = reader.Flag(field.Name)) entry.*field.Member = *value;
    }
    const std::optional<Action> action =
        reader.Problem().empty() ? reader.ReadAction(ChangeRefused(object, entry)) : std::nullopt;
    if (action == Action::ChangeValue && entry.FixedValue.empty()) {
        reader.Fail("\"Change Value\" needs the new value in \"FixedValue\"");
    }
    if (action && *action != Action::Ignore) {
        const std::optional<registry::RootAndPath> split = registry::SplitKeyPath(entry.KeyPath);
        if (!split || split->Root != entry.RootKey) {
            reader.Fail("\"RootKey\" is not the root that \"KeyPath\" names");
        }
    }
    if (!reader.Problem().empty()) {
        error = reader.Problem();
        return false;
    }
    // As the repair step marks a grid row.
    entry.DeleteMark = *action == Action::Delete;
    if (*action != Action::ChangeValue) entry.FixedValue.clear();
    findings.ToRepair += *action == Action::Ignore ? 0 : 1;
    findings.Entries.Grow() = std::move(entry);
    findings.Entries[findings.Entries.Count()].Index = findings.Entries.Count();
    return true;
}

bool ReadShortcut(const Json& object, std::int32_t position, EditedFindings& findings,
                  std::string& error) {
    EntryReader reader(object, "shortcut " + std::to_string(position));
    if (!object.is_object()) reader.Fail("not a JSON object");
    scan::ShortcutEntry entry;
    if (auto value = reader.Text("LinkPath")) entry.LinkPath = std::move(*value);
    if (auto value = reader.Text("LinkTarget")) entry.LinkTarget = std::move(*value);
    const std::optional<Action> action = reader.Problem().empty()
                                             ? reader.ReadAction("is not offered for a shortcut")
                                             : std::nullopt;
    if (!action) {
        error = reader.Problem();
        return false;
    }
    entry.RemoveMark = *action == Action::Delete;
    entry.LinkIndex = findings.Shortcuts.Count() + 1;
    findings.ToRepair += entry.RemoveMark ? 1 : 0;
    findings.Shortcuts.Grow() = std::move(entry);
    return true;
}

}  // namespace

bool ReadEditedFindings(std::string_view text, EditedFindings& findings, std::string& error) {
    findings = EditedFindings{};
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::parse_error& e) {
        error = std::string("not valid JSON: ") + e.what();
        return false;
    }
    const auto list = json.is_object() ? json.find("findings") : json.end();
    if (!json.is_object() || list == json.end() || !list->is_array()) {
        error = "no \"findings\" list (the output of hivewarden scan --json)";
        return false;
    }
    // Older files lack what the repair compares against the registry before each change.
    const auto format = json.find("format");
    if (format == json.end() || *format != kFindingsFormat) {
        error = "not a findings file of this version (\"format\" " +
                std::to_string(kFindingsFormat) +
                "); scan again with this version's hivewarden scan --json";
        return false;
    }
    if (const auto sources = json.find("sources"); sources != json.end()) {
        findings.RecordedSources = sources->dump();
    }
    std::int32_t position = 0;
    for (const Json& finding : *list) {
        if (!ReadFinding(finding, ++position, findings, error)) return false;
    }
    const auto shortcuts = json.find("shortcuts");
    if (shortcuts == json.end()) return true;
    if (!shortcuts->is_array()) {
        error = "\"shortcuts\" is not a list";
        return false;
    }
    position = 0;
    for (const Json& shortcut : *shortcuts) {
        if (!ReadShortcut(shortcut, ++position, findings, error)) return false;
    }
    return true;
}

}  // namespace hivewarden::cli
