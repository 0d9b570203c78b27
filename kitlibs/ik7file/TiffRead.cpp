// Reading one TIFF page. Bilevel, grey and palette pages of one sample, and 8-bit RGB(A),
// are decoded strip by strip (or tile by tile) straight into the bitmap, so that 1-bit,
// palette, grey and colour pages stay exact; every other layout goes through libtiff's
// RGBA reader.
#include "DecodeLimits.h"
#include "FormatDetect.h"
#include "DibBlock.h"
#include "KitCall.h"
#include "Orientation.h"
#include "Codecs.h"
#include "TiffHandle.h"
#include "TiffRawCopy.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kit {
namespace {

// The most a TIFF coding can expand one byte (a blank CCITT row costs about one bit).
constexpr std::uint64_t kTiffMaxRatio = 1u << 14;

struct PageLayout {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bitsPerSample = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t planar = PLANARCONFIG_CONTIG, compression = COMPRESSION_NONE, orientation = ORIENTATION_TOPLEFT;
    std::uint16_t extraCount = 0;
    bool alpha = false;
    bool associated = false;  // alpha premultiplied into the colours
    bool tiled = false;
};

PageLayout layoutOf(TIFF* tif) {
    PageLayout p;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &p.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &p.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &p.bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &p.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &p.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &p.compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &p.orientation);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p.photometric))
        p.photometric = p.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    std::uint16_t* extraKinds = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &p.extraCount, &extraKinds) && p.extraCount > 0 &&
        extraKinds) {
        p.alpha = extraKinds[0] == EXTRASAMPLE_ASSOCALPHA || extraKinds[0] == EXTRASAMPLE_UNASSALPHA;
        p.associated = extraKinds[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    p.tiled = TIFFIsTiled(tif) != 0;
    return p;
}

// 8-bit RGB or RGBA samples side by side: read directly, so that unassociated alpha
// keeps its exact colours (libtiff's RGBA reader premultiplies them).
bool isPlainRgb(const PageLayout& p) {
    return p.photometric == PHOTOMETRIC_RGB && p.bitsPerSample == 8 && p.planar == PLANARCONFIG_CONTIG &&
           (p.samples == 3 || (p.samples == 4 && p.extraCount == 1)) && !p.associated &&
           p.compression != COMPRESSION_OJPEG;
}

// One sample of bilevel, grey or palette indices, read without colour conversion.
bool isIndexed(const PageLayout& p) {
    if (p.samples != 1) return false;
    if (p.photometric == PHOTOMETRIC_PALETTE) return p.bitsPerSample <= 8 && (p.bitsPerSample & (p.bitsPerSample - 1)) == 0;
    if (p.photometric == PHOTOMETRIC_MINISBLACK || p.photometric == PHOTOMETRIC_MINISWHITE)
        return p.bitsPerSample == 1 || p.bitsPerSample == 2 || p.bitsPerSample == 4 || p.bitsPerSample == 8 ||
               p.bitsPerSample == 16;
    return false;
}

int bitmapBits(const PageLayout& p) {
    if (isIndexed(p)) {
        if (p.bitsPerSample == 1) return 1;
        return p.bitsPerSample <= 4 ? 4 : 8;
    }
    return p.alpha ? 32 : 24;
}

std::int32_t dpiOf(TIFF* tif, ttag_t tag) {
    float resolution = 0;
    std::uint16_t unit = RESUNIT_INCH;
    if (!TIFFGetField(tif, tag, &resolution) || !std::isfinite(resolution) || resolution <= 0) return 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit == RESUNIT_NONE) return 0;
    const double dpi = unit == RESUNIT_CENTIMETER ? resolution * 2.54 : resolution;
    return dpi < 1 || dpi > 1e6 ? 0 : static_cast<std::int32_t>(std::lround(dpi));
}

std::uint16_t fileTypeOf(TIFF* tif, std::uint16_t compression) {
    switch (compression) {
    case COMPRESSION_NONE: return IK_FILETYPE_TIFF_NONE;
    case COMPRESSION_CCITTRLE: return IK_FILETYPE_TIFF_CCITTRLE;
    case COMPRESSION_CCITTFAX3: {
        std::uint32_t options = 0;
        TIFFGetField(tif, TIFFTAG_GROUP3OPTIONS, &options);
        return (options & GROUP3OPT_2DENCODING) ? IK_FILETYPE_TIFF_G3_2D : IK_FILETYPE_TIFF_G3_1D;
    }
    case COMPRESSION_CCITTFAX4: return IK_FILETYPE_TIFF_G4;
    case COMPRESSION_PACKBITS: return IK_FILETYPE_TIFF_PACKBITS;
    case COMPRESSION_LZW: return IK_FILETYPE_TIFF_LZW;
    case COMPRESSION_JPEG: return IK_FILETYPE_TIFF_JPEG;
    case COMPRESSION_OJPEG: return IK_FILETYPE_TIFF_OLDJPEG;
    case COMPRESSION_DEFLATE:
    case COMPRESSION_ADOBE_DEFLATE: return IK_FILETYPE_TIFF_DEFLATE;
    default: return IK_FILETYPE_TIFF_OTHER;
    }
}

