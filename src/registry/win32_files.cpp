// The file probes over shlwapi and kernel32. A probe that cannot answer (bad path, no access)
// answers false; nothing here throws, prints or keeps state beyond two function pointers.
#include "registry/win32_files.h"

#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <utility>

#include "registry/win32_system.h"

// <windows.h> renames DeleteFile to DeleteFileA; this class has a member of that name.
#undef DeleteFile

namespace hivewarden::registry {
namespace {

using DisableRedirectionFn = BOOL(WINAPI*)(PVOID*);
using RevertRedirectionFn = BOOL(WINAPI*)(PVOID);

// The shell's path functions and the ANSI file functions work on paths shorter than MAX_PATH;
// a longer path names no file for them, and shlwapi copies paths into MAX_PATH buffers.
bool Probeable(std::string_view path) {
    return !path.empty() && path.size() < MAX_PATH && path.find('\0') == std::string_view::npos;
}

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

// One zero-terminated piece of text with its %NAME% references replaced; names the
// environment does not know stay as written.
std::string ExpandPiece(const std::string& text) {
    DWORD size = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    while (size != 0 && size <= kMaxExpandedChars) {
        // The ANSI form may need one byte more than it reports.
        std::vector<char> buffer(size + 1, '\0');
        const DWORD needed =
            ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(size + 1));
        if (needed == 0) break;
        if (needed <= size + 1) return std::string(buffer.data());
        size = needed;  // the environment changed in between
    }
    return text;
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
    const std::string text(path);
    RedirectionPause pause(*this);
    return PathFileExistsA(text.c_str()) != FALSE;
}

bool Win32Files::IsDirectory(std::string_view path) {
    if (!Probeable(path)) return false;
    const std::string text(path);
    RedirectionPause pause(*this);
    return PathIsDirectoryA(text.c_str()) != FALSE;
}

bool Win32Files::IsNetworkPath(std::string_view path) {
    if (path.empty()) return false;
    // The answer depends on the start of the path only ("\\" or a mapped drive letter), so a
    // long path is asked about by its first characters. No redirection pause: the question
    // may load the network provider DLLs, which must come from the process's own system folder.
    std::string text(path.substr(0, std::min<std::size_t>(path.size(), MAX_PATH - 1)));
    text = text.c_str();  // up to an inner zero, as the function would see it
    return PathIsNetworkPathA(text.c_str()) != FALSE;
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
    std::vector<char> buffer(MAX_PATH + 1, '\0');
    UINT length = GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.assign(length + 1, '\0');
        length = GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
    }
    if (length == 0 || length >= buffer.size()) return {};
    std::string dir(buffer.data(), length);
    if (dir.back() != '\\') dir += '\\';
    return dir;
}

bool Win32Files::ListDirectory(std::string_view folder, std::vector<DirEntry>& entries) {
    if (folder.empty()) return false;  // the pattern "\*" would list the drive root
    std::string pattern(folder);
    if (pattern.back() != '\\') pattern += '\\';
    pattern += '*';
    if (!Probeable(pattern)) return false;

    RedirectionPause pause(*this);
    WIN32_FIND_DATAA found{};
    OwnedHandle search(FindFirstFileA(pattern.c_str(), &found), FindClose);
    if (!search.Valid()) {
        // A drive root has no "." entry, so an empty one matches nothing at all.
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
        entries.clear();
        return true;
    }
    std::vector<DirEntry> listed;
    do {
        const std::string_view name = found.cFileName;
        if (name == "." || name == "..") continue;
        listed.push_back({std::string(name),
                          (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                          (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileA(search.Get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) return false;
    entries = std::move(listed);
    return true;
}

bool Win32Files::ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) {
    if (!Probeable(path)) return false;
    const std::string text(path);
    RedirectionPause pause(*this);
    OwnedHandle file(CreateFileA(text.c_str(), GENERIC_READ,
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
    const std::string text(path);
    RedirectionPause pause(*this);
    return DeleteFileA(text.c_str()) != FALSE;
}

}  // namespace hivewarden::registry
