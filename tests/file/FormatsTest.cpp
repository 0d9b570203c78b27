// JPEG, PNG, GIF, BMP, PCX and JPEG 2000: files written by ImageMagick loaded and compared
// with ImageMagick's reading, and our own files read back by ImageMagick.
#include "FileFixture.h"

#include <QDir>

#include <cstdint>

using namespace Ikdllprocs;

namespace {

using Formats = FileKit;

struct Variant {
    const char* name;
    const char* file;     // the output name: its extension picks ImageMagick's writer
    const char* options;  // between the source and the output
    int bits;
    int tolerance;
    bool alpha;
};

const Variant kVariants[] = {
    {"JPEG colour", "a.jpg", "-quality 95", 24, 0, false},
    {"JPEG grey", "b.jpg", "-colorspace Gray", 8, 0, false},
    {"JPEG progressive", "c.jpg", "-interlace JPEG", 24, 0, false},
    {"JPEG CMYK", "d.jpg", "-colorspace CMYK", 24, 3, false},
    {"PNG palette", "a.png", "-colors 16 PNG8:", 8, 0, false},
    {"PNG grey 1 bit", "b.png", "-type Bilevel", 1, 0, false},
    {"PNG grey 2 bits", "c.png", "-colorspace Gray -depth 2", 4, 0, false},
    {"PNG grey 16 bits", "d.png", "-colorspace Gray -depth 16", 8, 1, false},
    {"PNG RGB 16 bits interlaced", "e.png", "-depth 16 -interlace PNG", 24, 1, false},
    {"PNG RGBA kept by page 32767", "f.png", "-alpha set -channel A -fx 'i/w' +channel PNG32:", 32, 0, true},
    {"GIF", "a.gif", "-colors 64", 8, 0, false},
    {"GIF interlaced", "b.gif", "-colors 64 -interlace GIF", 8, 0, false},
    {"BMP 24 bits", "a.bmp", "", 24, 0, false},
    {"BMP 8 bits RLE", "b.bmp", "-colors 100 -compress RLE BMP3:", 8, 0, false},
    {"BMP 4 bits", "c.bmp", "-colors 16 BMP3:", 4, 0, false},
    {"BMP 1 bit", "d.bmp", "-type Bilevel BMP3:", 1, 0, false},
    {"BMP 16 bits", "e.bmp", "-define bmp:subtype=RGB565", 24, 1, false},
    {"BMP 32 bits with alpha", "f.bmp", "-alpha set -channel A -fx 'i/w' +channel", 32, 0, true},
    {"PCX 24 bits", "a.pcx", "", 24, 0, false},
    {"PCX 8 bits", "b.pcx", "-colors 100 -type Palette", 8, 0, false},
    {"JPEG 2000 file", "a.jp2", "-quality 0", 24, 0, false},
    {"JPEG 2000 stream", "b.j2k", "-quality 0", 24, 0, false},
    {"JPEG 2000 grey 12 bits", "c.jp2", "-colorspace Gray -depth 12 -quality 0", 8, 1, false},
};

TEST_F(Formats, FilesOfOtherWritersLoadAsImageMagickReadsThem) {
    const std::string source = path("source.png");
    ASSERT_EQ(shell("convert -seed 5 -size 53x31 plasma: -depth 8 '" + source + "'"), 0);
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string out = path(v.file);
        std::string options = v.options, prefix;
        if (!options.empty() && options.back() == ':') {
            const std::size_t space = options.rfind(' ');
            prefix = space == std::string::npos ? options : options.substr(space + 1);
            options = space == std::string::npos ? "" : options.substr(0, space);
        }
        ASSERT_EQ(shell("convert '" + source + "' " + options + " " + prefix + "'" + out + "'"), 0);
        KitImage image(loadPage(out, v.alpha ? 32767 : 0));
        ASSERT_NE(image.get(), 0u) << "status " << IkGetErrorStatus();
        IKIMAGEINFO info{};
        ASSERT_TRUE(IkGetImageType(image.get(), &info));
        EXPECT_EQ(info.valueA, v.bits);
        const int diff = difference(pixels(image.get()), reference(out), v.alpha);
        EXPECT_GE(diff, 0);
        EXPECT_LE(diff, v.tolerance);
        IKFILEINFO facts{};
        ASSERT_TRUE(IkFileType(out.c_str(), 0, &facts));
        EXPECT_EQ(facts.width, 53);
        EXPECT_EQ(facts.pageCount, 1);
        // A file named for another format is still recognised by its content.
        const std::string renamed = path("misnamed.dat");
        ASSERT_EQ(shell("cp '" + out + "' '" + renamed + "'"), 0);
        KitImage again(loadPage(renamed, v.alpha ? 32767 : 0));
        EXPECT_EQ(difference(pixels(again.get()), pixels(image.get()), true), 0);
    }
}

