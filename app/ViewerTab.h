#pragma once
// The viewer tab: one multi-page TIFF as a column of page thumbnails beside the selected
// page in a scrolling display, with a zoom list, quarter turns of the shown page and the
// display's navigation window. The file is never written from here. The main window owns
// the commands (menu items shared with the speed buttons) and routes them and drops here.

#include "ik7kit.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>

class QAction;
class QComboBox;
class QToolButton;
class TVIkCommon;
class TVIkDisp;
class TVIkEffect;
class TVIkFile;
class TVIkThumb;

namespace widgets {
class TGradBox;
}

class TViewerTab : public QWidget {
public:
    // Load, clear, rotate left, rotate right, navigation window (checkable).
    struct Commands {
        QAction* V1;
        QAction* V3;
        QAction* V5;
        QAction* V6;
        QAction* V8;
    };
    // The kit components shared with the other tabs.
    struct Kit {
        TVIkCommon* IkCommon1;
        TVIkFile* IkFile1;
        TVIkEffect* IkEffect1;
    };

    TViewerTab(const Commands& commands, const Kit& kit, QWidget* parent = nullptr);
    // A tab destroyed without the close step still lets go of its page.
    ~TViewerTab() override;

    widgets::TGradBox* GradBox7 = nullptr;
    widgets::TGradBox* GradBox8 = nullptr;
    QToolButton* SpeedButton4_1 = nullptr;
    QToolButton* SpeedButton4_2 = nullptr;
    QToolButton* SpeedButton4_3 = nullptr;
    QToolButton* SpeedButton4_4 = nullptr;
    QToolButton* SpeedButton4_5 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    TVIkThumb* IkThumb1 = nullptr;
    TVIkDisp* IkDisp1 = nullptr;
    // The current file; empty after clear.
    QString OpenDialog3FileName;

    void SpeedButton4_1Click();  // load through the open dialog
    // Files dropped on the tab: each TIFF name in turn is loaded, the last stays.
    void DropFiles(const QStringList& paths);
    void IkDisp1GetDragDropFileName(TVIkDisp* Sender, const QString& FileName, std::int16_t Page);
    void IkThumb1SelectFile(TVIkThumb* Sender, const QString& PathName, const QString& FileName,
                            std::int16_t ImageNumber, std::int16_t MaxImage, std::int16_t ALeft, std::int16_t ATop,
                            std::int16_t ARight, std::int16_t ABottom);
    void ComboBox1Change();
    void SpeedButton4_3Click();  // rotate left
    void SpeedButton4_4Click();  // rotate right
    // The navigation command: the button and the menu item share one checkable command, so
    // its check mark is the button's down state, toggled before this runs.
    void SpeedButton4_5Click();
    void SpeedButton4_2Click();  // clear
    // Run by the main window's close sequence: lets go of the shown page.
    void CloseStep();

private:
    QWidget* createBody();
    void loadFile(const QString& path);
    void showPage(int imageNumber);
    void rotate(std::int32_t angle);
    void releaseShownImage();
    void setViewerGroupEnabled(bool enabled);

    // The page as the last page selection showed it: a selection that finds it still so (the
    // release of the click whose press showed it) has nothing to do.
    struct ShownPage {
        QString path;
        int number = 0;
        IKHANDLE image = 0;
        int startX = 0, startY = 0;
        double scale = 0;
        bool operator==(const ShownPage&) const = default;
    };
    ShownPage shownAsSelected(const QString& path, int number) const;
    ShownPage selected_;

    Commands commands_;
    Kit kit_;
};
