#include "app/Convertwindow1.h"
#include "app/Convertwindow2.h"
#include "app/Convertwindow3.h"
#include "platform/Profile.h"
#include "widgets/Mccbox.h"
#include "widgets/lib/SpinEdit.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void choose(widgets::TMultiColComboBox* list, int index) {
    list->SetItemIndex(index);
    emit list->activated(index);
}

class ConvertSettings : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString iniPath() const { return dir.filePath(QStringLiteral("RidoreVu.ini")); }

    QByteArray readIni() const {
        QFile f(iniPath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    void writeIni(const QByteArray& content) const {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    // The dialogs' part of the main window's settings save.
    void save() const {
        platform::Profile profile(iniPath());
        form1.SaveSettings(profile);
        form2.SaveSettings(profile);
        form3.SaveSettings(profile);
        ASSERT_TRUE(profile.flush());
    }
    // The dialogs' part of the main window's settings load, into fresh dialogs.
    struct Loaded {
        TConvertForm1 form1;
        TConvertForm2 form2;
        TConvertForm3 form3;
    };
    void load(Loaded& into) const {
        const platform::Profile profile(iniPath());
        into.form1.LoadSettings(profile);
        into.form2.LoadSettings(profile);
        into.form3.LoadSettings(profile);
    }

    QTemporaryDir dir;
    TConvertForm1 form1;
    TConvertForm2 form2;
    TConvertForm3 form3;
};

TEST_F(ConvertSettings, FirstRunKeepsTheLayoutValuesAndWritesThemAll) {
    Loaded loaded;
    load(loaded);  // no file yet
    EXPECT_EQ(loaded.form1.C1_01->ItemIndex(), -1);
    EXPECT_EQ(loaded.form1.C1_03->Value(), 128);
    EXPECT_EQ(loaded.form1.C1_05->Value(), 75);
    EXPECT_EQ(loaded.form3.C1_02->Value(), 4);
    EXPECT_EQ(loaded.form1.C1_01->Color(), widgets::kAqua);
    EXPECT_FALSE(loaded.form1.C1_03->isEnabled());

    save();
    EXPECT_EQ(readIni().toStdString(), std::string("[SET1]\nC1_01=-1\nC1_02=-1\nC1_03=128\nC1_04=-1\nC1_05=75\nC1_06=75\nC1_07=-1\n\n"
                                    "[SET2]\nC1_01=-1\nC1_02=-1\n\n"
                                    "[SET3]\nC1_01=-1\nC1_02=4\n"));
}

TEST_F(ConvertSettings, EveryKeyRoundTripsAndTheHandlersFollow) {
    choose(form1.C1_01, 5);
    choose(form1.C1_02, 1);
    form1.C1_03->SetValue(200);
    choose(form1.C1_04, 8);
    form1.C1_05->SetValue(1200);
    form1.C1_06->SetValue(600);
    choose(form1.C1_07, 0);
    choose(form2.C1_01, 7);
    choose(form2.C1_02, 3);
    choose(form3.C1_01, 2);
    form3.C1_02->SetValue(8);
    save();

    Loaded loaded;
    load(loaded);
    EXPECT_EQ(loaded.form1.C1_01->ItemIndex(), 5);
    EXPECT_EQ(loaded.form1.C1_02->ItemIndex(), 1);
    EXPECT_EQ(loaded.form1.C1_03->Value(), 200);
    EXPECT_EQ(loaded.form1.C1_04->ItemIndex(), 8);
    EXPECT_EQ(loaded.form1.C1_05->Value(), 1200);
    EXPECT_EQ(loaded.form1.C1_06->Value(), 600);
    EXPECT_EQ(loaded.form1.C1_07->ItemIndex(), 0);
    EXPECT_EQ(loaded.form2.C1_01->ItemIndex(), 7);
    EXPECT_EQ(loaded.form2.C1_02->ItemIndex(), 3);
    EXPECT_EQ(loaded.form3.C1_01->ItemIndex(), 2);
    EXPECT_EQ(loaded.form3.C1_02->Value(), 8);

    // Loading ran the change handlers: colours and enabled states match the stored choices.
    EXPECT_EQ(loaded.form1.C1_07->Color(), widgets::kWhite);
    EXPECT_EQ(loaded.form1.C1_01->Color(), widgets::kAqua);
    EXPECT_TRUE(loaded.form1.C1_03->isEnabled());
    EXPECT_EQ(loaded.form1.C1_03->FontColor(), widgets::kBlack);
    EXPECT_TRUE(loaded.form1.C1_06->isEnabled());
    EXPECT_EQ(loaded.form1.C1_06->Color(), widgets::kAqua);
}

TEST_F(ConvertSettings, LoadingOverAChoiceRunsTheHandlersBackToDisabled) {
    writeIni("[SET1]\nC1_02=0\nC1_04=3\n");
    Loaded loaded;
    choose(loaded.form1.C1_02, 1);
    choose(loaded.form1.C1_04, 8);
    load(loaded);
    EXPECT_FALSE(loaded.form1.C1_03->isEnabled());
    EXPECT_FALSE(loaded.form1.C1_05->isEnabled());
    EXPECT_EQ(loaded.form1.C1_05->Color(), widgets::kWhite);
    EXPECT_EQ(loaded.form1.C1_02->Color(), widgets::kWhite);
}

TEST_F(ConvertSettings, StoredValuesOutsideTheirRangeAreBroughtInOrDropped) {
    writeIni("[set1]\nc1_01=9\nC1_02=-5\nC1_03=300\nC1_04=abc\nC1_05=0\nC1_06=12345\nC1_07=4\n"
             "[SET2]\nC1_01=8\nC1_02=2\n"
             "[SET3]\nC1_01=-1\nC1_02=9\n");
    Loaded loaded;
    choose(loaded.form1.C1_04, 2);  // a non-integer keeps what the control holds
    load(loaded);
    // A list index naming no item leaves the list without a selection.
    EXPECT_EQ(loaded.form1.C1_01->ItemIndex(), -1);
    EXPECT_EQ(loaded.form1.C1_02->ItemIndex(), -1);
    EXPECT_EQ(loaded.form1.C1_07->ItemIndex(), -1);
    EXPECT_EQ(loaded.form2.C1_01->ItemIndex(), -1);
    EXPECT_EQ(loaded.form2.C1_02->ItemIndex(), 2);
    EXPECT_EQ(loaded.form1.C1_04->ItemIndex(), 2);
    // Spin edits take the nearest limit.
    EXPECT_EQ(loaded.form1.C1_03->Value(), 255);
    EXPECT_EQ(loaded.form1.C1_05->Value(), 1);
    EXPECT_EQ(loaded.form1.C1_06->Value(), 9999);
    EXPECT_EQ(loaded.form3.C1_02->Value(), 8);

    // Saving writes the values as the controls now hold them.
    platform::Profile profile(iniPath());
    loaded.form1.SaveSettings(profile);
    loaded.form3.SaveSettings(profile);
    ASSERT_TRUE(profile.flush());
    const platform::Profile reread(iniPath());
    EXPECT_EQ(reread.readInteger(QStringLiteral("SET1"), QStringLiteral("C1_01"), 0), -1);
    EXPECT_EQ(reread.readInteger(QStringLiteral("SET1"), QStringLiteral("C1_03"), 0), 255);
    EXPECT_EQ(reread.readInteger(QStringLiteral("SET1"), QStringLiteral("C1_04"), 0), 2);
    EXPECT_EQ(reread.readInteger(QStringLiteral("SET3"), QStringLiteral("C1_02"), 0), 8);
}

TEST_F(ConvertSettings, SavingKeepsTheMainWindowsSection) {
    writeIni("[SET]\nM_TOP=98\nM_LEFT=127\nZOOM=-1\n");
    save();
    const platform::Profile reread(iniPath());
    EXPECT_EQ(reread.readInteger(QStringLiteral("SET"), QStringLiteral("M_LEFT"), 0), 127);
    EXPECT_EQ(reread.readInteger(QStringLiteral("SET2"), QStringLiteral("C1_02"), 0), -1);
}

}  // namespace
