// FlashPix saving: an image view whose source image holds the picture and its reduced
// levels down to one tile, in 64 × 64 tiles stored uncompressed, as single colours where a
// tile is one colour, or JPEG-coded with one shared set of tables; the comment goes into
// the summary information.
#include "AtomicOutput.h"
#include "FpxJpegTiles.h"
#include "FpxLayout.h"
#include "FpxPlane.h"
#include "FpxStorage.h"
#include "KitCall.h"
#include "PixelSource.h"
#include "Progress.h"
#include "platform/GlobalMemory.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output-stdio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace kit::fpx {
namespace {

enum class Mode { Uncompressed = 0, SingleColour = 1, Jpeg = 2 };

// Sub-type of a JPEG tile: interleaved, chroma subsampled 2 × 2 for colour, colour converted
// by the coder, table set 1.
std::uint32_t jpegSubtype(std::uint32_t channels) { return channels == 1 ? 0x01001100u : 0x01012200u; }

bool writeStream(GsfOutfile* storage, const char* name, const std::vector<std::uint8_t>& bytes) {
    GsfRef<GsfOutput> stream(gsf_outfile_new_child(storage, name, FALSE));
    if (!stream) return false;
    const bool written = bytes.empty() || gsf_output_write(stream.get(), bytes.size(), bytes.data());
    return gsf_output_close(stream.get()) && written;
}

// A child storage of the class `id`.
GsfRef<GsfOutfile> newStorage(GsfOutfile* parent, const char* name, const ClassId& id) {
    GsfRef<GsfOutfile> storage(GSF_OUTFILE(gsf_outfile_new_child(parent, name, TRUE)));
    if (storage) gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(storage.get()), id.data());
    return storage;
}

std::vector<std::uint8_t> streamHeader() {
    static const std::uint8_t start[] = {0xFE, 0xFF, 0, 0, 3, 0, 0, 0};
    std::vector<std::uint8_t> out;
    append(out, start, sizeof(start));
    append(out, kSubimageClass.data(), kSubimageClass.size());
    putU32(out, 1);
    return out;
}

