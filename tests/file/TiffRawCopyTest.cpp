// Pages saved in the compression they were loaded with are copied, strips or tiles as
// stored; any change to the image, the request or the source file makes them encoded.
#include "FileFixture.h"

#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <tiffio.h>

#include <cstdio>

using namespace Ikdllprocs;

namespace {

// The compressed strips or tiles of one page, back to back, and their number.
struct PageData {
    std::vector<std::uint8_t> bytes;
    std::uint32_t chunks = 0;
    std::uint16_t compression = 0;
    bool operator==(const PageData&) const = default;
};

void quiet(const char*, const char*, va_list) {}

PageData pageData(const std::string& file, int page) {
    TIFFSetErrorHandler(quiet);
    TIFFSetWarningHandler(quiet);
    PageData data;
    TIFF* tif = TIFFOpen(file.c_str(), "r");
    if (!tif) return data;
    if (TIFFSetDirectory(tif, static_cast<tdir_t>(page))) {
        TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &data.compression);
        const bool tiled = TIFFIsTiled(tif);
        data.chunks = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
        for (std::uint32_t i = 0; i < data.chunks; ++i) {
            const auto size = static_cast<tmsize_t>(TIFFGetStrileByteCount(tif, i));
            std::vector<std::uint8_t> chunk(static_cast<std::size_t>(size));
            const tmsize_t read = tiled ? TIFFReadRawTile(tif, i, chunk.data(), size) : TIFFReadRawStrip(tif, i, chunk.data(), size);
            if (read == size) data.bytes.insert(data.bytes.end(), chunk.begin(), chunk.end());
        }
    }
    TIFFClose(tif);
    return data;
}

int pageCount(const std::string& file) {
    TIFF* tif = TIFFOpen(file.c_str(), "r");
    if (!tif) return 0;
    const int count = static_cast<int>(TIFFNumberOfDirectories(tif));
    TIFFClose(tif);
    return count;
}

// The save codes of the writer.
enum { kNone = 0, kGroup4 = 4, kPackBits = 5, kLzw = 6, kJpeg = 7 };

class TiffRawCopy : public FileKit {
protected:
    void SetUp() override {
        FileKit::SetUp();
        source = path("pages.tif");
        // Page 0 Group 4, 1 LZW with a predictor, 2 JPEG in YCbCr, 3 uncompressed, 4 LZW in tiles.
        const std::string g4 = path("g4.tif"), rgb = path("rgb.tif"), lzw = path("lzw.tif"), jpeg = path("jpeg.tif"),
                          tiled = path("tiled.tif");
        ASSERT_EQ(shell("convert -size 200x150 pattern:checkerboard -monochrome -units PixelsPerInch -density 300 "
                        "-compress Group4 '" + g4 + "'"), 0);
        ASSERT_EQ(shell("convert -seed 3 -size 64x48 plasma: -depth 8 -units PixelsPerInch -density 150 -compress None '" +
                        rgb + "'"), 0);
        ASSERT_EQ(shell("tiffcp -c lzw:2 '" + rgb + "' '" + lzw + "'"), 0);
        ASSERT_EQ(shell("tiffcp -c jpeg:90 -r 16 '" + rgb + "' '" + jpeg + "'"), 0);
        ASSERT_EQ(shell("tiffcp -t -w 16 -l 16 -c lzw '" + rgb + "' '" + tiled + "'"), 0);
        ASSERT_EQ(shell("tiffcp '" + g4 + "' '" + lzw + "' '" + jpeg + "' '" + rgb + "' '" + tiled + "' '" + source + "'"), 0);
        ASSERT_EQ(pageCount(source), 5);
    }

    static bool save(const std::string& file, IKHANDLE image, int compression, bool append = false, int quality = 0) {
        return IkTiffFileSave(file.c_str(), image, compression, quality, append ? IK_TRUE : IK_FALSE, "", IK_TRUE,
                              nullptr, "", "", "") != 0;
    }

