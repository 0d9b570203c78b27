// The format-independent entries: facts of a file page and loading any page, the format
// recognised from the file's content.
#include "Codecs.h"
#include "DecodeLimits.h"
#include "FormatDetect.h"
#include "KitCall.h"

#include <cstring>

namespace {

// The page value that asks for a PNG's alpha channel to be kept.
constexpr std::int32_t kAlphaPage = 32767;

bool fileInfo(const char* path, int page, IKFILEINFO& info) {
    switch (kit::detectFileFormat(path)) {
    case kit::ImageFormat::Tiff: return kit::tiffPageInfo(path, page, info);
#define IK_SINGLE(format, call) \
    case kit::ImageFormat::format: return page == 0 ? call : kit::fail(IK_ERR_ARGUMENT, false);
    IK_SINGLE(Jpeg, kit::jpegFileInfo(path, info))
    IK_SINGLE(Png, kit::pngFileInfo(path, info))
    IK_SINGLE(Bmp, kit::bmpFileInfo(path, info))
    IK_SINGLE(Pcx, kit::pcxFileInfo(path, info))
    IK_SINGLE(Jp2, kit::j2kFileInfo(path, info))
    IK_SINGLE(J2kStream, kit::j2kFileInfo(path, info))
#undef IK_SINGLE
    case kit::ImageFormat::Gif: return kit::gifFileInfo(path, page, info);
    case kit::ImageFormat::Fpx: return kit::fpxFileInfo(path, page, info);
    case kit::ImageFormat::Unknown: break;
    }
    return kit::fail(kit::fileSizeOf(path) < 0 ? IK_ERR_FILE_OPEN : IK_ERR_FILE_READ, false);
}

IKHANDLE loadAny(const char* path, int page, kit::Progress& progress) {
    const bool keepAlpha = page == kAlphaPage;
    switch (kit::detectFileFormat(path)) {
    case kit::ImageFormat::Tiff: return kit::loadTiffPage(path, page, progress);
    case kit::ImageFormat::Gif: return kit::loadGifImage(path, keepAlpha ? 0 : page, progress);
    case kit::ImageFormat::Png: return kit::loadPngFile(path, keepAlpha ? 2 : 1, progress);
    case kit::ImageFormat::Fpx: return kit::loadFpxFile(path, keepAlpha ? 0 : page, progress);
#define IK_SINGLE(format, call) \
    case kit::ImageFormat::format: return page == 0 || keepAlpha ? call : kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
    IK_SINGLE(Jpeg, kit::loadJpegFile(path, progress))
    IK_SINGLE(Bmp, kit::loadBmpFile(path, progress))
    IK_SINGLE(Pcx, kit::loadPcxFile(path, progress))
    IK_SINGLE(Jp2, kit::loadJ2kFile(path, progress))
    IK_SINGLE(J2kStream, kit::loadJ2kFile(path, progress))
#undef IK_SINGLE
    case kit::ImageFormat::Unknown: break;
    }
    return kit::fail<IKHANDLE>(kit::fileSizeOf(path) < 0 ? IK_ERR_FILE_OPEN : IK_ERR_FILE_READ, 0);
}

// loadAny with the decoders that can shrink while they decode asked for a picture of at
// least atLeastWidth × atLeastHeight.
IKHANDLE loadAnyReduced(const char* path, int page, std::int32_t atLeastWidth, std::int32_t atLeastHeight,
                        kit::Progress& progress) {
    switch (kit::detectFileFormat(path)) {
    case kit::ImageFormat::Tiff: return kit::loadTiffPageReduced(path, page, atLeastWidth, atLeastHeight, progress);
    case kit::ImageFormat::Jpeg:
        if (page != 0) return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        return kit::loadJpegFile(path, progress, atLeastWidth, atLeastHeight);
    case kit::ImageFormat::Jp2:
    case kit::ImageFormat::J2kStream:
        if (page != 0) return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        return kit::loadJ2kFile(path, progress, atLeastWidth, atLeastHeight);
    case kit::ImageFormat::Fpx:
        if (page != 0) return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        return kit::loadFpxFileReduced(path, atLeastWidth, atLeastHeight, progress);
    default: return loadAny(path, page, progress);
    }
}

}  // namespace

IK_API IKBOOL IKFileType(const char* path, int32_t page, void* record) {
    return kit::guarded(IK_FALSE, [&] {
        if (!path || !record) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        IKFILEINFO info{};
        if (!fileInfo(path, page, info)) return IK_FALSE;
        std::memcpy(record, &info, sizeof(info));
        return IK_TRUE;
    });
}

IK_API IKHANDLE IKFileLoad(const char* path, int32_t page, int32_t, int32_t, IKPROGRESSPROC progress, const char*,
                           const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (!path) return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        kit::Progress relay(progress);
        return loadAny(path, page, relay);
    });
}

IK_API IKHANDLE IKFileLoadReduced(const char* path, int32_t page, int32_t maxWidth, int32_t maxHeight,
                                  IKPROGRESSPROC progress) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (!path) return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        kit::Progress relay(progress);
        return loadAnyReduced(path, page, maxWidth, maxHeight, relay);
    });
}
