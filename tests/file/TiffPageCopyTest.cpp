// IKTiffPageCopy: a stored TIFF page copied into another TIFF with its strips or tiles
// byte for byte and its tags, or refused before the target is touched.
#include "FileFixture.h"
#include "Ikfile.h"

#include <tiffio.h>

#include <QDir>
#include <QStringList>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

using namespace Ikdllprocs;

namespace {

void quiet(const char*, const char*, va_list) {}

// libtiff as the tests use it: silent, strips seen as stored.
TIFF* openQuiet(const std::string& file, const char* mode) {
    TIFFSetErrorHandler(quiet);
    TIFFSetWarningHandler(quiet);
    return TIFFOpen(file.c_str(), mode);
}

// The compressed strips or tiles of one page, one entry each.
std::vector<std::vector<std::uint8_t>> pageChunks(const std::string& file, int page) {
    std::vector<std::vector<std::uint8_t>> chunks;
    TIFF* tif = openQuiet(file, "rc");
    if (!tif) return chunks;
    if (TIFFSetDirectory(tif, static_cast<tdir_t>(page))) {
        const bool tiled = TIFFIsTiled(tif);
        const std::uint32_t count = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto size = static_cast<tmsize_t>(TIFFGetStrileByteCount(tif, i));
            std::vector<std::uint8_t> chunk(static_cast<std::size_t>(size));
            const tmsize_t read = tiled ? TIFFReadRawTile(tif, i, chunk.data(), size) : TIFFReadRawStrip(tif, i, chunk.data(), size);
            if (read != size) chunk.clear();
            chunks.push_back(std::move(chunk));
        }
    }
    TIFFClose(tif);
    return chunks;
}

// The tags a copy keeps, as text (defaults filled in), and the description apart.
struct PageTags {
    std::string layout, description;
};

PageTags pageTags(const std::string& file, int page) {
    PageTags tags;
    TIFF* tif = openQuiet(file, "rc");
    if (!tif) return tags;
    if (!TIFFSetDirectory(tif, static_cast<tdir_t>(page))) {
        TIFFClose(tif);
        return tags;
    }
    std::ostringstream out;
    auto u16 = [&](const char* name, ttag_t tag) {
        std::uint16_t v = 0;
        if (TIFFGetFieldDefaulted(tif, tag, &v)) out << name << '=' << v << ' ';
    };
    auto u32 = [&](const char* name, ttag_t tag) {
        std::uint32_t v = 0;
        if (TIFFGetFieldDefaulted(tif, tag, &v)) out << name << '=' << v << ' ';
    };
    auto real = [&](const char* name, ttag_t tag) {
        float v = 0;
        if (TIFFGetField(tif, tag, &v)) out << name << '=' << v << ' ';
    };
    u32("width", TIFFTAG_IMAGEWIDTH);
    u32("length", TIFFTAG_IMAGELENGTH);
    u16("bits", TIFFTAG_BITSPERSAMPLE);
    u16("samples", TIFFTAG_SAMPLESPERPIXEL);
    u16("photometric", TIFFTAG_PHOTOMETRIC);
    u16("compression", TIFFTAG_COMPRESSION);
    u16("planar", TIFFTAG_PLANARCONFIG);
    u16("fill", TIFFTAG_FILLORDER);
    u16("orientation", TIFFTAG_ORIENTATION);
    u16("format", TIFFTAG_SAMPLEFORMAT);
    u16("inkset", TIFFTAG_INKSET);
    u16("unit", TIFFTAG_RESOLUTIONUNIT);
    real("x", TIFFTAG_XRESOLUTION);
    real("y", TIFFTAG_YRESOLUTION);
    if (TIFFIsTiled(tif)) {
        u32("tilewidth", TIFFTAG_TILEWIDTH);
        u32("tilelength", TIFFTAG_TILELENGTH);
    } else {
        u32("rows", TIFFTAG_ROWSPERSTRIP);
    }
    std::uint16_t compression = 0, photometric = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    if (compression == COMPRESSION_CCITTFAX3) u32("g3", TIFFTAG_GROUP3OPTIONS);
    if (compression == COMPRESSION_CCITTFAX4) u32("g4", TIFFTAG_GROUP4OPTIONS);
    if (compression == COMPRESSION_LZW) u16("predictor", TIFFTAG_PREDICTOR);
    std::uint16_t extraCount = 0;
    std::uint16_t* extra = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra))
        for (std::uint16_t i = 0; i < extraCount; ++i) out << "extra=" << extra[i] << ' ';
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    std::uint16_t bits = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    if (TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
        for (std::uint32_t i = 0; i < (1u << bits); ++i) out << "map=" << red[i] << ',' << green[i] << ',' << blue[i] << ' ';
    std::uint32_t tableBytes = 0;
    const std::uint8_t* table = nullptr;
    if (compression == COMPRESSION_JPEG && TIFFGetField(tif, TIFFTAG_JPEGTABLES, &tableBytes, &table))
        out << "tables=" << std::string(reinterpret_cast<const char*>(table), tableBytes).size() << ':'
            << std::hash<std::string>()(std::string(reinterpret_cast<const char*>(table), tableBytes)) << ' ';
    if (photometric == PHOTOMETRIC_YCBCR) {
        std::uint16_t h = 0, v = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_YCBCRSUBSAMPLING, &h, &v);
        out << "subsampling=" << h << 'x' << v << ' ';
    }
    tags.layout = out.str();
    char* description = nullptr;
    if (TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &description) && description) tags.description = description;
    TIFFClose(tif);
    return tags;
}

