// Random registry trees for round-trip tests: every value type, names and data drawn from all
// of Unicode (ASCII specials, letters of many scripts, any code point of the Basic Multilingual
// Plane or beyond it), quotes, backslashes, control characters, long binary values,
// multi-strings and deep keys, grown through any repair machine (in-memory or the live
// registry). With exact raw data, string values also hold what only a byte-exact importer
// gives back: odd byte counts, empty data and lone surrogates in names.
#pragma once

#include <cstdint>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "store/store.h"
#include "text/text.h"
#include "text/unicode.h"

namespace hivewarden::testing {

// Binary values are at most this long.
inline constexpr std::size_t kMaxBinaryBytes = 64 * 1024;

struct ValueRef {
    std::string Key;  // full key path
    std::string Name;
};

struct TreeOptions {
    // String data of odd length or no bytes at all, and lone surrogates in names: the program's
    // own importer restores them byte for byte; the system's registry editor need not.
    bool ExactRawData = false;
};

class TreeMaker {
  public:
    explicit TreeMaker(std::mt19937& rng, TreeOptions options = {})
        : rng_(rng), options_(options) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Below(100) < percent; }

    // One character other than NUL, CR, LF and "\": letters of a few scripts, any code point
    // of the Basic Multilingual Plane (surrogates aside), or one beyond it.
    char32_t OtherCharacter() {
        static const char32_t kScripts[] = {
            0xE9,   0xFC,   0xFF,    0x20AC,  0x2014,  0x0100, 0x03A9, 0x03C3, 0x03C2,
            0x0416, 0x0436, 0x05D0,  0x062A,  0x0628,  0x0E01, 0x3042, 0x30AB, 0x674E,
            0x660E, 0x738B, 0xAC00,  0xFF21,  0xFF41,  0xFB01, 0x1E9E, 0xDF,   0x0130,
            0x0131, 0xFEFF, 0xFFFD,  0x1F600, 0x1F4A9, 0x10400, 0x10428, 0x20000};
        const int pick = Below(100);
        if (pick < 50) return kScripts[Below(static_cast<int>(std::size(kScripts)))];
        if (pick < 80) {
            const char32_t c = static_cast<char32_t>(0x80 + Below(0xFFFE - 0x80));
            return c >= 0xD800 && c <= 0xDFFF ? 0x5C0F : c;
        }
        return static_cast<char32_t>(0x10000 + Below(0x10FFFF - 0x10000 + 1));
    }

    // Characters a key name may hold: anything but "\", NUL, CR and LF.
    std::string KeyName() {
        static const std::string kPlain = "abcXYZ019 -_.,;=@[]{}()\"'~!#$%&";
        std::string name;
        const int length = 1 + Below(10);
        for (int i = 0; i < length; ++i) {
            if (Chance(30)) {
                AppendOther(name);
            } else {
                name += kPlain[static_cast<std::size_t>(Below(static_cast<int>(kPlain.size())))];
            }
        }
        return name;
    }

    // Value names may also hold "\", tabs and (rarely) line breaks.
    std::string ValueName() {
        if (Chance(10)) return "";
        static const std::string kPlain = "abcXYZ09 \\\"=;@[]\t";
        std::string name;
        const int length = 1 + Below(12);
        for (int i = 0; i < length; ++i) {
            if (Chance(3)) {
                name += Chance(50) ? '\r' : '\n';
            } else if (Chance(25)) {
                AppendOther(name);
            } else {
                name += kPlain[static_cast<std::size_t>(Below(static_cast<int>(kPlain.size())))];
            }
        }
        return name;
    }

    // String data as UTF-16LE without its terminator: mostly printable, with quotes and
    // backslashes, sometimes control characters, line breaks, an inner NUL, characters of
    // any script or a lone surrogate.
    std::string Text() {
        static const std::string kPlain = "C:\\Program Files\\\"x\"%PATH%;=@ ";
        std::string text;
        const int length = Below(40);
        for (int i = 0; i < length; ++i) {
            const int pick = Below(100);
            if (pick < 3) {
                text.append(2, '\0');
            } else if (pick < 8) {
                text += Utf16LeFromUtf8(std::string(1, "\r\n\t\x01"[Below(4)]));
            } else if (pick < 10) {
                AppendUnit(static_cast<char16_t>(0xD800 + Below(0x800)), text);
            } else if (pick < 30) {
                std::string utf8;
                AppendUtf8(OtherCharacter(), utf8);
                text += Utf16LeFromUtf8(utf8);
            } else {
                const char c =
                    kPlain[static_cast<std::size_t>(Below(static_cast<int>(kPlain.size())))];
                text += Utf16LeFromUtf8(std::string(1, c));
            }
        }
        return text;
    }

