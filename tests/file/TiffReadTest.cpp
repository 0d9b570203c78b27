// TIFF pages written by ImageMagick and the libtiff tools, loaded and compared pixel by
// pixel with ImageMagick's own reading of the same file.
#include "FileFixture.h"

#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

using namespace Ikdllprocs;

namespace {

class TiffRead : public FileKit {
protected:
    // A 61 × 37 colour picture in 8 bits per sample, the source of every fixture.
    std::string source() {
        const std::string file = path("source.tif");
        if (shell("test -f '" + file + "'") != 0) {
            EXPECT_EQ(shell("convert -seed 7 -size 61x37 plasma: -depth 8 '" + file + "'"), 0);
        }
        return file;
    }
};

struct Variant {
    const char* name;
    const char* make;  // %s: the source, %o: the output, %t: an intermediate file
    int bits;          // depth of the loaded bitmap
    int tolerance;     // lossy codings differ from ImageMagick's own decoding by this much
};

std::string expand(std::string text, const std::string& in, const std::string& out) {
    for (std::size_t at; (at = text.find("%s")) != std::string::npos;) text.replace(at, 2, "'" + in + "'");
    for (std::size_t at; (at = text.find("%o")) != std::string::npos;) text.replace(at, 2, "'" + out + "'");
    for (std::size_t at; (at = text.find("%t")) != std::string::npos;) text.replace(at, 2, "'" + out + ".step.tif'");
    return text;
}

const Variant kVariants[] = {
    {"bilevel min-is-white Group 4", "convert %s -type Bilevel -compress Group4 %o", 1, 0},
    {"bilevel min-is-black none", "convert %s -type Bilevel -depth 1 -define quantum:polarity=min-is-black %o", 1, 0},
    {"bilevel Group 3 1-D", "convert %s -type Bilevel -compress Group4 %t && tiffcp -c g3:1d %t %o", 1, 0},
    {"bilevel Group 3 2-D", "convert %s -type Bilevel -compress Group4 %t && tiffcp -c g3:2d:fill %t %o", 1, 0},
    {"bilevel fill order lsb2msb", "convert %s -type Bilevel -compress Group4 %t && tiffcp -f lsb2msb %t %o", 1, 0},
    {"bilevel tiled", "convert %s -type Bilevel -compress Group4 %t && tiffcp -t -w 16 -l 16 %t %o", 1, 0},
    {"grey 2 bits", "convert %s -colorspace Gray -depth 2 %o", 4, 0},
    {"grey 4 bits PackBits", "convert %s -colorspace Gray -depth 4 -compress RLE %o", 4, 0},
    {"grey 8 bits LZW", "convert %s -colorspace Gray -compress LZW %o", 8, 0},
    {"grey 16 bits Deflate", "convert %s -colorspace Gray -depth 16 -compress Zip %o", 8, 1},
    {"grey 8 bits JPEG", "convert %s -colorspace Gray -compress JPEG %o", 8, 1},
    {"palette 1 bit", "convert %s -colors 2 -type Palette %o", 1, 0},
    {"palette 2 bits", "convert %s -colors 4 -type Palette %o", 4, 0},
    {"palette 4 bits", "convert %s -colors 16 -type Palette %o", 4, 0},
    {"palette 8 bits tiled", "convert %s -colors 200 -type Palette %t && tiffcp -t -w 32 -l 16 %t %o", 8, 0},
    {"RGB 8 bits none", "convert %s -compress None %o", 24, 0},
    {"RGB 8 bits LZW predictor", "tiffcp -c lzw:2 %s %o", 24, 0},
    {"RGB 8 bits separate planes", "tiffcp -p separate %s %o", 24, 0},
    {"RGB 8 bits tiled Deflate", "tiffcp -t -w 16 -l 16 -c zip %s %o", 24, 0},
    {"RGB 16 bits", "convert %s -depth 16 %o", 24, 1},
    {"RGBA", "convert %s -alpha set -channel A -fx 'i/w' +channel %o", 32, 1},
    {"CMYK", "convert %s -colorspace CMYK %o", 24, 2},
    {"YCbCr JPEG", "tiffcp -c jpeg:90 %s %o", 24, 8},
    {"RGB JPEG", "tiffcp -c jpeg:r:90 %s %o", 24, 8},
    {"orientation bottom-left", "convert %s -orient BottomLeft %o", 24, 0},
    {"orientation right-top", "convert %s -orient RightTop %o", 24, 0},
    {"orientation left-top", "convert %s -orient LeftTop %o", 24, 0},
    {"orientation right-bottom", "convert %s -orient RightBottom %o", 24, 0},
    {"orientation left-bottom", "convert %s -orient LeftBottom %o", 24, 0},
    {"bilevel orientation left-bottom", "convert %s -type Bilevel -compress Group4 -orient LeftBottom %o", 1, 0},
    {"palette 4 bits orientation right-bottom", "convert %s -colors 16 -type Palette -orient RightBottom %o", 4, 0},
    {"big-endian", "tiffcp -B %s %o", 24, 0},
    {"BigTIFF", "tiffcp -8 %s %o", 24, 0},
};

TEST_F(TiffRead, EveryVariantLoadsAsImageMagickReadsIt) {
    const std::string in = source();
    int index = 0;
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string out = path("variant" + std::to_string(index++) + ".tif");
        ASSERT_EQ(shell(expand(v.make, in, out)), 0) << expand(v.make, in, out);
        KitImage image(loadPage(out));
        ASSERT_NE(image.get(), 0u) << "status " << IkGetErrorStatus();
        IKIMAGEINFO info{};
        ASSERT_TRUE(IkGetImageType(image.get(), &info));
        EXPECT_EQ(info.valueA, v.bits);
        const Rgba expected = reference(out);
        const int diff = difference(pixels(image.get()), expected, v.bits == 32);
        EXPECT_GE(diff, 0) << "size differs";
        EXPECT_LE(diff, v.tolerance);
        IKFILEINFO facts{};
        ASSERT_TRUE(IkFileType(out.c_str(), 0, &facts));
        EXPECT_EQ(facts.bitsPerPixel, v.bits);
        EXPECT_EQ(facts.width, expected.width);
        EXPECT_EQ(facts.height, expected.height);
        EXPECT_EQ(facts.pageCount, 1);
    }
}

