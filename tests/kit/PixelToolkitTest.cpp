// The kit libraries' pixel toolkit: packed pixels, channel masks, colours and colour
// tables, JFIF density and the progress relay, tested on their own.
#include "Colour.h"
#include "Density.h"
#include "DibBlock.h"
#include "Pixels.h"
#include "Progress.h"

#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

using platform::RgbQuad;

// ---- packed pixels ----

struct DepthCase {
    int bits;
    std::size_t x;
    std::uint32_t value;
    // The row bytes after writing `value` at x into a row of 0xA5 bytes.
    std::vector<std::uint8_t> expected;
};

constexpr std::uint8_t kFill = 0xA5;  // 1010 0101: neighbours of every depth differ from a written value

std::uint32_t depthMask(int bits) { return bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1; }

TEST(PackedPixels, EachDepthWritesItsOwnBitsAtOddColumnsAndReadsThemBack) {
    const DepthCase cases[] = {
        // 1 bit: x = 3 is bit 0x10 of byte 0, x = 9 bit 0x40 of byte 1; set and cleared.
        {1, 3, 1, {0xB5, 0xA5, 0xA5, 0xA5, 0xA5}},
        {1, 9, 0, {0xA5, 0xA5, 0xA5, 0xA5, 0xA5}},
        {1, 10, 0, {0xA5, 0x85, 0xA5, 0xA5, 0xA5}},
        // 4 bits: odd x is the low nibble, even x the high one.
        {4, 3, 0x3, {0xA5, 0xA3, 0xA5, 0xA5, 0xA5}},
        {4, 4, 0xC, {0xA5, 0xA5, 0xC5, 0xA5, 0xA5}},
        {8, 3, 0x3C, {0xA5, 0xA5, 0xA5, 0x3C, 0xA5}},
        // Little-endian values; 24 bits are B, G, R.
        {16, 1, 0x1234, {0xA5, 0xA5, 0x34, 0x12, 0xA5, 0xA5}},
        {24, 1, 0x123456, {0xA5, 0xA5, 0xA5, 0x56, 0x34, 0x12, 0xA5, 0xA5}},
        {32, 1, 0x89ABCDEF, {0xA5, 0xA5, 0xA5, 0xA5, 0xEF, 0xCD, 0xAB, 0x89, 0xA5}},
    };
    for (const DepthCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits at x = " << c.x);
        std::vector<std::uint8_t> row(c.expected.size(), kFill);
        kit::setPixel(row.data(), c.x, c.bits, c.value);
        EXPECT_EQ(row, c.expected);
        EXPECT_EQ(kit::pixelAt(row.data(), c.x, c.bits), c.value);
        // Writing back what was there before restores the row.
        std::vector<std::uint8_t> untouched(c.expected.size(), kFill);
        kit::setPixel(row.data(), c.x, c.bits, kit::pixelAt(untouched.data(), c.x, c.bits));
        EXPECT_EQ(row, untouched);
    }
}

TEST(PackedPixels, ValueBitsBeyondTheDepthDoNotSpillIntoNeighbours) {
    for (int bits : {1, 4, 8, 16, 24}) {
        SCOPED_TRACE(testing::Message() << bits << " bits");
        std::vector<std::uint8_t> row(32, 0);
        kit::setPixel(row.data(), 5, bits, 0xFFFFFFFFu);
        for (std::size_t x = 0; x < row.size() * 8 / static_cast<std::size_t>(bits); ++x)
            EXPECT_EQ(kit::pixelAt(row.data(), x, bits), x == 5 ? depthMask(bits) : 0u) << "x = " << x;
    }
}

