#pragma once
// Modeless progress window shown while a build or split runs.

#include <QDialog>

class TProgressForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TProgressForm1(QWidget* parent = nullptr);
};
