// File system ids on Windows: none are needed (mounted volumes are reparse points, which walks
// do not enter). Windows builds only.
#include "files/host_volume.h"

namespace hivewarden::registry {

std::optional<std::uint64_t> HostVolumeId(const std::filesystem::path&) { return std::nullopt; }

}  // namespace hivewarden::registry
