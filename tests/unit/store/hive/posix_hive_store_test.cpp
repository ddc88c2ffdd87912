// The hive backend on real hive files: the store contract on an emptied hive (alone and
// mounted), every key and value of real hives exactly as hivex reads them, commits that leave
// the file whole, and the hives that are never written: dirty, locked, damaged.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "store/hive/hive_file_checks.h"
#include "store/hive/hive_store.h"
#include "store/mounted/mounted_store.h"
#include "text/text.h"
#include "support/hive_fixtures.h"
#include "support/raw_values.h"
#include "support/store_contract.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using registry::RawValue;

// A fresh empty hive in its own folder, kept alive by the scratch's cleanup.
ScratchStore MakeHiveScratch(bool mounted) {
    auto folder = std::make_shared<TempFolder>();
    const fs::path file = folder->HostPath("EMPTY.DAT");
    if (!MakeEmptyHive(file)) throw std::runtime_error("cannot make an empty hive");
    std::string error;
    std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(file.string(), error);
    if (!hive) throw std::runtime_error(error);
    ScratchStore s;
    s.Root = registry::kCurrentUser;
    s.Base = "Software\\HivewardenContract";
    if (mounted) {
        auto store = std::make_unique<registry::MountedStore>();
        store->Mount(registry::kCurrentUser, "Software", std::move(hive));
        s.Store = std::move(store);
    } else {
        s.Store = std::move(hive);
    }
    s.Store->Close(s.Store->Create(s.Root, s.Base));
    s.Cleanup = [folder] {};
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    HiveStore, AccessContract,
    ::testing::Values(StoreBackend{"Hive", [] { return MakeHiveScratch(false); }},
                      StoreBackend{"MountedHive", [] { return MakeHiveScratch(true); }}),
    BackendName);

// Every key and value the store shows, walked through the store's own calls.
void WalkStore(registry::RegistryStore& store, const std::string& path, HiveContents& contents) {
    const registry::StoreHandle key = store.Open(registry::kCurrentUser, path);
    ASSERT_NE(key, 0u) << path;
    HiveKeyContents& shown = contents[path];
    std::string name;
    std::optional<RawValue> value;
    for (std::uint32_t i = 0; store.ValueAt(key, i, name, value); ++i) {
        ASSERT_TRUE(value.has_value()) << path << "\\" << name;
        shown.Values[name] = {value->Type, value->Bytes};
    }
    std::vector<std::string> children;
    for (std::uint32_t i = 0; store.SubkeyName(key, i, name); ++i) children.push_back(name);
    registry::KeyCounts counts;
    ASSERT_TRUE(store.QueryKeyCounts(key, counts));
    EXPECT_EQ(counts.Subkeys, children.size());
    EXPECT_EQ(counts.Values, shown.Values.size());
    store.Close(key);
    // Subkeys come in the registry's case-insensitive order.
    EXPECT_TRUE(std::is_sorted(children.begin(), children.end(), hivewarden::LessNoCase{})) << path;
    for (const std::string& child : children) {
        WalkStore(store, path.empty() ? child : path + "\\" + child, contents);
    }
}

// The keys a walk reaches, going past every key and value that cannot be read.
std::size_t CountReachableKeys(registry::RegistryStore& store, const std::string& path) {
    const registry::StoreHandle key = store.Open(0, path);
    if (key == 0) return 0;
    std::vector<std::string> children;
    std::string name;
    std::optional<RawValue> value;
    for (std::uint32_t i = 0; store.ValueAt(key, i, name, value); ++i) {
    }
    for (std::uint32_t i = 0; store.SubkeyName(key, i, name); ++i) children.push_back(name);
    store.Close(key);
    std::size_t count = 1;
    for (const std::string& child : children) {
        count += CountReachableKeys(store, path.empty() ? child : path + "\\" + child);
    }
    return count;
}