int pageCount(const std::string& file) {
    TIFF* tif = openQuiet(file, "r");
    if (!tif) return 0;
    const int count = static_cast<int>(TIFFNumberOfDirectories(tif));
    TIFFClose(tif);
    return count;
}

// How a fixture page stores its samples.
enum class Kind { Bilevel, Palette4, Grey, Rgb, Rgba, Cmyk, YCbCr, RgbPlanes };

struct Fixture {
    const char* name;
    std::uint16_t compression;
    bool tiled;
    Kind kind;
    std::uint32_t options = 0;  // Group 3 options, or the LZW predictor
    std::uint16_t fillOrder = FILLORDER_MSB2LSB;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
};

constexpr std::uint32_t kWidth = 100, kHeight = 70;

// A picture with edges, gradients and flat areas, as each kind stores its samples.
std::uint8_t sample(std::uint32_t x, std::uint32_t y, std::uint32_t s) {
    return static_cast<std::uint8_t>((x * 5 + y * 3 + s * 70) ^ ((x / 9 + y / 7) % 2 ? 0xA0 : 0));
}

// Writes one page with libtiff, strip by strip or tile by tile; false when libtiff cannot.
bool writeFixture(const std::string& file, const Fixture& f) {
    TIFF* tif = openQuiet(file, "w");
    if (!tif) return false;
    std::uint16_t bits = 8, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    switch (f.kind) {
    case Kind::Bilevel: bits = 1, photometric = PHOTOMETRIC_MINISWHITE; break;
    case Kind::Palette4: bits = 4, photometric = PHOTOMETRIC_PALETTE; break;
    case Kind::Grey: break;
    case Kind::Rgb:
    case Kind::RgbPlanes: samples = 3, photometric = PHOTOMETRIC_RGB; break;
    case Kind::Rgba: samples = 4, photometric = PHOTOMETRIC_RGB; break;
    case Kind::Cmyk: samples = 4, photometric = PHOTOMETRIC_SEPARATED; break;
    case Kind::YCbCr: samples = 3, photometric = PHOTOMETRIC_YCBCR; break;
    }
    const bool planes = f.kind == Kind::RgbPlanes;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, f.compression);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, planes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_FILLORDER, f.fillOrder);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, f.orientation);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 150.0);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, f.kind == Kind::Rgba ? RESUNIT_CENTIMETER : RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, "source description");
    if (f.kind == Kind::Palette4) {
        std::uint16_t red[16], green[16], blue[16];
        for (int i = 0; i < 16; ++i) red[i] = std::uint16_t(i * 4369), green[i] = std::uint16_t(65535 - i * 4000), blue[i] = std::uint16_t(i * 1234);
        TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
    }
    if (f.kind == Kind::Rgba) {
        const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (f.kind == Kind::Cmyk) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
    if (f.compression == COMPRESSION_CCITTFAX3) TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, f.options);
    if (f.compression == COMPRESSION_LZW && f.options) TIFFSetField(tif, TIFFTAG_PREDICTOR, f.options);
    if (f.compression == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 60);
        if (f.kind == Kind::YCbCr) TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    const std::uint32_t chunkWidth = f.tiled ? 32 : kWidth, chunkHeight = f.tiled ? 32 : 16;
    if (f.tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, chunkWidth);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, chunkHeight);
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, chunkHeight);
    }
    // Samples per pixel in one plane, and bits of one chunk row.
    const std::uint32_t planeSamples = planes ? 1 : samples;
    const std::size_t rowBytes = (static_cast<std::size_t>(chunkWidth) * bits * planeSamples + 7) / 8;
    bool ok = true;
    for (std::uint32_t plane = 0; plane < (planes ? samples : 1u); ++plane)
        for (std::uint32_t y0 = 0; y0 < kHeight; y0 += chunkHeight)
            for (std::uint32_t x0 = 0; x0 < kWidth; x0 += chunkWidth) {
                std::vector<std::uint8_t> chunk(rowBytes * chunkHeight);
                for (std::uint32_t y = 0; y < chunkHeight; ++y)
                    for (std::uint32_t x = 0; x < chunkWidth; ++x)
                        for (std::uint32_t s = 0; s < planeSamples; ++s) {
                            const std::uint8_t v = sample(x0 + x, y0 + y, plane + s);
                            std::uint8_t* row = chunk.data() + y * rowBytes;
                            if (bits == 8) row[x * planeSamples + s] = v;
                            else if (bits == 4) row[x / 2] |= std::uint8_t((v >> 4) << (x % 2 ? 0 : 4));
                            else if (v & 0x80) row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
                        }
                const std::uint32_t rows = std::min(chunkHeight, kHeight - y0);
                const tmsize_t bytes = static_cast<tmsize_t>(rowBytes * (f.tiled ? chunkHeight : rows));
                ok = ok && (f.tiled ? TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, x0, y0, 0, std::uint16_t(plane)), chunk.data(), bytes)
                                    : TIFFWriteEncodedStrip(tif, TIFFComputeStrip(tif, y0, std::uint16_t(plane)), chunk.data(), bytes)) >= 0;
            }
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);
    return ok;
}

