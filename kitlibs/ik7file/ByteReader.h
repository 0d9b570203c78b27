#pragma once
// Bounds-checked reads from a byte buffer, little-endian (BMP, PCX) or big-endian (JPEG 2000):
// a read past the end yields 0.

#include <cstddef>
#include <cstdint>

namespace kit {

template <bool BigEndian>
class BasicByteReader {
public:
    BasicByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t size() const { return size_; }
    bool has(std::size_t at, std::size_t bytes) const { return at <= size_ && bytes <= size_ - at; }
    std::uint8_t u8(std::size_t at) const { return has(at, 1) ? data_[at] : 0; }
    std::uint16_t u16(std::size_t at) const {
        if (!has(at, 2)) return 0;
        return BigEndian ? std::uint16_t(data_[at] << 8 | data_[at + 1]) : std::uint16_t(data_[at] | data_[at + 1] << 8);
    }
    std::uint32_t u32(std::size_t at) const { return has(at, 4) ? join<std::uint32_t>(u16(at), u16(at + 2), 16) : 0; }
    std::uint64_t u64(std::size_t at) const { return has(at, 8) ? join<std::uint64_t>(u32(at), u32(at + 4), 32) : 0; }
    // The bytes [at, at + bytes); the caller has checked has(at, bytes).
    BasicByteReader part(std::size_t at, std::size_t bytes) const { return {data_ + at, bytes}; }

private:
    // Two halves read in file order into one value.
    template <typename Whole, typename Half>
    static Whole join(Half first, Half second, int shift) {
        return BigEndian ? Whole(first) << shift | second : Whole(second) << shift | first;
    }

    const std::uint8_t* data_;
    std::size_t size_;
};

using ByteReader = BasicByteReader<false>;
using BigEndianReader = BasicByteReader<true>;

}  // namespace kit
