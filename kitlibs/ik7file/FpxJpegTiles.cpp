#include "FpxJpegTiles.h"

#include "JpegErrors.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>

namespace kit::fpx {
namespace {

// Tiles coded in one run: an image of 64 × 64·n pixels, within libjpeg's largest height.
constexpr std::size_t kRunTiles = 128;

// Offset just past the start-of-scan segment of a JPEG stream, where its coded data begins;
// 0 when the stream has none.
std::size_t scanDataStart(const std::uint8_t* bytes, std::size_t size) {
    std::size_t at = 2;  // past the start-of-image marker
    while (at + 4 <= size && bytes[at] == 0xFF) {
        const std::uint8_t marker = bytes[at + 1];
        const std::size_t length = std::size_t{bytes[at + 2]} << 8 | bytes[at + 3];
        at += 2 + length;
        if (marker == 0xDA) return at <= size ? at : 0;
    }
    return 0;
}

// One libjpeg compressor for tiles. A run of tiles is coded as one image one tile wide, the
// tiles stacked, with a restart marker after each tile's blocks: restarts reset the DC
// predictions and pad to a byte as the end of a stream does, so the data between markers is
// exactly what the tile coded alone holds, without libjpeg's set-up for every tile. Each
// tile is then the abbreviated header of a single tile, that data and an end marker.
class JpegTileCoder {
public:
    // Colour given blue first when `bgr`.
    JpegTileCoder(std::uint32_t channels, bool bgr, int quality) {
        info_.err = quietJpegErrors(errors_);
        jpeg_create_compress(&info_);
        info_.image_width = info_.image_height = kTileSide;
        info_.input_components = static_cast<int>(channels);
        info_.in_color_space = channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
        jpeg_set_defaults(&info_);
        // The coder's own conversion reads the other order at no cost.
        if (channels == 3 && bgr) info_.in_color_space = JCS_EXT_BGR;
        jpeg_set_quality(&info_, quality, TRUE);
        info_.write_JFIF_header = FALSE;
        info_.write_Adobe_marker = FALSE;
    }
    ~JpegTileCoder() {
        jpeg_destroy_compress(&info_);
        std::free(buffer_);
    }
    JpegTileCoder(const JpegTileCoder&) = delete;
    JpegTileCoder& operator=(const JpegTileCoder&) = delete;

    bool tables(std::vector<std::uint8_t>& out) {
        if (setjmp(errors_.jump)) return false;
        unsigned long size = 0;
        startOutput(size);
        jpeg_write_tables(&info_);
        out.assign(buffer_, buffer_ + size);
        return true;
    }

    // Codes the tiles whose 64 rows each follow one another in `rows` into `out`.
    bool run(JSAMPROW* rows, std::size_t tiles, std::vector<std::uint8_t>** out) {
        if (header_.empty() && !makeHeader(rows)) return false;
        if (setjmp(errors_.jump)) {
            jpeg_abort_compress(&info_);
            return false;
        }
        unsigned long size = 0;
        startOutput(size);
        info_.image_height = static_cast<JDIMENSION>(kTileSide * tiles);
        // Blocks of one tile: 8 × 8 of a grey tile, 4 × 4 units of 16 × 16 pixels in colour.
        info_.restart_interval = info_.input_components == 1 ? 64 : 16;
        jpeg_suppress_tables(&info_, TRUE);
        jpeg_start_compress(&info_, FALSE);
        jpeg_write_scanlines(&info_, rows, static_cast<JDIMENSION>(kTileSide * tiles));
        jpeg_finish_compress(&info_);
        return split(size, tiles, out);
    }

private:
    void startOutput(unsigned long& size) {
        std::free(buffer_);
        buffer_ = nullptr;
        jpeg_mem_dest(&info_, &buffer_, &size);
    }

