#pragma once
// Small helpers for reading rendered widgets.

#include <QImage>
#include <QRect>
#include <QWidget>

#include <functional>

namespace pixels {

// The widget drawn over a plain colour, so that what it leaves unpainted is recognisable.
inline QImage render(QWidget& widget, QRgb underneath = qRgb(255, 0, 255)) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(underneath);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Bounding box of the pixels inside `area` that satisfy `pred` (empty when none do).
inline QRect boundsWhere(const QImage& image, const std::function<bool(QRgb)>& pred,
                         QRect area = QRect()) {
    if (area.isNull()) area = image.rect();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (pred(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

inline int countWhere(const QImage& image, const std::function<bool(QRgb)>& pred,
                      QRect area = QRect()) {
    if (area.isNull()) area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += pred(image.pixel(x, y));
    return n;
}

inline std::function<bool(QRgb)> exactly(QRgb color) {
    return [color](QRgb p) { return qRgb(qRed(p), qGreen(p), qBlue(p)) == color; };
}

inline std::function<bool(QRgb)> other(QRgb color) {
    return [color](QRgb p) { return qRgb(qRed(p), qGreen(p), qBlue(p)) != color; };
}

}  // namespace pixels
