// Random registry trees for round-trip tests: every value type, names and data with quotes,
// backslashes, control and high ANSI characters, long binary values, multi-strings and deep
// keys, grown through any repair machine (in-memory or the live registry).
#pragma once

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "registry/store.h"
#include "registry/text.h"

namespace hivewarden::testing {

// Binary values are at most this long.
inline constexpr std::size_t kMaxBinaryBytes = 64 * 1024;

struct ValueRef {
    std::string Key;  // full key path
    std::string Name;
};

class TreeMaker {
  public:
    explicit TreeMaker(std::mt19937& rng) : rng_(rng) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Below(100) < percent; }

    // Characters a key name may hold: anything but "\", NUL, CR and LF.
    std::string KeyName() {
        static const std::string kPlain = "abcXYZ019 -_.,;=@[]{}()\"'~!#$%&";
        std::string name;
        const int length = 1 + Below(10);
        for (int i = 0; i < length; ++i) {
            name += Chance(25)
                        ? static_cast<char>(0x80 + Below(0x80))
                        : kPlain[static_cast<std::size_t>(Below(static_cast<int>(kPlain.size())))];
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
            } else if (Chance(20)) {
                name += static_cast<char>(0x80 + Below(0x80));
            } else {
                name += kPlain[static_cast<std::size_t>(Below(static_cast<int>(kPlain.size())))];
            }
        }
        return name;
    }

    // Text without its terminator: mostly printable, with quotes and backslashes, sometimes
    // control characters, line breaks or an inner NUL.
    std::string Text() {
        static const std::string kPlain = "C:\\Program Files\\\"x\"%PATH%;=@ ";
        std::string text;
        const int length = Below(40);
        for (int i = 0; i < length; ++i) {
            const int pick = Below(100);
            if (pick < 3) {
                text += '\0';
            } else if (pick < 8) {
                text += "\r\n\t\x01"[Below(4)];
            } else if (pick < 20) {
                text += static_cast<char>(0x80 + Below(0x80));
            } else {
                text += kPlain[static_cast<std::size_t>(Below(static_cast<int>(kPlain.size())))];
            }
        }
        return text;
    }

    std::string Bytes(std::size_t count) {
        std::string bytes(count, '\0');
        for (char& c : bytes) c = static_cast<char>(Below(256));
        return bytes;
    }

    registry::RawValue Value() {
        static const std::uint32_t kOtherTypes[] = {0, 6, 8, 9, 10, 0x4000, 0xFFFFFFFFu};
        switch (Below(9)) {
            case 0:
            case 1:
                return {registry::kRegSz, Text() + '\0'};
            case 2:
                return {registry::kRegExpandSz, Text() + '\0'};
            case 3: {
                std::string multi;
                for (int i = Below(4); i > 0; --i) multi += Text() + '\0';
                return {registry::kRegMultiSz, multi + '\0'};
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
    std::mt19937& rng_;
};

// One to six key and value findings in random order: a change may come before or after the
// deletion of the key that holds it. Changed values get a path with quotes or a number.
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
        m.ValueFinding(ref.Key, ref.Name, !change,
                       change ? (maker.Chance(50) ? "C:\\New \"x\".exe" : "123") : "");
    }
}

}  // namespace hivewarden::testing
