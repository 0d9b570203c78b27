// Program entry: the application object, the five windows, the files named on the command
// line, the event loop.
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Guard.h"
#include "app/OpenFiles.h"
#include "app/Windows.h"

#include <QTimer>

int main(int argc, char** argv) {
    app::TApplication application(argc, argv);
    app::runGuarded([] {
        AppWindows windows = AppWindows::create();
        windows.MainForm1->show();
        // Once the loop runs, so the window is up behind any message about the files.
        QTimer::singleShot(0, windows.MainForm1.get(), [main = windows.MainForm1.get()] {
            app::runGuarded([main] { app::openCommandLineFiles(*main, app::commandLineFilesOfThisProcess()); });
        });
        QApplication::exec();
    });
    return 0;
}
