// Encoding an image as one TIFF page, written as a new file or appended to an existing one.
#include "Group4Encoder.h"
#include "KitCall.h"
#include "LzwParallel.h"
#include "PixelSource.h"
#include "Progress.h"
#include "TiffPageOutput.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace {

using kit::PixelSource;

enum Compression { kNone, kCcittRle, kGroup3OneD, kGroup3TwoD, kGroup4, kPackBits, kLzw, kJpeg };

constexpr std::uint16_t kTiffCompression[] = {COMPRESSION_NONE,      COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3,
                                              COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4, COMPRESSION_PACKBITS,
                                              COMPRESSION_LZW,       COMPRESSION_JPEG};

// How the bitmap's pixels become the page's samples.
enum class PageKind { Bilevel, Palette, Grey, Rgb, Rgba, Cmyk };

struct PagePlan {
    PageKind kind = PageKind::Rgb;
    bool invertBits = false;  // 1-bit bitmaps whose entry 0 is the dark one
    int quality = 75;
};

// The page layout, or false with IK_ERR_FORMAT when the compression cannot take the bitmap.
bool planPage(const PixelSource& source, int compression, int colourSpaceOrQuality, PagePlan& plan) {
    const bool ccitt = compression >= kCcittRle && compression <= kGroup4;
    const int bits = source.bits();
    if (ccitt && bits != 1) return false;
    if (bits == 1) {
        if (compression == kJpeg) return false;
        plan.kind = PageKind::Bilevel;
        plan.invertBits = kit::weightedLuminance(source.table()[0]) < kit::weightedLuminance(source.table()[1]);
    } else if (bits == 4) {
        if (compression == kJpeg) return false;
        plan.kind = PageKind::Palette;
    } else if (bits == 8) {
        if (compression == kJpeg) {
            if (!source.greyTable()) return false;
            plan.kind = PageKind::Grey;
        } else {
            plan.kind = source.identityGreyTable() ? PageKind::Grey : PageKind::Palette;
        }
    } else if (compression == kJpeg) {
        plan.kind = PageKind::Rgb;
    } else {
        plan.kind = colourSpaceOrQuality == 1 ? PageKind::Cmyk : source.hasAlpha() ? PageKind::Rgba : PageKind::Rgb;
    }
    if (compression == kJpeg)
        plan.quality = colourSpaceOrQuality <= 0 ? 75 : std::min(colourSpaceOrQuality, 100);
    return true;
}

std::uint16_t pageBitsPerSample(const PixelSource& source, const PagePlan& plan) {
    if (plan.kind == PageKind::Bilevel) return 1;
    return plan.kind == PageKind::Palette ? static_cast<std::uint16_t>(source.bits()) : 8;
}

std::uint16_t pageSamples(const PagePlan& plan) {
    if (plan.kind == PageKind::Rgb) return 3;
    return plan.kind == PageKind::Rgba || plan.kind == PageKind::Cmyk ? 4 : 1;
}

std::uint16_t pagePhotometric(int compression, const PagePlan& plan) {
    switch (plan.kind) {
    case PageKind::Bilevel: return PHOTOMETRIC_MINISWHITE;
    case PageKind::Palette: return PHOTOMETRIC_PALETTE;
    case PageKind::Grey: return PHOTOMETRIC_MINISBLACK;
    case PageKind::Rgb: return compression == kJpeg ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_RGB;
    case PageKind::Rgba: return PHOTOMETRIC_RGB;
    case PageKind::Cmyk: return PHOTOMETRIC_SEPARATED;
    }
    return PHOTOMETRIC_RGB;
}

void setPageTags(TIFF* tif, const PixelSource& source, int compression, const PagePlan& plan, const char* comment,
                 bool oneStrip) {
    const auto width = static_cast<std::uint32_t>(source.width());
    const auto height = static_cast<std::uint32_t>(source.height());
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, kTiffCompression[compression]);
    const std::uint16_t bits = pageBitsPerSample(source, plan);
    const std::uint16_t samples = pageSamples(plan);
    // The depth comes first: libtiff sizes the colour map by it.
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, pagePhotometric(compression, plan));
    if (plan.kind == PageKind::Palette) {
        std::vector<std::uint16_t> red, green, blue;
        for (const platform::RgbQuad& c : source.table()) {
            red.push_back(std::uint16_t(c.red * 257));
            green.push_back(std::uint16_t(c.green * 257));
            blue.push_back(std::uint16_t(c.blue * 257));
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    } else if (plan.kind == PageKind::Rgba) {
        const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    } else if (plan.kind == PageKind::Cmyk) {
        TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
    }
    if (compression == kGroup3TwoD) TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_2DENCODING);
    if (compression == kGroup3OneD) TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, 0);
    if (compression == kJpeg) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, plan.quality);
        if (plan.kind == PageKind::Rgb) TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bits * samples + 7) / 8;
    std::uint32_t rows = oneStrip ? height : static_cast<std::uint32_t>(std::max<std::uint64_t>(1, 8192 / rowBytes));
    // JPEG strips hold whole rows of 8 × 8 blocks, 16 rows when chroma is subsampled.
    if (compression == kJpeg && !oneStrip) rows = (rows + 15) / 16 * 16;
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::min(rows, height));
    if (source.xdpi() > 0 && source.ydpi() > 0) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(source.xdpi()));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(source.ydpi()));
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    if (comment && *comment) TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, comment);
}

