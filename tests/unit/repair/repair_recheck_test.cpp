// The repair's second look: just before each change the entry is read again, and an entry
// that is no longer what the scan saw is left alone and listed as changed since the scan,
// while the others go on; and a stop request after the backup ends the repair between two
// entries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "repair/repair_executor.h"
#include "support/repair_machine.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;

constexpr const char* kApp = "HKEY_LOCAL_MACHINE\\Software\\Vendor\\App";
constexpr const char* kOther = "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Other";
constexpr const char* kClass = "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Class";

struct StaleCase {
    const char* Name;
    // Makes the finding (entry 1) from the registry as the scan saw it.
    std::function<void(RepairMachine&)> Scan;
    // What happens between the scan and the repair.
    std::function<void(RepairMachine&)> Meanwhile;
    bool TargetExistsAgain = false;
    bool Repaired = false;  // the change still goes ahead
};

const StaleCase kStaleCases[] = {
    {"an untouched value is deleted",
     [](RepairMachine& m) { m.Text(kApp, "v", "C:\\gone.exe").ValueFinding(kApp, "v", true); },
     [](RepairMachine&) {}, false, true},
    {"a value whose data became a valid path is kept",
     [](RepairMachine& m) { m.Text(kApp, "v", "C:\\gone.exe").ValueFinding(kApp, "v", true); },
     [](RepairMachine& m) { m.Text(kApp, "v", "C:\\Windows\\notepad.exe"); }, false, false},
    {"a value whose type changed with the same bytes is kept",
     [](RepairMachine& m) { m.Text(kApp, "v", "C:\\gone.exe").ValueFinding(kApp, "v", true); },
     [](RepairMachine& m) { m.Raw(kApp, "v", registry::kRegExpandSz, SzBytes("C:\\gone.exe")); },
     false, false},
    {"a value whose file came back is kept",
     [](RepairMachine& m) {
         m.Text(kApp, "v", "C:\\gone.exe").ValueFinding(kApp, "v", true).TargetWasMissing = true;
     },
     [](RepairMachine&) {}, true, false},
    {"a value to be changed whose data changed is kept",
     [](RepairMachine& m) {
         m.Text(kApp, "v", "C:\\gone.exe").ValueFinding(kApp, "v", false, "C:\\new.exe");
     },
     [](RepairMachine& m) { m.Text(kApp, "v", "C:\\other.exe"); }, false, false},
    {"an empty key that was filled is kept",
     [](RepairMachine& m) { m.Key(kApp).KeyFinding(kApp).IsEmptyKey = true; },
     [](RepairMachine& m) { m.Text(kApp, "new", "1"); }, false, false},
    {"an empty key still empty is deleted",
     [](RepairMachine& m) { m.Key(kApp).KeyFinding(kApp).IsEmptyKey = true; },
     [](RepairMachine&) {}, false, true},
    {"a class whose server value changed is kept",
     [](RepairMachine& m) {
         const std::string server = std::string(kClass) + "\\InprocServer32";
         m.Text(server, "", "C:\\gone.dll");
         engine::ErrorEntry& entry = m.KeyFinding(kClass);
         registry::KeyReader reader =
             m.Access.ReadKey(registry::kLocalMachine, "Software\\Vendor\\Class\\InprocServer32");
         scan::RecordScannedValue(entry, reader, registry::kLocalMachine,
                                  "Software\\Vendor\\Class\\InprocServer32", "");
         entry.IsComServer = true;
     },
     [](RepairMachine& m) {
         m.Text(std::string(kClass) + "\\InprocServer32", "", "C:\\Windows\\new.dll");
     },
     false, false},
};

