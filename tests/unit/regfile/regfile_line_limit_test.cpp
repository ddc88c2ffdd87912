// A line longer than a registry file may hold stops the reading with an error naming the line,
// however the bytes arrive, before the line is held in memory whole; lines up to the limit
// read as before.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regfile/regfile_decode.h"

namespace hivewarden::registry {
namespace {

struct LimitCase {
    const char* Name;
    std::size_t LineBytes;
    std::size_t Piece;  // bytes fed at a time
    bool Read;
};

class RegLineLimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(RegLineLimitTest, LongLinesStopTheReading) {
    const LimitCase& c = GetParam();
    constexpr std::size_t kLimit = 64;
    RegTextDecoder decoder(Windows1252(), kLimit);
    const std::string text = "REGEDIT4\r\n\r\n\"v\"=\"" + std::string(c.LineBytes - 6, 'x') +
                             "\"\r\n[HKEY_CURRENT_USER\\A]\r\n";
    std::vector<std::string> lines;
    const auto sink = [&lines](std::string_view line) {
        lines.emplace_back(line);
        return true;
    };
    bool ok = true;
    for (std::size_t at = 0; at < text.size() && ok; at += c.Piece) {
        ok = decoder.Feed(std::string_view(text).substr(at, c.Piece), sink);
    }
    if (ok) ok = decoder.Finish(sink);
    EXPECT_EQ(ok, c.Read) << decoder.Error();
    if (c.Read) {
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[2].size(), c.LineBytes);
    } else {
        EXPECT_EQ(decoder.ErrorLine(), 3u);
        EXPECT_EQ(decoder.Error(), "the line is longer than 64 bytes, more than any registry "
                                   "value holds; nothing of the file is read");
        EXPECT_EQ(lines.size(), 2u);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, RegLineLimitTest,
                         ::testing::Values(LimitCase{"AtTheLimitInOnePiece", 64, 4096, true},
                                           LimitCase{"AtTheLimitInSmallPieces", 64, 5, true},
                                           LimitCase{"TooLongInSmallPieces", 65, 5, false},
                                           LimitCase{"FarTooLongInSmallPieces", 5000, 7, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace hivewarden::registry
