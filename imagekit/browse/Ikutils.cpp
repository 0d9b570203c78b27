#include "browse/Ikutils.h"

#include "Ikdllprocs.h"
#include "browse/IkFileNames.h"

#include <QDir>

using namespace IkBrowse;

std::optional<QString> sortKey(const TIKSORTDATA& entry, const IkSortSettings& settings) {
    if (settings.Sort == vikSortNone) return std::nullopt;
    const QString page = QString::asprintf("%04d", entry.Page);
    const QString date = fileDateText(entry);
    const QString& name = entry.FileName;
    const QString& dir = entry.PathName;
    const bool withExt = settings.Sort == vikSortFileExtName || settings.Sort == vikSortFileExtDate ||
                         settings.Sort == vikSortDirFileExtName || settings.Sort == vikSortDirFileExtDate;
    QString ext;
    if (withExt) {
        const std::optional<QString> found = GetFileExt(name, settings.FileExtArray);
        if (!found) return std::nullopt;
        ext = *found;
    }
    switch (settings.Sort) {
    case vikSortFileName: return name + page;
    case vikSortDate: return date + name + page;
    case vikSortFileExtName: return ext + name + page;
    case vikSortFileExtDate: return ext + date + name + page;
    case vikSortDirFileName: return dir + name + page;
    case vikSortDirDate: return dir + date + name + page;
    case vikSortDirFileExtName: return dir + ext + name + page;
    case vikSortDirFileExtDate: return dir + ext + date + name + page;
    case vikSortNone: break;
    }
    return std::nullopt;
}

int SortProc(const TIKSORTDATA& a, const TIKSORTDATA& b, const IkSortSettings& settings) {
    const std::optional<QString> keyA = sortKey(a, settings);
    const std::optional<QString> keyB = sortKey(b, settings);
    if (!keyA || !keyB) return 0;
    return settings.SortOrder == vikSortOrderDec ? keyB->compare(*keyA, Qt::CaseInsensitive)
                                                 : keyA->compare(*keyB, Qt::CaseInsensitive);
}

void sortEntries(std::vector<TIKSORTDATA>& entries, const IkSortSettings& settings) {
    if (settings.Sort == vikSortNone) return;
    QSort(entries.data(), entries.size(),
          [&settings](const TIKSORTDATA& a, const TIKSORTDATA& b) { return SortProc(a, b, settings); });
}

std::int64_t GetDirFileCount(const QString& folder, const QString& pattern) {
    if (!Ikdllprocs::IkFileType) return 0;
    std::int64_t total = 0;
    const QStringList names = QDir(folder).entryList(QStringList{pattern}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        IKFILEINFO info{};
        const QByteArray path = joinPath(folder, name).toUtf8();
        if (Ikdllprocs::IkFileType(path.constData(), 0, &info) && info.pageCount > 0) total += info.pageCount;
    }
    return total;
}
