// The display control driven through its input: scroll bars, wheel, mouse, keys, drops
// and resizes, checked by where the view goes, the events fired and the pixels drawn.
#include "EffectImages.h"
#include "browse/ThumbDrag.h"
#include "display/Ikdisp.h"
#include "kit/KitFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

using namespace effecttest;

namespace {

struct ScrollEvent {
    TScrollCode code;
    std::int16_t pos;
    TVIkMouseWheel direction;
    bool operator==(const ScrollEvent&) const = default;
};

struct MouseImage {
    Qt::MouseButton button;
    int originX, originY, left, top, right, bottom;
    double scale;
    int x, y;
    bool operator==(const MouseImage&) const = default;
};

class Input : public KitLibraries {
protected:
    void SetUp() override {
        KitLibraries::SetUp();
        QApplication::setWheelScrollLines(3);
    }
    void TearDown() override {
        display.reset();
        images.clear();
        QApplication::setWheelScrollLines(3);
        KitLibraries::TearDown();
    }
    // A control showing a random colour image at actual size, recording its events.
    TVIkDisp& make(int width, int height, int imageWidth, int imageHeight, double scale = 1.0) {
        display = std::make_unique<TVIkDisp>();
        TVIkDisp& d = *display;
        d.resize(width, height);
        d.SetInvalidHatchPattern(false);
        d.SetDispScale(scale);
        image = keep(randomImage(imageWidth, imageHeight, 24, 7));
        d.SetImgHandle(image);
        d.OnScrollDispImage = [this](TVIkDisp*, TScrollCode c, std::int16_t p, TVIkMouseWheel w) {
            scrolls.push_back({c, p, w});
        };
        d.OnMouseDownImage = [this](TVIkDisp*, Qt::MouseButton b, Qt::KeyboardModifiers, int ox, int oy, int l, int t,
                                    int r, int bo, double sw, double, int x, int y) {
            downs.push_back({b, ox, oy, l, t, r, bo, sw, x, y});
        };
        d.OnMouseUpImage = [this](TVIkDisp*, Qt::MouseButton b, Qt::KeyboardModifiers, int ox, int oy, int l, int t,
                                  int r, int bo, double sw, double, int x, int y) {
            ups.push_back({b, ox, oy, l, t, r, bo, sw, x, y});
        };
        d.OnMouseMoveImage = [this](TVIkDisp*, Qt::KeyboardModifiers, int ox, int oy, int l, int t, int r, int bo,
                                    double sw, double, int x, int y) {
            moves.push_back({Qt::NoButton, ox, oy, l, t, r, bo, sw, x, y});
        };
        d.OnMouseDown = [this](TVIkDisp*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) { plainDowns.push_back(b); };
        return d;
    }
    IKHANDLE keep(IKHANDLE handle) {
        images.push_back(std::make_unique<KitImage>(handle));
        return handle;
    }
    // The view's top-left pixel is the image pixel at the source rectangle's corner.
    void expectCornerShown() {
        const Ikutils::IkRect s = display->SrcRect(), at = display->DrawnRect();
        EXPECT_EQ(display->Surface().pixel(at.left, at.top) & 0xFFFFFF, colourAt(image, s.left, s.top))
            << "corner " << s.left << "," << s.top;
    }
    void mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint at,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent event(type, QPointF(at), QPointF(display->mapToGlobal(at)), button, buttons, mods);
        QApplication::sendEvent(display.get(), &event);
    }
    void wheel(int delta, Qt::KeyboardModifiers mods = Qt::NoModifier, QWidget* over = nullptr) {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(over ? over : display.get(), &event);
    }
    std::unique_ptr<TVIkDisp> display;
    std::vector<std::unique_ptr<KitImage>> images;
    IKHANDLE image = 0;
    std::vector<ScrollEvent> scrolls;
    std::vector<MouseImage> downs, ups, moves;
    std::vector<Qt::MouseButton> plainDowns;
};

