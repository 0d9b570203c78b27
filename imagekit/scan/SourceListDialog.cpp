#include "SourceListDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

SourceListDialog::SourceListDialog(const QStringList& names, int current, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ScanSelectDialog"));
    setWindowTitle(QStringLiteral("スキャナーの選択"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("使用するスキャナーを選んでください:"), this));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("sourceList"));
    list_->addItems(names);
    list_->setCurrentRow(current >= 0 && current < names.size() ? current : 0);
    layout->addWidget(list_);
    auto* buttons = new QHBoxLayout;
    auto* select = new QPushButton(QStringLiteral("選択"), this);
    select->setObjectName(QStringLiteral("selectButton"));
    select->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons->addStretch();
    buttons->addWidget(select);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(select, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

int SourceListDialog::chosen() const { return list_->currentRow(); }
