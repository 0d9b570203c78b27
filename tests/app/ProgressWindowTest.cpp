#include "app/PagePicture.h"
#include "app/Progresswindow1.h"
#include "Ikcommon.h"
#include "Ikdllprocs.h"
#include "display/Ikdisp.h"
#include "platform/GlobalMemory.h"
#include "widgets/Dxfprogressbar.h"
#include "widgets/Shadolbl.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include "support/RgbTiff.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <vector>

TEST(ProgressWindow, RunShowsFileCountsAndBar) {
    TProgressForm1 window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("処理中..."));
    EXPECT_EQ(window.size(), QSize(468, 98));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);

    window.BeginRun(QStringLiteral("/home/user/書類/out.tif"), 10);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Label4->Caption(), QStringLiteral("/home/user/書類/out.tif"));
    EXPECT_EQ(window.Label5->Caption(), QStringLiteral("0"));
    EXPECT_EQ(window.Label6->Caption(), QStringLiteral("10"));
    EXPECT_EQ(window.ProgressBar1->Max(), 10);
    EXPECT_EQ(window.ProgressBar1->Position(), 0);

    window.PageDone(3);
    EXPECT_EQ(window.Label5->Caption(), QStringLiteral("3"));
    EXPECT_EQ(window.ProgressBar1->Position(), 3);
    window.EndRun();
    EXPECT_FALSE(window.isVisible());
}

TEST(ProgressWindow, EmptyRunKeepsAnEmptyBar) {
    TProgressForm1 window;
    window.BeginRun(QStringLiteral("x.tif"), 0);
    EXPECT_EQ(window.ProgressBar1->Max(), 0);
    EXPECT_FALSE(window.grab().isNull());
    window.EndRun();
}

TEST(ProgressWindow, ShowsThePageFittedInItsPicture) {
    TVIkCommon common;
    ASSERT_TRUE(common.CreateImage(300, 200, 24, 255, 0, 0));
    TProgressForm1 window;
    window.BeginRun(QStringLiteral("x.tif"), 1);
    window.ShowPage(common.ImgHandle());
    const QImage shown = window.grab().toImage();
    const QPoint centre = window.IkDisp1->geometry().center();
    EXPECT_EQ(shown.pixelColor(centre), QColor(255, 0, 0));
    window.ShowPage(0);
    EXPECT_NE(window.grab().toImage().pixelColor(centre), QColor(255, 0, 0));
    window.EndRun();
}

namespace {

QRgb colourOf(int page) {
    static const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 255), qRgb(255, 255, 0),
                                   qRgb(255, 0, 255)};
    return colours[page % 5];
}

// A TIFF of `pages` uncompressed RGB pages: page n (from 0) is (width + 10 n) × height pixels of colourOf(n).
QString writeColourTiff(const QString& path, int pages, int width = 300, int height = 200) {
    return writeRgbTiff(
        path, pages, [&](int n) { return QSize(width + 10 * n, height); },
        [](int n, int, int) { return std::uint32_t(colourOf(n) & 0xFFFFFF); }, COMPRESSION_NONE, 16);
}

QRgb pictureCentre(TProgressForm1& window) {
    const QImage shown = window.grab().toImage();
    return shown.pixel(window.IkDisp1->geometry().center()) & 0xFFFFFF;
}

// Turns the window's event loop, as a job does, until no asked-for picture is left to show.
bool waitForPicture(TProgressForm1& window) {
    QElapsedTimer clock;
    clock.start();
    while (window.PicturePending() && clock.elapsed() < 20000) {
        window.RepaintNow();
        QThread::msleep(2);
    }
    window.RepaintNow();
    return !window.PicturePending();
}

class PagePictures : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        book = writeColourTiff(dir.filePath(QStringLiteral("book.tif")), 5);
        ASSERT_FALSE(book.isEmpty());
    }
    // A page whose decode takes a while, to end runs and close windows while it is under way.
    QString largeBook() { return writeColourTiff(dir.filePath(QStringLiteral("large.tif")), 1, 3000, 2000); }

    QTemporaryDir dir;
    QString book;
};

