// Root key names and full-path splitting over the one root table.
#include "store/roots.h"

#include "text/text.h"

namespace hivewarden::registry {

std::string RootName(RootKey root) {
    for (const RootInfo& info : kRootTable) {
        if (info.Handle == root) return std::string(info.Name);
    }
    return {};
}

std::optional<RootKey> RootFromName(std::string_view name, bool allowShort) {
    for (const RootInfo& info : kRootTable) {
        if (EqualsNoCase(name, info.Name) || (allowShort && EqualsNoCase(name, info.ShortName))) {
            return info.Handle;
        }
    }
    return std::nullopt;
}

std::optional<RootAndPath> SplitKeyPath(std::string_view fullPath, bool allowShort) {
    const std::size_t slash = fullPath.find('\\');
    const std::string_view rootName = fullPath.substr(0, slash);
    const std::optional<RootKey> root = RootFromName(rootName, allowShort);
    if (!root) return std::nullopt;
    std::string path;
    if (slash != std::string_view::npos) path = std::string(fullPath.substr(slash + 1));
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return RootAndPath{*root, std::move(path)};
}

}  // namespace hivewarden::registry
