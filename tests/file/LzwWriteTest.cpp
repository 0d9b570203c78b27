// LZW strips encoded on several threads: streams decoded by libtiff and by ImageMagick to the
// very bytes they were made from, and no more than 1 % larger than libtiff's own encoding;
// LZW pages saved by IKTiffFileSave in one strip and in many, read back the same way.
#include "FileFixture.h"
#include "LzwParallel.h"

#include <tiffio.h>

#include <functional>
#include <random>

using namespace Ikdllprocs;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::size_t n, unsigned seed = 7) {
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

// A grey scan of a printed page: a slow gradient with sensor noise, and lines of dark
// letter strokes.
Bytes scanLike(std::size_t width, std::size_t height) {
    std::mt19937 random(11);
    Bytes bytes(width * height);
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = 0; x < width; ++x) {
            int v = 235 - static_cast<int>(30 * y / height) + static_cast<int>(random() % 5);
            const bool textLine = (y / 12) % 3 == 1;
            const bool stroke = ((x * 7 + y * 3) / 5) % 9 < 2 && (x / 40) % 6 != 5;
            if (textLine && stroke) v = 20 + static_cast<int>(random() % 30);
            bytes[y * width + x] = static_cast<std::uint8_t>(v);
        }
    return bytes;
}

// Random bytes, then one byte value for the rest: a chunk of the run never fills its table.
Bytes noiseThenRun(std::size_t n) {
    Bytes bytes = randomBytes(n);
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(n / 3), bytes.end(), 0xff);
    return bytes;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

// Writes width × height grey bytes as one strip: raw bytes already encoded, or encoded by libtiff.
bool writeGrey(const std::string& file, std::uint32_t width, std::uint32_t height, const std::uint8_t* bytes,
               std::size_t size, bool raw) {
    Tiff tif(TIFFOpen(file.c_str(), "w"));
    if (!tif) return false;
    TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, height);
    const auto written = raw ? TIFFWriteRawStrip(tif.get(), 0, const_cast<std::uint8_t*>(bytes), tmsize_t(size))
                             : TIFFWriteEncodedStrip(tif.get(), 0, const_cast<std::uint8_t*>(bytes), tmsize_t(size));
    return written >= 0 && TIFFWriteDirectory(tif.get());
}

Bytes rawStrip(const std::string& file, tstrip_t strip = 0) {
    Tiff tif(TIFFOpen(file.c_str(), "r"));
    if (!tif) return {};
    Bytes bytes(static_cast<std::size_t>(TIFFRawStripSize(tif.get(), strip)));
    if (TIFFReadRawStrip(tif.get(), strip, bytes.data(), tmsize_t(bytes.size())) < 0) return {};
    return bytes;
}

Bytes decodedStrip(const std::string& file) {
    Tiff tif(TIFFOpen(file.c_str(), "r"));
    if (!tif) return {};
    Bytes bytes(static_cast<std::size_t>(TIFFStripSize(tif.get())));
    if (TIFFReadEncodedStrip(tif.get(), 0, bytes.data(), tmsize_t(bytes.size())) != tmsize_t(bytes.size())) return {};
    return bytes;
}

// The sum of the sizes of a file's strips as stored.
std::uint64_t stripBytesOf(const std::string& file) {
    Tiff tif(TIFFOpen(file.c_str(), "r"));
    if (!tif) return 0;
    std::uint64_t total = 0;
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif.get()); ++s) total += TIFFGetStrileByteCount(tif.get(), s);
    return total;
}

class LzwWrite : public FileKit {};

struct StreamCase {
    const char* name;
    std::uint32_t width, height;
    std::function<Bytes(std::size_t)> bytes;
};

