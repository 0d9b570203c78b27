// Group 4 streams coded by the kit's own encoder: byte for byte what libtiff codes from the
// same rows, in one run of rows and joined from runs coded side by side; Group 4 pages saved
// by IKTiffFileSave in one strip and in many, read back by libtiff, ImageMagick and the kit.
#include "FileFixture.h"
#include "Group4Encoder.h"

#include <tiffio.h>

#include <functional>

using namespace Ikdllprocs;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

// A 1-bit bitmap, 1 black; the bits past the width are set, which no coder may look at.
struct Bitmap {
    std::size_t width, height, stride;
    Bytes bytes;

    Bitmap(std::size_t w, std::size_t h, const std::function<bool(std::size_t, std::size_t)>& black)
        : width(w), height(h), stride((w + 7) / 8), bytes(stride * h) {
        for (std::size_t y = 0; y < h; ++y) {
            std::uint8_t* row = bytes.data() + y * stride;
            for (std::size_t x = 0; x < w; ++x)
                if (black(x, y)) row[x / 8] = std::uint8_t(row[x / 8] | (0x80 >> (x % 8)));
            if (w % 8) row[stride - 1] = std::uint8_t(row[stride - 1] | (0xff >> (w % 8)));
        }
    }
    kit::BilevelRows rows() const { return {bytes.data(), width, height, stride}; }
};

// A pixel of noise with `percent` black, the same for the same place.
bool noise(std::size_t x, std::size_t y, unsigned percent) {
    std::uint64_t z = (std::uint64_t(y) << 32 | x) + 0x9e3779b97f4a7c15u;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return (z ^ (z >> 31)) % 100 < percent;
}

// Writes rows as one min-is-white Group 4 strip: bytes already coded, or coded by libtiff.
bool writeStrip(const std::string& file, std::size_t width, std::size_t height, const std::uint8_t* bytes,
                std::size_t size, bool raw) {
    Tiff tif(TIFFOpen(file.c_str(), "w"));
    if (!tif) return false;
    TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, std::uint32_t(width));
    TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, std::uint32_t(height));
    TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, std::uint32_t(height));
    const auto written = raw ? TIFFWriteRawStrip(tif.get(), 0, const_cast<std::uint8_t*>(bytes), tmsize_t(size))
                             : TIFFWriteEncodedStrip(tif.get(), 0, const_cast<std::uint8_t*>(bytes), tmsize_t(size));
    return written >= 0 && TIFFWriteDirectory(tif.get());
}

Bytes rawStrip(const std::string& file, tstrip_t strip = 0) {
    Tiff tif(TIFFOpen(file.c_str(), "r"));
    if (!tif || strip >= TIFFNumberOfStrips(tif.get())) return {};
    Bytes bytes(static_cast<std::size_t>(TIFFRawStripSize(tif.get(), strip)));
    if (TIFFReadRawStrip(tif.get(), strip, bytes.data(), tmsize_t(bytes.size())) < 0) return {};
    return bytes;
}

class Group4Write : public FileKit {
protected:
    // The stream libtiff codes from the rows.
    Bytes libtiffStream(const std::uint8_t* rows, std::size_t width, std::size_t height) {
        const std::string file = path("libtiff-g4.tif");
        if (!writeStrip(file, width, height, rows, (width + 7) / 8 * height, false)) return {};
        return rawStrip(file);
    }
};

struct Pattern {
    const char* name;
    std::function<bool(std::size_t x, std::size_t y, std::size_t w, std::size_t h)> black;
};

