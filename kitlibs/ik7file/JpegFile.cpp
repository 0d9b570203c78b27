// JPEG files: facts, loading and saving.
#include "AtomicOutput.h"
#include "Codecs.h"
#include "Density.h"
#include "FileBytes.h"
#include "FormatDetect.h"
#include "JpegDecode.h"
#include "JpegErrors.h"
#include "KitCall.h"
#include "PixelSource.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kit {
namespace {

bool isExif(const jpeg_saved_marker_ptr marker) {
    return marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 && std::memcmp(marker->data, "Exif\0\0", 6) == 0;
}

}  // namespace

bool jpegFileInfo(const char* path, IKFILEINFO& out) {
    const auto bytes = readFileBytes(path);
    if (!bytes) return false;
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = quietJpegErrors(errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return fail(IK_ERR_FILE_READ, false);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes->data(), static_cast<unsigned long>(bytes->size()));
    jpeg_save_markers(&info, JPEG_COM, 0xFFFF);
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    bool exif = false;
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (isExif(m)) exif = true;
        if (m->marker == JPEG_COM && out.comment[0] == '\0') {
            const std::size_t length = std::min<std::size_t>(m->data_length, sizeof(out.comment) - 1);
            std::memcpy(out.comment, m->data, length);
            out.comment[length] = '\0';
        }
    }
    out.bitsPerPixel = info.num_components == 1 ? 8 : 24;
    out.valueG = jfifDensityToDpi(info.density_unit, info.X_density);
    out.valueH = jfifDensityToDpi(info.density_unit, info.Y_density);
    out.width = static_cast<std::int32_t>(info.image_width);
    out.height = static_cast<std::int32_t>(info.image_height);
    out.valueJ = info.arith_code ? 1 : 0;
    out.valueK = info.num_components;
    out.valueL = 8 * info.num_components;
    out.fileType = exif ? IK_FILETYPE_JPEG_EXIF : info.progressive_mode ? IK_FILETYPE_JPEG_PROGRESSIVE : IK_FILETYPE_JPEG;
    out.interlace = info.progressive_mode ? 1 : 0;
    out.pageCount = 1;
    jpeg_destroy_decompress(&info);
    return true;
}

IKHANDLE loadJpegFile(const char* path, Progress& progress, std::int32_t atLeastWidth, std::int32_t atLeastHeight) {
    const auto bytes = readFileBytes(path);
    if (!bytes) return 0;
    return decodeJpeg(bytes->data(), bytes->size(), &progress, kMostPagePixels, atLeastWidth, atLeastHeight);
}

}  // namespace kit

namespace {

// Writes the whole image; false on a stop answer (the libjpeg errors jump in the caller).
bool encodeRows(jpeg_compress_struct& info, const kit::PixelSource& source, bool grey, std::vector<std::uint8_t>& row,
                kit::Progress& progress) {
    while (info.next_scanline < info.image_height) {
        const auto y = static_cast<std::int32_t>(info.next_scanline);
        if (grey) {
            const std::uint8_t* indices = source.row(y);
            const auto width = static_cast<std::size_t>(source.width());
            for (std::size_t x = 0; x < width; ++x) row[x] = source.table()[kit::indexAt(indices, x, source.bits())].red;
        } else {
            source.rgbRow(y, row.data());
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
        if (!progress.report(info.next_scanline, info.image_height)) return false;
    }
    return true;
}

bool writeJpeg(std::FILE* file, const kit::PixelSource& source, bool progressive, int quality, int subsampling,
               const char* comment, kit::Progress& progress) {
    jpeg_compress_struct info{};
    kit::JpegErrors errors{};
    info.err = kit::quietJpegErrors(errors);
    // Made before setjmp: a write error jumps back here and it is still destroyed.
    std::vector<std::uint8_t> row(static_cast<std::size_t>(source.width()) * 3);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    const bool grey = source.indexed() && source.greyTable();
    info.image_width = static_cast<JDIMENSION>(source.width());
    info.image_height = static_cast<JDIMENSION>(source.height());
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (!grey) {
        // 0: 2 × 2 chroma blocks, 1: 2 × 1, 2: none.
        info.comp_info[0].h_samp_factor = subsampling >= 2 ? 1 : 2;
        info.comp_info[0].v_samp_factor = subsampling >= 1 ? 1 : 2;
    }
    if (progressive) jpeg_simple_progression(&info);
    const kit::JfifDensity density = kit::jfifDensityForDpi(source.xdpi(), source.ydpi());
    info.density_unit = density.unit;
    info.X_density = density.x;
    info.Y_density = density.y;
    jpeg_start_compress(&info, TRUE);
    if (comment && *comment)
        jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(comment),
                          static_cast<unsigned>(std::min<std::size_t>(std::strlen(comment), 65533)));
    const bool complete = encodeRows(info, source, grey, row, progress);
    if (complete) jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return complete;
}

}  // namespace

IK_API IKHANDLE IKJpegFileLoad(const char* path, IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (!kit::fileIsFormat(path, kit::ImageFormat::Jpeg)) return IKHANDLE(0);
        kit::Progress relay(progress);
        return kit::loadJpegFile(path, relay);
    });
}

IK_API IKBOOL IKJpegFileSave(const char* path, IKHANDLE image, int32_t progressive, int32_t quality,
                             int32_t subsampling, const char* comment, IKPROGRESSPROC progress, const char*,
                             const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!path || !*path) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        const kit::PixelSource source(image);
        if (!source.usable()) return kit::fail(source.failureStatus(), IK_FALSE);
        kit::Progress relay(progress);
        return kit::writeWholeFile(
            path,
            [&](std::FILE* file) {
                return writeJpeg(file, source, progressive != 0, quality <= 0 ? 75 : std::min(quality, 100),
                                 subsampling, comment, relay);
            },
            &relay);
    });
}
