#include "FpxImage.h"

#include "ByteReader.h"
#include "DecodeLimits.h"
#include "DibBlock.h"
#include "FpxColour.h"
#include "FpxLayout.h"
#include "JpegErrors.h"
#include "KitCall.h"
#include "platform/Dib.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace kit::fpx {
namespace {

// Bytes of the property sets and tile tables read whole.
constexpr std::size_t kMostPropertyBytes = std::size_t{16} << 20;

// The colour kind of a level from its channel codes: monochrome, RGB or PhotoYCC, each
// with or without opacity as last channel.
std::optional<ColourKind> colourOf(std::span<const std::uint8_t> blob, std::uint32_t channels) {
    const ByteReader in(blob.data(), blob.size());
    if (!in.has(0, 8 + 4 * std::size_t{channels}) || in.u32(4) != channels) return std::nullopt;
    std::uint32_t spaces[4] = {}, kinds[4] = {};
    for (std::uint32_t c = 0; c < channels; ++c) {
        const std::uint32_t code = in.u32(8 + 4 * c) & ~kUncalibrated;
        spaces[c] = code >> 16;
        kinds[c] = code & 0xFFFF;
    }
    const bool opacity = kinds[channels - 1] == kOpacityChannel;
    const std::uint32_t colours = channels - (opacity ? 1 : 0);
    for (std::uint32_t c = 0; c < colours; ++c)
        if (kinds[c] != c || spaces[c] != spaces[0]) return std::nullopt;
    if (colours == 1 && spaces[0] == kSpaceMonochrome) return opacity ? ColourKind::GreyOpacity : ColourKind::Grey;
    if (colours == 3 && spaces[0] == kSpaceRgb) return opacity ? ColourKind::RgbOpacity : ColourKind::Rgb;
    if (colours == 3 && spaces[0] == kSpacePhotoYcc) return opacity ? ColourKind::PhotoYccOpacity : ColourKind::PhotoYcc;
    return std::nullopt;
}

double inchesPerUnit(std::uint32_t units) {
    switch (units) {
    case kUnitInch: return 1.0;
    case kUnitMetre: return 1000.0 / 25.4;
    case kUnitCentimetre: return 10.0 / 25.4;
    case kUnitMillimetre: return 1.0 / 25.4;
    default: return 0.0;
    }
}

std::int32_t dotsPerInch(std::uint32_t pixels, std::optional<float> size, double inches) {
    if (!size || !(*size > 0.0f) || inches <= 0.0) return 0;
    const double dpi = pixels / (static_cast<double>(*size) * inches);
    return dpi >= 1.0 && dpi < 65536.0 ? static_cast<std::int32_t>(dpi + 0.5) : 0;
}

// JPEG tiles of one decode through one libjpeg object, the shared tables loaded when the
// selected table changes.
class JpegTiles {
public:
    JpegTiles() {
        info_.err = strictJpegErrors(errors_);
        jpeg_create_decompress(&info_);
    }
    ~JpegTiles() { jpeg_destroy_decompress(&info_); }
    JpegTiles(const JpegTiles&) = delete;
    JpegTiles& operator=(const JpegTiles&) = delete;

    // Decodes a tile of `channels` into `out` (64 × 64 × channels, rows of 64 pixels);
    // false on damage or a tile that is not what the level declares.
    bool decode(std::span<const std::uint8_t> tile, const std::vector<std::uint8_t>* tables, std::uint32_t tableIndex,
                std::uint32_t channels, bool converted, std::uint8_t* out) {
        if (setjmp(errors_.jump)) {
            jpeg_abort_decompress(&info_);
            loadedTable_ = ~0u;
            return false;
        }
        if (tables && tableIndex != loadedTable_) {
            jpeg_mem_src(&info_, tables->data(), static_cast<unsigned long>(tables->size()));
            if (jpeg_read_header(&info_, FALSE) != JPEG_HEADER_TABLES_ONLY) return abort();
            loadedTable_ = tableIndex;
        }
        jpeg_mem_src(&info_, tile.data(), static_cast<unsigned long>(tile.size()));
        if (jpeg_read_header(&info_, TRUE) != JPEG_HEADER_OK) return abort();
        if (info_.image_width == 0 || info_.image_width > kTileSide || info_.image_height == 0 ||
            info_.image_height > kTileSide || info_.num_components != static_cast<int>(channels) ||
            info_.progressive_mode)
            return abort();
        if (channels == 1) {
            info_.jpeg_color_space = info_.out_color_space = JCS_GRAYSCALE;
        } else if (channels == 3 && converted) {
            info_.jpeg_color_space = JCS_YCbCr;
            info_.out_color_space = JCS_RGB;
        } else if (channels == 3) {
            info_.jpeg_color_space = info_.out_color_space = JCS_RGB;
        } else {
            info_.jpeg_color_space = info_.out_color_space = channels == 4 ? JCS_CMYK : JCS_UNKNOWN;
        }
        jpeg_start_decompress(&info_);
        if (info_.output_components != static_cast<int>(channels)) return abort();
        const std::size_t stride = kTileSide * channels;
        while (info_.output_scanline < info_.output_height) {
            JSAMPROW row = out + stride * info_.output_scanline;
            if (jpeg_read_scanlines(&info_, &row, 1) != 1) return abort();
            if (channels == 4 && converted)
                for (std::size_t x = 0; x < info_.output_width; ++x) ycbcrToRgb(row + 4 * x);
        }
        jpeg_finish_decompress(&info_);
        return true;
    }

private:
    bool abort() {
        jpeg_abort_decompress(&info_);
        loadedTable_ = ~0u;
        return false;
    }

