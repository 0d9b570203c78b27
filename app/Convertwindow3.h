#pragma once
// Settings dialog for splitting a multi-page TIFF.

#include <QDialog>

class TConvertForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TConvertForm3(QWidget* parent = nullptr);
};
