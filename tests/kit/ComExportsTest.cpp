#include "KitFixture.h"

#include "platform/Dib.h"

#include <cstring>

using namespace Ikdllprocs;

namespace {

using ComExports = KitLibraries;

IKHANDLE create(int w, int h, int bits, int r, int g, int b) { return IkCreateImage(w, h, bits, r, g, b, 0, 0, 0, 0); }

TEST_F(ComExports, CreatedImagesReportTheirFacts) {
    struct Case {
        int bits;
        std::uint16_t colours;
        bool grey;
    };
    const Case cases[] = {{1, 2, true}, {4, 16, false}, {8, 256, true}, {24, 0, false}, {32, 0, false}};
    for (const Case& c : cases) {
        KitImage image(create(13, 7, c.bits, 200, 200, 200));
        ASSERT_NE(image.get(), 0u) << c.bits;
        IKIMAGEINFO info;
        ASSERT_TRUE(IkGetImageType(image.get(), &info));
        EXPECT_EQ(IkGetErrorStatus(), IK_OK);
        EXPECT_EQ(info.kind, IK_KIND_RASTER);
        EXPECT_EQ(info.valueA, c.bits);
        EXPECT_EQ(info.valueB, c.colours);
        EXPECT_EQ(info.width, 13);
        EXPECT_EQ(info.height, 7);
        EXPECT_EQ(info.valueD, platform::dibStride(13, c.bits) * 7u);
        EXPECT_EQ(info.valueF, IkGetMemorySize(image.get()));
        EXPECT_EQ(info.valueF, 40u + 4u * c.colours + info.valueD);
        EXPECT_EQ(info.flagE != 0, c.grey) << c.bits;
    }
}

TEST_F(ComExports, CreateImageFillsEveryPixelWithTheColour) {
    KitImage rgb(create(5, 3, 24, 10, 20, 30));
    {
        platform::GlobalLock lock(rgb.get());
        const auto* base = lock.as<std::uint8_t>();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                const std::uint8_t* p = base + 40 + y * 16 + x * 3;
                EXPECT_EQ(p[0], 30);
                EXPECT_EQ(p[1], 20);
                EXPECT_EQ(p[2], 10);
            }
    }
    // A white 1-bit image uses entry 1 (white) everywhere: all pixels count as "second".
    KitImage white(create(37, 5, 1, 255, 255, 255));
    std::int32_t first = -1, second = -1;
    ASSERT_TRUE(IkGetOneBitPalCount(white.get(), &first, &second));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 37 * 5);
    KitImage black(create(37, 5, 1, 0, 0, 0));
    ASSERT_TRUE(IkGetOneBitPalCount(black.get(), &first, &second));
    EXPECT_EQ(first, 37 * 5);
    EXPECT_EQ(second, 0);
}

TEST_F(ComExports, OneBitCountsIgnoreRowPadding) {
    KitImage image(create(10, 2, 1, 0, 0, 0));
    {
        platform::GlobalLock lock(image.get());
        std::uint8_t* rows = lock.as<std::uint8_t>() + 40 + 8;
        // Row stride 4: set 3 pixels of the first row, and the padding bits of both rows.
        rows[0] = 0xE0;
        rows[1] = 0x3F;  // the two pixels at x 8, 9 are 0; the six low bits are padding
        rows[3] = 0xFF;
        rows[7] = 0xFF;
    }
    std::int32_t first = 0, second = 0;
    ASSERT_TRUE(IkGetOneBitPalCount(image.get(), &first, &second));
    EXPECT_EQ(second, 3);
    EXPECT_EQ(first, 17);

    KitImage colour(create(4, 4, 8, 1, 2, 3));
    EXPECT_FALSE(IkGetOneBitPalCount(colour.get(), &first, &second));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FORMAT);
}

TEST_F(ComExports, CreateImageRefusesBadArgumentsWithoutAllocating) {
    struct Case {
        int w, h, bits;
        std::uint16_t status;
    };
    const Case cases[] = {{0, 5, 24, IK_ERR_ARGUMENT},    {5, -1, 24, IK_ERR_ARGUMENT},
                          {5, 5, 2, IK_ERR_ARGUMENT},     {5, 5, 16, IK_ERR_ARGUMENT},
                          {70000, 70000, 32, IK_ERR_MEMORY}};
    for (const Case& c : cases) {
        EXPECT_EQ(create(c.w, c.h, c.bits, 0, 0, 0), 0u) << c.w << "x" << c.h << "x" << c.bits;
        EXPECT_EQ(IkGetErrorStatus(), c.status);
    }
}

TEST_F(ComExports, CopyIsAnIndependentEqualImage) {
    KitImage original(create(31, 9, 8, 50, 60, 70));
    ASSERT_TRUE(IkSetDpi(original.get(), 300, 200));
    KitImage copy(IkCopyImage(original.get()));
    ASSERT_NE(copy.get(), 0u);
    EXPECT_NE(copy.get(), original.get());
    const std::uint32_t size = IkGetMemorySize(original.get());
    ASSERT_EQ(IkGetMemorySize(copy.get()), size);
    {
        platform::GlobalLock a(original.get()), b(copy.get());
        EXPECT_EQ(std::memcmp(a.data(), b.data(), size), 0);
        b.as<std::uint8_t>()[size - 1] ^= 0xFF;
        EXPECT_NE(std::memcmp(a.data(), b.data(), size), 0);
    }
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(IkGetDpi(copy.get(), &x, &y));
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 200);
}

