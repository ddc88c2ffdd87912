// The shortcut walk over an in-memory drive: which shortcuts are reported, in what order, how
// Cancel stops it, what damaged files, folder links and endless folder chains do to it; and
// the removal of marked shortcuts.
#include "scan/shortcuts/shortcut_scan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "text/text.h"
#include "files/windows_path.h"
#include "scan/shortcuts/shortcut_removal.h"
#include "support/fake_probes.h"
#include "support/lnk_builder.h"

namespace hivewarden::testing {
namespace {

using scan::ShortcutEntry;
using scan::ShortcutResults;
using ::testing::ElementsAre;

std::string LinkTo(const std::string& target) {
    LnkSpec spec;
    spec.Info = LnkLinkInfo{};
    spec.Info->LocalBase = target;
    return BuildLnk(spec);
}

// FakeProbes seen through what a real drive adds: listing order that is not alphabetical,
// folder links (junctions) and a record of every folder listed and file read.
class DriveProbes : public registry::FileProbes {
  public:
    explicit DriveProbes(FakeProbes& fake) : fake_(fake) {}

    bool ReverseListing = false;
    // Folders that contain themselves once more, without any link attribute, under this name.
    std::string EndlessFolder;
    std::string EndlessName = "deeper";
    bool RecordListings = true;
    // A walk that loops would list folders without end; past this many the drive answers
    // "cannot list" so that such a fault shows as a failure, not a hang.
    std::size_t MaxListings = 100000;
    std::vector<std::string> Listed;
    std::size_t ListCount = 0;
    std::size_t LongestListed = 0;       // in bytes
    std::size_t LongestListedUnits = 0;  // in UTF-16 units
    std::vector<std::string> Read;

    // linkPath is a folder link (IsLink) standing for target.
    void AddFolderLink(const std::string& linkPath, const std::string& target) {
        links_[linkPath] = target;
    }

    bool FileExists(std::string_view path) override { return fake_.FileExists(Resolve(path)); }
    bool IsDirectory(std::string_view path) override { return fake_.IsDirectory(Resolve(path)); }
    bool IsNetworkPath(std::string_view path) override { return fake_.IsNetworkPath(path); }
    std::string ExpandEnvironment(std::string_view text) override {
        return fake_.ExpandEnvironment(text);
    }
    std::string WindowsDirectory() override { return fake_.WindowsDirectory(); }
    bool DrivePresent(char letter) override { return fake_.DrivePresent(letter); }
    bool ListDirectory(std::string_view folder, std::vector<registry::DirEntry>& entries) override {
        if (++ListCount > MaxListings) return false;
        LongestListed = std::max(LongestListed, folder.size());
        LongestListedUnits = std::max(LongestListedUnits, registry::Utf16Length(folder));
        if (RecordListings) Listed.emplace_back(folder);
        if (!EndlessFolder.empty() && StartsWithNoCase(folder, EndlessFolder)) {
            entries = {{EndlessName, true, false}};
            return true;
        }
        if (!fake_.ListDirectory(Resolve(folder), entries)) return false;
        const std::string parent = Trimmed(Resolve(folder));
        for (const auto& [link, target] : links_) {
            const std::size_t slash = link.rfind('\\');
            if (EqualsNoCase(link.substr(0, slash), parent)) {
                entries.push_back({link.substr(slash + 1), true, true});
            }
        }
        if (ReverseListing) std::reverse(entries.begin(), entries.end());
        return true;
    }
    bool ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) override {
        Read.emplace_back(path);
        return fake_.ReadWholeFile(Resolve(path), maxBytes, bytes);
    }
    bool DeleteFile(std::string_view path) override { return fake_.DeleteFile(path); }

  private:
    static bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
        return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
    }
    static std::string Trimmed(std::string path) {
        while (path.size() > 3 && path.back() == '\\') path.pop_back();
        return path;
    }
    // Replaces a leading folder link by what it stands for, as the file system would.
    std::string Resolve(std::string_view path) const {
        std::string p(path);
        for (bool changed = true; changed;) {
            changed = false;
            for (const auto& [link, target] : links_) {
                if (StartsWithNoCase(p, link) &&
                    (p.size() == link.size() || p[link.size()] == '\\')) {
                    p = target + p.substr(link.size());
                    changed = true;
                }
            }
        }
        return p;
    }

