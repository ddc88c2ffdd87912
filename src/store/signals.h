// The engine's two signals that reach down into the access layer: the stop flag and the
// yield hook. Engines test StopRequested after each item and call Yield() so that a window
// can pump its messages; nothing below knows about messages.
#pragma once

#include <functional>

namespace hivewarden::registry {

struct EngineSignals {
    // Set by Cancel; every engine loop and every enumeration tests it.
    bool StopRequested = false;
    // Called once per registry item and directory entry. Empty: no yielding.
    std::function<void()> YieldHook;

    void Yield() {
        if (YieldHook) YieldHook();
    }
};

}  // namespace hivewarden::registry
