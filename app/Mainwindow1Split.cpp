// The split tab: load a multi-page TIFF, tick its pages, export each ticked page as a
// single-page TIFF named by the chosen numbering scheme.
#include "app/ConvertTables.h"
#include "app/Convertwindow3.h"
#include "app/Guard.h"
#include "app/Mainwindow1.h"
#include "app/PagePreview.h"
#include "app/ReleaseImage.h"
#include "browse/Ikslide.h"
#include "app/Progresswindow1.h"
#include "app/SplitNaming.h"
#include "Ikcommon.h"
#include "Ikfile.h"
#include "platform/desktop/Prompts.h"
#include "platform/desktop/Shell.h"
#include "widgets/lib/SpinEdit.h"
#include "widgets/Mccbox.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>

namespace {

const QString kTiffFilter = QStringLiteral("TIFFﾌｧｲﾙ (*.tif;*.tiff)|*.tif;*.tiff");

}  // namespace

QWidget* TMainForm1::createPageChecks() {
    CheckListBox1 = new QListWidget;
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setStatusTip(QStringLiteral("分割するページにチェック(右クリックでポップアップメニュー)"));
    CheckListBox1->setToolTip(CheckListBox1->statusTip());
    CheckListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    CheckListBox1->setUniformItemSizes(true);
    CheckListBox1->setStyleSheet(QStringLiteral("QListWidget::item { height: 12px; padding: 0px; }"));
    CheckListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    // A page chosen by the mouse or by the keys; ticking a box alone previews nothing.
    connect(CheckListBox1, &QListWidget::itemClicked, this, [this] { app::runGuarded([this] { CheckListBox1Click(); }); });
    connect(CheckListBox1, &QListWidget::currentRowChanged, this,
            [this] { app::runGuarded([this] { CheckListBox1Click(); }); });

    PopupMenu1 = new QMenu(CheckListBox1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N2_1 = PopupMenu1->addAction(QStringLiteral("すべてのページにチェック(&P)"));
    N2_2 = PopupMenu1->addAction(QStringLiteral("奇数のページにチェック(&O)"));
    N2_3 = PopupMenu1->addAction(QStringLiteral("偶数のページにチェック(&E)"));
    PopupMenu1->addSeparator();
    N2_5 = PopupMenu1->addAction(QStringLiteral("すべてのチェックを外す(&R)"));
    app::connectCommand(N2_1, this, [this] { N2_1Click(); });
    app::connectCommand(N2_2, this, [this] { N2_2Click(); });
    app::connectCommand(N2_3, this, [this] { N2_3Click(); });
    app::connectCommand(N2_5, this, [this] { N2_5Click(); });
    connect(CheckListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(CheckListBox1->viewport()->mapToGlobal(at)); });

    auto* split = new QSplitter(Qt::Horizontal);
    split->setChildrenCollapsible(false);
    split->addWidget(CheckListBox1);
    IkSlide2 = new TVIkSlide;
    IkSlide2->setObjectName(QStringLiteral("IkSlide2"));
    app::setUpPreviewPane(*IkSlide2);
    Preview2 = new app::PagePreview(IkSlide2, previewListPath(), this);
    split->addWidget(IkSlide2);
    split->setSizes({396, app::kMainWidth - 396});
    return split;
}

void TMainForm1::setSplitCommandsEnabled(bool enabled) {
    E2->setEnabled(enabled);
    E4->setEnabled(enabled);
}

void TMainForm1::SpeedButton3_1Click() {
    const QStringList chosen =
        platform::prompts().openFiles(QStringLiteral("マルチTIFFファイルを開く"), kTiffFilter, false);
    if (chosen.isEmpty()) return;
    loadSplitFile(chosen.first());
}

void TMainForm1::SplitDropFiles(const QStringList& paths) {
    for (const QString& path : paths)
        if (app::isTiffName(path)) loadSplitFile(path);
}

