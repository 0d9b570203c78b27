#include "app/CommandLine.h"

#include "app/SplitNaming.h"

#include <QDir>
#include <QUrl>

namespace app {

namespace {

QString absolutePathOf(const QString& argument, const QString& currentDir) {
    QString path = argument;
    if (argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        const QUrl url(argument);
        if (url.isLocalFile()) path = url.toLocalFile();
    }
    return QDir::cleanPath(QDir(currentDir).absoluteFilePath(path));
}

}  // namespace

CommandLineFiles commandLineFiles(const QStringList& arguments, const QString& currentDir, const IsFile& isFile) {
    CommandLineFiles result;
    for (const QString& argument : arguments) {
        if (argument.isEmpty()) continue;
        const QString path = absolutePathOf(argument, currentDir);
        if (isFile(path)) result.files << path;
        else result.missing << argument;
    }
    result.tab = result.files.size() == 1 && isTiffName(result.files.first()) ? Tab::View : Tab::Build;
    return result;
}

QString missingFilesMessage(const QStringList& missing) {
    QStringList lines;
    for (const QString& name : missing) lines << QStringLiteral("ファイルが見つかりません: ") + name;
    return lines.join(u'\n');
}

}  // namespace app
