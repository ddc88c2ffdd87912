// Custom search benchmark: a synthetic registry of 1,000,000 values (100,000 keys of 10
// values: text, numbers and binary data, deterministic) in the in-memory store. Times a bare
// walk of the same tree (every key and value listed and read as text, nothing matched) and a
// search for three texts, and prints values per second of both and the ratio search/bare
// (target: at most 1.5). Each figure is the median of several rounds, in processor seconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "custom/custom_search.h"
#include "text/unicode.h"
#include "engine/scan_state.h"
#include "store/access.h"
#include "files/mapped_files.h"
#include "store/memory_store.h"

namespace hivewarden::bench {
namespace {

constexpr int kRounds = 5;

struct SearchShape {
    std::uint32_t Keys = 100000;
    std::uint32_t ValuesPerKey = 10;
    std::uint32_t Seed = 20261210;
};

const char* const kWords[] = {"Microsoft", "Windows", "Shell",   "Explorer", "Settings",
                              "Program",   "Files",   "Vendor",  "Update",   "Control",
                              "Panel",     "Desktop", "Display", "Printer",  "Network"};

std::string RandomText(std::mt19937& random) {
    std::string text;
    switch (random() % 3) {
        case 0:
            text = "C:\\Program Files\\" + std::string(kWords[random() % 15]) +
                   std::to_string(random() % 500) + "\\app" + std::to_string(random() % 90) +
                   ".exe";
            break;
        case 1:
            for (int w = 0; w < 4; ++w) {
                if (w) text += ' ';
                text += kWords[random() % 15];
            }
            break;
        default:
            text += '{';
            text += std::to_string(random());
            text += '-';
            text += std::to_string(random() % 65536);
            text += '}';
            break;
    }
    return text;
}

// Half the keys under each root, three levels deep: Software\Search\G<g>\S<s>\K<k>.
std::uint64_t BuildSearchRegistry(const SearchShape& shape, registry::RegistryStore& store) {
    std::mt19937 random(shape.Seed);
    std::uint64_t values = 0;
    for (std::uint32_t k = 0; k < shape.Keys; ++k) {
        const registry::RootKey root = (k % 2) ? registry::kLocalMachine : registry::kCurrentUser;
        const std::string path = "Software\\Search\\G" + std::to_string(k % 50) + "\\S" +
                                 std::to_string(k % 1000) + "\\K" + std::to_string(k);
        const registry::StoreHandle key = store.Create(root, path);
        for (std::uint32_t v = 0; v < shape.ValuesPerKey; ++v) {
            registry::RawValue value;
            const std::uint32_t kind = random() % 10;
            if (kind < 6) {
                value = {registry::kRegSz, Utf16LeFromUtf8(RandomText(random)) + std::string(2, '\0')};
            } else if (kind < 8) {
                const std::uint32_t n = static_cast<std::uint32_t>(random());
                std::string bytes(4, '\0');
                for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
                value = {registry::kRegDword, bytes};
            } else {
                std::string bytes(8 + random() % 25, '\0');
                for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
                value = {registry::kRegBinary, bytes};
            }
            store.Write(key, "Value" + std::to_string(v), value);
            ++values;
        }
        store.Close(key);
    }
    return values;
}

// Every key and value listed and read as text, each key opened once for both as the search
// does; the sizes are summed so nothing is skipped.
std::uint64_t BareWalk(registry::RegistryAccess& access, registry::RootKey root,
                       const std::string& path, std::uint64_t& bytes) {
    std::uint64_t values = 0;
    std::vector<std::string> subkeys;
    {
        registry::KeyReader key = access.ReadKey(root, path);
        if (!path.empty()) {
            for (const registry::ValueRecord& value : key.Values()) {
                bytes += value.Data.size() + value.Name.size();
                ++values;
            }
        }
        subkeys = key.Subkeys();
    }
    for (const std::string& name : subkeys) {
        bytes += name.size();
        values += BareWalk(access, root, path.empty() ? name : path + "\\" + name, bytes);
    }
    return values;
}

class SilentFrontEnd : public custom::SearchFrontEnd {
  public:
    void SetPollingTimer(bool) override {}
    void Done(bool, int) override {}
};

// A hook like the window's and the command line's: a counter, a clock read now and then.
void InstallHook(engine::ScanState& state, std::uint64_t& yields) {
    state.YieldHook = [&yields] {
        if (++yields % 256 == 0) (void)std::chrono::steady_clock::now();
    };
}

}  // namespace
}  // namespace hivewarden::bench

int main(int argc, char** argv) {
    using namespace hivewarden;
    bench::SearchShape shape;
    if (argc > 1) shape.Keys = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));

    registry::MemoryStore store;
    const std::uint64_t built = bench::BuildSearchRegistry(shape, store);
    registry::MappedFilesConfig config;
    registry::AddStandardEnvironment(config);
    registry::MappedFiles probes(config);

    const custom::SearchTerms terms = {"vendor17\\app", "not anywhere", "de ad be ef"};
    std::vector<double> bareTimes;
    std::vector<double> searchTimes;
    std::uint64_t values = 0;
    std::uint64_t bareYields = 0;
    std::uint64_t searchYields = 0;
    std::int32_t hits = 0;
    for (int round = 0; round < bench::kRounds; ++round) {
        engine::ScanState bareState;
        registry::RegistryAccess bareAccess(store, probes, bareState);
        bareYields = 0;
        bench::InstallHook(bareState, bareYields);
        std::uint64_t bytes = 0;
        bareTimes.push_back(bench::CpuSeconds([&] {
            values = bench::BareWalk(bareAccess, registry::kCurrentUser, "", bytes) +
                     bench::BareWalk(bareAccess, registry::kLocalMachine, "", bytes);
        }));

        engine::ScanState state;
        registry::RegistryAccess access(store, probes, state);
        searchYields = 0;
        bench::InstallHook(state, searchYields);
        custom::CustomSearch search(state, access);
        bench::SilentFrontEnd frontEnd;
        searchTimes.push_back(
            bench::CpuSeconds([&] { custom::RunCustomSearch(search, frontEnd, terms); }));
        hits = state.CustomHits.Count();
    }
    const double bare = bench::Median(bareTimes);
    const double searched = bench::Median(searchTimes);

    std::printf("synthetic registry: %u keys with values, %llu values\n", shape.Keys,
                static_cast<unsigned long long>(built));
    std::printf("bare walk:   %7.3f s  %10.0f values/s (%llu values, %llu yields)\n", bare,
                values / bare, static_cast<unsigned long long>(values),
                static_cast<unsigned long long>(bareYields));
    std::printf("search x3:   %7.3f s  %10.0f values/s (%d hits, %llu yields)\n", searched,
                values / searched, hits, static_cast<unsigned long long>(searchYields));
    std::printf("ratio search/bare: %.2f  (target: at most 1.5; median of %d rounds)\n",
                searched / bare, bench::kRounds);
    return 0;
}
