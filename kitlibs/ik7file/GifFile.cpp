// GIF files: every image a page; facts, loading and saving. Transparent pixels are
// shown white, as the other loaders compose transparency onto white.
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
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

namespace kit {
namespace {

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

// What a walk through the file's records found.
struct GifScan {
    int images = 0;
    std::string comment;
    // Of the wanted image:
    bool found = false;
    GifImageDesc desc{};
    ColorMapObject* map = nullptr;  // owned by the gif handle: valid while decoding only
    int mapBits = 0;
    int transparent = -1;
    platform::GlobalBlock image;
};

bool skipCode(GifFileType* gif) {
    int size = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &size, &block) == GIF_ERROR) return false;
    while (block)
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
    return true;
}

// giflib appends a copy of every image descriptor it reads to SavedImages, growing the
// array by one each time: quadratic work and memory growing with the images passed. The
// walk needs none of them, so each is dropped once read (an empty list holds no images).
void forgetPassedImages(GifFileType* gif) {
    GifFreeSavedImages(gif);
    gif->SavedImages = nullptr;
    gif->ImageCount = 0;
}

// Reads the wanted image's rows into a new 8-bit bitmap.
bool decodeImage(GifFileType* gif, GifScan& scan, std::uint64_t fileBytes, Progress& progress) {
    const GifImageDesc& d = scan.desc;
    if (!scan.map || !plausibleImage(d.Width, d.Height, 8, fileBytes, kRatioGif)) return fail(IK_ERR_FILE_READ, false);
    const int colours = std::clamp(scan.map->ColorCount, 1, 256);
    scan.image = platform::GlobalBlock(allocateDib(d.Width, d.Height, 8, std::uint32_t(colours), true));
    if (!scan.image.get()) return false;
    DibView dib(scan.image.get());
    for (int i = 0; i < colours; ++i) {
        const GifColorType& c = scan.map->Colors[i];
        dib.colours()[i] = i == scan.transparent ? platform::RgbQuad{255, 255, 255, 0}
                                                 : platform::RgbQuad{c.Blue, c.Green, c.Red, 0};
    }
    std::vector<std::int32_t> order(static_cast<std::size_t>(d.Height));
    if (d.Interlace) {
        static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        std::size_t n = 0;
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < d.Height; y += step[pass]) order[n++] = y;
    } else {
        for (int y = 0; y < d.Height; ++y) order[static_cast<std::size_t>(y)] = y;
    }
    for (int i = 0; i < d.Height; ++i) {
        std::uint8_t* row = dib.row(order[static_cast<std::size_t>(i)]);
        if (DGifGetLine(gif, row, d.Width) == GIF_ERROR) return fail(IK_ERR_FILE_READ, false);
        // Indices beyond the table would read past it.
        for (int x = 0; x < d.Width; ++x)
            if (row[x] >= colours) row[x] = 0;
        if (!progress.report(std::uint64_t(i) + 1, std::uint64_t(d.Height))) return fail(IK_ERR_CANCELLED, false);
    }
    return true;
}

