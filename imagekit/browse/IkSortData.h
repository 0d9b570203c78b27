#pragma once
// The entry record shared by the thumbnail browser and the slide control, and the
// enumerations that choose how entries are listed and ordered.

#include "ik7kit.h"

#include <QString>

#include <cstdint>
#include <vector>

enum TVIkThumbnailReadMode : std::uint8_t {
    vikThumbRd = 0,
    vikThumbRdDsp = 1,
    vikThumbRdMultiImg = 2,
    vikThumbRdDspMultiImg = 3,
    vikThumbRdImage = 4,
};

enum TVIkSort : std::uint8_t {
    vikSortNone = 0,
    vikSortFileName = 1,
    vikSortDate = 2,
    vikSortFileExtName = 3,
    vikSortFileExtDate = 4,
    vikSortDirFileName = 5,
    vikSortDirDate = 6,
    vikSortDirFileExtName = 7,
    vikSortDirFileExtDate = 8,
};

enum TVIkSortDate : std::uint8_t {
    vikSortDateCreationTime = 0,
    vikSortDateLastWriteTime = 1,
    vikSortDateLastAccessTime = 2,
};

enum TVIkSortOrder : std::uint8_t { vikSortOrderInc = 0, vikSortOrderDec = 1 };

// Bytes of a date text: 14 digits and the terminating zero are significant.
inline constexpr std::size_t kFileDateBytes = 16;
inline constexpr std::size_t kFileDateSignificant = 15;

// One listed file, or one image of a multi-image file. Copies share the thumbnail
// handle; FreeSortData releases it, once, for the entry that owns it.
struct TIKSORTDATA {
    IKHANDLE Thumb = 0;  // packed bitmap in a global block, 0 while not made
    QString PathName;    // folder without trailing delimiter
    QString FileName;    // name without folder
    char FileDate[kFileDateBytes] = {};
    std::int16_t Page = 0;
    std::int32_t Selected = 0;
};

// The date as a text (at most 14 characters are kept).
QString fileDateText(const TIKSORTDATA& entry);
void setFileDate(TIKSORTDATA& entry, const QString& date);

// Frees the entry's thumbnail (when present) and empties its texts.
void FreeSortData(TIKSORTDATA& entry);
// Frees the thumbnail only; the entry stays listed.
void FreeThumb(TIKSORTDATA& entry);
// Frees every entry and empties the list.
void FreeSortDataList(std::vector<TIKSORTDATA>& entries);

// Whether two entries name the same image: folder and name compared without regard to
// case, and the same page.
bool sameImage(const TIKSORTDATA& entry, const QString& folder, const QString& name, std::int16_t page);
