#include "DisplayEdge.h"

#include <QPainter>

namespace {

// A line from (x0, y0) towards (x1, y1), horizontal or vertical, including its start and
// excluding its end point.
void line(QPainter& p, const QColor& colour, int x0, int y0, int x1, int y1) {
    if (x0 == x1 && y0 != y1) {
        const int top = y0 < y1 ? y0 : y1 + 1, bottom = y0 < y1 ? y1 - 1 : y0;
        p.fillRect(QRect(x0, top, 1, bottom - top + 1), colour);
    } else if (y0 == y1 && x0 != x1) {
        const int left = x0 < x1 ? x0 : x1 + 1, right = x0 < x1 ? x1 - 1 : x0;
        p.fillRect(QRect(left, y0, right - left + 1, 1), colour);
    }
}

}  // namespace

void DrawDisplayEdge(QPainter& p, const Ikutils::IkRect& r, bool lowered) {
    const QColor dark(127, 127, 127), light(223, 223, 223), white(Qt::white), black(Qt::black);
    const QColor& outerFirst = lowered ? dark : white;
    const QColor& outerSecond = lowered ? white : dark;
    const QColor& innerFirst = lowered ? black : light;
    const QColor& innerSecond = lowered ? light : black;
    const int l = r.left, t = r.top, rr = r.right, b = r.bottom;
    line(p, outerFirst, l, b, l, t);
    line(p, outerFirst, l, t, rr, t);
    line(p, outerSecond, rr, t, rr, b);
    line(p, outerSecond, rr, b, l, b);
    line(p, innerFirst, l + 1, b - 1, l + 1, t + 1);
    line(p, innerFirst, l + 1, t + 1, rr - 1, t + 1);
    line(p, innerSecond, rr - 1, t + 1, rr - 1, b - 1);
    line(p, innerSecond, rr - 1, b - 1, l + 1, b - 1);
}
