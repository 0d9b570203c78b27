#include "JpegDecode.h"

#include "DibBlock.h"
#include "KitCall.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace kit {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr) {}

}  // namespace

IKHANDLE decodeJpeg(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.output_message = onMessage;
    // Declared before setjmp so that a decoding error can free it.
    volatile IKHANDLE image = 0;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        if (image) platform::globalFree(image);
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    const bool grey = info.num_components == 1;
    info.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    if (info.output_width > INT32_MAX || info.output_height > INT32_MAX) {
        jpeg_destroy_decompress(&info);
        return fail<IKHANDLE>(IK_ERR_MEMORY, 0);
    }
    const auto width = static_cast<std::int32_t>(info.output_width);
    const auto height = static_cast<std::int32_t>(info.output_height);
    image = allocateDib(width, height, grey ? 8 : 24, grey ? 256 : 0, true);
    if (!image) {
        const std::uint16_t status = platform::kitStatus();
        jpeg_destroy_decompress(&info);
        return fail<IKHANDLE>(status, 0);
    }
    // No destructors may run between here and the decoder's error jump, so the block is
    // locked by hand and the rows are addressed from the header.
    std::uint8_t* base = static_cast<std::uint8_t*>(platform::globalLock(image));
    const std::uint32_t stride = platform::dibStride(width, grey ? 8 : 24);
    std::uint8_t* pixels = base + sizeof(platform::BitmapInfoHeader) + (grey ? 256 * 4 : 0);
    if (grey) {
        auto* colours = reinterpret_cast<platform::RgbQuad*>(base + sizeof(platform::BitmapInfoHeader));
        for (int i = 0; i < 256; ++i) colours[i] = platform::RgbQuad{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
    }
    while (info.output_scanline < info.output_height) {
        // Bottom-up rows: picture row y is stored at height - 1 - y.
        JSAMPROW row = pixels + static_cast<std::size_t>(height - 1 - static_cast<std::int32_t>(info.output_scanline)) * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    platform::globalUnlock(image);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

}  // namespace kit