// Where a tag's value lies in the first directory of a little-endian classic TIFF.
std::size_t tagValueOffset(const std::vector<std::uint8_t>& bytes, std::uint16_t tag) {
    auto u16 = [&](std::size_t at) { return std::size_t(bytes[at] | bytes[at + 1] << 8); };
    auto u32 = [&](std::size_t at) { return std::size_t(u16(at) | u16(at + 2) << 16); };
    if (bytes.size() < 8 || bytes[0] != 'I') return 0;
    const std::size_t directory = u32(4);
    for (std::size_t i = 0; i < u16(directory); ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        if (u16(entry) == tag) return entry + 8;
    }
    return 0;
}

// Overwrites the (single, inline) value of a tag in the file's first directory.
bool patchTag(const std::string& file, std::uint16_t tag, std::uint32_t value) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t at = tagValueOffset(bytes, tag);
    if (at == 0) return false;
    const std::uint16_t type = std::uint16_t(bytes[at - 6] | bytes[at - 5] << 8);
    const int width = type == TIFF_SHORT ? 2 : 4;
    for (int i = 0; i < width; ++i) bytes[at + i] = std::uint8_t(value >> (8 * i));
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

class TiffPageCopy : public FileKit {
protected:
    static bool copy(const std::string& source, int page, const std::string& target, bool append = false,
                     const char* comment = "") {
        return IkTiffPageCopy(source.c_str(), page, target.c_str(), append ? IK_TRUE : IK_FALSE, comment, nullptr, "",
                              "", "") != 0;
    }

