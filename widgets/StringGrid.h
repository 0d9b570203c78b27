#pragma once
// A grid of text cells with one fixed (header-coloured) row and column, like the framework's
// string grid: fixed row 0 and column 0, rows of one height, grid lines, a selected cell,
// rows moved by dragging their fixed cell, vertical scrolling by whole rows.

#include <QAbstractScrollArea>
#include <QStringList>

#include <functional>
#include <vector>

namespace widgets {

class TStringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    int ColCount() const { return static_cast<int>(colWidths_.size()); }
    void SetColCount(int count);
    int RowCount() const { return static_cast<int>(cells_.size()); }
    // Rows below the new count are dropped; new rows are empty. At least one data row stays.
    void SetRowCount(int count);
    int ColWidth(int col) const { return colWidths_[col]; }
    void SetColWidth(int col, int width);
    int DefaultRowHeight() const { return rowHeight_; }
    void SetDefaultRowHeight(int height);

    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);

    // The current cell; data rows and columns start at 1.
    int Row() const { return row_; }
    int Col() const { return col_; }
    // Moves the current cell (asks OnSelectCell first, as a click does).
    void SelectCell(int col, int row);
    int TopRow() const { return topRow_; }

    // Moves a whole row (fixed cell included) from one data row to another, as dragging does.
    void MoveRow(int fromIndex, int toIndex);

    // Asked before the current cell changes; setting the flag false keeps the old cell.
    std::function<void(int col, int row, bool& canSelect)> OnSelectCell;
    // Told after a row has been moved by dragging.
    std::function<void(int fromIndex, int toIndex)> OnRowMoved;

    // The data row under a point of the viewport, or -1.
    int RowAt(int y) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int visibleDataRows() const;
    void updateScrollBar();
    void ensureRowVisible(int row);
    int colAt(int x) const;

    std::vector<QStringList> cells_;  // cells_[row][col]
    std::vector<int> colWidths_;
    int rowHeight_ = 16;
    int row_ = 1;
    int col_ = 1;
    int topRow_ = 1;
    int dragFrom_ = -1;
    int dragTo_ = -1;
};

}  // namespace widgets
