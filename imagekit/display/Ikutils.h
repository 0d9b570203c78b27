#pragma once
// Geometry of the display control as pure functions: coordinate conversion, the display
// rectangle and scroll-bar layout, the start position and its clamp, where a fitted,
// stretched or actual-size picture is drawn, the margin strips and the zoom scale.
// Rectangles named Incl have inclusive right and bottom edges; others exclusive.

#include <cstdint>
#include <vector>

enum TVIkDispMode : std::uint8_t {
    vikClear = 0,
    vikScale = 1,
    vikStretch = 2,
    vikActualSize = 3,
    vikFitToWidth = 4,
    vikFitToHeight = 5,
};

enum TVIkAppearance : std::uint8_t { vikFlat = 0, vikLowered = 1, vikRaised = 2 };

namespace Ikutils {

struct IkRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const IkRect&) const = default;
};

int ConvToImgX(int x, int origin, int start, double scale);
int ConvToImgY(int y, int origin, int start, double scale);
int ConvToScrnX(int x, int start, int origin, double scale);
int ConvToScrnY(int y, int start, int origin, double scale);

// Pixels the border takes on each side: 1 flat, 2 lowered or raised, 0 without border.
int borderInset(bool borderVisible, TVIkAppearance appearance);

// The display rectangle (inclusive) inside a client rectangle (inclusive).
IkRect displayRectIncl(const IkRect& clientIncl, int inset);

struct DispLayout {
    IkRect clientIncl;
    IkRect dispIncl;
    int visibleWidth = 0, visibleHeight = 0;
    bool hBar = false, vBar = false;
};

// The layout of a control of widgetWidth × widgetHeight whose scroll bars are barExtent
// thick. The scroll-bar step runs twice: a bar that appears narrows the area, which may
// call for the other bar. hShown, vShown: the bars shown before.
DispLayout computeLayout(int widgetWidth, int widgetHeight, int barExtent, int inset, int imageWidth,
                         int imageHeight, double scale, bool barsWanted, bool hShown, bool vShown);

// The visible source rectangle (inclusive) in the actual-size mode: the start, or the
// one-shot centre request, clamped to the image.
IkRect actualSourceRect(int startX, int startY, int centreX, int centreY, double scale, const IkRect& dispIncl,
                        int visibleWidth, int visibleHeight, int imageWidth, int imageHeight);
// The visible source rectangle clamped after a scroll step set its left and top.
IkRect clampSourceRect(IkRect source, int visibleWidth, int visibleHeight, int imageWidth, int imageHeight);

// Where a picture goes: drawn rectangle (left, top, width, height), the source size it
// takes (sourceWidth × sourceHeight from the source rectangle's corner) and the scales.
struct Placement {
    bool drawn = false;
    int left = 0, top = 0, width = 0, height = 0;
    int sourceWidth = 0, sourceHeight = 0;
    double scaleWidth = 1.0, scaleHeight = 1.0;
};

// vikScale (fit without enlarging, centred) and vikStretch.
Placement fittedPlacement(TVIkDispMode mode, const IkRect& dispIncl, int imageWidth, int imageHeight);
// vikActualSize at `scale` for the visible source rectangle.
Placement actualPlacement(const IkRect& dispIncl, double scale, const IkRect& sourceIncl, int imageWidth,
                          int imageHeight);
// vikActualSize from a copy reduced to the display scale: no extra column or row.
Placement reducedPlacement(const IkRect& dispIncl, double scale, int imageWidth, int imageHeight);

// The parts of the display rectangle (exclusive) not covered by the drawn rectangle, in
// the order above, right, below, left; empty strips left out.
std::vector<IkRect> marginStrips(const IkRect& disp, const IkRect& drawn);

// The scale that shows the inclusive image rectangle as large as it fits.
double zoomScale(const IkRect& dispIncl, int left, int top, int right, int bottom);

}  // namespace Ikutils
