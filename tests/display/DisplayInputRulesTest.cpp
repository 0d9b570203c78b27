// The display control's input rules without a window: scroll requests against the clamp,
// the wheel step and accumulator, the picture hit test and the page carried in a title.
#include "display/DisplayInput.h"

#include <gtest/gtest.h>

using namespace DisplayInput;

namespace {

// The top a vertical request leaves after the display run's clamp: image 1000 rows,
// 300 visible, line step 10.
TEST(DisplayInputRules, ScrollRequestsStayInsideTheImage) {
    constexpr int kImage = 1000, kVisible = 300, kStep = 10;
    struct Case {
        TScrollCode code;
        int pos, top, handled, expectedTop;
    } cases[] = {
        {scLineUp, 0, 0, true, 0},          // at the top: stays
        {scLineUp, 0, 25, true, 15},
        {scLineDown, 0, 695, true, 700},    // the last line step is cut at the end
        {scPageUp, 0, 120, true, 0},
        {scPageUp, 0, 500, true, 200},
        {scPageDown, 0, 0, true, 300},
        {scPageDown, 0, 650, true, 700},    // near the end: the last full page
        {scTrack, 457, 10, true, 457},
        {scTrack, 900, 10, true, 700},
        {scTop, 0, 500, true, 0},
        {scBottom, 0, 0, true, 700},        // the last full page, not a single row
        {scPosition, 457, 10, false, 10},
        {scEndScroll, 0, 10, false, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << int(c.code) << " from " << c.top);
        Span span{c.top, c.top + kVisible - 1};
        EXPECT_EQ(scrollSpan(c.code, c.pos, kStep, kVisible, kImage, span), bool(c.handled));
        const Ikutils::IkRect clamped =
            Ikutils::clampSourceRect(Ikutils::IkRect{0, span.first, 0, span.last}, 1, kVisible, 1, kImage);
        EXPECT_EQ(clamped.top, c.expectedTop);
        EXPECT_EQ(clamped.bottom, c.expectedTop + kVisible - 1);
    }
}

TEST(DisplayInputRules, WheelStepFromTheSystemSetting) {
    const std::pair<int, unsigned> cases[] = {{3, 40}, {1, 120}, {7, 17}, {120, 1}, {121, 0}, {0, 0}, {-1, 0}};
    for (auto [lines, step] : cases) EXPECT_EQ(wheelStep(lines), step) << lines << " lines";
}

// One accumulator through a run of messages: each row starts where the one above ended.
TEST(DisplayInputRules, WheelAccumulatorKeepsTheRemainder) {
    struct Row {
        int delta, up, down;
        bool upEvent;
        int remainder;
    } rows[] = {
        {120, 3, 0, true, 0},   // one notch away from the user
        {-120, 0, 3, false, 0}, // one notch toward the user
        {60, 1, 0, true, 20},
        {30, 1, 0, true, 10},   // 20 + 30 makes one more step
        {-30, 0, 0, false, -20},
        {-30, 0, 1, false, -10},
        {10, 0, 0, false, 0},   // no step taken: the downward event
        {30, 0, 0, false, 30},
    };
    WheelAccumulator wheel(40);
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "delta " << r.delta);
        const WheelTurn turn = wheel.add(r.delta);
        EXPECT_EQ(turn.linesUp, r.up);
        EXPECT_EQ(turn.linesDown, r.down);
        EXPECT_EQ(turn.up, r.upEvent);
        EXPECT_EQ(wheel.remainder(), r.remainder);
    }
    WheelAccumulator off(0);
    const WheelTurn none = off.add(1200);
    EXPECT_EQ(none.linesUp, 0);
    EXPECT_EQ(off.remainder(), 0);
}

TEST(DisplayInputRules, PictureHitAndImagePixel) {
    // Drawn at (100, 50), 200 × 200 screen pixels (right, bottom exclusive), scale 2.
    const Ikutils::IkRect drawn{100, 50, 300, 250}, source{20, 10, 119, 109};
    struct Case {
        int x, y;
        bool hit;
        ImagePoint pixel;
    } cases[] = {
        {100, 50, true, {20, 10}}, {141, 53, true, {40, 11}}, {300, 250, true, {120, 110}},  // edges included
        {99, 60, false, {20, 15}}, {150, 251, false, {45, 110}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(hitsPicture(c.x, c.y, drawn, source), c.hit);
        EXPECT_EQ(imagePointAt(c.x, c.y, drawn, source, 2.0, 2.0), c.pixel);
    }
    EXPECT_FALSE(hitsPicture(150, 100, drawn, Ikutils::IkRect{0, 0, 0, 99})) << "no source rectangle shown";
}

TEST(DisplayInputRules, PageReadFromTheWindowTitle) {
    struct Case {
        const char* title;
        int page;
        bool carried;
    } cases[] = {
        {"RoduvIzi7", 0, false},
        {"RoduvIzi700003", 3, true},
        {"RoduvIzi712345", 12345, true},
        {"RoduvIzi7abcde", 0, true},   // not a number
        {"RoduvIzi70", 0, true},       // the last five characters are "Izi70"
        {"Other00003", 0, false},
        {"RoduvIzi7000000000000000000000000000042", 0, true},  // only 31 characters are read
    };
    for (const Case& c : cases) {
        const TitlePage t = pageFromTitle(QString::fromLatin1(c.title));
        EXPECT_EQ(t.page, c.page) << c.title;
        EXPECT_EQ(t.carried, c.carried) << c.title;
    }
}

}  // namespace
