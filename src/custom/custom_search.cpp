// The custom search walk.
#include "custom/custom_search.h"

#include <string>
#include <utility>
#include <vector>

#include "store/roots.h"

namespace hivewarden::custom {
namespace {

// Keys nest at most 512 levels on Windows; a deeper chain can only come from a broken store.
constexpr int kMaxKeyDepth = 512;

void AppendHit(engine::ScanState& state, engine::CustomHit hit) {
    engine::CustomHit& stored = state.CustomHits.Grow();
    stored = std::move(hit);
    stored.Index = state.CustomHits.Count();
}

// The matching text's position, after the yield every match makes.
std::int32_t FindTerm(engine::ScanState& state, SearchTermMatcher& terms, std::string_view text) {
    state.Yield();
    return terms.Find(text);
}

void SearchKeyValues(CustomSearch& search, SearchTermMatcher& terms, const std::string& path,
                     registry::RootKey root, std::vector<registry::ValueRecord> values) {
    engine::ScanState& state = search.State;
    std::string keyLocation;  // root name + "\" + path, made at the first hit
    for (registry::ValueRecord& value : values) {
        state.Yield();
        std::int32_t match = FindTerm(state, terms, value.Data);
        if (match < 0) match = FindTerm(state, terms, value.Name);
        if (match >= 0) {
            if (keyLocation.empty()) keyLocation = registry::RootName(root) + "\\" + path;
            engine::CustomHit hit;
            hit.EntryKind = engine::kValueEntry;
            hit.RootKey = root;
            hit.Location = keyLocation + "\\" + value.Name;
            hit.MatchedText = terms.Term(match);
            hit.ItemData = std::move(value.Data);
            hit.ItemName = std::move(value.Name);
            AppendHit(state, std::move(hit));
        }
        if (state.StopRequested) break;
    }
}

// Searches one key: its own name and its values. Gives its subkey names, read through the same
// open key as the values (none at the depth limit); the key is closed before the walk goes down.
std::vector<std::string> SearchOneKey(CustomSearch& search, SearchTermMatcher& terms,
                                      const std::string& path, std::string_view name,
                                      registry::RootKey root, int depth) {
    engine::ScanState& state = search.State;
    registry::KeyReader key = search.Access.ReadKey(root, path);
    state.Yield();
    if (!path.empty()) {
        ++search.KeysSearched;
        const std::int32_t match = FindTerm(state, terms, name);
        if (match >= 0) {
            engine::CustomHit hit;
            hit.EntryKind = engine::kKeyEntry;
            hit.RootKey = root;
            hit.Location = registry::RootName(root) + "\\" + path;
            hit.MatchedText = terms.Term(match);
            AppendHit(state, std::move(hit));
        }
        SearchKeyValues(search, terms, path, root, key.Values());
    }
    state.Yield();
    if (depth >= kMaxKeyDepth) return {};
    return key.Subkeys();
}

void SearchKeyTreeAt(CustomSearch& search, SearchTermMatcher& terms, const std::string& path,
                     std::string_view name, registry::RootKey root, int depth) {
    engine::ScanState& state = search.State;
    const std::vector<std::string> subkeys = SearchOneKey(search, terms, path, name, root, depth);
    std::string childPath = path;
    for (const std::string& subkey : subkeys) {
        childPath.resize(path.size());
        if (!path.empty()) childPath += '\\';
        childPath += subkey;
        SearchKeyTreeAt(search, terms, childPath, subkey, root, depth + 1);
        state.Yield();
        if (state.StopRequested) return;
    }
}

// The key's own name: the text after the last "\" of its path.
std::string_view LastComponent(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

void SearchKeyTree(CustomSearch& search, SearchTermMatcher& terms, std::string_view path,
                   registry::RootKey root) {
    const std::string fullPath(path);
    SearchKeyTreeAt(search, terms, fullPath, LastComponent(fullPath), root, 0);
}

void RunCustomSearch(CustomSearch& search, SearchFrontEnd& frontEnd, const SearchTerms& terms) {
    engine::ScanState& state = search.State;
    state.EngineMode = engine::kModeCustomSearch;
    state.CustomHits.Reset();
    frontEnd.SetPollingTimer(true);
    state.StopRequested = false;
    state.ProgressPercent = 0;
    state.ShownCount = 0;
    search.KeysSearched = 0;

    SearchTermMatcher matcher(terms);
    SearchKeyTree(search, matcher, "", registry::kCurrentUser);
    SearchKeyTree(search, matcher, "", registry::kLocalMachine);

    state.ProgressPercent = 100;
    frontEnd.Done(state.StopRequested, engine::kModeCustomSearch);
    frontEnd.SetPollingTimer(false);
}

void CancelCustomSearch(CustomSearch& search) { search.State.StopRequested = true; }

}  // namespace hivewarden::custom
