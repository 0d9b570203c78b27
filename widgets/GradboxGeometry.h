#pragma once
// Colour table and band layout of the gradient caption bar, kept apart from painting.

#include <QRect>
#include <QRgb>

#include <array>
#include <vector>

namespace widgets {

enum class TGradStyle { gsTopBottom, gsBottomTop, gsLeftRight, gsRightLeft, gsNone };

// 256 colours from start to end: entry 0 is the start colour, entry 255 the end colour,
// the entries between stepped by repeated subtraction of (start − end) ÷ 255 and truncated.
std::array<QRgb, 256> gradColorTable(QRgb start, QRgb end);

struct GradBand {
    QRect rect;
    int entry;
};

// The 256 bands in painting order (later bands cover earlier ones) for a control of the given size.
std::vector<GradBand> gradBands(TGradStyle style, int width, int height);

// The start colour is the top/left colour for top-bottom and left-right, the last colour otherwise.
bool gradStartsWithTopColor(TGradStyle style);

}  // namespace widgets
