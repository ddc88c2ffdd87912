// Whole-file read and line splitting for the program's own text files.
#include "scan/text_lines.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

namespace hivewarden::scan {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string SystemText(int code) { return std::generic_category().message(code); }

}  // namespace

std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) end = bytes.size();
        std::size_t stop = end;
        if (end < bytes.size() && stop > start && bytes[stop - 1] == '\r') --stop;
        lines.emplace_back(bytes.substr(start, stop - start));
        start = next;
    }
    return lines;
}

TextLines ReadTextLines(const std::string& path) {
    TextLines result;
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        result.Status = errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
        result.ErrorText = SystemText(errno);
        return result;
    }
    std::string bytes;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
    if (std::ferror(file.get())) {
        result.Status = ReadStatus::Failed;
        result.ErrorText = SystemText(errno != 0 ? errno : EIO);
        return result;
    }
    result.Lines = SplitLines(bytes);
    return result;
}

}  // namespace hivewarden::scan
