#include "app/Mainwindow1.h"
#include "app/BuildTab.h"
#include "app/PageList.h"
#include "app/PagePreview.h"
#include "browse/Ikslide.h"
#include "support/ScriptedPrompts.h"
#include "widgets/StringGrid.h"

#include <QAction>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(PageListRules, DropNamesAreTakenByExtension) {
    struct Case {
        const char* name;
        bool taken;
    };
    for (const Case& c : {Case{"/d/a.JPG", true}, Case{"/d/b.txt", false}, Case{"/d/c.Tiff", true},
                          Case{"/d/x.jpeg", true}, Case{"/d/x.j2k", true}, Case{"/d/x.JP2", true},
                          Case{"/d/x.gif", true}, Case{"/d/x.bmp", true}, Case{"/d/x.pcx", true},
                          Case{"/d/x.fpx", true}, Case{"/d/x.png", true}, Case{"/d/x.tif", true},
                          Case{"/d.tif/noext", false}, Case{"/d/x.tif.bak", false}, Case{"/d/.png", true},
                          Case{"/d/x.", false}, Case{"/d/x", false}})
        EXPECT_EQ(app::isRegistrableDropName(QString::fromUtf8(c.name)), c.taken) << c.name;
}

TEST(PageListRules, SortIgnoresCaseAndKeepsWholeEntries) {
    QStringList paths{QStringLiteral("/b/Zeta.tif"), QStringLiteral("/a/beta.tif"), QStringLiteral("/a/Alpha.tif"),
                      QStringLiteral("/a/alpha2.tif")};
    app::sortPathsForUser(paths);
    EXPECT_EQ(paths, (QStringList{QStringLiteral("/a/Alpha.tif"), QStringLiteral("/a/alpha2.tif"),
                                  QStringLiteral("/a/beta.tif"), QStringLiteral("/b/Zeta.tif")}));
}

class PageListWindow : public testing::Test {
protected:
    void SetUp() override {
        // Small real pictures, so that the preview can show them.
        for (const char* name : {"a.png", "b.png", "c.png"}) {
            QImage picture(8, 6, QImage::Format_RGB32);
            picture.fill(QColor(name[0] == 'a' ? Qt::red : name[0] == 'b' ? Qt::green : Qt::blue));
            ASSERT_TRUE(picture.save(dir.filePath(QString::fromLatin1(name))));
        }
    }
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList labels() const {
        QStringList l;
        for (int r = 1; r < window.Build->StringGrid1->RowCount(); ++r) l << window.Build->StringGrid1->Cell(0, r);
        return l;
    }
    QStringList paths() const {
        QStringList l;
        for (int r = 1; r < window.Build->StringGrid1->RowCount(); ++r) l << window.Build->StringGrid1->Cell(1, r);
        return l;
    }
    // The file the preview shows once the waiting request is handled; empty when closed.
    QString previewed() {
        window.Build->Preview1->flush();
        const TVIkSlide& slide = *window.Build->IkSlide1;
        return slide.IsOpen() && slide.Count() > 0 ? slide.CurrentFullPath() : QString();
    }
    bool listCommandsEnabled() const {
        const bool on = window.F2->isEnabled();
        EXPECT_EQ(window.F4->isEnabled(), on);
        EXPECT_EQ(window.F6->isEnabled(), on);
        EXPECT_EQ(window.F7->isEnabled(), on);
        return on;
    }
    void registerFiles(const QStringList& names) {
        prompts.openAnswers << names;
        window.F1->trigger();
    }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    TMainForm1 window;
};

TEST_F(PageListWindow, StartsEmptyWithHeadersAndOneEmptyRow) {
    EXPECT_EQ(window.Build->StringGrid1->RowCount(), 2);
    EXPECT_EQ(window.Build->StringGrid1->Cell(0, 0), QStringLiteral(" ﾍﾟｰｼﾞ番号"));
    EXPECT_EQ(window.Build->StringGrid1->Cell(1, 0), QStringLiteral(" 変換元ﾌｧｲﾙ名"));
    EXPECT_EQ(window.Build->StringGrid1->ColWidth(0), 64);
    EXPECT_EQ(window.Build->StringGrid1->ColWidth(1), 755);
    EXPECT_FALSE(listCommandsEnabled());
}

TEST_F(PageListWindow, RegisteringTheSameFileTwiceGivesTwoPages) {
    registerFiles({file("a.png"), file("a.png")});
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("ファイルの登録・追加(複数のファイルを選択可)"));
    EXPECT_TRUE(prompts.shown[0].multiple);
    EXPECT_TRUE(prompts.shown[0].filter.contains(QStringLiteral("*fpx;*.png|すべてのﾌｧｲﾙ (*.*)|*.*")));
    EXPECT_EQ(labels(), (QStringList{QStringLiteral(" page 1"), QStringLiteral(" page 2")}));
    EXPECT_EQ(paths(), (QStringList{file("a.png"), file("a.png")}));
    EXPECT_EQ(window.Build->RegisteredCount, 2);
    EXPECT_TRUE(listCommandsEnabled());
    EXPECT_EQ(previewed(), file("a.png"));
}

TEST_F(PageListWindow, NameThatDoesNotExistLeavesTheListEmpty) {
    registerFiles({file("missing.png")});
    EXPECT_EQ(window.Build->StringGrid1->RowCount(), 2);
    EXPECT_EQ(paths(), QStringList{QString()});
    EXPECT_EQ(window.Build->RegisteredCount, 0);
    EXPECT_FALSE(listCommandsEnabled());
    EXPECT_EQ(previewed(), QString());
}

