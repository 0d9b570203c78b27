#include "widgets/DxfprogressbarGeometry.h"

#include <algorithm>
#include <cmath>

namespace widgets {

namespace {

// Part of `extent` that the position covers, truncated; 0 for an empty range.
int filledLength(const ProgressRange& r, int extent) {
    if (r.max == r.min) return 0;
    return static_cast<int>(static_cast<long long>(r.position - r.min) * extent / (static_cast<long long>(r.max) - r.min));
}

}  // namespace

EdgeRect progressTrack(int width, int height, bool bevelled) {
    EdgeRect t{0, 0, width, height};
    if (bevelled) t = {2, 2, width - 2, height - 2};
    return t;
}

std::optional<EdgeRect> progressBar(const EdgeRect& track, const ProgressRange& range,
                                    TdxfPBOrientation orientation) {
    if (range.position == range.min || range.max == range.min) return std::nullopt;
    EdgeRect bar = track;
    if (orientation == TdxfPBOrientation::orHorizontal)
        bar.right = std::min(track.left + filledLength(range, track.width()), track.right);
    else
        bar.top = std::max(track.bottom - filledLength(range, track.height()), track.top);
    return bar;
}

QRgb progressGradient(QRgb begin, QRgb end, int a, int n) {
    if (n == 0) return begin;
    auto channel = [&](int c1, int c2) { return static_cast<int>(std::trunc((c2 - c1) * double(a) / n + c1)); };
    return qRgb(channel(qRed(begin), qRed(end)), channel(qGreen(begin), qGreen(end)),
                channel(qBlue(begin), qBlue(end)));
}

int blockPitch(const EdgeRect& track, TdxfPBOrientation orientation) {
    const int thickness = orientation == TdxfPBOrientation::orHorizontal ? track.height() : track.width();
    return 2 * thickness / 3 + 2;
}

std::vector<ProgressBlock> progressBlocks(const EdgeRect& bar, int pitch, TdxfPBOrientation orientation,
                                          bool finalBlock) {
    std::vector<ProgressBlock> blocks;
    if (pitch <= 0) return blocks;
    if (orientation == TdxfPBOrientation::orHorizontal) {
        int last = bar.left;
        for (int x = bar.left + pitch; x < bar.right; x += pitch) {
            blocks.push_back({{x - pitch, bar.top, x - 2, bar.bottom}, x - bar.left});
            last = x;
        }
        if (finalBlock) blocks.push_back({{last, bar.top, bar.right, bar.bottom}, last - bar.left});
    } else {
        int last = bar.bottom;
        for (int y = bar.bottom - 1 - pitch; y >= bar.top; y -= pitch) {
            blocks.push_back({{bar.left, y + 2, bar.right, y + pitch}, bar.bottom - y});
            last = y;
        }
        if (finalBlock) blocks.push_back({{bar.left, bar.top, bar.right, last}, bar.bottom - last});
    }
    return blocks;
}

QString progressText(const ProgressRange& range, TdxfShowTextStyle style) {
    if (style == TdxfShowTextStyle::stsPosition) return QString::number(range.position);
    if (range.max == range.min) return QStringLiteral("0 %");
    const double percent = double(range.position - range.min) * 100.0 / (double(range.max) - range.min);
    return QString::number(static_cast<long long>(std::nearbyint(percent))) + QStringLiteral(" %");
}

QRect progressInvalidation(int width, int height, const ProgressRange& range, int oldPosition,
                           TdxfPBOrientation orientation, int extraPitch) {
    const bool horizontal = orientation == TdxfPBOrientation::orHorizontal;
    const int extent = horizontal ? width : height;
    ProgressRange old = range;
    old.position = oldPosition;
    int a = filledLength(old, extent), b = filledLength(range, extent);
    if (a > b) std::swap(a, b);
    a -= 2 + extraPitch;
    b += 2 + extraPitch;
    if (horizontal) return QRect(a, 0, b - a, height);
    return QRect(0, height - b, width, b - a);
}

}  // namespace widgets
