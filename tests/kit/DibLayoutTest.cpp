#include "platform/Dib.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

BitmapInfoHeader headerOf(std::uint16_t bits, std::uint32_t clrUsed = 0, std::uint32_t compression = kBiRgb) {
    BitmapInfoHeader h{};
    h.biSize = 40;
    h.biWidth = 10;
    h.biHeight = 10;
    h.biPlanes = 1;
    h.biBitCount = bits;
    h.biCompression = compression;
    h.biClrUsed = clrUsed;
    return h;
}

}  // namespace

TEST(DibLayout, ColourTableSizes) {
    struct Case {
        std::uint16_t bits;
        std::uint32_t clrUsed;
        std::uint32_t compression;
        std::uint32_t colours;
        std::uint32_t paletteBytes;
    };
    const Case cases[] = {
        {1, 0, kBiRgb, 2, 8},         {4, 0, kBiRgb, 16, 64},        {8, 0, kBiRgb, 256, 1024},
        {8, 17, kBiRgb, 17, 68},      {4, 300, kBiRgb, 16, 64},      {1, 1, kBiRgb, 1, 4},
        {24, 0, kBiRgb, 0, 0},        {32, 0, kBiRgb, 0, 0},         {16, 0, kBiRgb, 0, 0},
        {16, 0, kBiBitFields, 0, 12}, {32, 0, kBiBitFields, 0, 12},  {24, 4, kBiRgb, 4, 16},
    };
    for (const Case& c : cases) {
        const BitmapInfoHeader h = headerOf(c.bits, c.clrUsed, c.compression);
        EXPECT_EQ(dibNumColors(h), c.colours) << c.bits << " bits, " << c.clrUsed << " used";
        EXPECT_EQ(dibPaletteSize(h), c.paletteBytes) << c.bits << " bits, " << c.clrUsed << " used";
        EXPECT_EQ(dibPixelOffset(h), 40 + c.paletteBytes);
    }
}

TEST(DibLayout, RowsArePaddedToFourBytes) {
    struct Case {
        std::int32_t width;
        std::uint16_t bits;
        std::uint32_t stride;
    };
    const Case cases[] = {{1, 1, 4},   {32, 1, 4},  {33, 1, 8},  {7, 4, 4},   {9, 4, 8},
                          {3, 8, 4},   {5, 8, 8},   {1, 24, 4},  {3, 24, 12}, {4960, 24, 14880},
                          {2, 16, 4},  {3, 16, 8},  {1, 32, 4},  {0, 24, 0}};
    for (const Case& c : cases) EXPECT_EQ(dibStride(c.width, c.bits), c.stride) << c.width << "x" << c.bits;
}

TEST(DibLayout, TotalSizeIsComputedWithoutOverflow) {
    EXPECT_EQ(dibTotalSize(4960, 7016, 24, 0), 40u + 14880ull * 7016);
    // 70000 × 70000 × 32 bits is far beyond 32 bits; the 64-bit result shows it.
    EXPECT_GT(dibTotalSize(70000, 70000, 32, 0), 0xFFFFFFFFull);

    BitmapInfoHeader huge = headerOf(32);
    huge.biWidth = 70000;
    huge.biHeight = 70000;
    EXPECT_EQ(dibImageBytes(huge), 0u);
    EXPECT_FALSE(dibIsUsable(huge, 0xFFFFFFFFu));
}

TEST(DibLayout, UsableNeedsAWholeBitmapInTheBlock) {
    const BitmapInfoHeader h = headerOf(8);  // 10 × 10: 40 + 1024 + 120 bytes
    EXPECT_TRUE(dibIsUsable(h, 1184));
    EXPECT_FALSE(dibIsUsable(h, 1183));
    EXPECT_FALSE(dibIsUsable(headerOf(2), 100000));
    EXPECT_FALSE(dibIsUsable(headerOf(24, 0, kBiBitFields), 100000));
    BitmapInfoHeader small = h;
    small.biSize = 12;
    EXPECT_FALSE(dibIsUsable(small, 100000));
}

TEST(DibLayout, EveryWholeDpiRoundTrips) {
    for (int dpi = 1; dpi <= 9999; ++dpi) ASSERT_EQ(pelsPerMeterToDpi(dpiToPelsPerMeter(dpi)), dpi) << dpi;
    EXPECT_EQ(dpiToPelsPerMeter(300), 11811);
    EXPECT_EQ(dpiToPelsPerMeter(96), 3780);
    EXPECT_EQ(dpiToPelsPerMeter(0), 0);
    EXPECT_EQ(dpiToPelsPerMeter(-5), 0);
    EXPECT_EQ(pelsPerMeterToDpi(-1), 0);
}
