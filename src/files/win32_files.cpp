// The file probes over shlwapi and kernel32, wide functions only. A probe that cannot answer
// (bad path, no access) answers false; nothing here throws, prints or keeps state beyond two
// function pointers.
#include "files/win32_files.h"

#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/win32_drives.h"
#include "files/win32_system.h"

// <windows.h> renames DeleteFile to DeleteFileA; this class has a member of that name.
#undef DeleteFile

namespace hivewarden::registry {
namespace {

using win32::LongPathForm;
using win32::Narrow;
using win32::Wide;

using DisableRedirectionFn = BOOL(WINAPI*)(PVOID*);
using RevertRedirectionFn = BOOL(WINAPI*)(PVOID);

// A path the file functions can be asked about: not empty, and no zero character, which
// would make the system see a shorter path.
bool Probeable(std::string_view path) {
    return !path.empty() && path.find('\0') == std::string_view::npos;
}

// The shell's path functions copy paths into MAX_PATH buffers; longer paths (in their long
// form) are asked about through the file attributes instead.
bool ShellSized(const std::wstring& path) { return path.size() < MAX_PATH; }

// Expansion gives up on text longer than this (the system's limit for environment strings).
constexpr DWORD kMaxExpandedChars = 32768;
// Files are read in pieces of this size.
constexpr DWORD kReadChunk = 64 * 1024;

// Owns a kernel handle (file or search); closes it once.
template <typename CloseFn>
class OwnedHandle {
  public:
    OwnedHandle(HANDLE handle, CloseFn close) : handle_(handle), close_(close) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) close_(handle_);
    }
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
    CloseFn close_;
};

