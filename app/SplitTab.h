#pragma once
// The split tab: one multi-page TIFF as a check list of its pages beside the preview of the
// selected page; the ticked pages are exported each to a single-page TIFF by a split job.
// The main window owns the commands (menu items shared with the speed buttons) and routes
// drops here.

#include <QString>
#include <QStringList>
#include <QWidget>

class QAction;
class QListWidget;
class QMenu;
class QToolButton;
class TConvertForm3;
class TProgressForm1;
class TVIkCommon;
class TVIkFile;
class TVIkSlide;
namespace app {
class PagePreview;
}
namespace widgets {
class TGradBox;
}

class TSplitTab : public QWidget {
public:
    // Load, split, clear.
    struct Commands {
        QAction* E1;
        QAction* E2;
        QAction* E4;
    };
    // The kit components shared with the other tabs.
    struct Kit {
        TVIkCommon* IkCommon1;
        TVIkFile* IkFile1;
    };
    // The dialogs the commands open, created after the main window.
    struct Dialogs {
        TConvertForm3* ConvertForm3 = nullptr;
        TProgressForm1* ProgressForm1 = nullptr;
    };

    TSplitTab(const Commands& commands, const Kit& kit, const QString& previewListPath, QWidget* parent = nullptr);
    void SetDialogs(const Dialogs& dialogs) { dialogs_ = dialogs; }

    widgets::TGradBox* GradBox5 = nullptr;
    widgets::TGradBox* GradBox6 = nullptr;
    QToolButton* SpeedButton3_1 = nullptr;
    QToolButton* SpeedButton3_2 = nullptr;
    QToolButton* SpeedButton3_3 = nullptr;

    // The pages of the current file, each checked to be exported or not.
    QListWidget* CheckListBox1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N2_1 = nullptr;
    QAction* N2_2 = nullptr;
    QAction* N2_3 = nullptr;
    QAction* N2_5 = nullptr;
    // The current file; empty after clear.
    QString OpenDialog2FileName;
    // The preview of the selected page and its requests.
    TVIkSlide* IkSlide2 = nullptr;
    app::PagePreview* Preview2 = nullptr;

    void SpeedButton3_1Click();  // load a TIFF through the dialog
    void SplitDropFiles(const QStringList& paths);
    void CheckListBox1Click();
    void N2_1Click();
    void N2_2Click();
    void N2_3Click();
    void N2_5Click();
    void SpeedButton3_2Click();  // split
    void SpeedButton3_3Click();  // clear

private:
    QWidget* createPageChecks(const QString& previewListPath);
    void loadSplitFile(const QString& path);
    void setSplitCommandsEnabled(bool enabled);
    void checkPages(int choice);

    Commands commands_;
    Kit kit_;
    Dialogs dialogs_;
};
