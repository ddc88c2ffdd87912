// HKEY_CLASSES_ROOT as a view of HKCU\Software\Classes over HKLM\Software\Classes: the merged
// reading, where writes and deletions land, .reg files that spell keys either way, the
// write-back that holds each key once, the shipped MyDoom lock record under either spelling,
// and the search that finds each stored value once. The store contract runs over the view too.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/app.h"
#include "store/classes_root_view.h"
#include "store/memory_store.h"
#include "regfile/regfile.h"
#include "regfile/regfile_writer.h"
#include "text/unicode.h"
#include "support/cli_runner.h"
#include "support/raw_values.h"
#include "support/store_contract.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using registry::ClassesRootView;
using registry::kClassesRoot;
using registry::kCurrentUser;
using registry::kLocalMachine;
using registry::RawValue;
using registry::StoreHandle;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

const std::string kMyDoomKey = "CLSID\\{E6FB5E20-DE35-11CF-9C87-00AA005127ED}\\InprocServer32";

// The subkey or value names of a key as a store lists them; "<missing>" when it is not there.
using NameAt = bool (registry::RegistryStore::*)(StoreHandle, std::uint32_t, std::string&);
std::vector<std::string> Names(registry::RegistryStore& store, registry::RootKey root,
                               const std::string& path, NameAt nameAt) {
    std::vector<std::string> names;
    const StoreHandle key = store.Open(root, path);
    if (key == 0) return {"<missing>"};
    std::string name;
    for (std::uint32_t i = 0; (store.*nameAt)(key, i, name); ++i) names.push_back(name);
    store.Close(key);
    return names;
}

std::vector<std::string> Subkeys(registry::RegistryStore& store, registry::RootKey root,
                                 const std::string& path) {
    return Names(store, root, path, &registry::RegistryStore::SubkeyName);
}

std::vector<std::string> ValueNames(registry::RegistryStore& store, registry::RootKey root,
                                    const std::string& path) {
    return Names(store, root, path, &registry::RegistryStore::ValueName);
}

bool ReadValue(registry::RegistryStore& store, registry::RootKey root, const std::string& path,
               const std::string& name, RawValue& value) {
    const StoreHandle key = store.Open(root, path);
    if (key == 0) return false;
    const bool read = store.Read(key, name, value);
    store.Close(key);
    return read;
}

// HKLM\Software\Classes and HKCU\Software\Classes of a small machine: ".txt" in both (the
// per-user copy spelled ".TXT"), CLSID in both with {B} in both, txtfile in HKLM only.
class ClassesRootViewTest : public ::testing::Test {
  protected:
    ClassesRootViewTest() {
        auto inner = std::make_unique<registry::MemoryStore>();
        inner_ = inner.get();
        view_ = std::make_unique<ClassesRootView>(std::move(inner));
        Put(kLocalMachine, "Software\\Classes\\.txt", "", "txtfile");
        Put(kLocalMachine, "Software\\Classes\\.txt", "PerceivedType", "text");
        Put(kCurrentUser, "Software\\Classes\\.TXT", "Content Type", "text/plain");
        Put(kLocalMachine, "Software\\Classes\\CLSID\\{A}", "", "machine A");
        Put(kLocalMachine, "Software\\Classes\\CLSID\\{B}\\InprocServer32", "", "b.dll");
        Put(kCurrentUser, "Software\\Classes\\CLSID\\{b}\\LocalServer32", "", "b.exe");
        Put(kCurrentUser, "Software\\Classes\\CLSID\\{C}", "", "user C");
        Put(kLocalMachine, "Software\\Classes\\txtfile", "", "Text Document");
    }

    void Put(registry::RootKey root, const std::string& path, const std::string& name,
             const std::string& text) {
        const StoreHandle key = inner_->Create(root, path);
        ASSERT_NE(key, 0u);
        ASSERT_TRUE(inner_->Write(key, name, SzValue(text)));
        inner_->Close(key);
    }

    // The text of a REG_SZ value as one store holds it; "<none>" when there is none.
    static std::string Text(registry::RegistryStore& store, registry::RootKey root,
                            const std::string& path, const std::string& name) {
        RawValue value;
        if (!ReadValue(store, root, path, name, value)) return "<none>";
        if (value.Type != registry::kRegSz || value.Bytes.size() < 2) return "<not text>";
        return Utf8FromUtf16Le(std::string_view(value.Bytes).substr(0, value.Bytes.size() - 2));
    }

    registry::MemoryStore* inner_ = nullptr;  // owned by the view
    std::unique_ptr<ClassesRootView> view_;
};