// The hive at `file`, opened for writing, with one value written and not yet committed.
std::unique_ptr<registry::HiveStore> OpenWithAChange(const fs::path& file) {
    std::string error;
    std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(file.string(), error);
    if (!hive) return nullptr;
    const registry::StoreHandle root = hive->Open(0, "");
    const bool written = hive->Write(root, "x", SzValue("y"));
    hive->Close(root);
    return written ? std::move(hive) : nullptr;
}

class RealHives : public ::testing::Test {
  protected:
    TempFolder tmp_;
};

TEST_F(RealHives, EveryKeyAndValueIsWhatHivexReads) {
    for (const char* name : {"NTUSER.DAT", "SYSTEM"}) {
        const fs::path file = tmp_.HostPath(name);
        ASSERT_TRUE(UnpackHive(name, file));
        const HiveContents expected = ReadHiveContents(file);
        ASSERT_GT(expected.size(), 1000u);
        std::string error;
        std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(file.string(), error);
        ASSERT_TRUE(hive) << error;
        EXPECT_EQ(hive->ReadOnlyReason(), "");
        HiveContents shown;
        WalkStore(*hive, "", shown);
        EXPECT_TRUE(shown == expected) << name;
    }
}

TEST_F(RealHives, NamesAreFoundInAnyCaseAndNonAsciiNamesAreUtf8) {
    const fs::path file = tmp_.HostPath("NTUSER.DAT");
    ASSERT_TRUE(UnpackHive("transactions_NTUSER.DAT", file));
    std::string error;
    std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(file.string(), error);
    ASSERT_TRUE(hive) << error;
    // A key named with three globe emoji (outside the BMP), found by its UTF-8 name.
    EXPECT_NE(hive->Open(0, "control panel\\INTERNATIONAL\\\xF0\x9F\x8C\x8E\xF0\x9F\x8C\x8F"
                            "\xF0\x9F\x8C\x8D"),
              0u);
    EXPECT_EQ(hive->Open(0, "Control Panel\\\\International"), 0u);
}

TEST_F(RealHives, ACommitReplacesTheFileWholeAndKeepsEverythingElse) {
    const fs::path file = tmp_.HostPath("NTUSER.DAT");
    ASSERT_TRUE(UnpackHive("NTUSER.DAT", file));
    HiveContents expected = ReadHiveContents(file);
    std::string error;
    {
        std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(file.string(), error);
        ASSERT_TRUE(hive) << error;
        const registry::StoreHandle key = hive->Create(0, "Software\\Hivewarden\\Test");
        ASSERT_NE(key, 0u);
        const RawValue odd{registry::kRegSz, std::string("a\0b", 3)};  // odd length kept
        ASSERT_TRUE(hive->Write(key, "Odd", odd));
        // Any 32-bit type, as device properties use them.
        ASSERT_TRUE(hive->Write(key, "Property", RawValue{0xFFFF0012u, "\x01\x02"}));
        ASSERT_TRUE(hive->Write(key, "", SzValue("default")));
        hive->Close(key);
        const registry::StoreHandle environment = hive->Open(0, "environment");
        ASSERT_NE(environment, 0u);
        ASSERT_TRUE(hive->DeleteValue(environment, "temp"));  // found without regard to case
        hive->Close(environment);
        EXPECT_TRUE(hive->Changed());
        ASSERT_TRUE(hive->Commit(error)) << error;
        EXPECT_FALSE(hive->Changed());
        expected["Software\\Hivewarden"];
        expected["Software\\Hivewarden\\Test"].Values = {
            {"Odd", {registry::kRegSz, std::string("a\0b", 3)}},
            {"Property", {0xFFFF0012u, "\x01\x02"}},
            {"", {registry::kRegSz, SzBytes("default")}}};
        ASSERT_EQ(expected["Environment"].Values.erase("TEMP"), 1u);
    }
    EXPECT_TRUE(ReadHiveContents(file) == expected);
    registry::HiveSequence sequence;
    ASSERT_TRUE(registry::ReadHiveSequence(file.string(), sequence));
    EXPECT_EQ(sequence.Primary, sequence.Secondary);
    // No temporary file is left beside it.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(file.parent_path())) ++files;
    EXPECT_EQ(files, 1u);
}

