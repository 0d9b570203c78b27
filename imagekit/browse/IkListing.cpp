#include "browse/IkListing.h"

#include "Ikdllprocs.h"
#include "browse/IkFileNames.h"
#include "browse/IkThumbIndex.h"
#include "browse/Ikutils.h"

#include <algorithm>
#include <limits>

using namespace IkBrowse;

namespace {

bool countsAsOneEntry(std::uint16_t fileType) { return fileType >= 16 && fileType <= 18; }

bool fileInfo(const QByteArray& path, std::int32_t page, IKFILEINFO& info) {
    return Ikdllprocs::IkFileType && Ikdllprocs::IkFileType(path.constData(), page, &info) != IK_FALSE;
}

bool listed(const std::vector<TIKSORTDATA>& entries, const QString& folder, const QString& name, std::int16_t page) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const TIKSORTDATA& entry) { return sameImage(entry, folder, name, page); });
}

}  // namespace

bool isMultiImageMode(TVIkThumbnailReadMode mode) {
    return mode == vikThumbRdMultiImg || mode == vikThumbRdDspMultiImg;
}

std::int32_t entriesOfFile(const IKFILEINFO& info, bool multiImage) {
    if (!multiImage || countsAsOneEntry(info.fileType)) return 1;
    return std::clamp<std::int32_t>(info.pageCount, 1, std::numeric_limits<std::int16_t>::max());
}

std::int32_t appendFileEntries(std::vector<TIKSORTDATA>& entries, const QString& folder, const QString& name,
                               bool multiImage, TVIkSortDate sortDate) {
    const QByteArray path = joinPath(folder, name).toUtf8();
    IKFILEINFO info{};
    if (!fileInfo(path, 0, info)) return 0;
    const std::int32_t count = entriesOfFile(info, multiImage);
    const QString date = GetFileDateTimeEx(name, folder, sortDate);
    std::int32_t appended = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const auto page = static_cast<std::int16_t>(i);
        IKFILEINFO pageInfo{};
        if (i > 0 && !fileInfo(path, i, pageInfo)) continue;
        if (listed(entries, folder, name, page)) continue;
        TIKSORTDATA entry;
        entry.PathName = folder;
        entry.FileName = name;
        entry.Page = page;
        setFileDate(entry, date);
        entries.push_back(entry);
        ++appended;
    }
    return appended;
}

IkListResult ListFiles(const IkListSettings& settings, std::vector<TIKSORTDATA>& entries, QStringList& extList) {
    if (settings.ReadMode == vikThumbRdImage) return {0, 0};
    const QStringList folders = GetPathDir(settings.FilePath);
    if (folders.isEmpty()) return {0, 5};
    extList = GetPathFileExt(settings.FileExt);
    if (extList.isEmpty()) return {0, 5};

    ReadThumbIndexFile({settings.ThumbnailFile, settings.ImageSize, settings.SortDate, extList}, entries);
    const std::size_t restored = entries.size();

    const bool multiImage = isMultiImageMode(settings.ReadMode);
    for (const QString& folder : folders)
        for (const QString& extEntry : extList)
            for (const QString& name : findFiles(folder, extEntry, true))
                if (GetFileExt(name, extList)) appendFileEntries(entries, folder, name, multiImage, settings.SortDate);
    CheckDateThumbIndexFile(settings.SortDate, entries);

    if (settings.Sort != vikSortNone && entries.size() > 1 && restored <= 1)
        sortEntries(entries, {settings.Sort, settings.SortOrder, extList});
    return {1, 0};
}
