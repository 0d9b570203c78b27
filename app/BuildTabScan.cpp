// The scan half of the build tab: the scanner's start and end with the window, the
// source list, the transfer and device-window choices, and the scan command, which hands
// the run to a scan job.
#include "app/ConvertTables.h"
#include "app/Convertwindow2.h"
#include "app/BuildTab.h"
#include "app/Progresswindow1.h"
#include "app/ReleaseImage.h"
#include "app/ScanJob.h"
#include "app/ScanReport.h"
#include "Ikcommon.h"
#include "Ikscan.h"
#include "display/Ikdisp.h"
#include "platform/desktop/Prompts.h"
#include "platform/desktop/Shell.h"
#include "widgets/Mccbox.h"
#include "widgets/lib/FixedRowHeight.h"

#include <QListWidget>

QWidget* TBuildTab::createSourceList() {
    if (!ListBox1) {
        ListBox1 = new QListWidget;
        ListBox1->setObjectName(QStringLiteral("ListBox1"));
        ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
        ListBox1->setUniformItemSizes(true);
        ListBox1->setItemDelegate(new widgets::FixedRowHeight(12, ListBox1));  // rows 12 pixels high
        const QString hint = QStringLiteral("インストールされているTWAINソース一覧");
        ListBox1->setToolTip(hint);
        ListBox1->setStatusTip(hint);
    }
    return ListBox1;
}

// Construction step: the program's connection to the scanners, with its identity.
void TBuildTab::startScanner() {
    kit_.IkScan1->OnAfterScan = [this](TVIkScan* sender, std::uint32_t dib, std::uint32_t original, std::int32_t count,
                                       std::int16_t order) { IkScan1AfterScan(sender, dib, original, count, order); };
    kit_.IkScan1->ScanInitialize(1, 0, QStringLiteral("VidiraZorod"), QStringLiteral("Ridevova"),
                            QStringLiteral("Lumbra Series"), QStringLiteral("VidiraZorod"));
}

// Last step of closing: the last scanned page is let go, then the connection ends.
void TBuildTab::CloseStep() {
    if (ScannedPage) {
        if (dialogs_.ProgressForm1 && dialogs_.ProgressForm1->IkDisp1->ImgHandle() == ScannedPage)
            dialogs_.ProgressForm1->ShowPage(0);
        app::releaseImage(*kit_.IkCommon1, ScannedPage);
        ScannedPage = 0;
    }
    kit_.IkScan1->ScanTerminate();
}

void TBuildTab::SpeedButton2_1Click() {
    ListBox1->clear();
    if (!kit_.IkScan1->ScanList()) return;
    if (kit_.IkScan1->SourceList().isEmpty()) return;
    ListBox1->addItems(kit_.IkScan1->SourceList());
    ListBox1->setCurrentRow(kit_.IkScan1->DefaultSourceIndex());
}

void TBuildTab::S4_1Click() {
    commands_.S4_1->setChecked(true);
    commands_.S4_2->setChecked(false);
}

void TBuildTab::S4_2Click() {
    commands_.S4_2->setChecked(true);
    commands_.S4_1->setChecked(false);
}

void TBuildTab::S5_1Click() {
    commands_.S5_1->setChecked(true);
    commands_.S5_2->setChecked(false);
}

void TBuildTab::S5_2Click() {
    commands_.S5_2->setChecked(true);
    commands_.S5_1->setChecked(false);
}

void TBuildTab::SpeedButton2_2Click() {
    if (scanJob_ || !dialogs_.ConvertForm2 || !platform::prompts().runDialog(*dialogs_.ConvertForm2)) return;
    app::ScanSettings settings;
    settings.saveCode = app::scanSaveCode(dialogs_.ConvertForm2->C1_01->ItemIndex());
    // Without a compression no page could be written: say so instead of scanning for nothing.
    if (!settings.saveCode) {
        platform::prompts().message(app::noCompressionMessage());
        return;
    }
    settings.rotation = app::rotationAngle(dialogs_.ConvertForm2->C1_02->ItemIndex());
    settings.output = platform::prompts().saveFile(
        QStringLiteral("マルチTIFFの保存(既存のファイルを選択するとページ追加)"),
        QStringLiteral("TIFFﾌｧｲﾙ (*.tif;*.tiff)|*.tif;*.tiff"), QStringLiteral("tif"), SaveDialog1FileName);
    if (settings.output.isEmpty()) return;
    SaveDialog1FileName = settings.output;
    if (const QListWidgetItem* item = ListBox1->currentItem(); item && item->isSelected())
        settings.sourceName = app::sourceNameFromListEntry(item->text());
    settings.transfer = commands_.S4_1->isChecked() ? vikScanNative : vikScanMemory;
    settings.ui = commands_.S5_1->isChecked() ? vikScanUI : vikScanUICLOSE;

    app::ScanJob job(*kit_.IkScan1, *kit_.IkCommon1, *kit_.IkEffect1, *kit_.IkFile1, ScannedPage, [this](IKHANDLE image) {
        if (dialogs_.ProgressForm1) dialogs_.ProgressForm1->ShowPage(image);
    });
    scanJob_ = &job;
    app::ScanOutcome outcome;
    try {
        outcome = job.run(settings);
    } catch (...) {
        scanJob_ = nullptr;
        throw;
    }
    scanJob_ = nullptr;
    const QString report = app::scanReport(outcome, settings.sourceName);
    if (report.isEmpty()) return;
    platform::beep();
    platform::prompts().message(report);
}

void TBuildTab::IkScan1AfterScan(TVIkScan*, std::uint32_t DibHandle, std::uint32_t, std::int32_t, std::int16_t) {
    if (scanJob_) scanJob_->PageScanned(DibHandle);
}