    // The folder holds exactly these names (no temporary file left behind).
    std::string listing() const { return folderListing(path("")); }
    static std::string folderListing(const std::string& folder) {
        std::string names;
        for (const QString& name : QDir(QString::fromStdString(folder)).entryList(QDir::Files, QDir::Name))
            names += name.toStdString() + ' ';
        return names;
    }
};

const Fixture kFixtures[] = {
    {"none-rgba-strips", COMPRESSION_NONE, false, Kind::Rgba},
    {"none-palette-tiles", COMPRESSION_NONE, true, Kind::Palette4},
    {"rle-strips", COMPRESSION_CCITTRLE, false, Kind::Bilevel},
    {"rle-tiles", COMPRESSION_CCITTRLE, true, Kind::Bilevel},
    {"g3-1d-lsb-strips", COMPRESSION_CCITTFAX3, false, Kind::Bilevel, 0, FILLORDER_LSB2MSB},
    {"g3-2d-strips", COMPRESSION_CCITTFAX3, false, Kind::Bilevel, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS},
    {"g3-2d-tiles", COMPRESSION_CCITTFAX3, true, Kind::Bilevel, GROUP3OPT_2DENCODING},
    {"g4-turned-strips", COMPRESSION_CCITTFAX4, false, Kind::Bilevel, 0, FILLORDER_MSB2LSB, ORIENTATION_BOTRIGHT},
    {"g4-tiles", COMPRESSION_CCITTFAX4, true, Kind::Bilevel},
    {"packbits-cmyk-strips", COMPRESSION_PACKBITS, false, Kind::Cmyk},
    {"packbits-grey-tiles", COMPRESSION_PACKBITS, true, Kind::Grey},
    {"lzw-predictor-strips", COMPRESSION_LZW, false, Kind::Rgb, PREDICTOR_HORIZONTAL},
    {"lzw-planes-tiles", COMPRESSION_LZW, true, Kind::RgbPlanes},
    {"jpeg-ycbcr-strips", COMPRESSION_JPEG, false, Kind::YCbCr},
    {"jpeg-grey-tiles", COMPRESSION_JPEG, true, Kind::Grey},
};

TEST_F(TiffPageCopy, EveryOfferedCompressionIsCopiedAsStoredWithItsTags) {
    for (const Fixture& f : kFixtures) {
        SCOPED_TRACE(f.name);
        const std::string source = path(std::string(f.name) + ".tif"), target = path(std::string(f.name) + "-copy.tif");
        ASSERT_TRUE(writeFixture(source, f));
        ASSERT_GT(pageChunks(source, 0).size(), 1u) << "the fixture should have several strips or tiles";
        ASSERT_TRUE(copy(source, 0, target, false, "写し")) << IkGetErrorStatus();
        EXPECT_EQ(IkGetErrorStatus(), IK_OK);
        EXPECT_EQ(pageChunks(target, 0), pageChunks(source, 0));
        const PageTags original = pageTags(source, 0), copied = pageTags(target, 0);
        EXPECT_EQ(copied.layout, original.layout);
        EXPECT_EQ(copied.description, "写し");
        EXPECT_EQ(tiffinfo(target).find("rror"), std::string::npos) << tiffinfo(target);
        // The copy reads as its source does.
        KitImage before(loadPage(source)), after(loadPage(target));
        ASSERT_NE(before.get(), 0u);
        EXPECT_EQ(difference(pixels(after.get()), pixels(before.get()), true), 0);
    }
}

