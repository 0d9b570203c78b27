#pragma once
// The application object: sets the title and fonts, and shows any exception that escapes
// event delivery instead of ending the program.

#include <QApplication>

namespace app {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Maps the layout's Japanese font names to the IPA fonts installed on the system.
void installFontSubstitutes();

}  // namespace app
