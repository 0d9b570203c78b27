#pragma once
// The thumbnail index file kept between runs: entries and their thumbnails restored at
// the start of a listing, thumbnails of changed files dropped, and the list written back.

#include "browse/IkSortData.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct IkThumbIndexSettings {
    QString ThumbnailFile;  // empty: no index file
    std::int16_t ImageSize = 96;
    TVIkSortDate SortDate = vikSortDateLastWriteTime;
    QStringList FileExtArray;
};

// Whether the extension list accepts the file named by path.
bool CheckThumbIndexFile(const QString& path, const QStringList& extList);

// Merges the records of the index file into entries. A record counts only when its file
// exists, the extension list accepts it and IKFileType reads its page. An entry listed
// already takes the stored thumbnail, or loses its own when the stored one is of another
// size or date; other records are appended in file order, without thumbnail when the
// file's date changed. A missing, foreign or damaged file yields the records before the
// damage. Deletes the index file when no entry exists afterwards.
void ReadThumbIndexFile(const IkThumbIndexSettings& settings, std::vector<TIKSORTDATA>& entries);

// Frees the thumbnail of every entry whose file date (of the chosen kind) has changed.
void CheckDateThumbIndexFile(TVIkSortDate sortDate, std::vector<TIKSORTDATA>& entries);

// Writes the header and one record per entry in list order to a temporary file beside
// the index file and renames it over it, so that a failed write leaves the old file
// whole. No entries: the index file is deleted. False with errorCode 6 on failure.
bool WriteThumbIndexFile(const QString& file, std::int16_t imageSize, const std::vector<TIKSORTDATA>& entries,
                         std::uint16_t& errorCode);
