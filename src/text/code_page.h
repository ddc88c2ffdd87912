// ANSI code pages: the byte encodings of REGEDIT4 files, of reports and Ignore.ini when their
// text fits, and of the ANSI strings inside shortcut files. Inside the program text is UTF-8;
// a code page converts at the edge. Windows-1252 is built in (portable, the code page of the
// REGEDIT4 files the Linux build reads by default); others come from the platform.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace hivewarden {

inline constexpr unsigned kWindows1252 = 1252;

class CodePage {
  public:
    virtual ~CodePage() = default;
    virtual unsigned Number() const = 0;
    // Bytes of the code page to UTF-8. Every byte gives a character (bytes the code page
    // leaves undefined give the control character of the same number, as Windows does).
    virtual std::string ToUtf8(std::string_view bytes) const = 0;
    // UTF-8 to bytes of the code page. False when a character has no exact form in it (it
    // is then written as '?'): the caller must not use such bytes where they would change
    // a name or data.
    virtual bool FromUtf8(std::string_view text, std::string& bytes) const = 0;
    // True when FromUtf8 would be exact.
    bool Holds(std::string_view text) const {
        std::string bytes;
        return FromUtf8(text, bytes);
    }
};

// The built-in Windows-1252 table: no best-fit guessing, U+0100 is not 'A'.
const CodePage& Windows1252();
std::unique_ptr<CodePage> NewWindows1252();

// A code page of the platform (iconv on POSIX hosts, MultiByteToWideChar on Windows); 1252
// is always the built-in table. Null with a reason when the platform does not know it.
std::unique_ptr<CodePage> OpenCodePage(unsigned number, std::string& error);
// The system's ANSI code page: GetACP() on Windows, 1252 elsewhere.
unsigned SystemAnsiCodePage();

}  // namespace hivewarden
