#pragma once
// A SANE configuration of the tests' own, never the system's: dll.conf names the test
// backend only (or no backend), test.conf holds the given lines, and the configuration
// home is a temporary folder. SANE reads the files whenever a connection starts, but takes
// the folder from SANE_CONFIG_DIR only once per process: a configuration made while one
// is in place rewrites the files in that folder and puts the old contents back when done.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdlib>
#include <optional>

#include <dlfcn.h>

// SANE's test backend stays loaded after sane_exit, so that its own one-time allocations
// are reported by name (and suppressed) rather than as those of an unknown module.
inline void keepSaneTestBackendLoaded() {
    static void* backend = dlopen(SANE_TEST_BACKEND, RTLD_NOW | RTLD_NODELETE);
    (void)backend;
}

class SaneTestConfig {
public:
    explicit SaneTestConfig(const QStringList& testConf = {}, bool testBackend = true) {
        keepSaneTestBackendLoaded();
        if (const char* current = std::getenv("SANE_CONFIG_DIR")) {
            folder_ = QString::fromLocal8Bit(current);
            savedDll_ = read(QStringLiteral("dll.conf"));
            savedTest_ = read(QStringLiteral("test.conf"));
        } else {
            own_.emplace();
            folder_ = own_->path();
            QDir(folder_).mkpath(QStringLiteral("home"));
            setenv("SANE_CONFIG_DIR", folder_.toLocal8Bit().constData(), 1);
            setenv("XDG_CONFIG_HOME", (folder_ + QStringLiteral("/home")).toLocal8Bit().constData(), 1);
        }
        write(QStringLiteral("dll.conf"), testBackend ? QByteArray("test\n") : QByteArray());
        write(QStringLiteral("test.conf"), testConf.join(u'\n').toUtf8() + '\n');
    }
    ~SaneTestConfig() {
        if (own_) {
            unsetenv("SANE_CONFIG_DIR");
            unsetenv("XDG_CONFIG_HOME");
            return;
        }
        write(QStringLiteral("dll.conf"), savedDll_);
        write(QStringLiteral("test.conf"), savedTest_);
    }
    SaneTestConfig(const SaneTestConfig&) = delete;
    SaneTestConfig& operator=(const SaneTestConfig&) = delete;

    QString path() const { return folder_; }

    // Two colour devices drawing the colour pattern over their whole area (200 mm square).
    static QStringList colourDevices(int dpi = 50) {
        return {QStringLiteral("number_of_devices 2"), QStringLiteral("mode Color"), QStringLiteral("depth 8"),
                QStringLiteral("resolution %1").arg(dpi), QStringLiteral("test-picture \"Color pattern\""),
                // A descriptor to watch lets a cancel wait until the backend's reader runs.
                QStringLiteral("select-fd true")};
    }

private:
    QByteArray read(const QString& name) const {
        QFile f(folder_ + u'/' + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString& name, const QByteArray& content) const {
        QFile f(folder_ + u'/' + name);
        if (f.open(QIODevice::WriteOnly)) f.write(content);
    }

    std::optional<QTemporaryDir> own_;
    QString folder_;
    QByteArray savedDll_, savedTest_;
};
