// The display control's navigation window: real tool windows driven by mouse events,
// checked by the state of the control and the pixels the window paints.
#include "EffectImages.h"
#include "display/IkPanWindow.h"
#include "display/Ikdisp.h"
#include "kit/KitFixture.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <vector>

using namespace effecttest;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

struct PanEvent {
    TVIkDisp* sender;
    bool show;
};

class Pan : public KitLibraries {
protected:
    void SetUp() override {
        KitLibraries::SetUp();
        ASSERT_EQ(PanTable::count(), 0u);
    }
    void TearDown() override {
        displays.clear();
        EXPECT_EQ(PanTable::count(), 0u) << "the table outlives its windows";
        images.clear();
        KitLibraries::TearDown();
    }
    // A display 300 × 200 showing `image` at actual size, without border or scroll bars.
    TVIkDisp& make(IKHANDLE image) {
        displays.push_back(std::make_unique<TVIkDisp>());
        TVIkDisp& d = *displays.back();
        d.resize(300, 200);
        d.SetInvalidHatchPattern(false);
        d.OnPanWindow = [this](TVIkDisp* sender, bool show) { events.push_back({sender, show}); };
        d.SetImgHandle(image);
        EXPECT_EQ(d.Display(vikActualSize), image != 0);
        return d;
    }
    IKHANDLE keep(IKHANDLE image) {
        images.push_back(std::make_unique<KitImage>(image));
        return image;
    }
    IKHANDLE whitePage(int width, int height) {
        return keep(Ikdllprocs::IkCreateImage(width, height, 1, 255, 255, 255, 0, 0, 0, 0));
    }
    static const TPANOBJ& entry(const TVIkDisp& d) {
        const TPANOBJ* e = PanTable::entryOfOwner(&d);
        if (!e) throw std::runtime_error("no table entry");
        return *e;
    }
    static Ikutils::IkRect rectOf(const TVIkDisp& d) {
        const TPANOBJ& e = entry(d);
        return {e.left, e.top, e.right, e.bottom};
    }
    // What the window paints in its client area.
    static QImage painted(const TVIkDisp& d) {
        QWidget* w = d.PanWindow();
        return w->grab(static_cast<IkPanWindow*>(w)->clientRect()).toImage().convertToFormat(QImage::Format_RGB32);
    }
    std::vector<std::unique_ptr<TVIkDisp>> displays;
    std::vector<std::unique_ptr<KitImage>> images;
    std::vector<PanEvent> events;
};

TEST_F(Pan, WindowIsSizedFromThePageAndItsDecoration) {
    struct Case {
        int width, height;
        QString caption;
        bool closeBox;
        int outerWidth, pageHeight;  // outer height less the caption height
    };
    const Case cases[] = {
        {2480, 3508, QStringLiteral("ﾅﾋﾞｹﾞｰﾄｳｨﾝﾄﾞｳ"), false, 141, 200},
        {600, 600, QString(), false, 200, 200},
        {900, 300, QString(), true, 200, 67},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        TVIkDisp& d = make(whitePage(c.width, c.height));
        d.SetPanWindowCaption(c.caption);
        d.SetPanWindowCloseBox(c.closeBox);
        IkPanWindow* w = static_cast<IkPanWindow*>(d.PanWindow());
        EXPECT_EQ(w->windowTitle(), QStringLiteral("RoduvIzi7PanWindowName"));
        EXPECT_FALSE(w->isVisible());
        ASSERT_TRUE(d.ShowPanWindow(true));
        EXPECT_EQ(d.ErrorCode(), 0);
        ASSERT_TRUE(w->isVisible());
        EXPECT_EQ(w->windowTitle(), c.caption);
        const bool captioned = c.closeBox || !c.caption.isEmpty();
        const int caption = captioned ? w->captionHeight() : 0;
        EXPECT_GT(w->captionHeight(), 0);
        EXPECT_EQ(entry(d).windowWidth, c.outerWidth);
        EXPECT_EQ(entry(d).windowHeight, c.pageHeight + caption);
        // Decoration: the window manager's title bar sits outside the client; a window
        // without one has a 1-pixel border inside.
        const Qt::WindowFlags f = w->windowFlags();
        EXPECT_TRUE(f & Qt::WindowDoesNotAcceptFocus);
        EXPECT_EQ(bool(f & Qt::FramelessWindowHint), !captioned);
        EXPECT_EQ(bool(f & Qt::WindowCloseButtonHint), c.closeBox);
        const QSize client = w->clientRect().size();
        EXPECT_EQ(client, captioned ? QSize(c.outerWidth, c.pageHeight) : QSize(c.outerWidth - 2, c.pageHeight - 2));
        EXPECT_DOUBLE_EQ(d.PanScaleX(), double(client.width()) / c.width);
        EXPECT_DOUBLE_EQ(d.PanScaleY(), double(client.height()) / c.height);
        // The grey thumbnail is made for the client.
        ASSERT_NE(entry(d).refined, 0u);
        EXPECT_EQ(factsOf(entry(d).refined).width, client.width());
        EXPECT_EQ(factsOf(entry(d).refined).height, client.height());
        if (!captioned) {
            EXPECT_EQ(w->grab().toImage().pixel(0, 0) & 0xFFFFFF, 0u) << "the border";
        }
    }
}