TEST_F(Input, ScrollRequestsMoveTheViewAndReport) {
    TVIkDisp& d = make(200, 150, 400, 300);
    d.SetScrollBar(true);
    ASSERT_TRUE(d.Display(vikActualSize));
    ASSERT_TRUE(d.VertScrollBarShown());
    const int visible = d.VisibleHeight(), last = 300 - visible;
    ASSERT_GT(visible, 50);
    struct Case {
        TScrollCode code;
        int pos, fromTop, expectedTop;
        bool fires;
    } cases[] = {
        {scLineUp, 0, 0, 0, true},  // at the top the event still fires
        {scLineDown, 0, 0, 10, true},
        {scPageDown, 0, 0, visible, true},
        {scPageDown, 0, last - 5, last, true},  // stops at the last full page
        {scPageUp, 0, 5, 0, true},
        {scTrack, 57, 0, 57, true},
        {scBottom, 0, 0, last, true},  // the last full page, not one row
        {scTop, 0, 90, 0, true},
        {scPosition, 57, 30, 30, false},
        {scEndScroll, 0, 30, 30, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << int(c.code) << " from " << c.fromTop);
        d.SetStartY(c.fromTop);
        ASSERT_TRUE(d.Refresh());
        scrolls.clear();
        d.ScrollRequest(Qt::Vertical, c.code, c.pos);
        EXPECT_EQ(d.SrcRect().top, c.expectedTop);
        EXPECT_EQ(d.SrcRect().bottom, c.expectedTop + visible - 1);
        EXPECT_EQ(d.StartY(), c.expectedTop);
        EXPECT_EQ(d.VertScrollBar()->value(), c.expectedTop);
        const std::vector<ScrollEvent> fired{{c.code, std::int16_t(c.pos), vikVertical}};
        EXPECT_EQ(scrolls, c.fires ? fired : std::vector<ScrollEvent>{});
        expectCornerShown();
    }
    scrolls.clear();
    d.ScrollRequest(Qt::Horizontal, scLineDown, 0);
    EXPECT_EQ(d.StartX(), 10);
    EXPECT_EQ(d.HorzScrollBar()->value(), 10);
    EXPECT_EQ(scrolls, (std::vector<ScrollEvent>{{scLineDown, 0, vikHorizontal}}));
    expectCornerShown();

    // Outside the actual-size mode the whole image is drawn again and the event still fires.
    ASSERT_TRUE(d.Display(vikScale));
    scrolls.clear();
    d.ScrollRequest(Qt::Vertical, scLineDown, 0);
    EXPECT_EQ(d.SrcRect(), (Ikutils::IkRect{0, 0, 399, 299}));
    EXPECT_EQ(scrolls.size(), 1u);
}

// The bars' own actions become requests in image pixels; the bar ends where the view is.
TEST_F(Input, ScrollBarActionsScrollByTheControlsSteps) {
    TVIkDisp& d = make(200, 150, 400, 300);
    d.SetScrollBar(true);
    d.SetScrollHeight(25);
    ASSERT_TRUE(d.Display(vikActualSize));
    QScrollBar* bar = d.VertScrollBar();
    const int visible = d.VisibleHeight();
    struct Step {
        QAbstractSlider::SliderAction action;
        int expectedTop;
        TScrollCode code;
    } steps[] = {
        {QAbstractSlider::SliderSingleStepAdd, 25, scLineDown},
        {QAbstractSlider::SliderPageStepAdd, 25 + visible, scPageDown},
        {QAbstractSlider::SliderSingleStepSub, visible, scLineUp},
        {QAbstractSlider::SliderToMaximum, 300 - visible, scBottom},
        {QAbstractSlider::SliderPageStepSub, 300 - 2 * visible, scPageUp},
        {QAbstractSlider::SliderToMinimum, 0, scTop},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "action " << s.action);
        scrolls.clear();
        bar->triggerAction(s.action);
        EXPECT_EQ(d.SrcRect().top, s.expectedTop);
        EXPECT_EQ(bar->value(), s.expectedTop);
        EXPECT_EQ(bar->sliderPosition(), s.expectedTop);
        ASSERT_EQ(scrolls.size(), 1u);
        EXPECT_EQ(scrolls[0].code, s.code);
        expectCornerShown();
    }
    // Dragging the thumb scrolls live, with the track position.
    scrolls.clear();
    bar->setSliderDown(true);
    bar->setSliderPosition(77);
    EXPECT_EQ(d.SrcRect().top, 77);
    EXPECT_EQ(scrolls, (std::vector<ScrollEvent>{{scTrack, 77, vikVertical}}));
    bar->setSliderDown(false);
    EXPECT_EQ(d.SrcRect().top, 77);
    EXPECT_EQ(scrolls.size(), 1u) << "the release does nothing more";
    expectCornerShown();
}