// Walks the records up to image `wanted` and decodes it when `progress` is given; for the
// facts, walks on to the end of the file or its kMostGifImages-th image. Data that stops
// between records (no trailer) ends the file there. Data that breaks off inside a record
// ends it too for the facts of an image passed whole before the break; asking for the
// broken image or one after it is a read failure.
bool scanGif(const char* path, int wanted, GifScan& scan, Progress* progress) {
    if (wanted < 0 || wanted >= kMostGifImages) return fail(IK_ERR_ARGUMENT, false);
    int error = 0;
    GifPtr gif(DGifOpenFileName(path, &error));
    if (!gif) return fail(IK_ERR_FILE_READ, false);
    const std::uint64_t fileBytes = static_cast<std::uint64_t>(std::max<std::int64_t>(fileSizeOf(path), 1));
    // The wanted image was passed whole before the break: the facts keep what they found.
    const auto brokenOff = [&] { return scan.found && !progress ? true : fail(IK_ERR_FILE_READ, false); };
    int transparent = -1;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    do {
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) return scan.images > 0 ? true : fail(IK_ERR_FILE_READ, false);
        if (record == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return brokenOff();
            forgetPassedImages(gif.get());
            const bool isWanted = scan.images == wanted;
            if (isWanted) {
                scan.desc = gif->Image;
                scan.map = gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap;
                scan.mapBits = scan.map ? scan.map->BitsPerPixel : 0;
                scan.transparent = transparent;
                if (progress) {
                    scan.found = true;
                    return decodeImage(gif.get(), scan, fileBytes, *progress);
                }
            }
            if (!skipCode(gif.get())) return brokenOff();
            scan.found = scan.found || isWanted;
            if (++scan.images == kMostGifImages) return true;
            transparent = -1;
        } else if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) return brokenOff();
            bool first = true;
            // The file's comment is its first comment extension.
            const bool collect = code == COMMENT_EXT_FUNC_CODE && scan.comment.empty();
            while (block) {
                if (code == GRAPHICS_EXT_FUNC_CODE && first && block[0] >= 4) {
                    GraphicsControlBlock control{};
                    DGifExtensionToGCB(block[0], block + 1, &control);
                    transparent = control.TransparentColor;
                }
                if (collect && scan.comment.size() < IK_FILEINFO_COMMENT)
                    scan.comment.append(reinterpret_cast<const char*>(block + 1), block[0]);
                first = false;
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) return brokenOff();
            }
        }
    } while (record != TERMINATE_RECORD_TYPE);
    return true;
}

}  // namespace

bool gifFileInfo(const char* path, int image, IKFILEINFO& out) {
    GifScan scan;
    if (!scanGif(path, image, scan, nullptr)) return false;
    if (!scan.found) return fail(IK_ERR_ARGUMENT, false);
    out.bitsPerPixel = 8;
    out.width = scan.desc.Width;
    out.height = scan.desc.Height;
    out.valueK = 1;
    out.valueL = scan.mapBits;
    out.fileType = IK_FILETYPE_GIF;
    out.interlace = scan.desc.Interlace ? 1 : 0;
    out.pageCount = scan.images;
    const std::size_t length = std::min(scan.comment.size(), sizeof(out.comment) - 1);
    std::memcpy(out.comment, scan.comment.data(), length);
    out.comment[length] = '\0';
    return true;
}

IKHANDLE loadGifImage(const char* path, int image, Progress& progress) {
    GifScan scan;
    if (!scanGif(path, image, scan, &progress)) return 0;
    if (!scan.found) return fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
    return scan.image.release();
}

}  // namespace kit

namespace {

struct GifWriterCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

// The image's indices and colour table, 256 colours at most.
bool indexImage(const kit::PixelSource& source, std::vector<std::uint8_t>& indices, std::vector<GifColorType>& table) {
    const std::int32_t w = source.width(), h = source.height();
    const std::size_t width = static_cast<std::size_t>(w);
    indices.resize(width * static_cast<std::size_t>(h));
    if (source.indexed()) {
        for (std::int32_t y = 0; y < h; ++y) {
            std::uint8_t* out = indices.data() + static_cast<std::size_t>(y) * width;
            for (std::size_t x = 0; x < width; ++x) out[x] = kit::indexAt(source.row(y), x, source.bits());
        }
        for (const platform::RgbQuad& c : source.table()) table.push_back(GifColorType{c.red, c.green, c.blue});
        return true;
    }
    std::vector<GifByteType> red(indices.size()), green(indices.size()), blue(indices.size());
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 3);
    for (std::int32_t y = 0; y < h; ++y) {
        source.rgbRow(y, row.data());
        for (std::size_t x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            red[i] = row[3 * x];
            green[i] = row[3 * x + 1];
            blue[i] = row[3 * x + 2];
        }
    }
    int size = 256;
    table.resize(256);
    if (GifQuantizeBuffer(static_cast<unsigned>(w), static_cast<unsigned>(h), &size, red.data(), green.data(), blue.data(),
                          indices.data(), table.data()) == GIF_ERROR)
        return false;
    table.resize(static_cast<std::size_t>(size));
    return true;
}