TEST_F(Pan, ShowingNeedsAnImageAndTheActualSizeMode) {
    TVIkDisp& d = make(whitePage(800, 600));
    ASSERT_TRUE(d.Display(vikScale));
    EXPECT_FALSE(d.ShowPanWindow(true));
    EXPECT_EQ(d.ErrorCode(), 2);
    EXPECT_FALSE(d.PanWindow()->isVisible());
    // Hiding a hidden window is refused the same way.
    ASSERT_TRUE(d.Display(vikActualSize));
    EXPECT_FALSE(d.ShowPanWindow(false));
    EXPECT_EQ(d.ErrorCode(), 2);
    EXPECT_TRUE(events.empty());

    TVIkDisp& empty = make(0);
    EXPECT_TRUE(empty.ShowPanWindow(true));
    EXPECT_EQ(empty.ErrorCode(), 7);
    EXPECT_FALSE(empty.PanWindow()->isVisible());

    ASSERT_TRUE(d.ShowPanWindow(true));
    ASSERT_TRUE(d.ShowPanWindow(false));
    EXPECT_FALSE(d.PanWindow()->isVisible());
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].sender == &d && events[0].show);
    EXPECT_TRUE(events[1].sender == &d && !events[1].show);
    EXPECT_EQ(entry(d).refined, 0u) << "hiding releases the thumbnail";
}

// A blue 1000 × 800 picture in a 200 × 160 client: the 300 × 200 view is 60 × 40 pixels.
TEST_F(Pan, VisiblePartIsMarkedByInvertingThePixels) {
    const QRgb blue = qRgb(40, 90, 200), inverted = qRgb(215, 165, 55);
    struct Case {
        bool rev;
        std::uint32_t colour;
        QRgb frame, inside;
    };
    const Case cases[] = {
        {false, 0, inverted, blue},                 // black pen: the frame inverted
        {false, 0xFFFFFF, blue, blue},              // white pen: invisible
        {false, 0x0000FF, qRgb(40, 165, 55), blue},  // red pen: the inverse of red XOR blue
        {true, 0xFFFFFF, inverted, inverted},       // the whole part inverted, pen colour ignored
    };
    TVIkDisp& d = make(keep(Ikdllprocs::IkCreateImage(1000, 800, 24, 40, 90, 200, 0, 0, 0, 0)));
    d.SetPanWindowCaption(QStringLiteral("ﾅﾋﾞｹﾞｰﾄｳｨﾝﾄﾞｳ"));
    d.SetStartX(500);
    d.SetStartY(250);
    ASSERT_TRUE(d.Display(vikActualSize));
    ASSERT_TRUE(d.ShowPanWindow(true));
    ASSERT_EQ(d.PanWindow()->size(), QSize(200, 160));
    EXPECT_EQ(rectOf(d), (Ikutils::IkRect{100, 50, 160, 90}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colour);
        d.SetPanWindowRectRev(c.rev);
        d.SetPanWindowRectColor(c.colour);
        const QImage p = painted(d);
        for (int x = 100; x < 160; ++x) {
            ASSERT_EQ(p.pixel(x, 50), c.frame) << x;
            ASSERT_EQ(p.pixel(x, 89), c.frame) << x;
            ASSERT_EQ(p.pixel(x, 70), x == 100 || x == 159 ? c.frame : c.inside) << x;
        }
        for (const QPoint outside : {QPoint(99, 70), QPoint(160, 70), QPoint(130, 49), QPoint(130, 90)})
            ASSERT_EQ(p.pixel(outside), blue) << outside.x() << "," << outside.y();
    }
}

