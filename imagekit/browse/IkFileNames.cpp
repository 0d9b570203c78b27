#include "browse/IkFileNames.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace IkBrowse {

QStringList GetPathFileExt(const QString& fileExt) {
    QStringList list;
    for (const QString& part : fileExt.split(QLatin1Char(';'))) {
        const QString entry = part.trimmed();
        if (entry.isEmpty() || entry.toUtf8().size() >= kFileExtEntryBytes) continue;
        if (list.size() >= kFileExtMaxCount) break;
        list.append(entry);
    }
    return list;
}

QStringList GetPathDir(const QString& filePath) {
    QStringList folders;
    for (const QString& part : filePath.split(QLatin1Char(';'))) {
        QString folder = part.trimmed();
        while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
        if (!folder.isEmpty()) folders.append(folder);
    }
    return folders;
}

std::optional<QString> GetFileExt(const QString& name, const QStringList& extList) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot < 0 ? QString() : name.mid(dot + 1);
    for (const QString& entry : extList) {
        if (!entry.contains(QLatin1Char('.'))) {
            if (dot >= 0 && entry.compare(ext, Qt::CaseInsensitive) == 0) return ext;
            continue;
        }
        const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(entry),
                                         QRegularExpression::CaseInsensitiveOption);
        if (pattern.match(name).hasMatch()) return ext;
    }
    return std::nullopt;
}

QString joinPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QStringList findFiles(const QString& folder, const QString& entry, bool withHidden) {
    const QFileInfo named(joinPath(folder, entry));
    if (named.isFile()) {
        if (named.isHidden() && !withHidden) return {};
        return QStringList{named.fileName()};
    }
    const QString pattern = entry.contains(QLatin1Char('.')) ? entry : QStringLiteral("*.") + entry;
    QDir::Filters filters = QDir::Files | QDir::System;
    if (withHidden) filters |= QDir::Hidden;
    return QDir(folder).entryList(QStringList{pattern}, filters, QDir::Name | QDir::IgnoreCase);
}

QString GetPathFileDateTime(const QString& path, TVIkSortDate kind) {
    const QFileInfo info(path);
    if (!info.exists()) return {};
    QDateTime time;
    switch (kind) {
    case vikSortDateCreationTime:
        time = info.birthTime();
        if (!time.isValid()) time = info.lastModified();
        break;
    case vikSortDateLastAccessTime:
        time = info.lastRead();
        break;
    case vikSortDateLastWriteTime:
        time = info.lastModified();
        break;
    }
    return time.toUTC().toString(QStringLiteral("yyyyMMddhhmmss"));
}

QString GetFileDateTimeEx(const QString& name, const QString& folder, TVIkSortDate kind) {
    return GetPathFileDateTime(joinPath(folder, name), kind);
}

}  // namespace IkBrowse
