// The Win32 helpers shared by the Windows backends: run-time lookups, WOW64, UTF-16 at the
// edge, long paths and error texts. Nothing here keeps state.
#include "files/win32_system.h"

#include <vector>

#include "text/unicode.h"

namespace hivewarden::registry::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

// A path of this many characters or more needs the long form: CreateDirectoryW refuses
// MAX_PATH - 12 (room for an 8.3 name), the other functions MAX_PATH.
constexpr std::size_t kLongPathFrom = MAX_PATH - 12;
// GetFullPathNameW works on paths up to the system's limit for long paths.
constexpr DWORD kMaxLongPath = 32768;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "X:\..." or "X:/...".
bool IsFullLocalPath(const std::wstring& path) {
    return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') ||
                                (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && IsSeparator(path[2]);
}

// "\\server\share..." (not the "\\?\" or "\\.\" device forms).
bool IsUncPath(const std::wstring& path) {
    return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] != L'?' &&
           path[2] != L'.';
}

}  // namespace

Procedure SystemProcedure(const char* module, const char* name) {
    const HMODULE dll = GetModuleHandleW(Wide(module).c_str());
    if (dll == nullptr) return nullptr;
    return reinterpret_cast<Procedure>(GetProcAddress(dll, name));
}

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

std::wstring Wide(std::string_view text) {
    const std::u16string units = Utf16FromUtf8(text);
    return std::wstring(units.begin(), units.end());
}

std::string Narrow(const wchar_t* text, std::size_t length) {
    return Utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::string Narrow(std::wstring_view text) { return Narrow(text.data(), text.size()); }

std::wstring LongPathForm(std::string_view path) {
    std::wstring wide = Wide(path);
    if (wide.size() < kLongPathFrom || wide.find(L'\0') != std::wstring::npos) return wide;
    if (!IsFullLocalPath(wide) && !IsUncPath(wide)) return wide;
    std::vector<wchar_t> full(kMaxLongPath, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), kMaxLongPath, full.data(), nullptr);
    if (length == 0 || length >= kMaxLongPath) return wide;
    std::wstring normal(full.data(), length);
    if (IsUncPath(normal)) return L"\\\\?\\UNC\\" + normal.substr(2);
    return L"\\\\?\\" + normal;
}

std::string ErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length != 0 && text != nullptr ? Narrow(text, length)
                                                         : "error " + std::to_string(error);
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

}  // namespace hivewarden::registry::win32
