#pragma once
// One row of a SANE frame as one row of a packed bitmap: pure byte work.

#include <cstddef>
#include <cstdint>

namespace scan {

// 1-bit rows: SANE marks black with 1, the bitmap's entry 0 is black, so every bit is
// inverted; the bits beyond `width` stay 0.
void lineArtRow(const std::uint8_t* source, std::uint8_t* target, std::size_t width);

// A sample of `depth` 8 or 16 bits (16-bit samples in host order) as 8 bits (the high byte).
inline std::uint8_t sample8(const std::uint8_t* samples, std::size_t index, int depth) {
    if (depth == 8) return samples[index];
    std::uint16_t value;
    __builtin_memcpy(&value, samples + 2 * index, 2);
    return static_cast<std::uint8_t>(value >> 8);
}

// Grey samples of depth 8 or 16 to 8-bit pixels.
void greyRow(const std::uint8_t* source, std::uint8_t* target, std::size_t width, int depth);

// Interleaved red, green, blue samples of depth 8 or 16 to 24-bit BGR pixels.
void rgbRow(const std::uint8_t* source, std::uint8_t* target, std::size_t width, int depth);

// Three separate planes (one row each) of depth 8 or 16 to 24-bit BGR pixels.
void planesRow(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, std::uint8_t* target,
               std::size_t width, int depth);

}  // namespace scan