TEST_F(TiffRead, FileTypeCodesFollowTheCompressionOfEachPage) {
    const std::string in = source();
    const std::string bilevel = path("bilevel.tif");
    ASSERT_EQ(shell("convert '" + in + "' -type Bilevel -compress Group4 '" + bilevel + "'"), 0);
    struct Case {
        const char* tiffcp;
        int fileType;
        bool oneBit;
    };
    const Case cases[] = {{"none", IK_FILETYPE_TIFF_NONE, false},  {"g3:1d", 10, true},
                          {"g3:2d", 11, true},                      {"g4", 12, true},
                          {"packbits", 13, false},                  {"lzw", 14, false},
                          {"jpeg", 29, false},                      {"zip", IK_FILETYPE_TIFF_DEFLATE, false}};
    // All variants as pages of one file: each page reports its own code.
    const std::string multi = path("multi.tif");
    for (const Case& c : cases) {
        const std::string page = path(std::string("page-") + c.tiffcp + ".tif");
        ASSERT_EQ(shell(std::string("tiffcp -c ") + c.tiffcp + " '" + (c.oneBit ? bilevel : in) + "' '" + page + "'"), 0);
        ASSERT_EQ(shell("tiffcp -a '" + page + "' '" + multi + "'"), 0);
    }
    for (int i = 0; i < int(std::size(cases)); ++i) {
        IKFILEINFO facts{};
        ASSERT_TRUE(IkFileType(multi.c_str(), i, &facts)) << i;
        EXPECT_EQ(facts.fileType, cases[i].fileType) << cases[i].tiffcp;
        EXPECT_EQ(facts.pageCount, int(std::size(cases)));
    }
    IKFILEINFO facts{};
    EXPECT_FALSE(IkFileType(multi.c_str(), int(std::size(cases)), &facts));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
}

