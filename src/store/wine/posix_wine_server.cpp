// The wineserver probe on POSIX systems: a connect() to the prefix's server socket. Not built
// on Windows (win32_wine_server.cpp is).
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "store/wine/wine_server.h"

namespace hivewarden::registry {
namespace {

bool Answers(const std::string& socketPath) {
    struct stat info {};
    if (::lstat(socketPath.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return false;
    sockaddr_un address{};
    if (socketPath.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// The name Debian's Wine keeps in DIR/wineserver: its folder under the temporary folder.
std::string TmpFolderName(const std::string& prefixDir) {
    std::ifstream file(prefixDir + "/wineserver");
    std::string name;
    std::getline(file, name);
    if (name.find('/') != std::string::npos || name == "." || name == "..") return {};
    return name;
}

}  // namespace

WineServerProbe ProbeWineServer(const std::string& prefixDir) {
    WineServerProbe probe;
    struct stat info {};
    if (::stat(prefixDir.c_str(), &info) != 0) return probe;
    char server[80];
    std::snprintf(server, sizeof server, "/server-%llx-%llx",
                  static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    std::vector<std::string> folders;
    const std::string name = TmpFolderName(prefixDir);
    if (!name.empty()) {
        if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) {
            folders.push_back(std::string(tmp) + "/" + name);
        }
        folders.push_back("/tmp/" + name);
    }
    folders.push_back("/tmp/.wine-" + std::to_string(::getuid()));
    for (const std::string& folder : folders) {
        const std::string socket = folder + server + "/socket";
        if (Answers(socket)) {
            probe.State = WineServerState::Running;
            probe.Socket = socket;
            return probe;
        }
    }
    probe.State = WineServerState::Stopped;
    return probe;
}

}  // namespace hivewarden::registry