TEST_F(LzwWrite, StreamsDecodeToTheirBytesAndCostAboutWhatLibtiffWrites) {
    const StreamCase cases[] = {
        {"one byte", 1, 1, [](std::size_t n) { return randomBytes(n); }},
        {"one row", 5000, 1, [](std::size_t n) { return randomBytes(n); }},
        {"one column", 1, 3000, [](std::size_t n) { return randomBytes(n); }},
        {"random", 700, 600, [](std::size_t n) { return randomBytes(n); }},
        {"one value", 1500, 1400, [](std::size_t n) { return Bytes(n, 0x5a); }},
        {"noise then one value", 900, 700, noiseThenRun},
        {"scan", 1240, 900, [](std::size_t) { return scanLike(1240, 900); }},
    };
    // One stream; chunks on as many threads; more chunks than threads, whose bytes the chunk
    // before takes over when no thread has started them.
    const kit::LzwSettings settings[] = {
        {1, std::size_t(1) << 30, 0}, {4, 16 << 10, 0}, {3, 2 << 10, 0}, {1, 4 << 10, 6}, {2, 1 << 10, 9}};
    for (const StreamCase& c : cases) {
        const Bytes input = c.bytes(std::size_t(c.width) * c.height);
        const std::string theirs = path("libtiff.tif");
        ASSERT_TRUE(writeGrey(theirs, c.width, c.height, input.data(), input.size(), false));
        const Bytes libtiffStream = rawStrip(theirs);
        for (const kit::LzwSettings& setting : settings) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(setting.threads) + " threads, " +
                         std::to_string(setting.chunks) + " chunks of " + std::to_string(setting.minChunk));
            std::vector<kit::LzwStrip> strips;
            ASSERT_TRUE(kit::lzwEncodeStrips({std::span<const std::uint8_t>(input)}, strips, setting));
            ASSERT_EQ(strips.size(), 1u);
            const std::string ours = path("ours.tif");
            ASSERT_TRUE(writeGrey(ours, c.width, c.height, strips[0].bytes.get(), strips[0].size, true));
            EXPECT_TRUE(decodedStrip(ours) == input) << "libtiff decodes other bytes";
            const std::string grey = path("ours.gray");
            ASSERT_EQ(shell("convert '" + ours + "' -depth 8 gray:'" + grey + "'"), 0);
            EXPECT_TRUE(fileBytes(grey) == input) << "ImageMagick decodes other bytes";
            EXPECT_LE(strips[0].size, libtiffStream.size() + libtiffStream.size() / 100)
                << "libtiff: " << libtiffStream.size();
            if (setting.threads == 1 || input.size() < setting.minChunk * 2) {
                // One thread takes over every chunk: one stream again.
                const Bytes stream(strips[0].bytes.get(), strips[0].bytes.get() + strips[0].size);
                EXPECT_TRUE(stream == libtiffStream) << "a single stream differs from libtiff's";
            }
        }
    }
}

TEST_F(LzwWrite, StreamsEndingWhereTheCodesWidenDecode) {
    // Random bytes add one table entry each but for the pairs that come again, so these
    // lengths end the stream just before, at and after the entries 511, 1023, 2047 and the
    // full table (4094).
    const Bytes input = randomBytes(4100, 3);
    const std::pair<std::size_t, std::size_t> windows[] = {{250, 262}, {766, 778}, {1811, 1823}, {3947, 3959}};
    for (const auto& [from, to] : windows)
        for (std::size_t n = from; n <= to; ++n) {
            SCOPED_TRACE(n);
            std::vector<kit::LzwStrip> strips;
            ASSERT_TRUE(kit::lzwEncodeStrips({std::span<const std::uint8_t>(input.data(), n)}, strips, {1, 1 << 30, 0}));
            const std::string theirs = path("libtiff.tif"), ours = path("ours.tif");
            ASSERT_TRUE(writeGrey(theirs, std::uint32_t(n), 1, input.data(), n, false));
            ASSERT_TRUE(writeGrey(ours, std::uint32_t(n), 1, strips[0].bytes.get(), strips[0].size, true));
            EXPECT_TRUE(decodedStrip(ours) == Bytes(input.begin(), input.begin() + std::ptrdiff_t(n)));
            EXPECT_TRUE(Bytes(strips[0].bytes.get(), strips[0].bytes.get() + strips[0].size) == rawStrip(theirs));
        }
}

