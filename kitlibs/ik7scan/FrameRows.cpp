#include "FrameRows.h"

namespace scan {

void lineArtRow(const std::uint8_t* source, std::uint8_t* target, std::size_t width) {
    const std::size_t whole = width / 8;
    for (std::size_t i = 0; i < whole; ++i) target[i] = static_cast<std::uint8_t>(~source[i]);
    if (const std::size_t rest = width % 8) {
        const auto keep = static_cast<std::uint8_t>(0xFF00u >> rest);
        target[whole] = static_cast<std::uint8_t>(~source[whole] & keep);
    }
}

void greyRow(const std::uint8_t* source, std::uint8_t* target, std::size_t width, int depth) {
    for (std::size_t x = 0; x < width; ++x) target[x] = sample8(source, x, depth);
}

void rgbRow(const std::uint8_t* source, std::uint8_t* target, std::size_t width, int depth) {
    for (std::size_t x = 0; x < width; ++x) {
        target[3 * x + 0] = sample8(source, 3 * x + 2, depth);
        target[3 * x + 1] = sample8(source, 3 * x + 1, depth);
        target[3 * x + 2] = sample8(source, 3 * x + 0, depth);
    }
}

void planesRow(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, std::uint8_t* target,
               std::size_t width, int depth) {
    for (std::size_t x = 0; x < width; ++x) {
        target[3 * x + 0] = sample8(blue, x, depth);
        target[3 * x + 1] = sample8(green, x, depth);
        target[3 * x + 2] = sample8(red, x, depth);
    }
}

}  // namespace scan
