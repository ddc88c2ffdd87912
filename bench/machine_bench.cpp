// Size benchmark: a generated Windows 11 machine (3,000,000 values by default, or the count
// given as the first argument) written as a version 5 .reg export to a temporary folder,
// loaded into the in-memory store, and scanned. Prints the load time beside a bare read and
// decode of the same file (processor seconds, as the scan figures; wall seconds beside them), memory per value, and the scan's ratio to a bare walk.
// Memory: the heap the loaded store holds (glibc's count of bytes in use, before and after the
// load, with nothing else alive) less its names and data, per value; and the growth of the
// peak resident size over the load, which also holds whatever the reader kept meanwhile.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <sys/resource.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "files/mapped_files.h"
#include "store/memory_store.h"
#include "regfile/regfile.h"
#include "text/unicode.h"
#include "scan_timing.h"
#include "windows_machine.h"

namespace hivewarden::bench {
namespace {

// Processor and wall-clock seconds of a piece of work.
struct Seconds {
    double Cpu = 0;
    double Wall = 0;
};

Seconds Time(const std::function<void()>& work) {
    Seconds seconds;
    const auto start = std::chrono::steady_clock::now();
    seconds.Cpu = CpuSeconds(work);
    seconds.Wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return seconds;
}

// Bytes the heap holds now; 0 where the C library cannot say.
std::uint64_t HeapInUse() {
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    return 0;
#endif
}

std::uint64_t PeakResidentBytes() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
}

// The least any loader does: read the file in pieces and decode its UTF-16 to UTF-8.
std::uint64_t ReadAndDecode(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string piece(1 << 20, '\0');
    std::uint64_t text = 0;
    while (in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto count = static_cast<std::size_t>(in.gcount()) & ~std::size_t{1};
        text += Utf8FromUtf16Le(std::string_view(piece).substr(0, count)).size();
    }
    return text;
}

struct Contents {
    std::uint64_t Keys = 0;
    std::uint64_t Values = 0;
    std::uint64_t NameAndDataBytes = 0;  // key and value names (UTF-8) and value data (raw)
};

void Count(registry::RegistryStore& store, registry::RootKey root, const std::string& path,
           Contents& contents) {
    const registry::StoreHandle key = store.Open(root, path);
    std::string name;
    std::optional<registry::RawValue> value;
    for (std::uint32_t i = 0; store.ValueAt(key, i, name, value); ++i) {
        ++contents.Values;
        contents.NameAndDataBytes += name.size() + (value ? value->Bytes.size() : 0);
    }
    std::vector<std::string> subkeys;
    for (std::uint32_t i = 0; store.SubkeyName(key, i, name); ++i) subkeys.push_back(name);
    store.Close(key);
    for (const std::string& subkey : subkeys) {
        ++contents.Keys;
        contents.NameAndDataBytes += subkey.size();
        Count(store, root, path.empty() ? subkey : path + "\\" + subkey, contents);
    }
}

}  // namespace
}  // namespace hivewarden::bench

int main(int argc, char** argv) {
    using namespace hivewarden;
    bench::MachineShape shape;
    if (argc > 1) shape.Values = std::strtoull(argv[1], nullptr, 10);
    // --keep leaves the generated machine in place, to run the command line on it.
    const bool keep = argc > 2 && std::string_view(argv[2]) == "--keep";
    const auto folder = std::filesystem::temp_directory_path() / "hivewarden-machine-bench";
    std::filesystem::remove_all(folder);
    const auto regFile = folder / "machine.reg";
    const auto drive = folder / "C";
    std::filesystem::create_directories(drive);

    const bench::MachineFile file = bench::WriteWindowsMachine(shape, regFile, drive);
    std::printf("generated machine: %llu keys, %llu values, %.1f MB version 5 file\n",
                static_cast<unsigned long long>(file.Keys),
                static_cast<unsigned long long>(file.Values), file.Bytes / 1e6);

    std::uint64_t textBytes = 0;
    const bench::Seconds bare = bench::Time([&] { textBytes = bench::ReadAndDecode(regFile); });
    std::printf("read and decode:  %8.2f s processor, %.2f s wall (%.1f MB of UTF-8 text)\n",
                bare.Cpu, bare.Wall, textBytes / 1e6);

    const std::uint64_t heapBefore = bench::HeapInUse();
    const std::uint64_t peakBefore = bench::PeakResidentBytes();
    auto store = std::make_unique<registry::MemoryStore>();
    registry::RegFileStatus status;
    const bench::Seconds load =
        bench::Time([&] { status = registry::LoadRegFile(regFile.string(), *store); });
    const std::uint64_t heapAfter = bench::HeapInUse();
    const std::uint64_t peakAfter = bench::PeakResidentBytes();
    if (!status) {
        std::fprintf(stderr, "load failed: %s\n", status.Message.c_str());
        std::filesystem::remove_all(folder);
        return 1;
    }
    bench::Contents contents;
    bench::Count(*store, registry::kCurrentUser, "", contents);
    bench::Count(*store, registry::kLocalMachine, "", contents);
    const double values = static_cast<double>(contents.Values);
    std::printf("load:             %8.2f s processor, %.2f s wall (%.2f x read and decode in "
                "processor time)\n",
                load.Cpu, load.Wall, load.Cpu / bare.Cpu);
    std::printf("store holds:      %llu keys, %llu values, %.1f MB of names and data\n",
                static_cast<unsigned long long>(contents.Keys),
                static_cast<unsigned long long>(contents.Values), contents.NameAndDataBytes / 1e6);
    if (heapAfter != 0) {
        const double heap = static_cast<double>(heapAfter - heapBefore);
        std::printf("store memory:     %.1f MB heap, %.0f bytes per value beyond names and data "
                    "(target: at most 250)\n",
                    heap / 1e6, (heap - static_cast<double>(contents.NameAndDataBytes)) / values);
    }
    std::printf("peak memory:      +%.1f MB resident over the load, %.0f bytes per value\n",
                (peakAfter - peakBefore) / 1e6, (peakAfter - peakBefore) / values);

    registry::MappedFilesConfig config;
    config.Drives['C'] = drive;
    registry::AddStandardEnvironment(config);
    registry::MappedFiles mapped(config);
    std::uint64_t walked = 0;
    const double walk = bench::TimeBareWalk(*store, mapped, walked);
    const bench::ScanFigures scan = bench::TimeScan(*store, mapped, false);
    std::printf("bare walk:        %8.2f s  (%llu values)\n", walk,
                static_cast<unsigned long long>(walked));
    std::printf("scan --options 1: %8.2f s  (%d findings, %llu file-system probes)\n",
                scan.Seconds, scan.Findings, static_cast<unsigned long long>(scan.Probes));
    std::printf("ratio scan/bare:  %8.2f  (target: at most 2)\n", scan.Seconds / walk);
    store.reset();
    if (keep) {
        std::printf("kept:             %s (drive C: %s)\n", regFile.string().c_str(),
                    drive.string().c_str());
    } else {
        std::filesystem::remove_all(folder);
    }
    return 0;
}
