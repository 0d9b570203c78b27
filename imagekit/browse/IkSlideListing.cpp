#include "browse/IkSlideListing.h"

#include "Ikdllprocs.h"
#include "browse/IkFileNames.h"
#include "browse/Ikutils.h"

#include <QDir>

#include <algorithm>
#include <limits>

using namespace IkBrowse;

namespace {

bool fileInfo(const QByteArray& path, std::int32_t page, IKFILEINFO& info) {
    return Ikdllprocs::IkFileType && Ikdllprocs::IkFileType(path.constData(), page, &info) != IK_FALSE;
}

void appendImages(std::vector<TIKSORTDATA>& entries, const QString& folder, const QString& name,
                  const IkSlideListSettings& settings) {
    const QByteArray path = joinPath(folder, name).toUtf8();
    IKFILEINFO info{};
    if (!fileInfo(path, 0, info)) return;
    const std::int32_t count =
        settings.MultiImage ? std::clamp<std::int32_t>(info.pageCount, 1, std::numeric_limits<std::int16_t>::max()) : 1;
    const QString date = GetFileDateTimeEx(name, folder, settings.SortDate);
    for (std::int32_t i = 0; i < count; ++i) {
        IKFILEINFO pageInfo{};
        if (i > 0 && !fileInfo(path, i, pageInfo)) continue;
        TIKSORTDATA entry;
        entry.PathName = folder;
        entry.FileName = name;
        entry.Page = static_cast<std::int16_t>(i);
        setFileDate(entry, date);
        entries.push_back(entry);
    }
}

}  // namespace

bool ListSlideFolders(const IkSlideListSettings& settings, std::vector<TIKSORTDATA>& entries) {
    const QStringList folders = GetPathDir(settings.FilePath);
    const QStringList extList = GetPathFileExt(settings.FileExt);
    if (folders.isEmpty() || extList.isEmpty()) return false;
    std::int64_t total = 0;
    for (const QString& folder : folders)
        for (const QString& ext : extList) total += GetDirFileCount(folder, QStringLiteral("*.") + ext);
    if (total == 0) return false;
    for (const QString& folder : folders)
        for (const QString& ext : extList)
            for (const QString& name : QDir(folder).entryList(QStringList{QStringLiteral("*.") + ext},
                                                              QDir::Files | QDir::System, QDir::Name | QDir::IgnoreCase))
                appendImages(entries, folder, name, settings);
    if (settings.Sort != vikSortNone && entries.size() > 1)
        sortEntries(entries, {settings.Sort, settings.SortOrder, extList});
    return true;
}
