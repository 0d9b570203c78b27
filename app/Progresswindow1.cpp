#include "app/Progresswindow1.h"

TProgressForm1::TProgressForm1(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("ProgressForm1"));
    setWindowTitle(QStringLiteral("処理中..."));
    setFixedSize(468, 98);
}
