#pragma once
// Colour tables of packed bitmaps.

#include "DibBlock.h"

#include <QList>
#include <QRgb>

namespace kit {

// The fixed table IKCreateImage gives a new palette image (empty above 8 bits).
QList<QRgb> standardPalette(std::uint16_t bits, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// The entry nearest the colour (squared distance in RGB).
int nearestEntry(const QList<QRgb>& table, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

void writePalette(const DibView& dib, const QList<QRgb>& table);

// A palette image whose every colour-table entry is grey (red = green = blue).
bool paletteIsGrey(const DibView& dib);

}  // namespace kit
