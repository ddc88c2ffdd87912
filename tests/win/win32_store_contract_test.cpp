// The access operations' contract run against the live registry through Win32Store, in a
// throwaway key below HKEY_CURRENT_USER\Software, and the Windows store's own promises: raw
// values round-trip byte for byte (strings as UTF-16LE, odd and unterminated ones as they are),
// names in any script as the system spells them, long names and paths, roots, leaf deletion
// and the 64-bit view.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/access.h"
#include "store/signals.h"
#include "text/text.h"
#include "store/win32/win32_store.h"
#include "support/fake_probes.h"
#include "support/raw_values.h"
#include "support/store_contract.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

using registry::RawValue;
using registry::StoreHandle;
using registry::Win32Store;

// Creates root\below\HivewardenTest-<pid>-<n> (a key that did not exist) in the given view.
std::string CreateThrowawayKey(HKEY root, const std::string& below, REGSAM view = 0) {
    return ClaimFreshName(below + "\\HivewardenTest-", [&](const std::string& path) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExW(root, WideOf(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | view, nullptr, &key, &disposition) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return disposition == REG_CREATED_NEW_KEY;
    });
}

bool KeyExistsInView(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, WideOf(path).c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The names of a key's subkeys or values as the system spells them, in UTF-16.
std::vector<std::wstring> SystemNames(HKEY root, const std::string& path, bool values) {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, WideOf(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return names;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD size = 16384;
        const LONG status =
            values ? RegEnumValueW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr)
                   : RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

ScratchStore MakeWin32Scratch() {
    ScratchStore s;
    s.Store = std::make_unique<Win32Store>();
    s.Root = registry::kCurrentUser;
    s.Base = CreateThrowawayKey(HKEY_CURRENT_USER, "Software");
    // Without its own key a test would work on HKEY_CURRENT_USER itself: refuse.
    if (s.Base.empty()) throw std::runtime_error("cannot create a scratch key below HKCU");
    s.Cleanup = [base = s.Base] { RegDeleteTreeW(HKEY_CURRENT_USER, WideOf(base).c_str()); };
    // Wine keeps a key's values sorted by name; Windows keeps them in creation order.
    s.ValuesInInsertionOrder = !RunningUnderWine();
    return s;
}

INSTANTIATE_TEST_SUITE_P(Win32Store, AccessContract,
                         ::testing::Values(StoreBackend{"Win32Store", MakeWin32Scratch}),
                         BackendName);

// A scratch key with a Win32Store, removed when the test ends.
class Win32StoreTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NO_THROW(scratch_ = MakeWin32Scratch()); }
    void TearDown() override {
        if (scratch_.Cleanup) scratch_.Cleanup();
    }
    Win32Store& Store() { return static_cast<Win32Store&>(*scratch_.Store); }
    std::string Path(const std::string& below = {}) const {
        return below.empty() ? scratch_.Base : scratch_.Base + "\\" + below;
    }
    // A handle that closes itself.
    registry::KeyHandle Create(const std::string& below) {
        return registry::KeyHandle(&Store(), Store().Create(registry::kCurrentUser, Path(below)));
    }
    registry::KeyHandle Open(const std::string& below) {
        return registry::KeyHandle(&Store(), Store().Open(registry::kCurrentUser, Path(below)));
    }

    ScratchStore scratch_;
    FakeProbes probes_;
    registry::EngineSignals signals_;
};

