#include "app/Convertwindow3.h"
#include "app/Mainwindow1.h"
#include "app/SplitTab.h"
#include "app/PagePreview.h"
#include "browse/Ikslide.h"
#include "app/SplitNaming.h"
#include "app/Windows.h"
#include "support/ScriptedPrompts.h"
#include "support/TiffPages.h"
#include "widgets/Mccbox.h"
#include "widgets/lib/SpinEdit.h"

#include <QAction>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tiffio.h>

namespace {

TEST(SplitNaming, NumberTextPadsToTheDigitCount) {
    struct Case {
        std::optional<int> number;
        int digits;
        const char* text;
    };
    for (const Case& c : {Case{3, 4, "0003"}, Case{12, 1, "12"}, Case{7, 8, "00000007"}, Case{123, 2, "123"},
                          Case{std::nullopt, 4, ""}, Case{3, 0, ""}, Case{3, 9, ""}})
        EXPECT_EQ(app::exportNumberText(c.number, c.digits), QString::fromLatin1(c.text)) << c.digits;
}

TEST(SplitNaming, TargetReplacesTheExtensionAndKeepsOnlyTheName) {
    EXPECT_EQ(app::splitTargetPath(QStringLiteral("/out"), QStringLiteral("/scan/book.tif"), QStringLiteral("0003")),
              QStringLiteral("/out/book_0003.tif"));
    EXPECT_EQ(app::splitTargetPath(QStringLiteral("/out"), QStringLiteral("/scan.d/book"), QStringLiteral("1")),
              QStringLiteral("/out/book_1.tif"));
    EXPECT_EQ(app::splitTargetPath(QStringLiteral("/out"), QStringLiteral("/s/a.b.TIFF"), QString()),
              QStringLiteral("/out/a.b_.tif"));
    EXPECT_EQ(app::splitTargetPath(QStringLiteral("/"), QStringLiteral("/s/a.tif"), QStringLiteral("1")),
              QStringLiteral("/a_1.tif"));
    EXPECT_EQ(app::folderWithoutTrailingSeparator(QStringLiteral("/out/")), QStringLiteral("/out"));
    EXPECT_EQ(app::folderWithoutTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));
}


bool run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class SplitTab : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkdir(QStringLiteral("out"));
        windows.MainForm1->PageControl1->setCurrentIndex(1);
    }

    // A bilevel TIFF whose page n is 10 + n pixels wide, pages alternately Group 4 and LZW.
    QString makeTiff(int pages, const char* name = "book.tif") {
        const QString out = dir.filePath(QString::fromLatin1(name));
        for (int n = 1; n <= pages; ++n) {
            const QString page = dir.filePath(QStringLiteral("p%1.tif").arg(n));
            EXPECT_TRUE(run(QStringLiteral("convert"), {QStringLiteral("-size"), QStringLiteral("%1x8").arg(10 + n),
                                                       QStringLiteral("pattern:checkerboard"), QStringLiteral("-monochrome"),
                                                       QStringLiteral("-depth"), QStringLiteral("1"), page}));
            QStringList args;
            if (n > 1) args << QStringLiteral("-a");
            args << QStringLiteral("-c") << (n % 2 ? QStringLiteral("g4") : QStringLiteral("lzw")) << page << out;
            EXPECT_TRUE(run(QStringLiteral("tiffcp"), args));
        }
        return out;
    }

    void load(const QString& file) {
        prompts.openAnswers << QStringList{file};
        windows.MainForm1->E1->trigger();
    }

    // Answers the split dialog with a numbering scheme and digit count, then the folder.
    void split(int scheme, int digits) {
        prompts.dialogAnswers << [scheme, digits](QDialog& d) {
            auto& form = static_cast<TConvertForm3&>(d);
            form.C1_01->SetItemIndex(scheme);
            form.C1_02->SetValue(digits);
            return true;
        };
        prompts.folderAnswers << out() + u'/';
        windows.MainForm1->E2->trigger();
    }

    QString out() const { return dir.filePath(QStringLiteral("out")); }
    QString outFile(const char* name) const { return out() + u'/' + QString::fromLatin1(name); }
    QStringList outFiles() const { return QDir(out()).entryList(QDir::Files, QDir::Name); }
    QListWidget* list() const { return windows.MainForm1->Split->CheckListBox1; }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    AppWindows windows = AppWindows::create();
};

TEST_F(SplitTab, LoadingListsEveryPageCheckedAndEnablesTheCommands) {
    ASSERT_FALSE(windows.MainForm1->E2->isEnabled());
    load(makeTiff(3));
    ASSERT_EQ(list()->count(), 3);
    EXPECT_EQ(list()->item(2)->text(), QStringLiteral(" page 3"));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list()->item(i)->checkState(), Qt::Checked);
    EXPECT_TRUE(windows.MainForm1->E2->isEnabled());
    EXPECT_TRUE(windows.MainForm1->E4->isEnabled());
    windows.MainForm1->Split->Preview2->flush();
    EXPECT_EQ(windows.MainForm1->Split->IkSlide2->Entries().size(), 1u);
    EXPECT_EQ(windows.MainForm1->Split->IkSlide2->Entries()[0].Page, 0);
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("マルチTIFFファイルを開く"));

    windows.MainForm1->E4->trigger();
    EXPECT_EQ(list()->count(), 0);
    EXPECT_TRUE(windows.MainForm1->Split->OpenDialog2FileName.isEmpty());
    EXPECT_FALSE(windows.MainForm1->E2->isEnabled());
}

