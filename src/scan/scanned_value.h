// What a finding remembers of the registry as the scan read it, and the second look a repair
// takes just before it changes anything: the value's exact bytes, and whether the thing its
// data names is still missing.
#pragma once

#include <functional>
#include <string_view>

#include "engine/error_entry.h"
#include "store/access.h"
#include "scan/path_extract.h"

namespace hivewarden::scan {

// Records in `entry` the value `name` of `key` (root\path) as the store holds it now (type
// and bytes). Nothing is recorded when it cannot be read.
void RecordScannedValue(engine::ErrorEntry& entry, registry::KeyReader& key,
                        registry::RootKey root, std::string_view path, std::string_view name);

// True while the thing `data` names (a value's data, read at the full key path `keyPath`) is
// missing, judged as the scan judges it. The probes should not answer from a scan's cache.
bool TargetStillMissing(std::string_view keyPath, std::string_view data, PathContext& context);

}  // namespace hivewarden::scan

namespace hivewarden::scan {

// TargetStillMissing over `context`, in the form a repair asks it.
std::function<bool(std::string_view keyPath, std::string_view data)> TargetRecheck(
    PathContext& context);

}  // namespace hivewarden::scan
