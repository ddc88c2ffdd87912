// Synthetic registries for benchmarks: a deterministic tree of keys and values with a chosen
// share of path-like data and of missing targets, and the drive folder those paths point at.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "store/store.h"

namespace hivewarden::bench {

struct SyntheticShape {
    std::uint32_t Keys = 100000;          // keys below HKCU\Software\Bench and HKLM\Software\Bench
    std::uint32_t ValuesPerKey = 10;
    double PathShare = 0.4;               // values whose data names a file or folder
    double MissingShare = 0.1;            // of those, the share whose target is gone
    std::uint32_t DistinctTargets = 5000; // different files the paths name
    std::uint32_t Seed = 20261210;
};

struct SyntheticCounts {
    std::uint64_t Keys = 0;
    std::uint64_t Values = 0;
    std::uint64_t PathValues = 0;
    std::uint64_t MissingValues = 0;
};

// Fills the store and creates the existing targets below `driveC` (the host folder of C:).
SyntheticCounts BuildSyntheticMachine(const SyntheticShape& shape, registry::RegistryStore& store,
                                      const std::filesystem::path& driveC);

}  // namespace hivewarden::bench
