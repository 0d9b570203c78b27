#include "browse/IkThumbIndex.h"

#include "Ikdllprocs.h"
#include "browse/IkFileNames.h"
#include "browse/IkThumbIndexFormat.h"
#include "platform/GlobalMemory.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>

using namespace IkBrowse;

namespace {

IKHANDLE copyToBlock(const QByteArray& image) {
    if (image.isEmpty()) return 0;
    const platform::GlobalHandle handle = platform::globalAlloc(static_cast<std::size_t>(image.size()), false);
    platform::GlobalLock lock(handle);
    if (!lock) return 0;
    std::memcpy(lock.data(), image.constData(), static_cast<std::size_t>(image.size()));
    return handle;
}

bool fileReadable(const QString& path, std::int16_t page) {
    if (!Ikdllprocs::IkFileType) return false;
    IKFILEINFO info{};
    return Ikdllprocs::IkFileType(path.toUtf8().constData(), page, &info) != IK_FALSE;
}

void useRecord(const ThumbIndexRecord& record, bool outOfDate, TVIkSortDate sortDate,
               std::vector<TIKSORTDATA>& entries) {
    const QString storedDate = QString::fromLatin1(record.FileDate);
    for (TIKSORTDATA& entry : entries) {
        if (!sameImage(entry, record.PathName, record.FileName, record.Page)) continue;
        FreeThumb(entry);
        if (!outOfDate && storedDate == fileDateText(entry)) entry.Thumb = copyToBlock(record.Image);
        return;
    }
    TIKSORTDATA entry;
    entry.PathName = record.PathName;
    entry.FileName = record.FileName;
    entry.Page = record.Page;
    const QString current = GetPathFileDateTime(joinPath(record.PathName, record.FileName), sortDate);
    if (current != storedDate) {
        setFileDate(entry, current);
    } else {
        setFileDate(entry, storedDate);
        if (!outOfDate) entry.Thumb = copyToBlock(record.Image);
    }
    entries.push_back(entry);
}

}  // namespace

bool CheckThumbIndexFile(const QString& path, const QStringList& extList) {
    return GetFileExt(QFileInfo(path).fileName(), extList).has_value();
}

void ReadThumbIndexFile(const IkThumbIndexSettings& settings, std::vector<TIKSORTDATA>& entries) {
    if (settings.ThumbnailFile.isEmpty()) return;
    QFile file(settings.ThumbnailFile);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return;
    ThumbIndexReader reader(file);
    const std::optional<std::int16_t> storedSize = reader.readHeader();
    if (!storedSize) return;
    const bool outOfDate = *storedSize != settings.ImageSize;
    while (const std::optional<ThumbIndexRecord> record = reader.next()) {
        const QString path = joinPath(record->PathName, record->FileName);
        if (!QFileInfo(path).isFile() || !CheckThumbIndexFile(path, settings.FileExtArray) ||
            !fileReadable(path, record->Page))
            continue;
        useRecord(*record, outOfDate, settings.SortDate, entries);
    }
    file.close();
    if (entries.empty()) QFile::remove(settings.ThumbnailFile);
}

void CheckDateThumbIndexFile(TVIkSortDate sortDate, std::vector<TIKSORTDATA>& entries) {
    for (TIKSORTDATA& entry : entries)
        if (GetFileDateTimeEx(entry.FileName, entry.PathName, sortDate) != fileDateText(entry)) FreeThumb(entry);
}

bool WriteThumbIndexFile(const QString& file, std::int16_t imageSize, const std::vector<TIKSORTDATA>& entries,
                         std::uint16_t& errorCode) {
    if (entries.empty()) return QFile::remove(file) || !QFileInfo::exists(file);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        errorCode = 6;
        return false;
    }
    const QByteArray header = encodeThumbIndexHeader(imageSize);
    bool written = out.write(header) == header.size();
    for (const TIKSORTDATA& entry : entries) {
        if (!written) break;
        const std::optional<QByteArray> record = encodeThumbIndexRecord(entry, imageSize);
        written = record && out.write(*record) == record->size();
    }
    if (!written) {
        out.cancelWriting();
        out.commit();
        errorCode = 6;
        return false;
    }
    if (!out.commit()) {
        errorCode = 6;
        return false;
    }
    return true;
}
