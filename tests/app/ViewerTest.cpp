// The viewer tab in the real main window: loading by dialog and drop, pages from the
// thumbnails, zoom, quarter turns, the navigation window and clear.
#include "app/Mainwindow1.h"
#include "app/ViewerRules.h"
#include "app/ViewerTab.h"
#include "app/Windows.h"
#include "browse/Ikthumb.h"
#include "display/Ikdisp.h"
#include "EffectImages.h"
#include "platform/GlobalMemory.h"
#include "support/RgbTiff.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPixmap>
#include <QScreen>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>
#include <tiffio.h>

using effecttest::bytesOf;
using effecttest::colourAt;
using effecttest::factsOf;

namespace {

TEST(ViewerRules, ZoomItemsMapToTheirScales) {
    const std::pair<int, std::optional<double>> cases[] = {
        {-1, std::nullopt}, {0, 0.05}, {1, 0.1}, {2, 0.25}, {3, 0.5},
        {4, 0.75},          {5, 1.0},  {6, 2.0}, {7, 4.0},  {8, std::nullopt}};
    for (const auto& [index, scale] : cases) EXPECT_EQ(app::zoomScale(index), scale) << index;
    EXPECT_EQ(app::zoomItems().size(), 8);
}

TEST(ViewerRules, PathIsCutBeforeItsLastSeparatorAndJoinedBack) {
    struct Case {
        const char *path, *folder, *name;
    };
    for (const Case& c : {Case{"/scan/2026/book.tif", "/scan/2026", "book.tif"}, Case{"/book.TIFF", "/", "book.TIFF"},
                          Case{"book.tif", "", "book.tif"}}) {
        const app::FolderAndName parts = app::splitFolderAndName(QString::fromUtf8(c.path));
        EXPECT_EQ(parts.folder, QString::fromUtf8(c.folder)) << c.path;
        EXPECT_EQ(parts.name, QString::fromUtf8(c.name)) << c.path;
        if (!parts.folder.isEmpty()) {
            EXPECT_EQ(app::joinFolderAndName(parts.folder, parts.name), QString::fromUtf8(c.path));
        }
    }
}

// The colour of page n of the test files, and of the mark at its top-left corner.
std::uint32_t pageColour(int n) { return 0x204060u + 0x101010u * static_cast<std::uint32_t>(n); }
constexpr std::uint32_t kMark = 0xFF0000;

class ViewerTab : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        windows.MainForm1->PageControl1->setCurrentIndex(2);
        windows.MainForm1->resize(800, 600);
    }

    TMainForm1& main() { return *windows.MainForm1; }
    TViewerTab& viewer() { return *main().Viewer; }
    TVIkDisp& display() { return *viewer().IkDisp1; }

    // An RGB TIFF whose page n is (40 + 10 n) × 30 pixels of pageColour(n) with a 3 × 2 red
    // mark at its top-left corner, so every quarter turn shows.
    QString makeTiff(int pages, const char* name = "book.tif") {
        return writeRgbTiff(
            dir.filePath(QString::fromLatin1(name)), pages, [](int i) { return QSize(40 + 10 * (i + 1), 30); },
            [](int i, int x, int y) { return (x < 3 && y < 2) ? kMark : pageColour(i + 1); }, COMPRESSION_LZW);
    }

    void loadByDialog(const QString& path) {
        prompts.openAnswers << QStringList{path};
        main().V1->trigger();
    }

    void dropOnDisplay(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        const QPointF at(20, 20);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&display(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&display(), &drop);
    }

    void clickThumbnail(int index) {
        TVIkThumb& thumb = *viewer().IkThumb1;
        const ThumbTile& t = thumb.Tiles()[static_cast<std::size_t>(index)];
        QTest::mouseClick(&thumb, Qt::LeftButton, {}, QPoint((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2));
    }

    // Which page is shown and how it is turned: the width, height and the corner of the mark.
    struct Shown {
        int width = 0, height = 0;
        std::uint32_t colour = 0;
        bool operator==(const Shown&) const = default;
    };
    Shown shown() {
        const IKHANDLE image = display().ImgHandle();
        if (!image) return {};
        const effecttest::Facts f = factsOf(image);
        return {f.width, f.height, colourAt(image, f.width / 2, f.height / 2)};
    }
    std::uint32_t markAt(int x, int y) { return colourAt(display().ImgHandle(), x, y); }

    bool viewerGroupEnabled() {
        const bool commands = main().V3->isEnabled() && main().V5->isEnabled() && main().V6->isEnabled() &&
                              main().V8->isEnabled() && viewer().ComboBox1->isEnabled();
        const bool none = !main().V3->isEnabled() && !main().V5->isEnabled() && !main().V6->isEnabled() &&
                          !main().V8->isEnabled() && !viewer().ComboBox1->isEnabled();
        EXPECT_TRUE(commands || none) << "the viewer group is enabled together";
        return commands;
    }

    ScriptedPrompts prompts;
    QTemporaryDir dir;
    AppWindows windows = AppWindows::create();
};