TEST(PackedPixels, IndexAtReadsPaletteDepthsAndRowBytesRoundUp) {
    const std::uint8_t row[] = {0x5A, 0xC3};
    EXPECT_EQ(kit::indexAt(row, 1, 1), 1);
    EXPECT_EQ(kit::indexAt(row, 2, 1), 0);
    EXPECT_EQ(kit::indexAt(row, 1, 4), 0xA);
    EXPECT_EQ(kit::indexAt(row, 2, 4), 0xC);
    EXPECT_EQ(kit::indexAt(row, 1, 8), 0xC3);
    EXPECT_EQ(kit::packedRowBytes(9, 1), 2u);
    EXPECT_EQ(kit::packedRowBytes(3, 4), 2u);
    EXPECT_EQ(kit::packedRowBytes(3, 24), 9u);
    // Widths whose byte count passes 32 bits are counted in size_t.
    EXPECT_EQ(kit::packedRowBytes(std::size_t(1) << 30, 32), std::size_t(1) << 32);
}

TEST(PackedPixels, RowsAreCountedFromTheTopEitherWayTheyAreStored) {
    std::uint8_t pixels[3 * 8] = {};
    const kit::PixelRows bottomUp(pixels, 8, 3, true), topDown(pixels, 8, 3, false);
    EXPECT_EQ(bottomUp.row(0), pixels + 16);
    EXPECT_EQ(bottomUp.row(2), pixels);
    EXPECT_EQ(topDown.row(0), pixels);
    EXPECT_EQ(topDown.row(2), pixels + 16);
}

// ---- channel masks ----

struct MaskCase {
    std::uint32_t mask;
    int shift, width;
    std::uint32_t max;
};

TEST(ChannelMasks, PositionAndWidthOfEachMask) {
    const MaskCase cases[] = {
        {0x7C00, 10, 5, 31}, {0x03E0, 5, 5, 31},   {0x001F, 0, 5, 31},          // 5-5-5
        {0xF800, 11, 5, 31}, {0x07E0, 5, 6, 63},                              // 5-6-5
        {0x3FF00000, 20, 10, 1023},                                          // 10-bit field
        {0xFFFFFFFF, 0, 32, 0xFFFFFFFF},                                     // a whole value
        {0x0B, 0, 2, 3},                                                     // gap: only the low run counts
        {0, 0, 0, 0},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "mask 0x" << c.mask);
        const kit::ChannelMask m(c.mask);
        EXPECT_EQ(m.shift(), c.shift);
        EXPECT_EQ(m.width(), c.width);
        EXPECT_EQ(m.max(), c.max);
    }
}

TEST(ChannelMasks, LevelsAreScaledAndRoundedAndPackingIsTheirInverse) {
    struct LevelCase {
        std::uint32_t mask, value;
        std::uint8_t level;
    };
    const LevelCase cases[] = {
        {0x7C00, 0x7C00, 255}, {0x7C00, 0x0400, 8},    // 1/31 of 255 = 8.2
        {0x7C00, 0x0C00, 25},                          // 3/31 of 255 = 24.7: rounded up
        {0x07E0, 0x0020, 4},   {0x07E0, 0x07E0, 255},  // 6-bit green
        {0x3FF00000, 0x20000000, 128},                 // 512/1023 of 255 = 127.6
        {0xFFFFFFFF, 0x80000000, 128},                 // a 32-bit channel needs 64-bit arithmetic
        {0x0B, 0x0B, 255},                             // the bit above the gap is not read
        {0x0B, 0x08, 0},
        {0, 0xFFFF, 0},
    };
    for (const LevelCase& c : cases)
        EXPECT_EQ(kit::ChannelMask(c.mask).level(c.value), c.level) << std::hex << c.mask << " " << c.value;
    // Packing a level and reading it back lands on the nearest step of the channel.
    for (std::uint32_t mask : {0x7C00u, 0x07E0u, 0x3FF00000u}) {
        const kit::ChannelMask m(mask);
        for (int level = 0; level < 256; ++level) {
            const std::uint32_t packed = m.pack(static_cast<std::uint8_t>(level));
            ASSERT_EQ(packed & ~mask, 0u) << "mask " << mask << " level " << level;
            const int back = m.level(packed);
            ASSERT_LE(std::abs(back - level), static_cast<int>(127 / m.max() + 1)) << "mask " << mask << " level " << level;
        }
    }
}

