// The default-action hand-over through ShellExecuteW (the UTF-8 path converted at this edge).
// COM is initialised around the call, as the shell wants it for file types whose action is a
// shell extension. Windows builds only.
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <cstdint>
#include <string_view>

#include "files/shell_open.h"
#include "files/win32_system.h"

namespace hivewarden::registry {
namespace {

// ShellExecuteW reports failure as a number of 32 or less; these are the ones it documents.
struct ShellError {
    std::intptr_t Code;
    std::string_view Reason;
};

constexpr ShellError kShellErrors[] = {
    {0, "the system is out of memory or resources"},
    {ERROR_FILE_NOT_FOUND, "the file was not found"},
    {ERROR_PATH_NOT_FOUND, "the path was not found"},
    {ERROR_BAD_FORMAT, "the program for this file type is not a valid application"},
    {SE_ERR_ACCESSDENIED, "access denied"},
    {SE_ERR_OOM, "not enough memory"},
    {SE_ERR_SHARE, "a sharing violation occurred"},
    {SE_ERR_ASSOCINCOMPLETE, "the file type's association is incomplete"},
    {SE_ERR_DDETIMEOUT, "the DDE request timed out"},
    {SE_ERR_DDEFAIL, "the DDE transaction failed"},
    {SE_ERR_DDEBUSY, "the DDE server is busy"},
    {SE_ERR_NOASSOC, "no program is associated with this file type"},
    {SE_ERR_DLLNOTFOUND, "a required library was not found"},
};

std::string ShellErrorText(std::intptr_t code) {
    for (const ShellError& error : kShellErrors) {
        if (error.Code == code) return std::string(error.Reason);
    }
    return "error " + std::to_string(code);
}

// Balances a successful CoInitializeEx (S_OK, or S_FALSE when COM was already initialised on
// this thread); a thread initialised in another mode is left as it is.
class ComScope {
  public:
    ComScope()
        : initialised_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComScope() {
        if (initialised_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool initialised_;
};

}  // namespace

bool HasShellOpen() { return true; }

FileStatus ShellOpen(const std::string& path, void* ownerWindow) {
    ComScope com;
    const std::wstring file = win32::Wide(path);
    const HINSTANCE result = ShellExecuteW(static_cast<HWND>(ownerWindow), nullptr, file.c_str(),
                                           nullptr, nullptr, SW_SHOWNORMAL);
    const auto code = reinterpret_cast<std::intptr_t>(result);
    if (code > 32) return {};
    return FileStatus::Failure("cannot open " + path + ": " + ShellErrorText(code));
}

}  // namespace hivewarden::registry
