#include "platform/ExecutableDir.h"

#include <QFileInfo>

#include <unistd.h>

#include <climits>

namespace platform {

QString executableDir() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return QString();
    buffer[n] = '\0';
    return QFileInfo(QString::fromLocal8Bit(buffer, n)).absolutePath();
}

}  // namespace platform
