// Crafted TIFF pages that once read past buffers, decoded wrong pixels, allocated far more
// than their data could fill or failed with the wrong status. Each fixture is written here:
// byte by byte where libtiff refuses to write the layout, through libtiff's API otherwise.
#include "FileFixture.h"

#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <tiffio.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>

using namespace Ikdllprocs;

namespace {

// A classic little-endian TIFF of one page built from its tags: the directory first, then
// out-of-line tag values, then the strips or tiles, so that cutting the file cuts data.
class TiffBytes {
public:
    TiffBytes& tag(std::uint16_t id, std::vector<std::uint32_t> values, std::uint16_t type = TIFF_LONG) {
        tags_[id] = {type, std::move(values)};
        return *this;
    }
    // The page's strips (or tiles, with `tiled`); byte counts may be declared other than real.
    TiffBytes& chunks(std::vector<std::vector<std::uint8_t>> data, bool tiled = false,
                      std::vector<std::uint32_t> declaredCounts = {}) {
        chunks_ = std::move(data);
        tiled_ = tiled;
        declared_ = std::move(declaredCounts);
        return *this;
    }
    std::vector<std::uint8_t> bytes() {
        std::vector<std::uint32_t> counts = declared_;
        if (counts.empty())
            for (const auto& c : chunks_) counts.push_back(std::uint32_t(c.size()));
        tags_[tiled_ ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS] = {TIFF_LONG, counts};
        tags_[tiled_ ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS] = {TIFF_LONG,
                                                                      std::vector<std::uint32_t>(chunks_.size())};
        const std::uint32_t ifdBytes = 2 + 12 * std::uint32_t(tags_.size()) + 4;
        std::uint32_t spill = 8 + ifdBytes;
        for (const auto& [id, t] : tags_)
            if (size(t) > 4) spill += size(t);
        std::uint32_t at = spill;
        std::vector<std::uint32_t>& offsets = tags_[tiled_ ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS].values;
        for (std::size_t i = 0; i < chunks_.size(); ++i) {
            offsets[i] = at;
            at += std::uint32_t(chunks_[i].size());
        }
        std::vector<std::uint8_t> out = {'I', 'I', 42, 0};
        put(out, 8, 4);
        std::vector<std::uint8_t> outOfLine;
        put(out, tags_.size(), 2);
        for (const auto& [id, t] : tags_) {
            put(out, id, 2);
            put(out, t.type, 2);
            put(out, t.values.size(), 4);
            std::vector<std::uint8_t> value;
            for (std::uint32_t v : t.values) put(value, v, t.type == TIFF_SHORT ? 2 : 4);
            if (value.size() <= 4) {
                value.resize(4);
                out.insert(out.end(), value.begin(), value.end());
            } else {
                put(out, 8 + ifdBytes + outOfLine.size(), 4);
                outOfLine.insert(outOfLine.end(), value.begin(), value.end());
            }
        }
        put(out, 0, 4);
        out.insert(out.end(), outOfLine.begin(), outOfLine.end());
        for (const auto& c : chunks_) out.insert(out.end(), c.begin(), c.end());
        return out;
    }

private:
    struct Tag {
        std::uint16_t type;
        std::vector<std::uint32_t> values;
    };
    static std::uint32_t size(const Tag& t) { return std::uint32_t(t.values.size()) * (t.type == TIFF_SHORT ? 2 : 4); }
    static void put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(std::uint8_t(value >> (8 * i)));
    }
    std::map<std::uint16_t, Tag> tags_;
    std::vector<std::vector<std::uint8_t>> chunks_;
    std::vector<std::uint32_t> declared_;
    bool tiled_ = false;
};

// The tags of a page of width × height, `bits` per sample and `samples` samples, stored.
TiffBytes page(std::uint32_t width, std::uint32_t height, std::uint32_t bits, std::uint32_t samples,
               std::uint32_t photometric, std::uint32_t compression = COMPRESSION_NONE) {
    TiffBytes t;
    t.tag(TIFFTAG_IMAGEWIDTH, {width})
        .tag(TIFFTAG_IMAGELENGTH, {height})
        .tag(TIFFTAG_BITSPERSAMPLE, std::vector<std::uint32_t>(samples, bits), TIFF_SHORT)
        .tag(TIFFTAG_COMPRESSION, {compression}, TIFF_SHORT)
        .tag(TIFFTAG_PHOTOMETRIC, {photometric}, TIFF_SHORT)
        .tag(TIFFTAG_SAMPLESPERPIXEL, {samples}, TIFF_SHORT)
        .tag(TIFFTAG_ROWSPERSTRIP, {height});
    return t;
}

