// Which file system a host path lies on, so that a walk through mapped folders can stay on
// the one it started on. Backends, chosen by the build: posix_host_volume (the device number)
// and win32_host_volume (none: on Windows a mounted volume is a reparse point, which walks
// treat as a link already).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace hivewarden::registry {

// The id of the file system that holds `path` itself (a link is not followed); nothing when
// the host cannot tell.
std::optional<std::uint64_t> HostVolumeId(const std::filesystem::path& path);

}  // namespace hivewarden::registry