    FakeProbes& fake_;
    std::map<std::string, std::string> links_;
};

class ShortcutScanTest : public ::testing::Test {
  protected:
    ShortcutScanTest() {
        signals_.YieldHook = [this] { ++yields_; };
    }

    void Scan(std::string_view folder = "C:\\") {
        scan::ShortcutScanContext context{drive_, signals_, halted_,
                                          [this](const ShortcutEntry& e) {
                                              found_.push_back(e);
                                              if (haltOnFound_) halted_ = true;
                                          }};
        scan::SearchShortcuts(folder, results_, context);
    }

    std::vector<std::string> LinkPaths() const {
        std::vector<std::string> paths;
        for (const ShortcutEntry& e : results_) paths.push_back(e.LinkPath);
        return paths;
    }

    FakeProbes fake_;
    DriveProbes drive_{fake_};
    registry::EngineSignals signals_;
    bool halted_ = false;
    int yields_ = 0;
    bool haltOnFound_ = false;
    ShortcutResults results_;
    std::vector<ShortcutEntry> found_;
};

TEST_F(ShortcutScanTest, ReportsOnlyShortcutsWhoseTargetIsGone) {
    fake_.AddFile("C:\\Tools\\tool.exe").AddFolder("C:\\Data");
    fake_.AddFile("C:\\Menu\\file target.lnk", LinkTo("C:\\Tools\\tool.exe"));
    fake_.AddFile("C:\\Menu\\folder target.lnk", LinkTo("C:\\Data"));
    fake_.AddFile("C:\\Menu\\gone.lnk", LinkTo("C:\\Tools\\old.exe"));
    fake_.AddFile("C:\\Menu\\unreadable.lnk", "not a shell link");
    fake_.AddFile("C:\\Menu\\empty target.lnk", LinkTo(""));
    fake_.AddFile("C:\\Menu\\network.lnk", BuildLnk([] {
                      LnkSpec s;
                      s.Info = LnkLinkInfo{};
                      s.Info->Local = false;
                      s.Info->NetName = "\\\\server\\share";
                      return s;
                  }()));
    fake_.AddFile("C:\\Menu\\readme.txt", LinkTo("C:\\nothing.exe"));
    Scan();
    ASSERT_EQ(results_.Count(), 1);
    EXPECT_EQ(results_[1], (ShortcutEntry{"C:\\Menu\\gone", "C:\\Tools\\old.exe", 1, false}));
    EXPECT_THAT(found_, ElementsAre(results_[1]));
}

std::string UnicodeLinkTo(std::u16string_view target) {
    LnkSpec spec;
    spec.Info = LnkLinkInfo{};
    spec.Info->LocalBase = "C:\\?";  // what the ANSI copy keeps of such a path
    spec.Info->UnicodeOffsets = true;
    spec.Info->UnicodeBase = std::u16string(target);
    return BuildLnk(spec);
}

// Shortcuts in folders of any script, to targets of any script: the existing targets are
// found (in another letter case too), the missing ones reported with their exact text.
TEST_F(ShortcutScanTest, UnicodeFoldersAndTargetsAreWalkedAndCheckedExactly) {
    const std::string desktop = "C:\\Users\\\xE6\x9D\x8E\xE6\x98\x8E\\Desktop";  // 李明
    fake_.AddFile("C:\\Apps\\\xCF\x89mega\\app.exe");                            // ωmega
    fake_.AddFile(desktop + "\\\xCE\xA9mega.lnk", UnicodeLinkTo(u"C:\\Apps\\\u03A9MEGA\\APP.EXE"));
    fake_.AddFile(
        desktop + "\\test\\\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9.lnk",
        UnicodeLinkTo(u"C:\\Users\\x\\Desktop\\test\\\u062A\u062C\u0631\u0628\u0629.txt"));
    fake_.AddFile(
        desktop + "\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.lnk",  // Отчёт
        UnicodeLinkTo(u"C:\\\u0414\u043E\u043A\\\u043E\u0442\u0447\u0451\u0442 \U0001F4C4.doc"));
    Scan();
    EXPECT_THAT(LinkPaths(),
                ElementsAre(desktop + "\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82",
                            desktop + "\\test\\\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9"));
    ASSERT_EQ(results_.Count(), 2);
    EXPECT_EQ(results_[1].LinkTarget,
              "C:\\\xD0\x94\xD0\xBE\xD0\xBA\\\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82 "
              "\xF0\x9F\x93\x84.doc");
    EXPECT_EQ(results_[2].LinkTarget,
              "C:\\Users\\x\\Desktop\\test\\\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9.txt");
}

