// Check lines, screenshot requests, polling and the program's process.
#include "e2e/driver_support.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "e2e/utf8_text.h"

namespace hivewarden::e2e {
namespace {

constexpr DWORD kPaintSettleMs = 500;  // pending WM_PAINTs of the program run first
constexpr DWORD kScreenshotTimeoutMs = 20000;
constexpr DWORD kKillWaitMs = 5000;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool Checks::Check(bool passed, const std::string& what, const std::string& detail) {
    ++count_;
    if (!passed) ++failures_;
    std::printf("%s - %s", passed ? "ok" : "not ok", what.c_str());
    if (!passed && !detail.empty()) std::printf(" (%s)", detail.c_str());
    std::printf("\n");
    std::fflush(stdout);
    return passed;
}

void Checks::Note(const std::string& text) {
    std::printf("# %s\n", text.c_str());
    std::fflush(stdout);
}

bool Screenshots::Take(const std::string& name) {
    if (!Enabled()) return true;
    Sleep(kPaintSettleMs);
    const std::string request = folder_ + "\\" + name + ".req";
    const std::string done = folder_ + "\\" + name + ".done";
    DeleteFileW(Wide(done).c_str());
    const HANDLE file = CreateFileW(Wide(request).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    const bool answered = WaitUntil([&] { return FileExists(done); }, kScreenshotTimeoutMs, 50);
    DeleteFileW(Wide(done).c_str());
    return answered;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(pollMs);
    }
}

AppProcess::~AppProcess() {
    Kill();
    if (process_ != nullptr) CloseHandle(process_);
}

bool AppProcess::Start(const std::string& path, const std::string& arguments, std::string& error) {
    std::wstring commandLine = Wide("\"" + path + "\"");
    if (!arguments.empty()) commandLine += Wide(" " + arguments);
    const std::wstring folder = Wide(FolderOf(path));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(Wide(path).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        error = "CreateProcess failed with error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
}

bool AppProcess::Running() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool AppProcess::WaitExit(DWORD timeoutMs) const {
    return process_ != nullptr && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD AppProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_ != nullptr) GetExitCodeProcess(process_, &code);
    return code;
}

void AppProcess::Kill() {
    if (!Running()) return;
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, kKillWaitMs);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool EqualsNoCase(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

bool ContainsNoCase(const std::string& text, const std::string& part) {
    return Upper(text).find(Upper(part)) != std::string::npos;
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace hivewarden::e2e
