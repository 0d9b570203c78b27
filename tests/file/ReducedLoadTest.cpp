// Pages decoded smaller than they are (IKFileLoadReduced): the picture, shrunk to a
// thumbnail by the kit, is the full page's thumbnail; it is never smaller than asked; its
// resolution follows its size.
#include "FileFixture.h"

#include <cmath>

using namespace Ikdllprocs;

namespace {

using ReducedLoad = FileKit;

IKHANDLE loadReduced(const std::string& file, int width, int height, int page = 0) {
    return IkFileLoadReduced(file.c_str(), page, width, height, nullptr);
}

IKIMAGEINFO infoOf(IKHANDLE image) {
    IKIMAGEINFO info{};
    EXPECT_TRUE(IkGetImageType(image, &info));
    return info;
}

// The kit's area-averaging resize to width × height.
KitImage resized(IKHANDLE image, int width, int height) {
    const IKHANDLE in[2] = {image, 0};
    IKHANDLE out[2] = {0, 0};
    EXPECT_TRUE(IkResizeEx(in, out, width, height, IK_FALSE, nullptr, nullptr, nullptr, nullptr));
    if (out[1]) IkFreeMemory(out[1]);
    return KitImage(out[0]);
}

// Mean channel difference of two pictures of one size.
double meanDifference(const Rgba& a, const Rgba& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.bytes.size(); i += 4)
        for (std::size_t c = 0; c < 3; ++c) sum += std::abs(int(a.bytes[i + c]) - int(b.bytes[i + c]));
    return a.bytes.empty() ? 0 : sum / double(a.bytes.size() / 4 * 3);
}

struct Fixture {
    const char* name;
    const char* file;
    const char* command;  // ImageMagick and libtiff commands making `file` from source.png
    int thumbWidth, thumbHeight;
    int smallestShrink;  // the reduced picture is at least this many times narrower
    int meanTolerance, maxTolerance;
};

// A 1696 × 1200 page: plasma for colour, a thresholded copy for the bilevel page.
const Fixture kFixtures[] = {
    {"JPEG", "a.jpg", "convert source.png -quality 92 a.jpg", 120, 85, 8, 2, 24},
    {"JPEG grey", "b.jpg", "convert source.png -colorspace Gray -quality 92 b.jpg", 120, 85, 8, 2, 24},
    {"JPEG in TIFF, RGB, strips of 64 rows", "c.tif",
     "convert source.png -quality 92 -compress JPEG -define tiff:rows-per-strip=64 c.tif", 120, 85, 8, 2, 24},
    {"JPEG in TIFF, YCbCr, one strip", "d.tif",
     "convert source.png -compress none e.tif && tiffcp -c jpeg:92 -r 1200 e.tif d.tif", 120, 85, 8, 2, 24},
    // The wavelet's low pass is not the area average: a little further off.
    {"JPEG 2000", "f.jp2", "convert source.png -quality 0 f.jp2", 120, 85, 8, 3, 24},
    // Bilevel pages are area-averaged to the asked size itself: the resize after it changes nothing.
    {"Group 4 TIFF", "g.tif", "convert source.png -threshold 50% -monochrome -compress Group4 g.tif", 120, 85, 14, 1, 1},
    {"uncompressed bilevel TIFF", "h.tif", "tiffcp -c none g.tif h.tif", 120, 85, 14, 1, 1},
    {"Group 3 TIFF at 90 × 64", "i.tif", "convert source.png -threshold 50% -monochrome -compress Fax i.tif", 90, 64,
     18, 1, 1},
};

TEST_F(ReducedLoad, ShrunkToTheThumbnailItMatchesTheFullPage) {
    ASSERT_EQ(shell("cd '" + path("") + "' && convert -seed 7 -size 1696x1200 plasma: -blur 0x1 -depth 8 -density 300 "
                                        "-units PixelsPerInch source.png"),
              0);
    for (const Fixture& f : kFixtures) {
        SCOPED_TRACE(f.name);
        ASSERT_EQ(shell("cd '" + path("") + "' && " + f.command), 0);
        const std::string file = path(f.file);
        KitImage full(loadPage(file));
        ASSERT_NE(full.get(), 0u) << "status " << IkGetErrorStatus();
        KitImage reduced(loadReduced(file, f.thumbWidth, f.thumbHeight));
        ASSERT_NE(reduced.get(), 0u) << "status " << IkGetErrorStatus();
        const IKIMAGEINFO whole = infoOf(full.get()), small = infoOf(reduced.get());
        EXPECT_GE(small.width, f.thumbWidth);
        EXPECT_GE(small.height, f.thumbHeight);
        EXPECT_LE(small.width * f.smallestShrink, whole.width + f.smallestShrink);
        // The resolution follows the size.
        const double shrink = double(whole.width) / small.width;
        if (whole.xdpi > 0) {
            EXPECT_NEAR(small.xdpi * shrink, whole.xdpi, whole.xdpi * 0.02 + shrink);
        }
        KitImage a = resized(full.get(), f.thumbWidth, f.thumbHeight);
        KitImage b = resized(reduced.get(), f.thumbWidth, f.thumbHeight);
        const Rgba fromFull = pixels(a.get()), fromReduced = pixels(b.get());
        EXPECT_LE(difference(fromFull, fromReduced), f.maxTolerance);
        EXPECT_LE(meanDifference(fromFull, fromReduced), f.meanTolerance);
    }
}

