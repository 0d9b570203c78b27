// FlashPix files damaged where a count, offset or size is read: the sub-image header and
// its tile table, the image contents property set, a JPEG tile and its shared tables, the
// compound document's header and directory tree, and files cut short. A file we write is
// patched in place; each damaged file is refused quickly with a status, by the facts as by
// the load, and the undamaged file loads.
#include "FileFixture.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>

using namespace Ikdllprocs;

namespace {

std::uint32_t u32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

void putU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

// Where the little-endian words `words` start in `bytes`; npos when absent.
std::size_t find(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint32_t>& words) {
    std::vector<std::uint8_t> pattern;
    for (const std::uint32_t w : words)
        for (int i = 0; i < 4; ++i) pattern.push_back(std::uint8_t(w >> (8 * i)));
    const auto it = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    return it == bytes.end() ? std::string::npos : std::size_t(it - bytes.begin());
}

std::size_t findBytes(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& pattern) {
    const auto it = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    return it == bytes.end() ? std::string::npos : std::size_t(it - bytes.begin());
}

// The image contents property set: the offset of the value of property `id`.
std::size_t contentsValue(const std::vector<std::uint8_t>& b, std::uint32_t id) {
    const std::size_t set = findBytes(b, {0x00, 0x64, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11}) - 8;
    const std::size_t section = set + u32At(b, set + 44);
    const std::uint32_t count = u32At(b, section + 4);
    for (std::uint32_t i = 0; i < count; ++i)
        if (u32At(b, section + 8 + 8 * i) == id) return section + u32At(b, section + 12 + 8 * i);
    return std::string::npos;
}

// The picture damaged: its size, the tiles of its full level and that level's number.
struct Base {
    std::uint32_t width, height, tiles, full;
};

// A property of the full level: its id with the level number in bits 16–23.
std::uint32_t fullPid(const Base& base, std::uint32_t field) { return 0x02000000u | base.full << 16 | field; }

struct Damage {
    const char* what;
    bool jpeg;  // applied to the JPEG-coded file
    std::function<void(std::vector<std::uint8_t>&)> apply;
};

}  // namespace

// 130 × 70 (6 tiles, decoded one after the other) and 300 × 200 (20 tiles, decoded on
// every core).
class HostileFpx : public FileKit, public testing::WithParamInterface<Base> {
protected:
    // The picture saved in `mode`.
    std::vector<std::uint8_t> written(int mode) {
        const Base& base = GetParam();
        KitImage image(IkCreateImage(std::int32_t(base.width), std::int32_t(base.height), 24, 200, 120, 40, 0, 0, 0, 0));
        const std::string file = path("base" + std::to_string(mode) + ".fpx");
        EXPECT_NE(IkFpxFileSave(file.c_str(), image.get(), mode, 80, "", nullptr, "", "", ""), 0);
        return fileBytes(file);
    }
    // The full level's header: header length, width, height, tiles, tile width, height.
    static std::size_t fullHeader(const std::vector<std::uint8_t>& b) {
        const Base& base = GetParam();
        return find(b, {36, base.width, base.height, base.tiles, 64, 64});
    }
};

