// TIFF pages written by IKTiffFileSave: read back by us, by libtiff's own tools and by
// ImageMagick; appended pages; refused, failed and stopped writes that leave an existing
// file as it was.
#include "FileFixture.h"

#include <sys/stat.h>

using namespace Ikdllprocs;

namespace {

class TiffWrite : public FileKit {
protected:
    // A picture of the given depth made by ImageMagick and loaded by the kit.
    IKHANDLE picture(int bits) {
        const std::string file = path("picture" + std::to_string(bits) + ".tif");
        std::string options = "-depth 8";
        if (bits == 1) options = "-type Bilevel -depth 1";
        if (bits == 4) options = "-colors 16 -type Palette";
        if (bits == 8) options = "-colors 200 -type Palette";
        if (bits == 32) options = "-depth 8 -alpha set -channel A -fx 'i/w' +channel";
        EXPECT_EQ(shell("convert -seed 3 -size 45x29 plasma: " + options + " -units PixelsPerInch -density 150 '" + file + "'"), 0);
        return loadPage(file);
    }
    bool save(const std::string& file, IKHANDLE image, int compression, int colourSpaceOrQuality = 0,
              bool append = false, const char* comment = "", bool oneStrip = false, IKPROGRESSPROC progress = nullptr) {
        return IkTiffFileSave(file.c_str(), image, compression, colourSpaceOrQuality, append ? IK_TRUE : IK_FALSE,
                              comment, oneStrip ? IK_TRUE : IK_FALSE, progress, "", "", "") != 0;
    }
};

const char* const kCompressionNames[] = {"None",          "CCITT RLE", "CCITT Group 3", "CCITT Group 3",
                                         "CCITT Group 4", "PackBits",  "LZW",           "JPEG"};

TEST_F(TiffWrite, RoundTripsByDepthAndCompression) {
    const int depths[] = {1, 4, 8, 24, 32};
    for (int bits : depths) {
        KitImage image(picture(bits));
        ASSERT_NE(image.get(), 0u) << bits;
        const Rgba original = pixels(image.get());
        for (int compression = 0; compression <= 7; ++compression) {
            SCOPED_TRACE(std::to_string(bits) + " bits, compression " + std::to_string(compression));
            const bool allowed = compression >= 1 && compression <= 4 ? bits == 1
                                 : compression == 7                   ? bits >= 24
                                                                      : true;
            const std::string file = path("out.tif");
            std::remove(file.c_str());
            ASSERT_EQ(save(file, image.get(), compression, compression == 7 ? 95 : 0), allowed);
            if (!allowed) {
                EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FORMAT);
                EXPECT_NE(shell("test -e '" + file + "'"), 0) << "a refused page created the file";
                continue;
            }
            // JPEG keeps no alpha, and subsampled chroma moves single pixels of this busy picture far.
            const int tolerance = compression == 7 ? 48 : 0;
            const bool alpha = bits == 32 && compression != 7;
            KitImage back(loadPage(file));
            ASSERT_NE(back.get(), 0u);
            EXPECT_LE(difference(pixels(back.get()), original, alpha), tolerance);
            EXPECT_LE(difference(reference(file), original, alpha), tolerance) << "ImageMagick reads it otherwise";
            const std::string info = tiffinfo(file);
            EXPECT_NE(info.find(std::string("Compression Scheme: ") + kCompressionNames[compression]), std::string::npos)
                << info;
            EXPECT_NE(info.find("Resolution: 150, 150 pixels/inch"), std::string::npos) << info;
            EXPECT_EQ(info.find("rror"), std::string::npos) << info;
            const char* photometric = bits == 1 ? "min-is-white" : bits <= 8 ? "palette" : "";
            EXPECT_NE(info.find(photometric), std::string::npos) << info;
            std::int32_t xdpi = 0, ydpi = 0;
            EXPECT_TRUE(IkGetDpi(back.get(), &xdpi, &ydpi));
            EXPECT_EQ(xdpi, 150);
        }
    }
}

TEST_F(TiffWrite, CmykStripsAndCommentReachTheFile) {
    KitImage image(picture(24));
    const std::string file = path("cmyk.tif");
    ASSERT_TRUE(save(file, image.get(), 6, 1, false, "見出し", false));
    std::string info = tiffinfo(file);
    EXPECT_NE(info.find("separated"), std::string::npos) << info;
    EXPECT_NE(info.find("見出し"), std::string::npos) << info;
    EXPECT_NE(info.find("Rows/Strip: 29"), std::string::npos) << "45 × 4 bytes a row: 8 KB holds every row";
    KitImage back(loadPage(file));
    EXPECT_LE(difference(pixels(back.get()), pixels(image.get())), 2);
    IKFILEINFO facts{};
    ASSERT_TRUE(IkFileType(file.c_str(), 0, &facts));
    EXPECT_STREQ(facts.comment, "見出し");
    // A wide page gets strips of about 8 KB, or one strip when asked.
    KitImage wide(IkCreateImage(3000, 40, 24, 10, 20, 30, 0, 0, 0, 0));
    ASSERT_TRUE(save(file, wide.get(), 0));
    EXPECT_NE(tiffinfo(file).find("Rows/Strip: 1\n"), std::string::npos);
    ASSERT_TRUE(save(file, wide.get(), 0, 0, false, "", true));
    EXPECT_NE(tiffinfo(file).find("Rows/Strip: 40"), std::string::npos);
}

