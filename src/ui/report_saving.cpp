// The two Save buttons: the results report and the custom-search report, written through the
// save-file dialog; a failure is reported with the system's reason.
#include <cerrno>
#include <cstring>
#include <fstream>

#include "custom/custom_report.h"
#include "registry/host_path.h"
#include "scan/results_report.h"
#include "ui/main_window.h"

namespace hivewarden::ui {
namespace {

constexpr std::string_view kReportFilter = "Text file (*.txt)|*.txt";
constexpr std::string_view kSaveFailed = "There was an error while saving results. Err number: ";

}  // namespace

template <typename Write>
void MainWindow::SaveReport(Write write) {
    const std::optional<std::string> path = view_.SaveFileDialog(std::string(kReportFilter));
    if (!path) return;
    std::ofstream out(registry::ToHostPath(*path), std::ios::binary | std::ios::trunc);
    const int openError = errno;
    bool written = out.is_open() && write(out);
    if (written) {
        out.close();
        written = !out.fail();
    }
    if (written) return;
    const int error = out.is_open() || openError == 0 ? EIO : openError;
    view_.ShowMessage(std::string(kSaveFailed) + std::to_string(error) + " " +
                          std::strerror(error) + " (" + *path + ")",
                      MessageIcon::Critical, MessageButtons::Ok);
}

void MainWindow::SaveResultsClicked() {
    SaveReport([this](std::ostream& out) { return scan::WriteResultsReport(Results, out); });
}

void MainWindow::SaveCustomClicked() {
    SaveReport([this](std::ostream& out) { return custom::WriteCustomReport(CustomHits, out); });
}

}  // namespace hivewarden::ui
