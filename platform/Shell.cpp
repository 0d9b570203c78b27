#include "platform/Shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <unistd.h>

#include <climits>

namespace platform {

bool shellOpen(const QString& pathOrUrl) {
    const QUrl url = pathOrUrl.contains(QLatin1String("://")) ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

void beep() { QApplication::beep(); }

QString executableDir() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return QString();
    buffer[n] = '\0';
    return QFileInfo(QString::fromLocal8Bit(buffer, n)).absolutePath();
}

}  // namespace platform
