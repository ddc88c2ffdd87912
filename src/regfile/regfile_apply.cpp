// Reading .reg files from disk piece by piece, and applying operations to a registry store
// through the access operations, as they are read or from a parsed list. The text format
// itself is the business of regfile.cpp and its stages.
#include <cerrno>
#include <cstdio>
#include <functional>
#include <istream>
#include <memory>
#include <system_error>

#include "store/access.h"
#include "files/host_path.h"
#include "files/no_file_probes.h"
#include "regfile/regfile.h"

namespace hivewarden::registry {
namespace {

// Files are read in pieces of this size; the reader never holds more than a piece, a line
// and one value.
constexpr std::size_t kReadChunkBytes = 256 * 1024;

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

// Hands the file's bytes to `consume` piece by piece, until the end or until it says stop.
RegFileStatus ReadFilePieces(const std::string& path,
                             const std::function<bool(std::string_view)>& consume) {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(OpenHostFile(path, "rb"));
    if (!file) return RegFileStatus::Failure(path + ": cannot open file: " + SystemMessage(errno));
    std::string chunk(kReadChunkBytes, '\0');
    while (true) {
        const std::size_t count = std::fread(chunk.data(), 1, chunk.size(), file.get());
        if (count > 0 && !consume(std::string_view(chunk.data(), count))) return {};
        if (count < chunk.size()) break;
    }
    if (std::ferror(file.get())) {
        return RegFileStatus::Failure(path + ": cannot read file: " + SystemMessage(errno));
    }
    return {};
}

// The same for a stream (standard input): its bytes piece by piece, until the end or until
// `consume` says stop.
RegFileStatus ReadStreamPieces(std::istream& in, std::string_view sourceName,
                               const std::function<bool(std::string_view)>& consume) {
    std::string chunk(kReadChunkBytes, '\0');
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto count = static_cast<std::size_t>(in.gcount());
        if (count > 0 && !consume(std::string_view(chunk.data(), count))) return {};
    }
    if (in.bad()) return RegFileStatus::Failure(std::string(sourceName) + ": cannot read");
    return {};
}

// Streams the file through a reader. The status is the reading's (an unreadable file) or the
// reader's.
RegFileStatus StreamFile(const std::string& path, RegFileReader& reader) {
    RegFileStatus read =
        ReadFilePieces(path, [&reader](std::string_view bytes) { return reader.Feed(bytes); });
    if (!read) return read;
    reader.Finish();
    return reader.Status();
}

RegFileStatus StreamStream(std::string_view start, std::istream& rest, std::string_view sourceName,
                           RegFileReader& reader) {
    if (!start.empty() && !reader.Feed(start)) return reader.Status();
    RegFileStatus read = ReadStreamPieces(
        rest, sourceName, [&reader](std::string_view bytes) { return reader.Feed(bytes); });
    if (!read) return read;
    reader.Finish();
    return reader.Status();
}

// Applies operations one at a time and remembers the failures.
class OperationApplier {
  public:
    OperationApplier(const std::string& source, RegistryAccess& access)
        : source_(source), access_(access) {}

    void Apply(const RegOperation& op) {
        std::string problem = ApplyRegOperation(op, access_);
        if (problem.empty()) return;
        if (failures_++ == 0) {
            first_ = source_ + ":" + std::to_string(op.Line) + ": " + std::move(problem);
        }
    }

    RegFileStatus Status() const {
        if (failures_ == 0) return {};
        std::string message = first_;
        if (failures_ == 2) message += " (and 1 more failure)";
        if (failures_ > 2) message += " (and " + std::to_string(failures_ - 1) + " more failures)";
        return RegFileStatus::Failure(std::move(message));
    }

  private:
    const std::string& source_;
    RegistryAccess& access_;
    std::string first_;
    std::size_t failures_ = 0;
};

// A registry access for applying a file to a bare store.
struct StoreAccess {
    explicit StoreAccess(RegistryStore& store) : Access(store, Probes, Signals) {}
    NoFileProbes Probes;
    EngineSignals Signals;
    RegistryAccess Access;
};

}  // namespace

std::string ApplyRegOperation(const RegOperation& op, RegistryAccess& access) {
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

RegFileParse ReadRegFile(const std::string& path, const CodePage& codePage) {
    RegFileParse result;
    result.File.Source = path;
    std::vector<RegOperation>& operations = result.File.Operations;
    RegFileReader reader(path, RegImportMode::Strict, codePage,
                         [&operations](RegOperation&& op) { operations.push_back(std::move(op)); });
    result.Status = StreamFile(path, reader);
    if (!result.Status) {
        operations.clear();
        return result;
    }
    result.File.Header = reader.Header();
    result.File.Encoding = reader.Encoding();
    return result;
}

RegFileStatus ApplyRegFile(const RegFile& file, RegistryAccess& access) {
    OperationApplier applier(file.Source, access);
    for (const RegOperation& op : file.Operations) applier.Apply(op);
    return applier.Status();
}

RegFileStatus ApplyRegFile(const RegFile& file, RegistryStore& store) {
    StoreAccess access(store);
    return ApplyRegFile(file, access.Access);
}

RegFileStatus StreamRegFile(const std::string& path, const CodePage& codePage, RegImportMode mode,
                            const RegOperationSink& onOperation) {
    RegFileReader reader(path, mode, codePage, onOperation);
    return StreamFile(path, reader);
}

RegFileStatus LoadRegFile(const std::string& path, RegistryStore& store, const CodePage& codePage,
                          RegImportMode mode, const RegNoteSink& onNote) {
    if (mode == RegImportMode::Strict) {
        // First pass: the whole file must read before anything is applied.
        const RegFileStatus checked = StreamRegFile(path, codePage, mode, [](RegOperation&&) {});
        if (!checked) return checked;
    }
    StoreAccess access(store);
    OperationApplier applier(path, access.Access);
    RegFileReader reader(path, mode, codePage,
                         [&applier](RegOperation&& op) { applier.Apply(op); }, onNote);
    RegFileStatus read = StreamFile(path, reader);
    if (!read) {
        // Only when the file changed between the passes can a strict read fail here.
        return mode == RegImportMode::Strict
                   ? RegFileStatus::Failure(read.Message + " (the file changed while it was read)")
                   : read;
    }
    return applier.Status();
}

RegFileStatus LoadRegStream(std::string_view start, std::istream& rest, std::string_view sourceName,
                            RegistryStore& store, const CodePage& codePage,
                            const RegNoteSink& onNote) {
    const std::string source(sourceName);
    StoreAccess access(store);
    OperationApplier applier(source, access.Access);
    RegFileReader reader(source, RegImportMode::Lenient, codePage,
                         [&applier](RegOperation&& op) { applier.Apply(op); }, onNote);
    if (RegFileStatus read = StreamStream(start, rest, source, reader); !read) return read;
    return applier.Status();
}

}  // namespace hivewarden::registry
