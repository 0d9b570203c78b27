#pragma once
// A TIFF LZW encoder over a range of bytes: codes of 9 to 12 bits written most significant
// bit first, the width growing one code early as TIFF readers expect, the table started
// afresh (Clear code) when it is full or when the compression ratio falls at a checkpoint.
// It writes into room sized up front by `outputBound`, so it never allocates.

#include <cstddef>
#include <cstdint>

namespace kit {

class LzwEncoder {
public:
    static constexpr std::uint32_t kClear = 256;
    static constexpr std::uint32_t kEndOfInformation = 257;

    // Room that a stream encoding `bytes` input bytes may need, with every code that ends it
    // and 8 spare bytes after its end.
    static std::size_t outputBound(std::size_t bytes);

    // A stream whose first string starts at data[from] (from < size), written into `out` of
    // `capacity` bytes; `clearFirst` writes the Clear code that opens a strip.
    LzwEncoder(const std::uint8_t* data, std::size_t size, std::size_t from, std::uint8_t* out, std::size_t capacity,
               bool clearFirst);

    // Reads the bytes before `end`. With `stopAtRestart` it returns true right after the table
    // starts afresh, with `restartPoint` the byte that begins the new string.
    bool run(std::size_t end, bool stopAtRestart);
    std::size_t position() const { return pos_; }
    std::size_t restartPoint() const { return restartPoint_; }
    // Forgets what was written so far; the next code lands at bit 0.
    void dropOutput();
    // Ends at the current position with End of Information, or with the Clear code that
    // lets another stream follow; then the last byte is padded with zero bits.
    void finish(bool endOfInformation);
    // The bits written, valid after `finish`.
    std::size_t bitCount() const { return bitCount_; }
    // True when the room was too small (the output is then unusable).
    bool overflowed() const { return overflowed_; }

private:
    // Four slots for each of the at most 3836 strings of a table keep the probes short.
    static constexpr unsigned kSlotBits = 14;
    static constexpr std::uint32_t kSlots = 1u << kSlotBits;
    static_assert(kSlots == 4096 << 2, "a slot is a 12-bit code shifted by 2, mixed with a byte");

    void put(std::uint32_t code, unsigned width);
    void restartTable();
    std::int64_t bitsWritten() const { return static_cast<std::int64_t>(outPos_) * 8 + accBits_; }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_;
    std::uint32_t ent_ = 0;  // the code of the string read so far
    bool hasString_ = false;
    std::uint32_t freeEnt_ = 258;
    unsigned width_ = 9;
    std::uint32_t maxCode_ = 511;
    // The ratio checkpoint: input bytes since the last restart, output bits since then.
    std::size_t inBase_;
    std::int64_t outBase_ = 0;
    std::size_t checkpoint_ = 10000;
    std::int64_t ratio_ = 0;
    std::size_t restartPoint_ = 0;

    std::uint8_t* out_;
    std::size_t capacity_;
    std::size_t outPos_ = 0;
    std::uint64_t acc_ = 0;
    unsigned accBits_ = 0;
    std::size_t bitCount_ = 0;
    bool overflowed_ = false;

    // Open addressing on (prefix code, byte): each slot holds key << 12 | code, 0 when free.
    std::uint32_t table_[kSlots];
};

}  // namespace kit