    std::string source;
};

TEST_F(TiffRawCopy, UnchangedPagesAreCopiedAsStoredAndReadBackAlike) {
    const int codes[] = {kGroup4, kLzw, kJpeg, kNone, kLzw};
    for (int page = 0; page < 5; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        KitImage image(loadPage(source, page));
        ASSERT_NE(image.get(), 0u);
        const std::string out = path("copy" + std::to_string(page) + ".tif");
        ASSERT_TRUE(save(out, image.get(), codes[page], false, codes[page] == kJpeg ? 40 : 0));
        const PageData original = pageData(source, page);
        ASSERT_FALSE(original.bytes.empty());
        EXPECT_EQ(pageData(out, 0), original) << "the page was encoded again";
        KitImage back(loadPage(out));
        EXPECT_EQ(difference(pixels(back.get()), pixels(image.get())), 0);
        EXPECT_EQ(tiffinfo(out).find("rror"), std::string::npos) << tiffinfo(out);
    }
}

TEST_F(TiffRawCopy, ResolutionAndPhotometricOfTheSourceAreKept) {
    KitImage image(loadPage(source, 2));
    const std::string out = path("jpeg-copy.tif");
    ASSERT_TRUE(save(out, image.get(), kJpeg));
    const std::string info = tiffinfo(out);
    EXPECT_NE(info.find("YCbCr"), std::string::npos) << info;
    EXPECT_NE(info.find("Resolution: 150, 150 pixels/inch"), std::string::npos) << info;
    EXPECT_NE(info.find("JPEG Tables"), std::string::npos) << info;
    EXPECT_LE(difference(reference(out), reference(source, 2)), 0) << "ImageMagick reads the copy otherwise";
}

TEST_F(TiffRawCopy, APixelChangedAfterLoadingIsEncoded) {
    for (int page : {0, 1}) {
        SCOPED_TRACE("page " + std::to_string(page));
        KitImage image(loadPage(source, page));
        {
            platform::GlobalLock lock(image.get());
            ASSERT_TRUE(lock);
            auto* header = lock.as<platform::BitmapInfoHeader>();
            lock.as<std::uint8_t>()[platform::dibPixelOffset(*header)] ^= 0x80;
        }
        const Rgba changed = pixels(image.get());
        const std::string out = path("changed.tif");
        ASSERT_TRUE(save(out, image.get(), page == 0 ? kGroup4 : kLzw));
        EXPECT_NE(pageData(out, 0), pageData(source, page));
        KitImage back(loadPage(out));
        EXPECT_EQ(difference(pixels(back.get()), changed), 0) << "the saved page lost the change";
    }
}

TEST_F(TiffRawCopy, AChangedResolutionIsEncodedWithIt) {
    KitImage image(loadPage(source, 1));
    ASSERT_TRUE(IkSetDpi(image.get(), 72, 96));
    const std::string out = path("dpi.tif");
    ASSERT_TRUE(save(out, image.get(), kLzw));
    EXPECT_NE(pageData(out, 0), pageData(source, 1));
    KitImage back(loadPage(out));
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(IkGetDpi(back.get(), &x, &y));
    EXPECT_EQ(x, 72);
    EXPECT_EQ(y, 96);
}

TEST_F(TiffRawCopy, AnotherCompressionIsEncoded) {
    KitImage lzw(loadPage(source, 1));
    const std::string packed = path("packbits.tif");
    ASSERT_TRUE(save(packed, lzw.get(), kPackBits));
    EXPECT_EQ(pageData(packed, 0).compression, COMPRESSION_PACKBITS);
    KitImage back(loadPage(packed));
    EXPECT_EQ(difference(pixels(back.get()), pixels(lzw.get())), 0);

    KitImage jpeg(loadPage(source, 2));
    const std::string asLzw = path("jpeg-as-lzw.tif");
    ASSERT_TRUE(save(asLzw, jpeg.get(), kLzw));
    EXPECT_EQ(pageData(asLzw, 0).compression, COMPRESSION_LZW);
    KitImage jpegBack(loadPage(asLzw));
    EXPECT_EQ(difference(pixels(jpegBack.get()), pixels(jpeg.get())), 0);

    // CMYK asked of an RGB page: encoded as separated colour.
    const std::string cmyk = path("cmyk.tif");
    ASSERT_TRUE(IkTiffFileSave(cmyk.c_str(), lzw.get(), kLzw, 1, IK_FALSE, "", IK_TRUE, nullptr, "", "", ""));
    EXPECT_NE(tiffinfo(cmyk).find("separated"), std::string::npos);
}

