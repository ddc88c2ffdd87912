// Code pages on POSIX hosts through iconv ("CP1251", "CP932", ...).
#include <errno.h>
#include <iconv.h>

#include "text/code_page.h"

namespace hivewarden {
namespace {

// One conversion through a fresh descriptor. False when iconv refuses a character.
bool Convert(const std::string& to, const std::string& from, std::string_view in,
             std::string& out) {
    out.clear();
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    bool exact = true;
    std::string buffer(in.size() * 4 + 16, '\0');
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (rc != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // A character the target lacks, or bytes the source does not know: one '?' for it.
        exact = false;
        out += '?';
        ++inPtr;
        --inLeft;
        while (inLeft > 0 && from == "UTF-8" && (static_cast<unsigned char>(*inPtr) & 0xC0) == 0x80) {
            ++inPtr;
            --inLeft;
        }
    }
    iconv_close(cd);
    return exact;
}

class IconvPage final : public CodePage {
  public:
    explicit IconvPage(unsigned number) : number_(number), name_("CP" + std::to_string(number)) {}
    unsigned Number() const override { return number_; }
    std::string ToUtf8(std::string_view bytes) const override {
        std::string out;
        Convert("UTF-8", name_, bytes, out);
        return out;
    }
    bool FromUtf8(std::string_view text, std::string& bytes) const override {
        return Convert(name_, "UTF-8", text, bytes);
    }

  private:
    unsigned number_;
    std::string name_;
};

}  // namespace

std::unique_ptr<CodePage> OpenCodePage(unsigned number, std::string& error) {
    if (number == kWindows1252) return NewWindows1252();
    const std::string name = "CP" + std::to_string(number);
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        error = "unknown code page " + std::to_string(number);
        return nullptr;
    }
    iconv_close(cd);
    return std::make_unique<IconvPage>(number);
}

unsigned SystemAnsiCodePage() { return kWindows1252; }

}  // namespace hivewarden
