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
#include "Colour.h"
#include "Pixels.h"
#include "TiffChain.h"
#include "TiffHandle.h"
#include "JpegDecode.h"
#include "Reduction.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace kit {
namespace {

// Most bits of one stored pixel (all samples) a page may declare.
constexpr std::uint32_t kMostPixelBits = 1024;

struct PageLayout {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bitsPerSample = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t planar = PLANARCONFIG_CONTIG, compression = COMPRESSION_NONE, orientation = ORIENTATION_TOPLEFT;
    std::uint16_t extraCount = 0;  // samples beyond the colour ones (alpha or unspecified)
    std::uint32_t rowsPerStrip = 0, tileWidth = 0, tileHeight = 0;
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
    if (!TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &p.extraCount, &extraKinds) || !extraKinds) p.extraCount = 0;
    if (p.extraCount > 0) {
        p.alpha = extraKinds[0] == EXTRASAMPLE_ASSOCALPHA || extraKinds[0] == EXTRASAMPLE_UNASSALPHA;
        p.associated = extraKinds[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    // JPEG-coded YCbCr is converted to RGB by libjpeg and then reads as plain RGB, row by
    // row, without libtiff's RGBA reader decoding a tall strip again for every band.
    if (p.compression == COMPRESSION_JPEG && p.photometric == PHOTOMETRIC_YCBCR && p.planar == PLANARCONFIG_CONTIG &&
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB))
        p.photometric = PHOTOMETRIC_RGB;
    p.tiled = TIFFIsTiled(tif) != 0;
    if (p.tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &p.tileWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &p.tileHeight);
    } else {
        p.rowsPerStrip = p.height;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &p.rowsPerStrip);
        p.rowsPerStrip = std::clamp<std::uint32_t>(p.rowsPerStrip, 1, std::max<std::uint32_t>(p.height, 1));
    }
    return p;
}

// Samples that carry colour: those that are not extra samples.
int colourSamples(const PageLayout& p) { return int(p.samples) - int(p.extraCount); }

// A layout every reader can take without reading past a row: at least one colour sample,
// three for RGB and YCbCr, and a sane size of stored pixel.
bool layoutReadable(const PageLayout& p) {
    if (p.width == 0 || p.height == 0 || p.bitsPerSample == 0 || p.samples == 0) return false;
    if (std::uint32_t(p.bitsPerSample) * p.samples > kMostPixelBits) return false;
    if (colourSamples(p) < 1) return false;
    const bool threeColours = p.photometric == PHOTOMETRIC_RGB || p.photometric == PHOTOMETRIC_YCBCR;
    return !threeColours || colourSamples(p) >= 3;
}

// 8-bit RGB or RGBA samples side by side: read directly, so that unassociated alpha
// keeps its exact colours (libtiff's RGBA reader premultiplies them).
bool isPlainRgb(const PageLayout& p) {
    return p.photometric == PHOTOMETRIC_RGB && p.bitsPerSample == 8 && p.planar == PLANARCONFIG_CONTIG &&
           colourSamples(p) == 3 && p.extraCount <= 1 && !p.associated &&
           p.compression != COMPRESSION_OJPEG;
}

