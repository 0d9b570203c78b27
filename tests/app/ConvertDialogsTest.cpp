#include "app/Convertwindow1.h"
#include "app/Convertwindow2.h"
#include "app/Convertwindow3.h"
#include "platform/Profile.h"
#include "widgets/Gradbox.h"
#include "widgets/Mccbox.h"
#include "widgets/Shadolbl.h"
#include "widgets/lib/SpinEdit.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using widgets::TMultiColComboBox;

namespace {

// What a user's pick does: the item becomes current and the box reports the choice.
void choose(TMultiColComboBox* list, int index) {
    list->SetItemIndex(index);
    emit list->activated(index);
}

std::string nameOf(const QWidget* w) { return w ? w->objectName().toStdString() : std::string("(none)"); }

QRgb rgbOf(widgets::TColor c) { return widgets::toQColor(c).rgb(); }

// The colour a closed list shows in its edit area, right of any text and left of the arrow.
QRgb closedListColor(TMultiColComboBox* list) {
    QImage image(list->size(), QImage::Format_RGB32);
    list->render(&image);
    return image.pixel(list->width() - 30, list->height() / 2);
}

// Gradient steps land within a few levels of their end colours.
bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 4 && std::abs(qGreen(a) - qGreen(b)) <= 4 && std::abs(qBlue(a) - qBlue(b)) <= 4;
}

struct Dialogs {
    TConvertForm1 form1;
    TConvertForm2 form2;
    TConvertForm3 form3;

    std::vector<TMultiColComboBox*> lists() {
        return {form1.C1_01, form1.C1_02, form1.C1_04, form1.C1_07, form2.C1_01, form2.C1_02, form3.C1_01};
    }
};

