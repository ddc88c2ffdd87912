// The access operations' contract, run against every store backend (the memory store here;
// the Win32 store joins in the Windows test run).
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "store/access.h"
#include "store/memory_store.h"
#include "support/fake_probes.h"
#include "support/raw_values.h"
#include "support/store_contract.h"

namespace hivewarden::testing {
namespace {

using registry::RawValue;
using registry::RegistryAccess;
using ::testing::ElementsAre;

class Scratch {
public:
    explicit Scratch(const StoreBackend& backend) : s_(backend.Make()) {
        probes_.SetEnv("HW_TEST_DIR", "C:\\Data");
    }
    ~Scratch() {
        if (s_.Cleanup) s_.Cleanup();
    }
    RegistryAccess& Access() { return access_; }
    registry::EngineSignals& Signals() { return signals_; }
    registry::RootKey Root() const { return s_.Root; }
    std::string Path(const std::string& below = {}) const {
        return below.empty() ? s_.Base : s_.Base + "\\" + below;
    }
    void Raw(const std::string& key, const std::string& name, std::uint32_t type,
             std::string bytes) {
        access_.CreateKey(Root(), Path(key));
        ASSERT_TRUE(access_.WriteRaw(Root(), Path(key), name, RawValue{type, std::move(bytes)}));
    }
    bool InsertionOrder() const { return s_.ValuesInInsertionOrder; }

private:
    ScratchStore s_;
    FakeProbes probes_;
    registry::EngineSignals signals_;
    RegistryAccess access_{*s_.Store, probes_, signals_};
};

TEST_P(AccessContract, CreateKeyMakesIntermediateKeysAndSubkeysListInNameOrder) {
    Scratch s(GetParam());
    s.Access().CreateKey(s.Root(), s.Path("b\\deep\\deeper"));
    s.Access().CreateKey(s.Root(), s.Path("C"));
    s.Access().CreateKey(s.Root(), s.Path("a"));
    EXPECT_THAT(s.Access().EnumSubkeys(s.Root(), s.Path()), ElementsAre("a", "b", "C"));
    EXPECT_TRUE(s.Access().KeyExists(s.Root(), s.Path("B\\DEEP")));
}

TEST_P(AccessContract, MissingKeyReadsAsEmpty) {
    Scratch s(GetParam());
    EXPECT_FALSE(s.Access().OpenKey(s.Root(), s.Path("nope")));
    EXPECT_TRUE(s.Access().EnumSubkeys(s.Root(), s.Path("nope")).empty());
    EXPECT_TRUE(s.Access().EnumValues(s.Root(), s.Path("nope")).empty());
    registry::KeyReader missing = s.Access().ReadKey(s.Root(), s.Path("nope"));
    EXPECT_TRUE(missing.Values().empty());
    EXPECT_TRUE(missing.Subkeys().empty());
    EXPECT_FALSE(missing.IsEmpty());  // not known to be empty: it is not there at all
    EXPECT_EQ(s.Access().QueryValue(s.Root(), s.Path("nope"), "x", registry::kTextKind), "");
    EXPECT_EQ(s.Access().QueryNumber(s.Root(), s.Path("nope"), "x"), 0);
    // Writes to a missing key are skipped silently and create nothing.
    s.Access().SetValue(s.Root(), s.Path("nope"), "x", registry::kTextKind, "data");
    EXPECT_FALSE(s.Access().KeyExists(s.Root(), s.Path("nope")));
}

struct TextCase {
    const char* name;
    std::uint32_t type;
    std::string bytes;
    std::string text;
    std::int32_t reduced;
};

std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}

std::string RepeatedHex(std::size_t pairs) {
    std::string s;
    for (std::size_t i = 0; i < pairs; ++i) s += "AB ";
    return s;
}

TEST_P(AccessContract, ValuesReadAsTextByType) {
    using namespace std::string_literals;
    const TextCase cases[] = {
        {"plain string", registry::kRegSz, SzBytes("C:\\App\\app.exe"), "C:\\App\\app.exe", 1},
        {"empty string", registry::kRegSz, SzBytes(""), "", 1},
        {"string of no bytes", registry::kRegSz, "", "", 1},
        {"string in other scripts", registry::kRegSz,
         SzBytes("C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\\xCE\xA9 \xF0\x9F\x98\x80"),
         "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\\xCE\xA9 \xF0\x9F\x98\x80", 1},
        {"string without terminator loses nothing", registry::kRegSz, Utf16("abc"), "abc", 1},
        {"odd final byte is no text", registry::kRegSz, Utf16("ab") + "c", "ab", 1},
        {"lone surrogate in its three-byte form", registry::kRegSz, "\0\xD8" "A\0\0\0"s,
         "\xED\xA0\x80" "A", 1},
        {"multi string keeps inner zeros", registry::kRegMultiSz,
         MultiSzValue({"one", "two"}).Bytes, "one\0two\0"s, 1},
        {"expandable string is expanded", registry::kRegExpandSz,
         SzBytes("%HW_TEST_DIR%\\a.dll"),
         "C:\\Data\\a.dll", 1},
        {"number", registry::kRegDword, Bytes({0x2A, 0, 0, 0}), "42", 4},
        {"number 0x80000000 is negative", registry::kRegDword, Bytes({0, 0, 0, 0x80}),
         "-2147483648", 4},
        {"number 0xFFFFFFFF is -1", registry::kRegDword, Bytes({0xFF, 0xFF, 0xFF, 0xFF}), "-1",
         4},
        {"big-endian number is reversed", registry::kRegDwordBigEndian, Bytes({0, 0, 1, 0}),
         "256", 4},
        {"binary gets one extra pair", registry::kRegBinary, Bytes({0x0A, 0xFF}), "0A FF 00 ",
         3},
        {"empty binary is one pair", registry::kRegBinary, "", "00 ", 3},
        {"binary of 300 bytes shows 256 pairs", registry::kRegBinary, std::string(300, '\xAB'),
         RepeatedHex(256), 3},
        {"binary of 255 bytes shows 256 pairs", registry::kRegBinary, std::string(255, '\xAB'),
         RepeatedHex(255) + "00 ", 3},
        {"none type as hex", registry::kRegNone, Bytes({1}), "01 00 ", 3},
        {"qword as hex", registry::kRegQword, Bytes({1, 0, 0, 0, 0, 0, 0, 0}),
         "01 00 00 00 00 00 00 00 00 ", 3},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        Scratch s(GetParam());
        s.Raw("v", "value", c.type, c.bytes);
        registry::KeyHandle key = s.Access().OpenKey(s.Root(), s.Path("v"));
        const registry::ValueText text = s.Access().ReadValueText(key, "value");
        EXPECT_EQ(text.Data, c.text);
        EXPECT_EQ(text.Type, c.reduced);
        // The listing of the key gives the same text.
        const auto values = s.Access().EnumValues(s.Root(), s.Path("v"));
        ASSERT_EQ(values.size(), 1u);
        EXPECT_EQ(values[0].Name, "value");
        EXPECT_EQ(values[0].Data, c.text);
        EXPECT_EQ(values[0].Type, c.reduced);
    }
}

// Names in any script are kept as they were written and found again in any case, by the
// registry's per-character upper case.
TEST_P(AccessContract, NamesInAnyScriptAreKeptAndFoundInAnyCase) {
    Scratch s(GetParam());
    const std::string cjk = "Sub\xE6\x9D\x8E";                          // Sub李
    const std::string greek = "\xCF\x89mega";                            // ωmega
    const std::string greekUpper = "\xCE\xA9MEGA";                       // ΩMEGA
    const std::string emoji = "\xF0\x9F\x98\x80 smile";                  // 😀 smile
    const std::string cyrillic = "\xD0\xB6\xD1\x83\xD0\xBA";             // жук
    const std::string cyrillicUpper = "\xD0\x96\xD0\xA3\xD0\x9A";        // ЖУК
    for (const std::string& name : {cjk, greek, emoji, cyrillic}) {
        s.Access().CreateKey(s.Root(), s.Path(name));
    }
    s.Access().CreateKey(s.Root(), s.Path(greekUpper));  // the same key as greek
    EXPECT_THAT(s.Access().EnumSubkeys(s.Root(), s.Path()),
                ::testing::UnorderedElementsAre(cjk, greek, emoji, cyrillic));
    EXPECT_TRUE(s.Access().KeyExists(s.Root(), s.Path(greekUpper)));
    EXPECT_TRUE(s.Access().KeyExists(s.Root(), s.Path(cyrillicUpper)));
    EXPECT_TRUE(s.Access().KeyExists(s.Root(), s.Path("SUB\xE6\x9D\x8E")));

    const std::string name = "\xE5\x90\x8D\xE5\x89\x8D";  // 名前
    const std::string data = "C:\\Apps\\\xE7\x8E\x8B\\app.exe";
    s.Access().SetValue(s.Root(), s.Path(cjk), name, registry::kTextKind, data);
    s.Access().SetValue(s.Root(), s.Path(cjk), cyrillic, registry::kTextKind, "x");
    RawValue raw;
    ASSERT_TRUE(s.Access().ReadRaw(s.Root(), s.Path(cjk), name, raw));
    EXPECT_EQ(raw, SzValue(data));
    EXPECT_TRUE(s.Access().ReadRaw(s.Root(), s.Path(cjk), cyrillicUpper, raw));
    const auto values = s.Access().EnumValues(s.Root(), s.Path(cjk));
    ASSERT_EQ(values.size(), 2u);
    const auto named = std::find_if(values.begin(), values.end(),
                                    [&](const registry::ValueRecord& v) { return v.Name == name; });
    ASSERT_NE(named, values.end());
    EXPECT_EQ(named->Data, data);
    EXPECT_EQ(s.Access().QueryValue(s.Root(), s.Path("sub\xE6\x9D\x8E"), name,
                                    registry::kTextKind),
              data);
}

// The store keeps every byte of string data: odd lengths, missing terminators, no bytes at
// all and lone surrogates come back as they were written.
TEST_P(AccessContract, StringDataKeepsEveryByte) {
    Scratch s(GetParam());
    using namespace std::string_literals;
    const RawValue kValues[] = {
        {registry::kRegSz, ""},
        {registry::kRegSz, Utf16("no terminator")},
        {registry::kRegSz, Utf16("odd") + "!"},
        {registry::kRegExpandSz, "%\0" "A\0%\0"s},
        {registry::kRegMultiSz, "A\0\0\0B"s},
        {registry::kRegSz, "\0\xD8\0\0"s},
        {registry::kRegSz, SzBytes("\xF0\x9F\x98\x80")},
    };
    int i = 0;
    for (const RawValue& value : kValues) {
        SCOPED_TRACE(i);
        const std::string name = "v" + std::to_string(i++);
        s.Raw("k", name, value.Type, value.Bytes);
        RawValue back;
        ASSERT_TRUE(s.Access().ReadRaw(s.Root(), s.Path("k"), name, back));
        EXPECT_EQ(back, value);
    }
}

// The longest value name is counted in characters (UTF-16 units) as Windows counts it, not in
// the bytes of its UTF-8 form.
TEST_P(AccessContract, LongestValueNameCountsCharacters) {
    Scratch s(GetParam());
    struct Step {
        const char* name;
        std::string valueName;
        std::uint32_t longest;
    };
    const Step kSteps[] = {
        {"three letters", "abc", 3},
        {"three CJK characters (nine bytes)", "\xE5\x90\x8D\xE5\x89\x8D\xE5\x90\x8D", 3},
        {"two emoji (two units each)", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 4},
    };
    s.Access().CreateKey(s.Root(), s.Path("k"));
    for (const Step& step : kSteps) {
        SCOPED_TRACE(step.name);
        s.Access().SetValue(s.Root(), s.Path("k"), step.valueName, registry::kTextKind, "x");
        registry::KeyHandle key = s.Access().OpenKey(s.Root(), s.Path("k"));
        std::uint32_t longest = 0;
        ASSERT_TRUE(s.Access().Store().LongestValueName(key.Get(), longest));
        EXPECT_EQ(longest, step.longest);
    }
}

TEST_P(AccessContract, EnumValuesReportsDefaultValueWithEmptyName) {
    Scratch s(GetParam());
    s.Access().CreateKey(s.Root(), s.Path("k"));
    s.Access().SetValue(s.Root(), s.Path("k"), "", registry::kTextKind, "default data");
    const auto values = s.Access().EnumValues(s.Root(), s.Path("k"));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].Name, "");
    EXPECT_EQ(values[0].Data, "default data");
    EXPECT_EQ(values[0].Type, registry::kTextType);
}

