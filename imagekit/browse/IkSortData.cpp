#include "browse/IkSortData.h"

#include "platform/GlobalMemory.h"

#include <cstring>

QString fileDateText(const TIKSORTDATA& entry) {
    return QString::fromLatin1(entry.FileDate, static_cast<qsizetype>(strnlen(entry.FileDate, kFileDateSignificant)));
}

void setFileDate(TIKSORTDATA& entry, const QString& date) {
    std::memset(entry.FileDate, 0, sizeof entry.FileDate);
    const QByteArray bytes = date.toLatin1().left(static_cast<qsizetype>(kFileDateSignificant - 1));
    std::memcpy(entry.FileDate, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void FreeThumb(TIKSORTDATA& entry) {
    if (entry.Thumb) platform::globalFree(entry.Thumb);
    entry.Thumb = 0;
}

void FreeSortData(TIKSORTDATA& entry) {
    FreeThumb(entry);
    entry.PathName.clear();
    entry.FileName.clear();
}

void FreeSortDataList(std::vector<TIKSORTDATA>& entries) {
    for (TIKSORTDATA& entry : entries) FreeSortData(entry);
    entries.clear();
}

bool sameImage(const TIKSORTDATA& entry, const QString& folder, const QString& name, std::int16_t page) {
    return entry.Page == page && entry.FileName.compare(name, Qt::CaseInsensitive) == 0 &&
           entry.PathName.compare(folder, Qt::CaseInsensitive) == 0;
}
