#include "app/Guard.h"
#include "platform/Profile.h"
#include "app/Mainwindow1.h"
#include "app/BuildTab.h"
#include "app/SplitTab.h"
#include "app/ViewerTab.h"
#include "app/Windows.h"
#include "Ikcommon.h"
#include "Ikinit.h"
#include "support/ScriptedPrompts.h"
#include "widgets/Gradbox.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window.ProgramDir = dir.path();
    }
    QString iniPath() const { return dir.filePath(QStringLiteral("RidoreVu.ini")); }

    ScriptedPrompts prompts;
    QTemporaryDir dir;
    TMainForm1 window;
};

TEST_F(MainWindowTest, FirstStartWithoutSettingsFileThenCloseWritesTheKeys) {
    window.show();
    EXPECT_EQ(window.pos(), QPoint(127, 98));
    EXPECT_EQ(window.Viewer->ComboBox1->count(), 8);
    EXPECT_EQ(window.Viewer->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(window.PageControl1->currentIndex(), 0);
    window.close();
    EXPECT_EQ(readFile(iniPath()), QByteArray("[SET]\nM_TOP=98\nM_LEFT=127\nZOOM=-1\n"));
}

TEST_F(MainWindowTest, StoredPositionAndZoomAreAppliedAsStored) {
    writeFile(iniPath(), "[set]\nm_top=-5000\nM_LEFT=30\nZOOM=6\n");
    window.show();
    EXPECT_EQ(window.pos(), QPoint(30, -5000));
    EXPECT_EQ(window.Viewer->ComboBox1->currentText(), QStringLiteral("200%"));
    window.Viewer->ComboBox1->setCurrentIndex(2);
    window.close();
    EXPECT_EQ(readFile(iniPath()), QByteArray("[set]\nM_TOP=-5000\nM_LEFT=30\nZOOM=2\n"));
}

TEST_F(MainWindowTest, ZoomIndexNamingNoItemLeavesNoSelectionAndRunsNoChangeHandler) {
    writeFile(iniPath(), "[SET]\nZOOM=8\n");
    int changes = 0;
    QObject::connect(window.Viewer->ComboBox1, &QComboBox::currentIndexChanged, [&] { ++changes; });
    window.show();
    EXPECT_EQ(window.Viewer->ComboBox1->currentIndex(), -1);
    writeFile(iniPath(), "[SET]\nZOOM=3\n");
    window.FormShow();
    EXPECT_EQ(window.Viewer->ComboBox1->currentIndex(), 3);
    EXPECT_EQ(changes, 0);
}

TEST_F(MainWindowTest, UnwritableSettingsFileDoesNotKeepTheWindowOpen) {
    // Neither the program folder nor the configuration folder (below a plain file) takes files.
    const QString blocker = dir.filePath(QStringLiteral("plain"));
    writeFile(blocker, "x");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", blocker.toLocal8Bit());
    window.ProgramDir = QStringLiteral("/proc/no-such-folder");
    window.show();
    window.close();
    qputenv("XDG_CONFIG_HOME", oldConfig);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(readFile(blocker), QByteArray("x"));
}

TEST_F(MainWindowTest, MenusBringTheirTabsForward) {
    struct Case {
        QMenu* menu;
        int tab;
    };
    for (const Case& c : {Case{window.E0, 1}, Case{window.V0, 2}, Case{window.F0, 0}, Case{window.V0, 2},
                          Case{window.S0, 0}}) {
        emit c.menu->aboutToShow();
        EXPECT_EQ(window.PageControl1->currentIndex(), c.tab) << c.menu->objectName().toStdString();
    }
    emit window.Help2->aboutToShow();
    EXPECT_EQ(window.PageControl1->currentIndex(), 0);
}

TEST_F(MainWindowTest, ShortcutsBringTheMenuTabForwardEvenWhenTheCommandIsDisabled) {
    window.show();
    QApplication::setActiveWindow(&window);
    window.PageControl1->setCurrentIndex(2);
    ASSERT_FALSE(window.F2->isEnabled());
    int builds = 0;
    QObject::connect(window.F2, &QAction::triggered, [&] { ++builds; });
    QTest::keyClick(&window, Qt::Key_F8);
    EXPECT_EQ(window.PageControl1->currentIndex(), 0);
    EXPECT_EQ(builds, 0);

    window.F2->setEnabled(true);
    window.PageControl1->setCurrentIndex(2);
    QTest::keyClick(&window, Qt::Key_F8);
    EXPECT_EQ(window.PageControl1->currentIndex(), 0);
    EXPECT_EQ(builds, 1);

    QTest::keyClick(&window, Qt::Key_F9);  // split command: its menu brings tab 2
    EXPECT_EQ(window.PageControl1->currentIndex(), 1);
    QTest::keyClick(&window, Qt::Key_F1);  // help: no tab change
    EXPECT_EQ(window.PageControl1->currentIndex(), 1);
}

TEST_F(MainWindowTest, MenuCaptionsShowTheirShortcuts) {
    EXPECT_EQ(window.F1->text(), QStringLiteral("ファイル登録(&O)...\tCtrl+O"));
    EXPECT_EQ(window.S2->text(), QStringLiteral("マルチTIFF化(&R)...\tShift+F8"));
    EXPECT_EQ(window.F6->text(), QStringLiteral("削除(&D)\tCtrl+Del"));
}

TEST_F(MainWindowTest, ButtonsAndMenuTwinsShareStateAndHint) {
    struct Pair {
        QToolButton* button;
        QAction* menu;
        bool initially;
    };
    const Pair pairs[] = {{window.Build->SpeedButton1_1, window.F1, true},  {window.Build->SpeedButton1_2, window.F2, false},
                          {window.Build->SpeedButton1_3, window.F4, false}, {window.Build->SpeedButton1_4, window.F6, false},
                          {window.Build->SpeedButton1_5, window.F7, false}, {window.Build->SpeedButton2_1, window.S1, true},
                          {window.Build->SpeedButton2_2, window.S2, true},  {window.Split->SpeedButton3_1, window.E1, true},
                          {window.Split->SpeedButton3_2, window.E2, false}, {window.Split->SpeedButton3_3, window.E4, false},
                          {window.Viewer->SpeedButton4_1, window.V1, true},  {window.Viewer->SpeedButton4_2, window.V3, false},
                          {window.Viewer->SpeedButton4_3, window.V5, false}, {window.Viewer->SpeedButton4_4, window.V6, false},
                          {window.Viewer->SpeedButton4_5, window.V8, false}};
    for (const Pair& p : pairs) {
        const std::string name = p.button->objectName().toStdString();
        EXPECT_EQ(p.button->isEnabled(), p.initially) << name;
        EXPECT_EQ(p.button->toolTip(), p.menu->statusTip()) << name;
        EXPECT_EQ(p.button->size(), QSize(70, 40)) << name;
        p.menu->setEnabled(!p.initially);
        EXPECT_EQ(p.button->isEnabled(), !p.initially) << name;
    }
}

TEST_F(MainWindowTest, HintReachesTheStatusBar) {
    window.show();
    window.F4->showStatusText(&window);
    EXPECT_EQ(window.statusBar()->currentMessage(), QStringLiteral("登録したファイルを並べ替え"));
    QStatusTipEvent tip(window.Split->SpeedButton3_1->statusTip());
    QApplication::sendEvent(window.Split->SpeedButton3_1, &tip);
    EXPECT_EQ(window.statusBar()->currentMessage(), QStringLiteral("マルチTIFFファイルの読み込み"));
}

TEST_F(MainWindowTest, DropsGoToTheActiveTabsReceiver) {
    const QStringList files{QStringLiteral("/tmp/a.tif")};
    window.PageControl1->setCurrentIndex(0);
    EXPECT_EQ(window.FilesDropped(files), app::DropTarget::PageList);
    window.PageControl1->setCurrentIndex(1);
    EXPECT_EQ(window.FilesDropped(files), app::DropTarget::SplitTab);
    window.PageControl1->setCurrentIndex(2);
    EXPECT_EQ(window.FilesDropped(files), app::DropTarget::Viewer);
}

TEST_F(MainWindowTest, ExitCommandClosesTheWindow) {
    window.show();
    window.F9->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(QFile::exists(iniPath()));
}

TEST_F(MainWindowTest, CaptionBarsCarryTheirCaptionsAndColours) {
    EXPECT_EQ(window.Build->GradBox1->Caption(), QStringLiteral("ファイルから作成"));
    EXPECT_EQ(window.Build->GradBox3->Caption(), QStringLiteral("TWAIN機器（スキャナ・デジカメ等）から作成"));
    EXPECT_EQ(window.Split->GradBox5->Caption(), QStringLiteral("ﾏﾙﾁTIFFの分割（エクスポート）"));
    EXPECT_EQ(window.Viewer->GradBox7->Caption(), QStringLiteral("ﾏﾙﾁTIFFの参照"));
    EXPECT_EQ(window.Viewer->GradBox7->TopColor(), 7709439);
    EXPECT_EQ(window.Viewer->GradBox7->LastColor(), 4227327);
    EXPECT_TRUE(window.Build->GradBox2->Caption().isEmpty());
    EXPECT_FALSE(window.Build->GradBox2->DrawOutLine());
}

TEST(ExceptionInHandler, IsShownWithItsTextAndTheProgramGoesOn) {
    ScriptedPrompts prompts;
    AppWindows windows = AppWindows::create();
    QAction* command = windows.MainForm1->F1;
    app::connectCommand(command, windows.MainForm1.get(), [] { throw std::runtime_error("読み込みに失敗しました"); });
    windows.MainForm1->show();
    QTest::mouseClick(windows.MainForm1->Build->SpeedButton1_1, Qt::LeftButton);
    ASSERT_EQ(prompts.messages(), QStringList{QStringLiteral("読み込みに失敗しました")});
    QTest::mouseClick(windows.MainForm1->Build->SpeedButton1_1, Qt::LeftButton);
    EXPECT_EQ(prompts.messages().size(), 2);
}

TEST(StartUp, FirstRunWritesAllFourteenKeysAtClose) {
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    AppWindows windows = AppWindows::create();
    windows.MainForm1->ProgramDir = dir.path();
    windows.MainForm1->show();
    windows.MainForm1->close();
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("RidoreVu.ini"))),
              QByteArray("[SET]\nM_TOP=98\nM_LEFT=127\nZOOM=-1\n\n"
                         "[SET1]\nC1_01=-1\nC1_02=-1\nC1_03=128\nC1_04=-1\nC1_05=75\nC1_06=75\nC1_07=-1\n\n"
                         "[SET2]\nC1_01=-1\nC1_02=-1\n\n[SET3]\nC1_01=-1\nC1_02=4\n"));
}