// A hive that must not be written: every change refused, nothing committed, the file as it
// was (bytes and time).
void ExpectNeverWritten(registry::HiveStore& hive, const fs::path& file,
                        const std::string& reasonPart) {
    const std::string bytes = FileBytes(file);
    const auto time = fs::last_write_time(file);
    EXPECT_THAT(hive.ReadOnlyReason(), HasSubstr(reasonPart));
    EXPECT_THAT(hive.ReadOnlyReason(), HasSubstr(file.string()));
    EXPECT_EQ(hive.Create(0, "Software\\New"), 0u);
    const registry::StoreHandle root = hive.Open(0, "");
    ASSERT_NE(root, 0u);
    EXPECT_FALSE(hive.Write(root, "x", SzValue("y")));
    std::string name;
    if (hive.SubkeyName(root, 0, name)) {
        EXPECT_FALSE(hive.DeleteLeafKey(0, name));
    }
    hive.Close(root);
    std::string error;
    EXPECT_FALSE(hive.CheckWritable(error));
    EXPECT_THAT(error, HasSubstr(reasonPart));
    EXPECT_TRUE(hive.Commit(error));  // nothing changed, nothing to write
    EXPECT_EQ(FileBytes(file), bytes);
    EXPECT_EQ(fs::last_write_time(file), time);
}

TEST_F(RealHives, ADirtyHiveIsReadOnly) {
    // Sequence numbers that differ (567 and 566), logs beside it.
    const fs::path file = tmp_.HostPath("NTUSER.DAT");
    ASSERT_TRUE(UnpackHive("transactions_NTUSER.DAT", file));
    ASSERT_TRUE(UnpackHive("transactions_ntuser.dat.log1", tmp_.HostPath("NTUSER.DAT.LOG1")));
    std::string error;
    std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(file.string(), error);
    ASSERT_TRUE(hive) << error;
    EXPECT_NE(hive->Open(0, "Software"), 0u);  // still read
    ExpectNeverWritten(*hive, file, "567 and 566");
}

TEST_F(RealHives, ANewerLogMakesAHiveDirtyAnEmptyOneDoesNot) {
    const fs::path file = tmp_.HostPath("NTUSER.DAT");
    ASSERT_TRUE(UnpackHive("NTUSER.DAT", file));
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(1));
    tmp_.Write("ntuser.dat.log2", "");  // empty: nothing pending
    EXPECT_EQ(registry::PendingLogReason(file.string()), "");
    tmp_.Write("ntuser.dat.LOG1", "pending");  // any case, newer, not empty
    EXPECT_THAT(registry::PendingLogReason(file.string()), HasSubstr("ntuser.dat.LOG1"));
    std::string error;
    std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(file.string(), error);
    ASSERT_TRUE(hive) << error;
    ExpectNeverWritten(*hive, file, "transaction log");
}

