// A machine for repair tests: an in-memory registry behind a store that can be told to refuse
// writes and deletions of chosen names, the access layer over it, the shared scan state, a
// temporary program folder, and builders for findings and custom hits.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "engine/scan_state.h"
#include "store/access.h"
#include "store/memory_store.h"
#include "text/text.h"
#include "scan/scanned_value.h"
#include "support/fake_probes.h"
#include "support/raw_values.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {

// Forwards to a MemoryStore; writes, value deletions and key deletions of the listed names
// (values by name, keys by last component; compared case-insensitively) answer false.
class RefusingStore final : public registry::RegistryStore {
  public:
    registry::MemoryStore Inner;
    std::set<std::string, LessNoCase> RefuseWrite;
    std::set<std::string, LessNoCase> RefuseDeleteValue;
    std::set<std::string, LessNoCase> RefuseDeleteKey;

    registry::StoreHandle Open(registry::RootKey root, std::string_view path) override {
        return Inner.Open(root, path);
    }
    registry::StoreHandle Create(registry::RootKey root, std::string_view path) override {
        return Inner.Create(root, path);
    }
    void Close(registry::StoreHandle key) override { Inner.Close(key); }
    bool SubkeyName(registry::StoreHandle key, std::uint32_t index, std::string& name) override {
        return Inner.SubkeyName(key, index, name);
    }
    bool ValueName(registry::StoreHandle key, std::uint32_t index, std::string& name) override {
        return Inner.ValueName(key, index, name);
    }
    bool LongestValueName(registry::StoreHandle key, std::uint32_t& length) override {
        return Inner.LongestValueName(key, length);
    }
    bool QueryKeyCounts(registry::StoreHandle key, registry::KeyCounts& counts) override {
        return Inner.QueryKeyCounts(key, counts);
    }
    bool Read(registry::StoreHandle key, std::string_view name,
              registry::RawValue& value) override {
        return Inner.Read(key, name, value);
    }
    bool Write(registry::StoreHandle key, std::string_view name,
               const registry::RawValue& value) override {
        if (RefuseWrite.count(std::string(name))) return false;
        return Inner.Write(key, name, value);
    }
    bool DeleteValue(registry::StoreHandle key, std::string_view name) override {
        if (RefuseDeleteValue.count(std::string(name))) return false;
        return Inner.DeleteValue(key, name);
    }
    bool DeleteLeafKey(registry::RootKey root, std::string_view path) override {
        const std::size_t slash = path.rfind('\\');
        const std::string last(slash == std::string_view::npos ? path : path.substr(slash + 1));
        if (RefuseDeleteKey.count(last)) return false;
        return Inner.DeleteLeafKey(root, path);
    }
};

// The machine over any store: StoreT is default-constructible (an in-memory store, or on
// Windows the live registry).
template <typename StoreT>
class BasicRepairMachine {
  public:
    BasicRepairMachine() { State.WindowsDir = "C:\\Windows\\"; }

    // Keys and values at full paths ("HKEY_CURRENT_USER\Software\X"); keys are created.
    BasicRepairMachine& Raw(std::string_view fullKey, std::string_view name, std::uint32_t type,
                            std::string bytes) {
        const auto key = Split(fullKey);
        Access.CreateKey(key.Root, key.Path);
        Access.WriteRaw(key.Root, key.Path, name, registry::RawValue{type, std::move(bytes)});
        return *this;
    }
    BasicRepairMachine& Text(std::string_view fullKey, std::string_view name,
                             std::string_view data) {
        return Raw(fullKey, name, registry::kRegSz, SzBytes(data));
    }
    BasicRepairMachine& Number(std::string_view fullKey, std::string_view name,
                               std::uint32_t number) {
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
        return Raw(fullKey, name, registry::kRegDword, bytes);
    }
    BasicRepairMachine& Key(std::string_view fullKey) {
        const auto key = Split(fullKey);
        Access.CreateKey(key.Root, key.Path);
        return *this;
    }

