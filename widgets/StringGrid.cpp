#include "widgets/StringGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace widgets {

namespace {
const QColor kFixedColor(192, 192, 192);
const QColor kLineColor(128, 128, 128);
}  // namespace

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    colWidths_ = {64, 64};
    cells_.assign(2, QStringList{QString(), QString()});
    updateScrollBar();
}

void TStringGrid::SetColCount(int count) {
    count = std::max(count, 2);
    colWidths_.resize(count, 64);
    for (QStringList& row : cells_) row.resize(count);
    viewport()->update();
}

void TStringGrid::SetRowCount(int count) {
    count = std::max(count, 2);
    cells_.resize(count, QStringList(ColCount()));
    for (QStringList& row : cells_) row.resize(ColCount());
    row_ = std::clamp(row_, 1, count - 1);
    updateScrollBar();
    viewport()->update();
}

void TStringGrid::SetColWidth(int col, int width) {
    colWidths_[col] = width;
    viewport()->update();
}

void TStringGrid::SetDefaultRowHeight(int height) {
    rowHeight_ = std::max(height, 1);
    updateScrollBar();
    viewport()->update();
}

QString TStringGrid::Cell(int col, int row) const {
    if (row < 0 || row >= RowCount() || col < 0 || col >= ColCount()) return QString();
    return cells_[row][col];
}

void TStringGrid::SetCell(int col, int row, const QString& text) {
    if (row < 0 || row >= RowCount() || col < 0 || col >= ColCount()) return;
    cells_[row][col] = text;
    viewport()->update();
}

void TStringGrid::SelectCell(int col, int row) {
    if (row < 1 || row >= RowCount() || col < 1 || col >= ColCount()) return;
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(col, row, canSelect);
    if (!canSelect) return;
    row_ = row;
    col_ = col;
    ensureRowVisible(row);
    viewport()->update();
}

void TStringGrid::MoveRow(int fromIndex, int toIndex) {
    if (fromIndex < 1 || toIndex < 1 || fromIndex >= RowCount() || toIndex >= RowCount() || fromIndex == toIndex)
        return;
    QStringList moving = cells_[fromIndex];
    cells_.erase(cells_.begin() + fromIndex);
    cells_.insert(cells_.begin() + toIndex, moving);
    viewport()->update();
}

int TStringGrid::visibleDataRows() const {
    return std::max(1, (viewport()->height() - rowHeight_) / rowHeight_);
}

void TStringGrid::updateScrollBar() {
    const int dataRows = RowCount() - 1;
    verticalScrollBar()->setPageStep(visibleDataRows());
    verticalScrollBar()->setRange(0, std::max(0, dataRows - visibleDataRows()));
    topRow_ = 1 + verticalScrollBar()->value();
}

void TStringGrid::ensureRowVisible(int row) {
    if (row < topRow_) verticalScrollBar()->setValue(row - 1);
    else if (row >= topRow_ + visibleDataRows()) verticalScrollBar()->setValue(row - visibleDataRows());
}

void TStringGrid::scrollContentsBy(int, int) {
    topRow_ = 1 + verticalScrollBar()->value();
    viewport()->update();
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

int TStringGrid::RowAt(int y) const {
    if (y < rowHeight_) return y >= 0 ? 0 : -1;
    const int row = topRow_ + (y - rowHeight_) / rowHeight_;
    return row < RowCount() ? row : -1;
}

int TStringGrid::colAt(int x) const {
    int left = 0;
    for (int c = 0; c < ColCount(); ++c) {
        left += colWidths_[c];
        if (x < left) return c;
    }
    return -1;
}

void TStringGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    p.setFont(font());
    auto drawRow = [&](int row, int top) {
        int left = 0;
        for (int c = 0; c < ColCount(); ++c) {
            const QRect cell(left, top, colWidths_[c], rowHeight_);
            const bool fixed = row == 0 || c == 0;
            const bool selected = !fixed && row == row_ && c == col_;
            if (fixed) p.fillRect(cell, kFixedColor);
            else if (selected) p.fillRect(cell, palette().color(QPalette::Highlight));
            p.setPen(kLineColor);
            p.drawLine(cell.topRight(), cell.bottomRight());
            p.drawLine(cell.bottomLeft(), cell.bottomRight());
            if (fixed) {
                p.setPen(Qt::white);
                p.drawLine(cell.topLeft(), cell.topRight() - QPoint(1, 0));
                p.drawLine(cell.topLeft(), cell.bottomLeft() - QPoint(0, 1));
            }
            p.setPen(selected ? palette().color(QPalette::HighlightedText) : palette().color(QPalette::Text));
            p.drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, cells_[row][c]);
            left += colWidths_[c];
        }
    };
    drawRow(0, 0);
    for (int row = topRow_, top = rowHeight_; row < RowCount() && top < viewport()->height(); ++row, top += rowHeight_)
        drawRow(row, top);
    if (dragFrom_ >= 1 && dragTo_ >= 1) {
        const int y = rowHeight_ + (dragTo_ - topRow_ + (dragTo_ > dragFrom_ ? 1 : 0)) * rowHeight_;
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(0, y, viewport()->width(), y);
    }
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int row = RowAt(event->position().toPoint().y());
    const int col = colAt(event->position().toPoint().x());
    if (row < 1 || col < 0) return;
    if (col == 0) {
        dragFrom_ = row;
        dragTo_ = row;
        return;
    }
    SelectCell(col, row);
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (dragFrom_ < 1) return;
    const int y = event->position().toPoint().y();
    int row = RowAt(y);
    if (y < rowHeight_) row = std::max(1, topRow_ - 1);
    if (row < 1) row = RowCount() - 1;
    if (row != dragTo_) {
        dragTo_ = row;
        ensureRowVisible(row);
        viewport()->update();
    }
}

void TStringGrid::mouseReleaseEvent(QMouseEvent*) {
    const int from = dragFrom_, to = dragTo_;
    dragFrom_ = dragTo_ = -1;
    viewport()->update();
    if (from < 1 || to < 1 || from == to) return;
    MoveRow(from, to);
    if (OnRowMoved) OnRowMoved(from, to);
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up: SelectCell(col_, row_ - 1); break;
        case Qt::Key_Down: SelectCell(col_, row_ + 1); break;
        case Qt::Key_PageUp: SelectCell(col_, std::max(1, row_ - visibleDataRows())); break;
        case Qt::Key_PageDown: SelectCell(col_, std::min(RowCount() - 1, row_ + visibleDataRows())); break;
        case Qt::Key_Home: SelectCell(col_, 1); break;
        case Qt::Key_End: SelectCell(col_, RowCount() - 1); break;
        default: QAbstractScrollArea::keyPressEvent(event);
    }
}

}  // namespace widgets
