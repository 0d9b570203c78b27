#include "app/Convertwindow1.h"

#include "app/ConvertRules.h"
#include "platform/Profile.h"
#include "widgets/Mccbox.h"
#include "widgets/Shadolbl.h"
#include "widgets/lib/SpinEdit.h"

namespace {

const QString kSection = QStringLiteral("SET1");

}  // namespace

TConvertForm1::TConvertForm1(QWidget* parent)
    : TConvertDialog(parent, "ConvertForm1", QStringLiteral("保存設定 - マルチTIFF"), 256, 248, 6, widgets::kLime) {
    C1_01 = addList(0, "C1_01", QStringLiteral("画像の圧縮形式"),
                    {QStringLiteral("OFF-そのまま,元ﾌｧｲﾙの圧縮形式を維持"),
                     QStringLiteral("非圧縮,2色/16色/256色/ﾌﾙｶﾗｰ/ｸﾞﾚｰｽｹｰﾙ"), QStringLiteral("RLE,2色"),
                     QStringLiteral("MH(Group3),2色"), QStringLiteral("MR(Group3),2色"),
                     QStringLiteral("MMR(Group4),2色"), QStringLiteral("PackBits,2色/16色/256色/ﾌﾙｶﾗｰ/ｸﾞﾚｰｽｹｰﾙ"),
                     QStringLiteral("LZW,2色/16色/256色/ﾌﾙｶﾗｰ/ｸﾞﾚｰｽｹｰﾙ"), QStringLiteral("JPEG,ﾌﾙｶﾗｰ/ｸﾞﾚｰｽｹｰﾙ")},
                    180, 10);
    C1_02 = addList(1, "C1_02", QStringLiteral("画像の色数"),
                    {QStringLiteral("OFF-そのまま,元ﾌｧｲﾙの色数を維持"), QStringLiteral("2色(1ﾋﾞｯﾄ)"),
                     QStringLiteral("16色(4ﾋﾞｯﾄ)"), QStringLiteral("256色(8ﾋﾞｯﾄ)"), QStringLiteral("ﾌﾙｶﾗｰ(16ﾋﾞｯﾄ)"),
                     QStringLiteral("ﾌﾙｶﾗｰ(24ﾋﾞｯﾄ)"), QStringLiteral("ﾌﾙｶﾗｰ(32ﾋﾞｯﾄ)"),
                     QStringLiteral("ｸﾞﾚｰｽｹｰﾙ(8ﾋﾞｯﾄ)")},
                    110, 8);
    C1_03 = addSpinEdit(2, "C1_03", QStringLiteral("2色減色時のしきい値"), 0, 255, 128, 0, 0, 66);
    C1_04 = addList(3, "C1_04", QStringLiteral("画像の解像度(dpi)"),
                    {QStringLiteral("OFF-そのまま,元ﾌｧｲﾙの解像度を維持"), QStringLiteral("75x75dpi"),
                     QStringLiteral("100x100dpi"), QStringLiteral("200x200dpi"), QStringLiteral("300x300dpi"),
                     QStringLiteral("400x400dpi"), QStringLiteral("500x500dpi"), QStringLiteral("600x600dpi"),
                     QStringLiteral("ﾕｰｻﾞｰ設定")},
                    120, 9);
    C1_05 = addSpinEdit(4, "C1_05", QStringLiteral("X軸(幅)の解像度(dpi)"), 1, 9999, 75, 4, 0, 66);
    C1_06 = addSpinEdit(4, "C1_06", QStringLiteral("Y軸(高さ)の解像度(dpi)"), 1, 9999, 75, 4, 72, 66);
    C1_07 = addList(5, "C1_07", QStringLiteral("画像の回転角度(時計回り)"),
                    {QStringLiteral("OFF-そのまま,元ﾌｧｲﾙの角度を維持"), QStringLiteral("90度"),
                     QStringLiteral("180度"), QStringLiteral("270度")},
                    110, 4);

    L1_01 = addLabel(0, "L1_01", QStringLiteral("圧縮形式(&C):"), C1_01);
    L1_02 = addLabel(1, "L1_02", QStringLiteral("色数(ﾋﾞｯﾄ)(&B):"), C1_02);
    L1_03 = addLabel(2, "L1_03", QStringLiteral("しきい値(&T):"), C1_03);
    L1_04 = addLabel(3, "L1_04", QStringLiteral("解像度(&D):"), C1_04);
    L1_05 = addLabel(4, "L1_05", QStringLiteral("X軸/Y軸(&A):"), C1_05);
    L1_07 = addLabel(5, "L1_07", QStringLiteral("回転(&R):"), C1_07);

    C1_01->setFocus();  // the first row, not the default button, has the focus on opening

    C1_01->OnChange = [this] { C1_01Change(); };
    C1_02->OnChange = [this] { C1_02Change(); };
    C1_04->OnChange = [this] { C1_04Change(); };
    C1_07->OnChange = [this] { C1_07Change(); };

    // Nothing selected yet: colours and enabled states follow from that.
    C1_01Change();
    C1_02Change();
    C1_04Change();
    C1_07Change();
}