    jpeg_decompress_struct info_{};
    JpegErrors errors_{};
    std::uint32_t loadedTable_ = ~0u;
};

}  // namespace

bool FpxImage::open(std::span<const std::uint8_t> bytes) {
    bytes_ = bytes;
    root_ = openCompoundDocument(bytes);
    if (!root_) return fail(IK_ERR_FILE_READ, false);
    // The image object is the root, or (in a file with an image view) the first object
    // store that holds image contents.
    GsfInfile* object = nullptr;
    if (childStream(root_.get(), kImageContents)) {
        object = root_.get();
    } else {
        const int children = gsf_infile_num_children(root_.get());
        for (int i = 0; i < children && !object; ++i) {
            const char* name = gsf_infile_name_by_index(root_.get(), i);
            if (!name || std::strncmp(name, kObjectStorePrefix, std::strlen(kObjectStorePrefix)) != 0) continue;
            GsfRef<GsfInfile> store = childStorage(root_.get(), name);
            if (store && childStream(store.get(), kImageContents)) {
                object_ = std::move(store);
                object = object_.get();
            }
        }
    }
    if (!object) return fail(IK_ERR_FILE_READ, false);
    GsfRef<GsfInput> contentsStream = childStream(object, kImageContents);
    auto contentsBytes = readStream(contentsStream.get(), kMostPropertyBytes);
    if (!contentsBytes) return fail(IK_ERR_FILE_READ, false);
    const auto contents = PropertySection::read(*contentsBytes);
    if (!contents) return fail(IK_ERR_FILE_READ, false);
    const auto count = contents->u32(kPidLevels);
    const auto width = contents->u32(kPidWidth), height = contents->u32(kPidHeight);
    if (!count || *count == 0 || *count > kMostLevels || !width || !height) return fail(IK_ERR_FILE_READ, false);
    for (std::uint32_t i = 0; i < *count; ++i) {
        Level level;
        if (!readLevel(i, *contents, level)) return fail(IK_ERR_FILE_READ, false);
        levels_.push_back(std::move(level));
    }
    // From the full resolution down, whichever way the file numbers its levels.
    std::sort(levels_.begin(), levels_.end(), [](const Level& a, const Level& b) {
        return std::uint64_t{a.width} * a.height > std::uint64_t{b.width} * b.height;
    });
    if (levels_.front().width != *width || levels_.front().height != *height) return fail(IK_ERR_FILE_READ, false);
    for (const std::uint32_t id : contents->ids()) {
        if ((id & 0xFF00FFFFu) != jpegTablePid(0)) continue;
        const auto table = contents->blob(id);
        if (!table) return fail(IK_ERR_FILE_READ, false);
        jpegTables_[(id >> 16) & 0xFF].assign(table->begin(), table->end());
    }
    const double inches = inchesPerUnit(contents->u32(kPidDisplayUnits).value_or(kUnitInch));
    xdpi_ = dotsPerInch(*width, contents->r4(kPidDisplayWidth), inches);
    ydpi_ = dotsPerInch(*height, contents->r4(kPidDisplayHeight), inches);
    for (GsfInfile* holder : {object, root_.get()}) {
        GsfRef<GsfInput> summary = childStream(holder, kSummaryInformation);
        auto summaryBytes = readStream(summary.get(), kMostPropertyBytes);
        if (!summaryBytes) continue;
        if (const auto section = PropertySection::read(*summaryBytes)) {
            if (auto text = section->text(kPidComments); text && !text->empty()) {
                comment_ = std::move(*text);
                break;
            }
        }
    }
    return true;
}