TEST_F(LzwWrite, ManyStripsSideBySideMatchOneByOne) {
    // Strips of every size from 1 byte, more of them than threads.
    const Bytes page = scanLike(300, 200);
    std::vector<std::span<const std::uint8_t>> inputs;
    for (std::size_t at = 0, size = 1; at < page.size(); at += size, size = size * 3 + 1)
        inputs.emplace_back(page.data() + at, std::min(size, page.size() - at));
    std::vector<kit::LzwStrip> together, alone;
    ASSERT_TRUE(kit::lzwEncodeStrips(inputs, together, {3, 1 << 10, 0}));
    ASSERT_EQ(together.size(), inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        ASSERT_TRUE(kit::lzwEncodeStrips({inputs[i]}, alone, {1, 1 << 30, 0}));
        EXPECT_TRUE(std::equal(together[i].bytes.get(), together[i].bytes.get() + together[i].size,
                               alone[0].bytes.get(), alone[0].bytes.get() + alone[0].size))
            << "strip " << i;
    }
}

struct PageCase {
    const char* name;
    std::string imageMagick;  // how ImageMagick makes the page
};

TEST_F(LzwWrite, SavedPagesReadBackInOneStripAndInMany) {
    const std::string scan = "gradient:white-gray70 -attenuate 0.4 +noise Uniform -fill black -pointsize 20 "
                             "-annotate +40+60 'Lorem ipsum dolor sit amet, consectetur' -annotate +40+120 "
                             "'adipiscing elit, sed do eiusmod tempor'";
    const PageCase pages[] = {
        {"1 bit", "-size 701x303 " + scan + " -type Bilevel"},
        {"4 bits", "-seed 2 -size 333x101 plasma: -colors 16 -type Palette"},
        {"8 bits", "-size 520x240 " + scan + " -colors 200 -type Palette"},
        {"RGB", "-seed 2 -size 619x413 plasma: -depth 8"},
        {"RGBA", "-seed 2 -size 97x61 plasma: -depth 8 -alpha set -channel A -fx 'i/w' +channel"},
        {"RGB one pixel", "-size 1x1 xc:orange -depth 8"},
        {"RGB one row", "-seed 2 -size 3001x1 plasma: -depth 8"},
        {"RGB one column", "-seed 2 -size 1x2999 plasma: -depth 8"},
        // Large enough to be cut into chunks on a machine with several cores.
        {"RGB large", "-seed 5 -size 800x480 plasma: -depth 8"},
        {"RGB white", "-size 800x480 xc:white -depth 8"},
    };
    for (const PageCase& page : pages) {
        const std::string source = path("source.tif");
        ASSERT_EQ(shell("convert " + page.imageMagick + " -compress None '" + source + "'"), 0) << page.name;
        KitImage image(loadPage(source));
        ASSERT_NE(image.get(), 0u) << page.name;
        const Rgba original = pixels(image.get());
        const bool alpha = std::string(page.name) == "RGBA";
        for (const bool oneStrip : {true, false}) {
            SCOPED_TRACE(std::string(page.name) + (oneStrip ? ", one strip" : ", many strips"));
            const std::string file = path("lzw.tif");
            ASSERT_TRUE(IkTiffFileSave(file.c_str(), image.get(), 6, 0, IK_FALSE, "", oneStrip ? IK_TRUE : IK_FALSE,
                                       nullptr, "", "", ""));
            KitImage back(loadPage(file));
            ASSERT_NE(back.get(), 0u);
            EXPECT_EQ(difference(pixels(back.get()), original, alpha), 0);
            EXPECT_EQ(difference(reference(file), original, alpha), 0) << "ImageMagick reads it otherwise";
            // libtiff decodes every strip and encodes the same samples again, strip for strip.
            const std::string again = path("again.tif");
            ASSERT_EQ(shell("tiffcp -c lzw '" + file + "' '" + again + "'"), 0);
            ASSERT_EQ(shell("tiffcmp '" + file + "' '" + again + "'"), 0) << "other samples after libtiff's copy";
            const std::uint64_t ours = stripBytesOf(file), theirs = stripBytesOf(again);
            EXPECT_LE(ours, theirs + theirs / 100) << "libtiff: " << theirs;
            const std::string info = tiffinfo(file);
            EXPECT_NE(info.find("Compression Scheme: LZW"), std::string::npos) << info;
            EXPECT_EQ(info.find("Predictor"), std::string::npos) << info;
            EXPECT_EQ(info.find("rror"), std::string::npos) << info;
        }
    }
}

}  // namespace
