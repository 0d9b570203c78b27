// What the program says after a scan, and the source name taken from the list.
#include "app/ScanReport.h"

#include <gtest/gtest.h>

namespace {

using app::ScanOutcome;

TEST(ScanReport, SilentWhenEveryDeliveredPageWasWrittenOrTheUserStopped) {
    ScanOutcome all;
    all.pagesScanned = all.pagesWritten = 3;
    EXPECT_TRUE(app::scanReport(all, QStringLiteral("test:0")).isEmpty());
    ScanOutcome stopped = all;
    stopped.status = IK_ERR_CANCELLED;
    EXPECT_TRUE(app::scanReport(stopped, QString()).isEmpty());
    EXPECT_TRUE(app::scanReport(ScanOutcome{}, QString()).isEmpty());
}

TEST(ScanReport, NamesThePagesMissingFromTheFileInScanOrder) {
    ScanOutcome o;
    o.pagesScanned = 5;
    o.pagesWritten = 3;
    o.pagesNotWritten = {2, 5};
    EXPECT_EQ(app::scanReport(o, QStringLiteral("test:0")),
              QStringLiteral("3 ページをファイルに保存しました。\n保存できなかったページ (スキャン順): 2, 5"));
}

TEST(ScanReport, ADeviceFailureNamesTheDeviceAndItsText) {
    ScanOutcome o;
    o.pagesScanned = o.pagesWritten = 2;
    o.status = 23;
    o.failureText = QStringLiteral("Document feeder jammed");
    const QString text = app::scanReport(o, QStringLiteral("Frontend-tester"));
    EXPECT_EQ(text, QStringLiteral("スキャナ「Frontend-tester」でエラーが発生したため、スキャンを中止しました。\n"
                                   "Document feeder jammed\n2 ページをファイルに保存しました。"));
    // Without the library's text, its status; without a name, the default source.
    o.failureText.clear();
    const QString bare = app::scanReport(o, QString());
    EXPECT_TRUE(bare.contains(QStringLiteral("「既定のスキャナ」"))) << bare.toStdString();
    EXPECT_TRUE(bare.contains(QStringLiteral("エラーコード 23"))) << bare.toStdString();
}

TEST(ScanSourceName, LoseBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(app::sourceNameFromListEntry(QStringLiteral(" \t test:0 scanner\r\n")), QStringLiteral("test:0 scanner"));
    EXPECT_EQ(app::sourceNameFromListEntry(QStringLiteral("\x01\x1f")), QString());
    EXPECT_EQ(app::sourceNameFromListEntry(QStringLiteral("ｽｷｬﾅ　")), QStringLiteral("ｽｷｬﾅ　"))
        << "a full-width space is no blank";
}

}  // namespace
