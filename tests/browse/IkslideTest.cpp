// The slide control with the kit loaded and real files: lists from slide files and
// folders, stepping and the slide show, the wipe and its progress, the fitted and centred
// picture, errors, and the program's preview sequence while the event loop runs.
#include "BrowseFixture.h"
#include "browse/Ikslide.h"

#include "Ikinit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

namespace {

// The preview panes' background, 0x00BBGGRR.
constexpr std::uint32_t kPreviewColour = 14024703;
const QRgb kBackground = qRgb(255, 255, 213);

struct SlideEvent {
    char kind;  // 'S' start, 'E' end
    int number;
    QString path, name;
};

class Slide : public BrowseFolder {
protected:
    void TearDown() override {
        slide.reset();
        BrowseFolder::TearDown();
    }
    // A control of width × height configured as the program's preview panes, events recorded.
    TVIkSlide& make(int width, int height) {
        slide = std::make_unique<TVIkSlide>();
        slide->resize(width, height);
        slide->SetAppearance(vikLowered);
        slide->SetBorderVisible(true);
        slide->SetFileReadWay(vikSlidefile);
        slide->SetIntervalTime(1);
        slide->SetScrollDir(vikLeftToRight);
        slide->SetScrollSize(4);
        slide->SetSort(vikSortFileName);
        slide->SetColor(kPreviewColour);
        slide->OnStartSlide = [this](TVIkSlide*, std::int16_t n, const QString& p, const QString& f) {
            events.push_back({'S', n, p, f});
        };
        slide->OnEndSlide = [this](TVIkSlide*, std::int16_t n, const QString& p, const QString& f) {
            events.push_back({'E', n, p, f});
        };
        slide->OnProgress = [this](TVIkSlide*, std::int16_t percent) { progress.push_back(percent); };
        return *slide;
    }
    // Writes the slide file (CR LF line ends) and points the control at it.
    void slideFile(const QStringList& lines) {
        QByteArray bytes;
        for (const QString& line : lines) bytes += line.toUtf8() + "\r\n";
        writeBytes(QStringLiteral("_slide.tmp"), bytes);
        slide->SetSlideFileName(path(QStringLiteral("_slide.tmp")));
    }
    void convert(const QString& args, const QString& name) {
        const QString command = QStringLiteral("convert %1 '%2' >/dev/null 2>&1").arg(args, path(name));
        ASSERT_EQ(std::system(command.toUtf8().constData()), 0) << command.toStdString();
    }
    // Runs the event loop until the wipe has ended (or 5 s passed).
    void finishWipe() {
        QElapsedTimer clock;
        clock.start();
        while (slide->Wiping() && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_FALSE(slide->Wiping());
    }
    void runEvents(int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    int starts() const {
        int n = 0;
        for (const SlideEvent& e : events) n += e.kind == 'S';
        return n;
    }
    QImage rendered() {
        QImage picture(slide->size(), QImage::Format_RGB32);
        slide->render(&picture);
        return picture;
    }
    // The pixels of a screen row (or column) across the draw area: R red, G green, B blue,
    // Y background, ? other.
    static std::string line(const QImage& image, bool row, int at, int from, int count) {
        std::string s;
        for (int i = from; i < from + count; ++i) {
            const QRgb c = (row ? image.pixel(i, at) : image.pixel(at, i)) & 0xFFFFFF;
            s += c == (qRgb(255, 0, 0) & 0xFFFFFF)         ? 'R'
                 : c == (qRgb(0, 128, 0) & 0xFFFFFF)       ? 'G'
                 : c == (qRgb(0, 0, 255) & 0xFFFFFF)       ? 'B'
                 : c == (kBackground & 0xFFFFFF)           ? 'Y'
                                                           : '?';
        }
        return s;
    }

    std::unique_ptr<TVIkSlide> slide;
    std::vector<SlideEvent> events;
    std::vector<int> progress;
};

}  // namespace

TEST_F(Slide, OneLineSlideFileShowsThatPageAndTheShowEndsAtItsFirstTick) {
    makeTiff(QStringLiteral("p.tif"), 3, 30, 20);  // red, green, blue
    make(100, 100);
    slideFile({path(QStringLiteral("p.tif")) + QStringLiteral(" 1")});
    ASSERT_TRUE(slide->Open());
    ASSERT_EQ(slide->Count(), 1);
    EXPECT_EQ(slide->Entries()[0].Page, 1);
    ASSERT_TRUE(slide->Start());
    EXPECT_TRUE(slide->Running());
    EXPECT_TRUE(slide->Wiping());  // the wipe goes on through the event loop
    finishWipe();
    EXPECT_EQ(progress.back(), 100);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, 'S');
    EXPECT_EQ(events[1].kind, 'E');
    EXPECT_EQ(events[0].number, 0);
    EXPECT_EQ(events[0].path, folder());
    EXPECT_EQ(events[0].name, QStringLiteral("p.tif 1"));
    EXPECT_EQ(slide->Screen().pixel(50, 50), qRgb(0, 128, 0));
    // The next entry is the same image: the first tick stops the show and draws nothing.
    runEvents(1300);
    EXPECT_FALSE(slide->Running());
    EXPECT_EQ(events.size(), 2u);
    EXPECT_EQ(slide->Screen().pixel(50, 50), qRgb(0, 128, 0));
}

TEST_F(Slide, IntervalZeroShowsOneImageWithoutTimer) {
    makeTiff(QStringLiteral("p.tif"), 1);
    make(100, 100).SetIntervalTime(0);
    slideFile({path(QStringLiteral("p.tif"))});
    ASSERT_TRUE(slide->Open());
    ASSERT_TRUE(slide->Start());
    EXPECT_FALSE(slide->Running());
    slide->SetIntervalTime(-5);
    EXPECT_EQ(slide->IntervalTime(), 0);
}

TEST_F(Slide, StepsPastTheEndStayOrWrapWithEndless) {
    makeTiff(QStringLiteral("t.tif"), 3, 30, 20);
    const QString t = path(QStringLiteral("t.tif"));
    const struct {
        bool endless;
        std::vector<int> shownAfterEachStep;  // CurrentImage after GoNext 1 … 4
        int starts;                           // OnStartSlide count, the Start included
        QRgb last;
    } cases[] = {
        {false, {1, 2, 2, 2}, 3, qRgb(0, 0, 255)},
        {true, {1, 2, 0, 1}, 5, qRgb(0, 128, 0)},
    };
    for (const auto& c : cases) {
        make(100, 100).SetIntervalTime(0);
        slide->SetScrollDir(vikNormal);
        slide->SetEndless(c.endless);
        events.clear();
        slideFile({t + " 0", t + " 1", t + " 2"});
        ASSERT_TRUE(slide->Open());
        ASSERT_TRUE(slide->Start());
        std::vector<int> shown;
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(slide->GoNext());
            shown.push_back(slide->CurrentImage());
        }
        EXPECT_EQ(shown, c.shownAfterEachStep) << c.endless;
        EXPECT_EQ(starts(), c.starts) << c.endless;
        EXPECT_EQ(slide->Screen().pixel(50, 50), c.last) << c.endless;
    }
    // Back from the first wraps to the last with Endless; top and bottom go to the ends.
    ASSERT_TRUE(slide->GoTop());
    EXPECT_EQ(slide->CurrentImage(), 0);
    ASSERT_TRUE(slide->GoBack());
    EXPECT_EQ(slide->CurrentImage(), 2);
    EXPECT_EQ(slide->Screen().pixel(50, 50), qRgb(0, 0, 255));
    slide->SetEndless(false);
    ASSERT_TRUE(slide->GoTop());
    ASSERT_TRUE(slide->GoBack());
    EXPECT_EQ(slide->CurrentImage(), 0);
    ASSERT_TRUE(slide->GoBottom());
    EXPECT_EQ(slide->CurrentImage(), 2);
}

