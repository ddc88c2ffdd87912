// libFuzzer target for the .reg reader: arbitrary bytes are parsed and, when they parse, applied
// to an empty memory store. Besides sanitizer findings it checks the reader's promises: an error
// names the file and hands out no operations; a parsed file always applies to a memory store.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "registry/memory_store.h"
#include "registry/regfile.h"

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
        Require(op.Value.Bytes.size() <= kMaxRegValueBytes + 1);
    }
    MemoryStore store;
    const RegFileStatus applied = ApplyRegFile(parsed.File, store);
    Require(applied.Ok);
    Require(store.OpenHandleCount() == 0);
    return 0;
}
