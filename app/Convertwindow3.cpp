#include "app/Convertwindow3.h"

#include "platform/Profile.h"
#include "widgets/Mccbox.h"
#include "widgets/Shadolbl.h"
#include "widgets/lib/SpinEdit.h"

namespace {

const QString kSection = QStringLiteral("SET3");

}  // namespace

TConvertForm3::TConvertForm3(QWidget* parent)
    : TConvertDialog(parent, "ConvertForm3", QStringLiteral("分割保存設定 - TIFF"), 256, 126, 2, widgets::kYellow) {
    C1_01 = addList(0, "C1_01", QStringLiteral("ファイル番号の振り方"),
                    {QStringLiteral("ﾍﾟｰｼﾞ番号,ﾏﾙﾁTIFFのﾍﾟｰｼﾞ番号"), QStringLiteral("連番,1～2～3～4～"),
                     QStringLiteral("奇数振番,1～3～5～7～"), QStringLiteral("偶数振番,2～4～6～8～")},
                    110, 4);
    C1_02 = addSpinEdit(1, "C1_02", QStringLiteral("シーケンス桁数"), 1, 8, 4, 1, 0, 66);
    L1_01 = addLabel(0, "L1_01", QStringLiteral("振番方法(&N):"), C1_01);
    L1_02 = addLabel(1, "L1_02", QStringLiteral("桁数(&F):"), C1_02);

    C1_01->setFocus();  // the first row, not the default button, has the focus on opening

    C1_01->OnChange = [this] { C1_01Change(); };
    C1_01Change();
}

void TConvertForm3::C1_01Change() { markList(C1_01); }

void TConvertForm3::LoadSettings(const platform::Profile& profile) {
    applyStoredIndex(C1_01, profile.readInteger(kSection, QStringLiteral("C1_01"), C1_01->ItemIndex()));
    C1_01Change();
    C1_02->SetValue(profile.readInteger(kSection, QStringLiteral("C1_02"), C1_02->Value()));
}

void TConvertForm3::SaveSettings(platform::Profile& profile) const {
    profile.writeInteger(kSection, QStringLiteral("C1_01"), C1_01->ItemIndex());
    profile.writeInteger(kSection, QStringLiteral("C1_02"), C1_02->Value());
}