TEST_F(ClassesRootViewTest, SubkeysOfBothCopiesMergeInNameOrderOnceAtEveryDepth) {
    EXPECT_THAT(Subkeys(*view_, kClassesRoot, ""), ElementsAre(".TXT", "CLSID", "txtfile"));
    EXPECT_THAT(Subkeys(*view_, kClassesRoot, "clsid"), ElementsAre("{A}", "{b}", "{C}"));
    EXPECT_THAT(Subkeys(*view_, kClassesRoot, "CLSID\\{B}"),
                ElementsAre("InprocServer32", "LocalServer32"));
    const StoreHandle key = view_->Open(kClassesRoot, "CLSID");
    registry::KeyCounts counts;
    ASSERT_TRUE(view_->QueryKeyCounts(key, counts));
    EXPECT_EQ(counts, (registry::KeyCounts{3, 0}));
    view_->Close(key);
    EXPECT_EQ(view_->Open(kClassesRoot, "CLSID\\{D}"), 0u);
}

TEST_F(ClassesRootViewTest, AKeyHkcuHoldsShowsOnlyTheHkcuValues) {
    EXPECT_THAT(ValueNames(*view_, kClassesRoot, ".txt"), ElementsAre("Content Type"));
    EXPECT_EQ(Text(*view_, kClassesRoot, ".txt", ""), "<none>");
    EXPECT_EQ(Text(*view_, kClassesRoot, ".txt", "Content Type"), "text/plain");
    // HKLM's copy alone: its values; below a key of both, each subkey's own copy.
    EXPECT_EQ(Text(*view_, kClassesRoot, "txtfile", ""), "Text Document");
    EXPECT_EQ(Text(*view_, kClassesRoot, "CLSID\\{B}\\InprocServer32", ""), "b.dll");
    EXPECT_EQ(Text(*view_, kClassesRoot, "CLSID\\{B}\\LocalServer32", ""), "b.exe");
    // The copies themselves are unchanged under their own roots.
    EXPECT_EQ(Text(*view_, kLocalMachine, "Software\\Classes\\.txt", ""), "txtfile");
}

TEST_F(ClassesRootViewTest, WritesGoWhereWindowsPutsThemAndNothingIsStoredTwice) {
    struct Case {
        std::string Key;       // below HKEY_CLASSES_ROOT
        registry::RootKey In;  // where the value must land
        std::string Copy;      // below that root
    };
    const Case cases[] = {
        {".txt", kCurrentUser, "Software\\Classes\\.TXT"},     // the key is HKCU's
        {"txtfile", kLocalMachine, "Software\\Classes\\txtfile"},  // HKLM's only
        {".new\\ShellNew", kLocalMachine, "Software\\Classes\\.new\\ShellNew"},  // a new key
        {"CLSID\\{C}\\InprocServer32", kLocalMachine,
         "Software\\Classes\\CLSID\\{C}\\InprocServer32"},  // new below an HKCU key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Key);
        const StoreHandle key = view_->Create(kClassesRoot, c.Key);
        ASSERT_NE(key, 0u);
        ASSERT_TRUE(view_->Write(key, "Written", SzValue("here")));
        view_->Close(key);
        EXPECT_EQ(Text(*inner_, c.In, c.Copy, "Written"), "here");
        const registry::RootKey other = c.In == kCurrentUser ? kLocalMachine : kCurrentUser;
        EXPECT_EQ(Text(*inner_, other, c.Copy, "Written"), "<none>");
        EXPECT_EQ(Text(*view_, kClassesRoot, c.Key, "Written"), "here");
    }
    // The inner store's own HKEY_CLASSES_ROOT stays empty.
    EXPECT_THAT(Subkeys(*inner_, kClassesRoot, ""), ElementsAre());
}

