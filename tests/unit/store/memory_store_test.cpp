// The lean in-memory store's own risks beyond the shared store contract: reused key numbers,
// the remembered last walk, inline versus block data, replaced data being compacted away, and
// names compared by fold number.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "store/memory_store.h"

namespace hivewarden::testing {
namespace {

using registry::MemoryStore;
using registry::RawValue;
using registry::StoreHandle;

constexpr registry::RootKey kRoot = registry::kLocalMachine;

std::vector<std::string> SubkeyNames(MemoryStore& store, std::string_view path) {
    std::vector<std::string> names;
    const StoreHandle key = store.Open(kRoot, path);
    std::string name;
    for (std::uint32_t i = 0; store.SubkeyName(key, i, name); ++i) names.push_back(name);
    store.Close(key);
    return names;
}

TEST(MemoryStore, AHandleToADeletedKeyStaysDeadWhenItsPlaceIsReused) {
    MemoryStore store;
    store.Close(store.Create(kRoot, "A\\Old"));
    const StoreHandle old = store.Open(kRoot, "A\\Old");
    ASSERT_TRUE(store.Write(old, "v", {registry::kRegSz, "x"}));
    ASSERT_TRUE(store.DeleteLeafKey(kRoot, "A\\Old"));
    // The new key takes the deleted key's place in the store.
    const StoreHandle fresh = store.Create(kRoot, "A\\New");
    ASSERT_NE(fresh, 0u);
    registry::KeyCounts counts;
    std::string name;
    RawValue value;
    EXPECT_FALSE(store.QueryKeyCounts(old, counts));
    EXPECT_FALSE(store.ValueName(old, 0, name));
    EXPECT_FALSE(store.Write(old, "w", {registry::kRegDword, "1234"}));
    ASSERT_TRUE(store.QueryKeyCounts(fresh, counts));
    EXPECT_EQ(counts, (registry::KeyCounts{0, 0}));
    EXPECT_FALSE(store.Read(fresh, "v", value));
    // Recreated under the old name, the key is a new, empty key.
    store.Close(store.Create(kRoot, "A\\Old"));
    const StoreHandle again = store.Open(kRoot, "A\\Old");
    EXPECT_FALSE(store.Read(again, "v", value));
    EXPECT_FALSE(store.QueryKeyCounts(old, counts));
    EXPECT_EQ(SubkeyNames(store, "A"), (std::vector<std::string>{"New", "Old"}));
    for (const StoreHandle h : {old, fresh, again}) store.Close(h);
    EXPECT_EQ(store.OpenHandleCount(), 0u);
}

TEST(MemoryStore, WalksBelowTheLastKeySeeDeletionsDenialsAndBadNames) {
    MemoryStore store;
    store.Close(store.Create(kRoot, "S\\K\\L"));
    store.Close(store.Open(kRoot, "S\\K"));  // the next walks may start at S\K
    EXPECT_EQ(store.Open(kRoot, "S\\K\\"), 0u);
    EXPECT_EQ(store.Open(kRoot, "S\\K\\\\L"), 0u);
    EXPECT_EQ(store.Create(kRoot, "S\\K\\"), 0u);
    EXPECT_EQ(store.Open(kRoot, "S\\KL"), 0u);

    store.Close(store.Open(kRoot, "S\\K\\L"));
    ASSERT_TRUE(store.DeleteLeafKey(kRoot, "S\\K\\L"));
    EXPECT_EQ(store.Open(kRoot, "S\\K\\L"), 0u);

    store.Close(store.Open(kRoot, "S\\K"));
    store.DenyAccess(kRoot, "S");
    EXPECT_EQ(store.Create(kRoot, "S\\K\\M"), 0u);
    const StoreHandle below = store.Open(kRoot, "S\\K");  // only the denied key itself refuses
    EXPECT_NE(below, 0u);
    store.Close(below);
    EXPECT_EQ(store.Open(kRoot, "S"), 0u);
    EXPECT_EQ(store.Create(kRoot, "S\\K\\M"), 0u);
}

TEST(MemoryStore, WalksThatShareAPrefixWithTheLastOneFindTheRightKeys) {
    MemoryStore store;
    // Each walk starts where it leaves the last one: siblings, cousins, a shorter path, a
    // longer one, a name that only starts like the last one's.
    const std::vector<std::string> paths = {"R\\A\\X", "R\\A\\Y", "R\\B\\X", "R\\A",
                                            "R\\AB\\X", "R\\A\\X\\Deep", "R"};
    for (const std::string& path : paths) {
        const StoreHandle key = store.Create(kRoot, path);
        ASSERT_NE(key, 0u) << path;
        ASSERT_TRUE(store.Write(key, "path", {registry::kRegSz, path}));
        store.Close(key);
    }
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
        const StoreHandle key = store.Open(kRoot, *it);
        RawValue value;
        ASSERT_TRUE(store.Read(key, "path", value)) << *it;
        EXPECT_EQ(value.Bytes, *it);
        store.Close(key);
    }
    EXPECT_EQ(SubkeyNames(store, "R"), (std::vector<std::string>{"A", "AB", "B"}));
    // A key deleted and made again under the last walk's path is the new key.
    ASSERT_TRUE(store.DeleteLeafKey(kRoot, "R\\A\\X\\Deep"));
    store.Close(store.Create(kRoot, "R\\A\\X\\Deep"));
    const StoreHandle again = store.Open(kRoot, "R\\A\\X\\Deep");
    RawValue value;
    EXPECT_FALSE(store.Read(again, "path", value));
    store.Close(again);
    EXPECT_EQ(store.Open(kRoot, "R\\A\\X\\Deep\\"), 0u);
    EXPECT_EQ(store.Open(kRoot, "R\\A\\X\\De"), 0u);
}

TEST(MemoryStore, DataOfEverySizeReadsBackExactly) {
    MemoryStore store;
    const StoreHandle key = store.Create(kRoot, "Data");
    std::vector<std::string> datas;
    for (const std::size_t size : {0u, 1u, 7u, 8u, 9u, 255u, 300000u, 2000000u}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 + size);
        datas.push_back(bytes);
        ASSERT_TRUE(store.Write(key, "v" + std::to_string(size), {registry::kRegBinary, bytes}));
    }
    ASSERT_TRUE(store.Write(key, "odd", {0xFFFF0000u, "\x01\x02\x03"}));
    std::string name;
    std::optional<RawValue> value;
    for (std::uint32_t i = 0; i < datas.size(); ++i) {
        ASSERT_TRUE(store.ValueAt(key, i, name, value));
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->Bytes, datas[i]) << name;
        EXPECT_EQ(value->Type, registry::kRegBinary);
    }
    RawValue odd;
    ASSERT_TRUE(store.Read(key, "ODD", odd));
    EXPECT_EQ(odd, (RawValue{0xFFFF0000u, "\x01\x02\x03"}));
    store.Close(key);
}