TEST(ChannelMasks, BitmapMasksComeFromTheHeaderOrTheUsualLayout) {
    platform::BitmapInfoHeader h{};
    h.biBitCount = 16;
    const std::uint32_t fields[3] = {0xF800, 0x07E0, 0x001F};
    const auto* after = reinterpret_cast<const std::uint8_t*>(fields);
    EXPECT_TRUE(kit::usesChannelMasks(h));
    EXPECT_EQ(kit::channelMasksOf(h, after).colourOf(0x7C00), 0xFFFF0000u);  // plain 16 bits: 5-5-5
    h.biCompression = platform::kBiBitFields;
    EXPECT_EQ(kit::channelMasksOf(h, after).colourOf(0xF800), 0xFFFF0000u);  // bit fields: 5-6-5 here
    EXPECT_EQ(kit::channelMasksOf(h, after).colourOf(0x07E0), 0xFF00FF00u);
    EXPECT_EQ(kit::channelMasksOf(h, after).pack(255, 0, 255), 0xF81Fu);
    h.biBitCount = 32;
    h.biCompression = platform::kBiRgb;
    EXPECT_FALSE(kit::usesChannelMasks(h));
    EXPECT_EQ(kit::channelMasksOf(h, after).colourOf(0x00123456), 0xFF123456u);
}

TEST(ChannelMasks, FiveFiveFivePackingDropsTheLowBits) {
    EXPECT_EQ(kit::pack555(255, 255, 255), 0x7FFFu);
    EXPECT_EQ(kit::pack555(8, 16, 7), (1u << 10) | (2u << 5) | 0u);
    // Unlike rounding into the masks, which takes 0xF8 (30.6 steps of 31) to 30.
    EXPECT_EQ(kit::pack555(0xF8, 0, 0), 31u << 10);
    EXPECT_EQ(kit::channelMasks(kit::kMasks555).pack(0xF8, 0, 0), 30u << 10);
}

// ---- colours ----

TEST(Colours, LuminanceWeighsChannelsAndRoundsToTheNearestLevel) {
    EXPECT_EQ(kit::luminance(255, 255, 255), 255);
    EXPECT_EQ(kit::luminance(0, 0, 0), 0);
    EXPECT_EQ(kit::luminance(255, 0, 0), 76);   // 76.245
    EXPECT_EQ(kit::luminance(0, 255, 0), 150);  // 149.685
    EXPECT_EQ(kit::luminance(0, 0, 255), 29);   // 29.07
    EXPECT_EQ(kit::luminance(0, 0, 5), 1);      // 0.57
    EXPECT_EQ(kit::luminance(0, 0, 4), 0);      // 0.456
    EXPECT_EQ(kit::luminance(RgbQuad{10, 20, 30, 99}), kit::luminance(30, 20, 10));
    // The weighted sum tells apart colours whose rounded luminance is the same.
    EXPECT_EQ(kit::luminance(0, 0, 1), kit::luminance(0, 0, 0));
    EXPECT_LT(kit::weightedLuminance(0, 0, 0), kit::weightedLuminance(0, 0, 1));
}

TEST(Colours, NearestEntryTakesTheFirstOfEquallyNearOnes) {
    const std::vector<RgbQuad> table = {{0, 0, 0, 0}, {0, 0, 200, 0}, {0, 0, 100, 0}, {0, 0, 100, 7}, {255, 255, 255, 0}};
    EXPECT_EQ(kit::nearestEntry(table, 0, 0, 0), 0u);
    EXPECT_EQ(kit::nearestEntry(table, 100, 0, 0), 2u);  // entries 2 and 3 are the same colour
    EXPECT_EQ(kit::nearestEntry(table, 150, 0, 0), 1u);  // 50 from 200 and from 100: the first wins
    EXPECT_EQ(kit::nearestEntry(table, 240, 240, 240), 4u);
    EXPECT_EQ(kit::nearestEntry(std::span<const RgbQuad>(), 1, 2, 3), 0u);
    // Packed colours (alpha in the top byte, as in QRgb) give the same answers.
    std::vector<std::uint32_t> packed;
    for (const RgbQuad& c : table) packed.push_back(0xFF000000u | kit::rgbOf(c));
    EXPECT_EQ(kit::nearestEntry(packed, 100, 0, 0), 2u);
    EXPECT_EQ(kit::nearestEntry(packed, 150, 0, 0), 1u);
    EXPECT_EQ(kit::nearestEntry(packed, 240, 240, 240), 4u);
}

