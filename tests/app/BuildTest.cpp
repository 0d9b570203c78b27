#include "app/BuildReport.h"
#include "app/Convertwindow1.h"
#include "app/Mainwindow1.h"
#include "app/BuildTab.h"
#include "app/Progresswindow1.h"
#include "app/Windows.h"
#include "Ikfile.h"
#include "display/Ikdisp.h"
#include "support/ScriptedPrompts.h"
#include "support/TiffPages.h"
#include "widgets/Dxfprogressbar.h"
#include "widgets/Mccbox.h"
#include "widgets/lib/SpinEdit.h"

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tiffio.h>

#include <stdexcept>

namespace {

struct Page {
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, samples = 0, compression = 0, photometric = 0;
    float xres = 0, yres = 0;
    // RGBA of pixels as libtiff reads the page upright.
    uint32_t topLeft = 0, topRight = 0, centre = 0;
};

std::vector<Page> readPages(const QString& path) {
    std::vector<Page> pages;
    for (const TiffPage& t : readTiffPages(path)) {
        Page p{t.width, t.height, t.bits, t.samples, t.compression, t.photometric, t.xres, t.yres};
        if (!t.rgba.empty()) {
            p.topLeft = t.at(0, 0);
            p.topRight = t.at(t.width - 1, 0);
            p.centre = t.at(t.width / 2, t.height / 2);
        }
        pages.push_back(p);
    }
    return pages;
}

bool run(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("convert"), args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Choices of the build dialog, as item indexes (-1: nothing selected).
struct Choices {
    int compression = -1, colours = -1, threshold = 128, resolution = -1, xDpi = 75, yDpi = 75, rotation = -1;
};

class BuildCommand : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString output() const { return file("out.tif"); }

    // A 30 × 20 picture with a red top-left corner, written by ImageMagick as `name`.
    QString colourSource(const char* name) {
        EXPECT_TRUE(run({QStringLiteral("-size"), QStringLiteral("30x20"), QStringLiteral("xc:rgb(150,150,150)"),
                         QStringLiteral("-fill"), QStringLiteral("red"), QStringLiteral("-draw"),
                         QStringLiteral("rectangle 0,0 3,3"), QStringLiteral("-type"), QStringLiteral("TrueColor"),
                         (QString::fromLatin1(name).endsWith(QStringLiteral(".png")) ? QStringLiteral("PNG24:")
                                                                                      : QString()) +
                             file(name)}));
        return file(name);
    }
    QString bilevelSource(const char* name, const char* compression) {
        EXPECT_TRUE(run({QStringLiteral("-size"), QStringLiteral("24x16"), QStringLiteral("pattern:checkerboard"),
                         QStringLiteral("-monochrome"), QStringLiteral("-depth"), QStringLiteral("1"),
                         QStringLiteral("-compress"), QString::fromLatin1(compression), file(name)}));
        return file(name);
    }

    void registerFiles(const QStringList& paths) {
        windows.MainForm1->PageControl1->setCurrentIndex(0);
        windows.MainForm1->FilesDropped(paths);
    }

    void build(const Choices& c, bool addToExisting = true) {
        prompts.dialogAnswers << [c](QDialog& d) {
            auto& form = static_cast<TConvertForm1&>(d);
            form.C1_01->SetItemIndex(c.compression);
            form.C1_02->SetItemIndex(c.colours);
            form.C1_03->SetValue(c.threshold);
            form.C1_04->SetItemIndex(c.resolution);
            form.C1_05->SetValue(c.xDpi);
            form.C1_06->SetValue(c.yDpi);
            form.C1_07->SetItemIndex(c.rotation);
            return true;
        };
        prompts.saveAnswers << output();
        if (QFile::exists(output())) prompts.confirmAnswers << addToExisting;  // add pages?
        prompts.confirmAnswers << false;                                       // clear the list?
        windows.MainForm1->F2->trigger();
    }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    AppWindows windows = AppWindows::create();
};

TEST_F(BuildCommand, FirstEntriesKeepEachSourcesCompressionInListOrder) {
    registerFiles({colourSource("a.png"), bilevelSource("b.tif", "Group4"), bilevelSource("c.tif", "LZW"),
                   colourSource("d.jpg"), colourSource("e.bmp"), colourSource("f.gif")});
    build({0, 0, 128, 0, 75, 75, 0});
    const auto pages = readPages(output());
    ASSERT_EQ(pages.size(), 6u);
    EXPECT_EQ(pages[0].compression, COMPRESSION_NONE);
    EXPECT_EQ(pages[1].compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(pages[2].compression, COMPRESSION_LZW);
    EXPECT_EQ(pages[0].width, 30u);
    EXPECT_EQ(pages[1].width, 24u);
    EXPECT_EQ(prompts.messages().last(), QStringLiteral("新しいマルチTIFFファイルが作成されました。"));
    EXPECT_EQ(prompts.questions().last(), QStringLiteral("登録したファイルをクリアしてもよろしいですか？"));
    EXPECT_EQ(windows.ProgressForm1->ProgressBar1->Position(), 6);
    EXPECT_EQ(windows.ProgressForm1->ProgressBar1->Max(), 6);
    EXPECT_FALSE(windows.ProgressForm1->isVisible());
    const PromptRecord save = prompts.shown[1];
    EXPECT_EQ(save.text, QStringLiteral("マルチTIFFの保存(既存のファイルを選択するとページ追加)"));
    EXPECT_EQ(save.defaultExtension, QStringLiteral("tif"));
}

TEST_F(BuildCommand, ExistingFileGetsPagesAddedOnlyWhenTheUserAgrees) {
    registerFiles({colourSource("a.png"), colourSource("b.png")});
    build({});
    build({});
    build({});
    build({});  // four runs of two pages: eight
    ASSERT_EQ(readPages(output()).size(), 8u);
    const QByteArray before = bytesOf(output());
    const int messagesBefore = prompts.messages().size();
    build({}, false);
    EXPECT_EQ(bytesOf(output()), before);
    EXPECT_EQ(prompts.messages().size(), messagesBefore);
    EXPECT_TRUE(prompts.questions().last().startsWith(output() + QStringLiteral(" は既に存在します。\nページを追加しますか？")));
}

TEST_F(BuildCommand, TwoColoursWithThresholdConvertsDeepPagesAndKeepsBilevelOnes) {
    registerFiles({colourSource("grey.png"), bilevelSource("b.tif", "None")});
    build({0, 1, 200});
    const auto pages = readPages(output());
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].bits, 1);
    // Grey 150 lies below the threshold 200, so the page turns black (at 128 it would be white).
    EXPECT_EQ(TIFFGetR(pages[0].centre), 0u);
    EXPECT_EQ(pages[1].bits, 1);
    EXPECT_EQ(pages[1].width, 24u);
}

