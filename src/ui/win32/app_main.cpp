// HivewardenGui.exe: one instance per session, the engine's start, the auto-run entry, the
// main window and its message loop over the live registry and file system.
#include <ctime>
#include <string>

#include <memory>

#include "machine/machine.h"
#include "repair/backup_restore.h"
#include "store/access.h"
#include "scan/probe_cache.h"
#include "scan/scan_session.h"
#include "ui/win32/main_frame.h"
#include "ui/win32/wide_text.h"

namespace {

constexpr const wchar_t* kInstanceMutex = L"KestovarHivewardenSingleInstance";
// Long enough for any path the system can start a program from (\\?\ paths included).
constexpr DWORD kLongestPath = 32768;

// The program's own path; the buffer grows until the whole path fits.
std::wstring ModulePath() {
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
        if (length < size || size >= kLongestPath) {
            path.resize(length < size ? length : 0);
            return path;
        }
    }
}

// The program's folder as the system reports it, and its file name without ".exe".
hivewarden::ui::ProgramInfo ProgramOf(const wchar_t* arguments) {
    using hivewarden::ui::win32::Utf8;
    const std::string full = Utf8(ModulePath());
    const std::size_t slash = full.find_last_of('\\');
    std::string folder = full.substr(0, slash);
    std::string name = full.substr(slash + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    // A drive's root folder is reported with its backslash ("C:\").
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return {folder, name, arguments != nullptr ? Utf8(arguments) : std::string()};
}

std::tm LocalNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::tm local{};
    local.tm_year = now.wYear - 1900;
    local.tm_mon = now.wMonth - 1;
    local.tm_mday = now.wDay;
    local.tm_hour = now.wHour;
    local.tm_min = now.wMinute;
    local.tm_sec = now.wSecond;
    return local;
}

}  // namespace

// The wide entry point (linked with -municode): the command line arrives as UTF-16.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR arguments, int show) {
    using namespace hivewarden;
    // A second instance ends at once, silently.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kInstanceMutex);
    if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    OleInitialize(nullptr);

    // The live machine: the registry through advapi32, the files through the shell.
    std::string error;
    const std::unique_ptr<machine::Machine> live = machine::OpenMachine({}, {}, error);
    if (!live) {
        MessageBoxW(nullptr, ui::win32::Wide(error).c_str(), L"Kestovar Hivewarden",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    scan::CachingProbes probes(live->Probes());
    engine::ScanState state;
    registry::RegistryAccess access(live->Store(), probes, state);
    scan::PathContext paths{probes, probes.WindowsDirectory(), &state, probes.FontFolders()};
    scan::ScanSession session(state, access, paths);
    // A repair asks the file system itself, not the scan's answers, before each change.
    scan::PathContext recheckPaths{live->Probes(), probes.WindowsDirectory(), nullptr,
                                   paths.FontFolders};
    session.RecheckPaths = &recheckPaths;
    ui::ProgramInfo program = ProgramOf(arguments);

    // Files may change between two scans: each scan asks the file system afresh.
    ui::win32::MainFrame frame(
        instance, ui::WindowServices{session, LocalNow, [&probes] { probes.Clear(); }}, program);
    frame.Logic().ProgramEntry();
    if (!frame.Create()) {
        MessageBoxW(nullptr, L"The main window could not be created.", L"Kestovar Hivewarden",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    // Restores hand each checked backup to the system's default action, owned by the window.
    repair::ShellImporter importer(frame.Window());
    frame.Logic().SetBackupImporter(&importer);
    frame.Logic().Load();
    // After "&No" in the start-up prompt the program waits in the notification area.
    const bool waitingInTray = program.Arguments.size() >= 2 && !frame.Logic().ScanAtStart;
    if (!waitingInTray) {
        ShowWindow(frame.Window(), show);
        frame.Logic().Resized();
        UpdateWindow(frame.Window());
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(frame.Window(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}
