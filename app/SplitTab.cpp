// The split tab: load a multi-page TIFF, tick its pages, export each ticked page as a
// single-page TIFF named by the chosen numbering scheme.
#include "app/SplitTab.h"

#include "app/Convertwindow3.h"
#include "app/Guard.h"
#include "app/MainLayout.h"
#include "app/PagePreview.h"
#include "app/ProgressFeedback.h"
#include "app/SplitJob.h"
#include "app/SplitNaming.h"
#include "app/TabParts.h"
#include "browse/Ikslide.h"
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

TSplitTab::TSplitTab(const Commands& commands, const Kit& kit, const QString& previewListPath, QWidget* parent)
    : QWidget(parent), commands_(commands), kit_(kit) {
    setObjectName(QStringLiteral("TabSheet2"));
    GradBox5 = app::makeCaptionBar("GradBox5", QStringLiteral("ﾏﾙﾁTIFFの分割（エクスポート）"), 8454143, widgets::kYellow);
    GradBox6 = app::makeButtonStrip("GradBox6");
    SpeedButton3_1 = app::addSpeedButton(GradBox6, "SpeedButton3_1", commands.E1, QStringLiteral("ﾌｧｲﾙ読込"), QStringLiteral("load.xpm"));
    app::addBevel(GradBox6);
    SpeedButton3_2 = app::addSpeedButton(GradBox6, "SpeedButton3_2", commands.E2, QStringLiteral("分割"), QStringLiteral("split.xpm"));
    app::addBevel(GradBox6);
    SpeedButton3_3 = app::addSpeedButton(GradBox6, "SpeedButton3_3", commands.E4, QStringLiteral("ｸﾘｱ"), QStringLiteral("clear.xpm"));
    app::endStrip(GradBox6);
    app::stackInto(this, {GradBox5, GradBox6}, createPageChecks(previewListPath));
    app::connectCommand(commands.E1, this, [this] { SpeedButton3_1Click(); });
    app::connectCommand(commands.E2, this, [this] { SpeedButton3_2Click(); });
    app::connectCommand(commands.E4, this, [this] { SpeedButton3_3Click(); });
}

QWidget* TSplitTab::createPageChecks(const QString& previewListPath) {
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
    Preview2 = new app::PagePreview(IkSlide2, previewListPath, this);
    split->addWidget(IkSlide2);
    split->setSizes({396, app::kMainWidth - 396});
    return split;
}

void TSplitTab::setSplitCommandsEnabled(bool enabled) {
    commands_.E2->setEnabled(enabled);
    commands_.E4->setEnabled(enabled);
}

void TSplitTab::SpeedButton3_1Click() {
    const QStringList chosen =
        platform::prompts().openFiles(QStringLiteral("マルチTIFFファイルを開く"), kTiffFilter, false);
    if (chosen.isEmpty()) return;
    loadSplitFile(chosen.first());
}

void TSplitTab::SplitDropFiles(const QStringList& paths) {
    for (const QString& path : paths)
        if (app::isTiffName(path)) loadSplitFile(path);
}

void TSplitTab::loadSplitFile(const QString& path) {
    OpenDialog2FileName = path;
    kit_.IkFile1->SetFileName(path);
    kit_.IkFile1->SetLoadPage(0);
    // The facts alone give the page count: no page is decoded for it.
    const bool facts = kit_.IkFile1->GetImagefileType();
    const int pageCount = facts ? kit_.IkFile1->PageCount() : 0;

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
void TSplitTab::CheckListBox1Click() {
    QStringList lines;
    for (int i = 0; i < CheckListBox1->count(); ++i)
        if (CheckListBox1->item(i)->isSelected()) lines << OpenDialog2FileName + u' ' + QString::number(i);
    Preview2->request(lines, 0);
}

void TSplitTab::checkPages(int choice) {
    const QList<bool> checks = app::pageChecks(CheckListBox1->count(), static_cast<app::PageChoice>(choice));
    for (int i = 0; i < checks.size(); ++i)
        CheckListBox1->item(i)->setCheckState(checks[i] ? Qt::Checked : Qt::Unchecked);
}

void TSplitTab::N2_1Click() { checkPages(int(app::PageChoice::All)); }
void TSplitTab::N2_2Click() { checkPages(int(app::PageChoice::Odd)); }
void TSplitTab::N2_3Click() { checkPages(int(app::PageChoice::Even)); }
void TSplitTab::N2_5Click() { checkPages(int(app::PageChoice::None)); }

void TSplitTab::SpeedButton3_2Click() {
    const int pages = CheckListBox1->count();
    QList<int> chosen;
    for (int n = 1; n <= pages; ++n)
        if (CheckListBox1->item(n - 1)->checkState() == Qt::Checked) chosen << n;
    if (chosen.isEmpty()) {
        platform::prompts().message(QStringLiteral("チェックされたページがありません。"));
        return;
    }
    if (!dialogs_.ConvertForm3 || !platform::prompts().runDialog(*dialogs_.ConvertForm3)) return;
    app::SplitSettings settings;
    settings.folder =
        app::folderWithoutTrailingSeparator(platform::prompts().browseFolder(QStringLiteral("保存先フォルダの選択")));
    if (settings.folder.isEmpty()) return;
    settings.scheme = dialogs_.ConvertForm3->C1_01->ItemIndex();
    settings.digits = dialogs_.ConvertForm3->C1_02->Value();

    app::ProgressFeedback progress(dialogs_.ProgressForm1);
    const app::SplitOutcome outcome =
        app::SplitJob(*kit_.IkFile1, &progress).run(OpenDialog2FileName, pages, chosen, settings);
    platform::beep();
    platform::prompts().message(app::splitCompletionMessage(outcome));
}

void TSplitTab::SpeedButton3_3Click() {
    CheckListBox1->clear();
    OpenDialog2FileName.clear();
    Preview2->close();
    setSplitCommandsEnabled(false);
}
