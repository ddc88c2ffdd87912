// Helpers of the Windows-only tests: whether they run under Wine, and throwaway names made of
// the process id and the first free number, so that parallel and leftover runs never collide.
#pragma once

#include <windows.h>
// <windows.h> defines these as macros; the program has members of the same names
// (EngineSignals::Yield, FileProbes::DeleteFile). Test files get <windows.h> only through
// this header, so the order of includes does not matter.
#undef Yield
#undef DeleteFile

#include <functional>
#include <string>

namespace hivewarden::testing {

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// True for a 32-bit test process on 64-bit Windows.
inline bool TestProcessIsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// prefix + "<pid>-<n>" for the first n for which claim(name) succeeds; claim creates the
// object and answers false when it existed already. Empty text when nothing could be claimed.
inline std::string ClaimFreshName(const std::string& prefix,
                                  const std::function<bool(const std::string&)>& claim) {
    const std::string base = prefix + std::to_string(GetCurrentProcessId()) + "-";
    for (int n = 0; n < 1000; ++n) {
        const std::string name = base + std::to_string(n);
        if (claim(name)) return name;
    }
    return {};
}

}  // namespace hivewarden::testing
