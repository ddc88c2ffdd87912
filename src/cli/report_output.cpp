// Report files for the command line.
#include "cli/report_output.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace hivewarden::cli {
namespace {

std::string Failure(const char* what, const std::string& target) {
    std::string message = std::string("cannot ") + what + " report file " + target;
    if (errno != 0) message += std::string(": ") + std::strerror(errno);
    return message;
}

}  // namespace

bool WriteReportTo(const std::string& target, std::ostream& out,
                   const std::function<bool(std::ostream&)>& writeReport, std::string& error) {
    if (target == "-") return writeReport(out);
    errno = 0;
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    if (!file) {
        error = Failure("create", target);
        return false;
    }
    if (!writeReport(file) || !file.flush()) {
        error = Failure("write", target);
        return false;
    }
    file.close();
    if (file.fail()) {
        error = Failure("close", target);
        return false;
    }
    return true;
}

}  // namespace hivewarden::cli