TEST_F(Slide, ShowTimerStepsAndRefusesStepsUntilStopped) {
    makeTiff(QStringLiteral("t.tif"), 3, 30, 20);
    const QString t = path(QStringLiteral("t.tif"));
    make(100, 100).SetScrollDir(vikNormal);
    slideFile({t + " 0", t + " 1", t + " 2"});
    ASSERT_TRUE(slide->Open());
    ASSERT_TRUE(slide->Start());
    EXPECT_FALSE(slide->GoNext());
    EXPECT_EQ(slide->ErrorCode(), 11);
    EXPECT_EQ(slide->CurrentImage(), 0);
    runEvents(1200);  // one tick: the second entry
    EXPECT_EQ(slide->CurrentImage(), 1);
    EXPECT_EQ(slide->Screen().pixel(50, 50), qRgb(0, 128, 0));
    ASSERT_TRUE(slide->Stop());
    EXPECT_FALSE(slide->Running());
    EXPECT_TRUE(slide->GoNext());
    EXPECT_EQ(slide->ErrorCode(), 0);
    EXPECT_EQ(slide->Screen().pixel(50, 50), qRgb(0, 0, 255));
}

TEST_F(Slide, WrongStateIsRefusedWithCode11) {
    makeTiff(QStringLiteral("a.tif"), 1);
    makeTiff(QStringLiteral("b.tif"), 1);
    make(100, 100);
    EXPECT_FALSE(slide->Close());
    EXPECT_EQ(slide->ErrorCode(), 11);
    EXPECT_FALSE(slide->Start());
    EXPECT_FALSE(slide->Stop());
    EXPECT_FALSE(slide->GoNext());
    EXPECT_EQ(slide->ErrorCode(), 11);
    // A second Open keeps the first list.
    slideFile({path(QStringLiteral("a.tif"))});
    ASSERT_TRUE(slide->Open());
    slideFile({path(QStringLiteral("a.tif")), path(QStringLiteral("b.tif"))});
    EXPECT_FALSE(slide->Open());
    EXPECT_EQ(slide->ErrorCode(), 11);
    EXPECT_EQ(slide->Count(), 1);
    EXPECT_TRUE(slide->Close());
    EXPECT_TRUE(slide->Open());
    EXPECT_EQ(slide->Count(), 2);
}