TEST_F(ShortcutScanTest, ShortcutInTheDriveRootKeepsItsPathWithoutExtension) {
    fake_.AddFile("C:\\a.lnk", LinkTo("C:\\gone.exe"));
    fake_.AddFile("C:\\B.LNK", LinkTo("C:\\gone too.exe"));
    Scan();
    EXPECT_THAT(LinkPaths(), ElementsAre("C:\\a", "C:\\B"));
    EXPECT_EQ(results_[2].LinkIndex, 2);
}

// The folder's own shortcuts come in listing order (here reversed, so not alphabetical) and
// before any subfolder's, even a subfolder listed first.
TEST_F(ShortcutScanTest, FolderShortcutsInListingOrderBeforeSubfolders) {
    drive_.ReverseListing = true;
    fake_.AddFile("C:\\Menu\\a.lnk", LinkTo("C:\\gone\\a.exe"));
    fake_.AddFile("C:\\Menu\\b.lnk", LinkTo("C:\\gone\\b.exe"));
    fake_.AddFile("C:\\Menu\\Zeta\\z.lnk", LinkTo("C:\\gone\\z.exe"));
    fake_.AddFile("C:\\Menu\\Alpha\\y.lnk", LinkTo("C:\\gone\\y.exe"));
    fake_.AddFile("C:\\Menu\\Alpha\\Inner\\x.lnk", LinkTo("C:\\gone\\x.exe"));
    Scan("C:\\Menu");
    EXPECT_THAT(LinkPaths(), ElementsAre("C:\\Menu\\b", "C:\\Menu\\a", "C:\\Menu\\Zeta\\z",
                                         "C:\\Menu\\Alpha\\y", "C:\\Menu\\Alpha\\Inner\\x"));
    for (std::int32_t i = 1; i <= results_.Count(); ++i) EXPECT_EQ(results_[i].LinkIndex, i);
    EXPECT_EQ(found_.size(), 5u);
}

TEST_F(ShortcutScanTest, AppendsAfterEarlierFindings) {
    results_.Grow().LinkPath = "C:\\earlier";
    fake_.AddFile("C:\\x.lnk", LinkTo("C:\\gone.exe"));
    Scan();
    ASSERT_EQ(results_.Count(), 2);
    EXPECT_EQ(results_[2].LinkIndex, 2);
    EXPECT_EQ(found_.at(0).LinkIndex, 2);
}

TEST_F(ShortcutScanTest, DamagedFilesDoNotEndTheWalk) {
    const std::string good = LinkTo("C:\\gone\\app.exe");
    fake_.AddFile("C:\\M\\1 good.lnk", good);
    fake_.AddFile("C:\\M\\2 empty.lnk", "");
    fake_.AddFile("C:\\M\\3 truncated.lnk", good.substr(0, good.size() / 2));
    fake_.AddFile("C:\\M\\4 header only.lnk", good.substr(0, 0x4C));
    fake_.AddFile("C:\\M\\5 noise.lnk", std::string(300, '\xA5'));
    fake_.AddFile("C:\\M\\6 good.lnk", good);
    fake_.AddFolder("C:\\M\\7 folder named.lnk");
    fake_.AddFile("C:\\M\\Sub\\8 good.lnk", good);
    Scan();
    EXPECT_THAT(LinkPaths(), ElementsAre("C:\\M\\1 good", "C:\\M\\6 good", "C:\\M\\Sub\\8 good"));
}