TEST_F(Group4Write, StreamsAreTheBytesLibtiffCodes) {
    const Pattern patterns[] = {
        {"white", [](auto, auto, auto, auto) { return false; }},
        {"black", [](auto, auto, auto, auto) { return true; }},
        {"noise", [](auto x, auto y, auto, auto) { return noise(x, y, 50); }},
        // Long runs of both colours: make-up codes, horizontal mode.
        {"sparse noise", [](auto x, auto y, auto, auto) { return noise(x, y, 2); }},
        {"dense noise", [](auto x, auto y, auto, auto) { return noise(x, y, 97); }},
        {"checkerboard", [](auto x, auto y, auto, auto) { return (x + y) % 2 == 1; }},
        {"vertical stripes", [](auto x, auto, auto, auto) { return x / 3 % 2 == 1; }},
        // Edges that shift by other amounts from row to row: vertical, pass and horizontal modes.
        {"slants", [](auto x, auto y, auto, auto) { return (x + y * (y % 9)) / 5 % 3 == 0; }},
        {"one pixel at each edge",
         [](auto x, auto y, auto w, auto h) {
             return (x == 0 && y == h / 2) || (x == w - 1 && y == h / 3) || (y == 0 && x == w / 2) ||
                    (y == h - 1 && x == w / 3);
         }},
        {"corners", [](auto x, auto y, auto w, auto h) { return (x == 0 || x == w - 1) && (y == 0 || y == h - 1); }},
    };
    const std::size_t widths[] = {1, 7, 8, 9, 63, 64, 65, 4961, 7003};
    const std::size_t heights[] = {1, 2, 37};
    // One run of rows; runs of a single row and of a few, joined at whatever bit they end.
    const kit::Group4Settings settings[] = {{1, 64}, {3, 1}, {2, 5}};
    for (const Pattern& pattern : patterns)
        for (const std::size_t width : widths)
            for (const std::size_t height : heights) {
                const Bitmap bitmap(width, height,
                                    [&](std::size_t x, std::size_t y) { return pattern.black(x, y, width, height); });
                const Bytes theirs = libtiffStream(bitmap.bytes.data(), width, height);
                ASSERT_FALSE(theirs.empty());
                for (const kit::Group4Settings& setting : settings) {
                    SCOPED_TRACE(std::string(pattern.name) + ", " + std::to_string(width) + " x " +
                                 std::to_string(height) + ", " + std::to_string(setting.threads) + " threads");
                    Bytes ours;
                    ASSERT_TRUE(kit::group4Encode(bitmap.rows(), ours, setting));
                    EXPECT_TRUE(ours == theirs) << ours.size() << " bytes, libtiff " << theirs.size();
                }
            }
}

TEST_F(Group4Write, StripsSideBySideAreEachTheirOwnStream) {
    const Bitmap page(333, 101, [](std::size_t x, std::size_t y) { return (x * x + y * 7) % 23 < 9; });
    std::vector<kit::BilevelRows> strips;
    for (std::size_t y = 0, rows = 1; y < page.height; y += rows, rows += 2)
        strips.push_back(
            {page.bytes.data() + y * page.stride, page.width, std::min(rows, page.height - y), page.stride});
    std::vector<Bytes> ours;
    ASSERT_TRUE(kit::group4EncodeStrips(strips, ours, {3, 1}));
    ASSERT_EQ(ours.size(), strips.size());
    for (std::size_t i = 0; i < strips.size(); ++i)
        EXPECT_TRUE(ours[i] == libtiffStream(strips[i].data, strips[i].width, strips[i].height)) << "strip " << i;
}

TEST_F(Group4Write, RowsThatCannotBeCodedAreRefused) {
    const Bytes bytes(64, 0);
    const std::pair<const char*, kit::BilevelRows> cases[] = {
        {"no pixels", {nullptr, 8, 2, 1}},
        {"no width", {bytes.data(), 0, 2, 1}},
        {"no height", {bytes.data(), 8, 0, 1}},
        {"rows overlapping", {bytes.data(), 17, 2, 2}},
        {"too wide", {bytes.data(), std::size_t(1) << 33, 1, std::size_t(1) << 30}},
    };
    for (const auto& [name, rows] : cases) {
        Bytes out(3, 1);
        EXPECT_FALSE(kit::group4Encode(rows, out)) << name;
        EXPECT_TRUE(out.empty()) << name;
        std::vector<Bytes> strips;
        EXPECT_FALSE(kit::group4EncodeStrips({{bytes.data(), 8, 1, 1}, rows}, strips)) << name;
    }
}

