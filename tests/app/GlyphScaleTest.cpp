// The speed buttons' 16 × 16 glyphs on a screen of ratio 2: doubled pixel for pixel, not
// smoothed into a blur.
#include "app/Mainwindow1.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

TEST(GlyphScale, GlyphsAtRatioTwoAreTheirPixelsDoubled) {
    ScriptedPrompts prompts;
    TMainForm1 window;
    for (QAction* command : {window.F1, window.F2, window.S1, window.E1, window.V5}) {
        SCOPED_TRACE(command->objectName().toStdString());
        const QImage base = command->icon().pixmap(QSize(16, 16), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage twice = command->icon().pixmap(QSize(16, 16), 2.0).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(base.size(), QSize(16, 16));
        ASSERT_EQ(twice.size(), QSize(32, 32));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) ASSERT_EQ(twice.pixel(x, y), base.pixel(x / 2, y / 2)) << x << "," << y;
    }
}

}  // namespace