// Opens the file at `page`; null with a status.
TiffPtr openPage(const char* path, int page) {
    if (!path) return fail<TiffPtr>(IK_ERR_ARGUMENT, nullptr);
    if (fileSizeOf(path) < 0) return fail<TiffPtr>(IK_ERR_FILE_OPEN, nullptr);
    TiffPtr tif = openTiff(path, "r");
    if (!tif) return fail<TiffPtr>(IK_ERR_FILE_READ, nullptr);
    if (page < 0 || page >= static_cast<int>(TIFFNumberOfDirectories(tif.get())))
        return fail<TiffPtr>(IK_ERR_ARGUMENT, nullptr);
    if (!TIFFSetDirectory(tif.get(), static_cast<tdir_t>(page))) return fail<TiffPtr>(IK_ERR_FILE_READ, nullptr);
    return tif;
}

std::uint8_t tableValue(std::uint16_t value, int shift) {
    return shift ? std::uint8_t(value / 257u) : std::uint8_t(value);
}

// The colour table of an indexed page: palette entries, or grey levels.
void fillColourTable(TIFF* tif, const PageLayout& p, const DibView& dib) {
    const std::uint32_t levels = 1u << std::min<int>(p.bitsPerSample, 8);
    platform::RgbQuad* table = dib.colours();
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (p.photometric == PHOTOMETRIC_PALETTE && TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) {
        // Some writers store 8-bit values in the 16-bit table.
        bool eightBit = true;
        for (std::uint32_t i = 0; i < levels; ++i)
            if (red[i] > 255 || green[i] > 255 || blue[i] > 255) eightBit = false;
        const int shift = eightBit ? 0 : 8;
        for (std::uint32_t i = 0; i < levels; ++i)
            table[i] = {tableValue(blue[i], shift), tableValue(green[i], shift), tableValue(red[i], shift), 0};
        return;
    }
    for (std::uint32_t i = 0; i < levels; ++i) {
        auto grey = static_cast<std::uint8_t>(i * 255 / (levels - 1));
        if (p.photometric == PHOTOMETRIC_MINISWHITE) grey = std::uint8_t(255 - grey);
        table[i] = {grey, grey, grey, 0};
    }
}

// Copies `count` pixels of one decoded file row, starting at column x0, into a bitmap row.
void putSamples(const PageLayout& p, const std::uint8_t* src, std::uint8_t* dst, std::uint32_t x0,
                std::uint32_t count) {
    if (p.photometric == PHOTOMETRIC_RGB) {
        const std::uint32_t out = p.alpha ? 4 : 3;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* s = src + static_cast<std::size_t>(i) * p.samples;
            std::uint8_t* d = dst + static_cast<std::size_t>(x0 + i) * out;
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            if (p.alpha) d[3] = s[3];
        }
        return;
    }
    switch (p.bitsPerSample) {
    case 1:
    case 4:
    case 8:
        // Column x0 of a strip starts a byte; of a tile, x0 is a multiple of 16.
        std::memcpy(dst + x0 * p.bitsPerSample / 8, src, (static_cast<std::size_t>(count) * p.bitsPerSample + 7) / 8);
        break;
    case 2:
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t v = (src[i >> 2] >> (6 - 2 * (i & 3))) & 3;
            const std::uint32_t x = x0 + i;
            dst[x >> 1] = (x & 1) ? std::uint8_t((dst[x >> 1] & 0xF0) | v) : std::uint8_t((dst[x >> 1] & 0x0F) | v << 4);
        }
        break;
    case 16: {
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint16_t v;
            std::memcpy(&v, src + 2 * i, 2);
            dst[x0 + i] = std::uint8_t(v >> 8);
        }
        break;
    }
    }
}

