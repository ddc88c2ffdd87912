// The two timed walks the scan benchmarks compare: a bare walk (every key listed once and
// every value read as text, nothing checked) and a whole-registry scan (--options 1) over a
// mapped drive with the scan's probe cache.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "engine/scan_state.h"
#include "store/access.h"
#include "files/files.h"
#include "scan/probe_cache.h"
#include "scan/scan_controller.h"
#include "scan/scan_options.h"

namespace hivewarden::bench {

class SilentFrontEnd : public scan::ScanFrontEnd {
public:
    void SetResultsTimer(bool) override {}
    void ResultsTimerTick() override {}
    void Done(bool, int) override {}
    void ShowMessage(const std::string&) override {}
    void ResetResults() override {}
    void ShortcutFound(const scan::ShortcutEntry&) override {}
    void ScanFinished() override {}
};

// Every key opened once for its values (read as text) and its subkeys, as the walker does.
inline std::uint64_t BareWalk(registry::RegistryAccess& access, registry::RootKey root,
                              const std::string& path) {
    std::vector<std::string> subkeys;
    std::uint64_t values = 0;
    {
        registry::KeyReader key = access.ReadKey(root, path);
        values = key.Values().size();
        subkeys = key.Subkeys();
    }
    for (const std::string& name : subkeys) {
        values += BareWalk(access, root, path.empty() ? name : path + "\\" + name);
    }
    return values;
}

// Processor seconds of a bare walk of HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE; `values` gets
// the number of values it read.
inline double TimeBareWalk(registry::RegistryStore& store, registry::FileProbes& probes,
                           std::uint64_t& values) {
    engine::ScanState state;
    registry::RegistryAccess access(store, probes, state);
    return CpuSeconds([&] {
        values = BareWalk(access, registry::kCurrentUser, "") +
                 BareWalk(access, registry::kLocalMachine, "");
    });
}

struct ScanFigures {
    double Seconds = 0;
    std::int32_t Findings = 0;
    std::uint64_t Probes = 0;
    std::uint64_t Questions = 0;
};

inline ScanFigures TimeScan(registry::RegistryStore& store, registry::FileProbes& mapped,
                            bool withHook) {
    scan::CachingProbes cached(mapped);
    engine::ScanState state;
    registry::RegistryAccess access(store, cached, state);
    scan::PathContext paths{cached, cached.WindowsDirectory(), &state};
    scan::ScanSession session(state, access, paths);
    scan::InitScanEngine(session);
    SilentFrontEnd frontEnd;
    // A hook like the window's: cheap most of the time, a clock read now and then.
    std::uint64_t yields = 0;
    if (withHook) {
        state.YieldHook = [&yields] {
            if (++yields % 64 == 0) (void)std::chrono::steady_clock::now();
        };
    }
    ScanFigures figures;
    figures.Seconds = CpuSeconds([&] { scan::RunScan(session, frontEnd, scan::ScanAll); });
    figures.Findings = state.ScanResults.Count();
    figures.Probes = cached.Probes();
    figures.Questions = cached.Questions();
    return figures;
}

}  // namespace hivewarden::bench
