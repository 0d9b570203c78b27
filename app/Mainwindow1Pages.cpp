// The page list of the build tab: the grid, its commands and its preview requests.
#include "app/Guard.h"
#include "app/Mainwindow1.h"
#include "app/PagePreview.h"
#include "browse/Ikslide.h"
#include "platform/desktop/Prompts.h"
#include "widgets/StringGrid.h"

#include <QAction>
#include <QSplitter>

QWidget* TMainForm1::createPageList() {
    StringGrid1 = new widgets::TStringGrid;
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->SetColWidth(0, 64);
    StringGrid1->SetColWidth(1, 755);
    StringGrid1->SetDefaultRowHeight(16);
    StringGrid1->setStatusTip(QStringLiteral("マルチTIFF化する対象ファイル一覧"));
    StringGrid1->setToolTip(StringGrid1->statusTip());
    StringGrid1->setMinimumWidth(100);
    StringGrid1->OnSelectCell = [this](int col, int row, bool& canSelect) {
        app::runGuarded([&] { StringGrid1SelectCell(col, row, canSelect); });
    };
    StringGrid1->OnRowMoved = [this](int from, int to) {
        app::runGuarded([&] { StringGrid1RowMoved(from, to); });
    };
    showPageList();

    IkSlide1 = new TVIkSlide;
    IkSlide1->setObjectName(QStringLiteral("IkSlide1"));
    app::setUpPreviewPane(*IkSlide1);
    Preview1 = new app::PagePreview(IkSlide1, previewListPath(), this);
    auto* split = new QSplitter(Qt::Horizontal);
    split->setChildrenCollapsible(false);
    split->addWidget(StringGrid1);
    split->addWidget(IkSlide1);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({396, app::kMainWidth - 396});
    return split;
}

// Writes the headers, the page labels and the paths into the grid.
void TMainForm1::showPageList() {
    RegisteredCount = pages_.count();
    StringGrid1->SetRowCount(pages_.gridRowCount());
    StringGrid1->SetCell(0, 0, QStringLiteral(" ﾍﾟｰｼﾞ番号"));
    StringGrid1->SetCell(1, 0, QStringLiteral(" 変換元ﾌｧｲﾙ名"));
    for (int row = 1; row < StringGrid1->RowCount(); ++row) {
        const bool filled = row <= pages_.count();
        StringGrid1->SetCell(0, row, filled ? app::pageLabel(row) : QString());
        StringGrid1->SetCell(1, row, filled ? pages_.paths()[row - 1] : QString());
    }
}

void TMainForm1::setListCommandsEnabled(bool enabled) {
    for (QAction* command : {F2, F4, F6, F7}) command->setEnabled(enabled);
}

void TMainForm1::showPreviewOfRow(int row) {
    bool canSelect = true;
    StringGrid1SelectCell(1, row, canSelect);
}

void TMainForm1::closePreview() { Preview1->close(); }

// The list holds the row's file alone; the control keeps its index inside its one-entry list.
void TMainForm1::StringGrid1SelectCell(int, int ARow, bool&) { Preview1->request({StringGrid1->Cell(1, ARow)}, ARow - 1); }

void TMainForm1::SpeedButton1_1Click() {
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

void TMainForm1::PageListDropFiles(const QStringList& paths) {
    pages_.registerDropped(paths);
    if (pages_.count() == 0) return;
    showPageList();
    setListCommandsEnabled(true);
    showPreviewOfRow(1);
}

void TMainForm1::SpeedButton1_3Click() {
    if (StringGrid1->RowCount() == 2) return;
    if (!platform::prompts().confirm(QStringLiteral("ファイル名(パス)を基準に ソートしてもよろしいですか？"))) return;
    pages_.sort();
    showPageList();
    showPreviewOfRow(1);
}

void TMainForm1::SpeedButton1_4Click() {
    if (StringGrid1->RowCount() == 2) {
        if (StringGrid1->Cell(1, 1).isEmpty()) return;
        pages_.clear();
        showPageList();
        setListCommandsEnabled(false);
        closePreview();
        return;
    }
    pages_.deleteRow(StringGrid1->Row());
    showPageList();
    showPreviewOfRow(1);
}

void TMainForm1::SpeedButton1_5Click() {
    if (!platform::prompts().confirm(QStringLiteral("登録したファイルをクリアしてもよろしいですか？"))) return;
    pages_.clear();
    showPageList();
    closePreview();
    setListCommandsEnabled(false);
}

void TMainForm1::StringGrid1RowMoved(int FromIndex, int ToIndex) {
    pages_.moveRow(FromIndex, ToIndex);
    showPageList();
}
