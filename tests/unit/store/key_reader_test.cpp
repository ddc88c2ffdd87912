// How often a KeyReader asks the store: one open and one count for a key's values and subkeys
// together, no call past the counts, none at all for a key it never lists, and an end at the
// first index the store cannot answer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/access.h"
#include "store/memory_store.h"
#include "support/counting_store.h"
#include "support/fake_probes.h"
#include "support/raw_values.h"

namespace hivewarden::testing {
namespace {

using ::testing::ElementsAre;

class KeyReaderTest : public ::testing::Test {
  protected:
    KeyReaderTest() {
        const registry::StoreHandle key = memory_.Create(registry::kCurrentUser, "K");
        for (const char* name : {"one", "two", "three"}) {
            memory_.Write(key, name, SzValue(name));
        }
        memory_.Close(key);
        for (const char* sub : {"K\\x", "K\\y"}) {
            memory_.Close(memory_.Create(registry::kCurrentUser, sub));
        }
    }

    registry::MemoryStore memory_;
    CountingStore store_{memory_};
    FakeProbes probes_;
    registry::EngineSignals signals_;
    registry::RegistryAccess access_{store_, probes_, signals_};
};

TEST_F(KeyReaderTest, OneOpenAndOneCountServeBothListingsWithNoCallPastTheCounts) {
    {
        registry::KeyReader key = access_.ReadKey(registry::kCurrentUser, "K");
        std::vector<std::string> names;
        for (const registry::ValueRecord& value : key.Values()) names.push_back(value.Data);
        EXPECT_THAT(names, ElementsAre("one", "two", "three"));
        EXPECT_THAT(key.Subkeys(), ElementsAre("x", "y"));
    }
    EXPECT_EQ(store_.Made.Opens, 1);
    EXPECT_EQ(store_.Made.Counts, 1);
    EXPECT_EQ(store_.Made.Values, 3);
    EXPECT_EQ(store_.Made.SubkeyNames, 2);
    EXPECT_EQ(store_.Made.Closes, 1);
}

TEST_F(KeyReaderTest, AReaderThatListsNothingOpensNothing) {
    { registry::KeyReader key = access_.ReadKey(registry::kCurrentUser, "K"); }
    EXPECT_EQ(store_.Made.Opens, 0);
    EXPECT_EQ(store_.Made.Closes, 0);
}

TEST_F(KeyReaderTest, ListingsEndAtTheFirstIndexTheStoreCannotAnswer) {
    store_.Unlistable.insert("HKEY_CURRENT_USER\\K");
    registry::KeyReader key = access_.ReadKey(registry::kCurrentUser, "K");
    EXPECT_TRUE(key.Values().empty());
    EXPECT_TRUE(key.Subkeys().empty());
    EXPECT_EQ(store_.Made.Values, 1);
    EXPECT_EQ(store_.Made.SubkeyNames, 1);
    // Items it reports but cannot list still make the key not known to be empty.
    EXPECT_FALSE(key.IsEmpty());
}

TEST_F(KeyReaderTest, EmptinessOfAKeyNotYetListedTakesOneOpenAndOneCount) {
    memory_.Close(memory_.Create(registry::kCurrentUser, "K\\x\\leaf"));
    for (const char* path : {"K\\x\\leaf", "K\\x"}) {
        SCOPED_TRACE(path);
        store_.Made = {};
        EXPECT_EQ(access_.ReadKey(registry::kCurrentUser, path).IsEmpty(),
                  std::string(path) == "K\\x\\leaf");
        EXPECT_EQ(store_.Made.Opens, 1);
        EXPECT_EQ(store_.Made.Counts, 1);
        EXPECT_EQ(store_.Made.SubkeyNames + store_.Made.Values, 0);
    }
}

}  // namespace
}  // namespace hivewarden::testing