void TConvertForm1::C1_01Change() { markList(C1_01); }

void TConvertForm1::C1_02Change() {
    markList(C1_02);
    const int index = C1_02->ItemIndex();
    L1_03->setEnabled(app::thresholdApplies(index));
    C1_03->setEnabled(app::thresholdApplies(index));
    C1_03->SetFontColor(app::thresholdTextColor(index));
}

void TConvertForm1::C1_04Change() {
    markList(C1_04);
    const int index = C1_04->ItemIndex();
    for (QWidget* w : {static_cast<QWidget*>(L1_05), static_cast<QWidget*>(C1_05), static_cast<QWidget*>(C1_06)})
        w->setEnabled(app::userResolutionApplies(index));
    C1_05->SetColor(app::userResolutionColor(index));
    C1_06->SetColor(app::userResolutionColor(index));
}

void TConvertForm1::C1_07Change() { markList(C1_07); }

void TConvertForm1::LoadSettings(const platform::Profile& profile) {
    applyStoredIndex(C1_01, profile.readInteger(kSection, QStringLiteral("C1_01"), C1_01->ItemIndex()));
    C1_01Change();
    applyStoredIndex(C1_02, profile.readInteger(kSection, QStringLiteral("C1_02"), C1_02->ItemIndex()));
    C1_02Change();
    C1_03->SetValue(profile.readInteger(kSection, QStringLiteral("C1_03"), C1_03->Value()));
    applyStoredIndex(C1_04, profile.readInteger(kSection, QStringLiteral("C1_04"), C1_04->ItemIndex()));
    C1_04Change();
    C1_05->SetValue(profile.readInteger(kSection, QStringLiteral("C1_05"), C1_05->Value()));
    C1_06->SetValue(profile.readInteger(kSection, QStringLiteral("C1_06"), C1_06->Value()));
    applyStoredIndex(C1_07, profile.readInteger(kSection, QStringLiteral("C1_07"), C1_07->ItemIndex()));
    C1_07Change();
}

void TConvertForm1::SaveSettings(platform::Profile& profile) const {
    profile.writeInteger(kSection, QStringLiteral("C1_01"), C1_01->ItemIndex());
    profile.writeInteger(kSection, QStringLiteral("C1_02"), C1_02->ItemIndex());
    profile.writeInteger(kSection, QStringLiteral("C1_03"), C1_03->Value());
    profile.writeInteger(kSection, QStringLiteral("C1_04"), C1_04->ItemIndex());
    profile.writeInteger(kSection, QStringLiteral("C1_05"), C1_05->Value());
    profile.writeInteger(kSection, QStringLiteral("C1_06"), C1_06->Value());
    profile.writeInteger(kSection, QStringLiteral("C1_07"), C1_07->ItemIndex());
}