class HostileTiff : public FileKit {
protected:
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string file = path(name);
        std::FILE* f = std::fopen(file.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return file;
    }
    // Writes a page through libtiff: `fields` sets the tags, `body` writes the data.
    std::string writeWithLibtiff(const std::string& name, const std::function<void(TIFF*)>& fields,
                                 const std::function<bool(TIFF*)>& body) {
        const std::string file = path(name);
        TIFF* tif = TIFFOpen(file.c_str(), "w");
        EXPECT_NE(tif, nullptr);
        if (!tif) return file;
        fields(tif);
        EXPECT_TRUE(body(tif)) << name;
        TIFFClose(tif);
        return file;
    }
    // Loads a page that must be refused: no image, the read status, and quickly.
    void expectRefused(const std::string& file, const std::string& what) {
        const auto start = std::chrono::steady_clock::now();
        KitImage image(loadPage(file));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(image.get(), 0u) << what;
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ) << what;
        EXPECT_LT(seconds, 2.0) << what;
        // Decoding smaller is held to the same budget.
        const auto reducedStart = std::chrono::steady_clock::now();
        KitImage reduced(IkFileLoadReduced(file.c_str(), 0, 64, 64, nullptr));
        EXPECT_EQ(reduced.get(), 0u) << what << ", reduced";
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ) << what << ", reduced";
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - reducedStart).count(), 2.0) << what;
    }
};

// Counts the pixels of a 1-bit or 24-bit kit image (rows from the top) whose value differs
// from `expected(x, y)`: the bit, or the grey of blue, green and red. Reads the bitmap in
// place, for pages too large to copy as RGBA.
template <typename Expected>
std::size_t countWrong(IKHANDLE image, std::int32_t width, std::int32_t height, Expected expected) {
    platform::GlobalLock lock(image);
    if (!lock) return SIZE_MAX;
    const auto& h = *lock.as<platform::BitmapInfoHeader>();
    if (h.biWidth != width || std::abs(h.biHeight) != height) return SIZE_MAX;
    const std::uint8_t* bits = lock.as<std::uint8_t>() + platform::dibPixelOffset(h);
    const std::uint32_t stride = platform::dibStride(h.biWidth, h.biBitCount);
    std::size_t wrong = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = bits + std::size_t(h.biHeight > 0 ? height - 1 - y : y) * stride;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t want = expected(std::uint32_t(x), std::uint32_t(y));
            if (h.biBitCount == 1)
                wrong += std::uint32_t((row[x / 8] >> (7 - x % 8)) & 1) != want;
            else
                wrong += row[3 * x] != want || row[3 * x + 1] != want || row[3 * x + 2] != want;
        }
    }
    return wrong;
}

// Red, green and blue of pixel (x, y) of the colour fixtures, and a fourth sample.
std::uint8_t sampleAt(std::uint32_t x, std::uint32_t y, std::uint32_t s) { return std::uint8_t(x * 29 + y * 71 + s * 101); }

TEST_F(HostileTiff, ExtraSamplesLeaveTooFewColoursForRgbAndAreRefused) {
    const std::uint32_t w = 9, h = 5;
    std::vector<std::uint8_t> pixels;
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            for (std::uint32_t s = 0; s < 3; ++s) pixels.push_back(sampleAt(x, y, s));
    struct Case {
        const char* name;
        std::vector<std::uint32_t> extra;
        bool tiled;
    };
    const Case cases[] = {{"one of three is alpha, strips", {EXTRASAMPLE_UNASSALPHA}, false},
                          {"one of three is alpha, tiles", {EXTRASAMPLE_UNASSALPHA}, true},
                          {"one of three is unspecified", {EXTRASAMPLE_UNSPECIFIED}, false},
                          {"all three are extra", {EXTRASAMPLE_UNASSALPHA, 0, 0}, false},
                          {"all three are extra, tiles", {EXTRASAMPLE_ASSOCALPHA, 0, 0}, true}};
    for (const Case& c : cases) {
        TiffBytes t = page(w, h, 8, 3, PHOTOMETRIC_RGB);
        t.tag(TIFFTAG_EXTRASAMPLES, c.extra, TIFF_SHORT);
        if (c.tiled) {
            // One 16 × 16 tile holding the 9 × 5 picture.
            std::vector<std::uint8_t> tile(16 * 16 * 3);
            for (std::uint32_t y = 0; y < h; ++y)
                std::copy_n(pixels.begin() + y * w * 3, w * 3, tile.begin() + y * 16 * 3);
            t.tag(TIFFTAG_TILEWIDTH, {16}).tag(TIFFTAG_TILELENGTH, {16}).chunks({tile}, true);
        } else {
            t.chunks({pixels});
        }
        const std::string file = write("extra.tif", t.bytes());
        expectRefused(file, c.name);
        IKFILEINFO facts{};
        EXPECT_FALSE(IkFileType(file.c_str(), 0, &facts)) << c.name;
    }
}

