// Matching texts against the search texts.
#include "custom/search_terms.h"

#include <utility>

#include "text/text.h"

namespace hivewarden::custom {

SearchTermMatcher::SearchTermMatcher(SearchTerms terms) : terms_(std::move(terms)) {
    for (std::size_t i = 0; i < terms_.size(); ++i) {
        if (terms_[i].empty()) continue;
        needles_.push_back({static_cast<std::int32_t>(i), ToUpper(terms_[i])});
    }
}

std::int32_t SearchTermMatcher::Find(std::string_view text) {
    if (text.empty() || needles_.empty()) return -1;
    ToUpperInto(text, upper_);
    const std::string_view haystack(upper_);
    for (const Needle& needle : needles_) {
        if (haystack.find(needle.Upper) != std::string_view::npos) return needle.Position;
    }
    return -1;
}

const std::string& SearchTermMatcher::Term(std::int32_t position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= terms_.size()) return empty_;
    return terms_[static_cast<std::size_t>(position)];
}

std::string MatchSearchTerms(const SearchTerms& terms, std::string_view text) {
    SearchTermMatcher matcher(terms);
    return matcher.Term(matcher.Find(text));
}

}  // namespace hivewarden::custom
