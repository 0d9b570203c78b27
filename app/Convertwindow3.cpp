#include "app/Convertwindow3.h"

TConvertForm3::TConvertForm3(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ConvertForm3"));
    setWindowTitle(QStringLiteral("分割保存設定 - TIFF"));
}
