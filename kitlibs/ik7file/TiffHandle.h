#pragma once
// libtiff handles that report through quiet handlers instead of the terminal and bound
// libtiff's own allocations.

#include <memory>

#include <tiffio.h>

namespace kit {

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// TIFFOpen with `mode`; null when the file cannot be opened or has no valid header.
TiffPtr openTiff(const char* path, const char* mode);
// The same on an open descriptor, which the handle closes; on failure the caller still owns it.
TiffPtr openTiffDescriptor(int fd, const char* name, const char* mode);

}  // namespace kit
