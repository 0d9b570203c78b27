// Ik7Effect.so as the program calls it: through the function table.
#include "EffectImages.h"
#include "kit/KitFixture.h"

#include <cmath>
#include <set>

using namespace effecttest;
using namespace Ikdllprocs;

namespace {

constexpr int kDepths[] = {1, 4, 8, 16, 24, 32};

// A 2 × 1 grey image: black, white.
IKHANDLE allocateGreyPair() {
    const IKHANDLE image = IkCreateImage(2, 1, 8, 0, 0, 0, 0, 0, 0, 0);
    setValueAt(image, 1, 0, 255);
    return image;
}

class Effect : public KitLibraries {
protected:
    void SetUp() override {
        KitLibraries::SetUp();
        ASSERT_NE(IkRotationEx, nullptr) << "Ik7Effect.so not loaded";
    }
    static IKHANDLE turn(IKHANDLE image, std::int32_t angle, std::uint8_t r = 255, std::uint8_t g = 255,
                         std::uint8_t b = 255) {
        const IKHANDLE images[2] = {image, 0};
        IKHANDLE results[2] = {0, 0};
        if (!IkRotationEx(images, results, angle, 0, 0, 0, r, g, b, 0, nullptr, "", "", "")) return 0;
        return results[0];
    }
    static IKHANDLE convert(IKHANDLE image, std::uint16_t bits, std::uint8_t threshold = 128) {
        return IkConvertColor(image, bits, IK_FALSE, IK_FALSE, threshold, nullptr, "", "", "");
    }
};

TEST_F(Effect, FourQuarterTurnsGiveBackTheOriginalBytesOnEveryDepth) {
    for (int bits : kDepths) {
        for (auto [w, h] : {std::pair{13, 7}, std::pair{37, 21}, std::pair{16, 8}}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << w << " x " << h);
            KitImage original(randomImage(w, h, bits, static_cast<unsigned>(bits * 100 + w)));
            ASSERT_NE(original.get(), 0u);
            const auto before = bytesOf(original.get());
            for (std::int32_t step : {9000, -9000}) {
                IKHANDLE current = IkCopyImage(original.get());
                for (int i = 0; i < 4; ++i) {
                    const IKHANDLE next = turn(current, step);
                    ASSERT_NE(next, 0u);
                    IkFreeMemory(current);
                    current = next;
                }
                EXPECT_EQ(bytesOf(current), before);
                IkFreeMemory(current);
            }
            EXPECT_EQ(bytesOf(original.get()), before) << "source changed";
        }
    }
}

TEST_F(Effect, QuarterTurnsPutEveryPixelWhereTheTurnSends) {
    for (int bits : kDepths) {
        SCOPED_TRACE(testing::Message() << bits << " bits");
        const std::int32_t w = 19, h = 11;
        KitImage src(randomImage(w, h, bits, 7u + static_cast<unsigned>(bits)));
        ASSERT_TRUE(IkSetDpi(src.get(), 300, 150));
        KitImage left(turn(src.get(), 9000)), right(turn(src.get(), -9000)), half(turn(src.get(), 18000)),
            three(turn(src.get(), -27000)), none(turn(src.get(), 0));
        ASSERT_TRUE(left.get() && right.get() && half.get() && three.get() && none.get());
        EXPECT_EQ(factsOf(left.get()).width, h);
        EXPECT_EQ(factsOf(left.get()).height, w);
        EXPECT_EQ(bytesOf(three.get()), bytesOf(left.get())) << "-27000 is the same turn as +9000";
        EXPECT_EQ(bytesOf(none.get()), bytesOf(src.get()));
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x) {
                const std::uint32_t v = valueAt(src.get(), x, y);
                // Counter-clockwise: the top-right corner becomes the top-left one.
                ASSERT_EQ(valueAt(left.get(), y, w - 1 - x), v) << x << "," << y;
                ASSERT_EQ(valueAt(right.get(), h - 1 - y, x), v) << x << "," << y;
                ASSERT_EQ(valueAt(half.get(), w - 1 - x, h - 1 - y), v) << x << "," << y;
            }
        std::int32_t xdpi = 0, ydpi = 0;
        ASSERT_TRUE(IkGetDpi(left.get(), &xdpi, &ydpi));
        EXPECT_EQ(xdpi, 150);
        EXPECT_EQ(ydpi, 300);
        ASSERT_TRUE(IkGetDpi(half.get(), &xdpi, &ydpi));
        EXPECT_EQ(xdpi, 300);
        if (bits <= 8) {
            // The colour table travels unchanged.
            for (std::int32_t x = 0; x < w; ++x) EXPECT_EQ(colourAt(left.get(), 0, w - 1 - x), colourAt(src.get(), x, 0));
        }
    }
}

