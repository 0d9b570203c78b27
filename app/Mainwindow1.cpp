#include "app/Mainwindow1.h"

#include "app/Convertwindow1.h"
#include "app/Convertwindow2.h"
#include "app/Convertwindow3.h"
#include "app/Guard.h"
#include "app/ReleaseImage.h"
#include "app/BuildTab.h"
#include "app/SettingsLocation.h"
#include "app/SplitTab.h"
#include "app/TabParts.h"
#include "app/ViewerTab.h"
#include "Ikcommon.h"
#include "Ikeffect.h"
#include "Ikfile.h"
#include "Ikscan.h"
#include "platform/ExecutableDir.h"
#include "platform/Profile.h"
#include "platform/desktop/Prompts.h"
#include "platform/desktop/Shell.h"
#include "widgets/Gradbox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>

#include <utility>

using namespace app;
using widgets::TGradBox;


TMainForm1::TMainForm1(QWidget* parent) : QMainWindow(parent) {
    // The glyphs live in a static library; naming the resource keeps the linker from dropping it.
    Q_INIT_RESOURCE(glyphs);
    setObjectName(QStringLiteral("MainForm1"));
    setWindowTitle(QStringLiteral("VidiraZorod"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    move(app::kMainLeft, app::kMainTop);
    resize(app::kMainWidth, app::kMainHeight);

    // The first kit component to attach loads the kit libraries.
    IkCommon1 = new TVIkCommon(this);
    IkFile1 = new TVIkFile(this);
    IkEffect1 = new TVIkEffect(this);
    IkScan1 = new TVIkScan(this);
    IkScan1->SetBitDepth(24);
    // Every TIFF save adds a page to an existing file and creates a missing one.
    IkFile1->SetFileExt(QStringLiteral("BMP;JPG;TIF;PCX;FPX;PNG;WMF;EMF;DXF;GIF"));
    IkFile1->SetTiffAppend(true);
    IkFile1->SetTiffSaveOneStrip(true);

    createActions();
    createMenus();

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px solid transparent; border-radius: 2px; padding: 3px 10px; margin: 2px; }"
        "QTabBar::tab:hover { border-color: #808080; }"
        "QTabBar::tab:selected { border-color: #808080; background: #e0e0e0; }"));
    Build = new TBuildTab({F1, F2, F4, F6, F7, S1, S2, S4_1, S4_2, S5_1, S5_2},
                          {IkCommon1, IkFile1, IkEffect1, IkScan1}, previewListPath());
    TabSheet1 = Build;
    Split = new TSplitTab({E1, E2, E4}, {IkCommon1, IkFile1}, previewListPath());
    TabSheet2 = Split;
    Viewer = new TViewerTab({V1, V3, V5, V6, V8}, {IkCommon1, IkFile1, IkEffect1});
    TabSheet3 = Viewer;
    PageControl1->addTab(TabSheet1, QStringLiteral("ﾏﾙﾁTIFFの作成"));
    PageControl1->addTab(TabSheet2, QStringLiteral("ﾏﾙﾁTIFFの分割"));
    PageControl1->addTab(TabSheet3, QStringLiteral("ﾏﾙﾁTIFFの参照"));
    PageControl1->setCurrentIndex(0);
    setCentralWidget(PageControl1);
    statusBar()->setSizeGripEnabled(true);

    // Construction steps of the window itself.
    setAcceptDrops(true);
    ProgramDir = platform::executableDir();
    platform::setPromptParent(this);
}

// A window destroyed without closing still lets go of its last scanned page (the progress
// window may be gone by now); the scanner component ends its own connection.
TMainForm1::~TMainForm1() { app::releaseImage(*IkCommon1, std::exchange(Build->ScannedPage, 0)); }

void TMainForm1::DialogsCreated() {
    Build->SetDialogs({ConvertForm1, ConvertForm2, ProgressForm1});
    Split->SetDialogs({ConvertForm3, ProgressForm1});
}

