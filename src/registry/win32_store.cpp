// The registry store over advapi32's ANSI functions. Every failure is an answer (0 handle,
// false); nothing here throws, prints or keeps state beyond the view flag.
#include "registry/win32_store.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "registry/win32_system.h"

namespace hivewarden::registry {
namespace {

// Key names have at most 255 characters, value names at most 16,383; an ANSI name may take
// two bytes per character. Buffers start small and double up to this limit.
constexpr DWORD kFirstNameBuffer = 256;
constexpr DWORD kMaxNameBuffer = 2 * 16384;
// Values are read straight into a buffer of this size; one that does not fit reports its size
// and is read again. Most values fit, so most reads take one call instead of a size query and
// a read: under Wine every registry call is a round trip to the server.
constexpr DWORD kFirstDataBuffer = 1024;
// A value that keeps growing between the reported size and the next read is read again, a
// few times at most (HKEY_PERFORMANCE_DATA answers "more data" to every size).
constexpr int kReadAttempts = 4;

using DeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

HKEY ToKey(StoreHandle handle) { return reinterpret_cast<HKEY>(handle); }
StoreHandle ToHandle(HKEY key) { return reinterpret_cast<StoreHandle>(key); }

HKEY PredefinedKey(RootKey root) {
    switch (root) {
        case kClassesRoot:
            return HKEY_CLASSES_ROOT;
        case kCurrentUser:
            return HKEY_CURRENT_USER;
        case kLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case kUsers:
            return HKEY_USERS;
        case kPerformanceData:
            return HKEY_PERFORMANCE_DATA;
        case kCurrentConfig:
            return HKEY_CURRENT_CONFIG;
        default:
            return nullptr;
    }
}

// Opening the empty path of a root gives back the predefined handle itself, which must not be
// closed: Windows would drop its cached key for the whole process.
bool IsPredefined(HKEY key) {
    for (RootKey root = kClassesRoot; root <= kCurrentConfig; ++root) {
        if (key == PredefinedKey(root)) return true;
    }
    return false;
}

// The ANSI functions take zero-terminated names; a name with an inner zero would silently
// address another key or value, so it addresses nothing.
bool Expressible(std::string_view text) { return text.find('\0') == std::string_view::npos; }

// Calls enumerate(buffer, size) with a growing name buffer. True with the name on success;
// false on any error other than "more data" (Wine answers some keys with other errors for
// every index, so no caller may wait for "no more items").
template <typename Enumerate>
bool EnumeratedName(Enumerate enumerate, std::string& name) {
    std::vector<char> buffer(kFirstNameBuffer);
    while (true) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG status = enumerate(buffer.data(), &size);
        if (status == ERROR_SUCCESS) {
            name.assign(buffer.data(), std::min<std::size_t>(size, buffer.size()));
            return true;
        }
        if (status != ERROR_MORE_DATA || buffer.size() >= kMaxNameBuffer) return false;
        buffer.resize(buffer.size() * 2);
    }
}

// Wide text whose ANSI form is the same characters in every code page: ASCII without zeros.
bool PlainAscii(const wchar_t* text, std::size_t length) {
    return std::all_of(text, text + length, [](wchar_t c) { return c > 0 && c < 0x80; });
}

// The ANSI bytes of string data given as UTF-16 bytes, when the conversion cannot depend on the
// code page: an even byte count and only ASCII characters (zeros included, as in multi-strings).
bool AnsiOfAsciiData(const wchar_t* data, DWORD size, std::string& bytes) {
    if (size % sizeof(wchar_t) != 0) return false;
    const std::size_t count = size / sizeof(wchar_t);
    if (!std::all_of(data, data + count, [](wchar_t c) { return c < 0x80; })) return false;
    bytes.assign(count, '\0');
    std::transform(data, data + count, bytes.begin(),
                   [](wchar_t c) { return static_cast<char>(c); });
    return true;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

Win32Store::Win32Store() {
#ifdef _WIN64
    viewFlag_ = KEY_WOW64_64KEY;  // the native view; the flag only makes it explicit
#else
    if (win32::ProcessIsWow64()) viewFlag_ = KEY_WOW64_64KEY;
#endif
    deleteKeyEx_ = win32::SystemFunction<void (*)()>("advapi32.dll", "RegDeleteKeyExA");
}

StoreHandle Win32Store::Open(RootKey root, std::string_view path) {
    const HKEY base = PredefinedKey(root);
    if (base == nullptr || !Expressible(path)) return 0;
    const std::string subkey(path);
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(base, subkey.c_str(), 0, KEY_READ | KEY_WRITE | viewFlag_, &key);
    if (status == ERROR_ACCESS_DENIED) {
        status = RegOpenKeyExA(base, subkey.c_str(), 0, KEY_READ | viewFlag_, &key);
    }
    return status == ERROR_SUCCESS ? ToHandle(key) : 0;
}

StoreHandle Win32Store::Create(RootKey root, std::string_view path) {
    // A root is never created, only opened.
    if (path.empty()) return Open(root, path);
    const HKEY base = PredefinedKey(root);
    if (base == nullptr || !Expressible(path)) return 0;
    const std::string subkey(path);
    auto create = [&](REGSAM access, HKEY& key) {
        return RegCreateKeyExA(base, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               access | viewFlag_, nullptr, &key, nullptr);
    };
    HKEY key = nullptr;
    LONG status = create(KEY_READ | KEY_WRITE, key);
    // An existing key that may be read but not written still opens.
    if (status == ERROR_ACCESS_DENIED) status = create(KEY_READ, key);
    return status == ERROR_SUCCESS ? ToHandle(key) : 0;
}

void Win32Store::Close(StoreHandle key) {
    if (key != 0 && !IsPredefined(ToKey(key))) RegCloseKey(ToKey(key));
}

bool Win32Store::SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) {
    if (key == 0) return false;
    return EnumeratedName(
        [&](char* buffer, DWORD* size) {
            return RegEnumKeyExA(ToKey(key), index, buffer, size, nullptr, nullptr, nullptr,
                                 nullptr);
        },
        name);
}

bool Win32Store::ValueName(StoreHandle key, std::uint32_t index, std::string& name) {
    if (key == 0) return false;
    return EnumeratedName(
        [&](char* buffer, DWORD* size) {
            return RegEnumValueA(ToKey(key), index, buffer, size, nullptr, nullptr, nullptr,
                                 nullptr);
        },
        name);
}

bool Win32Store::ValueAt(StoreHandle key, std::uint32_t index, std::string& name,
                         std::optional<RawValue>& value) {
    if (key == 0) return false;
    // Name and data in one call. The ANSI functions would give the same name and bytes only
    // where both are plain ASCII; everything else (other characters, a name or data larger
    // than the buffers, any failure but the end of the list) takes the ANSI path.
    wchar_t nameBuffer[kFirstNameBuffer];
    wchar_t data[kFirstDataBuffer / sizeof(wchar_t)];
    DWORD nameSize = kFirstNameBuffer;
    DWORD type = REG_NONE;
    DWORD size = sizeof(data);
    const LONG status = RegEnumValueW(ToKey(key), index, nameBuffer, &nameSize, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &size);
    if (status == ERROR_NO_MORE_ITEMS) return false;
    if (status == ERROR_SUCCESS && nameSize < kFirstNameBuffer && size <= sizeof(data) &&
        PlainAscii(nameBuffer, nameSize)) {
        std::string bytes;
        if (!IsStringType(type)) {
            bytes.assign(reinterpret_cast<const char*>(data), size);
        } else if (!AnsiOfAsciiData(data, size, bytes)) {
            return RegistryStore::ValueAt(key, index, name, value);
        }
        name.assign(nameBuffer, nameBuffer + nameSize);
        value = RawValue{type, std::move(bytes)};
        return true;
    }
    return RegistryStore::ValueAt(key, index, name, value);
}

bool Win32Store::LongestValueName(StoreHandle key, std::uint32_t& length) {
    if (key == 0) return false;
    DWORD longest = 0;
    const LONG status = RegQueryInfoKeyA(ToKey(key), nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, &longest, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return false;
    length = longest;
    return true;
}

bool Win32Store::Read(StoreHandle key, std::string_view name, RawValue& value) {
    if (key == 0 || !Expressible(name)) return false;
    const std::string valueName(name);
    DWORD size = kFirstDataBuffer;
    // The first read with the starting buffer, then up to kReadAttempts with the reported size.
    for (int attempt = 0; attempt <= kReadAttempts; ++attempt) {
        std::string bytes(size, '\0');
        DWORD type = REG_NONE;
        DWORD got = size;
        const LONG status = RegQueryValueExA(ToKey(key), valueName.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(bytes.data()), &got);
        if (status == ERROR_SUCCESS) {
            // A string may be reported larger than the read delivers; keep what was delivered.
            bytes.resize(std::min<std::size_t>(got, size));
            value = RawValue{type, std::move(bytes)};
            return true;
        }
        if (status != ERROR_MORE_DATA || got <= size) return false;
        size = got;  // too small, or the value grew in between
    }
    return false;
}

bool Win32Store::Write(StoreHandle key, std::string_view name, const RawValue& value) {
    if (key == 0 || !Expressible(name) || value.Bytes.size() > MAXDWORD) return false;
    const std::string valueName(name);
    return RegSetValueExA(ToKey(key), valueName.c_str(), 0, value.Type,
                          reinterpret_cast<const BYTE*>(value.Bytes.data()),
                          static_cast<DWORD>(value.Bytes.size())) == ERROR_SUCCESS;
}

bool Win32Store::DeleteValue(StoreHandle key, std::string_view name) {
    if (key == 0 || !Expressible(name)) return false;
    const std::string valueName(name);
    return RegDeleteValueA(ToKey(key), valueName.c_str()) == ERROR_SUCCESS;
}

bool Win32Store::DeleteLeafKey(RootKey root, std::string_view path) {
    const HKEY base = PredefinedKey(root);
    if (base == nullptr || path.empty() || !Expressible(path)) return false;
    const std::string subkey(path);
    // Both refuse a key that has subkeys, as Windows NT does.
    if (deleteKeyEx_ != nullptr) {
        const auto deleteKeyEx = reinterpret_cast<DeleteKeyExFn>(deleteKeyEx_);
        return deleteKeyEx(base, subkey.c_str(), viewFlag_, 0) == ERROR_SUCCESS;
    }
    return RegDeleteKeyA(base, subkey.c_str()) == ERROR_SUCCESS;
}

}  // namespace hivewarden::registry
