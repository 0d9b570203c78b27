#pragma once
// The main window: three tabs (build, split, view) with their caption bars and button strips,
// the menu bar whose commands are shared with the speed buttons, the status bar, the routing
// of dropped files and the `SET` section of the settings file.

#include "app/MainLayout.h"
#include "ik7kit.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

class QAction;
class QMenu;
class QTabWidget;
class TVIkCommon;
class TVIkFile;
class TVIkEffect;
class TVIkScan;
class TConvertForm1;
class TConvertForm2;
class TConvertForm3;
class TProgressForm1;
class TBuildTab;
class TSplitTab;
class TViewerTab;

class TMainForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm1(QWidget* parent = nullptr);
    ~TMainForm1() override;

    // Folder of the executable, without a trailing separator; the settings file lies there
    // when the folder is writable (app/SettingsLocation.h).
    QString ProgramDir;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;

    QMenu* F0 = nullptr;
    QMenu* S0 = nullptr;
    QMenu* S4 = nullptr;
    QMenu* S5 = nullptr;
    QMenu* E0 = nullptr;
    QMenu* V0 = nullptr;
    QMenu* Help2 = nullptr;

    QAction* F1 = nullptr;
    QAction* F2 = nullptr;
    QAction* F4 = nullptr;
    QAction* F6 = nullptr;
    QAction* F7 = nullptr;
    QAction* F9 = nullptr;
    QAction* S1 = nullptr;
    QAction* S2 = nullptr;
    QAction* S4_1 = nullptr;
    QAction* S4_2 = nullptr;
    QAction* S5_1 = nullptr;
    QAction* S5_2 = nullptr;
    QAction* E1 = nullptr;
    QAction* E2 = nullptr;
    QAction* E4 = nullptr;
    QAction* V1 = nullptr;
    QAction* V3 = nullptr;
    QAction* V5 = nullptr;
    QAction* V6 = nullptr;
    QAction* V8 = nullptr;
    QAction* N1_1 = nullptr;
    QAction* N1_2 = nullptr;

    // The build tab; its commands are F1, F2, F4, F6, F7, S1, S2, S4_1, S4_2, S5_1 and S5_2.
    TBuildTab* Build = nullptr;
    // The split tab; its commands are E1, E2 and E4.
    TSplitTab* Split = nullptr;
    // The viewer tab; its commands are V1, V3, V5, V6 and V8.
    TViewerTab* Viewer = nullptr;

    // The other windows, created after this one; set once they exist.
    TConvertForm1* ConvertForm1 = nullptr;
    TConvertForm2* ConvertForm2 = nullptr;
    TConvertForm3* ConvertForm3 = nullptr;
    TProgressForm1* ProgressForm1 = nullptr;
    // Hands the other windows, once set, to the tabs whose commands open them.
    void DialogsCreated();

    // Image kit components shared by all tabs.
    TVIkCommon* IkCommon1 = nullptr;
    TVIkFile* IkFile1 = nullptr;
    TVIkEffect* IkEffect1 = nullptr;
    TVIkScan* IkScan1 = nullptr;

    // Where the previews write their one-shot slide list.
    QString previewListPath() const { return previewFolder_.filePath(QStringLiteral("_slide.tmp")); }

    // Top-level menus: each only brings its tab to the front.
    void F0Click();
    void S0Click();
    void E0Click();
    void V0Click();
    // Closes the main window, which ends the program.
    void F9Click();
    void N1_1Click();
    void N1_2Click();

    // Reads the settings file into the window (runs once, at the first show).
    void FormShow();
    // Writes the settings file and releases what the window holds (runs when it closes).
    void FormClose();

    // A key pressed as a menu shortcut: runs the click of each enabled parent menu, then the
    // command when it is enabled. Returns whether the key is one of the menu shortcuts.
    bool ShortcutPressed(const QKeySequence& key);

    // Hands dropped files to the receiver of the active tab; returns which one took them.
    app::DropTarget FilesDropped(const QStringList& paths);

    app::Tab ActiveTab() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Shortcut {
        QKeySequence key;
        QAction* command;
        QMenu* parentMenu;
    };

    void createActions();
    void createMenus();
    void addShortcut(QAction* command, const QKeySequence& key, QMenu* parentMenu);
    void showTab(app::Tab tab);
    void runParentClick(QMenu* menu);

    std::vector<Shortcut> shortcuts_;
    bool shown_ = false;
    // Where the previews' one-shot slide lists are written: private to this run.
    QTemporaryDir previewFolder_;
};
