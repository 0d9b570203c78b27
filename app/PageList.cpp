#include "app/PageList.h"

#include <QCollator>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace app {

QString pageLabel(int n) { return QStringLiteral(" page ") + QString::number(n); }

QString fileExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot < path.lastIndexOf(u'/')) return QString();
    return path.mid(dot);
}

bool isRegistrableDropName(const QString& path) {
    static const QStringList extensions{
        QStringLiteral(".BMP"), QStringLiteral(".JPG"), QStringLiteral(".JPEG"), QStringLiteral(".J2K"),
        QStringLiteral(".JP2"), QStringLiteral(".GIF"), QStringLiteral(".TIF"),  QStringLiteral(".TIFF"),
        QStringLiteral(".PCX"), QStringLiteral(".FPX"), QStringLiteral(".PNG")};
    return extensions.contains(fileExtension(path), Qt::CaseInsensitive);
}

void sortPathsForUser(QStringList& paths) {
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(paths.begin(), paths.end(),
                     [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
}

int PageList::registerExisting(const QStringList& names) {
    int taken = 0;
    for (const QString& name : names) {
        if (!QFileInfo(name).isFile()) continue;
        paths_ << name;
        ++taken;
    }
    return taken;
}

int PageList::registerDropped(const QStringList& names) {
    int taken = 0;
    for (const QString& name : names) {
        if (!isRegistrableDropName(name)) continue;
        paths_ << name;
        ++taken;
    }
    return taken;
}

bool PageList::deleteRow(int row) {
    if (row < 1 || row > count()) return false;
    paths_.removeAt(row - 1);
    return true;
}

void PageList::moveRow(int from, int to) {
    if (from < 1 || to < 1 || from > count() || to > count()) return;
    paths_.move(from - 1, to - 1);
}

}  // namespace app
