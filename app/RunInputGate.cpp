#include "app/RunInputGate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace app {

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

}  // namespace

RunInputGate::RunInputGate(QWidget* stopButton, std::function<void()> stop,
                           std::function<void(QWindow*)> closeLater)
    : stopButton_(stopButton), stop_(std::move(stop)), closeLater_(std::move(closeLater)) {
    if (QCoreApplication* application = QCoreApplication::instance()) application->installEventFilter(this);
}

RunInputGate::~RunInputGate() {
    if (QCoreApplication* application = QCoreApplication::instance()) application->removeEventFilter(this);
}

bool RunInputGate::onWayToStopButton(QObject* watched) const {
    if (!stopButton_) return false;
    if (watched == stopButton_) return true;
    const QWidget* window = stopButton_->window();
    return window && watched == window->windowHandle();
}

bool RunInputGate::eventFilter(QObject* watched, QEvent* event) {
    // A modal dialog opened inside the turn (an error box) answers the user by itself and
    // keeps input from the other windows.
    if (QApplication::activeModalWidget()) return false;
    const QEvent::Type type = event->type();
    // Esc asks to stop wherever the focus is; the key goes no further.
    if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (stop_) stop_();
        return true;
    }
    if (type == QEvent::KeyRelease && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) return true;
    // A window closed through the window system (its title-bar button, or QWindow::close)
    // stays open while the job runs and is closed after the run.
    if (type == QEvent::Close && event->spontaneous())
        if (auto* window = qobject_cast<QWindow*>(watched)) {
            if (closeLater_) closeLater_(window);
            event->ignore();
            return true;
        }
    if (!isUserInput(type)) return false;
    return !onWayToStopButton(watched);
}

}  // namespace app