TEST_F(SplitTab, OddPagesInSequenceWithTwoDigits) {
    load(makeTiff(7));
    windows.MainForm1->Split->N2_2->trigger();
    split(1, 2);
    EXPECT_EQ(outFiles(), (QStringList{QStringLiteral("book_01.tif"), QStringLiteral("book_02.tif"),
                                       QStringLiteral("book_03.tif"), QStringLiteral("book_04.tif")}));
    const int widths[] = {11, 13, 15, 17};
    for (int i = 0; i < 4; ++i) {
        const auto pages = readTiffPages(outFile(QStringLiteral("book_0%1.tif").arg(i + 1).toLatin1().constData()));
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(int(pages[0].width), widths[i]);
    }
    EXPECT_EQ(prompts.messages().last(), QStringLiteral("4 枚の新しいファイルが作成されました。"));
    EXPECT_EQ(windows.ProgressForm1->isVisible(), false);
}

TEST_F(SplitTab, PageNumbersWithThreeDigitsKeepEachPagesCompression) {
    load(makeTiff(7));
    windows.MainForm1->Split->N2_2->trigger();
    split(0, 3);
    EXPECT_EQ(outFiles(), (QStringList{QStringLiteral("book_001.tif"), QStringLiteral("book_003.tif"),
                                       QStringLiteral("book_005.tif"), QStringLiteral("book_007.tif")}));
    EXPECT_EQ(readTiffPages(outFile("book_003.tif"))[0].compression, COMPRESSION_CCITTFAX4);

    windows.MainForm1->Split->N2_3->trigger();  // even pages are LZW in the source
    split(0, 3);
    EXPECT_EQ(readTiffPages(outFile("book_004.tif"))[0].compression, COMPRESSION_LZW);
}

TEST_F(SplitTab, EvenNumberingWritesLongNumbersInFull) {
    load(makeTiff(6));
    split(3, 1);
    EXPECT_EQ(outFiles(), (QStringList{QStringLiteral("book_10.tif"), QStringLiteral("book_12.tif"),
                                       QStringLiteral("book_2.tif"), QStringLiteral("book_4.tif"),
                                       QStringLiteral("book_6.tif"), QStringLiteral("book_8.tif")}));
}

TEST_F(SplitTab, SplittingTwiceAppendsToTheFilesOfTheFirstRun) {
    load(makeTiff(2));
    split(0, 1);
    split(0, 1);
    EXPECT_EQ(readTiffPages(outFile("book_1.tif")).size(), 2u);
    EXPECT_EQ(readTiffPages(outFile("book_2.tif")).size(), 2u);
}

TEST_F(SplitTab, WithoutSchemeEveryPageGoesToOneFileAndIsCounted) {
    load(makeTiff(3));
    split(-1, 4);
    EXPECT_EQ(outFiles(), QStringList{QStringLiteral("book_.tif")});
    const auto pages = readTiffPages(outFile("book_.tif"));
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[2].width, 13u);
    EXPECT_EQ(prompts.messages().last(), QStringLiteral("3 枚の新しいファイルが作成されました。"));
}

TEST_F(SplitTab, NothingCheckedOrCancelledWritesNothing) {
    load(makeTiff(2));
    windows.MainForm1->Split->N2_5->trigger();
    windows.MainForm1->E2->trigger();
    EXPECT_EQ(prompts.messages().last(), QStringLiteral("チェックされたページがありません。"));

    windows.MainForm1->Split->N2_1->trigger();
    windows.MainForm1->E2->trigger();  // the dialog is cancelled
    prompts.dialogAnswers << [](QDialog&) { return true; };
    windows.MainForm1->E2->trigger();  // the folder browser is cancelled
    EXPECT_TRUE(outFiles().isEmpty());
    EXPECT_EQ(prompts.messages().size(), 1);
}

TEST_F(SplitTab, EvenChoiceOnFivePagesAndDropOfATiff) {
    const QString file = makeTiff(5, "scan.TIFF");
    windows.MainForm1->FilesDropped({dir.filePath(QStringLiteral("notes.txt")), file});
    ASSERT_EQ(list()->count(), 5);
    EXPECT_EQ(windows.MainForm1->Split->OpenDialog2FileName, file);
    windows.MainForm1->Split->N2_3->trigger();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list()->item(i)->checkState() == Qt::Checked, i == 1 || i == 3) << i;
}

TEST_F(SplitTab, PagesThatCannotBeWrittenAreNamedAndNotCounted) {
    load(makeTiff(3));
    // A folder of that name stands where the second page's file would go.
    QDir(out()).mkdir(QStringLiteral("book_2.tif"));
    split(0, 1);
    EXPECT_EQ(prompts.messages().last(),
              QStringLiteral("2 枚の新しいファイルが作成されました。\n書き込めなかったページ: page 2"));
}

}  // namespace
