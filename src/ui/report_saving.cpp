// The two Save buttons: the results report and the custom-search report, written through the
// save-file dialog in the ANSI code page when it holds the text, else as UTF-8 with a byte
// order mark; a failure is reported with the system's reason.
#include <cerrno>
#include <cstring>
#include <fstream>

#include "custom/custom_report.h"
#include "files/host_path.h"
#include "text/text_file.h"
#include "scan/results/results_report.h"
#include "ui/main_window.h"

namespace hivewarden::ui {
namespace {

constexpr std::string_view kReportFilter = "Text file (*.txt)|*.txt";
constexpr std::string_view kSaveFailed = "There was an error while saving results. Err number: ";

}  // namespace

void MainWindow::SaveReport(const std::string& text) {
    const std::optional<std::string> path = view_.SaveFileDialog(std::string(kReportFilter));
    if (!path) return;
    const std::string bytes = EncodeTextFile(text, *Session().AnsiCodePage);
    errno = 0;
    std::ofstream out(registry::ToHostPath(*path), std::ios::binary | std::ios::trunc);
    const int openError = errno;
    bool written =
        out.is_open() && out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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

void MainWindow::SaveResultsClicked() { SaveReport(scan::ResultsReportText(Results)); }

void MainWindow::SaveCustomClicked() { SaveReport(custom::CustomReportText(CustomHits)); }

}  // namespace hivewarden::ui
