// Crafted BMP, PCX and GIF files: runs that go past a row, a line or the bitmap, files cut
// short, GIFs of very many images. Each is refused with a read failure and no image, or
// loads with exactly the pixels it codes.
#include "FileFixture.h"

#include <fstream>
#include <functional>

using namespace Ikdllprocs;

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(Bytes& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes repeated(const Bytes& unit, std::size_t times) {
    Bytes out;
    out.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) out.insert(out.end(), unit.begin(), unit.end());
    return out;
}
Bytes cut(Bytes bytes, std::size_t dropped) {
    bytes.resize(bytes.size() - dropped);
    return bytes;
}

// Index i of every crafted colour table shows as this colour.
struct Rgb {
    std::uint8_t r, g, b;
};
Rgb colourOf(int i) { return {std::uint8_t(i * 16), std::uint8_t(255 - i * 8), std::uint8_t(i * 5 + 1)}; }

// Rows from the top, one hex digit per pixel: the palette index shown there.
Rgba expectedPixels(const std::vector<std::string>& rows) {
    Rgba out;
    out.height = static_cast<std::int32_t>(rows.size());
    out.width = rows.empty() ? 0 : static_cast<std::int32_t>(rows[0].size());
    for (const std::string& row : rows)
        for (char digit : row) {
            const Rgb c = colourOf(std::stoi(std::string(1, digit), nullptr, 16));
            out.bytes.insert(out.bytes.end(), {c.r, c.g, c.b, 255});
        }
    return out;
}

// A bottom-up BMP with a 40-byte header and a full colour table of colourOf entries.
Bytes bmp(std::int32_t width, std::int32_t height, int bits, int compression, const Bytes& pixels) {
    const std::uint32_t colours = 1u << bits, offset = 14 + 40 + 4 * colours;
    Bytes out{'B', 'M'};
    put32(out, offset + static_cast<std::uint32_t>(pixels.size()));
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bits));
    put32(out, static_cast<std::uint32_t>(compression));
    put32(out, static_cast<std::uint32_t>(pixels.size()));
    for (int i = 0; i < 4; ++i) put32(out, 0);
    for (std::uint32_t i = 0; i < colours; ++i) {
        const Rgb c = colourOf(int(i % 16));
        out.insert(out.end(), {c.b, c.g, c.r, 0});
    }
    return out + pixels;
}
Bytes rle8(std::int32_t width, std::int32_t height, const Bytes& data) { return bmp(width, height, 8, 1, data); }
Bytes rle4(std::int32_t width, std::int32_t height, const Bytes& data) { return bmp(width, height, 4, 2, data); }

// A PCX header; with `palette` the 0x0C mark and 256 colourOf entries follow the runs.
Bytes pcx(int width, int height, int bitsPerPlane, int planes, int bytesPerLine, const Bytes& runs, bool palette) {
    Bytes out(128, 0);
    out[0] = 0x0A;
    out[1] = 5;
    out[2] = 1;
    out[3] = std::uint8_t(bitsPerPlane);
    out[8] = std::uint8_t(width - 1);
    out[9] = std::uint8_t((width - 1) >> 8);
    out[10] = std::uint8_t(height - 1);
    out[11] = std::uint8_t((height - 1) >> 8);
    out[65] = std::uint8_t(planes);
    out[66] = std::uint8_t(bytesPerLine);
    out[67] = std::uint8_t(bytesPerLine >> 8);
    out = out + runs;
    if (palette) {
        out.push_back(0x0C);
        for (int i = 0; i < 256; ++i) {
            const Rgb c = colourOf(i % 16);
            out.insert(out.end(), {c.r, c.g, c.b});
        }
    }
    return out;
}
Bytes pcx8(int width, int height, const Bytes& runs, bool palette = true) {
    return pcx(width, height, 8, 1, width + (width & 1), runs, palette);
}

using HostileFiles = FileKit;

struct Case {
    const char* name;
    std::function<Bytes()> make;
    int status;                       // IK_OK: loads with `rows`
    std::vector<std::string> rows;    // palette indices, top row first
};

