// JPEG and PNG files made to cost memory or time, or cut short: each is refused quickly
// with its status and no image, and the legitimate shapes next to them still load.
#include "FileFixture.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <fstream>
#include <functional>

using namespace Ikdllprocs;

namespace {

using HostileFiles = FileKit;

void writeFile(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string bigEndian16(std::uint32_t value) { return {char(value >> 8), char(value)}; }
std::string bigEndian32(std::uint32_t value) { return bigEndian16(value >> 16) + bigEndian16(value & 0xFFFF); }

// ---- JPEG written byte by byte ----------------------------------------------------------
// Every component is sampled 1 × 1 and every coefficient is 0, so the picture is mid grey
// (128). The tables hold one 1-bit code each: DC difference 0, end of block for sequential
// scans, and an end-of-block run of 16384 blocks for progressive AC scans. A block thus
// costs two bits in a sequential scan, one bit in a DC scan, and an AC scan 15 bits per
// 16384 blocks: every scan's data is zero bytes.

struct JpegScan {
    int firstComponent, componentCount;
    int ss, se, ah, al;
};

std::string segment(std::uint8_t marker, const std::string& body) {
    return std::string{'\xFF', char(marker)} + bigEndian16(std::uint32_t(body.size() + 2)) + body;
}

std::uint64_t blocksOf(int width, int height) { return std::uint64_t((width + 7) / 8) * std::uint64_t((height + 7) / 8); }

// frame: 0xC0 sequential Huffman, 0xC2 progressive Huffman, 0xC9 sequential arithmetic.
std::string jpegHeaders(int width, int height, int components, std::uint8_t frame) {
    std::string out = "\xFF\xD8";
    out += segment(0xDB, std::string(1, '\0') + std::string(64, '\x01'));
    std::string sof = "\x08" + bigEndian16(height) + bigEndian16(width) + char(components);
    for (int c = 0; c < components; ++c) sof += std::string{char(c + 1), '\x11', '\0'};
    out += segment(frame, sof);
    if (frame != 0xC9) {
        const std::string oneCode = std::string(1, '\x01') + std::string(15, '\0');
        out += segment(0xC4, std::string(1, '\0') + oneCode + '\x00');  // DC table 0: difference 0
        out += segment(0xC4, "\x10" + oneCode + '\x00');  // AC table 0: end of block
        out += segment(0xC4, "\x11" + oneCode + '\xE0');  // AC table 1: run of 16384 blocks
    }
    return out;
}

std::string scanHeader(const JpegScan& scan) {
    std::string sos(1, char(scan.componentCount));
    for (int c = 0; c < scan.componentCount; ++c)
        sos += std::string{char(scan.firstComponent + c + 1), char(scan.ss > 0 ? 0x01 : 0x00)};
    sos += std::string{char(scan.ss), char(scan.se), char(scan.ah << 4 | scan.al)};
    return segment(0xDA, sos);
}

std::string jpegScan(int width, int height, std::uint8_t frame, const JpegScan& scan) {
    const std::uint64_t blocks = blocksOf(width, height) * std::uint64_t(scan.componentCount);
    const std::uint64_t bits = frame == 0xC2 && scan.ss > 0 ? (blocks + 16383) / 16384 * 15
                               : frame == 0xC2              ? blocks
                                                            : 2 * blocks;
    return scanHeader(scan) + std::string((bits + 7) / 8, '\0');
}

std::string craftJpeg(int width, int height, int components, std::uint8_t frame, const std::vector<JpegScan>& scans) {
    std::string out = jpegHeaders(width, height, components, frame);
    for (const JpegScan& scan : scans) out += jpegScan(width, height, frame, scan);
    return out + "\xFF\xD9";
}

// A valid grey progression: the DC scan, then for `bands` coefficients a first AC scan and
// its refinement, two scans each.
std::vector<JpegScan> greyProgression(int bands) {
    std::vector<JpegScan> scans{{0, 1, 0, 0, 0, 0}};
    for (int k = 1; k <= bands; ++k) {
        scans.push_back({0, 1, k, k, 0, 1});
        scans.push_back({0, 1, k, k, 1, 0});
    }
    return scans;
}

// The DC scan, a first scan of all AC coefficients, and `refinements` repeats of their
// refinement: each repeat visits all 63 AC coefficients of every block.
std::vector<JpegScan> refinedOften(int refinements) {
    std::vector<JpegScan> scans{{0, 1, 0, 0, 0, 0}, {0, 1, 1, 63, 0, 1}};
    scans.insert(scans.end(), std::size_t(refinements), JpegScan{0, 1, 1, 63, 1, 0});
    return scans;
}

// A progressive file whose scans are never reached: the headers and a DC scan of zero bytes.
std::string progressiveDcOnly(int width, int height, int components) {
    return craftJpeg(width, height, components, 0xC2, {{0, components, 0, 0, 0, 0}});
}

// ---- PNG written byte by byte -------------------------------------------------------------

std::string chunk(const char* type, const std::string& data) {
    std::string body = std::string(type, 4) + data;
    const auto crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    return bigEndian32(std::uint32_t(data.size())) + body + bigEndian32(crc);
}

std::string deflated(const std::string& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9);
    out.resize(size);
    return out;
}

// Filtered rows (filter byte 0) of a one-channel picture of `depth` bits per sample, in
// Adam7 passes when interlaced.
std::string packedRows(int width, int height, int depth, bool interlaced, const std::function<int(int, int)>& sample) {
    struct Pass {
        int x0, y0, dx, dy;
    };
    const std::vector<Pass> passes = interlaced ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                                     {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                                                : std::vector<Pass>{{0, 0, 1, 1}};
    std::string raw;
    for (const Pass& p : passes) {
        const int columns = (width - p.x0 + p.dx - 1) / p.dx;
        if (columns <= 0) continue;
        for (int y = p.y0; y < height; y += p.dy) {
            std::string row(std::size_t(columns * depth + 7) / 8, '\0');
            for (int i = 0; i < columns; ++i) {
                const int bit = i * depth;
                row[std::size_t(bit / 8)] = char(row[std::size_t(bit / 8)] | sample(p.x0 + i * p.dx, y) << (8 - depth - bit % 8));
            }
            raw += '\0' + row;
        }
    }
    return raw;
}

// Filtered rows (filter byte 0) of a non-interlaced picture from one packed row.
std::string sameRows(const std::string& row, int height) {
    std::string raw;
    raw.reserve((row.size() + 1) * std::size_t(height));
    for (int y = 0; y < height; ++y) raw += '\0' + row;
    return raw;
}

std::string ihdr(std::uint32_t width, std::uint32_t height, int depth, int colourType, bool interlaced) {
    return bigEndian32(width) + bigEndian32(height) + char(depth) + char(colourType) + '\0' + '\0' + char(interlaced);
}

std::string craftPng(const std::string& header, const std::string& extraChunks, const std::string& idat,
                     bool withEnd = true) {
    return "\x89PNG\r\n\x1A\n" + chunk("IHDR", header) + extraChunks + chunk("IDAT", idat) +
           (withEnd ? chunk("IEND", "") : "");
}

// ---- Progress ------------------------------------------------------------------------------

// What the last load reported; recordProgress answers stop once past 0 % when asked to.
int gHighestPercent = -1;
int gCalls = 0;
bool gStopOnProgress = false;

std::int32_t recordProgress(std::int32_t percent) {
    ++gCalls;
    if (percent < gHighestPercent) ADD_FAILURE() << "progress went back from " << gHighestPercent << " to " << percent;
    gHighestPercent = std::max(gHighestPercent, percent);
    return gStopOnProgress && percent > 0 ? 0 : 1;
}

void resetProgress(bool stopOnProgress) {
    gHighestPercent = -1;
    gCalls = 0;
    gStopOnProgress = stopOnProgress;
}

IKHANDLE loadJpeg(const std::string& file, IKPROGRESSPROC progress = nullptr) {
    return IkJpegFileLoad(file.c_str(), progress, "", "", "");
}

// Processor time: the machine may be shared, and the work is what a hostile file costs.
double secondsSince(std::clock_t start) { return double(std::clock() - start) / CLOCKS_PER_SEC; }

bool allPixelsAre(const Rgba& image, std::uint8_t value) {
    for (std::size_t i = 0; i < image.bytes.size(); ++i)
        if (i % 4 != 3 && image.bytes[i] != value) return false;
    return !image.bytes.empty();
}

}  // namespace

// Pages whose whole-image coefficient buffers, scans or work exceed the decode budget are
// refused before the bitmap is allocated and well within seconds; their facts still read.
TEST_F(HostileFiles, JpegBeyondTheBudgetIsRefusedQuickly) {
    struct Case {
        const char* name;
        std::string bytes;
        int width;
        std::uint16_t status;
    };
    const Case cases[] = {
        {"progressive grey 22000 × 22000: 970 MB of coefficients", progressiveDcOnly(22000, 22000, 1), 22000, IK_ERR_MEMORY},
        {"progressive colour 12000 × 12000: 860 MB of coefficients", progressiveDcOnly(12000, 12000, 3), 12000, IK_ERR_MEMORY},
        {"127 scans of a small page", craftJpeg(64, 64, 1, 0xC2, greyProgression(63)), 64, IK_ERR_FILE_READ},
        {"22 scans of all coefficients of a 12000 × 12000 page: too much work", craftJpeg(12000, 12000, 1, 0xC2, refinedOften(20)), 12000,
         IK_ERR_FILE_READ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path("hostile.jpg");
        writeFile(file, c.bytes);
        resetProgress(false);
        const std::clock_t start = std::clock();
        EXPECT_EQ(loadJpeg(file, recordProgress), 0u);
        EXPECT_EQ(IkGetErrorStatus(), c.status);
        EXPECT_LT(secondsSince(start), 8.0);
        // Scaled decoding keeps the coefficient buffers and the scans whole: refused the same.
        const std::clock_t reducedStart = std::clock();
        EXPECT_EQ(IkFileLoadReduced(file.c_str(), 0, 64, 64, nullptr), 0u);
        EXPECT_EQ(IkGetErrorStatus(), c.status);
        EXPECT_LT(secondsSince(reducedStart), 8.0);
        IKFILEINFO facts{};
        ASSERT_TRUE(IkFileType(file.c_str(), 0, &facts));
        EXPECT_EQ(facts.width, c.width);
    }
}

// Arithmetic coding packs more picture into a byte than Huffman coding: the same claim from
// the same 30 KB is refused unread with Huffman coding and decoded with arithmetic coding.
TEST_F(HostileFiles, JpegSizeCheckFollowsTheCoding) {
    const struct {
        const char* name;
        std::uint8_t frame;
        bool decodingStarts;
    } cases[] = {{"Huffman", 0xC0, false}, {"arithmetic", 0xC9, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path("claim.jpg");
        writeFile(file, jpegHeaders(6000, 6000, 3, c.frame) + scanHeader({0, 3, 0, 63, 0, 0}) + std::string(30000, '\0'));
        resetProgress(false);
        KitImage image(loadJpeg(file, recordProgress));
        EXPECT_EQ(gCalls > 0, c.decodingStarts);
        if (!c.decodingStarts) {
            EXPECT_EQ(image.get(), 0u);
            EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
        }
    }
}

// Real encoders write about ten scans; a progression within the scan limit, a page of
// ordinary size and the sequential coding load with their exact pixels.
TEST_F(HostileFiles, JpegWithinTheBudgetLoads) {
    struct Case {
        const char* name;
        std::string bytes;
        int width, height, bits;
    };
    const Case cases[] = {
        {"89 scans", craftJpeg(64, 48, 1, 0xC2, greyProgression(44)), 64, 48, 8},
        {"progressive grey 1200 × 1700", craftJpeg(1200, 1700, 1, 0xC2, greyProgression(9)), 1200, 1700, 8},
        {"progressive colour, interleaved DC", craftJpeg(300, 200, 3, 0xC2, {{0, 3, 0, 0, 0, 0}, {0, 1, 1, 63, 0, 0},
                                                                             {1, 1, 1, 63, 0, 0}, {2, 1, 1, 63, 0, 0}}),
         300, 200, 24},
        {"sequential grey", craftJpeg(2000, 300, 1, 0xC0, {{0, 1, 0, 63, 0, 0}}), 2000, 300, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path("fine.jpg");
        writeFile(file, c.bytes);
        resetProgress(false);
        KitImage image(loadJpeg(file, recordProgress));
        ASSERT_NE(image.get(), 0u) << "status " << IkGetErrorStatus();
        IKIMAGEINFO info{};
        ASSERT_TRUE(IkGetImageType(image.get(), &info));
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        EXPECT_EQ(info.valueA, c.bits);
        EXPECT_TRUE(allPixelsAre(pixels(image.get()), 128));
        EXPECT_EQ(gHighestPercent, 100);
    }
}

// The scans of a progressive file are read before the first row comes out: progress is
// reported while they are read, and a stop answer there ends the load.
TEST_F(HostileFiles, JpegScansReportProgressAndStop) {
    const std::string file = path("scans.jpg");
    writeFile(file, craftJpeg(4000, 4000, 1, 0xC2, greyProgression(20)));
    resetProgress(true);
    EXPECT_EQ(loadJpeg(file, recordProgress), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_CANCELLED);
    EXPECT_GT(gHighestPercent, 0);
    // Two passes: the scans, then the rows; the stop came in the first.
    EXPECT_LT(gHighestPercent, 50);
}

// A file cut short or whose coded data runs into a marker is no picture; stray bytes
// between segments, common in camera files, are harmless.
TEST_F(HostileFiles, DamagedJpegFailsAndStrayBytesDoNot) {
    const std::string original = path("photo.jpg");
    ASSERT_EQ(shell("convert -seed 3 -size 96x64 plasma: -quality 90 '" + original + "'"), 0);
    const std::vector<std::uint8_t> bytes = fileBytes(original);
    const std::string whole(bytes.begin(), bytes.end());
    const std::size_t scanStart = whole.find("\xFF\xDA");
    const std::size_t tableStart = whole.find("\xFF\xC4");
    ASSERT_NE(scanStart, std::string::npos);
    ASSERT_NE(tableStart, std::string::npos);
    const std::size_t middle = scanStart + (whole.size() - scanStart) / 2;
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
    };
    const Case cases[] = {
        {"cut in the middle of the scan", whole.substr(0, middle), false},
        {"half the scan data taken out", whole.substr(0, middle) + "\xFF\xD9", false},
        {"stray bytes before a marker", whole.substr(0, tableStart) + "\x01\x02\x03" + whole.substr(tableStart), true},
    };
    KitImage reference(loadJpeg(original));
    ASSERT_NE(reference.get(), 0u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path("damaged.jpg");
        writeFile(file, c.bytes);
        KitImage image(loadJpeg(file));
        if (c.loads) {
            ASSERT_NE(image.get(), 0u) << "status " << IkGetErrorStatus();
            EXPECT_EQ(difference(pixels(image.get()), pixels(reference.get())), 0);
        } else {
            EXPECT_EQ(image.get(), 0u);
            EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
        }
        KitImage generic(loadPage(file));
        EXPECT_EQ(generic.get() != 0, c.loads);
    }
}

// ---- EXIF thumbnails ----------------------------------------------------------------------

namespace {

// An APP1 segment with EXIF values (the maker) and `thumbnail` as the JPEG thumbnail.
std::string exifSegment(const std::string& thumbnail) {
    auto entry = [](std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
        std::string e;
        for (std::uint32_t v : {std::uint32_t(tag), std::uint32_t(type)}) e += {char(v), char(v >> 8)};
        for (std::uint32_t v : {count, value}) e += {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        return e;
    };
    auto le16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    auto le32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    const std::string maker = "Tester";  // with its terminating zero: 7 bytes, stored after the IFDs
    const std::uint32_t ifd0 = 8, ifd1 = ifd0 + 2 + 12 + 4, makerAt = ifd1 + 2 + 2 * 12 + 4;
    const std::uint32_t thumbAt = makerAt + std::uint32_t(maker.size()) + 1;
    std::string tiff = std::string("II*\0", 4) + le32(ifd0);
    tiff += le16(1) + entry(0x010F, 2, std::uint32_t(maker.size()) + 1, makerAt) + le32(ifd1);
    tiff += le16(2) + entry(0x0201, 4, 1, thumbAt) + entry(0x0202, 4, 1, std::uint32_t(thumbnail.size())) + le32(0);
    tiff += maker + '\0' + thumbnail;
    return segment(0xE1, std::string("Exif\0\0", 6) + tiff);
}

}  // namespace

// A thumbnail is decoded only while it is of thumbnail size; a larger one is left out and
// the values are kept.
TEST_F(HostileFiles, ExifThumbnailIsBoundedAndTheValuesStay) {
    const std::string page = path("page.jpg");
    const std::string small = path("small.jpg");
    ASSERT_EQ(shell("convert -size 40x30 xc:gray50 '" + page + "'"), 0);
    ASSERT_EQ(shell("convert -size 16x12 xc:gray50 '" + small + "'"), 0);
    const std::vector<std::uint8_t> pageBytes = fileBytes(page), smallBytes = fileBytes(small);
    const std::string pageJpeg(pageBytes.begin(), pageBytes.end());
    struct Case {
        const char* name;
        std::string thumbnail;
        int width;  // 0: no thumbnail
    };
    const Case cases[] = {
        {"16 × 12", std::string(smallBytes.begin(), smallBytes.end()), 16},
        {"progressive 2048 × 2048", progressiveDcOnly(2048, 2048, 1), 0},
        {"progressive 1024 × 1024, the most", progressiveDcOnly(1024, 1024, 1), 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path("exif.jpg");
        writeFile(file, pageJpeg.substr(0, 2) + exifSegment(c.thumbnail) + pageJpeg.substr(2));
        IKEXIFINFO record{};
        ASSERT_TRUE(IkJpegExifInfo(file.c_str(), &record));
        EXPECT_EQ(IkGetErrorStatus(), IK_OK);
        EXPECT_STREQ(record.make, "Tester");
        KitImage thumbnail(record.thumbnail);
        if (c.width == 0) {
            EXPECT_EQ(thumbnail.get(), 0u);
        } else {
            IKIMAGEINFO info{};
            ASSERT_TRUE(IkGetImageType(thumbnail.get(), &info));
            EXPECT_EQ(info.width, c.width);
        }
    }
}

// ---- PNG ------------------------------------------------------------------------------------

// A palette page of one bit whose first colour is transparent: composed onto white it stays
// a 1-bit page with that entry white, with its alpha it becomes colour and keeps it;
// interlaced or not; 2-bit grey is widened to 4 bits, its transparent level made white.
TEST_F(HostileFiles, PngRowsConvertedOneByOne) {
    const int width = 37, height = 23;
    const std::string palette = chunk("PLTE", std::string("\xFF\x00\x00\x00\x00\xFF", 6)) + chunk("tRNS", std::string(1, '\0'));
    const auto everyThird = [](int x, int) { return x % 3 == 0 ? 1 : 0; };
    const auto fourGreys = [](int x, int) { return x % 4; };
    auto paletteFile = [&](bool interlaced) {
        return craftPng(ihdr(width, height, 1, 3, interlaced), palette, deflated(packedRows(width, height, 1, interlaced, everyThird)));
    };
    auto greyFile = [&](bool interlaced, const std::string& transparency = "") {
        return craftPng(ihdr(width, height, 2, 0, interlaced), transparency,
                        deflated(packedRows(width, height, 2, interlaced, fourGreys)));
    };
    struct Case {
        const char* name;
        std::string bytes;
        int page;
        int bits;
        int transparentGrey = -1;
    };
    const Case cases[] = {
        {"1-bit palette with a transparent colour, on white", paletteFile(false), 0, 1},
        {"the same, alpha kept", paletteFile(false), 32767, 32},
        {"the same interlaced, on white", paletteFile(true), 0, 1},
        {"the same interlaced, alpha kept", paletteFile(true), 32767, 32},
        {"2-bit grey", greyFile(false), 0, 4},
        {"2-bit grey interlaced", greyFile(true), 0, 4},
        {"2-bit grey with level 1 transparent, on white", greyFile(false, chunk("tRNS", bigEndian16(1))), 0, 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path("rows.png");
        writeFile(file, c.bytes);
        KitImage image(loadPage(file, c.page));
        ASSERT_NE(image.get(), 0u) << "status " << IkGetErrorStatus();
        IKIMAGEINFO info{};
        ASSERT_TRUE(IkGetImageType(image.get(), &info));
        EXPECT_EQ(info.valueA, c.bits);
        Rgba expected{width, height, {}};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const auto grey = std::uint8_t(x % 4 == c.transparentGrey ? 255 : x % 4 * 85);
                std::vector<std::uint8_t> rgba;
                if (c.bits == 4) rgba = {grey, grey, grey, 255};
                else if (x % 3 == 0) rgba = {0, 0, 255, 255};
                else if (c.bits == 32) rgba = {255, 0, 0, 0};
                else rgba = {255, 255, 255, 255};
                expected.bytes.insert(expected.bytes.end(), rgba.begin(), rgba.end());
            }
        EXPECT_EQ(difference(pixels(image.get()), expected, c.bits == 32), 0);
    }
}

// A PNG cut short, without its end chunk or with too little image data is no picture;
// a claim its data cannot deliver, or an interlaced page whose passes would need a whole
// colour buffer beyond the codec budget, is refused before anything is allocated.
TEST_F(HostileFiles, PngCutShortOrBeyondTheBudgetIsRefused) {
    const int width = 200, height = 100;
    // Noise, so that the data are about as large as the rows.
    std::string raw;
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        for (int i = 0; i < width * 3; ++i) raw += char((seed = seed * 1103515245u + 12345u) >> 24);
    }
    const std::string data = deflated(raw);
    const std::string complete = craftPng(ihdr(width, height, 8, 2, false), "", data);
    // A million columns of one bit with a transparent grey, its data cut to a tenth.
    const std::string wideRows = deflated(sameRows(std::string(125000, '\0'), 300));
    const std::string wide = craftPng(ihdr(1000000, 300, 1, 0, false), chunk("tRNS", bigEndian16(0)), wideRows);
    struct Case {
        const char* name;
        std::string bytes;
        std::uint16_t status;
        bool decodingStarts;
    };
    const Case cases[] = {
        {"cut in the middle of the data", complete.substr(0, complete.size() / 2), IK_ERR_FILE_READ, true},
        {"without its end chunk", craftPng(ihdr(width, height, 8, 2, false), "", data, false), IK_ERR_FILE_READ, true},
        {"cut inside the last checksum", craftPng(ihdr(width, height, 8, 2, false), "", data, false).substr(0, complete.size() - 14),
         IK_ERR_FILE_READ, true},
        {"too little image data", craftPng(ihdr(width, height + 1, 8, 2, false), "", data), IK_ERR_FILE_READ, true},
        {"a million 1-bit columns cut to a tenth", wide.substr(0, wide.find("IDAT") + 4 + wideRows.size() / 10),
         IK_ERR_FILE_READ, false},
        {"interlaced RGBA 16000 × 16000 composed onto white",
         craftPng(ihdr(16000, 16000, 8, 6, true), "", std::string(std::size_t(1) << 20, '\0')), IK_ERR_MEMORY, false},
    };
    KitImage whole(loadPage([&] {
        const std::string file = path("complete.png");
        writeFile(file, complete);
        return file;
    }()));
    ASSERT_NE(whole.get(), 0u) << "status " << IkGetErrorStatus();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path("hostile.png");
        writeFile(file, c.bytes);
        resetProgress(false);
        const std::clock_t start = std::clock();
        EXPECT_EQ(IkPngFileLoadEx(file.c_str(), 1, recordProgress, "", "", ""), 0u);
        EXPECT_EQ(IkGetErrorStatus(), c.status);
        EXPECT_EQ(gCalls > 0, c.decodingStarts);
        EXPECT_EQ(loadPage(file), 0u);
        EXPECT_LT(secondsSince(start), 5.0);
    }
    // The facts of the wide page come from its header alone.
    const std::string file = path("wide.png");
    writeFile(file, wide);
    IKFILEINFO facts{};
    ASSERT_TRUE(IkFileType(file.c_str(), 0, &facts));
    EXPECT_EQ(facts.width, 1000000);
    EXPECT_EQ(facts.height, 300);
}

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, std::size_t),
                                                         void (*freeHook)(const volatile void*));
namespace {
// The largest single allocation while gMeasuring is set.
std::atomic<bool> gMeasuring{false};
std::atomic<std::size_t> gLargestAllocation{0};
void noteAllocation(const volatile void*, std::size_t size) {
    if (!gMeasuring) return;
    std::size_t largest = gLargestAllocation;
    while (size > largest && !gLargestAllocation.compare_exchange_weak(largest, size)) {}
}
void noteFree(const volatile void*) {}
}  // namespace
#endif

// Ancillary chunks whose declared lengths claim 1.7 GB in a file of a hundred bytes: libpng
// allocates a chunk's length before reading it, so the decode budget bounds what it may take.
TEST_F(HostileFiles, PngChunkLengthsDoNotDecideAllocations) {
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "needs the sanitizer's allocation hooks";
#else
    static const int installed = __sanitizer_install_malloc_and_free_hooks(noteAllocation, noteFree);
    ASSERT_NE(installed, 0);
    for (const char* type : {"tdat", "iCCP", "tEXt", "zTXt", "iTXt", "sPLT"}) {
        SCOPED_TRACE(type);
        const std::string bytes = "\x89PNG\r\n\x1A\n" + chunk("IHDR", ihdr(8, 6, 8, 6, false)) + bigEndian32(0x66744558) +
                                  type + std::string("name\0\0", 6) + std::string(64, 'x');
        const std::string file = path("chunk.png");
        writeFile(file, bytes);
        gLargestAllocation = 0;
        gMeasuring = true;
        IKFILEINFO facts{};
        const bool factsRead = IkFileType(file.c_str(), 0, &facts);
        KitImage image(loadPage(file));
        gMeasuring = false;
        EXPECT_FALSE(factsRead);
        EXPECT_EQ(image.get(), 0u);
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
        EXPECT_LT(gLargestAllocation.load(), std::size_t{64} << 20);
    }
#endif
}