bool FpxImage::readLevel(std::uint32_t index, const PropertySection& contents, Level& out) const {
    GsfInfile* object = object_ ? object_.get() : root_.get();
    GsfRef<GsfInfile> storage = childStorage(object, levelStorage(index).c_str());
    GsfRef<GsfInput> headerStream = childStream(storage.get(), kHeaderStream);
    const auto header = readStream(headerStream.get(), kMostPropertyBytes);
    if (!header) return false;
    const ByteReader in(header->data(), header->size());
    const std::size_t at = kStreamHeaderBytes;
    if (!in.has(at, kSubimageHeaderBytes) || in.u32(at) < kSubimageHeaderBytes) return false;
    out.storageIndex = index;
    out.width = in.u32(at + 4);
    out.height = in.u32(at + 8);
    const std::uint64_t tiles = in.u32(at + 12);
    out.channels = in.u32(at + 24);
    const std::size_t table = in.u32(at + 28), entry = in.u32(at + 32);
    if (in.u32(at + 16) != kTileSide || in.u32(at + 20) != kTileSide || out.channels == 0 || out.channels > 4 ||
        !pageWithinBudget(out.width, out.height, 24) || entry < kTileEntryBytes)
        return false;
    const std::uint64_t expected = std::uint64_t{out.tilesAcross()} * ((out.height + 63) / 64);
    if (tiles != expected || tiles > kMostTiles) return false;
    // The table lies inside the header stream: tiles × entry bytes from the table's start.
    if (table > header->size() - at || tiles > (header->size() - at - table) / entry) return false;
    const auto widthProp = contents.u32(levelPid(index, kFieldWidth));
    const auto heightProp = contents.u32(levelPid(index, kFieldHeight));
    if ((widthProp && *widthProp != out.width) || (heightProp && *heightProp != out.height)) return false;
    // Samples are 8-bit unsigned: the numerical format, when given, must say so.
    if (contents.has(levelPid(index, kFieldNumerical))) {
        const auto formats = contents.vectorU32(levelPid(index, kFieldNumerical), 1);
        if (!formats || formats->size() != 1 || formats->front() != kNumericalUi1) return false;
    }
    const auto colour = contents.blob(levelPid(index, kFieldColour));
    if (!colour) return false;
    const auto kind = colourOf(*colour, out.channels);
    if (!kind) return false;
    out.colour = *kind;
    out.tiles.resize(static_cast<std::size_t>(tiles));
    for (std::size_t t = 0; t < out.tiles.size(); ++t) {
        const std::size_t e = at + table + t * entry;
        out.tiles[t] = TileEntry{in.u32(e), in.u32(e + 4), in.u32(e + 8), in.u32(e + 12)};
    }
    return true;
}

std::uint32_t FpxImage::compressionOf(const Level& level) const {
    std::uint32_t found = kTileUncompressed;
    for (const TileEntry& tile : level.tiles) {
        if (tile.compression == kTileJpeg) return kTileJpeg;
        if (tile.compression == kTileSingleColour) found = kTileSingleColour;
    }
    return found;
}

namespace {

// Decodes tile `tile` (its stored bytes in `stored`) of `level` into the bitmap rows of
// `dib`; false on damage.
bool decodeTile(const Level& level, std::size_t index, std::span<const std::uint8_t> stored,
                const std::map<std::uint32_t, std::vector<std::uint8_t>>& jpegTables, JpegTiles& jpeg,
                std::vector<std::uint8_t>& pixels, const DibView& dib) {
    const TileEntry& tile = level.tiles[index];
    const std::size_t channels = level.channels;
    if (tile.compression == kTileSingleColour) {
        for (std::size_t p = 0; p < kTileSide * kTileSide; ++p)
            for (std::size_t c = 0; c < channels; ++c) pixels[p * channels + c] = std::uint8_t(tile.subtype >> (8 * c));
    } else if (tile.compression == kTileUncompressed) {
        if (stored.size() < pixels.size()) return false;
        std::memcpy(pixels.data(), stored.data(), pixels.size());
    } else if (tile.compression == kTileJpeg) {
        // Sub-type bytes: interleaving (0: pixels interleaved), chroma subsampling, colour
        // conversion done by the coder, the shared table set used (0: none).
        const std::uint32_t interleave = tile.subtype & 0xFF, converted = (tile.subtype >> 16) & 0xFF;
        const std::uint32_t tableIndex = tile.subtype >> 24;
        const std::vector<std::uint8_t>* tables = nullptr;
        if (tableIndex != 0) {
            const auto found = jpegTables.find(tableIndex);
            if (found == jpegTables.end()) return false;
            tables = &found->second;
        }
        if (interleave != 0 || converted > 1 ||
            !jpeg.decode(stored, tables, tableIndex, level.channels, converted == 1, pixels.data()))
            return false;
    } else {
        return false;
    }
    const std::size_t across = level.tilesAcross(), outBytes = level.grey() ? 1 : 3;
    const std::size_t x0 = (index % across) * kTileSide, y0 = (index / across) * kTileSide;
    const std::size_t w = std::min<std::size_t>(kTileSide, level.width - x0);
    const std::size_t h = std::min<std::size_t>(kTileSide, level.height - y0);
    for (std::size_t y = 0; y < h; ++y)
        tileRowToBitmap(level, pixels.data() + y * kTileSide * channels, w,
                        dib.row(static_cast<std::int32_t>(y0 + y)) + x0 * outBytes);
    return true;
}

// The stored bytes of a tile (none for a single colour); false when outside the stream or
// over the budget of one tile.
bool readTile(GsfInput* data, const TileEntry& tile, std::vector<std::uint8_t>& out) {
    out.clear();
    if (tile.compression == kTileSingleColour) return true;
    if (tile.size == 0 || tile.size > kMostTileBytes) return false;
    out.resize(tile.size);
    return readStreamPart(data, std::uint64_t{kStreamHeaderBytes} + tile.offset, tile.size, out.data());
}

}  // namespace

