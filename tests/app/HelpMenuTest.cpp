#include "app/MainLayout.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(HelpMenu, InformationPageNamesTheExecutableWithoutExtension) {
    for (const char* name : {"RidoreVu", "RidoreVu.exe", "/opt/vz/RidoreVu"}) {
        const QString url = app::informationPageUrl(QString::fromLatin1(name));
        EXPECT_TRUE(url.endsWith(QStringLiteral("/info.php?pf=w&sn=RidoreVu"))) << url.toStdString();
    }
}

TEST(HelpMenu, UsersGuideLiesBesideTheProgram) {
    // Test programs are built into the same folder as the program.
    QFile guide(QStringLiteral(VZ_BUILD_DIR "/Readme.txt"));
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(guide.readAll()).contains(QStringLiteral("ﾏﾙﾁTIFFの分割")));
}
