// FlashPix through the kit: the fixtures written by another implementation decode to the
// pixels of their reference pictures; files we write in each mode load again, keep their
// levels, resolution and comment, read as compound documents through libgsf and open in
// another reader.
#include "FileFixture.h"

#include "CompoundListing.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

using namespace Ikdllprocs;

namespace {

const std::string kData = VZ_SOURCE_DIR "/tests/file/data/flashpix/";

IKFILEINFO factsOf(const std::string& file, int page = 0) {
    IKFILEINFO info{};
    EXPECT_NE(IkFileType(file.c_str(), page, &info), 0) << file;
    return info;
}

// Mean channel difference of two pictures of the same size (R, G, B).
double meanDifference(const Rgba& a, const Rgba& b) {
    if (a.width != b.width || a.height != b.height || a.bytes.empty()) return 1e9;
    double sum = 0;
    for (std::size_t i = 0; i < a.bytes.size(); ++i)
        if (i % 4 != 3) sum += std::abs(int(a.bytes[i]) - int(b.bytes[i]));
    return sum / double(a.bytes.size() / 4 * 3);
}

}  // namespace

class FpxKit : public FileKit {
protected:
    // A 24-bit kit image of the colours rgb(x, y) (0xRRGGBB).
    static IKHANDLE colourImage(std::int32_t width, std::int32_t height,
                                const std::function<std::uint32_t(int, int)>& rgb, std::int32_t dpi = 0) {
        IKHANDLE image = IkCreateImage(width, height, 24, 255, 255, 255, 0, 0, 0, 0);
        {
            platform::GlobalLock lock(image);
            const auto& h = *lock.as<platform::BitmapInfoHeader>();
            std::uint8_t* bits = lock.as<std::uint8_t>() + platform::dibPixelOffset(h);
            const std::uint32_t stride = platform::dibStride(h.biWidth, h.biBitCount);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t c = rgb(x, y);
                    std::uint8_t* p = bits + std::size_t(h.biHeight > 0 ? height - 1 - y : y) * stride + 3 * x;
                    p[0] = std::uint8_t(c);
                    p[1] = std::uint8_t(c >> 8);
                    p[2] = std::uint8_t(c >> 16);
                }
        }
        if (dpi > 0) IkSetDpi(image, dpi, dpi);
        return image;
    }
};

// The uncompressed fixtures decode to exactly their stored tiles: each pixel is the
// sample of its tile (64 × 64, channels interleaved, tiles in rows) in the full level's
// data stream, read here through libgsf on its own. That writer puts 28 bytes before each
// tile, after the stream's 28-byte header.
TEST_F(FpxKit, UncompressedFixturesDecodeToTheirTiles) {
    const std::string store = "Data Object Store 000001/Resolution 0001/Subimage 0000 Data";
    for (const char* name : {"input_truecolor.fpx", "input_256.fpx", "input_grayscale.fpx", "input_bw.fpx"}) {
        SCOPED_TRACE(name);
        const std::string file = kData + name;
        const std::vector<unsigned char> data = compoundStream(file, store);
        KitImage loaded(IkFpxFileLoad(file.c_str(), 0, nullptr, "", "", ""));
        const Rgba got = pixels(loaded.get());
        ASSERT_EQ(got.width, 70);
        ASSERT_EQ(got.height, 46);
        const int channels = factsOf(file).valueK;
        const std::size_t tileBytes = 64 * 64 * std::size_t(channels);
        ASSERT_EQ(data.size(), 28 + 2 * (28 + tileBytes));
        int wrong = 0;
        for (int y = 0; y < got.height; ++y)
            for (int x = 0; x < got.width; ++x) {
                const std::size_t tile = 56 + std::size_t(x / 64) * (28 + tileBytes);
                const unsigned char* sample = &data[tile + (std::size_t(y) * 64 + x % 64) * channels];
                const std::uint8_t* p = &got.bytes[(std::size_t(y) * got.width + x) * 4];
                for (int c = 0; c < 3; ++c) wrong += p[c] != sample[channels == 1 ? 0 : c];
            }
        EXPECT_EQ(wrong, 0);
    }
}

