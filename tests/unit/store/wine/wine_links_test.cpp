// Link keys ("#link") in a Wine prefix: listings leave them out, so that walks reach every
// real key once under its own name and a cycle of links cannot hold them; deleting one
// deletes the link itself, never the key it leads to.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "store/wine/wine_prefix_store.h"
#include "support/temp_folder.h"

namespace hivewarden::registry {
namespace {

using testing::TempFolder;

// The value line of a link to `target` ("\Registry\Machine\..."), as Wine writes its bytes.
std::string LinkLines(const std::string& target) {
    std::string line = "#link\n\"SymbolicLinkValue\"=hex(6):";
    char hex[8];
    for (std::size_t i = 0; i < target.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%02x,00", static_cast<unsigned char>(target[i]));
        line += (i == 0 ? "" : ",") + std::string(hex);
    }
    return line + "\n";
}

const std::string kHeader = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n";

// Software\Classes\.txt is reached through the link Software\Wow6432Node\Classes too;
// Software\Loop holds two links back to itself.
const std::string kSystem =
    kHeader + "[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n\n" +
    "[Software\\\\Loop] 1\n\"v\"=\"1\"\n\n" +
    "[Software\\\\Loop\\\\Again] 1\n" + LinkLines("\\Registry\\Machine\\Software\\Loop") + "\n" +
    "[Software\\\\Loop\\\\Back] 1\n" + LinkLines("\\Registry\\Machine\\Software\\Loop") + "\n" +
    "[Software\\\\Wow6432Node\\\\Classes] 1\n" +
    LinkLines("\\Registry\\Machine\\Software\\Classes") + "\n";

class WineLinksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix_.Write("system.reg", kSystem);
        prefix_.Write("user.reg",
                      "WINE REGISTRY Version 2\n;; All keys relative to "
                      "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n");
        std::string error;
        store_ = WinePrefixStore::Load(prefix_.Folder(), {}, error);
        ASSERT_TRUE(store_) << error;
    }

    std::vector<std::string> Subkeys(const std::string& path) {
        std::vector<std::string> names;
        const StoreHandle key = store_->Open(kLocalMachine, path);
        std::string name;
        for (std::uint32_t i = 0; key != 0 && store_->SubkeyName(key, i, name); ++i) {
            names.push_back(name);
        }
        store_->Close(key);
        return names;
    }

    bool Exists(const std::string& path) {
        const StoreHandle key = store_->Open(kLocalMachine, path);
        store_->Close(key);
        return key != 0;
    }

    TempFolder prefix_;
    std::unique_ptr<WinePrefixStore> store_;
};

TEST_F(WineLinksTest, ListingsLeaveLinksOutButTheyStillLead) {
    EXPECT_EQ(Subkeys("Software\\Wow6432Node"), std::vector<std::string>{});
    EXPECT_EQ(Subkeys("Software\\Loop"), std::vector<std::string>{});
    // A key holding only a link is not empty, and the link still leads where Wine leads.
    const StoreHandle key = store_->Open(kLocalMachine, "Software\\Wow6432Node");
    KeyCounts counts;
    ASSERT_TRUE(store_->QueryKeyCounts(key, counts));
    EXPECT_EQ(counts.Subkeys, 1u);
    store_->Close(key);
    EXPECT_TRUE(Exists("Software\\Wow6432Node\\Classes\\.txt"));
}

TEST_F(WineLinksTest, AWalkReachesEachRealKeyOnceDespiteACycle) {
    std::map<std::string, int> visits;
    std::vector<std::string> pending = {""};
    // A bound far above the prefix's keys: a walk that ran round the cycle would hit it.
    for (int steps = 0; !pending.empty() && steps < 1000; ++steps) {
        const std::string path = pending.back();
        pending.pop_back();
        ++visits[path];
        for (const std::string& child : Subkeys(path)) {
            pending.push_back(path.empty() ? child : path + "\\" + child);
        }
    }
    EXPECT_TRUE(pending.empty());
    const std::map<std::string, int> expected = {
        {"", 1},         {"Software", 1},           {"Software\\Classes", 1},
        {"Software\\Classes\\.txt", 1}, {"Software\\Loop", 1}, {"Software\\Wow6432Node", 1}};
    EXPECT_EQ(visits, expected);
}

TEST_F(WineLinksTest, DeletingALinkDeletesTheLinkNotItsTarget) {
    ASSERT_TRUE(store_->DeleteLeafKey(kLocalMachine, "Software\\Wow6432Node\\Classes"));
    EXPECT_TRUE(Exists("Software\\Classes"));
    EXPECT_TRUE(Exists("Software\\Classes\\.txt"));
    EXPECT_FALSE(Exists("Software\\Wow6432Node\\Classes"));
    // The key the links of the cycle lead to stays, and so does everything else.
    ASSERT_TRUE(store_->DeleteLeafKey(kLocalMachine, "Software\\Loop\\Back"));
    EXPECT_TRUE(Exists("Software\\Loop"));
    EXPECT_TRUE(Exists("Software\\Loop\\Again"));
}

}  // namespace
}  // namespace hivewarden::registry
