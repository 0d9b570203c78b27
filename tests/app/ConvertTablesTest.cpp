#include "app/ConvertRules.h"
#include "app/ConvertTables.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using app::TiffSaveCode;

namespace {

TEST(ConvertTables, BuildCompressionFollowsTheListAndKeepsTheSourceOnTheFirstEntry) {
    struct Case {
        int index;
        int sourceType;
        TiffSaveCode expected;
    };
    const std::vector<Case> cases = {
        // First entry: the source file's compression, uncompressed for anything unknown.
        {0, 9, TiffSaveCode::Ccittrle},   {0, 10, TiffSaveCode::Group3_1D},   {0, 11, TiffSaveCode::Group3_2D},
        {0, 12, TiffSaveCode::Group4},    {0, 13, TiffSaveCode::Packbits},    {0, 14, TiffSaveCode::LZW},
        {0, 29, TiffSaveCode::JPEG},      {0, 8, TiffSaveCode::Noncompressed}, {0, 15, TiffSaveCode::Noncompressed},
        {0, 0, TiffSaveCode::Noncompressed},
        // Other entries ignore the source.
        {1, 12, TiffSaveCode::Noncompressed}, {2, 0, TiffSaveCode::Ccittrle}, {3, 0, TiffSaveCode::Group3_1D},
        {4, 0, TiffSaveCode::Group3_2D},  {5, 0, TiffSaveCode::Group4},      {6, 0, TiffSaveCode::Packbits},
        {7, 0, TiffSaveCode::LZW},        {8, 14, TiffSaveCode::JPEG},
        // No selection or an unknown index: uncompressed, never the source's compression.
        {-1, 12, TiffSaveCode::Noncompressed}, {9, 12, TiffSaveCode::Noncompressed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(app::buildSaveCode(c.index, c.sourceType), c.expected) << c.index << " / " << c.sourceType;
}

TEST(ConvertTables, SaveCodesCarryTheKitValues) {
    EXPECT_EQ(static_cast<int>(TiffSaveCode::Noncompressed), 5);
    EXPECT_EQ(static_cast<int>(TiffSaveCode::Group4), 9);
    EXPECT_EQ(static_cast<int>(TiffSaveCode::LZW), 11);
    EXPECT_EQ(static_cast<int>(TiffSaveCode::JPEG), 25);
}

TEST(ConvertTables, ScanCompressionSavesNothingWithoutAChoice) {
    const std::vector<std::optional<TiffSaveCode>> expected = {
        TiffSaveCode::Noncompressed, TiffSaveCode::Ccittrle, TiffSaveCode::Group3_1D, TiffSaveCode::Group3_2D,
        TiffSaveCode::Group4,        TiffSaveCode::Packbits, TiffSaveCode::LZW,       TiffSaveCode::JPEG};
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) EXPECT_EQ(app::scanSaveCode(i), expected[i]) << i;
    EXPECT_EQ(app::scanSaveCode(-1), std::nullopt);
    EXPECT_EQ(app::scanSaveCode(8), std::nullopt);
}

TEST(ConvertTables, ColourConversionUsesTheThresholdOnlyForTwoColours) {
    struct Case {
        int index;
        int bits, threshold, skip;
    };
    const std::vector<Case> cases = {{1, 1, 200, 1},  {2, 4, 0, 4},   {3, 8, 0, 8},  {4, 16, 0, 16},
                                     {5, 24, 0, 24}, {6, 32, 0, 32}, {7, 80, 0, 8}};
    for (const auto& c : cases) {
        const auto conversion = app::colorConversion(c.index, 200);
        ASSERT_TRUE(conversion.has_value()) << c.index;
        EXPECT_EQ(conversion->bits, c.bits) << c.index;
        EXPECT_EQ(conversion->threshold, c.threshold) << c.index;
        EXPECT_EQ(conversion->skipWhenBitCount, c.skip) << c.index;
    }
    for (int none : {-1, 0, 8}) EXPECT_FALSE(app::colorConversion(none, 200).has_value()) << none;
}

TEST(ConvertTables, ResolutionEntriesAndTheUsersOwnValues) {
    const int fixed[] = {75, 100, 200, 300, 400, 500, 600};
    for (int i = 1; i <= 7; ++i) {
        const auto r = app::resolutionFor(i, 1234, 56);
        ASSERT_TRUE(r.has_value()) << i;
        EXPECT_EQ(r->xDpi, fixed[i - 1]) << i;
        EXPECT_EQ(r->yDpi, fixed[i - 1]) << i;
    }
    const auto user = app::resolutionFor(8, 1234, 56);
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ(user->xDpi, 1234);
    EXPECT_EQ(user->yDpi, 56);
    for (int none : {-1, 0, 9}) EXPECT_FALSE(app::resolutionFor(none, 1234, 56).has_value()) << none;
}

TEST(ConvertTables, RotationTurnsClockwiseInHundredthsOfADegree) {
    EXPECT_EQ(app::rotationAngle(1), -9000);
    EXPECT_EQ(app::rotationAngle(2), -18000);
    EXPECT_EQ(app::rotationAngle(3), -27000);
    for (int none : {-1, 0, 4}) EXPECT_EQ(app::rotationAngle(none), std::nullopt) << none;
}

// Exporting pages 1, 3, 5 and 7 of a file: the numbers each scheme puts into the names.
TEST(ConvertTables, ExportNumbersPerScheme) {
    const int pages[] = {1, 3, 5, 7};
    const std::vector<std::vector<int>> expected = {{1, 3, 5, 7}, {1, 2, 3, 4}, {1, 3, 5, 7}, {2, 4, 6, 8}};
    for (int scheme = 0; scheme < 4; ++scheme)
        for (int k = 1; k <= 4; ++k)
            EXPECT_EQ(app::exportFileNumber(scheme, pages[k - 1], k), expected[scheme][k - 1]) << scheme << "/" << k;
    EXPECT_EQ(app::exportFileNumber(3, 11, 6), 12);
    for (int none : {-1, 4}) EXPECT_EQ(app::exportFileNumber(none, 3, 2), std::nullopt) << none;
}

TEST(ConvertRules, MarkingAndEnabling) {
    EXPECT_EQ(app::listMarkColor(0), widgets::kWhite);
    for (int i : {-1, 1, 2, 8}) EXPECT_EQ(app::listMarkColor(i), widgets::kAqua) << i;

    for (int i = -1; i <= 7; ++i) {
        EXPECT_EQ(app::thresholdApplies(i), i == 1) << i;
        EXPECT_EQ(app::thresholdTextColor(i), i == 1 ? widgets::kBlack : widgets::rgbColor(128, 128, 128)) << i;
    }
    for (int i = -1; i <= 8; ++i) {
        EXPECT_EQ(app::userResolutionApplies(i), i == 8) << i;
        EXPECT_EQ(app::userResolutionColor(i), i == 8 ? widgets::kAqua : widgets::kWhite) << i;
    }
}

TEST(ConvertRules, StoredIndexNamingNoItemMeansNoSelection) {
    EXPECT_EQ(app::storedListIndex(0, 4), 0);
    EXPECT_EQ(app::storedListIndex(3, 4), 3);
    EXPECT_EQ(app::storedListIndex(4, 4), -1);
    EXPECT_EQ(app::storedListIndex(-1, 4), -1);
    EXPECT_EQ(app::storedListIndex(-7, 4), -1);
}

}  // namespace
