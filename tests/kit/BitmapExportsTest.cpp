#include "KitFixture.h"

#include "platform/Dib.h"

#include <QImage>
#include <QList>

using namespace Ikdllprocs;

namespace {

using BitmapExports = KitLibraries;

// A picture whose every pixel differs from its neighbours, so that a flipped row,
// a swapped channel or a shifted column shows.
QImage patterned(QImage::Format format, int w, int h) {
    QImage picture(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) picture.setPixel(x, y, qRgba(x * 20, y * 30, (x + y) * 7, 255 - x));
    if (format == QImage::Format_Mono) return picture.convertToFormat(format, Qt::ThresholdDither);
    return picture.convertToFormat(format);
}

TEST_F(BitmapExports, PicturesSurviveTheRoundTripThroughAnImage) {
    struct Case {
        QImage::Format format;
        int bits;
    };
    const Case cases[] = {{QImage::Format_Mono, 1},        {QImage::Format_Indexed8, 8},
                          {QImage::Format_Grayscale8, 8},  {QImage::Format_RGB888, 24},
                          {QImage::Format_RGB32, 24},      {QImage::Format_ARGB32, 32}};
    for (const Case& c : cases) {
        QImage source = patterned(c.format, 11, 6);
        source.setDotsPerMeterX(11811);
        source.setDotsPerMeterY(3780);
        KitImage image(IkDibFromBitmap(&source, nullptr));
        ASSERT_NE(image.get(), 0u) << c.format;
        IKIMAGEINFO info;
        ASSERT_TRUE(IkGetImageType(image.get(), &info));
        EXPECT_EQ(info.valueA, c.bits) << c.format;
        EXPECT_EQ(info.width, 11);
        EXPECT_EQ(info.height, 6);
        EXPECT_EQ(info.xdpi, 300);
        EXPECT_EQ(info.ydpi, 96);

        auto* bitmap = static_cast<QImage*>(IkBitmapFromDib(image.get()));
        ASSERT_NE(bitmap, nullptr);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 11; ++x)
                ASSERT_EQ(bitmap->pixel(x, y), source.pixel(x, y)) << c.format << " at " << x << "," << y;
        EXPECT_TRUE(IkDeleteBitmapObject(bitmap));
    }
}

TEST_F(BitmapExports, TheRowsOfAnImageAreStoredBottomUp) {
    QImage source(2, 2, QImage::Format_RGB888);
    source.fill(Qt::black);
    source.setPixel(0, 0, qRgb(255, 0, 0));  // top-left red
    KitImage image(IkDibFromBitmap(&source, nullptr));
    platform::GlobalLock lock(image.get());
    const std::uint8_t* pixels = lock.as<std::uint8_t>() + 40;
    // The last stored row (offset stride) is the top row; blue, green, red order.
    EXPECT_EQ(pixels[8 + 2], 255);
    EXPECT_EQ(pixels[8 + 0], 0);
    EXPECT_EQ(pixels[2], 0);
}

TEST_F(BitmapExports, SixteenBitAndBitFieldImagesAreDecodedByTheirMasks) {
    // A 4 × 1 32-bit block (56 bytes) holds a 2 × 1 16-bit bit-field image exactly:
    // header, three masks, one 4-byte row. It is rewritten in place.
    KitImage image(IkCreateImage(4, 1, 32, 0, 0, 0, 0, 0, 0, 0));
    {
        platform::GlobalLock lock(image.get());
        ASSERT_EQ(lock.size(), 56u);
        auto* h = lock.as<platform::BitmapInfoHeader>();
        h->biWidth = 2;
        h->biBitCount = 16;
        h->biCompression = platform::kBiBitFields;
        auto* masks = reinterpret_cast<std::uint32_t*>(lock.as<std::uint8_t>() + 40);
        masks[0] = 0xF800;
        masks[1] = 0x07E0;
        masks[2] = 0x001F;
        auto* pixels = reinterpret_cast<std::uint16_t*>(lock.as<std::uint8_t>() + 52);
        pixels[0] = 0xF800;  // pure red
        pixels[1] = 0x07E0;  // pure green
    }
    auto* bitmap = static_cast<QImage*>(IkBitmapFromDib(image.get()));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(bitmap->pixel(1, 0), qRgb(0, 255, 0));
    IkDeleteBitmapObject(bitmap);
}

TEST_F(BitmapExports, OnlyObjectsOfTheKitCanBeDeleted) {
    QImage foreign(2, 2, QImage::Format_RGB32);
    EXPECT_FALSE(IkDeleteBitmapObject(&foreign));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);

    KitImage image(IkCreateImage(2, 2, 8, 0, 0, 0, 0, 0, 0, 0));
    void* bitmap = IkBitmapFromDib(image.get());
    ASSERT_TRUE(IkDeleteBitmapObject(bitmap));
    EXPECT_FALSE(IkDeleteBitmapObject(bitmap));  // already deleted
}

TEST_F(BitmapExports, PaletteObjectsHoldTheColourTable) {
    KitImage grey(IkCreateImage(2, 2, 8, 7, 7, 7, 0, 0, 0, 0));
    platform::GlobalLock lock(grey.get());
    auto* table = static_cast<QList<QRgb>*>(Ikdllprocs::CreateBIPalette(lock.data()));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->size(), 256);
    EXPECT_EQ(table->at(200), qRgb(200, 200, 200));
    EXPECT_TRUE(IkDeleteBitmapObject(table));

    KitImage rgb(IkCreateImage(2, 2, 24, 7, 7, 7, 0, 0, 0, 0));
    platform::GlobalLock rgbLock(rgb.get());
    EXPECT_EQ(Ikdllprocs::CreateBIPalette(rgbLock.data()), nullptr);
}

TEST_F(BitmapExports, ClipboardCarriesACopyOfTheImage) {
    KitImage image(IkCreateImage(6, 4, 24, 10, 200, 30, 0, 0, 0, 0));
    ASSERT_TRUE(IkClearClipBrd(nullptr));
    EXPECT_FALSE(IkIsClipBrdData(nullptr));
    EXPECT_EQ(IkGetFromClipBrd(nullptr, 0, 0, 0, 0), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_CLIPBOARD);

    ASSERT_TRUE(IkSetToClipBrd(nullptr, image.get(), 0, 0, 0, 0));
    EXPECT_TRUE(IkIsClipBrdData(nullptr));
    KitImage pasted(IkGetFromClipBrd(nullptr, 0, 0, 0, 0));
    ASSERT_NE(pasted.get(), 0u);
    EXPECT_NE(pasted.get(), image.get());
    auto* bitmap = static_cast<QImage*>(IkBitmapFromDib(pasted.get()));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->size(), QSize(6, 4));
    EXPECT_EQ(bitmap->pixel(5, 3), qRgb(10, 200, 30));
    IkDeleteBitmapObject(bitmap);
    ASSERT_TRUE(IkClearClipBrd(nullptr));
    EXPECT_FALSE(IkIsClipBrdData(nullptr));
}

}  // namespace
