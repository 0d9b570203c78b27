#pragma once
// The build tab: the page list of registered files with the preview of its selected row and
// the build command, and below it the scan half with the source list and the scan command.
// The main window owns the commands (menu items shared with the speed buttons) and routes
// drops here; the build itself is a job working on the list, not on the grid.

#include "app/PageList.h"
#include "ik7kit.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>

class QAction;
class QListWidget;
class QToolButton;
class TConvertForm1;
class TConvertForm2;
class TProgressForm1;
class TVIkCommon;
class TVIkEffect;
class TVIkFile;
class TVIkScan;
class TVIkSlide;
namespace app {
class PagePreview;
class ScanJob;
}  // namespace app
namespace widgets {
class TGradBox;
class TStringGrid;
}  // namespace widgets

class TBuildTab : public QWidget {
public:
    // Register, build, sort, delete, clear; list sources, scan, the two transfer modes and
    // the two device-window choices.
    struct Commands {
        QAction* F1;
        QAction* F2;
        QAction* F4;
        QAction* F6;
        QAction* F7;
        QAction* S1;
        QAction* S2;
        QAction* S4_1;
        QAction* S4_2;
        QAction* S5_1;
        QAction* S5_2;
    };
    // The kit components shared with the other tabs.
    struct Kit {
        TVIkCommon* IkCommon1;
        TVIkFile* IkFile1;
        TVIkEffect* IkEffect1;
        TVIkScan* IkScan1;
    };
    // The dialogs the commands open, created after the main window.
    struct Dialogs {
        TConvertForm1* ConvertForm1 = nullptr;
        TConvertForm2* ConvertForm2 = nullptr;
        TProgressForm1* ProgressForm1 = nullptr;
    };

    TBuildTab(const Commands& commands, const Kit& kit, const QString& previewListPath, QWidget* parent = nullptr);
    void SetDialogs(const Dialogs& dialogs) { dialogs_ = dialogs; }

    widgets::TGradBox* GradBox1 = nullptr;
    widgets::TGradBox* GradBox2 = nullptr;
    widgets::TGradBox* GradBox3 = nullptr;
    widgets::TGradBox* GradBox4 = nullptr;
    QToolButton* SpeedButton1_1 = nullptr;
    QToolButton* SpeedButton1_2 = nullptr;
    QToolButton* SpeedButton1_3 = nullptr;
    QToolButton* SpeedButton1_4 = nullptr;
    QToolButton* SpeedButton1_5 = nullptr;
    QToolButton* SpeedButton2_1 = nullptr;
    QToolButton* SpeedButton2_2 = nullptr;

    // Page list and the preview of its selected row.
    widgets::TStringGrid* StringGrid1 = nullptr;
    TVIkSlide* IkSlide1 = nullptr;
    app::PagePreview* Preview1 = nullptr;
    // Number of data rows registered in the page list.
    int RegisteredCount = 0;
    // The last name chosen in the save dialog of the build and scan commands.
    QString SaveDialog1FileName;
    const app::PageList& Pages() const { return pages_; }

    void SpeedButton1_1Click();  // register files through the open dialog
    void SpeedButton1_2Click();  // build a multi-page TIFF from the list
    void SpeedButton1_3Click();  // sort
    void SpeedButton1_4Click();  // delete the current row
    void SpeedButton1_5Click();  // clear, after confirmation
    void PageListDropFiles(const QStringList& paths);
    void StringGrid1SelectCell(int ACol, int ARow, bool& CanSelect);
    void StringGrid1RowMoved(int FromIndex, int ToIndex);

    // Scan half: the installed sources, and the last scanned page image, which stays in the
    // progress display until the next scanned page arrives.
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
    // Whether a scan still hands pages to its file; the program must not close meanwhile.
    bool ScanRunning() const { return scanJob_ != nullptr; }
    // Run by the main window's close sequence: lets go of the last scanned page and ends the
    // connection to the scanners.
    void CloseStep();

private:
    QWidget* createPageList(const QString& previewListPath);
    QWidget* createSourceList();
    void connectCommands();
    void startScanner();
    void showPageList();
    void setListCommandsEnabled(bool enabled);
    void showPreviewOfRow(int row);

    Commands commands_;
    Kit kit_;
    Dialogs dialogs_;
    app::PageList pages_;
    // The scan running now; the after-scan event goes to it.
    app::ScanJob* scanJob_ = nullptr;
};
