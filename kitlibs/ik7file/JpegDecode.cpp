#include "JpegDecode.h"

#include "Colour.h"
#include "DecodeLimits.h"
#include "Density.h"
#include "DibBlock.h"
#include "JpegErrors.h"
#include "KitCall.h"
#include "Pixels.h"
#include "Reduction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace kit {
namespace {

// CMYK samples to RGB in place (three bytes out of four); Adobe files store them inverted.
void cmykToRgb(std::uint8_t* row, std::uint32_t width, bool inverted) {
    for (std::uint32_t x = 0; x < width; ++x) {
        int c = row[4 * x], m = row[4 * x + 1], y = row[4 * x + 2], k = row[4 * x + 3];
        if (!inverted) {
            c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
        }
        // Stored as blue, green, red for the bitmap.
        row[3 * x + 2] = std::uint8_t(c * k / 255);
        row[3 * x + 1] = std::uint8_t(m * k / 255);
        row[3 * x + 0] = std::uint8_t(y * k / 255);
    }
}

// libjpeg calls this between iMCU rows of every input scan and between output rows. It
// relays progress, stops on the caller's answer, and bounds a hostile file's work: the
// number of scans and the coefficients visited over all scans together.
struct DecodeWatch {
    jpeg_progress_mgr base{};
    Progress* progress = nullptr;
    int countedScan = 0;
    std::uint64_t scanCoefficients = 0;
    std::uint64_t highestDone = 0;
    bool cancelled = false;
    bool overBudget = false;
};

constexpr std::uint64_t kProgressUnit = 1u << 16;

void watchDecode(j_common_ptr common) {
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    auto* watch = reinterpret_cast<DecodeWatch*>(info->progress);
    if (info->input_scan_number != watch->countedScan) {
        // A scan visits, in every block of its components, the coefficients of its band.
        watch->countedScan = info->input_scan_number;
        const std::uint64_t band = info->progressive_mode ? static_cast<std::uint64_t>(std::max(info->Se - info->Ss + 1, 1)) : 64;
        watch->scanCoefficients += std::uint64_t{info->MCUs_per_row} * info->MCU_rows_in_scan *
                                   static_cast<std::uint64_t>(std::max(info->blocks_in_MCU, 1)) * band;
        if (info->input_scan_number > kMostJpegScans || watch->scanCoefficients > kMostJpegScanCoefficients) {
            watch->overBudget = true;
            common->err->error_exit(common);
        }
    }
    const jpeg_progress_mgr& pass = watch->base;
    if (!watch->progress || pass.total_passes <= 0 || pass.pass_limit <= 0) return;
    const std::uint64_t within = std::min<std::uint64_t>(static_cast<std::uint64_t>(std::max(pass.pass_counter, 0L)) *
                                                             kProgressUnit / static_cast<std::uint64_t>(pass.pass_limit),
                                                         kProgressUnit);
    // libjpeg raises a pass's limit when a file has more scans than it guessed; never go back.
    const std::uint64_t done = static_cast<std::uint64_t>(pass.completed_passes) * kProgressUnit + within;
    watch->highestDone = std::max(watch->highestDone, done);
    if (!watch->progress->report(watch->highestDone, static_cast<std::uint64_t>(pass.total_passes) * kProgressUnit)) {
        watch->cancelled = true;
        common->err->error_exit(common);
    }
}

// The status of a decode that libjpeg ended.
std::uint16_t failureStatus(const jpeg_decompress_struct& info, const DecodeWatch& watch) {
    if (watch.cancelled) return IK_ERR_CANCELLED;
    const int code = info.err->msg_code;
    if (!watch.overBudget && (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE)) return IK_ERR_MEMORY;
    return IK_ERR_FILE_READ;
}

}  // namespace

