#pragma once
// The ordered list of entries the thumbnail browser shows: the index file read first,
// then every folder of FilePath listed for every entry of the extension list, changed
// files marked for new thumbnails, and the list sorted unless it was restored.

#include "browse/IkSortData.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct IkListSettings {
    QString FilePath;
    QString FileExt = QStringLiteral("BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC");
    TVIkThumbnailReadMode ReadMode = vikThumbRdDsp;
    TVIkSort Sort = vikSortNone;
    TVIkSortDate SortDate = vikSortDateLastWriteTime;
    TVIkSortOrder SortOrder = vikSortOrderInc;
    std::int16_t ImageSize = 96;
    QString ThumbnailFile;
};

struct IkListResult {
    std::int32_t Result = 0;
    std::uint16_t ErrorCode = 0;
};

bool isMultiImageMode(TVIkThumbnailReadMode mode);

// Entries one file gives: its pages or images in a multi-image mode (the codes 16 to 18
// count as one), else 1.
std::int32_t entriesOfFile(const IKFILEINFO& info, bool multiImage);

// Appends the entries of folder/name that IKFileType can read and that are not listed
// yet (same folder and name without regard to case, same page); the number appended.
std::int32_t appendFileEntries(std::vector<TIKSORTDATA>& entries, const QString& folder, const QString& name,
                               bool multiImage, TVIkSortDate sortDate);

// Builds the list into entries (kept entries stay ahead) and the extension list into
// extList. Result 1; 0 in vikThumbRdImage mode, and 0 with ErrorCode 5 for an empty
// FilePath or extension list.
IkListResult ListFiles(const IkListSettings& settings, std::vector<TIKSORTDATA>& entries, QStringList& extList);
