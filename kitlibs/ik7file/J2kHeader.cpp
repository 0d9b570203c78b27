// JPEG 2000 headers read by hand: the JP2 boxes up to the code stream, the SIZ marker, and
// the COD and COC markers of the main and the tile-part headers, with the cost of the
// decode they declare. OpenJPEG allocates its tile, precinct and code-block structures
// from these values alone, so a tiny file can ask for gigabytes; the estimate here follows
// the precinct and code-block partition OpenJPEG builds for each tile.
#include "J2kHeader.h"

#include "ByteReader.h"
#include "DecodeLimits.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>

namespace kit {
namespace {

// What OpenJPEG allocates per code block (the block, its ten segment records and tag-tree
// nodes) and per precinct of a band (the precinct and its two tag trees), rounded up.
constexpr std::uint64_t kCodeBlockBytes = 768;
constexpr std::uint64_t kPrecinctBandBytes = 256;
// OpenJPEG decodes into 32-bit samples; its packet iterator keeps 16 bits per packet.
constexpr std::uint64_t kSampleBytes = 4;
constexpr std::uint64_t kPacketFlagBytes = 2;
constexpr int kMostLevels = 32;        // decomposition levels OpenJPEG decodes
constexpr int kMostStreamBits = 31;    // sample precision OpenJPEG decodes
constexpr std::uint32_t kMostPaletteEntries = 1024;

constexpr std::uint16_t kSoc = 0xFF4F, kSiz = 0xFF51, kCod = 0xFF52, kCoc = 0xFF53, kSot = 0xFF90, kSod = 0xFF93;
constexpr std::uint32_t kBoxHeader = 0x6A703268, kBoxStream = 0x6A703263;  // jp2h, jp2c
constexpr std::uint32_t kBoxPalette = 0x70636C72, kBoxMapping = 0x636D6170;  // pclr, cmap

std::uint64_t addSat(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}
std::uint64_t mulSat(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a ? std::numeric_limits<std::uint64_t>::max() : a * b;
}
std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }
std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
// Cells of a 2^exponent grid that [a0, a1) touches.
std::uint64_t gridCells(std::int64_t a0, std::int64_t a1, int exponent) {
    const std::int64_t cell = std::int64_t{1} << exponent;
    return a1 > a0 ? static_cast<std::uint64_t>(ceilDiv(a1, cell) - floorDiv(a0, cell)) : 0;
}

using BigEndian = BigEndianReader;

// Walks the boxes of `area`; `visit(type, contents)` returns false to refuse the file and
// sets `stop` to end the walk. False when a box's length does not fit.
template <typename Visit>
bool walkBoxes(const BigEndian& area, Visit visit) {
    std::size_t at = 0;
    bool stop = false;
    while (!stop && area.has(at, 8)) {
        std::uint64_t length = area.u32(at);
        std::size_t header = 8;
        if (length == 1) {
            if (!area.has(at, 16)) return false;
            length = area.u64(at + 8);
            header = 16;
        } else if (length == 0) {
            length = area.size() - at;
        }
        if (length < header || length > area.size() - at) return false;
        if (!visit(area.u32(at + 4), at + header, static_cast<std::size_t>(length) - header, stop)) return false;
        at += static_cast<std::size_t>(length);
    }
    return stop || at == area.size();
}

struct Jp2Boxes {
    std::size_t streamAt = 0, streamBytes = 0;
    bool stream = false, mapping = false, palette = false;
    std::vector<std::uint8_t> columns;  // the palette's Bi bytes: sign bit and depth − 1
};

bool readPalette(const BigEndian& box, Jp2Boxes& out) {
    if (out.palette) return false;  // OpenJPEG refuses a second palette too
    const std::uint32_t entries = box.u16(0), columns = box.u8(2);
    if (entries == 0 || entries > kMostPaletteEntries || columns == 0 || !box.has(3, columns)) return false;
    out.palette = true;
    for (std::uint32_t i = 0; i < columns; ++i) out.columns.push_back(box.u8(3 + i));
    return true;
}

bool readJp2Boxes(const BigEndian& file, Jp2Boxes& out) {
    const bool walked = walkBoxes(file, [&](std::uint32_t type, std::size_t at, std::size_t bytes, bool& stop) {
        if (type == kBoxStream) {
            out.stream = stop = true;
            out.streamAt = at;
            out.streamBytes = bytes;
        }
        if (type != kBoxHeader) return true;
        const BigEndian header = file.part(at, bytes);
        return walkBoxes(header, [&](std::uint32_t inner, std::size_t innerAt, std::size_t innerBytes, bool&) {
            if (inner == kBoxPalette) return readPalette(header.part(innerAt, innerBytes), out);
            if (inner != kBoxMapping) return true;
            if (out.mapping) return false;
            out.mapping = true;
            return true;
        });
    });
    return walked && out.stream;
}

// The coding style of a COD or COC marker: decomposition levels, code-block size and the
// precinct size of each resolution (exponents).
struct CodingStyle {
    int levels = 0;
    int blockWidth = 0, blockHeight = 0;
    std::array<std::uint8_t, kMostLevels + 1> precincts{};  // PPy << 4 | PPx
};

// The styles that may apply to a tile's components: OpenJPEG lets later markers override
// earlier ones, so every style seen counts and the costliest decides.
struct Styles {
    std::vector<CodingStyle> everyComponent;  // COD
    std::array<std::vector<CodingStyle>, kMostJ2kComponents> component;  // COC
    std::uint32_t layers = 0;
};

// SPcod or SPcoc at `at`.
bool readStyle(const BigEndian& segment, std::size_t at, bool precinctsGiven, CodingStyle& out) {
    if (!segment.has(at, 5)) return false;
    const int levels = segment.u8(at), xcb = segment.u8(at + 1), ycb = segment.u8(at + 2);
    if (levels > kMostLevels || xcb > 8 || ycb > 8 || xcb + ycb > 8) return false;
    out.levels = levels;
    out.blockWidth = xcb + 2;
    out.blockHeight = ycb + 2;
    for (int r = 0; r <= levels; ++r) {
        if (!precinctsGiven) {
            out.precincts[r] = 0xFF;
            continue;
        }
        if (!segment.has(at + 5 + r, 1)) return false;
        const std::uint8_t size = segment.u8(at + 5 + r);
        // Only the lowest resolution may have 1 × 1 precincts.
        if (r > 0 && ((size & 0xF) == 0 || (size >> 4) == 0)) return false;
        out.precincts[r] = size;
    }
    return true;
}

bool readCod(const BigEndian& segment, Styles& styles) {
    CodingStyle style;
    const std::uint32_t layers = segment.u16(2);
    if (layers == 0 || !readStyle(segment, 5, (segment.u8(0) & 1) != 0, style)) return false;
    styles.everyComponent.push_back(style);
    styles.layers = std::max(styles.layers, layers);
    return true;
}

bool readCoc(const BigEndian& segment, std::uint32_t components, Styles& styles) {
    CodingStyle style;
    const std::uint32_t index = segment.u8(0);
    if (index >= components || !readStyle(segment, 2, (segment.u8(1) & 1) != 0, style)) return false;
    styles.component[index].push_back(style);
    return true;
}

// Reads marker segments from `at` up to the marker `stop`, leaving `at` on it.
bool readMarkers(const BigEndian& stream, std::size_t& at, std::uint16_t stop, std::uint32_t components, Styles& styles) {
    for (;;) {
        if (!stream.has(at, 2)) return false;
        const std::uint16_t marker = stream.u16(at);
        if (marker == stop) return true;
        const std::size_t length = stream.u16(at + 2);
        if ((marker >> 8) != 0xFF || length < 2 || !stream.has(at + 2, length)) return false;
        const BigEndian segment = stream.part(at + 4, length - 2);
        if (marker == kCod && !readCod(segment, styles)) return false;
        if (marker == kCoc && !readCoc(segment, components, styles)) return false;
        at += 2 + length;
    }
}

struct Siz {
    std::uint64_t x1, y1, x0, y0, tileWidth, tileHeight, tileX0, tileY0;
    std::uint32_t components, stepX, stepY;
    std::uint64_t tilesAcross, tilesDown;
};

bool readSiz(const BigEndian& stream, std::vector<int>& precisions, Siz& s) {
    if (stream.u16(0) != kSoc || stream.u16(2) != kSiz) return false;
    const std::size_t length = stream.u16(4);
    s.components = stream.u16(40);
    if (!stream.has(4, length) || length != 38 + 3 * std::size_t{s.components}) return false;
    if (s.components == 0 || s.components > kMostJ2kComponents) return false;
    s.x1 = stream.u32(8), s.y1 = stream.u32(12), s.x0 = stream.u32(16), s.y0 = stream.u32(20);
    s.tileWidth = stream.u32(24), s.tileHeight = stream.u32(28), s.tileX0 = stream.u32(32), s.tileY0 = stream.u32(36);
    if (s.x1 <= s.x0 || s.y1 <= s.y0 || s.tileWidth == 0 || s.tileHeight == 0 || s.tileX0 > s.x0 ||
        s.tileY0 > s.y0 || s.tileX0 + s.tileWidth <= s.x0 || s.tileY0 + s.tileHeight <= s.y0)
        return false;
    s.tilesAcross = (s.x1 - s.tileX0 + s.tileWidth - 1) / s.tileWidth;
    s.tilesDown = (s.y1 - s.tileY0 + s.tileHeight - 1) / s.tileHeight;
    const std::uint64_t tiles = s.tilesAcross * s.tilesDown;
    if (tiles > kMostJ2kTiles || tiles * s.components > kMostJ2kTileComponents) return false;
    s.stepX = stream.u8(43), s.stepY = stream.u8(44);
    for (std::uint32_t c = 0; c < s.components; ++c) {
        const int bits = (stream.u8(42 + 3 * c) & 0x7F) + 1;
        // The loader needs components of one size: no subsampled chroma.
        if (bits > kMostStreamBits || s.stepX == 0 || s.stepY == 0 || stream.u8(43 + 3 * c) != s.stepX ||
            stream.u8(44 + 3 * c) != s.stepY)
            return false;
        precisions.push_back(bits);
    }
    return true;
}

// Work and memory of one tile component under one coding style.
struct ComponentCost {
    std::uint64_t precincts = 0, mostPrecincts = 0, blocks = 0, bytes = 0;
    std::uint64_t resolutions = 0;