void TMainForm1::createActions() {
    F1 = makeCommand(this, "F1", QStringLiteral("ファイル登録(&O)..."), QStringLiteral("ファイルの登録・追加"), true);
    F2 = makeCommand(this, "F2", QStringLiteral("マルチTIFF化(&R)..."), QStringLiteral("マルチTIFFファイルの作成"), false);
    F4 = makeCommand(this, "F4", QStringLiteral("ソート(&S)..."), QStringLiteral("登録したファイルを並べ替え"), false);
    F6 = makeCommand(this, "F6", QStringLiteral("削除(&D)"), QStringLiteral("登録したファイルを削除"), false);
    F7 = makeCommand(this, "F7", QStringLiteral("クリア(&C)..."), QStringLiteral("登録したファイルをクリア"), false);
    F9 = makeCommand(this, "F9", QStringLiteral("終了(&X)"), QStringLiteral("アプリケーションの終了"), true);
    S1 = makeCommand(this, "S1", QStringLiteral("ソース取得(&G)"), QStringLiteral("TWAINソース一覧の取得"), true);
    S2 = makeCommand(this, "S2", QStringLiteral("マルチTIFF化(&R)..."), QStringLiteral("マルチTIFFファイルの作成"), true);
    S4_1 = makeCommand(this, "S4_1", QStringLiteral("ネイティブ(DIB)(&N)"), QStringLiteral("ネイティブ転送"), true);
    S4_2 = makeCommand(this, "S4_2", QStringLiteral("メモリー(ブロック単位)(&M)"), QStringLiteral("メモリー転送"), true);
    S5_1 = makeCommand(this, "S5_1", QStringLiteral("取り込み後閉じない(&N)"), QStringLiteral("取り込み後閉じない"), true);
    S5_2 = makeCommand(this, "S5_2", QStringLiteral("取り込み後閉じる(&C)"), QStringLiteral("取り込み後閉じる"), true);
    E1 = makeCommand(this, "E1", QStringLiteral("ファイル読込(&O)..."), QStringLiteral("マルチTIFFファイルの読み込み"), true);
    E2 = makeCommand(this, "E2", QStringLiteral("分割(&R)..."), QStringLiteral("マルチTIFFファイルの分割"), false);
    E4 = makeCommand(this, "E4", QStringLiteral("クリア(&C)"), QStringLiteral("読み込んだファイルをクリア"), false);
    V1 = makeCommand(this, "V1", QStringLiteral("ファイル読込(&O)..."), QStringLiteral("マルチTIFFファイルの読み込み"), true);
    V3 = makeCommand(this, "V3", QStringLiteral("クリア(&C)"), QStringLiteral("読み込んだファイルをクリア"), false);
    V5 = makeCommand(this, "V5", QStringLiteral("左回転(&L)"), QStringLiteral("左90度回転"), false);
    V6 = makeCommand(this, "V6", QStringLiteral("右回転(&R)"), QStringLiteral("右90度回転"), false);
    V8 = makeCommand(this, "V8", QStringLiteral("ナビゲート(&N)"), QStringLiteral("ナビゲートウィンドウの表示"), false);
    N1_1 = makeCommand(this, "N1_1", QStringLiteral("ユーザーズガイド(&G)"), QStringLiteral("ユーザーズガイドの参照"), true);
    N1_2 = makeCommand(this, "N1_2", QStringLiteral("インフォメーション(&I)..."), QStringLiteral("インフォメーションの参照"), true);

    // Transfer mode and scanner dialog behaviour are each one of two choices; each run
    // starts with native transfer and the device window kept open.
    for (QAction* a : {S4_1, S4_2, S5_1, S5_2}) a->setCheckable(true);
    S4_1->setChecked(true);
    S5_1->setChecked(true);
    V8->setCheckable(true);

    app::connectCommand(F9, this, [this] { F9Click(); });
    app::connectCommand(N1_1, this, [this] { N1_1Click(); });
    app::connectCommand(N1_2, this, [this] { N1_2Click(); });
}

