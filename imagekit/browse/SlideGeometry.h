#pragma once
// Geometry of the slide control as pure functions: the fitted size of an image, where it
// is centred, the draw area inside the border, and the steps of a wipe with their
// progress percentages.

#include "display/Ikutils.h"

#include <cstdint>
#include <vector>

enum TVIkSlideScroll : std::uint8_t {
    vikNormal = 0,
    vikRightToLeft = 1,
    vikLeftToRight = 2,
    vikUpToDown = 3,
    vikDownToUp = 4,
};

struct SlideSize {
    int width = 0, height = 0;
    bool operator==(const SlideSize&) const = default;
};

// The size of an image of imageWidth × imageHeight shrunk to fit areaWidth × areaHeight
// (never enlarged): the larger of the two shrink factors, held in single precision, and
// each side divided by it, rounded half up. 0 × 0 for an empty area or image.
SlideSize GetImageSize(int areaWidth, int areaHeight, int imageWidth, int imageHeight);

// The left and top offsets that centre a width × height picture in the area; halves
// truncated towards zero.
SlideSize centreOffset(int areaWidth, int areaHeight, int width, int height);

// The draw area (inclusive) of a client of width × height: less 1 pixel on each side for a
// visible flat border, 2 for a lowered or raised one, nothing without a border.
Ikutils::IkRect slideDrawArea(int width, int height, bool borderVisible, TVIkAppearance appearance);

// One copy of a wipe along its axis (columns or rows): `count` lines of the composed
// bitmap starting at line `source` go to line `target` of the draw area. `percent` is the
// progress after the copy (−1 after the first).
struct WipeStep {
    int source = 0, target = 0, count = 0, percent = 0;
    bool operator==(const WipeStep&) const = default;
};

// The copies that bring a bitmap of `extent` lines in from one edge, `scrollSize` lines
// more each time (below 1 counts as 1, above extent as extent). Nothing for vikNormal or an
// empty extent.
std::vector<WipeStep> wipeSteps(TVIkSlideScroll dir, int extent, int scrollSize);

// Whether a direction wipes columns (true) or rows.
constexpr bool wipesColumns(TVIkSlideScroll dir) { return dir == vikRightToLeft || dir == vikLeftToRight; }