    std::string Bytes(std::size_t count) {
        std::string bytes(count, '\0');
        for (char& c : bytes) c = static_cast<char>(Below(256));
        return bytes;
    }

    // String data: terminated text, or (with exact raw data) sometimes no bytes at all or an
    // odd number of them.
    std::string StringData(std::string text) {
        if (options_.ExactRawData && Chance(10)) return "";
        if (options_.ExactRawData && Chance(15)) return text + static_cast<char>(Below(256));
        return text + std::string(2, '\0');
    }

    registry::RawValue Value() {
        static const std::uint32_t kOtherTypes[] = {0, 6, 8, 9, 10, 0x4000, 0xFFFFFFFFu};
        switch (Below(9)) {
            case 0:
            case 1:
                return {registry::kRegSz, StringData(Text())};
            case 2:
                return {registry::kRegExpandSz, StringData(Text())};
            case 3: {
                std::string multi;
                for (int i = Below(4); i > 0; --i) multi += Text() + std::string(2, '\0');
                return {registry::kRegMultiSz, StringData(multi)};
            }
            case 4: {
                const std::size_t size =
                    Chance(10) ? 1 + Below(kMaxBinaryBytes) : static_cast<std::size_t>(Below(300));
                return {registry::kRegBinary, Bytes(size)};
            }
            case 5:
                return {registry::kRegDword, Bytes(Chance(85) ? 4 : Below(9))};
            case 6:
                return {registry::kRegDwordBigEndian, Bytes(4)};
            case 7:
                return {registry::kRegQword, Bytes(8)};
            default:
                return {kOtherTypes[Below(7)], Bytes(static_cast<std::size_t>(Below(40)))};
        }
    }

    // A tree of keys under `top`, each with a few values; returns the keys, top first.
    template <typename Machine>
    std::vector<std::string> Grow(Machine& m, const std::string& top,
                                  std::vector<ValueRef>& values) {
        std::vector<std::string> keys = {top};
        m.Key(top);
        const int count = 1 + Below(12);
        for (int i = 0; i < count; ++i) {
            const std::string parent =
                keys[static_cast<std::size_t>(Below(static_cast<int>(keys.size())))];
            // Some chains go deep.
            std::string key = parent + "\\" + KeyName();
            if (Chance(10)) {
                for (int d = Below(20); d > 0; --d) key += "\\" + KeyName();
            }
            if (m.HasKey(key)) continue;
            m.Key(key);
            keys.push_back(key);
        }
        for (const std::string& key : keys) {
            std::set<std::string, LessNoCase> names;
            for (int v = Below(5); v > 0; --v) {
                const std::string name = ValueName();
                if (!names.insert(name).second) continue;
                registry::RawValue value = Value();
                m.Raw(key, name, value.Type, value.Bytes);
                values.push_back({key, name});
            }
        }
        return keys;
    }

  private:
    static void AppendUnit(char16_t unit, std::string& bytes) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }

    // One character of OtherCharacter, or with exact raw data now and then a lone low
    // surrogate (never a high one: followed by a low one it would read back as a pair).
    void AppendOther(std::string& name) {
        if (options_.ExactRawData && Chance(5)) {
            AppendUtf8(static_cast<char32_t>(0xDC00 + Below(0x400)), name);
            return;
        }
        AppendUtf8(OtherCharacter(), name);
    }

    std::mt19937& rng_;
    TreeOptions options_;
};

// One to six key and value findings in random order: a change may come before or after the
// deletion of the key that holds it. Changed values get a path with quotes, a path in another
// script, or a number.
template <typename Machine>
void AddRandomFindings(TreeMaker& maker, Machine& m, const std::vector<std::string>& keys,
                       const std::vector<ValueRef>& values) {
    for (int f = 1 + maker.Below(6); f > 0; --f) {
        if (values.empty() || maker.Chance(35)) {
            m.KeyFinding(
                keys[static_cast<std::size_t>(maker.Below(static_cast<int>(keys.size())))]);
            continue;
        }
        const ValueRef& ref =
            values[static_cast<std::size_t>(maker.Below(static_cast<int>(values.size())))];
        const bool change = maker.Chance(40);
        static const char* const kNewData[] = {
            "C:\\New \"x\".exe", "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe", "123"};
        m.ValueFinding(ref.Key, ref.Name, !change, change ? kNewData[maker.Below(3)] : "");
    }
}

}  // namespace hivewarden::testing
