// Hive load benchmark (Linux builds): the 12 MB SYSTEM hive of tests/data/hives mounted at
// HKLM\SYSTEM and scanned (`scan --options 1`, the whole registry), against loading the .reg
// export of the same hive (written by the program itself) into the in-memory registry, and
// against loading plus the same scan. Prints processor seconds (medians of a few rounds) and
// the ratios; the target is mount+scan within 2x of the export's load.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "cli/app.h"
#include "files/durable_file.h"
#include "store/hive/hive_store.h"
#include "store/memory_store.h"
#include "store/mounted/mounted_store.h"
#include "regfile/regfile.h"
#include "regfile/regfile_writer.h"

namespace {

constexpr int kRounds = 3;

// Runs one command in-process; a failing command ends the benchmark.
void RunCommand(std::vector<std::string> args) {
    args.insert(args.begin(), "hivewarden");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    std::ostringstream out;
    std::ostringstream err;
    if (hivewarden::cli::Run(static_cast<int>(argv.size()), argv.data(), out, err) != 0) {
        std::fprintf(stderr, "%s failed: %s\n", args[1].c_str(), err.str().c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace hivewarden;
    namespace fs = std::filesystem;
    const fs::path work = fs::temp_directory_path() / "hivewarden-hive-bench";
    fs::create_directories(work / "c");
    const std::string hive = argc > 1 ? argv[1] : (work / "SYSTEM").string();
    if (argc <= 1) {
        const std::string unpack = "xz -dc '" + std::string(HW_BENCH_HIVES) + "/SYSTEM.xz' > '" +
                                   hive + "'";
        if (std::system(unpack.c_str()) != 0) {
            std::fprintf(stderr, "cannot unpack the SYSTEM hive\n");
            return 1;
        }
    }
    const std::string exported = (work / "SYSTEM.reg").string();
    {
        std::string error;
        auto hiveStore = registry::OpenHiveFile(hive, error, false);
        if (!hiveStore) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        registry::MountedStore store;
        store.Mount(registry::kLocalMachine, "SYSTEM", std::move(hiveStore));
        const auto file = registry::MakeDurableFile();
        const registry::FileStatus status = registry::ExportStoreToFile(store, exported, *file);
        if (!status) {
            std::fprintf(stderr, "%s\n", status.Message.c_str());
            return 1;
        }
    }
    const std::string drive = "C=" + (work / "c").string();
    std::vector<double> mountScan;
    std::vector<double> load;
    std::vector<double> loadScan;
    for (int round = 0; round < kRounds; ++round) {
        mountScan.push_back(bench::CpuSeconds([&] {
            RunCommand({"scan", "--hive", "HKLM\\SYSTEM=" + hive, "--options", "1", "--drive",
                        drive, "--no-shortcuts"});
        }));
        load.push_back(bench::CpuSeconds([&] {
            registry::MemoryStore store;
            // As the commands load --registry files: leniently, in one pass.
            if (!registry::LoadRegFile(exported, store, Windows1252(),
                                       registry::RegImportMode::Lenient)) {
                std::exit(1);
            }
        }));
        loadScan.push_back(bench::CpuSeconds([&] {
            RunCommand({"scan", "--registry", exported, "--options", "1", "--drive", drive,
                        "--no-shortcuts"});
        }));
    }
    const double a = bench::Median(mountScan);
    const double b = bench::Median(load);
    const double c = bench::Median(loadScan);
    std::printf("SYSTEM hive: %.1f MB; its .reg export: %.1f MB\n",
                static_cast<double>(fs::file_size(hive)) / 1e6,
                static_cast<double>(fs::file_size(exported)) / 1e6);
    std::printf("mount + scan of the hive:      %.3f s\n", a);
    std::printf("load of the .reg export:       %.3f s\n", b);
    std::printf("load + scan of the .reg export: %.3f s\n", c);
    std::printf("ratio (mount+scan) / load:      %.2f (target: at most 2)\n", a / b);
    std::printf("ratio (mount+scan) / (load+scan): %.2f\n", a / c);
    return 0;
}
