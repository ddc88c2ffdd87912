// The Wine prefix store over small prefixes: which file answers which root, links followed as
// Wine follows them, a commit that touches only the changed key's block (or nothing at all),
// and a refused commit that writes nothing.
#include "store/wine/wine_prefix_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "support/raw_values.h"
#include "support/temp_folder.h"

namespace hivewarden::registry {
namespace {

using testing::SzValue;
using testing::TempFolder;

constexpr std::uint64_t kFixedNow = 0x1dd88ab88b36276ull;  // 2026-12-10 13:37:00 UTC
constexpr const char* kFixedStamp = "] 1796909820\n#time=1dd88ab88b36276\n";

const std::string kSystem =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n"
    "[Software\\\\Classes\\\\.txt] 1796909819\n#time=1dd88ab885a9682\n@=\"txtfile\"\n\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\a.exe] 1796909819\n"
    "#time=1dd88ab885a9683\n@=\"C:\\\\a.exe\"\n\"Path\"=\"C:\\\\\"\n\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\b.exe] 1796909819\n"
    "#time=1dd88ab885a9684\n@=\"C:\\\\b.exe\"\n\n"
    "[Software\\\\Wow6432Node\\\\Classes] 1796909814\n#time=1dd88ab852c363c\n#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,\\\n"
    "  00,5c,00,4d,00,61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,6f,00,66,00,\\\n"
    "  74,00,77,00,61,00,72,00,65,00,5c,00,43,00,6c,00,61,00,73,00,73,00,65,00,73,\\\n"
    "  00\n\n"
    "[Software\\\\Zeta] 1796909819\n#time=1dd88ab885a9685\n#class=\"k\"\n\"z\"=dword:00000001\n";
const std::string kUser =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n"
    "[Environment] 1796909819\n#time=1dd88ab88122514\n\"TEMP\"=\"C:\\\\users\\\\anna\\\\Temp\"\n";
const std::string kUserDefault =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\.Default\n\n"
    "#arch=win64\n\n[AppEvents\\\\Schemes] 1796909819\n#time=1dd88ab88122515\n@=\".Default\"\n";

class WinePrefixStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix_.Write("system.reg", kSystem);
        prefix_.Write("user.reg", kUser);
        prefix_.Write("userdef.reg", kUserDefault);
    }

    std::unique_ptr<WinePrefixStore> Load(std::string refusal = {}) {
        WinePrefixStoreOptions options;
        options.Now = [] { return kFixedNow; };
        options.WriteRefusal = [refusal] { return refusal; };
        std::string error;
        auto store = WinePrefixStore::Load(prefix_.Folder(), options, error);
        EXPECT_TRUE(store) << error;
        return store;
    }

    std::string ReadValue(RegistryStore& store, RootKey root, const std::string& path,
                          const std::string& name) {
        const StoreHandle key = store.Open(root, path);
        RawValue value;
        const bool found = key != 0 && store.Read(key, name, value);
        store.Close(key);
        return found ? Utf8FromUtf16Le(value.Bytes) : "<missing>";
    }

    // The files after a commit, with nothing left beside them.
    void ExpectOnlyRegistryFiles() {
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(prefix_.HostPath(""))) {
            (void)entry;
            ++files;
        }
        EXPECT_EQ(files, 3);
    }

    TempFolder prefix_;
};

TEST_F(WinePrefixStoreTest, EachRootReadsItsFile) {
    auto store = Load();
    EXPECT_EQ(store->UserSid(), "S-1-5-21-0-0-0-1000");
    const std::string text = std::string("txtfile") + '\0';
    EXPECT_EQ(ReadValue(*store, kClassesRoot, ".txt", ""), text);
    EXPECT_EQ(ReadValue(*store, kLocalMachine, "SOFTWARE\\classes\\.TXT", ""), text);
    EXPECT_EQ(ReadValue(*store, kCurrentUser, "Environment", "TEMP"),
              std::string("C:\\users\\anna\\Temp") + '\0');
    EXPECT_EQ(ReadValue(*store, kUsers, "S-1-5-21-0-0-0-1000\\Environment", "TEMP"),
              std::string("C:\\users\\anna\\Temp") + '\0');
    EXPECT_EQ(ReadValue(*store, kUsers, ".DEFAULT\\AppEvents\\Schemes", ""),
              std::string(".Default") + '\0');
    // A key with subkeys only exists through them.
    EXPECT_NE(store->Open(kLocalMachine, "Software\\Microsoft\\Windows"), 0u);
}

TEST_F(WinePrefixStoreTest, FollowsLinksAsWineDoes) {
    auto store = Load();
    // Software\Wow6432Node\Classes is a link to \Registry\Machine\Software\Classes.
    EXPECT_EQ(ReadValue(*store, kLocalMachine, "Software\\Wow6432Node\\Classes\\.txt", ""),
              std::string("txtfile") + '\0');
    const StoreHandle link = store->Open(kLocalMachine, "Software\\Wow6432Node\\Classes");
    std::string name;
    ASSERT_TRUE(store->SubkeyName(link, 0, name));
    EXPECT_EQ(name, ".txt");
    EXPECT_FALSE(store->ValueName(link, 0, name));  // the link's own value is not seen
    store->Close(link);
}