TEST_F(Input, ScrollImageMovesOneStepTowardTheDirection) {
    TVIkDisp& d = make(100, 100, 400, 300);
    d.SetScrollWidth(7);
    d.SetScrollHeight(5);
    ASSERT_TRUE(d.Display(vikScale));
    EXPECT_FALSE(d.ScrollImage(vikDown));
    EXPECT_EQ(d.ErrorCode(), 5);
    ASSERT_TRUE(d.Display(vikActualSize));
    const std::tuple<TVIkScrollDir, int, int> moves[] = {
        {vikUpLeft, -7, -5}, {vikUp, 0, -5},     {vikUpRight, 7, -5}, {vikRight, 7, 0},
        {vikDownRight, 7, 5}, {vikDown, 0, 5}, {vikDownLeft, -7, 5}, {vikLeft, -7, 0},
    };
    for (auto [direction, dx, dy] : moves) {
        SCOPED_TRACE(testing::Message() << "direction " << int(direction));
        d.SetStartX(100);
        d.SetStartY(100);
        ASSERT_TRUE(d.Refresh());
        EXPECT_TRUE(d.ScrollImage(direction));
        EXPECT_EQ(d.ErrorCode(), 0);
        EXPECT_EQ(d.StartX(), 100 + dx);
        EXPECT_EQ(d.StartY(), 100 + dy);
        expectCornerShown();
    }
    d.SetStartX(0);
    ASSERT_TRUE(d.Refresh());
    EXPECT_TRUE(d.ScrollImage(vikLeft));
    EXPECT_EQ(d.StartX(), 0) << "the view stays inside the image";
    EXPECT_TRUE(scrolls.empty());
}

TEST_F(Input, WheelScrollsLinesAndFiresOneEventPerMessage) {
    TVIkDisp& d = make(200, 150, 400, 600);
    ASSERT_TRUE(d.Display(vikActualSize));
    std::vector<std::pair<bool, Qt::KeyboardModifiers>> turns;
    d.OnMouseWheelUpImage = [&](TVIkDisp*, Qt::KeyboardModifiers m, TVIkMouseWheel w) {
        EXPECT_EQ(w, d.MouseWheel());
        turns.push_back({true, m});
    };
    d.OnMouseWheelDownImage = [&](TVIkDisp*, Qt::KeyboardModifiers m, TVIkMouseWheel w) {
        EXPECT_EQ(w, d.MouseWheel());
        turns.push_back({false, m});
    };
    d.SetStartY(200);
    ASSERT_TRUE(d.Refresh());
    struct Row {
        int delta, top, lineUps, lineDowns;
        bool up;
    } rows[] = {
        {120, 170, 3, 0, true},   // three line-up requests of 10
        {-120, 200, 0, 3, false},
        {60, 190, 1, 0, true},    // keeps 20
        {-20, 190, 0, 0, false},  // back to 0, no step
        {30, 190, 0, 0, false},   // no step from an empty accumulator
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "delta " << r.delta);
        scrolls.clear();
        turns.clear();
        wheel(r.delta, Qt::ControlModifier);
        EXPECT_EQ(d.StartY(), r.top);
        EXPECT_EQ(std::count(scrolls.begin(), scrolls.end(), ScrollEvent{scLineUp, 0, vikVertical}), r.lineUps);
        EXPECT_EQ(std::count(scrolls.begin(), scrolls.end(), ScrollEvent{scLineDown, 0, vikVertical}), r.lineDowns);
        EXPECT_EQ(scrolls.size(), std::size_t(r.lineUps + r.lineDowns));
        ASSERT_EQ(turns.size(), 1u);
        EXPECT_EQ(turns[0].first, r.up);
        EXPECT_EQ(turns[0].second, Qt::ControlModifier);
        expectCornerShown();
    }
    EXPECT_DOUBLE_EQ(d.DispScale(), 1.0) << "no zoom by wheel";

    // Horizontally the same steps move the left edge; disabled, only the event fires.
    wheel(-30);  // the 30 left over makes this 0
    d.SetMouseWheel(vikHorizontal);
    d.SetStartX(100);
    ASSERT_TRUE(d.Refresh());
    scrolls.clear();
    wheel(-120);
    EXPECT_EQ(d.StartX(), 130);
    EXPECT_EQ(scrolls.size(), 3u);
    EXPECT_EQ(scrolls[0].direction, vikHorizontal);
    d.SetMouseWheel(vikDisable);
    scrolls.clear();
    turns.clear();
    wheel(120);
    EXPECT_EQ(d.StartX(), 130);
    EXPECT_EQ(d.StartY(), 190);
    EXPECT_TRUE(scrolls.empty());
    ASSERT_EQ(turns.size(), 1u);
    EXPECT_TRUE(turns[0].first);

    // Over a scroll bar the wheel is the control's, with its line step.
    d.SetMouseWheel(vikVertical);
    d.SetScrollBar(true);
    ASSERT_TRUE(d.VertScrollBarShown());
    turns.clear();
    wheel(-120, Qt::NoModifier, d.VertScrollBar());
    EXPECT_EQ(d.StartY(), 220);
    EXPECT_EQ(d.VertScrollBar()->value(), 220);
    EXPECT_EQ(turns.size(), 1u);
}

