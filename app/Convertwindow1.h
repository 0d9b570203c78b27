#pragma once
// Settings dialog for building a multi-page TIFF from files.

#include <QDialog>

class TConvertForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TConvertForm1(QWidget* parent = nullptr);
};
