#pragma once
// Geometry and colours of the gradient progress bar, computed without a window.
// Rectangles are edge rectangles: right and bottom lie one past the last pixel.

#include <QRect>
#include <QRgb>
#include <QString>

#include <optional>
#include <vector>

namespace widgets {

enum class TdxfPBOrientation { orVertical, orHorizontal };
enum class TdxfPBStyle { sSolid, sRectangles, sExSolid, sExRectangles, sPictures };
enum class TdxfBevelOuter { bvNone, bvLowered, bvRaised };
enum class TdxfShowTextStyle { stsPercent, stsPosition };

struct EdgeRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
    bool operator==(const EdgeRect&) const = default;
};

struct ProgressRange {
    int min = 0;
    int max = 100;
    int position = 0;
};

// The track: the client area, 2 pixels in on every side when the control has a bevel.
EdgeRect progressTrack(int width, int height, bool bevelled);

// The filled part of the track, none while the position is at the minimum (or the range is empty).
std::optional<EdgeRect> progressBar(const EdgeRect& track, const ProgressRange& range, TdxfPBOrientation orientation);

// Gradient colour a/n of the way from begin to end, each channel truncated.
QRgb progressGradient(QRgb begin, QRgb end, int a, int n);

// Distance between block starts: two thirds of the track's thickness plus 2.
int blockPitch(const EdgeRect& track, TdxfPBOrientation orientation);

struct ProgressBlock {
    EdgeRect rect;
    int gradientOffset;  // a of the block's gradient colour, along the track
};

// The whole blocks of the bar, then the final partial block when the position has reached
// the maximum. `pitch` is the block pitch (or the picture size for pictures).
std::vector<ProgressBlock> progressBlocks(const EdgeRect& bar, int pitch, TdxfPBOrientation orientation,
                                          bool finalBlock);

// "50 %" (to the nearest integer, halves to even) or the position in decimal.
QString progressText(const ProgressRange& range, TdxfShowTextStyle style);

// Band to repaint when the position moves, across the whole control, widened by 2 pixels at
// each end and, for block and picture styles, by one more pitch.
QRect progressInvalidation(int width, int height, const ProgressRange& range, int oldPosition,
                           TdxfPBOrientation orientation, int extraPitch);

}  // namespace widgets