TEST_F(PageListWindow, DropTakesRegistrableNamesInOrderWithoutCheckingThem) {
    window.PageControl1->setCurrentIndex(0);
    window.FilesDropped({QStringLiteral("/nowhere/a.JPG"), QStringLiteral("/nowhere/b.txt"),
                         QStringLiteral("/nowhere/c.Tiff")});
    EXPECT_EQ(paths(), (QStringList{QStringLiteral("/nowhere/a.JPG"), QStringLiteral("/nowhere/c.Tiff")}));
    EXPECT_EQ(labels(), (QStringList{QStringLiteral(" page 1"), QStringLiteral(" page 2")}));
    EXPECT_TRUE(listCommandsEnabled());
}

TEST_F(PageListWindow, FilesDroppedFromTheDesktopReachThePageList) {
    window.show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file("b.png")), QUrl::fromLocalFile(file("a.png")),
                  QUrl(QStringLiteral("https://example.com/c.png"))});
    const QPoint at(400, 300);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_EQ(paths(), (QStringList{file("b.png"), file("a.png")}));
}

TEST_F(PageListWindow, DeletingRow2Of3MovesTheRestUpAndRenumbers) {
    registerFiles({file("a.png"), file("b.png"), file("c.png")});
    window.Build->StringGrid1->SelectCell(1, 2);
    ASSERT_EQ(previewed(), file("b.png"));
    window.F6->trigger();
    EXPECT_EQ(paths(), (QStringList{file("a.png"), file("c.png")}));
    EXPECT_EQ(labels(), (QStringList{QStringLiteral(" page 1"), QStringLiteral(" page 2")}));
    EXPECT_EQ(previewed(), file("a.png"));
    EXPECT_EQ(window.Build->RegisteredCount, 2);
    EXPECT_TRUE(prompts.questions().isEmpty());
}

TEST_F(PageListWindow, DeletingTheOnlyRowEmptiesTheListAndDeletingAgainDoesNothing) {
    registerFiles({file("a.png")});
    window.F6->trigger();
    EXPECT_EQ(window.Build->StringGrid1->RowCount(), 2);
    EXPECT_EQ(paths(), QStringList{QString()});
    EXPECT_FALSE(listCommandsEnabled());
    EXPECT_EQ(previewed(), QString());
    window.Build->SpeedButton1_4Click();
    EXPECT_EQ(window.Build->RegisteredCount, 0);
}

TEST_F(PageListWindow, SortAsksFirstAndOnlyWithSeveralRows) {
    registerFiles({file("c.png")});
    window.F4->trigger();
    EXPECT_TRUE(prompts.questions().isEmpty());

    registerFiles({file("b.png"), file("a.png")});
    window.F4->trigger();  // answered No
    EXPECT_EQ(paths(), (QStringList{file("c.png"), file("b.png"), file("a.png")}));
    prompts.confirmAnswers << true;
    window.F4->trigger();
    EXPECT_EQ(prompts.questions().last(), QStringLiteral("ファイル名(パス)を基準に ソートしてもよろしいですか？"));
    EXPECT_EQ(paths(), (QStringList{file("a.png"), file("b.png"), file("c.png")}));
    EXPECT_EQ(labels().first(), QStringLiteral(" page 1"));
}

TEST_F(PageListWindow, ClearAsksThenEmptiesEverything) {
    registerFiles({file("a.png"), file("b.png")});
    window.F7->trigger();
    EXPECT_EQ(window.Build->RegisteredCount, 2);
    prompts.confirmAnswers << true;
    window.F7->trigger();
    EXPECT_EQ(prompts.questions().last(), QStringLiteral("登録したファイルをクリアしてもよろしいですか？"));
    EXPECT_EQ(window.Build->StringGrid1->RowCount(), 2);
    EXPECT_EQ(window.Build->RegisteredCount, 0);
    EXPECT_EQ(window.Build->StringGrid1->Cell(1, 0), QStringLiteral(" 変換元ﾌｧｲﾙ名"));
    EXPECT_FALSE(listCommandsEnabled());
    EXPECT_EQ(previewed(), QString());
}

TEST_F(PageListWindow, DraggingRow3AboveRow1RenumbersFromTheTop) {
    registerFiles({file("a.png"), file("b.png"), file("c.png")});
    window.resize(800, 600);
    window.show();
    const QString before = previewed();
    QWidget* cells = window.Build->StringGrid1->viewport();
    const QPoint row3(30, 16 * 3 + 8), row1(30, 16 * 1 + 8);
    QTest::mousePress(cells, Qt::LeftButton, {}, row3);
    QTest::mouseMove(cells, row1);
    QTest::mouseRelease(cells, Qt::LeftButton, {}, row1);
    EXPECT_EQ(paths(), (QStringList{file("c.png"), file("a.png"), file("b.png")}));
    EXPECT_EQ(labels(), (QStringList{QStringLiteral(" page 1"), QStringLiteral(" page 2"), QStringLiteral(" page 3")}));
    EXPECT_EQ(window.Build->Pages().paths(), paths());
    EXPECT_EQ(previewed(), before) << "moving a row previews nothing";
}

}  // namespace
