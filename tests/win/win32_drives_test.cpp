// Drive presence as Windows answers it: a letter nothing is mapped to is not present, the
// system drive is; and a scan over the real probes reports a path on the unmapped letter as
// "Drive not present" with Ignore, as the window and the command line show it.
#include "files/win32_drives.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/scan_state.h"
#include "files/win32_files.h"
#include "scan/probe_cache.h"
#include "scan/results/result_rows.h"
#include "scan/scan_controller.h"
#include "scan/scan_options.h"
#include "scan/scan_session.h"
#include "store/access.h"
#include "store/memory_store.h"
#include "support/recording_front_end.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

// The last letter with no root directory (nothing mapped to it); '\0' when every letter is in
// use.
char UnmappedLetter() {
    for (char letter = 'Z'; letter >= 'D'; --letter) {
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
        if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) return letter;
    }
    return '\0';
}

char SystemDriveLetter() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return length >= 2 && folder[1] == L':' ? static_cast<char>(folder[0]) : '\0';
}

TEST(Win32Drives, AnUnmappedLetterIsNotPresentAndTheSystemDriveIs) {
    const char unmapped = UnmappedLetter();
    if (unmapped == '\0') GTEST_SKIP() << "every drive letter from D: to Z: is in use";
    const char system = SystemDriveLetter();
    ASSERT_NE(system, '\0');
    registry::Win32Files files;
    EXPECT_FALSE(files.DrivePresent(unmapped));
    EXPECT_FALSE(files.DrivePresent(static_cast<char>(unmapped - 'A' + 'a')));
    EXPECT_TRUE(files.DrivePresent(system));
    EXPECT_FALSE(files.DrivePresent('1'));
    EXPECT_FALSE(registry::win32::DrivePresent(unmapped));
}

TEST(Win32Drives, AScanReportsAPathOnAnUnmappedLetterAsDriveNotPresentWithIgnore) {
    const char unmapped = UnmappedLetter();
    if (unmapped == '\0') GTEST_SKIP() << "every drive letter from D: to Z: is in use";
    const std::string game = std::string(1, unmapped) + ":\\Games\\x.exe";

    registry::MemoryStore store;
    registry::Win32Files files;
    scan::CachingProbes probes(files);
    engine::ScanState state;
    registry::RegistryAccess access(store, probes, state);
    access.CreateKey(registry::kCurrentUser, "Software\\Vendor");
    access.SetValue(registry::kCurrentUser, "Software\\Vendor", "Game", registry::kTextKind, game);
    scan::PathContext paths{probes, probes.WindowsDirectory(), &state};
    scan::ScanSession session(state, access, paths);
    RecordingFrontEnd frontEnd;
    scan::RunScan(session, frontEnd, scan::ScanAll);

    ASSERT_EQ(state.ScanResults.Count(), 1);
    EXPECT_TRUE(state.ScanResults[1].IsAbsentDrive);
    scan::ResultGrid grid;
    grid.AddFindingsToGrid(std::vector<engine::ErrorEntry>{state.ScanResults[1]},
                           scan::ExclusionList{});
    ASSERT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.Row(1).ErrorKind, "Drive not present - " + game);
    EXPECT_EQ(grid.Row(1).Correction, "Ignore");
}

}  // namespace
}  // namespace hivewarden::testing