// A turn of three lines on a reduced 1-bit page: each line runs and reports, and the picture
// shown is the one the last line alone would show.
TEST_F(Input, WheelTurnShowsWhatItsLastLineShows) {
    TVIkDisp& d = make(200, 150, 40, 40, 0.5);
    const IKHANDLE page = keep(randomImage(900, 1200, 1, 11));
    d.SetImgHandle(page);
    ASSERT_TRUE(d.Display(vikActualSize));
    int ends = 0;
    d.OnEndDispImage = [&](TVIkDisp*, int, int, int, int, int, int, double, double) { ++ends; };
    d.SetStartY(400);
    ASSERT_TRUE(d.Refresh());
    ends = 0;
    wheel(-120);
    EXPECT_EQ(d.StartY(), 430);
    EXPECT_EQ(ends, 3);
    const QImage turned = d.Surface().copy();
    d.SetStartY(430);
    ASSERT_TRUE(d.Refresh());
    EXPECT_EQ(turned, d.Surface());
}

TEST_F(Input, WheelDoesNothingWithoutStepOrImage) {
    QApplication::setWheelScrollLines(121);  // more lines than a notch holds: a step of 0
    TVIkDisp& d = make(200, 150, 400, 600);
    ASSERT_TRUE(d.Display(vikActualSize));
    int events = 0;
    d.OnMouseWheelUpImage = d.OnMouseWheelDownImage = [&](TVIkDisp*, Qt::KeyboardModifiers, TVIkMouseWheel) { ++events; };
    wheel(120);
    EXPECT_EQ(d.StartY(), 0);
    EXPECT_TRUE(scrolls.empty());
    EXPECT_EQ(events, 0);

    // The step is read when the control is made: a control made now steps, without an image nothing.
    const auto count = d.OnMouseWheelUpImage;
    QApplication::setWheelScrollLines(3);
    TVIkDisp& stepping = make(200, 150, 400, 600);
    stepping.OnMouseWheelUpImage = stepping.OnMouseWheelDownImage = count;
    stepping.SetImgHandle(0);
    wheel(120);
    EXPECT_EQ(events, 0);
}

