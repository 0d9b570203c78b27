// The display control on a screen of device pixel ratio 2 (the scale factor is set before the
// application exists): geometry stays in logical pixels, the picture is drawn in device pixels,
// and scale 1 is one image pixel per device pixel.
#include "EffectImages.h"
#include "display/Ikdisp.h"
#include "kit/KitFixture.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>

#include <cstdlib>

using namespace effecttest;

namespace {

class HiDpiDisp : public KitLibraries {
protected:
    void SetUp() override {
        KitLibraries::SetUp();
        display = std::make_unique<TVIkDisp>();
        display->resize(100, 80);
        display->SetInvalidHatchPattern(false);
        ASSERT_EQ(display->devicePixelRatio(), 2.0);
    }
    void TearDown() override {
        display.reset();
        images.clear();
        KitLibraries::TearDown();
    }
    IKHANDLE keep(IKHANDLE image) {
        images.push_back(std::make_unique<KitImage>(image));
        return image;
    }
    // What the screen would get: the control painted into a pixmap of its device pixels.
    QImage onScreen() { return display->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    std::unique_ptr<TVIkDisp> display;
    std::vector<std::unique_ptr<KitImage>> images;
};

TEST_F(HiDpiDisp, ActualSizeShowsEveryImagePixelOnItsOwnDevicePixel) {
    const IKHANDLE image = keep(randomImage(400, 300, 24, 5));
    display->SetImgHandle(image);
    ASSERT_TRUE(display->Display(vikActualSize));
    const QImage shown = onScreen();
    ASSERT_EQ(shown.size(), QSize(200, 160));
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, colourAt(image, x, y)) << x << "," << y;
    // Twice the logical size in image pixels is in view; scale 1 stays the scale asked for, the
    // scale reported with logical coordinates is a half.
    EXPECT_EQ(display->VisibleWidth(), 200);
    EXPECT_EQ(display->VisibleHeight(), 160);
    EXPECT_EQ(display->DispScale(), 1.0);
    EXPECT_EQ(display->ScaleWidth(), 0.5);
}

TEST_F(HiDpiDisp, OnePixelLineIsAsWideAsTheScaleInDevicePixels) {
    // White page, larger than the view at every scale, with a black column at x 20 and a black
    // row at y 12.
    const IKHANDLE page = keep(Ikdllprocs::IkCreateImage(400, 300, 24, 255, 255, 255, 0, 0, 0, 0));
    for (int y = 0; y < 300; ++y) setValueAt(page, 20, y, 0);
    for (int x = 0; x < 400; ++x) setValueAt(page, x, 12, 0);
    display->SetImgHandle(page);
    struct Case {
        double scale;
        int firstDark, darkCount;  // in device pixels, along a row and along a column
    };
    for (const Case c : {Case{1.0, 20, 1}, Case{2.0, 40, 2}, Case{4.0, 80, 4}}) {
        SCOPED_TRACE(c.scale);
        display->SetDispScale(c.scale);
        ASSERT_TRUE(display->Display(vikActualSize));
        const QImage shown = onScreen();
        auto dark = [&](int x, int y) { return qGray(shown.pixel(x, y)) < 128; };
        std::vector<int> darkInRow, darkInColumn;
        for (int x = 0; x < shown.width(); ++x)
            if (dark(x, 2)) darkInRow.push_back(x);
        for (int y = 0; y < shown.height(); ++y)
            if (dark(2, y)) darkInColumn.push_back(y);
        ASSERT_EQ(darkInRow.size(), static_cast<std::size_t>(c.darkCount));
        EXPECT_EQ(darkInRow.front(), c.firstDark);
        ASSERT_EQ(darkInColumn.size(), static_cast<std::size_t>(c.darkCount));
        EXPECT_EQ(darkInColumn.front(), c.firstDark * 12 / 20);
    }
}

TEST_F(HiDpiDisp, MouseAndZoomSpeakLogicalPixelsOfTheDeviceScale) {
    const IKHANDLE image = keep(randomImage(400, 300, 24, 6));
    display->SetImgHandle(image);
    ASSERT_TRUE(display->Display(vikActualSize));
    int imageX = -1, imageY = -1;
    display->OnMouseMoveImage = [&](TVIkDisp*, Qt::KeyboardModifiers, int, int, int, int, int, int, double, double,
                                    int x, int y) {
        imageX = x;
        imageY = y;
    };
    const QPoint at(30, 21);
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(display->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(display.get(), &move);
    EXPECT_EQ(imageX, 60);
    EXPECT_EQ(imageY, 42);

    // 200 × 160 image pixels fill the 100 × 80 logical display: one image pixel per device pixel.
    ASSERT_TRUE(display->Zoom(100, 100, 299, 259));
    EXPECT_DOUBLE_EQ(display->DispScale(), 1.0);
    const QImage shown = onScreen();
    const Ikutils::IkRect source = display->SrcRect();
    EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFF, colourAt(image, source.left, source.top));
    EXPECT_EQ(shown.pixel(199, 159) & 0xFFFFFF, colourAt(image, source.left + 199, source.top + 159));
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_SCALE_FACTOR", "2", 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
