#pragma once
// Colour tables of packed bitmaps.

#include <QList>
#include <QRgb>

#include <cstdint>

namespace kit {

// The fixed table IKCreateImage gives a new palette image (empty above 8 bits).
QList<QRgb> standardPalette(std::uint16_t bits, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

}  // namespace kit
