// Real hive files for the hive tests (Linux builds only): the xz fixtures of tests/data/hives
// unpacked into a folder, a hive emptied to build small ones from, and a walk of a hive file
// straight through hivex, independent of the store under test.
#pragma once

#include <hivex.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "store/hive/hive_store.h"
#include "store/store.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {

// Unpacks tests/data/hives/NAME.xz to `path`; false when xz fails.
inline bool UnpackHive(const std::string& name, const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    const std::string command = "xz -dc '" + std::string(HW_TEST_DATA) + "/hives/" + name +
                                ".xz' > '" + path.string() + "'";
    return std::system(command.c_str()) == 0;
}

inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Deletes root\path and everything below it through the store's own calls.
inline void DeleteTree(registry::RegistryStore& store, const std::string& path) {
    const registry::StoreHandle key = store.Open(registry::kLocalMachine, path);
    std::vector<std::string> children;
    std::string name;
    for (std::uint32_t i = 0; key != 0 && store.SubkeyName(key, i, name); ++i) {
        children.push_back(name);
    }
    std::vector<std::string> values;
    for (std::uint32_t i = 0; key != 0 && store.ValueName(key, i, name); ++i) {
        values.push_back(name);
    }
    for (const std::string& value : values) store.DeleteValue(key, value);
    if (key != 0) store.Close(key);
    for (const std::string& child : children) {
        DeleteTree(store, path.empty() ? child : path + "\\" + child);
    }
    if (!path.empty()) store.DeleteLeafKey(registry::kLocalMachine, path);
}

// An empty hive at `path`: NTUSER.DAT with every key and value of its root deleted (hivex
// makes no hive from nothing). Made once per test run and copied.
inline bool MakeEmptyHive(const std::filesystem::path& path) {
    static const TempFolder madeOnce;
    const std::filesystem::path made = madeOnce.HostPath("EMPTY.DAT");
    std::error_code ec;
    if (!std::filesystem::exists(made, ec)) {
        if (!UnpackHive("NTUSER.DAT", made)) return false;
        std::string error;
        std::unique_ptr<registry::HiveStore> hive = registry::OpenHiveFile(made.string(), error);
        if (!hive) return false;
        DeleteTree(*hive, "");
        if (!hive->Commit(error)) return false;
    }
    std::filesystem::create_directories(path.parent_path());
    return std::filesystem::copy_file(made, path,
                                      std::filesystem::copy_options::overwrite_existing, ec);
}

// Every key of a hive file (path below the root, upper-cased separators kept as in the hive)
// with its values (name -> type and bytes), read through hivex directly.
struct HiveKeyContents {
    std::map<std::string, std::pair<std::uint32_t, std::string>> Values;
    bool operator==(const HiveKeyContents&) const = default;
};
using HiveContents = std::map<std::string, HiveKeyContents>;

inline void WalkHiveNode(hive_h* hive, hive_node_h node, const std::string& path,
                         HiveContents& contents) {
    HiveKeyContents& key = contents[path];
    hive_value_h* values = hivex_node_values(hive, node);
    for (hive_value_h* v = values; v != nullptr && *v != 0; ++v) {
        char* name = hivex_value_key(hive, *v);
        hive_type type{};
        std::size_t length = 0;
        char* data = hivex_value_value(hive, *v, &type, &length);
        std::uint32_t rawType = 0;
        std::memcpy(&rawType, &type, sizeof(rawType));
        key.Values[name != nullptr ? name : "?"] = {rawType, std::string(data, length)};
        std::free(name);
        std::free(data);
    }
    std::free(values);
    hive_node_h* children = hivex_node_children(hive, node);
    for (hive_node_h* c = children; c != nullptr && *c != 0; ++c) {
        char* name = hivex_node_name(hive, *c);
        WalkHiveNode(hive, *c, path.empty() ? name : path + "\\" + name, contents);
        std::free(name);
    }
    std::free(children);
}

inline HiveContents ReadHiveContents(const std::filesystem::path& path) {
    HiveContents contents;
    hive_h* hive = hivex_open(path.c_str(), 0);
    if (hive == nullptr) return contents;
    WalkHiveNode(hive, hivex_root(hive), "", contents);
    hivex_close(hive);
    return contents;
}

}  // namespace hivewarden::testing
