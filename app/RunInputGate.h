#pragma once
// The user's input while a job runs on the window thread and turns the event loop: only
// the stop button takes clicks and keys, Esc anywhere asks to stop, a window's close is
// handed on to be done after the run, and every other click, key, wheel turn, shortcut or
// drop is dropped; all of it goes through while a modal dialog opened during the turn is
// up. It filters the application's events for as long as it exists, so it is made for one
// turn at a time.

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;
class QWindow;

namespace app {

class RunInputGate : public QObject {
public:
    // stop: what Esc does; closeLater: takes a window whose close was held back.
    RunInputGate(QWidget* stopButton, std::function<void()> stop, std::function<void(QWindow*)> closeLater);
    ~RunInputGate() override;
    RunInputGate(const RunInputGate&) = delete;
    RunInputGate& operator=(const RunInputGate&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The button itself, or the native window of its window, through which its events pass.
    bool onWayToStopButton(QObject* watched) const;

    QPointer<QWidget> stopButton_;
    std::function<void()> stop_;
    std::function<void(QWindow*)> closeLater_;
};

}  // namespace app