TEST(RepairRecheck, AnEntryNoLongerAsScannedIsLeftAloneAndTheOthersGoOn) {
    for (const StaleCase& c : kStaleCases) {
        SCOPED_TRACE(c.Name);
        RepairMachine m;
        c.Scan(m);
        // A second finding, untouched, after the first: it is repaired whatever the first did.
        m.Text(kOther, "w", "C:\\gone2.exe").ValueFinding(kOther, "w", true);
        c.Meanwhile(m);
        repair::RepairOptions options;
        std::vector<std::string> asked;
        options.TargetStillMissing = [&](std::string_view keyPath, std::string_view data) {
            asked.push_back(std::string(keyPath) + "|" + std::string(data));
            return !c.TargetExistsAgain;
        };
        const repair::RepairResult result =
            repair::RepairScanResults(m.State, m.Access, m.BackupPath(), options);
        ASSERT_TRUE(result.Ok()) << result.Error->Message;
        EXPECT_FALSE(m.HasValue(kOther, "w"));
        if (c.Repaired) {
            EXPECT_TRUE(result.Failed.empty());
            EXPECT_EQ(result.Changed, 2);
        } else {
            ASSERT_EQ(result.Failed.size(), 1u);
            EXPECT_EQ(result.Failed[0].Index, 1);
            EXPECT_THAT(result.Failed[0].Reason, HasSubstr("changed since the scan"));
            EXPECT_EQ(result.Changed, 1);
            // What the first entry names is still there.
            EXPECT_TRUE(m.HasValue(kApp, "v") || m.HasKey(kApp) || m.HasKey(kClass));
        }
        if (c.TargetExistsAgain) {
            EXPECT_EQ(asked, std::vector<std::string>{std::string(kApp) + "|C:\\gone.exe"});
        }
    }
}

TEST(RepairRecheck, ACustomHitWhoseDataChangedIsLeftAlone) {
    RepairMachine m;
    m.Text(kApp, "a", "PhotoMagic here").Text(kApp, "b", "PhotoMagic there");
    m.ValueHit(kApp, "a", true);
    m.ValueHit(kApp, "b", false, "replaced");
    m.Text(kApp, "a", "something else now").Text(kApp, "b", "changed too");
    const repair::RepairResult result =
        repair::RepairCustomHits(m.State, m.Access, m.BackupPath());
    ASSERT_TRUE(result.Ok());
    ASSERT_EQ(result.Failed.size(), 2u);
    EXPECT_THAT(result.Failed[0].Reason, HasSubstr("changed since the scan"));
    registry::RawValue b;
    ASSERT_TRUE(m.HasValue(kApp, "a"));
    ASSERT_TRUE(m.HasValue(kApp, "b", &b));
    EXPECT_EQ(b.Bytes, SzBytes("changed too"));
}

TEST(RepairTextType, AChangeKeepsAnExpandableValueExpandableAndAReplaceStoresPlainText) {
    RepairMachine m;
    m.Raw(kApp, "found", registry::kRegExpandSz, SzBytes("%SystemRoot%\\gone.dll"));
    m.Raw(kApp, "hit", registry::kRegExpandSz, SzBytes("%SystemRoot%\\PhotoMagic.dll"));
    m.ValueFinding(kApp, "found", false, "%SystemRoot%\\System32\\ok.dll");
    m.ValueHit(kApp, "hit", false, "replaced");
    ASSERT_TRUE(repair::RepairScanResults(m.State, m.Access, m.BackupPath()).Ok());
    ASSERT_TRUE(repair::RepairCustomHits(m.State, m.Access, m.Folder.File("custom.reg")).Ok());
    registry::RawValue found;
    registry::RawValue hit;
    ASSERT_TRUE(m.HasValue(kApp, "found", &found));
    ASSERT_TRUE(m.HasValue(kApp, "hit", &hit));
    EXPECT_EQ(found, (registry::RawValue{registry::kRegExpandSz,
                                         SzBytes("%SystemRoot%\\System32\\ok.dll")}));
    EXPECT_EQ(hit, (registry::RawValue{registry::kRegSz, SzBytes("replaced")}));
}

TEST(RepairRecheck, AStopAfterTheBackupEndsTheRepairBetweenTwoEntries) {
    RepairMachine m;
    for (const char* name : {"a", "b", "c"}) {
        m.Text(kApp, name, "C:\\gone.exe").ValueFinding(kApp, name, true);
    }
    // The apply pass starts at 50%: the first change is made, then Ctrl+C.
    m.State.YieldHook = [&m] {
        if (m.State.ProgressPercent > 50) m.State.StopRequested = true;
    };
    const repair::RepairResult result = repair::RepairScanResults(m.State, m.Access, m.BackupPath());
    ASSERT_TRUE(result.Ok());
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(result.Changed, 1);
    EXPECT_EQ(result.NotApplied, (std::vector<std::int32_t>{2, 3}));
    EXPECT_FALSE(m.HasValue(kApp, "a"));
    EXPECT_TRUE(m.HasValue(kApp, "b"));
    EXPECT_TRUE(m.HasValue(kApp, "c"));
}

}  // namespace
}  // namespace hivewarden::testing
