#include "app/Convertwindow2.h"

#include "platform/Profile.h"
#include "widgets/Mccbox.h"
#include "widgets/Shadolbl.h"

namespace {

const QString kSection = QStringLiteral("SET2");

}  // namespace

TConvertForm2::TConvertForm2(QWidget* parent)
    : TConvertDialog(parent, "ConvertForm2", QStringLiteral("保存設定 - マルチＴＩＦＦ"), 256, 134, 2, widgets::kAqua) {
    C1_01 = addList(0, "C1_01", QStringLiteral("画像の圧縮形式"),
                    {QStringLiteral("非圧縮"), QStringLiteral("RLE,2色(1ﾋﾞｯﾄ)でｽｷｬﾝを行ってください"),
                     QStringLiteral("MH(Group3),2色(1ﾋﾞｯﾄ)でｽｷｬﾝを行ってください"),
                     QStringLiteral("MR(Group3),2色(1ﾋﾞｯﾄ)でｽｷｬﾝを行ってください"),
                     QStringLiteral("MMR(Group4),2色(1ﾋﾞｯﾄ)でｽｷｬﾝを行ってください"), QStringLiteral("PackBits"),
                     QStringLiteral("LZW"), QStringLiteral("JPEG")},
                    170, 9);
    C1_02 = addList(1, "C1_02", QStringLiteral("画像の回転角度(時計回り)"),
                    {QStringLiteral("OFF-そのまま,ｽｷｬﾝ時の角度を維持"), QStringLiteral("90度"),
                     QStringLiteral("180度"), QStringLiteral("270度")},
                    110, 4);
    L1_01 = addLabel(0, "L1_01", QStringLiteral("圧縮形式(&C):"), C1_01);
    L1_02 = addLabel(1, "L1_02", QStringLiteral("回転(&R):"), C1_02);

    C1_01->setFocus();  // the first row, not the default button, has the focus on opening

    C1_01->OnChange = [this] { C1_01Change(); };
    C1_02->OnChange = [this] { C1_02Change(); };
    C1_01Change();
    C1_02Change();
}

void TConvertForm2::C1_01Change() { markList(C1_01); }

void TConvertForm2::C1_02Change() { markList(C1_02); }

void TConvertForm2::LoadSettings(const platform::Profile& profile) {
    applyStoredIndex(C1_01, profile.readInteger(kSection, QStringLiteral("C1_01"), C1_01->ItemIndex()));
    C1_01Change();
    applyStoredIndex(C1_02, profile.readInteger(kSection, QStringLiteral("C1_02"), C1_02->ItemIndex()));
    C1_02Change();
}

void TConvertForm2::SaveSettings(platform::Profile& profile) const {
    profile.writeInteger(kSection, QStringLiteral("C1_01"), C1_01->ItemIndex());
    profile.writeInteger(kSection, QStringLiteral("C1_02"), C1_02->ItemIndex());
}