int countPages(const std::string& info) {
    int pages = 0;
    for (std::size_t at = 0; (at = info.find("TIFF Directory at offset", at)) != std::string::npos; ++at) ++pages;
    return pages;
}

TEST_F(TiffWrite, Group4AppendsAfterTheLastPageOrCreatesTheFile) {
    KitImage page(picture(1));
    const std::string existing = path("two.tif");
    ASSERT_EQ(shell("convert -size 20x10 xc:white -size 30x15 xc:black -type Bilevel -compress Group4 '" + existing + "'"), 0);
    ASSERT_TRUE(save(existing, page.get(), 4, 0, true));
    EXPECT_EQ(countPages(tiffinfo(existing)), 3);
    KitImage third(loadPage(existing, 2));
    EXPECT_EQ(difference(pixels(third.get()), pixels(page.get())), 0);
    EXPECT_EQ(difference(reference(existing, 2), pixels(page.get())), 0);
    const std::string missing = path("new.tif");
    ASSERT_TRUE(save(missing, page.get(), 4, 0, true));
    EXPECT_EQ(countPages(tiffinfo(missing)), 1);
    // Without append the file is written anew with the one page.
    ASSERT_TRUE(save(existing, page.get(), 4, 0, false));
    EXPECT_EQ(countPages(tiffinfo(existing)), 1);
}

std::int32_t stopAtOnce(std::int32_t) { return 0; }
std::int32_t stopHalfway(std::int32_t percent) { return percent < 50; }

TEST_F(TiffWrite, FailedRefusedAndStoppedWritesLeaveTheFileAsItWas) {
    KitImage colour(picture(24));
    KitImage bilevel(picture(1));
    const std::string file = path("archive.tif");
    ASSERT_EQ(shell("convert -size 64x64 xc:white -size 64x64 xc:gray -compress LZW '" + file + "'"), 0);
    const std::vector<std::uint8_t> before = fileBytes(file);
    struct Case {
        const char* name;
        IKHANDLE image;
        int compression;
        bool append;
        IKPROGRESSPROC progress;
        std::uint16_t status;
    };
    const Case cases[] = {
        {"Group 4 for colour, append", colour.get(), 4, true, nullptr, IK_ERR_FORMAT},
        {"Group 4 for colour, replace", colour.get(), 4, false, nullptr, IK_ERR_FORMAT},
        {"JPEG for 1 bit", bilevel.get(), 7, true, nullptr, IK_ERR_FORMAT},
        {"no image", 0, 6, true, nullptr, IK_ERR_HANDLE},
        {"stopped at once, append", colour.get(), 6, true, stopAtOnce, IK_ERR_CANCELLED},
        {"stopped halfway, append", colour.get(), 6, true, stopHalfway, IK_ERR_CANCELLED},
        {"stopped halfway, replace", colour.get(), 6, false, stopHalfway, IK_ERR_CANCELLED},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(save(file, c.image, c.compression, 0, c.append, "", false, c.progress)) << c.name;
        EXPECT_EQ(IkGetErrorStatus(), c.status) << c.name;
        EXPECT_EQ(fileBytes(file), before) << c.name;
    }
    // Not a TIFF: appending refuses to touch it.
    const std::string text = path("notes.tif");
    ASSERT_EQ(shell("echo 'not an image' > '" + text + "'"), 0);
    const std::vector<std::uint8_t> notes = fileBytes(text);
    EXPECT_FALSE(save(text, colour.get(), 6, 0, true));
    EXPECT_EQ(fileBytes(text), notes);
    // A folder that cannot be written: the existing file stays, no stray file appears.
    const std::string folder = path("locked");
    ASSERT_EQ(shell("mkdir '" + folder + "' && cp '" + file + "' '" + folder + "/a.tif' && chmod 555 '" + folder + "'"), 0);
    if (::geteuid() != 0) {  // root writes anywhere
        EXPECT_FALSE(save(folder + "/a.tif", colour.get(), 6, 0, false));
        EXPECT_FALSE(save(folder + "/b.tif", colour.get(), 6, 0, false));
        EXPECT_EQ(fileBytes(folder + "/a.tif"), before);
    }
    shell("chmod 755 '" + folder + "'");
    // The archive still opens cleanly with its two pages.
    EXPECT_EQ(countPages(tiffinfo(file)), 2);
}

TEST_F(TiffWrite, JpegQualityChangesTheFile) {
    KitImage image(picture(24));
    const std::string low = path("low.tif"), high = path("high.tif");
    ASSERT_TRUE(save(low, image.get(), 7, 10));
    ASSERT_TRUE(save(high, image.get(), 7, 100));
    EXPECT_LT(fileBytes(low).size(), fileBytes(high).size());
    // Out-of-range colour space values are refused for the other compressions.
    EXPECT_FALSE(save(low, image.get(), 6, 2));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
}

}  // namespace