// The fixtures against the other files of the same picture: the FlashPix ones were made
// from them through another program's colour handling and differ a little (the largest
// channel difference, measured once, is the bound); the JPEG fixture against the
// uncompressed one differs by JPEG's loss: a mean of 9.6 per channel, at most 91.
struct FixtureCase {
    const char* fpx;
    const char* reference;
    int bits;
    int most;
    double mean;
};

TEST_F(FpxKit, FixturesMatchTheirReferences) {
    const FixtureCase cases[] = {
        {"input_truecolor.fpx", "input_truecolor.tiff", 24, 14, 1.0},
        {"input_256.fpx", "input_256.tiff", 24, 39, 3.5},
        {"input_grayscale.fpx", "input_gray_8bit.tiff", 8, 24, 3.0},
        {"input_jpeg.fpx", "input_truecolor.fpx", 24, 91, 10.0},
    };
    for (const FixtureCase& c : cases) {
        SCOPED_TRACE(c.fpx);
        const std::string file = kData + c.fpx;
        KitImage loaded(IkFpxFileLoad(file.c_str(), 0, nullptr, "", "", ""));
        ASSERT_NE(loaded.get(), 0);
        KitImage reference(loadPage(kData + c.reference));
        const Rgba got = pixels(loaded.get()), want = pixels(reference.get());
        EXPECT_LE(difference(got, want), c.most);
        EXPECT_LE(meanDifference(got, want), c.mean);
        const IKFILEINFO info = factsOf(file);
        EXPECT_EQ(info.bitsPerPixel, c.bits);
        EXPECT_EQ(info.width, want.width);
        EXPECT_EQ(info.height, want.height);
        EXPECT_EQ(info.pageCount, 2);
    }
}

// The bi-level fixture is stored as 8-bit monochrome of black and white only; its second
// level is the picture halved.
TEST_F(FpxKit, BilevelFixtureIsBlackAndWhiteGrey) {
    const std::string file = kData + "input_bw.fpx";
    KitImage full(IkFileLoad(file.c_str(), 0, 0, 0, nullptr, "", "", ""));
    const Rgba got = pixels(full.get());
    ASSERT_EQ(got.width, 70);
    ASSERT_EQ(got.height, 46);
    std::size_t black = 0, white = 0;
    for (std::size_t i = 0; i < got.bytes.size(); i += 4) {
        black += got.bytes[i] == 0;
        white += got.bytes[i] == 255;
    }
    EXPECT_EQ(black + white, got.bytes.size() / 4);
    EXPECT_GT(black, 0u);
    EXPECT_GT(white, 0u);
    const IKFILEINFO info = factsOf(file, 1);
    EXPECT_EQ(info.width, 35);
    EXPECT_EQ(info.height, 23);
    EXPECT_EQ(info.fileType, IK_FILETYPE_FPX);
    EXPECT_EQ(factsOf(kData + "input_jpeg.fpx").fileType, IK_FILETYPE_FPX_JPEG);
    IKFILEINFO none{};
    EXPECT_EQ(IkFileType(file.c_str(), 2, &none), 0);
}

struct SaveCase {
    int mode;
    int fileType;
};

