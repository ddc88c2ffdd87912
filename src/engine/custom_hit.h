// One hit of the registry-wide text search and the one-based array of them. Plain data; the
// search appends, the custom page marks, the custom repair reads.
#pragma once

#include <cstdint>
#include <string>

#include "engine/error_entry.h"
#include "store/roots.h"

namespace hivewarden::engine {

struct CustomHit {
    std::int32_t EntryKind = 0;  // 1 a value matched (data or name), 2 a key matched (name)
    registry::RootKey RootKey = 0;
    // Key hit: root name + "\" + path. Value hit: root name + "\" + key path + "\" + value
    // name (the default value's location ends with "\").
    std::string Location;
    std::int32_t Index = 0;  // own position in CustomHits, from 1
    std::string MatchedText;  // the search text that matched, exactly as listed
    std::string ItemData;     // value hits: the data as text
    std::string ItemName;     // value hits: the value's name
    std::string ReplaceText;  // set by the custom page before a repair
    bool DeleteMark = false;  // set by the custom page before a repair

    bool operator==(const CustomHit&) const = default;
};

using CustomHitList = OneBasedArray<CustomHit>;

}  // namespace hivewarden::engine
