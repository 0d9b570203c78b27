#include "widgets/Gradbox.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>

using widgets::TFontStyle3D;
using widgets::TGradBox;
using widgets::TGradStyle;

namespace {

QImage render(TGradBox& box, QRgb underneath = qRgb(255, 0, 255)) {
    QImage image(box.size(), QImage::Format_RGB32);
    image.fill(underneath);
    box.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// A channel of table entry i computed directly: start − i × (start − end) ÷ 255, truncated.
int entryChannel(int start, int end, int i) {
    return static_cast<int>(std::trunc(start - i * (start - end) / 255.0L));
}

template <typename Pred>
int countWhere(const QImage& image, Pred pred) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += pred(image.pixel(x, y));
    return n;
}

int countColor(const QImage& image, QRgb color) {
    return countWhere(image, [color](QRgb p) { return p == color; });
}

// Text is antialiased, so its pixels are recognised by their hue rather than an exact value.
bool dark(QRgb p) { return qRed(p) < 90 && qGreen(p) < 90 && qBlue(p) < 90; }
bool reddish(QRgb p) { return qRed(p) > qGreen(p) + 60 && qRed(p) > qBlue(p) + 60; }
bool whitish(QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200; }
bool greyOnBlue(QRgb p) { return qRed(p) > 60 && qRed(p) < 200 && qRed(p) == qGreen(p) && qBlue(p) > qRed(p); }

TGradBox& captionBar(TGradBox& box) {
    box.resize(300, 22);
    box.SetCaption(QStringLiteral("ファイルから作成"));
    box.SetCaptionLeft(6);
    box.SetCaptionTop(5);
    QFont font;
    font.setPixelSize(12);
    box.setFont(font);
    return box;
}

TEST(GradColorTable, EndsAreExactAndStepsTruncate) {
    const auto table = widgets::gradColorTable(qRgb(128, 255, 0), qRgb(0, 255, 0));
    EXPECT_EQ(table[0], qRgb(128, 255, 0));
    EXPECT_EQ(table[255], qRgb(0, 255, 0));
    for (int i : {1, 12, 100, 254}) EXPECT_EQ(qRed(table[i]), entryChannel(128, 0, i)) << i;
    const auto rising = widgets::gradColorTable(qRgb(0, 0, 0), qRgb(255, 255, 255));
    for (int i : {1, 128, 254}) EXPECT_EQ(qBlue(rising[i]), entryChannel(0, 255, i)) << i;
}

TEST(GradBox, CaptionStripTopRowShowsEntry12AndBottomRowTheLastColor) {
    TGradBox box;
    box.resize(768, 22);
    box.SetTopColor(65408);
    const QImage image = render(box);
    const QRgb entry12 = qRgb(entryChannel(128, 0, 12), 255, 0);
    for (int x : {0, 383, 767}) {
        EXPECT_EQ(image.pixel(x, 0), entry12);
        EXPECT_EQ(image.pixel(x, 21), qRgb(0, 255, 0));
    }
    EXPECT_NE(image.pixel(0, 0), qRgb(128, 255, 0));  // not exactly the top colour
}

TEST(GradBox, BottomTopMirrorsTheGradient) {
    TGradBox box;
    box.resize(768, 22);
    box.SetTopColor(65408);
    box.SetGradStyle(TGradStyle::gsBottomTop);
    const QImage image = render(box);
    EXPECT_EQ(image.pixel(10, 0), qRgb(entryChannel(0, 128, 12), 255, 0));
    EXPECT_EQ(image.pixel(10, 21), qRgb(128, 255, 0));
}

TEST(GradBox, LeftRightRunsAcrossInBands) {
    TGradBox box;
    box.resize(510, 10);
    box.SetTopColor(widgets::kBlack);
    box.SetLastColor(widgets::kWhite);
    box.SetGradStyle(TGradStyle::gsLeftRight);
    const QImage image = render(box);
    // a = 2: entry j (j ≥ 1) starts at 2(j − 1) and is 3 wide, so column 2k shows entry k + 1.
    EXPECT_EQ(qRed(image.pixel(0, 5)), entryChannel(0, 255, 1));
    EXPECT_EQ(qRed(image.pixel(200, 5)), entryChannel(0, 255, 101));
    EXPECT_EQ(image.pixel(509, 5), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(200, 0), image.pixel(200, 9));
}

TEST(GradBox, DepthZeroLow3DDrawsOnlyTheText) {
    TGradBox plain;
    captionBar(plain).SetGradStyle(TGradStyle::gsNone);
    TGradBox shadowed;
    captionBar(shadowed).SetGradStyle(TGradStyle::gsNone);
    shadowed.SetFont3D(true);
    shadowed.SetStyle3D(TFontStyle3D::fsLow3D);
    shadowed.SetBackFont(widgets::rgbColor(255, 0, 0));
    shadowed.SetFontDepth(0);
    const QImage image = render(shadowed, qRgb(255, 255, 255));
    EXPECT_EQ(image, render(plain, qRgb(255, 255, 255)));
    EXPECT_GT(countWhere(image, dark), 20);
    EXPECT_EQ(countWhere(image, reddish), 0);

    shadowed.SetFontDepth(2);
    EXPECT_GT(countWhere(render(shadowed, qRgb(255, 255, 255)), reddish), 20);
}

TEST(GradBox, DisabledCaptionIsEngravedWhateverFont3DSays) {
    TGradBox box;
    captionBar(box).SetGradStyle(TGradStyle::gsNone);
    box.SetFont3D(true);
    box.SetBackFont(widgets::rgbColor(255, 0, 0));
    box.setEnabled(false);
    const QImage image = render(box, qRgb(0, 0, 255));
    EXPECT_EQ(countWhere(image, reddish), 0);
    EXPECT_EQ(countWhere(image, dark), 0);
    EXPECT_GT(countWhere(image, whitish), 10);
    EXPECT_GT(countWhere(image, greyOnBlue), 10);
    box.SetFont3D(false);
    EXPECT_EQ(render(box, qRgb(0, 0, 255)), image);
}

TEST(GradBox, NoneWithOutlineDrawsOnlyFrameAndCaption) {
    TGradBox box;
    box.resize(40, 30);
    box.SetGradStyle(TGradStyle::gsNone);
    box.SetDrawOutLine(true);
    box.SetOutLineColor(widgets::kYellow);
    const QImage image = render(box);
    const QRgb yellow = qRgb(255, 255, 0), magenta = qRgb(255, 0, 255);
    for (int x = 0; x < 40; ++x) {
        EXPECT_EQ(image.pixel(x, 0), yellow);
        EXPECT_EQ(image.pixel(x, 29), yellow);
    }
    for (int y = 0; y < 30; ++y) {
        EXPECT_EQ(image.pixel(0, y), yellow);
        EXPECT_EQ(image.pixel(39, y), yellow);
    }
    EXPECT_EQ(countColor(image, magenta), 38 * 28);

    captionBar(box).resize(80, 30);
    EXPECT_GT(countWhere(render(box), dark), 10);
}

TEST(GradBox, PaintNotifiesAfterDrawing) {
    TGradBox box;
    int paints = 0;
    box.OnPaint = [&] { ++paints; };
    render(box);
    EXPECT_EQ(paints, 1);
}

}  // namespace
