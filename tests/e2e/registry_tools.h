// The driver's own registry reads and writes (the 64-bit view, as the program sees it): seeds
// stale entries before a scenario and checks the registry after a repair. Names and texts are
// UTF-8; text values are written as UTF-16 with their terminating NUL, as Windows' own tools do.
#pragma once

#include <optional>
#include <string>

#include "e2e/e2e_headers.h"

namespace hivewarden::e2e {

// Creates the key if needed; false when the value cannot be written.
bool WriteText(HKEY root, const std::string& key, const std::string& name, const std::string& text);
bool WriteNumber(HKEY root, const std::string& key, const std::string& name, DWORD number);
// A REG_EXPAND_SZ value.
bool WriteExpandText(HKEY root, const std::string& key, const std::string& name,
                     const std::string& text);
// A value's type and its bytes exactly as the registry holds them.
struct RawData {
    DWORD Type = REG_NONE;
    std::string Bytes;
};
std::optional<RawData> ReadRaw(HKEY root, const std::string& key, const std::string& name);
// A text value's data; nullopt when the key or value does not exist (or is not text).
std::optional<std::string> ReadText(HKEY root, const std::string& key, const std::string& name);
bool ValueExists(HKEY root, const std::string& key, const std::string& name);
// The value's registry type (REG_SZ, ...); nullopt when it does not exist.
std::optional<DWORD> ValueType(HKEY root, const std::string& key, const std::string& name);
bool KeyExists(HKEY root, const std::string& key);
void DeleteTree(HKEY root, const std::string& key);
void DeleteValue(HKEY root, const std::string& key, const std::string& name);

}  // namespace hivewarden::e2e