TEST_F(Pan, ThumbnailIsTheRefinedGreyOfAOneBitPage) {
    // Fine stripes on the left half, six columns to a thumbnail pixel: grey when averaged,
    // black or white when not.
    const IKHANDLE page = whitePage(1200, 800);
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 600; x += 2) setValueAt(page, x, y, 0);
    TVIkDisp& d = make(page);
    d.SetPanWindowCloseBox(true);
    d.SetStartX(600);
    ASSERT_TRUE(d.Display(vikActualSize));
    ASSERT_TRUE(d.ShowPanWindow(true));
    ASSERT_EQ(d.PanWindow()->size(), QSize(200, 133));
    QImage p = painted(d);
    for (int x = 0; x < 99; x += 7) {
        const QRgb c = p.pixel(x, 100);
        ASSERT_TRUE(qRed(c) == qBlue(c) && std::abs(qRed(c) - 128) <= 1) << x;
    }
    EXPECT_EQ(p.pixel(190, 100), kWhite);

    d.SetPanWindowRefine1BitImage(false);
    EXPECT_EQ(entry(d).refined, 0u);
    p = painted(d);
    for (int x = 0; x < 99; x += 7) ASSERT_TRUE(p.pixel(x, 100) == kBlack || p.pixel(x, 100) == kWhite) << x;

    // Without the image only the colour and the rectangle are shown.
    d.SetShowInPanWindow(false);
    d.SetPanWindowColor(0x00FFFF);  // yellow
    p = painted(d);
    EXPECT_EQ(p.pixel(10, 100), qRgb(255, 255, 0));
    EXPECT_EQ(p.pixel(120, 0), qRgb(0, 0, 255)) << "the frame inverts the yellow";
}

TEST_F(Pan, DraggingTheRectangleScrollsTheDisplay) {
    TVIkDisp& d = make(whitePage(1000, 800));
    d.SetPanWindowCaption(QStringLiteral("nav"));
    ASSERT_TRUE(d.ShowPanWindow(true));
    QWidget* w = d.PanWindow();
    ASSERT_EQ(rectOf(d), (Ikutils::IkRect{0, 0, 60, 40}));
    const IKHANDLE thumbnail = entry(d).refined;
    ASSERT_NE(thumbnail, 0u);

    // Grabbed 10, 10 inside the rectangle, moved 31 and 20 pixels.
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(w->cursor().shape(), Qt::SizeAllCursor);
    QTest::mouseMove(w, QPoint(41, 30));
    EXPECT_EQ(d.StartX(), 155);
    EXPECT_EQ(d.StartY(), 100);
    EXPECT_EQ(d.SrcRect().left, 155);
    EXPECT_EQ(rectOf(d), (Ikutils::IkRect{31, 20, 91, 60}));
    QImage p = painted(d);
    EXPECT_EQ(p.pixel(31, 40), kBlack);
    EXPECT_EQ(p.pixel(0, 0), kWhite) << "the old frame is gone";

    // Past the right and bottom edges: the display's last full view, the rectangle at the
    // client's edges.
    QTest::mouseMove(w, QPoint(200, 160));
    EXPECT_EQ(d.StartX(), 700);
    EXPECT_EQ(d.StartY(), 600);
    EXPECT_EQ(rectOf(d), (Ikutils::IkRect{140, 120, 200, 160}));
    // Points beyond the client, or left of and above the window, are ignored.
    for (const QPoint ignored : {QPoint(201, 30), QPoint(30, 161), QPoint(-5, 20), QPoint(20, -5)})
        QTest::mouseMove(w, ignored);
    EXPECT_EQ(d.StartX(), 700);
    EXPECT_EQ(d.StartY(), 600);
    // Past the left and top edges: column and row 0.
    QTest::mouseMove(w, QPoint(3, 2));
    EXPECT_EQ(d.StartX(), 0);
    EXPECT_EQ(d.StartY(), 0);
    EXPECT_EQ(rectOf(d), (Ikutils::IkRect{0, 0, 60, 40}));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(3, 2));
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(entry(d).refined, thumbnail) << "a drag never makes a new thumbnail";
    p = painted(d);
    EXPECT_EQ(p.pixel(59, 39), kBlack);
    EXPECT_EQ(p.pixel(100, 60), kWhite);

    // After the release moves do nothing.
    QTest::mouseMove(w, QPoint(50, 50));
    EXPECT_EQ(d.StartX(), 0);
    EXPECT_TRUE(events.size() == 1 && events[0].show) << "a drag fires no event";
}

