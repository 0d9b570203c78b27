// Writing one TIFF page: a new file through a temporary copy, or appended to an existing
// file in place with the append undone when anything fails.
#include "AtomicOutput.h"
#include "DecodeLimits.h"
#include "KitCall.h"
#include "PixelSource.h"
#include "Progress.h"
#include "TiffChain.h"
#include "TiffHandle.h"

#include <algorithm>
#include <cstring>
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

int luminance(const platform::RgbQuad& c) { return 299 * c.red + 587 * c.green + 114 * c.blue; }

// The page layout, or false with IK_ERR_FORMAT when the compression cannot take the bitmap.
bool planPage(const PixelSource& source, int compression, int colourSpaceOrQuality, PagePlan& plan) {
    const bool ccitt = compression >= kCcittRle && compression <= kGroup4;
    const int bits = source.bits();
    if (ccitt && bits != 1) return false;
    if (bits == 1) {
        if (compression == kJpeg) return false;
        plan.kind = PageKind::Bilevel;
        plan.invertBits = luminance(source.table()[0]) < luminance(source.table()[1]);
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

void setPageTags(TIFF* tif, const PixelSource& source, int compression, const PagePlan& plan, const char* comment,
                 bool oneStrip) {
    const auto width = static_cast<std::uint32_t>(source.width());
    const auto height = static_cast<std::uint32_t>(source.height());
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, kTiffCompression[compression]);
    const std::uint16_t bits = plan.kind == PageKind::Bilevel ? 1
                               : plan.kind == PageKind::Palette ? static_cast<std::uint16_t>(source.bits())
                                                                : 8;
    const std::uint16_t samples = plan.kind == PageKind::Rgb ? 3
                                  : plan.kind == PageKind::Rgba || plan.kind == PageKind::Cmyk ? 4
                                                                                                : 1;
    // The depth comes first: libtiff sizes the colour map by it.
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    switch (plan.kind) {
    case PageKind::Bilevel:
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        break;
    case PageKind::Palette: {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        std::vector<std::uint16_t> red, green, blue;
        for (const platform::RgbQuad& c : source.table()) {
            red.push_back(std::uint16_t(c.red * 257));
            green.push_back(std::uint16_t(c.green * 257));
            blue.push_back(std::uint16_t(c.blue * 257));
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
        break;
    }
    case PageKind::Grey: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK); break;
    case PageKind::Rgb:
        if (compression == kJpeg) {
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
        } else {
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        }
        break;
    case PageKind::Rgba: {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
        break;
    }
    case PageKind::Cmyk:
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
        TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
        break;
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
    case PageKind::Palette: std::memcpy(out, source.row(y), (static_cast<std::size_t>(w) * source.bits() + 7) / 8); break;
    case PageKind::Grey: {
        const std::uint8_t* src = source.row(y);
        for (std::int32_t x = 0; x < w; ++x) out[x] = source.table()[src[x]].red;
        break;
    }
    case PageKind::Rgb: source.rgbRow(y, out); break;
    case PageKind::Rgba: source.rgbaRow(y, out); break;
    case PageKind::Cmyk:
        source.rgbRow(y, rgb.data());
        for (std::int32_t x = 0; x < w; ++x) {
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

// Writes the page into an open file; false on a write failure or a stop answer.
bool writePage(TIFF* tif, const PixelSource& source, int compression, const PagePlan& plan, const char* comment,
               bool oneStrip, kit::Progress& progress) {
    setPageTags(tif, source, compression, plan, comment, oneStrip);
    const tmsize_t rowBytes = TIFFScanlineSize(tif);
    if (rowBytes <= 0) return false;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(std::max<tmsize_t>(rowBytes, source.width() * 4)));
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(source.width()) * 3);
    for (std::int32_t y = 0; y < source.height(); ++y) {
        pageRow(source, plan, y, row.data(), rgb);
        if (TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0) < 0) return false;
        if (!progress.report(static_cast<std::uint64_t>(y) + 1, static_cast<std::uint64_t>(source.height())))
            return false;
    }
    return TIFFWriteDirectory(tif) != 0;
}

std::uint16_t failureStatus(const kit::Progress& progress) {
    return progress.stopped() ? IK_ERR_CANCELLED : IK_ERR_FILE_WRITE;
}

IKBOOL appendPage(const char* path, const PixelSource& source, int compression, const PagePlan& plan,
                  const char* comment, bool oneStrip, kit::Progress& progress) {
    // Only a well-formed TIFF is appended to; anything else is left untouched.
    const std::optional<kit::TiffAppendPoint> point = kit::findAppendPoint(path);
    if (!point || !kit::openTiff(path, "r")) return kit::fail(IK_ERR_FILE_READ, IK_FALSE);
    kit::TiffPtr tif = kit::openTiff(path, "a");
    if (!tif) return kit::fail(IK_ERR_FILE_OPEN, IK_FALSE);
    const bool written = writePage(tif.get(), source, compression, plan, comment, oneStrip, progress);
    const bool closed = written && TIFFFlush(tif.get()) != 0;
    tif.reset();
    if (closed) return IK_TRUE;
    kit::undoAppend(path, *point);
    return kit::fail(failureStatus(progress), IK_FALSE);
}

IKBOOL writeNewFile(const char* path, const PixelSource& source, int compression, const PagePlan& plan,
                    const char* comment, bool oneStrip, kit::Progress& progress) {
    kit::AtomicOutput output(path);
    if (!output.ready()) return kit::fail(IK_ERR_FILE_OPEN, IK_FALSE);
    kit::TiffPtr tif = kit::openTiff(output.path(), "w");
    if (!tif) return kit::fail(IK_ERR_FILE_OPEN, IK_FALSE);
    const bool written = writePage(tif.get(), source, compression, plan, comment, oneStrip, progress);
    const bool flushed = written && TIFFFlush(tif.get()) != 0;
    tif.reset();
    if (!flushed) return kit::fail(failureStatus(progress), IK_FALSE);
    return output.commit() ? IK_TRUE : kit::fail(IK_ERR_FILE_WRITE, IK_FALSE);
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
        if (append && kit::fileSizeOf(path) >= 0)
            return appendPage(path, source, compression, plan, comment, oneStrip != 0, relay);
        return writeNewFile(path, source, compression, plan, comment, oneStrip != 0, relay);
    });
}
