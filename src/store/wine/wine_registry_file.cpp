// Reading Wine's registry files into layout-keeping documents, and writing key blocks and
// values as Wine's server writes them.
#include "store/wine/wine_registry_file.h"

#include <cstdio>

#include "text/text.h"
#include "text/unicode.h"
#include "store/wine/wine_string.h"

namespace hivewarden::registry {
namespace {

constexpr std::string_view kRelativeComment = ";; All keys relative to ";
constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ull;  // 1970 as a FILETIME
constexpr std::uint64_t kTicksPerSecond = 10000000ull;
constexpr std::size_t kHexWrapColumn = 76;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

void SkipSpaces(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
}

// The file cut into lines: each line's text without "\n" (and without a "\r" before it), and
// where the next line starts.
struct Line {
    std::string_view Text;
    std::size_t Start = 0;
    std::size_t Next = 0;
};

std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view text = bytes.substr(start, end - start);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        lines.push_back({text, start, next});
        start = next;
    }
    return lines;
}

std::string StringBytes(const std::u16string& units) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::u16string StringUnits(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return units;
}

// strtoul(text, 16) as Wine reads "dword:": blanks, a sign, "0x", hex digits; too large a
// number saturates before it is cut to 32 bits.
std::uint32_t LenientDword(std::string_view text) {
    std::size_t pos = 0;
    SkipSpaces(text, pos);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    const std::string_view rest = text.substr(pos);
    if (rest.size() > 2 && (rest.substr(0, 2) == "0x" || rest.substr(0, 2) == "0X") &&
        IsWineHexDigit(rest[2])) {
        pos += 2;
    }
    std::uint64_t value = 0;
    bool saturated = false;
    for (; pos < text.size() && IsWineHexDigit(text[pos]); ++pos) {
        if (value >> 60) saturated = true;
        value = value * 16 + WineHexValue(text[pos]);
    }
    if (saturated) return 0xFFFFFFFFu;
    if (negative) value = ~value + 1;
    return static_cast<std::uint32_t>(value);
}

// One comma-separated run of hex bytes; false for a byte above 0xff.
bool ParseHexRun(std::string_view text, std::size_t& pos, std::string& bytes) {
    while (pos < text.size() && IsWineHexDigit(text[pos])) {
        unsigned value = 0;
        while (pos < text.size() && IsWineHexDigit(text[pos])) {
            value = value * 16 + WineHexValue(text[pos++]);
            if (value > 0xFF) return false;
        }
        bytes += static_cast<char>(value);
        SkipSpaces(text, pos);
        if (pos < text.size() && text[pos] == ',') ++pos;
        SkipSpaces(text, pos);
    }
    return true;
}

// The data tag after "=": the type and how the data is written; false for an unknown tag.
enum class DataForm { String, Dword, Hex };

bool ReadDataTag(std::string_view text, std::size_t& pos, std::uint32_t& type, DataForm& form) {
    struct Tag {
        std::string_view Text;
        std::uint32_t Type;
        DataForm Form;
    };
    static constexpr Tag kTags[] = {
        {"\"", kRegSz, DataForm::String},
        {"str:\"", kRegSz, DataForm::String},
        {"str(2):\"", kRegExpandSz, DataForm::String},
        {"str(7):\"", kRegMultiSz, DataForm::String},
        {"hex:", kRegBinary, DataForm::Hex},
        {"dword:", kRegDword, DataForm::Dword},
    };
    const std::string_view rest = text.substr(pos);
    for (const Tag& tag : kTags) {
        if (rest.substr(0, tag.Text.size()) == tag.Text) {
            pos += tag.Text.size();
            type = tag.Type;
            form = tag.Form;
            return true;
        }
    }
    if (rest.substr(0, 4) != "hex(") return false;
    std::size_t at = 4;
    std::uint64_t number = 0;
    while (at < rest.size() && IsWineHexDigit(rest[at])) {
        number = number * 16 + WineHexValue(rest[at++]);
        if (number > 0xFFFFFFFFull) number = 0xFFFFFFFFull;
    }
    if (at == 4 || rest.substr(at, 2) != "):") return false;
    pos += at + 2;
    type = static_cast<std::uint32_t>(number);
    form = DataForm::Hex;
    return true;
}

class Reader {
  public:
    Reader(std::string_view bytes, WineRegistryFile& file)
        : bytes_(bytes), lines_(SplitLines(bytes)), file_(file) {}

