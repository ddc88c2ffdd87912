// What a restore applies: a file holding deletion lines is refused whole unless deletions are
// allowed, and a deletion of a key the repair never deletes is refused even then; nothing of a
// refused file reaches the registry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repair/backup_restore.h"
#include "store/memory_store.h"
#include "support/raw_values.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;

struct GuardCase {
    const char* Name;
    const char* Body;  // after the header
    bool AllowDeletions;
    bool Accepted;
    std::vector<std::string> Deletions;  // as listed: line, ": ", what
    bool Guarded;                        // a listed deletion carries the guard's refusal
};

const GuardCase kCases[] = {
    {"PlainBackup", "[HKEY_CURRENT_USER\\Software\\App]\r\n\"v\"=\"1\"\r\n", false, true, {}, false},
    {"BranchDeletionRefusedEvenWhenAllowed", "[-HKEY_LOCAL_MACHINE\\Software]\r\n", true, false,
     {"3: [-HKEY_LOCAL_MACHINE\\Software]"}, true},
    {"BranchDeletionRefused", "[-HKEY_LOCAL_MACHINE\\Software]\r\n", false, false,
     {"3: [-HKEY_LOCAL_MACHINE\\Software]"}, true},
    {"KeyDeletionNeedsPermission", "[-HKEY_CURRENT_USER\\Software\\App\\Sub]\r\n", false, false,
     {"3: [-HKEY_CURRENT_USER\\Software\\App\\Sub]"}, false},
    {"KeyDeletionAllowed", "[-HKEY_CURRENT_USER\\Software\\App\\Sub]\r\n", true, true,
     {"3: [-HKEY_CURRENT_USER\\Software\\App\\Sub]"}, false},
    {"ValueDeletionNeedsPermission",
     "[HKEY_CURRENT_USER\\Software\\App]\r\n\"v\"=\"2\"\r\n\"old\"=-\r\n", false, false,
     {"5: \"old\"=- in [HKEY_CURRENT_USER\\Software\\App]"}, false},
};

class RestoreGuardTest : public ::testing::TestWithParam<GuardCase> {
  protected:
    void SetUp() override {
        const registry::StoreHandle key = store_.Create(registry::kCurrentUser, "Software\\App\\Sub");
        ASSERT_TRUE(store_.Write(key, "old", SzValue("keep")));
        store_.Close(key);
        const registry::StoreHandle software = store_.Create(registry::kLocalMachine, "Software\\X");
        ASSERT_TRUE(store_.Write(software, "y", SzValue("keep")));
        store_.Close(software);
    }

    bool Holds(registry::RootKey root, const std::string& path, const std::string& name) {
        const registry::StoreHandle key = store_.Open(root, path);
        registry::RawValue value;
        const bool found = key != 0 && store_.Read(key, name, value);
        store_.Close(key);
        return found;
    }

    registry::MemoryStore store_;
    TempFolder folder_;
};

TEST_P(RestoreGuardTest, DeletionLinesAreListedAndRefusedUnlessAllowed) {
    const GuardCase& c = GetParam();
    const std::string path = folder_.Write("b.reg", std::string("REGEDIT4\r\n\r\n") + c.Body);
    const repair::RestoreCheck check = repair::CheckRestore(path, Windows1252(), c.AllowDeletions);
    EXPECT_EQ(static_cast<bool>(check.Status), c.Accepted) << check.Status.Message;
    std::vector<std::string> listed;
    bool guarded = false;
    for (const repair::RestoreDeletion& deletion : check.Deletions) {
        listed.push_back(std::to_string(deletion.Line) + ": " + deletion.What);
        guarded = guarded || !deletion.Refusal.empty();
    }
    EXPECT_EQ(listed, c.Deletions);
    EXPECT_EQ(guarded, c.Guarded);

    // The importer applies the file whole or not at all.
    repair::StoreImporter importer(store_, &Windows1252(), c.AllowDeletions);
    const registry::FileStatus imported = importer.Import(path);
    EXPECT_EQ(static_cast<bool>(imported), c.Accepted) << imported.Message;
    EXPECT_TRUE(Holds(registry::kLocalMachine, "Software\\X", "y"));
    if (!c.Accepted) {
        EXPECT_TRUE(Holds(registry::kCurrentUser, "Software\\App\\Sub", "old"));
        EXPECT_FALSE(Holds(registry::kCurrentUser, "Software\\App", "v"));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, RestoreGuardTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(RestoreGuard, TheRefusalSaysWhy) {
    TempFolder folder;
    const std::string path = folder.Write("b.reg", "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\A\\B\\C]\r\n");
    EXPECT_THAT(repair::CheckRestore(path, Windows1252(), false).Status.Message,
                HasSubstr("--allow-deletions"));
    const std::string branch =
        folder.Write("c.reg", "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\Software]\r\n");
    EXPECT_THAT(repair::CheckRestore(branch, Windows1252(), true).Status.Message,
                HasSubstr("never deletes"));
}

}  // namespace
}  // namespace hivewarden::testing