// A 300 × 200 picture (5 × 4 tiles, levels 150 × 100, 75 × 50, 38 × 25): flat areas, a gradient
// and an edge that crosses tiles, saved in each mode, loads again at every level.
TEST_F(FpxKit, SavedFilesLoadAgainWithLevelsAndComment) {
    const auto picture = [](int x, int y) -> std::uint32_t {
        if (x < 128 && y < 64) return 0x3366CC;  // two whole tiles of one colour
        return std::uint32_t((x * 255 / 299) << 16 | (y * 255 / 199) << 8 | ((x + y) % 7 * 30));
    };
    KitImage image(colourImage(300, 200, picture, 150));
    const Rgba want = pixels(image.get());
    // JPEG tiles lose about what one JPEG file of the same quality and subsampling loses.
    const std::string plain = path("plain.jpg");
    ASSERT_NE(IkJpegFileSave(plain.c_str(), image.get(), 0, 90, 0, "", nullptr, "", "", ""), 0);
    KitImage plainLoaded(loadPage(plain));
    const double jpegLoss = meanDifference(pixels(plainLoaded.get()), want);
    const SaveCase cases[] = {{0, IK_FILETYPE_FPX}, {1, IK_FILETYPE_FPX_SINGLE_COLOUR}, {2, IK_FILETYPE_FPX_JPEG}};
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::string file = path("saved" + std::to_string(c.mode) + ".fpx");
        ASSERT_NE(IkFpxFileSave(file.c_str(), image.get(), c.mode, 90, "ページの説明", nullptr, "", "", ""), 0);
        KitImage loaded(loadPage(file));
        if (c.mode == 2) {
            EXPECT_LE(meanDifference(pixels(loaded.get()), want), jpegLoss + 1.0);
        } else {
            EXPECT_EQ(difference(pixels(loaded.get()), want), 0);
        }
        const IKFILEINFO info = factsOf(file);
        EXPECT_EQ(info.bitsPerPixel, 24);
        EXPECT_EQ(info.fileType, c.fileType);
        EXPECT_EQ(info.pageCount, 4);
        EXPECT_EQ(info.valueG, 150);
        EXPECT_STREQ(info.comment, "ページの説明");
        const IKFILEINFO smallest = factsOf(file, 2);
        EXPECT_EQ(smallest.width, 75);
        EXPECT_EQ(smallest.height, 50);
        KitImage level(IkFpxFileLoad(file.c_str(), 2, nullptr, "", "", ""));
        EXPECT_EQ(pixels(level.get()).width, 75);
        // A thumbnail's load takes the smallest level of at least its size, at its resolution.
        KitImage reduced(IkFileLoadReduced(file.c_str(), 0, 100, 60, nullptr));
        const Rgba half = pixels(reduced.get());
        EXPECT_EQ(half.width, 150);
        EXPECT_EQ(half.height, 100);
        std::int32_t xdpi = 0, ydpi = 0;
        IkGetDpi(reduced.get(), &xdpi, &ydpi);
        EXPECT_EQ(xdpi, 75);
        // The structure as libgsf lists it: an image view at the root, its property sets, and
        // the source image with a storage per level.
        const std::vector<std::string> paths = compoundPaths(file);
        for (const char* name : {"\005SummaryInformation", "\001CompObj", "\005Global Info", "\005Data Object 000001",
                                 "Data Object Store 000001/\005Image Contents", "Data Object Store 000001/\001CompObj",
                                 "Data Object Store 000001/Resolution 0000/Subimage 0000 Header",
                                 "Data Object Store 000001/Resolution 0003/Subimage 0000 Data"})
            EXPECT_NE(std::find(paths.begin(), paths.end(), name), paths.end()) << name;
    }
    // Single-colour tiles take no data: that file is smaller than the uncompressed one.
    EXPECT_LT(fileBytes(path("saved1.fpx")).size(), fileBytes(path("saved0.fpx")).size());
}

