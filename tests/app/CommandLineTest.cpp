// Files named on the command line: the routing rule as a table, then the real windows opening
// a TIFF in the viewer and several images in the page list, with names the file system gives.
#include "app/CommandLine.h"
#include "app/BuildTab.h"
#include "app/Mainwindow1.h"
#include "app/OpenFiles.h"
#include "app/ViewerTab.h"
#include "app/Windows.h"
#include "browse/Ikthumb.h"
#include "display/Ikdisp.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tiffio.h>

#include <vector>

namespace {

using app::Tab;

TEST(CommandLine, OneTiffGoesToTheViewerEverythingElseToThePageList) {
    const QSet<QString> existing{QStringLiteral("/home/u/スキャン/book.tif"), QStringLiteral("/data/a b.TIFF"),
                                 QStringLiteral("/home/u/スキャン/photo.jpg"), QStringLiteral("/home/u/up.tif"),
                                 QStringLiteral("/data/c.tif")};
    const auto isFile = [&](const QString& path) { return existing.contains(path); };
    const QString cwd = QStringLiteral("/home/u/スキャン");
    struct Case {
        QStringList arguments;
        Tab tab;
        QStringList files, missing;
    };
    const Case cases[] = {
        {{"book.tif"}, Tab::View, {"/home/u/スキャン/book.tif"}, {}},
        {{"/data/a b.TIFF"}, Tab::View, {"/data/a b.TIFF"}, {}},
        {{"file:///data/a%20b.TIFF"}, Tab::View, {"/data/a b.TIFF"}, {}},
        {{"../up.tif"}, Tab::View, {"/home/u/up.tif"}, {}},
        {{"photo.jpg"}, Tab::Build, {"/home/u/スキャン/photo.jpg"}, {}},
        {{"book.tif", "/data/c.tif"}, Tab::Build, {"/home/u/スキャン/book.tif", "/data/c.tif"}, {}},
        {{"book.tif", "gone.tif"}, Tab::View, {"/home/u/スキャン/book.tif"}, {"gone.tif"}},
        {{"gone.tif", "photo.jpg", "."}, Tab::Build, {"/home/u/スキャン/photo.jpg"}, {"gone.tif", "."}},
        {{"", "book.tif"}, Tab::View, {"/home/u/スキャン/book.tif"}, {}},
        {{}, Tab::Build, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u'|').toStdString());
        const app::CommandLineFiles got = app::commandLineFiles(c.arguments, cwd, isFile);
        EXPECT_EQ(got.files, c.files);
        EXPECT_EQ(got.missing, c.missing);
        if (!got.files.isEmpty()) {
            EXPECT_EQ(got.tab, c.tab);
        }
    }
    EXPECT_EQ(app::missingFilesMessage({QStringLiteral("gone.tif"), QStringLiteral("/x/無い.png")}),
              QStringLiteral("ファイルが見つかりません: gone.tif\nファイルが見つかりません: /x/無い.png"));
}

class OpenFromCommandLine : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        main().ProgramDir = dir.path();
    }
    TMainForm1& main() { return *windows.MainForm1; }

    // A grey TIFF of `pages` pages of 30 × 20.
    QString makeTiff(const QString& name, int pages) {
        const QString path = dir.filePath(name);
        TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
        if (!tif) return path;
        std::vector<std::uint8_t> row(30, 0x80);
        for (int n = 0; n < pages; ++n) {
            TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 30);
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 20);
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 20);
            for (std::uint32_t y = 0; y < 20; ++y) TIFFWriteScanline(tif, row.data(), y, 0);
            TIFFWriteDirectory(tif);
        }
        TIFFClose(tif);
        return path;
    }
    app::CommandLineFiles routed(const QStringList& arguments) {
        return app::commandLineFiles(arguments, dir.path(), [](const QString& p) { return QFileInfo(p).isFile(); });
    }

    ScriptedPrompts prompts;
    QTemporaryDir dir;
    AppWindows windows = AppWindows::create();
};

TEST_F(OpenFromCommandLine, TiffWithSpacesAndJapaneseInItsNameOpensInTheViewer) {
    const QString book = makeTiff(QStringLiteral("スキャン 2026 年.tif"), 3);
    main().show();
    app::openCommandLineFiles(main(), routed({QStringLiteral("スキャン 2026 年.tif")}));
    EXPECT_EQ(main().ActiveTab(), Tab::View);
    EXPECT_EQ(main().Viewer->OpenDialog3FileName, book);
    EXPECT_EQ(main().Viewer->IkThumb1->Count(), 3);
    EXPECT_NE(main().Viewer->IkDisp1->ImgHandle(), 0u);
    EXPECT_TRUE(prompts.messages().isEmpty());
    main().close();
}

TEST_F(OpenFromCommandLine, SeveralImagesAreRegisteredAndTheMissingOneIsReported) {
    const QString a = makeTiff(QStringLiteral("a.tif"), 1);
    const QString b = dir.filePath(QStringLiteral("写真 b.png"));
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(b));
    main().PageControl1->setCurrentIndex(2);
    main().show();
    app::openCommandLineFiles(main(), routed({QStringLiteral("a.tif"), QStringLiteral("無い.tif"), b}));
    EXPECT_EQ(main().ActiveTab(), Tab::Build);
    EXPECT_EQ(main().Build->Pages().count(), 2);
    EXPECT_EQ(main().Build->Pages().paths(), (QStringList{a, b}));
    EXPECT_EQ(prompts.messages(), QStringList{QStringLiteral("ファイルが見つかりません: 無い.tif")});
    EXPECT_TRUE(main().Viewer->OpenDialog3FileName.isEmpty());
    main().close();
}

}  // namespace