TEST_F(Win32StoreTest, RawValuesRoundTripByteForByte) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        RawValue value;
    };
    const Case cases[] = {
        {"string with terminator", SzValue("C:\\App\\app.exe")},
        {"expandable string stays unexpanded", ExpandSzValue("%SystemRoot%\\x")},
        {"multi-string with an empty inner string", MultiSzValue({"one", "", "two"})},
        {"string in other scripts",
         SzValue("C:\\\xE6\x9D\x8E\xE6\x98\x8E\\\xCE\xA9\\\xF0\x9F\x98\x80")},
        {"string without its terminator", {registry::kRegSz, Utf16("abcd")}},
        {"expandable string without its terminator", {registry::kRegExpandSz, Utf16("%x%")}},
        {"string of an odd byte count", {registry::kRegSz, "C\0:\0b"s}},
        {"string of a single byte", {registry::kRegSz, "C"s}},
        {"multi-string of an odd byte count", {registry::kRegMultiSz, "A\0\0\0B"s}},
        {"string with a lone surrogate", {registry::kRegSz, "\x00\xD8x\0\0\0"s}},
        {"empty string", {registry::kRegSz, ""}},
        {"binary of 300 bytes", {registry::kRegBinary, std::string(300, '\xAB')}},
        {"binary of 1 MB", {registry::kRegBinary, std::string(1 << 20, '\x5A')}},
        {"empty binary", {registry::kRegBinary, ""}},
        {"big-endian number is not swapped", {registry::kRegDwordBigEndian, "\x12\x34\x56\x78"s}},
        {"number", {registry::kRegDword, "\xFB\xFF\xFF\xFF"s}},
        {"qword", {registry::kRegQword, "\x01\x02\x03\x04\x05\x06\x07\x08"s}},
        {"none type", {registry::kRegNone, "\x01"s}},
        {"unknown type number", {0x1234, "abc"s}},
    };
    registry::KeyHandle key = Create("raw");
    ASSERT_TRUE(key);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Store().Write(key.Get(), c.name, c.value));
        RawValue read;
        ASSERT_TRUE(Store().Read(key.Get(), c.name, read));
        EXPECT_EQ(read.Type, c.value.Type);
        EXPECT_EQ(read.Bytes.size(), c.value.Bytes.size());
        EXPECT_TRUE(read.Bytes == c.value.Bytes);
    }
}

TEST_F(Win32StoreTest, ReadOfAMissingValueAndWritesToHandleZeroFail) {
    registry::KeyHandle key = Create("k");
    ASSERT_TRUE(key);
    RawValue read{registry::kRegDword, "keep"};
    EXPECT_FALSE(Store().Read(key.Get(), "missing", read));
    EXPECT_EQ(read, (RawValue{registry::kRegDword, "keep"}));
    EXPECT_FALSE(Store().Write(0, "v", RawValue{registry::kRegSz, std::string("x\0", 2)}));
    EXPECT_FALSE(Store().DeleteValue(key.Get(), "missing"));
    std::string name;
    EXPECT_FALSE(Store().SubkeyName(0, 0, name));
    EXPECT_FALSE(Store().ValueName(0, 0, name));
}

TEST_F(Win32StoreTest, LongNamesEnumerateInFull) {
    // A value name longer than the first name buffer, so the buffer has to grow. Key names
    // stay shorter: Windows allows 255 characters, Wine somewhat fewer.
    const std::string valueName(1000, 'v');
    const std::string keyName(200, 'k');
    {
        registry::KeyHandle key = Create("long");
        ASSERT_TRUE(key);
        ASSERT_TRUE(Store().Write(key.Get(), valueName, RawValue{registry::kRegDword, "1234"}));
    }
    registry::KeyHandle child = Create("long\\" + keyName);
    ASSERT_TRUE(child);
    registry::KeyHandle key = Open("long");
    std::uint32_t longest = 0;
    ASSERT_TRUE(Store().LongestValueName(key.Get(), longest));
    EXPECT_EQ(longest, valueName.size());
    std::string name;
    ASSERT_TRUE(Store().ValueName(key.Get(), 0, name));
    EXPECT_EQ(name, valueName);
    EXPECT_FALSE(Store().ValueName(key.Get(), 1, name));
    ASSERT_TRUE(Store().SubkeyName(key.Get(), 0, name));
    EXPECT_EQ(name, keyName);
    EXPECT_FALSE(Store().SubkeyName(key.Get(), 1, name));
}

TEST_F(Win32StoreTest, KeysBeyondTheAnsiPathLimitOpenEnumerateAndDelete) {
    // Some systems refuse a key path longer than MAX_PATH in one piece, although the registry
    // holds such keys. Names in other scripts count in characters, not bytes.
    std::string path = "deep";
    for (int level = 0; level < 30; ++level) {
        path += "\\level-\xCE\xA9" + std::string(12, static_cast<char>('a' + level % 26));
    }
    ASSERT_GT(Path(path).size(), 400u);
    {
        registry::KeyHandle key = Create(path);
        ASSERT_TRUE(key);
        ASSERT_TRUE(Store().Write(key.Get(), "v", RawValue{registry::kRegDword, "1234"}));
        ASSERT_TRUE(Create(path + "\\leaf"));
    }
    {
        registry::KeyHandle key = Open(path);
        ASSERT_TRUE(key);
        RawValue read;
        ASSERT_TRUE(Store().Read(key.Get(), "v", read));
        EXPECT_EQ(read.Bytes, "1234");
        std::string name;
        ASSERT_TRUE(Store().SubkeyName(key.Get(), 0, name));
        EXPECT_EQ(name, "leaf");
    }
    EXPECT_FALSE(Store().DeleteLeafKey(registry::kCurrentUser, Path(path)));  // has a subkey
    EXPECT_TRUE(Store().DeleteLeafKey(registry::kCurrentUser, Path(path + "\\leaf")));
    EXPECT_FALSE(Open(path + "\\leaf"));
    EXPECT_TRUE(Store().DeleteLeafKey(registry::kCurrentUser, Path(path)));
    EXPECT_FALSE(Open(path));
    EXPECT_TRUE(Open(path.substr(0, path.rfind('\\'))));
}

