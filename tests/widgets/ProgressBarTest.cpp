#include "widgets/Dxfprogressbar.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace widgets;

namespace {

// The progress window's bar: 300 × 16, lowered bevels, gradient blocks from navy to white, Max 10.
void configureAppBar(TdxfProgressBar& bar) {
    bar.resize(300, 16);
    bar.SetOrientation(TdxfPBOrientation::orHorizontal);
    bar.SetStyle(TdxfPBStyle::sExRectangles);
    bar.SetBevelOuter(TdxfBevelOuter::bvLowered);
    bar.SetBarBevelOuter(TdxfBevelOuter::bvLowered);
    bar.SetMax(10);
    bar.SetStep(1);
}

QImage render(QWidget& w) {
    QImage image(w.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    w.render(&image);
    return image;
}

// Columns of the track's middle row that hold block colour (not the track background).
std::vector<std::pair<int, int>> blockRuns(const QImage& image, QRgb background) {
    std::vector<std::pair<int, int>> runs;
    const int y = image.height() / 2;
    for (int x = 2; x < image.width() - 2; ++x) {
        if (image.pixel(x, y) == background) continue;
        int end = x;
        while (end + 1 < image.width() - 2 && image.pixel(end + 1, y) != background) ++end;
        runs.emplace_back(x, end);
        x = end;
    }
    return runs;
}

TEST(ProgressBar, HalfWayShowsFourteenGradientBlocks) {
    TdxfProgressBar bar;
    configureAppBar(bar);
    bar.SetPosition(5);
    const QImage image = render(bar);
    const QRgb background = toQColor(bar.Color()).rgb();
    const auto runs = blockRuns(image, background);
    ASSERT_EQ(runs.size(), 14u);
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].first, 2 + 10 * int(i));
        EXPECT_EQ(runs[i].second, 9 + 10 * int(i));
    }
    // Inside the block's bevel: the block's own colour, lighter along the track.
    EXPECT_EQ(image.pixel(5, 8), qRgb(8, 8, 132));
    EXPECT_GT(qRed(image.pixel(135, 8)), qRed(image.pixel(5, 8)));
    EXPECT_EQ(image.pixel(150, 8), background);
}

TEST(ProgressBar, FullBarEndsWithTheFinalPartialBlockAndStepItCompletesIt) {
    TdxfProgressBar bar;
    configureAppBar(bar);
    bar.SetPosition(9);
    bar.StepIt();
    EXPECT_EQ(bar.Position(), 10);
    const auto runs = blockRuns(render(bar), toQColor(bar.Color()).rgb());
    ASSERT_EQ(runs.size(), 30u);
    EXPECT_EQ(runs[28], std::make_pair(282, 289));
    EXPECT_EQ(runs[29], std::make_pair(292, 297));  // six pixels
}

TEST(ProgressBar, PositionAtMinimumDrawsOnlyBackgroundAndBevelInEveryStyle) {
    QPixmap picture(6, 12);
    picture.fill(Qt::red);
    for (TdxfPBStyle style : {TdxfPBStyle::sSolid, TdxfPBStyle::sRectangles, TdxfPBStyle::sExSolid,
                              TdxfPBStyle::sExRectangles, TdxfPBStyle::sPictures}) {
        for (TdxfPBOrientation o : {TdxfPBOrientation::orHorizontal, TdxfPBOrientation::orVertical}) {
            TdxfProgressBar bar;
            bar.resize(60, 30);
            bar.SetOrientation(o);
            bar.SetStyle(style);
            bar.SetGlyph(picture);
            bar.SetMin(3);
            bar.SetPosition(3);
            const QImage image = render(bar);
            const QRgb background = toQColor(bar.Color()).rgb();
            for (int y = 2; y < bar.height() - 2; ++y)
                for (int x = 2; x < bar.width() - 2; ++x)
                    ASSERT_EQ(image.pixel(x, y), background) << int(style) << ' ' << x << ',' << y;
            EXPECT_EQ(image.pixel(0, 0), toQColor(TColor(0x80000010)).rgb());  // sunken: shadow at top left
        }
    }
}

TEST(ProgressBar, VerticalBlocksGrowFromTheBottom) {
    TdxfProgressBar bar;
    bar.resize(16, 100);
    bar.SetPosition(50);  // vertical blocks by default
    const QImage image = render(bar);
    const QRgb navy = qRgb(0, 0, 128);
    EXPECT_EQ(image.pixel(8, 95), navy);
    EXPECT_NE(image.pixel(8, 20), navy);
    // Pitch 10 on a 12-wide track: the first block spans rows 89 to 96, the next ends at 86.
    const QRgb background = toQColor(bar.Color()).rgb();
    EXPECT_EQ(image.pixel(8, 97), background);
    EXPECT_EQ(image.pixel(8, 96), navy);
    EXPECT_EQ(image.pixel(8, 89), navy);
    EXPECT_EQ(image.pixel(8, 88), background);
    EXPECT_EQ(image.pixel(8, 86), navy);
}