    bool Run(std::string& error) {
        file_ = WineRegistryFile{};
        if (lines_.empty() || lines_[0].Text != kWineRegistryHeader) {
            error = "line 1: not a Wine registry file (no \"" + std::string(kWineRegistryHeader) +
                    "\" header)";
            return false;
        }
        std::size_t headEnd = bytes_.size();
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            const Line& line = lines_[index_];
            std::size_t pos = 0;
            SkipSpaces(line.Text, pos);
            const char first = pos < line.Text.size() ? line.Text[pos] : '\0';
            if (first == '[') {
                WineKeyBlock block;
                if (!ReadKeyLine(line, pos + 1, block, error)) return false;
                skipping_ = block.Path.size() > kMaxWineKeyDepth;
                if (skipping_) {
                    file_.Warnings.push_back("line " + std::to_string(index_ + 1) +
                                             ": key nested deeper than " +
                                             std::to_string(kMaxWineKeyDepth) +
                                             " levels, skipped with its values");
                    continue;
                }
                if (!block_) headEnd = line.Start;
                CloseBlock(line.Start);
                OpenBlock(line, std::move(block));
                continue;
            }
            if (skipping_) continue;
            if (!block_) {
                ReadHeadLine(line.Text);
                continue;
            }
            if (first == ';' || first == '\0') continue;
            if (first == '@' || first == '"') {
                ReadValue(line.Text, pos);
            } else if (first == '#') {
                ReadKeyOption(line.Text.substr(pos));
            }
            contentEnd_ = lines_[index_].Next;
        }
        CloseBlock(bytes_.size());
        file_.Head = std::string(bytes_.substr(0, headEnd));
        return true;
    }

  private:
    void ReadHeadLine(std::string_view text) {
        if (text.substr(0, kRelativeComment.size()) != kRelativeComment) return;
        const std::string rest = std::string(text.substr(kRelativeComment.size())) + '\n';
        std::size_t pos = 0;
        std::u16string units;
        if (ParseWineString(rest, pos, '\n', units)) file_.RelativeTo = Utf8FromUtf16(units);
    }

    // The path of a key line; false, with the error, when the line cannot be read.
    bool ReadKeyLine(const Line& line, std::size_t pos, WineKeyBlock& block, std::string& error) {
        std::u16string units;
        if (!ParseWineString(line.Text, pos, ']', units)) {
            error = "line " + std::to_string(index_ + 1) + ": malformed key (no closing \"]\")";
            return false;
        }
        std::size_t start = 0;
        for (std::size_t i = 0; i <= units.size(); ++i) {
            if (i < units.size() && units[i] != u'\\') continue;
            // One name past the depth limit marks the key as too deep; more are not kept.
            if (i > start && block.Path.size() <= kMaxWineKeyDepth) {
                block.Path.push_back(Utf8FromUtf16(units.substr(start, i - start)));
            }
            start = i + 1;
        }
        return true;
    }

    void OpenBlock(const Line& line, WineKeyBlock block) {
        file_.Keys.push_back(std::move(block));
        block_ = &file_.Keys.back();
        blockStart_ = line.Start;
        contentEnd_ = line.Next;
    }

    void CloseBlock(std::size_t end) {
        if (!block_) return;
        block_->Text = std::string(bytes_.substr(blockStart_, contentEnd_ - blockStart_));
        block_->Tail = std::string(bytes_.substr(contentEnd_, end - contentEnd_));
        block_ = nullptr;
    }

    void ReadKeyOption(std::string_view text) {
        if (text.substr(0, 8) == "#class=\"") {
            std::size_t pos = 8;
            std::u16string units;
            if (ParseWineString(text, pos, '"', units)) block_->Info.Class = std::move(units);
        } else if (text.substr(0, 5) == "#link") {
            block_->Info.IsLink = true;
        }
    }

    // A value line and its continuation lines; index_ ends on the last line read.
    void ReadValue(std::string_view text, std::size_t pos) {
        std::u16string nameUnits;
        if (text[pos] == '"') {
            ++pos;
            if (!ParseWineString(text, pos, '"', nameUnits)) return;
        } else {
            ++pos;
        }
        SkipSpaces(text, pos);
        if (pos >= text.size() || text[pos] != '=') return;
        ++pos;
        SkipSpaces(text, pos);
        RawValue& data = Slot(Utf8FromUtf16(nameUnits));
        if (!ReadData(text, pos, data)) data = RawValue{kRegNone, {}};
    }

    RawValue& Slot(const std::string& name) {
        for (WineValue& value : block_->Values) {
            if (EqualsNoCase(value.Name, name)) return value.Data;
        }
        block_->Values.push_back({name, {}});
        return block_->Values.back().Data;
    }

    bool ReadData(std::string_view text, std::size_t pos, RawValue& data) {
        DataForm form = DataForm::String;
        if (!ReadDataTag(text, pos, data.Type, form)) return false;
        data.Bytes.clear();
        if (form == DataForm::String) {
            std::u16string units;
            if (!ParseWineString(text, pos, '"', units)) return false;
            units.push_back(u'\0');
            data.Bytes = StringBytes(units);
            return true;
        }
        if (form == DataForm::Dword) {
            const std::uint32_t dword = LenientDword(text.substr(pos));
            for (int shift = 0; shift < 32; shift += 8) {
                data.Bytes += static_cast<char>((dword >> shift) & 0xFF);
            }
            return true;
        }
        for (;;) {
            if (!ParseHexRun(text, pos, data.Bytes)) return false;
            SkipSpaces(text, pos);
            if (pos >= text.size()) return true;
            if (text[pos] != '\\' || index_ + 1 >= lines_.size()) return false;
            ++index_;
            text = lines_[index_].Text;
            pos = 0;
            SkipSpaces(text, pos);
        }
    }

    std::string_view bytes_;
    std::vector<Line> lines_;
    WineRegistryFile& file_;
    std::size_t index_ = 0;
    WineKeyBlock* block_ = nullptr;
    bool skipping_ = false;  // the lines of a key too deep to take
    std::size_t blockStart_ = 0;
    std::size_t contentEnd_ = 0;
};

