#include "TiffHandle.h"

namespace kit {
namespace {

// Errors and warnings are not shown: a failure reaches the caller as a status.
int quietHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// No single libtiff allocation beyond this (a strip or tile buffer, a tag array).
constexpr tmsize_t kLargestLibtiffBlock = tmsize_t(1) << 30;

template <typename Open>
TiffPtr openQuietly(const Open& open) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, quietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quietHandler, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kLargestLibtiffBlock);
    TiffPtr tiff(open(options));
    TIFFOpenOptionsFree(options);
    return tiff;
}

}  // namespace

TiffPtr openTiff(const char* path, const char* mode) {
    return openQuietly([&](TIFFOpenOptions* options) { return TIFFOpenExt(path, mode, options); });
}

TiffPtr openTiffDescriptor(int fd, const char* name, const char* mode) {
    return openQuietly([&](TIFFOpenOptions* options) { return TIFFFdOpenExt(fd, name, mode, options); });
}

}  // namespace kit