// One sample of bilevel, grey or palette indices, read without colour conversion.
bool isIndexed(const PageLayout& p) {
    if (p.samples != 1 || p.extraCount != 0) return false;
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

// Pages libtiff can reach. A file opens only when its first directory reads, so it has at
// least that page even when the link after it is cut off (libtiff then counts none).
int pageCountOf(TIFF* tif) { return std::max(1, static_cast<int>(TIFFNumberOfDirectories(tif))); }

// Opens the file at `page`; null with a status.
TiffPtr openPage(const char* path, int page) {
    if (!path) return fail<TiffPtr>(IK_ERR_ARGUMENT, nullptr);
    if (fileSizeOf(path) < 0) return fail<TiffPtr>(IK_ERR_FILE_OPEN, nullptr);
    // Read, not mapped: finding a page walks every directory of the file, and a mapping would
    // keep a few pages of memory for each one resident while the file is open.
    TiffPtr tif = openTiff(path, "rm");
    if (!tif) return fail<TiffPtr>(IK_ERR_FILE_READ, nullptr);
    if (page < 0) return fail<TiffPtr>(IK_ERR_ARGUMENT, nullptr);
    // Beyond the last page is a wrong argument; beyond a chain of pages that breaks off
    // (a cut file) is a damaged file.
    if (page >= pageCountOf(tif.get()))
        return fail<TiffPtr>(findAppendPoint(path) ? IK_ERR_ARGUMENT : IK_ERR_FILE_READ, nullptr);
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
    writeGreyRamp(table, levels);
    if (p.photometric == PHOTOMETRIC_MINISWHITE) std::reverse(table, table + levels);
}

// Sample i of a packed file row of 1, 2 or 4 bits per sample.
template <int Bits>
std::uint32_t packedSample(const std::uint8_t* src, std::size_t i) {
    if constexpr (Bits == 2) return (src[i >> 2] >> (6 - 2 * (i & 3))) & 3u;
    else return pixelAt<Bits>(src, i);
}

// Places `count` samples of `InBits` (1, 2 or 4) from a packed file row at column x0 of a
// packed bitmap row of `OutBits` (1 or 4), pixel by pixel.
template <int InBits, int OutBits>
void placePackedPixels(const std::uint8_t* src, std::uint8_t* dst, std::size_t x0, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) setPixel<OutBits>(dst, x0 + i, packedSample<InBits>(src, i));
}

// Copies whole bytes of 1- or 4-bit samples when x0 starts a byte; a column inside a byte
// (a tile of a width the format forbids) and the last partial byte go pixel by pixel, so
// that neighbouring pixels keep their values.
template <int Bits>
void putPackedSamples(const std::uint8_t* src, std::uint8_t* dst, std::size_t x0, std::size_t count) {
    constexpr std::size_t perByte = 8 / Bits;
    const std::size_t whole = x0 % perByte == 0 ? count / perByte : 0;
    std::memcpy(dst + x0 / perByte, src, whole);
    placePackedPixels<Bits, Bits>(src + whole, dst, x0 + whole * perByte, count - whole * perByte);
}

// Copies `count` pixels of one decoded file row, starting at column x0, into a bitmap row.
void putSamples(const PageLayout& p, const std::uint8_t* src, std::uint8_t* dst, std::size_t x0, std::size_t count) {
    if (p.photometric == PHOTOMETRIC_RGB) {
        const std::size_t out = p.alpha ? 4 : 3;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* s = src + i * p.samples;
            std::uint8_t* d = dst + (x0 + i) * out;
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            if (p.alpha) d[3] = s[3];
        }
        return;
    }
    switch (p.bitsPerSample) {
    case 1: putPackedSamples<1>(src, dst, x0, count); break;
    case 2: placePackedPixels<2, 4>(src, dst, x0, count); break;
    case 4: putPackedSamples<4>(src, dst, x0, count); break;
    case 8: std::memcpy(dst + x0, src, count); break;
    case 16: {
        for (std::size_t i = 0; i < count; ++i) {
            std::uint16_t v;
            std::memcpy(&v, src + 2 * i, 2);
            dst[x0 + i] = std::uint8_t(v >> 8);
        }
        break;
    }
    }
}

// Strips are read row by row, so that no buffer of a whole strip (which a file can declare
// far larger than its data) is ever allocated.
bool readDirectStrips(TIFF* tif, const PageLayout& p, const DibView& dib, Progress& progress) {
    const tmsize_t rowBytes = TIFFScanlineSize(tif);
    if (rowBytes <= 0 || static_cast<std::uint64_t>(rowBytes) > kMostBufferBytes) return false;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    for (std::uint32_t y = 0; y < p.height; ++y) {
        if (TIFFReadScanline(tif, row.data(), y, 0) < 0) return false;
        putSamples(p, row.data(), dib.row(static_cast<std::int32_t>(y)), 0, p.width);
        if ((y + 1) % p.rowsPerStrip == 0 || y + 1 == p.height)
            if (!progress.report(y + 1, p.height)) return false;
    }
    return true;
}