TEST(ProgressBar, SettersRefuseAnInvertedRange) {
    TdxfProgressBar bar;
    bar.SetMin(5);
    bar.SetMax(4);
    EXPECT_EQ(bar.Max(), 100);
    bar.SetMax(5);
    bar.SetMin(6);
    EXPECT_EQ(bar.Min(), 5);
    EXPECT_EQ(bar.Max(), 5);
}

TEST(ProgressBar, EmptyRangeDrawsAnEmptyTrack) {
    TdxfProgressBar bar;
    configureAppBar(bar);
    bar.SetMax(0);
    bar.SetPosition(3);
    bar.SetShowText(true);
    const QImage image = render(bar);
    EXPECT_EQ(image.pixel(20, 8), toQColor(bar.Color()).rgb());
}

TEST(ProgressBar, PositionBeyondMaximumFillsTheTrackAndReportsOverHundred) {
    TdxfProgressBar bar;
    configureAppBar(bar);
    bar.SetStyle(TdxfPBStyle::sSolid);
    bar.SetBarBevelOuter(TdxfBevelOuter::bvNone);
    bar.SetPosition(15);
    const QImage image = render(bar);
    EXPECT_EQ(image.pixel(2, 8), qRgb(0, 0, 128));
    EXPECT_EQ(image.pixel(297, 8), qRgb(0, 0, 128));
    EXPECT_EQ(progressText({0, 10, 15}, TdxfShowTextStyle::stsPercent), QStringLiteral("150 %"));
}

TEST(ProgressBarText, PercentRoundsHalvesToEvenAndPositionIsDecimal) {
    struct Case {
        ProgressRange range;
        TdxfShowTextStyle style;
        const char* text;
    };
    for (const Case& c : {Case{{0, 10, 5}, TdxfShowTextStyle::stsPercent, "50 %"},
                          Case{{0, 8, 1}, TdxfShowTextStyle::stsPercent, "12 %"},   // 12.5
                          Case{{0, 8, 3}, TdxfShowTextStyle::stsPercent, "38 %"},   // 37.5
                          Case{{0, 3, 1}, TdxfShowTextStyle::stsPercent, "33 %"},
                          Case{{5, 5, 5}, TdxfShowTextStyle::stsPercent, "0 %"},
                          Case{{0, 10, 7}, TdxfShowTextStyle::stsPosition, "7"}})
        EXPECT_EQ(progressText(c.range, c.style), QString::fromLatin1(c.text));
}

TEST(ProgressBarText, HalfWayTextIsCentred) {
    TdxfProgressBar bar;
    configureAppBar(bar);
    bar.SetStyle(TdxfPBStyle::sSolid);
    bar.SetBeginColor(kWhite);
    bar.SetColor(kWhite);
    bar.SetBevelOuter(TdxfBevelOuter::bvNone);
    bar.SetBarBevelOuter(TdxfBevelOuter::bvNone);
    bar.SetPosition(5);
    bar.SetShowText(true);
    const QImage image = render(bar);
    int left = 300, right = -1;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 300; ++x)
            if (qRed(image.pixel(x, y)) < 128) left = std::min(left, x), right = std::max(right, x);
    ASSERT_GE(right, 0);
    EXPECT_NEAR((left + right) / 2.0, 150, 3);
}

TEST(ProgressBarInvalidation, BandCoversBothEndsWithMarginAndPitch) {
    // 300 wide, 0…10: 5 → 150, 6 → 180; 2 pixels and one pitch (2 × 16 ÷ 3 + 2 = 12) at each end.
    EXPECT_EQ(progressInvalidation(300, 16, {0, 10, 6}, 5, TdxfPBOrientation::orHorizontal, 12),
              QRect(136, 0, 58, 16));
    EXPECT_EQ(progressInvalidation(300, 16, {0, 10, 5}, 6, TdxfPBOrientation::orHorizontal, 0), QRect(148, 0, 34, 16));
    // Vertical, 100 high: 5 → 50 and 6 → 60 from the bottom.
    EXPECT_EQ(progressInvalidation(16, 100, {0, 10, 6}, 5, TdxfPBOrientation::orVertical, 0), QRect(0, 38, 16, 14));
}

}  // namespace