TEST_F(HostileTiff, RgbWithAFourthSampleKeepsItsExactColours) {
    const std::uint32_t w = 7, h = 4;
    struct Case {
        const char* name;
        std::uint32_t extra;
        bool alpha;
    };
    const Case cases[] = {{"unassociated alpha", EXTRASAMPLE_UNASSALPHA, true},
                          {"unspecified fourth sample", EXTRASAMPLE_UNSPECIFIED, false}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> data;
        for (std::uint32_t y = 0; y < h; ++y)
            for (std::uint32_t x = 0; x < w; ++x)
                for (std::uint32_t s = 0; s < 4; ++s) data.push_back(s == 3 ? std::uint8_t(40 + x * 30) : sampleAt(x, y, s));
        TiffBytes t = page(w, h, 8, 4, PHOTOMETRIC_RGB);
        t.tag(TIFFTAG_EXTRASAMPLES, {c.extra}, TIFF_SHORT).chunks({data});
        KitImage image(loadPage(write("rgba.tif", t.bytes())));
        ASSERT_NE(image.get(), 0u) << c.name << " status " << IkGetErrorStatus();
        const Rgba seen = pixels(image.get());
        ASSERT_EQ(seen.bytes.size(), std::size_t(w * h * 4)) << c.name;
        for (std::uint32_t i = 0; i < w * h; ++i) {
            for (std::uint32_t s = 0; s < 3; ++s) ASSERT_EQ(seen.bytes[4 * i + s], data[4 * i + s]) << c.name << " pixel " << i;
            EXPECT_EQ(seen.bytes[4 * i + 3], c.alpha ? data[4 * i + 3] : 255) << c.name << " pixel " << i;
        }
    }
}

// Subsampled YCbCr with neutral chroma: every pixel is the grey of its luma, so a band that
// starts inside a subsampling block, or bytes from outside the strip, show as wrong greys.
std::uint8_t lumaAt(std::uint32_t x, std::uint32_t y) { return std::uint8_t(x * 7 + y * 13 + (x >> 8)); }

struct YcbcrCase {
    const char* name;
    std::uint16_t blockWidth, blockHeight;
    std::uint32_t width, height, rowsPerStrip;  // rowsPerStrip 0: tiles of 16 × 16
    std::uint16_t compression;
};

std::vector<std::uint8_t> ycbcrBlocks(const YcbcrCase& c, std::uint32_t x0, std::uint32_t y0, std::uint32_t width,
                                      std::uint32_t rows) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t by = 0; by < rows; by += c.blockHeight)
        for (std::uint32_t bx = 0; bx < width; bx += c.blockWidth) {
            for (std::uint32_t y = 0; y < c.blockHeight; ++y)
                for (std::uint32_t x = 0; x < c.blockWidth; ++x) out.push_back(lumaAt(x0 + bx + x, y0 + by + y));
            out.push_back(128);
            out.push_back(128);
        }
    return out;
}

