#pragma once
// Modeless progress window shown while a build or split runs: the file being worked on,
// the page count so far and in all, a gradient progress bar and the current page's picture.

#include <QDialog>

#include <cstdint>

namespace widgets {
class TGradBox;
class TShadowLabel;
class TdxfProgressBar;
}  // namespace widgets
class QFrame;
class TVIkDisp;

class TProgressForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TProgressForm1(QWidget* parent = nullptr);

    widgets::TGradBox* GradBox2 = nullptr;
    widgets::TShadowLabel* Label1 = nullptr;
    widgets::TShadowLabel* Label2 = nullptr;
    widgets::TShadowLabel* Label4 = nullptr;  // file name
    widgets::TShadowLabel* Label5 = nullptr;  // current count
    widgets::TShadowLabel* Label6 = nullptr;  // total
    widgets::TShadowLabel* ShadowLabel1 = nullptr;
    widgets::TdxfProgressBar* ProgressBar1 = nullptr;
    // Bevel around the page picture.
    QFrame* DispBevel = nullptr;
    // The page being processed, fitted.
    TVIkDisp* IkDisp1 = nullptr;

    // Before a run: the file, "0" of `total`, the bar empty; shows the window and paints it.
    void BeginRun(const QString& fileName, int total);
    // After page `number` is written: the count and the bar move to it and the window is painted.
    void PageDone(int number);
    // After the run (also after a failed one).
    void EndRun();
    // The page being processed (not owned; 0 for none), shown fitted in the window's picture.
    void ShowPage(std::uint32_t image);

    // Paints the window now, while the caller keeps the event loop busy; input stays queued.
    void RepaintNow();
    void ShowPageOf(const QString&, int) {}  // TEMP
    bool StopRequested() const { return false; }  // TEMP
};