TEST_F(Formats, EveryGifImageIsAPage) {
    const std::string gif = path("anim.gif");
    ASSERT_EQ(shell("convert -size 10x10 xc:red xc:lime xc:blue -set comment 'three frames' '" + gif + "'"), 0);
    IKFILEINFO facts{};
    ASSERT_TRUE(IkFileType(gif.c_str(), 2, &facts));
    EXPECT_EQ(facts.pageCount, 3);
    EXPECT_STREQ(facts.comment, "three frames");
    KitImage blue(loadPage(gif, 2));
    EXPECT_EQ(difference(pixels(blue.get()), reference(gif, 2)), 0);
    EXPECT_EQ(loadPage(gif, 3), 0u);
}

// A scanned blank page compresses to a few kilobytes; its size alone must not make it suspect.
TEST_F(Formats, NearlyBlankBilevelPagesAtSixHundredDpiLoad) {
    const std::string png = path("blank.png");
    ASSERT_EQ(shell("convert -size 4960x7016 xc:white -fill black -draw 'rectangle 100,100 200,200' "
                    "-monochrome -depth 1 PNG:'" + png + "'"), 0);
    KitImage page(loadPage(png));
    ASSERT_NE(page.get(), 0u);
    IKIMAGEINFO info{};
    ASSERT_TRUE(IkGetImageType(page.get(), &info));
    EXPECT_EQ(info.valueA, 1);
    EXPECT_EQ(info.width, 4960);
}

