#pragma once
// Colours and colour tables: luminance, grey tables, the nearest table entry, and colour
// tables written into bitmaps. Colours packed in 32 bits are 0x··RRGGBB (QRgb included).

#include "platform/Dib.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace kit {

class DibView;

// Rec. 601 luminance in thousandths of a level (0 … 255000), for comparing colours exactly.
constexpr std::uint32_t weightedLuminance(unsigned red, unsigned green, unsigned blue) {
    return red * 299 + green * 587 + blue * 114;
}

constexpr std::uint32_t weightedLuminance(const platform::RgbQuad& c) {
    return weightedLuminance(c.red, c.green, c.blue);
}

// Rec. 601 luminance of 8-bit levels, rounded to the nearest level.
constexpr std::uint8_t luminance(unsigned red, unsigned green, unsigned blue) {
    return static_cast<std::uint8_t>((weightedLuminance(red, green, blue) + 500) / 1000);
}

constexpr std::uint8_t luminance(const platform::RgbQuad& c) { return luminance(c.red, c.green, c.blue); }

constexpr platform::RgbQuad quadOf(std::uint32_t rgb) {
    return platform::RgbQuad{static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                             static_cast<std::uint8_t>(rgb >> 16), 0};
}

constexpr std::uint32_t rgbOf(const platform::RgbQuad& c) {
    return static_cast<std::uint32_t>(c.red) << 16 | static_cast<std::uint32_t>(c.green) << 8 | c.blue;
}

// Every entry is grey (red = green = blue); true for an empty table.
bool allGrey(std::span<const platform::RgbQuad> table);

// Entry i is the grey of level i, for every entry (a ramp from black that may stop short).
bool isIdentityGrey(std::span<const platform::RgbQuad> table);

// A palette bitmap (8 bits or fewer) with a colour table whose every entry is grey.
bool paletteIsGrey(const DibView& dib);

// The entry nearest a colour by squared RGB distance, the first of equally near ones;
// 0 for an empty table.
std::size_t nearestEntry(std::span<const platform::RgbQuad> table, std::uint8_t red, std::uint8_t green,
                         std::uint8_t blue);
std::size_t nearestEntry(std::span<const std::uint32_t> table, std::uint8_t red, std::uint8_t green,
                         std::uint8_t blue);

// Writes colours packed as 0x··RRGGBB into a bitmap's colour table, entry for entry.
void writeColourTable(platform::RgbQuad* out, std::span<const std::uint32_t> table);

// Writes `count` (at most 256) greys evenly spaced from black to white: with 256 entries,
// entry i is level i; a single entry is black.
void writeGreyRamp(platform::RgbQuad* out, std::size_t count);

}  // namespace kit
