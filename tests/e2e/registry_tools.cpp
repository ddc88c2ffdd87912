// Registry access of the driver.
#include "e2e/registry_tools.h"

namespace hivewarden::e2e {
namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;

// An open key, closed on scope exit.
class Key {
  public:
    Key(HKEY root, const std::string& path, REGSAM access, bool create) {
        const LONG status = create ? RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0,
                                                     access | kView, nullptr, &key_, nullptr)
                                   : RegOpenKeyExA(root, path.c_str(), 0, access | kView, &key_);
        if (status != ERROR_SUCCESS) key_ = nullptr;
    }
    ~Key() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY Get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

const char* NameOrDefault(const std::string& name) { return name.empty() ? nullptr : name.c_str(); }

}  // namespace

bool WriteText(HKEY root, const std::string& key, const std::string& name,
               const std::string& text) {
    const Key open(root, key, KEY_SET_VALUE, true);
    return open.Get() != nullptr &&
           RegSetValueExA(open.Get(), NameOrDefault(name), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool WriteExpandText(HKEY root, const std::string& key, const std::string& name,
                     const std::string& text) {
    const Key open(root, key, KEY_SET_VALUE, true);
    return open.Get() != nullptr &&
           RegSetValueExA(open.Get(), NameOrDefault(name), 0, REG_EXPAND_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool WriteNumber(HKEY root, const std::string& key, const std::string& name, DWORD number) {
    const Key open(root, key, KEY_SET_VALUE, true);
    return open.Get() != nullptr &&
           RegSetValueExA(open.Get(), NameOrDefault(name), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&number), sizeof(number)) == ERROR_SUCCESS;
}

std::optional<std::string> ReadText(HKEY root, const std::string& key, const std::string& name) {
    const Key open(root, key, KEY_QUERY_VALUE, false);
    if (open.Get() == nullptr) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(open.Get(), NameOrDefault(name), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::string data(size, '\0');
    if (RegQueryValueExA(open.Get(), NameOrDefault(name), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size);
    while (!data.empty() && data.back() == '\0') data.pop_back();
    return data;
}

bool ValueExists(HKEY root, const std::string& key, const std::string& name) {
    const Key open(root, key, KEY_QUERY_VALUE, false);
    return open.Get() != nullptr && RegQueryValueExA(open.Get(), NameOrDefault(name), nullptr,
                                                     nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::optional<DWORD> ValueType(HKEY root, const std::string& key, const std::string& name) {
    const Key open(root, key, KEY_QUERY_VALUE, false);
    DWORD type = 0;
    if (open.Get() == nullptr || RegQueryValueExA(open.Get(), NameOrDefault(name), nullptr, &type,
                                                  nullptr, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return type;
}

bool KeyExists(HKEY root, const std::string& key) {
    const Key open(root, key, KEY_QUERY_VALUE, false);
    return open.Get() != nullptr;
}

void DeleteTree(HKEY root, const std::string& key) {
    const Key open(root, key, KEY_ALL_ACCESS, false);
    if (open.Get() == nullptr) return;
    RegDeleteTreeA(open.Get(), nullptr);
    RegDeleteKeyExA(root, key.c_str(), kView, 0);
}

void DeleteValue(HKEY root, const std::string& key, const std::string& name) {
    const Key open(root, key, KEY_SET_VALUE, false);
    if (open.Get() != nullptr) RegDeleteValueA(open.Get(), NameOrDefault(name));
}

}  // namespace hivewarden::e2e
