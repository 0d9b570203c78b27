#include "widgets/GradboxGeometry.h"

namespace widgets {

std::array<QRgb, 256> gradColorTable(QRgb start, QRgb end) {
    std::array<QRgb, 256> table{};
    const int s[3] = {qRed(start), qGreen(start), qBlue(start)};
    const int e[3] = {qRed(end), qGreen(end), qBlue(end)};
    long double v[3], d[3];
    for (int c = 0; c < 3; ++c) {
        d[c] = static_cast<long double>(s[c] - e[c]) / 255.0L;
        v[c] = s[c];
    }
    table[0] = qRgb(s[0], s[1], s[2]);
    for (int i = 1; i <= 254; ++i) {
        int ch[3];
        for (int c = 0; c < 3; ++c) {
            v[c] -= d[c];
            ch[c] = static_cast<int>(v[c]);
        }
        table[i] = qRgb(ch[0], ch[1], ch[2]);
    }
    table[255] = qRgb(e[0], e[1], e[2]);
    return table;
}

std::vector<GradBand> gradBands(TGradStyle style, int width, int height) {
    std::vector<GradBand> bands;
    if (style == TGradStyle::gsNone) return bands;
    const bool vertical = style == TGradStyle::gsTopBottom || style == TGradStyle::gsBottomTop;
    const long double extent = vertical ? height : width;
    const long double a = extent / 255.0L;
    const int band = static_cast<int>(a + 1);
    bands.reserve(256);
    int start = 0;
    for (int j = 0; j <= 255; ++j) {
        const QRect r = vertical ? QRect(0, start, width, band) : QRect(start, 0, band, height);
        bands.push_back({r, j});
        start = static_cast<int>(j * a);
    }
    return bands;
}

bool gradStartsWithTopColor(TGradStyle style) {
    return style == TGradStyle::gsTopBottom || style == TGradStyle::gsLeftRight;
}

}  // namespace widgets