TEST_F(PagePictures, TheNewestRequestWinsAndIsShownFitted) {
    TProgressForm1 window;
    window.BeginRun(book, 5);
    for (int page = 0; page < 5; ++page) window.ShowPageOf(book, page);
    ASSERT_TRUE(waitForPicture(window));
    EXPECT_EQ(pictureCentre(window), colourOf(4) & 0xFFFFFF);
    // Fitted into the 98 × 73 picture before it reaches the display: 340 × 200 → 98 × 58.
    IKIMAGEINFO info{};
    ASSERT_TRUE(Ikdllprocs::IkGetImageType(window.IkDisp1->ImgHandle(), &info));
    EXPECT_EQ(QSize(info.width, info.height), QSize(98, 58));

    // A later, smaller request replaces the picture; a page that cannot be read leaves it.
    window.ShowPageOf(book, 1);
    ASSERT_TRUE(waitForPicture(window));
    EXPECT_EQ(pictureCentre(window), colourOf(1) & 0xFFFFFF);
    for (const auto& [path, page] : {std::pair{book, 5}, std::pair{book, -1}, std::pair{dir.filePath("none.tif"), 0}}) {
        window.ShowPageOf(path, page);
        ASSERT_TRUE(waitForPicture(window));
        EXPECT_EQ(pictureCentre(window), colourOf(1) & 0xFFFFFF) << path.toStdString() << " " << page;
    }
    window.EndRun();
    EXPECT_EQ(window.IkDisp1->ImgHandle(), 0u);
}

TEST_F(PagePictures, RequestsWaitingBehindADecodeAreDropped) {
    TVIkCommon kit;  // keeps the kit attached
    const QString large = largeBook();
    std::atomic<int> ready{0};
    app::PagePicture picture([&] { ++ready; });
    picture.request(large, 0, {98, 73});
    QThread::msleep(10);
    for (int page = 0; page < 5; ++page) picture.request(book, page, {98, 73});
    // Pictures are taken until the newest page's (340 × 200 fitted: 98 × 58) arrives.
    QSize last;
    QElapsedTimer clock;
    clock.start();
    while (last != QSize(98, 58) && clock.elapsed() < 20000) {
        if (const IKHANDLE taken = picture.take()) {
            IKIMAGEINFO info{};
            ASSERT_TRUE(Ikdllprocs::IkGetImageType(taken, &info));
            last = QSize(info.width, info.height);
            app::freePicture(taken);
        }
        QThread::msleep(2);
    }
    EXPECT_EQ(last, QSize(98, 58));
    QThread::msleep(50);
    // The large page (unless the newer requests came first), then only the newest of those
    // made while it was decoded.
    EXPECT_LE(ready, 2);
    EXPECT_EQ(picture.take(), 0u);
    EXPECT_FALSE(picture.pending());
}