TEST(Colours, GreyRampsAndGreyTables) {
    struct RampCase {
        std::size_t count;
        std::uint8_t second, last;
        bool identity;
    };
    const RampCase cases[] = {{256, 1, 255, true}, {16, 17, 255, false}, {2, 255, 255, false}};
    for (const RampCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " entries");
        std::array<RgbQuad, 257> table;
        table.fill(RgbQuad{1, 2, 3, 4});
        kit::writeGreyRamp(table.data(), c.count);
        EXPECT_EQ(table[0].red, 0);
        EXPECT_EQ(table[1].green, c.second);
        EXPECT_EQ(table[c.count - 1].blue, c.last);
        EXPECT_EQ(table[c.count].red, 3) << "an entry past the ramp was written";
        const std::span<const RgbQuad> ramp(table.data(), c.count);
        EXPECT_TRUE(kit::allGrey(ramp));
        EXPECT_EQ(kit::isIdentityGrey(ramp), c.identity);
    }
    std::array<RgbQuad, 256> table;
    kit::writeGreyRamp(table.data(), 256);
    EXPECT_TRUE(kit::isIdentityGrey(std::span(table).first(100))) << "a short identity ramp";
    table[7] = RgbQuad{7, 7, 8, 0};
    EXPECT_FALSE(kit::allGrey(table));
    EXPECT_FALSE(kit::isIdentityGrey(table));
    table[7] = RgbQuad{9, 9, 9, 0};
    EXPECT_TRUE(kit::allGrey(table));
    EXPECT_FALSE(kit::isIdentityGrey(table));
    EXPECT_TRUE(kit::allGrey({}));
}

TEST(Colours, PaletteIsGreyOnlyForPaletteBitmapsWithGreyTables) {
    const platform::GlobalBlock grey(kit::allocateGreyDib(3, 2, true));
    const platform::GlobalBlock colour(kit::allocateDib(3, 2, 24, 0, true));
    const platform::GlobalBlock twoColours(kit::allocateDib(3, 2, 1, 2, true));
    ASSERT_TRUE(grey.get() && colour.get() && twoColours.get());
    EXPECT_TRUE(kit::paletteIsGrey(kit::DibView(grey.get())));
    EXPECT_FALSE(kit::paletteIsGrey(kit::DibView(colour.get())));
    const kit::DibView mono(twoColours.get());
    mono.colours()[1] = RgbQuad{255, 255, 255, 0};
    EXPECT_TRUE(kit::paletteIsGrey(mono));
    mono.colours()[1] = RgbQuad{255, 0, 255, 0};
    EXPECT_FALSE(kit::paletteIsGrey(mono));
}

TEST(Colours, ColourTablesAreWrittenBlueGreenRedWithoutAlpha) {
    const std::uint32_t colours[] = {0xFF102030, 0x00A0B0C0};
    RgbQuad table[3] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
    kit::writeColourTable(table, colours);
    EXPECT_EQ(std::memcmp(&table[0], "\x30\x20\x10\x00", 4), 0);
    EXPECT_EQ(std::memcmp(&table[1], "\xC0\xB0\xA0\x00", 4), 0);
    EXPECT_EQ(table[2].red, 1);
    EXPECT_EQ(kit::rgbOf(table[1]), 0xA0B0C0u);
}

// ---- JFIF density ----

