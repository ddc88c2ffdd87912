// Reading the few texts a machine's layout is made of (folders, the user's profile, the
// environment) from its registry, before anything else reads it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/store.h"

namespace hivewarden::machine {

// A string value (REG_SZ or REG_EXPAND_SZ) as text, cut at its first NUL; nothing when the key
// or value is missing or holds no text.
std::optional<std::string> ReadString(registry::RegistryStore& store, registry::RootKey root,
                                      std::string_view path, std::string_view name);

// One string value of a key, with its type.
struct StringValue {
    std::string Name;
    std::string Text;
    bool Expandable = false;  // REG_EXPAND_SZ
};

// Every string value of a key, in the key's order; other types are left out.
std::vector<StringValue> ReadStrings(registry::RegistryStore& store, registry::RootKey root,
                                     std::string_view path);

}  // namespace hivewarden::machine