TEST_F(Slide, OpenAndLoadFailuresAreQuiet) {
    makeTiff(QStringLiteral("ok.tif"), 1);
    makeUndecodable(QStringLiteral("bad.tif"));
    writeBytes(QStringLiteral("junk.tif"), QByteArray("II*\0garbage", 11));
    make(100, 100);
    // Open fails with 5: no slide file name, a missing slide file, a folder as slide file.
    for (const QString& name : {QString(), path(QStringLiteral("none.txt")), folder()}) {
        slide->SetSlideFileName(name);
        EXPECT_FALSE(slide->Open()) << name.toStdString();
        EXPECT_EQ(slide->ErrorCode(), 5);
        EXPECT_FALSE(slide->IsOpen());
    }
    // Lines naming nothing readable are skipped; an empty list opens but shows nothing.
    slideFile({path(QStringLiteral("missing.tif")), path(QStringLiteral("junk.tif")), path(QStringLiteral("ok.tif")) + " 7",
               QString(4000, u'x'), QStringLiteral("../../etc/passwd")});
    ASSERT_TRUE(slide->Open());
    EXPECT_EQ(slide->Count(), 0);
    EXPECT_FALSE(slide->Start());
    EXPECT_EQ(slide->ErrorCode(), 6);
    EXPECT_FALSE(slide->GoNext());
    ASSERT_TRUE(slide->Close());
    // Binary bytes as a slide file: an empty list, no crash.
    QByteArray binary(70000, '\0');
    for (int i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 37);
    writeBytes(QStringLiteral("_slide.tmp"), binary);
    ASSERT_TRUE(slide->Open());
    EXPECT_EQ(slide->Count(), 0);
    ASSERT_TRUE(slide->Close());
    // A page whose header reads but whose pixels do not: listed, then Start fails with 6.
    slideFile({path(QStringLiteral("bad.tif"))});
    ASSERT_TRUE(slide->Open());
    ASSERT_EQ(slide->Count(), 1);
    EXPECT_FALSE(slide->Start());
    EXPECT_EQ(slide->ErrorCode(), 6);
    EXPECT_EQ(slide->DisplayImage(), 0u);
    EXPECT_TRUE(events.empty());
}

