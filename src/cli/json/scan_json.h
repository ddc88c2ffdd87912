// The scan's findings as JSON: every field of every finding and invalid shortcut, with the
// grid's description and default action, and the counters. Strings are the program's UTF-8
// text as they are.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "scan/results/result_rows.h"
#include "scan/scan_session.h"

namespace hivewarden::cli {

nlohmann::ordered_json ErrorEntryToJson(const engine::ErrorEntry& entry);
nlohmann::ordered_json ScanToJson(const scan::ScanSession& session, const scan::ResultGrid& grid,
                                  const std::string& caption, bool canceled);

}  // namespace hivewarden::cli