TEST_P(AccessContract, SetValueWritesTextAndNumbers) {
    Scratch s(GetParam());
    s.Access().CreateKey(s.Root(), s.Path("k"));
    s.Access().SetValue(s.Root(), s.Path("k"), "a", registry::kTextKind, "hello");
    s.Access().SetValue(s.Root(), s.Path("k"), "b", registry::kNumberKind, "-5");
    RawValue raw;
    ASSERT_TRUE(s.Access().ReadRaw(s.Root(), s.Path("k"), "a", raw));
    EXPECT_EQ(raw, SzValue("hello"));
    ASSERT_TRUE(s.Access().ReadRaw(s.Root(), s.Path("k"), "b", raw));
    EXPECT_EQ(raw, (RawValue{registry::kRegDword, Bytes({0xFB, 0xFF, 0xFF, 0xFF})}));
    EXPECT_EQ(s.Access().QueryValue(s.Root(), s.Path("k"), "a", registry::kTextKind), "hello");
    EXPECT_EQ(s.Access().QueryNumber(s.Root(), s.Path("k"), "b"), -5);
    EXPECT_THROW(
        s.Access().SetValue(s.Root(), s.Path("k"), "c", registry::kNumberKind, "twelve"),
        registry::NumberConversionError);
    EXPECT_THROW(
        s.Access().SetValue(s.Root(), s.Path("k"), "c", registry::kNumberKind, "4294967296"),
        registry::NumberConversionError);
}

