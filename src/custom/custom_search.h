// The registry-wide text search: walks HKEY_CURRENT_USER and then HKEY_LOCAL_MACHINE depth
// first and appends a CustomHit for every key name, value data or value name that contains
// one of the search texts. Reaches the registry only through the access layer; no drawing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "custom/search_terms.h"
#include "engine/scan_state.h"
#include "store/access.h"

namespace hivewarden::custom {

// The window or the command line, as the search sees it.
class SearchFrontEnd {
  public:
    virtual ~SearchFrontEnd() = default;
    // The hit-polling timer (tmrCheckForNewCustom) on or off.
    virtual void SetPollingTimer(bool on) = 0;
    // The completion handler; the search calls it with task 3.
    virtual void Done(bool canceled, int task) = 0;
};

// What one search works with. The access layer must run on `State` as its signals, so that
// Cancel (StopRequested) also ends the listings.
struct CustomSearch {
    CustomSearch(engine::ScanState& state, registry::RegistryAccess& access)
        : State(state), Access(access) {}

    engine::ScanState& State;
    registry::RegistryAccess& Access;
    // Keys entered so far in this search, for progress displays.
    std::uint64_t KeysSearched = 0;
};

// A whole search: empties CustomHits, runs the polling timer, walks both roots, sets
// ProgressPercent to 100 and calls Done with task 3. Returns when the walk ended or stopped.
void RunCustomSearch(CustomSearch& search, SearchFrontEnd& frontEnd, const SearchTerms& terms);

// Searches the key root\path and everything below it. The root itself ("" path) is never a
// hit and its own values are not examined. Hits are appended in depth-first pre-order: the
// key's own hit, its value hits, then the hits below each subkey in listing order.
void SearchKeyTree(CustomSearch& search, SearchTermMatcher& terms, std::string_view path,
                   registry::RootKey root);

// Cancel: the walk leaves the current value loop and no further key is entered.
void CancelCustomSearch(CustomSearch& search);

}  // namespace hivewarden::custom
