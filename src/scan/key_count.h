// How many keys a scan will read, known before it starts, so that its progress can be told as
// a share of the whole: counted exactly where reading the keys is cheap (a registry held in
// memory or read from files), estimated where every key read costs a call to the system (the
// live registry): the keys of the branches' first two levels, plus the subkey counts those
// keys report.
#pragma once

#include <cstdint>

#include "store/access.h"

namespace hivewarden::scan {

enum class KeyCountMode { Exact, Estimate };

// The keys a scan with `options` reads (the branches of BranchesOf), each branch's own key
// included, also where it is missing (the walk looks for it).
std::uint64_t KeysToScan(registry::RegistryAccess& access, std::int32_t options,
                         KeyCountMode mode);

}  // namespace hivewarden::scan
