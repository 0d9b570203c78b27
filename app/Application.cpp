#include "app/Application.h"

#include "app/Guard.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>

namespace app {

void showException(const QString& text) {
    platform::prompts().message(text.isEmpty() ? QStringLiteral("予期しないエラーが発生しました。") : text);
}

// No application display name is set: Qt would append it to every window title on X11, and each
// dialog's title must read exactly as given. Plain messages take the title from the prompts.
TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("RidoreVu"));
    platform::setApplicationTitle(QStringLiteral("VidiraZorod"));
    installQtJapanese(qtTranslator_);
    QCoreApplication::installTranslator(&missingQtTexts_);
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

bool installQtJapanese(QTranslator& translator) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    // Dates and sizes in the file dialog follow the language of its texts.
    QLocale::setDefault(japanese);
    if (!translator.load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

}  // namespace app
