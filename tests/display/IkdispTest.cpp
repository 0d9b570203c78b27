// The display control rendered off-screen: what it draws, pixel by pixel.
#include "EffectImages.h"
#include "display/Ikdisp.h"
#include "kit/KitFixture.h"
#include "platform/Dib.h"

#include <QImage>
#include <QPainter>

using namespace effecttest;

namespace {

constexpr std::uint32_t kPaleYellow = 14024703;  // 0x00D5FFFF
const QRgb kPaleYellowRgb = qRgb(0xFF, 0xFF, 0xD5);

class Disp : public KitLibraries {
protected:
    void SetUp() override {
        KitLibraries::SetUp();
        ASSERT_NE(Ikdllprocs::_StretchDIBits, nullptr);
    }
    void TearDown() override {
        display.reset();
        images.clear();
        KitLibraries::TearDown();
    }
    TVIkDisp& make(int width, int height) {
        display = std::make_unique<TVIkDisp>();
        display->resize(width, height);
        display->SetInvalidHatchPattern(false);
        display->SetColor(kPaleYellow);
        return *display;
    }
    IKHANDLE keep(IKHANDLE image) {
        images.push_back(std::make_unique<KitImage>(image));
        return image;
    }
    QImage rendered() {
        QImage picture(display->size(), QImage::Format_RGB32);
        display->render(&picture);
        return picture;
    }
    // A 1-bit image: 1-pixel stripes left of `stripesEnd`, white beyond.
    IKHANDLE stripedPage(int width, int height, int stripesEnd) {
        const IKHANDLE page = keep(Ikdllprocs::IkCreateImage(width, height, 1, 255, 255, 255, 0, 0, 0, 0));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < stripesEnd; x += 2) setValueAt(page, x, y, 0);
        return page;
    }
    std::unique_ptr<TVIkDisp> display;
    std::vector<std::unique_ptr<KitImage>> images;
};

bool isGrey(QRgb c, int level, int tolerance) {
    return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && std::abs(qRed(c) - level) <= tolerance;
}

TEST_F(Disp, ColourImageIsDrawnOneToOneWithoutGreyCopies) {
    TVIkDisp& d = make(100, 80);
    const IKHANDLE colour = keep(randomImage(40, 30, 24, 21));
    d.SetImgHandle(colour);
    ASSERT_TRUE(d.Display(vikScale));
    EXPECT_EQ(d.GrayCopy(), 0u);
    EXPECT_EQ(d.RefinedCopy(), 0u);
    const QImage picture = rendered();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(picture.pixel(30 + x, 25 + y) & 0xFFFFFF, colourAt(colour, x, y)) << x << "," << y;
    EXPECT_EQ(picture.pixel(29, 25), kPaleYellowRgb);
    EXPECT_EQ(picture.pixel(70, 55), kPaleYellowRgb);
    EXPECT_EQ(picture.pixel(0, 0), kPaleYellowRgb);
    EXPECT_EQ(d.StartX(), 0);
    EXPECT_EQ(d.StartY(), 0);
}

TEST_F(Disp, OneBitPageAtQuarterScaleShowsTheGreyOfTheVisibleColumns) {
    TVIkDisp& d = make(100, 50);
    const IKHANDLE page = stripedPage(2000, 400, 600);
    d.SetDispScale(0.25);
    d.SetImgHandle(page);
    d.SetStartX(400);
    ASSERT_TRUE(d.Display(vikActualSize));
    EXPECT_EQ(d.SrcRect().left, 400);
    EXPECT_EQ(d.StartX(), 400);
    const QImage refined = rendered();
    // Image columns 400 … 599 are stripes (grey when averaged), 600 on are white.
    for (int y = 0; y < 50; y += 7) {
        for (int x = 0; x < 50; ++x) ASSERT_TRUE(isGrey(refined.pixel(x, y), 128, 1)) << x << "," << y;
        for (int x = 50; x < 100; ++x) ASSERT_EQ(refined.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
    }
    // Without refinement the same columns are pure black or white.
    d.SetRefine1BitImage(false);
    const QImage plain = rendered();
    for (int x = 0; x < 50; ++x) {
        const QRgb c = plain.pixel(x, 10);
        ASSERT_TRUE(c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255)) << x;
    }
}

