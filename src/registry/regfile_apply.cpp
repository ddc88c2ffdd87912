// Reading .reg files from disk and applying parsed operations to a registry store through the
// access operations. The text format itself is regfile.cpp's business.
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "registry/access.h"
#include "registry/host_path.h"
#include "registry/regfile.h"

namespace hivewarden::registry {
namespace {

// Reads are done in pieces of this size, so a file is never trusted for its own length.
constexpr std::size_t kReadChunkBytes = 64 * 1024;

// Applying a file asks nothing about files or paths; the access operations still need probes.
class NoFileProbes final : public FileProbes {
public:
    bool FileExists(std::string_view) override { return false; }
    bool IsDirectory(std::string_view) override { return false; }
    bool IsNetworkPath(std::string_view) override { return false; }
    std::string ExpandEnvironment(std::string_view text) override { return std::string(text); }
    std::string WindowsDirectory() override { return {}; }
    bool ListDirectory(std::string_view, std::vector<DirEntry>&) override { return false; }
    bool ReadWholeFile(std::string_view, std::size_t, std::string&) override { return false; }
    bool DeleteFile(std::string_view) override { return false; }
};

std::string FullKeyName(const RegOperation& op) {
    std::string name = RootName(op.Root);
    if (!op.Path.empty()) name += "\\" + op.Path;
    return name;
}

std::string ValueLabel(const RegOperation& op) {
    const std::string value = op.Name.empty() ? "default value" : "value \"" + op.Name + "\"";
    return value + " of " + FullKeyName(op);
}

std::string SystemMessage(int error) { return std::generic_category().message(error); }

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

RegFileStatus ReadFileBytes(const std::string& path, std::size_t maxBytes, std::string& bytes) {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(OpenHostFile(path, "rb"));
    if (!file) return RegFileStatus::Failure(path + ": cannot open file: " + SystemMessage(errno));
    bytes.clear();
    std::string chunk(kReadChunkBytes, '\0');
    while (true) {
        const std::size_t count = std::fread(chunk.data(), 1, chunk.size(), file.get());
        if (bytes.size() + count > maxBytes) {
            return RegFileStatus::Failure(path + ": file is larger than " +
                                          std::to_string(maxBytes) + " bytes");
        }
        bytes.append(chunk.data(), count);
        if (count < chunk.size()) break;
    }
    if (std::ferror(file.get())) {
        return RegFileStatus::Failure(path + ": cannot read file: " + SystemMessage(errno));
    }
    return {};
}

// The outcome of one operation: empty when it worked, else what went wrong.
std::string ApplyOne(const RegOperation& op, RegistryAccess& access) {
    switch (op.Kind) {
        case RegOperationKind::CreateKey: {
            KeyHandle key(&access.Store(), access.Store().Create(op.Root, op.Path));
            return key ? std::string() : "cannot create key " + FullKeyName(op);
        }
        case RegOperationKind::DeleteKey:
            // A key that cannot be opened reads as missing here, as everywhere in the
            // access layer.
            access.DeleteKey(op.Root, op.Path);
            return access.KeyExists(op.Root, op.Path) ? "cannot delete key " + FullKeyName(op)
                                                      : std::string();
        case RegOperationKind::SetValue:
            return access.WriteRaw(op.Root, op.Path, op.Name, op.Value)
                       ? std::string()
                       : "cannot write " + ValueLabel(op);
        case RegOperationKind::DeleteValue: {
            access.DeleteValue(op.Root, op.Path, op.Name);
            RawValue left;
            return access.ReadRaw(op.Root, op.Path, op.Name, left)
                       ? "cannot delete " + ValueLabel(op)
                       : std::string();
        }
    }
    return "unknown operation";
}

}  // namespace

RegFileParse ReadRegFile(const std::string& path, const RegFileLimits& limits,
                         const CodePage& codePage) {
    std::string bytes;
    RegFileStatus status = ReadFileBytes(path, limits.MaxFileBytes, bytes);
    if (!status) {
        RegFileParse result;
        result.Status = std::move(status);
        result.File.Source = path;
        return result;
    }
    return ParseRegFile(bytes, path, limits, codePage);
}

RegFileStatus ApplyRegFile(const RegFile& file, RegistryAccess& access) {
    std::string first;
    std::size_t failures = 0;
    for (const RegOperation& op : file.Operations) {
        std::string problem = ApplyOne(op, access);
        if (problem.empty()) continue;
        if (failures++ == 0) {
            first = file.Source + ":" + std::to_string(op.Line) + ": " + std::move(problem);
        }
    }
    if (failures == 0) return {};
    if (failures == 2) first += " (and 1 more failure)";
    if (failures > 2) first += " (and " + std::to_string(failures - 1) + " more failures)";
    return RegFileStatus::Failure(std::move(first));
}

RegFileStatus ApplyRegFile(const RegFile& file, RegistryStore& store) {
    NoFileProbes probes;
    EngineSignals signals;
    RegistryAccess access(store, probes, signals);
    return ApplyRegFile(file, access);
}

RegFileStatus LoadRegFile(const std::string& path, RegistryStore& store,
                          const RegFileLimits& limits, const CodePage& codePage) {
    RegFileParse parsed = ReadRegFile(path, limits, codePage);
    if (!parsed.Status) return parsed.Status;
    return ApplyRegFile(parsed.File, store);
}

}  // namespace hivewarden::registry
