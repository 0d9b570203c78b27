#include "app/BuildTab.h"

#include "app/Guard.h"
#include "app/MainLayout.h"
#include "app/PagePreview.h"
#include "app/TabParts.h"
#include "browse/Ikslide.h"
#include "platform/desktop/Prompts.h"
#include "widgets/StringGrid.h"

#include <QAction>
#include <QSplitter>
#include <QVBoxLayout>

using namespace app;

TBuildTab::TBuildTab(const Commands& commands, const Kit& kit, const QString& previewListPath, QWidget* parent)
    : QWidget(parent), commands_(commands), kit_(kit) {
    setObjectName(QStringLiteral("TabSheet1"));
    GradBox1 = makeCaptionBar("GradBox1", QStringLiteral("ファイルから作成"), 65408, widgets::kLime);
    GradBox2 = makeButtonStrip("GradBox2");
    SpeedButton1_1 = addSpeedButton(GradBox2, "SpeedButton1_1", commands.F1, QStringLiteral("ﾌｧｲﾙ登録"), QStringLiteral("register.xpm"));
    addBevel(GradBox2);
    SpeedButton1_2 = addSpeedButton(GradBox2, "SpeedButton1_2", commands.F2, QStringLiteral("ﾏﾙﾁTIFF化"), QStringLiteral("build.xpm"));
    addBevel(GradBox2);
    SpeedButton1_3 = addSpeedButton(GradBox2, "SpeedButton1_3", commands.F4, QStringLiteral("ｿｰﾄ"), QStringLiteral("sort.xpm"));
    SpeedButton1_4 = addSpeedButton(GradBox2, "SpeedButton1_4", commands.F6, QStringLiteral("削除"), QStringLiteral("delete.xpm"));
    SpeedButton1_5 = addSpeedButton(GradBox2, "SpeedButton1_5", commands.F7, QStringLiteral("ｸﾘｱ"), QStringLiteral("clear.xpm"));
    endStrip(GradBox2);

    GradBox3 = makeCaptionBar("GradBox3", QStringLiteral("TWAIN機器（スキャナ・デジカメ等）から作成"), 16777088,
                              widgets::kAqua);
    GradBox4 = makeButtonStrip("GradBox4");
    SpeedButton2_1 = addSpeedButton(GradBox4, "SpeedButton2_1", commands.S1, QStringLiteral("ｿｰｽ取得"), QStringLiteral("source.xpm"));
    addBevel(GradBox4);
    SpeedButton2_2 = addSpeedButton(GradBox4, "SpeedButton2_2", commands.S2, QStringLiteral("ﾏﾙﾁTIFF化"), QStringLiteral("scanbuild.xpm"));
    endStrip(GradBox4);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setChildrenCollapsible(false);
    QWidget* upper = stackVertically({GradBox1, GradBox2}, createPageList(previewListPath));
    QWidget* lower = stackVertically({GradBox3, GradBox4}, createSourceList());
    splitter->addWidget(upper);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    lower->setMinimumHeight(GradBox3->height() + GradBox4->height());
    splitter->setSizes({kMainHeight - 150, 150});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connectCommands();
    startScanner();
}

void TBuildTab::connectCommands() {
    connectCommand(commands_.F1, this, [this] { SpeedButton1_1Click(); });
    connectCommand(commands_.F2, this, [this] { SpeedButton1_2Click(); });
    connectCommand(commands_.F4, this, [this] { SpeedButton1_3Click(); });
    connectCommand(commands_.F6, this, [this] { SpeedButton1_4Click(); });
    connectCommand(commands_.F7, this, [this] { SpeedButton1_5Click(); });
    connectCommand(commands_.S1, this, [this] { SpeedButton2_1Click(); });
    connectCommand(commands_.S2, this, [this] { SpeedButton2_2Click(); });
    connectCommand(commands_.S4_1, this, [this] { S4_1Click(); });
    connectCommand(commands_.S4_2, this, [this] { S4_2Click(); });
    connectCommand(commands_.S5_1, this, [this] { S5_1Click(); });
    connectCommand(commands_.S5_2, this, [this] { S5_2Click(); });
}