bool readDirectStrips(TIFF* tif, const PageLayout& p, const DibView& dib, Progress& progress) {
    std::uint32_t rowsPerStrip = p.height;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, p.height);
    const tmsize_t rowBytes = TIFFScanlineSize(tif);
    if (rowBytes <= 0) return false;
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(rowBytes) * rowsPerStrip);
    for (std::uint32_t y0 = 0; y0 < p.height; y0 += rowsPerStrip) {
        const std::uint32_t rows = std::min(rowsPerStrip, p.height - y0);
        const tstrip_t index = TIFFComputeStrip(tif, y0, 0);
        if (TIFFReadEncodedStrip(tif, index, strip.data(), rowBytes * rows) < 0) return false;
        for (std::uint32_t r = 0; r < rows; ++r)
            putSamples(p, strip.data() + static_cast<std::size_t>(r) * rowBytes, dib.row(static_cast<std::int32_t>(y0 + r)), 0, p.width);
        if (!progress.report(y0 + rows, p.height)) return false;
    }
    return true;
}

bool readDirectTiles(TIFF* tif, const PageLayout& p, const DibView& dib, Progress& progress, std::uint64_t fileBytes) {
    std::uint32_t tileWidth = 0, tileHeight = 0;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
    if (!plausibleImage(tileWidth, tileHeight, p.bitsPerSample * p.samples, fileBytes, kTiffMaxRatio)) return false;
    const tmsize_t tileRowBytes = TIFFTileRowSize(tif);
    const tmsize_t tileBytes = TIFFTileSize(tif);
    if (tileRowBytes <= 0 || tileBytes <= 0) return false;
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(tileBytes));
    for (std::uint32_t y0 = 0; y0 < p.height; y0 += tileHeight) {
        for (std::uint32_t x0 = 0; x0 < p.width; x0 += tileWidth) {
            if (TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x0, y0, 0, 0), tile.data(), tileBytes) < 0) return false;
            const std::uint32_t rows = std::min(tileHeight, p.height - y0);
            const std::uint32_t columns = std::min(tileWidth, p.width - x0);
            for (std::uint32_t r = 0; r < rows; ++r)
                putSamples(p, tile.data() + static_cast<std::size_t>(r) * tileRowBytes,
                           dib.row(static_cast<std::int32_t>(y0 + r)), x0, columns);
        }
        if (!progress.report(std::min(p.height, y0 + tileHeight), p.height)) return false;
    }
    return true;
}

// Straight (not premultiplied) colour from libtiff's premultiplied RGBA.
std::uint8_t unpremultiply(std::uint32_t channel, std::uint32_t alpha) {
    if (alpha == 0 || alpha == 255) return std::uint8_t(channel);
    return std::uint8_t(std::min<std::uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

bool readRgba(TIFF* tif, const PageLayout& p, const DibView& dib, Progress& progress) {
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message)) return false;
    TIFFRGBAImage reader{};
    if (!TIFFRGBAImageBegin(&reader, tif, 0, message)) return false;
    // Rows come as stored; the orientation is applied to the whole bitmap afterwards.
    reader.req_orientation = reader.orientation;
    const bool alpha = dib.header().biBitCount == 32;
    const bool associated = reader.alpha == EXTRASAMPLE_ASSOCALPHA || reader.alpha == EXTRASAMPLE_UNASSALPHA;
    const std::uint32_t band = std::clamp<std::uint32_t>((1u << 20) / std::max<std::uint32_t>(p.width, 1), 1, 256);
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(p.width) * band);
    bool ok = true;
    for (std::uint32_t y0 = 0; y0 < p.height && ok; y0 += band) {
        const std::uint32_t rows = std::min(band, p.height - y0);
        reader.row_offset = static_cast<int>(y0);
        reader.col_offset = 0;
        if (!TIFFRGBAImageGet(&reader, raster.data(), p.width, rows)) {
            ok = false;
            break;
        }
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint32_t* src = raster.data() + static_cast<std::size_t>(r) * p.width;
            std::uint8_t* dst = dib.row(static_cast<std::int32_t>(y0 + r));
            for (std::uint32_t x = 0; x < p.width; ++x) {
                const std::uint32_t px = src[x];
                if (alpha) {
                    const std::uint32_t a = TIFFGetA(px);
                    const bool straighten = associated;
                    dst[4 * x + 0] = straighten ? unpremultiply(TIFFGetB(px), a) : std::uint8_t(TIFFGetB(px));
                    dst[4 * x + 1] = straighten ? unpremultiply(TIFFGetG(px), a) : std::uint8_t(TIFFGetG(px));
                    dst[4 * x + 2] = straighten ? unpremultiply(TIFFGetR(px), a) : std::uint8_t(TIFFGetR(px));
                    dst[4 * x + 3] = std::uint8_t(a);
                } else {
                    dst[3 * x + 0] = std::uint8_t(TIFFGetB(px));
                    dst[3 * x + 1] = std::uint8_t(TIFFGetG(px));
                    dst[3 * x + 2] = std::uint8_t(TIFFGetR(px));
                }
            }
        }
        ok = progress.report(y0 + rows, p.height);
    }
    TIFFRGBAImageEnd(&reader);
    return ok;
}