// Builds row y of the page's samples in `out`.
void pageRow(const PixelSource& source, const PagePlan& plan, std::int32_t y, std::uint8_t* out,
             std::vector<std::uint8_t>& rgb) {
    const std::int32_t w = source.width();
    switch (plan.kind) {
    case PageKind::Bilevel: {
        const std::size_t bytes = (static_cast<std::size_t>(w) + 7) / 8;
        std::memcpy(out, source.row(y), bytes);
        if (plan.invertBits)
            for (std::size_t i = 0; i < bytes; ++i) out[i] = std::uint8_t(~out[i]);
        break;
    }
    case PageKind::Palette: std::memcpy(out, source.row(y), kit::packedRowBytes(static_cast<std::size_t>(w), source.bits())); break;
    case PageKind::Grey: {
        const std::uint8_t* src = source.row(y);
        for (std::size_t x = 0; x < static_cast<std::size_t>(w); ++x) out[x] = source.table()[src[x]].red;
        break;
    }
    case PageKind::Rgb: source.rgbRow(y, out); break;
    case PageKind::Rgba: source.rgbaRow(y, out); break;
    case PageKind::Cmyk:
        source.rgbRow(y, rgb.data());
        for (std::size_t x = 0; x < static_cast<std::size_t>(w); ++x) {
            const int c = 255 - rgb[3 * x], m = 255 - rgb[3 * x + 1], ye = 255 - rgb[3 * x + 2];
            const int k = std::min({c, m, ye});
            const int rest = 255 - k;
            out[4 * x] = std::uint8_t(rest ? (c - k) * 255 / rest : 0);
            out[4 * x + 1] = std::uint8_t(rest ? (m - k) * 255 / rest : 0);
            out[4 * x + 2] = std::uint8_t(rest ? (ye - k) * 255 / rest : 0);
            out[4 * x + 3] = std::uint8_t(k);
        }
        break;
    }
}

// The strips of a batch: each one's first row and row count.
using StripRows = std::vector<std::pair<const std::uint8_t*, std::size_t>>;

// A page coded by the kit's own coders: its strips go in batches of about 4 MB of rows, each
// batch's rows built, coded on every core by `code(strips, coded)` (one input per strip:
// its first row and its row count) and written as they are.
template <typename Coded, typename Code, typename Bytes>
bool encodeStripBatches(TIFF* tif, const PixelSource& source, const PagePlan& plan, std::size_t rowBytes,
                        std::uint32_t rowsPerStrip, kit::Progress& progress, const Code& code, const Bytes& bytesOf) {
    constexpr std::size_t kBatchBytes = std::size_t(4) << 20;
    const auto height = static_cast<std::uint32_t>(source.height());
    const std::size_t stripBytes = rowBytes * rowsPerStrip;
    const std::size_t stripsPerBatch = std::max<std::size_t>(1, kBatchBytes / stripBytes);
    const std::size_t strips = (height + std::size_t(rowsPerStrip) - 1) / rowsPerStrip;
    const std::size_t batchRows = std::min<std::size_t>(height, stripsPerBatch * rowsPerStrip);
    // One row more, so that a CMYK row may be built in place wider than it ends.
    std::vector<std::uint8_t> batch(rowBytes * batchRows + static_cast<std::size_t>(source.width()) * 4);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(source.width()) * 3);
    StripRows inputs;
    std::vector<Coded> coded;
    for (std::size_t first = 0; first < strips; first += stripsPerBatch) {
        const std::size_t last = std::min(strips, first + stripsPerBatch);
        const std::size_t y0 = first * rowsPerStrip;
        const std::size_t y1 = std::min<std::size_t>(height, last * rowsPerStrip);
        for (std::size_t y = y0; y < y1; ++y)
            pageRow(source, plan, static_cast<std::int32_t>(y), batch.data() + (y - y0) * rowBytes, rgb);
        inputs.clear();
        for (std::size_t s = first; s < last; ++s)
            inputs.emplace_back(batch.data() + (s - first) * stripBytes,
                                std::min<std::size_t>(rowsPerStrip, height - s * rowsPerStrip));
        if (!code(inputs, coded)) return false;
        for (std::size_t s = first; s < last; ++s) {
            const auto [data, size] = bytesOf(coded[s - first]);
            if (TIFFWriteRawStrip(tif, static_cast<std::uint32_t>(s), data, static_cast<tmsize_t>(size)) < 0)
                return false;
        }
        if (!progress.report(y1, height)) return false;
    }
    return true;
}