TEST_F(HostileTiff, SubsampledYcbcrReadsEveryBandFromWholeBlocks) {
    const YcbcrCase cases[] = {
        {"2x2 ordinary page, one strip", 2, 2, 5000, 1000, 1000, COMPRESSION_NONE},
        {"2x2 strips of 16, Deflate", 2, 2, 5000, 1000, 16, COMPRESSION_ADOBE_DEFLATE},
        {"4x4 very wide, short strips", 4, 4, 300000, 12, 4, COMPRESSION_ADOBE_DEFLATE},
        {"4x4 very wide, strip taller than a band", 4, 4, 300000, 64, 64, COMPRESSION_ADOBE_DEFLATE},
        {"4x4 partial blocks at the right and bottom", 4, 4, 103, 9, 9, COMPRESSION_NONE},
        {"2x1 odd width", 2, 1, 101, 77, 6, COMPRESSION_NONE},
        {"2x2 tiles", 2, 2, 70, 45, 0, COMPRESSION_ADOBE_DEFLATE},
    };
    for (const YcbcrCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = writeWithLibtiff(
            "ycbcr.tif",
            [&](TIFF* tif) {
                TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, c.width);
                TIFFSetField(tif, TIFFTAG_IMAGELENGTH, c.height);
                TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
                TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
                TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
                TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, c.blockWidth, c.blockHeight);
                TIFFSetField(tif, TIFFTAG_COMPRESSION, c.compression);
                TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
                if (c.rowsPerStrip) {
                    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, c.rowsPerStrip);
                } else {
                    TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
                    TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
                }
            },
            [&](TIFF* tif) {
                if (!c.rowsPerStrip) {
                    for (std::uint32_t y = 0; y < c.height; y += 16)
                        for (std::uint32_t x = 0; x < c.width; x += 16) {
                            std::vector<std::uint8_t> tile = ycbcrBlocks(c, x, y, 16, 16);
                            if (TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, 0), tile.data(),
                                                     tmsize_t(tile.size())) < 0)
                                return false;
                        }
                    return true;
                }
                for (std::uint32_t y = 0; y < c.height; y += c.rowsPerStrip) {
                    std::vector<std::uint8_t> strip =
                        ycbcrBlocks(c, 0, y, c.width, std::min(c.rowsPerStrip, c.height - y));
                    if (TIFFWriteEncodedStrip(tif, TIFFComputeStrip(tif, y, 0), strip.data(), tmsize_t(strip.size())) < 0)
                        return false;
                }
                return true;
            });
        KitImage image(loadPage(file));
        ASSERT_NE(image.get(), 0u) << "status " << IkGetErrorStatus();
        EXPECT_EQ(countWrong(image.get(), std::int32_t(c.width), std::int32_t(c.height), lumaAt), 0u);
    }
}

TEST_F(HostileTiff, YcbcrStripsThatSplitABlockAndExceedABandAreRefused) {
    // Strips of 63 rows with 2 × 2 blocks: a band inside the second strip would start in
    // the middle of a block, and one strip is more than one band of this width.
    const std::uint32_t width = 300000, height = 126;
    TiffBytes t = page(width, height, 8, 3, PHOTOMETRIC_YCBCR, COMPRESSION_NONE);
    t.tag(TIFFTAG_YCBCRSUBSAMPLING, {2, 2}, TIFF_SHORT).tag(TIFFTAG_ROWSPERSTRIP, {63});
    const std::size_t stripBytes = std::size_t(width / 2) * 32 * 6;
    t.chunks({std::vector<std::uint8_t>(stripBytes, 128), std::vector<std::uint8_t>(stripBytes, 128)});
    expectRefused(write("split.tif", t.bytes()), "strips of 63 rows");
}