TEST_F(BuildCommand, GreyOnAPaletteSourceWritesItUnconverted) {
    EXPECT_TRUE(run({QStringLiteral("-size"), QStringLiteral("16x16"), QStringLiteral("plasma:"),
                     QStringLiteral("-colors"), QStringLiteral("200"), QStringLiteral("-type"), QStringLiteral("Palette"),
                     QStringLiteral("BMP3:") + file("pal.bmp")}));
    registerFiles({file("pal.bmp")});
    build({0, 7});
    const auto pages = readPages(output());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].photometric, PHOTOMETRIC_PALETTE);
}

TEST_F(BuildCommand, UserResolutionAndQuarterTurnClockwise) {
    registerFiles({colourSource("a.png")});
    build({0, 0, 128, 8, 300, 150, 1});
    const auto pages = readPages(output());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].width, 20u);
    EXPECT_EQ(pages[0].height, 30u);
    // A quarter turn swaps the two resolutions with the axes.
    EXPECT_FLOAT_EQ(pages[0].xres, 150.f);
    EXPECT_FLOAT_EQ(pages[0].yres, 300.f);
    // Turned clockwise, the red top-left corner goes to the top right.
    EXPECT_EQ(TIFFGetR(pages[0].topRight), 255u);
    EXPECT_EQ(TIFFGetG(pages[0].topRight), 0u);
    EXPECT_EQ(TIFFGetR(pages[0].topLeft), 150u);
}

TEST_F(BuildCommand, FirstRunWritesPagesUnconvertedAndUncompressed) {
    registerFiles({colourSource("a.png"), colourSource("b.jpg")});
    build({});
    const auto pages = readPages(output());
    ASSERT_EQ(pages.size(), 2u);
    for (const Page& p : pages) {
        EXPECT_EQ(p.compression, COMPRESSION_NONE);
        EXPECT_EQ(p.bits * p.samples, 24);
    }
}

