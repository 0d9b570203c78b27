// The build and split jobs on their own: stopping midway, and pages copied as they are
// stored only when nothing about them changes.
#include "app/BuildJob.h"
#include "app/JobProgress.h"
#include "app/Mainwindow1.h"
#include "app/SplitJob.h"
#include "app/Windows.h"
#include "support/TiffPages.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tiffio.h>

namespace {

// Records what a job reports and asks it to stop once `stopAfter` pages are done.
class RecordingProgress final : public app::JobProgress {
public:
    int stopAfter = -1;
    int total = -1;
    QStringList shown;
    QList<int> done;
    bool ended = false;

    void begin(const QString&, int pages) override { total = pages; }
    void showPageOf(const QString& path, int page) override { shown << QDir(path).dirName() + u'#' + QString::number(page); }
    void pageDone(int number) override { done << number; }
    void tick() override {}
    bool stopRequested() override { return stopAfter >= 0 && done.size() >= stopAfter; }
    void end() override { ended = true; }
};

bool convert(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("convert"), args);
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

// Every page's compressed strips, back to back, as stored.
std::vector<QByteArray> storedPages(const QString& path) {
    std::vector<QByteArray> pages;
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "r");
    if (!tif) return pages;
    do {
        QByteArray bytes;
        for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
            QByteArray strip(static_cast<qsizetype>(TIFFRawStripSize(tif, s)), '\0');
            TIFFReadRawStrip(tif, s, strip.data(), strip.size());
            bytes += strip;
        }
        pages.push_back(bytes);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}

class Jobs : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString file(const QString& name) const { return dir.filePath(name); }

    // True-colour PNG pictures of different colours, each its own file.
    QStringList colourFiles(int count) {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            const QString f = file(QStringLiteral("c%1.png").arg(i));
            EXPECT_TRUE(convert({QStringLiteral("-size"), QStringLiteral("40x30"),
                                 QStringLiteral("xc:rgb(%1,%2,90)").arg(20 * i).arg(200 - 15 * i),
                                 QStringLiteral("-type"), QStringLiteral("TrueColor"), QStringLiteral("PNG24:") + f}));
            files << f;
        }
        return files;
    }

    app::BuildOutcome build(const QStringList& sources, const QString& output, const app::BuildSettings& settings,
                            RecordingProgress& progress) {
        TMainForm1& main = *windows.MainForm1;
        return app::BuildJob(*main.IkCommon1, *main.IkFile1, *main.IkEffect1, &progress).run(sources, output, settings);
    }

    app::SplitOutcome split(const QString& source, int pageCount, const QList<int>& pages, RecordingProgress& progress,
                            int scheme = 1) {
        app::SplitSettings settings;
        settings.folder = file(QStringLiteral("out"));
        QDir().mkpath(settings.folder);
        settings.scheme = scheme;
        settings.digits = 2;
        TMainForm1& main = *windows.MainForm1;
        return app::SplitJob(*main.IkFile1, &progress).run(source, pageCount, pages, settings);
    }

    QTemporaryDir dir;
    AppWindows windows = AppWindows::create();
};

TEST_F(Jobs, AStoppedBuildAppendsOnlyTheWholePagesBeforeTheStop) {
    const QString output = file(QStringLiteral("out.tif"));
    ASSERT_TRUE(convert({QStringLiteral("xc:white[8x8]"), QStringLiteral("xc:black[8x8]"), output}));
    RecordingProgress progress;
    progress.stopAfter = 3;
    const app::BuildOutcome outcome = build(colourFiles(10), output, {}, progress);

    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.pagesWritten(), 3);
    EXPECT_EQ(progress.done, (QList<int>{1, 2, 3}));
    EXPECT_EQ(progress.shown, (QStringList{QStringLiteral("c0.png#0"), QStringLiteral("c1.png#0"), QStringLiteral("c2.png#0")}));
    EXPECT_TRUE(progress.ended);
    const std::vector<TiffPage> pages = readTiffPages(output);
    ASSERT_EQ(pages.size(), 5u);
    for (std::size_t i = 2; i < 5; ++i) {
        ASSERT_FALSE(pages[i].rgba.empty()) << "page " << i;
        EXPECT_EQ(TIFFGetR(pages[i].at(0, 0)), 20u * (i - 2)) << "page " << i;
    }
    EXPECT_EQ(app::buildCompletionMessage(outcome),
              QStringLiteral("処理を中止しました。\n3 ページを書き込みました（残りの 7 件は処理していません）。"));
}

