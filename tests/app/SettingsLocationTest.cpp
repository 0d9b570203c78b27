// Where the settings file lives: beside the executable while that folder takes files, else in
// the user's configuration folder, seeded from a file beside the executable; and the real
// window reading and writing it there.
#include "app/Mainwindow1.h"
#include "app/SettingsLocation.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_) qputenv(name_, old_);
        else qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

TEST(SettingsLocation, ProgramFolderWhenWritableElseConfigFolderSeededFromProgramFolder) {
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    const QString beside = program.filePath(QStringLiteral("RidoreVu.ini"));
    const QString home = QStringLiteral("/home/ユーザー");
    const QString own = QStringLiteral("/cfg/vidirazorod/RidoreVu.ini");
    const QString ownInHome = home + QStringLiteral("/.config/vidirazorod/RidoreVu.ini");
    struct Case {
        const char* what;
        bool writable, fileBeside;
        QString xdg, path, seed;
    };
    const Case cases[] = {
        {"writable folder, no file", true, false, QStringLiteral("/cfg"), beside, QString()},
        {"writable folder with file", true, true, QStringLiteral("/cfg"), beside, QString()},
        {"read-only folder, no file", false, false, QStringLiteral("/cfg"), own, QString()},
        {"read-only folder with file", false, true, QStringLiteral("/cfg/"), own, beside},
        {"configuration home unset", false, false, QString(), ownInHome, QString()},
        {"configuration home relative", false, true, QStringLiteral("cfg"), ownInHome, beside},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(beside);
        if (c.fileBeside) writeFile(beside, "[SET]\n");
        QStringList asked;
        const app::SettingsLocation at =
            app::settingsLocation(program.path(), c.xdg, home, [&](const QString& folder) {
                asked << folder;
                return c.writable;
            });
        EXPECT_EQ(at.path, c.path);
        EXPECT_EQ(at.seedPath, c.seed);
        EXPECT_EQ(asked, QStringList{program.path()});
    }
}

TEST(SettingsLocation, SeedIsReadOnlyUntilTheOwnFileExists) {
    QTemporaryDir dir;
    const QString seed = dir.filePath(QStringLiteral("shipped.ini"));
    const QString own = dir.filePath(QStringLiteral("config/vidirazorod/RidoreVu.ini"));
    writeFile(seed, "; shipped\n[SET]\nM_LEFT=40\n");
    const app::SettingsLocation at{own, seed};

    platform::Profile settings = app::readSettings(at);
    EXPECT_EQ(settings.readInteger(QStringLiteral("SET"), QStringLiteral("M_LEFT"), 0), 40);
    settings.writeInteger(QStringLiteral("SET"), QStringLiteral("M_TOP"), 7);
    ASSERT_TRUE(app::writeSettings(settings, at));
    // The whole seed went into the new file, which is read from now on; the seed is untouched.
    EXPECT_EQ(readFile(own), QByteArray("; shipped\n[SET]\nM_LEFT=40\nM_TOP=7\n"));
    EXPECT_EQ(readFile(seed), QByteArray("; shipped\n[SET]\nM_LEFT=40\n"));
    writeFile(seed, "[SET]\nM_LEFT=99\n");
    EXPECT_EQ(app::readSettings(at).readInteger(QStringLiteral("SET"), QStringLiteral("M_LEFT"), 0), 40);
}

TEST(SettingsLocation, UnwritableConfigurationFolderFailsQuietly) {
    QTemporaryDir dir;
    // Even root cannot make a folder below a plain file.
    const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
    writeFile(blocker, "x");
    const QString seed = dir.filePath(QStringLiteral("RidoreVu.ini"));
    writeFile(seed, "[SET]\nZOOM=3\n");
    const app::SettingsLocation at = app::settingsLocation(dir.path(), blocker, QString(), [](const QString&) { return false; });
    platform::Profile settings = app::readSettings(at);
    EXPECT_EQ(settings.readInteger(QStringLiteral("SET"), QStringLiteral("ZOOM"), -1), 3);
    settings.writeInteger(QStringLiteral("SET"), QStringLiteral("ZOOM"), 5);
    EXPECT_FALSE(app::writeSettings(settings, at));
    EXPECT_EQ(readFile(seed), QByteArray("[SET]\nZOOM=3\n"));
    EXPECT_EQ(readFile(blocker), QByteArray("x"));
}

TEST(SettingsLocation, WritableFolderIsAnExistingFolderThisUserMayWriteIn) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain"));
    writeFile(file, "x");
    EXPECT_TRUE(app::isWritableFolder(dir.path()));
    EXPECT_FALSE(app::isWritableFolder(file));
    EXPECT_FALSE(app::isWritableFolder(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(app::isWritableFolder(QString()));
}

// An installed program: its folder takes no files, so the window keeps its settings in the
// configuration folder, made at the first close, and finds them at the next start.
TEST(SettingsLocation, WindowOfAnInstalledProgramKeepsItsSettingsInTheConfigurationFolder) {
    ScriptedPrompts prompts;
    QTemporaryDir config;
    const ScopedEnv env("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString own = config.filePath(QStringLiteral("vidirazorod/RidoreVu.ini"));
    {
        TMainForm1 window;
        window.ProgramDir = QStringLiteral("/proc/no-such-program-folder");
        window.show();
        window.move(40, 60);
        window.close();
    }
    ASSERT_TRUE(QFile::exists(own));
    EXPECT_EQ(platform::Profile(own).readInteger(QStringLiteral("SET"), QStringLiteral("M_LEFT"), 0), 40);
    TMainForm1 again;
    again.ProgramDir = QStringLiteral("/proc/no-such-program-folder");
    again.show();
    EXPECT_EQ(again.pos(), QPoint(40, 60));
    again.close();
}

}  // namespace
