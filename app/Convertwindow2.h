#pragma once
// Settings dialog for building a multi-page TIFF from scanned pages.

#include <QDialog>

class TConvertForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TConvertForm2(QWidget* parent = nullptr);
};