bool readDirectTiles(TIFF* tif, const PageLayout& p, const DibView& dib, Progress& progress) {
    if (p.tileWidth == 0 || p.tileHeight == 0) return false;
    const tmsize_t tileRowBytes = TIFFTileRowSize(tif);
    const tmsize_t tileBytes = TIFFTileSize(tif);
    if (tileRowBytes <= 0 || tileBytes <= 0 || static_cast<std::uint64_t>(tileBytes) > kMostBufferBytes) return false;
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(tileBytes));
    for (std::uint32_t y0 = 0; y0 < p.height; y0 += std::min(p.tileHeight, p.height - y0)) {
        const std::uint32_t rows = std::min(p.tileHeight, p.height - y0);
        for (std::uint32_t x0 = 0; x0 < p.width; x0 += std::min(p.tileWidth, p.width - x0)) {
            if (TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x0, y0, 0, 0), tile.data(), tileBytes) < 0) return false;
            const std::uint32_t columns = std::min(p.tileWidth, p.width - x0);
            for (std::uint32_t r = 0; r < rows; ++r)
                putSamples(p, tile.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(tileRowBytes),
                           dib.row(static_cast<std::int32_t>(y0 + r)), x0, columns);
        }
        if (!progress.report(y0 + rows, p.height)) return false;
    }
    return true;
}

