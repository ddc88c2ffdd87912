// Scan benchmark: a whole-registry scan (--options 1) of a synthetic registry of at least
// 1,000,000 values over the in-memory store and a mapped drive, beside a bare walk of the same
// tree (every key and value listed and read as text, nothing checked). Prints values per
// second of both, the ratio scan/bare (target: at most 3), probes per path-like value, and the
// cost of a yield hook. Bare walk and scan are medians of a few rounds each, in processor
// seconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "engine/scan_state.h"
#include "registry/access.h"
#include "registry/mapped_files.h"
#include "registry/memory_store.h"
#include "scan/probe_cache.h"
#include "scan/scan_controller.h"
#include "scan/scan_options.h"
#include "synthetic_registry.h"

namespace hivewarden::bench {
namespace {

constexpr int kRounds = 3;

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
std::uint64_t BareWalk(registry::RegistryAccess& access, registry::RootKey root,
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

struct ScanFigures {
    double Seconds = 0;
    std::int32_t Findings = 0;
    std::uint64_t Probes = 0;
    std::uint64_t Questions = 0;
};

ScanFigures TimeScan(registry::RegistryStore& store, registry::FileProbes& mapped,
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

}  // namespace
}  // namespace hivewarden::bench

int main(int argc, char** argv) {
    using namespace hivewarden;
    bench::SyntheticShape shape;
    if (argc > 1) shape.Keys = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const auto drive = std::filesystem::temp_directory_path() / "hivewarden-scan-bench";
    std::filesystem::remove_all(drive);

    registry::MemoryStore store;
    const bench::SyntheticCounts counts = bench::BuildSyntheticMachine(shape, store, drive);
    registry::MappedFilesConfig config;
    config.Drives['C'] = drive;
    registry::AddStandardEnvironment(config);
    registry::MappedFiles mapped(config);

    // Each figure is the median of a few rounds. The bare walks go first: after a scan the heap
    // is strewn with its freed strings, and a bare walk then would take a fifth longer.
    std::vector<double> bareTimes;
    std::vector<bench::ScanFigures> scans;
    std::uint64_t bareValues = 0;
    for (int round = 0; round < bench::kRounds; ++round) {
        engine::ScanState bareState;
        registry::RegistryAccess bareAccess(store, mapped, bareState);
        bareTimes.push_back(bench::CpuSeconds([&] {
            bareValues = bench::BareWalk(bareAccess, registry::kCurrentUser, "") +
                         bench::BareWalk(bareAccess, registry::kLocalMachine, "");
        }));
    }
    for (int round = 0; round < bench::kRounds; ++round) {
        scans.push_back(bench::TimeScan(store, mapped, false));
    }
    std::sort(scans.begin(), scans.end(),
              [](const auto& a, const auto& b) { return a.Seconds < b.Seconds; });
    const double bare = bench::Median(bareTimes);
    const bench::ScanFigures& plain = scans[scans.size() / 2];
    const bench::ScanFigures hooked = bench::TimeScan(store, mapped, true);

    std::printf("synthetic registry: %llu keys, %llu values, %llu path-like, %llu missing\n",
                static_cast<unsigned long long>(counts.Keys),
                static_cast<unsigned long long>(counts.Values),
                static_cast<unsigned long long>(counts.PathValues),
                static_cast<unsigned long long>(counts.MissingValues));
    std::printf("bare walk:        %8.3f s  %10.0f values/s (%llu values)\n", bare,
                bareValues / bare, static_cast<unsigned long long>(bareValues));
    std::printf("scan --options 1: %8.3f s  %10.0f values/s (%d findings)\n", plain.Seconds,
                bareValues / plain.Seconds, plain.Findings);
    std::printf("scan with hook:   %8.3f s  (hook cost %+.1f%%)\n", hooked.Seconds,
                (hooked.Seconds / plain.Seconds - 1.0) * 100.0);
    std::printf("ratio scan/bare:  %8.2f  (target: at most 3; median of %d rounds)\n",
                plain.Seconds / bare, bench::kRounds);
    std::printf("file-system probes: %llu for %llu questions; %.3f probes per path-like value\n",
                static_cast<unsigned long long>(plain.Probes),
                static_cast<unsigned long long>(plain.Questions),
                static_cast<double>(plain.Probes) / static_cast<double>(counts.PathValues));
    std::filesystem::remove_all(drive);
    return 0;
}
