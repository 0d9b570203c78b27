#pragma once
// Runs a handler and shows any exception that escapes it in a message box with its text;
// the program then goes on as if the handler had returned.

#include "platform/desktop/Prompts.h"

#include <QAction>
#include <QString>
#include <exception>
#include <utility>

namespace app {

void showException(const QString& text);

template <typename F>
void runGuarded(F&& handler) {
    try {
        std::forward<F>(handler)();
    } catch (const std::exception& e) {
        showException(QString::fromUtf8(e.what()));
    } catch (...) {
        showException(QString());
    }
}

// Connects a command to its handler so that an exception never unwinds through Qt's frames.
template <typename F>
void connectCommand(QAction* command, QObject* context, F handler) {
    QObject::connect(command, &QAction::triggered, context, [handler] { runGuarded(handler); });
}

}  // namespace app
