// The undo journal of one file's application.
#include "repair/all_or_nothing_import.h"

#include <optional>
#include <utility>
#include <vector>

namespace hivewarden::repair {
namespace {

using registry::RawValue;
using registry::RegistryAccess;
using registry::RootKey;

std::string FullName(RootKey root, const std::string& path) {
    std::string name = registry::RootName(root);
    if (!path.empty()) name += "\\" + path;
    return name;
}

// One key of a deleted subtree, with its values, to be written back on undo.
struct SavedKey {
    std::string Path;
    std::vector<std::pair<std::string, RawValue>> Values;
};

// What to do to put back the registry as it was before one operation.
struct UndoStep {
    enum class Kind { DeleteCreatedKey, RestoreValue, RestoreSubtree } What;
    RootKey Root = 0;
    std::string Path;                // the key created, the value's key, the subtree's top
    std::string Name;                // RestoreValue: the value
    std::optional<RawValue> Old;     // RestoreValue: its old bytes, or none (delete it)
    std::vector<SavedKey> Subtree;   // RestoreSubtree: parents before children
};

// The first key on the way to `path` that does not exist yet ("" when all do).
std::string FirstMissingKey(RegistryAccess& access, RootKey root, const std::string& path) {
    std::size_t end = 0;
    while (end != std::string::npos) {
        end = path.find('\\', end == 0 ? 0 : end + 1);
        const std::string prefix = path.substr(0, end);
        if (!access.KeyExists(root, prefix)) return prefix;
    }
    return {};
}

// The key and everything below it, parents first, without recursion on the machine stack.
std::vector<SavedKey> SaveSubtree(RegistryAccess& access, RootKey root, const std::string& top) {
    std::vector<SavedKey> saved;
    std::vector<std::string> pending{top};
    while (!pending.empty()) {
        std::string path = std::move(pending.back());
        pending.pop_back();
        SavedKey key{path, {}};
        for (const registry::ValueRecord& value : access.EnumValues(root, path)) {
            RawValue raw;
            if (access.ReadRaw(root, path, value.Name, raw)) key.Values.emplace_back(value.Name, raw);
        }
        for (const std::string& child : access.EnumSubkeys(root, path)) {
            pending.push_back(path + "\\" + child);
        }
        saved.push_back(std::move(key));
    }
    return saved;
}

// The undo of `op`, read before it is applied; none when it changes nothing that exists.
std::optional<UndoStep> UndoOf(const registry::RegOperation& op, RegistryAccess& access) {
    using registry::RegOperationKind;
    if (op.Kind == RegOperationKind::DeleteKey) {
        if (!access.KeyExists(op.Root, op.Path)) return std::nullopt;
        return UndoStep{UndoStep::Kind::RestoreSubtree, op.Root, op.Path, {}, std::nullopt,
                        SaveSubtree(access, op.Root, op.Path)};
    }
    if (std::string created = FirstMissingKey(access, op.Root, op.Path); !created.empty()) {
        if (op.Kind == RegOperationKind::DeleteValue) return std::nullopt;
        return UndoStep{UndoStep::Kind::DeleteCreatedKey, op.Root, std::move(created), {},
                        std::nullopt, {}};
    }
    if (op.Kind == RegOperationKind::CreateKey) return std::nullopt;
    RawValue old;
    std::optional<RawValue> previous;
    if (access.ReadRaw(op.Root, op.Path, op.Name, old)) previous = std::move(old);
    return UndoStep{UndoStep::Kind::RestoreValue, op.Root, op.Path, op.Name, std::move(previous),
                    {}};
}

// Puts back what one step changed; empty text when it worked.
std::string Undo(const UndoStep& step, RegistryAccess& access) {
    switch (step.What) {
        case UndoStep::Kind::DeleteCreatedKey:
            access.DeleteKey(step.Root, step.Path);
            return access.KeyExists(step.Root, step.Path)
                       ? "cannot delete the created key " + FullName(step.Root, step.Path)
                       : std::string();
        case UndoStep::Kind::RestoreValue: {
            if (step.Old) {
                return access.WriteRaw(step.Root, step.Path, step.Name, *step.Old)
                           ? std::string()
                           : "cannot write back value \"" + step.Name + "\" of " +
                                 FullName(step.Root, step.Path);
            }
            access.DeleteValue(step.Root, step.Path, step.Name);
            RawValue left;
            return access.ReadRaw(step.Root, step.Path, step.Name, left)
                       ? "cannot delete the written value \"" + step.Name + "\" of " +
                             FullName(step.Root, step.Path)
                       : std::string();
        }
        case UndoStep::Kind::RestoreSubtree:
            for (const SavedKey& key : step.Subtree) {
                registry::KeyHandle created(&access.Store(),
                                            access.Store().Create(step.Root, key.Path));
                bool whole = static_cast<bool>(created);
                for (const auto& [name, value] : key.Values) {
                    whole = access.WriteRaw(step.Root, key.Path, name, value) && whole;
                }
                if (!whole) return "cannot recreate the deleted key " + FullName(step.Root, key.Path);
            }
            return {};
    }
    return "unknown undo step";
}

}  // namespace

AllOrNothingResult ApplyAllOrNothing(const registry::RegFile& file, RegistryAccess& access) {
    AllOrNothingResult result;
    std::vector<UndoStep> journal;
    for (const registry::RegOperation& op : file.Operations) {
        std::optional<UndoStep> undo = UndoOf(op, access);
        const std::string problem = registry::ApplyRegOperation(op, access);
        // A failed operation may still have changed part of what it touched (a subtree
        // deleted in part): its own undo runs first.
        if (undo) journal.push_back(std::move(*undo));
        if (problem.empty()) continue;
        result.Failure = file.Source + ":" + std::to_string(op.Line) + ": " + problem;
        break;
    }
    if (result.Applied()) return result;
    std::size_t failedUndos = 0;
    for (auto step = journal.rbegin(); step != journal.rend(); ++step) {
        std::string problem = Undo(*step, access);
        if (problem.empty()) continue;
        if (failedUndos++ == 0) result.UndoFailure = std::move(problem);
    }
    if (failedUndos > 1) {
        result.UndoFailure += " (and " + std::to_string(failedUndos - 1) + " more)";
    }
    return result;
}

}  // namespace hivewarden::repair