TEST_F(ReducedLoad, NeverSmallerThanAskedAndTheFullPageForNoOrLargeAsks) {
    ASSERT_EQ(shell("cd '" + path("") + "' && convert -size 1001x677 gradient: -quality 90 a.jpg && "
                                        "convert -size 1001x677 pattern:checkerboard -monochrome -compress Group4 b.tif && "
                                        "convert -size 1001x677 gradient: -quality 0 c.jp2"),
              0);
    struct Ask {
        int width, height;
    };
    // Odd sizes just above a halving, one side only, none, and beyond the page.
    const Ask asks[] = {{126, 85}, {125, 84}, {251, 1}, {1, 170}, {1, 1}, {0, 0}, {-5, 40}, {2000, 2000}, {1001, 677}};
    for (const char* name : {"a.jpg", "b.tif", "c.jp2"}) {
        const std::string file = path(name);
        for (const Ask& ask : asks) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(ask.width) + " × " + std::to_string(ask.height));
            KitImage image(loadReduced(file, ask.width, ask.height));
            ASSERT_NE(image.get(), 0u) << "status " << IkGetErrorStatus();
            const IKIMAGEINFO info = infoOf(image.get());
            if (ask.width <= 0 || ask.height <= 0 || ask.width >= 1001) {
                EXPECT_EQ(info.width, 1001);
                EXPECT_EQ(info.height, 677);
                continue;
            }
            EXPECT_GE(info.width, ask.width);
            EXPECT_GE(info.height, ask.height);
            // As small as the coding allows: halving once more would go below the ask.
            EXPECT_TRUE(info.width < 2 * ask.width + 2 || info.height < 2 * ask.height + 2 || info.width < 130)
                << info.width << " × " << info.height;
        }
    }
}

TEST_F(ReducedLoad, BadArgumentsAndOtherFormatsLoadAsTheNormalLoad) {
    ASSERT_EQ(shell("cd '" + path("") + "' && convert -size 300x200 gradient: a.png && "
                                        "convert -size 300x200 gradient: -compress LZW a.tif"),
              0);
    // Formats without a smaller decoding give the full page.
    for (const char* name : {"a.png", "a.tif"}) {
        KitImage image(loadReduced(path(name), 30, 20));
        ASSERT_NE(image.get(), 0u) << name;
        EXPECT_EQ(infoOf(image.get()).width, 300) << name;
    }
    EXPECT_EQ(IkFileLoadReduced(nullptr, 0, 10, 10, nullptr), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
    EXPECT_EQ(loadReduced(path("a.tif"), 10, 10, 3), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
    EXPECT_EQ(loadReduced(path("missing.jpg"), 10, 10), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_OPEN);
}

// JPEG-coded TIFF strips decoded one by one must be the part of the page they claim to be:
// a page that claims another width, or strips cut short, is refused as the normal load
// refuses it.
TEST_F(ReducedLoad, JpegStripsThatDoNotFitTheirPageAreRefused) {
    ASSERT_EQ(shell("cd '" + path("") + "' && convert -seed 2 -size 800x512 plasma: -depth 8 -quality 90 -compress JPEG "
                                        "-define tiff:rows-per-strip=64 a.tif && cp a.tif b.tif && tiffset -s 256 600 b.tif && "
                                        "cp a.tif c.tif && tiffset -s 257 900 c.tif"),
              0);
    KitImage whole(loadReduced(path("a.tif"), 100, 64));
    ASSERT_NE(whole.get(), 0u) << "status " << IkGetErrorStatus();
    EXPECT_EQ(infoOf(whole.get()).width, 100);
    for (const char* name : {"b.tif", "c.tif"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(loadReduced(path(name), 100, 64), 0u);
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
    }
}

}  // namespace