TEST_F(WinePrefixStoreTest, UnchangedPrefixIsNotWritten) {
    auto store = Load();
    const auto before = std::filesystem::last_write_time(prefix_.HostPath("system.reg"));
    // Writing a value's own bytes again is no change.
    const StoreHandle key = store->Open(kClassesRoot, ".txt");
    ASSERT_TRUE(store->Write(key, "", SzValue("txtfile")));
    store->Close(key);
    std::string error;
    ASSERT_TRUE(store->Commit(error)) << error;
    EXPECT_EQ(prefix_.Read("system.reg"), kSystem);
    EXPECT_EQ(std::filesystem::last_write_time(prefix_.HostPath("system.reg")), before);
}

TEST_F(WinePrefixStoreTest, ChangeRewritesOnlyItsKeysBlock) {
    auto store = Load();
    const StoreHandle key = store->Open(
        kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe");
    ASSERT_TRUE(store->DeleteValue(key, "Path"));
    store->Close(key);
    std::string error;
    ASSERT_TRUE(store->Commit(error)) << error;
    std::string expected = kSystem;
    const std::string oldBlock =
        "1796909819\n#time=1dd88ab885a9683\n@=\"C:\\\\a.exe\"\n\"Path\"=\"C:\\\\\"\n";
    expected.replace(expected.find(oldBlock), oldBlock.size(),
                     std::string(kFixedStamp + 2) + "@=\"C:\\\\a.exe\"\n");
    EXPECT_EQ(prefix_.Read("system.reg"), expected);
    EXPECT_EQ(prefix_.Read("user.reg"), kUser);
    EXPECT_EQ(prefix_.Read("userdef.reg"), kUserDefault);
    ExpectOnlyRegistryFiles();
}

TEST_F(WinePrefixStoreTest, DeletedKeysGoAndNewKeysComeInWineOrder) {
    auto store = Load();
    const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    ASSERT_TRUE(store->DeleteLeafKey(kLocalMachine, appPaths + "b.exe"));
    const StoreHandle fresh = store->Create(kLocalMachine, appPaths + "A0.exe");
    ASSERT_NE(fresh, 0u);
    ASSERT_TRUE(store->Write(fresh, "", SzValue("C:\\x\xC3\xA9.exe")));
    store->Close(fresh);
    std::string error;
    ASSERT_TRUE(store->Commit(error)) << error;

    const std::string text = prefix_.Read("system.reg");
    EXPECT_EQ(text.find("b.exe"), std::string::npos);
    const std::size_t a = text.find("App Paths\\\\a.exe]");
    const std::size_t a0 = text.find(
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App "
        "Paths\\\\A0.exe" +
        std::string(kFixedStamp) + "@=\"C:\\\\x\\xe9.exe\"\n\n[Software\\\\Wow6432Node");
    EXPECT_LT(a, a0);
    ASSERT_NE(a0, std::string::npos) << text;
    // The file reads back as what the store held.
    auto again = Load();
    EXPECT_EQ(ReadValue(*again, kLocalMachine, appPaths + "A0.exe", ""),
              std::string("C:\\x\xC3\xA9.exe") + '\0');
    EXPECT_EQ(again->Open(kLocalMachine, appPaths + "b.exe"), 0u);
}

TEST_F(WinePrefixStoreTest, KeyLeftWithoutSubkeysKeepsABlock) {
    auto store = Load();
    ASSERT_TRUE(store->DeleteLeafKey(kLocalMachine, "Software\\Classes\\.txt"));
    std::string error;
    ASSERT_TRUE(store->Commit(error)) << error;
    auto again = Load();
    EXPECT_NE(again->Open(kLocalMachine, "Software\\Classes"), 0u);
    EXPECT_NE(prefix_.Read("system.reg").find("[Software\\\\Classes" + std::string(kFixedStamp)),
              std::string::npos);
}

TEST_F(WinePrefixStoreTest, RefusedCommitWritesNothing) {
    auto store = Load("a wineserver serves the prefix");
    const StoreHandle key = store->Open(kCurrentUser, "Environment");
    ASSERT_TRUE(store->Write(key, "TEMP", SzValue("C:\\t")));
    store->Close(key);
    ASSERT_TRUE(store->DeleteLeafKey(kUsers, ".Default\\AppEvents\\Schemes"));
    std::string error;
    EXPECT_FALSE(store->Commit(error));
    EXPECT_EQ(error, "a wineserver serves the prefix");
    EXPECT_EQ(prefix_.Read("user.reg"), kUser);
    EXPECT_EQ(prefix_.Read("userdef.reg"), kUserDefault);
    ExpectOnlyRegistryFiles();
}

TEST_F(WinePrefixStoreTest, RootsOfFilesCannotBeDeleted) {
    auto store = Load();
    EXPECT_FALSE(store->DeleteLeafKey(kUsers, ".Default"));
    EXPECT_FALSE(store->DeleteLeafKey(kLocalMachine, ""));
    EXPECT_EQ(store->Create(kUsers, "S-1-5-21-9"), 0u);  // no file holds it
}

TEST(WinePrefixStoreLoadTest, NamesTheFileThatCannotBeRead) {
    TempFolder prefix;
    prefix.Write("system.reg", "REGEDIT4\n");
    prefix.Write("user.reg", kUser);
    std::string error;
    EXPECT_FALSE(WinePrefixStore::Load(prefix.Folder(), {}, error));
    EXPECT_NE(error.find("system.reg:1: not a Wine registry file"), std::string::npos) << error;
    TempFolder empty;
    EXPECT_FALSE(WinePrefixStore::Load(empty.Folder(), {}, error));
    EXPECT_NE(error.find("system.reg: no such file"), std::string::npos) << error;
}

}  // namespace
}  // namespace hivewarden::registry