QWidget* TBuildTab::createPageList(const QString& previewListPath) {
    StringGrid1 = new widgets::TStringGrid;
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->SetColWidth(0, 64);
    StringGrid1->SetColWidth(1, 755);
    StringGrid1->SetDefaultRowHeight(16);
    StringGrid1->setStatusTip(QStringLiteral("マルチTIFF化する対象ファイル一覧"));
    StringGrid1->setToolTip(StringGrid1->statusTip());
    StringGrid1->setMinimumWidth(100);
    StringGrid1->OnSelectCell = [this](int col, int row, bool& canSelect) {
        runGuarded([&] { StringGrid1SelectCell(col, row, canSelect); });
    };
    StringGrid1->OnRowMoved = [this](int from, int to) { runGuarded([&] { StringGrid1RowMoved(from, to); }); };
    showPageList();

    IkSlide1 = new TVIkSlide;
    IkSlide1->setObjectName(QStringLiteral("IkSlide1"));
    setUpPreviewPane(*IkSlide1);
    Preview1 = new PagePreview(IkSlide1, previewListPath, this);
    auto* split = new QSplitter(Qt::Horizontal);
    split->setChildrenCollapsible(false);
    split->addWidget(StringGrid1);
    split->addWidget(IkSlide1);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({396, kMainWidth - 396});
    return split;
}

// Writes the headers, the page labels and the paths into the grid.
void TBuildTab::showPageList() {
    RegisteredCount = pages_.count();
    StringGrid1->SetRowCount(pages_.gridRowCount());
    StringGrid1->SetCell(0, 0, QStringLiteral(" ﾍﾟｰｼﾞ番号"));
    StringGrid1->SetCell(1, 0, QStringLiteral(" 変換元ﾌｧｲﾙ名"));
    for (int row = 1; row < StringGrid1->RowCount(); ++row) {
        const bool filled = row <= pages_.count();
        StringGrid1->SetCell(0, row, filled ? pageLabel(row) : QString());
        StringGrid1->SetCell(1, row, filled ? pages_.paths()[row - 1] : QString());
    }
}

void TBuildTab::setListCommandsEnabled(bool enabled) {
    for (QAction* command : {commands_.F2, commands_.F4, commands_.F6, commands_.F7}) command->setEnabled(enabled);
}

void TBuildTab::showPreviewOfRow(int row) {
    bool canSelect = true;
    StringGrid1SelectCell(1, row, canSelect);
}

// The list holds the row's file alone; the control keeps its index inside its one-entry list.
void TBuildTab::StringGrid1SelectCell(int, int ARow, bool&) { Preview1->request({StringGrid1->Cell(1, ARow)}, ARow - 1); }

void TBuildTab::SpeedButton1_1Click() {
    const QStringList names = platform::prompts().openFiles(
        QStringLiteral("ファイルの登録・追加(複数のファイルを選択可)"),
        QStringLiteral("すべての画像ﾌｧｲﾙ (*.bmp;*.jpg;*.jpeg;*.j2k;*.jp2;*.gif;*.tif;*.tiff;*.pcx;*.fpx;*.png)|"
                       "*.bmp;*.jpg;*.jpeg;*.j2k;*.jp2;*.gif;*.tif;*.tiff;*.pcx;*fpx;*.png|すべてのﾌｧｲﾙ (*.*)|*.*"),
        true);
    if (names.isEmpty()) return;
    pages_.registerExisting(names);
    showPageList();
    if (pages_.count() >= 1) {
        setListCommandsEnabled(true);
        showPreviewOfRow(1);
    }
}

void TBuildTab::PageListDropFiles(const QStringList& paths) {
    pages_.registerDropped(paths);
    if (pages_.count() == 0) return;
    showPageList();
    setListCommandsEnabled(true);
    showPreviewOfRow(1);
}

void TBuildTab::SpeedButton1_3Click() {
    if (StringGrid1->RowCount() == 2) return;
    if (!platform::prompts().confirm(QStringLiteral("ファイル名(パス)を基準に ソートしてもよろしいですか？"))) return;
    pages_.sort();
    showPageList();
    showPreviewOfRow(1);
}

void TBuildTab::SpeedButton1_4Click() {
    if (StringGrid1->RowCount() == 2) {
        if (StringGrid1->Cell(1, 1).isEmpty()) return;
        pages_.clear();
        showPageList();
        setListCommandsEnabled(false);
        Preview1->close();
        return;
    }
    pages_.deleteRow(StringGrid1->Row());
    showPageList();
    showPreviewOfRow(1);
}

void TBuildTab::SpeedButton1_5Click() {
    if (!platform::prompts().confirm(QStringLiteral("登録したファイルをクリアしてもよろしいですか？"))) return;
    pages_.clear();
    showPageList();
    Preview1->close();
    setListCommandsEnabled(false);
}

void TBuildTab::StringGrid1RowMoved(int FromIndex, int ToIndex) {
    pages_.moveRow(FromIndex, ToIndex);
    showPageList();
}
