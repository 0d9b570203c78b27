// JPEG 2000 files crafted to cost the decoder far more than their size: palettes that
// multiply components or overflow the reduction to 8 bits, headers declaring thousands of
// components and tiles, and precinct partitions of one pixel. Each is refused quickly with
// a status, by the facts as by the load; files within the budget load as the facts say.
#include "FileFixture.h"

#include <chrono>
#include <cstdio>

using namespace Ikdllprocs;

namespace {

// Big-endian bytes of code stream markers and JP2 boxes.
struct Bytes {
    std::vector<std::uint8_t> data;
    Bytes& u8(std::uint32_t v) { data.push_back(std::uint8_t(v)); return *this; }
    Bytes& u16(std::uint32_t v) { return u8(v >> 8).u8(v); }
    Bytes& u32(std::uint32_t v) { return u16(v >> 16).u16(v); }
    Bytes& text(const char* s) { while (*s) u8(std::uint8_t(*s++)); return *this; }
    Bytes& bytes(const std::vector<std::uint8_t>& b) { data.insert(data.end(), b.begin(), b.end()); return *this; }
    // A marker segment: marker, length, contents.
    Bytes& segment(std::uint32_t marker, const Bytes& body) { return u16(marker).u16(std::uint32_t(body.data.size()) + 2).bytes(body.data); }
    // A box: length, type, contents.
    Bytes& box(const char* type, const Bytes& body) { return u32(std::uint32_t(body.data.size()) + 8).text(type).bytes(body.data); }
};

// A code stream's declared geometry and coding; its one tile part holds empty packets,
// so a decode gives every sample the value zero before the level shift.
struct Stream {
    std::uint32_t width = 16, height = 8;
    std::uint32_t tileWidth = 0, tileHeight = 0;  // 0: one tile
    std::uint32_t components = 1;
    int bits = 8;
    bool sign = false;
    int levels = 0;
    std::uint32_t layers = 1;
    std::vector<std::uint8_t> precincts;        // PPy << 4 | PPx per resolution; empty: the largest
    std::vector<std::uint8_t> tilePrecincts;    // a COD in the tile-part header, when not empty
    std::uint32_t padding = 0;                  // bytes of comments in the main header
};

Bytes cod(const Stream& s, const std::vector<std::uint8_t>& precincts) {
    Bytes body;
    body.u8(precincts.empty() ? 0 : 1).u8(0).u16(s.layers).u8(0);
    body.u8(std::uint32_t(s.levels)).u8(4).u8(4).u8(0).u8(1);  // 64 × 64 code blocks, 5/3 wavelet
    for (const std::uint8_t p : precincts) body.u8(p);
    return body;
}

std::vector<std::uint8_t> codeStream(const Stream& s) {
    Bytes out;
    out.u16(0xFF4F);
    Bytes siz;
    siz.u16(0).u32(s.width).u32(s.height).u32(0).u32(0);
    siz.u32(s.tileWidth ? s.tileWidth : s.width).u32(s.tileHeight ? s.tileHeight : s.height).u32(0).u32(0);
    siz.u16(s.components);
    for (std::uint32_t c = 0; c < s.components; ++c) siz.u8((s.sign ? 0x80 : 0) | std::uint32_t(s.bits - 1)).u8(1).u8(1);
    out.segment(0xFF51, siz);
    out.segment(0xFF52, cod(s, s.precincts));
    Bytes qcd;
    qcd.u8(0x40);  // reversible, two guard bits
    for (int band = 0; band < 3 * s.levels + 1; ++band) qcd.u8(std::uint32_t(std::min(s.bits, 30)) << 3);
    out.segment(0xFF5C, qcd);
    for (std::uint32_t left = s.padding; left > 0;) {
        const std::uint32_t n = std::min<std::uint32_t>(left, 60000);
        Bytes comment;
        comment.u16(0).bytes(std::vector<std::uint8_t>(n, 'x'));
        out.segment(0xFF64, comment);
        left -= n;
    }
    Bytes tilePart;
    if (!s.tilePrecincts.empty()) tilePart.segment(0xFF52, cod(s, s.tilePrecincts));
    const std::vector<std::uint8_t> packets(64, 0);  // an empty packet is one zero byte
    out.u16(0xFF90).u16(10).u16(0).u32(std::uint32_t(12 + tilePart.data.size() + 2 + packets.size())).u8(0).u8(1);
    out.bytes(tilePart.data).u16(0xFF93).bytes(packets).u16(0xFFD9);
    return out.data;
}

struct Palette {
    std::vector<std::uint8_t> columns;  // Bi: sign bit, depth − 1
    std::vector<std::uint32_t> entries;  // entries × columns values
};

// A JP2 file around a one-component code stream, with a palette when given.
std::vector<std::uint8_t> jp2File(const std::vector<std::uint8_t>& stream, const Palette* palette, std::uint32_t w,
                                  std::uint32_t h) {
    Bytes header;
    header.box("ihdr", Bytes().u32(h).u32(w).u16(1).u8(7).u8(7).u8(0).u8(0));
    header.box("colr", Bytes().u8(1).u8(0).u8(0).u32(palette ? 16 : 17));
    if (palette) {
        const std::size_t columns = palette->columns.size();
        Bytes pclr, cmap;
        pclr.u16(std::uint32_t(palette->entries.size() / columns)).u8(std::uint32_t(columns));
        for (const std::uint8_t b : palette->columns) pclr.u8(b);
        for (std::size_t i = 0; i < palette->entries.size(); ++i) {
            const int bytes = ((palette->columns[i % columns] & 0x7F) + 8) / 8;
            for (int k = bytes - 1; k >= 0; --k) pclr.u8(palette->entries[i] >> (8 * k));
        }
        for (std::size_t c = 0; c < columns; ++c) cmap.u16(0).u8(1).u8(std::uint32_t(c));
        header.box("pclr", pclr).box("cmap", cmap);
    }
    Bytes file;
    file.u32(12).text("jP  ").u32(0x0D0A870A);
    file.box("ftyp", Bytes().text("jp2 ").u32(0).text("jp2 "));
    file.box("jp2h", header).box("jp2c", Bytes().bytes(stream));
    return file.data;
}

void writeFile(const std::string& file, const std::vector<std::uint8_t>& bytes) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
    std::fclose(out);
}