TEST_F(ClassesRootViewTest, DeletionsTakeTheCopyTheViewShows) {
    // A value of a key HKCU holds is deleted there.
    StoreHandle key = view_->Open(kClassesRoot, ".txt");
    ASSERT_TRUE(view_->DeleteValue(key, "Content Type"));
    view_->Close(key);
    EXPECT_THAT(ValueNames(*inner_, kCurrentUser, "Software\\Classes\\.txt"), ElementsAre());
    // Deleting the key removes the per-user copy: the machine's shows through.
    ASSERT_TRUE(view_->DeleteLeafKey(kClassesRoot, ".txt"));
    EXPECT_EQ(inner_->Open(kCurrentUser, "Software\\Classes\\.txt"), 0u);
    EXPECT_EQ(Text(*view_, kClassesRoot, ".txt", ""), "txtfile");
    // A key with subkeys of its own is refused; an HKLM key alone is deleted there.
    EXPECT_FALSE(view_->DeleteLeafKey(kClassesRoot, "CLSID\\{B}"));
    ASSERT_TRUE(view_->DeleteLeafKey(kClassesRoot, "txtfile"));
    EXPECT_EQ(inner_->Open(kLocalMachine, "Software\\Classes\\txtfile"), 0u);
    EXPECT_FALSE(view_->DeleteLeafKey(kClassesRoot, "txtfile"));
    EXPECT_FALSE(view_->DeleteLeafKey(kClassesRoot, ""));
    // A handle whose key went answers as a missing key.
    key = view_->Open(kClassesRoot, "CLSID\\{C}");
    ASSERT_TRUE(view_->DeleteLeafKey(kClassesRoot, "CLSID\\{C}"));
    registry::KeyCounts counts;
    std::string name;
    EXPECT_FALSE(view_->QueryKeyCounts(key, counts));
    EXPECT_FALSE(view_->SubkeyName(key, 0, name));
    EXPECT_FALSE(view_->ValueName(key, 0, name));
    view_->Close(key);
}

TEST_F(ClassesRootViewTest, OtherRootsPassThroughAndEveryHandleIsClosed) {
    Put(kClassesRoot, "Hidden", "", "never seen");  // the inner store's own HKCR
    EXPECT_EQ(view_->Open(kClassesRoot, "Hidden"), 0u);
    EXPECT_EQ(Text(*view_, kLocalMachine, "Software\\Classes\\CLSID\\{A}", ""), "machine A");
    EXPECT_THAT(Subkeys(*view_, kCurrentUser, "Software\\Classes\\CLSID"),
                ElementsAre("{b}", "{C}"));
    EXPECT_TRUE(view_->IsViewRoot(kClassesRoot));
    EXPECT_FALSE(view_->IsViewRoot(kLocalMachine));
    EXPECT_EQ(inner_->OpenHandleCount(), 0u);
}

// A .reg file that spells keys as HKEY_CLASSES_ROOT lands under HKLM\Software\Classes (or in
// the HKCU copy a key already has); the write-back holds each key once, never an HKCR section.
TEST(ClassesRootViewFiles, RegFileSectionsUnderHkcrLandInTheClassesCopiesAndExportOnce) {
    ClassesRootView view(std::make_unique<registry::MemoryStore>());
    const std::string file =
        "REGEDIT4\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Classes\\.log]\r\n\"User\"=\"1\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\.log]\r\n@=\"txtfile\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\comfile\\shell\\open\\command]\r\n@=\"\\\"%1\\\" %*\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\comfile]\r\n\"EditFlags\"=dword:00000038\r\n";
    const registry::RegFileParse parsed = registry::ParseRegFile(file, "classes.reg");
    ASSERT_TRUE(parsed.Status) << parsed.Status.Message;
    ASSERT_TRUE(registry::ApplyRegFile(parsed.File, view));
    registry::MemoryStore& inner = static_cast<registry::MemoryStore&>(view.Inner());
    RawValue value;
    EXPECT_TRUE(ReadValue(inner, kCurrentUser, "Software\\Classes\\.log", "", value));
    EXPECT_TRUE(ReadValue(inner, kLocalMachine, "Software\\Classes\\comfile\\shell\\open\\command",
                          "", value));
    EXPECT_THAT(Subkeys(inner, kClassesRoot, ""), ElementsAre());

    std::string bytes;
    std::string error;
    ASSERT_TRUE(registry::ExportStoreText(view, bytes, error)) << error;
    EXPECT_EQ(bytes,
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Classes]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Classes\\.log]\r\n\"User\"=\"1\"\r\n@=\"txtfile\"\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Classes]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Classes\\comfile]\r\n\"EditFlags\"=dword:38\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Classes\\comfile\\shell]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Classes\\comfile\\shell\\open]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Classes\\comfile\\shell\\open\\command]\r\n"
              "@=\"\\\"%1\\\" %*\"\r\n\r\n");
}

// The command line over files: a program folder with the shipped definition files.
class ClassesRootCommandTest : public ::testing::Test {
  protected:
    ClassesRootCommandTest() {
        fs::create_directory(tmp_.File("program"));
        fs::copy_file(fs::path(HW_TEST_DATA "/../../data/TrojanLock.ini").lexically_normal(),
                      fs::path(tmp_.File("program")) / "TrojanLock.ini");
        program_ = (fs::path(tmp_.File("program")) / "").string();
    }

