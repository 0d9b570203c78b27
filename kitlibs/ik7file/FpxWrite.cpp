// FlashPix saving: the picture and its reduced levels down to one tile, in 64 × 64 tiles
// stored uncompressed, as single colours where a tile is one colour, or JPEG-coded with one
// shared set of tables; the comment goes into the summary information.
#include "AtomicOutput.h"
#include "FpxLayout.h"
#include "FpxStorage.h"
#include "JpegErrors.h"
#include "KitCall.h"
#include "PixelSource.h"
#include "Progress.h"
#include "platform/GlobalMemory.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output-stdio.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <cstring>
#include <optional>

namespace kit::fpx {
namespace {

enum class Mode { Uncompressed = 0, SingleColour = 1, Jpeg = 2 };

// One level's samples, channels interleaved, rows top-down.
struct Plane {
    std::uint32_t width = 0, height = 0, channels = 0;
    std::vector<std::uint8_t> samples;
    const std::uint8_t* at(std::uint32_t x, std::uint32_t y) const {
        return samples.data() + (std::size_t(y) * width + x) * channels;
    }
};

Plane planeOf(const PixelSource& source, bool grey) {
    Plane plane{static_cast<std::uint32_t>(source.width()), static_cast<std::uint32_t>(source.height()),
                grey ? 1u : 3u, {}};
    plane.samples.resize(std::size_t(plane.width) * plane.height * plane.channels);
    std::vector<std::uint8_t> rgb(std::size_t(plane.width) * 3);
    for (std::uint32_t y = 0; y < plane.height; ++y) {
        std::uint8_t* out = plane.samples.data() + std::size_t(y) * plane.width * plane.channels;
        if (grey) {
            const std::uint8_t* indices = source.row(static_cast<std::int32_t>(y));
            for (std::size_t x = 0; x < plane.width; ++x) out[x] = source.table()[indexAt(indices, x, source.bits())].red;
        } else {
            source.rgbRow(static_cast<std::int32_t>(y), out);
        }
    }
    return plane;
}

// The next level: each pixel the average of a 2 × 2 block (edge pixels repeated).
Plane halved(const Plane& from) {
    Plane out{(from.width + 1) / 2, (from.height + 1) / 2, from.channels, {}};
    out.samples.resize(std::size_t(out.width) * out.height * out.channels);
    std::uint8_t* p = out.samples.data();
    for (std::uint32_t y = 0; y < out.height; ++y) {
        const std::uint32_t y0 = 2 * y, y1 = std::min(2 * y + 1, from.height - 1);
        for (std::uint32_t x = 0; x < out.width; ++x) {
            const std::uint32_t x0 = 2 * x, x1 = std::min(2 * x + 1, from.width - 1);
            const std::uint8_t *a = from.at(x0, y0), *b = from.at(x1, y0), *c = from.at(x0, y1), *d = from.at(x1, y1);
            for (std::uint32_t k = 0; k < from.channels; ++k) *p++ = std::uint8_t((a[k] + b[k] + c[k] + d[k] + 2) / 4);
        }
    }
    return out;
}

// Tile (tx, ty) as 64 × 64 pixels, the picture's last column and row repeated beyond it.
void cutTile(const Plane& plane, std::uint32_t tx, std::uint32_t ty, std::uint8_t* out) {
    const std::size_t rowBytes = kTileSide * plane.channels;
    for (std::uint32_t y = 0; y < kTileSide; ++y) {
        const std::uint32_t sy = std::min<std::uint32_t>(ty * kTileSide + y, plane.height - 1);
        const std::uint32_t x0 = tx * kTileSide, w = std::min<std::uint32_t>(kTileSide, plane.width - x0);
        std::uint8_t* row = out + y * rowBytes;
        std::memcpy(row, plane.at(x0, sy), std::size_t(w) * plane.channels);
        for (std::uint32_t x = w; x < kTileSide; ++x) std::memcpy(row + x * plane.channels, plane.at(x0 + w - 1, sy), plane.channels);
    }
}

// The colour of a tile when every pixel of it inside the picture has the same one.
std::optional<std::uint32_t> singleColour(const Plane& plane, std::uint32_t tx, std::uint32_t ty) {
    const std::uint32_t x0 = tx * kTileSide, y0 = ty * kTileSide;
    const std::uint32_t w = std::min<std::uint32_t>(kTileSide, plane.width - x0);
    const std::uint32_t h = std::min<std::uint32_t>(kTileSide, plane.height - y0);
    const std::uint8_t* first = plane.at(x0, y0);
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = plane.at(x0, y0 + y);
        for (std::uint32_t x = 0; x < w; ++x)
            if (std::memcmp(row + std::size_t(x) * plane.channels, first, plane.channels) != 0) return std::nullopt;
    }
    std::uint32_t colour = 0;
    for (std::uint32_t c = 0; c < plane.channels; ++c) colour |= std::uint32_t(first[c]) << (8 * c);
    return colour;
}

// JPEG tiles through one libjpeg object: the tables once, then abbreviated tiles.
class JpegTileWriter {
public:
    JpegTileWriter(std::uint32_t channels, int quality) {
        info_.err = quietJpegErrors(errors_);
        jpeg_create_compress(&info_);
        info_.image_width = info_.image_height = kTileSide;
        info_.input_components = static_cast<int>(channels);
        info_.in_color_space = channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
        jpeg_set_defaults(&info_);
        jpeg_set_quality(&info_, quality, TRUE);
        info_.write_JFIF_header = FALSE;
        info_.write_Adobe_marker = FALSE;
    }
    ~JpegTileWriter() {
        jpeg_destroy_compress(&info_);
        freeBuffer();
    }
    JpegTileWriter(const JpegTileWriter&) = delete;
    JpegTileWriter& operator=(const JpegTileWriter&) = delete;