Palette wide(std::size_t columns, std::uint8_t column) {
    return {std::vector<std::uint8_t>(columns, column), std::vector<std::uint32_t>(columns * 256, 0)};
}

class HostileJ2k : public FileKit {
protected:
    static void expectFactsAndLoad(const std::string& file, bool accepted, int grey = -1);
};

// The facts and the load of a file agree: both refuse it with the status, or the load
// gives a picture of the facts' size and depth whose pixels all have the value `grey`.
void HostileJ2k::expectFactsAndLoad(const std::string& file, bool accepted, int grey) {
    IKFILEINFO facts{};
    const auto start = std::chrono::steady_clock::now();
    const bool known = IkFileType(file.c_str(), 0, &facts);
    const int factsStatus = IkGetErrorStatus();
    KitImage image(loadPage(file));
    const int loadStatus = IkGetErrorStatus();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    if (!accepted) {
        EXPECT_FALSE(known);
        EXPECT_EQ(factsStatus, IK_ERR_FILE_READ);
        EXPECT_EQ(image.get(), 0u);
        EXPECT_EQ(loadStatus, IK_ERR_FILE_READ);
        EXPECT_EQ(IkFileLoadReduced(file.c_str(), 0, 16, 16, nullptr), 0u);
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
        return;
    }
    ASSERT_TRUE(known) << "status " << factsStatus;
    ASSERT_NE(image.get(), 0u) << "status " << loadStatus;
    IKIMAGEINFO info{};
    ASSERT_TRUE(IkGetImageType(image.get(), &info));
    EXPECT_EQ(info.valueA, facts.bitsPerPixel);
    EXPECT_EQ(info.width, facts.width);
    EXPECT_EQ(info.height, facts.height);
    if (grey < 0) return;
    const Rgba rgba = pixels(image.get());
    for (std::size_t i = 0; i < rgba.bytes.size(); i += 4) {
        ASSERT_EQ(rgba.bytes[i], grey) << "pixel " << i / 4;
        ASSERT_EQ(rgba.bytes[i + 1], grey);
        ASSERT_EQ(rgba.bytes[i + 2], grey);
    }
}