    // A value finding as the scan makes it: the data and type as the access layer reads
    // them now (empty and 0 when the value does not exist), and the value as stored.
    engine::ErrorEntry& ValueFinding(std::string_view fullKey, std::string_view name,
                                     bool deleteMark, std::string fixedValue = {}) {
        const auto key = Split(fullKey);
        engine::ErrorEntry entry;
        entry.EntryKind = engine::kValueEntry;
        entry.KeyPath = std::string(fullKey);
        entry.RootKey = key.Root;
        entry.ItemName = std::string(name);
        registry::KeyHandle handle = Access.OpenKey(key.Root, key.Path);
        const registry::ValueText text = Access.ReadValueText(handle, name);
        entry.ItemData = text.Data;
        entry.ValueType = text.Type;
        entry.DeleteMark = deleteMark;
        entry.FixedValue = std::move(fixedValue);
        registry::KeyReader reader = Access.ReadKey(key.Root, key.Path);
        scan::RecordScannedValue(entry, reader, key.Root, key.Path, name);
        return State.AppendFinding(std::move(entry));
    }
    engine::ErrorEntry& KeyFinding(std::string_view fullKey, bool deleteMark = true) {
        const auto key = Split(fullKey);
        engine::ErrorEntry entry;
        entry.EntryKind = engine::kKeyEntry;
        entry.KeyPath = std::string(fullKey);
        entry.RootKey = key.Root;
        const std::size_t slash = fullKey.rfind('\\');
        entry.ItemName = std::string(fullKey.substr(slash + 1));
        entry.ItemData = entry.ItemName;
        entry.DeleteMark = deleteMark;
        return State.AppendFinding(std::move(entry));
    }
    engine::CustomHit& ValueHit(std::string_view fullKey, std::string_view name, bool deleteMark,
                                std::string replaceText = {}) {
        const auto key = Split(fullKey);
        engine::CustomHit& hit = State.CustomHits.Grow();
        hit.EntryKind = engine::kValueEntry;
        hit.RootKey = key.Root;
        hit.Location = std::string(fullKey) + "\\" + std::string(name);
        hit.ItemName = std::string(name);
        // The data as the search reads it: the value's text form.
        registry::RawValue raw;
        if (Access.ReadRaw(key.Root, key.Path, name, raw)) {
            hit.ItemData = registry::ConvertValueToText(raw, Access.Probes()).Data;
        }
        hit.DeleteMark = deleteMark;
        hit.ReplaceText = std::move(replaceText);
        hit.Index = State.CustomHits.Count();
        return hit;
    }
    engine::CustomHit& KeyHit(std::string_view fullKey, bool deleteMark,
                              std::string replaceText = {}) {
        const auto key = Split(fullKey);
        engine::CustomHit& hit = State.CustomHits.Grow();
        hit.EntryKind = engine::kKeyEntry;
        hit.RootKey = key.Root;
        hit.Location = std::string(fullKey);
        hit.DeleteMark = deleteMark;
        hit.ReplaceText = std::move(replaceText);
        hit.Index = State.CustomHits.Count();
        return hit;
    }

    bool HasKey(std::string_view fullKey) {
        const auto key = Split(fullKey);
        return Access.KeyExists(key.Root, key.Path);
    }
    bool HasValue(std::string_view fullKey, std::string_view name,
                  registry::RawValue* value = nullptr) {
        const auto key = Split(fullKey);
        registry::RawValue read;
        const bool found = Access.ReadRaw(key.Root, key.Path, name, read);
        if (value) *value = read;
        return found;
    }

    std::string BackupPath() const { return Folder.File("backup.reg"); }

    StoreT Store;
    FakeProbes Probes;
    engine::ScanState State;
    registry::RegistryAccess Access{Store, Probes, State};
    TempFolder Folder;

  private:
    static registry::RootAndPath Split(std::string_view fullKey) {
        return *registry::SplitKeyPath(fullKey, true);
    }
};

using RepairMachine = BasicRepairMachine<RefusingStore>;

}  // namespace hivewarden::testing
