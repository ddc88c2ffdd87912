// The custom-search grid model: rows, the action chooser, bulk actions, polling and marks.
#include "custom/custom_grid.h"

#include <algorithm>

#include "text/text.h"

namespace hivewarden::custom {

std::string HitDescription(const engine::CustomHit& hit) {
    std::string text = "String Found (" + hit.MatchedText + ")";
    if (hit.EntryKind != engine::kKeyEntry) text += " - " + hit.ItemData;
    return text;
}

CustomRow MakeCustomRow(const engine::CustomHit& hit, std::string_view replaceText) {
    CustomRow row;
    row.ImageKey = std::string(hit.EntryKind == engine::kKeyEntry ? kImageKey : kImageValue);
    row.Action = std::string(kActionReplace);
    row.String = HitDescription(hit);
    row.Index = hit.Index;
    row.Fixed = std::string(replaceText);
    row.Body = hit.Location;
    return row;
}

std::string CustomCellText(const CustomRow& row, std::int32_t column) {
    switch (column) {
        case kCustomColumnAction:
            return row.Action;
        case kCustomColumnString:
            return row.String;
        case kCustomColumnIndex:
            return std::to_string(row.Index);
        case kCustomColumnFixed:
            return row.Fixed;
        case kCustomColumnBody:
            return row.Body;
        default:
            return {};
    }
}

std::vector<std::string_view> OfferedCustomActions(const CustomRow& row) {
    std::vector<std::string_view> actions = {kActionIgnore, kActionDelete};
    if (row.ImageKey == kImageValue) {
        actions.push_back(kActionReplace);
        actions.push_back(kActionReplaceBy);
    }
    return actions;
}

void CustomGrid::AddHitsToGrid(std::span<const engine::CustomHit> hits,
                               std::string_view replaceText) {
    Rows.reserve(Rows.size() + hits.size());
    for (const engine::CustomHit& hit : hits) Rows.push_back(MakeCustomRow(hit, replaceText));
}

void CustomGrid::ReplaceAll(std::string_view replaceText) {
    for (CustomRow& row : Rows) {
        row.Action = std::string(kActionReplace);
        row.Fixed = std::string(replaceText);
    }
}

void CustomGrid::IgnoreAll() {
    for (CustomRow& row : Rows) {
        row.Action = std::string(kActionIgnore);
        row.Fixed.clear();
    }
}

bool CustomGrid::ChooseAction(std::int32_t row, std::string_view choice,
                              std::string_view replaceText,
                              const ReplaceTextQuestion& askReplaceText) {
    if (row < 1 || row > RowCount()) return false;
    CustomRow& target = Row(row);
    const std::vector<std::string_view> offered = OfferedCustomActions(target);
    const auto it = std::find_if(offered.begin(), offered.end(), [&](std::string_view action) {
        return EqualsNoCase(action, choice);
    });
    if (it == offered.end()) return false;

    target.Action = std::string(*it);
    const std::string upper = ToUpper(*it);
    if (upper == "REPLACE") {
        target.Fixed = std::string(replaceText);
    } else if (upper == "REPLACE BY") {
        std::string answer = askReplaceText ? askReplaceText() : std::string();
        if (answer.empty()) {
            target.Action = std::string(kActionIgnore);
            target.Fixed.clear();
        } else {
            target.Fixed = std::move(answer);
        }
    } else {
        target.Fixed.clear();
    }
    return true;
}

std::int32_t CustomGrid::CountRowsToRepair() const {
    return static_cast<std::int32_t>(
        std::count_if(Rows.begin(), Rows.end(),
                      [](const CustomRow& r) { return ToUpper(r.Action) != "IGNORE"; }));
}

bool CheckForNewCustomTick(engine::ScanState& state, CustomGrid& grid,
                           std::string_view replaceText) {
    const std::int32_t count = state.CustomHits.Count();
    bool stopTimer = false;
    if (count > state.ShownCount) {
        const engine::CustomHit& first = state.CustomHits[state.ShownCount + 1];
        grid.AddHitsToGrid({&first, static_cast<std::size_t>(count - state.ShownCount)},
                           replaceText);
        stopTimer = state.ProgressPercent == 100;
    }
    state.ShownCount = count;
    return stopTimer;
}

void MarkCustomHits(const CustomGrid& grid, engine::CustomHitList& hits) {
    for (const CustomRow& row : grid.Rows) {
        if (row.Index < 1 || row.Index > hits.Count()) continue;
        engine::CustomHit& hit = hits[row.Index];
        const std::string action = ToUpper(row.Action);
        if (action == "DELETE") {
            hit.DeleteMark = true;
        } else if (action != "IGNORE" && hit.EntryKind != engine::kKeyEntry) {
            hit.ReplaceText = row.Fixed;
        }
    }
}

}  // namespace hivewarden::custom
