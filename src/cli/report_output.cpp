// Report files for the command line.
#include "cli/report_output.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "text/code_page.h"
#include "files/host_path.h"
#include "text/text_file.h"

namespace hivewarden::cli {
namespace {

std::string Failure(const char* what, const std::string& target, int error) {
    std::string message = std::string("cannot ") + what + " report file " + target;
    if (error != 0) message += std::string(": ") + std::strerror(error);
    return message;
}

}  // namespace

std::string ReportFileBytes(const std::string& text) {
    std::string ignored;
    const std::unique_ptr<CodePage> system = OpenCodePage(SystemAnsiCodePage(), ignored);
    return EncodeTextFile(text, system ? *system : Windows1252());
}

bool WriteReportTo(const std::string& target, std::ostream& out, bool outIsTerminal,
                   const std::function<bool(std::ostream&)>& writeReport, std::string& error) {
    std::ostringstream text;
    if (!writeReport(text)) {
        error = Failure("write", target, 0);
        return false;
    }
    if (target == "-") {
        // A person reads a terminal: the text as it is, whatever the code page holds.
        out << (outIsTerminal ? text.str() : ReportFileBytes(text.str())) << std::flush;
        if (!out) error = "cannot write the report to standard output";
        return out.good();
    }
    const std::string bytes = ReportFileBytes(text.str());
    errno = 0;
    std::ofstream file(registry::ToHostPath(target), std::ios::binary | std::ios::trunc);
    if (!file) {
        error = Failure("create", target, errno);
        return false;
    }
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
        error = Failure("write", target, errno);
        return false;
    }
    file.close();
    if (file.fail()) {
        error = Failure("close", target, errno);
        return false;
    }
    return true;
}

}  // namespace hivewarden::cli