// Straight (not premultiplied) colour from libtiff's premultiplied RGBA.
std::uint8_t unpremultiply(std::uint32_t channel, std::uint32_t alpha) {
    if (alpha == 0 || alpha == 255) return std::uint8_t(channel);
    return std::uint8_t(std::min<std::uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

// Rows per call of libtiff's RGBA reader, 0 when the page cannot be read in bands within
// the budget. libtiff finds a band's first row inside its strip or tile by counting whole
// rows, which is only right at the start of a strip or tile, or, in a strip of subsampled
// YCbCr, at the start of a subsampling block. So a band is whole strips or tiles, or, for a
// strip too tall for one band, whole blocks of a strip made of whole blocks.
std::uint32_t rgbaBandRows(TIFF* tif, const PageLayout& p, std::uint16_t photometric) {
    const std::uint64_t decoded = p.tiled ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
    if (decoded == 0 || decoded > kMostCodecMemoryBytes) return 0;
    const std::uint64_t mostRows = std::max<std::uint64_t>(1, kMostBufferBytes / (std::uint64_t{p.width} * 4));
    const std::uint32_t unit = p.tiled ? p.tileHeight : p.rowsPerStrip;
    if (unit == 0) return 0;
    if (unit <= mostRows) return static_cast<std::uint32_t>(std::min<std::uint64_t>(p.height, mostRows / unit * unit));
    if (p.tiled || unit > mostRows * kMostBandsPerStrip) return 0;
    std::uint16_t blockWidth = 1, blockHeight = 1;
    if (photometric == PHOTOMETRIC_YCBCR) {
        TIFFGetFieldDefaulted(tif, TIFFTAG_YCBCRSUBSAMPLING, &blockWidth, &blockHeight);
        if (blockHeight == 0 || (unit < p.height && unit % blockHeight != 0) || mostRows < blockHeight) return 0;
    }
    return static_cast<std::uint32_t>(mostRows / blockHeight * blockHeight);
}

bool readRgba(TIFF* tif, const PageLayout& p, const DibView& dib, Progress& progress) {
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message)) return false;
    TIFFRGBAImage reader{};
    // Stop at the first damaged strip or tile: a page is read whole or not at all.
    if (!TIFFRGBAImageBegin(&reader, tif, 1, message)) return false;
    // Rows come as stored; the orientation is applied to the whole bitmap afterwards.
    reader.req_orientation = reader.orientation;
    const bool alpha = dib.header().biBitCount == 32;
    const bool associated = reader.alpha == EXTRASAMPLE_ASSOCALPHA || reader.alpha == EXTRASAMPLE_UNASSALPHA;
    // Read after Begin: JPEG-coded YCbCr is then converted by libjpeg and reads as RGB.
    const std::uint32_t band = rgbaBandRows(tif, p, reader.photometric);
    if (band == 0) {
        TIFFRGBAImageEnd(&reader);
        return false;
    }
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(p.width) * band);
    bool ok = true;
    for (std::uint32_t y0 = 0; y0 < p.height && ok; y0 += std::min(band, p.height - y0)) {
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

// Bytes of coded data of the page: its strips or tiles as declared, but no more than the file.
std::uint64_t codedBytes(TIFF* tif, std::uint64_t fileBytes) {
    std::uint64_t total = 0;
    const std::uint32_t count = TIFFNumberOfStrips(tif);
    for (std::uint32_t i = 0; i < count && total < fileBytes; ++i) total += TIFFGetStrileByteCount(tif, i);
    return std::min(total, fileBytes);
}

std::uint64_t ratioOf(std::uint16_t compression) {
    switch (compression) {
    case COMPRESSION_NONE: return kRatioStored;
    case COMPRESSION_PACKBITS: return kRatioPackBits;
    case COMPRESSION_LZW: return kRatioLzw;
    case COMPRESSION_DEFLATE:
    case COMPRESSION_ADOBE_DEFLATE: return kRatioDeflate;
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG: return kRatioJpegHuffman;
    default: return kRatioOtherCodings;
    }
}

// Whether the page's coded data can produce its declared size: CCITT codes at least one bit
// per row, every other coding at most its ratio of decoded bytes per coded byte. For a page
// within pageWithinBudget, so that the sizes below cannot wrap.
bool dataCanFillPage(TIFF* tif, const PageLayout& p, std::uint64_t fileBytes) {
    const std::uint64_t coded = codedBytes(tif, fileBytes);
    if (coded == 0) return false;
    switch (p.compression) {
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: return p.height <= kMostCcittRowsPerByte * coded;
    default: break;
    }
    const std::uint64_t rowBytes = (std::uint64_t{p.width} * p.bitsPerSample * p.samples + 7) / 8;
    const std::uint64_t decoded = rowBytes * p.height;
    return decoded <= kAlwaysAllowedBytes || decoded / coded <= ratioOf(p.compression);
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
    if (!layoutReadable(p)) return fail(IK_ERR_FILE_READ, false);
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
    info.pageCount = pageCountOf(tif.get());
    copyComment(tif.get(), info.comment, sizeof(info.comment));
    return true;
}

IKHANDLE loadTiffPage(const char* path, int page, Progress& progress) {
    TiffPtr tif = openPage(path, page);
    if (!tif) return 0;
    const PageLayout p = layoutOf(tif.get());
    const std::int64_t fileBytes = fileSizeOf(path);
    if (!layoutReadable(p) || fileBytes <= 0) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    const int bits = bitmapBits(p);
    // Rows and columns swap for orientations 5 to 8: the turned bitmap must fit as well.
    const bool swapped = p.orientation >= ORIENTATION_LEFTTOP && p.orientation <= ORIENTATION_LEFTBOT;
    if (!pageWithinBudget(p.width, p.height, bits) || (swapped && !pageWithinBudget(p.height, p.width, bits)) ||
        !dataCanFillPage(tif.get(), p, static_cast<std::uint64_t>(fileBytes)))
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
            ok = p.tiled ? readDirectTiles(tif.get(), p, dib, progress) : readDirectStrips(tif.get(), p, dib, progress);
        } else {
            ok = readRgba(tif.get(), p, dib, progress);
        }
    }
    if (progress.stopped()) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    if (!ok) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    return applyOrientation(image.release(), p.orientation);
}