    // The lock-record findings of a scan of `registry` with the trojan check alone.
    std::vector<std::string> LockFindings(const std::string& registry) {
        const std::string file = tmp_.Write("lock.reg", "REGEDIT4\r\n\r\n" + registry);
        const CliResult r = RunCli({"scan", "--registry", file, "--options", "8",
                                    "--program-folder", program_, "--json"});
        EXPECT_EQ(r.Code, cli::kExitOk) << r.Err;
        std::vector<std::string> found;
        const nlohmann::json scan = nlohmann::json::parse(r.Out);
        for (const auto& finding : scan["findings"]) {
            if (finding["IsLockedTrojan"] == true) {
                found.push_back(finding["TrojanName"].get<std::string>() + " " +
                                finding["KeyPath"].get<std::string>());
            }
        }
        return found;
    }

    TempFolder tmp_;
    std::string program_;
};

TEST_F(ClassesRootCommandTest, TheMyDoomLockRecordFiresWhicheverWayTheFileSpellsTheKey) {
    const std::string data = "@=\"C:\\\\WINDOWS\\\\System32\\\\shimgapi.dll\"\r\n";
    const std::string expected = "MyDoom.A HKEY_CLASSES_ROOT\\" + kMyDoomKey;
    for (const char* root : {"HKEY_CLASSES_ROOT\\", "HKEY_LOCAL_MACHINE\\Software\\Classes\\",
                             "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\",
                             "HKEY_CURRENT_USER\\Software\\Classes\\"}) {
        SCOPED_TRACE(root);
        EXPECT_THAT(LockFindings("[" + std::string(root) + kMyDoomKey + "]\r\n" + data), ElementsAre(expected));
    }
    // A per-user copy of the key hides the machine's values, as on Windows.
    EXPECT_THAT(LockFindings("[HKEY_LOCAL_MACHINE\\Software\\Classes\\" + kMyDoomKey + "]\r\n" +
                             data + "\r\n[HKEY_CURRENT_USER\\Software\\Classes\\" + kMyDoomKey +
                             "]\r\n@=\"C:\\\\Windows\\\\System32\\\\shimgvw.dll\"\r\n"),
                ElementsAre());
}

TEST_F(ClassesRootCommandTest, SearchFindsEachStoredValueOnceWhateverItsSpelling) {
    const std::string file = tmp_.Write(
        "classes.reg",
        "REGEDIT4\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\batfile\\shell\\open\\command]\r\n"
        "@=\"cmd.exe /c \\\"%1\\\"\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\batfile\\shell\\open\\command]\r\n"
        "@=\"cmd.exe /c \\\"%1\\\"\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\cmdfile\\shell\\open\\command]\r\n@=\"cmd.exe /k\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Classes\\.cmd]\r\n\"Shell\"=\"cmd.exe\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\.cmd]\r\n\"Other\"=\"cmd.exe\"\r\n");
    const CliResult r = RunCli({"search", "--registry", file, "cmd.exe"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_EQ(r.Out,
              "Replace      String Found (cmd.exe) - cmd.exe\n"
              "             HKEY_CURRENT_USER\\Software\\Classes\\.cmd\\Shell\n"
              "Replace      String Found (cmd.exe) - cmd.exe\n"
              "             HKEY_CURRENT_USER\\Software\\Classes\\.cmd\\Other\n"
              "Replace      String Found (cmd.exe) - cmd.exe /c \"%1\"\n"
              "             HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\batfile\\shell\\open\\"
              "command\\\n"
              "Replace      String Found (cmd.exe) - cmd.exe /k\n"
              "             HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\cmdfile\\shell\\open\\"
              "command\\\n"
              "\n"
              "Kestovar Hivewarden - 4 strings found\n");
}

// The store contract over the view: a passed-through root, and a scratch key under
// HKEY_CLASSES_ROOT itself (stored under HKLM\Software\Classes).
ScratchStore MakeViewScratch(registry::RootKey root, const std::string& base) {
    ScratchStore s;
    s.Store = std::make_unique<ClassesRootView>(std::make_unique<registry::MemoryStore>());
    s.Root = root;
    s.Base = base;
    s.Store->Close(s.Store->Create(s.Root, s.Base));
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    ClassesRootView, AccessContract,
    ::testing::Values(StoreBackend{"PassedThrough",
                                   [] {
                                       return MakeViewScratch(kCurrentUser,
                                                              "Software\\HivewardenContract");
                                   }},
                      StoreBackend{"ClassesRoot",
                                   [] { return MakeViewScratch(kClassesRoot, "HivewardenContract"); }}),
    BackendName);

}  // namespace
}  // namespace hivewarden::testing