TEST_F(Disp, FittedOneBitPageUsesARefinedCopyOnlyWhenLarger) {
    TVIkDisp& d = make(100, 100);
    const IKHANDLE large = stripedPage(400, 400, 400);
    d.SetImgHandle(large);
    ASSERT_TRUE(d.Display(vikScale));
    ASSERT_NE(d.RefinedCopy(), 0u);
    EXPECT_EQ(factsOf(d.RefinedCopy()).width, 100);
    EXPECT_EQ(factsOf(d.RefinedCopy()).height, 100);
    const QImage picture = rendered();
    for (int y = 0; y < 100; y += 9)
        for (int x = 0; x < 100; x += 3) ASSERT_TRUE(isGrey(picture.pixel(x, y), 128, 1)) << x << "," << y;

    const IKHANDLE small = stripedPage(40, 40, 40);
    d.SetImgHandle(small);
    ASSERT_TRUE(d.Display(vikScale));
    EXPECT_EQ(d.RefinedCopy(), 0u);
    const QImage oneToOne = rendered();
    for (int x = 0; x < 40; ++x)
        ASSERT_EQ(oneToOne.pixel(30 + x, 50), x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0)) << x;
}

TEST_F(Disp, MarginsArePlainOrHatched) {
    TVIkDisp& d = make(100, 100);
    d.SetImgHandle(keep(Ikdllprocs::IkCreateImage(20, 20, 24, 0, 0, 255, 0, 0, 0, 0)));
    ASSERT_TRUE(d.Display(vikScale));
    QImage plain = rendered();
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 40 && x < 60 && y >= 40 && y < 60;
            ASSERT_EQ(plain.pixel(x, y), inside ? qRgb(0, 0, 255) : kPaleYellowRgb) << x << "," << y;
        }
    d.SetInvalidHatchPattern(true);
    d.SetInvalidHatchColor(0x0000FF);  // red
    const QImage hatched = rendered();
    int red = 0, yellow = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            red += hatched.pixel(x, y) == qRgb(255, 0, 0);
            yellow += hatched.pixel(x, y) == kPaleYellowRgb;
        }
    EXPECT_GT(red, 100);
    EXPECT_GT(yellow, 1000);
    EXPECT_EQ(red + yellow, 4000);
    EXPECT_EQ(hatched.pixel(50, 50), qRgb(0, 0, 255)) << "the picture is not hatched";
}

TEST_F(Disp, HiddenPictureIsPlainColourWithMarginsAndBorder) {
    TVIkDisp& d = make(60, 60);
    d.SetBorderVisible(true);
    d.SetBorderColor(0x00FF00);
    d.SetImgHandle(keep(Ikdllprocs::IkCreateImage(20, 20, 24, 0, 0, 0, 0, 0, 0, 0)));
    d.SetShowInDisp(false);
    ASSERT_TRUE(d.Display(vikScale));
    const QImage picture = rendered();
    EXPECT_EQ(picture.pixel(30, 30), kPaleYellowRgb);
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 255, 0));
}

TEST_F(Disp, FlatBorderIsTheOutermostRing) {
    TVIkDisp& d = make(50, 40);
    d.SetBorderVisible(true);
    d.SetBorderColor(0x0000FF);
    d.SetImgHandle(keep(Ikdllprocs::IkCreateImage(100, 100, 24, 0, 0, 0, 0, 0, 0, 0)));
    ASSERT_TRUE(d.Display(vikStretch));
    EXPECT_EQ(d.GetDispRect(), (Ikutils::IkRect{1, 1, 48, 38}));
    const QImage picture = rendered();
    for (int x = 0; x < 50; ++x) {
        EXPECT_EQ(picture.pixel(x, 0), qRgb(255, 0, 0));
        EXPECT_EQ(picture.pixel(x, 39), qRgb(255, 0, 0));
    }
    for (int y = 0; y < 40; ++y) {
        EXPECT_EQ(picture.pixel(0, y), qRgb(255, 0, 0));
        EXPECT_EQ(picture.pixel(49, y), qRgb(255, 0, 0));
    }
    for (int x = 1; x < 49; ++x) EXPECT_EQ(picture.pixel(x, 1), qRgb(0, 0, 0)) << x;
}

