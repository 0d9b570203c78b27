#pragma once
// The list of sources to choose from (the source selection dialog).

#include <QDialog>

class QListWidget;

class SourceListDialog final : public QDialog {
public:
    SourceListDialog(const QStringList& names, int current, QWidget* parent);
    int chosen() const;

private:
    QListWidget* list_ = nullptr;
};
