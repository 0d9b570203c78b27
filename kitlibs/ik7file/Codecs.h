#pragma once
// The decoders behind IKFileType and IKFileLoad, one set per format. Each fills the
// file-information record or returns a new bitmap, and leaves a status on failure.

#include "Progress.h"
#include "ik7kit.h"

namespace kit {

bool tiffPageInfo(const char* path, int page, IKFILEINFO& info);
IKHANDLE loadTiffPage(const char* path, int page, Progress& progress);

bool jpegFileInfo(const char* path, IKFILEINFO& info);
IKHANDLE loadJpegFile(const char* path, Progress& progress);

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
IKHANDLE loadJ2kFile(const char* path, Progress& progress);

}  // namespace kit