TEST_F(Slide, ClientOfFourPixelsLoadsNothing) {
    makeTiff(QStringLiteral("p.tif"), 1);
    const struct {
        int size;
        bool loads;
    } cases[] = {{4, false}, {3, false}, {5, true}};
    for (const auto& c : cases) {
        make(c.size, c.size);
        slideFile({path(QStringLiteral("p.tif"))});
        ASSERT_TRUE(slide->Open());
        EXPECT_EQ(slide->Start(), c.loads) << c.size;
        EXPECT_EQ(slide->ErrorCode(), c.loads ? 0 : 6) << c.size;
        EXPECT_EQ(slide->DisplayImage() != 0, c.loads) << c.size;
    }
}

TEST_F(Slide, WipeOfTenPixelsCopiesStripsAndReportsProgress) {
    // Red in the first half, blue in the second, along the wiped axis.
    convert(QStringLiteral("-size 5x10 xc:red -size 5x10 xc:blue +append"), QStringLiteral("h.png"));
    convert(QStringLiteral("-size 10x5 xc:red -size 10x5 xc:blue -append"), QStringLiteral("v.png"));
    const struct {
        TVIkSlideScroll dir;
        const char* file;
        std::string afterFirst, at39;
    } cases[] = {
        {vikLeftToRight, "h.png", "BBBBYYYYYY", "RRRBBBBBYY"},
        {vikRightToLeft, "h.png", "YYYYYYRRRR", "YYRRRRRBBB"},
        {vikUpToDown, "v.png", "BBBBYYYYYY", "RRRBBBBBYY"},
        {vikDownToUp, "v.png", "YYYYYYRRRR", "YYRRRRRBBB"},
    };
    for (const auto& c : cases) {
        make(14, 14).SetScrollDir(c.dir);  // a draw area of 10 × 10 inside the lowered edge
        progress.clear();
        const bool columns = wipesColumns(c.dir);
        std::string at39;
        slide->OnProgress = [&](TVIkSlide* s, std::int16_t percent) {
            progress.push_back(percent);
            if (percent == 39) at39 = line(s->Screen(), columns, 5, 2, 10);
        };
        slideFile({path(QString::fromLatin1(c.file))});
        ASSERT_TRUE(slide->Open());
        ASSERT_TRUE(slide->Start());
        // The first strip is on the screen when Start returns.
        EXPECT_EQ(line(slide->Screen(), columns, 5, 2, 10), c.afterFirst) << int(c.dir);
        finishWipe();
        EXPECT_EQ(progress, (std::vector<int>{39, 79, 100})) << int(c.dir);
        EXPECT_EQ(at39, c.at39) << int(c.dir);
        EXPECT_EQ(line(slide->Screen(), columns, 5, 2, 10), "RRRRRBBBBB") << int(c.dir);
    }
}

TEST_F(Slide, SmallImageIsShownAtItsSizeCentred) {
    makeTiff(QStringLiteral("p.tif"), 1, 30, 20);  // red
    make(100, 100).SetScrollDir(vikNormal);
    slideFile({path(QStringLiteral("p.tif"))});
    ASSERT_TRUE(slide->Open());
    ASSERT_TRUE(slide->Start());
    // Draw area 96 × 96 at (2, 2): the picture at (2 + 33, 2 + 38), 30 × 20.
    for (const QImage& image : {slide->Screen(), rendered()}) {
        EXPECT_EQ(line(image, true, 40, 34, 32), "Y" + std::string(30, 'R') + "Y");
        EXPECT_EQ(line(image, false, 35, 39, 22), "Y" + std::string(20, 'R') + "Y");
        // The lowered edge: dark at the top left, white at the bottom right.
        EXPECT_EQ(image.pixel(0, 0), qRgb(127, 127, 127));
        EXPECT_EQ(image.pixel(99, 99), qRgb(255, 255, 255));
    }
}