TEST(JfifDensity, UnitsBecomePixelsPerMetreAndDotsPerInch) {
    struct DensityCase {
        int unit;
        std::uint16_t density;
        std::int32_t pelsPerMeter, dpi;
    };
    const DensityCase cases[] = {
        {kit::kJfifDotsPerInch, 300, 11811, 300},
        {kit::kJfifDotsPerInch, 72, 2835, 72},
        {kit::kJfifDotsPerCentimetre, 118, 11800, 300},  // 299.72 dpi
        {kit::kJfifDotsPerCentimetre, 40, 4000, 102},    // 101.6 dpi
        {kit::kJfifAspectOnly, 72, 0, 0},
        {kit::kJfifDotsPerInch, 0, 0, 0},
        {3, 300, 0, 0},  // no such unit
    };
    for (const DensityCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "unit " << c.unit << ", density " << c.density);
        EXPECT_EQ(kit::jfifDensityToPelsPerMeter(c.unit, c.density), c.pelsPerMeter);
        EXPECT_EQ(kit::jfifDensityToDpi(c.unit, c.density), c.dpi);
        // Facts and the loaded bitmap agree on the resolution.
        EXPECT_EQ(platform::pelsPerMeterToDpi(c.pelsPerMeter), c.dpi);
    }
}

TEST(JfifDensity, EncoderDensityIsTheReverseOfTheDecoders) {
    for (std::int32_t dpi : {1, 72, 96, 300, 600, 1200, 65535}) {
        const kit::JfifDensity d = kit::jfifDensityForDpi(dpi, dpi);
        EXPECT_EQ(d.unit, kit::kJfifDotsPerInch);
        EXPECT_EQ(kit::jfifDensityToDpi(d.unit, d.x), dpi);
        EXPECT_EQ(platform::pelsPerMeterToDpi(kit::jfifDensityToPelsPerMeter(d.unit, d.y)), dpi);
    }
    const kit::JfifDensity clamped = kit::jfifDensityForDpi(70000, 200);
    EXPECT_EQ(clamped.x, 65535);
    EXPECT_EQ(clamped.y, 200);
    for (auto [x, y] : {std::pair{0, 300}, std::pair{300, 0}, std::pair{-5, -5}}) {
        const kit::JfifDensity none = kit::jfifDensityForDpi(x, y);
        EXPECT_EQ(none.unit, kit::kJfifAspectOnly);
        EXPECT_EQ(none.x, 1);
        EXPECT_EQ(none.y, 1);
    }
}

// ---- progress relay ----

std::vector<std::int32_t> g_percents;
std::int32_t g_stopAt = -1;

std::int32_t recordPercent(std::int32_t percent) {
    g_percents.push_back(percent);
    return percent == g_stopAt ? 0 : 1;
}

TEST(ProgressRelay, ReportsEachPercentOnceAndRemembersAStop) {
    g_percents.clear();
    g_stopAt = -1;
    kit::Progress relay(recordPercent);
    for (std::uint64_t done = 1; done <= 400; ++done) ASSERT_TRUE(relay.report(done, 400));
    EXPECT_EQ(g_percents.size(), 101u);
    EXPECT_EQ(g_percents.front(), 0);
    EXPECT_EQ(g_percents.back(), 100);
    EXPECT_TRUE(relay.report(7, 0)) << "nothing to do is no stop";
    EXPECT_TRUE(relay.report(900, 400)) << "more than the total counts as done";

    g_percents.clear();
    g_stopAt = 30;
    kit::Progress stopped(recordPercent);
    bool going = true;
    std::uint64_t done = 0;
    while (going && done < 100) going = stopped.report(++done, 100);
    EXPECT_EQ(done, 30u);
    EXPECT_TRUE(stopped.stopped());
    const std::size_t calls = g_percents.size();
    EXPECT_FALSE(stopped.report(60, 100)) << "a stop answer holds";
    EXPECT_EQ(g_percents.size(), calls) << "the callback is not asked again after a stop";

    kit::Progress quiet(nullptr);
    EXPECT_TRUE(quiet.report(5, 10));
    EXPECT_FALSE(quiet.stopped());
}

}  // namespace