void copyComment(TIFF* tif, char* out, std::size_t capacity) {
    out[0] = '\0';
    const char* text = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &text) || !text) return;
    const std::size_t length = strnlen(text, capacity - 1);
    std::memcpy(out, text, length);
    out[length] = '\0';
}

}  // namespace

bool tiffPageInfo(const char* path, int page, IKFILEINFO& info) {
    TiffPtr tif = openPage(path, page);
    if (!tif) return false;
    const PageLayout p = layoutOf(tif.get());
    if (p.width == 0 || p.height == 0) return fail(IK_ERR_FILE_READ, false);
    const bool swapped = p.orientation >= ORIENTATION_LEFTTOP && p.orientation <= ORIENTATION_LEFTBOT;
    info.bitsPerPixel = bitmapBits(p);
    info.valueG = dpiOf(tif.get(), TIFFTAG_XRESOLUTION);
    info.valueH = dpiOf(tif.get(), TIFFTAG_YRESOLUTION);
    info.width = static_cast<std::int32_t>(swapped ? p.height : p.width);
    info.height = static_cast<std::int32_t>(swapped ? p.width : p.height);
    info.valueJ = p.compression;
    info.valueK = p.samples;
    info.valueL = p.bitsPerSample * p.samples;
    info.fileType = fileTypeOf(tif.get(), p.compression);
    info.interlace = 0;
    info.pageCount = static_cast<std::int32_t>(TIFFNumberOfDirectories(tif.get()));
    copyComment(tif.get(), info.comment, sizeof(info.comment));
    return true;
}

IKHANDLE loadTiffPage(const char* path, int page, Progress& progress) {
    TiffPtr tif = openPage(path, page);
    if (!tif) return 0;
    const PageLayout p = layoutOf(tif.get());
    const std::int64_t fileBytes = fileSizeOf(path);
    const int bits = bitmapBits(p);
    const int fileBits = p.bitsPerSample * p.samples;
    if (!plausibleImage(p.width, p.height, std::max(bits, fileBits), static_cast<std::uint64_t>(fileBytes), kTiffMaxRatio))
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    const bool indexed = isIndexed(p);
    const bool direct = indexed || isPlainRgb(p);
    const std::uint32_t colours = indexed ? (1u << std::min<int>(p.bitsPerSample, 8)) : 0;
    platform::GlobalBlock image(allocateDib(static_cast<std::int32_t>(p.width), static_cast<std::int32_t>(p.height),
                                            std::uint16_t(bits), colours, true));
    if (!image.get()) return 0;
    bool ok;
    {
        DibView dib(image.get());
        dib.header().biXPelsPerMeter = platform::dpiToPelsPerMeter(dpiOf(tif.get(), TIFFTAG_XRESOLUTION));
        dib.header().biYPelsPerMeter = platform::dpiToPelsPerMeter(dpiOf(tif.get(), TIFFTAG_YRESOLUTION));
        if (indexed) fillColourTable(tif.get(), p, dib);
        if (direct) {
            ok = p.tiled ? readDirectTiles(tif.get(), p, dib, progress, static_cast<std::uint64_t>(fileBytes))
                         : readDirectStrips(tif.get(), p, dib, progress);
        } else {
            ok = readRgba(tif.get(), p, dib, progress);
        }
    }
    if (progress.stopped()) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    if (!ok) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    const IKHANDLE upright = applyOrientation(image.release(), p.orientation);
    if (upright) rememberTiffPage(tif.get(), path, page, upright);
    return upright;
}

}  // namespace kit

IK_API IKHANDLE IKTiffFileLoad(const char* path, int32_t page, IKPROGRESSPROC progress, const char*, const char*,
                               const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (!kit::fileIsFormat(path, kit::ImageFormat::Tiff)) return IKHANDLE(0);
        kit::Progress relay(progress);
        return kit::loadTiffPage(path, page, relay);
    });
}