std::vector<std::uint8_t> compObj(const ClassId& id, const char* type) {
    static const std::uint8_t start[] = {0x01, 0x00, 0xFE, 0xFF, 0x03, 0x0A, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
    std::vector<std::uint8_t> out;
    append(out, start, sizeof(start));
    append(out, id.data(), id.size());
    putU32(out, static_cast<std::uint32_t>(std::strlen(type) + 1));
    append(out, type, std::strlen(type) + 1);
    putU32(out, 0);  // no clipboard format
    putU32(out, 0);  // no program id
    return out;
}

// Writes one level's tiles into "Resolution n"; their table goes into its header stream.
// Uncompressed tiles are packed a row of tiles at a time and written in runs; `jpeg` holds
// the level's coded tiles in JPEG mode.
bool writeLevel(GsfOutfile* object, std::uint32_t index, const Plane& plane, Mode mode,
                const std::vector<std::vector<std::uint8_t>>* jpeg, Progress& progress, std::uint64_t& tilesDone,
                std::uint64_t tilesTotal) {
    GsfRef<GsfOutfile> storage = newStorage(object, levelStorage(index).c_str(), kResolutionClass);
    if (!storage) return false;
    const std::uint32_t across = plane.tilesAcross(), down = plane.tilesDown();
    const std::size_t tileBytes = kTileSide * kTileSide * plane.channels;
    std::vector<std::uint8_t> tableBytes;
    tableBytes.reserve(std::size_t{across} * down * kTileEntryBytes);
    std::unique_ptr<std::uint8_t[]> strip(mode == Mode::Jpeg ? nullptr : new std::uint8_t[across * tileBytes]);
    bool ok = true;
    {
        GsfRef<GsfOutput> data(gsf_outfile_new_child(storage.get(), kDataStream, FALSE));
        if (!data) return false;
        std::vector<std::uint8_t> head = streamHeader();
        head.resize(2 * kStreamHeaderBytes, 0);  // tiles start after a reserved block, as offset 28
        ok = gsf_output_write(data.get(), head.size(), head.data());
        std::uint32_t offset = kStreamHeaderBytes;
        for (std::uint32_t ty = 0; ok && ty < down; ++ty) {
            if (strip) packTiles(plane, std::size_t{ty} * across, across, true, strip.get());
            // Stored tiles follow one another in the strip; runs of them are written at once.
            std::size_t pending = 0, pendingFrom = 0;
            const auto flush = [&] {
                if (pending) ok = ok && gsf_output_write(data.get(), pending * tileBytes, strip.get() + pendingFrom * tileBytes);
                pending = 0;
            };
            for (std::uint32_t tx = 0; ok && tx < across; ++tx) {
                std::uint32_t compression = kTileUncompressed, subtype = 0, size = 0;
                const auto colour = mode == Mode::SingleColour ? singleColour(plane, tx, ty) : std::nullopt;
                if (colour) {
                    compression = kTileSingleColour;
                    subtype = *colour;
                    flush();
                } else if (mode == Mode::Jpeg) {
                    compression = kTileJpeg;
                    subtype = jpegSubtype(plane.channels);
                    const std::vector<std::uint8_t>& bytes = (*jpeg)[std::size_t{ty} * across + tx];
                    size = static_cast<std::uint32_t>(bytes.size());
                    ok = gsf_output_write(data.get(), bytes.size(), bytes.data());
                } else {
                    if (!pending) pendingFrom = tx;
                    ++pending;
                    size = static_cast<std::uint32_t>(tileBytes);
                }
                putU32(tableBytes, offset);
                putU32(tableBytes, size);
                putU32(tableBytes, compression);
                putU32(tableBytes, subtype);
                offset += size;
                ok = ok && progress.report(++tilesDone, tilesTotal);
            }
            flush();
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

// Sides of the levels from the full picture down to the first that fits one tile.
std::vector<std::pair<std::uint32_t, std::uint32_t>> levelSides(std::uint32_t width, std::uint32_t height) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sides{{width, height}};
    while (sides.back().first > kTileSide || sides.back().second > kTileSide)
        sides.emplace_back((sides.back().first + 1) / 2, (sides.back().second + 1) / 2);
    return sides;
}

// The image contents of the source image: its levels (numbered from the smallest up), their
// colours and the JPEG tables.
std::optional<std::vector<std::uint8_t>> imageContents(const PixelSource& source, bool grey, Mode mode, int quality,
                                                       const std::vector<std::pair<std::uint32_t, std::uint32_t>>& sides) {
    const std::uint32_t count = static_cast<std::uint32_t>(sides.size());
    PropertySetWriter contents;
    contents.addI2(kPidCodePage, 1200);
    contents.addU32(kPidLevels, count);
    contents.addU32(kPidWidth, sides.front().first);
    contents.addU32(kPidHeight, sides.front().second);
    if (source.xdpi() > 0 && source.ydpi() > 0) {
        contents.addR4(kPidDisplayWidth, static_cast<float>(sides.front().first) / static_cast<float>(source.xdpi()));
        contents.addR4(kPidDisplayHeight, static_cast<float>(sides.front().second) / static_cast<float>(source.ydpi()));
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
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto& side = sides[count - 1 - i];
        contents.addU32(levelPid(i, kFieldWidth), side.first);
        contents.addU32(levelPid(i, kFieldHeight), side.second);
        contents.addBlob(levelPid(i, kFieldColour), colour);
        contents.addVectorU32(levelPid(i, kFieldNumerical), numerical);
        contents.addU32(levelPid(i, kFieldDecimation), i + 1 == count ? 0 : 4);
    }
    if (mode == Mode::Jpeg) {
        const auto tables = jpegTables(grey ? 1 : 3, quality);
        if (!tables) return std::nullopt;
        contents.addBlob(jpegTablePid(1), *tables);
        contents.addU32(kPidMostJpegTable, 1);
    }
    return contents.bytes(kImageContentsFormat, kImageContentsFormat);
}

// The image view's own streams: what it shows (the source image alone, unchanged), the
// source's description and the comment.
bool writeImageView(GsfOutfile* root, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& sides,
                    const char* comment) {
    PropertySetWriter global;
    global.addI2(kPidCodePage, 1200);
    const std::uint32_t visible[] = {1};
    global.addVectorU32(kPidVisibleOutputs, visible);
    global.addU32(kPidMostImageIndex, 1);
    global.addU32(kPidMostTransformIndex, 0);
    global.addU32(kPidMostOperationIndex, 0);
    PropertySetWriter description;
    description.addI2(kPidCodePage, 1200);
    description.addU32(kPidCachedHeight, sides.front().second);
    description.addU32(kPidCachedWidth, sides.front().first);
    bool ok = writeStream(root, kCompObj, compObj(kImageViewClass, "FlashPix Image View")) &&
              writeStream(root, kGlobalInfo, global.bytes(kGlobalInfoFormat, kGlobalInfoFormat)) &&
              writeStream(root, kSourceDescription, description.bytes(kImageDescriptionFormat, kImageDescriptionFormat));
    if (ok && comment && *comment) {
        PropertySetWriter summary;
        summary.addI2(kPidCodePage, static_cast<std::int16_t>(-535));  // 65001, UTF-8, as a signed 16-bit value
        summary.addText(kPidComments, comment);
        ok = writeStream(root, kSummaryInformation, summary.bytes(ClassId{}, kSummaryFormat));
    }
    return ok;
}

// Writes the document into `sink` (a file or memory), which it closes: an image view at the
// root with the picture as its source image in "Data Object Store 000001".
bool writeFpx(GsfOutput* sink, const PixelSource& source, Mode mode, int quality, const char* comment,
              Progress& progress) {
    const bool grey = source.indexed() && source.greyTable();
    const auto sides = levelSides(static_cast<std::uint32_t>(source.width()), static_cast<std::uint32_t>(source.height()));
    const auto count = static_cast<std::uint32_t>(sides.size());
    std::uint64_t tilesTotal = 0, tilesDone = 0;
    for (const auto& side : sides) tilesTotal += std::uint64_t{(side.first + 63) / 64} * ((side.second + 63) / 64);
    const auto contents = imageContents(source, grey, mode, quality, sides);
    if (!contents) return false;

    GsfRef<GsfOutfile> root(gsf_outfile_msole_new(sink));
    if (!root) return false;
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(root.get()), kImageViewClass.data());
    bool ok = writeImageView(root.get(), sides, comment);
    GsfRef<GsfOutfile> object = newStorage(root.get(), kSourceImageStore, kImageObjectClass);
    ok = ok && object && writeStream(object.get(), kCompObj, compObj(kImageObjectClass, "FlashPix Image")) &&
         writeStream(object.get(), kImageContents, *contents);

    // Levels from the full picture down; the storages count from the smallest up.
    std::vector<Plane> levels;
    levels.reserve(count);
    if (ok) levels.push_back(planeOf(source, grey));
    if (ok && mode == Mode::Jpeg) {
        // Coding dominates: the levels first, then every tile on every core, then the bytes.
        while (levels.size() < count) levels.push_back(halved(levels.back()));
        std::vector<std::vector<std::vector<std::uint8_t>>> coded;
        ok = codeJpegTiles(levels, quality, coded);
        for (std::uint32_t l = 0; ok && l < count; ++l)
            ok = writeLevel(object.get(), count - 1 - l, levels[l], mode, &coded[l], progress, tilesDone, tilesTotal);
    } else if (ok) {
        // Writing dominates: the full level is written while another thread makes the rest.
        std::vector<Plane> rest;
        bool made = true;
        {
            std::jthread maker([&] {
                try {
                    for (const Plane* from = &levels.front(); rest.size() + 1 < count; from = &rest.back())
                        rest.push_back(halved(*from, 1));
                } catch (...) {
                    made = false;
                }
            });
            ok = writeLevel(object.get(), count - 1, levels.front(), mode, nullptr, progress, tilesDone, tilesTotal);
        }
        ok = ok && made;
        for (Plane& plane : rest) levels.push_back(std::move(plane));
        for (std::uint32_t l = 1; ok && l < count; ++l)
            ok = writeLevel(object.get(), count - 1 - l, levels[l], mode, nullptr, progress, tilesDone, tilesTotal);
    }
    if (object) ok = gsf_output_close(GSF_OUTPUT(object.get())) && ok;
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
