// Backups restored by the system's own registry editor: random trees in a throwaway key of the
// live registry are backed up and repaired through the Windows store, then the backup file is
// imported by `regedit /s` (and, under Wine, by the shell's default action for .reg files);
// afterwards every key and value must be back, byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "registry/win32_store.h"
#include "repair/backup_restore.h"
#include "repair/repair_executor.h"
#include "support/random_registry_tree.h"
#include "support/registry_snapshot.h"
#include "support/repair_machine.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

using LiveMachine = BasicRepairMachine<registry::Win32Store>;

constexpr int kTrees = 25;
constexpr std::uint32_t kSeed = 0xBEE5u;
// ERROR_ELEVATION_REQUIRED, which the mingw headers lack.
constexpr DWORD kErrorElevationRequired = 740;

// HKEY_CURRENT_USER\Software\HivewardenRegedit-<pid>-<n>, deleted with everything below it.
class ThrowawayBranch {
  public:
    ThrowawayBranch() {
        Path = ClaimFreshName("Software\\HivewardenRegedit-", [](const std::string& path) {
            HKEY key = nullptr;
            DWORD disposition = 0;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ, nullptr,
                                &key, &disposition) != ERROR_SUCCESS) {
                return false;
            }
            RegCloseKey(key);
            return disposition == REG_CREATED_NEW_KEY;
        });
    }
    ~ThrowawayBranch() {
        if (!Path.empty()) RegDeleteTreeA(HKEY_CURRENT_USER, Path.c_str());
    }
    ThrowawayBranch(const ThrowawayBranch&) = delete;
    ThrowawayBranch& operator=(const ThrowawayBranch&) = delete;

    std::string Path;
};

std::string RegeditPath() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\regedit.exe";
}

// Runs `regedit /s "file"` and waits for it; the exit code, or -1 with `error` set when the
// editor could not be started.
int RunRegeditImport(const std::string& file, DWORD& error) {
    std::string command = "\"" + RegeditPath() + "\" /s \"" + file + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
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

// Grows a tree below the branch, snapshots it, then backs it up and repairs it with random
// findings; the snapshot from before the repair.
RegistrySnapshot GrowAndRepair(TreeMaker& maker, LiveMachine& m, const std::string& top,
                               const std::string& topPath, bool& changed) {
    std::vector<ValueRef> values;
    const std::vector<std::string> keys = maker.Grow(m, top, values);
    RegistrySnapshot before = SnapshotTree(m.Store, registry::kCurrentUser, topPath);
    AddRandomFindings(maker, m, keys, values);
    const repair::RepairResult result =
        repair::RepairScanResults(m.State, m.Access, m.BackupPath());
    EXPECT_TRUE(result.Ok()) << (result.Error ? result.Error->Message : "");
    EXPECT_TRUE(result.Skipped.empty());
    changed = result.Changed > 0;
    return before;
}

TEST(RegeditRoundTrip, TheRegistryEditorRestoresEveryBackedUpValueExactly) {
    ThrowawayBranch branch;
    ASSERT_FALSE(branch.Path.empty());
    std::mt19937 rng(kSeed);
    TreeMaker maker(rng);
    int changedTrees = 0;
    for (int t = 0; t < kTrees; ++t) {
        SCOPED_TRACE("tree " + std::to_string(t));
        LiveMachine m;
        const std::string topPath = branch.Path + "\\T" + std::to_string(t) + maker.KeyName();
        bool changed = false;
        const RegistrySnapshot before =
            GrowAndRepair(maker, m, "HKEY_CURRENT_USER\\" + topPath, topPath, changed);
        if (changed) {
            ++changedTrees;
            EXPECT_NE(SnapshotTree(m.Store, registry::kCurrentUser, topPath), before);
        }

        DWORD error = 0;
        const int exitCode = RunRegeditImport(m.BackupPath(), error);
        if (exitCode == -1 && error == kErrorElevationRequired) {
            GTEST_SKIP() << "the registry editor needs elevation here";
        }
        ASSERT_EQ(exitCode, 0) << "regedit could not import " << m.BackupPath() << " (error "
                               << error << ")";
        const RegistrySnapshot after = SnapshotTree(m.Store, registry::kCurrentUser, topPath);
        ASSERT_TRUE(after == before) << DescribeDifference(after, before);
    }
    EXPECT_GT(changedTrees, kTrees * 3 / 4);
}

// HKEY_CLASSES_ROOT\.reg -> regfile -> shell\open\command as Windows has it, for the time of a
// test, when the system has no association of its own.
class RegFileAssociation {
  public:
    RegFileAssociation() {
        HKEY existing = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".reg", 0, KEY_READ, &existing) == ERROR_SUCCESS) {
            RegCloseKey(existing);
            return;
        }
        const std::string command = "\"" + RegeditPath() + "\" \"%1\"";
        Created = Set(".reg", "regfile") && Set("regfile\\shell\\open\\command", command);
    }
    ~RegFileAssociation() {
        if (!Created) return;
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ".reg");
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "regfile");
    }
    RegFileAssociation(const RegFileAssociation&) = delete;
    RegFileAssociation& operator=(const RegFileAssociation&) = delete;

    bool Created = false;

  private:
    static bool Set(const char* path, const std::string& text) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const LONG status =
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
};

TEST(RegeditRoundTrip, TheShellHandOverRestoresTheBackupThroughTheDefaultAction) {
    // On Windows the registry editor asks before it imports; only Wine imports unattended.
    if (!RunningUnderWine()) GTEST_SKIP() << "the import would wait for the user";
    RegFileAssociation association;
    ThrowawayBranch branch;
    ASSERT_FALSE(branch.Path.empty());
    std::mt19937 rng(kSeed + 1);
    TreeMaker maker(rng);
    LiveMachine m;
    const std::string topPath = branch.Path + "\\Shell";
    // A tree whose repair changes something, so that the restore has work to do.
    RegistrySnapshot before;
    bool changed = false;
    for (int attempt = 0; attempt < 10 && !changed; ++attempt) {
        RegDeleteTreeA(HKEY_CURRENT_USER, topPath.c_str());
        m.State.ResetForScan();
        before = GrowAndRepair(maker, m, "HKEY_CURRENT_USER\\" + topPath, topPath, changed);
    }
    ASSERT_TRUE(changed);

    repair::ShellImporter importer;
    const std::vector<repair::RestoreOutcome> outcomes =
        repair::RestoreBackups(m.Folder.Folder(), {"backup.reg"}, importer);
    ASSERT_EQ(outcomes.size(), 1u);
    ASSERT_TRUE(outcomes[0].Status) << outcomes[0].Status.Message;

    // The hand-over does not wait for the import.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    RegistrySnapshot after = SnapshotTree(m.Store, registry::kCurrentUser, topPath);
    while (after != before && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        after = SnapshotTree(m.Store, registry::kCurrentUser, topPath);
    }
    EXPECT_TRUE(after == before) << DescribeDifference(after, before);
}

}  // namespace
}  // namespace hivewarden::testing
