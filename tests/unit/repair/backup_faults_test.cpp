// Fault injection around the backup: the file cannot be created, the disk fills during the
// write, the flush fails, the file read back is not what was written, the repair is stopped
// during the backup. In every case the registry is left exactly as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "repair/repair_executor.h"
#include "support/registry_snapshot.h"
#include "support/repair_machine.h"
#include "support/scripted_durable_file.h"

namespace hivewarden::testing {
namespace {

// The system's own words for a path whose folder is a file.
#ifdef _WIN32
constexpr const char* kNotAFolderReason = "irectory name";
#else
constexpr const char* kNotAFolderReason = "Not a directory";
#endif

using namespace std::string_literals;
using ::testing::HasSubstr;

constexpr const char* kApp = "HKEY_CURRENT_USER\\Software\\Vendor\\App";

// A registry with two key findings (subtrees of about 90 KiB of text each, so the file goes
// to the disk in several pieces), a value deletion and a value change.
void Populate(RepairMachine& m) {
    const std::string tree = std::string(kApp) + "\\Tree";
    const std::string other = std::string(kApp) + "\\Other";
    m.Raw(tree, "blob", 3, std::string(30000, '\x5A'))
        .Text(tree + "\\Sub", "victim", "C:\\victim.exe")
        .Raw(tree + "\\Sub\\Deeper", "multi", 7, MultiSzValue({"a", "b"}).Bytes)
        .Raw(other, "blob", 3, std::string(30000, '\x33'))
        .Text(kApp, "old", "C:\\old.exe")
        .Number(kApp, "count", 3);
    m.KeyFinding(tree);
    m.KeyFinding(other);
    m.ValueFinding(kApp, "old", true);
    m.ValueFinding(kApp, "count", false, "C:\\new.exe");
}

// The size of the complete backup of Populate's registry.
std::size_t FullBackupSize() {
    RepairMachine m;
    Populate(m);
    ScriptedDurableFile file;
    repair::RepairOptions options;
    options.File = &file;
    EXPECT_TRUE(repair::RepairScanResults(m.State, m.Access, m.BackupPath(), options).Ok());
    EXPECT_EQ(file.Written, std::filesystem::file_size(m.BackupPath()));
    return file.Written;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveLineContaining(std::string& bytes, std::string_view text) {
    const std::size_t at = bytes.find(text);
    ASSERT_NE(at, std::string::npos) << text;
    const std::size_t start = bytes.rfind("\r\n", at) + 2;
    const std::size_t end = bytes.find("\r\n", at) + 2;
    bytes.erase(start, end - start);
}

struct Fault {
    const char* name;
    std::function<void(ScriptedDurableFile&)> arm;
    const char* message;   // part of the error
    bool oldFileSurvives;  // a previous file of the same name is still there
};

TEST(BackupFaults, RegistryIsUnchangedWhateverGoesWrong) {
    const std::size_t total = FullBackupSize();
    ASSERT_GT(total, 180000u);
    const std::vector<Fault> faults = {
        {"the file cannot be created", [](ScriptedDurableFile& f) { f.FailBegin = true; },
         "cannot create", true},
        {"disk full at once", [](ScriptedDurableFile& f) { f.FailAfterBytes = 0; },
         "No space left on device", true},
        {"disk full after the header", [](ScriptedDurableFile& f) { f.FailAfterBytes = 12; },
         "No space left on device", true},
        {"disk full in the first piece", [](ScriptedDurableFile& f) { f.FailAfterBytes = 30000; },
         "No space left", true},
        {"disk full in a later piece", [](ScriptedDurableFile& f) { f.FailAfterBytes = 100000; },
         "No space left", true},
        {"disk full on the last byte",
         [total](ScriptedDurableFile& f) { f.FailAfterBytes = total - 1; }, "No space left", true},
        {"flush to disk fails", [](ScriptedDurableFile& f) { f.FailCommit = true; }, "cannot flush",
         true},
        {"a value is missing on read-back",
         [](ScriptedDurableFile& f) {
             f.AfterCommit = [](std::string& b) { RemoveLineContaining(b, "\"victim\"="); };
         },
         "value \"victim\" of HKEY_CURRENT_USER\\Software\\Vendor\\App\\Tree\\Sub is missing",
         false},
        {"a key is missing on read-back",
         [](ScriptedDurableFile& f) {
             f.AfterCommit = [](std::string& b) { RemoveLineContaining(b, "\\Deeper]"); };
         },
         "key HKEY_CURRENT_USER\\Software\\Vendor\\App\\Tree\\Sub\\Deeper is missing", false},
        {"a value changed on read-back",
         [](ScriptedDurableFile& f) {
             f.AfterCommit = [](std::string& b) {
                 b.replace(b.find("\"count\"=dword:3"), 15, "\"count\"=dword:4");
             };
         },
         "value \"count\" of HKEY_CURRENT_USER\\Software\\Vendor\\App does not match", false},
        {"the file is cut short",
         [](ScriptedDurableFile& f) {
             f.AfterCommit = [](std::string& b) { b.resize(b.size() / 2); };
         },
         "backup check failed", false},
        {"the file is empty",
         [](ScriptedDurableFile& f) { f.AfterCommit = [](std::string& b) { b.clear(); }; },
         "missing header", false},
        {"the file deletes a key",
         [](ScriptedDurableFile& f) {
             f.AfterCommit = [](std::string& b) { b += "[-HKEY_CURRENT_USER\\Software\\X]\r\n"; };
         },
         "must not delete", false},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        RepairMachine m;
        Populate(m);
        const std::string path = m.BackupPath();
        // A file of the name stays another's: only faults before the commit meet one (a backup
        // is never renamed over a file).
        if (fault.oldFileSurvives) m.Folder.Write("backup.reg", "previous backup");
        const RegistrySnapshot before = Snapshot(m.Store);
        ScriptedDurableFile file;
        fault.arm(file);
        repair::RepairOptions options;
        options.File = &file;
        repair::SetBackupPath(m.State, path);
        int done = 0;
        const repair::RepairResult result = repair::RunRepair(
            m.State, m.Access, [&](bool, int) { ++done; }, options);
        ASSERT_FALSE(result.Ok());
        EXPECT_THAT(result.Error->Message, HasSubstr(path));
        EXPECT_THAT(result.Error->Message, HasSubstr(fault.message));
        EXPECT_THAT(result.Error->Message, HasSubstr("no registry change"));
        EXPECT_EQ(Snapshot(m.Store), before);
        EXPECT_TRUE(result.Failed.empty());
        EXPECT_EQ(result.Changed, 0);
        EXPECT_EQ(done, 1);
        if (fault.oldFileSurvives) {
            EXPECT_EQ(m.Folder.Read("backup.reg"), "previous backup");
        }
        // No half-written temporary file is left behind.
        EXPECT_EQ(FolderNames(m.Folder.Folder()), std::vector<std::string>{"backup.reg"});
    }
}

TEST(BackupFaults, AFolderThatIsAFileStopsTheRepairWithTheSystemReason) {
    // Tests run as root, whom file modes do not stop; a regular file in the folder's place does.
    RepairMachine m;
    Populate(m);
    const std::string path = m.Folder.Write("not-a-folder", "x") + "/backup.reg";
    const RegistrySnapshot before = Snapshot(m.Store);
    const repair::RepairResult result = repair::RepairScanResults(m.State, m.Access, path);
    ASSERT_FALSE(result.Ok());
    EXPECT_THAT(result.Error->Message, HasSubstr("cannot create " + path + ": "));
    EXPECT_THAT(result.Error->Message, HasSubstr(kNotAFolderReason));
    EXPECT_EQ(Snapshot(m.Store), before);
}

TEST(BackupFaults, StoppingDuringTheBackupChangesNothing) {
    RepairMachine m;
    Populate(m);
    const RegistrySnapshot before = Snapshot(m.Store);
    int yields = 0;
    m.State.YieldHook = [&] {
        if (++yields == 2) m.State.StopRequested = true;
    };
    repair::SetBackupPath(m.State, m.BackupPath());
    std::vector<bool> canceled;
    const repair::RepairResult result =
        repair::RunRepair(m.State, m.Access, [&](bool c, int) { canceled.push_back(c); });
    ASSERT_FALSE(result.Ok());
    EXPECT_THAT(result.Error->Message, HasSubstr("stopped"));
    EXPECT_EQ(Snapshot(m.Store), before);
    EXPECT_THAT(canceled, ::testing::ElementsAre(true));
    EXPECT_FALSE(std::filesystem::exists(m.BackupPath()));
}

}  // namespace
}  // namespace hivewarden::testing
