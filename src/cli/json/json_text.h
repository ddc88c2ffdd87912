// JSON as the command line prints it: UTF-8 with its characters as they are. Text that is not
// strict UTF-8 (a name holding a lone surrogate, which the program carries in its three-byte
// form) has no JSON form; it is printed with U+FFFD in its place instead of failing the output.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace hivewarden::cli {

inline std::string JsonText(const nlohmann::ordered_json& json, int indent = -1) {
    return json.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace hivewarden::cli
