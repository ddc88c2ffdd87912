// Code pages on Windows through MultiByteToWideChar / WideCharToMultiByte (UTF-8, the ANSI
// code page of systems set to use it, as itself).
#include <windows.h>

#include "text/code_page.h"
#include "text/unicode.h"

namespace hivewarden {
namespace {

class Win32Page final : public CodePage {
  public:
    explicit Win32Page(unsigned number) : number_(number) {}
    unsigned Number() const override { return number_; }

    std::string ToUtf8(std::string_view bytes) const override {
        if (bytes.empty()) return {};
        const int size = static_cast<int>(bytes.size());
        const int units = MultiByteToWideChar(number_, 0, bytes.data(), size, nullptr, 0);
        std::u16string wide(static_cast<std::size_t>(units > 0 ? units : 0), u'\0');
        if (units > 0) {
            MultiByteToWideChar(number_, 0, bytes.data(), size,
                                reinterpret_cast<wchar_t*>(wide.data()), units);
        }
        return Utf8FromUtf16(wide);
    }

    bool FromUtf8(std::string_view text, std::string& bytes) const override {
        bytes.clear();
        if (text.empty()) return true;
        // A system whose ANSI code page is UTF-8 (Windows 10's "Use Unicode UTF-8" setting):
        // the text is its own bytes; WideCharToMultiByte takes no default character for it.
        if (number_ == CP_UTF8) {
            bytes.assign(text);
            return IsStrictUtf8(text);
        }
        const std::u16string wide = Utf16FromUtf8(text);
        const auto* in = reinterpret_cast<const wchar_t*>(wide.data());
        const int count = static_cast<int>(wide.size());
        BOOL usedDefault = FALSE;
        const int size = WideCharToMultiByte(number_, WC_NO_BEST_FIT_CHARS, in, count, nullptr,
                                             0, nullptr, &usedDefault);
        if (size <= 0) return false;
        bytes.resize(static_cast<std::size_t>(size));
        usedDefault = FALSE;
        WideCharToMultiByte(number_, WC_NO_BEST_FIT_CHARS, in, count, bytes.data(), size,
                            nullptr, &usedDefault);
        return !usedDefault && ToUtf8(bytes) == text;
    }

  private:
    unsigned number_;
};

}  // namespace

std::unique_ptr<CodePage> OpenCodePage(unsigned number, std::string& error) {
    if (number == kWindows1252) return NewWindows1252();
    CPINFO info;
    if (!GetCPInfo(number, &info)) {
        error = "unknown code page " + std::to_string(number);
        return nullptr;
    }
    return std::make_unique<Win32Page>(number);
}

unsigned SystemAnsiCodePage() { return GetACP(); }

}  // namespace hivewarden