bool encodeLzwPage(TIFF* tif, const PixelSource& source, const PagePlan& plan, std::size_t rowBytes,
                   std::uint32_t rowsPerStrip, kit::Progress& progress) {
    std::vector<std::span<const std::uint8_t>> inputs;
    return encodeStripBatches<kit::LzwStrip>(
        tif, source, plan, rowBytes, rowsPerStrip, progress,
        [&](const StripRows& strips, std::vector<kit::LzwStrip>& coded) {
            inputs.clear();
            for (const auto& [rows, count] : strips) inputs.emplace_back(rows, count * rowBytes);
            return kit::lzwEncodeStrips(inputs, coded);
        },
        [](kit::LzwStrip& strip) { return std::pair<void*, std::size_t>(strip.bytes.get(), strip.size); });
}

bool encodeGroup4Page(TIFF* tif, const PixelSource& source, const PagePlan& plan, std::size_t rowBytes,
                      std::uint32_t rowsPerStrip, kit::Progress& progress) {
    std::vector<kit::BilevelRows> inputs;
    const auto width = static_cast<std::size_t>(source.width());
    return encodeStripBatches<std::vector<std::uint8_t>>(
        tif, source, plan, rowBytes, rowsPerStrip, progress,
        [&](const StripRows& strips, std::vector<std::vector<std::uint8_t>>& coded) {
            inputs.clear();
            for (const auto& [rows, count] : strips) inputs.push_back({rows, width, count, rowBytes});
            if (inputs.size() > 1) return kit::group4EncodeStrips(inputs, coded);
            coded.resize(1);
            return kit::group4Encode(inputs[0], coded[0]);
        },
        [](std::vector<std::uint8_t>& strip) { return std::pair<void*, std::size_t>(strip.data(), strip.size()); });
}

// Encodes the page into an open file strip by strip; false on a write failure or a stop answer.
bool encodePage(TIFF* tif, const PixelSource& source, int compression, const PagePlan& plan, const char* comment,
                bool oneStrip, kit::Progress& progress) {
    setPageTags(tif, source, compression, plan, comment, oneStrip);
    const tmsize_t rowBytes = TIFFScanlineSize(tif);
    if (rowBytes <= 0) return false;
    const auto height = static_cast<std::uint32_t>(source.height());
    std::uint32_t rowsPerStrip = height;
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, height);
    if (compression == kLzw)
        return encodeLzwPage(tif, source, plan, static_cast<std::size_t>(rowBytes), rowsPerStrip, progress);
    if (compression == kGroup4)
        return encodeGroup4Page(tif, source, plan, static_cast<std::size_t>(rowBytes), rowsPerStrip, progress);
    // One row more than a strip, so that a CMYK row may be built in place wider than it ends.
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(rowBytes) * rowsPerStrip +
                                    static_cast<std::size_t>(source.width()) * 4);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(source.width()) * 3);
    for (std::uint32_t y0 = 0; y0 < height; y0 += rowsPerStrip) {
        const std::uint32_t rows = std::min(rowsPerStrip, height - y0);
        for (std::uint32_t r = 0; r < rows; ++r)
            pageRow(source, plan, static_cast<std::int32_t>(y0 + r), strip.data() + static_cast<std::size_t>(r) * rowBytes, rgb);
        const tstrip_t index = TIFFComputeStrip(tif, y0, 0);
        if (TIFFWriteEncodedStrip(tif, index, strip.data(), rowBytes * rows) < 0) return false;
        if (!progress.report(y0 + rows, height)) return false;
    }
    return true;
}

}  // namespace

IK_API IKBOOL IKTiffFileSave(const char* path, IKHANDLE image, int32_t compression, int32_t colorSpaceOrQuality,
                             IKBOOL append, const char* comment, IKBOOL oneStrip, IKPROGRESSPROC progress,
                             const char*, const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!path || !*path || compression < kNone || compression > kJpeg) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        if (compression != kJpeg && colorSpaceOrQuality != 0 && colorSpaceOrQuality != 1)
            return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        const PixelSource source(image);
        if (!source.usable()) return kit::fail(source.failureStatus(), IK_FALSE);
        PagePlan plan;
        if (!planPage(source, compression, colorSpaceOrQuality, plan)) return kit::fail(IK_ERR_FORMAT, IK_FALSE);
        kit::Progress relay(progress);
        return kit::writeTiffPage(path, append != 0, [&](TIFF* tif, kit::Progress& p) -> std::uint16_t {
            return encodePage(tif, source, compression, plan, comment, oneStrip != 0, p) ? IK_OK : IK_ERR_FILE_WRITE;
        }, relay);
    });
}
