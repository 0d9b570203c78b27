#include "widgets/ShadolblGeometry.h"

#include <gtest/gtest.h>

using widgets::TTextGradation;
using widgets::TTextLayout;

namespace {

const QRgb kFont = qRgb(0, 0, 0);
const QRgb kMid = qRgb(0, 0, 128);
const QRgb kEnd = qRgb(128, 0, 0);

std::vector<QRgb> colorsOf(const std::vector<widgets::TextRun>& runs) {
    std::vector<QRgb> colors;
    for (const auto& r : runs) colors.push_back(r.color);
    return colors;
}

QString textOf(const std::vector<widgets::TextRun>& runs) {
    QString s;
    for (const auto& r : runs) s += r.text;
    return s;
}

TEST(ShadowLabelText, EmptyCaptionAndLoneAmpersandGetABlank) {
    EXPECT_EQ(widgets::shadowLabelText("", true), " ");
    EXPECT_EQ(widgets::shadowLabelText("", false), " ");
    EXPECT_EQ(widgets::shadowLabelText("&", true), "& ");
    EXPECT_EQ(widgets::shadowLabelText("&", false), "&");
    EXPECT_EQ(widgets::shadowLabelText("回転(&R):", true), "回転(&R):");
}

TEST(ShadowLabelTextOffset, LayoutMovesTheTextDown) {
    EXPECT_EQ(widgets::shadowLabelTextOffset(TTextLayout::tlTop, 25, 14), 0);
    EXPECT_EQ(widgets::shadowLabelTextOffset(TTextLayout::tlCenter, 25, 14), 5);
    EXPECT_EQ(widgets::shadowLabelTextOffset(TTextLayout::tlBottom, 25, 14), 11);
    // Text taller than the label moves up, rounding towards zero.
    EXPECT_EQ(widgets::shadowLabelTextOffset(TTextLayout::tlCenter, 10, 15), -2);
}

TEST(ShadowLabelColors, DisabledLabelUsesFixedGreys) {
    const auto on = widgets::shadowLabelColors(true, widgets::kBlack, widgets::kWhite, widgets::kYellow);
    EXPECT_EQ(on.shadow, widgets::kBlack);
    EXPECT_EQ(on.highlight, widgets::kWhite);
    EXPECT_EQ(on.text, widgets::kYellow);
    const auto off = widgets::shadowLabelColors(false, widgets::kBlack, widgets::kWhite, widgets::kYellow);
    EXPECT_EQ(off.shadow, widgets::rgbColor(128, 128, 128));
    EXPECT_EQ(off.highlight, widgets::kBtnHighlight);
    EXPECT_EQ(off.text, widgets::kBtnShadow);
}

TEST(GradientStep, EndsExactStepsTruncatedSingleStepIsStart) {
    const QRgb a = qRgb(0, 0, 255), b = qRgb(255, 255, 255);
    EXPECT_EQ(widgets::gradientStep(a, b, 0, 4), a);
    EXPECT_EQ(widgets::gradientStep(a, b, 3, 4), b);
    EXPECT_EQ(widgets::gradientStep(a, b, 1, 4), qRgb(85, 85, 255));
    // (0 − 200) × 1 ÷ 3 + 200 = 133.3 → 133.
    EXPECT_EQ(qRed(widgets::gradientStep(qRgb(200, 0, 0), qRgb(0, 0, 0), 1, 4)), 133);
    EXPECT_EQ(widgets::gradientStep(a, b, 0, 1), a);
    EXPECT_TRUE(widgets::gradientLines(a, b, 0).empty());
    EXPECT_EQ(widgets::gradientLines(a, b, 1), std::vector<QRgb>{a});
}

TEST(DoubleByteLength, AsciiAndHalfWidthKanaAreSingle) {
    EXPECT_EQ(widgets::doubleByteLength(U'A'), 1);
    EXPECT_EQ(widgets::doubleByteLength(U'ｱ'), 1);
    EXPECT_EQ(widgets::doubleByteLength(U'ﾟ'), 1);
    EXPECT_EQ(widgets::doubleByteLength(U'あ'), 2);
    EXPECT_EQ(widgets::doubleByteLength(U'Ａ'), 2);
}

TEST(TextGradientRuns, NoGradientOrOneCharacterDrawsWhole) {
    EXPECT_TRUE(widgets::textGradientRuns("abc", TTextGradation::tgNone, kFont, kMid, kEnd).empty());
    EXPECT_TRUE(widgets::textGradientRuns("a", TTextGradation::tg3Colors, kFont, kMid, kEnd).empty());
    EXPECT_TRUE(widgets::textGradientRuns("あ", TTextGradation::tg2Colors, kFont, kMid, kEnd).empty());
}

TEST(TextGradientRuns, TwoColoursRunOverAllCharacters) {
    const auto runs = widgets::textGradientRuns("abcd", TTextGradation::tg2Colors, kFont, kMid, kEnd);
    EXPECT_EQ(textOf(runs), "abcd");
    EXPECT_EQ(colorsOf(runs), (std::vector<QRgb>{kFont, qRgb(42, 0, 0), qRgb(85, 0, 0), kEnd}));
}

TEST(TextGradientRuns, ThreeColoursOnTwoCharactersFallBackToTwo) {
    const auto runs = widgets::textGradientRuns("ab", TTextGradation::tg3Colors, kFont, kMid, kEnd);
    EXPECT_EQ(colorsOf(runs), (std::vector<QRgb>{kFont, kEnd}));
}

struct CutCase {
    const char* text;
    std::vector<QRgb> colors;
};

class ThreeColourCut : public testing::TestWithParam<CutCase> {};

TEST_P(ThreeColourCut, CutsAtHalfTheByteLengthKeepingCharactersWhole) {
    const CutCase& c = GetParam();
    const auto runs = widgets::textGradientRuns(QString::fromUtf8(c.text), TTextGradation::tg3Colors,
                                                kFont, kMid, kEnd);
    EXPECT_EQ(textOf(runs), QString::fromUtf8(c.text));
    EXPECT_EQ(colorsOf(runs), c.colors) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ThreeColourCut,
    testing::Values(
        // 3 bytes, cut after byte 1: "a" | "bc".
        CutCase{"abc", {kFont, kMid, kEnd}},
        // Half-width kana are single bytes too.
        CutCase{"ｱｲｳ", {kFont, kMid, kEnd}},
        // 4 bytes, cut after byte 2 falls inside "あ", so it moves on: "aあ" | "b" (one character: end colour).
        CutCase{"aあb", {kFont, kMid, kEnd}},
        // 6 bytes, cut after byte 3 falls inside "い": "あい" | "う".
        CutCase{"あいう", {kFont, kMid, kEnd}},
        // 5 bytes, cut after byte 2: "ab" | "cde" running from the middle to the end colour.
        CutCase{"abcde", {kFont, kMid, kMid, qRgb(64, 0, 64), kEnd}},
        // 4 bytes, cut after byte 2 at a character boundary: "あ" (font colour) | "bc".
        CutCase{"あbc", {kFont, kMid, kEnd}}));

TEST(PathEllipsis, KeepsTheFileNameAndAsMuchOfTheStartAsFits) {
    auto chars = [](const QString& s) { return static_cast<int>(s.size()); };
    const QString path = QStringLiteral("/home/user/documents/file.tif");
    EXPECT_EQ(widgets::pathEllipsis(path, 100, chars), path);
    EXPECT_EQ(widgets::pathEllipsis(path, 20, chars), QStringLiteral("/home/us.../file.tif"));
    EXPECT_EQ(widgets::pathEllipsis(path, 12, chars), QStringLiteral(".../file.tif"));
    EXPECT_EQ(widgets::pathEllipsis(path, 8, chars), QStringLiteral(".../file"));
    EXPECT_EQ(widgets::pathEllipsis(QStringLiteral("noslashes"), 6, chars), QStringLiteral("...nos"));
}

}  // namespace
