// PNG files: facts, loading (alpha composed onto white or kept) and saving.
#include "AtomicOutput.h"
#include "Codecs.h"
#include "Colour.h"
#include "DecodeLimits.h"
#include "DibBlock.h"
#include "FormatDetect.h"
#include "KitCall.h"
#include "PixelSource.h"
#include "Pixels.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <png.h>

namespace kit {
namespace {

[[noreturn]] void pngFatal(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// libpng allocates an ancillary chunk's declared length before reading it, whatever limits
// it was built with; a block beyond the buffer budget is refused, which libpng reports as
// an error of the file. Its own buffers (rows, inflate state) stay far below the budget.
png_voidp boundedMalloc(png_structp, png_alloc_size_t size) {
    return size > kMostBufferBytes ? nullptr : std::malloc(size);
}
void plainFree(png_structp, png_voidp block) { std::free(block); }

// A reader whose errors jump back to the caller instead of printing, with ancillary chunks
// bounded by the decode budget.
struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngReader() {
        png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, pngFatal, pngWarning, nullptr, boundedMalloc,
                                       plainFree);
        if (!png) return;
        png_set_chunk_cache_max(png, kMostPngKeptChunks);
        info = png_create_info_struct(png);
    }
    ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
};

void copyComment(png_structp png, png_infop info, char* out, std::size_t capacity) {
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(png, info, &texts, &count);
    int chosen = -1;
    for (int i = 0; i < count; ++i)
        if (chosen < 0 || std::strcmp(texts[i].key, "Comment") == 0) chosen = i;
    if (chosen < 0 || !texts[chosen].text) return;
    const std::size_t length = std::min(texts[chosen].text_length ? texts[chosen].text_length : std::strlen(texts[chosen].text), capacity - 1);
    std::memcpy(out, texts[chosen].text, length);
    out[length] = '\0';
}

std::int32_t pelsPerMeter(png_structp png, png_infop info, bool horizontal) {
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    if (!png_get_pHYs(png, info, &x, &y, &unit) || unit != PNG_RESOLUTION_METER) return 0;
    const png_uint_32 value = horizontal ? x : y;
    return value > INT32_MAX ? 0 : static_cast<std::int32_t>(value);
}

bool hasAlpha(png_structp png, png_infop info) {
    return (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
}

// Depth of the bitmap a load makes: indices for palette and grey pages, else colour. A
// transparent palette entry or grey level composed onto white stays an index (its colour
// table entry is composed), so a 1-bit page with transparency stays 1-bit; alpha kept
// (mode 2) needs colour.
int bitmapBits(png_structp png, png_infop info, int mode) {
    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    const bool paletteOrGrey = type == PNG_COLOR_TYPE_PALETTE || type == PNG_COLOR_TYPE_GRAY;
    // A transparent level of 16-bit grey has no single entry once samples are cut to 8 bits.
    if (hasAlpha(png, info) && (mode == 2 || !paletteOrGrey || depth > 8)) return mode == 2 ? 32 : 24;
    if (paletteOrGrey) return depth == 1 ? 1 : depth <= 4 ? 4 : 8;
    return 24;
}

std::uint8_t onWhite(std::uint8_t value, std::uint8_t alpha) {
    return std::uint8_t((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

struct FreeDeleter {
    void operator()(std::uint8_t* block) const { std::free(block); }
};

// Bytes of IDAT data the file holds (a chunk cut short counts what is there), walking the
// chunk headers up to the end of the IDAT run; the file is rewound.
std::uint64_t idatBytesOf(std::FILE* file) {
    std::uint64_t total = 0;
    const long end = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    if (end > 8 && std::fseek(file, 8, SEEK_SET) == 0) {
        std::uint8_t head[8];
        std::uint8_t small[4096];
        while (std::fread(head, 1, sizeof(head), file) == sizeof(head)) {
            const std::uint32_t length = png_get_uint_32(head);
            const bool idat = std::memcmp(head + 4, "IDAT", 4) == 0;
            if (length > PNG_UINT_31_MAX || (!idat && total > 0)) break;
            // The chunk's data and checksum: small ones are read past (no seek per chunk).
            const std::uint64_t rest = std::uint64_t{length} + 4;
            std::uint64_t passed = 0;
            if (rest <= sizeof(small)) {
                passed = std::fread(small, 1, static_cast<std::size_t>(rest), file);
            } else {
                const long at = std::ftell(file);
                if (at < 0 || std::fseek(file, static_cast<long>(rest), SEEK_CUR) != 0) break;
                passed = std::min<std::uint64_t>(rest, static_cast<std::uint64_t>(std::max(end - at, 0L)));
            }
            if (idat) total += std::min<std::uint64_t>(length, passed);
            if (passed < rest) break;
        }
    }
    std::rewind(file);
    return total;
}

// How libpng's rows become the bitmap's.
enum class RowForm {
    Copy,          // the same layout: libpng writes straight into the bitmap
    TwoBitsToFour, // 2-bit indices widened to the 4-bit bitmap
    OnWhite,       // blue, green, red, alpha composed onto white
};

// The rows of one load, fixed once libpng's transformations are set.
struct PngRows {
    png_uint_32 width, height;
    int storedBits;  // per pixel in the file
    int bits;        // of the bitmap
    int passes;
    std::size_t rowBytes;  // of libpng's rows
    RowForm form;
};

// Reads the header and sets the transformations for a load in `mode`; false on an error.
bool readPngHeader(PngReader& reader, std::FILE* file, int mode, PngRows& rows) {
    if (setjmp(png_jmpbuf(reader.png))) return false;
    png_structp png = reader.png;
    png_infop info = reader.info;
    png_init_io(png, file);
    png_read_info(png, info);
    rows.width = png_get_image_width(png, info);
    rows.height = png_get_image_height(png, info);
    rows.storedBits = png_get_bit_depth(png, info) * png_get_channels(png, info);
    rows.bits = bitmapBits(png, info, mode);
    const bool indexed = rows.bits <= 8;
    png_set_strip_16(png);
    if (!indexed) {
        png_set_expand(png);
        png_set_gray_to_rgb(png);
        png_set_bgr(png);
    }
    rows.passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    rows.rowBytes = png_get_rowbytes(png, info);
    const int depth = png_get_bit_depth(png, info);
    rows.form = indexed && depth == 2 ? RowForm::TwoBitsToFour
              : !indexed && rows.bits == 24 && png_get_channels(png, info) == 4 ? RowForm::OnWhite
                                                                              : RowForm::Copy;
    return true;
}

// The colour table of an indexed load; transparent entries are composed onto white.
void fillColourTable(png_structp png, png_infop info, platform::RgbQuad* table, std::uint32_t colours) {
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_color_16p transparentGrey = nullptr;
    if (!png_get_tRNS(png, info, &alphas, &alphaCount, &transparentGrey)) alphaCount = 0;
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE && png_get_PLTE(png, info, &palette, &entries)) {
        for (int i = 0; i < entries && i < int(colours); ++i) {
            const std::uint8_t alpha = alphas && i < alphaCount ? alphas[i] : 255;
            table[i] = {onWhite(palette[i].blue, alpha), onWhite(palette[i].green, alpha), onWhite(palette[i].red, alpha), 0};
        }
        return;
    }
    const std::uint32_t levels = std::min(1u << png_get_bit_depth(png, info), colours);
    writeGreyRamp(table, levels);
    if (transparentGrey && transparentGrey->gray < levels) table[transparentGrey->gray] = {255, 255, 255, 0};
}

void convertRow(const PngRows& rows, const std::uint8_t* src, std::uint8_t* dst) {
    if (rows.form == RowForm::TwoBitsToFour) {
        for (std::size_t x = 0; x < rows.width; ++x) setPixel<4>(dst, x, (src[x >> 2] >> (6 - 2 * (x & 3))) & 3u);
    } else {
        for (png_uint_32 x = 0; x < rows.width; ++x) {
            const std::uint8_t alpha = src[4 * x + 3];
            for (int c = 0; c < 3; ++c) dst[3 * x + c] = onWhite(src[4 * x + c], alpha);
        }
    }
}

// Reads every pass's rows into the bitmap and the file up to its end chunk; IK_OK, or
// the status of a damaged or cut-short file or of a stop answer.
std::uint16_t readPngRows(PngReader& reader, const PngRows& rows, std::uint8_t* buffer, const DibView& dib,
                          Progress& progress) {
    if (setjmp(png_jmpbuf(reader.png))) return IK_ERR_FILE_READ;
    const bool wholePicture = buffer && rows.passes > 1;
    const std::uint64_t total = std::uint64_t(rows.passes) * rows.height;
    for (int pass = 0; pass < rows.passes; ++pass)
        for (png_uint_32 y = 0; y < rows.height; ++y) {
            std::uint8_t* target = dib.row(static_cast<std::int32_t>(y));
            std::uint8_t* row = !buffer ? target : wholePicture ? buffer + rows.rowBytes * y : buffer;
            png_read_row(reader.png, row, nullptr);
            if (buffer && pass == rows.passes - 1) convertRow(rows, row, target);
            if (!progress.report(std::uint64_t(pass) * rows.height + y + 1, total)) return IK_ERR_CANCELLED;
        }
    // The checksum of the last data and the end chunk: a file cut short fails here.
    png_read_end(reader.png, nullptr);
    return IK_OK;
}

}  // namespace

bool pngFileInfo(const char* path, IKFILEINFO& out) {
    FilePtr file(std::fopen(path, "rb"));
    if (!file) return fail(IK_ERR_FILE_OPEN, false);
    PngReader reader;
    if (!reader.info) return fail(IK_ERR_MEMORY, false);
    if (setjmp(png_jmpbuf(reader.png))) return fail(IK_ERR_FILE_READ, false);
    png_init_io(reader.png, file.get());
    png_read_info(reader.png, reader.info);
    out.bitsPerPixel = bitmapBits(reader.png, reader.info, 1);
    out.valueG = platform::pelsPerMeterToDpi(pelsPerMeter(reader.png, reader.info, true));
    out.valueH = platform::pelsPerMeterToDpi(pelsPerMeter(reader.png, reader.info, false));
    out.width = static_cast<std::int32_t>(png_get_image_width(reader.png, reader.info));
    out.height = static_cast<std::int32_t>(png_get_image_height(reader.png, reader.info));
    out.valueJ = png_get_color_type(reader.png, reader.info);
    out.valueK = png_get_channels(reader.png, reader.info);
    out.valueL = png_get_channels(reader.png, reader.info) * png_get_bit_depth(reader.png, reader.info);
    out.fileType = IK_FILETYPE_PNG;
    out.interlace = png_get_interlace_type(reader.png, reader.info) != PNG_INTERLACE_NONE ? 1 : 0;
    out.pageCount = 1;
    copyComment(reader.png, reader.info, out.comment, sizeof(out.comment));
    return true;
}

IKHANDLE loadPngFile(const char* path, int mode, Progress& progress) {
    FilePtr file(std::fopen(path, "rb"));
    if (!file) return fail<IKHANDLE>(IK_ERR_FILE_OPEN, 0);
    const std::uint64_t idatBytes = idatBytesOf(file.get());
    PngReader reader;
    if (!reader.info) return fail<IKHANDLE>(IK_ERR_MEMORY, 0);
    PngRows rows{};
    if (!readPngHeader(reader, file.get(), mode, rows)) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    // The IDAT data bounds the rows it inflates to; the bitmap must fit the page budget.
    const std::uint64_t inflated = std::uint64_t{rows.height} * (1 + (std::uint64_t{rows.width} * rows.storedBits + 7) / 8);
    if (!pageWithinBudget(rows.width, rows.height, rows.bits) ||
        (inflated > kAlwaysAllowedBytes && (idatBytes == 0 || inflated / idatBytes > kRatioDeflate)))
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    // Rows that need converting pass through a buffer: one row, or every row while an
    // interlaced picture's passes come in (within the codec memory budget).
    const bool wholePicture = rows.passes > 1 && rows.form != RowForm::Copy;
    const std::uint64_t bufferBytes = rows.form == RowForm::Copy ? 0 : wholePicture ? std::uint64_t{rows.rowBytes} * rows.height : rows.rowBytes;
    if (bufferBytes > kMostCodecMemoryBytes) return fail<IKHANDLE>(IK_ERR_MEMORY, 0);
    std::unique_ptr<std::uint8_t, FreeDeleter> buffer;
    if (bufferBytes) {
        // calloc: pages of an interlaced buffer are only taken as rows arrive.
        buffer.reset(static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(bufferBytes), 1)));
        if (!buffer) return fail<IKHANDLE>(IK_ERR_MEMORY, 0);
    }
    const bool indexed = rows.bits <= 8;
    const std::uint32_t colours = indexed ? (1u << rows.bits) : 0;
    platform::GlobalBlock image(allocateDib(static_cast<std::int32_t>(rows.width), static_cast<std::int32_t>(rows.height),
                                            std::uint16_t(rows.bits), colours, true));
    if (!image.get()) return IKHANDLE(0);
    DibView dib(image.get());
    if (rows.form == RowForm::Copy && rows.rowBytes > dib.stride()) return fail<IKHANDLE>(IK_ERR_FORMAT, 0);
    dib.header().biXPelsPerMeter = pelsPerMeter(reader.png, reader.info, true);
    dib.header().biYPelsPerMeter = pelsPerMeter(reader.png, reader.info, false);
    if (indexed) fillColourTable(reader.png, reader.info, dib.colours(), colours);
    const std::uint16_t status = readPngRows(reader, rows, buffer.get(), dib, progress);
    if (status != IK_OK) return fail<IKHANDLE>(status, 0);
    return image.release();
}

}  // namespace kit

