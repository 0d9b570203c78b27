// The thumbnail browser making the thumbnails after the visible ones on a worker thread:
// the same events and thumbnails as the synchronous way, a window that stays usable, and
// every way of stopping the work midway leaving no thumbnail behind.
#include "BrowseFixture.h"
#include "browse/Ikthumb.h"

#include "Ikdllprocs.h"
#include "platform/GlobalMemory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>
#include <thread>

namespace {

class Background : public BrowseFolder {
protected:
    void TearDown() override {
        thumb.reset();
        BrowseFolder::TearDown();
    }
    // The viewer's column of five tiles, with the load events recorded.
    TVIkThumb& make(bool background) {
        thumb = std::make_unique<TVIkThumb>();
        thumb->resize(140, 620);
        thumb->SetColCount(1);
        thumb->SetRowCount(5);
        thumb->SetGapSize(1);
        thumb->SetEdgeSize(1);
        thumb->SetMakeInBackground(background);
        events.clear();
        ends.clear();
        thumb->OnStartLoadFile = [this](TVIkThumb*, const QString&, const QString& name, std::int16_t n, std::int16_t max) {
            events.push_back("start " + name.toStdString() + " " + std::to_string(n) + "/" + std::to_string(max));
        };
        thumb->OnEndLoadFile = [this](TVIkThumb*, const QString&, const QString& name, std::int16_t n, std::int16_t max) {
            events.push_back("end " + name.toStdString() + " " + std::to_string(n) + "/" + std::to_string(max));
            ends.push_back(n);
        };
        return *thumb;
    }
    bool list(const QString& fileExt, TVIkThumbnailReadMode mode) { return listInto(*thumb, fileExt, mode); }
    // Runs the event loop until done() or the time is up; whether done() came true.
    static bool runUntil(const std::function<bool()>& done, int ms = 30000) {
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (done() || clock.elapsed() > ms) loop.quit();
        });
        tick.start(2);
        loop.exec();
        return done();
    }
    bool finish() {
        return runUntil([this] { return !thumb->ThumbnailsPending(); });
    }
    int made() const {
        return static_cast<int>(std::count_if(thumb->Entries().begin(), thumb->Entries().end(),
                                              [](const TIKSORTDATA& e) { return e.Thumb != 0; }));
    }
    void click(QPoint at) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, QPointF(at), QPointF(thumb->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(thumb.get(), &event);
        }
    }
    // A TIFF of `pages` pages of 800 × 600, LZW: a few milliseconds each to make.
    void makeLargeTiff(const QString& name, int pages) {
        QString command = QStringLiteral("convert -size 800x600");
        for (int i = 0; i < pages; ++i) command += i % 2 ? QStringLiteral(" xc:navy") : QStringLiteral(" gradient:");
        command += QStringLiteral(" -compress lzw '%1' >/dev/null 2>&1").arg(path(name));
        ASSERT_EQ(std::system(command.toUtf8().constData()), 0);
    }

    std::unique_ptr<TVIkThumb> thumb;
    std::vector<std::string> events;
    std::vector<int> ends;
};

// Twelve files of different pictures, the seventh undecodable; both ways give the same
// events in entry order, the failed entry removed, and each entry its own thumbnail.
TEST_F(Background, SameEventsAndThumbnailsAsTheSynchronousWay) {
    for (int i = 0; i < 12; ++i) {
        const QString name = QStringLiteral("p%1.tif").arg(i, 2, 10, QLatin1Char('0'));
        if (i == 6) {
            makeUndecodable(name);
            continue;
        }
        const QString command = QStringLiteral("convert -seed %1 -size %2x90 plasma: -depth 8 '%3' >/dev/null 2>&1")
                                    .arg(i).arg(120 + 10 * i).arg(path(name));
        ASSERT_EQ(std::system(command.toUtf8().constData()), 0);
    }
    std::vector<std::string> synchronous;
    for (bool background : {false, true}) {
        SCOPED_TRACE(background ? "background" : "synchronous");
        TVIkThumb& t = make(background);
        t.SetSort(vikSortFileName);
        ASSERT_TRUE(list("TIF", vikThumbRdDsp));
        ASSERT_EQ(t.Count(), 12);
        ASSERT_TRUE(t.Display());
        if (background) {
            // The five visible tiles are made; the rest come through the event loop.
            EXPECT_EQ(made(), 5);
            EXPECT_EQ(ends, (std::vector<int>{1, 2, 3, 4, 5}));
            EXPECT_TRUE(t.ThumbnailsPending());
            // A paint of the made tiles makes nothing more: the rest is the worker's.
            QImage picture(t.size(), QImage::Format_RGB32);
            t.render(&picture);
            EXPECT_EQ(made(), 5);
            ASSERT_TRUE(finish());
            EXPECT_EQ(events, synchronous);
        } else {
            EXPECT_FALSE(t.ThumbnailsPending());
            synchronous = events;
        }
        ASSERT_EQ(t.Count(), 11);
        EXPECT_EQ(made(), 11);
        EXPECT_EQ(t.Entries()[6].FileName, "p07.tif");  // closed up
        expectThumbnailsAsMadeAlone(t);
    }
    EXPECT_EQ(synchronous.size(), 24u);
}

