#include "Palettes.h"

namespace kit {

QList<QRgb> standardPalette(std::uint16_t bits, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    QList<QRgb> table;
    switch (bits) {
    case 1:
        table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
        break;
    case 4:
        table = {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
                 qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
                 qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
                 qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
        break;
    case 8:
        if (red == green && green == blue) {
            for (int i = 0; i < 256; ++i) table.append(qRgb(i, i, i));
        } else {
            // 3 bits red, 3 bits green, 2 bits blue.
            for (int i = 0; i < 256; ++i)
                table.append(qRgb((i >> 5) * 255 / 7, ((i >> 2) & 7) * 255 / 7, (i & 3) * 255 / 3));
        }
        break;
    default:
        break;
    }
    return table;
}

int nearestEntry(const QList<QRgb>& table, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    int best = 0;
    long bestDistance = -1;
    for (qsizetype i = 0; i < table.size(); ++i) {
        const long dr = qRed(table[i]) - red, dg = qGreen(table[i]) - green, db = qBlue(table[i]) - blue;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

void writePalette(const DibView& dib, const QList<QRgb>& table) {
    platform::RgbQuad* colours = dib.colours();
    for (qsizetype i = 0; i < table.size(); ++i)
        colours[i] = platform::RgbQuad{static_cast<std::uint8_t>(qBlue(table[i])),
                                       static_cast<std::uint8_t>(qGreen(table[i])),
                                       static_cast<std::uint8_t>(qRed(table[i])), 0};
}

bool paletteIsGrey(const DibView& dib) {
    if (dib.header().biBitCount > 8) return false;
    const std::uint32_t count = dib.colourCount();
    const platform::RgbQuad* colours = dib.colours();
    for (std::uint32_t i = 0; i < count; ++i)
        if (colours[i].red != colours[i].green || colours[i].green != colours[i].blue) return false;
    return count > 0;
}

}  // namespace kit
