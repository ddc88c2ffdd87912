// Small Win32 helpers shared by the Windows backends: system functions looked up at run time
// (not every Windows version exports them), the WOW64 question, the program's UTF-8 text to
// and from the UTF-16 the wide ("W") functions take, and the long form of file paths.
// Windows builds only.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace hivewarden::registry::win32 {

using Procedure = void (*)();

// A function exported by an already loaded system DLL, or nullptr where this Windows lacks it.
// `module` is an ASCII DLL name.
Procedure SystemProcedure(const char* module, const char* name);

template <typename Fn>
Fn SystemFunction(const char* module, const char* name) {
    // A plain function pointer type in between keeps the cast free of type warnings.
    return reinterpret_cast<Fn>(SystemProcedure(module, name));
}

// True for a 32-bit process on 64-bit Windows, where the registry has a second (32-bit) view
// and the system folder is redirected. False for 64-bit processes and on 32-bit Windows.
bool ProcessIsWow64();

// UTF-8 text as the wide functions take it (lone surrogates kept, see unicode.h).
std::wstring Wide(std::string_view text);
// Wide text of the system as UTF-8.
std::string Narrow(std::wstring_view text);
std::string Narrow(const wchar_t* text, std::size_t length);

// The form of a path that the wide file functions accept at any length: paths of up to
// MAX_PATH - 12 characters (the limit of a folder to create) as they are; longer full paths
// normalised ("." and ".." resolved, "/" turned into "\") and given the "\\?\" prefix, or
// "\\?\UNC\" for "\\server\share" paths. A relative long path stays as it is (the prefix needs
// a full path, and the system resolves a relative one against the current folder only up to
// MAX_PATH).
std::wstring LongPathForm(std::string_view path);

// The system's text for an error code, as UTF-8 without the line break and full stop it ends
// with; "error N" when the system has none.
std::string ErrorText(DWORD error);

}  // namespace hivewarden::registry::win32
