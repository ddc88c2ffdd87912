// String values read through the store seam, as the machine's layout needs them.
#include "machine/registry_text.h"

#include "text/unicode.h"

namespace hivewarden::machine {
namespace {

bool IsStringType(std::uint32_t type) {
    return type == registry::kRegSz || type == registry::kRegExpandSz;
}

std::string TextOf(const registry::RawValue& value) {
    std::string text = Utf8FromUtf16Le(value.Bytes);
    if (const std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

}  // namespace

std::optional<std::string> ReadString(registry::RegistryStore& store, registry::RootKey root,
                                      std::string_view path, std::string_view name) {
    const registry::StoreHandle key = store.Open(root, path);
    if (key == 0) return std::nullopt;
    registry::RawValue value;
    const bool found = store.Read(key, name, value) && IsStringType(value.Type);
    store.Close(key);
    if (!found) return std::nullopt;
    return TextOf(value);
}

std::vector<StringValue> ReadStrings(registry::RegistryStore& store, registry::RootKey root,
                                     std::string_view path) {
    std::vector<StringValue> values;
    const registry::StoreHandle key = store.Open(root, path);
    if (key == 0) return values;
    std::string name;
    std::optional<registry::RawValue> value;
    for (std::uint32_t i = 0; store.ValueAt(key, i, name, value); ++i) {
        if (!value || !IsStringType(value->Type)) continue;
        values.push_back({name, TextOf(*value), value->Type == registry::kRegExpandSz});
    }
    store.Close(key);
    return values;
}

}  // namespace hivewarden::machine
