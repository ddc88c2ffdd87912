// JSON form of a finished custom search.
#include "cli/json/search_json.h"

#include <map>

namespace hivewarden::cli {

nlohmann::ordered_json CustomHitToJson(const engine::CustomHit& hit) {
    nlohmann::ordered_json j;
    j["EntryKind"] = hit.EntryKind;
    j["RootKey"] = hit.RootKey;
    j["Location"] = hit.Location;
    j["Index"] = hit.Index;
    j["MatchedText"] = hit.MatchedText;
    j["ItemData"] = hit.ItemData;
    j["ItemName"] = hit.ItemName;
    j["ReplaceText"] = hit.ReplaceText;
    j["DeleteMark"] = hit.DeleteMark;
    return j;
}

nlohmann::ordered_json SearchToJson(const engine::CustomHitList& hits,
                                    const custom::CustomGrid& grid, const std::string& caption,
                                    bool canceled) {
    std::map<std::int32_t, const custom::CustomRow*> rows;
    for (const custom::CustomRow& row : grid.Rows) rows[row.Index] = &row;

    nlohmann::ordered_json result;
    result["caption"] = caption;
    result["canceled"] = canceled;
    result["hits"] = nlohmann::ordered_json::array();
    for (const engine::CustomHit& hit : hits) {
        nlohmann::ordered_json j = CustomHitToJson(hit);
        if (const auto it = rows.find(hit.Index); it != rows.end()) {
            j["Action"] = it->second->Action;
            j["String"] = it->second->String;
            j["Fixed"] = it->second->Fixed;
        }
        result["hits"].push_back(std::move(j));
    }
    return result;
}

}  // namespace hivewarden::cli
