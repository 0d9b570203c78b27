#pragma once
// An item delegate that gives every row of a list the same height in pixels.

#include <QStyledItemDelegate>

namespace widgets {

class FixedRowHeight final : public QStyledItemDelegate {
public:
    FixedRowHeight(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

}  // namespace widgets