// While the rest is made the user can click and scroll; tiles scrolled into view are made
// at once, and no entry is made or reported twice.
TEST_F(Background, WindowStaysUsableWhileTheRestIsMade) {
    makeLargeTiff("many.tif", 20);
    TVIkThumb& t = make(true);
    std::vector<int> selected;
    t.OnSelectFile = [&](TVIkThumb*, const QString&, const QString&, std::int16_t n, std::int16_t, std::int16_t,
                         std::int16_t, std::int16_t, std::int16_t) { selected.push_back(n); };
    ASSERT_TRUE(list("many.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    ASSERT_TRUE(t.ThumbnailsPending());
    const ThumbTile& second = t.Tiles()[1];
    click({(second.Left + second.Right) / 2, (second.Top + second.Bottom) / 2});
    EXPECT_EQ(selected, (std::vector<int>{2, 2}));  // press and release
    EXPECT_EQ(t.SelectFileName(), path("many.tif"));

    t.ScrollRequest(ThumbScrollRequest::Bottom);
    EXPECT_EQ(t.StartNum(), 15);
    for (int i = 15; i < 20; ++i) EXPECT_NE(t.Entries()[static_cast<std::size_t>(i)].Thumb, 0u) << i;
    ASSERT_TRUE(finish());
    EXPECT_EQ(made(), 20);
    std::vector<int> once(20);
    std::iota(once.begin(), once.end(), 1);
    std::sort(ends.begin(), ends.end());
    EXPECT_EQ(ends, once);
}

// Stopping midway by every way the owner has: the work ends, what was made but not taken is
// freed, and nothing of the stopped run reaches the list afterwards.
TEST_F(Background, StoppingMidwayLeavesNoThumbnailBehind) {
    constexpr int kPages = 30;
    makeLargeTiff("many.tif", kPages);
    struct Case {
        const char* name;
        std::function<void()> act;
        int count;  // entries afterwards
        int made;   // of them with a thumbnail, -1: as many as before the stop
    };
    const Case cases[] = {
        {"Clear", [this] { thumb->Clear(); }, 0, 0},
        {"GetFiles", [this] { thumb->GetFiles(); }, kPages, 0},
        {"SetFilePath", [this] { thumb->SetFilePath(folder()); }, kPages, -1},
        {"Stop", [this] { thumb->Stop(); }, kPages, -1},
        {"Display", [this] { thumb->Display(); }, kPages, kPages},
        {"destruction", [this] { thumb.reset(); }, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t live = platform::globalLiveCount();
        TVIkThumb& t = make(true);
        ASSERT_TRUE(list("many.tif", vikThumbRdDspMultiImg));
        ASSERT_TRUE(t.Display());
        ASSERT_TRUE(runUntil([this] { return ends.size() >= 7; }));
        // The window thread held up a while, so that thumbnails wait made but not taken.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const int before = made();
        const std::size_t endsBefore = ends.size();
        c.act();
        if (!thumb) {
            runUntil([] { return false; }, 100);
            EXPECT_EQ(platform::globalLiveCount(), live);
            continue;
        }
        if (c.made == kPages) {
            ASSERT_TRUE(finish());
            // Display again makes only the entries still missing: each entry reported once.
            std::vector<int> numbers = ends;
            std::sort(numbers.begin(), numbers.end());
            std::vector<int> once(kPages);
            std::iota(once.begin(), once.end(), 1);
            EXPECT_EQ(numbers, once);
        } else {
            EXPECT_FALSE(thumb->ThumbnailsPending());
            runUntil([] { return false; }, 100);
            EXPECT_EQ(ends.size(), endsBefore);  // no event of the stopped run
        }
        EXPECT_EQ(thumb->Count(), c.count);
        EXPECT_EQ(made(), c.made < 0 ? before : c.made);
        thumb.reset();
        EXPECT_EQ(platform::globalLiveCount(), live);
    }
}

}  // namespace
