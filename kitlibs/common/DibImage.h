#pragma once
// Conversion between packed bitmaps and Qt images, which stand for the framework's bitmaps.

#include "ik7kit.h"

#include <QImage>
#include <QList>

#include <cstdint>
#include <span>

namespace kit {

// The picture of an image handle; a null QImage (with a status) when it is no bitmap.
QImage imageFromDib(IKHANDLE image);

// A new packed bitmap of the picture: 1 bit for monochrome, 8 bits for indexed and grey
// pictures, 32 bits when the picture has alpha, 24 bits otherwise. `colourTable`, when
// given, replaces the table of an indexed picture. 0 with a status on failure.
IKHANDLE dibFromImage(const QImage& picture, const QList<QRgb>* colourTable);

// The colours of a Qt colour table, as the colour functions take them.
inline std::span<const std::uint32_t> coloursOf(const QList<QRgb>& table) {
    return {table.constData(), static_cast<std::size_t>(table.size())};
}

}  // namespace kit