namespace {

// Ones among bits [from, to) of a packed row, most significant bit first.
std::uint32_t onesBetween(const std::uint8_t* row, std::size_t from, std::size_t to) {
    std::uint32_t ones = 0;
    while (from < to && from % 8 != 0) ones += (row[from / 8] >> (7 - from % 8)) & 1u, ++from;
    for (; from + 8 <= to; from += 8) ones += static_cast<std::uint32_t>(std::popcount(row[from / 8]));
    for (; from < to; ++from) ones += (row[from / 8] >> (7 - from % 8)) & 1u;
    return ones;
}

// Where one output column takes its pixels from: source pixel x covers [x·out, (x+1)·out)
// and column c covers [c·in, (c+1)·in) in units of 1/(in·out) of the page; whole pixels
// [first, end) and a partial pixel at each side with its weight in those units.
struct ColumnSpan {
    std::uint32_t first = 0, end = 0;
    std::uint64_t leadWeight = 0, tailWeight = 0;
};

std::vector<ColumnSpan> columnSpans(std::uint32_t in, std::uint32_t out) {
    std::vector<ColumnSpan> spans(out);
    for (std::uint32_t c = 0; c < out; ++c) {
        const std::uint64_t lo = std::uint64_t{c} * in, hi = lo + in;
        ColumnSpan& s = spans[c];
        s.first = static_cast<std::uint32_t>((lo + out - 1) / out);
        s.end = static_cast<std::uint32_t>(hi / out);
        s.leadWeight = std::uint64_t{s.first} * out - lo;  // of pixel first - 1
        s.tailWeight = hi - std::uint64_t{s.end} * out;    // of pixel end
    }
    return spans;
}

std::uint32_t bitAt(const std::uint8_t* row, std::uint32_t x) { return (row[x / 8] >> (7 - x % 8)) & 1u; }

// A bilevel page read row by row and area-averaged into an 8-bit grey bitmap of
// outWidth × outHeight (both smaller than the page): the full page is never built.
IKHANDLE shrinkBilevelPage(TIFF* tif, const PageLayout& p, std::uint32_t outWidth, std::uint32_t outHeight,
                           Progress& progress) {
    const tmsize_t rowBytes = TIFFScanlineSize(tif);
    if (rowBytes <= 0 || static_cast<std::uint64_t>(rowBytes) > kMostBufferBytes ||
        static_cast<std::uint64_t>(rowBytes) * 8 < p.width)
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    platform::GlobalBlock image(allocateDib(static_cast<std::int32_t>(outWidth), static_cast<std::int32_t>(outHeight),
                                            8, 256, true));
    if (!image.get()) return 0;
    DibView dib(image.get());
    writeGreyRamp(dib.colours(), 256);
    const double xScale = double(outWidth) / p.width, yScale = double(outHeight) / p.height;
    dib.header().biXPelsPerMeter =
        static_cast<std::int32_t>(std::lround(platform::dpiToPelsPerMeter(dpiOf(tif, TIFFTAG_XRESOLUTION)) * xScale));
    dib.header().biYPelsPerMeter =
        static_cast<std::int32_t>(std::lround(platform::dpiToPelsPerMeter(dpiOf(tif, TIFFTAG_YRESOLUTION)) * yScale));
    // Grey of a set bit and of a clear one.
    const std::uint64_t one = p.photometric == PHOTOMETRIC_MINISWHITE ? 0 : 255, zero = 255 - one;
    const std::uint64_t whole = std::uint64_t{p.width} * p.height;  // weight of one output pixel
    const std::vector<ColumnSpan> spans = columnSpans(p.width, outWidth);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    std::vector<std::uint64_t> columnOnes(outWidth), current(outWidth, 0), next(outWidth, 0);
    std::uint32_t outRow = 0;
    for (std::uint32_t y = 0; y < p.height; ++y) {
        if (TIFFReadScanline(tif, row.data(), y, 0) < 0) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
        for (std::uint32_t c = 0; c < outWidth; ++c) {
            const ColumnSpan& s = spans[c];
            std::uint64_t ones = std::uint64_t{onesBetween(row.data(), s.first, s.end)} * outWidth;
            if (s.leadWeight) ones += s.leadWeight * bitAt(row.data(), s.first - 1);
            if (s.tailWeight) ones += s.tailWeight * bitAt(row.data(), s.end);
            columnOnes[c] = ones;
        }
        // Row y covers [y·outHeight, (y+1)·outHeight); output row r covers [r·height, (r+1)·height).
        const std::uint64_t lo = std::uint64_t{y} * outHeight, hi = lo + outHeight;
        const std::uint64_t boundary = std::uint64_t{outRow + 1} * p.height;
        const std::uint64_t here = std::min(hi, boundary) - lo, after = hi - lo - here;
        for (std::uint32_t c = 0; c < outWidth; ++c) {
            current[c] += columnOnes[c] * here;
            next[c] += columnOnes[c] * after;
        }
        if (hi >= boundary && outRow < outHeight) {
            std::uint8_t* out = dib.row(static_cast<std::int32_t>(outRow));
            for (std::uint32_t c = 0; c < outWidth; ++c)
                out[c] = std::uint8_t((current[c] * one + (whole - current[c]) * zero + whole / 2) / whole);
            current.swap(next);
            std::fill(next.begin(), next.end(), 0);
            ++outRow;
        }
        if ((y + 1) % p.rowsPerStrip == 0 || y + 1 == p.height)
            if (!progress.report(y + 1, p.height)) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    }
    return image.release();
}

// One strip of a JPEG-coded page as a whole JPEG stream: the page's shared tables (a stream
// of its own, without its end) followed by the strip's data after its start marker.
bool wholeJpegStrip(TIFF* tif, std::uint32_t strip, std::uint64_t fileBytes, std::vector<std::uint8_t>& out) {
    const std::uint64_t bytes = TIFFGetStrileByteCount(tif, strip);
    if (bytes < 4 || bytes > fileBytes || bytes > kMostBufferBytes) return false;
    std::uint32_t tableBytes = 0;
    const std::uint8_t* tables = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_JPEGTABLES, &tableBytes, &tables) || tableBytes < 4 || !tables) tableBytes = 0;
    const std::size_t head = tableBytes ? tableBytes - 2 : 0;
    out.resize(head + static_cast<std::size_t>(bytes));
    if (head) std::memcpy(out.data(), tables, head);
    const tmsize_t read = TIFFReadRawStrip(tif, strip, out.data() + head, static_cast<tmsize_t>(bytes));
    if (read < 4 || out[head] != 0xFF || out[head + 1] != 0xD8) return false;
    out.resize(head + static_cast<std::size_t>(read));
    if (head) out.erase(out.begin() + static_cast<std::ptrdiff_t>(head), out.begin() + static_cast<std::ptrdiff_t>(head) + 2);
    return true;
}

