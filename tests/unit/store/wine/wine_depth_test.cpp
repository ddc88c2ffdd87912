// Keys nested deeper than Windows allows in a Wine registry file: skipped with their values
// and a warning naming the line, their lines kept in the text, the rest of the file read as
// before; a prefix whose key nests 200,000 levels loads without running out of stack.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "store/wine/wine_prefix_store.h"
#include "store/wine/wine_registry_file.h"
#include "support/temp_folder.h"

namespace hivewarden::registry {
namespace {

// A key line `levels` deep ("[a\\a\\...\\a] 1"), as Wine escapes its backslashes.
std::string DeepKeyLine(std::size_t levels) {
    std::string line = "[a";
    for (std::size_t i = 1; i < levels; ++i) line += "\\\\a";
    return line + "] 1\n";
}

struct DepthCase {
    const char* Name;
    std::size_t Levels;
    bool Skipped;
};

class WineDepthTest : public ::testing::TestWithParam<DepthCase> {};

TEST_P(WineDepthTest, KeysDeeperThanWindowsAllowsAreSkipped) {
    const DepthCase& c = GetParam();
    const std::string text = "WINE REGISTRY Version 2\n\n[Before] 1\n\"b\"=\"1\"\n\n" +
                             DeepKeyLine(c.Levels) + "\"deep\"=\"x\"\n\n[After] 1\n\"c\"=\"2\"\n";
    WineRegistryFile file;
    std::string error;
    ASSERT_TRUE(ParseWineRegistryFile(text, file, error)) << error;
    ASSERT_EQ(file.Keys.size(), c.Skipped ? 2u : 3u);
    EXPECT_EQ(file.Keys.front().Values.size(), 1u);  // "deep" does not land in [Before]
    EXPECT_EQ(file.Keys.back().Path, std::vector<std::string>{"After"});
    if (c.Skipped) {
        ASSERT_EQ(file.Warnings.size(), 1u);
        EXPECT_EQ(file.Warnings[0], "line 6: key nested deeper than 512 levels, skipped with its values");
        // The skipped lines stay in the text, after the block before them.
        EXPECT_NE(file.Keys.front().Tail.find("\"deep\"=\"x\""), std::string::npos);
    } else {
        EXPECT_TRUE(file.Warnings.empty());
        EXPECT_EQ(file.Keys[1].Path.size(), c.Levels);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, WineDepthTest,
                         ::testing::Values(DepthCase{"AtTheLimit", 512, false},
                                           DepthCase{"OneLevelTooDeep", 513, true},
                                           DepthCase{"FarTooDeep", 200000, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(WineDepthLoadTest, APrefixWithAFarTooDeepKeyLoadsWithAWarning) {
    testing::TempFolder prefix;
    prefix.Write("system.reg", "WINE REGISTRY Version 2\n\n" + DeepKeyLine(200000) +
                                   "\"v\"=\"1\"\n\n[Software] 1\n");
    prefix.Write("user.reg", "WINE REGISTRY Version 2\n\n");
    std::string error;
    const std::unique_ptr<WinePrefixStore> store = WinePrefixStore::Load(prefix.Folder(), {}, error);
    ASSERT_TRUE(store) << error;
    ASSERT_EQ(store->Warnings().size(), 1u);
    EXPECT_EQ(store->Warnings()[0], prefix.File("system.reg") +
                                        ":3: key nested deeper than 512 levels, skipped with its "
                                        "values");
    const StoreHandle key = store->Open(kLocalMachine, "a");
    EXPECT_EQ(key, 0u);
    store->Close(key);
}

}  // namespace
}  // namespace hivewarden::registry