TEST_F(RealHives, AHiveLockedByAnotherProgramIsNotWritten) {
    const fs::path file = tmp_.HostPath("NTUSER.DAT");
    ASSERT_TRUE(UnpackHive("NTUSER.DAT", file));
    std::string error;
    // Opened while nothing holds it, then locked by another process (a POSIX record lock):
    // the commit is refused and the file stays as it was.
    std::unique_ptr<registry::HiveStore> hive = OpenWithAChange(file);
    ASSERT_TRUE(hive);
    const std::string bytes = FileBytes(file);
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = open(file.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        const char ok = fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
        (void)!write(ready[1], &ok, 1);
        char done;
        (void)!read(release[0], &done, 1);
        _exit(0);
    }
    char ok = 'n';
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    EXPECT_FALSE(hive->Commit(error));
    EXPECT_THAT(error, HasSubstr("locked by another program (process " + std::to_string(child)));
    EXPECT_EQ(FileBytes(file), bytes);
    // A hive opened while locked is read only from the start.
    std::unique_ptr<registry::HiveStore> locked = registry::OpenHiveFile(file.string(), error);
    ASSERT_TRUE(locked) << error;
    ExpectNeverWritten(*locked, file, "locked by another program");
    (void)!write(release[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);

    // An flock() lock, held here through another open file, is seen too.
    const int fd = open(file.c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    EXPECT_FALSE(hive->Commit(error));
    EXPECT_THAT(error, HasSubstr("locked by another program (flock)"));
    EXPECT_EQ(FileBytes(file), bytes);
    close(fd);
    EXPECT_TRUE(hive->Commit(error)) << error;  // released: written now
    EXPECT_NE(FileBytes(file), bytes);
}

TEST_F(RealHives, AFileChangedOnDiskSinceItWasReadIsNotOverwritten) {
    const fs::path file = tmp_.HostPath("NTUSER.DAT");
    ASSERT_TRUE(UnpackHive("NTUSER.DAT", file));
    std::string error;
    std::unique_ptr<registry::HiveStore> hive = OpenWithAChange(file);
    ASSERT_TRUE(hive);
    ASSERT_TRUE(UnpackHive("SYSTEM", file));  // another program wrote the file meanwhile
    const std::string bytes = FileBytes(file);
    EXPECT_FALSE(hive->Commit(error));
    EXPECT_THAT(error, HasSubstr("changed on disk"));
    EXPECT_EQ(FileBytes(file), bytes);
}

TEST_F(RealHives, ADamagedHiveIsReadAsFarAsItCanBeAndNeverWritten) {
    const fs::path file = tmp_.HostPath("SYSTEM");
    ASSERT_TRUE(UnpackHive("corrupted_system_hive", file));
    std::string error;
    std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(file.string(), error);
    ASSERT_TRUE(hive) << error;
    EXPECT_THAT(hive->ReadOnlyReason(), HasSubstr("is damaged"));
    EXPECT_THAT(hive->ReadOnlyReason(), HasSubstr("cannot be read and are skipped"));
    EXPECT_GT(CountReachableKeys(*hive, ""), 1000u);  // most of its 1,687 keys
    ExpectNeverWritten(*hive, file, "is damaged");
}

TEST_F(RealHives, FilesThatAreNoHivesAreRefusedWithTheReason) {
    struct Case {
        const char* Name;
        std::string Bytes;
        const char* Reason;
    };
    const Case kCases[] = {
        {"text", "REGEDIT4\r\n", "does not start with \"regf\""},
        {"empty", "", "does not start with \"regf\""},
        {"header only", FileBytes(tmp_.HostPath("none")).append("regf").append(8, '\0'),
         "cannot read the hive"},
    };
    for (const Case& c : kCases) {
        tmp_.Write(c.Name, c.Bytes);
        std::string error;
        EXPECT_EQ(registry::OpenHiveFile(tmp_.File(c.Name), error), nullptr) << c.Name;
        EXPECT_THAT(error, HasSubstr(c.Reason)) << c.Name;
        EXPECT_THAT(error, HasSubstr(tmp_.File(c.Name))) << c.Name;
    }
    std::string error;
    EXPECT_EQ(registry::OpenHiveFile(tmp_.File("missing"), error), nullptr);
    EXPECT_THAT(error, HasSubstr("No such file"));
    // A truncated hive: its first pages only.
    const fs::path whole = tmp_.HostPath("whole");
    ASSERT_TRUE(UnpackHive("SYSTEM", whole));
    tmp_.Write("truncated", FileBytes(whole).substr(0, 20000));
    std::unique_ptr<registry::HiveStore> truncated =
        registry::OpenHiveFile(tmp_.File("truncated"), error);
    if (truncated) {
        EXPECT_THAT(truncated->ReadOnlyReason(), HasSubstr("is damaged"));
    } else {
        EXPECT_THAT(error, HasSubstr("cannot read the hive"));
    }
}

}  // namespace
}  // namespace hivewarden::testing
