#pragma once
// Geometry of the navigation window as pure functions: its size for an image, the
// rectangle that marks the visible part, and the start a drag point asks for.

#include "Ikutils.h"

namespace PanGeometry {

struct PanSize {
    int width = 0, height = 0;
    bool operator==(const PanSize&) const = default;
};

// Outer size for an image: the longer side is `size`, the other follows the image's
// proportion rounded; `captionHeight` (0 without a caption) is added to the height.
// An empty image gives an empty size.
PanSize windowSize(int imageWidth, int imageHeight, int size, int captionHeight);

// The visible part `src` (inclusive) starting at (startX, startY), in client pixels with
// exclusive right and bottom, pushed back inside the client's right and bottom edges.
Ikutils::IkRect visibleRect(int startX, int startY, const Ikutils::IkRect& src, double scaleX, double scaleY,
                            int clientWidth, int clientHeight);

struct PanStart {
    int x = 0, y = 0;
    bool operator==(const PanStart&) const = default;
};

// The image start for a rectangle grabbed at (grabX, grabY) and dragged to (x, y);
// negative values become 0.
PanStart dragStart(int x, int y, int grabX, int grabY, double scaleX, double scaleY);

// Whether (x, y) lies on or inside `rect` (edges included).
bool grabs(const Ikutils::IkRect& rect, int x, int y);

}  // namespace PanGeometry
