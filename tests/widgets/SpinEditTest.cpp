#include "widgets/lib/SpinEdit.h"
#include "widgets/lib/SpinValue.h"

#include "PixelHelpers.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using widgets::TSpinEdit;

namespace {

struct ClampCase {
    int value, min, max, expected;
};

TEST(SpinClamp, BringsValuesToTheNearestLimit) {
    const ClampCase cases[] = {
        {75, 1, 9999, 75}, {0, 1, 9999, 1}, {10000, 1, 9999, 9999}, {-5, 0, 255, 0},
        {256, 0, 255, 255}, {9, 1, 8, 8}, {-7, 0, 0, -7} /* equal limits: unlimited */,
    };
    for (const auto& c : cases)
        EXPECT_EQ(widgets::spinClamp(c.value, c.min, c.max), c.expected) << c.value << " in " << c.min << ".." << c.max;
}

TEST(SpinTextValue, NonNumericReadsAsTheMinimum) {
    const std::pair<const char*, int> cases[] = {
        {"12", 12}, {"-3", -3}, {"+7", 7}, {" 5 ", 5}, {"300", 300},
        {"", 1}, {"-", 1}, {"abc", 1}, {"12a", 1}, {"99999999999", 1},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(widgets::spinTextValue(QString::fromUtf8(text), 1), expected) << '"' << text << '"';
}

void focusOut(QWidget& w) {
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&w, &event);
}

TEST(SpinEdit, ValueSetFromCodeIsBroughtIntoRange) {
    TSpinEdit spin;
    spin.SetMinValue(1);
    spin.SetMaxValue(9999);
    spin.SetValue(75);
    EXPECT_EQ(spin.Value(), 75);
    spin.SetValue(0);
    EXPECT_EQ(spin.Value(), 1);
    EXPECT_EQ(spin.Text(), "1");
    spin.SetValue(123456);
    EXPECT_EQ(spin.Value(), 9999);
}

TEST(SpinEdit, EmptyOrNonNumericTextReadsAsMinimumAndLeavingShowsIt) {
    TSpinEdit spin;
    spin.SetMinValue(1);
    spin.SetMaxValue(8);
    spin.SetText(QString());
    EXPECT_EQ(spin.Value(), 1);
    spin.SetText(QStringLiteral("x"));
    EXPECT_EQ(spin.Value(), 1);
    focusOut(spin);
    EXPECT_EQ(spin.Text(), "1");
}

TEST(SpinEdit, TypedValueIsReadAsTypedUntilTheFocusLeaves) {
    QWidget window;
    auto* spin = new TSpinEdit(&window);
    spin->SetMinValue(0);
    spin->SetMaxValue(255);
    spin->SetValue(128);
    window.show();
    QApplication::setActiveWindow(&window);
    spin->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QLineEdit* edit = spin->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("300"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(spin->Value(), 300);  // confirmed with Enter, still focused: as typed

    focusOut(*spin);
    EXPECT_EQ(spin->Value(), 255);
    EXPECT_EQ(spin->Text(), "255");
}

TEST(SpinEdit, TypingAcceptsDigitsOnlyAndHonoursMaxLength) {
    QWidget window;
    auto* spin = new TSpinEdit(&window);
    spin->SetMinValue(1);
    spin->SetMaxValue(9999);
    spin->SetMaxLength(4);
    window.show();
    QLineEdit* edit = spin->findChild<QLineEdit*>();
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("1a2b345"));
    EXPECT_EQ(spin->Text(), "1234");
}

TEST(SpinEdit, StepsStayWithinTheLimits) {
    TSpinEdit spin;
    spin.SetMinValue(1);
    spin.SetMaxValue(8);
    spin.SetValue(7);
    spin.stepBy(1);
    EXPECT_EQ(spin.Value(), 8);
    spin.stepBy(1);
    EXPECT_EQ(spin.Value(), 8);
    spin.SetText(QStringLiteral("20"));
    spin.stepBy(-1);
    EXPECT_EQ(spin.Value(), 8);  // 19 brought to the maximum
    spin.SetValue(1);
    spin.stepBy(-3);
    EXPECT_EQ(spin.Value(), 1);
}

// A pixel of the field's background: right of the short text, left of the buttons.
QRgb fieldBackground(TSpinEdit& spin) {
    const QImage image = pixels::render(spin);
    const QRect edit = spin.findChild<QLineEdit*>()->geometry();
    return image.pixel(edit.right() - 3, edit.center().y());
}

TEST(SpinEditPixels, BackgroundColourShowsEnabledAndDisabled) {
    TSpinEdit spin;
    spin.resize(80, 22);
    spin.SetMinValue(1);
    spin.SetMaxValue(9999);
    spin.SetValue(75);
    spin.SetColor(widgets::kAqua);
    EXPECT_EQ(fieldBackground(spin), qRgb(0, 255, 255));
    spin.setEnabled(false);
    spin.SetColor(widgets::kWhite);
    EXPECT_EQ(fieldBackground(spin), qRgb(255, 255, 255));
}

TEST(SpinEditPixels, TextColourIsDrawn) {
    TSpinEdit spin;
    spin.resize(80, 22);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    font.setBold(true);
    spin.setFont(font);
    spin.SetValue(88);
    spin.SetColor(widgets::kWhite);
    spin.SetFontColor(widgets::rgbColor(255, 0, 0));
    const QImage red = pixels::render(spin);
    EXPECT_GT(pixels::countWhere(red, pixels::exactly(qRgb(255, 0, 0))), 10);
    spin.SetFontColor(widgets::rgbColor(0, 0, 255));
    const QImage blue = pixels::render(spin);
    EXPECT_EQ(pixels::countWhere(blue, pixels::exactly(qRgb(255, 0, 0))), 0);
    EXPECT_GT(pixels::countWhere(blue, pixels::exactly(qRgb(0, 0, 255))), 10);
}

}  // namespace