TEST_F(Input, ScrollDragKeepsTheGrabbedPointUnderTheMouse) {
    TVIkDisp& d = make(200, 150, 400, 300, 2.0);
    d.SetScrollDrag(true);
    d.SetStartX(50);
    d.SetStartY(60);
    ASSERT_TRUE(d.Display(vikActualSize));
    ASSERT_EQ(d.DrawnRect().left, 0);
    int afterRuns = 0;
    d.OnEndDispImage = [&](TVIkDisp*, int, int, int, int, int, int, double, double) { ++afterRuns; };

    // Pressed 40 px right of the picture's left edge: image x 50 + 20.
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(40, 30));
    EXPECT_TRUE(d.ScrollDragging());
    EXPECT_EQ(d.cursor().shape(), Qt::SizeAllCursor);
    mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(30, 30));
    EXPECT_EQ(d.StartX(), 55) << "10 screen pixels left move the view 5 image pixels right";
    EXPECT_EQ(d.StartY(), 60);
    EXPECT_EQ(afterRuns, 1);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back().x, 70) << "the grabbed image point stays under the mouse";
    EXPECT_EQ(moves.back().left, 55);
    expectCornerShown();
    mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(40, 50));
    EXPECT_EQ(d.StartX(), 50);
    EXPECT_EQ(d.StartY(), 50);
    // Dragging stops at the image's edges.
    mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(250, 250));
    EXPECT_EQ(d.StartX(), 0);
    EXPECT_EQ(d.StartY(), 0);
    mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(-2000, -2000));
    EXPECT_EQ(d.SrcRect().right, 399);
    EXPECT_EQ(d.SrcRect().bottom, 299);
    expectCornerShown();
    EXPECT_TRUE(scrolls.empty()) << "no scroll event while dragging";

    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(-2000, -2000));
    EXPECT_FALSE(d.ScrollDragging());
    EXPECT_EQ(d.cursor().shape(), Qt::ArrowCursor) << "the control's own cursor again";
    const int left = d.StartX();
    mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(10, 10));
    EXPECT_EQ(d.StartX(), left) << "moving after the release does not scroll";

    // A cursor of the control's own comes back after the drag; without ScrollDrag nothing drags.
    d.setCursor(Qt::CrossCursor);
    d.SetDispRectCursor(QCursor(Qt::ClosedHandCursor));
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(40, 30));
    EXPECT_EQ(d.cursor().shape(), Qt::ClosedHandCursor);
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(40, 30));
    EXPECT_EQ(d.cursor().shape(), Qt::CrossCursor);
    d.SetScrollDrag(false);
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(40, 30));
    mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(10, 10));
    EXPECT_FALSE(d.ScrollDragging());
    EXPECT_EQ(d.StartX(), left);
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(10, 10));
}

TEST_F(Input, ImageMouseEventsOnlyOverThePicture) {
    TVIkDisp& d = make(100, 80, 40, 30);
    d.SetScrollDrag(true);
    ASSERT_TRUE(d.Display(vikScale));  // centred at (30, 25), 1:1
    ASSERT_EQ(d.DrawnRect(), (Ikutils::IkRect{30, 25, 70, 55}));
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    d.clearFocus();

    mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(10, 40));  // the margin
    EXPECT_TRUE(downs.empty());
    EXPECT_EQ(plainDowns, std::vector<Qt::MouseButton>{Qt::LeftButton});
    EXPECT_TRUE(d.hasFocus()) << "a left press takes the focus";
    EXPECT_FALSE(d.ScrollDragging()) << "scroll-dragging is for the actual-size mode";
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(10, 40));
    EXPECT_TRUE(ups.empty());

    const MouseImage at35x27{Qt::LeftButton, 30, 25, 0, 0, 39, 29, 1.0, 5, 2};
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(35, 27));
    EXPECT_EQ(downs, std::vector<MouseImage>{at35x27});
    // A right press while the left button is down reports no image event.
    mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton, QPoint(36, 27));
    EXPECT_EQ(downs.size(), 1u);
    EXPECT_EQ(plainDowns.size(), 3u);
    mouse(QEvent::MouseButtonRelease, Qt::RightButton, Qt::LeftButton, QPoint(36, 27));
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(35, 27));
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(ups[1], at35x27);
    EXPECT_EQ(ups[0].button, Qt::RightButton);
    mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, QPoint(70, 55));  // the far edges count
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[1].button, Qt::RightButton);
    EXPECT_EQ(downs[1].x, 40);
    EXPECT_EQ(downs[1].y, 30);
    mouse(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, QPoint(70, 55));

    // Moves report without a button down too, over the picture only.
    mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(31, 26));
    mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(71, 26));
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].x, 1);
    EXPECT_EQ(moves[0].y, 1);
}