    void atLeast(const ComponentCost& o) {
        precincts = std::max(precincts, o.precincts);
        mostPrecincts = std::max(mostPrecincts, o.mostPrecincts);
        blocks = std::max(blocks, o.blocks);
        bytes = std::max(bytes, o.bytes);
        resolutions = std::max(resolutions, o.resolutions);
    }
};

struct Bounds {
    std::int64_t x0, y0, x1, y1;
};

ComponentCost componentCost(const Bounds& t, const CodingStyle& s) {
    ComponentCost cost;
    cost.resolutions = static_cast<std::uint64_t>(s.levels) + 1;
    for (int r = 0; r <= s.levels; ++r) {
        const int scale = s.levels - r;
        const std::int64_t step = std::int64_t{1} << scale;
        const int ppx = s.precincts[r] & 0xF, ppy = s.precincts[r] >> 4;
        const std::uint64_t precincts = mulSat(gridCells(ceilDiv(t.x0, step), ceilDiv(t.x1, step), ppx),
                                               gridCells(ceilDiv(t.y0, step), ceilDiv(t.y1, step), ppy));
        std::uint64_t blocks = 0;
        if (r == 0) {
            blocks = mulSat(gridCells(ceilDiv(t.x0, step), ceilDiv(t.x1, step), std::min(s.blockWidth, ppx)),
                            gridCells(ceilDiv(t.y0, step), ceilDiv(t.y1, step), std::min(s.blockHeight, ppy)));
        } else {
            // The HL, LH and HH bands of this level, with code blocks no larger than half a precinct.
            const int cbw = std::min(s.blockWidth, ppx - 1), cbh = std::min(s.blockHeight, ppy - 1);
            for (const auto& [xo, yo] : {std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}}) {
                const std::uint64_t across = gridCells(ceilDiv(t.x0 - xo * step, 2 * step), ceilDiv(t.x1 - xo * step, 2 * step), cbw);
                const std::uint64_t down = gridCells(ceilDiv(t.y0 - yo * step, 2 * step), ceilDiv(t.y1 - yo * step, 2 * step), cbh);
                blocks = addSat(blocks, mulSat(across, down));
            }
        }
        cost.precincts = addSat(cost.precincts, precincts);
        cost.mostPrecincts = std::max(cost.mostPrecincts, precincts);
        cost.blocks = addSat(cost.blocks, blocks);
        cost.bytes = addSat(cost.bytes, addSat(mulSat(precincts, (r == 0 ? 1 : 3) * kPrecinctBandBytes),
                                               mulSat(blocks, kCodeBlockBytes)));
    }
    return cost;
}

