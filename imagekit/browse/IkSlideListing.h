#pragma once
// The entry list of the slide control's folder modes: every image file of the folders
// for every extension, one entry per file or per image, sorted when asked.

#include "browse/IkSortData.h"

#include <QString>

#include <vector>

struct IkSlideListSettings {
    QString FilePath;
    QString FileExt = QStringLiteral("BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC");
    bool MultiImage = false;  // vikFolderMultiImage
    TVIkSort Sort = vikSortNone;
    TVIkSortDate SortDate = vikSortDateLastWriteTime;
    TVIkSortOrder SortOrder = vikSortOrderInc;
};

// Appends the entries to an empty list. False (the control's ErrorCode 5) for an empty
// FilePath or extension list, or when the folders hold no image at all.
bool ListSlideFolders(const IkSlideListSettings& settings, std::vector<TIKSORTDATA>& entries);
