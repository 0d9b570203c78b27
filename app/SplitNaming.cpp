#include "app/SplitNaming.h"

#include "app/PageList.h"

#include <QFileInfo>

namespace app {

QString exportNumberText(std::optional<int> number, int digits) {
    if (!number || digits < 1 || digits > 8) return QString();
    return QStringLiteral("%1").arg(*number, digits, 10, QLatin1Char('0'));
}

QString splitTargetPath(const QString& folder, const QString& sourcePath, const QString& numberText) {
    const QString extension = fileExtension(sourcePath);
    const QString stem = sourcePath.left(sourcePath.size() - extension.size());
    const QString name = QFileInfo(stem + u'_' + numberText + QStringLiteral(".tif")).fileName();
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString folderWithoutTrailingSeparator(const QString& folder) {
    if (folder.size() > 1 && folder.endsWith(u'/')) return folder.chopped(1);
    return folder;
}

bool isTiffName(const QString& path) {
    const QString extension = fileExtension(path);
    return extension.compare(QStringLiteral(".TIF"), Qt::CaseInsensitive) == 0 ||
           extension.compare(QStringLiteral(".TIFF"), Qt::CaseInsensitive) == 0;
}

QList<bool> pageChecks(int pageCount, PageChoice choice) {
    QList<bool> checks;
    for (int n = 1; n <= pageCount; ++n) {
        switch (choice) {
            case PageChoice::All: checks << true; break;
            case PageChoice::Odd: checks << (n % 2 == 1); break;
            case PageChoice::Even: checks << (n % 2 == 0); break;
            case PageChoice::None: checks << false; break;
        }
    }
    return checks;
}

}  // namespace app