// Adds the work of every tile to `out`; the most memory of any tile's coding structures
// and of its samples.
struct TileMemory {
    std::uint64_t structures = 0, samples = 0;
};

TileMemory tileCosts(const Siz& s, const Styles& main, const std::map<std::uint32_t, Styles>& tiles, J2kHeader& out) {
    TileMemory most;
    static const Styles kNone;
    for (std::uint64_t t = 0; t < s.tilesAcross * s.tilesDown; ++t) {
        const auto found = tiles.find(static_cast<std::uint32_t>(t));
        const Styles& own = found == tiles.end() ? kNone : found->second;
        const std::uint64_t p = t % s.tilesAcross, q = t / s.tilesAcross;
        const std::uint64_t x0 = std::max(s.tileX0 + p * s.tileWidth, s.x0), x1 = std::min(s.tileX0 + (p + 1) * s.tileWidth, s.x1);
        const std::uint64_t y0 = std::max(s.tileY0 + q * s.tileHeight, s.y0), y1 = std::min(s.tileY0 + (q + 1) * s.tileHeight, s.y1);
        const Bounds bounds{ceilDiv(std::int64_t(x0), s.stepX), ceilDiv(std::int64_t(y0), s.stepY),
                            ceilDiv(std::int64_t(x1), s.stepX), ceilDiv(std::int64_t(y1), s.stepY)};
        const std::uint64_t layers = std::max(main.layers, own.layers);
        std::uint64_t precincts = 0, mostPrecincts = 0, resolutions = 0, bytes = 0, samples = 0;
        for (std::uint32_t c = 0; c < s.components; ++c) {
            ComponentCost worst;
            for (const Styles* styles : {&main, &own}) {
                for (const CodingStyle& style : styles->everyComponent) worst.atLeast(componentCost(bounds, style));
                for (const CodingStyle& style : styles->component[c]) worst.atLeast(componentCost(bounds, style));
            }
            precincts = addSat(precincts, worst.precincts);
            mostPrecincts = std::max(mostPrecincts, worst.mostPrecincts);
            resolutions = std::max(resolutions, worst.resolutions);
            bytes = addSat(bytes, worst.bytes);
            out.codeBlocks = addSat(out.codeBlocks, worst.blocks);
            samples = addSat(samples, std::uint64_t(bounds.x1 - bounds.x0) * std::uint64_t(bounds.y1 - bounds.y0));
        }
        out.packets = addSat(out.packets, mulSat(layers, precincts));
        // OpenJPEG's packet iterator flags every layer × component × resolution × precinct.
        const std::uint64_t flags = mulSat(mulSat(layers + 1, s.components), mulSat(resolutions, mostPrecincts));
        bytes = addSat(bytes, mulSat(flags, kPacketFlagBytes));
        most.structures = std::max(most.structures, bytes);
        most.samples = std::max(most.samples, mulSat(samples, kSampleBytes));
    }
    return most;
}