// A JPEG-coded page decoded strip by strip by libjpeg at 1/2^steps, each strip's rows placed
// under the last one's.
IKHANDLE shrinkJpegPage(TIFF* tif, const PageLayout& p, int steps, std::uint64_t fileBytes, Progress& progress) {
    const std::uint32_t step = 1u << steps;
    const std::uint32_t outWidth = (p.width + step - 1) / step, outHeight = (p.height + step - 1) / step;
    const bool grey = p.samples == 1;
    platform::GlobalBlock image(allocateDib(static_cast<std::int32_t>(outWidth), static_cast<std::int32_t>(outHeight),
                                            grey ? 8 : 24, grey ? 256 : 0, true));
    if (!image.get()) return 0;
    DibView dib(image.get());
    if (grey) writeGreyRamp(dib.colours(), 256);
    dib.header().biXPelsPerMeter = platform::dpiToPelsPerMeter(dpiOf(tif, TIFFTAG_XRESOLUTION)) >> steps;
    dib.header().biYPelsPerMeter = platform::dpiToPelsPerMeter(dpiOf(tif, TIFFTAG_YRESOLUTION)) >> steps;
    const std::size_t rowBytes = std::size_t{outWidth} * (grey ? 1 : 3);
    std::vector<std::uint8_t> data;
    const std::uint32_t strips = TIFFNumberOfStrips(tif);
    for (std::uint32_t s = 0; s < strips; ++s) {
        const std::uint32_t y0 = s * p.rowsPerStrip;
        if (y0 >= p.height) break;
        const std::uint32_t rows = std::min(p.rowsPerStrip, p.height - y0);
        if (!wholeJpegStrip(tif, s, fileBytes, data)) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
        platform::GlobalBlock part(decodeJpeg(data.data(), data.size(), nullptr, kMostPagePixels, 0, 0, steps));
        if (!part.get()) return 0;
        DibView piece(part.get());
        // The strip must be the part of the page it claims to be.
        const std::int32_t expected = static_cast<std::int32_t>((rows + step - 1) / step);
        if (piece.width() != static_cast<std::int32_t>(outWidth) || piece.height() != expected ||
            piece.header().biBitCount != (grey ? 8 : 24))
            return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
        for (std::int32_t r = 0; r < expected; ++r)
            std::memcpy(dib.row(static_cast<std::int32_t>(y0 / step) + r), piece.row(r), rowBytes);
        if (!progress.report(y0 + rows, p.height)) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    }
    return image.release();
}