TEST_F(Disp, LoweredEdgeFramesTheControl) {
    TVIkDisp& d = make(30, 20);
    d.SetBorderVisible(true);
    d.SetAppearance(vikLowered);
    d.SetImgHandle(keep(Ikdllprocs::IkCreateImage(5, 5, 24, 0, 0, 255, 0, 0, 0, 0)));
    ASSERT_TRUE(d.Display(vikScale));
    const QImage p = rendered();
    const QRgb dark = qRgb(127, 127, 127), light = qRgb(223, 223, 223), white = qRgb(255, 255, 255),
               black = qRgb(0, 0, 0);
    EXPECT_EQ(p.pixel(0, 0), dark);
    EXPECT_EQ(p.pixel(0, 19), dark);
    EXPECT_EQ(p.pixel(29, 0), white);
    EXPECT_EQ(p.pixel(15, 19), white);
    EXPECT_EQ(p.pixel(1, 1), black);
    EXPECT_EQ(p.pixel(1, 18), black);
    EXPECT_EQ(p.pixel(28, 1), light);
    EXPECT_EQ(p.pixel(28, 18), light);
    EXPECT_EQ(p.pixel(2, 2), kPaleYellowRgb);
}

TEST_F(Disp, EndOfDisplayReportsWhatWasDrawn) {
    TVIkDisp& d = make(644, 414);
    d.SetScrollBar(true);
    d.SetDispScale(0.05);
    std::vector<std::vector<double>> reports;
    d.OnEndDispImage = [&](TVIkDisp*, int ox, int oy, int l, int t, int r, int b, double sw, double sh) {
        reports.push_back({double(ox), double(oy), double(l), double(t), double(r), double(b), sw, sh});
    };
    d.SetImgHandle(keep(Ikdllprocs::IkCreateImage(2480, 3508, 1, 255, 255, 255, 0, 0, 0, 0)));
    EXPECT_TRUE(reports.empty()) << "vikClear draws nothing";
    ASSERT_TRUE(d.Display(vikActualSize));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], (std::vector<double>{260, 119, 0, 0, 2479, 3507, 0.05, 0.05}));
    EXPECT_FALSE(d.HorzScrollBarShown());
    EXPECT_FALSE(d.VertScrollBarShown());
    // At actual size the page needs both bars.
    d.SetDispScale(1.0);
    ASSERT_TRUE(d.Refresh());
    EXPECT_TRUE(d.HorzScrollBarShown());
    EXPECT_TRUE(d.VertScrollBarShown());
}

TEST_F(Disp, ExtraColumnAtScaleFourReachesTheEdge) {
    TVIkDisp& d = make(643, 100);
    const IKHANDLE colour = keep(randomImage(400, 100, 24, 5));
    d.SetDispScale(4.0);
    d.SetImgHandle(colour);
    ASSERT_TRUE(d.Display(vikActualSize));
    EXPECT_EQ(d.DrawnRect().right, 644);
    const QImage picture = rendered();
    EXPECT_EQ(picture.pixel(642, 0) & 0xFFFFFF, colourAt(colour, 160, 0));
    EXPECT_EQ(picture.pixel(639, 0) & 0xFFFFFF, colourAt(colour, 159, 0));
}

TEST_F(Disp, RefusedModesScalesAndValues) {
    TVIkDisp& d = make(80, 80);
    d.SetImgHandle(keep(Ikdllprocs::IkCreateImage(200, 200, 24, 9, 9, 9, 0, 0, 0, 0)));
    ASSERT_TRUE(d.Display(vikActualSize));
    const QImage before = d.Surface().copy();
    EXPECT_FALSE(d.Display(vikFitToWidth));
    EXPECT_EQ(d.ErrorCode(), 4);
    EXPECT_EQ(d.Surface(), before);
    d.SetDispScale(0);
    d.SetDispScale(-1);
    EXPECT_DOUBLE_EQ(d.DispScale(), 1.0);
    d.SetStartX(-3);
    d.SetScrollWidth(-1);
    d.SetRefine1BitImageScale(1.0);
    EXPECT_EQ(d.StartX(), 0);
    EXPECT_EQ(d.ScrollWidth(), 10);
    EXPECT_DOUBLE_EQ(d.Refine1BitImageScale(), 0.0);
    // StartX beyond the image is clamped and read back.
    d.SetStartX(5000);
    ASSERT_TRUE(d.Refresh());
    EXPECT_EQ(d.StartX(), 120);
    // A centre request is used once.
    d.SetDispCenterX(100);
    ASSERT_TRUE(d.Refresh());
    EXPECT_EQ(d.StartX(), 100 - 40);
    EXPECT_EQ(d.DispCenterX(), 0);
    EXPECT_FALSE(d.Zoom(0, 0, 200, 10));
    EXPECT_EQ(d.ErrorCode(), 5);
    EXPECT_TRUE(d.Zoom(0, 0, 39, 19));
    EXPECT_DOUBLE_EQ(d.DispScale(), 2.0);
}