// The UTF-16 bytes of a wide text, for RegSetValueExW.
std::string WideBytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// ValueAt reads name and data in one call where both fit its first buffers, and as ValueName
// followed by Read otherwise; either way it must answer exactly what those two answer.
TEST_F(Win32StoreTest, ValueAtAnswersAsValueNameFollowedByRead) {
    using namespace std::string_literals;
    struct Case {
        const char* label;
        std::wstring name;
        DWORD type;
        std::string bytes;  // as RegSetValueExW stores them
    };
    const Case cases[] = {
        {"ASCII string", L"plain", REG_SZ, WideBytes(L"C:\\App\\app.exe"s + L'\0')},
        {"default value", L"", REG_SZ, WideBytes(L"C:\\default.exe"s + L'\0')},
        {"ASCII multi-string", L"multi", REG_MULTI_SZ, WideBytes(L"one\0two\0\0"s)},
        {"expandable string", L"expand", REG_EXPAND_SZ, WideBytes(L"%SystemRoot%\\x"s + L'\0')},
        {"number", L"number", REG_DWORD, "\x2A\0\0\0"s},
        {"empty binary", L"empty", REG_BINARY, ""},
        {"name outside ASCII", L"R\u00E9sum\u00E9", REG_SZ, WideBytes(L"x"s + L'\0')},
        {"name the code page only approximates", L"\u0141\u00F3d\u017A", REG_SZ,
         WideBytes(L"y"s + L'\0')},
        {"name in CJK", L"\u540D\u524D", REG_SZ, WideBytes(L"C:\\\u738B\\app.exe"s + L'\0')},
        {"name with a surrogate pair", L"\U0001F600", REG_SZ, WideBytes(L"e"s + L'\0')},
        {"name with a question mark", L"what?", REG_SZ, WideBytes(L"z"s + L'\0')},
        {"string outside ASCII", L"omega", REG_SZ, WideBytes(L"C:\\\u03A9\\x.exe"s + L'\0')},
        {"multi-string outside ASCII", L"multiu", REG_MULTI_SZ, WideBytes(L"\u00E9\0\0"s)},
        {"string of an odd byte count", L"odd", REG_SZ, "C\0:\0b"s},
        {"string without its terminator", L"unterminated", REG_SZ, WideBytes(L"abcd")},
        {"string larger than the first buffer", L"big", REG_SZ,
         WideBytes(std::wstring(2000, L'b') + L'\0')},
        {"binary larger than the first buffer", L"bigbin", REG_BINARY, std::string(3000, 'A')},
        {"name longer than the first buffer", std::wstring(300, L'n'), REG_SZ,
         WideBytes(L"n"s + L'\0')},
    };
    registry::KeyHandle key = Create("valueat");
    ASSERT_TRUE(key);
    for (const Case& c : cases) {
        // A non-zero unit after the data, or the system would add a terminator to the string
        // that has none.
        const std::string buffer = c.bytes + "\xFF\xFF";
        ASSERT_EQ(RegSetValueExW(reinterpret_cast<HKEY>(key.Get()), c.name.c_str(), 0, c.type,
                                 reinterpret_cast<const BYTE*>(buffer.data()),
                                 static_cast<DWORD>(c.bytes.size())),
                  ERROR_SUCCESS)
            << c.label;
    }
    std::uint32_t index = 0;
    for (;; ++index) {
        SCOPED_TRACE(index);
        std::string expectedName;
        const bool named = Store().ValueName(key.Get(), index, expectedName);
        std::string name = "untouched";
        std::optional<RawValue> value;
        ASSERT_EQ(Store().ValueAt(key.Get(), index, name, value), named);
        if (!named) break;
        EXPECT_EQ(name, expectedName);
        RawValue expected;
        const bool readable = Store().Read(key.Get(), expectedName, expected);
        ASSERT_EQ(value.has_value(), readable) << expectedName;
        if (readable) {
            EXPECT_TRUE(*value == expected) << expectedName;
        }
    }
    EXPECT_EQ(index, std::size(cases));
    // Every value comes back with its name in UTF-8 and its bytes exactly as stored.
    std::string name;
    std::optional<RawValue> value;
    std::size_t seen = 0;
    for (std::uint32_t i = 0; Store().ValueAt(key.Get(), i, name, value); ++i) {
        for (const Case& c : cases) {
            if (name != Utf8Of(c.name)) continue;
            SCOPED_TRACE(c.label);
            ++seen;
            EXPECT_EQ(value, (RawValue{c.type, c.bytes}));
        }
    }
    EXPECT_EQ(seen, std::size(cases));
    std::string untouched = "untouched";
    EXPECT_FALSE(Store().ValueAt(0, 0, untouched, value));
}

