// The eight category rules: which user-selectable category a registry value belongs to,
// judged from its key path ("HKEY_...\path") and its data as text. Pure predicates over the
// text and the path probes; they know nothing of the walker or the results.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "store/signals.h"
#include "scan/path_extract.h"

namespace hivewarden::scan {

// Every comparison is made on upper-case copies of both sides (the registry's case rule,
// text.h); lengths count characters. A rule whose
// first test passes yields once to the message loop before it returns: through `signals`, or
// through the context's Signals for the rules that take a PathContext (null: no yielding).

// Key path contains "CurrentVersion\SharedDLLs" and the data contains ".DLL".
bool IsSharedDllEntry(std::string_view data, std::string_view keyPath,
                      registry::EngineSignals* signals = nullptr);
// Key path contains "Microsoft\Windows\Help" and the data contains ".HLP".
bool IsHelpEntry(std::string_view data, std::string_view keyPath,
                 registry::EngineSignals* signals = nullptr);
// Data not empty, PathKindOf(data) not 0, key path under ...\CurrentVersion\Uninstall
// (Windows or Windows NT). A caller that knows PathKindOf(data) already passes it as
// `dataKind`: the path is not cut out of the data again, and the rule yields as often.
bool IsUninstallEntry(std::string_view keyPath, std::string_view data, PathContext& context,
                      std::optional<std::int32_t> dataKind = std::nullopt);
// Data not empty, PathKindOf(data) not 0, key path under ...\CurrentVersion\App Paths
// (Windows or Windows NT). `dataKind` as for IsUninstallEntry.
bool IsAppPathEntry(std::string_view keyPath, std::string_view data, PathContext& context,
                    std::optional<std::int32_t> dataKind = std::nullopt);
// Data of at least 5 characters ending in ".VXD" or ".SYS".
bool IsDriverEntry(std::string_view data, registry::EngineSignals* signals = nullptr);
// Data not empty; key path contains "AppEvents\Schemes\Apps" and does not end with the text
// "AppEvents\Schemes\Apps.default" (no "\" before ".default", so ...\Apps\.Default itself
// still qualifies).
bool IsSoundEntry(std::string_view keyPath, std::string_view data,
                  registry::EngineSignals* signals = nullptr);
// Data not empty; the key's own name (from its last "\", that "\" included) contains "RUN";
// key path contains "CurrentVersion\Run". Values in subkeys of a Run key do not qualify,
// unless the subkey's own name contains "RUN" too.
bool IsAutoRunEntry(std::string_view keyPath, std::string_view data,
                    registry::EngineSignals* signals = nullptr);
// Data not empty; key path ends with "FONTS" and contains "CurrentVersion\Fonts".
bool IsFontEntry(std::string_view keyPath, std::string_view data,
                 registry::EngineSignals* signals = nullptr);

}  // namespace hivewarden::scan
