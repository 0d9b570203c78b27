#include "TiffHandle.h"

namespace kit {
namespace {

// Errors and warnings are not shown: a failure reaches the caller as a status.
int quietHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// No single libtiff allocation beyond this (a strip or tile buffer, a tag array).
constexpr tmsize_t kLargestLibtiffBlock = tmsize_t(1) << 30;

}  // namespace

TiffPtr openTiff(const char* path, const char* mode) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, quietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quietHandler, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kLargestLibtiffBlock);
    TiffPtr tiff(TIFFOpenExt(path, mode, options));
    TIFFOpenOptionsFree(options);
    return tiff;
}

}  // namespace kit