TEST_F(TiffRawCopy, ASourceChangedOnDiskIsNotCopiedFrom) {
    // Same layout, other pixels: a copy from the changed file would show them.
    const std::string other = path("other.tif");
    ASSERT_EQ(shell("convert -seed 9 -size 64x48 plasma: -depth 8 -compress None '" + path("other-rgb.tif") +
                    "' && tiffcp -c lzw:2 '" + path("other-rgb.tif") + "' '" + other + "'"), 0);
    for (const char* how : {"replaced", "overwritten"}) {
        SCOPED_TRACE(how);
        const std::string file = path(std::string(how) + ".tif");
        ASSERT_EQ(shell("cp '" + path("lzw.tif") + "' '" + file + "'"), 0);
        KitImage image(loadPage(file));
        const Rgba loaded = pixels(image.get());
        const std::string command = std::string(how) == "replaced" ? "cp '" + other + "' '" + file + ".new' && mv '" + file + ".new' '" + file + "'"
                                                                    : "cat '" + other + "' > '" + file + "'";
        ASSERT_EQ(shell(command), 0);
        const std::string out = path(std::string(how) + "-out.tif");
        ASSERT_TRUE(save(out, image.get(), kLzw));
        EXPECT_NE(pageData(out, 0), pageData(file, 0));
        KitImage back(loadPage(out));
        EXPECT_EQ(difference(pixels(back.get()), loaded), 0);
    }
}

TEST_F(TiffRawCopy, AppendingACopiedPageKeepsTheEarlierPages) {
    const std::string target = path("two.tif");
    ASSERT_EQ(shell("tiffcp '" + path("lzw.tif") + "' '" + path("lzw.tif") + "' '" + target + "'"), 0);
    const Rgba first = reference(target, 0), second = reference(target, 1);
    KitImage jpeg(loadPage(source, 2));
    ASSERT_TRUE(save(target, jpeg.get(), kJpeg, true));
    ASSERT_EQ(pageCount(target), 3);
    EXPECT_EQ(difference(reference(target, 0), first), 0);
    EXPECT_EQ(difference(reference(target, 1), second), 0);
    EXPECT_EQ(pageData(target, 2), pageData(source, 2));
    KitImage back(loadPage(target, 2));
    EXPECT_EQ(difference(pixels(back.get()), pixels(jpeg.get())), 0);
}

TEST_F(TiffRawCopy, AFreedHandleLeavesNoCopyForItsSuccessor) {
    IKHANDLE first = loadPage(source, 1);
    ASSERT_NE(first, 0u);
    ASSERT_TRUE(IkFreeMemory(first));
    // A new picture with the same size may reuse the freed slot: it is encoded, never copied.
    const std::string other = path("other-rgb.tif");
    ASSERT_EQ(shell("convert -seed 9 -size 64x48 plasma: -depth 8 -compress None '" + other + "'"), 0);
    KitImage next(loadPage(other));
    const std::string out = path("next.tif");
    ASSERT_TRUE(save(out, next.get(), kLzw));
    EXPECT_NE(pageData(out, 0), pageData(source, 1));
    KitImage back(loadPage(out));
    EXPECT_EQ(difference(pixels(back.get()), pixels(next.get())), 0);
}

}  // namespace
