// The previews of the page list and of the split tab: what they show, the one-shot slide
// list, merged requests and an empty pane after clear.
#include "app/Mainwindow1.h"
#include "app/BuildTab.h"
#include "app/SplitTab.h"
#include "app/PagePreview.h"
#include "app/Windows.h"
#include "browse/Ikslide.h"
#include "support/RgbTiff.h"
#include "support/ScriptedPrompts.h"
#include "widgets/StringGrid.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tiffio.h>

namespace {

// Colour of picture n of the tests, as 0xRRGGBB.
QRgb colourOf(int n) { return qRgb(40 * n, 255 - 30 * n, 20 + 25 * n); }

TEST(SlideList, LinesEndWithCrLfInUtf8AndAnUnwritablePlaceFails) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("_slide.tmp"));
    ASSERT_TRUE(app::writeSlideList(path, {QStringLiteral("/scan/ページ.tif 2"), QString()}));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QStringLiteral("/scan/ページ.tif 2\r\n\r\n").toUtf8());
    EXPECT_FALSE(app::writeSlideList(dir.filePath(QStringLiteral("missing/_slide.tmp")), {QStringLiteral("x")}));
}

class Previews : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        main().ProgramDir = dir.path();
        main().resize(800, 600);
        main().show();
    }
    TMainForm1& main() { return *windows.MainForm1; }

    QString picture(int n) {
        const QString path = dir.filePath(QStringLiteral("p%1.png").arg(n));
        QImage image(60 + n, 40, QImage::Format_RGB32);
        image.fill(colourOf(n));
        EXPECT_TRUE(image.save(path));
        return path;
    }
    // A TIFF whose page n (1-based) is 30 × 20 pixels of colourOf(n).
    QString tiff(int pages) {
        return writeRgbTiff(
            dir.filePath(QStringLiteral("book.tif")), pages, [](int) { return QSize(30, 20); },
            [](int i, int, int) { return std::uint32_t(colourOf(i + 1) & 0xFFFFFF); });
    }
    // Handles the waiting request and lets the wipe finish; the centre of the pane.
    QRgb shownCentre(app::PagePreview& preview, TVIkSlide& slide) {
        preview.flush();
        QElapsedTimer clock;
        clock.start();
        while (slide.Wiping() && clock.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
        const QImage screen = slide.grab().toImage();
        return screen.pixel(screen.width() / 2, screen.height() / 2) & 0xFFFFFF;
    }
    static bool listLeft(const QString& listPath) { return QFile::exists(listPath); }

    ScriptedPrompts prompts;
    QTemporaryDir dir;
    AppWindows windows = AppWindows::create();
};

TEST_F(Previews, Row5OfThePageListIsShownAndTheListFileIsGone) {
    QStringList files;
    for (int n = 1; n <= 6; ++n) files << picture(n);
    prompts.openAnswers << files;
    main().F1->trigger();
    EXPECT_EQ(shownCentre(*main().Build->Preview1, *main().Build->IkSlide1) , colourOf(1) & 0xFFFFFF);

    main().Build->StringGrid1->SelectCell(1, 5);
    EXPECT_EQ(shownCentre(*main().Build->Preview1, *main().Build->IkSlide1), colourOf(5) & 0xFFFFFF);
    EXPECT_EQ(main().Build->IkSlide1->CurrentFullPath(), files[4]);
    EXPECT_FALSE(listLeft(main().previewListPath()));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("_slide.tmp")))) << "nothing in the program's folder";
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(Previews, RequestsWaitingTogetherShowOnlyTheNewest) {
    QStringList files;
    for (int n = 1; n <= 4; ++n) files << picture(n);
    prompts.openAnswers << files;
    main().F1->trigger();
    shownCentre(*main().Build->Preview1, *main().Build->IkSlide1);
    QStringList started;
    main().Build->IkSlide1->OnStartSlide = [&](TVIkSlide*, std::int16_t, const QString& folder, const QString& name) {
        started << QDir(folder).filePath(name);
    };
    for (int row : {2, 3, 4, 3}) main().Build->StringGrid1->SelectCell(1, row);  // keys held down
    EXPECT_EQ(shownCentre(*main().Build->Preview1, *main().Build->IkSlide1), colourOf(3) & 0xFFFFFF);
    EXPECT_EQ(started, QStringList{files[2]});
}

TEST_F(Previews, SplitPageThreeComesFromThePathAndIndexTwo) {
    const QString file = tiff(4);
    main().PageControl1->setCurrentIndex(1);
    prompts.openAnswers << QStringList{file};
    main().E1->trigger();
    EXPECT_EQ(shownCentre(*main().Split->Preview2, *main().Split->IkSlide2), colourOf(1) & 0xFFFFFF);

    main().Split->CheckListBox1->setCurrentRow(2);
    EXPECT_EQ(shownCentre(*main().Split->Preview2, *main().Split->IkSlide2), colourOf(3) & 0xFFFFFF);
    ASSERT_EQ(main().Split->IkSlide2->Entries().size(), 1u);
    EXPECT_EQ(main().Split->IkSlide2->Entries()[0].Page, 2);
    EXPECT_EQ(main().Split->IkSlide2->CurrentFullPath(), file);
    EXPECT_FALSE(listLeft(main().previewListPath()));

    main().E4->trigger();
    EXPECT_FALSE(main().Split->IkSlide2->IsOpen());
}

TEST_F(Previews, ThePaneIsEmptyAfterThePageListIsCleared) {
    prompts.openAnswers << QStringList{picture(2)};
    main().F1->trigger();
    const QRgb empty = 0xFFFFD5;  // the pane's light yellow
    ASSERT_EQ(shownCentre(*main().Build->Preview1, *main().Build->IkSlide1), colourOf(2) & 0xFFFFFF);
    prompts.confirmAnswers << true;
    main().F7->trigger();
    EXPECT_FALSE(main().Build->IkSlide1->IsOpen());
    EXPECT_EQ(shownCentre(*main().Build->Preview1, *main().Build->IkSlide1), empty);
}

TEST_F(Previews, AListThatCannotBeWrittenSaysSoAndKeepsThePicture) {
    prompts.openAnswers << QStringList{picture(1), picture(2)};
    main().F1->trigger();
    ASSERT_EQ(shownCentre(*main().Build->Preview1, *main().Build->IkSlide1), colourOf(1) & 0xFFFFFF);
    const QString list = main().previewListPath();
    ASSERT_TRUE(QDir().mkpath(list));  // a folder where the file should go
    main().Build->StringGrid1->SelectCell(1, 2);
    EXPECT_EQ(shownCentre(*main().Build->Preview1, *main().Build->IkSlide1), colourOf(1) & 0xFFFFFF);
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages()[0].contains(list));
    QDir().rmdir(list);
}

TEST(PreviewFolder, NothingRemainsAfterTheProgramEnds) {
    ScriptedPrompts prompts;
    QString folder;
    {
        AppWindows windows = AppWindows::create();
        folder = QFileInfo(windows.MainForm1->previewListPath()).absolutePath();
        EXPECT_TRUE(QDir(folder).exists());
    }
    EXPECT_FALSE(QDir(folder).exists());
}

}  // namespace
