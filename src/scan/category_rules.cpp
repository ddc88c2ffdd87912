// The category rules: substring and suffix tests on upper-case copies of key path and data.
#include "scan/category_rules.h"

#include "text/text.h"
#include "scan/utf8_positions.h"

namespace hivewarden::scan {
namespace {

// The text's last characters, as many as the suffix has, compared in upper case. Upper-casing
// maps each character to one character, so those are the ones to compare.
bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    std::size_t start = text.size();
    for (std::size_t n = CharCount(suffix); n > 0; --n) {
        if (start == 0) return false;
        start = PreviousCharStart(text, start);
    }
    return EqualsNoCase(text.substr(start), suffix);
}

void YieldIfAsked(registry::EngineSignals* signals) {
    if (signals != nullptr) signals->Yield();
}

// The Uninstall and App Paths rules: data that names a path, under one of two key paths.
bool PathUnderKey(std::string_view keyPath, std::string_view data, PathContext& context,
                  std::optional<std::int32_t> dataKind, std::string_view windowsKey,
                  std::string_view windowsNtKey) {
    if (data.empty()) return false;
    YieldIfAsked(context.Signals);
    if (dataKind) {
        YieldIfAsked(context.Signals);  // where cutting the path out would have yielded
    } else {
        dataKind = PathKindOf(data, context);
    }
    return *dataKind != 0 &&
           (ContainsNoCase(keyPath, windowsKey) || ContainsNoCase(keyPath, windowsNtKey));
}

constexpr std::string_view kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr std::string_view kUninstallNtKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Uninstall";
constexpr std::string_view kAppPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr std::string_view kAppPathsNtKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\App Paths";

}  // namespace

bool IsSharedDllEntry(std::string_view data, std::string_view keyPath,
                      registry::EngineSignals* signals) {
    if (!ContainsNoCase(keyPath, "CurrentVersion\\SharedDLLs")) return false;
    YieldIfAsked(signals);
    return ContainsNoCase(data, ".DLL");
}

bool IsHelpEntry(std::string_view data, std::string_view keyPath,
                 registry::EngineSignals* signals) {
    if (!ContainsNoCase(keyPath, "Microsoft\\Windows\\Help")) return false;
    YieldIfAsked(signals);
    return ContainsNoCase(data, ".HLP");
}

bool IsUninstallEntry(std::string_view keyPath, std::string_view data, PathContext& context,
                      std::optional<std::int32_t> dataKind) {
    return PathUnderKey(keyPath, data, context, dataKind, kUninstallKey, kUninstallNtKey);
}

bool IsAppPathEntry(std::string_view keyPath, std::string_view data, PathContext& context,
                    std::optional<std::int32_t> dataKind) {
    return PathUnderKey(keyPath, data, context, dataKind, kAppPathsKey, kAppPathsNtKey);
}

bool IsDriverEntry(std::string_view data, registry::EngineSignals* signals) {
    // At least five characters ("a.sys"); a character takes at most four bytes, so only
    // short data needs counting.
    constexpr std::size_t kShortest = 5;
    if (data.size() < kShortest || (data.size() < 4 * kShortest && CharCount(data) < kShortest)) {
        return false;
    }
    YieldIfAsked(signals);
    return EndsWithNoCase(data, ".VXD") || EndsWithNoCase(data, ".SYS");
}

bool IsSoundEntry(std::string_view keyPath, std::string_view data,
                  registry::EngineSignals* signals) {
    if (data.empty()) return false;
    YieldIfAsked(signals);
    return !EndsWithNoCase(keyPath, "AppEvents\\Schemes\\Apps.default") && !keyPath.empty() &&
           ContainsNoCase(keyPath, "AppEvents\\Schemes\\Apps");
}

bool IsAutoRunEntry(std::string_view keyPath, std::string_view data,
                    registry::EngineSignals* signals) {
    if (data.empty()) return false;
    YieldIfAsked(signals);
    // The key's own name, counted from its last "\" with that "\" included.
    const std::size_t lastSlash = keyPath.rfind('\\');
    const std::string_view ownName =
        lastSlash == std::string_view::npos ? keyPath : keyPath.substr(lastSlash);
    return ContainsNoCase(ownName, "RUN") && ContainsNoCase(keyPath, "CurrentVersion\\Run");
}

bool IsFontEntry(std::string_view keyPath, std::string_view data,
                 registry::EngineSignals* signals) {
    if (data.empty()) return false;
    YieldIfAsked(signals);
    return EndsWithNoCase(keyPath, "FONTS") && ContainsNoCase(keyPath, "CurrentVersion\\Fonts");
}

}  // namespace hivewarden::scan
