#include "platform/desktop/Prompts.h"

#include <gtest/gtest.h>

TEST(Prompts, KitFilterBecomesQtFilter) {
    EXPECT_EQ(platform::qtFilterFromKitFilter(QStringLiteral("TIFF (*.tif)|*.tif;*.tiff|すべて|*.*")),
              QStringLiteral("TIFF (*.tif) (*.tif *.tiff);;すべて (*)"));
    EXPECT_EQ(platform::qtFilterFromKitFilter(QStringLiteral("A|*.a|dangling")), QStringLiteral("A (*.a)"));
    EXPECT_EQ(platform::qtFilterFromKitFilter(QString()), QString());
}

TEST(Prompts, DefaultExtensionOnlyWhenNoneGiven) {
    EXPECT_EQ(platform::withDefaultExtension(QStringLiteral("/t/out"), QStringLiteral("tif")),
              QStringLiteral("/t/out.tif"));
    EXPECT_EQ(platform::withDefaultExtension(QStringLiteral("/t/out.tiff"), QStringLiteral("tif")),
              QStringLiteral("/t/out.tiff"));
    EXPECT_EQ(platform::withDefaultExtension(QStringLiteral("/t.d/out"), QStringLiteral("tif")),
              QStringLiteral("/t.d/out.tif"));
}