void TMainForm1::createMenus() {
    auto makeMenu = [this](QMenu* parentMenu, const char* name, const QString& title) {
        QMenu* menu = parentMenu ? parentMenu->addMenu(title) : menuBar()->addMenu(title);
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    F0 = makeMenu(nullptr, "F0", QStringLiteral("ファイル(&F)"));
    F0->addActions({F1, F2});
    F0->addSeparator();
    F0->addAction(F4);
    F0->addSeparator();
    F0->addActions({F6, F7});
    F0->addSeparator();
    F0->addAction(F9);

    S0 = makeMenu(nullptr, "S0", QStringLiteral("スキャン(&S)"));
    S0->addActions({S1, S2});
    S0->addSeparator();
    S4 = makeMenu(S0, "S4", QStringLiteral("転送方法(&T)"));
    S4->addActions({S4_1, S4_2});
    S5 = makeMenu(S0, "S5", QStringLiteral("ユーザーインターフェース(&U)"));
    S5->addActions({S5_1, S5_2});

    E0 = makeMenu(nullptr, "E0", QStringLiteral("分割(&E)"));
    E0->addActions({E1, E2});
    E0->addSeparator();
    E0->addAction(E4);

    V0 = makeMenu(nullptr, "V0", QStringLiteral("参照(&V)"));
    V0->addAction(V1);
    V0->addSeparator();
    V0->addAction(V3);
    V0->addSeparator();
    V0->addActions({V5, V6});
    V0->addSeparator();
    V0->addAction(V8);

    Help2 = makeMenu(nullptr, "Help2", QStringLiteral("ヘルプ(&H)"));
    Help2->addAction(N1_1);
    Help2->addSeparator();
    Help2->addAction(N1_2);

    connect(F0, &QMenu::aboutToShow, this, [this] { F0Click(); });
    connect(S0, &QMenu::aboutToShow, this, [this] { S0Click(); });
    connect(E0, &QMenu::aboutToShow, this, [this] { E0Click(); });
    connect(V0, &QMenu::aboutToShow, this, [this] { V0Click(); });

    addShortcut(F1, QKeySequence(Qt::CTRL | Qt::Key_O), F0);
    addShortcut(F2, QKeySequence(Qt::Key_F8), F0);
    addShortcut(F6, QKeySequence(Qt::CTRL | Qt::Key_Delete), F0);
    addShortcut(S2, QKeySequence(Qt::SHIFT | Qt::Key_F8), S0);
    addShortcut(E2, QKeySequence(Qt::Key_F9), E0);
    addShortcut(N1_1, QKeySequence(Qt::Key_F1), Help2);
}

// The key is shown beside the menu caption, but handled here rather than by the action itself:
// a disabled command must still bring its menu's tab to the front when its key is pressed.
void TMainForm1::addShortcut(QAction* command, const QKeySequence& key, QMenu* parentMenu) {
    command->setText(command->text() + u'\t' + key.toString(QKeySequence::NativeText));
    shortcuts_.push_back({key, command, parentMenu});
    auto* shortcut = new QShortcut(key, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, key] { ShortcutPressed(key); });
}

bool TMainForm1::ShortcutPressed(const QKeySequence& key) {
    for (const Shortcut& s : shortcuts_) {
        if (s.key != key) continue;
        // Every command with a key sits directly in a top-level menu, whose click runs first.
        if (s.parentMenu->isEnabled()) runParentClick(s.parentMenu);
        if (s.command->isEnabled()) s.command->trigger();
        return true;
    }
    return false;
}

void TMainForm1::runParentClick(QMenu* menu) {
    if (menu == F0) F0Click();
    else if (menu == S0) S0Click();
    else if (menu == E0) E0Click();
    else if (menu == V0) V0Click();
}