    bool tables(std::vector<std::uint8_t>& out) {
        if (setjmp(errors_.jump)) return false;
        unsigned long size = 0;
        freeBuffer();
        jpeg_mem_dest(&info_, &buffer_, &size);
        jpeg_write_tables(&info_);
        out.assign(buffer_, buffer_ + size);
        return true;
    }
    bool tile(const std::uint8_t* pixels, std::vector<std::uint8_t>& out) {
        if (setjmp(errors_.jump)) {
            jpeg_abort_compress(&info_);
            return false;
        }
        unsigned long size = 0;
        freeBuffer();
        jpeg_mem_dest(&info_, &buffer_, &size);
        jpeg_start_compress(&info_, FALSE);
        const std::size_t stride = kTileSide * static_cast<std::size_t>(info_.input_components);
        JSAMPROW rows[kTileSide];
        for (std::size_t y = 0; y < kTileSide; ++y) rows[y] = const_cast<std::uint8_t*>(pixels + y * stride);
        jpeg_write_scanlines(&info_, rows, kTileSide);
        jpeg_finish_compress(&info_);
        out.assign(buffer_, buffer_ + size);
        return true;
    }
private:
    // libjpeg allocates the output buffer afresh for each stream; the previous one is ours.
    void freeBuffer() {
        std::free(buffer_);
        buffer_ = nullptr;
    }

