// TVIkEffect: marshalling, ErrorCode rules, results and the untouched source.
#include "EffectImages.h"
#include "Ikeffect.h"
#include "kit/KitFixture.h"

#include <algorithm>
#include <vector>

using namespace effecttest;

namespace {

class EffectComponent : public KitLibraries {
protected:
    void SetUp() override {
        KitLibraries::SetUp();
        ASSERT_NE(Ikdllprocs::IkConvertColor, nullptr);
    }
    TVIkEffect effect;
};

TEST_F(EffectComponent, StartsWithItsDefaults) {
    EXPECT_EQ(effect.ErrorCode(), 0);
    EXPECT_EQ(effect.SrcImgHandle(), 0u);
    EXPECT_EQ(effect.DestImgHandle(), 0u);
    EXPECT_EQ(effect.InOut(), vikOutside);
    EXPECT_EQ(effect.SelectMode(), vikEffectMask);
    EXPECT_EQ(effect.RectRight(), 0);
    EXPECT_FALSE(effect.LayerOption());
    EXPECT_TRUE(effect.Caption().isEmpty());
}

TEST_F(EffectComponent, ConvertToOneBitKeepsTheColourSource) {
    KitImage colour(randomImage(30, 12, 24, 4));
    const auto before = bytesOf(colour.get());
    effect.SetSrcImgHandle(colour.get());
    ASSERT_TRUE(effect.ConvertColor(1, false, false, 128));
    KitImage mono(effect.DestImgHandle());
    EXPECT_EQ(effect.ErrorCode(), 0);
    EXPECT_EQ(factsOf(mono.get()).bits, 1);
    EXPECT_EQ(effect.SrcImgHandle(), colour.get());
    EXPECT_EQ(bytesOf(colour.get()), before);
}

TEST_F(EffectComponent, RotationHandsTheAngleUnchanged) {
    KitImage src(randomImage(9, 5, 8, 6));
    effect.SetSrcImgHandle(src.get());
    std::vector<std::vector<std::uint8_t>> turned;
    for (std::int32_t angle : {9000, -9000, -27000, -18000}) {
        ASSERT_TRUE(effect.Rotation(angle, false, false, false, 255, 255, 255, false)) << angle;
        KitImage result(effect.DestImgHandle());
        EXPECT_EQ(effect.DestMaskHandle(), 0u);
        turned.push_back(bytesOf(result.get()));
    }
    // Rotate left (+9000) sends the top-right pixel to the top-left corner.
    effect.SetSrcImgHandle(src.get());
    ASSERT_TRUE(effect.Rotation(9000, false, false, false, 255, 255, 255, false));
    KitImage left(effect.DestImgHandle());
    EXPECT_EQ(valueAt(left.get(), 0, 0), valueAt(src.get(), 8, 0));
    EXPECT_NE(turned[0], turned[1]);
    EXPECT_EQ(turned[0], turned[2]) << "a 270-degree clockwise turn is a quarter turn left";
    EXPECT_NE(turned[3], turned[0]);

    // With a mask, both are turned.
    KitImage mask(Ikdllprocs::IkCreateImage(9, 5, 1, 255, 255, 255, 0, 0, 0, 0));
    effect.SetSrcMaskHandle(mask.get());
    ASSERT_TRUE(effect.Rotation(-9000, false, false, false, 0, 0, 0, false));
    KitImage image(effect.DestImgHandle()), maskTurned(effect.DestMaskHandle());
    ASSERT_NE(maskTurned.get(), 0u);
    EXPECT_EQ(factsOf(maskTurned.get()).width, 5);
}

TEST_F(EffectComponent, CutAndResizeUseTheComponentsRectangleAndSize) {
    KitImage src(randomImage(20, 20, 24, 9));
    effect.SetSrcImgHandle(src.get());
    effect.SetRectLeft(2);
    effect.SetRectTop(3);
    effect.SetRectRight(12);
    effect.SetRectBottom(8);
    ASSERT_TRUE(effect.CutRectImage());
    KitImage cut(effect.DestImgHandle());
    EXPECT_EQ(factsOf(cut.get()).width, 10);
    EXPECT_EQ(colourAt(cut.get(), 0, 0), colourAt(src.get(), 2, 3));
    ASSERT_TRUE(effect.Resize(7, 3, false));
    KitImage small(effect.DestImgHandle());
    EXPECT_EQ(factsOf(small.get()).width, 7);
    EXPECT_EQ(factsOf(small.get()).height, 3);
    ASSERT_TRUE(effect.SetGray());
    KitImage grey(effect.DestImgHandle());
    EXPECT_EQ(factsOf(grey.get()).bits, 8);
}

TEST_F(EffectComponent, LibraryFailureGivesItsStatusAndNoImage) {
    effect.SetDestImgHandle(0x1234);
    effect.SetSrcImgHandle(0);
    EXPECT_FALSE(effect.ConvertColor(8, false, false, 0));
    EXPECT_EQ(effect.ErrorCode(), IK_ERR_HANDLE);
    EXPECT_EQ(effect.DestImgHandle(), 0u);
}

TEST_F(EffectComponent, PolygonWithoutPointsAndAbsentFiltersStopBeforeTheCall) {
    effect.SetDestImgHandle(0x1111);
    effect.SetDestMaskHandle(0x2222);
    effect.SetSelectMode(vikEffectPolygon);
    EXPECT_FALSE(effect.Blur(5));
    EXPECT_EQ(effect.ErrorCode(), 5);
    const TVIkPoint square[4] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    EXPECT_FALSE(effect.SelectImage(nullptr, 0, 1, 2, 3));
    EXPECT_EQ(effect.ErrorCode(), 5);
    // Filters this kit does not build are absent: 14, and the results are kept.
    EXPECT_FALSE(effect.Blur(square, 4, 5));
    EXPECT_EQ(effect.ErrorCode(), 14);
    effect.SetSelectMode(vikEffectAll);
    EXPECT_FALSE(effect.Mosaic(4, 4));
    EXPECT_EQ(effect.ErrorCode(), 14);
    EXPECT_EQ(effect.DestImgHandle(), 0x1111u);
    EXPECT_EQ(effect.DestMaskHandle(), 0x2222u);
    effect.SetDestImgHandle(0);
    effect.SetDestMaskHandle(0);
}

TEST_F(EffectComponent, PixelAccessSlots) {
    std::vector<IKHANDLE> images;
    for (int i = 0; i < 11; ++i) images.push_back(randomImage(4, 4, 24, static_cast<unsigned>(i)));
    std::int32_t index = -1;
    EXPECT_FALSE(effect.StartDibAccess(0, index));
    EXPECT_EQ(effect.ErrorCode(), 7);
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(effect.StartDibAccess(images[static_cast<std::size_t>(i)], index));
        EXPECT_EQ(index, i);
    }
    EXPECT_FALSE(effect.StartDibAccess(images[0], index)) << "already open";
    EXPECT_EQ(effect.ErrorCode(), 5);
    EXPECT_FALSE(effect.StartDibAccess(images[10], index)) << "no free slot";
    EXPECT_EQ(effect.ErrorCode(), 5);
    std::uint8_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
    for (std::int32_t bad : {10, -1}) {
        EXPECT_FALSE(effect.GetDibPixel(bad, 0, 0, c0, c1, c2, c3));
        EXPECT_EQ(effect.ErrorCode(), 5);
    }
    // Pixel values travel as the packed value's bytes: blue, green, red.
    ASSERT_TRUE(effect.SetDibPixel(3, 1, 2, 10, 20, 30, 0));
    ASSERT_TRUE(effect.GetDibPixel(3, 1, 2, c0, c1, c2, c3));
    EXPECT_EQ(c0, 10);
    EXPECT_EQ(c1, 20);
    EXPECT_EQ(c2, 30);
    EXPECT_EQ(colourAt(images[3], 1, 2), 0x1E140Au);
    EXPECT_FALSE(effect.GetDibPixel(3, 4, 0, c0, c1, c2, c3));
    EXPECT_EQ(effect.ErrorCode(), IK_ERR_ARGUMENT);
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(effect.EndDibAccess(i));
    EXPECT_FALSE(effect.EndDibAccess(0));
    EXPECT_EQ(effect.ErrorCode(), 5);
    for (IKHANDLE image : images) {
        EXPECT_EQ(platform::globalFlags(image) & platform::kGlobalLockCountMask, 0u) << "left locked";
        Ikdllprocs::IkFreeMemory(image);
    }
}

TEST_F(EffectComponent, ProgressIsRelayedAndCanCancel) {
    KitImage src(randomImage(64, 64, 24, 12));
    effect.SetSrcImgHandle(src.get());
    std::vector<std::int16_t> seen;
    effect.OnProgress = [&](TVIkEffect*, std::int16_t percent) { seen.push_back(percent); };
    ASSERT_TRUE(effect.ConvertColor(8, false, false, 0));
    KitImage first(effect.DestImgHandle());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    // With a caption the library's own window is asked for instead: no events.
    seen.clear();
    effect.SetCaption(QStringLiteral("変換中"));
    ASSERT_TRUE(effect.ConvertColor(24, false, false, 0));
    KitImage second(effect.DestImgHandle());
    EXPECT_TRUE(seen.empty());

    effect.SetCaption(QString());
    effect.OnProgress = [&](TVIkEffect* sender, std::int16_t percent) {
        if (percent >= 50) sender->SetCancel(true);
    };
    EXPECT_FALSE(effect.ConvertColor(1, false, false, 128));
    EXPECT_EQ(effect.ErrorCode(), IK_ERR_CANCELLED);
    EXPECT_EQ(effect.DestImgHandle(), 0u);
}

}  // namespace