app::Tab TMainForm1::ActiveTab() const { return static_cast<Tab>(PageControl1->currentIndex()); }

void TMainForm1::showTab(Tab tab) { PageControl1->setCurrentIndex(static_cast<int>(tab)); }

void TMainForm1::F0Click() { showTab(Tab::Build); }
void TMainForm1::S0Click() { showTab(Tab::Build); }
void TMainForm1::E0Click() { showTab(Tab::Split); }
void TMainForm1::V0Click() { showTab(Tab::View); }

void TMainForm1::F9Click() { close(); }

// A missing guide shows nothing: the desktop would otherwise report the missing file its own way.
void TMainForm1::N1_1Click() {
    const QString guide = ProgramDir + QStringLiteral("/Readme.txt");
    if (QFileInfo::exists(guide)) platform::shellOpen(guide);
}

void TMainForm1::N1_2Click() {
    platform::shellOpen(app::informationPageUrl(QFileInfo(QApplication::applicationFilePath()).fileName()));
}

void TMainForm1::FormShow() {
    const platform::Profile ini = app::readSettings(app::settingsLocationFor(ProgramDir));
    const int top = ini.readInteger(QStringLiteral("SET"), QStringLiteral("M_TOP"), y());
    const int left = ini.readInteger(QStringLiteral("SET"), QStringLiteral("M_LEFT"), x());
    move(left, top);
    // The scale is applied when a page is next shown, so no change handler runs here.
    QComboBox* zoom = Viewer->ComboBox1;
    const QSignalBlocker quiet(zoom);
    zoom->setCurrentIndex(ini.readInteger(QStringLiteral("SET"), QStringLiteral("ZOOM"), zoom->currentIndex()));
    if (ConvertForm1) ConvertForm1->LoadSettings(ini);
    if (ConvertForm2) ConvertForm2->LoadSettings(ini);
    if (ConvertForm3) ConvertForm3->LoadSettings(ini);
}

void TMainForm1::FormClose() {
    const app::SettingsLocation settings = app::settingsLocationFor(ProgramDir);
    platform::Profile ini = app::readSettings(settings);
    ini.writeInteger(QStringLiteral("SET"), QStringLiteral("M_TOP"), y());
    ini.writeInteger(QStringLiteral("SET"), QStringLiteral("M_LEFT"), x());
    ini.writeInteger(QStringLiteral("SET"), QStringLiteral("ZOOM"), Viewer->ComboBox1->currentIndex());
    if (ConvertForm1) ConvertForm1->SaveSettings(ini);
    if (ConvertForm2) ConvertForm2->SaveSettings(ini);
    if (ConvertForm3) ConvertForm3->SaveSettings(ini);
    // A settings file that cannot be written must not keep the program from closing.
    app::writeSettings(ini, settings);
    Viewer->CloseStep();
    Build->CloseStep();
}

void TMainForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    app::runGuarded([this] { FormShow(); });
}

void TMainForm1::closeEvent(QCloseEvent* event) {
    // A scan still hands pages to the file; the window closes once it has ended.
    if (Build->ScanRunning()) {
        event->ignore();
        return;
    }
    app::runGuarded([this] { FormClose(); });
    event->accept();
}

void TMainForm1::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); }))
        event->acceptProposedAction();
}

void TMainForm1::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    app::runGuarded([&] { FilesDropped(paths); });
}

app::DropTarget TMainForm1::FilesDropped(const QStringList& paths) {
    const app::DropTarget target = app::dropTargetForTab(ActiveTab());
    switch (target) {
        case app::DropTarget::PageList: Build->PageListDropFiles(paths); break;
        case app::DropTarget::SplitTab: Split->SplitDropFiles(paths); break;
        case app::DropTarget::Viewer: Viewer->DropFiles(paths); break;
    }
    return target;
}
