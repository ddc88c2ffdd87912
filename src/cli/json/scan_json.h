// The scan's findings as JSON: every field of every finding and invalid shortcut, with the
// grid's description and default action, and the counters. Strings are the program's UTF-8
// text as they are.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "scan/results/result_rows.h"
#include "scan/scan_session.h"

namespace hivewarden::cli {

// The version of the findings file's layout; `repair --from` reads only this one.
inline constexpr int kFindingsFormat = 2;

nlohmann::ordered_json ErrorEntryToJson(const engine::ErrorEntry& entry);
nlohmann::ordered_json ScanToJson(const scan::ScanSession& session, const scan::ResultGrid& grid,
                                  const std::string& caption, bool canceled);

// Bytes as lower-case hex digits, two per byte, and back (nothing for an odd count or a
// character that is not a hex digit).
std::string HexBytes(std::string_view bytes);
std::optional<std::string> BytesFromHex(std::string_view hex);

}  // namespace hivewarden::cli
