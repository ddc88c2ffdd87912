// libFuzzer target for the .reg codec: arbitrary bytes are parsed and, when they parse, applied
// to an empty memory store and written back out. Besides sanitizer findings it checks the
// codec's promises: an error names the file and hands out no operations; a parsed file always
// applies to a memory store; the store it makes exports (REGEDIT4 or version 5, whichever
// holds it), and the export read back makes a store that exports to the very same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "registry/memory_store.h"
#include "registry/regfile.h"
#include "registry/regfile_writer.h"

namespace {

constexpr std::string_view kSource = "fuzz.reg";

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hivewarden::registry;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const RegFileParse parsed = ParseRegFile(bytes, kSource);
    if (!parsed.Status) {
        Require(parsed.Status.Message.starts_with("fuzz.reg:"));
        Require(parsed.File.Operations.empty());
        return 0;
    }
    for (const RegOperation& op : parsed.File.Operations) {
        Require(op.Line >= 2);  // line 1 is always the header
        Require(op.Kind != RegOperationKind::DeleteKey || !op.Path.empty());
        Require(op.Value.Bytes.size() <= kMaxRegValueBytes);
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
    // The export may be larger than its input (version 5 takes two bytes a character).
    constexpr std::size_t kAll = static_cast<std::size_t>(-1);
    const RegFileParse reread = ParseRegFile(exported, kSource, {kAll, kAll, kAll});
    Require(reread.Status.Ok);
    MemoryStore again;
    Require(ApplyRegFile(reread.File, again).Ok);
    std::string second;
    Require(ExportStoreText(again, second, error));
    Require(second == exported);
    return 0;
}
