#include "app/Convertwindow1.h"

TConvertForm1::TConvertForm1(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ConvertForm1"));
    setWindowTitle(QStringLiteral("保存設定 - マルチTIFF"));
}
