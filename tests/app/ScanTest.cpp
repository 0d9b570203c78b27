// The scan half of the build tab with the real Ik7Scan.so and SANE's test backend: the
// source list, scans into new and existing files through the device dialog, the transfer
// modes, device failures and the refusal to scan without a compression.
#include "app/Convertwindow2.h"
#include "app/Mainwindow1.h"
#include "app/BuildTab.h"
#include "app/Progresswindow1.h"
#include "app/Windows.h"
#include "Ikscan.h"
#include "display/Ikdisp.h"
#include "platform/GlobalMemory.h"
#include "support/SaneTestConfig.h"
#include "support/ScriptedPrompts.h"
#include "support/TiffPages.h"
#include "widgets/Mccbox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <tiffio.h>

#include <functional>
#include <optional>
#include <vector>

namespace {


QByteArray bytesOf(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The page SANE's own front end gets from the same device with the same settings.
QImage referencePage(const QStringList& options) {
    QProcess p;
    p.start(QStringLiteral("scanimage"), QStringList{QStringLiteral("-d"), QStringLiteral("test:0"),
                                                     QStringLiteral("--format=pnm")} + options);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    QImage image;
    image.loadFromData(p.readAllStandardOutput(), "PPM");
    return image.convertToFormat(QImage::Format_RGB32);
}

// Whether a TIFF page holds exactly the reference's pixels.
bool samePixels(const TiffPage& page, const QImage& reference) {
    if (reference.isNull() || page.rgba.empty() || int(page.width) != reference.width() ||
        int(page.height) != reference.height())
        return false;
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width(); ++x) {
            const uint32_t v = page.at(uint32_t(x), uint32_t(y));
            if (qRgb(int(TIFFGetR(v)), int(TIFFGetG(v)), int(TIFFGetB(v))) != reference.pixel(x, y)) return false;
        }
    return true;
}

QWidget* topLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
    return nullptr;
}

// Works the device dialog like a user, from a timer while the scan command waits in it:
// prepares its fields, presses Scan `presses` times (each after the last scan ended), then
// Close unless the dialog closed itself.
class DeviceDialogUser {
public:
    DeviceDialogUser(int presses, std::function<void(QWidget&)> prepare = {})
        : presses_(presses), prepare_(std::move(prepare)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { step(); });
        timer_.start(20);
    }
    int dialogsSeen() const { return dialogs_; }
    QString message() const { return message_; }

private:
    void step() {
        QWidget* dialog = topLevel("ScanSourceDialog");
        if (!dialog) {
            current_ = nullptr;
            return;
        }
        if (dialog != current_) {
            current_ = dialog;
            ++dialogs_;
            pressed_ = 0;
            if (prepare_) prepare_(*dialog);
        }
        auto* scan = dialog->findChild<QPushButton*>(QStringLiteral("scanButton"));
        if (!scan || !scan->isEnabled()) return;  // a page is being read
        if (const auto* label = dialog->findChild<QWidget*>(QStringLiteral("messageLabel")))
            message_ = label->property("text").toString();
        if (pressed_ < presses_) {
            ++pressed_;
            scan->click();
        } else if (auto* close = dialog->findChild<QPushButton*>(QStringLiteral("closeButton"))) {
            close->click();
        }
    }

    QTimer timer_;
    int presses_;
    std::function<void(QWidget&)> prepare_;
    QWidget* current_ = nullptr;
    int dialogs_ = 0;
    int pressed_ = 0;
    QString message_;
};

void chooseFeeder(QWidget& dialog) {
    auto* source = dialog.findChild<QComboBox*>(QStringLiteral("sourceCombo"));
    ASSERT_NE(source, nullptr);
    for (int i = 0; i < source->count(); ++i)
        if (source->itemText(i).contains(QStringLiteral("自動原稿送り"))) source->setCurrentIndex(i);
}

