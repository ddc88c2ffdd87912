// Bytes to lines: the byte order mark, the line ends (CR LF, LF or a lone CR) and the decoding
// of each line, piece by piece, holding no more than the line being read.
#include "regfile/regfile_decode.h"

#include <utility>

#include "text/unicode.h"

namespace hivewarden::registry {
namespace {

constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// The encoding is known once this many bytes are in (the longest byte order mark).
constexpr std::size_t kHeadBytes = kUtf8Bom.size();

bool IsAscii(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// True when the code page gives every byte below 0x80 as that same character, so that ASCII
// lines (most of a .reg file) need no conversion.
bool KeepsAscii(const CodePage& codePage) {
    std::string ascii;
    for (int c = 0; c < 0x80; ++c) ascii += static_cast<char>(c);
    return codePage.ToUtf8(ascii) == ascii;
}

// The code unit at `pos` is a line end (CR or LF).
template <std::size_t kUnit>
bool IsBreak(std::string_view bytes, std::size_t pos) {
    const char c = bytes[pos];
    if (c != '\r' && c != '\n') return false;
    return kUnit == 1 || bytes[pos + 1] == '\0';
}

template <std::size_t kUnit>
bool IsLineFeed(std::string_view bytes, std::size_t pos) {
    return bytes[pos] == '\n' && (kUnit == 1 || bytes[pos + 1] == '\0');
}

}  // namespace

RegTextDecoder::RegTextDecoder(const CodePage& codePage, std::size_t maxLineBytes)
    : codePage_(codePage), asciiKept_(KeepsAscii(codePage)), maxLineBytes_(maxLineBytes) {}

bool RegTextDecoder::LineFits(std::size_t more) {
    if (partial_.size() + more <= maxLineBytes_) return true;
    partial_.clear();
    partial_.shrink_to_fit();
    errorLine_ = lines_ + 1;
    error_ = "the line is longer than " + std::to_string(maxLineBytes_) +
             " bytes, more than any registry value holds; nothing of the file is read";
    return false;
}

bool RegTextDecoder::Feed(std::string_view bytes, const LineSink& sink) {
    if (!error_.empty()) return false;
    if (started_) return Split(bytes, sink);
    head_.append(bytes);
    return head_.size() < kHeadBytes || Start(sink);
}

bool RegTextDecoder::Finish(const LineSink& sink) {
    if (!error_.empty()) return false;
    if (!started_ && !Start(sink)) return false;
    if (hasOdd_) {
        hasOdd_ = false;
        dangling_ = true;
        danglingLine_ = lines_ + 1;
    }
    if (partial_.empty()) return true;
    const std::string last = std::exchange(partial_, {});
    return Deliver(last, sink);
}

bool RegTextDecoder::Start(const LineSink& sink) {
    started_ = true;
    const std::string head = std::exchange(head_, {});
    const std::string_view bytes = head;
    if (bytes.starts_with(kUtf16LeBom)) {
        encoding_ = RegFileEncoding::Utf16;
        return Split(bytes.substr(kUtf16LeBom.size()), sink);
    }
    if (bytes.starts_with(kUtf16BeBom)) {
        error_ = "big-endian UTF-16 is not supported (use UTF-16LE with BOM FF FE)";
    } else if (bytes.starts_with(kUtf8Bom)) {
        error_ = "bad header: UTF-8 byte order mark (save the file as ANSI or UTF-16LE)";
    } else if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') {
        error_ = "bad header: UTF-16 text without byte order mark FF FE";
    }
    return error_.empty() && Split(bytes, sink);
}

bool RegTextDecoder::Split(std::string_view bytes, const LineSink& sink) {
    if (encoding_ == RegFileEncoding::Ansi) return SplitUnits<1>(bytes, sink);
    if (hasOdd_ && !bytes.empty()) {
        const char unit[2] = {odd_, bytes.front()};
        hasOdd_ = false;
        bytes.remove_prefix(1);
        if (!SplitUnits<2>(std::string_view(unit, 2), sink)) return false;
    }
    if (bytes.size() % 2 != 0) {
        odd_ = bytes.back();
        hasOdd_ = true;
        bytes.remove_suffix(1);
    }
    return SplitUnits<2>(bytes, sink);
}

template <std::size_t kUnit>
bool RegTextDecoder::SplitUnits(std::string_view bytes, const LineSink& sink) {
    std::size_t start = 0;  // where the current line's bytes in this piece begin
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (std::exchange(afterCr_, false) && IsLineFeed<kUnit>(bytes, pos)) {
            pos += kUnit;
            start = pos;
            continue;
        }
        std::size_t end = pos;
        if constexpr (kUnit == 1) {
            end = bytes.find_first_of("\r\n", pos);
            if (end == std::string_view::npos) end = bytes.size();
        } else {
            while (end < bytes.size() && !IsBreak<kUnit>(bytes, end)) end += kUnit;
        }
        if (end == bytes.size()) break;
        const std::string_view piece = bytes.substr(start, end - start);
        if (!LineFits(piece.size())) return false;
        bool go = true;
        if (partial_.empty()) {
            go = Deliver(piece, sink);
        } else {
            partial_.append(piece);
            const std::string line = std::exchange(partial_, {});
            go = Deliver(line, sink);
        }
        afterCr_ = bytes[end] == '\r';
        pos = end + kUnit;
        start = pos;
        if (!go) return false;
    }
    if (!LineFits(bytes.size() - start)) return false;
    partial_.append(bytes.substr(start));
    return true;
}

bool RegTextDecoder::Deliver(std::string_view raw, const LineSink& sink) {
    ++lines_;
    if (encoding_ == RegFileEncoding::Utf16) {
        bool ascii = true;
        for (std::size_t i = 0; i + 1 < raw.size() && ascii; i += 2) {
            ascii = raw[i + 1] == '\0' && static_cast<unsigned char>(raw[i]) < 0x80;
        }
        if (!ascii) return sink(Utf8FromUtf16Le(raw));
        decoded_.resize(raw.size() / 2);
        for (std::size_t i = 0; i < decoded_.size(); ++i) decoded_[i] = raw[2 * i];
        return sink(decoded_);
    }
    if (asciiKept_ && IsAscii(raw)) return sink(raw);
    decoded_ = codePage_.ToUtf8(raw);
    return sink(decoded_);
}

}  // namespace hivewarden::registry
