// The thumbnail browser with the kit loaded and real files: listing modes, thumbnails
// made and dropped, scrolling, the wheel, selection by mouse, the drawn tiles and the drag.
#include "BrowseFixture.h"
#include "browse/Ikthumb.h"
#include "browse/ThumbDrag.h"

#include "Ikdllprocs.h"
#include "Ikinit.h"
#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>

#include <cstdlib>

using Ikutils::IkRect;

namespace {

// A window that takes drops and notes its title when one arrives.
class DropTarget : public QWidget {
public:
    explicit DropTarget(const QString& title) {
        setWindowTitle(title);
        setAcceptDrops(true);
    }
    QString titleAtDrop;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override {
        titleAtDrop = windowTitle();
        event->acceptProposedAction();
    }
};

struct SelectCall {
    QString path, name;
    int number, max, left, top, right, bottom;
};

class Thumb : public BrowseFolder {
protected:
    void TearDown() override {
        thumb.reset();
        BrowseFolder::TearDown();
    }
    // A control of width × height with the viewer's look and events recorded.
    TVIkThumb& make(int width, int height, int cols, int rows) {
        thumb = std::make_unique<TVIkThumb>();
        thumb->resize(width, height);
        thumb->SetColCount(static_cast<std::int16_t>(cols));
        thumb->SetRowCount(static_cast<std::int16_t>(rows));
        thumb->SetGapSize(1);
        thumb->SetEdgeSize(1);
        thumb->OnSelectFile = [this](TVIkThumb*, const QString& p, const QString& n, std::int16_t num, std::int16_t max,
                                     std::int16_t l, std::int16_t t, std::int16_t r, std::int16_t b) {
            selects.push_back({p, n, num, max, l, t, r, b});
        };
        return *thumb;
    }
    bool list(const QString& fileExt, TVIkThumbnailReadMode mode) { return listInto(*thumb, fileExt, mode); }
    QImage rendered() {
        QImage picture(thumb->size(), QImage::Format_RGB32);
        thumb->render(&picture);
        return picture;
    }
    void mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(thumb->mapToGlobal(at)), Qt::LeftButton, held, mods);
        QApplication::sendEvent(thumb.get(), &event);
    }
    void click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        mouse(QEvent::MouseButtonPress, at, mods);
        mouse(QEvent::MouseButtonRelease, at, mods);
    }
    QPoint centreOf(int tile) const {
        const ThumbTile& t = thumb->Tiles()[static_cast<std::size_t>(tile)];
        return {(t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2};
    }
    void wheel(int delta) {
        QWheelEvent event(QPointF(10, 10), QPointF(thumb->mapToGlobal(QPoint(10, 10))), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(thumb.get(), &event);
    }
    std::vector<int> selectedNumbers() {
        std::vector<int> out;
        for (int n = 1; n <= thumb->Count(); ++n)
            if (thumb->IsSelected(n)) out.push_back(n);
        return out;
    }

    std::unique_ptr<TVIkThumb> thumb;
    std::vector<SelectCall> selects;
};

TEST_F(Thumb, FourPageTiffShowsOneTilePerPageInTheMultiImageModes) {
    makeTiff("four.tif", 4);
    for (TVIkThumbnailReadMode mode : {vikThumbRdDspMultiImg, vikThumbRdMultiImg}) {
        TVIkThumb& t = make(140, 620, 1, 5);
        ASSERT_TRUE(list("four.tif", mode)) << int(mode);
        ASSERT_EQ(t.Count(), 4);
        // The non-display mode makes every thumbnail inside GetFiles, the other in Display.
        EXPECT_EQ(t.Entries()[3].Thumb != 0, mode == vikThumbRdMultiImg);
        ASSERT_TRUE(t.Display());
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(t.Entries()[static_cast<std::size_t>(i)].Page, i);
            EXPECT_NE(t.Entries()[static_cast<std::size_t>(i)].Thumb, 0u);
        }
        EXPECT_EQ(TVIkThumb::displayName(t.Entries()[0]), "four.tif");
        EXPECT_EQ(TVIkThumb::displayName(t.Entries()[1]), "four.tif 1");
        selects.clear();
        ASSERT_TRUE(t.SelectImage(3));
        ASSERT_EQ(selects.size(), 1u);
        EXPECT_EQ(selects[0].number, 3);
        EXPECT_EQ(selects[0].max, 4);
        EXPECT_EQ(selects[0].path, folder() + "/");
        EXPECT_EQ(selects[0].name, "four.tif 2");
        const ThumbTile& tile = t.Tiles()[2];
        EXPECT_EQ(selects[0].left, tile.Left);
        EXPECT_EQ(selects[0].bottom, tile.Bottom - 1);
        // Already selected in single-selection mode: unchanged, false.
        EXPECT_FALSE(t.SelectImage(3));
    }
    TVIkThumb& one = make(140, 620, 1, 5);
    ASSERT_TRUE(list("four.tif", vikThumbRdDsp));
    EXPECT_EQ(one.Count(), 1);
}