TEST_F(Pan, PressOutsideTheRectangleNeitherGrabsNorScrolls) {
    TVIkDisp& d = make(whitePage(1000, 800));
    d.SetStartX(500);
    d.SetStartY(250);
    ASSERT_TRUE(d.Display(vikActualSize));
    ASSERT_TRUE(d.ShowPanWindow(true));
    // Frameless: the client starts inside the 1-pixel border.
    QWidget* w = d.PanWindow();
    const QPoint origin = static_cast<IkPanWindow*>(w)->clientRect().topLeft();
    const Ikutils::IkRect r = rectOf(d);
    for (const QPoint press : {QPoint(r.left - 1, r.top + 5), QPoint(r.left + 5, r.bottom + 1), QPoint(5, 5)}) {
        QTest::mousePress(w, Qt::LeftButton, {}, origin + press);
        QTest::mouseMove(w, origin + press + QPoint(10, 10));
        QTest::mouseRelease(w, Qt::LeftButton, {}, origin + press + QPoint(10, 10));
        EXPECT_EQ(d.StartX(), 500);
        EXPECT_EQ(d.StartY(), 250);
        EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
    }
    // The bottom-right edge itself grabs.
    QTest::mousePress(w, Qt::LeftButton, {}, origin + QPoint(r.right, r.bottom));
    QTest::mouseMove(w, origin + QPoint(r.right - 10, r.bottom));
    QTest::mouseRelease(w, Qt::LeftButton, {}, origin + QPoint(r.right - 10, r.bottom));
    EXPECT_LT(d.StartX(), 500);
    EXPECT_NEAR(d.StartY(), 250, 3);
}

TEST_F(Pan, CloseBoxHidesAndTheNextShowOpensWhereTheUserLeftIt) {
    TVIkDisp& d = make(whitePage(1000, 800));
    d.SetPanWindowLeft(110);
    d.SetPanWindowTop(198);
    d.SetPanWindowCaption(QStringLiteral("ﾅﾋﾞｹﾞｰﾄｳｨﾝﾄﾞｳ"));
    d.SetPanWindowCloseBox(true);
    ASSERT_TRUE(d.ShowPanWindow(true));
    QWidget* w = d.PanWindow();
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(110, 198));
    w->move(340, 260);  // as the window manager moves it for the user
    QApplication::processEvents();
    EXPECT_EQ(d.PanWindowLeft(), 340);
    EXPECT_EQ(d.PanWindowTop(), 260);

    const IKHANDLE thumbnail = entry(d).refined;
    w->close();
    EXPECT_FALSE(w->isVisible());
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[1].sender == &d && !events[1].show);
    EXPECT_EQ(entry(d).refined, thumbnail) << "closing keeps the thumbnail";
    EXPECT_EQ(d.PanWindowLeft(), 340);

    ASSERT_TRUE(d.ShowPanWindow(true));
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(340, 260));
}

