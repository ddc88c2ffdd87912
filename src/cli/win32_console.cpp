// The entry on Windows: the arguments are read as UTF-16 (the narrow argv holds them in the
// ANSI code page, with "?" for what it lacks) and converted to UTF-8; standard output and
// error are written past the C runtime with CR LF line ends, as Windows console tools write
// them (a report, which already ends its lines with CR LF, gets no second CR). A console gets
// the text as UTF-16 through WriteConsoleW; a file or pipe gets the program's bytes. Standard
// input is read in binary mode, so a .reg file piped in keeps its bytes (UTF-16 included).
// Windows builds only.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/app.h"
#include "cli/console.h"
#include "cli/console/line_ends.h"
#include "files/win32_system.h"

namespace hivewarden::cli {
namespace {

using registry::win32::Narrow;
using registry::win32::Wide;

// Output is collected up to this many bytes before it is written.
constexpr std::size_t kBufferedBytes = 8192;
// WriteConsoleW is given at most this many units at a time (older consoles refuse large
// writes).
constexpr std::size_t kConsoleChunk = 8192;

bool IsConsoleHandle(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

// The length of the longest start of `text` that does not end inside a UTF-8 sequence; the
// rest waits for the bytes that complete it.
std::size_t WholeCharacters(const std::string& text) {
    const std::size_t size = text.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, size); ++back) {
        const auto byte = static_cast<unsigned char>(text[size - back]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        std::size_t length = 1;
        if ((byte & 0xE0) == 0xC0) length = 2;
        if ((byte & 0xF0) == 0xE0) length = 3;
        if ((byte & 0xF8) == 0xF0) length = 4;
        return length > back ? size - back : size;
    }
    return size;
}

// A standard handle as a stream buffer: UTF-16 to a console, bytes to anything else.
class StandardHandleBuffer final : public std::streambuf {
  public:
    StandardHandleBuffer(DWORD which, bool flushEachWrite)
        : handle_(GetStdHandle(which)), console_(IsConsoleHandle(handle_)),
          flushEachWrite_(flushEachWrite) {}
    ~StandardHandleBuffer() override { sync(); }
    StandardHandleBuffer(const StandardHandleBuffer&) = delete;
    StandardHandleBuffer& operator=(const StandardHandleBuffer&) = delete;

    bool IsConsole() const { return console_; }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char one = traits_type::to_char_type(c);
        pending_ += lineEnds_.Translate(std::string_view(&one, 1));
        return Settle() ? c : traits_type::eof();
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_ += lineEnds_.Translate(std::string_view(text, static_cast<std::size_t>(count)));
        return Settle() ? count : 0;
    }

    int sync() override { return Flush(true) ? 0 : -1; }

  private:
    // Text for a file or pipe is collected; a console shows each line as it is completed.
    bool Settle() {
        const bool due = flushEachWrite_ || pending_.size() >= kBufferedBytes ||
                         (console_ && !pending_.empty() && pending_.back() == '\n');
        return due ? Flush(false) : true;
    }

    // Writes what is pending; an incomplete character at the end of console text waits unless
    // this is the last word (`all`).
    bool Flush(bool all) {
        if (pending_.empty()) return true;
        if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
            pending_.clear();  // no such stream (a program without a console): nothing to do
            return true;
        }
        const std::size_t ready = console_ && !all ? WholeCharacters(pending_) : pending_.size();
        const bool written = console_ ? WriteToConsole(pending_.substr(0, ready))
                                      : WriteToFile(pending_.substr(0, ready));
        pending_.erase(0, ready);
        return written;
    }

    bool WriteToConsole(const std::string& text) const {
        const std::wstring wide = Wide(text);
        for (std::size_t start = 0; start < wide.size(); start += kConsoleChunk) {
            const DWORD count =
                static_cast<DWORD>(std::min(kConsoleChunk, wide.size() - start));
            DWORD written = 0;
            if (!WriteConsoleW(handle_, wide.data() + start, count, &written, nullptr)) {
                return false;
            }
        }
        return true;
    }

    bool WriteToFile(std::string_view bytes) const {
        while (!bytes.empty()) {
            DWORD written = 0;
            if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) ||
                written == 0) {
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

    HANDLE handle_;
    bool console_;
    bool flushEachWrite_;
    CrLfLineEnds lineEnds_;
    std::string pending_;
};

// The process's arguments as UTF-8, from the UTF-16 command line.
std::vector<std::string> WideArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(Narrow(std::wstring_view(wide[i])));
    LocalFree(wide);
    return arguments;
}

}  // namespace

int RunConsoleProgram(int argc, char** argv) {
    std::vector<std::string> arguments = WideArguments();
    std::vector<char*> pointers;
    if (arguments.empty()) {
        pointers.assign(argv, argv + argc);  // the system could not split its command line
    } else {
        for (std::string& argument : arguments) pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    // The C runtime's text mode would turn CR LF into LF and stop at a Ctrl+Z.
    _setmode(_fileno(stdin), _O_BINARY);
    StandardHandleBuffer outBuffer(STD_OUTPUT_HANDLE, false);
    StandardHandleBuffer errBuffer(STD_ERROR_HANDLE, true);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    const int code = Run(static_cast<int>(pointers.size() - 1), pointers.data(), std::cin, out,
                         err, outBuffer.IsConsole());
    out.flush();
    err.flush();
    return code;
}

}  // namespace hivewarden::cli
