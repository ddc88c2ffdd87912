// libFuzzer target for the .reg codec: arbitrary bytes are parsed and, when they parse, applied
// to an empty memory store and written back out. Besides sanitizer findings it checks the
// codec's promises: an error names the file and hands out no operations; the reader gives the
// same result whatever pieces the bytes come in; the lenient reader refuses only what the
// strict one refuses on line 1 (the header), and on a file the strict reader takes it hands
// out the same operations and no note; a parsed file always applies to a memory store; the
// store it makes exports (REGEDIT4 or version 5, whichever holds it), and the export read
// back makes a store that exports to the very same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "store/memory_store.h"
#include "regfile/regfile.h"
#include "regfile/regfile_writer.h"

namespace {

constexpr std::string_view kSource = "fuzz.reg";

void Require(bool condition) {
    if (!condition) std::abort();
}

struct Reading {
    bool Ok = false;
    std::string Message;
    std::vector<hivewarden::registry::RegOperation> Operations;
    std::size_t Notes = 0;
};

// The bytes through the streaming reader, in pieces of `piece` bytes.
Reading ReadInPieces(std::string_view bytes, hivewarden::registry::RegImportMode mode,
                     std::size_t piece) {
    using namespace hivewarden::registry;
    Reading reading;
    RegFileReader reader(
        kSource, mode, hivewarden::Windows1252(),
        [&reading](RegOperation&& op) { reading.Operations.push_back(std::move(op)); },
        [&reading](const RegFileNote&) { ++reading.Notes; });
    bool ok = true;
    for (std::size_t at = 0; ok && at < bytes.size(); at += piece) {
        ok = reader.Feed(bytes.substr(at, piece));
    }
    reading.Ok = ok && reader.Finish();
    reading.Message = reader.Status().Message;
    return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hivewarden::registry;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const RegFileParse parsed = ParseRegFile(bytes, kSource);
    // Pieces of a few bytes split UTF-16 units and CR LF pairs; the result must not change.
    const std::size_t piece = size > 0 ? 1 + data[0] % 7 : 1;
    const Reading strict = ReadInPieces(bytes, RegImportMode::Strict, piece);
    Require(strict.Ok == parsed.Status.Ok);
    Require(strict.Message == parsed.Status.Message);
    const Reading lenient = ReadInPieces(bytes, RegImportMode::Lenient, piece);
    if (!lenient.Ok) Require(lenient.Message.starts_with("fuzz.reg:1: "));
    if (!parsed.Status) {
        Require(parsed.Status.Message.starts_with("fuzz.reg:"));
        Require(parsed.File.Operations.empty());
        return 0;
    }
    Require(strict.Operations == parsed.File.Operations);
    Require(lenient.Ok && lenient.Notes == 0 && lenient.Operations == parsed.File.Operations);
    for (const RegOperation& op : parsed.File.Operations) {
        Require(op.Line >= 2);  // line 1 is always the header
        Require(op.Kind != RegOperationKind::DeleteKey || !op.Path.empty());
    }
    MemoryStore store;
    const RegFileStatus applied = ApplyRegFile(parsed.File, store);
    Require(applied.Ok);
    Require(store.OpenHandleCount() == 0);

    // Whatever a file can put into a store can be written out again, without losing a key or
    // a value, and writing is stable: the second export equals the first.
    std::string exported;
    std::string error;
    Require(ExportStoreText(store, exported, error));
    const RegFileParse reread = ParseRegFile(exported, kSource);
    Require(reread.Status.Ok);
    MemoryStore again;
    Require(ApplyRegFile(reread.File, again).Ok);
    std::string second;
    Require(ExportStoreText(again, second, error));
    Require(second == exported);
    return 0;
}
