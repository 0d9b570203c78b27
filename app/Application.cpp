#include "app/Application.h"

#include "app/Guard.h"

#include <QFont>

namespace app {

void showException(const QString& text) {
    platform::prompts().message(text.isEmpty() ? QStringLiteral("予期しないエラーが発生しました。") : text);
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("RidoreVu"));
    setApplicationDisplayName(QStringLiteral("VidiraZorod"));
    installFontSubstitutes();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    runGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void installFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
}

}  // namespace app