TEST_F(Effect, QuarterTurnsOfImagesLargerThanATileMoveEveryPixel) {
    // Sizes that leave partial tiles and partial groups of packed columns at both ends.
    for (int bits : kDepths)
        for (auto [w, h] : {std::pair{150, 70}, std::pair{65, 129}}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << w << " x " << h);
            KitImage src(randomImage(w, h, bits, 31u * static_cast<unsigned>(bits) + static_cast<unsigned>(w)));
            KitImage left(turn(src.get(), 9000)), right(turn(src.get(), -9000)), half(turn(src.get(), 18000));
            ASSERT_TRUE(left.get() && right.get() && half.get());
            for (std::int32_t y = 0; y < h; ++y)
                for (std::int32_t x = 0; x < w; ++x) {
                    const std::uint32_t v = valueAt(src.get(), x, y);
                    ASSERT_EQ(valueAt(left.get(), y, w - 1 - x), v) << x << "," << y;
                    ASSERT_EQ(valueAt(right.get(), h - 1 - y, x), v) << x << "," << y;
                    ASSERT_EQ(valueAt(half.get(), w - 1 - x, h - 1 - y), v) << x << "," << y;
                }
        }
}

TEST_F(Effect, OtherAnglesTurnInsideTheBoundingBoxOnTheBackground) {
    KitImage src(IkCreateImage(40, 20, 24, 255, 255, 255, 0, 0, 0, 0));
    KitImage turned(turn(src.get(), 4500, 255, 0, 0));
    ASSERT_NE(turned.get(), 0u);
    const Facts f = factsOf(turned.get());
    const auto side = static_cast<std::int32_t>(std::ceil(60 * std::sqrt(0.5)));
    EXPECT_NEAR(f.width, side, 1);
    EXPECT_NEAR(f.height, side, 1);
    EXPECT_EQ(f.bits, 24);
    EXPECT_EQ(colourAt(turned.get(), 0, 0), 0xFF0000u);
    EXPECT_EQ(colourAt(turned.get(), f.width - 1, f.height - 1), 0xFF0000u);
    EXPECT_EQ(colourAt(turned.get(), f.width / 2, f.height / 2), 0xFFFFFFu);

    // A palette image takes the table entry nearest the background.
    KitImage mono(IkCreateImage(30, 30, 1, 255, 255, 255, 0, 0, 0, 0));
    KitImage monoTurned(turn(mono.get(), 3000, 0, 0, 0));
    ASSERT_NE(monoTurned.get(), 0u);
    EXPECT_EQ(colourAt(monoTurned.get(), 0, 0), 0u);
}

TEST_F(Effect, OneBitThresholdOnLuminanceLeavesTheSourceUnchanged) {
    KitImage src(randomImage(45, 17, 24, 3));
    ASSERT_TRUE(IkSetDpi(src.get(), 200, 100));
    const auto before = bytesOf(src.get());
    for (int threshold : {0, 1, 128, 200, 255}) {
        KitImage mono(convert(src.get(), 1, static_cast<std::uint8_t>(threshold)));
        ASSERT_NE(mono.get(), 0u);
        ASSERT_EQ(factsOf(mono.get()).bits, 1);
        for (std::int32_t y = 0; y < 17; ++y)
            for (std::int32_t x = 0; x < 45; ++x) {
                const std::uint32_t c = colourAt(src.get(), x, y);
                const double level = 0.299 * (c >> 16) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * (c & 0xFF);
                const std::uint32_t expected = level >= threshold - 0.5 ? 0xFFFFFFu : 0u;
                ASSERT_EQ(colourAt(mono.get(), x, y), expected) << x << "," << y << " threshold " << threshold;
            }
        std::int32_t xdpi = 0, ydpi = 0;
        ASSERT_TRUE(IkGetDpi(mono.get(), &xdpi, &ydpi));
        EXPECT_EQ(xdpi, 200);
        EXPECT_EQ(ydpi, 100);
    }
    EXPECT_EQ(bytesOf(src.get()), before);
}

