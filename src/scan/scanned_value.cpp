// Recording a finding's value, and asking again whether its target is missing.
#include "scan/scanned_value.h"

#include <string>

#include "scan/registry_view.h"
#include "scan/view_probes.h"

namespace hivewarden::scan {

void RecordScannedValue(engine::ErrorEntry& entry, registry::KeyReader& key,
                        registry::RootKey root, std::string_view path, std::string_view name) {
    registry::RawValue raw;
    if (!key.ReadRaw(name, raw)) return;
    entry.HasScannedValue = true;
    entry.ScannedValueKey = registry::RootName(root) + "\\" + std::string(path);
    entry.ScannedValueName = std::string(name);
    entry.ScannedType = raw.Type;
    entry.ScannedBytes = std::move(raw.Bytes);
}

bool TargetStillMissing(std::string_view keyPath, std::string_view data,
                        PathContext& context) {
    // Asked as the program that reads the entry sees the disk, as the scan asked it.
    ViewProbes probes(context.Probes, ViewOfKeyPath(keyPath), context.WindowsDir);
    PathContext view{probes, context.WindowsDir, context.Signals, context.FontFolders};
    const std::string target = ExtractPath(data, view);
    const std::int32_t kind = PathKindOfPath(target, view);
    return IsMissingPath(target, kind, view);
}

std::function<bool(std::string_view, std::string_view)> TargetRecheck(PathContext& context) {
    return [&context](std::string_view keyPath, std::string_view data) {
        return TargetStillMissing(keyPath, data, context);
    };
}

}  // namespace hivewarden::scan