TEST_F(TiffPageCopy, AppendedPageFollowsUntouchedPagesAndMayComeFromTheTargetItself) {
    const std::string source = path("pages.tif"), target = path("target.tif");
    ASSERT_TRUE(writeFixture(path("a.tif"), kFixtures[7]));
    ASSERT_TRUE(writeFixture(path("b.tif"), kFixtures[13]));
    ASSERT_TRUE(writeFixture(path("c.tif"), kFixtures[12]));
    ASSERT_EQ(shell("tiffcp '" + path("a.tif") + "' '" + path("b.tif") + "' '" + source + "'"), 0);
    ASSERT_EQ(shell("tiffcp '" + path("c.tif") + "' '" + path("a.tif") + "' '" + target + "'"), 0);
    const auto firstChunks = pageChunks(target, 0), secondChunks = pageChunks(target, 1);
    const PageTags firstTags = pageTags(target, 0), secondTags = pageTags(target, 1);

    ASSERT_TRUE(copy(source, 1, target, true, "三枚目")) << IkGetErrorStatus();
    // The page's own file as the source: page 0 again at the end.
    ASSERT_TRUE(copy(target, 0, target, true)) << IkGetErrorStatus();
    ASSERT_EQ(pageCount(target), 4);
    EXPECT_EQ(pageChunks(target, 0), firstChunks);
    EXPECT_EQ(pageChunks(target, 1), secondChunks);
    EXPECT_EQ(pageTags(target, 0).layout, firstTags.layout);
    EXPECT_EQ(pageTags(target, 1).layout, secondTags.layout);
    EXPECT_EQ(pageChunks(target, 2), pageChunks(source, 1));
    EXPECT_EQ(pageTags(target, 2).layout, pageTags(source, 1).layout);
    EXPECT_EQ(pageTags(target, 2).description, "三枚目");
    EXPECT_EQ(pageChunks(target, 3), firstChunks);
    EXPECT_EQ(tiffinfo(target).find("rror"), std::string::npos) << tiffinfo(target);

    // Append to a missing file creates it; without append an existing file is replaced.
    const std::string fresh = path("fresh.tif");
    ASSERT_TRUE(copy(source, 0, fresh, true));
    ASSERT_TRUE(copy(source, 1, target, false));
    EXPECT_EQ(pageCount(fresh), 1);
    EXPECT_EQ(pageCount(target), 1);
    EXPECT_EQ(pageChunks(target, 0), pageChunks(source, 1));
}

TEST_F(TiffPageCopy, PagesThatCannotBeCopiedAsStoredAreRefusedBeforeTheTargetIsTouched) {
    const std::string plain = path("plain.tif");
    ASSERT_TRUE(writeFixture(plain, {"lzw", COMPRESSION_LZW, false, Kind::Rgb}));
    // Old-style JPEG: a page whose compression field says so.
    const std::string oldJpeg = path("old-jpeg.tif");
    ASSERT_TRUE(writeFixture(oldJpeg, {"none", COMPRESSION_NONE, false, Kind::Grey}));
    ASSERT_TRUE(patchTag(oldJpeg, TIFFTAG_COMPRESSION, COMPRESSION_OJPEG));
    // A strip the directory leaves out (offset 0).
    const std::string sparse = path("sparse.tif");
    ASSERT_EQ(shell("tiffcp -r 70 '" + plain + "' '" + sparse + "'"), 0);
    ASSERT_TRUE(patchTag(sparse, TIFFTAG_STRIPOFFSETS, 0));
    struct Case {
        std::string source;
        int page;
        std::uint16_t status;
    };
    const Case cases[] = {
        {path("deflate.tif"), 0, IK_ERR_FORMAT},
        {path("zstd.tif"), 0, IK_ERR_FORMAT},
        {oldJpeg, 0, IK_ERR_FORMAT},
        {sparse, 0, IK_ERR_FORMAT},
        {plain, 1, IK_ERR_ARGUMENT},
        {path("missing.tif"), 0, IK_ERR_FILE_OPEN},
        {path("not-a-tiff.tif"), 0, IK_ERR_FILE_READ},
    };
    ASSERT_EQ(shell("tiffcp -c zip '" + plain + "' '" + path("deflate.tif") + "'"), 0);
    ASSERT_EQ(shell("tiffcp -c zstd '" + plain + "' '" + path("zstd.tif") + "'"), 0);
    ASSERT_EQ(shell("echo 'no picture here' > '" + path("not-a-tiff.tif") + "'"), 0);
    const std::string existing = path("existing.tif");
    ASSERT_EQ(shell("tiffcp '" + plain + "' '" + plain + "' '" + existing + "'"), 0);
    const std::vector<std::uint8_t> before = fileBytes(existing);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const std::string names = listing();
        for (bool append : {false, true}) {
            EXPECT_FALSE(copy(c.source, c.page, existing, append));
            EXPECT_EQ(IkGetErrorStatus(), c.status);
            EXPECT_EQ(fileBytes(existing), before);
            EXPECT_FALSE(copy(c.source, c.page, path("new.tif"), append));
        }
        EXPECT_EQ(listing(), names) << "a file was created or left behind";
    }
}

