// The custom search's hits as JSON: every field of every hit with its grid row's action,
// String cell and replace text. Strings are the program's UTF-8 text as they are.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "custom/custom_grid.h"
#include "engine/custom_hit.h"

namespace hivewarden::cli {

nlohmann::ordered_json CustomHitToJson(const engine::CustomHit& hit);
nlohmann::ordered_json SearchToJson(const engine::CustomHitList& hits,
                                    const custom::CustomGrid& grid, const std::string& caption,
                                    bool canceled);

}  // namespace hivewarden::cli
