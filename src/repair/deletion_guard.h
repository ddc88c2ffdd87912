// The guard against deleting too much: keys that hold the entries of many programs or of the
// system itself are never deleted, whatever a finding says; and the size of what a deletion
// removes, for previews. Reads the registry through the store; changes nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/roots.h"
#include "store/store.h"

namespace hivewarden::repair {

// Keys are protected when they are a root, one or two levels below a root
// (HKEY_LOCAL_MACHINE\Software, ...\Software\Microsoft), or when their last components are one
// of these well-known containers (compared case-insensitively):
inline constexpr std::array<std::string_view, 29> kProtectedKeyEndings = {
    // classes and COM registration
    "CLSID",
    "Interface",
    "TypeLib",
    "AppID",
    "Software\\Classes",
    "Wow6432Node",
    // the places the scan's categories look at
    "App Paths",
    "Uninstall",
    "SharedDLLs",
    "Fonts",
    "Windows\\Help",
    "Windows NT\\Help",
    "Run",
    "RunOnce",
    "RunOnceEx",
    "RunServices",
    "RunServicesEx",
    "Schemes\\Apps",
    "Apps\\.Default",
    // the system's own branches, wherever they sit (for example under HKEY_USERS\<user>)
    "Software",
    "Software\\Microsoft",
    "Microsoft\\Windows",
    "Microsoft\\Windows NT",
    "Windows\\CurrentVersion",
    "Windows NT\\CurrentVersion",
    "CurrentControlSet\\Services",
    "CurrentControlSet\\Control",
    "Explorer\\Shell Folders",
    "Explorer\\User Shell Folders",
};

// Why root\path must not be deleted ("a root key is never deleted", ...); empty text when it
// may be. A trailing "\" is ignored.
std::string ProtectionReason(registry::RootKey root, std::string_view path);
inline bool IsProtectedKey(registry::RootKey root, std::string_view path) {
    return !ProtectionReason(root, path).empty();
}

// What deleting root\path with its subtree removes: the key itself and every key below it,
// and all their values. Zero keys when the key does not exist or cannot be opened.
struct SubtreeSize {
    std::int64_t Keys = 0;
    std::int64_t Values = 0;
};
SubtreeSize MeasureSubtree(registry::RegistryStore& store, registry::RootKey root,
                           std::string_view path);

}  // namespace hivewarden::repair