TEST_F(ShortcutScanTest, UnlistableFoldersAreSkipped) {
    fake_.AddFile("C:\\x.lnk", LinkTo("C:\\gone.exe"));
    Scan("C:\\No such folder");
    EXPECT_EQ(results_.Count(), 0);
    EXPECT_THAT(drive_.Listed, ElementsAre("C:\\No such folder\\"));
}

TEST_F(ShortcutScanTest, HaltedDuringTheWalkOpensNothingMore) {
    fake_.AddFile("C:\\A\\1.lnk", LinkTo("C:\\gone\\1.exe"));
    fake_.AddFile("C:\\A\\2.lnk", LinkTo("C:\\gone\\2.exe"));
    fake_.AddFile("C:\\A\\Deep\\3.lnk", LinkTo("C:\\gone\\3.exe"));
    fake_.AddFile("C:\\B\\4.lnk", LinkTo("C:\\gone\\4.exe"));
    haltOnFound_ = true;
    Scan();
    EXPECT_THAT(LinkPaths(), ElementsAre("C:\\A\\1"));
    EXPECT_THAT(drive_.Listed, ElementsAre("C:\\", "C:\\A\\"));
    EXPECT_THAT(drive_.Read, ElementsAre("C:\\A\\1.lnk"));
}

// Cancel can come at any yield: whenever it comes, nothing is listed or read after it.
TEST_F(ShortcutScanTest, HaltedAtAnyYieldStopsEveryLevel) {
    fake_.AddFile("C:\\A\\1.lnk", LinkTo("C:\\gone\\1.exe"));
    fake_.AddFile("C:\\A\\Deep\\Deeper\\3.lnk", LinkTo("C:\\gone\\3.exe"));
    fake_.AddFile("C:\\B\\4.lnk", LinkTo("C:\\gone\\4.exe"));
    Scan();
    const int fullYields = yields_;
    const std::vector<std::string> fullPaths = LinkPaths();
    ASSERT_EQ(fullPaths.size(), 3u);
    for (int stopAt = 1; stopAt <= fullYields; ++stopAt) {
        SCOPED_TRACE(stopAt);
        results_.Reset();
        found_.clear();
        drive_.Listed.clear();
        drive_.Read.clear();
        halted_ = false;
        yields_ = 0;
        std::size_t listedWhenHalted = 0;
        std::size_t readWhenHalted = 0;
        signals_.YieldHook = [&] {
            if (++yields_ == stopAt) {
                halted_ = true;
                listedWhenHalted = drive_.Listed.size();
                readWhenHalted = drive_.Read.size();
            }
        };
        Scan();
        EXPECT_EQ(drive_.Listed.size(), listedWhenHalted);
        EXPECT_EQ(drive_.Read.size(), readWhenHalted);
        // What was reported before the stop stays, and is the start of the full run's list.
        const std::vector<std::string> paths = LinkPaths();
        ASSERT_LE(paths.size(), fullPaths.size());
        EXPECT_TRUE(std::equal(paths.begin(), paths.end(), fullPaths.begin()));
        EXPECT_EQ(found_.size(), paths.size());
    }
}

TEST_F(ShortcutScanTest, FolderLinksAreNotEntered) {
    fake_.AddFile("C:\\Loop\\a.lnk", LinkTo("C:\\gone.exe"));
    drive_.AddFolderLink("C:\\Loop\\Back", "C:\\Loop");
    drive_.AddFolderLink("C:\\Loop\\Sub\\Up", "C:\\");
    fake_.AddFolder("C:\\Loop\\Sub");
    drive_.MaxListings = 50;
    Scan();
    EXPECT_THAT(LinkPaths(), ElementsAre("C:\\Loop\\a"));
    EXPECT_THAT(drive_.Listed, ElementsAre("C:\\", "C:\\Loop\\", "C:\\Loop\\Sub\\", "C:\\Windows\\",
                                           "C:\\Windows\\Fonts\\"));
}

