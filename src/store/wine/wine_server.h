// Whether a wineserver serves a Wine prefix right now: the server listens on a socket in a
// folder named after the prefix folder's device and inode. Backends: posix_wine_server
// (connects to that socket) and win32_wine_server (cannot tell).
#pragma once

#include <string>

namespace hivewarden::registry {

enum class WineServerState {
    Stopped,  // no server socket answers
    Running,  // a server answered on `socket`
    Unknown,  // this system cannot tell
};

struct WineServerProbe {
    WineServerState State = WineServerState::Unknown;
    std::string Socket;  // the socket that answered
};

// Looks for the server of the prefix at `prefixDir`: in <tmp>/<name in DIR/wineserver>/ (the
// layout of Debian's Wine) and in /tmp/.wine-<uid>/ (upstream Wine), the folder
// server-<device hex>-<inode hex>, its "socket".
WineServerProbe ProbeWineServer(const std::string& prefixDir);

}  // namespace hivewarden::registry