TEST_F(TiffPageCopy, HostileSizesFailQuietly) {
    // One strip holding the whole page, so that its offset and byte count lie in the directory.
    const Fixture one = {"g4", COMPRESSION_CCITTFAX4, false, Kind::Bilevel};
    struct Case {
        const char* what;
        std::uint16_t tag;
        std::uint32_t value;
        std::uint16_t status;
    };
    const Case cases[] = {
        {"byte count beyond the file", TIFFTAG_STRIPBYTECOUNTS, 0x7FFFFFF0u, IK_ERR_FILE_READ},
        {"offset beyond the file", TIFFTAG_STRIPOFFSETS, 0xFFFFFF00u, IK_ERR_FILE_READ},
        // Far more strips than the directory lists: the layout is not copied.
        {"two thousand million rows of one strip each", TIFFTAG_IMAGELENGTH, 0x7FFFFFFFu, IK_ERR_FORMAT},
        // libtiff itself refuses the directory.
        {"rows per strip of zero", TIFFTAG_ROWSPERSTRIP, 0, IK_ERR_FILE_READ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = path("hostile.tif");
        ASSERT_TRUE(writeFixture(file, one));
        ASSERT_EQ(shell("tiffcp -r 70 '" + file + "' '" + file + ".one' && mv '" + file + ".one' '" + file + "'"), 0);
        if (c.tag == TIFFTAG_IMAGELENGTH) {
            ASSERT_TRUE(patchTag(file, TIFFTAG_ROWSPERSTRIP, 1));
        }
        ASSERT_TRUE(patchTag(file, c.tag, c.value));
        const std::string target = path(std::string(c.what) + ".tif");
        EXPECT_FALSE(copy(file, 0, target));
        EXPECT_EQ(IkGetErrorStatus(), c.status);
        EXPECT_NE(shell("test -e '" + target + "'"), 0);
    }
}

TEST_F(TiffPageCopy, ASourceReplacedAfterListingIsCopiedFromItsNewVersion) {
    const std::string file = path("listed.tif"), next = path("next.tif");
    ASSERT_TRUE(writeFixture(file, kFixtures[11]));
    ASSERT_TRUE(writeFixture(next, kFixtures[8]));
    IKFILEINFO facts{};
    ASSERT_TRUE(IkFileType(file.c_str(), 0, &facts));
    ASSERT_EQ(facts.pageCount, 1);
    ASSERT_EQ(shell("cp '" + next + "' '" + file + ".new' && mv '" + file + ".new' '" + file + "'"), 0);
    const std::string target = path("out.tif");
    ASSERT_TRUE(copy(file, 0, target));
    EXPECT_EQ(pageChunks(target, 0), pageChunks(next, 0));
    EXPECT_EQ(pageTags(target, 0).layout, pageTags(next, 0).layout);
}

TEST_F(TiffPageCopy, ALoadedPageIsEncodedWhenSaved) {
    // Strips of 16 rows in the source; the writer puts the page in one strip, or encodes it anew.
    for (const Fixture& f : {kFixtures[8], kFixtures[13]}) {
        SCOPED_TRACE(f.name);
        const std::string source = path("source.tif"), saved = path("saved.tif");
        ASSERT_TRUE(writeFixture(source, f));
        KitImage image(loadPage(source));
        ASSERT_NE(image.get(), 0u);
        const int compression = f.compression == COMPRESSION_JPEG ? 7 : 4;
        ASSERT_TRUE(IkTiffFileSave(saved.c_str(), image.get(), compression, 0, IK_FALSE, "", IK_TRUE, nullptr, "", "", ""));
        EXPECT_EQ(pageChunks(saved, 0).size(), 1u);
        EXPECT_NE(pageChunks(saved, 0), pageChunks(source, 0));
    }
}

TEST_F(TiffPageCopy, TheComponentCopiesItsLoadPageWithItsComment) {
    const std::string source = path("two.tif"), target = path("copy.tif");
    ASSERT_TRUE(writeFixture(path("a.tif"), kFixtures[8]));
    ASSERT_TRUE(writeFixture(path("b.tif"), kFixtures[13]));
    ASSERT_EQ(shell("tiffcp '" + path("a.tif") + "' '" + path("b.tif") + "' '" + source + "'"), 0);
    TVIkFile file;
    QStringList events;
    file.OnStartSave = [&](TVIkFile*, const QString& name) { events << "start " + name; };
    file.OnEndSave = [&](TVIkFile*, const QString& name) { events << "end " + name; };
    file.SetFileName(QString::fromStdString(source));
    file.SetLoadPage(1);
    file.SetComment(QStringLiteral("注釈"));
    ASSERT_TRUE(file.CopyTiffPage(QString::fromStdString(target), false));
    EXPECT_EQ(file.ErrorCode(), 0);
    const QString name = QString::fromStdString(target);
    EXPECT_EQ(events, QStringList({"start " + name, "end " + name}));
    ASSERT_TRUE(file.CopyTiffPage(QString::fromStdString(target), true));
    ASSERT_EQ(pageCount(target), 2);
    for (int page : {0, 1}) {
        EXPECT_EQ(pageChunks(target, page), pageChunks(source, 1));
        EXPECT_EQ(pageTags(target, page).description, "注釈");
    }
    // Asked to, the copy keeps the page's own description instead of the comment.
    ASSERT_TRUE(file.CopyTiffPage(QString::fromStdString(target), true, true));
    ASSERT_EQ(pageCount(target), 3);
    EXPECT_EQ(pageTags(target, 2).description, "source description");

    ASSERT_EQ(shell("tiffcp -c zip '" + path("a.tif") + "' '" + path("zip.tif") + "'"), 0);
    file.SetFileName(QString::fromStdString(path("zip.tif")));
    file.SetLoadPage(0);
    EXPECT_FALSE(file.CopyTiffPage(QString::fromStdString(target), true));
    EXPECT_EQ(file.ErrorCode(), IK_ERR_FORMAT);
    EXPECT_EQ(pageCount(target), 3);
}

}  // namespace