TEST_F(HostileJ2k, CraftedHeadersAreRefusedBeforeOpenJpegAllocates) {
    struct Case {
        const char* name;
        Stream stream;
        const Palette* palette;  // wrapped in a JP2 file when set
        bool accepted;
        int grey;
    };
    const Palette signed32 = wide(3, 0x80 | 31);
    const Palette unsigned32 = wide(3, 31);
    const Palette columns255 = wide(255, 7);
    const Palette columns5 = wide(5, 7);
    Stream big;
    big.width = big.height = 2048;
    const auto with = [](Stream s, auto change) { change(s); return s; };
    const Case cases[] = {
        {"grey 8 bits", {}, nullptr, true, 128},
        {"grey signed 8 bits", with(Stream{}, [](Stream& s) { s.sign = true; }), nullptr, true, 128},
        {"grey 31 bits", with(Stream{}, [](Stream& s) { s.bits = 31; }), nullptr, true, 128},
        {"grey signed 31 bits", with(Stream{}, [](Stream& s) { s.bits = 31; s.sign = true; }), nullptr, true, 128},
        {"grey 1 bit", with(Stream{}, [](Stream& s) { s.bits = 1; }), nullptr, true, 255},
        {"grey 4 bits", with(Stream{}, [](Stream& s) { s.bits = 4; }), nullptr, true, 136},
        {"RGBA", with(Stream{}, [](Stream& s) { s.components = 4; }), nullptr, true, 128},
        {"JP2 grey", {}, nullptr, true, 128},
        {"palette of signed 32-bit columns", {}, &signed32, false, -1},
        {"palette of 32-bit columns", {}, &unsigned32, false, -1},
        {"palette of 255 columns", with(Stream{}, [](Stream& s) { s.width = s.height = 1500; }), &columns255, false, -1},
        {"palette of 5 columns", {}, &columns5, false, -1},
        {"5 components", with(Stream{}, [](Stream& s) { s.components = 5; }), nullptr, false, -1},
        {"24 components in 65535 tiles",
         with(Stream{}, [](Stream& s) { s.width = 65535; s.height = 1; s.tileWidth = s.tileHeight = 1; s.components = 24; }),
         nullptr, false, -1},
        {"16384 components in 170 tiles",
         with(Stream{}, [](Stream& s) { s.width = 170; s.height = 1; s.tileWidth = s.tileHeight = 1; s.components = 16384; }),
         nullptr, false, -1},
        {"4 components in 65535 tiles",
         with(Stream{}, [](Stream& s) { s.width = 65535; s.height = 1; s.tileWidth = s.tileHeight = 1; s.components = 4; }),
         nullptr, false, -1},
        {"1 x 1 precincts over 2048 x 2048", with(big, [](Stream& s) { s.precincts = {0}; }), nullptr, false, -1},
        {"2 x 2 precincts over 5 levels",
         with(big, [](Stream& s) { s.levels = 5; s.precincts = {0, 0x11, 0x11, 0x11, 0x11, 0x11}; }), nullptr, false, -1},
        {"1 x 1 precincts in a tile-part header", with(big, [](Stream& s) { s.tilePrecincts = {0}; }), nullptr, false, -1},
        {"65535 layers of 4 components in 85 precincts",
         with(Stream{}, [](Stream& s) {
             s.width = s.height = 1024; s.components = 4; s.layers = 65535; s.levels = 5;
             s.precincts = {0x77, 0x77, 0x77, 0x77, 0x77, 0x77};
         }),
         nullptr, false, -1},
        {"16384 x 16384 grey: OpenJPEG's samples beyond its memory",
         with(Stream{}, [](Stream& s) { s.width = s.height = 16384; s.padding = 70000; }), nullptr, false, -1},
        {"16384 x 8192 grey of 100 bytes", with(big, [](Stream& s) { s.width = 16384; s.height = 8192; }), nullptr, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> stream = codeStream(c.stream);
        const bool jp2 = c.palette || std::string(c.name).rfind("JP2", 0) == 0;
        const std::string file = path(jp2 ? "case.jp2" : "case.j2k");
        writeFile(file, jp2 ? jp2File(stream, c.palette, c.stream.width, c.stream.height) : stream);
        expectFactsAndLoad(file, c.accepted, c.grey);
    }
}

// Index samples written losslessly by ImageMagick, wrapped in a JP2 file with a palette:
// every pixel is its index's palette entry, and the facts give the depth of the load.
TEST_F(HostileJ2k, PalettePixelsAreTheirEntries) {
    const int w = 16, h = 4;
    Bytes pgm;
    pgm.text("P5 16 4 255\n");
    for (int i = 0; i < w * h; ++i) pgm.u8(std::uint32_t(i * 4 % 256));
    writeFile(path("index.pgm"), pgm.data);
    ASSERT_EQ(shell("convert '" + path("index.pgm") + "' -quality 0 '" + path("index.j2k") + "'"), 0);
    struct Case {
        const char* name;
        std::uint8_t column;  // Bi of every column
        std::size_t columns;
        int bits;
    };
    const Case cases[] = {{"RGB of 8 bits", 7, 3, 24}, {"RGB of 16 bits", 15, 3, 24}, {"grey of 8 bits", 7, 1, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int shift = (c.column & 0x7F) + 1 - 8;
        Palette palette{std::vector<std::uint8_t>(c.columns, c.column), {}};
        const auto entry = [&](std::uint32_t index, std::size_t column) -> std::uint32_t {
            const std::uint32_t value = column == 0 ? index : column == 1 ? 255 - index : index * 7 % 256;
            return (value << shift) | (shift > 0 ? 0x55u : 0u);
        };
        for (std::uint32_t i = 0; i < 256; ++i)
            for (std::size_t col = 0; col < c.columns; ++col) palette.entries.push_back(entry(i, col));
        const std::string file = path("palette.jp2");
        writeFile(file, jp2File(fileBytes(path("index.j2k")), &palette, w, h));
        IKFILEINFO facts{};
        ASSERT_TRUE(IkFileType(file.c_str(), 0, &facts)) << IkGetErrorStatus();
        EXPECT_EQ(facts.bitsPerPixel, c.bits);
        EXPECT_EQ(facts.valueK, int(c.columns));
        KitImage image(loadPage(file));
        ASSERT_NE(image.get(), 0u) << IkGetErrorStatus();
        IKIMAGEINFO info{};
        ASSERT_TRUE(IkGetImageType(image.get(), &info));
        EXPECT_EQ(info.valueA, facts.bitsPerPixel);
        const Rgba rgba = pixels(image.get());
        ASSERT_EQ(rgba.width, w);
        ASSERT_EQ(rgba.height, h);
        for (int i = 0; i < w * h; ++i) {
            const std::uint32_t index = std::uint32_t(i * 4 % 256);
            const std::uint32_t g = c.columns == 3 ? 1 : 0, b = c.columns == 3 ? 2 : 0;
            ASSERT_EQ(rgba.bytes[4 * i], entry(index, 0) >> shift) << "pixel " << i;
            ASSERT_EQ(rgba.bytes[4 * i + 1], entry(index, g) >> shift) << "pixel " << i;
            ASSERT_EQ(rgba.bytes[4 * i + 2], entry(index, b) >> shift) << "pixel " << i;
        }
    }
}

// Files of ImageMagick load as it reads them; the same files cut short are refused rather
// than loaded half decoded.
TEST_F(HostileJ2k, TruncatedStreamsAreRefused) {
    for (const char* name : {"grey.j2k", "colour.jp2"}) {
        SCOPED_TRACE(name);
        const std::string file = path(name);
        const std::string grey = std::string(name) == "grey.j2k" ? "-colorspace Gray " : "";
        ASSERT_EQ(shell("convert -seed 3 -size 96x64 plasma: -depth 8 " + grey + "-quality 0 '" + file + "'"), 0);
        KitImage whole(loadPage(file));
        ASSERT_NE(whole.get(), 0u) << IkGetErrorStatus();
        EXPECT_EQ(difference(pixels(whole.get()), reference(file)), 0);
        std::vector<std::uint8_t> bytes = fileBytes(file);
        bytes.resize(bytes.size() * 2 / 3);
        const std::string cut = path(std::string("cut-") + name);
        writeFile(cut, bytes);
        KitImage half(loadPage(cut));
        EXPECT_EQ(half.get(), 0u);
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
    }
}

}  // namespace