// Tiles narrower than the format's multiple of 16 columns: pixels at columns that do not
// start a byte must land exactly.
TEST_F(HostileTiff, SubBytePixelsOfOddTileWidthsLandExactly) {
    struct Case {
        std::uint32_t bits, tileWidth, tileHeight, width, height;
    };
    const Case cases[] = {{1, 12, 8, 30, 20}, {4, 5, 3, 23, 10}, {2, 6, 4, 21, 9}, {1, 3, 5, 17, 11},
                          {4, 16, 4, 37, 5},  {1, 16, 16, 40, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits, tiles " + std::to_string(c.tileWidth) + " wide");
        const std::uint32_t levels = (1u << c.bits) - 1;
        const auto value = [&](std::uint32_t x, std::uint32_t y) { return (x * 5 + y * 3 + (x * y) % 7) % (levels + 1); };
        const std::uint32_t rowBytes = (c.tileWidth * c.bits + 7) / 8;
        std::vector<std::vector<std::uint8_t>> tiles;
        for (std::uint32_t y0 = 0; y0 < c.height; y0 += c.tileHeight)
            for (std::uint32_t x0 = 0; x0 < c.width; x0 += c.tileWidth) {
                std::vector<std::uint8_t> tile(std::size_t(rowBytes) * c.tileHeight);
                for (std::uint32_t y = 0; y < c.tileHeight; ++y)
                    for (std::uint32_t x = 0; x < c.tileWidth; ++x) {
                        // Pixels beyond the picture are set: they must not show.
                        const std::uint32_t v = (x0 + x < c.width && y0 + y < c.height) ? value(x0 + x, y0 + y) : levels;
                        const std::uint32_t bit = x * c.bits;
                        tile[y * rowBytes + bit / 8] |= std::uint8_t(v << (8 - c.bits - bit % 8));
                    }
                tiles.push_back(tile);
            }
        TiffBytes t = page(c.width, c.height, c.bits, 1, PHOTOMETRIC_MINISBLACK);
        t.tag(TIFFTAG_TILEWIDTH, {c.tileWidth}).tag(TIFFTAG_TILELENGTH, {c.tileHeight}).chunks(tiles, true);
        KitImage image(loadPage(write("tiles.tif", t.bytes())));
        ASSERT_NE(image.get(), 0u) << "status " << IkGetErrorStatus();
        const Rgba seen = pixels(image.get());
        ASSERT_EQ(seen.width, std::int32_t(c.width));
        ASSERT_EQ(seen.height, std::int32_t(c.height));
        std::size_t wrong = 0;
        for (std::uint32_t y = 0; y < c.height; ++y)
            for (std::uint32_t x = 0; x < c.width; ++x)
                wrong += seen.bytes[(std::size_t(y) * c.width + x) * 4] != value(x, y) * 255 / levels;
        EXPECT_EQ(wrong, 0u);
    }
}

// Pages whose declared size their data cannot fill are refused before anything of that
// size is allocated; the check counts the page's strips, not the file around them.
TEST_F(HostileTiff, DeclaredSizesBeyondWhatTheDataCanFillAreRefused) {
    struct Case {
        const char* name;
        std::uint32_t width, height, bits, compression, stripBytes, declaredBytes, padding;
    };
    const Case cases[] = {
        {"16-bit grey 30000 square from a 16-byte strip", 30000, 30000, 16, COMPRESSION_NONE, 16, 16, 0},
        {"the same, Deflate", 30000, 30000, 16, COMPRESSION_ADOBE_DEFLATE, 16, 16, 0},
        {"the same, LZW in a file padded by a large tag", 30000, 30000, 16, COMPRESSION_LZW, 16, 16, 200000},
        {"8-bit 20000 square, PackBits", 20000, 20000, 8, COMPRESSION_PACKBITS, 4096, 4096, 0},
        {"strip byte count far beyond the file", 30000, 30000, 8, COMPRESSION_DEFLATE, 64, 0xFFFFFFF0u, 0},
        {"Group 4 with more rows than bits", 2000, 100000, 1, COMPRESSION_CCITTFAX4, 16, 16, 0},
        {"Group 3 with more rows than bits", 2000, 100000, 1, COMPRESSION_CCITTFAX3, 16, 16, 0},
    };
    for (const Case& c : cases) {
        TiffBytes t = page(c.width, c.height, c.bits, 1, PHOTOMETRIC_MINISBLACK, c.compression);
        if (c.padding) t.tag(TIFFTAG_IMAGEDESCRIPTION, std::vector<std::uint32_t>(c.padding / 4, 0x41414141));
        t.chunks({std::vector<std::uint8_t>(c.stripBytes, 0)}, false, {c.declaredBytes});
        expectRefused(write("bomb.tif", t.bytes()), c.name);
    }
}

TEST_F(HostileTiff, TurnedPagesMustFitTheBudgetTurned) {
    // 300,000,000 × 1 pixels of one bit are 37.5 MB; turned, 300,000,000 rows padded to
    // 4 bytes would be 1.2 GB.
    for (std::uint32_t orientation = ORIENTATION_LEFTTOP; orientation <= ORIENTATION_LEFTBOT; ++orientation) {
        TiffBytes t = page(300000000, 1, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4);
        t.tag(TIFFTAG_ORIENTATION, {orientation}, TIFF_SHORT).chunks({{0x80, 0x00, 0x10, 0x01}});
        expectRefused(write("turned.tif", t.bytes()), "orientation " + std::to_string(orientation));
    }
}

// The tags of a 1-bit min-is-white Group 4 page in one strip.
void setGroup4Page(TIFF* tif, std::uint32_t width, std::uint32_t height) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
}

