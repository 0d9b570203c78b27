#include "DefaultSource.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace scan {

std::string defaultSourcePath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (folder + QStringLiteral("/VidiraZorod/scan-source")).toStdString();
}

std::string readDefaultSource() {
    QFile file(QString::fromStdString(defaultSourcePath()));
    if (!file.open(QIODevice::ReadOnly)) return {};
    // One line; a device name is short, anything longer is not ours.
    return QString::fromUtf8(file.read(1024)).section(QLatin1Char('\n'), 0, 0).trimmed().toStdString();
}

void writeDefaultSource(const std::string& saneName) {
    const QString path = QString::fromStdString(defaultSourcePath());
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(QByteArray::fromStdString(saneName + "\n"));
    file.commit();
}

}  // namespace scan
