// Bounds-checked little-endian reads over a borrowed run of bytes, for the binary file formats
// the scans take apart (shell links, shell item lists). Every read that would go past the end
// answers "nothing"; no read can leave the span. Depends on the standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace hivewarden::scan {

class ByteSpan {
  public:
    ByteSpan() = default;
    explicit ByteSpan(std::string_view bytes) : bytes_(bytes) {}

    std::size_t Size() const { return bytes_.size(); }
    std::string_view Bytes() const { return bytes_; }

    // True when [offset, offset + count) lies inside the span (no overflow for any input).
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    // The part [offset, offset + count); empty when it does not fit.
    ByteSpan Sub(std::size_t offset, std::size_t count) const {
        return Has(offset, count) ? ByteSpan(bytes_.substr(offset, count)) : ByteSpan();
    }

    std::optional<std::uint8_t> U8(std::size_t offset) const {
        if (!Has(offset, 1)) return std::nullopt;
        return static_cast<std::uint8_t>(bytes_[offset]);
    }
    std::optional<std::uint16_t> U16(std::size_t offset) const {
        if (!Has(offset, 2)) return std::nullopt;
        return static_cast<std::uint16_t>(Byte(offset) | Byte(offset + 1) << 8);
    }
    std::optional<std::uint32_t> U32(std::size_t offset) const {
        if (!Has(offset, 4)) return std::nullopt;
        return static_cast<std::uint32_t>(Byte(offset) | Byte(offset + 1) << 8 |
                                          Byte(offset + 2) << 16 |
                                          static_cast<std::uint32_t>(Byte(offset + 3)) << 24);
    }

    // A NUL-terminated single-byte string starting at offset, without its terminator; nothing
    // when the terminator is not inside the span.
    std::optional<std::string_view> AnsiZ(std::size_t offset) const {
        if (offset >= bytes_.size()) return std::nullopt;
        const std::size_t end = bytes_.find('\0', offset);
        if (end == std::string_view::npos) return std::nullopt;
        return bytes_.substr(offset, end - offset);
    }
    // A UTF-16LE string ended by a 16-bit zero, as raw bytes without the terminator; nothing
    // when the terminator is not inside the span.
    std::optional<std::string_view> Utf16Z(std::size_t offset) const {
        for (std::size_t i = offset; Has(i, 2); i += 2) {
            if (bytes_[i] == '\0' && bytes_[i + 1] == '\0')
                return bytes_.substr(offset, i - offset);
        }
        return std::nullopt;
    }

  private:
    std::uint32_t Byte(std::size_t offset) const {
        return static_cast<unsigned char>(bytes_[offset]);
    }

    std::string_view bytes_;
};

}  // namespace hivewarden::scan
