// A generated Windows 11 machine for the size benchmarks: a version 5 .reg export (UTF-16LE)
// of HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER with the shapes a real one has (class ids with
// their servers, installer components, uninstall entries, services, fonts, shared DLLs, per-user
// caches with paths as value names), and the drive folder its paths point at.
#pragma once

#include <cstdint>
#include <filesystem>

namespace hivewarden::bench {

struct MachineShape {
    std::uint64_t Values = 3000000;  // values to write, at least
    double MissingShare = 0.03;      // of the files the data names, the share that is gone
    std::uint32_t Seed = 20261210;
};

struct MachineFile {
    std::uint64_t Keys = 0;
    std::uint64_t Values = 0;
    std::uint64_t Bytes = 0;  // of the .reg file
};

// Writes the export to `regFile` and the existing files below `driveC` (the host folder of C:).
MachineFile WriteWindowsMachine(const MachineShape& shape, const std::filesystem::path& regFile,
                                const std::filesystem::path& driveC);

}  // namespace hivewarden::bench
