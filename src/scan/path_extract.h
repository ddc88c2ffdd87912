// Cuts the file or folder path out of registry value data, classifies it and decides whether
// the thing it names is missing. Pure functions of the text and the file probes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "registry/files.h"

namespace hivewarden::scan {

// The probes and the Windows directory (with trailing "\") the three functions consult.
struct PathContext {
    registry::FileProbes& Probes;
    std::string WindowsDir;
};

std::string ExtractPath(std::string_view text, PathContext& context);
std::int32_t PathKindOf(std::string_view text, PathContext& context);
bool IsMissing(std::string_view text, std::int32_t kind, PathContext& context);

}  // namespace hivewarden::scan
