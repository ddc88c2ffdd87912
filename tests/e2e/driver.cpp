// hw_e2e_driver: runs the main window's end-to-end scenarios against HivewardenGui.exe in the
// same Wine prefix (or on Windows) and prints one check line each.
//   hw_e2e_driver --app C:\Hivewarden\HivewardenGui.exe [--shots EXCHANGE] [--only NAME[,NAME]]
// NAME is main, startup, cancel, exit, restore, options (with the results report), custom (with
// the custom report), about, unicode, access, dpi, guard or tray. The exit code is 0 only when every check
// passed. The arguments are read as UTF-16 (wmain) and kept as UTF-8.
#include <cstdio>
#include <string>

#include "e2e/app_session.h"
#include "e2e/file_tools.h"
#include "e2e/scenarios.h"
#include "e2e/utf8_text.h"

namespace {

using namespace hivewarden::e2e;

struct Arguments {
    std::string App;
    std::string Shots;
    std::string Only;
};

bool Parse(int argc, wchar_t** argv, Arguments& arguments) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = Utf8(argv[i]);
        const std::string value = Utf8(argv[i + 1]);
        if (name == "--app") {
            arguments.App = value;
        } else if (name == "--shots") {
            arguments.Shots = value;
        } else if (name == "--only") {
            arguments.Only = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !arguments.App.empty();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Arguments arguments;
    if (!Parse(argc, argv, arguments)) {
        std::fprintf(stderr, "usage: hw_e2e_driver --app PATH [--shots FOLDER] [--only NAME]\n");
        return 2;
    }
    Checks checks;
    if (!FileExists(arguments.App)) {
        checks.Check(false, "the program file exists", arguments.App);
        return 1;
    }
    Screenshots shots(arguments.Shots);
    AutomationClient automation;
    if (!checks.Check(automation.Ready(), "the driver's reply window is created")) return 1;
    DriverContext context{arguments.App, checks, shots, automation};

    struct Scenario {
        const char* Name;
        void (*Run)(DriverContext&);
    };
    constexpr Scenario kScenarios[] = {
        {"main", RunMainPath},
        {"startup", RunStartupPrompt},
        {"cancel", RunCancelScan},
        {"exit", RunExitDuringScan},
        // These clean up after themselves, but leave their backups and reports in the
        // program folder.
        {"restore", RunRestore},
        {"options", RunExclusionList},
        {"custom", RunCustomSearch},
        {"about", RunAboutBox},
        {"unicode", RunUnicodePaths},
        {"access", RunAccessibility},
        {"dpi", RunDpi},
        {"guard", RunRepairGuard},
        {"tray", RunTrayRestart},
    };
    for (const Scenario& scenario : kScenarios) {
        const std::string listed = "," + arguments.Only + ",";
        if (!arguments.Only.empty() &&
            listed.find("," + std::string(scenario.Name) + ",") == std::string::npos) {
            continue;
        }
        const ULONGLONG start = GetTickCount64();
        checks.Note(std::string("scenario ") + scenario.Name);
        scenario.Run(context);
        char took[32];
        std::snprintf(took, sizeof(took), "%.1f", (GetTickCount64() - start) / 1000.0);
        checks.Note(std::string("scenario ") + scenario.Name + " took " + took + " s");
    }
    std::printf("# e2e: %d checks, %d failed\n", checks.Count(), checks.Failures());
    std::fflush(stdout);
    return checks.Failures() == 0 && checks.Count() > 0 ? 0 : 1;
}