TEST_F(TiffRead, EveryPageOfAMultiPageFileLoads) {
    const std::string file = path("three.tif");
    ASSERT_EQ(shell("convert -size 20x10 xc:red -size 30x15 xc:lime -size 40x20 xc:blue '" + file + "'"), 0);
    const std::int32_t widths[] = {20, 30, 40};
    for (int page = 0; page < 3; ++page) {
        KitImage image(loadPage(file, page));
        ASSERT_NE(image.get(), 0u);
        const Rgba seen = pixels(image.get());
        EXPECT_EQ(seen.width, widths[page]);
        EXPECT_EQ(difference(seen, reference(file, page)), 0);
    }
    EXPECT_EQ(loadPage(file, 3), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
    EXPECT_EQ(loadPage(file, -1), 0u);
}

TEST_F(TiffRead, ResolutionInInchesOrCentimetresBecomesDpi) {
    const std::string in = source();
    struct Case {
        const char* options;
        int dpi;
    };
    const Case cases[] = {{"-units PixelsPerInch -density 300", 300},
                          {"-units PixelsPerCentimeter -density 40", 102},  // 101.6 dpi
                          {"-units PixelsPerInch -density 72x144", 72}};
    for (const Case& c : cases) {
        const std::string out = path("dpi.tif");
        ASSERT_EQ(shell("convert '" + in + "' " + c.options + " '" + out + "'"), 0);
        IKFILEINFO facts{};
        ASSERT_TRUE(IkFileType(out.c_str(), 0, &facts));
        EXPECT_EQ(facts.valueG, c.dpi) << c.options;
        KitImage image(loadPage(out));
        std::int32_t x = 0, y = 0;
        ASSERT_TRUE(IkGetDpi(image.get(), &x, &y));
        EXPECT_EQ(x, c.dpi) << c.options;
        EXPECT_EQ(y, facts.valueH);
    }
}

TEST_F(TiffRead, CommentAndUnknownTagsAreRead) {
    const std::string out = path("described.tif");
    ASSERT_EQ(shell("convert '" + source() + "' -set comment 'ページ one' '" + out + "'"), 0);
    // A private tag no reader knows: tiffset writes it by number.
    shell("tiffset -s 65000 'unknown' '" + out + "'");
    IKFILEINFO facts{};
    ASSERT_TRUE(IkFileType(out.c_str(), 0, &facts));
    EXPECT_STREQ(facts.comment, "ページ one");
    KitImage image(loadPage(out));
    EXPECT_NE(image.get(), 0u);
}

TEST_F(TiffRead, DamagedFilesFailQuietlyWithAStatus) {
    const std::string good = path("good.tif");
    ASSERT_EQ(shell("convert '" + source() + "' -compress LZW '" + good + "'"), 0);
    const std::vector<std::uint8_t> bytes = fileBytes(good);
    struct Case {
        const char* name;
        std::size_t keep;
    };
    const Case cuts[] = {{"header only", 8}, {"half", bytes.size() / 2}, {"all but the last byte", bytes.size() - 1}};
    for (const Case& c : cuts) {
        const std::string cut = path("cut.tif");
        FILE* f = std::fopen(cut.c_str(), "wb");
        std::fwrite(bytes.data(), 1, c.keep, f);
        std::fclose(f);
        const IKHANDLE image = loadPage(cut);
        if (image) IkFreeMemory(image);
        // Whatever is left either loads or fails with a status; it never crashes.
        if (!image) {
            EXPECT_NE(IkGetErrorStatus(), IK_OK) << c.name;
        }
    }
    // A header that claims a picture far larger than the file can hold is refused before
    // anything is allocated.
    const std::string huge = path("huge.tif");
    ASSERT_EQ(shell("convert -size 8x8 xc:white -compress LZW '" + huge + "' && tiffset -s 256 60000 '" + huge +
                    "' && tiffset -s 257 60000 '" + huge + "'"),
              0);
    EXPECT_EQ(loadPage(huge), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
    EXPECT_EQ(loadPage(path("missing.tif")), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_OPEN);
}

}  // namespace
