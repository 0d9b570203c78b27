// FlashPix: facts, loading (any resolution level, counted from the full one) from a file
// or from memory.
#include "Codecs.h"
#include "FileBytes.h"
#include "FormatDetect.h"
#include "FpxImage.h"
#include "FpxLayout.h"
#include "KitCall.h"

#include <algorithm>
#include <cstring>

namespace kit {
namespace {

std::uint16_t fileTypeOf(std::uint32_t compression) {
    switch (compression) {
    case fpx::kTileSingleColour: return IK_FILETYPE_FPX_SINGLE_COLOUR;
    case fpx::kTileJpeg: return IK_FILETYPE_FPX_JPEG;
    default: return IK_FILETYPE_FPX;
    }
}

bool fpxInfo(std::span<const std::uint8_t> bytes, int level, IKFILEINFO& out) {
    fpx::FpxImage image;
    if (!image.open(bytes)) return false;
    if (level < 0 || static_cast<std::size_t>(level) >= image.levels().size()) return fail(IK_ERR_ARGUMENT, false);
    const fpx::Level& chosen = image.levels()[static_cast<std::size_t>(level)];
    out.bitsPerPixel = chosen.grey() ? 8 : 24;
    out.valueG = image.xdpi();
    out.valueH = image.ydpi();
    out.width = static_cast<std::int32_t>(chosen.width);
    out.height = static_cast<std::int32_t>(chosen.height);
    out.valueJ = static_cast<std::int32_t>(image.compressionOf(chosen));
    out.valueK = static_cast<std::int32_t>(chosen.channels);
    out.valueL = static_cast<std::int32_t>(chosen.channels * 8);
    out.fileType = fileTypeOf(image.compressionOf(chosen));
    out.pageCount = static_cast<std::int32_t>(image.levels().size());
    const std::size_t length = std::min(image.comment().size(), sizeof(out.comment) - 1);
    std::memcpy(out.comment, image.comment().data(), length);
    out.comment[length] = '\0';
    return true;
}

}  // namespace

bool fpxFileInfo(const char* path, int level, IKFILEINFO& out) {
    const auto bytes = readFileBytes(path);
    return bytes && fpxInfo(*bytes, level, out);
}

IKHANDLE loadFpxBytes(std::span<const std::uint8_t> bytes, int level, Progress& progress) {
    fpx::FpxImage image;
    if (!image.open(bytes)) return 0;
    if (level < 0 || static_cast<std::size_t>(level) >= image.levels().size()) return fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
    return image.decode(image.levels()[static_cast<std::size_t>(level)], progress);
}

IKHANDLE loadFpxFile(const char* path, int level, Progress& progress) {
    const auto bytes = readFileBytes(path);
    return bytes ? loadFpxBytes(*bytes, level, progress) : IKHANDLE(0);
}

IKHANDLE loadFpxFileReduced(const char* path, std::int32_t atLeastWidth, std::int32_t atLeastHeight,
                            Progress& progress) {
    const auto bytes = readFileBytes(path);
    fpx::FpxImage image;
    if (!bytes || !image.open(*bytes)) return 0;
    // The smallest level still at least the asked size (levels run from the full one down).
    std::size_t chosen = 0;
    for (std::size_t i = 1; i < image.levels().size(); ++i) {
        const fpx::Level& level = image.levels()[i];
        if (std::int64_t{level.width} < atLeastWidth || std::int64_t{level.height} < atLeastHeight) break;
        chosen = i;
    }
    return image.decode(image.levels()[chosen], progress);
}

}  // namespace kit

IK_API IKHANDLE IKFpxFileLoad(const char* path, int32_t page, IKPROGRESSPROC progress, const char*, const char*,
                              const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (!kit::fileIsFormat(path, kit::ImageFormat::Fpx)) return IKHANDLE(0);
        kit::Progress relay(progress);
        return kit::loadFpxFile(path, page, relay);
    });
}

IK_API IKHANDLE IKFpxFileLoadMem(const void* data, int32_t size, int32_t page, IKPROGRESSPROC progress, const char*,
                                 const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (!data || size <= 0) return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size));
        if (kit::detectFormat(bytes.data(), bytes.size()) != kit::ImageFormat::Fpx)
            return kit::fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
        kit::Progress relay(progress);
        return kit::loadFpxBytes(bytes, page, relay);
    });
}
