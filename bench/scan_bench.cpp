// Scan benchmark: a whole-registry scan (--options 1) of a synthetic registry of at least
// 1,000,000 values over the in-memory store and a mapped drive, beside a bare walk of the same
// tree (every key and value listed and read as text, nothing checked). Prints values per
// second of both, the ratio scan/bare (target: at most 2), probes per path-like value, and the
// cost of a yield hook. Bare walk and scan are medians of a few rounds each, in processor
// seconds.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "files/mapped_files.h"
#include "store/memory_store.h"
#include "scan_timing.h"
#include "synthetic_registry.h"

namespace hivewarden::bench {
namespace {

constexpr int kRounds = 3;

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
        bareTimes.push_back(bench::TimeBareWalk(store, mapped, bareValues));
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
    std::printf("ratio scan/bare:  %8.2f  (target: at most 2; median of %d rounds)\n",
                plain.Seconds / bare, bench::kRounds);
    std::printf("file-system probes: %llu for %llu questions; %.3f probes per path-like value\n",
                static_cast<unsigned long long>(plain.Probes),
                static_cast<unsigned long long>(plain.Questions),
                static_cast<double>(plain.Probes) / static_cast<double>(counts.PathValues));
    std::filesystem::remove_all(drive);
    return 0;
}