bool readCodeStream(const BigEndian& stream, J2kHeader& out) {
    Siz s{};
    std::vector<int> streamBits;
    if (!readSiz(stream, streamBits, s)) return false;
    out.streamComponents = s.components;
    out.tiles = s.tilesAcross * s.tilesDown;
    out.width = static_cast<std::uint32_t>(ceilDiv(std::int64_t(s.x1), s.stepX) - ceilDiv(std::int64_t(s.x0), s.stepX));
    out.height = static_cast<std::uint32_t>(ceilDiv(std::int64_t(s.y1), s.stepY) - ceilDiv(std::int64_t(s.y0), s.stepY));
    if (!out.palette) out.precisions = streamBits;
    if (!pageWithinBudget(out.width, out.height, 8)) return false;

    Styles main;
    std::size_t at = 4 + stream.u16(4);
    if (!readMarkers(stream, at, kSot, s.components, main) || main.everyComponent.empty()) return false;
    std::map<std::uint32_t, Styles> tiles;
    // Tile parts: SOT, markers up to SOD, then Psot bytes from the SOT in all.
    while (stream.u16(at) == kSot) {
        const std::uint32_t tile = stream.u16(at + 4), partBytes = stream.u32(at + 6);
        if (stream.u16(at + 2) != 10 || tile >= out.tiles) return false;
        std::size_t headerAt = at + 12;
        if (!readMarkers(stream, headerAt, kSod, s.components, tiles[tile])) return false;
        if (partBytes == 0) break;  // the last tile part runs to the end of the stream
        if (partBytes < headerAt + 2 - at || !stream.has(at, partBytes)) return false;
        at += partBytes;
    }

    const TileMemory tile = tileCosts(s, main, tiles, out);
    if (out.codeBlocks > kMostJ2kCodeBlocks || out.packets > kMostJ2kPackets) return false;
    // OpenJPEG decodes a single tile covering the picture straight into the picture's
    // samples; otherwise it keeps the picture and the tile being decoded.
    const bool singleTile = out.tiles == 1 && s.x0 == 0 && s.y0 == 0 && s.tileX0 == 0 && s.tileY0 == 0 &&
                            s.tileWidth == s.x1 && s.tileHeight == s.y1;
    const std::uint64_t samples = std::uint64_t{out.width} * out.height;
    out.codecBytes = addSat(tile.structures, singleTile ? 0 : tile.samples);
    out.codecBytes = addSat(out.codecBytes, mulSat(samples, kSampleBytes * s.components));
    // Applying a palette adds its columns beside the stream's components.
    if (out.palette) out.codecBytes = addSat(out.codecBytes, mulSat(samples, kSampleBytes * out.components()));
    return out.codecBytes <= kMostCodecMemoryBytes;
}

}  // namespace

bool readJ2kHeader(const std::uint8_t* data, std::size_t size, bool jp2, J2kHeader& out) {
    out = J2kHeader{};
    const BigEndian file(data, size);
    if (!jp2) return readCodeStream(file, out);
    Jp2Boxes boxes;
    if (!readJp2Boxes(file, boxes)) return false;
    // OpenJPEG applies a palette only with its component mapping; each column becomes a
    // component, and it neither sign-extends palette entries nor bounds their depth.
    out.palette = boxes.palette && boxes.mapping;
    if (out.palette) {
        if (boxes.columns.size() > kMostJ2kComponents) return false;
        for (const std::uint8_t column : boxes.columns) {
            const int bits = (column & 0x7F) + 1;
            if ((column & 0x80) != 0 || bits > kMostJ2kPaletteBits) return false;
            out.precisions.push_back(bits);
        }
    }
    return readCodeStream(file.part(boxes.streamAt, boxes.streamBytes), out);
}

}  // namespace kit
