// Drive presence: GetDriveTypeW, then the root's attributes asked in a worker thread that the
// caller waits for only so long.
#include "files/win32_drives.h"

#include <windows.h>

#include <future>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "files/win32_system.h"

namespace hivewarden::registry::win32 {
namespace {

using SetThreadErrorModeFn = BOOL(WINAPI*)(DWORD, LPDWORD);

constexpr UINT kQuietModes = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

// Whether the root can be read, with no "insert a disk" box. The error mode is the thread's
// own where Windows has that (7 and later), so other threads keep theirs.
bool RootAnswers(const std::wstring& root) {
    const auto setThreadMode =
        SystemFunction<SetThreadErrorModeFn>("kernel32.dll", "SetThreadErrorMode");
    DWORD previousThread = 0;
    UINT previousProcess = 0;
    if (setThreadMode != nullptr) {
        setThreadMode(kQuietModes, &previousThread);
    } else {
        previousProcess = SetErrorMode(kQuietModes);
    }
    const bool answers = GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (setThreadMode != nullptr) {
        setThreadMode(previousThread, nullptr);
    } else {
        SetErrorMode(previousProcess);
    }
    return answers;
}

}  // namespace

bool DrivePresent(char letter, std::chrono::milliseconds wait) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') return false;
    const std::wstring root = {static_cast<wchar_t>(letter), L':', L'\\'};
    switch (GetDriveTypeW(root.c_str())) {
        case DRIVE_NO_ROOT_DIR:
            return false;
        case DRIVE_FIXED:
        case DRIVE_RAMDISK:
            return true;
        default:  // removable, optical, network, or a type Windows cannot tell
            break;
    }
    // The promise lives as long as the worker needs it; the caller keeps only the future,
    // whose end never waits for the worker.
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> answered = answer->get_future();
    try {
        std::thread([answer, root] { answer->set_value(RootAnswers(root)); }).detach();
    } catch (const std::system_error&) {
        return RootAnswers(root);  // no thread to be had: ask here
    }
    if (answered.wait_for(wait) != std::future_status::ready) return false;
    return answered.get();
}

}  // namespace hivewarden::registry::win32
