#pragma once
// Modeless progress window shown while a build or split runs: the file being worked on,
// the page count so far and in all, a gradient progress bar, the current page's picture
// and a stop button.
//
// The job runs on the window thread and turns the event loop through the window: after
// each page (PageDone) and from its progress callbacks and between steps (Tick). A turn
// takes a finished picture, handles pending events with the user's input held to the stop
// button and Esc, and repaints the window. Tick turns once kTickIntervalMs have passed
// since the last turn, so a job that ticks at least every kTickIntervalMs of its work gets
// the window repainted at least every 100 ms.

#include <QDialog>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>

#include <cstdint>
#include <memory>

namespace widgets {
class TGradBox;
class TShadowLabel;
class TdxfProgressBar;
}  // namespace widgets
class QFrame;
class QPushButton;
class QWindow;
class TVIkDisp;
namespace app {
class PagePicture;
}

class TProgressForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TProgressForm1(QWidget* parent = nullptr);
    ~TProgressForm1() override;

    // Tick turns the event loop when the last turn is at least this long ago.
    static constexpr int kTickIntervalMs = 40;

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
    // "中止": asks the job to stop after the page under way; enabled during a run only.
    QPushButton* StopButton = nullptr;

    // Before a run: the file, "0" of `total`, the bar empty, no stop asked, the stop button
    // enabled; shows the window and paints it.
    void BeginRun(const QString& fileName, int total);
    // After page `number` is written: the count and the bar move to it; the window is painted
    // at the next tick (at once when the last turn is a tick old).
    void PageDone(int number);
    // After the run (also after a failed one): the picture the window decoded is let go and
    // freed, any decode still under way is abandoned, the stop button disabled, the window
    // closed; windows whose close was held back during the run are closed once the job's
    // handler lets the event loop run.
    void EndRun();
    // An image the job holds (not owned; 0 for none), shown fitted in the window's picture
    // at once; a picture still being decoded for the window is abandoned.
    void ShowPage(std::uint32_t image);
    // Page `page` (from 0) of the file at `path`, decoded at the picture's size on the
    // window's worker thread while the job goes on, and shown at a later turn. The newest
    // request wins: pages the decoder could not catch up with are left out of the picture.
    void ShowPageOf(const QString& path, int page);

    // Whether the stop button or Esc asked the job to stop since BeginRun.
    bool StopRequested() const { return stopRequested_; }
    // What the stop button and Esc do: during a run, asks the job to stop.
    void RequestStop();
    // Whether a run is between BeginRun and EndRun.
    bool Running() const { return running_; }
    // Whether a picture asked for with ShowPageOf is still to be shown.
    bool PicturePending() const;

    // A turn (see above) when the last one is at least kTickIntervalMs ago; cheap otherwise.
    void Tick();
    // A turn now.
    void RepaintNow();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows the picture the worker finished, if any, and frees the one it replaces.
    void takePicture();
    // Lets go of the picture the window decoded and frees it.
    void releasePicture();

    std::unique_ptr<app::PagePicture> picture_;
    std::uint32_t ownPicture_ = 0;  // the decoded picture IkDisp1 shows, 0 for none
    bool running_ = false;
    bool stopRequested_ = false;
    QElapsedTimer lastTurn_;
    QList<QPointer<QWindow>> closeAfterRun_;
};
