// Small Win32 helpers shared by the Windows backends: system functions looked up at run time
// (not every Windows version exports them) and the WOW64 question. Windows builds only.
#pragma once

#include <windows.h>

namespace hivewarden::registry::win32 {

// A function exported by an already loaded system DLL, or nullptr where this Windows lacks it.
template <typename Fn>
Fn SystemFunction(const char* module, const char* name) {
    const HMODULE dll = GetModuleHandleA(module);
    if (dll == nullptr) return nullptr;
    // A plain function pointer type in between keeps the cast free of type warnings.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

// True for a 32-bit process on 64-bit Windows, where the registry has a second (32-bit) view
// and the system folder is redirected. False for 64-bit processes and on 32-bit Windows.
bool ProcessIsWow64();

}  // namespace hivewarden::registry::win32
