#include "app/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace app {

namespace {

const QString kFileName = QStringLiteral("RidoreVu.ini");

QString configFolder(const QString& xdgConfigHome, const QString& home) {
    if (!xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome)) return QDir::cleanPath(xdgConfigHome);
    return QDir::cleanPath(home + QStringLiteral("/.config"));
}

}  // namespace

QString SettingsLocation::readPath() const {
    if (seedPath.isEmpty() || QFileInfo::exists(path)) return path;
    return seedPath;
}

SettingsLocation settingsLocation(const QString& programDir, const QString& xdgConfigHome, const QString& home,
                                  const FolderWritable& writable) {
    const QString beside = programDir + u'/' + kFileName;
    if (writable(programDir)) return {beside, QString()};
    const QString own = configFolder(xdgConfigHome, home) + QStringLiteral("/vidirazorod/") + kFileName;
    return {own, QFileInfo::exists(beside) ? beside : QString()};
}

bool isWritableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isWritable();
}

SettingsLocation settingsLocationFor(const QString& programDir) {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    return settingsLocation(programDir, env.value(QStringLiteral("XDG_CONFIG_HOME")), QDir::homePath(),
                            isWritableFolder);
}

platform::Profile readSettings(const SettingsLocation& at) { return platform::Profile(at.readPath()); }

bool writeSettings(platform::Profile& settings, const SettingsLocation& at) {
    settings.setPath(at.path);
    const QString folder = QFileInfo(at.path).absolutePath();
    if (!QDir().mkpath(folder)) return false;
    return settings.flush();
}

}  // namespace app