const Bytes kEndOfLine{0, 0}, kEndOfBitmap{0, 1};

// The column of a row grows by 255 with each run: about 8.5 million runs pass 2^31.
constexpr std::size_t kRunsPastTwoGigapixels = 8'500'000;

const Case kCases[] = {
    // BMP run-length data
    {"RLE8 runs past 2^31 columns are dropped at the row end",
     [] { return rle8(4, 2, repeated({255, 7}, kRunsPastTwoGigapixels) + Bytes{3, 5} + kEndOfLine + Bytes{4, 9} + kEndOfLine + kEndOfBitmap); },
     IK_OK, {"9999", "7777"}},
    {"RLE8 delta moves right and up, end of bitmap leaves the rest at 0",
     [] { return rle8(4, 3, Bytes{2, 1, 0, 2, 1, 1, 1, 6} + kEndOfLine + Bytes{4, 2} + kEndOfLine + kEndOfBitmap); },
     IK_OK, {"2222", "0006", "1100"}},
    {"RLE8 delta up to the top edge ends the bitmap",
     [] { return rle8(2, 3, Bytes{2, 3} + kEndOfLine + Bytes{0, 2, 0, 2}); }, IK_OK, {"00", "00", "33"}},
    {"RLE8 delta past the row end", [] { return rle8(4, 2, Bytes{2, 1, 0, 2, 3, 0, 1, 4} + kEndOfBitmap); },
     IK_ERR_FILE_READ, {}},
    {"RLE8 delta past the last row", [] { return rle8(4, 2, Bytes{4, 1, 0, 2, 0, 3} + kEndOfBitmap); }, IK_ERR_FILE_READ, {}},
    {"RLE8 last row full without end of line or bitmap", [] { return rle8(2, 2, Bytes{2, 1} + kEndOfLine + Bytes{2, 2}); },
     IK_OK, {"22", "11"}},
    {"RLE8 cut after half its rows",
     [] { return rle8(4, 4, Bytes{4, 1} + kEndOfLine + Bytes{4, 2} + kEndOfLine); }, IK_ERR_FILE_READ, {}},
    {"RLE8 cut inside the last row", [] { return rle8(2, 2, Bytes{2, 1} + kEndOfLine + Bytes{1, 2}); }, IK_ERR_FILE_READ, {}},
    {"RLE8 cut inside a literal run", [] { return rle8(4, 1, Bytes{0, 4, 1, 2}); }, IK_ERR_FILE_READ, {}},
    {"RLE8 cut inside a delta", [] { return rle8(4, 1, Bytes{0, 2, 1}); }, IK_ERR_FILE_READ, {}},
    {"RLE4 literal and repeated nibbles",
     [] { return rle4(5, 1, Bytes{0, 3, 0x12, 0x30, 2, 0x45} + kEndOfLine + kEndOfBitmap); }, IK_OK, {"12345"}},
    {"RLE4 runs past the row end are dropped",
     [] { return rle4(3, 2, Bytes{5, 0x12} + kEndOfLine + Bytes{0, 4, 0x34, 0x56, 9, 0x77} + kEndOfLine + kEndOfBitmap); },
     IK_OK, {"345", "121"}},
    {"RLE4 cut after its first row", [] { return rle4(4, 2, Bytes{4, 0x12} + kEndOfLine); }, IK_ERR_FILE_READ, {}},
    {"RLE4 runs past 2^31 columns",
     [] { return rle4(3, 1, repeated({255, 0x12}, kRunsPastTwoGigapixels) + Bytes{2, 0x33} + kEndOfLine); }, IK_OK, {"121"}},
    {"RLE8 declaring 60000 × 60000 pixels in a few bytes",
     [] { return rle8(60000, 60000, Bytes{4, 1} + kEndOfBitmap); }, IK_ERR_FILE_READ, {}},
    // Plain BMP rows (8 bits, 3 pixels, rows padded to 4 bytes)
    {"plain rows complete", [] { return bmp(3, 2, 8, 0, {1, 2, 3, 0, 4, 5, 6, 0}); }, IK_OK, {"456", "123"}},
    {"plain rows missing the last padding byte", [] { return bmp(3, 2, 8, 0, {1, 2, 3, 0, 4, 5, 6}); }, IK_ERR_FILE_READ, {}},
    {"plain rows missing a row", [] { return bmp(3, 2, 8, 0, {1, 2, 3, 0}); }, IK_ERR_FILE_READ, {}},
    // PCX runs (8 bits, 4 pixels: lines of 4 bytes)
    // 0xC4 0xC1: a value above 0xBF is always coded as a run (index 193 shows colour 1).
    {"PCX runs and literals", [] { return pcx8(4, 2, {0xC3, 1, 2, 0xC4, 0xC1}); }, IK_OK, {"1112", "1111"}},
    {"PCX run across the line end goes on in the next line",
     [] { return pcx8(4, 2, {0xC6, 5, 7, 8, 0xC2, 9}); }, IK_OK, {"5555", "5578"}},
    {"PCX run past the last line is dropped", [] { return pcx8(2, 1, {0xFF, 3}); }, IK_OK, {"33"}},
    {"PCX empty runs", [] { return pcx8(2, 1, {0xC0, 4, 0xC0, 5, 0xC2, 6}); }, IK_OK, {"66"}},
    {"PCX without its palette", [] { return cut(pcx8(4, 1, {0xC4, 1}), 769); }, IK_ERR_FILE_READ, {}},
    {"PCX with half its palette", [] { return cut(pcx8(4, 1, {0xC4, 1}), 400); }, IK_ERR_FILE_READ, {}},
    {"PCX of long lines without its palette", [] { return cut(pcx8(800, 2, repeated({1}, 1600)), 769); }, IK_ERR_FILE_READ, {}},
    {"PCX missing its last run before the palette", [] { return pcx8(4, 2, {0xC4, 1, 0xC2, 2}); }, IK_ERR_FILE_READ, {}},
    {"PCX 1 bit cut in its last line", [] { return pcx(16, 2, 1, 1, 2, {0x0F, 0x00, 0xF0}, false); }, IK_ERR_FILE_READ, {}},
    {"PCX line shorter than the width", [] { return pcx(9, 1, 1, 1, 1, {0xC2, 0xFF}, false); }, IK_ERR_FILE_READ, {}},
    {"PCX declaring 65535 × 65535 pixels in a few bytes",
     [] { return pcx8(65535, 65535, {0xFF, 1, 0xFF, 1}); }, IK_ERR_FILE_READ, {}},
};