// A JPEG-coded page libjpeg can decode strip by strip on its own: YCbCr, RGB (marked as
// such by its component ids) or grey, strips of whole scaled rows, upright.
bool jpegStripsScalable(TIFF* tif, const PageLayout& p, std::uint32_t step) {
    std::uint16_t stored = 0;
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &stored);
    const bool colours = (stored == PHOTOMETRIC_YCBCR || stored == PHOTOMETRIC_RGB) && p.samples == 3;
    const bool grey = stored == PHOTOMETRIC_MINISBLACK && p.samples == 1;
    return p.compression == COMPRESSION_JPEG && (colours || grey) && p.bitsPerSample == 8 && p.extraCount == 0 &&
           p.planar == PLANARCONFIG_CONTIG && !p.tiled && p.orientation == ORIENTATION_TOPLEFT &&
           (p.rowsPerStrip % step == 0 || p.rowsPerStrip >= p.height);
}

}  // namespace

IKHANDLE loadTiffPageReduced(const char* path, int page, std::int32_t atLeastWidth, std::int32_t atLeastHeight,
                             Progress& progress) {
    {
        TiffPtr tif = openPage(path, page);
        if (!tif) return 0;
        const PageLayout p = layoutOf(tif.get());
        const std::int64_t fileBytes = fileSizeOf(path);
        // The budget of the full page applies as to a normal load.
        if (!layoutReadable(p) || fileBytes <= 0 || !pageWithinBudget(p.width, p.height, bitmapBits(p)) ||
            !dataCanFillPage(tif.get(), p, static_cast<std::uint64_t>(fileBytes)))
            return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
        const ShrunkSize shrunk = areaShrinkSize(p.width, p.height, atLeastWidth, atLeastHeight);
        const bool bilevel = isIndexed(p) && p.bitsPerSample == 1 && p.photometric != PHOTOMETRIC_PALETTE &&
                             !p.tiled && p.orientation == ORIENTATION_TOPLEFT;
        if (bilevel && shrunk.width < p.width && shrunk.height < p.height)
            return shrinkBilevelPage(tif.get(), p, static_cast<std::uint32_t>(shrunk.width),
                                     static_cast<std::uint32_t>(shrunk.height), progress);
        const int steps = halvingSteps(p.width, p.height, atLeastWidth, atLeastHeight, 3);
        if (steps > 0 && jpegStripsScalable(tif.get(), p, 1u << steps))
            return shrinkJpegPage(tif.get(), p, steps, static_cast<std::uint64_t>(fileBytes), progress);
    }
    return loadTiffPage(path, page, progress);
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