TEST_P(AccessContract, DeleteValueRemovesOnlyThatValue) {
    Scratch s(GetParam());
    s.Access().CreateKey(s.Root(), s.Path("k"));
    s.Access().SetValue(s.Root(), s.Path("k"), "a", registry::kTextKind, "1");
    s.Access().SetValue(s.Root(), s.Path("k"), "b", registry::kTextKind, "2");
    s.Access().DeleteValue(s.Root(), s.Path("k"), "A");
    const auto values = s.Access().EnumValues(s.Root(), s.Path("k"));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].Name, "b");
}

TEST_P(AccessContract, DeleteKeyRemovesTheWholeSubtree) {
    Scratch s(GetParam());
    s.Access().CreateKey(s.Root(), s.Path("k\\child\\grandchild\\leaf"));
    s.Access().CreateKey(s.Root(), s.Path("k\\other"));
    s.Access().SetValue(s.Root(), s.Path("k\\child"), "v", registry::kTextKind, "x");
    s.Access().CreateKey(s.Root(), s.Path("keep"));
    s.Access().DeleteKey(s.Root(), s.Path("k"));
    EXPECT_FALSE(s.Access().KeyExists(s.Root(), s.Path("k")));
    EXPECT_THAT(s.Access().EnumSubkeys(s.Root(), s.Path()), ElementsAre("keep"));
}