TEST_F(Effect, DirectDepthsAndGreyMatchAnIndependentComputation) {
    for (int from : kDepths) {
        SCOPED_TRACE(testing::Message() << "from " << from << " bits");
        KitImage src(randomImage(23, 9, from, 11u + static_cast<unsigned>(from)));
        KitImage grey(convert(src.get(), 80)), c16(convert(src.get(), 16)), c24(convert(src.get(), 24)),
            c32(convert(src.get(), 32));
        ASSERT_TRUE(grey.get() && c16.get() && c24.get() && c32.get());
        EXPECT_EQ(factsOf(grey.get()).bits, 8);
        EXPECT_EQ(factsOf(c16.get()).bits, 16);
        for (std::int32_t y = 0; y < 9; ++y)
            for (std::int32_t x = 0; x < 23; ++x) {
                const std::uint32_t c = colourAt(src.get(), x, y);
                const unsigned r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
                ASSERT_EQ(colourAt(c24.get(), x, y), c);
                ASSERT_EQ(colourAt(c32.get(), x, y), c);
                ASSERT_EQ(valueAt(c16.get(), x, y), ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
                const double level = 0.299 * r + 0.587 * g + 0.114 * b;
                ASSERT_NEAR(static_cast<double>(valueAt(grey.get(), x, y)), level, 0.5 + 1e-9);
                ASSERT_EQ(colourAt(grey.get(), x, y) & 0xFF, valueAt(grey.get(), x, y)) << "grey table";
            }
    }
}

TEST_F(Effect, PaletteDepthsKeepFewColoursExactly) {
    // 200 distinct colours fit 8 bits exactly; 16 fit 4 bits.
    for (auto [bits, colours] : {std::pair{8, 200}, std::pair{4, 16}}) {
        KitImage src(IkCreateImage(50, 20, 24, 0, 0, 0, 0, 0, 0, 0));
        for (std::int32_t y = 0; y < 20; ++y)
            for (std::int32_t x = 0; x < 50; ++x) {
                const std::uint32_t i = static_cast<std::uint32_t>(y * 50 + x) % static_cast<std::uint32_t>(colours);
                setValueAt(src.get(), x, y, (i * 37 % 256) << 16 | (i * 91 % 256) << 8 | (255 - i));
            }
        KitImage reduced(convert(src.get(), static_cast<std::uint16_t>(bits)));
        ASSERT_NE(reduced.get(), 0u);
        EXPECT_EQ(factsOf(reduced.get()).bits, bits);
        for (std::int32_t y = 0; y < 20; ++y)
            for (std::int32_t x = 0; x < 50; ++x) ASSERT_EQ(colourAt(reduced.get(), x, y), colourAt(src.get(), x, y));
    }
}

TEST_F(Effect, MedianCutFollowsTheColoursOfThePicture) {
    // Thousands of shades of blue: a fixed colour cube has 4 blue levels, an adapted
    // palette spends its entries on blue (a 3-3-2 cube errs by about 12 levels here).
    KitImage src(IkCreateImage(256, 64, 24, 0, 0, 0, 0, 0, 0, 0));
    for (std::int32_t y = 0; y < 64; ++y)
        for (std::int32_t x = 0; x < 256; ++x)
            setValueAt(src.get(), x, y, static_cast<std::uint32_t>((y / 2) << 16 | (y / 2) << 8 | x));
    for (auto [bits, bound] : {std::pair{8, 3.0}, std::pair{4, 12.0}}) {
        KitImage reduced(convert(src.get(), static_cast<std::uint16_t>(bits)));
        ASSERT_NE(reduced.get(), 0u);
        double error = 0;
        for (std::int32_t y = 0; y < 64; ++y)
            for (std::int32_t x = 0; x < 256; ++x) {
                const std::uint32_t a = colourAt(src.get(), x, y), b = colourAt(reduced.get(), x, y);
                for (int shift : {0, 8, 16}) error += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
            }
        EXPECT_LT(error / (256 * 64 * 3), bound) << bits << " bits";
    }
}

TEST_F(Effect, CutTakesTheRectangleClippedToTheImage) {
    for (int bits : {1, 4, 24}) {
        KitImage src(randomImage(20, 10, bits, 5));
        const IKRECT rect{3, 2, 12, 7};
        KitImage cut(IkCutRectImage(src.get(), &rect, nullptr, "", "", ""));
        ASSERT_NE(cut.get(), 0u);
        EXPECT_EQ(factsOf(cut.get()).width, 9);
        EXPECT_EQ(factsOf(cut.get()).height, 5);
        for (std::int32_t y = 0; y < 5; ++y)
            for (std::int32_t x = 0; x < 9; ++x) ASSERT_EQ(colourAt(cut.get(), x, y), colourAt(src.get(), x + 3, y + 2));
        const IKRECT beyond{15, 8, 40, 40};
        KitImage corner(IkCutRectImage(src.get(), &beyond, nullptr, "", "", ""));
        ASSERT_NE(corner.get(), 0u);
        EXPECT_EQ(factsOf(corner.get()).width, 5);
        EXPECT_EQ(factsOf(corner.get()).height, 2);
        const IKRECT empty{5, 5, 5, 9};
        EXPECT_EQ(IkCutRectImage(src.get(), &empty, nullptr, "", "", ""), 0u);
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
    }
}

TEST_F(Effect, ResizeAveragesWhenShrinkingAndInterpolatesWhenEnlarging) {
    // A one-pixel checkerboard halved: every output pixel averages two black and two white.
    KitImage checker(IkCreateImage(8, 8, 1, 0, 0, 0, 0, 0, 0, 0));
    for (std::int32_t y = 0; y < 8; ++y)
        for (std::int32_t x = 0; x < 8; ++x) setValueAt(checker.get(), x, y, static_cast<std::uint32_t>((x + y) & 1));
    IKHANDLE images[2] = {checker.get(), 0};
    IKHANDLE results[2] = {0, 0};
    ASSERT_TRUE(IkResizeEx(images, results, 4, 4, IK_FALSE, nullptr, "", "", ""));
    KitImage half(results[0]);
    EXPECT_EQ(results[1], 0u);
    EXPECT_EQ(factsOf(half.get()).bits, 8);
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 4; ++x) EXPECT_NEAR(valueAt(half.get(), x, y), 127.5, 0.5);

    // Two grey pixels 0 and 255 stretched to four: bilinear between the pixel centres.
    KitImage pair(allocateGreyPair());
    images[0] = pair.get();
    ASSERT_TRUE(IkResizeEx(images, results, 4, 1, IK_FALSE, nullptr, "", "", ""));
    KitImage wide(results[0]);
    const std::uint32_t expected[4] = {0, 64, 191, 255};
    for (std::int32_t x = 0; x < 4; ++x) EXPECT_NEAR(valueAt(wide.get(), x, 0), expected[x], 1) << x;

    // Nearest keeps depth and table.
    images[0] = checker.get();
    ASSERT_TRUE(IkResizeEx(images, results, 16, 16, IK_TRUE, nullptr, "", "", ""));
    KitImage doubled(results[0]);
    EXPECT_EQ(factsOf(doubled.get()).bits, 1);
    for (std::int32_t y = 0; y < 16; ++y)
        for (std::int32_t x = 0; x < 16; ++x) ASSERT_EQ(valueAt(doubled.get(), x, y), valueAt(checker.get(), x / 2, y / 2));
}

