// Display geometry as pure functions.
#include "display/Ikutils.h"
#include "display/PanGeometry.h"

#include <gtest/gtest.h>

using namespace Ikutils;

namespace {

IkRect dispOf(int width, int height) { return IkRect{0, 0, width - 1, height - 1}; }

TEST(DisplayGeometry, CoordinatesConvertBothWaysTruncatingTowardZero) {
    EXPECT_EQ(ConvToImgX(35, 10, 400, 0.25), 500);
    EXPECT_EQ(ConvToScrnX(500, 400, 10, 0.25), 35);
    EXPECT_EQ(ConvToImgY(5, 10, 0, 2.0), -2);
    EXPECT_EQ(ConvToScrnY(7, 0, 3, 1.5), 13);
}

TEST(DisplayGeometry, FittedPictureNeverEnlargesAndIsCentred) {
    const Placement wide = fittedPlacement(vikScale, dispOf(300, 300), 3000, 1000);
    EXPECT_EQ(wide.left, 0);
    EXPECT_EQ(wide.top, 100);
    EXPECT_EQ(wide.width, 300);
    EXPECT_EQ(wide.height, 100);
    EXPECT_DOUBLE_EQ(wide.scaleWidth, 0.1);

    const Placement small = fittedPlacement(vikScale, IkRect{2, 2, 301, 301}, 100, 50);
    EXPECT_EQ(small.left, 102);
    EXPECT_EQ(small.top, 127);
    EXPECT_EQ(small.width, 100);
    EXPECT_DOUBLE_EQ(small.scaleHeight, 1.0);

    const Placement stretched = fittedPlacement(vikStretch, dispOf(300, 200), 30, 10);
    EXPECT_EQ(stretched.width, 300);
    EXPECT_EQ(stretched.height, 200);
    EXPECT_DOUBLE_EQ(stretched.scaleWidth, 10.0);

    EXPECT_FALSE(fittedPlacement(vikScale, dispOf(1, 300), 30, 10).drawn);
}

TEST(DisplayGeometry, SmallScaleShowsTheWholePageCentredWithoutBars) {
    const DispLayout layout = computeLayout(644, 414, 16, 0, 2480, 3508, 0.05, true, false, false);
    EXPECT_FALSE(layout.hBar);
    EXPECT_FALSE(layout.vBar);
    EXPECT_GT(layout.visibleWidth, 2480);
    EXPECT_GT(layout.visibleHeight, 3508);
    const IkRect source = actualSourceRect(0, 0, 0, 0, 0.05, layout.dispIncl, layout.visibleWidth,
                                           layout.visibleHeight, 2480, 3508);
    EXPECT_EQ(source, (IkRect{0, 0, 2479, 3507}));
    const Placement at = actualPlacement(layout.dispIncl, 0.05, source, 2480, 3508);
    EXPECT_EQ(at.left, 260);
    EXPECT_EQ(at.top, 119);
    EXPECT_EQ(at.width, 124);
    EXPECT_EQ(at.height, 175);
    EXPECT_EQ(at.sourceWidth, 2480);
}

TEST(DisplayGeometry, LargeScaleDrawsOneMoreColumnWhileTheImageContinues) {
    const IkRect disp = dispOf(643, 400);
    const DispLayout layout = computeLayout(643, 400, 16, 0, 1000, 1000, 4.0, false, false, false);
    EXPECT_EQ(layout.visibleWidth, 160);
    IkRect source = actualSourceRect(0, 0, 0, 0, 4.0, disp, 160, 100, 1000, 1000);
    Placement at = actualPlacement(disp, 4.0, source, 1000, 1000);
    EXPECT_EQ(at.sourceWidth, 161);
    EXPECT_EQ(at.width, 644);
    // At the right end there is no further column.
    source = actualSourceRect(5000, 0, 0, 0, 4.0, disp, 160, 100, 1000, 1000);
    EXPECT_EQ(source.left, 840);
    EXPECT_EQ(source.right, 999);
    at = actualPlacement(disp, 4.0, source, 1000, 1000);
    EXPECT_EQ(at.sourceWidth, 160);
    EXPECT_EQ(at.width, 640);
}

TEST(DisplayGeometry, StartAndCentreRequestsAreClamped) {
    const IkRect disp = dispOf(200, 100);
    struct Case {
        int startX, centreX, expectedLeft;
    } cases[] = {
        {0, 0, 0}, {50, 0, 50}, {-7, 0, 0}, {900, 0, 800}, {10, 500, 400}, {10, 60, 0}, {10, 990, 800},
    };
    for (const Case& c : cases) {
        const IkRect s = actualSourceRect(c.startX, 0, c.centreX, 0, 1.0, disp, 200, 100, 1000, 1000);
        EXPECT_EQ(s.left, c.expectedLeft) << c.startX << " / " << c.centreX;
        EXPECT_EQ(s.right, s.left + 199);
    }
    // An image narrower than the visible width starts at 0.
    EXPECT_EQ(actualSourceRect(30, 0, 0, 0, 1.0, disp, 200, 100, 120, 80), (IkRect{0, 0, 119, 79}));
}

TEST(DisplayGeometry, ScrollBarStepRunsTwice) {
    // Wider only: the horizontal bar takes height, which then calls for the vertical bar.
    DispLayout both = computeLayout(200, 200, 16, 0, 250, 190, 1.0, true, false, false);
    EXPECT_TRUE(both.hBar);
    EXPECT_TRUE(both.vBar);
    EXPECT_EQ(both.clientIncl, (IkRect{0, 0, 183, 183}));
    EXPECT_EQ(both.visibleWidth, 184);
    DispLayout none = computeLayout(200, 200, 16, 2, 190, 190, 1.0, true, false, false);
    EXPECT_FALSE(none.hBar || none.vBar);
    EXPECT_EQ(none.dispIncl, (IkRect{2, 2, 197, 197}));
    DispLayout notWanted = computeLayout(200, 200, 16, 0, 900, 900, 1.0, false, true, true);
    EXPECT_FALSE(notWanted.hBar || notWanted.vBar);
    EXPECT_EQ(borderInset(true, vikFlat), 1);
    EXPECT_EQ(borderInset(true, vikRaised), 2);
    EXPECT_EQ(borderInset(false, vikLowered), 0);
}

TEST(DisplayGeometry, MarginsAreStripsAroundThePicture) {
    const auto strips = marginStrips(IkRect{0, 0, 100, 100}, IkRect{10, 20, 60, 80});
    ASSERT_EQ(strips.size(), 4u);
    EXPECT_EQ(strips[0], (IkRect{0, 0, 100, 20}));
    EXPECT_EQ(strips[1], (IkRect{60, 0, 100, 100}));
    EXPECT_EQ(strips[2], (IkRect{0, 80, 100, 100}));
    EXPECT_EQ(strips[3], (IkRect{0, 0, 10, 100}));
    // A picture past the right and bottom edges leaves only the strips above and left.
    EXPECT_EQ(marginStrips(IkRect{0, 0, 100, 100}, IkRect{0, 5, 104, 103}).size(), 1u);
    EXPECT_TRUE(marginStrips(IkRect{0, 0, 100, 100}, IkRect{0, 0, 100, 100}).empty());
}

TEST(DisplayGeometry, ZoomTakesTheSmallerScale) {
    EXPECT_DOUBLE_EQ(zoomScale(dispOf(400, 300), 0, 0, 99, 199), 1.5);
    EXPECT_DOUBLE_EQ(zoomScale(dispOf(400, 300), 10, 10, 19, 19), 30.0);
}

TEST(NavigationGeometry, WindowSizeKeepsTheImageProportionOnTheLongerSide) {
    struct Case {
        int imageWidth, imageHeight, size, caption;
        PanGeometry::PanSize expected;
    };
    const Case cases[] = {
        {2480, 3508, 200, 22, {141, 222}},  // A4 portrait page: 200 × 2480 ÷ 3508 = 141.39
        {3508, 2480, 200, 0, {200, 141}},
        {500, 500, 200, 0, {200, 200}},     // square: both sides the size
        {1000, 3, 200, 0, {200, 1}},        // 0.6 rounds up
        {1000, 2, 200, 18, {200, 18}},      // 0.4 rounds down to nothing but the caption
        {1, 1, 0, 0, {0, 0}},
        {0, 100, 200, 20, {0, 0}},          // no image, no size
    };
    for (const Case& c : cases)
        EXPECT_EQ(PanGeometry::windowSize(c.imageWidth, c.imageHeight, c.size, c.caption), c.expected)
            << c.imageWidth << "x" << c.imageHeight << " size " << c.size;
}

TEST(NavigationGeometry, VisiblePartIsScaledAndPushedBackInsideTheClient) {
    struct Case {
        int startX, startY;
        IkRect src;
        double scaleX, scaleY;
        int cw, ch;
        IkRect expected;
    };
    const Case cases[] = {
        {0, 0, {0, 0, 299, 199}, 0.2, 0.2, 200, 160, {0, 0, 60, 40}},
        {500, 250, {500, 250, 799, 449}, 0.2, 0.2, 200, 160, {100, 50, 160, 90}},
        // Rounded positions can overshoot: the rectangle then ends at the client's edge.
        {703, 603, {703, 603, 1002, 802}, 0.2, 0.2, 200, 160, {140, 120, 200, 160}},
        {997, 797, {997, 797, 1296, 996}, 0.2, 0.2, 200, 160, {140, 120, 200, 160}},
        // A part larger than the image reaches out of the left and top.
        {0, 0, {0, 0, 1199, 999}, 0.2, 0.2, 200, 160, {-40, -40, 200, 160}},
        // The two scales of a stretched thumbnail differ.
        {100, 100, {100, 100, 199, 199}, 0.1, 0.05, 200, 160, {10, 5, 20, 10}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PanGeometry::visibleRect(c.startX, c.startY, c.src, c.scaleX, c.scaleY, c.cw, c.ch), c.expected)
            << c.startX << "," << c.startY;
}

TEST(NavigationGeometry, DragPointGivesTheStartNeverNegative) {
    struct Case {
        int x, y, grabX, grabY;
        double scaleX, scaleY;
        PanGeometry::PanStart expected;
    };
    const Case cases[] = {
        {30, 20, 10, 10, 0.2, 0.2, {100, 50}},
        {31, 20, 10, 10, 0.2, 0.2, {105, 50}},
        {30, 20, 10, 10, 0.3, 0.25, {67, 40}},     // 66.67 rounds up, 40 exact
        {5, 3, 10, 10, 0.2, 0.2, {0, 0}},          // left of and above the image: column and row 0
        {10, 10, 10, 10, 0.2, 0.2, {0, 0}},
        {50, 50, 0, 0, 0, 0.2, {0, 0}},            // no thumbnail scale, no move
    };
    for (const Case& c : cases)
        EXPECT_EQ(PanGeometry::dragStart(c.x, c.y, c.grabX, c.grabY, c.scaleX, c.scaleY), c.expected)
            << c.x << "," << c.y;
    const IkRect r{10, 20, 70, 60};
    EXPECT_TRUE(PanGeometry::grabs(r, 10, 20));
    EXPECT_TRUE(PanGeometry::grabs(r, 70, 60));  // right and bottom edges included
    EXPECT_FALSE(PanGeometry::grabs(r, 71, 40));
    EXPECT_FALSE(PanGeometry::grabs(r, 40, 19));
}

}  // namespace