TEST_P(HostileFpx, DamagedFilesAreRefusedQuickly) {
    const Base base = GetParam();
    const auto header = [](std::size_t field, std::uint32_t value) {
        return [=](std::vector<std::uint8_t>& b) { putU32(b, fullHeader(b) + 4 * field, value); };
    };
    const auto tile = [](std::size_t field, std::uint32_t value) {
        return [=](std::vector<std::uint8_t>& b) { putU32(b, fullHeader(b) + 36 + 4 * field, value); };
    };
    const auto property = [](std::uint32_t id, std::size_t word, std::uint32_t value) {
        return [=](std::vector<std::uint8_t>& b) { putU32(b, contentsValue(b, id) + 4 * word, value); };
    };
    const Damage cases[] = {
        {"tile count beyond the table", false, header(3, 0xFFFFFFFF)},
        {"tile count of another size", false, header(3, 7)},
        {"width far beyond the tiles", false, header(1, 0x7FFFFFFF)},
        {"tile side not 64", false, header(4, 0x10000)},
        {"channels", false, header(6, 0x7FFFFFFF)},
        {"table offset past the stream", false, header(7, 0xFFFFFFF0)},
        {"table entry length", false, header(8, 0xFFFFFFFF)},
        {"tile offset past the stream", false, tile(0, 0xFFFFFFF0)},
        {"tile size past the stream", false, tile(1, 0xFFFFFFFF)},
        {"tile size over the budget", false, tile(1, 0x7FFFFFFF)},
        {"unknown tile coding", false, tile(2, 7)},
        {"level count", false, property(0x01000000, 1, 0xFFFFFFFF)},
        {"no level", false, property(0x01000000, 1, 0)},
        {"colour blob length", false, property(fullPid(base, 2), 1, 0xFFFFFFFF)},
        {"colour channel count", false, property(fullPid(base, 2), 3, 0xFFFFFFFF)},
        {"level width unlike its header", false, property(fullPid(base, 0), 1, base.width + 1)},
        {"samples not 8-bit unsigned", false, property(fullPid(base, 3), 2, 0x12)},
        {"numerical format count", false, property(fullPid(base, 3), 1, 0xFFFFFFFF)},
        {"property count", false,
         [](std::vector<std::uint8_t>& b) {
             const std::size_t set = findBytes(b, {0x00, 0x64, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11}) - 8;
             putU32(b, set + u32At(b, set + 44) + 4, 0x7FFFFFFF);
         }},
        {"section offset", false,
         [](std::vector<std::uint8_t>& b) {
             const std::size_t set = findBytes(b, {0x00, 0x64, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11}) - 8;
             putU32(b, set + 44, 0xFFFFFFF0);
         }},
        {"JPEG table length", true, property(0x03010001, 1, 0xFFFFFFFF)},
        {"JPEG table selector without a table", true,
         [](std::vector<std::uint8_t>& b) { putU32(b, fullHeader(b) + 36 + 12, 0x09012200); }},
        {"JPEG tile larger than a tile", true,
         [](std::vector<std::uint8_t>& b) {
             // Every tile's frame header claims 65535 × 65535.
             const std::vector<std::uint8_t> sof = {0xFF, 0xC0, 0x00, 0x11, 0x08};
             for (auto it = std::search(b.begin(), b.end(), sof.begin(), sof.end()); it != b.end();
                  it = std::search(it + 1, b.end(), sof.begin(), sof.end()))
                 std::fill(it + 5, it + 9, std::uint8_t(0xFF));
         }},
        {"JPEG tile cut short", true, tile(1, 20)},
        {"sector size", false, [](std::vector<std::uint8_t>& b) { b[30] = 30; }},
        {"mini stream cut-off", false, [](std::vector<std::uint8_t>& b) { putU32(b, 56, 0xFFFFFFFF); }},
        {"FAT sector count", false, [](std::vector<std::uint8_t>& b) { putU32(b, 44, 0x7FFFFFFF); }},
        {"directory start past the file", false, [](std::vector<std::uint8_t>& b) { putU32(b, 48, 0x7FFFFFF0); }},
        {"root with a sibling", false,
         [](std::vector<std::uint8_t>& b) {
             const std::size_t root = findBytes(b, {'R', 0, 'o', 0, 'o', 0, 't', 0, ' ', 0, 'E', 0});
             putU32(b, root + 68, 1);
         }},
        {"directory loop", false,
         [](std::vector<std::uint8_t>& b) {
             const std::size_t root = findBytes(b, {'R', 0, 'o', 0, 'o', 0, 't', 0, ' ', 0, 'E', 0});
             const std::uint32_t child = u32At(b, root + 76);
             putU32(b, root + 128 * child + 72, child);  // the child is its own right sibling
         }},
        {"stream larger than the file", false,
         [](std::vector<std::uint8_t>& b) {
             const std::size_t entry = findBytes(b, {5, 0, 'I', 0, 'm', 0, 'a', 0, 'g', 0, 'e', 0, ' ', 0, 'C', 0});
             putU32(b, entry + 120, 0x7FFFFFF0);
         }},
        {"cut at half", false, [](std::vector<std::uint8_t>& b) { b.resize(b.size() / 2); }},
        {"cut inside the header", false, [](std::vector<std::uint8_t>& b) { b.resize(300); }},
    };
    const std::vector<std::uint8_t> plain = written(0), jpeg = written(2);
    for (const auto* base : {&plain, &jpeg}) {
        const std::string file = path("undamaged.fpx");
        std::FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(base->data(), 1, base->size(), out);
        std::fclose(out);
        KitImage loaded(IkFpxFileLoad(file.c_str(), 0, nullptr, "", "", ""));
        ASSERT_NE(loaded.get(), 0);
        ASSERT_NE(fullHeader(*base), std::string::npos);
    }
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes = c.jpeg ? jpeg : plain;
        c.apply(bytes);
        ASSERT_NE(bytes, c.jpeg ? jpeg : plain);
        const std::string file = path("damaged.fpx");
        std::FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        const auto start = std::chrono::steady_clock::now();
        KitImage loaded(IkFpxFileLoad(file.c_str(), 0, nullptr, "", "", ""));
        EXPECT_EQ(loaded.get(), 0);
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
        KitImage any(loadPage(file));
        EXPECT_EQ(any.get(), 0);
        IKFILEINFO info{};
        // The facts read the headers only: damage in tile data is found by the load.
        const bool inTiles = std::strstr(c.what, "JPEG tile") || std::strstr(c.what, "tile offset") ||
                             std::strstr(c.what, "tile size") || std::strstr(c.what, "tile coding") ||
                             std::strstr(c.what, "selector");
        if (!inTiles) {
            EXPECT_EQ(IkFileType(file.c_str(), 0, &info), 0);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, HostileFpx, testing::Values(Base{130, 70, 6, 2}, Base{300, 200, 20, 3}));