TEST_F(HostileTiff, TallBlankGroup4PageOfFewBytesLoads) {
    // 72 MB of bitmap from about 8 KB: more than the size always allowed, but one bit a row.
    const std::uint32_t width = 9600, height = 60000;
    const std::string file = writeWithLibtiff(
        "blank.tif",
        [&](TIFF* tif) { setGroup4Page(tif, width, height); },
        [&](TIFF* tif) {
            std::vector<std::uint8_t> row(width / 8);
            row[0] = 0x80;  // one black pixel on the first and the last row
            if (TIFFWriteScanline(tif, row.data(), 0, 0) < 0) return false;
            row[0] = 0;
            for (std::uint32_t y = 1; y + 1 < height; ++y)
                if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) return false;
            row[width / 8 - 1] = 0x01;
            return TIFFWriteScanline(tif, row.data(), height - 1, 0) >= 0;
        });
    ASSERT_LT(fileBytes(file).size(), 16000u);
    KitImage image(loadPage(file));
    ASSERT_NE(image.get(), 0u) << "status " << IkGetErrorStatus();
    // Min-is-white: a set bit is black, at the first pixel and the last.
    const auto black = [&](std::uint32_t x, std::uint32_t y) {
        return std::uint32_t((x == 0 && y == 0) || (x == width - 1 && y == height - 1));
    };
    EXPECT_EQ(countWrong(image.get(), std::int32_t(width), std::int32_t(height), black), 0u);
}

// A blank 64504 × 8196 Group 4 page of 1.3 KB whose orientation turns it: only set pixels
// are written into the turned page, so it loads as a blank 8196 × 64504 page at once.
TEST_F(HostileTiff, TurnedBlankGroup4PageLoadsTurned) {
    KitImage image(loadPage(VZ_SOURCE_DIR "/tests/file/data/turned-blank-g4.tif"));
    ASSERT_NE(image.get(), 0u) << "status " << IkGetErrorStatus();
    EXPECT_EQ(countWrong(image.get(), 8196, 64504, [](std::uint32_t, std::uint32_t) { return 0u; }), 0u);
}

TEST_F(HostileTiff, CutGroup4FilesFailWithTheReadStatus) {
    const std::uint32_t width = 64, height = 40;
    // One directory and its data, as a writer that puts the directory last leaves them.
    const std::string whole = writeWithLibtiff(
        "g4.tif",
        [&](TIFF* tif) { setGroup4Page(tif, width, height); },
        [&](TIFF* tif) {
            std::vector<std::uint8_t> row(width / 8);
            for (std::uint32_t y = 0; y < height; ++y) {
                for (std::uint32_t i = 0; i < row.size(); ++i) row[i] = std::uint8_t(y * 37 + i * 11);
                if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) return false;
            }
            return true;
        });
    const std::vector<std::uint8_t> bytes = fileBytes(whole);
    // The link to the next directory is the last 4 bytes: without it, libtiff counts no
    // page at all, but the one page it has read is whole.
    const std::string noLink = write("nolink.tif", std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 2));
    KitImage page0(loadPage(noLink));
    ASSERT_NE(page0.get(), 0u) << "status " << IkGetErrorStatus();
    EXPECT_EQ(difference(pixels(page0.get()), reference(whole)), 0);
    EXPECT_EQ(loadPage(noLink, 1), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
    IKFILEINFO facts{};
    ASSERT_TRUE(IkFileType(noLink.c_str(), 0, &facts));
    EXPECT_EQ(facts.pageCount, 1);
    // Beyond the last page of an intact file is a wrong argument.
    EXPECT_EQ(loadPage(whole, 1), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);

    // A directory first and its coded data cut short: the page fails, it is not filled up.
    std::vector<std::uint8_t> coded;
    {
        const std::unique_ptr<TIFF, void (*)(TIFF*)> reader(TIFFOpen(whole.c_str(), "r"), TIFFClose);
        ASSERT_NE(reader.get(), nullptr);
        coded.resize(std::size_t(TIFFRawStripSize(reader.get(), 0)));
        ASSERT_GT(TIFFReadRawStrip(reader.get(), 0, coded.data(), tmsize_t(coded.size())), 0);
    }
    TiffBytes t = page(width, height, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4);
    const std::vector<std::uint8_t> directoryFirst = t.chunks({coded}).bytes();
    for (const std::size_t keep : {directoryFirst.size() - coded.size() / 2, directoryFirst.size() - 1}) {
        const std::string cut = write("cut.tif", std::vector<std::uint8_t>(directoryFirst.begin(),
                                                                           directoryFirst.begin() + std::ptrdiff_t(keep)));
        expectRefused(cut, "cut to " + std::to_string(keep) + " bytes");
    }
}

}  // namespace