namespace {

// An uncompressed 8-bit grey page of four strips written last to first, so that its strips
// do not lie back to back in page order.
bool writeStripsLastToFirst(const std::string& file) {
    TIFF* tif = openQuiet(file, "w");
    if (!tif) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 16u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 8u);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2u);
    bool ok = true;
    for (int strip = 3; strip >= 0; --strip) {
        std::vector<std::uint8_t> rows(32);
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(strip * 50 + i);
        ok = ok && TIFFWriteRawStrip(tif, static_cast<tstrip_t>(strip), rows.data(), 32) == 32;
    }
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);
    return ok;
}

struct OpenSource {
    IKTIFFSOURCE source;
    explicit OpenSource(const std::string& file) : source(IkTiffSourceOpen(file.c_str())) {}
    ~OpenSource() { IkTiffSourceClose(source); }
    bool copy(int page, const std::string& target) const {
        return IkTiffSourcePageCopy(source, page, target.c_str(), IK_FALSE, nullptr, nullptr, "", "", "") != 0;
    }
};

}  // namespace

TEST_F(TiffPageCopy, AnOpenSourceCopiesItsPagesInAnyOrderFromTheVersionOpened) {
    // Group 4, JPEG, LZW tiles, Deflate (refused) and run-length pages.
    const std::string source = path("five.tif");
    for (int i : {7, 13, 12, 2}) ASSERT_TRUE(writeFixture(path(std::to_string(i) + ".tif"), kFixtures[i]));
    ASSERT_EQ(shell("tiffcp -c zip '" + path("12.tif") + "' '" + path("zip.tif") + "'"), 0);
    ASSERT_EQ(shell("tiffcp '" + path("7.tif") + "' '" + path("13.tif") + "' '" + path("12.tif") + "' '" +
                    path("zip.tif") + "' '" + path("2.tif") + "' '" + source + "'"),
              0);
    const std::string original = path("five-original.tif");
    ASSERT_EQ(shell("cp '" + source + "' '" + original + "'"), 0);
    OpenSource open(source);
    ASSERT_NE(open.source, nullptr) << IkGetErrorStatus();
    // Replaced after opening: every page still comes from the file as it was opened.
    ASSERT_EQ(shell("cp '" + path("2.tif") + "' '" + source + ".new' && mv '" + source + ".new' '" + source + "'"), 0);

    struct Step {
        int page;
        std::uint16_t status;
    };
    // Forward one by one, over a page, back, past the end, and on after failures.
    const Step steps[] = {{0, IK_OK}, {1, IK_OK}, {2, IK_OK}, {4, IK_OK}, {3, IK_ERR_FORMAT}, {1, IK_OK},
                          {5, IK_ERR_ARGUMENT}, {2, IK_OK}, {0, IK_OK}};
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(n) + ", page " + std::to_string(s.page));
        const std::string target = path("step" + std::to_string(n++) + ".tif");
        EXPECT_EQ(open.copy(s.page, target), s.status == IK_OK);
        EXPECT_EQ(IkGetErrorStatus(), s.status);
        if (s.status != IK_OK) {
            EXPECT_NE(shell("test -e '" + target + "'"), 0);
            continue;
        }
        EXPECT_EQ(pageChunks(target, 0), pageChunks(original, s.page));
        EXPECT_EQ(pageTags(target, 0).layout, pageTags(original, s.page).layout);
    }
    EXPECT_EQ(IkTiffSourceOpen(path("missing.tif").c_str()), nullptr);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_OPEN);
    EXPECT_FALSE(IkTiffSourcePageCopy(nullptr, 0, path("x.tif").c_str(), IK_FALSE, nullptr, nullptr, "", "", ""));
    IkTiffSourceClose(nullptr);
}

TEST_F(TiffPageCopy, StripsThatDoNotLieBackToBackAreCopiedAsStored) {
    const std::string source = path("last-to-first.tif"), target = path("copy.tif");
    ASSERT_TRUE(writeStripsLastToFirst(source));
    ASSERT_TRUE(copy(source, 0, target)) << IkGetErrorStatus();
    EXPECT_EQ(pageChunks(target, 0), pageChunks(source, 0));
    KitImage before(loadPage(source)), after(loadPage(target));
    ASSERT_NE(before.get(), 0u);
    EXPECT_EQ(difference(pixels(after.get()), pixels(before.get()), true), 0);
}