TEST(StartUp, DialogSettingsSurviveARestart) {
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("RidoreVu.ini")),
              "[SET1]\nC1_01=2\nC1_03=300\n[SET3]\nC1_01=1\nC1_02=0\n");
    {
        AppWindows windows = AppWindows::create();
        windows.MainForm1->ProgramDir = dir.path();
        windows.MainForm1->show();
        windows.MainForm1->close();
    }
    const platform::Profile ini(dir.filePath(QStringLiteral("RidoreVu.ini")));
    EXPECT_EQ(ini.readInteger(QStringLiteral("SET1"), QStringLiteral("C1_01"), 99), 2);
    EXPECT_EQ(ini.readInteger(QStringLiteral("SET1"), QStringLiteral("C1_03"), 99), 255);
    EXPECT_EQ(ini.readInteger(QStringLiteral("SET3"), QStringLiteral("C1_01"), 99), 1);
    EXPECT_EQ(ini.readInteger(QStringLiteral("SET3"), QStringLiteral("C1_02"), 99), 1);
}

TEST(StartUp, MainWindowComponentsLoadTheKitFromTheProgramFolder) {
    {
        TMainForm1 window;
        EXPECT_GE(Ikinit::totalCount(), 1);
        EXPECT_NE(Ikinit::libraryHandle(Ikdllprocs::IkLibrary::Com), nullptr);
        ASSERT_TRUE(window.IkCommon1->CreateImage(20, 10, 24, 255, 255, 255));
        EXPECT_EQ(window.IkCommon1->ErrorCode(), 0);
        EXPECT_TRUE(window.IkCommon1->FreeMemory());
    }
    EXPECT_EQ(Ikinit::totalCount(), 0);
    EXPECT_EQ(Ikinit::libraryHandle(Ikdllprocs::IkLibrary::Com), nullptr);
}

TEST(StartUp, CreatesTheFiveWindowsWithTheirCaptions) {
    AppWindows windows = AppWindows::create();
    EXPECT_EQ(windows.MainForm1->windowTitle(), QStringLiteral("VidiraZorod"));
    EXPECT_EQ(windows.ConvertForm1->windowTitle(), QStringLiteral("保存設定 - マルチTIFF"));
    EXPECT_EQ(windows.ConvertForm2->windowTitle(), QStringLiteral("保存設定 - マルチＴＩＦＦ"));
    EXPECT_EQ(windows.ConvertForm3->windowTitle(), QStringLiteral("分割保存設定 - TIFF"));
    EXPECT_EQ(windows.ProgressForm1->windowTitle(), QStringLiteral("処理中..."));
    EXPECT_EQ(windows.MainForm1->Build->RegisteredCount, 0);
}

}  // namespace
