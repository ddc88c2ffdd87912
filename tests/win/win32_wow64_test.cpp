// A 32-bit build on 64-bit Windows sees the machine as the system's own tools do: the command
// line (run in-process, as hivewarden.exe runs it) finds a file that exists only in the 64-bit
// system folder and a value that exists only in the 64-bit registry view. A 64-bit build sees
// both natively; the same checks hold for it. Entries of the 32-bit registry view are probed as
// 32-bit programs see the system folders, by both builds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "files/win32_files.h"
#include "scan/scan_options.h"
#include "support/cli_runner.h"
#include "support/fake_machine.h"
#include "support/raw_values.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

using DisableRedirectionFn = BOOL(WINAPI*)(PVOID*);
using RevertRedirectionFn = BOOL(WINAPI*)(PVOID);

// The Windows folder (UTF-8, without a trailing backslash).
std::string WindowsFolder() {
    wchar_t windows[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH + 1);
    return Utf8Of(std::wstring_view(windows, length));
}

// A file in a folder of the Windows folder (by default the native system folder, System32 of
// the 64-bit system), made with the WOW64 redirection switched off; removed at the end.
class NativeSystemFile {
  public:
    explicit NativeSystemFile(const std::string& folder = "System32") {
        const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
        disable_ = reinterpret_cast<DisableRedirectionFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(kernel32, "Wow64DisableWow64FsRedirection")));
        revert_ = reinterpret_cast<RevertRedirectionFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(kernel32, "Wow64RevertWow64FsRedirection")));
        const std::string prefix = WindowsFolder() + "\\" + folder + "\\hw-wow64-";
        Path = ClaimFreshName(prefix, [&](const std::string& p) {
            return Native([&] {
                const HANDLE file =
                    CreateFileW(WideOf(p + ".dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
                if (file == INVALID_HANDLE_VALUE) return false;
                CloseHandle(file);
                return true;
            });
        });
        if (!Path.empty()) Path += ".dll";
    }
    ~NativeSystemFile() {
        if (!Path.empty()) Native([&] { return DeleteFileW(WideOf(Path).c_str()) != FALSE; });
    }
    NativeSystemFile(const NativeSystemFile&) = delete;
    NativeSystemFile& operator=(const NativeSystemFile&) = delete;

    // True when this process's own (redirected) file calls see the file.
    bool SeenRedirected() const {
        return GetFileAttributesW(WideOf(Path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string Path;  // empty when the system folder is not writable here

  private:
    template <typename Action>
    bool Native(Action action) {
        PVOID previous = nullptr;
        const bool paused = TestProcessIsWow64() && disable_ != nullptr && revert_ != nullptr &&
                            disable_(&previous);
        const bool done = action();
        if (paused) revert_(previous);
        return done;
    }

    DisableRedirectionFn disable_ = nullptr;
    RevertRedirectionFn revert_ = nullptr;
};

TEST(Wow64, AFileOnlyInTheNativeSystemFolderIsFound) {
    NativeSystemFile file;
    if (file.Path.empty()) GTEST_SKIP() << "the system folder is not writable here";
    // A 32-bit process's own calls are sent to SysWOW64, where the file is not.
    EXPECT_EQ(file.SeenRedirected(), !TestProcessIsWow64());
    const CliResult r = RunCli({"path", "--json", file.Path});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    const nlohmann::json json = nlohmann::json::parse(r.Out);
    EXPECT_EQ(json["path"], file.Path);
    EXPECT_EQ(json["missing"], false);
}

// The live file probes answer for a 32-bit entry where a 32-bit program finds its file: a
// value under Wow6432Node that names System32 is found in SysWOW64, and Sysnative is the
// 64-bit System32 for every entry. The same whether this build is redirected or not.
TEST(Wow64, EachEntryIsProbedWhereItsProgramFindsTheFile) {
    NativeSystemFile file("SysWOW64");
    if (file.Path.empty()) GTEST_SKIP() << "no writable 32-bit system folder here";
    const std::string name = file.Path.substr(file.Path.rfind('\\') + 1);
    const std::string run = "Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string wowKey = "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\" + run;
    const std::string nativeKey = "HKEY_LOCAL_MACHINE\\Software\\" + run;
    const std::string only32 = WindowsFolder() + "\\System32\\" + name;
    const std::string sysnative = WindowsFolder() + "\\Sysnative\\kernel32.dll";
    FakeMachine machine;  // its registry; the files are the live ones
    machine.Text(wowKey, "Only32", only32)
        .Text(nativeKey, "Only32", only32)
        .Text(wowKey, "Native", sysnative)
        .Text(nativeKey, "Native", sysnative);
    registry::Win32Files files;
    const engine::ScanResultList& results = machine.ScanWith(files, scan::ScanAll);
    ASSERT_EQ(results.Count(), 1);
    EXPECT_EQ(results[1].KeyPath, nativeKey);
    EXPECT_EQ(results[1].ItemName, "Only32");
}

TEST(Wow64, AValueOnlyInThe64BitRegistryViewIsFound) {
    BOOL wow64 = FALSE;
    const bool system64 =
        sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
    if (!system64) GTEST_SKIP() << "a 32-bit system has one registry view";
    // Writing below HKLM needs an administrator on Windows; Wine lets everybody.
    ThrowawayKey key("HivewardenWow64-", HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    if (key.Path.empty()) GTEST_SKIP() << "HKEY_LOCAL_MACHINE\\Software is not writable here";
    const std::string marker = "hw-wow64-marker-" + key.Path.substr(key.Path.find('-') + 1);
    ASSERT_EQ(SetValueW(HKEY_LOCAL_MACHINE, key.Path, "v", REG_SZ, SzBytes(marker),
                        KEY_WOW64_64KEY),
              ERROR_SUCCESS);
    DWORD type = REG_NONE;
    std::string bytes;
    EXPECT_FALSE(QueryValueW(HKEY_LOCAL_MACHINE, key.Path, "v", type, bytes, KEY_WOW64_32KEY));

    const CliResult r = RunCli({"search", "--json", marker});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    const nlohmann::json hits = nlohmann::json::parse(r.Out)["hits"];
    ASSERT_EQ(hits.size(), 1u) << r.Out;
    EXPECT_EQ(hits[0]["Location"], "HKEY_LOCAL_MACHINE\\" + key.Path + "\\v");
    EXPECT_EQ(hits[0]["ItemData"], marker);
}

}  // namespace
}  // namespace hivewarden::testing
