// The source's dialog and the source selection Ik7Scan.so shows (the program's, handed over
// through IKScanSetDialogs), driven through their widgets' object names while the library
// call runs.
#include "ScanFixture.h"

#include "platform/KitStatus.h"
#include "scan/ScanDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <memory>

using namespace scantest;

namespace {

QWidget* findDialog(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
    return nullptr;
}

// Calls `step` every 20 ms on the window thread until it answers true or the returned
// timer goes out of scope.
[[nodiscard]] std::unique_ptr<QTimer> drive(std::function<bool()> step) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(20);
    QTimer* t = timer.get();
    QObject::connect(t, &QTimer::timeout, t, [t, step] {
        if (step()) t->stop();
    });
    timer->start();
    return timer;
}

void chooseText(QWidget* dialog, const char* combo, const QString& text) {
    auto* box = dialog->findChild<QComboBox*>(QLatin1String(combo));
    ASSERT_NE(box, nullptr) << combo;
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box->setCurrentIndex(index);
}

}  // namespace

TEST_F(ScanTest, TheDialogKeptOpenScansUntilClose) {
    int stage = 0;
    bool sawProgressBar = false;
    const auto driver = drive([&] {
        QWidget* dialog = findDialog("ScanSourceDialog");
        if (!dialog) return stage > 0;
        auto* scan = dialog->findChild<QPushButton*>(QStringLiteral("scanButton"));
        auto* close = dialog->findChild<QPushButton*>(QStringLiteral("closeButton"));
        if (stage == 0) {
            chooseText(dialog, "sourceCombo", QStringLiteral("自動原稿送り装置"));
            chooseText(dialog, "modeCombo", QStringLiteral("カラー (24ビット)"));
            dialog->findChild<QSpinBox*>(QStringLiteral("resolutionSpin"))->setValue(30);
            scan->click();
            stage = 1;
        } else if (stage == 1) {
            if (dialog->findChild<QWidget*>(QStringLiteral("cancelButton"))->isVisible()) sawProgressBar = true;
            if (recorder().pages.size() == 2 && scan->isEnabled()) {
                scan->click();  // scan again: the dialog stays open
                stage = 2;
            }
        } else if (stage == 2 && recorder().pages.size() == 4 && scan->isEnabled()) {
            close->click();
            stage = 3;
        }
        return false;
    });
    IKSCANRECORD r = record(1, 0, 2);
    r.uiMode = 0;
    r.scanMode = 0;
    EXPECT_EQ(exec(r, "read-delay=yes\nread-delay-duration=20000\nread-limit=yes\nread-limit-size=2000"), 4);
    EXPECT_EQ(platform::kitStatus(), IK_OK);
    EXPECT_EQ(stage, 3);
    EXPECT_TRUE(sawProgressBar);
    ASSERT_EQ(recorder().pages.size(), 4u);
    EXPECT_EQ(recorder().pages[0].bits, 24);
    EXPECT_EQ(recorder().pages[0].xPelsPerMeter, 1181);  // 30 dpi
    EXPECT_EQ(r.pixelType, 2);
    EXPECT_EQ(r.xResolution, 30);
    EXPECT_EQ(findDialog("ScanSourceDialog"), nullptr);
}

TEST_F(ScanTest, TheDialogClosesItselfAfterATransferInCloseMode) {
    bool pressed = false;
    const auto driver = drive([&] {
        QWidget* dialog = findDialog("ScanSourceDialog");
        if (!dialog) return pressed;
        if (!pressed) {
            if (const char* path = std::getenv("SCAN_DIALOG_SCREENSHOT")) dialog->grab().save(QString::fromLocal8Bit(path));
            dialog->findChild<QPushButton*>(QStringLiteral("scanButton"))->click();
            pressed = true;
        }
        return false;
    });
    IKSCANRECORD r = record(1, 20, 1);
    r.uiMode = 1;
    EXPECT_EQ(exec(r), 1);
    EXPECT_EQ(platform::kitStatus(), IK_OK);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(findDialog("ScanSourceDialog"), nullptr);
}