// A folder chain with no end and no link attribute (a loop the file system does not mark) still
// ends: no path past the longest the file functions accept is listed.
TEST_F(ShortcutScanTest, EndlessFolderChainEndsAtTheLongestPath) {
    drive_.EndlessFolder = "C:\\Mount";
    drive_.RecordListings = false;
    drive_.MaxListings = 10000;
    fake_.AddFolder("C:\\Mount");
    Scan();
    EXPECT_GT(drive_.ListCount, 1000u);
    EXPECT_LE(drive_.LongestListed, scan::kMaxShortcutPathLength);
    EXPECT_GT(drive_.LongestListed, scan::kMaxShortcutPathLength - 20);
}

// The longest path is counted as Windows counts it, in UTF-16 units: a chain of Chinese names
// (three bytes, one unit each) goes as deep in characters as an ASCII one.
TEST_F(ShortcutScanTest, EndlessChainOfChineseNamesEndsAtTheLongestPathInCharacters) {
    drive_.EndlessFolder = "C:\\Mount";
    drive_.EndlessName.clear();
    for (int i = 0; i < 20; ++i) drive_.EndlessName += "\xE6\xB7\xB1";  // 深
    drive_.RecordListings = false;
    drive_.MaxListings = 10000;
    fake_.AddFolder("C:\\Mount");
    Scan();
    EXPECT_LE(drive_.LongestListedUnits, scan::kMaxShortcutPathLength);
    EXPECT_GT(drive_.LongestListedUnits, scan::kMaxShortcutPathLength - 20);
    EXPECT_GT(drive_.LongestListed, 2 * scan::kMaxShortcutPathLength);  // bytes
}

class ShortcutRemovalTest : public ::testing::Test {
  protected:
    ShortcutRemovalTest() {
        for (const char* name : {"C:\\M\\one", "C:\\M\\two", "C:\\M\\three"}) {
            fake_.AddFile(std::string(name) + ".lnk", "x");
            ShortcutEntry& e = results_.Grow();
            e.LinkPath = name;
            e.LinkIndex = results_.Count();
        }
    }
    scan::ShortcutRemoval Remove(bool answer) {
        return scan::RemoveMarkedShortcuts(
            results_,
            [&](std::string_view question) {
                questions_.emplace_back(question);
                return answer;
            },
            fake_);
    }

    FakeProbes fake_;
    ShortcutResults results_;
    std::vector<std::string> questions_;
};

TEST_F(ShortcutRemovalTest, NothingMarkedAsksNothing) {
    const scan::ShortcutRemoval removal = Remove(true);
    EXPECT_TRUE(questions_.empty());
    EXPECT_EQ(removal.Marked, 0);
    EXPECT_TRUE(fake_.FileExists("C:\\M\\one.lnk"));
}

TEST_F(ShortcutRemovalTest, AnsweringNoRemovesNothing) {
    results_[1].RemoveMark = results_[3].RemoveMark = true;
    const scan::ShortcutRemoval removal = Remove(false);
    EXPECT_THAT(questions_, ElementsAre("Would you like to remove all selected shortcuts? (This "
                                        "action cannot be backuped)"));
    EXPECT_EQ(removal.Marked, 2);
    EXPECT_FALSE(removal.Confirmed);
    EXPECT_TRUE(removal.Deleted.empty());
    for (const char* f : {"C:\\M\\one.lnk", "C:\\M\\two.lnk", "C:\\M\\three.lnk"}) {
        EXPECT_TRUE(fake_.FileExists(f)) << f;
    }
}

TEST_F(ShortcutRemovalTest, AnsweringYesDeletesTheMarkedFilesInOrder) {
    results_[1].RemoveMark = results_[3].RemoveMark = true;
    fake_.DeleteFile("C:\\M\\one.lnk");  // already gone: fails, the rest goes on
    const scan::ShortcutRemoval removal = Remove(true);
    EXPECT_EQ(questions_.size(), 1u);
    EXPECT_TRUE(removal.Confirmed);
    EXPECT_THAT(removal.Deleted, ElementsAre(3));
    EXPECT_THAT(removal.Failed, ElementsAre(1));
    EXPECT_TRUE(fake_.FileExists("C:\\M\\two.lnk"));
    EXPECT_FALSE(fake_.FileExists("C:\\M\\three.lnk"));
}

}  // namespace
}  // namespace hivewarden::testing