TEST(MemoryStore, ReplacedAndDeletedDataIsCompactedWithoutLosingLiveValues) {
    MemoryStore store;
    const StoreHandle key = store.Create(kRoot, "Churn");
    const StoreHandle other = store.Create(kRoot, "Keep");
    const std::string keep(5000, 'k');
    ASSERT_TRUE(store.Write(other, "keep", {registry::kRegBinary, keep}));
    // Far more replaced data than the compaction threshold, in values of both block kinds.
    for (int round = 0; round < 200; ++round) {
        const std::string big(400000, static_cast<char>('a' + round % 26));
        const std::string small(100, static_cast<char>('A' + round % 26));
        ASSERT_TRUE(store.Write(key, "big", {registry::kRegBinary, big}));
        ASSERT_TRUE(store.Write(key, "Small", {registry::kRegSz, small}));
        ASSERT_TRUE(store.Write(key, "gone" + std::to_string(round), {registry::kRegSz, small}));
        ASSERT_TRUE(store.DeleteValue(key, "GONE" + std::to_string(round)));
    }
    RawValue value;
    ASSERT_TRUE(store.Read(key, "BIG", value));
    EXPECT_EQ(value.Bytes, std::string(400000, 'a' + 199 % 26));
    ASSERT_TRUE(store.Read(key, "small", value));
    EXPECT_EQ(value, (RawValue{registry::kRegSz, std::string(100, 'A' + 199 % 26)}));
    ASSERT_TRUE(store.Read(other, "keep", value));
    EXPECT_EQ(value.Bytes, keep);
    registry::KeyCounts counts;
    ASSERT_TRUE(store.QueryKeyCounts(key, counts));
    EXPECT_EQ(counts.Values, 2u);
    store.Close(key);
    store.Close(other);
}

TEST(MemoryStore, NamesEqualByTheRegistryRuleAreOneNameAndKeepTheirFirstSpelling) {
    MemoryStore store;
    const StoreHandle key = store.Create(kRoot, "Names");
    struct Case {
        std::string First;
        std::string Second;  // equal to First case-insensitively
    };
    const std::vector<Case> cases = {
        {"Path", "PATH"},
        {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"},  // ete / ETE with accents
        {"\xF0\x9F\x98\x80x", "\xED\xA0\xBD\xED\xB8\x80X"},  // a pair, then as two surrogates
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(store.Write(key, c.First, {registry::kRegSz, "1"}));
        ASSERT_TRUE(store.Write(key, c.Second, {registry::kRegSz, "2"}));
    }
    registry::KeyCounts counts;
    ASSERT_TRUE(store.QueryKeyCounts(key, counts));
    EXPECT_EQ(counts.Values, cases.size());
    std::string name;
    for (std::uint32_t i = 0; i < cases.size(); ++i) {
        ASSERT_TRUE(store.ValueName(key, i, name));
        EXPECT_EQ(name, cases[i].First);
        RawValue value;
        ASSERT_TRUE(store.Read(key, cases[i].First, value));
        EXPECT_EQ(value.Bytes, "2");
    }
    // A name never seen in any key is simply not there; one seen elsewhere is not here either.
    RawValue value;
    store.Close(store.Create(kRoot, "Names\\Sub"));
    EXPECT_FALSE(store.Read(key, "never", value));
    EXPECT_FALSE(store.Read(key, "Sub", value));
    store.Close(key);
}

TEST(MemoryStore, ManyKeysAndValuesKeepOrderAndLookups) {
    MemoryStore store;
    // Enough names to make the name table grow several times.
    for (int k = 0; k < 3000; ++k) {
        const std::string path = "Many\\K" + std::to_string((k * 7919) % 3000);
        const StoreHandle key = store.Create(kRoot, path);
        for (int v = 0; v < 3; ++v) {
            store.Write(key, "V" + std::to_string(k * 3 + v), {registry::kRegDword, std::string("\x01\0\0\0", 4)});
        }
        store.Close(key);
    }
    const std::vector<std::string> names = SubkeyNames(store, "Many");
    ASSERT_EQ(names.size(), 3000u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));  // "K0" < "K1" < "K10" ...
    const StoreHandle key = store.Open(kRoot, "Many\\K0");
    std::string name;
    ASSERT_TRUE(store.ValueName(key, 2, name));
    EXPECT_EQ(name, "V2");
    RawValue value;
    EXPECT_TRUE(store.Read(key, "v1", value));
    EXPECT_FALSE(store.Read(key, "V3", value));
    store.Close(key);
}

}  // namespace
}  // namespace hivewarden::testing