    jpeg_compress_struct info_{};
    JpegErrors errors_{};
    unsigned char* buffer_ = nullptr;
};

// Sub-type of a JPEG tile: interleaved, chroma subsampled 2 × 2 for colour, colour converted
// by the coder, table set 1.
std::uint32_t jpegSubtype(std::uint32_t channels) { return channels == 1 ? 0x01001100u : 0x01012200u; }

bool writeStream(GsfOutfile* storage, const char* name, const std::vector<std::uint8_t>& bytes) {
    GsfRef<GsfOutput> stream(gsf_outfile_new_child(storage, name, FALSE));
    if (!stream) return false;
    const bool written = bytes.empty() || gsf_output_write(stream.get(), bytes.size(), bytes.data());
    return gsf_output_close(stream.get()) && written;
}

std::vector<std::uint8_t> streamHeader() {
    static const std::uint8_t start[] = {0xFE, 0xFF, 0, 0, 3, 0, 0, 0};
    std::vector<std::uint8_t> out;
    append(out, start, sizeof(start));
    append(out, kSubimageClass.data(), kSubimageClass.size());
    putU32(out, 1);
    return out;
}

std::vector<std::uint8_t> compObj() {
    static const std::uint8_t start[] = {0x01, 0x00, 0xFE, 0xFF, 0x03, 0x0A, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
    static const char type[] = "FlashPix Image";
    std::vector<std::uint8_t> out;
    append(out, start, sizeof(start));
    append(out, kImageObjectClass.data(), kImageObjectClass.size());
    putU32(out, static_cast<std::uint32_t>(sizeof(type)));
    append(out, type, sizeof(type));
    putU32(out, 0);  // no clipboard format
    putU32(out, 0);  // no program id
    return out;
}

// Every tile of a level JPEG-coded, in tile order, on every core (each thread its own coder;
// all use the same standard tables).
bool codeJpegTiles(const Plane& plane, int quality, std::vector<std::vector<std::uint8_t>>& out) {
    const std::uint32_t across = (plane.width + 63) / 64;
    const std::size_t count = std::size_t{across} * ((plane.height + 63) / 64);
    out.assign(count, {});
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        try {
            JpegTileWriter coder(plane.channels, quality);
            std::vector<std::uint8_t> pixels(kTileSide * kTileSide * plane.channels);
            for (std::size_t t; !failed && (t = next++) < count;) {
                cutTile(plane, static_cast<std::uint32_t>(t % across), static_cast<std::uint32_t>(t / across),
                        pixels.data());
                if (!coder.tile(pixels.data(), out[t])) failed = true;
            }
        } catch (...) {
            failed = true;
        }
    };
    const std::size_t workers = std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), 8, count});
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < workers; ++i) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    return !failed;
}

// Writes one level's tiles into "Resolution n"; their table goes into its header stream.
bool writeLevel(GsfOutfile* object, std::uint32_t index, const Plane& plane, Mode mode, int quality,
                Progress& progress, std::uint64_t& tilesDone, std::uint64_t tilesTotal) {
    GsfRef<GsfOutfile> storage(GSF_OUTFILE(gsf_outfile_new_child(object, levelStorage(index).c_str(), TRUE)));
    if (!storage) return false;
    const std::uint32_t across = (plane.width + 63) / 64, down = (plane.height + 63) / 64;
    std::vector<std::uint8_t> tableBytes;
    std::vector<std::uint8_t> pixels(kTileSide * kTileSide * plane.channels);
    std::vector<std::vector<std::uint8_t>> coded;
    bool ok = mode != Mode::Jpeg || codeJpegTiles(plane, quality, coded);
    {
        GsfRef<GsfOutput> data(gsf_outfile_new_child(storage.get(), kDataStream, FALSE));
        if (!data) return false;
        std::vector<std::uint8_t> head = streamHeader();
        head.resize(2 * kStreamHeaderBytes, 0);  // tiles start after a reserved block, as offset 28
        ok = ok && gsf_output_write(data.get(), head.size(), head.data());
        std::uint32_t offset = kStreamHeaderBytes;
        for (std::uint32_t ty = 0; ok && ty < down; ++ty) {
            for (std::uint32_t tx = 0; ok && tx < across; ++tx) {
                std::uint32_t compression = kTileUncompressed, subtype = 0, size = 0;
                const auto colour = mode == Mode::SingleColour ? singleColour(plane, tx, ty) : std::nullopt;
                if (colour) {
                    compression = kTileSingleColour;
                    subtype = *colour;
                } else {
                    const std::vector<std::uint8_t>* bytes = &pixels;
                    if (mode == Mode::Jpeg) {
                        compression = kTileJpeg;
                        subtype = jpegSubtype(plane.channels);
                        bytes = &coded[std::size_t{ty} * across + tx];
                    } else {
                        cutTile(plane, tx, ty, pixels.data());
                    }
                    size = static_cast<std::uint32_t>(bytes->size());
                    ok = ok && gsf_output_write(data.get(), bytes->size(), bytes->data());
                }
                putU32(tableBytes, offset);
                putU32(tableBytes, size);
                putU32(tableBytes, compression);
                putU32(tableBytes, subtype);
                offset += size;
                ok = ok && progress.report(++tilesDone, tilesTotal);
            }
        }
        ok = gsf_output_close(data.get()) && ok;
    }
    if (!ok) return false;
    std::vector<std::uint8_t> header = streamHeader();
    for (const std::uint32_t v : {std::uint32_t(kSubimageHeaderBytes), plane.width, plane.height, across * down,
                                  std::uint32_t(kTileSide), std::uint32_t(kTileSide), plane.channels,
                                  std::uint32_t(kSubimageHeaderBytes), std::uint32_t(kTileEntryBytes)})
        putU32(header, v);
    append(header, tableBytes.data(), tableBytes.size());
    return writeStream(storage.get(), kHeaderStream, header) && gsf_output_close(GSF_OUTPUT(storage.get()));
}

