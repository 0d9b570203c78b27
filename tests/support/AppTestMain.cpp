// Test entry for the windows: the program's own application object (fonts, exception box),
// on the offscreen platform chosen before it exists.
#include "app/Application.h"
#include "support/SaneTestConfig.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A window whose program folder cannot take files keeps its settings in the user's
    // configuration folder: a private one here, never the real home.
    const QTemporaryDir configHome;
    setenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit().constData(), 1);
    app::TApplication application(argc, argv);
    // Every main window connects to SANE: the test backend only, never the system's scanners.
    const SaneTestConfig sane(SaneTestConfig::colourDevices());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