    // The header of a tile coded alone, up to its coded data.
    bool makeHeader(JSAMPROW* rows) {
        if (setjmp(errors_.jump)) {
            jpeg_abort_compress(&info_);
            return false;
        }
        unsigned long size = 0;
        startOutput(size);
        info_.image_height = kTileSide;
        info_.restart_interval = 0;
        jpeg_suppress_tables(&info_, TRUE);
        jpeg_start_compress(&info_, FALSE);
        jpeg_write_scanlines(&info_, rows, kTileSide);
        jpeg_finish_compress(&info_);
        const std::size_t start = scanDataStart(buffer_, size);
        header_.assign(buffer_, buffer_ + start);
        return start > 0;
    }

    // The run's coded data cut at its restart markers into the tiles' streams.
    bool split(std::size_t size, std::size_t tiles, std::vector<std::uint8_t>** out) const {
        static const std::uint8_t end[] = {0xFF, 0xD9};
        std::size_t at = scanDataStart(buffer_, size), from = at, tile = 0;
        if (at == 0) return false;
        // In coded data a 0xFF byte is followed by 0 (a stuffed byte) or by a marker.
        for (; at + 1 < size && tile < tiles; ++at) {
            if (buffer_[at] != 0xFF || buffer_[at + 1] == 0x00) continue;
            const std::uint8_t marker = buffer_[at + 1];
            const bool restart = marker >= 0xD0 && marker <= 0xD7;
            if (!restart && marker != 0xD9) return false;
            std::vector<std::uint8_t>& bytes = *out[tile++];
            bytes.reserve(header_.size() + (at - from) + sizeof(end));
            bytes.assign(header_.begin(), header_.end());
            bytes.insert(bytes.end(), buffer_ + from, buffer_ + at);
            bytes.insert(bytes.end(), end, end + sizeof(end));
            if (!restart) break;
            from = at + 2;
            ++at;
        }
        return tile == tiles;
    }

    jpeg_compress_struct info_{};
    JpegErrors errors_{};
    unsigned char* buffer_ = nullptr;  // libjpeg's output of the last stream
    std::vector<std::uint8_t> header_;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> jpegTables(std::uint32_t channels, int quality) {
    JpegTileCoder coder(channels, false, quality);
    std::vector<std::uint8_t> out;
    if (!coder.tables(out)) return std::nullopt;
    return out;
}

bool codeJpegTiles(const std::vector<Plane>& levels, int quality, std::vector<std::vector<std::vector<std::uint8_t>>>& out) {
    // Runs of up to kRunTiles tiles of one level, taken by the threads in turn.
    struct Run {
        std::size_t level, first, count;
    };
    std::vector<Run> runs;
    out.resize(levels.size());
    for (std::size_t l = 0; l < levels.size(); ++l) {
        const std::size_t count = std::size_t{levels[l].tilesAcross()} * levels[l].tilesDown();
        out[l].assign(count, {});
        for (std::size_t first = 0; first < count; first += kRunTiles)
            runs.push_back({l, first, std::min(kRunTiles, count - first)});
    }
    const std::uint32_t channels = levels.front().channels;
    const std::size_t tileBytes = kTileSide * kTileSide * channels;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    inParallel(8, 8, [&](std::size_t, std::size_t) {
        try {
            JpegTileCoder coder(channels, levels.front().bgr, quality);
            // The run's tiles are copied whole first (see packTiles) and coded from the copy.
            std::unique_ptr<std::uint8_t[]> packed(new std::uint8_t[kRunTiles * tileBytes]);
            std::vector<JSAMPROW> rows(kRunTiles * kTileSide);
            std::vector<std::vector<std::uint8_t>*> targets(kRunTiles);
            for (std::size_t i; !failed && (i = next++) < runs.size();) {
                const Run& run = runs[i];
                const Plane& plane = levels[run.level];
                packTiles(plane, run.first, run.count, false, packed.get());
                for (std::size_t k = 0; k < run.count; ++k) {
                    for (std::size_t y = 0; y < kTileSide; ++y)
                        rows[k * kTileSide + y] = packed.get() + k * tileBytes + y * kTileSide * channels;
                    targets[k] = &out[run.level][run.first + k];
                }
                if (!coder.run(rows.data(), run.count, targets.data())) failed = true;
            }
        } catch (...) {
            failed = true;
        }
    });
    return !failed;
}

}  // namespace kit::fpx
