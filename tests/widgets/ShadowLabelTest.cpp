#include "widgets/Shadolbl.h"

#include "PixelHelpers.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using widgets::TShadowLabel;
using widgets::TTextGradation;
using widgets::TTextLayout;

namespace {

const QRgb kMagenta = qRgb(255, 0, 255);

QFont pixelFont(int size, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(size);
    font.setBold(bold);
    return font;
}

bool whitish(QRgb p) { return qRed(p) > 230 && qGreen(p) > 230 && qBlue(p) > 230; }
bool blackish(QRgb p) { return qRed(p) < 30 && qGreen(p) < 30 && qBlue(p) < 30; }

// A label configured like the field labels of the settings dialogs.
void dialogLabel(TShadowLabel& label, TTextLayout layout) {
    label.SetAutoSize(false);
    label.setFont(pixelFont(12));
    label.SetCaption(QStringLiteral("圧縮形式(&C):"));
    label.SetTransparent(true);
    label.SetFontColor(widgets::kWhite);
    label.Shadow().SetColor(widgets::kBlack);
    label.Highlight().SetVisible(false);
    label.SetLayout(layout);
    label.resize(120, 40);
}

TEST(ShadowLabelPixels, DialogLabelIsWhiteTextOverBlackCopyOnePixelRightAndDown) {
    TShadowLabel label;
    dialogLabel(label, TTextLayout::tlCenter);
    const QImage image = pixels::render(label, kMagenta);

    const QRect white = pixels::boundsWhere(image, whitish);
    const QRect black = pixels::boundsWhere(image, blackish);
    ASSERT_FALSE(white.isEmpty());
    ASSERT_FALSE(black.isEmpty());
    // The black copy sticks out exactly one pixel to the right and below the white one.
    EXPECT_EQ(black.right(), white.right() + 1);
    EXPECT_EQ(black.bottom(), white.bottom() + 1);
    // Transparent: nothing is painted beyond the two copies of the text and their smoothed edges.
    const QRect ink = pixels::boundsWhere(image, pixels::other(kMagenta));
    EXPECT_TRUE((white | black).adjusted(-1, -1, 1, 1).contains(ink)) << ink.x() << "," << ink.y();
    EXPECT_GT(pixels::countWhere(image, pixels::exactly(kMagenta)), image.width() * image.height() / 2);
}

TEST(ShadowLabelPixels, CentredLayoutMovesTheTextByHalfTheFreeHeight) {
    TShadowLabel top, centred, bottom;
    dialogLabel(top, TTextLayout::tlTop);
    dialogLabel(centred, TTextLayout::tlCenter);
    dialogLabel(bottom, TTextLayout::tlBottom);
    const int textHeight = QFontMetrics(pixelFont(12)).height();
    const int atTop = pixels::boundsWhere(pixels::render(top), whitish).top();
    EXPECT_EQ(pixels::boundsWhere(pixels::render(centred), whitish).top() - atTop, (40 - textHeight) / 2);
    EXPECT_EQ(pixels::boundsWhere(pixels::render(bottom), whitish).top() - atTop, 40 - textHeight);
}

TEST(ShadowLabelPixels, DisabledLabelDrawsGreyShadowButtonHighlightAndButtonShadowText) {
    TShadowLabel label;
    label.SetAutoSize(false);
    label.setFont(pixelFont(40, true));
    label.SetCaption(QStringLiteral("H"));
    label.SetTransparent(true);
    label.SetFontColor(widgets::rgbColor(255, 0, 0));
    label.Shadow().SetOffsetLeft(6);
    label.Shadow().SetOffsetTop(6);
    label.Highlight().SetOffsetLeft(-6);
    label.Highlight().SetOffsetTop(-6);
    label.resize(80, 70);
    label.move(0, 0);
    label.setEnabled(false);
    const QImage image = pixels::render(label, kMagenta);

    const QRgb grey = qRgb(128, 128, 128);
    const QRgb highlight = widgets::toQColor(widgets::kBtnHighlight).rgb();
    const QRgb text = widgets::toQColor(widgets::kBtnShadow).rgb();
    ASSERT_NE(grey, text);
    ASSERT_NE(highlight, text);
    // Each copy shows its colour where the stems of the three copies do not overlap.
    EXPECT_GT(pixels::countWhere(image, pixels::exactly(grey)), 20);
    EXPECT_GT(pixels::countWhere(image, pixels::exactly(highlight)), 20);
    EXPECT_GT(pixels::countWhere(image, pixels::exactly(text)), 20);
    EXPECT_EQ(pixels::countWhere(image, [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 50 && qBlue(p) < 50; }), 0);
    // The grey shadow lies right of and below the text, the highlight left of and above it.
    const QRect textBox = pixels::boundsWhere(image, pixels::exactly(text));
    EXPECT_GT(pixels::boundsWhere(image, pixels::exactly(grey)).right(), textBox.right());
    EXPECT_LT(pixels::boundsWhere(image, pixels::exactly(highlight)).left(), textBox.left());
}

TEST(ShadowLabelPixels, ThreeColourGradientColoursEachCharacter) {
    TShadowLabel label;
    label.SetAutoSize(false);
    const QFont font = pixelFont(40, true);
    label.setFont(font);
    label.SetCaption(QStringLiteral("HHH"));
    label.SetColor(widgets::kWhite);
    label.SetFontColor(widgets::kBlack);
    label.Shadow().SetVisible(false);
    label.Highlight().SetVisible(false);
    label.SetTextGradation(TTextGradation::tg3Colors);
    label.resize(160, 60);
    const QImage image = pixels::render(label);

    const int advance = QFontMetrics(font).horizontalAdvance(QLatin1Char('H'));
    const QRgb expected[] = {qRgb(0, 0, 0), qRgb(0, 0, 128), qRgb(128, 0, 0)};
    for (int i = 0; i < 3; ++i) {
        const QRect cell(i * advance, 0, advance, image.height());
        for (int j = 0; j < 3; ++j) {
            const int n = pixels::countWhere(image, pixels::exactly(expected[j]), cell);
            if (i == j)
                EXPECT_GT(n, 50) << "character " << i;
            else
                EXPECT_EQ(n, 0) << "character " << i << " colour " << j;
        }
    }
}

TEST(ShadowLabelPixels, GradientBackgroundRunsFromGradationColourToColour) {
    for (const bool vertical : {false, true}) {
        for (const bool flickerless : {true, false}) {
            TShadowLabel label;
            label.SetAutoSize(false);
            label.SetCaption(QString());
            label.SetGradation(true);
            label.SetGradateVert(vertical);
            label.SetFlickerless(flickerless);
            label.SetGradationColor(widgets::rgbColor(0, 0, 255));
            label.SetColor(widgets::kWhite);
            label.resize(vertical ? 10 : 256, vertical ? 256 : 10);
            const QImage image = pixels::render(label);
            auto at = [&](int k) { return vertical ? image.pixel(9, k) : image.pixel(k, 9); };
            EXPECT_EQ(at(0), qRgb(0, 0, 255)) << vertical << flickerless;
            EXPECT_EQ(at(255), qRgb(255, 255, 255)) << vertical << flickerless;
            EXPECT_EQ(at(100), widgets::gradientStep(qRgb(0, 0, 255), qRgb(255, 255, 255), 100, 256));
            EXPECT_EQ(at(100), qRgb(100, 100, 255));
        }
    }
}

TEST(ShadowLabelPixels, OnePixelWideGradientDrawsTheStartColour) {
    TShadowLabel label;
    label.SetAutoSize(false);
    label.SetCaption(QString());
    label.SetGradation(true);
    label.SetGradationColor(widgets::rgbColor(0, 0, 255));
    label.SetColor(widgets::kWhite);
    label.resize(1, 5);
    EXPECT_EQ(pixels::render(label).pixel(0, 4), qRgb(0, 0, 255));
}

TEST(ShadowLabel, EmptyCaptionKeepsTheHeightOfOneLine) {
    TShadowLabel empty, text;
    empty.setFont(pixelFont(12));
    text.setFont(pixelFont(12));
    empty.SetCaption(QString());
    text.SetCaption(QStringLiteral("A"));
    EXPECT_EQ(empty.height(), text.height());
    EXPECT_EQ(empty.height(), QFontMetrics(pixelFont(12)).height());
    EXPECT_GT(empty.width(), 0);
}

TEST(ShadowLabel, AssigningAShadowCopiesItsValues) {
    TShadowLabel label;
    widgets::TShadow source(widgets::kBlack, 3, 4);
    source.SetVisible(false);
    label.SetShadow(source);
    EXPECT_FALSE(label.Shadow().Visible());
    EXPECT_EQ(label.Shadow().Color(), widgets::kBlack);
    EXPECT_EQ(label.Shadow().OffsetLeft(), 3);
    EXPECT_EQ(label.Shadow().OffsetTop(), 4);
    // Defaults of the highlight are untouched.
    EXPECT_EQ(label.Highlight().OffsetLeft(), -1);
    EXPECT_EQ(label.Highlight().Color(), widgets::kWhite);
}

TEST(ShadowLabel, AcceleratorFocusesTheFocusControl) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* label = new TShadowLabel(&window);
    auto* target = new QLineEdit(&window);
    layout->addWidget(other);
    layout->addWidget(label);
    layout->addWidget(target);
    label->SetCaption(QStringLiteral("回転(&R):"));
    label->SetFocusControl(target);
    window.show();
    QApplication::setActiveWindow(&window);
    other->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(target->hasFocus());
}

}  // namespace
