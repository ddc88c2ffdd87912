// HivewardenGui.exe: one instance per session, the engine's start, the auto-run entry, the
// main window and its message loop over the live registry and file system.
#include <ctime>
#include <string>

#include "registry/access.h"
#include "registry/win32_files.h"
#include "registry/win32_store.h"
#include "repair/backup_restore.h"
#include "scan/probe_cache.h"
#include "scan/scan_session.h"
#include "ui/win32/main_frame.h"

namespace {

constexpr const char* kInstanceMutex = "KestovarHivewardenSingleInstance";

// The program's folder as the system reports it, and its file name without ".exe".
hivewarden::ui::ProgramInfo ProgramOf(const char* arguments) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path);
    const std::size_t slash = full.find_last_of('\\');
    std::string folder = full.substr(0, slash);
    std::string name = full.substr(slash + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    // A drive's root folder is reported with its backslash ("C:\").
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return {folder, name, arguments != nullptr ? arguments : ""};
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int show) {
    using namespace hivewarden;
    // A second instance ends at once, silently.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kInstanceMutex);
    if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    OleInitialize(nullptr);

    registry::Win32Store store;
    registry::Win32Files files;
    scan::CachingProbes probes(files);
    engine::ScanState state;
    registry::RegistryAccess access(store, probes, state);
    scan::PathContext paths{probes, probes.WindowsDirectory(), &state};
    scan::ScanSession session(state, access, paths);
    ui::ProgramInfo program = ProgramOf(arguments);

    // Files may change between two scans: each scan asks the file system afresh.
    ui::win32::MainFrame frame(
        instance, ui::WindowServices{session, LocalNow, [&probes] { probes.Clear(); }}, program);
    frame.Logic().ProgramEntry();
    if (!frame.Create()) {
        MessageBoxA(nullptr, "The main window could not be created.", "Kestovar Hivewarden",
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
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(frame.Window(), &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return 0;
}