IKHANDLE decodeJpeg(const std::uint8_t* data, std::size_t size, Progress* progress, std::uint64_t mostPixels,
                    std::int32_t atLeastWidth, std::int32_t atLeastHeight, int halvings) {
    if (!data || size == 0) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = strictJpegErrors(errors);
    DecodeWatch watch;
    watch.base.progress_monitor = watchDecode;
    watch.progress = progress;
    // Declared before setjmp so that a decoding error can free them.
    volatile IKHANDLE image = 0;
    std::uint8_t* volatile cmykRow = nullptr;
    volatile std::uint16_t status = 0;  // a failure of our own; else libjpeg's error tells
    if (setjmp(errors.jump)) {
        const std::uint16_t failure = status ? status : failureStatus(info, watch);
        jpeg_destroy_decompress(&info);
        if (image) platform::globalFree(image);
        std::free(cmykRow);
        return fail<IKHANDLE>(failure, 0);
    }
    jpeg_create_decompress(&info);
    // Whole-image coefficient buffers of progressive and multi-scan files beyond this
    // budget fail in jpeg_start_decompress ("backing store not supported"), before the
    // bitmap is allocated.
    info.mem->max_memory_to_use = static_cast<long>(kMostCodecMemoryBytes);
    info.progress = &watch.base;
    // Smoothing guesses coefficients a progressive file never sent, at a high cost per
    // block; a complete file has them all and is decoded the same without it.
    info.do_block_smoothing = FALSE;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    const bool grey = info.num_components == 1;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
    const std::uint64_t ratio = info.arith_code ? kRatioJpegArithmetic : kRatioJpegHuffman;
    if (std::uint64_t{info.image_width} * info.image_height > mostPixels ||
        !plausibleImage(info.image_width, info.image_height, grey ? 8 : 24, size, ratio)) {
        jpeg_destroy_decompress(&info);
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    }
    // Scaled decoding: 1/2^steps, no finer than libjpeg's 1/8.
    const int steps = halvings >= 0 ? std::min(halvings, 3)
                                    : halvingSteps(info.image_width, info.image_height, atLeastWidth, atLeastHeight, 3);
    info.scale_num = 1;
    info.scale_denom = 1u << steps;
    jpeg_start_decompress(&info);
    const auto width = static_cast<std::int32_t>(info.output_width);
    const auto height = static_cast<std::int32_t>(info.output_height);
    image = allocateDib(width, height, grey ? 8 : 24, grey ? 256 : 0, true);
    if (!image) {
        status = platform::kitStatus();
        jpeg_destroy_decompress(&info);
        return fail<IKHANDLE>(status, 0);
    }
    if (cmyk) {
        cmykRow = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(width) * 4));
        if (!cmykRow) {
            status = IK_ERR_MEMORY;
            std::longjmp(errors.jump, 1);
        }
    }
    // No destructors may run between here and the decoder's error jump, so the block is
    // locked by hand and the rows are addressed from the header.
    std::uint8_t* base = static_cast<std::uint8_t*>(platform::globalLock(image));
    auto* header = reinterpret_cast<platform::BitmapInfoHeader*>(base);
    header->biXPelsPerMeter = jfifDensityToPelsPerMeter(info.density_unit, info.X_density) >> steps;
    header->biYPelsPerMeter = jfifDensityToPelsPerMeter(info.density_unit, info.Y_density) >> steps;
    const std::uint32_t stride = platform::dibStride(width, grey ? 8 : 24);
    std::uint8_t* pixels = base + sizeof(platform::BitmapInfoHeader) + (grey ? 256 * 4 : 0);
    if (grey) writeGreyRamp(reinterpret_cast<platform::RgbQuad*>(base + sizeof(platform::BitmapInfoHeader)), 256);
    // Bottom-up rows: picture row y is stored at height - 1 - y.
    const PixelRows rows(pixels, stride, height, true);
    while (info.output_scanline < info.output_height) {
        std::uint8_t* target = rows.row(static_cast<std::int32_t>(info.output_scanline));
        JSAMPROW row = cmyk ? cmykRow : target;
        jpeg_read_scanlines(&info, &row, 1);
        if (cmyk) {
            cmykToRgb(cmykRow, info.output_width, info.saw_Adobe_marker);
            std::memcpy(target, cmykRow, static_cast<std::size_t>(width) * 3);
        }
    }
    if (progress && !progress->report(1, 1)) {
        status = IK_ERR_CANCELLED;
        std::longjmp(errors.jump, 1);
    }
    // Every row is in; a file that only lacks its end marker keeps its complete picture.
    errors.base.emit_message = jpegSilentLevel;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::free(cmykRow);
    platform::globalUnlock(image);
    return image;
}

}  // namespace kit
