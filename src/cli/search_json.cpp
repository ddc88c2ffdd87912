// JSON form of a finished custom search.
#include "cli/search_json.h"

#include <map>

#include "registry/code_page.h"

namespace hivewarden::cli {

nlohmann::ordered_json CustomHitToJson(const engine::CustomHit& hit) {
    nlohmann::ordered_json j;
    j["EntryKind"] = hit.EntryKind;
    j["RootKey"] = hit.RootKey;
    j["Location"] = AnsiToUtf8(hit.Location);
    j["Index"] = hit.Index;
    j["MatchedText"] = AnsiToUtf8(hit.MatchedText);
    j["ItemData"] = AnsiToUtf8(hit.ItemData);
    j["ItemName"] = AnsiToUtf8(hit.ItemName);
    j["ReplaceText"] = AnsiToUtf8(hit.ReplaceText);
    j["DeleteMark"] = hit.DeleteMark;
    return j;
}

nlohmann::ordered_json SearchToJson(const engine::CustomHitList& hits,
                                    const custom::CustomGrid& grid, const std::string& caption,
                                    bool canceled) {
    std::map<std::int32_t, const custom::CustomRow*> rows;
    for (const custom::CustomRow& row : grid.Rows) rows[row.Index] = &row;

    nlohmann::ordered_json result;
    result["caption"] = AnsiToUtf8(caption);
    result["canceled"] = canceled;
    result["hits"] = nlohmann::ordered_json::array();
    for (const engine::CustomHit& hit : hits) {
        nlohmann::ordered_json j = CustomHitToJson(hit);
        if (const auto it = rows.find(hit.Index); it != rows.end()) {
            j["Action"] = AnsiToUtf8(it->second->Action);
            j["String"] = AnsiToUtf8(it->second->String);
            j["Fixed"] = AnsiToUtf8(it->second->Fixed);
        }
        result["hits"].push_back(std::move(j));
    }
    return result;
}

}  // namespace hivewarden::cli
