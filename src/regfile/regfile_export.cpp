// The export of a whole store as one .reg file (the write-back of a registry loaded from
// files): gathered as lines, written in the form every entry fits, and read back before it is
// handed out so that no two keys or values of the store ever become one in the file.
#include <limits>
#include <unordered_map>
#include <vector>

#include "regfile/regfile.h"
#include "regfile/regfile_writer.h"
#include "text/text.h"

namespace hivewarden::registry {
namespace {

// Text is encoded in pieces of about this size.
constexpr std::size_t kEncodeChunkBytes = 64 * 1024;

// What was exported, in file order: each key line's key, each value line's key and name.
struct ExportedKey {
    RootKey Root = 0;
    std::string Path;
};
struct ExportedValue {
    std::size_t Key = 0;  // index into the keys
    std::string Name;
};

class StoreExport {
  public:
    explicit StoreExport(RegistryStore& store) : store_(store) {}

    bool Run(std::string& error) {
        for (const RootInfo& root : kRootTable) {
            if (store_.IsViewRoot(root.Handle)) continue;  // its keys are exported where stored
            if (!ExportKey(root.Handle, "", 0, error)) return false;
        }
        lines_.AddEmpty();
        return true;
    }

    const RegLines& Lines() const { return lines_; }
    const std::vector<ExportedKey>& Keys() const { return keys_; }
    const std::vector<ExportedValue>& Values() const { return values_; }

  private:
    // Bounded by the registry's own nesting limit.
    bool ExportKey(RootKey root, const std::string& path, std::size_t depth, std::string& error) {
        if (depth > kMaxRegKeyDepth) {
            error = FullKeyPath(root, path) + ": keys nested deeper than " +
                    std::to_string(kMaxRegKeyDepth) + " levels";
            return false;
        }
        const StoreHandle key = store_.Open(root, path);
        if (key == 0) return true;  // vanished or unreadable: nothing to export
        RegLines values;
        std::vector<std::string> valueNames;
        std::vector<std::string> children;
        bool ok = ReadValues(key, values, valueNames, error);
        std::string name;
        for (std::uint32_t i = 0; ok && store_.SubkeyName(key, i, name); ++i) {
            children.push_back(name);
        }
        store_.Close(key);
        if (!ok) return false;
        if (!path.empty() || !values.Empty()) {
            lines_.AddEmpty();
            if (!lines_.AddKey(FullKeyPath(root, path), error)) return false;
            keys_.push_back({root, path});
            lines_.Append(std::move(values));
            for (std::string& valueName : valueNames) {
                values_.push_back({keys_.size() - 1, std::move(valueName)});
            }
        }
        for (const std::string& child : children) {
            const std::string childPath = path.empty() ? child : path + "\\" + child;
            if (!ExportKey(root, childPath, depth + 1, error)) return false;
        }
        return true;
    }

    bool ReadValues(StoreHandle key, RegLines& lines, std::vector<std::string>& names,
                    std::string& error) {
        std::string name;
        for (std::uint32_t i = 0; store_.ValueName(key, i, name); ++i) {
            RawValue value;
            if (!store_.Read(key, name, value)) continue;  // gone since it was listed
            if (!lines.AddValue(name, std::move(value), error)) return false;
            names.push_back(name);
        }
        return true;
    }

    RegistryStore& store_;
    RegLines lines_;
    std::vector<ExportedKey> keys_;
    std::vector<ExportedValue> values_;
};

std::string EncodeLines(const RegLines& lines, const RegWriteFormat& format) {
    std::string bytes = RegFileStart(format);
    std::string text;
    for (const RegLine& line : lines.Lines()) {
        text += FormatRegLine(line, format);
        text += kRegLineEnd;
        if (text.size() >= kEncodeChunkBytes) {
            bytes += EncodeRegText(text, format);
            text.clear();
        }
    }
    return bytes + EncodeRegText(text, format);
}

std::string KeyLabel(const ExportedKey& key) { return FullKeyPath(key.Root, key.Path); }

std::string ValueLabel(const std::string& name) {
    return name.empty() ? "the default value" : "\"" + name + "\"";
}

// The file as the reader sees it must hold as many keys and values as the store: two entries
// the reader takes for one would lose one of them when the file is loaded. The export writes
// each key's values right after its key line, so values are told apart key by key.
bool CheckReadBack(const StoreExport& exported, const std::string& bytes,
                   const CodePage& codePage, std::string& error) {
    const RegFileParse parsed = ParseRegFile(bytes, "the exported file", codePage);
    if (!parsed.Status) {
        error = "it would not read back: " + parsed.Status.Message;
        return false;
    }
    const std::vector<ExportedKey>& keys = exported.Keys();
    const std::vector<ExportedValue>& values = exported.Values();
    std::unordered_map<std::string, std::size_t> keysSeen;
    std::unordered_map<std::string, std::size_t> valuesSeen;  // of the current key
    std::size_t keyCount = 0;
    std::size_t valueCount = 0;
    const RegOperation* key = nullptr;
    for (const RegOperation& op : parsed.File.Operations) {
        if (op.Kind == RegOperationKind::CreateKey && keyCount < keys.size()) {
            const std::string id = std::to_string(op.Root) + "\\" + ToUpper(op.Path);
            const auto [it, fresh] = keysSeen.emplace(id, keyCount);
            if (!fresh) {
                error = "keys " + KeyLabel(keys[it->second]) + " and " + KeyLabel(keys[keyCount]) +
                        " would become one key";
                return false;
            }
            key = &op;
            valuesSeen.clear();
            ++keyCount;
        } else if (op.Kind == RegOperationKind::SetValue && valueCount < values.size() && key &&
                   op.Root == key->Root && op.Path == key->Path) {
            const auto [it, fresh] = valuesSeen.emplace(ToUpper(op.Name), valueCount);
            if (!fresh) {
                const ExportedValue& first = values[it->second];
                error = "values " + ValueLabel(first.Name) + " and " +
                        ValueLabel(values[valueCount].Name) + " of " +
                        KeyLabel(keys[first.Key]) + " would become one value";
                return false;
            }
            ++valueCount;
        } else {
            break;  // not what was written: the counts below tell
        }
    }
    if (keyCount != keys.size() || valueCount != values.size() ||
        parsed.File.Operations.size() != keyCount + valueCount) {
        error = "it would not read back with the same keys and values";
        return false;
    }
    return true;
}

}  // namespace

bool ExportStoreText(RegistryStore& store, std::string& bytes, std::string& error,
                     const CodePage& codePage) {
    StoreExport exported(store);
    if (!exported.Run(error)) return false;
    bytes = EncodeLines(exported.Lines(), ChooseFormat(exported.Lines(), codePage));
    return CheckReadBack(exported, bytes, codePage, error);
}

FileStatus ExportStoreToFile(RegistryStore& store, const std::string& path, DurableFile& file,
                             const CodePage& codePage) {
    std::string bytes;
    std::string error;
    if (!ExportStoreText(store, bytes, error, codePage)) {
        return FileStatus::Failure("cannot export the registry to " + path + ": " + error);
    }
    FileStatus status = file.Begin(path);
    if (status) status = file.Write(bytes);
    if (status) status = file.Commit();
    if (!status) file.Abandon();
    return status;
}

}  // namespace hivewarden::registry
