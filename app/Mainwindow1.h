#pragma once
// The main window: three tabs (build, split, view) with their caption bars and button strips,
// the menu bar whose commands are shared with the speed buttons, the status bar, the routing
// of dropped files and the `SET` section of the settings file.

#include "app/MainLayout.h"
#include "app/PageList.h"
#include "ik7kit.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

class QAction;
class QListWidget;
class QMenu;
class QTabWidget;
class QToolButton;
class TVIkCommon;
class TVIkFile;
class TVIkEffect;
class TVIkScan;
class TVIkSlide;
namespace app {
class PagePreview;
class ScanJob;
}
class TConvertForm1;
class TConvertForm2;
class TConvertForm3;
class TProgressForm1;
class TViewerTab;

namespace widgets {
class TGradBox;
class TStringGrid;
}

class TMainForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm1(QWidget* parent = nullptr);
    ~TMainForm1() override;

    // Number of data rows registered in the page list.
    int RegisteredCount = 0;
    // Folder of the executable, without a trailing separator; the settings file lies there
    // when the folder is writable (app/SettingsLocation.h).
    QString ProgramDir;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;

    widgets::TGradBox* GradBox1 = nullptr;
    widgets::TGradBox* GradBox2 = nullptr;
    widgets::TGradBox* GradBox3 = nullptr;
    widgets::TGradBox* GradBox4 = nullptr;
    widgets::TGradBox* GradBox5 = nullptr;
    widgets::TGradBox* GradBox6 = nullptr;

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

    QToolButton* SpeedButton1_1 = nullptr;
    QToolButton* SpeedButton1_2 = nullptr;
    QToolButton* SpeedButton1_3 = nullptr;
    QToolButton* SpeedButton1_4 = nullptr;
    QToolButton* SpeedButton1_5 = nullptr;
    QToolButton* SpeedButton2_1 = nullptr;
    QToolButton* SpeedButton2_2 = nullptr;
    QToolButton* SpeedButton3_1 = nullptr;
    QToolButton* SpeedButton3_2 = nullptr;
    QToolButton* SpeedButton3_3 = nullptr;

    // The viewer tab; its commands are V1, V3, V5, V6 and V8.
    TViewerTab* Viewer = nullptr;

    // The other windows, created after this one; set once they exist.
    TConvertForm1* ConvertForm1 = nullptr;
    TConvertForm2* ConvertForm2 = nullptr;
    TConvertForm3* ConvertForm3 = nullptr;
    TProgressForm1* ProgressForm1 = nullptr;

    // Image kit components shared by all tabs.
    TVIkCommon* IkCommon1 = nullptr;
    TVIkFile* IkFile1 = nullptr;
    TVIkEffect* IkEffect1 = nullptr;
    TVIkScan* IkScan1 = nullptr;

    // Page list of the build tab and the preview of its selected row.
    widgets::TStringGrid* StringGrid1 = nullptr;
    TVIkSlide* IkSlide1 = nullptr;

    void SpeedButton1_1Click();  // register files through the open dialog
    void SpeedButton1_3Click();  // sort
    void SpeedButton1_4Click();  // delete the current row
    void SpeedButton1_5Click();  // clear, after confirmation
    void SpeedButton1_2Click();  // build a multi-page TIFF from the list
    // The last name chosen in the save dialog of the build and scan commands.
    QString SaveDialog1FileName;
    void PageListDropFiles(const QStringList& paths);
    void StringGrid1SelectCell(int ACol, int ARow, bool& CanSelect);
    void StringGrid1RowMoved(int FromIndex, int ToIndex);
    const app::PageList& Pages() const { return pages_; }

    // Scan half of the build tab: the installed sources, and the last scanned page image,
    // which stays in the progress display until the next scanned page arrives.
    QListWidget* ListBox1 = nullptr;
    IKHANDLE ScannedPage = 0;
    void SpeedButton2_1Click();  // list the sources
    void SpeedButton2_2Click();  // scan into a multi-page TIFF
    void S4_1Click();            // native transfer
    void S4_2Click();            // memory transfer
    void S5_1Click();            // device dialog kept open
    void S5_2Click();            // device dialog closed after acquiring
    void IkScan1AfterScan(TVIkScan* Sender, std::uint32_t DibHandle, std::uint32_t OrgHandle, std::int32_t ImageCount,
                          std::int16_t BitOrder);

    // Split tab: the pages of the current file, each checked to be exported or not.
    QListWidget* CheckListBox1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N2_1 = nullptr;
    QAction* N2_2 = nullptr;
    QAction* N2_3 = nullptr;
    QAction* N2_5 = nullptr;
    // The split tab's current file; empty after clear.
    QString OpenDialog2FileName;
    // The preview of the selected page.
    TVIkSlide* IkSlide2 = nullptr;
    // The previews' requests; a test or a caller that needs the picture now flushes them.
    app::PagePreview* Preview1 = nullptr;
    app::PagePreview* Preview2 = nullptr;
    // Where the previews write their one-shot slide list.
    QString previewListPath() const { return previewFolder_.filePath(QStringLiteral("_slide.tmp")); }

    void SpeedButton3_1Click();  // load a TIFF through the dialog
    void SplitDropFiles(const QStringList& paths);
    void CheckListBox1Click();
    void N2_1Click();
    void N2_2Click();
    void N2_3Click();
    void N2_5Click();
    void SpeedButton3_2Click();  // split
    void SpeedButton3_3Click();  // clear

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
    QWidget* createBuildTab();
    QWidget* createSplitTab();
    QWidget* createPageList();
    QWidget* createSourceList();
    void startScanner();
    void stopScanner();
    void showPageList();
    void setListCommandsEnabled(bool enabled);
    void showPreviewOfRow(int row);
    void closePreview();
    QWidget* createPageChecks();
    void loadSplitFile(const QString& path);
    void setSplitCommandsEnabled(bool enabled);
    void checkPages(int choice);
    // One row of a build: true when the row added its page to the output.
    bool buildPage(const QString& source, const QString& output);
    void addShortcut(QAction* command, const QKeySequence& key, QMenu* parentMenu);
    void showTab(app::Tab tab);
    void runParentClick(QMenu* menu);

    std::vector<Shortcut> shortcuts_;
    // The scan running now; the after-scan event goes to it.
    app::ScanJob* scanJob_ = nullptr;
    bool shown_ = false;
    app::PageList pages_;
    // Where the previews' one-shot slide lists are written: private to this run.
    QTemporaryDir previewFolder_;
};