TEST_F(Effect, RgbaImagesAreMadeAndSplitBack) {
    KitImage colour(randomImage(9, 5, 24, 8));
    KitImage mask(IkCreateImage(9, 5, 8, 77, 77, 77, 0, 0, 0, 0));
    KitImage rgba(IkMakeRGBAImage(colour.get(), mask.get(), nullptr, "", "", ""));
    ASSERT_NE(rgba.get(), 0u);
    EXPECT_EQ(factsOf(rgba.get()).bits, 32);
    IKHANDLE rgb = 0, alpha = 0;
    ASSERT_TRUE(IkSplitRGBAImage(rgba.get(), &rgb, &alpha, nullptr, "", "", ""));
    KitImage rgbImage(rgb), alphaImage(alpha);
    for (std::int32_t y = 0; y < 5; ++y)
        for (std::int32_t x = 0; x < 9; ++x) {
            EXPECT_EQ(colourAt(rgb, x, y), colourAt(colour.get(), x, y));
            EXPECT_EQ(valueAt(alpha, x, y), 77u);
            EXPECT_EQ(valueAt(rgba.get(), x, y) >> 24, 77u);
        }
    EXPECT_FALSE(IkSplitRGBAImage(colour.get(), &rgb, &alpha, nullptr, "", "", ""));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FORMAT);
}

TEST_F(Effect, FailuresLeaveAStatusAndNoImage) {
    EXPECT_EQ(convert(0, 8), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_HANDLE);
    KitImage src(randomImage(4, 4, 24, 1));
    EXPECT_EQ(convert(src.get(), 2), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
    EXPECT_FALSE(IkRotationEx(nullptr, nullptr, 9000, 0, 0, 0, 0, 0, 0, 0, nullptr, "", "", ""));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
    // A stop from the progress callback ends the operation.
    KitImage big(randomImage(64, 64, 24, 2));
    auto stop = [](std::int32_t) -> std::int32_t { return 0; };
    EXPECT_EQ(IkConvertColor(big.get(), 1, 0, 0, 128, stop, "", "", ""), 0u);
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_CANCELLED);
}

}  // namespace
