// The wineserver probe on Windows builds: a Windows program cannot see a Unix host's server
// sockets, so it cannot tell, and a prefix is then never written.
#include "store/wine/wine_server.h"

namespace hivewarden::registry {

WineServerProbe ProbeWineServer(const std::string&) { return {}; }

}  // namespace hivewarden::registry
