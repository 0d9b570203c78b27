#pragma once
// The application object: sets the title and fonts, speaks Japanese in Qt's own dialogs, and
// shows any exception that escapes event delivery instead of ending the program.

#include "app/QtTextsJapanese.h"

#include <QApplication>
#include <QTranslator>

namespace app {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    QTranslator qtTranslator_;
    QtTextsJapanese missingQtTexts_;
};

// Maps the layout's Japanese font names to the IPA fonts installed on the system.
void installFontSubstitutes();

// Loads Qt's own Japanese texts (file dialogs, standard buttons, context menus) into the
// translator and installs it, whatever the user's locale; false when the catalogue is missing.
bool installQtJapanese(QTranslator& translator);

}  // namespace app