TEST_F(Thumb, ThumbnailSizeAndOneBitPagesBecomeGrey) {
    ASSERT_EQ(std::system(QStringLiteral("convert -size 300x200 pattern:gray50 -monochrome '%1' >/dev/null 2>&1")
                              .arg(path("text.tif")).toUtf8().constData()),
              0);
    TVIkThumb& t = make(140, 620, 1, 5);
    ASSERT_TRUE(list("text.tif", vikThumbRdDsp));
    ASSERT_TRUE(t.Display());
    platform::GlobalLock lock(t.Entries()[0].Thumb);
    ASSERT_TRUE(lock);
    const auto& h = *lock.as<platform::BitmapInfoHeader>();
    EXPECT_EQ(h.biWidth, 96);
    EXPECT_EQ(h.biHeight, 64);
    EXPECT_EQ(h.biBitCount, 8);  // a fine 1-bit pattern averaged to grey, not black or white
}

TEST_F(Thumb, EmptyPathAndUndecodableFiles) {
    TVIkThumb& t = make(140, 620, 1, 5);
    EXPECT_EQ(t.GetFiles(), 0);
    EXPECT_EQ(t.ErrorCode(), 5);
    EXPECT_FALSE(t.Display());
    EXPECT_EQ(t.ErrorCode(), 6);

    makeTiff("a.tif", 1);
    makeUndecodable("b.tif");
    makeTiff("c.tif", 1);
    std::vector<int> ends;
    t.OnEndLoadFile = [&](TVIkThumb*, const QString&, const QString&, std::int16_t number, std::int16_t) {
        ends.push_back(number);
    };
    t.SetSort(vikSortFileName);
    ASSERT_TRUE(list("TIF", vikThumbRdDsp));
    ASSERT_EQ(t.Count(), 3);
    ASSERT_TRUE(t.Display());
    ASSERT_EQ(t.Count(), 2);
    EXPECT_EQ(t.Entries()[0].FileName, "a.tif");
    EXPECT_EQ(t.Entries()[1].FileName, "c.tif");  // closed up into the second tile
    EXPECT_EQ(ends, (std::vector<int>{1, 0, 2}));

    // In the reading mode the failed entry is dropped at the end of GetFiles.
    ASSERT_TRUE(list("TIF", vikThumbRdMultiImg));
    EXPECT_EQ(t.Count(), 2);
}

