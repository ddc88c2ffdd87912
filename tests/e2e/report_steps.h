// Saving a result grid as a report: the Save button, the save-file dialog, the question before
// a file is replaced, and the file's bytes against the grid's cells. Used on the results page
// and on the custom search page.
#pragma once

#include <string>

#include "e2e/app_session.h"

namespace hivewarden::e2e {

struct ReportKind {
    ui::Control Button;  // cmdSaveResults or cmdSaveCustom
    ui::Control Grid;    // lstFound or lstCustomSearching
    std::string Header;  // the first line, without its CR LF
    int LastColumn;      // the report holds the columns 2 to this one
    std::string Label;   // for the check lines
};

ReportKind ResultsReport();
ReportKind CustomReport();

// Save, the file name `path`, OK; when `replaces` the program must ask before replacing the
// file and is answered Yes. Screenshots of the dialog and the question when named. True when
// the dialog closed and the window went on.
bool SaveReportAs(AppSession& app, const ReportKind& kind, const std::string& path, bool replaces,
                  const std::string& dialogShot = {}, const std::string& questionShot = {});
// The file holds the header and one line per grid row, the row's cells joined by ";", each
// line ended by CR LF.
void CheckReportFile(AppSession& app, const ReportKind& kind, const std::string& path);

}  // namespace hivewarden::e2e