TEST_F(ComExports, DeadHandlesFailWithTheHandleStatus) {
    const IKHANDLE freed = create(4, 4, 24, 0, 0, 0);
    ASSERT_TRUE(IkFreeMemory(freed));
    IKIMAGEINFO info;
    std::int32_t x, y;
    for (IKHANDLE dead : {IKHANDLE{0}, freed, IKHANDLE{0x12345678}}) {
        EXPECT_EQ(IkCopyImage(dead), 0u);
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_HANDLE);
        EXPECT_FALSE(IkGetImageType(dead, &info));
        EXPECT_EQ(info.kind, IK_KIND_INVALID);
        EXPECT_FALSE(IkFreeMemory(dead));
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_HANDLE);
        EXPECT_EQ(IkGetMemorySize(dead), 0u);
        EXPECT_FALSE(IkGetDpi(dead, &x, &y));
    }
    // A live block that holds no bitmap is refused as a format error, not as an image.
    platform::GlobalBlock junk(platform::globalAlloc(100, true));
    EXPECT_FALSE(IkGetImageType(junk.get(), &info));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FORMAT);
    EXPECT_EQ(IkCopyImage(junk.get()), 0u);
}

TEST_F(ComExports, ResolutionRoundTripsThroughTheHeader) {
    KitImage image(create(2, 2, 24, 0, 0, 0));
    std::int32_t x = -1, y = -1;
    ASSERT_TRUE(IkGetDpi(image.get(), &x, &y));
    EXPECT_EQ(x, 0);
    for (int dpi : {1, 72, 96, 150, 200, 300, 400, 600, 1200, 2400, 9999}) {
        ASSERT_TRUE(IkSetDpi(image.get(), dpi, dpi + 1));
        ASSERT_TRUE(IkGetDpi(image.get(), &x, &y));
        EXPECT_EQ(x, dpi);
        EXPECT_EQ(y, dpi + 1);
    }
    IKIMAGEINFO info;
    ASSERT_TRUE(IkGetImageType(image.get(), &info));
    EXPECT_EQ(info.xdpi, 9999);

    double fx = 0, fy = 0;
    ASSERT_TRUE(IkSetDpiF(image.get(), 300.0, 72.0));
    ASSERT_TRUE(IkGetDpiF(image.get(), &fx, &fy));
    EXPECT_NEAR(fx, 300.0, 0.02);
    EXPECT_NEAR(fy, 72.0, 0.02);

    EXPECT_FALSE(IkSetDpi(image.get(), -5, 100));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
    ASSERT_TRUE(IkGetDpi(image.get(), &x, &y));
    EXPECT_EQ(x, 300);
}

TEST_F(ComExports, PaletteReadsAndWritesTheColourTable) {
    KitImage image(create(3, 3, 4, 0, 0, 0));
    std::uint16_t r[16], g[16], b[16];
    ASSERT_TRUE(IkGetPalette(image.get(), r, g, b));
    EXPECT_EQ(r[9], 255);  // the standard table: entry 9 is red
    EXPECT_EQ(g[9], 0);
    for (int i = 0; i < 16; ++i) r[i] = g[i] = b[i] = static_cast<std::uint16_t>(i * 16);
    r[15] = 400;  // out of range: kept at 255
    ASSERT_TRUE(IkSetPalette(image.get(), r, g, b));
    std::uint16_t r2[16], g2[16], b2[16];
    ASSERT_TRUE(IkGetPalette(image.get(), r2, g2, b2));
    EXPECT_EQ(r2[3], 48);
    EXPECT_EQ(b2[14], 224);
    EXPECT_EQ(r2[15], 255);
    EXPECT_FALSE(Ikdllprocs::IsGrayImage(image.get()));  // entry 15 is no longer grey

    KitImage rgb(create(3, 3, 24, 0, 0, 0));
    EXPECT_FALSE(IkGetPalette(rgb.get(), r, g, b));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FORMAT);
}

TEST_F(ComExports, HeaderHelpersReadTheLockedHeader) {
    KitImage image(create(3, 3, 8, 9, 9, 9));
    platform::GlobalLock lock(image.get());
    EXPECT_EQ(Ikdllprocs::DibNumColors(lock.data()), 256);
    EXPECT_EQ(Ikdllprocs::GetDibPalSize(lock.data()), 1024);
    lock.as<platform::BitmapInfoHeader>()->biClrUsed = 20;
    EXPECT_EQ(Ikdllprocs::DibNumColors(lock.data()), 20);
    EXPECT_EQ(Ikdllprocs::GetDibPalSize(lock.data()), 80);
    EXPECT_EQ(Ikdllprocs::GetDibPalSize(nullptr), 0);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
}

TEST_F(ComExports, StatusOfOneLibraryIsReportedByTheCommonLibrary) {
    IKEXIFINFO record;
    EXPECT_FALSE(IkJpegExifInfo("/nonexistent/photo.jpg", &record));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_OPEN);
    KitImage image(create(1, 1, 24, 0, 0, 0));
    EXPECT_EQ(IkGetErrorStatus(), IK_OK);
}

}  // namespace
