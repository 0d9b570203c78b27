#pragma once
// Colour reduction to a palette of at most N colours by median cut.
//
// Colours are counted in a 5-5-5 histogram that also sums their exact 8-bit values. When
// the picture holds no more distinct colours than allowed, the palette is those exact
// colours; otherwise the histogram's colour space is cut at the median of its longest
// side until there are N boxes, and each box's colour is the mean of the pixels in it.

#include "Pixels.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace effect {

class Quantizer {
public:
    explicit Quantizer(int maxColours) : maxColours_(maxColours) {}

    // Counts `count` pixels of B, G, R bytes, one every `step` (3 or 4) bytes.
    void add(const std::uint8_t* pixels, std::int32_t count, int step);
    // Builds the palette (as 0x00RRGGBB) after all rows were added.
    void build();
    // The palette indices of `count` pixels laid out as for add().
    void map(const std::uint8_t* pixels, std::int32_t count, int step, std::uint8_t* indices) const;

    const std::vector<std::uint32_t>& palette() const { return palette_; }
    // The palette index of a colour.
    std::uint8_t indexOf(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const;

private:
    struct Bin {
        std::uint32_t count = 0;
        std::uint64_t red = 0, green = 0, blue = 0;
    };
    // Count, blue, green and red sums of one bin in 32-bit lanes, so that a pixel is
    // counted by a single vector addition; moved into bins_ before the lanes can overflow.
    using Lanes = std::uint32_t __attribute__((vector_size(16)));
    // The histogram bin of a colour: its 5-5-5 value.
    static std::size_t binOf(std::uint8_t b, std::uint8_t g, std::uint8_t r) { return kit::pack555(r, g, b); }
    void exactColour(std::uint32_t rgb);
    template <int Step>
    void addPixels(const std::uint8_t* pixels, std::int32_t count);
    template <int Step>
    void mapPixels(const std::uint8_t* pixels, std::int32_t count, std::uint8_t* indices) const;
    void flushLanes();
    void medianCut();
    void mapBins();

    int maxColours_;
    std::vector<Bin> bins_ = std::vector<Bin>(32768);
    std::vector<Lanes> lanes_ = std::vector<Lanes>(32768);
    std::uint32_t pixelsInLanes_ = 0;
    // Distinct exact colours while there are at most maxColours_ of them.
    std::vector<std::uint32_t> exact_;
    bool tooMany_ = false;
    std::uint32_t lastColour_ = 0xFFFFFFFFu;
    std::vector<std::uint32_t> palette_;
    std::vector<std::uint8_t> binIndex_;  // histogram bin → palette index (median cut)
};

}  // namespace effect