// FlashPix sources (true colour, grey, JPEG tiles) become pages of their full level.
TEST_F(BuildCommand, FlashPixSourcesBecomePagesOfTheirFullResolution) {
    QStringList sources;
    for (const char* name : {"input_truecolor.fpx", "input_grayscale.fpx", "input_jpeg.fpx"}) {
        const QString copy = file(name);
        ASSERT_TRUE(QFile::copy(QStringLiteral(VZ_SOURCE_DIR "/tests/file/data/flashpix/") + QLatin1String(name), copy));
        sources << copy;
    }
    registerFiles(sources);
    build({});
    const auto pages = readPages(output());
    ASSERT_EQ(pages.size(), 3u);
    for (const Page& p : pages) {
        EXPECT_EQ(p.width, 70u);
        EXPECT_EQ(p.height, 46u);
    }
    EXPECT_EQ(pages[0].bits * pages[0].samples, 24);
    EXPECT_EQ(pages[1].bits * pages[1].samples, 8);
    // The true-colour file's first stored pixel is red 0x30, green 0x2F, blue 0x2D.
    EXPECT_EQ(TIFFGetR(pages[0].topLeft), 0x30u);
    EXPECT_EQ(TIFFGetG(pages[0].topLeft), 0x2Fu);
    EXPECT_EQ(TIFFGetB(pages[0].topLeft), 0x2Du);
    EXPECT_EQ(prompts.messages().last(), QStringLiteral("新しいマルチTIFFファイルが作成されました。"));
}

TEST_F(BuildCommand, ADeletedSourceIsNamedAndTheRestIsWritten) {
    registerFiles({colourSource("a.png"), colourSource("gone.png"), colourSource("c.png")});
    QFile::remove(file("gone.png"));
    build({});
    EXPECT_EQ(readPages(output()).size(), 2u);
    EXPECT_EQ(prompts.messages().last(),
              QStringLiteral("新しいマルチTIFFファイルが作成されました。\nただし、次の 1 件はページにできませんでした:\n page 2: ") +
                  file("gone.png"));
}

TEST_F(BuildCommand, NothingWrittenIsReportedAsAFailureWithoutTheClearQuestion) {
    registerFiles({colourSource("a.png")});
    prompts.dialogAnswers << [](QDialog&) { return true; };
    prompts.saveAnswers << file("no-such-folder/out.tif");
    windows.MainForm1->F2->trigger();
    EXPECT_TRUE(prompts.messages().last().startsWith(QStringLiteral("マルチTIFFファイルを作成できませんでした。")));
    EXPECT_TRUE(prompts.questions().isEmpty());
    EXPECT_EQ(windows.MainForm1->Build->RegisteredCount, 1);
}

TEST_F(BuildCommand, AStepThatThrowsEndsTheRunKeepingThePagesWritten) {
    registerFiles({colourSource("a.png"), colourSource("b.png"), colourSource("c.png")});
    windows.MainForm1->IkFile1->OnStartLoad = [&](TVIkFile*, const QString& name) {
        if (name.endsWith(QStringLiteral("b.png"))) throw std::runtime_error("unreadable");
    };
    build({});
    EXPECT_EQ(prompts.messages().last(), QStringLiteral("非対応フォーマットが含まれていました。処理を中止します。"));
    EXPECT_FALSE(windows.ProgressForm1->isVisible());
    EXPECT_EQ(readPages(output()).size(), 1u);
    EXPECT_EQ(windows.MainForm1->Build->RegisteredCount, 3);
    EXPECT_FALSE(prompts.questions().contains(QStringLiteral("登録したファイルをクリアしてもよろしいですか？")));
}

TEST_F(BuildCommand, CancelledDialogWritesNothing) {
    registerFiles({colourSource("a.png")});
    windows.MainForm1->F2->trigger();  // settings dialog cancelled
    prompts.dialogAnswers << [](QDialog&) { return true; };
    windows.MainForm1->F2->trigger();  // save dialog cancelled
    EXPECT_FALSE(QFile::exists(output()));
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST(BuildReport, MessageByOutcome) {
    EXPECT_EQ(app::buildCompletionMessage({3, {}}), QStringLiteral("新しいマルチTIFFファイルが作成されました。"));
    EXPECT_EQ(app::buildCompletionMessage({1, {QStringLiteral(" page 1: /x.png")}}),
              QStringLiteral("マルチTIFFファイルを作成できませんでした。\nページにできなかったファイル:\n page 1: /x.png"));
}

}  // namespace