void writeFile(const std::string& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(HostileFiles, CraftedBmpAndPcxLoadExactlyOrFailAsUnreadable) {
    int n = 0;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string file = path("case" + std::to_string(n++) + ".img");
        writeFile(file, c.make());
        KitImage image(loadPage(file));
        EXPECT_EQ(IkGetErrorStatus(), c.status);
        if (c.status != IK_OK) {
            EXPECT_EQ(image.get(), 0u);
            continue;
        }
        ASSERT_NE(image.get(), 0u);
        EXPECT_EQ(difference(pixels(image.get()), expectedPixels(c.rows)), 0);
    }
}

// The 24-bit PCX planes (red, green, blue) of one line: runs cross from one to the next.
TEST_F(HostileFiles, PcxRunsCrossPlanesWithinALine) {
    const std::string file = path("planes.pcx");
    writeFile(file, pcx(2, 1, 8, 3, 2, {0xC3, 10, 20, 0xC2, 30}, false));
    KitImage image(loadPage(file));
    ASSERT_NE(image.get(), 0u) << IkGetErrorStatus();
    const Rgba seen = pixels(image.get());
    EXPECT_EQ(seen.bytes, (Bytes{10, 10, 30, 255, 10, 20, 30, 255}));
}

// Stopping the progress of a run-length BMP stops the load.
TEST_F(HostileFiles, RunLengthBmpLoadStopsWhenAsked) {
    const std::string file = path("stop.bmp");
    writeFile(file, rle8(4, 200, repeated(Bytes{4, 1} + kEndOfLine, 200)));
    KitImage image(IkFileLoad(file.c_str(), 0, 0, 0, [](std::int32_t) -> std::int32_t { return 0; }, "", "", ""));
    EXPECT_EQ(image.get(), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_CANCELLED);
}

