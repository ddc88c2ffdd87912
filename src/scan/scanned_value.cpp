// Recording a finding's value, and asking again whether its target is missing.
#include "scan/scanned_value.h"

#include <string>

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

bool TargetStillMissing(std::string_view /*keyPath*/, std::string_view data,
                        PathContext& context) {
    const std::string target = ExtractPath(data, context);
    const std::int32_t kind = PathKindOfPath(target, context);
    return IsMissingPath(target, kind, context);
}

std::function<bool(std::string_view, std::string_view)> TargetRecheck(PathContext& context) {
    return [&context](std::string_view keyPath, std::string_view data) {
        return TargetStillMissing(keyPath, data, context);
    };
}

}  // namespace hivewarden::scan
