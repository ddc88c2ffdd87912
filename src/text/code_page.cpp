// The built-in Windows-1252 code page, over the table of utf16_ansi.
#include "text/code_page.h"

#include "text/unicode.h"
#include "text/windows1252_table.h"

namespace hivewarden {
namespace {

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

class Windows1252Page final : public CodePage {
  public:
    unsigned Number() const override { return kWindows1252; }

    std::string ToUtf8(std::string_view bytes) const override {
        if (IsAscii(bytes)) return std::string(bytes);
        std::string out;
        out.reserve(bytes.size() * 2);
        for (char b : bytes) AppendUtf8(AnsiToUnicode(b), out);
        return out;
    }

    bool FromUtf8(std::string_view text, std::string& bytes) const override {
        bytes.clear();
        if (IsAscii(text)) {
            bytes.assign(text);
            return true;
        }
        bytes.reserve(text.size());
        bool exact = true;
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t start = pos;
            const char32_t c = NextCodePoint(text, pos);
            const char byte = UnicodeToAnsi(c);
            // U+FFFD from a byte that is not UTF-8, or a character the page lacks.
            if (AnsiToUnicode(byte) != c || (c == 0xFFFD && pos - start != 3)) exact = false;
            bytes += byte;
        }
        return exact;
    }
};

}  // namespace

const CodePage& Windows1252() {
    static const Windows1252Page page;
    return page;
}

std::unique_ptr<CodePage> NewWindows1252() { return std::make_unique<Windows1252Page>(); }

}  // namespace hivewarden
