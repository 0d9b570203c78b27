#pragma once
// The display control's input rules as pure functions: what a scroll request does to the
// visible source rectangle, the wheel step and accumulator, the scroll-drag start, the
// image pixel under the mouse and the page a drag source hands over in the window title.

#include "Ikutils.h"

#include <QString>

#include <cstdint>

// Scroll request codes: line, page, thumb position and track, the ends, end of scroll.
enum TScrollCode : std::uint8_t {
    scLineUp = 0,
    scLineDown = 1,
    scPageUp = 2,
    scPageDown = 3,
    scPosition = 4,
    scTrack = 5,
    scTop = 6,
    scBottom = 7,
    scEndScroll = 8,
};

enum TVIkScrollDir : std::uint8_t {
    vikUpLeft = 0,
    vikUp = 1,
    vikUpRight = 2,
    vikRight = 3,
    vikDownRight = 4,
    vikDown = 5,
    vikDownLeft = 6,
    vikLeft = 7,
};

namespace DisplayInput {

// One axis of the source rectangle: top and bottom, or left and right (inclusive).
struct Span {
    int first = 0, last = 0;
    bool operator==(const Span&) const = default;
};

// The span after a scroll request with `step` the line step, `visible` the visible image
// pixels and `pos` the track position. False (span unchanged) for codes that do nothing.
// The display run clamps the result to the image afterwards.
bool scrollSpan(TScrollCode code, int pos, int step, int visible, int imageSize, Span& span);

// The source rectangle moved one line step toward `direction`.
Ikutils::IkRect scrolledTowards(TVIkScrollDir direction, Ikutils::IkRect source, int scrollWidth,
                                int scrollHeight);

// 120 divided by the system's wheel-scroll lines; 0 for no lines, more than 120 lines
// or page-wise scrolling (negative).
unsigned wheelStep(int scrollLines);

// What one wheel message does: line requests up (away from the user) or down, and
// whether the event that follows is the upward one.
struct WheelTurn {
    int linesUp = 0, linesDown = 0;
    bool up = false;
};

// Sums wheel deltas and takes whole steps; the remainder stays for the next message.
class WheelAccumulator {
public:
    explicit WheelAccumulator(unsigned step) : step_(static_cast<int>(step)) {}
    WheelTurn add(int delta);
    int remainder() const { return sum_; }
    unsigned step() const { return static_cast<unsigned>(step_); }

private:
    int step_;
    int sum_ = 0;
};

struct ImagePoint {
    int x = 0, y = 0;
    bool operator==(const ImagePoint&) const = default;
};

// The image point under the client point (x, y) of the drawn picture, also outside it.
ImagePoint imagePointAt(int x, int y, const Ikutils::IkRect& drawn, const Ikutils::IkRect& source,
                        double scaleWidth, double scaleHeight);

// The start (StartX, StartY) that keeps `anchor` under the mouse at (x, y).
ImagePoint dragStart(const ImagePoint& anchor, int x, int y, const Ikutils::IkRect& drawn,
                     const Ikutils::IkRect& source, double scaleWidth, double scaleHeight);

// Whether (x, y) hits the drawn picture (right and bottom edges included) while a source
// rectangle is shown; the image events fire only then.
bool hitsPicture(int x, int y, const Ikutils::IkRect& drawn, const Ikutils::IkRect& source);

// The display control's window title, to which a drag source appends a page.
inline constexpr char kPageTitle[] = "RoduvIzi7";

// The page a window title carries: its last five characters as a decimal number (0 when
// they are not one) when it holds the display title and is longer; `carried` says so,
// and then the title is to be set back.
struct TitlePage {
    int page = 0;
    bool carried = false;
};
TitlePage pageFromTitle(const QString& title);

}  // namespace DisplayInput
