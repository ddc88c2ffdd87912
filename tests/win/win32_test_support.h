// Helpers of the Windows-only tests: whether they run under Wine, throwaway names made of the
// process id and the first free number (so that parallel and leftover runs never collide),
// throwaway registry keys and folders, UTF-16 at the test's own edge, and the registry
// editor's import. The helpers call the wide functions themselves, never the code under test.
#pragma once

#include <windows.h>
// <windows.h> defines these as macros; the program has members of the same names
// (EngineSignals::Yield, FileProbes::DeleteFile). Test files get <windows.h> only through
// this header, so the order of includes does not matter.
#undef Yield
#undef DeleteFile

#include <functional>
#include <string>
#include <string_view>

#include "text/unicode.h"

namespace hivewarden::testing {

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// True for a 32-bit test process on 64-bit Windows.
inline bool TestProcessIsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// UTF-8 text as the wide functions take it, and back.
inline std::wstring WideOf(std::string_view text) {
    const std::u16string units = Utf16FromUtf8(text);
    return std::wstring(units.begin(), units.end());
}
inline std::string Utf8Of(std::wstring_view text) {
    return Utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()),
                                             text.size()));
}
// A full path in the form the wide file functions take at any length.
inline std::wstring LongWide(const std::string& path) { return L"\\\\?\\" + WideOf(path); }

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

// The temporary folder (UTF-8, with a trailing backslash).
inline std::string TempFolderPath() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    return length == 0 ? std::string() : Utf8Of(std::wstring_view(temp, length));
}

// Deletes a folder with everything in it (test cleanup only; links are removed, not followed).
inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((LongWide(folder) + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::string path = folder + "\\" + Utf8Of(name);
            const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (isFolder && !isLink) {
                RemoveTree(path);
            } else if (isFolder) {
                RemoveDirectoryW(LongWide(path).c_str());
            } else {
                DeleteFileW(LongWide(path).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(LongWide(folder).c_str());
}

// A new folder below the temporary folder, removed with everything in it at the end.
class ThrowawayFolder {
  public:
    explicit ThrowawayFolder(const std::string& prefix = "Hivewarden-") {
        Path = ClaimFreshName(TempFolderPath() + prefix, [](const std::string& path) {
            return CreateDirectoryW(WideOf(path).c_str(), nullptr) != FALSE;
        });
    }
    ~ThrowawayFolder() {
        if (!Path.empty()) RemoveTree(Path);
    }
    ThrowawayFolder(const ThrowawayFolder&) = delete;
    ThrowawayFolder& operator=(const ThrowawayFolder&) = delete;

    std::string Path;  // without a trailing backslash; empty when none could be created
};

// Creates a folder and the folders above it (any length, any script).
inline bool MakeFolders(const std::string& path) {
    std::size_t slash = path.find('\\', 3);
    while (true) {
        const std::string part = path.substr(0, slash);
        if (!CreateDirectoryW(LongWide(part).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
        if (slash == std::string::npos) return true;
        slash = path.find('\\', slash + 1);
    }
}

// Creates (or replaces) a file with the given bytes.
inline bool MakeFile(const std::string& path, std::string_view bytes = "x") {
    const HANDLE file = CreateFileW(LongWide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// A file's whole contents; empty when it cannot be read.
inline std::string FileBytes(const std::string& path) {
    const HANDLE file = CreateFileW(LongWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

// root\Software\<prefix><pid>-<n>, a key that did not exist before, deleted with everything
// below it at the end. `view` chooses the registry view (0: the process's own).
class ThrowawayKey {
  public:
    explicit ThrowawayKey(const std::string& prefix, HKEY root = HKEY_CURRENT_USER,
                          REGSAM view = 0)
        : root_(root), view_(view) {
        Path = ClaimFreshName("Software\\" + prefix, [&](const std::string& path) {
            HKEY key = nullptr;
            DWORD disposition = 0;
            if (RegCreateKeyExW(root_, WideOf(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_READ | view_, nullptr, &key,
                                &disposition) != ERROR_SUCCESS) {
                return false;
            }
            RegCloseKey(key);
            return disposition == REG_CREATED_NEW_KEY;
        });
    }
    ~ThrowawayKey() {
        if (Path.empty()) return;
        HKEY parent = nullptr;
        if (RegOpenKeyExW(root_, L"Software", 0, KEY_ALL_ACCESS | view_, &parent) !=
            ERROR_SUCCESS) {
            return;
        }
        const std::wstring leaf = WideOf(Path.substr(Path.find('\\') + 1));
        RegDeleteTreeW(parent, leaf.c_str());
        RegDeleteKeyExW(parent, leaf.c_str(), view_, 0);
        RegCloseKey(parent);
    }
    ThrowawayKey(const ThrowawayKey&) = delete;
    ThrowawayKey& operator=(const ThrowawayKey&) = delete;

    std::string Path;  // below the root; empty when none could be created

  private:
    HKEY root_;
    REGSAM view_;
};

// Writes one value (creating the key) through the wide functions; the error code.
inline LONG SetValueW(HKEY root, const std::string& path, const std::string& name, DWORD type,
                      std::string_view bytes, REGSAM view = 0) {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(root, WideOf(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE | view, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExW(key, WideOf(name).c_str(), 0, type,
                            reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return status;
}

// One value's type and bytes as RegQueryValueExW gives them; false when it cannot be read.
inline bool QueryValueW(HKEY root, const std::string& path, const std::string& name,
                        DWORD& type, std::string& bytes, REGSAM view = 0) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, WideOf(path).c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring wideName = WideOf(name);
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        bytes.assign(size, '\0');
        status = RegQueryValueExW(key, wideName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(bytes.data()), &size);
        bytes.resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// The registry editor of the system.
inline std::wstring RegeditPath() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\regedit.exe";
}

// Runs a command line and waits for it (at most a minute); the exit code, or -1 with `error`
// set when it could not be started.
inline int RunAndWait(std::wstring command, DWORD& error) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        error = GetLastError();
        return -1;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// Runs `regedit /s "file"` (file in UTF-8) and waits for it.
inline int RunRegeditImport(const std::string& file, DWORD& error) {
    return RunAndWait(L"\"" + RegeditPath() + L"\" /s \"" + WideOf(file) + L"\"", error);
}

// ERROR_ELEVATION_REQUIRED, which the mingw headers lack.
inline constexpr DWORD kErrorElevationRequired = 740;

// HKEY_CLASSES_ROOT\.reg -> regfile -> shell\open\command as Windows has it, for the time of a
// test, when the system has no association of its own (a fresh Wine prefix).
class RegFileAssociation {
  public:
    RegFileAssociation() {
        HKEY existing = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L".reg", 0, KEY_READ, &existing) == ERROR_SUCCESS) {
            RegCloseKey(existing);
            return;
        }
        const std::wstring command = L"\"" + RegeditPath() + L"\" \"%1\"";
        Created = Set(L".reg", L"regfile") && Set(L"regfile\\shell\\open\\command", command);
    }
    ~RegFileAssociation() {
        if (!Created) return;
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".reg");
        RegDeleteKeyW(HKEY_CLASSES_ROOT, L".reg");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"regfile");
        RegDeleteKeyW(HKEY_CLASSES_ROOT, L"regfile");
    }
    RegFileAssociation(const RegFileAssociation&) = delete;
    RegFileAssociation& operator=(const RegFileAssociation&) = delete;

    bool Created = false;

  private:
    static bool Set(const wchar_t* path, const std::wstring& text) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const LONG status =
            RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
};

}  // namespace hivewarden::testing