bool writeGif(const char* path, const kit::PixelSource& source, bool interlace, bool transparent, int red, int green,
              int blue, bool animation, int delay, const char* comment, kit::Progress& progress) {
    std::vector<std::uint8_t> indices;
    std::vector<GifColorType> table;
    if (!indexImage(source, indices, table)) return false;
    int bits = 1;
    while ((1 << bits) < int(table.size())) ++bits;
    table.resize(std::size_t(1) << bits, GifColorType{0, 0, 0});
    int error = 0;
    std::unique_ptr<GifFileType, GifWriterCloser> gif(EGifOpenFileName(path, false, &error));
    if (!gif) return false;
    ColorMapObject* map = GifMakeMapObject(1 << bits, table.data());
    if (!map) return false;
    EGifSetGifVersion(gif.get(), true);
    const bool screen = EGifPutScreenDesc(gif.get(), source.width(), source.height(), bits, 0, map) != GIF_ERROR;
    GifFreeMapObject(map);
    if (!screen) return false;
    if (animation) {
        const GifByteType netscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        const GifByteType loop[] = {1, 0, 0};
        if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(gif.get(), sizeof(netscape), netscape) == GIF_ERROR ||
            EGifPutExtensionBlock(gif.get(), sizeof(loop), loop) == GIF_ERROR ||
            EGifPutExtensionTrailer(gif.get()) == GIF_ERROR)
            return false;
    }
    if (transparent || animation) {
        GraphicsControlBlock control{};
        control.DelayTime = std::max(delay, 0);
        std::vector<platform::RgbQuad> quads;
        for (const GifColorType& c : table) quads.push_back(platform::RgbQuad{c.Blue, c.Green, c.Red, 0});
        control.TransparentColor = transparent ? kit::nearestEntry(quads, red, green, blue) : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_ERROR) return false;
    }
    if (comment && *comment && EGifPutComment(gif.get(), comment) == GIF_ERROR) return false;
    if (EGifPutImageDesc(gif.get(), 0, 0, source.width(), source.height(), interlace, nullptr) == GIF_ERROR) return false;
    std::vector<std::int32_t> order;
    if (interlace) {
        static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < source.height(); y += step[pass]) order.push_back(y);
    } else {
        for (int y = 0; y < source.height(); ++y) order.push_back(y);
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (EGifPutLine(gif.get(), indices.data() + static_cast<std::size_t>(order[i]) * source.width(), source.width()) == GIF_ERROR)
            return false;
        if (!progress.report(i + 1, order.size())) return false;
    }
    GifFileType* raw = gif.release();
    return EGifCloseFile(raw, &error) != GIF_ERROR;
}

}  // namespace

IK_API IKHANDLE IKGifFileLoad(const char* path, int32_t page, IKPROGRESSPROC progress, const char*, const char*,
                              const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (!kit::fileIsFormat(path, kit::ImageFormat::Gif)) return IKHANDLE(0);
        kit::Progress relay(progress);
        return kit::loadGifImage(path, page, relay);
    });
}

IK_API IKBOOL IKGifFileSave(const char* path, IKHANDLE image, IKBOOL interlace, IKBOOL transparent, uint8_t red,
                            uint8_t green, uint8_t blue, IKBOOL animation, int32_t delay, const char* comment,
                            IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!path || !*path) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        const kit::PixelSource source(image);
        if (!source.usable()) return kit::fail(source.failureStatus(), IK_FALSE);
        if (source.width() > 65535 || source.height() > 65535) return kit::fail(IK_ERR_FORMAT, IK_FALSE);
        kit::AtomicOutput output(path);
        if (!output.ready()) return kit::fail(IK_ERR_FILE_OPEN, IK_FALSE);
        kit::Progress relay(progress);
        if (!writeGif(output.path(), source, interlace != 0, transparent != 0, red, green, blue, animation != 0, delay,
                      comment, relay))
            return kit::fail(relay.stopped() ? IK_ERR_CANCELLED : IK_ERR_FILE_WRITE, IK_FALSE);
        return output.commit() ? IK_TRUE : kit::fail(IK_ERR_FILE_WRITE, IK_FALSE);
    });
}