IKHANDLE FpxImage::decode(const Level& level, Progress& progress) const {
    const bool grey = level.grey();
    const int bits = grey ? 8 : 24;
    if (!plausibleImage(level.width, level.height, bits, bytes_.size(), kRatioJpegHuffman))
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    GsfInfile* object = object_ ? object_.get() : root_.get();
    GsfRef<GsfInfile> storage = childStorage(object, levelStorage(level.storageIndex).c_str());
    GsfRef<GsfInput> data = childStream(storage.get(), kDataStream);
    if (!data) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    platform::GlobalBlock image(grey ? allocateGreyDib(static_cast<std::int32_t>(level.width),
                                                       static_cast<std::int32_t>(level.height), false)
                                     : allocateDib(static_cast<std::int32_t>(level.width),
                                                   static_cast<std::int32_t>(level.height), 24, 0, false));
    if (!image.get()) return 0;
    DibView dib(image.get());
    // A reduced level covers the same area: its resolution shrinks with it.
    if (xdpi_ > 0 && ydpi_ > 0) {
        const Level& full = levels_.front();
        dib.header().biXPelsPerMeter = platform::dpiToPelsPerMeter(double(xdpi_) * level.width / full.width);
        dib.header().biYPelsPerMeter = platform::dpiToPelsPerMeter(double(ydpi_) * level.height / full.height);
    }
    const std::size_t tileBytes = kTileSide * kTileSide * level.channels;
    const std::size_t count = level.tiles.size();
    if (!progress.report(0, count)) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    // Tiles may share bytes: what they store together, not the stream's size, is what
    // reading them all first costs.
    std::uint64_t storedTotal = 0;
    for (const TileEntry& tile : level.tiles)
        if (tile.compression != kTileSingleColour) storedTotal += tile.size;
    const std::size_t workers =
        std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), 8, count / 16 + 1});
    if (workers > 1 && storedTotal <= kMostBufferBytes) {
        // Every tile's bytes read first (libgsf reads from one thread), then decoded on every
        // core; the calling thread decodes too and relays the progress.
        std::vector<std::vector<std::uint8_t>> stored(count);
        for (std::size_t t = 0; t < count; ++t)
            if (!readTile(data.get(), level.tiles[t], stored[t])) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
        std::atomic<std::size_t> next{0}, done{0};
        std::atomic<bool> damaged{false}, stopped{false};
        const auto work = [&](bool relay) {
            try {
                JpegTiles jpeg;
                std::vector<std::uint8_t> pixels(tileBytes);
                for (std::size_t t; !damaged && !stopped && (t = next++) < count;) {
                    if (!decodeTile(level, t, stored[t], jpegTables_, jpeg, pixels, dib)) damaged = true;
                    const std::size_t finished = ++done;
                    if (relay && !progress.report(finished, count)) stopped = true;
                }
            } catch (...) {
                damaged = true;
            }
        };
        std::vector<std::thread> threads;
        for (std::size_t i = 1; i < workers; ++i) threads.emplace_back(work, false);
        work(true);
        for (std::thread& thread : threads) thread.join();
        if (stopped || (!damaged && !progress.report(count, count))) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
        if (damaged) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
        return image.release();
    }
    JpegTiles jpeg;
    std::vector<std::uint8_t> stored, pixels(tileBytes);
    for (std::size_t t = 0; t < count; ++t) {
        if (!readTile(data.get(), level.tiles[t], stored) ||
            !decodeTile(level, t, stored, jpegTables_, jpeg, pixels, dib))
            return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
        if (!progress.report(t + 1, count)) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    }
    return image.release();
}

}  // namespace kit::fpx
