// A backup applies whole or not at all: when the registry refuses one of its changes, every
// change made before it is undone, so the registry is exactly as it was; what could not be
// undone is named.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "regfile/regfile.h"
#include "repair/all_or_nothing_import.h"
#include "repair/backup_restore.h"
#include "support/fake_probes.h"
#include "support/registry_snapshot.h"
#include "support/repair_machine.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;

// Before: Software\App with Keep, Old and Gone; Software\Vendor\Tree with a child and a value.
void Prepare(registry::RegistryStore& store) {
    const registry::RegFileParse before = registry::ParseRegFile(
        "REGEDIT4\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\App]\r\n"
        "\"Keep\"=\"same\"\r\n\"Old\"=\"before\"\r\n\"Gone\"=dword:00000001\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor\\Tree\\Child]\r\n\"In\"=hex:01,02,03\r\n\r\n",
        "before.reg");
    ASSERT_TRUE(before.Status) << before.Status.Message;
    ASSERT_TRUE(registry::ApplyRegFile(before.File, store));
}

// Changes of every kind, then `last`.
std::string BackupEndingWith(const std::string& last) {
    return "REGEDIT4\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\App]\r\n"
           "\"Old\"=\"after\"\r\n\"New\"=\"added\"\r\n\"Gone\"=-\r\n\r\n"
           "[-HKEY_CURRENT_USER\\Software\\Vendor\\Tree]\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Fresh\\Deeper]\r\n\"V\"=\"x\"\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\App]\r\n" +
           last + "\r\n";
}

// The backup ending with `last`, parsed and applied all or nothing to `store`.
repair::AllOrNothingResult ApplyBackupEndingWith(const std::string& last,
                                                 registry::RegistryStore& store) {
    const registry::RegFileParse parsed =
        registry::ParseRegFile(BackupEndingWith(last), "backup.reg");
    EXPECT_TRUE(parsed.Status) << parsed.Status.Message;
    FakeProbes probes;
    registry::EngineSignals signals;
    registry::RegistryAccess access(store, probes, signals);
    return repair::ApplyAllOrNothing(parsed.File, access);
}

TEST(AllOrNothingImport, ARefusedChangeUndoesEveryChangeBeforeIt) {
    RefusingStore store;
    Prepare(store);
    const RegistrySnapshot before = Snapshot(store);
    store.RefuseWrite.insert("Locked");
    const repair::AllOrNothingResult result = ApplyBackupEndingWith("\"Locked\"=\"x\"", store);
    EXPECT_FALSE(result.Applied());
    EXPECT_THAT(result.Failure, HasSubstr("backup.reg:14: cannot write value \"Locked\""));
    EXPECT_EQ(result.UndoFailure, "");
    EXPECT_EQ(Snapshot(store), before) << DescribeDifference(Snapshot(store), before);
}

TEST(AllOrNothingImport, AGoodFileAppliesWhole) {
    RefusingStore store;
    Prepare(store);
    ASSERT_TRUE(ApplyBackupEndingWith("\"Last\"=\"y\"", store).Applied());

    // The same file applied without the journal gives the same registry.
    registry::MemoryStore plain;
    Prepare(plain);
    const registry::RegFileParse parsed =
        registry::ParseRegFile(BackupEndingWith("\"Last\"=\"y\""), "backup.reg");
    ASSERT_TRUE(registry::ApplyRegFile(parsed.File, plain));
    EXPECT_EQ(Snapshot(store), Snapshot(plain));
    EXPECT_EQ(Snapshot(store).count("HKEY_CURRENT_USER\\Software\\Vendor\\Tree"), 0u);
}

TEST(AllOrNothingImport, TheImporterSaysWhatWasAppliedAndWhatCouldNotBePutBack) {
    TempFolder tmp;
    const std::string backup = tmp.Write("backup.reg", BackupEndingWith("\"Locked\"=\"x\""));
    struct Case {
        const char* Name;
        const char* AlsoRefused;  // a write the undo needs
        const char* Message;
    };
    const Case kCases[] = {
        {"everything put back", "", "; nothing of "},
        {"the deleted value cannot be written back", "Gone",
         "failed too: cannot write back value \"Gone\" of HKEY_CURRENT_USER\\Software\\App"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        RefusingStore store;
        Prepare(store);
        store.RefuseWrite.insert("Locked");
        if (*c.AlsoRefused) store.RefuseWrite.insert(c.AlsoRefused);
        repair::StoreImporter importer(store, &Windows1252(), true);
        const registry::FileStatus status = importer.Import(backup);
        EXPECT_FALSE(status);
        EXPECT_THAT(status.Message, HasSubstr(":14: cannot write value \"Locked\""));
        EXPECT_THAT(status.Message, HasSubstr(c.Message));
    }
}

}  // namespace
}  // namespace hivewarden::testing