TEST_F(ViewerTab, LoadShowsEveryPageAsThumbnailAndPageOneAtTheChosenZoom) {
    EXPECT_FALSE(viewerGroupEnabled());
    viewer().ComboBox1->setCurrentIndex(2);
    const QString file = makeTiff(3);
    loadByDialog(file);

    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("マルチTIFFファイルを開く"));
    EXPECT_EQ(prompts.shown[0].filter, QStringLiteral("TIFFﾌｧｲﾙ (*.tif;*.tiff)|*.tif;*.tiff"));
    EXPECT_FALSE(prompts.shown[0].multiple);
    EXPECT_EQ(viewer().OpenDialog3FileName, file);
    EXPECT_EQ(viewer().IkThumb1->FilePath(), dir.path());
    EXPECT_EQ(viewer().IkThumb1->FileExt(), QStringLiteral("book.tif"));
    EXPECT_EQ(viewer().IkThumb1->Count(), 3);
    EXPECT_TRUE(viewerGroupEnabled());
    EXPECT_EQ(shown(), (Shown{50, 30, pageColour(1)}));
    EXPECT_EQ(display().DispMode(), vikActualSize);
    EXPECT_EQ(display().DispScale(), 0.25);
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(ViewerTab, WithoutZoomChoiceThePageIsShownAtTheScaleTheDisplayHas) {
    display().SetDispScale(2.0);
    loadByDialog(makeTiff(2));
    EXPECT_EQ(shown(), (Shown{50, 30, pageColour(1)}));
    EXPECT_EQ(display().DispScale(), 2.0);
    viewer().ComboBox1->setCurrentIndex(3);
    viewer().ComboBox1Change();
    EXPECT_EQ(display().DispScale(), 0.5);
}

TEST_F(ViewerTab, ThumbnailClickShowsThatPageAsStoredAfterTurns) {
    loadByDialog(makeTiff(3));
    main().show();
    clickThumbnail(2);
    const IKHANDLE pageThree = display().ImgHandle();
    EXPECT_EQ(shown(), (Shown{70, 30, pageColour(3)}));
    clickThumbnail(2);  // the page as it was selected is not loaded again
    EXPECT_EQ(display().ImgHandle(), pageThree);

    main().V6->trigger();  // right: the mark goes to the top-right corner
    EXPECT_EQ(shown(), (Shown{30, 70, pageColour(3)}));
    EXPECT_EQ(markAt(29, 0), kMark);
    EXPECT_EQ(markAt(0, 0), pageColour(3));

    clickThumbnail(2);
    EXPECT_EQ(shown(), (Shown{70, 30, pageColour(3)}));
    EXPECT_EQ(markAt(0, 0), kMark);

    for (int turn = 0; turn < 2; ++turn) main().V6->trigger();  // upside down
    EXPECT_EQ(markAt(69, 29), kMark);
    clickThumbnail(2);
    EXPECT_EQ(markAt(0, 0), kMark) << "the page as stored after two turns";
}

TEST_F(ViewerTab, FourLeftTurnsGiveTheStoredPageAndOneTurnsCounterClockwise) {
    loadByDialog(makeTiff(1));
    const std::vector<std::uint8_t> stored = bytesOf(display().ImgHandle());
    main().V5->trigger();
    EXPECT_EQ(shown(), (Shown{30, 50, pageColour(1)}));
    EXPECT_EQ(markAt(0, 49), kMark);  // left: the mark goes to the bottom-left corner
    for (int turn = 2; turn <= 4; ++turn) main().V5->trigger();
    EXPECT_EQ(bytesOf(display().ImgHandle()), stored);
}

TEST_F(ViewerTab, EachReplacedPageIsReleased) {
    loadByDialog(makeTiff(2));
    const IKHANDLE first = display().ImgHandle();
    main().V5->trigger();
    const IKHANDLE turned = display().ImgHandle();
    EXPECT_NE(turned, first);
    EXPECT_FALSE(platform::globalIsValid(first));
    viewer().IkThumb1SelectFile(viewer().IkThumb1, QString(), QString(), 2, 2, 0, 0, 0, 0);
    EXPECT_FALSE(platform::globalIsValid(turned));
    const IKHANDLE second = display().ImgHandle();
    main().close();
    EXPECT_FALSE(platform::globalIsValid(second));
}