// Key and value names in other scripts reach the system as the same characters (checked
// through the system's own wide enumeration), come back as the same UTF-8, and open in any case
// by the system's rule; a name with a lone surrogate, which Windows accepts, is found again.
TEST_F(Win32StoreTest, NamesInAnyScriptAreTheSystemsNamesExactly) {
    using namespace std::string_literals;
    const std::string sub = "Sub\xE6\x9D\x8E";                      // Sub李
    const std::string omega = "\xCF\x89mega";                         // ωmega
    const std::string lone = "lone\xED\xA0\x80";                     // a lone high surrogate
    const std::vector<std::string> values = {
        "\xE5\x90\x8D\xE5\x89\x8D",                                 // 名前
        "\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A",                       // عربي
        "\xF0\x9F\x98\x80",                                         // an emoji
        "J\xC3\xBCrgen", lone};
    {
        registry::KeyHandle key = Create(sub + "\\" + omega);
        ASSERT_TRUE(key);
        for (const std::string& name : values) {
            ASSERT_TRUE(Store().Write(key.Get(), name, SzValue(name))) << name;
        }
    }
    ASSERT_TRUE(Create(lone));
    EXPECT_EQ(SystemNames(HKEY_CURRENT_USER, Path(), false),
              (std::vector<std::wstring>{WideOf(sub), L"lone\xD800"}));
    std::vector<std::wstring> wideValues;
    for (const std::string& name : values) wideValues.push_back(WideOf(name));
    std::sort(wideValues.begin(), wideValues.end());
    EXPECT_EQ(SystemNames(HKEY_CURRENT_USER, Path(sub + "\\" + omega), true), wideValues);

    // Back through the store: the same UTF-8 names, the same data.
    registry::KeyHandle key = Open("SUB\xE6\x9D\x8E\\\xCE\xA9MEGA");  // SUB李\ΩMEGA
    ASSERT_TRUE(key);
    std::vector<std::string> read;
    std::string name;
    for (std::uint32_t i = 0; Store().ValueName(key.Get(), i, name); ++i) {
        read.push_back(name);
        RawValue value;
        ASSERT_TRUE(Store().Read(key.Get(), name, value)) << name;
        EXPECT_EQ(value, SzValue(name)) << name;
    }
    std::vector<std::string> expected = values;
    std::sort(expected.begin(), expected.end());
    std::sort(read.begin(), read.end());
    EXPECT_EQ(read, expected);
    std::vector<std::string> keys;
    registry::KeyHandle base = Open("");
    for (std::uint32_t i = 0; Store().SubkeyName(base.Get(), i, name); ++i) keys.push_back(name);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{sub, lone}));
    EXPECT_TRUE(Open(lone));
    EXPECT_TRUE(Store().DeleteValue(key.Get(), values[0]));
    EXPECT_TRUE(Store().DeleteLeafKey(registry::kCurrentUser, Path(lone)));
    EXPECT_FALSE(Open(lone));
}

TEST_F(Win32StoreTest, KeysKeepTheirSpellingAndOpenInAnyCase) {
    ASSERT_TRUE(Create("MixedCase"));
    registry::KeyHandle key = Open("");
    std::string name;
    ASSERT_TRUE(Store().SubkeyName(key.Get(), 0, name));
    EXPECT_EQ(name, "MixedCase");
    EXPECT_TRUE(Open("MIXEDCASE"));
    EXPECT_FALSE(Open("MixedCase\\missing"));
    // A name with an inner zero would address another key: it addresses none.
    EXPECT_FALSE(Open(std::string("MixedCase\0x", 11)));
}

