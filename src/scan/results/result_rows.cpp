// The row-kind table and the making of rows from findings and invalid shortcuts.
#include "scan/results/result_rows.h"

#include <algorithm>
#include <stdexcept>

namespace hivewarden::scan {
namespace {

using engine::ErrorEntry;

constexpr RowKindRule kRules[] = {
    {RowKind::Excluded, [](const ErrorEntry&, bool excluded) { return excluded; },
     DescriptionForm::PrefixAndTarget, "Ignore by the user filter - ", "Ignore", kCanChangeLocked,
     std::nullopt, false},
    {RowKind::AbsentDrive, [](const ErrorEntry& e, bool) { return e.IsAbsentDrive; },
     DescriptionForm::PrefixAndTarget, "Drive not present - ", "Folder", kCanChangeFile,
     Counter::Shortcuts, true},
    {RowKind::SharedDll, [](const ErrorEntry& e, bool) { return e.IsSharedDll; },
     DescriptionForm::PrefixAndTarget, "Dll file doesn't exist - ", "Dll", kCanChangeFile,
     Counter::Shared, true},
    {RowKind::Help, [](const ErrorEntry& e, bool) { return e.IsHelp; },
     DescriptionForm::PrefixAndTarget, "Help file doesn't exist - ", "Help", kCanChangeFile,
     Counter::Help, true},
    {RowKind::EmptyKey, [](const ErrorEntry& e, bool) { return e.IsEmptyKey; },
     DescriptionForm::EmptyKey, "The Key is empty", "Empty", kCanChangeNoValue, Counter::Empty,
     true},
    {RowKind::Shell32, [](const ErrorEntry& e, bool) { return e.IsShell32; },
     DescriptionForm::PrefixAndTarget, "Shell32 (Experts) - ", "Uninstall", kCanChangeFile,
     Counter::Shared, true},
    {RowKind::ComServer, [](const ErrorEntry& e, bool) { return e.IsComServer; },
     DescriptionForm::PrefixAndTarget, "Invalid registered OCX or DLL file - ", "Dll",
     kCanChangeFile, Counter::Shared, true},
    {RowKind::Trojan, [](const ErrorEntry& e, bool) { return e.IsTrojan || e.IsLockedTrojan; },
     DescriptionForm::Trojan, "Warning: ", "Virus", kCanChangeFile, Counter::Trojan, true},
    {RowKind::Sound, [](const ErrorEntry& e, bool) { return e.IsSound; },
     DescriptionForm::PrefixAndTarget, "Invalid Sound entry - ", "Sound", kCanChangeFile,
     Counter::Sounds, true},
    {RowKind::AppPath, [](const ErrorEntry& e, bool) { return e.IsAppPath; },
     DescriptionForm::PrefixAndTarget, "Invalid Application Path - ", "Empty", kCanChangeFolder,
     Counter::Shortcuts, true},
    {RowKind::Uninstall, [](const ErrorEntry& e, bool) { return e.IsUninstall; },
     DescriptionForm::PrefixAndTarget, "Invalid Uninstall String - ", "Uninstall", kCanChangeFile,
     Counter::AddRemove, true},
    {RowKind::Driver, [](const ErrorEntry& e, bool) { return e.IsDriver; },
     DescriptionForm::PrefixAndTarget, "Possible Driver Entry - ", "Dll", kCanChangeFile,
     Counter::Devs, true},
    {RowKind::AutoRun, [](const ErrorEntry& e, bool) { return e.IsAutoRun; },
     DescriptionForm::PrefixAndTarget, "Autorun Program Entry - ", "AutoRun", kCanChangeFile,
     Counter::Startup, true},
    {RowKind::Font, [](const ErrorEntry& e, bool) { return e.IsFont; },
     DescriptionForm::PrefixAndTarget, "Invalid Font Entry - ", "TTF", kCanChangeFile,
     Counter::Fonts, true},
    {RowKind::FileNotFound,
     [](const ErrorEntry& e, bool) { return e.PathKind == engine::kFilePath; },
     DescriptionForm::PrefixAndTarget, "File not found - ", "File", kCanChangeFile,
     Counter::Shortcuts, true},
    {RowKind::FolderNotFound, [](const ErrorEntry&, bool) { return true; },
     DescriptionForm::PrefixAndTarget, "Folder or Drive not found - ", "Folder", kCanChangeFolder,
     Counter::Shortcuts, true},
};

std::string Describe(const RowKindRule& rule, const ErrorEntry& entry) {
    std::string text(rule.Prefix);
    switch (rule.Form) {
        case DescriptionForm::PrefixAndTarget:
            return text + entry.TargetPath;
        case DescriptionForm::EmptyKey:
            if (!entry.KeyPath.empty() && entry.KeyPath.back() == '}') text += " (Expert)";
            return text;
        case DescriptionForm::Trojan:
            return text + entry.TrojanName + " virus - " + entry.TargetPath;
    }
    return text;
}

}  // namespace

std::int32_t IconIndex(std::string_view iconKey) {
    const auto it = std::find(kIconKeys.begin(), kIconKeys.end(), iconKey);
    return it == kIconKeys.end() ? -1 : static_cast<std::int32_t>(it - kIconKeys.begin());
}

std::vector<std::string_view> OfferedActions(std::int32_t canChange) {
    if (canChange == kCanChangeLocked) return {};
    if (canChange >= kCanChangeFile) return {kActionIgnore, kActionDelete, kActionChangeValue};
    return {kActionIgnore, kActionDelete};
}

std::string CellText(const ResultRow& row, std::int32_t column) {
    switch (column) {
        case kColumnCorrection:
            return row.Correction;
        case kColumnErrorKind:
            return row.ErrorKind;
        case kColumnFixedValue:
            return row.FixedValue;
        case kColumnIndex:
            return std::to_string(row.Index);
        case kColumnCanChange:
            return std::to_string(row.CanChange);
        case kColumnBody:
            return row.Body;
        default:
            return {};  // Img shows an icon only
    }
}

std::span<const RowKindRule> RowKindTable() { return kRules; }

const RowKindRule& RuleFor(RowKind kind) {
    for (const RowKindRule& rule : kRules) {
        if (rule.Kind == kind) return rule;
    }
    throw std::invalid_argument("unknown row kind");
}

RowKind ClassifyFinding(const ErrorEntry& entry, const ExclusionMatcher& exclusions) {
    const bool excluded = exclusions.Excludes(entry);
    for (const RowKindRule& rule : kRules) {
        if (rule.Holds(entry, excluded)) return rule.Kind;
    }
    return RowKind::FolderNotFound;  // not reached: the last rule always holds
}

ResultRow MakeFindingRow(const ErrorEntry& entry, RowKind kind) {
    const RowKindRule& rule = RuleFor(kind);
    ResultRow row;
    row.IconKey = std::string(rule.IconKey);
    row.ErrorKind = Describe(rule, entry);
    row.Body = entry.KeyPath;
    row.CanChange = rule.CanChange;
    // A start-up entry starts as ignored whatever row it falls in: removing it changes what
    // runs at logon, so the user has to ask for that. A path on a drive that is not there is
    // not known to be gone. A value whose clean data is known gets that data back instead of
    // being removed.
    const bool ignored =
        kind == RowKind::Excluded || kind == RowKind::AbsentDrive || entry.IsAutoRun;
    if (ignored) {
        row.Correction = std::string(kActionIgnore);
    } else if (!entry.CleanValue.empty() && entry.EntryKind == engine::kValueEntry) {
        row.Correction = std::string(kActionChangeValue);
        row.FixedValue = entry.CleanValue;
    } else {
        row.Correction = std::string(kActionDelete);
    }
    row.Index = entry.Index;
    return row;
}

ResultRow MakeShortcutRow(std::string_view linkPath, std::string_view linkTarget,
                          std::int32_t linkIndex) {
    ResultRow row;
    row.IconKey = "Shortcut";
    row.ErrorKind = "Invalid Shortcut Path - " + std::string(linkTarget);
    row.Body = std::string(linkPath);
    row.CanChange = kCanChangeNoValue;
    row.Index = linkIndex;
    row.Correction = std::string(kActionIgnore);
    row.IsShortcut = true;
    return row;
}

}  // namespace hivewarden::scan
