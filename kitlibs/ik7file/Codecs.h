#pragma once
// The decoders behind IKFileType and IKFileLoad, one set per format. Each fills the
// file-information record or returns a new bitmap, and leaves a status on failure.

#include "Progress.h"
#include "ik7kit.h"

#include <cstdint>

namespace kit {

bool tiffPageInfo(const char* path, int page, IKFILEINFO& info);
IKHANDLE loadTiffPage(const char* path, int page, Progress& progress);
// A page of at least atLeastWidth × atLeastHeight decoded smaller where the coding allows:
// a bilevel page area-averaged into 8-bit grey of that size (its proportions kept) while its rows are read, a JPEG-coded page scaled
// by libjpeg; other pages as loadTiffPage loads them.
IKHANDLE loadTiffPageReduced(const char* path, int page, std::int32_t atLeastWidth, std::int32_t atLeastHeight,
                             Progress& progress);

bool jpegFileInfo(const char* path, IKFILEINFO& info);
IKHANDLE loadJpegFile(const char* path, Progress& progress, std::int32_t atLeastWidth = 0,
                      std::int32_t atLeastHeight = 0);

bool pngFileInfo(const char* path, IKFILEINFO& info);
// Mode 1 composes alpha onto white (24 bits), mode 2 keeps it (32 bits).
IKHANDLE loadPngFile(const char* path, int mode, Progress& progress);

bool gifFileInfo(const char* path, int image, IKFILEINFO& info);
IKHANDLE loadGifImage(const char* path, int image, Progress& progress);

bool bmpFileInfo(const char* path, IKFILEINFO& info);
IKHANDLE loadBmpFile(const char* path, Progress& progress);

bool pcxFileInfo(const char* path, IKFILEINFO& info);
IKHANDLE loadPcxFile(const char* path, Progress& progress);

bool j2kFileInfo(const char* path, IKFILEINFO& info);
// With atLeastWidth and atLeastHeight above 0, the fewest resolution levels that still give
// a picture of at least that size are decoded.
IKHANDLE loadJ2kFile(const char* path, Progress& progress, std::int32_t atLeastWidth = 0,
                     std::int32_t atLeastHeight = 0);

// Level 0 is the full resolution; pageCount is the number of levels.
bool fpxFileInfo(const char* path, int level, IKFILEINFO& info);
IKHANDLE loadFpxFile(const char* path, int level, Progress& progress);
// The smallest level of at least atLeastWidth × atLeastHeight (the full one when none is).
IKHANDLE loadFpxFileReduced(const char* path, std::int32_t atLeastWidth, std::int32_t atLeastHeight,
                            Progress& progress);

}  // namespace kit