TEST_P(AccessContract, StopRequestedEmptiesEnumerations) {
    Scratch s(GetParam());
    s.Access().CreateKey(s.Root(), s.Path("a"));
    s.Access().SetValue(s.Root(), s.Path(), "v", registry::kTextKind, "x");
    s.Signals().StopRequested = true;
    EXPECT_TRUE(s.Access().EnumSubkeys(s.Root(), s.Path()).empty());
    EXPECT_TRUE(s.Access().EnumValues(s.Root(), s.Path()).empty());
}

TEST_P(AccessContract, EnumerationsYieldOncePerItemAndStopMidway) {
    Scratch s(GetParam());
    for (const char* name : {"a", "b", "c", "d"}) {
        s.Access().CreateKey(s.Root(), s.Path(name));
        s.Access().SetValue(s.Root(), s.Path(), name, registry::kTextKind, name);
    }
    int yields = 0;
    s.Signals().YieldHook = [&] { ++yields; };
    EXPECT_EQ(s.Access().EnumSubkeys(s.Root(), s.Path()).size(), 4u);
    EXPECT_EQ(yields, 4);
    yields = 0;
    EXPECT_EQ(s.Access().EnumValues(s.Root(), s.Path()).size(), 4u);
    EXPECT_EQ(yields, 4);
    // Cancel pressed during the second yield: the listing ends after that item.
    yields = 0;
    s.Signals().YieldHook = [&] {
        if (++yields == 2) s.Signals().StopRequested = true;
    };
    EXPECT_EQ(s.Access().EnumSubkeys(s.Root(), s.Path()).size(), 2u);
}

