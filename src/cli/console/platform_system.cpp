// Ctrl+C for the command line: a flag raised by the signal handler and read by the engines'
// yield hooks. Portable; the platform's other facts live in win32_/posix_platform.cpp.
#include <atomic>
#include <csignal>

#include "cli/console/platform_system.h"

namespace hivewarden::cli {
namespace {

// A signal handler can only reach static storage; this flag is the one piece of process-wide
// state of the command line, and only the handler writes it.
std::atomic<bool> gInterrupted{false};

extern "C" void OnInterrupt(int) { gInterrupted.store(true); }

}  // namespace

void InstallInterruptHandler() {
    gInterrupted.store(false);
    std::signal(SIGINT, OnInterrupt);
}

bool InterruptRequested() { return gInterrupted.load(); }

}  // namespace hivewarden::cli
