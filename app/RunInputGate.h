#pragma once
// The user's input while a job runs on the window thread and turns the event loop: only
// the stop button takes clicks and keys, Esc anywhere asks to stop, and every other
// click, key, wheel turn, shortcut, drop or window close is dropped. It filters the
// application's events for as long as it exists, so it is made for one turn at a time.

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace app {

class RunInputGate : public QObject {
public:
    RunInputGate(QWidget* stopButton, std::function<void()> stop);
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
};

}  // namespace app