struct PageCase {
    const char* name;
    std::string imageMagick;  // how ImageMagick makes the page
};

TEST_F(Group4Write, SavedPagesReadBackAndHoldLibtiffsStrips) {
    const PageCase pages[] = {
        {"text", "-size 600x200 xc:white -font DejaVu-Sans -pointsize 40 -annotate +10+80 'Quick brown fox'"},
        {"wide text", "-size 2483x310 xc:white -font DejaVu-Sans -pointsize 90 -annotate +30+140 "
                      "'Lorem ipsum dolor sit amet, consectetur' -annotate +30+270 'adipiscing elit, sed do'"},
        {"hexagons", "-size 800x600 pattern:hexagons"},
        {"one pixel", "-size 1x1 xc:black"},
        {"one row", "-size 301x1 pattern:gray50"},
        {"one column", "-size 1x301 pattern:gray50"},
    };
    for (const PageCase& page : pages)
        for (const char* polarity : {"min-is-white", "min-is-black"}) {
            // The two polarities load with the dark entry last and first: the saved rows are
            // the loaded bits as they are, and inverted.
            const std::string source = path("source.tif");
            const std::string bilevel = " -monochrome -depth 1 -define quantum:polarity=" + std::string(polarity);
            ASSERT_EQ(shell("convert " + page.imageMagick + bilevel + " -compress None '" + source + "'"), 0)
                << page.name;
            KitImage image(loadPage(source));
            ASSERT_NE(image.get(), 0u) << page.name;
            const Rgba original = pixels(image.get());
            for (const bool oneStrip : {true, false}) {
                SCOPED_TRACE(std::string(page.name) + ", " + polarity + (oneStrip ? ", one strip" : ", many strips"));
                const std::string file = path("g4.tif");
                ASSERT_TRUE(IkTiffFileSave(file.c_str(), image.get(), 4, 0, IK_FALSE, "", oneStrip ? IK_TRUE : IK_FALSE,
                                           nullptr, "", "", ""));
                KitImage back(loadPage(file));
                ASSERT_NE(back.get(), 0u);
                EXPECT_EQ(difference(pixels(back.get()), original), 0);
                EXPECT_EQ(difference(reference(file), original), 0) << "ImageMagick reads it otherwise";
                const std::string info = tiffinfo(file);
                EXPECT_NE(info.find("Compression Scheme: CCITT Group 4"), std::string::npos) << info;
                EXPECT_NE(info.find("min-is-white"), std::string::npos) << info;
                EXPECT_EQ(info.find("rror"), std::string::npos) << info;
                // Each strip as libtiff decodes it, coded by libtiff again: the same bytes.
                Tiff tif(TIFFOpen(file.c_str(), "r"));
                ASSERT_TRUE(tif);
                std::uint32_t width = 0, height = 0, rowsPerStrip = 0;
                TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
                TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
                TIFFGetField(tif.get(), TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
                const tstrip_t strips = TIFFNumberOfStrips(tif.get());
                if (oneStrip) {
                    EXPECT_EQ(strips, 1u);
                }
                for (tstrip_t s = 0; s < strips; ++s) {
                    const std::size_t rows = std::min<std::size_t>(rowsPerStrip, height - s * rowsPerStrip);
                    Bytes decoded((width + 7) / 8 * rows);
                    ASSERT_EQ(TIFFReadEncodedStrip(tif.get(), s, decoded.data(), tmsize_t(decoded.size())),
                              tmsize_t(decoded.size()));
                    EXPECT_TRUE(rawStrip(file, s) == libtiffStream(decoded.data(), width, rows)) << "strip " << s;
                }
            }
        }
}

}  // namespace
