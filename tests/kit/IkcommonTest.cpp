#include "Ikcommon.h"

#include "platform/GlobalMemory.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

class Common : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(Ikdllprocs::IkCreateImage, nullptr); }
    TVIkCommon common;
};

TEST_F(Common, FreeMemoryFreesOnlyALiveImage) {
    // No image.
    EXPECT_FALSE(common.FreeMemory());
    EXPECT_EQ(common.ErrorCode(), IK_ERR_HANDLE);
    EXPECT_EQ(common.ImgHandle(), 0u);

    // An invented handle is kept and not touched.
    common.SetImgHandle(0x13572468);
    EXPECT_FALSE(common.FreeMemory());
    EXPECT_EQ(common.ImgHandle(), 0x13572468u);

    // A real image is freed once; the second call frees nothing.
    ASSERT_TRUE(common.CreateImage(8, 8, 24, 1, 2, 3));
    const IKHANDLE image = common.ImgHandle();
    EXPECT_TRUE(common.FreeMemory());
    EXPECT_EQ(common.ErrorCode(), 0);
    EXPECT_EQ(common.ImgHandle(), 0u);
    EXPECT_FALSE(platform::globalIsValid(image));
    EXPECT_FALSE(common.FreeMemory());

    // A freed handle set again is refused and kept.
    common.SetImgHandle(image);
    EXPECT_FALSE(common.FreeMemory());
    EXPECT_EQ(common.ImgHandle(), image);
    common.SetImgHandle(0);
}

TEST_F(Common, DpiSettersIgnoreNegativeValues) {
    common.SetXdpi(200);
    common.SetXdpi(-5);
    EXPECT_EQ(common.Xdpi(), 200);
    common.SetXdpi(0);
    EXPECT_EQ(common.Xdpi(), 0);
    common.SetYdpi(-1);
    EXPECT_EQ(common.Ydpi(), 0);
}

TEST_F(Common, StampedResolutionIsReadBack) {
    ASSERT_TRUE(common.CreateImage(4, 4, 1, 255, 255, 255));
    common.SetXdpi(400);
    common.SetYdpi(200);
    ASSERT_TRUE(common.SetDpi());
    common.SetXdpi(0);
    common.SetYdpi(0);
    ASSERT_TRUE(common.GetDpi());
    EXPECT_EQ(common.Xdpi(), 400);
    EXPECT_EQ(common.Ydpi(), 200);
    EXPECT_TRUE(common.FreeMemory());
}

TEST_F(Common, GetImageTypeCopiesTheRecord) {
    ASSERT_TRUE(common.CreateImage(21, 11, 8, 0, 0, 0));
    common.SetXdpi(150);
    common.SetYdpi(150);
    ASSERT_TRUE(common.SetDpi());
    common.SetXdpi(0);
    ASSERT_TRUE(common.GetImageType());
    EXPECT_EQ(common.ImageKind(), vikRasterImage);
    EXPECT_EQ(common.ImgWidth(), 21);
    EXPECT_EQ(common.ImgHeight(), 11);
    EXPECT_EQ(common.ValueA(), 8);
    EXPECT_EQ(common.ValueB(), 256);
    EXPECT_EQ(common.Xdpi(), 150);
    EXPECT_TRUE(common.FlagE());
    EXPECT_EQ(common.ValueF(), common.GetMemorySize());
    EXPECT_TRUE(common.FreeMemory());
}

TEST_F(Common, CopyImageOfNothingReportsTheLibraryStatus) {
    EXPECT_EQ(common.CopyImage(), 0u);
    EXPECT_EQ(common.ErrorCode(), IK_ERR_HANDLE);

    ASSERT_TRUE(common.CreateImage(3, 3, 4, 0, 0, 0));
    const IKHANDLE copy = common.CopyImage();
    EXPECT_NE(copy, 0u);
    EXPECT_NE(copy, common.ImgHandle());
    EXPECT_EQ(common.ErrorCode(), 0);
    EXPECT_TRUE(Ikdllprocs::IkFreeMemory(copy));
    EXPECT_TRUE(common.FreeMemory());
}

TEST_F(Common, GetMemorySizeKeepsAnEarlierStatusUntilTheCall) {
    ASSERT_TRUE(common.CreateImage(3, 3, 24, 0, 0, 0));
    EXPECT_EQ(common.GetMemorySize(), 40u + 3 * 12);
    EXPECT_EQ(common.ErrorCode(), 0);
    EXPECT_TRUE(common.FreeMemory());
    EXPECT_EQ(common.GetMemorySize(), 0u);
    EXPECT_EQ(common.ErrorCode(), IK_ERR_HANDLE);
}

TEST_F(Common, UnbuiltFunctionsReportUnavailable) {
    EXPECT_EQ(common.GetSystemPalette(), -1);
    EXPECT_EQ(common.ErrorCode(), 14);
    EXPECT_FALSE(common.CreateVectImage(0, 0, 10, 10));
    EXPECT_EQ(common.ErrorCode(), 14);
    EXPECT_FALSE(common.VectToDib(0, 24, true, 0, 0, 0));
    EXPECT_EQ(common.ErrorCode(), 14);
}

TEST_F(Common, PictureWriteReplacesTheImageAndReadShowsIt) {
    QImage picture(7, 5, QImage::Format_RGB32);
    picture.fill(qRgb(12, 34, 56));
    picture.setPixel(6, 4, qRgb(255, 0, 0));
    const std::size_t live = platform::globalLiveCount();

    ASSERT_TRUE(common.CreateImage(2, 2, 24, 0, 0, 0));
    const IKHANDLE previous = common.ImgHandle();
    common.SetPicture(picture);
    EXPECT_FALSE(platform::globalIsValid(previous));
    ASSERT_NE(common.ImgHandle(), 0u);
    EXPECT_EQ(platform::globalLiveCount(), live + 1);

    // Change the image behind the picture: reading converts the image again.
    ASSERT_TRUE(common.GetImageType());
    EXPECT_EQ(common.ImgWidth(), 7);
    const QImage read = common.Picture();
    EXPECT_EQ(read.size(), QSize(7, 5));
    EXPECT_EQ(read.pixel(6, 4), qRgb(255, 0, 0));
    EXPECT_EQ(read.pixel(0, 0), qRgb(12, 34, 56));

    // An empty picture leaves no image.
    common.SetPicture(QImage());
    EXPECT_EQ(common.ImgHandle(), 0u);
    EXPECT_TRUE(common.Picture().isNull());
    EXPECT_EQ(platform::globalLiveCount(), live);
}

TEST(CommonLifetime, DestructionFreesTheImage) {
    IKHANDLE image = 0;
    {
        TVIkCommon common;
        ASSERT_TRUE(common.CreateImage(5, 5, 32, 0, 0, 0));
        image = common.ImgHandle();
        EXPECT_TRUE(platform::globalIsValid(image));
    }
    EXPECT_FALSE(platform::globalIsValid(image));
}

TEST(CommonLifetime, CreateImageOverwritesWithoutFreeing) {
    TVIkCommon common;
    ASSERT_TRUE(common.CreateImage(5, 5, 24, 0, 0, 0));
    const IKHANDLE first = common.ImgHandle();
    ASSERT_TRUE(common.CreateImage(5, 5, 24, 0, 0, 0));
    EXPECT_NE(common.ImgHandle(), first);
    EXPECT_TRUE(platform::globalIsValid(first));
    EXPECT_TRUE(Ikdllprocs::IkFreeMemory(first));
}

}  // namespace