TEST_F(Jobs, AStoppedSplitWritesThePagesBeforeTheStop) {
    const QString source = file(QStringLiteral("ten.tif"));
    QStringList args;
    for (int i = 0; i < 10; ++i) args << QStringLiteral("xc:rgb(%1,0,0)[6x4]").arg(20 * i);
    ASSERT_TRUE(convert(args << QStringLiteral("-compress") << QStringLiteral("LZW") << source));
    RecordingProgress progress;
    progress.stopAfter = 3;
    const app::SplitOutcome outcome = split(source, 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, progress);

    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.written, 3);
    EXPECT_EQ(progress.total, 10);
    EXPECT_EQ(progress.shown, (QStringList{QStringLiteral("ten.tif#0"), QStringLiteral("ten.tif#1"), QStringLiteral("ten.tif#2")}));
    EXPECT_EQ(QDir(file(QStringLiteral("out"))).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("ten_01.tif"), QStringLiteral("ten_02.tif"), QStringLiteral("ten_03.tif")}));
    EXPECT_EQ(app::splitCompletionMessage(outcome), QStringLiteral("処理を中止しました。\n3 枚の新しいファイルが作成されました。"));
}

// A JPEG page decoded and encoded again does not get the same bytes, so equal strips show a copy.
TEST_F(Jobs, ABuildCopiesUnchangedTiffPagesAsStoredAndEncodesChangedOnes) {
    const QString jpeg = file(QStringLiteral("photo.tif"));
    ASSERT_TRUE(convert({QStringLiteral("-size"), QStringLiteral("64x48"), QStringLiteral("plasma:"),
                         QStringLiteral("-compress"), QStringLiteral("JPEG"), jpeg}));
    const QString g4 = file(QStringLiteral("text.tif"));
    ASSERT_TRUE(convert({QStringLiteral("-size"), QStringLiteral("64x48"), QStringLiteral("pattern:leftshingle"),
                         QStringLiteral("-monochrome"), QStringLiteral("-compress"), QStringLiteral("Group4"), g4}));
    const QByteArray jpegStrips = storedPages(jpeg).at(0), g4Strips = storedPages(g4).at(0);

    struct Case {
        const char* what;
        app::BuildSettings settings;
        bool copied;
    };
    app::BuildSettings keep;
    keep.compression = 0;
    app::BuildSettings turned = keep;
    turned.rotation = 1;
    app::BuildSettings userDpi = keep;
    userDpi.resolution = 8;
    userDpi.xDpi = userDpi.yDpi = 300;
    app::BuildSettings lzw = keep;
    lzw.compression = 7;
    app::BuildSettings twoColours = keep;  // leaves the bilevel page as it is
    twoColours.colours = 1;
    for (const Case& c : {Case{"kept", keep, true}, Case{"turned", turned, false}, Case{"new resolution", userDpi, false},
                          Case{"recompressed", lzw, false}}) {
        const QString output = file(QStringLiteral("%1.tif").arg(QLatin1String(c.what)));
        RecordingProgress progress;
        const app::BuildOutcome outcome = build({jpeg, g4}, output, c.settings, progress);
        EXPECT_EQ(outcome.pagesWritten(), 2) << c.what;
        const std::vector<QByteArray> written = storedPages(output);
        ASSERT_EQ(written.size(), 2u) << c.what;
        EXPECT_EQ(written[0] == jpegStrips, c.copied) << c.what;
        // Group 4 coding is deterministic, so only the kept case says anything about it.
        if (c.copied) {
            EXPECT_EQ(written[1], g4Strips) << c.what;
        }
        EXPECT_FALSE(readTiffPages(output)[0].rgba.empty()) << c.what;
    }
    const QString bilevel = file(QStringLiteral("bilevel.tif"));
    RecordingProgress progress;
    build({g4}, bilevel, twoColours, progress);
    EXPECT_EQ(storedPages(bilevel), std::vector<QByteArray>{g4Strips});
}

