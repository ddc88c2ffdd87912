// The texts of a custom search and the test that picks the first of them a text contains.
// Pure text work over UTF-8 text; knows nothing of the registry or the search walk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hivewarden::custom {

// The search texts in list order, each exactly as listed (case and spaces kept).
using SearchTerms = std::vector<std::string>;

// Built once per search: every non-empty search text is upper-cased here, so a test costs one
// upper-casing of the tested text and one substring search per search text.
class SearchTermMatcher {
  public:
    explicit SearchTermMatcher(SearchTerms terms);

    // The position in the list (from 0) of the first search text, in list order, that `text`
    // contains, compared in upper case; -1 when the text is empty or contains none of them.
    // Empty search texts are skipped.
    std::int32_t Find(std::string_view text);
    // The search text at a position Find returned, exactly as listed; empty text for -1.
    const std::string& Term(std::int32_t position) const;

    const SearchTerms& Terms() const { return terms_; }

  private:
    struct Needle {
        std::int32_t Position;  // in terms_
        std::string Upper;
    };

    SearchTerms terms_;
    std::vector<Needle> needles_;  // the non-empty texts, upper-cased, in list order
    std::string upper_;            // scratch: the tested text in upper case
    std::string empty_;
};

// The first search text, in list order, that `text` contains (both compared in upper case),
// exactly as listed; empty text when the text is empty or contains none. A plain substring
// test: no wildcards, no word boundaries.
std::string MatchSearchTerms(const SearchTerms& terms, std::string_view text);

}  // namespace hivewarden::custom