TEST_F(Win32StoreTest, EmptyPathOpensTheRootAndClosingItKeepsTheRootUsable) {
    registry::RegistryAccess access(Store(), probes_, signals_);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const std::vector<std::string> top = access.EnumSubkeys(registry::kCurrentUser, "");
        EXPECT_TRUE(std::any_of(top.begin(), top.end(),
                                [](const std::string& n) { return EqualsNoCase(n, "Software"); }));
    }
    EXPECT_TRUE(access.KeyExists(registry::kCurrentUser, Path()));
    EXPECT_EQ(Store().Open(0x80000006u, ""), 0u);
}

TEST_F(Win32StoreTest, DeleteLeafKeyRefusesKeysWithSubkeysAndRoots) {
    ASSERT_TRUE(Create("parent\\child"));
    EXPECT_FALSE(Store().DeleteLeafKey(registry::kCurrentUser, Path("parent")));
    EXPECT_TRUE(Open("parent\\child"));
    EXPECT_TRUE(Store().DeleteLeafKey(registry::kCurrentUser, Path("parent\\child")));
    EXPECT_FALSE(Open("parent\\child"));
    EXPECT_TRUE(Store().DeleteLeafKey(registry::kCurrentUser, Path("PARENT")));
    EXPECT_FALSE(Open("parent"));
    EXPECT_FALSE(Store().DeleteLeafKey(registry::kCurrentUser, Path("parent")));
    EXPECT_FALSE(Store().DeleteLeafKey(registry::kCurrentUser, ""));
}

TEST_F(Win32StoreTest, CleanupRemovesTheScratchKeyWithEverythingBelowIt) {
    ASSERT_TRUE(Create("a\\b\\c"));
    registry::KeyHandle key = Open("a\\b");
    ASSERT_TRUE(Store().Write(key.Get(), "v", RawValue{registry::kRegSz, std::string("x\0", 2)}));
    key.Close();
    scratch_.Cleanup();
    scratch_.Cleanup = nullptr;
    EXPECT_FALSE(KeyExistsInView(HKEY_CURRENT_USER, Path(), 0));
}

// Wine answers every index of this key's value list with ERROR_INVALID_HANDLE and never with
// "no more items"; an enumeration that waited for the latter would never end.
TEST(Win32StoreEnumeration, EndsOnKeysThatAnswerEveryIndexWithAnError) {
    Win32Store store;
    FakeProbes probes;
    registry::EngineSignals signals;
    registry::RegistryAccess access(store, probes, signals);
    const std::string perflib = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009";
    const auto values = access.EnumValues(registry::kLocalMachine, perflib);
    if (RunningUnderWine()) {
        registry::KeyHandle key = access.OpenKey(registry::kLocalMachine, perflib);
        ASSERT_TRUE(key);
        std::string name;
        EXPECT_FALSE(store.ValueName(key.Get(), 0, name));
        EXPECT_TRUE(values.empty());
    }
    EXPECT_LT(values.size(), 100000u);
}

// The store works in the 64-bit registry view on 64-bit Windows, also from a 32-bit build:
// a key it creates below HKLM\Software is not a key of the 32-bit view (Wow6432Node).
TEST(Win32StoreView, CreatesAndDeletesKeysInThe64BitView) {
    Win32Store store;
    const bool system64 = store.ViewFlag() != 0;
#ifdef _WIN64
    EXPECT_TRUE(system64);
#endif
    // Writing below HKLM needs an administrator on Windows; Wine lets everybody.
    const std::string path = ClaimFreshName("Software\\HivewardenTest-", [&](const std::string& p) {
        if (KeyExistsInView(HKEY_LOCAL_MACHINE, p, KEY_WOW64_64KEY)) return false;
        const StoreHandle key = store.Create(registry::kLocalMachine, p);
        store.Close(key);
        return key != 0;
    });
    if (path.empty()) GTEST_SKIP() << "HKEY_LOCAL_MACHINE\\Software is not writable here";
    const bool in64 = KeyExistsInView(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY);
    const bool in32 = KeyExistsInView(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY);
    EXPECT_TRUE(store.DeleteLeafKey(registry::kLocalMachine, path));
    const bool leftIn64 = KeyExistsInView(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY);
    if (leftIn64) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_64KEY, 0);
    if (in32 && system64) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_32KEY, 0);
    EXPECT_TRUE(in64);
    if (system64) {
        EXPECT_FALSE(in32);
    }
    EXPECT_FALSE(leftIn64);
}

}  // namespace
}  // namespace hivewarden::testing
