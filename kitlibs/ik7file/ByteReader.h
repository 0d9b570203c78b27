#pragma once
// Bounds-checked little-endian reads from a byte buffer: a read past the end yields 0.

#include <cstddef>
#include <cstdint>

namespace kit {

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t size() const { return size_; }
    bool has(std::size_t at, std::size_t bytes) const { return at <= size_ && bytes <= size_ - at; }
    std::uint8_t u8(std::size_t at) const { return has(at, 1) ? data_[at] : 0; }
    std::uint16_t u16(std::size_t at) const { return has(at, 2) ? std::uint16_t(data_[at] | data_[at + 1] << 8) : 0; }
    std::uint32_t u32(std::size_t at) const {
        return has(at, 4) ? std::uint32_t(data_[at]) | std::uint32_t(data_[at + 1]) << 8 |
                                std::uint32_t(data_[at + 2]) << 16 | std::uint32_t(data_[at + 3]) << 24
                          : 0;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace kit