TEST_F(Thumb, TwelveEntriesInOneColumnScrollAndWheel) {
    makeTiff("twelve.tif", 12, 12, 8);
    TVIkThumb& t = make(140, 620, 1, 5);
    t.SetEnableMouseWheel(true);
    std::vector<int> shown;
    t.OnShowThumbImage = [&](TVIkThumb*, const QString&, const QString&, std::int16_t n, std::int16_t, std::int16_t,
                             std::int16_t, std::int16_t, std::int16_t) { shown.push_back(n); };
    ASSERT_TRUE(list("twelve.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    ASSERT_EQ(t.Count(), 12);
    QScrollBar* bar = t.VertScrollBar();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_TRUE(t.HorzScrollBar()->isHidden());
    EXPECT_EQ(bar->maximum() + bar->pageStep() - 1, 11);  // the system's range 0 … 11
    EXPECT_EQ(bar->pageStep(), 5);

    t.ScrollRequest(ThumbScrollRequest::Bottom);
    EXPECT_EQ(t.StartNum(), 7);
    EXPECT_EQ(bar->value(), 7);
    shown.clear();
    rendered();
    EXPECT_EQ(shown, (std::vector<int>{8, 9, 10, 11, 12}));
    t.ScrollRequest(ThumbScrollRequest::LineDown);
    EXPECT_EQ(t.StartNum(), 7);

    wheel(360);  // three notches up
    EXPECT_EQ(t.StartNum(), 4);
    wheel(60);  // half a notch: kept
    EXPECT_EQ(t.StartNum(), 4);
    EXPECT_EQ(t.WheelAccumulator(), 60);
    wheel(60);
    EXPECT_EQ(t.StartNum(), 3);
    wheel(-240);
    EXPECT_EQ(t.StartNum(), 5);

    // The bar's own buttons go through the same rules.
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(t.StartNum(), 0);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(t.StartNum(), 5);
}

TEST_F(Thumb, ClicksSelectAtPressAndReleaseAndEmptyCellsDoNothing) {
    makeTiff("three.tif", 3);
    TVIkThumb& t = make(200, 200, 2, 2);
    ASSERT_TRUE(list("three.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    click(centreOf(3));  // behind the last entry
    const ThumbTile& first = t.Tiles()[0];
    click(QPoint(first.Right + 1, first.Top + 5));  // in the gap
    click(QPoint(0, 0));                            // in the edge
    EXPECT_TRUE(selects.empty());
    EXPECT_EQ(t.GetSelectedCount(), 0);

    click(centreOf(1));
    ASSERT_EQ(selects.size(), 2u);  // press and release
    EXPECT_EQ(selects[0].number, 2);
    EXPECT_EQ(selects[1].number, 2);
    EXPECT_EQ(selectedNumbers(), std::vector<int>{2});
    EXPECT_EQ(t.SelectFileName(), path("three.tif"));
}

TEST_F(Thumb, ShiftAndCtrlExtendTheSelection) {
    makeTiff("six.tif", 6);
    TVIkThumb& t = make(300, 200, 3, 2);
    t.SetEnableSelectMultiFiles(true);
    ASSERT_TRUE(list("six.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    click(centreOf(0));
    click(centreOf(2), Qt::ControlModifier);
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{1, 3}));
    selects.clear();
    click(centreOf(4), Qt::ShiftModifier);
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{3, 4, 5}));
    ASSERT_EQ(selects.size(), 3u);
    EXPECT_EQ(selects[0].number, 3);
    EXPECT_EQ(selects[2].number, 5);
    // Without the switch Shift is a plain click.
    t.SetEnableSelectMultiFiles(false);
    click(centreOf(5), Qt::ShiftModifier);
    EXPECT_EQ(selectedNumbers(), std::vector<int>{6});
    // Numbers out of range.
    EXPECT_FALSE(t.SelectImage(7));
    EXPECT_EQ(t.ErrorCode(), 5);
    EXPECT_TRUE(t.DeSelectImage(6));
    EXPECT_EQ(t.GetSelectedCount(), 0);
    t.Clear();
    EXPECT_FALSE(t.IsSelected(1));
    EXPECT_EQ(t.ErrorCode(), 16);
}

TEST_F(Thumb, TilesAreDrawnWithFacesMarkThumbnailAndCaption) {
    makeTiff("two.tif", 2, 30, 20);  // red, then green
    TVIkThumb& t = make(202, 120, 2, 1);
    t.SetColor(0xFFFFFF);
    t.SetButton3D(false);
    t.SetForeColorUp(14024703);   // pale yellow
    t.SetForeColorDown(7709439);  // orange
    t.SetDispFileName(true);
    t.SetTextColor(0x0000FF);  // red captions on unselected tiles
    t.SetSelectTextColor(0xFF0000);
    ASSERT_TRUE(list("two.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    ASSERT_TRUE(t.SelectImage(2));
    const QImage picture = rendered();
    const ThumbTile a = t.Tiles()[0], b = t.Tiles()[1];
    const QRgb up = qRgb(0xFF, 0xFF, 0xD5), down = qRgb(0xFF, 0xA2, 0x75);
    EXPECT_EQ(picture.pixel(a.Left + 1, a.Top + 1), up);
    EXPECT_EQ(picture.pixel(b.Left + 1, b.Top + 1), down);  // the selection mark
    EXPECT_EQ(picture.pixel(a.Right - 1, a.Bottom - 1), up);
    EXPECT_EQ(picture.pixel(a.Right, a.Top + 5), qRgb(255, 255, 255));  // the gap
    // Thumbnails centred in the image area: red and green pages.
    const IkRect area = thumbImageArea(a, t.Grid().UnitX, t.Grid().UnitY, vikButton, true);
    const QPoint mid((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    EXPECT_EQ(picture.pixel(mid), qRgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(mid + QPoint(b.Left - a.Left, 0)), qRgb(0, 0x80, 0));
    // Captions: red text pixels in the first tile's caption area, blue ones in the second.
    auto has = [&](const ThumbTile& tile, auto test) {
        const IkRect c = thumbCaptionArea(tile, t.Grid().UnitX, t.Grid().UnitY, vikButton);
        for (int y = c.top; y < c.bottom; ++y)
            for (int x = c.left; x < c.right; ++x)
                if (test(picture.pixel(x, y))) return true;
        return false;
    };
    EXPECT_TRUE(has(a, [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 100 && qBlue(c) < 100; }));
    EXPECT_TRUE(has(b, [](QRgb c) { return qBlue(c) > 150 && qRed(c) < 100 && qGreen(c) < 100; }));

    // With the 3-D edge the unselected tile is raised: light above and left, dark below.
    t.SetButton3D(true);
    const QImage raised = rendered();
    const ThumbTile r = t.Tiles()[0];
    EXPECT_EQ(raised.pixel(r.Left - 2, r.Top + 5), qRgb(255, 255, 255));
    EXPECT_NE(raised.pixel(r.Right + 1, r.Top + 5), qRgb(255, 255, 255));
    EXPECT_EQ(raised.pixel(r.Left + 1, r.Top + 1), up);
}

TEST_F(Thumb, DragCarriesTheFileAndItsPage) {
    makeTiff("four.tif", 4);
    TVIkThumb& t = make(140, 620, 1, 5);
    ASSERT_TRUE(list("four.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    EXPECT_EQ(ThumbDragData(t.Entries()), nullptr);  // nothing selected
    ASSERT_TRUE(t.SelectImage(3));
    std::unique_ptr<QMimeData> data(ThumbDragData(t.Entries()));
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->urls().size(), 1);
    EXPECT_EQ(data->urls()[0].toLocalFile(), path("four.tif"));
    EXPECT_EQ(data->data(kThumbPageMimeType), "2");

    // A drop target titled as the display control reads the page from its title when the
    // drop reaches it; another window's title is left alone.
    DropTarget display("RoduvIzi7"), other("Other");
    ThumbPageHandOver handOver(ThumbDragPage(t.Entries()));
    qApp->installEventFilter(&handOver);
    for (DropTarget* w : {&display, &other}) {
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &enter);
        QDropEvent drop(QPointF(1, 1), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &drop);
    }
    qApp->removeEventFilter(&handOver);
    EXPECT_EQ(display.titleAtDrop, "RoduvIzi700002");
    EXPECT_EQ(other.titleAtDrop, "Other");
    EXPECT_EQ(Ik6PageTitle("RoduvIzi7", 0), "RoduvIzi7");
}

TEST_F(Thumb, ArrowKeysMoveTheSelectionAndScroll) {
    makeTiff("six.tif", 6);
    TVIkThumb& t = make(140, 400, 1, 3);
    t.SetEnableArrowKeys(true);
    ASSERT_TRUE(list("six.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    auto key = [&](int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(thumb.get(), &press);
    };
    ASSERT_TRUE(t.SelectImage(3));
    key(Qt::Key_Down);  // leaves the last visible row: one line down
    EXPECT_EQ(selectedNumbers(), std::vector<int>{4});
    EXPECT_EQ(t.StartNum(), 1);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(selectedNumbers(), std::vector<int>{1});
    EXPECT_EQ(t.StartNum(), 0);
    key(Qt::Key_Up);  // off the list: nothing
    EXPECT_EQ(selectedNumbers(), std::vector<int>{1});
    key(Qt::Key_PageDown);
    EXPECT_EQ(t.StartNum(), 3);
    EXPECT_EQ(selectedNumbers(), std::vector<int>{1});
    // Without the switch the keys do nothing.
    t.SetEnableArrowKeys(false);
    key(Qt::Key_Down);
    EXPECT_EQ(selectedNumbers(), std::vector<int>{1});
}

TEST_F(Thumb, DroppedFilesAreInsertedAtTheTileUnderThePoint) {
    makeTiff("a.tif", 1);
    makeTiff("c.tif", 1);
    TVIkThumb& t = make(140, 400, 1, 3);
    t.SetSort(vikSortFileName);
    ASSERT_TRUE(list("TIF", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    QTemporaryDir other;
    const QString b = other.filePath("b.tif");
    ASSERT_EQ(std::system(QStringLiteral("convert -size 30x20 xc:blue xc:red '%1'").arg(b).toUtf8().constData()), 0);
    QFile::copy(b, other.filePath("notes.txt"));
    std::vector<QString> dropped;
    t.OnDropFileInThumb = [&](TVIkThumb*, const QString&, const QString& name) { dropped.push_back(name); };
    t.SetEnableDragTarget(true);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(b), QUrl::fromLocalFile(other.filePath("notes.txt")),
                  QUrl::fromLocalFile(path("a.tif"))});
    const QPoint onSecond = centreOf(1);
    QDragEnterEvent enter(onSecond, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(thumb.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(onSecond), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(thumb.get(), &drop);
    // b.tif's two pages go before c.tif; the text file and the listed a.tif are refused.
    ASSERT_EQ(namesOf(t.Entries()), (std::vector<std::string>{"a.tif 0", "b.tif 0", "b.tif 1", "c.tif 0"}));
    EXPECT_NE(t.Entries()[2].Thumb, 0u);
    EXPECT_EQ(dropped, (std::vector<QString>{"b.tif", "b.tif 1"}));
    // Behind the last entry: appended.
    makeTiff("d.tif", 1);
    EXPECT_EQ(t.DropFiles({path("d.tif")}, QPoint(0, 0)), 1);
    EXPECT_EQ(t.Entries().back().FileName, "d.tif");
}

TEST_F(Thumb, HoverSelectsTheTileUnderThePointer) {
    makeTiff("two.tif", 2);
    TVIkThumb& t = make(200, 100, 2, 1);
    std::vector<int> hovers;
    t.OnMouseMoveOnThumb = [&](TVIkThumb*, const QString&, const QString&, std::int16_t n, std::int16_t, std::int16_t,
                               std::int16_t, std::int16_t, std::int16_t) { hovers.push_back(n); };
    t.SetEnableMouseMoveButton(true);
    ASSERT_TRUE(list("two.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    auto move = [&](QPoint at) {
        QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(thumb->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(thumb.get(), &event);
    };
    move(centreOf(1));
    move(centreOf(1) + QPoint(1, 0));  // same tile: no new event
    move(centreOf(0));
    move(QPoint(0, 0));  // off every entry: the empty event
    EXPECT_EQ(hovers, (std::vector<int>{2, 1, -1}));
    EXPECT_EQ(selectedNumbers(), std::vector<int>{1});
}

TEST_F(Thumb, EntriesByNumberStartNumAndImagesHandedIn) {
    makeTiff("seven.tif", 7);
    const std::int32_t before = Ikinit::groupCount(vikGroupMain);
    TVIkThumb& t = make(140, 400, 1, 3);
    EXPECT_EQ(Ikinit::groupCount(vikGroupMain), before + 1);  // counted while it lives
    ASSERT_TRUE(list("seven.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    t.SetStartNum(5);
    EXPECT_EQ(t.StartNum(), 4);  // the last row is the last visible one
    ASSERT_TRUE(t.Delete(7));
    EXPECT_EQ(t.StartNum(), 3);  // the last screenful stays full
    EXPECT_FALSE(t.Delete(7));
    EXPECT_EQ(t.ErrorCode(), 5);
    ASSERT_TRUE(t.SetThumbArrayNum(2));
    EXPECT_EQ(t.ThumbFileName(), "seven.tif");
    EXPECT_EQ(t.ThumbPage(), 1);

    // Only the image mode takes handed-in images; the control always owns them.
    t.SetImageHandle(Ikdllprocs::IkCreateImage(300, 200, 24, 0, 0, 255, 0, 0, 0, 0));
    EXPECT_EQ(t.Count(), 6);
    t.Clear();
    t.SetReadMode(vikThumbRdImage);
    EXPECT_EQ(t.GetFiles(), 0);
    for (int i = 0; i < 4; ++i) t.SetImageHandle(Ikdllprocs::IkCreateImage(300, 200, 24, 0, 0, 255, 0, 0, 0, 0));
    ASSERT_EQ(t.Count(), 4);
    EXPECT_EQ(t.Entries()[3].FileName, "    4");
    EXPECT_EQ(t.StartNum(), 1);  // the newest on the last visible row
    platform::GlobalLock lock(t.Entries()[0].Thumb);
    EXPECT_EQ(lock.as<platform::BitmapInfoHeader>()->biWidth, 96);
    thumb.reset();
    EXPECT_EQ(Ikinit::groupCount(vikGroupMain), before);
}

TEST_F(Thumb, IndexFileKeepsTheThumbnailsAndTheViewerClears) {
    makeTiff("four.tif", 4);
    TVIkThumb& t = make(140, 620, 1, 5);
    t.SetThumbnailFile(path("thumbs.idx"));
    ASSERT_TRUE(list("four.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    ASSERT_TRUE(t.UpdateThumbnailFile());
    EXPECT_EQ(t.ErrorCode(), 0);
    int made = 0;
    TVIkThumb& again = make(140, 620, 1, 5);
    again.OnStartLoadFile = [&](TVIkThumb*, const QString&, const QString&, std::int16_t, std::int16_t) { ++made; };
    again.SetThumbnailFile(path("thumbs.idx"));
    ASSERT_TRUE(list("four.tif", vikThumbRdDspMultiImg));
    ASSERT_EQ(again.Count(), 4);
    ASSERT_TRUE(again.Display());
    EXPECT_EQ(made, 0);  // every thumbnail came from the index file
    // The viewer's clear: no folder, the index file written, the grid emptied.
    again.SetFilePath("");
    again.UpdateThumbnailFile();
    again.Clear();
    EXPECT_EQ(again.Count(), 0);
    EXPECT_TRUE(again.VertScrollBar()->isHidden());
    EXPECT_FALSE(again.Scroll());
}

TEST_F(Thumb, SelectedTilesAreMovedAsOneBlock) {
    makeTiff("five.tif", 5);
    TVIkThumb& t = make(140, 620, 1, 5);
    t.SetEnableSelectMultiFiles(true);
    t.SetEnableMove(true);
    ASSERT_TRUE(list("five.tif", vikThumbRdDspMultiImg));
    ASSERT_TRUE(t.Display());
    click(centreOf(0));
    click(centreOf(1), Qt::ControlModifier);
    auto dragTo = [&](int from, int to, bool escape) {
        mouse(QEvent::MouseButtonPress, centreOf(from));
        mouse(QEvent::MouseMove, centreOf(from) + QPoint(0, 20));
        mouse(QEvent::MouseMove, centreOf(to));
        if (escape) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(thumb.get(), &key);
        }
        mouse(QEvent::MouseButtonRelease, centreOf(to));
    };
    selects.clear();
    dragTo(0, 3, true);  // cancelled
    EXPECT_EQ(namesOf(t.Entries()), (std::vector<std::string>{"five.tif 0", "five.tif 1", "five.tif 2", "five.tif 3",
                                                                 "five.tif 4"}));
    dragTo(0, 3, false);
    EXPECT_EQ(namesOf(t.Entries()), (std::vector<std::string>{"five.tif 2", "five.tif 3", "five.tif 0", "five.tif 1",
                                                                 "five.tif 4"}));
    EXPECT_TRUE(selects.empty());  // a move selects nothing
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{3, 4}));
}

}  // namespace


// Thumbnails are made ahead on every core, but each entry still gets its start and end
// events in turn, with the numbers of a one-by-one run, and the same thumbnail; a stop
// from a handler ends the run and frees what was made ahead.
TEST_F(Thumb, ThumbnailsMadeAheadKeepTheEventOrderAndTheirPixels) {
    for (int i = 0; i < 12; ++i) {
        if (i == 6) {
            makeUndecodable("p06.tif");
            continue;
        }
        const QString command = QStringLiteral("convert -seed %1 -size %2x90 plasma: -depth 8 '%3' >/dev/null 2>&1")
                                    .arg(i).arg(120 + 10 * i).arg(path(QStringLiteral("p%1.tif").arg(i, 2, 10, QLatin1Char('0'))));
        ASSERT_EQ(std::system(command.toUtf8().constData()), 0);
    }
    TVIkThumb& t = make(140, 620, 1, 5);
    std::vector<std::string> events;
    t.OnStartLoadFile = [&](TVIkThumb*, const QString&, const QString& name, std::int16_t number, std::int16_t max) {
        events.push_back("start " + name.toStdString() + " " + std::to_string(number) + "/" + std::to_string(max));
    };
    t.OnEndLoadFile = [&](TVIkThumb*, const QString&, const QString& name, std::int16_t number, std::int16_t max) {
        events.push_back("end " + name.toStdString() + " " + std::to_string(number) + "/" + std::to_string(max));
    };
    t.SetSort(vikSortFileName);
    ASSERT_TRUE(list("TIF", vikThumbRdDsp));
    ASSERT_EQ(t.Count(), 12);
    ASSERT_TRUE(t.Display());
    std::vector<std::string> expected;
    int max = 12;
    for (int i = 0, number = 1; i < 12; ++i) {
        const std::string name = QStringLiteral("p%1.tif").arg(i, 2, 10, QLatin1Char('0')).toStdString();
        expected.push_back("start " + name + " " + std::to_string(number) + "/" + std::to_string(max));
        // The failed entry leaves the list: it ends with 0, and the later ones count one fewer.
        expected.push_back("end " + name + " " + std::to_string(i == 6 ? 0 : number) + "/" + std::to_string(max));
        if (i == 6) --max;
        else ++number;
    }
    EXPECT_EQ(events, expected);
    ASSERT_EQ(t.Count(), 11);
    expectThumbnailsAsMadeAlone(t);

    // A stop during the third entry: no further entry starts, nothing made ahead is kept.
    TVIkThumb& again = make(140, 620, 1, 5);
    int starts = 0;
    again.OnStartLoadFile = [&](TVIkThumb* self, const QString&, const QString&, std::int16_t, std::int16_t) {
        if (++starts == 3) self->Stop();
    };
    again.SetSort(vikSortFileName);
    ASSERT_TRUE(list("TIF", vikThumbRdDsp));
    again.Display();
    EXPECT_EQ(starts, 3);
    int made = 0;
    for (const TIKSORTDATA& e : again.Entries()) made += e.Thumb != 0;
    EXPECT_EQ(made, 3);
}
