// The interface id of IAccessible, spelled out. mingw's liboleacc.a also exports a symbol
// IID_IAccessible that is an import thunk, not the GUID: linked before libuuid.a it gives
// garbage bytes, and every QueryInterface and marshalling call then fails with E_NOINTERFACE.
#pragma once

#include <windows.h>

namespace hivewarden::ui::win32 {

// {618736E0-3C3D-11CF-810C-00AA00389B71}
inline constexpr GUID kAccessibleInterfaceId = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

}  // namespace hivewarden::ui::win32
