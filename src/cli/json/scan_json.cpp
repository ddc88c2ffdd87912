// JSON form of a finished scan.
#include "cli/json/scan_json.h"

#include <map>

namespace hivewarden::cli {

nlohmann::ordered_json ErrorEntryToJson(const engine::ErrorEntry& e) {
    nlohmann::ordered_json j;
    j["PathKind"] = e.PathKind;
    j["EntryKind"] = e.EntryKind;
    j["ItemName"] = e.ItemName;
    j["ItemData"] = e.ItemData;
    j["KeyPath"] = e.KeyPath;
    j["TargetPath"] = e.TargetPath;
    j["DeleteMark"] = e.DeleteMark;
    j["ValueType"] = e.ValueType;
    j["RootKey"] = e.RootKey;
    j["IsShell32"] = e.IsShell32;
    j["FixedValue"] = e.FixedValue;
    j["Index"] = e.Index;
    j["TrojanName"] = e.TrojanName;
    j["IsTrojan"] = e.IsTrojan;
    j["IsLockedTrojan"] = e.IsLockedTrojan;
    j["IsAppPath"] = e.IsAppPath;
    j["IsSound"] = e.IsSound;
    j["IsDriver"] = e.IsDriver;
    j["IsSharedDll"] = e.IsSharedDll;
    j["IsUninstall"] = e.IsUninstall;
    j["IsHelp"] = e.IsHelp;
    j["IsEmptyKey"] = e.IsEmptyKey;
    j["IsFont"] = e.IsFont;
    j["IsAutoRun"] = e.IsAutoRun;
    j["IsComServer"] = e.IsComServer;
    // The value as the scan read it, so that a repair made later can see whether it changed.
    j["HasScannedValue"] = e.HasScannedValue;
    j["ScannedValueKey"] = e.ScannedValueKey;
    j["ScannedValueName"] = e.ScannedValueName;
    j["ScannedType"] = e.ScannedType;
    j["ScannedData"] = HexBytes(e.ScannedBytes);
    j["TargetWasMissing"] = e.TargetWasMissing;
    j["IsAbsentDrive"] = e.IsAbsentDrive;
    j["CleanValue"] = e.CleanValue;
    return j;
}

std::string HexBytes(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

std::optional<std::string> BytesFromHex(std::string_view hex) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]);
        const int low = digit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

nlohmann::ordered_json ScanToJson(const scan::ScanSession& session, const scan::ResultGrid& grid,
                                  const std::string& caption, bool canceled) {
    std::map<std::int32_t, const scan::ResultRow*> findingRows;
    std::map<std::int32_t, const scan::ResultRow*> shortcutRows;
    for (const scan::ResultRow& row : grid.Rows) {
        (row.IsShortcut ? shortcutRows : findingRows)[row.Index] = &row;
    }
    auto withRow = [](nlohmann::ordered_json j, const scan::ResultRow* row) {
        if (row) {
            // The value a proposed Change Value writes, so that the file can be applied as it is.
            if (!row->FixedValue.empty()) j["FixedValue"] = row->FixedValue;
            j["Action"] = row->Correction;
            j["Description"] = row->ErrorKind;
            j["CanChange"] = row->CanChange;
        }
        return j;
    };

    nlohmann::ordered_json result;
    result["format"] = kFindingsFormat;
    result["caption"] = caption;
    result["canceled"] = canceled;
    result["findings"] = nlohmann::ordered_json::array();
    for (const engine::ErrorEntry& entry : session.State.ScanResults) {
        const auto it = findingRows.find(entry.Index);
        result["findings"].push_back(
            withRow(ErrorEntryToJson(entry), it == findingRows.end() ? nullptr : it->second));
    }
    result["shortcuts"] = nlohmann::ordered_json::array();
    for (const scan::ShortcutEntry& entry : session.Shortcuts) {
        nlohmann::ordered_json j;
        j["LinkPath"] = entry.LinkPath;
        j["LinkTarget"] = entry.LinkTarget;
        j["LinkIndex"] = entry.LinkIndex;
        j["RemoveMark"] = entry.RemoveMark;
        const auto it = shortcutRows.find(entry.LinkIndex);
        result["shortcuts"].push_back(withRow(j, it == shortcutRows.end() ? nullptr : it->second));
    }
    nlohmann::ordered_json counters = nlohmann::ordered_json::object();
    for (const scan::CounterInfo& info : scan::kCounterTable) {
        counters[std::string(info.Name)] = {{"caption", info.Caption},
                                            {"value", grid.Counters.Value(info.Id)}};
    }
    result["counters"] = counters;
    return result;
}

}  // namespace hivewarden::cli
