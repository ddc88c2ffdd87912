// The registry-wide text search: which texts match, which keys and values become hits, their
// order and fields, the front-end calls, and Cancel.
#include "custom/custom_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "custom/custom_grid.h"
#include "custom/search_terms.h"
#include "support/counting_store.h"
#include "support/fake_machine.h"
#include "support/raw_values.h"

namespace hivewarden::testing {
namespace {

using custom::SearchTerms;
using engine::CustomHit;

constexpr const char* kCu = "HKEY_CURRENT_USER";
constexpr const char* kLm = "HKEY_LOCAL_MACHINE";

class RecordingSearchFrontEnd : public custom::SearchFrontEnd {
  public:
    explicit RecordingSearchFrontEnd(engine::ScanState& state) : state_(state) {}
    void SetPollingTimer(bool on) override { Calls.push_back(on ? "timer on" : "timer off"); }
    void Done(bool canceled, int task) override {
        Calls.push_back("done " + std::to_string(task) + (canceled ? " canceled" : ""));
        ProgressAtDone = state_.ProgressPercent;
        HitsAtDone = state_.CustomHits.Count();
    }

    std::vector<std::string> Calls;
    std::int32_t ProgressAtDone = -1;
    std::int32_t HitsAtDone = -1;

  private:
    engine::ScanState& state_;
};

struct SearchRun {
    std::vector<CustomHit> Hits;
    std::vector<std::string> Calls;
};

SearchRun Search(FakeMachine& machine, const SearchTerms& terms) {
    RecordingSearchFrontEnd frontEnd(machine.State);
    custom::CustomSearch search(machine.State, machine.Access);
    custom::RunCustomSearch(search, frontEnd, terms);
    SearchRun run;
    for (const CustomHit& hit : machine.State.CustomHits) run.Hits.push_back(hit);
    run.Calls = frontEnd.Calls;
    return run;
}

std::vector<std::string> Locations(const std::vector<CustomHit>& hits) {
    std::vector<std::string> locations;
    for (const CustomHit& hit : hits) locations.push_back(hit.Location);
    return locations;
}

TEST(SearchTerms, MatchSearchTermsPicksTheFirstListedTextTheTextContains) {
    struct Case {
        const char* name;
        SearchTerms terms;
        std::string text;
        std::string expected;
    };
    const Case kCases[] = {
        {"case-insensitive, returned as listed", {"rUn"}, "C:\\Windows\\RUNDLL32.EXE", "rUn"},
        {"list order beats position in the text", {"exe", "windows"}, "C:\\Windows\\x.exe", "exe"},
        {"a later text when the first is absent", {"zzz", "dll"}, "shell32.DLL", "dll"},
        {"empty text matches nothing", {"a"}, "", ""},
        {"no text contained", {"abc", "def"}, "xyz", ""},
        {"empty search texts are skipped", {"", "b"}, "abc", "b"},
        {"only empty search texts", {"", ""}, "abc", ""},
        {"no wildcards", {"r*n"}, "rain", ""},
        {"a star is an ordinary character", {"r*n"}, "br*nd", "r*n"},
        {"spaces are kept", {"foo bar"}, "foobar", ""},
        {"leading space kept and matched", {" bar"}, "foo bar", " bar"},
        {"accented letters fold", {"caf\xC3\xA9"}, "CAF\xC3\x89 NOIR", "caf\xC3\xA9"},
        {"y diaeresis folds to its capital", {"\xC3\xBF"}, "\xC5\xB8", "\xC3\xBF"},
        {"Greek folds", {"\xCF\x89mega"}, "C:\\APPS\\\xCE\xA9MEGA", "\xCF\x89mega"},
        {"final sigma folds like sigma",
         {"\xCF\x82"},
         "\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3",
         "\xCF\x82"},
        {"Cyrillic folds",
         {"\xD0\xB4\xD0\xBE\xD0\xBA"},
         "\xD0\x94\xD0\x9E\xD0\x9A.txt",
         "\xD0\xB4\xD0\xBE\xD0\xBA"},
        {"Chinese has no case",
         {"\xE6\x9D\x8E\xE6\x98\x8E"},
         "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\a",
         "\xE6\x9D\x8E\xE6\x98\x8E"},
        {"another Chinese name", {"\xE6\x9D\x8E"}, "C:\\Apps\\\xE7\x8E\x8B", ""},
        {"emoji", {"\xF0\x9F\x98\x80"}, "a \xF0\x9F\x98\x80 b", "\xF0\x9F\x98\x80"},
        {"sharp s is not SS (no simple capital)",
         {"stra\xC3\x9F"
          "e"},
         "STRASSE",
         ""},
        {"a look-alike is another letter", {"\xCE\xA9"}, "Omega", ""},
        {"hex pairs of binary data", {"0a 1b"}, "0A 1B 00 ", "0a 1b"},
        {"signed number digits", {"-1"}, "-1", "-1"},
        {"text longer than the data", {"abcdef"}, "abc", ""},
        {"duplicate texts: the first one", {"A", "a"}, "a", "A"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(custom::MatchSearchTerms(c.terms, c.text), c.expected);
    }
}

TEST(SearchTerms, MatcherKeepsTermsAsListedAndReportsTheirPosition) {
    custom::SearchTermMatcher matcher({"", "Foo", "bar"});
    EXPECT_EQ(matcher.Find("xBARx"), 2);
    EXPECT_EQ(matcher.Find("foobar"), 1);
    EXPECT_EQ(matcher.Find("nothing"), -1);
    EXPECT_EQ(matcher.Term(1), "Foo");
    EXPECT_EQ(matcher.Term(-1), "");
    // A long text after a short one: the scratch buffer must not keep stale characters.
    EXPECT_EQ(matcher.Find(std::string(1000, 'x') + "bar"), 2);
    EXPECT_EQ(matcher.Find("ba"), -1);
}

TEST(CustomSearch, RunFindsKeyNamesValueDataAndValueNames) {
    FakeMachine m;
    const std::string run =
        std::string(kCu) + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    m.Text(run, "Tool", "C:\\Tools\\tool.exe")
        .Text(run, "Helper", "rundll32.exe helper.dll")
        .Text(std::string(kCu) + "\\Software\\Other", "AutoRunMode", "yes")
        .Text(std::string(kCu) + "\\Software\\Other", "Plain", "nothing here");

    const SearchRun result = Search(m, {"run"});

    ASSERT_EQ(result.Hits.size(), 3u);
    const CustomHit& key = result.Hits[0];
    EXPECT_EQ(key.EntryKind, engine::kKeyEntry);
    EXPECT_EQ(key.RootKey, registry::kCurrentUser);
    EXPECT_EQ(key.Location, run);
    EXPECT_EQ(key.MatchedText, "run");
    EXPECT_EQ(key.ItemData, "");
    EXPECT_EQ(key.ItemName, "");
    EXPECT_EQ(key.Index, 1);

    const CustomHit& byData = result.Hits[1];
    EXPECT_EQ(byData.EntryKind, engine::kValueEntry);
    EXPECT_EQ(byData.Location, run + "\\Helper");
    EXPECT_EQ(byData.ItemName, "Helper");
    EXPECT_EQ(byData.ItemData, "rundll32.exe helper.dll");
    EXPECT_EQ(byData.Index, 2);

    const CustomHit& byName = result.Hits[2];
    EXPECT_EQ(byName.Location, std::string(kCu) + "\\Software\\Other\\AutoRunMode");
    EXPECT_EQ(byName.ItemData, "yes");
    EXPECT_EQ(byName.MatchedText, "run");
    EXPECT_EQ(byName.Index, 3);
    EXPECT_EQ(byName.ReplaceText, "");
    EXPECT_FALSE(byName.DeleteMark);
}

TEST(CustomSearch, DataIsTriedBeforeTheNameAndTheFirstListedTextWins) {
    FakeMachine m;
    const std::string key = std::string(kLm) + "\\Software\\A";
    m.Text(key, "beta", "alpha and beta");

    const SearchRun result = Search(m, {"beta", "alpha"});

    ASSERT_EQ(result.Hits.size(), 1u);
    EXPECT_EQ(result.Hits[0].MatchedText, "beta");

    // Data without the first text but with the second: the data's match wins over the name's.
    FakeMachine other;
    other.Text(key, "beta", "alpha only");
    const SearchRun second = Search(other, {"beta", "alpha"});
    ASSERT_EQ(second.Hits.size(), 1u);
    EXPECT_EQ(second.Hits[0].MatchedText, "alpha");
}

TEST(CustomSearch, DefaultValueLocationEndsWithSeparator) {
    FakeMachine m;
    m.Text(std::string(kLm) + "\\Software\\Classes\\foo", "", "Foo Document");

    const SearchRun result = Search(m, {"document"});

    ASSERT_EQ(result.Hits.size(), 1u);
    EXPECT_EQ(result.Hits[0].Location, std::string(kLm) + "\\Software\\Classes\\foo\\");
    EXPECT_EQ(result.Hits[0].ItemName, "");
    EXPECT_EQ(result.Hits[0].ItemData, "Foo Document");
}

TEST(CustomSearch, DataIsComparedInItsTextForm) {
    FakeMachine m;
    m.Probes.SetEnv("SystemRoot", "C:\\WINNT");
    const std::string key = std::string(kCu) + "\\Software\\Forms";
    m.Number(key, "AllOnes", 0xFFFFFFFFu)
        .Number(key, "Big", 0x80000000u)
        .Raw(key, "Blob", registry::kRegBinary, std::string("\x0A\x1B", 2))
        .Raw(key, "Expanded", registry::kRegExpandSz, SzBytes("%SystemRoot%\\x.dll"))
        .Raw(key, "Multi", registry::kRegMultiSz, MultiSzValue({"one", "two"}).Bytes);

    struct Case {
        const char* name;
        std::string term;
        std::vector<std::string> valueNames;
    };
    const Case kCases[] = {
        {"a 32-bit number as signed decimal", "-1", {"AllOnes"}},
        {"the lowest number", "-2147483648", {"Big"}},
        {"binary data as hex pairs", "0a 1b 00", {"Blob"}},
        {"expandable strings after expansion", "winnt\\x", {"Expanded"}},
        {"unexpanded text is not there", "%systemroot%", {}},
        {"a multi-string keeps its inner zeros", std::string("one\0two", 7), {"Multi"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const SearchRun result = Search(m, {c.term});
        std::vector<std::string> names;
        for (const CustomHit& hit : result.Hits) names.push_back(hit.ItemName);
        EXPECT_EQ(names, c.valueNames);
    }
}

// Key names, value names and data in other scripts are searched as they are stored, in any
// letter case; the hits carry the exact text.
TEST(CustomSearch, FindsTextsOfEveryScriptInNamesAndData) {
    FakeMachine m;
    const std::string key = std::string(kCu) + "\\Software\\\xE6\xB5\x8B\xE8\xAF\x95";  // 测试
    const std::string liMing = "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe";           // 李明
    const std::string namae = "\xE5\x90\x8D\xE5\x89\x8D";                               // 名前
    m.Text(key, "Path", liMing)
        .Text(key, namae, "plain")
        .Text(key, "Greek", "C:\\\xCE\xA9MEGA\\o.exe")                                    // ΩMEGA
        .Text(std::string(kLm) + "\\Software\\Other", "Path", "C:\\Apps\\\xE7\x8E\x8B");  // 王
    struct Case {
        const char* name;
        std::string term;
        std::vector<std::string> locations;
    };
    const Case kCases[] = {
        {"a key name", "\xE6\xB5\x8B\xE8\xAF\x95", {key}},
        {"data", "\xE6\x9D\x8E\xE6\x98\x8E", {key + "\\Path"}},
        {"a value name", namae, {key + "\\" + namae}},
        {"data in another case", "\xCF\x89mega", {key + "\\Greek"}},  // ωmega
        {"a character in no name or data", "\xE5\xB1\xB1", {}},       // 山
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const SearchRun result = Search(m, {c.term});
        EXPECT_EQ(Locations(result.Hits), c.locations);
    }
    const SearchRun data = Search(m, {"\xE6\x9D\x8E\xE6\x98\x8E"});
    ASSERT_EQ(data.Hits.size(), 1u);
    EXPECT_EQ(data.Hits[0].ItemData, liMing);
    EXPECT_EQ(data.Hits[0].ItemName, "Path");
}

TEST(CustomSearch, HitsComeInDepthFirstPreOrderCurrentUserFirst) {
    FakeMachine m;
    // Created out of order: subkeys list in case-insensitive name order.
    m.Text(std::string(kLm) + "\\Software\\X", "v", "x")
        .Text(std::string(kCu) + "\\b\\X", "v", "x")
        .Text(std::string(kCu) + "\\X", "v", "x")
        .Text(std::string(kCu) + "\\a", "v", "x")
        .Text(std::string(kCu) + "\\a\\X", "v", "x")
        .Text(std::string(kCu) + "\\a", "w", "x");

    const SearchRun result = Search(m, {"x"});

    const std::string cu = kCu;
    const std::string lm = kLm;
    const std::vector<std::string> expected = {
        cu + "\\a\\v",        cu + "\\a\\w",           cu + "\\a\\X", cu + "\\a\\X\\v",
        cu + "\\b\\X",        cu + "\\b\\X\\v",        cu + "\\X",    cu + "\\X\\v",
        lm + "\\Software\\X", lm + "\\Software\\X\\v",
    };
    EXPECT_EQ(Locations(result.Hits), expected);
    for (std::size_t i = 0; i < result.Hits.size(); ++i) {
        EXPECT_EQ(result.Hits[i].Index, static_cast<std::int32_t>(i + 1));
    }
}

TEST(CustomSearch, RootsAreNeverHitsAndOtherRootsAreNotSearched) {
    FakeMachine m;
    m.Text(kCu, "RootValue", "needle")
        .Text(std::string("HKEY_CLASSES_ROOT\\needle"), "v", "needle")
        .Text(std::string("HKEY_USERS\\.DEFAULT\\needle"), "v", "needle")
        .Text(std::string(kLm) + "\\Inner", "v", "needle");

    const SearchRun result = Search(m, {"needle"});

    EXPECT_EQ(Locations(result.Hits), std::vector<std::string>{std::string(kLm) + "\\Inner\\v"});
}

TEST(CustomSearch, KeysThatCannotBeOpenedArePassedOver) {
    FakeMachine m;
    m.Text(std::string(kLm) + "\\A\\Secret", "v", "needle")
        .Text(std::string(kLm) + "\\A\\Secret\\Below", "v", "needle")
        .Text(std::string(kLm) + "\\A\\Z", "v", "needle");
    m.Store.DenyAccess(registry::kLocalMachine, "A\\Secret");

    const SearchRun result = Search(m, {"needle"});

    // The closed key's own name is still tested (its name is known from its parent's list).
    EXPECT_EQ(Locations(result.Hits), std::vector<std::string>{std::string(kLm) + "\\A\\Z\\v"});
    EXPECT_EQ(m.Store.OpenHandleCount(), 0u);
}

TEST(CustomSearch, ClosedKeyWhoseNameMatchesIsStillAKeyHit) {
    FakeMachine m;
    m.Text(std::string(kLm) + "\\A\\Needle", "v", "needle");
    m.Store.DenyAccess(registry::kLocalMachine, "A\\Needle");

    const SearchRun result = Search(m, {"needle"});

    EXPECT_EQ(Locations(result.Hits), std::vector<std::string>{std::string(kLm) + "\\A\\Needle"});
}

TEST(CustomSearch, NoHitsStillEndsThroughDoneWithTaskThree) {
    FakeMachine m;
    m.Text(std::string(kCu) + "\\Software\\A", "v", "data");
    RecordingSearchFrontEnd frontEnd(m.State);
    custom::CustomSearch search(m.State, m.Access);
    m.State.ProgressPercent = 100;
    m.State.ShownCount = 7;
    m.State.StopRequested = true;  // left over from an earlier Cancel

    custom::RunCustomSearch(search, frontEnd, {"zzz"});

    EXPECT_EQ(m.State.CustomHits.Count(), 0);
    EXPECT_EQ(frontEnd.Calls, (std::vector<std::string>{"timer on", "done 3", "timer off"}));
    EXPECT_EQ(frontEnd.ProgressAtDone, 100);
    EXPECT_EQ(m.State.EngineMode, engine::kModeCustomSearch);
    EXPECT_EQ(m.State.ShownCount, 0);
    EXPECT_FALSE(m.State.StopRequested);
    EXPECT_EQ(search.KeysSearched, 2u);  // Software and Software\A
}

TEST(CustomSearch, ProgressStaysZeroWhileTheWalkRuns) {
    FakeMachine m;
    m.Text(std::string(kCu) + "\\A", "v", "x").Text(std::string(kLm) + "\\B", "v", "x");
    std::vector<std::int32_t> seen;
    m.State.YieldHook = [&] { seen.push_back(m.State.ProgressPercent); };

    Search(m, {"x"});

    ASSERT_FALSE(seen.empty());
    for (std::int32_t percent : seen) EXPECT_EQ(percent, 0);
    EXPECT_EQ(m.State.ProgressPercent, 100);
}

TEST(CustomSearch, ANewSearchEmptiesTheHitsOfTheLastOne) {
    FakeMachine m;
    m.Text(std::string(kCu) + "\\A", "one", "x").Text(std::string(kCu) + "\\A", "two", "y");
    Search(m, {"x", "y"});
    ASSERT_EQ(m.State.CustomHits.Count(), 2);

    const SearchRun second = Search(m, {"y"});

    ASSERT_EQ(second.Hits.size(), 1u);
    EXPECT_EQ(second.Hits[0].ItemName, "two");
    EXPECT_EQ(second.Hits[0].Index, 1);
}

TEST(CustomSearch, CancelDuringCurrentUserStopsBeforeLocalMachine) {
    FakeMachine m;
    const std::string a = std::string(kCu) + "\\A";
    m.Text(a, "v1", "hit").Text(a, "v2", "hit").Text(a, "v3", "hit").Text(a + "\\Sub", "v", "hit");
    m.Text(std::string(kCu) + "\\B", "v", "hit").Text(std::string(kLm) + "\\C", "v", "hit");
    // Cancel pressed in the first yield after the first hit: that is the yield before the
    // second value, which is still matched; then the value loop is left.
    m.State.YieldHook = [&] {
        if (m.State.CustomHits.Count() == 1) m.State.StopRequested = true;
    };
    RecordingSearchFrontEnd frontEnd(m.State);
    custom::CustomSearch search(m.State, m.Access);

    custom::RunCustomSearch(search, frontEnd, {"hit"});

    EXPECT_EQ(Locations({m.State.CustomHits.begin(), m.State.CustomHits.end()}),
              (std::vector<std::string>{a + "\\v1", a + "\\v2"}));
    EXPECT_EQ(frontEnd.Calls,
              (std::vector<std::string>{"timer on", "done 3 canceled", "timer off"}));
    EXPECT_EQ(frontEnd.HitsAtDone, 2);
    EXPECT_EQ(search.KeysSearched, 1u);  // neither Sub, B nor anything of HKLM was entered
}

TEST(CustomSearch, CancelAfterTheValuesStillLeavesTheSubkeysAlone) {
    FakeMachine m;
    const std::string a = std::string(kCu) + "\\A";
    m.Text(a, "v", "hit").Text(a + "\\Sub", "v", "hit").Text(std::string(kLm) + "\\C", "v", "hit");
    bool stopped = false;
    m.State.YieldHook = [&] {
        if (!stopped && m.State.CustomHits.Count() == 1) {
            stopped = true;
            m.State.StopRequested = true;
        }
    };

    const SearchRun result = Search(m, {"hit"});

    EXPECT_EQ(Locations(result.Hits), std::vector<std::string>{a + "\\v"});
}

TEST(CustomSearch, EveryKeyIsOpenedOnceForItsValuesAndSubkeys) {
    FakeMachine m;
    m.Text(std::string(kCu) + "\\A", "v", "hit")
        .Text(std::string(kCu) + "\\A\\Sub", "v", "x")
        .Key(std::string(kCu) + "\\Empty")
        .Text(std::string(kLm) + "\\Software\\Hit", "w", "y");
    CountingStore counting(m.Store);
    registry::RegistryAccess access(counting, m.Probes, m.State);
    custom::CustomSearch search(m.State, access);
    RecordingSearchFrontEnd frontEnd(m.State);

    custom::RunCustomSearch(search, frontEnd, {"hit"});

    std::vector<std::string> keys;
    for (const auto& [key, opens] : counting.OpensOf) {
        keys.push_back(key);
        EXPECT_EQ(opens, 1) << key;
    }
    const std::string cu = kCu;
    const std::string lm = kLm;
    EXPECT_EQ(keys, (std::vector<std::string>{cu, cu + "\\A", cu + "\\A\\Sub", cu + "\\Empty", lm,
                                              lm + "\\Software", lm + "\\Software\\Hit"}));
    EXPECT_EQ(Locations({m.State.CustomHits.begin(), m.State.CustomHits.end()}),
              (std::vector<std::string>{cu + "\\A\\v", lm + "\\Software\\Hit"}));
    EXPECT_EQ(counting.Made.Closes, counting.Made.Opens);
}

TEST(CustomSearch, AKeyDeletedWhileItsValuesAreSearchedIsNotDescended) {
    FakeMachine m;
    const std::string a = std::string(kCu) + "\\A";
    m.Text(a, "v1", "hit").Text(a, "v2", "hit").Text(a + "\\Sub", "v", "hit");
    m.Text(std::string(kCu) + "\\B", "v", "hit");
    bool deleted = false;
    m.State.YieldHook = [&] {
        if (!deleted && m.State.CustomHits.Count() == 1) {
            deleted = true;
            m.Access.DeleteKey(registry::kCurrentUser, "A");
        }
    };

    const SearchRun result = Search(m, {"hit"});

    // The values already listed are still searched; nothing below the deleted key is.
    EXPECT_EQ(Locations(result.Hits),
              (std::vector<std::string>{a + "\\v1", a + "\\v2", std::string(kCu) + "\\B\\v"}));
    EXPECT_EQ(m.Store.OpenHandleCount(), 0u);
}

TEST(CustomSearch, PollingDuringTheWalkHandsEveryHitToTheGridOnce) {
    FakeMachine m;
    for (int i = 0; i < 20; ++i) {
        m.Text(std::string(kCu) + "\\K" + std::to_string(i), "v", "hit " + std::to_string(i));
    }
    custom::CustomGrid grid;
    int yields = 0;
    bool timerOn = false;
    m.State.YieldHook = [&] {
        if (timerOn && ++yields % 7 == 0) {
            if (custom::CheckForNewCustomTick(m.State, grid, "new")) timerOn = false;
        }
    };
    struct FrontEnd : custom::SearchFrontEnd {
        bool& TimerOn;
        explicit FrontEnd(bool& on) : TimerOn(on) {}
        void SetPollingTimer(bool on) override { TimerOn = on; }
        void Done(bool, int) override {}
    } frontEnd(timerOn);
    custom::CustomSearch search(m.State, m.Access);

    custom::RunCustomSearch(search, frontEnd, {"hit"});
    custom::CheckForNewCustomTick(m.State, grid, "new");

    ASSERT_EQ(grid.RowCount(), 20);
    for (std::int32_t r = 1; r <= grid.RowCount(); ++r) {
        EXPECT_EQ(grid.Row(r).Index, r);
        EXPECT_EQ(grid.Row(r).Body, m.State.CustomHits[r].Location);
    }
    EXPECT_EQ(m.State.ShownCount, 20);
}

}  // namespace
}  // namespace hivewarden::testing