TEST_F(ViewerTab, DroppedTiffNamesLoadInAnyCaseOnTheTabAndOnTheDisplay) {
    const QString upper = makeTiff(2, "A.TIF");
    const QString other = makeTiff(1, "b.tiff");
    QFile::copy(other, dir.filePath(QStringLiteral("c.png")));

    EXPECT_EQ(main().FilesDropped({other, upper, dir.filePath(QStringLiteral("c.png"))}), app::DropTarget::Viewer);
    EXPECT_EQ(viewer().OpenDialog3FileName, upper);
    EXPECT_EQ(viewer().IkThumb1->Count(), 2);

    viewer().SpeedButton4_2Click();
    dropOnDisplay({dir.filePath(QStringLiteral("c.png"))});
    EXPECT_TRUE(viewer().OpenDialog3FileName.isEmpty());
    dropOnDisplay({upper});
    EXPECT_EQ(viewer().OpenDialog3FileName, upper);
    EXPECT_EQ(shown(), (Shown{50, 30, pageColour(1)}));
}

TEST_F(ViewerTab, UnreadableFileSaysSoAndLeavesAnEmptyViewerWithItsCommands) {
    const QString bad = dir.filePath(QStringLiteral("bad.tif"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("II*\0garbage that is no directory");
    f.close();
    loadByDialog(bad);
    EXPECT_EQ(prompts.messages(), QStringList{QStringLiteral("ファイルを読み込めませんでした。\n") + bad});
    EXPECT_EQ(display().ImgHandle(), 0u);
    EXPECT_EQ(viewer().IkThumb1->Count(), 0);
    EXPECT_TRUE(viewerGroupEnabled());
}

TEST_F(ViewerTab, ClearEmptiesTheViewerAndDisablesItsGroup) {
    main().show();
    loadByDialog(makeTiff(2));
    const IKHANDLE page = display().ImgHandle();
    const Ikutils::IkRect drawn = display().DrawnRect();
    // What the window shows once the pending paints are done.
    auto pixel = [&] {
        QApplication::processEvents();
        const QPoint at = display().mapTo(&main(), QPoint((drawn.left + drawn.right) / 2, (drawn.top + drawn.bottom) / 2));
        const QImage shown = main().screen()->grabWindow(main().winId()).toImage();
        return shown.pixel(at) & 0xFFFFFF;
    };
    EXPECT_EQ(pixel(), pageColour(1));
    main().V3->trigger();
    EXPECT_EQ(pixel(), 0xFFFFD5u) << "the display shows its empty area";
    EXPECT_TRUE(viewer().OpenDialog3FileName.isEmpty());
    EXPECT_TRUE(viewer().IkThumb1->FilePath().isEmpty());
    EXPECT_EQ(viewer().IkThumb1->Count(), 0);
    EXPECT_EQ(display().ImgHandle(), 0u);
    EXPECT_FALSE(platform::globalIsValid(page));
    EXPECT_FALSE(viewerGroupEnabled());
}

TEST_F(ViewerTab, NavigationOpensBesideTheMainWindowAndAThumbnailClickHidesItWhileTheButtonStaysDown) {
    loadByDialog(makeTiff(3));
    main().show();
    main().move(100, 50);
    QWidget* pan = display().PanWindow();
    ASSERT_NE(pan, nullptr);
    EXPECT_EQ(display().PanWindowCaption(), QStringLiteral("ﾅﾋﾞｹﾞｰﾄｳｨﾝﾄﾞｳ"));
    EXPECT_TRUE(display().PanWindowCloseBox());

    viewer().SpeedButton4_5->click();
    EXPECT_TRUE(viewer().SpeedButton4_5->isChecked());
    EXPECT_TRUE(main().V8->isChecked());
    EXPECT_TRUE(pan->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(display().PanWindowLeft(), 110);
    EXPECT_EQ(display().PanWindowTop(), 198);

    clickThumbnail(1);
    EXPECT_EQ(shown(), (Shown{60, 30, pageColour(2)}));
    EXPECT_FALSE(pan->isVisible());
    EXPECT_TRUE(viewer().SpeedButton4_5->isChecked());
    EXPECT_TRUE(main().V8->isChecked());

    viewer().SpeedButton4_5->click();  // raised: stays hidden
    EXPECT_FALSE(main().V8->isChecked());
    EXPECT_FALSE(pan->isVisible());
    main().V8->trigger();  // the menu item: checked and shown again
    EXPECT_TRUE(viewer().SpeedButton4_5->isChecked());
    EXPECT_TRUE(pan->isVisible());

    main().V5->trigger();  // a turn keeps it shown, over the turned page
    EXPECT_TRUE(pan->isVisible());
    EXPECT_EQ(shown(), (Shown{30, 60, pageColour(2)}));

    main().V3->trigger();
    EXPECT_FALSE(pan->isVisible());
    EXPECT_TRUE(main().V8->isChecked());
}

TEST_F(ViewerTab, ClosingWithNothingLoadedReleasesNothing) {
    main().show();
    main().close();
    EXPECT_EQ(display().ImgHandle(), 0u);
    EXPECT_TRUE(prompts.messages().isEmpty());
}

}  // namespace