TEST_F(Jobs, ASplitCopiesEachPageAsStored) {
    const QString source = file(QStringLiteral("photos.tif"));
    ASSERT_TRUE(convert({QStringLiteral("-size"), QStringLiteral("64x48"), QStringLiteral("plasma:"), QStringLiteral("gradient:"),
                         QStringLiteral("-set"), QStringLiteral("comment"), QStringLiteral("page of a letter"),
                         QStringLiteral("-compress"), QStringLiteral("JPEG"), source}));
    const std::vector<QByteArray> stored = storedPages(source);
    ASSERT_EQ(stored.size(), 2u);
    RecordingProgress progress;
    EXPECT_EQ(split(source, 2, {1, 2}, progress).written, 2);
    EXPECT_EQ(storedPages(file(QStringLiteral("out/photos_01.tif"))), std::vector<QByteArray>{stored[0]});
    EXPECT_EQ(storedPages(file(QStringLiteral("out/photos_02.tif"))), std::vector<QByteArray>{stored[1]});
    // Each page keeps its own description, as a decoded and written page would.
    TIFF* tif = TIFFOpen(file(QStringLiteral("out/photos_02.tif")).toLocal8Bit().constData(), "r");
    ASSERT_NE(tif, nullptr);
    const char* description = nullptr;
    EXPECT_TRUE(TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &description));
    EXPECT_STREQ(description, "page of a letter");
    TIFFClose(tif);
}

// Pages alternate between two writers: pages the copy refuses (Deflate) are decoded and
// written on either, and pages bound for one file still arrive there whole and in order.
TEST_F(Jobs, ASplitOfMixedPagesWritesEachPageOnceInOrder) {
    const QString lzw = file(QStringLiteral("lzw.tif")), zip = file(QStringLiteral("zip.tif"));
    QStringList lzwArgs, zipArgs;
    for (int i = 0; i < 4; ++i) lzwArgs << QStringLiteral("xc:rgb(%1,0,0)[6x4]").arg(10 + 40 * i);
    for (int i = 0; i < 3; ++i) zipArgs << QStringLiteral("xc:rgb(%1,0,0)[6x4]").arg(30 + 40 * i);
    ASSERT_TRUE(convert(lzwArgs << QStringLiteral("-compress") << QStringLiteral("LZW") << lzw));
    ASSERT_TRUE(convert(zipArgs << QStringLiteral("-compress") << QStringLiteral("Zip") << zip));
    // Red 10, 30, 50, 70, 90, 110, 130: LZW and Deflate pages by turns.
    const QString source = file(QStringLiteral("mixed.tif"));
    QStringList order;
    for (int i = 0; i < 7; ++i) order << QStringLiteral("%1,%2").arg(i % 2 ? zip : lzw).arg(i / 2);
    QProcess tiffcp;
    tiffcp.start(QStringLiteral("tiffcp"), order << source);
    ASSERT_TRUE(tiffcp.waitForFinished(60000) && tiffcp.exitCode() == 0);
    ASSERT_EQ(readTiffPages(source).size(), 7u);

    struct Case {
        const char* what;
        int scheme;
        QStringList files;  // each holding the pages in turn
    };
    const Case cases[] = {
        {"a file per page", 0, {QStringLiteral("mixed_01.tif"), QStringLiteral("mixed_02.tif"), QStringLiteral("mixed_03.tif"),
                                QStringLiteral("mixed_04.tif"), QStringLiteral("mixed_05.tif"), QStringLiteral("mixed_06.tif"),
                                QStringLiteral("mixed_07.tif")}},
        {"every page into one file", -1, {QStringLiteral("mixed_.tif")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(file(QStringLiteral("out"))).removeRecursively();
        RecordingProgress progress;
        const app::SplitOutcome outcome = split(source, 7, {1, 2, 3, 4, 5, 6, 7}, progress, c.scheme);
        EXPECT_EQ(outcome.written, 7);
        EXPECT_TRUE(outcome.notWritten.isEmpty()) << outcome.notWritten.join(u' ').toStdString();
        EXPECT_EQ(progress.done, (QList<int>{1, 2, 3, 4, 5, 6, 7}));
        EXPECT_EQ(QDir(file(QStringLiteral("out"))).entryList(QDir::Files, QDir::Name), c.files);
        std::vector<TiffPage> pages;
        for (const QString& name : c.files)
            for (TiffPage& page : readTiffPages(file(QStringLiteral("out/") + name))) pages.push_back(std::move(page));
        ASSERT_EQ(pages.size(), 7u);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            ASSERT_FALSE(pages[i].rgba.empty()) << "page " << i;
            EXPECT_EQ(TIFFGetR(pages[i].at(0, 0)), 10u + 20u * i) << "page " << i;
        }
    }
}

}  // namespace
