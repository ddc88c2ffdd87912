// Edit distance with neighbour swaps (optimal string alignment), on lower-case ASCII.
#include "cli/suggest.h"

#include <algorithm>
#include <cctype>

namespace hivewarden::cli {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::size_t Distance(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
    for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t cost = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) &&
                Lower(a[i - 2]) == Lower(b[j - 1])) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[n][m];
}

bool StartsWithNoCase(std::string_view name, std::string_view start) {
    return start.size() <= name.size() &&
           std::equal(start.begin(), start.end(), name.begin(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

std::string ClosestName(std::string_view given, const std::vector<std::string>& names) {
    // Texts longer than any name are not slips; the table stays small.
    constexpr std::size_t kLongest = 64;
    if (given.empty() || given.size() > kLongest) return {};
    std::string best;
    std::size_t bestDistance = 3;
    for (const std::string& name : names) {
        const std::size_t distance = Distance(given, name);
        if (distance < bestDistance && distance * 2 < name.size()) {
            best = name;
            bestDistance = distance;
        }
    }
    if (!best.empty()) return best;
    std::vector<std::string> started;
    for (const std::string& name : names) {
        if (given.size() >= 2 && StartsWithNoCase(name, given)) started.push_back(name);
    }
    return started.size() == 1 ? started.front() : std::string();
}

}  // namespace hivewarden::cli