TEST_F(PagePictures, EveryDecodedPictureIsFreedOnce) {
    const QString large = largeBook();
    TVIkCommon jobs;  // makes the job's own image
    const std::size_t before = platform::globalLiveCount();
    {
        TProgressForm1 window;
        window.BeginRun(book, 5);
        // Pictures replacing each other, then the run ends with one shown.
        for (int page = 0; page < 3; ++page) {
            window.ShowPageOf(book, page);
            ASSERT_TRUE(waitForPicture(window));
        }
        window.EndRun();
        EXPECT_EQ(platform::globalLiveCount(), before);

        // The run ends while a decode is under way.
        window.BeginRun(book, 5);
        window.ShowPageOf(large, 0);
        QThread::msleep(10);
        window.EndRun();
        QElapsedTimer clock;
        clock.start();
        while (window.PicturePending() && clock.elapsed() < 20000) QThread::msleep(2);
        QApplication::processEvents();
        EXPECT_EQ(window.IkDisp1->ImgHandle(), 0u);
        EXPECT_EQ(platform::globalLiveCount(), before);

        // The job's own image replaces a shown picture and abandons a decode under way;
        // the window frees its picture and leaves the job's image alone.
        window.BeginRun(book, 5);
        window.ShowPageOf(book, 2);
        ASSERT_TRUE(waitForPicture(window));
        ASSERT_TRUE(jobs.CreateImage(40, 30, 24, 255, 0, 255));
        window.ShowPageOf(large, 0);
        window.ShowPage(jobs.ImgHandle());
        ASSERT_TRUE(waitForPicture(window));
        EXPECT_EQ(window.IkDisp1->ImgHandle(), jobs.ImgHandle());
        EXPECT_EQ(platform::globalLiveCount(), before + 1);
        window.ShowPage(0);
        EXPECT_TRUE(jobs.FreeMemory());
        EXPECT_EQ(platform::globalLiveCount(), before);

        // The window is closed with a picture shown and a decode under way.
        window.ShowPageOf(book, 3);
        ASSERT_TRUE(waitForPicture(window));
        window.ShowPageOf(large, 0);
        QThread::msleep(10);
    }
    EXPECT_EQ(platform::globalLiveCount(), before);
}

// Runs `act` inside a turn of the window's event loop, as input arriving while a job runs.
void duringTurn(TProgressForm1& window, const std::function<void()>& act) {
    QTimer::singleShot(0, &window, act);
    window.RepaintNow();
}

TEST(ProgressWindowStop, ButtonAndEscAskToStopAndBeginRunClears) {
    QWidget other;
    other.resize(100, 50);
    other.show();
    struct Way {
        const char* name;
        std::function<void(TProgressForm1&)> act;
    };
    const Way ways[] = {
        {"click on the button through the window",
         [](TProgressForm1& w) {
             QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, w.StopButton->geometry().center());
         }},
        {"Esc in the window", [](TProgressForm1& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"Esc in another window", [&](TProgressForm1&) { QTest::keyClick(&other, Qt::Key_Escape); }},
    };
    TProgressForm1 window;
    EXPECT_FALSE(window.StopButton->isEnabled());
    EXPECT_EQ(window.StopButton->text(), QStringLiteral("中止"));
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        window.BeginRun(QStringLiteral("x.tif"), 3);
        EXPECT_FALSE(window.StopRequested());
        EXPECT_TRUE(window.StopButton->isEnabled());
        window.PageDone(1);
        duringTurn(window, [&] { way.act(window); });
        EXPECT_TRUE(window.StopRequested());
        EXPECT_FALSE(window.StopButton->isEnabled());
        // Esc never closes the window: the job closes it.
        EXPECT_TRUE(window.isVisible());
        window.PageDone(2);
        window.EndRun();
        EXPECT_FALSE(window.StopButton->isEnabled());
    }
    // Outside a run Esc asks nothing and leaves the window as it is.
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    window.BeginRun(QStringLiteral("x.tif"), 3);
    EXPECT_FALSE(window.StopRequested());
    window.EndRun();
}

TEST(ProgressWindowStop, OtherInputDuringARunIsDropped) {
    QWidget other;
    auto* button = new QPushButton(QStringLiteral("x"), &other);
    auto* edit = new QLineEdit(&other);
    edit->move(0, 40);
    other.resize(200, 100);
    other.show();
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });

    TProgressForm1 window;
    window.BeginRun(QStringLiteral("x.tif"), 3);
    duringTurn(window, [&] {
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClicks(edit, QStringLiteral("abc"));
    });
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_FALSE(window.StopRequested());
    window.EndRun();
    // Outside the job's turns the same input goes through.
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClicks(edit, QStringLiteral("abc"));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(edit->text(), QStringLiteral("abc"));
}

