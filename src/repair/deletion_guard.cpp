// Protected keys and subtree sizes.
#include "repair/deletion_guard.h"

#include <vector>

#include "store/key_path.h"
#include "regfile/regfile.h"
#include "text/text.h"

namespace hivewarden::repair {
namespace {

// True when the last components of `parts` are those of `ending`.
bool EndsWith(const std::vector<std::string_view>& parts, std::string_view ending) {
    const std::vector<std::string_view> tail = registry::NonEmptyPathComponents(ending);
    if (tail.size() > parts.size()) return false;
    const std::size_t offset = parts.size() - tail.size();
    for (std::size_t i = 0; i < tail.size(); ++i) {
        if (!EqualsNoCase(parts[offset + i], tail[i])) return false;
    }
    return true;
}

void Measure(registry::RegistryStore& store, registry::RootKey root, const std::string& path,
             std::size_t depth, SubtreeSize& size) {
    if (depth > registry::kMaxRegKeyDepth) return;
    const registry::StoreHandle key = store.Open(root, path);
    if (key == 0) return;
    ++size.Keys;
    std::string name;
    for (std::uint32_t i = 0; store.ValueName(key, i, name); ++i) ++size.Values;
    std::vector<std::string> children;
    for (std::uint32_t i = 0; store.SubkeyName(key, i, name); ++i) children.push_back(name);
    store.Close(key);
    for (const std::string& child : children) {
        Measure(store, root, path.empty() ? child : path + "\\" + child, depth + 1, size);
    }
}

}  // namespace

std::string ProtectionReason(registry::RootKey root, std::string_view path) {
    const std::vector<std::string_view> parts = registry::NonEmptyPathComponents(path);
    const std::string name = registry::RootName(root);
    if (parts.empty()) return "a root key is never deleted";
    if (parts.size() <= 2) {
        return "a key one or two levels below " + (name.empty() ? "a root" : name) +
               " is never deleted";
    }
    for (std::string_view ending : kProtectedKeyEndings) {
        if (EndsWith(parts, ending)) {
            return "\"" + std::string(ending) + "\" keys hold the entries of many programs " +
                   "and are never deleted";
        }
    }
    return {};
}

SubtreeSize MeasureSubtree(registry::RegistryStore& store, registry::RootKey root,
                           std::string_view path) {
    SubtreeSize size;
    std::string own(path);
    if (!own.empty() && own.back() == '\\') own.pop_back();
    Measure(store, root, own, 0, size);
    return size;
}

}  // namespace hivewarden::repair
