#include "Colour.h"

#include "DibBlock.h"

namespace kit {
namespace {

bool isGrey(const platform::RgbQuad& c) { return c.red == c.green && c.green == c.blue; }

template <typename Entry, typename Levels>
std::size_t nearest(std::span<const Entry> table, int red, int green, int blue, Levels levels) {
    std::size_t best = 0;
    int bestDistance = 0x7FFFFFFF;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto [r, g, b] = levels(table[i]);
        const int dr = r - red, dg = g - green, db = b - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

struct Levels {
    int red, green, blue;
};

}  // namespace

bool allGrey(std::span<const platform::RgbQuad> table) {
    for (const platform::RgbQuad& c : table)
        if (!isGrey(c)) return false;
    return true;
}

bool isIdentityGrey(std::span<const platform::RgbQuad> table) {
    for (std::size_t i = 0; i < table.size(); ++i)
        if (!isGrey(table[i]) || table[i].red != i) return false;
    return true;
}

bool paletteIsGrey(const DibView& dib) {
    if (dib.header().biBitCount > 8 || dib.colourCount() == 0) return false;
    return allGrey(dib.colourTable());
}

std::size_t nearestEntry(std::span<const platform::RgbQuad> table, std::uint8_t red, std::uint8_t green,
                         std::uint8_t blue) {
    return nearest(table, red, green, blue, [](const platform::RgbQuad& c) { return Levels{c.red, c.green, c.blue}; });
}

std::size_t nearestEntry(std::span<const std::uint32_t> table, std::uint8_t red, std::uint8_t green,
                         std::uint8_t blue) {
    return nearest(table, red, green, blue, [](std::uint32_t c) {
        return Levels{static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF)};
    });
}

void writeColourTable(platform::RgbQuad* out, std::span<const std::uint32_t> table) {
    for (std::size_t i = 0; i < table.size(); ++i) out[i] = quadOf(table[i]);
}

void writeGreyRamp(platform::RgbQuad* out, std::size_t count) {
    const std::size_t steps = count > 1 ? count - 1 : 1;
    for (std::size_t i = 0; i < count; ++i) {
        const auto level = static_cast<std::uint8_t>(i * 255 / steps);
        out[i] = platform::RgbQuad{level, level, level, 0};
    }
}

}  // namespace kit
