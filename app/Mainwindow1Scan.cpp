// The scan half of the build tab: the scanner's start and end with the main window, the
// source list, the transfer and device-window choices, and the scan command, which hands
// the run to a scan job.
#include "app/ConvertTables.h"
#include "app/Convertwindow2.h"
#include "app/Mainwindow1.h"
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

QWidget* TMainForm1::createSourceList() {
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
void TMainForm1::startScanner() {
    IkScan1->ScanInitialize(1, 0, QStringLiteral("VidiraZorod"), QStringLiteral("Ridevova"),
                            QStringLiteral("Lumbra Series"), QStringLiteral("VidiraZorod"));
}

// Last step of closing: the last scanned page is let go, then the connection ends.
void TMainForm1::stopScanner() {
    if (ScannedPage) {
        if (ProgressForm1 && ProgressForm1->IkDisp1->ImgHandle() == ScannedPage) ProgressForm1->ShowPage(0);
        app::releaseImage(*IkCommon1, ScannedPage);
        ScannedPage = 0;
    }
    IkScan1->ScanTerminate();
}

void TMainForm1::SpeedButton2_1Click() {
    ListBox1->clear();
    if (!IkScan1->ScanList()) return;
    if (IkScan1->SourceList().isEmpty()) return;
    ListBox1->addItems(IkScan1->SourceList());
    ListBox1->setCurrentRow(IkScan1->DefaultSourceIndex());
}

void TMainForm1::S4_1Click() {
    S4_1->setChecked(true);
    S4_2->setChecked(false);
}

void TMainForm1::S4_2Click() {
    S4_2->setChecked(true);
    S4_1->setChecked(false);
}

void TMainForm1::S5_1Click() {
    S5_1->setChecked(true);
    S5_2->setChecked(false);
}

void TMainForm1::S5_2Click() {
    S5_2->setChecked(true);
    S5_1->setChecked(false);
}

void TMainForm1::SpeedButton2_2Click() {
    if (scanJob_ || !ConvertForm2 || !platform::prompts().runDialog(*ConvertForm2)) return;
    app::ScanSettings settings;
    settings.saveCode = app::scanSaveCode(ConvertForm2->C1_01->ItemIndex());
    // Without a compression no page could be written: say so instead of scanning for nothing.
    if (!settings.saveCode) {
        platform::prompts().message(app::noCompressionMessage());
        return;
    }
    settings.rotation = app::rotationAngle(ConvertForm2->C1_02->ItemIndex());
    settings.output = platform::prompts().saveFile(
        QStringLiteral("マルチTIFFの保存(既存のファイルを選択するとページ追加)"),
        QStringLiteral("TIFFﾌｧｲﾙ (*.tif;*.tiff)|*.tif;*.tiff"), QStringLiteral("tif"), SaveDialog1FileName);
    if (settings.output.isEmpty()) return;
    SaveDialog1FileName = settings.output;
    if (const QListWidgetItem* item = ListBox1->currentItem(); item && item->isSelected())
        settings.sourceName = app::sourceNameFromListEntry(item->text());
    settings.transfer = S4_1->isChecked() ? vikScanNative : vikScanMemory;
    settings.ui = S5_1->isChecked() ? vikScanUI : vikScanUICLOSE;

    app::ScanJob job(*IkScan1, *IkCommon1, *IkEffect1, *IkFile1, ScannedPage, [this](IKHANDLE image) {
        if (ProgressForm1) ProgressForm1->ShowPage(image);
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

void TMainForm1::IkScan1AfterScan(TVIkScan*, std::uint32_t DibHandle, std::uint32_t, std::int32_t, std::int16_t) {
    if (scanJob_) scanJob_->PageScanned(DibHandle);
}