TEST_F(Slide, BorderFollowsAppearance) {
    const struct {
        bool visible;
        TVIkAppearance appearance;
        QRgb topLeft, bottomRight, inside;
    } cases[] = {
        {true, vikLowered, qRgb(127, 127, 127), qRgb(255, 255, 255), qRgb(0, 0, 0)},
        {true, vikRaised, qRgb(255, 255, 255), qRgb(127, 127, 127), qRgb(223, 223, 223)},
        {true, vikFlat, qRgb(255, 0, 0), qRgb(255, 0, 0), kBackground},
        {false, vikFlat, kBackground, kBackground, kBackground},
    };
    for (const auto& c : cases) {
        make(20, 20).SetBorderVisible(c.visible);
        slide->SetAppearance(c.appearance);
        slide->SetBorderColor(0x0000FF);
        const QImage image = rendered();
        EXPECT_EQ(image.pixel(0, 0), c.topLeft) << int(c.appearance);
        EXPECT_EQ(image.pixel(19, 19), c.bottomRight) << int(c.appearance);
        EXPECT_EQ(image.pixel(1, 1), c.inside) << int(c.appearance);
        EXPECT_EQ(image.pixel(10, 10), kBackground) << int(c.appearance);
    }
}

TEST_F(Slide, NewCommandDuringAWipeEndsItCleanly) {
    makeTiff(QStringLiteral("t.tif"), 2, 300, 200);  // red, green
    const QString t = path(QStringLiteral("t.tif"));
    make(200, 150).SetIntervalTime(0);
    slide->SetScrollSize(1);  // a long wipe
    slideFile({t + " 0", t + " 1"});
    ASSERT_TRUE(slide->Open());
    ASSERT_TRUE(slide->Start());
    runEvents(20);
    ASSERT_TRUE(slide->Wiping());
    // A step: the first wipe ends where it is, the second image comes in whole.
    events.clear();
    progress.clear();
    ASSERT_TRUE(slide->GoNext());
    finishWipe();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].name, QStringLiteral("t.tif 1"));
    EXPECT_EQ(events[1].name, QStringLiteral("t.tif 1"));
    EXPECT_EQ(std::count(progress.begin(), progress.end(), 100), 1);
    EXPECT_EQ(line(slide->Screen(), true, 75, 2, 196), std::string(196, 'G'));
    // Back to the image drawn before the interrupted wipe: drawn again, not taken as shown.
    ASSERT_TRUE(slide->GoTop());
    runEvents(20);
    ASSERT_TRUE(slide->Wiping());
    ASSERT_TRUE(slide->GoNext());
    finishWipe();
    EXPECT_EQ(line(slide->Screen(), true, 75, 2, 196), std::string(196, 'G'));
    // Close during a wipe: nothing more of it is drawn afterwards.
    ASSERT_TRUE(slide->GoTop());
    runEvents(20);
    ASSERT_TRUE(slide->Wiping());
    ASSERT_TRUE(slide->Close());
    EXPECT_FALSE(slide->Wiping());
    const QImage atClose = slide->Screen().copy();
    events.clear();
    progress.clear();
    runEvents(100);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(slide->Screen(), atClose);
}