void TMainForm1::loadSplitFile(const QString& path) {
    OpenDialog2FileName = path;
    IkFile1->SetFileName(path);
    IkFile1->SetLoadPage(0);
    IkFile1->LoadFile(vikLoad);
    const bool facts = IkFile1->GetImagefileType();
    app::releaseImage(*IkCommon1, IkFile1->ImgHandle());
    IkFile1->SetImgHandle(0);
    const int pageCount = facts ? IkFile1->PageCount() : 0;

    CheckListBox1->clear();
    for (int n = 1; n <= pageCount; ++n) {
        auto* item = new QListWidgetItem(QStringLiteral(" page ") + QString::number(n), CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    if (CheckListBox1->count() == 0) return;
    setSplitCommandsEnabled(true);
    CheckListBox1->setCurrentRow(0);
    CheckListBox1Click();
}

// The list names the current file and the selected page's 0-based index.
void TMainForm1::CheckListBox1Click() {
    QStringList lines;
    for (int i = 0; i < CheckListBox1->count(); ++i)
        if (CheckListBox1->item(i)->isSelected()) lines << OpenDialog2FileName + u' ' + QString::number(i);
    Preview2->request(lines, 0);
}

void TMainForm1::checkPages(int choice) {
    const QList<bool> checks = app::pageChecks(CheckListBox1->count(), static_cast<app::PageChoice>(choice));
    for (int i = 0; i < checks.size(); ++i)
        CheckListBox1->item(i)->setCheckState(checks[i] ? Qt::Checked : Qt::Unchecked);
}

void TMainForm1::N2_1Click() { checkPages(int(app::PageChoice::All)); }
void TMainForm1::N2_2Click() { checkPages(int(app::PageChoice::Odd)); }
void TMainForm1::N2_3Click() { checkPages(int(app::PageChoice::Even)); }
void TMainForm1::N2_5Click() { checkPages(int(app::PageChoice::None)); }

void TMainForm1::SpeedButton3_2Click() {
    const int pages = CheckListBox1->count();
    bool anyChecked = false;
    for (int i = 0; i < pages; ++i) anyChecked |= CheckListBox1->item(i)->checkState() == Qt::Checked;
    if (!anyChecked) {
        platform::prompts().message(QStringLiteral("チェックされたページがありません。"));
        return;
    }
    if (!ConvertForm3 || !platform::prompts().runDialog(*ConvertForm3)) return;
    const QString folder =
        app::folderWithoutTrailingSeparator(platform::prompts().browseFolder(QStringLiteral("保存先フォルダの選択")));
    if (folder.isEmpty()) return;

    if (ProgressForm1) ProgressForm1->BeginRun(OpenDialog2FileName, pages);
    const int scheme = ConvertForm3->C1_01->ItemIndex();
    const int digits = ConvertForm3->C1_02->Value();
    int exported = 0;
    int written = 0;
    QStringList notWritten;
    for (int n = 1; n <= pages; ++n) {
        if (CheckListBox1->item(n - 1)->checkState() != Qt::Checked) continue;
        if (ProgressForm1) ProgressForm1->ShowPage(0);
        IkFile1->SetFileName(OpenDialog2FileName);
        IkFile1->SetLoadPage(static_cast<std::int16_t>(n - 1));
        IkFile1->LoadFile(vikLoad);
        IkFile1->GetImagefileType();
        const IKHANDLE page = IkFile1->ImgHandle();
        IkCommon1->SetImgHandle(page);
        IkCommon1->GetImageType();
        if (ProgressForm1) ProgressForm1->ShowPage(page);

        ++exported;
        const QString number = app::exportNumberText(app::exportFileNumber(scheme, n, exported), digits);
        IkFile1->SetImgHandle(page);
        IkFile1->SetFileName(app::splitTargetPath(folder, OpenDialog2FileName, number));
        const auto code = app::saveCodeKeepingSourceType(IkFile1->ImageFileType());
        if (page != 0 && IkFile1->SaveFile(static_cast<TVIkSaveFile>(code))) ++written;
        else notWritten << QStringLiteral("page ") + QString::number(n);
        if (ProgressForm1) ProgressForm1->ShowPage(0);
        app::releaseImage(*IkCommon1, page);
        IkFile1->SetImgHandle(0);
        if (ProgressForm1) ProgressForm1->PageDone(n);
    }
    if (ProgressForm1) ProgressForm1->EndRun();
    platform::beep();
    QString text = QString::number(written) + QStringLiteral(" 枚の新しいファイルが作成されました。");
    if (!notWritten.isEmpty())
        text += QStringLiteral("\n書き込めなかったページ: ") + notWritten.join(QStringLiteral(", "));
    platform::prompts().message(text);
}

void TMainForm1::SpeedButton3_3Click() {
    CheckListBox1->clear();
    OpenDialog2FileName.clear();
    Preview2->close();
    setSplitCommandsEnabled(false);
}