// No "insert a disk" box while a probe asks about a drive without a medium, as the shell's
// path functions arrange it for themselves.
class QuietErrors {
  public:
    QuietErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~QuietErrors() { SetErrorMode(previous_); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

  private:
    UINT previous_;
};

DWORD Attributes(const std::wstring& path) {
    QuietErrors quiet;
    return GetFileAttributesW(path.c_str());
}

// One zero-terminated piece of text with its %NAME% references replaced; names the
// environment does not know stay as written.
std::string ExpandPiece(const std::string& text) {
    const std::wstring wide = Wide(text);
    DWORD size = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    while (size != 0 && size <= kMaxExpandedChars) {
        std::vector<wchar_t> buffer(size + 1, L'\0');
        const DWORD needed =
            ExpandEnvironmentStringsW(wide.c_str(), buffer.data(), static_cast<DWORD>(size + 1));
        if (needed == 0) break;
        if (needed <= size + 1) return Narrow(std::wstring_view(buffer.data()));
        size = needed;  // the environment changed in between
    }
    return text;
}

// Under Wine: Wine's data folder as its programs see it, with a trailing "\"; empty on
// Windows. Wine tells its programs where its own files are through WINEDATADIR
// ("\??\Z:\usr\share\wine", or "\??\unix\..." when no drive reaches it, which is then
// not used); the variable counts only where ntdll is Wine's (it exports wine_get_version), so
// a real Windows is never asked about it.
std::string WineDataFolder() {
    if (win32::SystemProcedure("ntdll.dll", "wine_get_version") == nullptr) return {};
    const DWORD size = GetEnvironmentVariableW(L"WINEDATADIR", nullptr, 0);
    if (size == 0) return {};
    std::vector<wchar_t> buffer(size + 1, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"WINEDATADIR", buffer.data(), size + 1);
    if (length == 0 || length > size) return {};
    std::string folder = Narrow(buffer.data(), length);
    constexpr std::string_view kNtPrefix = "\\??\\";
    if (folder.compare(0, kNtPrefix.size(), kNtPrefix) == 0) folder.erase(0, kNtPrefix.size());
    if (folder.size() < 3 || folder[1] != ':' || folder[2] != '\\') return {};
    if (folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace

// Switches the system-folder redirection off for one probe, and on again when the probe ends,
// however it ends. Does nothing outside a WOW64 process.
class Win32Files::RedirectionPause {
  public:
    explicit RedirectionPause(const Win32Files& files)
        : revert_(reinterpret_cast<RevertRedirectionFn>(files.revertRedirection_)) {
        const auto disable = reinterpret_cast<DisableRedirectionFn>(files.disableRedirection_);
        paused_ = disable != nullptr && revert_ != nullptr && disable(&previous_);
    }
    RedirectionPause(const RedirectionPause&) = delete;
    RedirectionPause& operator=(const RedirectionPause&) = delete;
    ~RedirectionPause() {
        if (paused_) revert_(previous_);
    }

  private:
    RevertRedirectionFn revert_;
    PVOID previous_ = nullptr;
    bool paused_ = false;
};

Win32Files::Win32Files() {
    if (!win32::ProcessIsWow64()) return;
    disableRedirection_ =
        win32::SystemFunction<void (*)()>("kernel32.dll", "Wow64DisableWow64FsRedirection");
    revertRedirection_ =
        win32::SystemFunction<void (*)()>("kernel32.dll", "Wow64RevertWow64FsRedirection");
    if (disableRedirection_ == nullptr || revertRedirection_ == nullptr) {
        disableRedirection_ = nullptr;
        revertRedirection_ = nullptr;
    }
}

bool Win32Files::FileExists(std::string_view path) {
    if (!Probeable(path)) return false;
    const std::wstring wide = LongPathForm(path);
    RedirectionPause pause(*this);
    if (ShellSized(wide)) return PathFileExistsW(wide.c_str()) != FALSE;
    return Attributes(wide) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Files::IsDirectory(std::string_view path) {
    if (!Probeable(path)) return false;
    const std::wstring wide = LongPathForm(path);
    RedirectionPause pause(*this);
    if (ShellSized(wide)) return PathIsDirectoryW(wide.c_str()) != FALSE;
    const DWORD attributes = Attributes(wide);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Files::IsNetworkPath(std::string_view path) {
    if (path.empty()) return false;
    // The answer depends on the start of the path only ("\\" or a mapped drive letter), so a
    // long path is asked about by its first characters. No redirection pause: the question
    // may load the network provider DLLs, which must come from the process's own system folder.
    std::wstring wide = Wide(path);
    wide.resize(std::min<std::size_t>(wide.size(), MAX_PATH - 1));
    return PathIsNetworkPathW(wide.c_str()) != FALSE;  // up to an inner zero, as it sees it
}

std::string Win32Files::ExpandEnvironment(std::string_view text) {
    // The system function stops at a zero character; multi-strings are expanded piece by piece
    // so that nothing after an inner zero is lost.
    std::string result;
    std::size_t start = 0;
    while (true) {
        const std::size_t zero = text.find('\0', start);
        result += ExpandPiece(std::string(text.substr(start, zero - start)));
        if (zero == std::string_view::npos) return result;
        result += '\0';
        start = zero + 1;
    }
}

std::string Win32Files::WindowsDirectory() {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    UINT length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    }
    if (length == 0 || length >= buffer.size()) return {};
    std::string dir = Narrow(buffer.data(), length);
    if (dir.back() != '\\') dir += '\\';
    return dir;
}

std::vector<std::string> Win32Files::FontFolders() {
    std::vector<std::string> folders{WindowsDirectory() + "Fonts\\"};
    const std::string wine = WineDataFolder();
    if (!wine.empty()) folders.push_back(wine + "fonts\\");
    return folders;
}
bool Win32Files::DrivePresent(char letter) { return win32::DrivePresent(letter); }

bool Win32Files::ListDirectory(std::string_view folder, std::vector<DirEntry>& entries) {
    if (!Probeable(folder)) return false;  // the pattern "\*" would list the drive root
    std::string pattern(folder);
    if (pattern.back() != '\\') pattern += '\\';
    pattern += '*';
    const std::wstring widePattern = LongPathForm(pattern);

    RedirectionPause pause(*this);
    WIN32_FIND_DATAW found{};
    OwnedHandle search(FindFirstFileW(widePattern.c_str(), &found), FindClose);
    if (!search.Valid()) {
        // A drive root has no "." entry, so an empty one matches nothing at all.
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
        entries.clear();
        return true;
    }
    std::vector<DirEntry> listed;
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        listed.push_back({Narrow(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                          (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileW(search.Get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) return false;
    entries = std::move(listed);
    return true;
}

bool Win32Files::ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) {
    if (!Probeable(path)) return false;
    const std::wstring wide = LongPathForm(path);
    RedirectionPause pause(*this);
    OwnedHandle file(CreateFileW(wide.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr),
                     CloseHandle);
    if (!file.Valid()) return false;
    std::string data;
    while (data.size() < maxBytes) {
        const std::size_t start = data.size();
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(kReadChunk, maxBytes - start));
        data.resize(start + want);
        DWORD got = 0;
        if (!ReadFile(file.Get(), data.data() + start, want, &got, nullptr)) return false;
        data.resize(start + got);
        if (got == 0) break;  // end of file
    }
    bytes = std::move(data);
    return true;
}

bool Win32Files::DeleteFile(std::string_view path) {
    if (!Probeable(path)) return false;
    const std::wstring wide = LongPathForm(path);
    RedirectionPause pause(*this);
    return DeleteFileW(wide.c_str()) != FALSE;
}

}  // namespace hivewarden::registry