TEST_F(Disp, NewHandleKeepsTheOldPictureUntilTheNextPaint) {
    TVIkDisp& d = make(60, 60);
    d.SetImgHandle(keep(Ikdllprocs::IkCreateImage(20, 20, 24, 255, 0, 0, 0, 0, 0, 0)));
    ASSERT_TRUE(d.Display(vikScale));
    EXPECT_EQ(d.Surface().pixel(30, 30), qRgb(255, 0, 0));
    d.SetImgHandle(0);
    EXPECT_EQ(d.ImgHandle(), 0u);
    EXPECT_EQ(d.Surface().pixel(30, 30), qRgb(255, 0, 0)) << "old picture stays";
    EXPECT_FALSE(d.Display(vikScale));
    EXPECT_EQ(d.Surface().pixel(30, 30), kPaleYellowRgb);
    // An invented handle is dropped.
    d.SetImgHandle(0x13572468);
    EXPECT_EQ(d.ImgHandle(), 0u);
}

TEST_F(Disp, FittedDisplayResetsTheStart) {
    TVIkDisp& d = make(50, 50);
    d.SetImgHandle(keep(Ikdllprocs::IkCreateImage(300, 300, 24, 1, 2, 3, 0, 0, 0, 0)));
    d.SetStartX(120);
    d.SetStartY(30);
    ASSERT_TRUE(d.Display(vikStretch));
    EXPECT_EQ(d.StartX(), 0);
    EXPECT_EQ(d.StartY(), 0);
    ASSERT_TRUE(d.Display(vikActualSize));
    EXPECT_EQ(d.SrcRect().left, 0);
}

// Nearest-pixel stretching of `src` into (0, 0, w, h), computed here on its own.
QRgb stretchedAt(IKHANDLE src, int x, int y, int w, int h) {
    const Facts f = factsOf(src);
    return 0xFF000000u | colourAt(src, (2 * x + 1) * f.width / (2 * w), (2 * y + 1) * f.height / (2 * h));
}

TEST_F(Disp, StretchedPictureKeepsToThePaintersClip) {
    const IKHANDLE src = keep(randomImage(10, 8, 24, 5));
    platform::GlobalLock lock(src);
    const auto* header = lock.as<std::uint8_t>();
    const std::uint8_t* bits = header + platform::dibPixelOffset(*lock.as<platform::BitmapInfoHeader>());
    const QRgb blue = qRgb(0, 0, 255);
    const QRegion plainClip(5, 4, 20, 10), twoPartClip = QRegion(5, 4, 20, 10) + QRegion(30, 20, 6, 6);
    for (const QRegion& clip : {plainClip, twoPartClip})
        for (bool shared : {false, true}) {
            SCOPED_TRACE(testing::Message() << clip.rectCount() << " clip rectangles, shared " << shared);
            QImage target(40, 30, QImage::Format_RGB32);
            target.fill(blue);
            QImage held;
            {
                QPainter p(&target);
                if (shared) held = target;  // the painter's image is shared from here on
                p.setClipRegion(clip);
                ASSERT_EQ(Ikdllprocs::_StretchDIBits(&p, 0, 0, 40, 30, 0, 0, 10, 8, bits, header, 0, 0), 30);
            }
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x) {
                    const QRgb expected = clip.contains(QPoint(x, y)) ? stretchedAt(src, x, y, 40, 30) : blue;
                    ASSERT_EQ(target.pixel(x, y), expected) << x << "," << y;
                    if (shared) {
                        ASSERT_EQ(held.pixel(x, y), blue) << "a copy taken while painting changed";
                    }
                }
        }
}

TEST_F(Disp, PictureFollowsTheControlThroughResizes) {
    // The off-screen composition is kept between runs; after a resize it must take the new size.
    const IKHANDLE image = keep(randomImage(120, 120, 24, 9));
    TVIkDisp& d = make(60, 60);
    for (auto [w, h] : {std::pair{60, 60}, std::pair{90, 40}, std::pair{30, 70}, std::pair{30, 70}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        d.resize(w, h);
        d.SetImgHandle(image);
        ASSERT_TRUE(d.Display(vikActualSize));
        ASSERT_TRUE(d.Refresh());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(d.Surface().pixel(x, y), 0xFF000000u | colourAt(image, x, y)) << x << "," << y;
    }
}

}  // namespace
