// The .reg reader's first stage: the bytes of a file, fed in pieces of any size, become lines
// of UTF-8 text, each of bounded length. Owns the choice of encoding (the byte order mark alone decides) and the line
// ends; a UTF-16 code unit, a multibyte character or a CR LF may straddle two pieces. Knows
// nothing of keys and values.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "text/code_page.h"
#include "regfile/regfile.h"

namespace hivewarden::registry {

// The longest line (in the file's bytes) a .reg file may hold: far beyond any value Windows
// keeps (its documentation names 1 MB per value), and a bound on the memory one line takes.
inline constexpr std::size_t kMaxRegLineBytes = std::size_t{256} << 20;

class RegTextDecoder {
  public:
    // Receives each line without its line end. False stops the decoding.
    using LineSink = std::function<bool(std::string_view line)>;

    // A line longer than `maxLineBytes` stops the decoding with an error naming its line.
    explicit RegTextDecoder(const CodePage& codePage, std::size_t maxLineBytes = kMaxRegLineBytes);

    // False when the sink stopped or the start of the file is not text regedit reads (then
    // Error() says why; it is always about line 1).
    bool Feed(std::string_view bytes, const LineSink& sink);
    // The end of the file: hands out the last line when it has no line end.
    bool Finish(const LineSink& sink);

    RegFileEncoding Encoding() const { return encoding_; }
    const std::string& Error() const { return error_; }
    // The line Error() is about.
    std::size_t ErrorLine() const { return errorLine_; }
    // After Finish: the UTF-16 text ended in the middle of a code unit; the odd byte is not
    // part of any line. DanglingLine() is the line that holds the end of the file.
    bool Dangling() const { return dangling_; }
    std::size_t DanglingLine() const { return danglingLine_; }

  private:
    bool Start(const LineSink& sink);
    bool Split(std::string_view bytes, const LineSink& sink);
    template <std::size_t kUnit>
    bool SplitUnits(std::string_view bytes, const LineSink& sink);
    bool Deliver(std::string_view raw, const LineSink& sink);
    // False, with the error, when the line being gathered would grow too long by `more` bytes.
    bool LineFits(std::size_t more);

    const CodePage& codePage_;
    bool asciiKept_;  // the code page maps bytes below 0x80 to the same characters
    bool started_ = false;
    std::string head_;  // the first bytes, kept until the encoding is known
    RegFileEncoding encoding_ = RegFileEncoding::Ansi;
    std::string partial_;  // raw bytes of a line not ended yet
    std::string decoded_;  // UTF-8 of the line being handed out (reused)
    bool hasOdd_ = false;  // UTF-16: one byte of a code unit waits for the next piece
    char odd_ = 0;
    bool afterCr_ = false;  // the last line ended with CR: a following LF belongs to it
    std::size_t lines_ = 0;
    bool dangling_ = false;
    std::size_t danglingLine_ = 0;
    std::string error_;
    std::size_t errorLine_ = 1;
    std::size_t maxLineBytes_;
};

}  // namespace hivewarden::registry