TEST_F(Input, KeysAreHandedOnButArrowsStayWithTheControl) {
    struct Parent : QWidget {
        std::vector<int> keys;
        void keyPressEvent(QKeyEvent* e) override { keys.push_back(e->key()); }
    } parent;
    TVIkDisp& d = make(200, 150, 400, 300);
    d.setParent(&parent);
    ASSERT_TRUE(d.Display(vikActualSize));
    std::vector<int> handed;
    d.OnKeyDown = [&](TVIkDisp*, int key, Qt::KeyboardModifiers) { handed.push_back(key); };
    for (int key : {int(Qt::Key_Down), int(Qt::Key_Right), int(Qt::Key_A), int(Qt::Key_PageDown)}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&d, &press);
    }
    EXPECT_EQ(handed, (std::vector<int>{Qt::Key_Down, Qt::Key_Right, Qt::Key_A, Qt::Key_PageDown}));
    EXPECT_EQ(parent.keys, (std::vector<int>{Qt::Key_A, Qt::Key_PageDown}));
    EXPECT_EQ(d.StartX(), 0);
    EXPECT_EQ(d.StartY(), 0) << "keys do not scroll";
    d.setParent(nullptr);
}

class Drops : public Input {
protected:
    std::vector<std::pair<QString, int>> dropped;
    std::vector<QString> titlesSeen;
    TVIkDisp& makeTarget() {
        TVIkDisp& d = make(100, 100, 40, 40);
        d.OnGetDragDropFileName = [&](TVIkDisp* sender, const QString& name, std::int16_t page) {
            dropped.push_back({name, page});
            titlesSeen.push_back(sender->windowTitle());
        };
        return d;
    }
    // Enters and drops as the system does; the result is whether the control took the drag.
    bool drop(QMimeData& data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(display.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(display.get(), &event);
        return event.isAccepted();
    }
};

TEST_F(Drops, FilesFromTheFileManagerArriveInOrderWithPageZero) {
    TVIkDisp& d = makeTarget();
    EXPECT_EQ(d.windowTitle(), "RoduvIzi7");
    // Linux paths may be longer than 260 characters; a cut name would be another file.
    const QString longName = "/tmp/" + QString(300, QLatin1Char('d')) + "/page.tif";
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/one.tif"), QUrl("https://example.org/x.tif"),
                   QUrl::fromLocalFile(longName)});
    ASSERT_TRUE(drop(files));
    EXPECT_EQ(dropped, (std::vector<std::pair<QString, int>>{{"/tmp/one.tif", 0}, {longName, 0}}));

    dropped.clear();
    QMimeData text;
    text.setText("/tmp/one.tif");
    EXPECT_FALSE(drop(text));
    EXPECT_TRUE(dropped.empty());
}

TEST_F(Drops, ThumbnailDragCarriesItsPageOnce) {
    TVIkDisp& d = makeTarget();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/four.tif"), QUrl::fromLocalFile("/tmp/two.tif")});
    ThumbPageHandOver handOver(3);
    qApp->installEventFilter(&handOver);
    const bool taken = drop(files);
    qApp->removeEventFilter(&handOver);
    ASSERT_TRUE(taken);
    EXPECT_EQ(dropped, (std::vector<std::pair<QString, int>>{{"/tmp/four.tif", 3}, {"/tmp/two.tif", 0}}));
    EXPECT_EQ(titlesSeen, (std::vector<QString>{"RoduvIzi7", "RoduvIzi7"}));
    EXPECT_EQ(d.windowTitle(), "RoduvIzi7");
}

TEST_F(Input, ResizeReportsThenLaysOutAgain) {
    TVIkDisp& d = make(100, 80, 400, 300);
    ASSERT_TRUE(d.Display(vikActualSize));
    d.show();  // a hidden control gets its size change when shown
    std::vector<int> widthsSeen;
    d.OnResize = [&](TVIkDisp* sender) { widthsSeen.push_back(sender->VisibleWidth()); };
    d.resize(160, 80);
    EXPECT_EQ(widthsSeen, std::vector<int>{100}) << "fired before the layout";
    EXPECT_EQ(d.VisibleWidth(), 160);
    QImage shown(d.size(), QImage::Format_RGB32);
    d.render(&shown);
    EXPECT_EQ(shown.pixel(150, 70) & 0xFFFFFF, colourAt(image, 150, 70)) << "repainted whole";
}

}  // namespace
