// Whole-file read, decoding and line splitting for the program's own text files.
#include "scan/text_lines.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "files/host_path.h"
#include "text/text_file.h"

namespace hivewarden::scan {
namespace {

std::string SystemText(int code) { return std::generic_category().message(code); }

TextLines Failed(std::string errorText) {
    TextLines result;
    result.Status = ReadStatus::Failed;
    result.ErrorText = std::move(errorText);
    return result;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::size_t stop = end;
        if (end < text.size() && stop > start && text[stop - 1] == '\r') --stop;
        lines.emplace_back(text.substr(start, stop - start));
        start = next;
    }
    return lines;
}

TextLines ReadTextLines(const std::string& path, const CodePage& codePage) {
    const std::filesystem::path hostPath = registry::ToHostPath(path);
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(hostPath, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        TextLines missing;
        missing.Status = ReadStatus::Missing;
        missing.ErrorText = SystemText(ENOENT);
        return missing;
    }
    if (ec) return Failed(ec.message());
    if (std::filesystem::is_directory(status)) return Failed(SystemText(EISDIR));
    errno = 0;
    std::ifstream file(hostPath, std::ios::binary);
    if (!file) return Failed(SystemText(errno != 0 ? errno : EIO));
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return Failed(SystemText(errno != 0 ? errno : EIO));
    TextLines result;
    result.Lines = SplitLines(DecodeTextFile(bytes, codePage));
    return result;
}

}  // namespace hivewarden::scan