TEST(ProgressWindowStop, ADialogOpenedDuringATurnTakesInput) {
    TProgressForm1 window;
    window.BeginRun(QStringLiteral("x.tif"), 3);
    bool answered = false, forced = false;
    duringTurn(window, [&] {
        QDialog box;
        auto* ok = new QPushButton(QStringLiteral("OK"), &box);
        QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
        QTimer::singleShot(0, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
        // Ends the box if the click never arrives (hiding it ends its loop).
        QTimer::singleShot(3000, &box, [&] {
            forced = true;
            box.hide();
        });
        answered = box.exec() == QDialog::Accepted;
    });
    EXPECT_TRUE(answered);
    EXPECT_FALSE(forced);
    window.EndRun();
}

TEST(ProgressWindowStop, AWindowClosedDuringARunClosesAfterIt) {
    QWidget other;
    other.resize(100, 50);
    other.show();
    ASSERT_TRUE(other.windowHandle());
    TProgressForm1 window;
    window.BeginRun(QStringLiteral("x.tif"), 3);
    // The same spontaneous close the title-bar button delivers.
    duringTurn(window, [&] { other.windowHandle()->close(); });
    EXPECT_TRUE(other.isVisible());
    window.EndRun();
    EXPECT_TRUE(other.isVisible());
    QApplication::processEvents();
    EXPECT_FALSE(other.isVisible());
}

// When the window is painted, on the clock of a job that starts with it.
class PaintClock : public QObject {
public:
    explicit PaintClock(QWidget& watched) {
        watched.installEventFilter(this);
        clock.start();
    }
    std::vector<qint64> at;
    QElapsedTimer clock;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) at.push_back(clock.elapsed());
        return false;
    }
};

struct SlowPage {
    qint64 longestPaintGap = 0;
    // The longest time the job itself did not get to tick: the system did not run it.
    qint64 longestJobPause = 0;
    QString paintTimes;
};

// One page of 300 ms: the job works and ticks from its progress callbacks every 2 ms.
SlowPage runSlowPage(TProgressForm1& window) {
    PaintClock paints(window);
    SlowPage result;
    qint64 lastTickEnd = 0;
    while (paints.clock.elapsed() < 300) {
        const qint64 stepEnd = paints.clock.nsecsElapsed() + 2'000'000;
        while (paints.clock.nsecsElapsed() < stepEnd) {
        }
        const qint64 tickStart = paints.clock.elapsed();
        result.longestJobPause = std::max(result.longestJobPause, tickStart - lastTickEnd);
        window.Tick();
        lastTickEnd = paints.clock.elapsed();
    }
    const qint64 end = paints.clock.elapsed();
    qint64 previous = 0;
    for (const qint64 t : paints.at) {
        result.longestPaintGap = std::max(result.longestPaintGap, t - previous);
        result.paintTimes += QString::number(t) + u' ';
        previous = t;
    }
    result.longestPaintGap = std::max(result.longestPaintGap, end - previous);
    result.paintTimes += QStringLiteral("(end %1)").arg(end);
    return result;
}

TEST_F(PagePictures, ASlowPageStillRepaintsAndGetsItsPicture) {
    TProgressForm1 window;
    // A run in which the system left the job itself waiting says nothing about the window;
    // it is tried again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        window.BeginRun(book, 5);
        window.ShowPageOf(book, 2);
        const SlowPage page = runSlowPage(window);
        if (page.longestJobPause > 20) {
            window.EndRun();
            continue;
        }
        EXPECT_LE(page.longestPaintGap, 100) << "painted at " << page.paintTimes.toStdString();
        // The picture was decoded beside the job and shown at one of its ticks.
        EXPECT_EQ(pictureCentre(window), colourOf(2) & 0xFFFFFF);
        window.EndRun();
        return;
    }
    GTEST_SKIP() << "the system kept pausing the job itself";
}

}  // namespace