// JPEG tiles are coded in runs of many tiles: on a picture of 18 × 10 tiles (more than one
// run) with a different colour in each tile, every tile of the full level and of the next
// decodes close to its own pixels, so none is shifted, swapped or cut at the wrong place.
TEST_F(FpxKit, JpegTilesEachHoldTheirOwnPixels) {
    const auto picture = [](int x, int y) {
        const int tile = x / 64 + 18 * (y / 64);
        return std::uint32_t((tile * 37 % 256) << 16 | (tile * 11 % 256) << 8 | ((x + y) % 64 * 2 + tile % 3 * 40));
    };
    KitImage image(colourImage(1100, 600, picture));
    const std::string file = path("tiles.fpx");
    ASSERT_NE(IkFpxFileSave(file.c_str(), image.get(), 2, 0, "", nullptr, "", "", ""), 0);
    for (const int level : {0, 1}) {
        SCOPED_TRACE(level);
        KitImage loaded(IkFpxFileLoad(file.c_str(), level, nullptr, "", "", ""));
        const Rgba got = pixels(loaded.get());
        ASSERT_EQ(got.width, level == 0 ? 1100 : 550);
        double worst = 0;
        for (int ty = 0; ty * 64 < got.height; ++ty)
            for (int tx = 0; tx * 64 < got.width; ++tx) {
                const int scale = level == 0 ? 1 : 2;
                double sum = 0;
                int count = 0;
                for (int y = ty * 64; y < std::min(got.height, ty * 64 + 64); ++y)
                    for (int x = tx * 64; x < std::min(got.width, tx * 64 + 64); ++x, ++count) {
                        const std::uint32_t c = picture(x * scale, y * scale);
                        const std::uint8_t* p = &got.bytes[(std::size_t(y) * got.width + x) * 4];
                        sum += std::abs(p[0] - int(c >> 16 & 0xFF)) + std::abs(p[1] - int(c >> 8 & 0xFF)) +
                               std::abs(p[2] - int(c & 0xFF));
                    }
                worst = std::max(worst, sum / (3.0 * count));
            }
        EXPECT_LT(worst, level == 0 ? 4.0 : 8.0);
    }
}

// Another FlashPix reader (Pillow, installed on every build machine) opens what we write in
// every mode. The picture's sides are whole tiles: that reader misplaces the pixels of
// partial edge tiles, in the fixtures too. It decodes uncompressed tiles to our pixels and
// JPEG tiles to what our own decoder makes of them (within a rounding step of the two
// libjpeg builds); single-colour tiles it lists with their colour but cannot decode.
TEST_F(FpxKit, PillowReadsOurFiles) {
    KitImage image(colourImage(192, 128, [](int x, int y) -> std::uint32_t {
        if (x < 64) return 0x208040;  // a column of single-colour tiles
        return std::uint32_t(x << 16 | y * 2 << 8 | (x ^ y));
    }));
    const std::string script = path("read.py");
    {
        std::FILE* out = std::fopen(script.c_str(), "w");
        ASSERT_NE(out, nullptr);
        std::fputs("import sys\n"
                   "from PIL import Image\n"
                   "im = Image.open(sys.argv[1])\n"
                   "print(im.size[0], im.size[1], im.mode)\n"
                   "print(' '.join(t[0] if t[0] != 'fill' else 'fill:' + t[3][1][:3].hex() for t in im.tile))\n"
                   "if all(t[0] != 'fill' for t in im.tile):\n"
                   "    open(sys.argv[2], 'wb').write(im.convert('RGB').tobytes())\n",
                   out);
        std::fclose(out);
    }
    struct PillowCase {
        int mode;
        const char* tiles;
        int most;  // largest channel difference from our own decode
    };
    const PillowCase cases[] = {{0, "raw raw raw raw raw raw", 0},
                                {1, "fill:208040 raw raw fill:208040 raw raw", -1},
                                {2, "jpeg jpeg jpeg jpeg jpeg jpeg", 1}};
    for (const PillowCase& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::string file = path("pillow" + std::to_string(c.mode) + ".fpx"), raw = file + ".rgb",
                          facts = file + ".txt";
        ASSERT_NE(IkFpxFileSave(file.c_str(), image.get(), c.mode, 0, "", nullptr, "", "", ""), 0);
        ASSERT_EQ(shell("/usr/bin/python3 '" + script + "' '" + file + "' '" + raw + "' > '" + facts + "'"), 0);
        const std::vector<std::uint8_t> printed = fileBytes(facts);
        EXPECT_EQ(std::string(printed.begin(), printed.end()), std::string("192 128 RGB\n") + c.tiles + "\n");
        if (c.most < 0) continue;
        KitImage ours(IkFpxFileLoad(file.c_str(), 0, nullptr, "", "", ""));
        const Rgba want = pixels(ours.get());
        if (c.mode == 0) {
            EXPECT_EQ(difference(want, pixels(image.get())), 0);
        }
        const std::vector<std::uint8_t> rgb = fileBytes(raw);
        ASSERT_EQ(rgb.size(), std::size_t{192} * 128 * 3);
        int most = 0;
        for (std::size_t p = 0; p < rgb.size() / 3; ++p)
            for (std::size_t k = 0; k < 3; ++k) most = std::max(most, std::abs(rgb[3 * p + k] - want.bytes[4 * p + k]));
        EXPECT_LE(most, c.most);
    }
}

