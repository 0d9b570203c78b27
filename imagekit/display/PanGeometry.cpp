#include "PanGeometry.h"

#include <algorithm>

namespace PanGeometry {

namespace {
// Drops the fraction toward zero.
int truncated(double v) { return static_cast<int>(v); }
}  // namespace

PanSize windowSize(int imageWidth, int imageHeight, int size, int captionHeight) {
    if (imageWidth <= 0 || imageHeight <= 0 || size < 0) return {};
    PanSize s;
    if (imageHeight < imageWidth) {
        s.width = size;
        s.height = truncated(static_cast<double>(size) * imageHeight / imageWidth + 0.5);
    } else {
        s.width = truncated(static_cast<double>(size) * imageWidth / imageHeight + 0.5);
        s.height = size;
    }
    s.height += captionHeight;
    return s;
}

Ikutils::IkRect visibleRect(int startX, int startY, const Ikutils::IkRect& src, double scaleX, double scaleY,
                            int clientWidth, int clientHeight) {
    const int x = truncated(startX * scaleX + 0.5);
    const int y = truncated(startY * scaleY + 0.5);
    const int w = truncated((src.right - src.left + 1) * scaleX + 0.5);
    const int h = truncated((src.bottom - src.top + 1) * scaleY + 0.5);
    Ikutils::IkRect r{x, y, x + w, y + h};
    if (r.right > clientWidth) {
        r.left = clientWidth - w;
        r.right = clientWidth;
    }
    if (r.bottom > clientHeight) {
        r.top -= r.bottom - clientHeight;
        r.bottom = clientHeight;
    }
    return r;
}

PanStart dragStart(int x, int y, int grabX, int grabY, double scaleX, double scaleY) {
    if (!(scaleX > 0) || !(scaleY > 0)) return {};
    const int sx = truncated((x - grabX) / scaleX + 0.5);
    const int sy = truncated((y - grabY) / scaleY + 0.5);
    return PanStart{std::max(sx, 0), std::max(sy, 0)};
}

bool grabs(const Ikutils::IkRect& rect, int x, int y) {
    return rect.left <= x && x <= rect.right && rect.top <= y && y <= rect.bottom;
}

}  // namespace PanGeometry