class ScanCommand : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        windows.emplace(AppWindows::create());
        main().ProgramDir = dir.path();
        liveBlocks = platform::globalLiveCount();
    }
    void TearDown() override {
        windows.reset();
        EXPECT_EQ(platform::globalLiveCount(), liveBlocks) << "page images leaked";
    }
    TMainForm1& main() { return *windows->MainForm1; }
    QString output() const { return dir.filePath(QStringLiteral("scan.tif")); }

    // Runs the scan command with these dialog choices, saving to `file`.
    void scan(int compression, int rotation, const QString& file) {
        prompts.dialogAnswers << [=](QDialog& d) {
            auto& form = static_cast<TConvertForm2&>(d);
            form.C1_01->SetItemIndex(compression);
            form.C1_02->SetItemIndex(rotation);
            return true;
        };
        prompts.saveAnswers << file;
        main().S2->trigger();
    }

    QTemporaryDir dir;
    // The default test configuration: two colour devices, 50 dpi.
    ScriptedPrompts prompts;
    std::optional<AppWindows> windows;
    std::size_t liveBlocks = 0;
};

const QStringList kReferenceOptions = {QStringLiteral("--mode"), QStringLiteral("Color"),
                                       QStringLiteral("--resolution"), QStringLiteral("50"),
                                       QStringLiteral("--test-picture"), QStringLiteral("Color pattern"),
                                       QStringLiteral("-x"), QStringLiteral("200"), QStringLiteral("-y"),
                                       QStringLiteral("200")};

TEST_F(ScanCommand, SourceListShowsTheTestDevicesWithTheDefaultSelected) {
    main().Build->ListBox1->addItem(QStringLiteral("stale"));
    main().Build->SpeedButton2_1->click();
    ASSERT_EQ(main().Build->ListBox1->count(), 2);
    EXPECT_EQ(main().Build->ListBox1->currentRow(), main().IkScan1->DefaultSourceIndex());
    EXPECT_GE(main().Build->ListBox1->currentRow(), 0);
    EXPECT_NE(main().Build->ListBox1->item(0)->text(), main().Build->ListBox1->item(1)->text());
    EXPECT_EQ(main().Build->ListBox1->toolTip(), QStringLiteral("インストールされているTWAINソース一覧"));
    EXPECT_EQ(main().Build->ListBox1->visualItemRect(main().Build->ListBox1->item(1)).height(), 12);
}

