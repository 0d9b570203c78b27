#include "app/Progresswindow1.h"
#include "Ikcommon.h"
#include "display/Ikdisp.h"

#include <QImage>
#include "widgets/Dxfprogressbar.h"
#include "widgets/Shadolbl.h"

#include <gtest/gtest.h>

TEST(ProgressWindow, RunShowsFileCountsAndBar) {
    TProgressForm1 window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("処理中..."));
    EXPECT_EQ(window.size(), QSize(468, 98));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);

    window.BeginRun(QStringLiteral("/home/user/書類/out.tif"), 10);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Label4->Caption(), QStringLiteral("/home/user/書類/out.tif"));
    EXPECT_EQ(window.Label5->Caption(), QStringLiteral("0"));
    EXPECT_EQ(window.Label6->Caption(), QStringLiteral("10"));
    EXPECT_EQ(window.ProgressBar1->Max(), 10);
    EXPECT_EQ(window.ProgressBar1->Position(), 0);

    window.PageDone(3);
    EXPECT_EQ(window.Label5->Caption(), QStringLiteral("3"));
    EXPECT_EQ(window.ProgressBar1->Position(), 3);
    window.EndRun();
    EXPECT_FALSE(window.isVisible());
}

TEST(ProgressWindow, EmptyRunKeepsAnEmptyBar) {
    TProgressForm1 window;
    window.BeginRun(QStringLiteral("x.tif"), 0);
    EXPECT_EQ(window.ProgressBar1->Max(), 0);
    EXPECT_FALSE(window.grab().isNull());
    window.EndRun();
}

TEST(ProgressWindow, ShowsThePageFittedInItsPicture) {
    TVIkCommon common;
    ASSERT_TRUE(common.CreateImage(300, 200, 24, 255, 0, 0));
    TProgressForm1 window;
    window.BeginRun(QStringLiteral("x.tif"), 1);
    window.ShowPage(common.ImgHandle());
    const QImage shown = window.grab().toImage();
    const QPoint centre = window.IkDisp1->geometry().center();
    EXPECT_EQ(shown.pixelColor(centre), QColor(255, 0, 0));
    window.ShowPage(0);
    EXPECT_NE(window.grab().toImage().pixelColor(centre), QColor(255, 0, 0));
    window.EndRun();
}