TEST_F(Pan, DisplayRunsKeepTheWindowInStep) {
    TVIkDisp& d = make(whitePage(1000, 800));
    d.SetPanWindowCaption(QStringLiteral("nav"));
    ASSERT_TRUE(d.ShowPanWindow(true));
    ASSERT_EQ(rectOf(d), (Ikutils::IkRect{0, 0, 60, 40}));
    // A new scale alone leaves the rectangle; the next Display brings it up to date.
    d.SetDispScale(0.5);
    EXPECT_EQ(rectOf(d), (Ikutils::IkRect{0, 0, 60, 40}));
    ASSERT_TRUE(d.Display(vikActualSize));
    EXPECT_EQ(rectOf(d), (Ikutils::IkRect{0, 0, 120, 80}));
    ASSERT_TRUE(d.Zoom(0, 0, 149, 99));
    EXPECT_EQ(rectOf(d), (Ikutils::IkRect{0, 0, 30, 20}));

    // A new image hides the window and shows it again in the same client, stretched.
    const QSize client = d.PanWindow()->size();
    d.SetImgHandle(whitePage(400, 1600));
    ASSERT_TRUE(d.PanWindow()->isVisible());
    EXPECT_EQ(d.PanWindow()->size(), client);
    EXPECT_DOUBLE_EQ(d.PanScaleX(), 200.0 / 400);
    EXPECT_DOUBLE_EQ(d.PanScaleY(), 160.0 / 1600);
    EXPECT_EQ(events.size(), 1u) << "no event for a new image";
    // The first Display after it computes the size for the next show.
    ASSERT_TRUE(d.Display(vikActualSize));
    EXPECT_EQ(entry(d).windowWidth, 50);

    // No image, or another mode: hidden without an event.
    d.SetImgHandle(0);
    EXPECT_FALSE(d.PanWindow()->isVisible());
    d.SetImgHandle(whitePage(1000, 800));
    EXPECT_FALSE(d.PanWindow()->isVisible()) << "stays hidden after no image";
    ASSERT_TRUE(d.ShowPanWindow(true));
    ASSERT_TRUE(d.Display(vikScale));
    EXPECT_FALSE(d.PanWindow()->isVisible());
    // Clearing hides it at the paint that shows the empty area.
    ASSERT_TRUE(d.Display(vikActualSize));
    ASSERT_TRUE(d.ShowPanWindow(true));
    ASSERT_TRUE(d.Display(vikClear));
    EXPECT_TRUE(d.PanWindow()->isVisible());
    QImage surface(d.size(), QImage::Format_RGB32);
    d.render(&surface);
    EXPECT_FALSE(d.PanWindow()->isVisible());
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(Pan, EachDisplayOwnsItsWindowUntilItIsDestroyed) {
    TVIkDisp& first = make(whitePage(1000, 800));
    TVIkDisp& second = make(whitePage(800, 1000));
    ASSERT_TRUE(first.ShowPanWindow(true));
    ASSERT_TRUE(second.ShowPanWindow(true));
    ASSERT_NE(first.PanWindow(), second.PanWindow());
    EXPECT_EQ(PanTable::count(), 2u);
    EXPECT_EQ(static_cast<QWidget*>(entry(first).window), first.PanWindow());
    EXPECT_EQ(entry(second).owner, &second);

    displays.erase(displays.begin());
    EXPECT_EQ(PanTable::count(), 2u) << "the entry is zeroed, not removed";
    QWidget* w = second.PanWindow();
    ASSERT_TRUE(w->isVisible());
    const QPoint origin = static_cast<IkPanWindow*>(w)->clientRect().topLeft();
    const Ikutils::IkRect r = rectOf(second);
    QTest::mousePress(w, Qt::LeftButton, {}, origin + QPoint(r.left + 2, r.top + 2));
    QTest::mouseMove(w, origin + QPoint(r.left + 2, r.top + 32));
    QTest::mouseRelease(w, Qt::LeftButton, {}, origin + QPoint(r.left + 2, r.top + 32));
    EXPECT_GT(second.StartY(), 0);
    // A third control appends; the table goes when the last window does.
    TVIkDisp& third = make(whitePage(100, 100));
    EXPECT_EQ(PanTable::count(), 3u);
    EXPECT_EQ(entry(third).owner, &third);
}

TEST_F(Pan, BelongsToTheWindowTheDisplayIsPlacedInAndNeverTakesTheFocus) {
    auto holder = std::make_unique<QWidget>();
    QWidget& main = *holder;
    main.resize(400, 300);
    auto* d0 = new TVIkDisp;
    TVIkDisp& d = *d0;
    d.resize(300, 200);
    d.SetImgHandle(whitePage(1000, 800));
    ASSERT_TRUE(d.Display(vikActualSize));
    // Shown once before the display is placed in its window.
    ASSERT_TRUE(d.ShowPanWindow(true));
    ASSERT_TRUE(d.ShowPanWindow(false));
    d.setParent(holder.get());
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    ASSERT_TRUE(d.ShowPanWindow(true));
    QWidget* w = d.PanWindow();
    EXPECT_TRUE(w->isWindow());
    EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_EQ(w->windowHandle()->transientParent(), main.windowHandle());
    w->repaint();
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activeWindow(), &main);
}

}  // namespace
