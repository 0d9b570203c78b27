#include "platform/desktop/Shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

namespace platform {

bool shellOpen(const QString& pathOrUrl) {
    const QUrl url = pathOrUrl.contains(QLatin1String("://")) ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

void beep() { QApplication::beep(); }

}  // namespace platform