// Writes the document into `sink` (a file or memory), which it closes.
bool writeFpx(GsfOutput* sink, const PixelSource& source, Mode mode, int quality, const char* comment,
              Progress& progress) {
    const bool grey = source.indexed() && source.greyTable();
    std::vector<Plane> levels;
    levels.push_back(planeOf(source, grey));
    while (levels.back().width > kTileSide || levels.back().height > kTileSide) levels.push_back(halved(levels.back()));
    // Storages are numbered from the smallest level up.
    std::reverse(levels.begin(), levels.end());
    std::uint64_t tilesTotal = 0, tilesDone = 0;
    for (const Plane& plane : levels) tilesTotal += std::uint64_t{(plane.width + 63) / 64} * ((plane.height + 63) / 64);

    GsfRef<GsfOutfile> root(gsf_outfile_msole_new(sink));
    if (!root) return false;
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(root.get()), kImageObjectClass.data());

    PropertySetWriter contents;
    contents.addI2(kPidCodePage, 1200);
    contents.addU32(kPidLevels, static_cast<std::uint32_t>(levels.size()));
    contents.addU32(kPidWidth, levels.back().width);
    contents.addU32(kPidHeight, levels.back().height);
    if (source.xdpi() > 0 && source.ydpi() > 0) {
        contents.addR4(kPidDisplayWidth, static_cast<float>(levels.back().width) / static_cast<float>(source.xdpi()));
        contents.addR4(kPidDisplayHeight, static_cast<float>(levels.back().height) / static_cast<float>(source.ydpi()));
        contents.addU32(kPidDisplayUnits, kUnitInch);
    }
    const std::uint32_t codes[] = {0x80000000u | kSpaceRgb << 16, 0x80000000u | kSpaceRgb << 16 | 1,
                                   0x80000000u | kSpaceRgb << 16 | 2};
    std::vector<std::uint8_t> colour;
    putU32(colour, 1);
    putU32(colour, grey ? 1 : 3);
    if (grey) putU32(colour, 0x80000000u | kSpaceMonochrome << 16);
    else for (const std::uint32_t c : codes) putU32(colour, c);
    const std::uint32_t numerical[] = {kNumericalUi1};
    for (std::uint32_t i = 0; i < levels.size(); ++i) {
        contents.addU32(levelPid(i, kFieldWidth), levels[i].width);
        contents.addU32(levelPid(i, kFieldHeight), levels[i].height);
        contents.addBlob(levelPid(i, kFieldColour), colour);
        contents.addVectorU32(levelPid(i, kFieldNumerical), numerical);
        contents.addU32(levelPid(i, kFieldDecimation), i + 1 == levels.size() ? 0 : 4);
    }
    if (mode == Mode::Jpeg) {
        JpegTileWriter jpeg(grey ? 1 : 3, quality);
        std::vector<std::uint8_t> tables;
        if (!jpeg.tables(tables)) return false;
        contents.addBlob(jpegTablePid(1), tables);
        contents.addU32(kPidMostJpegTable, 1);
    }
    bool ok = writeStream(root.get(), kCompObj, compObj()) &&
              writeStream(root.get(), kImageContents, contents.bytes(kImageContentsFormat, kImageContentsFormat));
    if (ok && comment && *comment) {
        PropertySetWriter summary;
        summary.addI2(kPidCodePage, static_cast<std::int16_t>(-535));  // 65001, UTF-8, as a signed 16-bit value
        summary.addText(kPidComments, comment);
        ok = writeStream(root.get(), kSummaryInformation, summary.bytes(ClassId{}, kSummaryFormat));
    }
    for (std::uint32_t i = 0; ok && i < levels.size(); ++i)
        ok = writeLevel(root.get(), i, levels[i], mode, quality, progress, tilesDone, tilesTotal);
    ok = gsf_output_close(GSF_OUTPUT(root.get())) && ok;
    // Closing the document closes its sink too.
    return (gsf_output_is_closed(sink) || gsf_output_close(sink)) && ok;
}