void AppendHex(const WineValue& value, std::size_t count, std::string& out) {
    char buffer[32];
    if (value.Data.Type == kRegBinary) {
        out += "hex:";
        count += 4;
    } else {
        const int written = std::snprintf(buffer, sizeof buffer, "hex(%x):", value.Data.Type);
        out += buffer;
        count += static_cast<std::size_t>(written);
    }
    const std::string& bytes = value.Data.Bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned char>(bytes[i]));
        out += buffer;
        count += 2;
        if (i + 1 == bytes.size()) break;
        out += ',';
        if (++count > kHexWrapColumn) {
            out += "\\\n  ";
            count = 2;
        }
    }
}

}  // namespace

bool ParseWineRegistryFile(std::string_view bytes, WineRegistryFile& file, std::string& error) {
    Reader reader(bytes, file);
    return reader.Run(error);
}

std::string FormatWineValue(const WineValue& value) {
    std::string out;
    if (value.Name.empty()) {
        out = "@=";
    } else {
        out = "\"";
        AppendWineString(Utf16FromUtf8(value.Name), "\"\"", out);
        out += "\"=";
    }
    const std::size_t count = out.size();
    const RawValue& data = value.Data;
    const std::string& bytes = data.Bytes;
    const bool isString =
        data.Type == kRegSz || data.Type == kRegExpandSz || data.Type == kRegMultiSz;
    // Only a string with its terminating NUL unit is written as a string.
    if (isString && bytes.size() >= 2 && bytes.size() % 2 == 0 && bytes[bytes.size() - 1] == 0 &&
        bytes[bytes.size() - 2] == 0) {
        if (data.Type != kRegSz) out += "str(" + std::to_string(data.Type) + "):";
        out += '"';
        const std::u16string units = StringUnits(bytes);
        AppendWineString(std::u16string_view(units).substr(0, units.size() - 1), "\"\"", out);
        out += "\"\n";
        return out;
    }
    if (data.Type == kRegDword && bytes.size() == 4) {
        std::uint32_t dword = 0;
        for (int i = 3; i >= 0; --i) dword = (dword << 8) | static_cast<unsigned char>(bytes[i]);
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, "dword:%08x\n", static_cast<unsigned>(dword));
        return out + buffer;
    }
    AppendHex(value, count, out);
    out += '\n';
    return out;
}

std::string FormatWineKeyBlock(const std::vector<std::string>& path, const WineKeyInfo& info,
                               const std::vector<WineValue>& values, std::uint64_t time) {
    std::string out = "[";
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i != 0) out += "\\\\";
        AppendWineString(Utf16FromUtf8(path[i]), "[]", out);
    }
    const std::uint64_t seconds =
        time > kUnixEpochTicks ? (time - kUnixEpochTicks) / kTicksPerSecond : 0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "] %u\n#time=%x%08x\n", static_cast<unsigned>(seconds),
                  static_cast<unsigned>(time >> 32), static_cast<unsigned>(time & 0xFFFFFFFFu));
    out += buffer;
    if (info.Class) {
        out += "#class=\"";
        AppendWineString(*info.Class, "\"\"", out);
        out += "\"\n";
    }
    if (info.IsLink) out += "#link\n";
    for (const WineValue& value : values) out += FormatWineValue(value);
    return out;
}

}  // namespace hivewarden::registry