namespace {

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngWriter() {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, kit::pngFatal, kit::pngWarning);
        if (png) info = png_create_info_struct(png);
    }
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

// How the bitmap is laid out in the PNG; fixed before any libpng call.
struct PngLayout {
    bool indexed, grey, alpha;
    std::size_t rowBytes;
};

PngLayout layoutOf(const kit::PixelSource& source, bool keepAlpha) {
    PngLayout layout{};
    layout.indexed = source.indexed();
    layout.grey = layout.indexed && source.identityGreyTable();
    layout.alpha = !layout.indexed && keepAlpha && source.hasAlpha();
    const std::size_t width = static_cast<std::size_t>(source.width());
    layout.rowBytes = layout.indexed ? kit::packedRowBytes(width, source.bits()) : width * (layout.alpha ? 4 : 3);
    return layout;
}

// libpng's errors jump back into this function; it keeps no state of its own across them.
bool encodePng(std::FILE* file, const kit::PixelSource& source, const PngLayout& layout,
               std::vector<std::uint8_t>& rows, bool interlace, bool transparent, int red, int green, int blue,
               const char* comment, kit::Progress& progress) {
    PngWriter writer;
    if (!writer.info) return false;
    std::vector<png_color> palette;
    png_color_16 key{};
    std::uint8_t alphas[256];
    if (setjmp(png_jmpbuf(writer.png))) return false;
    const bool indexed = layout.indexed, grey = layout.grey, alpha = layout.alpha;
    const std::size_t rowBytes = layout.rowBytes;
    png_structp png = writer.png;
    png_infop info = writer.info;
    png_init_io(png, file);
    const int type = grey ? PNG_COLOR_TYPE_GRAY : indexed ? PNG_COLOR_TYPE_PALETTE : alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png, info, static_cast<png_uint_32>(source.width()), static_cast<png_uint_32>(source.height()),
                 indexed ? source.bits() : 8, type, interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (indexed && !grey) {
        for (const platform::RgbQuad& c : source.table()) palette.push_back(png_color{c.red, c.green, c.blue});
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
        if (transparent) {
            const int entry = kit::nearestEntry(source.table(), red, green, blue);
            std::memset(alphas, 255, sizeof(alphas));
            alphas[entry] = 0;
            png_set_tRNS(png, info, alphas, entry + 1, nullptr);
        }
    } else if (transparent && !alpha) {
        key.red = key.gray = std::uint16_t(red);
        key.green = std::uint16_t(green);
        key.blue = std::uint16_t(blue);
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    if (source.xdpi() > 0 && source.ydpi() > 0)
        png_set_pHYs(png, info, static_cast<png_uint_32>(platform::dpiToPelsPerMeter(source.xdpi())),
                     static_cast<png_uint_32>(platform::dpiToPelsPerMeter(source.ydpi())), PNG_RESOLUTION_METER);
    png_text text{};
    if (comment && *comment) {
        text.compression = PNG_TEXT_COMPRESSION_NONE;
        text.key = const_cast<char*>("Comment");
        text.text = const_cast<char*>(comment);
        png_set_text(png, info, &text, 1);
    }
    png_write_info(png, info);
    for (std::int32_t y = 0; y < source.height(); ++y) {
        std::uint8_t* row = rows.data() + rowBytes * y;
        if (indexed) std::memcpy(row, source.row(y), rowBytes);
        else if (alpha) source.rgbaRow(y, row);
        else source.rgbRow(y, row);
    }
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (std::int32_t y = 0; y < source.height(); ++y) {
            png_write_row(png, rows.data() + rowBytes * y);
            if (!progress.report(std::uint64_t(pass) * source.height() + y + 1, std::uint64_t(passes) * source.height()))
                return false;
        }
    png_write_end(png, info);
    return true;
}

bool writePng(std::FILE* file, const kit::PixelSource& source, bool interlace, bool transparent, int red, int green,
              int blue, bool keepAlpha, const char* comment, kit::Progress& progress) {
    const PngLayout layout = layoutOf(source, keepAlpha);
    std::vector<std::uint8_t> rows(layout.rowBytes * static_cast<std::size_t>(source.height()));
    return encodePng(file, source, layout, rows, interlace, transparent, red, green, blue, comment, progress);
}

}  // namespace

IK_API IKHANDLE IKPngFileLoadEx(const char* path, int32_t mode, IKPROGRESSPROC progress, const char*, const char*,
                                const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (mode != 1 && mode != 2) return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        if (!kit::fileIsFormat(path, kit::ImageFormat::Png)) return IKHANDLE(0);
        kit::Progress relay(progress);
        return kit::loadPngFile(path, mode, relay);
    });
}

IK_API IKBOOL IKPngFileSaveEx(const char* path, IKHANDLE image, IKBOOL interlace, IKBOOL transparent, uint8_t red,
                              uint8_t green, uint8_t blue, IKBOOL alpha, const char* comment, IKPROGRESSPROC progress,
                              const char*, const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!path || !*path) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        const kit::PixelSource source(image);
        if (!source.usable()) return kit::fail(source.failureStatus(), IK_FALSE);
        kit::Progress relay(progress);
        return kit::writeWholeFile(
            path,
            [&](std::FILE* file) {
                return writePng(file, source, interlace != 0, transparent != 0, red, green, blue, alpha != 0, comment,
                                relay);
            },
            &relay);
    });
}
