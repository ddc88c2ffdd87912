// The backup's read-back check: what the import of the file would leave, compared with the
// registry the repair is about to change.
#include "repair/backup_check.h"

#include <limits>
#include <map>
#include <set>
#include <tuple>

#include "regfile/regfile.h"
#include "regfile/regfile_writer.h"
#include "text/text.h"

namespace hivewarden::repair {
namespace {

using KeyId = std::tuple<registry::RootKey, std::string>;
using ValueId = std::tuple<registry::RootKey, std::string, std::string>;

// What importing the file would leave behind, as far as the check needs it: the keys it
// creates and the last data each value gets. Names compare case-insensitively, as in the
// registry.
struct ImportedState {
    std::set<KeyId> Keys;
    std::map<ValueId, registry::RawValue> Values;
};

bool Import(const registry::RegFile& file, ImportedState& state, std::string& error) {
    for (const registry::RegOperation& op : file.Operations) {
        switch (op.Kind) {
            case registry::RegOperationKind::CreateKey:
                state.Keys.insert({op.Root, ToUpper(op.Path)});
                break;
            case registry::RegOperationKind::SetValue:
                state.Values[{op.Root, ToUpper(op.Path), ToUpper(op.Name)}] = op.Value;
                break;
            default:
                error = file.Source + ":" + std::to_string(op.Line) +
                        ": a backup must not delete anything";
                return false;
        }
    }
    return true;
}

class Checker {
public:
    Checker(const ImportedState& imported, registry::RegistryAccess& access,
            const std::string& path)
        : imported_(imported), access_(access), path_(path) {}

    bool CheckKey(registry::RootKey root, const std::string& key, std::size_t depth) {
        if (depth > registry::kMaxRegKeyDepth) return true;
        registry::RegistryStore& store = access_.Store();
        registry::KeyHandle handle(&store, store.Open(root, key));
        if (!handle) return true;  // nothing there to lose
        access_.Signals().Yield();
        if (!imported_.Keys.count({root, ToUpper(key)})) {
            return Fail("key " + registry::FullKeyPath(root, key) + " is missing");
        }
        std::string name;
        for (std::uint32_t i = 0; store.ValueName(handle.Get(), i, name); ++i) {
            if (!CheckValue(root, key, name)) return false;
        }
        std::vector<std::string> children;
        for (std::uint32_t i = 0; store.SubkeyName(handle.Get(), i, name); ++i) {
            children.push_back(name);
        }
        handle.Close();
        for (const std::string& child : children) {
            if (!CheckKey(root, key.empty() ? child : key + "\\" + child, depth + 1)) return false;
        }
        return true;
    }

    bool CheckValue(registry::RootKey root, const std::string& key, const std::string& name) {
        registry::RawValue live;
        if (!access_.ReadRaw(root, key, name, live)) return true;  // nothing there to lose
        const std::string what =
            (name.empty() ? std::string("the default value") : "value \"" + name + "\"") + " of " +
            registry::FullKeyPath(root, key);
        const auto found = imported_.Values.find({root, ToUpper(key), ToUpper(name)});
        if (found == imported_.Values.end()) return Fail(what + " is missing");
        if (found->second != registry::ImportedValue(live)) {
            return Fail(what + " does not match the registry");
        }
        return true;
    }

    const std::string& Error() const { return error_; }

private:
    bool Fail(std::string what) {
        error_ = "backup check of " + path_ + " failed: " + std::move(what);
        return false;
    }

    const ImportedState& imported_;
    registry::RegistryAccess& access_;
    const std::string& path_;
    std::string error_;
};

}  // namespace

bool CheckBackup(const std::string& path, const std::vector<RepairAction>& actions,
                 registry::RegistryAccess& access, const CodePage& codePage, std::string& error) {
    const registry::RegFileParse parsed = registry::ReadRegFile(path, codePage);
    ImportedState imported;
    if (!parsed.Status) {
        error = "backup check failed: " + parsed.Status.Message;
        return false;
    }
    if (!Import(parsed.File, imported, error)) {
        error = "backup check failed: " + error;
        return false;
    }
    Checker checker(imported, access, path);
    for (const RepairAction& action : actions) {
        if (!action.Marked || !action.SkipReason.empty()) continue;
        bool ok = true;
        switch (action.Change) {
            case ChangeKind::DeleteKey:
                ok = checker.CheckKey(action.Root, action.Path, 0);
                break;
            case ChangeKind::DeleteValue:
            case ChangeKind::SetValue:
                ok = checker.CheckValue(action.Root, action.Path, action.Name);
                break;
            case ChangeKind::None:
                break;
        }
        if (!ok) {
            error = checker.Error();
            return false;
        }
    }
    return true;
}

}  // namespace hivewarden::repair