bool writeFpxFile(const char* path, const PixelSource& source, Mode mode, int quality, const char* comment,
                  Progress& progress) {
    ensureGsf();
    GError* error = nullptr;
    GsfRef<GsfOutput> sink(gsf_output_stdio_new(path, &error));
    if (error) g_error_free(error);
    return sink && writeFpx(sink.get(), source, mode, quality, comment, progress);
}

// The common checks of both save forms; the quality 0 takes 75.
bool saveArguments(IKHANDLE image, int32_t mode, int32_t& quality, Progress& progress) {
    if (mode < 0 || mode > 2) return fail(IK_ERR_ARGUMENT, false);
    const PixelSource source(image);
    if (!source.usable()) return fail(source.failureStatus(), false);
    if (!progress.report(0, 100)) return fail(IK_ERR_CANCELLED, false);
    quality = quality <= 0 ? 75 : std::min(quality, 100);
    return true;
}

}  // namespace
}  // namespace kit::fpx

IK_API IKBOOL IKFpxFileSave(const char* path, IKHANDLE image, int32_t mode, int32_t quality, const char* comment,
                            IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!path || !*path) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        kit::Progress relay(progress);
        if (!kit::fpx::saveArguments(image, mode, quality, relay)) return IK_FALSE;
        const kit::PixelSource source(image);
        kit::AtomicOutput output(path);
        if (!output.ready()) return kit::fail(IK_ERR_FILE_OPEN, IK_FALSE);
        if (!kit::fpx::writeFpxFile(output.path(), source, static_cast<kit::fpx::Mode>(mode), quality, comment, relay))
            return kit::fail(relay.stopped() ? IK_ERR_CANCELLED : IK_ERR_FILE_WRITE, IK_FALSE);
        return output.commit() ? IK_TRUE : kit::fail(IK_ERR_FILE_WRITE, IK_FALSE);
    });
}

IK_API IKHANDLE IKFpxFileSaveMem(IKHANDLE image, int32_t mode, int32_t quality, const char* comment,
                                 IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        kit::Progress relay(progress);
        if (!kit::fpx::saveArguments(image, mode, quality, relay)) return IKHANDLE(0);
        const kit::PixelSource source(image);
        kit::ensureGsf();
        kit::GsfRef<GsfOutput> sink(gsf_output_memory_new());
        if (!sink) return kit::fail<IKHANDLE>(IK_ERR_MEMORY, 0);
        if (!kit::fpx::writeFpx(sink.get(), source, static_cast<kit::fpx::Mode>(mode), quality, comment, relay))
            return kit::fail<IKHANDLE>(relay.stopped() ? IK_ERR_CANCELLED : IK_ERR_MEMORY, 0);
        auto* memory = GSF_OUTPUT_MEMORY(sink.get());
        const std::size_t size = static_cast<std::size_t>(gsf_output_size(sink.get()));
        platform::GlobalBlock block(platform::globalAlloc(size, false));
        if (!block.get()) return kit::fail<IKHANDLE>(IK_ERR_MEMORY, 0);
        {
            platform::GlobalLock lock(block.get());
            std::memcpy(lock.data(), gsf_output_memory_get_bytes(memory), size);
        }
        return block.release();
    });
}