TEST_P(AccessContract, ValuesEnumerateInStoreOrder) {
    Scratch s(GetParam());
    s.Access().CreateKey(s.Root(), s.Path("k"));
    for (const char* name : {"zeta", "alpha", "Mid"}) {
        s.Access().SetValue(s.Root(), s.Path("k"), name, registry::kTextKind, name);
    }
    std::vector<std::string> names;
    for (const auto& v : s.Access().EnumValues(s.Root(), s.Path("k"))) names.push_back(v.Name);
    if (s.InsertionOrder()) {
        EXPECT_THAT(names, ElementsAre("zeta", "alpha", "Mid"));
    } else {
        // Wine keeps values sorted by name.
        EXPECT_THAT(names, ElementsAre("alpha", "Mid", "zeta"));
    }
}

// What the store reports for a key and what its listings give, through the store's own calls
// and through one KeyReader.
struct KeySeen {
    registry::KeyCounts Reported;
    std::uint32_t SubkeysByIndex = 0;
    std::uint32_t ValuesByIndex = 0;
    std::vector<std::string> Subkeys;
    std::vector<std::string> ValueNames;
    bool Empty = false;
};

KeySeen SeeKey(Scratch& s, const std::string& below) {
    KeySeen seen;
    registry::RegistryStore& store = s.Access().Store();
    {
        registry::KeyHandle key = s.Access().OpenKey(s.Root(), s.Path(below));
        EXPECT_TRUE(key);
        EXPECT_TRUE(store.QueryKeyCounts(key.Get(), seen.Reported));
        std::string name;
        while (store.SubkeyName(key.Get(), seen.SubkeysByIndex, name)) ++seen.SubkeysByIndex;
        while (store.ValueName(key.Get(), seen.ValuesByIndex, name)) ++seen.ValuesByIndex;
    }
    registry::KeyReader reader = s.Access().ReadKey(s.Root(), s.Path(below));
    for (const registry::ValueRecord& value : reader.Values()) {
        seen.ValueNames.push_back(value.Name);
    }
    seen.Subkeys = reader.Subkeys();
    seen.Empty = reader.IsEmpty();
    return seen;
}

TEST_P(AccessContract, KeyCountsMatchWhatEnumeratesAndOneReaderListsBoth) {
    Scratch s(GetParam());
    for (const char* sub : {"k\\b", "k\\A", "k\\c\\deeper"}) {
        s.Access().CreateKey(s.Root(), s.Path(sub));
    }
    s.Access().SetValue(s.Root(), s.Path("k"), "", registry::kTextKind, "default");
    s.Access().SetValue(s.Root(), s.Path("k"), "n", registry::kNumberKind, "7");
    s.Raw("k", "bin", registry::kRegBinary, std::string(2000, '\x01'));  // beyond one small read
    s.Raw("k\\c", "only", registry::kRegSz, SzBytes("x"));

    const KeySeen k = SeeKey(s, "k");
    EXPECT_EQ(k.Reported, (registry::KeyCounts{3, 3}));
    EXPECT_EQ(k.SubkeysByIndex, 3u);
    EXPECT_EQ(k.ValuesByIndex, 3u);
    EXPECT_THAT(k.Subkeys, ElementsAre("A", "b", "c"));
    EXPECT_THAT(k.ValueNames, ::testing::UnorderedElementsAre("", "n", "bin"));
    EXPECT_FALSE(k.Empty);

    // Counts are the key's own items, not its subtree's.
    const KeySeen c = SeeKey(s, "k\\c");
    EXPECT_EQ(c.Reported, (registry::KeyCounts{1, 1}));
    EXPECT_THAT(c.Subkeys, ElementsAre("deeper"));
    EXPECT_THAT(c.ValueNames, ElementsAre("only"));
    EXPECT_FALSE(c.Empty);
}