// Grey palette images are written monochrome and load as 8-bit grey; the gsf tool, when
// present, lists the file.
TEST_F(FpxKit, GreyImagesStayGrey) {
    KitImage grey(IkCreateImage(130, 70, 8, 90, 90, 90, 0, 0, 0, 0));
    const std::string file = path("grey.fpx");
    ASSERT_NE(IkFpxFileSave(file.c_str(), grey.get(), 0, 0, "", nullptr, "", "", ""), 0);
    const IKFILEINFO info = factsOf(file);
    EXPECT_EQ(info.bitsPerPixel, 8);
    EXPECT_EQ(info.valueK, 1);
    KitImage loaded(loadPage(file));
    EXPECT_EQ(difference(pixels(loaded.get()), pixels(grey.get())), 0);
    if (shell("command -v gsf >/dev/null") == 0) {
        EXPECT_EQ(shell("gsf list '" + file + "' | grep -q 'Resolution 0001/Subimage 0000 Data'"), 0);
    }
}

// A failed save leaves an existing file as it was; files of other formats are refused.
TEST_F(FpxKit, FailuresAreQuiet) {
    const std::string file = path("keep.fpx");
    KitImage image(IkCreateImage(10, 10, 24, 1, 2, 3, 0, 0, 0, 0));
    ASSERT_NE(IkFpxFileSave(file.c_str(), image.get(), 0, 0, "", nullptr, "", "", ""), 0);
    const auto before = fileBytes(file);
    EXPECT_EQ(IkFpxFileSave(file.c_str(), image.get(), 3, 0, "", nullptr, "", "", ""), 0);
    EXPECT_EQ(IkFpxFileSave(file.c_str(), 0, 0, 0, "", nullptr, "", "", ""), 0);
    EXPECT_EQ(fileBytes(file), before);
    const std::string other = kData + "input_256.png";
    EXPECT_EQ(IkFpxFileLoad(other.c_str(), 0, nullptr, "", "", ""), 0);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
}

// The memory forms make and read the same file as the file forms.
TEST_F(FpxKit, MemoryFormsRoundTrip) {
    KitImage image(colourImage(100, 80, [](int x, int y) { return std::uint32_t(x * 2 << 16 | y * 3 << 8 | 77); }));
    KitImage file(IkFpxFileSaveMem(image.get(), 1, 0, "memo", nullptr, "", "", ""));
    ASSERT_NE(file.get(), 0);
    platform::GlobalLock bytes(file.get());
    KitImage loaded(IkFpxFileLoadMem(bytes.data(), std::int32_t(bytes.size()), 0, nullptr, "", "", ""));
    EXPECT_EQ(difference(pixels(loaded.get()), pixels(image.get())), 0);
    KitImage half(IkFpxFileLoadMem(bytes.data(), std::int32_t(bytes.size()), 1, nullptr, "", "", ""));
    EXPECT_EQ(pixels(half.get()).width, 50);
    EXPECT_EQ(IkFpxFileLoadMem(bytes.data(), 100, 0, nullptr, "", "", ""), 0);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
}