TEST(ConvertDialogs, WindowsHaveTheirCaptionsAndClientSizes) {
    Dialogs d;
    EXPECT_EQ(d.form1.windowTitle(), QStringLiteral("保存設定 - マルチTIFF"));
    EXPECT_EQ(d.form2.windowTitle(), QStringLiteral("保存設定 - マルチＴＩＦＦ"));
    EXPECT_EQ(d.form3.windowTitle(), QStringLiteral("分割保存設定 - TIFF"));
    EXPECT_EQ(d.form1.size(), QSize(256, 248));
    EXPECT_EQ(d.form2.size(), QSize(256, 134));
    EXPECT_EQ(d.form3.size(), QSize(256, 126));
    // Every control lies inside its parent, so nothing is cut off.
    for (QDialog* form : {static_cast<QDialog*>(&d.form1), static_cast<QDialog*>(&d.form2),
                          static_cast<QDialog*>(&d.form3)})
        for (QWidget* w : form->findChildren<QWidget*>()) {
            // Popups and the inner parts of the controls are not placed by the dialog.
            if (w->isWindow() || w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_")))
                continue;
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
                << form->objectName().toStdString() << "." << w->objectName().toStdString();
        }
}

TEST(ConvertDialogs, FirstRunShowsNoSelectionInAquaAndTheDependentFieldsDisabled) {
    Dialogs d;
    for (TMultiColComboBox* list : d.lists()) {
        EXPECT_EQ(list->ItemIndex(), -1) << list->objectName().toStdString();
        EXPECT_EQ(list->Color(), widgets::kAqua) << list->objectName().toStdString();
        EXPECT_EQ(closedListColor(list), rgbOf(widgets::kAqua)) << list->objectName().toStdString();
    }
    EXPECT_FALSE(d.form1.C1_03->isEnabled());
    EXPECT_FALSE(d.form1.L1_03->isEnabled());
    EXPECT_EQ(d.form1.C1_03->FontColor(), widgets::rgbColor(128, 128, 128));
    for (widgets::TSpinEdit* spin : {d.form1.C1_05, d.form1.C1_06}) {
        EXPECT_FALSE(spin->isEnabled());
        EXPECT_EQ(spin->Color(), widgets::kWhite);
    }
    EXPECT_FALSE(d.form1.L1_05->isEnabled());
    EXPECT_EQ(d.form1.C1_03->Value(), 128);
    EXPECT_EQ(d.form1.C1_05->Value(), 75);
    EXPECT_EQ(d.form1.C1_06->Value(), 75);
    EXPECT_EQ(d.form3.C1_02->Value(), 4);
}

TEST(ConvertDialogs, EveryListIsWhiteOnItsFirstEntryAndAquaOtherwise) {
    Dialogs d;
    for (TMultiColComboBox* list : d.lists()) {
        const std::string name = list->parentWidget()->window()->objectName().toStdString() + "." +
                                 list->objectName().toStdString();
        choose(list, 0);
        EXPECT_EQ(list->Color(), widgets::kWhite) << name;
        EXPECT_EQ(closedListColor(list), rgbOf(widgets::kWhite)) << name;
        choose(list, list->ItemCount() - 1);
        EXPECT_EQ(list->Color(), widgets::kAqua) << name;
        EXPECT_EQ(closedListColor(list), rgbOf(widgets::kAqua)) << name;
    }
}

TEST(ConvertDialogs, TwoColourEntryAloneEnablesTheThreshold) {
    TConvertForm1 form;
    for (int index : {1, 0, 1, 2, 1, 7}) {
        choose(form.C1_02, index);
        const bool enabled = index == 1;
        EXPECT_EQ(form.C1_03->isEnabled(), enabled) << index;
        EXPECT_EQ(form.L1_03->isEnabled(), enabled) << index;
        EXPECT_EQ(form.C1_03->FontColor(), enabled ? widgets::kBlack : widgets::rgbColor(128, 128, 128)) << index;
    }
}

TEST(ConvertDialogs, UserResolutionEntryAloneEnablesBothResolutionsInAqua) {
    TConvertForm1 form;
    for (int index : {8, 0, 8, 7}) {
        choose(form.C1_04, index);
        const bool enabled = index == 8;
        EXPECT_EQ(form.L1_05->isEnabled(), enabled) << index;
        for (widgets::TSpinEdit* spin : {form.C1_05, form.C1_06}) {
            EXPECT_EQ(spin->isEnabled(), enabled) << index;
            EXPECT_EQ(spin->Color(), enabled ? widgets::kAqua : widgets::kWhite) << index;
        }
    }
    // The colour list and the resolution list do not touch each other's fields.
    choose(form.C1_04, 8);
    choose(form.C1_02, 3);
    EXPECT_TRUE(form.C1_05->isEnabled());
    EXPECT_FALSE(form.C1_03->isEnabled());
}

TEST(ConvertDialogs, ListsShowTheirFirstColumnClosedAndBothOpen) {
    Dialogs d;
    EXPECT_EQ(d.form1.C1_01->ItemCount(), 9);
    EXPECT_EQ(d.form1.C1_02->ItemCount(), 8);
    EXPECT_EQ(d.form1.C1_04->ItemCount(), 9);
    EXPECT_EQ(d.form1.C1_07->ItemCount(), 4);
    EXPECT_EQ(d.form2.C1_01->ItemCount(), 8);
    EXPECT_EQ(d.form2.C1_02->ItemCount(), 4);
    EXPECT_EQ(d.form3.C1_01->ItemCount(), 4);

    choose(d.form1.C1_01, 0);
    EXPECT_EQ(d.form1.C1_01->GetSelectedText(), QStringLiteral("OFF-そのまま"));
    EXPECT_EQ(d.form1.C1_01->GetColumnText(0, 1), QStringLiteral("元ﾌｧｲﾙの圧縮形式を維持"));
    // An item without a comma fills the first column only.
    EXPECT_EQ(d.form1.C1_04->GetColumnText(8, 0), QStringLiteral("ﾕｰｻﾞｰ設定"));
    EXPECT_EQ(d.form1.C1_04->GetColumnText(8, 1), QString());
    EXPECT_EQ(d.form3.C1_01->GetColumnText(3, 1), QStringLiteral("2～4～6～8～"));

    struct Shape {
        TMultiColComboBox* list;
        int secondWidth;
        int rows;
    };
    for (const Shape& s : {Shape{d.form1.C1_01, 180, 10}, Shape{d.form1.C1_04, 120, 9}, Shape{d.form1.C1_07, 110, 4},
                           Shape{d.form2.C1_01, 170, 9}, Shape{d.form2.C1_02, 110, 4}, Shape{d.form3.C1_01, 110, 4}}) {
        ASSERT_EQ(s.list->Columns().Count(), 2);
        EXPECT_EQ(s.list->Columns()[0].Width(), 130);
        EXPECT_EQ(s.list->Columns()[0].Color(), widgets::kSilver);
        EXPECT_EQ(s.list->Columns()[1].Width(), s.secondWidth);
        EXPECT_EQ(s.list->DropDownCount(), s.rows);
        EXPECT_FALSE(s.list->CanEdit());
        EXPECT_EQ(s.list->cursor().shape(), Qt::PointingHandCursor);
    }
}

TEST(ConvertDialogs, SpinEditsBringValuesToTheirLimits) {
    Dialogs d;
    struct Case {
        widgets::TSpinEdit* spin;
        int tooLow, min, tooHigh, max;
    };
    for (const Case& c : {Case{d.form1.C1_03, -1, 0, 256, 255}, Case{d.form1.C1_05, 0, 1, 10000, 9999},
                          Case{d.form1.C1_06, -3, 1, 99999, 9999}, Case{d.form3.C1_02, 0, 1, 9, 8}}) {
        c.spin->SetValue(c.tooLow);
        EXPECT_EQ(c.spin->Value(), c.min) << c.spin->objectName().toStdString();
        c.spin->SetValue(c.tooHigh);
        EXPECT_EQ(c.spin->Value(), c.max) << c.spin->objectName().toStdString();
    }
    EXPECT_EQ(d.form1.C1_05->MaxLength(), 4);
    EXPECT_EQ(d.form3.C1_02->MaxLength(), 1);
}

TEST(ConvertDialogs, CancelClosesButKeepsTheChoice) {
    TConvertForm2 form;
    form.open();
    choose(form.C1_01, 4);
    QTest::mouseClick(form.CancelButton, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.C1_01->ItemIndex(), 4);
    EXPECT_EQ(form.C1_01->Color(), widgets::kAqua);

    // Reopened: the choice is still there; the Escape key cancels the same way.
    form.open();
    EXPECT_EQ(form.C1_01->ItemIndex(), 4);
    choose(form.C1_02, 0);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.C1_02->ItemIndex(), 0);

    // The settings save writes the cancelled choices.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::Profile profile(dir.filePath(QStringLiteral("RidoreVu.ini")));
    form.SaveSettings(profile);
    EXPECT_EQ(profile.readInteger(QStringLiteral("SET2"), QStringLiteral("C1_01"), -1), 4);
    EXPECT_EQ(profile.readInteger(QStringLiteral("SET2"), QStringLiteral("C1_02"), -1), 0);
}