TEST_F(Slide, FolderModesListFilesOrPages) {
    makeTiff(QStringLiteral("b.tif"), 3, 30, 20);
    makeTiff(QStringLiteral("A.tif"), 1, 30, 20);
    make(100, 100).SetScrollDir(vikNormal);
    slide->SetFilePath(folder() + QStringLiteral("/"));
    EXPECT_EQ(slide->FilePath(), folder());
    slide->SetFileExt(QStringLiteral("TIF"));
    const struct {
        TVIkSlideFileReadWay way;
        std::vector<std::string> names;
    } cases[] = {
        {vikFolder, {"A.tif 0", "b.tif 0"}},
        {vikFolderMultiImage, {"A.tif 0", "b.tif 0", "b.tif 1", "b.tif 2"}},
    };
    for (const auto& c : cases) {
        slide->SetFileReadWay(c.way);
        ASSERT_TRUE(slide->Open());
        EXPECT_EQ(namesOf(slide->Entries()), c.names);
        ASSERT_TRUE(slide->Close());
    }
    ASSERT_TRUE(slide->Open());
    ASSERT_TRUE(slide->Start());
    ASSERT_TRUE(slide->Stop());
    ASSERT_TRUE(slide->GoBottom());
    EXPECT_EQ(slide->Screen().pixel(50, 50), qRgb(0, 0, 255));
    EXPECT_EQ(events.back().name, QStringLiteral("b.tif 2"));
    // Clear: the background at once, no list, no image.
    slide->Clear();
    EXPECT_FALSE(slide->IsOpen());
    EXPECT_EQ(slide->DisplayImage(), 0u);
    EXPECT_EQ(slide->Screen().pixel(50, 50), kBackground);
    slide->SetFileExt(QStringLiteral("PNG"));
    EXPECT_FALSE(slide->Open());
    EXPECT_EQ(slide->ErrorCode(), 5);
}

TEST_F(Slide, PreviewSequenceShowsThePageFittedWhileTheEventLoopRuns) {
    convert(QStringLiteral("-size 600x400 xc:blue"), QStringLiteral("wide.tif"));
    make(390, 330);
    slide->show();
    slideFile({path(QStringLiteral("wide.tif")) + QStringLiteral(" 0")});
    slide->Close();
    ASSERT_TRUE(slide->Open());
    slide->SetCurrentImage(0);
    ASSERT_TRUE(slide->Start());
    ASSERT_TRUE(slide->Stop());
    QFile::remove(path(QStringLiteral("_slide.tmp")));  // the control keeps its entries
    // Input is served during the wipe: a queued call runs before the wipe has ended.
    bool served = false, wipingWhenServed = false;
    QTimer::singleShot(0, slide.get(), [&] {
        served = true;
        wipingWhenServed = slide->Wiping();
    });
    finishWipe();
    EXPECT_TRUE(served);
    EXPECT_TRUE(wipingWhenServed);
    EXPECT_FALSE(slide->Running());
    // 600 × 400 fitted into 386 × 326: 386 × 257, rows 2 + 34 … 2 + 34 + 256.
    for (const QImage& image : {slide->Screen(), rendered()}) {
        EXPECT_EQ(line(image, false, 100, 35, 259), "Y" + std::string(257, 'B') + "Y");
        EXPECT_EQ(line(image, true, 150, 2, 386), std::string(386, 'B'));
    }
    // A repaint of the window draws the image again and reports it as a new slide.
    runEvents(50);
    events.clear();
    slide->repaint();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, 'S');
    EXPECT_EQ(line(slide->Screen(), false, 100, 35, 259), "Y" + std::string(257, 'B') + "Y");
    // Closed: the next paint shows the empty background.
    ASSERT_TRUE(slide->Close());
    slide->repaint();
    EXPECT_EQ(line(slide->Screen(), true, 150, 2, 386), std::string(386, 'Y'));
}

TEST_F(Slide, TakesPartInTheKitStartUpCounting) {
    const std::int32_t total = Ikinit::totalCount(), slides = Ikinit::groupCount(vikGroupSlide);
    make(100, 100);
    EXPECT_EQ(Ikinit::totalCount(), total + 1);
    EXPECT_EQ(Ikinit::groupCount(vikGroupSlide), slides + 1);
    slide.reset();
    EXPECT_EQ(Ikinit::totalCount(), total);
    EXPECT_EQ(Ikinit::groupCount(vikGroupSlide), slides);
}
