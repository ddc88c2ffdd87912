// The WOW64 question, asked through kernel32!IsWow64Process where it exists (Windows XP SP2
// and later); older systems are 32-bit only.
#include "registry/win32_system.h"

namespace hivewarden::registry::win32 {

bool ProcessIsWow64() {
#ifdef _WIN64
    return false;
#else
    using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 = SystemFunction<IsWow64Fn>("kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
#endif
}

}  // namespace hivewarden::registry::win32