TEST_P(AccessContract, AnEmptyKeyCountsNothingListsNothingAndIsEmptyUntilFilled) {
    Scratch s(GetParam());
    s.Access().CreateKey(s.Root(), s.Path("empty"));
    const KeySeen seen = SeeKey(s, "empty");
    EXPECT_EQ(seen.Reported, (registry::KeyCounts{0, 0}));
    EXPECT_EQ(seen.SubkeysByIndex + seen.ValuesByIndex, 0u);
    EXPECT_TRUE(seen.Subkeys.empty());
    EXPECT_TRUE(seen.ValueNames.empty());
    EXPECT_TRUE(seen.Empty);

    // Emptiness is asked afresh: items added after the reader opened the key count.
    struct Case {
        const char* name;
        std::function<void()> fill;
    };
    const Case kCases[] = {
        {"a value",
         [&] { s.Access().SetValue(s.Root(), s.Path("empty"), "v", registry::kTextKind, "x"); }},
        {"a subkey", [&] { s.Access().CreateKey(s.Root(), s.Path("empty\\sub")); }},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        s.Access().DeleteKey(s.Root(), s.Path("empty"));
        s.Access().CreateKey(s.Root(), s.Path("empty"));
        registry::KeyReader reader = s.Access().ReadKey(s.Root(), s.Path("empty"));
        EXPECT_TRUE(reader.Values().empty());
        c.fill();
        EXPECT_FALSE(reader.IsEmpty());
    }
}

TEST_P(AccessContract, AKeyDeletedAfterItWasOpenedAnswersNothingMore) {
    Scratch s(GetParam());
    s.Access().CreateKey(s.Root(), s.Path("gone\\child"));
    s.Access().SetValue(s.Root(), s.Path("gone"), "v", registry::kTextKind, "x");
    registry::RegistryStore& store = s.Access().Store();
    registry::KeyHandle handle = s.Access().OpenKey(s.Root(), s.Path("gone"));
    ASSERT_TRUE(handle);
    registry::KeyReader reader = s.Access().ReadKey(s.Root(), s.Path("gone"));
    const std::vector<registry::ValueRecord> values = reader.Values();  // opens the key
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].Data, "x");

    s.Access().DeleteKey(s.Root(), s.Path("gone"));
    ASSERT_FALSE(s.Access().KeyExists(s.Root(), s.Path("gone")));

    registry::KeyCounts counts;
    std::string name;
    std::optional<RawValue> raw;
    EXPECT_FALSE(store.QueryKeyCounts(handle.Get(), counts));
    EXPECT_FALSE(store.SubkeyName(handle.Get(), 0, name));
    EXPECT_FALSE(store.ValueAt(handle.Get(), 0, name, raw));
    // The reader had counted one subkey when it opened the key; the key is gone now.
    EXPECT_TRUE(reader.Subkeys().empty());
    EXPECT_TRUE(reader.Values().empty());
    EXPECT_FALSE(reader.IsEmpty());
}

ScratchStore MakeMemoryScratch() {
    ScratchStore s;
    s.Store = std::make_unique<registry::MemoryStore>();
    s.Root = registry::kCurrentUser;
    s.Base = "Software\\HivewardenContract";
    s.Store->Close(s.Store->Create(s.Root, s.Base));
    return s;
}

INSTANTIATE_TEST_SUITE_P(MemoryStore, AccessContract,
                         ::testing::Values(StoreBackend{"MemoryStore", MakeMemoryScratch}),
                         BackendName);

}  // namespace
}  // namespace hivewarden::testing
