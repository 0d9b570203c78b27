#include "app/Convertwindow2.h"

TConvertForm2::TConvertForm2(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ConvertForm2"));
    setWindowTitle(QStringLiteral("保存設定 - マルチＴＩＦＦ"));
}