// GIF: a 1 × 1 screen with a black and white table; each image 1 × 1 of one index.
Bytes gifHeader() {
    Bytes out{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0};
    return out + Bytes{0, 0, 0, 255, 255, 255};
}
Bytes gifImage(int index) {
    // Codes of 3 bits: clear (4), the index, end (5).
    return {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, std::uint8_t(0x44 | index << 3), 0x01, 0};
}
const Bytes kGifTrailer{0x3B};

struct GifAnswer {
    int page;
    int status;     // of both the facts and the load
    int pageCount;  // in the facts, when they succeed
    int white;      // the loaded pixel is white (1) or black (0)
};

class HostileGifs : public FileKit {
protected:
    // The facts of each image and its load give the same status; both see the same image.
    void expectFactsAndLoadAgree(const std::string& file, const std::vector<GifAnswer>& answers) {
        for (const GifAnswer& a : answers) {
            SCOPED_TRACE("image " + std::to_string(a.page));
            IKFILEINFO facts{};
            const IKBOOL known = IkFileType(file.c_str(), a.page, &facts);
            EXPECT_EQ(IkGetErrorStatus(), a.status);
            KitImage image(loadPage(file, a.page));
            EXPECT_EQ(IkGetErrorStatus(), a.status);
            if (a.status != IK_OK) {
                EXPECT_FALSE(known);
                EXPECT_EQ(image.get(), 0u);
                continue;
            }
            EXPECT_TRUE(known);
            EXPECT_EQ(facts.pageCount, a.pageCount);
            ASSERT_NE(image.get(), 0u);
            const std::uint8_t level = a.white ? 255 : 0;
            EXPECT_EQ(pixels(image.get()).bytes, (Bytes{level, level, level, 255}));
        }
    }
};

// The kit addresses the first 32,767 images (page 32767 asks a load for alpha, which GIF
// lacks: image 0); the facts count no further and agree with the loads on every image,
// also far beyond, where a file of tiny images could make a count take long.
TEST_F(HostileGifs, GifOfMoreImagesThanAddressedAgreesInFactsAndLoad) {
    constexpr int kAddressed = 32767, kImages = 65546;
    const std::string file = path("many.gif");
    writeFile(file, gifHeader() + repeated(gifImage(0), kAddressed - 1) + gifImage(1) +
                        repeated(gifImage(0), kImages - kAddressed) + kGifTrailer);
    expectFactsAndLoadAgree(file, {{0, IK_OK, kAddressed, 0},
                                   {kAddressed - 1, IK_OK, kAddressed, 1},
                                   {kAddressed + 1, IK_ERR_ARGUMENT, 0, 0},
                                   {65536, IK_ERR_ARGUMENT, 0, 0},
                                   {kImages - 1, IK_ERR_ARGUMENT, 0, 0}});
    IKFILEINFO facts{};
    EXPECT_FALSE(IkFileType(file.c_str(), kAddressed, &facts));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
    KitImage first(loadPage(file, kAddressed));
    EXPECT_EQ(pixels(first.get()).bytes, (Bytes{0, 0, 0, 255}));
}

TEST_F(HostileGifs, CutGifAgreesInFactsAndLoad) {
    const Bytes images = gifHeader() + gifImage(0) + gifImage(1) + gifImage(1);
    const std::string noTrailer = path("notrailer.gif");
    writeFile(noTrailer, images);
    expectFactsAndLoadAgree(noTrailer, {{2, IK_OK, 3, 1}, {3, IK_ERR_ARGUMENT, 0, 0}});
    // Cut inside the third image's data: the first two stay whole.
    const std::string broken = path("broken.gif");
    writeFile(broken, cut(images, 3));
    expectFactsAndLoadAgree(broken, {{0, IK_OK, 2, 0},
                                     {1, IK_OK, 2, 1},
                                     {2, IK_ERR_FILE_READ, 0, 0},
                                     {3, IK_ERR_FILE_READ, 0, 0}});
}

}  // namespace
