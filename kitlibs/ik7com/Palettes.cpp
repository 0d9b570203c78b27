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

}  // namespace kit
