// Program entry: the application object, the five windows, the event loop.
#include "app/Application.h"
#include "app/Guard.h"
#include "app/Windows.h"

int main(int argc, char** argv) {
    app::TApplication application(argc, argv);
    app::runGuarded([] {
        AppWindows windows = AppWindows::create();
        windows.MainForm1->show();
        QApplication::exec();
    });
    return 0;
}
