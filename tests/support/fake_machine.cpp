// FakeMachine builder.
#include "support/fake_machine.h"

#include "scan/probe_cache.h"
#include "scan/scan_controller.h"
#include "support/raw_values.h"
#include "support/recording_front_end.h"

#include <stdexcept>

namespace hivewarden::testing {
namespace {

registry::RootAndPath Split(std::string_view fullKey) {
    auto split = registry::SplitKeyPath(fullKey, true);
    if (!split) throw std::invalid_argument("not a key path: " + std::string(fullKey));
    return *split;
}

}  // namespace

FakeMachine::FakeMachine() { State.WindowsDir = "C:\\Windows\\"; }

FakeMachine& FakeMachine::Key(std::string_view fullKey) {
    const auto key = Split(fullKey);
    Access.CreateKey(key.Root, key.Path);
    return *this;
}

FakeMachine& FakeMachine::Raw(std::string_view fullKey, std::string_view name,
                              std::uint32_t type, std::string bytes) {
    const auto key = Split(fullKey);
    Access.CreateKey(key.Root, key.Path);
    Access.WriteRaw(key.Root, key.Path, name, registry::RawValue{type, std::move(bytes)});
    return *this;
}

FakeMachine& FakeMachine::Text(std::string_view fullKey, std::string_view name,
                               std::string_view data) {
    return Raw(fullKey, name, registry::kRegSz, SzBytes(data));
}

FakeMachine& FakeMachine::Number(std::string_view fullKey, std::string_view name,
                                 std::uint32_t number) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return Raw(fullKey, name, registry::kRegDword, bytes);
}

const engine::ScanResultList& FakeMachine::ScanWith(registry::FileProbes& files,
                                                  std::int32_t options) {
    scan::CachingProbes cached(files);
    registry::RegistryAccess access(Store, cached, State);
    scan::PathContext paths{cached, cached.WindowsDirectory()};
    scan::ScanSession session(State, access, paths);
    RecordingFrontEnd frontEnd;
    scan::RunScan(session, frontEnd, options);
    return State.ScanResults;
}

}  // namespace hivewarden::testing