// Without the program's dialogs the modes that need one fail with their status; the
// dialog-less mode still scans.
TEST_F(ScanTest, WithoutDialogsFromTheProgramOnlyTheModeWithoutADialogScans) {
    IKScanSetDialogs(nullptr, nullptr);
    for (const std::uint16_t mode : {0, 1}) {
        IKSCANRECORD r = record(1, 20, 1);
        r.uiMode = mode;
        EXPECT_EQ(exec(r), 0) << "mode " << mode;
        EXPECT_EQ(platform::kitStatus(), IK_ERR_SCAN_NO_UI) << "mode " << mode;
    }
    IKSCANIDENTITY identity{};
    EXPECT_FALSE(IKScanSelect(connection_, &identity));
    EXPECT_EQ(platform::kitStatus(), IK_ERR_SCAN_NO_UI);
    IKSCANRECORD r = record(1, 20, 1);
    r.uiMode = 2;
    EXPECT_EQ(exec(r), 1);
    IKScanSetDialogs(scandialogs::ShowDeviceDialog, scandialogs::SelectSource);
}

TEST_F(ScanTest, ClosingTheDialogWithoutScanningOrCancellingAReadStops) {
    const auto driver1 = drive([&] {
        QWidget* dialog = findDialog("ScanSourceDialog");
        if (!dialog) return false;
        dialog->findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
        return true;
    });
    IKSCANRECORD r = record(1, 20, 1);
    r.uiMode = 0;
    EXPECT_EQ(exec(r), 0);
    EXPECT_EQ(platform::kitStatus(), IK_ERR_CANCELLED);

    // Cancel while the page is read slowly: nothing is handed, the dialog stays, Close ends it.
    int stage = 0;
    const auto driver2 = drive([&] {
        QWidget* dialog = findDialog("ScanSourceDialog");
        if (!dialog) return stage > 0;
        auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"));
        if (stage == 0) {
            dialog->findChild<QPushButton*>(QStringLiteral("scanButton"))->click();
            stage = 1;
        } else if (stage == 1 && (!recorder().progress.empty() || cancel->isVisible())) {
            cancel->click();
            stage = 2;
        } else if (stage == 2 && !cancel->isVisible()) {
            dialog->findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
            stage = 3;
        }
        return false;
    });
    recorder() = Recorder{};
    r = record(1, 100, 1, 2);
    r.uiMode = 0;
    EXPECT_EQ(exec(r, "read-delay=yes\nread-delay-duration=50000\nread-limit=yes\nread-limit-size=500"), 0);
    EXPECT_EQ(platform::kitStatus(), IK_ERR_CANCELLED);
    EXPECT_EQ(stage, 3);
    EXPECT_TRUE(recorder().pages.empty());
}

TEST_F(ScanTest, SelectShowsTheSourcesAndRemembersTheChoice) {
    const auto driver3 = drive([&] {
        QWidget* dialog = findDialog("ScanSelectDialog");
        if (!dialog) return false;
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("sourceList"));
        EXPECT_EQ(list->count(), 2);
        list->setCurrentRow(1);
        dialog->findChild<QPushButton*>(QStringLiteral("selectButton"))->click();
        return true;
    });
    IKSCANIDENTITY identity{};
    ASSERT_TRUE(IKScanSelect(connection_, &identity));
    EXPECT_STREQ(identity.productName, "frontend-tester (2)");
    ASSERT_TRUE(IKScanGetDSInfo(connection_, nullptr, &identity));
    EXPECT_STREQ(identity.text4, "test:1") << "the chosen source is the default";

    const auto driver4 = drive([&] {
        QWidget* dialog = findDialog("ScanSelectDialog");
        if (!dialog) return false;
        dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        return true;
    });
    EXPECT_FALSE(IKScanSelect(connection_, &identity));
    EXPECT_EQ(platform::kitStatus(), IK_ERR_CANCELLED);
}
