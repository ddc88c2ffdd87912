// Registry access of the driver, through the wide calls: key names, value names and text data
// are UTF-8 here and UTF-16 in the registry.
#include "e2e/registry_tools.h"

#include "e2e/utf8_text.h"

namespace hivewarden::e2e {
namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;

// An open key, closed on scope exit.
class Key {
  public:
    Key(HKEY root, const std::string& path, REGSAM access, bool create) {
        const std::wstring wide = Wide(path);
        const LONG status = create ? RegCreateKeyExW(root, wide.c_str(), 0, nullptr, 0,
                                                     access | kView, nullptr, &key_, nullptr)
                                   : RegOpenKeyExW(root, wide.c_str(), 0, access | kView, &key_);
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

// A value's name as the wide calls take it; the default value has none.
class ValueName {
  public:
    explicit ValueName(const std::string& name) : wide_(Wide(name)), none_(name.empty()) {}
    const wchar_t* Get() const { return none_ ? nullptr : wide_.c_str(); }

  private:
    std::wstring wide_;
    bool none_;
};

bool WriteString(HKEY root, const std::string& key, const std::string& name, DWORD type,
                 const std::string& text) {
    const Key open(root, key, KEY_SET_VALUE, true);
    const std::wstring data = Wide(text);
    // With its terminating NUL unit, as the system's own writers store a string.
    return open.Get() != nullptr &&
           RegSetValueExW(open.Get(), ValueName(name).Get(), 0, type,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

bool WriteText(HKEY root, const std::string& key, const std::string& name,
               const std::string& text) {
    return WriteString(root, key, name, REG_SZ, text);
}

bool WriteExpandText(HKEY root, const std::string& key, const std::string& name,
                     const std::string& text) {
    return WriteString(root, key, name, REG_EXPAND_SZ, text);
}

bool WriteNumber(HKEY root, const std::string& key, const std::string& name, DWORD number) {
    const Key open(root, key, KEY_SET_VALUE, true);
    return open.Get() != nullptr &&
           RegSetValueExW(open.Get(), ValueName(name).Get(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&number), sizeof(number)) == ERROR_SUCCESS;
}

std::optional<RawData> ReadRaw(HKEY root, const std::string& key, const std::string& name) {
    const Key open(root, key, KEY_QUERY_VALUE, false);
    if (open.Get() == nullptr) return std::nullopt;
    const ValueName value(name);
    RawData raw;
    DWORD size = 0;
    if (RegQueryValueExW(open.Get(), value.Get(), nullptr, &raw.Type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    raw.Bytes.assign(size, '\0');
    if (RegQueryValueExW(open.Get(), value.Get(), nullptr, &raw.Type,
                         reinterpret_cast<BYTE*>(raw.Bytes.data()), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    raw.Bytes.resize(size);
    return raw;
}

std::optional<std::string> ReadText(HKEY root, const std::string& key, const std::string& name) {
    const std::optional<RawData> raw = ReadRaw(root, key, name);
    if (!raw || (raw->Type != REG_SZ && raw->Type != REG_EXPAND_SZ)) return std::nullopt;
    std::wstring text(raw->Bytes.size() / sizeof(wchar_t), L'\0');
    raw->Bytes.copy(reinterpret_cast<char*>(text.data()), text.size() * sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return Utf8(text);
}

bool ValueExists(HKEY root, const std::string& key, const std::string& name) {
    const Key open(root, key, KEY_QUERY_VALUE, false);
    return open.Get() != nullptr && RegQueryValueExW(open.Get(), ValueName(name).Get(), nullptr,
                                                     nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::optional<DWORD> ValueType(HKEY root, const std::string& key, const std::string& name) {
    const std::optional<RawData> raw = ReadRaw(root, key, name);
    if (!raw) return std::nullopt;
    return raw->Type;
}

bool KeyExists(HKEY root, const std::string& key) {
    const Key open(root, key, KEY_QUERY_VALUE, false);
    return open.Get() != nullptr;
}

void DeleteTree(HKEY root, const std::string& key) {
    const Key open(root, key, KEY_ALL_ACCESS, false);
    if (open.Get() == nullptr) return;
    RegDeleteTreeW(open.Get(), nullptr);
    RegDeleteKeyExW(root, Wide(key).c_str(), kView, 0);
}

void DeleteValue(HKEY root, const std::string& key, const std::string& name) {
    const Key open(root, key, KEY_SET_VALUE, false);
    if (open.Get() != nullptr) RegDeleteValueW(open.Get(), ValueName(name).Get());
}

}  // namespace hivewarden::e2e