TEST(ScanSources, WithoutAnyBackendTheListStaysEmpty) {
    const SaneTestConfig none({}, false);
    ScriptedPrompts prompts;
    AppWindows windows = AppWindows::create();
    windows.MainForm1->Build->ListBox1->addItem(QStringLiteral("stale"));
    windows.MainForm1->S1->trigger();
    EXPECT_EQ(windows.MainForm1->Build->ListBox1->count(), 0);
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(ScanCommand, TwoFeederPagesMakeANewLzwFileOfTheDevicesPixels) {
    main().Build->ListBox1->clear();
    main().S1->trigger();
    // The feeder offers ten sheets; the scanner component is told to take two.
    main().IkScan1->TransferCount = 2;
    DeviceDialogUser user(1, chooseFeeder);
    scan(6, 0, output());  // LZW, "OFF-そのまま,ｽｷｬﾝ時の角度を維持"
    EXPECT_EQ(user.dialogsSeen(), 1);
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(u'\n').toStdString();

    const auto pages = readTiffPages(output());
    ASSERT_EQ(pages.size(), 2u);
    const QImage reference = referencePage(kReferenceOptions);
    ASSERT_FALSE(reference.isNull());
    for (const TiffPage& page : pages) {
        EXPECT_EQ(page.compression, COMPRESSION_LZW);
        EXPECT_FLOAT_EQ(page.xres, 50.0f);
        EXPECT_FLOAT_EQ(page.yres, 50.0f);
        EXPECT_TRUE(samePixels(page, reference));
    }
    // The last page stays in the progress display until the next page arrives.
    EXPECT_NE(main().Build->ScannedPage, 0u);
    EXPECT_EQ(windows->ProgressForm1->IkDisp1->ImgHandle(), main().Build->ScannedPage);
    EXPECT_FALSE(windows->ProgressForm1->isVisible());
}

TEST_F(ScanCommand, PagesGoAfterThoseOfAnExistingFileWithoutAQuestion) {
    QProcess magick;
    magick.start(QStringLiteral("convert"),
                 {QStringLiteral("-size"), QStringLiteral("11x7"), QStringLiteral("xc:red"), QStringLiteral("xc:lime"),
                  QStringLiteral("xc:blue"), QStringLiteral("-compress"), QStringLiteral("LZW"), output()});
    ASSERT_TRUE(magick.waitForFinished(60000) && magick.exitCode() == 0);
    // Flatbed, the dialog left open: two presses of Scan, two pages, then Close.
    DeviceDialogUser user(2);
    scan(6, 1, output());  // LZW, 90 degrees clockwise
    EXPECT_TRUE(prompts.questions().isEmpty());
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(u'\n').toStdString();

    const auto pages = readTiffPages(output());
    ASSERT_EQ(pages.size(), 5u);
    const uint32_t firstColours[3] = {pages[0].rgba.at(0), pages[1].rgba.at(0), pages[2].rgba.at(0)};
    EXPECT_EQ(TIFFGetR(firstColours[0]), 255u);
    EXPECT_EQ(TIFFGetG(firstColours[1]), 255u);
    EXPECT_EQ(TIFFGetB(firstColours[2]), 255u);
    // The scanned pages, turned a quarter clockwise.
    const QImage turned = referencePage(kReferenceOptions).transformed(QTransform().rotate(90));
    for (size_t i = 3; i < 5; ++i) EXPECT_TRUE(samePixels(pages[i], turned)) << i;
}

TEST_F(ScanCommand, MemoryAndNativeTransferWriteTheSamePages) {
    const QString native = dir.filePath(QStringLiteral("native.tif"));
    const QString memory = dir.filePath(QStringLiteral("memory.tif"));
    {
        DeviceDialogUser user(1);
        scan(5, 0, native);  // PackBits
    }
    main().S4_2->trigger();
    main().S5_2->trigger();
    EXPECT_TRUE(main().S4_2->isChecked());
    EXPECT_FALSE(main().S4_1->isChecked());
    EXPECT_TRUE(main().S5_2->isChecked());
    EXPECT_FALSE(main().S5_1->isChecked());
    {
        // The dialog closes itself after the transfer: Scan once, never Close.
        DeviceDialogUser user(1);
        scan(5, 0, memory);
        EXPECT_EQ(main().IkScan1->TransferMode(), vikScanMemory);
        EXPECT_EQ(main().IkScan1->UiMode(), vikScanUICLOSE);
    }
    const auto a = readTiffPages(native), b = readTiffPages(memory);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(a[0].rgba, b[0].rgba);
    EXPECT_EQ(a[0].width, b[0].width);

    // A checked item clicked again stays checked.
    main().S4_2->trigger();
    EXPECT_TRUE(main().S4_2->isChecked());
    EXPECT_FALSE(main().S4_1->isChecked());
}

TEST_F(ScanCommand, ADeviceFailureKeepsTheWrittenPagesAndNamesTheDevice) {
    {
        DeviceDialogUser user(2);
        scan(6, 0, output());
    }
    ASSERT_EQ(readTiffPages(output()).size(), 2u);
    const QByteArray before = bytesOf(output());
    // The feeder jams at the next scan.
    main().IkScan1->ScanText = QStringLiteral("read-return-value=SANE_STATUS_JAMMED");
    DeviceDialogUser user(1);
    scan(6, 0, output());
    EXPECT_EQ(bytesOf(output()), before);
    ASSERT_EQ(prompts.messages().size(), 1);
    const QString text = prompts.messages().first();
    EXPECT_TRUE(text.contains(QStringLiteral("でエラーが発生したため、スキャンを中止しました。"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("jammed"), Qt::CaseInsensitive)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("0 ページをファイルに保存しました。"))) << text.toStdString();
}

TEST_F(ScanCommand, WithoutACompressionNothingIsScanned) {
    DeviceDialogUser user(1);
    scan(-1, 0, output());
    EXPECT_EQ(prompts.messages(), QStringList{QStringLiteral("圧縮形式が選択されていません。")});
    for (const PromptRecord& r : prompts.shown) EXPECT_NE(r.kind, QStringLiteral("save"));
    EXPECT_EQ(user.dialogsSeen(), 0);
    EXPECT_FALSE(QFile::exists(output()));
}

}  // namespace
