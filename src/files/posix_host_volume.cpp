// File system ids on POSIX systems: the device number of lstat. Not built on Windows.
#include <sys/stat.h>

#include "files/host_volume.h"

namespace hivewarden::registry {

std::optional<std::uint64_t> HostVolumeId(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_dev);
}

}  // namespace hivewarden::registry