TEST(ConvertDialogs, OkIsTheDefaultButtonAndAccepts) {
    TConvertForm3 form;
    EXPECT_TRUE(form.OkButton->isDefault());
    EXPECT_EQ(form.OkButton->text(), QStringLiteral("OK"));
    EXPECT_EQ(form.CancelButton->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    form.open();
    QTest::keyClick(form.C1_02, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(ConvertDialogs, LabelAcceleratorsFocusTheirControls) {
    TConvertForm1 form;
    choose(form.C1_02, 1);  // the threshold takes the focus only while enabled
    choose(form.C1_04, 8);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    struct Case {
        Qt::Key key;
        QWidget* control;
    };
    for (const Case& c : {Case{Qt::Key_B, form.C1_02}, Case{Qt::Key_T, form.C1_03}, Case{Qt::Key_D, form.C1_04},
                          Case{Qt::Key_A, form.C1_05}, Case{Qt::Key_R, form.C1_07}, Case{Qt::Key_C, form.C1_01}}) {
        QTest::keyClick(&form, c.key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), c.control) << c.control->objectName().toStdString();
    }
    form.close();
}

TEST(ConvertDialogs, OpensOnTheFirstRowAndTabsThroughTheRowsThenTheButtons) {
    TConvertForm1 form;
    choose(form.C1_02, 1);
    choose(form.C1_04, 8);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    // The first row, not the default button, has the focus on opening.
    EXPECT_EQ(QApplication::focusWidget(), form.C1_01) << nameOf(QApplication::focusWidget());
    for (QWidget* next : std::vector<QWidget*>{form.C1_02, form.C1_03, form.C1_04, form.C1_05, form.C1_06,
                                               form.C1_07, form.OkButton, form.CancelButton, form.C1_01}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next)
            << "expected " << nameOf(next) << ", got " << nameOf(QApplication::focusWidget());
    }
    form.close();
}

TEST(ConvertDialogs, LabelsAndHints) {
    Dialogs d;
    EXPECT_EQ(d.form1.L1_02->Caption(), QStringLiteral("色数(ﾋﾞｯﾄ)(&B):"));
    EXPECT_EQ(d.form1.L1_05->FocusControl(), d.form1.C1_05);
    EXPECT_EQ(d.form3.L1_02->FocusControl(), d.form3.C1_02);
    EXPECT_EQ(d.form1.L1_03->FontColor(), widgets::kWhite);
    EXPECT_EQ(d.form1.C1_06->toolTip(), QStringLiteral("Y軸(高さ)の解像度(dpi)"));
    EXPECT_EQ(d.form1.C1_06->statusTip(), d.form1.C1_06->toolTip());
}

TEST(ConvertDialogs, BackgroundRunsFromTheDialogColourToWhite) {
    Dialogs d;
    struct Case {
        QDialog* form;
        widgets::TGradBox* box;
        widgets::TColor left;
    };
    for (const Case& c : {Case{&d.form1, d.form1.GradBox1, widgets::kLime},
                          Case{&d.form2, d.form2.GradBox1, widgets::kAqua},
                          Case{&d.form3, d.form3.GradBox1, widgets::kYellow}}) {
        QImage image(c.box->size(), QImage::Format_RGB32);
        c.box->render(&image);
        const int y = c.box->height() - 2;  // below the last strip
        EXPECT_TRUE(near(image.pixel(0, y), rgbOf(c.left))) << c.form->objectName().toStdString();
        EXPECT_TRUE(near(image.pixel(c.box->width() - 1, y), rgbOf(widgets::kWhite)))
            << c.form->objectName().toStdString();
    }
}

}  // namespace