TEST_F(Formats, OurFilesReadBackInImageMagick) {
    KitImage colour(loadPage([&] {
        const std::string file = path("colour.tif");
        shell("convert -seed 9 -size 41x27 plasma: -depth 8 '" + file + "'");
        return file;
    }()));
    ASSERT_NE(colour.get(), 0u);
    const Rgba original = pixels(colour.get());
    struct Case {
        const char* name;
        std::string file;
        std::function<IKBOOL(const char*)> save;
        int tolerance;
    };
    const IKHANDLE image = colour.get();
    const Case cases[] = {
        {"BMP", path("o.bmp"), [&](const char* f) { return IkBmpFileSave(f, image, IK_FALSE, nullptr, "", "", ""); }, 0},
        {"JPEG", path("o.jpg"),
         [&](const char* f) { return IkJpegFileSave(f, image, 1, 100, 2, "note", nullptr, "", "", ""); }, 12},
        {"PNG", path("o.png"),
         [&](const char* f) { return IkPngFileSaveEx(f, image, IK_TRUE, IK_FALSE, 0, 0, 0, IK_FALSE, "note", nullptr, "", "", ""); }, 0},
        {"GIF", path("o.gif"),
         [&](const char* f) { return IkGifFileSave(f, image, IK_TRUE, IK_FALSE, 0, 0, 0, IK_FALSE, 0, "note", nullptr, "", "", ""); }, 60},
        {"PCX", path("o.pcx"), [&](const char* f) { return IkPcxFileSave(f, image, nullptr, "", "", ""); }, 0},
        {"JP2 lossless", path("o.jp2"),
         [&](const char* f) { return IkJ2kFileSave(f, image, IK_FALSE, IK_TRUE, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", nullptr, "", "", ""); }, 0},
        {"J2K stream lossless", path("o.j2k"),
         [&](const char* f) { return IkJ2kFileSave(f, image, IK_TRUE, IK_TRUE, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", nullptr, "", "", ""); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.save(c.file.c_str())) << IkGetErrorStatus();
        EXPECT_LE(difference(reference(c.file), original), c.tolerance);
        KitImage back(loadPage(c.file));
        EXPECT_LE(difference(pixels(back.get()), original), c.tolerance);
    }
    // PCX in every depth it writes: one bit, four bit planes, 8 bits with palette.
    for (int bits : {1, 4, 8}) {
        KitImage palette(IkCreateImage(37, 13, std::uint16_t(bits), 0, 128, 255, 0, 0, 0, 0));
        const std::string file = path("p" + std::to_string(bits) + ".pcx");
        ASSERT_TRUE(IkPcxFileSave(file.c_str(), palette.get(), nullptr, "", "", ""));
        // ImageMagick shows a 1-bit PCX with 0 as white, against the header's palette and
        // other readers; only the deeper pages are compared with it.
        if (bits > 1) {
            EXPECT_EQ(difference(reference(file), pixels(palette.get())), 0) << bits;
        }
        KitImage back(loadPage(file));
        IKIMAGEINFO info{};
        ASSERT_TRUE(IkGetImageType(back.get(), &info));
        EXPECT_EQ(info.valueA, bits);
        EXPECT_EQ(difference(pixels(back.get()), pixels(palette.get())), 0) << bits;
    }
    // Run-length BMP of palette images.
    for (int bits : {4, 8}) {
        KitImage palette(IkCreateImage(37, 13, std::uint16_t(bits), 255, 0, 0, 0, 0, 0, 0));
        const std::string file = path("rle" + std::to_string(bits) + ".bmp");
        ASSERT_TRUE(IkBmpFileSave(file.c_str(), palette.get(), IK_TRUE, nullptr, "", "", ""));
        EXPECT_EQ(difference(reference(file), pixels(palette.get())), 0) << bits;
        KitImage back(loadPage(file));
        EXPECT_EQ(difference(pixels(back.get()), pixels(palette.get())), 0) << bits;
    }
}

}  // namespace

namespace {

// Descriptors the process holds.
int openDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

std::int32_t stopAtOnce(std::int32_t) { return 0; }

}  // namespace

// Saves write through the descriptor of their temporary file; finished, stopped or refused,
// none is left open.
TEST_F(Formats, SavingLeavesNoFileOpen) {
    KitImage colour(IkCreateImage(300, 200, 24, 90, 160, 220, 0, 0, 0, 0));
    ASSERT_NE(colour.get(), 0u);
    const IKHANDLE image = colour.get();
    const std::string tiff = path("page.tif");
    const int before = openDescriptors();
    for (IKPROGRESSPROC progress : {IKPROGRESSPROC(nullptr), IKPROGRESSPROC(stopAtOnce)}) {
        const bool stopped = progress != nullptr;
        SCOPED_TRACE(stopped ? "stopped" : "finished");
        const std::string prefix = stopped ? "stopped-" : "";
        EXPECT_NE(IkTiffFileSave(path(prefix + "new.tif").c_str(), image, 6, 0, IK_FALSE, "", IK_TRUE, progress, "", "", ""),
                  stopped);
        EXPECT_NE(IkJpegFileSave(path(prefix + "new.jpg").c_str(), image, 0, 80, 0, "", progress, "", "", ""), stopped);
        EXPECT_NE(IkPngFileSaveEx(path(prefix + "new.png").c_str(), image, IK_FALSE, IK_FALSE, 0, 0, 0, IK_FALSE, "", progress,
                                  "", "", ""),
                  stopped);
        EXPECT_NE(IkBmpFileSave(path(prefix + "new.bmp").c_str(), image, IK_FALSE, progress, "", "", ""), stopped);
    }
    // A file replaced, a page copied into a new file, and a save the writer refuses.
    ASSERT_TRUE(IkTiffFileSave(tiff.c_str(), image, 0, 0, IK_FALSE, "", IK_TRUE, nullptr, "", "", ""));
    EXPECT_TRUE(IkTiffFileSave(tiff.c_str(), image, 6, 0, IK_FALSE, "", IK_TRUE, nullptr, "", "", ""));
    EXPECT_TRUE(IkTiffPageCopy(tiff.c_str(), 0, path("copy.tif").c_str(), IK_FALSE, nullptr, nullptr, "", "", ""));
    EXPECT_FALSE(IkTiffFileSave(path("g4.tif").c_str(), image, 4, 0, IK_FALSE, "", IK_TRUE, nullptr, "", "", ""));
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(shell("test ! -e '" + path("stopped-new.tif") + "' && test ! -e '" + path("stopped-new.jpg") + "'"), 0);
}
